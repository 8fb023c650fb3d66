// The tab strip of a pane: layout, hit map, strip heights, the arrow and the mouse.
#include "windows/dock/dock_test_support.h"

#include "ui/base/popup_menu.h"

#include <QApplication>
#include <QCursor>
#include <QMenu>

class DockTabs : public DockFixture
{
};

TEST(DockTabsLayout, TabsOverlapAndArePushedLeftWhenTheyOverflow)
{
    struct Case
    {
        const char *what;
        std::vector<int> widths;
        std::vector<bool> shown;
        int paneWidth;
        std::vector<int> lefts;
        int overflow;
    };
    const Case cases[] = {
        {"five of 80 in 200: pushed", {80, 80, 80, 80, 80}, {1, 1, 1, 1, 1}, 200,
         {4, 28, 51, 75, 99}, 189},
        {"five of 80 with room: placed", {80, 80, 80, 80, 80}, {1, 1, 1, 1, 1}, 400,
         {4, 75, 146, 217, 288}, -11},
        {"one tab stands", {300}, {1}, 200, {4}, 125},
        {"withdrawn tabs take no place", {80, 80, 80}, {1, 0, 1}, 400, {4, 0, 75}, -224},
    };
    for (const Case &c : cases) {
        int overflow = 0;
        EXPECT_EQ(layoutDockTabs(c.widths, c.shown, c.paneWidth, &overflow), c.lefts) << c.what;
        EXPECT_EQ(overflow, c.overflow) << c.what;
    }
}

TEST_F(DockTabs, HitMapTellsTabsApartAndTransparentPixelsHitNothing)
{
    TDockFloatForm *f = makeWindow({20, 20}, {3});
    TDockViewManager *pane = f->Pane(0);
    const TMemoryGraphic &img = pane->Image();
    ASSERT_EQ(img.Height(), 19);
    // Every tab has a point of its own in the middle of its visible part.
    for (int i = 0; i < 3; ++i) {
        const int left = pane->View(i)->TabLeft();
        EXPECT_EQ(pane->HitTest({left + 14, 10}), i) << i;
    }
    EXPECT_EQ(pane->HitTest({pane->width() - 25, 10}), -1); // right of the tabs, before the arrow
    EXPECT_EQ(pane->HitTest({2, 0}), -1);
    EXPECT_EQ(pane->HitTest({-1, 5}), -1);
}

TEST_F(DockTabs, StripHeightsArrowPlaceAndFirstSetsTheLimits)
{
    TDockFloatForm *f = makeWindow({20, 20}, {1, 1});
    TDockViewManager *first = f->Pane(0), *other = f->Pane(1);
    EXPECT_EQ(first->height(), 19);
    EXPECT_EQ(other->height(), 23);
    EXPECT_EQ(other->minimumHeight(), 23);
    EXPECT_EQ(other->maximumHeight(), 23);
    const int w = first->width();
    EXPECT_EQ(first->ArrowRect(), QRect(w - 19, 2, 17, 15));
    EXPECT_EQ(other->ArrowRect(), QRect(w - 19, 6, 17, 15));
    other->setFirst(true);
    EXPECT_EQ(other->minimumHeight(), 19);
    EXPECT_EQ(other->maximumHeight(), 19);
}

