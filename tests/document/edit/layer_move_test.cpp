// Moving layers: the move state and growth, plain moves, groups and link groups, the selection
// moving along, refusals, undo, replay and running out of memory.
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_move.h"
#include "document/events/event_packets.h"
#include "structure_fixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

const std::vector<StructOp> &moveOps()
{
    static const std::vector<StructOp> ops = {
        {"plain move", [](TPaper &p, TFlowImage *f) { return eventLayerMove(p, f, 5, 7, 0, true); }},
        {"grown move right",
         [](TPaper &p, TFlowImage *f) { return eventLayerMove(p, f, 2, 10, 0, true); }},
        {"grown move up and left",
         [](TPaper &p, TFlowImage *f) { return eventLayerMove(p, f, 2, -7, -5, true); }},
        {"group move", [](TPaper &p, TFlowImage *f) { return eventLayerMove(p, f, 1, 4, 3, true); }},
        {"link move", [](TPaper &p, TFlowImage *f) { return eventLayerMove(p, f, 4, -6, 2, true); }},
        {"plain move with the selection",
         [](TPaper &p, TFlowImage *f) { return eventLayerSelectMove(p, f, 5, 0, {-9, 0}, true); }},
        {"grown move with the selection",
         [](TPaper &p, TFlowImage *f) { return eventLayerSelectMove(p, f, 2, 0, {6, 2}, true); }},
        {"group move with the selection",
         [](TPaper &p, TFlowImage *f) { return eventLayerSelectMove(p, f, 1, 0, {-3, 4}, true); }},
        {"link move with the selection",
         [](TPaper &p, TFlowImage *f) { return eventLayerSelectMove(p, f, 0, 0, {5, 0}, true); }},
    };
    return ops;
}

// The fixed part of the last packet of group/code read as T.
template <class T> bool lastPacketAs(StructSession &s, uint8_t group, uint8_t code, T &out)
{
    const std::vector<uint8_t> body = lastPacketOf(s, group, code);
    if (body.size() < sizeof(T))
        return false;
    std::memcpy(&out, body.data(), sizeof(T));
    return true;
}

} // namespace

TEST(LayerMove, APaperSizedLayerMovedRightGrowsOnTheLeft)
{
    LiveReplayApp app;
    StructSession s{1};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    CLayerData &before = *p.getLayerData(2);
    EXPECT_EQ(calcLayerMoveState(p, before, 10, 0), 1);
    EXPECT_EQ(calcLayerMoveState(p, before, 0, -1), 2);
    EXPECT_EQ(calcLayerMoveState(p, before, 3, 3), 3);
    const uint32_t c = 0xFF123456u;
    setPaperPixel(p, 2, 0, 4, c);
    ASSERT_TRUE(eventLayerMove(p, s.flow(), 2, 10, 0, true));
    const CLayerData &ld = *p.getLayerData(2);
    EXPECT_EQ(ld.imageTC->width(), kStructPaper.x + 10);
    EXPECT_EQ(ld.imageTC->height(), kStructPaper.y);
    EXPECT_EQ(ld.viewPos, (sPos{0, 0}));
    EXPECT_EQ(paperPixel(p, 2, 10, 4), c);
    EXPECT_EQ(paperPixel(p, 2, 5, 4) >> 24, 0u); // the new part is empty
    SEvLayerMoveEx pk;
    ASSERT_TRUE(lastPacketAs(s, 4, 7, pk));
    EXPECT_EQ(pk.f, 1);
    EXPECT_EQ(pk.ver, 1);
    EXPECT_EQ(pk.ofs, (sPos{10, 0}));
}

