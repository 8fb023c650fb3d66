// The layer list's gestures on a recording document: each runs the recorded document operation,
// and the stream replayed onto the same start gives the same document.
#include "ui/lists/layer_list_views.h"

#include "document/edit/edit_ops.h"
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "support/live_replay.h"
#include "ui/base/popup_menu.h"

#include <QAction>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <random>

namespace {

// Painted layers (six unless told); with grouped, layer 3 heads a group of 4 and 5. With masks,
// masks 1, 2 and 3 are taken from the transparency of layers 1, 2 and 3 after the empty mask 0,
// and mask 1 is current. Nothing is recorded.
bool startListDocument(TPaper &paper, bool grouped, int32_t layers, bool masks)
{
    if (!setupHeadlessPaper(paper, {32, 24}, 0xFFFFFF, layers) || !startPaintModeQZ5(paper))
        return false;
    if (grouped)
        for (int i : {4, 5})
            paper.getLayerData(i)->setGroupLevel(1);
    std::mt19937 rng(7);
    for (int i = 0; i < 40; ++i)
        paper.getLayerData(int32_t(rng() % uint32_t(layers)))
            ->imageTC->setPixel(int32_t(rng() % 32), int32_t(rng() % 24), rng());
    UpdateVRAM(paper, false, true);
    if (masks) {
        for (int32_t i : {1, 2, 3})
            if (!eventSelectFromLayer(paper, paper.getActiveFlow(), i, -1, eMaskLayerConv::mlcMask,
                                      eMaskAddType::matNew, false))
                return false;
        if (!eventSelectActivate(paper, paper.getActiveFlow(), paper.ActiveLayer(), 1, false))
            return false;
    }
    return true;
}

// A document of startListDocument, recording.
struct ListSession : IDocumentListWindow
{
    explicit ListSession(bool grouped = false, int32_t layers = 6, bool masks = false)
        : FGrouped(grouped), FMasks(masks), FLayers(layers)
    {
        EXPECT_TRUE(start(*live.paper));
        setCurrentDrawWindow(&live.owner);
        const int32_t depth = eventUndoDepth(gAppProfile->undoMax);
        EXPECT_TRUE(ev().startRecording(appMainStroke(), appMainToneMngrFor(live.paper.get()),
                                        depth, depth));
    }

    bool start(TPaper &paper) const { return startListDocument(paper, FGrouped, FLayers, FMasks); }

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

