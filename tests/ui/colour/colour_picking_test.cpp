#include "ui/colour/colour_picking.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {
constexpr float kTwoPi = float(2 * std::numbers::pi);
}

TEST(ColourPicking, SquareAndBarLayoutAndPicks)
{
    TSquareBarLayout L;
    ASSERT_TRUE(squareBarLayout(200, 182, 11, L));
    EXPECT_EQ(L.A, 200);
    EXPECT_EQ(L.margin, (sPos{0, 0}));
    EXPECT_EQ(L.square, (sRect{5, 5, 177, 177}));
    EXPECT_EQ(L.bar, (sRect{185, 5, 196, 177}));
    // A wide control centres the picture.
    ASSERT_TRUE(squareBarLayout(260, 182, 11, L));
    EXPECT_EQ(L.margin, (sPos{30, 0}));
    EXPECT_FALSE(squareBarLayout(0, 100, 11, L));

    const sRect sq{5, 5, 177, 177}, bar{185, 5, 196, 177};
    struct Case
    {
        int x, y;
        bool hue;
        float across, up;
    } cases[] = {
        {176, 5, false, 1, 1},
        {5, 176, false, 0, 0},
        {-40, 400, false, 0, 0},
        {500, -9, false, 1, 1},
        {176, 5, true, kTwoPi, 1},
        {300, 90, true, kTwoPi, float(1 - 85.0 / 171)},
        {90, 90, false, float(85.0 / 171), float(1 - 85.0 / 171)},
    };
    for (const Case &c : cases) {
        float across, up;
        squarePick(sq, c.x, c.y, c.hue, across, up);
        EXPECT_FLOAT_EQ(across, c.across) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(up, c.up) << c.x << "," << c.y;
    }
    EXPECT_FLOAT_EQ(barPick(bar, 5, true), kTwoPi);
    EXPECT_FLOAT_EQ(barPick(bar, 176, true), 0);
    EXPECT_FLOAT_EQ(barPick(bar, -50, false), 1);
    EXPECT_FLOAT_EQ(barPick(bar, 900, false), 0);
    // Degenerate spans give 0, never a division by zero.
    EXPECT_EQ(axisPick(3, 3, 1, false), 0);
    EXPECT_EQ(barPick({0, 0, 11, 1}, 0, true), 0);
}

TEST(ColourPicking, MarkerOffsetsWrap)
{
    EXPECT_EQ(markerOffset(0, 171, false), 0);
    EXPECT_EQ(markerOffset(1, 171, false), 171);
    EXPECT_EQ(markerOffset(1, 171, true), 0);
    EXPECT_EQ(markerOffset(0.5f, 100, true), 50);
    // A hue from RGB (-pi..pi) wraps into the square.
    EXPECT_EQ(markerOffset(-0.25f, 100, false), 76);
    EXPECT_EQ(markerOffset(-0.25f, 100, true), 25);
}

TEST(ColourPicking, TriangleLayoutParts)
{
    TTriangleLayout L;
    ASSERT_TRUE(triangleLayout(160, 160, 11, false, L));
    EXPECT_EQ(L.s, 160);
    EXPECT_EQ(L.E, 20);
    EXPECT_EQ(L.R, 108);
    EXPECT_EQ(L.area, (sRect{53, 33, 134, 126}));
    ASSERT_TRUE(triangleLayout(160, 160, 11, true, L));
    EXPECT_EQ(L.area, (sRect{42, 42, 118, 118}));
    ASSERT_TRUE(triangleLayout(200, 160, 11, true, L));
    EXPECT_EQ(L.margin, (sPos{20, 0}));

    EXPECT_EQ(trianglePartAt(160, 80, 80), tcpArea);
    EXPECT_EQ(trianglePartAt(160, 150, 80), tcpCircle);
    EXPECT_EQ(trianglePartAt(160, 159, 159), tcpNone);
    EXPECT_FLOAT_EQ(triangleHuePick(160, 150, 80), 0);
    EXPECT_FLOAT_EQ(triangleHuePick(160, 80, 5), float(std::numbers::pi / 2));
}

