// Pictures written for other programs keep the composite's partial transparency while the canvas
// colour is hidden, and are opaque over the canvas colour while it is shown: the composed picture,
// the PSD merged image with its transparency channel, the PSD thumbnail, and a PSD whose layers
// carry transparency carried through the layered file.
#include "document/view/outside_picture.h"

#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/events/event_manager.h"
#include "document/files/native_image.h"
#include "document/files/psd_file.h"
#include "document/paper/headless.h"
#include "document/paper/headless_document.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "format/chunk.h"
#include "platform/codec/jpeg_codec.h"
#include "platform/codec/psd_codec.h"
#include "support/captured_messages.h"
#include "support/psd_builder.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

constexpr int32_t kW = 16, kH = 12;
constexpr uint32_t kCanvas = 0xFFEECC;
constexpr uint32_t kSemiRed = 0x80FF0000u;
// Red at 128 / 255 over the canvas colour.
constexpr uint32_t kRedOverCanvas = 0xFFFF7665u;

// A red layer that reaches alpha 128 in the picture: by its pixels or by its opacity.
struct Case
{
    const char *what;
    uint32_t pixel;
    uint8_t opacity;
};
constexpr Case kCases[] = {
    {"pixels of alpha 128", kSemiRed, 255},
    {"opaque pixels at opacity 128", 0xFFFF0000u, 128},
};

// One layer, red as the case has it over its right part (x >= 4), transparent left of it.
void makeDocument(TPaper &p, const Case &c, bool canvasShown)
{
    ASSERT_TRUE(setupHeadlessPaper(p, {kW, kH}, kCanvas, 1));
    CLayerData &ld = *p.getLayerData(0);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x)
            ld.imageTC->setPixel(x, y, x >= 4 ? c.pixel : 0x00000000u);
    ld.trans = c.opacity;
    p.bVisCanvasCol = canvasShown;
}

// A fully transparent pixel's colour does not matter.
uint32_t seen(uint32_t v)
{
    return v >> 24 ? v : 0u;
}

bool near(uint32_t a, uint32_t b, int slack)
{
    for (int s = 0; s < 32; s += 8)
        if (std::abs(int(a >> s & 0xFF) - int(b >> s & 0xFF)) > slack)
            return false;
    return true;
}

// Every pixel of a picture of kW x kH by its place: the transparent strip and the red part.
void expectPicture(const std::function<uint32_t(int, int)> &pixel, uint32_t strip, uint32_t red,
                   int slack, const std::string &what)
{
    int bad = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const uint32_t want = x >= 4 ? red : strip, got = pixel(x, y);
            if (!near(got, want, slack) && bad++ < 3)
                ADD_FAILURE() << what << " at " << x << "," << y << std::hex << ": want " << want
                              << " got " << got;
        }
}

uint32_t dibPixel(const codec::CodecImage &img, int x, int y)
{
    const uint8_t *row = codec::dibRowFromTop(img.info, img.bits, y);
    if (img.info.biBitCount == 24)
        return 0xFF000000u | uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 |
               row[x * 3];
    uint32_t v = 0;
    std::memcpy(&v, row + x * 4, 4);
    return v;
}

// The thumbnail of a PSD file (resource 1036: 28 bytes of header, then a JPEG).
codec::CodecImage psdThumbnail(const codec::CPsdFile &f)
{
    codec::CodecImage out;
    std::vector<uint8_t> res(f.getResource(1036, {}));
    if (res.size() <= 28 || f.getResource(1036, res) != res.size())
        return out;
    QByteArray jpeg(reinterpret_cast<const char *>(res.data()) + 28, qsizetype(res.size()) - 28);
    QBuffer dev(&jpeg);
    dev.open(QIODevice::ReadOnly);
    if (!codec::succeeded(codec::jpegReadImage(dev, out)))
        out = {};
    return out;
}

} // namespace

