// Random sequences of edit operations with interleaved undo and redo: after every step the stream
// recorded so far, replayed onto the same start, gives the same document, and both histories hold
// the same number of steps; undoing everything gives back the start, redoing everything the end.
#include "document/edit/layer_undo.h"
#include "edit_op_table.h"
#include "edit_rig.h"

#include <gtest/gtest.h>

namespace {

struct StepResult
{
    bool recorded = false;
};

// One random step: an operation of the table (now and then after making another layer active,
// which records nothing), an undo or a redo.
StepResult randomStep(EditSession &s, std::mt19937 &rng, std::string &what)
{
    const uint32_t before = s.ev().eventCnt;
    const uint32_t pick = rng() % 10;
    int32_t idx = 0;
    sRect rect;
    if (pick == 0) {
        what = "undo";
        eventLayerUndo(s.paper(), s.flow(), idx, rect);
        return {};
    }
    if (pick == 1) {
        what = "redo";
        eventLayerRedo(s.paper(), s.flow(), idx, rect);
        return {};
    }
    if (rng() % 4 == 0)
        EventLayerActive(s.paper(), s.flow(), int32_t(rng() % uint32_t(s.paper().getLayerCount())));
    const auto &cases = editOpCases();
    const EditOpCase &op = cases[rng() % cases.size()];
    what = op.name;
    op.run(s.paper(), rng);
    return {s.ev().eventCnt != before};
}

} // namespace

TEST(EditOpsLiveReplay, RandomSequencesWithRefusedCallsUndoAndRedo)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(100);
    for (int seed = 1; seed <= liveReplayIterations(8); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EditSession s{uint32_t(seed)};
        ASSERT_TRUE(s.start());
        std::mt19937 rng(uint32_t(seed) * 7919u);
        for (int step = 0; step < 30; ++step) {
            std::string what;
            const StepResult r = randomStep(s, rng, what);
            SCOPED_TRACE("step " + std::to_string(step) + ": " + what);
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_EQ(s.replayDifference(r.recorded), "");
        }
    }
}

TEST(EditOpsUndoRedo, UndoingEverythingGivesTheStartAndRedoingEverythingTheEnd)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(100);
    for (int seed = 1; seed <= liveReplayIterations(8); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        EditSession s{uint32_t(seed)};
        ASSERT_TRUE(s.start());
        std::mt19937 rng(uint32_t(seed) * 104729u);
        // The states between the recorded steps, with the layer objects of each.
        std::vector<QString> states{contentOf(s.paper())};
        std::vector<std::vector<int32_t>> ids{layerIds(s.paper())};
        const auto &cases = editOpCases();
        for (int step = 0; step < 25; ++step) {
            const EditOpCase &op = cases[rng() % cases.size()];
            const int32_t before = s.undo().getUndoCnt();
            op.run(s.paper(), rng);
            ASSERT_TRUE(s.historiesInStep()) << op.name;
            if (s.undo().getUndoCnt() == before)
                continue; // refused, or recorded nothing
            ASSERT_EQ(s.undo().getUndoCnt(), before + 1) << op.name;
            states.push_back(contentOf(s.paper()));
            ids.push_back(layerIds(s.paper()));
        }
        // Most operations of the table change something: a history cut short would show here.
        ASSERT_GT(states.size(), 6u);
        int32_t idx = 0;
        sRect rect;
        for (size_t k = states.size() - 1; k > 0; --k) {
            ASSERT_TRUE(eventLayerUndo(s.paper(), s.flow(), idx, rect)) << "undo to state " << k - 1;
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_EQ(contentOf(s.paper()).toStdString(), states[k - 1].toStdString());
            ASSERT_EQ(layerIds(s.paper()), ids[k - 1]);
        }
        EXPECT_FALSE(eventLayerUndo(s.paper(), s.flow(), idx, rect));
        for (size_t k = 1; k < states.size(); ++k) {
            ASSERT_TRUE(eventLayerRedo(s.paper(), s.flow(), idx, rect)) << "redo to state " << k;
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_EQ(contentOf(s.paper()).toStdString(), states[k].toStdString());
            ASSERT_EQ(layerIds(s.paper()), ids[k]);
        }
        EXPECT_EQ(s.replayDifference(false), "");
    }
}
