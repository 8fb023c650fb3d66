// The lighting dialog, its thumbnail and its side view: the kind change, positions beyond the
// area, the drags and hit tests, the thumbnail lit as the filter lights it, and the defaults at
// every opening against the repeat of the last OK.
#include "filters/algorithms/lighting_filter.h"
#include "filters/dialogs/effect_dialog_test_support.h"
#include "filters/dialogs/generator_dialogs.h"
#include "filters/dialogs/light_views.h"
#include "filters/dialogs/lighting_dialog.h"
#include "ui/colour/colour_cells.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>

#include <cmath>
#include <gtest/gtest.h>

using namespace dialogtest;

namespace {

// Every pixel opaque, in a pattern the light and the reduction both change.
void paintOpaque(CBlockVMTC &img)
{
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            img.setPixel(x, y, 0xFF000000u | uint32_t(x * 5) << 16 | uint32_t(y * 3) << 8 | 0x40u);
}

void chooseKind(TFormLighting4 &dlg, int kind)
{
    dlg.CmbK->setCurrentIndex(kind);
    emit dlg.CmbK->activated(kind);
}

QPoint offset(QPoint p, int dx, int dy)
{
    return {p.x() + dx, p.y() + dy};
}

} // namespace

TEST(LightingDialog, KindChangeSetsTheRowAndTheConeMinimum)
{
    EffectRig rig(40, 30);
    TFormLighting4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    EXPECT_EQ(dlg.size(), QSize(448, 380));
    for (const QWidget *w : dlg.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(dlg.rect().contains(w->geometry())) << w->metaObject()->className();
    EXPECT_EQ(dlg.FieldF.num->ValueMin(), 0.0f);
    EXPECT_FALSE(dlg.FieldH.edit->isEnabled());

    chooseKind(dlg, flkWarm);
    EXPECT_EQ(dlg.FieldF.num->Value(), 10.0f);
    EXPECT_EQ(dlg.FieldF.num->ValueMin(), 3.0f);
    EXPECT_EQ(dlg.FieldI.num->Value(), 180.0f);
    EXPECT_EQ(dlg.FieldH.num->Value(), 120.0f);
    EXPECT_TRUE(dlg.FieldH.edit->isEnabled());
    EXPECT_EQ(dlg.FPreview->Kind(), flkWarm);
    EXPECT_EQ(dlg.FLight->Pitch(), 30.0f);
    EXPECT_EQ(dlg.curData().wide, 10);
    EXPECT_FLOAT_EQ(dlg.curData().theta, float(-120 * M_PI / 180));
    EXPECT_FLOAT_EQ(dlg.curData().phi, float(30 * M_PI / 180));

    dlg.ButtonD->click();
    EXPECT_EQ(dlg.CmbK->currentIndex(), flkPoint);
    EXPECT_EQ(dlg.FieldF.num->ValueMin(), 0.0f);
    EXPECT_EQ(dlg.FieldH.num->Value(), 0.0f);
    EXPECT_EQ(dlg.FieldP.num->Value(), 0.0f);
    EXPECT_EQ(dlg.FieldF.num->Value(), 0.0f);
    EXPECT_FALSE(dlg.FieldF.edit->isEnabled());
    EXPECT_EQ(dlg.curData().wide, 0);
    EXPECT_EQ(dlg.curData().theta, 0.0f);
}

TEST(LightingDialog, PositionsReachOneLayerSizeBeyondTheCentre)
{
    EffectRig rig(40, 30);
    TFormLighting4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    EXPECT_EQ(dlg.curData().posx, 0.5f);
    dlg.FieldX.num->setValue(40);
    dlg.FieldY.num->setValue(-30);
    EXPECT_EQ(dlg.curData().posx, 1.5f);
    EXPECT_EQ(dlg.curData().posy, -0.5f);
    EXPECT_EQ(dlg.FPreview->X(), 1.0f);
    EXPECT_EQ(dlg.FPreview->LightPos().x(), 104 + 160) << "one thumbnail width right of the centre";
    dlg.FieldX.num->SetString(dlg.FieldX.edit, QStringLiteral("100"));
    EXPECT_EQ(dlg.curData().posx, 1.5f) << "clamped to the layer's width";
}

TEST(LightingDialog, PreviewDragsMoveTheLightAndItsTilt)
{
    EffectRig rig(40, 40);
    TFormLighting4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.show();
    chooseKind(dlg, flkSpot);
    const QPoint p = dlg.FPreview->LightPos();

    QTest::mousePress(dlg.FPreview, Qt::LeftButton, {}, offset(p, 10, 0));
    EXPECT_GT(dlg.FieldP.num->Value(), 0.0f);
    EXPECT_LT(dlg.FieldP.num->Value(), 90.0f);
    QTest::mouseMove(dlg.FPreview, offset(p, 23, 1)); // 24 pixels from the light's centre
    EXPECT_EQ(dlg.FieldP.num->Value(), 90.0f);
    EXPECT_NEAR(dlg.FieldH.num->Value(), -4.76f, 0.01f);
    EXPECT_EQ(dlg.FLight->Pitch(), 90.0f) << "the side view follows";
    QTest::mouseMove(dlg.FPreview, offset(p, 0, -60));
    EXPECT_EQ(dlg.FieldP.num->Value(), 90.0f);
    EXPECT_NEAR(dlg.FieldH.num->Value(), 89.03f, 0.01f); // atan2(59, 1)
    QTest::mouseRelease(dlg.FPreview, Qt::LeftButton, {}, offset(p, 0, -60));

    // Far from the light it jumps to the pointer: one thumbnail width right is X = +width.
    QTest::mousePress(dlg.FPreview, Qt::LeftButton, {}, offset(p, 80, 0));
    QTest::mouseRelease(dlg.FPreview, Qt::LeftButton, {}, offset(p, 80, 0));
    EXPECT_EQ(dlg.FieldX.num->Value(), 20.0f);
    EXPECT_EQ(dlg.curData().posx, 1.0f);
}

TEST(LightingDialog, HitTestsAtTheirRadii)
{
    EffectRig rig(40, 40);
    TFormLighting4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    const QPoint p = dlg.FPreview->LightPos();
    const QPoint h = dlg.FLight->DistancePos();
    struct Case
    {
        int r;
        TLightPreviewPart preview;
        TLightControlPart side;
    };
    const Case directed[] = {
        {0, lppPos, lcpDistance},     {4, lppPos, lcpDistance},  {5, lppAngle, lcpDistance},
        {20, lppAngle, lcpPitch},     {28, lppAngle, lcpPitch},  {29, lppDiffuse, lcpDiffuse},
        {36, lppDiffuse, lcpDiffuse}, {37, lppPos, lcpDistance},
    };
    // The point light has its place only.
    for (const Case &c : directed) {
        EXPECT_EQ(dlg.FPreview->HitTest(p.x() + c.r, p.y()), lppPos) << c.r;
        EXPECT_EQ(dlg.FLight->HitTest(h.x(), h.y() - c.r), lcpDistance) << c.r;
    }
    chooseKind(dlg, flkWarm);
    for (const Case &c : directed) {
        EXPECT_EQ(dlg.FPreview->HitTest(p.x() + c.r, p.y()), c.preview) << c.r;
        EXPECT_EQ(dlg.FLight->HitTest(h.x(), h.y() - c.r), c.side) << c.r;
    }
}

TEST(LightingDialog, SideViewDragsAndIgnoresUnchangedValues)
{
    EffectRig rig(40, 40);
    TFormLighting4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.show();
    TLightControl &side = *dlg.FLight;
    EXPECT_EQ(side.InnerHeight(), 208 - 76);
    int changes = 0;
    const TNotifyEvent wired = side.OnChange;
    side.OnChange = [&](QObject *s) {
        ++changes;
        wired(s);
    };
    side.SetParams(side.Distance(), side.Intensity(), side.Range(), 40, 20);
    EXPECT_EQ(changes, 0) << "the point light has no tilt or cone: nothing changed";

    // The floor line is distance 0, the inner top distance 1.
    QTest::mousePress(&side, Qt::LeftButton, {}, QPoint(44, side.InnerTop()));
    QTest::mouseRelease(&side, Qt::LeftButton, {}, QPoint(44, side.InnerTop()));
    EXPECT_EQ(side.Distance(), 1.0f);
    EXPECT_EQ(dlg.FieldD.num->Value(), 300.0f);
    EXPECT_EQ(changes, 1);

    chooseKind(dlg, flkSpot);
    const QPoint h = side.DistancePos();
    // The tilt handle, then the pointer straight right of the light: 90 degrees.
    const QPoint tiltHandle(h.x() + int(std::lround(24.5 * std::sin(30 * M_PI / 180))),
                            h.y() + int(std::lround(24.5 * std::cos(30 * M_PI / 180))));
    ASSERT_EQ(side.HitTest(tiltHandle.x(), tiltHandle.y()), lcpPitch);
    QTest::mousePress(&side, Qt::LeftButton, {}, tiltHandle);
    QTest::mouseMove(&side, QPoint(h.x() + 30, h.y()));
    QTest::mouseRelease(&side, Qt::LeftButton, {}, QPoint(h.x() + 30, h.y()));
    EXPECT_EQ(side.Pitch(), 90.0f);
    EXPECT_EQ(dlg.FieldP.num->Value(), 90.0f);
    EXPECT_EQ(dlg.FPreview->Pitch(), 90.0f);
    EXPECT_FLOAT_EQ(dlg.curData().phi, float(M_PI / 2));
}

TEST(LightingDialog, ThumbnailIsLitExactlyAsTheFilterLightsIt)
{
    EffectRig rig(40, 40);
    paintOpaque(rig.layer());
    // A transparent corner: the checkerboard shows there.
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x)
            rig.layer().setPixel(x, y, 0);
    rig.refresh();
    TFormLighting4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    chooseKind(dlg, flkWarm);
    dlg.FieldL.num->setValue(60);
    dlg.FieldH.num->setValue(-35);
    dlg.FieldP.num->setValue(50);
    dlg.FieldF.num->setValue(70);
    const TMTC &thumb = dlg.FPreview->Source();
    ASSERT_EQ(thumb.width(), 160);
    ASSERT_EQ(thumb.height(), 160);

    // The same light on the reduced picture through the filter itself.
    DialogRig reduced(fltLighting, 160, 160);
    for (int32_t y = 0; y < 160; ++y)
        for (int32_t x = 0; x < 160; ++x)
            reduced.layer().setPixel(x, y, thumb.getColor(x, y));
    reduced.refresh(fltLighting);
    ASSERT_TRUE(reduced.core->Filter(&dlg.curParam(), kFltObjComplexSize, nullptr));
    const TMemoryGraphic &lit = dlg.FPreview->Work();
    int differing = 0, lightened = 0, seeThrough = 0;
    for (int32_t y = 0; y < 160; ++y)
        for (int32_t x = 0; x < 160; ++x) {
            seeThrough += lit.GetPixel(x, y).a != 255;
            if (thumb.getColor(x, y) >> 24 != 255)
                continue;
            differing += lit.GetPixel(x, y).bgra != reduced.layer().getColor(x, y);
            lightened += lit.GetPixel(x, y).bgra != thumb.getColor(x, y);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lightened, 1000) << "the light does something";
    EXPECT_EQ(seeThrough, 0) << "translucent pixels lie over an opaque checkerboard";
    // 4 x 4 squares of white and 204, opaque.
    EXPECT_EQ(lit.GetPixel(0, 0).bgra, 0xFFFFFFFFu);
    EXPECT_EQ(lit.GetPixel(4, 0).bgra, 0xFFCCCCCCu);
    EXPECT_EQ(lit.GetPixel(4, 4).bgra, 0xFFFFFFFFu);
}

