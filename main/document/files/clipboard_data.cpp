#include "document/files/clipboard_data.h"
#include "core/base/memory_ops.h"

#include "core/codec/image_codec.h"
#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "document/files/native_image.h"
#include "platform/codec/bmp_codec.h"

#include <QBuffer>

#include <bit>
#include <cstring>
#include <new>

namespace {

constexpr uint32_t kClipPixelOffset = kClipFileHeaderBytes + kClipDibHeaderBytes;
// The flags word of the record, after the chunk head and the record's index.
constexpr int32_t kLayerAttrFlagsAt = 8 + 4;

uint32_t dibStride(int32_t width, int32_t bitCount)
{
    return bitCount == 24 ? (uint32_t(width) * 3 + 3) & ~3u : uint32_t(width) * 4;
}

// The information header of a bitmap that starts with "BM" and holds at least the first words
// of one; null otherwise.
const uint8_t *infoHeaderOf(std::span<const uint8_t> bitmap)
{
    if (bitmap.size() < size_t(kClipFileHeaderBytes) + 12 || bitmap[0] != 'B' || bitmap[1] != 'M')
        return nullptr;
    return bitmap.data() + kClipFileHeaderBytes;
}

// The directly readable form: a 40-byte BI_RGB header of 24 or 32 bits, pixels right after the
// header and the colour table the header counts.
bool isPlainDib(std::span<const uint8_t> bitmap, const tagBITMAPINFOHEADER &ih)
{
    const uint32_t offBits = getAt<uint32_t>(bitmap.data(), 10);
    return ih.biSize == uint32_t(kClipDibHeaderBytes) && ih.biCompression == BI_RGB &&
           (ih.biBitCount == 24 || ih.biBitCount == 32) &&
           uint64_t(offBits) == kClipPixelOffset + uint64_t(ih.biClrUsed) * 4;
}

// Any other bitmap, through the BMP codec; made opaque.
std::unique_ptr<TMTC> decodeOtherBitmap(std::span<const uint8_t> bitmap)
{
    QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char *>(bitmap.data()),
                                             qsizetype(bitmap.size()));
    QBuffer buffer(&raw);
    if (!buffer.open(QIODevice::ReadOnly))
        return nullptr;
    codec::CodecImage img;
    if (codec::bmpReadImage(buffer, img, kClipMaxSide) != codec::CodecStatus::Nothing)
        return nullptr;
    auto canvas = dibToCanvas(std::bit_cast<tagBITMAPINFOHEADER>(img.info), img.bits);
    if (canvas)
        canvas->setAlphaAll(255);
    return canvas;
}

} // namespace

QByteArray makeClipboardDib(const TMTC &image, sBox box, int32_t bitCount)
{
    if ((bitCount != 24 && bitCount != 32) || !image.isEnable() || !image.clipping(box))
        return {};
    const uint32_t stride = dibStride(box.w, bitCount);
    const uint64_t imageBytes = uint64_t(stride) * uint32_t(box.h);
    QByteArray dib;
    try {
        dib = QByteArray(qsizetype(kClipDibHeaderBytes + imageBytes), '\0');
    } catch (const std::bad_alloc &) {
        return {};
    }
    auto *p = reinterpret_cast<uint8_t *>(dib.data());
    putAt<uint32_t>(p, 0, kClipDibHeaderBytes);
    putAt<int32_t>(p, 4, box.w);
    putAt<int32_t>(p, 8, box.h);
    putAt<uint16_t>(p, 12, 1);
    putAt<uint16_t>(p, 14, uint16_t(bitCount));
    putAt<uint32_t>(p, 16, BI_RGB);
    putAt<uint32_t>(p, 20, uint32_t(imageBytes));
    // Bottom-up: the box's last row comes first. Row padding stays zero.
    uint8_t *row = p + kClipDibHeaderBytes;
    for (int32_t j = box.h - 1; j >= 0; --j, row += stride) {
        const sBGRA *src = image.seek32(box.x, box.y + j);
        if (bitCount == 24)
            row32To24(row, src, box.w);
        else
            std::memcpy(row, src, size_t(box.w) * 4);
    }
    return dib;
}

QByteArray makeClipboardBitmap(const QByteArray &dib)
{
    if (dib.isEmpty())
        return {};
    QByteArray bitmap;
    try {
        bitmap = QByteArray(kClipFileHeaderBytes, '\0');
        bitmap.append(dib);
    } catch (const std::bad_alloc &) {
        return {};
    }
    auto *p = reinterpret_cast<uint8_t *>(bitmap.data());
    putAt<uint16_t>(p, 0, BMP_FILE_TAG);
    putAt<uint32_t>(p, 2, uint32_t(bitmap.size()));
    putAt<uint32_t>(p, 10, kClipPixelOffset);
    return bitmap;
}

