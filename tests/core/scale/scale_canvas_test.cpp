#include "core/image_test_support.h"

#include "core/scale/scale_canvas.h"
#include "core/scale/scale_image.h"
#include "core/tiles/work_threads.h"

#include "core/pixel/each_simd_level.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

// trunc((sum + 0.01) / 4) over each 2 x 2 block, alpha included.
TEST(ScaleImageTMTC, HalvingACanvasGivesExactMeans)
{
    TMTC src, dst(2, 2);
    fillCanvas(src, 4, 4,
               {0x00000000, 0x04040404, 0x10203040, 0x11213141, //
                0x01010101, 0x02020202, 0x12223242, 0x13233343, //
                0xFF000000, 0xFF0000FF, 0x80808080, 0x80808080, //
                0xFF00FF00, 0xFFFF0000, 0x80808080, 0x7F7F7F7F});
    CScaleImageTMTC scaler(&src, &dst);
    ASSERT_TRUE(scaler.scale({0, 0, 4, 4}, {0, 0, 2, 2}));
    EXPECT_EQ(canvasPixels(dst), (std::vector<uint32_t>{0x01010101, 0x11213141, 0xFF3F3F3F,
                                                        0x7F7F7F7F}));
}

TEST(ScaleImageTMTC, OnePixelCanvasFillsThreeByThree)
{
    TMTC src, dst(3, 3);
    fillCanvas(src, 1, 1, {0x80102030});
    CScaleImageTMTC scaler(&src, &dst);
    ASSERT_TRUE(scaler.scale({0, 0, 1, 1}, {0, 0, 3, 3}));
    EXPECT_EQ(canvasPixels(dst), std::vector<uint32_t>(9, 0x80102030));
}

// Enlarging a plain picture keeps its colour exactly: the rounding nudge shrinks with footprints
// smaller than a pixel (a fixed one lifted empty channels of an 8 x 4 picture at 256 x 256 to 20).
TEST(ScaleImageTMTC, EnlargingAPlainCanvasKeepsItsColour)
{
    struct Case
    {
        int w, h;
        uint32_t colour;
    };
    for (const Case c : {Case{8, 4, 0xFFFF0000}, Case{2, 2, 0xFFFF0000}, Case{3, 5, 0x80102030},
                         Case{1, 7, 0x00000000}}) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        TMTC src, dst(256, 256);
        fillCanvas(src, c.w, c.h, std::vector<uint32_t>(size_t(c.w * c.h), c.colour));
        ASSERT_TRUE(scaleCanvasInto(dst, src, false, 0x12345678));
        EXPECT_EQ(canvasPixels(dst), std::vector<uint32_t>(256 * 256, c.colour));
    }
}

// Channels are stored bottom-up: the scaler must still take row 0 as the top row.
TEST(ScaleImageChannels, ChannelScalersKeepRowOrderAndGiveCoverage)
{
    TChannel src;
    drawMask(src, {"##..", "##..", "....", "...."});
    TChannel small(2, 2);
    CScaleImageCH ch(&src, &small);
    ASSERT_TRUE(ch.scale({0, 0, 4, 4}, {0, 0, 2, 2}));
    EXPECT_EQ(channelRows(small), (std::vector<std::string>{"## ..", ".. .."}));

    TMTC grey(2, 2);
    CScaleImageCH2TMTC toCanvas(&src, &grey);
    ASSERT_TRUE(toCanvas.scale({0, 0, 4, 4}, {0, 0, 2, 2}));
    EXPECT_EQ(canvasPixels(grey),
              (std::vector<uint32_t>{0xFFFFFFFF, 0xFF000000, 0xFF000000, 0xFF000000}));

    CScaleImageCH_fixp fixp(&src);
    int32_t coverage = -1;
    sRect full = {0, 0, 2 << 16, 2 << 16};
    ASSERT_TRUE(fixp.calcSrcRect(&coverage, full));
    EXPECT_EQ(coverage, 65536);
    sRect half = {0x10000, 0, 0x30000, 0x10000}; // one covered, one empty pixel
    ASSERT_TRUE(fixp.calcSrcRect(&coverage, half));
    EXPECT_EQ(coverage, 32768);
    EXPECT_FALSE(fixp.scale({0, 0, 4, 4}, {0, 0, 1, 1})) << "no destination image";
}

