// The brush frames: which type drop-down and item show a brush, the reset to the chosen mode's
// defaults before the nib frame writes, the effects a mode does not use, density in percent, the
// user's icon, and the stroke options' smoothing and interpolation.
#include "core/image/canvas.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/paint_param.h"
#include "paint/presets/method_icons.h"
#include "support/captured_messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/fields/trackbar.h"
#include "ui/graphics/glyph_manager.h"
#include "windows/presets/brush_frames.h"
#include "windows/presets/editor_models.h"
#include "windows/presets/nib_editor_frame.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using enum TPaintMode;

namespace {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

// The built-in icons for the length of a test.
class MethodIconsScope
{
  public:
    MethodIconsScope() { initialiseMethodIcons(); }
    ~MethodIconsScope() { finaliseMethodIcons(); }
};

bool samePixels(const TMTC *a, const TMTC *b)
{
    return a && b && a->imageView() == b->imageView();
}

} // namespace

TEST(BrushFrames, CurrentPaintModeReadsTheVisibleDropDown)
{
    struct Case
    {
        TBrushTypeList list;
        int item;
        bool ok;
        TPaintMode mode;
    };
    using enum TBrushTypeList;
    const Case cases[] = {
        {PM4, 0, true, pmPencil4},   {PM4, 6, true, pmSpread4}, {PM4, 8, true, pmDodge4},
        {PM4, 9, false, pmPencil1},  {PM4, -1, false, pmPencil1}, {PM5, 0, true, pmPencil5},
        {PM5, 3, true, pmAirBrush5}, {PM5, 4, false, pmPencil1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.item);
        TPaintMode m = pmPencil1;
        EXPECT_EQ(CurrentPaintMode(c.list, c.item, m), c.ok);
        EXPECT_EQ(m, c.mode);
    }

    TFramePenMtdEditor f;
    EXPECT_EQ(f.CmbType(), f.PM5CmbType) << "the version-5 drop-down is shown first";
    EXPECT_EQ(f.PM5CmbType->geometry(), f.PM4CmbType->geometry());
    f.PM5CmbType->setCurrentIndex(2);
    EXPECT_EQ(f.CurrentPaintMode(), pmWaterColor5);
    const TPaintParam burn(pmBurn4);
    ASSERT_TRUE(f.SetPaintParam(&burn));
    f.PM4CmbType->setCurrentIndex(6);
    f.PM5CmbType->setCurrentIndex(0);
    EXPECT_EQ(f.CurrentPaintMode(), pmSpread4) << "the hidden drop-down counts for nothing";
}

TEST(BrushFrames, SetPaintParamShowsTheBrushInItsDropDown)
{
    struct Case
    {
        TPaintMode mode;
        bool version5;
        int item;
    };
    const Case cases[] = {
        {pmWaterColor5, true, 2}, {pmAirBrush5, true, 3}, {pmPencil4, false, 0}, {pmBurn4, false, 7}};
    TFramePenMtdEditor f;
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.mode));
        TPaintParam p(c.mode);
        p.setItemName(QStringLiteral("b%1").arg(int(c.mode)));
        p.setDensity(0.5f);
        ASSERT_TRUE(f.SetPaintParam(&p));
        QComboBox *shown = c.version5 ? f.PM5CmbType : f.PM4CmbType;
        QComboBox *hidden = c.version5 ? f.PM4CmbType : f.PM5CmbType;
        EXPECT_EQ(f.CmbType(), shown);
        EXPECT_FALSE(shown->isHidden());
        EXPECT_TRUE(hidden->isHidden());
        EXPECT_EQ(shown->currentIndex(), c.item);
        EXPECT_EQ(f.EdtName->text(), p.ItemName());
        EXPECT_FLOAT_EQ(f.NumDensity->Value(), 50);
    }

    // The older engines' brushes leave the frame exactly as it was.
    for (TPaintMode legacy : {pmBlur2, pmPencil1, pmDodge1}) {
        SCOPED_TRACE(int(legacy));
        TPaintParam p(legacy);
        p.setItemName(QStringLiteral("old"));
        p.setDensity(0.2f);
        int changes = 0;
        f.OnChange = [&](QObject *) { ++changes; };
        EXPECT_TRUE(f.SetPaintParam(&p));
        EXPECT_EQ(f.CmbType(), f.PM4CmbType);
        EXPECT_EQ(f.PM4CmbType->currentIndex(), 7);
        EXPECT_EQ(f.EdtName->text(), QStringLiteral("b16"));
        EXPECT_FLOAT_EQ(f.NumDensity->Value(), 50);
        EXPECT_EQ(changes, 0);
        f.OnChange = nullptr;
    }
    EXPECT_FALSE(f.SetPaintParam(nullptr));
    EXPECT_FALSE(f.GetPaintParam(nullptr));
}

