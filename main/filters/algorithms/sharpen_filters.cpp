#include "filters/algorithms/sharpen_filters.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/pixel/simd_level.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <vector>

#if KAVRIN_HAS_AVX2_LOOPS
#include <immintrin.h>
#endif

namespace {

template <class R> R readRecord(const void *argp)
{
    R r;
    std::memcpy(&r, argp, sizeof r);
    return r;
}

constexpr sBox k3x3{-1, -1, 3, 3};

// The largest side a 16.16 position can address.
constexpr int32_t kMaxFixSide = 32767;

} // namespace

bool fltSharpen(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
    return checkFilterFrame(p, args, 0) && convolveKernel(p, k, k3x3, 0);
}

bool fltSharpenMore(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {-1, -1, -1, -1, 12, -1, -1, -1, -1};
    return checkFilterFrame(p, args, 0) && convolveKernel(p, k, k3x3, 0);
}

bool customSharpenStrength(float amount, int32_t &k)
{
    if (!std::isfinite(amount))
        return false;
    const long double base = amount * std::pow(240.0L, 1.5L) + 0.5L;
    // A negative base has no real power (the original stopped with an error).
    if (base < 0)
        return false;
    const long double v = std::trunc(std::pow(base, 2.0L / 3.0L));
    if (v > 0x1FFFFFFF)
        return false;
    k = int32_t(v);
    return true;
}

bool fltSharpenCustom(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    int32_t k = 0;
    if (!customSharpenStrength(readRecord<sFltObj2>(argp).data0._float, k))
        return false;
    // k = 0 leaves the centre alone in the kernel: every pixel stays as it is.
    if (k == 0) {
        p.unchanged = true;
        return true;
    }
    const int32_t w[9] = {0, -k, 0, -k, 999, -k, 0, -k, 0};
    return convolveKernel(p, w, k3x3, 0);
}

namespace {

// One pixel of Find Edges: the weighted differences to its eight neighbours (edges repeated).
void findEdgesPixel(const TMTC &flow, int32_t w, int32_t h, int32_t x, int32_t y, sBGRA &px,
                    int32_t m)
{
    const sBGRA *r0 = flow.seek32(0, std::max(y - 1, 0));
    const sBGRA *r1 = flow.seek32(0, y);
    const sBGRA *r2 = flow.seek32(0, std::min(y + 1, h - 1));
    const int32_t xl = std::max(x - 1, 0), xr = std::min(x + 1, w - 1);
    const sBGRA c = r1[x];
    // Upper-left, upper, upper-right, left, right, lower-left, lower, lower-right.
    const sBGRA n[8] = {r0[xl], r0[x], r0[xr], r1[xl], r1[xr], r2[xl], r2[x], r2[xr]};
    static constexpr int32_t wt[8] = {2, 3, 2, 3, 3, 2, 3, 2};
    int32_t sb = 0, sg = 0, sr = 0;
    for (int i = 0; i < 8; ++i) {
        sb += wt[i] * std::abs(c.B - n[i].B);
        sg += wt[i] * std::abs(c.G - n[i].G);
        sr += wt[i] * std::abs(c.R - n[i].R);
    }
    sBGRA out = c;
    out.B = clampByte(255 - sb / 5);
    out.G = clampByte(255 - sg / 5);
    out.R = clampByte(255 - sr / 5);
    pixelPutAlpha(&px, out.all, uint32_t(m));
}

} // namespace

bool fltFindEdges(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const TMTC &flow = *p.flowTC;
    return walkDstRectBands(p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            findEdgesPixel(flow, w, h, x, y, px, m);
        };
    });
}

bool fltFindEdgesReference(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const TMTC &flow = *p.flowTC;
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        findEdgesPixel(flow, w, h, x, y, px, m);
    });
}

