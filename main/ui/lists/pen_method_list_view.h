// The list of brush methods of one paint mode (or of every mode), or the five pen slots of the
// older engines, with the alias: the working copy of the selected brush that the tool window
// edits setting by setting and writes back on request.
#pragma once

#include "paint/brush/paint_param.h"
#include "paint/presets/pen_preset_managers.h"
#include "ui/lists/set_list_view.h"

#include <array>
#include <memory>

class TChannel;
class TMTC;
class TStroke;

class TPenMethodListView : public TSetListView<CPenMethodMngr>
{
  public:
    using TqZListView::DuplicateItem;

    explicit TPenMethodListView(QWidget *parent = nullptr);
    ~TPenMethodListView() override;

    // Binds the set, the stroke the older engines write into and their pen slots (none owned).
    void Attach(CPenMethodMngr *AManager, TStroke *AStroke, PPenParamQZ2Array APenParams);
    CPenMethodMngr *Detach();

    TPaintLevel PaintLevel() const { return FPaintLevel; }
    void SetPaintLevel(TPaintLevel Value);
    TPaintMode PaintMode() const;
    void SetPaintMode(TPaintMode Value);
    bool ShowAll() const { return FShowAll; }
    void SetShowAll(bool Value);
    TPenMethodType PenMtdType() const { return FPenMtdType; }
    TPenParamQZ2Type PenParamType() const { return FPenParamType; }
    TPaintParam &AliasRef() { return *FAliasParam; }

    // Alias edits; the older engines also write the alias into the stroke where noted.
    void SetAliasParam(TPaintParamType AType, float Value);
    void SetAliasParam(TPaintParamType AType, bool Value);
    void SetAliasParam(TPaintParamType AType, const QString &Value);
    void SetAliasParam(TPaintParamType AType, TPaintAirMap Value);
    void SetAliasParam(TPaintParamType AType, const TMTC *Value);     // the alias only
    void SetAliasParam(TPaintParamType AType, const TChannel *Value); // the alias only
    void SetAliasParam(TPaintParamType AType, TInterpolateType Value); // the alias only
    void SetAliasShape(const CPenShapeObj *AShape);
    // The alias into the selected slot or method. True.
    bool SaveAlias();

    void SortItemByName(bool Desc, bool Updt);
    CPenMethodObj *GetPenMtdObjRef(int AIndex) const;
    // A copy of legacy slot AIndex of the listed kind; False without slots.
    bool GetPenParamQZ2(int AIndex, SPenParamQZ2 &Param) const;

    bool AppendItem(std::unique_ptr<CPenMethodObj> Item, bool Updt);
    bool InsertItem(int AIndex, std::unique_ptr<CPenMethodObj> Item, bool Updt);

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
    bool DuplicateItem(TListViewCommands *DstView, int Dst, int Src, bool Updt) override;
    bool EditItemValue(int AIndex) override;
    bool CreatePopupForm() override;
    bool DestroyPopupForm() override;
    void PopupListChange(QObject *Sender) override;
    int PopupOldIndex() const override;
    void DrawPreviewIcon(TMemoryGraphic &AImage, const QRect &ARect, int AIndex,
                         TListViewItemStatus State) override;

    TNotifyEvent OnChangePaintMode;

  private:
    bool IsLegacy() const { return isLegacyPaintLevel(FPaintLevel); }
    int KindCount(TPenMethodType kind) const;
    // The set index of list item k; -1 when there is none.
    int SetIndexOf(int k) const;
    // The position of set item i among the methods of its kind.
    int PositionOf(int i) const;
    void SetMethodType(TPenMethodType kind);
    void ReadAliasFromSelection();
    void AliasChanged(bool toStroke);

    TPaintLevel FPaintLevel = TPaintLevel::pl5;
    TPenMethodType FPenMtdType = TPenMethodType::pmtPencil5;
    std::array<int, kPenMethodTypeCount> FPenMtdIndexs{};
    PPenParamQZ2Array FPenParams = nullptr;
    TPenParamQZ2Type FPenParamType = TPenParamQZ2Type::pp2Pencil;
    std::array<int, kPenParamQZ2TypeCount> FPenParamIndexs{};
    std::unique_ptr<TPaintParam> FAliasParam;
    TStroke *FStroke = nullptr;
    bool FShowAll = false;
};
