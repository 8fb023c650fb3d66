// The pixel toolkit: table applications, destination helpers, convolutions (fast against the
// plain reference), area averages and square samplers, noise draws, the older helpers and the
// dialogs' rounding.
#include "filters/core/pixel_toolkit.h"

#include "core/scale/scale_image.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using filtertest::DirectParams;
using filtertest::firstDifference;

namespace {

// A selection over the layer (mask = layer coordinates) with random weights, a third of them 0.
std::unique_ptr<CMaskData> randomMask(int32_t w, int32_t h, std::mt19937 &rng)
{
    auto mask = std::make_unique<CMaskData>(0, w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t r = rng() % 3;
            mask->maskTC->setPixel(x, y, r == 0 ? 0 : (r == 1 ? 255 : rng() % 256));
        }
    return mask;
}

sRect randomRectInside(const sRect &r, std::mt19937 &rng)
{
    const int32_t x0 = r.x0 + int32_t(rng() % uint32_t(r.x1 - r.x0));
    const int32_t y0 = r.y0 + int32_t(rng() % uint32_t(r.y1 - r.y0));
    const int32_t x1 = x0 + 1 + int32_t(rng() % uint32_t(r.x1 - x0));
    const int32_t y1 = y0 + 1 + int32_t(rng() % uint32_t(r.y1 - y0));
    return {x0, y0, x1, y1};
}

TEST(PixelToolkit, PositiveModulo)
{
    struct Case
    {
        int32_t a, b, r;
    } cases[] = {{-1, 5, 4}, {-5, 5, 0}, {-6, 5, 4}, {7, 5, 2}, {0, 5, 0},
                 {std::numeric_limits<int32_t>::min(), 3, 1}, {4, 0, 0}, {4, -3, 0}};
    for (const Case &c : cases)
        EXPECT_EQ(posMod(c.a, c.b), c.r) << c.a << " mod " << c.b;
}

TEST(PixelToolkit, RoundHalfAwayFromZero)
{
    struct Case
    {
        long double x;
        int32_t r;
    } cases[] = {{2.5L, 3},  {-2.5L, -3}, {2.49L, 2},  {-2.49L, -2}, {0.5L, 1},
                 {-0.5L, -1}, {0, 0},     {1e12L, std::numeric_limits<int32_t>::max()},
                 {-1e12L, std::numeric_limits<int32_t>::min()}};
    for (const Case &c : cases)
        EXPECT_EQ(roundHalfAway(c.x), c.r) << double(c.x);
    EXPECT_EQ(roundHalfAway(std::numeric_limits<long double>::quiet_NaN()), 0);
}

TEST(PixelToolkit, AverageRectCountsTransparentRowsInTheDivisor)
{
    TMTC tc(6, 4);
    tc.fillAll(0xFF8040C8);             // B 0xC8 = 200, G 64, R 128, opaque
    sBox lower{0, 2, 6, 2};
    tc.fillBox(lower, 0x00FFFFFF);      // transparent white below
    sBGRA out;
    averageRect(out, tc, {0, 0, 6, 4});
    EXPECT_EQ(out.B, 100);
    EXPECT_EQ(out.G, 32);
    EXPECT_EQ(out.R, 64);
    EXPECT_EQ(out.A, 127);
    averageRect(out, tc, {0, 2, 6, 4});
    EXPECT_EQ(out.all, 0u) << "no alpha at all";
    averageRect(out, tc, {-5, -5, 2, 1});
    EXPECT_EQ(out.all, 0xFF8040C8) << "clipped to the canvas";
}

TEST(PixelToolkit, ConvolutionEdgeCases)
{
    CBlockVMTC layer(8, 6);
    std::mt19937 rng(7);
    filtertest::fillRandom(layer, rng);
    layer.setAlphaAll(0); // every tap transparent
    const CBlockVMTC original(layer);
    const std::vector<int32_t> ones(9, 1);
    {
        DirectParams d(layer);
        ASSERT_TRUE(convolveKernel(d.p, ones, {-1, -1, 3, 3}, 10));
        for (int32_t y = 0; y < 6; ++y)
            for (int32_t x = 0; x < 8; ++x) {
                const sBGRA s{.all = original.getColor(x, y)}, r{.all = layer.getColor(x, y)};
                EXPECT_EQ(r.A, 10) << "the pixel plus the offset";
                EXPECT_EQ(r.B, std::min(255, s.B + 10));
                EXPECT_EQ(r.R, std::min(255, s.R + 10));
            }
    }
    DirectParams d(layer);
    EXPECT_FALSE(convolvePlain(d.p, ones, {-1, -1, 3, 3}, 0, 0)) << "scale 0";
    EXPECT_FALSE(convolveKernel(d.p, ones, {-1, -1, 3, 4}, 0)) << "fewer weights than the box";
    EXPECT_FALSE(convolveKernel(d.p, std::vector<int32_t>(65537, 1), {0, 0, 65537, 1}, 0));
    EXPECT_FALSE(convolveKernel(d.p, ones, {0, 0, 0, 3}, 0)) << "empty box";
    EXPECT_FALSE(convolveKernel(d.p, ones, {0x7FFFFFFE, 0, 3, 3}, 0)) << "taps that would wrap";
    EXPECT_FALSE(convolvePlain(d.p, ones, {0, -0x7FFFFFFF, 3, 3}, 1, 0));
    const CBlockVMTC before(layer);
    EXPECT_TRUE(convolveKernel(d.p, std::vector<int32_t>(9, 0), {-1, -1, 3, 3}, 50));
    EXPECT_EQ(firstDifference(layer, before), "") << "all weights 0: nothing done";
    // A kernel far away from every pixel: the pixel is left as it is.
    std::vector<int32_t> far(9, 0);
    far[4] = 1;
    EXPECT_TRUE(convolveKernel(d.p, far, {100, 0, 3, 3}, 0));
    EXPECT_EQ(firstDifference(layer, before), "");

    // A sum of INT32_MIN divided by -1 wraps instead of trapping.
    CBlockVMTC one(1, 1);
    one.setPixel(0, 0, 0xFF000080);
    DirectParams d1(one);
    const int32_t w = -16777216; // x 128 = INT32_MIN
    ASSERT_TRUE(convolvePlain(d1.p, std::span<const int32_t>(&w, 1), {0, 0, 1, 1}, -1, 0));
    ASSERT_TRUE(convolvePlainReference(d1.p, std::span<const int32_t>(&w, 1), {0, 0, 1, 1}, -1, 0));
    EXPECT_EQ(one.getColor(0, 0), 0xFF000000u);
}

// Convolutions, fast against the reference, on random layers, kernels, selections and rects.
TEST(PixelToolkit, ConvolutionsMatchTheirReference)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    int changed = 0;
    for (int round = 0; round < 60; ++round) {
        const int32_t w = 1 + int32_t(rng() % 70), h = 1 + int32_t(rng() % 40);
        CBlockVMTC layer(w, h);
        filtertest::fillRandom(layer, rng);
        sBox box{-int32_t(rng() % 4), -int32_t(rng() % 4), 1 + int32_t(rng() % 6),
                 1 + int32_t(rng() % 6)};
        if (round % 10 == 9)
            box.x += 40; // mostly away from the pixel
        std::vector<int32_t> weights(size_t(box.w * box.h));
        for (int32_t &k : weights)
            k = rng() % 3 == 0 ? 0 : int32_t(rng() % 41) - 12;
        if (round % 7 == 6)
            weights.assign(weights.size(), 0x7FFFFFF); // sums that wrap
        const int32_t offset = int32_t(rng() % 41) - 20;
        const int32_t scale = int32_t(rng() % 21) - 10;
        auto mask = randomMask(w, h, rng);
        const sRect mr = randomRectInside({0, 0, w, h}, rng);
        const sRect dr = randomRectInside(mr, rng);
        const bool prt = rng() % 2;

        CBlockVMTC fast(layer), ref(layer);
        DirectParams df(fast, &mr), dref(ref, &mr);
        for (DirectParams *d : {&df, &dref}) {
            d->useMask(*mask);
            d->p.dstRect = dr;
            d->p.layerPrt = prt;
            d->flow.copyImage(df.flow); // the same source for both
        }
        ASSERT_EQ(convolveKernel(df.p, weights, box, offset),
                  convolveKernelReference(dref.p, weights, box, offset));
        ASSERT_EQ(firstDifference(fast, ref), "") << "kernel, round " << round;
        changed += firstDifference(fast, layer) != "";
        const bool ok = convolvePlain(df.p, weights, box, scale, offset);
        ASSERT_EQ(ok, convolvePlainReference(dref.p, weights, box, scale, offset));
        ASSERT_EQ(ok, scale != 0);
        ASSERT_EQ(firstDifference(fast, ref), "") << "plain, round " << round;
    }
    EXPECT_GT(changed, 20) << "the comparison saw real work";
}

