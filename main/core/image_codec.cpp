#include "core/image_codec.h"

#include "platform/codec/block_compress.h"

#include <QIODevice>

#include <algorithm>
#include <climits>
#include <new>

int32_t dllStreamWrite(const void *buffer, size_t elemSize, size_t count, QIODevice &stream)
{
    if (elemSize == 0)
        return 0;
    const qint64 written = stream.write(static_cast<const char *>(buffer), qint64(elemSize * count));
    return written <= 0 ? 0 : int32_t(size_t(written) / elemSize);
}

uint8_t *dllRealloc(std::vector<uint8_t> &block, size_t newSize)
{
    try {
        block.resize(newSize);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    return block.data();
}

int32_t compressToStream(const void *src, uint32_t srcLen, std::vector<uint8_t> &workBuf,
                         QIODevice &stream)
{
    if (workBuf.empty() && !dllRealloc(workBuf, kCompressWorkBytes))
        return 0;
    codec::CodecCompressIO io;
    io.write = [&stream](const uint8_t *buffer, size_t elemSize, size_t count) {
        return size_t(dllStreamWrite(buffer, elemSize, count, stream));
    };
    uint8_t *buf = workBuf.data();
    uint32_t bufLen = uint32_t(std::min<size_t>(workBuf.size(), UINT32_MAX));
    const codec::CodecStatus s =
        codec::codecCompress(static_cast<const uint8_t *>(src), srcLen, buf, bufLen, io);
    if (s != codec::CodecStatus::Nothing || io.count > uint32_t(INT32_MAX))
        return 0;
    return int32_t(io.count);
}

int32_t compressToMemory(const void *src, uint32_t srcLen, std::vector<uint8_t> &dst)
{
    codec::CodecCompressIO io;
    io.realloc = [&dst](uint8_t *, size_t newSize) { return dllRealloc(dst, newSize); };
    uint8_t *buf = dst.empty() ? nullptr : dst.data();
    uint32_t bufLen = uint32_t(std::min<size_t>(dst.size(), UINT32_MAX));
    const codec::CodecStatus s =
        codec::codecCompress(static_cast<const uint8_t *>(src), srcLen, buf, bufLen, io);
    // The caller reads io.count bytes of dst: that must never run past it.
    if (s != codec::CodecStatus::Nothing || io.count > dst.size() ||
        io.count > uint32_t(INT32_MAX))
        return 0;
    return int32_t(io.count);
}
