#include "filters/core/pixel_toolkit.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/pixel/simd_level.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#if KAVRIN_HAS_AVX2_LOOPS
#include <immintrin.h>
#endif

namespace {

// a div b truncating toward zero, with INT32_MIN div -1 wrapping instead of trapping (b != 0).
inline int32_t divWrap(int32_t a, int32_t b)
{
    if (b == -1)
        return int32_t(0u - uint32_t(a));
    return a / b;
}

inline int32_t addWrap(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}

inline sBGRA bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a)
{
    return sBGRA{.all = a << 24 | r << 16 | g << 8 | b};
}

inline fptrPixelPut4core tablePut(bool putKeepsAlpha)
{
    return putKeepsAlpha ? pixelPutAlpha : pixelPutWithAlpha;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Table applications

namespace {

// The table walks: bands of rows on the work threads, or the calling thread alone (the
// references); f only reads the table.
template <class F> bool walkTable(sFlt4Params &p, bool banded, F f)
{
    return banded ? walkDstRectBands(p, [&] { return f; }) : walkDstRect(p, f);
}

bool channelTables(sFlt4Params &p, const ChannelTable &t, bool putKeepsAlpha, bool banded)
{
    if (!checkFlt4Params(p))
        return false;
    const fptrPixelPut4core put = tablePut(putKeepsAlpha);
    return walkTable(p, banded, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
        const sBGRA c = bgra(t[px.B].B, t[px.G].G, t[px.R].R, t[px.A].A);
        put(&px, c.all, uint32_t(m));
    });
}

bool lumaTable(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha, bool banded)
{
    if (!checkFlt4Params(p))
        return false;
    const fptrPixelPut4core put = tablePut(putKeepsAlpha);
    return walkTable(p, banded, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
        put(&px, t[pixelLuma(px)], uint32_t(m));
    });
}

bool lumaColourTable(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha, bool banded)
{
    if (!checkFlt4Params(p))
        return false;
    const fptrPixelPut4core put = tablePut(putKeepsAlpha);
    return walkTable(p, banded, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
        const uint32_t c = (t[pixelLuma(px)] & 0x00FFFFFFu) | (t[px.A] & 0xFF000000u);
        put(&px, c, uint32_t(m));
    });
}

} // namespace

bool applyChannelTables(sFlt4Params &p, const ChannelTable &t, bool putKeepsAlpha)
{
    return channelTables(p, t, putKeepsAlpha, true);
}

bool applyLumaTable(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha)
{
    return lumaTable(p, t, putKeepsAlpha, true);
}

bool applyLumaColourTable(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha)
{
    return lumaColourTable(p, t, putKeepsAlpha, true);
}

bool applyChannelTablesReference(sFlt4Params &p, const ChannelTable &t, bool putKeepsAlpha)
{
    return channelTables(p, t, putKeepsAlpha, false);
}

bool applyLumaTableReference(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha)
{
    return lumaTable(p, t, putKeepsAlpha, false);
}

bool applyLumaColourTableReference(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha)
{
    return lumaColourTable(p, t, putKeepsAlpha, false);
}

// ---------------------------------------------------------------------------------------------
// Destination helpers

bool clearDstRect(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    return walkDstRect(p, [](int32_t, int32_t, sBGRA &px, int32_t m) {
        pixelPutWithAlpha(&px, 0, uint32_t(m));
    });
}

bool copyDstRect(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    const TMTC &flow = *p.flowTC;
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        pixelPutWithAlpha(&px, flow.getColor(x, y), uint32_t(m));
    });
}

// ---------------------------------------------------------------------------------------------
// Convolutions

