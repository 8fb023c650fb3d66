// The event player: starting, stepping, pausing, strokes point by point, and refusals; and the
// replay rows of status, control and layer-attribute packets.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "document/events/event_replay.h"
#include "document/events/image_packet.h"
#include "document/paper/layer_data.h"
#include "document/stroke/paper_stroke.h"
#include "support/live_replay.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace {

// Packets written by hand.
struct StreamBuilder
{
    template <class T> StreamBuilder &packet(uint8_t g, uint8_t c, const T &body)
    {
        bytes.push_back(g);
        bytes.push_back(c);
        const auto *p = reinterpret_cast<const uint8_t *>(&body);
        bytes.insert(bytes.end(), p, p + sizeof(T));
        return *this;
    }
    StreamBuilder &bare(uint8_t g, uint8_t c)
    {
        bytes.push_back(g);
        bytes.push_back(c);
        return *this;
    }
    StreamBuilder &points(uint8_t g, int n, float x0 = 5)
    {
        bytes.push_back(g);
        bytes.push_back(uint8_t(n));
        for (int i = 0; i < n; ++i) {
            const SEvStrokePoint pt{x0 + float(3 * i), 10 + float(i), 0.8f};
            const auto *p = reinterpret_cast<const uint8_t *>(&pt);
            bytes.insert(bytes.end(), p, p + sizeof pt);
        }
        return *this;
    }
    std::vector<uint8_t> bytes;
};

// A replaying two-layer document.
struct PlayerRig
{
    PlayerRig()
    {
        EXPECT_TRUE(setupHeadlessPaper(paper(), {64, 48}, 0xFFFFFF, 2));
        EXPECT_TRUE(startPaintModeQZ5(paper()));
        doc.owner.eventPlaying = true;
        setCurrentDrawWindow(&doc.owner);
    }
    TPaper &paper() { return *doc.paper; }
    CEventMngr &ev() { return doc.paper->eventMngr(); }
    // Loads the bytes as cnt events and begins playing them on the document as it is.
    void load(const std::vector<uint8_t> &bytes, uint32_t cnt = 1)
    {
        ASSERT_TRUE(ev().restart());
        ASSERT_EQ(ev().writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
        ev().setupPlayPos(uint32_t(bytes.size()), cnt);
        ASSERT_EQ(ev().beginPlaying(false), eEvStartStat::ersOK);
        // A visible brush, as the statuses of a recording would set it.
        SPenParam prm;
        initPenParam(prm, 6);
        ev().playPenRender5->changePenParam(prm);
        ev().playPenRender->changePenParam(prm);
        ev().playStroke->SetPenWidth(6);
        ev().playStroke->SetDrawColor(0xFF102030);
    }
    std::vector<uint32_t> layerPixels(int32_t idx)
    {
        const CBlockVMTC &img = *paper().getLayerData(idx)->imageTC;
        std::vector<uint32_t> v;
        for (int32_t y = 0; y < img.height(); ++y)
            for (int32_t x = 0; x < img.width(); ++x)
                v.push_back(img.getColor(x, y));
        return v;
    }

    LiveReplayApp app;
    HeadlessDocument doc;
};

SEvLayerAttr attrOf(const CLayerData &ld, uint16_t idx)
{
    SEvLayerAttr a;
    a.idx = idx;
    a.mode = uint8_t(ld.mode);
    a.trans = ld.trans;
    a.flags = uint16_t((ld.visible ? 1 : 0) | (ld.maskProtected ? 2 : 0) |
                       (ld.getUnderLyrClip() ? 4 : 0));
    return a;
}

// The current version's application status.
SEvAppStat appStat()
{
    SEvAppStat st;
    st.verMajor = 5;
    st.verMinor = 4;
    return st;
}

} // namespace

