// The light models: reach, amounts, the cone of the directed lights and their profiles.
#include "filters/algorithms/light_models.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

SFltLight light(int32_t kind, int32_t power, uint32_t colour, int32_t range, float posx, float posy,
                int32_t posz, float theta = 0, float phi = 0, int32_t wide = 0)
{
    SFltLight l;
    initFltLight(l);
    l.kind = kind;
    l.power = power;
    l.color.all = colour;
    l.range = range;
    l.posx = posx;
    l.posy = posy;
    l.posz = posz;
    l.theta = theta;
    l.phi = phi;
    l.wide = wide;
    return l;
}

struct Amounts
{
    bool lit;
    int32_t R, G, B;
};

Amounts calc(const TLight4 &m, int32_t x, int32_t y)
{
    Amounts a{};
    a.lit = m.CalcPixel(a.R, a.G, a.B, x, y);
    return a;
}

TEST(LightModels, PointLightReachIsMeasuredAgainstTheLargerSideIn3D)
{
    // Range 100 over 200 x 100: a reach of 200 pixels from the light at (100, 50).
    const auto flat =
        createLightModel(light(flkPoint, 100, 0x00FFFFFF, 100, 0.5f, 0.5f, 0), 200, 100);
    ASSERT_TRUE(flat);
    EXPECT_TRUE(calc(*flat, 100 + 199, 50).lit);
    EXPECT_FALSE(calc(*flat, 100 + 200, 50).lit);
    EXPECT_TRUE(calc(*flat, 100, 50 + 199).lit);
    // posz 60 puts the light 120 pixels up: 160 across is 200 away.
    const auto high =
        createLightModel(light(flkPoint, 100, 0x00FFFFFF, 100, 0.5f, 0.5f, 60), 200, 100);
    ASSERT_TRUE(high);
    EXPECT_TRUE(calc(*high, 100 + 159, 50).lit);
    const Amounts out = calc(*high, 100 + 160, 50);
    EXPECT_FALSE(out.lit);
    EXPECT_EQ(out.R + out.G + out.B, 0);
}

TEST(LightModels, FullAmountsAtTheFootOfALightOnThePicture)
{
    // power 300 with red 252: 756, left for the caller to clamp.
    const auto m = createLightModel(light(flkPoint, 300, 0x00FC1E0A, 50, 0.5f, 0.5f, 0), 100, 100);
    ASSERT_TRUE(m);
    const Amounts a = calc(*m, 50, 50);
    EXPECT_TRUE(a.lit);
    EXPECT_EQ(a.R, 756);
    EXPECT_EQ(a.G, 90);
    EXPECT_EQ(a.B, 30);
    // Off the foot the fall-off cos^2 applies.
    const Amounts b = calc(*m, 60, 50);
    const double f = std::pow(std::cos(10.0 / 50 * std::numbers::pi / 2), 2);
    EXPECT_EQ(b.R, int32_t(756 * f));
}

TEST(LightModels, SpotPointingDownLightsADiscOfItsHalfCone)
{
    // 50 pixels up, a 60 degree cone: lit where the angle from the vertical is below 30 degrees
    // (28.87 pixels from the foot at this height).
    const auto m =
        createLightModel(light(flkSpot, 100, 0x00FFFFFF, 1000, 0.5f, 0.5f, 50, 0, 0, 60), 100, 100);
    ASSERT_TRUE(m);
    const auto &spot = static_cast<const TSpotLight &>(*m);
    for (int dx : {0, 10, 20, 28}) {
        const Amounts a = calc(spot, 50 + dx, 50);
        ASSERT_TRUE(a.lit) << dx;
        const double d = std::sqrt(double(dx * dx + 50 * 50));
        const float c = float((1 - 50 / d) * spot.FWide);
        const float n = float(d * spot.FRange);
        EXPECT_EQ(a.R, int32_t(spot.FR * (long double)spot.Filter(n, c))) << dx;
    }
    EXPECT_FALSE(calc(spot, 50 + 29, 50).lit);
    EXPECT_FALSE(calc(spot, 50, 50 - 29).lit);
}

