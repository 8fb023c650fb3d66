#include "document/events/event_manager.h"
#include "document/events/recorder_rig.h"
#include "paint/tone/tone_set_file.h"
#include "platform/codec/block_compress.h"
#include "support/packed_value.h"

#include <gtest/gtest.h>

namespace {

using H = SEventHdr;

// The body of every status packet of [from, end) in order.
std::vector<std::pair<uint8_t, std::vector<uint8_t>>> statusBodies(RecorderRig &rig,
                                                                   uint32_t from = 0)
{
    std::vector<std::pair<uint8_t, std::vector<uint8_t>>> out;
    CEventMngr &ev = rig.ev();
    ev.walkPackets(from, ev.curLength, [&](const SEventPacketInfo &pk) {
        if (pk.hdr.group == 0) {
            std::vector<uint8_t> b(pk.bodyLen);
            ev.readDataEx(pk.pos + 2, b.data(), pk.bodyLen);
            out.emplace_back(pk.hdr.code, std::move(b));
        }
        return true;
    });
    return out;
}

TEST(PaintParamEvents, AnImageNibIsDefinedOnceOverTwoStrokes)
{
    RecorderRig rig;
    rig.useImageNib();
    rig.recordOpening();
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.recordStroke(2));
    const uint32_t second = rig.ev().curLength;
    ASSERT_TRUE(rig.recordStroke(2));
    EXPECT_EQ(rig.count({0, 74}, from), 1);
    EXPECT_EQ(rig.count({0, 75}, second), 0); // unchanged: nothing
    // A new zoom is an id record, not a new image.
    ASSERT_TRUE(rig.nib.changeZoom(rig.nib.zoomRate + 10));
    const uint32_t third = rig.ev().curLength;
    ASSERT_TRUE(rig.recordStroke(2));
    EXPECT_EQ(rig.count({0, 74}, third), 0);
    EXPECT_EQ(rig.count({0, 75}, third), 1);
}

TEST(PaintParamEvents, UndoingTheDefiningEventDefinesTheToneAgain)
{
    RecorderRig rig;
    rig.recordOpening();
    rig.stroke.m_bUseTone = true;
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(rig.count({0, 36}, from), 1);
    const uint32_t second = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(rig.count({0, 36}, second) + rig.count({0, 37}, second), 0);
    ASSERT_TRUE(rig.ev().undoEvent());
    ASSERT_TRUE(rig.ev().undoEvent());
    EXPECT_EQ(rig.ev().mapToneObj.getCount(), 0);
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(rig.count({0, 36}, from), 1);
    // A moved tone is an id record.
    rig.tones.getCurPat()->ofs = {3, 4};
    const uint32_t third = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    EXPECT_EQ(rig.count({0, 37}, third), 1);
}

TEST(PaintParamEvents, ARedoneDefinitionIsReferredToNotRepeated)
{
    RecorderRig rig;
    rig.useImageNib();
    rig.recordOpening();
    rig.stroke.m_bUseTone = true;
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.recordStroke(2)); // defines the tone and the nib
    ASSERT_TRUE(rig.ev().undoEvent());
    EXPECT_EQ(rig.ev().mapToneObj.getCount(), 0);
    EXPECT_EQ(rig.ev().mapPenShapeObj.getCount(), 0);
    ASSERT_TRUE(rig.ev().redoEvent());
    ASSERT_TRUE(rig.recordStroke(2));
    // A replay refuses a second definition of an id.
    EXPECT_EQ(rig.count({0, 36}, from), 1);
    EXPECT_EQ(rig.count({0, 74}, from), 1);
    EXPECT_EQ(rig.count({0, 37}, from), 1);
    EXPECT_EQ(rig.count({0, 75}, from), 1);
}

