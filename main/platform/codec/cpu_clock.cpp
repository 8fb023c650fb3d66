#include "platform/codec/cpu_clock.h"

#include <chrono>
#include <thread>

#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace codec {

CodecStatus codecCpuClock(int32_t spanMs, double &mhz)
{
    if (spanMs <= 0)
        return CodecStatus::Param;
#if defined(__x86_64__) || defined(__i386__)
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    const uint64_t c0 = __rdtsc();
    std::this_thread::sleep_for(std::chrono::milliseconds(spanMs));
    const uint64_t c1 = __rdtsc();
    const auto t1 = Clock::now();
    const double us = std::chrono::duration<double, std::micro>(t1 - t0).count();
    if (us <= 0)
        return CodecStatus::Failed;
    mhz = double(c1 - c0) / us;
    return CodecStatus::Nothing;
#else
    (void)mhz;
    return CodecStatus::NoSupport;
#endif
}

} // namespace codec
