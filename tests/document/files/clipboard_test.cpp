#include "document/files/clipboard.h"

#include "core/image/canvas.h"
#include "document/edit/image_ops_fixtures.h"
#include "document/edit/layer_undo.h"
#include "document/edit/pasting.h"
#include "document/paper/layer_header.h"
#include "document/undo/undo_fixtures.h"
#include "platform/desktop/clipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// A w x h picture whose every pixel differs, with alpha from fully transparent to opaque.
std::unique_ptr<TMTC> picture(int32_t w, int32_t h, uint32_t seed = 0)
{
    auto tc = std::make_unique<TMTC>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            tc->seek32(x, y)->all = (uint32_t(x * 50 + y * 3 + seed) & 255) << 24 |
                                    uint32_t(0x20 + x) << 16 | uint32_t(0x40 + y) << 8 |
                                    uint32_t(0x60 + x + y + seed) % 256;
    return tc;
}

std::vector<uint32_t> pixels(const TMTC &tc, uint32_t orMask = 0)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            v.push_back(tc.getColor(x, y) | orMask);
    return v;
}

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray b;
    for (int v : list)
        b.append(char(uint8_t(v)));
    return b;
}

template <typename T> void putLE(QByteArray &b, qsizetype at, T v)
{
    std::memcpy(b.data() + at, &v, sizeof v);
}

// A layer of w x h with the attributes a copy carries.
std::unique_ptr<CLayerData> copiedLayer(int32_t w, int32_t h, const QString &title)
{
    auto ld = std::make_unique<CLayerData>(0, false);
    if (!ld->createLayer(w, h, TLayerMode::LM_SCR))
        return nullptr;
    ld->title = title;
    ld->trans = 77;
    ld->visible = true;
    ld->maskProtected = true;
    ld->viewSize = {w, h};
    ld->imageTC->setInitColor(0x00ABCDEF);
    return ld;
}

// ---- the bytes, without the clipboard

TEST(ClipboardData, BitmapsHaveTheHeaderAndRowsOfTheTable)
{
    const auto img = picture(5, 2);
    struct SCase
    {
        int32_t bitCount;
        int32_t stride;
    };
    for (const SCase c : {SCase{24, 16}, SCase{32, 20}}) {
        SCOPED_TRACE(c.bitCount);
        const QByteArray dib = makeClipboardDib(*img, {0, 0, 5, 2}, c.bitCount);
        ASSERT_EQ(dib.size(), 40 + 2 * c.stride);
        const int32_t sizeImage = 2 * c.stride;
        EXPECT_EQ(dib.left(40), bytes({40, 0, 0, 0, 5, 0, 0, 0, 2, 0, 0, 0, 1, 0, c.bitCount, 0,
                                       0, 0, 0, 0, sizeImage, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                       0, 0, 0, 0, 0, 0, 0, 0}));
        // Bottom-up: the first row stored is the picture's last.
        for (int32_t row = 0; row < 2; ++row) {
            QByteArray want;
            for (int32_t x = 0; x < 5; ++x) {
                const uint32_t px = img->getColor(x, 1 - row);
                want.append(reinterpret_cast<const char *>(&px), c.bitCount / 8);
            }
            want.append(QByteArray(c.stride - want.size(), '\0'));
            EXPECT_EQ(dib.mid(40 + row * c.stride, c.stride), want) << "row " << row;
        }
        const QByteArray bmp = makeClipboardBitmap(dib);
        const int total = 14 + dib.size();
        EXPECT_EQ(bmp.left(14), bytes({'B', 'M', total, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0}));
        EXPECT_EQ(bmp.mid(14), dib);
    }
    // A box is clipped to the picture; nothing left gives nothing.
    const QByteArray part = makeClipboardDib(*img, {3, -4, 9, 5}, 24);
    ASSERT_EQ(part.size(), 40 + 8);
    EXPECT_EQ(part.mid(4, 8), bytes({2, 0, 0, 0, 1, 0, 0, 0}));
    EXPECT_TRUE(makeClipboardDib(*img, {5, 0, 3, 3}, 24).isEmpty());
    EXPECT_TRUE(makeClipboardDib(*img, {0, 0, 5, 2}, 16).isEmpty());
}