TEST(EventPlayer, AStreamMustOpenWithACanvasCreation)
{
    PlayerRig rig;
    QTemporaryDir dir;
    // A recording of an attribute change only.
    {
        HeadlessDocument rec;
        ASSERT_TRUE(setupHeadlessPaper(*rec.paper, {64, 48}, 0xFFFFFF, 1));
        ASSERT_TRUE(rec.paper->eventMngr().pushEventLayerTrans(0, 7));
        ASSERT_TRUE(exportEventFile(dir.filePath("a.qe5"), *rec.paper, false, -1, -1, true));
    }
    EXPECT_EQ(rig.ev().startPlaying(dir.filePath("a.qe5")), eEvStartStat::ersErrOther);
    EXPECT_EQ(rig.ev().startPlaying(dir.filePath("none.qe5")), eEvStartStat::ersErrFile);
    EXPECT_EQ(CEventMngr::getPlayStartMessage(eEvStartStat::ersErrOther),
              QStringLiteral("何らかのエラーによりイベント再生の開始に失敗しました!"));

    // A blank start takes the creation's sizes and plays on from there.
    SEvCanvasCreate2 c;
    c.pw = 40;
    c.ph = 30;
    c.ltp = canvasFlagByte(true);
    SEvAppStat st = appStat();
    const std::vector<uint8_t> bytes = StreamBuilder().packet(0, 0, st).packet(2, 8, c).bytes;
    ASSERT_TRUE(rig.ev().restart());
    rig.ev().writeDataEx(bytes.data(), uint32_t(bytes.size()));
    rig.ev().setupPlayPos(uint32_t(bytes.size()), 1);
    int32_t w = 0, h = 0;
    bool transparent = false;
    EXPECT_EQ(rig.ev().beginPlayingBlank([&](int32_t pw, int32_t ph, bool t) {
        w = pw, h = ph, transparent = t;
        return true;
    }),
              eEvStartStat::ersOK);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 30);
    EXPECT_TRUE(transparent);
    EXPECT_EQ(rig.ev().playEventCnt, 1u);
    EXPECT_EQ(rig.ev().getRecordedVersion(), 504);
}

TEST(EventPlayer, ATwentyPointStrokeIsOneStepOrTwentyPointByPoint)
{
    for (bool wait : {false, true}) {
        SCOPED_TRACE(wait ? "point by point" : "whole");
        PlayerRig rig;
        SEvStrokeTarget t{0, 0};
        StreamBuilder s;
        s.packet(80, 0, t).points(17, 16).points(18, 4, 60);
        s.packet(4, 17, attrOf(*rig.paper().getLayerData(1), 1));
        rig.load(s.bytes, 2);
        rig.ev().setPlayWait(wait);
        int steps = 0;
        while (rig.ev().playEventCnt < 1 || rig.ev().evEnbStat.has(enbPlayStroke)) {
            ASSERT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsContinue);
            ++steps;
            ASSERT_LT(steps, 100);
        }
        EXPECT_EQ(steps, wait ? 20 : 1);
        EXPECT_NE(rig.layerPixels(0), PlayerRig().layerPixels(0));
        EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsContinue);
        EXPECT_EQ(rig.ev().playEventCnt, 2u);
        EXPECT_FLOAT_EQ(rig.ev().getPlayProgress(), 100.0f);
    }
}

TEST(EventPlayer, PauseWaitsWithoutMoving)
{
    PlayerRig rig;
    rig.load(StreamBuilder().bare(2, 255).bytes);
    rig.ev().setPlayPause(true);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsWait);
    EXPECT_EQ(rig.ev().playTopPos, 0u);
    rig.ev().setPlayPause(false);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsEnd);
    EXPECT_EQ(rig.ev().curStatus, eEvStat::esEnd);
}

TEST(EventPlayer, ALayerPacketEndsAnOpenStrokeFirst)
{
    PlayerRig rig;
    CLayerData &ld = *rig.paper().getLayerData(1);
    SEvLayerAttr a = attrOf(ld, 1);
    a.trans = 9;
    SEvStrokeTarget t{0, 0};
    rig.load(StreamBuilder().packet(80, 0, t).points(17, 5).packet(4, 17, a).bytes, 2);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsContinue);
    EXPECT_FALSE(rig.ev().evEnbStat.has(enbPlayStroke));
    EXPECT_NE(rig.layerPixels(0), PlayerRig().layerPixels(0));
    EXPECT_EQ(ld.trans, 9);
    EXPECT_EQ(rig.ev().playEventCnt, 2u);
}

TEST(EventPlayer, PointsWithoutABeginDrawOnTheActiveLayer)
{
    PlayerRig rig;
    ASSERT_EQ(rig.paper().ActiveLayer(), 0);
    const std::vector<uint32_t> other = rig.layerPixels(1);
    rig.load(StreamBuilder().points(18, 6).bytes);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsContinue);
    EXPECT_NE(rig.layerPixels(0), PlayerRig().layerPixels(0));
    EXPECT_EQ(rig.layerPixels(1), other);
}

