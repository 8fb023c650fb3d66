// Feeds outside bytes to the image record readers. Byte 0 picks the reader (data, channel, canvas,
// thumbnail search); the rest is the stream. A record that reads is written again and must read
// back to the same pixels.
#include "core/canvas.h"
#include "core/channel.h"
#include "document/format/chunk.h"
#include "document/format/image_records.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

void checkRewrite(SImageRecordDesc desc, const std::vector<uint8_t> &data)
{
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    if (writeImageRecord(out, desc, data) != CS_OK) {
        abort();
    }
    out.seek(0);
    SImageRecordDesc back;
    std::vector<uint8_t> again;
    int64_t length = 0;
    if (readImageRecordData(out, back, again, length) != CS_OK || again != data ||
        length != out.size()) {
        abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    int64_t length = 0;
    SImageRecordDesc desc;
    switch (data[0] % 4) {
    case 0: {
        std::vector<uint8_t> pixels;
        if (readImageRecordData(stream, desc, pixels, length) == CS_OK) {
            if (pixels.size() != desc.rawLen || stream.pos() != length) {
                abort();
            }
            checkRewrite(desc, pixels);
        }
        break;
    }
    case 1: {
        std::unique_ptr<TChannel> ch;
        if (readChannelRecord(stream, desc, ch, length) == CS_OK &&
            (ch->width() != desc.width || ch->height() != desc.height)) {
            abort();
        }
        break;
    }
    case 2: {
        std::unique_ptr<TMTC> img;
        if (readImageRecord(stream, img) == CS_OK && !img->isEnable()) {
            abort();
        }
        break;
    }
    default: {
        std::unique_ptr<TMTC> img;
        (void)findThumbnail(stream, img);
        break;
    }
    }
    return 0;
}
