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
