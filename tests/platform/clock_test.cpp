#include "platform/clock.h"

#include <gtest/gtest.h>

TEST(MillisecondClock, RealClockNeverRunsBackwards)
{
    const uint32_t a = timeGetTime();
    const uint32_t b = timeGetTime();
    EXPECT_LT(uint32_t(b - a), 1000u); // the unsigned difference of two readings
}

TEST(MillisecondClock, InstalledClockAnswersAndIsRestored)
{
    uint32_t now = 0xFFFFFFF0u;
    MillisecondClock previous = installMillisecondClock([&] { return now; });
    EXPECT_FALSE(previous);
    const uint32_t start = timeGetTime();
    now += 0x20; // past the wrap
    EXPECT_EQ(timeGetTime(), 0x10u);
    EXPECT_EQ(uint32_t(timeGetTime() - start), 0x20u);
    EXPECT_TRUE(installMillisecondClock(previous));
    EXPECT_FALSE(installMillisecondClock({})); // the real clock was back in place
}