// The table applications through the run walk, against the plain walk of the same pixels.
TEST(PixelToolkit, TablesMatchThePlainWalk)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    ChannelTable ct;
    LumaTable lt;
    for (int i = 0; i < 256; ++i) {
        ct[size_t(i)].all = filtertest::randomPixel(rng);
        lt[size_t(i)] = filtertest::randomPixel(rng);
    }
    for (int round = 0; round < 20; ++round) {
        const int32_t w = 1 + int32_t(rng() % 100), h = 1 + int32_t(rng() % 50);
        CBlockVMTC layer(w, h);
        filtertest::fillRandom(layer, rng);
        auto mask = randomMask(w, h, rng);
        const sRect dr = randomRectInside({0, 0, w, h}, rng);
        const bool keep = rng() % 2;
        for (int kind = 0; kind < 3; ++kind) {
            CBlockVMTC fast(layer), ref(layer);
            DirectParams df(fast), dref(ref);
            df.useMask(*mask);
            dref.useMask(*mask);
            df.p.dstRect = dref.p.dstRect = dr;
            const fptrPixelPut4core put = keep ? pixelPutAlpha : pixelPutWithAlpha;
            bool ok = false;
            if (kind == 0) {
                ok = applyChannelTables(df.p, ct, keep);
                walkDstRectPlain(dref.p, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
                    const uint32_t c = uint32_t(ct[px.A].A) << 24 | uint32_t(ct[px.R].R) << 16 |
                                       uint32_t(ct[px.G].G) << 8 | ct[px.B].B;
                    put(&px, c, uint32_t(m));
                });
            } else if (kind == 1) {
                ok = applyLumaTable(df.p, lt, keep);
                walkDstRectPlain(dref.p, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
                    put(&px, lt[pixelLuma(px)], uint32_t(m));
                });
            } else {
                ok = applyLumaColourTable(df.p, lt, keep);
                walkDstRectPlain(dref.p, [&](int32_t, int32_t, sBGRA &px, int32_t m) {
                    const uint32_t c = (lt[pixelLuma(px)] & 0xFFFFFF) | (lt[px.A] & 0xFF000000);
                    put(&px, c, uint32_t(m));
                });
            }
            ASSERT_TRUE(ok);
            ASSERT_EQ(firstDifference(fast, ref), "") << "table " << kind << ", round " << round;
        }
    }
}

