// PNG files through libpng: any PNG read into a DIB (palettes, grey, 16-bit samples and
// transparency expanded), and a 24- or 32-bit DIB written as an RGB or RGBA PNG.
#pragma once

#include "platform/codec/dib.h"

#include <QString>

class QIODevice;

namespace codec {

// Reads the PNG file at path into a bottom-up DIB: 32 bits when the image has an alpha channel
// or a transparent colour, 24 bits otherwise. The resolution comes from the pHYs chunk when it is
// given in pixels per metre. Codes: FileOpen, Failed (not a PNG), Range (a side not 1..maxSide),
// FileRead (the file ends early), Extract (corrupt data), NoMemory, Setup.
[[nodiscard]] CodecStatus pngGetImage(const QString &path, CodecImage &out);
[[nodiscard]] CodecStatus pngReadImage(QIODevice &dev, CodecImage &out,
                                       int32_t maxSide = kCodecMaxSide);

// Writes a 24-bit DIB as an RGB PNG and a 32-bit DIB as an RGBA PNG, through a temporary file.
// level is the deflate level 0..9, or -1 for the library's default.
[[nodiscard]] CodecStatus pngSaveImage(const QString &path, const BitmapInfoHeader &info,
                                       std::span<const uint8_t> bits, int32_t level = -1);
[[nodiscard]] CodecStatus pngWriteImage(QIODevice &dev, const BitmapInfoHeader &info,
                                        std::span<const uint8_t> bits, int32_t level = -1);

} // namespace codec
