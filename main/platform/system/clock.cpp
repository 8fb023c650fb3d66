#include "platform/system/clock.h"

#include <chrono>
#include <utility>

namespace {

MillisecondClock gInstalledClock;

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
