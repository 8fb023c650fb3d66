#include "core/base/numeric.h"

#include <cmath>

int32_t gcdInt(int32_t a, int32_t b)
{
    // Absolute values in 32-bit unsigned arithmetic, so that INT32_MIN has one.
    uint32_t x = a < 0 ? 0u - uint32_t(a) : uint32_t(a);
    uint32_t y = b < 0 ? 0u - uint32_t(b) : uint32_t(b);
    while (y != 0) {
        const uint32_t t = x % y;
        x = y;
        y = t;
    }
    return int32_t(x);
}

bool fractionEquals(const TFraction &f, int32_t numerator, int32_t denominator)
{
    const int64_t g1 = gcdInt(f.Numerator, f.Denominator);
    const int64_t g2 = gcdInt(numerator, denominator);
    // gcd 0 means both terms are 0: such a pair is compared as it stands.
    const int64_t n1 = g1 ? f.Numerator / g1 : f.Numerator;
    const int64_t d1 = g1 ? f.Denominator / g1 : f.Denominator;
    const int64_t n2 = g2 ? numerator / g2 : numerator;
    const int64_t d2 = g2 ? denominator / g2 : denominator;
    return n1 == n2 && d1 == d2;
}

bool fractionIsWhole(const TFraction &f)
{
    if (f.Denominator == 0)
        return false;
    return int64_t(f.Numerator) % f.Denominator == 0;
}

int32_t roundToInt32(long double v)
{
    if (!(v > -9.2233720368547758e18L && v < 9.2233720368547758e18L))
        return 0;
    // nearbyint rounds half to even under the default rounding mode, as the processor did.
    return int32_t(uint32_t(uint64_t(int64_t(std::nearbyint(v)))));
}

int32_t fixDiv(int32_t a, int32_t b)
{
    if (b == 0)
        return a > 0 ? INT32_MAX : (a < 0 ? INT32_MIN : 0);
    return roundToInt32((long double)a / b * 65536.0L);
}

int32_t fixSqrt(int32_t a)
{
    if (a <= 0)
        return 0;
    return roundToInt32(std::sqrt(a / 65536.0L) * 65536.0L);
}

int32_t fixHypot(int32_t x, int32_t y)
{
    const long double fx = x / 65536.0L, fy = y / 65536.0L;
    return roundToInt32(std::sqrt(fx * fx + fy * fy) * 65536.0L);
}

int32_t floatToFix(float f)
{
    return roundToInt32((long double)f * 65536.0L);
}

int32_t roundSingle(float f)
{
    return roundToInt32(f);
}

int64_t trunc64(long double v)
{
    if (!(v == v))
        return 0;
    if (v >= 9.2e18L)
        return std::numeric_limits<int64_t>::max();
    if (v <= -9.2e18L)
        return std::numeric_limits<int64_t>::min();
    return int64_t(std::trunc(v));
}
