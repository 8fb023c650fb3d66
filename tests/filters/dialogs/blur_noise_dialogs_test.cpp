// The blur, noise and kernel dialogs: their conversions, seeds and remembered values, and one run
// of each dialog.
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/dialog_values.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dialogtest;

TEST(BlurNoiseDialogs, KernelEntriesClampAndPreviewAfterTheDelay)
{
    DialogRig rig;
    TFormCustom4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.show();
    EXPECT_EQ(dlg.EditM[7]->geometry(),
              QRect(dlg.EditM00->x() + 2 * 42, dlg.EditM00->y() + 28, 40, 20));
    EXPECT_EQ(dlg.EditM[12]->text(), QStringLiteral("4"));
    const int runs = filterRuns();
    dlg.NumM[0]->SetString(dlg.EditM[0], QStringLiteral("1000"));
    EXPECT_EQ(dlg.curData().matrix[0], 999);
    EXPECT_EQ(filterRuns(), runs) << "no preview before the delay";
    EXPECT_TRUE(dlg.TimerUpdate->isActive());
    dlg.FieldS.num->setValue(2);
    EXPECT_TRUE(dlg.TimerUpdate->isActive());
    EXPECT_EQ(dlg.curData().scale, 2);
}

TEST(BlurNoiseDialogs, CustomKernelOkRemembersTheKernel)
{
    DialogRig rig;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormCustom4>(d);
        dlg.NumM[24]->setValue(-7.5f);
        dlg.FieldO.num->setValue(12);
        clickOk(d);
    });
    SFltCustom k{};
    ASSERT_TRUE(execCustomDialog(k, *rig.core));
    EXPECT_EQ(k.matrix[24], -8);
    EXPECT_EQ(k.matrix[12], 4);
    EXPECT_EQ(k.offset, 12);
    SFltCustom last{};
    ASSERT_TRUE(makeCustomLastParam(last));
    EXPECT_EQ(std::memcmp(&last, &k, sizeof k), 0);
}

