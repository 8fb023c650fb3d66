#include "document/events/image_packet.h"

#include "core/image/canvas.h"

#include <cstring>
#include <new>

bool readImagePacket(std::span<const uint8_t> body, SEvImagePacket &out)
{
    SEvImageDesc d;
    if (!readEventRecord(body, d))
        return false;
    if (d.hasHeader > 1 || d.bpp != 32 || d.width < 1 || d.width > 10000 || d.height < 1 ||
        d.height > 10000)
        return false;
    const uint64_t imageBytes = uint64_t(d.width) * d.height * 4;
    const uint64_t headBytes = d.hasHeader ? sizeof(SOlyHeader) : 0;
    const uint64_t rest = body.size() - sizeof d;
    if (d.dataBytes > imageBytes || d.total > rest ||
        headBytes + d.nameLen + uint64_t(d.dataBytes) > d.total)
        return false;
    const uint8_t *p = body.data() + sizeof d;
    out.desc = d;
    out.hasHeader = d.hasHeader == 1;
    if (out.hasHeader)
        std::memcpy(&out.header, p, sizeof(SOlyHeader));
    p += headBytes;
    out.name = QByteArray(reinterpret_cast<const char *>(p), d.nameLen);
    p += d.nameLen;
    try {
        out.image = std::make_unique<TMTC>(int32_t(d.width), int32_t(d.height));
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (out.image->width() != int32_t(d.width) || out.image->height() != int32_t(d.height)) {
        out.image.reset();
        return false;
    }
    // Rows top-down; what the packet does not cover stays zero.
    const uint32_t rowBytes = d.width * 4;
    uint32_t left = d.dataBytes;
    for (int32_t y = 0; y < int32_t(d.height) && left > 0; ++y) {
        const uint32_t n = std::min(rowBytes, left);
        auto *row = static_cast<uint8_t *>(out.image->seek(0, y));
        std::memcpy(row, p, n);
        std::memset(row + n, 0, rowBytes - n);
        p += n;
        left -= n;
    }
    for (int32_t y = int32_t((d.dataBytes + rowBytes - 1) / rowBytes); y < int32_t(d.height); ++y)
        std::memset(out.image->seek(0, y), 0, rowBytes);
    return true;
}
