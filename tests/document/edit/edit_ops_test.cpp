// What the edit operations share: undo and redo in step with the event history, the refresh an
// undo asks for, the level-1 per-layer undo, the undo limit, the view box of a turned view, the
// error boxes; and every recording operation alone, live against replay and undone and redone
// (the cases are named for the family of the operation).
#include "document/edit/layer_undo.h"
#include "document/undo/undo_stock.h"
#include "document/view/view_geometry.h"
#include "edit_op_table.h"
#include "edit_rig.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(EditOps, TheViewBoxOfATurnedView)
{
    LiveReplayApp app;
    HeadlessDocument d;
    ASSERT_TRUE(editStart(*d.paper, 1));
    struct Case
    {
        int32_t num, den;
        sBox box, expected;
    };
    const Case cases[] = {
        {1, 1, {0, 0, 10, 10}, {-3, -3, 16, 16}},
        {1, 2, {0, 0, 10, 10}, {-24, -24, 58, 58}},
        {2, 1, {4, 2, 10, 6}, {-6, -10, 30, 30}},
        // The centre (1.5, 0.5) rounds to (2, 0), ties to even; the half side 2.12 to 2, + 1.
        {1, 1, {0, 0, 3, 1}, {-1, -3, 6, 6}},
    };
    for (const Case &c : cases) {
        SetZoomFraction(*d.paper, c.num, c.den);
        EXPECT_EQ(calcViewBox(*d.paper, c.box), c.expected) << c.num << "/" << c.den;
    }
}

TEST(EditOps, TheEventRingFollowsTheUndoLimit)
{
    LiveReplayApp app;
    const std::pair<int32_t, int32_t> depths[] = {{0, 34}, {-26, 8}, {-40, 8}, {100, 134}};
    for (const auto &[undoMax, depth] : depths)
        EXPECT_EQ(eventUndoDepth(undoMax), depth) << undoMax;
    const ScopedUndoMax limit(10);
    EditSession s{1};
    ASSERT_TRUE(s.start());
    gAppProfile->undoMax = 3;
    ASSERT_TRUE(dispatchUndoCount(s.paper()));
    EXPECT_EQ(s.ev().evTopTable.backMax, 37);
    EXPECT_EQ(s.undo().getUndoMaxCnt(), 3);
    EXPECT_EQ(s.undo().getRedoMaxCnt(), 3);
    s.paper().freeUndoMngrEx();
    EXPECT_FALSE(dispatchUndoCount(s.paper()));
}

TEST(EditOps, WithoutUndoNothingIsRecordedOrPushed)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    EditSession s{2};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    EXPECT_TRUE(eventLayerAdd(p, nullptr, TLayerMode::LM_STD, false));
    EXPECT_TRUE(eventLayerCopy(p, nullptr, 0, false));
    EXPECT_TRUE(EventLayerInsert(p, nullptr, 0, 3, false));
    EXPECT_TRUE(EventLayerClear(p, nullptr, 1, false));
    EXPECT_TRUE(EventLayerTrans(p, 1, 5, false));
    EXPECT_TRUE(eventLayerVisOnly(p, 1, false));
    EXPECT_TRUE(EventEditPC(p, 0x102030, false));
    EXPECT_TRUE(EventLayerDelete(p, nullptr, 0, false));
    EXPECT_EQ(s.ev().eventCnt, 0u);
    EXPECT_EQ(s.ev().topEventPos, 0u);
    EXPECT_EQ(s.undo().getUndoCnt(), 0);
}

TEST(EditOps, AnUndoWithNothingToUndoTouchesNeitherHistory)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    EditSession s{3};
    ASSERT_TRUE(s.start());
    ASSERT_TRUE(EventLayerTrans(s.paper(), 0, 9, true));
    int32_t idx = 0;
    sRect rect;
    ASSERT_TRUE(eventLayerUndo(s.paper(), s.flow(), idx, rect));
    EXPECT_FALSE(eventLayerUndo(s.paper(), s.flow(), idx, rect));
    EXPECT_EQ(s.ev().getRedoCnt(), 1);
    EXPECT_EQ(s.undo().getRedoCnt(), 1);
    ASSERT_TRUE(eventLayerRedo(s.paper(), s.flow(), idx, rect));
    EXPECT_FALSE(eventLayerRedo(s.paper(), s.flow(), idx, rect));
    EXPECT_EQ(s.ev().getUndoCnt(), 1);
    EXPECT_EQ(s.undo().getUndoCnt(), 1);
    EXPECT_TRUE(app.messages.warnings.isEmpty());
}

