// The pen-pressure correction curve (output = input ^ Gamma), bent by dragging: right or down
// raises Gamma, left or up lowers it; above 1.00 it moves five times faster and a drag never
// jumps across 1.00.
#pragma once

#include "core/image/canvas.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

// One drag step from gamma by d pixels (Shift: steps of 0.05); the new value, 0.05..6.00.
float pressureGammaDrag(float gamma, int d, bool shift);

class TPressureGamma : public TGraphicControl
{
  public:
    explicit TPressureGamma(QWidget *parent = nullptr);
    ~TPressureGamma() override;

    void SetBounds(int left, int top, int width, int height) override;
    bool hitTest(QPoint pos) const override;

    float Gamma() const { return FGamma; }
    void setGamma(float value);
    bool ReadOnly() const { return FReadOnly; }
    void setReadOnly(bool value);
    const TMemoryGraphic &image() const { return FImage; }

    TNotifyEvent OnChange;

  protected:
    virtual void DoChange();
    void DrawImages();
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;

  private:
    TMemoryGraphic FImage;
    TMTC FWork; // the curve at four times the inner area's resolution
    float FGamma = 1;
    QPoint FLastPos;
    bool FDragging = false;
    bool FReadOnly = false;
};
