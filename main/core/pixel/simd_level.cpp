#include "core/pixel/simd_level.h"

#include <atomic>

namespace {

constexpr uint8_t kUnset = 0xFF;
// The level in use, decided at the first call of simdLevel(); loads and stores are relaxed, since
// every value it may hold gives the same results.
std::atomic<uint8_t> gLevel{kUnset};

TSimdLevel bestLevel() noexcept
{
    return simdLevelSupported(TSimdLevel::avx2) ? TSimdLevel::avx2 : TSimdLevel::sse2;
}

} // namespace

bool simdLevelSupported(TSimdLevel level) noexcept
{
    switch (level) {
    case TSimdLevel::sse2:
        return true;
    case TSimdLevel::avx2:
#if KAVRIN_HAS_AVX2_LOOPS
        __builtin_cpu_init(); // harmless when done already; needed before static constructors ran
        return __builtin_cpu_supports("avx2");
#else
        return false;
#endif
    }
    return false;
}

std::vector<TSimdLevel> supportedSimdLevels()
{
    std::vector<TSimdLevel> levels;
    for (TSimdLevel l : {TSimdLevel::sse2, TSimdLevel::avx2})
        if (simdLevelSupported(l))
            levels.push_back(l);
    return levels;
}

TSimdLevel simdLevel() noexcept
{
    uint8_t v = gLevel.load(std::memory_order_relaxed);
    if (v == kUnset) {
        v = uint8_t(bestLevel());
        gLevel.store(v, std::memory_order_relaxed);
    }
    return TSimdLevel(v);
}

bool setSimdLevel(TSimdLevel level) noexcept
{
    if (!simdLevelSupported(level))
        return false;
    gLevel.store(uint8_t(level), std::memory_order_relaxed);
    return true;
}
