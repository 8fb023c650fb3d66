#include "core/tiles/block_layer_image.h"

#include "core/image/channel.h"
#include "core/base/row_bounds.h"
#include "core/tiles/work_threads.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int32_t kUnit = CBlockVMTC::kUnit;
constexpr int32_t kMask = kUnit - 1;
constexpr int32_t kBlockPixels = kUnit * kUnit;

// A piece's position inside its block.
sPos inBlock(const sPos &p)
{
    return {p.x & kMask, p.y & kMask};
}
sBox inBlock(const sBox &b)
{
    return {b.x & kMask, b.y & kMask, b.w, b.h};
}

sBGRA *blockPixels(const SBlockPack &pack)
{
    return static_cast<sBGRA *>(pack.vAddr.get());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Life and blocks

CBlockVMTC::CBlockVMTC(int32_t w, int32_t h) : CBlockViewImage(w, h)
{
    rectTracerInit(rectTrace, imageSize);
    enable = buildBlocks();
}

CBlockVMTC::CBlockVMTC(const CBlockVMTC &src) : CBlockVMTC(src.width(), src.height())
{
    if (enable)
        enable = simpleCopy(src);
}

CBlockVMTC::~CBlockVMTC()
{
    freeAll();
}

bool CBlockVMTC::initBlock(SBlockPack &pack)
{
    return initView(pack, initColor);
}

bool CBlockVMTC::commitBlock(SBlockPack &pack)
{
    if (pack.commit)
        return true;
    if (!CBlockImage::commitBlock(pack))
        return false;
    view(pack).commit(pack.vAddr.get());
    std::fill_n(&blockPixels(pack)->all, kBlockPixels, pack.bgCol.all);
    traceBlock(pack);
    return true;
}

sBGRA *CBlockVMTC::seekPixelAddr(int32_t x, int32_t y, bool need)
{
    SBlockPack *pack = seekBlock(x, y, need);
    if (!pack || !pack->commit)
        return nullptr;
    return blockPixel(*pack, x & kMask, y & kMask);
}

int32_t CBlockVMTC::shrinkMemory()
{
    int32_t released = 0;
    for (SBlockPack &pack : blkArray) {
        if (!pack.commit)
            continue;
        const uint32_t *p = &blockPixels(pack)->all;
        const uint32_t first = p[0];
        if (std::all_of(p + 1, p + kBlockPixels, [first](uint32_t v) { return v == first; })) {
            pack.bgCol.all = first;
            decommitBlock(pack);
            ++released;
        }
    }
    setupTraceRect();
    return released;
}

// ---------------------------------------------------------------------------------------------
// Trace rectangles

void CBlockVMTC::resetTrace()
{
    rectTracerInit(rectTrace, imageSize);
}

void CBlockVMTC::traceBlock(const SBlockPack &pack)
{
    if (pack.commit || pack.bgCol.A != 0)
        rectTracerAdd(rectTrace, boxToRect(pack.box));
}

int32_t CBlockVMTC::setupTraceRect()
{
    resetTrace();
    for (const SBlockPack &pack : blkArray)
        traceBlock(pack);
    return rectTrace.cnt;
}

bool CBlockVMTC::intersectTraceRect(int32_t idx, sPos &dpos, sBox &box) const
{
    if (idx < 0 || idx >= rectTrace.cnt)
        return false;
    sBox cut = box;
    if (!boxClipToRect(cut, rectTrace.rects[size_t(idx)]))
        return false;
    dpos.x += cut.x - box.x;
    dpos.y += cut.y - box.y;
    box = cut;
    return true;
}

bool CBlockVMTC::filterAreaTraced(sBox &box, const fptrBlkFlt &fnFlt)
{
    const bool ok = filterArea(box, fnFlt);
    setupTraceRect();
    return ok;
}

bool CBlockVMTC::effectAreaFromTraced(const CDibCore &src, sPos dstPos, sBox srcBox,
                                      const fptrBlkEfctFrom &fn)
{
    const bool ok = effectAreaFrom(src, dstPos, srcBox, fn);
    setupTraceRect();
    return ok;
}

bool CBlockVMTC::effectAreaTraced(const CBlockImage &src, sPos dstPos, sBox srcBox,
                                  const fptrBlkEfct &fn)
{
    const bool ok = effectArea(src, dstPos, srcBox, fn);
    setupTraceRect();
    return ok;
}

bool CBlockVMTC::simpleCopy(const CBlockImage &src)
{
    const bool ok = CBlockImage::simpleCopy(src);
    setupTraceRect();
    return ok;
}

bool CBlockVMTC::simpleCopy(const CBlockImage &src, sPos dpos, sBox box)
{
    const bool ok = CBlockImage::simpleCopy(src, dpos, box);
    setupTraceRect();
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Pixels

uint32_t CBlockVMTC::getColor(int32_t x, int32_t y) const
{
    const SBlockPack *pack = seekBlock(x, y);
    if (!pack)
        return 0;
    if (!pack->commit)
        return pack->bgCol.all;
    return blockPixel(*pack, x & kMask, y & kMask)->all;
}

uint32_t CBlockVMTC::PixelGet(int32_t x, int32_t y) const
{
    if (imageSize.x <= 0 || imageSize.y <= 0)
        return 0;
    return getColor(clampTo(x, imageSize.x), clampTo(y, imageSize.y));
}

uint32_t CBlockVMTC::getColor2(int32_t x, int32_t y) const
{
    if (!ptInSize(x, y, imageSize.x, imageSize.y))
        return initColor;
    return getColor(x, y);
}

uint8_t CBlockVMTC::PixelGetY(int32_t x, int32_t y) const
{
    return uint8_t(pixelLuma(sBGRA{.all = getColor(x, y)}));
}

bool CBlockVMTC::setPixel(int32_t x, int32_t y, uint32_t col)
{
    sBGRA *p = seekPixelNC(x, y);
    if (!p)
        return false;
    p->all = col;
    return true;
}

sBGRA *CBlockVMTC::seekPixelNC(int32_t x, int32_t y)
{
    if (!ptInSize(x, y, imageSize.x, imageSize.y))
        return nullptr;
    return seekPixelAddr(x, y, true);
}

sBGRA *CBlockVMTC::seekPixel(int32_t x, int32_t y)
{
    if (imageSize.x <= 0 || imageSize.y <= 0)
        return nullptr;
    return seekPixelNC(clampTo(x, imageSize.x), clampTo(y, imageSize.y));
}

// ---------------------------------------------------------------------------------------------
// Fills, masks and bitwise effects

template <class Op> bool CBlockVMTC::pieceOp(const sBox &piece, Op op)
{
    SBlockPack *pack = seekBlock(piece.x, piece.y, false);
    if (!pack)
        return false;
    if (!pack->commit && isWholeBlockPiece(*pack, piece)) {
        pack->bgCol.all = op(pack->bgCol.all);
        return true;
    }
    if (!commitBlock(*pack))
        return false;
    for (int32_t j = 0; j < piece.h; ++j) {
        sBGRA *p = blockPixel(*pack, piece.x & kMask, (piece.y + j) & kMask);
        for (int32_t i = 0; i < piece.w; ++i)
            p[i].all = op(p[i].all);
    }
    return true;
}

bool CBlockVMTC::maskImage(sBox box, uint32_t mask, uint32_t data)
{
    const uint32_t set = data & mask, keep = ~mask;
    return filterAreaTraced(box, [&](const sBox &piece) {
        return pieceOp(piece, [=](uint32_t v) { return set | (v & keep); });
    });
}

bool CBlockVMTC::fillImage(const sBox &box, uint32_t color)
{
    return maskImage(box, 0x00FFFFFF, color);
}

bool CBlockVMTC::fillImageAll(uint32_t color)
{
    return fillImage(boxFromSize(imageSize), color);
}

bool CBlockVMTC::setAlpha(const sBox &box, uint8_t val)
{
    return maskImage(box, 0xFF000000, uint32_t(val) << 24);
}

bool CBlockVMTC::setAlphaAll(uint8_t val)
{
    return setAlpha(boxFromSize(imageSize), val);
}

bool CBlockVMTC::clearImage(const sBox &box, TLayerMode lm)
{
    const std::optional<uint32_t> bg = getLayerModeBgColor(lm);
    return bg && fillImage(box, *bg);
}

bool CBlockVMTC::clearImage(TLayerMode lm)
{
    return clearImage(boxFromSize(imageSize), lm);
}

bool CBlockVMTC::effectXor(sBox box, uint32_t mask)
{
    return filterAreaTraced(box, [&](const sBox &piece) {
        return pieceOp(piece, [=](uint32_t v) { return v ^ mask; });
    });
}

bool CBlockVMTC::FilterXor(uint32_t mask)
{
    return effectXor(boxFromSize(imageSize), mask);
}

bool CBlockVMTC::PixelFill(uint32_t val)
{
    if (!isEnable())
        return false;
    for (SBlockPack &pack : blkArray) {
        if (pack.commit)
            std::fill_n(&blockPixels(pack)->all, kBlockPixels, val);
        else
            pack.bgCol.all = val;
    }
    setupTraceRect();
    return true;
}

// ---------------------------------------------------------------------------------------------
// Lines of one channel

int32_t CBlockVMTC::copyLine(int32_t x, int32_t y, int32_t ch, const uint8_t *src, int32_t len)
{
    if (ch < 0 || ch > 3 || y < 0 || y >= imageSize.y || !src)
        return 0;
    if (x < 0) { // the part left of the image is not written
        src -= x;
        len += x;
        x = 0;
    }
    len = std::min(len, imageSize.x - x);
    int32_t done = 0;
    while (done < len) {
        const int32_t px = x + done;
        const int32_t n = std::min(kUnit - (px & kMask), len - done);
        SBlockPack *pack = needBlock(px, y);
        if (!pack)
            return -1;
        uint8_t *p = reinterpret_cast<uint8_t *>(blockPixel(*pack, px & kMask, y & kMask)) + ch;
        for (int32_t i = 0; i < n; ++i)
            p[i * 4] = src[done + i];
        done += n;
    }
    return std::max(done, 0);
}

int32_t CBlockVMTC::copyLine1(int32_t x, int32_t y, const uint8_t *src, int32_t blen)
{
    if (y < 0 || y >= imageSize.y || x < 0 || x >= imageSize.x || !src)
        return 0;
    const int32_t firstByte = x / 8;
    blen = std::min(blen, (imageSize.x + 7) / 8 - firstByte);
    // 8 divides the block width, so every source byte lies inside one block.
    SBlockPack *pack = nullptr;
    for (int32_t k = 0; k < blen; ++k) {
        const int32_t px0 = (firstByte + k) * 8;
        if (!pack || (px0 & kMask) == 0) {
            pack = needBlock(px0, y);
            if (!pack)
                return -1;
        }
        sBGRA *p = blockPixel(*pack, px0 & kMask, y & kMask);
        const int32_t bits = std::min(8, imageSize.x - px0); // pixels past the edge are skipped
        for (int32_t b = 0; b < bits; ++b) {
            const uint32_t v = (src[k] & (0x80 >> b)) ? 0 : 255;
            p[b].all = (p[b].all & 0xFF000000) | v << 16 | v << 8 | v;
        }
    }
    return std::max(blen, 0);
}

int32_t CBlockVMTC::getLine(int32_t x, int32_t y, int32_t ch, uint8_t *dst, int32_t len) const
{
    if (ch < 0 || ch > 3 || y < 0 || y >= imageSize.y || !dst)
        return 0;
    if (x < 0) {
        dst -= x;
        len += x;
        x = 0;
    }
    len = std::min(len, imageSize.x - x);
    for (int32_t i = 0; i < len; ++i)
        dst[i] = uint8_t(getColor(x + i, y) >> (8 * ch));
    return std::max(len, 0);
}

// ---------------------------------------------------------------------------------------------
// Transfers to and from canvases

bool CBlockVMTC::bltTo(TMTC &dst, sPos dpos, sBox box, uint32_t alpha, bool fast) const
{
    if (!dst.isEnable())
        return false;
    return effectAreaTo(dst, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &pack = *seekBlock(sb.x, sb.y);
        if (pack.commit)
            view(pack).bltEx(dst, dp, inBlock(sb), alpha);
        else if (!fast || pack.bgCol.A != 0)
            dst.fillBoxNC(sBox{dp.x, dp.y, sb.w, sb.h}, pack.bgCol.all);
        return true;
    });
}

bool CBlockVMTC::bltTo(TMTC &dst, int32_t dx, int32_t dy, uint32_t alpha, bool fast) const
{
    return bltTo(dst, {dx, dy}, boxFromSize(imageSize), alpha, fast);
}

bool CBlockVMTC::bltFrom(const TMTC &src, sPos dpos, sBox box, uint32_t alpha)
{
    sPos dp = dpos;
    sBox b = box;
    if (!isEnable() || !src.isEnable() || !clipBlt(imageSize, src.FPSZ(), dp, b))
        return false;
    // Every touched block is committed before anything is written, so that running out of
    // memory leaves the picture as it was.
    if (!commitArea({dp.x, dp.y, b.w, b.h}))
        return false;
    return effectAreaFromTraced(src, dpos, box, [&](const sPos &piecePos, const sBox &sb) {
        const SBlockPack &pack = *seekBlock(piecePos.x, piecePos.y);
        src.bltEx(view(pack), inBlock(piecePos), sb, alpha);
        return true;
    });
}

bool CBlockVMTC::bltFrom(const TMTC &src, int32_t dx, int32_t dy, uint32_t alpha)
{
    return bltFrom(src, {dx, dy}, boxFromSize(src.FPSZ()), alpha);
}

bool CBlockVMTC::bltFromCH(const TChannel &src, sPos dpos, sBox box, uint32_t col,
                           fptrPixelPut4core fnPut)
{
    sPos dp = dpos;
    sBox b = box;
    if (!isEnable() || !src.isEnable() || !fnPut || !clipBlt(imageSize, src.FPSZ(), dp, b))
        return false;
    if (!commitArea({dp.x, dp.y, b.w, b.h}))
        return false;
    return effectAreaFromTraced(src, dpos, box, [&](const sPos &piecePos, const sBox &sb) {
        const SBlockPack &pack = *seekBlock(piecePos.x, piecePos.y);
        for (int32_t j = 0; j < sb.h; ++j) {
            sBGRA *d = blockPixel(pack, piecePos.x & kMask, (piecePos.y + j) & kMask);
            const uint8_t *s = src.seek8(sb.x, sb.y + j);
            for (int32_t i = 0; i < sb.w; ++i)
                fnPut(d + i, col, s[i]);
        }
        return true;
    });
}

bool CBlockVMTC::copyArea(const CBlockVMTC &src, sPos dpos, sBox box)
{
    // Pieces are written in band order; a copy within one image would read pieces it has
    // already overwritten, so it goes through a copy of the source.
    if (&src == this) {
        const CBlockVMTC copy(src);
        return copy.isEnable() && copyArea(copy, dpos, box);
    }
    return effectAreaTraced(src, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *src.seekBlock(sb.x, sb.y);
        SBlockPack &d = *seekBlock(dp.x, dp.y, false);
        const sBox piece{dp.x, dp.y, sb.w, sb.h};
        if (!s.commit && !d.commit && isWholeBlockPiece(d, piece)) {
            d.bgCol = s.bgCol;
            return true;
        }
        if (!commitBlock(d))
            return false;
        for (int32_t j = 0; j < sb.h; ++j) {
            sBGRA *to = blockPixel(d, dp.x & kMask, (dp.y + j) & kMask);
            if (s.commit)
                std::memmove(to, blockPixel(s, sb.x & kMask, (sb.y + j) & kMask), size_t(sb.w) * 4);
            else
                std::fill_n(&to->all, sb.w, s.bgCol.all);
        }
        return true;
    });
}