TEST(LightModels, NothingUnderADirectedLightAtHeightZero)
{
    for (int32_t kind : {flkWarm, flkSpot}) {
        const auto m =
            createLightModel(light(kind, 100, 0x00FFFFFF, 100, 0.5f, 0.5f, 0, 0, 0, 90), 100, 100);
        ASSERT_TRUE(m);
        const Amounts a = calc(*m, 50, 50);
        EXPECT_FALSE(a.lit);
        EXPECT_EQ(a.R + a.G + a.B, 0);
    }
}

TEST(LightModels, SpotProfileAndAttenuation)
{
    TSpotLight spot;
    EXPECT_NEAR(spot.Filter(0, 0.9f), 0.8f, 1e-6);
    EXPECT_NEAR(spot.Filter(0, 0.95f), 0.2f, 1e-6);
    EXPECT_NEAR(spot.Filter(0, 1.0f), 0.0f, 1e-6);
    EXPECT_NEAR(spot.Filter(0, 0.0f), 1.0f, 1e-6);
    EXPECT_NEAR(spot.Filter(0.5f, 0.0f), std::cos(std::numbers::pi / 4), 1e-6);
    TWarmLight warm;
    EXPECT_NEAR(warm.Filter(0, 0.5f), std::pow(0.75, 1.2), 1e-6);
    EXPECT_FLOAT_EQ(spot.Attenuate(0), 1.0f);
    EXPECT_NEAR(spot.Attenuate(0.5f), 0.5f, 1e-6);
}

TEST(LightModels, PreviewIsThePointLightForEveryClass)
{
    const SFltLight l = light(flkSpot, 100, 0x00FFFFFF, 100, 0.5f, 0.5f, 20, 0.3f, 0.4f, 30);
    const auto spot = createLightModel(l, 80, 60);
    SFltLight pl = l;
    pl.kind = flkPoint;
    const auto point = createLightModel(pl, 80, 60);
    ASSERT_TRUE(spot && point);
    for (int y = 0; y < 60; y += 7)
        for (int x = 0; x < 80; x += 7) {
            Amounts a{}, b{};
            a.lit = spot->CalcPixelPreview(a.R, a.G, a.B, x, y);
            b.lit = point->CalcPixel(b.R, b.G, b.B, x, y);
            EXPECT_EQ(a.lit, b.lit);
            EXPECT_EQ(a.R, b.R);
        }
}

// Records that would divide by zero or are not numbers make no model.
TEST(LightModels, RecordsThatCannotBeModelled)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const SFltLight bad[] = {
        light(3, 100, 0xFFFFFF, 100, 0.5f, 0.5f, 10),
        light(-1, 100, 0xFFFFFF, 100, 0.5f, 0.5f, 10),
        light(flkPoint, 100, 0xFFFFFF, 0, 0.5f, 0.5f, 10),
        light(flkPoint, 100, 0xFFFFFF, -5, 0.5f, 0.5f, 10),
        light(flkWarm, 100, 0xFFFFFF, 100, 0.5f, 0.5f, 10, 0, 0, 0),
        light(flkSpot, 100, 0xFFFFFF, 100, 0.5f, 0.5f, 10, 0, 0, -3),
        light(flkPoint, 100, 0xFFFFFF, 100, nan, 0.5f, 10),
        light(flkSpot, 100, 0xFFFFFF, 100, 0.5f, 0.5f, 10, 0,
              std::numeric_limits<float>::infinity(), 30),
    };
    for (const SFltLight &l : bad)
        EXPECT_FALSE(createLightModel(l, 100, 100)) << l.kind << " " << l.range << " " << l.wide;
    EXPECT_TRUE(
        createLightModel(light(flkSpot, 100, 0xFFFFFF, 100, 0.5f, 0.5f, 10, 0, 0, 3), 100, 100));
}

} // namespace