TEST(EventPlayer, BadPacketsFailTheStep)
{
    struct Case
    {
        const char *what;
        std::vector<uint8_t> bytes;
        const char *error;    // in playError
        const char *why = ""; // in playError too, when given
    };
    std::vector<uint8_t> nanPoint = {18, 1};
    const SEvStrokePoint nan{std::nanf(""), 4, 0.5f};
    nanPoint.insert(nanPoint.end(), reinterpret_cast<const uint8_t *>(&nan),
                    reinterpret_cast<const uint8_t *>(&nan) + sizeof nan);
    std::vector<uint8_t> farPoint = {18, 1};
    const SEvStrokePoint far{3e9f, 4, 0.5f};
    farPoint.insert(farPoint.end(), reinterpret_cast<const uint8_t *>(&far),
                    reinterpret_cast<const uint8_t *>(&far) + sizeof far);
    SEvPenSize nanSize{std::nanf(""), 1};
    SEvStrokeTarget badLayer{9, 0};
    SEvIdxPair del{0, 0};
    const Case cases[] = {
        {"points of count 0", StreamBuilder().bare(17, 0).bytes, "17/0"},
        {"text without coverage", StreamBuilder().packet(13, 16, std::array<uint8_t, 54>{}).bytes,
         "13/16", "failed"},
        {"filter row without its entries", StreamBuilder().packet(32, 87, del).bytes, "32/87",
         "not played: no filter replay entry is installed"},
        {"merging the bottom layer down", StreamBuilder().packet(4, 5, del).bytes, "4/5", "failed"},
        {"unknown group", StreamBuilder().bare(99, 0).bytes, "99/0"},
        {"cut body", {4, 17, 0, 0}, "4/17"},
        {"stroke on a missing layer", StreamBuilder().packet(80, 0, badLayer).bytes, "80/0"},
        {"stroke begin of code 1", StreamBuilder().packet(80, 1, del).bytes, "80/1"},
        {"a point not a number", nanPoint, "18/1"},
        {"a point far outside", farPoint, "18/1"},
        {"a pen size not a number", StreamBuilder().packet(0, 17, nanSize).bare(2, 255).bytes,
         "0/17"},
        {"a pen minimum above 100 percent",
         StreamBuilder().packet(0, 17, SEvPenSize{5, 150}).bare(2, 255).bytes, "0/17"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRig rig;
        rig.load(c.bytes);
        EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsError);
        EXPECT_TRUE(rig.ev().playError.contains(QString::fromLatin1(c.error)))
            << rig.ev().playError.toStdString();
        EXPECT_TRUE(rig.ev().playError.contains(QString::fromLatin1(c.why)))
            << rig.ev().playError.toStdString();
    }
}

TEST(EventPlayer, ProgressOfAnEmptyStreamIsZero)
{
    PlayerRig rig;
    rig.ev().setupPlayPos(0, 0);
    EXPECT_EQ(rig.ev().getPlayProgress(), 0.0f);
}

TEST(ReplayHandlers, AnApplicationStatusWithExtensionFlagsStops)
{
    PlayerRig rig;
    SEvAppStat st = appStat();
    st.extFlags = 1;
    rig.load(StreamBuilder().packet(0, 0, st).bare(2, 255).bytes);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsError);
    ASSERT_EQ(rig.app.messages.warnings.size(), 1);
    EXPECT_EQ(rig.app.messages.warnings[0],
              QStringLiteral("eventMngr::readAppStat: extFlags version error!"));
}

TEST(ReplayHandlers, TheTargetStatus)
{
    {
        PlayerRig rig;
        SEvTrgtObj keep{0xFFFF, 0xFFFF};
        rig.load(StreamBuilder().packet(0, 8, keep).bare(2, 255).bytes);
        EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsEnd);
        EXPECT_EQ(rig.paper().ActiveLayer(), 0);
        EXPECT_EQ(rig.ev().playStroke->m_drawLayer, 0);
    }
    {
        // Another layer is made the active one.
        PlayerRig rig;
        SEvTrgtObj other{1, 0xFFFF};
        rig.load(StreamBuilder().packet(0, 8, other).bare(2, 255).bytes);
        EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsEnd);
        EXPECT_EQ(rig.paper().ActiveLayer(), 1);
        EXPECT_EQ(rig.ev().playStroke->m_drawLayer, 1);
    }
    {
        PlayerRig rig;
        SEvTrgtObj bad{7, 0xFFFF};
        rig.load(StreamBuilder().packet(0, 8, bad).bare(2, 255).bytes);
        EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsError);
    }
}