namespace {

bool validKernel(std::span<const int32_t> weights, const sBox &box)
{
    if (box.w <= 0 || box.h <= 0)
        return false;
    // Offsets far beyond any image would make the tap positions wrap.
    if (box.x < -kMaxKernelReach || box.y < -kMaxKernelReach || box.x > kMaxKernelReach ||
        box.y > kMaxKernelReach)
        return false;
    const int64_t n = int64_t(box.w) * box.h;
    return n <= kMaxKernelWeights && int64_t(weights.size()) >= n;
}

// The non-zero weights with their offsets from the pixel, and the rectangle they span.
struct PackedKernel
{
    struct Tap
    {
        int32_t dx, dy, w;
    };
    std::vector<Tap> taps;
    sRect span; // offsets x0 .. x1 - 1, y0 .. y1 - 1
};

PackedKernel packKernel(std::span<const int32_t> weights, const sBox &box)
{
    PackedKernel k;
    for (int32_t j = 0; j < box.h; ++j)
        for (int32_t i = 0; i < box.w; ++i) {
            const int32_t w = weights[size_t(j) * size_t(box.w) + size_t(i)];
            if (w == 0)
                continue;
            const int32_t dx = box.x + i, dy = box.y + j;
            if (k.taps.empty())
                k.span = {dx, dy, dx + 1, dy + 1};
            else
                rectAddPoint(k.span, dx, dy);
            k.taps.push_back({dx, dy, w});
        }
    return k;
}

// Walks dstRect in bands of rows on the work threads; for each pixel with weight m, with fresh
// sums S of the band's own, calls sums.add(w, source pixel) for every packed tap (positions
// clamped into w x h) and then done(sums, x, y, pixel, m). With skipMissing, a pixel whose kernel
// span misses the image gets neither. done must be safe to run on several bands at once.
template <class Sums, class Done>
bool walkConvolution(sFlt4Params &p, const PackedKernel &k, bool skipMissing, Done done)
{
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const TMTC &flow = *p.flowTC;
    return walkDstRectBands(p, [&] {
        // The band's tap rows, looked up once per row.
        return [&, rows = std::vector<const sBGRA *>(k.taps.size()), rowY = int32_t(0),
                rowsReady = false, rowMeets = false](int32_t x, int32_t y, sBGRA &px,
                                                     int32_t m) mutable {
            if (!rowsReady || y != rowY) {
                rowY = y;
                rowsReady = true;
                for (size_t t = 0; t < k.taps.size(); ++t)
                    rows[t] = flow.seek32(0, std::clamp(y + k.taps[t].dy, 0, h - 1));
                rowMeets = y + k.span.y0 < h && y + k.span.y1 > 0;
            }
            if (skipMissing && (!rowMeets || x + k.span.x0 >= w || x + k.span.x1 <= 0))
                return;
            Sums sums;
            if (x + k.span.x0 >= 0 && x + k.span.x1 <= w) {
                for (size_t t = 0; t < k.taps.size(); ++t)
                    sums.add(k.taps[t].w, rows[t][x + k.taps[t].dx]);
            } else {
                for (size_t t = 0; t < k.taps.size(); ++t)
                    sums.add(k.taps[t].w, rows[t][std::clamp(x + k.taps[t].dx, 0, w - 1)]);
            }
            done(sums, x, y, px, m);
        };
    });
}

// The alpha-weighted sums of one pixel (32-bit, wrapping).
struct KernelSums
{
    uint32_t a = 0, w = 0, b = 0, g = 0, r = 0;

    void add(int32_t weight, sBGRA c)
    {
        const uint32_t ta = uint32_t(weight) * c.A;
        a += ta;
        w += uint32_t(weight);
        b += ta * c.B;
        g += ta * c.G;
        r += ta * c.R;
    }

    // The result colour; src is the pixel itself, for the case without weight.
    uint32_t colour(sBGRA src, int32_t offset) const
    {
        const int32_t sa = int32_t(a), sw = int32_t(w);
        sBGRA out;
        if (sa != 0 && sw != 0) {
            out.B = clampByte(addWrap(offset, divWrap(int32_t(b), sa)));
            out.G = clampByte(addWrap(offset, divWrap(int32_t(g), sa)));
            out.R = clampByte(addWrap(offset, divWrap(int32_t(r), sa)));
            out.A = clampByte(addWrap(offset, divWrap(sa, sw)));
        } else {
            out.B = clampByte(addWrap(offset, src.B));
            out.G = clampByte(addWrap(offset, src.G));
            out.R = clampByte(addWrap(offset, src.R));
            out.A = clampByte(addWrap(offset, src.A));
        }
        return out.all;
    }
};

// The colour sums of the plain convolution.
struct PlainSums
{
    uint32_t b = 0, g = 0, r = 0;

    void add(int32_t weight, sBGRA c)
    {
        b += uint32_t(weight) * c.B;
        g += uint32_t(weight) * c.G;
        r += uint32_t(weight) * c.R;
    }

    uint32_t colour(int32_t scale, int32_t offset) const
    {
        sBGRA out{.all = 0};
        out.B = clampByte(addWrap(offset, divWrap(int32_t(b), scale)));
        out.G = clampByte(addWrap(offset, divWrap(int32_t(g), scale)));
        out.R = clampByte(addWrap(offset, divWrap(int32_t(r), scale)));
        return out.all;
    }
};

// The alpha-weighted convolution a destination row at a time. Each source row the kernel reaches
// is turned once into four planes over the columns the destination row reaches (edge pixels
// repeated): A, A B, A G and A R, the products every tap would form (w A C wraps to the same
// integer as w (A C)). A kernel of ones over its whole rectangle first sums each plane across
// the rectangle's width and keeps one tap per row: the integer sums are the same, added in
// another order.
struct KernelShape
{
    struct Tap
    {
        int32_t row, col, w; // row of the kernel's rectangle, column offset into the planes
    };
    std::vector<Tap> taps;
    int32_t xa = 0, xb = 0;      // the destination columns
    int32_t len = 0;             // plane length: the columns one destination row reaches
    int32_t sx0 = 0, sx1 = 0, sy0 = 0, sy1 = 0;
    int32_t rows = 0;            // the kernel rectangle's height
    int32_t width = 0;           // its width, when its ones are summed across first (else 0)
    int32_t sw = 0, offset = 0;  // the sum of the weights; the offset
    bool floatDiv = false;       // every sum below 2^24: Single quotients are exact
    int32_t w = 0, h = 0;
    const TMTC *flow = nullptr;

