// Numeric helpers of the raster core: ranges, clamps and swaps; ratios; 16.16 fixed point; the
// seeded generator SRand. None of them fails: where a value has no meaning (a zero divisor, the
// root of a negative number) a stated substitute is returned.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <limits>
#include <utility>

// ---------------------------------------------------------------------------------------------
// Ranges, clamps and swaps

// min and max from two values in any order.
inline void rangeSet(sRange &r, int32_t a, int32_t b)
{
    r.min = a < b ? a : b;
    r.max = a < b ? b : a;
}
// Widens the range to include v.
inline void rangeExtend(sRange &r, int32_t v)
{
    if (v < r.min)
        r.min = v;
    if (v > r.max)
        r.max = v;
}
inline bool rangeContains(const sRange &r, int32_t v)
{
    return r.min <= v && v <= r.max;
}
inline bool inRange(int32_t v, int32_t min, int32_t max)
{
    return min <= v && v <= max;
}
inline bool inRangeF(float v, float min, float max)
{
    return min <= v && v <= max;
}

// min when v < min, else max when v > max, else v: with min above max the result is min for
// values below min and max for all others ((5, 10, 0) gives 10).
inline int32_t clampInt(int32_t v, int32_t min, int32_t max)
{
    return v < min ? min : (v > max ? max : v);
}
inline void clampIntVar(int32_t &v, int32_t min, int32_t max)
{
    v = clampInt(v, min, max);
}
inline float clampSingle(float v, float min, float max)
{
    return v < min ? min : (v > max ? max : v);
}
// A value cut into 0..255 (a floating value truncated toward zero; NaN gives 0).
template <class T> constexpr uint8_t clampByte(T v)
{
    return !(v > 0) ? 0 : (v > 255 ? 255 : uint8_t(v));
}
// Trunc of an extended value into 64 bits, saturated (NaN gives 0).
int64_t trunc64(long double v);

// Afterwards lo holds the smallest and hi the largest of lo, hi and c.
inline void minMax3(int32_t &lo, int32_t &hi, int32_t c)
{
    if (lo > hi)
        std::swap(lo, hi);
    if (c < lo)
        lo = c;
    else if (c > hi)
        hi = c;
}

inline void swapInt(int32_t &a, int32_t &b)
{
    std::swap(a, b);
}
inline void swapSingle(float &a, float &b)
{
    std::swap(a, b);
}
inline void swapPointers(void *&a, void *&b)
{
    std::swap(a, b);
}
inline void swapByte(uint8_t &a, uint8_t &b)
{
    std::swap(a, b);
}
// Exchanges the two bytes of a 16-bit value.
inline void swapWordBytes(uint16_t &w)
{
    w = uint16_t((w >> 8) | (w << 8));
}
// Zero extension of a Word.
inline int32_t wordToInt(uint16_t w)
{
    return int32_t(w);
}

// ---------------------------------------------------------------------------------------------
// Ratios

// Euclid on absolute values; gcd(0, n) = |n|, gcd(0, 0) = 0. The result of gcd(INT32_MIN, 0)
// does not fit an Integer and wraps to INT32_MIN.
int32_t gcdInt(int32_t a, int32_t b);
// f and numerator/denominator, each reduced by its own gcd, are equal term by term.
bool fractionEquals(const TFraction &f, int32_t numerator, int32_t denominator);
// Numerator mod Denominator = 0; false for a zero denominator.
bool fractionIsWhole(const TFraction &f);
inline bool fractionIsOne(const TFraction &f)
{
    return f.Numerator == f.Denominator;
}
inline bool fractionAtLeastOne(const TFraction &f)
{
    return f.Numerator >= f.Denominator;
}

// ---------------------------------------------------------------------------------------------
// 16.16 fixed point: a signed 32-bit Integer, 0x10000 = 1.0, 0x8000 = 0.5, 0xFF0000 = 255.0.
// Angles in degrees are 16.16 too (0x1680000 = 360 degrees).

