// JPEG files through libjpeg-turbo: baseline and progressive, grey, colour and CMYK files read
// into a 24-bit DIB; a 24- or 32-bit DIB written with the program's five JPEG options.
#pragma once

#include "platform/codec/dib.h"

#include <QString>

#include <type_traits>

class QIODevice;

namespace codec {

// The option record the program keeps for saving JPEG: five 32-bit values. The three switches
// are -1 (on) or 0 (off); any non-zero value counts as on.
struct JpegSaveOptions
{
    int32_t progressive = 0; // progressive scans instead of one baseline scan
    int32_t greyscale = 0;   // a one-component grey file
    int32_t smoothOn = 0;    // smoothing switched on
    int32_t quality = 75;    // 0..100 (clamped)
    int32_t smoothing = 0;   // smoothing strength 0..100 (clamped), used when smoothOn
};
static_assert(sizeof(JpegSaveOptions) == 20 && std::is_trivially_copyable_v<JpegSaveOptions>);

// Reads the JPEG file at path into a bottom-up 24-bit DIB (a JPEG has no transparency). The
// resolution comes from the JFIF density when it is given in inches or centimetres. Codes:
// FileOpen, Failed (not a JPEG), Range (a side not 1..maxSide), FileRead (the file ends before the
// image does), Extract (corrupt data), ColorMode (a colour model the reader cannot turn into RGB),
// NoMemory.
[[nodiscard]] CodecStatus jpegGetImage(const QString &path, CodecImage &out);
[[nodiscard]] CodecStatus jpegReadImage(QIODevice &dev, CodecImage &out,
                                        int32_t maxSide = kCodecMaxSide);

// Writes a 24- or 32-bit DIB (alpha ignored) as a JFIF file through a temporary file, with the
// DIB's resolution as its density in dots per inch.
[[nodiscard]] CodecStatus jpegSaveImage(const QString &path, const BitmapInfoHeader &info,
                                        std::span<const uint8_t> bits,
                                        const JpegSaveOptions &options);
[[nodiscard]] CodecStatus jpegWriteImage(QIODevice &dev, const BitmapInfoHeader &info,
                                         std::span<const uint8_t> bits,
                                         const JpegSaveOptions &options);

} // namespace codec