// A bitmap file of one header kind around rows already laid out.
QByteArray bitmapFile(uint32_t headerSize, int32_t w, int32_t h, uint16_t bitCount,
                      uint32_t compression, const QByteArray &table, const QByteArray &rows)
{
    QByteArray head(qsizetype(headerSize), '\0');
    putLE<uint32_t>(head, 0, headerSize);
    if (headerSize == 12) {
        putLE<uint16_t>(head, 4, uint16_t(w));
        putLE<uint16_t>(head, 6, uint16_t(h));
        putLE<uint16_t>(head, 8, 1);
        putLE<uint16_t>(head, 10, bitCount);
    } else {
        putLE<int32_t>(head, 4, w);
        putLE<int32_t>(head, 8, h);
        putLE<uint16_t>(head, 12, 1);
        putLE<uint16_t>(head, 14, bitCount);
        putLE<uint32_t>(head, 16, compression);
        if (bitCount <= 8)
            putLE<uint32_t>(head, 32, uint32_t(table.size() / 4)); // colours used
        if (headerSize >= 56 && compression == 3)
            head.replace(40, table.size(), table); // the masks inside the header
    }
    const QByteArray after = headerSize >= 56 ? QByteArray() : table;
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    putLE<uint32_t>(file, 2, uint32_t(14 + head.size() + after.size() + rows.size()));
    putLE<uint32_t>(file, 10, uint32_t(14 + head.size() + after.size()));
    return file + head + after + rows;
}

QByteArray words(std::initializer_list<uint32_t> list)
{
    QByteArray b;
    for (uint32_t v : list)
        b.append(reinterpret_cast<const char *>(&v), 4);
    return b;
}

TEST(ClipboardData, MalformedAndForeignBitmaps)
{
    // Two rows of two pixels, 24 bits: bottom row (blue, green), top row (red, white).
    const QByteArray rows24 = bytes({0, 255, 0, 255, 0, 0, 0, 0, /**/ 0, 0, 255, 255, 255, 255, 0, 0});
    const std::vector<uint32_t> rgbw = {0xFFFF0000, 0xFFFFFFFF, 0xFF00FF00, 0xFF0000FF};
    // The same in 32 bits with alpha 0x80 and 0x40 on the top row.
    const QByteArray rows32 = words({0x8000FF00, 0xFF0000FF, 0x80FF0000, 0x40FFFFFF});
    const QByteArray masks = words({0x000000FF, 0x0000FF00, 0x00FF0000}); // red in the low byte
    const QByteArray palette = words({0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF});
    struct SCase
    {
        const char *name;
        QByteArray file;
        bool keepAlpha;
        std::optional<std::vector<uint32_t>> want; // top-down; nullopt: refused
    };
    const SCase cases[] = {
        {"plain 24", bitmapFile(40, 2, 2, 24, 0, {}, rows24), false, rgbw},
        {"32 opaque", bitmapFile(40, 2, 2, 32, 0, {}, rows32), false,
         std::vector<uint32_t>{0xFFFF0000, 0xFFFFFFFF, 0xFF00FF00, 0xFF0000FF}},
        {"32 alpha kept", bitmapFile(40, 2, 2, 32, 0, {}, rows32), true,
         std::vector<uint32_t>{0x80FF0000, 0x40FFFFFF, 0x8000FF00, 0xFF0000FF}},
        {"top-down", bitmapFile(40, 2, -2, 24, 0, {}, rows24), false,
         std::vector<uint32_t>{0xFF00FF00, 0xFF0000FF, 0xFFFF0000, 0xFFFFFFFF}},
        {"height 0", bitmapFile(40, 2, 0, 24, 0, {}, rows24), false, std::nullopt},
        {"height 10001", bitmapFile(40, 1, 10001, 24, 0, {}, QByteArray(40004, '\0')), false,
         std::nullopt},
        {"width 10001", bitmapFile(40, 10001, 1, 32, 0, {}, QByteArray(40004, '\0')), false,
         std::nullopt},
        {"width 0", bitmapFile(40, 0, 2, 24, 0, {}, rows24), false, std::nullopt},
        {"lowest height", bitmapFile(40, 2, INT32_MIN, 24, 0, {}, rows24), false, std::nullopt},
        {"rows past the data", bitmapFile(40, 2, 3, 24, 0, {}, rows24), false, std::nullopt},
        {"12-byte header", bitmapFile(12, 2, 2, 24, 0, {}, rows24), false, rgbw},
        {"124-byte header, masks", bitmapFile(124, 2, 2, 32, 3, masks, rows32), true,
         std::vector<uint32_t>{0xFF0000FF, 0xFFFFFFFF, 0xFF00FF00, 0xFFFF0000}},
        {"bit fields honoured", bitmapFile(40, 2, 2, 32, 3, masks, rows32), true,
         std::vector<uint32_t>{0xFF0000FF, 0xFFFFFFFF, 0xFF00FF00, 0xFFFF0000}},
        {"palette", bitmapFile(40, 2, 2, 8, 0, palette, bytes({1, 2, 0, 0, 0, 3, 0, 0})), false,
         rgbw},
        {"run-length", bitmapFile(40, 2, 2, 8, 1, palette, bytes({2, 1, 0, 0})), false,
         std::nullopt},
        {"no file header", rows24 + rows24 + rows24 + rows24, false, std::nullopt},
        {"header cut short", bitmapFile(40, 2, 2, 24, 0, {}, rows24).left(40), false,
         std::nullopt},
        {"empty", QByteArray(), false, std::nullopt},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        const auto img = clipboardBitmapToImage(clipBytes(c.file), c.keepAlpha);
        ASSERT_EQ(img != nullptr, c.want.has_value());
        if (!img)
            continue;
        EXPECT_EQ(img->FPSZ(), (sSize{2, 2}));
        EXPECT_EQ(pixels(*img), *c.want);
        SClipDibInfo info;
        ASSERT_TRUE(readClipboardDibInfo(clipBytes(c.file), info));
        EXPECT_EQ(info.width, 2);
        EXPECT_EQ(info.height, 2);
    }
}

