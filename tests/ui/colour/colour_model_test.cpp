#include "ui/colour/colour_model.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(ColourModel, SettersKeepTheTriplesConsistent)
{
    TColorManager m;
    EXPECT_EQ(m.ColorSpace(), cpRGB);
    int changes = 0;
    m.OnChange = [&](QObject *s) {
        EXPECT_EQ(s, &m);
        ++changes;
    };

    // The order of the components is the family's, whatever the space's name says.
    m.SetValues(0.5f, 1, 1, cpVHS);
    EXPECT_EQ(float(m.HSV().h), 0.5f);
    EXPECT_EQ(float(m.HSV().s), 1);
    EXPECT_EQ(float(m.HSV().v), 1);
    EXPECT_EQ(float(m.HSL().h), 0.5f);
    EXPECT_EQ(m.ColorSpace(), cpRGB);
    EXPECT_EQ(changes, 1);

    // A grey written as HSV keeps the written hue in both hue triples.
    m.setHSV({2, 0, 0.5f});
    EXPECT_EQ(float(m.HSV().h), 2);
    EXPECT_EQ(float(m.HSL().h), 2);
    EXPECT_FLOAT_EQ(float(m.RGB().r), 0.5f);
    EXPECT_FLOAT_EQ(float(m.RGB().g), 0.5f);
    EXPECT_FLOAT_EQ(float(m.RGB().b), 0.5f);
    EXPECT_EQ(float(m.HSL().s), 0);
    EXPECT_FLOAT_EQ(float(m.HSL().l), 0.5f);
    m.setHSL({1, 0, 1});
    EXPECT_EQ(float(m.HSV().h), 1);
    EXPECT_EQ(float(m.HSV().v), 1);

    // An RGB write recomputes both hues: a grey has hue 0.
    changes = 0;
    m.setRGB({0.25f, 0.25f, 0.25f});
    m.setRGB({0.25f, 0.25f, 0.25f});
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(float(m.HSV().h), 0);
    EXPECT_EQ(float(m.HSL().h), 0);
}

TEST(ColourModel, ColorsWritesAreSilentAndUnconverted)
{
    TColorManager m;
    int changes = 0;
    m.OnChange = [&](QObject *) { ++changes; };
    m.SetValues(1, 0, 0, cpRGB);
    changes = 0;

    TColorPickerValue v = m.Colors();
    v.space = cpHSL;
    m.setColors(v);
    EXPECT_EQ(m.ColorSpace(), cpHSL);
    EXPECT_EQ(compareColorPickerValues(m.Colors(), v), 0);

    // Stored as given, even when the triples disagree.
    v.rgb = {0, 0, 1};
    m.setColors(v);
    EXPECT_EQ(float(m.RGB().b), 1);
    EXPECT_EQ(float(m.HSV().h), 0);
    EXPECT_EQ(changes, 0);
}

TEST(ColourModel, CompareValues)
{
    TColorPickerValue a;
    color32ToColorPickerValue(makeColor32(10, 20, 30, 255), a);
    TColorPickerValue b = a;
    EXPECT_EQ(compareColorPickerValues(a, a), 0);
    b.space = cpLHS;
    EXPECT_EQ(compareColorPickerValues(a, b), 1);
    b.hsl.l += 0.001f;
    EXPECT_EQ(compareColorPickerValues(a, b), 2);
    b = a;
    b.rgb.r = std::nextafter(a.rgb.r, 1.0f);
    EXPECT_EQ(compareColorPickerValues(a, b), 2);
}

TEST(ColourModel, Color32ConversionsClampAndRoundTrip)
{
    TColorManager m;
    m.setRGB({1, 0.5f, 0});
    const TColor32 c = m.Color32();
    EXPECT_EQ(c.r, 255);
    EXPECT_EQ(c.g, 128);
    EXPECT_EQ(c.b, 0);

    // A component just beyond 1 stays white and one below 0 black (without the clamp 1.01
    // wrapped round to 2).
    TColorPickerValue v;
    v.rgb = {1.01f, -0.1f, 0.5f};
    const TColor32 d = colorPickerValueToColor32(v, 77);
    EXPECT_EQ(d.r, 255);
    EXPECT_EQ(d.g, 0);
    EXPECT_EQ(d.b, 128);
    EXPECT_EQ(d.a, 77);
    v.rgb = {NAN, 2, -3};
    EXPECT_EQ(colorPickerValueToColor32(v, 0).bgra, makeColor32(0, 255, 0, 0).bgra);

    m.setColor32(makeColor32(0, 0, 255, 9));
    EXPECT_EQ(float(m.RGB().r), 1);
    EXPECT_EQ(float(m.RGB().b), 0);

    for (int i = 0; i < 256; ++i) {
        TColorPickerValue g;
        color32ToColorPickerValue(makeColor32(uint8_t(i), uint8_t(i), uint8_t(i), 255), g);
        EXPECT_EQ(g.space, cpRGB);
        EXPECT_EQ(float(g.hsv.h), 0);
        EXPECT_EQ(float(g.hsv.s), 0);
        const TColor32 back = colorPickerValueToColor32(g, 255);
        EXPECT_EQ(back.bgra, makeColor32(uint8_t(i), uint8_t(i), uint8_t(i), 255).bgra) << i;
    }
}

TEST(ColourModel, RGBToValueFillsAllTriples)
{
    TColorPickerValue v;
    v.space = cpLHS;
    rgbToColorPickerValue({0, 1, 0}, v);
    EXPECT_EQ(v.space, cpRGB);
    EXPECT_NEAR(float(v.hsv.h), 2 * M_PI / 3, 1e-5);
    EXPECT_EQ(float(v.hsv.s), 1);
    EXPECT_EQ(float(v.hsv.v), 1);
    EXPECT_NEAR(float(v.hsl.h), 2 * M_PI / 3, 1e-5);
    EXPECT_EQ(float(v.hsl.s), 1);
    EXPECT_FLOAT_EQ(float(v.hsl.l), 0.5f);
}
