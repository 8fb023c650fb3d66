#include "paint/fill/flood_fill.h"

#include "core/tiles/block_channel.h"

#include "paint/fill_test_support.h"

#include <gtest/gtest.h>

namespace {

const std::map<char, uint32_t> kTwoColours{{'a', 0xFF2040C0}, {'b', 0xFFE0E0E0}};

// Two groups of 'a' that touch only at a corner, (2, 3) and (3, 2).
const std::vector<std::string> kCornerImage{
    "aabaa",
    "abbab",
    "aabaa",
    "baaba",
};

std::vector<std::string> floodRows(const TMTC &tc, sPos seed, uint8_t tolerance = 0,
                                   bool antiAlias = false)
{
    ClearChannel out(tc.width(), tc.height());
    CQLFloodFiller filler(tc, out, {0, 0}, {}, tolerance);
    filler.FIsAntiAlias = antiAlias;
    EXPECT_TRUE(filler.FloodFill(seed));
    return coverageRows(out);
}

} // namespace

TEST(FloodFillRangeQueue, FirstInFirstOutWhileGrowing)
{
    CFloodFillRangeQueue q(4);
    EXPECT_TRUE(q.isEmpty());
    EXPECT_EQ(q.Dequeue().endX, 0); // an empty queue yields a cleared range
    for (int32_t i = 0; i < 3; ++i)
        q.Enqueue({i, i + 10, i * 2, stToUp});
    EXPECT_EQ(q.Dequeue().startX, 0);
    EXPECT_EQ(q.Dequeue().startX, 1);
    // Pending ranges move to the front, then the array doubles as often as needed.
    for (int32_t i = 3; i < 12; ++i)
        q.Enqueue({i, i + 10, i * 2, stToUp});
    EXPECT_EQ(q.FSize, 10);
    EXPECT_GE(q.FLength, 10);
    EXPECT_EQ(q.first().startX, 2);
    for (int32_t i = 2; i < 12; ++i) {
        const SFloodFillRange r = q.Dequeue();
        EXPECT_EQ(r.startX, i);
        EXPECT_EQ(r.endX, i + 10);
        EXPECT_EQ(r.y, i * 2);
        EXPECT_EQ(r.state, stToUp);
    }
    EXPECT_TRUE(q.isEmpty());
    EXPECT_EQ(q.first().y, 0);
}

