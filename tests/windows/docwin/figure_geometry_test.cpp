#include "windows/docwin/figure_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TEST(FigureGeometry, LineSnapsToFifteenDegreesAndKeepsItsLength)
{
    struct Case
    {
        sPos p1;
        sPos expected;
    };
    // Unrotated 1:1: canvas and client coincide. 13 down is 7.4 degrees (rounds to 0), 14 down is
    // 8.0 degrees (rounds to 15).
    const Case cases[] = {
        {{300, 213}, {300, 200}},
        {{300, 214}, {297, 226}},
        {{200, 300}, {200, 300}}, // straight down stays (90 degrees exactly)
        {{100, 190}, {99, 200}}, // to the left: 180 degrees, 100.5 long, truncated towards zero
    };
    const sFPos p0{200, 200};
    for (const Case &c : cases) {
        const sFPos snapped = snapLineAngle(p0, {float(c.p1.x), float(c.p1.y)});
        EXPECT_EQ(truncNudged(snapped), c.expected) << c.p1.x << "," << c.p1.y;
    }
    EXPECT_EQ(snapLineAngle(p0, p0), p0);
    // Left of and above the client area (a scrolled canvas) the pixel is the one below the value,
    // as on the right and below.
    EXPECT_EQ(truncNudged(sFPos{-10.0f, -9.5f}), (sPos{-10, -10}));
    EXPECT_EQ(truncNudged(sFPos{-0.004f, 10.996f}), (sPos{0, 11}));
}

TEST(FigureGeometry, MakeSquareKeepsTheDragDirection)
{
    struct Case
    {
        sPos p1, expected;
    };
    const Case cases[] = {
        {{10, -4}, {10, -10}},
        {{3, -7}, {7, -7}},
        {{10, 0}, {10, 10}}, // a drag along a row still gives a square
        {{0, -5}, {5, -5}},
        {{-6, 6}, {-6, 6}},
    };
    for (const Case &c : cases) {
        sPos p1 = c.p1;
        makeSquare(sPos{0, 0}, p1);
        EXPECT_EQ(p1, c.expected) << c.p1.x << "," << c.p1.y;
    }
}

SFigureView viewAtZoom(int32_t z)
{
    SFigureView v;
    v.zoomStep = z;
    v.toCanvas = [z](const sPos &p) { return sPos{p.x / z, p.y / z}; };
    v.toClient = [z](const sPos &p) { return sPos{p.x * z, p.y * z}; };
    return v;
}

TEST(FigureGeometry, BoxCornersWithAspectAndCentre)
{
    struct Case
    {
        int32_t zoom;
        sPos p0, p1;
        bool centre, aspect;
        std::array<sPos, 4> expected;
    };
    const Case cases[] = {
        {1, {10, 10}, {30, 18}, false, false, {{{10, 10}, {30, 10}, {30, 18}, {10, 18}}}},
        {1, {10, 10}, {30, 18}, false, true, {{{10, 10}, {30, 10}, {30, 30}, {10, 30}}}},
        {1, {10, 10}, {30, 18}, true, false, {{{-10, 2}, {30, 2}, {30, 18}, {-10, 18}}}},
        {1, {10, 10}, {4, 30}, true, true, {{{30, -10}, {-10, -10}, {-10, 30}, {30, 30}}}},
        // Zoom 3: (10, 11) aligns down to (9, 9) = canvas (3, 3); (31, 20) to (30, 18) = (10, 6).
        {3, {10, 11}, {31, 20}, false, false, {{{9, 9}, {30, 9}, {30, 18}, {9, 18}}}},
        {3, {10, 11}, {31, 20}, false, true, {{{9, 9}, {30, 9}, {30, 30}, {9, 30}}}},
        {3, {10, 11}, {31, 20}, true, true, {{{-12, -12}, {30, -12}, {30, 30}, {-12, 30}}}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(boxClientPoints(viewAtZoom(c.zoom), c.p0, c.p1, c.centre, c.aspect), c.expected)
            << "zoom " << c.zoom << " centre " << c.centre << " aspect " << c.aspect;
    }
}

TEST(FigureGeometry, EllipseGuideNeedsSixteenPixels)
{
    EXPECT_FALSE(ellipseGuideShown({0, 0}, {11, 11})); // 15.6
    EXPECT_TRUE(ellipseGuideShown({0, 0}, {16, 0}));
    EXPECT_TRUE(ellipseGuideShown({5, 5}, {-7, -7}));
}

TEST(FigureGeometry, EllipsePolygonCoversTheDraggedPixels)
{
    struct Case
    {
        sFPos s, e;
        bool centre, aspect;
        sFRect bounds; // of the far pixel included
    };
    const Case cases[] = {
        {{10, 10}, {19, 29}, false, false, {10, 10, 20, 30}},
        {{10, 10}, {19, 29}, false, true, {10, 10, 30, 30}},
        {{10, 10}, {14, 13}, true, false, {6, 7, 15, 14}},
    };
    for (const Case &c : cases) {
        const std::vector<sFPos> poly = ellipseFigurePolygon(c.s, c.e, c.centre, c.aspect);
        ASSERT_GE(poly.size(), 8u);
        float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
        for (const sFPos &p : poly) {
            x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
        }
        EXPECT_NEAR(x0, c.bounds.x0, 0.01f);
        EXPECT_NEAR(y0, c.bounds.y0, 0.01f);
        EXPECT_NEAR(x1, c.bounds.x1, 0.01f);
        EXPECT_NEAR(y1, c.bounds.y1, 0.01f);
    }
}

TEST(FigureGeometry, CollinearBendGivesTheChord)
{
    const sFPos c0{100, 40}, c1{10, 20};
    const std::vector<sFPos> pts = flattenCurve(c0, c1, {55, 30});
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts.front(), c1);
    EXPECT_EQ(pts.back(), c0);
}

TEST(FigureGeometry, RandomCurvesStayBoundedOrderedAndExactAtTheEnds)
{
    const uint32_t seed = 5921;
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coord(-5000, 5000);
    for (int i = 0; i < 200; ++i) {
        const sFPos c0{coord(rng), coord(rng)}, c1{coord(rng), coord(rng)},
            b{coord(rng) * 4, coord(rng) * 4};
        const std::vector<sFPos> pts = flattenCurve(c0, c1, b);
        ASSERT_LE(pts.size(), size_t(kCurveMaxPoints)) << "seed " << seed << " curve " << i;
        ASSERT_GE(pts.size(), 2u);
        EXPECT_EQ(pts.front(), c1);
        EXPECT_EQ(pts.back(), c0);
        // In order: each point's parameter is above the one before it. The projection onto the
        // derivative direction is not monotone in general, so recover t by nearest sampling.
        double lastT = -1;
        for (const sFPos &p : pts) {
            double bestT = 0, best = 1e300;
            for (int k = 0; k <= 256; ++k) {
                const double t = k / 256.0, u = 1 - t;
                const double x = c0.x * t * t + b.x * 2 * t * u + c1.x * u * u;
                const double y = c0.y * t * t + b.y * 2 * t * u + c1.y * u * u;
                const double d = std::hypot(x - p.x, y - p.y);
                if (d < best)
                    best = d, bestT = t;
            }
            EXPECT_LT(best, 0.5) << "seed " << seed << " curve " << i;
            EXPECT_GT(bestT, lastT) << "seed " << seed << " curve " << i;
            lastT = bestT;
        }
    }
}

} // namespace
