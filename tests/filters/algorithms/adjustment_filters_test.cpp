#include "filters/algorithms/adjustment_filters.h"

#include "filters/algorithms/adjustment_test_support.h"
#include "core/pixel/colour_models.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace filtertest;

namespace {

sFltObj2 obj2(int32_t d0, int32_t d1 = 0)
{
    sFltObj2 r;
    r.data0.all = d0;
    r.data1.all = d1;
    return r;
}

sFltObj4 obj4(int32_t d0, int32_t d1, int32_t d2, int32_t d3)
{
    sFltObj4 r;
    r.data0.all = d0, r.data1.all = d1, r.data2.all = d2, r.data3.all = d3;
    return r;
}

// Levels with the same five values in every channel column (k = 0..3).
sFltObj6 levelsAll(uint8_t black, uint8_t mid, uint8_t white, uint8_t ob, uint8_t ow, bool linear)
{
    sFltObj6 r;
    r.data0.all = int32_t(black * 0x01010101u);
    r.data1.all = int32_t(mid * 0x01010101u);
    r.data2.all = int32_t(white * 0x01010101u);
    r.data3.all = int32_t(ob * 0x01010101u);
    r.data4.all = int32_t(ow * 0x01010101u);
    r.data5.all = linear ? 1 : 0;
    return r;
}

// The blue channel of the grey ramp after fn: the table entry of every input.
template <class R> std::vector<int> rampAfter(fptrFilter4 fn, const R &rec, int32_t size)
{
    auto ramp = greyRamp();
    EXPECT_TRUE(runWhole(fn, *ramp, &rec, size));
    std::vector<int> out(256);
    for (int i = 0; i < 256; ++i)
        out[size_t(i)] = pixelAt(*ramp, i, 0).B;
    return out;
}

} // namespace

TEST(AdjustmentFilters, PointTablesHaveTheirWorkedValues)
{
    const auto none = [](fptrFilter4 fn) {
        auto ramp = greyRamp();
        DirectParams d(*ramp);
        EXPECT_TRUE(fn(d.p, nullptr, 0));
        return ramp;
    };
    auto sol = none(fltSolarize);
    EXPECT_EQ(pixelAt(*sol, 128, 0).B, 127);
    EXPECT_EQ(pixelAt(*sol, 255, 0).B, 0);
    EXPECT_EQ(pixelAt(*sol, 100, 0).B, 100);
    auto inv = none(fltInvert);
    EXPECT_EQ(pixelAt(*inv, 0, 0).all, 0xFFFFFFFFu);
    EXPECT_EQ(pixelAt(*inv, 200, 0).R, 55);

    const auto post4 = rampAfter(fltPosterize, obj2(4), kFltObj2Size);
    EXPECT_EQ(post4[63], 0);
    EXPECT_EQ(post4[64], 85);
    EXPECT_EQ(post4[128], 170);
    EXPECT_EQ(post4[192], 255);
    EXPECT_EQ(rampAfter(fltPosterize, obj2(1), kFltObj2Size),
              rampAfter(fltPosterize, obj2(2), kFltObj2Size))
        << "1 level acts as 2";
    const auto post255 = rampAfter(fltPosterize, obj2(255), kFltObj2Size);
    for (int i = 0; i < 256; ++i)
        EXPECT_LE(std::abs(post255[size_t(i)] - i), 1) << i;
}

TEST(AdjustmentFilters, BinarizeThresholdZeroActsAsOneInBothVariants)
{
    const auto t0 = rampAfter(fltBinarize, obj2(0), kFltObj2Size);
    EXPECT_EQ(t0[0], 0);
    EXPECT_EQ(t0[1], 255);
    EXPECT_EQ(t0, rampAfter(fltBinarize, obj2(1), kFltObj2Size));
    EXPECT_EQ(t0, rampAfter(fltBinarize, obj2(0x100), kFltObj2Size)) << "variant byte";
    const auto t128 = rampAfter(fltBinarize, obj2(128 | 0x100), kFltObj2Size);
    EXPECT_EQ(t128[127], 0);
    EXPECT_EQ(t128[128], 255);
}

