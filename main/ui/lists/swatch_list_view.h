// The list of a swatch palette's colours. The view always holds a manager: its
// own empty one until an owner attaches another, which the view binds without
// owning.
#pragma once

#include "paint/palette/swatches.h"
#include "ui/lists/set_list_view.h"

#include <functional>
#include <memory>

class TSwatchListView : public TSetListView<TSwatchMngr>
{
  public:
    using TqZListView::CreateItem;
    using TqZListView::DuplicateItem;

    explicit TSwatchListView(QWidget *parent = nullptr);
    ~TSwatchListView() override;

    // Binds a manager (not owned); re-attaching the bound one only re-applies the layout.
    void Attach(TSwatchMngr *AManager);
    // Unbinds the bound manager and returns it; the view falls back on its own empty one.
    TSwatchMngr *Detach();

    TColor32 SelectColor() const;
    void SetSelectColor(TColor32 Value);

    bool CreateItem(TColor32 initColor, bool Updt);
    bool InsertItem(int AIndex, TColor32 Item, bool Updt);
    void DoPutItem(TColor32 &Item) const;

    void SetBounds(int left, int top, int width, int height) override;
    void SetItemSize(QSize ASize) override;
    void SetSupportCommand(TListViewCommandTypes ACommand) override;

    int GetItemCount() const override { return FManager->ItemCount(); }
    TListViewItemTypes GetItemType(int) const override { return {lviFixedName}; }
    QString GetItemName(int AIndex) const override;
    bool CreateItem(bool Updt) override;
    bool DeleteItem(int Dst, bool Updt) override;
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool PutItem(int Dst, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;
    bool CreatePopupForm() override;
    bool DestroyPopupForm() override;

    std::function<void(QObject *sender, TColor32 &Item)> OnPutItem;

  private:
    void TellManagerSizes();
    void Reselect(int deleted, int selected, bool Updt);

    std::unique_ptr<TSwatchMngr> FOwnManager; // the manager used while none is attached
    TColor32 FSelectItem;
};
