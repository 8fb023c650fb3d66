#include "core/codec/image_codec.h"

#include "core/image/canvas.h"
#include "platform/codec/block_compress.h"
#include "platform/codec/bmp_codec.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/png_codec.h"
#include "platform/codec/psd_codec.h"

#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <bit>
#include <climits>
#include <new>

namespace {

static_assert(sizeof(tagBITMAPINFOHEADER) == sizeof(codec::BitmapInfoHeader));

// The two records are the same 40 bytes, field for field.
codec::BitmapInfoHeader toCodecHeader(const tagBITMAPINFOHEADER &h)
{
    return std::bit_cast<codec::BitmapInfoHeader>(h);
}

tagBITMAPINFOHEADER fromCodecHeader(const codec::BitmapInfoHeader &c)
{
    return std::bit_cast<tagBITMAPINFOHEADER>(c);
}

using ImageReader = codec::CodecStatus (*)(const QString &, codec::CodecImage &);

codec::CodecStatus readPsdMerged(const QString &path, codec::CodecImage &out)
{
    return codec::psdGetImage(path, out);
}

// The reader of an extension (without its dot), or null.
ImageReader readerFor(const QString &suffix)
{
    struct Entry
    {
        const char *ext;
        ImageReader reader;
    };
    static const Entry table[] = {
        {"bmp", codec::bmpGetImage},  {"jpg", codec::jpegGetImage}, {"jpeg", codec::jpegGetImage},
        {"jpe", codec::jpegGetImage}, {"jif", codec::jpegGetImage}, {"jfif", codec::jpegGetImage},
        {"jfi", codec::jpegGetImage}, {"png", codec::pngGetImage},  {"psd", readPsdMerged},
    };
    for (const Entry &e : table)
        if (suffix.compare(QLatin1String(e.ext), Qt::CaseInsensitive) == 0)
            return e.reader;
    return nullptr;
}

void setErr(MopixDllErr *err, MopixDllErr value)
{
    if (err)
        *err = value;
}

// The canvas of a DIB the codec handed out; its memory goes with img on every path.
std::unique_ptr<TMTC> canvasFromImage(const codec::CodecImage &img, int32_t *dpi, MopixDllErr *err)
{
    const tagBITMAPINFOHEADER info = fromCodecHeader(img.info);
    auto canvas = dibToCanvas(info, img.bits);
    if (!canvas) {
        setErr(err, MOPIXDLLERR_NO_MEMORY);
        return nullptr;
    }
    if (dpi)
        *dpi = dpiFromInfoHeader(info);
    setErr(err, MOPIXDLLERR_NOTHING);
    return canvas;
}

} // namespace

std::unique_ptr<TMTC> dibToCanvas(const tagBITMAPINFOHEADER &info, std::span<const uint8_t> bits)
{
    const codec::BitmapInfoHeader header = toCodecHeader(info);
    if (codec::checkDib(header, bits) != codec::CodecStatus::Nothing)
        return nullptr;
    const int32_t w = info.biWidth, h = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    if (w > codec::kCodecMaxSide || h > codec::kCodecMaxSide)
        return nullptr;
    try {
        auto canvas = std::make_unique<TMTC>();
        if (!canvas->Resize(w, h))
            return nullptr;
        const std::span<uint8_t> pixels(canvas->buffer(), canvas->getImageDataBytes());
        if (codec::bmpConv32(header, bits, w, h, pixels) != codec::CodecStatus::Nothing)
            return nullptr;
        return canvas;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

std::unique_ptr<TMTC> loadImageFile(const QString &path, int32_t *dpi, MopixDllErr *err)
{
    const ImageReader reader = readerFor(QFileInfo(path).suffix());
    if (!reader) {
        setErr(err, MOPIXDLLERR_NO_SUPPORT);
        return nullptr;
    }
    codec::CodecImage img;
    if (const codec::CodecStatus s = reader(path, img); s != codec::CodecStatus::Nothing) {
        setErr(err, toMopixDllErr(s));
        return nullptr;
    }
    return canvasFromImage(img, dpi, err);
}

std::unique_ptr<TMTC> loadPsdImage(const QString &path, sSize &docSize, MopixDllErr *err)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("psd"), Qt::CaseInsensitive) != 0) {
        setErr(err, MOPIXDLLERR_NO_SUPPORT);
        return nullptr;
    }
    codec::CodecImage img;
    int32_t w = 0, h = 0;
    if (const codec::CodecStatus s = codec::psdGetImage(path, img, w, h);
        s != codec::CodecStatus::Nothing) {
        setErr(err, toMopixDllErr(s));
        return nullptr;
    }
    auto canvas = canvasFromImage(img, nullptr, err);
    if (canvas)
        docSize = {w, h};
    return canvas;
}

int32_t dllStreamWrite(const void *buffer, size_t elemSize, size_t count, QIODevice &stream)
{
    if (elemSize == 0)
        return 0;
    const qint64 written = stream.write(static_cast<const char *>(buffer), qint64(elemSize * count));
    return written <= 0 ? 0 : int32_t(size_t(written) / elemSize);
}

uint8_t *dllRealloc(std::vector<uint8_t> &block, size_t newSize)
{
    try {
        block.resize(newSize);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    return block.data();
}

int32_t compressToStream(const void *src, uint32_t srcLen, std::vector<uint8_t> &workBuf,
                         QIODevice &stream)
{
    if (workBuf.empty() && !dllRealloc(workBuf, kCompressWorkBytes))
        return 0;
    codec::CodecCompressIO io;
    io.write = [&stream](const uint8_t *buffer, size_t elemSize, size_t count) {
        return size_t(dllStreamWrite(buffer, elemSize, count, stream));
    };
    uint8_t *buf = workBuf.data();
    uint32_t bufLen = uint32_t(std::min<size_t>(workBuf.size(), UINT32_MAX));
    const codec::CodecStatus s =
        codec::codecCompress(static_cast<const uint8_t *>(src), srcLen, buf, bufLen, io);
    if (s != codec::CodecStatus::Nothing || io.count > uint32_t(INT32_MAX))
        return 0;
    return int32_t(io.count);
}

int32_t compressToMemory(const void *src, uint32_t srcLen, std::vector<uint8_t> &dst)
{
    codec::CodecCompressIO io;
    io.realloc = [&dst](uint8_t *, size_t newSize) { return dllRealloc(dst, newSize); };
    uint8_t *buf = dst.empty() ? nullptr : dst.data();
    uint32_t bufLen = uint32_t(std::min<size_t>(dst.size(), UINT32_MAX));
    const codec::CodecStatus s =
        codec::codecCompress(static_cast<const uint8_t *>(src), srcLen, buf, bufLen, io);
    // The caller reads io.count bytes of dst: that must never run past it.
    if (s != codec::CodecStatus::Nothing || io.count > dst.size() ||
        io.count > uint32_t(INT32_MAX))
        return 0;
    return int32_t(io.count);
}
