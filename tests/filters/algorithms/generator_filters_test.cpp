// The generators: the plasma noise (flat at contrast 0, power-of-two channels, the row-wise steps
// against the plain ones), clouds and plasma over any part, the blend tables, the tileable clouds
// and rocks texture with its octave upsampling, and the tiles.
#include "filters/algorithms/generator_filters.h"

#include "filters/algorithms/algorithm_test_support.h"
#include "filters/algorithms/plasma.h"

#include <gtest/gtest.h>

#include <random>

using namespace algotest;
using filtertest::firstDifference;

namespace {

FilterRun cloudsRun(uint32_t c1, uint32_t c2, uint32_t seed, uint16_t contrast, uint8_t mode,
              uint8_t opacity)
{
    sFltObj4 r = obj4(int32_t(c1), int32_t(c2), int32_t(seed), 0);
    r.data3.w0 = contrast, r.data3.b2 = mode, r.data3.b3 = opacity;
    return [=](sFlt4Params &p) { return fltClouds(p, &r, kFltObj4Size); };
}

FilterRun plasmaRun(uint32_t seed, bool mono, uint16_t contrast, uint8_t mode, uint8_t opacity)
{
    sFltObj4 r = obj4(int32_t(seed), 0, 0, 0);
    r.data1.b0 = mono, r.data1.w1 = contrast, r.data2.b0 = mode, r.data2.b1 = opacity;
    return [=](sFlt4Params &p) { return fltPlasma(p, &r, kFltObj4Size); };
}

FilterRun rocksRun(uint32_t c2, uint32_t c1, uint32_t seed, uint16_t tw, uint16_t th, uint16_t contrast,
             uint16_t softness)
{
    sFltObj6 r{};
    r.data0.all = int32_t(c2), r.data1.all = int32_t(c1), r.data2.all = int32_t(seed);
    r.data3.w0 = tw, r.data3.w1 = th, r.data4.w0 = contrast, r.data4.w1 = softness;
    return [=](sFlt4Params &p) { return fltCloudsRocks(p, &r, kFltObj6Size); };
}

FilterRun tilesRun(uint8_t shape, uint8_t colours, uint16_t size, uint32_t c0, uint32_t c1, uint32_t c2)
{
    sFltObj4 r = obj4(0, int32_t(c0), int32_t(c1), int32_t(c2));
    r.data0.b0 = shape, r.data0.b1 = colours, r.data0.w1 = size;
    return [=](sFlt4Params &p) { return fltTiles(p, &r, kFltObj4Size); };
}

bool sameChannel(const TChannel &a, const TChannel &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.getColor(x, y) != b.getColor(x, y))
                return false;
    return true;
}

TEST(GeneratorFilters, PlasmaChannelSizesAndFlatContrast)
{
    TPlasma plasma;
    ASSERT_TRUE(plasma.Generate(5, 3, 1234, 0));
    EXPECT_EQ(plasma.channel1().width(), 8) << "the next power of two";
    EXPECT_EQ(plasma.channel1().height(), 4);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(plasma.channel1().getColor(x, y), 128) << "contrast 0 draws only zeros";

    // One pixel: the first seed alone.
    ASSERT_TRUE(plasma.Generate(1, 1, 99, 40));
    SRand r;
    randInit(r, 99, -40, 40);
    for (int i = 0; i < 3; ++i)
        randNext(r);
    EXPECT_EQ(plasma.channel1().getColor(0, 0), 128 + randNext(r)) << "four seeds on one point";
    EXPECT_FALSE(plasma.Generate(0, 4, 1, 1));
}

TEST(GeneratorFilters, PlasmaRowStepsEqualThePlainSteps)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 30; ++round) {
        const int32_t w = 1 + int32_t(rng() % 70), h = 1 + int32_t(rng() % 50);
        const uint32_t s = rng();
        const float contrast = float(rng() % 70000) / 256.0f;
        TPlasma fast, plain;
        plain.plainSteps = true;
        ASSERT_TRUE(fast.Generate(w, h, s, contrast) && plain.Generate(w, h, s, contrast));
        ASSERT_TRUE(sameChannel(fast.channel1(), plain.channel1())) << w << " x " << h;
        TPlasma3 fast3, plain3;
        plain3.plainSteps = true;
        ASSERT_TRUE(fast3.Generate(w, h, s, contrast) && plain3.Generate(w, h, s, contrast));
        ASSERT_TRUE(sameChannel(fast3.channel1(), plain3.channel1()) &&
                    sameChannel(fast3.channel2(), plain3.channel2()) &&
                    sameChannel(fast3.channel3(), plain3.channel3()))
            << w << " x " << h;
    }
}

