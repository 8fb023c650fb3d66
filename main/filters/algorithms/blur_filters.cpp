#include "filters/algorithms/blur_filters.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/pixel/simd_level.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/bilinear_samplers.h"
#include "filters/core/gauss_kernels.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <utility>
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

// The largest side a 16.16 position can address.
constexpr int32_t kMaxFixSide = 32767;

bool fixAddressable(const sFlt4Params &p)
{
    return p.layerTC->width() <= kMaxFixSide && p.layerTC->height() <= kMaxFixSide;
}

bool kernelBlur(sFlt4Params &p, int32_t args, const int32_t *k, int32_t side)
{
    const sBox box{-(side / 2), -(side / 2), side, side};
    return checkFilterFrame(p, args, 0) &&
           convolveKernel(p, std::span<const int32_t>(k, size_t(side * side)), box, 0);
}

// A canvas of the layer's size holding the flow's pixels there; false when it cannot be made.
bool flowCopy(const sFlt4Params &p, TMTC &tc)
{
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    if (!tc.Resize(w, h))
        return false;
    tc.copyArea(*p.flowTC, sPos{0, 0}, sBox{0, 0, w, h});
    return true;
}

// ceil(|v| / 65536) of a 16.16 offset.
int32_t fixReach(int32_t v)
{
    return int32_t((std::abs(int64_t(v)) + 0xFFFF) >> 16);
}

// r grown by (ax, ay) and cut to w x h.
sRect grownRegion(const sRect &r, int32_t ax, int32_t ay, int32_t w, int32_t h)
{
    return {std::max(0, r.x0 - ax), std::max(0, r.y0 - ay), std::min(w, r.x1 + ax),
            std::min(h, r.y1 + ay)};
}

int32_t clampFix(int64_t v, int32_t size)
{
    return int32_t(std::clamp<int64_t>(v, 0, (int64_t(size) << 16) - 1));
}

