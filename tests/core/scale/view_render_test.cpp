#include "core/scale/view_render.h"

#include <gtest/gtest.h>

#include <numbers>
#include <vector>

namespace {

std::vector<uint8_t> ramp(int n)
{
    std::vector<uint8_t> v(size_t(n) * n);
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = uint8_t(10 + i * 7);
    return v;
}

} // namespace

// Byte views have no half-pixel offset: with an even size each square is exactly one source
// pixel, with an odd size each square straddles two pixels on each axis.
TEST(RenderRotatedBytes, IdentityCopiesAnEvenViewAndHalvesAnOddOne)
{
    const std::vector<uint8_t> src = ramp(4);
    std::vector<uint8_t> dst(16, 0);
    renderRotatedBytes(dst.data(), src.data(), {4, 4}, 0, 1.0f, 1.0f, 0.0f, {2, 2}, {4, 4});
    EXPECT_EQ(dst, src);

    std::vector<uint8_t> odd(9, 0);
    renderRotatedBytes(odd.data(), src.data(), {3, 3}, 0, 1.0f, 1.0f, 0.0f, {2, 2}, {4, 4});
    // The middle square spans (1.5, 1.5)-(2.5, 2.5): a quarter of each of four pixels.
    const int mean = (src[5] + src[6] + src[9] + src[10]) / 4;
    EXPECT_EQ(odd[4], mean);
}

TEST(RenderRotatedBytes, QuarterTurnMovesEachSquareCentre)
{
    const std::vector<uint8_t> src = ramp(4);
    std::vector<uint8_t> dst(16, 0);
    renderRotatedBytes(dst.data(), src.data(), {4, 4}, 0, 1.0f, 1.0f,
                       float(std::numbers::pi / 2), {2, 2}, {4, 4});
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst[y * 4 + x], src[x * 4 + (3 - y)]) << x << "," << y;
}

TEST(RenderRotatedBytes, OutsideAndUnmappableScalesGiveTheOutsideValue)
{
    const std::vector<uint8_t> src = ramp(4);
    std::vector<uint8_t> dst(16, 0);
    renderRotatedBytes(dst.data(), src.data(), {4, 4}, 99, 1.0f, 1.0f, 0.0f, {40, 2}, {4, 4});
    EXPECT_EQ(dst, std::vector<uint8_t>(16, 99));
    std::fill(dst.begin(), dst.end(), 0);
    renderRotatedBytes(dst.data(), src.data(), {4, 4}, 55, 1.0f, 0.0f, 0.0f, {2, 2}, {4, 4});
    EXPECT_EQ(dst, std::vector<uint8_t>(16, 55));
}

// Half scale: each view pixel averages a 2 x 2 block of the source.
TEST(RenderRotatedBytes, HalfScaleAveragesBlocks)
{
    const std::vector<uint8_t> src = ramp(4);
    std::vector<uint8_t> dst(4, 0);
    renderRotatedBytes(dst.data(), src.data(), {2, 2}, 0, 0.5f, 0.5f, 0.0f, {2, 2}, {4, 4});
    EXPECT_EQ(dst[0], (src[0] + src[1] + src[4] + src[5]) / 4);
    EXPECT_EQ(dst[3], (src[10] + src[11] + src[14] + src[15]) / 4);
}

// ---- canvases

#include "core/image_test_support.h"

#include "core/scale/scale_image.h"

namespace {

uint32_t meanOf(std::initializer_list<uint32_t> px)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (uint32_t p : px)
            sum += (p >> shift) & 0xFF;
        // trunc((sum + 0.01) / n): the 0.01 only matters to sums that are a hair short.
        out |= (sum / uint32_t(px.size())) << shift;
    }
    return out;
}

} // namespace