    bool FGrouped, FMasks;
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

// The same start, changed by the document operation the gesture stands for.
std::string differenceFromDirect(ListSession &s, bool grouped, bool masks,
                                 const std::function<bool(TPaper &, TFlowImage *)> &direct)
{
    ListSession ref(grouped, 6, masks);
    const bool done = direct(ref.paper_(), ref.flowImage());
    setCurrentDrawWindow(&s.live.owner);
    if (!done)
        return "the direct operation failed";
    if (ref.ev().eventCnt != s.ev().eventCnt)
        return "events: " + std::to_string(s.ev().eventCnt) + " by the gesture, " +
               std::to_string(ref.ev().eventCnt) + " direct";
    return live_replay::firstDifference(s.paper_(), ref.paper_());
}

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
    EXPECT_EQ(differenceFromDirect(
                  s, false, false,
                  [](TPaper &p, TFlowImage *f) { return EventLayerInsert(p, f, 2, 4, true); }),
              "");
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

TEST_F(DocumentListsLayerGestures, GroupHeadMovesWithItsMembers)
{
    ListSession s(true);
    attach(s);
    const int32_t head = s.idOf(3), last = s.idOf(5);
    // Press on the head, drop at insertion position 1 (between layers 0 and 1).
    QTest::mousePress(view, Qt::LeftButton, {}, rowAt(3, 60));
    const QPoint drop(60, view->GetItemRect(0).top());
    ASSERT_EQ(view->GetDropIndexAt(drop.x(), drop.y()), 1);
    view->DragDrop(view, drop);
    QTest::mouseRelease(view, Qt::LeftButton, {}, drop);
    EXPECT_EQ(s.idOf(1), head);
    EXPECT_EQ(s.idOf(3), last);
    EXPECT_EQ(s.paper_().ActiveLayer(), 1);
    EXPECT_EQ(differenceFromDirect(s, true, false,
                                   [](TPaper &p, TFlowImage *f) {
                                       return eventLayerGroupInsert(p, f, 3, 3, 1, true);
                                   }),
              "");
    EXPECT_EQ(s.replayDifference(), "");

    // A layer outside the group moves past it by the same operation.
    const int32_t bottom = s.idOf(0);
    ASSERT_TRUE(view->MoveItem(6, 0, true));
    EXPECT_EQ(s.idOf(5), bottom);
    EXPECT_EQ(s.ev().eventCnt, 2u);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, LinkColumnLinksWithTheActiveLayer)
{
    ListSession s;
    attach(s);
    ASSERT_EQ(s.paper_().ActiveLayer(), 0);
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2, 25));
    EXPECT_TRUE(isLinked(s.paper_(), 0, 2));
    EXPECT_EQ(s.paper_().ActiveLayer(), 0); // the link column does not select
    EXPECT_EQ(s.ev().eventCnt, 1u);
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(4, 25));
    EXPECT_TRUE(isLinked(s.paper_(), 0, 4));
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2, 25)); // again: unlinked
    EXPECT_FALSE(isLinked(s.paper_(), 0, 2));
    EXPECT_TRUE(isLinked(s.paper_(), 0, 4));
    // The active layer's own mark does nothing.
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(0, 25));
    EXPECT_EQ(s.ev().eventCnt, 3u);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, CtrlClickMakesASelectionFromTheLayer)
{
    ListSession s;
    attach(s);
    const int32_t masks = getMaskCount(s.paper_());
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, rowAt(3, 80));
    EXPECT_EQ(s.paper_().ActiveLayer(), 0); // not selected
    EXPECT_EQ(getMaskCount(s.paper_()), masks + 1);
    EXPECT_TRUE(hasActiveMaskImage(s.paper_()));
    EXPECT_EQ(differenceFromDirect(s, false, false,
                                   [](TPaper &p, TFlowImage *f) {
                                       return eventSelectFromLayer(p, f, 3, -1,
                                                                   eMaskLayerConv::mlcMask,
                                                                   eMaskAddType::matNew, true);
                                   }),
              "");
    EXPECT_EQ(s.replayDifference(), "");
}

// Where the list offers deleting by Ctrl + click the press deletes the layer; the selection is not
// then taken from the layer that slid into its place.
TEST_F(DocumentListsLayerGestures, CtrlClickThatDeletesMakesNoSelection)
{
    ListSession s;
    attach(s);
    view->SetSupportCommand({lvcSelect, lvcDelete});
    const int32_t masks = getMaskCount(s.paper_()), above = s.idOf(4);
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, rowAt(3, 80));
    EXPECT_EQ(s.paper_().getLayerCount(), 5);
    EXPECT_EQ(s.idOf(3), above);
    EXPECT_EQ(getMaskCount(s.paper_()), masks);
    EXPECT_EQ(s.ev().eventCnt, 1u);
    EXPECT_EQ(s.replayDifference(), "");
}

TEST_F(DocumentListsLayerGestures, ClosedGateRefusesTheLinkAndSelectionClicks)
{
    ListSession s;
    attach(s);
    s.gate = false;
    const QString before = dumpPaperState(s.paper_());
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2, 25));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, rowAt(3, 80));
    EXPECT_EQ(dumpPaperState(s.paper_()), before);
    EXPECT_EQ(s.ev().eventCnt, 0u);
    EXPECT_EQ(s.refreshes, 0);
}

namespace {

// The mask list over a session with four masks, as the tool window offers its commands.
struct DocumentListsMaskGestures : ::testing::Test
{
    DocumentListsMaskGestures()
    {
        previousRunner = installPopupMenuRunner([this](QMenu &menu, QPoint) -> QAction * {
            ++menus;
            captions.clear();
            QAction *chosen = nullptr;
            for (QAction *a : menu.actions()) {
                captions << a->text();
                if (a->data().toInt() == choose)
                    chosen = a;
            }
            return chosen;
        });
    }
    ~DocumentListsMaskGestures() override { installPopupMenuRunner(previousRunner); }

    void attach(ListSession &s)
    {
        parent = std::make_unique<QWidget>();
        parent->resize(220, 260);
        view = new TMaskListView(parent.get());
        view->SetSupportCommand({lvcSelect, lvcMove, lvcDuplicate, lvcDrag, lvcDrop, lvcEditDialog});
        view->SetBounds(0, 0, 200, 240);
        view->Attach(&s);
        parent->show();
    }
    QPoint rowAt(int index) const { return QPoint(80, view->GetItemRect(index).center().y()); }

