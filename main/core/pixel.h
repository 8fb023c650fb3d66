// Pixel records shared by every canvas, tiled image, stroke and filter, and the procedure types
// through which pixels are put. Byte order in memory is part of the contract: sBGRA is B, G, R, A,
// which is also the byte order of a little-endian QImage::Format_ARGB32 pixel.
#pragma once

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
