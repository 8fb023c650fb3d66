#include "ui/base/popup_menu.h"
#include "ui/fields/drop_down_menu.h"
#include "ui/fields/mouse_gates.h"
#include "ui/fields/path_label.h"
#include "ui/fields/tab_strip.h"
#include "ui/ui_test_support.h"

#include "core/image/display_canvas.h"

#include <QApplication>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

TEST(FieldsTabs, Layout)
{
    int overflow = 0;
    EXPECT_EQ(layoutTabLefts({40, 40, 40}, {true, true, true}, 200, &overflow),
              (std::vector<int>{4, 35, 66}));
    EXPECT_LT(overflow, 0);
    EXPECT_EQ(layoutTabLefts(std::vector<int>(6, 60), std::vector<bool>(6, true), 200, &overflow),
              (std::vector<int>{4, 25, 47, 68, 90, 111}));
    EXPECT_EQ(overflow, 148);
    // A hidden tab takes no room; one tab is never squeezed.
    EXPECT_EQ(layoutTabLefts({40, 40, 40}, {true, false, true}, 200), (std::vector<int>{4, 0, 35}));
    EXPECT_EQ(layoutTabLefts({300}, {true}, 100), (std::vector<int>{4}));
}

TEST(FieldsTabs, ClicksSelectThroughTheHitMap)
{
    QWidget window;
    window.resize(300, 100);
    TGraphicTabControl tabs(&window);
    tabs.SetBounds(0, 0, 200, 40);
    int changes = 0;
    tabs.OnChange = [&](QObject *) { ++changes; };
    EXPECT_EQ(tabs.AddTab("Brush"), 0);
    EXPECT_EQ(tabs.AddTab("Nib"), 1);
    EXPECT_EQ(tabs.AddTab("Stroke"), 2);
    window.show();
    EXPECT_EQ(tabs.ActiveIndex(), 0);
    for (int i : {2, 1, 0}) {
        const TGraphicTabObject &t = tabs.Tab(i);
        const QPoint centre(t.FLeft + t.Image(tsNone).Width() / 2, 10);
        QTest::mouseClick(&tabs, Qt::LeftButton, Qt::NoModifier, centre);
        EXPECT_EQ(tabs.ActiveIndex(), i);
        EXPECT_EQ(tabs.TabAt(centre.x(), centre.y()), i);
    }
    EXPECT_EQ(changes, 3);
    QTest::mouseClick(&tabs, Qt::LeftButton, Qt::NoModifier, QPoint(195, 30)); // background
    EXPECT_EQ(tabs.ActiveIndex(), 0);
    EXPECT_EQ(changes, 3);

    // Where tabs overlap the one nearer the active tab wins.
    tabs.setActiveIndex(2);
    const TGraphicTabObject &second = tabs.Tab(1);
    const int overlap = second.FLeft + second.Image(tsNone).Width() - 3;
    EXPECT_EQ(tabs.TabAt(overlap, 10), 2);

    EXPECT_EQ(tabs.RemoveTab(5), -1);
    EXPECT_EQ(tabs.RemoveTab(2), 2);
    EXPECT_EQ(tabs.ActiveIndex(), 2);
    EXPECT_FALSE(tabs.IsValidIndex(2));
    tabs.Redraw();
    EXPECT_EQ(tabs.TabAt(second.FLeft + 10, 10), -1); // no valid active tab: none drawn
}

TEST(FieldsTabs, ByteSizedHitMapLimitsTheTabs)
{
    TGraphicTabControl tabs;
    tabs.SetBounds(0, 0, 200, 40);
    for (int i = 0; i < TGraphicTabControl::kMaxTabs; ++i)
        ASSERT_EQ(tabs.AddTab(QString::number(i)), i);
    EXPECT_EQ(tabs.AddTab("one too many"), -1);
    EXPECT_EQ(tabs.Count(), 255);
    tabs.setActiveIndex(254);
    const TGraphicTabObject &last = tabs.Tab(254);
    EXPECT_EQ(tabs.TabAt(last.FLeft + last.Image(tsActive).Width() / 2, 10), 254);
}

