// Panes: their tabs, the active view, withdrawing and display states, heights and dock bands.
#include "windows/dock/dock_test_support.h"

class DockPanes : public DockFixture
{
};

TEST_F(DockPanes, InsertTabPlacesAtAValidIndexOrAppendsAndActivates)
{
    TDockFloatForm *f = makeWindow({20, 20}, {2});
    TDockViewManager *pane = f->Pane(0);
    TCustomDockView *a = makeView("a"), *b = makeView("b");
    EXPECT_EQ(pane->InsertTab(1, a), 1);
    EXPECT_EQ(pane->ActiveIndex(), 1);
    EXPECT_EQ(pane->InsertTab(17, b), 3);
    EXPECT_EQ(pane->ActiveIndex(), 3);
    EXPECT_EQ(pane->ActiveView(), b);
    EXPECT_EQ(b->DockViewManager(), pane);
    EXPECT_EQ(b->DockFloatForm(), f);
    EXPECT_EQ(pane->InsertTab(0, nullptr), -1);
}

TEST_F(DockPanes, APaneTakesAtMost256Tabs)
{
    TDockFloatForm *f = makeWindow({20, 20}, {0});
    TDockViewManager *pane = f->AddPane();
    for (int i = 0; i < kMaxDockTabs; ++i)
        ASSERT_EQ(pane->AddTab(makeView(QString())), i);
    TCustomDockView *extra = makeView(QString());
    EXPECT_EQ(pane->AddTab(extra), -1);
    EXPECT_EQ(extra->DockViewManager(), nullptr);
    delete extra;
}

TEST_F(DockPanes, RemoveTabKeepsTheActiveIndexInRangeAndEmptiesRemovePaneAndWindow)
{
    TDockFloatForm *f = makeWindow({20, 20}, {3, 1});
    TDockViewManager *pane = f->Pane(0);
    TCustomDockView *last = pane->View(2), *mid = pane->View(1);
    ASSERT_EQ(pane->ActiveIndex(), 2);
    EXPECT_EQ(pane->RemoveTab(last), 2);
    EXPECT_EQ(pane->ActiveIndex(), 1); // min(max(2, 0), 1)
    EXPECT_EQ(last->DockViewManager(), nullptr);
    EXPECT_EQ(pane->RemoveTab(last), -1);
    pane->setActiveIndex(0);
    EXPECT_EQ(pane->RemoveTab(mid), 1);
    EXPECT_EQ(pane->ActiveIndex(), 0);
    delete last;
    delete mid;

    QPointer<TDockFloatForm> window = f;
    QPointer<TDockViewManager> second = f->Pane(1);
    TCustomDockView *only = second->View(0);
    second->RemoveTab(only); // the last tab: the pane goes
    EXPECT_EQ(f->Count(), 1);
    EXPECT_EQ(f->Pane(0)->First(), true);
    flush();
    EXPECT_TRUE(second.isNull());
    TCustomDockView *v0 = f->Pane(0)->View(0);
    f->Pane(0)->RemoveTab(v0); // the last pane: the window goes
    EXPECT_EQ(manager->Count(), 0);
    flush();
    EXPECT_TRUE(window.isNull());
    delete only;
    delete v0;
}

TEST_F(DockPanes, ActiveIndexShowsOneViewAndIgnoresIndicesOutOfRange)
{
    TDockFloatForm *f = makeWindow({20, 20}, {3});
    TDockViewManager *pane = f->Pane(0);
    pane->View(0)->setDisplay(false);
    pane->setActiveIndex(0);
    EXPECT_TRUE(pane->View(0)->Display()); // activating a withdrawn view displays it
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pane->View(i)->isVisible(), i == 0) << i;
        EXPECT_EQ(pane->View(i)->TabState(), i == 0 ? tsActive : tsNone) << i;
    }
    for (int bad : {-2, 3, 99}) {
        pane->setActiveIndex(bad);
        EXPECT_EQ(pane->ActiveIndex(), 0) << bad;
        EXPECT_TRUE(pane->View(0)->isVisible()) << bad;
    }
}