TEST(ScaleCanvas, IntoKeepsAspectAndFillsTheRest)
{
    TMTC src, dst(4, 4);
    fillCanvas(src, 2, 1, {0xFF0000FF, 0xFF0000FF});
    ASSERT_TRUE(scaleCanvasInto(dst, src, true, 0x11111111));
    // 2 x 1 centred unscaled in 4 x 4: columns 1-2 of row 1.
    const auto px = canvasPixels(dst);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(px[i], i == 5 || i == 6 ? 0xFF0000FFu : 0x11111111u) << i;

    ASSERT_TRUE(scaleCanvasInto(dst, src, false, 0));
    EXPECT_EQ(canvasPixels(dst), std::vector<uint32_t>(16, 0xFF0000FF));

    TChannel ch;
    drawMask(ch, {"#"});
    TMTC greyDst(2, 2);
    ASSERT_TRUE(scaleChannelIntoCanvas(greyDst, ch, false, 0));
    EXPECT_EQ(canvasPixels(greyDst), std::vector<uint32_t>(4, 0xFFFFFFFF));
}

TEST(ScaleCanvas, MakeScaledCanvasFitsOrShrinks)
{
    TMTC src;
    numberCanvas(src, 8, 4);
    auto full = makeScaledCanvas({4, 4}, src, false, 0x22222222, true);
    ASSERT_TRUE(full);
    EXPECT_EQ(full->FPSZ(), (sSize{4, 4}));
    EXPECT_EQ(full->getColor(0, 0), 0x22222222u) << "band above the fitted 4 x 2 box";
    EXPECT_NE(full->getColor(0, 1), 0x22222222u);

    auto shrunk = makeScaledCanvas({4, 4}, src, true, 0, true);
    ASSERT_TRUE(shrunk);
    EXPECT_EQ(shrunk->FPSZ(), (sSize{4, 2}));
    EXPECT_EQ(shrunk->getColor(0, 0), full->getColor(0, 1));

    // Without fitAlways a source that fits is centred unscaled.
    auto centred = makeScaledCanvas({10, 6}, src, true, 0, false);
    ASSERT_TRUE(centred);
    EXPECT_EQ(canvasPixels(*centred), canvasPixels(src));

    EXPECT_FALSE(makeScaledCanvas({0, 4}, src, false, 0, true));
}

// A descendant that overrides nothing still goes through the virtual slots: the plain walk is the
// oracle of the inline one, which must give the same bytes.
namespace {
class SlotScaler : public CScaleImageTMTC
{
public:
    using CScaleImageTMTC::CScaleImageTMTC;
};
} // namespace

// Random pixels, a quarter of them transparent and some half transparent, so that both averages
// meet every kind of weight.
static void randomCanvas(TMTC &c, int32_t w, int32_t h, std::mt19937 &rng)
{
    c.Resize(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t v = rng();
            if (rng() % 4 == 0)
                v &= 0x00FFFFFFu;
            c.seek32(x, y)->all = v;
        }
}

// The fast walk at each vector level the processor has, on one and on several work threads.
class FastScaleAtLevel : public EachSimdLevel
{
  protected:
    void TearDown() override
    {
        setWorkThreads(0);
        EachSimdLevel::TearDown();
    }
};
INSTANTIATE_EACH_SIMD_LEVEL(FastScaleAtLevel);

