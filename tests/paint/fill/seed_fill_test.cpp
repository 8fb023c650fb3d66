#include "paint/fill/seed_fill.h"

#include "core/tiles/block_channel.h"

#include "paint/fill_test_support.h"

#include <gtest/gtest.h>

namespace {

// Key grey 100 and greys at squared distances 5, 10 and 11 from it.
const std::map<char, uint32_t> kGreys{
    {'k', 0xFF646464}, {'x', 0xFF656664}, {'z', 0xFF676564}, {'y', 0xFF676565}, {'b', 0xFFE0E0E0}};

sRect wholeOf(const TMTC &tc)
{
    return {0, 0, tc.width(), tc.height()};
}

template <class Filler> std::vector<std::string> seedRows(const TMTC &tc, sPos seed, int32_t val)
{
    ClearChannel out(tc.width(), tc.height());
    Filler fill(SEED_FILL_MAX_SEEDS, tc, out, wholeOf(tc));
    fill.start(seed, val);
    EXPECT_FALSE(fill.overflow);
    return coverageRows(out);
}

// A comb: `teeth` one-pixel teeth on row 0 above an open row 1.
std::vector<std::string> comb(int32_t teeth)
{
    std::string top;
    for (int32_t i = 0; i < teeth; ++i)
        top += "kb";
    return {top, std::string(top.size(), 'k')};
}

} // namespace

TEST(SeedFill, CornersDoNotJoin)
{
    const RowImage tc({"kkbkk", "kbbkb", "kkbkk", "bkkbk"}, kGreys);
    EXPECT_EQ(seedRows<CSeedFillTC>(tc, {0, 0}, 1),
              (std::vector<std::string>{"##...", "#....", "##...", ".##.."}));
    EXPECT_EQ(seedRows<CSeedFillTC>(tc, {4, 3}, 1),
              (std::vector<std::string>{"...##", "...#.", "...##", "....#"}));
}

TEST(SeedFill, ALimitOfZeroKeepsThePreviousOne)
{
    // x lies 10 from the key, y 11.
    const RowImage tc({"kzy"}, kGreys);
    ClearChannel out(3, 1);
    CSeedFillTC fill(16, tc, out, wholeOf(tc));
    EXPECT_EQ(fill.limitVal, 10);
    ASSERT_TRUE(fill.start({0, 0}, 0));
    EXPECT_EQ(coverageRows(out)[0], "##.");

    struct Step
    {
        int32_t val;
        int32_t limit;
        const char *row;
    } const steps[] = {{11, 11, "###"}, {-3, 11, "###"}, {0, 11, "###"}, {10, 10, "##."}};
    for (const Step &s : steps) {
        out.PixelFill(0);
        ASSERT_TRUE(fill.start({0, 0}, s.val));
        EXPECT_EQ(fill.limitVal, s.limit) << s.val;
        EXPECT_EQ(coverageRows(out)[0], s.row) << s.val;
    }
}

TEST(SeedFill, StopsHalfDoneWhenTheSeedsRunOut)
{
    // The open row fills first and then asks for one seed per tooth: four, with room for two.
    const RowImage tc({"kbkbkbk", "kxzxxxx"}, kGreys);
    ClearChannel out(7, 2);
    CSeedFillTC fill(2, tc, out, wholeOf(tc));
    EXPECT_TRUE(fill.start({0, 1}, 10));
    EXPECT_TRUE(fill.overflow);
    // Without the finishing step the graded bytes stay: (10 - d) * 255 div 10, at least 1.
    EXPECT_EQ(channelValues(out), (std::vector<std::vector<int>>{
                                      {0, 0, 0, 0, 0, 0, 0}, {255, 127, 1, 127, 127, 127, 127}}));

    ClearChannel whole(7, 2);
    CSeedFillTC roomy(5, tc, whole, wholeOf(tc));
    EXPECT_TRUE(roomy.start({0, 1}, 10));
    EXPECT_FALSE(roomy.overflow);
    EXPECT_EQ(coverageRows(whole), (std::vector<std::string>{"#.#.#.#", "#######"}));
}

