// The filter core on a fake host: set-up, preview and its restoring, apply with event and undo,
// the selection weights and the parameter check.
#include "filters/core/filter_core.h"

#include "core/block_test_support.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

using filtertest::DirectParams;
using filtertest::FakeFilterHost;
using filtertest::firstDifference;

namespace {

// A test filter: every selected pixel becomes its flow pixel with the colour inverted. It takes
// any of the record sizes; an sFltObj2 with data1 = 1 asks it to change nothing.
bool fltTestInvert(sFlt4Params &p, const void *argp, int32_t args)
{
    static constexpr int32_t kSizes[] = {0, kFltObj2Size, kFltObj4Size, kFltObj6Size,
                                         kFltObjComplexSize, kFltFloorSize};
    if (!checkFlt4Params(p) || std::find(std::begin(kSizes), std::end(kSizes), args) == std::end(kSizes))
        return false;
    if (args == kFltObj2Size && static_cast<const sFltObj2 *>(argp)->data1.all == 1) {
        p.unchanged = true;
        return true;
    }
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        pixelPutAlpha(&px, p.flowTC->getColor(x, y) ^ 0x00FFFFFFu, uint32_t(m));
    });
}

sFltObj2 obj2(int32_t d0, int32_t d1)
{
    sFltObj2 r;
    initFltObj2(r);
    r.data0.all = d0;
    r.data1.all = d1;
    return r;
}

// A 64 x 48 layer at viewPos (5, 3) and a selection whose effect rectangle is (15, 11, 45, 33).
class FilterCore : public ::testing::Test
{
  protected:
    FilterCore() : host(64, 48, seed)
    {
        host.layers[0].viewPos = {5, 3};
        host.select(64, 48, {0, 0}, {10, 8, 40, 30});
        original = std::make_unique<CBlockVMTC>(*host.layers[0].image);
    }
    CBlockVMTC &layer() { return *host.layers[0].image; }

    const uint32_t seed = filtertest::testSeed();
    FakeFilterHost host;
    std::unique_ptr<CBlockVMTC> original;
};

TEST_F(FilterCore, SetUpFindsTheEffectRectangleAndTakesABackup)
{
    SCOPED_TRACE(seed);
    CFlt4Core core(host, 0, fltTestInvert, true);
    ASSERT_TRUE(core.CheckParams());
    EXPECT_EQ(core.maskRect(), (sRect{15, 11, 45, 33}));
    ASSERT_NE(core.backup(), nullptr);
    EXPECT_EQ(firstDifference(*core.backup(), layer()), "");
    EXPECT_FALSE(core.isDirty());
}

TEST_F(FilterCore, SetUpFailsAndNothingHappens)
{
    struct Case
    {
        const char *name;
        int32_t idx;
        sRect content;
    } cases[] = {
        {"bad layer index", 3, {10, 8, 40, 30}},
        {"empty selection", 0, {0, 0, 0, 0}},
        {"selection outside the layer", 0, {60, 46, 64, 48}}, // (65..69, 49..51) in the layer
    };
    for (const Case &c : cases) {
        host.mask = std::make_unique<CMaskData>(0, 64, 48);
        sRect fill = c.content;
        if (fill.x1 > fill.x0)
            host.mask->maskTC->fillArea(fill, 255);
        CFlt4Core core;
        EXPECT_FALSE(core.SetParams(host, c.idx, fltTestInvert, true)) << c.name;
        EXPECT_FALSE(core.CheckParams()) << c.name;
        EXPECT_FALSE(core.EventFilter(1)) << c.name;
        EXPECT_FALSE(core.Filter(nullptr, 0, nullptr)) << c.name;
    }
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(host.undo.empty());
    EXPECT_EQ(firstDifference(layer(), *original), "");
}

