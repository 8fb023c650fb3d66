#include "core/image/channel.h"
#include "core/mask/marching_ants.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

namespace {

std::vector<sPos> positions(const CPointList &list)
{
    std::vector<sPos> v;
    for (int32_t b = 0; b < list.getTableTotal(); ++b)
        for (int32_t i = 0; i < list.getTableCount(b); ++i)
            v.push_back(list.getTable(b)[i]);
    return v;
}

// A w x h channel, all 0 except the given pixels (255).
std::unique_ptr<TChannel> channelWith(int32_t w, int32_t h, std::initializer_list<sPos> on)
{
    auto ch = std::make_unique<TChannel>(w, h);
    ch->PixelFill(0);
    for (const sPos &p : on)
        *ch->seek8(p.x, p.y) = 255;
    return ch;
}

struct FakeView : IViewTransform
{
    float zoom = 1.0f;
    float angle = 0.0f; // radians
    bool reverse = false;
    int32_t factor = 1; // paper to window: p * factor + shift
    sPos shift;

    float GetZoomScale() const override { return zoom; }
    float viewSin() const override { return std::sin(angle); }
    float viewCos() const override { return std::cos(angle); }
    bool viewReversed() const override { return reverse; }
    sPos convToViewPos(const sPos &p) const override
    {
        return {p.x * factor + shift.x, p.y * factor + shift.y};
    }
};

struct Dot
{
    int32_t x, y;
    uint32_t color;
    friend bool operator==(const Dot &, const Dot &) = default;
};

struct FakeSurface : IPixelSink
{
    std::vector<Dot> dots;
    void SetPixel(int32_t x, int32_t y, uint32_t color) override { dots.push_back({x, y, color}); }
};

std::ostream &operator<<(std::ostream &os, const Dot &d)
{
    return os << "(" << d.x << "," << d.y << ":" << std::hex << d.color << std::dec << ")";
}

} // namespace

static std::ostream &operator<<(std::ostream &os, const sPos &p)
{
    return os << "(" << p.x << "," << p.y << ")";
}

TEST(PointList, BlocksOf1024)
{
    CPointList list(16);
    EXPECT_EQ(list.getCount(), 0);
    EXPECT_EQ(list.getTopCount(), 0);
    EXPECT_FALSE(list.offsetList({1, 1}));
    ASSERT_TRUE(list.start());
    for (int32_t i = 0; i < 1025; ++i)
        ASSERT_TRUE(list.addPos({i, -i}));
    EXPECT_EQ(list.getCount(), 1025);
    EXPECT_EQ(list.getTableTotal(), 2);
    EXPECT_EQ(list.getTableCount(0), 1024);
    EXPECT_EQ(list.getTableCount(1), 1);
    EXPECT_EQ(list.getTopCount(), 1);
    EXPECT_EQ(list.getTableCount(2), 0);
    EXPECT_EQ(list.getTable(-1), nullptr);
    EXPECT_EQ(list.getTable(1)[0], (sPos{1024, -1024}));
    ASSERT_TRUE(list.offsetList({10, 20}));
    EXPECT_EQ(list.getTable(0)[3], (sPos{13, 17}));
    EXPECT_EQ(list.getTable(1)[0], (sPos{1034, -1004}));
    EXPECT_EQ(list.deleteAll(), 2);
    EXPECT_EQ(list.getCount(), 0);
    ASSERT_TRUE(list.addPos({5, 5})); // a list without blocks gets one
    EXPECT_EQ(list.getCount(), 1);
}

TEST(MarchingAnts, EdgeListsOfASinglePixel)
{
    CAntPoints ants(nullptr, 0xCC);
    ASSERT_TRUE(ants.findEdge(*channelWith(10, 10, {{3, 5}}), false));
    EXPECT_EQ(positions(ants.xon()), (std::vector<sPos>{{3, 5}}));
    EXPECT_EQ(positions(ants.xoff()), (std::vector<sPos>{{4, 5}}));
    EXPECT_EQ(positions(ants.yon()), (std::vector<sPos>{{3, 5}}));
    EXPECT_EQ(positions(ants.yoff()), (std::vector<sPos>{{3, 6}}));
    EXPECT_TRUE(ants.hasPoint());
}