    KernelShape(const sFlt4Params &p, const PackedKernel &k, int32_t off)
        : xa(p.dstRect.x0), xb(p.dstRect.x1), sx0(k.span.x0), sx1(k.span.x1), sy0(k.span.y0),
          sy1(k.span.y1), offset(off), w(p.layerTC->width()), h(p.layerTC->height()),
          flow(p.flowTC)
    {
        rows = sy1 - sy0;
        len = (xb - xa) + (sx1 - sx0 - 1);
        uint32_t sum = 0;
        int64_t magnitude = 0;
        bool ones = int64_t(k.taps.size()) == int64_t(rows) * (sx1 - sx0);
        for (const PackedKernel::Tap &t : k.taps) {
            sum += uint32_t(t.w);
            magnitude += std::abs(int64_t(t.w));
            ones = ones && t.w == 1;
        }
        sw = int32_t(sum);
        floatDiv = magnitude * 65025 < (int64_t(1) << 24);
        if (ones && sx1 - sx0 > 1) {
            width = sx1 - sx0;
            for (int32_t r = 0; r < rows; ++r)
                taps.push_back({r, 0, 1});
        } else {
            for (const PackedKernel::Tap &t : k.taps)
                taps.push_back({t.dy - sy0, t.dx - sx0, t.w});
        }
    }
};

#if KAVRIN_HAS_AVX2_LOOPS
KAVRIN_TARGET_AVX2 inline __m256i quotientsSingle(__m256i num, __m256i den)
{
    return _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(num), _mm256_cvtepi32_ps(den)));
}

// Quotients of Integers truncated toward zero: a Double quotient of two 32-bit integers never
// rounds across an integer. INT32_MIN div -1 gives the out-of-range result INT32_MIN: the wrap.
KAVRIN_TARGET_AVX2 inline __m256i quotientsDouble(__m256i num, __m256i den)
{
    const __m128i lo = _mm256_cvttpd_epi32(_mm256_div_pd(
        _mm256_cvtepi32_pd(_mm256_castsi256_si128(num)), _mm256_cvtepi32_pd(_mm256_castsi256_si128(den))));
    const __m128i hi = _mm256_cvttpd_epi32(_mm256_div_pd(_mm256_cvtepi32_pd(_mm256_extracti128_si256(num, 1)),
                                                         _mm256_cvtepi32_pd(_mm256_extracti128_si256(den, 1))));
    return _mm256_inserti128_si256(_mm256_castsi128_si256(lo), hi, 1);
}

// offset + (the quotient, or the pixel's own channel where own is set), clamped to a byte.
KAVRIN_TARGET_AVX2 inline __m256i kernelChannel(__m256i q, __m256i mine, __m256i own, __m256i off)
{
    const __m256i c = _mm256_add_epi32(_mm256_blendv_epi8(q, mine, own), off);
    return _mm256_min_epi32(_mm256_max_epi32(c, _mm256_setzero_si256()), _mm256_set1_epi32(0xFF));
}

// One plane row from n source pixels: A, A B, A G, A R at plane, plane + len, ...
KAVRIN_TARGET_AVX2 int32_t planesAvx2(const sBGRA *src, int32_t n, uint32_t *plane, int32_t len)
{
    const __m256i ff = _mm256_set1_epi32(0xFF);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(src + i));
        const __m256i a = _mm256_srli_epi32(v, 24);
        const __m256i b = _mm256_and_si256(v, ff);
        const __m256i g = _mm256_and_si256(_mm256_srli_epi32(v, 8), ff);
        const __m256i r = _mm256_and_si256(_mm256_srli_epi32(v, 16), ff);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + i), a);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + len + i), _mm256_mullo_epi32(a, b));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + 2 * len + i), _mm256_mullo_epi32(a, g));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + 3 * len + i), _mm256_mullo_epi32(a, r));
    }
    return i;
}

// plane[i] := plane[i] + ... + plane[i + k - 1] for i < n, in place (each store lands below
// every load still to come).
KAVRIN_TARGET_AVX2 int32_t widthSumsAvx2(uint32_t *plane, int32_t n, int32_t k)
{
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(plane + i));
        for (int32_t j = 1; j < k; ++j)
            s = _mm256_add_epi32(s, _mm256_loadu_si256(reinterpret_cast<const __m256i *>(plane + i + j)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + i), s);
    }
    return i;
}

