#include "core/image/canvas.h"

#include "core/image/channel.h"
#include "core/pixel/blend_modes.h"
#include "core/pixel/layer_mix.h"
#include "core/base/numeric.h"
#include "core/base/row_bounds.h"
#include "platform/system/debug_output.h"

#include <algorithm>
#include <cstring>

uint32_t gViewBackColor = 0x00808080;

// ---- storage -------------------------------------------------------------------------------

TMTC::TMTC(int32_t x, int32_t y)
{
    Resize(x, y);
}

TMTC::TMTC(const sSize &sz)
{
    Resize(sz.x, sz.y);
}

TMTC::TMTC(const TMTC &src) : CDibCore()
{
    if (Resize(src.width(), src.height()))
        copyImage(src);
}

TMTC::TMTC(const QImage &src)
{
    if (Resize(src.width(), src.height()) && isEnable()) {
        copyArea(src, {0, 0}, {0, 0, src.width(), src.height()});
        setAlphaAll(255);
    }
}

bool TMTC::Resize(int32_t x, int32_t y)
{
    if (isEnable() && x == width() && y == height())
        return true;
    size_t bytes = 0;
    std::unique_ptr<uint8_t[]> block;
    const bool sizeOk = imageBytes(x, y, 4, bytes);
    // A block of the same byte size is kept for reuse, its bytes as they were.
    if (sizeOk && buffer() && bytes == getImageDataBytes())
        block = releaseBuffer();
    freeMembers();
    if (sizeOk) {
        if (!block)
            block = allocBlock(bytes);
        if (block || bytes == 0) {
            adoptBuffer(std::move(block), x, y);
            if (buildRowTable(x * 4, false))
                return true;
        }
    }
    freeMembers();
    debugOut(QStringLiteral("TMTC::Resize: caught an exception!\n"));
    return false;
}

void TMTC::copyImage(const TMTC &src)
{
    if (!isEnable() || !src.isEnable() || src.FPSZ() != FPSZ())
        return;
    // Row by row, so that a canvas of the other row direction is copied upright.
    for (int32_t y = 0; y < height(); ++y)
        std::memcpy(seek32(0, y), src.seek32(0, y), size_t(width()) * 4);
}

// ---- pixel access --------------------------------------------------------------------------

bool TMTC::setColor(int32_t x, int32_t y, uint32_t col, uint32_t a)
{
    if (!isEnable() || !ptInSize(x, y, width(), height()))
        return false;
    pixelPutAlpha(seek32(x, y), col, a);
    return true;
}

uint32_t TMTC::PixelGet(int32_t x, int32_t y) const
{
    if (!isEnable())
        return 0;
    sPos p{x, y};
    posClampToSize(p, FPSZ());
    return seek32(p.x, p.y)->all;
}

uint8_t TMTC::PixelGetY(int32_t x, int32_t y) const
{
    const sBGRA p{.all = PixelGet(x, y)};
    return uint8_t(pixelLuma(p));
}

void TMTC::PixelGetAdd(int32_t x, int32_t y, uint32_t &R, uint32_t &G, uint32_t &B) const
{
    const sBGRA p{.all = PixelGet(x, y)};
    R += p.R;
    G += p.G;
    B += p.B;
}

void TMTC::sumPixel(int32_t x, int32_t y, sdRGBA &col) const
{
    PixelGetAdd(x, y, col.r, col.g, col.b);
}

void TMTC::sumAlphaPixel(int32_t x, int32_t y, const sBGRA &blendcol, sdRGBA &sumcol) const
{
    const sBGRA p{.all = PixelGet(x, y)};
    const uint32_t a = p.A;
    sumcol.r += (blendcol.R * (255 - a) + p.R * a) / 255;
    sumcol.g += (blendcol.G * (255 - a) + p.G * a) / 255;
    sumcol.b += (blendcol.B * (255 - a) + p.B * a) / 255;
}

void TMTC::qz11_PixelPut(int32_t x, int32_t y, uint32_t color, uint32_t alpha)
{
    if (isEnable() && ptInSize(x, y, width(), height()))
        pixelPutDiff(seek32(x, y), color, alpha);
}

// ---- fills ---------------------------------------------------------------------------------

void TMTC::PixelFill(uint32_t color)
{
    if (!isEnable())
        return;
    std::fill_n(reinterpret_cast<uint32_t *>(buffer()), size_t(width()) * size_t(height()), color);
}

