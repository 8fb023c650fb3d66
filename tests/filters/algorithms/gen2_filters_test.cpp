// The second generation's algorithms: their copy and refusal paths, the recorded quirks worth
// keeping, the clouds' determinism and the Gaussian's buffers against the plain passes.
#include "filters/algorithms/gen2_filters.h"

#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using filtertest::firstDifference;

namespace {

// A layer with its backup; the layer starts different from the backup so that a copy shows.
struct Gen2Fixture
{
    Gen2Fixture(int32_t w, int32_t h, uint32_t seed) : layer(w, h), backup(w, h)
    {
        std::mt19937 rng(seed);
        filtertest::fillRandom(backup, rng);
        layer.copyArea(backup);
        view.image = &layer;
    }
    void scramble() { layer.PixelFill(0xFF0A0B0C); }
    CBlockVMTC layer, backup;
    SFilterLayerView view;
};

std::unique_ptr<CMaskData> selection(int32_t w, int32_t h, sRect content, uint8_t v = 255)
{
    auto m = std::make_unique<CMaskData>(0, w, h);
    m->maskTC->fillArea(content, v);
    return m;
}

TEST(Gen2Filters, SharpenCustomKernelAndItsNoOp)
{
    Kernel3 k;
    makeSharpenCustomKernel(1.0f, k);
    EXPECT_NEAR(k[4], 41, 1e-9);
    for (size_t i : {1u, 3u, 5u, 7u})
        EXPECT_NEAR(k[i], -10, 1e-9);
    for (size_t i : {0u, 2u, 6u, 8u})
        EXPECT_EQ(k[i], 0);
    Gen2Fixture f(20, 16, 3);
    f.scramble();
    const CBlockVMTC before(f.layer);
    for (float amount : {0.0f, -1.0f}) {
        EXPECT_TRUE(orgFltSharpenCustom(f.backup, f.view, nullptr, amount));
        EXPECT_EQ(firstDifference(f.layer, before), "");
    }
    EXPECT_FALSE(orgFltSharpenCustom(f.backup, f.view, nullptr, std::nanf("")));
}

// The custom sharpen walks the whole layer, not only the effect rectangle.
TEST(Gen2Filters, SharpenCustomWalksTheWholeLayer)
{
    Gen2Fixture f(24, 20, filtertest::testSeed());
    CBlockVMTC expected(f.backup);
    ASSERT_TRUE(orgFltSharpenCustom(f.backup, f.view, nullptr, 0.5f));
    Kernel3 k;
    makeSharpenCustomKernel(0.5f, k);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 24; ++x) {
            PixelBlock3 b;
            for (int j = 0; j < 3; ++j)
                for (int i = 0; i < 3; ++i)
                    b[size_t(j * 3 + i)].all = f.backup.PixelGet(x + i - 1, y + j - 1);
            sBGRA px{.all = f.backup.getColor(x, y)};
            pixelPutAlpha(&px, applyKernel3(k, b).all, 255);
            ASSERT_EQ(f.layer.getColor(x, y), px.all) << x << "," << y;
        }
}

TEST(Gen2Filters, WaveWithBothProductsZeroCopiesTheBackup)
{
    Gen2Fixture f(30, 20, 5);
    f.scramble();
    ASSERT_TRUE(orgFltWave(f.backup, f.view, nullptr, 5, 0, 0, 3, 0.5f));
    EXPECT_EQ(firstDifference(f.layer, f.backup), "");
    f.scramble();
    ASSERT_TRUE(orgFltWave(f.backup, f.view, nullptr, 5, 0, 2, 3, 0.5f));
    EXPECT_NE(firstDifference(f.layer, f.backup), "");
}

TEST(Gen2Filters, TwistInsideTheCircleLeavesWhatLiesOutsideTheInscribedSquare)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Gen2Fixture f(40, 30, seed);
    f.scramble();
    // Centre (10, 15): bx = 2 (20 + 10) = 60, by = 30, half 15.
    ASSERT_TRUE(orgFltTwist(f.backup, f.view, nullptr, 0.25f, 0.5f, 0.3f, true));
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            if (std::abs(10 - x) >= 15 || std::abs(15 - y) >= 15)
                ASSERT_EQ(f.layer.getColor(x, y), f.backup.getColor(x, y)) << x << "," << y;
            else
                changed += f.layer.getColor(x, y) != f.backup.getColor(x, y);
        }
    EXPECT_GT(changed, 0);
    f.scramble();
    ASSERT_TRUE(orgFltTwist(f.backup, f.view, nullptr, 0.25f, 0.5f, 0, true));
    EXPECT_EQ(firstDifference(f.layer, f.backup), "");
}

