// The option view: each control onto the working brush or the profile, and what shows.
#include "toolform_fixture.h"

#include "core/profile/app_profile.h"
#include "paint/presets/pen_presets.h"
#include "ui/controls/airmap_controls.h"
#include "ui/controls/item_picker.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/label_fields.h"
#include "ui/fields/popup_sliders.h"
#include "ui/lists/gradient_list_view.h"
#include "ui/lists/pen_method_list_view.h"
#include "windows/dock/dock_view.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

using D = TToolDetail;

struct ToolFormOptions : ToolFormFixture
{
    // The brush as it is stored in its set.
    float storedDensity()
    {
        bool ok = false;
        TPaintParam stored(f().FDrpPenMtd->GetPenMtdObjRef(f().FDrpPenMtd->GetSelectIndex()), ok);
        return stored.Density();
    }
    bool shown(QWidget *w) { return w->isVisibleTo(f().FOptionView); }
};

TEST_F(ToolFormOptions, EachControlWritesItsSettingInTheBrushsScale)
{
    f().NumToolDens->SetNumber(nullptr, 40);
    EXPECT_FLOAT_EQ(brush().Density(), 0.4f);
    f().NumBrushSpace->SetNumber(nullptr, 25);
    EXPECT_FLOAT_EQ(brush().Space(), 0.25f);
    f().FAspRot->setAspect(30);
    f().PaintParamChange(f().FAspRot);
    EXPECT_FLOAT_EQ(brush().Aspect(), 0.7f);
    f().FBtnToolAA->setDown(true);
    f().FBtnToolAA->setDown(false);
    EXPECT_TRUE(brush().Digitize());
    EXPECT_FALSE(f().FAspRot->AntiAlias());
}

TEST_F(ToolFormOptions, AMapOfTheFourCurveKindWritesFlatAndAdd)
{
    f().changeToolDetail(D::tdAirBrush5);
    ASSERT_EQ(brush().SupportAirMaps(), TPaintAirMapType::pamt4);
    f().FDrpAirMap->setFlat(30);
    f().FDrpAirMap->setAdd(60);
    f().PaintParamChange(f().FDrpAirMap);
    EXPECT_FLOAT_EQ(brush().Flat(), 0.3f);
    EXPECT_FLOAT_EQ(brush().Add(), 0.6f);
    EXPECT_FLOAT_EQ(f().FAspRot->Flat(), 30);
}

TEST_F(ToolFormOptions, ToleranceGoesToTheProfileOfItsTool)
{
    f().changeToolDetail(D::tdSeedFill);
    f().NumSeedRange->SetNumber(nullptr, 37.6f);
    EXPECT_EQ(prof().fillLimit, 38);
    f().changeToolDetail(D::tdMagicWand);
    EXPECT_EQ(f().NumSeedRange->Value(), float(prof().wandLimit));
    f().NumSeedRange->SetNumber(nullptr, 12);
    EXPECT_EQ(prof().wandLimit, 12);
    EXPECT_EQ(prof().fillLimit, 38);
    f().ChkSeedUseAll->click();
    EXPECT_EQ(prof().wandTarget, f().ChkSeedUseAll->isChecked() ? 1 : 0);
}

TEST_F(ToolFormOptions, AutoSaveSavesOncePerRealChangeAndNeverForTheSwitch)
{
    prof().DrawToolAutoSave = true;
    f().NumToolDens->SetNumber(nullptr, 70);
    EXPECT_FLOAT_EQ(storedDensity(), 0.7f);
    // The same value again saves nothing; another brush value on the same brush is kept apart.
    f().FDrpPenMtd->AliasRef().setSpace(0.5f); // not saved yet
    f().NumToolDens->SetNumber(nullptr, 70);
    bool ok = false;
    TPaintParam s1(f().FDrpPenMtd->GetPenMtdObjRef(f().FDrpPenMtd->GetSelectIndex()), ok);
    EXPECT_NE(s1.Space(), 0.5f);
    // The opacity a switch shows (another engine within the button) is no edit.
    f().changeToolDetail(D::tdPencil4);
    bool ok4 = false;
    TPaintParam s4(f().FDrpPenMtd->GetPenMtdObjRef(f().FDrpPenMtd->GetSelectIndex()), ok4);
    EXPECT_NE(s4.Density(), 0.7f);
}

TEST_F(ToolFormOptions, ALegacyBrushHidesSmoothingAndLocksItsName)
{
    f().changeToolDetail(D::tdPencil1);
    EXPECT_FALSE(f().EdtSmoothLevel->isVisibleTo(f().FQZ5OptionView));
    EXPECT_FALSE(f().EdtToolName->isEnabled());
    EXPECT_EQ(f().FOptionView->Caption(), QStringLiteral("鉛筆 - 3互換"));
    f().changeToolDetail(D::tdPencil5);
    EXPECT_TRUE(f().EdtSmoothLevel->isVisibleTo(f().FQZ5OptionView));
    EXPECT_TRUE(f().EdtToolName->isEnabled());
}

TEST_F(ToolFormOptions, TheViewShowsTheRowsOfItsTool)
{
    struct Case
    {
        D detail;
        bool brush, gradient, tolerance, checks, opacity;
    };
    const Case cases[] = {
        {D::tdPencil5, true, false, false, false, true},
        {D::tdGradient, false, true, false, false, true},
        {D::tdSeedFill, false, false, true, false, true},
        {D::tdSelectEllipse, false, false, false, true, false},
    };
    for (const Case &c : cases)
    {
        f().changeToolDetail(c.detail);
        EXPECT_EQ(shown(f().FDrpPenMtd), c.brush) << int(c.detail);
        EXPECT_EQ(shown(f().FDrpGrad), c.gradient) << int(c.detail);
        EXPECT_EQ(shown(f().EdtSeedRange), c.tolerance) << int(c.detail);
        EXPECT_EQ(shown(f().CheckCenter), c.checks) << int(c.detail);
        EXPECT_EQ(shown(f().EdtOptDens), c.opacity) << int(c.detail);
        EXPECT_FALSE(shown(f().BtnTransformApply)) << int(c.detail);
    }
}

TEST_F(ToolFormOptions, DuringATransformOnlyItsRowsAndButtonsAreUsable)
{
    ASSERT_TRUE(startTransform());
    EXPECT_TRUE(shown(f().EdtOptScaleWRange));
    EXPECT_TRUE(shown(f().BtnTransformApply));
    EXPECT_FALSE(shown(f().FDrpPenMtd));
    EXPECT_FALSE(shown(f().EdtOptDens));
    for (TqZGlyphButton *b : f().FToolButtons)
        EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(f().FOptionView->Caption(), QStringLiteral("自由変形"));
    w->transformEnd(false);
    for (TqZGlyphButton *b : f().FToolButtons)
        EXPECT_TRUE(b->isEnabled());
}
