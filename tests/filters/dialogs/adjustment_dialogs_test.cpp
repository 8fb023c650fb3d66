// The adjustment dialogs: neutral openings against the repeat, colour balance synchronisation,
// the monotone saturation range, the gradient map's gradient, and one run of each dialog.
#include "document/paper/paper_host.h"
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/dialog_values.h"
#include "paint/gradient/gradient_manager.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/lists/gradient_list_view.h"

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace dialogtest;

TEST(AdjustmentDialogs, NeutralDialogsOpenAtZeroWhileTheRepeatUsesTheLastOk)
{
    DialogRig rig;
    float opened = -1;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormHueSaturation4>(d);
        opened = dlg.FieldS.num->Value();
        dlg.FieldH.num->setValue(40);
        dlg.ChkM->click();
        dlg.FieldS.num->setValue(60);
        clickOk(d);
    });
    sFltObj4 rec{};
    ASSERT_TRUE(execHueSaturationDialog(rec, *rig.core));
    ASSERT_TRUE(execHueSaturationDialog(rec, *rig.core));
    EXPECT_EQ(opened, 0.0f);
    sFltObj4 last{};
    ASSERT_TRUE(makeHueSaturationLastParam(last));
    EXPECT_EQ(last.data0.all, 40);
    EXPECT_EQ(last.data1.all, 60);
    EXPECT_EQ(last.data3.b0, 1) << "the monotone flag, although the dialog opens without it";
}

TEST(AdjustmentDialogs, ColourBalanceSynchronisesTheOtherChannels)
{
    DialogRig rig;
    TFormGamma4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.FieldR.num->setValue(1.5f);
    EXPECT_EQ(dlg.FieldG.num->Value(), 1.0f) << "without synchronisation only red changes";
    dlg.ChkS->setChecked(true);
    dlg.FieldR.num->setValue(1.5f);
    dlg.FieldR.num->SetString(dlg.FieldR.edit, QStringLiteral("1.25"));
    EXPECT_EQ(dlg.FieldG.num->Value(), 1.25f);
    EXPECT_EQ(dlg.FieldB.num->Value(), 1.25f);
    EXPECT_EQ(dlg.FieldB.track->StoredPosition(), dlg.FieldB.num->Position());
    EXPECT_EQ(dlg.curParam().data2._float, 1.25f);
    // A trackbar moved: the other two follow it.
    dlg.FieldG.track->setPosition(0.25f);
    EXPECT_EQ(dlg.FieldR.num->Value(), 0.75f);
    EXPECT_EQ(dlg.FieldB.num->Value(), 0.75f);
    dlg.ButtonD->click();
    EXPECT_EQ(dlg.FieldR.num->Value(), 1.0f);
    EXPECT_FALSE(dlg.ChkS->isChecked());
}

TEST(AdjustmentDialogs, MonotoneSaturationIsReadAgainFromTheSlider)
{
    struct Case
    {
        float before, after;
    };
    const Case cases[] = {{-100, 0}, {100, 100}, {0, 50}};
    for (const Case &c : cases) {
        DialogRig rig;
        TFormHueSaturation4 dlg;
        ASSERT_TRUE(dlg.Attach(*rig.core));
        dlg.FieldS.num->setValue(c.before);
        dlg.ChkM->click();
        EXPECT_EQ(dlg.FieldS.num->Value(), c.after) << c.before;
        EXPECT_EQ(dlg.curParam().data1.all, int32_t(c.after));
        dlg.ChkM->click();
        EXPECT_EQ(dlg.FieldS.num->ValueMin(), -100.0f);
    }
}

TEST(AdjustmentDialogs, GradientMapGivesTheManagerItsGradientBack)
{
    DialogRig rig;
    CGradMngr mngr;
    mngr.appendGrad(sRGBA{}, sRGBA{});
    mngr.appendGrad(sRGBA{}, sRGBA{});
    mngr.setCurGrad(0);
    SPaperAppHooks hooks;
    hooks.mainGradMngr = [&] { return &mngr; };
    const SPaperAppHooks previous = installPaperAppHooks(hooks);
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormGradientMap4>(d);
        EXPECT_EQ(dlg.FDrpGrad->SelectIndex(), 0);
        // Another gradient chosen in the list.
        dlg.FDrpGrad->SetSelectIndex(1);
        EXPECT_EQ(mngr.getGradIdx(), 1);
        EXPECT_EQ(dlg.curParam().crsg, mngr.getGrad(1)->crsg.get());
        dlg.ChkR->click();
        clickOk(d);
    });
    sFltObjGradientMap rec{};
    ASSERT_TRUE(execGradientMapDialog(rec, *rig.core));
    EXPECT_EQ(rec.crsg, mngr.getGrad(1)->crsg.get());
    EXPECT_TRUE(rec.reverse);
    EXPECT_EQ(mngr.getGradIdx(), 0);
    sFltObjGradientMap last{};
    ASSERT_TRUE(makeGradientMapLastParam(last, *rig.core));
    EXPECT_EQ(last.crsg, mngr.getGrad(0)->crsg.get()) << "the repeat maps with the current one";
    EXPECT_TRUE(last.reverse);
    installPaperAppHooks(previous);
}

