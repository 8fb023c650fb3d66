#include "ui/lists/list_view.h"

#include "core/image/display_canvas.h"
#include "platform/desktop/messages.h"
#include "ui/base/drag_manager.h"
#include "ui/fields/mouse_gates.h"
#include "ui/forms/base_forms.h"
#include "ui/graphics/appearance.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <typeinfo>

namespace {

sRect toS(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

const QString kUndefined = QStringLiteral("(") + QString::fromUtf8("未定義") + QStringLiteral(")");

} // namespace

TqZListView::TqZListView(QWidget *parent)
    : TGraphicControl(parent),
      FImage(clGrayText32()),
      FWork(32, 32, clBtnFace32()),
      FButton(clBtnFace32()),
      FCheckColor1(makeColor32(255, 255, 255, 255)),
      FCheckColor2(makeColor32(204, 204, 204, 255))
{
    for (int t = 0; t < kListViewTypeCount; ++t) {
        static const int sides[] = {24, 32, 48, 24, 32, 48, 20, 32, 32, 32};
        FItemSizes[size_t(t)] = QSize(sides[t], sides[t]);
    }
    pickInterfaceFont(FFont, 128);
    setFont(FFont);
    FVertScroll = new QScrollBar(Qt::Vertical, parent);
    FVertScroll->setFocusPolicy(Qt::NoFocus);
    FVertScroll->setRange(0, 1);
    FVertScroll->setPageStep(1);
    FVertScroll->setSingleStep(1);
    FVertScroll->setEnabled(false);
    QObject::connect(FVertScroll, &QScrollBar::sliderPressed, FVertScroll, [this] { FDragScrollbar = true; });
    QObject::connect(FVertScroll, &QScrollBar::sliderReleased, FVertScroll, [this] {
        FDragScrollbar = false;
        if (FScroll.Enabled)
            UpdateScrollBar();
    });
    QObject::connect(FVertScroll, &QScrollBar::valueChanged, FVertScroll, [this](int v) {
        if (!FApplying && FScroll.Enabled)
            SetFirstRow(v);
    });
    FScrollTimer = new QTimer(this);
    FScrollTimer->setInterval(500);
    QObject::connect(FScrollTimer, &QTimer::timeout, this,
                     [this] { AutoScrollTick(mapFromGlobal(QCursor::pos())); });
    TDragManager::instance().registerTarget(this);
}

TqZListView::~TqZListView()
{
    TDragManager::instance().unregisterTarget(this);
    if (TDragManager::instance().source() == this)
        TDragManager::instance().cancel();
    // The scroll bar lives on the parent: it goes with the view.
    delete FVertScroll.data();
}

bool TqZListView::event(QEvent *ev)
{
    if (ev->type() == QEvent::ParentChange && FVertScroll) {
        FVertScroll->setParent(parentWidget());
        if (isGridType(FType))
            FVertScroll->show();
    }
    return TGraphicControl::event(ev);
}

TListGeometry TqZListView::Geometry() const
{
    TListGeometry g;
    g.Type = FType;
    g.Direction = FDirection;
    g.Area = FInnerRect.size().expandedTo(QSize(0, 0));
    g.Cell = GetItemSize();
    g.Count = GetItemCount();
    g.Append = FSupportCommand.contains(lvcAppend);
    return g;
}

void TqZListView::SetBounds(int left, int top, int width, int height)
{
    if (geometry() == QRect(left, top, width, height) && FImage.Prepared())
        return;
    TGraphicControl::SetBounds(left, top, width, height);
    FInnerRect = TListGeometry::InnerRect(width, height, FType);
    FButton.SetSize(10, std::max(1, FInnerRect.height()));
    FVertScroll->setGeometry(left + FInnerRect.right() + 1, top + FInnerRect.top(), 14,
                             std::max(1, FInnerRect.height()));
    FImage.SetSize(std::max(1, FInnerRect.width()), std::max(1, FInnerRect.height()));
    if (isGridType(FType) && !isIconType(FType))
        SetItemWidth(FInnerRect.width());
    else if (isDropType(FType)) {
        SetItemHeight(FInnerRect.height());
        DrawButton();
        if (FType == lvCheckDrop)
            PlaceCheckRect();
    }
    UpdateDisplayPosition(true);
}

void TqZListView::PlaceCheckRect()
{
    const TMemoryGraphic *box =
        gAppearanceManager ? gAppearanceManager->GetCheckBoxImage(FChecked, FCheckState) : nullptr;
    const int w = box ? box->Width() : 13, h = box ? box->Height() : 13;
    FCheckRect = QRect(FInnerRect.left() + 1, FInnerRect.top() + (FInnerRect.height() - h) / 2, w, h);
}

void TqZListView::SetListType(TListViewType AType)
{
    if (!FSupportTypes.contains(AType))
        return;
    FType = AType;
    FInnerRect = TListGeometry::InnerRect(width(), height(), FType);
    FVertScroll->setVisible(isGridType(FType) && parentWidget());
    if (isDropType(FType)) {
        DrawButton();
        if (FType == lvCheckDrop)
            PlaceCheckRect();
    }
    const auto side = [](int v) { return v < 5 ? 4 : v; };
    FImage.SetSize(side(FInnerRect.width()), side(FInnerRect.height()));
    SetItemSize(FItemSizes[FType]);
    UpdateDisplayPosition(true);
}

void TqZListView::SetDirection(TListViewDirection ADirection)
{
    if (ADirection == FDirection)
        return;
    FDirection = ADirection;
    if (isGridType(FType) && !isIconType(FType))
        UpdateDisplayPosition(true);
}

void TqZListView::SetSupportCommand(TListViewCommandTypes ACommand)
{
    if (ACommand == FSupportCommand)
        return;
    FSupportCommand = ACommand;
    FBorder = FPadding = ACommand.contains(lvcSelect);
    DrawItems();
}

void TqZListView::SetModified(bool Value)
{
    FModified = Value;
    if (OnModified)
        OnModified(this);
}

void TqZListView::SetChecked(bool Value)
{
    if (FType != lvCheckDrop)
        return;
    FChecked = Value;
    DrawButton();
    DoChange();
}

int TqZListView::GetSelectIndex() const
{
    return FSupportCommand.contains(lvcSelect) ? FSelectIndex : -1;
}

void TqZListView::DoChange()
{
    if (OnChange)
        OnChange(this);
}

int TqZListView::CurrentIndex() const
{
    return FSupportCommand.contains(lvcSelect) ? GetSelectIndex() : FLastIndex;
}

// ---- sizes

QSize TqZListView::GetItemSize() const
{
    return FWork.Prepared() ? QSize(FWork.Width(), FWork.Height()) : QSize(0, 0);
}

void TqZListView::SetItemSize(QSize ASize)
{
    TListGeometry g;
    g.Type = FType;
    g.Area = FInnerRect.size().expandedTo(QSize(0, 0));
    QSize s = g.CellFor(ASize);
    s = QSize(s.width() < 5 ? 4 : s.width(), s.height() < 5 ? 4 : s.height());
    if (FWork.Prepared() && s != GetItemSize()) {
        FWork.SetSize(s.width(), s.height());
        UpdateDisplayPosition(true);
    }
}

QSize TqZListView::GetPreviewIconSize(int) const
{
    const int side = TListGeometry::PreviewIconSide(GetItemSize().height(), FPadding, FBorder);
    return QSize(side, side);
}

// ---- hit tests

int TqZListView::GetIndexAtNormal(int X, int Y) const
{
    return Geometry().IndexAt(X - FInnerRect.left(), Y - FInnerRect.top(), FScroll.Position);
}

int TqZListView::GetIndexAtDrop(int X, int Y) const
{
    return Geometry().IndexAtDrop(X - FInnerRect.left(), Y - FInnerRect.top(), FDisplayFirst,
                                  CurrentIndex());
}

int TqZListView::GetIndexAt(int X, int Y) const
{
    if (FType == lvDrop || FType == lvCheckDrop)
        return GetSelectIndex();
    if (FType == lvDropMulti)
        return GetIndexAtDrop(X, Y);
    return GetIndexAtNormal(X, Y);
}

int TqZListView::GetDropIndexAt(int X, int Y)
{
    FDropIndex = Geometry().DropIndexAt(X - FInnerRect.left(), Y - FInnerRect.top(), FScroll.Position);
    return FDropIndex;
}

uint8_t TqZListView::GetAreaType(int X, int Y) const
{
    if (FType == lvCheckDrop && FCheckRect.contains(X, Y))
        return kAreaCheckBox;
    if (isDropType(FType) && X >= FInnerRect.right() + 1 && X < width() - FInnerRect.left() &&
        Y >= FInnerRect.top() && Y <= FInnerRect.bottom())
        return kAreaButton;
    if (!FInnerRect.contains(X, Y))
        return kAreaOutside;
    return IsValidIndex(GetIndexAt(X, Y)) ? kAreaItem : kAreaEmpty;
}

bool TqZListView::hitTest(QPoint pos) const
{
    return isEnabled() && GetAreaType(pos.x(), pos.y()) != kAreaOutside;
}

QRect TqZListView::GetItemRectNormal(int AIndex) const
{
    return Geometry().CellRect(AIndex, FScroll.Position);
}

QRect TqZListView::GetItemRectDrop(int AIndex) const
{
    return Geometry().DropCellRect(AIndex, FDisplayFirst, CurrentIndex());
}

QRect TqZListView::GetItemRect(int AIndex) const
{
    return isDropType(FType) ? GetItemRectDrop(AIndex) : GetItemRectNormal(AIndex);
}

bool TqZListView::IsDisplayedIndex(int AIndex) const
{
    return AIndex >= FDisplayFirst && AIndex <= GetDropDisplayLast();
}

TListViewItemStatus TqZListView::GetItemState(int AIndex) const
{
    TListViewItemStatus s;
    if (AIndex == GetSelectIndex())
        s.insert(lviSelect);
    if (AIndex == FLastIndex && (FDown || FDragging))
        s.insert(lviDragTarget);
    return s;
}

QRect TqZListView::GetItemNameRect(int AIndex) const
{
    if (!isGridType(FType) || isIconType(FType))
        return {};
    QRect r = GetItemRect(AIndex);
    if (FType == lvText)
        r.adjust(3, 0, -3, 0);
    else
        r.adjust(r.height() + 3, 0, -3, 0);
    const int w = std::min(r.width(), QFontMetrics(FFont).horizontalAdvance(GetItemName(AIndex)));
    return QRect(r.left(), r.top(), std::max(0, w), r.height());
}

// ---- scrolling

void TqZListView::ApplyScroll()
{
    FApplying = true;
    FVertScroll->setRange(FScroll.Min, std::max(FScroll.Min, FScroll.Max - FScroll.Page + 1));
    FVertScroll->setPageStep(FScroll.Page);
    FVertScroll->setValue(FScroll.Position);
    FVertScroll->setEnabled(FScroll.Enabled);
    FApplying = false;
}

void TqZListView::UpdateScrollBar()
{
    if (GetItemCount() <= 0) {
        FScroll = {};
        ApplyScroll();
        DrawItems();
        FDragScrollbar = false;
        return;
    }
    FScroll = Geometry().UpdateScroll(FScroll);
    ApplyScroll();
}

void TqZListView::UpdateScrollBar(int AIndex)
{
    UpdateScrollBar();
    const int first = Geometry().FirstRowShowing(AIndex, FScroll.Position);
    if (FScroll.Enabled && first != FScroll.Position) {
        FScroll.Position = std::max(0, first);
        ApplyScroll();
    }
    DrawItems();
}

void TqZListView::SetFirstRow(int ARow)
{
    if (!FScroll.Enabled)
        return;
    const int row = Geometry().ClampFirstRow(ARow, FScroll);
    if (row != FScroll.Position) {
        FScroll.Position = row;
        ApplyScroll();
        DrawItems();
    }
}

void TqZListView::UpdateDisplayPosition(bool Force)
{
    if (GetItemCount() <= 0) {
        if (FVertScroll->isVisible() || isGridType(FType))
            UpdateScrollBar();
        else
            DrawItems();
        return;
    }
    if (FDragScrollbar)
        return;
    const int current = CurrentIndex();
    if (isGridType(FType)) {
        if (Force)
            UpdateScrollBar(current);
        else {
            UpdateScrollBar();
            DrawItems();
        }
    } else {
        UpdateDisplayFirst(current, true);
    }
}

void TqZListView::UpdateDisplayFirst(int AIndex, bool Updt)
{
    FDisplayFirst = Geometry().UpdateDisplayFirst(FDisplayFirst, AIndex);
    if (Updt)
        DrawItems();
}

bool TqZListView::Scroll(Qt::KeyboardModifiers, int WheelDelta, QPoint MousePos)
{
    if (!isGridType(FType))
        return false;
    const QPoint p = mapFromGlobal(MousePos);
    if (!rect().contains(p) || !FScroll.Enabled)
        return false;
    SetFirstRow(FScroll.Position + (WheelDelta > 0 ? -1 : 1));
    return true;
}

void TqZListView::AutoScrollTick(QPoint pos)
{
    const int b = std::max(GetItemSize().height(), 24);
    const int y = pos.y() - FInnerRect.top();
    if (y < b) {
        SetFirstRow(FScroll.Position - 1);
        FScrollTimer->setInterval(TListGeometry::AutoScrollInterval(y, b));
        return;
    }
    const int d = FInnerRect.bottom() + 1 - pos.y();
    if (d < b) {
        SetFirstRow(FScroll.Position + 1);
        FScrollTimer->setInterval(TListGeometry::AutoScrollInterval(d, b));
    } else {
        FScrollTimer->stop();
    }
}

// ---- drawing

void TqZListView::DrawItems()
{
    if (!FImage.Prepared())
        return;
    FImage.FillRectangle({0, 0, FImage.Width(), FImage.Height()}, clGrayText32(), blendCopy, blendCopy);
    if (GetItemCount() > 0) {
        const QRect all(0, 0, FImage.Width(), FImage.Height());
        if (FType == lvDrop || FType == lvCheckDrop) {
            DrawItemDrop(GetSelectIndex(), all, {lviSelect});
            if (FType == lvCheckDrop && gAppearanceManager) {
                const TMemoryGraphic *box = gAppearanceManager->GetCheckBoxImage(FChecked, FCheckState);
                if (box)
                    FImage.Copy(FCheckRect.left() - FInnerRect.left(), FCheckRect.top() - FInnerRect.top(),
                                box->Width(), box->Height(), box->Seek(0, 0), 0, 0, box->Width(),
                                box->Height());
            }
        } else if (FType == lvDropMulti) {
            DrawItemsDrop();
        } else {
            DrawItemsNormal();
        }
    }
    update();
}

void TqZListView::DrawItemsNormal()
{
    const int n = GetItemCount();
    int first = GetIndexAtNormal(FInnerRect.left(), FInnerRect.top());
    int last = GetIndexAtNormal(FInnerRect.right(), FInnerRect.bottom());
    if (first > last)
        std::swap(first, last);
    first = std::clamp(first, 0, n - 1);
    last = std::clamp(last, 0, n - 1);
    for (int i = first; i <= last; ++i)
        DrawItemNormal(i, GetItemState(i));
    if (FDragging && FLastAccept)
        DrawDragPos(FDropIndex);
}

void TqZListView::PutCell(const QRect &ARect)
{
    if (FUseCheckBoard) {
        FImage.FillCheckBoard(toS(ARect), {FCheckSize.width(), FCheckSize.height()}, FCheckColor1,
                              FCheckColor2, blendCopy, blendCopy);
        FImage.BlendImage(ARect.left(), ARect.top(), ARect.width(), ARect.height(), FWork, 0, 0,
                          blendNormal, blendKeep);
    } else {
        FImage.Copy(ARect.left(), ARect.top(), ARect.width(), ARect.height(), FWork.Seek(0, 0), 0, 0,
                    FWork.Width(), FWork.Height());
    }
}

void TqZListView::DrawItemNormal(int AIndex, TListViewItemStatus State)
{
    const int w = FWork.Width(), h = FWork.Height();
    FWork.FillRectangle({0, 0, w, h}, clWindowFrame32(), blendCopy, blendCopy);
    const TColor32 face = State.contains(lviSelect)       ? clHighlight32()
                          : State.contains(lviDragTarget) ? clWindow32()
                                                          : clBtnFace32();
    FWork.FillRectangle({0, 0, w - 1, h - 1}, face, blendCopy, blendCopy);
    const QRect content(0, 0, w - 1, h - 1);
    if (isIconType(FType))
        DrawItemIcon(content, AIndex, State);
    else if (FType == lvText)
        DrawItemText(content, AIndex, State);
    else
        DrawItemList(content, AIndex, State);
    if (State.contains(lviDragTarget))
        FWork.DrawRectangle(toS(content), 1, clHighlight32(), blendCopy, blendCopy);
    PutCell(GetItemRect(AIndex));
}

namespace {

TColor32 frameColour(TListViewItemStatus State)
{
    if (State.contains(lviSelect))
        return clHighlightText32();
    if (State.contains(lviDragTarget))
        return clWindowText32();
    return clGrayText32();
}

} // namespace

void TqZListView::DrawItemIcon(const QRect &ARect, int AIndex, TListViewItemStatus State)
{
    const QSize s = GetPreviewIconSize(AIndex);
    if (s.isEmpty())
        return;
    const QRect icon(ARect.left() + (ARect.width() - s.width()) / 2,
                     ARect.top() + (ARect.height() - s.height()) / 2, s.width(), s.height());
    if (FBorder)
        FWork.DrawRectangle(toS(icon.adjusted(-1, -1, 1, 1)), 1, frameColour(State), blendCopy, blendCopy);
    DrawPreviewIcon(FWork, icon, AIndex, State);
}

void TqZListView::DrawItemList(const QRect &ARect, int AIndex, TListViewItemStatus State)
{
    const int side = ARect.height();
    DrawItemIcon(QRect(ARect.left(), ARect.top(), side, side), AIndex, State);
    DrawItemText(QRect(ARect.left() + side, ARect.top(), ARect.width() - side, side), AIndex, State);
}

void TqZListView::DrawItemText(const QRect &ARect, int AIndex, TListViewItemStatus State)
{
    sRect r = toS(ARect.adjusted(3, 0, -3, 0));
    FWork.DrawText(GetItemName(AIndex), r, FFont,
                   State.contains(lviSelect) ? clHighlightText32() : clWindowText32(),
                   DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}

void TqZListView::DrawPreviewIcon(TMemoryGraphic &, const QRect &, int, TListViewItemStatus) {}

void TqZListView::DrawItemDrop(int AIndex, const QRect &ARect, TListViewItemStatus State)
{
    if (ARect.width() <= 0 || ARect.height() <= 0)
        return;
    // A strip cell is never wider than the cell picture; clip to it all the same.
    const QRect cell = QRect(0, 0, ARect.width(), ARect.height()) & QRect(0, 0, FWork.Width(), FWork.Height());
    FWork.FillRectangle(toS(cell), clBtnFace32(), blendCopy, blendCopy);
    QRect icon = cell;
    if (FType == lvDropMulti) {
        FWork.DrawRectangle(toS(cell), 1, clWindowFrame32(), blendCopy, blendCopy);
        icon.adjust(1, 0, -1, 0);
    }
    DrawPreviewIcon(FWork, icon, AIndex, State);
    PutCell(ARect);
    if (!State.contains(lviSelect))
        FImage.FillRectangle(toS(ARect.adjusted(1, 0, -1, 0)), makeColor32(85, 85, 85, 170), blendNormal,
                             blendKeep);
}

void TqZListView::DrawItemsDrop()
{
    const int last = GetDropDisplayLast();
    const int current = std::min(CurrentIndex(), last);
    for (int i = FDisplayFirst; i < current; ++i)
        DrawItemDrop(i, GetItemRectDrop(i), GetItemState(i));
    for (int i = last; i > current; --i)
        DrawItemDrop(i, GetItemRectDrop(i), GetItemState(i));
    if (current >= FDisplayFirst)
        DrawItemDrop(current, GetItemRectDrop(current), GetItemState(current));
    if (!gAppearanceManager)
        return;
    if (FDisplayFirst > 0)
        if (const TMemoryGraphic *a = gAppearanceManager->GetArrowImage(2, FLeftArrowState))
            FImage.BlendImage(1, (FImage.Height() - a->Height()) / 2, a->Width(), a->Height(), *a, 0, 0,
                              blendNormal, blendKeep);
    if (last < GetItemCount() - 1)
        if (const TMemoryGraphic *a = gAppearanceManager->GetArrowImage(3, FRightArrowState))
            FImage.BlendImage(FImage.Width() - a->Width() - 1, (FImage.Height() - a->Height()) / 2,
                              a->Width(), a->Height(), *a, 0, 0, blendNormal, blendKeep);
}

void TqZListView::DrawDragPos(int AIndex)
{
    const int n = GetItemCount();
    const int index = std::clamp(AIndex, 0, n);
    if (n <= 0)
        return;
    // The boundary after the last item is the near edge of a cell one past it.
    QRect cell = index < n ? GetItemRect(index) : GetItemRect(n - 1);
    if (index >= n) {
        if (isIconType(FType))
            cell.translate(cell.width(), 0);
        else
            cell.translate(0, FDirection == lvdTopDown ? cell.height() : -cell.height());
    }
    const TColor32 c = clWindowFrame32();
    auto fill = [&](int x, int y, int w, int h) { FImage.FillRectangle({x, y, x + w, y + h}, c, blendCopy, blendCopy); };
    const int x = cell.left(), w = cell.width(), h = cell.height();
    if (!isIconType(FType)) {
        const int y = FDirection == lvdTopDown ? cell.top() : cell.top() + h;
        fill(x, y - 4, 1, 7);
        fill(x + w - 1, y - 4, 1, 7);
        fill(x + 1, y - 3, 1, 5);
        fill(x + w - 2, y - 3, 1, 5);
        fill(x + 2, y - 2, w - 4, 3);
        return;
    }
    const int top = cell.top();
    if (index > 0) {
        const int e = x; // the right edge of the previous cell
        fill(e - 4, top - 1, 4, 1);
        fill(e - 3, top, 3, 1);
        fill(e - 3, top + h - 2, 3, 1);
        fill(e - 4, top + h - 1, 4, 1);
        fill(e - 2, top + 1, 2, h - 3);
    }
    fill(x, top - 1, 3, 1);
    fill(x, top, 2, 1);
    fill(x, top + h - 2, 2, 1);
    fill(x, top + h - 1, 3, 1);
    fill(x, top + 1, 1, h - 3);
}

void TqZListView::DrawButton()
{
    if (!FButton.Prepared())
        return;
    const int h = FButton.Height();
    FButton.FillRectangle({0, 0, 10, h}, clBtnFace32(), blendCopy, blendCopy);
    FButton.FillRectangle({0, 0, 1, h}, clWindowFrame32(), blendCopy, blendCopy);
    const int mid = h / 2;
    FButton.FillRectangle({3, mid - 1, 8, mid}, clWindowFrame32(), blendCopy, blendCopy);
    FButton.FillRectangle({4, mid, 7, mid + 1}, clWindowFrame32(), blendCopy, blendCopy);
    FButton.FillRectangle({5, mid + 1, 6, mid + 2}, clWindowFrame32(), blendCopy, blendCopy);
    update();
}

void TqZListView::Paint(QPainter &painter)
{
    const QRect r = rect();
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawRect(r.adjusted(1, 1, -2, -2));
    FImage.Draw(painter, FInnerRect.left(), FInnerRect.top(), FImage.Width(), FImage.Height(), 0, 0);
    if (isDropType(FType))
        FButton.Draw(painter, FInnerRect.right() + 1, FInnerRect.top(), FButton.Width(), FButton.Height(),
                     0, 0);
}

// ---- mouse

void TqZListView::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y, bool dbl)
{
    if (button != Qt::LeftButton)
        return TGraphicControl::MouseDown(button, shift, x, y, dbl);
    const bool ctrl = shift & Qt::ControlModifier, sh = shift & Qt::ShiftModifier,
               alt = shift & Qt::AltModifier;
    if (dbl) {
        // Only the item pressed first opens its editor.
        const int index = GetIndexAt(x, y);
        if (FSupportCommand.contains(lvcEditDialog) && index == FLastIndex && !ctrl && !sh &&
            GetAreaType(x, y) == kAreaItem && !HasType(index, lviFixedValue)) {
            FLastIndex = index;
            EditItemValue(index);
        }
        return TGraphicControl::MouseDown(button, shift, x, y, dbl);
    }
    if (!acceptMouseDown(this))
        return;
    FDown = false;
    const uint8_t area = GetAreaType(x, y);
    if (area == kAreaOutside || area == kAreaCustom)
        return TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (area == kAreaCheckBox) {
        TGraphicControl::MouseDown(button, shift, x, y, dbl);
        SetChecked(!FChecked);
        DrawItems();
        return;
    }
    if (area == kAreaButton && CreatePopupForm()) {
        TGraphicControl::MouseDown(button, shift, x, y, dbl);
        ShowPopupForm();
        return;
    }
    FLastPos = QPoint(x, y);
    FLastIndex = GetIndexAt(x, y);
    if (area == kAreaEmpty) {
        if (FSupportCommand.contains(lvcAppend) && !PutItem(GetItemCount(), true))
            showWarning(QString::fromUtf8("操作に失敗しました！"));
        return TGraphicControl::MouseDown(button, shift, x, y, dbl);
    }
    if (!IsValidIndex(FLastIndex))
        return;
    if (ctrl && sh) {
        if (FSupportCommand.contains(lvcInsert))
            DuplicateItem(FLastIndex, true);
    } else if (ctrl) {
        if (FSupportCommand.contains(lvcDelete))
            DeleteItem(FLastIndex, true);
    } else if (sh) {
        if (FSupportCommand.contains(lvcReplace))
            PutItem(FLastIndex, true);
    } else if (!alt) {
        FDown = true;
        const int index = FLastIndex;
        SelectItem(index, true);
        const QRect name = GetItemNameRect(index);
        if (!HasType(index, lviFixedName) &&
            name.contains(x - FInnerRect.left(), y - FInnerRect.top()))
            EditItemName(index);
    }
    DrawItems();
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
}

void TqZListView::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (!acceptMouseMove(this))
        return;
    if (FSupportCommand.contains(lvcDrag) && (buttons & Qt::LeftButton) && FDown &&
        !(shift & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) &&
        GetAreaType(x, y) == kAreaItem && !TDragManager::instance().dragging() &&
        (std::abs(x - FLastPos.x()) >= QApplication::startDragDistance() ||
         std::abs(y - FLastPos.y()) >= QApplication::startDragDistance())) {
        SetDragging(true);
        if (OnStartDrag)
            OnStartDrag(this);
        TDragManager &drag = TDragManager::instance();
        drag.OnEndDrag = [this](TGraphicControl *, TGraphicControl *target) {
            SetDragging(false);
            DrawItems();
            if (OnEndDrag)
                OnEndDrag(this, target);
        };
        drag.beginDrag(this);
        drag.moveTo(mapToGlobal(QPoint(x, y)));
    }
    UpdateHint(x, y);
    UpdateHoverStates(x, y);
}

