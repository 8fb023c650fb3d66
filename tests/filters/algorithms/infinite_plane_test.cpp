// The older generation's plane renderer: its far distance, the camera placement, the mesh rows
// against the plain per-point form, and the far rows.
#include "filters/algorithms/infinite_plane.h"

#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

TEST(InfinitePlane, FarDistanceTakesMaxfarBelowOneAsOne)
{
    CInfinitePlane p;
    ASSERT_TRUE(p.Initialize(100, 100, 1));
    EXPECT_EQ(p.m_maxnear, 50u);
    const uint32_t atOne = p.m_maxfar;
    EXPECT_EQ(atOne, 59u); // 0.01^1.5 x 9950 + 50
    for (int32_t m : {0, -7}) {
        ASSERT_TRUE(p.Initialize(100, 100, m));
        EXPECT_EQ(p.m_maxfar, atOne) << m;
    }
    ASSERT_TRUE(p.Initialize(100, 100, 100));
    EXPECT_EQ(p.m_maxfar, 10000u);
    EXPECT_EQ(p.m_bx, 101);
    EXPECT_EQ(p.m_by, 101);
    // A mesh of a few pixels has near 0; far stays at least 1, since the fog divides by it.
    ASSERT_TRUE(p.Initialize(1, 2, 50));
    EXPECT_EQ(p.m_maxnear, 0u);
    EXPECT_GE(p.m_maxfar, 1u);
    EXPECT_FALSE(p.Initialize(0, 10, 50));
    EXPECT_FALSE(p.Initialize(10, -1, 50));
}

TEST(InfinitePlane, DistCameraSitsLengthBehindTheViewDirection)
{
    CInfinitePlane p;
    p.SetDistCamera(10, 20, 30, 50, 0, 0);
    EXPECT_NEAR(p.m_mx, 10, 1e-9);
    EXPECT_NEAR(p.m_my, 20, 1e-9);
    EXPECT_NEAR(p.m_mz, 80, 1e-9);
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> ang(-3, 3);
    for (int i = 0; i < 20; ++i) {
        const double H = ang(rng), P = ang(rng);
        p.SetDistCamera(1, 2, 3, 40, H, P);
        EXPECT_EQ(p.m_H, H);
        EXPECT_EQ(p.m_P, P);
        const double dx = p.m_mx - 1, dy = p.m_my - 2, dz = p.m_mz - 3;
        EXPECT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 40, 1e-9);
    }
}

// The rows the renderer computes one at a time against every point computed as written.
TEST(InfinitePlane, MeshRowsEqualThePlainPoints)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> ang(-1.5, 1.5), pos(-200, 200);
    for (int round = 0; round < 8; ++round) {
        CInfinitePlane p;
        ASSERT_TRUE(p.Initialize(37 + round, 29, int32_t(rng() % 101)));
        p.SetCamera(pos(rng), pos(rng), pos(rng), ang(rng), ang(rng), ang(rng));
        if (round % 2)
            p.SetHeadingBank(20 + rng() % 80, rng() % 100, nullptr, nullptr);
        else
            p.SetHeadingPitch(20 + rng() % 80, rng() % 100, nullptr, nullptr);
        std::vector<SPlanePoint> row(size_t(p.m_bx));
        for (int32_t j = 0; j < p.m_by; ++j) {
            p.meshRow(j, row);
            for (int32_t i = 0; i < p.m_bx; ++i) {
                const SPlanePoint q = p.meshPointPlain(i, j);
                ASSERT_EQ(row[size_t(i)].u, q.u) << i << "," << j;
                ASSERT_EQ(row[size_t(i)].v, q.v) << i << "," << j;
                ASSERT_EQ(row[size_t(i)].z, q.z) << i << "," << j;
                ASSERT_EQ(row[size_t(i)].tex, q.tex) << i << "," << j;
                ASSERT_GE(q.z, double(p.m_maxnear));
                ASSERT_LE(q.z, double(p.m_maxfar));
            }
        }
    }
}

TEST(InfinitePlane, LevelRayHitsNothingAndCountsAsSky)
{
    CInfinitePlane p;
    ASSERT_TRUE(p.Initialize(10, 10, 30));
    p.SetCamera(0, 5, 0, 0, 0, 0);
    p.SetHeadingPitch(20, 50, nullptr, nullptr);
    const SPlanePoint q = p.meshPointPlain(3, 5); // r = 5 - 5.5: not level
    EXPECT_EQ(q.tex, 0);
    CInfinitePlane even;
    ASSERT_TRUE(even.Initialize(10, 9, 30)); // m_by 10: row 5 is level
    even.SetCamera(0, 5, 0, 0, 0, 0);
    even.SetHeadingPitch(20, 50, nullptr, nullptr);
    const SPlanePoint level = even.meshPointPlain(3, 5);
    EXPECT_EQ(level.tex, 1);
    EXPECT_EQ(level.u, 0);
    EXPECT_EQ(level.v, -1073741824.0);
    EXPECT_EQ(level.z, double(even.m_maxfar));
}

// Without drawfar, rows whose first point lies at far get transparent white at the fog's
// opacity (none left there), through the replacing put; nearer rows get the textures.
TEST(InfinitePlane, FarRowsGetTransparentWhite)
{
    TMTC floorTex(8, 8), skyTex(8, 8);
    floorTex.PixelFill(0xFF2040A0);
    skyTex.PixelFill(0xFFA04020);
    const int32_t W = 40, H = 40;
    CBlockVMTC dest(W, H);
    dest.PixelFill(0xFF336699);
    CInfinitePlane p;
    ASSERT_TRUE(p.Initialize(W, H, 10));
    p.SetCamera(0, 10, 0, 0.3, 0, 0);
    p.SetHeadingPitch(30, 40, &floorTex, &skyTex);
    ASSERT_TRUE(p.Rendering(dest, 0xFF000000, 255, false, false, true, false, nullptr, {0, 0},
                            false, {0, 0, W, H}));
    std::vector<SPlanePoint> row(size_t(p.m_bx));
    int farRows = 0, nearRows = 0;
    for (int32_t j = 0; j < H; ++j) {
        p.meshRow(j, row);
        const bool farRow = !(double(p.m_maxfar) > row[0].z);
        (farRow ? farRows : nearRows)++;
        for (int32_t i = 0; i < W; ++i) {
            if (farRow)
                ASSERT_EQ(dest.getColor(i, j), 0x00FFFFFFu) << i << "," << j;
            else
                ASSERT_NE(dest.getColor(i, j) >> 24, 0u) << i << "," << j;
        }
    }
    EXPECT_GT(farRows, 0);
    EXPECT_GT(nearRows, 0);
}

} // namespace