bool CBlockVMTC::copyArea(const CBlockVMTC &src)
{
    return copyArea(src, {0, 0}, boxFromSize(src.FPSZ()));
}

// ---------------------------------------------------------------------------------------------
// Whole-image transforms

template <class F> bool CBlockVMTC::transformThroughCanvas(F f)
{
    if (!isEnable())
        return false;
    TMTC tc;
    if (!tc.Resize(imageSize.x, imageSize.y))
        return false;
    bltTo(tc, {0, 0}, boxFromSize(imageSize), 255, false);
    f(tc);
    if (!bltFrom(tc, {0, 0}, boxFromSize(imageSize), 255))
        return false;
    shrinkMemory();
    return true;
}

bool CBlockVMTC::flipLR(sBox box)
{
    return transformThroughCanvas([&](TMTC &tc) { tc.flipLR(box); });
}

bool CBlockVMTC::flipTB(sBox box)
{
    return transformThroughCanvas([&](TMTC &tc) { tc.flipTB(box); });
}

bool CBlockVMTC::rot180(sBox box)
{
    return transformThroughCanvas([&](TMTC &tc) { tc.rot180(box); });
}

namespace {

// The source pixel that lands on (x, y) of a quarter turn of a w x h image.
sPos rot90Source(int32_t x, int32_t y, int32_t w, int32_t h, bool right)
{
    return right ? sPos{y, h - 1 - x} : sPos{w - 1 - y, x};
}

} // namespace