TEST(EditOps, HistoriesOutOfStepAreTrimmedThenRefused)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    for (const bool redo : {false, true}) {
        SCOPED_TRACE(redo ? "redo" : "undo");
        app.messages.clear();
        EditSession s{4};
        ASSERT_TRUE(s.start());
        TPaper &p = s.paper();
        ASSERT_TRUE(EventLayerTrans(p, 0, 9, true));
        ASSERT_TRUE(EventLayerTrans(p, 1, 9, true));
        int32_t idx = 0;
        sRect rect;
        if (redo) {
            ASSERT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
            ASSERT_TRUE(eventLayerUndo(p, s.flow(), idx, rect));
            // The recorder loses one redoable event the manager still holds.
            ASSERT_TRUE(s.ev().redoEvent());
        } else {
            // A record the recorder knows nothing of.
            ASSERT_TRUE(pushUndo(p, *p.getLayerData(2), 7, 0, udCmdName::udcnValueLayerTrans));
        }
        const QString before = dumpPaperState(p);
        EXPECT_FALSE(redo ? eventLayerRedo(p, s.flow(), idx, rect)
                          : eventLayerUndo(p, s.flow(), idx, rect));
        QStringList expected;
        if (!redo)
            expected << QStringLiteral("イベント状態の問題を修正しました!");
        expected << QStringLiteral("イベント記録に問題が検出されました!");
        EXPECT_EQ(app.messages.warnings, expected);
        // Nothing changed but the histories, which are gone.
        QString after = dumpPaperState(p);
        EXPECT_EQ(after.left(after.indexOf(QStringLiteral("undo undo="))),
                  before.left(before.indexOf(QStringLiteral("undo undo="))));
        EXPECT_EQ(s.undo().getUndoCnt() + s.undo().getRedoCnt(), 0);
        EXPECT_EQ(s.ev().getUndoCnt() + s.ev().getRedoCnt(), 0);
    }
}

TEST(EditOps, TheRefreshAfterAnUndoFollowsItsUpdateSet)
{
    LiveReplayApp app;
    EditSession s{5};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    CHeadlessPaperOwner &o = s.live.owner;
    using F = udUpdateFlag;
    struct Case
    {
        const char *what;
        udUpdateType ut;
        int32_t scrollResets;
        bool formsize;
    };
    const Case cases[] = {
        {"canvas re-laid out", {F::udutCanvas, F::udutRepos}, 1, true},
        {"canvas", {F::udutCanvas}, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        o.scrollResetCount = 0;
        o.refreshCalls.clear();
        sRect r{0, 0, 4, 4};
        refreshAfterUndo(p, nullptr, 0, r, c.ut, false);
        EXPECT_EQ(o.scrollResetCount, c.scrollResets);
        ASSERT_EQ(o.refreshCalls.size(), 1u);
        EXPECT_EQ(o.refreshCalls[0].formsize, c.formsize);
    }
    // A layer that is not the active one becomes active unless the set says otherwise.
    sRect r{0, 0, 4, 4};
    refreshAfterUndo(p, nullptr, 2, r, {F::udutNoActiveLayer}, false);
    EXPECT_EQ(p.ActiveLayer(), 0);
    const int32_t panels = o.layerViewCount;
    refreshAfterUndo(p, nullptr, 2, r, {F::udutAll}, false);
    EXPECT_EQ(p.ActiveLayer(), 2);
    EXPECT_GT(o.layerViewCount, panels);
    refreshAfterUndo(p, nullptr, 2, r, {F::udutActSize}, false);
    EXPECT_EQ(r, (sRect{0, 0, 48, 40}));
}

TEST(EditOps, ALevel1DocumentUndoesInItsLayersAndCannotRedo)
{
    LiveReplayApp app;
    HeadlessDocument d;
    TPaper &p = *d.paper;
    ASSERT_TRUE(setupHeadlessPaper(p, {40, 32}, 0xFFFFFF, 0));
    p.m_fnDraw = eDrawProc::Draw1;
    p.freeUndoMngrEx();
    orgEventLayerAdd(p, &d.flow(), TLayerMode::LM_MUL);
    orgEventLayerAdd(p, &d.flow(), TLayerMode::LM_MUL);
    ASSERT_EQ(p.getLayerCount(), 2);
    EXPECT_EQ(p.ActiveLayer(), 1);
    // The oldest forms make opaque layers.
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(7, 7) >> 24, 0xFFu);
    EXPECT_FALSE(pushUndo(p, 1, udCmdName::udcnImageAll));
    ASSERT_TRUE(UndoStock(p, 1, udCmdName::udcnImageAll));
    const uint32_t before = p.getLayerData(1)->imageTC->getColor(7, 7);
    orgEventLayerFill(p, &d.flow(), 1, 0x00336699);
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(7, 7), 0xFF336699u);
    int32_t idx = 1;
    sRect rect;
    ASSERT_TRUE(CanLayerUndo(p, 1));
    ASSERT_TRUE(eventLayerUndo(p, &d.flow(), idx, rect));
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(7, 7), before);
    EXPECT_FALSE(eventLayerRedo(p, &d.flow(), idx, rect));
    orgEventLayerCopy(p, &d.flow(), 1);
    EXPECT_EQ(p.getLayerCount(), 3);
    EXPECT_EQ(p.ActiveLayer(), 2);
    orgEventLayerDelete(p, &d.flow(), 0);
    EXPECT_EQ(p.getLayerCount(), 2);
}

