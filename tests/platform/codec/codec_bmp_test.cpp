#include "platform/codec_test_support.h"

#include "platform/codec/bmp_codec.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

using namespace codec;
using namespace codec::test;

namespace {

// A BMP file put together field by field, so that every header variant can be made.
struct BmpSpec
{
    uint32_t headerSize = 40;
    int32_t w = 0, h = 0;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    std::vector<uint32_t> masks;   // in the header (52 bytes and more) or after a 40-byte one
    std::vector<uint32_t> palette; // 0xRRGGBB entries
    uint32_t clrUsed = 0;
    std::vector<uint8_t> rows; // pixel data in file order
    int64_t offBits = -1;      // -1: right after the palette
};

std::vector<uint8_t> buildBmp(const BmpSpec &s)
{
    std::vector<uint8_t> header;
    put32(header, s.headerSize);
    if (s.headerSize == 12) {
        put16(header, uint16_t(s.w));
        put16(header, uint16_t(s.h));
        put16(header, 1);
        put16(header, s.bitCount);
    } else {
        for (uint32_t v : {uint32_t(s.w), uint32_t(s.h)})
            put32(header, v);
        put16(header, 1);
        put16(header, s.bitCount);
        for (uint32_t v : {s.compression, uint32_t(s.rows.size()), 2835u, 2835u, s.clrUsed, 0u})
            put32(header, v);
        for (size_t i = 0; i < s.masks.size() && s.headerSize > 40; ++i)
            put32(header, s.masks[i]);
        header.resize(s.headerSize, 0);
        if (s.headerSize == 40)
            for (uint32_t m : s.masks)
                put32(header, m);
    }
    for (uint32_t c : s.palette) {
        header.push_back(uint8_t(c));
        header.push_back(uint8_t(c >> 8));
        header.push_back(uint8_t(c >> 16));
        if (s.headerSize != 12)
            header.push_back(0);
    }
    std::vector<uint8_t> file = {'B', 'M'};
    const uint32_t off = s.offBits >= 0 ? uint32_t(s.offBits) : uint32_t(14 + header.size());
    put32(file, uint32_t(14 + header.size() + s.rows.size()));
    put32(file, 0);
    put32(file, off);
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), s.rows.begin(), s.rows.end());
    return file;
}

CodecStatus readBmpBytes(const std::vector<uint8_t> &bytes, CodecImage &out)
{
    QByteArray data = toBytes(bytes);
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    return bmpReadImage(buffer, out);
}

std::vector<uint32_t> asPixels(const std::vector<uint8_t> &bgra)
{
    std::vector<uint32_t> px(bgra.size() / 4);
    std::memcpy(px.data(), bgra.data(), bgra.size());
    return px;
}

BmpSpec valid24()
{
    BmpSpec s;
    s.w = 2;
    s.h = 2;
    s.rows.assign(16, 0x40);
    return s;
}

} // namespace

struct BmpVariant
{
    const char *name;
    BmpSpec spec;
    int resultBits;
    std::vector<uint32_t> topDown; // expected 0xAARRGGBB, rows from the top
};

void PrintTo(const BmpVariant &v, std::ostream *os) { *os << v.name; }

class BmpReaderVariants : public testing::TestWithParam<BmpVariant>
{};

