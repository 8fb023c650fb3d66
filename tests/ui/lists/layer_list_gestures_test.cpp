// The layer list's gestures on a recording document: each runs the recorded document operation,
// and the stream replayed onto the same start gives the same document.
#include "ui/lists/layer_list_views.h"

#include "document/edit/edit_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "support/live_replay.h"

#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace {

// Six painted layers, recording; with grouped, layer 3 heads a group of 3 and 4.
struct ListSession : IDocumentListWindow
{
    explicit ListSession(bool grouped = false, int32_t layers = 6)
        : FGrouped(grouped), FLayers(layers)
    {
        EXPECT_TRUE(start(*live.paper));
        setCurrentDrawWindow(&live.owner);
        const int32_t depth = eventUndoDepth(gAppProfile->undoMax);
        EXPECT_TRUE(ev().startRecording(appMainStroke(), appMainToneMngrFor(live.paper.get()),
                                        depth, depth));
    }

    bool start(TPaper &paper) const
    {
        if (!setupHeadlessPaper(paper, {32, 24}, 0xFFFFFF, FLayers) || !startPaintModeQZ5(paper))
            return false;
        if (FGrouped)
            for (int i : {4, 5})
                paper.getLayerData(i)->setGroupLevel(1);
        std::mt19937 rng(7);
        for (int i = 0; i < 40; ++i)
            paper.getLayerData(int32_t(rng() % uint32_t(FLayers)))
                ->imageTC->setPixel(int32_t(rng() % 32), int32_t(rng() % 24), rng());
        UpdateVRAM(paper, false, true);
        return true;
    }

    // The stream so far replayed onto the same start, compared with the live document.
    std::string replayDifference()
    {
        HeadlessDocument replayed;
        if (!replayed.paper || !start(*replayed.paper))
            return "no start";
        std::vector<uint8_t> bytes(ev().topEventPos);
        ev().readDataEx(0, bytes.data(), ev().topEventPos);
        CEventMngr &evB = replayed.paper->eventMngr();
        if (!evB.restart() || evB.writeDataEx(bytes.data(), uint32_t(bytes.size())) != bytes.size())
            return "no load";
        evB.setupPlayPos(uint32_t(bytes.size()), ev().eventCnt);
        if (!live_replay::playAll(replayed, false))
            return "replay failed";
        setCurrentDrawWindow(&live.owner);
        return live_replay::firstDifference(*live.paper, *replayed.paper);
    }

    CEventMngr &ev() { return live.paper->eventMngr(); }
    TPaper &paper_() { return *live.paper; }
    int32_t idOf(int i) { return live.paper->getLayerData(i)->uniqueID; }

    // ---- the window
    TPaper *paper() const override { return live.paper.get(); }
    TFlowImage *flowImage() const override { return live.paper->getActiveFlow(); }
    bool canAcceptEditCmd(bool, bool, bool) override { return gate; }
    void refreshAfterEvent(bool, bool, bool) override { ++refreshes; }
    bool isKeyOnly() const override { return keyOnly; }
    void updateEventProcs(bool) override { keyOnly = false; }
    bool doLayerVisAll(bool vis) override
    {
        visAllCalls << vis;
        return true;
    }
    void doLayerInfoWin() override { ++infoDialogs; }
    void DoMaskInfoWin() override {}

    bool FGrouped;
    int32_t FLayers;
    HeadlessDocument live;
    bool gate = true, keyOnly = false;
    int refreshes = 0, infoDialogs = 0;
    QList<bool> visAllCalls;
};

struct DocumentListsLayerGestures : ::testing::Test
{
    void attach(ListSession &s)
    {
        parent = std::make_unique<QWidget>();
        parent->resize(220, 260);
        view = new TLayerListView(parent.get());
        // As the tool window offers them: no deleting by Ctrl + click.
        view->SetSupportCommand({lvcSelect, lvcMove, lvcDuplicate, lvcDrag, lvcDrop, lvcEditDialog});
        view->SetBounds(0, 0, 200, 240);
        view->Attach(&s);
        parent->show();
    }
    QPoint rowAt(int index, int x) const { return QPoint(x, view->GetItemRect(index).center().y()); }

    LiveReplayApp app;
    std::unique_ptr<QWidget> parent;
    TLayerListView *view = nullptr;
};

} // namespace

