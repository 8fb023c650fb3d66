#include "platform/codec/block_compress.h"

#include "platform/codec/codec_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace codec {
namespace {

constexpr uint8_t kBlockTag[4] = {'K', 'Z', 'B', '1'};
// Deflate gives at most 1032 bytes per stream byte (a 258-byte match in every two bits); the slack
// covers the smallest streams, whose zlib header and check outweigh their contents.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kInflateSlack = 4096;

// The whole compressed block (header and stream) into `packed`.
CodecStatus packBlock(const uint8_t *src, uint32_t srcLen, std::vector<uint8_t> &packed)
{
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK)
        return CodecStatus::NoMemory;
    const uLong bound = deflateBound(&z, srcLen);
    if (bound > UINT32_MAX - kBlockHeaderBytes) {
        deflateEnd(&z);
        return CodecStatus::Range;
    }
    try {
        packed.resize(kBlockHeaderBytes + bound);
    } catch (const std::bad_alloc &) {
        deflateEnd(&z);
        return CodecStatus::NoMemory;
    }
    static const uint8_t none = 0;
    z.next_in = const_cast<Bytef *>(srcLen != 0 ? src : &none);
    z.avail_in = srcLen;
    z.next_out = packed.data() + kBlockHeaderBytes;
    z.avail_out = uInt(bound);
    const int result = deflate(&z, Z_FINISH);
    const uLong streamLen = z.total_out;
    deflateEnd(&z);
    if (result != Z_STREAM_END)
        return CodecStatus::Compress;
    if (streamLen > UINT32_MAX - kBlockHeaderBytes)
        return CodecStatus::Range;
    packed.resize(kBlockHeaderBytes + streamLen);
    std::memcpy(packed.data(), kBlockTag, 4);
    putLE32(packed.data() + 4, srcLen);
    putLE32(packed.data() + 8, uint32_t(streamLen));
    return CodecStatus::Nothing;
}

CodecStatus writeThrough(const std::vector<uint8_t> &packed, uint8_t *buf, uint32_t bufLen,
                         CodecCompressIO &io)
{
    for (size_t done = 0; done < packed.size();) {
        const size_t n = std::min<size_t>(bufLen, packed.size() - done);
        std::memcpy(buf, packed.data() + done, n);
        if (io.write(buf, 1, n) != n)
            return CodecStatus::FileWrite;
        done += n;
    }
    return CodecStatus::Nothing;
}

CodecStatus storeInto(const std::vector<uint8_t> &packed, uint8_t *&buf, uint32_t &bufLen,
                      CodecCompressIO &io)
{
    if (packed.size() > bufLen) {
        uint8_t *grown = io.realloc(buf, packed.size());
        if (!grown)
            return CodecStatus::NoMemory;
        buf = grown;
        bufLen = uint32_t(packed.size());
    }
    std::memcpy(buf, packed.data(), packed.size());
    return CodecStatus::Nothing;
}

} // namespace

CodecStatus codecCompress(const uint8_t *src, uint32_t srcLen, uint8_t *&buf, uint32_t &bufLen,
                          CodecCompressIO &io)
{
    io.count = 0;
    if (!src && srcLen != 0)
        return CodecStatus::Param;
    if (bool(io.write) == bool(io.realloc))
        return CodecStatus::Param;
    if (io.write && (!buf || bufLen == 0))
        return CodecStatus::Param;
    if (io.realloc && !buf && bufLen != 0)
        return CodecStatus::Param;
    std::vector<uint8_t> packed;
    CodecStatus s = packBlock(src, srcLen, packed);
    if (s == CodecStatus::Nothing)
        s = io.write ? writeThrough(packed, buf, bufLen, io) : storeInto(packed, buf, bufLen, io);
    if (s == CodecStatus::Nothing)
        io.count = uint32_t(packed.size());
    return s;
}

bool codecBlockMayUnpackTo(std::span<const uint8_t> src, size_t length)
{
    if (src.size() < kBlockHeaderBytes || std::memcmp(src.data(), kBlockTag, 4) != 0)
        return false;
    const uint32_t rawLen = getLE32(src.data() + 4);
    const uint32_t streamLen = getLE32(src.data() + 8);
    return rawLen == length && streamLen <= src.size() - kBlockHeaderBytes &&
           rawLen <= uint64_t(streamLen) * kMaxInflateRatio + kInflateSlack;
}

CodecStatus codecDecompress(std::span<const uint8_t> src, std::span<uint8_t> dst)
{
    if (!codecBlockMayUnpackTo(src, dst.size()))
        return CodecStatus::Extract;
    const uint32_t streamLen = getLE32(src.data() + 8);
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return CodecStatus::NoMemory;
    uint8_t none = 0;
    z.next_in = const_cast<Bytef *>(src.data() + kBlockHeaderBytes);
    z.avail_in = streamLen;
    z.next_out = dst.empty() ? &none : dst.data();
    z.avail_out = uInt(dst.size());
    const int result = inflate(&z, Z_FINISH);
    // Exactly the expected bytes, the whole stream used, its end and check reached.
    const bool exact = result == Z_STREAM_END && z.avail_out == 0 && z.avail_in == 0;
    inflateEnd(&z);
    return exact ? CodecStatus::Nothing : CodecStatus::Extract;
}

} // namespace codec
