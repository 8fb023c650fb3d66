#include "platform/codec_test_support.h"

#include "platform/codec/jpeg_codec.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

#include <algorithm>

using namespace codec;
using namespace codec::test;

namespace {

QByteArray jpegBytes(const CodecImage &img, const JpegSaveOptions &o)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(jpegWriteImage(buffer, img.info, img.bits, o), CodecStatus::Nothing);
    return data;
}

CodecStatus readJpeg(QByteArray data, CodecImage &out)
{
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return jpegReadImage(buffer, out);
}

int maxDifference(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    int worst = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
    return a.size() == b.size() ? worst : 256;
}

JpegSaveOptions options(int32_t progressive, int32_t grey, int32_t smoothOn, int32_t quality,
                        int32_t smoothing)
{
    return {progressive, grey, smoothOn, quality, smoothing};
}

// A 1 x 1 CMYK file with an Adobe marker, written straight through libjpeg.
QByteArray cmykJpeg(const uint8_t cmyk[4])
{
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char *mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = 8;
    c.image_height = 8;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    uint8_t row[8 * 4];
    for (int x = 0; x < 8; ++x)
        std::copy(cmyk, cmyk + 4, row + 4 * x);
    while (c.next_scanline < 8) {
        JSAMPROW r = row;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    QByteArray out(reinterpret_cast<const char *>(mem), qsizetype(size));
    free(mem);
    return out;
}

} // namespace

TEST(CodecJpeg, RoundTripStaysWithinTolerance)
{
    QTemporaryDir dir;
    CodecImage src = smoothDib(64, 48);
    src.info.biXPelsPerMeter = src.info.biYPelsPerMeter = 3780;
    const QString path = dir.filePath("a.jpg");
    ASSERT_EQ(jpegSaveImage(path, src.info, src.bits, options(0, 0, 0, 95, 0)),
              CodecStatus::Nothing);
    CodecImage back;
    ASSERT_EQ(jpegGetImage(path, back), CodecStatus::Nothing);
    EXPECT_EQ(back.info.biBitCount, 24);
    EXPECT_EQ(back.info.biWidth, 64);
    EXPECT_EQ(back.info.biHeight, 48);
    EXPECT_EQ(back.info.biXPelsPerMeter, 3780) << "96 dpi kept through the JFIF density";
    EXPECT_LE(maxDifference(topDownBgra(back), topDownBgra(src)), 6);
}

TEST(CodecJpeg, ThirtyTwoBitPicturesAreWrittenWithoutTheirAlpha)
{
    const CodecImage src = patternDib(16, 16, 32);
    CodecImage back;
    ASSERT_EQ(readJpeg(jpegBytes(src, options(0, 0, 0, 100, 0)), back), CodecStatus::Nothing);
    EXPECT_EQ(back.info.biBitCount, 24);
    for (size_t i = 3; i < topDownBgra(back).size(); i += 4)
        ASSERT_EQ(topDownBgra(back)[i], 255);
}

TEST(CodecJpeg, OptionsReachTheEncoder)
{
    const CodecImage src = smoothDib(64, 64);
    const QByteArray baseline = jpegBytes(src, options(0, 0, 0, 90, 0));
    const QByteArray progressive = jpegBytes(src, options(-1, 0, 0, 90, 0));
    EXPECT_TRUE(baseline.contains("\xFF\xC0")) << "one baseline frame";
    EXPECT_FALSE(progressive.contains("\xFF\xC0"));
    EXPECT_TRUE(progressive.contains("\xFF\xC2")) << "a progressive frame";

    EXPECT_LT(jpegBytes(src, options(0, 0, 0, 10, 0)).size(), baseline.size());
    EXPECT_NE(jpegBytes(src, options(0, 0, -1, 90, 60)), baseline) << "smoothing applied";
    EXPECT_EQ(jpegBytes(src, options(0, 0, 0, 90, 60)), baseline) << "smoothing switched off";

    CodecImage grey;
    ASSERT_EQ(readJpeg(jpegBytes(src, options(0, -1, 0, 90, 0)), grey), CodecStatus::Nothing);
    const std::vector<uint8_t> px = topDownBgra(grey);
    for (size_t i = 0; i < px.size(); i += 4)
        ASSERT_TRUE(px[i] == px[i + 1] && px[i + 1] == px[i + 2]) << "pixel " << i / 4;
}

TEST(CodecJpeg, AdobeCmykIsTurnedIntoRgb)
{
    const uint8_t red[4] = {255, 0, 0, 255}; // inverted: no cyan, full magenta and yellow
    CodecImage img;
    ASSERT_EQ(readJpeg(cmykJpeg(red), img), CodecStatus::Nothing);
    const std::vector<uint8_t> px = topDownBgra(img);
    EXPECT_LE(px[0], 3);
    EXPECT_LE(px[1], 3);
    EXPECT_GE(px[2], 252);
}

TEST(CodecJpeg, FaultyFilesAreRefusedWithTheirCode)
{
    const QByteArray good = jpegBytes(smoothDib(32, 32), options(0, 0, 0, 90, 0));
    const qsizetype sof = good.indexOf("\xFF\xC0");
    ASSERT_GT(sof, 0);
    QByteArray wide = good;
    wide[sof + 7] = char(0x27), wide[sof + 8] = char(0x11); // width 10001
    QByteArray precision = good;
    precision[sof + 4] = 7;
    struct Case
    {
        const char *name;
        QByteArray bytes;
        CodecStatus expected;
    } const cases[] = {
        {"not a JPEG", QByteArray("GIF89a...."), CodecStatus::Failed},
        {"cut inside the scan", good.left(good.size() / 2), CodecStatus::FileRead},
        {"cut inside the header", good.left(sof + 4), CodecStatus::FileRead},
        {"wider than 10000", wide, CodecStatus::Range},
        {"unsupported sample precision", precision, CodecStatus::Extract},
    };
    for (const Case &c : cases) {
        CodecImage img;
        EXPECT_EQ(readJpeg(c.bytes, img), c.expected) << c.name;
        EXPECT_TRUE(img.bits.empty()) << c.name;
    }
}
