// Binding the tool window to a document window and pushing the brush to the stroke machinery.
#include "toolform_fixture.h"

#include "core/profile/app_profile.h"
#include "document/paper/paper.h"
#include "paint/stroke/stroke.h"

#include <cstring>
#include "ui/controls/nib_shape_editor.h"
#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/lists/pen_method_list_view.h"
#include "windows/docwin/input_dispatch.h"

using D = TToolDetail;

struct ToolFormBinding : ToolFormFixture
{
};

TEST_F(ToolFormBinding, NoWindowLeavesTheReplayDisplayAndAnUnreadyPaperStopsEarly)
{
    f().SetWindow(nullptr);
    f().FIsPlay = true;
    f().SetWindow(nullptr);
    EXPECT_FALSE(f().FIsPlay);
    EXPECT_EQ(f().Window(), nullptr);

    // A document still loading: bound, but its replay state and brush are not taken.
    w->paper->m_ready = false;
    w->m_eventPlaying = true;
    f().SetWindow(w.get());
    EXPECT_EQ(f().Window(), w.get());
    EXPECT_FALSE(f().FIsPlay);
    w->paper->m_ready = true;
    f().SetWindow(w.get());
    EXPECT_TRUE(f().FIsPlay);
    w->m_eventPlaying = false;
    f().SetWindow(w.get());
    EXPECT_FALSE(f().FIsPlay);
}

TEST_F(ToolFormBinding, ChangeToolSubModeEndsTheOldOperationAndSkipsReEntry)
{
    EXPECT_TRUE(f().ChangeToolSubMode(TToolSubKind::tskFillRectangle, true));
    EXPECT_EQ(w->eventProcs, &eventProcTable(toolSubKindGroup(TToolSubKind::tskFillRectangle)));
    EXPECT_FALSE(f().ChangeToolSubMode(TToolSubKind::tskFillRectangle, false));
    // A switch running already: the nested one stores nothing.
    f().FState.FPalStat.include(TPaletteState::psChangeToolMode);
    EXPECT_TRUE(f().ChangeToolSubMode(TToolSubKind::tskZoomIn, false));
    EXPECT_EQ(f().FToolSubMode(), TToolSubKind::tskFillRectangle);
    f().FState.FPalStat.exclude(TPaletteState::psChangeToolMode);
}

TEST_F(ToolFormBinding, TheToolOpacityIsStoredPerToolJustAboveItsValue)
{
    f().NumToolDens->SetNumber(nullptr, 100);
    f().DispatchPaintParam();
    EXPECT_EQ(prof().loadToolOpaque(toolDetailToToolMode(D::tdPencil5)), 1.0f);
    f().NumToolDens->SetNumber(nullptr, 37);
    f().DispatchPaintParam();
    EXPECT_FLOAT_EQ(prof().loadToolOpaque(toolDetailToToolMode(D::tdPencil5)), 0.37001f);
}

TEST_F(ToolFormBinding, TheBrushReachesTheStrokeButNotDuringAReplay)
{
    f().NumBrushSpace->SetNumber(nullptr, 25);
    EXPECT_FLOAT_EQ(brush().Space(), 0.25f);
    SPenParam expected{};
    brush().Write(expected);
    EXPECT_EQ(std::memcmp(&app.render5.penParam(), &expected, sizeof expected), 0);
    SPenParam old{};
    app.render4.getPenParam(old);
    EXPECT_EQ(std::memcmp(&old, &expected, sizeof expected), 0);
    w->m_eventPlaying = true;
    const float before = brush().Space();
    f().ApplyPaintParam();
    EXPECT_EQ(brush().Space(), before);
    w->m_eventPlaying = false;
}

TEST_F(ToolFormBinding, NibStepsFollowTheBentSliderAndShiftStepsTheMinimum)
{
    f().changeToolDetail(D::tdBlur4); // radius 0.1 .. 200
    f().NumNibRadius->SetNumber(nullptr, 10);
    EXPECT_TRUE(f().SetPenNibSizeNext(false));
    EXPECT_NEAR(f().NumNibRadius->Value(), 12.304f, 1e-3);
    EXPECT_TRUE(f().SetPenNibSizePrev(false));
    EXPECT_NEAR(f().NumNibRadius->Value(), 10.0f, 1e-3);
    const float minRadius = f().NumNibMinRad->Value();
    EXPECT_TRUE(f().SetPenNibSizeNext(true));
    EXPECT_EQ(f().NumNibMinRad->Value(), minRadius + 1);
    EXPECT_NEAR(f().NumNibRadius->Value(), 10.0f, 1e-3);
}

TEST_F(ToolFormBinding, TheOutlineSizeIsTheCeilingOfTheRealRadius)
{
    f().NumNibRadius->SetNumber(nullptr, 7.2f);
    EXPECT_EQ(f().FGhostSize().x, 8);
    EXPECT_EQ(f().FGhostSize().y, 8);
}

TEST_F(ToolFormBinding, AWindowFreedWhileBoundUnbindsItself)
{
    w.reset();
    EXPECT_EQ(f().Window(), nullptr);
    // The palettes work on without it.
    f().NumToolDens->SetNumber(nullptr, 50);
    f().changeToolDetail(D::tdSelectEllipse);
    EXPECT_EQ(f().ToolMode(), D::tdSelectEllipse);
}