TEST(MarchingAnts, RunsReachingTheEdgeAndScanOrder)
{
    // Row 0: two runs, the second to the last pixel; column 4 runs down to the last row.
    const auto ch = channelWith(5, 3, {{0, 0}, {3, 0}, {4, 0}, {4, 2}});
    CAntPoints ants(nullptr, 0xCC);
    ASSERT_TRUE(ants.findEdge(*ch, false));
    EXPECT_EQ(positions(ants.xon()), (std::vector<sPos>{{0, 0}, {3, 0}, {4, 2}}));
    EXPECT_EQ(positions(ants.xoff()), (std::vector<sPos>{{1, 0}, {5, 0}, {5, 2}}));
    EXPECT_EQ(positions(ants.yon()), (std::vector<sPos>{{0, 0}, {3, 0}, {4, 0}, {4, 2}}));
    EXPECT_EQ(positions(ants.yoff()), (std::vector<sPos>{{0, 1}, {3, 1}, {4, 1}, {4, 3}}));
}

TEST(MarchingAnts, EmptyChannelAndAppending)
{
    CAntPoints ants(nullptr, 0xCC);
    ASSERT_TRUE(ants.findEdge(*channelWith(4, 4, {{1, 1}}), false));
    ants.setViewOfs({7, 7});
    EXPECT_FALSE(ants.findEdge(*channelWith(4, 4, {}), false));
    EXPECT_FALSE(ants.hasPoint());
    EXPECT_EQ(ants.getViewOfs(), (sPos{0, 0}));

    ASSERT_TRUE(ants.findEdge(*channelWith(4, 4, {{1, 1}}), false));
    ASSERT_TRUE(ants.findEdge(*channelWith(4, 4, {{2, 3}}), true));
    EXPECT_EQ(positions(ants.xon()), (std::vector<sPos>{{1, 1}, {2, 3}}));
    // With add, a channel that adds nothing answers false but keeps the outline.
    EXPECT_FALSE(ants.findEdge(*channelWith(4, 4, {}), true));
    EXPECT_EQ(ants.xon().getCount(), 2);
    ants.clear();
    EXPECT_FALSE(ants.hasPoint());
}

TEST(MarchingAnts, DashPhases)
{
    CAntPoints ants(nullptr, 0xCC);
    std::vector<int> phases;
    for (int i = 0; i < 5; ++i) {
        phases.push_back(ants.getPattern());
        ants.nextPattern();
    }
    EXPECT_EQ(phases, (std::vector<int>{0xCC, 0x66, 0x33, 0x99, 0xCC}));
    for (const uint8_t pat : {0x01, 0x80, 0xA5, 0xFE}) {
        CAntPoints any(nullptr, pat);
        for (int i = 0; i < 8; ++i)
            any.nextPattern();
        EXPECT_EQ(any.getPattern(), pat);
    }
    // Black where the phase has bit 128 >> ((x + y) and 7): with 0xCC two black, two white.
    std::vector<uint32_t> row;
    for (int32_t x = 0; x < 8; ++x)
        row.push_back(CAntPoints::dashColor(x, 0, 0xCC));
    EXPECT_EQ(row, (std::vector<uint32_t>{0, 0, 0xFFFFFF, 0xFFFFFF, 0, 0, 0xFFFFFF, 0xFFFFFF}));
    EXPECT_EQ(CAntPoints::dashColor(-1, 0, 0x01), 0u); // (-1) and 7 = 7
}

TEST(MarchingAnts, PixelsPerPointFollowTheZoom)
{
    struct Case
    {
        float zoom;
        size_t perPoint;
    };
    for (const Case c : {Case{4.0f, 4}, Case{1.25f, 1}, Case{1.375f, 2}, Case{1.5f, 2},
                         Case{1.0f, 1}, Case{0.5f, 1}, Case{0.25f, 1}}) {
        FakeView view;
        view.zoom = c.zoom;
        CAntPoints ants(&view, 0xCC);
        ASSERT_TRUE(ants.findEdge(*channelWith(10, 10, {{3, 5}}), false));
        FakeSurface surface;
        ASSERT_TRUE(ants.showAnts(surface, {0, 0, 100, 100}));
        EXPECT_EQ(surface.dots.size(), 4 * c.perPoint) << c.zoom;
    }
}