    LiveReplayApp app;
    TPopupMenuRunner previousRunner;
    int menus = 0, choose = 0;
    QStringList captions;
    std::unique_ptr<QWidget> parent;
    TMaskListView *view = nullptr;
};

} // namespace

TEST_F(DocumentListsMaskGestures, EachGestureIsItsDocumentOperation)
{
    using Direct = std::function<bool(TPaper &, TFlowImage *)>;
    struct Case
    {
        const char *name;
        std::function<void(DocumentListsMaskGestures &)> gesture;
        Direct direct;
    };
    const auto bind = [](int32_t src, eMaskAddType mat) -> Direct {
        return [=](TPaper &p, TFlowImage *f) {
            return eventSelectBind(p, f, p.ActiveLayer(), 1, src, mat, true);
        };
    };
    const auto press = [](Qt::KeyboardModifiers keys) {
        return [=](DocumentListsMaskGestures &t) {
            QTest::mouseClick(t.view, Qt::LeftButton, keys, t.rowAt(2));
        };
    };
    const Case cases[] = {
        {"select", [](auto &t) { QTest::mouseClick(t.view, Qt::LeftButton, {}, t.rowAt(2)); },
         [](TPaper &p, TFlowImage *f) { return eventSelectActivate(p, f, p.ActiveLayer(), 2, true); }},
        {"rename", [](auto &t) { t.view->SetItemName(2, QStringLiteral("Sky")); },
         [](TPaper &p, TFlowImage *f) {
             return eventSelectName(p, f, p.ActiveLayer(), 2, QStringLiteral("Sky"), true);
         }},
        // Insertion position 4 (after the last mask) is index 3 once mask 1 is out.
        {"move up the list", [](auto &t) { t.view->MoveItem(4, 1, true); },
         [](TPaper &p, TFlowImage *f) { return eventSelectMove(p, f, p.ActiveLayer(), 3, 1, true); }},
        {"move to the top", [](auto &t) { t.view->MoveItem(0, 2, true); },
         [](TPaper &p, TFlowImage *f) { return eventSelectMove(p, f, p.ActiveLayer(), 0, 2, true); }},
        {"duplicate beside", [](auto &t) { t.view->DuplicateItem(2, 1, true); },
         [](TPaper &p, TFlowImage *f) { return eventSelectDuplicate(p, f, p.ActiveLayer(), 1, true); }},
        // Past the list: the position is the count before the copy, then a move from Src + 1.
        {"duplicate past the list", [](auto &t) { t.view->DuplicateItem(7, 1, true); },
         [](TPaper &p, TFlowImage *f) {
             return eventSelectDuplicate(p, f, p.ActiveLayer(), 1, true) &&
                    eventSelectMove(p, f, p.ActiveLayer(), 3, 2, true);
         }},
        {"duplicate to the top", [](auto &t) { t.view->DuplicateItem(0, 2, true); },
         [](TPaper &p, TFlowImage *f) {
             return eventSelectDuplicate(p, f, p.ActiveLayer(), 2, true) &&
                    eventSelectMove(p, f, p.ActiveLayer(), 0, 3, true);
         }},
        {"delete", [](auto &t) { t.view->DeleteItem(2, true); },
         [](TPaper &p, TFlowImage *f) { return eventSelectRemove(p, f, p.ActiveLayer(), 2, true); }},
        {"Shift press", press(Qt::ShiftModifier), bind(2, eMaskAddType::matAdd)},
        {"Alt press", press(Qt::AltModifier), bind(2, eMaskAddType::matSub)},
        {"Shift+Alt press", press(Qt::ShiftModifier | Qt::AltModifier), bind(2, eMaskAddType::matAnd)},
        {"Ctrl press", press(Qt::ControlModifier), bind(2, eMaskAddType::matNew)},
        {"menu entry", [](auto &t) {
             t.choose = 1002;
             QTest::mouseClick(t.view, Qt::RightButton, {}, t.rowAt(3));
         },
         bind(3, eMaskAddType::matSub)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ListSession s(false, 6, true);
        attach(s);
        ASSERT_EQ(view->GetItemCount(), 4);
        ASSERT_EQ(view->SelectIndex(), 1);
        c.gesture(*this);
        EXPECT_GE(s.ev().eventCnt, 1u);
        EXPECT_GT(s.refreshes, 0);
        EXPECT_EQ(differenceFromDirect(s, false, true, c.direct), "");
        EXPECT_EQ(s.replayDifference(), "");
    }
}

TEST_F(DocumentListsMaskGestures, BindMenu)
{
    ListSession s(false, 6, true);
    attach(s);
    // On the current mask: no menu.
    QTest::mouseClick(view, Qt::RightButton, {}, rowAt(1));
    EXPECT_EQ(menus, 0);
    // On another: the four ways of combining; nothing chosen changes nothing.
    QTest::mouseClick(view, Qt::RightButton, {}, rowAt(0));
    EXPECT_EQ(menus, 1);
    QStringList expected;
    for (eMaskAddType mat : {eMaskAddType::matNew, eMaskAddType::matAdd, eMaskAddType::matSub,
                             eMaskAddType::matAnd})
        expected << maskAddTypeCaption(mat);
    EXPECT_EQ(captions, expected);
    EXPECT_EQ(s.ev().eventCnt, 0u);
}

TEST_F(DocumentListsMaskGestures, TheOnlyMaskStays)
{
    ListSession s;
    attach(s);
    ASSERT_EQ(view->GetItemCount(), 1);
    EXPECT_FALSE(view->DeleteItem(0, true));
    view->SetSupportCommand({lvcSelect, lvcDelete});
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier, rowAt(0));
    EXPECT_EQ(view->GetItemCount(), 1);
    EXPECT_EQ(s.replayDifference(), "");
}

