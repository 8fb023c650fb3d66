#include "filters/algorithms/gen1_filters.h"

#include "filters/algorithms/adjustment_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

using namespace filtertest;

namespace {

// A layer at view position 0 with no selection.
struct Gen1Layer
{
    explicit Gen1Layer(std::unique_ptr<CBlockVMTC> img) : image(std::move(img)), noMask(0) {}
    SFilterLayerView view() { return SFilterLayerView{image.get(), TLayerMode::LM_STD, {}, false, 1}; }
    std::unique_ptr<CBlockVMTC> image;
    CMaskData noMask;
};

std::unique_ptr<CBlockVMTC> randomImage(int32_t w, int32_t h, uint32_t seed)
{
    std::mt19937 rng(seed);
    auto img = std::make_unique<CBlockVMTC>(w, h);
    fillRandom(*img, rng);
    return img;
}

} // namespace

TEST(Gen1Filters, PosterizeTable)
{
    ASSERT_TRUE(buildOrgPosterizeTable(2));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(gOrgTableR[size_t(i)], i <= 128 ? 0 : 255) << i;
    EXPECT_EQ(gOrgTableG, gOrgTableR);
    EXPECT_EQ(gOrgTableB, gOrgTableR);

    Gen1Layer l(randomImage(6, 5, 1));
    const CBlockVMTC before(*l.image);
    EXPECT_FALSE(orgFltPosterize(l.view(), &l.noMask, 1));
    EXPECT_FALSE(orgFltPosterize(l.view(), &l.noMask, 255));
    EXPECT_EQ(firstDifference(*l.image, before), "");
    EXPECT_TRUE(orgFltPosterize(l.view(), &l.noMask, 4));
}

TEST(Gen1Filters, LevelsTable)
{
    ASSERT_TRUE(buildOrgLevelsTable(0, 128, 255, 0, 255));
    EXPECT_EQ(gOrgTableR[128], 127);
    EXPECT_EQ(gOrgTableR[0], 0);
    EXPECT_EQ(gOrgTableR[255], 255);
    // Input white below black with the midtone on black: a quotient over 0 is refused.
    Gen1Layer l(randomImage(6, 5, 2));
    const CBlockVMTC before(*l.image);
    EXPECT_FALSE(orgFltLevels(l.view(), &l.noMask, 200, 200, 100, 0, 255));
    EXPECT_EQ(firstDifference(*l.image, before), "");
}

TEST(Gen1Filters, GammaFactorAndPower)
{
    EXPECT_EQ(gammaFactor(-50), 0.65f);
    EXPECT_FLOAT_EQ(gammaFactor(50), 1 / 0.65f);
    EXPECT_EQ(gammaFactor(0), 1.0f);
    EXPECT_FLOAT_EQ(powerSingle(0.25f, 0.5f), 0.5f);
    EXPECT_EQ(powerSingle(0.0f, 2.0f), 0.0f);
}

TEST(Gen1Filters, BrightnessContrastTable)
{
    ASSERT_TRUE(buildOrgBrightnessContrastTable(0, 0));
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(gOrgTableR[size_t(i)], i) << "neutral " << i;
    ASSERT_TRUE(buildOrgBrightnessContrastTable(0, 50));
    EXPECT_GT(gOrgTableR[128], 128) << "brighter";
    EXPECT_FALSE(buildOrgBrightnessContrastTable(200, 0)) << "a factor past its pole";
}

TEST(Gen1Filters, SharpenKeepsFlatAreasAndVerticalEdges)
{
    const auto flat = [](int32_t, int32_t) { return 0xFF506070u; };
    const auto edge = [](int32_t x, int32_t) { return x < 4 ? 0xFF102030u : 0xFFE0D0C0u; };
    for (const bool more : {false, true})
        for (const auto &f : {std::function<uint32_t(int32_t, int32_t)>(flat),
                              std::function<uint32_t(int32_t, int32_t)>(edge)}) {
            Gen1Layer l(makeLayer(8, 6, f));
            const CBlockVMTC source(*l.image);
            ASSERT_TRUE(more ? orgFltSharpenMore(source, l.view(), &l.noMask)
                             : orgFltSharpen(source, l.view(), &l.noMask));
            EXPECT_EQ(firstDifference(*l.image, source), "") << "more " << more;
        }
    // A horizontal edge is sharpened: (9 c - above - below) / 7 and 3 c - above - below.
    TPixelMatrix m;
    m.setWeights({-1, -1, -1, -1, 9, -1, -1, -1, -1});
    m.setPixels({sBGRA{.all = 0}, sBGRA{.all = 0xFF101010u}, {}, {}, sBGRA{.all = 0xFF646464u}, {}, {},
                 sBGRA{.all = 0xFF646464u}, {}});
    EXPECT_EQ(m.calcPixel().all, 0xFF707070u); // (900 - 16 - 100) / 7 = 112
}