TEST(PixelToolkit, IdentityTableAndDestinationHelpers)
{
    CBlockVMTC layer(40, 20);
    std::mt19937 rng(3);
    filtertest::fillRandom(layer, rng);
    const CBlockVMTC original(layer);
    ChannelTable identity;
    for (uint32_t i = 0; i < 256; ++i)
        identity[i].all = i * 0x01010101u;
    DirectParams d(layer);
    ASSERT_TRUE(applyChannelTables(d.p, identity, false));
    EXPECT_EQ(firstDifference(layer, original), "");

    EXPECT_FALSE(clearDstRect(d.p, nullptr, 8));
    EXPECT_FALSE(copyDstRect(d.p, nullptr, 8));
    d.p.dstRect = {5, 5, 10, 10};
    ASSERT_TRUE(clearDstRect(d.p, nullptr, 0));
    EXPECT_EQ(layer.getColor(5, 5) & 0xFF000000u, 0u);
    EXPECT_EQ(layer.getColor(4, 5), original.getColor(4, 5));
    ASSERT_TRUE(copyDstRect(d.p, nullptr, 0));
    EXPECT_EQ(firstDifference(layer, original), "") << "copied back from the flow canvas";
}

TEST(PixelToolkit, FractionHandlersRoundHalfToEven)
{
    struct Case
    {
        uint8_t out, other;
        float t;
        uint8_t mixed;
    } cases[] = {{1, 2, 0.5f, 2}, {1, 0, 0.5f, 0}, {3, 0, 0.5f, 2}, {255, 0, 1.0f, 255},
                 {200, 100, 0.25f, 125}};
    for (const Case &c : cases) {
        sBGRA out{.all = 0x80000000u | c.out * 0x010101u};
        mixColour(out, sBGRA{.all = c.other * 0x010101u}, c.t);
        EXPECT_EQ(out.all, 0x80000000u | c.mixed * 0x010101u) << int(c.out) << " " << int(c.other);
    }
    sBGRA a{.all = 0x05102030};
    scaleAlpha(a, a, 0.5f);
    EXPECT_EQ(a.all, 0x02102030u) << "2.5 rounds to 2";
    a.all = 0xFF000000;
    scaleAlpha(a, a, 2.0f);
    EXPECT_EQ(a.A, 255);
}

