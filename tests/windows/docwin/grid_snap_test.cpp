#include "docwin_fixture.h"
#include "input_fixture.h"

#include "document/view/view_geometry.h"
#include "windows/docwin/figure_geometry.h"

#include <vector>

namespace {

// Opaque red grid lines over the white canvas.
constexpr uint32_t kRedGrid = 0xFF0000FFu;

struct GridSnap : DocWinFixture
{
    std::unique_ptr<TDrawWindow> gridWindow(int32_t num, int32_t den, sSize canvas = {320, 320})
    {
        prof().GridColor = kRedGrid;
        auto w = makeWindow(canvas, 1, {400, 300});
        w->changeZoom(num, den, false);
        w->paper->m_visGrid = true;
        w->paper->m_gridSize = {16, 16};
        w->updateViewNow(true, nullptr);
        return w;
    }

    static bool isRed(const TDrawWindow &w, const sPos &client)
    {
        const sBGRA *p = w.m_surface.seek32(client.x, client.y);
        return p && p->R == 255 && p->G == 0 && p->B == 0;
    }

    // The canvas columns drawn red, looked at along canvas row y (between two grid rows).
    static std::vector<int32_t> redColumns(const TDrawWindow &w, int32_t step, int32_t y)
    {
        std::vector<int32_t> cols;
        for (int32_t x = 0; x < w.paper->m_paperSize.x; x += step)
            if (isRed(w, convToViewPos(*w.paper, sPos{x, y})))
                cols.push_back(x);
        return cols;
    }

