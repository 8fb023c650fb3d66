// The vector instruction set the hot pixel loops run on (the normal mode's blend and compositing
// rows, the source-over row with per-pixel opacity, the scaler's box sums). The program is built
// for any x86-64 processor: SSE2 is always there, and the AVX2 forms of those loops are compiled
// beside them (function target attributes) and chosen once, at their first use, when the
// processor has AVX2. Every level gives the same bytes; tests and benchmarks select each level the
// processor can run to compare them.
#pragma once

#include <cstdint>
#include <vector>

enum class TSimdLevel : uint8_t
{
    sse2 = 0,
    avx2 = 1,
};

// Whether this processor (and this build) can run the loops of level.
bool simdLevelSupported(TSimdLevel level) noexcept;
// Every level this processor can run, the lowest first.
std::vector<TSimdLevel> supportedSimdLevels();
// The level in use: the highest supported one unless setSimdLevel chose another.
TSimdLevel simdLevel() noexcept;
// Makes level the one in use; false (and nothing changed) when it is not supported. Meant for
// tests and benchmarks, between operations (never while a loop runs on another thread).
bool setSimdLevel(TSimdLevel level) noexcept;

// The AVX2 loops are compiled only where the compiler targets x86-64 and knows the attribute.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KAVRIN_HAS_AVX2_LOOPS 1
#define KAVRIN_TARGET_AVX2 __attribute__((target("avx2")))
#else
#define KAVRIN_HAS_AVX2_LOOPS 0
#endif

// True when the AVX2 loops are the ones in use (one relaxed load: cheap enough per row).
inline bool simdUseAvx2() noexcept
{
    return KAVRIN_HAS_AVX2_LOOPS && simdLevel() == TSimdLevel::avx2;
}
