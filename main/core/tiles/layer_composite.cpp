#include "core/tiles/layer_composite.h"

#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

fptrPixelPut4core armLayerPut(const ILayerBlendAttr &obj) noexcept
{
    const SBlendModeRow *row = getBlendModeRow(obj.layerMode());
    if (!row)
        return nullptr;
    if (!obj.layerDitherEnable())
        return row->fnPutA;
    setRandomPut(row->fnPutA, obj.layerDizRand(), obj.layerDither());
    return pixelPutRandom;
}

// ---------------------------------------------------------------------------------------------
// Pieces

namespace {

constexpr int32_t kUnit = CBlockVMTC::kUnit;
constexpr int32_t kMask = kUnit - 1;

sPos inBlock(const sPos &p)
{
    return {p.x & kMask, p.y & kMask};
}
sBox inBlock(const sBox &b)
{
    return {b.x & kMask, b.y & kMask, b.w, b.h};
}

bool isUniformTransparent(const SBlockPack &pack)
{
    return !pack.commit && pack.bgCol.A == 0;
}

// A put with its row loop (rowPutFor), looked up once per operation.
struct RowPut
{
    explicit RowPut(fptrPixelPut4core put) : p(put), row(rowPutFor(put)) {}
    fptrPixelPut4core p;
    fptrPutRow row;
};

// The box of src at sbox put into target at dpos with p and opacity a (nothing at a = 0), row by
// row.
void blendPart(TMTC &target, const sPos &dpos, const TMTC &src, const sBox &sbox, uint32_t a,
               const RowPut &put)
{
    if (a == 0)
        return;
    const auto [p, row] = put;
    for (int32_t j = 0; j < sbox.h; ++j)
        row(target.seek32(dpos.x, dpos.y + j), src.seek32(sbox.x, sbox.y + j), sbox.w, a, p);
}

// col put over the box of target with p and opacity a; the box lies inside one block, so its
// rows are at most a block wide.
void fillPart(TMTC &target, const sBox &box, uint32_t col, uint32_t a, const RowPut &put)
{
    std::array<sBGRA, kUnit> colour;
    colour.fill(sBGRA{.all = col});
    const auto [p, row] = put;
    for (int32_t j = 0; j < box.h; ++j)
        row(target.seek32(box.x, box.y + j), colour.data(), std::min(box.w, kUnit), a, p);
}

void setAlphaOpaque(TMTC &target, const sBox &box)
{
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *p = target.seek32(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            p[i].A = 255;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Layer into layer

namespace {

struct SBltPiece
{
    sPos dp;
    sBox sb;
};

// One piece of layerBlt, its destination block already given memory where it needs it.
void blendPiece(CBlockVMTC &dst, const CBlockVMTC &src, const SBltPiece &pc, uint32_t a,
                const RowPut &put)
{
    using V = CBlockVMTC;
    const SBlockPack &s = *src.seekBlock(pc.sb.x, pc.sb.y);
    if (isUniformTransparent(s))
        return;
    SBlockPack &d = *dst.seekBlock(pc.dp.x, pc.dp.y, false);
    if (!s.commit && !d.commit) {
        put.p(&d.bgCol, s.bgCol.all, a);
        return;
    }
    if (s.commit)
        blendPart(V::view(d), inBlock(pc.dp), V::view(s), inBlock(pc.sb), a, put);
    else
        fillPart(V::view(d), {pc.dp.x & kMask, pc.dp.y & kMask, pc.sb.w, pc.sb.h}, s.bgCol.all,
                 a, put);
}

} // namespace

bool CBlockVMTC::layerBlt(const CBlockVMTC &src, const ILayerBlendAttr &obj, sPos dpos, sBox box)
{
    const SBlendModeRow *row = getBlendModeRow(obj.layerMode());
    if (!row)
        return false;
    const fptrPixelPut4core p = row->fnPutA;
    const RowPut put(p);
    const uint32_t a = obj.layerTrans();
    // The pieces in the order of the one-at-a-time walk.
    std::vector<SBltPiece> pieces;
    if (!effectArea(src, dpos, box, [&](const sPos &dp, const sBox &sb) {
            pieces.push_back({dp, sb});
            return true;
        })) {
        setupTraceRect();
        return false;
    }
    // Blocks are given memory here, in that order and by the same rule, so that the blending
    // below only writes pixels; a block that cannot be had ends the work there.
    size_t done = 0;
    for (; done < pieces.size(); ++done) {
        const SBltPiece &pc = pieces[done];
        const SBlockPack &s = *src.seekBlock(pc.sb.x, pc.sb.y);
        if (isUniformTransparent(s))
            continue;
        SBlockPack &d = *seekBlock(pc.dp.x, pc.dp.y, false);
        const bool wholeColour =
            !s.commit && !d.commit && isWholeBlockPiece(d, {pc.dp.x, pc.dp.y, pc.sb.w, pc.sb.h});
        if (!wholeColour && !commitBlock(d))
            break;
    }
    // A row of destination blocks is written by its pieces alone: rows go to any thread.
    int32_t firstRow = INT32_MAX, lastRow = -1;
    for (size_t i = 0; i < done; ++i) {
        firstRow = std::min(firstRow, pieces[i].dp.y >> BLOCK_SHIFT);
        lastRow = std::max(lastRow, pieces[i].dp.y >> BLOCK_SHIFT);
    }
    const int32_t rows = done > 0 ? lastRow - firstRow + 1 : 0;
    std::vector<std::vector<uint32_t>> byRow(static_cast<size_t>(rows));
    for (size_t i = 0; i < done; ++i)
        byRow[size_t((pieces[i].dp.y >> BLOCK_SHIFT) - firstRow)].push_back(uint32_t(i));
    parallelRanges(rows, 1, [&](int32_t begin, int32_t end) {
        for (int32_t r = begin; r < end; ++r)
            for (uint32_t i : byRow[size_t(r)])
                blendPiece(*this, src, pieces[i], a, put);
    });
    setupTraceRect();
    return done == pieces.size();
}

bool CBlockVMTC::layerBltSequential(const CBlockVMTC &src, const ILayerBlendAttr &obj, sPos dpos,
                                    sBox box)
{
    const SBlendModeRow *row = getBlendModeRow(obj.layerMode());
    if (!row)
        return false;
    const fptrPixelPut4core p = row->fnPutA;
    const RowPut put(p);
    const uint32_t a = obj.layerTrans();
    return effectAreaTraced(src, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *src.seekBlock(sb.x, sb.y);
        if (isUniformTransparent(s))
            return true;
        SBlockPack &d = *seekBlock(dp.x, dp.y, false);
        if (!s.commit && !d.commit && isWholeBlockPiece(d, {dp.x, dp.y, sb.w, sb.h})) {
            p(&d.bgCol, s.bgCol.all, a);
            return true;
        }
        if (!commitBlock(d))
            return false;
        if (s.commit)
            blendPart(view(d), inBlock(dp), view(s), inBlock(sb), a, put);
        else
            fillPart(view(d), {dp.x & kMask, dp.y & kMask, sb.w, sb.h}, s.bgCol.all, a, put);
        return true;
    });
}

bool CBlockVMTC::layerBlt(const CBlockVMTC &src, const ILayerBlendAttr &obj, int32_t dx, int32_t dy)
{
    return layerBlt(src, obj, {dx, dy}, boxFromSize(src.FPSZ()));
}

bool CBlockVMTC::mixWith(const CBlockVMTC &src, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                         fptrPixelPut4core fnPut)
{
    if (!fnPut)
        return false;
    return effectAreaTraced(src, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *src.seekBlock(sb.x, sb.y);
        SBlockPack &d = *seekBlock(dp.x, dp.y, false);
        sBox piece{dp.x & kMask, dp.y & kMask, sb.w, sb.h};
        if (!s.commit && !d.commit && isWholeBlockPiece(d, {dp.x, dp.y, sb.w, sb.h})) {
            d.bgCol.A = gMulTable[size_t(d.bgCol.A) << 8 | (dA & 0xFF)];
            fnPut(&d.bgCol, s.bgCol.all, sA);
            return true;
        }
        if (!commitBlock(d))
            return false;
        if (s.commit)
            view(d).mixWith(view(s), piece.pos(), inBlock(sb), dA, sA, fnPut);
        else
            view(d).mixFill(piece, s.bgCol.all, dA, sA, fnPut);
        return true;
    });
}

bool CBlockVMTC::mixWithEx(const CBlockVMTC &src, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                           const sTCMixParam &mix)
{
    return effectAreaTraced(src, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *src.seekBlock(sb.x, sb.y);
        SBlockPack &d = *seekBlock(dp.x, dp.y, false);
        sBox piece{dp.x & kMask, dp.y & kMask, sb.w, sb.h};
        if (!s.commit && !d.commit && isWholeBlockPiece(d, {dp.x, dp.y, sb.w, sb.h})) {
            d.bgCol.A = gMulTable[size_t(d.bgCol.A) << 8 | (dA & 0xFF)];
            mixPixelEx(&d.bgCol, s.bgCol.all, sA, mix);
            return true;
        }
        if (!commitBlock(d))
            return false;
        if (s.commit)
            view(d).mixWithEx(view(s), piece.pos(), inBlock(sb), dA, sA, mix);
        else
            view(d).mixFillEx(piece, s.bgCol.all, dA, sA, mix);
        return true;
    });
}

