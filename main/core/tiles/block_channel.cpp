#include "core/tiles/block_channel.h"

#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/base/numeric.h"
#include "core/base/row_bounds.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kUnit = CBlockVCH::kUnit;
constexpr int32_t kMask = CBlockVCH::kUnitMask;

void setUniform(SBlockPack &pack, uint8_t v)
{
    pack.bgCol.all = v;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Life and tiles

CBlockVCH::CBlockVCH(int32_t w, int32_t h) : CBlockViewImage(w, h)
{
    if (int64_t(imageSize.x) * imageSize.y > 0)
        enable = buildBlocks();
}

CBlockVCH::CBlockVCH(const CBlockVCH &src) : CBlockVCH(src.width(), src.height())
{
    if (enable)
        enable = simpleCopy(src);
}

CBlockVCH::~CBlockVCH()
{
    freeAll();
}

bool CBlockVCH::initBlock(SBlockPack &pack)
{
    return initView(pack, uint8_t(initAlpha));
}

bool CBlockVCH::commitBlock(SBlockPack &pack)
{
    if (pack.commit)
        return true;
    if (!CBlockImage::commitBlock(pack))
        return false;
    view(pack).commit(pack.vAddr.get());
    std::memset(pack.vAddr.get(), uniformOf(pack), kUnitBytes);
    return true;
}

uint8_t *CBlockVCH::seekPixelAddr(int32_t x, int32_t y, bool need)
{
    SBlockPack *pack = seekBlock(x, y, need);
    if (!pack || !pack->commit)
        return nullptr;
    return view(*pack).seek8(x & kMask, y & kMask);
}

int32_t CBlockVCH::shrinkMemory()
{
    int32_t released = 0;
    for (SBlockPack &pack : blkArray) {
        if (!pack.commit)
            continue;
        const uint8_t *p = tileByte(pack, 0, 0);
        const uint8_t first = p[0];
        if (std::all_of(p + 1, p + kUnitBytes, [first](uint8_t v) { return v == first; })) {
            decommitBlock(pack);
            setUniform(pack, first);
            ++released;
        }
    }
    return released;
}

// ---------------------------------------------------------------------------------------------
// Pixels

uint8_t CBlockVCH::getColor(int32_t x, int32_t y) const
{
    const SBlockPack *pack = seekBlock(x, y);
    if (!pack)
        return 0;
    if (!pack->commit)
        return uniformOf(*pack);
    return *tileByte(*pack, x & kMask, y & kMask);
}

uint8_t CBlockVCH::PixelGet(int32_t x, int32_t y) const
{
    if (imageSize.x <= 0 || imageSize.y <= 0)
        return 0;
    return getColor(clampTo(x, imageSize.x), clampTo(y, imageSize.y));
}

uint8_t CBlockVCH::pixelGet2(int32_t x, int32_t y) const
{
    if (!ptInSize(x, y, imageSize.x, imageSize.y))
        return 0;
    return getColor(x, y);
}

bool CBlockVCH::setPixel(int32_t x, int32_t y, uint32_t col)
{
    uint8_t *p = seekPixelNC(x, y);
    if (!p)
        return false;
    *p = uint8_t(col);
    return true;
}

uint8_t *CBlockVCH::seekPixelNC(int32_t x, int32_t y)
{
    if (!ptInSize(x, y, imageSize.x, imageSize.y))
        return nullptr;
    return seekPixelAddr(x, y, true);
}

uint8_t *CBlockVCH::seekPixel(int32_t x, int32_t y)
{
    if (imageSize.x <= 0 || imageSize.y <= 0)
        return nullptr;
    return seekPixelNC(clampTo(x, imageSize.x), clampTo(y, imageSize.y));
}

bool CBlockVCH::storeByte(int32_t x, int32_t y, uint8_t v)
{
    return getColor(x, y) == v || setPixel(x, y, v);
}

int32_t CBlockVCH::copyLine(int32_t x, int32_t y, const uint8_t *src, int32_t len)
{
    if (!src || y < 0 || y >= imageSize.y)
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
        std::memcpy(tileByte(*pack, px & kMask, y & kMask), src + done, size_t(n));
        done += n;
    }
    return std::max(done, 0);
}

