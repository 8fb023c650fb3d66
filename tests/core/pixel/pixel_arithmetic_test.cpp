#include "core/pixel/pixel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

sBGRA px(uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    sBGRA p;
    p.B = b, p.G = g, p.R = r, p.A = a;
    return p;
}

} // namespace

TEST(PixelArithmetic, Mul255AndMix255AreExactDivisionsBy255)
{
    EXPECT_EQ(mul255(255, 255), 255u);
    EXPECT_EQ(mul255(128, 255), 128u);
    EXPECT_EQ(mul255(1, 254), 0u);
    EXPECT_EQ(mul255(255, 1), 1u);
    EXPECT_EQ(mix255(200, 100, 0), 100u);
    EXPECT_EQ(mix255(200, 100, 255), 200u);
    EXPECT_EQ(mix255(255, 0, 128), 128u);
    // The multiply-and-shift must equal the truncating division for every byte pair and weight.
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t b = 0; b < 256; ++b) {
            ASSERT_EQ(mul255(a, b), a * b / 255) << a << " " << b;
            ASSERT_EQ(gMulTable[a * 256 + b], a * b / 255);
            ASSERT_EQ(gInvMulTable[a * 256 + b], 255 - a * (255 - b) / 255);
            for (uint32_t t = 0; t < 256; t += 3)
                ASSERT_EQ(mix255(a, b, t), (a * t + b * (255 - t)) / 255)
                    << a << " " << b << " " << t;
        }
    uint8_t v = 100;
    mixByteVar(v, 200, 255);
    EXPECT_EQ(v, 200);
}

TEST(PixelArithmetic, LuminanceOfWhiteAndThePrimaries)
{
    EXPECT_EQ(pixelLuma(px(255, 255, 255, 0)), 255u);
    EXPECT_EQ(pixelLuma(px(0, 0, 255, 0)), 76u);  // red
    EXPECT_EQ(pixelLuma(px(0, 255, 0, 0)), 149u); // green
    EXPECT_EQ(pixelLuma(px(255, 0, 0, 0)), 29u);  // blue
    EXPECT_EQ(lumaOf(255, 0, 0), 76u);
}

TEST(PixelArithmetic, ColourDistanceIgnoresAlpha)
{
    EXPECT_EQ(colorDistSq(0xFF102030, 0x00132010), 9u + 0u + 1024u);
    EXPECT_EQ(colorDistSq(0x00FFFFFF, 0xFF000000), 3u * 65025u);
}

TEST(PixelArithmetic, ByteOrderAndRowConversions)
{
    EXPECT_EQ(colorSwapRB(0x80112233u), 0x80332211u);
    uint32_t c = 0x01AABBCC;
    swapRBVar(c);
    EXPECT_EQ(c, 0x01CCBBAAu);

    const uint8_t rgb[3] = {1, 2, 3};
    uint8_t bgr[3];
    rgbToBGR(rgb, bgr);
    EXPECT_EQ(bgr[0], 3);
    EXPECT_EQ(bgr[2], 1);

    const uint8_t row24[6] = {10, 20, 30, 40, 50, 60};
    sBGRA row32[2] = {px(0, 0, 0, 7), px(0, 0, 0, 9)};
    row24To32(row32, row24, 2);
    EXPECT_EQ(row32[0].all, 0x071E140Au); // alpha bytes left as they were
    EXPECT_EQ(row32[1].all, 0x093C3228u);
    uint8_t back[6] = {};
    row32To24(back, row32, 2);
    EXPECT_EQ(std::memcmp(back, row24, 6), 0);
}

TEST(PixelPuts, AlphaPutKeepsDestinationAlphaAndSkipsZeroOpacity)
{
    sBGRA d = px(10, 20, 30, 77);
    pixelPutAlpha(&d, 0xFFC8C8C8, 0);
    EXPECT_EQ(d.all, px(10, 20, 30, 77).all);
    pixelPutAlpha(&d, 0x00C86432, 255);
    EXPECT_EQ(d.all, px(0x32, 0x64, 0xC8, 77).all);
    d = px(0, 100, 255, 5);
    pixelPutAlpha(&d, 0x00FF00C8, 128); // R 255 over 255, G 0 over 100, B 200 over 0
    EXPECT_EQ(d.all, px(100, 49, 255, 5).all);

    pixelPutCopy(&d, 0x12345678, 0);
    EXPECT_EQ(d.all, 0x12345678u);
}

