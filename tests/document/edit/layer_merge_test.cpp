// Merging layers: which layers take part and with which opacity, what replaces what, the worked
// pixels, refusals, undo, replay and running out of memory.
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/edit/layer_merge.h"
#include "structure_fixtures.h"

#include <gtest/gtest.h>

namespace {

const std::vector<StructOp> &mergeOps()
{
    static const std::vector<StructOp> ops = {
        {"merge visible, opaque",
         [](TPaper &p, TFlowImage *f) { return eventBindLayerAll(p, f, 0, 0, true); }},
        {"merge visible, transparent",
         [](TPaper &p, TFlowImage *f) { return eventBindLayerAll(p, f, 1, 0x30003, true); }},
        {"merge down", [](TPaper &p, TFlowImage *f) { return EventLayerCombLower(p, f, 5, true); }},
        {"merge down by version",
         [](TPaper &p, TFlowImage *f) { return eventLayerBindBelow(p, f, 5, 1, true); }},
        {"merge group",
         [](TPaper &p, TFlowImage *f) { return eventLayerGroupBind(p, f, 1, 3, true); }},
        {"merge clipping group",
         [](TPaper &p, TFlowImage *) { return eventBindClippingGroup(p, 3, true); }},
    };
    return ops;
}

// Colour and alpha of the whole layer.
void fillLayer(TPaper &paper, int32_t idx, uint32_t c)
{
    CBlockVMTC &img = *paper.getLayerData(idx)->imageTC;
    img.fillImageAll(c);
    img.setAlphaAll(uint8_t(c >> 24));
}

// A document of bare layers on kStructPaper, each cleared transparent.
bool bareStart(TPaper &paper, int32_t layers)
{
    if (!setupHeadlessPaper(paper, kStructPaper, 0xFFFFFF, layers) || !startPaintModeQZ5(paper))
        return false;
    for (int32_t i = 0; i < layers; ++i)
        fillLayer(paper, i, 0x00FFFFFFu);
    return true;
}

uint32_t pixelAt(const TPaper &p, int32_t idx, int32_t x, int32_t y)
{
    return paperPixel(p, idx, x, y);
}

} // namespace

TEST(LayerMerge, MergingAllIsRefusedUnlessTheBottomLayerTakesPart)
{
    LiveReplayApp app;
    StructSession s{1};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const std::vector<uint8_t> stream = s.stream();
    int32_t top = 0;
    p.getLayerData(0)->visible = false;
    EXPECT_FALSE(canBindLayerAll(p, top, 0, 0));
    EXPECT_EQ(top, 1);
    EXPECT_FALSE(eventBindLayerAll(p, s.flow(), 0, 0, true));
    p.getLayerData(0)->visible = true;
    // Only versions 0..3 exist; an add bottom layer cannot be the ground of an opaque merge.
    EXPECT_FALSE(eventBindLayerAll(p, s.flow(), 1, 4, true));
    p.getLayerData(0)->mode = TLayerMode::LM_ADD;
    EXPECT_FALSE(eventBindLayerAll(p, s.flow(), 0, 0, true));
    EXPECT_TRUE(canBindLayerAll(p, top, 1, 0));
    p.getLayerData(0)->mode = TLayerMode::LM_SCR;
    EXPECT_FALSE(canBindLayerAll(p, top, 0, 1));
    EXPECT_EQ(p.getLayerCount(), 6);
    EXPECT_EQ(s.stream(), stream);
}

TEST(LayerMerge, MergingAllCoversThePaperAndEveryVisibleLayer)
{
    LiveReplayApp app;
    for (int32_t tp : {0, 1}) {
        SCOPED_TRACE(tp);
        StructSession s{2};
        ASSERT_TRUE(s.start());
        TPaper &p = s.paper();
        // Paper (0, 0) transparent in every layer but the top one, which is wholly transparent.
        for (int32_t i = 0; i < 5; ++i)
            setPaperPixel(p, i, 0, 0, 0x00123456u);
        fillLayer(p, 5, 0x00FFFFFFu);
        const int32_t hiddenId = p.getLayerData(4)->uniqueID;
        ASSERT_TRUE(eventBindLayerAll(p, s.flow(), tp, 0, true));
        ASSERT_EQ(p.getLayerCount(), 2);
        const CLayerData &m = *p.getLayerData(0);
        EXPECT_EQ(m.imageTC->width(), kStructPaper.x + 40);
        EXPECT_EQ(m.imageTC->height(), kStructPaper.y);
        EXPECT_EQ(m.viewPos, (sPos{20, 0}));
        EXPECT_EQ(m.mode, TLayerMode::LM_STD);
        EXPECT_EQ(p.getLayerData(1)->uniqueID, hiddenId);
        EXPECT_EQ(pixelAt(p, 0, 0, 0) >> 24, tp == 0 ? 255u : 0u);
        EXPECT_EQ(pixelAt(p, 0, -15, 3) >> 24, tp == 0 ? 255u : 0u);
    }
}

