// Palette windows: where a dragged view lands, placing the panes, size limits, the caption, the
// drag and dock, and the manager with its window messages.
#include "windows/dock/dock_test_support.h"

#include "windows/dock/dock_drag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QWheelEvent>

class DockWindows : public DockFixture
{
  protected:
    // A window with two panes of heights 100 and 60 (19 + 81, 23 + 37).
    TDockFloatForm *twoPanes(QPoint at = {20, 20})
    {
        TDockFloatForm *f = manager->AddForm();
        f->move(at);
        f->DockView(-1, makeView("a", 81));
        f->DockView(-1, makeView("b", 37));
        f->AlignPanes(true);
        f->ShowMM();
        return f;
    }
    // Presses on the active tab of the pane, moves to the screen point and releases there.
    void dragTab(TDockViewManager *pane, QPoint screen, bool release = true)
    {
        const QPoint press(pane->ActiveView()->TabLeft() + 14, pane->height() - 8);
        sendMouse(pane, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
        sendMouse(pane, QEvent::MouseMove, pane->mapFromGlobal(screen), Qt::NoButton,
                  Qt::LeftButton);
        if (release)
            sendMouse(pane, QEvent::MouseButtonRelease, pane->mapFromGlobal(screen),
                      Qt::LeftButton, Qt::NoButton);
    }
};

TEST_F(DockWindows, CalcDockRectNamesPanesGapsAndTheEnd)
{
    TDockFloatForm *f = twoPanes();
    ASSERT_EQ(f->Pane(0)->GetPaneHeight(), 100);
    ASSERT_EQ(f->Pane(1)->GetPaneHeight(), 60);
    const struct
    {
        int y, index, diff, pane;
    } cases[] = {{2, 2, -1, 0}, {50, 0, 0, 0}, {97, 3, -1, 1}, {110, 1, 0, 1}, {158, -1, 1, 1}};
    for (const auto &c : cases) {
        QRect r;
        EXPECT_EQ(f->CalcDockRect(r, {10, c.y}, 4), c.index) << c.y;
        const QRect local = f->Pane(c.pane)->GetDockRect(c.diff);
        EXPECT_EQ(r, QRect(f->Client()->mapToGlobal(local.topLeft()), local.size())) << c.y;
    }
    TDockFloatForm *empty = manager->AddForm();
    QRect untouched(1, 2, 3, 4);
    EXPECT_EQ(empty->CalcDockRect(untouched, {10, 2}, 4), -1);
    EXPECT_EQ(untouched, QRect(1, 2, 3, 4));
}

TEST_F(DockWindows, PointToIndexWalksThePaneHeights)
{
    TDockFloatForm *f = twoPanes();
    EXPECT_EQ(f->PointToIndex({5, 0}), 0);
    EXPECT_EQ(f->PointToIndex({5, 99}), 0);
    EXPECT_EQ(f->PointToIndex({5, 100}), 1);
    EXPECT_EQ(f->PointToIndex({5, 159}), 1);
    EXPECT_EQ(f->PointToIndex({5, 160}), -1);
}

TEST_F(DockWindows, SetAlignsPlacesFromTheTopAndTheLastElementTakesTheRest)
{
    TDockFloatForm *f = twoPanes();
    TDockViewManager *last = f->Pane(1);
    EXPECT_EQ(f->Client()->height(), 160);
    EXPECT_EQ(last->ActiveView()->geometry(), QRect(0, 123, f->Client()->width(), 37));
    EXPECT_EQ(last->ActiveView()->Align(), daClient);
    EXPECT_EQ(f->Pane(0)->ActiveView()->Align(), daTop);
    // The last pane's view hidden: the pane is the client element and the window fits it.
    last->setCollapsed(true);
    EXPECT_EQ(last->Align(), daClient);
    EXPECT_EQ(f->Client()->height(), 123);
    EXPECT_EQ(f->SetAligns(true), 123);
    last->setCollapsed(false);
    EXPECT_EQ(last->Align(), daTop);
    EXPECT_EQ(f->Client()->height(), 160);
    // A taller window: the last view takes what remains.
    f->resize(f->width(), f->height() + 30);
    EXPECT_EQ(last->ActiveView()->height(), 67);
    EXPECT_EQ(f->SetAligns(false), 190);
}

TEST_F(DockWindows, SizeLimitsComeFromThePanesAndTheFrame)
{
    TDockFloatForm *f = twoPanes();
    const QSize frame = f->FrameSize();
    EXPECT_EQ(frame, QSize(6, 24));
    TCustomDockView *v = f->Pane(1)->ActiveView();
    v->setMaximumHeight(50);
    f->AlignPanes(true);
    EXPECT_EQ(f->CalcMinClientWidth(), 210);
    EXPECT_EQ(f->CalcMinClientHeight(), 100 + 23 + 20);
    EXPECT_EQ(f->CalcMaxClientHeight(), 100 + 23 + 50);
    EXPECT_EQ(f->minimumSize(), QSize(210 + 6, 143 + 24));
    EXPECT_EQ(f->maximumHeight(), 173 + 24);
    EXPECT_EQ(f->maximumWidth(), QWIDGETSIZE_MAX); // the width is never limited from above
    v->setMaximumHeight(QWIDGETSIZE_MAX);
    f->AlignPanes(true);
    EXPECT_EQ(f->maximumHeight(), QWIDGETSIZE_MAX);
}

TEST_F(DockWindows, CaptionDoubleClickFoldsAndUnfoldsTheWindow)
{
    TDockFloatForm *f = twoPanes();
    const int h0 = f->height();
    sendMouse(f, QEvent::MouseButtonDblClick, {30, 10}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(f->Collapsed());
    EXPECT_EQ(f->height(), 19 + 23 + f->FrameSize().height());
    sendMouse(f, QEvent::MouseButtonDblClick, {30, 10}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(f->Collapsed());
    EXPECT_EQ(f->height(), h0);
    sendMouse(f, QEvent::MouseButtonDblClick, {30, 40}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(f->Collapsed()); // not the caption
}

TEST_F(DockWindows, CaptionDragEndsAtTheSnappedPlace)
{
    TDockFloatForm *a = twoPanes({100, 100});
    TDockFloatForm *b = twoPanes({500, 50});
    ASSERT_EQ(a->geometry().topLeft(), QPoint(100, 100));
    const QPoint grab = b->mapToGlobal(QPoint(40, 10));
    sendMouse(b, QEvent::MouseButtonPress, {40, 10}, Qt::LeftButton, Qt::LeftButton);
    // Proposed: 5 pixels right of a's right edge and 4 below its top: snapped against it.
    const QPoint target = QPoint(a->geometry().right() + 1 + 5, 104) + (grab - b->pos());
    QMouseEvent move(QEvent::MouseMove, QPointF(40, 10), QPointF(target), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(b, &move);
    sendMouse(b, QEvent::MouseButtonRelease, {40, 10}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(b->geometry().topLeft(), QPoint(a->geometry().right() + 1, 100));
}

TEST_F(DockWindows, ATabMovedLessThanTheDragDistanceStartsNothing)
{
    TDockFloatForm *f = twoPanes();
    TDockViewManager *pane = f->Pane(0);
    const QPoint press(pane->ActiveView()->TabLeft() + 14, 10);
    const int d = QApplication::startDragDistance();
    sendMouse(pane, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    sendMouse(pane, QEvent::MouseMove, press + QPoint(d, d), Qt::NoButton, Qt::LeftButton);
    sendMouse(pane, QEvent::MouseButtonRelease, press + QPoint(d, d), Qt::LeftButton,
              Qt::NoButton);
    EXPECT_EQ(f->Count(), 2);
    EXPECT_EQ(manager->Count(), 1);
    EXPECT_EQ(pane->Count(), 1);
}

TEST_F(DockWindows, DraggedOntoAnotherWindowsPaneTheViewJoinsItAsItsActiveTab)
{
    TDockFloatForm *src = twoPanes({20, 20});
    TDockFloatForm *dst = twoPanes({400, 20});
    TCustomDockView *v = src->Pane(1)->ActiveView();
    dragTab(src->Pane(1), dst->Client()->mapToGlobal(QPoint(50, 40)));
    flush();
    EXPECT_EQ(src->Count(), 1);
    ASSERT_EQ(dst->Count(), 2);
    EXPECT_EQ(dst->Pane(0)->Count(), 2);
    EXPECT_EQ(dst->Pane(0)->ActiveView(), v);
    EXPECT_EQ(v->DockFloatForm(), dst);
    EXPECT_TRUE(v->isVisible());
}

TEST_F(DockWindows, DraggedOntoTheBandsTheViewMakesANewPane)
{
    struct
    {
        const char *what;
        int y; // in the target's client
        int newPane;
    } cases[] = {{"lower 4 px of the first pane's band", 97, 1}, {"top 3 px", 2, 0}};
    for (const auto &c : cases) {
        TDockFloatForm *src = twoPanes({20, 20});
        TDockFloatForm *dst = twoPanes({400, 20});
        TCustomDockView *v = src->Pane(0)->ActiveView();
        dragTab(src->Pane(0), dst->Client()->mapToGlobal(QPoint(50, c.y)));
        flush();
        ASSERT_EQ(dst->Count(), 3) << c.what;
        EXPECT_EQ(dst->IndexOf(v), c.newPane) << c.what;
        EXPECT_EQ(dst->Pane(c.newPane)->Count(), 1) << c.what;
        EXPECT_TRUE(dst->Pane(0)->First()) << c.what;
        delete src;
        delete dst;
    }
}

TEST_F(DockWindows, ReleasedOverEmptyScreenTheViewFloatsAndItsEmptyWindowGoes)
{
    TDockFloatForm *src = manager->AddForm();
    src->move(20, 20);
    TCustomDockView *v = makeView("alone", 81);
    src->DockView(-1, v);
    src->ShowMM();
    QPointer<TDockFloatForm> old = src;
    QPointer<TDockViewManager> oldPane = src->Pane(0);
    TDockViewManager *pane = src->Pane(0);
    const QPoint tab(v->TabLeft() + 14, 10);
    sendMouse(pane, QEvent::MouseButtonPress, tab, Qt::LeftButton, Qt::LeftButton);
    sendMouse(pane, QEvent::MouseMove, pane->mapFromGlobal(QPoint(500, 400)), Qt::NoButton,
              Qt::LeftButton);
    // The window it would float in: the view's frame at the cursor, kept at the press offset.
    const QPoint topLeft = QPoint(500, 400) - (pane->mapToGlobal(tab) - v->mapToGlobal(QPoint(0, 0)));
    const QRect expected(topLeft - QPoint(3, 3), QSize(210 + 6, 81 + 18 + 6));
    sendMouse(pane, QEvent::MouseButtonRelease, pane->mapFromGlobal(QPoint(500, 400)),
              Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(manager->Count(), 1);
    TDockFloatForm *fresh = manager->Form(0);
    EXPECT_NE(fresh, src);
    EXPECT_EQ(fresh->geometry().topLeft(), expected.topLeft());
    EXPECT_EQ(fresh->width(), expected.width());
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_EQ(v->DockFloatForm(), fresh);
    flush();
    EXPECT_TRUE(old.isNull());
    EXPECT_TRUE(oldPane.isNull());
}

TEST_F(DockWindows, EscCancelsTheDragAndChangesNothing)
{
    TDockFloatForm *src = twoPanes({20, 20});
    TDockFloatForm *dst = twoPanes({400, 20});
    TCustomDockView *v = src->Pane(1)->ActiveView();
    const QPoint over = dst->Client()->mapToGlobal(QPoint(50, 40));
    dragTab(src->Pane(1), over, false);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(src->Pane(1), &esc);
    EXPECT_EQ(src->Pane(1)->DragPart(), dtspNone);
    sendMouse(src->Pane(1), QEvent::MouseButtonRelease, src->Pane(1)->mapFromGlobal(over),
              Qt::LeftButton, Qt::NoButton);
    flush();
    EXPECT_EQ(manager->Count(), 2);
    EXPECT_EQ(src->Count(), 2);
    EXPECT_EQ(dst->Count(), 2);
    EXPECT_EQ(v->DockFloatForm(), src);
}

// ---- the manager and its window messages

TEST_F(DockWindows, PostedMessagesArriveOnceAfterTheCurrentEventAndSentOnesAnswer)
{
    TFakeDocument doc;
    doc.answer = 42;
    postWindowMessage(&doc, 0x1315, 7, -3);
    EXPECT_EQ(doc.received, 0);
    QCoreApplication::sendPostedEvents(&doc);
    QCoreApplication::sendPostedEvents(&doc);
    EXPECT_EQ(doc.received, 1);
    EXPECT_EQ(doc.last.msg, 0x1315u);
    EXPECT_EQ(doc.last.wParam, 7);
    EXPECT_EQ(doc.last.lParam, -3);
    TMessage m{0x400, 1, 2, 0};
    EXPECT_EQ(sendWindowMessage(&doc, m), 42);
    EXPECT_EQ(m.result, 42);
    EXPECT_FALSE(postWindowMessage(nullptr, 1, 0, 0));
}

TEST_F(DockWindows, MinimisingTwiceAndRestoringOnceShowsWhatWasVisibleBefore)
{
    TDockFloatForm *a = twoPanes({20, 20});
    TDockFloatForm *b = twoPanes({400, 20});
    TDockFloatForm *c = twoPanes({20, 300});
    b->hide();
    manager->Minimize();
    manager->Minimize();
    EXPECT_TRUE(manager->Minimized());
    EXPECT_FALSE(a->isVisible() || b->isVisible() || c->isVisible());
    const QRect where = c->geometry();
    manager->Restore();
    EXPECT_FALSE(manager->Minimized());
    EXPECT_TRUE(a->isVisible());
    EXPECT_FALSE(b->isVisible());
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(c->geometry(), where);
}

TEST_F(DockWindows, HasWindowKnowsThePaletteWindowsAndTheirChildren)
{
    TDockFloatForm *a = twoPanes();
    EXPECT_TRUE(manager->HasWindow(a));
    EXPECT_TRUE(manager->HasWindow(a->Pane(0)->ActiveView()));
    EXPECT_FALSE(manager->HasWindow(main));
    EXPECT_FALSE(manager->HasWindow(nullptr));
    TDockFloatForm *hiddenNever = manager->AddForm(); // never shown: no window yet
    EXPECT_FALSE(manager->HasWindow(hiddenNever));
}

TEST_F(DockWindows, PerformsAsksTheViewsThenTheDocumentWindow)
{
    TDockFloatForm *f = manager->AddForm();
    auto *v1 = new TAnsweringView, *v2 = new TAnsweringView;
    f->DockView(-1, v1);
    f->DockView(0, v2);
    f->ShowMM();
    auto *doc = new TFakeDocument;
    doc->answer = 9;

    // No document window, views asked: 0.
    TMessage m{0x500, 0, 0, 77};
    manager->Performs(m);
    EXPECT_EQ(m.result, 0);
    EXPECT_EQ(v1->received + v2->received, 2);
    // The first nonzero view answer wins.
    v1->answer = 5;
    v2->answer = 6;
    m.result = 0;
    manager->Performs(m);
    EXPECT_EQ(m.result, 5);
    // None answers: the document window's answer.
    v1->answer = v2->answer = 0;
    area->addSubWindow(doc)->show();
    area->setActiveSubWindow(area->subWindowList().first());
    manager->Performs(m);
    EXPECT_EQ(m.result, 9);
    EXPECT_EQ(doc->received, 1);
    // No view asked and no document: the result as it came.
    delete area->subWindowList().first();
    f->hide();
    TDockFloatManager bare(nullptr);
    TMessage n{0x500, 0, 0, 77};
    bare.Performs(n);
    EXPECT_EQ(n.result, 77);
}

TEST_F(DockWindows, AWheelNothingTakesReachesTheDocumentAsCMMouseWheel)
{
    TDockFloatForm *f = twoPanes();
    auto *doc = new TFakeDocument;
    area->addSubWindow(doc)->show();
    const QPoint local(30, 10), global = f->mapToGlobal(local);
    QWheelEvent wheel(QPointF(local), QPointF(global), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(f, &wheel);
    ASSERT_EQ(doc->received, 1);
    EXPECT_EQ(doc->last.msg, CM_MOUSEWHEEL);
    EXPECT_EQ(doc->last.wParam & 0xFFFF, 0x0004);
    EXPECT_EQ(int16_t(uint16_t(uint32_t(doc->last.wParam) >> 16)), -120);
    EXPECT_EQ(doc->last.lParam & 0xFFFF, global.x());
    EXPECT_EQ((doc->last.lParam >> 16) & 0xFFFF, global.y());
}
