// The averaged preview reads each source row once into a line and spreads its rows over the work
// threads; the PixelGet walk it replaced is the reference, on one thread and on all, for
// previews of the whole image, of parts, and of views reaching past the image's edges. The zoom
// caches' reductions, spread over the threads too, give on all threads what they give on one;
// their vector rows give the tap walk's pixels.
#include "core/block_test_support.h"

#include "core/image/canvas.h"
#include "core/scale/view_render.h"
#include "core/tiles/work_threads.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct ThreadCount
{
    explicit ThreadCount(int n) { setWorkThreads(n); }
    ~ThreadCount() { setWorkThreads(0); }
};

// Untouched, uniform and noisy blocks.
void mixedBlocks(CBlockVMTC &img, std::mt19937 &rng)
{
    for (int32_t i = 0; i < img.blockCount(); ++i) {
        SBlockPack &pack = img.blockAt(i);
        const uint32_t kind = rng() % 3;
        pack.bgCol.all = uint32_t(rng());
        if (kind == 0 || !img.commitBlock(pack))
            continue;
        auto *px = static_cast<uint32_t *>(pack.vAddr.get());
        for (int k = 0; k < 32 * 32; ++k)
            px[k] = uint32_t(rng());
    }
}

} // namespace

TEST(FastEqualsReference, ThePreviewGivesThePixelWalksPreview)
{
    struct Case
    {
        sSize image, preview;
        sBox part;     // of the preview
        sPos view;     // sx, sy
        sSize viewSize; // simgW, simgH
    };
    const Case cases[] = {
        {{300, 200}, {64, 43}, {0, 0, 64, 43}, {0, 0}, {300, 200}},      // whole, reduced
        {{100, 70}, {64, 64}, {0, 0, 64, 64}, {0, 0}, {100, 70}},        // one or two per pixel
        {{40, 30}, {80, 60}, {0, 0, 80, 60}, {0, 0}, {40, 30}},          // enlarged
        {{257, 129}, {50, 30}, {7, 3, 30, 20}, {-40, -13}, {330, 170}},  // part, view past edges
        {{96, 96}, {32, 32}, {-5, -5, 50, 50}, {90, 90}, {96, 96}},      // view mostly outside
    };
    std::mt19937 rng(17);
    for (int threads : {1, 0})
        for (size_t i = 0; i < std::size(cases); ++i) {
            SCOPED_TRACE(testing::Message() << "case " << i << ", threads " << threads);
            const ThreadCount tc(threads);
            const Case &c = cases[i];
            CBlockVMTC img(c.image.x, c.image.y);
            mixedBlocks(img, rng);
            TMTC got(c.preview.x, c.preview.y), want(c.preview.x, c.preview.y);
            got.PixelFill(0x12345678), want.PixelFill(0x12345678);
            img.FilterSmallenPart(got, c.part.x, c.part.y, c.part.w, c.part.h, c.view.x, c.view.y,
                                  c.viewSize.x, c.viewSize.y);
            img.FilterSmallenPartByPixel(want, c.part.x, c.part.y, c.part.w, c.part.h, c.view.x,
                                         c.view.y, c.viewSize.x, c.viewSize.y);
            for (int32_t y = 0; y < c.preview.y; ++y)
                for (int32_t x = 0; x < c.preview.x; ++x)
                    ASSERT_EQ(got.seek32(x, y)->all, want.seek32(x, y)->all) << x << ", " << y;
        }
}

TEST(FastEqualsReference, ZoomCacheReductionsDoNotDependOnTheThreadCount)
{
    std::mt19937 rng(5);
    TMTC src(301, 203);
    for (int32_t y = 0; y < src.height(); ++y)
        for (int32_t x = 0; x < src.width(); ++x)
            src.seek32(x, y)->all = uint32_t(rng()) & (rng() % 4 ? 0xFFFFFFFFu : 0x00FFFFFFu);
    using Reduce = void (*)(TMTC &, const TMTC &, const sBox &, bool, uint32_t);
    for (const Reduce reduce : {Reduce(cacheHalve), Reduce(cacheTwoThirds)})
        for (const bool weighted : {false, true}) {
            // The box reaches past the source: its pixels read the background there.
            const sBox box{3, 0, 160, 140};
            TMTC one(180, 150), all(180, 150);
            one.PixelFill(0x01020304), all.PixelFill(0x01020304);
            {
                const ThreadCount tc(1);
                reduce(one, src, box, weighted, 0x80FFFFFF);
            }
            reduce(all, src, box, weighted, 0x80FFFFFF);
            for (int32_t y = 0; y < one.height(); ++y)
                for (int32_t x = 0; x < one.width(); ++x)
                    ASSERT_EQ(one.seek32(x, y)->all, all.seek32(x, y)->all)
                        << x << ", " << y << (weighted ? " weighted" : "");
        }
}

TEST(FastEqualsReference, ZoomCacheRowsGiveTheTapWalksPixels)
{
    struct Case
    {
        sSize src;
        sBox box; // of the cache
    };
    // Odd and even first and last columns, boxes ending exactly at the last inner tap and past
    // it, sources of one to three pixels, a box wholly outside the source.
    const Case cases[] = {
        {{301, 203}, {0, 0, 200, 136}}, {{300, 200}, {1, 1, 17, 9}},  {{97, 64}, {5, 2, 60, 41}},
        {{98, 65}, {30, 20, 40, 30}},   {{8, 8}, {0, 0, 6, 6}},       {{3, 3}, {0, 0, 3, 3}},
        {{2, 2}, {0, 0, 2, 2}},         {{1, 1}, {0, 0, 2, 2}},       {{40, 30}, {35, 25, 9, 9}},
    };
    using Reduce = void (*)(TMTC &, const TMTC &, const sBox &, bool, uint32_t);
    const std::pair<Reduce, Reduce> reductions[] = {{cacheHalve, cacheHalveByPixel},
                                                    {cacheTwoThirds, cacheTwoThirdsByPixel}};
    std::mt19937 rng(23);
    for (int threads : {1, 0})
        for (size_t i = 0; i < std::size(cases); ++i)
            for (size_t r = 0; r < std::size(reductions); ++r)
                for (const bool weighted : {false, true}) {
                    SCOPED_TRACE(testing::Message() << "case " << i << ", reduction " << r
                                                    << (weighted ? " weighted" : "")
                                                    << ", threads " << threads);
                    const ThreadCount tc(threads);
                    const Case &c = cases[i];
                    TMTC src(c.src.x, c.src.y);
                    for (int32_t y = 0; y < src.height(); ++y)
                        for (int32_t x = 0; x < src.width(); ++x)
                            src.seek32(x, y)->all =
                                rng() % 5 ? uint32_t(rng()) : 0xFFFFFFFFu * (rng() % 2);
                    TMTC got(210, 140), want(210, 140);
                    got.PixelFill(0x01020304), want.PixelFill(0x01020304);
                    reductions[r].first(got, src, c.box, weighted, 0x80FFFFFF);
                    reductions[r].second(want, src, c.box, weighted, 0x80FFFFFF);
                    for (int32_t y = 0; y < got.height(); ++y)
                        for (int32_t x = 0; x < got.width(); ++x)
                            ASSERT_EQ(got.seek32(x, y)->all, want.seek32(x, y)->all)
                                << x << ", " << y;
                }
}
