#include "document/view/view_present.h"

#include "core/pixel/pixel.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "document/view/zoom_cache.h"
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr uint32_t kBack = CHeadlessPaperOwner::kViewBackColor;

// A document whose layer 0 holds opaque random pixels, composed with its caches.
struct PresentedDocument : ViewDocument
{
    PresentedDocument(int32_t w, int32_t h, uint32_t seed = 7) : ViewDocument(w, h, 1)
    {
        std::mt19937 rng(seed);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                layer(0).imageTC->setPixel(x, y, rng() | 0xFF000000u);
        layer(0).imageTC->setupTraceRect();
        UpdateVRAM(p(), false, true);
        surface().PixelFill(0);
    }
    TMTC &surface() { return *owner.viewSurface(); }
    void paintAll() { updateViewPart(p(), &owner, rectFromSize(p().m_paperSize)); }
    // Centres the paper point (px, py) in the unrotated view at the current zoom.
    void centreOn(int32_t px, int32_t py)
    {
        const float z = p().GetZoomScale();
        SetViewPoint(p(), 0, 0);
        SetDrawPoint(p(), owner.client.x / 2 - truncSingle(float(px) * z),
                     owner.client.y / 2 - truncSingle(float(py) * z));
    }
};

TEST(ViewPresentation, WholeZoomsCopyOrStretchTheBoxToItsViewPosition)
{
    PresentedDocument doc(40, 30);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetDrawPoint(p, 10, 5);
    SetViewPoint(p, 3, 2);
    updateViewPart(p, &doc.owner, sRect{4, 4, 14, 10});
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            const bool in = x >= 4 && x < 14 && y >= 4 && y < 10;
            ASSERT_EQ(doc.surface().getColor(x + 7, y + 3), in ? p.vram().getColor(x, y) : 0u)
                << x << "," << y;
        }
    ASSERT_EQ(doc.owner.paintedRects.size(), 1u);
    EXPECT_EQ(doc.owner.paintedRects[0], (sRect{11, 7, 21, 13}));

    doc.surface().PixelFill(0);
    SetZoomFraction(p, 3, 1);
    updateViewPart(p, &doc.owner, sRect{4, 4, 14, 10});
    // (m_dx + 3x - trunc(m_vx z), m_dy + 3y - trunc(m_vy z)), each pixel three wide and high.
    for (int32_t y = 4; y < 10; ++y)
        for (int32_t x = 4; x < 14; ++x)
            for (int32_t k = 0; k < 9; ++k)
                ASSERT_EQ(doc.surface().getColor(10 + 3 * x - 9 + k % 3, 5 + 3 * y - 6 + k / 3),
                          p.vram().getColor(x, y));
    EXPECT_EQ(doc.surface().getColor(10 + 12 - 9 - 1, 5 + 12 - 6), 0u);
    EXPECT_EQ(doc.surface().getColor(10 + 42 - 9, 5 + 12 - 6), 0u);
}

TEST(ViewPresentation, AnotherWindowsHandleDoesNothing)
{
    PresentedDocument doc(40, 30);
    ASSERT_TRUE(doc.ok);
    CHeadlessPaperOwner other;
    doc.p().m_visGrid = true;
    updateViewPart(doc.p(), &other, sRect{0, 0, 40, 30});
    EXPECT_EQ(doc.owner.eraseGhostCount, 0);
    EXPECT_TRUE(doc.owner.paintedRects.empty());
    EXPECT_TRUE(doc.owner.gridCalls.empty());
    EXPECT_EQ(doc.surface().getColor(5, 5), 0u);
    // The owner's own handle paints, erases the ghost first and draws the grid after.
    updateViewPart(doc.p(), &doc.owner, sRect{0, 0, 40, 30});
    EXPECT_EQ(doc.owner.eraseGhostCount, 1);
    ASSERT_EQ(doc.owner.gridCalls.size(), 1u);
    EXPECT_EQ(doc.owner.gridCalls[0], (sBox{0, 0, 40, 30}));
}