TEST(GeneratorFilters, CloudsWithoutContrastMixTheColoursAtHalf)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(20, 12, rng);
    const SRunResult r =
        runFilter(*src, SRunSetup{{2, 1, 17, 11}}, cloudsRun(0xFF000000, 0xFFFFFFFF, 7, 0, 0, 255));
    ASSERT_TRUE(r.ok);
    for (int32_t y = 1; y < 11; ++y)
        for (int32_t x = 2; x < 17; ++x)
            ASSERT_EQ(r.image->getColor(x, y), 0xFF808080u) << x << "," << y;
}

TEST(GeneratorFilters, CloudsUseTheFirstColumnsOfTheChannel)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(12, 9, rng);
    const sRect effect{4, 2, 9, 8}; // 5 x 6: a channel of 8 x 8
    const SRunResult r =
        runFilter(*src, SRunSetup{effect}, cloudsRun(0xFF102030, 0xFFF0E0D0, 555, 700, 0, 255));
    ASSERT_TRUE(r.ok);
    TPlasma plasma;
    ASSERT_TRUE(plasma.Generate(5, 6, 555, 700 / 256.0f));
    ASSERT_EQ(plasma.channel1().width(), 8);
    for (int32_t y = effect.y0; y < effect.y1; ++y)
        for (int32_t x = effect.x0; x < effect.x1; ++x) {
            sBGRA c{.all = 0xFF102030};
            pixelPutAlpha(&c, 0xFFF0E0D0, plasma.channel1().getColor(x - 4, y - 2));
            ASSERT_EQ(r.image->getColor(x, y), c.all) << x << "," << y;
        }
}

TEST(GeneratorFilters, BlendTables)
{
    EXPECT_EQ(generatorBlendPuts(true)[0], &pixelPutAlpha);
    EXPECT_EQ(generatorBlendPuts(false)[0], &pixelMergeStd);
    for (bool prt : {false, true}) {
        const BlendPutTable &t = generatorBlendPuts(prt);
        EXPECT_EQ(t[size_t(TBlendMode::bmDodgeLinear)], &pixelPutAdd);
        EXPECT_EQ(t[size_t(TBlendMode::bmMultiple)], &pixelPutMul);
        EXPECT_EQ(t[size_t(TBlendMode::bmBurnLinear)], &pixelPutSub);
        EXPECT_EQ(t[size_t(TBlendMode::bmBurnLinearNega)], &putSubNeg);
        EXPECT_EQ(t[size_t(TBlendMode::bmScreen)], &putScreen);
        for (int i = 1; i < kBlendModeCount; ++i)
            EXPECT_EQ(t[size_t(i)], generatorBlendPuts(!prt)[size_t(i)]) << "only standard differs";
    }
    // Bit 7 of the clouds' mode is ignored; a mode past the table is refused.
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(10, 10, rng);
    const SRunSetup s{{0, 0, 10, 10}};
    const SRunResult a = runFilter(*src, s, cloudsRun(0xFF0000FF, 0xFFFF0000, 3, 256, 0x86, 200));
    const SRunResult b = runFilter(*src, s, cloudsRun(0xFF0000FF, 0xFFFF0000, 3, 256, 6, 200));
    ASSERT_TRUE(a.ok && b.ok);
    EXPECT_EQ(firstDifference(*a.image, *b.image), "");
    for (const FilterRun &bad : {cloudsRun(0, 0, 3, 256, 0x96, 200), plasmaRun(3, false, 256, 22, 255)}) {
        const SRunResult r = runFilter(*src, s, bad);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(firstDifference(*r.image, *src), "");
    }
}

TEST(GeneratorFilters, RocksTextureRepeatsFromTheLayerOrigin)
{
    initialiseFilters();
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(40, 30, rng);
    const sRect effect{5, 3, 40, 30};
    for (auto [softness, contrast] : {std::pair{0, 120}, std::pair{250, 60}}) {
        const SRunResult r = runFilter(*src, SRunSetup{effect},
                                       rocksRun(0xFF204060, 0xFFE0C0A0, rng(), 11, 7,
                                                uint16_t(contrast), uint16_t(softness)));
        ASSERT_TRUE(r.ok);
        int varied = 0;
        for (int32_t y = effect.y0; y < effect.y1; ++y)
            for (int32_t x = effect.x0; x < effect.x1; ++x) {
                if (x + 11 < effect.x1) {
                    ASSERT_EQ(r.image->getColor(x, y), r.image->getColor(x + 11, y)) << x << "," << y;
                }
                if (y + 7 < effect.y1) {
                    ASSERT_EQ(r.image->getColor(x, y), r.image->getColor(x, y + 7)) << x << "," << y;
                }
                varied += r.image->getColor(x, y) != r.image->getColor(effect.x0, effect.y0);
            }
        EXPECT_GT(varied, 0) << "softness " << softness;
    }
    // The texture is anchored at the layer's origin: texel (x mod 11, y mod 7) whatever the effect.
    const SRunResult a = runFilter(*src, SRunSetup{{0, 0, 40, 30}}, rocksRun(0xFF000000, 0xFFFFFFFF, 8, 11, 7, 500, 0));
    const SRunResult b = runFilter(*src, SRunSetup{{13, 9, 30, 22}}, rocksRun(0xFF000000, 0xFFFFFFFF, 8, 11, 7, 500, 0));
    ASSERT_TRUE(a.ok && b.ok);
    for (int32_t y = 9; y < 22; ++y)
        for (int32_t x = 13; x < 30; ++x)
            ASSERT_EQ(a.image->getColor(x, y), b.image->getColor(x, y)) << x << "," << y;

    const SRunResult flat = runFilter(*src, SRunSetup{effect}, rocksRun(0, 0, 1, 11, 7, 0, 0));
    EXPECT_TRUE(flat.ok && flat.unchanged);
    for (auto [tw, th] : {std::pair{0, 7}, std::pair{11, 0}}) {
        const SRunResult r = runFilter(*src, SRunSetup{effect}, rocksRun(0, 0, 1, uint16_t(tw), uint16_t(th), 9, 0));
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(firstDifference(*r.image, *src), "");
    }
}

