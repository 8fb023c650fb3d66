// The tiles, clouds and plasma dialogs: the third tile colour, opacities as bytes, the clouds
// kinds' own contrasts, the pattern size without wrap-around, the plasma contrast, the tool
// window's colours and the fresh seeds.
#include "filters/dialogs/effect_dialog_test_support.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "filters/dialogs/generator_dialogs.h"
#include "ui/colour/colour_cells.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace dialogtest;

namespace {
constexpr uint32_t kFg = 0xFF102030u, kBg = 0xFFA0B0C0u;
}

TEST(GeneratorDialogs, TilesThirdColourFollowsItsTick)
{
    EffectRig rig;
    TFormTiles4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    const auto enabled = [&] {
        return std::array{dlg.LabelO3->isEnabled(), dlg.Color[2]->isEnabled(),
                          dlg.FieldO3.edit->isEnabled(), dlg.FieldO3.track->isEnabled()};
    };
    EXPECT_EQ(dlg.LabelO3->text(), QString::fromUtf8("不透明度&3"));
    EXPECT_EQ(enabled(), (std::array{false, false, false, false}));
    EXPECT_EQ(dlg.curParam().data0.b1, 0);
    dlg.Chk3->click();
    EXPECT_EQ(enabled(), (std::array{true, true, true, true}));
    EXPECT_EQ(dlg.curParam().data0.b1, 1);
    EXPECT_TRUE(dlg.FieldO2.edit->isEnabled());
}

TEST(GeneratorDialogs, TilesOpacityIsAByteAndReopensAsPercent)
{
    EffectRig rig;
    ScopedToolColours tools(kFg, kBg);
    int opening = 0;
    QString shown;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormTiles4>(d);
        if (opening++ > 0) {
            shown = dlg.FieldO1.edit->text();
            return;
        }
        dlg.FieldO1.num->setValue(50);
        dlg.FieldW.num->SetString(dlg.FieldW.edit, QStringLiteral("600"));
        dlg.RadT->click();
        setCellColour(*dlg.Color[2], TColor32{.bgra = 0xFF445566u});
        dlg.Chk3->click();
        clickOk(d);
    });
    sFltObj4 rec{};
    ASSERT_TRUE(execTilesDialog(rec, *rig.core));
    EXPECT_EQ(rec.data1.b3, 128) << "127.5 rounded half away from zero";
    EXPECT_EQ(rec.data2.b3, 255);
    EXPECT_EQ(rec.data0.w1, 512);
    EXPECT_EQ(rec.data0.b0, 0) << "triangles";
    EXPECT_EQ(rec.data0.b1, 1);
    // Colour bytes blue, green, red: 1 and 2 from the tool window, 3 from its cell.
    EXPECT_EQ(rec.data1.all & 0xFFFFFF, int32_t(kFg & 0xFFFFFF));
    EXPECT_EQ(rec.data2.all & 0xFFFFFF, int32_t(kBg & 0xFFFFFF));
    EXPECT_EQ(rec.data3.all & 0xFFFFFF, 0x445566);
    EXPECT_FALSE(execTilesDialog(rec, *rig.core));
    EXPECT_EQ(shown, QStringLiteral("50"));
}

TEST(GeneratorDialogs, TilesRepeatUsesTheColoursOfTheLastOk)
{
    EffectRig rig;
    {
        ScopedToolColours tools(kFg, kBg);
        ScopedDialogDriver driver([](QDialog &d) { clickOk(d); });
        sFltObj4 rec{};
        ASSERT_TRUE(execTilesDialog(rec, *rig.core));
    }
    ScopedToolColours changed(0xFF000001u, 0xFF000002u);
    sFltObj4 last{};
    ASSERT_TRUE(makeTilesLastParam(last));
    EXPECT_EQ(last.data1.all, int32_t(kFg)) << "colour 1 of the OK, opacity 255";
    EXPECT_EQ(last.data2.all, int32_t(kBg));
    EXPECT_EQ(last.data0.w1, 32);
    EXPECT_EQ(last.data0.b0, 1);
}

TEST(GeneratorDialogs, CloudsKindsKeepTheirOwnContrastEvenAfterCancel)
{
    EffectRig rig;
    ScopedDialogDriver driver([](QDialog &d) {
        auto &dlg = as<TFormClouds4>(d);
        EXPECT_FALSE(dlg.FieldS.edit->isEnabled()) << "softness belongs to rocks";
        dlg.FieldC.num->setValue(300);
        dlg.RadR->click();
        EXPECT_EQ(dlg.FieldC.num->Value(), 100.0f);
        EXPECT_TRUE(dlg.FieldS.edit->isEnabled());
        dlg.FieldC.num->setValue(40);
        dlg.RadC->click();
        EXPECT_EQ(dlg.FieldC.num->Value(), 300.0f);
        EXPECT_EQ(dlg.FieldC.track->StoredPosition(), dlg.FieldC.num->Position());
        clickCancel(d);
    });
    sFltObj6 rec{};
    EXPECT_FALSE(execCloudsDialog(rec, *rig.core));
    const SCloudsMemo &m = effectDialogMemos().clouds;
    EXPECT_EQ(m.contrast[0], 300);
    EXPECT_EQ(m.contrast[1], 40);
    EXPECT_FALSE(m.rocks) << "Cancel keeps the kind";
    sFltObj6 last{};
    ASSERT_TRUE(makeCloudsLastParam(last, *rig.core));
    EXPECT_EQ(last.data4.w0, 300);
}

