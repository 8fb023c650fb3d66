// The figure fills and selection figures: what they refuse, that the selection limits a fill, the
// stroke given back its colour, the gradient line alone, and a selection added to another.
// Their undo, replay and out-of-memory cases run with the other selection operations.
#include "document/paper/flow_image.h"
#include "document/selection/figure_fill_ops.h"
#include "paint/stroke/stroke.h"
#include "selection_rig.h"

#include <gtest/gtest.h>

using enum eMaskAddType;

TEST(FigureFill, EmptyFiguresAreRefusedWithoutRecordOrUndo)
{
    LiveReplayApp app;
    const ScopedUndoMax undoMax(10);
    EditSession s{50};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = dumpPaperState(p);
    const sFPos two[] = {{1, 1}, {20, 20}};
    const sFPos nan[] = {{1, 1}, {20, std::nanf("")}, {3, 30}};
    EXPECT_FALSE(eventFillRect(p, s.flow(), 0, {60, 50}, {90, 70}, true, true));
    EXPECT_FALSE(eventFillRect(p, s.flow(), 0, {-30, -30}, {-5, -2}, true, true));
    EXPECT_FALSE(eventFillPolygon(p, s.flow(), 0, two, true));
    EXPECT_FALSE(eventFillPolygon(p, s.flow(), 0, nan, true));
    EXPECT_FALSE(eventFillEllipse(p, s.flow(), 0, 1, {100, 100}, {120, 130}, true));
    EXPECT_FALSE(eventFillAll(p, s.flow(), 4, 0xFF000000, true, true));
    EXPECT_FALSE(eventSelectRect(p, s.flow(), 0, {60, 50}, {90, 70}, matNew, true));
    EXPECT_FALSE(eventSelectPolygon(p, s.flow(), 0, two, matAdd, true));
    EXPECT_FALSE(eventSelectRect(p, s.flow(), 0, {1, 1}, {9, 9}, eMaskAddType(4), true));
    EXPECT_EQ(dumpPaperState(p).toStdString(), before.toStdString());
    EXPECT_EQ(s.ev().eventCnt, 0u);
}

TEST(FigureFill, AFillNeverPaintsOutsideTheSelection)
{
    LiveReplayApp app;
    EditSession s{51};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventSelectRect(p, s.flow(), 0, {10, 10}, {19, 14}, matNew, true));
    const CBlockVMTC &img = *p.getLayerData(0)->imageTC;
    std::vector<uint32_t> before;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x)
            before.push_back(img.getColor(x, y));
    p.getActiveStroke()->m_drawColor = 0xFF102030;
    ASSERT_TRUE(eventFillAll(p, s.flow(), 0, 0xFF102030, true, true));
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 15;
            const uint32_t now = img.getColor(x, y);
            if (inside)
                EXPECT_EQ(now, 0xFF102030u) << x << "," << y;
            else
                EXPECT_EQ(now, before[size_t(y * 48 + x)]) << x << "," << y;
        }
}

TEST(FigureFill, FillingTheLayerGivesTheStrokeItsColourBack)
{
    LiveReplayApp app;
    EditSession s{52};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    TStroke &st = *p.getActiveStroke();
    st.m_drawColor = 0xFF0000FF;
    ASSERT_TRUE(eventFillAll(p, s.flow(), 1, 0xFF00FF00, true, true));
    EXPECT_EQ(st.m_drawColor, 0xFF0000FFu);
    EXPECT_EQ(p.getLayerData(1)->imageTC->getColor(7, 9), 0xFF00FF00u);
    // A refused fill gives it back too.
    EXPECT_FALSE(eventFillAll(p, s.flow(), 7, 0xFF00FF00, true, true));
    EXPECT_EQ(st.m_drawColor, 0xFF0000FFu);
    EXPECT_FALSE(st.m_bUseGradation);
}

TEST(FigureFill, FillingTheLayerWithAToneStrokePaintsTheTone)
{
    LiveReplayApp app;
    app.tones.makeDefault();
    const ScopedUndoMax undoMax(10);
    EditSession s{55};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    TStroke &st = *p.getActiveStroke();
    st.m_drawColor = 0xFF0000FF;
    st.m_bUseTone = true;
    ASSERT_TRUE(eventLayerAdd(p, s.flow(), 4, 48, 40, TLayerMode::LM_STD, 255, true, true));
    ASSERT_TRUE(eventFillAll(p, s.flow(), 4, 0xFF00FF00, true, true));
    // The tone's dots take the colour at full strength, the gaps between them stay clear.
    const CBlockVMTC &img = *p.getLayerData(4)->imageTC;
    int32_t full = 0, clear = 0;
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            full += img.getColor(x, y) == 0xFF00FF00u;
            clear += (img.getColor(x, y) >> 24) == 0;
        }
    EXPECT_GT(full, 0);
    EXPECT_GT(clear, 0);
    EXPECT_EQ(st.m_drawColor, 0xFF0000FFu);
    EXPECT_TRUE(st.m_bUseTone);
    EXPECT_EQ(s.replayDifference(false), "");
}

TEST(FigureFill, GradientSetOnlyChangesTheLineAlone)
{
    LiveReplayApp app;
    EditSession s{53};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    const QString before = dumpPaperState(p);
    EXPECT_TRUE(eventLayerGradation(p, s.flow(), 0, {1, 2}, {30, 20}, true, true));
    EXPECT_EQ(dumpPaperState(p).toStdString(), before.toStdString());
    EXPECT_EQ(s.ev().eventCnt, 0u);
    EXPECT_FALSE(p.getActiveStroke()->m_bUseGradation);
}

TEST(FigureFill, ARectangleSelectionAddsToTheOneInForce)
{
    LiveReplayApp app;
    EditSession s{54};
    ASSERT_TRUE(s.start());
    TPaper &p = s.paper();
    ASSERT_TRUE(eventSelectRect(p, s.flow(), 0, {2, 2}, {5, 5}, matNew, true));
    ASSERT_TRUE(eventSelectRect(p, s.flow(), 0, {20, 20}, {24, 22}, matAdd, true));
    const CMaskData &md = *p.getActiveMaskData();
    EXPECT_EQ(md.getMaskValue(3, 3), 255);
    EXPECT_EQ(md.getMaskValue(22, 21), 255);
    EXPECT_LE(md.getMaskValue(12, 12), 0);
    ASSERT_TRUE(eventSelectRect(p, s.flow(), 0, {0, 0}, {4, 4}, matSub, true));
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(3, 3), 0);
    EXPECT_EQ(p.getActiveMaskData()->getMaskValue(5, 5), 255);
    EXPECT_EQ(s.replayDifference(false), "");
}
