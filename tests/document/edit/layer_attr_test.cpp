// The layer attribute operations: what they record (and when nothing), the records they push, the
// older rule of showing all layers, and the partial recomposition over written blocks.
#include "document/edit/layer_undo.h"
#include "edit_op_table.h"
#include "edit_rig.h"

#include <gtest/gtest.h>

TEST(LayerAttr, HidingAHiddenLayerRecordsNothingAnUnchangedOpacityDoes)
{
    LiveReplayApp app;
    EditSession s{1};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(EventLayerVisible(p, 0, false, true));
    EXPECT_EQ(s.ev().eventCnt, 1u);
    EXPECT_TRUE(EventLayerVisible(p, 0, false, true));
    EXPECT_EQ(s.ev().eventCnt, 1u);
    const uint8_t trans = p.getLayerData(0)->trans;
    EXPECT_TRUE(EventLayerTrans(p, 0, trans, true));
    EXPECT_EQ(s.ev().eventCnt, 2u);
}

TEST(LayerAttr, ShowingAllNeedsAHiddenLayer)
{
    LiveReplayApp app;
    EditSession s{2};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    EXPECT_FALSE(eventLayerVisAll(p, 0, true, true));
    EXPECT_EQ(s.ev().eventCnt, 0u);
    ASSERT_TRUE(EventLayerVisible(p, 3, false, true));
    EXPECT_TRUE(eventLayerVisAll(p, 0, true, true));
    EXPECT_TRUE(p.getLayerData(3)->visible);
    EXPECT_TRUE(eventLayerVisAll(p, 0, false, true));
    EXPECT_EQ(getVisibleLayerCount(p), 0);
    EXPECT_FALSE(eventLayerVisAll(p, 0, false, true));
}

TEST(LayerAttr, ShowAllOfAVersion36StreamKeepsTheOlderRule)
{
    LiveReplayApp app;
    // Three layers, one hidden: 2 visible is not below the highest index 2 in the older rule.
    EditSession s{3, 3};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(EventLayerVisible(p, 1, false, true));
    ASSERT_TRUE(eventLayerVisAll(p, 0, true, true));
    const std::vector<uint8_t> bytes = s.stream();
    for (const int version : {36, 37, 50}) {
        SCOPED_TRACE("version " + std::to_string(version));
        HeadlessDocument d;
        ASSERT_TRUE(editStart(*d.paper, 3, 3));
        CEventMngr &ev = d.paper->eventMngr();
        ASSERT_TRUE(ev.restart());
        ASSERT_EQ(ev.writeDataEx(bytes.data(), uint32_t(bytes.size())), bytes.size());
        ev.setupPlayPos(uint32_t(bytes.size()), s.ev().eventCnt);
        ev.fileVersion = uint8_t(version);
        ASSERT_TRUE(live_replay::playAll(d, false));
        EXPECT_EQ(d.paper->getLayerData(1)->visible, version >= 37);
    }
}

TEST(LayerAttr, ShowOnlyIsRefusedWhenTheActiveLayerIsTheOnlyVisibleOne)
{
    LiveReplayApp app;
    EditSession s{4, 2};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerVisOnly(p, 0, true));
    EXPECT_FALSE(p.getLayerData(1)->visible);
    EXPECT_FALSE(eventLayerVisOnly(p, 0, true));
    EXPECT_EQ(s.ev().eventCnt, 1u);
}

TEST(LayerAttr, RecordsOfTheAttributesCarryTheirValues)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    struct Case
    {
        const char *what;
        std::function<bool()> call;
        udCmdName cn;
        int32_t v1, v2; // the values pushed (-1: not checked)
    };
    const uint32_t ditherVal = p.getLayerData(0)->dizRand.val;
    const Case cases[] = {
        {"opacity", [&] { return EventLayerTrans(p, 0, 90, true); },
         udCmdName::udcnValueLayerTrans, 90, 0},
        {"opacity of a group head", [&] { return EventLayerTrans(p, 1, 91, true); },
         udCmdName::udcnValueLayerGroupTrans, 91, 1},
        {"dither", [&] { return eventLayerDither(p, 0, true, 200, true); },
         udCmdName::udcnValueLayerDither, 200 * 256 + 1, int32_t(ditherVal)},
        {"mode", [&] { return EventLayerMode(p, 0, TLayerMode::LM_ADD, true); },
         udCmdName::udcnValueLayerMode, int32_t(TLayerMode::LM_ADD), 0},
        {"visibility", [&] { return EventLayerVisible(p, 0, false, true); },
         udCmdName::udcnValueLayerVisible, 0, 0},
        {"group visibility", [&] { return doLayerVisible(p, 1, false, true); },
         udCmdName::udcnComplexVisLayerGroup, -1, -1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.call());
        CUndoData *top = nullptr;
        ASSERT_TRUE(s.undo().getTopUndo(top));
        EXPECT_EQ(top->cmdName, c.cn);
        // A value record keeps the old value first, then the two values pushed.
        if (c.v1 >= 0) {
            EXPECT_EQ(top->dataVal1, c.v1);
            EXPECT_EQ(top->dataVal2, c.v2);
        }
    }
    // The whole group went hidden with one packet of count 2 and visibility 0.
    EXPECT_FALSE(p.getLayerData(1)->visible);
    EXPECT_FALSE(p.getLayerData(2)->visible);
    EXPECT_TRUE(s.historiesInStep());
}

TEST(LayerAttr, AnUnpaintedLayerRecomposesNothing)
{
    LiveReplayApp app;
    EditSession s{6};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerAdd(p, nullptr, TLayerMode::LM_STD, true));
    EXPECT_FALSE(dispatchLayerView(p, 1, true));
    // Painted layers recompose their written blocks, hidden or not.
    EXPECT_TRUE(dispatchLayerView(p, 0, true));
    ASSERT_TRUE(EventLayerVisible(p, 0, false, true));
    EXPECT_TRUE(dispatchLayerView(p, 0, false));
    // A group head recomposes over its whole group.
    EXPECT_TRUE(dispatchLayerView(p, 2, false));
}

TEST(LayerAttr, ARecomposedLayerShowsInTheDisplayAsAWholeRecompositionWould)
{
    LiveReplayApp app;
    EditSession s{7};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(EventLayerMode(p, 3, TLayerMode::LM_SCR, true));
    ASSERT_TRUE(EventLayerTrans(p, 2, 100, true));
    ASSERT_TRUE(EventLayerVisible(p, 0, false, true));
    std::vector<uint32_t> partial;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x)
            partial.push_back(p.vram().getColor(x, y));
    UpdateVRAM(p, true, true);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x)
            ASSERT_EQ(partial[size_t(y * 48 + x)], p.vram().getColor(x, y)) << x << ", " << y;
}