TEST(PaintParamEvents, AGradientFillWritesTheStopsEvenWithTheGradientOff)
{
    RecorderRig rig;
    rig.recordOpening();
    ASSERT_FALSE(rig.stroke.m_bUseGradation);
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventFillCmd(1, 0xFF0000, {1, 1}, {20, 20}, 2));
    const std::vector<uint8_t> b = rig.body({0, 40}, from);
    ASSERT_EQ(b.size(), 12u + 2 * 24);
    SEvGradType t;
    ASSERT_TRUE(readEventRecord(b, t));
    EXPECT_EQ(valueOf(t.slotlen), 48);
    // Unchanged stops are not written again; a plain fill does not write them.
    const uint32_t second = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventFillCmd(1, 0xFF0000, {1, 1}, {20, 20}, 2));
    ASSERT_TRUE(rig.ev().pushEventFillCmd(1, 0xFF0000, {1, 1}, {20, 20}, 1));
    EXPECT_EQ(rig.count({0, 40}, second), 0);
}

// Records a stroke at each of the newer levels with unusual brush settings, then replays the
// status packets into another manager's replay objects.
class PaintParamEventsReplay : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        SGradeMapParam gm;
        gm.mapType = eGradeMap::GMAP_PINTOP;
        gm.flatRate = 250;
        gm.addRate = 75;
        SPenParam pp;
        pp.radius = 1234;
        pp.flatRate = 600;
        pp.degree = 450;
        pp.radiusMin = 300;
        SPenAttr pa;
        pa.antiOff = 1;
        SPenRenderAttr ra;
        ra.renderMode = ePenRenderMode::PRMODE_Blur;
        ra.subRenderMode = 2;
        ra.renderType = 0x10;
        ra.param1.all = 0x00030004;
        ra.param2.all = 77;
        ra.param3.all = 5;
        for (int v = 4; v <= 5; ++v) {
            if (v == 4) {
                rec.render.changeGradeParam(gm);
                rec.render.changePenParam(pp);
                rec.render.changePenAttr(pa);
                rec.render.changeRenderAttr(ra, 7);
            } else {
                gm.addRate = 90;
                pp.radius = 2222;
                rec.render5.changeGradeParam(gm);
                rec.render5.changePenParam(pp);
                rec.render5.changePenAttr(pa);
                rec.render5.changeRenderAttr(ra, 7);
            }
        }
        SStrokeParam sp;
        sp.enbPrsRadius = true;
        sp.opaque = 640;
        sp.prsGamma = 150;
        sp.spacing = 80;
        sp.everyFreqR = 3;
        sp.highDensityR = 6;
        rec.paper().strokeMngr4()->setParam(sp);
        sp.smooth = 4;
        sp.interpolateType = eInterpolateType::iptLinear;
        sp.strokeVersion = 2;
        rec.paper().strokeMngr5()->setParam(sp);
        rec.useImageNib();
        rec.recordOpening();
        rec.paper().actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ4;
        ASSERT_TRUE(rec.recordStroke(2));
        rec.paper().actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ5;
        ASSERT_TRUE(rec.recordStroke(2));
        ASSERT_TRUE(play.ev().createPlayObjects());
        play.ev().stopRecording();
    }

    bool replayAll()
    {
        bool ok = true;
        for (const auto &[code, body] : statusBodies(rec)) {
            if (code >= 36 && code != 128 && code != 129 && code != 136)
                ok = play.ev().playPaintParamStatus(code, body) && ok;
        }
        return ok;
    }

    // The recording rig is made last: its objects are the installed main window's.
    RecorderRig play;
    RecorderRig rec;
};