TEST(PixelPuts, MultiplyAddAndSubtract)
{
    sBGRA d = px(100, 100, 100, 40);
    pixelPutAdd(&d, 0x00C8C8C8, 255);
    EXPECT_EQ(d.all, px(255, 255, 255, 40).all);
    d = px(100, 100, 100, 40);
    pixelPutSub(&d, 0x00C8C8C8, 255);
    EXPECT_EQ(d.all, px(0, 0, 0, 40).all);
    d = px(100, 100, 100, 40);
    pixelPutAdd(&d, 0x00C8C8C8, 128); // 200 * 128 div 255 = 100
    EXPECT_EQ(d.all, px(200, 200, 200, 40).all);

    for (uint32_t a = 0; a < 256; a += 17) {
        sBGRA m = px(3, 128, 254, 9);
        pixelPutMul(&m, 0x00FFFFFF, a); // white multiplies by one at any opacity
        EXPECT_EQ(m.all, px(3, 128, 254, 9).all) << a;
    }
    sBGRA m = px(3, 128, 254, 9);
    pixelPutMul(&m, 0xFF000000, 255);
    EXPECT_EQ(m.all, px(0, 0, 0, 9).all);
    m = px(200, 200, 200, 9);
    pixelPutMul(&m, 0x00000000, 128); // 200 * (255 - 128) div 255 = 99
    EXPECT_EQ(m.B, 99);
}

TEST(PixelPuts, BytePuts)
{
    uint8_t b = 100;
    bytePutMax(&b, 50);
    EXPECT_EQ(b, 100);
    bytePutMax(&b, 150);
    EXPECT_EQ(b, 150);
    bytePutMul(&b, 128);
    EXPECT_EQ(b, 75);
    bytePutMul(&b, 0);
    EXPECT_EQ(b, 0);
    bytePutCopy(&b, 9);
    EXPECT_EQ(b, 9);
}

class RandomPut : public ::testing::Test
{
  protected:
    void TearDown() override { setRandomPut(nullptr, SRand{}, 0); }

    static SRand generator(uint32_t seed, int32_t min, int32_t max)
    {
        SRand r;
        r.seed = r.val = seed;
        r.range = {min, max};
        return r;
    }

    // Puts col through the random put onto n black pixels; returns how many changed.
    static int written(int n, uint32_t col)
    {
        int count = 0;
        for (int i = 0; i < n; ++i) {
            sBGRA p{.all = 0xFF000000};
            pixelPutRandom(&p, col, 255);
            count += p.all != 0xFF000000;
        }
        return count;
    }
};

TEST_F(RandomPut, DensityZeroNeverWritesAndFullDensityAlwaysWrites)
{
    setRandomPut(pixelPutAlpha, generator(12345, 0, 255), 0);
    EXPECT_EQ(written(2000, 0xFFFFFFFF), 0);
    EXPECT_EQ(randomPutState().cnt, 2000u); // every visit draws, written or not

    setRandomPut(pixelPutAlpha, generator(12345, 0, 255), 255);
    EXPECT_EQ(written(2000, 0xFFFFFFFF), 2000);

    // The threshold scales with the colour's alpha: a transparent colour is never put.
    setRandomPut(pixelPutAlpha, generator(12345, 0, 255), 255);
    EXPECT_EQ(written(2000, 0x00FFFFFF), 0);
}

TEST_F(RandomPut, SameSeedSamePatternAndTheCallersGeneratorStays)
{
    const SRand g = generator(777, 0, 255);
    std::vector<bool> first, second;
    for (auto *pattern : {&first, &second}) {
        setRandomPut(pixelPutAlpha, g, 128);
        for (int i = 0; i < 500; ++i) {
            sBGRA p{.all = 0};
            pixelPutRandom(&p, 0xFFFFFFFF, 255);
            pattern->push_back(p.all != 0);
        }
    }
    EXPECT_EQ(first, second);
    const auto set = std::count(first.begin(), first.end(), true);
    EXPECT_GT(set, 150);
    EXPECT_LT(set, 350);
    EXPECT_EQ(g.cnt, 0u);
    EXPECT_EQ(g.val, 777u);
}

TEST_F(RandomPut, WithoutAStoredPutNothingIsWritten)
{
    setRandomPut(nullptr, generator(1, 0, 255), 255);
    EXPECT_EQ(written(10, 0xFFFFFFFF), 0);
}
