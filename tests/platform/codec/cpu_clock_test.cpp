#include "platform/codec/cpu_clock.h"

#include <gtest/gtest.h>

TEST(CodecCpuClock, MeasuresAPlausibleClockAndRefusesAnEmptySpan)
{
    double mhz = 0;
    const codec::CodecStatus s = codec::codecCpuClock(20, mhz);
    if (s == codec::CodecStatus::NoSupport)
        GTEST_SKIP() << "no time-stamp counter on this processor";
    ASSERT_EQ(s, codec::CodecStatus::Nothing);
    EXPECT_GT(mhz, 50.0);
    EXPECT_LT(mhz, 20000.0);
    EXPECT_EQ(codec::codecCpuClock(0, mhz), codec::CodecStatus::Param);
}