TEST(BrushFrames, AModeChangeResetsTheSettingBeforeTheNibFrameWrites)
{
    TPaintParam p(pmPencil5);
    p.setItemName(QStringLiteral("mine"));
    p.setDensity(0.37f);
    p.setRadius(12);
    p.setAspect(0.5f);
    p.setWholeDrawRadius(3);
    p.setSmoothLevel(7);
    p.setUseTone(true);
    TFramePenMtdEditor brush;
    TFramePenNibEditor nib;
    ASSERT_TRUE(brush.SetPaintParam(&p));
    ASSERT_TRUE(nib.SetPaintParam(&p));
    int changes = 0;
    brush.OnChange = [&](QObject *) { ++changes; };
    brush.PM5CmbType->setCurrentIndex(3);
    EXPECT_EQ(changes, 1);

    TPaintParam out(p);
    ASSERT_TRUE(brush.GetPaintParam(&out));
    const TPaintParamR d = getPaintParamDefaults(pmAirBrush5);
    EXPECT_EQ(out.Mode(), pmAirBrush5);
    EXPECT_FLOAT_EQ(out.Radius(), d.Radius) << "the old nib is gone before the nib frame writes";
    EXPECT_FLOAT_EQ(out.WholeDrawRadius(), d.WholeDrawRadius);
    EXPECT_EQ(out.SmoothLevel(), d.SmoothLevel);
    EXPECT_EQ(out.UseTone(), d.UseTone);
    EXPECT_EQ(out.ItemName(), QStringLiteral("mine"));
    EXPECT_FLOAT_EQ(out.Density(), 0.37f);

    ASSERT_TRUE(nib.GetPaintParam(&out));
    EXPECT_FLOAT_EQ(out.Radius(), 12);
    EXPECT_FLOAT_EQ(out.Aspect(), 0.5f);
    EXPECT_FLOAT_EQ(out.WholeDrawRadius(), d.WholeDrawRadius) << "the nib frame does not hold it";
}

TEST(BrushFrames, EffectsFollowTheMode)
{
    struct Case
    {
        TPaintMode mode;
        std::array<bool, 3> used;
        std::array<const char *, 3> captions;
    };
    const Case cases[] = {
        {pmBlur4, {true, false, false}, {"ぼかし強度(&1)", "ぼかし(&2)", "ぼかし(&3)"}},
        {pmWaterColor5, {true, true, true}, {"のばし効果(&1)", "ぼかし効果(&2)", "影響距離(&3)"}},
        {pmPencil5, {false, false, false}, {"効果(&1)", "効果(&2)", "効果(&3)"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.mode));
        TPaintParam p(c.mode);
        TFramePenMtdEditor f;
        ASSERT_TRUE(f.SetPaintParam(&p));
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(f.StaticEffect[size_t(i)]->text(), u8(c.captions[size_t(i)]));
            EXPECT_EQ(f.EdtEffect[size_t(i)]->isEnabled(), c.used[size_t(i)]) << i;
            EXPECT_EQ(f.StaticEffect[size_t(i)]->isEnabled(), c.used[size_t(i)]) << i;
            EXPECT_EQ(f.TrkEffect(i)->isEnabled(), c.used[size_t(i)]) << i;
            EXPECT_EQ(f.LblEffect(i)->GlyphType(), paintModeToGlyphType(c.mode));
            f.NumEffect[size_t(i)]->setValue(float(11 + i));
        }
        TPaintParam out(c.mode);
        ASSERT_TRUE(f.GetPaintParam(&out));
        const TPaintParamR d = getPaintParamDefaults(c.mode);
        const float got[3] = {out.Effect1(), out.Effect2(), out.Effect3()};
        const float defaults[3] = {d.Effect1, d.Effect2, d.Effect3};
        for (int i = 0; i < 3; ++i)
            EXPECT_FLOAT_EQ(got[i], c.used[size_t(i)] ? float(11 + i) : defaults[i]) << i;
    }
}

TEST(BrushFrames, DensityAndSpacingInPercent)
{
    struct Case
    {
        float density, space;
        float numDensity, numSpace;
    };
    const Case cases[] = {{0.37f, 0.1f, 37, 10}, {0.01f, 2.0f, 1, 200}, {1.0f, 0.25f, 100, 25}};
    TFramePenMtdEditor f;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.numDensity);
        TPaintParam p(pmAirBrush5);
        p.setDensity(c.density);
        p.setSpace(c.space);
        ASSERT_TRUE(f.SetPaintParam(&p));
        EXPECT_FLOAT_EQ(f.NumDensity->Value(), c.numDensity);
        EXPECT_FLOAT_EQ(f.NumSpace->Value(), c.numSpace);
        EXPECT_FLOAT_EQ(f.TrkDensity()->Position(), f.NumDensity->Position());
        TPaintParam out(pmAirBrush5);
        ASSERT_TRUE(f.GetPaintParam(&out));
        EXPECT_EQ(out.Density(), c.density);
        EXPECT_EQ(out.Space(), c.space);
    }
    // The track bar drives the number the other way.
    f.TrkDensity()->setPosition(0);
    f.TrkDensity()->OnChange(f.TrkDensity());
    EXPECT_FLOAT_EQ(f.NumDensity->Value(), 1);
}

