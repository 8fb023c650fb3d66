// A new document: its first layer by procedure and transparency, its recorded creation replayed
// from the stream's own creation packet, the paper size and the canvas colour.
#include "core/mask/mask_manager.h"
#include "document/edit/layer_undo.h"
#include "document/files/new_document.h"
#include "document/view/zoom_cache.h"
#include "../edit/edit_op_table.h"
#include "../edit/edit_rig.h"

#include <gtest/gtest.h>

namespace {

// Plays a whole recorded stream onto a fresh document, its creation included.
std::string replayFromCreation(TPaper &live, std::vector<uint8_t> bytes)
{
    HeadlessDocument d;
    CEventMngr &ev = d.paper->eventMngr();
    const CEventMngr &src = live.eventMngr();
    // The window starts its paint level before it replays, as it did before it recorded.
    startPaintModeQZ5(*d.paper);
    if (!ev.restart() || ev.writeDataEx(bytes.data(), uint32_t(bytes.size())) != bytes.size())
        return "no load";
    ev.setupPlayPos(uint32_t(bytes.size()), src.eventCnt);
    d.owner.eventPlaying = true;
    setCurrentDrawWindow(&d.owner);
    if (ev.beginPlaying(true) != eEvStartStat::ersOK)
        return "no start: " + ev.playError.toStdString();
    for (int guard = 0; guard < 100000; ++guard) {
        if (ev.playTopPos >= ev.topEventPos)
            break;
        const eEvPlayStat r = ev.playEventSingle();
        if (r == eEvPlayStat::epsEnd)
            break;
        if (r != eEvPlayStat::epsContinue)
            return "step failed: " + ev.playError.toStdString();
    }
    d.owner.eventPlaying = false;
    setCurrentDrawWindow(live.owner());
    return live_replay::firstDifference(live, *d.paper);
}

struct NewDoc
{
    NewDoc(bool newProc = true)
    {
        if (!newProc)
            doc.paper->m_fnDraw = eDrawProc::Draw1;
        else
            startPaintModeQZ5(*doc.paper);
        setCurrentDrawWindow(&doc.owner);
        const int32_t depth = eventUndoDepth(gAppProfile->undoMax);
        recording = doc.paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(doc.paper.get()), depth, depth);
    }
    TPaper &paper() { return *doc.paper; }
    HeadlessDocument doc;
    bool recording = false;
};

} // namespace

TEST(NewDocument, TheFirstLayerByProcedureAndTransparency)
{
    LiveReplayApp app;
    struct Case
    {
        const char *what;
        bool newProc, ltp;
        sSize layer;
        TLayerMode mode;
        uint32_t alpha;
    };
    const Case cases[] = {
        {"transparent", true, true, {30, 20}, TLayerMode::LM_STD, 0},
        {"opaque", true, false, {30, 20}, TLayerMode::LM_STD, 255},
        {"the older procedure", false, true, {40, 24}, TLayerMode::LM_MUL, 255},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        NewDoc n(c.newProc);
        ASSERT_TRUE(eventEditCreate(n.paper(), QStringLiteral("新規"), nullptr, 40, 24, 30, 20, 350,
                                    true, c.ltp));
        TPaper &p = n.paper();
        ASSERT_EQ(p.getLayerCount(), 1);
        const CLayerData &ld = *p.getLayerData(0);
        EXPECT_EQ(ld.imageTC->FPSZ(), c.layer);
        EXPECT_EQ(ld.mode, c.mode);
        EXPECT_EQ(ld.title, QStringLiteral("レイヤ1"));
        for (int32_t y = 0; y < c.layer.y; y += 3)
            for (int32_t x = 0; x < c.layer.x; x += 3)
                ASSERT_EQ(ld.imageTC->getColor(x, y) >> 24, c.alpha);
        EXPECT_EQ(p.m_paperSize, (sSize{40, 24}));
        EXPECT_EQ(p.m_paperDPI, 350);
        EXPECT_FALSE(p.bVisCanvasCol);
        EXPECT_TRUE(p.m_ready);
        EXPECT_EQ(p.m_filename, QStringLiteral("新規"));
        EXPECT_EQ(p.ActiveLayer(), 0);
    }
}

TEST(NewDocument, TheCreationIsRecordedFirstThenTheBegin)
{
    LiveReplayApp app;
    NewDoc n;
    ASSERT_TRUE(n.recording);
    ASSERT_TRUE(EventEditCreate(n.paper(), QString(), nullptr, 32, 16, 72, false, true));
    std::vector<std::pair<int, int>> commands;
    n.paper().eventMngr().walkPackets(0, n.paper().eventMngr().topEventPos,
                                      [&](const SEventPacketInfo &pk) {
                                          if (pk.hdr.group >= 2)
                                              commands.push_back({pk.hdr.group, pk.hdr.code});
                                          return true;
                                      });
    EXPECT_EQ(commands, (std::vector<std::pair<int, int>>{{2, 8}, {2, 254}}));
    EXPECT_EQ(n.paper().eventMngr().eventCnt, 2u);
}

