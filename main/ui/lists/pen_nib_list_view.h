// The list of a nib set's nibs, with an optional alias nib as item 0: the nib the current brush
// uses when it is none of the set's.
#pragma once

#include "paint/presets/pen_preset_managers.h"
#include "ui/lists/set_list_view.h"

#include <memory>

class TPenNibListView : public TSetListView<CPenShapeMngr>
{
  public:
    using TqZListView::DuplicateItem;

    explicit TPenNibListView(QWidget *parent = nullptr);
    ~TPenNibListView() override;

    void Attach(CPenShapeMngr *AManager);
    CPenShapeMngr *Detach();

    const CPenShapeObj *AliasRef() const { return FAlias.get(); }
    bool UseAlias() const { return FUseAlias; }
    void SetUseAlias(bool Value);
    bool DrawRadius() const { return FDrawRadius; }
    void SetDrawRadius(bool Value);
    // Copies Item into the alias; with Select (and the alias shown) the alias becomes selected.
    void SetAlias(const CPenShapeObj &Item, bool Select);

    CPenShapeObj *GetItemRef(int AIndex) const;
    // Copies Item into a nib of the set (marking the set modified, no event).
    void SetItem(int AIndex, const CPenShapeObj &Item);
    CPenShapeObj *GetSelectItemRef() const;
    void SetSelectItem(const CPenShapeObj &Item);
    bool AppendItem(std::unique_ptr<CPenShapeObj> Item, bool Updt);
    bool InsertItem(int AIndex, std::unique_ptr<CPenShapeObj> Item, bool Updt);

    int GetItemCount() const override;
    bool IsValidIndex(int AIndex) const override;
    TListViewItemTypes GetItemType(int AIndex) const override;
    QString GetItemName(int AIndex) const override;
    int GetSelectIndex() const override;
    void SetSelectIndex(int AIndex) override;
    bool CreateItem(bool Updt) override;
    bool CanDeleteItem(int Dst) const override;
    bool DeleteItem(int Dst, bool Updt) override;
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    bool CreatePopupForm() override;
    bool DestroyPopupForm() override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

  private:
    bool IsAliasItem(int AIndex) const { return FUseAlias && AIndex == 0; }
    int SetIndexOf(int AIndex) const { return FUseAlias ? AIndex - 1 : AIndex; }

    bool FUseAlias = true;
    std::unique_ptr<CPenShapeObj> FAlias;
    bool FAliasSelected = true;
    TMemoryGraphic FNibWork;
    bool FDrawRadius = true;
};

// The scale a nib of the radius is drawn at in a square icon of the side: the largest radius that
// fits is side / 2 - 1.5; 0 when not even a radius of 1 fits, 1 when the nib fits as it is.
float nibIconScale(int side, float radius);
