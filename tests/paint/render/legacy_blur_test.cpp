// The blur dabs of the older paint levels: the sliding column sums against the direct box reads,
// the disc walk and its coverage, the quarter-pixel dab of levels 1 and 2, and the second blur.
#include "paint/older_paint_test_support.h"

#include "paint/render/legacy_blur.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Puts = std::vector<SCapturedPut>;
using BlurDab = bool (*)(TMTC &, const CBlockVMTC &, int32_t, float, float, float, float);

Puts capturedBlur(BlurDab dab, TMTC &tc, const CBlockVMTC &layer, int32_t size, float cx, float cy,
                  float r, float opacity)
{
    PutCapture cap;
    dab(tc, layer, size, cx, cy, r, opacity);
    return cap.canvas;
}

// A layer of random pixels, about a quarter of them fully transparent.
void fillRandom(CBlockVMTC &layer, uint32_t seed)
{
    std::mt19937 rng(seed);
    fillLayer(layer, [&](int, int) {
        const uint32_t c = rng();
        return (c >> 24) < 64 ? (c & 0x00FFFFFF) : c;
    });
}

} // namespace

TEST(LegacyBlurDab, ColumnSumsGiveTheDirectResults)
{
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        CBlockVMTC layer(40, 30);
        fillRandom(layer, seed);
        TMTC tc(40, 30);
        for (int32_t size : {1, 3}) {
            const Puts fast = capturedBlur(drawBlurDab, tc, layer, size, 20.3f, 14.8f, 6.5f, 0.7f);
            const Puts direct =
                capturedBlur(drawBlurDabDirect, tc, layer, size, 20.3f, 14.8f, 6.5f, 0.7f);
            ASSERT_FALSE(fast.empty());
            EXPECT_EQ(fast, direct);
            // The colour-only forms agree on everything but the colour's alpha.
            Puts plain =
                capturedBlur(drawBlurDabColorOnly, tc, layer, size, 20.3f, 14.8f, 6.5f, 0.7f);
            Puts plainDirect =
                capturedBlur(drawBlurDabDirectColorOnly, tc, layer, size, 20.3f, 14.8f, 6.5f, 0.7f);
            ASSERT_EQ(plain.size(), plainDirect.size());
            for (size_t i = 0; i < plain.size(); ++i) {
                EXPECT_EQ(plain[i].value >> 24, 0u);
                plainDirect[i].value &= 0x00FFFFFF;
                EXPECT_EQ(plain[i], plainDirect[i]);
            }
        }
    }
}

TEST(LegacyBlurDab, UniformLayerKeepsItsColourAndCoverageFallsToTheRim)
{
    CBlockVMTC layer(20, 20);
    fillLayer(layer, [](int, int) { return bgra(200, 100, 50, 255); });
    TMTC tc(20, 20);
    const Puts puts = capturedBlur(drawBlurDab, tc, layer, 2, 10.0f, 10.0f, 3.0f, 1.0f);
    ASSERT_FALSE(puts.empty());
    for (const SCapturedPut &p : puts)
        EXPECT_EQ(p.value, bgra(200, 100, 50, 255));
    // Pixel (10, 10): its centre lies 46341 / 65536 from (10, 10): 255 - trunc(60.1) = 195.
    const auto at = std::find_if(puts.begin(), puts.end(),
                                 [](const SCapturedPut &p) { return p.x == 10 && p.y == 10; });
    ASSERT_NE(at, puts.end());
    EXPECT_EQ(at->alpha, 195u);
    // Only pixels whose centres lie inside the disc: 32 of the 6 × 6 rectangle.
    EXPECT_EQ(puts.size(), 32u);
}

