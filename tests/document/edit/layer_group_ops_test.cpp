// Groups, links and clipping: what each operation changes and records, what it refuses, its undo
// and its replay.
#include "document/edit/layer_attr.h"
#include "document/edit/layer_group_ops.h"
#include "document/events/event_packets.h"
#include "structure_fixtures.h"

#include <gtest/gtest.h>

namespace {

std::vector<int32_t> levels(const TPaper &p)
{
    std::vector<int32_t> v;
    for (int32_t i = 0; i < p.getLayerCount(); ++i)
        v.push_back(p.getLayerData(i)->groupLevel);
    return v;
}

const std::vector<StructOp> &groupOps()
{
    static const std::vector<StructOp> ops = {
        {"into a group",
         [](TPaper &p, TFlowImage *f) { return eventLayerGroup(p, f, 4, true, true); }},
        {"out of a group",
         [](TPaper &p, TFlowImage *f) { return eventLayerGroup(p, f, 3, false, true); }},
        {"group moved to the top",
         [](TPaper &p, TFlowImage *f) { return eventLayerGroupInsert(p, f, 1, 3, 6, true); }},
        {"group moved to the bottom",
         [](TPaper &p, TFlowImage *f) { return eventLayerGroupInsert(p, f, 1, 3, 0, true); }},
        {"group head deleted",
         [](TPaper &p, TFlowImage *f) { return eventLayerGroupDelete(p, f, 1, true); }},
        {"whole group deleted",
         [](TPaper &p, TFlowImage *f) {
             EventLayerActive(p, f, 1);
             return eventGroupDelLayers(p, f, 1, 3, true);
         }},
        {"link", [](TPaper &p, TFlowImage *) { return eventLayerLink(p, 0, 5, true); }},
        {"unlink", [](TPaper &p, TFlowImage *) { return eventLayerLink(p, 4, 0, true); }},
        {"clipping on", [](TPaper &p, TFlowImage *) { return eventLayerClipping(p, 4, true); }},
        {"clipping off", [](TPaper &p, TFlowImage *) { return eventLayerClipping(p, 3, true); }},
        {"clipping group released",
         [](TPaper &p, TFlowImage *) { return eventReleaseClippingGroup(p, 3, true); }},
    };
    return ops;
}

} // namespace

TEST(LayerGroupOps, IntoAGroupAndOutAgainRecordMirroredTables)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{1};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const std::vector<int32_t> start = levels(p);
    ASSERT_TRUE(eventLayerGroup(p, s.flow(), 4, true, true));
    const std::vector<int32_t> in = levels(p);
    EXPECT_EQ(in, (std::vector<int32_t>{0, 0, 1, 1, 1, 0}));
    ASSERT_TRUE(eventLayerGroup(p, s.flow(), 4, false, true));
    EXPECT_EQ(levels(p), start);

    const std::vector<uint8_t> a = lastPacketOf(s, 5, 0), b = lastPacketOf(s, 5, 1);
    const size_t head = sizeof(SEvLinkLevel), n = 6;
    ASSERT_EQ(a.size(), head + 2 * n);
    ASSERT_EQ(b.size(), head + 2 * n);
    // The before table of one is the after table of the other.
    EXPECT_TRUE(std::equal(a.begin() + head, a.begin() + head + n, b.begin() + head + n));
    EXPECT_TRUE(std::equal(a.begin() + head + n, a.end(), b.begin() + head));
    EXPECT_EQ(a[head + n + 4], 1);

    ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(levels(p), in);
    ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(levels(p), start);
    EXPECT_TRUE(s.historiesInStep());
}

TEST(LayerGroupOps, DeletingAHeadKeepsItsMembersOneLevelShallower)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{2};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const std::vector<int32_t> ids = layerIds(p);
    ASSERT_TRUE(eventLayerGroupDelete(p, s.flow(), 1, true));
    EXPECT_EQ(layerIds(p), (std::vector<int32_t>{ids[0], ids[2], ids[3], ids[4], ids[5]}));
    EXPECT_EQ(levels(p), (std::vector<int32_t>{0, 0, 0, 0, 0}));
    ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(layerIds(p), ids);
    EXPECT_EQ(levels(p), (std::vector<int32_t>{0, 0, 1, 1, 0, 0}));
    // A layer heading nothing is deleted as any layer.
    ASSERT_TRUE(eventLayerGroupDelete(p, s.flow(), 5, true));
    EXPECT_EQ(p.getLayerCount(), 5);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST(LayerGroupOps, RefusedCallsChangeAndRecordNothing)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{3};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = dumpPaperState(p);
    const std::vector<uint8_t> stream = s.stream();
    const struct
    {
        const char *name;
        std::function<bool()> run;
    } refused[] = {
        {"group of a bad index", [&] { return eventLayerGroup(p, s.flow(), 9, true, true); }},
        {"bottom layer into a group", [&] { return eventLayerGroup(p, s.flow(), 0, true, true); }},
        {"level-0 layer out", [&] { return eventLayerGroup(p, s.flow(), 5, false, true); }},
        {"group move with a wrong count",
         [&] { return eventLayerGroupInsert(p, s.flow(), 1, 2, 6, true); }},
        {"group move into itself",
         [&] { return eventLayerGroupInsert(p, s.flow(), 1, 3, 2, true); }},
        {"whole group with a wrong count",
         [&] {
             EventLayerActive(p, s.flow(), 1);
             return eventGroupDelLayers(p, s.flow(), 1, 2, true);
         }},
        {"whole group while the active layer heads none",
         [&] {
             EventLayerActive(p, s.flow(), 0);
             return eventGroupDelLayers(p, s.flow(), 1, 3, true);
         }},
        {"link of a bad index", [&] { return eventLayerLink(p, 0, 6, true); }},
        {"link with itself", [&] { return eventLayerLink(p, 2, 2, true); }},
        {"clipping of a bad index", [&] { return eventLayerClipping(p, -1, true); }},
        {"release of a bad index", [&] { return eventReleaseClippingGroup(p, 6, true); }},
    };
    for (const auto &c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.run());
        EXPECT_EQ(dumpPaperState(p).remove(QRegularExpression("active=\\d+")),
                  QString(before).remove(QRegularExpression("active=\\d+")));
        EXPECT_EQ(s.stream(), stream);
    }
}