TEST(MarchingAnts, DashesFollowTheBorderAndTheView)
{
    // At 100 % every dash of a single pixel lands on the pixel: the off positions move back.
    CAntPoints ants(nullptr, 0xCC);
    ASSERT_TRUE(ants.findEdge(*channelWith(10, 10, {{3, 5}}), false));
    FakeSurface one;
    ASSERT_TRUE(ants.showAnts(one, {0, 0, 10, 10}));
    const uint32_t c = CAntPoints::dashColor(3, 5, 0xCC);
    EXPECT_EQ(one.dots, (std::vector<Dot>{{3, 5, c}, {3, 5, c}, {3, 5, c}, {3, 5, c}}));

    // At 200 %: x lists run down, y lists right, in the order xon, yon, xoff, yoff; off
    // positions one window pixel back.
    FakeView view;
    view.zoom = 2.0f;
    view.factor = 2;
    CAntPoints big(&view, 0xCC);
    ASSERT_TRUE(big.findEdge(*channelWith(10, 10, {{3, 5}}), false));
    FakeSurface two;
    ASSERT_TRUE(big.showAnts(two, {0, 0, 100, 100}));
    std::vector<sPos> at;
    for (const Dot &d : two.dots) {
        at.push_back({d.x, d.y});
        EXPECT_EQ(d.color, CAntPoints::dashColor(d.x, d.y, 0xCC));
    }
    EXPECT_EQ(at, (std::vector<sPos>{
                      {6, 10}, {6, 11}, {6, 10}, {7, 10}, {7, 10}, {7, 11}, {6, 11}, {7, 11}}));

    // Mirrored: the y-list dashes run left. Below 100 % the off positions move forward.
    view.reverse = true;
    FakeSurface mirrored;
    ASSERT_TRUE(big.showAnts(mirrored, {0, 0, 100, 100}));
    EXPECT_EQ(mirrored.dots[3].x, 5);
    view.reverse = false;
    view.zoom = 0.5f;
    FakeSurface small;
    ASSERT_TRUE(big.showAnts(small, {0, 0, 100, 100}));
    EXPECT_EQ((sPos{small.dots[2].x, small.dots[2].y}), (sPos{9, 10})); // xoff (8, 10) + 1
    EXPECT_EQ((sPos{small.dots[3].x, small.dots[3].y}), (sPos{6, 13})); // yoff (6, 12) + 1

    // A quarter turn: x-list dashes run along (sin, cos) = (1, 0).
    view.zoom = 2.0f;
    view.angle = float(M_PI / 2);
    FakeSurface turned;
    ASSERT_TRUE(big.showAnts(turned, {0, 0, 100, 100}));
    EXPECT_EQ((sPos{turned.dots[1].x, turned.dots[1].y}), (sPos{7, 10}));
}

TEST(MarchingAnts, ClipBoxAndOffset)
{
    CAntPoints ants(nullptr, 0xCC);
    EXPECT_FALSE(ants.showAnts(*std::make_unique<FakeSurface>(), {0, 0, 10, 10}));
    ASSERT_TRUE(ants.findEdge(*channelWith(10, 10, {{3, 5}}), false));
    FakeSurface outside;
    ASSERT_TRUE(ants.showAnts(outside, {0, 0, 3, 10}));
    EXPECT_TRUE(outside.dots.empty());
    ants.setViewOfs({-3, 0});
    FakeSurface moved;
    // Only xoff, at (4, 5) - 3 = (1, 5), lies in the box; its dash moves back to (0, 5) after
    // the test.
    ASSERT_TRUE(ants.showAnts(moved, {1, 0, 3, 10}));
    ASSERT_EQ(moved.dots.size(), 1u);
    EXPECT_EQ(moved.dots[0], (Dot{0, 5, CAntPoints::dashColor(0, 5, 0xCC)}));
}
