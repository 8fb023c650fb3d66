// Fuzz target of block decompression. The first four bytes give the expected unpacked length (at
// most 1 MiB), the rest is the compressed block. The same bytes are also packed and unpacked, which
// must give them back.
#include "platform/codec/block_compress.h"

#include <sanitizer/asan_interface.h>

#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

namespace {

constexpr uint32_t kMaxExpected = 1u << 20;

// The destination of every input: one buffer of the largest expected length, of which only the
// first `expected` bytes are addressable for the input (the rest is poisoned), so a write past the
// expected length is still caught, without fresh pages of a new megabyte for each input. They
// start as zeros each time, as a new buffer would.
std::span<uint8_t> destination(uint32_t expected)
{
    static std::vector<uint8_t> buffer(kMaxExpected + 1);
    ASAN_UNPOISON_MEMORY_REGION(buffer.data(), expected);
    ASAN_POISON_MEMORY_REGION(buffer.data() + expected, buffer.size() - expected);
    std::memset(buffer.data(), 0, expected);
    return {buffer.data(), expected};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    uint32_t expected;
    std::memcpy(&expected, data, 4);
    expected %= kMaxExpected + 1;
    (void)codec::codecDecompress({data + 4, size - 4}, destination(expected));

    std::vector<uint8_t> packed;
    codec::CodecCompressIO io;
    io.realloc = [&packed](uint8_t *, size_t n) {
        packed.resize(n);
        return packed.data();
    };
    uint8_t *buf = nullptr;
    uint32_t bufLen = 0;
    if (codec::codecCompress(data, uint32_t(size), buf, bufLen, io) != codec::CodecStatus::Nothing)
        std::abort();
    std::vector<uint8_t> back(size);
    if (codec::codecDecompress({packed.data(), io.count}, back) != codec::CodecStatus::Nothing ||
        std::memcmp(back.data(), data, size) != 0)
        std::abort();
    return 0;
}
