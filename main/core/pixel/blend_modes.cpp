#include "core/pixel/blend_modes.h"
#include "core/base/numeric.h"

#include "core/pixel/blend_rows_avx2.h"
#include "core/pixel/simd_level.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

using Blend = uint32_t (*)(uint32_t d, uint32_t s);

// ---- Per-channel blends: d is the destination byte, s the source byte; results 0..255.

constexpr uint32_t blendScreen(uint32_t d, uint32_t s)
{
    return d + s - mul255(d, s);
}

// 2 d s / 255 below the middle, the inverted product above; x decides which.
constexpr uint32_t overlayOf(uint32_t x, uint32_t d, uint32_t s)
{
    if (x < 128)
        return 2 * d * s / 255;
    return (65025 - 2 * (255 - d) * (255 - s)) / 255;
}

constexpr uint32_t blendOverlay(uint32_t d, uint32_t s)
{
    return overlayOf(d, d, s);
}

constexpr uint32_t blendHardLight(uint32_t d, uint32_t s)
{
    return overlayOf(s, d, s);
}

// 16.16 product as the shared fixMul takes it: signed 64-bit product, arithmetic shift.
constexpr int32_t fixMulC(int32_t a, int32_t b)
{
    return int32_t((int64_t(a) * b) >> 16);
}

// round(sqrt(x / 65536) * 65536) = the integer nearest to sqrt(x * 65536). Ties cannot occur:
// n - (r + 1/2)^2 is never zero for integers n and r.
constexpr int32_t fixSqrtC(int32_t x)
{
    const uint64_t n = uint64_t(x) << 16;
    uint64_t r = 0;
    for (uint64_t bit = uint64_t(1) << 31; bit != 0; bit >>= 1)
        if ((r + bit) * (r + bit) <= n)
            r += bit;
    return int32_t(n - r * r > r ? r + 1 : r);
}

// The SoftLight curve D(d) for every byte: x = d / 255 in 16.16; sqrt(x) above 0.25, else
// ((16x - 12) x + 4) x; scaled back to a byte.
constexpr std::array<uint8_t, 256> makeSoftLightCurve()
{
    std::array<uint8_t, 256> t{};
    for (int32_t d = 0; d < 256; ++d) {
        const int32_t x = d * 65536 / 255;
        const int32_t v =
            x > 0x4000 ? fixSqrtC(x) : fixMulC(fixMulC(16 * x - 0xC0000, x) + 0x40000, x);
        t[size_t(d)] = uint8_t((v * 255) >> 16);
    }
    return t;
}
constexpr std::array<uint8_t, 256> kSoftLightCurve = makeSoftLightCurve();

constexpr uint32_t blendSoftLight(uint32_t d, uint32_t s)
{
    const int32_t di = int32_t(d), si = int32_t(s);
    if (s < 128)
        return clampByte((255 * di - (255 - 2 * si) * int32_t(mul255(d, 255 - d))) / 255);
    return clampByte((255 * di + (kSoftLightCurve[d] - di) * (2 * si - 255)) / 255);
}

uint32_t blendDifference(uint32_t d, uint32_t s)
{
    return uint32_t(std::abs(int32_t(d) - int32_t(s)));
}

constexpr uint32_t blendExclusion(uint32_t d, uint32_t s)
{
    return d + s - 2 * mul255(d, s);
}

constexpr uint32_t blendDarken(uint32_t d, uint32_t s)
{
    return std::min(d, s);
}

constexpr uint32_t blendLighten(uint32_t d, uint32_t s)
{
    return std::max(d, s);
}

constexpr uint32_t blendBurn(uint32_t d, uint32_t s)
{
    if (s == 0)
        return d == 255 ? 255 : 0;
    const uint32_t c = (255 - d) * 255 / s;
    return c < 255 ? 255 - c : 0;
}

constexpr uint32_t blendDodge(uint32_t d, uint32_t s)
{
    if (s == 255)
        return d > 0 ? 255 : 0;
    return std::min(d * 255 / (255 - s), 255u);
}

constexpr uint32_t blendVividLight(uint32_t d, uint32_t s)
{
    if (s >= 128) {
        if (s == 255)
            return 255;
        const uint32_t c = d * 255 / (255 - s);
        return c < 510 ? c / 2 : 255;
    }
    if (s == 0)
        return 0;
    const uint32_t c = (255 - d) * 255 / s;
    return c < 510 ? 255 - c / 2 : 0;
}

constexpr uint32_t blendLinearLight(uint32_t d, uint32_t s)
{
    return clampByte(int32_t(d + 2 * s) - 256);
}

constexpr uint32_t blendPinLight(uint32_t d, uint32_t s)
{
    return uint32_t(std::min(int32_t(2 * s), std::max(int32_t(d), int32_t(2 * s) - 255)));
}

