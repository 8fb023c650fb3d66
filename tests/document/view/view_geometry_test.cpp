#include "document/view/view_geometry.h"

#include "document/view/composition.h"
#include "document/view/zoom_cache.h"
#include "view_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct ZoomStep
{
    TFraction from;
    bool in;
    TFraction to;
};

void PrintTo(const ZoomStep &c, std::ostream *os)
{
    *os << c.from.Numerator << "/" << c.from.Denominator << (c.in ? " in" : " out");
}

class ViewGeometryZoom : public testing::TestWithParam<ZoomStep>
{
};

TEST_P(ViewGeometryZoom, StepsToTheNeighbouringPreset)
{
    const ZoomStep &c = GetParam();
    ViewDocument doc(100, 100, 1);
    ASSERT_TRUE(doc.ok);
    doc.p().FDisplayFraction = c.from;
    c.in ? ZoomIn(doc.p()) : ZoomOut(doc.p());
    EXPECT_EQ(doc.p().FDisplayFraction.Numerator, c.to.Numerator);
    EXPECT_EQ(doc.p().FDisplayFraction.Denominator, c.to.Denominator);
}

INSTANTIATE_TEST_SUITE_P(Presets, ViewGeometryZoom,
                         testing::Values(ZoomStep{{1, 1}, true, {3, 2}},
                                         ZoomStep{{5, 7}, true, {1, 1}},
                                         ZoomStep{{5, 7}, false, {2, 3}},
                                         ZoomStep{{16, 1}, true, {16, 1}},
                                         ZoomStep{{1, 16}, false, {1, 16}},
                                         ZoomStep{{1, 16}, true, {1, 12}},
                                         ZoomStep{{12, 1}, true, {16, 1}},
                                         ZoomStep{{2, 3}, false, {1, 2}}),
                         [](const testing::TestParamInfo<ZoomStep> &i) {
                             const ZoomStep &c = i.param;
                             return std::string(c.in ? "In" : "Out") + "From" +
                                    std::to_string(c.from.Numerator) + "_" +
                                    std::to_string(c.from.Denominator);
                         });