// The colours of destination pixels 0 .. n - 1 (a multiple of 8 is done; the count is returned):
// tap[t] points at tap t's A plane for pixel 0, the other planes len further each.
KAVRIN_TARGET_AVX2 int32_t kernelColoursAvx2(const KernelShape &s, const uint32_t *const *tap,
                                             int32_t n, const sBGRA *self, uint32_t *out)
{
    const __m256i ff = _mm256_set1_epi32(0xFF), zero = _mm256_setzero_si256();
    const __m256i sw = _mm256_set1_epi32(s.sw), off = _mm256_set1_epi32(s.offset);
    const __m256i noWeight = _mm256_cmpeq_epi32(sw, zero);
    const int32_t len = s.len, nt = int32_t(s.taps.size());
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i sa = zero, sb = zero, sg = zero, sr = zero;
        for (int32_t t = 0; t < nt; ++t) {
            const uint32_t *q = tap[t] + i;
            __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q));
            __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q + len));
            __m256i g = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q + 2 * len));
            __m256i r = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(q + 3 * len));
            if (s.taps[size_t(t)].w != 1) {
                const __m256i wt = _mm256_set1_epi32(s.taps[size_t(t)].w);
                a = _mm256_mullo_epi32(a, wt), b = _mm256_mullo_epi32(b, wt);
                g = _mm256_mullo_epi32(g, wt), r = _mm256_mullo_epi32(r, wt);
            }
            sa = _mm256_add_epi32(sa, a), sb = _mm256_add_epi32(sb, b);
            sg = _mm256_add_epi32(sg, g), sr = _mm256_add_epi32(sr, r);
        }
        __m256i qb, qg, qr, qa;
        if (s.floatDiv) {
            qb = quotientsSingle(sb, sa), qg = quotientsSingle(sg, sa);
            qr = quotientsSingle(sr, sa), qa = quotientsSingle(sa, sw);
        } else {
            qb = quotientsDouble(sb, sa), qg = quotientsDouble(sg, sa);
            qr = quotientsDouble(sr, sa), qa = quotientsDouble(sa, sw);
        }
        // Without weight the pixel itself stands in for the quotients.
        const __m256i own = _mm256_or_si256(_mm256_cmpeq_epi32(sa, zero), noWeight);
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(self + i));
        const __m256i cb = kernelChannel(qb, _mm256_and_si256(v, ff), own, off);
        const __m256i cg = kernelChannel(qg, _mm256_and_si256(_mm256_srli_epi32(v, 8), ff), own, off);
        const __m256i cr = kernelChannel(qr, _mm256_and_si256(_mm256_srli_epi32(v, 16), ff), own, off);
        const __m256i ca = kernelChannel(qa, _mm256_srli_epi32(v, 24), own, off);
        const __m256i c = _mm256_or_si256(_mm256_or_si256(cb, _mm256_slli_epi32(cg, 8)),
                                          _mm256_or_si256(_mm256_slli_epi32(cr, 16), _mm256_slli_epi32(ca, 24)));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + i), c);
    }
    return i;
}
#else
int32_t planesAvx2(const sBGRA *, int32_t, uint32_t *, int32_t)
{
    return 0;
}
int32_t widthSumsAvx2(uint32_t *, int32_t, int32_t)
{
    return 0;
}
int32_t kernelColoursAvx2(const KernelShape &, const uint32_t *const *, int32_t, const sBGRA *,
                          uint32_t *)
{
    return 0;
}
#endif

// One band's rows: the planes of the source rows in a ring (slot (source row) mod rows), and the
// colours of the destination row last worked out.
struct KernelBand
{
    const KernelShape &s;
    bool avx2 = simdUseAvx2();
    std::vector<int32_t> tag;      // the (unclamped) source row each slot holds
    std::vector<uint32_t> planes;  // rows x 4 planes of len
    std::vector<const uint32_t *> tap;
    std::vector<uint32_t> out;     // colours of columns xa .. xb - 1
    int32_t y = 0;
    bool ready = false;
    int32_t lo = 0, hi = 0;        // the columns the convolution writes in row y

    explicit KernelBand(const KernelShape &shape)
        : s(shape), tag(size_t(shape.rows), std::numeric_limits<int32_t>::min()),
          planes(size_t(shape.rows) * 4 * size_t(shape.len)), tap(shape.taps.size()),
          out(size_t(shape.xb - shape.xa))
    {
    }

    uint32_t *slot(int32_t sy)
    {
        const int32_t i = ((sy % s.rows) + s.rows) % s.rows;
        uint32_t *plane = planes.data() + size_t(i) * 4 * size_t(s.len);
        if (tag[size_t(i)] != sy) {
            tag[size_t(i)] = sy;
            fill(sy, plane);
        }
        return plane;
    }