TEST_F(FilterCore, PreviewsThenCancelLeaveTheLayerAsTheBackup)
{
    SCOPED_TRACE(seed);
    CFlt4Core core(host, 0, fltTestInvert, true);
    ASSERT_TRUE(core.CheckParams());
    const sFltObj2 rec = obj2(0, 0);

    host.view = sRect{0, 0, 30, 20}; // layer (5, 3, 35, 23): filtered part (15, 11, 35, 23)
    ASSERT_TRUE(core.Updates(&rec, kFltObj2Size));
    EXPECT_NE(layer().getColor(15, 11), original->getColor(15, 11));
    EXPECT_NE(layer().getColor(34, 22), original->getColor(34, 22));
    EXPECT_EQ(layer().getColor(35, 22), original->getColor(35, 22)) << "outside the view";
    EXPECT_EQ(layer().getColor(14, 11), original->getColor(14, 11)) << "outside the selection";
    ASSERT_FALSE(host.dispatches.empty());
    EXPECT_EQ(host.dispatches.back().r, (sRect{0, 0, 30, 20}));
    EXPECT_FALSE(host.dispatches.back().prv);

    host.view = sRect{20, 10, 60, 45}; // layer (25, 13, 65, 48), past the layer's edge
    ASSERT_TRUE(core.Updates(&rec, kFltObj2Size));
    EXPECT_EQ(layer().getColor(15, 11), original->getColor(15, 11)) << "the first preview restored";
    EXPECT_NE(layer().getColor(25, 13), original->getColor(25, 13));
    EXPECT_EQ(core.dirtyRect(), (sRect{25, 13, 65, 48})) << "the whole visible part, layer coordinates";

    EXPECT_TRUE(core.Revert(true));
    EXPECT_EQ(firstDifference(layer(), *original), "");
    EXPECT_EQ(host.dispatches.back().r, (sRect{20, 10, 60, 45}));
    EXPECT_FALSE(core.isDirty());
    EXPECT_FALSE(core.Revert(true)) << "nothing left to restore";
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(host.undo.empty());
}

TEST_F(FilterCore, PreviewOfAViewOutsideTheEffectRectangleChangesNothing)
{
    CFlt4Core core(host, 0, fltTestInvert, true);
    const sFltObj2 rec = obj2(0, 0);
    host.view = sRect{50, 0, 90, 40}; // layer (55, 3, 95, 43): right of the effect rectangle
    EXPECT_FALSE(core.Updates(&rec, kFltObj2Size));
    host.view = sRect{-40, -30, 5, 5}; // above and left of it
    EXPECT_FALSE(core.Updates(&rec, kFltObj2Size));
    EXPECT_EQ(firstDifference(layer(), *original), "");
    EXPECT_TRUE(host.dispatches.empty());
    host.view.reset(); // no window
    EXPECT_FALSE(core.Updates(&rec, kFltObj2Size));
}

TEST_F(FilterCore, RefusedPreviewRepaintsWhatItRestored)
{
    CFlt4Core core(host, 0, fltTestInvert, true);
    const sFltObj2 rec = obj2(0, 0);
    host.view = sRect{0, 0, 30, 20};
    ASSERT_TRUE(core.Updates(&rec, kFltObj2Size));
    const size_t before = host.dispatches.size();
    EXPECT_FALSE(core.Updates(&rec, 4)) << "a record size the filter refuses";
    EXPECT_EQ(firstDifference(layer(), *original), "");
    ASSERT_EQ(host.dispatches.size(), before + 1);
    EXPECT_EQ(host.dispatches.back().r, (sRect{0, 0, 30, 20}));
    EXPECT_FALSE(host.dispatches.back().prv);
}

