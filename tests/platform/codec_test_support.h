// Helpers of the codec tests: pictures with known pixels, and byte-level file builders.
#pragma once

#include "platform/codec/dib.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace codec::test {

// A bottom-up DIB of w x h pixels whose every pixel differs from its neighbours; with bitCount 32
// the alpha runs through all values too.
inline CodecImage patternDib(int32_t w, int32_t h, int bitCount, int32_t ppm = 3780)
{
    CodecImage img;
    if (makeDib(img, w, h, bitCount, ppm, ppm) != CodecStatus::Nothing)
        return img;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *p = dibRowFromTop(img, y);
        for (int32_t x = 0; x < w; ++x, p += bitCount / 8) {
            p[0] = uint8_t(x * 7 + y * 3);
            p[1] = uint8_t(x * 13 + y * 29 + 5);
            p[2] = uint8_t(x * 31 + y * 11 + 9);
            if (bitCount == 32)
                p[3] = uint8_t(x * 17 + y * 23 + 1);
        }
    }
    return img;
}

// A smooth picture (gradients), which a lossy coder keeps close.
inline CodecImage smoothDib(int32_t w, int32_t h)
{
    CodecImage img;
    if (makeDib(img, w, h, 24, 0, 0) != CodecStatus::Nothing)
        return img;
    for (int32_t y = 0; y < h; ++y) {
        uint8_t *p = dibRowFromTop(img, y);
        for (int32_t x = 0; x < w; ++x, p += 3) {
            p[0] = uint8_t(x * 255 / (w - 1));
            p[1] = uint8_t(y * 255 / (h - 1));
            p[2] = uint8_t((x + y) * 255 / (w + h - 2));
        }
    }
    return img;
}

// The picture as top-down B, G, R, A pixels (alpha 255 for 24 bits).
inline std::vector<uint8_t> topDownBgra(const CodecImage &img)
{
    const int32_t w = img.info.biWidth, h = std::abs(img.info.biHeight);
    std::vector<uint8_t> out(size_t(w) * h * 4);
    if (bmpConv32(img.info, img.bits, w, h, out) != CodecStatus::Nothing)
        return {};
    return out;
}

inline void put16(std::vector<uint8_t> &v, uint32_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}
inline void put32(std::vector<uint8_t> &v, uint32_t x)
{
    put16(v, x & 0xFFFF);
    put16(v, x >> 16);
}

inline QByteArray toBytes(const std::vector<uint8_t> &v)
{
    return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size()));
}

} // namespace codec::test
