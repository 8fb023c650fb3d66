#include "core/scale_image.h"

#include "core/canvas.h"
#include "core/channel.h"
#include "core/numeric.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <typeinfo>

namespace {

// The sums are Singles; each step is evaluated in extended precision and rounded once on store.
inline void accumulate(float &sum, long double v) { sum = float((long double)sum + v); }

inline uint8_t clampByte(long double v)
{
    const long double t = std::trunc(v);
    return t <= 0 ? 0 : t >= 255 ? 255 : uint8_t(t);
}

} // namespace

CScaleImage::CScaleImage() : rate{65536, 65536} {}

// ---------------------------------------------------------------------------------------------
// Slots of 32-bit B, G, R, A pixels. The arithmetic lives in inline functions so that the walk
// of a scaler that keeps every base slot can use it without a call per pixel.

namespace {

inline void bgraAdd(float *sums, const uint8_t *src)
{
    sums[0] += src[2];
    sums[1] += src[1];
    sums[2] += src[0];
    sums[3] += src[3];
}

// A byte times a weight of 16 fractional bits is exact in a Single, and a Single addition rounds
// the exact sum once: the same result as the extended evaluation, without it.
inline void bgraAddWeighted(float *sums, const uint8_t *src, float w)
{
    sums[0] += float(src[2]) * w;
    sums[1] += float(src[1]) * w;
    sums[2] += float(src[0]) * w;
    sums[3] += float(src[3]) * w;
}

inline void bgraStore(uint8_t *dst, const float *sums, float area)
{
    dst[2] = clampByte(((long double)sums[0] + 0.01L) / area);
    dst[1] = clampByte(((long double)sums[1] + 0.01L) / area);
    dst[0] = clampByte(((long double)sums[2] + 0.01L) / area);
    dst[3] = clampByte(((long double)sums[3] + 0.01L) / area);
}

inline void bgraAddAlpha(float *sums, const uint8_t *src)
{
    const unsigned a = src[3];
    sums[0] += float(src[2] * a);
    sums[1] += float(src[1] * a);
    sums[2] += float(src[0] * a);
    sums[3] += float(a);
}

inline void bgraAddAlphaWeighted(float *sums, const uint8_t *src, float w)
{
    const unsigned a = src[3];
    accumulate(sums[0], (long double)(src[2] * a) * w);
    accumulate(sums[1], (long double)(src[1] * a) * w);
    accumulate(sums[2], (long double)(src[0] * a) * w);
    sums[3] += float(a) * w; // exact product, as in bgraAddWeighted
}

inline void bgraStoreAlpha(uint8_t *dst, const float *sums, float area)
{
    const long double sa = sums[3];
    if (sa == 0) {
        dst[0] = dst[1] = dst[2] = 255;
        dst[3] = 0;
        return;
    }
    dst[2] = clampByte(sums[0] / sa + 0.01L);
    dst[1] = clampByte(sums[1] / sa + 0.01L);
    dst[0] = clampByte(sums[2] / sa + 0.01L);
    dst[3] = clampByte(sa / area + 0.01L);
}

struct BasePlainOps
{
    void add(float *s, const uint8_t *p) const { bgraAdd(s, p); }
    void addW(float *s, const uint8_t *p, float w) const { bgraAddWeighted(s, p, w); }
    void store(uint8_t *d, const float *s, float area) const { bgraStore(d, s, area); }
};

struct BaseAlphaOps
{
    void add(float *s, const uint8_t *p) const { bgraAddAlpha(s, p); }
    void addW(float *s, const uint8_t *p, float w) const { bgraAddAlphaWeighted(s, p, w); }
    void store(uint8_t *d, const float *s, float area) const { bgraStoreAlpha(d, s, area); }
};

} // namespace

void CScaleImage::sumPixel(float *sums, const uint8_t *src) { bgraAdd(sums, src); }

void CScaleImage::sumPixelWeighted(float *sums, const uint8_t *src, float w)
{
    bgraAddWeighted(sums, src, w);
}

void CScaleImage::storeAverage(uint8_t *dst, const float *sums, float area)
{
    bgraStore(dst, sums, area);
}

void CScaleImage::sumPixelAlpha(float *sums, const uint8_t *src) { bgraAddAlpha(sums, src); }

