#include "ui/graphics/brush_previews.h"

#include "core/image/canvas.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const TColor32 kHeavy = makeColor32(30, 30, 160, 255);
const TColor32 kLight = makeColor32(200, 190, 250, 255);

TShapeImageParam roundNib(float radius)
{
    TShapeImageParam p;
    initShapeImageParam(p);
    p.Radius = radius;
    p.MinRadius = 0.4f;
    p.AirMap = TPaintAirMap::pamLinear;
    return p;
}

// A 16 x 12 image nib: a diamond of full paint with a soft rim.
const std::vector<uint8_t> &diamond()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(16 * 12);
        for (int y = 0; y < 12; ++y)
            for (int x = 0; x < 16; ++x) {
                const double d = std::abs(x - 7.5) / 8 + std::abs(y - 5.5) / 6;
                b[size_t(y * 16 + x)] = uint8_t(d < 0.8 ? 255 : d < 1 ? 128 : 0);
            }
        return b;
    }();
    return bytes;
}

} // namespace

TEST(GraphicsPreviews, AirMapProfileColumnsFollowTheCurve)
{
    const std::vector<int32_t> cols = airMapProfileColumns(10, 10, TPaintAirMap::pamLinear, 0, 0);
    ASSERT_EQ(cols.size(), 40u);
    EXPECT_EQ(cols[20], 40);
    EXPECT_EQ(cols[19], 38);
    EXPECT_EQ(cols[21], 36);
    EXPECT_EQ(cols[0], 0);
    EXPECT_EQ(cols[39], 0);
    const std::vector<int32_t> flat = airMapProfileColumns(10, 10, TPaintAirMap::pamFlat, 0, 0);
    EXPECT_EQ(flat[3], 40);
}

TEST(GraphicsPreviews, AirMapProfileDrawsIntoItsRectangleOnly)
{
    TMemoryGraphic g(14, 12, clNone32);
    EXPECT_FALSE(drawAirMapProfile(g, {2, 2, 2, 8}, TPaintAirMap::pamLinear, 0, 0, clBlack32));
    EXPECT_FALSE(drawAirMapProfile(g, {-1, 0, 9, 10}, TPaintAirMap::pamLinear, 0, 0, clBlack32));
    EXPECT_FALSE(drawAirMapProfile(g, {5, 5, 15, 12}, TPaintAirMap::pamLinear, 0, 0, clBlack32));
    EXPECT_EQ(pictureOf(g), pictureOf(TMemoryGraphic(14, 12, clNone32)));
    TMemoryGraphic w(14, 12, clWhite32);
    EXPECT_TRUE(drawAirMapProfile(w, {2, 1, 12, 11}, TPaintAirMap::pamLinear, 0, 0, clBlack32));
    EXPECT_EQ(px(w.GetPixel(7, 10)), "0,0,0,255");      // the middle, bottom row: all set
    EXPECT_EQ(px(w.GetPixel(2, 1)), "255,255,255,255"); // the top-left corner: none set
    EXPECT_EQ(w.GetPixel(1, 10), clWhite32);            // outside the rectangle
}

TEST(GraphicsPreviews, GoldenBrushShapes)
{
    QList<QImage> shots;
    auto shot = [&](const TShapeImageParam &p, bool gradient, float scale) {
        TMemoryGraphic g(32, 32, clWhite32);
        EXPECT_TRUE(drawBrushShape(g, p, kHeavy, kLight, gradient, scale));
        shots << pictureOf(g);
    };
    shot(roundNib(10), false, 1.0f);
    TShapeImageParam elliptic = roundNib(12);
    elliptic.Aspect = 0.4f;
    elliptic.Rotation = 30;
    shot(elliptic, false, 1.0f);
    TShapeImageParam soft = roundNib(13);
    soft.AirMap = TPaintAirMap::pamRoundTop;
    soft.Flat = 0.2f;
    shot(soft, true, 1.0f);
    TShapeImageParam image = roundNib(10);
    image.UseShapeImage = true;
    image.ShapeImage = diamond().data();
    image.ShapeImageSize = {16, 12};
    image.Rotation = 20;
    shot(image, false, 1.5f);
    image.Digitize = true;
    shot(image, false, 1.5f);
    EXPECT_GOLDEN(sideBySide(shots), "brush-shapes");
}

TEST(GraphicsPreviews, ImageNibWithoutBytesFails)
{
    TShapeImageParam p = roundNib(5);
    p.UseShapeImage = true;
    p.Digitize = true;
    TMemoryGraphic g(16, 16, clWhite32);
    EXPECT_FALSE(drawBrushShape(g, p, kHeavy, kLight, false, 1));
}

TEST(GraphicsPreviews, IconTakesTheGraphicsAlpha)
{
    TPaintParam param(TPaintMode::pmPencil5);
    TMTC icon(2, 2);
    icon.fillAll(0xFF0000FFu); // blue, opaque
    param.SetIconImage(&icon);
    TMemoryGraphic g(10, 10, makeColor32(9, 9, 9, 100));
    EXPECT_FALSE(DrawIcon(param, g, {3, 3, 3, 8}));
    EXPECT_TRUE(DrawIcon(param, g, {2, 2, 8, 8}));
    EXPECT_EQ(px(g.GetPixel(2, 2)), "255,0,0,100");
    EXPECT_EQ(px(g.GetPixel(7, 7)), "255,0,0,100");
    EXPECT_EQ(px(g.GetPixel(1, 1)), "9,9,9,100"); // untouched background
    EXPECT_EQ(px(g.GetPixel(8, 8)), "9,9,9,100");
}

TEST(GraphicsPreviews, DrawShapeUsesTheBrushsNib)
{
    TPaintParam param(TPaintMode::pmPencil5);
    param.setRadius(6);
    param.setAspect(1);
    TMemoryGraphic a(20, 20, clWhite32), b(20, 20, clWhite32);
    EXPECT_TRUE(DrawShape(param, a, kHeavy, kLight, false, 1));
    EXPECT_TRUE(drawBrushShape(b, param.GetShapeImageParam(), kHeavy, kLight, false, 1));
    EXPECT_EQ(pictureOf(a), pictureOf(b));
    EXPECT_NE(a.GetPixel(10, 10), clWhite32);
}