TEST_F(DockPanes, WithdrawingTheActiveViewActivatesTheNextDisplayedElseTheNearestBefore)
{
    TDockFloatForm *f = makeWindow({20, 20}, {3});
    TDockViewManager *pane = f->Pane(0);
    pane->setActiveIndex(0);
    pane->View(0)->setDisplay(false);
    EXPECT_EQ(pane->ActiveIndex(), 1);
    pane->View(0)->setDisplay(true);
    EXPECT_EQ(pane->ActiveIndex(), 0);
    pane->setActiveIndex(2);
    pane->View(1)->setDisplay(false); // an inactive tab: the active one stays
    EXPECT_EQ(pane->ActiveIndex(), 2);
    pane->View(2)->setDisplay(false); // nothing after: the nearest displayed before
    EXPECT_EQ(pane->ActiveIndex(), 0);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(DockPanes, WithdrawingTheOnlyViewHidesTheWindowAndTheViewStaysDisplayed)
{
    TDockFloatForm *f = makeWindow({20, 20}, {1});
    TCustomDockView *v = f->Pane(0)->View(0);
    v->setDisplay(false);
    EXPECT_FALSE(f->isVisible());
    EXPECT_TRUE(v->Display());
    v->setDisplay(true);
    EXPECT_TRUE(f->isVisible());
}

TEST_F(DockPanes, WithdrawingTheOnlyViewOfOneOfTwoPanesCollapsesIt)
{
    TDockFloatForm *f = makeWindow({20, 20}, {1, 1});
    f->Pane(1)->View(0)->setDisplay(false);
    EXPECT_TRUE(f->isVisible());
    EXPECT_TRUE(f->Pane(1)->Collapsed());
}

TEST_F(DockPanes, DisplayStateIsParentHideUnderAHiddenWindowWhateverElseHolds)
{
    TDockFloatForm *f = makeWindow({20, 20}, {2});
    TDockViewManager *pane = f->Pane(0);
    TCustomDockView *active = pane->View(1), *other = pane->View(0);
    EXPECT_EQ(active->DisplayState(), ddsDisplay);
    EXPECT_EQ(other->DisplayState(), ddsNotActive);
    pane->setCollapsed(true);
    EXPECT_EQ(active->DisplayState(), ddsCollapsed);
    f->hide();
    EXPECT_EQ(active->DisplayState(), ddsParentHide);
    EXPECT_EQ(other->DisplayState(), ddsParentHide);
    pane->setCollapsed(false);
    EXPECT_EQ(active->DisplayState(), ddsParentHide);
    TCustomDockView loose;
    EXPECT_EQ(loose.DisplayState(), ddsParentHide);
}

TEST_F(DockPanes, PaneHeightsAndWidthLimitsFollowTheActiveView)
{
    TDockFloatForm *f = makeWindow({20, 20}, {1, 1}, 80);
    TDockViewManager *first = f->Pane(0), *other = f->Pane(1);
    TCustomDockView *v = other->ActiveView();
    v->setMinimumHeight(30);
    v->setMaximumHeight(200);
    v->setMinimumWidth(240);
    v->setMaximumWidth(300);
    EXPECT_EQ(first->GetPaneHeight(), 19 + 80);
    EXPECT_EQ(other->GetPaneHeight(), 23 + other->ActiveView()->height());
    EXPECT_EQ(other->GetMinPaneHeight(), 23 + 30);
    EXPECT_EQ(other->GetMaxPaneHeight(), 23 + 200);
    EXPECT_EQ(other->GetMinPaneWidth(), 240);
    EXPECT_EQ(other->GetMaxPaneWidth(), 300);
    EXPECT_EQ(first->GetMaxPaneHeight(), 0); // no limit stays no limit
    EXPECT_EQ(first->GetMaxPaneWidth(), 0);
    other->setCollapsed(true);
    EXPECT_EQ(other->GetPaneHeight(), 23);
    EXPECT_EQ(other->GetMinPaneHeight(), 23);
    EXPECT_EQ(other->GetMaxPaneHeight(), 23); // no visible view: the strip
    EXPECT_EQ(other->GetMinPaneWidth(), 200); // the pane's own
    TDockViewManager empty;
    EXPECT_EQ(empty.GetPaneHeight(), 0);
    EXPECT_EQ(empty.GetMinPaneHeight(), 0);
}

TEST_F(DockPanes, DockRectsAreBandsAboveAndBelowOrThePaneItself)
{
    TDockFloatForm *f = makeWindow({20, 20}, {1, 1}, 80);
    TDockViewManager *first = f->Pane(0), *other = f->Pane(1);
    const int w = first->width(), h2 = other->ActiveView()->height();
    ASSERT_EQ(other->y(), 99);
    EXPECT_EQ(first->GetDockRect(-1), QRect(0, -4, w, 8));
    EXPECT_EQ(first->GetDockRect(0), QRect(0, 0, w, 99));
    EXPECT_EQ(first->GetDockRect(1), QRect(0, 19 - 4 + 80, w, 8));
    EXPECT_EQ(other->GetDockRect(-1), QRect(0, 97, w, 8));
    EXPECT_EQ(other->GetDockRect(0), QRect(0, 103, w, 23 - 4 + h2));
    EXPECT_EQ(other->GetDockRect(1), QRect(0, 99 + 23 - 4 + h2, w, 8));
}