bool CBlockVMTC::rot90(TMTC &dst, bool right) const
{
    const int32_t w = imageSize.x, h = imageSize.y;
    if (!isEnable() || !dst.isEnable() || dst.width() < h || dst.height() < w)
        return false;
    for (int32_t y = 0; y < w; ++y) {
        sBGRA *d = dst.seek32(0, y);
        for (int32_t x = 0; x < h; ++x) {
            const sPos s = rot90Source(x, y, w, h, right);
            d[x].all = getColor(s.x, s.y);
        }
    }
    return true;
}

bool CBlockVMTC::rot90(const sPos &ofs, CBlockVMTC &dst, bool right) const
{
    const int32_t w = imageSize.x, h = imageSize.y;
    if (!isEnable() || !dst.isEnable() || &dst == this || ofs.x < 0 || ofs.y < 0 ||
        int64_t(ofs.x) + h > dst.width() || int64_t(ofs.y) + w > dst.height())
        return false;
    for (int32_t y = 0; y < w; ++y) {
        for (int32_t x = 0; x < h; ++x) {
            const sPos s = rot90Source(x, y, w, h, right);
            const uint32_t col = getColor(s.x, s.y);
            // Pixels that already hold the colour are left alone, so uniform blocks stay
            // uncommitted where the turned picture is uniform too.
            if (dst.getColor(ofs.x + x, ofs.y + y) != col &&
                !dst.setPixel(ofs.x + x, ofs.y + y, col))
                return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Bounds

bool CBlockVMTC::findBlockRect(sRect &r) const
{
    bool any = false;
    for (const SBlockPack &pack : blkArray)
        if (pack.commit || pack.bgCol.A != 0)
            uniteRect(r, any, blockSquare(pack));
    return any;
}

bool CBlockVMTC::findRect(sRect &r) const
{
    // The bounding box of the visible pixels is the union of each block's own bounding box, so
    // every block is measured where it lies, without committing uniform ones.
    bool any = false;
    for (const SBlockPack &pack : blkArray) {
        if (!pack.commit) {
            if (pack.bgCol.A != 0)
                uniteRect(r, any, boxToRect(pack.box));
            continue;
        }
        const auto row = [&pack](int32_t y) { return blockPixel(pack, 0, y); };
        const auto empty = [](const sBGRA &p) { return p.A == 0; };
        sRect br;
        if (findRowsRect(pack.box.w, pack.box.h, row, empty, br)) {
            rectOffset(br, pack.box.x, pack.box.y);
            uniteRect(r, any, br);
        }
    }
    return any;
}

bool CBlockVMTC::blockHasAlpha(const SBlockPack &pack)
{
    if (!pack.commit)
        return pack.bgCol.A != 0;
    const sBGRA *p = blockPixels(pack);
    return std::any_of(p, p + kBlockPixels, [](const sBGRA &c) { return c.A != 0; });
}

bool CBlockVMTC::findVisibleRect(sRect &r) const
{
    bool any = false;
    for (const SBlockPack &pack : blkArray)
        if (blockHasAlpha(pack))
            uniteRect(r, any, blockSquare(pack));
    return any;
}

// ---------------------------------------------------------------------------------------------
// Previews and reductions

void CBlockVMTC::makePreview(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh, int32_t sx,
                             int32_t sy, int32_t docw, int32_t doch) const
{
    sRect r{dx, dy, dx + dw, dy + dh};
    if (!dst.isEnable() || !rectClipToSize(r, dst.FPSZ()))
        return;
    const int64_t W = dst.width(), H = dst.height();
    for (int32_t y = r.y0; y < r.y1; ++y) {
        const int32_t py = sy + int32_t(int64_t(doch) * y / H);
        sBGRA *d = dst.seek32(0, y);
        for (int32_t x = r.x0; x < r.x1; ++x)
            d[x].all = PixelGet(sx + int32_t(int64_t(docw) * x / W), py);
    }
}

namespace {

// sum[0..3] += the B, G, R and A of count pixels.
void addChannels(uint32_t *sum, const uint32_t *from, int32_t count)
{
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    __m128i wide = zero;
    while (i + 2 <= count) {
        // Two pixels per step in 16-bit lanes, emptied every 128 steps before they could carry.
        __m128i narrow = zero;
        for (const int32_t stop = std::min(count - 1, i + 256); i < stop; i += 2)
            narrow = _mm_add_epi16(
                narrow,
                _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i *>(from + i)), zero));
        wide = _mm_add_epi32(wide, _mm_add_epi32(_mm_unpacklo_epi16(narrow, zero),
                                                 _mm_unpackhi_epi16(narrow, zero)));
    }
    uint32_t lanes[4];
    _mm_storeu_si128(reinterpret_cast<__m128i *>(lanes), wide);
    for (int c = 0; c < 4; ++c)
        sum[c] += lanes[c];
#endif
    for (; i < count; ++i) {
        const sBGRA c{.all = from[i]};
        sum[0] += c.B, sum[1] += c.G, sum[2] += c.R, sum[3] += c.A;
    }
}

} // namespace

void CBlockVMTC::clampedRow(int64_t x0, int32_t y, int32_t n, uint32_t *out) const
{
    if (imageSize.x <= 0 || imageSize.y <= 0) {
        std::fill_n(out, n, 0u);
        return;
    }
    const int32_t cy = clampTo(y, imageSize.y);
    int32_t i = 0;
    // Left of the image: its first column.
    if (x0 < 0) {
        const int32_t left = int32_t(std::min<int64_t>(-x0, n));
        std::fill_n(out, left, getColor(0, cy));
        i = left;
    }
    // Inside: a run of each block's row at a time.
    while (i < n && x0 + i < imageSize.x) {
        const int32_t x = int32_t(x0 + i);
        const int32_t run = std::min({kUnit - (x & kMask), n - i, imageSize.x - x});
        const SBlockPack *pack = seekBlock(x, cy);
        if (pack && pack->commit)
            std::copy_n(&blockPixel(*pack, x & kMask, cy & kMask)->all, run, out + i);
        else
            std::fill_n(out + i, run, pack ? pack->bgCol.all : 0u);
        i += run;
    }
    // Right of it: its last column.
    if (i < n)
        std::fill_n(out + i, n - i, getColor(imageSize.x - 1, cy));
}

void CBlockVMTC::FilterSmallenPart(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                                   int32_t sx, int32_t sy, int32_t simgW, int32_t simgH) const
{
    sRect r{dx, dy, dx + dw, dy + dh};
    if (!dst.isEnable() || !rectClipToSize(r, dst.FPSZ()))
        return;
    const int64_t W = dst.width(), H = dst.height();
    const int64_t kx = int64_t(simgW) * 1024 / W, ky = int64_t(simgH) * 1024 / H;
    const int32_t nx = int32_t(simgW / W), ny = int32_t(simgH / H);
    // The source columns the rectangle reads, each read once per source row into a line.
    const int64_t c0 = int64_t(sx) + ((kx * r.x0) >> 10);
    const int64_t c1 = int64_t(sx) + ((kx * (r.x1 - 1)) >> 10) + nx;
    // Odd scales (negative sizes, positions near the 32-bit edge) keep the pixel walk, whose
    // sums wrap as they always did.
    if (nx < 0 || ny < 0 || kx < 0 || ky < 0 || c1 - c0 >= (int64_t(1) << 26) ||
        c1 > INT32_MAX || c0 < INT32_MIN) {
        FilterSmallenPartByPixel(dst, dx, dy, dw, dh, sx, sy, simgW, simgH);
        return;
    }
    const uint32_t count = uint32_t(nx + 1) * uint32_t(ny + 1);
    const int32_t n = int32_t(c1 - c0 + 1), cols = r.x1 - r.x0;
    // Preview rows are independent: bands of them go to the work threads.
    parallelRanges(r.y1 - r.y0, 1, [&](int32_t begin, int32_t end) {
        std::vector<uint32_t> line(static_cast<size_t>(n));
        std::vector<uint32_t> sums(size_t(cols) * 4);
        std::vector<int32_t> at(static_cast<size_t>(cols));
        for (int32_t x = r.x0; x < r.x1; ++x)
            at[size_t(x - r.x0)] = int32_t(int64_t(sx) + ((kx * x) >> 10) - c0);
        for (int32_t y = r.y0 + begin; y < r.y0 + end; ++y) {
            const int32_t py = sy + int32_t((ky * y) >> 10);
            std::fill(sums.begin(), sums.end(), 0u);
            for (int32_t j = 0; j <= ny; ++j) {
                clampedRow(c0, py + j, n, line.data());
                for (int32_t k = 0; k < cols; ++k) {
                    uint32_t *sum = sums.data() + size_t(k) * 4;
                    const uint32_t *from = line.data() + at[size_t(k)];
                    addChannels(sum, from, nx + 1);
                }
            }
            for (int32_t k = 0; k < cols; ++k) {
                const uint32_t *sum = sums.data() + size_t(k) * 4;
                sBGRA *d = dst.seek32(r.x0 + k, y);
                d->B = uint8_t(sum[0] / count), d->G = uint8_t(sum[1] / count);
                d->R = uint8_t(sum[2] / count), d->A = uint8_t(sum[3] / count);
            }
        }
    });
}

void CBlockVMTC::FilterSmallenPartByPixel(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                                          int32_t sx, int32_t sy, int32_t simgW, int32_t simgH) const
{
    sRect r{dx, dy, dx + dw, dy + dh};
    if (!dst.isEnable() || !rectClipToSize(r, dst.FPSZ()))
        return;
    const int64_t W = dst.width(), H = dst.height();
    const int64_t kx = int64_t(simgW) * 1024 / W, ky = int64_t(simgH) * 1024 / H;
    const int32_t nx = int32_t(simgW / W), ny = int32_t(simgH / H);
    const uint32_t count = uint32_t(nx + 1) * uint32_t(ny + 1);
    for (int32_t y = r.y0; y < r.y1; ++y) {
        const int32_t py = sy + int32_t((ky * y) >> 10);
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const int32_t px = sx + int32_t((kx * x) >> 10);
            uint32_t sum[4] = {};
            for (int32_t j = 0; j <= ny; ++j) {
                for (int32_t i = 0; i <= nx; ++i) {
                    const sBGRA c{.all = PixelGet(px + i, py + j)};
                    sum[0] += c.B, sum[1] += c.G, sum[2] += c.R, sum[3] += c.A;
                }
            }
            sBGRA *d = dst.seek32(x, y);
            d->B = uint8_t(sum[0] / count), d->G = uint8_t(sum[1] / count);
            d->R = uint8_t(sum[2] / count), d->A = uint8_t(sum[3] / count);
        }
    }
}

