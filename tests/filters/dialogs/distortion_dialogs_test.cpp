// The rotate, scale, polar coordinates, wave and twirl dialogs: wrapping and recording of the
// angles, the scale's linked sizes, maxima and flips, and the repeat of each.
#include "filters/dialogs/distortion_dialogs.h"
#include "filters/dialogs/effect_dialog_test_support.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dialogtest;

TEST(DistortionDialogs, RotateWrapsRecordsTheNegatedAngleAndOpensAtZero)
{
    EffectRig rig;
    rig.host.layers[0].prt = true;
    rig.makeCore(countingFilter);
    float opened = -1;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormRotate4>(d);
        opened = dlg.FieldA.num->Value();
        dlg.FieldA.num->SetString(dlg.FieldA.edit, QStringLiteral("190"));
        EXPECT_EQ(dlg.FieldA.num->Value(), -170.0f);
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execRotateDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0._float, 170.0f);
    EXPECT_EQ(rec.data1.b0, 1) << "the layer's protection";
    EXPECT_EQ(rec.data1.b1, 1);
    ASSERT_TRUE(execRotateDialog(rec, *rig.core));
    EXPECT_EQ(opened, 0.0f) << "opens at no rotation after an OK";
    sFltObj2 last{};
    ASSERT_TRUE(makeRotateLastParam(last, *rig.core));
    EXPECT_EQ(last.data0._float, 170.0f);
    EXPECT_EQ(last.data1.b0, 1);
}

TEST(DistortionDialogs, RotateKeepsFractionsAndResets)
{
    EffectRig rig;
    TFormRotate4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.FieldA.num->SetString(dlg.FieldA.edit, QStringLiteral("12.25"));
    EXPECT_EQ(dlg.curParam().data0._float, -12.25f) << "not rounded";
    dlg.ButtonR->click();
    EXPECT_EQ(dlg.FieldA.num->Value(), 0.0f);
    EXPECT_EQ(dlg.FieldA.track->StoredPosition(), 0.5f);
}

TEST(DistortionDialogs, ScaleMaximaFollowTheEffectRectangle)
{
    struct Case
    {
        int32_t w;
        float pixels, percent;
    };
    for (const Case c :
         {Case{1000, 10000, 1000}, Case{100, 1600, 1600}, Case{700, 10000, 10000.0f * 100 / 700}}) {
        EffectRig rig(c.w, 8);
        TFormScale4 dlg;
        ASSERT_TRUE(dlg.Attach(*rig.core));
        EXPECT_EQ(dlg.FieldW.num->ValueMax(), c.pixels) << c.w;
        EXPECT_FLOAT_EQ(dlg.FieldWS.num->ValueMax(), c.percent) << c.w;
        EXPECT_EQ(dlg.FieldW.num->Value(), float(c.w));
        EXPECT_EQ(dlg.FieldWS.num->Value(), 100.0f);
        EXPECT_EQ(dlg.FieldH.num->ValueMax(), 8 * 16.0f);
    }
}

TEST(DistortionDialogs, ScaleWithTheAspectFixedLinksBothSides)
{
    EffectRig rig(60, 40);
    TFormScale4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    ASSERT_TRUE(dlg.ChkC->isChecked()) << "the remembered aspect is on";
    dlg.show();
    dlg.activateWindow();
    dlg.FieldWS.edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(dlg.FieldWS.edit->hasFocus());
    dlg.FieldWS.num->SetString(dlg.FieldWS.edit, QStringLiteral("200"));
    EXPECT_EQ(dlg.FieldHS.num->Value(), 200.0f);
    EXPECT_EQ(dlg.FieldW.num->Value(), 120.0f);
    EXPECT_EQ(dlg.FieldH.num->Value(), 80.0f);
    EXPECT_EQ(dlg.curParam().data0.all, 120);
    EXPECT_EQ(dlg.curParam().data1.all, 80);

    // Without the link only the width moves.
    dlg.FieldW.edit->setFocus();
    dlg.ChkC->click();
    dlg.FieldW.num->setValue(30);
    EXPECT_EQ(dlg.FieldH.num->Value(), 80.0f);
    EXPECT_EQ(dlg.FieldWS.num->Value(), 50.0f) << "a pixel edit updates the percent";
}

TEST(DistortionDialogs, ScaleDoesNotRewriteThePercentBeingTyped)
{
    // 100 x 1000: the width percent goes to 1600, the height percent only to 1000, so a linked
    // 1600 % is cut to 1000 px; the percent being typed keeps what the user wrote.
    EffectRig rig(100, 1000);
    TFormScale4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.show();
    dlg.activateWindow();
    dlg.FieldWS.edit->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(dlg.FieldWS.edit->hasFocus());
    dlg.FieldWS.num->SetString(dlg.FieldWS.edit, QStringLiteral("1600"));
    EXPECT_EQ(dlg.FieldW.num->Value(), 1000.0f);
    EXPECT_EQ(dlg.FieldWS.num->Value(), 1600.0f);
    EXPECT_EQ(dlg.FieldHS.num->Value(), 1000.0f);

    // The same through the trackbar (the edit without focus) shows the cut value.
    dlg.FieldW.edit->setFocus();
    QApplication::processEvents();
    ASSERT_FALSE(dlg.FieldWS.edit->hasFocus());
    dlg.FieldWS.track->setPosition(0.99f); // 1570 %
    EXPECT_EQ(dlg.FieldWS.num->Value(), 1000.0f);
}

