// The tool switch on a real tool window bound to a document window.
#include "toolform_fixture.h"

#include "core/profile/app_profile.h"
#include "paint/brush/paint_modes.h"
#include "ui/controls/item_picker.h"
#include "ui/controls/mode_drop_downs.h"
#include "ui/controls/nib_shape_editor.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/popup_sliders.h"
#include "ui/lists/pen_method_list_view.h"
#include "windows/docwin/input_dispatch.h"

using D = TToolDetail;
using K = TToolKind;

struct ToolFormSwitch : ToolFormFixture
{
};

TEST_F(ToolFormSwitch, LeavingTheReplayDisplaySelectsThePencil)
{
    EXPECT_EQ(f().ToolMode(), D::tdPencil5);
    EXPECT_FALSE(f().FIsPlay);
    ASSERT_FALSE(main().switchedLevels.empty());
    EXPECT_EQ(main().switchedLevels.back(), ePaintLevel::PAINT_LEVEL_qZ5);
}

TEST_F(ToolFormSwitch, ASelectionToolShowsFullOpacityAndThePencilGetsItsOwnBack)
{
    f().NumToolDens->SetNumber(nullptr, 60);
    f().changeToolDetail(D::tdSelectRectangle);
    EXPECT_EQ(opacity(), 100);
    EXPECT_FALSE(f().EdtToolDens->isEnabled());
    EXPECT_EQ(f().FToolSubMode(), TToolSubKind::tskSelectRectangle);
    f().changeToolDetail(D::tdPencil5);
    EXPECT_FLOAT_EQ(opacity(), 60);
    EXPECT_TRUE(f().EdtToolDens->isEnabled());
    EXPECT_FLOAT_EQ(brush().Density(), 0.6f);
}

TEST_F(ToolFormSwitch, TheCurrentDetailAgainChangesNothing)
{
    f().NumToolDens->SetNumber(nullptr, 40);
    const size_t levels = main().switchedLevels.size();
    const TToolSubKind sub = f().FToolSubMode();
    f().changeToolDetail(D::tdPencil5);
    EXPECT_EQ(main().switchedLevels.size(), levels);
    EXPECT_EQ(opacity(), 40);
    EXPECT_EQ(f().FToolSubMode(), sub);
}

TEST_F(ToolFormSwitch, AnotherEngineOfTheSameButtonKeepsTheOpacityAndSwitchesTheLevel)
{
    f().NumToolDens->SetNumber(nullptr, 60);
    f().changeToolDetail(D::tdPencil4);
    EXPECT_FLOAT_EQ(opacity(), 60);
    EXPECT_FLOAT_EQ(brush().Density(), 0.6f);
    EXPECT_EQ(brush().Mode(), TPaintMode::pmPencil4);
    EXPECT_EQ(main().switchedLevels.back(), ePaintLevel::PAINT_LEVEL_qZ4);
    f().changeToolDetail(D::tdWaterColor1);
    EXPECT_EQ(main().switchedLevels.back(), ePaintLevel::PAINT_LEVEL_qZ2);
}

TEST_F(ToolFormSwitch, SmudgingAndToningBrushesHoldTheRadiusTo200)
{
    struct Case
    {
        D detail;
        float max, centre;
    };
    const Case cases[] = {{D::tdBlur4, 200, 20},   {D::tdDodge1, 200, 20},
                          {D::tdSpread4, 200, 20}, {D::tdPencil5, 500, 50},
                          {D::tdAirBrush1, 500, 50}};
    for (const Case &c : cases)
    {
        f().changeToolDetail(c.detail);
        EXPECT_EQ(f().NumNibRadius->ValueMax(), c.max) << int(c.detail);
        EXPECT_EQ(f().NumNibRadius->ValueCenter(), c.centre) << int(c.detail);
        EXPECT_EQ(f().FAspRot->MaxRadius(), c.max) << int(c.detail);
    }
}

TEST_F(ToolFormSwitch, AutoFreeHandInstallsTheFreehandTable)
{
    prof().AutoFreeHand = true;
    {
        // The drawing method is on lines while the eraser is picked.
        f().FDrpSubMode->setSubPaintMode(TSubPaintMode::spmDrawLine);
    }
    EXPECT_EQ(f().FToolSubMode(), TToolSubKind::tskDrawLine);
    f().changeToolDetail(D::tdEraser5);
    EXPECT_EQ(f().FDrpSubMode->SubPaintMode(), TSubPaintMode::spmDrawLocus);
    EXPECT_EQ(f().FToolSubMode(), TToolSubKind::tskDrawLocus);
    EXPECT_EQ(w->eventProcs, &eventProcTable(toolSubKindGroup(TToolSubKind::tskDrawLocus)));
}

TEST_F(ToolFormSwitch, ASharedLetterGoesToTheCurrentDetailAndTheGrabber)
{
    main().toolKeys = {{D::tdPencil5, 'H'}, {D::tdGrabberPosition, 'H'},
                       {D::tdGrabberRotation, 'H'}};
    f().setLastTools();
    EXPECT_EQ(f().FState.FLastToolsEx['H' - 'A'], D::tdPencil5);
    f().changeToolDetail(D::tdEraser5);
    f().setLastTools();
    EXPECT_EQ(f().FState.FLastToolsEx['H' - 'A'], D::tdGrabberPosition);
}

TEST_F(ToolFormSwitch, EachPenEndKeepsItsOwnTool)
{
    f().changeToolDetail(D::tdPencil4);
    f().setStylusSwitch(TStylusSwitch::ssTail);
    EXPECT_EQ(f().ToolMode(), D::tdEraser5);
    f().changeToolDetail(D::tdSeedEraser);
    f().setStylusSwitch(TStylusSwitch::ssNib);
    EXPECT_EQ(f().ToolMode(), D::tdPencil4);
    f().setStylusSwitch(TStylusSwitch::ssTail);
    EXPECT_EQ(f().ToolMode(), D::tdSeedEraser);
    EXPECT_FALSE(f().FState.FPalStat.has(TPaletteState::psStylusSwitchUpdate));
}

TEST_F(ToolFormSwitch, ABrushOfAnotherKindSwitchesTheDetail)
{
    f().FDrpPenMtd->SetPaintMode(TPaintMode::pmWaterColor5);
    EXPECT_EQ(f().ToolMode(), D::tdWaterColor5);
    EXPECT_EQ(f().FToolButtons[size_t(K::tkWaterColor)]->Down(), true);
    EXPECT_EQ(f().FToolButtons[size_t(K::tkPencil)]->Down(), false);
    EXPECT_TRUE(f().FState.FPalStat.empty());
}
