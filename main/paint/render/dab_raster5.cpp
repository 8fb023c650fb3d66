#include "paint/render/dab_raster5.h"

#include "core/pixel/blend_modes.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/render/fast_round.h"
#include "paint/brush/grade_map.h"
#include "paint/brush/nib_maps.h"
#include "paint/render/stroke_context.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kSub = 6; // sub-rows (sub-columns) per pixel, and subsamples per sub-row

// The sub-row offsets 1/12 + k/6 inside a pixel.
constexpr std::array<float, kSub> kSubOffset = {1.0f / 12,
                                                1.0f / 12 + 1.0f / 6,
                                                1.0f / 12 + 2.0f / 6,
                                                1.0f / 12 + 3.0f / 6,
                                                1.0f / 12 + 4.0f / 6,
                                                1.0f / 12 + 5.0f / 6};
constexpr float kSixth = 1.0f / 6;

// Round(alpha × pres), ties to even, at most 255 (an opacity factor above 1 saturates). The
// product of a byte and a Single is exact in double.
uint32_t scaledAlpha(int32_t alpha, float pres)
{
    const double v = double(alpha) * double(pres);
    return !(v > 0) ? 0 : (v >= 255 ? 255 : uint32_t(roundEven(v)));
}

// Ceil(n / 36) of a strength times a coverage count (which may be negative).
int32_t ceilDiv36(int32_t n)
{
    return n > 0 ? (n + 35) / 36 : n / 36; // division truncates: the ceiling below 0
}

// Far beyond any image: a dab there, or one that long, paints nothing (its bounds would not fit
// 32 bits).
constexpr float kFarLength = 1 << 24;

bool dabPositionUsable(float x, float y)
{
    return std::fabs(x) < kFarLength && std::fabs(y) < kFarLength;
}

// Round(v × k) of a distance (the product in Single) as an index of the distance table.
size_t distanceIndex(float v, float k)
{
    const float at = v * k;
    return !(at > 0)
               ? 0
               : (at >= kDistanceTableSide - 1 ? kDistanceTableSide - 1 : size_t(roundEven(at)));
}

// What every target shares: the image's size, pixel addressing, a put at (x, y), and a run of n
// pixels from (x, y) to the right at one alpha, put one by one. A target supplies putPixel and
// may replace run with a faster form of the same puts.
template <class Derived, class Image, class PixelT> struct TargetBase
{
    Image &img;
    using Pixel = PixelT *;
    int32_t width() const { return img.width(); }
    int32_t height() const { return img.height(); }
    Pixel at(int32_t x, int32_t y) const
    {
        if constexpr (sizeof(PixelT) == 4)
            return img.seek32(x, y);
        else
            return img.seek8(x, y);
    }
    void operator()(int32_t x, int32_t y, uint32_t alpha, uint32_t colour) const
    {
        self().putPixel(at(x, y), x, y, alpha, colour);
    }
    void run(int32_t x, int32_t y, int32_t n, uint32_t alpha, uint32_t colour) const
    {
        Pixel p = at(x, y);
        for (int32_t i = 0; i < n; ++i)
            self().putPixel(p + i, x + i, y, alpha, colour);
    }

  private:
    const Derived &self() const { return static_cast<const Derived &>(*this); }
};

// The pixels of a canvas and of a channel, and the put the stroke context holds for each.
struct CanvasTarget : TargetBase<CanvasTarget, TMTC, sBGRA>
{
    fptrStrokePutTC put;
    void putPixel(Pixel p, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) const
    {
        put(p, x, y, alpha, colour);
    }
};

// The plain chain (pixelPutPlain) reaches the value put without the position put's call; with
// the standard value put that is inlined too. Same arithmetic, fewer calls per pixel.
struct CanvasBaseTarget : TargetBase<CanvasBaseTarget, TMTC, sBGRA>
{
    fptrPixelPut4core base;
    void putPixel(Pixel p, int32_t, int32_t, uint32_t alpha, uint32_t colour) const
    {
        base(p, colour, alpha);
    }
    // Through the put's own row loop (the put inlined), over a row of the colour.
    void run(int32_t x, int32_t y, int32_t n, uint32_t alpha, uint32_t colour) const
    {
        constexpr int32_t kChunk = 64;
        std::array<sBGRA, kChunk> src;
        std::fill_n(src.begin(), std::min(n, kChunk), sBGRA{.all = colour});
        const fptrPutRow row = rowPutFor(base);
        sBGRA *p = at(x, y);
        for (int32_t i = 0; i < n; i += kChunk)
            row(p + i, src.data(), int(std::min(kChunk, n - i)), alpha, base);
    }
};

// The source-over value put (the stroke's put where transparency is not protected), inlined; a
// run at full opacity is a fill with the opaque colour, as each put there would leave it.
struct CanvasOverTarget : TargetBase<CanvasOverTarget, TMTC, sBGRA>
{
    void putPixel(Pixel p, int32_t, int32_t, uint32_t alpha, uint32_t colour) const
    {
        pixelPutOver(p, colour, alpha);
    }
    // n pixels from p to the right, each at its own alpha.
    void runAlphas(Pixel p, const uint8_t *alphas, int32_t n, uint32_t colour) const
    {
        rowPutOverAlphas(p, colour, alphas, int(n));
    }
    void run(int32_t x, int32_t y, int32_t n, uint32_t alpha, uint32_t colour) const
    {
        if (alpha >= 255) {
            std::fill_n(at(x, y), n, sBGRA{.all = colour | 0xFF000000u});
            return;
        }
        TargetBase::run(x, y, n, alpha, colour);
    }
};

struct CanvasAlphaTarget : TargetBase<CanvasAlphaTarget, TMTC, sBGRA>
{
    void putPixel(Pixel p, int32_t, int32_t, uint32_t alpha, uint32_t colour) const
    {
        pixelPutAlpha(p, colour, alpha);
    }
    // n pixels from p to the right, each at its own alpha.
    void runAlphas(Pixel p, const uint8_t *alphas, int32_t n, uint32_t colour) const
    {
        rowPutAlphaAlphas(p, colour, alphas, int(n));
    }
    // Through the put's row loop over a row of the colour.
    void run(int32_t x, int32_t y, int32_t n, uint32_t alpha, uint32_t colour) const
    {
        constexpr int32_t kChunk = 64;
        std::array<sBGRA, kChunk> src;
        std::fill_n(src.begin(), std::min(n, kChunk), sBGRA{.all = colour});
        sBGRA *p = at(x, y);
        for (int32_t i = 0; i < n; i += kChunk)
            rowPutFor(pixelPutAlpha)(p + i, src.data(), int(std::min(kChunk, n - i)), alpha,
                                     pixelPutAlpha);
    }
};

