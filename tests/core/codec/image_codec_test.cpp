#include "core/codec/image_codec.h"

#include "platform/codec/block_compress.h"

#include <QBuffer>

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<uint8_t> randomBytes(size_t n)
{
    std::mt19937 rng(42);
    std::vector<uint8_t> v(n);
    for (auto &b : v)
        b = uint8_t(rng() >> 24);
    return v;
}

} // namespace

TEST(ImageCodec, CompressToStreamAppendsAtTheStreamPosition)
{
    const auto src = randomBytes(40000); // several passes through the work space
    QByteArray data("head");
    QBuffer stream(&data);
    ASSERT_TRUE(stream.open(QIODevice::ReadWrite));
    ASSERT_TRUE(stream.seek(4));
    std::vector<uint8_t> work; // the binding provides the work space
    const int32_t n = compressToStream(src.data(), uint32_t(src.size()), work, stream);
    ASSERT_GT(n, 0);
    EXPECT_EQ(work.size(), kCompressWorkBytes);
    EXPECT_EQ(data.size(), 4 + n);
    EXPECT_TRUE(data.startsWith("head"));
    std::vector<uint8_t> back(src.size());
    const auto *packed = reinterpret_cast<const uint8_t *>(data.constData()) + 4;
    ASSERT_EQ(codec::codecDecompress({packed, size_t(n)}, back), codec::CodecStatus::Nothing);
    EXPECT_EQ(back, src);
}

TEST(ImageCodec, CompressToStreamReportsAStreamThatTakesNothing)
{
    const auto src = randomBytes(1000);
    QByteArray data;
    QBuffer stream(&data);
    ASSERT_TRUE(stream.open(QIODevice::ReadOnly));
    std::vector<uint8_t> work(kCompressWorkBytes);
    EXPECT_EQ(compressToStream(src.data(), 1000, work, stream), 0);
}

TEST(ImageCodec, CompressToMemoryResultAlwaysFitsItsBlock)
{
    for (size_t start : {size_t(0), size_t(16), size_t(65536)}) {
        SCOPED_TRACE(start);
        const auto src = randomBytes(70000); // random data grows a little when packed
        std::vector<uint8_t> dst(start);
        const int32_t n = compressToMemory(src.data(), uint32_t(src.size()), dst);
        ASSERT_GT(n, 0);
        ASSERT_LE(size_t(n), dst.size());
        std::vector<uint8_t> back(src.size());
        ASSERT_EQ(codec::codecDecompress(std::span(dst).first(size_t(n)), back),
                  codec::CodecStatus::Nothing);
        EXPECT_EQ(back, src);
    }
}

TEST(ImageCodec, StreamWriterCountsWholeElements)
{
    QByteArray data;
    QBuffer stream(&data);
    ASSERT_TRUE(stream.open(QIODevice::WriteOnly));
    const char bytes[12] = {};
    EXPECT_EQ(dllStreamWrite(bytes, 4, 3, stream), 3);
    EXPECT_EQ(data.size(), 12);
    EXPECT_EQ(dllStreamWrite(bytes, 0, 3, stream), 0);
}

TEST(ImageCodec, ResultCodesKeepTheirNumbers)
{
    EXPECT_EQ(MOPIXDLLERR_NO_SUPPORT, 2);
    EXPECT_EQ(MOPIXDLLERR_COLORMODE, 12);
    EXPECT_EQ(MOPIXDLLERR_FILE_OPEN, 16);
    EXPECT_EQ(MOPIXDLLERR_USERBREAK, 20);
    EXPECT_EQ(toMopixDllErr(codec::CodecStatus::FileWrite), MOPIXDLLERR_FILE_WRITE);
}

// ---- loading image files into canvases

#include "core/image_test_support.h"

#include "platform/codec/bmp_codec.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/png_codec.h"

#include <QTemporaryDir>

#include <bit>

namespace {

// Writes the canvas through the codec writer that suits the file name, as a 32- or 24-bit DIB
// at 96 dpi.
bool writeCanvas(const TMTC &tc, const QString &path, bool alpha)
{
    tagBITMAPINFOHEADER info;
    std::unique_ptr<uint8_t[]> bits;
    sBox all = {0, 0, tc.width(), tc.height()};
    if (!(alpha ? tc.makeBMP32(96, all, info, bits) : tc.makeBMP24(96, info, bits)))
        return false;
    const auto h = std::bit_cast<codec::BitmapInfoHeader>(info);
    const std::span<const uint8_t> span(bits.get(), info.biSizeImage);
    const QString lower = path.toLower();
    if (lower.endsWith(".bmp"))
        return codec::bmpSaveImage(path, h, span) == codec::CodecStatus::Nothing;
    if (lower.endsWith(".png"))
        return codec::pngSaveImage(path, h, span) == codec::CodecStatus::Nothing;
    return codec::jpegSaveImage(path, h, span, {0, 0, 0, 100, 0}) == codec::CodecStatus::Nothing;
}

int maxChannelDifference(const TMTC &a, const TMTC &b)
{
    int worst = 0;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            for (int k = 0; k < 32; k += 8)
                worst = std::max(worst, std::abs(int(a.getColor(x, y) >> k & 0xFF) -
                                                 int(b.getColor(x, y) >> k & 0xFF)));
    return worst;
}

} // namespace

struct LoadCase
{
    const char *file;
    bool alpha;
    int tolerance;
};

