#include "core/scale/scale_image.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/tiles/work_threads.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <map>
#include <tuple>
#include <typeinfo>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The sums are Singles; each step is evaluated in extended precision and rounded once on store.
inline void accumulate(float &sum, long double v) { sum = float((long double)sum + v); }

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

// The plain average nudges each sum by a hundredth of a level before truncating. For a footprint
// smaller than one source pixel (enlarging) the nudge shrinks with the area: a fixed 0.01 divided
// by an area of 1/2000 lifted a 0 channel to 20, tinting every enlarged picture.
inline long double storeNudge(float area) { return area < 1 ? 0.01L * area : 0.01L; }

inline void bgraStore(uint8_t *dst, const float *sums, float area)
{
    const long double nudge = storeNudge(area);
    dst[2] = clampByte(((long double)sums[0] + nudge) / area);
    dst[1] = clampByte(((long double)sums[1] + nudge) / area);
    dst[0] = clampByte(((long double)sums[2] + nudge) / area);
    dst[3] = clampByte(((long double)sums[3] + nudge) / area);
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
// The fast whole-box walk of the base's 32-bit slots (CScaleImageTMTC itself). It does what the
// walk above does for every destination pixel, with the same Single operations in the same order
// per channel, but:
// - each footprint's columns and rows are worked out once per scale, not once per pixel;
// - the four channels of a pixel travel in one SSE register (lanes in memory order B, G, R, A);
// - steps the walk evaluates in extended precision are evaluated in double and checked: where the
//   double result could differ from the extended one (rarely), the extended code above is run;
// - a few pixels of the same footprint shape are summed interleaved: each pixel's sums form one
//   long chain of dependent additions, and several chains keep the processor busy.

#if defined(__SSE2__)

namespace {

// A footprint's area as the walk computes it (a Single), and its inverse for the checked division.
struct FastArea
{
    float area;
    double inverse;
};

inline FastArea fastArea(float area) { return {area, 1.0 / double(area)}; }

// One destination coordinate's footprint on one source axis, derived exactly as walk() does.
struct FootprintStep
{
    int32_t first;     // first source pixel (col0 or row0)
    int32_t whole;     // whole pixels after a partial first one; -1 inside one source pixel
    bool partial0;     // the first pixel is partial (f0 > 0), weighted by w0
    bool partial1;     // a partial last pixel follows the whole ones (f1 > 0), weighted by w1
    float w0, w1;      // f0 / 65536 and f1 / 65536
    int32_t extent;    // 16.16 length of the clipped footprint
    FastArea areaAlone; // extent / 65536 as a Single: the area when the other axis is inside one pixel
};

// The footprints of count destination pixels starting at start (16.16) with step rate, clipped
// to a source of end (16.16) as walk() clips them.
std::vector<FootprintStep> footprintSteps(int32_t srcStart, int32_t count, int32_t rate,
                                          int32_t end)
{
    std::vector<FootprintStep> steps(size_t(std::max(count, 0)));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = (srcStart << 16) + i * rate; // as scaleAll() computes it
        int32_t v0 = v, v1 = v + rate;
        v1 = std::min(v1, end);
        v0 = std::min(v0, end - 1);
        const int32_t c0 = fixCeilFix(v0), f0 = c0 - v0, f1 = v1 & 0xFFFF;
        FootprintStep &s = steps[size_t(i)];
        s.first = v0 >> 16;
        s.whole = ((v1 & ~0xFFFF) - c0) >> 16; // arithmetic: -1 inside one pixel
        s.partial0 = f0 > 0;
        s.partial1 = f1 > 0;
        s.w0 = float(f0) / 65536.0f;
        s.w1 = float(f1) / 65536.0f;
        s.extent = v1 - v0;
        s.areaAlone = fastArea(float((long double)(v1 - v0) / 65536.0L));
    }
    return steps;
}

inline __m128 reorderRGBA(__m128 v) { return _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 0, 1, 2)); }