struct ChannelTarget : TargetBase<ChannelTarget, TChannel, uint8_t>
{
    fptrStrokePutCh put;
    void putPixel(Pixel p, int32_t x, int32_t y, uint32_t alpha, uint32_t value) const
    {
        put(p, x, y, alpha, value);
    }
};

struct ChannelMaxTarget : TargetBase<ChannelMaxTarget, TChannel, uint8_t>
{
    void putPixel(Pixel p, int32_t, int32_t, uint32_t alpha, uint32_t value) const
    {
        channelPutMax(p, value, alpha);
    }
};

// Calls f with the target that does what the stroke context's put does.
template <class F> void withTarget(TMTC &tc, F f)
{
    if (gCanvasPutAt != &pixelPutPlain)
        f(CanvasTarget{{tc}, gCanvasPutAt});
    else if (gStrokeColorPut == &pixelPutAlpha)
        f(CanvasAlphaTarget{{tc}});
    else if (gStrokeColorPut == &pixelPutOver)
        f(CanvasOverTarget{{tc}});
    else
        f(CanvasBaseTarget{{tc}, gStrokeColorPut});
}

template <class F> void withTarget(TChannel &ch, F f)
{
    if (gChannelPutAt == &channelPutPlain && gChannelValuePut == &channelPutMax)
        f(ChannelMaxTarget{{ch}});
    else
        f(ChannelTarget{{ch}, gChannelPutAt});
}

// The chord rasteriser written once for rows and columns, pixel by pixel as described: the
// reference for the fast one below. "Lines" are pixel rows (or columns),
// "along" the axis of the chords. For rows: along = x, across = y, Ai = A, Bo = B; for columns
// the two axes exchange (Ai = B, Bo = A). The distance table is symmetric, so D[along][across]
// serves both.
template <class Target> class PlainChordRaster
{
  public:
    PlainChordRaster(const Target &put, const SDabRaster5 &dab, bool columns)
        : m_put(put), m_dab(dab), m_columns(columns)
    {
        const float cx = dab.x + 0.5f, cy = dab.y + 0.5f;
        m_ca = columns ? cy : cx;
        m_cc = columns ? cx : cy;
        m_ai = columns ? dab.fp.B : dab.fp.A;
        m_bo = columns ? dab.fp.A : dab.fp.B;
        m_s = dab.fp.s;
        m_kAlong = 512.0f / m_ai;
        m_kAcross = 512.0f / m_bo;
        m_alongLimit = columns ? put.height() : put.width();
        m_p255 = scaledAlpha(255, dab.pres);
    }

    // Round(alpha × pres) for alpha 0..255, from a table when the dab is large enough to pay
    // for one.
    uint32_t scaled(int32_t alpha) const
    {
        return m_table ? m_scaled[size_t(alpha)] : scaledAlpha(alpha, m_dab.pres);
    }

    void run()
    {
        const float h = std::fabs(m_bo * m_s);
        if (!(m_ai + h < kFarLength))
            return;
        sRect r{int32_t(std::floor(m_ca - m_ai - h)), int32_t(std::floor(m_cc - m_bo)),
                int32_t(std::ceil(m_ca + m_ai + h)), int32_t(std::ceil(m_cc + m_bo))};
        const int32_t acrossLimit = m_columns ? m_put.width() : m_put.height();
        r.x0 = std::max(r.x0, 0), r.y0 = std::max(r.y0, 0);
        r.x1 = std::min(r.x1, m_alongLimit), r.y1 = std::min(r.y1, acrossLimit);
        if (r.x0 >= r.x1 || r.y0 >= r.y1)
            return;
        m_a0 = r.x0, m_a1 = r.x1;
        m_table = int64_t(r.x1 - r.x0) * (r.y1 - r.y0) > 1024;
        if (m_table)
            for (int32_t a = 0; a < 256; ++a)
                m_scaled[size_t(a)] = uint8_t(scaledAlpha(a, m_dab.pres));
        float v = m_s * (m_cc - float(r.y0));
        for (int32_t line = r.y0; line < r.y1; ++line) {
            rasterLine(line, v);
            v = v - m_s;
        }
    }

  private:
    struct SubSpan
    {
        float lo = 0, hi = 0, off = 0; // span along, offset across from the centre
        bool valid = false;            // the sub-row crosses the footprint
    };

    void put(int32_t along, int32_t line, uint32_t alpha) const
    {
        if (m_columns)
            m_put(line, along, alpha, m_dab.color);
        else
            m_put(along, line, alpha, m_dab.color);
    }

    // The sub-rows of one line with their spans; lo..hi the pixel range they reach.
    bool sweepSubRows(int32_t line, float v, int32_t &lo, int32_t &hi)
    {
        m_kFirst = kSub, m_kLast = -1;
        lo = m_a1, hi = m_a0;
        const float b2 = m_bo * m_bo;
        for (int k = 0; k < kSub; ++k) {
            const float off = float(line) + kSubOffset[k] - m_cc;
            const float off2 = off * off;
            SubSpan &sp = m_span[k];
            sp.valid = b2 > off2;
            if (!sp.valid)
                continue;
            const float half = std::sqrt(b2 - off2) * m_ai / m_bo;
            sp.off = off;
            sp.lo = std::max(float(m_a0), m_ca - half - v);
            sp.hi = std::min(float(m_a1) - kSixth, m_ca + half - v);
            if (sp.lo <= float(m_alongLimit - 1) - kSixth && sp.hi >= 0) {
                lo = std::min(lo, floorInt(sp.lo));
                hi = std::max(hi, floorInt(sp.hi));
                m_kFirst = std::min(m_kFirst, k);
                m_kLast = std::max(m_kLast, k);
            }
        }
        return m_kFirst <= m_kLast;
    }

    // The edge pixel at `along`: its coverage count F (36 = full) and alpha; true when full.
    bool edgePixel(int32_t along, int32_t line, float v)
    {
        int32_t f = 0;
        float amax = -m_ai, amin = m_ai, cmax = -m_bo, cmin = m_bo;
        const float p0 = float(along), p1 = float(along + 1);
        for (int k = m_kFirst; k <= m_kLast; ++k) {
            const SubSpan &sp = m_span[k];
            if (!sp.valid || !(p1 >= sp.lo && p0 <= sp.hi))
                continue;
            const float right = std::min(sp.hi, p1), left = std::max(sp.lo, p0);
            f += std::min(kSub, ceilInt((right - left) * float(kSub)));
            amax = std::max(amax, right - m_ca + v);
            amin = std::min(amin, left - m_ca + v);
            cmax = std::max(cmax, sp.off);
            cmin = std::min(cmin, sp.off);
        }
        if (f == kSub * kSub)
            return true;
        int32_t alpha = 255;
        if (!m_dab.antiOff) {
            const float ia = std::fabs(amax + amin) / 2.0f, ic = std::fabs(cmax + cmin) / 2.0f;
            const size_t i = distanceIndex(ia, m_kAlong), j = distanceIndex(ic, m_kAcross);
            const float ratio = std::min((*m_dab.distance)[i][j], 1.0f);
            const int32_t a = m_dab.map->getAlpha(ratio);
            alpha = std::max(1, ceilDiv36(a * f));
        }
        put(along, line, scaled(alpha));
        return false;
    }

    // The interior alpha at `along`, or −1 where the core (255, or anti-aliasing off) begins;
    // row is the distance table's row of the line.
    int32_t interiorAlpha(int32_t along, const float *row, float v) const
    {
        if (m_dab.antiOff)
            return -1;
        const float d = std::fabs(float(along) + 0.5f - m_ca + v);
        const int32_t a = m_dab.map->getAlpha(row[distanceIndex(d, m_kAlong)]);
        return a == 255 ? -1 : a;
    }

    void rasterLine(int32_t line, float v)
    {
        int32_t lo, hi;
        if (!sweepSubRows(line, v, lo, hi))
            return;
        while (lo <= hi && !edgePixel(lo, line, v))
            ++lo;
        while (hi >= lo && !edgePixel(hi, line, v))
            --hi;
        if (lo > hi)
            return;
        const float dist =
            std::min(std::fabs(float(line) + 0.5f - m_cc), (m_bo + std::trunc(m_bo)) / 2.0f);
        // D is symmetric: D[along][across] is D[across][along], one row per line.
        const float *row = (*m_dab.distance)[distanceIndex(dist, m_kAcross)].data();
        // Scan inwards from both ends until the fall-off table saturates; what lies between is
        // the core, put at P255 without lookups.
        int32_t a;
        while (lo <= hi && (a = interiorAlpha(lo, row, v)) >= 0) {
            put(lo, line, scaled(a));
            ++lo;
        }
        if (lo > hi)
            return;
        while (hi > lo && (a = interiorAlpha(hi, row, v)) >= 0) {
            put(hi, line, scaled(a));
            --hi;
        }
        for (int32_t i = lo; i <= hi; ++i)
            put(i, line, m_p255);
    }

    const Target &m_put;
    const SDabRaster5 &m_dab;
    bool m_columns;
    float m_ca = 0, m_cc = 0, m_ai = 0, m_bo = 0, m_s = 0, m_kAlong = 0, m_kAcross = 0;
    int32_t m_alongLimit = 0, m_a0 = 0, m_a1 = 0;
    uint32_t m_p255 = 0;
    bool m_table = false;
    std::array<uint8_t, 256> m_scaled{};
    std::array<SubSpan, kSub> m_span{};
    int m_kFirst = 0, m_kLast = 0;
};

