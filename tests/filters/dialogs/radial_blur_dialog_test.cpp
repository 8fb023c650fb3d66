// The centre picker and the zoom blur's dialog: clicks and typed offsets against the effect
// rectangle, the remembered centre scaled to the rectangle of a repeat.
#include "filters/dialogs/effect_dialog_test_support.h"
#include "filters/dialogs/effect_dialog_values.h"
#include "filters/dialogs/radial_blur_dialog.h"
#include "filters/dialogs/track_area.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QCheckBox>
#include <QTest>

#include <gtest/gtest.h>

using namespace dialogtest;

TEST(RadialBlurDialog, TrackAreaMapsAndLimitsThePointer)
{
    TTrackArea area;
    area.SetBounds(0, 0, 44, 24);
    int changes = 0;
    area.OnChange = [&](QObject *) { ++changes; };
    EXPECT_EQ(area.HorzPos(), 0.5f);
    const TPointSingle p = area.PositionAt(12, 22);
    EXPECT_FLOAT_EQ(p.x, 0.25f);
    EXPECT_FLOAT_EQ(p.y, 1.0f);
    area.show();
    QTest::mousePress(&area, Qt::LeftButton, {}, QPoint(43, 0));
    EXPECT_EQ(area.HorzPos(), 1.0f) << "mouse input is limited to the square";
    EXPECT_EQ(area.VertPos(), 0.0f);
    QTest::mouseRelease(&area, Qt::LeftButton, {}, QPoint(43, 0));
    EXPECT_EQ(changes, 1);
    area.SetPosition(1.0f, 0.0f);
    EXPECT_EQ(changes, 1) << "an unchanged position is not announced";
    area.SetPosition(1.5f, 0.0f);
    EXPECT_EQ(area.HorzPos(), 1.5f) << "a position set from outside is kept as given";
    area.setEnabled(false);
    QTest::mousePress(&area, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(area.HorzPos(), 1.5f) << "a disabled picker ignores the mouse";

    TTrackArea tiny;
    tiny.SetBounds(0, 0, 4, 40);
    EXPECT_EQ(tiny.PositionAt(0, 2).x, 0.5f) << "a side under 5 pixels gives the middle";
    EXPECT_EQ(tiny.PositionAt(0, 2).y, 0.0f);
}

TEST(RadialBlurDialog, TrackAreaDrawsTheRingAtThePosition)
{
    TTrackArea area;
    area.SetBounds(0, 0, 45, 45);
    const auto snapshot = [&] {
        std::vector<uint32_t> px;
        for (int y = 0; y < 45; ++y)
            for (int x = 0; x < 45; ++x)
                px.push_back(area.Image().GetPixel(x, y).bgra);
        return px;
    };
    const auto middle = snapshot();
    area.SetPosition(0.0f, 0.0f);
    EXPECT_NE(snapshot(), middle);
    area.SetPosition(0.5f, 0.5f);
    EXPECT_EQ(snapshot(), middle);
}

TEST(RadialBlurDialog, ClicksAndTypedOffsetsSpanTheEffectRectangle)
{
    EffectRig rig(400, 200);
    TFormRadialBlur4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.show();
    EXPECT_EQ(dlg.TrackLT->HorzPos(), 0.5f) << "the centre opens in the middle";
    EXPECT_EQ(dlg.FieldL.num->ValueMin(), -200.0f);
    EXPECT_EQ(dlg.FieldT.num->ValueMax(), 100.0f);
    EXPECT_FALSE(dlg.PreviewChecked()) << "the preview is off by default";

    QTest::mousePress(dlg.TrackLT, Qt::LeftButton, {}, QPoint(0, 44));
    EXPECT_EQ(dlg.FieldL.num->Value(), -200.0f);
    EXPECT_EQ(dlg.curParam().data0.s0, -200);
    QTest::mouseMove(dlg.TrackLT, QPoint(44, 44));
    QTest::mouseRelease(dlg.TrackLT, Qt::LeftButton, {}, QPoint(44, 44));
    EXPECT_EQ(dlg.FieldL.num->Value(), 0.0f);
    EXPECT_EQ(dlg.FieldT.num->Value(), 0.0f);

    dlg.FieldL.num->SetString(dlg.FieldL.edit, QStringLiteral("500"));
    EXPECT_EQ(dlg.FieldL.num->Value(), 200.0f) << "clamped to half the rectangle";
    EXPECT_EQ(dlg.TrackLT->HorzPos(), 1.0f);
    EXPECT_EQ(dlg.curParam().data0.s0, 200);
}

TEST(RadialBlurDialog, TheRepeatScalesTheCentreToItsRectangle)
{
    EffectRig rig(400, 200);
    ScopedDialogDriver driver([](QDialog &d) {
        auto &dlg = as<TFormRadialBlur4>(d);
        dlg.FieldL.num->setValue(50);
        dlg.FieldT.num->setValue(-20);
        dlg.FieldA.num->setValue(30);
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execRadialBlurDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0.s0, 50);
    EXPECT_EQ(rec.data0.s1, -20);
    EXPECT_EQ(rec.data1.b0, 30);
    EXPECT_EQ(rec.data1.b2, 1);

    DialogRig other(countingFilter, 200, 100); // keeps the remembered values
    sFltObj2 last{};
    ASSERT_TRUE(makeRadialBlurLastParam(last, *other.core));
    EXPECT_EQ(last.data0.s0, 25);
    EXPECT_EQ(last.data0.s1, -10);
    EXPECT_EQ(last.data1.b0, 30);
    EXPECT_EQ(effectDialogMemos().radialBlur.width, 200) << "the repeat's size is noted";
}

TEST(RadialBlurDialog, RepeatRoundsHalfAwayAndRefusesAnEmptySize)
{
    struct Case
    {
        SRadialBlurMemo memo;
        int32_t w, h;
        bool ok;
        int16_t x, y;
    };
    const Case cases[] = {
        {{-3, 5, 400, 200, 1, false}, 200, 100, true, -2, 3},
        {{7, -7, 10, 10, 1, false}, 10, 10, true, 7, -7},
        {{7, 7, 0, 10, 1, false}, 10, 10, false, 0, 0},
        {{7, 7, 10, -1, 1, false}, 10, 10, false, 0, 0},
    };
    for (const Case &c : cases) {
        SRadialBlurMemo m = c.memo;
        sFltObj2 rec{};
        EXPECT_EQ(lastRadialBlur(m, c.w, c.h, true, rec), c.ok);
        EXPECT_EQ(rec.data0.s0, c.x);
        EXPECT_EQ(rec.data0.s1, c.y);
        EXPECT_EQ(rec.data1.b1, c.ok ? 1 : 0) << "the layer's protection";
    }
}

TEST(RadialBlurDialog, OpeningNotesTheSizeEvenWhenCancelled)
{
    EffectRig rig(40, 30);
    ScopedDialogDriver driver([](QDialog &d) {
        as<TFormRadialBlur4>(d).FieldA.num->setValue(9);
        clickCancel(d);
    });
    sFltObj2 rec{};
    EXPECT_FALSE(execRadialBlurDialog(rec, *rig.core));
    const SRadialBlurMemo &m = effectDialogMemos().radialBlur;
    EXPECT_EQ(m.width, 40);
    EXPECT_EQ(m.height, 30);
    EXPECT_EQ(m.amount, 1) << "Cancel keeps the amount";
    EXPECT_EQ(pixelsOf(rig.layer()), rig.original);
}

TEST(RadialBlurDialog, FormOpensAtItsValuesAndOkRemembersThem)
{
    EffectRig rig(40, 30);
    effectDialogMemos().radialBlur.amount = 12;
    effectDialogMemos().radialBlur.offsetX = 9;
    effectDialogMemos().radialBlur.preview = true;
    float opened = 0, openedX = -1;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormRadialBlur4>(d);
        opened = dlg.FieldA.num->Value();
        openedX = dlg.FieldL.num->Value();
        EXPECT_TRUE(dlg.PreviewChecked());
        dlg.FieldA.track->setPosition(1.0f);
        dlg.FieldT.num->SetString(dlg.FieldT.edit, QStringLiteral("-4.5"));
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execRadialBlurDialog(rec, *rig.core));
    EXPECT_EQ(opened, 12.0f);
    EXPECT_EQ(openedX, 0.0f);
    EXPECT_EQ(rec.data1.b0, 100);
    EXPECT_EQ(rec.data0.s1, -5);
    const SRadialBlurMemo &m = effectDialogMemos().radialBlur;
    EXPECT_EQ(m.amount, 100);
    EXPECT_EQ(m.offsetY, -5);
    EXPECT_EQ(m.offsetX, 0);
}