    void fill(int32_t sy, uint32_t *plane) const
    {
        const sBGRA *src = s.flow->seek32(0, std::clamp(sy, 0, s.h - 1));
        const int32_t len = s.len, x0 = s.xa + s.sx0;
        // The columns inside the image read straight; the others repeat the edge pixel.
        const int32_t j0 = std::clamp(-x0, 0, len), j1 = std::clamp(s.w - x0, j0, len);
        const auto one = [&](int32_t j) {
            const sBGRA c = src[std::clamp(x0 + j, 0, s.w - 1)];
            const uint32_t a = c.A;
            plane[j] = a, plane[len + j] = a * c.B, plane[2 * len + j] = a * c.G;
            plane[3 * len + j] = a * c.R;
        };
        for (int32_t j = 0; j < j0; ++j)
            one(j);
        int32_t j = j0;
        if (avx2)
            j += planesAvx2(src + x0 + j0, j1 - j0, plane + j0, len);
        for (; j < len; ++j)
            one(j);
        if (s.width > 0) {
            const int32_t n = s.xb - s.xa;
            for (int32_t c = 0; c < 4; ++c) {
                uint32_t *q = plane + size_t(c) * size_t(len);
                int32_t i = avx2 ? widthSumsAvx2(q, n, s.width) : 0;
                for (; i < n; ++i) {
                    uint32_t sum = q[i];
                    for (int32_t k = 1; k < s.width; ++k)
                        sum += q[i + k];
                    q[i] = sum;
                }
            }
        }
    }

    void compute(int32_t row)
    {
        y = row, ready = true;
        // A pixel whose kernel rectangle misses the image is left as it is.
        const bool meets = y + s.sy0 < s.h && y + s.sy1 > 0;
        lo = meets ? std::max(s.xa, 1 - s.sx1) : s.xa;
        hi = meets ? std::min(s.xb, s.w - s.sx0) : s.xa;
        if (lo >= hi)
            return;
        for (size_t t = 0; t < s.taps.size(); ++t)
            tap[t] = slot(y + s.sy0 + s.taps[t].row) + s.taps[t].col;
        const sBGRA *self = s.flow->seek32(s.xa, y);
        const int32_t n = s.xb - s.xa, len = s.len;
        int32_t i = avx2 ? kernelColoursAvx2(s, tap.data(), n, self, out.data()) : 0;
        for (; i < n; ++i) {
            KernelSums k;
            for (size_t t = 0; t < s.taps.size(); ++t) {
                const uint32_t *q = tap[t] + i, wt = uint32_t(s.taps[t].w);
                k.a += wt * q[0], k.b += wt * q[len], k.g += wt * q[2 * len];
                k.r += wt * q[3 * len];
            }
            k.w = uint32_t(s.sw);
            out[size_t(i)] = k.colour(self[i], s.offset);
        }
    }
};

} // namespace

bool convolveKernel(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                    int32_t offset)
{
    if (!validKernel(weights, box) || !checkFlt4Params(p))
        return false;
    const PackedKernel k = packKernel(weights, box);
    if (k.taps.empty())
        return true;
    const fptrPixelPut4core put = filterPut(p);
    // Kernels of a far reach would make the planes too long: they take the per-pixel walk.
    constexpr int64_t kMaxPlaneWords = int64_t(1) << 22;
    if ((int64_t(k.span.x1) - k.span.x0 + p.dstRect.x1 - p.dstRect.x0) * (int64_t(k.span.y1) - k.span.y0) >
        kMaxPlaneWords)
        return walkConvolution<KernelSums>(
            p, k, true, [&](const KernelSums &sums, int32_t x, int32_t y, sBGRA &px, int32_t m) {
                put(&px, sums.colour(*p.flowTC->seek32(x, y), offset), uint32_t(m));
            });
    const KernelShape shape(p, k, offset);
    return walkDstRunsBands(p, [&] {
        return [&, band = std::make_shared<KernelBand>(shape)](
                   int32_t x0, int32_t y, int32_t n, sBGRA *px, const int32_t *weight) {
            if (!band->ready || band->y != y)
                band->compute(y);
            const int32_t lo = std::max(x0, band->lo), hi = std::min(x0 + n, band->hi);
            if (lo < hi)
                putRun(put, px + (lo - x0), band->out.data() + (lo - shape.xa), weight + (lo - x0),
                       hi - lo);
        };
    });
}

bool convolvePlain(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                   int32_t scale, int32_t offset)
{
    if (scale == 0 || !validKernel(weights, box) || !checkFlt4Params(p))
        return false;
    const PackedKernel k = packKernel(weights, box);
    PlainSums sums;
    if (k.taps.empty()) // every sum 0: the offset alone
        return walkDstRect(p, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
            pixelPutAlpha(&px, sums.colour(scale, offset), uint32_t(m));
        });
    return walkConvolution<PlainSums>(
        p, k, false, [&](const PlainSums &sums, int32_t, int32_t, sBGRA &px, int32_t m) {
            pixelPutAlpha(&px, sums.colour(scale, offset), uint32_t(m));
        });
}

