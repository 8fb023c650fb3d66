// Fuzz target of block decompression. The first four bytes give the expected unpacked length (at
// most 1 MiB), the rest is the compressed block. The same bytes are also packed and unpacked, which
// must give them back.
#include "platform/codec/block_compress.h"

#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    uint32_t expected;
    std::memcpy(&expected, data, 4);
    expected %= (1u << 20) + 1;
    std::vector<uint8_t> dst(expected);
    (void)codec::codecDecompress({data + 4, size - 4}, dst);

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
