#include "ui/graphics/colour_space.h"
#include "ui/graphics/memory_graphic.h"

#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
const TColor32 kInk = makeColor32(40, 80, 160, 255);

bool samePixels(const TMemoryGraphic &a, const TMemoryGraphic &b)
{
    return pictureOf(a) == pictureOf(b);
}

// Which of the colours occur (as colour bytes) among the drawn pixels.
bool anyPixelWithColour(const TMemoryGraphic &g, TColor32 c)
{
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x) {
            const TColor32 p = g.GetPixel(x, y);
            if (p.a && p.r == c.r && p.g == c.g && p.b == c.b)
                return true;
        }
    return false;
}

float linear(float t)
{
    return 1 - t;
}

} // namespace

TEST(GraphicsColourSpace, HsvBytesAroundTheCircle)
{
    struct Case
    {
        float h;
        int r, g, b;
    } cases[] = {
        {0, 255, 0, 0},
        {2 * kPi / 3, 0, 255, 0},
        {-2 * kPi / 3, 0, 0, 255}, // a negative hue wraps around
        {kPi / 3, 255, 255, 0},
        {4 * kPi, 255, 0, 0},
    };
    for (const Case &c : cases) {
        uint8_t r, g, b;
        hsvToRGBBytes(c.h, 1, 1, r, g, b);
        EXPECT_EQ(r, c.r) << c.h;
        EXPECT_EQ(g, c.g) << c.h;
        EXPECT_EQ(b, c.b) << c.h;
    }
    uint8_t r, g, b;
    hsvToRGBBytes(1.0f, 0, 0.5f, r, g, b); // no saturation: grey
    EXPECT_EQ(int(r), 128);
    EXPECT_EQ(int(g), 128);
    hsvToRGBBytes(0, 1, 2.0f, r, g, b); // V clamped
    EXPECT_EQ(int(r), 255);
    float R, G, B;
    hsvToRGBSingle(2 * kPi / 3, 1, 1, R, G, B);
    EXPECT_FLOAT_EQ(G, 1);
    EXPECT_NEAR(R, 0, 1e-6);
    EXPECT_NEAR(B, 0, 1e-6);
}

TEST(GraphicsColourSpace, HslAndBackConversions)
{
    uint8_t r, g, b;
    hslToRGBBytes(2.0f, 0, 0.3f, r, g, b);
    EXPECT_EQ(int(r), 77); // Trunc(0.3 * 255 + 0.5)
    EXPECT_EQ(int(g), 77);
    EXPECT_EQ(int(b), 77);
    hslToRGBBytes(0, 1, 0.5f, r, g, b);
    EXPECT_EQ(int(r), 255);
    EXPECT_EQ(int(g), 0);
    EXPECT_EQ(int(b), 0);
    hslToRGBBytes(2 * kPi / 3, 1, 0.25f, r, g, b);
    EXPECT_EQ(int(r), 0);
    EXPECT_EQ(int(g), 128);
    EXPECT_EQ(int(b), 0);

    float H, S, V;
    rgbToHSVSingle(0, 0, 1, H, S, V);
    EXPECT_FLOAT_EQ(H, -2 * kPi / 3);
    EXPECT_FLOAT_EQ(S, 1);
    EXPECT_FLOAT_EQ(V, 1);
    rgbToHSVSingle(0.4f, 0.4f, 0.4f, H, S, V);
    EXPECT_EQ(H, 0);
    EXPECT_EQ(S, 0);
    EXPECT_FLOAT_EQ(V, 0.4f);
    float L;
    rgbToHSLSingle(0, 1, 0, H, S, L);
    EXPECT_FLOAT_EQ(H, 2 * kPi / 3);
    EXPECT_FLOAT_EQ(S, 1);
    EXPECT_FLOAT_EQ(L, 0.5f);
    rgbToHSLSingle(1, 1, 1, H, S, L);
    EXPECT_EQ(L, 1);
    rgbToHSLSingle(0, 0, 0, H, S, L);
    EXPECT_EQ(L, 0);
}

