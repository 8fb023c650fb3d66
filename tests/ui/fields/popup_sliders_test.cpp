#include "ui/fields/popup_sliders.h"

#include "platform/desktop/messages.h"
#include "platform/system/clock.h"
#include "ui/fields/edit_boxes.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

class FieldsPopup : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        installMillisecondClock([this] { return now; });
        model.SetValues(nullptr, 25, 0, 100);
        window.setGeometry(100, 470, 300, 150);
        button = new TCustomNumPopupButton(&window);
        button->SetBounds(20, 20, 16, 16);
        button->setOrientation(gtVertical);
        button->setAssociate(&model);
        field = new TNumLabelEditPopup(&window);
        field->SetBounds(100, 20, 60, 20);
        field->setOrientation(gtHorizontal);
        field->setAssociate(&model);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override
    {
        for (TCustomNumPopupButton *b : {button, static_cast<TCustomNumPopupButton *>(field)})
            if (b->Form())
                b->Form()->closeWithResult(kavrin::mrCancel);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        installMillisecondClock({});
    }
    // A move of the held press, at a screen point, as the grab delivers it to w.
    void dragTo(QWidget *w, QPoint global)
    {
        const QPointF local = w->mapFromGlobal(QPointF(global));
        QMouseEvent ev(QEvent::MouseMove, local, QPointF(global), Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
        QApplication::sendEvent(w, &ev);
    }

    uint32_t now = 10000;
    TNumMngr model;
    QWidget window;
    TCustomNumPopupButton *button = nullptr;
    TNumLabelEditPopup *field = nullptr;
};

TEST_F(FieldsPopup, VerticalSliderOpensWithTheThumbUnderThePointer)
{
    EXPECT_EQ(verticalPopupAnchorY(500, 0.25f), 415);
    const QPoint press = button->mapFromGlobal(QPoint(0, 500));
    ASSERT_TRUE(press.y() >= 0 && press.y() < 16) << press.y();
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, press.y()));
    TTrackPopupForm *form = button->Form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->geometry().top(), 415);
    EXPECT_EQ(form->size(), QSize(24, 119));
    EXPECT_EQ(form->TrackBar()->geometry(), QRect(2, 2, 14, 109));
    EXPECT_FLOAT_EQ(form->TrackBar()->Position(), 0.25f);
    EXPECT_EQ(button->Status(), nudPushed);

    // Still pressed: the drag moves into the slider up to its top, and the value follows live.
    const QPoint top = form->TrackBar()->mapToGlobal(QPoint(7, 0));
    dragTo(button, top - QPoint(0, 20)); // above the slider: not dragging yet
    EXPECT_EQ(model.Value(), 25);
    dragTo(button, top);
    EXPECT_EQ(model.Value(), 100);
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_EQ(button->Form(), nullptr);
    EXPECT_EQ(model.Value(), 25);
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, press.y()));
    EXPECT_EQ(button->Status(), nudNone);
}

TEST_F(FieldsPopup, ReleasingLateKeepsTheValueEarlyKeepsThePopup)
{
    int opens = 0, closes = 0;
    button->OnPopupOpen = [&](QObject *) { ++opens; };
    button->OnPopupClose = [&](QObject *) { ++closes; };
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    ASSERT_NE(button->Form(), nullptr);
    dragTo(button, button->Form()->TrackBar()->mapToGlobal(QPoint(7, 0)));
    now += 1000;
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    EXPECT_EQ(button->Form(), nullptr);
    EXPECT_EQ(model.Value(), 100);
    EXPECT_EQ(opens, 1);
    EXPECT_EQ(closes, 1);

    // Released at once: the popup stays for clicks, and a press outside closes it with OK.
    QTest::mousePress(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    now += 100;
    QTest::mouseRelease(button, Qt::LeftButton, Qt::NoModifier, QPoint(8, 8));
    ASSERT_NE(button->Form(), nullptr);
    TGraphicTrackbar *bar = button->Form()->TrackBar();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(7, 105));
    EXPECT_EQ(model.Value(), 0);
    QTest::mouseClick(&window, Qt::LeftButton, Qt::NoModifier, QPoint(250, 120));
    EXPECT_EQ(button->Form(), nullptr);
    EXPECT_EQ(model.Value(), 0);
    EXPECT_EQ(opens, 2);
    EXPECT_EQ(closes, 2);
}