// Round(v × k) of a distance as an index of the distance table, as distanceIndex, rounded in
// Single: adding and taking away 2^23 + 2^22 rounds to nearest, ties to even, exactly for the
// values below 512 that reach it.
size_t distanceIndexFast(float v, float k)
{
    constexpr float kShift = 12582912.0f; // 2^23 + 2^22
    const float at = v * k;
    return !(at > 0) ? 0
                     : (at >= kDistanceTableSide - 1 ? kDistanceTableSide - 1
                                                     : size_t(int32_t((at + kShift) - kShift)));
}

// The chord rasteriser of the strokes: the same pixels and alphas as PlainChordRaster (in the
// same order for targets put pixel by pixel; targets that take rows get each pixel's one put of a
// line in a row), with the fall-off read from the alpha cache (one byte per pixel), the distance
// indexes rounded in Single, the sub-rows of a line in vector lanes and the saturated core of a
// row put as one run.
template <class Target> class FastChordRaster
{
  public:
    FastChordRaster(const Target &put, const SDabRaster5 &dab, bool columns)
        : m_put(put), m_dab(dab), m_alphas(*dab.alphas), m_columns(columns)
    {
        const float cx = dab.x + 0.5f, cy = dab.y + 0.5f;
        m_ca = columns ? cy : cx;
        m_cc = columns ? cx : cy;
        m_ai = columns ? dab.fp.B : dab.fp.A;
        m_bo = columns ? dab.fp.A : dab.fp.B;
        m_s = dab.fp.s;
        m_kAlong = 512.0f / m_ai;
        m_kAcross = 512.0f / m_bo;
        m_alongLimit = columns ? put.height() : put.width();
        m_p255 = scaledAlpha(255, dab.pres);
        splitPres(dab.pres);
    }

    // With pres in 0..1, written m / 2^40, Round(alpha × pres) is alpha × m shifted down by 40,
    // rounded half to even in integers: exact, and no clamping (the product lies in 0..255).
    uint32_t scaled(int32_t alpha) const
    {
        if (m_table)
            return m_scaled[size_t(alpha)];
        if (!m_presFixed)
            return scaledAlpha(alpha, m_dab.pres);
        constexpr uint64_t kHalfLess1 = (uint64_t(1) << (kPresShift - 1)) - 1;
        const uint64_t x = uint64_t(alpha) * m_presMantissa;
        return uint32_t((x + kHalfLess1 + ((x >> kPresShift) & 1)) >> kPresShift);
    }

    // pres = m_presMantissa / 2^40 exactly for the Singles in 0..1 from 2^-17 up (a 24-bit
    // mantissa shifted by at most 17); below 2^-17 every byte gives 0, as 0 does. Otherwise
    // m_presFixed stays false and the work is done in double.
    static constexpr int kPresShift = 40;
    void splitPres(float pres)
    {
        const uint32_t bits = std::bit_cast<uint32_t>(pres);
        const int32_t exponent = int32_t(bits >> 23) & 0xFF;
        if (!(pres >= 0 && pres <= 1))
            return;
        m_presFixed = true;
        if (pres == 0 || exponent < 110) {
            m_presMantissa = 0;
            return;
        }
        const int shift = 150 - exponent; // pres = mantissa / 2^shift, shift 23 .. 40
        m_presMantissa = uint64_t((bits & 0x7FFFFF) | 0x800000) << (kPresShift - shift);
    }

    void run()
    {
        const float h = std::fabs(m_bo * m_s);
        if (!(m_ai + h < kFarLength))
            return;
        sRect r{int32_t(std::floor(m_ca - m_ai - h)), int32_t(std::floor(m_cc - m_bo)),
                int32_t(std::ceil(m_ca + m_ai + h)), int32_t(std::ceil(m_cc + m_bo))};
        const int32_t acrossLimit = m_columns ? m_put.width() : m_put.height();
        r.x0 = std::max(r.x0, 0), r.y0 = std::max(r.y0, 0);
        r.x1 = std::min(r.x1, m_alongLimit), r.y1 = std::min(r.y1, acrossLimit);
        if (r.x0 >= r.x1 || r.y0 >= r.y1)
            return;
        m_a0 = r.x0, m_a1 = r.x1;
        m_table = int64_t(r.x1 - r.x0) * (r.y1 - r.y0) > 1024;
        if (m_table)
            for (int32_t a = 0; a < 256; ++a)
                m_scaled[size_t(a)] = uint8_t(scaledAlpha(a, m_dab.pres));
        m_b2 = m_bo * m_bo;
        float v = m_s * (m_cc - float(r.y0));
        for (int32_t line = r.y0; line < r.y1; ++line) {
            rasterLine(line, v);
            v = v - m_s;
        }
    }

  private:
#if !defined(__SSE2__)
    struct SubSpan
    {
        float lo = 0, hi = 0, off = 0;
    };
#endif

    // Rows reach their pixels from the line's start (m_line), columns through the row table.
    void put(int32_t along, int32_t line, uint32_t alpha) const
    {
        if (m_columns)
            m_put.putPixel(m_put.at(line, along), line, along, alpha, m_dab.color);
        else
            m_put.putPixel(m_line + along, along, line, alpha, m_dab.color);
    }

#if defined(__SSE2__)
    // sweepSubRows with the six sub-rows in lanes, k in lane k (two registers, lanes 6 and 7
    // never valid), each lane doing the reference's Single operations on its sub-row. The valid
    // sub-rows are consecutive (their offsets grow with k, and the test bounds the offset's
    // size), so the reference's counting sub-rows, from the first reaching one to the last, are
    // the lanes from the first reaching lane to the last; those get their spans, the others an
    // empty one (lo above hi at infinity) that no pixel meets.
    bool sweepSubRows(int32_t line, float v, int32_t &lo, int32_t &hi)
    {
        constexpr float kInf = std::numeric_limits<float>::infinity();
        alignas(16) static constexpr float kLaneOffset[kLanes] = {
            kSubOffset[0], kSubOffset[1], kSubOffset[2], kSubOffset[3],
            kSubOffset[4], kSubOffset[5], kInf,          kInf};
        const __m128 lineV = _mm_set1_ps(float(line)), cc = _mm_set1_ps(m_cc);
        const __m128 b2 = _mm_set1_ps(m_b2), ai = _mm_set1_ps(m_ai), bo = _mm_set1_ps(m_bo);
        const __m128 ca = _mm_set1_ps(m_ca), vv = _mm_set1_ps(v);
        const __m128 a0 = _mm_set1_ps(float(m_a0)), a1 = _mm_set1_ps(float(m_a1) - kSixth);
        const __m128 limit = _mm_set1_ps(float(m_alongLimit - 1) - kSixth);
        __m128 spanLo[2], spanHi[2];
        int reach = 0;
        for (int h = 0; h < 2; ++h) {
            const __m128 off = _mm_sub_ps(_mm_add_ps(lineV, _mm_load_ps(kLaneOffset + 4 * h)), cc);
            const __m128 off2 = _mm_mul_ps(off, off);
            const __m128 valid = _mm_cmpgt_ps(b2, off2);
            const __m128 half = _mm_div_ps(_mm_mul_ps(_mm_sqrt_ps(_mm_sub_ps(b2, off2)), ai), bo);
            // std::max(a0, x) and std::min(a1, y), the operands ordered to pick as they do.
            spanLo[h] = _mm_max_ps(_mm_sub_ps(_mm_sub_ps(ca, half), vv), a0);
            spanHi[h] = _mm_min_ps(_mm_sub_ps(_mm_add_ps(ca, half), vv), a1);
            const __m128 reaches =
                _mm_and_ps(valid, _mm_and_ps(_mm_cmple_ps(spanLo[h], limit),
                                             _mm_cmpge_ps(spanHi[h], _mm_setzero_ps())));
            reach |= _mm_movemask_ps(reaches) << (4 * h);
            _mm_storeu_ps(m_laneOff.data() + 4 * h, off);
        }
        if (reach == 0)
            return false;
        m_first = std::countr_zero(unsigned(reach));
        m_last = 31 - std::countl_zero(unsigned(reach));
        alignas(16) float los[kLanes], his[kLanes];
        _mm_store_ps(los, spanLo[0]), _mm_store_ps(los + 4, spanLo[1]);
        _mm_store_ps(his, spanHi[0]), _mm_store_ps(his + 4, spanHi[1]);
        lo = m_a1, hi = m_a0;
        // Both ends of a reaching span lie at 0 or beyond (lo is at least the clipped m_a0),
        // where Floor is truncation.
        for (unsigned r = unsigned(reach); r != 0; r &= r - 1) {
            const int k = std::countr_zero(r);
            lo = std::min(lo, int32_t(los[k]));
            hi = std::max(hi, int32_t(his[k]));
        }
        m_coverLo = -kInf, m_coverHi = kInf;
        for (int k = 0; k < kLanes; ++k) {
            const bool counting = k >= m_first && k <= m_last;
            m_laneLo[size_t(k)] = counting ? los[k] : kInf;
            m_laneHi[size_t(k)] = counting ? his[k] : -kInf;
            if (counting) {
                m_coverLo = std::max(m_coverLo, los[k]);
                m_coverHi = std::min(m_coverHi, his[k]);
            }
        }
        m_laneHalves = m_last >= 4 ? 2 : 1;
        m_laneFirstHalf = m_first >= 4 ? 1 : 0;
        // A pixel inside every one of six counting spans is covered on all 36 subsamples.
        m_allSix = m_first == 0 && m_last == kSub - 1;
        return true;
    }
#else
    // The valid sub-rows in order; the edge loops read those from the first counting one to the
    // last (m_first..m_last), as the reference reads them.
    bool sweepSubRows(int32_t line, float v, int32_t &lo, int32_t &hi)
    {
        int count = 0;
        m_first = -1, m_last = -2;
        lo = m_a1, hi = m_a0;
        for (int k = 0; k < kSub; ++k) {
            const float off = float(line) + kSubOffset[k] - m_cc;
            const float off2 = off * off;
            if (!(m_b2 > off2))
                continue;
            const float half = std::sqrt(m_b2 - off2) * m_ai / m_bo;
            SubSpan &sp = m_span[size_t(count)];
            sp.off = off;
            sp.lo = std::max(float(m_a0), m_ca - half - v);
            sp.hi = std::min(float(m_a1) - kSixth, m_ca + half - v);
            if (sp.lo <= float(m_alongLimit - 1) - kSixth && sp.hi >= 0) {
                // Both ends lie at 0 or beyond here (sp.lo is at least the clipped m_a0), where
                // Floor is truncation.
                lo = std::min(lo, int32_t(sp.lo));
                hi = std::max(hi, int32_t(sp.hi));
                if (m_first < 0)
                    m_first = count;
                m_last = count;
            }
            ++count;
        }
        return m_first >= 0;
    }
#endif

#if defined(__SSE2__)
    // The edge pixel's coverage count f and the extremes of its covered sub-spans, four sub-rows
    // per register: each lane does what one turn of the reference's loop does, and lanes whose
    // sub-row misses the pixel add 0 and leave the extremes at their starting values. The sums
    // are of integers and the extremes of exact values, so the order does not matter (a zero's
    // sign may differ, which the absolute values taken from them remove).
    [[gnu::always_inline]] void edgeCoverage(float p0, float p1, float v, int32_t &f, float &amax,
                                             float &amin, float &cmax, float &cmin) const
    {
        const __m128 p0v = _mm_set1_ps(p0), p1v = _mm_set1_ps(p1), shift = _mm_set1_ps(v);
        const __m128 ca = _mm_set1_ps(m_ca), six = _mm_set1_ps(float(kSub));
        const __m128 aLow = _mm_set1_ps(-m_ai), aHigh = _mm_set1_ps(m_ai);
        const __m128 cLow = _mm_set1_ps(-m_bo), cHigh = _mm_set1_ps(m_bo);
        __m128 amaxv = aLow, aminv = aHigh, cmaxv = cLow, cminv = cHigh;
        __m128i fv = _mm_setzero_si128();
        const __m128i full = _mm_set1_epi32(kSub);
        const auto select = [](__m128 mask, __m128 a, __m128 b) {
            return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
        };
        for (int h = m_laneFirstHalf; h < m_laneHalves; ++h) {
            const __m128 lo = _mm_loadu_ps(m_laneLo.data() + 4 * h);
            const __m128 hi = _mm_loadu_ps(m_laneHi.data() + 4 * h);
            const __m128 off = _mm_loadu_ps(m_laneOff.data() + 4 * h);
            const __m128 meets = _mm_and_ps(_mm_cmpge_ps(p1v, lo), _mm_cmple_ps(p0v, hi));
            // std::min(hi, p1) and std::max(lo, p0) (the operands in this order pick as they do).
            const __m128 right = _mm_min_ps(p1v, hi), left = _mm_max_ps(p0v, lo);
            const __m128 d = _mm_mul_ps(_mm_sub_ps(right, left), six);
            // ceilInt: truncate, then one more where that fell below.
            __m128i c = _mm_cvttps_epi32(d);
            c = _mm_sub_epi32(c, _mm_castps_si128(_mm_cmplt_ps(_mm_cvtepi32_ps(c), d)));
            const __m128i over = _mm_cmpgt_epi32(c, full);
            c = _mm_or_si128(_mm_and_si128(over, full), _mm_andnot_si128(over, c));
            fv = _mm_add_epi32(fv, _mm_and_si128(c, _mm_castps_si128(meets)));
            amaxv =
                _mm_max_ps(amaxv, select(meets, _mm_add_ps(_mm_sub_ps(right, ca), shift), aLow));
            aminv =
                _mm_min_ps(aminv, select(meets, _mm_add_ps(_mm_sub_ps(left, ca), shift), aHigh));
            cmaxv = _mm_max_ps(cmaxv, select(meets, off, cLow));
            cminv = _mm_min_ps(cminv, select(meets, off, cHigh));
        }
        fv = _mm_add_epi32(fv, _mm_shuffle_epi32(fv, _MM_SHUFFLE(1, 0, 3, 2)));
        fv = _mm_add_epi32(fv, _mm_shuffle_epi32(fv, _MM_SHUFFLE(2, 3, 0, 1)));
        f = _mm_cvtsi128_si32(fv);
        amax = _mm_cvtss_f32(across(amaxv, _mm_max_ps));
        amin = _mm_cvtss_f32(across(aminv, _mm_min_ps));
        cmax = _mm_cvtss_f32(across(cmaxv, _mm_max_ps));
        cmin = _mm_cvtss_f32(across(cminv, _mm_min_ps));
    }

    // The extreme of four lanes, in lane 0.
    template <class Op> static __m128 across(__m128 x, Op op)
    {
        x = op(x, _mm_shuffle_ps(x, x, _MM_SHUFFLE(1, 0, 3, 2)));
        return op(x, _mm_shuffle_ps(x, x, _MM_SHUFFLE(2, 3, 0, 1)));
    }
#endif

    bool edgePixel(int32_t along, int32_t line, float v)
    {
        const int32_t alpha = edgeAlpha(along, v);
        if (alpha < 0)
            return true;
        put(along, line, uint32_t(alpha));
        return false;
    }

    // The put alpha of the edge pixel at `along`, or -1 when the pixel is fully covered.
    int32_t edgeAlpha(int32_t along, float v)
    {
        int32_t f = 0;
        float amax = -m_ai, amin = m_ai, cmax = -m_bo, cmin = m_bo;
        const float p0 = float(along), p1 = float(along + 1);
#if defined(__SSE2__)
        // Each of six spans reaching over the whole pixel adds min(6, ceil((p1 - p0) × 6)) = 6.
        if (m_allSix && p0 >= m_coverLo && p1 <= m_coverHi)
            return -1;
        edgeCoverage(p0, p1, v, f, amax, amin, cmax, cmin);
#else
        for (int k = m_first; k <= m_last; ++k) {
            const SubSpan &sp = m_span[size_t(k)];
            if (!(p1 >= sp.lo && p0 <= sp.hi))
                continue;
            const float right = std::min(sp.hi, p1), left = std::max(sp.lo, p0);
            f += std::min(kSub, ceilInt((right - left) * float(kSub)));
            amax = std::max(amax, right - m_ca + v);
            amin = std::min(amin, left - m_ca + v);
            cmax = std::max(cmax, sp.off);
            cmin = std::min(cmin, sp.off);
        }
#endif
        if (f == kSub * kSub)
            return -1;
        int32_t alpha = 255;
        if (!m_dab.antiOff) {
            const float ia = std::fabs(amax + amin) / 2.0f, ic = std::fabs(cmax + cmin) / 2.0f;
            // getAlpha(min(D, 1)) is getAlpha(D): past 1 both read the rim entry.
            const int32_t a =
                m_alphas.row(distanceIndexFast(ic, m_kAcross))[distanceIndexFast(ia, m_kAlong)];
            alpha = std::max(1, ceilDiv36(a * f));
        }
        return int32_t(scaled(alpha));
    }

    int32_t interiorAlpha(int32_t along, const uint8_t *row, float v) const
    {
        const float d = std::fabs(float(along) + 0.5f - m_ca + v);
        const int32_t a = row[distanceIndexFast(d, m_kAlong)];
        return a == 255 ? -1 : a;
    }

    // Targets that take a row of pixels each at its own alpha get the two fall-off runs of a row
    // as such rows: the same alphas for the same pixels, the puts being independent per pixel.
    static constexpr bool kRowsOfAlphas =
        requires(const Target &t, typename Target::Pixel p, const uint8_t *a)
    {
        t.runAlphas(p, a, 0, 0u);
    };
    static constexpr int32_t kRowChunk = 32;

    // The interior scans of rasterLine over a row, lo and hi moved to the core's ends; false when
    // nothing is left for the core.
    bool interiorRows(int32_t &lo, int32_t &hi, const uint8_t *row, float v)
    {
        int32_t a, n = 0, start = lo;
        while (lo <= hi && (a = interiorAlpha(lo, row, v)) >= 0) {
            m_rowAlphas[size_t(n++)] = uint8_t(scaled(a));
            ++lo;
            if (n == kRowChunk) {
                m_put.runAlphas(m_line + start, m_rowAlphas.data(), n, m_dab.color);
                start = lo, n = 0;
            }
        }
        if (n > 0)
            m_put.runAlphas(m_line + start, m_rowAlphas.data(), n, m_dab.color);
        if (lo > hi)
            return false;
        n = 0; // filled from the back: index kRowChunk - 1 is the pixel nearest the end
        while (hi > lo && (a = interiorAlpha(hi, row, v)) >= 0) {
            m_rowAlphas[size_t(kRowChunk - 1 - n++)] = uint8_t(scaled(a));
            --hi;
            if (n == kRowChunk) {
                m_put.runAlphas(m_line + hi + 1, m_rowAlphas.data(), n, m_dab.color);
                n = 0;
            }
        }
        if (n > 0)
            m_put.runAlphas(m_line + hi + 1, m_rowAlphas.data() + (kRowChunk - n), n, m_dab.color);
        return true;
    }

    void putCore(int32_t lo, int32_t hi, int32_t line) const
    {
        if (m_columns) {
            for (int32_t i = lo; i <= hi; ++i)
                m_put(line, i, m_p255, m_dab.color);
        } else {
            m_put.run(lo, line, hi - lo + 1, m_p255, m_dab.color);
        }
    }

    // rasterLine for a row of targets that take a row of alphas: every pixel from lo to hi gets
    // exactly one put there (the edges from both ends, the fall-off inwards, then the core), so
    // the alphas are gathered first and the row put at once, in one call or, around a long
    // opaque core, in three. The puts are independent per pixel: the same bytes.
    void rasterLineAsRow(int32_t line, float v, int32_t lo, int32_t hi)
    {
        const int32_t first = lo, last = hi;
        uint8_t *alphas = m_lineAlphas.data();
        const auto at = [&](int32_t along) -> uint8_t & { return alphas[along - first]; };
        int32_t a;
        while (lo <= hi && (a = edgeAlpha(lo, v)) >= 0)
            at(lo++) = uint8_t(a);
        while (hi >= lo && (a = edgeAlpha(hi, v)) >= 0)
            at(hi--) = uint8_t(a);
        if (lo <= hi && !m_dab.antiOff) {
            const float dist =
                std::min(std::fabs(float(line) + 0.5f - m_cc), (m_bo + std::trunc(m_bo)) / 2.0f);
            const uint8_t *row = m_alphas.row(distanceIndexFast(dist, m_kAcross));
            while (lo <= hi && (a = interiorAlpha(lo, row, v)) >= 0)
                at(lo++) = uint8_t(scaled(a));
            while (hi > lo && (a = interiorAlpha(hi, row, v)) >= 0)
                at(hi--) = uint8_t(scaled(a));
        }
        const int32_t n = last - first + 1;
        if (n <= 0)
            return;
        m_line = m_put.at(0, line);
        if (lo <= hi && m_p255 >= 255 && hi - lo >= kLongCore) {
            m_put.runAlphas(m_line + first, alphas, lo - first, m_dab.color);
            m_put.run(lo, line, hi - lo + 1, m_p255, m_dab.color);
            m_put.runAlphas(m_line + hi + 1, alphas + (hi + 1 - first), last - hi, m_dab.color);
            return;
        }
        if (lo <= hi)
            std::memset(alphas + (lo - first), int(m_p255), size_t(hi - lo + 1));
        m_put.runAlphas(m_line + first, alphas, n, m_dab.color);
    }

    void rasterLine(int32_t line, float v)
    {
        int32_t lo, hi;
        if (!sweepSubRows(line, v, lo, hi))
            return;
        if constexpr (kRowsOfAlphas) {
            if (!m_columns && hi - lo < kLineMax) {
                rasterLineAsRow(line, v, lo, hi);
                return;
            }
        }
        if (!m_columns)
            m_line = m_put.at(0, line);
        while (lo <= hi && !edgePixel(lo, line, v))
            ++lo;
        while (hi >= lo && !edgePixel(hi, line, v))
            --hi;
        if (lo > hi)
            return;
        if (!m_dab.antiOff) {
            const float dist =
                std::min(std::fabs(float(line) + 0.5f - m_cc), (m_bo + std::trunc(m_bo)) / 2.0f);
            const uint8_t *row = m_alphas.row(distanceIndexFast(dist, m_kAcross));
            if constexpr (kRowsOfAlphas) {
                if (!m_columns) {
                    if (!interiorRows(lo, hi, row, v))
                        return;
                    putCore(lo, hi, line);
                    return;
                }
            }
            int32_t a;
            while (lo <= hi && (a = interiorAlpha(lo, row, v)) >= 0) {
                put(lo, line, scaled(a));
                ++lo;
            }
            if (lo > hi)
                return;
            while (hi > lo && (a = interiorAlpha(hi, row, v)) >= 0) {
                put(hi, line, scaled(a));
                --hi;
            }
        }
        putCore(lo, hi, line);
    }

    const Target &m_put;
    const SDabRaster5 &m_dab;
    CDabAlphaCache5 &m_alphas;
    typename Target::Pixel m_line = nullptr;
    bool m_columns;
    float m_ca = 0, m_cc = 0, m_ai = 0, m_bo = 0, m_b2 = 0, m_s = 0, m_kAlong = 0, m_kAcross = 0;
    int32_t m_alongLimit = 0, m_a0 = 0, m_a1 = 0;
    uint32_t m_p255 = 0;
    bool m_table = false;
    uint64_t m_presMantissa = 0;
    bool m_presFixed = false;
    std::array<uint8_t, 256> m_scaled{};
    int m_first = 0, m_last = -1;
#if defined(__SSE2__)
    // The line's sub-rows by lane (k in lane k), m_first..m_last the counting ones.
    static constexpr int kLanes = 8;
    std::array<float, kLanes> m_laneLo, m_laneHi, m_laneOff; // written before they are read
    int m_laneHalves = 1, m_laneFirstHalf = 0;
    bool m_allSix = false;
    float m_coverLo = 0, m_coverHi = 0;
#else
    // The valid sub-rows in order, m_first..m_last the counting ones.
    std::array<SubSpan, kSub> m_span{};
#endif
    std::array<uint8_t, kRowChunk> m_rowAlphas{};
    // Rows up to kLineMax pixels are put as one row of alphas; an opaque core of more than
    // kLongCore pixels is filled apart.
    static constexpr int32_t kLineMax = 256, kLongCore = 16;
    std::array<uint8_t, kLineMax> m_lineAlphas; // written before it is read
};

