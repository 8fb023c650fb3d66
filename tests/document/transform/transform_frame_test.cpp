// The frame of the free transform: scripted drags with the modifier keys at two zooms and in a
// turned view, the centre marker's hit testing and snapping, arrow keys, the drag kinds the markers
// start, and the XOR drawing.
#include "transform_rig.h"

#include <cmath>
#include <numbers>
#include <string>

namespace {

using namespace transform_rig;

// A 100 x 80 opaque block at (40, 30) on a 200 x 160 paper; no selection.
struct FrameDoc
{
    explicit FrameDoc(int32_t zoom = 1)
    {
        EXPECT_TRUE(doc.paper && startPaper(paper(), {200, 160}));
        paintPattern(paper(), 0, {40, 30, 140, 110});
        SetZoomFraction(paper(), zoom, 1);
        EXPECT_TRUE(doLayerTransform(paper()));
    }
    TPaper &paper() { return *doc.paper; }
    TSelectTransform &t() { return *doc.paper->FFreeTransformer; }
    sFPos corner(int i) { return t().FViewPoints[size_t(i)]; }
    HeadlessDocument doc;
};

struct HandleCase
{
    const char *name;
    int32_t marker;
    sFPos d; // document pixels
    bool shift, ctrl, alt;
    sFPos c0, c1, c2, c3; // the corners afterwards
};

// The frame starts at (40, 30) - (140, 110); its centre (90, 70) is the anchor.
const HandleCase kHandleCases[] = {
    {"corner2-none", 2, {20, 10}, false, false, false, {40, 30}, {160, 30}, {160, 120}, {40, 120}},
    {"corner2-ctrl", 2, {20, 10}, false, true, false, {40, 30}, {140, 30}, {160, 120}, {40, 110}},
    {"corner2-ctrl-alt", 2, {20, 10}, false, true, true, {20, 20}, {140, 30}, {160, 120}, {40, 110}},
    {"corner2-alt", 2, {20, 10}, false, false, true, {20, 20}, {160, 20}, {160, 120}, {20, 120}},
    {"corner2-ctrl-shift", 2, {20, 6}, true, true, false, {40, 30}, {140, 30}, {160, 110}, {40, 110}},
    {"corner2-ctrl-shift-alt", 2, {20, 6}, true, true, true, {40, 30}, {140, 30}, {160, 110}, {20, 104}},
    {"corner0-none", 0, {-10, -6}, false, false, false, {30, 24}, {140, 24}, {140, 110}, {30, 110}},
    {"right-edge-none", 5, {20, 7}, false, false, false, {40, 30}, {160, 30}, {160, 110}, {40, 110}},
    {"right-edge-shift", 5, {20, 7}, true, false, false, {40, 30}, {160, 30}, {160, 110}, {40, 110}},
    {"right-edge-alt", 5, {20, 0}, false, false, true, {20, 30}, {160, 30}, {160, 110}, {20, 110}},
    {"right-edge-ctrl", 5, {20, 7}, false, true, false, {40, 30}, {160, 37}, {160, 117}, {40, 110}},
    {"right-edge-ctrl-shift", 5, {20, 7}, true, true, false, {40, 30}, {140, 37}, {140, 117}, {40, 110}},
    {"bottom-edge-none", 6, {5, 10}, false, false, false, {40, 30}, {140, 30}, {140, 120}, {40, 120}},
    {"bottom-edge-alt", 6, {0, 10}, false, false, true, {40, 20}, {140, 20}, {140, 120}, {40, 120}},
};

void PrintTo(const HandleCase &c, std::ostream *os)
{
    *os << c.name;
}

class FreeTransformFrameHandles : public ::testing::TestWithParam<std::tuple<int32_t, HandleCase>>
{
};

TEST_P(FreeTransformFrameHandles, TheCornersLandWhereTheRuleSays)
{
    const auto &[zoom, c] = GetParam();
    FrameDoc f(zoom);
    dragMarker(f.paper(), c.marker, c.d, c.shift, c.ctrl, c.alt);
    EXPECT_TRUE(near(f.corner(0), c.c0)) << "corner 0";
    EXPECT_TRUE(near(f.corner(1), c.c1)) << "corner 1";
    EXPECT_TRUE(near(f.corner(2), c.c2)) << "corner 2";
    EXPECT_TRUE(near(f.corner(3), c.c3)) << "corner 3";
    EXPECT_FALSE(f.t().FIsSimpleMove);
}

INSTANTIATE_TEST_SUITE_P(
    FreeTransformFrame, FreeTransformFrameHandles,
    ::testing::Combine(::testing::Values(1, 2), ::testing::ValuesIn(kHandleCases)),
    [](const auto &info) {
        std::string n = std::string(std::get<1>(info.param).name) + "_zoom" +
                        std::to_string(std::get<0>(info.param));
        for (char &ch : n)
            if (ch == '-')
                ch = '_';
        return n;
    });

TEST(FreeTransformFrame, ShiftOnACornerKeepsTheRatioAndTheOppositeCorner)
{
    FrameDoc f;
    dragMarker(f.paper(), 2, {20, 10}, true);
    const sFPos a = f.corner(0), c = f.corner(2);
    EXPECT_TRUE(near(a, {40, 30}));
    EXPECT_NEAR((c.x - a.x) / (c.y - a.y), 100.0f / 80.0f, 1e-3f);
    EXPECT_GT(c.x, 140.0f);
    // Still a rectangle.
    EXPECT_TRUE(near(f.corner(1), {c.x, 30}));
    EXPECT_TRUE(near(f.corner(3), {40, c.y}));
}

TEST(FreeTransformFrame, AnAltCornerDragScalesAboutTheAnchor)
{
    FrameDoc f;
    dragMarker(f.paper(), 2, {20, 10}, false, false, true);
    EXPECT_EQ(f.t().FTransformType, kTransAnchorScale);
    // The centre marker stays where it was.
    EXPECT_TRUE(near(f.t().FViewPoints[8], {90, 70}));
}

TEST(FreeTransformFrame, AMoveKeepsTheSimpleMoveAndTheCentreFollows)
{
    FrameDoc f;
    drag(f.paper(), {90, 50}, {{5, 3}, {7, 4}});
    EXPECT_EQ(f.t().FTransformType, kTransMove);
    EXPECT_TRUE(near(f.corner(0), {52, 37}));
    EXPECT_TRUE(near(f.corner(2), {152, 117}));
    EXPECT_TRUE(near(f.t().FViewPoints[8], {102, 77}));
    EXPECT_TRUE(f.t().FIsSimpleMove);
}

TEST(FreeTransformFrame, RotatingThenDraggingACornerScalesAlongTheTurnedAxes)
{
    FrameDoc f;
    // Outside the frame, right of the centre; a quarter turn clockwise.
    drag(f.paper(), {190, 70}, {{-100, 100}});
    EXPECT_EQ(f.t().FTransformType, kTransRotate);
    EXPECT_NEAR(f.t().FFrameAngle, std::numbers::pi_v<float> / 2, 1e-4f);
    EXPECT_TRUE(near(f.corner(0), {130, 20}, 0.01f));
    EXPECT_TRUE(near(f.corner(2), {50, 120}, 0.01f));
    EXPECT_FALSE(f.t().FIsSimpleMove);
    // Corner 2 pulled further down-left along the frame's own diagonal: corner 0 stays and the
    // frame stays a rectangle in its turned axes.
    dragMarker(f.paper(), 2, {-10, 20});
    const sFPos c0 = f.corner(0), c1 = f.corner(1), c2 = f.corner(2), c3 = f.corner(3);
    EXPECT_TRUE(near(c0, {130, 20}, 0.02f));
    EXPECT_TRUE(near(c2, {40, 140}, 0.02f));
    const float dot = (c1.x - c0.x) * (c3.x - c0.x) + (c1.y - c0.y) * (c3.y - c0.y);
    EXPECT_NEAR(dot, 0.0f, 0.5f);
    EXPECT_NEAR(c1.x, c0.x, 0.02f); // the top edge of the turned frame runs down the screen
}

TEST(FreeTransformFrame, InATurnedViewTheCornerFollowsThePointer)
{
    HeadlessDocument doc;
    ASSERT_TRUE(startPaper(*doc.paper, {200, 160}));
    TPaper &paper = *doc.paper;
    paintPattern(paper, 0, {40, 30, 140, 110});
    SetZoomFraction(paper, 2, 1);
    SetViewRotPoint(paper, 100, 80);
    SetViewDegree(paper, 30);
    ASSERT_TRUE(doLayerTransform(paper));
    const sFPos c2 = paper.FFreeTransformer->FViewPoints[2];
    const sFPos w0 = convToViewPos(paper, c2);
    const sPos press = windowOf(paper, c2);
    drag(paper, press, {{15, 5}}, false, true);
    const sFPos w1 = convToViewPos(paper, paper.FFreeTransformer->FViewPoints[2]);
    EXPECT_NEAR(w1.x - w0.x, 15.0f, 0.05f);
    EXPECT_NEAR(w1.y - w0.y, 5.0f, 0.05f);
    // Mirrored as well.
    paper.bVisReverse = true;
    const sFPos m0 = convToViewPos(paper, paper.FFreeTransformer->FViewPoints[2]);
    drag(paper, windowOf(paper, paper.FFreeTransformer->FViewPoints[2]), {{-6, 8}}, false, true);
    const sFPos m1 = convToViewPos(paper, paper.FFreeTransformer->FViewPoints[2]);
    EXPECT_NEAR(m1.x - m0.x, -6.0f, 0.05f);
    EXPECT_NEAR(m1.y - m0.y, 8.0f, 0.05f);
}

TEST(FreeTransformFrame, TheCentreMarkerWinsWithinReachOfBoth)
{
    HeadlessDocument doc;
    ASSERT_TRUE(startPaper(*doc.paper, {64, 48}));
    paintPattern(*doc.paper, 0, {20, 20, 32, 32}); // 12 x 12: the centre lies 6 from each side
    ASSERT_TRUE(doLayerTransform(*doc.paper));
    TSelectTransform &t = *doc.paper->FFreeTransformer;
    struct
    {
        sFPos pos;
        int32_t marker;
    } const cases[] = {
        {{20, 20}, kMarkerCentre}, {{32, 32}, kMarkerCentre}, {{26, 26}, kMarkerCentre},
        {{10, 20}, 0},             {{41, 32}, 2},             {{60, 45}, kMarkerOutside},
    };
    for (const auto &c : cases) {
        t.setMarkerTypeInPos(c.pos);
        EXPECT_EQ(t.FMarkerTypeNow, c.marker) << c.pos.x << ", " << c.pos.y;
    }
    // At zoom 4 the reach is 2.5 document pixels.
    SetZoomFraction(*doc.paper, 4, 1);
    t.setMarkerTypeInPos({20, 20});
    EXPECT_EQ(t.FMarkerTypeNow, 0);
    t.setMarkerTypeInPos({22, 26});
    EXPECT_EQ(t.FMarkerTypeNow, kMarkerInside);
}

TEST(FreeTransformFrame, TheMarkerNearACornerAttachesAndFollowsAScale)
{
    FrameDoc f;
    // Press on the centre marker and carry it to 5 pixels from corner 1.
    drag(f.paper(), {90, 70}, {{45, -35}});
    TSelectTransform &t = f.t();
    EXPECT_EQ(t.FTransformType, kTransDatum);
    EXPECT_EQ(t.FMarkerTypeOnAnchor, 1);
    EXPECT_TRUE(t.FIsMovedAnchor);
    EXPECT_TRUE(near(t.FViewPoints[8], {140, 30}));
    // Only the marker moved: no pixel was mapped.
    EXPECT_FALSE(t.FModify);
    dragMarker(f.paper(), 5, {20, 0});
    EXPECT_TRUE(near(t.FViewPoints[8], {160, 30}));
    // Carried away from every marker it stays free; back near the centre it snaps there.
    drag(f.paper(), {160, 30}, {{-40, 20}});
    EXPECT_EQ(t.FMarkerTypeOnAnchor, kMarkerNone);
    EXPECT_TRUE(near(t.FViewPoints[8], {120, 50}));
    drag(f.paper(), {120, 50}, {{-19, 21}});
    EXPECT_EQ(t.FMarkerTypeOnAnchor, kMarkerFrameCentre);
    EXPECT_FALSE(t.FIsMovedAnchor);
    EXPECT_TRUE(near(t.FViewPoints[8], t.FViewPoints[9]));
}

TEST(FreeTransformFrame, ArrowKeysMoveTheFrameAndKeepTheSimpleMove)
{
    FrameDoc f;
    doTransformKeyMove(f.paper(), {3, 0});
    doTransformKeyMove(f.paper(), {0, -2});
    EXPECT_TRUE(f.t().FIsSimpleMove);
    EXPECT_TRUE(near(f.corner(0), {43, 28}));
    EXPECT_TRUE(near(f.t().FViewPoints[8], {93, 68}));
    EXPECT_EQ(f.t().FTransformType, kTransNone);
    EXPECT_TRUE(near(f.doc.owner.transDat, {93, 68}));
    // A later drag starts from the moved frame.
    drag(f.paper(), {70, 50}, {{5, 0}});
    EXPECT_TRUE(near(f.corner(0), {48, 28}));
    // So does a handle drag after a rotation.
    drag(f.paper(), {200, 68}, {{-107, 100}});
    doTransformKeyMove(f.paper(), {4, 4});
    const sFPos before = f.corner(2);
    dragMarker(f.paper(), 2, {1, 0}, false, true);
    EXPECT_TRUE(near(f.corner(2), {before.x + 1, before.y}, 0.05f));
}

TEST(FreeTransformFrame, TheMarkerPressedChoosesTheDrag)
{
    FrameDoc f;
    struct
    {
        sPos at;
        int32_t marker, kind;
    } const cases[] = {
        {{90, 70}, kMarkerCentre, kTransDatum},
        {{140, 110}, 2, kTransHandle},
        {{90, 30}, 4, kTransHandle},
        {{60, 50}, kMarkerInside, kTransMove},
        {{10, 10}, kMarkerOutside, kTransRotate},
    };
    for (const auto &c : cases) {
        doTransformDragStart(f.paper(), c.at);
        EXPECT_EQ(f.t().FMarkerTypeNow, c.marker);
        EXPECT_EQ(f.t().FTransformType, c.kind);
        EXPECT_EQ(f.t().FLastPressMarker, c.marker);
        doTransformDragEnd(f.paper());
    }
    EXPECT_EQ(TSelectTransform::getSymmetricMarker(0), 2);
    EXPECT_EQ(TSelectTransform::getSymmetricMarker(5), 7);
    EXPECT_EQ(TSelectTransform::getSymmetricMarker(8), kMarkerNone);
}

TEST(FreeTransformFrame, DrawingTheFrameTwiceLeavesTheSurfaceAsItWas)
{
    FrameDoc f;
    TMTC *dc = f.doc.owner.viewSurface();
    ASSERT_NE(dc, nullptr);
    // The frame drawn at creation is on the surface; a known picture under it instead.
    for (int32_t y = 0; y < dc->height(); ++y)
        for (int32_t x = 0; x < dc->width(); ++x)
            dc->seek32(x, y)->all = patternAt(x, y) & 0x7FFFFFFFu;
    std::vector<uint32_t> before;
    for (int32_t y = 0; y < dc->height(); ++y)
        for (int32_t x = 0; x < dc->width(); ++x)
            before.push_back(dc->seek32(x, y)->all);
    f.t().drawWnd();
    // Corner 0's square and the edge are drawn in 0xAAAAAA by XOR, alpha untouched.
    EXPECT_EQ(dc->seek32(40, 60)->all, before[60 * size_t(dc->width()) + 40] ^ 0x00AAAAAAu);
    EXPECT_EQ(dc->seek32(35, 30)->all, before[30 * size_t(dc->width()) + 35] ^ 0x00AAAAAAu);
    EXPECT_EQ(dc->seek32(84, 70)->all, before[70 * size_t(dc->width()) + 84] ^ 0x00AAAAAAu);
    f.t().drawWnd();
    size_t i = 0;
    for (int32_t y = 0; y < dc->height(); ++y)
        for (int32_t x = 0; x < dc->width(); ++x, ++i)
            ASSERT_EQ(dc->seek32(x, y)->all, before[i]) << x << ", " << y;
    EXPECT_FALSE(f.doc.owner.paintedRects.empty());
}

} // namespace