void CScaleImage::sumPixelAlphaWeighted(float *sums, const uint8_t *src, float w)
{
    bgraAddAlphaWeighted(sums, src, w);
}

void CScaleImage::storeAlphaAverage(uint8_t *dst, const float *sums, float area)
{
    bgraStoreAlpha(dst, sums, area);
}

// ---------------------------------------------------------------------------------------------
// The footprint walk. Ops gives the pixel kind: add(sums, pixel), addW(sums, pixel, weight),
// store(destination, sums, area).

// One source row of the footprint: the partial first column weighted by fx0, nx whole pixels,
// then the partial last column weighted by fx1.
template <class Ops>
void CScaleImage::walkRow(const Ops &ops, int32_t col0, int32_t row, int32_t nx, int32_t fx1,
                          int32_t fx0, float *sums)
{
    const uint8_t *p = seekSrc(col0, row);
    if (fx0 > 0) {
        ops.addW(sums, p, float(fx0) / 65536.0f);
        p += srcPixelBytes;
    }
    for (int32_t i = 0; i < nx; ++i, p += srcPixelBytes)
        ops.add(sums, p);
    if (fx1 >= 1)
        ops.addW(sums, p, float(fx1) / 65536.0f);
}

template <class Ops>
void CScaleImage::walk(const Ops &ops, uint8_t *dst, int32_t x0, int32_t y0, int32_t x1,
                       int32_t y1)
{
    const int32_t xEnd = srcSize.x << 16, yEnd = srcSize.y << 16;
    x1 = std::min(x1, xEnd);
    y1 = std::min(y1, yEnd);
    // The last footprint of a large enlargement can start past the source's edge (the rate is
    // rounded): it is kept on the last pixel instead of reading beyond the row.
    x0 = std::min(x0, xEnd - 1);
    y0 = std::min(y0, yEnd - 1);
    const int32_t cx0 = fixCeilFix(x0), fx0 = cx0 - x0, fx1 = x1 & 0xFFFF;
    const int32_t cy0 = fixCeilFix(y0), fy0 = cy0 - y0, fy1 = y1 & 0xFFFF;
    const int32_t nx = ((x1 & ~0xFFFF) - cx0) >> 16; // arithmetic: -1 inside one column
    const int32_t ny = ((y1 & ~0xFFFF) - cy0) >> 16;
    const int32_t col0 = x0 >> 16, row0 = y0 >> 16;
    float sums[4] = {};
    if (nx < 0 && ny < 0) { // inside one source pixel
        ops.add(sums, seekSrc(col0, row0));
        ops.store(dst, sums, 1.0f);
        return;
    }
    if (nx < 0) { // inside one column
        int32_t row = row0;
        if (fy0 > 0)
            ops.addW(sums, seekSrc(col0, row++), float(fy0) / 65536.0f);
        for (int32_t i = 0; i < ny; ++i)
            ops.add(sums, seekSrc(col0, row++));
        if (fy1 > 0)
            ops.addW(sums, seekSrc(col0, row), float(fy1) / 65536.0f);
        ops.store(dst, sums, float((long double)(y1 - y0) / 65536.0L));
        return;
    }
    if (ny < 0) { // inside one row
        walkRow(ops, col0, row0, nx, fx1, fx0, sums);
        ops.store(dst, sums, float((long double)(x1 - x0) / 65536.0L));
        return;
    }
    // Partial rows are summed apart and added times their weight; whole rows go straight in.
    const auto addPartialRow = [&](int32_t row, int32_t f) {
        float rowSums[4] = {};
        walkRow(ops, col0, row, nx, fx1, fx0, rowSums);
        const long double w = float(f) / 65536.0f;
        for (int k = 0; k < 4; ++k)
            accumulate(sums[k], rowSums[k] * w);
    };
    int32_t row = row0;
    if (fy0 >= 1)
        addPartialRow(row++, fy0);
    for (int32_t i = 0; i < ny; ++i)
        walkRow(ops, col0, row++, nx, fx1, fx0, sums);
    if (fy1 > 0)
        addPartialRow(row, fy1);
    ops.store(dst, sums,
              float((long double)(x1 - x0) / 65536.0L * (long double)(y1 - y0) / 65536.0L));
}

