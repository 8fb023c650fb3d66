// The stops of the gradient editor without the widget: a fixed first and last stop at 0 and 1,
// inner stops in order of position, pairs joined at one place for a hard colour step, the
// selection, and the conversion to and from a colour-slot group.
#pragma once

#include "paint/gradient/gradient_stops.h"
#include "ui/colour/colour_model.h"

#include <functional>
#include <memory>
#include <vector>

enum TGradientEditPosType
{
    gepCustom,
    gepForeground,
    gepBackground
};
enum TGradientEditCommand
{
    gecSelect,
    gecAdd
};
enum TGradientEditUnion
{
    geuNone,
    geuLeft,
    geuRight
};

class TGradientEditPos
{
  public:
    explicit TGradientEditPos(float APosition);
    TGradientEditPos(float APosition, TGradientEditPosType AType, const TColorPickerValue &AColor,
                     float AOpaque);
    explicit TGradientEditPos(const sCRSlot &AValue);

    // Nothing unless the slot is used and enabled.
    void SetColorSlot(const sCRSlot &AValue);
    void GetColorSlot(sCRSlot &AValue, int32_t AId, float ANext) const;

    float FPosition = 0;
    TGradientEditPosType FType = gepCustom;
    TColorPickerValue FColor{};
    float FOpaque = 1;
    bool FUnionRight = false;
};

class TGradientStops
{
  public:
    TGradientStops();
    ~TGradientStops();
    TGradientStops(const TGradientStops &) = delete;
    TGradientStops &operator=(const TGradientStops &) = delete;

    int Count() const { return int(FList.size()) + 2; }
    int Capacity() const { return FCapacity; }
    void setCapacity(int v) { FCapacity = v; }
    int SelectIndex() const { return FSelectIndex; }
    void setSelectIndex(int AIndex);
    TColorPickerValue Foreground, Background;

    bool IsValidIndex(int AIndex) const { return AIndex >= 0 && AIndex < Count(); }
    TGradientEditPos *GetStop(int AIndex) const;
    // The stop's colour as shown: its own, or the editor's foreground or background.
    TColorPickerValue shownColor(int AIndex) const;

    bool GetPosition(float &AValue, int AIndex) const;
    bool GetType(TGradientEditPosType &AValue, int AIndex) const;
    bool GetColor(TColorPickerValue &AValue, int AIndex) const;
    bool GetOpaque(float &AValue, int AIndex) const;
    bool CanMove(int AIndex) const;
    bool GetSibling(TGradientEditPos *&ALeft, TGradientEditPos *&ARight, TGradientEditPos *&AUnion,
                    int AIndex) const;
    bool GetRange(float &AMin, float &AMax, int AIndex) const;
    bool SetPosition(float AValue, int AIndex);
    bool MoveCenter(int AIndex);
    bool SetType(TGradientEditPosType AValue, int AIndex);
    bool SetColor(const TColorPickerValue &AValue, int AIndex);
    bool SetOpaque(float AValue, int AIndex);
    bool CanUnionRight(int AIndex) const;
    bool CanUnionLeft(int AIndex) const { return CanUnionRight(AIndex - 1); }
    bool UnionLeft(int AIndex);
    bool UnionRight(int AIndex);
    TGradientEditUnion GetUnion(int AIndex) const;
    bool DisUnion(int AIndex);
    bool CanSplit(int AIndex, int ACount) const;
    bool Split(int AIndex, int ACount);
    bool CopyColor(int Dst, int Src);
    bool ExchangeColor(int Dst, int Src);
    bool FlipPosition();
    int AddStop(bool Select, float APosition);
    bool DeleteStop(int AIndex);
    bool GetColorSlotGroup(CColorSlotGroup &AGroup) const;
    void SetColorSlotGroup(const CColorSlotGroup &AGroup);

    // Called after every change of the stops or the selection; notify is false for changes the
    // editor redraws without announcing (a stop added without selecting it).
    std::function<void(bool notify)> OnChanged;

  private:
    int valid(int AIndex) const { return IsValidIndex(AIndex) ? AIndex : FSelectIndex; }
    void changed(bool notify = true);

    std::vector<std::unique_ptr<TGradientEditPos>> FList;
    std::unique_ptr<TGradientEditPos> FFirstPos, FLastPos;
    int FCapacity = 256;
    int FSelectIndex = 0;
};
