#include "core/image/canvas.h"

#include "core/image_test_support.h"

#include <QBuffer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
// A BMP built field by field, so that each malformed case changes one thing.
struct BmpFields
{
    uint16_t tag = 0x4D42;
    uint32_t infoSize = 40;
    int32_t w = 2, h = 2;
    uint16_t bits = 32;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<uint32_t> masks; // written after the header when not empty
    int32_t ppm = 3780;
    int32_t gap = 0;          // bytes between the headers and the pixels
    int32_t offBitsDelta = 0; // added to the true pixel offset
    int32_t cutPixels = 0;    // bytes missing at the end
};

QByteArray makeBmp(const BmpFields &s)
{
    QByteArray b;
    auto put = [&b](const void *p, size_t n) {
        b.append(static_cast<const char *>(p), qsizetype(n));
    };
    const int32_t row = s.bits == 24 ? (s.w * 3 + 3) & ~3 : s.w * 4;
    const uint32_t off = 54 + uint32_t(s.masks.size() * 4) + uint32_t(s.gap);
    tagBITMAPFILEHEADER fh;
    fh.bfType = s.tag;
    fh.bfSize = off + uint32_t(row * std::abs(s.h));
    fh.bfOffBits = uint32_t(int32_t(off) + s.offBitsDelta);
    tagBITMAPINFOHEADER ih;
    ih.biSize = s.infoSize;
    ih.biWidth = s.w;
    ih.biHeight = s.h;
    ih.biPlanes = 1;
    ih.biBitCount = s.bits;
    ih.biCompression = s.compression;
    ih.biXPelsPerMeter = ih.biYPelsPerMeter = s.ppm;
    ih.biClrUsed = s.clrUsed;
    put(&fh, sizeof fh);
    put(&ih, sizeof ih);
    for (uint32_t m : s.masks)
        put(&m, 4);
    b.append(QByteArray(s.gap, '\x77'));
    // Pixel (x, y) of the file: B = 10 * x + y, G = 100 + y, R = 200, A = 0x40 (32 bits).
    for (int32_t y = 0; y < std::abs(s.h); ++y) {
        QByteArray r(row, 0);
        for (int32_t x = 0; x < s.w; ++x) {
            const int at = x * (s.bits / 8);
            r[at] = char(10 * x + y);
            r[at + 1] = char(100 + y);
            r[at + 2] = char(200);
            if (s.bits == 32)
                r[at + 3] = char(0x40);
        }
        b.append(r);
    }
    b.chop(s.cutPixels);
    return b;
}

bool loadBytes(TMTC &tc, const QByteArray &b, int32_t *dpi = nullptr)
{
    return tc.loadBitmap(b.constData(), size_t(b.size()), dpi);
}
} // namespace

TEST(CanvasBmp, LoadKeepsTheFileRowOrderAndReadsTheResolution)
{
    for (uint16_t bits : {uint16_t(24), uint16_t(32)}) {
        SCOPED_TRACE(bits);
        TMTC tc;
        int32_t dpi = -1;
        BmpFields s;
        s.bits = bits;
        s.w = 3;
        ASSERT_TRUE(loadBytes(tc, makeBmp(s), &dpi));
        EXPECT_EQ(dpi, 96);
        ASSERT_EQ(tc.FPSZ(), (sSize{3, 2}));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x) {
                const sBGRA p{.all = tc.getColor(x, y)};
                EXPECT_EQ(p.B, 10 * x + y); // file row y is canvas row y
                EXPECT_EQ(p.G, 100 + y);
                EXPECT_EQ(p.A, bits == 32 ? 0x40 : 0xFF);
            }
    }
}