TEST_F(FilterCore, ApplyRecordsOnePacketOfTheRecordsGroupAndOneUndo)
{
    sFltObj4 r4;
    initFltObj4(r4);
    sFltObj6 r6;
    initFltObj6(r6);
    const uint8_t block[56] = {};
    sFltObjComplex rc{};
    initFltObjComplex(rc, 1, 56);
    rc.data = block;
    SFltFloor rf;
    initFltFloor(rf);
    const sFltObj2 r2 = obj2(0, 0);
    struct Case
    {
        int group;
        std::function<bool(CFlt4Core &)> apply;
    } cases[] = {
        {32, [](CFlt4Core &c) { return c.EventFilter(20); }},
        {33, [&](CFlt4Core &c) { return c.EventFilter(21, r2); }},
        {34, [&](CFlt4Core &c) { return c.EventFilter(22, r4); }},
        {35, [&](CFlt4Core &c) { return c.EventFilter(23, r6); }},
        {38, [&](CFlt4Core &c) { return c.EventFilter(74, rc); }},
        {38, [&](CFlt4Core &c) { return c.EventFilter(99, rf); }},
    };
    host.maskIndex = 2;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.group);
        host.events.clear();
        host.undo.clear();
        const CBlockVMTC before(layer());
        CFlt4Core core(host, 0, fltTestInvert, true);
        ASSERT_TRUE(c.apply(core));
        ASSERT_EQ(host.events.size(), 1u);
        EXPECT_EQ(host.events[0].group, c.group);
        EXPECT_EQ(host.events[0].idx, 0);
        EXPECT_EQ(host.events[0].midx, 2);
        ASSERT_EQ(host.undo.size(), 1u);
        EXPECT_EQ(host.undo[0].idx, 0);
        EXPECT_EQ(host.undo[0].uid, 100);
        EXPECT_EQ(core.backup(), nullptr) << "the undo entry owns the backup";
        EXPECT_EQ(firstDifference(*host.undo[0].backup, before), "");
        EXPECT_NE(firstDifference(layer(), before), "");
    }
    // The refresh: modified, thumbnail, flow, the effect rectangle repainted with previews.
    EXPECT_TRUE(host.modified);
    EXPECT_EQ(host.previews, 6);
    EXPECT_EQ(host.toolViews, 6);
    EXPECT_EQ(firstDifference(layer(), layer()), "");
    TMTC flow;
    filtertest::copyToCanvas(layer(), flow);
    EXPECT_EQ(host.flow.getColor(20, 20), flow.getColor(20, 20));
    EXPECT_EQ(host.dispatches.back().r, (sRect{10, 8, 40, 30}));
    EXPECT_TRUE(host.dispatches.back().prv);
}

TEST_F(FilterCore, NoEventOrUndoWithoutPushOrWithoutAChange)
{
    {
        CFlt4Core core(host, 0, fltTestInvert, false); // a replay
        ASSERT_TRUE(core.EventFilter(21, obj2(0, 0)));
        EXPECT_NE(firstDifference(layer(), *original), "");
        EXPECT_NE(core.backup(), nullptr) << "freed with the core";
    }
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(host.undo.empty());

    const CBlockVMTC before(layer());
    const int refreshes = host.flowRefreshes;
    CFlt4Core core(host, 0, fltTestInvert, true);
    EXPECT_TRUE(core.EventFilter(21, obj2(0, 1))) << "the filter changed nothing";
    EXPECT_EQ(firstDifference(layer(), before), "");
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(host.undo.empty());
    EXPECT_EQ(host.flowRefreshes, refreshes) << "nothing to refresh";
}

TEST_F(FilterCore, FailedUndoPushKeepsTheEventAndTheFilteredLayer)
{
    host.undoEnabled = false;
    CFlt4Core core(host, 0, fltTestInvert, true);
    ASSERT_TRUE(core.EventFilter(21, obj2(0, 0)));
    EXPECT_EQ(host.events.size(), 1u);
    EXPECT_TRUE(host.undo.empty());
    EXPECT_NE(core.backup(), nullptr);
    EXPECT_NE(firstDifference(layer(), *original), "");
}

TEST_F(FilterCore, RefusedApplyAndShortComplexBlockDoNothing)
{
    CFlt4Core core(host, 0, fltTestInvert, true);
    sFltObjComplex rc{};
    initFltObjComplex(rc, 2, 56);
    const uint8_t block[56] = {};
    rc.data = block; // one item where the record counts two
    EXPECT_FALSE(core.EventFilter(74, rc));
    core.AttachFilter(clearDstRect); // takes no record
    EXPECT_FALSE(core.EventFilter(21, obj2(0, 0)));
    EXPECT_EQ(firstDifference(layer(), *original), "");
    EXPECT_TRUE(host.events.empty());
    EXPECT_TRUE(host.undo.empty());
    EXPECT_EQ(host.previews, 0);
}

