// Geometry records shared by every image, stroke, selection and file routine: integer and Single
// positions, sizes, rectangles and boxes, 16.16 fixed-point pairs, ratios, the seeded generator and
// the 32-bit multi-view cell. All are packed little-endian records of 32-bit fields; they reach
// files and event streams byte for byte.
#pragma once

#include <cstdint>
#include <type_traits>

// Integer position, the platform point {x, y}.
struct sPos
{
    int32_t x = 0, y = 0;
    friend bool operator==(const sPos &, const sPos &) = default;
};

// A width and a height.
struct sSize
{
    int32_t x = 0, y = 0;
    friend bool operator==(const sSize &, const sSize &) = default;
};

// Left, top, right, bottom; the right and bottom edges are exclusive.
struct sRect
{
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    sPos p0() const { return {x0, y0}; }
    sPos p1() const { return {x1, y1}; }
    friend bool operator==(const sRect &, const sRect &) = default;
};

// Origin and size.
struct sBox
{
    int32_t x = 0, y = 0, w = 0, h = 0;
    sPos pos() const { return {x, y}; }
    sSize size() const { return {w, h}; }
    friend bool operator==(const sBox &, const sBox &) = default;
};

// An integer range, both ends inclusive.
struct sRange
{
    int32_t min = 0, max = 0;
    friend bool operator==(const sRange &, const sRange &) = default;
};

struct sFRange
{
    float min = 0, max = 0;
    friend bool operator==(const sFRange &, const sFRange &) = default;
};

// A position in canvas pixels; it becomes an integer position by floor(v + 0.01).
struct sFPos
{
    float x = 0, y = 0;
    friend bool operator==(const sFPos &, const sFPos &) = default;
};

struct sFSize
{
    float x = 0, y = 0;
    friend bool operator==(const sFSize &, const sFSize &) = default;
};

struct sFRect
{
    float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    sFPos p0() const { return {x0, y0}; }
    sFPos p1() const { return {x1, y1}; }
    friend bool operator==(const sFRect &, const sFRect &) = default;
};

// 16.16 fixed point: 0x10000 is one pixel, 0x8000 half a pixel.
struct sFXPos
{
    int32_t x = 0, y = 0;
    friend bool operator==(const sFXPos &, const sFXPos &) = default;
};

struct sFXSize
{
    int32_t x = 0, y = 0;
    friend bool operator==(const sFXSize &, const sFXSize &) = default;
};

// A ratio (view zoom, progress).
struct TFraction
{
    int32_t Numerator = 0, Denominator = 1;
};

// The seeded generator: start value, output range, number of draws made, current state.
struct SRand
{
    uint32_t seed = 0;
    sRange range;
    uint32_t cnt = 0;
    uint32_t val = 0;
};

// One 32-bit cell read as an Integer, two Words, two SmallInts, four Bytes or a Single: the
// parameter cell of filter records, filter events, undo records and brush parameters.
union LDATA
{
    int32_t all;
    struct
    {
        uint16_t w0, w1;
    };
    struct
    {
        int16_t s0, s1;
    };
    struct
    {
        uint8_t b0, b1, b2, b3;
    };
    float _float;
};

static_assert(sizeof(sPos) == 8 && sizeof(sSize) == 8 && sizeof(sRect) == 16 && sizeof(sBox) == 16);
static_assert(sizeof(sFPos) == 8 && sizeof(sFRect) == 16 && sizeof(sFXPos) == 8);
static_assert(sizeof(TFraction) == 8 && sizeof(SRand) == 20 && sizeof(LDATA) == 4);
static_assert(std::is_trivially_copyable_v<sRect> && std::is_trivially_copyable_v<LDATA>);

using psPos = sPos *;
using psSize = sSize *;
using psRect = sRect *;
using psBox = sBox *;
using psRange = sRange *;
using psFPos = sFPos *;
using psFXPos = sFXPos *;
using psFXSize = sFXSize *;