TEST(CanvasBmp, HonoursThePixelOffsetAndBitFieldMasks)
{
    BmpFields gap;
    gap.gap = 10;
    TMTC a, b;
    ASSERT_TRUE(loadBytes(a, makeBmp(gap)));
    ASSERT_TRUE(loadBytes(b, makeBmp(BmpFields{})));
    EXPECT_EQ(canvasPixels(a), canvasPixels(b));

    BmpFields standard;
    standard.compression = BI_BITFIELDS;
    standard.clrUsed = 3;
    standard.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    ASSERT_TRUE(loadBytes(a, makeBmp(standard)));
    EXPECT_EQ(canvasPixels(a), canvasPixels(b));

    // Red and blue masks exchanged: the bytes stored as blue are red.
    BmpFields swapped = standard;
    swapped.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    ASSERT_TRUE(loadBytes(a, makeBmp(swapped)));
    const sBGRA p{.all = a.getColor(1, 1)};
    EXPECT_EQ(p.R, 11);
    EXPECT_EQ(p.B, 200);
    EXPECT_EQ(p.A, 0x40);

    // Five-bit fields are scaled to 0..255.
    BmpFields narrow = standard;
    narrow.masks = {0x00F80000, 0x0000F800, 0x000000F8};
    ASSERT_TRUE(loadBytes(a, makeBmp(narrow)));
    const sBGRA q{.all = a.getColor(0, 0)};
    EXPECT_EQ(q.R, (200 >> 3) * 255 / 31 + ((200 >> 3) * 255 % 31 >= 16));
}

TEST(CanvasBmp, MalformedHeadersAreRefusedAndTheCanvasKept)
{
    auto edit = [](auto f) {
        BmpFields s;
        f(s);
        return makeBmp(s);
    };
    const std::pair<const char *, QByteArray> cases[] = {
        {"short header", makeBmp(BmpFields{}).left(50)},
        {"wrong tag", edit([](BmpFields &s) { s.tag = 0x4142; })},
        {"version-4 header", edit([](BmpFields &s) { s.infoSize = 108; })},
        {"8 bits", edit([](BmpFields &s) { s.bits = 8; })},
        {"run-length", edit([](BmpFields &s) { s.compression = 1; })},
        {"bit fields without masks", edit([](BmpFields &s) { s.compression = BI_BITFIELDS; })},
        {"zero width", edit([](BmpFields &s) { s.w = 0; })},
        {"top-down", edit([](BmpFields &s) { s.h = -2; })},
        {"too wide", edit([](BmpFields &s) { s.w = 10001; })},
        {"offset inside the header", edit([](BmpFields &s) { s.offBitsDelta = -1; })},
        {"offset past the end", edit([](BmpFields &s) { s.offBitsDelta = 4; })},
        {"one byte short", edit([](BmpFields &s) { s.cutPixels = 1; })},
    };
    for (const auto &[name, bytes] : cases) {
        TMTC tc;
        numberCanvas(tc, 5, 1);
        const std::vector<uint32_t> before = canvasPixels(tc);
        EXPECT_FALSE(loadBytes(tc, bytes)) << name;
        EXPECT_EQ(tc.FPSZ(), (sSize{5, 1})) << name;
        EXPECT_EQ(canvasPixels(tc), before) << name;
    }
    TMTC tc;
    EXPECT_FALSE(tc.loadBitmap(QStringLiteral("/nonexistent/a.bmp"), nullptr));
    EXPECT_FALSE(tc.loadBitmap(nullptr, 10, nullptr));
}

TEST(CanvasBmp, ResolutionFromTheHeader)
{
    tagBITMAPINFOHEADER ih;
    ih.biSize = 40;
    for (auto [ppm, dpi] : {std::pair{2835, 72}, {3780, 96}, {2834, 72}, {3779, 96}, {0, 0}}) {
        ih.biXPelsPerMeter = ppm;
        EXPECT_EQ(dpiFromInfoHeader(ih), dpi) << ppm;
    }
    ih.biSize = 124;
    ih.biXPelsPerMeter = 3780;
    EXPECT_EQ(dpiFromInfoHeader(ih), 96);
    ih.biSize = 12;
    EXPECT_EQ(dpiFromInfoHeader(ih), 0);
    EXPECT_EQ(dpiToPelsPerMeter(72), 2834);
    EXPECT_EQ(dpiToPelsPerMeter(96), 3779);
}