bool CBlockVMTC::oldBltTo(CBlockVMTC &dst, const ILayerBlendAttr &obj, sPos dpos, sBox box) const
{
    const SOldBltProcs pair = obj.layerOldBltProcs();
    if (!pair.blt || !pair.put)
        return false;
    const uint32_t a = obj.layerTrans();
    return dst.effectAreaTraced(*this, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *seekBlock(sb.x, sb.y);
        if (isUniformTransparent(s))
            return true;
        SBlockPack &d = *dst.seekBlock(dp.x, dp.y, false);
        if (!s.commit && !d.commit && isWholeBlockPiece(d, {dp.x, dp.y, sb.w, sb.h})) {
            pair.put(&d.bgCol, s.bgCol.all, a);
            d.bgCol.A = 255;
            return true;
        }
        if (!dst.commitBlock(d))
            return false;
        const sBox piece{dp.x & kMask, dp.y & kMask, sb.w, sb.h};
        if (s.commit)
            pair.blt(view(d), view(s), sb.x & kMask, sb.y & kMask, sb.w, sb.h, piece.x, piece.y, a);
        else
            view(d).fillBoxNC(piece, s.bgCol.all, a, pair.put);
        setAlphaOpaque(view(d), piece);
        return true;
    });
}

// ---------------------------------------------------------------------------------------------
// Layer into canvas