namespace {

// What the emboss works out once from its record: the offsets of its two samples (16.16, the
// half pixel that centres a square added) and the amount.
struct EmbossSetup
{
    sFXPos off[2];
    long double a = 0;
    int32_t w = 0, h = 0;
};

// The record's checks; false for a record the emboss refuses.
bool makeEmbossSetup(const sFlt4Params &p, const void *argp, int32_t args, EmbossSetup &e)
{
    if (!checkFilterFrame(p, args, kFltObj4Size) || !argp)
        return false;
    const auto r = readRecord<sFltObj4>(argp);
    const int32_t angle = r.data0.all, amount = r.data2.all;
    const float height = r.data1._float;
    // A height of 65536 or more would wrap its 16.16 offsets.
    if (!std::isfinite(height) || std::fabs(height) >= 65536.0f)
        return false;
    e.w = p.layerTC->width(), e.h = p.layerTC->height();
    if (e.w > kMaxFixSide || e.h > kMaxFixSide)
        return false;
    e.a = amount / 100.0L;
    for (int i = 0; i < 2; ++i) {
        const long double theta =
            ((int64_t(angle) + 180 * i) % 360) * std::numbers::pi_v<long double> / 180;
        e.off[i] = {floatToFix(float(std::cos(theta) * height / 2)) + 0x8000,
                    floatToFix(float(std::sin(theta) * height / 2)) + 0x8000};
    }
    return true;
}

uint8_t embossChannel(long double a, uint8_t c0, uint8_t c1)
{
    return clampByte(std::trunc((int32_t(c0) - int32_t(c1)) * a + 127.5L));
}

// One pixel the plain way: two area samples through the scaler, each channel through the amount.
void embossPixel(const EmbossSetup &e, CScaleImageTMTC &scaler, int32_t x, int32_t y, sBGRA &px,
                 int32_t m)
{
    const sRect box{0, 0, e.w << 16, e.h << 16};
    // Positions farther out than half a pixel beyond the box all sample the same edge strip:
    // holding them a pixel beyond keeps the sums inside 32 bits.
    const auto place = [&](int32_t v, int32_t o, int32_t hi) {
        return int32_t(std::clamp<int64_t>((int64_t(v) << 16) + o, -0x10000, int64_t(hi) + 0x10000));
    };
    sBGRA s[2];
    for (int i = 0; i < 2; ++i)
        sampleSquare(s[i], scaler, mixColour, box,
                     sFXPos{place(x, e.off[i].x, box.x1), place(y, e.off[i].y, box.y1)});
    sBGRA out = px;
    out.B = embossChannel(e.a, s[0].B, s[1].B);
    out.G = embossChannel(e.a, s[0].G, s[1].G);
    out.R = embossChannel(e.a, s[0].R, s[1].R);
    pixelPutAlpha(&px, out.all, uint32_t(m));
}

// One sample's footprint on one axis: the square starts at v << 16 plus q, so it covers pixel
// v + lead alone (fraction 0) or v + lead and the next by 1 - f and f.
struct SampleAxis
{
    int32_t lead = 0;
    float w0 = 1, w1 = 0; // (65536 - f) / 65536 and f / 65536, as the scaler forms them
    bool aligned = true;
    int32_t lo = 0, hi = 0; // the positions v whose square lies inside 0 .. size, hi exclusive

    SampleAxis() = default;
    SampleAxis(int32_t q, int32_t size)
        : lead(q >> 16), w0(float(0x10000 - (q & 0xFFFF)) / 65536.0f),
          w1(float(q & 0xFFFF) / 65536.0f), aligned((q & 0xFFFF) == 0)
    {
        // v << 16 + q >= 0 and v << 16 + q + 65536 <= size << 16.
        lo = int32_t(std::clamp<int64_t>(-(int64_t(q) >> 16), 0, size));
        hi = int32_t(std::clamp<int64_t>(int64_t(size - 1) + ((-int64_t(q)) >> 16) + 1, 0, size));
        hi = std::max(hi, lo);
    }
};

// The scaler's plain average of a unit square inside the image, one channel, with the same
// Single operations: the row sums (first pixel times w0, plus the second times w1), then the rows
// (the first times its weight rounded to a Single, plus the second times its weight: the exact
// sum, which a Double holds, rounded once).
struct EmbossSampler
{
    SampleAxis ax, ay;
    // thr[n]: the least Single from which the store's Trunc(sum + 0.01) passes n.
    const std::array<float, 256> *thr = nullptr;