TEST(NewUserFaultsTransparency, ThePictureKeepsTheAlphaUnderAHiddenCanvasColour)
{
    for (const Case &c : kCases) {
        for (const bool shown : {false, true}) {
            HeadlessDocument doc;
            TPaper &p = *doc.paper;
            makeDocument(p, c, shown);
            TMTC picture;
            ASSERT_TRUE(composeOutsidePicture(p, picture)) << c.what;
            ASSERT_EQ(picture.width(), kW);
            ASSERT_EQ(picture.height(), kH);
            const std::string what = std::string(c.what) + (shown ? ", canvas shown" : ", hidden");
            // Hidden: straight colour with the composite's alpha (not darkened, not opaque).
            // Shown: opaque over the canvas colour, also where no layer covers it.
            if (shown)
                expectPicture([&](int x, int y) { return picture.getColor(x, y); },
                              0xFF000000u | kCanvas, kRedOverCanvas, 1, what);
            else
                expectPicture([&](int x, int y) { return seen(picture.getColor(x, y)); }, 0u,
                              kSemiRed, 0, what);
            // The PNG other programs read says the same.
            const QImage png = QImage::fromData([&] {
                QByteArray b;
                QBuffer dev(&b);
                dev.open(QIODevice::WriteOnly);
                picture.imageView().save(&dev, "PNG");
                return b;
            }());
            ASSERT_TRUE(png.hasAlphaChannel());
            EXPECT_EQ(png.pixel(8, 5), picture.getColor(8, 5)) << what;
        }
    }
}

TEST(NewUserFaultsTransparency, ThePsdMergedImageCarriesATransparencyChannel)
{
    for (const Case &c : kCases) {
        for (const bool shown : {false, true}) {
            HeadlessDocument doc;
            TPaper &p = *doc.paper;
            makeDocument(p, c, shown);
            // A mask with an image follows the merged transparency channel and stays a mask.
            CMaskMngr &masks = p.maskMngr();
            masks.deleteAll();
            auto md = std::make_unique<CMaskData>(0, kW, kH);
            md->maskTC->setPixel(5, 3, 200);
            md->title = QStringLiteral("選択");
            ASSERT_GE(masks.insertMask(0, md), 0);
            const std::string what = std::string(c.what) + (shown ? ", canvas shown" : ", hidden");
            QTemporaryDir dir;
            const QString path = dir.filePath("out.psd");
            ASSERT_EQ(savePsdFile(path, p, 6, true), CS_OK) << what;

            std::unique_ptr<codec::CPsdFile> f;
            ASSERT_EQ(codec::CPsdFile::open(&path, f), codec::CodecStatus::Nothing);
            codec::SPsdDocInfo info;
            ASSERT_EQ(f->getDocInfo(info), codec::CodecStatus::Nothing);
            EXPECT_EQ(info.mergedAlpha, shown ? 0 : 1) << what;
            EXPECT_EQ(info.totalChannels, shown ? 4 : 5) << what;

            codec::CodecImage merged;
            ASSERT_EQ(codec::psdGetImage(path, merged), codec::CodecStatus::Nothing);
            if (shown)
                expectPicture([&](int x, int y) { return dibPixel(merged, x, y); },
                              0xFF000000u | kCanvas, kRedOverCanvas, 1, what);
            else
                expectPicture([&](int x, int y) { return seen(dibPixel(merged, x, y)); }, 0u,
                              kSemiRed, 0, what);

            // Back into a document: the same layer, the mask, no mask made of the transparency.
            CapturedMessages msgs;
            HeadlessDocument back;
            back.paper->eventMngr().stopRecording();
            ASSERT_EQ(loadPsdFile(path, *back.paper), CS_OK) << what;
            EXPECT_FALSE(back.paper->bVisCanvasCol);
            ASSERT_EQ(back.paper->maskMngr().getMaskCount(), 2) << what;
            EXPECT_EQ(back.paper->maskMngr().getMask(0)->title, QStringLiteral("選択"));
            EXPECT_EQ(back.paper->maskMngr().getMask(0)->getMaskValue(5, 3), 200);
            EXPECT_TRUE(msgs.warnings.isEmpty()) << msgs.warnings.join('|').toStdString();
        }
    }
}