TEST_F(FilterCore, BackupFailureGivesFalse)
{
    CBlockVMTC image(100, 40);
    image.setPixel(0, 0, 0xFF123456);
    image.setPixel(99, 39, 0xFF123456);
    std::unique_ptr<CBlockVMTC> backup;
    {
        blocktest::OutOfMemory oom(1);
        EXPECT_FALSE(backupLayerImage(backup, image));
    }
    EXPECT_EQ(backup, nullptr);
    ASSERT_TRUE(backupLayerImage(backup, image));
    EXPECT_EQ(firstDifference(*backup, image), "");
}

TEST_F(FilterCore, SelectionWeightOutsideTheMaskImageIsZero)
{
    CMaskData mask(0, 10, 10);
    mask.viewPos = {2, 0}; // document x = mask x - 2
    sRect all{0, 0, 10, 10};
    mask.maskTC->fillArea(all, 200);
    const sPos layerPos{1, 1}; // layer (x, y) is document (x - 1, y - 1): mask (x + 1, y - 1)
    struct Case
    {
        int32_t x, y, weight;
    } cases[] = {
        {0, 1, 200}, {-1, 1, 200}, {8, 10, 200},
        {-2, 1, 0}, // mask (-1, 0): outside the image, where getMaskValue answers -1
        {9, 10, 0}, // mask (10, 9)
        {0, 0, 0},  // mask (1, -1)
    };
    for (const Case &c : cases)
        EXPECT_EQ(effectMaskOnLayer(&mask, &layerPos, c.x, c.y), c.weight) << c.x << "," << c.y;
    EXPECT_EQ(effectMaskNone(nullptr, nullptr, -5, 7), 255);
}

TEST_F(FilterCore, ParameterCheck)
{
    CBlockVMTC layer(20, 10);
    DirectParams d(layer);
    EXPECT_TRUE(checkFlt4Params(d.p));
    struct Case
    {
        const char *name;
        std::function<void(sFlt4Params &)> change;
    } cases[] = {
        {"inverted on both axes", [](sFlt4Params &p) { p.dstRect = {10, 8, 5, 2}; }},
        {"inverted effect rectangle", [](sFlt4Params &p) { p.maskRect = {10, 8, 5, 2}; }},
        {"empty", [](sFlt4Params &p) { p.dstRect = {5, 5, 5, 9}; }},
        {"destination outside the effect rectangle",
         [](sFlt4Params &p) { p.maskRect = {0, 0, 10, 10}; p.dstRect = {5, 0, 15, 10}; }},
        {"effect rectangle outside the layer", [](sFlt4Params &p) { p.maskRect = {0, 0, 21, 10}; }},
        {"no layer", [](sFlt4Params &p) { p.layerTC = nullptr; }},
        {"no mask", [](sFlt4Params &p) { p.maskData = nullptr; }},
        {"no backup", [](sFlt4Params &p) { p.bkupTC = nullptr; }},
        {"no flow", [](sFlt4Params &p) { p.flowTC = nullptr; }},
        {"no flow channel", [](sFlt4Params &p) { p.flowCh = nullptr; }},
        {"no weights", [](sFlt4Params &p) { p.fnEffectMask = nullptr; }},
    };
    for (const Case &c : cases) {
        sFlt4Params p = d.p;
        c.change(p);
        EXPECT_FALSE(checkFlt4Params(p)) << c.name;
        EXPECT_FALSE(fltTestInvert(p, nullptr, 0)) << c.name;
    }
    d.flow.Resize(19, 10);
    EXPECT_FALSE(checkFlt4Params(d.p)) << "a flow canvas smaller than the layer";
}

} // namespace