TEST(Gen2Filters, RocksBelowThresholdTwoPaintFullOpacity)
{
    for (int32_t threshold : {0, 1}) {
        Gen2Fixture f(40, 30, 7);
        TChannel work(40, 30);
        SOrgClouds c;
        c.fore.all = 0xFF336699;
        c.back.all = 0xFF000000;
        c.seed = 99;
        c.amplitude = 50;
        c.tileW = 16;
        c.tileH = 16;
        ASSERT_TRUE(orgFltCloudsRocks2(f.backup, f.view, nullptr, threshold, c, work));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x)
                ASSERT_EQ(f.layer.getColor(x, y), 0xFF336699u) << threshold;
    }
}

TEST(Gen2Filters, CloudTextureSteps)
{
    // addOctave: n = Trunc(0.5 x 255) = 127; 128 + 127 x 127 / 255 = 191.25; 128 - 63.75.
    TChannel acc(2, 1), oct(3, 1);
    acc.PixelFill(128);
    *oct.seek8(0, 0) = 255;
    *oct.seek8(1, 0) = 0;
    addOctave(oct, acc, 0.5);
    EXPECT_EQ(acc.getColor(0, 0), 191);
    EXPECT_EQ(acc.getColor(1, 0), 64);
    // upsampleCos of a 2 x 2 grid over 4 x 4: grid points land on even pixels, halfway between
    // them the cosine weight is 128 of 255; the right neighbour of the last column wraps.
    TChannel grid(2, 2), up(4, 4);
    *grid.seek8(0, 0) = 0;
    *grid.seek8(1, 0) = 255;
    *grid.seek8(0, 1) = 100;
    *grid.seek8(1, 1) = 100;
    upsampleCos(grid, up, 4, 4);
    EXPECT_EQ(up.getColor(0, 0), 0);
    EXPECT_EQ(up.getColor(2, 0), 255);
    EXPECT_EQ(up.getColor(1, 0), uint8_t(mix255(0, 255, 127)));
    EXPECT_EQ(up.getColor(3, 0), uint8_t(mix255(255, 0, 127)));
    EXPECT_EQ(up.getColor(0, 2), 100);
    // The value-weighted blur keeps a uniform channel, with or without wrapping.
    TChannel flat(9, 7), out(9, 7);
    flat.PixelFill(77);
    for (bool wrap : {true, false}) {
        out.PixelFill(0);
        gaussBlurChannel(flat, out, wrap, 1.5);
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < 9; ++x)
                ASSERT_EQ(out.getColor(x, y), 77) << wrap;
    }
}

// The texture depends on the seed and the tile only: two layers of different pictures get the
// same clouds (the background covers each fully first).
TEST(Gen2Filters, CloudsDependOnlyOnSeedAndTile)
{
    SOrgClouds c;
    c.fore.all = 0xFFFFFFFF;
    c.back.all = 0xFF204080;
    c.seed = 1234;
    c.amplitude = 8;
    c.tileW = 20;
    c.tileH = 12;
    Gen2Fixture a(48, 36, 1), b(48, 36, 2);
    TChannel wa(48, 36), wb(60, 40);
    wa.PixelFill(0);
    wb.PixelFill(200);
    ASSERT_TRUE(orgFltCloudsRocks(a.backup, a.view, nullptr, c, wa));
    ASSERT_TRUE(orgFltCloudsRocks(b.backup, b.view, nullptr, c, wb));
    EXPECT_EQ(firstDifference(a.layer, b.layer), "");
    int distinct = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x) {
            ASSERT_EQ(wa.getColor(x, y), wb.getColor(x, y));
            distinct += wa.getColor(x, y) != wa.getColor(0, 0);
        }
    EXPECT_GT(distinct, 0);
    // The tiles repeat across the layer.
    EXPECT_EQ(a.layer.getColor(3, 5), a.layer.getColor(23, 17));
    c.seed = 1235;
    Gen2Fixture d(48, 36, 1);
    ASSERT_TRUE(orgFltCloudsRocks(d.backup, d.view, nullptr, c, wa));
    EXPECT_NE(firstDifference(a.layer, d.layer), "");
}

