#include "core/scale/scale_image.h"

#include "core/pixel/pixel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// The base's 32-bit slots over plain top-down pixel vectors.
class VectorScaler : public CScaleImage
{
public:
    VectorScaler(std::vector<sBGRA> &src, sSize srcSz, std::vector<sBGRA> &dst, sSize dstSz)
        : m_src(src), m_dst(dst)
    {
        srcSize = srcSz;
        dstSize = dstSz;
    }

protected:
    const uint8_t *seekSrc(int32_t x, int32_t y) override
    {
        return reinterpret_cast<const uint8_t *>(&m_src.at(size_t(y) * srcSize.x + x));
    }
    uint8_t *seekDst(int32_t x, int32_t y) override
    {
        return reinterpret_cast<uint8_t *>(&m_dst.at(size_t(y) * dstSize.x + x));
    }

private:
    std::vector<sBGRA> &m_src, &m_dst;
};

sBGRA bgra(uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    sBGRA p;
    p.B = b, p.G = g, p.R = r, p.A = a;
    return p;
}

} // namespace

TEST(ScaleImage, OnePixelFillsEveryPixelOfAnEnlargement)
{
    std::vector<sBGRA> src = {bgra(10, 20, 30, 40)}, dst(9, bgra(0, 0, 0, 0));
    VectorScaler s(src, {1, 1}, dst, {3, 3});
    ASSERT_TRUE(s.scale({0, 0, 1, 1}, {0, 0, 3, 3}));
    for (const sBGRA &p : dst)
        EXPECT_EQ(p.all, src[0].all);
}

// Each 2 x 2 footprint holds four whole pixels: trunc((sum + 0.01) / 4), alpha included.
TEST(ScaleImage, HalvingGivesTheExactMeans)
{
    std::vector<sBGRA> src(16), dst(4);
    for (int i = 0; i < 16; ++i)
        src[i] = bgra(uint8_t(i * 16), uint8_t(255 - i * 3), uint8_t(i * i), uint8_t(100 + i));
    VectorScaler s(src, {4, 4}, dst, {2, 2});
    ASSERT_TRUE(s.scale({0, 0, 4, 4}, {0, 0, 2, 2}));
    for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
            int sum[4] = {};
            for (int j = 0; j < 2; ++j)
                for (int i = 0; i < 2; ++i) {
                    const sBGRA &p = src[(2 * dy + j) * 4 + 2 * dx + i];
                    sum[0] += p.B, sum[1] += p.G, sum[2] += p.R, sum[3] += p.A;
                }
            const sBGRA &d = dst[dy * 2 + dx];
            EXPECT_EQ(d.B, sum[0] / 4);
            EXPECT_EQ(d.G, sum[1] / 4);
            EXPECT_EQ(d.R, sum[2] / 4);
            EXPECT_EQ(d.A, sum[3] / 4);
        }
}

// Three pixels into two: each footprint is 1.5 pixels, the middle one shared half and half.
TEST(ScaleImage, FractionalFootprintsWeighTheirEdgePixels)
{
    const uint8_t src[3] = {30, 60, 90};
    uint8_t dst[2] = {};
    CScaleImageBYTE s(src, dst, {3, 1}, {2, 1});
    ASSERT_TRUE(s.scale({0, 0, 3, 1}, {0, 0, 2, 1}));
    EXPECT_EQ(s.rate.x, 98304);
    EXPECT_EQ(dst[0], 40); // (30 + 0.5 x 60) / 1.5
    EXPECT_EQ(dst[1], 80); // (0.5 x 60 + 90) / 1.5
}

// A 1-pixel source stretched over 1000 pixels: the rounded rate puts the last footprints past
// the source's edge; they must keep to the last pixel.
TEST(ScaleImage, LargeEnlargementNeverReadsPastTheSource)
{
    const uint8_t src[2] = {77, 0}; // the byte after the source must never be read
    std::vector<uint8_t> dst(1000, 1);
    CScaleImageBYTE s(src, dst.data(), {1, 1}, {1000, 1});
    ASSERT_TRUE(s.scale({0, 0, 1, 1}, {0, 0, 1000, 1}));
    for (size_t i = 0; i < dst.size(); ++i)
        ASSERT_EQ(dst[i], 77) << "pixel " << i;
}

TEST(ScaleImage, AlphaWeightedMeanIgnoresTransparentColour)
{
    std::vector<sBGRA> src = {bgra(0, 0, 200, 255), bgra(90, 90, 90, 0), bgra(9, 9, 9, 0),
                              bgra(0, 0, 100, 255)},
                       dst(1);
    VectorScaler s(src, {2, 2}, dst, {1, 1});
    ASSERT_TRUE(s.scale2({0, 0, 2, 2}, {0, 0, 1, 1}));
    EXPECT_EQ(dst[0].R, 150);
    EXPECT_EQ(dst[0].G, 0);
    EXPECT_EQ(dst[0].A, 127); // trunc(510 / 4 + 0.01)

    std::vector<sBGRA> clear = {bgra(1, 2, 3, 0), bgra(4, 5, 6, 0)}, out(1, bgra(0, 0, 0, 9));
    VectorScaler t(clear, {2, 1}, out, {1, 1});
    ASSERT_TRUE(t.scale2({0, 0, 2, 1}, {0, 0, 1, 1}));
    EXPECT_EQ(out[0].all, bgra(255, 255, 255, 0).all);
}

TEST(ScaleImage, EmptyOrOutsideBoxesScaleNothing)
{
    std::vector<sBGRA> src(4, bgra(1, 1, 1, 1)), dst(4, bgra(7, 7, 7, 7));
    VectorScaler s(src, {2, 2}, dst, {2, 2});
    EXPECT_FALSE(s.scale({5, 5, 2, 2}, {0, 0, 2, 2}));
    EXPECT_FALSE(s.scale({0, 0, 2, 2}, {0, 0, 0, 2}));
    for (const sBGRA &p : dst)
        EXPECT_EQ(p.all, bgra(7, 7, 7, 7).all);

    sBGRA pixel = bgra(5, 6, 7, 8);
    sRect outside = {3 << 16, 0, 4 << 16, 1 << 16};
    EXPECT_FALSE(s.calcSrcRect(reinterpret_cast<uint8_t *>(&pixel), outside));
    EXPECT_EQ(pixel.all, bgra(5, 6, 7, 8).all);
    sRect partly = {-(1 << 16), 0, 1 << 16, 1 << 16};
    EXPECT_TRUE(s.calcSrcRect(reinterpret_cast<uint8_t *>(&pixel), partly));
    EXPECT_EQ(partly.x0, 0) << "clipped in place";
    EXPECT_EQ(pixel.all, bgra(1, 1, 1, 1).all);
}

// A cut source box is stretched over the whole cut destination box.
TEST(ScaleImage, BoxesAreCutIndependently)
{
    const uint8_t src[4] = {10, 20, 30, 40};
    uint8_t dst[2] = {};
    CScaleImageBYTE s(src, dst, {4, 1}, {2, 1});
    ASSERT_TRUE(s.scale({2, 0, 5, 1}, {0, 0, 2, 1})); // source cut to columns 2 and 3
    EXPECT_EQ(dst[0], 30);
    EXPECT_EQ(dst[1], 40);
}