// The references: every weight of the box, one clamped read per tap, the plain walk.

namespace {

sBGRA clampedFlowPixel(const sFlt4Params &p, int32_t x, int32_t y)
{
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const int32_t cx = x < 0 ? 0 : (x > w - 1 ? w - 1 : x);
    const int32_t cy = y < 0 ? 0 : (y > h - 1 ? h - 1 : y);
    return sBGRA{.all = p.flowTC->getColor(cx, cy)};
}

} // namespace

bool convolveKernelReference(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                             int32_t offset)
{
    if (!validKernel(weights, box) || !checkFlt4Params(p))
        return false;
    // The bounding box of the non-zero weights, in kernel cells.
    int32_t i0 = box.w, j0 = box.h, i1 = -1, j1 = -1;
    for (int32_t j = 0; j < box.h; ++j)
        for (int32_t i = 0; i < box.w; ++i)
            if (weights[size_t(j * box.w + i)] != 0) {
                i0 = std::min(i0, i);
                i1 = std::max(i1, i);
                j0 = std::min(j0, j);
                j1 = std::max(j1, j);
            }
    if (i1 < 0)
        return true;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const fptrPixelPut4core put = p.layerPrt ? pixelPutAlpha : pixelPutWithAlpha;
    return walkDstRectPlain(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        const int32_t left = x + box.x + i0, right = x + box.x + i1;
        const int32_t top = y + box.y + j0, bottom = y + box.y + j1;
        if (right < 0 || left >= w || bottom < 0 || top >= h)
            return;
        uint32_t sa = 0, sw = 0, sb = 0, sg = 0, sr = 0; // Integer sums, wrapping
        for (int32_t j = 0; j < box.h; ++j)
            for (int32_t i = 0; i < box.w; ++i) {
                const int32_t wt = weights[size_t(j * box.w + i)];
                if (wt == 0)
                    continue;
                const sBGRA c = clampedFlowPixel(p, x + box.x + i, y + box.y + j);
                const uint32_t a = uint32_t(wt) * c.A;
                sa += a;
                sw += uint32_t(wt);
                sb += a * c.B;
                sg += a * c.G;
                sr += a * c.R;
            }
        const auto ch = [offset](uint32_t sum, uint32_t div) {
            return clampByte(addWrap(offset, divWrap(int32_t(sum), int32_t(div))));
        };
        sBGRA out;
        if (sa != 0 && sw != 0) {
            out = bgra(ch(sb, sa), ch(sg, sa), ch(sr, sa), ch(sa, sw));
        } else {
            const sBGRA s{.all = p.flowTC->getColor(x, y)};
            out = bgra(clampByte(addWrap(offset, s.B)), clampByte(addWrap(offset, s.G)),
                       clampByte(addWrap(offset, s.R)), clampByte(addWrap(offset, s.A)));
        }
        put(&px, out.all, uint32_t(m));
    });
}

bool convolvePlainReference(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                            int32_t scale, int32_t offset)
{
    if (scale == 0 || !validKernel(weights, box) || !checkFlt4Params(p))
        return false;
    return walkDstRectPlain(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        uint32_t sb = 0, sg = 0, sr = 0; // Integer sums, wrapping
        for (int32_t j = 0; j < box.h; ++j)
            for (int32_t i = 0; i < box.w; ++i) {
                const int32_t wt = weights[size_t(j * box.w + i)];
                if (wt == 0)
                    continue;
                const sBGRA c = clampedFlowPixel(p, x + box.x + i, y + box.y + j);
                sb += uint32_t(wt) * c.B;
                sg += uint32_t(wt) * c.G;
                sr += uint32_t(wt) * c.R;
            }
        const auto ch = [&](uint32_t sum) {
            return clampByte(addWrap(offset, divWrap(int32_t(sum), scale)));
        };
        pixelPutAlpha(&px, bgra(ch(sb), ch(sg), ch(sr), 0).all, uint32_t(m));
    });
}

// ---------------------------------------------------------------------------------------------
// Area helpers

