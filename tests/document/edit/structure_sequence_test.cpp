// Random sequences of the group, link, clipping, merge and move operations, with refused calls
// and interleaved undo and redo, on the document of structure_fixtures.h: after every step the
// stream so far replays to the same document and both histories hold the same number of steps;
// undoing everything gives back the start.
#include "document/edit/layer_attr.h"
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_merge.h"
#include "document/edit/layer_move.h"
#include "structure_fixtures.h"

#include <gtest/gtest.h>

namespace {

using RandomOp = std::function<bool(TPaper &, TFlowImage *, std::mt19937 &)>;

// An index of the list, one past either end now and then.
int32_t anyIndex(const TPaper &p, std::mt19937 &r)
{
    return int32_t(r() % uint32_t(p.getLayerCount() + 2)) - 1;
}

sPos anyOffset(std::mt19937 &r)
{
    return {int32_t(r() % 25) - 12, int32_t(r() % 25) - 12};
}

int32_t anyMask(std::mt19937 &r)
{
    return int32_t(r() % 3) - 1; // the only mask, or a bad index
}

const std::vector<std::pair<const char *, RandomOp>> &randomOps()
{
    static const std::vector<std::pair<const char *, RandomOp>> ops = {
        {"group in or out",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return eventLayerGroup(p, f, anyIndex(p, r), r() % 2 != 0, true);
         }},
        {"group moved",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const int32_t i = anyIndex(p, r);
             return eventLayerGroupInsert(p, f, i, getLayerGroupCount(p, i) + int32_t(r() % 4 == 0),
                                          anyIndex(p, r), true);
         }},
        {"group head deleted",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return eventLayerGroupDelete(p, f, anyIndex(p, r), true);
         }},
        {"whole group deleted",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const int32_t i = p.ActiveLayer();
             return eventGroupDelLayers(p, f, i, getLayerGroupCount(p, i) - int32_t(r() % 4 == 0),
                                        true);
         }},
        {"link",
         [](TPaper &p, TFlowImage *, std::mt19937 &r) {
             return eventLayerLink(p, anyIndex(p, r), anyIndex(p, r), true);
         }},
        {"clipping", [](TPaper &p, TFlowImage *,
                        std::mt19937 &r) { return eventLayerClipping(p, anyIndex(p, r), true); }},
        {"clipping released",
         [](TPaper &p, TFlowImage *, std::mt19937 &r) {
             return eventReleaseClippingGroup(p, anyIndex(p, r), true);
         }},
        {"merge visible",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return eventBindLayerAll(p, f, int32_t(r() % 2), r() % 5, true);
         }},
        {"merge down",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return r() % 2 ? EventLayerCombLower(p, f, anyIndex(p, r), true)
                            : eventLayerBindBelow(p, f, anyIndex(p, r), r() % 5, true);
         }},
        {"merge group",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const int32_t i = anyIndex(p, r);
             return eventLayerGroupBind(p, f, i, getLayerGroupCount(p, i), true);
         }},
        {"merge clipping group",
         [](TPaper &p, TFlowImage *, std::mt19937 &r) {
             return eventBindClippingGroup(p, anyIndex(p, r), true);
         }},
        {"move",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             const sPos o = anyOffset(r);
             return eventLayerMove(p, f, anyIndex(p, r), o.x, o.y, true);
         }},
        {"move with the selection",
         [](TPaper &p, TFlowImage *f, std::mt19937 &r) {
             return eventLayerSelectMove(p, f, anyIndex(p, r), anyMask(r), anyOffset(r), true);
         }},
        {"ungroup all",
         [](TPaper &p, TFlowImage *f, std::mt19937 &) {
             ungroupAllLayers(p, f);
             return true;
         }},
        {"hide or show",
         [](TPaper &p, TFlowImage *, std::mt19937 &r) {
             return EventLayerVisible(p, anyIndex(p, r), r() % 3 != 0, true);
         }},
    };
    return ops;
}

} // namespace

TEST(LayerGroupOpsLiveReplay, RandomSequencesOfStructureOperationsReplayAndUndo)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(100);
    for (int seed = 1; seed <= liveReplayIterations(6); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        StructSession s{uint32_t(seed)};
        ASSERT_TRUE(s.start());
        const QString start = contentOf(s.paper());
        std::mt19937 rng(uint32_t(seed) * 31337u);
        for (int step = 0; step < 30; ++step) {
            std::string what;
            const uint32_t pick = rng() % 10;
            if (pick == 0) {
                what = "undo";
                s.stepUndo();
            } else if (pick == 1) {
                what = "redo";
                s.stepRedo();
            } else {
                if (rng() % 4 == 0)
                    EventLayerActive(s.paper(), s.flow(),
                                     int32_t(rng() % uint32_t(s.paper().getLayerCount())));
                const auto &op = randomOps()[rng() % randomOps().size()];
                what = op.first;
                op.second(s.paper(), s.flow(), rng);
            }
            SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_EQ(s.replayDifference(), "");
        }
        while (s.undo().canUndo())
            ASSERT_TRUE(s.stepUndo());
        EXPECT_EQ(contentOf(s.paper()), start);
    }
}