TEST_F(FieldsPopup, PressThatClosesThePopupDoesNotReopenIt)
{
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    ASSERT_NE(field->Form(), nullptr);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    EXPECT_EQ(field->Form(), nullptr);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    EXPECT_NE(field->Form(), nullptr);
}

TEST_F(FieldsPopup, HorizontalSliderOpensBelowTheField)
{
    QTest::mousePress(field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    TTrackPopupForm *form = field->Form();
    ASSERT_NE(form, nullptr);
    const QRect fieldOnScreen(field->mapToGlobal(QPoint(0, 0)), field->size());
    EXPECT_FALSE(form->geometry().intersects(fieldOnScreen));
    EXPECT_EQ(form->geometry().topLeft(), fieldOnScreen.bottomLeft() + QPoint(0, 1));
    EXPECT_EQ(form->size(), QSize(119, 24));
    EXPECT_EQ(form->TrackBar()->geometry(), QRect(2, 4, 109, 14));
    EXPECT_FLOAT_EQ(form->TrackBar()->Position(), 0.25f);
    QTest::mouseRelease(field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    EXPECT_NE(field->Form(), nullptr);

    // A click on the number while the popup is open closes the popup and starts no edit.
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_EQ(field->Form(), nullptr);
    EXPECT_FALSE(field->Editing());
    EXPECT_TRUE(gCaptureNumEdit->isHidden());
}

TEST_F(FieldsPopup, FieldLayoutStatusAndInPlaceEdit)
{
    const TNumPopupLayout l = numPopupLayout(60, 20);
    EXPECT_EQ(l.label, (sRect{2, 2, 42, 18}));
    EXPECT_EQ(l.button, (sRect{42, 2, 58, 18}));
    EXPECT_EQ(field->LabelRect(), l.label);
    EXPECT_EQ(field->ButtonRect(), l.button);
    EXPECT_EQ(field->Text(), "25");
    EXPECT_EQ(field->Status(), nudNone);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(field, &enter);
    EXPECT_EQ(field->Status(), nudHot);
    QApplication::sendEvent(button, &enter); // a sibling takes the hover
    EXPECT_EQ(field->Status(), nudNone);
    EXPECT_EQ(button->Status(), nudHot);
    field->setEnabled(false);
    EXPECT_EQ(field->Status(), nudInactive);
    field->setEnabled(true);
    field->setAssociate(nullptr);
    EXPECT_EQ(field->Status(), nudInactive);
    EXPECT_EQ(field->Text(), "0");
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(50, 10));
    EXPECT_EQ(field->Form(), nullptr); // unbound: no popup
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    EXPECT_FALSE(field->Editing());

    field->setAssociate(&model);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    ASSERT_TRUE(field->Editing());
    EXPECT_EQ(gCaptureNumEdit->geometry(), QRect(102, 22, 40, 16));
    EXPECT_FALSE(gCaptureNumEdit->hasFrame());
    QTest::keyClicks(gCaptureNumEdit, "60");
    QTest::keyClick(gCaptureNumEdit, Qt::Key_Return);
    EXPECT_FALSE(field->Editing());
    EXPECT_EQ(model.Value(), 60);
    EXPECT_EQ(field->Text(), "60");
}

TEST_F(FieldsPopup, FieldPicture)
{
    // The number is text: masked; the frame, the fill and the button are compared.
    const QList<QRect> masks{QRect(2, 2, 40, 16), QRect(63, 2, 40, 16)};
    const QImage normal = pictureOf(field->Image());
    field->setEnabled(false);
    const QImage disabled = pictureOf(field->Image());
    EXPECT_GOLDEN(sideBySide({normal, disabled}, 1), "popup-field", masks);
}
