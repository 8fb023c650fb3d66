// The selection mask operations: the combination keys, the list commands and their refusals,
// growth at the mask image's edge, and for every recording operation the undo/redo round trip,
// the replay of its events and what running out of memory leaves.
#include "core/tiles/block_channel.h"
#include "document/edit/layer_move.h"
#include "document/selection/colour_range.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/seed_fill_ops.h"
#include "document/undo/undo_stock.h"
#include "selection_rig.h"
#include "support/block_memory.h"

#include <gtest/gtest.h>

namespace {

using enum eMaskAddType;

struct SelectionOpCase
{
    const char *name;
    std::function<bool(SelectionSession &s)> run;
    // What must hold before the operation, done through recorded operations too.
    std::function<bool(SelectionSession &s)> prepare = [](SelectionSession &) { return true; };
};

// Every recording selection operation, each from the session's start.
const std::vector<SelectionOpCase> &selectionOpCases()
{
    static const std::vector<SelectionOpCase> cases = {
        {"select all", [](SelectionSession &s) { return eventSelectAll(s.paper(), s.flow(), 0, true); }},
        {"delete", [](SelectionSession &s) { return eventSelectDelete(s.paper(), s.flow(), 0, true); }},
        {"invert", [](SelectionSession &s) { return eventSelectInvert(s.paper(), s.flow(), 0, true); }},
        {"make current",
         [](SelectionSession &s) { return eventSelectActivate(s.paper(), s.flow(), 0, 0, true); }},
        {"make current past the end",
         [](SelectionSession &s) { return eventSelectActivate(s.paper(), s.flow(), 0, 2, true); }},
        {"rename",
         [](SelectionSession &s) { return eventSelectName(s.paper(), s.flow(), 0, 1, "選択の名前", true); }},
        {"insert after the current",
         [](SelectionSession &s) { return eventSelectInsert(s.paper(), s.flow(), 0, -1, true); }},
        {"insert at the bottom",
         [](SelectionSession &s) { return eventSelectInsert(s.paper(), s.flow(), 0, 0, true); }},
        {"remove", [](SelectionSession &s) { return eventSelectRemove(s.paper(), s.flow(), 0, 0, true); }},
        {"duplicate",
         [](SelectionSession &s) { return eventSelectDuplicate(s.paper(), s.flow(), 0, -1, true); }},
        {"move in the list",
         [](SelectionSession &s) { return eventSelectMove(s.paper(), s.flow(), 0, 0, 1, true); }},
        {"combine by adding",
         [](SelectionSession &s) { return eventSelectBind(s.paper(), s.flow(), 0, 0, 1, matAdd, true); }},
        {"combine by subtracting",
         [](SelectionSession &s) { return eventSelectBind(s.paper(), s.flow(), 0, 2, 1, matSub, true); },
         [](SelectionSession &s) {
             return eventSelectDuplicate(s.paper(), s.flow(), 0, -1, true) &&
                    eventSelectInflate(s.paper(), s.flow(), 0, -1, false, true);
         }},
        {"from layer values",
         [](SelectionSession &s) {
             return eventSelectFromLayer(s.paper(), s.flow(), 2, 0, eMaskLayerConv::mlcValue,
                                         matNew, true);
         }},
        {"grow by one pixel",
         [](SelectionSession &s) { return eventSelectInflate(s.paper(), s.flow(), 0, -1, true, true); }},
        {"shrink by one pixel",
         [](SelectionSession &s) { return eventSelectInflate(s.paper(), s.flow(), 0, -1, false, true); }},
        {"grow, second generation",
         [](SelectionSession &s) { return eventSelectInflate2(s.paper(), s.flow(), 0, -1, true, true); }},
        {"mask to alpha",
         [](SelectionSession &s) { return eventSelectCopyLayerMask(s.paper(), s.flow(), 3, 1, true); }},
        {"hide", [](SelectionSession &s) { return !eventMaskVisible(s.paper(), false, true); }},
        {"disable", [](SelectionSession &s) { return !eventMaskEnable(s.paper(), false, true); }},
        // Undone, these give back the selection hidden and disabled as it was.
        {"select all while hidden and disabled",
         [](SelectionSession &s) { return eventSelectAll(s.paper(), s.flow(), 0, true); },
         [](SelectionSession &s) {
             return !eventMaskVisible(s.paper(), false, true) &&
                    !eventMaskEnable(s.paper(), false, true);
         }},
        {"a mask from a layer while hidden",
         [](SelectionSession &s) {
             return eventSelectFromLayer(s.paper(), s.flow(), 2, 0, eMaskLayerConv::mlcMask,
                                         matNew, true);
         },
         [](SelectionSession &s) { return !eventMaskVisible(s.paper(), false, true); }},
        // The undone insert gave its title number back: this one takes the same.
        {"insert after an undone insert",
         [](SelectionSession &s) { return eventSelectInsert(s.paper(), s.flow(), 0, -1, true); },
         [](SelectionSession &s) {
             return eventSelectInsert(s.paper(), s.flow(), 0, -1, true) && s.undoStep();
         }},
        // Neither end of the move is the current mask.
        {"move a mask other than the current",
         [](SelectionSession &s) { return eventSelectMove(s.paper(), s.flow(), 0, 2, 0, true); },
         [](SelectionSession &s) {
             return eventSelectDuplicate(s.paper(), s.flow(), 0, -1, true) &&
                    s.paper().getActiveMaskIndex() == 1;
         }},
        {"move the mask",
         [](SelectionSession &s) { return eventMoveActiveMask(s.paper(), {3, -2}, true); }},
        {"grow by 3", [](SelectionSession &s) { return growSelection(s.paper(), 0, -1, 3, 0, true); }},
        {"shrink by 1", [](SelectionSession &s) { return shrinkSelection(s.paper(), 0, 1, 1, 0, true); }},
        {"fill a rectangle",
         [](SelectionSession &s) {
             s.paper().getActiveStroke()->m_drawColor = 0xFF3366CC;
             return eventFillRect(s.paper(), s.flow(), 0, {0.5f, 1}, {46, 38.25f}, true, true);
         }},
        {"fill the layer",
         [](SelectionSession &s) {
             return eventFillAll(s.paper(), s.flow(), 1, 0xFF20A040, true, true);
         }},
        {"fill a polygon",
         [](SelectionSession &s) {
             const sFPos pts[] = {{2, 2}, {30, 5.5f}, {25, 33}, {6, 20}};
             return eventFillPolygon(s.paper(), s.flow(), 3, pts, true);
         }},
        {"fill an ellipse",
         [](SelectionSession &s) {
             return eventFillEllipse(s.paper(), s.flow(), 2, 1, {-6, 5}, {30, 44}, true);
         }},
        {"fill an ellipse of the older geometry",
         [](SelectionSession &s) {
             return eventFillEllipse(s.paper(), s.flow(), 2, 0, {-6, 5}, {30, 44}, true);
         }},
        {"fill with the gradient",
         [](SelectionSession &s) {
             return eventLayerGradation(s.paper(), s.flow(), 0, {0, 0}, {40, 30}, false, true);
         }},
        {"select a rectangle, adding",
         [](SelectionSession &s) {
             return eventSelectRect(s.paper(), s.flow(), 0, {5, 5}, {20.5f, 12}, matAdd, true);
         }},
        {"select a polygon",
         [](SelectionSession &s) {
             const sFPos pts[] = {{1, 1}, {40, 8}, {12, 37}};
             return eventSelectPolygon(s.paper(), s.flow(), 1, pts, matNew, true);
         }},
        {"select an ellipse, subtracting",
         [](SelectionSession &s) {
             return eventSelectEllipse(s.paper(), s.flow(), 0, 1, {0, 0}, {30, 25}, matSub, true);
         }},
        {"select an older ellipse, intersecting",
         [](SelectionSession &s) {
             return eventSelectEllipse(s.paper(), s.flow(), 0, 0, {4, 2}, {47, 39}, matAnd, true);
         }},
        {"colour range of the layer",
         [](SelectionSession &s) {
             const SPicCol picks[] = {{0xFFFFFFFF, 1, 200, 0}, {0xFF000000, 0, 40, 0}};
             SColorMask param;
             param.cnt = 2;
             return applyColorRange(s.paper(), s.flow(), 0, 0, param, picks, true) &&
                    s.undo().getUndoCnt() > 1;
         }},
        {"colour range of the display image",
         [](SelectionSession &s) {
             const SPicCol picks[] = {{0xFFFFFFFF, 1, 60, 0}};
             SColorMask param;
             param.cnt = 1;
             param.isVRAM = 1;
             return applyColorRange(s.paper(), s.flow(), 0, 0, param, picks, true) &&
                    s.undo().getUndoCnt() > 1;
         }},
        {"split off the selected part",
         [](SelectionSession &s) {
             return eventSelectSplitLayer(s.paper(), s.flow(), 1, -1, 0, false, true) &&
                    s.paper().getLayerCount() == 5;
         }},
        {"split a copy, the newer rule",
         [](SelectionSession &s) {
             return eventSelectSplitLayer(s.paper(), s.flow(), 3, 1, 1, true, true) &&
                    s.paper().ActiveLayer() == 4;
         }},
        {"cut the selected part",
         [](SelectionSession &s) { return eventEditCutLayer(s.paper(), s.flow(), 1, -1, true); }},
        // The bucket fills and wands, with no selection or a rectangle of it.
        {"seed fill",
         [](SelectionSession &s) {
             return eventSeedFill(s.paper(), s.flow(), 0, {20, 20}, false, false, true);
         },
         [](SelectionSession &s) { return eventSelectActivate(s.paper(), s.flow(), 0, 0, true); }},
        {"seed fill inside a selected rectangle",
         [](SelectionSession &s) {
             return eventSeedFill(s.paper(), s.flow(), 0, {20, 20}, true, false, true);
         },
         [](SelectionSession &s) {
             return eventSelectRect(s.paper(), s.flow(), 0, {5, 5}, {30, 28}, matNew, true);
         }},
        {"magic wand, adding",
         [](SelectionSession &s) {
             return eventMagicWand(s.paper(), s.flow(), 0, {20, 20}, matAdd, false, true);
         }},
        {"flood fill",
         [](SelectionSession &s) {
             return eventFloodFill(s.paper(), s.flow(), 0, {20, 20}, false, false, true, -1, -1);
         },
         [](SelectionSession &s) { return eventSelectActivate(s.paper(), s.flow(), 0, 0, true); }},
        {"flood-fill wand",
         [](SelectionSession &s) {
             return eventMagicWand2(s.paper(), s.flow(), 0, {20, 20}, matNew, true, true, 0, 20);
         }},
        // A layer reaching past the paper's left and top edges goes through the Ex variants.
        {"seed fill on a layer past the paper",
         [](SelectionSession &s) {
             return eventSeedFill(s.paper(), s.flow(), 4, {30, 20}, false, false, true);
         },
         [](SelectionSession &s) {
             TPaper &p = s.paper();
             return eventLayerAdd(p, s.flow(), 4, 70, 52, TLayerMode::LM_STD, 255, true, true) &&
                    eventLayerMove(p, s.flow(), 4, -10, -6, true) &&
                    p.getLayerData(4)->viewPos.x > 0 &&
                    eventSelectActivate(p, s.flow(), 4, 0, true);
         }},
        {"magic wand on a layer past the paper",
         [](SelectionSession &s) {
             return eventMagicWand(s.paper(), s.flow(), 4, {30, 20}, matNew, false, true);
         },
         [](SelectionSession &s) {
             TPaper &p = s.paper();
             return eventLayerAdd(p, s.flow(), 4, 70, 52, TLayerMode::LM_STD, 255, true, true) &&
                    eventLayerMove(p, s.flow(), 4, -10, -6, true) &&
                    p.getLayerData(4)->viewPos.x > 0;
         }},
        {"crop a mask past the paper",
         [](SelectionSession &s) {
             return eventSelectCutOutside(s.paper(), s.flow(), 4, -1, true) &&
                    !isActiveMaskExtend(s.paper());
         },
         [](SelectionSession &s) {
             TPaper &p = s.paper();
             return eventLayerAdd(p, s.flow(), 4, 70, 52, TLayerMode::LM_STD, 255, true, true) &&
                    eventSelectAll(p, s.flow(), 4, true) && isActiveMaskExtend(p);
         }},
    };
    return cases;
}

} // namespace