// Lanes B, G, R, A <-> the scalar sums R, G, B, A (the swap is its own inverse).
inline void toScalarSums(__m128 v, float *sums) { _mm_storeu_ps(sums, reorderRGBA(v)); }
inline __m128 fromScalarSums(const float *sums) { return reorderRGBA(_mm_loadu_ps(sums)); }

inline __m128i pixelWords(const uint8_t *p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_unpacklo_epi8(_mm_cvtsi32_si128(v), _mm_setzero_si128());
}

inline __m128 pixelFloats(const uint8_t *p)
{
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(pixelWords(p), _mm_setzero_si128()));
}

// B x A, G x A, R x A and A as 32-bit integers (each product at most 65025: exact in 16 bits).
inline __m128i alphaProducts(const uint8_t *p)
{
    const __m128i w = pixelWords(p);
    const __m128i a = _mm_insert_epi16(_mm_shufflelo_epi16(w, _MM_SHUFFLE(3, 3, 3, 3)), 1, 3);
    return _mm_unpacklo_epi16(_mm_mullo_epi16(w, a), _mm_setzero_si128());
}

// Lanes (bits 0-3) where the double sum is exactly halfway between two Singles.
inline int halfwayLanes(__m128d lo, __m128d hi)
{
    const __m128i low = _mm_castps_si128( // the low 32 bits of each double
        _mm_shuffle_ps(_mm_castpd_ps(lo), _mm_castpd_ps(hi), _MM_SHUFFLE(2, 0, 2, 0)));
    const __m128i bits = _mm_and_si128(low, _mm_set1_epi32(0x1FFFFFFF));
    return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(bits, _mm_set1_epi32(0x10000000))));
}

// Lanes (bits 0-1) where d = a + b in double is not the exact sum (the sum's error is not 0).
inline int inexactLanes(__m128d a, __m128d b, __m128d d)
{
    const __m128d bb = _mm_sub_pd(d, a), aa = _mm_sub_pd(d, bb);
    const __m128d err = _mm_add_pd(_mm_sub_pd(a, aa), _mm_sub_pd(b, bb));
    return _mm_movemask_pd(_mm_cmpneq_pd(err, _mm_setzero_pd()));
}

// addExactProducts where a double sum fell halfway between two Singles: rounding it to a Single
// is right where it is the exact sum; elsewhere the lanes are summed as the slots sum them, in
// extended (or, for singleLanes, in Single arithmetic, the product being exact in a Single).
[[gnu::noinline]] __m128 addExactProductsHalfway(__m128 sums, __m128d prodLo, __m128d prodHi,
                                                 int singleLanes)
{
    const __m128d sumLo = _mm_cvtps_pd(sums), sumHi = _mm_cvtps_pd(_mm_movehl_ps(sums, sums));
    const __m128d lo = _mm_add_pd(sumLo, prodLo), hi = _mm_add_pd(sumHi, prodHi);
    const int inexact = inexactLanes(sumLo, prodLo, lo) | inexactLanes(sumHi, prodHi, hi) << 2;
    if ((halfwayLanes(lo, hi) & inexact) == 0)
        return _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
    float s[4];
    double v[4];
    _mm_storeu_ps(s, sums);
    _mm_storeu_pd(v, prodLo);
    _mm_storeu_pd(v + 2, prodHi);
    for (int k = 0; k < 4; ++k) {
        if (singleLanes & (1 << k))
            s[k] += float(v[k]);
        else
            accumulate(s[k], (long double)v[k]);
    }
    return _mm_loadu_ps(s);
}