TEST(ReplayHandlers, BeginClearsTheObjectMaps)
{
    PlayerRig rig;
    rig.load(StreamBuilder().bare(2, 254).bytes);
    rig.ev().mapToneObj.setAt(3, 4);
    rig.ev().mapPenShapeObj.setAt(5, 6);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsContinue);
    uint32_t v = 0;
    EXPECT_FALSE(rig.ev().mapToneObj.lookup(3, v));
    EXPECT_FALSE(rig.ev().mapPenShapeObj.lookup(5, v));
}

TEST(ReplayHandlers, LayerAttributesAreWrittenIntoTheLayerAndBadOnesChangeNothing)
{
    PlayerRig rig;
    CLayerData &ld = *rig.paper().getLayerData(1);
    SEvLayerAttr a = attrOf(ld, 1);
    a.mode = 5;
    a.trans = 77;
    a.flags = 1 | 4;
    SEvLayerAttr badMode = a;
    badMode.mode = 22;
    SEvLayerAttr badLayer = a;
    badLayer.idx = 0xFFFF;
    rig.load(StreamBuilder().packet(4, 16, a).packet(4, 16, badMode).packet(4, 17, badLayer).bytes,
             3);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsContinue);
    EXPECT_EQ(int(ld.mode), 5);
    EXPECT_EQ(ld.trans, 77);
    EXPECT_TRUE(ld.visible);
    EXPECT_TRUE(ld.getUnderLyrClip());
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsError);
    EXPECT_EQ(int(ld.mode), 5);
    rig.ev().playTopPos += 2 + sizeof a; // past the refused packet
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsError);
    EXPECT_EQ(ld.trans, 77);
}