// The blends that branch on their inputs or divide by one are looked up per (d, s) pair in tables
// built from their formulas at compile time: no mispredicted branch or division per channel.
template <Blend blend> constexpr std::array<uint8_t, 65536> tabulate()
{
    std::array<uint8_t, 65536> t{};
    for (uint32_t d = 0; d < 256; ++d)
        for (uint32_t s = 0; s < 256; ++s)
            t[d << 8 | s] = uint8_t(blend(d, s));
    return t;
}
constexpr std::array<uint8_t, 65536> kOverlayTable = tabulate<blendOverlay>();
constexpr std::array<uint8_t, 65536> kHardLightTable = tabulate<blendHardLight>();
constexpr std::array<uint8_t, 65536> kSoftLightTable = tabulate<blendSoftLight>();
constexpr std::array<uint8_t, 65536> kBurnTable = tabulate<blendBurn>();
constexpr std::array<uint8_t, 65536> kDodgeTable = tabulate<blendDodge>();
constexpr std::array<uint8_t, 65536> kVividLightTable = tabulate<blendVividLight>();

template <const std::array<uint8_t, 65536> &table> uint32_t lookUp(uint32_t d, uint32_t s)
{
    return table[d << 8 | s];
}

// fnPut of a per-channel mode: pixelPutAlpha of the blended colour.
template <Blend blend> void putBlended(sBGRA *dst, uint32_t col, uint32_t a)
{
    if (a == 0)
        return;
    const sBGRA s{.all = col};
    sBGRA b{.all = 0};
    b.B = uint8_t(blend(dst->B, s.B));
    b.G = uint8_t(blend(dst->G, s.G));
    b.R = uint8_t(blend(dst->R, s.R));
    pixelPutAlpha(dst, b.all, a);
}

// ---- Whole-colour modes.

uint32_t spreadOf(sBGRA p)
{
    return std::max({p.B, p.G, p.R}) - std::min({p.B, p.G, p.R});
}

uint32_t composeHue(sBGRA d, sBGRA s)
{
    return hslCompose(s.all, spreadOf(d), pixelLuma(d));
}

uint32_t composeSaturation(sBGRA d, sBGRA s)
{
    return hslCompose(d.all, spreadOf(s), pixelLuma(d));
}

uint32_t composeColor(sBGRA d, sBGRA s)
{
    return hslCompose(s.all, spreadOf(s), pixelLuma(d));
}

uint32_t composeLuminosity(sBGRA d, sBGRA s)
{
    return hslCompose(d.all, spreadOf(d), pixelLuma(s));
}

template <uint32_t (*compose)(sBGRA, sBGRA)> void putComposed(sBGRA *dst, uint32_t col, uint32_t a)
{
    if (a == 0)
        return;
    pixelPutAlpha(dst, compose(*dst, sBGRA{.all = col}), a);
}

// ---- Onto-transparent composites with closed formulas. f is the destination alpha,
// e = mul255(source alpha, a) and u = f + e - mul255(f, e) the alpha the destination takes; the
// channel formula gets (d, s, f, e, u) and its result is clamped to 0..255.

template <typename Channel> void composeOnTP(sBGRA *dst, uint32_t col, uint32_t a, Channel channel)
{
    const sBGRA s{.all = col};
    const int32_t f = dst->A, e = int32_t(mul255(s.A, a));
    const int32_t u = f + e - int32_t(mul255(uint32_t(f), uint32_t(e)));
    dst->A = uint8_t(u);
    if (u == 0)
        return;
    dst->B = uint8_t(clampByte(channel(dst->B, s.B, f, e, u)));
    dst->G = uint8_t(clampByte(channel(dst->G, s.G, f, e, u)));
    dst->R = uint8_t(clampByte(channel(dst->R, s.R, f, e, u)));
}

// The generic onto-transparent put of a mode: mixPixelEx with a constant parameter.
constexpr sTCMixParam genericMix(uint32_t c0, fptrPixelPut4core fnPut)
{
    return sTCMixParam{sBGRA{.all = c0}, 0, pixelPutAlpha, fnPut};
}

constexpr sTCMixParam kOverlayMix = genericMix(0x7F7F7F, putOverlay);
constexpr sTCMixParam kHardLightMix = genericMix(0x7F7F7F, putHardLight);
constexpr sTCMixParam kSoftLightMix = genericMix(0x7F7F7F, putSoftLight);
constexpr sTCMixParam kExclusionMix = genericMix(0, putExclusion);
constexpr sTCMixParam kBurnMix = genericMix(0xFFFFFF, putBurn);
constexpr sTCMixParam kDodgeMix = genericMix(0, putDodge);
constexpr sTCMixParam kHueMix = genericMix(0xFFFFFF, putHue);
constexpr sTCMixParam kSaturationMix = genericMix(0xFFFFFF, putSaturation);
constexpr sTCMixParam kColorMix = genericMix(0xFFFFFF, putColor);
constexpr sTCMixParam kLuminosityMix = genericMix(0xFFFFFF, putLuminosity);
constexpr sTCMixParam kSubNegMix = genericMix(0xFFFFFF, putSubNeg);
constexpr sTCMixParam kLinearLightMix = genericMix(0x7F7F7F, putLinearLight);
constexpr sTCMixParam kVividLightMix = genericMix(0xFFFFFF, putVividLight);
constexpr sTCMixParam kPinLightMix = genericMix(0x7F7F7F, putPinLight);