template <class T> bool sameBytes(const T &a, const T &b)
{
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

TEST_F(PaintParamEventsReplay, BothPenSetsReplayIntoEqualRecords)
{
    ASSERT_TRUE(replayAll());
    CEventMngr &ev = play.ev();
    SGradeMapParam a, b;
    rec.render.getGradeParam(a);
    ev.playPenRender->getGradeParam(b);
    EXPECT_TRUE(sameBytes(a, b));
    SPenParam pa, pb;
    rec.render.getPenParam(pa);
    ev.playPenRender->getPenParam(pb);
    EXPECT_TRUE(sameBytes(pa, pb));
    SPenAttr aa, ab;
    rec.render.getPenAttr(aa);
    ev.playPenRender->getPenAttr(ab);
    EXPECT_TRUE(sameBytes(aa, ab));
    SPenRenderAttr ra, rb;
    rec.render.getRenderAttr(ra);
    ev.playPenRender->getRenderAttr(rb);
    EXPECT_TRUE(sameBytes(ra, rb));

    EXPECT_TRUE(sameBytes(rec.render5.gradeMap().param(), ev.playPenRender5->gradeMap().param()));
    EXPECT_TRUE(sameBytes(rec.render5.penParam(), ev.playPenRender5->penParam()));
    EXPECT_TRUE(sameBytes(rec.render5.penAttr(), ev.playPenRender5->penAttr()));
    EXPECT_TRUE(sameBytes(rec.render5.renderAttr(), ev.playPenRender5->renderAttr()));

    SStrokeParam s1, s2;
    rec.paper().strokeMngr4()->getParam(s1);
    play.paper().strokeMngr4()->getParam(s2);
    EXPECT_TRUE(sameBytes(s1, s2));
    rec.paper().strokeMngr5()->getParam(s1);
    play.paper().strokeMngr5()->getParam(s2);
    EXPECT_TRUE(sameBytes(s1, s2));

    // The nib: the replay nib carries the curve and geometry, the image nib the recorded image.
    SPenShapeData nibData;
    ASSERT_TRUE(ev.playPenShapeObj->getData(nibData));
    EXPECT_TRUE(sameBytes(nibData.param, rec.render5.penParam()));
    play.paper().actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ5;
    const CPenShapeObj *used = ev.getPlayPenShapeObj();
    ASSERT_EQ(used, ev.playPenShapeImg.get());
    ASSERT_TRUE(used->hasImage());
    EXPECT_EQ(used->id(), rec.nib.id());
    EXPECT_EQ(valueOf(used->zoomRate), valueOf(rec.nib.zoomRate));
    const TChannel &got = *used->shapeCH;
    const TChannel &want = *rec.nib.shapeCH;
    ASSERT_EQ(got.FPSZ(), want.FPSZ());
    EXPECT_EQ(std::memcmp(got.buffer(), want.buffer(), want.getImageDataBytes()), 0);
    EXPECT_EQ(ev.playPenShapeList.size(), 1u);
}

// What a refused replay must leave as it was.
struct ReplayState
{
    SEvEnbSet enb;
    std::array<std::vector<uint8_t>, kEvValueCount> values;
    int32_t tones, nibs, toneCount;
    size_t nibImages;
    std::vector<sCRSlot> stops;
    static ReplayState of(CEventMngr &ev)
    {
        return {ev.evEnbStat,
                ev.statusValues,
                ev.mapToneObj.getCount(),
                ev.mapPenShapeObj.getCount(),
                ev.playToneMngr->count(),
                ev.playPenShapeList.size(),
                ev.curGradGroup.slotList};
    }
    friend bool operator==(const ReplayState &a, const ReplayState &b)
    {
        return a.enb == b.enb && a.values == b.values && a.tones == b.tones && a.nibs == b.nibs &&
               a.toneCount == b.toneCount && a.nibImages == b.nibImages &&
               a.stops.size() == b.stops.size() &&
               std::memcmp(a.stops.data(), b.stops.data(), a.stops.size() * sizeof(sCRSlot)) == 0;
    }
};

template <class T> void patch(std::vector<uint8_t> &b, size_t ofs, T v)
{
    std::memcpy(b.data() + ofs, &v, sizeof v);
}

TEST_F(PaintParamEventsReplay, BadBodiesAreRefusedAndChangeNothing)
{
    // Valid bodies to spoil: a nib image, a plain pattern and the gradient stops.
    rec.stroke.m_bUseTone = true;
    rec.stroke.m_bUseGradation = true;
    rec.ev().mapToneObj.removeAll();
    const uint32_t from = rec.ev().curLength;
    ASSERT_TRUE(rec.ev().pushEventLayerCmd(1, 0, 2));
    const std::vector<uint8_t> nib = rec.body({0, 44}); // 74 has the same layout
    const std::vector<uint8_t> tone = rec.body({0, 36}, from);
    const std::vector<uint8_t> grad = rec.body({0, 40}, from);
    ASSERT_FALSE(nib.empty());
    ASSERT_FALSE(tone.empty());
    ASSERT_FALSE(grad.empty());

    struct Case
    {
        const char *what;
        uint8_t code;
        std::vector<uint8_t> body;
    };
    std::vector<Case> cases;
    auto add = [&](const char *what, uint8_t code, const std::vector<uint8_t> &base,
                   const std::function<void(std::vector<uint8_t> &)> &spoil) {
        std::vector<uint8_t> b = base;
        spoil(b);
        cases.push_back({what, code, b});
    };
    for (uint8_t code : {uint8_t(44), uint8_t(74)}) {
        add("short header", code, nib, [](auto &b) { b.resize(39); });
        add("width 0", code, nib, [](auto &b) { patch<int32_t>(b, 20, 0); });
        add("width 10001", code, nib, [](auto &b) { patch<int32_t>(b, 20, 10001); });
        add("count below the image", code, nib, [](auto &b) { patch<uint32_t>(b, 28, 14); });
        add("count of 4 GB", code, nib, [](auto &b) { patch<uint32_t>(b, 28, 0xFFFFFFFF); });
        add("odd padding", code, nib, [](auto &b) { patch<uint32_t>(b, 36, b.size() - 40 + 1); });
        add("data cut", code, nib, [](auto &b) { b.resize(b.size() - 2); });
        add("data spoilt", code, nib, [](auto &b) { b[b.size() / 2 + 20] ^= 0x5A; });
        add("more pixels than sent", code, nib, [](auto &b) {
            patch<int32_t>(b, 24, 4);
            patch<uint32_t>(b, 28, 20);
        });
    }
    add("16 bits a pixel", 36, tone, [](auto &b) { patch<uint16_t>(b, 12, 16); });
    add("kind 2", 36, tone, [](auto &b) { patch<uint16_t>(b, 14, 2); });
    add("plain pattern without pixels", 36, tone, [](auto &b) {
        patch<uint32_t>(b, 152, 0);
        patch<uint32_t>(b, 156, 0);
        b.resize(160);
    });
    add("count below the pattern", 36, tone, [](auto &b) { patch<uint32_t>(b, 148, 10); });
    add("pattern data cut", 36, tone, [](auto &b) { b.resize(b.size() - 2); });
    add("no stops", 40, grad, [](auto &b) { patch<uint16_t>(b, 6, 0); });
    add("part of a stop", 40, grad, [](auto &b) { patch<uint16_t>(b, 6, 25); });
    add("stops past the body", 40, grad, [](auto &b) { patch<uint16_t>(b, 6, 72); });
    add("too many stops", 40, grad, [](auto &b) {
        patch<uint16_t>(b, 6, uint16_t((kCrsMaxSlots + 1) * 24));
        b.resize(12 + size_t(kCrsMaxSlots + 1) * 24);
    });
    add("unmapped nib id", 75, std::vector<uint8_t>(24, 0), [](auto &) {});
    add("unmapped tone id", 37, std::vector<uint8_t>(20, 0), [](auto &) {});
    add("unknown render mode", 56, std::vector<uint8_t>(8, 0), [](auto &b) { b[1] = 7; });
    add("unknown interpolation", 71, std::vector<uint8_t>(32, 0), [](auto &b) { b[15] = 2; });
    for (uint8_t code : {uint8_t(52), uint8_t(66)}) {
        add("flat rate above 100 %", code, std::vector<uint8_t>(12, 0),
            [](auto &b) { patch<uint16_t>(b, 4, 1001); });
        add("angle of 360 degrees", code, std::vector<uint8_t>(12, 0),
            [](auto &b) { patch<uint16_t>(b, 6, 3600); });
    }

    CEventMngr &ev = play.ev();
    const ReplayState before = ReplayState::of(ev);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(ev.playPaintParamStatus(c.code, c.body));
        EXPECT_TRUE(ReplayState::of(ev) == before);
    }
    // The unspoilt bodies play, once: a second definition of an id is refused.
    EXPECT_TRUE(ev.playPaintParamStatus(74, nib));
    EXPECT_FALSE(ev.playPaintParamStatus(74, nib));
    EXPECT_TRUE(ev.playPaintParamStatus(36, tone));
    EXPECT_FALSE(ev.playPaintParamStatus(36, tone));
    EXPECT_TRUE(ev.playPaintParamStatus(40, grad));
    EXPECT_EQ(ev.playToneMngr->count(), 1);
    EXPECT_EQ(ev.playToneMngr->getPatIdx(), 0);
}