// The fast walk of CScaleImageTMTC against the slot walk, plain and alpha-weighted, over
// reductions, enlargements, odd ratios, one-pixel rows and columns and cut boxes.
TEST_P(FastScaleAtLevel, MatchesTheSlotWalk)
{
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    struct Case
    {
        sSize src, dst;
        sBox from, to;
    };
    const Case cases[] = {
        {{37, 29}, {13, 11}, {1, 2, 35, 26}, {0, 0, 13, 11}},
        {{37, 29}, {50, 40}, {1, 2, 35, 26}, {0, 0, 50, 40}},
        {{37, 29}, {5, 58}, {0, 0, 37, 29}, {0, 0, 5, 58}},
        {{37, 29}, {74, 3}, {0, 0, 37, 29}, {0, 0, 74, 3}},
        {{37, 29}, {1, 1}, {0, 0, 37, 29}, {0, 0, 1, 1}},
        {{3, 2}, {1000, 7}, {0, 0, 3, 2}, {0, 0, 1000, 7}},  // rounded rate past the edge
        {{1, 1}, {9, 9}, {0, 0, 1, 1}, {0, 0, 9, 9}},
        {{409, 97}, {100, 31}, {0, 0, 409, 97}, {0, 0, 100, 31}},
        {{64, 64}, {48, 17}, {-5, 10, 80, 80}, {3, 2, 60, 60}}, // both boxes cut
        {{101, 103}, {67, 71}, {0, 0, 101, 103}, {0, 0, 67, 71}},
        {{31, 33}, {32, 34}, {0, 0, 31, 33}, {0, 0, 32, 34}},   // slight enlargement
        {{256, 1}, {3, 1}, {0, 0, 256, 1}, {0, 0, 3, 1}},
        {{1, 256}, {1, 3}, {0, 0, 1, 256}, {0, 0, 1, 3}},
    };
    for (const Case &c : cases) {
        TMTC src;
        randomCanvas(src, c.src.x, c.src.y, rng);
        for (bool alpha : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.src.x << "x" << c.src.y << " to " << c.dst.x
                                            << "x" << c.dst.y << " alpha " << alpha);
            TMTC slow(c.dst);
            slow.fillAll(0x5A5A5A5A);
            SlotScaler b(&src, &slow);
            const bool ok = alpha ? b.scale2(c.from, c.to) : b.scale(c.from, c.to);
            for (int threads : {1, 4}) {
                SCOPED_TRACE(testing::Message() << "threads " << threads);
                setWorkThreads(threads);
                TMTC fast(c.dst);
                fast.fillAll(0x5A5A5A5A);
                CScaleImageTMTC a(&src, &fast);
                ASSERT_EQ(alpha ? a.scale2(c.from, c.to) : a.scale(c.from, c.to), ok);
                ASSERT_EQ(canvasPixels(fast), canvasPixels(slow));
            }
        }
    }
}

TEST(ScaleImageTMTC, InlineWalkMatchesTheSlotWalk)
{
    const uint32_t seed = 20261210;
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    TMTC src(37, 29);
    for (int32_t y = 0; y < 29; ++y)
        for (int32_t x = 0; x < 37; ++x)
            src.seek32(x, y)->all = rng() & (rng() % 4 == 0 ? 0x00FFFFFFu : 0xFFFFFFFFu);
    const sSize sizes[] = {{13, 11}, {50, 40}, {37, 29}, {5, 58}, {1, 1}, {74, 3}};
    for (const sSize &size : sizes)
        for (bool alpha : {false, true}) {
            SCOPED_TRACE(testing::Message() << size.x << "x" << size.y << " alpha " << alpha);
            TMTC fast(size), slow(size);
            CScaleImageTMTC a(&src, &fast);
            SlotScaler b(&src, &slow);
            const sBox from = {1, 2, 35, 26}, to = {0, 0, size.x, size.y};
            ASSERT_TRUE(alpha ? a.scale2(from, to) : a.scale(from, to));
            ASSERT_TRUE(alpha ? b.scale2(from, to) : b.scale(from, to));
            ASSERT_EQ(canvasPixels(fast), canvasPixels(slow));
        }
}