TEST(ReplayHandlers, ImagePacketsAreCheckedBeforeAnythingIsMade)
{
    auto packet = [](SEvImageDesc d, uint32_t bodyBytes) {
        std::vector<uint8_t> b(sizeof d + bodyBytes, 0x5A);
        std::memcpy(b.data(), &d, sizeof d);
        return b;
    };
    SEvImageDesc good;
    good.width = 3;
    good.height = 2;
    good.dataBytes = 24;
    good.total = 24;
    struct Case
    {
        const char *what;
        std::function<void(SEvImageDesc &)> spoil;
        uint32_t bodyBytes;
        bool ok;
    };
    const Case cases[] = {
        {"good", [](SEvImageDesc &) {}, 24, true},
        {"short data fills zero", [](SEvImageDesc &d) { d.dataBytes = 10; }, 24, true},
        {"header flag 2", [](SEvImageDesc &d) { d.hasHeader = 2; }, 24, false},
        {"24 bits", [](SEvImageDesc &d) { d.bpp = 24; }, 24, false},
        {"width 0", [](SEvImageDesc &d) { d.width = 0; }, 24, false},
        {"height 10001", [](SEvImageDesc &d) { d.height = 10001; }, 24, false},
        {"data beyond the image",
         [](SEvImageDesc &d) {
             d.dataBytes = 25;
             d.total = 26;
         },
         26, false},
        {"total beyond the packet", [](SEvImageDesc &d) { d.total = 26; }, 24, false},
        {"parts beyond total", [](SEvImageDesc &d) { d.nameLen = 4; }, 24, false},
        {"header beyond total", [](SEvImageDesc &d) { d.hasHeader = 1; }, 24, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        SEvImageDesc d = good;
        c.spoil(d);
        const std::vector<uint8_t> b = packet(d, c.bodyBytes);
        SEvImagePacket out;
        EXPECT_EQ(readImagePacket(b, out), c.ok);
        EXPECT_EQ(out.image != nullptr, c.ok);
        if (c.ok && d.dataBytes == 10) {
            EXPECT_EQ(out.image->getColor(1, 0), 0x5A5A5A5Au);
            EXPECT_EQ(out.image->getColor(2, 0), 0x00005A5Au);
            EXPECT_EQ(out.image->getColor(0, 1), 0u);
        }
    }
    // A texture status keeps the image for the floor filter.
    PlayerRig rig;
    rig.load(StreamBuilder().bytes);
    std::vector<uint8_t> s = {0, 128};
    const std::vector<uint8_t> b = packet(good, 24);
    s.insert(s.end(), b.begin(), b.end());
    s.push_back(2);
    s.push_back(255);
    rig.load(s);
    EXPECT_EQ(rig.ev().playEventSingle(), eEvPlayStat::epsEnd);
    ASSERT_TRUE(rig.ev().playTC0);
    EXPECT_EQ(rig.ev().playTC0->width(), 3);
}

// The coverage packets of the seed fill (13/0): every size, offset and length of the packet is
// checked against the layer and the body, and the coverage must decompress exactly, before the
// fill paints; a refused packet leaves every layer as it was.
TEST(ReplayHandlers, CoveragePacketsAreCheckedBeforeAnythingIsPainted)
{
    std::vector<uint8_t> good;
    {
        PlayerRig rec;
        CEventMngr &ev = rec.ev();
        rec.doc.owner.eventPlaying = false;
        ASSERT_TRUE(
            ev.startRecording(appMainStroke(), appMainToneMngrFor(rec.doc.paper.get()), 64, 64));
        TChannel ch(64, 48);
        ch.PixelFill(0);
        ch.fillBox(6, 5, 30, 20, 255);
        ch.fillBox(10, 9, 20, 12, 90);
        ASSERT_TRUE(
            ev.pushEventAlpha(0, rec.paper().getActiveMaskIndex(), ch, {8, 7}, 0, 0, 0, 0, 0));
        ev.walkPackets(0, ev.topEventPos, [&](const SEventPacketInfo &pk) {
            if (pk.hdr.group == 13 && pk.hdr.code == 0) {
                good.resize(2 + pk.bodyLen);
                ev.readDataEx(pk.pos, good.data(), uint32_t(good.size()));
            }
            return true;
        });
        ASSERT_GT(good.size(), 2 + sizeof(SEvAlpha));
    }
    auto field = [](std::vector<uint8_t> &p, size_t ofs, auto v) {
        std::memcpy(p.data() + 2 + ofs, &v, sizeof v);
    };
    SEvAlpha head;
    std::memcpy(&head, good.data() + 2, sizeof head);
    const uint32_t packed = head.packed;
    struct Case
    {
        const char *what;
        std::function<void(std::vector<uint8_t> &)> spoil;
        bool ok;
    };
    const Case cases[] = {
        {"good", [](std::vector<uint8_t> &) {}, true},
        {"layer 9",
         [&](std::vector<uint8_t> &p) { field(p, offsetof(SEvAlpha, idx), uint16_t(9)); }, false},
        {"a mask that is not the current one",
         [&](std::vector<uint8_t> &p) { field(p, offsetof(SEvAlpha, midx), uint16_t(3)); }, false},
        {"mask add type 200",
         [&](std::vector<uint8_t> &p) { field(p, offsetof(SEvAlpha, mt), uint8_t(200)); }, false},
        {"box past the right edge",
         [&](std::vector<uint8_t> &p) { field(p, offsetof(SEvAlpha, box), int32_t(40)); }, false},
        {"box at a negative row",
         [&](std::vector<uint8_t> &p) { field(p, offsetof(SEvAlpha, box) + 4, int32_t(-1)); },
         false},
        {"bytes other than width x height",
         [&](std::vector<uint8_t> &p) {
             field(p, offsetof(SEvAlpha, bytes), uint32_t(30 * 20 + 1));
         },
         false},
        {"packed beyond the padded data",
         [&](std::vector<uint8_t> &p) {
             field(p, offsetof(SEvAlpha, packed), uint32_t(head.padded + 1));
         },
         false},
        {"packed data cut short",
         [&](std::vector<uint8_t> &p) { field(p, offsetof(SEvAlpha, packed), packed / 2); }, false},
        {"packed data garbled",
         [&](std::vector<uint8_t> &p) {
             std::fill(p.begin() + 2 + sizeof(SEvAlpha), p.end(), uint8_t(0xA5));
         },
         false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        PlayerRig rig;
        rig.paper().getActiveStroke()->m_drawColor = 0xFF2040C0;
        std::vector<uint8_t> p = good;
        c.spoil(p);
        p.push_back(2);
        p.push_back(255);
        rig.load(p);
        const std::vector<uint32_t> before0 = rig.layerPixels(0), before1 = rig.layerPixels(1);
        const eEvPlayStat r = rig.ev().playEventSingle();
        EXPECT_EQ(r, c.ok ? eEvPlayStat::epsContinue : eEvPlayStat::epsError)
            << rig.ev().playError.toStdString();
        EXPECT_EQ(rig.layerPixels(0) != before0, c.ok);
        EXPECT_EQ(rig.layerPixels(1), before1);
    }
}
