#include "platform/codec/dib.h"

#include <cmath>
#include <cstring>
#include <new>

namespace codec {

CodecStatus makeDib(CodecImage &img, int64_t w, int64_t h, int bitCount, int32_t pelsPerMeterX,
                    int32_t pelsPerMeterY, int32_t maxSide)
{
    if (w < 1 || h < 1 || w > maxSide || h > maxSide)
        return CodecStatus::Range;
    if (bitCount != 24 && bitCount != 32)
        return CodecStatus::Param;
    const uint64_t size = dibRowBytes(w, bitCount) * uint64_t(h);
    img.info = BitmapInfoHeader{};
    img.info.biWidth = int32_t(w);
    img.info.biHeight = int32_t(h);
    img.info.biBitCount = uint16_t(bitCount);
    img.info.biSizeImage = uint32_t(size);
    img.info.biXPelsPerMeter = pelsPerMeterX;
    img.info.biYPelsPerMeter = pelsPerMeterY;
    try {
        img.bits.assign(size, 0);
    } catch (const std::bad_alloc &) {
        img.bits = {};
        return CodecStatus::NoMemory;
    }
    return CodecStatus::Nothing;
}

CodecStatus checkDib(const BitmapInfoHeader &info, std::span<const uint8_t> bits)
{
    if (info.biSize < 40 || info.biWidth < 1 || info.biHeight == 0 ||
        info.biHeight == INT32_MIN || info.biCompression != kBiRgb ||
        (info.biBitCount != 24 && info.biBitCount != 32))
        return CodecStatus::Param;
    const uint64_t h = uint64_t(std::abs(int64_t(info.biHeight)));
    if (dibRowBytes(info.biWidth, info.biBitCount) * h > bits.size())
        return CodecStatus::Param;
    return CodecStatus::Nothing;
}

const uint8_t *dibRowFromTop(const BitmapInfoHeader &info, std::span<const uint8_t> bits, int32_t y)
{
    const int32_t h = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const int32_t stored = info.biHeight < 0 ? y : h - 1 - y;
    return bits.data() + dibRowBytes(info.biWidth, info.biBitCount) * uint64_t(stored);
}

uint8_t *dibRowFromTop(CodecImage &img, int32_t y)
{
    return const_cast<uint8_t *>(dibRowFromTop(img.info, img.bits, y));
}

CodecStatus bmpConv32(const BitmapInfoHeader &info, std::span<const uint8_t> bits, int32_t w,
                      int32_t h, std::span<uint8_t> dst)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    if (w != info.biWidth || int64_t(h) != std::abs(int64_t(info.biHeight)))
        return CodecStatus::Param;
    if (uint64_t(w) * uint64_t(h) * 4 > dst.size())
        return CodecStatus::Param;
    const int bpp = info.biBitCount / 8;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t *s = dibRowFromTop(info, bits, y);
        uint8_t *d = dst.data() + uint64_t(y) * uint64_t(w) * 4;
        if (bpp == 4) {
            std::memcpy(d, s, size_t(w) * 4);
            continue;
        }
        for (int32_t x = 0; x < w; ++x, s += 3, d += 4) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
            d[3] = 255; // a format without transparency is opaque
        }
    }
    return CodecStatus::Nothing;
}

int32_t dpiFromPelsPerMeter(int32_t ppm)
{
    if (ppm <= 0)
        return 0;
    return int32_t(std::trunc(double(ppm) * 2.54 / 100 + 0.41));
}

int32_t pelsPerMeterFromDpi(int32_t dpi)
{
    if (dpi <= 0)
        return 0;
    return int32_t(std::lrint(double(dpi) * 100 / 2.54));
}

} // namespace codec