TEST(SelectionMask, CombinationFollowsTheKeysOfBothShortcutSets)
{
    struct Row
    {
        bool shift, ctrl, alt;
        eMaskAddType fresh, old;
    };
    const Row rows[] = {
        {true, false, false, matAdd, matAdd}, {true, false, true, matAnd, matAdd},
        {true, true, false, matAdd, matAnd},  {false, false, true, matSub, matNew},
        {false, true, false, matNew, matSub}, {false, false, false, matNew, matNew},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << r.shift << r.ctrl << r.alt);
        EXPECT_EQ(maskAddTypeForKeys(r.shift, r.ctrl, r.alt, false), r.fresh);
        EXPECT_EQ(maskAddTypeForKeys(r.shift, r.ctrl, r.alt, true), r.old);
    }
    LiveReplayApp app;
    EditSession s{1};
    ASSERT_TRUE(s.start());
    // Nothing selected: whatever the keys, a new selection.
    EXPECT_EQ(getMaskAddType(s.paper()), matNew);
}

TEST(SelectionMask, SelectAllOnALayerLargerThanThePaperSelectsTheWholeLayer)
{
    LiveReplayApp app;
    EditSession s{2};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventLayerAdd(p, s.flow(), 4, 70, 52, TLayerMode::LM_STD, 255, true, true));
    p.getLayerData(4)->viewPos = {10, 6};
    ASSERT_TRUE(eventSelectAll(p, s.flow(), 4, true));
    const CMaskData &md = *p.getActiveMaskData();
    sRect r;
    ASSERT_TRUE(md.getMaskEnbRect(r));
    EXPECT_EQ(r.x0, -10);
    EXPECT_EQ(r.y0, -6);
    EXPECT_EQ(r.x1, 60);
    EXPECT_EQ(r.y1, 46);
    EXPECT_TRUE(p.bVisMask);
    EXPECT_TRUE(p.bEnbMask);
    EXPECT_TRUE(isActiveMaskExtend(p));
}