TEST(Gen1Filters, NoiseWithOneSeedRepeats)
{
    const auto run = [](uint32_t seed) {
        Gen1Layer l(randomImage(12, 9, 7));
        const CBlockVMTC source(*l.image);
        EXPECT_TRUE(orgFltNoise(source, l.view(), &l.noMask, 60, false, seed));
        return std::move(l.image);
    };
    const auto a = run(0), b = run(0), c = run(1);
    EXPECT_EQ(firstDifference(*a, *b), "");
    EXPECT_NE(firstDifference(*a, *c), "");
    const auto original = randomImage(12, 9, 7);
    EXPECT_NE(firstDifference(*a, *original), "");
}

TEST(Gen1Filters, MosaicCoversThePartialEdgeCells)
{
    Gen1Layer l(makeLayer(10, 7, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x * 20 + y); }));
    const CBlockVMTC source(*l.image);
    ASSERT_TRUE(orgFltMosaic(source, l.view(), &l.noMask, 4, false));
    // Every pixel of a cell, the partial ones at the right and bottom too, has its cell's colour.
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(l.image->getColor(x, y), l.image->getColor(x / 4 * 4, y / 4 * 4)) << x << ", " << y;
    // The cell at (8, 4) reads 4 x 4 clamped positions: column 9 and row 6 stand for those
    // beyond the edge. Blue is x * 20 + y: columns 8, 9, 9, 9 and rows 4, 5, 6, 6.
    const uint32_t b = ((160 + 180 * 3) * 4 + (4 + 5 + 6 * 2) * 4) / 16;
    EXPECT_EQ(l.image->getColor(8, 4) & 0xFF, b & 0xFF);
    EXPECT_FALSE(orgFltMosaic(source, l.view(), &l.noMask, 1, false));
}

TEST(Gen1Filters, MosaicWithAHugeCellStaysBounded)
{
    // One cell covers the whole layer and reaches far beyond it: the sums must not overflow and
    // the work must stay that of the layer.
    Gen1Layer l(randomImage(9, 6, 3));
    l.image->setAlphaAll(255);
    const CBlockVMTC source(*l.image);
    ASSERT_TRUE(orgFltMosaic(source, l.view(), &l.noMask, std::numeric_limits<int32_t>::max(), true));
    const sBGRA corner = pixelAt(source, 8, 5), got = pixelAt(*l.image, 0, 0);
    EXPECT_LE(std::abs(got.B - corner.B), 1) << "the far corner outweighs the rest";
    EXPECT_LE(std::abs(got.R - corner.R), 1);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 9; ++x)
            EXPECT_EQ(l.image->getColor(x, y), got.all) << x << ", " << y;
}

