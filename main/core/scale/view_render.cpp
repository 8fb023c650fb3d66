#include "core/scale/view_render.h"

#include "core/image/canvas.h"
#include "core/base/numeric.h"
#include "core/scale/scale_image.h"
#include "core/tiles/work_threads.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The mapping works in 32-bit 16.16 values that wrap, as fixMul does.
inline int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }

// The 16.16 offset of pixel i's centre from the middle of n pixels: (i shl 16) + $8000 - n x $8000.
inline int32_t centreOffset(int32_t i, int32_t n)
{
    return wrapSub(wrapAdd(int32_t(uint32_t(i) << 16), 0x8000), int32_t(uint32_t(n) * 0x8000u));
}

// round(65536 / scale); 0 when the scale cannot be mapped (not positive, or a side past 2^30).
int32_t sideOf(float scale)
{
    if (!(scale > 0))
        return 0;
    const long double side = 65536.0L / scale;
    return side > (1 << 30) ? 0 : roundToInt32(side);
}

} // namespace

void renderRotatedBytes(uint8_t *dst, const uint8_t *src, const sSize &dstSize, uint8_t outside,
                        float scaleY, float scaleX, float angle, const sPos &centre,
                        const sSize &srcSize)
{
    if (dstSize.x <= 0 || dstSize.y <= 0)
        return;
    const int32_t hx = sideOf(scaleX), hy = sideOf(scaleY);
    if (hx == 0 || hy == 0) {
        std::memset(dst, outside, size_t(dstSize.x) * size_t(dstSize.y));
        return;
    }
    const int32_t s = roundToInt32(std::sin((long double)angle) * 65536.0L);
    const int32_t c = roundToInt32(std::cos((long double)angle) * 65536.0L);
    const int32_t cx = wrapSub(int32_t(uint32_t(centre.x) << 16), hx / 2);
    const int32_t cy = wrapSub(int32_t(uint32_t(centre.y) << 16), hy / 2);
    CScaleImageBYTE scaler(src, nullptr, srcSize, {});
    for (int32_t y = 0; y < dstSize.y; ++y) {
        const int32_t py = centreOffset(y, dstSize.y);
        uint8_t *d = dst + size_t(y) * size_t(dstSize.x);
        for (int32_t x = 0; x < dstSize.x; ++x, ++d) {
            const int32_t px = centreOffset(x, dstSize.x);
            const int32_t x0 = wrapAdd(fixMul(wrapSub(fixMul(px, c), fixMul(py, s)), hx), cx);
            const int32_t y0 = wrapAdd(fixMul(wrapAdd(fixMul(px, s), fixMul(py, c)), hy), cy);
            sRect r = {x0, y0, wrapAdd(x0, hx), wrapAdd(y0, hy)};
            if (!scaler.calcSrcRect(d, r))
                *d = outside;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Rotated canvas views.

namespace {

bool renderView(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler, uint32_t outside, float zoom,
                float rot, const sBox &box, const sPos &centre, bool mirror)
{
    scaler.reset(&src, &dst);
    sBox b = box;
    if (!dst.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return false;
    const int32_t side = sideOf(zoom);
    if (side == 0)
        return false;
    const int32_t s = roundToInt32(std::sin((long double)rot) * 65536.0L);
    const int32_t c = roundToInt32(std::cos((long double)rot) * 65536.0L);
    // The square's origin: its centre less half its side, plus half a pixel.
    const int32_t half = side / 2;
    const int32_t cx = wrapAdd(wrapSub(int32_t(uint32_t(centre.x) << 16), half), 0x8000);
    const int32_t cy = wrapAdd(wrapSub(int32_t(uint32_t(centre.y) << 16), half), 0x8000);
    for (int32_t y = b.y; y < b.y + b.h; ++y) {
        const int32_t v = fixMul(centreOffset(y, dst.height()), side);
        for (int32_t x = b.x; x < b.x + b.w; ++x) {
            int32_t u = fixMul(centreOffset(x, dst.width()), side);
            if (mirror)
                u = wrapSub(0, u);
            const int32_t x0 = wrapAdd(wrapSub(fixMul(u, c), fixMul(v, s)), cx);
            const int32_t y0 = wrapAdd(wrapAdd(fixMul(u, s), fixMul(v, c)), cy);
            sRect r = {x0, y0, wrapAdd(x0, side), wrapAdd(y0, side)};
            sBGRA *p = dst.seek32(x, y);
            if (!scaler.calcSrcRect(reinterpret_cast<uint8_t *>(p), r))
                p->all = outside;
        }
    }
    return true;
}

} // namespace

bool renderRotatedView(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler, uint32_t outside,
                       float zoom, float rot, const sBox &box, const sPos &centre)
{
    return renderView(dst, src, scaler, outside, zoom, rot, box, centre, false);
}

bool renderRotatedViewMirror(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler,
                             uint32_t outside, float zoom, float rot, const sBox &box,
                             const sPos &centre)
{
    return renderView(dst, src, scaler, outside, zoom, rot, box, centre, true);
}

// ---------------------------------------------------------------------------------------------
// The free transform's sampler.

namespace {

inline void accumulate(float &sum, long double v) { sum = float((long double)sum + v); }

inline uint8_t clampTrunc(long double v)
{
    const long double t = std::trunc(v);
    return t <= 0 ? 0 : t >= 255 ? 255 : uint8_t(t);
}

// trunc(v) cut to 0..255 for an extended-precision value v, from e, its value in double (within
// 1e-12 of v): the same unless e lies within 1e-7 of a whole number; then exact() gives v.
template <class Exact> uint8_t truncNear(double e, Exact exact)
{
    if (std::fabs(e - std::nearbyint(e)) < 1e-7)
        return clampTrunc(exact());
    return e < 1 ? 0 : e >= 255 ? 255 : uint8_t(int32_t(e));
}

// Composites the alpha-weighted sums S (R x A, G x A, B x A, A) of total coverage W over *dst:
// the extended-precision composite, worked in double where that cannot change a byte.
void storeAverageOver(sBGRA *dst, const float *S, float W)
{
    const double sa = S[3];
    if (sa <= 0)
        return;
    const long double saX = S[3];
    uint8_t *d = reinterpret_cast<uint8_t *>(dst);
    if (dst->A == 0) {
        for (int k = 0; k < 3; ++k)
            d[2 - k] = truncNear(S[k] / sa + 0.001, [&] { return S[k] / saX + 0.001L; });
        dst->A = truncNear((W > 0 ? sa / W : sa) + 0.001,
                           [&] { return (W > 0 ? saX / W : saX) + 0.001L; });
        return;
    }
    const double a = W > 0 ? sa / W : sa;
    const long double aX = W > 0 ? saX / W : saX;
    for (int k = 0; k < 3; ++k) {
        const double part = W > 0 ? S[k] / double(W) : S[k];
        const uint32_t c = d[2 - k];
        d[2 - k] = truncNear((255 - a) * c / 255 + part / 255 + 0.001, [&] {
            const long double partX = W > 0 ? (long double)S[k] / W : (long double)S[k];
            return (255 - aX) * c / 255 + partX / 255 + 0.001L;
        });
    }
    const uint32_t da = dst->A;
    dst->A = truncNear((255 - a) * da / 255 + a + 0.001,
                       [&] { return (255 - aX) * da / 255 + aX + 0.001L; });
}

// Composites, in extended precision, the alpha-weighted sums S (R x A, G x A, B x A, A) of total coverage W over *dst.
void storeAverageOverExtended(sBGRA *dst, const float *S, float W)
{
    const long double sa = S[3];
    if (sa <= 0)
        return;
    const long double a = W > 0 ? sa / W : sa;
    const auto part = [&](int k) { return W > 0 ? (long double)S[k] / W : (long double)S[k]; };
    uint8_t *d = reinterpret_cast<uint8_t *>(dst);
    if (dst->A == 0) {
        for (int k = 0; k < 3; ++k)
            d[2 - k] = clampTrunc(S[k] / sa + 0.001L);
        dst->A = clampTrunc(a + 0.001L);
        return;
    }
    for (int k = 0; k < 3; ++k)
        d[2 - k] = clampTrunc((255 - a) * d[2 - k] / 255 + part(k) / 255 + 0.001L);
    dst->A = clampTrunc((255 - a) * dst->A / 255 + a + 0.001L);
}

void addWeighted(float *S, const sBGRA &p, float weight)
{
    accumulate(S[0], (long double)p.R * weight);
    accumulate(S[1], (long double)p.G * weight);
    accumulate(S[2], (long double)p.B * weight);
    accumulate(S[3], weight);
}

} // namespace

namespace {

// float(a + b) as the extended-precision sum rounds it. The double sum is exact unless a and b
// lie far apart (b carries up to 32 significant bits); exact, it rounds to the same float. The
// rare inexact sum is redone in extended precision.
inline float addRounded(float a, double b)
{
    const double s = double(a) + b;
    if (s - double(a) == b && s - b == double(a))
        return float(s);
    return float((long double)a + (long double)b);
}

// float(a + b) for two floats: a double sum rounds to the float the extended one does (exact when
// they lie close; when they lie far apart, the smaller one is below the larger's half unit).
inline float addFloats(float a, float b) { return float(double(a) + double(b)); }

// Clips r to the source and finds the pixels it touches; false when nothing is left to average.
bool clipArea(const TMTC &src, sFRect &r, int32_t &ix0, int32_t &iy0, int32_t &ix1, int32_t &iy1)
{
    r.x1 = std::min(r.x1, float(src.width()));
    r.y1 = std::min(r.y1, float(src.height()));
    // A rectangle reaching left of or above the source would read before its first pixel.
    r.x0 = std::max(r.x0, 0.0f);
    r.y0 = std::max(r.y0, 0.0f);
    if (!src.isEnable() || !(r.x0 < r.x1 && r.y0 < r.y1))
        return false;
    ix0 = int32_t(r.x0), iy0 = int32_t(r.y0);
    ix1 = int32_t(std::ceil(r.x1)), iy1 = int32_t(std::ceil(r.y1));
    return true;
}

// A rectangle inside one pixel adds that pixel unweighted into S (W stays 0); false otherwise.
bool sumSinglePixel(const TMTC &src, int32_t ix0, int32_t iy0, int32_t ix1, int32_t iy1,
                    float S[4])
{
    if (ix1 - ix0 != 1 || iy1 - iy0 != 1)
        return false;
    const sBGRA &p = *src.seek32(ix0, iy0);
    S[0] = float(p.R * p.A), S[1] = float(p.G * p.A), S[2] = float(p.B * p.A), S[3] = p.A;
    return true;
}

} // namespace

void averageAreaF(sBGRA *dst, const TMTC &src, sFRect &r)
{
    int32_t ix0, iy0, ix1, iy1;
    if (!clipArea(src, r, ix0, iy0, ix1, iy1))
        return;
    float S[4] = {}, W = 0;
    if (!sumSinglePixel(src, ix0, iy0, ix1, iy1, S)) {
        // The column spans, the same for every row.
        constexpr int32_t kSpans = 16;
        float spans[kSpans];
        const int32_t cols = ix1 - ix0;
        const auto spanOf = [&](int32_t i) {
            return std::min(r.x1, float(i + 1)) - std::max(r.x0, float(i));
        };
        if (cols <= kSpans)
            for (int32_t i = 0; i < cols; ++i)
                spans[i] = spanOf(ix0 + i);
        float s0 = 0, s1 = 0, s2 = 0, s3 = 0;
        for (int32_t j = iy0; j < iy1; ++j) {
            const float cy = std::min(r.y1, float(j + 1)) - std::max(r.y0, float(j));
            const sBGRA *row = src.seek32(ix0, j);
            for (int32_t i = 0; i < cols; ++i) {
                const float cx = cols <= kSpans ? spans[i] : spanOf(ix0 + i);
                const float coverage = cx * cy;
                const sBGRA &p = row[i];
                const float weight = float(p.A * coverage);
                const double w = weight;
                s0 = addRounded(s0, double(p.R) * w);
                s1 = addRounded(s1, double(p.G) * w);
                s2 = addRounded(s2, double(p.B) * w);
                s3 = addFloats(s3, weight);
                W = addFloats(W, coverage);
            }
        }
        S[0] = s0, S[1] = s1, S[2] = s2, S[3] = s3;
    }
    storeAverageOver(dst, S, W);
}

void averageAreaFByTap(sBGRA *dst, const TMTC &src, sFRect &r)
{
    int32_t ix0, iy0, ix1, iy1;
    if (!clipArea(src, r, ix0, iy0, ix1, iy1))
        return;
    float S[4] = {}, W = 0;
    if (!sumSinglePixel(src, ix0, iy0, ix1, iy1, S)) {
        for (int32_t j = iy0; j < iy1; ++j) {
            const float cy = std::min(r.y1, float(j + 1)) - std::max(r.y0, float(j));
            for (int32_t i = ix0; i < ix1; ++i) {
                const float cx = std::min(r.x1, float(i + 1)) - std::max(r.x0, float(i));
                const float coverage = cx * cy;
                const sBGRA &p = *src.seek32(i, j);
                addWeighted(S, p, float(p.A * coverage));
                accumulate(W, coverage);
            }
        }
    }
    storeAverageOverExtended(dst, S, W);
}

// ---------------------------------------------------------------------------------------------
// Zoom caches: integer arithmetic over a fixed set of taps.

namespace {

struct Tap
{
    const sBGRA *px;
    uint32_t weight;
};

// Mixes four weighted taps (weights adding up to total) into *d.
template <uint32_t total> void mixTaps(sBGRA *d, const Tap (&taps)[4], bool weighted)
{
    if (!weighted) {
        uint32_t b = 0, g = 0, r = 0, a = 0;
        for (const Tap &t : taps) {
            b += t.weight * t.px->B, g += t.weight * t.px->G;
            r += t.weight * t.px->R, a += t.weight * t.px->A;
        }
        d->B = uint8_t(b / total), d->G = uint8_t(g / total);
        d->R = uint8_t(r / total), d->A = uint8_t(a / total);
        return;
    }
    uint32_t sa = 0, b = 0, g = 0, r = 0;
    for (const Tap &t : taps) {
        const uint32_t wa = t.weight * t.px->A;
        sa += wa;
        b += wa * t.px->B, g += wa * t.px->G, r += wa * t.px->R;
    }
    if (sa == 0) { // nothing visible: only the alpha goes
        d->A = 0;
        return;
    }
    d->B = uint8_t(b / sa), d->G = uint8_t(g / sa), d->R = uint8_t(r / sa);
    d->A = uint8_t(sa / total);
}

// Taps past the source's right or bottom edge read the colour back.
struct SBackTaps
{
    SBackTaps(const TMTC &s, uint32_t back) : src(s) { backPx.all = back; }
    const sBGRA *operator()(int32_t x, int32_t y) const
    {
        return ptInSize(x, y, src.width(), src.height()) ? src.seek32(x, y) : &backPx;
    }
    const TMTC &src;
    sBGRA backPx;
};

template <uint32_t total, class TapsOf>
void reduceRow(TMTC &dst, int32_t y, int32_t x0, int32_t x1, bool weighted, const TapsOf &tapsOf,
               const SBackTaps &at)
{
    for (int32_t x = x0; x < x1; ++x) {
        Tap taps[4];
        tapsOf(x, y, at, taps);
        mixTaps<total>(dst.seek32(x, y), taps, weighted);
    }
}

// The pixel walk: every pixel of the box from its four taps.
template <uint32_t total, class TapsOf>
void reduceByPixel(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back,
                   TapsOf tapsOf)
{
    sBox b = box;
    if (!dst.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return;
    const SBackTaps at(src, back);
    parallelRanges(b.h, 16, [&](int32_t begin, int32_t end) {
        for (int32_t y = b.y + begin; y < b.y + end; ++y)
            reduceRow<total>(dst, y, b.x, b.x + b.w, weighted, tapsOf, at);
    });
}

// The same pixels, where every tap lies inside the source and the average is unweighted, by
// rows of the vector loop fastRow(d, y, x0, x1) over the columns [inner.x0, inner.x1) of the
// rows [inner.y0, inner.y1); the pixel walk elsewhere.
template <uint32_t total, class TapsOf, class FastRow>
void reduce(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back,
            const sRect &inner, TapsOf tapsOf, FastRow fastRow)
{
    sBox b = box;
    if (!dst.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return;
    const SBackTaps at(src, back);
    // Each destination row reads the source alone: bands of rows go to the work threads.
    parallelRanges(b.h, 16, [&](int32_t begin, int32_t end) {
        for (int32_t y = b.y + begin; y < b.y + end; ++y) {
            const int32_t fx0 = std::clamp(inner.x0, b.x, b.x + b.w);
            const int32_t fx1 = std::clamp(inner.x1, fx0, b.x + b.w);
            if (weighted || y < inner.y0 || y >= inner.y1 || fx0 == fx1) {
                reduceRow<total>(dst, y, b.x, b.x + b.w, weighted, tapsOf, at);
                continue;
            }
            reduceRow<total>(dst, y, b.x, fx0, weighted, tapsOf, at);
            fastRow(dst.seek32(fx0, y), y, fx0, fx1);
            reduceRow<total>(dst, y, fx1, b.x + b.w, weighted, tapsOf, at);
        }
    });
}

const auto halveTaps = [](int32_t x, int32_t y, const SBackTaps &at, Tap(&t)[4]) {
    t[0] = {at(2 * x, 2 * y), 1};
    t[1] = {at(2 * x + 1, 2 * y), 1};
    t[2] = {at(2 * x, 2 * y + 1), 1};
    t[3] = {at(2 * x + 1, 2 * y + 1), 1};
};

const auto twoThirdsTaps = [](int32_t x, int32_t y, const SBackTaps &at, Tap(&t)[4]) {
    const int32_t sx = 3 * x / 2, sy = 3 * y / 2;
    // Even positions weigh their first tap 2 and the next 1; odd positions the reverse.
    const uint32_t wx0 = x % 2 == 0 ? 2 : 1, wx1 = 3 - wx0;
    const uint32_t wy0 = y % 2 == 0 ? 2 : 1, wy1 = 3 - wy0;
    t[0] = {at(sx, sy), wx0 * wy0};
    t[1] = {at(sx + 1, sy), wx1 * wy0};
    t[2] = {at(sx, sy + 1), wx0 * wy1};
    t[3] = {at(sx + 1, sy + 1), wx1 * wy1};
};

inline __m128i widen(const sBGRA *p, int32_t pixels)
{
    const __m128i v = pixels == 1 ? _mm_cvtsi32_si128(int32_t(p->all))
                                  : _mm_loadl_epi64(reinterpret_cast<const __m128i *>(p));
    return _mm_unpacklo_epi8(v, _mm_setzero_si128());
}

inline void storeTwo(sBGRA *d, __m128i words)
{
    _mm_storel_epi64(reinterpret_cast<__m128i *>(d), _mm_packus_epi16(words, words));
}

// Unweighted halving of the destination columns [x0, x1) of row y, all taps inside src: the
// four sums of each pixel divided by 4, two pixels at a time.
void halveRowInside(sBGRA *d, const TMTC &src, int32_t y, int32_t x0, int32_t x1)
{
    const sBGRA *r0 = src.seek32(2 * x0, 2 * y), *r1 = src.seek32(2 * x0, 2 * y + 1);
    const int32_t n = x1 - x0;
    int32_t i = 0;
    for (; i + 2 <= n; i += 2) {
        const __m128i z = _mm_setzero_si128();
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(r0 + 2 * i));
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(r1 + 2 * i));
        const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(a, z), _mm_unpacklo_epi8(c, z));
        const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(a, z), _mm_unpackhi_epi8(c, z));
        const __m128i s = _mm_add_epi16(_mm_unpacklo_epi64(lo, hi), _mm_unpackhi_epi64(lo, hi));
        storeTwo(d + i, _mm_srli_epi16(s, 2));
    }
    if (i < n) {
        const __m128i s = _mm_add_epi16(widen(r0 + 2 * i, 2), widen(r1 + 2 * i, 2));
        const __m128i q = _mm_srli_epi16(_mm_add_epi16(s, _mm_srli_si128(s, 8)), 2);
        d[i].all = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(q, q)));
    }
}

// Sums of at most 9 x 255 divided by 9: (s x 58255) >> 19 is s div 9 for every such s.
inline __m128i divideBy9(__m128i s)
{
    return _mm_srli_epi16(_mm_mulhi_epu16(s, _mm_set1_epi16(int16_t(58255))), 3);
}

// Unweighted two-thirds of the destination columns [x0, x1) of row y, all taps inside src. Each
// even column and the odd one after it share three source columns: 2 c0 + c1 and c1 + 2 c2.
void twoThirdsRowInside(sBGRA *d, const TMTC &src, int32_t y, int32_t x0, int32_t x1)
{
    const int32_t sy = 3 * y / 2;
    const sBGRA *r0 = src.seek32(0, sy), *r1 = src.seek32(0, sy + 1);
    const bool evenRow = y % 2 == 0;
    // The column sums of rows sy and sy + 1 weighed 2 and 1 (1 and 2 on odd rows).
    const auto columns = [&](int32_t sx, int32_t pixels) {
        const __m128i a = widen(r0 + sx, pixels), c = widen(r1 + sx, pixels);
        return evenRow ? _mm_add_epi16(_mm_add_epi16(a, a), c) : _mm_add_epi16(_mm_add_epi16(c, c), a);
    };
    int32_t x = x0;
    if (x % 2 != 0) { // an odd first column: c1 + 2 c2 of its pair
        const int32_t sx = 3 * x / 2;
        const __m128i v = columns(sx, 2);
        const __m128i o = _mm_add_epi16(v, _mm_add_epi16(_mm_srli_si128(v, 8), _mm_srli_si128(v, 8)));
        d->all = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(divideBy9(o), o)));
        ++d, ++x;
    }
    for (; x + 2 <= x1; x += 2, d += 2) {
        const int32_t sx = 3 * x / 2;
        const __m128i v01 = columns(sx, 2), v2 = columns(sx + 2, 1);
        const __m128i v1 = _mm_srli_si128(v01, 8);
        const __m128i e = _mm_add_epi16(_mm_add_epi16(v01, v01), v1);
        const __m128i o = _mm_add_epi16(v1, _mm_add_epi16(v2, v2));
        storeTwo(d, divideBy9(_mm_unpacklo_epi64(e, o)));
    }
    if (x < x1) { // an even last column: 2 c0 + c1
        const __m128i v01 = columns(3 * x / 2, 2);
        const __m128i e = _mm_add_epi16(_mm_add_epi16(v01, v01), _mm_srli_si128(v01, 8));
        d->all = uint32_t(_mm_cvtsi128_si32(_mm_packus_epi16(divideBy9(e), e)));
    }
}

} // namespace