TEST(SelectionMask, ListCommandsRefuseWhatTheyCannotDo)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{3};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString start = dumpPaperState(p);
    const std::vector<uint8_t> stream = s.stream();
    struct Case
    {
        const char *what;
        std::function<bool()> call;
    };
    const Case cases[] = {
        {"remove the last mask", [&] { return eventSelectRemove(p, s.flow(), 0, 0, true); }},
        {"delete without a selection", [&] { return eventSelectDelete(p, s.flow(), 0, true); }},
        {"invert without a selection", [&] { return eventSelectInvert(p, s.flow(), 0, true); }},
        {"grow without a selection", [&] { return growSelection(p, 0, -1, 2, 0, true); }},
        {"move the empty mask", [&] { return eventMoveActiveMask(p, {1, 1}, true); }},
        {"make current two past the end",
         [&] { return eventSelectActivate(p, s.flow(), 0, 2, true); }},
        {"rename a missing mask", [&] { return eventSelectName(p, s.flow(), 0, 3, "x", true); }},
        {"insert past the end", [&] { return eventSelectInsert(p, s.flow(), 0, 5, true); }},
        {"move onto itself", [&] { return eventSelectMove(p, s.flow(), 0, 0, 0, true); }},
        {"combine type 4",
         [&] { return eventSelectBind(p, s.flow(), 0, 0, 0, eMaskAddType(4), true); }},
        {"from a missing layer",
         [&] {
             return eventSelectFromLayer(p, s.flow(), 9, -1, eMaskLayerConv::mlcMask, matNew, true);
         }},
        {"from layer, conversion 2",
         [&] { return eventSelectFromLayer(p, s.flow(), 0, -1, eMaskLayerConv(2), matNew, true); }},
        {"mask to alpha of a missing mask",
         [&] { return eventSelectCopyLayerMask(p, s.flow(), 0, 4, true); }},
        {"select all on a missing layer", [&] { return eventSelectAll(p, s.flow(), 4, true); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(c.call());
        EXPECT_EQ(dumpPaperState(p).toStdString(), start.toStdString());
        EXPECT_EQ(s.stream(), stream);
    }
}

TEST(SelectionMask, GrowthBeyondTheMaskImageNeedsTheSecondGeneration)
{
    LiveReplayApp app;
    EditSession s{4};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    CMaskMngr &mm = p.maskMngr();
    // A 10 x 8 mask whose selection touches its right edge.
    auto select = [&] {
        TChannel ch(10, 8);
        ch.PixelFill(0);
        ch.fillBox(6, 2, 4, 3, 255);
        std::unique_ptr<CMaskData> old;
        ASSERT_TRUE(mm.replaceMask(0, ch, {10, 8}, {-5, -5}, old, matNew));
    };
    select();
    ASSERT_TRUE(eventSelectInflate(p, s.flow(), 0, -1, true, false));
    const CMaskData *md = p.getActiveMaskData();
    EXPECT_EQ(md->maskTC->width(), 10);
    EXPECT_EQ(md->getMaskValue(5 + 9, 5 + 1), 255); // grown upwards inside the image
    EXPECT_EQ(md->getMaskValue(5 + 10, 5 + 2), -1); // not past the image
    select();
    ASSERT_TRUE(eventSelectInflate2(p, s.flow(), 0, -1, true, false));
    md = p.getActiveMaskData();
    EXPECT_EQ(md->maskTC->width(), 11);
    EXPECT_EQ(md->maskTC->height(), 8);
    EXPECT_EQ(md->getMaskValue(5 + 10, 5 + 3), 255); // the new column
    EXPECT_EQ(md->getMaskValue(5 + 6, 5 + 2), 255);  // still at its document position
    EXPECT_EQ(md->getMaskValue(5 + 4, 5 + 3), 0);
}

TEST(SelectionMask, DeleteWithoutARecordDiscardsTheHistoryButAFailedOneKeepsIt)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_GT(s.undo().getUndoCnt(), 0);
    // Nothing selected in mask 0: the delete fails and the history stays.
    ASSERT_TRUE(eventSelectActivate(p, s.flow(), 0, 0, true));
    const int32_t kept = s.undo().getUndoCnt();
    EXPECT_FALSE(eventSelectDelete(p, s.flow(), 0, false));
    EXPECT_EQ(s.undo().getUndoCnt(), kept);
    // A replayed delete changes the mask without a record: nothing may step back over it.
    ASSERT_TRUE(eventSelectActivate(p, s.flow(), 0, 1, false));
    EXPECT_TRUE(eventSelectDelete(p, s.flow(), 0, false));
    EXPECT_FALSE(hasActiveMaskImage(p));
    EXPECT_EQ(s.undo().getUndoCnt(), 0);
    EXPECT_EQ(s.undo().getRedoCnt(), 0);
}