// Making a mask current is refused during a replay and for an index past the list: neither may
// record, and the mask count would append an empty mask.
TEST_F(DocumentListsMaskGestures, SelectionWritesAreGated)
{
    ListSession s(false, 6, true);
    attach(s);
    view->SetSelectIndex(4);
    view->SetSelectIndex(-1);
    EXPECT_EQ(view->GetItemCount(), 4);
    EXPECT_EQ(view->SelectIndex(), 1);
    EXPECT_EQ(s.ev().eventCnt, 0u);

    s.gate = false;
    const QString before = dumpPaperState(s.paper_());
    view->SetSelectIndex(2);
    QTest::mouseClick(view, Qt::LeftButton, {}, rowAt(2));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ShiftModifier, rowAt(2));
    QTest::mouseClick(view, Qt::LeftButton, Qt::ControlModifier, rowAt(3));
    QTest::mouseClick(view, Qt::RightButton, {}, rowAt(2));
    view->SetItemName(2, QStringLiteral("Sky"));
    EXPECT_FALSE(view->DeleteItem(2, true));
    EXPECT_FALSE(view->MoveItem(4, 1, true));
    EXPECT_FALSE(view->DuplicateItem(view, 3, 1, true));
    EXPECT_FALSE(view->EditItemValue(1));
    EXPECT_EQ(menus, 0);
    EXPECT_EQ(dumpPaperState(s.paper_()), before);
    EXPECT_EQ(s.ev().eventCnt, 0u);
    EXPECT_EQ(s.refreshes, 0);
}

namespace {

// The document window over whichever document the harness hands its operation; its gate is open.
struct PaperWindow : IDocumentListWindow
{
    explicit PaperWindow(TPaper &p) : FPaper(p) {}
    TPaper *paper() const override { return &FPaper; }
    TFlowImage *flowImage() const override { return FPaper.getActiveFlow(); }
    bool canAcceptEditCmd(bool, bool, bool) override { return true; }
    void refreshAfterEvent(bool, bool, bool) override {}
    bool isKeyOnly() const override { return false; }
    void updateEventProcs(bool) override {}
    bool doLayerVisAll(bool) override { return false; }
    void doLayerInfoWin() override {}
    void DoMaskInfoWin() override {}
    TPaper &FPaper;
};

} // namespace