void averageRect(sBGRA &out, const TMTC &tc, const sRect &rect)
{
    out.all = 0;
    sRect r = rect;
    if (!rectClipToSize(r, sSize{tc.width(), tc.height()}))
        return;
    float accB = 0, accG = 0, accR = 0;
    uint64_t totalAlpha = 0;
    for (int32_t y = r.y0; y < r.y1; ++y) {
        uint64_t sa = 0, sb = 0, sg = 0, sr = 0;
        const sBGRA *row = tc.seek32(0, y);
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const sBGRA c = row[x];
            sa += c.A;
            sb += uint64_t(c.B) * c.A;
            sg += uint64_t(c.G) * c.A;
            sr += uint64_t(c.R) * c.A;
        }
        if (sa == 0)
            continue;
        accB = float(accB + (long double)sb / sa);
        accG = float(accG + (long double)sg / sa);
        accR = float(accR + (long double)sr / sa);
        totalAlpha += sa;
    }
    if (totalAlpha == 0)
        return;
    const int64_t rows = r.y1 - r.y0;
    const uint64_t area = uint64_t(rows) * uint64_t(r.x1 - r.x0);
    const auto channel = [rows](float acc) {
        const long double v = std::trunc((long double)acc / rows);
        return uint8_t(v > 255 ? 255 : (v < 0 ? 0 : v));
    };
    out.B = channel(accB);
    out.G = channel(accG);
    out.R = channel(accR);
    out.A = uint8_t(std::min<uint64_t>(totalAlpha / area, 255));
}

void mixColour(sBGRA &out, const sBGRA &other, float t)
{
    const sBGRA o = other;
    const auto mix = [t](uint8_t a, uint8_t b) {
        const float v = float((long double)t * a + (1.0L - t) * b);
        return clampByte(roundSingle(v));
    };
    out.B = mix(out.B, o.B);
    out.G = mix(out.G, o.G);
    out.R = mix(out.R, o.R);
}

void scaleAlpha(sBGRA &out, const sBGRA &, float t)
{
    out.A = clampByte(roundSingle(float((long double)out.A * t)));
}

namespace {

// (w x h) >> 16 of a 16.16 rectangle: its area in 16.16.
int64_t fixArea(const sRect &r)
{
    return (int64_t(r.x1) - r.x0) * (int64_t(r.y1) - r.y0) >> 16;
}

sRect squareAt(const sFXPos &pos)
{
    return {pos.x - 0x8000, pos.y - 0x8000, pos.x + 0x8000, pos.y + 0x8000};
}

constexpr uint32_t kNoSample = 0x00FFFFFF;

// The average over r (clipped to the scaler's source as well); false when nothing is left.
bool averageOver(sBGRA &out, CScaleImageTMTC &scaler, sRect r, bool alphaWeighted)
{
    if (r.x1 <= r.x0 || r.y1 <= r.y0)
        return false;
    auto *dst = reinterpret_cast<uint8_t *>(&out);
    return alphaWeighted ? scaler.calcSrcRect2(dst, r) : scaler.calcSrcRect(dst, r);
}

void square(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
            const sRect &r, bool alphaWeighted)
{
    const int64_t full = fixArea(r);
    const sRect c{clampInt(r.x0, box.x0, box.x1 - 0x8000), clampInt(r.y0, box.y0, box.y1 - 0x8000),
                  clampInt(r.x1, box.x0 + 0x8000, box.x1), clampInt(r.y1, box.y0 + 0x8000, box.y1)};
    if (!averageOver(out, scaler, c, alphaWeighted)) {
        out.all = kNoSample;
        return;
    }
    const int64_t part = fixArea(c);
    if (part < full && fn)
        fn(out, out, float((long double)part / full));
}

} // namespace

void sampleRectMix(sBGRA &out, sBGRA outside, CScaleImageTMTC &scaler, fptrFractionHandler fn,
                   const sRect &box, const sRect &r)
{
    const int64_t full = fixArea(r);
    const sRect c{clampInt(r.x0, box.x0, box.x1), clampInt(r.y0, box.y0, box.y1),
                  clampInt(r.x1, box.x0, box.x1), clampInt(r.y1, box.y0, box.y1)};
    const int64_t part = fixArea(c);
    if (part < 1 || !averageOver(out, scaler, c, false)) {
        out = outside;
        return;
    }
    if (part < full && fn)
        fn(out, outside, float((long double)part / full));
}

void sampleRectMix(sBGRA &out, sBGRA outside, CScaleImageTMTC &scaler, fptrFractionHandler fn,
                   const sRect &box, const sFXPos &pos)
{
    sampleRectMix(out, outside, scaler, fn, box, squareAt(pos));
}

void sampleSquare(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                  const sRect &r)
{
    square(out, scaler, fn, box, r, false);
}

void sampleSquare(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                  const sFXPos &pos)
{
    square(out, scaler, fn, box, squareAt(pos), false);
}

void sampleSquare2(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                   const sRect &r)
{
    square(out, scaler, fn, box, r, true);
}

void sampleSquare2(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                   const sFXPos &pos)
{
    square(out, scaler, fn, box, squareAt(pos), true);
}

// ---------------------------------------------------------------------------------------------
// Noise draws