TEST(FieldsTabs, Picture)
{
    TGraphicTabControl tabs;
    tabs.SetBounds(0, 0, 200, 26);
    tabs.AddTab("A");
    tabs.AddTab("B");
    tabs.setActiveIndex(1);
    // The captions are text: masked.
    QList<QRect> masks;
    for (int i = 0; i < 2; ++i)
        masks << QRect(tabs.Tab(i).FLeft + 11, 3, tabs.Tab(i).Image(tsNone).Width() - 13, 15);
    EXPECT_GOLDEN(pictureOf(tabs.Image()), "tab-strip", masks);
}

class FieldsGates : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        previous = installPopupMenuRunner([this](QMenu &, QPoint pos) -> QAction * {
            ++runs;
            downWhileRunning = a->Down();
            shownAt = pos;
            return nullptr;
        });
        window.setGeometry(50, 50, 200, 100);
        a = new TDropDownMenu(&window);
        a->SetBounds(10, 10, 11, 11);
        b = new TDropDownMenu(&window);
        b->SetBounds(21, 10, 11, 11);
        a->PopupMenu = &menu;
        window.show();
    }
    void TearDown() override { installPopupMenuRunner(previous); }
    static void enter(QWidget *w)
    {
        QEnterEvent ev(QPointF(5, 5), QPointF(5, 5), w->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(w, &ev);
    }

    TPopupMenuRunner previous;
    QWidget window;
    QMenu menu;
    TDropDownMenu *a = nullptr;
    TDropDownMenu *b = nullptr;
    int runs = 0;
    bool downWhileRunning = false;
    QPoint shownAt;
};

TEST_F(FieldsGates, DropDownRunsItsMenu)
{
    EXPECT_EQ(a->size(), QSize(11, 11));
    QTest::mouseClick(a, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(downWhileRunning);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->GlyphState(), gsNone);
    EXPECT_EQ(shownAt, a->mapToGlobal(QPoint(0, 11)));
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); // no menu
    EXPECT_EQ(runs, 1);

    a->setEnabled(false);
    EXPECT_EQ(a->GlyphState(), gsDisabled);
    QTest::mouseClick(a, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(runs, 1);
    QCursor::setPos(a->mapToGlobal(QPoint(5, 5)));
    a->setEnabled(true);
    EXPECT_EQ(a->GlyphState(), gsActive);
    a->setEnabled(false);
    QCursor::setPos(window.mapToGlobal(QPoint(150, 80)));
    a->setEnabled(true);
    EXPECT_EQ(a->GlyphState(), gsNone);
}

TEST_F(FieldsGates, OnlyOneSiblingShowsItsHover)
{
    enter(a);
    EXPECT_EQ(a->GlyphState(), gsActive);
    enter(b);
    EXPECT_EQ(b->GlyphState(), gsActive);
    EXPECT_EQ(a->GlyphState(), gsNone);

    EXPECT_TRUE(acceptMouseDown(a));
    EXPECT_TRUE(acceptMouseMove(a));
    EXPECT_EQ(b->GlyphState(), gsNone); // a move is an entry too
    a->setNoStdEvents(true);
    EXPECT_FALSE(acceptMouseDown(a));
    EXPECT_FALSE(acceptMouseEnter(a));
    a->setNoStdEvents(false);
    a->hide();
    EXPECT_FALSE(acceptMouseLeave(a));
    EXPECT_FALSE(acceptMouseMove(a));
    EXPECT_FALSE(acceptMouseDown(nullptr));
}

TEST(FieldsPathLabel, ModifiedMark)
{
    TPathLabel label;
    label.SetBounds(0, 0, 120, 16);
    label.setPath("/home/user/pictures/cat.qzi");
    EXPECT_EQ(label.Caption(), "/home/user/pictures/cat.qzi");
    label.setModified(true);
    EXPECT_EQ(label.Caption(), "/home/user/pictures/cat.qzi*");
    label.setPath("/tmp/dog.qzi");
    EXPECT_EQ(label.Caption(), "/tmp/dog.qzi*");
    label.setModified(false);
    EXPECT_EQ(label.Caption(), "/tmp/dog.qzi");
    EXPECT_TRUE(label.TextFlags() & DT_PATH_ELLIPSIS);
}