bool CBlockVMTC::FilterSmallenHQ(CBlockVMTC &dst) const
{
    if (!isEnable() || !dst.isEnable() || &dst == this)
        return false;
    const int64_t W = dst.width(), H = dst.height();
    const int64_t kx = int64_t(imageSize.x) * 1024 / W, sx4 = int64_t(imageSize.x) * 256 / W;
    const int64_t ky = int64_t(imageSize.y) * 1024 / H, sy4 = int64_t(imageSize.y) * 256 / H;
    for (int32_t y = 0; y < H; ++y) {
        for (int32_t x = 0; x < W; ++x) {
            uint32_t sum[4] = {};
            for (int32_t j = 0; j < 4; ++j) {
                const int32_t py = int32_t((ky * y + sy4 * j) >> 10);
                for (int32_t i = 0; i < 4; ++i) {
                    const sBGRA c{.all = PixelGet(int32_t((kx * x + sx4 * i) >> 10), py)};
                    sum[0] += c.B, sum[1] += c.G, sum[2] += c.R, sum[3] += c.A;
                }
            }
            const uint32_t v =
                (sum[3] / 16) << 24 | (sum[2] / 16) << 16 | (sum[1] / 16) << 8 | sum[0] / 16;
            if (dst.getColor(x, y) != v && !dst.setPixel(x, y, v))
                return false;
        }
    }
    dst.shrinkMemory();
    return true;
}

