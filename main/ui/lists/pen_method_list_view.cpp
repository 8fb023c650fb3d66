#include "ui/lists/pen_method_list_view.h"

#include "paint/stroke/stroke.h"
#include "ui/graphics/brush_previews.h"

#include <QString>

#include <algorithm>
#include <utility>

TPenMethodListView::TPenMethodListView(QWidget *parent)
    : TSetListView(parent), FAliasParam(std::make_unique<TPaintParam>(TPaintMode::pmPencil5))
{
    FSupportTypes = {lvIconS, lvIconM, lvIconL, lvListS, lvListM,
                     lvListL, lvText,  lvDrop,  lvDropMulti};
    SetListType(lvIconM);
}

TPenMethodListView::~TPenMethodListView()
{
    DestroyPopupForm();
}

void TPenMethodListView::Attach(CPenMethodMngr *AManager, TStroke *AStroke,
                                PPenParamQZ2Array APenParams)
{
    FManager = AManager;
    FStroke = AStroke;
    FPenParams = APenParams;
    if (!IsValidIndex(0))
        FLastIndex = -1;
    else
        FLastIndex = FSupportCommand.contains(lvcSelect) ? GetSelectIndex() : 0;
    ManagerBound();
}

CPenMethodMngr *TPenMethodListView::Detach()
{
    FStroke = nullptr;
    FPenParams = nullptr;
    FLastIndex = -1;
    return UnbindManager();
}

// ---- positions among a method kind

int TPenMethodListView::KindCount(TPenMethodType kind) const
{
    int n = 0;
    for (int i = 0; FManager && i < FManager->count(); ++i)
        n += getPenMethodType(*FManager->getObj(i)) == kind;
    return n;
}

int TPenMethodListView::SetIndexOf(int k) const
{
    if (!FManager || k < 0)
        return -1;
    if (FShowAll)
        return FManager->isValid(k) ? k : -1;
    for (int i = 0; i < FManager->count(); ++i)
        if (getPenMethodType(*FManager->getObj(i)) == FPenMtdType && k-- == 0)
            return i;
    return -1;
}

int TPenMethodListView::PositionOf(int i) const
{
    const CPenMethodObj *method = FManager ? FManager->getObj(i) : nullptr;
    if (!method)
        return -1;
    const TPenMethodType kind = getPenMethodType(*method);
    int n = 0;
    for (int j = 0; j < i; ++j)
        n += getPenMethodType(*FManager->getObj(j)) == kind;
    return n;
}

// ---- mode and level

TPaintMode TPenMethodListView::PaintMode() const
{
    return getPaintMode(FPaintLevel, FPenMtdType, FPenParamType);
}

void TPenMethodListView::SetMethodType(TPenMethodType kind)
{
    if (kind == FPenMtdType)
        return;
    FPenMtdType = kind;
    if (OnChangePaintMode)
        OnChangePaintMode(this);
}

void TPenMethodListView::ReadAliasFromSelection()
{
    if (IsLegacy()) {
        SPenParamQZ2 slot;
        if (GetPenParamQZ2(FPenParamIndexs[size_t(FPenParamType)], slot))
            FAliasParam->Read(slot);
        return;
    }
    if (const CPenMethodObj *method = GetPenMtdObjRef(GetSelectIndex()))
        FAliasParam->Read(method);
}

void TPenMethodListView::SetPaintMode(TPaintMode Value)
{
    // The kinds index per-kind tables: a value from outside the modes changes nothing.
    if (!isValidPaintMode(Value))
        return;
    FPaintLevel = paintModeToLevel(Value);
    if (IsLegacy()) {
        FPenParamType = paintModeToPenParamType(Value);
        FAliasParam->SetDefaultParam(Value);
        ReadAliasFromSelection();
    } else {
        SetMethodType(paintModeToMethodType(Value));
        FAliasParam->SetDefaultParam(Value); // what stays when no method is bound
        ReadAliasFromSelection();
    }
    SetSelectIndex(GetSelectIndex());
    UpdateDisplayPosition(true);
    DoChange();
}