TEST(RenderRotatedView, IdentityOnAnOddViewCopiesTheSource)
{
    TMTC src, dst(5, 3);
    numberCanvas(src, 5, 3);
    CScaleImageTMTC scaler(nullptr, nullptr);
    ASSERT_TRUE(renderRotatedView(dst, src, scaler, 0x00ABCDEF, 1.0f, 0.0f, {0, 0, 5, 3}, {2, 1}));
    EXPECT_EQ(canvasPixels(dst), canvasPixels(src));

    TMTC mirrored(5, 3);
    ASSERT_TRUE(renderRotatedViewMirror(mirrored, src, scaler, 0, 1.0f, 0.0f, {0, 0, 5, 3},
                                        {2, 1}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(mirrored.getColor(x, y), src.getColor(4 - x, y));
}

TEST(RenderRotatedView, EvenSidesAverageNeighboursHalfAndHalf)
{
    TMTC src, dst(4, 3);
    numberCanvas(src, 5, 3);
    CScaleImageTMTC scaler(nullptr, nullptr);
    ASSERT_TRUE(renderRotatedView(dst, src, scaler, 0, 1.0f, 0.0f, {0, 0, 4, 3}, {2, 1}));
    // Destination column x covers source columns x and x + 1 half each.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst.getColor(x, y), meanOf({src.getColor(x, y), src.getColor(x + 1, y)}))
                << x << "," << y;
}

TEST(RenderRotatedView, OutsideTheSourceGetsTheOutsideColour)
{
    TMTC src, dst(3, 3);
    numberCanvas(src, 3, 3);
    dst.fillAll(0);
    CScaleImageTMTC scaler(nullptr, nullptr);
    // The view centred on the source's right edge: its right column lies wholly outside.
    ASSERT_TRUE(renderRotatedView(dst, src, scaler, 0x00ABCDEF, 1.0f, 0.0f, {0, 0, 3, 3}, {3, 1}));
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(dst.getColor(2, y), 0x00ABCDEFu);
        EXPECT_EQ(dst.getColor(1, y), 0x00ABCDEFu);
        EXPECT_EQ(dst.getColor(0, y), src.getColor(2, y));
    }
    EXPECT_FALSE(renderRotatedView(dst, src, scaler, 0, 0.0f, 0.0f, {0, 0, 3, 3}, {1, 1}));
    EXPECT_FALSE(renderRotatedView(dst, src, scaler, 0, 1.0f, 0.0f, {5, 5, 3, 3}, {1, 1}));
}

TEST(CacheHalve, AveragesBlocksAndTakesBackPastTheEdge)
{
    TMTC src, dst(2, 1);
    fillCanvas(src, 3, 2,
               {0x40404040, 0x80808080, 0x10203040, //
                0x40404040, 0x00000000, 0x10203040});
    cacheHalve(dst, src, {0, 0, 2, 1}, false, 0xF0F0F0F0);
    EXPECT_EQ(dst.getColor(0, 0), 0x40404040u); // (0x40 * 2 + 0x80) / 4
    // The last column: two source pixels and two of back.
    EXPECT_EQ(dst.getColor(1, 0), meanOf({0x10203040, 0x10203040, 0xF0F0F0F0, 0xF0F0F0F0}));
}

TEST(CacheHalve, WeightedIgnoresTransparentColourAndKeepsColourOfEmptyAreas)
{
    TMTC src, dst(2, 1);
    fillCanvas(src, 4, 2,
               {0xFF0000FF, 0x00FFFFFF, 0x00123456, 0x00654321, //
                0x00FFFFFF, 0x00FFFFFF, 0x00ABCDEF, 0x00000000});
    dst.fillAll(0x77665544);
    cacheHalve(dst, src, {0, 0, 2, 1}, true, 0);
    EXPECT_EQ(dst.getColor(0, 0), 0x3F0000FFu); // blue only, alpha 255 / 4
    EXPECT_EQ(dst.getColor(1, 0), 0x00665544u); // nothing visible: alpha 0, colour kept
}

TEST(CacheTwoThirds, ThreeColumnsSpreadEvenlyOverTwo)
{
    TMTC src, dst(2, 2);
    std::vector<uint32_t> px;
    for (int y = 0; y < 3; ++y)
        for (uint32_t v : {0u, 90u, 180u})
            px.push_back(0xFF000000u | v << 16);
    fillCanvas(src, 3, 3, px);
    cacheTwoThirds(dst, src, {0, 0, 2, 2}, false, 0);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(dst.getColor(0, y), 0xFF000000u | 30u << 16);  // (2 x 0 + 90) / 3
        EXPECT_EQ(dst.getColor(1, y), 0xFF000000u | 150u << 16); // (90 + 2 x 180) / 3
    }
}

TEST(AverageAreaF, MeansAreaOntoTransparentAndCompositesOverOpaque)
{
    TMTC src;
    fillCanvas(src, 2, 1, {0xFF0000C8, 0x80000064});
    sBGRA clear;
    clear.all = 0;
    sFRect r = {0.0f, 0.0f, 5.0f, 1.0f};
    averageAreaF(&clear, src, r);
    EXPECT_EQ(r.x1, 2.0f) << "cut to the source, written back";
    // Alpha-weighted: blue (200 x 255 + 100 x 128) / 383 = 166; alpha 383 / 2 = 191.
    EXPECT_EQ(clear.all, 0xBF0000A6u);

    sBGRA opaque;
    opaque.all = 0xFF640000;
    sFRect one = {0.25f, 0.0f, 0.75f, 1.0f}; // inside the first pixel: its colour, unweighted
    averageAreaF(&opaque, src, one);
    EXPECT_EQ(opaque.all, 0xFF0000C8u);

    sBGRA untouched;
    untouched.all = 0x12345678;
    TMTC empty;
    fillCanvas(empty, 1, 1, {0x00FFFFFF});
    sFRect any = {0, 0, 1, 1};
    averageAreaF(&untouched, empty, any);
    EXPECT_EQ(untouched.all, 0x12345678u);
}
