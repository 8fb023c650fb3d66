#include "document/view/zoom_cache.h"

#include "core/scale/scale_canvas.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

void fillRandom(TMTC &tc, std::mt19937 &rng, bool opaque)
{
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            tc.seek32(x, y)->all = opaque ? rng() | 0xFF000000u : rng();
}

TEST(ZoomCache, SizesAreTheTruncatedScaledPaper)
{
    ViewDocument doc(100, 37, 1);
    ASSERT_TRUE(doc.ok);
    const int32_t w[] = {66, 50, 33, 25, 16, 12, 8, 6};
    const int32_t h[] = {24, 18, 12, 9, 6, 4, 3, 2};
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i) {
        EXPECT_EQ(doc.p().zoomCache(i).width(), w[i]) << i;
        EXPECT_EQ(doc.p().zoomCache(i).height(), h[i]) << i;
        EXPECT_EQ(doc.p().zoomCache(i).getColor(0, 0), 0xFFFFFFFFu) << "cleared";
    }
    resizeZoomCache(doc.p(), 15, 40);
    EXPECT_EQ(doc.p().zoomCache(6).width(), 1);
    EXPECT_FALSE(doc.p().zoomCache(7).isEnable());
}

class ZoomCacheRefresh : public testing::TestWithParam<bool>
{
};

TEST_P(ZoomCacheRefresh, ABoxRefreshEqualsAWholeRebuild)
{
    const bool shown = GetParam();
    std::mt19937 rng(shown ? 21 : 22);
    // Uneven sides: the reductions meet odd edges at every level.
    ViewDocument doc(211, 157, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    p.bVisCanvasCol = shown;
    fillRandom(p.vram(), rng, false);
    updateZoomCache(p);
    std::uniform_int_distribution<int32_t> px(-5, 215), py(-5, 160), side(1, 50);
    for (int32_t k = 0; k < 40; ++k) {
        const sBox box{px(rng), py(rng), side(rng), side(rng)};
        for (int32_t y = std::max(0, box.y); y < std::min(157, box.y + box.h); ++y)
            for (int32_t x = std::max(0, box.x); x < std::min(211, box.x + box.w); ++x)
                p.vram().seek32(x, y)->all = rng();
        updateZoomCache(p, box);
        std::vector<std::unique_ptr<TMTC>> patched;
        for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i)
            patched.push_back(std::make_unique<TMTC>(p.zoomCache(i)));
        updateZoomCache(p);
        for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i)
            ASSERT_EQ(firstDifference(*patched[size_t(i)], p.zoomCache(i)), QString())
                << "cache " << i << " after box " << box.x << "," << box.y << " " << box.w
                << "x" << box.h;
    }
}

INSTANTIATE_TEST_SUITE_P(CanvasColour, ZoomCacheRefresh, testing::Values(true, false));

TEST(ZoomCache, EachCacheMatchesTheAreaAverageScaler)
{
    // 96 = 48 x 2: every scale maps whole pixels, so the scaler's box fills each cache exactly.
    std::mt19937 rng(8);
    ViewDocument doc(96, 96, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    fillRandom(p.vram(), rng, true);
    updateZoomCache(p);
    // Each level truncates once and is built from the level before it (caches 0 and 1 from the
    // display image, cache i from cache i - 2): chain length L truncations, each at most 1 below
    // the exact mean, plus 1 for the scaler's own rounding.
    const int32_t chain[] = {1, 1, 2, 2, 3, 3, 4, 4};
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i) {
        const TMTC &cache = p.zoomCache(i);
        auto scaled = makeScaledCanvas(cache.FPSZ(), p.vram(), false, 0, true);
        ASSERT_TRUE(scaled);
        ASSERT_EQ(scaled->FPSZ(), cache.FPSZ());
        const int32_t tol = chain[i] + 1;
        for (int32_t y = 0; y < cache.height(); ++y)
            for (int32_t x = 0; x < cache.width(); ++x) {
                const sBGRA a{.all = cache.getColor(x, y)}, b{.all = scaled->getColor(x, y)};
                ASSERT_LE(std::abs(a.R - b.R), tol) << i << ": " << x << "," << y;
                ASSERT_LE(std::abs(a.G - b.G), tol) << i << ": " << x << "," << y;
                ASSERT_LE(std::abs(a.B - b.B), tol) << i << ": " << x << "," << y;
            }
    }
}

TEST(ZoomCache, AveragesAreAlphaWeightedWithTheCanvasColourHidden)
{
    ViewDocument doc(32, 32, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    p.vram().PixelFill(0x0000FF00); // transparent green
    p.vram().seek32(0, 0)->all = 0xFFFF0000;
    p.bVisCanvasCol = false;
    updateZoomCache(p, {0, 0, 2, 2});
    EXPECT_EQ(p.zoomCache(1).getColor(0, 0), 0x3FFF0000u);
    p.bVisCanvasCol = true;
    updateZoomCache(p, {0, 0, 2, 2});
    EXPECT_EQ(p.zoomCache(1).getColor(0, 0), 0x3F3FBF00u);
}

TEST(ZoomCache, TheCacheOfTheZoomIsFoundAsAReducedFraction)
{
    ViewDocument doc(64, 64, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    for (const auto &[n, d, idx] : {std::tuple{2, 3, 0}, {4, 6, 0}, {2, 4, 1}, {1, 16, 7},
                                    {3, 48, 7}, {1, 1, -1}, {3, 4, -1}, {2, 1, -1}}) {
        p.FDisplayFraction = {n, d};
        EXPECT_EQ(getUseZoomCacheIndex(p), idx) << n << "/" << d;
        EXPECT_EQ(chkZoomCache(p), idx >= 0);
    }
    // Not for an angle between the quarter turns.
    p.FDisplayFraction = {1, 2};
    TMTC dst(20, 20);
    SetViewDegree(p, -45);
    EXPECT_FALSE(useZoomCache(p, dst, p.vram(), 0.5f, p.m_vr, {0, 0, 20, 20}, {32, 32}));
    SetViewDegree(p, -90);
    EXPECT_TRUE(useZoomCache(p, dst, p.vram(), 0.5f, p.m_vr, {0, 0, 20, 20}, {32, 32}));
    // The mixing path draws at zoom 1/1 and puts the zoom back.
    p.bVisCanvasCol = false;
    EXPECT_TRUE(useZoomCache(p, dst, p.vram(), 0.5f, p.m_vr, {0, 0, 20, 20}, {32, 32}));
    EXPECT_EQ(p.FDisplayFraction.Numerator, 1);
    EXPECT_EQ(p.FDisplayFraction.Denominator, 2);
}

} // namespace
