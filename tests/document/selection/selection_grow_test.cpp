// Growing and shrinking by an octagon: the neighbourhood's shape, small worked cases, grey levels,
// placement at the mask image's edge, and the row-window evaluation against the plain definition.
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "document/selection/selection_grow.h"
#include "selection_rig.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The plain definition: the extreme over every offset of the octagon, 0 outside the image.
std::vector<uint8_t> plainOctagon(const std::vector<uint8_t> &src, int32_t w, int32_t h, int32_t n,
                                  bool grow)
{
    std::vector<uint8_t> out(src.size());
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t best = grow ? 0 : 255;
            for (int32_t d = -n; d <= n; ++d)
                for (int32_t e = -octagonReach(n, d); e <= octagonReach(n, d); ++e) {
                    const int32_t sx = x + d, sy = y + e;
                    const int32_t v = sx < 0 || sy < 0 || sx >= w || sy >= h
                                          ? 0
                                          : src[size_t(sy) * size_t(w) + size_t(sx)];
                    best = grow ? std::max(best, v) : std::min(best, v);
                }
            out[size_t(y) * size_t(w) + size_t(x)] = uint8_t(best);
        }
    return out;
}

std::vector<uint8_t> fast(const std::vector<uint8_t> &src, int32_t w, int32_t h, int32_t n,
                          bool grow)
{
    std::vector<uint8_t> out(src.size());
    octagonExtreme(src, w, h, n, grow, out);
    return out;
}

// A mask of w x h at view position vp with the given document pixels set.
std::unique_ptr<CMaskData> maskWith(int32_t w, int32_t h, sPos vp,
                                    std::initializer_list<std::pair<sPos, uint8_t>> px)
{
    auto md = std::make_unique<CMaskData>(0, w, h);
    md->viewPos = vp;
    for (const auto &[p, v] : px)
        md->maskTC->setPixel(p.x + vp.x, p.y + vp.y, v);
    return md;
}

int32_t countAtLeast(const CMaskData &md, uint8_t v, sRect area)
{
    int32_t n = 0;
    for (int32_t y = area.y0; y < area.y1; ++y)
        for (int32_t x = area.x0; x < area.x1; ++x)
            n += md.getMaskValue(x, y) >= v;
    return n;
}

// The grown mask as a mask, for reading at document positions.
std::unique_ptr<CMaskData> adopt(SGrownMask &g)
{
    auto md = std::make_unique<CMaskData>(0, g.channel->width(), g.channel->height());
    md->maskTC->copy(*g.channel, 0, 0);
    md->viewPos = g.viewPos;
    return md;
}

} // namespace

TEST(SelectionGrow, OctagonReach)
{
    const int32_t p4[] = {2, 3, 4, 4, 4, 4, 4, 3, 2};
    for (int32_t d = -4; d <= 4; ++d)
        EXPECT_EQ(octagonReach(4, d), p4[d + 4]) << d;
    EXPECT_EQ(octagonReach(1, 1), 1);
    EXPECT_EQ(octagonReach(2, 2), 1);
    EXPECT_EQ(octagonReach(2, 1), 2);
}

TEST(SelectionGrow, WorkedCasesOfGrowingAndShrinking)
{
    const sRect all{-40, -40, 40, 40};
    {
        auto md = maskWith(20, 20, {10, 10}, {{{0, 0}, 255}});
        SGrownMask g;
        ASSERT_TRUE(makeGrownMask(*md, 1, true, g));
        auto r = adopt(g);
        EXPECT_EQ(countAtLeast(*r, 255, all), 9);
        EXPECT_EQ(r->getMaskValue(-1, -1), 255);
        EXPECT_EQ(r->getMaskValue(1, 1), 255);
    }
    {
        auto md = maskWith(20, 20, {10, 10}, {{{0, 0}, 255}});
        SGrownMask g;
        ASSERT_TRUE(makeGrownMask(*md, 2, true, g));
        auto r = adopt(g);
        EXPECT_EQ(countAtLeast(*r, 255, all), 21);
        EXPECT_EQ(r->getMaskValue(2, 1), 255);
        EXPECT_EQ(r->getMaskValue(2, 2), 0);
    }
    {
        CMaskData md(0, 20, 20);
        sBox square{5, 5, 3, 3};
        md.maskTC->fillArea(square, 255);
        SGrownMask g;
        ASSERT_TRUE(makeGrownMask(md, 1, false, g));
        auto r = adopt(g);
        EXPECT_EQ(countAtLeast(*r, 1, all), 1);
        EXPECT_EQ(r->getMaskValue(6, 6), 255);
    }
}