TEST(SelectionMask, SplitMovesOrCopiesTheSelectedPart)
{
    LiveReplayApp app;
    EditSession s{12};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    CBlockVMTC &img = *p.getLayerData(1)->imageTC;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x)
            img.setPixel(x, y, 0xFF406080);
    ASSERT_TRUE(eventSelectRect(p, s.flow(), 1, {4, 4}, {9, 9}, matNew, true));
    ASSERT_TRUE(eventSelectSplitLayer(p, s.flow(), 1, -1, 0, true, true));
    EXPECT_EQ(p.ActiveLayer(), 2);
    EXPECT_EQ(p.getLayerData(2)->imageTC->getColor(6, 6), 0xFF406080u);
    EXPECT_EQ(p.getLayerData(2)->imageTC->getColor(20, 20) >> 24, 0u);
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(6, 6), 0xFF406080u); // copied: kept
    ASSERT_TRUE(eventSelectSplitLayer(p, s.flow(), 1, -1, 0, false, true));
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(6, 6) >> 24, 0u); // moved: gone
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(20, 20), 0xFF406080u);
    // Refused while the selection is disabled or the layer hidden.
    eventMaskEnable(p, false, true);
    EXPECT_FALSE(eventSelectSplitLayer(p, s.flow(), 1, -1, 0, false, true));
}