// The half-lengths of the passes: distance / 2, halved while at least 0.5.
std::vector<float> passLengths(float distance)
{
    std::vector<float> hs;
    for (float h = float(distance / 2.0L); h >= 0.5f; h = float(h / 2.0L))
        hs.push_back(h);
    return hs;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Kernel blurs

bool fltBlur(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    return kernelBlur(p, args, k, 3);
}

bool fltBlur2(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {0, 1, 0, 1, 4, 1, 0, 1, 0};
    return kernelBlur(p, args, k, 3);
}

bool fltBlurMore(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[25] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
                                      1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    return kernelBlur(p, args, k, 5);
}

bool fltBlurMore2(sFlt4Params &p, const void *, int32_t args)
{
    static constexpr int32_t k[9] = {1, 2, 1, 2, 2, 2, 1, 2, 1};
    return kernelBlur(p, args, k, 3);
}

// ---------------------------------------------------------------------------------------------
// Gaussian blur

namespace {

// The sums of one output pixel of either pass. Each tap weighs its alpha times its kernel cell
// shifted down by 5 bits, which keeps the 32-bit sums from overflowing.
struct GaussSums
{
    uint32_t b = 0, g = 0, r = 0, w = 0, a = 0, n = 0;

    void add(sBGRA c, int32_t cell)
    {
        const uint32_t q = uint32_t(c.A) * uint32_t(cell >> 5);
        b += q * c.B;
        g += q * c.G;
        r += q * c.R;
        w += q;
        a += c.A;
        n += 1;
    }
    bool ready() const { return w != 0 && n != 0; }
    // Each channel quotient keeps its low byte.
    uint32_t colour() const
    {
        return (a / n & 0xFF) << 24 | (r / w & 0xFF) << 16 | (g / w & 0xFF) << 8 | (b / w & 0xFF);
    }
};

struct GaussSetup
{
    std::vector<int32_t> kx, ky;
    int32_t rx = 0, ry = 0;
    sRect mid; // the intermediate canvas: columns x0' .. x1', the destination's rows
};

// False when the kernels cannot be built; unchanged is set for sigma <= 0.
bool gaussSetup(sFlt4Params &p, float sigma, GaussSetup &s)
{
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    s.kx.assign(size_t(w), 0);
    s.ky.assign(size_t(h), 0);
    if (!makeGaussKernels(s.kx, s.ky, w, sigma, h, s.rx, s.ry))
        return false;
    const sRect &d = p.dstRect;
    s.mid = {std::max(0, d.x0 - s.rx), d.y0, std::min(w, d.x1 + s.rx), d.y1};
    return true;
}

// One row of the intermediate canvas premultiplied for the horizontal pass: per pixel B A, G A,
// R A and A, and the running sum of A. The wrapping products q C = cell A C are the same
// integers as cell (A C), so the sums come out as the tap-by-tap ones do.
struct GaussRow
{
    int32_t y = -1;
    std::vector<std::array<uint32_t, 4>> pre; // B A, G A, R A, A
    std::vector<uint32_t> alphaSum;           // alphaSum[i]: the A of pixels 0 .. i - 1

    void load(const TMTC &mid, int32_t row, int32_t layerY)
    {
        const int32_t n = mid.width();
        const sBGRA *src = mid.seek32(0, row);
        pre.resize(size_t(n));
        alphaSum.resize(size_t(n) + 1);
        alphaSum[0] = 0;
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t a = src[i].A;
            pre[size_t(i)] = {src[i].B * a, src[i].G * a, src[i].R * a, a};
            alphaSum[size_t(i) + 1] = alphaSum[size_t(i)] + a;
        }
        y = layerY;
    }
};

// The horizontal kernel with its cells shifted once, and the taps each pixel may use.
struct GaussRowKernel
{
    std::vector<uint32_t> cell; // cell[t]: kx[w / 2 - rx + t] >> 5, 0 where that is outside kx
    int32_t tLo = 0, tHi = -1;  // the taps whose kernel cell exists
    int32_t rx = 0, midX0 = 0, midX1 = 0;

    GaussRowKernel(const GaussSetup &s, int32_t w)
        : cell(size_t(2 * s.rx + 1), 0), rx(s.rx), midX0(s.mid.x0), midX1(s.mid.x1)
    {
        tLo = std::max(0, s.rx - w / 2);
        tHi = std::min(2 * s.rx, w - 1 - w / 2 + s.rx);
        for (int32_t t = tLo; t <= tHi; ++t)
            cell[size_t(t)] = uint32_t(s.kx[size_t(w / 2 - s.rx + t)] >> 5);
        // The taps tLo .. tHi in pairs for the 16-bit multiply-adds (an odd last one with 0).
        for (int32_t t = tLo; t <= tHi; t += 2) {
            const uint32_t second = t + 1 <= tHi ? cell[size_t(t) + 1] : 0;
            cellPairs.push_back(cell[size_t(t)] | second << 16);
            onePairs.push_back(t + 1 <= tHi ? 0x00010001u : 1u);
            back += 32768u * (cell[size_t(t)] + second);
        }
    }

    std::vector<uint32_t> cellPairs, onePairs;
    uint32_t back = 0; // 32768 times the cells tLo .. tHi (wrapping)

    // The pixel at column X of the intermediate row (X = x - mid.x0); false without weight.
    bool pixel(const GaussRow &row, int32_t X, uint32_t &colour) const
    {
        // Taps t reach column X - rx + t, which must lie on the intermediate canvas.
        const int32_t lo = std::max(tLo, rx - X), hi = std::min(tHi, midX1 - midX0 - 1 - X + rx);
        if (hi < lo)
            return false;
        uint32_t acc[4] = {0, 0, 0, 0};
        const std::array<uint32_t, 4> *pre = row.pre.data() + (X - rx + lo);
        for (int32_t t = lo; t <= hi; ++t) {
            const uint32_t c = cell[size_t(t)];
            const std::array<uint32_t, 4> &v = pre[t - lo];
            for (int j = 0; j < 4; ++j)
                acc[j] += c * v[size_t(j)];
        }
        const uint32_t n = uint32_t(hi - lo + 1);
        const uint32_t a = row.alphaSum[size_t(X - rx + hi + 1)] - row.alphaSum[size_t(X - rx + lo)];
        GaussSums g;
        g.b = acc[0], g.g = acc[1], g.r = acc[2], g.w = acc[3], g.a = a, g.n = n;
        if (!g.ready())
            return false;
        colour = g.colour();
        return true;
    }

    // pixel() straight from the intermediate row's pixels.
    bool pixelAt(const sBGRA *row, int32_t X, uint32_t &colour) const
    {
        const int32_t lo = std::max(tLo, rx - X), hi = std::min(tHi, midX1 - midX0 - 1 - X + rx);
        if (hi < lo)
            return false;
        GaussSums g;
        for (int32_t t = lo; t <= hi; ++t) {
            const sBGRA c = row[X - rx + t];
            const uint32_t q = uint32_t(c.A) * cell[size_t(t)];
            g.b += q * c.B, g.g += q * c.G, g.r += q * c.R, g.w += q, g.a += c.A;
        }
        g.n = uint32_t(hi - lo + 1);
        if (!g.ready())
            return false;
        colour = g.colour();
        return true;
    }

    // The columns X whose taps tLo .. tHi all lie on the intermediate row: X0in .. X1in - 1.
    int32_t X0in() const { return rx - tLo; }
    int32_t X1in() const { return midX1 - midX0 + rx - tHi; }
};

// The columns the vertical pass sums at a time (its planes stay in the first-level cache).
constexpr int32_t kGaussChunk = 256;

#if KAVRIN_HAS_AVX2_LOOPS
// GaussSums::colour of eight pixels whose weight sums w are not 0 (other lanes are garbage):
// num div den for sums below 2^31, from a Single estimate that is off by at most one and then
// corrected with the exact remainder.
KAVRIN_TARGET_AVX2 inline __m256i gaussQuotient(__m256i num, __m256i den, __m256 denF)
{
    const __m256i q = _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(num), denF));
    const __m256i r = _mm256_sub_epi32(num, _mm256_mullo_epi32(q, den));
    const __m256i less = _mm256_cmpgt_epi32(_mm256_setzero_si256(), r);            // r < 0
    const __m256i more = _mm256_xor_si256(_mm256_cmpgt_epi32(den, r), _mm256_set1_epi32(-1)); // r >= den
    return _mm256_and_si256(_mm256_sub_epi32(_mm256_add_epi32(q, less), more), _mm256_set1_epi32(0xFF));
}