// ---- The per-mode table.

constexpr bsMixTypeFlag kComplexNeutral = mtfComplex | mtfNeutral;
constexpr bsMixTypeFlag kGrayNeutral = mtfComplex | mtfInitGray | mtfNeutral;
constexpr bsMixTypeFlag kHLS = mtfComplex | mtfInitSrc | mtfHLS;

constexpr SBlendModeRow row(TLayerMode mode, fptrPixelPut4core fnPut, fptrPixelPut4core fnPutA,
                            fptrPixelPut4core onTP, uint32_t c0, uint32_t bg, bsMixTypeFlag flags)
{
    return SBlendModeRow{mode, fnPut, fnPutA, onTP, sBGRA{.all = c0}, sBGRA{.all = bg}, flags};
}

using enum TLayerMode;
constexpr std::array<SBlendModeRow, size_t(LM_MAX_NUM)> kBlendModes = {
    row(LM_MUL, pixelPutMul, pixelPutMulA, pixelMergeMul, 0xFFFFFF, 0xFFFFFF, mtfNeutral),
    row(LM_ADD, pixelPutAdd, pixelPutAddA, pixelMergeAdd, 0, 0, mtfNeutral),
    row(LM_SUB, pixelPutSub, pixelPutSubA, pixelMergeAdd, 0xFFFFFF, 0, mtfNega | mtfNeutral),
    row(LM_STD, pixelPutAlpha, pixelPutSrcAlpha, pixelMergeStd, 0, 0xFFFFFF, 0),
    row(LM_SCR, putScreen, putScreenA, putScreenOnTP, 0, 0, kComplexNeutral),
    row(LM_OVLY, putOverlay, putOverlayA, putOverlayOnTP, 0x7F7F7F, 0x7F7F7F, kGrayNeutral),
    row(LM_HARDLIGHT, putHardLight, putHardLightA, putHardLightOnTP, 0x7F7F7F, 0x7F7F7F,
        kGrayNeutral),
    row(LM_SOFTLIGHT, putSoftLight, putSoftLightA, putSoftLightOnTP, 0x7F7F7F, 0x7F7F7F,
        kGrayNeutral),
    row(LM_DIF, putDifference, putDifferenceA, putDifferenceOnTP, 0, 0, kComplexNeutral),
    row(LM_EXCLUSION, putExclusion, putExclusionA, putExclusionOnTP, 0, 0, kComplexNeutral),
    row(LM_DARK, putDarken, putDarkenA, putDarkenOnTP, 0xFFFFFF, 0xFFFFFF, kComplexNeutral),
    row(LM_LIGHT, putLighten, putLightenA, putLightenOnTP, 0, 0, kComplexNeutral),
    row(LM_BURN, putBurn, putBurnA, putBurnOnTP, 0xFFFFFF, 0xFFFFFF, kComplexNeutral),
    row(LM_DODGE, putDodge, putDodgeA, putDodgeOnTP, 0, 0, kComplexNeutral),
    row(LM_HUE, putHue, putHueA, putHueOnTP, 0xFFFFFF, 0, kHLS),
    row(LM_SATURATION, putSaturation, putSaturationA, putSaturationOnTP, 0xFFFFFF, 0, kHLS),
    row(LM_COLOR, putColor, putColorA, putColorOnTP, 0xFFFFFF, 0, kHLS),
    row(LM_LUMINOSITY, putLuminosity, putLuminosityA, putLuminosityOnTP, 0xFFFFFF, 0, kHLS),
    row(LM_SUBNEG, putSubNeg, putSubNegA, putSubNegOnTP, 0xFFFFFF, 0xFFFFFF, mtfNeutral),
    row(LM_LINEARLIGHT, putLinearLight, putLinearLightA, putLinearLightOnTP, 0x7F7F7F, 0x7F7F7F,
        kGrayNeutral),
    row(LM_VIVIDLIGHT, putVividLight, putVividLightA, putVividLightOnTP, 0xFFFFFF, 0xFFFFFF,
        mtfComplex),
    row(LM_PINLIGHT, putPinLight, putPinLightA, putPinLightOnTP, 0x7F7F7F, 0x7F7F7F, kGrayNeutral),
};

constexpr bool rowsInModeOrder()
{
    for (size_t i = 0; i < kBlendModes.size(); ++i)
        if (size_t(kBlendModes[i].mode) != i)
            return false;
    return true;
}
static_assert(rowsInModeOrder(), "one row per mode, in the order of the stored numbers");

} // namespace

std::optional<TLayerMode> layerModeFromByte(uint32_t v) noexcept
{
    const uint32_t m = v & 0x7F;
    if (m >= uint32_t(LM_MAX_NUM))
        return std::nullopt;
    return TLayerMode(m);
}

