#pragma once

#include "ui/lists/list_types.h"

#include <QRect>
#include <QSize>

// Layout of a list view's item area, free of any widget. All coordinates are
// relative to the item area (the view's inner rectangle), whose size is Area.
// Grid types (icons, rows, text) lay cells out in rows under a first displayed
// row; the drop types show a one-line strip starting at DisplayFirst.
struct TListGeometry
{
    TListViewType Type = lvIconM;
    TListViewDirection Direction = lvdTopDown;
    QSize Area;      // inner width and height
    QSize Cell;      // cell size of the current type
    int Count = 0;   // number of items
    bool Append = false; // lvcAppend offered: room for one more row

    // The inner rectangle of a control of the given size.
    static QRect InnerRect(int width, int height, TListViewType type);
    // The cell size the type takes from a requested size.
    QSize CellFor(QSize requested) const;

    // Grid.
    int Columns() const;
    int VisibleRows() const;
    int PositionOf(int index) const; // display position of an index
    int RowOf(int index) const;      // 1-based row in display order
    QRect CellRect(int index, int firstRow) const;
    int IndexAt(int x, int y, int firstRow) const;     // may be out of range; -1 without items
    int DropIndexAt(int x, int y, int firstRow) const; // insertion index; -1 without items
    int TotalRows() const; // rows the scroll range covers, with the spare row

    struct ScrollState
    {
        bool Enabled = false;
        int Min = 0, Max = 1, Page = 1, Position = 0;
    };
    // The scroll bar after a range update, from the previous position.
    ScrollState UpdateScroll(const ScrollState &old) const;
    // The first row after scrolling an index into view.
    int FirstRowShowing(int index, int firstRow) const;
    // The first row clamped to what the scroll bar allows.
    int ClampFirstRow(int row, const ScrollState &bar) const;

    // Drop strip.
    int DropCapacity() const;
    int DropDisplayCount(int first) const;
    int DropDisplayLast(int first) const;
    int UpdateDisplayFirst(int first, int index) const;
    // The rectangle of a strip cell; current is the item drawn on top.
    QRect DropCellRect(int index, int first, int current) const;
    int IndexAtDrop(int x, int y, int first, int current) const;
    // Where the right-to-left run of the strip starts.
    int DropRunRight(int first) const;

    // Side of the square preview icon of a cell of the given height.
    static int PreviewIconSide(int cellHeight, bool padding, bool border);
    // Auto-scroll interval for a pointer y pixels inside a band of b pixels.
    static int AutoScrollInterval(int y, int b);
};
