// The 22 layer blend modes: their stored numbers, their pixel puts and the per-mode table.
//
// Three puts exist per mode, all of type fptrPixelPut4core (dst, col, a):
//   fnPut      dst's B, G, R := pixelPutAlpha(dst, blend(dst, col), a); the source alpha is ignored
//              and dst's alpha kept;
//   fnPutA     fnPut(dst, col, mul255(a, alpha of col)): the source alpha scales the opacity;
//   onto-transparent (…OnTP, pixelMerge…)  composes onto a destination with its own alpha f:
//              with e = mul255(alpha of col, a), dst's alpha becomes f + e - mul255(f, e) (the
//              standard merge rounds it as source-over does, the add merge makes any pixel that
//              both cover opaque); onto a
//              fully transparent pixel the result is col's colour with alpha e, onto an opaque one
//              it is the mode's fnPut at opacity e (except the subtract mode, whose merge adds, and
//              the multiply merge, which rounds once where pixelPutMul rounds twice).
// Per-channel blends work on the destination byte d and the source byte s.
#pragma once

#include "core/pixel/layer_mix.h"
#include "core/pixel/pixel.h"

#include <array>
#include <cstdint>
#include <optional>

// Stored in documents and events as one byte; the numbers never change.
enum class TLayerMode : uint8_t
{
    LM_MUL = 0,
    LM_ADD = 1,
    LM_SUB = 2,
    LM_STD = 3,
    LM_SCR = 4,
    LM_OVLY = 5,
    LM_HARDLIGHT = 6,
    LM_SOFTLIGHT = 7,
    LM_DIF = 8,
    LM_EXCLUSION = 9,
    LM_DARK = 10,
    LM_LIGHT = 11,
    LM_BURN = 12,
    LM_DODGE = 13,
    LM_HUE = 14,
    LM_SATURATION = 15,
    LM_COLOR = 16,
    LM_LUMINOSITY = 17,
    LM_SUBNEG = 18,
    LM_LINEARLIGHT = 19,
    LM_VIVIDLIGHT = 20,
    LM_PINLIGHT = 21,
    LM_MAX_NUM = 22, // the count
};

// A stored mode byte: its low 7 bits name the mode; values above 21 are refused.
std::optional<TLayerMode> layerModeFromByte(uint32_t v) noexcept;

// One row of the per-mode table.
struct SBlendModeRow
{
    TLayerMode mode;
    fptrPixelPut4core fnPut;
    fptrPixelPut4core fnPutA;
    fptrPixelPut4core fnPutOnTP; // onto a destination with its own alpha
    sBGRA c0;                    // neutral colour: leaves a destination unchanged, or nearly
    sBGRA bg;                    // background: the fill and clear colour of a layer of this mode
    bsMixTypeFlag flags;         // TMixTypeFlag bits
};

// The row of mode & 0x7F, or nullptr when that is above 21.
const SBlendModeRow *getBlendModeRow(TLayerMode mode) noexcept;
// The background colour of a mode (alpha byte 0), or nothing when mode & 0x7F is above 21.
std::optional<uint32_t> getLayerModeBgColor(TLayerMode mode) noexcept;

// hslCompose(c, sat, lum): the colour with c's hue, the saturation spread sat (a max - min of
// bytes) and the luminance lum (lumaOf); byte 3 of the result is c's byte 3.
uint32_t hslCompose(uint32_t c, uint32_t sat, uint32_t lum) noexcept;

