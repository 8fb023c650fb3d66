#include "filters/algorithms/median_filter.h"

#include "filters/algorithms/adjustment_test_support.h"

#include <gtest/gtest.h>

using namespace filtertest;

namespace {

sFltObj2 medianRec(uint8_t r, bool keepAlpha)
{
    sFltObj2 rec{};
    rec.data0.b0 = r;
    rec.data0.b1 = keepAlpha ? 1 : 0;
    return rec;
}

} // namespace

TEST(MedianFilter, RadiusZeroKeepsEveryPixel)
{
    std::mt19937 rng(testSeed());
    CBlockVMTC layer(17, 13);
    fillRandom(layer, rng);
    const CBlockVMTC before(layer);
    const sFltObj2 rec = medianRec(0, false);
    ASSERT_TRUE(runWhole(fltMedian, layer, &rec, kFltObj2Size));
    EXPECT_EQ(firstDifference(layer, before), "");
}

TEST(MedianFilter, TransparentWindowGivesColourZeroWithTheMedianAlpha)
{
    // A transparent area with hidden colours; one pixel far off is opaque.
    auto layer = makeLayer(9, 9, [](int32_t x, int32_t y) {
        return x == 8 && y == 8 ? 0xFF102030u : 0x00A0B0C0u + uint32_t(x * 9 + y);
    });
    const sFltObj2 rec = medianRec(1, true); // keep alpha: the colour is put as it comes
    ASSERT_TRUE(runWhole(fltMedian, *layer, &rec, kFltObj2Size));
    EXPECT_EQ(pixelAt(*layer, 2, 2).all, 0u);
    // The corner's window holds one opaque pixel among nine: alpha median 0, colour its own.
    EXPECT_EQ(pixelAt(*layer, 8, 8).all, 0xFF102030u);
}

TEST(MedianFilter, OddAndEvenCountsAndTheAlphaMedian)
{
    // Row of five opaque greys 10, 20, 30, 40, 50 and a radius covering them all (clamped
    // edges repeat): the window of the middle pixel at r = 2 in a one-row layer holds each value
    // five times.
    auto layer = makeLayer(5, 1, [](int32_t x, int32_t) { return 0xFF000000u | uint32_t(10 * (x + 1)) * 0x010101u; });
    const sFltObj2 rec = medianRec(2, false);
    ASSERT_TRUE(runWhole(fltMedian, *layer, &rec, kFltObj2Size));
    EXPECT_EQ(pixelAt(*layer, 2, 0).B, 30);
    // Pixel 0: window columns clamp to 0,0,0,1,2: values 10,10,10,20,30 per row.
    EXPECT_EQ(pixelAt(*layer, 0, 0).B, 10);
}

TEST(MedianFilter, SlidingHistogramsMatchAFreshWindow)
{
    const uint32_t seed = testSeed();
    for (const int r : {1, 2, 3, 6, 40})
        for (uint32_t i = 0; i < 3; ++i) {
            SCOPED_TRACE("radius " + std::to_string(r) + " seed " + std::to_string(seed + i));
            std::mt19937 rng(seed + i);
            CBlockVMTC layer(23, 19);
            fillRandom(layer, rng);
            // Transparent and opaque areas, so that colour and alpha counts differ.
            const sRect hole = randomSubRect(rng, rectFromSize(layer.FPSZ()));
            for (int32_t y = hole.y0; y < hole.y1; ++y)
                for (int32_t x = hole.x0; x < hole.x1; ++x)
                    layer.setPixel(x, y, layer.getColor(x, y) & 0x00FFFFFF);
            const sRect effect = randomSubRect(rng, rectFromSize(layer.FPSZ()));
            const sRect dst = randomSubRect(rng, effect);
            const bool keep = rng() % 2 == 0, prt = rng() % 3 == 0;
            CMaskData mask(0, 23, 19);
            for (int32_t y = 0; y < 19; ++y)
                for (int32_t x = 0; x < 23; ++x)
                    mask.maskTC->setPixel(x, y, rng() % 256);
            CBlockVMTC a(layer), b(layer);
            DirectParams pa(a, &effect), pb(b, &effect);
            pa.p.dstRect = pb.p.dstRect = dst;
            pa.p.layerPrt = pb.p.layerPrt = prt;
            if (rng() % 2 == 0) {
                pa.useMask(mask);
                pb.useMask(mask);
            }
            const sFltObj2 rec = medianRec(uint8_t(r), keep);
            ASSERT_TRUE(fltMedian(pa.p, &rec, kFltObj2Size));
            ASSERT_TRUE(medianFilterReference(pb.p, r, keep));
            EXPECT_EQ(firstDifference(a, b), "");
        }
}

TEST(MedianFilter, PartOfTheEffectRectangleMatchesTheWhole)
{
    const uint32_t seed = testSeed();
    for (const uint8_t r : {1, 4, 255})
        expectPartialMatchesFull(callWith("fltMedian", fltMedian, medianRec(r, r == 4), kFltObj2Size),
                                 seed + r);
}
