#include "ui/controls/airmap_controls.h"

#include "platform/desktop/messages.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/num_mngr.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

using P = TPaintAirMap;

TEST(ControlsAirMap, PressMappingInvertsTheDrawing)
{
    // The 98 x 96 control of the popup.
    EXPECT_FLOAT_EQ(airMapFlatAt(49, 98), 0);
    EXPECT_FLOAT_EQ(airMapFlatAt(91, 98), 1);
    EXPECT_FLOAT_EQ(airMapFlatAt(10, 98), 0); // left half clamps
    EXPECT_FLOAT_EQ(airMapFlatAt(97, 98), 1);
    EXPECT_FLOAT_EQ(airMapAddAt(7, 96), 1);
    EXPECT_FLOAT_EQ(airMapAddAt(89, 96), 0);
    EXPECT_FLOAT_EQ(airMapAddAt(2, 96), 1);
    for (int x = 49; x <= 91; ++x)
        EXPECT_EQ(airMapFlatX(airMapFlatAt(x, 98), 98), x) << x;
    for (int y = 7; y <= 89; ++y)
        EXPECT_EQ(airMapAddY(airMapAddAt(y, 96), 96), y) << y;
    // Too small to have a span: no division by zero.
    EXPECT_FLOAT_EQ(airMapFlatAt(5, 14), 0);
    EXPECT_FLOAT_EQ(airMapAddAt(5, 10), 0);
}

TEST(ControlsAirMap, ControlDragsInsideItsFrame)
{
    QWidget window;
    window.setGeometry(50, 50, 200, 200);
    auto *c = new TAirMapControl(&window);
    c->SetBounds(0, 0, 98, 96);
    int changes = 0;
    c->OnChange = [&](QObject *) { ++changes; };
    window.show();
    c->SetParams(P::pamLinear, 0, 0); // unchanged: nothing
    EXPECT_EQ(changes, 0);
    c->setFlat(0.5f);
    EXPECT_EQ(changes, 1);
    for (QPoint frame : {QPoint(0, 40), QPoint(1, 40), QPoint(96, 40), QPoint(50, 95)}) {
        QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, frame);
        EXPECT_FALSE(c->Dragging()) << frame.x() << "," << frame.y();
        QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, frame);
    }
    EXPECT_EQ(changes, 1);
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, QPoint(70, 48));
    EXPECT_TRUE(c->Dragging());
    EXPECT_FLOAT_EQ(c->Flat(), airMapFlatAt(70, 98));
    EXPECT_FLOAT_EQ(c->Add(), airMapAddAt(48, 96));
    QTest::mouseMove(c, QPoint(91, 7));
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, QPoint(91, 7));
    EXPECT_FALSE(c->Dragging());
    EXPECT_FLOAT_EQ(c->Flat(), 1);
    EXPECT_FLOAT_EQ(c->Add(), 1);
    // The vertical line of the cross-hair lies at the pointer's column.
    const TColor32 line = c->image().GetPixel(91, 50);
    const TColor32 beside = c->image().GetPixel(88, 50);
    EXPECT_NE(px(line), px(beside));
}

