#include "filters/algorithms/sharpen_filters.h"

#include "filters/algorithms/adjustment_test_support.h"

#include <gtest/gtest.h>

using namespace filtertest;

namespace {

sFltObj4 embossRec(int32_t angle, float height, int32_t amount)
{
    sFltObj4 r{};
    r.data0.all = angle;
    r.data1._float = height;
    r.data2.all = amount;
    return r;
}

sFltObj2 amountRec(float a)
{
    sFltObj2 r{};
    r.data0._float = a;
    return r;
}

} // namespace

TEST(SharpenFilters, FindEdgesOnFlatAreasAndADot)
{
    for (const int d : {0, 5, 20, 70}) {
        auto layer = makeLayer(7, 7, [d](int32_t x, int32_t y) {
            return x == 3 && y == 3 ? 0xFF000000u | uint32_t(100 + d) * 0x010101u : 0xFF646464u;
        });
        ASSERT_TRUE(runWhole(fltFindEdges, *layer, nullptr, 0));
        EXPECT_EQ(pixelAt(*layer, 3, 3).all, 0xFF000000u | uint32_t(std::max(0, 255 - 4 * d)) * 0x010101u)
            << "dot differing by " << d;
        EXPECT_EQ(pixelAt(*layer, 0, 6).all, 0xFFFFFFFFu) << "flat area";
    }
}

TEST(SharpenFilters, EmbossFlatResults)
{
    std::mt19937 rng(testSeed());
    const sFltObj4 cases[] = {embossRec(30, 3.0f, 0), embossRec(-45, 0.0f, 250)};
    for (const sFltObj4 &rec : cases) {
        CBlockVMTC layer(11, 8);
        fillRandom(layer, rng);
        const CBlockVMTC before(layer);
        ASSERT_TRUE(runWhole(fltEmboss, layer, &rec, kFltObj4Size));
        for (int32_t y = 0; y < 8; ++y)
            for (int32_t x = 0; x < 11; ++x) {
                const sBGRA c = pixelAt(layer, x, y);
                ASSERT_EQ(c.all & 0x00FFFFFFu, 0x007F7F7Fu) << x << ", " << y;
                ASSERT_EQ(c.A, pixelAt(before, x, y).A);
            }
    }
    // A vertical step lit from the left: bright on one side of the edge, dark on the other.
    auto step = makeLayer(10, 3, [](int32_t x, int32_t) { return x < 5 ? 0xFF000000u : 0xFFFFFFFFu; });
    const sFltObj4 rec = embossRec(0, 2.0f, 100);
    ASSERT_TRUE(runWhole(fltEmboss, *step, &rec, kFltObj4Size));
    EXPECT_EQ(pixelAt(*step, 0, 1).B, 127);
    EXPECT_NE(pixelAt(*step, 4, 1).B, 127);
    CBlockVMTC layer(4, 4);
    const sFltObj4 huge = embossRec(0, 70000.0f, 100);
    EXPECT_FALSE(runWhole(fltEmboss, layer, &huge, kFltObj4Size));
}

TEST(SharpenFilters, CustomSharpenStrength)
{
    int32_t k = -1;
    ASSERT_TRUE(customSharpenStrength(1.0f, k));
    EXPECT_EQ(k, 240);
    ASSERT_TRUE(customSharpenStrength(0.3f, k));
    EXPECT_EQ(k, 107);
    ASSERT_TRUE(customSharpenStrength(0.0f, k));
    EXPECT_EQ(k, 0);
    EXPECT_FALSE(customSharpenStrength(-1.0f, k));
    EXPECT_FALSE(customSharpenStrength(std::numeric_limits<float>::quiet_NaN(), k));

    std::mt19937 rng(4);
    CBlockVMTC layer(9, 9);
    fillRandom(layer, rng);
    const CBlockVMTC before(layer);
    const sFltObj2 zero = amountRec(0.0f);
    bool unchanged = false;
    ASSERT_TRUE(runWhole(fltSharpenCustom, layer, &zero, kFltObj2Size, false, &unchanged));
    EXPECT_TRUE(unchanged);
    EXPECT_EQ(firstDifference(layer, before), "");
    const sFltObj2 neg = amountRec(-2.0f);
    EXPECT_FALSE(runWhole(fltSharpenCustom, layer, &neg, kFltObj2Size));
}

TEST(SharpenFilters, NoDarkFringeBesideTransparency)
{
    // Left half opaque orange, right half transparent black.
    const auto make = [] {
        return makeLayer(10, 6, [](int32_t x, int32_t) { return x < 5 ? 0xFFE08020u : 0x00000000u; });
    };
    const sFltObj2 custom = amountRec(0.5f);
    const struct
    {
        fptrFilter4 fn;
        const void *rec;
        int32_t size;
    } cases[] = {{fltSharpen, nullptr, 0}, {fltSharpenMore, nullptr, 0}, {fltSharpenCustom, &custom, kFltObj2Size}};
    for (const auto &c : cases) {
        auto layer = make();
        ASSERT_TRUE(runWhole(c.fn, *layer, c.rec, c.size));
        for (int32_t y = 0; y < 6; ++y) {
            EXPECT_EQ(pixelAt(*layer, 4, y).all, 0xFFE08020u) << "edge row " << y;
            EXPECT_EQ(pixelAt(*layer, 5, y).A, 0) << "transparent side row " << y;
        }
    }
}

TEST(SharpenFilters, PartOfTheEffectRectangleMatchesTheWhole)
{
    const FilterCall calls[] = {
        noRecord("fltSharpen", fltSharpen),
        noRecord("fltSharpenMore", fltSharpenMore),
        callWith("fltSharpenCustom", fltSharpenCustom, amountRec(0.7f), kFltObj2Size),
        noRecord("fltFindEdges", fltFindEdges),
        callWith("fltEmboss", fltEmboss, embossRec(135, 3.5f, 180), kFltObj4Size),
    };
    const uint32_t seed = testSeed();
    for (const FilterCall &c : calls)
        expectPartialMatchesFull(c, seed);
}