template <class Target> void rasterChords(const Target &t, const SDabRaster5 &dab, bool columns)
{
    if (!(dab.fp.A > 0) || !(dab.fp.B > 0) || !dab.map || !dab.distance ||
        !dabPositionUsable(dab.x, dab.y) || !(dab.fp.A < kFarLength) || !(dab.fp.B < kFarLength))
        return;
    if (dab.alphas && dab.alphas->prepare(*dab.map, *dab.distance))
        FastChordRaster<Target>(t, dab, columns).run();
    else
        PlainChordRaster<Target>(t, dab, columns).run();
}

// The alpha of one small-dab pixel from its 6 × 6 subsamples, or 0 when none is inside.
struct SmallDab
{
    float cx, cy, a, b, a2, b2, s;

    int32_t alpha(int32_t i, int32_t j, const SDabRaster5 &dab) const
    {
        const float m = cx + s * (float(j) - cy);
        int32_t f = 0;
        float xmin = a, xmax = -a, ymin = b, ymax = -b;
        for (int r = 0; r < kSub; ++r) {
            const float ys = float(j) + kSubOffset[r] - cy;
            int first = -1, last = -1;
            for (int c = 0; c < kSub && first < 0; ++c)
                if (inside(float(i) + kSubOffset[c] - m, ys))
                    first = c;
            if (first < 0)
                continue;
            for (int c = kSub - 1; c >= first && last < 0; --c)
                if (inside(float(i) + kSubOffset[c] - m, ys))
                    last = c;
            f += last - first + 1;
            xmin = std::min(xmin, float(i) + kSubOffset[first] - m);
            xmax = std::max(xmax, float(i) + kSubOffset[last] - m);
            ymin = std::min(ymin, ys);
            ymax = std::max(ymax, ys);
        }
        if (f == 0)
            return 0;
        if (dab.antiOff)
            return 255;
        const float g = std::fabs(xmin + xmax) / 2.0f, hh = std::fabs(ymin + ymax) / 2.0f;
        float ratio;
        if (g != 0) {
            // The rim point on the ray through the box's middle.
            const float k = hh / g;
            const float ri = a * b / std::sqrt(b2 + a2 * k * k);
            const float rj = k * ri;
            ratio = std::fabs(ri) >= std::fabs(rj) ? g / ri : hh / rj;
        } else {
            ratio = hh / b;
        }
        return std::max(1, ceilDiv36(dab.map->getAlpha(ratio) * f));
    }
    bool inside(float xs, float ys) const { return xs * xs / a2 + ys * ys / b2 <= 1.0f; }
};