TEST(NewUserFaultsTransparency, ThePsdThumbnailShowsThePictureOnWhite)
{
    // Opaque over the canvas colour while it is shown; the composite on white while hidden.
    const struct
    {
        bool shown;
        uint32_t red;
    } rows[] = {{true, kRedOverCanvas}, {false, 0xFFFF7F7Fu}};
    for (const auto &row : rows) {
        HeadlessDocument doc;
        TPaper &p = *doc.paper;
        makeDocument(p, kCases[0], row.shown);
        QTemporaryDir dir;
        const QString path = dir.filePath("thumb.psd");
        ASSERT_EQ(savePsdFile(path, p, 6, true), CS_OK);
        std::unique_ptr<codec::CPsdFile> f;
        ASSERT_EQ(codec::CPsdFile::open(&path, f), codec::CodecStatus::Nothing);
        const codec::CodecImage thumb = psdThumbnail(*f);
        ASSERT_FALSE(thumb.bits.empty());
        ASSERT_EQ(thumb.info.biWidth, 128);
        ASSERT_EQ(std::abs(thumb.info.biHeight), 96);
        // Away from the edge between the strip and the red part (JPEG blurs it).
        EXPECT_TRUE(near(dibPixel(thumb, 100, 50), row.red, 12))
            << std::hex << dibPixel(thumb, 100, 50) << " shown " << row.shown;
        const uint32_t strip = row.shown ? 0xFF000000u | kCanvas : 0xFFFFFFFFu;
        EXPECT_TRUE(near(dibPixel(thumb, 8, 50), strip, 12))
            << std::hex << dibPixel(thumb, 8, 50) << " shown " << row.shown;
    }
}

// The user's file: a layer of red at alpha 128 over a merged image of the canvas colour, as
// ImageMagick writes `convert xc:'#ffeecc' \( xc:'#ff000080' \) semi.psd`. Opened, it hides the
// canvas colour; kept in the layered file, its picture still has alpha 128.
TEST(NewUserFaultsTransparency, APsdWithTransparentLayersKeepsItsAlphaThroughTheLayeredFile)
{
    using namespace psdtest;
    const QByteArray a(kW * kH, char(0x80)), ff(kW * kH, char(0xFF)), zero(kW * kH, '\0');
    Layer semi{0, 0, kH, kW,
               {{-1, rawChannel(a)}, {0, rawChannel(ff)}, {1, rawChannel(zero)},
                {2, rawChannel(zero)}}};
    semi.name = "semi";
    File file;
    file.width = kW;
    file.height = kH;
    file.channels = 4;
    file.negativeCount = true;
    file.layers = {semi};
    QByteArray planes;
    for (char v : {char(0xFF), char(0xEE), char(0xCC), char(0xFF)})
        planes += QByteArray(kW * kH, v);
    file.merged = rawChannel(planes);

    QTemporaryDir dir;
    const QString psd = dir.filePath("semi.psd"), qzi = dir.filePath("semi.qzi");
    {
        QFile out(psd);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file.bytes());
    }
    CapturedMessages msgs;
    {
        HeadlessDocument doc;
        doc.paper->eventMngr().stopRecording();
        ASSERT_EQ(loadPsdFile(psd, *doc.paper), CS_OK);
        EXPECT_FALSE(doc.paper->bVisCanvasCol);
        ASSERT_TRUE(saveNativeImage(qzi, *doc.paper, kQziLayers | kQziThumbnail));
    }
    HeadlessDocument doc;
    doc.paper->eventMngr().stopRecording();
    ASSERT_EQ(loadNativeImage(qzi, *doc.paper), CS_OK);
    EXPECT_FALSE(doc.paper->bVisCanvasCol);
    TMTC picture;
    ASSERT_TRUE(composeOutsidePicture(*doc.paper, picture));
    expectPicture([&](int x, int y) { return picture.getColor(x, y); }, kSemiRed, kSemiRed, 0,
                  "the layered file's picture");
    EXPECT_TRUE(msgs.warnings.isEmpty()) << msgs.warnings.join('|').toStdString();
}