// One run of each adjustment dialog: what it opens with, a control changed, the record on OK
// and the remembered values.
TEST(AdjustmentDialogs, EachDialogRecordsItsControls)
{
    struct Case
    {
        const char *name;
        std::function<bool(CFlt4Core &)> exec;
        std::function<void(QDialog &)> drive;
        std::function<void()> check;
    };
    SFilterDialogMemos &m = filterDialogMemos();
    sFltObj4 o4{};
    sFltObj2 o2{};
    const Case cases[] = {
        {"brightness/contrast", [&](CFlt4Core &c) { return execBrightnessContrastDialog(o4, c); },
         [](QDialog &d) {
             auto &dlg = as<TFormBrightnessContrast4>(d);
             EXPECT_EQ(dlg.FieldB.num->Value(), 0.0f);
             dlg.FieldB.track->setPosition(0.75f);
             dlg.FieldC.num->setValue(-2.5f);
             dlg.ChkL->click();
         },
         [&] {
             EXPECT_EQ(o4.data0.all, 50);
             EXPECT_EQ(o4.data1.all, -3);
             EXPECT_EQ(o4.data2.b0, 1);
             EXPECT_EQ(m.brightnessContrast.brightness, 50);
             EXPECT_TRUE(m.brightnessContrast.linear);
         }},
        {"colour balance", [&](CFlt4Core &c) { return execColorBalanceDialog(o4, c); },
         [](QDialog &d) { as<TFormGamma4>(d).FieldB.num->setValue(0.5f); },
         [&] {
             EXPECT_EQ(o4.data0._float, 1.0f);
             EXPECT_EQ(o4.data2._float, 0.5f);
             EXPECT_EQ(m.colorBalance.blue, 0.5f);
         }},
        {"posterize", [&](CFlt4Core &c) { return execPosterizeDialog(o2, c); },
         [](QDialog &d) {
             auto &dlg = as<TFormPosterize4>(d);
             EXPECT_EQ(dlg.FieldL.num->Value(), 4.0f);
             dlg.FieldL.num->setValue(300);
         },
         [&] {
             EXPECT_EQ(o2.data0.all, 254);
             EXPECT_EQ(m.posterize.levels, 254);
         }},
        {"threshold", [&](CFlt4Core &c) { return execThresholdDialog(o2, c); },
         [](QDialog &d) {
             auto &dlg = as<TFormThreshold4>(d);
             EXPECT_EQ(dlg.FieldT.num->Value(), 128.0f);
             dlg.FieldT.num->setValue(30);
         },
         [&] {
             EXPECT_EQ(o2.data0.b0, 30);
             EXPECT_EQ(o2.data0.b1, 1);
             EXPECT_EQ(m.threshold.threshold, 30);
         }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DialogRig rig;
        ScopedDialogDriver driver([&](QDialog &d) {
            c.drive(d);
            clickOk(d);
        });
        ASSERT_TRUE(c.exec(*rig.core));
        c.check();
    }
}

TEST(AdjustmentDialogs, GradientMapMenuSetsAndTicksTheListType)
{
    DialogRig rig;
    TFormGradientMap4 dlg;
    const QList<QAction *> items = dlg.PopMenu->actions();
    ASSERT_EQ(items.size(), 7);
    dlg.MenuIconLClick(items[0]);
    EXPECT_EQ(dlg.FDrpGrad->ListType(), lvText);
    dlg.MenuIconLClick(items[6]);
    EXPECT_EQ(dlg.FDrpGrad->ListType(), lvIconL);
    dlg.PopMenuPopup();
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(items[i]->isChecked(), i == 6) << i;
}