TEST(BrushFrames, TheUsersIconComesAndGoes)
{
    MethodIconsScope icons;
    CapturedMessages messages;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("icon.png"));
    QImage picture(20, 10, QImage::Format_ARGB32);
    picture.fill(qRgba(10, 200, 30, 255));
    ASSERT_TRUE(picture.save(file));

    TFramePenMtdEditor f;
    const TPaintParam p(pmWaterColor5);
    ASSERT_TRUE(f.SetPaintParam(&p));
    EXPECT_FALSE(f.UserIcon());
    EXPECT_TRUE(samePixels(f.IconTC(), getPaintModeIcon(pmWaterColor5)));
    EXPECT_FALSE(f.BtnIconRemove->isEnabled());

    int changes = 0;
    f.OnChange = [&](QObject *) { ++changes; };
    ASSERT_TRUE(f.LoadIconFile(file));
    EXPECT_TRUE(f.UserIcon());
    ASSERT_TRUE(f.IconTC());
    EXPECT_EQ(f.IconTC()->width(), 20);
    EXPECT_TRUE(f.BtnIconRemove->isEnabled());
    EXPECT_EQ(changes, 1);
    // A mode change keeps the user's icon.
    f.PM5CmbType->setCurrentIndex(0);
    EXPECT_EQ(f.IconTC()->width(), 20);
    TPaintParam out(pmPencil5);
    ASSERT_TRUE(f.GetPaintParam(&out));
    EXPECT_TRUE(out.UserIcon());
    EXPECT_EQ(out.IconImage()->height(), 10);

    const QString missing = dir.filePath(QStringLiteral("missing.png"));
    EXPECT_FALSE(f.LoadIconFile(missing));
    EXPECT_EQ(messages.warnings,
              QStringList{u8("画像ファイルを開くことができませんでした！\r    path = ") + missing});
    EXPECT_EQ(f.IconTC()->width(), 20) << "the icon is kept";
    EXPECT_EQ(changes, 2) << "only the mode change";

    f.BtnIconRemove->click();
    EXPECT_FALSE(f.UserIcon());
    EXPECT_TRUE(samePixels(f.IconTC(), getPaintModeIcon(pmPencil5)));
    EXPECT_FALSE(f.BtnIconRemove->isEnabled());
    EXPECT_EQ(changes, 3);
    ASSERT_TRUE(f.GetPaintParam(&out));
    EXPECT_FALSE(out.UserIcon()) << "the built-in icon is not stored";
}

TEST(BrushFrames, StrokeOptionsSmoothingAndInterpolation)
{
    struct Case
    {
        float number;
        int32_t level;
    };
    const Case cases[] = {{2.5f, 2}, {3.5f, 4}, {0.5f, 0}, {7.4f, 7}, {24, 24}};
    TFrameStrokeOpt f;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(smoothLevelFromNumber(c.number), c.level);
        f.NumSmoothLevel->setValue(c.number);
        EXPECT_FLOAT_EQ(f.TrkSmoothLevel()->Position(), f.NumSmoothLevel->Position());
        TPaintParam out(pmPencil5);
        ASSERT_TRUE(f.GetPaintParam(&out));
        EXPECT_EQ(out.SmoothLevel(), c.level);
    }

    TPaintParam p(pmPencil5);
    p.setSmoothLevel(7);
    p.setInterpolateType(TInterpolateType::itBSpline);
    ASSERT_TRUE(f.SetPaintParam(&p));
    EXPECT_FLOAT_EQ(f.NumSmoothLevel->Value(), 7);
    EXPECT_TRUE(f.CheckInterpolate->isChecked());
    f.CheckInterpolate->setChecked(false);
    TPaintParam out(pmPencil5);
    ASSERT_TRUE(f.GetPaintParam(&out));
    EXPECT_EQ(out.InterpolateType(), TInterpolateType::itLinear);
    f.CheckInterpolate->setChecked(true);
    ASSERT_TRUE(f.GetPaintParam(&out));
    EXPECT_EQ(out.InterpolateType(), TInterpolateType::itBSpline);

    f.SetControlEnabled(false);
    EXPECT_FLOAT_EQ(f.NumSmoothLevel->Value(), 0);
    EXPECT_FALSE(f.CheckInterpolate->isChecked());
    EXPECT_FALSE(f.CheckInterpolate->isEnabled());
    EXPECT_FALSE(f.TrkSmoothLevel()->isEnabled());
    EXPECT_FALSE(f.StaticSmoothLevel->isEnabled());
    EXPECT_TRUE(f.EdtSmoothLevel->isEnabled()) << "the number field stays enabled";
    f.SetControlEnabled(true);
    EXPECT_TRUE(f.CheckInterpolate->isEnabled());
    EXPECT_TRUE(f.TrkSmoothLevel()->isEnabled());
    EXPECT_FLOAT_EQ(f.NumSmoothLevel->Value(), 0) << "enabling restores nothing";
    EXPECT_FALSE(f.SetPaintParam(nullptr));
    EXPECT_FALSE(f.GetPaintParam(nullptr));
}