TEST_F(DockTabs, PressActivatesTabsInTheFirstPaneAndDragsTheSplitterInOthers)
{
    TDockFloatForm *f = makeWindow({20, 20}, {3, 1});
    TDockViewManager *first = f->Pane(0), *second = f->Pane(1);
    ASSERT_EQ(first->ActiveIndex(), 2);
    // The top 3 pixels of the first pane belong to the tabs.
    sendMouse(first, QEvent::MouseButtonPress, {first->View(0)->TabLeft() + 14, 2},
              Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(first->ActiveIndex(), 0);
    EXPECT_EQ(first->DragPart(), dtspTab);
    sendMouse(first, QEvent::MouseButtonRelease, {first->View(0)->TabLeft() + 14, 2},
              Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(first->DragPart(), dtspNone);

    // The top 4 pixels of another pane are the splitter: the view above grows by dy.
    TCustomDockView *above = first->ActiveView();
    const int h0 = above->height(), top0 = second->y(), formH0 = f->height();
    sendMouse(second, QEvent::MouseButtonPress, {60, 1}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(second->DragPart(), dtspSplitter);
    sendMouse(second, QEvent::MouseMove, {60, 13}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(above->height(), h0 + 12);
    EXPECT_EQ(second->y(), top0 + 12);
    EXPECT_EQ(f->height(), formH0 + 12);
    sendMouse(second, QEvent::MouseButtonRelease, {60, 1}, Qt::LeftButton, Qt::NoButton);
}

TEST_F(DockTabs, DoubleClickOnATabTogglesTheCollapsedPane)
{
    TDockFloatForm *f = makeWindow({20, 20}, {2});
    TDockViewManager *pane = f->Pane(0);
    const QPoint tab(pane->View(1)->TabLeft() + 14, 10);
    const int h0 = f->height();
    sendMouse(pane, QEvent::MouseButtonDblClick, tab, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(pane->Collapsed());
    EXPECT_EQ(f->height(), h0 - 100);
    sendMouse(pane, QEvent::MouseButtonDblClick, tab, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(pane->Collapsed());
    EXPECT_EQ(f->height(), h0);
}

TEST_F(DockTabs, ArrowPopsTheActiveViewsMenuAndFollowsTheCursor)
{
    TDockFloatForm *f = makeWindow({20, 20}, {2});
    TDockViewManager *pane = f->Pane(0);
    const QRect arrow = pane->ArrowRect();
    // Without a menu the arrow does nothing.
    int runs = 0;
    QPoint at;
    TGlyphState during = gsNone;
    const TPopupMenuRunner previous = installPopupMenuRunner([&](QMenu &, QPoint pos) {
        ++runs;
        at = pos;
        during = pane->ArrowState();
        QCursor::setPos(pane->mapToGlobal(arrow.center()));
        return static_cast<QAction *>(nullptr);
    });
    sendMouse(pane, QEvent::MouseButtonPress, arrow.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(runs, 0);
    QMenu menu;
    menu.addAction(QStringLiteral("x"));
    pane->ActiveView()->SetPopupMenu(&menu);
    QCursor::setPos(pane->mapToGlobal(arrow.center()));
    sendMouse(pane, QEvent::MouseButtonPress, arrow.center(), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(at, pane->mapToGlobal(QPoint(arrow.left(), pane->height())));
    EXPECT_EQ(during, gsActive);
    // The cursor still over the arrow keeps it lit; a move away puts it out.
    EXPECT_EQ(pane->ArrowState(), gsActive);
    sendMouse(pane, QEvent::MouseMove, {10, 10}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(pane->ArrowState(), gsNone);
    sendMouse(pane, QEvent::MouseMove, arrow.center(), Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(pane->ArrowState(), gsActive);
    installPopupMenuRunner(previous);
    pane->ActiveView()->SetPopupMenu(nullptr);
}

TEST_F(DockTabs, GoldenStripsThreeTabsMiddleActive)
{
    QMenu menu;
    for (bool withMenu : {false, true}) {
        TDockFloatForm *f = makeWindow({20, 20}, {3});
        TDockViewManager *pane = f->Pane(0);
        pane->setActiveIndex(1);
        if (withMenu)
            pane->ActiveView()->SetPopupMenu(&menu);
        QList<QRect> masks;
        for (int i = 0; i < 3; ++i) {
            const TCustomDockView *v = pane->View(i);
            masks << QRect(v->TabLeft() + 11, 3, v->GetTabWidth() - 13, 15);
        }
        EXPECT_EQ(compareWithDockGolden(pane->Image().image(),
                                        withMenu ? QStringLiteral("dock-strip-menu")
                                                 : QStringLiteral("dock-strip"),
                                        masks),
                  std::string());
        pane->ActiveView()->SetPopupMenu(nullptr);
    }
}