void TMTC::fillImageAll(uint32_t color)
{
    sBox box{0, 0, width(), height()};
    maskImage(box, 0x00FFFFFF, color);
}

bool TMTC::fillBox(sBox &box, uint32_t col)
{
    if (!isEnable() || !clipping(box))
        return false;
    fillBoxNC(box, col);
    return true;
}

bool TMTC::fillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t col)
{
    sBox box{x, y, w, h};
    return fillBox(box, col);
}

bool TMTC::fillBoxC(const sBox &box, uint32_t col)
{
    sBox b = box;
    return fillBox(b, col);
}

void TMTC::fillBoxNC(const sBox &box, uint32_t col)
{
    forBoxRows(box, [&](sBGRA *p) { std::fill_n(&p->all, box.w, col); });
}

bool TMTC::fillBox(sBox &box, uint32_t col, uint32_t a)
{
    return fillBox(box, col, a, pixelPutAlpha);
}

bool TMTC::fillBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t col, uint32_t a)
{
    sBox box{x, y, w, h};
    return fillBox(box, col, a);
}

bool TMTC::fillBox(sBox &box, uint32_t col, uint32_t a, fptrPixelPut4core fnPut)
{
    if (!isEnable() || !clipping(box))
        return false;
    fillBoxNC(box, col, a, fnPut);
    return true;
}

void TMTC::fillBoxNC(const sBox &box, uint32_t col, uint32_t a, fptrPixelPut4core fnPut)
{
    forBoxRows(box, [&](sBGRA *p) {
        for (int32_t i = 0; i < box.w; ++i)
            fnPut(p + i, col, a);
    });
}

bool TMTC::maskImage(sBox &box, uint32_t mask, uint32_t data)
{
    if (!isEnable() || !clipping(box))
        return false;
    const uint32_t keep = ~mask, set = data & mask;
    forBoxRows(box, [&](sBGRA *p) {
        for (int32_t i = 0; i < box.w; ++i)
            p[i].all = set | (p[i].all & keep);
    });
    return true;
}

bool TMTC::setAlphaPart(sBox &box, uint8_t val)
{
    return maskImage(box, 0xFF000000, uint32_t(val) << 24);
}

void TMTC::setAlphaAll(uint8_t val)
{
    sBox box{0, 0, width(), height()};
    setAlphaPart(box, val);
}

void TMTC::AlphaClear()
{
    FilterAnd(0x00FFFFFF);
}

bool TMTC::mixInvFill(sRect &r, uint32_t col)
{
    if (!isEnable() || !clipping(r))
        return false;
    for (int32_t y = r.y0; y < r.y1; ++y) {
        sBGRA *p = seek32(r.x0, y);
        for (int32_t x = r.x0; x < r.x1; ++x, ++p) {
            if (p->A == 255)
                continue;
            sBGRA c{.all = col};
            pixelPutAlpha(&c, p->all, p->A);
            *p = c;
        }
    }
    return true;
}

void TMTC::convert32to24(uint32_t bgCol)
{
    if (!isEnable())
        return;
    const sBGRA bg{.all = bgCol};
    // (c - bg) * a div 255 truncates towards zero; the sum keeps its low byte.
    auto flat = [](uint8_t c, uint8_t b, int32_t a) {
        return uint8_t(b + (int32_t(c) - b) * a / 255);
    };
    forBoxRows({0, 0, width(), height()}, [&](sBGRA *p) {
        for (int32_t i = 0; i < width(); ++i) {
            sBGRA &q = p[i];
            if (q.A == 255)
                continue;
            q.B = flat(q.B, bg.B, q.A);
            q.G = flat(q.G, bg.G, q.A);
            q.R = flat(q.R, bg.R, q.A);
            q.A = 255;
        }
    });
}

// ---- bitwise effects -----------------------------------------------------------------------