int32_t CBlockVCH::getLine(int32_t x, int32_t y, uint8_t *dst, int32_t len) const
{
    if (!dst || y < 0 || y >= imageSize.y)
        return 0;
    if (x < 0) {
        dst -= x;
        len += x;
        x = 0;
    }
    len = std::min(len, imageSize.x - x);
    int32_t done = 0;
    while (done < len) {
        const int32_t px = x + done;
        const int32_t n = std::min(kUnit - (px & kMask), len - done);
        const SBlockPack &pack = *seekBlock(px, y);
        if (pack.commit)
            std::memcpy(dst + done, tileByte(pack, px & kMask, y & kMask), size_t(n));
        else
            std::memset(dst + done, uniformOf(pack), size_t(n));
        done += n;
    }
    return std::max(done, 0);
}

// ---------------------------------------------------------------------------------------------
// Copies and combinations

bool CBlockVCH::copy(const TChannel &src, sPos dpos, sBox box)
{
    sPos dp = dpos;
    sBox b = box;
    if (!isEnable() || !src.isEnable() || !clipBlt(imageSize, src.FPSZ(), dp, b))
        return false;
    // Every touched tile is committed before anything is written, so that running out of memory
    // leaves the mask as it was.
    if (!commitArea({dp.x, dp.y, b.w, b.h}))
        return false;
    return effectAreaFrom(src, dpos, box, [&](const sPos &piecePos, const sBox &sb) {
        const SBlockPack &pack = *seekBlock(piecePos.x, piecePos.y);
        for (int32_t j = 0; j < sb.h; ++j)
            std::memcpy(tileByte(pack, piecePos.x & kMask, (piecePos.y + j) & kMask),
                        src.seek8(sb.x, sb.y + j), size_t(sb.w));
        return true;
    });
}

bool CBlockVCH::copy(const TChannel &src, int32_t dx, int32_t dy)
{
    return copy(src, {dx, dy}, boxFromSize(src.FPSZ()));
}

bool CBlockVCH::copyTo(TChannel &dst, sPos dpos, sBox box, bool fast) const
{
    if (!dst.isEnable())
        return false;
    return effectAreaTo(dst, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &pack = *seekBlock(sb.x, sb.y);
        for (int32_t j = 0; j < sb.h; ++j) {
            uint8_t *d = dst.seek8(dp.x, dp.y + j);
            if (pack.commit)
                std::memcpy(d, tileByte(pack, sb.x & kMask, (sb.y + j) & kMask), size_t(sb.w));
            else if (!fast || uniformOf(pack) != 0)
                std::memset(d, uniformOf(pack), size_t(sb.w));
        }
        return true;
    });
}

bool CBlockVCH::copyTo(TChannel &dst, int32_t dx, int32_t dy, bool fast) const
{
    return copyTo(dst, {dx, dy}, boxFromSize(imageSize), fast);
}

bool CBlockVCH::copyArea(const CBlockVCH &src, sPos dpos, sBox box, fptrMixPixel1 fnPut)
{
    if (!fnPut)
        return false;
    // Pieces are written in band order; a combination within one image would read pieces it has
    // already changed, so it goes through a copy of the source.
    if (&src == this) {
        const CBlockVCH copy(src);
        return copy.isEnable() && copyArea(copy, dpos, box, fnPut);
    }
    return effectArea(src, dpos, box, [&](const sPos &dp, const sBox &sb) {
        const SBlockPack &s = *src.seekBlock(sb.x, sb.y);
        SBlockPack &d = *seekBlock(dp.x, dp.y, false);
        const sBox piece{dp.x, dp.y, sb.w, sb.h};
        if (!s.commit && !d.commit && isWholeBlockPiece(d, piece)) {
            uint8_t v = uniformOf(d);
            fnPut(&v, uniformOf(s));
            setUniform(d, v);
            return true;
        }
        if (!commitBlock(d))
            return false;
        for (int32_t j = 0; j < sb.h; ++j) {
            uint8_t *to = tileByte(d, dp.x & kMask, (dp.y + j) & kMask);
            if (s.commit) {
                const uint8_t *from = tileByte(s, sb.x & kMask, (sb.y + j) & kMask);
                for (int32_t i = 0; i < sb.w; ++i)
                    fnPut(to + i, from[i]);
            } else {
                const uint8_t v = uniformOf(s);
                for (int32_t i = 0; i < sb.w; ++i)
                    fnPut(to + i, v);
            }
        }
        return true;
    });
}

bool CBlockVCH::copyArea(const CBlockVCH &src, sPos dpos, sBox box)
{
    return copyArea(src, dpos, box, bytePutCopy);
}

bool CBlockVCH::copyArea(const CBlockVCH &src, int32_t dx, int32_t dy)
{
    return copyArea(src, {dx, dy}, boxFromSize(src.FPSZ()), bytePutCopy);
}

// ---------------------------------------------------------------------------------------------
// Fills and effects

