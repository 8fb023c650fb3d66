// The bucket fill and the magic wand: their limits, the target images, that a fill keeps to the
// selection, the Ex variant of a layer past the paper's left edge, and replay and undo.
#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "document/paper/flow_image.h"
#include "document/selection/seed_fill_ops.h"
#include "document/view/composition.h"
#include "paint/fill/seed_fill.h"
#include "paint/stroke/stroke.h"
#include "selection_rig.h"

#include <gtest/gtest.h>

using enum eMaskAddType;

namespace {

// A session whose layer 0 is a white field with a black frame from (10, 8) to (30, 24) (the
// frame's inside is white too), the other layers empty; fill and wand preferences set.
struct FillSession : EditSession
{
    explicit FillSession(uint32_t s) : EditSession(s) {}

    static void paintFrame(TPaper &p)
    {
        for (int32_t i = 0; i < p.getLayerCount(); ++i) {
            CBlockVMTC &img = *p.getLayerData(i)->imageTC;
            for (int32_t y = 0; y < img.height(); ++y)
                for (int32_t x = 0; x < img.width(); ++x) {
                    const bool frame = (x == 10 || x == 30) && y >= 8 && y <= 24;
                    const bool frameRow = (y == 8 || y == 24) && x >= 10 && x <= 30;
                    const uint32_t c = i > 0 ? 0 : frame || frameRow ? 0xFF000000 : 0xFFFFFFFF;
                    img.setPixel(x, y, c);
                }
        }
        UpdateVRAM(p, false, true);
    }

    // The first difference between this document and its stream replayed onto the same start.
    std::string replayDifference()
    {
        HeadlessDocument replayed;
        if (!replayed.paper || !editStart(*replayed.paper, seed, layerCount))
            return "no start";
        paintFrame(*replayed.paper);
        const std::vector<uint8_t> bytes = stream();
        CEventMngr &evB = replayed.paper->eventMngr();
        if (!evB.restart() || evB.writeDataEx(bytes.data(), uint32_t(bytes.size())) != bytes.size())
            return "no load";
        evB.setupPlayPos(uint32_t(bytes.size()), ev().eventCnt);
        if (!live_replay::playAll(replayed, false))
            return "replay failed: " + evB.playError.toStdString();
        setCurrentDrawWindow(&live.owner);
        return live_replay::firstDifference(paper(), *replayed.paper);
    }

    bool start()
    {
        gAppProfile->fillLimit = 20;
        gAppProfile->wandLimit = 20;
        gAppProfile->fillTarget = 0;
        gAppProfile->wandTarget = 0;
        if (!EditSession::start())
            return false;
        paintFrame(paper());
        paper().getActiveStroke()->m_drawColor = 0xFF2040C0;
        return true;
    }
};

} // namespace

TEST(SeedFill, Limits)
{
    EXPECT_EQ(wandDistanceLimit(32), 2048);
    EXPECT_EQ(wandDistanceLimit(0), 0);
    EXPECT_EQ(floodTolerance(300), 255);
    EXPECT_EQ(floodTolerance(255), 255);
    EXPECT_EQ(floodTolerance(40), 40);
}

TEST(SeedFill, CompositeTargetTakesTheCanvasColoursAlpha)
{
    LiveReplayApp app;
    EditSession s{70};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    for (int32_t i = 0; i < p.getLayerCount(); ++i)
        p.getLayerData(i)->visible = false;
    p.bVisCanvasCol = false;
    auto hidden = makeViewImage(p, 0, wandOptTarget::wotVram);
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->getColor(3, 3), p.m_canvascolor & 0xFFFFFF);
    p.bVisCanvasCol = true;
    auto shown = makeViewImage(p, 0, wandOptTarget::wotVram);
    EXPECT_EQ(shown->getColor(3, 3), 0xFF000000u | (p.m_canvascolor & 0xFFFFFF));
    auto flood = makeViewImage2(p, 0, wandOptTarget::wotVram);
    EXPECT_EQ(flood->getColor(3, 3), 0x000000FFu);
}

