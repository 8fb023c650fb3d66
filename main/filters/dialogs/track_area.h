// TTrackArea: a small square in which a ring marks a point, x and y each 0..1 across the
// control; the user drags it with the left button. The radial blur dialog picks its centre with
// it.
#pragma once

#include "ui/base/app_hooks.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

class TTrackArea : public TGraphicControl
{
  public:
    explicit TTrackArea(QWidget *parent = nullptr);

    // Keeps the picture the control's size (at least 4 x 4) and redraws.
    void SetBounds(int left, int top, int width, int height) override;
    // A different position is stored, announced, then drawn (not limited to 0..1).
    void SetPosition(float X, float Y);
    // The position under a control point; a side under 5 pixels gives 0.5.
    TPointSingle PositionAt(int x, int y) const;

    float HorzPos() const { return FPosition.x; }
    float VertPos() const { return FPosition.y; }
    QWidget *FocusControl() const { return FFocusControl; }
    void setFocusControl(QWidget *w) { FFocusControl = w; }
    const TMemoryGraphic &Image() const { return FImage; }

    TNotifyEvent OnChange;

  protected:
    virtual void Change();
    void UpdateImage();
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    void trackTo(int x, int y);

    TMemoryGraphic FImage;
    TPointSingle FPosition{0.5f, 0.5f};
    QPoint FGrid{3, 3};
    bool FDown = false;
    QWidget *FFocusControl = nullptr;
};
