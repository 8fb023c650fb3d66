// The registered modules behind the filter commands: the dialog's record is applied and recorded,
// Cancel applies nothing, and the repeat applies the remembered values without a dialog.
#include "filters/commands/filter_command_rig.h"
#include "filters/dialogs/blur_noise_dialogs.h"
#include "filters/dialogs/dialog_modules.h"
#include "filters/dialogs/dialog_test_support.h"
#include "ui/fields/num_mngr.h"

#include <gtest/gtest.h>

using namespace dialogtest;

TEST(DialogModules, TheCommandsRunTheRegisteredDialogsAndRepeatTheirValues)
{
    FilterCommandRig r;
    initialiseFilterDialogs();
    bool ok = false;
    ScopedDialogDriver driver([&](QDialog &d) {
        as<TFormMosaic4>(d).FieldL.num->setValue(5);
        if (ok)
            clickOk(d);
        else
            clickCancel(d);
    });
    const std::vector<uint32_t> before = r.pixels();
    uint32_t from = r.mark();
    EXPECT_FALSE(doFilterMosaic(&r.view, r.flow(), 0, false));
    EXPECT_TRUE(r.filterHeaders(from).empty());
    EXPECT_EQ(r.pixels(), before);
    EXPECT_EQ(r.undoCount(), 0);

    ok = true;
    ASSERT_TRUE(doFilterMosaic(&r.view, r.flow(), 0, false));
    auto c = r.cells({33, 26}, from);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].all, 5);
    EXPECT_EQ(r.undoCount(), 1);
    EXPECT_NE(r.pixels(), before);

    from = r.mark();
    ASSERT_TRUE(repeatLastFilter(&r.view, r.flow(), 0, true));
    EXPECT_EQ(driver.runs, 2) << "the repeat shows no dialog";
    c = r.cells({33, 26}, from);
    ASSERT_EQ(c.size(), 2u);
    EXPECT_EQ(c[0].all, 5);
}

TEST(DialogModules, TheRealFiltersPreviewInsideTheirDialogs)
{
    FilterCommandRig r;
    initialiseFilterDialogs();
    // The in-dialog preview shows the custom kernel's result, unlike the layer it was read from.
    bool differs = false;
    ScopedDialogDriver driver([&](QDialog &d) {
        auto &dlg = static_cast<TFormFilterPreview &>(d);
        const TMTC &shown = dlg.Preview->SrcTC();
        const TMTC &flow = r.flow().image();
        for (int32_t y = 0; y < shown.height() && !differs; ++y)
            for (int32_t x = 0; x < shown.width() && !differs; ++x)
                differs = shown.getColor(x, y) !=
                          flow.getColor(x + dlg.Preview->SrcLeft(), y + dlg.Preview->SrcTop());
        clickOk(d);
    });
    uint32_t from = r.mark();
    ASSERT_TRUE(doFilterCustom(&r.view, r.flow(), 0, false));
    EXPECT_TRUE(differs);
    EXPECT_EQ(r.filterHeaders(from).size(), 1u);

    // The gradient map with the gradient set's current gradient.
    differs = false;
    from = r.mark();
    ASSERT_TRUE(doFilterGradientMap(&r.view, r.flow(), 0, false));
    EXPECT_TRUE(differs);
    const auto headers = r.filterHeaders(from);
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0].code, 54);
    EXPECT_EQ(driver.runs, 2);
}