void TqZListView::UpdateHoverStates(int x, int y)
{
    if (isDropType(FType)) {
        const int index = GetIndexAt(x, y);
        const TGlyphState left = index == FDisplayFirst ? gsActive : gsNone;
        const TGlyphState right = index == GetDropDisplayLast() ? gsActive : gsNone;
        if (left != FLeftArrowState || right != FRightArrowState) {
            FLeftArrowState = left;
            FRightArrowState = right;
            DrawItems();
        }
    }
    if (FType == lvCheckDrop) {
        FCheckState = FCheckRect.contains(x, y) ? gsActive : gsNone;
        DrawItems();
    }
}

void TqZListView::MouseEnter()
{
    TGraphicControl::MouseEnter();
    if (!acceptMouseEnter(this))
        return;
    const QPoint p = mapFromGlobal(QCursor::pos());
    UpdateHoverStates(p.x(), p.y());
}

void TqZListView::MouseLeave()
{
    TGraphicControl::MouseLeave();
    if (!acceptMouseLeave(this))
        return;
    FLeftArrowState = FRightArrowState = FCheckState = gsNone;
    DrawItems();
}

// ---- drop-down popup

void TqZListView::ShowPopupForm()
{
    TPopupBaseForm *form = FPopupForm->Form();
    form->OnPopupOpen = [this](QObject *sender) { PopupFormOpen(sender); };
    form->OnPopupClose = [this](QObject *sender) { PopupFormClose(sender); };
    const QPoint at = mapToGlobal(QPoint(0, height()));
    const QPoint tl = mapToGlobal(QPoint(0, 0));
    const sRect exclude{tl.x(), tl.y(), tl.x() + width(), tl.y() + height()};
    form->ShowPopUp(at.x(), at.y(), &exclude);
}

