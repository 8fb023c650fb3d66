#include "ui/lists/list_geometry.h"

#include <gtest/gtest.h>

namespace {

TListGeometry grid(int count, QSize area, bool append = false, TListViewType type = lvIconM)
{
    TListGeometry g;
    g.Type = type;
    g.Area = area;
    g.Cell = g.CellFor(QSize(32, 32));
    g.Count = count;
    g.Append = append;
    return g;
}

TListGeometry::ScrollState enabledBar()
{
    TListGeometry::ScrollState s;
    s.Enabled = true;
    return s;
}

} // namespace

TEST(ListsGeometry, GridRowsAndScrollRange)
{
    struct Case
    {
        int count, height;
        bool append, enabled;
        int max, page;
    } cases[] = {
        {7, 90, false, true, 3, 3},  // 91 is no multiple of 32: a spare row
        {7, 95, false, false, 1, 1}, // 96 = 3 x 32: everything fits
        {9, 95, false, false, 1, 1}, // the last row is full but no append
        {9, 95, true, true, 3, 3},   // room to append one more
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << " items in " << c.height);
        TListGeometry g = grid(c.count, QSize(100, c.height), c.append);
        EXPECT_EQ(g.Columns(), 3);
        EXPECT_EQ(g.VisibleRows(), 3);
        TListGeometry::ScrollState s = g.UpdateScroll({});
        EXPECT_EQ(s.Enabled, c.enabled);
        if (c.enabled) {
            EXPECT_EQ(s.Min, 0);
            EXPECT_EQ(s.Max, c.max);
            EXPECT_EQ(s.Page, c.page);
        }
    }
}

TEST(ListsGeometry, NarrowAndLowAreasKeepOneCell)
{
    TListGeometry g = grid(5, QSize(20 - 16 - 2, 10));
    EXPECT_EQ(g.Columns(), 1);
    EXPECT_EQ(g.VisibleRows(), 1);
    // A view 20 wide: its inner width is 2.
    EXPECT_EQ(TListGeometry::InnerRect(20, 40, lvIconM).width(), 2);
    EXPECT_EQ(TListGeometry::InnerRect(120, 40, lvDrop), QRect(2, 2, 106, 36));
}

TEST(ListsGeometry, HitTestsAndCellsBothDirections)
{
    TListGeometry g = grid(7, QSize(100, 90));
    EXPECT_EQ(g.IndexAt(40, 40, 0), 4);
    EXPECT_EQ(g.IndexAt(40, 40, 1), 7); // beyond the last item: the caller tests validity
    EXPECT_EQ(g.CellRect(4, 1), QRect(32, 0, 32, 32));
    EXPECT_EQ(g.DropIndexAt(50, 5, 0), 2); // right half of cell 1 inserts before 2

    TListGeometry rows = grid(6, QSize(100, 90), false, lvListM);
    rows.Direction = lvdBottomUp;
    EXPECT_EQ(rows.Columns(), 1);
    EXPECT_EQ(rows.CellRect(0, 0).top(), 5 * 32); // item 0 in the last row
    for (int first : {0, 2})
        EXPECT_EQ(rows.IndexAt(3, 3, first), 6 - 1 - first);
    EXPECT_EQ(rows.DropIndexAt(3, 20, 0), 5); // below the top row's middle: after item 5
    EXPECT_EQ(TListGeometry().IndexAt(0, 0, 0), -1);
}

TEST(ListsGeometry, ScrollsAnIndexIntoView)
{
    TListGeometry g = grid(30, QSize(100, 90));
    EXPECT_EQ(g.FirstRowShowing(0, 4), 0);
    EXPECT_EQ(g.FirstRowShowing(29, 0), 10 - 3 + 1);
    EXPECT_EQ(g.FirstRowShowing(10, 2), 2); // row 4 is visible from row 2
    TListGeometry::ScrollState bar = g.UpdateScroll(enabledBar());
    EXPECT_EQ(g.ClampFirstRow(99, bar), bar.Max - 3 + 1);
    EXPECT_EQ(g.ClampFirstRow(-3, bar), 0);
    bar.Enabled = false;
    EXPECT_EQ(g.ClampFirstRow(5, bar), bar.Position);
}