bool readClipboardDibInfo(std::span<const uint8_t> bitmap, SClipDibInfo &info)
{
    const uint8_t *h = infoHeaderOf(bitmap);
    if (!h)
        return false;
    const size_t room = bitmap.size() - kClipFileHeaderBytes;
    const uint32_t size = getAt<uint32_t>(h, 0);
    int64_t w = 0, ht = 0;
    int32_t bits = 0;
    if (size == 12) {
        // The old core header: 16-bit sides.
        w = getAt<uint16_t>(h, 4);
        ht = getAt<uint16_t>(h, 6);
        bits = getAt<uint16_t>(h, 10);
    } else if (size >= uint32_t(kClipDibHeaderBytes) && size <= room) {
        w = getAt<int32_t>(h, 4);
        ht = getAt<int32_t>(h, 8);
        bits = getAt<uint16_t>(h, 14);
    } else {
        return false;
    }
    ht = ht < 0 ? -ht : ht;
    if (w < 1 || w > kClipMaxSide || ht < 1 || ht > kClipMaxSide)
        return false;
    info = {int32_t(w), int32_t(ht), bits};
    return true;
}

std::unique_ptr<TMTC> clipboardBitmapToImage(std::span<const uint8_t> bitmap, bool keepAlpha)
{
    SClipDibInfo di;
    if (!readClipboardDibInfo(bitmap, di))
        return nullptr;
    try {
        tagBITMAPINFOHEADER ih;
        if (bitmap.size() < kClipPixelOffset)
            return decodeOtherBitmap(bitmap);
        std::memcpy(&ih, bitmap.data() + kClipFileHeaderBytes, sizeof ih);
        if (!isPlainDib(bitmap, ih))
            return decodeOtherBitmap(bitmap);
        const uint64_t offBits = kClipPixelOffset + uint64_t(ih.biClrUsed) * 4;
        if (offBits > bitmap.size())
            return nullptr;
        // dibToCanvas checks that every row lies inside the pixels given.
        auto canvas = dibToCanvas(ih, bitmap.subspan(size_t(offBits)));
        if (canvas && ih.biBitCount == 32 && !keepAlpha)
            canvas->setAlphaAll(255);
        return canvas;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

QByteArray makeLayerAttrData(const CLayerData &layer)
{
    QByteArray data;
    try {
        // Asked for its size first, the writer writes nothing.
        QBuffer sizing;
        int32_t size = 0;
        if (writeLayerHeader(sizing, layer, &size) != 0 || size < kClipLayerAttrMinBytes)
            return {};
        data.reserve(size);
        QBuffer buffer(&data);
        if (!buffer.open(QIODevice::WriteOnly) || writeLayerHeader(buffer, layer, nullptr) != 0 ||
            data.size() != size)
            return {};
    } catch (const std::bad_alloc &) {
        return {};
    }
    auto *p = reinterpret_cast<uint8_t *>(data.data());
    putAt<uint16_t>(p, kLayerAttrFlagsAt,
                    getAt<uint16_t>(p, kLayerAttrFlagsAt) | kOlyClipboardSize);
    return data;
}

bool parseLayerAttrData(std::span<const uint8_t> data, SClipLayerAttr &out)
{
    if (data.size() < size_t(kClipLayerAttrMinBytes) || std::memcmp(data.data(), "QLYR", 4) != 0 ||
        getAt<uint32_t>(data.data(), 4) < sizeof(SOlyHeader))
        return false;
    std::memcpy(&out.hdr, data.data() + 8, sizeof(SOlyHeader));
    out.title.clear();
    for (size_t at = kClipLayerAttrMinBytes; at + 2 <= data.size(); at += 2) {
        const char16_t c = getAt<char16_t>(data.data(), at);
        if (c == 0)
            break;
        out.title.append(QChar(c));
    }
    return true;
}

QByteArray makeClipBoxData(const sBox &box)
{
    QByteArray data(kClipBoxBytes, '\0');
    auto *p = reinterpret_cast<uint8_t *>(data.data());
    putAt(p, 0, box.x);
    putAt(p, 4, box.y);
    putAt(p, 8, box.w);
    putAt(p, 12, box.h);
    return data;
}

bool parseClipBoxData(std::span<const uint8_t> data, sBox &box)
{
    if (data.size() < size_t(kClipBoxBytes))
        return false;
    box = {getAt<int32_t>(data.data(), 0), getAt<int32_t>(data.data(), 4),
           getAt<int32_t>(data.data(), 8), getAt<int32_t>(data.data(), 12)};
    return true;
}
