// The list of a gradient set's gradients. The view keeps no items: every index is the set's and the
// selection is the set's current gradient. A set with the fixed two-colour gradient keeps that one
// in place: it cannot be moved, renamed, edited, deleted or used as a drop position.
#pragma once

#include "core/image/canvas.h"
#include "paint/gradient/gradient_manager.h"
#include "ui/lists/set_list_view.h"

#include <cstdint>
#include <memory>

// The common shape of gradients without an attribute of their own.
enum TGradientType : uint8_t { gtStandard, gtRadial, gtCircular };

class TGradientListView : public TSetListView<CGradMngr>
{
  public:
    using TqZListView::DuplicateItem;

    explicit TGradientListView(QWidget *parent = nullptr);
    ~TGradientListView() override;

    // Binds a set (not owned) and takes over its common attribute.
    void Attach(CGradMngr *AManager);
    // Unbinds the set and returns it.
    CGradMngr *Detach();

    // The common attribute; writing it reaches the set (which hands it to every gradient without
    // an attribute of its own and saves it to the profile).
    SGradAttr CommonAttr() const;
    void SetCommonAttr(const SGradAttr &Value);
    // Single fields: stored and redrawn, the set is not told.
    TGradientType CommonType() const { return FCommonType; }
    void SetCommonType(TGradientType Value);
    bool CommonRound() const { return FCommonRound; }
    void SetCommonRound(bool Value);
    bool CommonInfinity() const { return FCommonInfinity; }
    void SetCommonInfinity(bool Value);
    int CommonRepeat() const { return FCommonRepeat; }
    void SetCommonRepeat(int Value);

    // Every gradient takes the two colours; False without a set or gradients.
    bool SetColor(TColor32 Foreground, TColor32 BackGround);

    CGradObj *GetItemRef(int AIndex) const;
    void SetItem(int AIndex, const CGradObj &Item);
    CGradObj *GetSelectItemRef() const;
    void SetSelectItem(const CGradObj &Item);
    bool AppendItem(std::unique_ptr<CGradObj> Item, bool Updt);
    // An invalid index appends; a fixed position refuses (the gradient is freed).
    bool InsertItem(int AIndex, std::unique_ptr<CGradObj> Item, bool Updt);

    // The set's working copy of the selected gradient.
    CGradObj *AliasRef() const;
    CColorSlotGroup *AliasCSGRef() const;
    SGradAttr AliasAttr() const;
    void SetAliasAttr(const SGradAttr &attr);

    void SetSupportCommand(TListViewCommandTypes ACommand) override;
    int GetItemCount() const override;
    bool IsValidIndex(int AIndex) const override;
    TListViewItemTypes GetItemType(int AIndex) const override;
    QString GetItemName(int AIndex) const override;
    void SetItemName(int AIndex, const QString &Name) override;
    int GetSelectIndex() const override;
    void SetSelectIndex(int AIndex) override;
    bool CreateItem(bool Updt) override;
    bool CanDeleteItem(int Dst) const override;
    bool DeleteItem(int Dst, bool Updt) override;
    bool CanMoveItem(int Dst, int Src) const override;
    bool CanInsertItem(int Dst, const TListViewCommands *SrcView, int Src) const override;
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    bool CreatePopupForm() override;
    bool DestroyPopupForm() override;
    void PopupListChange(QObject *Sender) override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

  private:
    bool IsSpecial(int AIndex) const { return FManager && FManager->isSpecialIdx(AIndex); }

    TMTC FGradWork;
    TGradientType FCommonType = gtStandard;
    bool FCommonRound = false;
    bool FCommonInfinity = false;
    int FCommonRepeat = 1;
};

// The red-first stop colour of a list colour (alpha 255).
sRGBA stopColorOf(TColor32 c);