TEST(LayerMerge, AnOpaqueMergeLooksAsTheLayersDidOnThePaper)
{
    LiveReplayApp app;
    StructSession s{3};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    UpdateVRAM(p, false, true);
    std::vector<uint32_t> shown;
    for (int32_t y = 0; y < kStructPaper.y; ++y)
        for (int32_t x = 0; x < kStructPaper.x; ++x)
            shown.push_back(p.vram().getColor(x, y) & 0xFFFFFFu);
    ASSERT_TRUE(eventBindLayerAll(p, s.flow(), 0, 0, true));
    size_t k = 0;
    for (int32_t y = 0; y < kStructPaper.y; ++y)
        for (int32_t x = 0; x < kStructPaper.x; ++x, ++k)
            ASSERT_EQ(pixelAt(p, 0, x, y) & 0xFFFFFFu, shown[k]) << x << ", " << y;
}

TEST(LayerMerge, WorkedPixelsOfMultiplyAndClipping)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && bareStart(*doc.paper, 4));
    TPaper &p = *doc.paper;
    fillLayer(p, 0, 0xFF808080u);
    // A multiply layer at full opacity: 0x80 x 0x40 / 255 = 0x20.
    CLayerData &mul = *p.getLayerData(1);
    mul.mode = TLayerMode::LM_MUL;
    mul.imageTC->setPixel(2, 2, 0xFF404040u);
    // Screen on the same layer stack: 0x80 + 0x40 - mul255(0x80, 0x40) = 0xA0.
    ASSERT_TRUE(eventLayerAddEx(p, nullptr, 2, kStructPaper.x, kStructPaper.y, TLayerMode::LM_SCR,
                                255, 0x00FFFFFFu, QString(), true, false));
    p.getLayerData(2)->imageTC->setPixel(3, 3, 0xFF404040u);
    // A base with one opaque pixel and a red layer clipped to it: red shows there only.
    p.getLayerData(3)->imageTC->setPixel(5, 5, 0xFF0000FFu);
    CLayerData &red = *p.getLayerData(4);
    fillLayer(p, 4, 0xFFFF0000u);
    red.ChangeUnderLyrClip(true);
    ASSERT_TRUE(eventBindLayerAll(p, nullptr, 0, 0, false));
    ASSERT_EQ(p.getLayerCount(), 1);
    EXPECT_EQ(pixelAt(p, 0, 2, 2), 0xFF202020u);
    EXPECT_EQ(pixelAt(p, 0, 3, 3), 0xFFA0A0A0u);
    EXPECT_EQ(pixelAt(p, 0, 5, 5), 0xFFFF0000u);
    EXPECT_EQ(pixelAt(p, 0, 6, 5), 0xFF808080u);
    EXPECT_EQ(pixelAt(p, 0, 30, 30), 0xFF808080u);
}

// A dithered layer clipped to the bottom one puts a pixel only where the next draw of its own
// generator falls below density x alpha / 255; the draws run over the base's opaque pixels in
// order. Seed 12345 over 0..255 draws 98, 73, 20, 141, 161, 87, 112, 20: against 128 the fourth
// and fifth pixels keep the base's colour.
TEST(LayerMerge, ADitheredClippedLayerPutsWhereItsGeneratorDrawsBelowTheDensity)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && bareStart(*doc.paper, 2));
    TPaper &p = *doc.paper;
    const uint32_t blue = 0xFF000080u, red = 0xFFFF0000u;
    for (int32_t x = 0; x < 8; ++x)
        ASSERT_TRUE(p.getLayerData(0)->imageTC->setPixel(x, 0, blue));
    CLayerData &dith = *p.getLayerData(1);
    fillLayer(p, 1, red);
    dith.ChangeUnderLyrClip(true);
    dith.ditherEnable = true;
    dith.dither = 128;
    dith.setDitherState(12345);
    ASSERT_TRUE(eventBindLayerAll(p, nullptr, 0, 0, false));
    ASSERT_EQ(p.getLayerCount(), 1);
    const uint32_t expected[8] = {red, red, red, blue, blue, red, red, red};
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(pixelAt(p, 0, x, 0), expected[x]) << x;
    // The base's transparent pixels take nothing from the clipped layer.
    EXPECT_NE(pixelAt(p, 0, 8, 0), red);
    EXPECT_NE(pixelAt(p, 0, 3, 1), red);
}

