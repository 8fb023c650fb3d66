#include "core/pixel/colour_models.h"

#include "core/base/numeric.h"

#include <algorithm>

namespace {

constexpr int32_t kDeg60 = 0x3C0000;
constexpr int32_t kDeg120 = 0x780000;
constexpr int32_t kDeg180 = 0xB40000;
constexpr int32_t kDeg240 = 0xF00000;
constexpr int32_t kDeg360 = 0x1680000;

// The hue-to-channel rule shared by hslToPixel and hslToRGB: m1, m2 are 16.16 fractions of 0..1,
// h a 16.16 angle; the result is the channel byte (v * 255) >> 16.
uint8_t hueToChannel(int32_t m1, int32_t m2, int32_t h)
{
    // Whole turns: above 360 degrees down to at most 360, below 0 up to at least 0.
    if (h > kDeg360)
        h -= ((h - 1) / kDeg360) * kDeg360;
    else if (h < 0)
        h += ((-h + kDeg360 - 1) / kDeg360) * kDeg360;
    int32_t v;
    if (h < kDeg60)
        v = m1 + fixMul(m2 - m1, h) / 60;
    else if (h < kDeg180)
        v = m2;
    else if (h < kDeg240)
        v = m1 + fixMul(m2 - m1, kDeg240 - h) / 60;
    else
        v = m1;
    return clampByte(int32_t((int64_t(v) * 255) >> 16));
}

// Steps 4 to 7 of the HSL analysis, shared by pixelToHSL and rgbToHSL: r, g, b, mx, mn are the
// 16.16 fractions of the three channels and of their maximum and minimum; isR / isG say which
// channel holds the maximum (red is tested first, then green).
void hslFromFractions(int32_t r, int32_t g, int32_t b, int32_t mx, int32_t mn, bool isR, bool isG,
                      sFixHSL &hsl)
{
    const int32_t sum = mx + mn;
    const int32_t L = sum / 2;
    const int32_t d = mx - mn;
    const int32_t S = L <= 0x8000 ? fixDiv(d, sum) : fixDiv(d, 0x20000 - sum);
    int32_t t;
    if (isR)
        t = fixDiv(g - b, d);
    else if (isG)
        t = fixDiv(b - r, d) + 0x20000;
    else
        t = fixDiv(r - g, d) + 0x40000;
    int32_t h = t * 60;
    if (h < 0)
        h += kDeg360;
    hsl.h = h;
    hsl.l = L * 255;
    hsl.s = S * 255;
}

// Unsigned 16.16 product: bits 16..47 of the 64-bit product.
uint32_t fixMulU(uint32_t a, uint32_t b)
{
    return uint32_t((uint64_t(a) * b) >> 16);
}

// a / 255.0 as an unsigned 16.16 quotient, truncated.
uint32_t quot255(uint32_t a)
{
    return uint32_t((uint64_t(a) << 16) / 0xFF0000u);
}

} // namespace

void pixelToHSL(sBGRA p, sFixHSL &hsl) noexcept
{
    const int32_t R = p.R, G = p.G, B = p.B;
    const int32_t mx = std::max({R, G, B}), mn = std::min({R, G, B});
    if (mx == mn) {
        hsl = {0, R << 16, 0};
        return;
    }
    auto frac = [](int32_t v) { return (v << 16) / 255; };
    hslFromFractions(frac(R), frac(G), frac(B), frac(mx), frac(mn), mx == R, mx == G, hsl);
}

void rgbToHSL(uint32_t c, sFixHSL &hsl) noexcept
{
    const int32_t R = c & 0xFF, G = (c >> 8) & 0xFF, B = (c >> 16) & 0xFF;
    const int32_t mx = std::max({R, G, B}), mn = std::min({R, G, B});
    if (mx == mn) {
        hsl = {0, mx << 16, 0};
        return;
    }
    auto frac = [](int32_t v) { return (v * 32897) >> 7; };
    hslFromFractions(frac(R), frac(G), frac(B), frac(mx), frac(mn), mx == R, mx == G, hsl);
}

