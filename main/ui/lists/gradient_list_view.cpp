#include "ui/lists/gradient_list_view.h"

#include "paint/gradient/gradation.h"
#include "platform/desktop/messages.h"
#include "ui/graphics/appearance.h"

#include <algorithm>
#include <utility>

namespace {

sRect toS(const QRect &r)
{
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

} // namespace

sRGBA stopColorOf(TColor32 c)
{
    return makeRGBA(c.r, c.g, c.b, 255);
}

TGradientListView::TGradientListView(QWidget *parent) : TSetListView(parent)
{
    FSupportTypes = {lvIconS, lvIconM, lvIconL, lvListS,     lvListM,
                     lvListL, lvText,  lvDrop,  lvCheckDrop, lvDropMulti};
    FUseCheckBoard = true;
    FBorder = FPadding = true;
    SetListType(lvIconM);
}

TGradientListView::~TGradientListView()
{
    DestroyPopupForm();
}

void TGradientListView::Attach(CGradMngr *AManager)
{
    FManager = AManager;
    if (FSupportCommand.contains(lvcSelect))
        FLastIndex = GetSelectIndex();
    else
        FLastIndex = IsValidIndex(0) ? 0 : -1;
    if (FManager)
        SetCommonAttr(FManager->CommonAttr());
    ManagerBound();
}

CGradMngr *TGradientListView::Detach()
{
    FLastIndex = -1;
    return UnbindManager();
}

// ---- common attribute

SGradAttr TGradientListView::CommonAttr() const
{
    SGradAttr a;
    initGradAttr(a);
    a.enbAttr = false;
    static const uint8_t types[] = {gtLinear, gtRot, gtGrade};
    a.gradType = types[FCommonType];
    a.gradMap = FCommonRound ? gmReturn : gmNormal;
    a.gradRep = FCommonInfinity ? grEndless : grTimes;
    a.gradRepCnt = FCommonRepeat;
    return a;
}

void TGradientListView::SetCommonAttr(const SGradAttr &Value)
{
    switch (Value.gradType) {
    case gtRot:
        FCommonType = gtRadial;
        break;
    case gtGrade:
        FCommonType = gtCircular;
        break;
    default:
        FCommonType = gtStandard;
        break;
    }
    FCommonRound = Value.gradMap == gmReturn;
    FCommonInfinity = Value.gradRep == grEndless;
    FCommonRepeat = Value.gradRepCnt;
    // The set stores what the view shows: fields out of range as their defaults.
    SGradAttr stored = CommonAttr();
    stored.enbAttr = Value.enbAttr;
    if (FManager)
        FManager->setCommonAttr(stored);
    DrawItems();
    DoChange();
}

void TGradientListView::SetCommonType(TGradientType Value)
{
    if (Value == FCommonType)
        return;
    FCommonType = Value > gtCircular ? gtStandard : Value;
    DrawItems();
}

void TGradientListView::SetCommonRound(bool Value)
{
    if (Value == FCommonRound)
        return;
    FCommonRound = Value;
    DrawItems();
}

void TGradientListView::SetCommonInfinity(bool Value)
{
    if (Value == FCommonInfinity)
        return;
    FCommonInfinity = Value;
    DrawItems();
}

void TGradientListView::SetCommonRepeat(int Value)
{
    if (Value == FCommonRepeat)
        return;
    FCommonRepeat = Value;
    DrawItems();
}

bool TGradientListView::SetColor(TColor32 Foreground, TColor32 BackGround)
{
    if (!FManager || FManager->count() <= 0)
        return false;
    // setColors remakes the working copy itself.
    FManager->setColors(stopColorOf(Foreground), stopColorOf(BackGround));
    DrawItems();
    DoChange();
    return true;
}

// ---- items

CGradObj *TGradientListView::GetItemRef(int AIndex) const
{
    return FManager ? FManager->getGrad(AIndex) : nullptr;
}

void TGradientListView::SetItem(int AIndex, const CGradObj &Item)
{
    CopyOver(GetItemRef(AIndex), Item);
}

CGradObj *TGradientListView::GetSelectItemRef() const
{
    return FSupportCommand.contains(lvcSelect) && FManager ? FManager->getActiveGrad() : nullptr;
}

void TGradientListView::SetSelectItem(const CGradObj &Item)
{
    if (FSupportCommand.contains(lvcSelect))
        SetItem(GetSelectIndex(), Item);
}

bool TGradientListView::AppendItem(std::unique_ptr<CGradObj> Item, bool Updt)
{
    if (!FManager)
        return false;
    const int index = FManager->appendGrad(std::move(Item));
    return SelectPlaced(index >= 0, index, Updt);
}

bool TGradientListView::InsertItem(int AIndex, std::unique_ptr<CGradObj> Item, bool Updt)
{
    if (!IsValidIndex(AIndex))
        return AppendItem(std::move(Item), Updt);
    if (HasType(AIndex, lviFixedIndex))
        return false;
    return SelectPlaced(FManager->insertGrad(AIndex, std::move(Item)) >= 0, AIndex, Updt);
}

CGradObj *TGradientListView::AliasRef() const
{
    return FManager ? FManager->getModGrad() : nullptr;
}

CColorSlotGroup *TGradientListView::AliasCSGRef() const
{
    const CGradObj *alias = AliasRef();
    return alias ? alias->crsg.get() : nullptr;
}

SGradAttr TGradientListView::AliasAttr() const
{
    if (const CGradObj *alias = AliasRef())
        return alias->attr;
    SGradAttr a;
    initGradAttr(a);
    return a;
}

void TGradientListView::SetAliasAttr(const SGradAttr &attr)
{
    CGradObj *selected = GetSelectItemRef();
    CGradObj *alias = AliasRef();
    if (!selected || !alias)
        return;
    if (!FManager->changeModGradAttr(attr, true)) {
        showWarning(QString::fromUtf8("操作に失敗しました！"));
        return;
    }
    if (attr.enbAttr) {
        selected->copyGradAttr(alias->attr);
        DrawItems();
        DoChange();
    } else {
        selected->copyGradAttr(attr);
        SetCommonAttr(attr);
    }
}

// ---- the view's primitives

void TGradientListView::SetSupportCommand(TListViewCommandTypes ACommand)
{
    ApplySupportCommand(ACommand, true);
}

int TGradientListView::GetItemCount() const
{
    return FManager ? FManager->count() : 0;
}

bool TGradientListView::IsValidIndex(int AIndex) const
{
    return FManager && FManager->isValidIndex(AIndex);
}

TListViewItemTypes TGradientListView::GetItemType(int AIndex) const
{
    if (!FManager || IsSpecial(AIndex))
        return {lviDisableDrag, lviFixedIndex, lviFixedName, lviFixedValue};
    if (FManager->hasSpecialGrad() && FManager->count() <= 1)
        return {lviFixedIndex};
    return {};
}

QString TGradientListView::GetItemName(int AIndex) const
{
    const CGradObj *grad = GetItemRef(AIndex);
    return grad ? grad->crsg->name : QString();
}

void TGradientListView::SetItemName(int AIndex, const QString &Name)
{
    CGradObj *grad = GetItemRef(AIndex);
    if (!grad || HasType(AIndex, lviFixedName) || grad->crsg->name == Name)
        return;
    grad->crsg->setName(Name);
    SetModified(true);
    DoChange();
}

int TGradientListView::GetSelectIndex() const
{
    return FSupportCommand.contains(lvcSelect) && FManager ? FManager->getGradIdx() : -1;
}

void TGradientListView::SetSelectIndex(int AIndex)
{
    if (!IsValidIndex(AIndex))
        return;
    if (FSupportCommand.contains(lvcSelect))
        FManager->setCurGrad(AIndex);
    FManager->makeModifiedGrad();
    FLastIndex = AIndex;
    DoChange();
}

bool TGradientListView::CreateItem(bool Updt)
{
    return RunEditor(listViewHooks().duplicateAndEditGradient, Updt);
}

bool TGradientListView::EditItemValue(int)
{
    return RunEditor(listViewHooks().showGradientEditor, true);
}

bool TGradientListView::CanDeleteItem(int Dst) const
{
    return TqZListView::CanDeleteItem(Dst) && GetItemCount() > 1 && !IsSpecial(Dst);
}

bool TGradientListView::DeleteItem(int Dst, bool Updt)
{
    return DeleteThrough(Dst, Updt, [&] { return FManager->deleteGrad(Dst); });
}

bool TGradientListView::CanMoveItem(int Dst, int Src) const
{
    return TqZListView::CanMoveItem(Dst, Src) && !IsSpecial(Dst);
}

bool TGradientListView::CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    return TqZListView::CanInsertItem(Dst, SrcView, Src) && !IsSpecial(Dst);
}

