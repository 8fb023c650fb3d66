// Block compression: a memory block packed with zlib into a form of ours that records both of its
// lengths, and unpacked only when it gives back exactly the expected bytes.
//
// A compressed block:
//    0  4 bytes   the tag "KZB1"
//    4  u32 LE    the uncompressed length
//    8  u32 LE    the length of the zlib stream that follows
//   12  ...       the zlib stream (its Adler-32 check included)
#pragma once

#include "platform/codec/codec_status.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace codec {

inline constexpr uint32_t kBlockHeaderBytes = 12;

// Where compressed bytes go. Exactly one of write and realloc is set.
struct CodecCompressIO
{
    // Output through the caller's work space: called with up to bufLen bytes at a time as count
    // elements of elemSize (1) bytes; answers the number of whole elements it wrote.
    std::function<size_t(const uint8_t *buffer, size_t elemSize, size_t count)> write;
    // Output into buf itself, grown by this when it is too small: answers the block of newSize
    // bytes (contents kept) or nullptr.
    std::function<uint8_t *(uint8_t *block, size_t newSize)> realloc;
    // Set by codecCompress: the number of compressed bytes produced (0 on failure).
    uint32_t count = 0;
};

// Compresses srcLen bytes at src. With io.write, buf is work space of bufLen bytes through which
// the output passes; with io.realloc, the output is left in buf (grown, and buf and bufLen updated,
// when needed), so that on success io.count <= bufLen. Codes: Param (no source, no output, no
// work space), NoMemory, Compress, FileWrite (the writer took fewer bytes than given), Range
// (a result past 4 GiB).
[[nodiscard]] CodecStatus codecCompress(const uint8_t *src, uint32_t srcLen, uint8_t *&buf,
                                        uint32_t &bufLen, CodecCompressIO &io);

// Whether src can be a block that unpacks to exactly `length` bytes, judged by its header alone:
// the tag, the recorded uncompressed length, a stream within src and long enough to give that
// many bytes. Lets a caller refuse a block before it reserves the destination.
[[nodiscard]] bool codecBlockMayUnpackTo(std::span<const uint8_t> src, size_t length);

// Unpacks one compressed block, read only within src, into dst. Succeeds only when the block
// says it holds dst.size() bytes and its stream gives exactly that many, ending within src, with
// a correct check. Extract otherwise, NoMemory when the decoder cannot be set up; dst's contents
// are then unspecified.
[[nodiscard]] CodecStatus codecDecompress(std::span<const uint8_t> src, std::span<uint8_t> dst);

} // namespace codec