TEST(Gen1Filters, MotionAndRadialEdgeValues)
{
    Gen1Layer l(randomImage(11, 8, 9));
    const CBlockVMTC source(*l.image);
    // Distance 0: one sample at offset 0 (no step of 0 / 0): nothing changes.
    ASSERT_TRUE(orgFltMotionBlur(source, l.view(), &l.noMask, 0.0f, 0.7f, false));
    EXPECT_EQ(firstDifference(*l.image, source), "");
    EXPECT_FALSE(orgFltMotionBlur(source, l.view(), &l.noMask, 40000.0f, 0.0f, false));
    EXPECT_FALSE(orgFltMotionBlur(source, l.view(), &l.noMask, std::nanf(""), 0.0f, false));
    ASSERT_TRUE(orgFltMotionBlur(source, l.view(), &l.noMask, 3.0f, 0.0f, true));
    EXPECT_NE(firstDifference(*l.image, source), "");

    // Amount 0 and a 1 x 1 layer change nothing; beyond 32767 is refused.
    Gen1Layer r(randomImage(11, 8, 10));
    const CBlockVMTC rs(*r.image);
    EXPECT_TRUE(orgFltRadialBlur(rs, r.view(), &r.noMask, 0.0f, 5, 4, false));
    EXPECT_EQ(firstDifference(*r.image, rs), "");
    EXPECT_FALSE(orgFltRadialBlur(rs, r.view(), &r.noMask, 40000.0f, 5, 4, false));
    Gen1Layer one(randomImage(1, 1, 11));
    const CBlockVMTC os(*one.image);
    EXPECT_TRUE(orgFltRadialBlur(os, one.view(), &one.noMask, 10.0f, 0, 0, false));
    EXPECT_EQ(firstDifference(*one.image, os), "");
    EXPECT_FALSE(orgFltRadialBlur(rs, r.view(), &r.noMask, 5.0f, 5, 1 << 21, false))
        << "a centre too far away for 16.16 offsets";
    EXPECT_TRUE(orgFltRadialBlur(rs, r.view(), &r.noMask, 5.0f, 5, 4, false));
    EXPECT_NE(firstDifference(*r.image, rs), "");
}

TEST(Gen1Filters, HueSaturationValues)
{
    Gen1Layer l(makeLayer(3, 1, [](int32_t x, int32_t) { return x == 0 ? 0xFFC86432u : (x == 1 ? 0xFF2080F0u : 0xFF808080u); }));
    const CBlockVMTC before(*l.image);
    EXPECT_FALSE(orgFltHueSaturation(l.view(), &l.noMask, 0, 0, 128));
    EXPECT_FALSE(orgFltHueSaturation(l.view(), &l.noMask, 0, 0, -128));
    EXPECT_EQ(firstDifference(*l.image, before), "");
    // Saturation -100 makes grey; a shift of whole turns equals no shift.
    Gen1Layer a(makeLayer(3, 1, [&](int32_t x, int32_t) { return before.getColor(x, 0); }));
    Gen1Layer b(makeLayer(3, 1, [&](int32_t x, int32_t) { return before.getColor(x, 0); }));
    ASSERT_TRUE(orgFltHueSaturation(a.view(), &a.noMask, 40, 0, 0));
    ASSERT_TRUE(orgFltHueSaturation(b.view(), &b.noMask, 40 + 360 * 100, 0, 0));
    EXPECT_EQ(firstDifference(*a.image, *b.image), "");
    ASSERT_TRUE(orgFltHueSaturation(l.view(), &l.noMask, 0, -100, 0));
    for (int32_t x = 0; x < 3; ++x) {
        const sBGRA c = pixelAt(*l.image, x, 0);
        EXPECT_LE(std::max({c.R, c.G, c.B}) - std::min({c.R, c.G, c.B}), 1) << x;
    }
}

TEST(Gen1Filters, SelectionWeightsAndMissingEffectRectangle)
{
    Gen1Layer l(randomImage(8, 8, 12));
    // Only the mask's pixel (2, 3) is selected; the mask sits one pixel right of the layer.
    CMaskData mask(0, 8, 8);
    mask.viewPos = {1, 0};
    mask.maskTC->setPixel(2, 3, 255);
    const CBlockVMTC before(*l.image);
    ASSERT_TRUE(orgFltGrayscale(l.view(), &mask));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            if (x != 1 || y != 3) {
                ASSERT_EQ(l.image->getColor(x, y), before.getColor(x, y)) << x << ", " << y;
            }
        }
    // An empty selection leaves no effect rectangle.
    CMaskData empty(0, 8, 8);
    EXPECT_FALSE(orgFltGrayscale(l.view(), &empty));
    sRect rect{0, 0, 2, 2};
    EXPECT_TRUE(orgFltPosterize(l.view(), &l.noMask, 3, &rect));
    EXPECT_EQ(rect, (sRect{0, 0, 2, 2}));
}