bool CBlockVMTC::saveBmp(const QString &path) const
{
    TMTC tc;
    if (!isEnable() || !tc.Resize(imageSize.x, imageSize.y))
        return false;
    bltTo(tc, 0, 0, 255, false);
    return tc.saveBitmap(path, 0);
}

bool CBlockVMTC::saveBmpAlpha(const QString &path) const
{
    TChannel ch;
    if (!isEnable() || !ch.Resize(imageSize.x, imageSize.y))
        return false;
    for (int32_t y = 0; y < imageSize.y; ++y) {
        uint8_t *d = ch.seek8(0, y);
        for (int32_t x = 0; x < imageSize.x; ++x)
            d[x] = uint8_t(getColor(x, y) >> 24);
    }
    return ch.save(path, 0);
}

// ---------------------------------------------------------------------------------------------
// Alpha and byte images

bool byteImageFromAlpha(sByteImage &img, const CBlockVMTC &layer, sBox &box)
{
    if (!layer.isEnable() || !layer.clipping(box) || !byteImageAlloc(img, box.w, box.h))
        return false;
    for (int32_t j = 0; j < box.h; ++j)
        for (int32_t i = 0; i < box.w; ++i)
            *byteImagePixel(img, i, j) = uint8_t(layer.PixelGet(box.x + i, box.y + j) >> 24);
    return true;
}

