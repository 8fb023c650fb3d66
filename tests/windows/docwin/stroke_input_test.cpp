// Stroke input: which points reach the document at each paint level and zoom, what refuses a
// point, the point limit, the last point of a release, the pen in range, pointer tracking and the
// automatic scrolling of a drag.
#include "input_fixture.h"

#include "document/events/event_manager.h"
#include "document/paper/layer_data.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"

#include <gtest/gtest.h>

namespace {

using namespace input_test;

struct StrokeInput : InputFixture
{
    StrokeInput() : InputFixture({600, 400}, {300, 200}) {}

    // The client position that shows a canvas position.
    sFPos clientOf(float x, float y) const { return convToViewPos(*w->paper, sFPos{x, y}); }
    // One point given in canvas pixels, as the mouse would send it.
    int32_t paintAt(float x, float y, float p = 1.0f)
    {
        const sFPos c = clientOf(x, y);
        return w->doPaint(c.x, c.y, p, stroke(), false);
    }
    uint32_t pixel(int32_t x, int32_t y) const
    {
        return w->paper->getLayerData(0)->imageTC->getColor(x, y);
    }
};

TEST_F(StrokeInput, ThePointsKeptDependOnLevelAndZoom)
{
    using enum ePaintLevel;
    struct SCase
    {
        ePaintLevel level;
        int32_t num, den;
        float distance; // canvas pixels from the last point passed on
        bool kept;
    };
    const SCase cases[] = {
        {PAINT_LEVEL_qZ2, 1, 4, 3.9f, false}, {PAINT_LEVEL_qZ2, 1, 4, 4.1f, true},
        {PAINT_LEVEL_qZ5, 1, 4, 3.9f, true},  {PAINT_LEVEL_qZ5, 1, 4, 0.2f, true},
        {PAINT_LEVEL_qZ2, 1, 2, 2.9f, false}, {PAINT_LEVEL_qZ2, 1, 2, 3.1f, true},
        {PAINT_LEVEL_qZ2, 1, 1, 1.9f, false}, {PAINT_LEVEL_qZ2, 2, 1, 2.1f, true},
        {PAINT_LEVEL_qZ4, 2, 1, 0.9f, false}, {PAINT_LEVEL_qZ4, 2, 1, 1.1f, true},
        {PAINT_LEVEL_qZ4, 4, 1, 0.9f, false}, {PAINT_LEVEL_qZ4, 4, 1, 1.1f, true},
        {PAINT_LEVEL_qZ4, 8, 1, 0.4f, false}, {PAINT_LEVEL_qZ4, 8, 1, 0.6f, true},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.level) << " at " << c.num << ":" << c.den
                                        << ", " << c.distance);
        ASSERT_TRUE(w->switchPaintLevel(c.level));
        w->changeZoom(c.num, c.den, false);
        ASSERT_EQ(paintAt(100, 60), -1); // begins
        // The first two points pass however close they are.
        ASSERT_EQ(paintAt(100.1f, 60), 1);
        ASSERT_EQ(w->getStrokingCount(), 2u);
        EXPECT_EQ(paintAt(100.1f + c.distance, 60), 1);
        EXPECT_EQ(w->getStrokingCount(), c.kept ? 3u : 2u);
        w->chkStrokeEnd(0, 0, stroke(), false, false);
        ASSERT_FALSE(w->isStrokingNow());
    }
}

TEST_F(StrokeInput, HeldModifiersAndReplaysRefuseAllButShapeStrokes)
{
    for (int32_t vk : {VK_SPACE, VK_SHIFT, VK_CONTROL, VK_MENU}) {
        SCOPED_TRACE(vk);
        hold({vk});
        stroke().m_bDrawShape = false;
        EXPECT_EQ(paintAt(50, 50), -1);
        EXPECT_FALSE(w->isStrokingNow());
        // A line tool's stroke continues.
        stroke().m_bDrawShape = true;
        EXPECT_EQ(paintAt(50, 50), -1);
        EXPECT_TRUE(w->isStrokingNow());
        EXPECT_EQ(paintAt(60, 50), 1);
        w->chkStrokeEnd(0, 0, stroke(), false, false);
        EXPECT_FALSE(w->isStrokingNow());
    }
    hold({});
    stroke().m_bDrawShape = false;
    w->m_eventPlaying = true;
    EXPECT_EQ(paintAt(50, 50), -1);
    EXPECT_FALSE(w->isStrokingNow());
    EXPECT_FALSE(w->switchPaintLevel(ePaintLevel::PAINT_LEVEL_qZ4));
}

TEST_F(StrokeInput, AStrokeEndsAtThePointLimitAndTheNextPointBeginsAnew)
{
    ASSERT_EQ(paintAt(20, 20), -1);
    ASSERT_EQ(paintAt(30, 20), 1);
    w->bSnap = true;
    // As if 60000 points had been taken.
    w->setCntStroking(60000);
    w->paper->eventMngr().strokeTotalCnt = 60000;
    ASSERT_EQ(paintAt(40, 20), 1);
    ASSERT_EQ(w->getStrokingCount(), 60001u);
    EXPECT_EQ(paintAt(50, 20), -1);
    EXPECT_FALSE(w->isStrokingNow());
    EXPECT_FALSE(w->bSnap);
    EXPECT_EQ(paintAt(60, 20), -1);
    EXPECT_TRUE(w->isStrokingNow());
    EXPECT_EQ(w->getStrokingCount(), 1u);
}

