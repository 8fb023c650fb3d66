// The free-angle turn of a layer works block by block over the work threads; the pixel-at-a-time
// walk it replaced is the reference, on one thread and on all: the same size, place, pixels and
// the same blocks left without memory.
#include "document/edit/layer_geometry.h"

#include "core/tiles/work_threads.h"
#include "geometry_fixtures.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct ThreadCount
{
    explicit ThreadCount(int n) { setWorkThreads(n); }
    ~ThreadCount() { setWorkThreads(0); }
};

// A layer with noisy patches, flat patches and untouched blocks, so that the turned layer has
// blocks of each kind and blocks that stay uniform.
std::unique_ptr<CLayerData> patchyLayer(int32_t w, int32_t h, sPos vp, sSize paper,
                                        std::mt19937 &rng)
{
    auto ld = geoLayer(w, h, vp, paper);
    CBlockVMTC &img = *ld->imageTC;
    for (int k = 0; k < 6; ++k) {
        const int32_t x0 = int32_t(rng() % uint32_t(w)), y0 = int32_t(rng() % uint32_t(h));
        const int32_t x1 = std::min(w, x0 + 10 + int32_t(rng() % 90));
        const int32_t y1 = std::min(h, y0 + 10 + int32_t(rng() % 90));
        const bool flat = k % 2 == 0;
        const uint32_t c = uint32_t(rng());
        for (int32_t y = y0; y < y1; ++y)
            for (int32_t x = x0; x < x1; ++x)
                img.setPixel(x, y, flat ? c : uint32_t(rng()));
    }
    return ld;
}

void expectSameLayer(const CLayerData &got, const CLayerData &ref)
{
    const CBlockVMTC &a = *got.imageTC, &b = *ref.imageTC;
    ASSERT_EQ(a.FPSZ(), b.FPSZ());
    EXPECT_EQ(got.viewPos, ref.viewPos);
    for (int32_t i = 0; i < a.blockCount(); ++i) {
        ASSERT_EQ(bool(a.blockAt(i).commit), bool(b.blockAt(i).commit)) << "block " << i;
        ASSERT_EQ(a.blockAt(i).bgCol.all, b.blockAt(i).bgCol.all) << "block " << i;
    }
    EXPECT_EQ(pixelsOf(a), pixelsOf(b));
}

TEST(FastEqualsReference, FreeAngleTurnGivesThePixelWalksLayer)
{
    struct Case
    {
        sSize paper;
        sSize layer;
        sPos viewPos;
        float degrees;
    };
    const Case cases[] = {
        {{1, 1}, {1, 1}, {0, 0}, 17.0f},
        {{200, 150}, {200, 150}, {0, 0}, 0.0f},
        {{200, 150}, {200, 150}, {0, 0}, 30.0f},
        {{160, 250}, {230, 300}, {40, 20}, -137.5f},
        {{300, 100}, {300, 100}, {0, 0}, 90.3f},
    };
    std::mt19937 rng(9);
    for (int threads : {1, 0}) {
        ThreadCount tc(threads);
        for (const Case &c : cases)
            for (bool weighted : {false, true}) {
                SCOPED_TRACE(testing::Message() << c.degrees << " degrees on " << c.layer.x << "x"
                                                << c.layer.y << (weighted ? " weighted" : "")
                                                << ", threads " << threads);
                auto src = patchyLayer(c.layer.x, c.layer.y, c.viewPos, c.paper, rng);
                ASSERT_NE(src, nullptr);
                auto ref = makeRotatedLayerByPixel(c.paper, *src, c.degrees, weighted);
                auto got = weighted ? makeRotatedLayer2(c.paper, *src, c.degrees)
                                    : makeRotatedLayer(c.paper, *src, c.degrees);
                ASSERT_NE(ref, nullptr);
                ASSERT_NE(got, nullptr);
                expectSameLayer(*got, *ref);
            }
    }
}

TEST(FastEqualsReference, HalvingGivesTheScalersWalk)
{
    struct Case
    {
        sSize paper;
        sSize layer;
        sPos viewPos;
    };
    // Whole blocks, blocks cut at the edge, a layer off the paper's corner, the smallest.
    const Case cases[] = {
        {{2, 2}, {2, 2}, {0, 0}},
        {{128, 64}, {128, 64}, {0, 0}},
        {{200, 150}, {230, 302}, {40, 20}},
        {{100, 90}, {98, 66}, {-30, -7}},
    };
    std::mt19937 rng(23);
    for (int threads : {1, 0}) {
        ThreadCount tc(threads);
        for (const Case &c : cases)
            for (bool weighted : {false, true}) {
                SCOPED_TRACE(testing::Message() << c.layer.x << "x" << c.layer.y
                                                << (weighted ? " weighted" : "") << ", threads "
                                                << threads);
                auto src = patchyLayer(c.layer.x, c.layer.y, c.viewPos, c.paper, rng);
                ASSERT_NE(src, nullptr);
                // A square whose weighted red lands on a whole number less a hundredth
                // (99 / 100 + 0.01): the fast division must give it to the exact one.
                if (c.layer.x >= 4) {
                    src->imageTC->setPixel(2, 0, 0x21030000); // alpha 33, red 3
                    src->imageTC->setPixel(3, 0, 0x43000000); // alpha 67, red 0
                    src->imageTC->setPixel(2, 1, 0);
                    src->imageTC->setPixel(3, 1, 0);
                }
                const int32_t w = c.layer.x / 2, h = c.layer.y / 2;
                auto ref = makeZoomedLayerByWalk(c.paper, *src, w, h, weighted);
                auto got = weighted ? makeZoomedLayer2(c.paper, *src, w, h)
                                    : makeZoomedLayer(c.paper, *src, w, h);
                ASSERT_NE(ref, nullptr);
                ASSERT_NE(got, nullptr);
                expectSameLayer(*got, *ref);
            }
    }
}

} // namespace
