#include "input_fixture.h"

#include "document/events/event_manager.h"

#include "support/captured_messages.h"

#include <functional>
#include <stdexcept>
#include <utility>

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

// A failure inside the stroke operation: the stroke's switches and the manager's settings come
// back, the failure is reported and nothing is left running.
TEST_F(FigureDraw, ExceptionsAndOutOfMemoryInTheStrokeGiveTheBrushBack)
{
    w->changeZoom(1, 1, false);
    struct Case
    {
        const char *name;
        std::function<void()> fail;
        QString warning;
    };
    const Case cases[] = {
        {"OutOfMemory", [] { throw std::bad_alloc(); },
         QStringLiteral("メモリ不足のため実行できませんでした！")},
        {"exception", [] { throw std::runtime_error("the surface is gone"); },
         QStringLiteral("the surface is gone")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CapturedMessages messages;
        stroke().m_penIfSize = true;
        stroke().m_penIfTrans = true;
        CStrokeMngr5 *m5 = w->paper->strokeMngr5();
        ASSERT_TRUE(m5);
        m5->setSmoothLevel(3);
        m5->setInterpolateType(eInterpolateType::iptBSpline);
        hold({client(20, 20), client(60, 20), client(60, 60), client(20, 60)});
        w->firstPos = client(20, 20);
        // The window's surface fails once, as the stroke shows its first part.
        bool failed = false;
        w->onSurfacePainted = [&](const sRect &) {
            if (!std::exchange(failed, true))
                c.fail();
        };
        EXPECT_FALSE(
            w->eventDrawExecute(w->firstPos, client(20, 60), eDRAWMODE::DRAWMODE_BOX, true));
        w->onSurfacePainted = nullptr;
        EXPECT_EQ(messages.warnings, QStringList{c.warning});
        EXPECT_FALSE(stroke().m_bRawPoint);
        EXPECT_FALSE(stroke().m_bDrawShape);
        EXPECT_TRUE(stroke().m_penIfSize);
        EXPECT_TRUE(stroke().m_penIfTrans);
        EXPECT_EQ(m5->getSmoothLevel(), 3);
        EXPECT_EQ(m5->getInterpolateType(), eInterpolateType::iptBSpline);
        EXPECT_TRUE(w->m_strokeUndo);
        EXPECT_FALSE(w->isStrokingNow());
    }
}

TEST_F(FigureDraw, PlayDrawingDrawsWithoutRecording)
{
    w->changeZoom(1, 1, false);
    CEventMngr &ev = w->paper->eventMngr();
    ASSERT_TRUE(ev.startRecording(appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
    const QString before = dumpPaperState(*w->paper);
    hold({client(20, 20), client(60, 20), client(60, 60)});
    EXPECT_TRUE(w->playDrawing(eDRAWMODE::DRAWMODE_POLYGON, client(20, 20), client(30, 70), 3));
    EXPECT_NE(dumpPaperState(*w->paper), before);
    EXPECT_EQ(ev.eventCnt, 0u);
    EXPECT_EQ(ev.topEventPos, 0u);
    EXPECT_TRUE(w->m_strokeUndo);
    // The same figure drawn as a tool draws it is recorded.
    EXPECT_TRUE(w->eventDrawExecute(client(20, 20), client(30, 70), eDRAWMODE::DRAWMODE_POLYGON,
                                    true));
    EXPECT_EQ(ev.eventCnt, 1u);
}

// The points a rectangle's stroke records: at the older levels the closing point is added once
// more as the stroke ends, at level 5 it is not.
TEST_F(FigureDraw, RectangleClosesOnItsFirstPointAndTheOlderLevelsAddItOnceMore)
{
    struct Case
    {
        ePaintLevel level;
        int32_t points;
    };
    const Case cases[] = {
        {ePaintLevel::PAINT_LEVEL_qZ5, 5},
        {ePaintLevel::PAINT_LEVEL_qZ4, 6},
        {ePaintLevel::PAINT_LEVEL_qZ2, 6},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.level));
        w = makeWindow({200, 100}, 1, {400, 300});
        startPaintModeQZ5(*w->paper);
        tool().setWindow(w.get());
        w->FormActivate();
        w->changeZoom(1, 1, false);
        ASSERT_TRUE(w->switchPaintLevel(c.level));
        stroke().m_penWidth = 5;
        CEventMngr &ev = w->paper->eventMngr();
        ASSERT_TRUE(
            ev.startRecording(appMainStroke(), appMainToneMngrFor(w->paper.get()), 64, 64));
        hold({client(20, 20), client(60, 20), client(60, 60), client(20, 60)});
        w->firstPos = client(20, 20);
        ASSERT_TRUE(
            w->eventDrawExecute(w->firstPos, client(20, 60), eDRAWMODE::DRAWMODE_BOX, true));
        int32_t points = 0;
        ev.walkPackets(0, ev.topEventPos, [&](const SEventPacketInfo &info) {
            // Stroke points travel in packets of 17 and in the end packet (18), the count in
            // the code.
            if (info.hdr.group == 17 || info.hdr.group == 18)
                points += info.hdr.code;
            return true;
        });
        EXPECT_EQ(points, c.points);
        EXPECT_EQ(ev.eventCnt, 1u);
    }
}

} // namespace