// The colours of eight pixels from their sums (GaussSums::colour; n the tap count, not 0), and
// 0 where the weight sum w is 0.
KAVRIN_TARGET_AVX2 inline __m256i gaussColours(__m256i b, __m256i g, __m256i r, __m256i w, __m256i a,
                                               __m256 nF)
{
    const __m256 wF = _mm256_cvtepi32_ps(w);
    const __m256i qa = _mm256_and_si256(
        _mm256_cvttps_epi32(_mm256_div_ps(_mm256_cvtepi32_ps(a), nF)), _mm256_set1_epi32(0xFF));
    const __m256i c = _mm256_or_si256(
        _mm256_or_si256(gaussQuotient(b, w, wF), _mm256_slli_epi32(gaussQuotient(g, w, wF), 8)),
        _mm256_or_si256(_mm256_slli_epi32(gaussQuotient(r, w, wF), 16), _mm256_slli_epi32(qa, 24)));
    return _mm256_andnot_si256(_mm256_cmpeq_epi32(w, _mm256_setzero_si256()), c);
}

// The vertical pass of one intermediate row with AVX2, eight pixels a register: per chunk of
// columns the planes of sums B A q, G A q, R A q, q (q = A cell, the same wrapping products as
// GaussSums) and the plain alpha sum, then the quotients. sums holds 5 kGaussChunk words.
KAVRIN_TARGET_AVX2 inline __m256i loadWords(const uint32_t *p)
{
    return _mm256_loadu_si256(reinterpret_cast<const __m256i *>(p));
}

KAVRIN_TARGET_AVX2 inline void addWords(uint32_t *p, __m256i v)
{
    _mm256_storeu_si256(reinterpret_cast<__m256i *>(p), _mm256_add_epi32(loadWords(p), v));
}

KAVRIN_TARGET_AVX2 void gaussColumnsAvx2(const TMTC &src, int32_t sy0, int32_t iw, int32_t y,
                                         int32_t h, const GaussSetup &s, uint32_t *sums, sBGRA *out)
{
    const __m256i ff = _mm256_set1_epi32(0xFF);
    uint32_t n = 0;
    for (int32_t t = 0; t <= 2 * s.ry; ++t) {
        const int32_t o = y - s.ry + t, i = h / 2 - s.ry + t;
        n += i >= 0 && i < h && o >= 0 && o < h ? 1 : 0;
    }
    if (n == 0) {
        std::fill(out, out + iw, sBGRA{.all = 0});
        return;
    }
    const __m256 nF = _mm256_set1_ps(float(n));
    for (int32_t x0 = 0; x0 < iw; x0 += kGaussChunk) {
        const int32_t m = std::min(kGaussChunk, iw - x0);
        uint32_t *sb = sums, *sg = sums + kGaussChunk, *sr = sums + 2 * kGaussChunk;
        uint32_t *sw = sums + 3 * kGaussChunk, *sa = sums + 4 * kGaussChunk;
        std::fill(sums, sums + 5 * kGaussChunk, 0u);
        for (int32_t t = 0; t <= 2 * s.ry; ++t) {
            const int32_t o = y - s.ry + t, i = h / 2 - s.ry + t;
            if (i < 0 || i >= h || o < 0 || o >= h)
                continue;
            const uint32_t cell = uint32_t(s.ky[size_t(i)] >> 5);
            const __m256i vc = _mm256_set1_epi32(int32_t(cell));
            const sBGRA *row = src.seek32(x0, o - sy0);
            int32_t x = 0;
            for (; x + 8 <= m; x += 8) {
                const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row + x));
                const __m256i a = _mm256_srli_epi32(v, 24);
                const __m256i q = _mm256_mullo_epi32(a, vc);
                addWords(sb + x, _mm256_mullo_epi32(q, _mm256_and_si256(v, ff)));
                addWords(sg + x, _mm256_mullo_epi32(q, _mm256_and_si256(_mm256_srli_epi32(v, 8), ff)));
                addWords(sr + x, _mm256_mullo_epi32(q, _mm256_and_si256(_mm256_srli_epi32(v, 16), ff)));
                addWords(sw + x, q);
                addWords(sa + x, a);
            }
            for (; x < m; ++x) {
                const sBGRA c = row[x];
                const uint32_t q = uint32_t(c.A) * cell;
                sb[x] += q * c.B, sg[x] += q * c.G, sr[x] += q * c.R, sw[x] += q, sa[x] += c.A;
            }
        }
        int32_t x = 0;
        for (; x + 8 <= m; x += 8) {
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + x0 + x),
                                gaussColours(loadWords(sb + x), loadWords(sg + x), loadWords(sr + x),
                                             loadWords(sw + x), loadWords(sa + x), nF));
        }
        for (; x < m; ++x) {
            GaussSums g;
            g.b = sb[x], g.g = sg[x], g.r = sr[x], g.w = sw[x], g.a = sa[x], g.n = n;
            out[x0 + x].all = g.ready() ? g.colour() : 0;
        }
    }
}
#else
void gaussColumnsAvx2(const TMTC &, int32_t, int32_t, int32_t, int32_t, const GaussSetup &,
                      uint32_t *, sBGRA *)
{
}
#endif

