#include "filters/core/pixel_mechanics.h"

#include <cmath>
#include <numbers>

uint32_t gRandSeed = 0;
std::array<float, 256> gCosInterp{};

namespace {

int gInitCount = 0;

} // namespace

void initCosInterpTable()
{
    for (int i = 0; i < 256; ++i)
        gCosInterp[size_t(i)] =
            float((1.0L - std::cos((long double)i * std::numbers::pi_v<long double> / 256.0L)) * 0.5L);
}

void initialiseFilters()
{
    if (gInitCount++ > 0)
        return;
    initCosInterpTable();
}

long double fmodPositive(long double m, long double v) noexcept
{
    if (m == 0 || !std::isfinite(m) || !std::isfinite(v))
        return 0;
    long double r = v - m * std::trunc(v / m);
    if (r >= m)
        r -= m;
    if (r < 0) {
        r += m;
        if (r < 0)
            r += m;
    }
    return r;
}

uint32_t randSkip(uint32_t seed, uint64_t n) noexcept
{
    // x -> a x + c, applied n times, by squaring the map while halving n.
    uint32_t a = 134775813u, c = 1u, accA = 1u, accC = 0u;
    for (; n != 0; n >>= 1) {
        if (n & 1u) {
            accA *= a;
            accC = accC * a + c;
        }
        c = c * a + c;
        a *= a;
    }
    return accA * seed + accC;
}
