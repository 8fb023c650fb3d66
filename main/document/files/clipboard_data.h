// The bytes the program puts on the clipboard and reads back, built and parsed without the
// clipboard itself (the clipboard functions of document/files/clipboard.h and the fuzz target use
// these):
//
// - the bitmap (MIME type "image/bmp"): a 14-byte file header ("BM", file size = DIB size + 14,
//   two reserved words 0, pixel offset 54) and a packed DIB: a 40-byte information header (width,
//   positive height: rows bottom-up, 1 plane, 24 or 32 bits, BI_RGB, biSizeImage = height x row
//   stride, every other field 0), no colour table, then the rows. The 24-bit row stride is
//   width x 3 rounded up to a multiple of 4 (blue, green, red, alpha dropped); the 32-bit stride
//   is width x 4 (the sBGRA pixels as stored, alpha kept).
// - the layer attributes ("qzLayerAttr"): the native file's `QLYR` chunk of the layer (8-byte
//   chunk head, the 72-byte SOlyHeader, the UTF-16LE title area) with kOlyClipboardSize set in
//   the record's flags.
// - the clip box ("qzClipBox"): x, y, w, h as four little-endian signed 32-bit values.
//
// Every parser trusts nothing: sizes, offsets and rows are checked against the bytes given.
#pragma once

#include "core/base/geometry.h"
#include "format/layer_header.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <span>

class CLayerData;
class TMTC;

// The clipboard's MIME types. The three formats named last are reserved: never written or read.
inline const QString kClipFormatBitmap = QStringLiteral("image/bmp");
inline const QString kClipFormatPng = QStringLiteral("image/png");
inline const QString kClipFormatLayerAttr = QStringLiteral("application/x-kavrin-qzLayerAttr");
inline const QString kClipFormatClipBox = QStringLiteral("application/x-kavrin-qzClipBox");
inline const QString kClipFormatMaskAttr = QStringLiteral("application/x-kavrin-qzMaskAttr");
inline const QString kClipFormatMaskData = QStringLiteral("application/x-kavrin-qzMaskData");
inline const QString kClipFormatOptAttr = QStringLiteral("application/x-kavrin-qzOptAttr");

inline constexpr int32_t kClipFileHeaderBytes = 14;
inline constexpr int32_t kClipDibHeaderBytes = 40;
inline constexpr int32_t kClipBoxBytes = 16;
// The chunk head and the record: the least a layer attribute block holds.
inline constexpr int32_t kClipLayerAttrMinBytes = 8 + int32_t(sizeof(SOlyHeader));
// Pictures read from the clipboard are at most this many pixels on a side.
inline constexpr int32_t kClipMaxSide = 10000;

// A layer record read back from the clipboard.
struct SClipLayerAttr
{
    SOlyHeader hdr{};
    QString title;
};

// What the bitmap's information header says: the width, the height as a positive number and the
// bits per pixel.
struct SClipDibInfo
{
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
};

// The packed DIB of box (clipped to the image) at 24 or 32 bits. Empty when nothing of the box
// is left, bitCount is another value or the memory cannot be had.
QByteArray makeClipboardDib(const TMTC &image, sBox box, int32_t bitCount);
// The bitmap: the file header followed by dib. Empty when dib is or the memory cannot be had.
QByteArray makeClipboardBitmap(const QByteArray &dib);

// The header fields of a bitmap: false unless it starts with "BM" and holds a whole information
// header (12 bytes, or 40 and more) of sides 1..10000.
bool readClipboardDibInfo(std::span<const uint8_t> bitmap, SClipDibInfo &info);
// The picture of a bitmap as a new 32-bit image, or null. A 40-byte BI_RGB header of 24 or 32
// bits whose pixels start right after it (and its colour table, when biClrUsed counts one) is
// read directly, rows bottom-up or (negative height) top-down; 24-bit pixels get alpha 255, and
// 32-bit ones keep their alpha only when keepAlpha is true. Any other bitmap (palettes, bit-field
// masks, other header sizes) is read by the BMP codec and made opaque. Null for sides outside
// 1..10000, rows past the data, or anything malformed.
std::unique_ptr<TMTC> clipboardBitmapToImage(std::span<const uint8_t> bitmap, bool keepAlpha);

// The layer's record with kOlyClipboardSize set; empty on failure.
QByteArray makeLayerAttrData(const CLayerData &layer);
// A record read back: false unless the data begin with the tag `QLYR` and a size field of at
// least 72 and hold the whole record. The title runs from byte 80 to its zero character, never
// past the data.
bool parseLayerAttrData(std::span<const uint8_t> data, SClipLayerAttr &out);

QByteArray makeClipBoxData(const sBox &box);
// The first 16 bytes as a box; false when there are fewer.
bool parseClipBoxData(std::span<const uint8_t> data, sBox &box);

// The bytes of a byte array as a span.
inline std::span<const uint8_t> clipBytes(const QByteArray &data)
{
    return {reinterpret_cast<const uint8_t *>(data.constData()), size_t(data.size())};
}