#if KAVRIN_HAS_AVX2_LOOPS
// Pair words of a row for the horizontal pass: word i holds entry i in its low half and entry
// i + 1 in its high half (the entry past the row is 0), so that one 16-bit multiply-add takes two
// taps. The products A C (at most 65025) are kept less 32768 to fit a signed half; the alpha
// words hold A. plane holds 4 planes of iw words: B, G, R, A.
KAVRIN_TARGET_AVX2 void gaussPairsAvx2(const sBGRA *row, int32_t iw, uint32_t *plane)
{
    const __m256i ff = _mm256_set1_epi32(0xFF), half = _mm256_set1_epi32(32768),
                  low = _mm256_set1_epi32(0xFFFF);
    int32_t i = 0;
    for (; i + 9 <= iw; i += 8) {
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row + i));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(row + i + 1));
        const __m256i a0 = _mm256_srli_epi32(v0, 24), a1 = _mm256_srli_epi32(v1, 24);
        for (int c = 0; c < 3; ++c) {
            const __m128i sh = _mm_cvtsi32_si128(8 * c);
            const __m256i e0 = _mm256_sub_epi32(
                _mm256_mullo_epi32(a0, _mm256_and_si256(_mm256_srl_epi32(v0, sh), ff)), half);
            const __m256i e1 = _mm256_sub_epi32(
                _mm256_mullo_epi32(a1, _mm256_and_si256(_mm256_srl_epi32(v1, sh), ff)), half);
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + size_t(c) * size_t(iw) + size_t(i)),
                                _mm256_or_si256(_mm256_and_si256(e0, low), _mm256_slli_epi32(e1, 16)));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(plane + 3 * size_t(iw) + size_t(i)),
                            _mm256_or_si256(a0, _mm256_slli_epi32(a1, 16)));
    }
    const auto entry = [&](int32_t j, int c) -> uint32_t {
        if (j >= iw)
            return 0;
        const sBGRA p = row[j];
        const uint8_t ch[3] = {p.B, p.G, p.R};
        return c == 3 ? p.A : (uint32_t(p.A) * ch[c] - 32768u) & 0xFFFFu;
    };
    for (; i < iw; ++i)
        for (int c = 0; c < 4; ++c)
            plane[size_t(c) * size_t(iw) + size_t(i)] = entry(i, c) | entry(i + 1, c) << 16;
}

