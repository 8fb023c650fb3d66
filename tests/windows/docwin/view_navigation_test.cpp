#include "docwin_fixture.h"

#include "document/view/view_geometry.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

using ViewNavigation = DocWinFixture;

sPos centreOf(const TDrawWindow &w)
{
    sPos c;
    GetViewCenter(*w.paper, w.clnSize.x, w.clnSize.y, c.x, c.y);
    return c;
}

float zoomOf(const TDrawWindow &w)
{
    return w.paper->GetZoomScale();
}

TEST_F(ViewNavigation, FitZoomUsesTheTurnedCanvas)
{
    auto w = makeWindow({1600, 1000}, 1, {880, 680});
    EXPECT_FLOAT_EQ(w->GetZoomAutoSingle(), 800.0f / 1600.0f);
    EXPECT_TRUE(w->CanZoomAuto());
    EXPECT_TRUE(w->ZoomAuto(false, true));
    EXPECT_FLOAT_EQ(zoomOf(*w), 0.5f);
    EXPECT_FALSE(w->CanZoomAuto());

    w->dispatchRotate(90, true);
    EXPECT_FLOAT_EQ(w->GetZoomAutoSingle(), 600.0f / 1600.0f);
    EXPECT_TRUE(w->ZoomAuto(false, true));
    EXPECT_FLOAT_EQ(zoomOf(*w), 600.0f / 1600.0f);
}

TEST_F(ViewNavigation, FitWithoutZoomingInKeepsASmallCanvasAtOneToOne)
{
    auto w = makeWindow({100, 50}, 1, {880, 680});
    w->changeZoom(1, 4, false);
    EXPECT_TRUE(w->ZoomAuto(false, false));
    EXPECT_EQ(w->paper->FDisplayFraction.Numerator, 1);
    EXPECT_EQ(w->paper->FDisplayFraction.Denominator, 1);
    EXPECT_TRUE(w->ZoomAuto(false, true));
    EXPECT_GT(zoomOf(*w), 1.0f);
}

TEST_F(ViewNavigation, TinyClientFitsAtTheSmallestZoom)
{
    // 80 pixels or less on an axis would leave nothing to fit into: as if one pixel were left.
    auto w = makeWindow({1600, 1000}, 1, {80, 60});
    const float fit = w->GetZoomAutoSingle();
    EXPECT_GT(fit, 0.0f);
    EXPECT_LT(fit, 0.01f);
    EXPECT_TRUE(w->ZoomAuto(false, true));
    EXPECT_FLOAT_EQ(zoomOf(*w), 1.0f / 16.0f);
}

TEST_F(ViewNavigation, ZoomInKeepsTheCanvasPoint)
{
    auto w = makeWindow({600, 400}, 1, {400, 300});
    const sPos at{300, 200};
    w->changeZoom(1, 1, false, &at);
    EXPECT_EQ(centreOf(*w).x, 300);
    // The step after 1:1 is 3:2: the centre moves to 100 + trunc(200 / 1.5), 100 + trunc(100 / 1.5).
    w->ZoomIn(false, 100, 100);
    EXPECT_FLOAT_EQ(zoomOf(*w), 1.5f);
    EXPECT_EQ(centreOf(*w), (sPos{233, 166}));
    // Out again at the same point: back near the first centre.
    w->ZoomOut(false, 100, 100);
    EXPECT_FLOAT_EQ(zoomOf(*w), 1.0f);
    EXPECT_LE(std::abs(centreOf(*w).x - 300), 1);
}

TEST_F(ViewNavigation, DoZoomKeepsThePointUnderThePointer)
{
    auto w = makeWindow({2000, 1500}, 1, {600, 400});
    const sPos start{1000, 750};
    const sPos pointers[] = {{150, 100}, {300, 200}, {480, 330}};
    for (const TFraction &preset : kZoomPresets) {
        if (preset.Numerator * 4 < preset.Denominator || preset.Numerator > preset.Denominator * 4)
            continue;
        for (const sPos &p : pointers) {
            for (bool zin : {true, false}) {
                w->changeZoom(preset.Numerator, preset.Denominator, false, &start);
                float bx = float(p.x), by = float(p.y);
                CursorCorrection(*w->paper, w->clnSize.x, w->clnSize.y, bx, by);
                w->doZoom(p, zin, false);
                const sFPos after = convToViewPos(*w->paper, sFPos{bx, by});
                SCOPED_TRACE(testing::Message() << preset.Numerator << "/" << preset.Denominator
                                                << " at " << p.x << "," << p.y << " in " << zin);
                // One pixel, plus the truncation of one canvas pixel when zoomed in.
                const float tol = 1.0f + zoomOf(*w);
                EXPECT_NEAR(after.x, float(p.x), tol);
                EXPECT_NEAR(after.y, float(p.y), tol);
            }
        }
    }
}

