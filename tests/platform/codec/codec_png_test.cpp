#include "platform/codec_test_support.h"

#include "platform/codec/png_codec.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <zlib.h>

using namespace codec;
using namespace codec::test;

namespace {

QByteArray pngBytes(const CodecImage &img)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_EQ(pngWriteImage(buffer, img.info, img.bits), CodecStatus::Nothing);
    return data;
}

CodecStatus readPng(QByteArray data, CodecImage &out)
{
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return pngReadImage(buffer, out);
}

QByteArray qtPng(const QImage &image)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG"));
    return data;
}

// Rewrites the CRC of the chunk whose type starts at typeOffset, after its data was changed.
void fixChunkCrc(QByteArray &png, qsizetype typeOffset, uint32_t dataLength)
{
    const auto *p = reinterpret_cast<const Bytef *>(png.constData()) + typeOffset;
    const uint32_t crc = uint32_t(crc32(0, p, 4 + dataLength));
    const qsizetype at = typeOffset + 4 + dataLength;
    for (int i = 0; i < 4; ++i)
        png[at + i] = char(crc >> (24 - 8 * i));
}

} // namespace

TEST(CodecPng, RoundTripIsExactWithAndWithoutAlpha)
{
    QTemporaryDir dir;
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        const CodecImage src = patternDib(7, 5, bits, 2835);
        const QString path = dir.filePath("a.png");
        ASSERT_EQ(pngSaveImage(path, src.info, src.bits), CodecStatus::Nothing);
        CodecImage back;
        ASSERT_EQ(pngGetImage(path, back), CodecStatus::Nothing);
        EXPECT_EQ(back.info.biBitCount, bits);
        EXPECT_EQ(back.info.biXPelsPerMeter, 2835);
        EXPECT_EQ(topDownBgra(back), topDownBgra(src));
    }
}

TEST(CodecPng, GreyPaletteAndSixteenBitFilesAreExpanded)
{
    QImage grey(3, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            grey.setPixel(x, y, qRgb(x * 100 + y, x * 100 + y, x * 100 + y));
    CodecImage img;
    ASSERT_EQ(readPng(qtPng(grey), img), CodecStatus::Nothing);
    EXPECT_EQ(img.info.biBitCount, 24);
    EXPECT_EQ(topDownBgra(img)[4 * 4 + 0], 101); // (1, 1)
    EXPECT_EQ(topDownBgra(img)[4 * 4 + 3], 255);

    // A palette with a transparent entry becomes 32 bits with that alpha.
    QImage indexed(2, 1, QImage::Format_Indexed8);
    indexed.setColorTable({qRgba(10, 20, 30, 255), qRgba(40, 50, 60, 0)});
    indexed.setPixel(0, 0, 0);
    indexed.setPixel(1, 0, 1);
    ASSERT_EQ(readPng(qtPng(indexed), img), CodecStatus::Nothing);
    EXPECT_EQ(img.info.biBitCount, 32);
    EXPECT_EQ(topDownBgra(img), (std::vector<uint8_t>{30, 20, 10, 255, 60, 50, 40, 0}));

    // 16-bit samples k x 257 come back as k.
    QImage deep(1, 1, QImage::Format_RGBA64);
    deep.setPixelColor(0, 0, QColor::fromRgba64(QRgba64::fromRgba64(257 * 9, 257 * 99, 257 * 199, 257 * 128)));
    ASSERT_EQ(readPng(qtPng(deep), img), CodecStatus::Nothing);
    EXPECT_EQ(topDownBgra(img), (std::vector<uint8_t>{199, 99, 9, 128}));
}

TEST(CodecPng, FaultyFilesAreRefusedWithTheirCode)
{
    const QByteArray good = pngBytes(patternDib(40, 30, 32));
    const qsizetype idat = good.indexOf("IDAT");
    ASSERT_GT(idat, 0);
    struct Case
    {
        const char *name;
        QByteArray bytes;
        CodecStatus expected;
    };
    QByteArray notPng = good;
    notPng[1] = 'X';
    QByteArray corrupt = good;
    corrupt[idat + 10] = char(corrupt[idat + 10] ^ 0x55); // the chunk's CRC no longer matches
    QByteArray wide = good;
    wide[16] = 0, wide[17] = 0, wide[18] = char(0x27), wide[19] = char(0x11); // 10001
    fixChunkCrc(wide, 12, 13);
    const Case cases[] = {
        {"not a PNG", notPng, CodecStatus::Failed},
        {"cut inside the image data", good.left(idat + 20), CodecStatus::FileRead},
        {"cut before the end chunk", good.left(good.size() - 12), CodecStatus::FileRead},
        {"corrupt image data", corrupt, CodecStatus::Extract},
        {"wider than 10000", wide, CodecStatus::Range},
    };
    for (const Case &c : cases) {
        CodecImage img;
        EXPECT_EQ(readPng(c.bytes, img), c.expected) << c.name;
        EXPECT_TRUE(img.bits.empty()) << c.name;
    }
}