TEST_F(PaintParamEventsReplay, OlderRecordingsReplayGradientsOfTheTwoColours)
{
    const std::vector<uint8_t> grad = [&] {
        rec.ev().pushEventFillCmd(1, 0, {0, 0}, {9, 9}, 2);
        return rec.body({0, 40});
    }();
    CEventMngr &ev = play.ev();
    ev.playStroke->m_bgCol = 0x00112233;
    ev.playStroke->m_drawColor = 0x00AABBCC;
    for (uint16_t minor : {uint16_t(81), uint16_t(82), uint16_t(98), uint16_t(99)}) {
        SCOPED_TRACE(minor);
        SEvAppStat app;
        app.verMajor = 2;
        app.verMinor = minor;
        ev.storeStatusValue(enbAppStat, &app, sizeof app);
        ASSERT_TRUE(ev.playPaintParamStatus(40, grad));
        const CColorSlotGroup *g = ev.getPlayGradGroup();
        ASSERT_EQ(g->slotMaxIdx, 1);
        if (minor == 82) {
            EXPECT_EQ(std::memcmp(g->slotList.data(), grad.data() + 12, 48), 0);
            continue;
        }
        const sRGBA c0 = g->getSlotColor(0);
        const sRGBA c1 = g->getSlotColor(1);
        EXPECT_EQ(c0.R, 0x11);
        EXPECT_EQ(c0.B, 0x33);
        EXPECT_EQ(c1.R, 0xAA);
        EXPECT_EQ(c1.B, 0xCC);
        EXPECT_EQ(c1.A, 255);
    }
}

