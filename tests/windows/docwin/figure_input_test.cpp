#include "input_fixture.h"

#include "document/view/view_geometry.h"

#include <set>

namespace {

using input_test::InputFixture;

struct FigureInput : InputFixture
{
    FigureInput()
    {
        // The canvas centred at 1:1 in the client area.
        if (w)
            w->changeZoom(1, 1, false);
    }
    sPos client(int32_t x, int32_t y) const { return convToViewPos(*w->paper, sPos{x, y}); }
    uint32_t pixel(const sPos &p) const { return w->m_surface.seek32(p.x, p.y)->all; }
};

// The guide is an opaque dotted line: along a straight edge black and white pixels alternate,
// and nothing is drawn past the canvas outline.
TEST_F(FigureInput, BandDrawersDrawDottedGuidesInsideTheCanvas)
{
    ASSERT_TRUE(w->beginFigure(client(10, 10), false));
    // The last corner lies beyond the canvas's right edge: its part outside is clipped.
    const sPos pts[4] = {client(10, 10), client(260, 10), client(260, 40), client(10, 40)};
    std::copy(std::begin(pts), std::end(pts), w->posList.begin());
    w->posNum = 4;
    w->updateNow();
    const TMTC before(w->m_surface);
    w->drawBandQuad();
    constexpr uint32_t kBlack = 0xFF000000, kWhite = 0xFFFFFFFF;
    int32_t black = 0, white = 0;
    for (int32_t x = 10; x < 200; ++x) {
        const uint32_t c = pixel(client(x, 10)), next = pixel(client(x + 1, 10));
        ASSERT_TRUE(c == kBlack || c == kWhite) << x;
        if (x + 1 < 200) {
            EXPECT_NE(c, next) << x;
        }
        (c == kBlack ? black : white)++;
    }
    EXPECT_GT(black, 80);
    EXPECT_GT(white, 80);
    // Beyond the canvas the surface is as it was.
    for (int32_t x = 201; x < 262; ++x)
        EXPECT_EQ(pixel(client(x, 10)), before.seek32(client(x, 10).x, client(x, 10).y)->all)
            << x;
}

TEST_F(FigureInput, BandDrawersFollowTheHeldPointCount)
{
    struct Case
    {
        void (TDrawWindow::*draw)();
        int32_t posNum;
        bool draws;
    };
    const Case cases[] = {
        {&TDrawWindow::drawBandQuad, 3, false},        {&TDrawWindow::drawBandQuad, 4, true},
        {&TDrawWindow::drawBandPolygonPlus, 0, false}, {&TDrawWindow::drawBandPolygonPlus, 1, true},
        {&TDrawWindow::drawBandPolyline, 0, false},    {&TDrawWindow::drawBandPolyline, 1, true},
        {&TDrawWindow::drawBandPolygon, 1, false},     {&TDrawWindow::drawBandPolygon, 2, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.posNum);
        ASSERT_TRUE(w->beginFigure(client(10, 10), false));
        const sPos pts[4] = {client(10, 10), client(60, 10), client(60, 40), client(10, 40)};
        std::copy(std::begin(pts), std::end(pts), w->posList.begin());
        w->posNum = c.posNum;
        w->updateNow();
        const TMTC before(w->m_surface);
        (w.get()->*c.draw)();
        bool changed = false;
        for (int32_t x = 10; x <= 60 && !changed; ++x)
            changed = pixel(client(x, 10)) != before.seek32(client(x, 10).x, client(x, 10).y)->all;
        EXPECT_EQ(changed, c.draws);
    }
}

} // namespace
