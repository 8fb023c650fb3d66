// The body shared by the fuzz targets of the image readers: any bytes, read from memory by one
// reader; a picture handed out must convert to 32 bits, or the target aborts.
#pragma once

#include "platform/codec/bmp_codec.h"

#include <QBuffer>

#include <cstdlib>
#include <vector>

// Pictures up to 1024 pixels a side keep each run short; the checks against the real limit are
// the same code with a larger number.
static constexpr int32_t kFuzzMaxSide = 1024;

using fptrFuzzImageReader = codec::CodecStatus (*)(QIODevice &dev, codec::CodecImage &out,
                                                   int32_t maxSide);

inline int fuzzImageReader(const uint8_t *data, size_t size, fptrFuzzImageReader read)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    codec::CodecImage img;
    if (read(buffer, img, kFuzzMaxSide) != codec::CodecStatus::Nothing)
        return 0;
    // A picture handed out must convert: its header and rows agree.
    std::vector<uint8_t> px(size_t(img.info.biWidth) * size_t(img.info.biHeight) * 4);
    if (codec::bmpConv32(img.info, img.bits, img.info.biWidth, img.info.biHeight, px) !=
        codec::CodecStatus::Nothing)
        std::abort();
    return 0;
}
