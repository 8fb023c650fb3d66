#include "docwin_fixture.h"

#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "ui/views/navigator.h"

#include <functional>
#include <random>
#include <vector>

namespace {

using ViewRendering = DocWinFixture;

bool inside(const sRect &r, int32_t x, int32_t y)
{
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

// A 200 x 100 canvas in a 400 x 300 client, margins (300, 200), bars at (200, 150).
std::unique_ptr<TDrawWindow> marginWindow()
{
    auto w = DocWinFixture::makeWindow({200, 100}, 1, {400, 300});
    w->marginSize = {300, 200};
    const sPos bars{200, 150};
    w->updateViewNow(false, &bars);
    return w;
}

TEST_F(ViewRendering, ScrollBarsAndMarginsOfAnUnrotatedView)
{
    auto w = marginWindow();
    EXPECT_EQ(w->ScrollBar1.Max, 800);
    EXPECT_EQ(w->ScrollBar2.Max, 500);
    EXPECT_EQ(w->ScrollBar1.PageSize, 400);
    EXPECT_EQ(w->ScrollBar1.LargeChange, 384);
    EXPECT_EQ(w->ScrollBar1.SmallChange, 10);
    EXPECT_EQ(w->bgRects[0], (sRect{0, 0, 100, 300}));
    EXPECT_EQ(w->bgRects[1].x0, 300);
    EXPECT_EQ(w->bgRects[1].y1, 300);
    EXPECT_EQ(w->bgRects[2], (sRect{0, 0, 400, 50}));
    EXPECT_EQ(w->bgRects[3].y0, 150);
    EXPECT_EQ(w->bgRects[3].x1, 400);
    EXPECT_EQ(w->viewRect, (sRect{0, 0, 200, 100}));

    const sPos bars{0, 0};
    w->changeZoom(1, 2, false);
    w->updateViewNow(true, &bars);
    EXPECT_EQ(w->ScrollBar1.LargeChange, 768);
    EXPECT_EQ(w->ScrollBar1.SmallChange, 5);
    for (const sRect &r : w->bgRects)
        EXPECT_TRUE(r.x1 <= r.x0 || r.y1 <= r.y0) << r.x0 << "," << r.y0;
}

TEST_F(ViewRendering, ExactlyTheMarginPixelsAreGrey)
{
    auto w = marginWindow();
    w->paintView();
    const TMTC &s = *w->viewSurface();
    int32_t wrong = 0;
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 400; ++x) {
            const bool canvas = x >= 100 && x < 300 && y >= 50 && y < 150;
            const uint32_t want = canvas ? 0xFFFFFF : 0xCCCCCC;
            wrong += (s.getColor(x, y) & 0xFFFFFF) != want;
        }
    EXPECT_EQ(wrong, 0);
}

TEST_F(ViewRendering, CornerSquareOnlyWithScrollBarsShown)
{
    prof().showScrollBar = true;
    auto w = makeWindow({2000, 2000}, 1, {400, 300});
    EXPECT_TRUE(w->ScrollBar1.Visible);
    w->paintView();
    const uint32_t corner = w->viewSurface()->getColor(395, 295) & 0xFFFFFF;
    prof().showScrollBar = false;
    w->updateViewNow(false, nullptr);
    EXPECT_FALSE(w->ScrollBar1.Visible);
    EXPECT_NE(corner, w->viewSurface()->getColor(395, 295) & 0xFFFFFF);
}

TEST_F(ViewRendering, BrushOutlineDrawnTwiceRestoresTheSurface)
{
    auto w = marginWindow();
    w->paintView();
    tool().ghostSize = {7, 4};
    const TMTC before(*w->viewSurface());
    w->DrawBrushGhost(101, 60, false);
    EXPECT_TRUE(w->FGhostVis);
    EXPECT_EQ(w->FGhostRect, (sRect{94, 56, 109, 65}));
    // Each pixel of the outline is ~(0x555555 ^ dst), alpha kept.
    int32_t changed = 0;
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 400; ++x) {
            const uint32_t a = before.getColor(x, y), b = w->viewSurface()->getColor(x, y);
            if (a == b)
                continue;
            ++changed;
            EXPECT_TRUE(inside(w->FGhostRect, x, y));
            EXPECT_EQ(b, (a & 0xFF000000) | (~(0x555555u ^ a) & 0xFFFFFF));
        }
    EXPECT_GT(changed, 20);
    w->EraseBrushGhost();
    EXPECT_FALSE(w->FGhostVis);
    EXPECT_EQ(memcmp(before.seek32(0, 0), w->viewSurface()->seek32(0, 0), 400 * 300 * 4), 0);