// The vertical pass's image starts as transparent white left of the rectangle, so the alpha of an
// opaque layer falls off at the rectangle's left edge and not at its right.
TEST(Gen2Filters, GaussianAlphaFallsOffAtTheSelectionsLeftEdge)
{
    Gen2Fixture f(50, 20, 1);
    f.backup.PixelFill(0xFF808080);
    f.layer.PixelFill(0xFF808080);
    const auto sel = selection(50, 20, {10, 0, 30, 20});
    ASSERT_TRUE(orgFltGaussianBlur(f.backup, f.view, sel.get(), 3));
    EXPECT_LT(f.layer.getColor(10, 10) >> 24, 255u);
    EXPECT_EQ(f.layer.getColor(20, 10) >> 24, 255u);
    EXPECT_EQ(f.layer.getColor(29, 10) >> 24, 255u);
    EXPECT_EQ(f.layer.getColor(9, 10), 0xFF808080u);
}

TEST(Gen2Filters, GaussianBuffersEqualThePlainPasses)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 6; ++round) {
        Gen2Fixture a(45, 33, seed + round), b(45, 33, seed + round);
        a.view.maskProtected = b.view.maskProtected = round % 2 == 1;
        const int32_t x0 = int32_t(rng() % 15), y0 = int32_t(rng() % 10);
        const auto sel =
            selection(45, 33, {x0, y0, x0 + 10 + int32_t(rng() % 20), y0 + 8 + int32_t(rng() % 15)},
                      uint8_t(100 + rng() % 156));
        sRect hole{x0 + 2, y0 + 2, x0 + 5, y0 + 4};
        sel->maskTC->fillArea(hole, 0);
        const float radius = 0.5f + float(rng() % 60) / 10;
        const CMaskData *m = round == 5 ? nullptr : sel.get();
        ASSERT_TRUE(orgFltGaussianBlur(a.backup, a.view, m, radius));
        ASSERT_TRUE(orgFltGaussianBlurReference(b.backup, b.view, m, radius));
        ASSERT_EQ(firstDifference(a.layer, b.layer), "") << radius;
    }
    Gen2Fixture f(20, 20, 3);
    f.scramble();
    ASSERT_TRUE(orgFltGaussianBlur(f.backup, f.view, nullptr, 0));
    EXPECT_EQ(firstDifference(f.layer, f.backup), "");
}

// Values the workers would divide by, or that make their buffers unbounded, are refused.
TEST(Gen2Filters, UntrustedValuesAreRefusedBeforeAnyPixel)
{
    Gen2Fixture f(30, 20, 4);
    const CBlockVMTC before(f.layer);
    SOrgTiles t;
    t.count = 2;
    t.colors = {sBGRA{.all = 0xFFFF0000}, sBGRA{.all = 0xFF00FF00}, sBGRA{.all = 0xFF0000FF}};
    const auto tiles = [&](int32_t shape, int32_t size, int32_t count) {
        SOrgTiles r = t;
        r.shape = shape;
        r.size = size;
        r.count = count;
        return orgFltTiles(f.backup, f.view, nullptr, r);
    };
    EXPECT_FALSE(tiles(1, 1, 2));     // a triangle's half would be 0
    EXPECT_FALSE(tiles(0, 10001, 2)); // a mask of 10001 squared
    EXPECT_FALSE(tiles(0, -4, 2));
    EXPECT_FALSE(tiles(0, 4, 0));
    EXPECT_FALSE(tiles(0, 4, 4));
    EXPECT_FALSE(tiles(2, 4, 2));
    TChannel work(30, 20);
    SOrgClouds c;
    c.amplitude = 10;
    c.tileW = 0;
    c.tileH = 10;
    EXPECT_FALSE(orgFltCloudsRocks(f.backup, f.view, nullptr, c, work));
    c.tileW = 10;
    c.tileH = -1;
    EXPECT_FALSE(orgFltCloudsRocks(f.backup, f.view, nullptr, c, work));
    SFltLight l;
    initFltLight(l);
    EXPECT_FALSE(orgFltLighting(f.backup, f.view, nullptr, 100, sBGRA{.all = 0xFFFFFF}, -1,
                                std::span(&l, 1)));
    EXPECT_FALSE(orgFltLighting(f.backup, f.view, nullptr, 100, sBGRA{.all = 0xFFFFFF}, 2,
                                std::span(&l, 1)));
    EXPECT_FALSE(orgFltLighting(f.backup, f.view, nullptr, 100, sBGRA{.all = 0xFFFFFF}, 0, {}));
    l.posx = std::nanf("");
    EXPECT_FALSE(orgFltLighting(f.backup, f.view, nullptr, 100, sBGRA{.all = 0xFFFFFF}, 1,
                                std::span(&l, 1)));
    EXPECT_FALSE(orgFltWave(f.backup, f.view, nullptr, std::nanf(""), 1, 1, 1, 0));
    EXPECT_FALSE(orgFltEmboss(f.backup, f.view, nullptr, INFINITY, 0));
    EXPECT_EQ(firstDifference(f.layer, before), "");
    // A selection that misses the layer: no effect rectangle.
    const auto empty = selection(30, 20, {0, 0, 0, 0});
    EXPECT_FALSE(orgFltEmboss(f.backup, f.view, empty.get(), 2, 0));
}