TEST(AdjustmentFilters, LinearBrightnessContrast)
{
    // Contrast 100: den = 100, a slope of 655.36 around 127.
    const auto steep = rampAfter(fltBrightnessContrast, obj4(0, 100, 1, 0), kFltObj4Size);
    EXPECT_EQ(steep[126], 0);
    EXPECT_EQ(steep[127], 127);
    EXPECT_EQ(steep[128], 255);
    // Contrast 0: the brightness counts twice, i + 2B.
    const auto flat = rampAfter(fltBrightnessContrast, obj4(10, 0, 1, 0), kFltObj4Size);
    EXPECT_EQ(flat[100], 120);
    EXPECT_EQ(flat[250], 255);
    const auto darker = rampAfter(fltBrightnessContrast, obj4(-20, 0, 1, 0), kFltObj4Size);
    EXPECT_EQ(darker[100], 60);
}

TEST(AdjustmentFilters, CurveRecordsWithInfiniteTablesAreRefused)
{
    // Contrast 200 puts the curve's factor past its pole: 0 to a negative power.
    auto ramp = greyRamp();
    CBlockVMTC before(*ramp);
    sFltObj4 bc = obj4(0, 200, 0, 0);
    EXPECT_FALSE(runWhole(fltBrightnessContrast, *ramp, &bc, kFltObj4Size));
    sFltObj4 cb{};
    cb.data0._float = -1.0f, cb.data1._float = 1.0f, cb.data2._float = 1.0f;
    EXPECT_FALSE(runWhole(fltColorBalance, *ramp, &cb, kFltObj4Size));
    cb.data0._float = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(runWhole(fltColorBalance, *ramp, &cb, kFltObj4Size));
    EXPECT_EQ(firstDifference(*ramp, before), "");
    // Gamma 1 leaves the ramp, 2 darkens the middle.
    cb.data0._float = cb.data1._float = cb.data2._float = 1.0f;
    EXPECT_EQ(rampAfter(fltColorBalance, cb, kFltObj4Size)[77], 77);
    cb.data2._float = 2.0f;
    EXPECT_EQ(rampAfter(fltColorBalance, cb, kFltObj4Size)[128], 64);
}

TEST(AdjustmentFilters, NeutralLevelsAreTheIdentity)
{
    for (const bool linear : {false, true}) {
        const auto t = rampAfter(fltLevels, levelsAll(0, 100, 255, 0, 255, linear), kFltObj6Size);
        for (int i = 0; i < 256; ++i)
            EXPECT_EQ(t[size_t(i)], i) << "linear " << linear << " entry " << i;
    }
    EXPECT_EQ(to16(255), 65536);
    EXPECT_EQ(to8(65536), 255);
    EXPECT_EQ(pct16(100), 65536);
}

TEST(AdjustmentFilters, LevelsWithEqualBlackAndWhiteThreshold)
{
    for (const bool linear : {false, true}) {
        const auto t = rampAfter(fltLevels, levelsAll(100, 100, 100, 0, 255, linear), kFltObj6Size);
        EXPECT_EQ(t[99], 0);
        EXPECT_EQ(t[100], 0);
        EXPECT_EQ(t[101], 255);
    }
}

TEST(AdjustmentFilters, LinearMidtoneAtTheTopSaturatesInsteadOfWrapping)
{
    // Midtone 200 % puts the linear knee at 1: inputs above white divide by 0, whose limit
    // (the largest quotient) plus one half must stay white rather than wrap to black.
    const auto t = rampAfter(fltLevels, levelsAll(0, 200, 200, 0, 255, true), kFltObj6Size);
    EXPECT_EQ(t[255], 255);
    EXPECT_EQ(t[201], 255);
    EXPECT_LT(t[100], 100);
}

TEST(AdjustmentFilters, LevelsChannelsUseTheirOwnColumns)
{
    sFltObj6 r = levelsAll(0, 100, 255, 0, 255, false);
    r.data3.b1 = 255; // red's output black
    auto ramp = greyRamp();
    ASSERT_TRUE(runWhole(fltLevels, *ramp, &r, kFltObj6Size));
    EXPECT_EQ(pixelAt(*ramp, 10, 0).R, 255);
    EXPECT_EQ(pixelAt(*ramp, 10, 0).G, 10);
    EXPECT_EQ(pixelAt(*ramp, 10, 0).B, 10);
}