    // Moving it erases the old one first.
    w->DrawBrushGhost(10, 10, false);
    w->DrawBrushGhost(390, 290, true);
    w->EraseBrushGhost();
    EXPECT_EQ(memcmp(before.seek32(0, 0), w->viewSurface()->seek32(0, 0), 400 * 300 * 4), 0);
}

TEST_F(ViewRendering, NoBrushOutlineWhileTheNavigatorShows)
{
    TGrabberControl grb;
    grb.setVisible(true);
    tool().grabber = &grb;
    auto w = marginWindow();
    w->paintView();
    const TMTC before(*w->viewSurface());
    w->DrawBrushGhost(150, 100, false);
    EXPECT_FALSE(w->FGhostVis);
    EXPECT_EQ(memcmp(before.seek32(0, 0), w->viewSurface()->seek32(0, 0), 400 * 300 * 4), 0);
    tool().grabber = nullptr;
}

TEST_F(ViewRendering, NewWindowsCascadeAndWrap)
{
    tool().formWidth = 150;
    std::vector<std::unique_ptr<TDrawWindow>> ws;
    std::vector<sPos> at;
    for (int i = 0; i < 8; ++i) {
        ws.push_back(makeWindow({100, 100}));
        at.push_back(ws.back()->placement.bounds.p0());
    }
    const std::vector<sPos> want = {{150, 0},  {174, 24}, {198, 48}, {222, 72},
                                    {246, 96}, {270, 120}, {150, 0}, {174, 24}};
    EXPECT_EQ(at, want);
    // Size: the zoomed canvas, frames, caption and 80 pixels of room.
    EXPECT_EQ(ws[0]->placement.bounds.x1 - ws[0]->placement.bounds.x0, 100 + 8 + 80);
    EXPECT_EQ(ws[0]->placement.bounds.y1 - ws[0]->placement.bounds.y0, 100 + 18 + 8 + 80);
}

TEST_F(ViewRendering, SizeIsCappedByTheWorkspaceAndKeptWhenMaximised)
{
    main().space.statusBarTop = 900;
    main().space.statusBarHeight = 20;
    auto w = makeWindow({3000, 3000});
    const sRect b = w->placement.bounds;
    EXPECT_EQ(b.x1 - b.x0, 1600 - 4);
    EXPECT_EQ(b.y1 - b.y0, 900 - 4);
    // Moved inside the workspace: right edge at most 1598, bottom at most 1000 - 2 - 20.
    EXPECT_LE(b.x1, 1598);
    EXPECT_LE(b.y1, 978);
    EXPECT_GE(b.x0, 0);
    EXPECT_GE(b.y0, 0);

    auto m = makeWindow({100, 100});
    m->placement.state = eWindowState::wsMaximized;
    const sRect before = m->placement.bounds;
    const int32_t counter = TDrawWindow::cascadeCount();
    m->changeZoom(4, 1, true);
    EXPECT_EQ(m->placement.bounds, before);
    m->formSizeCorrect(false);
    EXPECT_EQ(m->placement.bounds, before);
    EXPECT_EQ(TDrawWindow::cascadeCount(), counter >= 6 ? 0 : counter + 1);
}

TEST_F(ViewRendering, MoveInsideWorkspaceShiftsBackWithoutPassingZero)
{
    auto w = makeWindow({100, 100});
    w->placement.bounds = {1500, 950, 1700, 1100};
    w->moveInsideWorkspace();
    EXPECT_EQ(w->placement.bounds, (sRect{1398, 848, 1598, 998}));
    w->placement.bounds = {10, 10, 2000, 300};
    w->moveInsideWorkspace();
    EXPECT_EQ(w->placement.bounds.x0, 0);
}