    float row(const uint8_t *p) const
    {
        if (ax.aligned)
            return float(p[0]);
        return float(p[0]) * ax.w0 + float(p[4]) * ax.w1;
    }
    uint8_t channel(const uint8_t *r0, const uint8_t *r1) const
    {
        float s;
        if (ay.aligned)
            s = row(r0);
        else {
            const float first = float(double(row(r0)) * double(ay.w0));
            s = float(double(first) + double(row(r1)) * double(ay.w1));
        }
        const int32_t n = int32_t(s);
        return uint8_t(std::min(255, n + (s >= (*thr)[size_t(n)] ? 1 : 0)));
    }
};

// For every n, the least Single s >= n for which Trunc(s + 0.01) (extended) is above n.
std::array<float, 256> storeThresholds()
{
    std::array<float, 256> t{};
    for (int32_t n = 0; n < 256; ++n) {
        const auto passes = [n](float s) { return std::trunc((long double)s + 0.01L) > n; };
        float s = float(n + 0.99L);
        while (s > float(n) && passes(std::nextafter(s, float(n))))
            s = std::nextafter(s, float(n));
        while (!passes(s))
            s = std::nextafter(s, float(n + 1));
        t[size_t(n)] = s;
    }
    return t;
}

#if KAVRIN_HAS_AVX2_LOOPS
// Channel c (0 B, 1 G, 2 R) of eight pixels as Singles.
KAVRIN_TARGET_AVX2 inline __m256 embossBytes(__m256i v, int c)
{
    const __m256i ff = _mm256_set1_epi32(0xFF);
    const __m256i b = c == 0 ? _mm256_and_si256(v, ff)
                             : _mm256_and_si256(_mm256_srl_epi32(v, _mm_cvtsi32_si128(8 * c)), ff);
    return _mm256_cvtepi32_ps(b);
}

// EmbossSampler::row of eight pixels: v0 the pixels under the square's left column, v1 the next.
KAVRIN_TARGET_AVX2 inline __m256 embossRow(const EmbossSampler &s, __m256i v0, __m256i v1, int c)
{
    if (s.ax.aligned)
        return embossBytes(v0, c);
    return _mm256_add_ps(_mm256_mul_ps(embossBytes(v0, c), _mm256_set1_ps(s.ax.w0)),
                         _mm256_mul_ps(embossBytes(v1, c), _mm256_set1_ps(s.ax.w1)));
}

// Four rows of Singles through the Double steps of EmbossSampler::channel.
KAVRIN_TARGET_AVX2 inline __m128 embossColumn(__m128 r0, __m128 r1, __m256d w0, __m256d w1)
{
    const __m128 first = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_cvtps_pd(r0), w0));
    return _mm256_cvtpd_ps(
        _mm256_add_pd(_mm256_cvtps_pd(first), _mm256_mul_pd(_mm256_cvtps_pd(r1), w1)));
}

// EmbossSampler::channel of eight pixels: the stored byte.
KAVRIN_TARGET_AVX2 inline __m256i embossSample(const EmbossSampler &s, const __m256i v[2][2], int c)
{
    const __m256 r0 = embossRow(s, v[0][0], v[0][1], c);
    __m256 sum = r0;
    if (!s.ay.aligned) {
        const __m256 r1 = embossRow(s, v[1][0], v[1][1], c);
        const __m256d w0 = _mm256_set1_pd(double(s.ay.w0)), w1 = _mm256_set1_pd(double(s.ay.w1));
        const __m128 lo = embossColumn(_mm256_castps256_ps128(r0), _mm256_castps256_ps128(r1), w0, w1);
        const __m128 hi =
            embossColumn(_mm256_extractf128_ps(r0, 1), _mm256_extractf128_ps(r1, 1), w0, w1);
        sum = _mm256_insertf128_ps(_mm256_castps128_ps256(lo), hi, 1);
    }
    const __m256i n = _mm256_cvttps_epi32(sum);
    const __m256 t = _mm256_i32gather_ps(s.thr->data(), n, 4);
    const __m256i up = _mm256_castps_si256(_mm256_cmp_ps(sum, t, _CMP_GE_OQ));
    return _mm256_min_epi32(_mm256_sub_epi32(n, up), _mm256_set1_epi32(255));
}

// The colours (B, G, R; alpha 0) of n pixels whose squares lie inside the image, a multiple of
// eight of them (the count is returned): src[i][j] is the first pixel under sample i's square
// in its row j (the second row only read when the square spans two), diff the amount's table
// indexed by the difference plus 255.
KAVRIN_TARGET_AVX2 int32_t embossRunAvx2(const EmbossSampler smp[2], const sBGRA *const src[2][2],
                                         int32_t n, const int32_t *diff, uint32_t *out)
{
    int32_t k = 0;
    const __m256i bias = _mm256_set1_epi32(255);
    for (; k + 8 <= n; k += 8) {
        __m256i v[2][2][2] = {};
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < (smp[i].ay.aligned ? 1 : 2); ++j)
                for (int e = 0; e < (smp[i].ax.aligned ? 1 : 2); ++e)
                    v[i][j][e] = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src[i][j] + k + e));
        __m256i colour = _mm256_setzero_si256();
        for (int c = 0; c < 3; ++c) {
            const __m256i d = _mm256_add_epi32(
                _mm256_sub_epi32(embossSample(smp[0], v[0], c), embossSample(smp[1], v[1], c)), bias);
            const __m256i o = _mm256_i32gather_epi32(diff, d, 4);
            colour = _mm256_or_si256(colour, _mm256_sll_epi32(o, _mm_cvtsi32_si128(8 * c)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + k), colour);
    }
    return k;
}
#else
int32_t embossRunAvx2(const EmbossSampler *, const sBGRA *const (*)[2], int32_t, const int32_t *,
                      uint32_t *)
{
    return 0;
}
#endif

} // namespace