TEST(NewDocument, BadSizesAreRefusedWithNothingRecorded)
{
    LiveReplayApp app;
    const std::array<std::array<int32_t, 5>, 5> bad{{{0, 10, 10, 10, 72},
                                                     {10, 10001, 10, 10, 72},
                                                     {10, 10, -1, 10, 72},
                                                     {10, 10, 10, 0, 72},
                                                     {10, 10, 10, 10, -1}}};
    for (const auto &b : bad) {
        NewDoc n;
        EXPECT_FALSE(eventEditCreate(n.paper(), QString(), nullptr, b[0], b[1], b[2], b[3], b[4],
                                     false, false));
        EXPECT_EQ(n.paper().getLayerCount(), 0);
        EXPECT_EQ(n.paper().eventMngr().topEventPos, 0u);
    }
}

TEST(NewDocumentLiveReplay, ADocumentMadeAndEditedReplaysFromItsOwnCreation)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(20);
    for (int seed = 1; seed <= liveReplayIterations(6); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        NewDoc n;
        std::mt19937 rng{uint32_t(seed)};
        ASSERT_TRUE(eventEditCreate(n.paper(), QString(), nullptr, 40 + int32_t(rng() % 9),
                                    30 + int32_t(rng() % 9), 40, 30, 144, rng() % 2 != 0,
                                    rng() % 2 != 0));
        EXPECT_EQ(replayFromCreation(n.paper(), [&] {
                      std::vector<uint8_t> b(n.paper().eventMngr().topEventPos);
                      n.paper().eventMngr().readDataEx(0, b.data(), uint32_t(b.size()));
                      return b;
                  }()),
                  "");
        const auto &cases = editOpCases();
        for (int step = 0; step < 12; ++step)
            cases[rng() % cases.size()].run(n.paper(), rng);
        std::vector<uint8_t> bytes(n.paper().eventMngr().topEventPos);
        n.paper().eventMngr().readDataEx(0, bytes.data(), uint32_t(bytes.size()));
        EXPECT_EQ(replayFromCreation(n.paper(), bytes), "");
    }
}

TEST(NewDocumentUndoRedo, TheCanvasColour)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    NewDoc n;
    // A transparent layer over the canvas colour.
    ASSERT_TRUE(EventEditCreate(n.paper(), QString(), nullptr, 32, 16, 72, false, true));
    n.paper().undoMngrEx()->changeLimit(10, 10);
    EXPECT_EQ(n.paper().eventMngr().getUndoCnt(), 0);
    TPaper &p = n.paper();
    const uint32_t before = p.m_canvascolor;
    ASSERT_TRUE(EventEditPC(p, 0x204060, true));
    EXPECT_EQ(p.m_canvascolor, 0x204060u);
    EXPECT_EQ(p.vram().getColor(5, 5) & 0xFFFFFF, 0x204060u);
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(eventLayerUndo(p, nullptr, idx, rect));
    EXPECT_EQ(p.m_canvascolor, before);
    ASSERT_TRUE(eventLayerRedo(p, nullptr, idx, rect));
    EXPECT_EQ(p.m_canvascolor, 0x204060u);
    EXPECT_EQ(p.eventMngr().getUndoCnt(), p.undoMngrEx()->getUndoCnt());
}

TEST(NewDocument, ChangingThePaperSizeResizesEverythingThatFollowsIt)
{
    LiveReplayApp app;
    HeadlessDocument d;
    TPaper &p = *d.paper;
    ASSERT_TRUE(editStart(p, 1));
    // A layer larger than the new paper keeps the work image at its size.
    const int32_t masksBefore = d.owner.maskViewCount;
    const int32_t scrollsBefore = d.owner.scrollResetCount;
    changePaperSize(p, nullptr, 80, 20);
    EXPECT_EQ(p.m_paperSize, (sSize{80, 20}));
    EXPECT_EQ(p.layerMngr().getPaperSize(), (sSize{80, 20}));
    EXPECT_EQ(p.vram().FPSZ(), (sSize{80, 20}));
    EXPECT_EQ(p.clipTempTC().FPSZ(), (sSize{80, 20}));
    HeadlessDocument sized;
    ASSERT_TRUE(setupHeadlessPaper(*sized.paper, {80, 20}, 0xFFFFFF, 1));
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i)
        EXPECT_EQ(p.zoomCache(i).FPSZ(), sized.paper->zoomCache(i).FPSZ()) << i;
    EXPECT_GE(d.flow().image().width(), 48);
    EXPECT_GT(d.owner.maskViewCount, masksBefore);
    EXPECT_EQ(d.owner.scrollResetCount, scrollsBefore + 1);
}