    // Tool snapping: a canvas position in, the snapped canvas position out.
    static sPos snapCanvas(TDrawWindow &w, const sPos &canvas)
    {
        const sPos client = convToViewPos(*w.paper, canvas);
        w.getNearGrid(client);
        sPos out;
        w.setSnapPos(out, client);
        sPos back;
        w.convToCanvasPos(back, out);
        return back;
    }
};

std::vector<int32_t> multiples(int32_t step, int32_t below)
{
    std::vector<int32_t> v;
    for (int32_t x = 0; x < below; x += step)
        v.push_back(x);
    return v;
}

TEST_F(GridSnap, ThinsLinesCloserThanFourScreenPixels)
{
    auto quarter = gridWindow(1, 4);
    EXPECT_EQ(redColumns(*quarter, 8, 8), multiples(16, 320));
    EXPECT_EQ(quarter->FCroppingXCnt, 0);

    auto eighth = gridWindow(1, 8);
    EXPECT_EQ(redColumns(*eighth, 8, 8), multiples(32, 320));
    EXPECT_EQ(eighth->FCroppingXCnt, 2);
    EXPECT_EQ(eighth->FCroppingYCnt, 2);
}

TEST_F(GridSnap, APartialRedrawDrawsTheWholeCanvasColumns)
{
    auto w = gridWindow(1, 8);
    w->paper->m_visGrid = false;
    w->updateViewNow(false, nullptr);
    ASSERT_TRUE(redColumns(*w, 8, 8).empty());
    w->paper->m_visGrid = true;
    w->showGrid(w->m_surface, sBox{48, 0, 320 - 48, 320});
    // Columns counted from the box would be 48, 80, 112...; the whole canvas draws 0, 32, 64...
    // (the turned-or-fractional view may widen the box to the left, never change the columns).
    std::vector<int32_t> drawn = redColumns(*w, 8, 8), expected;
    for (int32_t x : multiples(32, 320))
        if (x >= 64 || (!drawn.empty() && x >= drawn.front()))
            expected.push_back(x);
    EXPECT_EQ(drawn, expected);
}

TEST_F(GridSnap, ToolPositionsSnapToTheNearestLineOrIntersection)
{
    tool().subKind = TToolSubKind::tskDrawLine;
    // A canvas inside the client area, so that client and canvas pixels map one to one.
    auto w = gridWindow(1, 1, {200, 100});
    w->changeSnap();
    ASSERT_TRUE(w->canSnapWithTool());
    struct Case
    {
        sPos in, out;
    };
    const Case cases[] = {
        {{33, 47}, {32, 48}},  // a quarter cell from both: the intersection
        {{35, 41}, {32, 41}},  // column 3 away, row 7: only the column
        {{24, 8}, {32, 8}},    // a tie between two columns takes the right one
        {{2, 40}, {0, 40}},    // the canvas's left edge is a line like any other
        {{40, 3}, {40, 0}},    // and so is its top edge
    };
    for (const Case &c : cases)
        EXPECT_EQ(snapCanvas(*w, c.in), c.out) << c.in.x << "," << c.in.y;
}

TEST_F(GridSnap, ThinnedGridSnapsOnlyToDrawnLines)
{
    tool().subKind = TToolSubKind::tskDrawLine;
    auto w = gridWindow(1, 8);
    w->changeSnap();
    ASSERT_EQ(w->FCroppingXCnt, 2);
    struct Case
    {
        sPos in, out;
    };
    // Rows 16 and 48 are not drawn either, so y = 16 has no row to snap to.
    const Case cases[] = {
        {{26, 16}, {32, 16}},
        {{16, 16}, {16, 16}},
        {{20, 16}, {20, 16}},
    };
    // A canvas pixel is an eighth of a screen pixel here: the choice is looked at in canvas
    // pixels with the thinning the drawing left.
    for (const Case &c : cases) {
        const SGridSnap snap =
            chooseGridSnap(c.in, {16, 16}, {w->FCroppingXCnt, w->FCroppingYCnt}, true);
        EXPECT_EQ(applyGridSnap(snap, c.in), c.out) << c.in.x << "," << c.in.y;
    }
}

TEST_F(GridSnap, HiddenGridSnapsNothing)
{
    tool().subKind = TToolSubKind::tskDrawLine;
    auto w = gridWindow(1, 1, {200, 100});
    w->changeSnap();
    w->paper->m_visGrid = false;
    EXPECT_FALSE(w->canSnap());
    EXPECT_EQ(snapCanvas(*w, {33, 47}), (sPos{33, 47}));
}

TEST_F(GridSnap, SnapOffPutsTheHighlightBackInTheGridColour)
{
    tool().subKind = TToolSubKind::tskDrawLine;
    auto w = gridWindow(1, 1, {200, 100});
    w->changeSnap();
    const sPos onColumn = convToViewPos(*w->paper, sPos{32, 8});
    w->drawNearGrid(convToViewPos(*w->paper, sPos{33, 8 + 1}));
    // The highlight is the inverted colour, cyan.
    const sBGRA *p = w->m_surface.seek32(onColumn.x, onColumn.y);
    EXPECT_EQ(w->FOldGridX, 2);
    EXPECT_EQ((std::array<int, 3>{p->R, p->G, p->B}), (std::array<int, 3>{0, 255, 255}));
    w->changeSnap();
    EXPECT_TRUE(isRed(*w, onColumn));
    EXPECT_FALSE(w->canSnap());

    // Line 0 highlights too: the first highlight starts from no line at all.
    w->changeSnap();
    w->drawNearGrid(convToViewPos(*w->paper, sPos{1, 8}));
    EXPECT_EQ(w->FOldGridX, 0);
}

TEST_F(GridSnap, ColoursBlendOverWhiteByAlpha)
{
    struct Case
    {
        uint32_t colour;
        bool highlight;
        std::array<int, 3> rgb;
    };
    const Case cases[] = {
        {0xFF102030u, false, {0x30, 0x20, 0x10}},
        {0xFF102030u, true, {255 - 0x30, 255 - 0x20, 255 - 0x10}},
        {0x00102030u, false, {255, 255, 255}},
        {0x00102030u, true, {255, 255, 255}},
    };
    for (const Case &c : cases) {
        const sBGRA p = gridLineColor(c.colour, c.highlight);
        EXPECT_EQ((std::array<int, 3>{p.R, p.G, p.B}), c.rgb) << std::hex << c.colour;
    }
}

// A brush stroke started beside a grid column stays on it while the pointer drifts away.
struct GridSnapBrush : input_test::InputFixture
{
    GridSnapBrush() { fresh(); }
    // A blank window with the grid of 16 shown and snapping on.
    void fresh()
    {
        w = makeWindow({200, 100}, 1, {400, 300});
        startPaintModeQZ5(*w->paper);
        tool().setWindow(w.get());
        w->FormActivate();
        w->changeZoom(1, 1, false);
        w->paper->SetGrid(true, 16, 16, false);
        w->changeSnap();
    }
    sPos client(int32_t x, int32_t y) const { return convToViewPos(*w->paper, sPos{x, y}); }
    // The layer as shown, without the grid over it.
    bool painted(int32_t x, int32_t y)
    {
        w->paper->m_visGrid = false;
        w->updateNow();
        w->paper->m_visGrid = true;
        const sPos p = client(x, y);
        return (w->m_surface.seek32(p.x, p.y)->all & 0xFFFFFFu) != 0xFFFFFFu;
    }
};

TEST_F(GridSnapBrush, AStrokeKeepsTheColumnChosenAtItsStart)
{
    // From (35, 22): column 32 is 3 away, row 16 is 6: the column is chosen. The pointer then
    // drifts 12 pixels to the right.
    const std::vector<sPos> path = {{35, 22}, {37, 35}, {41, 50}, {44, 65}, {47, 80}};
    for (bool tablet : {false, true}) {
        SCOPED_TRACE(tablet ? "tablet" : "mouse");
        fresh();
        ASSERT_TRUE(w->canSnapWithBrush());
        const QString start = dumpPaperState(*w->paper);
        for (size_t i = 0; i < path.size(); ++i) {
            const sPos p = client(path[i].x, path[i].y);
            if (tablet)
                w->tabletStep(float(p.x), float(p.y), 1.0f);
            else if (i == 0)
                w->FormMouseDown(TMouseButton::mbLeft, TShiftState::ssLeft, p.x, p.y);
            else
                w->FormMouseMove(TShiftState::ssLeft, p.x, p.y);
        }
        const sPos end = client(path.back().x, path.back().y);
        if (tablet)
            w->tabletStep(float(end.x), float(end.y), 0);
        else
            w->FormMouseUp(TMouseButton::mbLeft, TShiftState::ssLeft, end.x, end.y);
        EXPECT_FALSE(w->isStrokingNow());
        EXPECT_NE(dumpPaperState(*w->paper), start);
        for (int32_t y : {40, 60, 75})
            EXPECT_TRUE(painted(32, y)) << y;
        EXPECT_FALSE(painted(44, 65));
        EXPECT_FALSE(painted(47, 79));
    }
}

} // namespace