class LoadImageFile : public testing::TestWithParam<LoadCase>
{};

TEST_P(LoadImageFile, RoundTripsWhateverTheCaseOfItsExtension)
{
    const LoadCase &c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromUtf8(c.file));
    TMTC src;
    numberCanvas(src, 9, 7);
    if (c.alpha)
        src.seek32(3, 2)->A = 0x40;
    ASSERT_TRUE(writeCanvas(src, path, c.alpha));
    int32_t dpi = 0;
    MopixDllErr err = MOPIXDLLERR_FAILED;
    const auto tc = loadImageFile(path, &dpi, &err);
    ASSERT_TRUE(tc) << "code " << int(err);
    EXPECT_EQ(err, MOPIXDLLERR_NOTHING);
    EXPECT_EQ(dpi, 96);
    EXPECT_EQ(tc->FPSZ(), src.FPSZ());
    EXPECT_LE(maxChannelDifference(*tc, src), c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    ImageCodec, LoadImageFile,
    testing::Values(LoadCase{"a.bmp", false, 0}, LoadCase{"b.BMP", true, 0},
                    LoadCase{"c.png", true, 0}, LoadCase{"d.PnG", false, 0},
                    LoadCase{"e.jpg", false, 12}, LoadCase{"f.JPEG", false, 12},
                    LoadCase{"g.Jfif", false, 12}),
    [](const auto &info) { return std::string(info.param.file).replace(1, 1, "_"); });

TEST(ImageCodec, OtherExtensionsAreRefusedBeforeTheFileIsRead)
{
    QTemporaryDir dir;
    TMTC src;
    numberCanvas(src, 4, 4);
    const QString png = dir.filePath("real.png");
    ASSERT_TRUE(writeCanvas(src, png, true));
    const QString gif = dir.filePath("real.gif");
    ASSERT_TRUE(QFile::copy(png, gif)); // readable picture, wrong extension
    MopixDllErr err = MOPIXDLLERR_NOTHING;
    EXPECT_FALSE(loadImageFile(gif, nullptr, &err));
    EXPECT_EQ(err, MOPIXDLLERR_NO_SUPPORT);
    // A missing file with an unknown extension is refused the same way: it is never opened.
    EXPECT_FALSE(loadImageFile(dir.filePath("none.tif"), nullptr, &err));
    EXPECT_EQ(err, MOPIXDLLERR_NO_SUPPORT);
    EXPECT_FALSE(loadImageFile(dir.filePath("noextension"), nullptr, &err));
    EXPECT_EQ(err, MOPIXDLLERR_NO_SUPPORT);
    EXPECT_FALSE(loadImageFile(dir.filePath("none.png"), nullptr, &err));
    EXPECT_EQ(err, MOPIXDLLERR_FILE_OPEN);
    // A file whose contents are not of its extension's format.
    const QString fake = dir.filePath("fake.jpg");
    ASSERT_TRUE(QFile::copy(png, fake));
    EXPECT_FALSE(loadImageFile(fake, nullptr, &err));
    EXPECT_EQ(err, MOPIXDLLERR_FAILED);
}

TEST(ImageCodec, PsdGivesTheMergedPictureAndOtherExtensionsAreNotPsd)
{
    QTemporaryDir dir;
    sSize doc = {7, 7};
    MopixDllErr err = MOPIXDLLERR_NOTHING;
    EXPECT_FALSE(loadPsdImage(dir.filePath("a.PSD"), doc, &err));
    EXPECT_EQ(err, MOPIXDLLERR_FILE_OPEN);
    EXPECT_FALSE(loadPsdImage(dir.filePath("a.png"), doc, &err));
    EXPECT_EQ(doc, (sSize{7, 7}));
    // A file of another writer (no layers): the merged picture and the document size.
    const QString psd = QStringLiteral(KAVRIN_TEST_DATA "/psd/pt-nolayers.psd");
    std::unique_ptr<TMTC> img = loadPsdImage(psd, doc, &err);
    ASSERT_TRUE(img);
    EXPECT_EQ(doc, (sSize{64, 48}));
    EXPECT_EQ(img->FPSZ(), (sSize{64, 48}));
    EXPECT_TRUE(loadImageFile(psd, nullptr, &err));
}

TEST(ImageCodec, DibToCanvasRefusesDibsItCannotHold)
{
    TMTC src;
    numberCanvas(src, 3, 2);
    tagBITMAPINFOHEADER info;
    std::unique_ptr<uint8_t[]> bits;
    ASSERT_TRUE(src.makeBMP24(72, info, bits));
    const std::span<const uint8_t> span(bits.get(), info.biSizeImage);
    const auto tc = dibToCanvas(info, span);
    ASSERT_TRUE(tc);
    EXPECT_EQ(canvasPixels(*tc), canvasPixels(src)) << "bottom-up rows turned upright";

    EXPECT_FALSE(dibToCanvas(info, span.first(span.size() - 1)));
    tagBITMAPINFOHEADER bad = info;
    bad.biBitCount = 8;
    EXPECT_FALSE(dibToCanvas(bad, span));
    bad = info;
    bad.biWidth = 0;
    EXPECT_FALSE(dibToCanvas(bad, span));
    std::vector<uint8_t> wide(size_t(10001) * 4, 0);
    bad = info;
    bad.biWidth = 10001;
    bad.biHeight = 1;
    bad.biBitCount = 32;
    EXPECT_FALSE(dibToCanvas(bad, wide));
}
