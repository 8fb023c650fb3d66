// Geometry records shared by every image, stroke, selection and file routine: integer and Single
// positions, sizes, rectangles and boxes, 16.16 fixed-point pairs, ratios, the seeded generator and
// the 32-bit multi-view cell. All are packed little-endian records of 32-bit fields; they reach
// files and event streams byte for byte.
#pragma once

#include <QRect>

#include <array>
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

// Open arrays passed by their first element.
using pasPos = sPos *;
using pasFPos = sFPos *;
using paInt = int32_t *;
using paBYTE = uint8_t *;
using PAfixp = int32_t *;
using PSingle = float *;

// ---------------------------------------------------------------------------------------------
// Geometry. Operations that work in place change their first argument; a Boolean result means
// "the outcome is not empty" unless said otherwise. Rectangles exclude their right and bottom
// edges. The platform rectangle of this program is QRect (built from origin and size).

// Makes w and h non-negative by moving the origin: (10, 10, -4, -6) becomes (6, 4, 4, 6).
void boxNormalize(sBox &box);
// The normalised box from p1 towards p2 (w = p2.x - p1.x, h = p2.y - p1.y).
void boxFromPoints(sBox &box, const sPos &p1, const sPos &p2);
sBox boxFromPosSize(const sPos &pos, const sSize &size);
sRect rectFromSize(const sSize &size);
QRect tRectFromSize(const sSize &size);
sBox boxFromSize(const sSize &size);
sRect boxToRect(const sBox &box);
QRect boxToTRect(const sBox &box);
sBox rectToBox(const sRect &rect);
sBox tRectToBox(const QRect &rect);
sSize rectSize(const sRect &rect);
sFRect boxToFRect(const sBox &box);
// The covering integer rectangle: floor of x0, y0 and ceiling of x1, y1.
sRect fRectToRect(const sFRect &rect);
sBox fRectToBox(const sFRect &rect);
// The Single rectangle spanning two points in any order, with 1.0 added to the larger x and y
// (so that it covers the pixel of the far point).
void fRectFromPoints(sFRect &rect, const sFPos &p0, const sFPos &p1);
sRect rectFromPosSize(const sPos &pos, const sSize &size);
void rectClear(sRect &rect);

// Intersects a with b in place. An early "no overlap" exit leaves a partly changed: on false the
// caller may use only the result.
bool rectIntersect(sRect &a, const sRect &b);
// The same for Single rectangles; empty means x0 >= x1 or y0 >= y1.
bool fRectIntersect(sFRect &a, const sFRect &b);
bool rectClipToSize(sRect &rect, const sSize &size);
// Box forms of the intersection, computed on the rectangle form and written back as a box.
bool boxClipToRect(sBox &box, const sRect &rect);
bool boxClipToSize(sBox &box, const sSize &size);
bool boxIntersect(sBox &box, const sBox &other);

void boxDeflate(sBox &box, int32_t n);
void rectDeflate(sRect &rect, int32_t n);
void rectInflate(sRect &rect, int32_t n);
void rectOffset(sRect &rect, int32_t dx, int32_t dy);
void boxOffset(sBox &box, int32_t dx, int32_t dy);
// Grows the rectangle to contain the pixel (x, y): x < x0 sets x0 = x, else x >= x1 sets
// x1 = x + 1; the same for y. An empty (0, 0, 0, 0) rectangle therefore keeps its origin.
void rectAddPoint(sRect &rect, int32_t x, int32_t y);
// rectAddPoint of the four corner pixels of other.
void rectAddRect(sRect &rect, const sRect &other);
// Union in place: min of x0, y0 and max of x1, y1 (two names for one operation).
void rectUnion(sRect &a, const sRect &b);
void rectUnionMinMax(sRect &a, const sRect &b);
// Bounding box of two boxes, through rectAddRect.
void boxUnion(sBox &a, const sBox &b);

bool rectContainsPoint(const sRect &rect, const sPos &p);
bool boxContainsPoint(const sBox &box, const sPos &p);
// a is at least b on both axes.
bool sizeContains(const sSize &a, const sSize &b);
bool boxInsideSize(const sBox &box, const sSize &size);
// Clamps p into [x, x + w - 1] (x itself when w <= 0), and the same for y.
void posClampToBox(sPos &p, const sBox &box);
// Moves box inside container when the container is at least as large on both axes: the origin
// is clamped by posClampToBox into (cx, cy, cw - w, ch - h), so the box may stop one pixel short
// of the container's right or bottom edge. False (box unchanged) when the box is larger.
bool boxMoveInside(sBox &box, const sBox &container);
void posClampToSize(sPos &p, const sSize &size);
void posClampToSizeIncl(sPos &p, const sSize &size);

// 0 <= x < w and 0 <= y < h by unsigned compares: the bounds test of every pixel accessor.
inline bool ptInSize(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return uint32_t(x) < uint32_t(w) && uint32_t(y) < uint32_t(h);
}
// x <= w and y <= h by unsigned compares (a negative coordinate fails).
inline bool ptInSizeIncl(int32_t x, int32_t y, int32_t w, int32_t h)
{
    return uint32_t(x) <= uint32_t(w) && uint32_t(y) <= uint32_t(h);
}

// The part of outer lying outside inner as at most four rectangles, in this order: the top band,
// the left part, the right part, the bottom band. inner is first clipped to outer (an inner
// rectangle that misses outer leaves all of outer). Returns the count written to out.
int32_t rectSubtract(const sRect &outer, const sRect &inner, std::array<sRect, 4> &out);
// Squared gap between two rectangles: 0 when they overlap or touch (edges or corners).
int64_t rectGapSq(const sRect &a, const sRect &b);
int64_t rectArea(const sRect &rect);
// The largest box with the aspect of inner that fits outer, centred; always true. An inner size
// with a zero side has no aspect: the box is then the whole outer size.
bool boxFitAspect(sBox &box, const sSize &outer, const sSize &inner);
// inner centred unscaled when it fits outer on both axes, else boxFitAspect; always true.
bool boxCenterOrFit(sBox &box, const sSize &outer, const sSize &inner);

sFPos posToFPos(const sPos &p);
// floor(v + 0.01) on each axis, with the sum in extended precision: (2.995, -0.995) gives (3, -1).
sPos fPosToPos(const sFPos &p);
// Each axis times 2^-16.
sFPos fxPosToFPos(const sFXPos &p);
// sqrt(x * x + y * y), evaluated in extended precision and stored as a Single.
float vecLength(float x, float y);
// x / y as a Single; 32767.0 when y is 0.
float sizeAspect(int32_t x, int32_t y);
inline float sizeAspect(const sSize &s)
{
    return sizeAspect(s.x, s.y);
}
inline float sizeAspect(const TFraction &f)
{
    return sizeAspect(f.Numerator, f.Denominator);
}