// sums + products (exact in double), each lane rounded to a Single as the slots round it: the
// extended sum rounded to a Single, or for singleLanes the Single sum, which is the exact sum
// rounded once, the same. The double sum is the exact sum rounded once; rounding it again to a
// Single gives the Single nearest the exact sum unless it fell exactly halfway between two
// Singles without being the exact sum, which addExactProductsHalfway sorts out. (Every value here
// is 0 or at least 2^-32, bytes and sums times weights that are multiples of 2^-16, so never
// below the normal Singles.)
inline __m128 addExactProducts(__m128 sums, __m128d prodLo, __m128d prodHi, int singleLanes)
{
    const __m128d lo = _mm_add_pd(_mm_cvtps_pd(sums), prodLo);
    const __m128d hi = _mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(sums, sums)), prodHi);
    if (halfwayLanes(lo, hi) == 0)
        return _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi));
    return addExactProductsHalfway(sums, prodLo, prodHi, singleLanes);
}

// trunc(q) clamped to 0..255 for each lane, packed as 4 bytes, when q is far enough from a whole
// number that the extended value q approximates (to well under 1e-12 here) truncates alike.
inline bool truncatedBytes(__m128d qLo, __m128d qHi, uint32_t &out)
{
    const __m128d top = _mm_set1_pd(256.0), zero = _mm_setzero_pd();
    const __m128d eps = _mm_set1_pd(0x1p-30), oneLess = _mm_set1_pd(1.0 - 0x1p-30);
    __m128i t[2];
    __m128d ok[2];
    const __m128d q[2] = {qLo, qHi};
    for (int i = 0; i < 2; ++i) {
        const __m128d capped = _mm_min_pd(q[i], top);
        t[i] = _mm_cvttpd_epi32(capped);
        const __m128d frac = _mm_sub_pd(capped, _mm_cvtepi32_pd(t[i]));
        const __m128d clear = _mm_and_pd(_mm_cmpgt_pd(frac, eps), _mm_cmplt_pd(frac, oneLess));
        ok[i] = _mm_or_pd(_mm_cmpge_pd(q[i], top), _mm_and_pd(_mm_cmpgt_pd(q[i], zero), clear));
    }
    if (_mm_movemask_pd(_mm_and_pd(ok[0], ok[1])) != 3)
        return false;
    const __m128i ints = _mm_unpacklo_epi64(t[0], t[1]); // 0..256
    const __m128i words = _mm_packs_epi32(ints, ints);
    out = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
    return true;
}

// Pixel kinds of the fast walk, as BasePlainOps and BaseAlphaOps but on SSE sums.
struct FastPlain
{
    static constexpr int kGroup = 4; // pixels summed interleaved
    static __m128 add(__m128 s, const uint8_t *p) { return _mm_add_ps(s, pixelFloats(p)); }
    // float(byte) x w is exact, so Single arithmetic is the slot's arithmetic.
    static __m128 addW(__m128 s, const uint8_t *p, float w)
    {
        return _mm_add_ps(s, _mm_mul_ps(pixelFloats(p), _mm_set1_ps(w)));
    }
    static void store(uint8_t *dst, __m128 s, const FastArea &area)
    {
        const __m128d c = _mm_set1_pd(double(storeNudge(area.area))),
                      inv = _mm_set1_pd(area.inverse);
        const __m128d lo = _mm_mul_pd(_mm_add_pd(_mm_cvtps_pd(s), c), inv);
        const __m128d hi = _mm_mul_pd(_mm_add_pd(_mm_cvtps_pd(_mm_movehl_ps(s, s)), c), inv);
        uint32_t bytes;
        if (truncatedBytes(lo, hi, bytes)) {
            std::memcpy(dst, &bytes, 4);
            return;
        }
        float sums[4];
        toScalarSums(s, sums);
        bgraStore(dst, sums, area.area);
    }
};

