#include "core/view_render.h"

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
