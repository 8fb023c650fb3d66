// BMP reading and writing of the 32-bit canvas, and its device-independent bitmap forms.
#include "core/image/canvas.h"
#include "platform/system/file_stream.h"

#include "core/containers/fixed_mem_stream.h"

#include <QFile>
#include <QPainter>
#include <QSaveFile>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace {
constexpr int32_t kMaxBitmapSide = 10000;

bool readExact(QIODevice &fio, void *dst, qint64 n)
{
    return fio.read(static_cast<char *>(dst), n) == n;
}

// Moves the device to `target` bytes after `start`; the device already stands at `here`.
bool skipTo(QIODevice &fio, qint64 start, qint64 here, qint64 target)
{
    if (!fio.isSequential())
        return fio.seek(start + target);
    char scratch[4096];
    for (qint64 left = target - here; left > 0;) {
        const qint64 n = std::min<qint64>(left, sizeof scratch);
        if (!readExact(fio, scratch, n))
            return false;
        left -= n;
    }
    return true;
}

// One channel of a bit-field pixel scaled to 0..255 (0 for an empty mask).
struct FieldMask
{
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit FieldMask(uint32_t m) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint8_t operator()(uint32_t v) const
    {
        if (!mask)
            return 0;
        const uint64_t f = (v & mask) >> shift;
        return uint8_t((f * 255 + max / 2) / max);
    }
};

// How the rows of an accepted file are turned into canvas pixels.
struct RowDecoder
{
    int bits = 32;
    bool plain = true; // BI_RGB, or bit fields equal to the standard ones
    FieldMask r{0x00FF0000}, g{0x0000FF00}, b{0x000000FF};
    bool alphaFromTopByte = true;

    void decode(sBGRA *dst, const uint8_t *src, int32_t w) const
    {
        if (plain && bits == 32) {
            std::memcpy(dst, src, size_t(w) * 4);
            return;
        }
        const int step = bits / 8;
        for (int32_t i = 0; i < w; ++i, src += step) {
            uint32_t v = src[0] | uint32_t(src[1]) << 8 | uint32_t(src[2]) << 16;
            if (bits == 32)
                v |= uint32_t(src[3]) << 24;
            if (plain) {
                dst[i].all = v | 0xFF000000u; // 24-bit: alpha made opaque
                continue;
            }
            dst[i].B = b(v);
            dst[i].G = g(v);
            dst[i].R = r(v);
            dst[i].A = alphaFromTopByte ? uint8_t(v >> 24) : 255;
        }
    }
};

bool writeAll(QIODevice &f, const void *p, qint64 n)
{
    return f.write(static_cast<const char *>(p), n) == n;
}

tagBITMAPFILEHEADER fileHeaderFor(uint32_t imageBytes)
{
    tagBITMAPFILEHEADER fh;
    fh.bfType = BMP_FILE_TAG;
    fh.bfSize = 54 + imageBytes;
    fh.bfOffBits = 54;
    return fh;
}
} // namespace

int32_t dpiFromInfoHeader(const tagBITMAPINFOHEADER &info)
{
    if (info.biSize != 40 && info.biSize != 108 && info.biSize != 124)
        return 0;
    return int32_t(std::trunc(double(info.biXPelsPerMeter) * 2.54 / 100 + 0.41));
}

bool TMTC::loadBitmap(QIODevice &fio, int32_t *dpi)
{
    const qint64 start = fio.pos();
    tagBITMAPFILEHEADER fh;
    tagBITMAPINFOHEADER ih;
    if (!readExact(fio, &fh, sizeof fh) || fh.bfType != BMP_FILE_TAG ||
        !readExact(fio, &ih, sizeof ih))
        return false;
    if (dpi)
        *dpi = dpiFromInfoHeader(ih);

    RowDecoder dec;
    if (ih.biSize != 40 || (ih.biBitCount != 24 && ih.biBitCount != 32))
        return false;
    dec.bits = ih.biBitCount;
    qint64 headerEnd = 14 + 40;
    if (ih.biCompression == BI_BITFIELDS && ih.biClrUsed == 3) {
        uint32_t masks[3];
        if (!readExact(fio, masks, sizeof masks))
            return false;
        headerEnd += sizeof masks;
        dec.r = FieldMask(masks[0]);
        dec.g = FieldMask(masks[1]);
        dec.b = FieldMask(masks[2]);
        dec.plain = masks[0] == 0x00FF0000 && masks[1] == 0x0000FF00 && masks[2] == 0x000000FF;
        dec.alphaFromTopByte = ((masks[0] | masks[1] | masks[2]) & 0xFF000000u) == 0;
    } else if (ih.biCompression != BI_RGB) {
        return false;
    }
    const int32_t w = ih.biWidth, h = ih.biHeight;
    if (w <= 0 || h <= 0 || w > kMaxBitmapSide || h > kMaxBitmapSide || fh.bfOffBits < headerEnd)
        return false;

    const qint64 rowBytes = dec.bits == 24 ? (qint64(w) * 3 + 3) & ~qint64(3) : qint64(w) * 4;
    // Check that every row is there before the canvas is touched.
    if (!fio.isSequential() && fio.size() - start - qint64(fh.bfOffBits) < rowBytes * h)
        return false;
    if (!skipTo(fio, start, headerEnd, fh.bfOffBits) || !Resize(w, h) || !isEnable())
        return false;
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int32_t y = 0; y < h; ++y) {
        if (!readExact(fio, row.data(), rowBytes))
            return false;
        dec.decode(seek32(0, y), row.data(), w);
    }
    return true;
}

