#include "platform/system/clock.h"

#include <gtest/gtest.h>

TEST(MillisecondClock, InstalledClockIsReadAndTheSystemClockComesBack)
{
    const uint32_t before = timeGetTime();
    const MillisecondClock previous = installMillisecondClock([] { return 0xFFFFFFFFu; });
    EXPECT_FALSE(previous);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFFFu);
    EXPECT_EQ(timeGetTime() + 1u, 0u); // the count wraps in 32 bits

    EXPECT_TRUE(installMillisecondClock(previous));
    const uint32_t after = timeGetTime();
    EXPECT_LT(after - before, 60000u); // the system clock again, moving forward
}