struct FastAlpha
{
    static constexpr int kGroup = 2; // more spill the registers
    static __m128 add(__m128 s, const uint8_t *p)
    {
        return _mm_add_ps(s, _mm_cvtepi32_ps(alphaProducts(p)));
    }
    // (c x A) x w in extended for the colours, float(A) x w in Single for alpha; both products
    // are exact in double, and one rounding to a Single of the exact sum is what both give.
    static __m128 addW(__m128 s, const uint8_t *p, float w)
    {
        const __m128i prod = alphaProducts(p);
        const __m128d wd = _mm_set1_pd(w);
        const __m128d lo = _mm_mul_pd(_mm_cvtepi32_pd(prod), wd);
        const __m128d hi = _mm_mul_pd(_mm_cvtepi32_pd(_mm_unpackhi_epi64(prod, prod)), wd);
        return addExactProducts(s, lo, hi, 0b1000); // alpha (lane 3) summed in Single
    }
    static void store(uint8_t *dst, __m128 s, const FastArea &area)
    {
        float sums[4];
        toScalarSums(s, sums);
        const double sa = sums[3];
        if (sa == 0) {
            bgraStoreAlpha(dst, sums, area.area);
            return;
        }
        const __m128d c = _mm_set1_pd(0.01);
        const double inv = 1.0 / sa;
        const __m128d lo = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(s), _mm_set1_pd(inv)), c);
        const __m128d hi = _mm_add_pd(
            _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(s, s)), _mm_set_pd(area.inverse, inv)), c);
        uint32_t bytes;
        if (truncatedBytes(lo, hi, bytes)) {
            std::memcpy(dst, &bytes, 4);
            return;
        }
        bgraStoreAlpha(dst, sums, area.area);
    }
};

// A partial row's sums times its weight added to the sums, as walk() adds them in extended.
inline __m128 addPartialRow(__m128 sums, __m128 rowSums, float w)
{
    const __m128d wd = _mm_set1_pd(w);
    const __m128d lo = _mm_mul_pd(_mm_cvtps_pd(rowSums), wd);
    const __m128d hi = _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(rowSums, rowSums)), wd);
    return addExactProducts(sums, lo, hi, 0);
}

template <class K, int N>
inline void fastRowSums(__m128 *sums, const uint8_t *row, const FootprintStep *const *x)
{
    __m128 s[N]; // kept in registers across the row
    const uint8_t *p[N];
    for (int k = 0; k < N; ++k) {
        s[k] = sums[k];
        p[k] = row + ptrdiff_t(x[k]->first) * 4;
    }
    if (x[0]->partial0)
        for (int k = 0; k < N; ++k) {
            s[k] = K::addW(s[k], p[k], x[k]->w0);
            p[k] += 4;
        }
    for (int32_t i = 0; i < x[0]->whole; ++i)
        for (int k = 0; k < N; ++k) {
            s[k] = K::add(s[k], p[k]);
            p[k] += 4;
        }
    if (x[0]->partial1)
        for (int k = 0; k < N; ++k)
            s[k] = K::addW(s[k], p[k], x[k]->w1);
    for (int k = 0; k < N; ++k)
        sums[k] = s[k];
}

template <class K>
inline __m128 fastRowSum(__m128 s, const uint8_t *row, const FootprintStep &x)
{
    const FootprintStep *xs[1] = {&x};
    fastRowSums<K, 1>(&s, row, xs);
    return s;
}

// N destination pixels of one row whose footprints have the same shape and are whole on neither
// axis: the general case of walk(), the pixels' sums interleaved.
template <class K, int N>
inline void fastPixels(uint8_t *const *dst, const uint8_t *const *rows,
                       const FootprintStep *const *x, const FootprintStep &y, const FastArea *area2)
{
    __m128 s[N], part[N];
    for (int k = 0; k < N; ++k)
        s[k] = _mm_setzero_ps();
    const auto addPartial = [&](const uint8_t *row, float w) {
        for (int k = 0; k < N; ++k)
            part[k] = _mm_setzero_ps();
        fastRowSums<K, N>(part, row, x);
        for (int k = 0; k < N; ++k)
            s[k] = addPartialRow(s[k], part[k], w);
    };
    int32_t row = y.first;
    if (y.partial0)
        addPartial(rows[row++], y.w0);
    for (int32_t i = 0; i < y.whole; ++i)
        fastRowSums<K, N>(s, rows[row++], x);
    if (y.partial1)
        addPartial(rows[row], y.w1);
    for (int k = 0; k < N; ++k)
        K::store(dst[k], s[k], area2[k]);
}

