#include "platform/system/clock.h"

#include <QDateTime>

#include <chrono>
#include <utility>

namespace {

MillisecondClock gInstalledClock;
UtcClock gUtcClock;

SSystemTime systemUtc()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDate d = now.date();
    const QTime t = now.time();
    SSystemTime st;
    st.wYear = uint16_t(d.year());
    st.wMonth = uint16_t(d.month());
    st.wDayOfWeek = uint16_t(d.dayOfWeek() % 7); // Sunday is 0
    st.wDay = uint16_t(d.day());
    st.wHour = uint16_t(t.hour());
    st.wMinute = uint16_t(t.minute());
    st.wSecond = uint16_t(t.second());
    st.wMilliseconds = uint16_t(t.msec());
    return st;
}

uint32_t systemMilliseconds()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    return uint32_t(uint64_t(ms)); // the low 32 bits: the count wraps
}

} // namespace

uint32_t timeGetTime()
{
    return gInstalledClock ? gInstalledClock() : systemMilliseconds();
}

MillisecondClock installMillisecondClock(MillisecondClock clock)
{
    return std::exchange(gInstalledClock, std::move(clock));
}

SSystemTime getSystemTimeUtc()
{
    return gUtcClock ? gUtcClock() : systemUtc();
}

UtcClock installUtcClock(UtcClock clock)
{
    return std::exchange(gUtcClock, std::move(clock));
}
