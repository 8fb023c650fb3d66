// Every function here carries the AVX2 target attribute and nothing else in the program does, so
// no AVX2 instruction can reach a processor without it: the callers test simdUseAvx2() first.
// The arithmetic is that of the SSE2 loops in blend_modes.cpp, lane for lane; AVX2's unpack and
// pack instructions work within each 128-bit half, so both halves are the SSE2 loop's register.
#include "core/pixel/blend_rows_avx2.h"

#include "core/pixel/simd_level.h"

#if KAVRIN_HAS_AVX2_LOOPS

#include <immintrin.h>

namespace {

using V = __m256i;

KAVRIN_TARGET_AVX2 inline V load8(const void *p)
{
    return _mm256_loadu_si256(static_cast<const V *>(p));
}
KAVRIN_TARGET_AVX2 inline void store8(void *p, V v)
{
    _mm256_storeu_si256(static_cast<V *>(p), v);
}

// x div 255 for x up to 66051 in 16-bit lanes: the high half of x * 32897 shifted by 7.
KAVRIN_TARGET_AVX2 inline V div255ByProduct(V x)
{
    return _mm256_srli_epi16(_mm256_mulhi_epu16(x, _mm256_set1_epi16(int16_t(32897))), 7);
}

// x div 255 for x up to 65025, in 16-bit or 32-bit lanes: (x + 1 + (x >> 8)) >> 8.
KAVRIN_TARGET_AVX2 inline V div255Epi16(V x)
{
    const V one = _mm256_set1_epi16(1);
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_add_epi16(x, one), _mm256_srli_epi16(x, 8)),
                             8);
}
KAVRIN_TARGET_AVX2 inline V div255Epi32(V x)
{
    const V one = _mm256_set1_epi32(1);
    return _mm256_srli_epi32(_mm256_add_epi32(_mm256_add_epi32(x, one), _mm256_srli_epi32(x, 8)),
                             8);
}

// Eight pixels of c t + d (255 - t) div 255 per lane, tv and uv the weights per 16-bit lane.
KAVRIN_TARGET_AVX2 inline V mixEight(V c, V d, V tv, V uv)
{
    const V zero = _mm256_setzero_si256();
    const V lo = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(c, zero), tv),
                                  _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), uv));
    const V hi = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(c, zero), tv),
                                  _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), uv));
    return _mm256_packus_epi16(div255ByProduct(lo), div255ByProduct(hi));
}

// The weights of the colour lanes: the source's alpha (lane 3 of each pixel) times av, divided by
// 255; the alpha lanes 0.
KAVRIN_TARGET_AVX2 inline V sourceAlphaWeights(V w, V av)
{
    const V alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(w, _MM_SHUFFLE(3, 3, 3, 3)),
                                           _MM_SHUFFLE(3, 3, 3, 3));
    const V colourLanes =
        _mm256_set_epi16(0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1, 0, -1, -1, -1);
    return _mm256_and_si256(div255ByProduct(_mm256_mullo_epi16(alpha, av)), colourLanes);
}

KAVRIN_TARGET_AVX2 inline V mixEightBySourceAlpha(V c, V d, V av)
{
    const V zero = _mm256_setzero_si256();
    const V full = _mm256_set1_epi16(255);
    const V cl = _mm256_unpacklo_epi8(c, zero), ch = _mm256_unpackhi_epi8(c, zero);
    const V tl = sourceAlphaWeights(cl, av), th = sourceAlphaWeights(ch, av);
    const V lo = _mm256_add_epi16(
        _mm256_mullo_epi16(cl, tl),
        _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(full, tl)));
    const V hi = _mm256_add_epi16(
        _mm256_mullo_epi16(ch, th),
        _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(full, th)));
    return _mm256_packus_epi16(div255ByProduct(lo), div255ByProduct(hi));
}

// Each of the two 32-bit lanes of a 64-bit pair (below 2^16) spread over its pixel's four
// 16-bit lanes.
KAVRIN_TARGET_AVX2 inline V spreadPair(V v)
{
    return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, 0x00), 0x00);
}

// pixelPutOver on eight pixels, as putOver4 in blend_modes.cpp: na = dA + mul255(a, 255 - dA),
// t = a * 255 div na as the truncated Single quotient (exact here), the colour mixed at t.
KAVRIN_TARGET_AVX2 inline void putOver8(sBGRA *dst, V c16, V a32)
{
    const V zero = _mm256_setzero_si256();
    const V k255 = _mm256_set1_epi32(255);
    const V d = load8(dst);
    const V dA = _mm256_srli_epi32(d, 24);
    const V na =
        _mm256_add_epi32(dA, div255Epi32(_mm256_mullo_epi16(a32, _mm256_sub_epi32(k255, dA))));
    const V den = _mm256_sub_epi32(na, _mm256_cmpeq_epi32(na, zero));
    const __m256 q =
        _mm256_div_ps(_mm256_cvtepi32_ps(_mm256_mullo_epi16(a32, k255)), _mm256_cvtepi32_ps(den));
    const V t = _mm256_cvttps_epi32(q);
    const V tLo = spreadPair(_mm256_unpacklo_epi32(t, t));
    const V tHi = spreadPair(_mm256_unpackhi_epi32(t, t));
    const V k255w = _mm256_set1_epi16(255);
    const V dLo = _mm256_unpacklo_epi8(d, zero), dHi = _mm256_unpackhi_epi8(d, zero);
    const V xLo = _mm256_add_epi16(_mm256_mullo_epi16(c16, tLo),
                                   _mm256_mullo_epi16(dLo, _mm256_sub_epi16(k255w, tLo)));
    const V xHi = _mm256_add_epi16(_mm256_mullo_epi16(c16, tHi),
                                   _mm256_mullo_epi16(dHi, _mm256_sub_epi16(k255w, tHi)));
    const V bgr = _mm256_and_si256(_mm256_packus_epi16(div255Epi16(xLo), div255Epi16(xHi)),
                                   _mm256_set1_epi32(0x00FFFFFF));
    store8(dst, _mm256_or_si256(bgr, _mm256_slli_epi32(na, 24)));
}

} // namespace