// One destination pixel: the cases of walk() with the footprint's steps on both axes. rows[r] is
// source row r; area2 the area when neither axis lies inside one pixel.
template <class K>
inline void fastPixel(uint8_t *dst, const uint8_t *const *rows, const FootprintStep &x,
                      const FootprintStep &y, const FastArea &area2)
{
    __m128 s = _mm_setzero_ps();
    if (x.whole < 0 && y.whole < 0) {
        K::store(dst, K::add(s, rows[y.first] + ptrdiff_t(x.first) * 4), FastArea{1.0f, 1.0});
        return;
    }
    if (x.whole < 0) {
        const ptrdiff_t col = ptrdiff_t(x.first) * 4;
        int32_t row = y.first;
        if (y.partial0)
            s = K::addW(s, rows[row++] + col, y.w0);
        for (int32_t i = 0; i < y.whole; ++i)
            s = K::add(s, rows[row++] + col);
        if (y.partial1)
            s = K::addW(s, rows[row] + col, y.w1);
        K::store(dst, s, y.areaAlone);
        return;
    }
    if (y.whole < 0) {
        K::store(dst, fastRowSum<K>(s, rows[y.first], x), x.areaAlone);
        return;
    }
    const FootprintStep *xs[1] = {&x};
    fastPixels<K, 1>(&dst, rows, xs, y, &area2);
}

// Destination columns gathered by footprint shape (the same partial ends and whole count), in
// groups of up to kMaxGroup: the pixels of a full group are summed interleaved. The shapes are the
// same on every row, so the groups are made once per scale. Columns lying inside one source column
// go alone.
constexpr int kMaxGroup = 4;

struct ColumnGroup
{
    int32_t count;
    int32_t cols[kMaxGroup];
};

std::vector<ColumnGroup> columnGroups(const std::vector<FootprintStep> &xs, int32_t size)
{
    std::vector<ColumnGroup> groups;
    std::map<std::tuple<int32_t, bool, bool>, ColumnGroup> open;
    for (int32_t i = 0; i < int32_t(xs.size()); ++i) {
        const FootprintStep &x = xs[size_t(i)];
        if (x.whole < 0) {
            groups.push_back({1, {i}});
            continue;
        }
        ColumnGroup &g = open[{x.whole, x.partial0, x.partial1}];
        g.cols[g.count++] = i;
        if (g.count == size) {
            groups.push_back(g);
            g.count = 0;
        }
    }
    for (const auto &[shape, g] : open)
        for (int32_t k = 0; k < g.count; ++k)
            groups.push_back({1, {g.cols[k]}});
    return groups;
}

template <class K>
void fastRow(uint8_t *dst, const uint8_t *const *rows, const std::vector<FootprintStep> &xs,
             const std::vector<ColumnGroup> &groups, const FootprintStep &y)
{
    int32_t lastExtent = -1;
    FastArea lastArea = {};
    const auto area2 = [&](const FootprintStep &x) {
        if (x.extent != lastExtent) { // as walk() computes it; the same for most columns
            lastExtent = x.extent;
            lastArea =
                fastArea(float((long double)x.extent / 65536.0L * (long double)y.extent / 65536.0L));
        }
        return lastArea;
    };
    if (y.whole < 0) {
        for (const FootprintStep &x : xs) {
            fastPixel<K>(dst, rows, x, y, area2(x));
            dst += 4;
        }
        return;
    }
    constexpr int N = K::kGroup;
    for (const ColumnGroup &g : groups) {
        if (g.count == N) {
            uint8_t *d[N];
            const FootprintStep *x[N];
            FastArea a[N];
            for (int k = 0; k < N; ++k) {
                d[k] = dst + ptrdiff_t(g.cols[k]) * 4;
                x[k] = &xs[size_t(g.cols[k])];
                a[k] = area2(*x[k]);
            }
            fastPixels<K, N>(d, rows, x, y, a);
        } else {
            for (int32_t k = 0; k < g.count; ++k) {
                const FootprintStep &x = xs[size_t(g.cols[k])];
                fastPixel<K>(dst + ptrdiff_t(g.cols[k]) * 4, rows, x, y, area2(x));
            }
        }
    }
}

} // namespace