void cacheHalve(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back)
{
    // Taps 2x + 1 and 2y + 1 inside the source.
    const sRect inner{0, 0, src.width() / 2, src.height() / 2};
    reduce<4>(dst, src, box, weighted, back, inner, halveTaps,
           [&src](sBGRA *d, int32_t y, int32_t x0, int32_t x1) { halveRowInside(d, src, y, x0, x1); });
}

void cacheTwoThirds(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back)
{
    // Taps 3x div 2 + 1 inside the source: x <= (2 (w - 2) + 1) / 3, likewise y.
    const sRect inner{0, 0, src.width() >= 2 ? (2 * (src.width() - 2) + 1) / 3 + 1 : 0,
                      src.height() >= 2 ? (2 * (src.height() - 2) + 1) / 3 + 1 : 0};
    reduce<9>(dst, src, box, weighted, back, inner, twoThirdsTaps,
           [&src](sBGRA *d, int32_t y, int32_t x0, int32_t x1) {
               twoThirdsRowInside(d, src, y, x0, x1);
           });
}

void cacheHalveByPixel(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back)
{
    reduceByPixel<4>(dst, src, box, weighted, back, halveTaps);
}

void cacheTwoThirdsByPixel(TMTC &dst, const TMTC &src, const sBox &box, bool weighted,
                           uint32_t back)
{
    reduceByPixel<9>(dst, src, box, weighted, back, twoThirdsTaps);
}