bool TMTC::loadBitmap(const QString &path, int32_t *dpi)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && loadBitmap(f, dpi);
}

bool TMTC::loadBitmap(const void *ptr, size_t len, int32_t *dpi)
{
    if (!ptr || len > size_t(std::numeric_limits<qint64>::max()))
        return false;
    CFixedMemStream stream(ptr, qint64(len));
    return loadBitmap(stream, dpi);
}

bool TMTC::saveBitmap(const QString &path, int32_t dpi) const
{
    if (!isEnable())
        return false;
    tagBITMAPINFOHEADER ih;
    const uint32_t rowBytes = setupInfoHeader24(ih, dpi);
    const tagBITMAPFILEHEADER fh = fileHeaderFor(rowBytes * uint32_t(height()));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    bool ok = writeAll(f, &fh, sizeof fh) && writeAll(f, &ih, sizeof ih);
    std::vector<uint8_t> row(rowBytes, 0); // padding bytes stay 0
    for (int32_t y = height() - 1; ok && y >= 0; --y) {
        row32To24(row.data(), seek32(0, y), width());
        ok = writeAll(f, row.data(), rowBytes);
    }
    if (!ok) {
        f.cancelWriting();
        return false;
    }
    return commitSaveFile(f);
}

bool TMTC::saveBitmap32(const QString &path, int32_t dpi) const
{
    if (!isEnable())
        return false;
    tagBITMAPINFOHEADER ih;
    const uint32_t rowBytes = setupInfoHeader32(ih, dpi);
    const tagBITMAPFILEHEADER fh = fileHeaderFor(rowBytes * uint32_t(height()));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    bool ok = writeAll(f, &fh, sizeof fh) && writeAll(f, &ih, sizeof ih);
    for (int32_t y = height() - 1; ok && y >= 0; --y)
        ok = writeAll(f, seek32(0, y), rowBytes);
    if (!ok) {
        f.cancelWriting();
        return false;
    }
    return commitSaveFile(f);
}

bool TMTC::makeBMP24(int32_t dpi, tagBITMAPINFOHEADER &info, std::unique_ptr<uint8_t[]> &ptr) const
{
    ptr.reset();
    if (!isEnable())
        return false;
    const uint32_t rowBytes = setupInfoHeader24(info, dpi);
    ptr = allocBlock(info.biSizeImage);
    if (!ptr)
        return false;
    uint8_t *d = ptr.get();
    for (int32_t y = height() - 1; y >= 0; --y, d += rowBytes) {
        row32To24(d, seek32(0, y), width());
        std::memset(d + size_t(width()) * 3, 0, rowBytes - size_t(width()) * 3);
    }
    return true;
}

bool TMTC::makeBMP32(int32_t dpi, sBox box, tagBITMAPINFOHEADER &info,
                     std::unique_ptr<uint8_t[]> &ptr) const
{
    ptr.reset();
    if (!isEnable() || !clipping(box))
        return false;
    info = tagBITMAPINFOHEADER{};
    info.biSize = sizeof info;
    info.biWidth = box.w;
    info.biHeight = box.h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    info.biCompression = BI_RGB;
    info.biSizeImage = uint32_t(box.w) * 4 * uint32_t(box.h);
    info.biXPelsPerMeter = info.biYPelsPerMeter = dpiToPelsPerMeter(dpi);
    ptr = allocBlock(info.biSizeImage);
    if (!ptr)
        return false;
    uint8_t *d = ptr.get();
    for (int32_t j = box.h - 1; j >= 0; --j, d += size_t(box.w) * 4)
        std::memcpy(d, seek32(box.x, box.y + j), size_t(box.w) * 4);
    return true;
}

QImage TMTC::imageView() const
{
    if (!isEnable())
        return {};
    if (isTopDown())
        return QImage(buffer(), width(), height(), qsizetype(width()) * 4, QImage::Format_ARGB32);
    QImage img(width(), height(), QImage::Format_ARGB32);
    for (int32_t y = 0; y < height(); ++y)
        std::memcpy(img.scanLine(y), seek32(0, y), size_t(width()) * 4);
    return img;
}

int32_t TMTC::bltDIB(QPainter &dc, int32_t x, int32_t y) const
{
    if (!isEnable())
        return 0;
    // A device-independent bitmap of 32 bits shows colour only: alpha is ignored.
    dc.drawImage(x, y, imageView().convertToFormat(QImage::Format_RGB32));
    return height();
}
