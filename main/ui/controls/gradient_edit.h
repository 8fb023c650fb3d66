// The gradient editor's bar: the gradient over a checker board with a diamond marker under
// every stop. A click on a marker selects its stop, a click elsewhere adds one, dragging moves
// the selected stop and dragging it off the control deletes it. The stops and their operations
// live in TGradientStops; this control draws them and turns the mouse into operations.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/controls/gradient_stops_edit.h"
#include "ui/graphics/memory_graphic.h"

class TGradientEdit : public TGraphicControl
{
  public:
    explicit TGradientEdit(QWidget *parent = nullptr);
    ~TGradientEdit() override;

    void SetBounds(int left, int top, int width, int height) override;

    TGradientStops &stops() { return FStops; }
    const TMemoryGraphic &image() const { return FImage; }
    bool Invalid() const { return FInvalid; }

    int Capacity() const { return FStops.Capacity(); }
    void setCapacity(int v) { FStops.setCapacity(v); }
    int Count() const { return FStops.Count(); }
    int SelectIndex() const { return FStops.SelectIndex(); }
    void setSelectIndex(int v) { FStops.setSelectIndex(v); }
    TColorPickerValue Foreground() const { return FStops.Foreground; }
    void setForeground(const TColorPickerValue &v) { FStops.Foreground = v; }
    TColorPickerValue Background() const { return FStops.Background; }
    void setBackground(const TColorPickerValue &v) { FStops.Background = v; }

    bool IsValidIndex(int i) const { return FStops.IsValidIndex(i); }
    bool GetPosition(float &v, int i) const { return FStops.GetPosition(v, i); }
    bool GetType(TGradientEditPosType &v, int i) const { return FStops.GetType(v, i); }
    bool GetColor(TColorPickerValue &v, int i) const { return FStops.GetColor(v, i); }
    bool GetOpaque(float &v, int i) const { return FStops.GetOpaque(v, i); }
    bool CanMove(int i) const { return FStops.CanMove(i); }
    bool GetSibling(TGradientEditPos *&l, TGradientEditPos *&r, TGradientEditPos *&u, int i) const
    {
        return FStops.GetSibling(l, r, u, i);
    }
    bool GetRange(float &lo, float &hi, int i) const { return FStops.GetRange(lo, hi, i); }
    bool SetPosition(float v, int i) { return FStops.SetPosition(v, i); }
    bool MoveCenter(int i) { return FStops.MoveCenter(i); }
    bool SetType(TGradientEditPosType v, int i) { return FStops.SetType(v, i); }
    bool SetColor(const TColorPickerValue &v, int i) { return FStops.SetColor(v, i); }
    bool SetOpaque(float v, int i) { return FStops.SetOpaque(v, i); }
    bool CanUnionRight(int i) const { return FStops.CanUnionRight(i); }
    bool CanUnionLeft(int i) const { return FStops.CanUnionLeft(i); }
    bool UnionLeft(int i) { return FStops.UnionLeft(i); }
    bool UnionRight(int i) { return FStops.UnionRight(i); }
    TGradientEditUnion GetUnion(int i) const { return FStops.GetUnion(i); }
    bool DisUnion(int i) { return FStops.DisUnion(i); }
    bool CanSplit(int i, int n) const { return FStops.CanSplit(i, n); }
    bool Split(int i, int n) { return FStops.Split(i, n); }
    bool CopyColor(int d, int s) { return FStops.CopyColor(d, s); }
    bool ExchangeColor(int d, int s) { return FStops.ExchangeColor(d, s); }
    bool FlipPosition() { return FStops.FlipPosition(); }
    int AddStop(bool select, float p) { return FStops.AddStop(select, p); }
    bool DeleteStop(int i) { return FStops.DeleteStop(i); }
    bool GetColorSlotGroup(CColorSlotGroup &g) const { return FStops.GetColorSlotGroup(g); }
    void setColorSlotGroup(const CColorSlotGroup &g) { FStops.SetColorSlotGroup(g); }

    // Hit testing along the bar, in image coordinates.
    TGradientEditCommand GetCommandType(int X) const;
    int GetNearestIndex(int X) const;
    // The left edge of a stop's marker.
    int markerLeft(float p) const;

    TNotifyEvent OnChange;

  protected:
    void UpdateGradient();
    bool UpdateImage();
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    int barInside() const { return FWork.Width() - 2; }
    void drawMarker(int index, bool joined, bool selected);

    TGradientStops FStops;
    TMemoryGraphic FImage;
    TMemoryGraphic FWork;
    sRect FInnerRect{};
    int FLastX = 0;
    bool FDragging = false;
    bool FInvalid = false;
};