TEST(SelectionMaskOutOfMemory, AFailedSplitInsertLeavesBothLayersAsTheyWere)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{13};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    // The list is full: the insert fails after the copy was made.
    CLayerMngr &lm = p.layerMngr();
    const QString before = dumpPaperState(p);
    for (int commits = 0; commits < 60; ++commits) {
        {
            const ScopedBlockMemoryLimit limit(commits);
            if (eventSelectSplitLayer(p, s.flow(), 1, -1, 0, false, true))
                break;
        }
        ASSERT_EQ(dumpPaperState(p).toStdString(), before.toStdString()) << commits;
    }
    EXPECT_EQ(lm.getLayerCount(), 5);
}

TEST(SelectionMask, ACutWhoseClipboardFailsChangesNothing)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{14};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = dumpPaperState(p);
    const std::vector<uint8_t> stream = s.stream();
    s.live.owner.clipboardWorks = false;
    EXPECT_FALSE(eventEditCutLayer(p, s.flow(), 1, -1, true));
    EXPECT_EQ(dumpPaperState(p).toStdString(), before.toStdString());
    EXPECT_EQ(s.stream(), stream);
    // A replayed cut does not ask the clipboard.
    EXPECT_TRUE(eventEditCutLayer(p, s.flow(), 1, -1, false));
    EXPECT_NE(dumpPaperState(p), before);
}