TEST(LightingDialog, OpeningsShowTheDefaultsWhileTheRepeatUsesTheLastOk)
{
    EffectRig rig(40, 30);
    int opening = 0;
    std::vector<float> second;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormLighting4>(d);
        if (opening++ > 0) {
            second = {float(dlg.CmbK->currentIndex()), dlg.FieldI.num->Value(),
                      dlg.FieldH.num->Value(), dlg.FieldL.num->Value()};
            EXPECT_EQ(cellColour(*dlg.FCell2).bgra, defaultAmbientColour().bgra);
            return;
        }
        chooseKind(dlg, flkSpot);
        dlg.FieldH.num->setValue(45.4f);
        dlg.FieldI.num->setValue(250);
        dlg.FieldL.num->setValue(-20);
        dlg.FieldX.num->setValue(20);
        setCellColour(*dlg.FCell2, TColor32{.bgra = 0xFF102030u});
        clickOk(d);
    });
    sFltObjComplex rec;
    SFltLight light;
    ASSERT_TRUE(execLightingDialog(rec, light, *rig.core));
    EXPECT_EQ(+rec.data0.all, int32_t(0xFF102030u));
    EXPECT_EQ(+rec.data1.all, -20);
    EXPECT_EQ(rec.data.data(), reinterpret_cast<const uint8_t *>(&light));
    EXPECT_EQ(light.kind, flkSpot);
    EXPECT_FLOAT_EQ(light.theta, float(-45.4 * M_PI / 180)) << "unrounded from the dialog";
    EXPECT_EQ(light.posx, 1.0f);

    EXPECT_FALSE(execLightingDialog(rec, light, *rig.core));
    EXPECT_EQ(second, (std::vector<float>{0, 300, 0, 0}));

    sFltObjComplex last;
    SFltLight lastLight;
    ASSERT_TRUE(makeLightingLastParam(last, lastLight));
    EXPECT_EQ(+last.count, 1);
    EXPECT_EQ(+last.eachLen, 56);
    EXPECT_EQ(last.data.data(), reinterpret_cast<const uint8_t *>(&lastLight));
    EXPECT_EQ(+last.data0.all, int32_t(0xFF102030u));
    EXPECT_EQ(+last.data1.all, -20);
    EXPECT_EQ(lastLight.kind, flkSpot);
    EXPECT_EQ(lastLight.power, 250);
    EXPECT_FLOAT_EQ(lastLight.theta, float(-45 * M_PI / 180)) << "whole degrees on repeat";
    EXPECT_FLOAT_EQ(lastLight.phi, float(30 * M_PI / 180));
    EXPECT_EQ(lastLight.wide, 10);
    EXPECT_EQ(lastLight.posx, 1.0f);
    EXPECT_EQ(lightingDialogMemo().light.theta, -45.0f);
}

TEST(LightingDialog, AnExceptionInsideTheDialogRevertsThePreview)
{
    EffectRig rig(40, 30);
    paintOpaque(rig.layer());
    rig.refresh(fltLighting);
    bool previewed = false;
    const FilterModalRunner previous = installFilterModalRunner([&](QDialog &d) -> int {
        d.show(); // the first preview lights the layer
        previewed = pixelsOf(rig.layer()) != rig.original;
        throw std::runtime_error("inside the dialog");
    });
    sFltObjComplex rec;
    SFltLight light;
    EXPECT_THROW(execLightingDialog(rec, light, *rig.core), std::runtime_error);
    installFilterModalRunner(previous);
    EXPECT_TRUE(previewed);
    EXPECT_EQ(pixelsOf(rig.layer()), rig.original);
}