// The horizontal pass for the columns X0 .. X1 - 1 of one intermediate row whose taps all lie on
// the row (a multiple of eight of them; the count is returned): colours into out, and ok[j] 0
// where a pixel has no weight. plane holds the row's pair words.
KAVRIN_TARGET_AVX2 int32_t gaussRowAvx2(const GaussRowKernel &k, const uint32_t *plane, int32_t iw,
                                        int32_t X0, int32_t X1, uint32_t *out, uint8_t *ok)
{
    const int32_t pairs = int32_t(k.cellPairs.size());
    const __m256i back = _mm256_set1_epi32(int32_t(k.back));
    const __m256 nF = _mm256_set1_ps(float(k.tHi - k.tLo + 1));
    const uint32_t *pb = plane, *pg = plane + iw, *pr = plane + 2 * size_t(iw), *pa = plane + 3 * size_t(iw);
    int32_t j = 0;
    for (; X0 + j + 8 <= X1; j += 8) {
        const int32_t base = X0 + j - k.rx + k.tLo;
        __m256i b = back, g = back, r = back, w = _mm256_setzero_si256(), a = w;
        for (int32_t q = 0; q < pairs; ++q) {
            const int32_t i = base + 2 * q;
            const __m256i cc = _mm256_set1_epi32(int32_t(k.cellPairs[size_t(q)]));
            const __m256i va = loadWords(pa + i);
            b = _mm256_add_epi32(b, _mm256_madd_epi16(loadWords(pb + i), cc));
            g = _mm256_add_epi32(g, _mm256_madd_epi16(loadWords(pg + i), cc));
            r = _mm256_add_epi32(r, _mm256_madd_epi16(loadWords(pr + i), cc));
            w = _mm256_add_epi32(w, _mm256_madd_epi16(va, cc));
            a = _mm256_add_epi32(a, _mm256_madd_epi16(va, _mm256_set1_epi32(int32_t(k.onePairs[size_t(q)]))));
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + j), gaussColours(b, g, r, w, a, nF));
        const int none = _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(w, _mm256_setzero_si256())));
        for (int e = 0; e < 8; ++e)
            ok[j + e] = uint8_t(((none >> e) & 1) == 0);
    }
    return j;
}
#else
void gaussPairsAvx2(const sBGRA *, int32_t, uint32_t *)
{
}
int32_t gaussRowAvx2(const GaussRowKernel &, const uint32_t *, int32_t, int32_t, int32_t, uint32_t *,
                     uint8_t *)
{
    return 0;
}
#endif

// One band's destination row of the horizontal pass: its colours and which pixels have weight.
struct GaussOutRow
{
    int32_t y = 0;
    bool ready = false;
    std::vector<uint32_t> plane, out;
    std::vector<uint8_t> ok;
    std::array<int32_t, CBlockVMTC::kUnit> weight{};
};

} // namespace

bool fltGaussianBlur(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp)
        return false;
    const float sigma = readRecord<sFltObj2>(argp).data0._float;
    if (!std::isfinite(sigma))
        return false;
    if (sigma <= 0) {
        p.unchanged = true;
        return true;
    }
    GaussSetup s;
    if (!gaussSetup(p, sigma, s))
        return false;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    const sRect &d = p.dstRect;
    const int32_t iw = s.mid.x1 - s.mid.x0, ih = d.y1 - d.y0;
    // The layer rows the vertical pass reads, copied once.
    const int32_t sy0 = std::max(0, d.y0 - s.ry), sy1 = std::min(h, d.y1 + s.ry);
    TMTC src, mid;
    if (!src.Resize(iw, sy1 - sy0) || !mid.Resize(iw, ih))
        return false;
    // Every pixel of mid is written by the vertical pass (transparent black without weight).
    parallelRanges(sy1 - sy0, 16, [&](int32_t r0, int32_t r1) {
        p.layerTC->bltTo(src, sPos{0, r0}, sBox{s.mid.x0, sy0 + r0, iw, r1 - r0}, 255, false);
    });

    // Vertical pass, tap rows outer so that each row of sums runs along memory; bands of rows
    // on the work threads (each writes its own rows of mid).
    const bool avx2 = simdUseAvx2();
    parallelRanges(ih, 16, [&](int32_t r0, int32_t r1) {
        std::vector<GaussSums> sums(static_cast<size_t>(iw));
        std::vector<uint32_t> wide(avx2 ? size_t(5 * kGaussChunk) : 0);
        for (int32_t y = d.y0 + r0; y < d.y0 + r1; ++y) {
            sBGRA *out = mid.seek32(0, y - d.y0);
            if (avx2) {
                gaussColumnsAvx2(src, sy0, iw, y, h, s, wide.data(), out);
                continue;
            }
            std::fill(sums.begin(), sums.end(), GaussSums{});
            for (int32_t t = 0; t <= 2 * s.ry; ++t) {
                const int32_t o = y - s.ry + t, i = h / 2 - s.ry + t;
                if (i < 0 || i >= h || o < 0 || o >= h)
                    continue;
                const sBGRA *row = src.seek32(0, o - sy0);
                for (int32_t x = 0; x < iw; ++x)
                    sums[size_t(x)].add(row[x], s.ky[size_t(i)]);
            }
            for (int32_t x = 0; x < iw; ++x)
                out[x].all = sums[size_t(x)].ready() ? sums[size_t(x)].colour() : 0;
        }
    });

    // Horizontal pass over the intermediate canvas, in bands of rows.
    const GaussRowKernel k(s, w);
    const fptrPixelPut4core put = filterPut(p);
    if (avx2) {
        // Destination columns whose taps all lie on the row go eight at a time.
        const int32_t in0 = std::clamp(s.mid.x0 + k.X0in(), d.x0, d.x1);
        const int32_t in1 = std::clamp(s.mid.x0 + k.X1in(), in0, d.x1);
        const auto compute = [&](GaussOutRow &o, int32_t y) {
            o.y = y, o.ready = true;
            const sBGRA *row = mid.seek32(0, y - d.y0);
            uint32_t *out = o.out.data();
            uint8_t *ok = o.ok.data();
            int32_t done = in0; // in0 .. done - 1 are worked out
            if (in1 - in0 >= 8) {
                gaussPairsAvx2(row, iw, o.plane.data());
                done += gaussRowAvx2(k, o.plane.data(), iw, in0 - s.mid.x0, in1 - s.mid.x0,
                                     out + (in0 - d.x0), ok + (in0 - d.x0));
            }
            for (int32_t c = d.x0; c < d.x1; ++c)
                if (c < in0 || c >= done)
                    ok[c - d.x0] = k.pixelAt(row, c - s.mid.x0, out[c - d.x0]);
        };
        return walkDstRunsBands(p, [&] {
            auto o = std::make_shared<GaussOutRow>();
            o->plane.resize(size_t(iw) * 4);
            o->out.resize(size_t(d.x1 - d.x0));
            o->ok.resize(size_t(d.x1 - d.x0));
            return [&, o](int32_t x0, int32_t y, int32_t n, sBGRA *px, const int32_t *weight) {
                if (!o->ready || o->y != y)
                    compute(*o, y);
                for (int32_t i = 0; i < n; ++i)
                    o->weight[size_t(i)] = o->ok[size_t(x0 - d.x0 + i)] ? weight[i] : 0;
                putRun(put, px, o->out.data() + (x0 - d.x0), o->weight.data(), n);
            };
        });
    }
    return walkDstRectBands(p, [&] {
        return [&, row = std::make_shared<GaussRow>()](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            if (row->y != y)
                row->load(mid, y - d.y0, y);
            uint32_t c;
            if (k.pixel(*row, x - s.mid.x0, c))
                put(&px, c, uint32_t(m));
        };
    });
}