TEST(ColourPicking, TriangleAreaPicks)
{
    const sRect hsv{42, 42, 118, 118};
    float s, v;
    triangleSquarePick(hsv, 42, 42, s, v);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(v, 1);
    triangleSquarePick(hsv, 117, 117, s, v);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(v, 0);
    triangleSquarePick(hsv, 200, -5, s, v);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(v, 1);

    const sRect tri{53, 33, 134, 126}; // Wd 80, Hh 92
    struct Case
    {
        int x, y;
        float s, l;
    } cases[] = {
        {138, 79, 1, 0.5f},   // beyond the apex
        {50, 79, 0, 0.5f},    // left of the base
        {20, 300, 0, 0},      // left of the base, below it: clamped
        {53, 125, 0, 0},      // the bottom base corner: 0 / 0 gives saturation 0
        {53, 33, 0, 1},       // the top base corner
        {133, 79, 1, 0.5f},   // the apex
        {93, 79, 0.5f, 0.5f}, // half way along the middle
        {133, 400, 0, 0},     // far below: black
        {133, -200, 0, 1},    // far above: white
    };
    for (const Case &c : cases) {
        float S, L;
        triangleHSLPick(tri, c.x, c.y, S, L);
        EXPECT_NEAR(S, c.s, 1e-6) << c.x << "," << c.y;
        EXPECT_NEAR(L, c.l, 1e-6) << c.x << "," << c.y;
    }
    // Points beside the slanted edges are projected onto them: always a number in range.
    for (int y = 0; y < 160; y += 7)
        for (int x = 40; x < 150; x += 7) {
            float S, L;
            triangleHSLPick(tri, x, y, S, L);
            ASSERT_TRUE(S >= 0 && S <= 1 && L >= 0 && L <= 1) << x << "," << y;
        }
}

TEST(ColourPicking, CircleAndSliderLayouts)
{
    TCircleLayout C;
    ASSERT_TRUE(circleLayout(160, 142, 11, C));
    EXPECT_EQ(C.A, 160);
    EXPECT_EQ(C.circle, (sRect{5, 5, 137, 137}));
    EXPECT_EQ(C.bar, (sRect{145, 5, 156, 137}));
    float r, h;
    circleWheelPick(142, 11, 71, 71, r, h);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(h, 0);
    circleWheelPick(142, 11, 137, 71, r, h);
    EXPECT_EQ(r, 1);
    circleWheelPick(142, 11, 71, 0, r, h);
    EXPECT_FLOAT_EQ(h, float(std::numbers::pi / 2));
    EXPECT_FLOAT_EQ(circleBarPick(C.bar, 5), 1);
    EXPECT_FLOAT_EQ(circleBarPick(C.bar, 136), 0);

    TSliderLayout S;
    sliderLayout(160, 80, 9, kSliderBarSpacing, S);
    EXPECT_EQ(S.margin, (sPos{0, 0}));
    EXPECT_EQ(S.bars[0], (sRect{4, 5, 156, 21}));
    EXPECT_EQ(S.bars[1], (sRect{4, 24, 156, 40}));
    EXPECT_EQ(S.bars[2], (sRect{4, 43, 156, 59}));
    EXPECT_EQ(S.area, (sRect{4, 62, 156, 76}));
    EXPECT_EQ(sliderPartAt(S, 50, 3), 0);
    EXPECT_EQ(sliderPartAt(S, 50, 21), 0);
    EXPECT_EQ(sliderPartAt(S, 50, 22), 1);
    EXPECT_EQ(sliderPartAt(S, 50, 61), -1);
    EXPECT_EQ(sliderPartAt(S, 50, 70), 3);
    EXPECT_EQ(sliderPartAt(S, 1, 70), -1);
    EXPECT_EQ(sliderMarker(S.bars[0], 1, false, 4, 7), (sPos{151, 14}));
    EXPECT_EQ(sliderMarker(S.bars[0], float(-std::numbers::pi / 2), true, 4, 7),
              (sPos{4 + 113 - 4, 14}));
}
