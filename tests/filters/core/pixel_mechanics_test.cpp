// The frame of the pixel functions: the random generator and its draw discipline, the walks, the
// put rule, the record checks, the floating remainder and the cosine table.
#include "filters/core/pixel_mechanics.h"

#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

using filtertest::DirectParams;
using filtertest::firstDifference;

namespace {

TEST(PixelMechanics, RandomBelowFromSeedZero)
{
    gRandSeed = 0;
    const uint32_t expected[] = {0, 3, 86, 20, 27, 67};
    for (uint32_t e : expected)
        EXPECT_EQ(randomBelow(100), e);
    gRandSeed = 0xFFFFFFFF;
    EXPECT_EQ(randomBelow(0), 0u);
    EXPECT_EQ(gRandSeed, 0xFFFFFFFFu * 134775813u + 1u) << "the state wraps in 32 bits";
    EXPECT_LT(randomBelow(0x80000000u), 0x80000000u) << "n is unsigned";
}

TEST(PixelMechanics, PositiveFloatingRemainder)
{
    const long double twoPi = 2 * std::numbers::pi_v<long double>;
    EXPECT_EQ(fmodPositive(twoPi, -0.1L), twoPi - 0.1L);
    EXPECT_EQ(fmodPositive(twoPi, 7.0L), 7.0L - twoPi);
    EXPECT_EQ(fmodPositive(1.0L, 3.0L), 0.0L);
    EXPECT_EQ(fmodPositive(4.0L, -8.0L), 0.0L);
    EXPECT_EQ(fmodPositive(0.0L, 1.0L), 0.0L) << "no division by zero";
    EXPECT_EQ(fmodPositive(1.0L, std::numeric_limits<long double>::infinity()), 0.0L);
}

TEST(PixelMechanics, CosineTableBuiltOnce)
{
    initialiseFilters();
    EXPECT_EQ(gCosInterp[0], 0.0f);
    EXPECT_EQ(gCosInterp[128], 0.5f);
    EXPECT_EQ(gCosInterp[255], 0.99996233f);
    for (size_t i = 1; i < 256; ++i)
        EXPECT_GT(gCosInterp[i], gCosInterp[i - 1]);
    gCosInterp[1] = 42;
    initialiseFilters();
    EXPECT_EQ(gCosInterp[1], 42) << "a second initialisation does nothing";
    initCosInterpTable();
    EXPECT_LT(gCosInterp[1], 0.001f);
}

TEST(PixelMechanics, PutRuleAndRecordChecks)
{
    CBlockVMTC layer(4, 4);
    DirectParams d(layer);
    d.p.layerPrt = true;
    EXPECT_EQ(filterPut(d.p), &pixelPutAlpha);
    EXPECT_TRUE(protectionMatches(d.p, 7)) << "any non-zero byte is true";
    EXPECT_FALSE(protectionMatches(d.p, 0));
    d.p.layerPrt = false;
    EXPECT_EQ(filterPut(d.p), &pixelPutWithAlpha);
    EXPECT_TRUE(protectionMatches(d.p, 0));
    EXPECT_TRUE(checkFilterFrame(d.p, 8, kFltObj2Size));
    EXPECT_FALSE(checkFilterFrame(d.p, 16, kFltObj2Size));
    EXPECT_TRUE(allFinite(1.0f, -0.0f, 3e38f));
    EXPECT_FALSE(allFinite(1.0f, std::numeric_limits<float>::quiet_NaN()));
    EXPECT_FALSE(allFinite(std::numeric_limits<float>::infinity()));
}

// Both walks visit the same pixels, with the same weights, in the same order.
TEST(PixelMechanics, RunWalkVisitsWhatThePlainWalkVisits)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 20; ++round) {
        const int32_t w = 1 + int32_t(rng() % 150), h = 1 + int32_t(rng() % 70);
        CBlockVMTC layer(w, h);
        CMaskData mask(0, w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                mask.maskTC->setPixel(x, y, rng() % 4 == 0 ? 0 : rng() % 256);
        DirectParams d(layer);
        d.useMask(mask);
        const int32_t x0 = int32_t(rng() % uint32_t(w)), y0 = int32_t(rng() % uint32_t(h));
        d.p.dstRect = {x0, y0, x0 + 1 + int32_t(rng() % uint32_t(w - x0)),
                       y0 + 1 + int32_t(rng() % uint32_t(h - y0))};
        std::vector<std::array<int32_t, 3>> plain, runs;
        ASSERT_TRUE(walkDstRectPlain(d.p, [&](int32_t x, int32_t y, sBGRA &, int32_t m) {
            plain.push_back({x, y, m});
        }));
        ASSERT_TRUE(walkDstRect(d.p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            runs.push_back({x, y, m});
            EXPECT_EQ(&px, layer.seekPixelNC(x, y));
        }));
        ASSERT_EQ(plain, runs) << "round " << round;
    }
}

// A noise filter made of the draw discipline: each pixel takes three draws.
bool fltTestNoise(sFlt4Params &p, const void *, int32_t args)
{
    if (!checkFilterFrame(p, args, 0))
        return false;
    gRandSeed = 1234;
    return walkDstRectDrawing(
        p, [] { return std::array<uint32_t, 3>{randomBelow(256), randomBelow(256), randomBelow(256)}; },
        [](int32_t, int32_t, sBGRA &px, int32_t m, const std::array<uint32_t, 3> &v) {
            pixelPutAlpha(&px, v[2] << 16 | v[1] << 8 | v[0], uint32_t(m));
        });
}

// Any destination rectangle gives there exactly what the whole effect rectangle gives.
TEST(PixelMechanics, DrawDisciplineGivesEachPixelTheSameNumbers)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const int32_t w = 70, h = 45;
    CBlockVMTC start(w, h);
    filtertest::fillRandom(start, rng);
    CMaskData mask(0, w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            mask.maskTC->setPixel(x, y, rng() % 3 == 0 ? 0 : 255);
    const sRect effect{7, 5, 61, 40};

    CBlockVMTC whole(start);
    DirectParams dw(whole, &effect);
    dw.useMask(mask);
    ASSERT_TRUE(fltTestNoise(dw.p, nullptr, 0));
    for (int round = 0; round < 12; ++round) {
        CBlockVMTC part(start);
        DirectParams dp(part, &effect);
        dp.useMask(mask);
        const int32_t x0 = effect.x0 + int32_t(rng() % 54), y0 = effect.y0 + int32_t(rng() % 35);
        dp.p.dstRect = {x0, y0, x0 + 1 + int32_t(rng() % uint32_t(effect.x1 - x0)),
                        y0 + 1 + int32_t(rng() % uint32_t(effect.y1 - y0))};
        ASSERT_TRUE(fltTestNoise(dp.p, nullptr, 0));
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) {
                const bool inside = rectContainsPoint(dp.p.dstRect, {x, y});
                ASSERT_EQ(part.getColor(x, y), (inside ? whole : start).getColor(x, y))
                    << x << "," << y << " round " << round;
            }
    }
}

} // namespace