TEST(SelectionMask, InsertAfterTheCurrentMaskMakesTheNewOneCurrent)
{
    LiveReplayApp app;
    SelectionSession s{6};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventSelectActivate(p, s.flow(), 0, 0, true));
    ASSERT_TRUE(eventSelectInsert(p, s.flow(), 0, -1, true));
    EXPECT_EQ(getMaskCount(p), 3);
    EXPECT_EQ(p.getActiveMaskIndex(), 1);
    EXPECT_FALSE(hasActiveMaskImage(p));
    EXPECT_TRUE(CMaskData::hasMask(getMaskData(p, 2)));
}

TEST(SelectionMaskUndoRedo, EveryOperationUndoesAndRedoesToTheSameMasks)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(20);
    for (const SelectionOpCase &c : selectionOpCases()) {
        SCOPED_TRACE(c.name);
        SelectionSession s{7};
        ASSERT_TRUE(s.start());
        ASSERT_TRUE(c.prepare(s));
        const QString before = contentOf(s.paper());
        const int32_t steps = s.undo().getUndoCnt();
        ASSERT_TRUE(c.run(s));
        const QString after = contentOf(s.paper());
        ASSERT_NE(after, before);
        ASSERT_TRUE(s.historiesInStep());
        const int32_t done = s.undo().getUndoCnt() - steps;
        for (int32_t i = 0; i < done; ++i)
            ASSERT_TRUE(s.undoStep());
        EXPECT_EQ(contentOf(s.paper()).toStdString(), before.toStdString());
        for (int32_t i = 0; i < done; ++i)
            ASSERT_TRUE(s.redoStep());
        EXPECT_EQ(contentOf(s.paper()).toStdString(), after.toStdString());
        EXPECT_TRUE(s.historiesInStep());
    }
}

TEST(SelectionMaskLiveReplay, EveryOperationReplaysToTheSameDocument)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(20);
    for (const SelectionOpCase &c : selectionOpCases()) {
        for (uint32_t seed = 20; seed < 20 + uint32_t(liveReplayIterations(2)); ++seed) {
            SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed));
            SelectionSession s{seed};
            ASSERT_TRUE(s.start());
            ASSERT_TRUE(c.prepare(s));
            ASSERT_TRUE(c.run(s));
            EXPECT_EQ(s.replayDifference(false), "");
        }
    }
}

TEST(SelectionMaskLiveReplay, AMixedSessionWithUndoReplaysToTheSameDocument)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(100);
    const auto &cases = selectionOpCases();
    for (uint32_t seed = 30; seed < 30 + uint32_t(liveReplayIterations(1)); ++seed) {
        SelectionSession s{seed};
        ASSERT_TRUE(s.start());
        std::mt19937 rng(seed);
        for (int i = 0; i < 40; ++i) {
            const SelectionOpCase &c = cases[rng() % cases.size()];
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(i) + " " +
                         c.name);
            c.prepare(s);
            c.run(s);
            if (rng() % 4 == 0)
                s.undoStep();
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_EQ(s.replayDifference(false), "");
        }
    }
}

