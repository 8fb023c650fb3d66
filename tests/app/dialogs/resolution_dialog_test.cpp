// The resolution and scaling dialog: its model on a 1000 x 500 image at 72 dpi (the locked
// ranges, the lock following either side, a resolution change in a length and in percent, the
// lock's click, an untouched resolution), the limits in every unit, and the real form in both
// modes through its runner.
#include "app/dialogs/resolution_dialog.h"

#include "size_dialog_driver.h"
#include "windows/shell_host.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace sizedlg_test;

namespace {

class ResolutionDialogModel : public ::testing::Test
{
  protected:
    void SetUp() override { m.setup(1000, 500, 72); }
    CResolutionModel m;
};

void expectRange(const TNumMngr &num, float lo, float hi)
{
    EXPECT_FLOAT_EQ(num.ValueMin(), lo);
    EXPECT_FLOAT_EQ(num.ValueMax(), hi);
}

} // namespace

TEST_F(ResolutionDialogModel, TheLockNarrowsBothSides)
{
    expectRange(m.NumPixelW, 16, 10000);
    expectRange(m.NumPixelH, 8, 5000);
    expectRange(m.NumWidth, 1.6f, 1000);
    expectRange(m.NumHeight, 1.6f, 1000);
    EXPECT_FLOAT_EQ(m.NumResolution.Value(), 72);
    EXPECT_FALSE(m.resolutionChanged());
}

TEST_F(ResolutionDialogModel, LockedSidesFollowEachOther)
{
    m.NumPixelW.setValue(500);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 250);
    EXPECT_FLOAT_EQ(m.NumWidth.Value(), 50);
    EXPECT_FLOAT_EQ(m.NumHeight.Value(), 50);

    m.NumHeight.setValue(200); // the width follows the height
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 1000);
    EXPECT_FLOAT_EQ(m.NumPixelW.Value(), 2000);
    EXPECT_FLOAT_EQ(m.NumWidth.Value(), 200);

    m.setConstraint(false);
    m.NumPixelW.setValue(300);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 1000);
    EXPECT_EQ(m.newWidth(), 300);
    EXPECT_EQ(m.newHeight(), 1000);
}

TEST_F(ResolutionDialogModel, ALengthKeepsItsLengthAtANewResolution)
{
    m.setWidthListUnit(utinch);
    EXPECT_EQ(formatNumber(QStringLiteral("%1.5g"), m.NumWidth.Value()), QStringLiteral("13.889"));
    m.NumResolution.setValue(144);
    EXPECT_FLOAT_EQ(m.NumPixelW.Value(), 2000);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 1000);
    EXPECT_FLOAT_EQ(m.NumHeight.Value(), 200);
    EXPECT_EQ(m.newWidth(), 2000);
    EXPECT_EQ(m.newHeight(), 1000);
    EXPECT_EQ(m.newResolution(72), 144);
}

TEST_F(ResolutionDialogModel, PercentOnBothSidesKeepsThePixels)
{
    m.NumResolution.setValue(300);
    EXPECT_FLOAT_EQ(m.NumPixelW.Value(), 1000);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 500);
    EXPECT_EQ(m.newWidth(), 1000);
    EXPECT_EQ(m.newHeight(), 500);
    EXPECT_EQ(m.newResolution(72), 300);
}

TEST_F(ResolutionDialogModel, TheLocksClickChangesTheRangesAtOnce)
{
    m.setConstraint(false);
    expectRange(m.NumPixelW, 8, 10000);
    expectRange(m.NumPixelH, 8, 10000);
    expectRange(m.NumHeight, 1.6f, 2000);
    m.NumPixelH.setValue(8000);
    m.setConstraint(true);
    expectRange(m.NumPixelH, 8, 5000);
    EXPECT_FLOAT_EQ(m.NumPixelH.Value(), 5000); // clamped at once, and what OK answers
    EXPECT_FLOAT_EQ(m.NumHeight.Value(), 1000);
    EXPECT_EQ(m.newHeight(), 5000);
    EXPECT_EQ(m.newWidth(), 1000);
}

TEST(ResolutionDialogModelSetup, AResolutionLeftAloneIsNoChange)
{
    CResolutionModel m;
    m.setup(1000, 500, 1200);
    EXPECT_FLOAT_EQ(m.NumResolution.Value(), 600);
    EXPECT_EQ(m.newResolution(1200), 1200);
    EXPECT_EQ(m.newWidth(), 1000);
    EXPECT_FALSE(m.resolutionChanged());
    m.NumResolution.setValue(300);
    EXPECT_EQ(m.newResolution(1200), 300);
    m.NumResolution.setValue(600); // chosen by the user now: the field's value counts
    EXPECT_EQ(m.newResolution(1200), 600);
}