TEST(ClipboardData, LayerAttributesAreTheLayersRecordWithTheClipboardFlag)
{
    const auto ld = copiedLayer(60, 35, QStringLiteral("影"));
    ASSERT_TRUE(ld);
    const QByteArray data = makeLayerAttrData(*ld);
    // Head, record, then the title in a 4-byte area: one character and its end.
    ASSERT_EQ(data.size(), 8 + 72 + 4);
    EXPECT_EQ(data.left(8), bytes({'Q', 'L', 'Y', 'R', 76, 0, 0, 0}));
    SOlyHeader want = makeOlyHeader(*ld);
    want.flags |= kOlyClipboardSize;
    EXPECT_EQ(data.mid(8, 72), QByteArray(reinterpret_cast<const char *>(&want), 72));
    EXPECT_EQ(want.flags, kOlyVisible | kOlyProtected | kOlyExtended | kOlyClipboardSize);
    EXPECT_EQ(data.mid(80), bytes({0x71, 0x5F, 0, 0}));

    SClipLayerAttr attr;
    ASSERT_TRUE(parseLayerAttrData(clipBytes(data), attr));
    EXPECT_EQ(attr.title, QStringLiteral("影"));
    EXPECT_EQ(std::memcmp(&attr.hdr, &want, 72), 0);

    // What the reader refuses, and where a title ends.
    auto withSize = [&](uint32_t size) {
        QByteArray d = data;
        putLE(d, 4, size);
        return d;
    };
    QByteArray badTag = data;
    badTag[3] = 'X';
    struct SCase
    {
        const char *name;
        QByteArray data;
        bool ok;
        QString title;
    };
    const SCase cases[] = {
        {"size 71", withSize(71), false, {}},
        {"size 72", withSize(72), true, QStringLiteral("影")},
        {"tag", badTag, false, {}},
        {"79 bytes", data.left(79), false, {}},
        {"record only", data.left(80), true, QString()},
        {"title to the end of the data", data.left(80) + bytes({'a', 0, 'b', 0}), true,
         QStringLiteral("ab")},
        {"odd last byte", data.left(80) + bytes({'a', 0, 'b'}), true, QStringLiteral("a")},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        SClipLayerAttr got;
        ASSERT_EQ(parseLayerAttrData(clipBytes(c.data), got), c.ok);
        if (c.ok) {
            EXPECT_EQ(got.title, c.title);
        }
    }
}