TEST_F(ViewRendering, AnEmptyClientAreaPaintsNothing)
{
    auto w = makeWindow({200, 100}, 1, {0, 0});
    EXPECT_EQ(w->viewSurface(), nullptr);
    w->paintView();
    w->changeZoom(2, 1, false);
    w->dispatchRotate(45, true);
    w->scrollViewBy(5, 5);
    w->DrawBrushGhost(3, 3, false);
    w->EraseBrushGhost();
    EXPECT_FLOAT_EQ(w->paper->GetZoomScale(), 2.0f);
    w->FormResize({50, 40});
    ASSERT_NE(w->viewSurface(), nullptr);
    EXPECT_EQ(w->viewSurface()->width(), 50);
}

// ---- the view cache

struct LayerSetup
{
    bool visible = true;
    uint8_t trans = 255;
    int32_t groupLevel = 0;
    bool clip = false;
    TLayerMode mode = TLayerMode::LM_STD;
};

struct StackCase
{
    const char *name;
    std::vector<LayerSetup> layers;
    int32_t active;
    bool canvasShown = true;
};

void paintLayers(TPaper &paper, uint32_t seed)
{
    std::mt19937 rng(seed);
    for (int32_t i = 0; i <= paper.MaxLayer(); ++i) {
        CLayerData &ld = *paper.getLayerData(i);
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 60; ++x) {
                const uint32_t c = rng();
                const uint32_t a = (x + i * 11) % 60 < 30 ? (c >> 24) : 0;
                ld.imageTC->setPixel(x, y, (a << 24) | (c & 0xFFFFFF));
            }
        ld.imageTC->setupTraceRect();
    }
}

TEST_F(ViewRendering, CacheAndLayersAboveEqualTheFullComposition)
{
    const std::vector<StackCase> cases = {
        {"plain", {{}, {}, {}, {}}, 2},
        {"hidden below", {{}, {false}, {}, {}}, 3},
        {"opacity and modes",
         {{}, {true, 128, 0, false, TLayerMode::LM_MUL}, {true, 200, 0, false, TLayerMode::LM_ADD},
          {}},
         2},
        {"clipping group below", {{}, {}, {true, 255, 0, true}, {}, {}}, 3},
        {"active is a clipping member", {{}, {}, {true, 160, 0, true}, {}}, 2},
        {"group opacity", {{true, 100, 0}, {true, 255, 1}, {true, 255, 1}, {}}, 3},
        {"canvas colour hidden", {{}, {true, 90}, {}, {}}, 2, false},
    };
    for (const StackCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto w = makeWindow({60, 40}, int32_t(c.layers.size()), {200, 200});
        TPaper &p = *w->paper;
        paintLayers(p, 7);
        for (size_t i = 0; i < c.layers.size(); ++i) {
            CLayerData &ld = *p.getLayerData(int32_t(i));
            ld.visible = c.layers[i].visible;
            ld.trans = c.layers[i].trans;
            ld.groupLevel = c.layers[i].groupLevel;
            ld.underLyrClip = c.layers[i].clip;
            ld.mode = c.layers[i].mode;
        }
        p.bVisCanvasCol = c.canvasShown;
        p.layerMngr().setCurIndex(c.active);
        w->changeZoom(1, 1, false);
        UpdateVRAM(p, false, false);
        const TMTC full(p.vram());

        p.vram().fillImageAll(0x123456);
        ASSERT_TRUE(w->buildViewCache());
        EXPECT_TRUE(w->drawFromViewCache({0, 0, 60, 40}));
        // The display image may be wider than the canvas: compare the canvas only.
        int32_t wrong = 0;
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 60; ++x)
                wrong += full.getColor(x, y) != p.vram().getColor(x, y);
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(ViewRendering, NoCacheForTheBottomLayerOrNothingVisibleBelow)
{
    auto w = makeWindow({60, 40}, 3, {200, 200});
    w->paper->layerMngr().setCurIndex(0);
    EXPECT_FALSE(w->buildViewCache());
    EXPECT_EQ(w->vramCache.idx, -1);
    w->paper->getLayerData(0)->visible = false;
    w->paper->getLayerData(1)->visible = false;
    w->paper->layerMngr().setCurIndex(2);
    EXPECT_FALSE(w->buildViewCache());
    EXPECT_FALSE(w->drawFromViewCache({0, 0, 10, 10}));
}

} // namespace
