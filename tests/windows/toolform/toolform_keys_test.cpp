// The keys the main window routes to the tool window.
#include "toolform_fixture.h"

#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "platform/desktop/keys.h"
#include "ui/controls/item_picker.h"
#include "ui/lists/layer_list_views.h"
#include "ui/lists/pen_method_list_view.h"
#include "windows/dock/dock_float.h"

using D = TToolDetail;

namespace {
constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
} // namespace

struct ToolFormKeys : ToolFormFixture
{
    void bind(uint32_t vk, int32_t command, bool shift = false, bool alt = false,
              bool ctrl = false)
    {
        main().commandKeys.push_back({vk, shift, alt, ctrl, command});
    }
    int32_t active() { return w->paper->ActiveLayer(); }
};

TEST_F(ToolFormKeys, CtrlLettersAltLettersAndDigitsAndEveryKeyInATransformAreRefused)
{
    bind('B', 512, false, false, true);
    bind('5', 1348, false, true, false);
    EXPECT_FALSE(f().ProcessKey('B', Qt::ControlModifier));
    EXPECT_FALSE(f().ProcessKey('5', Qt::AltModifier));
    bind('E', 528);
    ASSERT_TRUE(startTransform());
    EXPECT_FALSE(f().ProcessKey('E', kNone));
    EXPECT_EQ(f().ToolMode(), D::tdPencil5);
    w->transformEnd(false);
    EXPECT_TRUE(f().ProcessKey('E', kNone));
    EXPECT_EQ(f().ToolMode(), D::tdEraser5);
}

TEST_F(ToolFormKeys, TabHidesAndRestoresThePalettesCtrlTabPassesOn)
{
    TDockFloatForm *shown = palettes.AddForm();
    TDockFloatForm *hidden = palettes.AddForm();
    shown->show();
    hidden->hide();
    EXPECT_TRUE(f().ProcessKey(VK_TAB, kNone));
    EXPECT_TRUE(palettes.Minimized());
    EXPECT_FALSE(shown->isVisible());
    EXPECT_TRUE(f().ProcessKey(VK_TAB, kNone));
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(hidden->isVisible());
    EXPECT_FALSE(f().ProcessKey(VK_TAB, Qt::ControlModifier));
    EXPECT_FALSE(palettes.Minimized());
}

TEST_F(ToolFormKeys, DuringAReplayDigitsSetTheWait)
{
    f().FIsPlay = true;
    EXPECT_TRUE(f().ProcessKey('3', kNone));
    EXPECT_EQ(prof().eventWait, 8);
    EXPECT_TRUE(f().ProcessKey('0', kNone));
    EXPECT_EQ(prof().eventWait, 0);
    EXPECT_FALSE(f().ProcessKey('9', kNone));
    EXPECT_EQ(prof().eventWait, 0);
    f().FIsPlay = false;
}

TEST_F(ToolFormKeys, ShiftFindsThePlainLetterAndStepsTheCurrentTool)
{
    prof().ToolFindNext = false;
    bind('A', 512);
    main().toolKeys = {{D::tdPencil5, 'A'}, {D::tdPencil4, 'A'}};
    main().nextTools = {{D::tdPencil5, D::tdPencil4}, {D::tdPencil4, D::tdPencil5}};
    f().setLastTools();
    f().setNextDetails();
    // A plain press re-selects the current pencil; Shift steps to the next one.
    EXPECT_TRUE(f().ProcessKey('A', kNone));
    EXPECT_EQ(f().ToolMode(), D::tdPencil5);
    EXPECT_TRUE(f().ProcessKey('A', Qt::ShiftModifier));
    EXPECT_EQ(f().ToolMode(), D::tdPencil4);
    // A key with no command at all is passed on.
    EXPECT_FALSE(f().ProcessKey('Q', Qt::ShiftModifier));
}

TEST_F(ToolFormKeys, OpacityCommandsSetTensOfPercent)
{
    for (int i = 0; i < 10; ++i)
        bind('0' + uint32_t((i + 1) % 10), 1344 + i);
    for (int i = 0; i < 10; ++i)
    {
        EXPECT_TRUE(f().ProcessKey('0' + uint32_t((i + 1) % 10), kNone));
        EXPECT_EQ(opacity(), float((i + 1) * 10)) << i;
    }
    EXPECT_FLOAT_EQ(brush().Density(), 1.0f);
}

TEST_F(ToolFormKeys, BrushStepsNeedAVisibleDropDown)
{
    bind(VK_OEM_4, 1354);
    bind(VK_OEM_6, 1355);
    ASSERT_TRUE(f().FDrpPenMtd->DuplicateItem(f().FDrpPenMtd->GetItemCount(), 0, false));
    f().FDrpPenMtd->SelectItem(0, true);
    const int start = f().FDrpPenMtd->GetSelectIndex();
    EXPECT_TRUE(f().ProcessKey(VK_OEM_6, kNone));
    EXPECT_EQ(f().FDrpPenMtd->GetSelectIndex(), start + 1);
    EXPECT_TRUE(f().ProcessKey(VK_OEM_4, kNone));
    EXPECT_EQ(f().FDrpPenMtd->GetSelectIndex(), start);
    // The magic wand shows neither drop-down.
    f().changeToolDetail(D::tdMagicWand);
    EXPECT_FALSE(f().ProcessKey(VK_OEM_6, kNone));
}

TEST_F(ToolFormKeys, LayerCommandsMoveAndSelectWithinTheStack)
{
    bind(VK_PRIOR, 1360);
    bind(VK_NEXT, 1361);
    bind(VK_UP, 1362);
    bind(VK_DOWN, 1363);
    TPaper &paper = *w->paper;
    ASSERT_EQ(paper.getLayerCount(), 3);
    ASSERT_TRUE(setActiveLayer(paper, w->flowImage.get(), 0));
    // The bottom layer moved down stays the bottom one.
    const auto id0 = paper.getLayerData(0)->uniqueID;
    EXPECT_TRUE(f().ProcessKey(VK_NEXT, kNone));
    EXPECT_EQ(paper.getLayerData(0)->uniqueID, id0);
    EXPECT_TRUE(f().ProcessKey(VK_PRIOR, kNone));
    EXPECT_EQ(paper.getLayerData(1)->uniqueID, id0);
    EXPECT_TRUE(f().ProcessKey(VK_PRIOR, kNone));
    EXPECT_EQ(paper.getLayerData(2)->uniqueID, id0);
    // The top one moved up stays on top.
    EXPECT_TRUE(f().ProcessKey(VK_PRIOR, kNone));
    EXPECT_EQ(paper.getLayerData(2)->uniqueID, id0);
    EXPECT_EQ(active(), 2);
    EXPECT_TRUE(f().ProcessKey(VK_DOWN, kNone));
    EXPECT_EQ(active(), 1);
    EXPECT_TRUE(f().ProcessKey(VK_UP, kNone));
    EXPECT_EQ(active(), 2);
}
