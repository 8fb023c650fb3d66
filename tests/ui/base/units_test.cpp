// Lengths between units at a resolution, and the limits of a new image's sides and resolution.
#include "ui/base/units.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ConversionCase
{
    TUnitType from, to;
    float value, dpi, expected;
};

const ConversionCase kConversions[] = {
    {utpixel, utmm, 300, 300, 25.4f},
    {utcm, utmm, 2.5f, 72, 25},
    {utmm, utcm, 25, 72, 2.5f},
    {utinch, utcm, 2, 0, 5.08f}, // no pixels involved: the resolution is not used
    {utmm, utinch, 25.4f, 0, 1},
    {utinch, utpixel, 1.5f, 200, 300},
    {utpixel, utinch, 150, 100, 1.5f},
    {utcm, utpixel, 2.54f, 96, 96},
};

TEST(Units, ConvertsBetweenLengthUnits)
{
    for (const ConversionCase &c : kConversions) {
        EXPECT_TRUE(canConvertUnit(c.from, c.to, c.dpi)) << c.from << "->" << c.to;
        EXPECT_FLOAT_EQ(convertUnitValue(c.from, c.to, c.value, c.dpi), c.expected)
            << c.from << "->" << c.to << " of " << c.value;
    }
}

// A new A4 page at 150 dpi: the millimetres go to pixels and are rounded as the dialogs round
// (Trunc(v + 0.5)).
TEST(Units, AnA4PageAt150DpiIs1240By1754Pixels)
{
    const float w = convertUnitValue(utmm, utpixel, 210, 150);
    const float h = convertUnitValue(utmm, utpixel, 297, 150);
    EXPECT_EQ(int(std::trunc(double(w) + 0.5)), 1240);
    EXPECT_EQ(int(std::trunc(double(h) + 0.5)), 1754);
}

TEST(Units, PercentAndAMissingResolutionAreRefusedAndLeaveTheValue)
{
    const struct
    {
        TUnitType from, to;
        float dpi;
    } refused[] = {
        {utpercent, utmm, 72}, {utpixel, utpercent, 72}, {utpercent, utpercent, 72},
        {utpixel, utmm, 0},    {utinch, utpixel, 0},     {utcm, utpixel, -72},
    };
    for (const auto &c : refused) {
        EXPECT_FALSE(canConvertUnit(c.from, c.to, c.dpi)) << c.from << "->" << c.to;
        const float v = convertUnitValue(c.from, c.to, 123.5f, c.dpi);
        EXPECT_EQ(v, 123.5f) << c.from << "->" << c.to;
        EXPECT_TRUE(std::isfinite(v));
    }
}

TEST(Units, ThePixelRangeOfAnImageSide)
{
    for (const float dpi : {1.0f, 72.0f, 350.0f}) {
        float min = 0, max = 0;
        pixelRangeInUnit(min, max, utpixel, dpi);
        EXPECT_EQ(min, 8);
        EXPECT_EQ(max, 10000);
    }
    float min = 0, max = 0;
    pixelRangeInUnit(min, max, utinch, 100);
    EXPECT_FLOAT_EQ(min, 0.08f);
    EXPECT_FLOAT_EQ(max, 100);
}

TEST(Units, TheResolutionRangeForASide)
{
    const struct
    {
        float size, min, max;
    } cases[] = {
        {1, 72, 600}, {50, 72, 200}, {0.05f, 160, 600}, {0, 72, 600}, {-3, 72, 600},
    };
    for (const auto &c : cases) {
        float min = 0, max = 0;
        resolutionRange(min, max, c.size);
        EXPECT_FLOAT_EQ(min, c.min) << "side " << c.size;
        EXPECT_FLOAT_EQ(max, c.max) << "side " << c.size;
    }
}

} // namespace