TEST_F(ViewNavigation, NoViewChangeInKeyOnlyState)
{
    auto w = makeWindow({600, 400}, 1, {400, 300});
    w->drawState.set(BDrawStateBit::stKeyOnly);
    w->doZoom(true);
    EXPECT_FLOAT_EQ(zoomOf(*w), 1.0f);
    EXPECT_FALSE(w->CanZoomAuto());
}

TEST_F(ViewNavigation, CalcViewBoundSnapsToTheZoomedGrid)
{
    auto w = makeWindow({600, 400}, 1, {400, 300});
    w->changeZoom(3, 1, false);
    sPos p{10, 17};
    w->calcViewBound(p, true);
    EXPECT_EQ(p, (sPos{9, 15}));
    w->changeZoom(1, 2, false);
    p = {10, 17};
    w->calcViewBound(p, false);
    EXPECT_EQ(p, (sPos{10, 17}));
}

struct DistanceCase
{
    const char *name;
    float deg;
    bool mirrored;
    sPos client, canvas; // client (10, 20) to canvas at 2:1, and canvas (10, 20) to client
};

TEST_F(ViewNavigation, DistanceConversions)
{
    const std::vector<DistanceCase> cases = {
        {"upright", 0, false, {5, 10}, {20, 40}},
        {"turned 90", 90, false, {-10, 5}, {40, -20}},
        {"mirrored", 0, true, {-5, 10}, {-20, 40}},
    };
    for (const DistanceCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto w = makeWindow({600, 400}, 1, {400, 300});
        w->changeZoom(2, 1, false);
        if (c.deg != 0)
            w->dispatchRotate(c.deg, true);
        if (c.mirrored)
            w->dispatchReverse(true);
        sPos d;
        w->convFromCanvasScale(d, {10, 20});
        EXPECT_EQ(d, c.client);
        w->convToCanvasScale(d, {10, 20});
        EXPECT_EQ(d, c.canvas);
        sPos back;
        w->convFromCanvasScale(back, d);
        EXPECT_EQ(back, (sPos{10, 20}));
    }
}

TEST_F(ViewNavigation, RotatingDragTurnsAgainstThePointer)
{
    for (bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored);
        auto w = makeWindow({600, 400}, 1, {400, 300});
        if (mirrored)
            w->dispatchReverse(true);
        w->lastPos = {200 + 100, 150};
        w->tmpSingle = 0;
        w->rotateDrag({200, 150 + 100});
        const float want = mirrored ? 90.0f : -90.0f;
        EXPECT_NEAR(std::remainder(w->paper->m_degree - want, 360.0f), 0.0f, 1e-3f);
        EXPECT_TRUE(w->drawState.has(BDrawStateBit::stDirty));
        EXPECT_FALSE(w->ScrollBar1.Visible);
    }
}

TEST_F(ViewNavigation, FullTurnRestoresTheScrollBarsAsTheProfileSays)
{
    for (bool show : {true, false}) {
        SCOPED_TRACE(show);
        prof().showScrollBar = show;
        auto w = makeWindow({600, 400}, 1, {400, 300});
        const sPos before = centreOf(*w);
        EXPECT_EQ(w->ScrollBar1.Visible, show);
        w->dispatchRotate(30, true);
        EXPECT_FALSE(w->ScrollBar1.Visible);
        EXPECT_FALSE(w->ScrollBar2.Visible);
        w->dispatchRotate(360, false);
        EXPECT_EQ(w->paper->m_degree, 0.0f);
        EXPECT_EQ(w->ScrollBar1.Visible, show);
        EXPECT_EQ(w->ScrollBar2.Visible, show);
        EXPECT_LE(std::abs(centreOf(*w).x - before.x), 1);
        EXPECT_LE(std::abs(centreOf(*w).y - before.y), 1);
    }
}