template <class Target> void rasterSmall(const Target &t, const SDabRaster5 &dab)
{
    const float a = dab.fp.A, b = dab.fp.B, s = dab.fp.s;
    const float a2 = a * a, b2 = b * b;
    if (!(a2 > 0) || !(b2 > 0) || !dab.map || !dabPositionUsable(dab.x, dab.y) || !(b < kFarLength))
        return;
    const SmallDab small{dab.x + 0.5f, dab.y + 0.5f, a, b, a2, b2, s};
    const float h = std::fabs(b * s);
    if (!(a + h < kFarLength))
        return;
    const int32_t x0 = std::max(int32_t(std::floor(small.cx - a - h)), 0);
    const int32_t y0 = std::max(int32_t(std::floor(small.cy - b)), 0);
    const int32_t x1 = std::min(int32_t(std::ceil(small.cx + a + h)), t.width());
    const int32_t y1 = std::min(int32_t(std::ceil(small.cy + b)), t.height());
    for (int32_t j = y0; j < y1; ++j)
        for (int32_t i = x0; i < x1; ++i)
            if (const int32_t alpha = small.alpha(i, j, dab))
                t(i, j, scaledAlpha(alpha, dab.pres), dab.color);
}

template <class Target> void rasterImage(const Target &t, const SImageDab5 &dab)
{
    if (!dab.shape || !dabPositionUsable(dab.x, dab.y))
        return;
    const int32_t x16 = floatToFix(dab.x), y16 = floatToFix(dab.y);
    const int32_t pres16 = floatToFix(dab.pres);
    const int32_t x0 = std::max(dab.rect.x0, 0), y0 = std::max(dab.rect.y0, 0);
    const int32_t x1 = std::min(dab.rect.x1, t.width()), y1 = std::min(dab.rect.y1, t.height());
    for (int32_t j = y0; j < y1; ++j) {
        const int32_t dy = int32_t(uint32_t(j) << 16) - y16 + 0x8000;
        for (int32_t i = x0; i < x1; ++i) {
            const int32_t dx = int32_t(uint32_t(i) << 16) - x16 + 0x8000;
            const int32_t v = dab.shape->getCenterValue(dx, dy);
            if (v == 0)
                continue;
            const int32_t h = fixMul(dab.antiOff ? 255 * 65536 : v * 255, pres16);
            if (h >= 65536)
                t(i, j, uint32_t(std::min(h >> 16, 255)), dab.color);
        }
    }
}

} // namespace

