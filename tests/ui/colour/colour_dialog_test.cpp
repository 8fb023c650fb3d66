#include "ui/colour/colour_dialog.h"

#include "ui/ui_test_support.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

TColorPickerValue byteValue(uint8_t r, uint8_t g, uint8_t b)
{
    TColorPickerValue v;
    color32ToColorPickerValue(makeColor32(b, g, r, 255), v);
    return v;
}

using F = TColorPickerForm;

class ColourDialog : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        form.Start(byteValue(255, 0, 0));
        form.show();
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString text(int i) const { return form.Edits[i]->text(); }
    void type(QWidget *w, const QString &s)
    {
        if (auto *e = qobject_cast<QLineEdit *>(w))
            e->selectAll();
        QTest::keyClicks(w, s);
    }
    void leave(QWidget *w)
    {
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w, &out);
    }

    TColorPickerForm form;
};

} // namespace

// The kind box shows its longest kind whole, inside the dialog.
class NewUserFaultsCaptionsColourPicker : public ColourDialog
{
};

TEST_F(NewUserFaultsCaptionsColourPicker, TheKindBoxShowsItsKindsWhole)
{
    const QComboBox &box = *form.ComboBoxK;
    EXPECT_GE(box.width(), 120);
    EXPECT_GE(box.width(), box.sizeHint().width());
    EXPECT_LE(box.geometry().right(), form.width());
}

TEST_F(ColourDialog, LayoutAndOpening)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("カラーピッカー"));
    EXPECT_EQ(form.size(), QSize(488, 300));
    EXPECT_EQ(form.ColorPicker()->geometry(), QRect(11, 5, 284, 266));
    EXPECT_EQ(form.ColorCell()->geometry(), QRect(312, 8, 56, 56));
    EXPECT_EQ(form.ComboBoxK->geometry().topLeft(), QPoint(352, 80));
    EXPECT_EQ(form.ComboBoxK->count(), 3);
    EXPECT_EQ(form.Edits[F::iU]->geometry().topLeft(), QPoint(440, 118));
    EXPECT_EQ(form.Edits[F::iB]->geometry(), QRect(344, 250, 32, 20));
    EXPECT_EQ(form.EditSharp->geometry(), QRect(330, 274, 46, 20));
    EXPECT_EQ(form.Labels[F::iU]->text(), QStringLiteral("H(&U)"));
    EXPECT_TRUE(form.RadioButtons[F::iH]->isChecked());
    EXPECT_TRUE(form.CheckBoxC->isChecked());

    const char *expected[9] = {"0", "100", "100", "0", "100", "50", "255", "0", "0"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(text(i), QString::fromLatin1(expected[i])) << i;
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("ff0000"));
    EXPECT_EQ(float(form.ColorCell()->InitialColor().rgb.r), 1);
}

TEST_F(ColourDialog, NumberEdits)
{
    type(form.Edits[F::iH], "120");
    TColorPickerValue v = form.ColorPicker()->Colors();
    EXPECT_NEAR(float(v.rgb.r), 0, 1e-6);
    EXPECT_NEAR(float(v.rgb.g), 1, 1e-6);
    EXPECT_NEAR(float(v.rgb.b), 0, 1e-6);
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("00FF00"));
    EXPECT_EQ(text(F::iU), "120");
    EXPECT_EQ(text(F::iG), "255");
    EXPECT_EQ(compareColorPickerValues(form.Result(), v), 0);

    // The hue wraps at once; the field shows it once the focus leaves.
    type(form.Edits[F::iH], "400");
    EXPECT_EQ(form.Nums[F::iH]->Value(), 40);
    EXPECT_EQ(text(F::iU), "40");
    EXPECT_EQ(text(F::iH), "400");
    leave(form.Edits[F::iH]);
    EXPECT_EQ(text(F::iH), "40");

    // RGB: the hue follows unrounded and wrapped.
    type(form.Edits[F::iB], "255");
    type(form.Edits[F::iR], "0");
    type(form.Edits[F::iG], "0");
    EXPECT_EQ(text(F::iH), "240");
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("0000FF"));
    // HSL lightness.
    type(form.Edits[F::iL], "100");
    EXPECT_EQ(float(form.ColorPicker()->Colors().rgb.r), 1);
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("FFFFFF"));
    EXPECT_EQ(text(F::iV), "100");
    EXPECT_EQ(text(F::iS), "0");
}

TEST_F(ColourDialog, HexField)
{
    form.EditSharp->setFocus();
    form.EditSharp->selectAll();
    QTest::keyClick(form.EditSharp, Qt::Key_Backspace);
    QTest::keyClicks(form.EditSharp, "fff");
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("fff"));
    EXPECT_EQ(text(F::iR), "0");
    EXPECT_EQ(text(F::iG), "15");
    EXPECT_EQ(text(F::iB), "255");
    EXPECT_EQ(float(form.ColorCell()->SelectColor().rgb.b), 1);

    // Typed characters that are not hexadecimal are dropped.
    QTest::keyClicks(form.EditSharp, "x-g ");
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("fff"));

    // Pasted text that is not hexadecimal changes nothing and the field shows the colour again.
    const TColorPickerValue before = form.ColorPicker()->Colors();
    form.EditSharp->selectAll();
    form.EditSharp->insert(QStringLiteral("xyz"));
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("000fff"));
    EXPECT_EQ(compareColorPickerValues(form.ColorPicker()->Colors(), before), 0);
    EXPECT_EQ(text(F::iG), "15");
}