TEST(GraphicsColourSpace, AirMapProfile)
{
    struct Case
    {
        TMapProc map;
        float flat, add, t, expected;
    } cases[] = {
        {linear, 0, 0, 0, 1},       {linear, 0, 0, 0.25f, 0.75f},   {linear, 1, 0, 0.5f, 1},
        {linear, 0, 1, 0.5f, 1},    {linear, 0.5f, 0, 0.75f, 0.5f}, {linear, 0.5f, 0, 0.25f, 1},
        {linear, 0, 0.5f, 1, 0.5f}, {nullptr, 0, 0, 0.5f, 1},
    };
    for (const Case &c : cases)
        EXPECT_FLOAT_EQ(evalAirMap(c.map, c.flat, c.add, c.t), c.expected)
            << c.flat << " " << c.add << " " << c.t;
}

TEST(GraphicsShapes, SmallDiscStillTouchesItsNearestPixel)
{
    TMemoryGraphic g(11, 11, clNone32);
    EXPECT_TRUE(g.FillCircle(TPointSingle{5, 5.5f}, 0.4f, kInk, blendNormal, blendNormal));
    const TColor32 p = g.GetPixel(5, 5);
    EXPECT_GT(p.a, 0);
    EXPECT_LT(p.a, 255);
    EXPECT_EQ(g.GetPixel(5, 8).a, 0);
}

TEST(GraphicsShapes, RingAsWideAsItsRadiusIsTheDisc)
{
    TMemoryGraphic ring(13, 13, clNone32), disc(13, 13, clNone32);
    EXPECT_TRUE(ring.DrawCircle(sPos{1, 1}, 11, 5, kInk, blendNormal, blendNormal));
    EXPECT_TRUE(disc.FillCircle(sPos{1, 1}, 11, kInk, blendNormal, blendNormal));
    EXPECT_TRUE(samePixels(ring, disc));
    // A thinner ring leaves its hole.
    TMemoryGraphic thin(13, 13, clNone32);
    EXPECT_TRUE(thin.DrawCircle(sPos{1, 1}, 11, 2, kInk, blendNormal, blendNormal));
    EXPECT_EQ(thin.GetPixel(6, 6).a, 0);
    EXPECT_EQ(thin.GetPixel(6, 1).a, 255);
    // A box hanging over the top-left corner gives a smaller whole circle.
    TMemoryGraphic corner(8, 8, clNone32);
    EXPECT_TRUE(corner.FillCircle(sPos{-3, -3}, 11, kInk, blendNormal, blendNormal));
    EXPECT_EQ(corner.GetPixel(0, 0).a, corner.GetPixel(7, 7).a);
}

TEST(GraphicsShapes, EllipseAxesDoNotDependOnTheirOrder)
{
    TMemoryGraphic wide(30, 30, clNone32), tall(30, 30, clNone32);
    EXPECT_TRUE(wide.FillEllipse({15, 15}, {10, 4}, 0, kInk, blendNormal, blendNormal));
    EXPECT_TRUE(tall.FillEllipse({15, 15}, {4, 10}, 0, kInk, blendNormal, blendNormal));
    EXPECT_TRUE(samePixels(wide, tall));
    EXPECT_EQ(wide.GetPixel(24, 15).a, 255); // wide, not tall
    EXPECT_EQ(wide.GetPixel(15, 24).a, 0);
    TMemoryGraphic turned(30, 30, clNone32);
    EXPECT_TRUE(turned.FillEllipse({15, 15}, {10, 4}, kPi / 2, kInk, blendNormal, blendNormal));
    EXPECT_EQ(turned.GetPixel(15, 24).a, 255);
}