void TPenMethodListView::SetPaintLevel(TPaintLevel Value)
{
    if (Value == FPaintLevel || uint8_t(Value) > uint8_t(TPaintLevel::pl5))
        return;
    FPaintLevel = Value;
    DoChange();
}

void TPenMethodListView::SetShowAll(bool Value)
{
    if (Value == FShowAll || IsLegacy())
        return;
    FShowAll = Value;
    UpdateDisplayPosition(true);
}

// ---- the alias

void TPenMethodListView::AliasChanged(bool toStroke)
{
    if (toStroke && IsLegacy() && FStroke)
        FAliasParam->Write(*FStroke);
    DoChange();
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, float Value)
{
    TPaintParam &a = *FAliasParam;
    switch (AType) {
    case TPaintParamType::ppDensity: a.setDensity(Value); break;
    case TPaintParamType::ppSpace: a.setSpace(Value); break;
    case TPaintParamType::ppEffect1: a.setEffect1(Value); break;
    case TPaintParamType::ppEffect2: a.setEffect2(Value); break;
    case TPaintParamType::ppEffect3: a.setEffect3(Value); break;
    case TPaintParamType::ppPrsGamma: a.setPrsGamma(Value); break;
    case TPaintParamType::ppSmoothLevel: a.setSmoothLevel(int32_t(std::lround(Value))); break;
    case TPaintParamType::ppRadius: a.setRadius(Value); break;
    case TPaintParamType::ppMinRadius: a.setMinRadius(Value); break;
    case TPaintParamType::ppAspect: a.setAspect(Value); break;
    case TPaintParamType::ppRotation: a.setRotation(Value); break;
    case TPaintParamType::ppFlat: a.setFlat(Value); break;
    case TPaintParamType::ppAdd: a.setAdd(Value); break;
    case TPaintParamType::ppShapeImage: a.setShapeImageScale(Value); break;
    default: break;
    }
    AliasChanged(true);
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, bool Value)
{
    TPaintParam &a = *FAliasParam;
    switch (AType) {
    case TPaintParamType::ppPrsDensity: a.setPrsDensity(Value); break;
    case TPaintParamType::ppPrsRadius: a.setPrsRadius(Value); break;
    case TPaintParamType::ppUseGradient: a.setUseGradient(Value); break;
    case TPaintParamType::ppUseTone: a.setUseTone(Value); break;
    case TPaintParamType::ppSmoothEdge: a.setSmoothEdge(Value); break;
    case TPaintParamType::ppDigitize: a.setDigitize(Value); break;
    default: break;
    }
    AliasChanged(true);
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, const QString &Value)
{
    if (AType == TPaintParamType::ppItemName)
        FAliasParam->setItemName(Value);
    AliasChanged(true);
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, TPaintAirMap Value)
{
    if (AType == TPaintParamType::ppAirMap)
        FAliasParam->setAirMap(Value);
    AliasChanged(true);
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, const TMTC *Value)
{
    if (AType == TPaintParamType::ppUserIcon)
        FAliasParam->SetIconImage(Value);
    AliasChanged(false);
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, const TChannel *Value)
{
    if (AType == TPaintParamType::ppShapeImage)
        FAliasParam->SetShapeImage(Value);
    AliasChanged(false);
}

void TPenMethodListView::SetAliasParam(TPaintParamType AType, TInterpolateType Value)
{
    if (AType == TPaintParamType::ppInterpolateType)
        FAliasParam->setInterpolateType(Value);
    AliasChanged(false);
}

void TPenMethodListView::SetAliasShape(const CPenShapeObj *AShape)
{
    FAliasParam->Read(AShape);
    DoChange();
}

