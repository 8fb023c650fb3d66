#pragma once

#include "ui/lists/list_types.h"

// The item commands and permission rules of a list view, free of any widget.
// A view answers the primitives (count, restrictions, delete, duplicate,
// select); the generic commands and the rules are built on them here and each
// view may narrow them.
class TListViewCommands
{
  public:
    virtual ~TListViewCommands() = default;

    // Primitives a view provides.
    virtual int GetItemCount() const { return 0; }
    virtual TListViewItemTypes GetItemType(int) const
    {
        return {lviDisableDrag, lviFixedIndex, lviFixedName, lviFixedValue};
    }
    virtual bool IsValidIndex(int AIndex) const { return AIndex >= 0 && AIndex < GetItemCount(); }
    virtual bool CreateItem(bool) { return false; }
    virtual bool DeleteItem(int, bool) { return false; }
    // Copies item Src of this view into DstView at Dst.
    virtual bool DuplicateItem(TListViewCommands *, int, int, bool) { return false; }
    virtual int GetSelectIndex() const { return FSelectIndex; }
    virtual void SetSelectIndex(int AIndex);
    virtual void UpdateDisplayPosition(bool) {}
    virtual void DoChange() {}

    // Permission rules.
    virtual bool CanPutItem(int Dst) const;
    virtual bool CanDropItem(int Dst, const TListViewCommands *SrcView, int Src) const;
    virtual bool CanMoveItem(int Dst, int Src) const;
    virtual bool CanAppendItem(const TListViewCommands *SrcView, int Src) const;
    virtual bool CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const;
    virtual bool CanDeleteItem(int Dst) const;
    virtual bool CanDuplicateItem(int Dst, const TListViewCommands *SrcView, int Src) const;
    virtual bool CanEditItem(int Dst) const;
    virtual bool AcceptDropItem(int Dst, const TListViewCommands *SrcView, int Src) const;

    // Generic commands.
    virtual bool SelectItem(int Dst, bool Updt);
    virtual bool ReplaceItem(int Dst, int Src, bool Updt);
    virtual bool MoveItem(int Dst, int Src, bool Updt);
    virtual bool PutItem(int Dst, bool Updt);
    bool DuplicateItem(int Dst, int Src, bool Updt) { return DuplicateItem(this, Dst, Src, Updt); }
    bool DuplicateItem(int Dst, bool Updt) { return DuplicateItem(this, Dst, FLastIndex, Updt); }
    bool DuplicateItem(TListViewCommands *DstView, int Dst, bool Updt)
    {
        return DuplicateItem(DstView, Dst, FLastIndex, Updt);
    }

    TListViewCommandTypes SupportCommand() const { return FSupportCommand; }
    int LastIndex() const { return FLastIndex; }
    void SetLastIndex(int AIndex) { FLastIndex = AIndex; }

  protected:
    // An invalid destination means "after the last item".
    int NormalDst(int Dst) const { return IsValidIndex(Dst) ? Dst : GetItemCount(); }
    bool HasType(int AIndex, TListViewItemType t) const
    {
        return IsValidIndex(AIndex) && GetItemType(AIndex).contains(t);
    }

    TListViewCommandTypes FSupportCommand;
    int FSelectIndex = -1;
    int FLastIndex = -1;
};