TEST(GraphicsShapes, TwoColourEllipseInnerShare)
{
    const TColor32 heavy = makeColor32(0, 0, 255, 255), light = makeColor32(255, 0, 0, 255);
    TMemoryGraphic one(24, 24, clNone32), zero(24, 24, clNone32), half(24, 24, clNone32);
    EXPECT_TRUE(one.FillEllipse({12, 12}, {8, 8}, 1, 0, heavy, light, blendCopy, blendNormal));
    EXPECT_TRUE(anyPixelWithColour(one, heavy));
    EXPECT_FALSE(anyPixelWithColour(one, light));
    EXPECT_TRUE(zero.FillEllipse({12, 12}, {8, 8}, 0, 0, heavy, light, blendCopy, blendNormal));
    EXPECT_TRUE(anyPixelWithColour(zero, light));
    EXPECT_FALSE(anyPixelWithColour(zero, heavy));
    EXPECT_TRUE(half.FillEllipse({12, 12}, {8, 8}, 0.5f, 0, heavy, light, blendCopy, blendNormal));
    EXPECT_EQ(px(half.GetPixel(12, 12)), px(heavy));
    EXPECT_EQ(px(half.GetPixel(19, 12)), px(light));
}

TEST(GraphicsShapes, DegenerateShapesDrawNothing)
{
    TMemoryGraphic g(10, 10, clNone32);
    EXPECT_FALSE(g.DrawLine({3, 3}, {3, 3}, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.GradientEllipse({5, 5}, {0, 4}, 0, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(
        g.GradientEllipse({5, 5}, {4, 0}, 0, kInk, linear, 0, 0, blendNormal, blendNormal));
    EXPECT_FALSE(g.FillRightTriangle({2, 2}, {2, 8}, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.DrawPolyLine(nullptr, 0, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.FillHueSaturationCircle({0, 0}, 1, 0, 1, 1, blendNormal, blendNormal, true));
    EXPECT_EQ(pictureOf(g), pictureOf(TMemoryGraphic(10, 10, clNone32)));
    // Far outside the picture: nothing, and no write outside it.
    EXPECT_FALSE(g.FillCircle(TPointSingle{-100, -100}, 5, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.DrawLine({20, 20}, {40, 30}, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.FillCircle(TPointSingle{1e12f, 0}, 5, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.FillEllipse({5, 5}, {std::nanf(""), 3}, 0, kInk, blendNormal, blendNormal));
    EXPECT_FALSE(g.DrawLine({std::nanf(""), 0}, {5, 5}, kInk, blendNormal, blendNormal));
}

TEST(GraphicsShapes, LinesKeepInsideAndEndLightly)
{
    TMemoryGraphic g(10, 10, clNone32);
    EXPECT_TRUE(g.DrawLine({0, 2}, {9, 2}, kInk, blendCopy, blendNormal));
    EXPECT_EQ(g.GetPixel(0, 2).a, 255);
    EXPECT_EQ(g.GetPixel(9, 2).a, 63); // the last step at a quarter
    EXPECT_EQ(g.GetPixel(4, 3).a, 0);
    // A line running off the right edge is bent onto it.
    TMemoryGraphic h(10, 10, clNone32);
    EXPECT_TRUE(h.DrawLine({2, 5}, {30, 5}, kInk, blendCopy, blendNormal));
    EXPECT_EQ(h.GetPixel(9, 5).a, 255);
}

TEST(GraphicsShapes, GoldenShapes)
{
    TMemoryGraphic g(96, 64, clNone32);
    const TColor32 red = makeColor32(0, 0, 220, 255), blue = makeColor32(220, 60, 0, 255);
    const TColor32 green = makeColor32(0, 180, 0, 200);
    g.FillCircle(TPointSingle{8.3f, 8.6f}, 6.2f, red, blendNormal, blendNormal);
    g.DrawCircle(sPos{17, 1}, 15, 2.5f, blue, blendNormal, blendNormal);
    g.FillEllipse({42, 9}, {8, 3.5f}, kPi / 6, green, blendNormal, blendNormal);
    g.FillEllipse({60, 9}, {8, 6}, 0.35f, -0.5f, red, blue, blendNormal, blendNormal);
    g.GradientEllipse({80, 9}, {8, 5}, 0.8f, blue, blendNormal, blendNormal);
    g.GradientEllipse({9, 27}, {8, 8}, 0, red, linear, 0.3f, 0.1f, blendNormal, blendNormal);
    g.FillRightTriangle({20, 20}, {30, 34}, blue, blendNormal, blendNormal);
    g.FillRightTriangle({44, 20}, {34, 34}, red, blendNormal, blendNormal);
    g.FillRightTriangle({48, 34}, {60, 20}, green, blendNormal, blendNormal);
    g.FillRightTriangle({74, 34}, {62, 20}, blue, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({2, 38, 14, 49}, red, adLeftRight, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({16, 38, 28, 49}, red, adRightLeft, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({30, 38, 41, 50}, blue, adBottomTop, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({43, 38, 54, 50}, blue, adTopBottom, blendNormal, blendNormal);
    g.FillIsoscelesTriangle({56, 38, 74, 52}, red, green, blue, adLeftRight, blendNormal,
                            blendNormal);
    g.FillIsoscelesTriangle({76, 38, 94, 56}, red, green, blue, adBottomTop, blendNormal,
                            blendNormal);
    const TPointSingle zigzag[] = {{2, 62}, {12, 53}, {22, 61.5f}, {40, 54.2f}, {52, 62}};
    g.DrawPolyLine(zigzag, 5, makeColor32(0, 0, 0, 255), blendNormal, blendNormal);
    g.DrawLine({56, 63}, {70, 55}, red, blendNormal, blendNormal);
    EXPECT_GOLDEN(pictureOf(g), "shapes");
}

TEST(GraphicsShapes, GoldenColourFields)
{
    TMemoryGraphic g(104, 56, clNone32);
    const auto n = blendNormal;
    g.FillHueRectangle({0, 0, 24, 8}, 0, 1, 1, 1, adLeftRight, n, n, true);
    g.FillHueRectangle({0, 10, 24, 18}, 1, 0.6f, 0.5f, 1, adRightLeft, n, n, false);
    g.FillSaturationRectangle({26, 0, 34, 24}, 2, 1, 1, adTopBottom, n, n, true);
    g.FillValueRectangle({36, 0, 44, 24}, 4, 1, 0.7f, adBottomTop, n, n, true);
    g.FillHueValueRectangle({46, 0, 70, 24}, 0, 1, 1, adLeftRight, adBottomTop, n, n, true);
    g.FillHueSaturationRectangle({72, 0, 96, 24}, 0, 0.5f, 1, adLeftRight, adTopBottom, n, n,
                                 false);
    g.FillSaturationValueRectangle({0, 26, 24, 50}, 1.2f, 1, adLeftRight, adBottomTop, n, n, true);
    g.FillHueCircle({26, 26}, 24, 0, 1, 1, 1, n, n, true);
    g.FillHueSaturationCircle({52, 26}, 24, 0, 1, 1, n, n, true);
    g.FillHueValueCircle({78, 26}, 24, 0, 1, 1, n, n, true);
    g.DrawHueCircle({0, 50}, 6, 1, 0, 1, 1, 1, n, n, true);
    EXPECT_GOLDEN(pictureOf(g), "colour-fields");
}

TEST(GraphicsShapes, OnePixelRampTakesItsStartValue)
{
    TMemoryGraphic g(1, 3, clNone32);
    EXPECT_TRUE(
        g.FillSaturationRectangle({0, 0, 1, 3}, 0, 1, 1, adLeftRight, blendCopy, blendCopy, true));
    EXPECT_EQ(px(g.GetPixel(0, 0)), "255,255,255,255"); // saturation 0
    EXPECT_TRUE(
        g.FillSaturationRectangle({0, 0, 1, 3}, 0, 1, 1, adRightLeft, blendCopy, blendCopy, true));
    EXPECT_EQ(px(g.GetPixel(0, 0)), "0,0,255,255"); // saturation 1
}
