// The lighting pixel function: the ambient term, the light's place in the effect rectangle and
// the records it refuses.
#include "filters/algorithms/lighting_filter.h"

#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <vector>

using filtertest::DirectParams;
using filtertest::firstDifference;

namespace {

struct LightingRecord
{
    LightingRecord(const SFltLight &l, uint32_t ambient, int32_t brightness)
        : block(sizeof(SFltLight))
    {
        std::memcpy(block.data(), &l, sizeof l);
        initFltObjComplex(rec, 1, sizeof(SFltLight));
        rec.data0.all = int32_t(ambient);
        rec.data1.all = brightness;
        rec.data = block;
    }
    std::vector<uint8_t> block;
    sFltObjComplex rec;
};

SFltLight pointLight(int32_t power, int32_t range, float posx, float posy, int32_t posz = 0)
{
    SFltLight l;
    initFltLight(l);
    l.kind = flkPoint;
    l.power = power;
    l.color.all = 0x00FFFFFF;
    l.range = range;
    l.posx = posx;
    l.posy = posy;
    l.posz = posz;
    return l;
}

struct RandomLayer : CBlockVMTC
{
    RandomLayer(int32_t w, int32_t h, uint32_t seed) : CBlockVMTC(w, h)
    {
        std::mt19937 rng(seed);
        filtertest::fillRandom(*this, rng);
    }
};

struct UniformLayer : CBlockVMTC
{
    UniformLayer(int32_t w, int32_t h, uint32_t colour) : CBlockVMTC(w, h) { PixelFill(colour); }
};

TEST(LightingFilter, WhiteAmbientAtFullBrightnessAndNoLightChangeNothing)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    RandomLayer layer(40, 30, seed);
    const CBlockVMTC before(layer);
    DirectParams d(layer);
    LightingRecord r(pointLight(0, 50, 0.5f, 0.5f), 0x00FFFFFF, 100);
    ASSERT_TRUE(fltLighting(d.p, &r.rec, kFltObjComplexSize));
    EXPECT_TRUE(d.p.unchanged);
    EXPECT_EQ(firstDifference(layer, before), "");
}

TEST(LightingFilter, AmbientZeroLeavesOnlyTheLight)
{
    EXPECT_EQ(lightingAmbient(255, 100), 0);
    EXPECT_EQ(lightingAmbient(128, 50), -191);
    EXPECT_EQ(lightingAmbient(200, 0), -255);
    // A white light on pixel (20, 15) of 40 x 30 gives +255 there: the pixel keeps its colour;
    // out of reach every channel falls to 0; alpha is never touched.
    UniformLayer layer(40, 30, 0x80406080);
    DirectParams d(layer);
    LightingRecord r(pointLight(100, 10, 0.5f, 0.5f), 0x00FFFFFF, 0);
    ASSERT_TRUE(fltLighting(d.p, &r.rec, kFltObjComplexSize));
    EXPECT_FALSE(d.p.unchanged);
    EXPECT_EQ(layer.getColor(20, 15), 0x80406080u);
    EXPECT_EQ(layer.getColor(0, 0), 0x80000000u);
    EXPECT_EQ(layer.getColor(39, 29), 0x80000000u);
}

TEST(LightingFilter, RefusedRecordsChangeNothing)
{
    RandomLayer layer(20, 20, 7);
    const CBlockVMTC before(layer);
    std::vector<SFltLight> bad(5, pointLight(100, 50, 0.5f, 0.5f));
    bad[0].kind = 3;
    bad[1].range = 0;
    bad[2].kind = flkWarm; // wide 0
    bad[3].posy = std::numeric_limits<float>::quiet_NaN();
    bad[4].kind = flkSpot;
    bad[4].wide = -10;
    for (const SFltLight &l : bad) {
        DirectParams d(layer);
        LightingRecord r(l, 0, 0);
        EXPECT_FALSE(fltLighting(d.p, &r.rec, kFltObjComplexSize)) << l.kind;
    }
    // A block too short for one light, or a count of 0.
    DirectParams d(layer);
    LightingRecord r(pointLight(100, 50, 0.5f, 0.5f), 0, 0);
    r.rec.data = std::span(r.block).first(55);
    EXPECT_FALSE(fltLighting(d.p, &r.rec, kFltObjComplexSize));
    r.rec.data = r.block;
    r.rec.count = 0;
    EXPECT_FALSE(fltLighting(d.p, &r.rec, kFltObjComplexSize));
    r.rec.count = 1;
    EXPECT_FALSE(fltLighting(d.p, &r.rec, kFltObjComplexSize + 1));
    EXPECT_EQ(firstDifference(layer, before), "");
}

// On a uniform layer the lit picture is the light's shape: it follows the effect rectangle and
// the layer's position.
TEST(LightingFilter, LightFollowsTheSelectionAndTheLayerPosition)
{
    const LightingRecord r(pointLight(100, 40, 0.3f, 0.6f, 5), 0x00808080, 100);
    const auto run = [&](sRect mr, sPos layerPos) {
        auto layer = std::make_unique<UniformLayer>(60, 50, 0xFF404040);
        DirectParams d(*layer, &mr);
        d.p.layerPos = layerPos;
        EXPECT_TRUE(fltLighting(d.p, &r.rec, kFltObjComplexSize));
        return layer;
    };
    const auto a = run({0, 0, 30, 30}, {0, 0});
    const auto b = run({5, 3, 35, 33}, {0, 0});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            ASSERT_EQ(a->getColor(x, y), b->getColor(x + 5, y + 3)) << x << "," << y;
    // The model gets x - x0 + layerPos.x: a layer position of 7 shows at x what 0 shows at x + 7.
    const auto c = run({0, 0, 30, 30}, {7, 0});
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x + 7 < 30; ++x)
            ASSERT_EQ(c->getColor(x, y), a->getColor(x + 7, y)) << x << "," << y;
    bool lit = false;
    for (int x = 0; x < 30; ++x)
        lit = lit || a->getColor(x, 18) != 0xFF404040u;
    EXPECT_TRUE(lit);
}

TEST(LightingFilter, PartOfTheRectangleEqualsTheWholeThere)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    SFltLight l = pointLight(150, 60, 0.4f, 0.7f, 10);
    l.kind = flkWarm;
    l.wide = 70;
    l.phi = 0.5f;
    l.theta = 1.0f;
    const LightingRecord r(l, 0x00A0B0C0, 80);
    RandomLayer whole(50, 40, seed), part(whole);
    const sRect mr{3, 2, 47, 38};
    DirectParams dw(whole, &mr), dp(part, &mr);
    dp.p.dstRect = {10 + int32_t(rng() % 5), 7, 30, 20 + int32_t(rng() % 10)};
    ASSERT_TRUE(fltLighting(dw.p, &r.rec, kFltObjComplexSize));
    ASSERT_TRUE(fltLighting(dp.p, &r.rec, kFltObjComplexSize));
    for (int y = dp.p.dstRect.y0; y < dp.p.dstRect.y1; ++y)
        for (int x = dp.p.dstRect.x0; x < dp.p.dstRect.x1; ++x)
            ASSERT_EQ(part.getColor(x, y), whole.getColor(x, y));
}

} // namespace
