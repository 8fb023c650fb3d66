// BMP files: reading any uncompressed BMP (1, 4, 8, 16, 24 and 32 bits, palettes and bit-field
// masks, both row orders, information headers of 12, 40, 52, 56, 108 and 124 bytes) into a DIB, and
// writing a 24- or 32-bit DIB as a BMP file.
#pragma once

#include "platform/codec/dib.h"

#include <QString>

class QIODevice;

namespace codec {

// Reads the BMP file at path. The result is a bottom-up DIB of 32 bits when the file carries
// transparency (32-bit rows, or an alpha mask) and of 24 bits otherwise. A 32-bit file whose alpha
// bytes are all 0 is taken as opaque: such files come from writers that leave the byte unused.
// Codes: FileOpen, Failed (not a BMP, inconsistent header), ColorMode (pixel depth), NoSupport
// (run-length or embedded compression, other header kinds), Range (a side not 1..maxSide),
// FileRead (the file is shorter than its header says), NoMemory.
[[nodiscard]] CodecStatus bmpGetImage(const QString &path, CodecImage &out);
// The same from a random-access device positioned at the file's start.
[[nodiscard]] CodecStatus bmpReadImage(QIODevice &dev, CodecImage &out,
                                       int32_t maxSide = kCodecMaxSide);

// Writes a 24- or 32-bit DIB as a BMP file (its rows as they are, its resolution kept), through a
// temporary file. Param when the DIB is not one the writer takes.
[[nodiscard]] CodecStatus bmpSaveImage(const QString &path, const BitmapInfoHeader &info,
                                       std::span<const uint8_t> bits);
[[nodiscard]] CodecStatus bmpWriteImage(QIODevice &dev, const BitmapInfoHeader &info,
                                        std::span<const uint8_t> bits);

} // namespace codec