TEST(AdjustmentFilters, SaturationExtremesInBothMethods)
{
    const uint32_t colours[] = {0xFFC86432, 0xFF2080F0, 0xFF10E060};
    for (const int method : {0, 1})
        for (const int s : {100, -100}) {
            SCOPED_TRACE("method " + std::to_string(method) + " saturation " + std::to_string(s));
            auto layer = makeLayer(3, 1, [&](int32_t x, int32_t) { return colours[x]; });
            sFltObj4 r = obj4(0, s, 0, method << 8);
            ASSERT_TRUE(runWhole(fltHueSaturation, *layer, &r, kFltObj4Size));
            for (int x = 0; x < 3; ++x) {
                const sBGRA c = pixelAt(*layer, x, 0);
                const int mx = std::max({c.R, c.G, c.B}), mn = std::min({c.R, c.G, c.B});
                if (s < 0)
                    EXPECT_LE(mx - mn, 1) << "grey";
                else
                    EXPECT_TRUE(mn <= 1 || mx >= 254) << "fully saturated " << std::hex << c.all;
                EXPECT_EQ(c.A, 255);
            }
        }
}

TEST(AdjustmentFilters, HueSaturationSpecialCases)
{
    std::mt19937 rng(5);
    CBlockVMTC layer(8, 8);
    fillRandom(layer, rng);
    CBlockVMTC before(layer);
    sFltObj4 zero = obj4(0, 0, 0, 0);
    bool unchanged = false;
    ASSERT_TRUE(runWhole(fltHueSaturation, layer, &zero, kFltObj4Size, false, &unchanged));
    EXPECT_TRUE(unchanged);
    EXPECT_EQ(firstDifference(layer, before), "");

    // A negative shift and one of several turns are brought into 0..359.
    CBlockVMTC a(before), b(before), c(before);
    sFltObj4 m30 = obj4(-30, 0, 0, 0), p330 = obj4(330, 0, 0, 0), big = obj4(360 * 7 + 330, 0, 0, 0);
    ASSERT_TRUE(runWhole(fltHueSaturation, a, &m30, kFltObj4Size));
    ASSERT_TRUE(runWhole(fltHueSaturation, b, &p330, kFltObj4Size));
    ASSERT_TRUE(runWhole(fltHueSaturation, c, &big, kFltObj4Size));
    EXPECT_EQ(firstDifference(a, b), "");
    EXPECT_EQ(firstDifference(c, b), "");

    // The lightness curve holds -127..127 only; the byte table takes any value.
    CBlockVMTC d(before);
    sFltObj4 l128 = obj4(0, 0, 128, 0);
    EXPECT_FALSE(runWhole(fltHueSaturation, d, &l128, kFltObj4Size));
    EXPECT_EQ(firstDifference(d, before), "");
    sFltObj4 l127 = obj4(0, 0, 127, 0), l128m1 = obj4(0, 0, 128, 1 << 8);
    EXPECT_TRUE(runWhole(fltHueSaturation, d, &l127, kFltObj4Size));
    EXPECT_TRUE(runWhole(fltHueSaturation, d, &l128m1, kFltObj4Size));
}

TEST(AdjustmentFilters, GradientMapFollowsTheGradient)
{
    auto grad = blackToWhite();
    sFltObjGradientMap rec;
    initFltObjGradientMap(rec);
    rec.crsg = grad.get();
    for (const bool reverse : {false, true}) {
        rec.reverse = reverse;
        auto ramp = greyRamp();
        ASSERT_TRUE(runWhole(fltGradientMap, *ramp, &rec, kFltObjGradientMapSize));
        for (int i = 0; i < 256; ++i) {
            const sBGRA c = pixelAt(*ramp, i, 0);
            const int want = reverse ? 255 - i : i;
            EXPECT_LE(std::abs(c.B - want), 1) << "reverse " << reverse << " entry " << i;
            EXPECT_EQ(c.B, c.R);
            EXPECT_EQ(c.A, 255);
        }
    }
    // A protected layer keeps its alpha even when the record does not ask for it.
    rec.reverse = false;
    rec.protect = false;
    auto half = makeLayer(4, 1, [](int32_t x, int32_t) { return uint32_t(x * 60) << 24 | 0x808080u; });
    ASSERT_TRUE(runWhole(fltGradientMap, *half, &rec, kFltObjGradientMapSize, true));
    for (int32_t x = 0; x < 4; ++x)
        EXPECT_EQ(pixelAt(*half, x, 0).A, x * 60);
    rec.crsg = nullptr;
    auto ramp = greyRamp();
    EXPECT_FALSE(runWhole(fltGradientMap, *ramp, &rec, kFltObjGradientMapSize));
}