TEST(GeneratorDialogs, CloudsWithoutWrapAroundCarryTheLayerSize)
{
    EffectRig rig(300, 280);
    ScopedToolColours tools(kFg, kBg);
    ScopedDialogDriver driver([](QDialog &d) {
        auto &dlg = as<TFormClouds4>(d);
        EXPECT_EQ(dlg.FieldW.num->ValueMax(), 300.0f);
        EXPECT_EQ(dlg.FieldH.num->Value(), 256.0f);
        dlg.CheckA->click();
        EXPECT_FALSE(dlg.FieldW.edit->isEnabled());
        EXPECT_FALSE(dlg.FieldH.track->isEnabled());
        dlg.RadR->click();
        dlg.FieldS.num->setValue(70);
        clickOk(d);
    });
    sFltObj6 rec{};
    ASSERT_TRUE(execCloudsDialog(rec, *rig.core));
    EXPECT_EQ(rec.data3.w0, 300);
    EXPECT_EQ(rec.data3.w1, 280);
    EXPECT_EQ(rec.data4.w1, 70) << "softness in rocks mode";
    EXPECT_EQ(uint32_t(rec.data0.all), kBg) << "colour 2 is the background colour";
    EXPECT_EQ(uint32_t(rec.data1.all), kFg);
    EXPECT_EQ(uint32_t(rec.data2.all), 1000u) << "the seed of the opening";

    DialogRig smaller(countingFilter, 50, 60);
    sFltObj6 last{};
    ASSERT_TRUE(makeCloudsLastParam(last, *smaller.core));
    EXPECT_EQ(last.data3.w0, 50);
    EXPECT_EQ(last.data3.w1, 60);
    EXPECT_EQ(last.data4.w1, 70);
}

TEST(GeneratorDialogs, CloudsDefaultsButtonRestoresTheFormValues)
{
    EffectRig rig(400, 400);
    ScopedToolColours tools(kFg, kBg);
    TFormClouds4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.FieldW.num->setValue(90);
    dlg.CheckA->click();
    setCellColour(*dlg.FCell1, TColor32{.bgra = 0xFF000000u});
    dlg.ButtonD->click();
    EXPECT_EQ(dlg.FieldW.num->Value(), 256.0f);
    EXPECT_TRUE(dlg.CheckA->isChecked());
    EXPECT_TRUE(dlg.FieldW.edit->isEnabled());
    EXPECT_EQ(cellColour(*dlg.FCell1).bgra, kFg);
    EXPECT_EQ(dlg.curParam().data3.w0, 256);
}

TEST(GeneratorDialogs, PlasmaContrastAndOpacityScale)
{
    struct Case
    {
        float contrast, opacity;
        int16_t contrastCell;
        uint8_t opacityCell;
    };
    for (const Case c : {Case{100, 100, 256, 255}, Case{1000, 50, 2560, 128}, Case{1, 1, 3, 3}}) {
        const sFltObj4 r = plasmaRecord(7, true, c.contrast, 21, c.opacity);
        EXPECT_EQ(r.data1.s1, c.contrastCell) << c.contrast;
        EXPECT_EQ(r.data2.b1, c.opacityCell) << c.opacity;
        EXPECT_EQ(r.data1.b0, 1);
        EXPECT_EQ(r.data2.b0, 21);
        EXPECT_EQ(r.data0.all, 7);
    }
}

TEST(GeneratorDialogs, PlasmaFormListsTheBlendModesAndRemembersItsValues)
{
    EffectRig rig;
    ScopedDialogDriver driver([](QDialog &d) {
        auto &dlg = as<TFormPlasma4>(d);
        EXPECT_EQ(dlg.CmbM->count(), 22);
        EXPECT_EQ(dlg.FieldC.num->Value(), 100.0f);
        dlg.CmbM->setCurrentIndex(4);
        dlg.FieldC.num->setValue(1000);
        dlg.RadG->click();
        clickOk(d);
    });
    sFltObj4 rec{};
    ASSERT_TRUE(execPlasmaDialog(rec, *rig.core));
    EXPECT_EQ(rec.data1.s1, 2560);
    EXPECT_EQ(rec.data2.b0, 4);
    EXPECT_EQ(rec.data1.b0, 1);
    const SPlasmaMemo &m = effectDialogMemos().plasma;
    EXPECT_EQ(m.contrast, 1000);
    EXPECT_EQ(m.blend, 4);
    EXPECT_TRUE(m.mono);
}

TEST(GeneratorDialogs, EveryRepeatAndRecreateDrawsANewPattern)
{
    EffectRig rig(300, 300);
    sFltObj6 c1{}, c2{};
    sFltObj4 p1{}, p2{};
    ASSERT_TRUE(makeCloudsLastParam(c1, *rig.core));
    ASSERT_TRUE(makePlasmaLastParam(p1));
    rig.clock.advance(15);
    ASSERT_TRUE(makeCloudsLastParam(c2, *rig.core));
    ASSERT_TRUE(makePlasmaLastParam(p2));
    EXPECT_NE(c1.data2.all, c2.data2.all);
    EXPECT_NE(p1.data0.all, p2.data0.all);

    TFormPlasma4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    const int32_t opened = dlg.curParam().data0.all;
    rig.clock.advance(15);
    dlg.BtnR->click();
    EXPECT_NE(dlg.curParam().data0.all, opened);
}