class ControlsAirMapDropDown : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window.setGeometry(50, 50, 200, 100);
        picker = new TAirMapDropDown(&window);
        picker->SetBounds(10, 10, 40, 24);
        picker->OnChange = [this](QObject *) { ++changes; };
        window.show();
    }
    void open() { QTest::mouseClick(picker, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }
    void closeWith(int result)
    {
        ASSERT_NE(picker->PopupForm(), nullptr);
        picker->PopupForm()->closeWithResult(result);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QWidget window;
    TAirMapDropDown *picker = nullptr;
    int changes = 0;
};

TEST_F(ControlsAirMapDropDown, NoCurvesToggleFlatAndCircle)
{
    picker->setFlat(30);
    changes = 0;
    picker->setAirMapType(TPaintAirMapType::pamtNo);
    EXPECT_EQ(picker->AirMap(), P::pamNo);
    EXPECT_FLOAT_EQ(picker->Flat(), 0);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(picker->PickerType(), ipIcon);
    open();
    EXPECT_EQ(picker->AirMap(), P::pamFlat);
    open();
    EXPECT_EQ(picker->AirMap(), P::pamCircle);
    open();
    EXPECT_EQ(picker->AirMap(), P::pamFlat);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(picker->PopupForm(), nullptr);
}

TEST_F(ControlsAirMapDropDown, OpeningShowsTheCurrentCurve)
{
    picker->setAirMap(P::pamSquare);
    picker->setFlat(40);
    picker->setAdd(25);
    open();
    ASSERT_NE(picker->PopupForm(), nullptr);
    EXPECT_EQ(picker->PopupForm()->width(), 182);
    EXPECT_EQ(picker->PopupForm()->height(), 130);
    ASSERT_NE(picker->AirMapControl(), nullptr);
    EXPECT_EQ(picker->AirMapControl()->size(), QSize(98, 96));
    EXPECT_TRUE(picker->CurveButton(P::pamSquare)->Down());
    EXPECT_FALSE(picker->CurveButton(P::pamLinear)->Down());
    EXPECT_EQ(picker->CurveButton(P::pamFlat), nullptr);
    EXPECT_FLOAT_EQ(picker->AirMapControl()->Flat(), 0.4f);
    EXPECT_FLOAT_EQ(picker->AirMapControl()->Add(), 0.25f);
    EXPECT_EQ(picker->AirMapControl()->AirMap(), P::pamSquare);
    EXPECT_TRUE(picker->Popup());
    closeWith(kavrin::mrOk);
    EXPECT_FALSE(picker->Popup());

    picker->setAirMap(P::pamFlat); // no button for it
    open();
    for (int i = 0; i < 7; ++i)
        if (TItemButton *b = picker->CurveButton(P(i))) {
            EXPECT_FALSE(b->Down()) << i;
        }
    closeWith(kavrin::mrOk);
}

TEST_F(ControlsAirMapDropDown, FieldsAndControlFollowEachOther)
{
    open();
    changes = 0;
    picker->NumFlat()->SetString(picker->EdtFlat(), "50");
    EXPECT_FLOAT_EQ(picker->AirMapControl()->Flat(), 0.5f);
    EXPECT_GE(changes, 1);
    TAirMapControl *c = picker->AirMapControl();
    QTest::mousePress(c, Qt::LeftButton, Qt::NoModifier, QPoint(91, 89));
    QTest::mouseRelease(c, Qt::LeftButton, Qt::NoModifier, QPoint(91, 89));
    EXPECT_FLOAT_EQ(picker->Flat(), 100);
    EXPECT_FLOAT_EQ(picker->Add(), 0);
    // A curve button chooses the curve at once.
    QTest::mouseClick(picker->CurveButton(P::pamGamma), Qt::LeftButton, Qt::NoModifier,
                      QPoint(5, 5));
    EXPECT_EQ(picker->AirMap(), P::pamGamma);
    EXPECT_EQ(c->AirMap(), P::pamGamma);
    closeWith(kavrin::mrOk); // Enter keeps
    EXPECT_EQ(picker->AirMap(), P::pamGamma);
    EXPECT_FLOAT_EQ(picker->Flat(), 100);
}

TEST_F(ControlsAirMapDropDown, EscapePutsBackTheOpeningValues)
{
    picker->setFlat(20);
    open();
    QTest::mouseClick(picker->CurveButton(P::pamCircle), Qt::LeftButton, Qt::NoModifier,
                      QPoint(5, 5));
    picker->NumFlat()->SetString(picker->EdtFlat(), "70");
    changes = 0;
    closeWith(kavrin::mrCancel);
    EXPECT_EQ(picker->AirMap(), P::pamLinear);
    EXPECT_FLOAT_EQ(picker->Flat(), 20);
    EXPECT_GE(changes, 1); // through the Flat setter
    EXPECT_EQ(picker->PopupForm(), nullptr);
}

TEST_F(ControlsAirMapDropDown, OpeningAndClosingRepeatedly)
{
    for (TPaintAirMapType t : {TPaintAirMapType::pamt2, TPaintAirMapType::pamt4}) {
        picker->setAirMapType(t);
        for (int i = 0; i < 10; ++i) {
            open();
            ASSERT_NE(picker->PopupForm(), nullptr);
            closeWith(i % 2 ? kavrin::mrOk : kavrin::mrCancel);
            EXPECT_EQ(picker->PopupForm(), nullptr);
        }
    }
    EXPECT_EQ(picker->findChildren<TPopupBaseForm *>().size(), 0);
}

TEST(ControlsAirMapPictures, PopupControl)
{
    QWidget window;
    auto *c = new TAirMapControl(&window);
    c->SetBounds(0, 0, 98, 96);
    c->SetParams(P::pamRoundTop, 0.5f, 0.25f);
    EXPECT_GOLDEN(pictureOf(c->image()), "controls-airmap-control");
}