bool gaussianBlurReference(sFlt4Params &p, float sigma)
{
    if (!checkFlt4Params(p) || !std::isfinite(sigma))
        return false;
    if (sigma <= 0)
        return true;
    GaussSetup s;
    if (!gaussSetup(p, sigma, s))
        return false;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    // The intermediate pixel (X, Y): transparent black unless some tap has weight.
    const auto intermediate = [&](int32_t X, int32_t Y) {
        GaussSums g;
        for (int32_t t = 0; t <= 2 * s.ry; ++t) {
            const int32_t o = Y - s.ry + t, i = h / 2 - s.ry + t;
            if (i >= 0 && i < h && o >= 0 && o < h && X >= 0 && X < w)
                g.add(sBGRA{.all = p.layerTC->getColor(X, o)}, s.ky[size_t(i)]);
        }
        return g.ready() ? sBGRA{.all = g.colour()} : sBGRA{.all = 0};
    };
    // The whole intermediate canvas first: the horizontal pass writes the layer it was read from.
    TMTC mid(s.mid.x1 - s.mid.x0, s.mid.y1 - s.mid.y0);
    for (int32_t y = s.mid.y0; y < s.mid.y1; ++y)
        for (int32_t x = s.mid.x0; x < s.mid.x1; ++x)
            *mid.seek32(x - s.mid.x0, y - s.mid.y0) = intermediate(x, y);
    const fptrPixelPut4core put = filterPut(p);
    return walkDstRectPlain(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        GaussSums g;
        for (int32_t t = 0; t <= 2 * s.rx; ++t) {
            const int32_t i = w / 2 - s.rx + t, q = x - s.rx + t;
            if (i >= 0 && i < w && q >= 0 && q < w && q >= s.mid.x0 && q < s.mid.x1)
                g.add(*mid.seek32(q - s.mid.x0, y - s.mid.y0), s.kx[size_t(i)]);
        }
        if (g.ready())
            put(&px, g.colour(), uint32_t(m));
    });
}

// ---------------------------------------------------------------------------------------------
// Motion blur

namespace {

// Positions farther out than half a pixel beyond the box all sample the same edge strip: holding
// them a pixel beyond keeps the 16.16 sums inside 32 bits.
int32_t boxPosition(int64_t v, int32_t hi)
{
    return int32_t(std::clamp<int64_t>(v, -0x10000, int64_t(hi) + 0x10000));
}

} // namespace