void CScaleImage::average(uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                          bool alpha)
{
    if (hasBaseSlots()) { // the same arithmetic as the slots, inline
        if (alpha)
            walk(BaseAlphaOps{}, dst, x0, y0, x1, y1);
        else
            walk(BasePlainOps{}, dst, x0, y0, x1, y1);
        return;
    }
    struct SlotOps
    {
        CScaleImage *self;
        bool alpha;
        void add(float *s, const uint8_t *p) const
        {
            alpha ? self->sumPixelAlpha(s, p) : self->sumPixel(s, p);
        }
        void addW(float *s, const uint8_t *p, float w) const
        {
            alpha ? self->sumPixelAlphaWeighted(s, p, w) : self->sumPixelWeighted(s, p, w);
        }
        void store(uint8_t *d, const float *s, float area) const
        {
            alpha ? self->storeAlphaAverage(d, s, area) : self->storeAverage(d, s, area);
        }
    };
    walk(SlotOps{this, alpha}, dst, x0, y0, x1, y1);
}

void CScaleImage::averageRect(uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    average(dst, x0, y0, x1, y1, false);
}

void CScaleImage::averageRect2(uint8_t *dst, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    average(dst, x0, y0, x1, y1, true);
}

// ---------------------------------------------------------------------------------------------

bool CScaleImage::prepare()
{
    if (!boxClipToSize(srcBox, srcSize))
        return false;
    if (!boxClipToSize(dstBox, dstSize))
        return false;
    rate = {fixDiv(srcBox.w, dstBox.w), fixDiv(srcBox.h, dstBox.h)};
    return true;
}

void CScaleImage::scaleAll()
{
    for (int32_t y = dstBox.y; y < dstBox.y + dstBox.h; ++y) {
        const int32_t y0 = (srcBox.y << 16) + (y - dstBox.y) * rate.y;
        for (int32_t x = dstBox.x; x < dstBox.x + dstBox.w; ++x) {
            const int32_t x0 = (srcBox.x << 16) + (x - dstBox.x) * rate.x;
            averageRect(seekDst(x, y), x0, y0, x0 + rate.x, y0 + rate.y);
        }
    }
}

void CScaleImage::scaleAll2()
{
    for (int32_t y = dstBox.y; y < dstBox.y + dstBox.h; ++y) {
        const int32_t y0 = (srcBox.y << 16) + (y - dstBox.y) * rate.y;
        for (int32_t x = dstBox.x; x < dstBox.x + dstBox.w; ++x) {
            const int32_t x0 = (srcBox.x << 16) + (x - dstBox.x) * rate.x;
            averageRect2(seekDst(x, y), x0, y0, x0 + rate.x, y0 + rate.y);
        }
    }
}

bool CScaleImage::scaleWith(const sBox &src, const sBox &dst, bool alpha)
{
    try {
        srcBox = src;
        dstBox = dst;
        if (!prepare())
            return false;
        alpha ? scaleAll2() : scaleAll();
        return true;
    } catch (...) {
        return false;
    }
}

bool CScaleImage::scale(const sBox &src, const sBox &dst) { return scaleWith(src, dst, false); }

bool CScaleImage::scale2(const sBox &src, const sBox &dst) { return scaleWith(src, dst, true); }

namespace {

bool clipToSource(sRect &r, const sSize &size)
{
    r.x0 = std::max(r.x0, 0);
    r.y0 = std::max(r.y0, 0);
    r.x1 = std::min(r.x1, size.x << 16);
    r.y1 = std::min(r.y1, size.y << 16);
    return r.x0 < r.x1 && r.y0 < r.y1;
}

} // namespace

bool CScaleImage::calcSrcRect(uint8_t *dst, sRect &r)
{
    if (!clipToSource(r, srcSize))
        return false;
    calcSrcRectNC(dst, r);
    return true;
}

void CScaleImage::calcSrcRectNC(uint8_t *dst, const sRect &r)
{
    averageRect(dst, r.x0, r.y0, r.x1, r.y1);
}

bool CScaleImage::calcSrcRect2(uint8_t *dst, sRect &r)
{
    if (!clipToSource(r, srcSize))
        return false;
    calcSrcRectNC2(dst, r);
    return true;
}

void CScaleImage::calcSrcRectNC2(uint8_t *dst, const sRect &r)
{
    averageRect2(dst, r.x0, r.y0, r.x1, r.y1);
}

// ---------------------------------------------------------------------------------------------
// One channel.

