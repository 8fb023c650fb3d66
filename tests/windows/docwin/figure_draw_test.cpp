#include "input_fixture.h"

#include "document/paper/headless.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke_placement.h"

namespace {

using input_test::InputFixture;

struct FigureDraw : InputFixture
{
    // The figure's fixed points in client pixels, placed over the canvas.
    void hold(std::vector<sPos> pts)
    {
        ASSERT_TRUE(w->setupPosList(int32_t(pts.size()) + 2));
        for (size_t i = 0; i < pts.size(); ++i)
            w->posList[i] = pts[i];
        w->posNum = int32_t(pts.size());
    }
    sPos client(int32_t x, int32_t y) const { return convToViewPos(*w->paper, sPos{x, y}); }
};

TEST_F(FigureDraw, EachFigurePaintsAndGivesTheBrushBack)
{
    struct Case
    {
        eDRAWMODE dm;
        ePaintLevel level;
    };
    const Case cases[] = {
        {eDRAWMODE::DRAWMODE_BOX, ePaintLevel::PAINT_LEVEL_qZ5},
        {eDRAWMODE::DRAWMODE_BOX, ePaintLevel::PAINT_LEVEL_qZ4},
        {eDRAWMODE::DRAWMODE_BOX, ePaintLevel::PAINT_LEVEL_qZ2},
        {eDRAWMODE::DRAWMODE_POLYGON, ePaintLevel::PAINT_LEVEL_qZ5},
        {eDRAWMODE::DRAWMODE_POLYLINE, ePaintLevel::PAINT_LEVEL_qZ5},
        {eDRAWMODE::DRAWMODE_POLYLINE, ePaintLevel::PAINT_LEVEL_qZ2},
        {eDRAWMODE::DRAWMODE_LINE, ePaintLevel::PAINT_LEVEL_qZ4},
        {eDRAWMODE::DRAWMODE_LINE, ePaintLevel::PAINT_LEVEL_qZ2},
        {eDRAWMODE::DRAWMODE_ELLIPSE, ePaintLevel::PAINT_LEVEL_qZ2},
        {eDRAWMODE::DRAWMODE_CURVE, ePaintLevel::PAINT_LEVEL_qZ4},
        {eDRAWMODE::DRAWMODE_ELLIPSE, ePaintLevel::PAINT_LEVEL_qZ5},
        {eDRAWMODE::DRAWMODE_CURVE, ePaintLevel::PAINT_LEVEL_qZ5},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.dm) * 10 + int(c.level));
        // Each figure on a fresh window, so that one case's stroke cannot colour the next.
        w = makeWindow({200, 100}, 1, {400, 300});
        startPaintModeQZ5(*w->paper);
        tool().setWindow(w.get());
        w->FormActivate();
        ASSERT_TRUE(w->switchPaintLevel(c.level));
        w->setModifiedFlag(false);
        const QString before = dumpPaperState(*w->paper);
        // The level-2 engine draws with the stroke's own width (the newer ones with their pen).
        stroke().m_penWidth = 5;
        stroke().m_penIfSize = true;
        stroke().m_penIfTrans = true;
        CStrokeMngr5 *m5 = w->paper->strokeMngr5();
        const int32_t smooth = m5 ? m5->getSmoothLevel() : 0;
        const eInterpolateType ipt = m5 ? m5->getInterpolateType() : eInterpolateType::iptLinear;
        if (c.dm == eDRAWMODE::DRAWMODE_LINE)
            hold({client(20, 20)});
        else
            hold({client(20, 20), client(60, 20), client(60, 60), client(20, 60)});
        w->firstPos = client(20, 20);
        w->curvePos0 = client(20, 20);
        w->curvePos1 = client(80, 70);
        EXPECT_TRUE(w->eventDrawExecute(w->firstPos, client(70, 30), c.dm, true));
        EXPECT_TRUE(w->isModified());
        EXPECT_NE(dumpPaperState(*w->paper), before);
        EXPECT_FALSE(stroke().m_bRawPoint);
        EXPECT_FALSE(stroke().m_bDrawShape);
        EXPECT_TRUE(stroke().m_penIfSize);
        EXPECT_TRUE(stroke().m_penIfTrans);
        if (m5) {
            EXPECT_EQ(m5->getSmoothLevel(), smooth);
            EXPECT_EQ(m5->getInterpolateType(), ipt);
        }
        EXPECT_FALSE(w->isStrokingNow());
    }
}

TEST_F(FigureDraw, TooFewPointsOrAnUnknownLevelDrawNothing)
{
    w->setModifiedFlag(false);
    const QString before = dumpPaperState(*w->paper);
    hold({client(20, 20)});
    EXPECT_FALSE(w->eventDrawExecute(client(20, 20), client(20, 20),
                                     eDRAWMODE::DRAWMODE_POLYLINE, true));
    hold({client(20, 20), client(60, 20)});
    EXPECT_FALSE(w->eventDrawExecute(client(20, 20), client(60, 60), eDRAWMODE::DRAWMODE_BOX,
                                     true));
    // A level above the newest one answers false: nothing was drawn.
    hold({client(20, 20), client(60, 20), client(60, 60), client(20, 60)});
    w->paper->actPaintLevel = ePaintLevel(4);
    EXPECT_FALSE(w->eventDrawExecute(client(20, 20), client(20, 60), eDRAWMODE::DRAWMODE_BOX,
                                     true));
    w->paper->actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ5;
    EXPECT_FALSE(w->isModified());
    EXPECT_EQ(dumpPaperState(*w->paper), before);
}

TEST_F(FigureDraw, AspectKeySnapsALine)
{
    hold({client(20, 20)});
    sPos end = client(120, 33);
    EXPECT_FALSE(w->correctLinePos(client(20, 20), end));
    EXPECT_EQ(end, client(120, 33));
    InputFixture::hold({VK_SHIFT});
    EXPECT_TRUE(w->correctLinePos(client(20, 20), end));
    EXPECT_EQ(end, client(120, 20));
}

} // namespace
