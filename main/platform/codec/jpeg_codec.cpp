#include "platform/codec/jpeg_codec.h"

#include "platform/codec/codec_file.h"

#include <QFile>

#include <cstdio> // jpeglib.h needs FILE
#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <memory>
#include <new>

namespace codec {
namespace {

constexpr size_t kIoBufferBytes = 65536;
// A progressive file may hold any number of scans, each one a pass over the whole picture; real
// files have a dozen or so. Many more can only make decoding slow.
constexpr int kMaxScans = 500;
// The coefficient memory of the largest progressive picture we accept (10000 x 10000, three full
// components) stays below this.
constexpr long kMaxDecoderMemory = 1L << 30;

// libjpeg reports errors through error_exit, which must not return: it jumps back to the decoding
// or encoding function. Everything that must survive the jump lives in the state records below.
struct JpegError
{
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void onError(j_common_ptr c)
{
    longjmp(reinterpret_cast<JpegError *>(c->err)->jump, 1);
}
void onMessage(j_common_ptr) {}

void failWith(j_common_ptr c, int code)
{
    c->err->msg_code = code;
    c->err->error_exit(c);
}

struct JpegSource
{
    jpeg_source_mgr pub;
    QIODevice *dev = nullptr;
    bool ended = false; // the file ended before the decoder was done
    JOCTET buffer[kIoBufferBytes];
};

void initSource(j_decompress_ptr) {}
void termSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr c)
{
    auto *src = reinterpret_cast<JpegSource *>(c->src);
    const qint64 n = src->dev->read(reinterpret_cast<char *>(src->buffer), kIoBufferBytes);
    if (n <= 0) {
        // A file cut short is refused rather than completed with grey.
        src->ended = true;
        failWith(reinterpret_cast<j_common_ptr>(c), JERR_INPUT_EOF);
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = size_t(n);
    return TRUE;
}

void skipInput(j_decompress_ptr c, long n)
{
    auto *src = reinterpret_cast<JpegSource *>(c->src);
    while (n > long(src->pub.bytes_in_buffer)) {
        n -= long(src->pub.bytes_in_buffer);
        fillInput(c);
    }
    if (n > 0) {
        src->pub.next_input_byte += n;
        src->pub.bytes_in_buffer -= size_t(n);
    }
}

void onProgress(j_common_ptr c)
{
    if (c->is_decompressor &&
        reinterpret_cast<j_decompress_ptr>(c)->input_scan_number > kMaxScans)
        failWith(c, JERR_NOT_COMPILED);
}

struct JpegReadState
{
    jpeg_decompress_struct cinfo{};
    JpegError err{};
    JpegSource src{};
    jpeg_progress_mgr progress{};
    bool created = false;
    std::vector<uint8_t> cmykRow;

    ~JpegReadState()
    {
        if (created)
            jpeg_destroy_decompress(&cinfo);
    }
};

void setUpSource(JpegReadState &st, QIODevice &dev)
{
    st.src.dev = &dev;
    st.src.pub.init_source = initSource;
    st.src.pub.fill_input_buffer = fillInput;
    st.src.pub.skip_input_data = skipInput;
    st.src.pub.resync_to_restart = jpeg_resync_to_restart;
    st.src.pub.term_source = termSource;
    st.cinfo.src = &st.src.pub;
    st.progress.progress_monitor = onProgress;
    st.cinfo.progress = &st.progress;
    st.cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
}

void densityOf(const jpeg_decompress_struct &c, int32_t &ppmX, int32_t &ppmY)
{
    if (!c.saw_JFIF_marker)
        return;
    if (c.density_unit == 1) {
        ppmX = pelsPerMeterFromDpi(c.X_density);
        ppmY = pelsPerMeterFromDpi(c.Y_density);
    } else if (c.density_unit == 2) {
        ppmX = int32_t(c.X_density) * 100;
        ppmY = int32_t(c.Y_density) * 100;
    }
}

// Adobe writes CMYK inverted (0 is full ink); other writers store it plainly.
void cmykRowToBgr(const uint8_t *s, uint8_t *d, uint32_t width, bool inverted)
{
    for (uint32_t x = 0; x < width; ++x, s += 4, d += 3) {
        const unsigned c = inverted ? s[0] : 255 - s[0], m = inverted ? s[1] : 255 - s[1];
        const unsigned y = inverted ? s[2] : 255 - s[2], k = inverted ? s[3] : 255 - s[3];
        d[0] = uint8_t(y * k / 255);
        d[1] = uint8_t(m * k / 255);
        d[2] = uint8_t(c * k / 255);
    }
}

CodecStatus chooseOutputSpace(jpeg_decompress_struct &c)
{
    switch (c.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        c.out_color_space = JCS_EXT_BGR;
        return CodecStatus::Nothing;
    case JCS_CMYK:
    case JCS_YCCK:
        c.out_color_space = JCS_CMYK;
        return CodecStatus::Nothing;
    default:
        return CodecStatus::ColorMode;
    }
}

// Only memory reached through st and out is changed after setjmp.
CodecStatus decodeJpeg(JpegReadState &st, CodecImage &out, int32_t maxSide)
{
    if (setjmp(st.err.jump))
        return st.src.ended ? CodecStatus::FileRead : CodecStatus::Extract;
    jpeg_read_header(&st.cinfo, TRUE);
    const JDIMENSION w = st.cinfo.image_width, h = st.cinfo.image_height;
    if (w < 1 || h < 1 || w > JDIMENSION(maxSide) || h > JDIMENSION(maxSide))
        return CodecStatus::Range;
    if (CodecStatus s = chooseOutputSpace(st.cinfo); s != CodecStatus::Nothing)
        return s;
    int32_t ppmX = 0, ppmY = 0;
    densityOf(st.cinfo, ppmX, ppmY);
    jpeg_start_decompress(&st.cinfo);
    if (st.cinfo.output_width != w || st.cinfo.output_height != h)
        return CodecStatus::Extract;
    if (CodecStatus s = makeDib(out, w, h, 24, ppmX, ppmY, maxSide); s != CodecStatus::Nothing)
        return s;
    const bool cmyk = st.cinfo.out_color_space == JCS_CMYK;
    if (cmyk)
        st.cmykRow.resize(size_t(w) * 4);
    while (st.cinfo.output_scanline < h) {
        const int32_t y = int32_t(st.cinfo.output_scanline);
        JSAMPROW row = cmyk ? st.cmykRow.data() : dibRowFromTop(out, y);
        jpeg_read_scanlines(&st.cinfo, &row, 1);
        if (cmyk)
            cmykRowToBgr(row, dibRowFromTop(out, y), w, st.cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&st.cinfo);
    return CodecStatus::Nothing;
}

struct JpegDestination
{
    jpeg_destination_mgr pub;
    QIODevice *dev = nullptr;
    bool writeFailed = false;
    JOCTET buffer[kIoBufferBytes];
};

void initDestination(j_compress_ptr c)
{
    auto *dst = reinterpret_cast<JpegDestination *>(c->dest);
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kIoBufferBytes;
}

void flushDestination(j_compress_ptr c, size_t bytes)
{
    auto *dst = reinterpret_cast<JpegDestination *>(c->dest);
    if (!writeExactly(*dst->dev, dst->buffer, int64_t(bytes))) {
        dst->writeFailed = true;
        failWith(reinterpret_cast<j_common_ptr>(c), JERR_FILE_WRITE);
    }
    dst->pub.next_output_byte = dst->buffer;
    dst->pub.free_in_buffer = kIoBufferBytes;
}

boolean emptyOutput(j_compress_ptr c)
{
    flushDestination(c, kIoBufferBytes);
    return TRUE;
}

void termDestination(j_compress_ptr c)
{
    flushDestination(c, kIoBufferBytes - c->dest->free_in_buffer);
}

struct JpegWriteState
{
    jpeg_compress_struct cinfo{};
    JpegError err{};
    JpegDestination dest{};
    bool created = false;

    ~JpegWriteState()
    {
        if (created)
            jpeg_destroy_compress(&cinfo);
    }
};

void applyOptions(jpeg_compress_struct &c, const BitmapInfoHeader &info, const JpegSaveOptions &o)
{
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, std::clamp(o.quality, 0, 100), TRUE);
    if (o.greyscale != 0)
        jpeg_set_colorspace(&c, JCS_GRAYSCALE);
    if (o.progressive != 0)
        jpeg_simple_progression(&c);
    c.smoothing_factor = o.smoothOn != 0 ? std::clamp(o.smoothing, 0, 100) : 0;
    const int32_t dpiX = dpiFromPelsPerMeter(info.biXPelsPerMeter);
    const int32_t dpiY = dpiFromPelsPerMeter(info.biYPelsPerMeter);
    if (dpiX > 0 && dpiY > 0) {
        c.density_unit = 1;
        c.X_density = uint16_t(std::min(dpiX, 65535));
        c.Y_density = uint16_t(std::min(dpiY, 65535));
    }
}

CodecStatus encodeJpeg(JpegWriteState &st, const BitmapInfoHeader &info,
                       std::span<const uint8_t> bits, const JpegSaveOptions &options)
{
    if (setjmp(st.err.jump))
        return st.dest.writeFailed ? CodecStatus::FileWrite : CodecStatus::Compress;
    const int32_t h = info.biHeight < 0 ? -info.biHeight : info.biHeight;
    st.cinfo.image_width = JDIMENSION(info.biWidth);
    st.cinfo.image_height = JDIMENSION(h);
    st.cinfo.input_components = info.biBitCount / 8;
    st.cinfo.in_color_space = info.biBitCount == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    applyOptions(st.cinfo, info, options);
    jpeg_start_compress(&st.cinfo, TRUE);
    while (st.cinfo.next_scanline < st.cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(
            dibRowFromTop(info, bits, int32_t(st.cinfo.next_scanline)));
        jpeg_write_scanlines(&st.cinfo, &row, 1);
    }
    jpeg_finish_compress(&st.cinfo);
    return CodecStatus::Nothing;
}

} // namespace

CodecStatus jpegReadImage(QIODevice &dev, CodecImage &out, int32_t maxSide)
{
    out = CodecImage{};
    const QByteArray soi = dev.peek(2);
    if (soi.size() != 2 || uint8_t(soi[0]) != 0xFF || uint8_t(soi[1]) != 0xD8)
        return CodecStatus::Failed;
    CodecStatus status;
    try {
        auto st = std::make_unique<JpegReadState>();
        st->cinfo.err = jpeg_std_error(&st->err.pub);
        st->err.pub.error_exit = onError;
        st->err.pub.output_message = onMessage;
        if (setjmp(st->err.jump))
            return CodecStatus::Setup;
        jpeg_create_decompress(&st->cinfo);
        st->created = true;
        setUpSource(*st, dev);
        status = decodeJpeg(*st, out, maxSide);
    } catch (const std::bad_alloc &) {
        status = CodecStatus::NoMemory;
    }
    if (status != CodecStatus::Nothing)
        out = CodecImage{};
    return status;
}

CodecStatus jpegGetImage(const QString &path, CodecImage &out)
{
    QFile file;
    if (CodecStatus s = openForReading(path, file); s != CodecStatus::Nothing)
        return s;
    return jpegReadImage(file, out);
}

CodecStatus jpegWriteImage(QIODevice &dev, const BitmapInfoHeader &info,
                           std::span<const uint8_t> bits, const JpegSaveOptions &options)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    if (info.biWidth > JPEG_MAX_DIMENSION || std::abs(info.biHeight) > JPEG_MAX_DIMENSION)
        return CodecStatus::Range;
    auto st = std::make_unique<JpegWriteState>();
    st->cinfo.err = jpeg_std_error(&st->err.pub);
    st->err.pub.error_exit = onError;
    st->err.pub.output_message = onMessage;
    if (setjmp(st->err.jump))
        return CodecStatus::Setup;
    jpeg_create_compress(&st->cinfo);
    st->created = true;
    st->dest.dev = &dev;
    st->dest.pub.init_destination = initDestination;
    st->dest.pub.empty_output_buffer = emptyOutput;
    st->dest.pub.term_destination = termDestination;
    st->cinfo.dest = &st->dest.pub;
    return encodeJpeg(*st, info, bits, options);
}

CodecStatus jpegSaveImage(const QString &path, const BitmapInfoHeader &info,
                          std::span<const uint8_t> bits, const JpegSaveOptions &options)
{
    if (checkDib(info, bits) != CodecStatus::Nothing)
        return CodecStatus::Param;
    return saveFileThrough(
        path, [&](QIODevice &dev) { return jpegWriteImage(dev, info, bits, options); });
}

} // namespace codec