void motionPassArea(const TMTC &src, TMTC &dst, const sRect &region, int32_t dx, int32_t dy,
                    bool keepAlpha)
{
    CScaleImageTMTC scaler(&src, nullptr);
    scaler.srcSize = {src.width(), src.height()};
    const sRect box{0, 0, src.width() << 16, src.height() << 16};
    for (int32_t y = region.y0; y < region.y1; ++y)
        for (int32_t x = region.x0; x < region.x1; ++x) {
            const int64_t cx = (int64_t(x) << 16) + 0x8000, cy = (int64_t(y) << 16) + 0x8000;
            sBGRA c1, c2;
            sampleSquare(c1, scaler, mixColour, box,
                         sFXPos{boxPosition(cx + dx, box.x1), boxPosition(cy + dy, box.y1)});
            sampleSquare(c2, scaler, mixColour, box,
                         sFXPos{boxPosition(cx - dx, box.x1), boxPosition(cy - dy, box.y1)});
            sBGRA *t = dst.seek32(x, y);
            const uint32_t v = uint32_t(c1.A) + c2.A;
            if (!keepAlpha)
                t->A = uint8_t(std::min<uint32_t>(v >> 1, 255));
            if (v != 0) {
                const auto ch = [&](uint8_t a, uint8_t b) {
                    return uint8_t(std::min<uint32_t>((c1.A * uint32_t(a) + c2.A * uint32_t(b)) / v, 255));
                };
                t->B = ch(c1.B, c2.B);
                t->G = ch(c1.G, c2.G);
                t->R = ch(c1.R, c2.R);
            }
        }
}

void motionPassPair(const TMTC &src, TMTC &dst, const sRect &region, int32_t dx, int32_t dy,
                    bool keepAlpha, bool saturating)
{
    const int32_t w = src.width(), h = src.height();
    for (int32_t y = region.y0; y < region.y1; ++y)
        for (int32_t x = region.x0; x < region.x1; ++x) {
            const int64_t x16 = int64_t(x) << 16, y16 = int64_t(y) << 16;
            const int32_t x1 = clampFix(x16 + dx, w), y1 = clampFix(y16 + dy, h);
            const int32_t x2 = clampFix(x16 - dx, w), y2 = clampFix(y16 - dy, h);
            uint32_t v = saturating ? samplePairClampSat(src, x1, y1, x2, y2)
                                    : samplePairClamp(src, x1, y1, x2, y2);
            sBGRA *t = dst.seek32(x, y);
            if (keepAlpha)
                v = (v & 0x00FFFFFFu) | (t->all & 0xFF000000u);
            t->all = v;
        }
}

namespace {

// The rows of region, in bands on the work threads for the fast form: every pass reads one
// canvas and writes the other, so its rows are independent.
template <class Rows> void passRows(eWalk walk, const sRect &region, Rows rows)
{
    if (walk == eWalk::Plain || region.y1 - region.y0 <= 1) {
        rows(region);
        return;
    }
    parallelRanges(region.y1 - region.y0, 8, [&](int32_t r0, int32_t r1) {
        rows(sRect{region.x0, region.y0 + r0, region.x1, region.y0 + r1});
    });
}

// Both canvases start as the flow's pixels; the copies are split into bands too. The fast form
// copies only area (the part of the layer the passes can read), the plain one everything.
bool flowCopies(eWalk walk, const sFlt4Params &p, TMTC &a, TMTC &b, const sRect &area)
{
    if (walk == eWalk::Plain)
        return flowCopy(p, a) && flowCopy(p, b);
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    if (!a.Resize(w, h) || !b.Resize(w, h))
        return false;
    passRows(walk, area, [&](const sRect &band) {
        a.copyArea(*p.flowTC, band.p0(), rectToBox(band));
        b.copyArea(*p.flowTC, band.p0(), rectToBox(band));
    });
    return true;
}

// Every destination pixel with weight m > 0 receives the canvas pixel by the layerPrt put.
bool putCanvas(eWalk walk, sFlt4Params &p, const TMTC &tc)
{
    const fptrPixelPut4core put = filterPut(p);
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            put(&px, tc.getColor(x, y), uint32_t(m));
        };
    });
}