template <class Op> bool CBlockVCH::pieceOp(const sBox &piece, Op op)
{
    SBlockPack *pack = seekBlock(piece.x, piece.y, false);
    if (!pack)
        return false;
    if (!pack->commit && isWholeBlockPiece(*pack, piece)) {
        setUniform(*pack, op(uniformOf(*pack)));
        return true;
    }
    if (!commitBlock(*pack))
        return false;
    for (int32_t j = 0; j < piece.h; ++j) {
        uint8_t *p = tileByte(*pack, piece.x & kMask, (piece.y + j) & kMask);
        for (int32_t i = 0; i < piece.w; ++i)
            p[i] = op(p[i]);
    }
    return true;
}

bool CBlockVCH::fillArea(sBox &box, uint8_t color)
{
    return filterArea(
        box, [&](const sBox &piece) { return pieceOp(piece, [color](uint8_t) { return color; }); });
}

bool CBlockVCH::fillArea(sRect &r, uint8_t color)
{
    sBox box = rectToBox(r);
    const bool ok = fillArea(box, color);
    r = boxToRect(box);
    return ok;
}

bool CBlockVCH::effectXor(sBox box, uint8_t mask)
{
    return filterArea(box, [&](const sBox &piece) {
        return pieceOp(piece, [mask](uint8_t v) { return uint8_t(v ^ mask); });
    });
}

bool CBlockVCH::FilterXor(uint8_t mask)
{
    return effectXor(boxFromSize(imageSize), mask);
}

bool CBlockVCH::fillOutside(const sRect &r, uint8_t val)
{
    const int32_t w = imageSize.x, h = imageSize.y;
    const sBox bands[4] = {
        {0, 0, w, r.y0},        // above
        {0, r.y1, w, h - r.y1}, // below
        {0, 0, r.x0, h},        // left
        {r.x1, 0, w - r.x1, h}, // right
    };
    bool any = false;
    for (sBox band : bands)
        if (band.w > 0 && band.h > 0)
            any = fillArea(band, val) || any;
    return any;
}

bool CBlockVCH::fillOutside(const sBox &box, uint8_t val)
{
    return fillOutside(boxToRect(box), val);
}

// ---------------------------------------------------------------------------------------------
// Bounds

bool CBlockVCH::findBlockRect(sRect &r) const
{
    bool any = false;
    for (const SBlockPack &pack : blkArray)
        if (pack.commit || uniformOf(pack) != 0)
            uniteRect(r, any, blockSquare(pack));
    return any;
}

bool CBlockVCH::findRect(sRect &r) const
{
    // The bounding rectangle of the non-zero bytes is the union of each tile's own, so every
    // tile is measured once where it lies (its part inside the image only).
    bool any = false;
    for (const SBlockPack &pack : blkArray) {
        if (!pack.commit) {
            if (uniformOf(pack) != 0)
                uniteRect(r, any, boxToRect(pack.box));
            continue;
        }
        const auto row = [&pack](int32_t y) { return tileByte(pack, 0, y); };
        const auto empty = [](uint8_t v) { return v == 0; };
        sRect tr;
        if (findRowsRect(pack.box.w, pack.box.h, row, empty, tr)) {
            rectOffset(tr, pack.box.x, pack.box.y);
            uniteRect(r, any, tr);
        }
    }
    return any;
}

sRect CBlockVCH::getValidateRect() const
{
    sRect r = getValidateBlock();
    r.x0 *= kUnit;
    r.y0 *= kUnit;
    r.x1 = std::min(r.x1 * kUnit, imageSize.x);
    r.y1 = std::min(r.y1 * kUnit, imageSize.y);
    return r;
}

void CBlockVCH::getBlockPos(const sPos &dstPos, sPos &blockPos)
{
    blockPos = {dstPos.x / kUnit, dstPos.y / kUnit};
}

// ---------------------------------------------------------------------------------------------
// Growth and shrinking by one pixel

namespace {

uint8_t rank3(uint8_t a, uint8_t b, uint8_t c, bool takeMax)
{
    return takeMax ? std::max({a, b, c}) : std::min({a, b, c});
}

} // namespace

bool CBlockVCH::workRect(const CBlockVCH &src, int32_t grow, sRect &r) const
{
    if (!isEnable() || !src.isEnable() || &src == this || !src.findBlockRect(r))
        return false;
    rectInflate(r, grow);
    return clipping(r);
}

