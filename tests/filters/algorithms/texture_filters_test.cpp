// The texture filters: noise without amount, the diffuse refusals and radius 0, the mosaic cells
// at the effect's edges, the halftone's white and black and its path without a canvas, the
// custom kernel's refusals, and previews of parts for all of them.
#include "filters/algorithms/texture_filters.h"

#include "filters/algorithms/algorithm_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace algotest;
using filtertest::firstDifference;

namespace {

FilterRun noiseRun(int32_t amount, bool grey, uint32_t seed)
{
    const sFltObj4 r = obj4(amount, grey, int32_t(seed), 0);
    return [=](sFlt4Params &p) { return fltNoise(p, &r, kFltObj4Size); };
}

// The protection byte follows the layer unless recorded is given.
FilterRun diffuseRun(int32_t radius, int32_t mode, uint32_t seed, bool directional,
               std::optional<uint8_t> recorded = std::nullopt)
{
    return [=](sFlt4Params &p) {
        sFltObj4 r = obj4(radius, mode, int32_t(seed), 0);
        r.data3.b0 = directional;
        r.data3.b2 = recorded.value_or(p.layerPrt);
        return fltDiffuse(p, &r, kFltObj4Size);
    };
}

FilterRun mosaicRun(int32_t size, int32_t keepAlpha)
{
    const sFltObj2 r{{.all = size}, {.all = keepAlpha}};
    return [=](sFlt4Params &p) { return fltMosaic(p, &r, kFltObj2Size); };
}

FilterRun halftoneRun(int32_t radius, int32_t red, int32_t green, int32_t blue)
{
    const sFltObj4 r = obj4(radius, red, green, blue);
    return [=](sFlt4Params &p) { return fltColorHalftone(p, &r, kFltObj4Size); };
}

FilterRun customRun(const SFltCustom &c, size_t blockBytes = sizeof(SFltCustom))
{
    return [=](sFlt4Params &p) {
        sFltObjComplex r;
        initFltObjComplex(r, 1, 108);
        r.data = std::span(reinterpret_cast<const uint8_t *>(&c), blockBytes);
        return fltCustom(p, &r, kFltObjComplexSize);
    };
}

SFltCustom customKernel(uint32_t seed, int32_t scale, int32_t offset)
{
    SFltCustom c;
    initFltCustom(c);
    std::mt19937 rng(seed);
    for (int32_t &w : c.matrix)
        w = int32_t(rng() % 11) - 4;
    c.scale = scale;
    c.offset = offset;
    return c;
}

TEST(TextureFilters, NoiseWithoutAmountChangesNothing)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(20, 15, rng);
    for (bool grey : {false, true}) {
        const SRunResult r = runFilter(*src, SRunSetup{{0, 0, 20, 15}}, noiseRun(0, grey, rng()));
        EXPECT_TRUE(r.ok && r.unchanged);
        EXPECT_EQ(firstDifference(*r.image, *src), "");
    }
    const SRunResult r = runFilter(*src, SRunSetup{{0, 0, 20, 15}}, noiseRun(40, true, 3));
    ASSERT_TRUE(r.ok && !r.unchanged);
    for (int32_t y = 0; y < 15; ++y)
        for (int32_t x = 0; x < 20; ++x) {
            const sBGRA a{.all = r.image->getColor(x, y)}, b{.all = src->getColor(x, y)};
            ASSERT_EQ(a.A, b.A) << "alpha stays";
            ASSERT_LE(std::abs(a.R - b.R), 40);
        }
}

TEST(TextureFilters, DiffuseRefusalsAndRadiusZero)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(25, 18, rng);
    const auto mask = softMask(25, 18, rng);
    for (bool prt : {false, true}) {
        const SRunSetup s{{2, 1, 23, 17}, std::nullopt, mask.get(), prt};
        for (const FilterRun &bad : {diffuseRun(3, 0, 1, false, !prt), diffuseRun(3, 0, 1, true, prt ? 0 : 9),
                               diffuseRun(3, 3, 1, false), diffuseRun(3, -1, 1, true)}) {
            const SRunResult r = runFilter(*src, s, bad);
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(firstDifference(*r.image, *src), "");
        }
        // Radius 0 takes every pixel's own colour through the mode.
        for (int32_t mode : {0, 1, 2}) {
            const SRunResult r = runFilter(*src, s, diffuseRun(0, mode, rng(), false));
            EXPECT_TRUE(r.ok);
            EXPECT_EQ(firstDifference(*r.image, *src), "") << mode;
        }
    }
    EXPECT_EQ(diffuseModeDarken(0x10FF2080, 0x80104020), 0x10102020u);
    EXPECT_EQ(diffuseModeLighten(0x10FF2080, 0x80104020), 0x80FF4080u);
}