TEST(LayerMove, GrowthFollowsTheSignOfTheOffsetOnEachAxis)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && structureStart(*doc.paper, 2));
    const CLayerData &ld = *doc.paper->getLayerData(2);
    const struct
    {
        sPos ofs;
        int32_t state;
        sPos pos;
        sSize size;
        sPos placed;
    } cases[] = {
        {{10, 0}, 1, {0, 0}, {58, 40}, {10, 0}},
        {{-10, 0}, 1, {10, 0}, {58, 40}, {0, 0}},
        {{0, 6}, 2, {0, 0}, {48, 46}, {0, 6}},
        {{4, -6}, 3, {0, 6}, {52, 46}, {4, 0}},
        {{4, -6}, 1, {0, 6}, {52, 40}, {4, 0}},
    };
    for (const auto &c : cases) {
        sPos pos;
        sSize size;
        sBox box;
        ASSERT_TRUE(layerMoveGeometry(ld, pos, size, c.ofs.y, c.ofs.x, c.state, box));
        EXPECT_EQ(pos, c.pos);
        EXPECT_EQ(size, c.size);
        EXPECT_EQ((sPos{box.x, box.y}), c.placed);
    }
    sPos pos;
    sSize size;
    sBox box;
    EXPECT_FALSE(layerMoveGeometry(ld, pos, size, 0, std::numeric_limits<int32_t>::max(), 1, box));
}

TEST(LayerMove, ALayerWiderThanThePaperMovesPlainly)
{
    LiveReplayApp app;
    StructSession s{3};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const uint32_t c = paperPixel(p, 5, 3, 3);
    ASSERT_EQ(calcLayerMoveState(p, *p.getLayerData(5), 20, 0), 0);
    ASSERT_TRUE(eventLayerMove(p, s.flow(), 5, 20, 0, true));
    const CLayerData &ld = *p.getLayerData(5);
    EXPECT_EQ(ld.viewPos, (sPos{0, 0}));
    EXPECT_EQ(ld.imageTC->width(), kStructPaper.x + 40);
    EXPECT_EQ(paperPixel(p, 5, 23, 3), c);
    SEvLayerMove pk;
    ASSERT_TRUE(lastPacketAs(s, 4, 6, pk));
    EXPECT_EQ(pk.ofs, (sPos{20, 0}));
}

TEST(LayerMove, ZeroOffsetsAndRefusedMovesRecordNothing)
{
    LiveReplayApp app;
    StructSession s{4};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = dumpPaperState(p);
    const std::vector<uint8_t> stream = s.stream();
    constexpr int32_t big = std::numeric_limits<int32_t>::max();
    EXPECT_TRUE(eventLayerMove(p, s.flow(), 0, 0, 0, true));
    EXPECT_TRUE(eventLayerSelectMove(p, s.flow(), 0, 0, {0, 0}, true));
    const struct
    {
        const char *name;
        std::function<bool()> run;
    } refused[] = {
        {"bad index", [&] { return eventLayerMove(p, s.flow(), 6, 1, 0, true); }},
        {"growth past 32 bits", [&] { return eventLayerMove(p, s.flow(), 2, big, 0, true); }},
        {"plain move past 32 bits",
         [&] { return eventLayerMove(p, s.flow(), 5, -big, 0, true); }},
        {"bad move state", [&] { return eventLayerMoveEx(p, s.flow(), 2, 4, 1, 0, 1, true); }},
        {"bad mask", [&] { return eventLayerSelectMove(p, s.flow(), 2, 3, {1, 0}, true); }},
        {"group count", [&] { return eventLayerGroupMove(p, s.flow(), 1, 2, {1, 0}, true); }},
        {"group with a bad mask",
         [&] { return eventLayerGroupSelectMove(p, s.flow(), 1, -1, 3, {1, 0}, true); }},
        {"link move of a bad index",
         [&] { return eventLayerLinkMove(p, s.flow(), -1, {1, 0}, true); }},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.run());
    }
    EXPECT_EQ(dumpPaperState(p), before);
    EXPECT_EQ(s.stream(), stream);
}

