// The view tools through the window's mouse and key entry: which way the zoom tool zooms, the
// grabber's pan, rotation, click and Escape, the pen-size drag, the colour picker and the right
// button's pick, and the magic wand's cursor. None of them may record anything.
#include "input_fixture.h"

#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_manager.h"
#include "document/paper/layer_data.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke.h"
#include "ui/colour/colour_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace {

using namespace input_test;
using enum TToolSubKind;

constexpr sPos kCentre{200, 150};
constexpr uint32_t kEsc = 27;

// The shift state of a press with these keys held.
TShiftState shiftOf(std::initializer_list<int32_t> keys, TShiftState button)
{
    TShiftState s = button;
    for (int32_t vk : keys) {
        if (vk == VK_SHIFT)
            s = s.with(TShiftState::ssShift);
        if (vk == VK_CONTROL)
            s = s.with(TShiftState::ssCtrl);
        if (vk == VK_MENU)
            s = s.with(TShiftState::ssAlt);
    }
    return s;
}

uint32_t rgbOf(const TColorPickerValue &v)
{
    return colorPickerValueToColor32(v, 0).bgra & 0x00FFFFFFu;
}

// Every test here starts at 1:1 with the recorder running, and must end with nothing recorded
// and the document unmarked.
struct ViewTool : InputFixture
{
    ViewTool()
    {
        if (w)
            w->changeZoom(1, 1, false);
    }
    // After the suites' own starts: from here on nothing may be recorded.
    void SetUp() override
    {
        ASSERT_TRUE(w);
        ASSERT_TRUE(w->paper->eventMngr().startRecording(
            appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
        w->m_bModified = false;
    }
    void TearDown() override
    {
        if (!w)
            return;
        EXPECT_EQ(w->paper->eventMngr().eventCnt, 0u) << "a view tool recorded";
        EXPECT_FALSE(w->m_bModified);
    }

    void click(TMouseButton b, const sPos &p, TShiftState shift)
    {
        w->FormMouseDown(b, shift, p.x, p.y);
        w->FormMouseUp(b, shift, p.x, p.y);
    }
    void press(TMouseButton b, const sPos &p, TShiftState shift = {})
    {
        w->FormMouseDown(b, shift, p.x, p.y);
    }
    void drag(const sPos &p, TShiftState shift) { w->FormMouseMove(shift, p.x, p.y); }
    void release(TMouseButton b, const sPos &p) { w->FormMouseUp(b, {}, p.x, p.y); }
    // The client position of a canvas point at 1:1, unturned.
    sPos clientOf(const sPos &canvas) const
    {
        sPos origin;
        w->convToCanvasPos(origin, sPos{0, 0});
        return {canvas.x - origin.x, canvas.y - origin.y};
    }
    int countCalls(const std::string &prefix)
    {
        return int(std::count_if(tool().calls.begin(), tool().calls.end(),
                                 [&](const auto &c) { return c.rfind(prefix, 0) == 0; }));
    }
    float scale() const { return w->paper->GetZoomScale(); }
    // The view angle in radians, -pi .. pi.
    float turn() const { return std::remainder(w->paper->m_vr, 2 * std::numbers::pi_v<float>); }
};

struct ViewToolZoom : ViewTool
{
};

TEST_F(ViewToolZoom, TheButtonTheToolAndTheSwitchKeyChooseTheDirection)
{
    struct SCase
    {
        const char *name;
        bool oldScheme;
        TToolSubKind kind;
        bool right;
        std::initializer_list<int32_t> keys;
        int direction; // +1 in, -1 out, 0 unchanged
    };
    const SCase cases[] = {
        {"left, zoom in", false, tskZoomIn, false, {}, +1},
        {"left, zoom out", false, tskZoomOut, false, {}, -1},
        {"right, zoom in", false, tskZoomIn, true, {}, -1},
        {"right, zoom out", false, tskZoomOut, true, {}, +1},
        {"Alt turns a left zoom in", false, tskZoomIn, false, {VK_MENU}, -1},
        {"Alt turns a right zoom in", false, tskZoomIn, true, {VK_MENU}, +1},
        {"Alt turns a left zoom out", false, tskZoomOut, false, {VK_MENU}, +1},
        {"older: Ctrl turns a left zoom in", true, tskZoomIn, false, {VK_CONTROL}, -1},
        {"older: Ctrl turns a right zoom out", true, tskZoomOut, true, {VK_CONTROL}, -1},
        // The older scheme's Alt borrows the rotation grabber: a click zooms nothing.
        {"older: Alt is no switch key", true, tskZoomIn, false, {VK_MENU}, 0},
        // Borrowed zoom tools were chosen by the keys held: Alt must not turn them again.
        {"Ctrl+Space borrows zoom in", false, tskDrawLocus, false, {VK_CONTROL, VK_SPACE}, +1},
        {"Ctrl+Alt+Space borrows zoom out",
         false,
         tskDrawLocus,
         false,
         {VK_CONTROL, VK_MENU, VK_SPACE},
         -1},
        {"a right press borrows zoom in too",
         false,
         tskDrawLocus,
         true,
         {VK_CONTROL, VK_SPACE},
         -1},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        w->changeZoom(1, 1, false);
        prof().UseOldShortCut = c.oldScheme;
        useTool(c.kind);
        hold(c.keys);
        const float before = scale();
        const TMouseButton b = c.right ? TMouseButton::mbRight : TMouseButton::mbLeft;
        click(b, kCentre, shiftOf(c.keys, c.right ? TShiftState::ssRight : TShiftState::ssLeft));
        hold({});
        const float after = scale();
        EXPECT_EQ(after > before   ? 1
                  : after < before ? -1
                                   : 0,
                  c.direction)
            << before << " -> " << after;
        // The borrowed tool went back.
        EXPECT_EQ(tool().subKind, c.kind);
        EXPECT_EQ(w->drawState.bits, 0);
    }
}

struct ViewToolGrabber : ViewTool
{
};

TEST_F(ViewToolGrabber, AClickWithTheRotationGrabberPutsTheViewUprightAndADragTurnsIt)
{
    w->dispatchRotate(30, true);
    ASSERT_TRUE(isViewTurned(*w->paper));
    useTool(tskGrabberRotation);
    click(TMouseButton::mbLeft, {260, 150}, TShiftState::ssLeft);
    EXPECT_FALSE(isViewTurned(*w->paper));
    EXPECT_EQ(w->paper->m_vr, 0.0f);
    EXPECT_EQ(tool().displayRotation, 0.0f);

    // A quarter turn of the pointer about the client centre turns the view a quarter back.
    press(TMouseButton::mbLeft, {300, 150}, TShiftState::ssLeft);
    drag({200, 250}, TShiftState::ssLeft);
    release(TMouseButton::mbLeft, {200, 250});
    EXPECT_NEAR(turn(), -std::numbers::pi_v<float> / 2, 1e-4f);
    // The drag suspended the anti-aliased view; the release brought it back.
    EXPECT_EQ(w->m_bSmoothZoom, w->m_bMasterSmoothZoom);
}

TEST_F(ViewToolGrabber, EscapeMidRotationGivesBackTheStartAngleAndTheReleaseDoesNothingMore)
{
    w->m_bMasterSmoothZoom = w->m_bSmoothZoom = true;
    for (float start : {0.0f, 30.0f}) {
        SCOPED_TRACE(start);
        w->dispatchRotate(start, true);
        const float startVr = w->paper->m_vr;
        for (TToolSubKind kind : {tskGrabberRotation, tskGrabberPosition}) {
            // The position grabber turns the view with the right button.
            const bool right = kind == tskGrabberPosition;
            const TMouseButton b = right ? TMouseButton::mbRight : TMouseButton::mbLeft;
            const TShiftState held = right ? TShiftState::ssRight : TShiftState::ssLeft;
            useTool(kind);
            press(b, {300, 150}, held);
            EXPECT_FALSE(w->m_bSmoothZoom);
            drag({200, 250}, held);
            ASSERT_NE(w->paper->m_vr, startVr);
            w->keyDownMessage(kEsc, 0);
            EXPECT_EQ(w->paper->m_vr, startVr);
            EXPECT_EQ(isViewTurned(*w->paper), start != 0);
            EXPECT_EQ(w->drawState.bits, 0);
            EXPECT_TRUE(w->m_bSmoothZoom);
            // The press is over: the release neither resets the angle as a click would.
            release(b, {200, 250});
            EXPECT_EQ(w->paper->m_vr, startVr);
        }
    }
}

TEST_F(ViewToolGrabber, EscapeMidPanKeepsThePan)
{
    useTool(tskGrabberPosition);
    const int32_t x0 = w->ScrollBar1.Position, y0 = w->ScrollBar2.Position;
    press(TMouseButton::mbLeft, kCentre, TShiftState::ssLeft);
    drag({180, 140}, TShiftState::ssLeft);
    EXPECT_EQ(w->ScrollBar1.Position, x0 + 20);
    EXPECT_EQ(w->ScrollBar2.Position, y0 + 10);
    w->keyDownMessage(kEsc, 0);
    release(TMouseButton::mbLeft, {150, 100});
    EXPECT_EQ(w->ScrollBar1.Position, x0 + 20);
    EXPECT_EQ(w->ScrollBar2.Position, y0 + 10);
    EXPECT_FALSE(isViewTurned(*w->paper));
    EXPECT_EQ(w->drawState.bits, 0);
}

TEST_F(ViewToolGrabber, ARightButtonPanRotatesAndAMovedRotationStays)
{
    useTool(tskGrabberPosition);
    const int32_t x0 = w->ScrollBar1.Position;
    press(TMouseButton::mbRight, {300, 150}, TShiftState::ssRight);
    drag({200, 50}, TShiftState::ssRight);
    release(TMouseButton::mbRight, {200, 50});
    EXPECT_NEAR(turn(), std::numbers::pi_v<float> / 2, 1e-4f);
    EXPECT_EQ(w->ScrollBar1.Position, x0);
}

struct ViewToolPenSize : ViewTool
{
};

TEST_F(ViewToolPenSize, TheDragDividesTheCanvasDistanceByTheRadiusRange)
{
    struct SCase
    {
        const char *name;
        int32_t dx;
        float minimum, maximum;
        bool changes;
        float radius; // the radius the drag sets
    };
    // At 2:1 seven client pixels are 350 hundredths of a canvas pixel.
    const SCase cases[] = {
        {"7 px right", 7, 0.1f, 500.0f, true, 350.0f / 499.9f + 10.0f},
        {"7 px left", -7, 0.1f, 500.0f, true, -350.0f / 499.9f + 10.0f},
        {"0 px", 0, 0.1f, 500.0f, false, 0},
        {"a range of 0", 7, 5.0f, 5.0f, false, 0},
        {"a range below 0", 7, 6.0f, 5.0f, false, 0},
    };
    w->changeZoom(2, 1, false);
    useTool(tskChangePenSize);
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        tool().calls.clear();
        tool().nibRadius = 10.0f;
        tool().nibRadiusMin = c.minimum;
        tool().nibRadiusMax = c.maximum;
        press(TMouseButton::mbLeft, {100, 100}, TShiftState::ssLeft);
        // Only the horizontal distance counts.
        drag({100 + c.dx, 130}, TShiftState::ssLeft);
        EXPECT_EQ(countCalls("SetPenRadius"), c.changes ? 1 : 0);
        if (c.changes)
            EXPECT_FLOAT_EQ(tool().nibRadius, c.radius);
        else
            EXPECT_EQ(tool().nibRadius, 10.0f);
        release(TMouseButton::mbLeft, {100 + c.dx, 130});
    }
}

// Two layers on the 200 x 100 canvas: the paper layer with two colour dots, and above it the
// active layer, moved so that its image starts 10 pixels left of and 6 above the paper, holding
// a half-transparent red where canvas point (20, 10) shows it and green at image point (20, 10).
struct ViewToolPicker : ViewTool
{
    ViewToolPicker()
    {
        if (!w)
            return;
        TPaper &p = *w->paper;
        CBlockVMTC &base = *p.getLayerData(0)->imageTC;
        base.setPixel(20, 10, 0xFF336699);
        base.setPixel(40, 20, 0xFF336699);
        EXPECT_TRUE(eventLayerAdd(p, w->flow(), 1, 210, 106, TLayerMode::LM_STD, 255, true, false));
        CLayerData &top = *p.getLayerData(1);
        top.viewPos = {10, 6};
        top.imageTC->setPixel(30, 16, 0x80FF0000);
        top.imageTC->setPixel(20, 10, 0xFF00FF00);
        top.imageTC->setupTraceRect();
        EXPECT_TRUE(EventLayerActive(p, w->flow(), 1, true));
        UpdateVRAM(p, true, true);
        useTool(tskSpuitForeground);
        stroke().SetDrawColor(0x00010203);
        stroke().setBgCol(0x00040506);
        tool().calls.clear();
    }
    uint32_t composite(const sPos &c) const
    {
        return w->paper->vram().getColor(c.x, c.y) & 0xFFFFFF;
    }
};

TEST_F(ViewToolPicker, PicksTheCompositeTheLayerWithCtrlAndTheBackgroundWithTheRightButton)
{
    const sPos at = clientOf({20, 10});
    const uint32_t shown = composite({20, 10});
    // The composite is neither layer's pixel.
    ASSERT_NE(shown, 0xFF0000u);
    ASSERT_NE(shown, 0x336699u);

    click(TMouseButton::mbLeft, at, TShiftState::ssLeft);
    EXPECT_EQ(rgbOf(tool().foreground), shown);
    EXPECT_EQ(stroke().m_drawColor, shown);

    // Ctrl: the active layer's own pixel where it is shown, not at the canvas point's numbers.
    hold({VK_CONTROL});
    click(TMouseButton::mbLeft, at, shiftOf({VK_CONTROL}, TShiftState::ssLeft));
    hold({});
    EXPECT_EQ(rgbOf(tool().foreground), 0xFF0000u);

    click(TMouseButton::mbRight, clientOf({40, 20}), TShiftState::ssRight);
    EXPECT_EQ(rgbOf(tool().background), 0x336699u);
    EXPECT_EQ(stroke().m_bgCol, 0x336699u);
    EXPECT_EQ(rgbOf(tool().foreground), 0xFF0000u);
    EXPECT_EQ(countCalls("setForegroundColor"), 2);
    EXPECT_EQ(countCalls("setBackgroundColor"), 1);
}

TEST_F(ViewToolPicker, WritesNothingForTheSameColourOutsideThePaperOrDuringAStroke)
{
    const sPos dot = clientOf({40, 20});
    // Equal in red, green and blue; the alpha differs and does not count.
    stroke().SetDrawColor(0x7F336699);
    stroke().setBgCol(0x00336699);
    click(TMouseButton::mbLeft, dot, TShiftState::ssLeft);
    click(TMouseButton::mbRight, dot, TShiftState::ssRight);
    // Outside the paper, with and without Ctrl (the moved layer reaches past the paper there).
    const sPos outside = clientOf({-3, -2});
    click(TMouseButton::mbLeft, outside, TShiftState::ssLeft);
    hold({VK_CONTROL});
    click(TMouseButton::mbLeft, outside, shiftOf({VK_CONTROL}, TShiftState::ssLeft));
    hold({});
    click(TMouseButton::mbLeft, clientOf({200, 50}), TShiftState::ssLeft);
    // While a stroke runs.
    stroke().SetDrawColor(0);
    w->setNowStroking(true);
    click(TMouseButton::mbLeft, dot, TShiftState::ssLeft);
    w->setNowStroking(false);
    EXPECT_EQ(countCalls("setForegroundColor"), 0);
    EXPECT_EQ(countCalls("setBackgroundColor"), 0);
}

TEST_F(ViewToolPicker, TheRightButtonPicksWithOtherToolsOnlyWhenSwitchedOn)
{
    struct SCase
    {
        TToolSubKind kind;
        bool shift;
        bool on;
    };
    const SCase cases[] = {
        {tskDrawLocus, false, true}, {tskDrawLocus, true, true}, {tskDrawLocus, false, false},
        {tskSeedFill, false, true},  {tskSeedFill, true, true},  {tskSeedFill, true, false},
        {tskMagicWand, false, true}, {tskFillText, false, true}, {tskFillText, true, true},
        {tskFillText, false, false},
        // The figure tools pick with a right press when no figure of several points runs.
        {tskDrawPolygon, false, true}, {tskFillRectangle, true, true},
        {tskSelectLasso, false, true},  {tskDrawLine, false, false},
    };
    const sPos dot = clientOf({40, 20});
    for (const SCase &c : cases) {
        SCOPED_TRACE(std::to_string(int(c.kind)) + (c.shift ? " shift" : "") +
                     (c.on ? "" : " off"));
        prof().useRBtnPicker = c.on;
        useTool(c.kind);
        stroke().SetDrawColor(0);
        stroke().setBgCol(0);
        tool().calls.clear();
        if (c.shift)
            hold({VK_SHIFT});
        const TShiftState shift =
            c.shift ? shiftOf({VK_SHIFT}, TShiftState::ssRight) : TShiftState(TShiftState::ssRight);
        click(TMouseButton::mbRight, dot, shift);
        hold({});
        EXPECT_EQ(countCalls("setForegroundColor"), c.on && !c.shift ? 1 : 0);
        EXPECT_EQ(countCalls("setBackgroundColor"), c.on && c.shift ? 1 : 0);
        if (c.on) {
            EXPECT_EQ(c.shift ? stroke().m_bgCol : stroke().m_drawColor, 0x336699u);
        }
    }
}

struct ViewToolWandCursor : ViewTool
{
    ViewToolWandCursor()
    {
        if (w)
            useTool(tskMagicWand);
    }
    // A selection in the current mask.
    void select()
    {
        TPaper &p = *w->paper;
        auto md = std::make_unique<CMaskData>(0, p.m_paperSize.x, p.m_paperSize.y);
        md->maskTC->setPixel(5, 5, 255);
        p.maskMngr().deleteAll();
        p.maskMngr().insertAt(0, md);
        p.maskMngr().setCurIndex(0);
        p.bEnbMask = true;
    }
    // The cursor a move with these keys leaves; -1 when the move set none.
    int32_t cursorAfterMove(std::initializer_list<int32_t> keys)
    {
        hold(keys);
        main().cursors.clear();
        w->FormMouseMove(shiftOf(keys, {}), 100, 100);
        hold({});
        return main().cursors.empty() ? -1 : main().cursors.back();
    }
};

TEST_F(ViewToolWandCursor, FollowsTheKeysTheSelectionAndTheCursorSet)
{
    struct SCase
    {
        const char *name;
        bool selection, oldScheme, other;
        std::initializer_list<int32_t> keys;
        int32_t cursor; // -1: left as it was
    };
    const SCase cases[] = {
        {"no selection", false, false, false, {VK_SHIFT}, 22},
        {"no selection, the other set", false, false, true, {}, 22},
        {"new", true, false, false, {}, 22},
        {"add", true, false, false, {VK_SHIFT}, 23},
        {"subtract", true, false, false, {VK_MENU}, 24},
        {"intersect", true, false, false, {VK_SHIFT, VK_MENU}, 25},
        {"other set: new", true, false, true, {}, 34},
        {"other set: add", true, false, true, {VK_SHIFT}, 35},
        {"other set: subtract", true, false, true, {VK_MENU}, 36},
        {"other set: intersect", true, false, true, {VK_SHIFT, VK_MENU}, 37},
        {"older: Ctrl subtracts", true, true, false, {VK_CONTROL}, 24},
        {"older: Shift+Ctrl intersects", true, true, true, {VK_SHIFT, VK_CONTROL}, 37},
        // Keys that choose a temporary tool leave the wand's cursor alone.
        {"older: Alt turns the view", true, true, false, {VK_MENU}, -1},
        {"Space moves the view", true, false, false, {VK_SPACE}, -1},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.selection)
            select();
        else
            w->paper->maskMngr().deleteAll();
        prof().UseOldShortCut = c.oldScheme;
        prof().OtherToolCursor = c.other ? 1 : 0;
        EXPECT_EQ(cursorAfterMove(c.keys), c.cursor);
    }
}

TEST_F(ViewToolWandCursor, KeysReachItThroughTheControlsAndABorrowedToolKeepsItsCursor)
{
    select();
    hold({VK_SHIFT});
    w->keyDownMessage(VK_SHIFT, 0);
    ASSERT_FALSE(main().cursors.empty());
    EXPECT_EQ(main().cursors.back(), 23);
    w->drawState.set(BDrawStateBit::stHookSysMode);
    main().cursors.clear();
    w->wandCursor();
    EXPECT_TRUE(main().cursors.empty());
    w->drawState.clear(BDrawStateBit::stHookSysMode);
    // Another tool: nothing.
    useTool(tskSeedFill);
    main().cursors.clear();
    w->wandCursor();
    EXPECT_TRUE(main().cursors.empty());
    hold({});
}

} // namespace