TEST(ClipboardData, ClipBoxIsFourSignedWords)
{
    const QByteArray data = makeClipBoxData({-3, 4, 100, 200});
    EXPECT_EQ(data, bytes({0xFD, 0xFF, 0xFF, 0xFF, 4, 0, 0, 0, 100, 0, 0, 0, 200, 0, 0, 0}));
    sBox box;
    ASSERT_TRUE(parseClipBoxData(clipBytes(data + "more"), box));
    EXPECT_EQ(box, (sBox{-3, 4, 100, 200}));
    EXPECT_FALSE(parseClipBoxData(clipBytes(data.left(15)), box));
}

// ---- through the real clipboard (the offscreen platform's)

class ClipboardPaste : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        setClipboardRenderer({});
        clipboardEmpty(true);
    }
    void TearDown() override
    {
        setClipboardRenderer({});
        clipboardEmpty(true);
    }
};

TEST_F(ClipboardPaste, ABoxOutsideThePicturePutsNothing)
{
    const auto img = picture(8, 6);
    EXPECT_FALSE(copyImageToClipboard24(*img, {8, 0, 3, 3}));
    EXPECT_FALSE(copyImageToClipboard32(*img, {-5, -5, 5, 5}));
    EXPECT_TRUE(clipboardFormats().isEmpty());
    EXPECT_FALSE(clipboardHasImage());
    EXPECT_EQ(getClipboardImage(), nullptr);
    int32_t w = 0, h = 0, bits = 0;
    EXPECT_FALSE(getClipboardDibInfo(w, h, bits));

    // A box partly outside is clipped.
    ASSERT_TRUE(copyImageToClipboard24(*img, {-2, 4, 5, 9}));
    ASSERT_TRUE(getClipboardDibInfo(w, h, bits));
    EXPECT_EQ(std::vector<int32_t>({w, h, bits}), std::vector<int32_t>({3, 2, 24}));
}

TEST_F(ClipboardPaste, AlphaSurvivesOnlyBesideLayerAttributes)
{
    const auto img = picture(5, 3);
    const auto ld = copiedLayer(5, 3, QStringLiteral("線画"));
    enum class Attr { None, Put, Promised };
    struct SCase
    {
        const char *name;
        int32_t bitCount;
        Attr attr;
        bool alphaKept;
    };
    const SCase cases[] = {
        {"24 bits", 24, Attr::Put, false},
        {"32 bits alone", 32, Attr::None, false},
        {"32 bits with attributes", 32, Attr::Put, true},
        {"32 bits, attributes promised", 32, Attr::Promised, false},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(clipboardEmpty(true));
        ASSERT_TRUE(c.bitCount == 24 ? copyImageToClipboard24(*img, {0, 0, 5, 3})
                                     : copyImageToClipboard32(*img, {0, 0, 5, 3}));
        if (c.attr != Attr::None) {
            ASSERT_TRUE(putLayerAttrToClipboard(*ld));
        }
        if (c.attr == Attr::Promised) {
            ASSERT_TRUE(clipboardPromiseLayerAttr());
        }
        EXPECT_TRUE(clipboardHasImage());
        const auto got = getClipboardImage();
        ASSERT_TRUE(got);
        EXPECT_EQ(pixels(*got), pixels(*img, c.alphaKept ? 0 : 0xFF000000));
    }
}

TEST_F(ClipboardPaste, OtherProgramsGetAPngOfTheCopy)
{
    const auto img = picture(6, 4);
    ASSERT_TRUE(copyImageToClipboard32(*img, {0, 0, 6, 4}));
    ASSERT_TRUE(putClipBoxToClipboard({0, 0, 6, 4}));
    EXPECT_EQ(clipboardFormats(), QStringList({kClipFormatClipBox, kClipFormatBitmap,
                                               kClipFormatPng}));
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(mime);
    const QImage png = QImage::fromData(mime->data(kClipFormatPng), "PNG")
                           .convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(png.size(), QSize(6, 4));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(png.pixel(x, y), img->getColor(x, y)) << x << "," << y;

    // A later copy renders its own picture.
    ASSERT_TRUE(copyImageToClipboard24(*img, {1, 1, 2, 2}));
    mime = QGuiApplication::clipboard()->mimeData(); // the clipboard holds a new object
    EXPECT_EQ(QImage::fromData(mime->data(kClipFormatPng), "PNG").size(), QSize(2, 2));
}