void drawColourNoise(SNoiseDraw &d, uint32_t n)
{
    d.v0 = int32_t(randomBelow(n));
    d.v1 = int32_t(randomBelow(n));
    d.v2 = int32_t(randomBelow(n));
}

void drawGreyNoise(SNoiseDraw &d, uint32_t n)
{
    d.v0 = d.v1 = d.v2 = int32_t(randomBelow(n));
}

// ---------------------------------------------------------------------------------------------
// Older helpers

int32_t posMod(int32_t a, int32_t b)
{
    if (b <= 0)
        return 0;
    if (a >= 0)
        return a % b;
    const uint32_t r = (0u - uint32_t(a)) % uint32_t(b);
    return r == 0 ? 0 : b - int32_t(r);
}

bool inBlockImage(const CBlockVMTC &img, int32_t x, int32_t y)
{
    return inSize(img.width(), img.height(), x, y);
}

bool inCanvas(const TMTC &tc, int32_t x, int32_t y)
{
    return inSize(tc.width(), tc.height(), x, y);
}

namespace {

template <class Get>
uint32_t sampleBilinear8(int32_t w, int32_t h, int32_t x, int32_t y, bool wrap, Get get)
{
    const int32_t xi = x / 65536, yi = y / 65536;
    const uint32_t fx = (uint32_t(x) >> 8) & 0xFF, fy = (uint32_t(y) >> 8) & 0xFF;
    int32_t x0 = xi, y0 = yi, x1 = xi + 1, y1 = yi + 1;
    if (wrap) {
        x0 = posMod(xi, w);
        y0 = posMod(yi, h);
        x1 = x0 + 1 >= w ? 0 : x0 + 1;
        y1 = y0 + 1 >= h ? 0 : y0 + 1;
    }
    const int32_t sx[4] = {x0, x1, x0, x1}, sy[4] = {y0, y0, y1, y1};
    const uint32_t wt[4] = {(255 - fx) * (255 - fy), fx * (255 - fy), (255 - fx) * fy, fx * fy};
    uint32_t sum[4] = {0, 0, 0, 0}, total = 0;
    for (int k = 0; k < 4; ++k) {
        if (!inSize(w, h, sx[k], sy[k]))
            continue;
        const sBGRA c{.all = get(sx[k], sy[k])};
        sum[0] += wt[k] * c.B;
        sum[1] += wt[k] * c.G;
        sum[2] += wt[k] * c.R;
        sum[3] += wt[k] * c.A;
        total += wt[k];
    }
    if (total == 0)
        return 0;
    return (sum[3] / total) << 24 | (sum[2] / total) << 16 | (sum[1] / total) << 8 |
           (sum[0] / total);
}

} // namespace

uint32_t sampleBilinearBlock(const CBlockVMTC &img, int32_t x, int32_t y, bool wrap)
{
    return sampleBilinear8(img.width(), img.height(), x, y, wrap,
                           [&](int32_t px, int32_t py) { return img.getColor(px, py); });
}

uint32_t sampleBilinearCanvas(const TMTC &tc, int32_t x, int32_t y, bool wrap)
{
    return sampleBilinear8(tc.width(), tc.height(), x, y, wrap,
                           [&](int32_t px, int32_t py) { return tc.getColor(px, py); });
}

bool putBilinearWrap(const CBlockVMTC &src, CBlockVMTC &dst, int32_t dx, int32_t dy, int32_t sx,
                     int32_t sy)
{
    return dst.setPixel(dx, dy, sampleBilinearBlock(src, sx, sy, true));
}

void clearKernel3(Kernel3 &k)
{
    k.fill(0.0);
}

void normalizeKernel3(Kernel3 &out, const Kernel3 &k)
{
    double sum = 0;
    for (double w : k)
        sum += w;
    if (sum == 0)
        sum = 1;
    for (size_t i = 0; i < 9; ++i)
        out[i] = k[i] / sum;
}

sBGRA applyKernel3(const Kernel3 &k, const PixelBlock3 &block)
{
    double s[4] = {0, 0, 0, 0};
    for (size_t i = 0; i < 9; ++i) {
        s[0] += k[i] * block[i].B;
        s[1] += k[i] * block[i].G;
        s[2] += k[i] * block[i].R;
        s[3] += k[i] * block[i].A;
    }
    const auto byte = [](double v) { return uint8_t(v > 0 ? (v < 255 ? v : 255) : 0); };
    return bgra(byte(s[0]), byte(s[1]), byte(s[2]), byte(s[3]));
}

int32_t roundHalfAway(long double x)
{
    if (std::isnan(x))
        return 0;
    const long double v = std::trunc(x >= 0 ? x + 0.5L : x - 0.5L);
    if (v >= 2147483647.0L)
        return std::numeric_limits<int32_t>::max();
    if (v <= -2147483648.0L)
        return std::numeric_limits<int32_t>::min();
    return int32_t(v);
}
