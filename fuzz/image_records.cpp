// Feeds outside bytes to the image and mask record readers. Byte 0 picks the reader (data, channel,
// canvas, thumbnail search, mask with version-1 or version-2 titles); the rest is the stream. An
// image record or mask that reads is written again and must read back to the same pixels.
#include "format/image_records.h"
#include "core/tiles/block_channel.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "format/chunk.h"
#include "format/mask_records.h"

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

// A mask read from the stream is written and read again: same size and bytes.
void checkMask(QIODevice &stream, uint16_t fileVersion)
{
    SChunkHeader head;
    if (readChunkHeader(stream, head) != CS_OK) {
        return;
    }
    CMaskMngr mngr(nullptr, 4);
    SMaskReadTarget target{&mngr, {64, 64}, fileVersion};
    if (readMaskRecord(stream, target, head.size, nullptr) != CS_OK) {
        if (mngr.getMaskCount() != 1) {
            abort(); // nothing appended on failure
        }
        return;
    }
    const CMaskData &mask = *mngr.getMask(1);
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    if (writeMaskRecord(out, {64, 64}, mask) != CS_OK) {
        abort();
    }
    out.seek(0);
    if (readChunkHeader(out, head) != CS_OK ||
        readMaskRecord(out, {&mngr, {64, 64}, 2}, head.size, nullptr) != CS_OK) {
        abort(); // titles are written as UTF-16 whatever they were read from
    }
    const CMaskData &again = *mngr.getMask(2);
    if (mask.hasMask() != again.hasMask() || again.title != mask.title) {
        abort();
    }
    if (mask.hasMask()) {
        const CBlockVCH &a = *mask.maskTC, &b = *again.maskTC;
        if (a.FPSZ() != b.FPSZ()) {
            abort();
        }
        for (int32_t y = 0; y < a.height(); y += 7) {
            for (int32_t x = 0; x < a.width(); x += 5) {
                if (a.getColor(x, y) != b.getColor(x, y)) {
                    abort();
                }
            }
        }
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
    switch (data[0] % 5) {
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
    case 3: {
        std::unique_ptr<TMTC> img;
        (void)findThumbnail(stream, img);
        break;
    }
    default:
        checkMask(stream, uint16_t(1 + (data[0] / 5) % 2)); // both title encodings
        break;
    }
    return 0;
}