TEST(DistortionDialogs, ScaleFlipsAsNegativeSizesAndRepeatsByPercent)
{
    EffectRig rig(60, 40);
    ScopedDialogDriver driver([](QDialog &d) {
        auto &dlg = as<TFormScale4>(d);
        dlg.FieldHS.num->setValue(50); // linked: the width goes to 50 % as well
        dlg.ChkH->click();
        dlg.ButtonR->click();
        dlg.ChkH->click();
        clickOk(d);
    });
    sFltObj4 rec{};
    ASSERT_TRUE(execScaleDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0.all, -60);
    EXPECT_EQ(rec.data1.all, 40);
    EXPECT_EQ(rec.data2.b1, 1);
    EXPECT_EQ(effectDialogMemos().scale.widthPercent, -100.0f);

    DialogRig other(countingFilter, 30, 10);
    sFltObj4 last{};
    ASSERT_TRUE(makeScaleLastParam(last, *other.core));
    EXPECT_EQ(last.data0.all, -30);
    EXPECT_EQ(last.data1.all, 10);
}

TEST(DistortionDialogs, WavePhaseTravelsInRadians)
{
    EffectRig rig;
    float reopened = 0;
    int opening = 0;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormWave4>(d);
        if (opening++ == 0) {
            dlg.FieldA.num->setValue(90);
            dlg.FieldO.num->SetString(dlg.FieldO.edit, QStringLiteral("12.5"));
            clickOk(d);
        } else {
            reopened = dlg.FieldA.num->Value();
            EXPECT_EQ(dlg.FieldO.edit->text(), QStringLiteral("13"));
        }
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execWaveDialog(rec, *rig.core));
    EXPECT_EQ(rec.data1._float, 1.5707964f);
    EXPECT_EQ(rec.data0.b2, 13);
    EXPECT_EQ(rec.data0.b0, 1);
    EXPECT_FALSE(execWaveDialog(rec, *rig.core));
    EXPECT_FLOAT_EQ(reopened, 90.0f);
    sFltObj2 last{};
    ASSERT_TRUE(makeWaveLastParam(last));
    EXPECT_EQ(last.data1._float, 1.5707964f);
    EXPECT_EQ(last.data0.b3, 10);
}

TEST(DistortionDialogs, TwirlAcceptsTheWholeRangeWithoutWrapping)
{
    EffectRig rig;
    TFormTwirl4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    EXPECT_EQ(dlg.FieldA.num->Value(), 50.0f);
    for (const auto &[typed, shown] :
         {std::pair{"-999", -999}, {"999", 999}, {"1200", 999}, {"-181", -181}}) {
        dlg.FieldA.num->SetString(dlg.FieldA.edit, QString::fromLatin1(typed));
        EXPECT_EQ(dlg.curParam().data0.s0, shown) << typed;
        EXPECT_EQ(dlg.curParam().data0.b2, 1);
    }
}

TEST(DistortionDialogs, PolarPreviewsAtOnceAndRemembersItsMode)
{
    EffectRig rig;
    ScopedDialogDriver driver([](QDialog &d) {
        auto &dlg = as<TFormPolarCoordinates4>(d);
        const int runs = filterRuns();
        dlg.RadMItems->button(1)->click();
        EXPECT_GT(filterRuns(), runs) << "a mode change previews at once";
        EXPECT_FALSE(dlg.TimerUpdate->isActive());
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execPolarCoordinatesDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0.b0, 1);
    sFltObj2 last{};
    ASSERT_TRUE(makePolarCoordinatesLastParam(last, *rig.core));
    EXPECT_EQ(last.data0.b0, 1);
    TFormPolarCoordinates4 again;
    ASSERT_TRUE(again.Attach(*rig.core));
    EXPECT_EQ(again.ModeIndex(), 1);
}

TEST(DistortionDialogs, TwirlOpensAtItsLastOkAndRepeatsIt)
{
    EffectRig rig;
    int opening = 0;
    float reopened = 0;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormTwirl4>(d);
        if (opening++ > 0) {
            reopened = dlg.FieldA.num->Value();
            return;
        }
        dlg.FieldA.track->setPosition(0.0f);
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execTwirlDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0.s0, -999);
    EXPECT_FALSE(execTwirlDialog(rec, *rig.core));
    EXPECT_EQ(reopened, -999.0f);
    sFltObj2 last{};
    ASSERT_TRUE(makeTwirlLastParam(last));
    EXPECT_EQ(last.data0.s0, -999);
    EXPECT_EQ(last.data0.b2, 1);
}