TEST(LegacyBlurDab, TransparentLayerPutsNothingAndSizesBelowOneWorkAsOne)
{
    CBlockVMTC clear(20, 20);
    fillLayer(clear, [](int, int) { return 0x00FFFFFFu; });
    TMTC tc(20, 20);
    EXPECT_TRUE(capturedBlur(drawBlurDab, tc, clear, 1, 10, 10, 3, 1).empty());

    CBlockVMTC layer(20, 20);
    fillRandom(layer, 7);
    const Puts one = capturedBlur(drawBlurDab, tc, layer, 1, 9.5f, 10.2f, 4, 1);
    EXPECT_EQ(capturedBlur(drawBlurDab, tc, layer, 0, 9.5f, 10.2f, 4, 1), one);
    EXPECT_EQ(capturedBlur(drawBlurDab, tc, layer, -5, 9.5f, 10.2f, 4, 1), one);
    EXPECT_FALSE(drawBlurDab(tc, layer, 1, -20, 10, 4, 1));
}

TEST(LegacyBlurDabOld, QuarterPixelDiscAtTheCornersOpacity)
{
    CBlockVMTC layer(12, 12);
    fillLayer(layer, [](int, int) { return bgra(200, 100, 50, 255); });
    TMTC tc;
    fillCanvas(tc, 12, 12, [](int, int) { return bgra(0, 0, 0, 255); });
    ASSERT_TRUE(drawBlurDabOld(tc, layer, 0, 5.0f, 5.0f, 2.0f));
    // Radius 8 quarter pixels around (20, 20): only the four pixels whose corners all lie
    // inside. Opacities from the top-left corners: 128, 192, 192, 255; the version-1 put moves
    // each channel by opacity × 2 × (c/2 - p/2) / 255.
    EXPECT_EQ(tc.getColor(5, 5), bgra(200, 100, 50, 255));
    EXPECT_EQ(tc.getColor(4, 4), bgra(100, 50, 25, 255));
    EXPECT_EQ(tc.getColor(5, 4), bgra(150, 75, 37, 255));
    EXPECT_EQ(tc.getColor(4, 5), bgra(150, 75, 37, 255));
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 12; ++x) {
            if (x < 4 || x > 5 || y < 4 || y > 5) {
                EXPECT_EQ(tc.getColor(x, y), bgra(0, 0, 0, 255)) << x << "," << y;
            }
        }
    }
}

TEST(LegacyBlur2, WeakFlowCopiesTheLayerAndStrongFlowBlursColourOnly)
{
    CBlockVMTC layer(5, 5);
    // Red 90 around a black centre; the layer's alpha 77.
    fillLayer(layer, [](int x, int y) {
        return x == 2 && y == 2 ? bgra(0, 0, 0, 77) : bgra(90, 0, 0, 77);
    });
    TChannel flow;
    TMTC tc;
    struct Case
    {
        uint8_t flow;
        int mask; // -1: no mask
        uint32_t expect;
    };
    const Case cases[] = {
        {0, -1, bgra(0, 0, 0, 77)},     // copied, alpha too
        {1, -1, bgra(0, 0, 0, 77)},     // copied
        {2, -1, bgra(18, 0, 0, 200)},   // 8 × 90 / (30 + 8), canvas alpha kept
        {200, -1, bgra(80, 0, 0, 200)}, // 8 × 90 / 9
        {4, 128, bgra(18, 0, 0, 200)},  // 4 × 128 >> 8 = 2
        {4, 64, bgra(0, 0, 0, 77)},     // 4 × 64 >> 8 = 1: copied
        {4, 255, bgra(20, 0, 0, 200)},  // a mask of 255 leaves a = 4: 720 / 36 = 20
    };
    for (const Case &c : cases) {
        fillChannel(flow, 5, 5, [&](int, int) { return c.flow; });
        fillCanvas(tc, 5, 5, [](int, int) { return bgra(255, 255, 255, 200); });
        TChannel mask;
        fillChannel(mask, 5, 5, [&](int, int) { return uint8_t(c.mask < 0 ? 0 : c.mask); });
        ASSERT_TRUE(applyBlur2Box(tc, layer, flow, {2, 2, 1, 1}, c.mask < 0 ? nullptr : &mask));
        EXPECT_EQ(tc.getColor(2, 2), c.expect) << int(c.flow) << " " << c.mask;
        EXPECT_EQ(tc.getColor(1, 1), bgra(255, 255, 255, 200));
    }
    EXPECT_FALSE(applyBlur2Box(tc, layer, flow, {5, 0, 2, 2}, nullptr));
}
