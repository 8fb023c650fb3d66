#include "core/pixel/simd_level.h"

#include <gtest/gtest.h>

// SSE2 is always there; a level the processor lacks is refused and leaves the one in use.
TEST(SimdLevel, SelectsOnlyWhatTheProcessorRuns)
{
    const TSimdLevel was = simdLevel();
    const std::vector<TSimdLevel> levels = supportedSimdLevels();
    ASSERT_FALSE(levels.empty());
    EXPECT_EQ(levels.front(), TSimdLevel::sse2);
    EXPECT_EQ(was, levels.back()) << "the best level is the default";
    ASSERT_TRUE(setSimdLevel(TSimdLevel::sse2));
    EXPECT_EQ(simdLevel(), TSimdLevel::sse2);
    EXPECT_EQ(setSimdLevel(TSimdLevel::avx2), simdLevelSupported(TSimdLevel::avx2));
    EXPECT_EQ(simdLevel(),
              simdLevelSupported(TSimdLevel::avx2) ? TSimdLevel::avx2 : TSimdLevel::sse2);
    setSimdLevel(was);
}
