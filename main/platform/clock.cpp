#include "platform/clock.h"

#include <chrono>
#include <utility>

namespace {
MillisecondClock &installedClock()
{
    static MillisecondClock clock;
    return clock;
}
} // namespace

uint32_t timeGetTime()
{
    if (const MillisecondClock &clock = installedClock())
        return clock();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Keeping the low 32 bits of the count is the wrap the callers expect.
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

MillisecondClock installMillisecondClock(MillisecondClock clock)
{
    return std::exchange(installedClock(), std::move(clock));
}