bool CDabAlphaCache5::prepare(const CGradeMapObj5 &map, const ADistanceTable &distance)
{
    const SGradeMapParam &prm = map.param();
    if (m_map == &map && m_distance == &distance && m_maxIndex == map.maxIndex() &&
        m_mapType == int32_t(prm.mapType) && m_flatRate == prm.flatRate && m_addRate == prm.addRate)
        return m_usable;
    m_map = &map, m_distance = &distance, m_maxIndex = map.maxIndex();
    m_mapType = int32_t(prm.mapType), m_flatRate = prm.flatRate, m_addRate = prm.addRate;
    const int32_t *t = map.table();
    m_usable = t != nullptr && m_maxIndex >= 0 &&
               std::all_of(t, t + m_maxIndex + 1, [](int32_t a) { return a >= 0 && a <= 255; });
    if (m_usable) {
        m_alpha.resize(size_t(kDistanceTableSide) * kDistanceTableSide);
        m_filled.assign(kDistanceTableSide, 0);
    }
    return m_usable;
}

void CDabAlphaCache5::fill(size_t j)
{
    uint8_t *out = &m_alpha[j * kDistanceTableSide];
    for (size_t i = 0; i < size_t(kDistanceTableSide); ++i)
        out[i] = uint8_t(m_map->getAlpha((*m_distance)[j][i])); // D is symmetric
    m_filled[j] = 1;
}