// Other programs read the merged image of what we write with its alpha.
TEST(NewUserFaultsTransparencyPeers, TheyReadTheMergedImagesAlpha)
{
    const bool psdTools =
        QProcess::execute("/usr/bin/python3", {"-c", "import psd_tools"}) == 0;
    const QString im = QStandardPaths::findExecutable("convert-im6.q16");
    if (!psdTools && im.isEmpty())
        GTEST_SKIP() << "neither ImageMagick nor psd-tools installed (scripts/peers)";
    for (const Case &c : kCases) {
        HeadlessDocument doc;
        TPaper &p = *doc.paper;
        makeDocument(p, c, false);
        QTemporaryDir dir;
        const QString path = dir.filePath("ours.psd");
        ASSERT_EQ(savePsdFile(path, p, 6, true), CS_OK);
        if (psdTools) {
            QProcess py;
            py.start("/usr/bin/python3",
                     {"-c",
                      "import sys\nfrom psd_tools import PSDImage\n"
                      "im = PSDImage.open(sys.argv[1]).topil()\n"
                      "print(im.mode, *im.getpixel((8, 5)), *im.getpixel((1, 5)))",
                      path});
            ASSERT_TRUE(py.waitForFinished(120000));
            const QString got = QString::fromUtf8(py.readAllStandardOutput()).trimmed();
            // Where nothing covers the canvas only the alpha of 0 matters.
            EXPECT_TRUE(got.startsWith(QStringLiteral("RGBA 255 0 0 128 ")) &&
                        got.endsWith(QStringLiteral(" 0")))
                << c.what << ": psd-tools read " << got.toStdString()
                << QString::fromUtf8(py.readAllStandardError()).toStdString();
        }
        if (!im.isEmpty()) {
            const QString png = dir.filePath("im.png");
            ASSERT_EQ(QProcess::execute(im, {path + "[0]", "PNG32:" + png}), 0);
            const QImage got = QImage(png).convertToFormat(QImage::Format_ARGB32);
            EXPECT_EQ(got.pixel(8, 5), kSemiRed) << c.what << ": ImageMagick";
            EXPECT_EQ(got.pixel(1, 5) >> 24, 0u) << c.what << ": ImageMagick";
        }
    }
}

// A document whose masks take all 21 channels a file has room for still saves, its merged image
// then without the transparency channel.
TEST(PsdExport, MasksFillingEveryChannelLeaveOutTheMergedTransparency)
{
    HeadlessDocument doc;
    TPaper &p = *doc.paper;
    makeDocument(p, kCases[0], false);
    CMaskMngr &masks = p.maskMngr();
    masks.deleteAll();
    for (int32_t k = 0; k < kPsdMaxMaskChannels; ++k) {
        auto md = k == kPsdMaxMaskChannels - 1 ? std::make_unique<CMaskData>(k, kW, kH)
                                               : std::make_unique<CMaskData>(k);
        ASSERT_GE(masks.insertMask(k, md), 0);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("full.psd");
    ASSERT_EQ(savePsdFile(path, p, 6, true), CS_OK);
    std::unique_ptr<codec::CPsdFile> f;
    ASSERT_EQ(codec::CPsdFile::open(&path, f), codec::CodecStatus::Nothing);
    codec::SPsdDocInfo info;
    ASSERT_EQ(f->getDocInfo(info), codec::CodecStatus::Nothing);
    EXPECT_EQ(info.mergedAlpha, 0);
    EXPECT_EQ(info.totalChannels, 3 + kPsdMaxMaskChannels);
}
