// The free transform's mapping of the lifted pixels over the work threads against the pixel walk
// it replaced: the same pixels, the same blocks given memory, on one thread and on all.
#include "document/transform/transform_mapping.h"

#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

struct ThreadCount
{
    explicit ThreadCount(int n) { setWorkThreads(n); }
    ~ThreadCount() { setWorkThreads(0); }
};

// Corners of a w x h frame centred at (cx, cy), turned by degrees and scaled by s.
void turnedFrame(float cx, float cy, float w, float h, float degrees, float s, sFPos *P)
{
    const float a = degrees * 3.14159265f / 180, c = std::cos(a) * s, n = std::sin(a) * s;
    const float xs[4] = {-w / 2, w / 2, w / 2, -w / 2}, ys[4] = {-h / 2, -h / 2, h / 2, h / 2};
    for (int i = 0; i < 4; ++i)
        P[i] = {cx + xs[i] * c - ys[i] * n, cy + xs[i] * n + ys[i] * c};
}

// A layer with scattered colours (some transparent), so that part of its blocks hold memory.
void scatter(CBlockVMTC &img, std::mt19937 &rng)
{
    for (int k = 0; k < 40; ++k)
        img.setPixel(int32_t(rng() % uint32_t(img.width())), int32_t(rng() % uint32_t(img.height())),
                     uint32_t(rng()) & (rng() % 2 ? 0xFFFFFFFFu : 0x00FFFFFFu));
}

} // namespace

TEST(FastEqualsReference, TheBandedTransformMappingGivesThePixelWalksLayer)
{
    struct Case
    {
        float cx, cy, w, h, degrees, scale;
    };
    // A reduction turned, an enlargement, a frame crossing the layer's edges, a bow-tie (the
    // last two corners swapped), a frame wholly outside.
    const Case cases[] = {
        {100, 80, 150, 120, 30, 0.6f}, {90, 70, 40, 30, -65, 2.5f}, {10, 150, 120, 90, 12, 1.0f},
        {100, 80, 90, 60, 0, 1.3f},    {-300, 40, 30, 30, 0, 1.0f},
    };
    std::mt19937 rng(31);
    for (int threads : {1, 0}) {
        ThreadCount tc(threads);
        for (size_t i = 0; i < std::size(cases); ++i)
            for (bool aa : {false, true}) {
                const Case &c = cases[i];
                SCOPED_TRACE(testing::Message() << "case " << i << (aa ? " aa" : "")
                                                << ", threads " << threads);
                const int32_t sw = 60 + int32_t(rng() % 90), sh = 50 + int32_t(rng() % 90);
                TMTC src(sw + 2, sh + 2);
                for (int32_t y = 0; y < sh + 2; ++y)
                    for (int32_t x = 0; x < sw + 2; ++x)
                        src.seek32(x, y)->all =
                            (x == 0 || y == 0 || x == sw + 1 || y == sh + 1)
                                ? 0x00FFFFFFu
                                : uint32_t(rng()) | (rng() % 3 ? 0xFF000000u : 0u);
                sFPos P[4];
                turnedFrame(c.cx, c.cy, float(sw), float(sh), c.degrees, c.scale, P);
                if (i == 3)
                    std::swap(P[2], P[3]);
                CBlockVMTC got(200, 170), want(200, 170);
                std::mt19937 same = rng;
                scatter(got, rng);
                scatter(want, same);
                EXPECT_EQ(mapImageContent(got, src, P, aa), mapImageContentByPixel(want, src, P, aa));
                for (int32_t b = 0; b < got.blockCount(); ++b)
                    ASSERT_EQ(got.blockAt(b).commit, want.blockAt(b).commit) << "block " << b;
                for (int32_t y = 0; y < got.height(); ++y)
                    for (int32_t x = 0; x < got.width(); ++x)
                        ASSERT_EQ(got.getColor(x, y), want.getColor(x, y)) << x << ", " << y;
            }
    }
}