TEST(PixelToolkit, SquareSamplersMixWhatHangsOver)
{
    TMTC src(4, 4);
    src.fillAll(0xFF204060);
    CScaleImageTMTC scaler(&src, nullptr);
    scaler.srcSize = {4, 4};
    const sRect box{0, 0, 4 << 16, 4 << 16};
    const sBGRA outside{.all = 0xFF000000};
    sBGRA out;
    sampleRectMix(out, outside, scaler, mixColour, box, sFXPos{0x18000, 0x18000});
    EXPECT_EQ(out.all, 0xFF204060u) << "wholly inside";
    // Half over the left edge: half the colour, half the outside colour.
    sampleRectMix(out, outside, scaler, mixColour, box, sRect{-0x8000, 0, 0x8000, 0x10000});
    EXPECT_EQ(out.all, 0xFF102030u);
    sampleRectMix(out, outside, scaler, mixColour, box, sRect{-0x30000, 0, -0x10000, 0x10000});
    EXPECT_EQ(out.all, outside.all) << "wholly outside";

    // The square sampler keeps the colour and fades the alpha by what hangs over.
    sampleSquare(out, scaler, scaleAlpha, box, sRect{-0x8000, 0, 0x8000, 0x10000});
    EXPECT_EQ(out.all, 0x80204060u);
    sampleSquare(out, scaler, mixColour, box, sRect{-0x8000, 0, 0x8000, 0x10000});
    EXPECT_EQ(out.all, 0xFF204060u);
    sampleSquare2(out, scaler, nullptr, box, sFXPos{0x28000, 0x28000});
    EXPECT_EQ(out.all, 0xFF204060u);
}

TEST(PixelToolkit, NoiseDraws)
{
    gRandSeed = 0;
    SNoiseDraw d;
    drawColourNoise(d, 100);
    EXPECT_EQ(d.v0, 0);
    EXPECT_EQ(d.v1, 3);
    EXPECT_EQ(d.v2, 86);
    drawGreyNoise(d, 100);
    EXPECT_EQ(d.v0, 20);
    EXPECT_EQ(d.v1, 20);
    EXPECT_EQ(d.v2, 20);
}

TEST(PixelToolkit, OlderBilinearSampler)
{
    TMTC tc(4, 2);
    tc.fillAll(0xFF000000);
    for (int32_t y = 0; y < 2; ++y) {
        tc.seek32(0, y)->all = 0xFF0000F0; // column 0: B 240
        tc.seek32(3, y)->all = 0xFF000010; // column 3: B 16
    }
    // At the right edge without wrap only column 3 is inside: its colour exactly.
    EXPECT_EQ(sampleBilinearCanvas(tc, 0x38000, 0, false), 0xFF000010u);
    // With wrap the right neighbour is column 0: (16 * 127 + 240 * 128) div 255.
    EXPECT_EQ(sampleBilinearCanvas(tc, 0x38000, 0, true) & 0xFF, (16u * 127 + 240u * 128) / 255);
    EXPECT_EQ(sampleBilinearCanvas(tc, 0x50000, 0x50000, false), 0u) << "nothing inside";
    // The integer part truncates toward zero and the fraction keeps its two's-complement bits.
    EXPECT_EQ(sampleBilinearCanvas(tc, -0x8000, 0, false) & 0xFF, (240u * 127) / 255);

    CBlockVMTC img(4, 2);
    img.bltFrom(tc, {0, 0}, {0, 0, 4, 2}, 255);
    EXPECT_EQ(sampleBilinearBlock(img, 0x38000, 0x8000, true),
              sampleBilinearCanvas(tc, 0x38000, 0x8000, true));
    CBlockVMTC dst(2, 2);
    EXPECT_TRUE(putBilinearWrap(img, dst, 1, 1, 0x38000, 0));
    EXPECT_EQ(dst.getColor(1, 1), sampleBilinearCanvas(tc, 0x38000, 0, true));
    EXPECT_FALSE(putBilinearWrap(img, dst, 2, 1, 0, 0));
    EXPECT_TRUE(inBlockImage(img, 3, 1));
    EXPECT_FALSE(inCanvas(tc, 4, 0));
    EXPECT_FALSE(inSize(4, 2, -1, 0));
}

TEST(PixelToolkit, Kernel3)
{
    Kernel3 k;
    clearKernel3(k);
    k[4] = 2;
    k[1] = 2;
    Kernel3 n;
    normalizeKernel3(n, k);
    EXPECT_EQ(n[4], 0.5);
    PixelBlock3 block;
    block.fill(sBGRA{.all = 0x10101010});
    block[4].all = 0xFFFFFFFF;
    EXPECT_EQ(applyKernel3(n, block).all, 0x87878787u); // (255 + 16) / 2 truncated
    k.fill(0);
    k[0] = 1;
    k[8] = -1;
    normalizeKernel3(n, k);
    EXPECT_EQ(n[0], 1.0) << "a zero sum divides by 1";
    k.fill(0);
    k[4] = 3;
    EXPECT_EQ(applyKernel3(k, block).all, 0xFFFFFFFFu) << "clamped";
}

} // namespace
