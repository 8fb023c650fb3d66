// The device-independent bitmap through which the codec hands images in and out: a 40-byte
// information header and rows of 24- or 32-bit pixels (B, G, R[, A]), each row padded to four
// bytes, bottom-up when the height is positive and top-down when it is negative.
#pragma once

#include "platform/codec/codec_status.h"

#include <cstdint>
#include <span>
#include <type_traits>
#include <vector>

namespace codec {

// Images wider or taller than this are refused by every reader.
inline constexpr int32_t kCodecMaxSide = 10000;

inline constexpr uint32_t kBiRgb = 0;
inline constexpr uint32_t kBiBitfields = 3;

// The platform's BITMAPINFOHEADER, field for field; it reaches files byte for byte.
struct BitmapInfoHeader
{
    uint32_t biSize = 40;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // positive: bottom-up rows; negative: top-down rows
    uint16_t biPlanes = 1;
    uint16_t biBitCount = 0;
    uint32_t biCompression = kBiRgb;
    uint32_t biSizeImage = 0;
    int32_t biXPelsPerMeter = 0;
    int32_t biYPelsPerMeter = 0;
    uint32_t biClrUsed = 0;
    uint32_t biClrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40 && std::is_trivially_copyable_v<BitmapInfoHeader>);

// An image as a reader returns it: the header and the pixel rows, owned together, so that both are
// released on every path.
struct CodecImage
{
    BitmapInfoHeader info;
    std::vector<uint8_t> bits;
};

// Bytes of one row of `width` pixels of `bitCount` bits, padded to four bytes.
inline uint64_t dibRowBytes(int64_t width, int bitCount)
{
    return uint64_t((width * bitCount + 31) / 32) * 4;
}

// Makes `img` a zeroed, bottom-up DIB of w x h pixels of 24 or 32 bits with the given resolution
// (pixels per metre). Range when a side is not 1..maxSide, NoMemory when the rows cannot be had.
[[nodiscard]] CodecStatus makeDib(CodecImage &img, int64_t w, int64_t h, int bitCount,
                                  int32_t pelsPerMeterX, int32_t pelsPerMeterY,
                                  int32_t maxSide = kCodecMaxSide);

// Checks that `info` describes an uncompressed 24- or 32-bit DIB of positive width and non-zero
// height whose rows all lie inside `bits`. Param otherwise.
[[nodiscard]] CodecStatus checkDib(const BitmapInfoHeader &info, std::span<const uint8_t> bits);

// Row y counted from the top of the picture, whatever the DIB's row order.
const uint8_t *dibRowFromTop(const BitmapInfoHeader &info, std::span<const uint8_t> bits,
                             int32_t y);
uint8_t *dibRowFromTop(CodecImage &img, int32_t y);

// Writes w x h 32-bit B, G, R, A pixels, rows top-down without padding, to dst. The size must be
// the DIB's own; pixels of a 24-bit DIB get alpha 255. Param when the DIB or the sizes do not
// agree or dst is too small.
[[nodiscard]] CodecStatus bmpConv32(const BitmapInfoHeader &info, std::span<const uint8_t> bits,
                                    int32_t w, int32_t h, std::span<uint8_t> dst);

// Resolution conversions between pixels per metre and dots per inch. The inch figure is the one
// the program's own header reading gives: trunc(ppm x 2.54 / 100 + 0.41), so that a round trip
// through a format that stores inches keeps it (72 <-> 2835, 96 <-> 3780).
int32_t dpiFromPelsPerMeter(int32_t ppm);
int32_t pelsPerMeterFromDpi(int32_t dpi);

} // namespace codec
