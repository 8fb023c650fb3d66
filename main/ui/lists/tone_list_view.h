// The list of a tone set's screentones and pattern tiles. The view keeps no items: every index is
// the set's and the selection is the set's current pattern.
#pragma once

#include "core/image/canvas.h"
#include "paint/tone/tone_manager.h"
#include "ui/lists/set_list_view.h"

#include <memory>

class TToneListView : public TSetListView<CToneMngr>
{
  public:
    using TqZListView::DuplicateItem;

    explicit TToneListView(QWidget *parent = nullptr);
    ~TToneListView() override;

    void Attach(CToneMngr *AManager);
    CToneMngr *Detach();

    CPat8 *GetItemRef(int AIndex) const;
    void SetItem(int AIndex, const CPat8 &Item);
    CPat8 *GetSelectItemRef() const;
    void SetSelectItem(const CPat8 &Item);
    bool AppendItem(std::unique_ptr<CPat8> Item, bool Updt);
    // An invalid index appends; a fixed position refuses (the pattern is freed).
    bool InsertItem(int AIndex, std::unique_ptr<CPat8> Item, bool Updt);

    // The set's working pattern (with selection only).
    CPat8 *AliasRef() const;
    // Offset, zoom and negative of the selected tone; nothing happens when all three are equal.
    void SetAliasAttr(QPoint Offset, int Scale, bool Nega);

    void SetSupportCommand(TListViewCommandTypes ACommand) override;
    int GetItemCount() const override;
    bool IsValidIndex(int AIndex) const override;
    TListViewItemTypes GetItemType(int) const override { return {}; }
    QString GetItemName(int AIndex) const override;
    void SetItemName(int AIndex, const QString &Name) override;
    int GetSelectIndex() const override;
    void SetSelectIndex(int AIndex) override;
    bool CreateItem(bool Updt) override;
    bool CanDeleteItem(int Dst) const override;
    bool DeleteItem(int Dst, bool Updt) override;
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    bool CreatePopupForm() override;
    bool DestroyPopupForm() override;
    void PopupListChange(QObject *Sender) override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

  private:
    TMTC FToneWork;
};

// A copy of a tile: a screentone stays a screentone.
std::unique_ptr<CPat8> copyPatternTile(const CPat8 &src);