// Random runs of the layer and mask lists' gestures, recorded live, give the same document when
// replayed onto the same start from memory and through an exported event file.
TEST(DocumentListsLiveReplay, RandomGestureRuns)
{
    LiveReplayApp app;
    std::mt19937 menuRng(1);
    const TPopupMenuRunner previousRunner =
        installPopupMenuRunner([&](QMenu &menu, QPoint) -> QAction * {
            const QList<QAction *> actions = menu.actions();
            return actions.isEmpty() ? nullptr : actions[qsizetype(menuRng() % actions.size())];
        });
    const LiveSetup setup = [](TPaper &paper, uint32_t seed) {
        return startListDocument(paper, seed % 2 == 0, 6, true);
    };
    const LiveOperation operation = [&](TPaper &paper, uint32_t seed) {
        menuRng.seed(seed);
        PaperWindow window(paper);
        QWidget parent;
        parent.resize(440, 1420);
        const TListViewCommandTypes commands{lvcSelect, lvcMove, lvcDuplicate,
                                             lvcDrag,   lvcDrop, lvcEditDialog};
        auto *layers = new TLayerListView(&parent);
        layers->SetSupportCommand(commands);
        layers->SetBounds(0, 0, 200, 1400); // every row in sight
        layers->Attach(&window);
        auto *masks = new TMaskListView(&parent);
        masks->SetSupportCommand(commands);
        masks->SetBounds(220, 0, 200, 1400);
        masks->Attach(&window);
        parent.show();

        std::mt19937 rng(seed);
        const auto pick = [&](int n) { return n > 0 ? int(rng() % uint32_t(n)) : 0; };
        const auto row = [](TqZListView *v, int i, int x) {
            return QPoint(x, v->GetItemRect(i).center().y());
        };
        const Qt::KeyboardModifiers maskKeys[] = {Qt::ShiftModifier, Qt::AltModifier,
                                                  Qt::ShiftModifier | Qt::AltModifier,
                                                  Qt::ControlModifier};
        for (int step = 0; step < 14; ++step) {
            const int nl = layers->GetItemCount(), nm = masks->GetItemCount();
            const int li = pick(nl), lj = pick(nl + 1), mi = pick(nm), mj = pick(nm + 1);
            const int gesture = pick(14);
            SCOPED_TRACE(testing::Message() << "step " << step << " gesture " << gesture << " ("
                                            << li << ", " << lj << ", " << mi << ", " << mj << ")");
            switch (gesture) {
            case 0:
                QTest::mouseClick(layers, Qt::LeftButton, {}, row(layers, li, 80));
                break;
            case 1:
                layers->SetItemName(li, QStringLiteral("L%1").arg(step));
                break;
            case 2:
                layers->MoveItem(lj, li, true);
                break;
            case 3:
                layers->DuplicateItem(lj, li, true);
                break;
            case 4:
                layers->DeleteItem(li, true);
                break;
            case 5:
                QTest::mouseClick(layers, Qt::LeftButton, {}, row(layers, li, 8));
                break;
            case 6:
                QTest::mouseClick(layers, Qt::LeftButton, Qt::AltModifier, row(layers, li, 8));
                break;
            case 7:
                QTest::mouseClick(layers, Qt::LeftButton, {}, row(layers, li, 25));
                break;
            case 8:
                QTest::mouseClick(layers, Qt::LeftButton, Qt::ControlModifier, row(layers, li, 80));
                break;
            case 9:
                QTest::mouseClick(masks, Qt::LeftButton, {}, row(masks, mi, 80));
                break;
            case 10:
                masks->SetItemName(mi, QStringLiteral("M%1").arg(step));
                masks->MoveItem(mj, mi, true);
                break;
            case 11:
                masks->DuplicateItem(mj, mi, true);
                masks->DeleteItem(pick(masks->GetItemCount()), true);
                break;
            case 12:
                QTest::mouseClick(masks, Qt::LeftButton, maskKeys[pick(4)], row(masks, mi, 80));
                break;
            default:
                QTest::mouseClick(masks, Qt::RightButton, {}, row(masks, mi, 80));
                break;
            }
        }
        // Making a layer current records nothing by itself: the next recorded event carries
        // the current layer. A run ending on a click that made another layer current ends
        // with one more recorded operation, so that the replay knows of it.
        layers->SetItemName(paper.ActiveLayer(), QStringLiteral("end"));
        layers->Detach();
        masks->Detach();
        EXPECT_GT(paper.eventMngr().eventCnt, 3u) << "the run recorded little";
        return true;
    };
    for (int seed = 1; seed <= liveReplayIterations(4); ++seed)
        expectLiveEqualsReplay(setup, operation, uint32_t(seed));
    installPopupMenuRunner(previousRunner);
}
