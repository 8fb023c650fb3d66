#include "ui/controls/gradient_edit.h"

#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

class ControlsGradientEdit : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window.setGeometry(50, 50, 300, 100);
        edit = new TGradientEdit(&window);
        edit->SetBounds(10, 10, 213, 24); // bar inside B = 198
        edit->OnChange = [this](QObject *) { ++changes; };
        window.show();
    }
    // The image x of a position's marker centre.
    int at(float p) const { return edit->markerLeft(p) + 7; }
    float pos(int i) const
    {
        float p = -1;
        edit->GetPosition(p, i);
        return p;
    }

    QWidget window;
    TGradientEdit *edit = nullptr;
    int changes = 0;
};

} // namespace

TEST_F(ControlsGradientEdit, ClickOnEmptyBarAddsEvenAtCapacity)
{
    edit->setCapacity(2);
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0.5f), 12));
    EXPECT_EQ(edit->Count(), 3);
    EXPECT_EQ(edit->SelectIndex(), 1);
    EXPECT_NEAR(pos(1), 0.5f, 0.01f);
    EXPECT_GE(changes, 1);
    // A click on a marker selects it.
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0) + 2, 12));
    EXPECT_EQ(edit->SelectIndex(), 0);
    EXPECT_EQ(edit->GetNearestIndex(at(0.5f) + 1), 1);
    EXPECT_EQ(edit->GetNearestIndex(3), 0);
    EXPECT_EQ(edit->GetNearestIndex(500), 2);
}

TEST_F(ControlsGradientEdit, FirstAndLastStopsStayPut)
{
    for (int i : {0, 1}) {
        const QPoint marker(at(float(i)), 12);
        QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, marker);
        EXPECT_EQ(edit->SelectIndex(), i);
        QTest::mouseMove(edit, QPoint(marker.x(), 80));
        QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(marker.x(), 80));
        EXPECT_EQ(edit->Count(), 2);
        EXPECT_FLOAT_EQ(pos(i), float(i));
    }
}

TEST_F(ControlsGradientEdit, InnerStopDraggedOffIsDeletedAndStopsAtNeighbours)
{
    edit->AddStop(false, 0.25f);
    edit->AddStop(false, 0.5f);
    QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0.25f), 12));
    EXPECT_EQ(edit->SelectIndex(), 1);
    QTest::mouseMove(edit, QPoint(at(0.9f), 12));
    EXPECT_FLOAT_EQ(pos(1), 0.5f); // at its neighbour, never past it
    QTest::mouseMove(edit, QPoint(at(0.3f), 60));
    EXPECT_TRUE(edit->Invalid());
    QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0.3f), 60));
    EXPECT_FALSE(edit->Invalid());
    EXPECT_EQ(edit->Count(), 3);
    EXPECT_FLOAT_EQ(pos(1), 0.5f);
}

TEST_F(ControlsGradientEdit, ClickBetweenAPairSelectsTheLeft)
{
    edit->AddStop(false, 0.5f);
    edit->AddStop(false, 0.6f);
    ASSERT_TRUE(edit->UnionLeft(2));
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0.5f) + 3, 12));
    EXPECT_EQ(edit->SelectIndex(), 1);
    // The pair moves together under a drag.
    QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0.5f), 12));
    QTest::mouseMove(edit, QPoint(at(0.7f), 12));
    QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(at(0.7f), 12));
    EXPECT_NEAR(pos(1), 0.7f, 0.01f);
    EXPECT_FLOAT_EQ(pos(1), pos(2));
}

TEST(ControlsGradientEditPictures, BarWithMarkers)
{
    QWidget window;
    auto *edit = new TGradientEdit(&window);
    edit->SetBounds(0, 0, 213, 24);
    edit->AddStop(false, 0.3f);
    edit->AddStop(false, 0.6f);
    edit->AddStop(false, 0.7f);
    edit->UnionLeft(3);
    TColorPickerValue red{};
    red.rgb = {1, 0, 0};
    edit->SetColor(red, 1);
    edit->SetOpaque(0.5f, 4);
    edit->setSelectIndex(1);
    EXPECT_GOLDEN(pictureOf(edit->image()), "controls-gradient-edit");
}