const SBlendModeRow *getBlendModeRow(TLayerMode mode) noexcept
{
    const auto m = layerModeFromByte(uint32_t(mode));
    return m ? &kBlendModes[size_t(*m)] : nullptr;
}

std::optional<uint32_t> getLayerModeBgColor(TLayerMode mode) noexcept
{
    const SBlendModeRow *r = getBlendModeRow(mode);
    if (r == nullptr)
        return std::nullopt;
    return r->bg.all;
}

uint32_t hslCompose(uint32_t c, uint32_t sat, uint32_t lum) noexcept
{
    const sBGRA p{.all = c};
    const int32_t mn = std::min({p.B, p.G, p.R}), mx = std::max({p.B, p.G, p.R});
    const int32_t L = int32_t(lum), S = int32_t(sat);
    int32_t v[3] = {p.B, p.G, p.R}; // B, G, R
    if (S == 0 || mx == mn) {
        v[0] = v[1] = v[2] = L;
    } else {
        for (int32_t &x : v)
            x = (x - mn) * S / (mx - mn);
        const int32_t m = int32_t(lumaOf(uint32_t(v[2]), uint32_t(v[1]), uint32_t(v[0])));
        const int32_t delta = L - m;
        if (mx + delta <= 255) {
            // m > L >= 0 whenever delta < 0, so the division is safe.
            for (int32_t &x : v)
                x = delta < 0 ? x * L / m : x + delta;
        } else {
            int32_t r =
                int32_t(lumaOf(uint32_t(mx - v[2]), uint32_t(mx - v[1]), uint32_t(mx - v[0])));
            if (r < 2)
                r = 1;
            for (int32_t &x : v)
                x = 255 - (mx - x) * (255 - L) / r;
        }
    }
    sBGRA out{.all = c & 0xFF000000u};
    out.B = uint8_t(clampByte(v[0]));
    out.G = uint8_t(clampByte(v[1]));
    out.R = uint8_t(clampByte(v[2]));
    return out.all;
}

// ---- The first four modes.

void pixelPutSrcAlpha(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    pixelPutAlpha(dst, col, mul255(a, col >> 24));
}

void pixelPutMulA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    pixelPutMul(dst, col, mul255(a, col >> 24));
}

void pixelPutAddA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    pixelPutAdd(dst, col, mul255(a, col >> 24));
}

void pixelPutSubA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    pixelPutSub(dst, col, mul255(a, col >> 24));
}

void pixelPutOverPlain(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    if (a == 0)
        return;
    if (a >= 255) {
        dst->all = col | 0xFF000000u;
        return;
    }
    const uint32_t dA = dst->A;
    if (dA == 255) {
        pixelPutAlpha(dst, col, a);
        return;
    }
    const uint32_t na = dA + mul255(a, 255 - dA);
    dst->A = uint8_t(na);
    pixelPutAlpha(dst, col, a * 255 / na);
}

#if defined(__SSE2__)
namespace {

// x div 255 in each 16-bit (or 32-bit) lane, for x up to 65025: (x + 1 + (x >> 8)) >> 8.
inline __m128i div255Epi16(__m128i x)
{
    const __m128i one = _mm_set1_epi16(1);
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(x, one), _mm_srli_epi16(x, 8)), 8);
}
inline __m128i div255Epi32(__m128i x)
{
    const __m128i one = _mm_set1_epi32(1);
    return _mm_srli_epi32(_mm_add_epi32(_mm_add_epi32(x, one), _mm_srli_epi32(x, 8)), 8);
}

// Each of two 32-bit lanes (below 2^16) spread over its pixel's four 16-bit lanes.
inline __m128i spreadPair(__m128i v)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0x00), 0x00);
}

// pixelPutOver on four pixels. Per pixel: na = dA + mul255(a, 255 - dA) and t = a * 255 div na,
// the quotient as the truncated Single quotient: both operands are exact, and a quotient that
// is not whole lies at least 1 / 255 below the next whole number, far beyond the rounding of a
// Single below 256 (2^-16); na = 0 (only with a = 0, so a 0 dividend) divides by 1. Each channel
// is (c t + d (255 - t)) div 255 in 16-bit lanes (at most 65025).
inline void putOver4(sBGRA *dst, __m128i c16, __m128i a32)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i k255 = _mm_set1_epi32(255);
    __m128i d;
    std::memcpy(&d, dst, sizeof d);
    const __m128i dA = _mm_srli_epi32(d, 24);
    const __m128i na =
        _mm_add_epi32(dA, div255Epi32(_mm_mullo_epi16(a32, _mm_sub_epi32(k255, dA))));
    const __m128i den = _mm_sub_epi32(na, _mm_cmpeq_epi32(na, zero));
    const __m128 q = _mm_div_ps(_mm_cvtepi32_ps(_mm_mullo_epi16(a32, k255)), _mm_cvtepi32_ps(den));
    const __m128i t = _mm_cvttps_epi32(q);
    const __m128i tLo = spreadPair(_mm_unpacklo_epi32(t, t));
    const __m128i tHi = spreadPair(_mm_unpackhi_epi32(t, t));
    const __m128i k255w = _mm_set1_epi16(255);
    const __m128i dLo = _mm_unpacklo_epi8(d, zero), dHi = _mm_unpackhi_epi8(d, zero);
    const __m128i xLo =
        _mm_add_epi16(_mm_mullo_epi16(c16, tLo), _mm_mullo_epi16(dLo, _mm_sub_epi16(k255w, tLo)));
    const __m128i xHi =
        _mm_add_epi16(_mm_mullo_epi16(c16, tHi), _mm_mullo_epi16(dHi, _mm_sub_epi16(k255w, tHi)));
    const __m128i bgr = _mm_and_si128(_mm_packus_epi16(div255Epi16(xLo), div255Epi16(xHi)),
                                      _mm_set1_epi32(0x00FFFFFF));
    const __m128i out = _mm_or_si128(bgr, _mm_slli_epi32(na, 24));
    std::memcpy(dst, &out, sizeof out);
}

} // namespace