bool CBlockVMTC::layerBltTo(TMTC &dst, const ILayerBlendAttr &obj, sPos dpos, sBox box, bool) const
{
    const uint32_t a = obj.layerTrans();
    if (a == 0)
        return false;
    const fptrPixelPut4core p = armLayerPut(obj);
    if (!p)
        return false;
    const RowPut put(p);
    bool result = true;
    for (int32_t idx = 0; idx < rectTrace.cnt; ++idx) {
        sPos dp = dpos;
        sBox b = box;
        if (!intersectTraceRect(idx, dp, b))
            continue;
        const auto piece = [&](const sPos &piecePos, const sBox &sb) {
            const SBlockPack &s = *seekBlock(sb.x, sb.y);
            if (s.commit)
                blendPart(dst, piecePos, view(s), inBlock(sb), a, put);
            else if (s.bgCol.A != 0)
                fillPart(dst, {piecePos.x, piecePos.y, sb.w, sb.h}, s.bgCol.all, a, put);
            return true;
        };
        // A dithered layer draws from one random sequence pixel after pixel: it stays in order on
        // this thread. The trace rectangles follow one another (they may overlap).
        result = p == pixelPutRandom ? effectAreaTo(dst, dp, b, piece)
                                     : effectAreaToParallel(dst, dp, b, piece);
    }
    return result;
}

bool CBlockVMTC::clipLayerBltTo(TMTC &dst, const ILayerBlendAttr &obj, sPos dpos, sBox box,
                                bool part) const
{
    return layerBltTo(dst, obj, dpos, box, part);
}