bool TPenMethodListView::SaveAlias()
{
    if (!FManager)
        return true;
    if (IsLegacy()) {
        const int slot = GetSelectIndex();
        if (FPenParams && slot >= 0 && slot < kPenSlotQZ2Count)
            FAliasParam->Write((*FPenParams)[size_t(FPenParamType)][slot]);
        return true;
    }
    if (CPenMethodObj *method = GetPenMtdObjRef(GetSelectIndex())) {
        FAliasParam->Write(method);
        SetModified(true);
        DoChange();
    }
    return true;
}

// ---- items

CPenMethodObj *TPenMethodListView::GetPenMtdObjRef(int AIndex) const
{
    const int i = SetIndexOf(AIndex);
    return i >= 0 ? FManager->getObj(i) : nullptr;
}

bool TPenMethodListView::GetPenParamQZ2(int AIndex, SPenParamQZ2 &Param) const
{
    if (!FPenParams || AIndex < 0 || AIndex >= kPenSlotQZ2Count)
        return false;
    Param = (*FPenParams)[size_t(FPenParamType)][AIndex];
    return true;
}

void TPenMethodListView::SortItemByName(bool Desc, bool Updt)
{
    if (!FManager)
        return;
    FManager->sortItems([Desc](const CPenMethodObj &a, const CPenMethodObj &b) {
        const int c = QString::localeAwareCompare(a.methodName, b.methodName);
        return Desc ? c > 0 : c < 0;
    });
    if (!IsLegacy()) {
        SetModified(true);
        DoChange();
    }
    if (Updt)
        DrawItems();
}

bool TPenMethodListView::AppendItem(std::unique_ptr<CPenMethodObj> Item, bool Updt)
{
    if (!FManager)
        return false;
    const int n = GetItemCount();
    if (FManager->appendMethod(std::move(Item)) < 0)
        return false;
    if (!IsLegacy())
        SetModified(true);
    SelectItem(n, Updt);
    return true;
}

bool TPenMethodListView::InsertItem(int AIndex, std::unique_ptr<CPenMethodObj> Item, bool Updt)
{
    if (!IsValidIndex(AIndex))
        return AppendItem(std::move(Item), Updt);
    const int at = SetIndexOf(AIndex);
    if (HasType(AIndex, lviFixedIndex) || at < 0 || FManager->insertMethod(at, std::move(Item)) != at)
        return false;
    if (!IsLegacy())
        SetModified(true);
    SelectItem(AIndex, Updt);
    return true;
}

// ---- the view's primitives

int TPenMethodListView::GetItemCount() const
{
    if (IsLegacy())
        return kPenSlotQZ2Count;
    if (!FManager)
        return 0;
    return FShowAll ? FManager->count() : KindCount(FPenMtdType);
}

bool TPenMethodListView::IsValidIndex(int AIndex) const
{
    if (FShowAll && !IsLegacy())
        return FManager && FManager->isValid(AIndex);
    return TqZListView::IsValidIndex(AIndex);
}

TListViewItemTypes TPenMethodListView::GetItemType(int) const
{
    if (IsLegacy())
        return {lviFixedIndex, lviFixedName};
    return {};
}

QString TPenMethodListView::GetItemName(int AIndex) const
{
    if (IsLegacy())
        return {};
    const CPenMethodObj *method = GetPenMtdObjRef(AIndex);
    return method ? method->methodName : QString();
}

void TPenMethodListView::SetItemName(int AIndex, const QString &Name)
{
    CPenMethodObj *method = IsLegacy() ? nullptr : GetPenMtdObjRef(AIndex);
    if (!method || method->methodName == Name)
        return;
    method->methodName = Name;
    SetModified(true);
    DoChange();
}

int TPenMethodListView::GetSelectIndex() const
{
    if (!FSupportCommand.contains(lvcSelect))
        return -1;
    if (IsLegacy())
        return FPenParamIndexs[size_t(FPenParamType)];
    if (!FManager)
        return -1;
    if (FShowAll)
        return FManager->curIndex();
    const CPenMethodObj *current = FManager->getCurObj();
    if (current && getPenMethodType(*current) == FPenMtdType)
        return PositionOf(FManager->curIndex());
    const int remembered = FPenMtdIndexs[size_t(FPenMtdType)];
    return remembered < KindCount(FPenMtdType) ? remembered : 0;
}