std::unique_ptr<ADistanceTable> makeDistanceTable()
{
    auto table = std::make_unique<ADistanceTable>();
    for (int i = 0; i < kDistanceTableSide; ++i)
        for (int j = 0; j < kDistanceTableSide; ++j)
            (*table)[i][j] = std::sqrt(float(i * i + j * j)) / 512.0f;
    return table;
}

void rasterDabRows5(TMTC &tc, const SDabRaster5 &dab)
{
    withTarget(tc, [&](const auto &t) { rasterChords(t, dab, false); });
}

void rasterDabRows5(TChannel &ch, const SDabRaster5 &dab)
{
    withTarget(ch, [&](const auto &t) { rasterChords(t, dab, false); });
}

void rasterDabColumns5(TMTC &tc, const SDabRaster5 &dab)
{
    withTarget(tc, [&](const auto &t) { rasterChords(t, dab, true); });
}

void rasterDabColumns5(TChannel &ch, const SDabRaster5 &dab)
{
    withTarget(ch, [&](const auto &t) { rasterChords(t, dab, true); });
}

void rasterDabSmall5(TMTC &tc, const SDabRaster5 &dab)
{
    withTarget(tc, [&](const auto &t) { rasterSmall(t, dab); });
}

void rasterDabSmall5(TChannel &ch, const SDabRaster5 &dab)
{
    withTarget(ch, [&](const auto &t) { rasterSmall(t, dab); });
}

void rasterDabImage5(TMTC &tc, const SImageDab5 &dab)
{
    withTarget(tc, [&](const auto &t) { rasterImage(t, dab); });
}

void rasterDabImage5(TChannel &ch, const SImageDab5 &dab)
{
    withTarget(ch, [&](const auto &t) { rasterImage(t, dab); });
}
