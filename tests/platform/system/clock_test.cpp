#include "platform/system/clock.h"

#include <gtest/gtest.h>

#include <QDateTime>

#include <cstdlib>

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

TEST(UtcClock, TheSystemTimeIsUtcWithSundayZero)
{
    const QDateTime before = QDateTime::currentDateTimeUtc();
    const SSystemTime t = getSystemTimeUtc();
    const QDate d(t.wYear, t.wMonth, t.wDay);
    ASSERT_TRUE(d.isValid());
    EXPECT_EQ(t.wDayOfWeek, d.dayOfWeek() % 7);
    const QDateTime got(d, QTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds), Qt::UTC);
    EXPECT_LE(std::abs(got.msecsTo(before)), 60000);

    SSystemTime fixed;
    fixed.wYear = 2001;
    const UtcClock previous = installUtcClock([fixed] { return fixed; });
    EXPECT_FALSE(previous);
    EXPECT_EQ(getSystemTimeUtc(), fixed);
    installUtcClock(previous);
    EXPECT_NE(getSystemTimeUtc().wYear, 2001);
}