bool TGradientListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    return DuplicateInto<TGradientListView>(DstView, Dst, Src, GetItemRef(Src), Updt,
                                            [](const CGradObj &src) {
                                                return std::make_unique<CGradObj>(src);
                                            });
}

// ---- popup

bool TGradientListView::CreatePopupForm()
{
    return MakePopupForm(listViewHooks().createGradientPopup, *this, FManager);
}

bool TGradientListView::DestroyPopupForm()
{
    return FreePopupForm(listViewHooks().freeGradientPopup);
}

void TGradientListView::PopupListChange(QObject *Sender)
{
    if (FPopupForm)
        FPopupForm->ReadGradAttr();
    TqZListView::PopupListChange(Sender);
}

// ---- drawing

void TGradientListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                        TListViewItemStatus State)
{
    const CGradObj *grad = GetItemRef(AIndex);
    if (!grad || ARect.isEmpty() || !FGradWork.Resize(ARect.width(), ARect.height()))
        return;
    const SGradAttr attr = grad->attr.enbAttr && !IsSpecial(AIndex) ? grad->attr : CommonAttr();
    if (!drawGradObjPreview(FGradWork, *grad, attr))
        return;
    AImage.Copy(ARect.left(), ARect.top(), ARect.width(), ARect.height(),
                reinterpret_cast<const TColor32 *>(FGradWork.seek32(0, 0)), 0, 0, ARect.width(),
                ARect.height());
    if (State.contains(lviSelect) || State.contains(lviDragTarget))
        AImage.DrawRectangle(toS(ARect), 2, clHighlight32(), blendCopy, blendCopy);
}
