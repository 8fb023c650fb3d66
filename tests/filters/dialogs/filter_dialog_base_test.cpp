// The dialog base: the delayed preview, the preview decisions, the Preview tick and the preview
// frame inside a dialog.
#include "filters/dialogs/adjustment_dialogs.h"
#include "filters/dialogs/dialog_test_support.h"
#include "ui/fields/num_mngr.h"

#include <QCheckBox>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dialogtest;

namespace {

// A brightness/contrast dialog (answers 2 for its value models) attached and shown.
struct OpenDialog
{
    OpenDialog()
    {
        EXPECT_TRUE(dlg.Attach(*rig.core));
        dlg.show();
    }
    DialogRig rig;
    TFormBrightnessContrast4 dlg;
};

} // namespace

TEST(FilterDialogBase, ShowingPreviewsOnceAndAContinuousChangePreviewsOnlyAfterAPause)
{
    OpenDialog o;
    EXPECT_EQ(filterRuns(), 1) << "the first preview when shown";
    // Three moves 300 ms apart: the timer runs, nothing is previewed while moving.
    for (int i = 1; i <= 3; ++i) {
        o.dlg.FieldB.num->setValue(float(10 * i));
        EXPECT_TRUE(o.dlg.TimerUpdate->isActive());
        o.rig.clock.advance(300);
        o.dlg.TimerUpdateTimer();
    }
    EXPECT_EQ(filterRuns(), 1);
    // 699 ms after the last move: still waiting; 700 ms: one preview, the timer off.
    o.rig.clock.advance(399);
    o.dlg.TimerUpdateTimer();
    EXPECT_EQ(filterRuns(), 1);
    o.rig.clock.advance(1);
    o.dlg.TimerUpdateTimer();
    EXPECT_EQ(filterRuns(), 2);
    EXPECT_FALSE(o.dlg.TimerUpdate->isActive());
    EXPECT_EQ(o.dlg.curParam().data0.all, 30);
}

TEST(FilterDialogBase, UnchangedParametersAndTickDoNotPreviewAgain)
{
    OpenDialog o;
    const int runs = filterRuns();
    EXPECT_FALSE(o.dlg.CanUpdateAll(false));
    EXPECT_EQ(filterRuns(), runs);
    // A change that answers 1 (the linear tick) previews at once.
    o.dlg.ChkL->click();
    EXPECT_EQ(filterRuns(), runs + 1);
    EXPECT_FALSE(o.dlg.CanUpdateAll(false));
    EXPECT_EQ(filterRuns(), runs + 1);
}

TEST(FilterDialogBase, UntickingRestoresTheLayerAtOnceAndTickingBringsThePreviewBack)
{
    OpenDialog o;
    const std::vector<uint32_t> previewed = pixelsOf(o.rig.layer());
    ASSERT_NE(previewed, o.rig.original);
    o.dlg.CheckBoxPreview->click();
    EXPECT_EQ(pixelsOf(o.rig.layer()), o.rig.original);
    EXPECT_FALSE(o.rig.core->isDirty());
    const int runs = filterRuns();
    o.dlg.CheckBoxPreview->click();
    EXPECT_EQ(filterRuns(), runs + 1);
    EXPECT_EQ(pixelsOf(o.rig.layer()), previewed);
}

TEST(FilterDialogBase, ThePreviewInsideTheDialogLeavesTheDocumentPreviewInPlace)
{
    DialogRig rig;
    TFormPosterize4 dlg;
    ASSERT_TRUE(dlg.Attach(*rig.core));
    dlg.show();
    ASSERT_TRUE(rig.core->isDirty());
    const std::vector<uint32_t> windowPreview = pixelsOf(rig.layer());
    ASSERT_NE(windowPreview, rig.original);
    const int runs = filterRuns();
    dlg.Preview->DrawViewTC();
    EXPECT_EQ(filterRuns(), runs + 1);
    EXPECT_EQ(pixelsOf(rig.layer()), windowPreview);
    // The frame shows the filtered pixels (the whole layer fits at 100 %).
    ASSERT_EQ(dlg.Preview->SrcAdjWidth(), 24);
    EXPECT_EQ(dlg.Preview->SrcTC().getColor(3, 2), rig.original[2 * 24 + 3] ^ 0x00FFFFFFu);
}

TEST(FilterDialogBase, AttachingToACoreThatFailsItsChecksFails)
{
    DialogRig rig;
    CFlt4Core empty;
    TFormPosterize4 dlg;
    EXPECT_FALSE(dlg.Attach(empty));
    EXPECT_FALSE(dlg.Attached());
}