TEST_P(BmpReaderVariants, DecodesToTheExpectedPixels)
{
    const BmpVariant &v = GetParam();
    CodecImage img;
    ASSERT_EQ(readBmpBytes(buildBmp(v.spec), img), CodecStatus::Nothing);
    EXPECT_EQ(img.info.biBitCount, v.resultBits);
    EXPECT_GT(img.info.biHeight, 0) << "readers hand out bottom-up DIBs";
    EXPECT_EQ(asPixels(topDownBgra(img)), v.topDown);
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpReaderVariants,
    testing::Values(
        // 1 bit, bottom-up: bottom row 1 0 1, top row 0 1 0.
        BmpVariant{"OneBitPalette",
                   {40, 3, 2, 1, 0, {}, {0x102030, 0xA0B0C0}, 0, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}},
                   24,
                   {0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0, 0xFF102030, 0xFFA0B0C0}},
        // 4 bits, three colours used; index 5 lies past the palette and reads black.
        BmpVariant{"FourBitShortPalette",
                   {40, 3, 2, 4, 0, {}, {0x112233, 0x445566, 0x778899}, 3,
                    {0x01, 0x20, 0, 0, 0x25, 0x10, 0, 0}},
                   24,
                   {0xFF778899, 0xFF000000, 0xFF445566, 0xFF112233, 0xFF445566, 0xFF778899}},
        // 8 bits, top-down rows.
        BmpVariant{"EightBitTopDown",
                   {40, 3, -2, 8, 0, {}, {0x000000, 0x0A0B0C, 0x102030}, 3,
                    {0, 1, 2, 0, 2, 2, 1, 0}},
                   24,
                   {0xFF000000, 0xFF0A0B0C, 0xFF102030, 0xFF102030, 0xFF102030, 0xFF0A0B0C}},
        // 16 bits without masks are 5-5-5: 16 of 31 scales to 132.
        BmpVariant{"SixteenBit555", {40, 2, 1, 16, 0, {}, {}, 0, {0x00, 0x7C, 0x10, 0x02}},
                   24, {0xFFFF0000, 0xFF008484}},
        BmpVariant{"SixteenBit565Masks",
                   {40, 2, 1, 16, 3, {0xF800, 0x07E0, 0x001F}, {}, 0, {0xFF, 0xFF, 0xE0, 0x07}},
                   24, {0xFFFFFFFF, 0xFF00FF00}},
        // A 124-byte header with R, G, B, A masks in byte order R G B A.
        BmpVariant{"ThirtyTwoBitAlphaMaskV5",
                   {124, 1, 1, 32, 3, {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000}, {}, 0,
                    {0x11, 0x22, 0x33, 0x80}},
                   32, {0x80112233}},
        BmpVariant{"CoreHeader24",
                   {12, 1, 2, 24, 0, {}, {}, 0, {1, 2, 3, 0, 4, 5, 6, 0}}, 24,
                   {0xFF060504, 0xFF030201}},
        // The fourth byte left 0 everywhere by the writer: opaque.
        BmpVariant{"ThirtyTwoBitUnusedAlpha",
                   {40, 2, 1, 32, 0, {}, {}, 0, {1, 2, 3, 0, 4, 5, 6, 0}}, 32,
                   {0xFF030201, 0xFF060504}},
        BmpVariant{"ThirtyTwoBitAlphaKept",
                   {40, 2, 1, 32, 0, {}, {}, 0, {1, 2, 3, 0, 4, 5, 6, 200}}, 32,
                   {0x00030201, 0xC8060504}}),
    [](const auto &info) { return std::string(info.param.name); });

struct BmpFault
{
    const char *name;
    void (*mutate)(BmpSpec &s, std::vector<uint8_t> &file);
    CodecStatus expected;
};

void PrintTo(const BmpFault &f, std::ostream *os) { *os << f.name; }

class BmpReaderFaults : public testing::TestWithParam<BmpFault>
{};

TEST_P(BmpReaderFaults, AreRefusedWithTheirCode)
{
    BmpSpec spec = valid24();
    std::vector<uint8_t> file;
    GetParam().mutate(spec, file);
    if (file.empty())
        file = buildBmp(spec);
    CodecImage img;
    EXPECT_EQ(readBmpBytes(file, img), GetParam().expected);
    EXPECT_TRUE(img.bits.empty()) << "nothing is kept from a refused file";
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, BmpReaderFaults,
    testing::Values(
        BmpFault{"NotBM", [](BmpSpec &s, auto &f) { f = buildBmp(s), f[0] = 'X'; },
                 CodecStatus::Failed},
        BmpFault{"EmptyFile", [](BmpSpec &, auto &f) { f = {'B'}; }, CodecStatus::Failed},
        BmpFault{"HeaderCut", [](BmpSpec &s, auto &f) { f = buildBmp(s), f.resize(30); },
                 CodecStatus::FileRead},
        BmpFault{"PixelsCut", [](BmpSpec &s, auto &f) { f = buildBmp(s), f.pop_back(); },
                 CodecStatus::FileRead},
        BmpFault{"UnknownHeaderSize", [](BmpSpec &s, auto &) { s.headerSize = 64; },
                 CodecStatus::NoSupport},
        BmpFault{"RunLength", [](BmpSpec &s, auto &) { s.bitCount = 8, s.compression = 1; },
                 CodecStatus::NoSupport},
        BmpFault{"TwoBits", [](BmpSpec &s, auto &) { s.bitCount = 2; }, CodecStatus::ColorMode},
        BmpFault{"MasksOn24Bits", [](BmpSpec &s, auto &) { s.compression = 3; },
                 CodecStatus::Failed},
        BmpFault{"MaskPastSixteenBits",
                 [](BmpSpec &s, auto &) {
                     s.bitCount = 16, s.compression = 3, s.masks = {0x10000, 0x3E0, 0x1F};
                 },
                 CodecStatus::Failed},
        BmpFault{"TooWide", [](BmpSpec &s, auto &) { s.w = 10001; }, CodecStatus::Range},
        BmpFault{"TooTallTopDown", [](BmpSpec &s, auto &) { s.h = -10001; }, CodecStatus::Range},
        BmpFault{"NoWidth", [](BmpSpec &s, auto &) { s.w = 0; }, CodecStatus::Range},
        BmpFault{"NoHeight", [](BmpSpec &s, auto &) { s.h = 0; }, CodecStatus::Range},
        // The largest picture allowed, but the file holds 16 bytes of it: refused before any
        // pixel memory is taken.
        BmpFault{"SizesDoNotAddUp", [](BmpSpec &s, auto &) { s.w = 10000, s.h = 10000; },
                 CodecStatus::FileRead},
        BmpFault{"OffsetInsideHeader", [](BmpSpec &s, auto &) { s.offBits = 20; },
                 CodecStatus::Failed},
        BmpFault{"TooManyColours",
                 [](BmpSpec &s, auto &) { s.bitCount = 8, s.clrUsed = 300; },
                 CodecStatus::Failed}),
    [](const auto &info) { return std::string(info.param.name); });