void CScaleImage8::sumPixel(float *sums, const uint8_t *src) { sums[0] += src[0]; }

void CScaleImage8::sumPixelWeighted(float *sums, const uint8_t *src, float w)
{
    sums[0] += float(src[0]) * w; // exact product: see CScaleImage::sumPixelWeighted
}

void CScaleImage8::storeAverage(uint8_t *dst, const float *sums, float area)
{
    dst[0] = clampByte((long double)sums[0] / area);
}

CScaleImageBYTE::CScaleImageBYTE(const uint8_t *src, uint8_t *dst, const sSize &srcSz,
                                 const sSize &dstSz)
    : srcImg(src), dstImg(dst)
{
    srcSize = srcSz;
    if (dst)
        dstSize = dstSz;
}

const uint8_t *CScaleImageBYTE::seekSrc(int32_t x, int32_t y)
{
    return srcImg + x + ptrdiff_t(y) * srcSize.x;
}

uint8_t *CScaleImageBYTE::seekDst(int32_t x, int32_t y)
{
    return dstImg + x + ptrdiff_t(y) * dstSize.x;
}

// ---------------------------------------------------------------------------------------------
// Canvases and channels.

CScaleImageTMTC::CScaleImageTMTC(const TMTC *src, TMTC *dst) { reset(src, dst); }

void CScaleImageTMTC::reset(const TMTC *src, TMTC *dst)
{
    srcImg = src;
    dstImg = dst;
    srcSize = src ? src->FPSZ() : sSize{};
    dstSize = dst ? dst->FPSZ() : sSize{};
}

const uint8_t *CScaleImageTMTC::seekSrc(int32_t x, int32_t y)
{
    return reinterpret_cast<const uint8_t *>(srcImg->seek32(x, y));
}

uint8_t *CScaleImageTMTC::seekDst(int32_t x, int32_t y)
{
    return reinterpret_cast<uint8_t *>(dstImg->seek32(x, y));
}

CScaleImageCH2TMTC::CScaleImageCH2TMTC(const TChannel *src, TMTC *dst)
{
    srcPixelBytes = 1;
    reset(src, dst);
}

void CScaleImageCH2TMTC::reset(const TChannel *src, TMTC *dst)
{
    srcImg = src;
    dstImg = dst;
    srcSize = src ? src->FPSZ() : sSize{};
    dstSize = dst ? dst->FPSZ() : sSize{};
}

void CScaleImageCH2TMTC::sumPixel(float *sums, const uint8_t *src) { sums[0] += src[0]; }

bool CScaleImageTMTC::hasBaseSlots() const
{
    // A descendant may override a slot: only this very class takes the inline walk.
    return typeid(*this) == typeid(CScaleImageTMTC);
}

void CScaleImageCH2TMTC::sumPixelWeighted(float *sums, const uint8_t *src, float w)
{
    sums[0] += float(src[0]) * w; // exact product: see CScaleImage::sumPixelWeighted
}

void CScaleImageCH2TMTC::storeAverage(uint8_t *dst, const float *sums, float area)
{
    dst[0] = dst[1] = dst[2] = clampByte((long double)sums[0] / area);
    dst[3] = 255;
}

const uint8_t *CScaleImageCH2TMTC::seekSrc(int32_t x, int32_t y) { return srcImg->seek8(x, y); }

uint8_t *CScaleImageCH2TMTC::seekDst(int32_t x, int32_t y)
{
    return reinterpret_cast<uint8_t *>(dstImg->seek32(x, y));
}

CScaleImageCH::CScaleImageCH(const TChannel *src, TChannel *dst) : srcImg(src), dstImg(dst)
{
    srcSize = src ? src->FPSZ() : sSize{};
    dstSize = dst ? dst->FPSZ() : sSize{};
}

const uint8_t *CScaleImageCH::seekSrc(int32_t x, int32_t y) { return srcImg->seek8(x, y); }

uint8_t *CScaleImageCH::seekDst(int32_t x, int32_t y) { return dstImg->seek8(x, y); }

void CScaleImageCH_fixp::storeAverage(uint8_t *dst, const float *sums, float area)
{
    const int32_t v = roundToInt32((long double)sums[0] / ((long double)area * 255.0L) * 65536.0L);
    const int32_t clamped = std::clamp(v, 0, 65536);
    std::memcpy(dst, &clamped, sizeof clamped);
}