TEST(SelectionMaskOutOfMemory, FailingOperationsLeaveDocumentAndStreamAsTheyWere)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(20);
    for (const SelectionOpCase &c : selectionOpCases()) {
        SCOPED_TRACE(c.name);
        SelectionSession s{8};
        ASSERT_TRUE(s.start());
        ASSERT_TRUE(c.prepare(s));
        const QString snapshot = dumpPaperState(s.paper());
        const std::vector<uint8_t> stream = s.stream();
        bool done = false;
        for (int commits = 0; commits < 400 && !done; ++commits) {
            {
                const ScopedBlockMemoryLimit limit(commits);
                done = c.run(s);
            }
            if (done)
                break;
            ASSERT_EQ(dumpPaperState(s.paper()).toStdString(), snapshot.toStdString()) << "commits " << commits;
            ASSERT_EQ(s.stream(), stream) << "commits " << commits;
        }
        EXPECT_TRUE(done);
    }
}

TEST(SelectionMaskUndoRedo, TheSelectionStateRecordRestoresBothFlags)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{9};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(p.bVisMask && p.bEnbMask);
    EXPECT_FALSE(eventMaskEnable(p, false, true));
    EXPECT_FALSE(eventMaskVisible(p, false, true));
    ASSERT_TRUE(s.undoStep());
    EXPECT_FALSE(p.bEnbMask);
    EXPECT_TRUE(p.bVisMask);
    ASSERT_TRUE(s.undoStep());
    EXPECT_TRUE(p.bEnbMask);
    EXPECT_TRUE(p.bVisMask);
    ASSERT_TRUE(s.redoStep());
    ASSERT_TRUE(s.redoStep());
    EXPECT_FALSE(p.bEnbMask);
    EXPECT_FALSE(p.bVisMask);
    // Recorded also when nothing changes.
    const int32_t n = s.undo().getUndoCnt();
    EXPECT_FALSE(eventMaskVisible(p, false, true));
    EXPECT_EQ(s.undo().getUndoCnt(), n + 1);
    EXPECT_TRUE(s.historiesInStep());
}

TEST(SelectionMaskUndoRedo, TheLayerAndMaskTransformRecordExchangesPixelsAndMask)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{10};
    ASSERT_TRUE(s.start());
    // The record is pushed without an event of its own: the histories are not kept in step.
    s.ev().stopRecording();
    TPaper &p = s.paper();
    CLayerData &ld = *p.getLayerData(2);
    const uint32_t crcBefore = ld.imageTC->getColor(5, 5);
    const QString masksBefore = masksOf(p);
    // What a transform does: the old mask and pixels go into the record, then both change.
    auto old = std::make_unique<CMaskData>(*p.getActiveMaskData());
    ASSERT_TRUE(pushUndo(p, CUndoObj(old.get()), udCmdName::udcnComplexLayerAndMaskFreeTransform,
                         2, 1, 0, 0));
    CMaskData *kept = old.release();
    std::unique_ptr<CMaskData> nm = std::make_unique<CMaskData>(1, 4, 4);
    nm->maskTC->FilterXor(255);
    nm->title = kept->title;
    p.maskMngr().replaceMask(1, nm); // nm now holds the mask that was there
    nm.reset();
    ld.imageTC->setPixel(5, 5, 0xFF123456);
    const QString masksAfter = masksOf(p);
    ASSERT_NE(masksAfter, masksBefore);
    ASSERT_TRUE(s.undoStep());
    EXPECT_EQ(ld.imageTC->getColor(5, 5), crcBefore);
    EXPECT_EQ(masksOf(p).toStdString(), masksBefore.toStdString());
    EXPECT_EQ(p.maskMngr().hasAnts(), hasActiveMaskImage(p));
    ASSERT_TRUE(s.redoStep());
    EXPECT_EQ(ld.imageTC->getColor(5, 5), 0xFF123456u);
    EXPECT_EQ(masksOf(p).toStdString(), masksAfter.toStdString());
}

TEST(SelectionMask, TextRenderedIntoTheWorkChannelBecomesTheSelection)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{15};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(p.setFlow(*s.flow(), 0, true) || s.flow()->layerIdx() == 0);
    s.flow()->alpha().fillBox(3, 4, 5, 2, 255);
    ASSERT_TRUE(eventSelectText(p, s.flow(), 0, nullptr, true));
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(4, 5), 255);
    EXPECT_LE(p.getActiveMaskData()->getMaskValue(10, 10), 0);
    sRect r;
    EXPECT_FALSE(s.flow()->alpha().findRect(r)); // cleared
    EXPECT_EQ(s.ev().eventCnt, 0u);              // the text tool records its own packet
    EXPECT_EQ(s.undo().getUndoCnt(), 1);
}
