#include "platform/codec/png_codec.h"

#include "platform/codec/codec_file.h"

#include <QFile>

#include <png.h>

#include <csetjmp>
#include <new>

namespace codec {
namespace {

constexpr int kSignatureBytes = 8;

// libpng reports errors by jumping back to the decoding function; everything that must survive
// the jump lives here, reached through a pointer, and is released by the destructor.
struct PngReadState
{
    QIODevice *dev = nullptr;
    bool ended = false; // the file ended before the image did
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_bytep> rows;

    ~PngReadState()
    {
        if (png)
            png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    }
};

struct PngWriteState
{
    QIODevice *dev = nullptr;
    bool writeFailed = false;
    png_structp png = nullptr;
    png_infop info = nullptr;

    ~PngWriteState()
    {
        if (png)
            png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

[[noreturn]] void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

void readData(png_structp png, png_bytep data, size_t length)
{
    auto *st = static_cast<PngReadState *>(png_get_io_ptr(png));
    if (!readExactly(*st->dev, data, int64_t(length))) {
        st->ended = true;
        png_error(png, "file ends early");
    }
}

void writeData(png_structp png, png_bytep data, size_t length)
{
    auto *st = static_cast<PngWriteState *>(png_get_io_ptr(png));
    if (!writeExactly(*st->dev, data, int64_t(length))) {
        st->writeFailed = true;
        png_error(png, "write failed");
    }
}

void flushData(png_structp) {}

// Turns every kind of PNG into 8-bit B, G, R rows with an alpha byte when it has transparency.
void setReadTransforms(png_structp png)
{
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
}

void resolutionOf(png_structp png, png_infop info, int32_t &ppmX, int32_t &ppmY)
{
    png_uint_32 x = 0, y = 0;
    int unit = 0;
    if (png_get_pHYs(png, info, &x, &y, &unit) && unit == PNG_RESOLUTION_METER &&
        x <= INT32_MAX && y <= INT32_MAX) {
        ppmX = int32_t(x);
        ppmY = int32_t(y);
    }
}

// Only memory reached through st and out is changed after setjmp, so a jump leaves nothing in an
// undefined state.
CodecStatus decodePng(PngReadState &st, CodecImage &out, int32_t maxSide)
{
    if (setjmp(png_jmpbuf(st.png)))
        return st.ended ? CodecStatus::FileRead : CodecStatus::Extract;
    png_set_sig_bytes(st.png, kSignatureBytes);
    // The side limit is ours to report (Range), so libpng's own is lifted to the format's.
    png_set_user_limits(st.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(st.png, st.info);
    const png_uint_32 w = png_get_image_width(st.png, st.info);
    const png_uint_32 h = png_get_image_height(st.png, st.info);
    if (w < 1 || h < 1 || w > png_uint_32(maxSide) || h > png_uint_32(maxSide))
        return CodecStatus::Range;
    setReadTransforms(st.png);
    png_read_update_info(st.png, st.info);
    const int channels = png_get_channels(st.png, st.info);
    if (channels != 3 && channels != 4)
        return CodecStatus::ColorMode;
    int32_t ppmX = 0, ppmY = 0;
    resolutionOf(st.png, st.info, ppmX, ppmY);
    if (CodecStatus s = makeDib(out, w, h, channels * 8, ppmX, ppmY, maxSide);
        s != CodecStatus::Nothing)
        return s;
    st.rows.resize(h);
    for (png_uint_32 y = 0; y < h; ++y)
        st.rows[y] = dibRowFromTop(out, int32_t(y));
    png_read_image(st.png, st.rows.data());
    png_read_end(st.png, nullptr);
    return CodecStatus::Nothing;
}

CodecStatus encodePng(PngWriteState &st, const BitmapInfoHeader &info,
                      std::span<const uint8_t> bits, int32_t level)
{
    if (setjmp(png_jmpbuf(st.png)))
        return st.writeFailed ? CodecStatus::FileWrite : CodecStatus::Compress;
    const int32_t h = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    const int colorType = info.biBitCount == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(st.png, st.info, png_uint_32(info.biWidth), png_uint_32(h), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (level >= 0 && level <= 9)
        png_set_compression_level(st.png, level);
    if (info.biXPelsPerMeter > 0 && info.biYPelsPerMeter > 0)
        png_set_pHYs(st.png, st.info, png_uint_32(info.biXPelsPerMeter),
                     png_uint_32(info.biYPelsPerMeter), PNG_RESOLUTION_METER);
    png_write_info(st.png, st.info);
    png_set_bgr(st.png);
    for (int32_t y = 0; y < h; ++y)
        png_write_row(st.png, dibRowFromTop(info, bits, y));
    png_write_end(st.png, st.info);
    return CodecStatus::Nothing;
}

} // namespace

CodecStatus pngReadImage(QIODevice &dev, CodecImage &out, int32_t maxSide)
{
    out = CodecImage{};
    uint8_t signature[kSignatureBytes];
    if (!readExactly(dev, signature, kSignatureBytes) ||
        png_sig_cmp(signature, 0, kSignatureBytes) != 0)
        return CodecStatus::Failed;
    CodecStatus status = CodecStatus::Setup;
    try {
        PngReadState st;
        st.dev = &dev;
        st.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &st, onError, onWarning);
        if (st.png)
            st.info = png_create_info_struct(st.png);
        if (st.info) {
            png_set_read_fn(st.png, &st, readData);
            status = decodePng(st, out, maxSide);
        }
    } catch (const std::bad_alloc &) {
        status = CodecStatus::NoMemory;
    }
    if (status != CodecStatus::Nothing)
        out = CodecImage{};
    return status;
}

CodecStatus pngGetImage(const QString &path, CodecImage &out)
{
    QFile file;
    if (CodecStatus s = openForReading(path, file); s != CodecStatus::Nothing)
        return s;
    return pngReadImage(file, out);
}

CodecStatus pngWriteImage(QIODevice &dev, const BitmapInfoHeader &info,
                          std::span<const uint8_t> bits, int32_t level)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    PngWriteState st;
    st.dev = &dev;
    st.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &st, onError, onWarning);
    if (st.png)
        st.info = png_create_info_struct(st.png);
    if (!st.info)
        return CodecStatus::Setup;
    png_set_write_fn(st.png, &st, writeData, flushData);
    return encodePng(st, info, bits, level);
}

CodecStatus pngSaveImage(const QString &path, const BitmapInfoHeader &info,
                         std::span<const uint8_t> bits, int32_t level)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    return saveFileThrough(
        path, [&](QIODevice &dev) { return pngWriteImage(dev, info, bits, level); });
}

} // namespace codec