namespace {
template <class Op> bool effectBox(TMTC &tc, sBox &box, Op op)
{
    if (!tc.isEnable() || !tc.clipping(box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *p = tc.seek32(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            p[i].all = op(p[i].all);
    }
    return true;
}
} // namespace

bool TMTC::effectOr(sBox &box, uint32_t mask)
{
    return effectBox(*this, box, [mask](uint32_t v) { return v | mask; });
}

bool TMTC::effectAnd(sBox &box, uint32_t mask)
{
    return effectBox(*this, box, [mask](uint32_t v) { return v & mask; });
}

bool TMTC::effectXor(sBox &box, uint32_t mask)
{
    return effectBox(*this, box, [mask](uint32_t v) { return v ^ mask; });
}

void TMTC::FilterAnd(uint32_t mask)
{
    sBox box{0, 0, width(), height()};
    effectAnd(box, mask);
}

void TMTC::FilterOr(uint32_t mask)
{
    sBox box{0, 0, width(), height()};
    effectOr(box, mask);
}

void TMTC::FilterXor(uint32_t mask)
{
    sBox box{0, 0, width(), height()};
    effectXor(box, mask);
}

// ---- copies --------------------------------------------------------------------------------

bool TMTC::copyArea(const TMTC &src, sPos dpos, sBox sbox)
{
    if (!isEnable() || !src.isEnable() || !clipBlt(FPSZ(), src.FPSZ(), dpos, sbox))
        return false;
    copyAreaNC(src, dpos, sbox);
    return true;
}

bool TMTC::copyArea(int32_t dx, int32_t dy, const TMTC &src)
{
    return copyArea(src, {dx, dy}, {0, 0, src.width(), src.height()});
}

bool TMTC::copyArea(const QImage &src, sPos dpos, sBox sbox)
{
    if (!isEnable() || src.isNull() || !clipBlt(FPSZ(), {src.width(), src.height()}, dpos, sbox))
        return false;
    const QImage img =
        src.format() == QImage::Format_ARGB32 ? src : src.convertToFormat(QImage::Format_ARGB32);
    for (int32_t j = 0; j < sbox.h; ++j)
        std::memcpy(seek32(dpos.x, dpos.y + j), img.constScanLine(sbox.y + j) + size_t(sbox.x) * 4,
                    size_t(sbox.w) * 4);
    return true;
}

bool TMTC::copyArea(const TChannel &ch, sPos dpos, sBox sbox)
{
    if (!isEnable() || !ch.isEnable() || !clipBlt(FPSZ(), ch.FPSZ(), dpos, sbox))
        return false;
    for (int32_t j = 0; j < sbox.h; ++j) {
        sBGRA *d = seek32(dpos.x, dpos.y + j);
        const uint8_t *s = ch.seek8(sbox.x, sbox.y + j);
        for (int32_t i = 0; i < sbox.w; ++i)
            d[i].all = s[i] ? 0xFF000000u | s[i] * 0x010101u : 0u;
    }
    return true;
}

bool TMTC::copyArea(const TChannel &ch, sPos dpos, sBox sbox, uint32_t col, fptrPixelPut4core fnPut)
{
    if (!isEnable() || !ch.isEnable() || !clipBlt(FPSZ(), ch.FPSZ(), dpos, sbox))
        return false;
    for (int32_t j = 0; j < sbox.h; ++j) {
        sBGRA *d = seek32(dpos.x, dpos.y + j);
        const uint8_t *s = ch.seek8(sbox.x, sbox.y + j);
        for (int32_t i = 0; i < sbox.w; ++i)
            fnPut(d + i, col, s[i]);
    }
    return true;
}

void TMTC::copyAreaNC(const TMTC &src, const sBox &box)
{
    copyAreaNC(src, box.pos(), box);
}

void TMTC::copyAreaNC(const TMTC &src, const sPos &dpos, const sBox &box)
{
    // Within one canvas a copy downwards runs from the last row, so overlapping rows survive.
    const bool upwards = &src == this && dpos.y > box.y;
    for (int32_t k = 0; k < box.h; ++k) {
        const int32_t j = upwards ? box.h - 1 - k : k;
        std::memmove(seek32(dpos.x, dpos.y + j), src.seek32(box.x, box.y + j), size_t(box.w) * 4);
    }
}

// ---- blits ---------------------------------------------------------------------------------

bool TMTC::bltPartEx2(TMTC &target, sPos dpos, sBox box, uint32_t alpha,
                      fptrPixelPut4core fnPut) const
{
    if (!isEnable() || !target.isEnable() || !clipBlt(target.FPSZ(), FPSZ(), dpos, box))
        return false;
    bltPartEx2NC(target, dpos, box, alpha, fnPut);
    return true;
}

bool TMTC::bltPartEx2(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                      int32_t y, uint32_t alpha, fptrPixelPut4core fnPut) const
{
    return bltPartEx2(target, {x, y}, {sx, sy, w, h}, alpha, fnPut);
}

void TMTC::bltPartEx2NC(TMTC &target, const sPos &dpos, const sBox &box, uint32_t alpha,
                        fptrPixelPut4core fnPut) const
{
    if (alpha == 0)
        return;
    // Within one canvas a shifted copy may read pixels it already wrote: pixel by pixel there.
    const fptrPutRow row = &target == this ? putRowPlain : rowPutFor(fnPut);
    for (int32_t j = 0; j < box.h; ++j)
        row(target.seek32(dpos.x, dpos.y + j), seek32(box.x, box.y + j), box.w, alpha, fnPut);
}

bool TMTC::bltEx(TMTC &dst, sPos dp, sBox sbx, uint32_t a) const
{
    if (a == 0)
        return false;
    if (a >= 255)
        return dst.copyArea(*this, dp, sbx);
    return bltPartEx2(dst, dp, sbx, a, pixelPutAlpha);
}

bool TMTC::bltEx(TMTC &dst, int32_t x, int32_t y, uint32_t a) const
{
    return bltEx(dst, {x, y}, {0, 0, width(), height()}, a);
}

bool TMTC::BltMulPart(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                      int32_t y, uint32_t alpha) const
{
    return bltPartEx2(target, sx, sy, w, h, x, y, alpha, pixelPutMul);
}

bool TMTC::BltAddPart(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                      int32_t y, uint32_t alpha) const
{
    return bltPartEx2(target, sx, sy, w, h, x, y, alpha, pixelPutAdd);
}

bool TMTC::BltSubPart(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                      int32_t y, uint32_t alpha) const
{
    return bltPartEx2(target, sx, sy, w, h, x, y, alpha, pixelPutSub);
}

bool TMTC::BltMul(TMTC &target, int32_t x, int32_t y, uint32_t alpha) const
{
    return BltMulPart(target, 0, 0, width(), height(), x, y, alpha);
}

bool TMTC::BltAdd(TMTC &target, int32_t x, int32_t y, uint32_t alpha) const
{
    return BltAddPart(target, 0, 0, width(), height(), x, y, alpha);
}

bool TMTC::BltSub(TMTC &target, int32_t x, int32_t y, uint32_t alpha) const
{
    return BltSubPart(target, 0, 0, width(), height(), x, y, alpha);
}

bool TMTC::bltPartEx(TMTC &target, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                     int32_t y, uint32_t alpha, fptrBltLine fnLine) const
{
    sPos dpos{x, y};
    sBox box{sx, sy, w, h};
    if (alpha == 0 || !isEnable() || !target.isEnable() ||
        !clipBlt(target.FPSZ(), FPSZ(), dpos, box))
        return false;
    for (int32_t j = 0; j < box.h; ++j)
        fnLine(target.seek32(dpos.x, dpos.y + j), seek32(box.x, box.y + j), box.w, alpha);
    return true;
}

bool TMTC::bltWithKey(const TMTC &src, int32_t x, int32_t y, uint32_t key, uint32_t alpha)
{
    sPos dpos{x, y};
    sBox box{0, 0, src.width(), src.height()};
    if (!isEnable() || !src.isEnable() || !clipBlt(FPSZ(), src.FPSZ(), dpos, box))
        return false;
    key &= 0x00FFFFFF;
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *d = seek32(dpos.x, dpos.y + j);
        const sBGRA *s = src.seek32(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            if ((s[i].all & 0x00FFFFFF) != key)
                pixelPutAlpha(d + i, s[i].all, alpha);
    }
    return true;
}

bool TMTC::bltWithKey(const TMTC &src, const sPos &pos, uint32_t key, uint32_t alpha)
{
    return bltWithKey(src, pos.x, pos.y, key, alpha);
}

bool TMTC::qz11_BltPart(TMTC &dst, const sPos &dpos, const sBox &box, uint32_t alpha) const
{
    if (alpha == 0)
        return false;
    if (alpha >= 255)
        return dst.copyArea(*this, dpos, box);
    return bltPartEx2(dst, dpos, box, alpha, pixelPutDiff);
}

bool TMTC::qz11_BltPart(TMTC &dst, int32_t sx, int32_t sy, int32_t w, int32_t h, int32_t x,
                        int32_t y, uint32_t alpha) const
{
    return qz11_BltPart(dst, sPos{x, y}, sBox{sx, sy, w, h}, alpha);
}

bool TMTC::qz11_Blt(TMTC &dst, int32_t x, int32_t y, uint32_t alpha) const
{
    return qz11_BltPart(dst, sPos{x, y}, sBox{0, 0, width(), height()}, alpha);
}

bool TMTC::qz11_BltFill(sBox &box, uint32_t color, uint32_t alpha)
{
    return fillBox(box, color, alpha, pixelPutDiff);
}

bool TMTC::qz11_BltFill(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color, uint32_t alpha)
{
    sBox box{x, y, w, h};
    return qz11_BltFill(box, color, alpha);
}

// ---- layer mixing --------------------------------------------------------------------------

namespace {
// The destination's alpha faded by dA / 255 (the lower image weakened), then put(d, s) with s
// the source pixel, or col when there is no source.
template <class Put>
bool mixBoxes(TMTC &dst, const TMTC *src, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
              uint32_t col, Put put)
{
    if (sA == 0 || !dst.isEnable())
        return false;
    if (src && (!src->isEnable() || !clipBlt(dst.FPSZ(), src->FPSZ(), dpos, box)))
        return false; // (a fill's box comes already clipped, dpos at its origin)
    const uint32_t fade = std::min<uint32_t>(dA, 255);
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *d = dst.seek32(dpos.x, dpos.y + j);
        const sBGRA *s = src ? src->seek32(box.x, box.y + j) : nullptr;
        for (int32_t i = 0; i < box.w; ++i) {
            d[i].A = gMulTable[uint32_t(d[i].A) << 8 | fade];
            put(d + i, s ? s[i].all : col);
        }
    }
    return true;
}
} // namespace

bool TMTC::mixWith(const TMTC &srcTC, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                   fptrPixelPut4core fnPut)
{
    return mixBoxes(*this, &srcTC, dpos, box, dA, sA, 0,
                    [&](sBGRA *d, uint32_t s) { fnPut(d, s, sA); });
}

bool TMTC::mixFill(sBox &box, uint32_t col, uint32_t dA, uint32_t sA, fptrPixelPut4core fnPut)
{
    if (sA == 0 || !isEnable() || !clipping(box))
        return false;
    return mixBoxes(*this, nullptr, box.pos(), box, dA, sA, col,
                    [&](sBGRA *d, uint32_t s) { fnPut(d, s, sA); });
}

bool TMTC::mixWithEx(const TMTC &srcTC, sPos dpos, sBox box, uint32_t dA, uint32_t sA,
                     const sTCMixParam &mix)
{
    return mixBoxes(*this, &srcTC, dpos, box, dA, sA, 0,
                    [&](sBGRA *d, uint32_t s) { mixPixelEx(d, s, sA, mix); });
}

bool TMTC::mixFillEx(sBox &box, uint32_t col, uint32_t dA, uint32_t sA, const sTCMixParam &mix)
{
    if (sA == 0 || !isEnable() || !clipping(box))
        return false;
    return mixBoxes(*this, nullptr, box.pos(), box, dA, sA, col,
                    [&](sBGRA *d, uint32_t s) { mixPixelEx(d, s, sA, mix); });
}

// ---- grey channels -------------------------------------------------------------------------

void TMTC::makeGrayChannel(TChannel &ch) const
{
    toGrayChannel(ch, {0, 0}, {0, 0, width(), height()});
}

bool TMTC::toGrayChannel(TChannel &ch, sPos point, sBox box) const
{
    return convertToChannel(
        ch, point, [](uint8_t *d, const sBGRA *s) { *d = uint8_t(pixelLuma(*s)); }, box);
}

bool TMTC::convertToChannel(TChannel &ch, sPos point, fptrConvertToChannel proc, sBox box) const
{
    if (!isEnable() || !ch.isEnable() || !clipBlt(ch.FPSZ(), FPSZ(), point, box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        uint8_t *d = ch.seek8(point.x, point.y + j);
        const sBGRA *s = seek32(box.x, box.y + j);
        for (int32_t i = 0; i < box.w; ++i)
            proc(d + i, s + i);
    }
    return true;
}

// ---- bounds --------------------------------------------------------------------------------

bool TMTC::findRect(sRect &r) const
{
    const auto row = [this](int32_t y) { return seek32(0, y); };
    const auto empty = [](const sBGRA &p) { return p.A == 0; };
    return isEnable() && findRowsRect(width(), height(), row, empty, r);
}
