// Fuzz target of the JPEG reader: any bytes, read as a JPEG file from memory.
#include "platform/codec/jpeg_codec.h"

#include <QBuffer>

#include <cstdlib>

// Pictures up to 1024 pixels a side keep each run short; the checks against the real limit are
// the same code with a larger number.
static constexpr int32_t kFuzzMaxSide = 1024;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    codec::CodecImage img;
    if (codec::jpegReadImage(buffer, img, kFuzzMaxSide) != codec::CodecStatus::Nothing)
        return 0;
    // A picture handed out must convert: its header and rows agree.
    std::vector<uint8_t> px(size_t(img.info.biWidth) * size_t(img.info.biHeight) * 4);
    if (codec::bmpConv32(img.info, img.bits, img.info.biWidth, img.info.biHeight, px) !=
        codec::CodecStatus::Nothing)
        std::abort();
    return 0;
}