TEST(ViewGeometry, SetZoomFractionKeepsToItsRangeAndRefusesEmptyTerms)
{
    ViewDocument doc(100, 100, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    EXPECT_FLOAT_EQ(SetZoomFraction(p, 1, 20), 0.0625f);
    EXPECT_EQ(p.FDisplayFraction.Numerator, 1);
    EXPECT_EQ(p.FDisplayFraction.Denominator, 16);
    EXPECT_FLOAT_EQ(SetZoomFraction(p, 40, 2), 16.0f);
    EXPECT_FLOAT_EQ(SetZoomFraction(p, 3, 2), 1.5f);
    // A zero or negative term would store a NaN or negative zoom: nothing changes.
    for (const auto &[n, d] : {std::pair{0, 0}, {1, 0}, {0, 5}, {-2, 1}, {2, -1}}) {
        EXPECT_FLOAT_EQ(SetZoomFraction(p, n, d), 1.5f);
        EXPECT_EQ(p.FDisplayFraction.Numerator, 3);
        EXPECT_EQ(p.FDisplayFraction.Denominator, 2);
    }
    ZoomReset(p);
    EXPECT_FLOAT_EQ(p.GetZoomScale(), 1.0f);
    EXPECT_TRUE(CanZoomIn(p));
    EXPECT_TRUE(CanZoomOut(p));
}

TEST(ViewGeometry, SetViewDegreeNormalisesAndIsExactAtQuarterTurns)
{
    ViewDocument doc(100, 100, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetViewDegree(p, 90);
    EXPECT_EQ(p.m_degree, -270.0f);
    EXPECT_EQ(p.m_sin, 1.0f);
    EXPECT_EQ(p.m_cos, 0.0f);
    SetViewDegree(p, -360);
    EXPECT_EQ(p.m_degree, 0.0f);
    EXPECT_FALSE(std::signbit(p.m_degree));
    EXPECT_EQ(p.m_sin, 0.0f);
    EXPECT_EQ(p.m_cos, 1.0f);
    SetViewDegree(p, 725.5f);
    EXPECT_EQ(p.m_degree, -354.5f);
    EXPECT_NEAR(p.m_sin, std::sin(-354.5 * M_PI / 180), 1e-6);
    // A huge angle left the one-turn loop never; non-finite angles change nothing.
    SetViewDegree(p, 1e30f);
    EXPECT_GT(p.m_degree, -360.0f);
    EXPECT_LE(p.m_degree, 0.0f);
    SetViewDegree(p, -45);
    for (const float bad : {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity()}) {
        SetViewDegree(p, bad);
        EXPECT_EQ(p.m_degree, -45.0f);
    }
    SetViewRot(p, float(M_PI / 2));
    EXPECT_NEAR(p.m_degree, 90.0f, 1e-4);
    EXPECT_FALSE(isRotSimple(p) && p.m_degree != 90.0f);
}

TEST(ViewGeometry, ZoomSimplicityDependsOnTheZoomedPaperSize)
{
    ViewDocument doc(20000, 10, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetZoomFraction(p, 2, 1);
    EXPECT_FALSE(isZoomSimple(p));
    SetZoomFraction(p, 1, 1);
    EXPECT_TRUE(isZoomSimple(p));
    SetZoomFraction(p, 3, 2);
    EXPECT_FALSE(isZoomSimple(p));
}

TEST(ViewGeometry, SmoothZoomAndAntiAliasingFollowTheView)
{
    ViewDocument doc(100, 100, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    doc.owner.smoothZoom = true;
    EXPECT_FALSE(nowSmoothZoom(p));
    SetViewDegree(p, -90);
    EXPECT_TRUE(nowSmoothZoom(p));
    EXPECT_FALSE(NeedAntiAliasing(p));
    SetViewDegree(p, -30);
    EXPECT_TRUE(NeedAntiAliasing(p));
    SetViewDegree(p, 0);
    SetZoomFraction(p, 1, 2);
    EXPECT_TRUE(nowSmoothZoom(p));
    doc.owner.smoothZoom = false;
    EXPECT_FALSE(nowSmoothZoom(p));
    EXPECT_FALSE(NeedAntiAliasing(p));
}

TEST(ViewGeometry, AddViewRotPointRoundsHalfToEven)
{
    ViewDocument doc(100, 100, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    SetViewRotPoint(p, 10, 20);
    AddViewRotPoint(p, 0.5f, -1.5f); // unrotated: centre - (0.5, -1.5) = (9.5, 21.5)
    EXPECT_EQ(p.m_vrX, 10.0f);
    EXPECT_EQ(p.m_vrY, 22.0f);
    SetViewDegree(p, -90); // sin -1, cos 0
    AddViewRotPoint(p, 2, 0);
    EXPECT_EQ(p.m_vrX, 10.0f);
    EXPECT_EQ(p.m_vrY, 24.0f);
    const sFPos r = rotPos(p, sFPos{1, 0});
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.y, -1.0f);
}

struct ViewKind
{
    const char *name;
    TFraction zoom;
    float degree;
    bool mirrored;
};

void PrintTo(const ViewKind &k, std::ostream *os)
{
    *os << k.name;
}

class ViewGeometryKinds : public testing::TestWithParam<ViewKind>
{
  protected:
    void setUpView(TPaper &p)
    {
        const ViewKind &k = GetParam();
        p.FDisplayFraction = k.zoom;
        SetViewDegree(p, k.degree);
        p.bVisReverse = k.mirrored;
        // As the window sets them: a positive draw point where the paper is narrower than the
        // client area (no scroll), a scroll position where it is wider.
        SetDrawPoint(p, 13, 0);
        SetViewPoint(p, 0, 9);
        SetViewRotPoint(p, 60, 40);
    }
};

TEST_P(ViewGeometryKinds, CursorCorrectionThenConvToViewPosReturnsTheWindowPoint)
{
    ViewDocument doc(200, 150, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    setUpView(p);
    const sSize client = doc.owner.client;
    const float z = p.GetZoomScale();
    for (const sFPos start : {sFPos{100, 80}, sFPos{3, 400}, sFPos{633, 2}}) {
        float x = start.x, y = start.y;
        CursorCorrection(p, client.x, client.y, x, y);
        const sFPos back = convToViewPos(p, sFPos{x, y});
        // The two directions differ by the half-pixel offsets of each, scaled by the zoom.
        // Unrotated by 0.5 (1 - z); turned by up to 0.5 plus the rotated half pixel z / sqrt 2.
        const float tol = 0.51f + 0.71f * std::max(1.0f, z);
        EXPECT_NEAR(back.x, start.x, tol) << GetParam().name;
        EXPECT_NEAR(back.y, start.y, tol) << GetParam().name;
    }
}

TEST_P(ViewGeometryKinds, GetViewCenterIsThePaperPointAtTheClientCentre)
{
    ViewDocument doc(200, 150, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    setUpView(p);
    int32_t mx = 0, my = 0;
    GetViewCenter(p, 640, 480, mx, my);
    float x = 320, y = 240;
    CursorCorrection(p, 640, 480, x, y);
    EXPECT_NEAR(float(mx), x, 1.0f + 1.0f / p.GetZoomScale());
    EXPECT_NEAR(float(my), y, 1.0f + 1.0f / p.GetZoomScale());
    if (GetParam().degree != 0 || GetParam().mirrored) {
        EXPECT_EQ(mx, 60);
        EXPECT_EQ(my, 40);
    }
    // The integer form truncates after adding 0.01; TPaper answers it for the mask code.
    const sPos ip = p.convToViewPos(sPos{50, 60});
    const sFPos fp = convToViewPos(p, sFPos{50, 60});
    EXPECT_EQ(ip.x, truncSingle(fp.x + 0.01f));
    EXPECT_EQ(ip.y, truncSingle(fp.y + 0.01f));
    EXPECT_EQ(p.maskView(), static_cast<const IViewTransform *>(&p));
}

INSTANTIATE_TEST_SUITE_P(Views, ViewGeometryKinds,
                         testing::Values(ViewKind{"simple", {1, 1}, 0, false},
                                         ViewKind{"zoomed", {3, 1}, 0, false},
                                         ViewKind{"reduced", {1, 3}, 0, false},
                                         ViewKind{"rotated", {2, 3}, -30, false},
                                         ViewKind{"mirrored", {3, 2}, 0, true},
                                         ViewKind{"rotatedMirrored", {1, 1}, -250, true}),
                         [](const auto &i) { return std::string(i.param.name); });

TEST(ViewGeometry, LayerCoordinatesFollowTheViewPosition)
{
    ViewDocument doc(40, 30, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    doc.layer(0).viewPos = {5, 7};
    EXPECT_EQ(getLayerOfs(p, 0), (sPos{5, 7}));
    EXPECT_EQ(convLayerPosToVramPos(p, 0, {10, 10}), (sPos{5, 3}));
    EXPECT_EQ(convVramPosToLayerPos(p, 0, {5, 3}), (sPos{10, 10}));
    float x = 1.5f, y = 2.25f;
    convVramPosToLayerPos(p, 0, x, y);
    EXPECT_EQ(x, 6.5f);
    EXPECT_EQ(y, 9.25f);
    EXPECT_EQ(getLayerOfs(p, 3), (sPos{0, 0}));
}

TEST(ViewGeometry, LayerBlitsClipToBothImagesWithALayerBeyondThePaper)
{
    ViewDocument doc(40, 30, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    CLayerData &ld = doc.layer(0);
    ld.replaceImage(std::make_unique<CBlockVMTC>(70, 50));
    ld.viewPos = {20, 10};
    TMTC src(16, 16);
    src.PixelFill(0xFF112233);
    // Partly past the layer's right edge and the source's top: only the overlap is written.
    EXPECT_TRUE(bltToLayer(p, 0, src, {60, 40}, {0, -4, 16, 16}, 255));
    EXPECT_EQ(ld.imageTC->getColor(69, 49), 0xFF112233u);
    // The source's missing top rows move the destination down with them.
    EXPECT_EQ(ld.imageTC->getColor(60, 44), 0xFF112233u);
    EXPECT_EQ(ld.imageTC->getColor(59, 44), 0x00FFFFFFu);
    EXPECT_EQ(ld.imageTC->getColor(60, 43), 0x00FFFFFFu);
    EXPECT_FALSE(bltToLayer(p, 0, src, {100, 100}, {0, 0, 16, 16}, 255));
    EXPECT_FALSE(bltToLayer(p, 5, src, 0, 0, 255));
    TMTC dst(12, 12);
    dst.PixelFill(0);
    EXPECT_TRUE(bltFromLayer(p, dst, 0, {0, 0}, {64, 44, 20, 20}, 255, false));
    EXPECT_EQ(dst.getColor(5, 5), 0xFF112233u);
    EXPECT_EQ(dst.getColor(6, 6), 0u);
    EXPECT_TRUE(bltFromLayer(p, dst, 0, -60, -44, 255, false));
    EXPECT_EQ(dst.getColor(0, 0), 0xFF112233u);
    // Composed onto the paper at its view position.
    UpdateVRAM(p, false, false);
    EXPECT_EQ(p.vram().getColor(39, 29) & 0xFFFFFF, 0xFFFFFFu);
    ld.viewPos = {30, 20};
    UpdateVRAM(p, false, false);
    EXPECT_EQ(p.vram().getColor(39, 29) & 0xFFFFFF, 0x112233u);
}

TEST(ViewGeometry, PreviewRefreshOfATinyBoxStillRefreshesAPixel)
{
    ViewDocument doc(200, 200, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    CLayerData &ld = doc.layer(0);
    ASSERT_TRUE(ld.resizePreview(25, 25));
    ld.imageTC->setPixel(120, 120, 0xFF000000);
    for (int32_t y = 112; y < 128; ++y)
        for (int32_t x = 112; x < 128; ++x)
            ld.imageTC->setPixel(x, y, 0xFF000000);
    ld.previewTC->PixelFill(0x11111111);
    int32_t rows = 0;
    SPaperAppHooks hooks;
    hooks.refreshLayerRow = [&rows](TPaper &, int32_t) { ++rows; };
    const SPaperAppHooks old = installPaperAppHooks(hooks);
    PreviewRefresh(p, false, 0, sBox{120, 120, 1, 1});
    // 200 / 25: the box lands on (15, 15) with size 0 + 1.
    EXPECT_NE(ld.previewTC->getColor(15, 15), 0x11111111u);
    EXPECT_EQ(ld.previewTC->getColor(16, 15), 0x11111111u);
    EXPECT_EQ(ld.previewTC->getColor(14, 15), 0x11111111u);
    EXPECT_EQ(rows, 1);
    doc.owner.eventPlaying = true;
    PreviewRefresh(p, false, 0, 0, 0, 8, 8);
    EXPECT_EQ(rows, 1) << "no layer row while events play";
    installPaperAppHooks(old);
}

TEST(ViewGeometry, PreviewRefreshOfADocumentWithoutSizeDoesNothing)
{
    HeadlessDocument doc;
    ASSERT_TRUE(doc.paper);
    doc.paper->preview().Resize(10, 10);
    doc.paper->preview().PixelFill(0x01020304);
    PreviewRefresh(*doc.paper, false, 0, sBox{0, 0, 5, 5});
    PreviewRefresh(*doc.paper, true, 0);
    EXPECT_EQ(doc.paper->preview().getColor(1, 1), 0x01020304u);
}

TEST(ViewGeometry, MakePreviewImagePicksTheCacheOfNearestWidth)
{
    ViewDocument doc(96, 96, 1);
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    UpdateVRAM(p, false, true);
    // Marker colours in the caches: the navigator shows the one it reduced from.
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i)
        p.zoomCache(i).PixelFill(0xFF000000u | uint32_t(i + 1));
    for (const auto &[navWidth, expected] :
         {std::pair{30, 3u}, {50, 2u}, {26, 4u}, {90, 0u}, {5, 8u}, {11, 6u}}) {
        p.preview().Resize(navWidth, navWidth);
        makePreviewImage(p, {0, 0, navWidth, navWidth});
        const uint32_t got = p.preview().getColor(navWidth / 2, navWidth / 2);
        if (expected == 0)
            EXPECT_EQ(got & 0xFFFFFF, 0xFFFFFFu) << navWidth;
        else
            EXPECT_EQ(got & 0xFF, expected) << navWidth;
    }
    // With the canvas hidden the navigator's transparent pixels go over the checker board.
    p.bVisCanvasCol = false;
    p.bVisBGPat = true;
    UpdateVRAM(p, false, true);
    p.preview().Resize(20, 20);
    makePreviewImage(p, {0, 0, 20, 20});
    EXPECT_EQ(p.preview().getColor(0, 0) & 0xFFFFFF, 0xC8C8C8u);
    EXPECT_EQ(p.preview().getColor(8, 0) & 0xFFFFFF, 0xE0E0E0u);
}

TEST(ViewGeometry, ZeroSizedCachesAreNeverChosen)
{
    ViewDocument doc(12, 12, 1); // narrower than 16: cache 7 has no pixels
    ASSERT_TRUE(doc.ok);
    TPaper &p = doc.p();
    EXPECT_FALSE(p.zoomCache(7).isEnable());
    SetZoomFraction(p, 1, 16);
    EXPECT_EQ(getUseZoomCacheIndex(p), -1);
    EXPECT_FALSE(NeedZoomCache(p));
    SetZoomFraction(p, 1, 12);
    EXPECT_EQ(getUseZoomCacheIndex(p), 6);
    p.preview().Resize(1, 1);
    makePreviewImage(p, {0, 0, 1, 1}); // the smallest usable cache, not the empty one
    SUCCEED();
}

} // namespace
