// Feeds outside bytes to the chunk header checks and the two string readers, the way the chunked
// readers call them: a walk over a chunk sequence where each chunk's payload begins with a 32-bit
// text byte count followed by the text.
//
// Input: byte 0 picks the text kind of every chunk (bit 0: UTF-16, else ANSI); the rest is the
// chunk sequence.
#include "format/chunk.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    const bool wide = data[0] & 1;
    const auto rest = std::span(data + 1, size - 1);
    (void)checkChunkId(rest, chunkTag("QPIM"));
    (void)checkChunkIdSize(rest, chunkTag("QPIM"), 48);

    QByteArray bytes(reinterpret_cast<const char *>(rest.data()), qsizetype(rest.size()));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    for (;;) {
        const int64_t start = stream.pos();
        SChunkHeader head;
        if (readChunkHeader(stream, head) != CS_OK) {
            break;
        }
        if (head.size >= 4) {
            uint8_t countBytes[4];
            if (stream.read(reinterpret_cast<char *>(countBytes), 4) != 4) {
                break;
            }
            const int32_t count = int32_t(countBytes[0] | countBytes[1] << 8 | countBytes[2] << 16 |
                                          uint32_t(countBytes[3]) << 24);
            QString text = "unchanged";
            const uint8_t code =
                wide ? readWideString(stream, count, text) : readAnsiString(stream, count, text);
            if (code == CS_OK) {
                if (stream.pos() != start + 12 + count || text.contains(QChar(0))) {
                    abort(); // the readers must consume exactly count bytes and stop at zero
                }
            } else if (text != "unchanged") {
                abort(); // a failed read leaves the text as it was
            }
        }
        if (skipChunk(stream, start, head) != CS_OK) {
            break;
        }
    }
    return 0;
}