// With the lock on, neither side leaves 8..10000 pixels, whatever unit drives the other.
TEST(ResolutionDialogLimits, NoUnitLetsEitherSideLeaveTheLimits)
{
    for (TUnitType unit : {utpercent, utinch, utcm, utmm})
        for (int dpi : {72, 200, 600})
            for (bool byHeight : {false, true}) {
                SCOPED_TRACE(testing::Message() << "unit " << int(unit) << " dpi " << dpi
                                                << (byHeight ? " height" : " width"));
                CResolutionModel m;
                m.setup(1000, 300, dpi);
                m.setWidthListUnit(unit);
                m.setHeightListUnit(unit);
                TNumMngr &typed = byHeight ? m.NumHeight : m.NumWidth;
                for (float v : {-1e9f, 1e9f}) {
                    typed.setValue(v);
                    for (int side : {m.newWidth(), m.newHeight()}) {
                        EXPECT_GE(side, 8) << v;
                        EXPECT_LE(side, 10000) << v;
                    }
                }
            }
}

TEST(ResolutionDialog, TheRunnerAnswersOnlyChanges)
{
    struct Case
    {
        const char *name;
        SResolutionValue start;
        std::function<void(TFormResolution &)> drive;
        bool ok;
        bool result;
        SResolutionValue after;
    };
    const auto nothing = [](TFormResolution &) {};
    const Case cases[] = {
        {"inch width at 144",
         {1000, 500, 72},
         [](TFormResolution &f) {
             f.CmbWidth->setCurrentIndex(1);
             typeInto(*f.EdtResolution, QStringLiteral("144"));
         },
         true,
         true,
         {2000, 1000, 144}},
        {"percent, resolution only",
         {1000, 500, 72},
         [](TFormResolution &f) { typeInto(*f.EdtResolution, QStringLiteral("300")); },
         true,
         true,
         {1000, 500, 300}},
        {"half the pixels",
         {1000, 500, 72},
         [](TFormResolution &f) { typeInto(*f.EdtPixelW, QStringLiteral("500")); },
         true,
         true,
         {500, 250, 72}},
        {"untouched at 1200 dpi", {1000, 500, 1200}, nothing, true, false, {1000, 500, 1200}},
        {"untouched", {1000, 500, 72}, nothing, true, false, {1000, 500, 72}},
        {"cancel",
         {1000, 500, 72},
         [](TFormResolution &f) { typeInto(*f.EdtPixelW, QStringLiteral("500")); },
         false,
         false,
         {1000, 500, 72}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ScopedFormDriver<TFormResolution> driver([&](TFormResolution &f) {
            c.drive(f);
            (c.ok ? f.ButtonOK : f.ButtonCancel)->click();
        });
        SResolutionValue v = c.start;
        EXPECT_EQ(showResolutionDialog(v, rdmResolution), c.result);
        EXPECT_EQ(driver.runs, 1);
        EXPECT_EQ(driver.title, QString::fromUtf8("画像解像度"));
        EXPECT_EQ(driver.clientSize, QSize(384, 276));
        EXPECT_EQ(v.Width, c.after.Width);
        EXPECT_EQ(v.Height, c.after.Height);
        EXPECT_EQ(v.DPI, c.after.DPI);
    }
}

TEST(ResolutionDialog, ScalingHidesTheResolutionRow)
{
    bool rowShown = true;
    ScopedFormDriver<TFormResolution> driver([&](TFormResolution &f) {
        rowShown = f.EdtResolution->isVisible() || f.StaticResolution->isVisible() ||
                   f.StaticResolutionUnit->isVisible();
        EXPECT_TRUE(f.ChkConstraint->isVisible());
        EXPECT_LE(f.ChkConstraint->geometry().bottom(), f.height());
        typeInto(*f.EdtPixelH, QStringLiteral("100"));
        f.ButtonOK->click();
    });
    SResolutionValue v{400, 200, 1200};
    EXPECT_TRUE(showResolutionDialog(v, rdmScaling));
    EXPECT_EQ(driver.title, QString::fromUtf8("拡大縮小"));
    EXPECT_EQ(driver.clientSize, QSize(384, 248));
    EXPECT_FALSE(rowShown);
    EXPECT_EQ(v.Width, 200);
    EXPECT_EQ(v.Height, 100);
    EXPECT_EQ(v.DPI, 1200); // the record's, not the field's clamped 600
}

TEST(ResolutionDialog, TheLockBoxSwitchesTheLock)
{
    TFormResolution f;
    f.setup(1000, 500, 72);
    f.show();
    EXPECT_TRUE(f.ChkConstraint->isChecked());
    EXPECT_EQ(f.LblSize->text(), QString::fromUtf8("1000 × 500 pixel"));
    f.ChkConstraint->click();
    EXPECT_FLOAT_EQ(f.model().NumPixelH.ValueMax(), 10000);
    typeInto(*f.EdtPixelW, QStringLiteral("500"));
    EXPECT_EQ(f.EdtPixelH->text(), QStringLiteral("500"));
    EXPECT_EQ(f.EdtWidth->text(), QStringLiteral("50"));
}