void TqZListView::PopupFormOpen(QObject *)
{
    if (!FPopupForm)
        return;
    TqZListView *list = FPopupForm->ListView();
    list->SetModified(Modified());
    list->OnChange = [this](QObject *sender) { PopupListChange(sender); };
    list->OnModified = [this](QObject *sender) { PopupListModified(sender); };
}

void TqZListView::PopupListChange(QObject *)
{
    SetSelectIndex(GetSelectIndex());
    UpdateDisplayPosition(true);
    DoChange();
}

void TqZListView::PopupListModified(QObject *)
{
    if (FPopupForm)
        FModified = FPopupForm->ListView()->Modified();
}

void TqZListView::PopupFormClose(QObject *)
{
    if (!FPopupForm)
        return;
    if (FPopupForm->Form()->PopupResult() == kavrin::mrOk)
        DoChange();
    else
        SetSelectIndex(PopupOldIndex());
    UpdateDisplayPosition(true);
    TqZListView *list = FPopupForm->ListView();
    list->OnChange = nullptr;
    list->OnModified = nullptr;
    DestroyPopupForm();
}

void TqZListView::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    FDragging = false;
    FScrollTimer->stop();
    FDown = false;
    TGraphicControl::MouseUp(button, shift, x, y);
    DrawItems();
}

