#include "input_fixture.h"

#include "document/view/view_geometry.h"
#include "support/captured_messages.h"

#include <optional>

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

    // What the figure executor received.
    struct SExecuted
    {
        std::vector<sPos> points;
        sPos p0, p1;
    };
    static std::vector<SExecuted> &executed()
    {
        static std::vector<SExecuted> e;
        return e;
    }
    static bool logExecute(TDrawWindow &w, const sPos &p0, const sPos &p1)
    {
        SExecuted e{{}, p0, p1};
        for (int32_t i = 0; i < w.posNum && i < int32_t(w.posList.size()); ++i)
            e.points.push_back(w.posList[size_t(i)]);
        executed().push_back(e);
        return true;
    }
    // The figure tool kind with the executor logging instead of drawing.
    void figureTool(TToolSubKind kind)
    {
        executed().clear();
        eventProcTable(6).exeProc = logExecute;
        useTool(kind);
    }

    // Pointer input at canvas positions, as the widget sends it.
    void press(sPos c, TMouseButton b = TMouseButton::mbLeft, TShiftState s = {})
    {
        const sPos p = client(c.x, c.y);
        w->FormMouseDown(b, s, p.x, p.y);
    }
    void release(sPos c, TMouseButton b = TMouseButton::mbLeft)
    {
        const sPos p = client(c.x, c.y);
        w->FormMouseUp(b, {}, p.x, p.y);
    }
    void move(sPos c, TShiftState s = {})
    {
        const sPos p = client(c.x, c.y);
        w->FormMouseMove(s, p.x, p.y);
    }
    void click(sPos c)
    {
        press(c);
        release(c);
    }
    void doubleClick(sPos c) { press(c, TMouseButton::mbLeft, TShiftState::ssDouble); }
    void key(uint32_t vk) { w->keyDownMessage(vk, 1); }
    std::vector<sPos> clients(std::initializer_list<sPos> cs) const
    {
        std::vector<sPos> v;
        for (const sPos &c : cs)
            v.push_back(client(c.x, c.y));
        return v;
    }
    // No press, figure or guide is left running.
    void expectIdle() const
    {
        for (BDrawStateBit b : {BDrawStateBit::stLBtn, BDrawStateBit::stRBtn,
                                BDrawStateBit::stMultiSelect, BDrawStateBit::stShowGlyph,
                                BDrawStateBit::stDirty})
            EXPECT_FALSE(w->drawState.has(b)) << int(b);
        EXPECT_FALSE(w->bIsCurveMode);
    }
};

TEST_F(FigureInput, PolygonClicksFinishByDoubleClickOrSpace)
{
    for (bool space : {false, true}) {
        SCOPED_TRACE(space);
        figureTool(TToolSubKind::tskDrawPolygon);
        click({20, 20});
        click({60, 20});
        click({60, 60});
        EXPECT_TRUE(w->drawState.has(BDrawStateBit::stMultiSelect));
        EXPECT_EQ(w->posNum, 3);
        if (space) {
            move({30, 70});
            key(VK_SPACE);
        } else {
            doubleClick({60, 60});
        }
        ASSERT_EQ(executed().size(), 1u);
        EXPECT_EQ(executed()[0].points, clients({{20, 20}, {60, 20}, {60, 60}}));
        // Space ends at the pointer, the double click where it was made.
        EXPECT_EQ(executed()[0].p1, space ? client(30, 70) : client(60, 60));
        expectIdle();
    }
}

TEST_F(FigureInput, RightPressRemovesTheLastPointAndCancelsOnTheOnlyOne)
{
    figureTool(TToolSubKind::tskDrawMultiLine);
    click({20, 20});
    click({60, 20});
    click({60, 60});
    press({90, 90}, TMouseButton::mbRight);
    release({90, 90}, TMouseButton::mbRight);
    EXPECT_EQ(w->posNum, 2);
    EXPECT_EQ(w->posList[2], client(90, 90));
    EXPECT_EQ(w->firstPos, client(60, 20));
    key(VK_SPACE);
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].points, clients({{20, 20}, {60, 20}}));

    executed().clear();
    click({20, 20});
    press({30, 30}, TMouseButton::mbRight);
    release({30, 30}, TMouseButton::mbRight);
    EXPECT_TRUE(executed().empty());
    expectIdle();
}

TEST_F(FigureInput, EscRemovesThePolygonUndrawn)
{
    useTool(TToolSubKind::tskDrawPolygon);
    w->updateNow();
    const TMTC before(w->m_surface);
    const QString doc = dumpPaperState(*w->paper);
    click({20, 20});
    click({60, 20});
    move({60, 60});
    EXPECT_TRUE(w->drawState.has(BDrawStateBit::stShowGlyph));
    key(VK_ESCAPE);
    expectIdle();
    EXPECT_EQ(dumpPaperState(*w->paper), doc);
    w->updateNow();
    EXPECT_EQ(w->m_surface.imageView(), before.imageView()) << "the guide is still shown";
}

