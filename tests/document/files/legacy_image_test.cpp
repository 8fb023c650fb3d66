#include "document/files/legacy_image.h"

#include "document/events/legacy_event_stream.h"
#include "document/paper/headless.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "support/captured_messages.h"
#include "support/paper_fakes.h"
#include "legacy_image_builder.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Decodes runs into a w x h image: the pixels written and the bytes consumed.
struct Decoded
{
    std::vector<uint8_t> px;
    int64_t pixels = 0;
    int64_t used = 0;
};

Decoded decode(const QByteArray &runs, int32_t w, int32_t h)
{
    Decoded d;
    d.px.assign(size_t(w) * size_t(h) * 4, 0xEE);
    d.pixels = decodeLegacyRuns({reinterpret_cast<const uint8_t *>(runs.constData()),
                                 size_t(runs.size())},
                                d.px.data(), w, h, d.used);
    return d;
}

uint32_t pixelAt(const Decoded &d, int32_t w, int32_t x, int32_t y)
{
    const uint8_t *p = d.px.data() + (size_t(y) * size_t(w) + size_t(x)) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

TEST(LegacyImage, RunBytesAndPixels)
{
    struct Case
    {
        const char *name;
        QByteArray runs;
        int64_t pixels;
        int64_t used;
    };
    const Case cases[] = {
        {"255: no pixel, one byte", QByteArray("\xff", 1), 0, 1},
        {"0: no pixel, four bytes", QByteArray("\x00\x01\x02\x03", 4), 0, 4},
        {"two literals", QByteArray("\xfd\x01\x02\x03\x04\x05\x06", 7), 2, 7},
        {"literal run cut short", QByteArray("\xfd\x01\x02\x03\x04", 5), 0, 0},
        {"repeat past the image is cut", QByteArray("\x7c\x01\x02\x03", 4), 20, 4},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Decoded d = decode(c.runs, 5, 4);
        EXPECT_EQ(d.pixels, c.pixels);
        EXPECT_EQ(d.used, c.used);
    }
}

TEST(LegacyImage, RunOf124RedFillsTheBottomRowWithAlphaZero)
{
    const Decoded d = decode(QByteArray("\x7c\xff\x00\x00", 4), 124, 3);
    ASSERT_EQ(d.pixels, 124);
    for (int32_t x = 0; x < 124; ++x)
        ASSERT_EQ(pixelAt(d, 124, x, 2), 0x00FF0000u) << x; // bottom row: sBGRA red, alpha 0
    EXPECT_EQ(pixelAt(d, 124, 0, 1), 0xEEEEEEEEu);       // the rows above untouched
}

TEST(LegacyImage, SignatureOfTheFirstFourBytes)
{
    const auto sig = [](const char *s, size_t n = 4) {
        return legacyImageSignature({reinterpret_cast<const uint8_t *>(s), n});
    };
    EXPECT_EQ(sig("WPB2"), 2);
    EXPECT_EQ(sig("WPB "), 1);
    EXPECT_EQ(sig("WPB3"), 0);
    EXPECT_EQ(sig("W\0P\0", 4), 0);
    EXPECT_EQ(sig("WPB", 3), 0);
}

struct ImportRig
{
    bool load(const QByteArray &bytes)
    {
        const QString path = dir.filePath("a.wpb");
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        return LoadFromFile2(*doc.paper, nullptr, path, event);
    }
    QTemporaryDir dir;
    HeadlessDocument doc;
    TEventPacket event;
    CapturedMessages msgs;
};

TEST(LegacyImage, ImportsLayersAttributesAndEvents)
{
    LegacyImageBuilder b(4, 2);
    b.canvasColor = 0x00ABCDEF;
    b.active = 1;
    b.noAppend = false;
    b.layer(0, 255, true, LegacyImageBuilder::fill(4 * 2, 0x10, 0x20, 0x30));
    // Literals: bottom row left to right, then the top row.
    QByteArray lit("\xf7", 1);
    for (int i = 0; i < 8; ++i)
        lit += QByteArray(1, char(i)) + QByteArray(1, char(10 * i)) + QByteArray(1, char(100 + i));
    b.layer(3, 128, false, lit);
    b.events = LegacyImageBuilder::createEvents(4, 2);
    ImportRig r;
    ASSERT_TRUE(r.load(b.bytes()));
    TPaper &p = *r.doc.paper;
    EXPECT_EQ(p.m_paperSize, (sSize{4, 2}));
    EXPECT_EQ(p.m_canvascolor, 0x00ABCDEFu);
    ASSERT_EQ(p.getLayerCount(), 2);
    EXPECT_EQ(p.ActiveLayer(), 1);
    const CLayerData &l0 = *p.getLayerData(0);
    const CLayerData &l1 = *p.getLayerData(1);
    // The level-1 modes multiply, add and subtract are made opaque; standard keeps alpha 0.
    EXPECT_EQ(l0.imageTC->getColor(3, 0), 0xFF102030u);
    EXPECT_EQ(int(l1.mode), 3);
    EXPECT_EQ(l1.trans, 128);
    EXPECT_FALSE(l1.visible);
    EXPECT_EQ(l1.imageTC->getColor(0, 1), 0x00000064u); // first pixel: bottom left
    EXPECT_EQ(l1.imageTC->getColor(3, 0), 0x0007466Bu); // last: top right
    EXPECT_EQ(r.event.eventNum(), 2);
    EXPECT_EQ(r.event.memory().writed(), 6); // reopened over the end code
    EXPECT_FALSE(p.m_noEventAddMode);
    EXPECT_TRUE(r.msgs.warnings.isEmpty());
}

TEST(LegacyImage, NoImageFlagGivesAnEmptyDocumentButLoadsTheEvents)
{
    LegacyImageBuilder b(30, 20);
    b.noImage = true;
    b.noAppend = true;
    b.events = LegacyImageBuilder::createEvents(30, 20);
    ImportRig r;
    EXPECT_FALSE(r.load(b.bytes()));
    EXPECT_EQ(r.doc.paper->m_paperSize, (sSize{30, 20}));
    EXPECT_EQ(r.doc.paper->getLayerCount(), 1);
    EXPECT_TRUE(r.doc.paper->m_noEventAddMode);
    EXPECT_EQ(r.event.eventNum(), 2);
}

TEST(LegacyImage, BrokenEventsKeepTheImageAndBlockAppending)
{
    LegacyImageBuilder b(2, 2);
    b.layer(3, 255, true, LegacyImageBuilder::fill(4, 1, 2, 3));
    b.events = QByteArray("\x11\x01\x00\xff\xff", 5); // begins with 273
    ImportRig r;
    EXPECT_TRUE(r.load(b.bytes()));
    EXPECT_EQ(r.doc.paper->getLayerCount(), 1);
    EXPECT_TRUE(r.doc.paper->m_noEventAddMode);
    EXPECT_EQ(r.event.memory().writed(), 0);
    EXPECT_EQ(r.msgs.warnings,
              QStringList{QStringLiteral("イベントデータ部が壊れています! イベント出力は無効です...")});
}

TEST(LegacyImage, RefusedFilesLeaveTheDocument)
{
    struct Case
    {
        const char *name;
        std::function<QByteArray()> make;
    };
    const auto good = [] {
        LegacyImageBuilder b(3, 2);
        b.layer(0, 255, true, LegacyImageBuilder::fill(6, 9, 9, 9));
        return b;
    };
    const Case cases[] = {
        {"WPB3", [&] { QByteArray x = good().bytes(); x[3] = '3'; return x; }},
        {"UTF-16 magic",
         [&] { return QByteArray("W\0P\0B\0" "2\0", 8) + good().bytes().mid(4); }},
        {"width 0", [&] { auto b = good(); b.width = 0; return b.bytes(); }},
        {"width 10001", [&] { auto b = good(); b.width = 10001; return b.bytes(); }},
        {"mode 22",
         [&] {
             LegacyImageBuilder b(3, 2);
             b.layer(22, 255, true, LegacyImageBuilder::fill(6, 9, 9, 9));
             return b.bytes();
         }},
        {"n past the end", [&] { QByteArray x = good().bytes(); x.chop(1); return x; }},
        {"short runs",
         [&] {
             LegacyImageBuilder b(3, 2);
             b.layer(0, 255, true, LegacyImageBuilder::fill(5, 9, 9, 9));
             return b.bytes();
         }},
        {"second layer missing",
         [&] { auto b = good(); b.highestOverride = 1; return b.bytes(); }},
        {"events past the end",
         [&] { auto b = good(); b.eventSizeOverride = 10; return b.bytes(); }},
        {"short header", [&] { return good().bytes().left(30); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ImportRig r;
        ASSERT_TRUE(setupHeadlessPaper(*r.doc.paper, {7, 5}, 0x123456, 2));
        const QString before = dumpPaperState(*r.doc.paper);
        EXPECT_FALSE(r.load(c.make()));
        EXPECT_EQ(dumpPaperState(*r.doc.paper), before);
        EXPECT_EQ(r.msgs.warnings, QStringList{QStringLiteral("未知の形式です！")});
    }
}

TEST(LegacyImage, OlderLayoutIsNotRead)
{
    HeadlessDocument doc;
    CapturedMessages msgs;
    EXPECT_FALSE(LoadFromFile(*doc.paper, nullptr, QStringLiteral("x.wpb")));
    EXPECT_EQ(msgs.warnings, QStringList{QStringLiteral("not implemented!")});
}

} // namespace