// The standard, multiply, add and subtract modes' fnPutA: their fnPut at mul255(a, alpha of col).
void pixelPutSrcAlpha(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void pixelPutMulA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void pixelPutAddA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void pixelPutSubA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;

// Source-over onto a pixel with alpha dA: opacity 0 nothing; 255 the colour with alpha 255; onto an
// opaque pixel pixelPutAlpha; otherwise alpha := dA + mul255(a, 255 - dA) and the colour is put at
// a * 255 div that alpha. The straightforward form, kept as the reference of pixelPutOver.
void pixelPutOverPlain(sBGRA *dst, uint32_t col, uint32_t a) noexcept;

// kOverReciprocal[n] = ceil(2^24 / n) (0 for n = 0): (x * kOverReciprocal[n]) >> 24 is x div n
// for every x up to 255 * 255 and n up to 255, since the error x * (ceil(2^24 / n) - 2^24 / n)
// / 2^24 stays below 65025 / 2^24 < 1 / 255, under the least distance 1 / n from x / n to the
// next whole number.
inline constexpr std::array<uint32_t, 256> kOverReciprocal = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 1; n < 256; ++n)
        t[n] = ((uint32_t(1) << 24) + n - 1) / n;
    return t;
}();

// B, G, R of a pixel value in the 16-bit lanes 0, 1, 2 of a 64-bit word.
constexpr uint64_t spreadBGR(uint32_t p) noexcept
{
    return (p & 0xFFu) | uint64_t(p & 0xFF00u) << 8 | uint64_t(p & 0xFF0000u) << 16;
}

// pixelPutOverPlain without branches, for the same bytes at every (dst, col, a): the cases there
// are the general one at its ends. With na = dA + mul255(a, 255 - dA) and t = a * 255 div na,
// a = 255 (or more, taken as 255) gives na = 255 and t = 255, and mix255 at 255 is the colour;
// an opaque pixel gives na = 255 and t = a; a = 0 gives na = dA and t = 0 (the table's 0 for
// na = 0), and mix255 at 0 is the pixel. The division is the exact product with the reciprocal.
// The three mix255 are done at once in 16-bit lanes: each lane's c t + d (255 - t) is at most
// 65025, and x div 255 = (x + 1 + (x >> 8)) >> 8 for every x up to 65025.
inline void pixelPutOver(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    constexpr uint64_t kLow = 0x000000FF00FF00FFu, kOne = 0x0000000100010001u;
    a = a < 255 ? a : 255;
    const uint32_t d = dst->all;
    const uint32_t dA = d >> 24;
    const uint32_t na = dA + mul255(a, 255 - dA);
    const uint32_t t = uint32_t((uint64_t(a * 255) * kOverReciprocal[na]) >> 24);
    const uint64_t x = spreadBGR(col) * t + spreadBGR(d) * (255 - t);
    const uint64_t q = ((x + kOne + ((x >> 8) & kLow)) >> 8) & kLow;
    dst->all = (uint32_t(q | q >> 8) & 0xFFFFu) | (uint32_t(q >> 16) & 0xFF0000u) | na << 24;
}

