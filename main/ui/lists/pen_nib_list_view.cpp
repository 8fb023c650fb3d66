#include "ui/lists/pen_nib_list_view.h"

#include "core/image/display_canvas.h"
#include "paint/brush/shape_image_param.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/brush_previews.h"

#include <QFontMetrics>

#include <algorithm>
#include <utility>

float nibIconScale(int side, float radius)
{
    const float r = float(side) / 2 - 1.5f;
    if (r < 1)
        return 0;
    return radius > r ? r / radius : 1.0f;
}

TPenNibListView::TPenNibListView(QWidget *parent)
    : TSetListView(parent), FAlias(std::make_unique<CPenShapeObj>()), FNibWork(clBtnFace32())
{
    FAlias->enable = true;
    FSupportTypes = {lvIconM, lvIconL, lvListM, lvListL, lvDrop, lvDropMulti};
    SetListType(lvIconM);
}

TPenNibListView::~TPenNibListView()
{
    DestroyPopupForm();
}

void TPenNibListView::Attach(CPenShapeMngr *AManager)
{
    FManager = AManager;
    FAliasSelected = !FManager || !FManager->isValid(FManager->curIndex());
    if (!IsValidIndex(0))
        FLastIndex = -1;
    else
        FLastIndex = FSupportCommand.contains(lvcSelect) ? GetSelectIndex() : 0;
    ManagerBound();
}

CPenShapeMngr *TPenNibListView::Detach()
{
    FLastIndex = -1;
    return UnbindManager();
}

void TPenNibListView::SetUseAlias(bool Value)
{
    if (Value == FUseAlias)
        return;
    const int s = GetSelectIndex();
    FUseAlias = Value;
    FAliasSelected = false;
    if (FManager) {
        SetSelectIndex(Value ? s + 1 : s - 1);
        DrawItems();
    }
}

void TPenNibListView::SetDrawRadius(bool Value)
{
    if (Value == FDrawRadius)
        return;
    FDrawRadius = Value;
    DrawItems();
}

void TPenNibListView::SetAlias(const CPenShapeObj &Item, bool Select)
{
    FAlias->copy(Item);
    if (Select && FUseAlias)
        SetSelectIndex(0);
    else
        DoChange();
    DrawItems();
}

// ---- items

CPenShapeObj *TPenNibListView::GetItemRef(int AIndex) const
{
    if (IsAliasItem(AIndex))
        return FAlias.get();
    return FManager ? FManager->getObj(SetIndexOf(AIndex)) : nullptr;
}

// The set is marked modified so that the change can be saved.
void TPenNibListView::SetItem(int AIndex, const CPenShapeObj &Item)
{
    CPenShapeObj *nib = GetItemRef(AIndex);
    if (!nib || !nib->copy(Item))
        return;
    if (nib != FAlias.get())
        FManager->setModified(true);
}

CPenShapeObj *TPenNibListView::GetSelectItemRef() const
{
    if (FSupportCommand.contains(lvcSelect) && !FAliasSelected && FManager)
        if (CPenShapeObj *nib = FManager->getCurObj())
            return nib;
    return FAlias.get();
}

void TPenNibListView::SetSelectItem(const CPenShapeObj &Item)
{
    CPenShapeObj *nib = GetSelectItemRef();
    nib->copy(Item);
    if (nib != FAlias.get())
        SetModified(true);
    DoChange();
}

bool TPenNibListView::AppendItem(std::unique_ptr<CPenShapeObj> Item, bool Updt)
{
    if (!FManager)
        return false;
    const int at = FManager->appendShape(std::move(Item));
    return SelectPlaced(at >= 0, FUseAlias ? at + 1 : at, Updt);
}

bool TPenNibListView::InsertItem(int AIndex, std::unique_ptr<CPenShapeObj> Item, bool Updt)
{
    if (!IsValidIndex(AIndex) || (FUseAlias && AIndex == 0 && !FManager))
        return AppendItem(std::move(Item), Updt);
    if (HasType(AIndex, lviFixedIndex) || !FManager)
        return false;
    return SelectPlaced(FManager->insertShape(SetIndexOf(AIndex), std::move(Item)) >= 0, AIndex,
                        Updt);
}

// ---- the view's primitives

int TPenNibListView::GetItemCount() const
{
    return (FUseAlias ? 1 : 0) + (FManager ? FManager->count() : 0);
}

bool TPenNibListView::IsValidIndex(int AIndex) const
{
    if (IsAliasItem(AIndex))
        return FAlias != nullptr;
    return FManager && FManager->isValid(SetIndexOf(AIndex));
}

TListViewItemTypes TPenNibListView::GetItemType(int AIndex) const
{
    if (IsAliasItem(AIndex))
        return {lviDisableDrag, lviFixedIndex, lviFixedName, lviFixedValue};
    return {lviFixedName};
}

