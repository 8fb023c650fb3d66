#include "document/files/clipboard.h"

#include "core/image/canvas.h"
#include "platform/codec/png_codec.h"
#include "platform/desktop/clipboard.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPixelFormat>

#include <cstring>
#include <new>
#include <optional>

namespace {

// The data of fmt when it can be had; empty otherwise.
QByteArray readFormat(const QString &fmt)
{
    QByteArray got;
    clipboardReadData(fmt, [&got](const QByteArray &data) {
        got = data;
        return true;
    });
    return got;
}

bool formatPresent(const QString &fmt)
{
    return clipboardReadData(fmt, [](const QByteArray &) { return true; });
}

// The picture formats of other programs that Qt reads, in the clipboard's order; the bitmap is
// read by the program itself.
QStringList foreignPictureFormats()
{
    const QList<QByteArray> readable = QImageReader::supportedMimeTypes();
    QStringList found;
    for (const QString &fmt : clipboardFormats())
        if (fmt != kClipFormatBitmap && fmt.startsWith(QLatin1String("image/")) &&
            readable.contains(fmt.toLatin1()))
            found << fmt;
    return found;
}

// A reader over the first foreign picture whose data can be had and whose size is 1..10000 on
// each side; the data is kept in data.
struct SForeignPicture
{
    QByteArray data;
    QSize size;
    QImage::Format format = QImage::Format_Invalid;
};

std::optional<SForeignPicture> foreignPicture()
{
    for (const QString &fmt : foreignPictureFormats()) {
        SForeignPicture pic;
        pic.data = readFormat(fmt);
        if (pic.data.isEmpty())
            continue;
        QBuffer buffer(&pic.data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        pic.size = reader.size();
        pic.format = reader.imageFormat();
        if (pic.size.width() >= 1 && pic.size.width() <= kClipMaxSide && pic.size.height() >= 1 &&
            pic.size.height() <= kClipMaxSide)
            return pic;
    }
    return std::nullopt;
}

std::unique_ptr<TMTC> foreignImage()
{
    std::optional<SForeignPicture> pic = foreignPicture();
    if (!pic)
        return nullptr;
    QImage img;
    if (!img.loadFromData(pic->data) || img.width() != pic->size.width() ||
        img.height() != pic->size.height())
        return nullptr;
    auto tc = std::make_unique<TMTC>(img); // every alpha set to 255
    return tc->isEnable() ? std::move(tc) : nullptr;
}

// The PNG of a bitmap the program put on the clipboard; empty on failure.
QByteArray pngFromBitmap(const QByteArray &bitmap)
{
    const std::span<const uint8_t> bytes = clipBytes(bitmap);
    if (bytes.size() < size_t(kClipFileHeaderBytes + kClipDibHeaderBytes))
        return {};
    codec::BitmapInfoHeader info;
    std::memcpy(&info, bytes.data() + kClipFileHeaderBytes, sizeof info);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) ||
        codec::pngWriteImage(buffer, info,
                             bytes.subspan(kClipFileHeaderBytes + kClipDibHeaderBytes)) !=
            codec::CodecStatus::Nothing)
        return {};
    return png;
}

bool copyImageToClipboard(const TMTC &image, sBox box, int32_t bitCount)
{
    QByteArray bitmap;
    try {
        bitmap = makeClipboardBitmap(makeClipboardDib(image, box, bitCount));
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (bitmap.isEmpty() || !clipboardSetData(kClipFormatBitmap, bitmap))
        return false;
    // Other programs mostly read PNG: it is made from this bitmap when one asks for it.
    setClipboardRenderer([bitmap](const QString &fmt) {
        return fmt == kClipFormatPng ? pngFromBitmap(bitmap) : QByteArray();
    });
    clipboardPromise(kClipFormatPng);
    return true;
}

} // namespace

bool clipboardHasImage()
{
    if (formatPresent(kClipFormatBitmap))
        return true;
    for (const QString &fmt : foreignPictureFormats())
        if (formatPresent(fmt))
            return true;
    return false;
}

bool getClipboardDibInfo(int32_t &width, int32_t &height, int32_t &bitCount)
{
    SClipDibInfo info;
    if (const QByteArray bitmap = readFormat(kClipFormatBitmap);
        !bitmap.isEmpty() && readClipboardDibInfo(clipBytes(bitmap), info)) {
        width = info.width;
        height = info.height;
        bitCount = info.bitCount;
        return true;
    }
    const std::optional<SForeignPicture> pic = foreignPicture();
    if (!pic)
        return false;
    width = pic->size.width();
    height = pic->size.height();
    const bool alpha =
        QImage::toPixelFormat(pic->format).alphaUsage() == QPixelFormat::UsesAlpha;
    bitCount = alpha ? 32 : 24;
    return true;
}

std::unique_ptr<TMTC> getClipboardImage()
{
    try {
        if (const QByteArray bitmap = readFormat(kClipFormatBitmap); !bitmap.isEmpty()) {
            // Alpha belongs to a copied layer: only its readable attributes vouch for it.
            SOlyHeader hdr;
            QString title;
            const bool keepAlpha = getLayerAttrFromClipboard(hdr, title);
            if (auto image = clipboardBitmapToImage(clipBytes(bitmap), keepAlpha))
                return image;
        }
        return foreignImage();
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool copyImageToClipboard24(const TMTC &image, sBox box)
{
    return copyImageToClipboard(image, box, 24);
}

bool copyImageToClipboard32(const TMTC &image, sBox box)
{
    return copyImageToClipboard(image, box, 32);
}

bool putLayerAttrToClipboard(const CLayerData &layer)
{
    const QByteArray data = makeLayerAttrData(layer);
    return !data.isEmpty() && clipboardSetData(kClipFormatLayerAttr, data);
}

bool getLayerAttrFromClipboard(SOlyHeader &header, QString &title)
{
    return clipboardReadData(kClipFormatLayerAttr, [&](const QByteArray &data) {
        SClipLayerAttr attr;
        if (!parseLayerAttrData(clipBytes(data), attr))
            return false;
        header = attr.hdr;
        title = attr.title;
        return true;
    });
}

bool putClipBoxToClipboard(const sBox &box)
{
    return clipboardSetData(kClipFormatClipBox, makeClipBoxData(box));
}

bool getClipBoxFromClipboard(sBox &box)
{
    return clipboardReadData(kClipFormatClipBox, [&box](const QByteArray &data) {
        return parseClipBoxData(clipBytes(data), box);
    });
}

bool clipboardPromiseLayerAttr()
{
    return clipboardPromise(kClipFormatLayerAttr);
}

bool clipboardPromiseClipBox()
{
    return clipboardPromise(kClipFormatClipBox);
}
