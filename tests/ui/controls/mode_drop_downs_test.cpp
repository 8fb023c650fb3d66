#include "ui/controls/mode_drop_downs.h"

#include "ui/graphics/glyph_manager.h"
#include "ui/ui_test_support.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

void fakeLayerModeName(TLayerMode mode, QString &name)
{
    name = QString("mode %1").arg(int(mode));
}

// Records the menu and chooses the entry with the given id (0: none).
class ControlsModeDropDowns : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        previousName = installLayerModeNameProc(fakeLayerModeName);
        previous = installPopupMenuRunner([this](QMenu &menu, QPoint) -> QAction * {
            ++runs;
            items = separators = 0;
            checkedId = -1;
            QAction *chosen = nullptr;
            for (QAction *a : menu.actions()) {
                if (a->isSeparator()) {
                    ++separators;
                    continue;
                }
                ++items;
                ids.push_back(a->data().toInt());
                if (a->isChecked())
                    checkedId = a->data().toInt();
                if (a->data().toInt() == choose)
                    chosen = a;
            }
            return chosen;
        });
        window.setGeometry(50, 50, 300, 100);
        sub = new TSubPaintDropDown(&window);
        sub->SetBounds(10, 10, 40, 30);
        sub->OnChange = [this](QObject *) { ++changes; };
        blend = new TBlendModeDropDwon(&window);
        blend->SetBounds(60, 10, 100, 22);
        blend->OnChange = [this](QObject *) { ++changes; };
        window.show();
    }
    void TearDown() override
    {
        installPopupMenuRunner(previous);
        installLayerModeNameProc(previousName);
    }

    fptrLayerModeName previousName = nullptr;
    TPopupMenuRunner previous;
    QWidget window;
    TSubPaintDropDown *sub = nullptr;
    TBlendModeDropDwon *blend = nullptr;
    int runs = 0, items = 0, separators = 0, checkedId = -1, choose = 0, changes = 0;
    std::vector<int> ids;
};

} // namespace

TEST(ControlsModeMenu, EntriesAndSeparators)
{
    const auto e = modeMenuEntries(7, {1, 4}, 2, [](int i) { return QString::number(i); });
    ASSERT_EQ(e.size(), 9u);
    EXPECT_EQ(e[0].id, 1000);
    EXPECT_TRUE(e[1].separator);
    EXPECT_EQ(e[2].id, 1001);
    EXPECT_TRUE(e[3].checked);
    EXPECT_EQ(e[3].id, 1002);
    EXPECT_TRUE(e[5].separator);
    EXPECT_EQ(e[8].id, 1006);
    EXPECT_EQ(e[8].caption, "6");
}

TEST_F(ControlsModeDropDowns, SubModeMenu)
{
    sub->setSubPaintMode(TSubPaintMode::spmDrawCurve);
    changes = 0;
    choose = 1002; // the marked entry
    QTest::mouseClick(sub, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(items, 7);
    EXPECT_EQ(separators, 2);
    EXPECT_EQ(checkedId, 1002);
    EXPECT_EQ(ids.front(), 1000);
    EXPECT_EQ(ids.back(), 1006);
    EXPECT_EQ(changes, 0);
    choose = 1005;
    QTest::mouseClick(sub, Qt::LeftButton, Qt::NoModifier, QPoint(35, 5));
    EXPECT_EQ(sub->SubPaintMode(), TSubPaintMode::spmDrawEllipse);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(sub->Popup());
    choose = 0;
    QTest::mouseClick(sub, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(sub->SubPaintMode(), TSubPaintMode::spmDrawEllipse);
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsModeDropDowns, BlendModeMenu)
{
    QString standard;
    getBlendModeName(TBlendMode::bmStandard, standard);
    EXPECT_EQ(blend->BlendModeName(), standard);
    EXPECT_TRUE(standard.startsWith("mode ")); // the fake lookup
    choose = 1000;
    QTest::mouseClick(blend, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(items, 22);
    EXPECT_EQ(separators, 5);
    EXPECT_EQ(checkedId, 1000);
    EXPECT_EQ(changes, 0);
    choose = 1021;
    QTest::mouseClick(blend, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(blend->BlendMode(), TBlendMode::bmLuminosity);
    EXPECT_EQ(changes, 1);
    QString expected;
    getBlendModeName(TBlendMode::bmLuminosity, expected);
    EXPECT_EQ(blend->BlendModeName(), expected);
}

TEST_F(ControlsModeDropDowns, GlyphStates)
{
    sub->SetEnabled(false);
    EXPECT_EQ(sub->GlyphState(), gsDisabled);
    sub->SetEnabled(true);
    EXPECT_EQ(sub->GlyphState(), gsNone);
    QMouseEvent ev(QEvent::MouseMove, QPointF(5, 5), sub->mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(sub, &ev);
    EXPECT_EQ(sub->GlyphState(), gsActive);
}

TEST_F(ControlsModeDropDowns, NoParentOpensNothing)
{
    TSubPaintDropDown lone;
    lone.SetBounds(0, 0, 40, 30);
    lone.show();
    QTest::mouseClick(&lone, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(runs, 0);
}