QString TPenNibListView::GetItemName(int AIndex) const
{
    const CPenShapeObj *nib = GetItemRef(AIndex);
    if (!FManager || !nib)
        return QString::fromUtf8("未定義");
    return QString::fromUtf8("半径 %1px, 最小 %2%")
        .arg(QString::asprintf("%0.4g", double(nib->RealRadius())),
             QString::asprintf("%0.0f", double(nib->getRadiusMinSingle()) * 100));
}

int TPenNibListView::GetSelectIndex() const
{
    if (!FSupportCommand.contains(lvcSelect) || FAliasSelected)
        return 0;
    if (!FManager)
        return -1;
    return FManager->curIndex() + (FUseAlias ? 1 : 0);
}

void TPenNibListView::SetSelectIndex(int Value)
{
    if (!IsValidIndex(Value))
        return;
    if (FSupportCommand.contains(lvcSelect)) {
        if (FUseAlias) {
            FAliasSelected = Value == 0;
            if (Value > 0)
                FManager->setCurIndex(Value - 1);
        } else {
            FManager->setCurIndex(Value);
        }
    } else if (FUseAlias) {
        FAliasSelected = true;
    }
    FLastIndex = Value;
    DoChange();
}

bool TPenNibListView::CreateItem(bool Updt)
{
    return RunEditor(listViewHooks().duplicateAndEditPenNib, Updt);
}

bool TPenNibListView::EditItemValue(int)
{
    return RunEditor(listViewHooks().showPenNibEditor, true);
}

// The set keeps at least one nib.
bool TPenNibListView::CanDeleteItem(int Dst) const
{
    return TqZListView::CanDeleteItem(Dst) && GetItemCount() > (FUseAlias ? 2 : 1);
}

bool TPenNibListView::DeleteItem(int Dst, bool Updt)
{
    return DeleteThrough(Dst, Updt, [&] { return FManager->deleteShape(SetIndexOf(Dst)); });
}

bool TPenNibListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    if (!IsValidIndex(Src))
        return false;
    return DuplicateInto<TPenNibListView>(DstView, Dst, Src, GetItemRef(Src), Updt,
                                          [](const CPenShapeObj &src) {
                                              auto copy = std::make_unique<CPenShapeObj>();
                                              return copy->copy(src) ? std::move(copy) : nullptr;
                                          });
}

// ---- popup

bool TPenNibListView::CreatePopupForm()
{
    return MakePopupForm(listViewHooks().createPenNibPopup, *this, FManager, FAlias.get(), GetSelectIndex());
}

bool TPenNibListView::DestroyPopupForm()
{
    return FreePopupForm(listViewHooks().freePenNibPopup);
}

// ---- drawing

void TPenNibListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                      TListViewItemStatus State)
{
    const CPenShapeObj *nib = IsValidIndex(AIndex) ? GetItemRef(AIndex) : nullptr;
    if (!nib || ARect.isEmpty())
        return;
    const float radius = nib->RealRadius();
    const float scale = nibIconScale(std::min(ARect.width(), ARect.height()), radius);
    if (scale <= 0)
        return;
    const bool marked = State.contains(lviSelect) || State.contains(lviDragTarget);
    const int w = ARect.width(), h = ARect.height();
    FNibWork.setColor(marked ? clWindow32() : clBtnFace32());
    FNibWork.SetSize(w, h);
    FNibWork.Clear();
    TShapeImageParam p;
    initShapeImageParam(p);
    shapeObjToShapeImageParam(nib, p);
    drawBrushShape(FNibWork, p, clWindowText32(), clWindowText32(), true, scale);
    freeShapeImageParam(p);
    if (scale < 1 && FDrawRadius) {
        // Too large for the icon: print the radius in the bottom-right corner.
        const QString text = QString::asprintf("%1.0f", double(radius));
        const QFontMetrics metrics(FFont);
        const int tw = metrics.horizontalAdvance(text), th = metrics.height();
        sRect r{w - tw, h - th, w, h};
        TColor32 halo = clWindow32();
        halo.a = 204;
        FNibWork.FillEllipse(TPointSingle{float(r.x0 + r.x1) / 2 - 0.5f, float(r.y0 + r.y1) / 2 - 0.5f},
                             TPointSingle{float(tw) / 2, float(th) / 2}, 0,
                             halo, blendNormal, blendKeep);
        FNibWork.DrawText(text, r, FFont, clWindowText32(), DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    }
    AImage.Copy(ARect.left(), ARect.top(), w, h, FNibWork.Seek(0, 0), 0, 0, w, h);
    if (marked)
        AImage.DrawRectangle({ARect.left(), ARect.top(), ARect.left() + w, ARect.top() + h}, 1,
                             clHighlight32(), blendCopy, blendCopy);
}