TEST(LayerGroupOps, AGroupSpanningEveryLayerCannotBeDeletedWhole)
{
    LiveReplayApp app;
    StructSession s{4};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    for (int32_t i = 1; i < p.getLayerCount(); ++i)
        p.getLayerData(i)->setGroupLevel(1);
    EventLayerActive(p, s.flow(), 0);
    EXPECT_EQ(getActiveLayerGroupCount(p), 6);
    EXPECT_FALSE(canGroupDelLayers(p, 0));
    EXPECT_FALSE(eventGroupDelLayers(p, s.flow(), 0, 6, true));
    EXPECT_EQ(p.getLayerCount(), 6);
    // A group inside it is less than every layer.
    p.getLayerData(2)->setGroupLevel(2);
    EventLayerActive(p, s.flow(), 1);
    EXPECT_TRUE(canGroupDelLayers(p, 1));
}

TEST(LayerGroupOps, LinkingALinkedPairUnlinksIt)
{
    LiveReplayApp app;
    StructSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(isLinked(p, 0, 4));
    ASSERT_TRUE(eventLayerLink(p, 4, 0, true));
    EXPECT_FALSE(isLinked(p, 0, 4));
    EXPECT_FALSE(lastPacketOf(s, 4, 65).empty());
    EXPECT_TRUE(lastPacketOf(s, 4, 64).empty());
    ASSERT_TRUE(eventLayerLink(p, 5, 2, true));
    EXPECT_TRUE(isLinked(p, 2, 5));
    EXPECT_FALSE(lastPacketOf(s, 4, 64).empty());
    EXPECT_EQ(s.replayDifference(), "");
}

TEST(LayerGroupOps, ClippingTogglesAndReleasing)
{
    LiveReplayApp app;
    StructSession s{6};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerClipping(p, 4, true));
    EXPECT_TRUE(p.getLayerData(4)->getUnderLyrClip());
    // Layers 3 and 4 are clipped to 2; releasing from either frees both, the base keeps its flag.
    ASSERT_TRUE(eventReleaseClippingGroup(p, 4, true));
    EXPECT_FALSE(p.getLayerData(3)->getUnderLyrClip());
    EXPECT_FALSE(p.getLayerData(4)->getUnderLyrClip());
    EXPECT_FALSE(p.getLayerData(2)->getUnderLyrClip());
    // A bottom layer flagged as clipped has nothing to clip to: releasing clears its flag.
    p.getLayerData(0)->ChangeUnderLyrClip(true);
    EXPECT_FALSE(eventReleaseClippingGroup(p, 0, true));
    EXPECT_FALSE(p.getLayerData(0)->getUnderLyrClip());
    EXPECT_FALSE(lastPacketOf(s, 4, 54).empty());
}

TEST(LayerGroupOps, UngroupingAllGivesEveryLayerItsEffectiveOpacityAndLevelZero)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(20);
    StructSession s{7};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    p.getLayerData(2)->trans = 128;
    const QString before = contentOf(p);
    ungroupAllLayers(p, s.flow());
    EXPECT_EQ(levels(p), (std::vector<int32_t>{0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(p.getLayerData(1)->trans, 128);
    EXPECT_EQ(p.getLayerData(2)->trans, 64);  // 128 under a head of 128
    EXPECT_EQ(p.getLayerData(3)->trans, 128); // 255 under the same head
    EXPECT_EQ(s.undo().getUndoCnt(), 4);
    EXPECT_TRUE(s.historiesInStep());
    EXPECT_EQ(s.replayDifference(), "");
    while (s.undo().canUndo())
        ASSERT_TRUE(s.stepUndo());
    EXPECT_EQ(contentOf(p), before);
}

TEST(LayerGroupOpsUndoRedo, EveryOperationRoundTrips)
{
    for (const StructOp &op : groupOps())
        expectUndoRedoRoundTrip(op);
}

TEST(LayerGroupOpsLiveReplay, EveryOperationReplaysToTheSameDocument)
{
    for (const StructOp &op : groupOps())
        expectOpLiveEqualsReplay(op);
}

TEST(LayerGroupOpsUndoRedo, ReleasingAFlaggedBottomLayerRedoesWithoutTheFlag)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    StructSession s{8};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerClipping(p, 0, true));
    eventReleaseClippingGroup(p, 0, true);
    ASSERT_FALSE(p.getLayerData(0)->getUnderLyrClip());
    ASSERT_TRUE(s.stepUndo());
    EXPECT_TRUE(p.getLayerData(0)->getUnderLyrClip());
    ASSERT_TRUE(s.stepRedo());
    EXPECT_FALSE(p.getLayerData(0)->getUnderLyrClip());
    EXPECT_EQ(s.replayDifference(), "");
}
