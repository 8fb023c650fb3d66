// Snapping a moving palette window: the worker driven with numbers.
#include "windows/dock/dock_test_support.h"

#include <gtest/gtest.h>

TEST(DockSnap, SnapsOntoMonitorsTheMainAreaAndOtherWindows)
{
    const QRect monitor(0, 0, 1000, 800), mainArea(300, 200, 400, 300);
    const QRect other(100, 100, 50, 50);
    struct Case
    {
        const char *what;
        QRect rect;
        std::vector<QRect> monitors;
        QRect main;
        std::vector<QRect> others;
        QRect snapped;
        int tx, ty;
        bool result;
    };
    const Case cases[] = {
        {"5 px from the monitor's left edge", {5, 300, 100, 50}, {monitor}, {}, {},
         {0, 300, 100, 50}, 3, 8, true},
        {"5 px from the main area's left edge", {305, 300, 100, 50}, {monitor}, mainArea, {},
         {300, 300, 100, 50}, 3, 8, true},
        {"5 px right of another's right edge, top 4 px lower", {155, 104, 60, 60}, {}, {},
         {other}, {150, 100, 60, 60}, 3, 4, true},
        {"9 px away from everything", {509, 409, 60, 60}, {monitor}, {}, {other},
         {509, 409, 60, 60}, 8, 8, false},
        {"below another, left edges aligned", {103, 156, 60, 60}, {}, {}, {other},
         {100, 150, 60, 60}, 5, 2, true},
        {"the monitor's bottom right", {935, 745, 60, 50}, {monitor}, {}, {},
         {940, 750, 60, 50}, 13, 13, true},
    };
    for (const Case &c : cases) {
        QRect r = c.rect;
        int tx = 0, ty = 0;
        EXPECT_EQ(snapPaletteRectWorker(r, c.monitors, c.main, c.others, &tx, &ty), c.result)
            << c.what;
        EXPECT_EQ(r, c.snapped) << c.what;
        EXPECT_EQ(r.size(), c.rect.size()) << c.what;
        EXPECT_EQ(tx, c.tx) << c.what;
        EXPECT_EQ(ty, c.ty) << c.what;
    }
}

TEST(DockSnap, EachMonitorStartsFromTheStageThresholdsAndTheLastHandsOn)
{
    // Near the left edge of the first monitor only: the second starts afresh at 8 and hands that on.
    QRect r(5, 10, 100, 100);
    int tx = 0, ty = 0;
    snapPaletteRectWorker(r, {{0, 0, 800, 600}, {800, 0, 800, 600}}, {}, {}, &tx, &ty);
    EXPECT_EQ(r.topLeft(), QPoint(0, 10));
    EXPECT_EQ(tx, 8);
    EXPECT_EQ(ty, 8);
}

class DockSnapWindows : public DockFixture
{
};

TEST_F(DockSnapWindows, DockSnapSkipLeavesTheWindowItselfOut)
{
    TDockFloatForm *a = makeWindow({100, 100}, {1});
    const QRect start = a->geometry().translated(a->width() + 5, 0);
    QRect kept = start, snapped = start;
    EXPECT_FALSE(snapPaletteRect(kept, a, true));
    EXPECT_EQ(kept, start);
    EXPECT_TRUE(snapPaletteRect(snapped, a, false));
    EXPECT_EQ(snapped, start.translated(-5, 0));
}