void rowPutOverAlphas(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(int32_t(col)), zero);
    int i = simdUseAvx2() ? rowPutOverAlphasAvx2(dst, col, alpha, n) : 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t four;
        std::memcpy(&four, alpha + i, 4);
        const __m128i a8 = _mm_cvtsi32_si128(int32_t(four));
        const __m128i a32 = _mm_unpacklo_epi16(_mm_unpacklo_epi8(a8, zero), zero);
        putOver4(dst + i, c16, a32);
    }
    for (; i < n; ++i)
        pixelPutOver(dst + i, col, alpha[i]);
}

// pixelPutAlpha is mix255 of each colour channel at its opacity (0 gives the pixel back exactly,
// 255 the colour), the alpha kept: in 16-bit lanes c t + d (255 - t), at most 65025, divided
// exactly as in mixFourPixels, the alpha lanes weighted 0 and 255.
void rowPutAlphaAlphas(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i c16 = _mm_unpacklo_epi8(_mm_set1_epi32(int32_t(col)), zero);
    const __m128i colourLanes = _mm_set1_epi64x(0x0000FFFFFFFFFFFF);
    const __m128i full = _mm_set1_epi16(255), k = _mm_set1_epi16(int16_t(32897));
    int i = simdUseAvx2() ? rowPutAlphaAlphasAvx2(dst, col, alpha, n) : 0;
    for (; i + 4 <= n; i += 4) {
        uint32_t four;
        std::memcpy(&four, alpha + i, 4);
        __m128i a =
            _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int32_t(four)), zero), zero);
        a = _mm_or_si128(a, _mm_slli_epi32(a, 16));
        const __m128i tLo = _mm_and_si128(_mm_unpacklo_epi32(a, a), colourLanes);
        const __m128i tHi = _mm_and_si128(_mm_unpackhi_epi32(a, a), colourLanes);
        __m128i d;
        std::memcpy(&d, dst + i, sizeof d);
        __m128i lo =
            _mm_add_epi16(_mm_mullo_epi16(c16, tLo),
                          _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), _mm_sub_epi16(full, tLo)));
        __m128i hi =
            _mm_add_epi16(_mm_mullo_epi16(c16, tHi),
                          _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), _mm_sub_epi16(full, tHi)));
        lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, k), 7);
        hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, k), 7);
        const __m128i out = _mm_packus_epi16(lo, hi);
        std::memcpy(dst + i, &out, sizeof out);
    }
    for (; i < n; ++i)
        pixelPutAlpha(dst + i, col, alpha[i]);
}
#else
void rowPutOverAlphas(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        pixelPutOver(dst + i, col, alpha[i]);
}
void rowPutAlphaAlphas(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept
{
    for (int i = 0; i < n; ++i)
        pixelPutAlpha(dst + i, col, alpha[i]);
}
#endif

void pixelMergeStd(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    pixelPutOver(dst, col, mul255(col >> 24, a));
}

void pixelMergeMul(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    composeOnTP(dst, col, a, [](int32_t d, int32_t s, int32_t f, int32_t e, int32_t u) {
        const int32_t g = int32_t(mul255(uint32_t(f), uint32_t(e)));
        const int32_t ds = int32_t(mul255(uint32_t(d), uint32_t(s)));
        return (d * f + s * e - g * (s + d - ds)) / u;
    });
}

void pixelMergeAdd(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    const sBGRA s{.all = col};
    const uint32_t dA = dst->A, c = mul255(s.A, a);
    if (dA == 0 && c == 0)
        return;
    const uint32_t u = (dA > 0 && c > 0) ? 255 : dA + c - mul255(dA, c);
    auto channel = [&](uint8_t d, uint8_t sc) {
        return uint8_t(std::min((d * dA + sc * c) / u, 255u));
    };
    dst->B = channel(dst->B, s.B);
    dst->G = channel(dst->G, s.G);
    dst->R = channel(dst->R, s.R);
    dst->A = uint8_t(u);
}

// ---- Screen, Overlay, HardLight, SoftLight.

void putScreen(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendScreen>(dst, col, a);
}
void putScreenA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putScreen(dst, col, mul255(a, col >> 24));
}
void putScreenOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    composeOnTP(dst, col, a, [](int32_t d, int32_t s, int32_t f, int32_t e, int32_t u) {
        const int32_t g = int32_t(mul255(uint32_t(f), uint32_t(e)));
        return (d * f + e * s - g * int32_t(mul255(uint32_t(d), uint32_t(s)))) / u;
    });
}