TEST(LayerMove, AGroupHeadMovesItsMembersGrowingOnlyThoseThatNeedIt)
{
    LiveReplayApp app;
    StructSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const std::vector<int32_t> ids = layerIds(p);
    {
        std::unique_ptr<TUndoLayerList> list = createLayerGroupMoveObj(p, 1, 3, {5, 0});
        ASSERT_TRUE(list);
        ASSERT_EQ(list->size(), 3u);
        EXPECT_TRUE((*list)[0] && (*list)[1]);
        EXPECT_FALSE((*list)[2]); // the wide layer still covers the paper
    }
    ASSERT_TRUE(eventLayerMove(p, s.flow(), 1, 5, 0, true));
    EXPECT_EQ(imageOf(p, 1).width(), kStructPaper.x + 5);
    EXPECT_EQ(imageOf(p, 2).width(), kStructPaper.x + 5);
    EXPECT_EQ(p.getLayerData(3)->uniqueID, ids[3]);
    EXPECT_EQ(p.getLayerData(3)->viewPos, (sPos{15, 0}));
    EXPECT_EQ(p.getLayerData(0)->viewPos, (sPos{0, 0}));
    SEvGroupMove pk;
    ASSERT_TRUE(lastPacketAs(s, 5, 9, pk));
    EXPECT_EQ(pk.d0, 3u);
    EXPECT_EQ(pk.d1, 6u);
}

TEST(LayerMove, ALinkedLayerMovesItsWholeLinkGroup)
{
    LiveReplayApp app;
    StructSession s{6};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerMove(p, s.flow(), 4, 0, -3, true));
    EXPECT_EQ(imageOf(p, 0).height(), kStructPaper.y + 3);
    EXPECT_EQ(imageOf(p, 4).height(), kStructPaper.y + 3);
    EXPECT_EQ(p.getLayerData(0)->viewPos, (sPos{0, 3}));
    EXPECT_EQ(imageOf(p, 2).height(), kStructPaper.y);
    EXPECT_FALSE(lastPacketOf(s, 4, 66).empty());
}

TEST(LayerMove, TheSelectionMovesAlongOnlyWhenItHoldsOne)
{
    LiveReplayApp app;
    for (bool selection : {false, true}) {
        SCOPED_TRACE(selection);
        StructSession s{7, selection};
        ASSERT_TRUE(s.start());
        TPaper &p = s.paper();
        ASSERT_TRUE(eventLayerSelectMove(p, s.flow(), 2, 0, {3, 0}, true));
        EXPECT_EQ(imageOf(p, 2).width(), kStructPaper.x + 3);
        EXPECT_EQ(p.maskMngr().getMask(0)->viewPos, (sPos{selection ? -3 : 0, 0}));
        EXPECT_EQ(lastPacketOf(s, 4, 13).empty(), !selection);
        EXPECT_EQ(lastPacketOf(s, 4, 7).empty(), selection);
        EXPECT_EQ(s.replayDifference(), "");
    }
}

TEST(LayerMove, TheOldestMoveShiftsPixelsInsideThePaper)
{
    LiveReplayApp app;
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper && structureStart(*doc.paper, 8));
    TPaper &p = *doc.paper;
    setPaperPixel(p, 2, 1, 1, 0xFF00FF00u);
    orgEventLayerMove(p, nullptr, 2, 4, 2);
    EXPECT_EQ(imageOf(p, 2).width(), kStructPaper.x);
    EXPECT_EQ(paperPixel(p, 2, 5, 3), 0xFF00FF00u);
}

TEST(LayerMoveUndoRedo, EveryMoveRoundTripsWithTheSameLayers)
{
    for (const StructOp &op : moveOps())
        expectUndoRedoRoundTrip(op);
}

TEST(LayerMoveLiveReplay, EveryMoveReplaysToTheSameDocument)
{
    for (const StructOp &op : moveOps())
        expectOpLiveEqualsReplay(op);
}

TEST(LayerMoveOutOfMemory, AFailedMoveLeavesEverythingAsItWas)
{
    for (const StructOp &op : moveOps())
        if (std::strstr(op.name, "plain") == nullptr)
            expectOutOfMemoryLeavesAll(op);
}