void TqZListView::UpdateHint(int X, int Y)
{
    const int index = GetIndexAt(X, Y);
    if (!IsValidIndex(index)) {
        setHint(QString());
        return;
    }
    if (index == FHintIndex && !hint().isEmpty())
        return;
    FHintIndex = index;
    QString name = GetItemName(index);
    if (name.isEmpty())
        name = kUndefined;
    setHint(QString::fromUtf8("%1|クリック: [ %2 ] を選択").arg(name, name));
}

// ---- drag and drop

void TqZListView::SetDragging(bool Value)
{
    FDragging = Value;
    if (Value)
        FScrollTimer->start();
    else
        FScrollTimer->stop();
}

void TqZListView::DragOver(QObject *source, QPoint pos, bool &accept)
{
    accept = false;
    if (OnDragOver) {
        OnDragOver(this, source, pos, accept);
        if (accept)
            return;
    }
    // Only views of exactly this class exchange items.
    auto *src = dynamic_cast<TqZListView *>(source);
    if (!src || typeid(*src) != typeid(*this))
        return;
    if (!FSupportCommand.contains(lvcDrop)) {
        FLastAccept = false;
        return;
    }
    GetDropIndexAt(pos.x(), pos.y());
    accept = GetAreaType(pos.x(), pos.y()) != kAreaOutside &&
             (src != this || AcceptDropItem(FDropIndex, src, src->FLastIndex));
    FLastAccept = accept;
    const TDragState state = TDragManager::instance().state();
    if (src == this && state == dsDragEnter)
        SetDragging(true);
    else
        SetDragging(state == dsDragMove);
    DrawItems();
    repaint();
}

void TqZListView::DragDrop(QObject *source, QPoint pos)
{
    if (OnDragDrop)
        OnDragDrop(this, source, pos);
    auto *src = dynamic_cast<TqZListView *>(source);
    if (!src || typeid(*src) != typeid(*this))
        return;
    const int Src = src->FLastIndex;
    GetDropIndexAt(pos.x(), pos.y());
    if (src == this) {
        if (AcceptDropItem(FDropIndex, this, Src) && Src != FDropIndex)
            MoveItem(FDropIndex, Src, true);
    } else {
        src->DuplicateItem(this, FDropIndex, Src, true);
    }
    FDropIndex = -1;
    SetDragging(false);
    DrawItems();
}