void CScaleImage::scaleAllFast(bool alpha)
{
    const std::vector<FootprintStep> xs =
        footprintSteps(srcBox.x, dstBox.w, rate.x, srcSize.x << 16);
    const std::vector<FootprintStep> ys =
        footprintSteps(srcBox.y, dstBox.h, rate.y, srcSize.y << 16);
    const std::vector<ColumnGroup> groups =
        columnGroups(xs, alpha ? FastAlpha::kGroup : FastPlain::kGroup);
    std::vector<const uint8_t *> rows(size_t(srcSize.y));
    for (int32_t r = 0; r < srcSize.y; ++r)
        rows[size_t(r)] = seekSrc(0, r);
    // Each destination row is its own work: bands of rows go to the work threads.
    parallelRanges(dstBox.h, 4, [&](int32_t begin, int32_t end) {
        for (int32_t j = begin; j < end; ++j) {
            uint8_t *dst = seekDst(dstBox.x, dstBox.y + j);
            if (alpha)
                fastRow<FastAlpha>(dst, rows.data(), xs, groups, ys[size_t(j)]);
            else
                fastRow<FastPlain>(dst, rows.data(), xs, groups, ys[size_t(j)]);
        }
    });
}


// The exact halving: every footprint is two whole pixels on each axis, so the Single sums of the
// walk are exact integers and their order does not matter. Plain: trunc((s + 0.01) / 4) is
// s div 4. Alpha-weighted: A is SA div 4 the same way; the colours go through FastAlpha's
// checked division.
namespace {

const double *inverseTable()
{
    static const std::vector<double> table = [] {
        std::vector<double> t(4 * 255 + 1, 0.0);
        for (size_t i = 1; i < t.size(); ++i)
            t[i] = 1.0 / double(i);
        return t;
    }();
    return table.data();
}

const float *inverseTableF()
{
    static const std::vector<float> table = [] {
        std::vector<float> t(4 * 255 + 1, 0.0f);
        for (size_t i = 1; i < t.size(); ++i)
            t[i] = 1.0f / float(i);
        return t;
    }();
    return table.data();
}

} // namespace

