// What the preset list views share: the items, their modified flag and usually the selection live
// in a bound set (not owned), and the popups and editors open through the installed hooks. The
// concrete views keep what differs: how list positions map to the set and what an item is.
#pragma once

#include "ui/lists/list_view.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>

template <class TMngr>
class TSetListView : public TqZListView
{
  public:
    using TqZListView::TqZListView;

    TMngr *Manager() const { return FManager; }

    // Without a set the flag is the view's own.
    bool Modified() const override { return FManager ? FManager->Modified() : FModified; }
    void SetModified(bool Value) override
    {
        if (FManager)
            FManager->setModified(Value);
        else
            FModified = Value;
        if (OnModified)
            OnModified(this);
    }

    TNotifyEvent OnChangeManager;

  protected:
    // Redraws after a set was bound and tells the owner.
    void ManagerBound()
    {
        DrawButton();
        UpdateDisplayPosition(true);
        if (OnChangeManager)
            OnChangeManager(this);
    }

    // Unbinds the set, redraws and returns it.
    TMngr *UnbindManager()
    {
        TMngr *old = std::exchange(FManager, nullptr);
        UpdateDisplayPosition(true);
        DrawButton();
        return old;
    }

    void ApplySupportCommand(TListViewCommandTypes ACommand, bool Framed)
    {
        if (ACommand == FSupportCommand)
            return;
        FSupportCommand = ACommand;
        FBorder = FPadding = Framed;
        DrawItems();
    }

    // Copies an item over a set's item (none: nothing happens) and reports the change.
    template <class TItem>
    void CopyOver(TItem *Target, const TItem &Item)
    {
        if (!Target)
            return;
        Target->copy(Item);
        SetModified(true);
        DoChange();
    }

    // After the set placed an item at AIndex (Placed False: it refused): marks and selects it.
    bool SelectPlaced(bool Placed, int AIndex, bool Updt)
    {
        if (!Placed)
            return false;
        SetModified(true);
        SelectItem(AIndex, Updt);
        return true;
    }

    // The index selected after deleting Deleted while Selected was selected: the same item, or
    // the one now in its place, or the last.
    int NextAfterDelete(int Deleted, int Selected) const
    {
        return Deleted < Selected ? Selected - 1 : std::min(Selected, GetItemCount() - 1);
    }

    // Deletes item Dst through Remove (False: the set refused) and selects what follows.
    template <class TRemove>
    bool DeleteThrough(int Dst, bool Updt, TRemove &&Remove)
    {
        if (!CanDeleteItem(Dst))
            return false;
        const int selected = GetSelectIndex();
        if (!Remove())
            return false;
        SetModified(true);
        SelectItem(NextAfterDelete(Dst, selected), Updt);
        return true;
    }

    // Inserts a copy of Src (made by MakeCopy; nullptr refuses) into a view of the same kind.
    template <class TView, class TItem, class TCopy>
    bool DuplicateInto(TListViewCommands *DstView, int Dst, int Src, const TItem *Source,
                       bool Updt, TCopy &&MakeCopy)
    {
        auto *dst = dynamic_cast<TView *>(DstView);
        if (!dst || !Source || !dst->CanDuplicateItem(Dst, this, Src))
            return false;
        auto copy = MakeCopy(*Source);
        return copy && dst->InsertItem(Dst, std::move(copy), Updt);
    }

    // Runs a preset editor hook over the view, then shows what the set selects afterwards.
    template <class TView>
    bool RunEditor(const std::function<bool(TView &)> &Edit, bool Updt)
    {
        if (!Edit || !FManager)
            return false;
        const bool kept = Edit(static_cast<TView &>(*this));
        SelectItem(GetSelectIndex(), Updt);
        return kept;
    }

    // Makes the drop-down popup through a factory hook (none, or one already open: False).
    template <class TCreate, class... TArgs>
    bool MakePopupForm(const TCreate &Create, TArgs &&...Args)
    {
        if (FPopupForm || !Create)
            return false;
        FPopupForm = Create(std::forward<TArgs>(Args)...);
        return FPopupForm != nullptr;
    }

    // Hands the open popup to its release hook; False when none was open.
    bool FreePopupForm(const std::function<void(IListPopup *)> &Release)
    {
        IListPopup *popup = std::exchange(FPopupForm, nullptr);
        if (!popup)
            return false;
        if (Release)
            Release(popup);
        return true;
    }

    TMngr *FManager = nullptr;
};