// dst[i] := pixelPutOver(dst[i], col, alpha[i]) for i < n: a row of one colour at an opacity per
// pixel, four pixels at a time where the processor has 128-bit integer vectors.
void rowPutOverAlphas(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept;
// dst[i] := pixelPutAlpha(dst[i], col, alpha[i]) for i < n, likewise.
void rowPutAlphaAlphas(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept;

// Onto-transparent composites of the first four modes (the layer merge puts).
// Standard: pixelPutOver at opacity mul255(alpha of col, a).
void pixelMergeStd(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Multiply: g = mul255(f, e), u = f + e - g; channel = (d f + s e - g (s + d - mul255(d, s))) / u.
// Onto an opaque pixel it is the product rounded once, which can differ by one from pixelPutMul.
void pixelMergeMul(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Add and subtract (one composite): channel = (d f + s e) / u with u = f + e - mul255(f, e), taken
// as 255 whenever both alphas are non-zero. It adds the amounts, which is what merging a subtract
// layer into another subtract layer needs; onto an opaque pixel it is not pixelPutSub.
void pixelMergeAdd(sBGRA *dst, uint32_t col, uint32_t a) noexcept;

// Screen: d + s - mul255(d, s).
void putScreen(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putScreenA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// (d f + e s - mul255(f, e) mul255(d, s)) / u.
void putScreenOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Overlay: d < 128: 2 d s / 255; else (65025 - 2 (255 - d)(255 - s)) / 255.
void putOverlay(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putOverlayA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putOverlayOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// HardLight: Overlay with the roles of d and s exchanged in the test (the source decides).
void putHardLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putHardLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putHardLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// SoftLight: s < 128: (255 d - (255 - 2s) mul255(d, 255 - d)) / 255;
// else (255 d + (D(d) - d)(2s - 255)) / 255 with D(d) = sqrt(x) above x = 0.25, else
// ((16x - 12) x + 4) x, x = d / 255, in 16.16.
void putSoftLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putSoftLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putSoftLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Difference: |d - s|.
void putDifference(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putDifferenceA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// (e |255 s - f d| + (255 - e) f d) / (255 u).
void putDifferenceOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Exclusion: d + s - 2 mul255(d, s).
void putExclusion(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putExclusionA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putExclusionOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Darken: min(d, s).
void putDarken(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putDarkenA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// The destination blended as lying over white, m = d f + 255 (255 - f):
// (e min(255 s, m) + (255 - e) f d) / (255 u).
void putDarkenOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Lighten: max(d, s).
void putLighten(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putLightenA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// The destination as lying over black, m = d f: (e max(255 s, m) + (255 - e) m) / (255 u).
void putLightenOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Burn: s = 0: 255 when d = 255, else 0; otherwise c = (255 - d) 255 / s, 255 - c when c < 255,
// else 0.
void putBurn(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putBurnA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putBurnOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Dodge: s = 255: 255 when d > 0, else 0; otherwise min(d 255 / (255 - s), 255).
void putDodge(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putDodgeA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putDodgeOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Whole-colour modes through hslCompose (max and min over B, G, R; luminance by pixelLuma):
// Hue: (source, spread of the destination, luma of the destination).
void putHue(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putHueA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putHueOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Saturation: (destination, spread of the source, luma of the destination).
void putSaturation(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putSaturationA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putSaturationOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Color: (source, spread of the source, luma of the destination).
void putColor(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putColorA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putColorOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// Luminosity: (destination, spread of the destination, luma of the source).
void putLuminosity(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putLuminosityA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putLuminosityOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// SubNeg, not through pixelPutAlpha: channel = d - mul255(a, 255 - s), floored at 0.
void putSubNeg(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putSubNegA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putSubNegOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// LinearLight: clamp(d + 2s - 256, 0, 255); s = 128 is exactly neutral.
void putLinearLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putLinearLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putLinearLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// VividLight: s >= 128: 255 when s = 255, else c = d 255 / (255 - s), c / 2 when c < 510, else
// 255; s < 128: 0 when s = 0, else c = (255 - d) 255 / s, 255 - c / 2 when c < 510, else 0.
void putVividLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putVividLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putVividLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// PinLight: min(2s, max(d, 2s - 255)).
void putPinLight(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putPinLightA(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
void putPinLightOnTP(sBGRA *dst, uint32_t col, uint32_t a) noexcept;

// ---------------------------------------------------------------------------------------------
// Rows of puts. A row loop does dst[i] := put(dst[i], src[i].all, a) for i < n, exactly as
// calling put pixel by pixel; compositing loops fetch the loop for their put once per blit. The
// source row may be the destination row itself but must not otherwise overlap it; a is 0..255.
using fptrPutRow = void (*)(sBGRA *dst, const sBGRA *src, int n, uint32_t a, fptrPixelPut4core put);

// A call of put per pixel.
void putRowPlain(sBGRA *dst, const sBGRA *src, int n, uint32_t a, fptrPixelPut4core put) noexcept;
// The loop for put: one of its own, with the put inlined, for every put of this header and of
// core/pixel/pixel.h; putRowPlain for any other.
fptrPutRow rowPutFor(fptrPixelPut4core put) noexcept;