TEST(EditOps, TheErrorBoxes)
{
    CapturedMessages messages;
    err_memHandler();
    const std::runtime_error e("boom");
    err_stdHandler(&e);
    err_stdHandler(nullptr);
    EXPECT_EQ(messages.warnings,
              (QStringList{QStringLiteral("メモリ不足のため実行できませんでした！"),
                           QStringLiteral("例外発生のため実行できません！"),
                           QStringLiteral("boom"),
                           QStringLiteral("例外発生のため実行できません！")}));
}

TEST(EditOps, LayerRectanglesGrowThePaper)
{
    LiveReplayApp app;
    HeadlessDocument d;
    TPaper &p = *d.paper;
    ASSERT_TRUE(editStart(p, 1));
    // Layer 2 moved so that its image reaches past the paper on the left and the top.
    p.getLayerData(2)->viewPos = {5, 3};
    p.getLayerData(3)->visible = false;
    sRect r;
    EXPECT_EQ(findMaxRect(p, r), 4);
    EXPECT_EQ(r, (sRect{-5, -3, 48, 40}));
    EXPECT_EQ(findMaxRect(p, 0, 2, r), 2);
    EXPECT_EQ(r, (sRect{0, 0, 48, 40}));
    EXPECT_EQ(findMaxVisRect(p, r, false), 1);
    EXPECT_EQ(findMaxVisRect(p, 1, 9, r, true), 2);
    EXPECT_EQ(r, (sRect{-5, -3, 48, 40}));
}

namespace {

// Every operation of a family alone, with a few seeds: live against replay.
void expectFamilyLiveEqualsReplay(EditFamily family)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    for (const EditOpCase &op : editOpCases()) {
        if (op.family != family)
            continue;
        SCOPED_TRACE(op.name);
        for (int seed = 1; seed <= liveReplayIterations(4); ++seed)
            expectLiveEqualsReplay([](TPaper &p, uint32_t sd) { return editStart(p, sd); },
                                   [&op](TPaper &p, uint32_t sd) {
                                       std::mt19937 rng(sd);
                                       // Refused calls are part of the sequence.
                                       for (int i = 0; i < 3; ++i)
                                           op.run(p, rng);
                                       return true;
                                   },
                                   uint32_t(seed));
    }
}

// Every operation of a family alone: undone gives back the bytes and the layer objects before,
// redone those after; both histories in step throughout.
void expectFamilyUndoRedo(EditFamily family)
{
    LiveReplayApp app;
    const ScopedUndoMax limit(10);
    for (const EditOpCase &op : editOpCases()) {
        if (op.family != family)
            continue;
        SCOPED_TRACE(op.name);
        int changed = 0;
        for (uint32_t seed = 1; seed <= 12; ++seed) {
            EditSession s{seed};
            ASSERT_TRUE(s.start());
            std::mt19937 rng(seed);
            const QString before = contentOf(s.paper());
            const std::vector<int32_t> idsBefore = layerIds(s.paper());
            op.run(s.paper(), rng);
            ASSERT_TRUE(s.historiesInStep());
            if (s.undo().getUndoCnt() == 0)
                continue;
            ++changed;
            const QString after = contentOf(s.paper());
            const std::vector<int32_t> idsAfter = layerIds(s.paper());
            int32_t idx = 0;
            sRect rect;
            ASSERT_TRUE(eventLayerUndo(s.paper(), s.flow(), idx, rect));
            EXPECT_EQ(contentOf(s.paper()), before);
            EXPECT_EQ(layerIds(s.paper()), idsBefore);
            ASSERT_TRUE(s.historiesInStep());
            ASSERT_TRUE(eventLayerRedo(s.paper(), s.flow(), idx, rect));
            EXPECT_EQ(contentOf(s.paper()), after);
            EXPECT_EQ(layerIds(s.paper()), idsAfter);
            ASSERT_TRUE(s.historiesInStep());
        }
        EXPECT_GT(changed, 0);
    }
}

} // namespace

TEST(LayerListOpsLiveReplay, EveryOperationAlone)
{
    expectFamilyLiveEqualsReplay(EditFamily::list);
}

TEST(LayerAttrLiveReplay, EveryOperationAlone)
{
    expectFamilyLiveEqualsReplay(EditFamily::attr);
}

TEST(NewDocumentLiveReplay, TheCanvasColourAlone)
{
    expectFamilyLiveEqualsReplay(EditFamily::document);
}

TEST(LayerListOpsUndoRedo, EveryOperationAloneUndoneAndRedone)
{
    expectFamilyUndoRedo(EditFamily::list);
}

TEST(LayerAttrUndoRedo, EveryOperationAloneUndoneAndRedone)
{
    expectFamilyUndoRedo(EditFamily::attr);
}

TEST(NewDocumentUndoRedo, TheCanvasColourAloneUndoneAndRedone)
{
    expectFamilyUndoRedo(EditFamily::document);
}