TEST(LayerMerge, AHiddenLayerStaysAboveTheMergedOneWithItsClippedLayers)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{4};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    p.getLayerData(2)->visible = false;
    const std::vector<int32_t> ids = layerIds(p);
    ASSERT_TRUE(eventBindLayerAll(p, s.flow(), 0, 0, true));
    const std::vector<int32_t> after = layerIds(p);
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(std::vector<int32_t>(after.begin() + 1, after.end()),
              (std::vector<int32_t>{ids[2], ids[3], ids[4]}));
    EXPECT_TRUE(p.getLayerData(2)->getUnderLyrClip());
    ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(layerIds(p), ids);
}

TEST(LayerMerge, AGroupInsideAGroupMergesAtItsOwnOpacityOnly)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && bareStart(*doc.paper, 4));
    TPaper &p = *doc.paper;
    fillLayer(p, 0, 0xFF000000u);
    p.getLayerData(1)->trans = 128; // outer head
    p.getLayerData(2)->trans = 128; // inner head
    p.getLayerData(2)->setGroupLevel(1);
    p.getLayerData(3)->setGroupLevel(2);
    p.getLayerData(3)->imageTC->setPixel(1, 1, 0xFFFFFFFFu);
    const int32_t outerId = p.getLayerData(1)->uniqueID;
    ASSERT_EQ(getLayerGroupCount(p, 2), 2);
    ASSERT_TRUE(eventLayerGroupBind(p, nullptr, 2, 2, false));
    ASSERT_EQ(p.getLayerCount(), 3);
    EXPECT_EQ(p.getLayerData(1)->uniqueID, outerId);
    const CLayerData &m = *p.getLayerData(2);
    EXPECT_EQ(m.groupLevel, 1);
    EXPECT_EQ(m.trans, 255);
    EXPECT_EQ(pixelAt(p, 2, 1, 1), 0x80FFFFFFu);
    EXPECT_EQ(pixelAt(p, 2, 2, 1) >> 24, 0u);
}

TEST(LayerMerge, MergeDownAndGroupMergesRefuseWhatDoesNotFit)
{
    LiveReplayApp app;
    StructSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const std::vector<uint8_t> stream = s.stream();
    EXPECT_FALSE(CanLayerCombLower(p, 0));
    EXPECT_FALSE(CanLayerCombLower(p, 1)); // a group head
    EXPECT_FALSE(EventLayerCombLower(p, s.flow(), 1, true));
    EXPECT_FALSE(eventLayerBindBelow(p, s.flow(), 5, 4, true));
    EXPECT_FALSE(eventLayerBindBelow(p, s.flow(), 5, 0x10004, true));
    EXPECT_FALSE(eventLayerGroupBind(p, s.flow(), 1, 2, true));
    EXPECT_FALSE(eventLayerGroupBind(p, s.flow(), 5, 1, true));
    EXPECT_FALSE(eventBindClippingGroup(p, 5, true)); // nothing clipped to it
    EXPECT_EQ(p.getLayerCount(), 6);
    EXPECT_EQ(s.stream(), stream);
}

TEST(LayerMergeUndoRedo, EveryMergeRoundTripsWithTheSameLayers)
{
    for (const StructOp &op : mergeOps())
        expectUndoRedoRoundTrip(op);
}

TEST(LayerMergeLiveReplay, EveryMergeReplaysToTheSameDocument)
{
    for (const StructOp &op : mergeOps())
        expectOpLiveEqualsReplay(op);
}

TEST(LayerMergeOutOfMemory, AFailedMergeLeavesEverythingAsItWas)
{
    for (const StructOp &op : mergeOps())
        expectOutOfMemoryLeavesAll(op);
}