class BmpFiles : public testing::Test
{
protected:
    QTemporaryDir dir;
    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
};

TEST_F(BmpFiles, RoundTripKeepsEveryByteAndTheResolution)
{
    for (int bits : {24, 32}) {
        SCOPED_TRACE(bits);
        // 5 pixels of 24 bits leave one padding byte per row.
        const CodecImage src = patternDib(5, 3, bits);
        ASSERT_EQ(bmpSaveImage(path("a.bmp"), src.info, src.bits), CodecStatus::Nothing);
        CodecImage back;
        ASSERT_EQ(bmpGetImage(path("a.bmp"), back), CodecStatus::Nothing);
        EXPECT_EQ(back.info.biWidth, 5);
        EXPECT_EQ(back.info.biHeight, 3);
        EXPECT_EQ(back.info.biBitCount, bits);
        EXPECT_EQ(back.info.biXPelsPerMeter, 3780);
        EXPECT_EQ(topDownBgra(back), topDownBgra(src));
    }
}

TEST_F(BmpFiles, WrittenHeaderDescribesTheFile)
{
    const CodecImage src = patternDib(5, 3, 24);
    ASSERT_EQ(bmpSaveImage(path("a.bmp"), src.info, src.bits), CodecStatus::Nothing);
    QFile f(path("a.bmp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    ASSERT_EQ(bytes.size(), 54 + 16 * 3);
    const auto *p = reinterpret_cast<const uint8_t *>(bytes.constData());
    EXPECT_EQ(p[0], 'B');
    EXPECT_EQ(p[1], 'M');
    EXPECT_EQ(p[2] | p[3] << 8, bytes.size()); // bfSize
    EXPECT_EQ(p[10], 54);                      // bfOffBits
    EXPECT_EQ(p[14], 40);                      // biSize
}

TEST_F(BmpFiles, TopDownDibIsReadBackAsTheSamePicture)
{
    CodecImage src = patternDib(4, 3, 32);
    CodecImage topDown = src;
    topDown.info.biHeight = -3;
    for (int32_t y = 0; y < 3; ++y)
        std::memcpy(topDown.bits.data() + y * 16, dibRowFromTop(src, y), 16);
    ASSERT_EQ(bmpSaveImage(path("t.bmp"), topDown.info, topDown.bits), CodecStatus::Nothing);
    CodecImage back;
    ASSERT_EQ(bmpGetImage(path("t.bmp"), back), CodecStatus::Nothing);
    EXPECT_EQ(topDownBgra(back), topDownBgra(src));
}

TEST_F(BmpFiles, FailedSaveLeavesTheOldFileAndMissingFileIsReported)
{
    QFile old(path("keep.bmp"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    CodecImage src = patternDib(4, 4, 24);
    src.bits.resize(src.bits.size() - 1); // rows run past the pixel block
    EXPECT_EQ(bmpSaveImage(path("keep.bmp"), src.info, src.bits), CodecStatus::Param);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("old"));

    const CodecImage good = patternDib(2, 2, 24);
    EXPECT_EQ(bmpSaveImage(path("no/such/folder/x.bmp"), good.info, good.bits),
              CodecStatus::FileOpen);
    CodecImage img;
    EXPECT_EQ(bmpGetImage(path("missing.bmp"), img), CodecStatus::FileOpen);
}