bool fltEmbossReference(sFlt4Params &p, const void *argp, int32_t args)
{
    EmbossSetup e;
    if (!makeEmbossSetup(p, argp, args, e))
        return false;
    CScaleImageTMTC scaler(p.flowTC, nullptr);
    scaler.srcSize = {e.w, e.h};
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        embossPixel(e, scaler, x, y, px, m);
    });
}

// The pixels whose two squares lie inside the image read their four neighbours straight from the
// flow canvas with the weights worked out once, and map the two samples' difference through a
// table of the amount's 511 results (eight pixels at a time with AVX2); the rest go the plain
// way. Bands of rows run on the work threads.
bool fltEmboss(sFlt4Params &p, const void *argp, int32_t args)
{
    EmbossSetup e;
    if (!makeEmbossSetup(p, argp, args, e))
        return false;
    static const std::array<float, 256> thr = storeThresholds();
    std::array<uint8_t, 511> diff;
    std::array<int32_t, 511> diff32;
    for (int32_t d = -255; d <= 255; ++d) {
        diff[size_t(d + 255)] = clampByte(std::trunc(d * e.a + 127.5L));
        diff32[size_t(d + 255)] = diff[size_t(d + 255)];
    }
    EmbossSampler smp[2];
    int32_t xlo = 0, xhi = e.w, ylo = 0, yhi = e.h;
    for (int i = 0; i < 2; ++i) {
        // The square's corner: the centre's offset less half a pixel.
        smp[i] = {SampleAxis(e.off[i].x - 0x8000, e.w), SampleAxis(e.off[i].y - 0x8000, e.h), &thr};
        xlo = std::max(xlo, smp[i].ax.lo), xhi = std::min(xhi, smp[i].ax.hi);
        ylo = std::max(ylo, smp[i].ay.lo), yhi = std::min(yhi, smp[i].ay.hi);
    }
    const TMTC &flow = *p.flowTC;
    const bool avx2 = simdUseAvx2();
    // The colour of an inside pixel, B, G, R only (the put keeps the layer's alpha).
    const auto inside = [&](const sBGRA *const src[2][2], int32_t k) {
        uint32_t out = 0;
        for (int c = 0; c < 3; ++c) {
            const auto at = [&](int i, int j) { return reinterpret_cast<const uint8_t *>(src[i][j] + k) + c; };
            const int32_t d = smp[0].channel(at(0, 0), at(0, 1)) - smp[1].channel(at(1, 0), at(1, 1));
            out |= uint32_t(diff[size_t(d + 255)]) << (8 * c);
        }
        return out;
    };
    return walkDstRunsBands(p, [&] {
        auto scaler = std::make_shared<CScaleImageTMTC>(p.flowTC, nullptr);
        scaler->srcSize = {e.w, e.h};
        return [&, scaler](int32_t x0, int32_t y, int32_t n, sBGRA *px, const int32_t *weight) {
            const int32_t a = y < ylo || y >= yhi ? x0 + n : std::clamp(xlo, x0, x0 + n);
            const int32_t b = y < ylo || y >= yhi ? x0 + n : std::clamp(xhi, a, x0 + n);
            for (int32_t x = x0; x < x0 + n; ++x)
                if ((x < a || x >= b) && weight[x - x0] > 0)
                    embossPixel(e, *scaler, x, y, px[x - x0], weight[x - x0]);
            if (a >= b)
                return;
            const sBGRA *src[2][2];
            for (int i = 0; i < 2; ++i) {
                const int32_t sx = a + smp[i].ax.lead, sy = y + smp[i].ay.lead;
                src[i][0] = flow.seek32(sx, sy);
                src[i][1] = smp[i].ay.aligned ? src[i][0] : flow.seek32(sx, sy + 1);
            }
            std::array<uint32_t, CBlockVMTC::kUnit> colour;
            int32_t k = avx2 ? embossRunAvx2(smp, src, b - a, diff32.data(), colour.data()) : 0;
            for (; k < b - a; ++k)
                colour[size_t(k)] = inside(src, k);
            putRun(pixelPutAlpha, px + (a - x0), colour.data(), weight + (a - x0), b - a);
        };
    });
}