namespace {

// Sets the alpha of layer pixel (x, y) to a, committing only where it changes.
bool putAlpha(CBlockVMTC &layer, int32_t x, int32_t y, uint8_t a)
{
    const uint32_t old = layer.getColor(x, y);
    const uint32_t col = (old & 0x00FFFFFF) | uint32_t(a) << 24;
    return col == old || layer.setPixel(x, y, col);
}

} // namespace

bool byteImageToAlpha(const sByteImage &img, CBlockVMTC &layer, const sBox &box)
{
    if (!layer.isEnable() || !byteImageHasData(img))
        return false;
    sPos dp = box.pos();
    sBox src{0, 0, img.w, img.h};
    if (!clipBlt(layer.FPSZ(), {img.w, img.h}, dp, src))
        return false;
    bool ok = true;
    for (int32_t j = 0; j < src.h && ok; ++j)
        for (int32_t i = 0; i < src.w && ok; ++i)
            ok = putAlpha(layer, dp.x + i, dp.y + j, *byteImagePixel(img, src.x + i, src.y + j));
    layer.shrinkMemory();
    return ok;
}

bool byteImageSwapAlpha(sByteImage &img, CBlockVMTC &layer)
{
    if (!layer.isEnable() || !byteImageHasData(img) || img.w != layer.width() ||
        img.h != layer.height())
        return false;
    // First commit every block where an alpha changes: running out of memory then leaves both
    // images as they were instead of half exchanged.
    for (int32_t y = 0; y < img.h; ++y)
        for (int32_t x = 0; x < img.w; ++x)
            if (layer.getColor(x, y) >> 24 != *byteImagePixel(img, x, y) &&
                !layer.seekPixelNC(x, y))
                return false;
    for (int32_t y = 0; y < img.h; ++y) {
        for (int32_t x = 0; x < img.w; ++x) {
            uint8_t &b = *byteImagePixel(img, x, y);
            const uint8_t a = uint8_t(layer.getColor(x, y) >> 24);
            if (a != b) {
                layer.seekPixelNC(x, y)->A = b;
                b = a;
            }
        }
    }
    layer.shrinkMemory();
    return true;
}
