#include "ui/lists/swatch_list_view.h"

#include "ui/colour/colour_model.h"

#include <algorithm>
#include <utility>

TSwatchListView::TSwatchListView(QWidget *parent)
    : TSetListView(parent),
      FOwnManager(std::make_unique<TSwatchMngr>()),
      FSelectItem(makeColor32(0, 0, 0, 255))
{
    FManager = FOwnManager.get();
    static const int sides[] = {12, 16, 24, 20, 24, 24, 20, 32, 32, 32};
    for (int t = 0; t < kListViewTypeCount; ++t)
        FItemSizes[size_t(t)] = QSize(sides[t], sides[t]);
    FSupportTypes = {lvIconS, lvIconM, lvIconL, lvListS, lvListM, lvListL, lvText};
    FBorder = FPadding = false;
    SetListType(lvIconS);
}

TSwatchListView::~TSwatchListView()
{
    DestroyPopupForm();
}

bool TSwatchListView::CreatePopupForm()
{
    return MakePopupForm(listViewHooks().createSwatchPopup, *this, FManager);
}

bool TSwatchListView::DestroyPopupForm()
{
    return FreePopupForm(listViewHooks().freeSwatchPopup);
}

void TSwatchListView::TellManagerSizes()
{
    const QSize s = GetItemSize();
    FManager->setItemSize({s.width(), s.height()});
    const TListGeometry g = Geometry();
    FManager->setRepeatSize({g.Columns(), g.VisibleRows()});
}

void TSwatchListView::Attach(TSwatchMngr *AManager)
{
    if (!AManager)
        return;
    if (AManager != FManager)
        FManager = AManager;
    TellManagerSizes();
    FLastIndex = 0;
    if (FSupportCommand.contains(lvcSelect))
        SetSelectIndex(0);
    UpdateDisplayPosition(true);
    DrawButton();
    if (OnChangeManager)
        OnChangeManager(this);
}

TSwatchMngr *TSwatchListView::Detach()
{
    TSwatchMngr *old = FManager;
    if (old == FOwnManager.get()) {
        // The view's own manager is never handed out: give back nothing to free.
        return nullptr;
    }
    FOwnManager = std::make_unique<TSwatchMngr>();
    FManager = FOwnManager.get();
    return old;
}

void TSwatchListView::SetBounds(int left, int top, int width, int height)
{
    TqZListView::SetBounds(left, top, width, height);
    if (FManager)
        TellManagerSizes();
}

void TSwatchListView::SetItemSize(QSize ASize)
{
    TqZListView::SetItemSize(ASize);
    if (FManager)
        TellManagerSizes();
}

void TSwatchListView::SetSupportCommand(TListViewCommandTypes ACommand)
{
    ApplySupportCommand(ACommand, false);
}

QString TSwatchListView::GetItemName(int AIndex) const
{
    const TSwatchItem *item = FManager->GetItem(AIndex);
    if (!item)
        return {};
    return QString::asprintf("R %3.3d, G %3.3d, B %3.3d", item->FColor.r, item->FColor.g, item->FColor.b);
}

TColor32 TSwatchListView::SelectColor() const
{
    if (FSupportCommand.contains(lvcSelect)) {
        const TSwatchItem *item = FManager->GetItem(GetSelectIndex());
        return item ? item->FColor : TColor32{};
    }
    return FSelectItem;
}

// The recolour marks the set modified, so it can be saved.
void TSwatchListView::SetSelectColor(TColor32 Value)
{
    if (!FSupportCommand.contains(lvcSelect)) {
        FSelectItem = Value;
        return;
    }
    TSwatchItem *item = FManager->GetItem(GetSelectIndex());
    if (!item)
        return;
    item->FColor = Value;
    FManager->setModified(true);
    DrawItems();
    DoChange();
}

