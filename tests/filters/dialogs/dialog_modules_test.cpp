// The module pattern: execDialog's paths (Cancel, OK, a refused core), the repeat's records from
// the defaults, the seeds and the layer's protection; the registration with the commands.
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/dialog_values.h"
#include "filters/dialogs/levels_dialog.h"
#include "ui/fields/num_mngr.h"

#include <QCheckBox>
#include <QPointer>

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <climits>
#include <cmath>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>

using namespace dialogtest;

TEST(DialogModules, CancelRestoresTheLayerAndKeepsTheRememberedValues)
{
    DialogRig rig;
    float opened = 0;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = as<TFormPosterize4>(d);
        opened = dlg.FieldL.num->Value();
        dlg.FieldL.num->setValue(9);
        dlg.CanUpdateAll(false);
        clickCancel(d);
    });
    sFltObj2 rec = posterizeRecord(77);
    EXPECT_FALSE(execPosterizeDialog(rec, *rig.core));
    EXPECT_EQ(opened, 4.0f);
    EXPECT_EQ(rec.data0.all, 77) << "the caller's record is untouched";
    EXPECT_EQ(pixelsOf(rig.layer()), rig.original);
    EXPECT_FALSE(rig.core->isDirty());
    EXPECT_EQ(filterDialogMemos().posterize.levels, 4);
    // Cancel redraws the window at once.
    ASSERT_FALSE(rig.host.dispatches.empty());
    EXPECT_FALSE(rig.host.dispatches.back().prv);
    // The next opening is as before.
    EXPECT_FALSE(execPosterizeDialog(rec, *rig.core));
    EXPECT_EQ(opened, 4.0f);
    EXPECT_EQ(driver.runs, 2);
}

TEST(DialogModules, OkGivesTheRecordAndTheRememberedValues)
{
    DialogRig rig;
    ScopedDialogDriver driver([&](QDialog &d) {
        as<TFormPosterize4>(d).FieldL.num->setValue(9.5f);
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execPosterizeDialog(rec, *rig.core));
    EXPECT_EQ(rec.data0.all, 10) << "rounded half away from zero";
    EXPECT_EQ(filterDialogMemos().posterize.levels, 10);
    // The layer is back to its backup state for the command to apply.
    EXPECT_EQ(pixelsOf(rig.layer()), rig.original);
    sFltObj2 last{};
    ASSERT_TRUE(makePosterizeLastParam(last));
    EXPECT_EQ(last.data0.all, 10);
}

TEST(DialogModules, ACoreThatFailsItsChecksShowsNoDialog)
{
    DialogRig rig;
    ScopedDialogDriver driver([&](QDialog &d) { clickOk(d); });
    CFlt4Core empty;
    sFltObj4 rec{};
    EXPECT_FALSE(execBrightnessContrastDialog(rec, empty));
    sFltObj6 levels{};
    EXPECT_FALSE(execLevelsDialog(levels, empty));
    SFltCustom kernel{};
    EXPECT_FALSE(execCustomDialog(kernel, empty));
    EXPECT_EQ(driver.runs, 0);
}

namespace {

std::string cells(const void *rec, size_t n)
{
    std::string out;
    const auto *c = static_cast<const int32_t *>(rec);
    for (size_t i = 0; i < n; ++i)
        out += std::to_string(c[i]) + (i + 1 < n ? " " : "");
    return out;
}

float singleAt(const void *rec, size_t i)
{
    float f;
    std::memcpy(&f, static_cast<const uint8_t *>(rec) + 4 * i, 4);
    return f;
}

} // namespace

TEST(DialogModules, TheRepeatBuildsEveryRecordFromTheDefaults)
{
    DialogRig rig;
    rig.clock.set(0x1234);
    rig.host.layers[0].prt = true;
    rig.makeCore(countingFilter);
    struct Case
    {
        const char *name;
        std::function<std::string()> cells;
        std::string expected;
    };
    const auto o2 = [](bool (*fn)(sFltObj2 &)) {
        return [fn] {
            sFltObj2 r{};
            EXPECT_TRUE(fn(r));
            return cells(&r, 2);
        };
    };
    const auto o4 = [](bool (*fn)(sFltObj4 &)) {
        return [fn] {
            sFltObj4 r{};
            EXPECT_TRUE(fn(r));
            return cells(&r, 4);
        };
    };
    CFlt4Core &core = *rig.core;
    const Case cases[] = {
        {"brightness/contrast", o4(makeBrightnessContrastLastParam), "0 0 0 0"},
        {"hue/saturation", o4(makeHueSaturationLastParam), "0 0 0 0"},
        {"posterize", o2(makePosterizeLastParam), "4 0"},
        {"threshold: value 128, luminance mode", o2(makeThresholdLastParam),
         std::to_string(128 | 1 << 8) + " 0"},
        {"motion blur: distance 1, mode 2, angle 0", o2(makeMotionBlurLastParam),
         std::to_string(1 | 2 << 8) + " 0"},
        {"median: radius 8, protected",
         [&] {
             sFltObj2 r{};
             EXPECT_TRUE(makeMedianLastParam(r, core));
             return cells(&r, 2);
         },
         std::to_string(8 | 1 << 8) + " 0"},
        {"mosaic: 16, protected",
         [&] {
             sFltObj2 r{};
             EXPECT_TRUE(makeMosaicLastParam(r, core));
             return cells(&r, 2);
         },
         "16 1"},
        {"noise: the clock's seed", o4(makeNoiseLastParam), "1 0 4660 0"},
        {"diffuse: the clock's seed, protected",
         [&] {
             sFltObj4 r{};
             EXPECT_TRUE(makeDiffuseLastParam(r, core));
             return cells(&r, 4);
         },
         "1 0 4660 " + std::to_string(1 << 16)},
        {"emboss: the angle negated", o4(makeEmbossLastParam),
         "-120 " + std::to_string(std::bit_cast<int32_t>(3.0f)) + " 100 0"},
        {"colour halftone", o4(makeColorHalftoneLastParam), "8 18 72 0"},
        {"levels: neutral columns, linear",
         [] {
             sFltObj6 r{};
             EXPECT_TRUE(makeLevelsLastParam(r));
             return cells(&r, 6);
         },
         cells(std::array<uint32_t, 6>{0, 0x64646464u, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 1}.data(), 6)},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.cells(), c.expected) << c.name;

    sFltObj4 balance{};
    ASSERT_TRUE(makeColorBalanceLastParam(balance));
    EXPECT_EQ(singleAt(&balance, 0), 1.0f);
    EXPECT_EQ(singleAt(&balance, 2), 1.0f);
    sFltObj2 amount{};
    ASSERT_TRUE(makeSharpenCustomLastParam(amount));
    EXPECT_EQ(singleAt(&amount, 0), 0.3f);
    ASSERT_TRUE(makeGaussianBlurLastParam(amount));
    EXPECT_EQ(singleAt(&amount, 0), 1.0f);
    SFltCustom kernel{};
    ASSERT_TRUE(makeCustomLastParam(kernel));
    EXPECT_EQ(kernel.matrix, kCustomDefaultKernel);
    EXPECT_EQ(kernel.scale, 4);
    EXPECT_EQ(kernel.offset, 0);
}

TEST(DialogModules, TheGradientMapRepeatNeedsAGradient)
{
    DialogRig rig;
    sFltObjGradientMap rec{};
    EXPECT_FALSE(makeGradientMapLastParam(rec, *rig.core));
}

TEST(DialogModules, ThePreviewTickIsRememberedPerModule)
{
    DialogRig rig;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = static_cast<TFormFilter &>(d);
        if (dlg.PreviewChecked())
            dlg.CheckBoxPreview->click();
        clickOk(d);
    });
    sFltObj2 rec{};
    ASSERT_TRUE(execPosterizeDialog(rec, *rig.core));
    EXPECT_FALSE(filterDialogMemos().posterize.preview);
    EXPECT_TRUE(filterDialogMemos().mosaic.preview);
}