TEST(AdjustmentFilters, LuminanceToAlpha)
{
    auto layer = makeLayer(3, 1, [](int32_t x, int32_t) {
        return x == 0 ? 0xFFFFFFFFu : (x == 1 ? 0xFF000000u : 0xFF808080u);
    });
    CBlockVMTC before(*layer);
    sFltObj2 r = obj2(0x00112233);
    bool unchanged = false;
    ASSERT_TRUE(runWhole(fltAlphaViaDensity, *layer, &r, kFltObj2Size, true, &unchanged));
    EXPECT_TRUE(unchanged) << "a protected layer keeps its alpha";
    EXPECT_EQ(firstDifference(*layer, before), "");
    ASSERT_TRUE(runWhole(fltAlphaViaDensity, *layer, &r, kFltObj2Size));
    EXPECT_EQ(pixelAt(*layer, 0, 0).A, 0) << "white becomes transparent";
    EXPECT_EQ(pixelAt(*layer, 1, 0).all, 0xFF112233u) << "black keeps its alpha";
    EXPECT_EQ(pixelAt(*layer, 2, 0).A, 127);
}

TEST(AdjustmentFilters, RecordSizeAndCheckAreEnforced)
{
    auto ramp = greyRamp();
    CBlockVMTC before(*ramp);
    sFltObj2 r2 = obj2(4);
    sFltObj4 r4 = obj4(10, 10, 0, 0);
    EXPECT_FALSE(runWhole(fltPosterize, *ramp, &r2, kFltObj4Size));
    EXPECT_FALSE(runWhole(fltBrightnessContrast, *ramp, &r4, kFltObj2Size));
    EXPECT_FALSE(runWhole(fltInvert, *ramp, nullptr, kFltObj2Size));
    EXPECT_FALSE(runWhole(fltLevels, *ramp, nullptr, kFltObj6Size));
    EXPECT_EQ(firstDifference(*ramp, before), "");
}

TEST(AdjustmentFilters, PartOfTheEffectRectangleMatchesTheWhole)
{
    auto grad = blackToWhite();
    sFltObjGradientMap gm;
    initFltObjGradientMap(gm);
    gm.crsg = grad.get();
    gm.protect = false;
    sFltObj4 cb{};
    cb.data0._float = 0.5f, cb.data1._float = 1.5f, cb.data2._float = 2.2f;
    FilterCall gradient{"fltGradientMap", fltGradientMap, {}, &gm, kFltObjGradientMapSize};
    const FilterCall calls[] = {
        callWith("fltLevels", fltLevels, levelsAll(20, 140, 230, 10, 240, false), kFltObj6Size),
        callWith("fltLevels linear", fltLevels, levelsAll(20, 60, 230, 10, 240, true), kFltObj6Size),
        callWith("fltHueSaturation m2", fltHueSaturation, obj4(40, 30, -20, 0), kFltObj4Size),
        callWith("fltHueSaturation m1", fltHueSaturation, obj4(-40, -30, 20, 1 << 8), kFltObj4Size),
        callWith("fltHueSaturation colourise", fltHueSaturation, obj4(200, 50, 10, 1), kFltObj4Size),
        callWith("fltBrightnessContrast", fltBrightnessContrast, obj4(20, -30, 0, 0), kFltObj4Size),
        callWith("fltBrightnessContrast linear", fltBrightnessContrast, obj4(-20, 40, 1, 0), kFltObj4Size),
        callWith("fltColorBalance", fltColorBalance, cb, kFltObj4Size),
        callWith("fltPosterize", fltPosterize, obj2(5), kFltObj2Size),
        callWith("fltBinarize", fltBinarize, obj2(100), kFltObj2Size),
        noRecord("fltInvert", fltInvert),
        noRecord("fltGrayscale", fltGrayscale),
        noRecord("fltSolarize", fltSolarize),
        gradient,
        callWith("fltAlphaViaDensity", fltAlphaViaDensity, obj2(0x00336699, 1), kFltObj2Size),
    };
    const uint32_t seed = testSeed();
    for (const FilterCall &c : calls)
        expectPartialMatchesFull(c, seed);
}