void halveRow(uint32_t *dst, const uint32_t *row0, const uint32_t *row1, int32_t count,
              bool alpha)
{
    const auto *p0 = reinterpret_cast<const uint8_t *>(row0);
    const auto *p1 = reinterpret_cast<const uint8_t *>(row1);
    if (!alpha) {
        const __m128i zero = _mm_setzero_si128();
        int32_t i = 0;
        for (; i + 2 <= count; i += 2) {
            // Output pixels i and i + 1 are source pixels 2i .. 2i + 3: 16 bytes of each row.
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p0 + 8 * i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p1 + 8 * i));
            const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(a, zero),
                                             _mm_unpacklo_epi8(b, zero)); // source pixels 0, 1
            const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(a, zero),
                                             _mm_unpackhi_epi8(b, zero)); // source pixels 2, 3
            const __m128i sum0 = _mm_add_epi16(lo, _mm_srli_si128(lo, 8));
            const __m128i sum1 = _mm_add_epi16(hi, _mm_srli_si128(hi, 8));
            const __m128i both = _mm_srli_epi16(_mm_unpacklo_epi64(sum0, sum1), 2);
            _mm_storel_epi64(reinterpret_cast<__m128i *>(dst + i), _mm_packus_epi16(both, both));
        }
        for (; i < count; ++i) {
            uint8_t *d = reinterpret_cast<uint8_t *>(dst + i);
            for (int c = 0; c < 4; ++c)
                d[c] = uint8_t((p0[8 * i + c] + p0[8 * i + 4 + c] + p1[8 * i + c] +
                                p1[8 * i + 4 + c]) >> 2);
        }
        return;
    }
    const double *inv = inverseTable();
    const float *invf = inverseTableF();
    const FastArea quarter{4.0f, 0.25};
    // Per row, the two pixels' words interleaved channel by channel (B0 B1 G0 G1 R0 R1 A0 A1) times
    // (A0 A1 A0 A1 A0 A1 1 1), adjacent products added: B x A, G x A, R x A and A of the pair.
    const __m128i zero = _mm_setzero_si128();
    const __m128i keepColour = _mm_set_epi32(0, -1, -1, -1);
    const __m128i ones = _mm_set_epi32(0x00010001, 0, 0, 0);
    const auto pairSums = [&](const uint8_t *p) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
        const __m128i w = _mm_unpacklo_epi8(bytes, zero);
        const __m128i v = _mm_unpacklo_epi16(w, _mm_srli_si128(w, 8));
        const __m128i a = _mm_or_si128(
            _mm_and_si128(_mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 3)), keepColour), ones);
        return _mm_madd_epi16(v, a);
    };
    for (int32_t i = 0; i < count; ++i) {
        const __m128i s = _mm_add_epi32(pairSums(p0 + 8 * i), pairSums(p1 + 8 * i));
        const int32_t sa = _mm_cvtsi128_si32(_mm_shuffle_epi32(s, _MM_SHUFFLE(3, 3, 3, 3)));
        uint8_t *d = reinterpret_cast<uint8_t *>(dst + i);
        if (sa == 0) {
            dst[i] = 0x00FFFFFF;
            continue;
        }
        const __m128 f = _mm_cvtepi32_ps(s);
        // First in Singles: the sums are exact, the quotient plus 0.01 is within 5e-5 of the
        // exact value, and that exact value is either a whole number or at least 1 / (100 SA)
        // (about 1e-5) away from one. Lanes further than 1e-4 from a whole number truncate as the
        // extended evaluation does; the rest take the checked double path below.
        const __m128 q = _mm_add_ps(_mm_mul_ps(f, _mm_setr_ps(invf[sa], invf[sa], invf[sa], 0.25f)),
                                    _mm_set1_ps(0.01f));
        const __m128i t = _mm_cvttps_epi32(q);
        const __m128 frac = _mm_sub_ps(q, _mm_cvtepi32_ps(t));
        if (_mm_movemask_ps(_mm_and_ps(_mm_cmpgt_ps(frac, _mm_set1_ps(1e-4f)),
                                       _mm_cmplt_ps(frac, _mm_set1_ps(1 - 1e-4f)))) == 0xF) {
            const __m128i words = _mm_packs_epi32(t, t);
            dst[i] = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
            continue;
        }
        const __m128d c = _mm_set1_pd(0.01), r = _mm_set1_pd(inv[sa]);
        const __m128d lo = _mm_add_pd(_mm_mul_pd(_mm_cvtps_pd(f), r), c);
        const __m128d hi = _mm_add_pd(
            _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(f, f)), _mm_set_pd(quarter.inverse, inv[sa])),
            c);
        uint32_t bytes;
        if (truncatedBytes(lo, hi, bytes)) {
            std::memcpy(d, &bytes, 4);
            continue;
        }
        float sums[4];
        toScalarSums(f, sums);
        bgraStoreAlpha(d, sums, quarter.area);
    }
}

#endif // __SSE2__

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
#if defined(__SSE2__)
    if (hasBaseSlots()) {
        scaleAllFast(false);
        return;
    }
#endif
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
#if defined(__SSE2__)
    if (hasBaseSlots()) {
        scaleAllFast(true);
        return;
    }
#endif
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