TEST(SeedFill, TheDocumentsSeedCapacityHolds8192Teeth)
{
    for (int32_t teeth : {8192, 8193}) {
        SCOPED_TRACE(teeth);
        const RowImage tc(comb(teeth), kGreys);
        ClearChannel out(tc.width(), 2);
        CSeedFillTC fill(SEED_FILL_MAX_SEEDS, tc, out, wholeOf(tc));
        EXPECT_TRUE(fill.start({0, 1}, 1));
        EXPECT_EQ(fill.overflow, teeth > SEED_FILL_MAX_SEEDS);
    }
    EXPECT_EQ(seedFillTooComplexMessage(), QString::fromUtf8("領域が複雑すぎます！"));
}

TEST(SeedFill, RefusesSeedsOutsideTheClipAndClipsToTheImage)
{
    const RowImage tc({"kkk", "kkk"}, kGreys);
    struct Case
    {
        sRect clip;
        sPos seed;
        bool ok;
        std::vector<std::string> rows;
    } const cases[] = {
        {{0, 0, 3, 2}, {3, 0}, false, {"...", "..."}},
        {{1, 0, 3, 2}, {0, 0}, false, {"...", "..."}},
        {{1, 0, 3, 1}, {2, 0}, true, {".##", "..."}},
        {{-5, -5, 100, 100}, {50, 50}, false, {"...", "..."}}, // inside the clip, not the image
        {{-5, -5, 100, 100}, {1, 1}, true, {"###", "###"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.seed.x << "," << c.seed.y);
        ClearChannel out(3, 2);
        CSeedFillTC fill(16, tc, out, c.clip);
        EXPECT_EQ(fill.start(c.seed, 1), c.ok);
        EXPECT_EQ(coverageRows(out), c.rows);
    }
}

TEST(SeedFillWithAlpha, ComparesOverAContrastingBackground)
{
    struct Case
    {
        const char *name;
        uint32_t key, near, far;
        int32_t limit;
        const char *row;
    } const cases[] = {
        // A transparent key: the distance is 2 A^2, so limit 2 L^2 takes alpha up to L.
        {"transparent key", 0x00000000, 0x0A112233, 0x0B112233, 200, "##."},
        // A light half-transparent key over black is grey 128: an opaque grey 128 matches.
        {"light key", 0x80FFFFFF, 0xFF808080, 0xFFFFFFFF, 2, "##."},
        // A dark one over white is grey 127.
        {"dark key", 0x80000000, 0xFF7F7F7F, 0xFF000000, 2, "##."},
        // An opaque black key: half-black pixels are compared over white, as grey 127, at a
        // distance of 3 x 127^2 = 48387.
        {"half black within", 0xFF000000, 0x80000000, 0x80000000, 48387, "###"},
        {"half black beyond", 0xFF000000, 0x80000000, 0x80000000, 48386, "#.."},
        // A transparent pixel never matches a key that is not.
        {"transparent pixel", 0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 2 * 255 * 255, "##."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RowImage tc({"knf"}, {{'k', c.key}, {'n', c.near}, {'f', c.far}});
        EXPECT_EQ(seedRows<CSeedFillTCWithAlpha>(tc, {0, 0}, c.limit)[0], c.row);
    }
}

TEST(SeedFillWithMask, NeverEntersUnselectedPixels)
{
    // The selection covers x 1..3 and y 0..2 of the image, read at an offset of (2, 1), except
    // the image pixel (2, 1).
    CBlockVCH selection(8, 6);
    sBox box{3, 1, 3, 3};
    selection.fillArea(box, 255);
    selection.setPixel(4, 2, 0);
    const RowImage tc({"kkkkkk", "kkkkkk", "kkkkkk", "kkkkkk"}, kGreys);
    ClearChannel out(6, 4);
    CSeedFillTCWithMask fill(SEED_FILL_MAX_SEEDS, tc, out, wholeOf(tc), {2, 1}, selection);
    EXPECT_TRUE(fill.start({1, 0}, 1));
    EXPECT_EQ(coverageRows(out),
              (std::vector<std::string>{".###..", ".#.#..", ".###..", "......"}));

    // A seed the selection leaves out fills nothing.
    ClearChannel none(6, 4);
    CSeedFillTCWithMask outside(SEED_FILL_MAX_SEEDS, tc, none, wholeOf(tc), {2, 1}, selection);
    EXPECT_FALSE(outside.start({5, 3}, 1));
    EXPECT_EQ(coverageRows(none), std::vector<std::string>(4, "......"));
}