TEST(GeneratorFilters, OctaveUpsamplingEqualsTheReference)
{
    initialiseFilters();
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 50; ++round) {
        const int32_t tw = 1 + int32_t(rng() % 90), th = 1 + int32_t(rng() % 60);
        const int32_t sw = 1 + int32_t(rng() % uint32_t(tw)), sh = 1 + int32_t(rng() % uint32_t(th));
        std::vector<uint8_t> grid(size_t(sw * sh)), acc(size_t(tw * th));
        for (uint8_t &g : grid)
            g = uint8_t(rng());
        for (uint8_t &a : acc)
            a = uint8_t(rng());
        std::vector<uint8_t> ref = acc;
        const long double f = (long double)(rng() % 1000) / 97.0L;
        addCloudOctave(acc, tw, th, grid, sw, sh, f);
        addCloudOctaveReference(ref, tw, th, grid, sw, sh, f);
        ASSERT_EQ(acc, ref) << tw << " x " << th << " from " << sw << " x " << sh;
    }
}

TEST(GeneratorFilters, TilesAlternateAndRefuseSmallSizes)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    const auto src = randomLayer(40, 30, rng);
    const sRect effect{3, 2, 40, 30};
    const uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
    const SRunResult r = runFilter(*src, SRunSetup{effect}, tilesRun(1, 0, 8, red, blue, 0));
    ASSERT_TRUE(r.ok);
    for (int32_t y = effect.y0; y < effect.y1; ++y)
        for (int32_t x = effect.x0; x < effect.x1; ++x)
            ASSERT_EQ(r.image->getColor(x, y), ((y - 2) / 8 + (x - 3) / 8) % 2 ? blue : red)
                << x << "," << y;

    // Triangles of two opaque colours: every pixel is one of them or a mix along the slopes, and
    // the rows alternate their first colour.
    const SRunResult t = runFilter(*src, SRunSetup{effect}, tilesRun(0, 0, 12, red, blue, 0));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.image->getColor(3 + 6, 2), blue) << "the top middle of the first cell is B";
    EXPECT_EQ(t.image->getColor(3 + 6, 2 + 10 + 9), red) << "the next row starts one colour on";

    for (const FilterRun &bad : {tilesRun(1, 0, 7, red, blue, 0), tilesRun(2, 0, 8, red, blue, 0),
                           tilesRun(0, 2, 8, red, blue, 0)}) {
        const SRunResult b = runFilter(*src, SRunSetup{effect}, bad);
        EXPECT_FALSE(b.ok);
        EXPECT_EQ(firstDifference(*b.image, *src), "");
    }
}

TEST(GeneratorFilters, PartOfTheEffectEqualsTheWholeThere)
{
    const std::vector<SNamedRun> cases = {
        {"fltClouds", cloudsRun(0xFF112233, 0x80FFEEDD, 41, 900, 0, 230)},
        {"fltClouds screen", cloudsRun(0xFF112233, 0xFFFFEEDD, 42, 256, 2, 255)},
        {"fltPlasma", plasmaRun(77, false, 512, 0, 200)},
        {"fltPlasma mono", plasmaRun(78, true, 300, 11, 255)},
        {"fltCloudsRocks", rocksRun(0xFF000000, 0xFFFFFFFF, 5, 19, 13, 250, 0)},
        {"fltCloudsRocks rocks", rocksRun(0xFF804020, 0x40FFFFFF, 6, 200, 200, 400, 30)},
        {"fltTiles triangles", tilesRun(0, 1, 9, 0xFFFF0000, 0x8000FF00, 0xFF0000FF)},
        {"fltTiles squares", tilesRun(1, 1, 8, 0xFFFF0000, 0x8000FF00, 0xFF0000FF)},
    };
    expectPartEqualsWhole(cases);
}

} // namespace
