// The processor clock, as the program's start-up environment records it.
#pragma once

#include "platform/codec/codec_status.h"

#include <cstdint>

namespace codec {

// Measures the processor's time-stamp clock over spanMs milliseconds (the caller waits that long)
// and gives it in MHz. Param for a span that is not positive, NoSupport on a processor without
// a time-stamp counter.
[[nodiscard]] CodecStatus codecCpuClock(int32_t spanMs, double &mhz);

} // namespace codec
