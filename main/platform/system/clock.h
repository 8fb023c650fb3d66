// The millisecond clock the program reads for timings and seeds: a monotonic count of
// milliseconds as a 32-bit value that wraps after about 49.7 days, like the system tick count
// the program was designed around. Tests install a fixed clock.
#pragma once

#include <cstdint>
#include <functional>

using MillisecondClock = std::function<uint32_t()>;

// Milliseconds of the installed clock (the monotonic system clock by default).
uint32_t timeGetTime();

// Replaces the clock; an empty function restores the system clock. Answers the previous one
// (empty when it was the system clock), so a test can put it back.
MillisecondClock installMillisecondClock(MillisecondClock clock);

// The calendar time in UTC as the recorder stores it in its information packet: eight 16-bit
// fields, 16 bytes, little-endian (year, month 1-12, day of the week 0 = Sunday, day, hour,
// minute, second, milliseconds).
#pragma pack(push, 1)
struct SSystemTime
{
    uint16_t wYear = 0;
    uint16_t wMonth = 0;
    uint16_t wDayOfWeek = 0;
    uint16_t wDay = 0;
    uint16_t wHour = 0;
    uint16_t wMinute = 0;
    uint16_t wSecond = 0;
    uint16_t wMilliseconds = 0;
    friend bool operator==(const SSystemTime &, const SSystemTime &) = default;
};
#pragma pack(pop)
static_assert(sizeof(SSystemTime) == 16);

using UtcClock = std::function<SSystemTime()>;

// The current time in UTC from the installed clock (the system's by default).
SSystemTime getSystemTimeUtc();

// Replaces the UTC clock; an empty function restores the system's. Answers the previous one.
UtcClock installUtcClock(UtcClock clock);
