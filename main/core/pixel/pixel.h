// Pixel records shared by every canvas, tiled image, stroke and filter, the exact byte arithmetic
// they all share (products and mixes divided by 255, luminance), byte-order and row conversions,
// and the pixel puts called through procedure variables. Byte order in memory is part of the
// contract: sBGRA is B, G, R, A, which is also the byte order of a little-endian
// QImage::Format_ARGB32 pixel. Bytes are 0..255; results truncate, never round, unless stated.
// Colour models (HSL, HSV, CMYK) are in core/pixel/colour_models.h, the layer blend modes in
// core/pixel/blend_modes.h.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <cstdint>
#include <type_traits>

// One pixel of every 32-bit canvas and tiled image; A = 255 is opaque.
// As a 32-bit value: A << 24 | R << 16 | G << 8 | B.
union sBGRA
{
    struct
    {
        uint8_t B, G, R, A;
    };
    uint32_t all;
};

// A red-first colour with alpha (platform colour order: gradient stops, swatches).
union sRGBA
{
    struct
    {
        uint8_t R, G, B, A;
    };
    uint32_t all;
};

inline sRGBA makeRGBA(uint8_t r, uint8_t g, uint8_t b, uint8_t a) noexcept
{
    sRGBA c;
    c.R = r;
    c.G = g;
    c.B = b;
    c.A = a;
    return c;
}

// A 3-byte colour, blue first (colour fields of event records).
struct sBGR
{
    uint8_t B, G, R;
};

// Channel sums (averaging).
struct sdRGBA
{
    uint32_t r, g, b, a;
};

// Channels as Singles (colour mixing).
struct sfRGBA
{
    float r, g, b, a;
};

// The colour of the owner-drawn user interface; same layout as sBGRA.
union TColor32
{
    struct
    {
        uint8_t b, g, r, a;
    };
    uint32_t bgra;
};

// Colour models in 16.16: hue in degrees (0 .. 0x1680000), the others 0 .. 0xFF0000.
struct sFixHSL
{
    int32_t h, l, s;
};
struct sFixHSV
{
    int32_t h, s, v;
};
struct sFixCMYK
{
    int32_t c, m, y, k;
};

using psBGRA = sBGRA *;
using pasBGRA = sBGRA *;

// Puts colour col (an sBGRA value) into *dst with opacity a (0..255).
using fptrPixelPut4core = void (*)(sBGRA *dst, uint32_t col, uint32_t a);
// Puts an 8-bit value into a byte.
using fptrMixPixel1 = void (*)(uint8_t *dst, uint8_t a);

static_assert(sizeof(sBGRA) == 4 && sizeof(sRGBA) == 4 && sizeof(sBGR) == 3);
static_assert(sizeof(sdRGBA) == 16 && sizeof(sfRGBA) == 16 && sizeof(TColor32) == 4);
static_assert(std::is_trivially_copyable_v<sBGRA> && std::is_trivially_copyable_v<sBGR>);

// ---------------------------------------------------------------------------------------------
// Exact byte arithmetic. 32897 / 2^23 is 1/255 closely enough that the multiply-and-shift equals
// the truncating division for every product of two bytes, so no per-pixel division is needed.

// a * b div 255, exact for all bytes: (255, 255) = 255, (128, 255) = 128, (1, 254) = 0.
constexpr uint32_t mul255(uint32_t a, uint32_t b) noexcept
{
    return (a * b * 32897u) >> 23;
}

// a weighted by t over b: (a * t + b * (255 - t)) div 255, exact for all bytes
// (8388735 = 255 * 32897).
constexpr uint32_t mix255(uint32_t a, uint32_t b, uint32_t t) noexcept
{
    return (a * t * 32897u + b * (8388735u - t * 32897u)) >> 23;
}

// v := mix255(c, v, t).
constexpr void mixByteVar(uint8_t &v, uint32_t c, uint32_t t) noexcept
{
    v = uint8_t(mix255(c, v, t));
}

// Luminance 0..255; the weights sum to 65536, so white gives 255.
constexpr uint32_t lumaOf(uint32_t r, uint32_t g, uint32_t b) noexcept
{
    return (r * 19595u + g * 38469u + b * 7472u) >> 16;
}

inline uint32_t pixelLuma(sBGRA p) noexcept
{
    return lumaOf(p.R, p.G, p.B);
}

// Sum of the squared differences of bytes 0, 1 and 2 of two 32-bit pixels; alpha ignored.
uint32_t colorDistSq(uint32_t p, uint32_t q) noexcept;

// ---------------------------------------------------------------------------------------------
// Byte order and row conversions.

// Copy a 3-byte colour reversing its byte order (src and dst hold 3 bytes each).
void rgbToBGR(const uint8_t *src, uint8_t *dst) noexcept;
void bgrToRGB(const uint8_t *src, uint8_t *dst) noexcept;