TEST(SeedFill, FillsTheAreaInsideTheFrameOnly)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    FillSession s{71};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventSeedFill(p, s.flow(), 0, {20, 16}, false, false, true));
    const CBlockVMTC &img = *p.getLayerData(0)->imageTC;
    EXPECT_EQ(img.getColor(20, 16), 0xFF2040C0u);
    EXPECT_EQ(img.getColor(11, 9), 0xFF2040C0u);
    EXPECT_EQ(img.getColor(10, 16), 0xFF000000u);
    EXPECT_EQ(img.getColor(5, 5), 0xFFFFFFFFu);
    EXPECT_TRUE(s.historiesInStep());
    EXPECT_EQ(s.replayDifference(), "");
    ASSERT_TRUE(SelectionSession::undoStepOf(s));
    EXPECT_EQ(img.getColor(20, 16), 0xFFFFFFFFu);
}

TEST(SeedFill, AFillKeepsToTheSelectionAndAPointOutsideDoesNothing)
{
    LiveReplayApp app;
    FillSession s{72};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventSelectRect(p, s.flow(), 0, {0, 0}, {19, 39}, matNew, true));
    const int32_t events = int32_t(s.ev().eventCnt);
    EXPECT_FALSE(eventSeedFill(p, s.flow(), 0, {25, 16}, false, false, true));
    EXPECT_EQ(int32_t(s.ev().eventCnt), events);
    ASSERT_TRUE(eventSeedFill(p, s.flow(), 0, {15, 16}, false, false, true));
    const CBlockVMTC &img = *p.getLayerData(0)->imageTC;
    EXPECT_EQ(img.getColor(15, 16), 0xFF2040C0u);
    EXPECT_EQ(img.getColor(25, 16), 0xFFFFFFFFu);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST(SeedFill, TheWandSelectsTheAreaAndCombines)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    FillSession s{73};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventMagicWand(p, s.flow(), 0, {20, 16}, matNew, false, true));
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(20, 16), 255);
    EXPECT_LE(p.getActiveMaskData()->getMaskValue(5, 5), 0);
    ASSERT_TRUE(eventMagicWand(p, s.flow(), 0, {10, 16}, matAdd, false, true));
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(10, 12), 255);
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(20, 16), 255);
    EXPECT_TRUE(p.bVisMask && p.bEnbMask);
    EXPECT_TRUE(s.historiesInStep());
    EXPECT_EQ(s.replayDifference(), "");
    const QString masks = masksOf(p);
    ASSERT_TRUE(SelectionSession::undoStepOf(s));
    ASSERT_TRUE(SelectionSession::redoStepOf(s));
    EXPECT_EQ(masksOf(p).toStdString(), masks.toStdString());
}