TEST_F(StrokeInput, AReleaseAddsALastPointOfNoPressureAtTheWholePixel)
{
    const uint32_t before = pixel(30, 30);
    ASSERT_EQ(paintAt(20.5f, 30.5f, 0.8f), -1);
    ASSERT_EQ(paintAt(40.25f, 30.5f, 0.8f), 1);
    const sFPos end = clientOf(41.7f, 33.6f);
    w->chkStrokeEnd(end.x, end.y, stroke(), false, true);
    EXPECT_FALSE(w->isStrokingNow());
    SStrokeData last;
    ASSERT_TRUE(w->paper->strokeMngr5()->getLast(last));
    EXPECT_EQ(last.x, 41.0f);
    EXPECT_EQ(last.y, 33.0f);
    EXPECT_EQ(last.p, 0.0f);
    EXPECT_EQ(main().cursorCanvasPos, (sPos{41, 33}));
    EXPECT_NE(pixel(30, 30), before);
}

TEST_F(StrokeInput, TheMouseIsIgnoredWhileThePenIsInRange)
{
    TWinTab32 &tab = attachTablet();
    ASSERT_TRUE(tab.isEnable());
    tab.m_recognition = true;
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, 50, 50);
    w->FormMouseMove(TShiftState::ssLeft, 80, 50);
    EXPECT_FALSE(w->isStrokingNow());
    w->FormMouseUp(TMouseButton::mbLeft, {}, 80, 50);
    // The pen leaves: the mouse draws again.
    tab.m_recognition = false;
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, 50, 50);
    EXPECT_TRUE(w->isStrokingNow());
    w->FormMouseUp(TMouseButton::mbLeft, {}, 80, 50);
    EXPECT_FALSE(w->isStrokingNow());
}

TEST_F(StrokeInput, TrackingShowsTheCanvasPositionAndTheLoupeFollowsLiveWithCapsLock)
{
    tool().loupeShown = true;
    w->FormMouseMove({}, 120, 80);
    EXPECT_EQ(tool().infoOption, TInfomationUpdateOption::iuoStandard);
    EXPECT_EQ(tool().infoPos, (sFPos{120, 80}));
    sPos canvas;
    w->convToCanvasPos(canvas, sPos{120, 80});
    EXPECT_EQ(tool().loupeCentre, canvas);
    EXPECT_FALSE(tool().loupeFix);
    // Each Caps Lock press flips the toggle.
    setKeyDown(VK_CAPITAL, true);
    setKeyDown(VK_CAPITAL, false);
    w->FormMouseMove({}, 121, 80);
    EXPECT_TRUE(tool().loupeFix);
    setKeyDown(VK_CAPITAL, true);
    w->FormMouseMove({}, 122, 80);
    EXPECT_FALSE(tool().loupeFix);
}

TEST_F(StrokeInput, APointerBeyondTheInnerBoxScrollsTowardItself)
{
    prof().useAutoScroll = true;
    int32_t cw = 0, ch = 0;
    w->getTrueClientSize(cw, ch);
    struct SCase
    {
        const char *name;
        sPos pos;
        sPos step;
    };
    const SCase cases[] = {
        {"20 px left", {16 - 20, ch / 2}, {64, 0}},
        {"2 px left", {16 - 2, ch / 2}, {8, 0}},
        {"2 px right", {cw - 17 + 2, ch / 2}, {-8, 0}},
        {"20 px above", {cw / 2, 16 - 20}, {0, 64}},
        {"far beyond a corner", {cw + 400, ch + 400}, {-64, -64}},
        {"on the box's edge", {16, 16}, {0, 0}},
        {"inside", {cw / 2, ch / 2}, {0, 0}},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(c.name);
        w->firstPos = {100, 100};
        const bool scrolled = w->doAutoScroll(c.pos, false, false);
        EXPECT_EQ(scrolled, c.step != sPos{});
        EXPECT_EQ(w->firstPos, (sPos{100 + c.step.x, 100 + c.step.y}));
    }
    prof().useAutoScroll = false;
    EXPECT_FALSE(w->doAutoScroll(sPos{-50, -50}, false, false));
}

TEST_F(StrokeInput, ADragScrollsEachTickAndTheReleaseStopsIt)
{
    prof().useAutoScroll = true;
    int32_t cw = 0, ch = 0;
    w->getTrueClientSize(cw, ch);
    const int32_t before = w->ScrollBar1.Position;
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, 100, 100);
    // 15 pixels past the inner box's right edge: 60 pixels a tick.
    w->FormMouseMove(TShiftState::ssLeft, cw - 2, 100);
    ASSERT_TRUE(w->TimerAutoScroll.Enabled);
    w->TimerAutoScroll.fire();
    EXPECT_EQ(w->ScrollBar1.Position, before + 60);
    EXPECT_TRUE(w->m_bAutoScrolled);
    w->FormMouseUp(TMouseButton::mbLeft, {}, cw - 2, 100);
    EXPECT_FALSE(w->TimerAutoScroll.Enabled);
    EXPECT_FALSE(w->m_bAutoScrolled);
}

TEST_F(StrokeInput, DeactivationEndsTheStrokeAtTheCursor)
{
    w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, 60, 60);
    w->FormMouseMove(TShiftState::ssLeft, 90, 70);
    ASSERT_TRUE(w->isStrokingNow());
    w->FormDeactivate();
    EXPECT_FALSE(w->isStrokingNow());
    sPos canvas;
    w->convToCanvasPos(canvas, sPos{90, 70});
    EXPECT_EQ(main().cursorCanvasPos, canvas);
}

} // namespace