TEST(SelectionGrow, SoftSelectionsKeepTheirGreyLevels)
{
    auto md = maskWith(20, 20, {0, 0}, {{{5, 5}, 90}, {{6, 5}, 200}, {{7, 5}, 40}});
    SGrownMask g;
    ASSERT_TRUE(makeGrownMask(*md, 1, true, g));
    auto r = adopt(g);
    EXPECT_EQ(r->getMaskValue(4, 4), 90);
    EXPECT_EQ(r->getMaskValue(5, 6), 200);
    EXPECT_EQ(r->getMaskValue(8, 6), 40);
    ASSERT_TRUE(makeGrownMask(*md, 1, false, g));
    r = adopt(g);
    EXPECT_EQ(r->getMaskValue(6, 5), 0);
}

TEST(SelectionGrow, GrowthAtTheImageEdgeKeepsDocumentPositions)
{
    // Selected pixels on the image's right edge and its top row.
    auto md = maskWith(16, 12, {2, 3}, {{{13, 4}, 255}, {{5, -3}, 180}});
    SGrownMask g;
    ASSERT_TRUE(makeGrownMask(*md, 3, true, g));
    auto r = adopt(g);
    EXPECT_GE(r->maskTC->width(), 16);
    EXPECT_EQ(r->getMaskValue(13, 4), 255);
    EXPECT_EQ(r->getMaskValue(16, 4), 255); // past the old image
    EXPECT_EQ(r->getMaskValue(5, -3), 180);
    EXPECT_EQ(r->getMaskValue(5, -6), 180); // above the old image
    EXPECT_LE(r->getMaskValue(17, 4), 0); // beyond the reach of 3
}

TEST(SelectionGrow, TheRowWindowEqualsThePlainOctagon)
{
    const uint32_t seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    for (int32_t n = 1; n <= kSelectionGrowMax; ++n) {
        const int32_t w = 1 + int32_t(rng() % 70), h = 1 + int32_t(rng() % 50);
        std::vector<uint8_t> src(size_t(w) * size_t(h));
        // Soft blobs, runs of 255 and of 0, so that both early ends are taken.
        for (uint8_t &b : src) {
            const uint32_t k = rng() % 10;
            b = k < 4 ? 0 : k < 6 ? 255 : uint8_t(rng());
        }
        for (bool grow : {true, false}) {
            SCOPED_TRACE(testing::Message() << "n " << n << " " << w << "x" << h << " grow " << grow);
            EXPECT_EQ(fast(src, w, h, n, grow), plainOctagon(src, w, h, n, grow));
        }
    }
}

TEST(SelectionGrow, CommandsRefuseRadiiOutsideTheDialogsRange)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{40};
    ASSERT_TRUE(s.start());
    const QString before = dumpPaperState(s.paper());
    for (int32_t n : {0, -1, 33, 65535}) {
        EXPECT_FALSE(growSelection(s.paper(), 0, -1, n, 0, true)) << n;
        EXPECT_FALSE(shrinkSelection(s.paper(), 0, -1, n, 0, true)) << n;
    }
    EXPECT_FALSE(growSelection(s.paper(), 9, -1, 2, 0, true));
    EXPECT_FALSE(growSelection(s.paper(), 0, 5, 2, 0, true));
    EXPECT_EQ(dumpPaperState(s.paper()).toStdString(), before.toStdString());
}

TEST(SelectionGrowUndoRedo, TheRecordNamesTheNewMaskAndStepsBothWays)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    SelectionSession s{41};
    ASSERT_TRUE(s.start());
    const QString before = masksOf(s.paper());
    ASSERT_TRUE(growSelection(s.paper(), 0, -1, 4, 0, true));
    const QString after = masksOf(s.paper());
    ASSERT_NE(after, before);
    EXPECT_TRUE(s.historiesInStep());
    ASSERT_TRUE(s.undoStep());
    EXPECT_EQ(masksOf(s.paper()).toStdString(), before.toStdString());
    ASSERT_TRUE(s.redoStep());
    EXPECT_EQ(masksOf(s.paper()).toStdString(), after.toStdString());
    EXPECT_EQ(s.replayDifference(false), "");
}