void putOverlay(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<lookUp<kOverlayTable>>(dst, col, a);
}
void putOverlayA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putOverlay(dst, col, mul255(a, col >> 24));
}
void putOverlayOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kOverlayMix);
}

void putHardLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<lookUp<kHardLightTable>>(dst, col, a);
}
void putHardLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putHardLight(dst, col, mul255(a, col >> 24));
}
void putHardLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kHardLightMix);
}

void putSoftLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<lookUp<kSoftLightTable>>(dst, col, a);
}
void putSoftLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putSoftLight(dst, col, mul255(a, col >> 24));
}
void putSoftLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kSoftLightMix);
}

// ---- Difference, Exclusion, Darken, Lighten.

void putDifference(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendDifference>(dst, col, a);
}
void putDifferenceA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putDifference(dst, col, mul255(a, col >> 24));
}
void putDifferenceOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    composeOnTP(dst, col, a, [](int32_t d, int32_t s, int32_t f, int32_t e, int32_t u) {
        return (e * std::abs(255 * s - f * d) + (255 - e) * f * d) / (255 * u);
    });
}

void putExclusion(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendExclusion>(dst, col, a);
}
void putExclusionA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putExclusion(dst, col, mul255(a, col >> 24));
}
void putExclusionOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kExclusionMix);
}

void putDarken(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendDarken>(dst, col, a);
}
void putDarkenA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putDarken(dst, col, mul255(a, col >> 24));
}
void putDarkenOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    // The blend sees the destination as lying over white; the part of the source that does not
    // land on it keeps only the destination's own colour (d f), not that white, else a half-covered
    // source onto a transparent pixel would come out white.
    composeOnTP(dst, col, a, [](int32_t d, int32_t s, int32_t f, int32_t e, int32_t u) {
        const int32_t m = d * f + 255 * (255 - f);
        return (e * std::min(255 * s, m) + (255 - e) * f * d) / (255 * u);
    });
}

void putLighten(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendLighten>(dst, col, a);
}
void putLightenA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putLighten(dst, col, mul255(a, col >> 24));
}
void putLightenOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    composeOnTP(dst, col, a, [](int32_t d, int32_t s, int32_t f, int32_t e, int32_t u) {
        const int32_t m = d * f;
        return (e * std::max(255 * s, m) + (255 - e) * m) / (255 * u);
    });
}

// ---- Burn, Dodge.

void putBurn(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<lookUp<kBurnTable>>(dst, col, a);
}
void putBurnA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBurn(dst, col, mul255(a, col >> 24));
}
void putBurnOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kBurnMix);
}

void putDodge(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<lookUp<kDodgeTable>>(dst, col, a);
}
void putDodgeA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putDodge(dst, col, mul255(a, col >> 24));
}
void putDodgeOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kDodgeMix);
}

// ---- Hue, Saturation, Color, Luminosity.

void putHue(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putComposed<composeHue>(dst, col, a);
}
void putHueA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putHue(dst, col, mul255(a, col >> 24));
}
void putHueOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kHueMix);
}

void putSaturation(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putComposed<composeSaturation>(dst, col, a);
}
void putSaturationA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putSaturation(dst, col, mul255(a, col >> 24));
}
void putSaturationOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kSaturationMix);
}

void putColor(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putComposed<composeColor>(dst, col, a);
}
void putColorA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putColor(dst, col, mul255(a, col >> 24));
}
void putColorOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kColorMix);
}

void putLuminosity(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putComposed<composeLuminosity>(dst, col, a);
}
void putLuminosityA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putLuminosity(dst, col, mul255(a, col >> 24));
}
void putLuminosityOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kLuminosityMix);
}

// ---- SubNeg, LinearLight, VividLight, PinLight.

void putSubNeg(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    const sBGRA s{.all = col};
    auto channel = [a](uint8_t d, uint8_t sc) {
        const int32_t v = int32_t(d) - int32_t((a * 32897u * (255u - sc)) >> 23);
        return uint8_t(v < 0 ? 0 : v);
    };
    dst->B = channel(dst->B, s.B);
    dst->G = channel(dst->G, s.G);
    dst->R = channel(dst->R, s.R);
}
void putSubNegA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putSubNeg(dst, col, mul255(a, col >> 24));
}
void putSubNegOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kSubNegMix);
}

void putLinearLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendLinearLight>(dst, col, a);
}
void putLinearLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putLinearLight(dst, col, mul255(a, col >> 24));
}
void putLinearLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kLinearLightMix);
}

void putVividLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<lookUp<kVividLightTable>>(dst, col, a);
}
void putVividLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putVividLight(dst, col, mul255(a, col >> 24));
}
void putVividLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kVividLightMix);
}

void putPinLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putBlended<blendPinLight>(dst, col, a);
}
void putPinLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    putPinLight(dst, col, mul255(a, col >> 24));
}
void putPinLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    mixPixelEx(dst, col, a, kPinLightMix);
}

// ---- Rows of puts.

namespace {

// Exact x div 255 for 0 <= x <= 65534, two 16-bit lanes at once when the lanes are masked.
constexpr uint32_t div255Lanes(uint32_t x)
{
    return ((x + 0x00010001u + ((x >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
}

// pixelPutAlpha at opacity t for one pixel, red and blue in one 32-bit word: the same mix255 per
// channel (a weighted sum of at most 65025 per lane, divided exactly), without branches.
inline uint32_t mixPixelLanes(uint32_t c, uint32_t d, uint32_t t)
{
    const uint32_t u = 255 - t;
    const uint32_t rb = div255Lanes((c & 0x00FF00FFu) * t + (d & 0x00FF00FFu) * u);
    const uint32_t g = div255Lanes(((c >> 8) & 0xFFu) * t + ((d >> 8) & 0xFFu) * u);
    return (d & 0xFF000000u) | rb | (g << 8);
}

#if defined(__SSE2__)
// Four pixels of mixPixelLanes at opacity t in 16-bit lanes: every byte widened, c t + d (255 - t)
// formed per lane (at most 65025, so it fits), then divided by 255 as (x * 32897) >> 23 = the high
// half of x * 32897 shifted by 7, which is x div 255 for every x below 66052 (the error
// x * 127 / (255 * 2^23) stays under 1 / 255). The alpha lanes are weighted 0 and 255, which
// gives back the destination's alpha exactly.
inline __m128i mixFourPixels(__m128i c, __m128i d, __m128i tv, __m128i uv)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i k = _mm_set1_epi16(int16_t(32897));
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(c, zero), tv),
                               _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), uv));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(c, zero), tv),
                               _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), uv));
    lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, k), 7);
    hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, k), 7);
    return _mm_packus_epi16(lo, hi);
}
#endif

// The loops work on the pixels as 32-bit words (sBGRA's overlay `all`). The source row may be
// the destination row itself: every pixel is read before it is written.
void rowPutAlpha(sBGRA *dstRow, const sBGRA *srcRow, int n, uint32_t a, fptrPixelPut4core) noexcept
{
    if (a == 0)
        return;
    uint32_t *dst = &dstRow->all;
    const uint32_t *src = &srcRow->all;
    const uint32_t t = std::min(a, 255u);
    const bool avx2 = simdUseAvx2();
    int i = 0;
    if (t == 255) {
        // mix255 at 255 is the source byte: the colour with the destination's alpha.
        if (avx2)
            i = rowCopyColourAvx2(dst, src, n);
#if defined(__SSE2__)
        const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
        for (; i + 4 <= n; i += 4) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i),
                             _mm_or_si128(_mm_and_si128(c, colour), _mm_andnot_si128(colour, d)));
        }
#endif
        for (; i < n; ++i)
            dst[i] = (dst[i] & 0xFF000000u) | (src[i] & 0x00FFFFFFu);
        return;
    }
    if (avx2)
        i = rowMixAvx2(dst, src, n, t);
#if defined(__SSE2__)
    const auto tw = int16_t(t), uw = int16_t(255 - t);
    const __m128i tv = _mm_set_epi16(0, tw, tw, tw, 0, tw, tw, tw);
    const __m128i uv = _mm_set_epi16(255, uw, uw, uw, 255, uw, uw, uw);
    for (; i + 4 <= n; i += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), mixFourPixels(c, d, tv, uv));
    }
#endif
    for (; i < n; ++i)
        dst[i] = mixPixelLanes(src[i], dst[i], t);
}

#if defined(__SSE2__)
// Four pixels of mixPixelLanes at opacities div255(a * source alpha): the source's widened alpha
// spread over its pixel's lanes, times a (at most 65025, exact in 16 bits), divided exactly as in
// mixFourPixels; the alpha lanes weighted 0 and 255.
inline __m128i mixFourBySourceAlpha(__m128i c, __m128i d, __m128i av)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i k = _mm_set1_epi16(int16_t(32897));
    const __m128i colourLanes = _mm_set_epi16(0, -1, -1, -1, 0, -1, -1, -1);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i cl = _mm_unpacklo_epi8(c, zero), ch = _mm_unpackhi_epi8(c, zero);
    auto weights = [&](__m128i w) {
        const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(w, _MM_SHUFFLE(3, 3, 3, 3)),
                                                  _MM_SHUFFLE(3, 3, 3, 3));
        return _mm_and_si128(_mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(alpha, av), k), 7),
                             colourLanes);
    };
    const __m128i tl = weights(cl), th = weights(ch);
    __m128i lo = _mm_add_epi16(_mm_mullo_epi16(cl, tl), _mm_mullo_epi16(_mm_unpacklo_epi8(d, zero),
                                                                        _mm_sub_epi16(full, tl)));
    __m128i hi = _mm_add_epi16(_mm_mullo_epi16(ch, th), _mm_mullo_epi16(_mm_unpackhi_epi8(d, zero),
                                                                        _mm_sub_epi16(full, th)));
    lo = _mm_srli_epi16(_mm_mulhi_epu16(lo, k), 7);
    hi = _mm_srli_epi16(_mm_mulhi_epu16(hi, k), 7);
    return _mm_packus_epi16(lo, hi);
}
#endif