TEST(DialogModules, AnExceptionInsideTheDialogRevertsThePreviewOnItsWay)
{
    DialogRig rig;
    QPointer<QDialog> shown;
    const FilterModalRunner previous = installFilterModalRunner([&](QDialog &d) -> int {
        shown = &d;
        d.show();
        throw std::runtime_error("inside the dialog");
    });
    sFltObj2 rec{};
    EXPECT_THROW(execMosaicDialog(rec, *rig.core), std::runtime_error);
    installFilterModalRunner(previous);
    EXPECT_TRUE(shown.isNull()) << "the dialog is freed";
    EXPECT_EQ(pixelsOf(rig.layer()), rig.original);
    EXPECT_FALSE(rig.core->isDirty());
}

TEST(DialogModules, RecordCellsRoundHalfAwayFromZeroOrAddAHalfAndTruncate)
{
    struct Case
    {
        double v;
        int32_t rounded, truncated;
    };
    const Case cases[] = {
        {2.5, 3, 3}, {-2.5, -3, -2}, {2.49, 2, 2}, {-0.5, -1, 0}, {1e12, INT32_MAX, INT32_MAX},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(roundHalfAway(c.v), c.rounded) << c.v;
        EXPECT_EQ(truncHalfUp(c.v), c.truncated) << c.v;
    }
    EXPECT_EQ(roundHalfAway(std::nan("")), 0);
    // Byte cells keep to their byte.
    EXPECT_EQ(thresholdRecord(300).data0.b0, 255);
    EXPECT_EQ(medianRecord(-4, false).data0.b0, 0);
    sFltObj6 levels = levelsRecord(SLevelsMemo{}.columns, false);
    writeLevelsColumn(levels, 2, 10.4f, 0.555f, 254.5f, 0, 255, true);
    EXPECT_EQ(levelsCell(levels, 2, 0), 10);
    EXPECT_EQ(levelsCell(levels, 2, 1), 56);
    EXPECT_EQ(levelsCell(levels, 2, 2), 255);
    EXPECT_EQ(levelsCell(levels, 1, 1), 100) << "other columns untouched";
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(&levels)[20], 1);
}