TEST(CanvasBmp, TwentyFourBitFileLayoutAndRoundTrip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    TMTC tc;
    numberCanvas(tc, 3, 2);
    ASSERT_TRUE(tc.saveBitmap(path, 72));
    const QByteArray b = readFileBytes(path);
    ASSERT_EQ(b.size(), 54 + 2 * 12); // rows of 9 bytes padded to 12
    EXPECT_EQ(le16(b, 0), 0x4D42);
    EXPECT_EQ(le32(b, 2), 78u);
    EXPECT_EQ(le32(b, 10), 54u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(int32_t(le32(b, 22)), 2); // positive height: bottom-up
    EXPECT_EQ(le16(b, 28), 24);
    EXPECT_EQ(le32(b, 34), 24u);   // biSizeImage
    EXPECT_EQ(le32(b, 38), 2834u); // 72 dpi
    // The first row in the file is the bottom canvas row; padding bytes are 0.
    EXPECT_EQ(uint8_t(b[54 + 3 * 2]), tc.seek32(2, 1)->B);
    EXPECT_EQ(uint8_t(b[54 + 9]), 0);
    EXPECT_EQ(uint8_t(b[54 + 12]), tc.seek32(0, 0)->B);

    TMTC back;
    int32_t dpi = 0;
    ASSERT_TRUE(back.loadBitmap(path, &dpi));
    EXPECT_EQ(dpi, 72);
    EXPECT_EQ(back.getColor(0, 0), tc.getColor(0, 1)); // held upside down
    back.flipTB();
    EXPECT_EQ(canvasPixels(back), canvasPixels(tc));
}

TEST(CanvasBmp, ThirtyTwoBitRoundTripKeepsAlpha)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("a.bmp");
    TMTC tc;
    fillCanvas(tc, 2, 2, {0x00000000, 0x80FF0102, 0x7F030405, 0xFFFFFFFF});
    ASSERT_TRUE(tc.saveBitmap32(path, 96));
    const QByteArray b = readFileBytes(path);
    ASSERT_EQ(b.size(), 54 + 16);
    EXPECT_EQ(le32(b, 2), 70u);
    EXPECT_EQ(le16(b, 28), 32);
    EXPECT_EQ(le32(b, 54), 0x7F030405u); // bottom row first
    TMTC back;
    ASSERT_TRUE(back.loadBitmap(path, nullptr));
    back.flipTB();
    EXPECT_EQ(canvasPixels(back), canvasPixels(tc));
}

TEST(CanvasBmp, InMemoryBitmapsAreBottomUp)
{
    TMTC tc;
    numberCanvas(tc, 3, 2);
    tagBITMAPINFOHEADER info;
    std::unique_ptr<uint8_t[]> bits;
    ASSERT_TRUE(tc.makeBMP24(96, info, bits));
    EXPECT_EQ(info.biSizeImage, 24u);
    EXPECT_EQ(info.biHeight, 2);
    EXPECT_EQ(bits[0], tc.seek32(0, 1)->B);
    EXPECT_EQ(bits[12 + 3], tc.seek32(1, 0)->B);

    ASSERT_TRUE(tc.makeBMP32(96, {1, -4, 9, 9}, info, bits));
    EXPECT_EQ(info.biWidth, 2);
    EXPECT_EQ(info.biHeight, 2);
    EXPECT_EQ(info.biSizeImage, 16u);
    EXPECT_EQ(info.biXPelsPerMeter, 3779);
    uint32_t first;
    std::memcpy(&first, bits.get(), 4);
    EXPECT_EQ(first, tc.getColor(1, 1));
    EXPECT_FALSE(tc.makeBMP32(96, {5, 5, 2, 2}, info, bits));
    EXPECT_EQ(bits, nullptr);
}

TEST(CanvasBmp, AFailedSaveIsReportedAndKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.bmp");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old contents");
    }
    TMTC tc;
    numberCanvas(tc, 200, 200);
    EXPECT_FALSE(tc.saveBitmap(dir.filePath("missing/x.bmp"), 72));

    // Writes past a file-size limit come back short.
    bool saved24 = true, saved32 = true;
    {
        FileSizeLimit limit(4096);
        saved24 = tc.saveBitmap(path, 72);
        saved32 = tc.saveBitmap32(path, 72);
    }
    EXPECT_FALSE(saved24);
    EXPECT_FALSE(saved32);
    EXPECT_EQ(readFileBytes(path), QByteArray("old contents"));
}

TEST(CanvasBmp, ReadsFromAnyDevicePosition)
{
    QByteArray bytes("xyz");
    bytes.append(makeBmp(BmpFields{}));
    QBuffer buf(&bytes);
    ASSERT_TRUE(buf.open(QIODevice::ReadOnly));
    buf.seek(3);
    TMTC tc;
    ASSERT_TRUE(tc.loadBitmap(buf, nullptr));
    EXPECT_EQ(tc.FPSZ(), (sSize{2, 2}));
}