TEST(ListsGeometry, DropStripCapacityAndFirst)
{
    TListGeometry g;
    g.Type = lvDropMulti;
    g.Area = QSize(100, 20);
    g.Cell = g.CellFor({});
    g.Count = 20;
    EXPECT_EQ(g.Cell, QSize(22, 20));
    EXPECT_EQ(g.DropCapacity(), (100 - 22) / 11 + 1); // 8
    g.Area = QSize(111, 20);
    EXPECT_EQ(g.DropCapacity(), 9);
    EXPECT_EQ(g.UpdateDisplayFirst(0, 10), 3);
    EXPECT_EQ(g.DropDisplayLast(3), 11);
    EXPECT_EQ(g.UpdateDisplayFirst(3, 3), 2); // keeps a neighbour on the left
    EXPECT_EQ(g.UpdateDisplayFirst(5, 0), 0);
    EXPECT_EQ(g.UpdateDisplayFirst(0, 19), 11); // clamped to count - capacity

    TListGeometry single = g;
    single.Type = lvDrop;
    single.Cell = single.CellFor({});
    EXPECT_EQ(single.DropCapacity(), 1);
    single.Count = 0;
    EXPECT_EQ(single.DropCapacity(), 0);
}

TEST(ListsGeometry, DropCellsShareFramesOrCompress)
{
    TListGeometry g;
    g.Type = lvDropMulti;
    g.Area = QSize(100, 20);
    g.Cell = g.CellFor({});
    g.Count = 3; // 3 x 21 fits in 100
    EXPECT_EQ(g.DropCellRect(0, 0, 0), QRect(-1, 0, 22, 20));
    EXPECT_EQ(g.DropCellRect(1, 0, 0), QRect(20, 0, 22, 20));
    EXPECT_EQ(g.IndexAtDrop(20, 5, 0, 0), 1); // the shared column belongs to the later cell
    EXPECT_EQ(g.DropCellRect(3, 0, 0).width(), 0);

    g.Count = 8; // 8 x 21 = 168 > 100: compressed
    const double x = 21.0 * (100 - 21) / (8 * 21 - 22);
    const QRect current = g.DropCellRect(3, 0, 3);
    EXPECT_EQ(current.left(), -1 + int(std::ceil(x * 3)));
    EXPECT_EQ(current.width(), 22);
    EXPECT_EQ(g.DropCellRect(1, 0, 3), QRect(QPoint(-1 + int(std::ceil(x)), 0), QPoint(-1 + int(std::ceil(2 * x)) - 1, 19)));
    const QRect after = g.DropCellRect(5, 0, 3);
    EXPECT_EQ(after.left(), -1 + 22 + int(std::ceil(4 * x)));
    EXPECT_EQ(g.DropCellRect(7, 0, 3).right(), -1 + 22 + int(std::ceil(7 * x)) - 1);
    EXPECT_LE(g.DropCellRect(7, 0, 3).right(), 100);
    EXPECT_EQ(g.IndexAtDrop(current.center().x(), 5, 0, 3), 3);
}

TEST(ListsGeometry, PreviewSideAndAutoScroll)
{
    EXPECT_EQ(TListGeometry::PreviewIconSide(32, true, true), 25);
    EXPECT_EQ(TListGeometry::PreviewIconSide(32, false, false), 31);
    EXPECT_EQ(TListGeometry::AutoScrollInterval(0, 32), 20);
    EXPECT_EQ(TListGeometry::AutoScrollInterval(-5, 32), 20);
    EXPECT_EQ(TListGeometry::AutoScrollInterval(31, 32), 500);
}
