#include "ui/lists/list_commands.h"

void TListViewCommands::SetSelectIndex(int AIndex)
{
    if (!IsValidIndex(AIndex))
        return;
    if (FSupportCommand.contains(lvcSelect))
        FSelectIndex = AIndex;
    FLastIndex = AIndex;
    DoChange();
}

bool TListViewCommands::CanPutItem(int Dst) const
{
    return !HasType(NormalDst(Dst), lviFixedIndex);
}

bool TListViewCommands::CanMoveItem(int Dst, int Src) const
{
    Dst = NormalDst(Dst);
    return IsValidIndex(Src) && Src != Dst && Dst != Src + 1 && !HasType(Src, lviFixedIndex) &&
           !HasType(Dst, lviFixedIndex);
}

bool TListViewCommands::CanAppendItem(const TListViewCommands *SrcView, int Src) const
{
    return SrcView && SrcView->IsValidIndex(Src);
}

bool TListViewCommands::CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    Dst = NormalDst(Dst);
    return SrcView && SrcView->IsValidIndex(Src) && Src != Dst && Dst != Src + 1 &&
           !HasType(Dst, lviFixedIndex);
}

bool TListViewCommands::CanDeleteItem(int Dst) const
{
    return IsValidIndex(Dst) && !HasType(Dst, lviFixedIndex);
}

bool TListViewCommands::CanDuplicateItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    Dst = NormalDst(Dst);
    return !HasType(Dst, lviFixedIndex) && SrcView && SrcView->IsValidIndex(Src);
}

bool TListViewCommands::CanEditItem(int Dst) const
{
    return IsValidIndex(Dst) && !HasType(Dst, lviFixedValue);
}

bool TListViewCommands::CanDropItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    if (!SrcView || (SrcView->IsValidIndex(Src) && SrcView->GetItemType(Src).contains(lviDisableDrag)))
        return false;
    if (SrcView == this)
        return CanMoveItem(Dst, Src);
    if (IsValidIndex(Dst))
        return CanInsertItem(Dst, SrcView, Src);
    return CanAppendItem(SrcView, Src);
}

bool TListViewCommands::AcceptDropItem(int Dst, const TListViewCommands *SrcView, int Src) const
{
    return CanDropItem(Dst, SrcView, Src);
}

bool TListViewCommands::SelectItem(int Dst, bool Updt)
{
    if (!IsValidIndex(Dst))
        return false;
    SetSelectIndex(Dst);
    if (Updt)
        UpdateDisplayPosition(true);
    return true;
}

// The original is removed only after its copy exists: a failed copy changes nothing.
bool TListViewCommands::MoveItem(int Dst, int Src, bool Updt)
{
    const int count = GetItemCount();
    Dst = Dst < 0 ? 0 : (Dst > count ? count : Dst);
    if (!CanMoveItem(Dst, Src))
        return false;
    if (!DuplicateItem(this, Dst, Src, false))
        return false;
    const bool deleted = DeleteItem(Src >= Dst ? Src + 1 : Src, false);
    if (deleted)
        SelectItem(Src < Dst ? Dst - 1 : Dst, Updt);
    return deleted;
}

bool TListViewCommands::ReplaceItem(int Dst, int Src, bool Updt)
{
    if (Dst == Src || !IsValidIndex(Dst))
        return false;
    if (!DuplicateItem(this, Dst, Src, false))
        return false;
    if (Dst + 1 < GetItemCount())
        DeleteItem(Dst + 1, false);
    SelectItem(Dst, Updt);
    return true;
}

bool TListViewCommands::PutItem(int Dst, bool Updt)
{
    if (IsValidIndex(Dst))
        return ReplaceItem(Dst, FLastIndex, Updt);
    return DuplicateItem(this, Dst, FLastIndex, Updt);
}