bool CBlockVMTC::layerOldBltTo(TMTC &dst, const ILayerBlendAttr &ld, sPos dpos, sBox box) const
{
    const SOldBltProcs pair = ld.layerOldBltProcs();
    if (!pair.blt || !pair.put)
        return false;
    const uint32_t a = ld.layerTrans();
    return effectAreaTo(dst, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *seekBlock(sb.x, sb.y);
        if (s.commit) {
            pair.blt(dst, view(s), sb.x & kMask, sb.y & kMask, sb.w, sb.h, dp.x, dp.y, a);
        } else if (s.bgCol.A != 0) {
            sBox b{dp.x, dp.y, sb.w, sb.h};
            dst.fillBox(b, s.bgCol.all, a, pair.put);
        }
        return true;
    });
}

bool CBlockVMTC::mixTo(TMTC &dst, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                       fptrPixelPut4core fnPut) const
{
    if (!fnPut)
        return false;
    return effectAreaTo(dst, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *seekBlock(sb.x, sb.y);
        if (s.commit) {
            dst.mixWith(view(s), dp, inBlock(sb), dA, sA, fnPut);
        } else {
            sBox b{dp.x, dp.y, sb.w, sb.h};
            dst.mixFill(b, s.bgCol.all, dA, sA, fnPut);
        }
        return true;
    });
}