void rowPutSrcAlpha(sBGRA *dstRow, const sBGRA *srcRow, int n, uint32_t a,
                    fptrPixelPut4core) noexcept
{
    uint32_t *dst = &dstRow->all;
    const uint32_t *src = &srcRow->all;
    int i = simdUseAvx2() ? rowMixBySourceAlphaAvx2(dst, src, n, a) : 0;
#if defined(__SSE2__)
    const __m128i av = _mm_set1_epi16(int16_t(a));
    for (; i + 4 <= n; i += 4) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(src + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i *>(dst + i));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + i), mixFourBySourceAlpha(c, d, av));
    }
#endif
    for (; i < n; ++i)
        dst[i] = mixPixelLanes(src[i], dst[i], div255Lanes(a * (src[i] >> 24)));
}

template <void (*put)(sBGRA *, uint32_t, uint32_t) noexcept>
void rowOf(sBGRA *dst, const sBGRA *src, int n, uint32_t a, fptrPixelPut4core) noexcept
{
    for (int i = 0; i < n; ++i)
        put(dst + i, src[i].all, a);
}

struct RowEntry
{
    fptrPixelPut4core put;
    fptrPutRow row;
};

template <void (*put)(sBGRA *, uint32_t, uint32_t) noexcept> constexpr RowEntry entry()
{
    return RowEntry{put, rowOf<put>};
}

constexpr RowEntry kRows[] = {
    RowEntry{pixelPutAlpha, rowPutAlpha},
    RowEntry{pixelPutSrcAlpha, rowPutSrcAlpha},
    entry<pixelPutCopy>(),
    entry<pixelPutMul>(),
    entry<pixelPutAdd>(),
    entry<pixelPutSub>(),
    entry<pixelPutMulA>(),
    entry<pixelPutAddA>(),
    entry<pixelPutSubA>(),
    entry<pixelPutOver>(),
    entry<pixelMergeStd>(),
    entry<pixelMergeMul>(),
    entry<pixelMergeAdd>(),
    entry<putScreen>(),
    entry<putScreenA>(),
    entry<putScreenOnTP>(),
    entry<putOverlay>(),
    entry<putOverlayA>(),
    entry<putOverlayOnTP>(),
    entry<putHardLight>(),
    entry<putHardLightA>(),
    entry<putHardLightOnTP>(),
    entry<putSoftLight>(),
    entry<putSoftLightA>(),
    entry<putSoftLightOnTP>(),
    entry<putDifference>(),
    entry<putDifferenceA>(),
    entry<putDifferenceOnTP>(),
    entry<putExclusion>(),
    entry<putExclusionA>(),
    entry<putExclusionOnTP>(),
    entry<putDarken>(),
    entry<putDarkenA>(),
    entry<putDarkenOnTP>(),
    entry<putLighten>(),
    entry<putLightenA>(),
    entry<putLightenOnTP>(),
    entry<putBurn>(),
    entry<putBurnA>(),
    entry<putBurnOnTP>(),
    entry<putDodge>(),
    entry<putDodgeA>(),
    entry<putDodgeOnTP>(),
    entry<putHue>(),
    entry<putHueA>(),
    entry<putHueOnTP>(),
    entry<putSaturation>(),
    entry<putSaturationA>(),
    entry<putSaturationOnTP>(),
    entry<putColor>(),
    entry<putColorA>(),
    entry<putColorOnTP>(),
    entry<putLuminosity>(),
    entry<putLuminosityA>(),
    entry<putLuminosityOnTP>(),
    entry<putSubNeg>(),
    entry<putSubNegA>(),
    entry<putSubNegOnTP>(),
    entry<putLinearLight>(),
    entry<putLinearLightA>(),
    entry<putLinearLightOnTP>(),
    entry<putVividLight>(),
    entry<putVividLightA>(),
    entry<putVividLightOnTP>(),
    entry<putPinLight>(),
    entry<putPinLightA>(),
    entry<putPinLightOnTP>(),
};

} // namespace

void putRowPlain(sBGRA *dst, const sBGRA *src, int n, uint32_t a, fptrPixelPut4core put) noexcept
{
    for (int i = 0; i < n; ++i)
        put(dst + i, src[i].all, a);
}

fptrPutRow rowPutFor(fptrPixelPut4core put) noexcept
{
    for (const RowEntry &e : kRows)
        if (e.put == put)
            return e.row;
    return putRowPlain;
}