bool TSwatchListView::InsertItem(int AIndex, TColor32 Item, bool Updt)
{
    const bool ok = FManager->InsertItem(AIndex, Item);
    SetModified(true);
    SelectItem(AIndex, Updt);
    return ok;
}

void TSwatchListView::DoPutItem(TColor32 &Item) const
{
    if (OnPutItem) {
        OnPutItem(const_cast<TSwatchListView *>(this), Item);
        return;
    }
    if (FSupportCommand.contains(lvcSelect)) {
        const TSwatchItem *item = FManager->GetItem(GetSelectIndex());
        Item = item ? item->FColor : TColor32{};
        return;
    }
    Item = TColor32{};
}

bool TSwatchListView::CreateItem(TColor32 initColor, bool Updt)
{
    TColorPickerValue value;
    color32ToColorPickerValue(initColor, value);
    if (!executeColorPickerDialog(value))
        return false;
    return InsertItem(GetItemCount(), colorPickerValueToColor32(value, 255), Updt);
}

bool TSwatchListView::CreateItem(bool Updt)
{
    TColorPickerValue value;
    color32ToColorPickerValue(makeColor32(0, 0, 0, 255), value);
    value.space = cpHSV;
    if (!executeColorPickerDialog(value))
        return false;
    return InsertItem(GetItemCount(), colorPickerValueToColor32(value, 255), Updt);
}

void TSwatchListView::Reselect(int deleted, int selected, bool Updt)
{
    const int next = NextAfterDelete(deleted, selected);
    if (FSupportCommand.contains(lvcSelect))
        SelectItem(next, Updt);
    else {
        FLastIndex = next;
        UpdateDisplayPosition(true);
    }
}

bool TSwatchListView::DeleteItem(int Dst, bool Updt)
{
    const int selected = FSupportCommand.contains(lvcSelect) ? GetSelectIndex() : FLastIndex;
    if (!FManager->DeleteItem(Dst))
        return false;
    SetModified(true);
    Reselect(Dst, selected, Updt);
    return true;
}

bool TSwatchListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    auto *dst = dynamic_cast<TSwatchListView *>(DstView);
    const TSwatchItem *item = FManager->GetItem(Src);
    if (!dst || !item)
        return false;
    return dst->InsertItem(std::clamp(Dst, 0, dst->GetItemCount()), item->FColor, Updt);
}

bool TSwatchListView::PutItem(int Dst, bool Updt)
{
    if (!IsValidIndex(Dst))
        Dst = GetItemCount();
    FLastIndex = Dst;
    TColor32 colour{};
    DoPutItem(colour);
    const bool ok = InsertItem(Dst, colour, true);
    if (FSupportCommand.contains(lvcSelect))
        SelectItem(Dst, true);
    if (Updt)
        UpdateDisplayPosition(true);
    return ok;
}

bool TSwatchListView::EditItemValue(int AIndex)
{
    TSwatchItem *item = FManager->GetItem(AIndex);
    if (!item)
        return false;
    TColorPickerValue value;
    color32ToColorPickerValue(item->FColor, value);
    if (!executeColorPickerDialog(value))
        return false;
    SetModified(true);
    item->FColor = colorPickerValueToColor32(value, 255);
    DoChange();
    DrawItems();
    return true;
}

void TSwatchListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                      TListViewItemStatus State)
{
    const TSwatchItem *item = FManager->GetItem(AIndex);
    if (!item)
        return;
    const sRect r{ARect.left(), ARect.top(), ARect.left() + ARect.width(), ARect.top() + ARect.height()};
    AImage.FillRectangle(r, item->FColor, blendCopy, blendKeep);
    if (State.contains(lviSelect)) {
        TColor32 inv = item->FColor;
        inv.r = uint8_t(255 - inv.r);
        inv.g = uint8_t(255 - inv.g);
        inv.b = uint8_t(255 - inv.b);
        AImage.DrawRectangle(r, 1, inv, blendCopy, blendKeep);
    }
}