TEST(BlurNoiseDialogs, TheDialogsAndTheRepeatConvertAlike)
{
    DialogRig rig;
    struct Case
    {
        const char *name;
        std::function<bool(sFltObj4 &)> exec;
        std::function<void(QDialog &)> drive;
        std::function<bool(sFltObj4 &)> last;
        std::function<void(const sFltObj4 &)> check;
    };
    const auto as4 = [](sFltObj4 &r) -> sFltObj2 & { return reinterpret_cast<sFltObj2 &>(r); };
    CFlt4Core &core = *rig.core;
    const Case cases[] = {
        {"mosaic adds 0.5 and truncates",
         [&](sFltObj4 &r) { return execMosaicDialog(as4(r), core); },
         [](QDialog &d) { as<TFormMosaic4>(d).FieldL.num->setValue(2.5f); },
         [&](sFltObj4 &r) { return makeMosaicLastParam(as4(r), core); },
         [](const sFltObj4 &r) { EXPECT_EQ(r.data0.all, 3); }},
        {"median adds 0.5 and truncates",
         [&](sFltObj4 &r) { return execMedianDialog(as4(r), core); },
         [](QDialog &d) { as<TFormMedian4>(d).FieldL.num->setValue(3.5f); },
         [&](sFltObj4 &r) { return makeMedianLastParam(as4(r), core); },
         [](const sFltObj4 &r) { EXPECT_EQ(r.data0.b0, 4); }},
        {"emboss lights from the other side",
         [&](sFltObj4 &r) { return execEmbossDialog(r, core); },
         [](QDialog &d) {
             auto &dlg = as<TFormEmboss4>(d);
             EXPECT_EQ(dlg.FieldA.num->Value(), 120.0f);
             dlg.FieldA.num->setValue(30);
         },
         [](sFltObj4 &r) { return makeEmbossLastParam(r); },
         [](const sFltObj4 &r) {
             EXPECT_EQ(r.data0.all, -30);
             EXPECT_EQ(r.data1._float, 3.0f);
             EXPECT_EQ(r.data2.all, 100);
         }},
        {"motion blur always records mode 2",
         [&](sFltObj4 &r) { return execMotionBlurDialog(as4(r), core); },
         [](QDialog &d) {
             auto &dlg = as<TFormMotionBlur4>(d);
             EXPECT_FALSE(dlg.PreviewChecked());
             dlg.FieldA.num->setValue(-45.5f);
             dlg.FieldM.num->setValue(12);
         },
         [&](sFltObj4 &r) { return makeMotionBlurLastParam(as4(r)); },
         [](const sFltObj4 &r) {
             EXPECT_EQ(r.data0.b0, 12);
             EXPECT_EQ(r.data0.b1, 2);
             EXPECT_EQ(r.data0.s1, -46);
         }},
        {"halftone angles wrap", [&](sFltObj4 &r) { return execColorHalftoneDialog(r, core); },
         [](QDialog &d) {
             auto &dlg = as<TFormColorHalftone4>(d);
             EXPECT_FALSE(dlg.PreviewChecked());
             dlg.FieldR.num->SetString(dlg.FieldR.edit, QStringLiteral("200"));
         },
         [](sFltObj4 &r) { return makeColorHalftoneLastParam(r); },
         [](const sFltObj4 &r) {
             EXPECT_EQ(r.data0.all, 8);
             EXPECT_EQ(r.data1.all, -160);
             EXPECT_EQ(r.data2.all, 72);
         }},
        {"Gaussian repeats the exact amount",
         [&](sFltObj4 &r) { return execGaussianBlurDialog(as4(r), core); },
         [](QDialog &d) { as<TFormGaussianBlur4>(d).FieldA.num->setValue(2.25f); },
         [&](sFltObj4 &r) { return makeGaussianBlurLastParam(as4(r)); },
         [](const sFltObj4 &r) { EXPECT_EQ(r.data0._float, 2.25f); }},
        {"sharpen opens at 0.3", [&](sFltObj4 &r) { return execSharpenCustomDialog(as4(r), core); },
         [](QDialog &d) {
             auto &dlg = as<TFormSharpenCustom4>(d);
             EXPECT_EQ(dlg.FieldA.num->Value(), 0.3f);
             dlg.FieldA.track->setPosition(0.5f);
         },
         [&](sFltObj4 &r) { return makeSharpenCustomLastParam(as4(r)); },
         [](const sFltObj4 &r) { EXPECT_EQ(r.data0._float, 0.5f); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedDialogDriver driver([&](QDialog &d) {
            c.drive(d);
            clickOk(d);
        });
        sFltObj4 fromDialog{}, fromRepeat{};
        ASSERT_TRUE(c.exec(fromDialog));
        ASSERT_TRUE(c.last(fromRepeat));
        c.check(fromDialog);
        c.check(fromRepeat);
    }
    // The sharpen dialog opens at its form's amount even after an OK with another.
    ScopedDialogDriver driver(
        [&](QDialog &d) { EXPECT_EQ(as<TFormSharpenCustom4>(d).FieldA.num->Value(), 0.3f); });
    sFltObj2 rec{};
    EXPECT_FALSE(execSharpenCustomDialog(rec, core));
}

TEST(BlurNoiseDialogs, NoiseAndDiffuseTakeNewSeeds)
{
    DialogRig rig;
    rig.host.layers[0].prt = true;
    rig.makeCore(countingFilter);
    rig.clock.set(500);
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormNoise4>(d);
        EXPECT_EQ(dlg.curParam().data2.all, 500) << "the seed of the opening";
        rig.clock.set(600);
        dlg.ButtonR->click();
        EXPECT_EQ(dlg.curParam().data2.all, 600);
        dlg.ChkG->click();
        dlg.FieldA.num->setValue(64);
        clickOk(d);
    });
    sFltObj4 rec{};
    ASSERT_TRUE(execNoiseDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0.all, 64);
    EXPECT_EQ(rec.data1.all, 1);
    rig.clock.set(700);
    sFltObj4 last{};
    ASSERT_TRUE(makeNoiseLastParam(last));
    EXPECT_EQ(last.data2.all, 700) << "the repeat's own seed";
    EXPECT_EQ(last.data0.all, 64);
    EXPECT_EQ(last.data1.all, 1);

    ScopedDialogDriver diffuse([&](QDialog &d) {
        auto &dlg = as<TFormDifuse4>(d);
        EXPECT_EQ(dlg.curParam().data2.all, 700);
        rig.clock.set(800);
        dlg.ButtonR->click();
        dlg.RadMItems->button(2)->click();
        dlg.ChkS->click();
        clickOk(d);
    });
    ASSERT_TRUE(execDiffuseDialog(rec, *rig.core));
    EXPECT_EQ(rec.data2.all, 800);
    EXPECT_EQ(rec.data1.all, 2);
    EXPECT_EQ(rec.data3.b0, 1);
    EXPECT_EQ(rec.data3.b2, 1) << "the layer keeps its transparency";
    rig.clock.set(900);
    ASSERT_TRUE(makeDiffuseLastParam(last, *rig.core));
    EXPECT_EQ(last.data2.all, 900);
    EXPECT_EQ(last.data1.all, 2);
    EXPECT_EQ(last.data3.all, rec.data3.all);
}