TEST(ViewPresentation, AQuarterZoomWithSmoothZoomIsDrawnFromCache3)
{
    PresentedDocument doc(64, 64);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetZoomFraction(p, 1, 4);
    doc.centreOn(32, 32);
    doc.p().zoomCache(3).PixelFill(0xFF00FF00); // a marker no resampling of the display makes
    // Without smooth zoom the display image itself is sampled.
    doc.paintAll();
    EXPECT_NE(doc.surface().getColor(320, 240), 0xFF00FF00u);
    EXPECT_NE(doc.surface().getColor(320, 240), 0u);
    doc.owner.smoothZoom = true;
    doc.paintAll();
    EXPECT_EQ(doc.surface().getColor(320, 240), 0xFF00FF00u);
    EXPECT_EQ(doc.surface().getColor(320 - 5, 240 + 5), 0xFF00FF00u);
}

TEST(ViewPresentation, A45DegreeViewAtOneHalfReadsCache1AtZoom1)
{
    PresentedDocument doc(64, 64);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    doc.owner.smoothZoom = true;
    SetZoomFraction(p, 1, 2);
    SetViewDegree(p, -45);
    SetViewRotPoint(p, 32, 32);
    p.zoomCache(1).PixelFill(0xFF0000FF);
    doc.paintAll();
    EXPECT_EQ(doc.surface().getColor(320, 240), 0xFF0000FFu);
    EXPECT_EQ(doc.surface().getColor(340, 260) & 0xFFFFFF, kBack)
        << "beyond the turned paper";
}

TEST(ViewPresentation, ABoxAtTheRightEdgeOfATurnedViewShowsTheBackgroundBeyondThePaper)
{
    PresentedDocument doc(64, 64);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetViewDegree(p, -30);
    SetViewRotPoint(p, 60, 32);
    updateViewPart(p, &doc.owner, sRect{56, 0, 64, 64});
    ASSERT_EQ(doc.owner.paintedRects.size(), 1u);
    const sRect r = doc.owner.paintedRects[0];
    int32_t beyond = 0, inside = 0;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x = r.x0; x < r.x1; ++x) {
            float px = float(x), py = float(y);
            CursorCorrection(p, 640, 480, px, py);
            const uint32_t c = doc.surface().getColor(x, y);
            if (px > 65 && py > 1 && py < 63) {
                ++beyond;
                ASSERT_EQ(c & 0xFFFFFF, kBack) << x << "," << y;
            } else if (px > 57 && px < 62.5f && py > 1 && py < 63) {
                ++inside;
                ASSERT_NE(c & 0xFFFFFF, kBack) << x << "," << y;
            }
        }
    EXPECT_GT(beyond, 10);
    EXPECT_GT(inside, 10);
}

TEST(ViewPresentation, TheTurnedSquareIsCutToTheRotationImage)
{
    PresentedDocument doc(64, 64);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetZoomFraction(p, 16, 1);
    SetViewDegree(p, -10);
    SetViewRotPoint(p, 0, 0);
    updateViewPart(p, &doc.owner, sRect{0, 0, 64, 64});
    ASSERT_EQ(doc.owner.paintedRects.size(), 1u);
    const sRect r = doc.owner.paintedRects[0];
    EXPECT_GE(r.x0, 0);
    EXPECT_GE(r.y0, 0);
    EXPECT_LE(r.x1, 640);
    EXPECT_LE(r.y1, 480);
}