TEST_F(ClipboardPaste, PicturesOfOtherProgramsPasteOpaque)
{
    QImage src(4, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            src.setPixel(x, y, qRgba(x * 60, y * 90, 200, x * 80));
    QByteArray png;
    QBuffer buffer(&png);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && src.save(&buffer, "PNG"));
    auto *mime = new QMimeData;
    mime->setData(QStringLiteral("text/plain"), "not a picture");
    mime->setData(kClipFormatPng, png);
    QGuiApplication::clipboard()->setMimeData(mime);

    EXPECT_TRUE(clipboardHasImage());
    int32_t w = 0, h = 0, bits = 0;
    ASSERT_TRUE(getClipboardDibInfo(w, h, bits));
    EXPECT_EQ(std::vector<int32_t>({w, h, bits}), std::vector<int32_t>({4, 3, 32}));
    const auto got = getClipboardImage();
    ASSERT_TRUE(got);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(got->getColor(x, y), src.pixel(x, y) | 0xFF000000u);

    // A bitmap that cannot be read gives way to the other picture; none that can: nothing.
    auto *both = new QMimeData;
    both->setData(kClipFormatBitmap, "BM broken");
    both->setData(kClipFormatPng, png);
    QGuiApplication::clipboard()->setMimeData(both);
    EXPECT_TRUE(getClipboardImage());
    auto *broken = new QMimeData;
    broken->setData(kClipFormatPng, png.left(30));
    QGuiApplication::clipboard()->setMimeData(broken);
    EXPECT_EQ(getClipboardImage(), nullptr);
    EXPECT_FALSE(getClipboardDibInfo(w, h, bits));
}

TEST_F(ClipboardPaste, AttributesAndBoxReadBackAndPromisesReadAbsent)
{
    const auto ld = copiedLayer(30, 20, QStringLiteral("下書き"));
    ASSERT_TRUE(putLayerAttrToClipboard(*ld));
    ASSERT_TRUE(putClipBoxToClipboard({5, -6, 30, 20}));
    SOlyHeader hdr;
    QString title;
    ASSERT_TRUE(getLayerAttrFromClipboard(hdr, title));
    EXPECT_EQ(title, QStringLiteral("下書き"));
    EXPECT_EQ(hdr.flags & kOlyClipboardSize, kOlyClipboardSize);
    EXPECT_EQ(hdr.mode, uint8_t(TLayerMode::LM_SCR));
    EXPECT_EQ(hdr.imgSize, (sSize{30, 20}));
    sBox box;
    ASSERT_TRUE(getClipBoxFromClipboard(box));
    EXPECT_EQ(box, (sBox{5, -6, 30, 20}));

    EXPECT_TRUE(clipboardPromiseLayerAttr());
    EXPECT_TRUE(clipboardPromiseClipBox());
    EXPECT_TRUE(clipboardHasFormat(kClipFormatLayerAttr)); // announced...
    EXPECT_FALSE(getLayerAttrFromClipboard(hdr, title));   // ...but without data
    EXPECT_FALSE(getClipBoxFromClipboard(box));

    // A box shorter than 16 bytes is refused.
    ASSERT_TRUE(clipboardSetData(kClipFormatClipBox, makeClipBoxData(box).left(12)));
    EXPECT_FALSE(getClipBoxFromClipboard(box));
}

