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