TEST_F(DocumentListsLayerGestures, DragMovesToTheInsertionPosition)
{
    ListSession s;
    attach(s);
    const int32_t moved = s.idOf(2);
    // Press on layer 2, drop between layers 4 and 5: insertion position 5, layer index 4.
    QTest::mousePress(view, Qt::LeftButton, {}, rowAt(2, 60));
    const QPoint drop(60, view->GetItemRect(4).top());
    ASSERT_EQ(view->GetDropIndexAt(drop.x(), drop.y()), 5);
    view->DragDrop(view, drop);
    QTest::mouseRelease(view, Qt::LeftButton, {}, drop);
    EXPECT_EQ(s.idOf(4), moved);
    EXPECT_EQ(s.ev().eventCnt, 1u);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, ClickSelectsAndRenameRecords)
{
    ListSession s;
    attach(s);
    s.keyOnly = true; // a click first ends the window's wait for a key
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(3, 80));
    EXPECT_EQ(s.paper_().ActiveLayer(), 3);
    EXPECT_FALSE(s.keyOnly);
    EXPECT_GT(s.refreshes, 0);

    view->SetItemName(1, QStringLiteral("Sky"));
    EXPECT_EQ(view->GetItemName(1), QStringLiteral("Sky"));
    EXPECT_TRUE(view->Modified());
    const uint32_t after = s.ev().eventCnt;
    EXPECT_GE(after, 1u);
    view->SetItemName(1, QStringLiteral("Sky")); // the same name records nothing
    EXPECT_EQ(s.ev().eventCnt, after);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, DuplicateRecordsACopyAndAMoveOnlyWhenNeeded)
{
    ListSession s;
    attach(s);
    const int32_t original = s.idOf(1);
    ASSERT_TRUE(view->DuplicateItem(2, 1, true)); // just above: the copy alone
    EXPECT_EQ(s.ev().eventCnt, 1u);
    EXPECT_EQ(view->GetItemCount(), 7);
    EXPECT_EQ(s.idOf(1), original);

    ASSERT_TRUE(view->DuplicateItem(6, 1, true)); // elsewhere: a copy, then a move
    EXPECT_EQ(s.ev().eventCnt, 3u);
    EXPECT_EQ(view->GetItemCount(), 8);
    EXPECT_EQ(s.paper_().getLayerData(5)->title, s.paper_().getLayerData(1)->title);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, DeleteAndTheOnlyLayer)
{
    ListSession s;
    attach(s);
    const int32_t above = s.idOf(3);
    ASSERT_TRUE(view->DeleteItem(2, true));
    EXPECT_EQ(view->GetItemCount(), 5);
    EXPECT_EQ(s.idOf(2), above);
    EXPECT_EQ(s.replayDifference(), "");

    ListSession single(false, 1);
    attach(single);
    EXPECT_FALSE(view->DeleteItem(0, true));
    EXPECT_EQ(single.paper_().getLayerCount(), 1);
    EXPECT_EQ(single.ev().eventCnt, 0u);
}

TEST_F(DocumentListsLayerGestures, EyeColumn)
{
    ListSession s;
    attach(s);
    const auto visible = [&] {
        QString v;
        for (int i = 0; i < s.paper_().getLayerCount(); ++i)
            v += s.paper_().getLayerData(i)->visible ? u'1' : u'0';
        return v;
    };
    ASSERT_EQ(visible(), "111111");
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2, 8));
    EXPECT_EQ(visible(), "110111");
    EXPECT_EQ(s.paper_().ActiveLayer(), 0); // the eye does not select
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2, 8));
    EXPECT_EQ(visible(), "111111");

    // Alt on one of several visible layers hides the others; on the only one shows all.
    QTest::mouseClick(view, Qt::LeftButton, Qt::AltModifier, rowAt(4, 8));
    EXPECT_EQ(visible(), "000010");
    EXPECT_TRUE(s.visAllCalls.isEmpty());
    QTest::mouseClick(view, Qt::LeftButton, Qt::AltModifier, rowAt(4, 8));
    EXPECT_EQ(s.visAllCalls, QList<bool>{true});
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, StepToTheNextVisibleLayer)
{
    ListSession s;
    for (int i : {1, 3, 4})
        s.paper_().getLayerData(i)->visible = false; // visible: 0, 2, 5
    attach(s);
    struct Step
    {
        bool next;
        int selected;
    } steps[] = {{true, 2}, {true, 5}, {true, 0}, {false, 5}, {false, 2}, {false, 0}};
    for (const Step &st : steps) {
        st.next ? view->SelectNextVisible() : view->SelectPreviousVisible();
        EXPECT_EQ(view->SelectIndex(), st.selected) << st.next;
    }
    // With only the selected layer visible the selection stays.
    for (int i : {2, 5})
        s.paper_().getLayerData(i)->visible = false;
    view->SelectNextVisible();
    view->SelectPreviousVisible();
    EXPECT_EQ(view->SelectIndex(), 0);
}

TEST_F(DocumentListsLayerGestures, ClosedGateDoesNothing)
{
    ListSession s;
    attach(s);
    s.gate = false; // a replay plays
    const QString before = dumpPaperState(s.paper_());
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(3, 80));
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2, 8));
    QTest::mouseClick(view, Qt::LeftButton, Qt::AltModifier, rowAt(2, 8));
    QTest::mouseDClick(view, Qt::LeftButton, {}, rowAt(0, 80));
    view->SetItemName(1, QStringLiteral("Sky"));
    EXPECT_FALSE(view->DeleteItem(1, true));
    EXPECT_FALSE(view->MoveItem(5, 2, true));
    EXPECT_FALSE(view->DuplicateItem(view, 4, 1, true));
    EXPECT_FALSE(view->EditItemValue(1));
    EXPECT_EQ(dumpPaperState(s.paper_()), before);
    EXPECT_EQ(s.ev().eventCnt, 0u);
    EXPECT_EQ(s.refreshes, 0);
    EXPECT_EQ(s.infoDialogs, 0);
    EXPECT_TRUE(s.visAllCalls.isEmpty());
}

TEST_F(DocumentListsLayerGestures, GroupHeadIsNotDroppedInsideItself)
{
    ListSession s(true);
    attach(s);
    ASSERT_EQ(view->LayerGroupCount(3), 3);
    QTest::mousePress(view, Qt::LeftButton, {}, rowAt(3, 60));
    const QPoint inside(60, view->GetItemRect(4).top());
    ASSERT_EQ(view->GetDropIndexAt(inside.x(), inside.y()), 5);
    bool accept = true;
    view->DragOver(view, inside, accept);
    EXPECT_FALSE(accept);
    view->DragDrop(view, inside);
    QTest::mouseRelease(view, Qt::LeftButton, {}, inside);
    EXPECT_EQ(s.ev().eventCnt, 0u);
    EXPECT_EQ(view->DropIndex(), -1);
}