TEST_F(ClipboardPaste, PastingAsANewLayerTakesTheCopiedAttributes)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    TPaper &paper = *doc.paper;
    ASSERT_TRUE(opsStartPlain(paper, 1));

    // Nothing to paste: nothing happens.
    EXPECT_FALSE(eventPasteNewLayer(paper, nullptr, false));
    EXPECT_EQ(paper.getLayerCount(), 3);

    const auto img = picture(12, 9);
    const auto ld = copiedLayer(12, 9, QStringLiteral("塗り"));
    QByteArray attr = makeLayerAttrData(*ld);
    attr[8 + 6] = char(30); // a mode byte past the last blend mode
    ASSERT_TRUE(copyImageToClipboard32(*img, {0, 0, 12, 9}));
    ASSERT_TRUE(clipboardSetData(kClipFormatLayerAttr, attr));
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, false));
    ASSERT_EQ(paper.getLayerCount(), 4);
    ASSERT_EQ(paper.ActiveLayer(), 2);
    const CLayerData &a = *paper.getLayerData(2);
    EXPECT_EQ(a.mode, TLayerMode::LM_PINLIGHT);
    EXPECT_EQ(a.title, QStringLiteral("塗り"));
    EXPECT_EQ(a.trans, 77);
    EXPECT_TRUE(a.maskProtected);
    EXPECT_EQ(a.imageTC->FPSZ(), kOpsPaper);
    EXPECT_EQ(a.imageTC->getColor(3, 2), img->getColor(3, 2)); // alpha kept

    // A record of size 71 is refused: the picture pastes opaque, without attributes.
    putLE<uint32_t>(attr, 4, 71);
    ASSERT_TRUE(clipboardSetData(kClipFormatLayerAttr, attr));
    ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, false));
    const CLayerData &b = *paper.getLayerData(3);
    EXPECT_EQ(b.mode, TLayerMode::LM_STD);
    EXPECT_NE(b.title, QStringLiteral("塗り"));
    EXPECT_EQ(b.imageTC->getColor(3, 2), img->getColor(3, 2) | 0xFF000000u);
}

// The clipboard's contents for a seed: a picture larger than the paper in one direction and,
// on odd seeds, a copied layer's attributes.
bool putSeededCopy(uint32_t seed)
{
    clipboardEmpty(true);
    const auto img = picture(45, 20, seed);
    if (!copyImageToClipboard32(*img, {0, 0, 45, 20}))
        return false;
    if (seed % 2 == 0)
        return true;
    auto ld = copiedLayer(45, 30, QStringLiteral("写し %1").arg(seed));
    if (!ld)
        return false;
    ld->mode = TLayerMode(seed % 22);
    ld->viewPos = {3, 0};
    return putLayerAttrToClipboard(*ld);
}

TEST(ClipboardLiveReplay, ClipboardPastesReplayToTheLiveDocument)
{
    undo_test::ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    for (uint32_t seed = 1; seed <= 4; ++seed)
        expectLiveEqualsReplay(opsStartPlain, [](TPaper &p, uint32_t s) {
            return putSeededCopy(s) && eventPasteNewLayer(p, nullptr, true);
        }, seed);
    clipboardEmpty(true);
}

// The document's layers, masks and pixels: the dump without the undo counts and the running
// number of default layer names, which undo leaves where they are.
std::string documentState(const TPaper &paper)
{
    QStringList lines = dumpPaperState(paper).split(QLatin1Char('\n'));
    lines.removeIf([](const QString &l) { return l.startsWith(QLatin1String("undo ")); });
    return lines.join(QLatin1Char('\n'))
        .replace(QRegularExpression(QStringLiteral(" names=\\d+")), QString())
        .toStdString();
}

TEST(ClipboardUndoRedo, UndoRemovesTheClipboardPasteAndRedoBringsItBack)
{
    undo_test::ScopedUndoMax undoMax(20);
    LiveReplayApp app;
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE(seed);
        HeadlessDocument doc;
        TPaper &paper = *doc.paper;
        ASSERT_TRUE(opsStartPlain(paper, seed));
        const std::string before = documentState(paper);
        ASSERT_TRUE(putSeededCopy(seed));
        ASSERT_TRUE(eventPasteNewLayer(paper, nullptr, true));
        const std::string after = documentState(paper);
        ASSERT_NE(after, before);
        int32_t idx = 0;
        sRect r;
        ASSERT_TRUE(eventLayerUndo(paper, nullptr, idx, r));
        EXPECT_EQ(documentState(paper), before);
        ASSERT_TRUE(eventLayerRedo(paper, nullptr, idx, r));
        EXPECT_EQ(documentState(paper), after);
    }
    clipboardEmpty(true);
}

} // namespace