TEST(QLFloodFill, FillsTheFourConnectedRegionOnly)
{
    const RowImage tc(kCornerImage, kTwoColours);
    struct Case
    {
        sPos seed;
        std::vector<std::string> expected;
    } const cases[] = {
        {{0, 0}, {"##...", "#....", "##...", ".##.."}},
        {{4, 0}, {"...##", "...#.", "...##", "....#"}},
        {{2, 0}, {"..#..", ".##..", "..#..", "....."}},
        {{3, 3}, {".....", ".....", ".....", "...#."}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(floodRows(tc, c.seed), c.expected) << c.seed.x << "," << c.seed.y;
    }
}

TEST(QLFloodFill, ToleranceOnAlphaAndPremultipliedColour)
{
    struct Case
    {
        uint32_t seed, other;
        uint8_t tolerance;
        bool joined;
    } const cases[] = {
        {0xFF646464, 0xFF646467, 3, true},                                      // blue 3 apart
        {0xFF646464, 0xFF646467, 2, false}, {0xFF646464, 0xFA646464, 4, false}, // alpha 5 apart
        {0xFF646464, 0xFA646464, 5, true}, // and premultiplied 100 against 98
        {0x00FF0000, 0x000000FF, 0, true}, // transparent pixels are all alike
        {0x80C80A0A, 0x80C90A0A, 0, true}, // 200 and 201 premultiplied by 128 are both 100
        {0x9B333333, 0x9B333333, 0, true}, // 51 at alpha 155: the start premultiplies exactly
        {0x9B333333, 0x9B353333, 0, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.seed << " " << c.other << std::dec << " "
                                        << int(c.tolerance));
        const RowImage tc({"sot"}, {{'s', c.seed}, {'o', c.other}, {'t', c.seed}});
        EXPECT_EQ(floodRows(tc, {0, 0}, c.tolerance)[0], c.joined ? "###" : "#..");
    }
}

TEST(QLFloodFill, WritesAtTheLayerPositionWithinTheOutput)
{
    const RowImage tc({"aab", "aba"}, kTwoColours);
    ClearChannel out(5, 3);
    CQLFloodFiller filler(tc, out, {2, 1}, {}, 0);
    ASSERT_TRUE(filler.FloodFill({0, 0}));
    EXPECT_EQ(coverageRows(out), (std::vector<std::string>{".....", "..##.", "..#.."}));

    // A layer hanging over the output's edge is written where it overlaps, and nowhere else.
    ClearChannel small(2, 2);
    CQLFloodFiller over(tc, small, {-1, 1}, {}, 0);
    ASSERT_TRUE(over.FloodFill({0, 0}));
    EXPECT_EQ(coverageRows(small), (std::vector<std::string>{"..", "#."}));
}

TEST(QLFloodFill, RefusesASeedOutsideTheImage)
{
    const RowImage tc({"aab", "aba"}, kTwoColours);
    for (sPos seed : {sPos{-1, 0}, sPos{3, 0}, sPos{0, 2}, sPos{0, -5}}) {
        ClearChannel out(3, 2);
        CQLFloodFiller filler(tc, out, {0, 0}, {}, 0);
        EXPECT_FALSE(filler.FloodFill(seed)) << seed.x << "," << seed.y;
        EXPECT_EQ(coverageRows(out), (std::vector<std::string>{"...", "..."}));
    }
}

TEST(QLFloodFill, AntiAliasingRampsAlongTheEdge)
{
    using Values = std::vector<std::vector<int>>;
    struct Case
    {
        const char *name;
        std::vector<std::string> image;
        Values expected;
    } const cases[] = {
        // A one-pixel notch touches three filled pixels: 3 x 64.
        {"notch",
         {"aaaaa", "aabaa", "bbbbb", "bbbbb"},
         {{255, 255, 255, 255, 255},
          {255, 255, 192, 255, 255},
          {127, 127, 0, 127, 127},
          {0, 0, 0, 0, 0}}},
        // A step: the row beside it falls away from the region; the row under it rises and falls.
        {"step",
         {"aaaaaaaa", "aaaabbbb", "bbbbbbbb"},
         {{255, 255, 255, 255, 255, 255, 255, 255},
          {255, 255, 255, 255, 223, 159, 95, 31},
          {63, 191, 191, 63, 0, 0, 0, 0}}},
        // The same step turned: the column pass gives the same values down the columns.
        {"step down",
         {"aab", "aab", "aab", "aab", "abb", "abb", "abb", "abb"},
         {{255, 255, 63},
          {255, 255, 191},
          {255, 255, 191},
          {255, 255, 63},
          {255, 223, 0},
          {255, 159, 0},
          {255, 95, 0},
          {255, 31, 0}}},
        // A dent between two filled pixels falls towards its middle and rises again.
        {"dent",
         {"aaaaaa", "abbbba", "bbbbbb"},
         {{255, 255, 255, 255, 255, 255}, {255, 191, 63, 63, 191, 255}, {64, 0, 0, 0, 0, 64}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RowImage tc(c.image, kTwoColours);
        ClearChannel out(tc.width(), tc.height());
        CQLFloodFiller filler(tc, out, {0, 0}, {}, 0);
        filler.FIsAntiAlias = true;
        ASSERT_TRUE(filler.FloodFill({0, 0}));
        EXPECT_EQ(channelValues(out), c.expected);
    }
}

TEST(QLFloodFill, FillsARegionWithMoreRangesPendingThanTheOldQueueHeld)
{
    // An H-tree of one-pixel lines: every branch of a level is reached at the same moment, so
    // thousands of ranges wait at once in a 256 x 256 image whose old queue held 2560.
    std::vector<std::string> rows(256, std::string(256, 'b'));
    int open = 0;
    auto set = [&](int x, int y) {
        if (rows[y][x] != 'a')
            ++open;
        rows[y][x] = 'a';
    };
    auto hTree = [&](auto &&self, int cx, int cy, int size) -> void {
        const int half = size / 4;
        if (half < 2)
            return;
        for (int d = -half; d <= half; ++d) {
            set(cx + d, cy);
            set(cx - half, cy + d);
            set(cx + half, cy + d);
        }
        for (int sx : {-half, half})
            for (int sy : {-half, half})
                self(self, cx + sx, cy + sy, size / 2);
    };
    hTree(hTree, 128, 128, 256);

    const RowImage tc(rows, kTwoColours);
    ClearChannel out(256, 256);
    CQLFloodFiller filler(tc, out, {0, 0}, {}, 0);
    ASSERT_TRUE(filler.FloodFill({128, 128}));
    EXPECT_GT(filler.FRanges->FLength, (256 + 256) * 5);
    int filled = 0;
    bool onlyTree = true;
    for (int32_t y = 0; y < 256; ++y)
        for (int32_t x = 0; x < 256; ++x)
            if (out.getColor(x, y) == 255) {
                ++filled;
                onlyTree = onlyTree && rows[y][x] == 'a';
            }
    EXPECT_EQ(filled, open);
    EXPECT_TRUE(onlyTree);
}

TEST(QLFloodFillWithMask, StaysInsideTheSelection)
{
    // The selection, on the paper, covers x 3..5 and y 1..3 except (4, 2). The layer lies at
    // (2, 1) on the paper, so in layer pixels it covers x 1..3 and y 0..2.
    CBlockVCH selection(8, 6);
    sBox box{3, 1, 3, 3};
    selection.fillArea(box, 255);
    selection.setPixel(4, 2, 0);
    const RowImage tc({"aaaaab", "aaaaaa", "aaaaaa", "aaaaaa"}, kTwoColours);

    struct Case
    {
        const char *name;
        sRect viewRect;
        sPos seed;
        bool ok;
        std::vector<std::string> paper;
    } const cases[] = {
        {"whole selection",
         {0, 0, 6, 4},
         {1, 0},
         true,
         {"........", "...###..", "...#.#..", "...###..", "........", "........"}},
        {"view cut after column 2",
         {0, 0, 3, 4},
         {1, 0},
         true,
         {"........", "...##...", "...#....", "...##...", "........", "........"}},
        {"seed outside the selection's rectangle", {0, 0, 6, 4}, {0, 0}, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ClearChannel paper(8, 6);
        CQLFloodFillerWithMask filler(tc, paper, {2, 1}, {2, 1}, c.viewRect, 0, selection);
        EXPECT_EQ(filler.FloodFill(c.seed), c.ok);
        if (c.ok) {
            EXPECT_EQ(coverageRows(paper), c.paper);
        } else {
            EXPECT_EQ(coverageRows(paper), std::vector<std::string>(6, "........"));
        }
    }

    // Nothing selected: there is nowhere to fill.
    CBlockVCH none(8, 6);
    ClearChannel paper(8, 6);
    CQLFloodFillerWithMask filler(tc, paper, {2, 1}, {2, 1}, {0, 0, 6, 4}, 0, none);
    EXPECT_FALSE(filler.FloodFill({1, 0}));
}