void TPenMethodListView::SetSelectIndex(int AIndex)
{
    if (!IsValidIndex(AIndex))
        return;
    if (FSupportCommand.contains(lvcSelect)) {
        if (IsLegacy()) {
            FPenParamIndexs[size_t(FPenParamType)] = AIndex;
            ReadAliasFromSelection();
            if (FStroke)
                FAliasParam->Write(*FStroke);
        } else if (FManager) {
            if (FShowAll) {
                FManager->setCurIndex(AIndex);
                const TPenMethodType kind = getPenMethodType(*FManager->getObj(AIndex));
                if (int(kind) < kPenMethodTypeCount) {
                    FPenMtdIndexs[size_t(kind)] = PositionOf(AIndex);
                    SetMethodType(kind);
                }
            } else {
                FPenMtdIndexs[size_t(FPenMtdType)] = AIndex;
                FManager->setCurIndex(SetIndexOf(AIndex));
            }
            ReadAliasFromSelection();
        }
    }
    FLastIndex = AIndex;
    DoChange();
}

bool TPenMethodListView::CreateItem(bool Updt)
{
    return RunEditor(listViewHooks().duplicateAndEditPenMethod, Updt);
}

bool TPenMethodListView::EditItemValue(int)
{
    return RunEditor(listViewHooks().showPenMethodEditor, true);
}

bool TPenMethodListView::CanDeleteItem(int Dst) const
{
    if (IsLegacy() || !IsValidIndex(Dst))
        return false;
    const CPenMethodObj *method = GetPenMtdObjRef(Dst);
    return method && KindCount(getPenMethodType(*method)) > 1;
}

bool TPenMethodListView::DeleteItem(int Dst, bool Updt)
{
    return DeleteThrough(Dst, Updt, [&] { return FManager->deleteMethod(SetIndexOf(Dst)); });
}

bool TPenMethodListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    return DuplicateInto<TPenMethodListView>(DstView, Dst, Src, GetPenMtdObjRef(Src), Updt,
                                             [](const CPenMethodObj &src) {
                                                 return std::make_unique<CPenMethodObj>(src);
                                             });
}

// ---- popup

bool TPenMethodListView::CreatePopupForm()
{
    return !IsLegacy() && MakePopupForm(listViewHooks().createPenMethodPopup, *this, FManager);
}

bool TPenMethodListView::DestroyPopupForm()
{
    return FreePopupForm(listViewHooks().freePenMethodPopup);
}

void TPenMethodListView::PopupListChange(QObject *Sender)
{
    if (FPopupForm)
        if (auto *list = dynamic_cast<TPenMethodListView *>(FPopupForm->ListView()))
            SetMethodType(list->PenMtdType());
    TqZListView::PopupListChange(Sender);
}

// The popup lists every method: its index is a set index.
int TPenMethodListView::PopupOldIndex() const
{
    const int old = TqZListView::PopupOldIndex();
    return FShowAll ? old : PositionOf(old);
}

// ---- drawing

void TPenMethodListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                         TListViewItemStatus)
{
    if (!IsValidIndex(AIndex) || ARect.isEmpty())
        return;
    bool made = false;
    std::unique_ptr<TPaintParam> param;
    if (IsLegacy()) {
        SPenParamQZ2 slot;
        if (GetPenParamQZ2(AIndex, slot))
            param = std::make_unique<TPaintParam>(slot, PaintMode(), made);
    } else if (const CPenMethodObj *method = GetPenMtdObjRef(AIndex)) {
        param = std::make_unique<TPaintParam>(method, made);
    }
    if (param && made)
        DrawIcon(*param, AImage,
                 {ARect.left(), ARect.top(), ARect.left() + ARect.width(),
                  ARect.top() + ARect.height()});
}
