#include "docwin_fixture.h"

#include "document/events/event_manager.h"
#include "support/captured_messages.h"
#include "ui/views/navigator.h"

#include <functional>
#include <string>
#include <vector>

namespace {

using DocWindowState = DocWinFixture;

struct GateCase
{
    const char *name;
    std::function<void(TDrawWindow &)> setup;
    bool netOK, playOK, needPause;
    bool expected;
};

TEST_F(DocWindowState, EditGateAnswersAndSyncsOnlyWhenItAccepts)
{
    const std::vector<GateCase> cases = {
        {"nothing refuses", [](TDrawWindow &) {}, false, false, false, true},
        {"render mode", [](TDrawWindow &) { gRenderMode = true; }, true, true, false, false},
        {"level-1 document",
         [](TDrawWindow &w) { w.paper->m_fnDraw = eDrawProc::Draw1; }, true, true, false, false},
        {"a stroke runs", [](TDrawWindow &w) { w.setNowStroking(true); }, true, true, false, false},
        {"key-only",
         [](TDrawWindow &w) { w.drawState.set(BDrawStateBit::stKeyOnly); }, true, true, false,
         false},
        {"modal loop", [](TDrawWindow &) { headlessMainForm().modalLoop = true; }, true, true,
         false, false},
        {"replay playing, pause needed",
         [](TDrawWindow &w) { w.m_eventPlaying = true; }, true, true, true, false},
        {"replay paused, pause needed",
         [](TDrawWindow &w) { w.m_eventPlaying = w.m_eventPaused = true; }, true, true, true, true},
        {"replay playing, no pause needed",
         [](TDrawWindow &w) { w.m_eventPlaying = true; }, true, true, false, true},
        {"replay playing, play not allowed",
         [](TDrawWindow &w) { w.m_eventPlaying = w.m_eventPaused = true; }, true, false, true,
         false},
        {"network document, network refused",
         [](TDrawWindow &w) { w.paper->m_paperMode = TPaperMode::PM_NETWORK; }, false, false,
         false, false},
        {"network document, network allowed",
         [](TDrawWindow &w) { w.paper->m_paperMode = TPaperMode::PM_NETWORK; }, true, false,
         false, true},
        {"shutdown document", [](TDrawWindow &w) { w.paper->m_paperMode = TPaperMode::PM_SHUTDOWN; },
         false, true, false, false},
    };
    for (const GateCase &c : cases) {
        SCOPED_TRACE(c.name);
        resetRenderSettings();
        main().modalLoop = false;
        auto w = makeWindow();
        c.setup(*w);
        const int32_t before = w->syncCount;
        EXPECT_EQ(w->canAcceptEditCmd(c.netOK, c.playOK, c.needPause), c.expected);
        EXPECT_EQ(w->syncCount - before, c.expected ? 1 : 0);
        w->setNowStroking(false);
        resetRenderSettings();
    }
}

TEST_F(DocWindowState, UntitledNumbersCountOnAndAreNeverReused)
{
    QString a, b, c;
    TDrawWindow::makeUntitledName(a);
    {
        auto w = makeWindow();
        TDrawWindow::makeUntitledName(b);
    }
    TDrawWindow::makeUntitledName(c);
    EXPECT_EQ(a, QStringLiteral("名称未設定 1"));
    EXPECT_EQ(b, QStringLiteral("名称未設定 2"));
    EXPECT_EQ(c, QStringLiteral("名称未設定 3"));
    initialiseWindows();
    TDrawWindow::makeUntitledName(a);
    EXPECT_EQ(a, QStringLiteral("名称未設定 1"));
}

TEST_F(DocWindowState, CaptionsOfOneNameAreNumberedInWindowOrder)
{
    auto w1 = makeWindow();
    auto w2 = makeWindow();
    auto w3 = makeWindow();
    auto other = makeWindow();
    for (TDrawWindow *w : {w1.get(), w2.get(), w3.get()})
        w->paper->m_filename = QStringLiteral("絵.qzi");
    other->paper->m_filename = QStringLiteral("other.qzi");
    w2->updateCaption(false);
    EXPECT_EQ(w2->Caption, QStringLiteral("絵.qzi (1)"));
    EXPECT_EQ(w1->Caption, QStringLiteral("絵.qzi (2)"));
    EXPECT_EQ(w3->Caption, QStringLiteral("絵.qzi (3)"));
    other->updateCaption(false);
    EXPECT_EQ(other->Caption, QStringLiteral("other.qzi"));
    EXPECT_EQ(main().statusText[int(eStatusItem::stiZoom)], QStringLiteral("100%"));
    other->updateCaption(true);
    EXPECT_TRUE(main().statusText[int(eStatusItem::stiZoom)].isEmpty());
}

struct CloseCase
{
    const char *name;
    bool modified, renderMode, keyOnly;
    int answer;
    bool closes;
    bool asks;
};

TEST_F(DocWindowState, CloseQuestion)
{
    const std::vector<CloseCase> cases = {
        {"unchanged", false, false, false, kavrin::mrCancel, true, false},
        {"render mode", true, true, false, kavrin::mrCancel, true, false},
        {"key-only", true, false, true, kavrin::mrNo, false, false},
        {"key-only unchanged", false, false, true, kavrin::mrNo, false, false},
        {"cancel", true, false, false, kavrin::mrCancel, false, true},
        {"no", true, false, false, kavrin::mrNo, true, true},
        {"yes without a save command", true, false, false, kavrin::mrYes, false, true},
    };
    for (const CloseCase &c : cases) {
        SCOPED_TRACE(c.name);
        CapturedMessages boxes;
        boxes.answer = c.answer;
        gRenderMode = c.renderMode;
        auto w = makeWindow();
        w->paper->m_filename = QStringLiteral("a.qzi");
        w->setModified(c.modified);
        if (c.keyOnly)
            w->drawState.set(BDrawStateBit::stKeyOnly);
        EXPECT_EQ(w->FormCloseQuery(), c.closes);
        if (c.asks)
            EXPECT_EQ(boxes.questions,
                      QStringList{QStringLiteral("\"a.qzi\" は変更されています。\r保存しますか？")});
        else
            EXPECT_TRUE(boxes.questions.isEmpty());
        resetRenderSettings();
    }
}

struct RefreshCase
{
    bool formsize, prev, mk;
    std::vector<std::string> calls;
};

TEST_F(DocWindowState, RefreshAfterEventTellsTheToolWindow)
{
    const std::vector<RefreshCase> cases = {
        {true, false, false,
         {"SetDisplaySize 200,100", "FPreviewMakeImage", "UpdateLayerView", "UpdateMaskView"}},
        {false, true, true, {"FPreviewMakeImage", "UpdateLayerView", "UpdateMaskView"}},
        {false, false, true, {"UpdateNavigatorView", "UpdateLayerView", "UpdateMaskView"}},
    };
    auto w = makeWindow();
    for (const RefreshCase &c : cases) {
        tool().calls.clear();
        w->refreshAfterEvent(c.formsize, c.prev, c.mk);
        std::vector<std::string> seen;
        for (const std::string &s : tool().calls)
            if (s.rfind("SetDisplayCenter", 0) != 0 && s.rfind("SetDisplayScale", 0) != 0)
                seen.push_back(s);
        EXPECT_EQ(seen, c.calls) << c.formsize << c.prev << c.mk;
    }
}

TEST_F(DocWindowState, RefreshWithFormSizeCentresTheBarsOnTheZoomedCanvas)
{
    auto w = makeWindow({300, 200});
    w->refreshAfterEvent(true, false, false);
    EXPECT_EQ(w->ScrollBar1.Position, 150);
    EXPECT_EQ(w->ScrollBar2.Position, 100);
}

struct CursorCase
{
    const char *name;
    TToolSubKind kind;
    bool brushGhost, showCentre;
    std::optional<int32_t> engine;
    int32_t cursor;
};

TEST_F(DocWindowState, UpdateControlsChoosesTheCursor)
{
    const std::vector<CursorCase> cases = {
        {"outline without centre", TToolSubKind::tskDrawLocus, true, false, 3, kCursorHidden},
        {"outline with centre", TToolSubKind::tskDrawLocus, true, true, 3, 203},
        {"no outline", TToolSubKind::tskDrawLocus, false, false, 1, 201},
        {"detail without engine", TToolSubKind::tskDrawLocus, false, false, std::nullopt,
         kCursorSelect},
        {"other tool", TToolSubKind::tskGrabberPosition, true, false, 3,
         100 + int32_t(TToolSubKind::tskGrabberPosition)},
    };
    auto w = makeWindow();
    for (const CursorCase &c : cases) {
        SCOPED_TRACE(c.name);
        tool().subKind = c.kind;
        tool().engine = c.engine;
        prof().BrushGhost = c.brushGhost;
        prof().ShowGhostCenter = c.showCentre;
        w->UpdateControls(10, 10);
        ASSERT_FALSE(main().cursors.empty());
        EXPECT_EQ(main().cursors.back(), c.cursor);
    }
}

TEST_F(DocWindowState, UpdateControlsErasesTheOutlineForOtherTools)
{
    auto w = makeWindow();
    w->DrawBrushGhost(50, 50, false);
    tool().subKind = TToolSubKind::tskChangePenSize;
    w->UpdateControls(50, 50);
    EXPECT_TRUE(w->FGhostVis);
    tool().subKind = TToolSubKind::tskZoomIn;
    w->UpdateControls(50, 50);
    EXPECT_FALSE(w->FGhostVis);
}

TEST_F(DocWindowState, GrabberIsCentredForItsToolAndOnThePointerWhenTemporary)
{
    TGrabberControl grb;
    grb.setVisible(false);
    tool().grabber = &grb;
    prof().UseGrabCtrl = true;
    auto w = makeWindow();

    tool().subKind = TToolSubKind::tskGrabberPosition;
    tool().detail = TToolDetail::tdGrabberPosition;
    w->UpdateControls(30, 40);
    EXPECT_FALSE(grb.isHidden());
    EXPECT_EQ(grb.pos(), QPoint((400 - grb.width()) / 2, (300 - grb.height()) / 2));

    tool().subKind = TToolSubKind::tskDrawLocus;
    w->UpdateControls(30, 40);
    EXPECT_TRUE(grb.isHidden());

    tool().tempSubKind = TToolSubKind::tskGrabberPosition;
    w->UpdateControls(130, 140);
    EXPECT_FALSE(grb.isHidden());
    EXPECT_EQ(grb.pos(), QPoint(130 - grb.width() / 2, 140 - grb.width() / 2));

    // The middle button held: no navigator.
    grb.setVisible(false);
    w->drawState.set(BDrawStateBit::stMBtn);
    w->UpdateControls(130, 140);
    EXPECT_TRUE(grb.isHidden());
    tool().grabber = nullptr;
}

TEST_F(DocWindowState, DestructionUnbindsTheToolWindowAndLeavesTheWindowList)
{
    auto w = makeWindow();
    w->paper->changeReadyState(true);
    EXPECT_EQ(tool().window, w.get());
    EXPECT_EQ(drawWindows().size(), 1u);
    w.reset();
    EXPECT_EQ(tool().window, nullptr);
    EXPECT_TRUE(drawWindows().empty());
    ASSERT_FALSE(main().enableCalls.empty());
    EXPECT_FALSE(main().enableCalls.back());
}

TEST_F(DocWindowState, ActivationBindsTheToolWindowAndDeactivationErasesTheOutline)
{
    auto a = makeWindow();
    auto b = makeWindow();
    a->paper->m_filename = QStringLiteral("a.qzi");
    a->paper->changeReadyState(true);
    b->paper->changeReadyState(true);
    EXPECT_EQ(tool().window, b.get());
    main().enableCalls.clear();
    a->FormActivate();
    EXPECT_EQ(tool().window, a.get());
    EXPECT_EQ(a->Caption, QStringLiteral("a.qzi"));
    EXPECT_EQ(main().enableCalls, std::vector<bool>{true});
    a->DrawBrushGhost(20, 20, false);
    a->bIsCurveMode = true;
    a->FormDeactivate();
    EXPECT_FALSE(a->FGhostVis);
    EXPECT_FALSE(a->bIsCurveMode);
}

TEST_F(DocWindowState, NoWindowWhenTheDocumentCannotBeMade)
{
    const PaperPartFault old =
        setPaperPartFault([](ePaperPart part) { return part == ePaperPart::eventMngr; });
    auto w = TDrawWindow::Create();
    setPaperPartFault(old);
    EXPECT_EQ(w, nullptr);
    EXPECT_TRUE(drawWindows().empty());
}

TEST_F(DocWindowState, DisposeUndoAllAsksAndAnswersThatItAsked)
{
    CapturedMessages boxes;
    auto w = makeWindow();
    for (int answer : {kavrin::mrNo, kavrin::mrYes}) {
        boxes.clear();
        boxes.answer = answer;
        EXPECT_TRUE(w->disposeUndoAll());
        EXPECT_EQ(boxes.questions,
                  QStringList{QStringLiteral("すべての 取り消し/やり直し を破棄してよろしいですか?")});
    }
    boxes.clear();
    w->setNowStroking(true);
    EXPECT_FALSE(w->disposeUndoAll());
    w->setNowStroking(false);
    w->m_eventPlaying = true;
    EXPECT_FALSE(w->disposeUndoAll());
    EXPECT_TRUE(boxes.questions.isEmpty());
}

TEST_F(DocWindowState, SaveNeedsANormalIdleWindow)
{
    auto w = makeWindow();
    EXPECT_TRUE(w->canSave());
    w->paper->m_paperMode = TPaperMode::PM_NETWORK;
    EXPECT_FALSE(w->canSave());
    w->paper->m_paperMode = TPaperMode::PM_NORMAL;
    w->m_eventPlaying = true;
    EXPECT_FALSE(w->canSave());
    w->m_eventPlaying = false;
    w->drawState.set(BDrawStateBit::stKeyOnly);
    EXPECT_FALSE(w->canSave());
    EXPECT_FALSE(w->canChangeView());
}

TEST_F(DocWindowState, DefaultsAtCreation)
{
    auto w = makeWindow();
    // The print record is packed: its fields are copied out before they are compared.
    const TPrintValue print = w->FPrintValue;
    const int32_t repeatX = print.RepeatX;
    const bool center = print.Center;
    const float scale = print.Scale;
    EXPECT_EQ(repeatX, 1);
    EXPECT_TRUE(center);
    EXPECT_EQ(scale, 1.0f);
    EXPECT_EQ(w->posList.size(), 10u);
    EXPECT_EQ(w->marginSize, (sSize{960, 960}));
    EXPECT_EQ(w->TimerAutoScroll.Interval, 100);
    EXPECT_FALSE(w->TimerAutoScroll.Enabled);
    EXPECT_EQ(gViewBackColor, 0x00CCCCCCu);
    EXPECT_TRUE(w->setupPosList(2));
    EXPECT_EQ(w->posList.size(), 4u);
}

} // namespace
