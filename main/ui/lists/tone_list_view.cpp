#include "ui/lists/tone_list_view.h"

#include "ui/graphics/appearance.h"

#include <algorithm>
#include <utility>

std::unique_ptr<CPat8> copyPatternTile(const CPat8 &src)
{
    if (const auto *tone = dynamic_cast<const CPat8Tone *>(&src))
        return std::make_unique<CPat8Tone>(*tone);
    return std::make_unique<CPat8>(src);
}

TToneListView::TToneListView(QWidget *parent) : TSetListView(parent)
{
    FSupportTypes = {lvIconS, lvIconM, lvIconL, lvListS,     lvListM,
                     lvListL, lvText,  lvDrop,  lvCheckDrop, lvDropMulti};
    FBorder = FPadding = true;
    SetListType(lvIconM);
}

TToneListView::~TToneListView()
{
    DestroyPopupForm();
}

void TToneListView::Attach(CToneMngr *AManager)
{
    FManager = AManager;
    if (FSupportCommand.contains(lvcSelect))
        FLastIndex = GetSelectIndex();
    else
        FLastIndex = IsValidIndex(0) ? 0 : -1;
    ManagerBound();
}

CToneMngr *TToneListView::Detach()
{
    return UnbindManager();
}

// ---- items

CPat8 *TToneListView::GetItemRef(int AIndex) const
{
    return FManager ? dynamic_cast<CPat8 *>(FManager->getPattern(AIndex)) : nullptr;
}

void TToneListView::SetItem(int AIndex, const CPat8 &Item)
{
    CopyOver(GetItemRef(AIndex), Item);
}

CPat8 *TToneListView::GetSelectItemRef() const
{
    return FSupportCommand.contains(lvcSelect) && FManager ? FManager->getActiveTone() : nullptr;
}

void TToneListView::SetSelectItem(const CPat8 &Item)
{
    CopyOver(GetSelectItemRef(), Item);
}

bool TToneListView::AppendItem(std::unique_ptr<CPat8> Item, bool Updt)
{
    if (!FManager)
        return false;
    const int index = FManager->appendPattern(std::move(Item));
    return SelectPlaced(index >= 0, index, Updt);
}

bool TToneListView::InsertItem(int AIndex, std::unique_ptr<CPat8> Item, bool Updt)
{
    if (!IsValidIndex(AIndex))
        return AppendItem(std::move(Item), Updt);
    if (HasType(AIndex, lviFixedIndex))
        return false;
    return SelectPlaced(FManager->insertPattern(AIndex, std::move(Item)) >= 0, AIndex, Updt);
}

CPat8 *TToneListView::AliasRef() const
{
    if (!FManager || !FSupportCommand.contains(lvcSelect))
        return nullptr;
    return dynamic_cast<CPat8 *>(FManager->getModPat());
}

void TToneListView::SetAliasAttr(QPoint Offset, int Scale, bool Nega)
{
    CPat8 *tone = GetSelectItemRef();
    if (!tone)
        return;
    if (tone->ofs.x == Offset.x() && tone->ofs.y == Offset.y() && tone->zoom == Scale &&
        tone->Fnega == Nega)
        return;
    const bool rezoom = tone->zoom != Scale;
    tone->ofs = {Offset.x(), Offset.y()};
    tone->zoom = Scale;
    tone->Fnega = Nega;
    if (rezoom)
        FManager->makeModifiedTone();
    else
        FManager->updateModifiedPatParam();
    SetModified(true);
    DoChange();
}

// ---- the view's primitives

void TToneListView::SetSupportCommand(TListViewCommandTypes ACommand)
{
    ApplySupportCommand(ACommand, true);
}

int TToneListView::GetItemCount() const
{
    return FManager ? FManager->count() : 0;
}

bool TToneListView::IsValidIndex(int AIndex) const
{
    return FManager && FManager->isValidIndex(AIndex);
}

QString TToneListView::GetItemName(int AIndex) const
{
    const CPatObj *pat = FManager ? FManager->getPattern(AIndex) : nullptr;
    return pat ? pat->name() : QString();
}

void TToneListView::SetItemName(int AIndex, const QString &Name)
{
    if (!IsValidIndex(AIndex) || HasType(AIndex, lviFixedName) || GetItemName(AIndex) == Name)
        return;
    // The set renames the working copy too when the pattern is current.
    FManager->changeName(AIndex, Name);
    SetModified(true);
    DoChange();
}

int TToneListView::GetSelectIndex() const
{
    return FSupportCommand.contains(lvcSelect) && FManager ? FManager->getPatIdx() : -1;
}

void TToneListView::SetSelectIndex(int AIndex)
{
    if (!IsValidIndex(AIndex))
        return;
    if (FSupportCommand.contains(lvcSelect))
        FManager->setCurPat(AIndex);
    FLastIndex = AIndex;
    DoChange();
}

bool TToneListView::CreateItem(bool Updt)
{
    return RunEditor(listViewHooks().duplicateAndEditTone, Updt);
}

bool TToneListView::EditItemValue(int)
{
    return RunEditor(listViewHooks().showToneEditor, true);
}

bool TToneListView::CanDeleteItem(int Dst) const
{
    return TqZListView::CanDeleteItem(Dst) && GetItemCount() > 1;
}

bool TToneListView::DeleteItem(int Dst, bool Updt)
{
    return DeleteThrough(Dst, Updt, [&] { return FManager->deletePattern(Dst); });
}

bool TToneListView::DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt)
{
    return DuplicateInto<TToneListView>(DstView, Dst, Src, GetItemRef(Src), Updt,
                                        copyPatternTile);
}

// ---- popup

bool TToneListView::CreatePopupForm()
{
    return MakePopupForm(listViewHooks().createTonePopup, *this, FManager);
}

bool TToneListView::DestroyPopupForm()
{
    return FreePopupForm(listViewHooks().freeTonePopup);
}

void TToneListView::PopupListChange(QObject *Sender)
{
    if (FPopupForm)
        FPopupForm->ReadToneAttr();
    TqZListView::PopupListChange(Sender);
}

// ---- drawing

// The pattern's dark dots darken the cell colour, its white leaves it.
void TToneListView::DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                                    TListViewItemStatus State)
{
    const CPatObj *pat = FManager ? FManager->getPattern(AIndex) : nullptr;
    if (!pat || ARect.isEmpty())
        return;
    const int w = ARect.width(), h = ARect.height();
    if (State.contains(lviSelect) || State.contains(lviDragTarget))
        AImage.FillRectangle({ARect.left(), ARect.top(), ARect.left() + w, ARect.top() + h},
                             clWindow32(), blendCopy, blendCopy);
    if (!FToneWork.Resize(w, h))
        return;
    FToneWork.fillAll(0xFFFFFFFFu);
    pat->drawPreview(FToneWork, {0, 0, w, h});
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            FToneWork.seek32(x, y)->A = 255;
    AImage.BlendImage(ARect.left(), ARect.top(), w, h,
                      reinterpret_cast<const TColor32 *>(FToneWork.seek32(0, 0)), 0, 0, w, h,
                      blendMultiply, blendKeep);
}