void hslToPixel(const sFixHSL &hsl, sBGRA *p) noexcept
{
    if (hsl.s == 0) {
        p->B = p->G = p->R = clampByte(hsl.l >> 16);
        return;
    }
    const int32_t L = hsl.l / 255, S = hsl.s / 255;
    const int32_t m2 = L <= 0x8000 ? fixMul(L, 0x10000 + S) : L + S - fixMul(L, S);
    const int32_t m1 = 2 * L - m2;
    p->R = hueToChannel(m1, m2, hsl.h + kDeg120);
    p->G = hueToChannel(m1, m2, hsl.h);
    p->B = hueToChannel(m1, m2, hsl.h - kDeg120);
}

void hslToRGB(const sFixHSL &hsl, uint8_t *dst) noexcept
{
    if (hsl.s == 0) {
        dst[0] = dst[1] = dst[2] = clampByte(hsl.l >> 16);
        return;
    }
    const uint32_t L = uint32_t((uint64_t(uint32_t(hsl.l)) * 32897) >> 23);
    const uint32_t S = uint32_t((uint64_t(uint32_t(hsl.s)) * 32897) >> 23);
    const uint32_t m2 = L <= 0x8000 ? fixMulU(L, 0x10000 + S) : L + S - fixMulU(L, S);
    const int32_t m1 = int32_t(2 * L - m2);
    dst[0] = hueToChannel(m1, int32_t(m2), hsl.h + kDeg120);
    dst[1] = hueToChannel(m1, int32_t(m2), hsl.h);
    dst[2] = hueToChannel(m1, int32_t(m2), hsl.h - kDeg120);
}

void hsvToRGB(const sFixHSV &hsv, uint8_t *dst) noexcept
{
    if (hsv.s == 0) {
        dst[0] = dst[1] = dst[2] = clampByte(hsv.v >> 16);
        return;
    }
    int32_t h = hsv.h;
    if (h < 0)
        h += kDeg360;
    if (h >= kDeg360)
        h %= kDeg360;
    const int32_t sector = std::clamp(h / kDeg60, 0, 5);
    // The position inside the sector as a 16.16 fraction.
    const uint32_t f = uint32_t(((uint64_t(uint32_t(h % kDeg60)) << 32) / kDeg60) >> 16);
    const uint32_t s = uint32_t(hsv.s), v = uint32_t(hsv.v);
    const uint32_t k = uint32_t((uint64_t(f) * s) >> 16);
    const uint32_t p = quot255(fixMulU(0xFF0000u - s, v));
    const uint32_t q = quot255(fixMulU(0xFF0000u - k, v));
    const uint32_t t = quot255(fixMulU(k + 0xFF0000u - s, v));
    uint32_t r = 0, g = 0, b = 0;
    switch (sector) {
    case 0:
        r = v, g = t, b = p;
        break;
    case 1:
        r = q, g = v, b = p;
        break;
    case 2:
        r = p, g = v, b = t;
        break;
    case 3:
        r = p, g = q, b = v;
        break;
    case 4:
        r = t, g = p, b = v;
        break;
    default:
        r = v, g = p, b = q;
        break;
    }
    dst[0] = clampByte(int32_t(r >> 16));
    dst[1] = clampByte(int32_t(g >> 16));
    dst[2] = clampByte(int32_t(b >> 16));
}

void cmykToRGB(const sFixCMYK &cmyk, uint8_t *dst) noexcept
{
    const int32_t k = fixDiv(0xFF0000 - cmyk.k, 0xFF0000);
    auto channel = [k](int32_t ink) {
        const int32_t v = fixMul(0xFF0000 - ink, k) + 0x8000;
        return v > 0xFF0000 ? uint8_t(255) : clampByte(v >> 16);
    };
    dst[0] = channel(cmyk.c);
    dst[1] = channel(cmyk.m);
    dst[2] = channel(cmyk.y);
}