TEST(Gen2Filters, TilesAndEmbossDraw)
{
    Gen2Fixture f(40, 30, 6);
    SOrgTiles t;
    t.count = 2;
    t.shape = 0;
    t.size = 10;
    t.colors = {sBGRA{.all = 0xFFFF0000}, sBGRA{.all = 0xFF00FF00}, sBGRA{.all = 0xFF0000FF}};
    ASSERT_TRUE(orgFltTiles(f.backup, f.view, nullptr, t));
    EXPECT_EQ(f.layer.getColor(5, 5), 0xFFFF0000u);
    EXPECT_EQ(f.layer.getColor(15, 5), 0xFF00FF00u);
    EXPECT_EQ(f.layer.getColor(15, 15), 0xFFFF0000u);
    t.shape = 1;
    ASSERT_TRUE(orgFltTiles(f.backup, f.view, nullptr, t));
    // Emboss keeps the layer's alpha; a uniform picture becomes grey 128.
    Gen2Fixture e(20, 20, 2);
    e.backup.PixelFill(0xFF336699);
    e.layer.PixelFill(0x40336699);
    ASSERT_TRUE(orgFltEmboss(e.backup, e.view, nullptr, 2, 0.7f));
    EXPECT_EQ(e.layer.getColor(10, 10), 0x40808080u);
}

// The selection is read at the layer position plus (mask viewPos - layer viewPos).
TEST(Gen2Filters, MaskIsReadThroughTheOffset)
{
    Gen2Fixture f(30, 20, 8);
    f.view.viewPos = {4, 2};
    auto sel = selection(40, 30, {10, 10, 20, 15});
    sel->viewPos = {6, 5}; // offset (2, 3): layer pixel (x, y) reads mask (x + 2, y + 3)
    f.backup.PixelFill(0xFF336699);
    f.layer.PixelFill(0xFF336699);
    ASSERT_TRUE(orgFltEmboss(f.backup, f.view, sel.get(), 2, 0.7f));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool in = x + 2 >= 10 && x + 2 < 20 && y + 3 >= 10 && y + 3 < 15;
            ASSERT_EQ(f.layer.getColor(x, y), in ? 0xFF808080u : 0xFF336699u) << x << "," << y;
        }
}

TEST(Gen2Filters, FloorWithoutBothTexturesCopiesTheBackup)
{
    Gen2Fixture f(20, 20, 9);
    f.scramble();
    SFltFloor rec;
    initFltFloor(rec);
    TMTC tex(8, 8);
    tex.PixelFill(0xFF00FF00);
    rec.stex[0].tc = &tex;
    ASSERT_TRUE(orgFltFloor(f.backup, f.view, nullptr, rec));
    EXPECT_EQ(firstDifference(f.layer, f.backup), "");
    rec.stex[1].tc = &tex;
    rec.sfloor.y = 5;
    rec.sfloor.eye2scr = 50;
    rec.sfloor.skyheight = 20;
    rec.sfloor.alpha = 100;
    ASSERT_TRUE(orgFltFloor(f.backup, f.view, nullptr, rec));
    // The green texture darkened by the black fog colour towards the distance.
    const sBGRA near{.all = f.layer.getColor(10, 0)};
    EXPECT_EQ(near.R, 0);
    EXPECT_EQ(near.B, 0);
    EXPECT_GT(near.G, 200);
}

} // namespace