TEST(PaintParamEvents, TheRecordedVersionIs200UntilAStatusIsRead)
{
    CEventMngr ev(nullptr, kEventExpectedLen, kEventUnitLen);
    EXPECT_EQ(ev.getRecordedVersion(), 200);
    SEvAppStat app;
    app.verMajor = 2;
    app.verMinor = 6;
    ev.storeStatusValue(enbAppStat, &app, sizeof app);
    EXPECT_EQ(ev.getRecordedVersion(), 206);
}

TEST(PaintParamEvents, TheToneNameIsCutAtACharacterBoundary)
{
    RecorderRig rig;
    rig.recordOpening();
    rig.stroke.m_bUseTone = true;
    // 33 double-byte characters: 66 bytes, cut to 32 characters.
    rig.tones.getCurPat()->Fname = QString(33, QChar(0x3042));
    const uint32_t from = rig.ev().curLength;
    ASSERT_TRUE(rig.ev().pushEventLayerCmd(1, 0, 2));
    const std::vector<uint8_t> b = rig.body({0, 36}, from);
    ASSERT_GE(b.size(), 160u);
    const SPatRecord rec = patRecordFromBytes(b.data() + 12);
    EXPECT_EQ(valueOf(rec.nameLen), 64);
    EXPECT_EQ(b[88], 0x82); // Shift_JIS of the first character
    EXPECT_EQ(b[89], 0xA0);
}

} // namespace

namespace {

TEST_F(PaintParamEventsReplay, TheReplayedBrushGoesToTheToolWindowHook)
{
    ASSERT_TRUE(replayAll());
    std::vector<SPlayPenMtd> shown;
    SPaperAppHooks h = installPaperAppHooks({});
    SPaperAppHooks withHook = h;
    withHook.setPlayPenMtd = [&](const SPlayPenMtd &v) { shown.push_back(v); };
    installPaperAppHooks(withHook);
    CEventMngr &ev = play.ev();
    play.paper().actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ2;
    ev.GetPaintParam();
    EXPECT_TRUE(shown.empty());
    play.paper().actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ5;
    ev.GetPaintParam();
    installPaperAppHooks(h);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(valueOf(shown[0].gradeMap.addRate), 90);
    EXPECT_EQ(shown[0].renderAttr.renderMode, ePenRenderMode::PRMODE_Blur);
    EXPECT_EQ(valueOf(shown[0].strokeParam.smooth), 4);
    EXPECT_EQ(shown[0].shape, ev.playPenShapeImg.get());
    ev.GetPaintParam(); // no hook: nothing happens
    EXPECT_EQ(shown.size(), 1u);
}

} // namespace
