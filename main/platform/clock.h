// The millisecond clock that paces replays, previews and popups: timeGetTime.
#pragma once

#include <cstdint>
#include <functional>

// Milliseconds on a monotonic clock from an arbitrary start, wrapping at 2^32 (about 49.7 days).
// Intervals are taken as the unsigned 32-bit difference of two readings, which stays right
// across the wrap.
uint32_t timeGetTime();

// A replacement clock for tests. installMillisecondClock makes timeGetTime answer clock() and
// returns the clock installed before (empty for the real one); an empty function puts the real
// clock back.
using MillisecondClock = std::function<uint32_t()>;
MillisecondClock installMillisecondClock(MillisecondClock clock);
