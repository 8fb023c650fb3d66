// File helpers shared by the codec's readers and writers: opening a file to read, writing a file
// through a temporary beside it, and little-endian field access.
#pragma once

#include "platform/codec/codec_status.h"

#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>

class QIODevice;

namespace codec {

// Opens path for reading. FileOpen when it cannot be opened.
[[nodiscard]] CodecStatus openForReading(const QString &path, QFile &file);

// Writes path through a temporary file that replaces it only when `write` succeeded and the whole
// file reached the disc; otherwise the old file stays as it was. FileOpen when the temporary
// cannot be created, FileWrite when the file could not be completed, or write's own code.
[[nodiscard]] CodecStatus saveFileThrough(const QString &path,
                                          const std::function<CodecStatus(QIODevice &)> &write);

// Reads exactly n bytes; false on a short read.
[[nodiscard]] bool readExactly(QIODevice &dev, void *dst, int64_t n);
// Writes exactly n bytes; false on a short write.
[[nodiscard]] bool writeExactly(QIODevice &dev, const void *src, int64_t n);

inline uint16_t getLE16(const uint8_t *p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t getLE32(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void putLE16(uint8_t *p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void putLE32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

} // namespace codec
