#include "paint/brush/shape_image_param.h"

#include "core/image/channel.h"
#include "paint/presets/pen_presets.h"

#include <gtest/gtest.h>

using enum TPaintAirMap;

TEST(ShapeImageParam, ScaleRangeOfAnImageNib)
{
    struct Case
    {
        sSize size;
        float min, max;
    } cases[] = {
        {{100, 400}, 0.04f, 1.28f}, {{1, 1}, 4.0f, 5.0f},   {{1000, 1000}, 0.01f, 0.512f},
        {{0, 0}, 0.01f, 5.0f},      {{0, 50}, 0.01f, 5.0f},
    };
    for (const Case &c : cases) {
        float min = -1, max = -1;
        getShapeImageScaleRange(min, max, c.size);
        EXPECT_FLOAT_EQ(min, c.min) << c.size.x << "x" << c.size.y;
        EXPECT_FLOAT_EQ(max, c.max) << c.size.x << "x" << c.size.y;
    }
}

TEST(ShapeImageParam, FallOffCurves)
{
    struct Case
    {
        TPaintAirMap map;
        float t, value;
    } cases[] = {
        {pamLinear, 0.25f, 0.75f}, {pamGamma, 0.5f, 0.3f},   {pamGamma, 0.0f, 1.0f},
        {pamCircle, 0.6f, 0.8f},   {pamSquare, 0.5f, 0.75f}, {pamRoundTop, 0.5f, 0.5f},
        {pamRoundTop, 1.0f, 0.0f}, {pamPinTop, 0.0f, 1.0f},  {pamPinTop, 0.4f, 0.2f},
        {pamFlat, 0.7f, 1.0f},     {pamNo, 0.9f, 1.0f},      {TPaintAirMap(99), 0.5f, 1.0f},
    };
    for (const Case &c : cases)
        EXPECT_NEAR(getAirMapCurve(c.map)(c.t), c.value, 1e-6) << int(c.map) << " at " << c.t;
}

TEST(ShapeImageParam, FromANibPreset)
{
    TShapeImageParam p;
    initShapeImageParam(p);
    EXPECT_FLOAT_EQ(p.Radius, 1.0f);
    EXPECT_FLOAT_EQ(p.MinRadius, 1.0f);
    EXPECT_FLOAT_EQ(p.Aspect, 1.0f);
    EXPECT_FLOAT_EQ(p.ShapeImageScale, 1.0f);
    EXPECT_EQ(p.ShapeImage, nullptr);

    shapeObjToShapeImageParam(nullptr, p);
    EXPECT_FLOAT_EQ(p.Radius, 1.0f) << "nothing for nil";

    SPenShapeData data;
    data.map = {eGradeMap::GMAP_PINTOP, 250, 100};
    data.param = {1200, 500, 450, 600};
    data.attr.antiOff = 1;
    CPenShapeObj nib(data);
    shapeObjToShapeImageParam(&nib, p);
    EXPECT_FLOAT_EQ(p.Radius, 12.0f);
    EXPECT_FLOAT_EQ(p.MinRadius, 0.6f);
    EXPECT_FLOAT_EQ(p.Aspect, 0.5f);
    EXPECT_FLOAT_EQ(p.Rotation, 45.0f);
    EXPECT_EQ(p.AirMap, pamPinTop);
    EXPECT_FLOAT_EQ(p.Flat, 0.25f);
    EXPECT_TRUE(p.Digitize);
    EXPECT_FALSE(p.UseShapeImage);

    auto tip = std::make_unique<TChannel>(3, 2);
    tip->PixelFill(0);
    *tip->seek8(2, 1) = 200;
    ASSERT_TRUE(nib.attachImage(std::move(tip), false));
    ASSERT_TRUE(nib.changeZoom(300));
    shapeObjToShapeImageParam(&nib, p);
    ASSERT_TRUE(p.UseShapeImage);
    EXPECT_EQ(p.ShapeImageSize, (sSize{3, 2}));
    EXPECT_FLOAT_EQ(p.ShapeImageScale, 3.0f);
    EXPECT_FLOAT_EQ(p.Radius, 3.0f * 3 / 2) << "the nib's real radius";
    ASSERT_NE(p.ShapeImage, nullptr);
    EXPECT_EQ(p.ShapeImage[0], 255);
    EXPECT_EQ(p.ShapeImage[1 * 3 + 2], 55) << "inverted, rows from the top";

    // A copy of the record shares the image it owns.
    const TShapeImageParam q = p;
    freeShapeImageParam(p);
    EXPECT_EQ(p.ShapeImage, nullptr);
    EXPECT_FALSE(p.UseShapeImage);
    EXPECT_EQ(p.ShapeImageSize, (sSize{}));
    EXPECT_EQ(q.ShapeImage[1 * 3 + 2], 55);
}