// Exchange bytes 0 and 2 of a 32-bit colour (platform colour <-> sBGRA); byte 3 kept.
constexpr uint32_t colorSwapRB(uint32_t c) noexcept
{
    return (c & 0xFF00FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16);
}
constexpr uint32_t pixelSwapRB(uint32_t c) noexcept
{
    return colorSwapRB(c);
}
constexpr void swapRBVar(uint32_t &c) noexcept
{
    c = colorSwapRB(c);
}

// n 3-byte pixels into 4-byte pixels, bytes 0..2 each; each destination alpha byte is left as it
// was. src holds 3n bytes, dst n pixels.
void row24To32(sBGRA *dst, const uint8_t *src, int n) noexcept;
// n 4-byte pixels into 3-byte pixels, bytes 0..2 each. dst holds 3n bytes.
void row32To24(uint8_t *dst, const sBGRA *src, int n) noexcept;

// ---------------------------------------------------------------------------------------------
// The two product tables, constant from the start of the process (no initialisation call):
// gMulTable[i * 256 + j] = i * j div 255;
// gInvMulTable[i * 256 + j] = 255 - (i * (255 - j) div 255).
extern const std::array<uint8_t, 65536> gMulTable;
extern const std::array<uint8_t, 65536> gInvMulTable;

// ---------------------------------------------------------------------------------------------
// Pixel puts (fptrPixelPut4core). Each changes B, G, R of *dst by colour col (an sBGRA value) at
// opacity a (0..255) and keeps the destination's alpha byte unless stated.

// The standard put of canvases, strokes and filters: a = 0 nothing, a = 255 a copy of B, G, R,
// otherwise each channel = mix255(col channel, dst channel, a).
inline void pixelPutAlpha(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    if (a == 0)
        return;
    const sBGRA c{.all = col};
    if (a >= 255) {
        dst->all = (dst->all & 0xFF000000u) | (col & 0x00FFFFFFu);
        return;
    }
    dst->B = uint8_t(mix255(c.B, dst->B, a));
    dst->G = uint8_t(mix255(c.G, dst->G, a));
    dst->R = uint8_t(mix255(c.R, dst->R, a));
}

// Stores the whole 32-bit colour, alpha included; a is ignored.
inline void pixelPutCopy(sBGRA *dst, uint32_t col, uint32_t) noexcept
{
    dst->all = col;
}

// channel = dst * (255 - a * (255 - col) div 255) div 255, through the tables.
inline void pixelPutMul(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    const sBGRA c{.all = col};
    const uint32_t row = (a & 0xFF) << 8;
    dst->B = gMulTable[(dst->B << 8) | gInvMulTable[row | c.B]];
    dst->G = gMulTable[(dst->G << 8) | gInvMulTable[row | c.G]];
    dst->R = gMulTable[(dst->R << 8) | gInvMulTable[row | c.R]];
}

// channel = dst + a * col div 255, saturated at 255.
inline void pixelPutAdd(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    const sBGRA c{.all = col};
    const uint32_t row = (a & 0xFF) << 8;
    auto add = [row](uint8_t d, uint8_t s) {
        const uint32_t v = d + gMulTable[row | s];
        return uint8_t(v > 255 ? 255 : v);
    };
    dst->B = add(dst->B, c.B);
    dst->G = add(dst->G, c.G);
    dst->R = add(dst->R, c.R);
}

// channel = dst - a * col div 255, floored at 0.
inline void pixelPutSub(sBGRA *dst, uint32_t col, uint32_t a) noexcept
{
    const sBGRA c{.all = col};
    const uint32_t row = (a & 0xFF) << 8;
    auto sub = [row](uint8_t d, uint8_t s) {
        const int32_t v = int32_t(d) - gMulTable[row | s];
        return uint8_t(v < 0 ? 0 : v);
    };
    dst->B = sub(dst->B, c.B);
    dst->G = sub(dst->G, c.G);
    dst->R = sub(dst->R, c.R);
}

// ---------------------------------------------------------------------------------------------
// Byte puts (fptrMixPixel1).

inline void bytePutCopy(uint8_t *dst, uint8_t a) noexcept
{
    *dst = a;
}
inline void bytePutMax(uint8_t *dst, uint8_t a) noexcept
{
    if (a > *dst)
        *dst = a;
}
inline void bytePutMul(uint8_t *dst, uint8_t a) noexcept
{
    *dst = uint8_t(mul255(a, *dst));
}

// ---------------------------------------------------------------------------------------------
// The random-threshold put of dithered layers. One stored put exists per process: setRandomPut
// stores a put, a copy of a generator (the caller's is not advanced by later draws) and a density
// 0..255; every pixelPutRandom then draws once from the stored generator and calls the stored put
// with (dst, col, a) only when the draw is below mul255(density, alpha of col). A replay with the
// same seed reproduces the same pixels. Callers finish one run of puts before setting the next.
// Nothing is written while no put is stored.
void setRandomPut(fptrPixelPut4core put, const SRand &rand, uint32_t density) noexcept;
void pixelPutRandom(sBGRA *dst, uint32_t col, uint32_t a) noexcept;
// The stored generator as it stands after the draws made so far.
SRand randomPutState() noexcept;