TEST_F(FigureInput, CurveIsPressedDraggedBentAndDrawnByAPress)
{
    figureTool(TToolSubKind::tskDrawCurve);
    press({20, 20});
    move({40, 30});
    move({80, 20});
    release({80, 20});
    EXPECT_TRUE(w->bIsCurveMode);
    move({50, 70});
    EXPECT_GT(w->posNum, 2) << "the bent guide";
    press({50, 70});
    release({50, 70});
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(w->curvePos0, client(20, 20));
    EXPECT_EQ(w->curvePos1, client(80, 20));
    EXPECT_EQ(executed()[0].p1, client(50, 70));
    expectIdle();

    // A release where the curve was pressed drops it.
    executed().clear();
    press({20, 20});
    release({20, 20});
    EXPECT_TRUE(executed().empty());
    expectIdle();
}

TEST_F(FigureInput, OnePressFiguresExecuteAtTheReleaseAndCancelWithAToolSwitch)
{
    figureTool(TToolSubKind::tskDrawRectangle);
    press({20, 20});
    move({50, 40});
    release({60, 50});
    ASSERT_EQ(executed().size(), 1u);
    EXPECT_EQ(executed()[0].points, clients({{20, 20}, {50, 20}, {50, 40}, {20, 40}}));
    EXPECT_EQ(executed()[0].p1, client(60, 50));
    expectIdle();

    // A polygon in progress is dropped when the tool changes.
    figureTool(TToolSubKind::tskDrawPolygon);
    click({20, 20});
    click({60, 20});
    move({60, 60});
    useTool(TToolSubKind::tskDrawLine);
    EXPECT_TRUE(executed().empty());
    expectIdle();
}

TEST_F(FigureInput, ScrollingKeepsThePointsOnTheCanvas)
{
    // A canvas larger than the client, so that both the bars and the auto-scroll move it.
    w = makeWindow({800, 600}, 1, {300, 200});
    startPaintModeQZ5(*w->paper);
    tool().setWindow(w.get());
    w->FormActivate();
    w->changeZoom(1, 1, false);
    prof().useAutoScroll = true;
    figureTool(TToolSubKind::tskDrawPolygon);
    const sPos origin = client(0, 0);
    const sPos a{origin.x + 50, origin.y + 50}, b{origin.x + 120, origin.y + 60};
    for (const sPos &p : {a, b}) {
        w->FormMouseDown(TMouseButton::mbLeft, {}, p.x, p.y);
        w->FormMouseUp(TMouseButton::mbLeft, {}, p.x, p.y);
    }
    auto canvasPoints = [&] {
        std::vector<sPos> c;
        for (int32_t i = 0; i < w->posNum; ++i) {
            sPos q;
            w->convToCanvasPos(q, w->posList[size_t(i)]);
            c.push_back(q);
        }
        return c;
    };
    const std::vector<sPos> start = canvasPoints();
    ASSERT_EQ(start.size(), 2u);
    w->ScrollBar1Scroll(TScrollCode::scTrack, w->ScrollBar1.Position + 40);
    w->ScrollBar2Scroll(TScrollCode::scTrack, w->ScrollBar2.Position + 30);
    EXPECT_NE(w->posList[0], a) << "the bars did not move the view";
    EXPECT_EQ(canvasPoints(), start);
    // The pointer past the right edge: every tick scrolls and the points follow.
    w->FormMouseMove({}, 310, 100);
    const sPos before = w->posList[0];
    w->TimerAutoScroll.fire();
    w->TimerAutoScroll.fire();
    EXPECT_NE(w->posList[0], before) << "the view did not scroll";
    EXPECT_EQ(canvasPoints(), start);
}

TEST_F(FigureInput, FailedPointListGrowthWarnsAndEndsThePress)
{
    CapturedMessages messages;
    figureTool(TToolSubKind::tskDrawPolygon);
    // No room for the first list.
    w->posListLimit = 4;
    press({20, 20});
    EXPECT_EQ(messages.warnings,
              QStringList{QStringLiteral("TDrawWindow::setupPosList: 例外のため続行できません！")});
    release({20, 20});
    expectIdle();

    // Room for ten points only: the eleventh click runs out.
    messages.clear();
    w->posListLimit = 10;
    for (int32_t i = 0; i < 12 && messages.warnings.isEmpty(); ++i)
        click({10 + 10 * i, 20 + 5 * (i % 2)});
    EXPECT_EQ(messages.warnings,
              QStringList{QStringLiteral("メモリ不足のため実行できませんでした！")});
    expectIdle();
    EXPECT_TRUE(executed().empty());
}

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
