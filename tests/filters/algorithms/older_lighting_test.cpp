// The older lighting renderer: the order rule of its lights, the limit of 16, the tilt, the
// ambient term alone and the directed lights at height 0.
#include "filters/algorithms/older_lighting.h"

#include "core/tiles/block_layer_image.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <random>

using filtertest::firstDifference;

namespace {

SFltLight light(int32_t kind, int32_t range, float posx, float posy, int32_t posz, int32_t wide = 0,
                float theta = 0, float phi = 0)
{
    SFltLight l;
    initFltLight(l);
    l.kind = kind;
    l.power = 100;
    l.color.all = 0x00FFFFFF;
    l.range = range;
    l.posx = posx;
    l.posy = posy;
    l.posz = posz;
    l.wide = wide;
    l.theta = theta;
    l.phi = phi;
    return l;
}

TEST(OlderLighting, TheFirstLightThatMissesHidesTheLaterOnes)
{
    // 100 x 100: a small light in the corner, a large one on pixel (50, 50).
    const SFltLight corner = light(flkPoint, 5, 0.0f, 0.0f, 0);
    const SFltLight centre = light(flkPoint, 80, 0.5f, 0.5f, 0);
    TLighting missFirst, hitFirst;
    for (TLighting *l : {&missFirst, &hitFirst})
        l->SetAmb(sBGRA{.all = 0x00FFFFFF}, 50); // -127.5 per channel
    missFirst.AddLight(corner, 100, 100);
    missFirst.AddLight(centre, 100, 100);
    hitFirst.AddLight(centre, 100, 100);
    hitFirst.AddLight(corner, 100, 100);
    const uint32_t src = 0xFF808080;
    // The corner light does not reach (50, 50): nothing but the ambient there.
    EXPECT_EQ(missFirst.lightPixel(src, 50, 50), 0xFF000000u);
    EXPECT_EQ(hitFirst.lightPixel(src, 50, 50), 0xFFFFFFFFu);
    // The colour is compressed into 128..255.5 before the power applies.
    EXPECT_DOUBLE_EQ(hitFirst.m_LightList[0]->m_r, 255.5);
}

TEST(OlderLighting, ASeventeenthLightIsIgnored)
{
    TLighting l;
    for (int i = 0; i < 17; ++i)
        l.AddLight(light(flkPoint, 10 + i, 0.5f, 0.5f, 0), 50, 50);
    EXPECT_EQ(l.m_lightnum, 16);
    ASSERT_EQ(l.m_LightList.size(), 16u);
    EXPECT_DOUBLE_EQ(l.m_LightList.back()->m_range, 50 * 25 / 100.0);
    l.ClearLight();
    EXPECT_EQ(l.m_lightnum, 0);
}

TEST(OlderLighting, NegativeTiltLightsLikeThePositive)
{
    for (int32_t kind : {flkWarm, flkSpot}) {
        TLighting pos, neg;
        pos.AddLight(light(kind, 90, 0.4f, 0.6f, 30, 40, 0.8f, 0.5f), 60, 60);
        neg.AddLight(light(kind, 90, 0.4f, 0.6f, 30, 40, 0.8f, -0.5f), 60, 60);
        const TVector3 &a = pos.m_LightList[0]->m_dir, &b = neg.m_LightList[0]->m_dir;
        EXPECT_NEAR(a.x, b.x, 1e-6);
        EXPECT_NEAR(a.y, b.y, 1e-6);
        EXPECT_NEAR(a.z, b.z, 1e-6);
        int lit = 0;
        for (int y = 0; y < 60; y += 3)
            for (int x = 0; x < 60; x += 3) {
                const uint32_t p = pos.lightPixel(0xFF404040, x, y);
                EXPECT_EQ(p, neg.lightPixel(0xFF404040, x, y)) << x << "," << y;
                lit += p != 0xFF404040u;
            }
        EXPECT_GT(lit, 0);
    }
}

TEST(OlderLighting, WithoutLightsOnlyTheAmbientActs)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    CBlockVMTC src(30, 20);
    filtertest::fillRandom(src, rng);
    CBlockVMTC dest(src);
    TLighting l;
    l.SetAmb(sBGRA{.all = 0x00FFFFFF}, 100);
    ASSERT_TRUE(l.Rendering(&src, &dest, nullptr, {0, 0}, false, {0, 0, 30, 20}));
    EXPECT_EQ(firstDifference(dest, src), "");
    l.SetAmb(sBGRA{.all = 0x00FFFFFF}, 0);
    ASSERT_TRUE(l.Rendering(&src, &dest, nullptr, {0, 0}, false, {0, 0, 30, 20}));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(dest.getColor(x, y), src.getColor(x, y) & 0xFF000000u);
    EXPECT_FALSE(l.Rendering(nullptr, &dest, nullptr, {0, 0}, false, {}));
    EXPECT_FALSE(l.Rendering(&src, nullptr, nullptr, {0, 0}, false, {}));
}

TEST(OlderLighting, DirectedLightsAtHeightZeroNeedAWideAbove100)
{
    for (int32_t kind : {flkWarm, flkSpot}) {
        TLighting narrow, wide;
        narrow.AddLight(light(kind, 100, 0.5f, 0.5f, 0, 100), 40, 40);
        wide.AddLight(light(kind, 100, 0.5f, 0.5f, 0, 150), 40, 40);
        EXPECT_EQ(narrow.m_LightList[0]->m_dir.Size(), 0);
        int narrowLit = 0, wideLit = 0;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) {
                narrowLit += narrow.lightPixel(0xFF000000, x, y) != 0xFF000000u;
                wideLit += wide.lightPixel(0xFF000000, x, y) != 0xFF000000u;
            }
        EXPECT_EQ(narrowLit, 0) << kind;
        EXPECT_GT(wideLit, 0) << kind;
    }
}

} // namespace