bool CBlockVCH::rank3x3Fast(const CBlockVCH &src, const sRect &r, bool takeMax)
{
    const int32_t w = r.x1 - r.x0;
    // Three rows of horizontal 3-extremes that rotate as the rows advance, and one row of source
    // bytes with a neighbour on each side.
    MemArray<uint8_t> rows[3], line;
    for (MemArray<uint8_t> &row : rows)
        if (!tryGetMem(row, size_t(w)))
            return false;
    if (!tryGetMem(line, size_t(w) + 2))
        return false;
    const auto horizontal = [&](uint8_t *out, int32_t y) {
        for (int32_t i = 0; i < w + 2; ++i)
            line[size_t(i)] = src.PixelGet(r.x0 - 1 + i, y);
        for (int32_t i = 0; i < w; ++i)
            out[i] = rank3(line[size_t(i)], line[size_t(i) + 1], line[size_t(i) + 2], takeMax);
    };
    uint8_t *above = rows[0].get(), *here = rows[1].get(), *below = rows[2].get();
    horizontal(above, r.y0 - 1);
    horizontal(here, r.y0);
    for (int32_t y = r.y0; y < r.y1; ++y) {
        horizontal(below, y + 1);
        for (int32_t i = 0; i < w; ++i)
            if (!storeByte(r.x0 + i, y, rank3(above[i], here[i], below[i], takeMax)))
                return false;
        std::swap(above, here); // here becomes the row above, below the current one
        std::swap(here, below);
    }
    shrinkMemory();
    return true;
}

bool CBlockVCH::rank3x3Direct(const CBlockVCH &src, const sRect &r, bool takeMax)
{
    for (int32_t y = r.y0; y < r.y1; ++y) {
        for (int32_t x = r.x0; x < r.x1; ++x) {
            uint8_t v = src.PixelGet(x, y);
            for (int32_t j = -1; j <= 1; ++j)
                for (int32_t i = -1; i <= 1; ++i)
                    v = takeMax ? std::max(v, src.PixelGet(x + i, y + j))
                                : std::min(v, src.PixelGet(x + i, y + j));
            if (!storeByte(x, y, v))
                return false;
        }
    }
    shrinkMemory();
    return true;
}

bool CBlockVCH::makeInflateFastCore(const CBlockVCH &src, const sRect &r)
{
    return rank3x3Fast(src, r, true);
}

bool CBlockVCH::makeInflateFast(const CBlockVCH &src)
{
    sRect r;
    return workRect(src, 1, r) && makeInflateFastCore(src, r);
}

bool CBlockVCH::makeInflateFast_Old(const CBlockVCH &src)
{
    sRect r;
    return workRect(src, 0, r) && makeInflateFastCore(src, r);
}

bool CBlockVCH::makeDeflateFast(const CBlockVCH &src)
{
    sRect r;
    return workRect(src, 0, r) && rank3x3Fast(src, r, false);
}

bool CBlockVCH::makeInflate(const CBlockVCH &src)
{
    sRect r;
    return workRect(src, 1, r) && rank3x3Direct(src, r, true);
}

bool CBlockVCH::makeDeflate(const CBlockVCH &src)
{
    sRect r;
    return workRect(src, 0, r) && rank3x3Direct(src, r, false);
}

// ---------------------------------------------------------------------------------------------
// Building from a layer image

namespace {

// Calls value(pixel) for every pixel of the layer's size clipped to the mask and stores the
// result, committing only where a byte changes.
template <class F> bool buildFromLayer(CBlockVCH &mask, const CBlockVMTC &tc, F value)
{
    if (!mask.isEnable() || !tc.isEnable())
        return false;
    sRect r = rectFromSize(tc.FPSZ());
    if (!mask.clipping(r))
        return false;
    for (int32_t y = r.y0; y < r.y1; ++y) {
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const uint8_t v = value(sBGRA{.all = tc.getColor(x, y)});
            if (mask.getColor(x, y) != v && !mask.setPixel(x, y, v))
                return false;
        }
    }
    return true;
}

} // namespace

bool CBlockVCH::makeFromValue(const CBlockVMTC &tc, bool inv)
{
    return buildFromLayer(*this, tc, [inv](sBGRA p) {
        const uint32_t l = inv ? 255 - pixelLuma(p) : pixelLuma(p);
        return gMulTable[l * 256 + p.A];
    });
}

bool CBlockVCH::makeFromMask(const CBlockVMTC &tc)
{
    return buildFromLayer(*this, tc, [](sBGRA p) { return p.A; });
}

// ---------------------------------------------------------------------------------------------
// Previews and reductions

