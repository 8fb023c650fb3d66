#include "ui/fields/label_fields.h"

#include "ui/fields/trackbar.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

class FieldsLabels : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        model.SetValues(nullptr, 40, 0, 100);
        window.setGeometry(100, 100, 300, 200);
        field = new TNumLabelEdit(&window);
        field->SetBounds(10, 10, 60, 20);
        field->setAssociate(&model);
        other = new TNumLabel(&window);
        other->SetBounds(10, 40, 36, 16);
        other->setAssociate(&model);
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    void TearDown() override
    {
        if (gCaptureNumEdit->Editing())
            QTest::keyClick(gCaptureNumEdit, Qt::Key_Escape);
        if (gCaptureEdit->Editing())
            QTest::keyClick(gCaptureEdit, Qt::Key_Escape);
    }

    TNumMngr model;
    QWidget window;
    TNumLabelEdit *field = nullptr;
    TNumLabel *other = nullptr;
};

TEST_F(FieldsLabels, NumberFieldEditsInPlace)
{
    TGraphicTrackbar bar(&window);
    bar.SetBounds(10, 80, 109, 14);
    model.OnChange = [&](QObject *) { bar.setPosition(model.Position()); };
    int enters = 0, exits = 0;
    field->OnEditEnter = [&](QObject *) { ++enters; };
    field->OnEditExit = [&](QObject *) { ++exits; };

    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    TCaptureNumEdit *e = gCaptureNumEdit;
    ASSERT_TRUE(field->IsEditing());
    EXPECT_EQ(e->parentWidget(), &window);
    EXPECT_EQ(e->geometry(), field->geometry());
    EXPECT_EQ(e->text(), "40");
    EXPECT_EQ(enters, 1);
    QTest::keyClicks(e, "70");
    EXPECT_FLOAT_EQ(bar.Position(), 0.7f); // live typing moves the slider already
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_FALSE(field->IsEditing());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(model.Value(), 70);
    EXPECT_EQ(field->Caption(), "70");
    EXPECT_EQ(other->Caption(), "70");
    EXPECT_EQ(e->parentWidget(), nullptr);
    EXPECT_EQ(e->Associate(), nullptr);

    // Escape undoes the live typing.
    model.setValue(40);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::keyClicks(e, "70");
    EXPECT_EQ(model.Value(), 70);
    QTest::keyClick(e, Qt::Key_Escape);
    EXPECT_EQ(model.Value(), 40);
    EXPECT_EQ(other->Caption(), "40");
}

TEST_F(FieldsLabels, ClickOnAnotherFieldFirstEndsTheRunningEdit)
{
    auto *second = new TNumLabelEdit(&window);
    second->SetBounds(100, 10, 60, 20);
    second->setAssociate(&model);
    second->show();
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::keyClicks(gCaptureNumEdit, "12");
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_FALSE(second->IsEditing()); // the click was swallowed
    EXPECT_EQ(model.Value(), 12);
    QTest::mouseClick(second, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_TRUE(second->IsEditing());
    EXPECT_EQ(gCaptureNumEdit->geometry(), second->geometry());
}

TEST_F(FieldsLabels, ReadOnlyAndUnboundIgnoreClicks)
{
    field->setReadOnly(true);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), field->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(field, &enter);
    EXPECT_NE(field->cursor().shape(), Qt::IBeamCursor);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_FALSE(field->IsEditing());

    field->setReadOnly(false);
    QApplication::sendEvent(field, &enter);
    EXPECT_EQ(field->cursor().shape(), Qt::IBeamCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(field, &leave);
    EXPECT_NE(field->cursor().shape(), Qt::IBeamCursor);

    field->setAssociate(nullptr);
    EXPECT_EQ(field->Caption(), "0");
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    EXPECT_FALSE(field->IsEditing());
}

TEST_F(FieldsLabels, TextFieldTakesOnlyConfirmedChanges)
{
    auto *text = new TLabelEdit(&window);
    text->SetBounds(10, 120, 120, 20);
    text->setCaption("brush");
    text->setMaxLength(8);
    text->show();
    int changes = 0;
    text->OnChange = [&](QObject *) { ++changes; };
    TCaptureEdit *e = gCaptureEdit;

    QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    ASSERT_TRUE(text->IsEditing());
    EXPECT_EQ(e->text(), "brush");
    EXPECT_EQ(e->maxLength(), 8);
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(changes, 0); // unchanged text

    QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::keyClicks(e, "pen");
    QTest::keyClick(e, Qt::Key_Escape);
    EXPECT_EQ(text->Caption(), "brush");
    EXPECT_EQ(changes, 0);

    QTest::mouseClick(text, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QTest::keyClicks(e, "pencil");
    QTest::keyClick(e, Qt::Key_Return);
    EXPECT_EQ(text->Caption(), "pencil");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(e->isHidden());
}

TEST_F(FieldsLabels, FormatShowsAtTheNextChange)
{
    other->setFormatString("%1.1f");
    EXPECT_EQ(other->Caption(), "40");
    model.setValue(41);
    EXPECT_EQ(other->Caption(), "41.0");
}

TEST_F(FieldsLabels, FieldGoingAwayWhileEditingReleasesTheEditor)
{
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    ASSERT_TRUE(field->IsEditing());
    delete field;
    field = nullptr;
    EXPECT_TRUE(gCaptureNumEdit->isHidden());
    EXPECT_EQ(gCaptureNumEdit->parentWidget(), nullptr);
    EXPECT_FALSE(gCaptureNumEdit->Editing());
    EXPECT_EQ(model.Value(), 40);
}

TEST_F(FieldsLabels, Pictures)
{
    auto *text = new TLabelEdit(&window);
    text->SetBounds(0, 0, 40, 16);
    auto *right = new TNumLabelEdit(&window);
    right->SetBounds(0, 0, 40, 16);
    // The caption is text (its pixels depend on the fonts): masked, the frames and fills stay.
    const QList<QRect> masks{QRect(1, 1, 38, 14), QRect(42, 1, 38, 14)};
    EXPECT_GOLDEN(sideBySide({pictureOf(text->Image()), pictureOf(right->Image())}, 1),
                  "label-fields", masks);
    EXPECT_EQ(editFieldCaptionRect({0, 0, 40, 16}, taLeftJustify), (sRect{3, 2, 36, 16}));
    EXPECT_EQ(editFieldCaptionRect({0, 0, 40, 16}, taRightJustify), (sRect{4, 2, 37, 16}));
    EXPECT_EQ(editFieldCaptionRect({0, 0, 40, 16}, taCenter), (sRect{0, 2, 40, 16}));
}