TEST(TextureFilters, MosaicCellsAreAlignedToTheLayer)
{
    // Opaque columns with blue = 10 x column.
    CBlockVMTC src(20, 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 20; ++x)
            src.setPixel(x, y, 0xFF000000u | uint32_t(10 * x));
    const SRunResult r = runFilter(src, SRunSetup{{5, 0, 17, 10}}, mosaicRun(4, 0));
    ASSERT_TRUE(r.ok);
    const struct
    {
        int32_t x;
        uint32_t blue;
    } want[] = {{4, 40}, {5, 55}, {7, 55}, {8, 95}, {15, 135}, {16, 160}, {17, 170}};
    for (const auto &w : want)
        for (int32_t y = 0; y < 10; ++y)
            EXPECT_EQ(r.image->getColor(w.x, y), 0xFF000000u | w.blue) << w.x << "," << y;

    for (int32_t bad : {0, -4}) {
        const SRunResult b = runFilter(src, SRunSetup{{5, 0, 17, 10}}, mosaicRun(bad, 0));
        EXPECT_FALSE(b.ok);
    }
    // A cell far larger than the layer is one cell.
    const SRunResult huge = runFilter(src, SRunSetup{{5, 0, 17, 10}}, mosaicRun(0x7FFFFFFF, 1));
    ASSERT_TRUE(huge.ok);
    EXPECT_EQ(huge.image->getColor(5, 0), huge.image->getColor(16, 9));
}

TEST(TextureFilters, HalftoneOnWhiteAndOnBlack)
{
    const auto white = flatLayer(30, 30, 0xFFFFFFFF);
    const SRunResult w = runFilter(*white, SRunSetup{{0, 0, 30, 30}}, halftoneRun(4, 15, 75, -30));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(firstDifference(*w.image, *white), "") << "no ink on white";

    // On black every channel has full dots of radius 3: the origin dot at (15, 15) empties every
    // pixel within 2 of its centre.
    const auto black = flatLayer(30, 30, 0xFF000000);
    const SRunResult b = runFilter(*black, SRunSetup{{0, 0, 30, 30}}, halftoneRun(3, 0, 0, 0));
    ASSERT_TRUE(b.ok);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x)
            if (std::hypot(x + 0.5 - 15, y + 0.5 - 15) <= 2) {
                ASSERT_EQ(b.image->getColor(x, y), 0xFF000000u) << x << "," << y;
            }

    for (int32_t bad : {0, -3}) {
        const SRunResult r = runFilter(*black, SRunSetup{{0, 0, 30, 30}}, halftoneRun(bad, 0, 0, 0));
        EXPECT_FALSE(r.ok);
    }
    // A huge radius costs only the clipped area.
    EXPECT_TRUE(runFilter(*black, SRunSetup{{0, 0, 30, 30}}, halftoneRun(0x7FFFFFFF, 1, 2, 3)).ok);
}

TEST(TextureFilters, HalftoneWithoutACanvasDrawsTheSamePixels)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(40, 32, rng);
    const auto mask = softMask(40, 32, rng);
    for (bool prt : {false, true}) {
        const SRunSetup s{{3, 2, 37, 30}, sRect{5, 4, 30, 25}, mask.get(), prt};
        const FilterRun run = halftoneRun(3, 20, -45, 100);
        const SRunResult withCanvas = runFilter(*src, s, run);
        const auto old = setHalftoneCanvasMaker([](TMTC &, int32_t, int32_t) { return false; });
        const SRunResult without = runFilter(*src, s, run);
        setHalftoneCanvasMaker(old);
        ASSERT_TRUE(withCanvas.ok && without.ok);
        EXPECT_NE(firstDifference(*withCanvas.image, *src), "");
        EXPECT_EQ(firstDifference(*withCanvas.image, *without.image), "");
    }
}

TEST(TextureFilters, CustomKernelRefusals)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(16, 12, rng);
    const SRunSetup s{{0, 0, 16, 12}};
    for (const FilterRun &bad : {customRun(customKernel(seed, 0, 0)), customRun(customKernel(seed, 9, 0), 107)}) {
        const SRunResult r = runFilter(*src, s, bad);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(firstDifference(*r.image, *src), "");
    }
    SFltCustom identity;
    initFltCustom(identity);
    identity.matrix[12] = 1;
    const SRunResult r = runFilter(*src, s, customRun(identity));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(firstDifference(*r.image, *src), "");
    // Sums wrap in 32 bits instead of trapping.
    SFltCustom extreme = customKernel(seed, -1, 0x7FFFFFFF);
    extreme.matrix.fill(0x7FFFFFFF);
    EXPECT_TRUE(runFilter(*src, s, customRun(extreme)).ok);
}

TEST(TextureFilters, PartOfTheEffectEqualsTheWholeThere)
{
    const uint32_t seed = filtertest::testSeed();
    const std::vector<SNamedRun> cases = {
        {"fltNoise", noiseRun(70, false, seed)},
        {"fltNoise grey", noiseRun(30, true, seed + 1)},
        {"fltDiffuse", diffuseRun(3, 0, seed, false)},
        {"fltDiffuse darken", diffuseRun(5, 1, seed, false)},
        {"fltDiffuse directional", diffuseRun(4, 2, seed, true)},
        {"fltDiffuse directional none", diffuseRun(2, 0, seed, true)},
        {"fltMosaic", mosaicRun(5, 0)},
        {"fltMosaic keep alpha", mosaicRun(3, 1)},
        {"fltColorHalftone", halftoneRun(3, 15, 75, -30)},
        {"fltCustom", customRun(customKernel(seed, 7, 10))},
    };
    expectPartEqualsWhole(cases);
}

} // namespace