TEST_F(ColourDialog, KeyFilter)
{
    struct Case
    {
        QChar key;
        bool passes;
    } cases[] = {{u'0', true},     {u'9', true},          {u'a', true},  {u'F', true},
                 {QChar(8), true}, {u'g', false},         {u'G', false}, {u'-', false},
                 {u' ', false},    {QChar(0x0661), false}};
    for (const Case &c : cases) {
        QChar k = c.key;
        F::EditSharpKeyPress(k);
        EXPECT_EQ(k.isNull(), !c.passes) << int(c.key.unicode());
    }
}

TEST_F(ColourDialog, KindsAndSpaces)
{
    form.ComboBoxK->setCurrentIndex(1);
    TCustomColorPicker *p = form.ColorPicker();
    EXPECT_EQ(GetPickerKind(p), 2);
    EXPECT_EQ(p->geometry(), QRect(11, 5, 284, 266));
    EXPECT_EQ(p->ColorSpace(), cpHSL);
    EXPECT_EQ(float(p->Colors().rgb.r), 1);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(form.RadioButtons[i]->isEnabled(), i == F::iH || i == F::iU) << i;
    EXPECT_TRUE(form.RadioButtons[F::iU]->isChecked());
    EXPECT_FALSE(form.CheckBoxC->isEnabled());
    // The new picker drives the dialog.
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(142, 5));
    EXPECT_NE(form.EditSharp->text(), QStringLiteral("ff0000"));
    EXPECT_EQ(compareColorPickerValues(form.Result(), p->Colors()) == 0, true);

    QTest::mouseClick(form.RadioButtons[F::iH], Qt::LeftButton);
    EXPECT_EQ(p->ColorSpace(), cpHSV);

    form.ComboBoxK->setCurrentIndex(2);
    p = form.ColorPicker();
    EXPECT_EQ(GetPickerKind(p), 3);
    EXPECT_EQ(p->ColorSpace(), cpLHS);
    EXPECT_TRUE(form.CheckBoxC->isEnabled());
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(form.RadioButtons[i]->isEnabled(),
                  i == F::iS || i == F::iV || i == F::iA || i == F::iL)
            << i;
    QTest::mouseClick(form.RadioButtons[F::iS], Qt::LeftButton);
    EXPECT_EQ(p->ColorSpace(), cpSHV);
    form.ComboBoxK->setCurrentIndex(0);
    form.ComboBoxK->setCurrentIndex(2);
    EXPECT_EQ(form.ColorPicker()->ColorSpace(), cpSHV);

    form.CheckBoxC->click();
    EXPECT_FALSE(form.ColorPicker()->SliderColorChange());
}

TEST_F(ColourDialog, InitialColourPartRestores)
{
    type(form.Edits[F::iH], "120");
    ASSERT_EQ(form.EditSharp->text(), QStringLiteral("00FF00"));
    // The lower half is the new colour: nothing happens.
    QTest::mouseClick(form.ColorCell(), Qt::LeftButton, {}, QPoint(28, 40));
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("00FF00"));
    QTest::mouseClick(form.ColorCell(), Qt::LeftButton, {}, QPoint(28, 10));
    EXPECT_EQ(float(form.ColorPicker()->Colors().rgb.r), 1);
    EXPECT_EQ(float(form.ColorPicker()->Colors().rgb.g), 0);
    EXPECT_EQ(float(form.Result().rgb.r), 1);
    EXPECT_EQ(form.EditSharp->text(), QStringLiteral("ff0000"));
    EXPECT_EQ(text(F::iH), "0");
}

TEST(ColourDialogModal, EnterConfirmsEscCancels)
{
    TColorPickerValue v;
    color32ToColorPickerValue(makeColor32(0, 0, 255, 255), v);
    auto pressLater = [](Qt::Key key, bool edit) {
        QTimer::singleShot(0, [key, edit] {
            auto *form = dynamic_cast<TColorPickerForm *>(QApplication::activeModalWidget());
            ASSERT_NE(form, nullptr);
            if (edit) {
                form->Edits[TColorPickerForm::iG]->selectAll();
                QTest::keyClicks(form->Edits[TColorPickerForm::iG], "255");
            }
            QTest::keyClick(form, key);
        });
    };
    pressLater(Qt::Key_Return, true);
    EXPECT_TRUE(executeColorPickerDialog(v));
    EXPECT_EQ(float(v.rgb.r), 1);
    EXPECT_EQ(float(v.rgb.g), 1);
    EXPECT_EQ(float(v.rgb.b), 0);

    const TColorPickerValue kept = v;
    pressLater(Qt::Key_Escape, true);
    EXPECT_FALSE(executeColorPickerDialog(v));
    EXPECT_EQ(compareColorPickerValues(v, kept), 0);
}