bool motionBlur(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp || !fixAddressable(p))
        return false;
    const auto r = readRecord<sFltObj2>(argp);
    const uint8_t distance = r.data0.b0, method = r.data0.b1;
    const float degrees = method == 0 ? r.data1._float : -float(r.data0.s1);
    if (!std::isfinite(degrees))
        return false;
    if (distance == 0) {
        p.unchanged = true;
        return true;
    }
    const long double theta = degrees * std::numbers::pi_v<long double> / 180;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    // Two canvases of the layer's size stand in for the flow image during the passes, so the
    // flow image itself is never changed.
    // Every pass reads no farther than its reach and a pixel from the pixels it writes, which lie
    // within its reach of the destination; the first pass reaches farthest.
    const std::vector<float> lengths = passLengths(distance);
    int32_t farX = 0, farY = 0;
    for (const float hl : lengths) {
        farX = std::max(farX, fixReach(floatToFix(float(hl * std::cos(theta)))));
        farY = std::max(farY, fixReach(floatToFix(float(hl * std::sin(theta)))));
    }
    TMTC a, b;
    if (!flowCopies(walk, p, a, b, grownRegion(p.dstRect, 2 * farX + 4, 2 * farY + 4, w, h)))
        return false;
    TMTC *src = &a, *dst = &b;
    for (const float hl : lengths) {
        const int32_t dx = floatToFix(float(hl * std::cos(theta)));
        const int32_t dy = floatToFix(float(hl * std::sin(theta)));
        const sRect region = grownRegion(p.dstRect, fixReach(dx), fixReach(dy), w, h);
        if (method == 0) {
            // The pass samples the previous result and writes an intermediate canvas that is
            // then copied back into the sampled one.
            passRows(walk, region, [&](const sRect &band) {
                motionPassArea(*src, *dst, band, dx, dy, p.layerPrt);
            });
            passRows(walk, region,
                     [&](const sRect &band) { src->copyArea(*dst, band.p0(), rectToBox(band)); });
        } else {
            passRows(walk, region, [&](const sRect &band) {
                motionPassPair(*src, *dst, band, dx, dy, p.layerPrt, method == 2);
            });
            std::swap(src, dst);
        }
    }
    return putCanvas(walk, p, *src);
}

bool radialBlur(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!checkFilterFrame(p, args, kFltObj2Size) || !argp || !fixAddressable(p))
        return false;
    const auto r = readRecord<sFltObj2>(argp);
    const uint8_t amount = r.data1.b0;
    const bool saturating = r.data1.b2 == 1;
    const sRect &mr = p.maskRect;
    const float diag = float(std::sqrt((long double)(mr.x1 - mr.x0) * (mr.x1 - mr.x0) +
                                       (long double)(mr.y1 - mr.y0) * (mr.y1 - mr.y0)));
    if (amount == 0 || diag == 0) {
        p.unchanged = true;
        return true;
    }
    // The centre in 16.16, with the 32-bit wrap of its Integer arithmetic.
    const int32_t cx = int32_t((uint32_t(int32_t(r.data0.s0)) << 16) +
                               uint32_t(mr.x0 + mr.x1 - 1) * 0x8000u);
    const int32_t cy = int32_t((uint32_t(int32_t(r.data0.s1)) << 16) +
                               uint32_t(mr.y0 + mr.y1 - 1) * 0x8000u);
    const float k = float(65536.0L / diag);
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    TMTC a, b;
    if (!flowCopies(walk, p, a, b, {0, 0, w, h}))
        return false;
    TMTC *src = &a, *dst = &b;
    for (const float hl : passLengths(amount)) {
        const int32_t v = int32_t(std::ceil(hl));
        const sRect region = grownRegion(p.dstRect, v, v, w, h);
        const int32_t s = roundSingle(float((long double)hl * k));
        passRows(walk, region, [&](const sRect &band) {
            for (int32_t y = band.y0; y < band.y1; ++y) {
                const int32_t y16 = y << 16;
                const int32_t fy = fixMul(int32_t(uint32_t(y16) - uint32_t(cy)), s);
                const int32_t oy = clampFix(int64_t(y16) + fy, h),
                              iy = clampFix(int64_t(y16) - fy, h);
                for (int32_t x = region.x0; x < region.x1; ++x) {
                    const int32_t x16 = x << 16;
                    const int32_t fx = fixMul(int32_t(uint32_t(x16) - uint32_t(cx)), s);
                    const int32_t ox = clampFix(int64_t(x16) + fx, w),
                                  ix = clampFix(int64_t(x16) - fx, w);
                    uint32_t c = saturating ? samplePairClampSat(*src, ox, oy, ix, iy)
                                            : samplePairClamp(*src, ox, oy, ix, iy);
                    sBGRA *t = dst->seek32(x, y);
                    if (p.layerPrt)
                        c = (c & 0x00FFFFFFu) | (t->all & 0xFF000000u);
                    t->all = c;
                }
            }
        });
        std::swap(src, dst);
    }
    return putCanvas(walk, p, *src);
}

} // namespace

bool fltMotionBlur(sFlt4Params &p, const void *argp, int32_t args)
{
    return motionBlur(p, argp, args, eWalk::Fast);
}

bool fltMotionBlurReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return motionBlur(p, argp, args, eWalk::Plain);
}

// ---------------------------------------------------------------------------------------------
// Radial blur

bool fltRadialBlur(sFlt4Params &p, const void *argp, int32_t args)
{
    return radialBlur(p, argp, args, eWalk::Fast);
}

bool fltRadialBlurReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return radialBlur(p, argp, args, eWalk::Plain);
}