TEST_F(ViewNavigation, ScrollingWhileRotatedMovesTheCentreByWholePixels)
{
    prof().showScrollBar = true;
    auto w = makeWindow({600, 400}, 1, {400, 300});
    w->changeZoom(3, 2, false);
    w->dispatchRotate(30, true);
    const float x0 = w->paper->m_vrX, y0 = w->paper->m_vrY;
    w->scrollViewBy(7, 3);
    EXPECT_FALSE(w->ScrollBar1.Visible);
    EXPECT_EQ(w->paper->m_vrX, std::trunc(w->paper->m_vrX));
    EXPECT_EQ(w->paper->m_vrY, std::trunc(w->paper->m_vrY));
    EXPECT_TRUE(w->paper->m_vrX != x0 || w->paper->m_vrY != y0);
    EXPECT_EQ(tool().displayCenter, centreOf(*w));
}

TEST_F(ViewNavigation, ScrollingUprightMovesTheBars)
{
    auto w = makeWindow({600, 400}, 1, {400, 300});
    w->changeZoom(1, 1, false);
    const int32_t x = w->ScrollBar1.Position, y = w->ScrollBar2.Position;
    w->scrollViewBy(7, 3);
    EXPECT_EQ(w->ScrollBar1.Position, x - 7);
    EXPECT_EQ(w->ScrollBar2.Position, y - 3);
}

TEST_F(ViewNavigation, MirroringTwiceKeepsTheCentre)
{
    auto w = makeWindow({600, 400}, 1, {400, 300});
    const sPos at{250, 120};
    w->changeZoom(2, 1, false, &at);
    const sPos before = centreOf(*w);
    w->dispatchReverse(true);
    EXPECT_TRUE(w->paper->bVisReverse);
    EXPECT_TRUE(tool().displayReversed);
    w->dispatchReverse(true);
    EXPECT_FALSE(w->paper->bVisReverse);
    EXPECT_EQ(centreOf(*w), before);
}

TEST_F(ViewNavigation, SmoothZoomSwitchReportsOnTheStatusBar)
{
    auto w = makeWindow();
    EXPECT_FALSE(w->switchSmoothZoom(true));
    EXPECT_EQ(main().statusText[int(eStatusItem::stiHint)],
              QStringLiteral("アンチエイリアス表示 有効"));
    w->disableSmoothZoom();
    EXPECT_FALSE(w->isSmoothZoom());
    EXPECT_TRUE(w->restoreSmoothZoom());
    EXPECT_TRUE(w->switchSmoothZoom(false));
    EXPECT_EQ(main().statusText[int(eStatusItem::stiHint)],
              QStringLiteral("アンチエイリアス表示 無効"));
}

TEST_F(ViewNavigation, ScrollBarTrackSuspendsSmoothingUntilTheEnd)
{
    prof().useZoomAntialias = true;
    auto w = makeWindow({600, 400}, 1, {400, 300});
    EXPECT_TRUE(w->isSmoothZoom());
    const sPos before = centreOf(*w);
    w->ScrollBar1Scroll(TScrollCode::scTrack, w->ScrollBar1.Position + 40);
    EXPECT_FALSE(w->isSmoothZoom());
    EXPECT_EQ(centreOf(*w).x, before.x + 40);
    w->ScrollBar1Scroll(TScrollCode::scPosition, w->ScrollBar1.Position);
    EXPECT_TRUE(w->isSmoothZoom());
}

struct WheelCase
{
    int32_t delta;
    bool leftButton;
    float zoom;
};

TEST_F(ViewNavigation, WheelZoomsThroughTheMainWindow)
{
    const std::vector<WheelCase> cases = {
        {-120, false, 2.0f}, {120, false, 0.5f}, {-120, true, 0.5f}, {120, true, 2.0f}};
    for (const WheelCase &c : cases) {
        auto w = makeWindow({600, 400}, 1, {400, 300});
        main().forwardMouseWheel(c.delta, c.leftButton);
        EXPECT_GT(c.zoom > 1 ? zoomOf(*w) : 1.0f, c.zoom > 1 ? 1.0f : zoomOf(*w))
            << c.delta << " " << c.leftButton;
        EXPECT_EQ(tool().displayScale, zoomOf(*w));
    }
}

} // namespace