KAVRIN_TARGET_AVX2 int rowCopyColourAvx2(uint32_t *dst, const uint32_t *src, int n) noexcept
{
    const V colour = _mm256_set1_epi32(0x00FFFFFF);
    int i = 0;
    for (; i + 8 <= n; i += 8)
        store8(dst + i, _mm256_or_si256(_mm256_and_si256(load8(src + i), colour),
                                        _mm256_andnot_si256(colour, load8(dst + i))));
    return i;
}

KAVRIN_TARGET_AVX2 int rowMixAvx2(uint32_t *dst, const uint32_t *src, int n, uint32_t t) noexcept
{
    const auto tw = int16_t(t), uw = int16_t(255 - t);
    const V tv = _mm256_set_epi16(0, tw, tw, tw, 0, tw, tw, tw, 0, tw, tw, tw, 0, tw, tw, tw);
    const V uv =
        _mm256_set_epi16(255, uw, uw, uw, 255, uw, uw, uw, 255, uw, uw, uw, 255, uw, uw, uw);
    int i = 0;
    for (; i + 8 <= n; i += 8)
        store8(dst + i, mixEight(load8(src + i), load8(dst + i), tv, uv));
    return i;
}

KAVRIN_TARGET_AVX2 int rowMixBySourceAlphaAvx2(uint32_t *dst, const uint32_t *src, int n,
                                               uint32_t a) noexcept
{
    const V av = _mm256_set1_epi16(int16_t(a));
    int i = 0;
    for (; i + 8 <= n; i += 8)
        store8(dst + i, mixEightBySourceAlpha(load8(src + i), load8(dst + i), av));
    return i;
}

KAVRIN_TARGET_AVX2 int rowPutOverAlphasAvx2(sBGRA *dst, uint32_t col, const uint8_t *alpha,
                                            int n) noexcept
{
    const V c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int32_t(col)), _mm256_setzero_si256());
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        const __m128i a8 = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(alpha + i));
        putOver8(dst + i, c16, _mm256_cvtepu8_epi32(a8));
    }
    return i;
}

KAVRIN_TARGET_AVX2 int rowPutAlphaAlphasAvx2(sBGRA *dst, uint32_t col, const uint8_t *alpha,
                                             int n) noexcept
{
    const V zero = _mm256_setzero_si256();
    const V c16 = _mm256_unpacklo_epi8(_mm256_set1_epi32(int32_t(col)), zero);
    const V colourLanes = _mm256_set1_epi64x(0x0000FFFFFFFFFFFF);
    const V full = _mm256_set1_epi16(255);
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        // Each pixel's opacity in its colour lanes: pixels 0, 1 | 4, 5 and 2, 3 | 6, 7, as the
        // unpacks below pair them.
        const __m128i a8 = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(alpha + i));
        V a = _mm256_cvtepu8_epi32(a8);
        a = _mm256_or_si256(a, _mm256_slli_epi32(a, 16));
        const V tLo = _mm256_and_si256(_mm256_unpacklo_epi32(a, a), colourLanes);
        const V tHi = _mm256_and_si256(_mm256_unpackhi_epi32(a, a), colourLanes);
        const V d = load8(dst + i);
        const V lo = _mm256_add_epi16(
            _mm256_mullo_epi16(c16, tLo),
            _mm256_mullo_epi16(_mm256_unpacklo_epi8(d, zero), _mm256_sub_epi16(full, tLo)));
        const V hi = _mm256_add_epi16(
            _mm256_mullo_epi16(c16, tHi),
            _mm256_mullo_epi16(_mm256_unpackhi_epi8(d, zero), _mm256_sub_epi16(full, tHi)));
        store8(dst + i, _mm256_packus_epi16(div255ByProduct(lo), div255ByProduct(hi)));
    }
    return i;
}

#else

int rowCopyColourAvx2(uint32_t *, const uint32_t *, int) noexcept
{
    return 0;
}
int rowMixAvx2(uint32_t *, const uint32_t *, int, uint32_t) noexcept
{
    return 0;
}
int rowMixBySourceAlphaAvx2(uint32_t *, const uint32_t *, int, uint32_t) noexcept
{
    return 0;
}
int rowPutOverAlphasAvx2(sBGRA *, uint32_t, const uint8_t *, int) noexcept
{
    return 0;
}
int rowPutAlphaAlphasAvx2(sBGRA *, uint32_t, const uint8_t *, int) noexcept
{
    return 0;
}

#endif