// (a * b) >> 16 over the signed 64-bit product, keeping bits 16..47.
inline int32_t fixMul(int32_t a, int32_t b)
{
    return int32_t(uint32_t(uint64_t((int64_t(a) * b) >> 16)));
}
// round(a / b * 65536), half to even, in extended precision. A zero divisor gives the limit the
// quotient runs to, saturated: INT32_MAX for a > 0, INT32_MIN for a < 0, 0 for a = 0.
int32_t fixDiv(int32_t a, int32_t b);
// round(sqrt(a * 2^-16) * 65536); 0 for a negative a.
int32_t fixSqrt(int32_t a);
// round(sqrt((x * 2^-16)^2 + (y * 2^-16)^2) * 65536), wrapping to 32 bits when it exceeds them.
int32_t fixHypot(int32_t x, int32_t y);
// a * 2^-16, exactly.
inline double fixToFloat(int32_t a)
{
    return a / 65536.0;
}
// round(f * 65536) of a Single, half to even, wrapping to 32 bits.
int32_t floatToFix(float f);
// a >> 16, arithmetic: the floor.
inline int32_t fixToInt(int32_t a)
{
    return a >> 16;
}
inline int32_t fixFloor(int32_t a)
{
    return a >> 16;
}
// (a + 0xFFFF) >> 16: the ceiling; the sum wraps in 32 bits. The shift is arithmetic on purpose, so
// negative values keep their sign (fixCeil(-0x10000) = -1, where a logical shift would give 65535);
// the result is a true ceiling for every a up to 0x7FFF0000.
inline int32_t fixCeil(int32_t a)
{
    return int32_t(uint32_t(a) + 0xFFFFu) >> 16;
}
// (a + 0xFFFF) with the low 16 bits cleared: the ceiling, still 16.16.
inline int32_t fixCeilFix(int32_t a)
{
    return int32_t((uint32_t(a) + 0xFFFFu) & 0xFFFF0000u);
}
// A Single to the nearest Integer, ties to even, wrapping to 32 bits.
int32_t roundSingle(float f);
// Round half to even of an extended value to an Integer: the low 32 bits of the 64-bit result;
// 0 for NaN and for values beyond the 64-bit range.
int32_t roundToInt32(long double v);
// Trunc of a Single into an Integer; values beyond the Integer range saturate instead of being
// undefined, NaN gives 0.
inline int32_t truncSingle(float v)
{
    if (!(v > -2147483648.0f))
        return v != v ? 0 : std::numeric_limits<int32_t>::min();
    if (v >= 2147483648.0f)
        return std::numeric_limits<int32_t>::max();
    return int32_t(v);
}

// ---------------------------------------------------------------------------------------------
// The seeded generator. The same seed always yields the same sequence; recorded events and stored
// layer dithering rely on this, so the arithmetic wraps in 32 bits exactly as written.

// seed = val = seed, range = (min, max), cnt = 0.
inline void randInit(SRand &r, uint32_t seed, int32_t min, int32_t max)
{
    r.seed = seed;
    r.val = seed;
    r.range = {min, max};
    r.cnt = 0;
}
// One step of the generator: val * 134775813 + 1 modulo 2^32.
inline uint32_t randStep(uint32_t val)
{
    return val * 134775813u + 1u;
}
// The high 32 bits of the unsigned 64-bit product.
inline uint32_t mulHigh32(uint32_t a, uint32_t b)
{
    return uint32_t((uint64_t(a) * b) >> 32);
}
// The next value in [min, max) (min itself when max = min); cnt counts the draws.
inline int32_t randNext(SRand &r)
{
    r.cnt += 1;
    r.val = randStep(r.val);
    const uint32_t span = uint32_t(r.range.max) - uint32_t(r.range.min);
    return int32_t(uint32_t(r.range.min) + mulHigh32(span, r.val));
}