TEST(ViewPresentation, TheCheckerCellAtThePhaseOriginIsTheDarkOne)
{
    TMTC tc(32, 16);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            sBGRA px{.all = 0x00123456};
            mixCheckerPixel(&px, x, y, true);
            tc.seek32(x, y)->all = px.all;
        }
    EXPECT_EQ(tc.getColor(0, 0) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(tc.getColor(8, 0) & 0xFFFFFF, 0xE0E0E0u);
    EXPECT_EQ(tc.getColor(8, 8) & 0xFFFFFF, 0xC8C8C8u);
    sBGRA plain{.all = 0x00123456};
    mixCheckerPixel(&plain, 8, 0, false);
    EXPECT_EQ(plain.all & 0xFFFFFF, 0xFFFFFFu);
    sBGRA opaque{.all = 0xFF123456};
    mixCheckerPixel(&opaque, 8, 0, true);
    EXPECT_EQ(opaque.all, 0xFF123456u);

    // The renderers over a transparent display image, and the simple mixed view.
    ViewDocument doc(64, 64, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    p.bVisCanvasCol = false;
    p.bVisBGPat = true;
    UpdateVRAM(p, false, true);
    TMTC dst(32, 32);
    bltRotationMix(p, dst, p.vram(), {0, 0, 32, 32}, {15, 15});
    EXPECT_EQ(dst.getColor(0, 0) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(dst.getColor(8, 0) & 0xFFFFFF, 0xE0E0E0u);
    SetZoomFraction(p, 3, 5);
    bltRotationSmoothMix(p, dst, p.vram(), {0, 0, 32, 32}, {31, 31});
    EXPECT_EQ(dst.getColor(0, 0) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(dst.getColor(8, 0) & 0xFFFFFF, 0xE0E0E0u);
    ZoomReset(p);
    SetDrawPoint(p, 0, 0);
    updateViewPart(p, &doc.owner, sRect{0, 0, 64, 64});
    EXPECT_EQ(doc.owner.viewSurface()->getColor(0, 0) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(doc.owner.viewSurface()->getColor(8, 0) & 0xFFFFFF, 0xE0E0E0u);
    EXPECT_EQ(p.mixTC().getColor(100, 0) & 0xFFFFFF, kBack) << "beside the paper";
}

struct TurnCase
{
    float degree;
    bool mirror;
    // The source pixel of destination (i, j) of a 16 x 16 square about (7, 7).
    sPos (*expect)(int32_t i, int32_t j);
};

void PrintTo(const TurnCase &c, std::ostream *os)
{
    *os << c.degree << (c.mirror ? " mirrored" : "");
}

class ViewPresentationTurns : public testing::TestWithParam<TurnCase>
{
};

TEST_P(ViewPresentationTurns, BltRotationMixIsAPlainCopyOrQuarterTurn)
{
    const TurnCase &c = GetParam();
    ViewDocument doc(16, 16, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    TMTC src(16, 16), dst(16, 16);
    std::mt19937 rng(3);
    for (int32_t y = 0; y < 16; ++y)
        for (int32_t x = 0; x < 16; ++x)
            src.seek32(x, y)->all = rng() | 0xFF000000u;
    SetViewDegree(p, c.degree);
    if (c.mirror)
        bltReverseMix(p, dst, src, {0, 0, 16, 16}, {7, 7});
    else
        bltRotationMix(p, dst, src, {0, 0, 16, 16}, {7, 7});
    for (int32_t j = 0; j < 16; ++j)
        for (int32_t i = 0; i < 16; ++i) {
            const sPos s = c.expect(i, j);
            ASSERT_EQ(dst.getColor(i, j), src.getColor(s.x, s.y)) << i << "," << j;
        }
    // A shifted centre shifts the copy; the uncovered column is the view background.
    if (c.degree == 0 && !c.mirror) {
        bltRotationMix(p, dst, src, {0, 0, 16, 16}, {8, 7});
        EXPECT_EQ(dst.getColor(3, 4), src.getColor(4, 4));
        EXPECT_EQ(dst.getColor(15, 4), kBack);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Turns, ViewPresentationTurns,
    testing::Values(TurnCase{0, false, [](int32_t i, int32_t j) { return sPos{i, j}; }},
                    TurnCase{-90, false, [](int32_t i, int32_t j) { return sPos{j, 15 - i}; }},
                    TurnCase{-180, false,
                             [](int32_t i, int32_t j) { return sPos{15 - i, 15 - j}; }},
                    TurnCase{-270, false, [](int32_t i, int32_t j) { return sPos{15 - j, i}; }},
                    TurnCase{0, true, [](int32_t i, int32_t j) { return sPos{15 - i, j}; }},
                    TurnCase{-180, true, [](int32_t i, int32_t j) { return sPos{i, 15 - j}; }}));

struct WholeRenderCase
{
    const char *name;
    TFraction zoom;
    float degree;
    bool mirror;
    bool smooth;
    bool canvasShown;
};

void PrintTo(const WholeRenderCase &c, std::ostream *os)
{
    *os << c.name;
}

class ViewPresentationRender : public testing::TestWithParam<WholeRenderCase>
{
};

TEST_P(ViewPresentationRender, MakeRotVram2ThenBoxUpdatesEqualsAWholeRender)
{
    const WholeRenderCase &c = GetParam();
    PresentedDocument doc(96, 80);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    p.FDisplayFraction = c.zoom;
    SetViewDegree(p, c.degree);
    p.bVisReverse = c.mirror;
    p.bVisCanvasCol = c.canvasShown;
    p.bVisBGPat = true;
    doc.owner.smoothZoom = c.smooth;
    SetViewRotPoint(p, 50, 37);
    UpdateVRAM(p, false, true);
    makeRotVRAM2(p);
    // Edits: each recomposed and repainted box by box.
    std::mt19937 rng(11);
    CLayerData &ld = doc.layer(0);
    for (const sBox &box : {sBox{10, 12, 9, 7}, sBox{70, 60, 26, 20}, sBox{0, 0, 3, 40}}) {
        for (int32_t y = box.y; y < box.y + box.h; ++y)
            for (int32_t x = box.x; x < box.x + box.w; ++x)
                ld.imageTC->setPixel(x, y, rng() & 0x7FFFFFFF);
        dispatchView(p, 0, boxToRect(box));
    }
    const TMTC patched(p.rotation());
    makeRotVRAM2(p);
    EXPECT_EQ(firstDifference(patched, p.rotation()), QString()) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Views, ViewPresentationRender,
    testing::Values(WholeRenderCase{"QuarterTurnAt2", {2, 1}, -90, false, false, true},
                    WholeRenderCase{"SmoothAtTwoThirds", {2, 3}, -30, false, true, true},
                    WholeRenderCase{"SmoothMirroredAtThreeFifths", {3, 5}, -20, true, true, true},
                    WholeRenderCase{"SmoothOverTheChecker", {3, 5}, -30, false, true, false},
                    WholeRenderCase{"CacheOverTheChecker", {1, 2}, -180, true, true, false}),
    [](const auto &i) { return std::string(i.param.name); });

TEST(ViewPresentation, UpdateViewPaintsAtOnceOnlyDuringPlayback)
{
    PresentedDocument doc(40, 30);
    ASSERT_TRUE(doc.ok);
    const int32_t before = doc.owner.invalidateCount;
    UpdateView(doc.p());
    EXPECT_EQ(doc.owner.invalidateCount, before + 1);
    EXPECT_EQ(doc.owner.updateNowCount, 0);
    doc.owner.eventPlaying = true;
    UpdateView(doc.p(), &doc.owner, false);
    EXPECT_EQ(doc.owner.updateNowCount, 1);
    invalidateView(doc.p(), true);
    EXPECT_EQ(doc.owner.eraseCount, 1);
}

TEST(ViewPresentation, BlitVramPaintsTheWholeViewOfEachKind)
{
    PresentedDocument doc(40, 30);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    TMTC dc(640, 480);
    dc.PixelFill(0);
    blitVRAM(p, nullptr);
    blitVRAM(p, &dc);
    EXPECT_EQ(dc.getColor(7, 9), p.vram().getColor(7, 9));
    SetViewDegree(p, -90);
    makeRotVRAM2(p);
    blitVRAM(p, &dc);
    EXPECT_EQ(firstDifference(dc, p.rotation()), QString());
    SetViewDegree(p, 0);
    p.bVisCanvasCol = false;
    UpdateVRAM(p, false, false);
    makeRotVRAM2(p);
    blitVRAM(p, &dc);
    EXPECT_EQ(firstDifference(dc, {0, 0, 640, 480}, p.mixTC(), {0, 0}), QString());
    EXPECT_EQ(dc.getColor(7, 9), p.vram().getColor(7, 9)) << "opaque pixels show as they are";
}

} // namespace