TEST(SeedFill, ALayerPastTheLeftEdgeIsFilledThroughTheExVariant)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    FillSession s{74};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    // The active layer's image starts 6 pixels left of the paper and 4 above it.
    ASSERT_TRUE(eventLayerAdd(p, s.flow(), 4, 60, 50, TLayerMode::LM_STD, 255, true, false));
    CLayerData &ld = *p.getLayerData(4);
    ld.viewPos = {6, 4};
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 60; ++x) // a wall at layer x 20, paper x 14
            ld.imageTC->setPixel(x, y, x == 20 ? 0xFF000000 : 0xFFFFFFFF);
    const std::vector<int32_t> before = layerIds(p);
    const int32_t oldId = ld.uniqueID;
    const uint32_t crc = p.getLayerData(4)->imageTC->getColor(3, 3);
    ASSERT_TRUE(eventSeedFill(p, s.flow(), 4, {10, 10}, false, true, true)); // erase
    CLayerData &now = *p.getLayerData(4);
    EXPECT_NE(now.uniqueID, oldId);
    EXPECT_EQ(now.viewPos.x, 6);
    // Erased left of the wall on the paper, kept past it and off the paper.
    EXPECT_EQ(now.imageTC->getColor(10, 10) >> 24, 0u);
    EXPECT_EQ(now.imageTC->getColor(25, 10), 0xFFFFFFFFu);
    EXPECT_EQ(now.imageTC->getColor(3, 3), crc); // left of the paper
    // Recorded with the code of the variant.
    bool ex = false;
    s.ev().walkPackets(0, s.ev().topEventPos, [&](const SEventPacketInfo &pk) {
        ex = ex || (pk.hdr.group == 13 && pk.hdr.code == 5);
        return true;
    });
    EXPECT_TRUE(ex);
    ASSERT_TRUE(SelectionSession::undoStepOf(s));
    EXPECT_EQ(p.getLayerData(4)->uniqueID, oldId);
    EXPECT_EQ(p.getLayerData(4)->imageTC->getColor(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(layerIds(p), before);
}

TEST(SeedFill, RefusalsChangeNothing)
{
    LiveReplayApp app;
    FillSession s{75};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = dumpPaperState(p);
    EXPECT_FALSE(eventSeedFill(p, s.flow(), 0, {60, 16}, false, false, true)); // off the paper
    EXPECT_FALSE(eventSeedFill(p, s.flow(), 7, {5, 5}, false, false, true));
    EXPECT_FALSE(eventMagicWand(p, s.flow(), 0, {-1, 3}, matNew, false, true));
    EXPECT_FALSE(eventMagicWand(p, s.flow(), 0, {3, 3}, eMaskAddType(4), false, true));
    EXPECT_EQ(dumpPaperState(p).toStdString(), before.toStdString());
    EXPECT_EQ(s.ev().eventCnt, 0u);
}

TEST(SeedFill, TheFloodFillReplaysByFillingAgain)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    FillSession s{76};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventFloodFill(p, s.flow(), 0, {20, 16}, false, false, true, -1, -1));
    const CBlockVMTC &img = *p.getLayerData(0)->imageTC;
    EXPECT_EQ(img.getColor(20, 16), 0xFF2040C0u);
    EXPECT_EQ(img.getColor(5, 5), 0xFFFFFFFFu);
    ASSERT_TRUE(eventMagicWand2(p, s.flow(), 0, {5, 5}, eMaskAddType::matNew, true, true, 0, 20));
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(2, 2), 255);
    EXPECT_LE(p.getActiveMaskData()->getMaskValue(20, 16), 0);
    EXPECT_TRUE(s.historiesInStep());
    EXPECT_EQ(s.replayDifference(), "");
    // A seed off the selection does nothing.
    const uint32_t events = s.ev().eventCnt;
    EXPECT_FALSE(eventFloodFill(p, s.flow(), 0, {20, 16}, false, true, true, -1, -1));
    EXPECT_EQ(s.ev().eventCnt, events);
    EXPECT_EQ(img.getColor(20, 16), 0xFF2040C0u);
}

TEST(SeedFill, AnAreaTooComplexForTheSpanStackChangesNothing)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{77, 1};
    ASSERT_TRUE(s.live.paper);
    TPaper &p = s.paper();
    // A white line between two combs of one-pixel teeth: its fill leaves 10000 teeth to visit.
    ASSERT_TRUE(setupHeadlessPaper(p, {10000, 3}, 0xFFFFFF, 1) && startPaintModeQZ5(p));
    CBlockVMTC &img = *p.getLayerData(0)->imageTC;
    for (int32_t x = 0; x < 10000; ++x) {
        img.setPixel(x, 1, 0xFFFFFFFF);
        for (int32_t y : {0, 2})
            img.setPixel(x, y, x % 2 ? 0xFFFFFFFF : 0xFF000000);
    }
    gAppProfile->fillLimit = 10;
    gAppProfile->fillTarget = 0;
    gAppProfile->wandLimit = 10;
    gAppProfile->wandTarget = 0;
    const QString before = dumpPaperState(p);
    EXPECT_FALSE(eventSeedFill(p, s.flow(), 0, {5000, 1}, false, false, true));
    EXPECT_FALSE(eventMagicWand(p, s.flow(), 0, {5000, 1}, eMaskAddType::matNew, false, true));
    EXPECT_EQ(app.messages.warnings.count(seedFillTooComplexMessage()), 2);
    EXPECT_EQ(dumpPaperState(p).toStdString(), before.toStdString());
}