bool CBlockVMTC::mixToEx(TMTC &dst, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                         const sTCMixParam &mix) const
{
    bool result = true;
    for (int32_t idx = 0; idx < rectTrace.cnt; ++idx) {
        sPos dp = dpos;
        sBox b = box;
        if (!intersectTraceRect(idx, dp, b))
            continue;
        result = effectAreaTo(dst, dp, b, [&](const sPos &piecePos, const sBox &sb) {
            const SBlockPack &s = *seekBlock(sb.x, sb.y);
            if (s.commit) {
                dst.mixWithEx(view(s), piecePos, inBlock(sb), dA, sA, mix);
            } else {
                sBox fill{piecePos.x, piecePos.y, sb.w, sb.h};
                dst.mixFillEx(fill, s.bgCol.all, dA, sA, mix);
            }
            return true;
        });
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Clipping group

bool CBlockVMTC::clipBltBlkTCToLyr(const CBlockVMTC &src, const ILayerBlendAttr &obj, sPos dpos,
                                   sBox box, bool)
{
    const uint32_t a = obj.layerTrans();
    if (a == 0)
        return false;
    const fptrPixelPut4core p = armLayerPut(obj);
    return p && clipBltBlkTCFrom(src, dpos, box, a, p);
}

bool CBlockVMTC::ClipBltTcToLyr(const TMTC &src, const ILayerBlendAttr &obj, sPos dpos, sBox box,
                                bool)
{
    const uint32_t a = obj.layerTrans();
    if (a == 0)
        return false;
    const fptrPixelPut4core p = armLayerPut(obj);
    return p && clipBltTcFrom(src, dpos, box, a, p);
}

template <class Get>
bool CBlockVMTC::clipBltFromSource(sPos dpos, sBox box, uint32_t alpha, fptrPixelPut4core fnPut,
                                   Get get)
{
    // The destination area, cut to the image: blocks past the image hold no picture.
    sBox area{dpos.x, dpos.y, box.w, box.h};
    if (!isEnable() || !fnPut || !clipping(area))
        return true;
    const int32_t dx = box.x - dpos.x, dy = box.y - dpos.y;
    return splitBoxAtBlocks(area, kShift, [&](const sBox &piece) {
        SBlockPack &d = *seekBlock(piece.x, piece.y, false);
        const bool everyPixel = !d.commit;
        if (everyPixel && d.bgCol.A == 0)
            return true;
        if (!commitBlock(d))
            return false;
        for (int32_t j = 0; j < piece.h; ++j) {
            const int32_t y = piece.y + j;
            sBGRA *p = blockPixel(d, piece.x & kMask, y & kMask);
            for (int32_t i = 0; i < piece.w; ++i)
                if (everyPixel || p[i].A != 0)
                    fnPut(p + i, get(piece.x + i + dx, y + dy), alpha);
        }
        return true;
    });
}

namespace {

// A negative destination position shrinks the source box from its start and becomes 0; so does a
// negative source origin, moving the destination position instead. False when nothing is left.
bool moveNegativeOrigins(sPos &dpos, sBox &box)
{
    if (dpos.x < 0) {
        box.x -= dpos.x, box.w += dpos.x, dpos.x = 0;
    }
    if (dpos.y < 0) {
        box.y -= dpos.y, box.h += dpos.y, dpos.y = 0;
    }
    if (box.x < 0) {
        dpos.x -= box.x, box.w += box.x, box.x = 0;
    }
    if (box.y < 0) {
        dpos.y -= box.y, box.h += box.y, box.y = 0;
    }
    return box.w > 0 && box.h > 0;
}

} // namespace

bool CBlockVMTC::clipBltBlkTCFrom(const CBlockVMTC &src, sPos dpos, sBox box, uint32_t alpha,
                                  fptrPixelPut4core fnPut)
{
    if (!moveNegativeOrigins(dpos, box))
        return true;
    return clipBltFromSource(dpos, box, alpha, fnPut,
                             [&src](int32_t x, int32_t y) { return src.PixelGet(x, y); });
}

bool CBlockVMTC::clipBltTcFrom(const TMTC &src, sPos dpos, sBox box, uint32_t alpha,
                               fptrPixelPut4core fnPut)
{
    if (!src.isEnable() || !moveNegativeOrigins(dpos, box))
        return true;
    // The canvas is read directly: the source box is cut to it.
    box.w = std::min(box.w, src.width() - box.x);
    box.h = std::min(box.h, src.height() - box.y);
    if (box.w <= 0 || box.h <= 0)
        return true;
    return clipBltFromSource(dpos, box, alpha, fnPut,
                             [&src](int32_t x, int32_t y) { return src.getColor(x, y); });
}

bool CBlockVMTC::clipBltTo(const CBlockVMTC &src, const sBox &dstBox, const sBox &srcBox,
                           uint32_t alpha, fptrPixelPut4core fnPutA)
{
    if (!isEnable() || !src.isEnable() || !fnPutA)
        return false;
    const int32_t ddx = srcBox.x - dstBox.x, ddy = srcBox.y - dstBox.y;
    // Arithmetic shifts: floor division by 32 for offsets of either sign.
    const int32_t bx = ddx >> kShift, ox = ddx & kMask;
    const int32_t by = ddy >> kShift, oy = ddy & kMask;
    const int32_t cols = std::min(repSize.x, (std::max(dstBox.w, 0) + kMask) >> kShift);
    const int32_t rows = std::min(repSize.y, (std::max(dstBox.h, 0) + kMask) >> kShift);
    for (int32_t i = 0; i < rows; ++i) {
        for (int32_t j = 0; j < cols; ++j) {
            SBlockPack &d = *seekBlockBP(j, i, false);
            const SBlockPack *s00 = src.seekBlockBP(j + bx, i + by);
            const SBlockPack *s10 = ox ? src.seekBlockBP(j + bx + 1, i + by) : nullptr;
            const SBlockPack *s01 = oy ? src.seekBlockBP(j + bx, i + by + 1) : nullptr;
            const SBlockPack *s11 = ox && oy ? src.seekBlockBP(j + bx + 1, i + by + 1) : nullptr;
            // Every source block met exists, none holds memory and all share one colour: only
            // this block's colour changes (when it is uncommitted too).
            const bool allThere = s00 && (!ox || s10) && (!oy || s01) && (!ox || !oy || s11);
            if (allThere && !d.commit) {
                const sBGRA c = s00->bgCol;
                auto same = [&c](const SBlockPack *s) {
                    return !s || (!s->commit && s->bgCol.all == c.all);
                };
                if (!s00->commit && same(s10) && same(s01) && same(s11)) {
                    if (c.A != 0)
                        fnPutA(&d.bgCol, c.all, alpha);
                    continue;
                }
            }
            const int32_t rx = kUnit - ox, ry = kUnit - oy;
            bool ok = true;
            if (s00)
                ok = clippingBlockBlt(&d, s00, {0, 0}, {ox, oy, s00->box.w, s00->box.h}, alpha,
                                      fnPutA);
            if (ok && s10)
                ok = clippingBlockBlt(&d, s10, {rx, 0},
                                      {0, oy, std::min(ox, s10->box.w), s10->box.h}, alpha, fnPutA);
            if (ok && s01)
                ok = clippingBlockBlt(&d, s01, {0, ry},
                                      {ox, 0, s01->box.w, std::min(oy, s01->box.h)}, alpha, fnPutA);
            if (ok && s11)
                ok = clippingBlockBlt(&d, s11, {rx, ry},
                                      {0, 0, std::min(ox, s11->box.w), std::min(oy, s11->box.h)},
                                      alpha, fnPutA);
            if (!ok) {
                setupTraceRect();
                return false;
            }
        }
    }
    setupTraceRect();
    return true;
}

bool CBlockVMTC::clippingBlockBlt(SBlockPack *dstBlock, const SBlockPack *srcBlock, sPos dstPos,
                                  sBox srcBox, uint32_t alpha, fptrPixelPut4core fnPut)
{
    if (!dstBlock || !srcBlock || dstPos.x < 0 || dstPos.y < 0 || srcBox.x < 0 || srcBox.y < 0)
        return true;
    // Nothing can receive a put: leave the destination block as it is (no memory is taken).
    if (isUniformTransparent(*srcBlock) || (srcBlock->commit && isUniformTransparent(*dstBlock)))
        return true;
    // srcBox holds right and bottom; the piece stops at the destination block's picture too.
    const int32_t w = std::min({srcBox.w, kUnit}) - srcBox.x;
    const int32_t h = std::min({srcBox.h, kUnit}) - srcBox.y;
    const int32_t cw = std::min(w, dstBlock->box.w - dstPos.x);
    const int32_t ch = std::min(h, dstBlock->box.h - dstPos.y);
    if (cw <= 0 || ch <= 0)
        return true;
    if (!commitBlock(*dstBlock))
        return false;
    for (int32_t j = 0; j < ch; ++j) {
        sBGRA *d = blockPixel(*dstBlock, dstPos.x, dstPos.y + j);
        if (srcBlock->commit) {
            const sBGRA *s = blockPixel(*srcBlock, srcBox.x, srcBox.y + j);
            for (int32_t i = 0; i < cw; ++i)
                if (d[i].A != 0)
                    fnPut(d + i, s[i].all, alpha);
        } else {
            for (int32_t i = 0; i < cw; ++i)
                fnPut(d + i, srcBlock->bgCol.all, alpha);
        }
    }
    return true;
}

bool CBlockVMTC::clipBltBlkToBlkCheckAndBlt(SBlockPack &dstBlk, const SBlockPack &srcBlk,
                                            sPos dstPos, sBox srcBox, uint32_t alpha,
                                            fptrPixelPut4core fnPut)
{
    if (isUniformTransparent(dstBlk) || isUniformTransparent(srcBlk))
        return false;
    if (dstPos.x < 0 || dstPos.y < 0 || srcBox.x < 0 || srcBox.y < 0)
        return true;
    const int32_t w = std::min({srcBox.w, dstBlk.box.w - dstPos.x, srcBlk.box.w - srcBox.x});
    const int32_t h = std::min({srcBox.h, dstBlk.box.h - dstPos.y, srcBlk.box.h - srcBox.y});
    if (w <= 0 || h <= 0)
        return true;
    if (!dstBlk.commit && !srcBlk.commit && dstPos == sPos{0, 0} && srcBox.pos() == sPos{0, 0} &&
        w == dstBlk.box.w && h == dstBlk.box.h) {
        fnPut(&dstBlk.bgCol, srcBlk.bgCol.all, alpha);
        return true;
    }
    // A committed destination is drawn only where it has alpha; an uncommitted one (visible, as
    // tested above) everywhere.
    const bool everyPixel = !dstBlk.commit;
    if (!commitBlock(dstBlk))
        return false;
    for (int32_t j = 0; j < h; ++j) {
        sBGRA *d = blockPixel(dstBlk, dstPos.x, dstPos.y + j);
        for (int32_t i = 0; i < w; ++i) {
            if (!everyPixel && d[i].A == 0)
                continue;
            const uint32_t c = srcBlk.commit ? blockPixel(srcBlk, srcBox.x + i, srcBox.y + j)->all
                                             : srcBlk.bgCol.all;
            fnPut(d + i, c, alpha);
        }
    }
    return true;
}
