#include "ui/lists/list_geometry.h"

#include <algorithm>
#include <cmath>

QRect TListGeometry::InnerRect(int width, int height, TListViewType type)
{
    // The right side holds the scroll bar (14) or the drop button (10) and the frame.
    const int right = isDropType(type) ? width - 12 : width - 16;
    return QRect(QPoint(2, 2), QPoint(right - 1, height - 2 - 1));
}

QSize TListGeometry::CellFor(QSize requested) const
{
    if (isGridType(Type) && !isIconType(Type))
        return QSize(Area.width(), requested.height());
    if (Type == lvDrop || Type == lvCheckDrop)
        return Area;
    if (Type == lvDropMulti)
        return QSize(Area.height() + 2, Area.height());
    return requested;
}

int TListGeometry::Columns() const
{
    return Cell.width() > 0 ? std::max(1, Area.width() / Cell.width()) : 1;
}

int TListGeometry::VisibleRows() const
{
    return Cell.height() > 0 ? std::max(1, (Area.height() - 1) / Cell.height() + 1) : 1;
}

int TListGeometry::PositionOf(int index) const
{
    return Direction == lvdTopDown ? index : Count - 1 - index;
}

int TListGeometry::RowOf(int index) const
{
    return PositionOf(index) / Columns() + 1;
}

QRect TListGeometry::CellRect(int index, int firstRow) const
{
    const int p = PositionOf(index);
    const int cols = Columns();
    const int w = Cell.width(), h = Cell.height();
    return QRect((p % cols) * w, (p / cols) * h - firstRow * h, w, h);
}

int TListGeometry::IndexAt(int x, int y, int firstRow) const
{
    if (Count <= 0 || Cell.width() <= 0 || Cell.height() <= 0)
        return -1;
    const int w = Cell.width(), h = Cell.height(), cols = Columns();
    if (Direction == lvdBottomUp)
        return x / w + (Count - y / h - firstRow - 1) * cols;
    return x / w + (firstRow + y / h) * cols;
}

int TListGeometry::DropIndexAt(int x, int y, int firstRow) const
{
    if (Count <= 0 || Cell.width() <= 0 || Cell.height() <= 0)
        return -1;
    const int w = Cell.width(), h = Cell.height(), cols = Columns();
    // Move half a cell so the boundary nearest the pointer wins.
    if (isIconType(Type))
        x += w / 2;
    else
        y += h / 2;
    if (Direction == lvdBottomUp)
        return x / w + (Count - y / h - firstRow) * cols;
    return x / w + (firstRow + y / h) * cols;
}

int TListGeometry::TotalRows() const
{
    const int cols = Columns();
    const int lastPos = Count - 1; // the last item in display order sits at position Count - 1
    int total = lastPos / cols + 1;
    const bool partial = Cell.height() > 0 && (Area.height() + 1) % Cell.height() != 0;
    const bool lastRowFull = lastPos % cols == cols - 1;
    if (partial || (Append && lastRowFull))
        ++total;
    return total;
}

TListGeometry::ScrollState TListGeometry::UpdateScroll(const ScrollState &old) const
{
    ScrollState s = old;
    if (Count <= 0)
        return ScrollState{};
    const int total = TotalRows();
    const int visible = VisibleRows();
    if (total > visible) {
        s.Enabled = true;
        s.Page = visible;
        s.Min = 0;
        s.Max = total - 1;
        s.Position = std::max(0, std::min(old.Position, total - visible));
    } else if (old.Enabled) {
        s.Page = visible;
        s.Position = 0;
        s.Min = 0;
        s.Max = visible;
        s.Enabled = false;
    }
    return s;
}

int TListGeometry::FirstRowShowing(int index, int firstRow) const
{
    const int r = RowOf(index);
    const int visible = VisibleRows();
    if (firstRow >= r - 1)
        return r - 1;
    if (r >= firstRow + visible)
        return r - visible + 1;
    return firstRow;
}

int TListGeometry::ClampFirstRow(int row, const ScrollState &bar) const
{
    if (!bar.Enabled)
        return bar.Position;
    return std::clamp(row, 0, std::max(0, bar.Max - VisibleRows() + 1));
}

int TListGeometry::DropCapacity() const
{
    const int cw = Cell.width();
    if (Count <= 0 || cw < 1)
        return 0;
    if (Type == lvDrop || Type == lvCheckDrop || Area.width() - cw < 1)
        return 1;
    return (Area.width() - cw) / ((cw + 1) / 2) + 1;
}

int TListGeometry::DropDisplayCount(int first) const
{
    return std::min(DropCapacity(), Count - first);
}

int TListGeometry::DropDisplayLast(int first) const
{
    return std::min(first + DropCapacity(), Count) - 1;
}

int TListGeometry::UpdateDisplayFirst(int first, int index) const
{
    const int capacity = DropCapacity();
    if (first >= index)
        first = index - 1;
    else if (index >= DropDisplayLast(first))
        first = index - capacity + 2;
    return std::clamp(first, 0, std::max(0, Count - capacity));
}

namespace {

int ceilTimes(double x, int k)
{
    return static_cast<int>(std::ceil(x * k));
}

} // namespace

QRect TListGeometry::DropCellRect(int index, int first, int current) const
{
    const int L = -1;
    const int H = Area.height();
    const QRect none(L, 0, 0, H);
    if (index < 0 || index >= Count || index < first || index > DropDisplayLast(first))
        return none;
    if (Type != lvDropMulti)
        return QRect(QPoint(L, 0), QPoint(Area.width() - 1, H - 1));
    const int h = Cell.height();
    const int k = index - first;
    const int shown = DropDisplayCount(first);
    const int W = Area.width();
    auto span = [H](int left, int right) { return QRect(left, 0, right - left, H); };
    if (shown * (h + 1) <= W)
        return span(L + k * (h + 1), L + k * (h + 1) + h + 2);
    // Compress the strip towards the current item, which keeps its full width.
    const int denominator = shown * (h + 1) - h - 2;
    const double x = denominator > 0 ? double(h + 1) * (W - h - 1) / denominator : 0.0;
    const int kc = std::clamp(current, first, DropDisplayLast(first)) - first;
    if (k == kc)
        return span(L + ceilTimes(x, k), L + ceilTimes(x, k) + h + 2);
    if (k < kc)
        return span(L + ceilTimes(x, k), L + ceilTimes(x, k + 1));
    return span(L + h + 2 + ceilTimes(x, k - 1), L + h + 2 + ceilTimes(x, k));
}

int TListGeometry::IndexAtDrop(int x, int y, int first, int current) const
{
    for (int i = DropDisplayLast(first); i >= first && i >= 0; --i)
        if (DropCellRect(i, first, current).contains(x, y))
            return i;
    return -1;
}

int TListGeometry::DropRunRight(int first) const
{
    const int h = Cell.height();
    const int shown = DropDisplayCount(first);
    if (shown * (h + 1) > Area.width())
        return Area.width() - h - 1;
    return shown * (h + 1) - h - 2;
}

int TListGeometry::PreviewIconSide(int cellHeight, bool padding, bool border)
{
    return cellHeight - 7 + (padding ? 0 : 4) + (border ? 0 : 2);
}

int TListGeometry::AutoScrollInterval(int y, int b)
{
    return std::max(y, 0) * 480 / std::max(1, b - 1) + 20;
}