void CBlockVCH::FilterSmallenPart(TMTC &dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh,
                                  int32_t sx, int32_t sy, int32_t simgW, int32_t simgH) const
{
    sRect r{dx, dy, dx + dw, dy + dh};
    if (!dst.isEnable() || !rectClipToSize(r, dst.FPSZ()))
        return;
    const int64_t W = dst.width(), H = dst.height();
    const int64_t stepX = int64_t(simgW) * 1024 / W, stepY = int64_t(simgH) * 1024 / H;
    const int32_t nx = int32_t(simgW / W) + 1, ny = int32_t(simgH / H) + 1;
    const uint32_t count = uint32_t(nx) * uint32_t(ny);
    for (int32_t y = r.y0; y < r.y1; ++y) {
        const int32_t py = sy + int32_t((stepY * y) >> 10);
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const int32_t px = sx + int32_t((stepX * x) >> 10);
            uint32_t sum = 0;
            for (int32_t j = 0; j < ny; ++j)
                for (int32_t i = 0; i < nx; ++i)
                    sum += pixelGet2(px + i, py + j);
            dst.seek32(x, y)->all = (sum / count) * 0x010101u;
        }
    }
}

void CBlockVCH::makePreviewImg(TMTC &dst, const sBox &dstBox, const sBox &srcBox) const
{
    sRect r = boxToRect(dstBox);
    if (!isEnable() || !dst.isEnable() || dstBox.w <= 0 || dstBox.h <= 0 ||
        !rectClipToSize(r, dst.FPSZ()))
        return;
    const int64_t rateX = fixDiv(srcBox.w, dstBox.w), rateY = fixDiv(srcBox.h, dstBox.h);
    const int32_t lastX = imageSize.x - 1, lastY = imageSize.y - 1;
    for (int32_t y = r.y0; y < r.y1; ++y) {
        const int64_t fyPos = (int64_t(srcBox.y) << 16) + (y - dstBox.y) * rateY;
        const int64_t y0 = fyPos >> 16, fy = fyPos & 0xFFFF;
        if (y0 < 0 || y0 > lastY)
            continue;
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const int64_t fxPos = (int64_t(srcBox.x) << 16) + (x - dstBox.x) * rateX;
            const int64_t x0 = fxPos >> 16, fx = fxPos & 0xFFFF;
            if (x0 < 0 || x0 > lastX)
                continue;
            const int32_t ix = int32_t(x0), iy = int32_t(y0);
            // A neighbour past the last column or row repeats the sample itself.
            const int64_t v00 = getColor(ix, iy);
            const int64_t v10 = ix < lastX ? getColor(ix + 1, iy) : v00;
            const int64_t v01 = iy < lastY ? getColor(ix, iy + 1) : v00;
            const int64_t v11 = ix < lastX && iy < lastY ? getColor(ix + 1, iy + 1) : v00;
            // Horizontal then vertical weighting in 16.16, so that a uniform area keeps its value.
            const int64_t top = v00 * (0x10000 - fx) + v10 * fx;
            const int64_t bottom = v01 * (0x10000 - fx) + v11 * fx;
            const uint32_t v = uint32_t((top * (0x10000 - fy) + bottom * fy) >> 32);
            dst.seek32(x, y)->all = 0xFF000000u | v * 0x010101u;
        }
    }
}

bool CBlockVCH::FilterSmallenHQ(CBlockVCH &dst) const
{
    if (!isEnable() || !dst.isEnable() || &dst == this)
        return false;
    const int64_t W = dst.width(), H = dst.height();
    const int64_t stepX = int64_t(imageSize.x) * 1024 / W, subX = int64_t(imageSize.x) * 256 / W;
    const int64_t stepY = int64_t(imageSize.y) * 1024 / H, subY = int64_t(imageSize.y) * 256 / H;
    for (int32_t l = 0; l < H; ++l) {
        for (int32_t m = 0; m < W; ++m) {
            uint32_t sum = 0;
            for (int32_t i = 0; i < 4; ++i) {
                const int32_t py = int32_t((stepY * l + subY * i) >> 10);
                for (int32_t j = 0; j < 4; ++j)
                    sum += pixelGet2(int32_t((stepX * m + subX * j) >> 10), py);
            }
            if (!dst.storeByte(m, l, uint8_t(sum / 16)))
                return false;
        }
    }
    dst.shrinkMemory();
    return true;
}

bool CBlockVCH::saveBmp(const QString &path) const
{
    TChannel ch;
    if (!isEnable() || !ch.Resize(imageSize.x, imageSize.y))
        return false;
    copyTo(ch, 0, 0, false);
    return ch.save(path, 0);
}
