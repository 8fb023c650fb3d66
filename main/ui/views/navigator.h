// The navigator of the tool window: a rotation dial, a zoom slider and six buttons (turn to 0,
// 90, 180 and 270 degrees, zoom in, zoom out) for the active document's view. The control holds
// the view rotation in degrees and the zoom factor; the owner applies them in OnChange. It draws
// nothing on the screen by itself: the owner paints it onto its own surface through PaintTo.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <QPoint>
#include <QRect>

#include <cstdint>

class QImage;

enum TGrabberControlPart : uint8_t
{
    gcNone,
    gcRotation,
    gcScale,
    gcButton000,
    gcButton090,
    gcButton180,
    gcButton270,
    gcButtonZoomIn,
    gcButtonZoomOut,
};

class TGrabberControl : public TGraphicControl
{
  public:
    static constexpr int kWidth = 129, kHeight = 146;

    explicit TGrabberControl(QWidget *parent = nullptr);
    ~TGrabberControl() override;

    // The control keeps its size wherever it is placed.
    void SetBounds(int left, int top, int width, int height) override;

    float Scale() const { return FScale; }
    void SetScale(float Value);
    // Degrees, kept in -180 <= value < 180.
    float Rotation() const { return FRotation; }
    void SetRotation(float Value);
    // The document view is mirrored: the knob and the angle are mirrored and the 0 and 180
    // degree buttons swap their meaning.
    bool Reverse() const { return FIsReverse; }
    void SetReverse(bool Value) { FIsReverse = Value; }

    TGrabberControlPart GetAreaType(int X, int Y) const;
    // Blends the control onto the owner's 32-bit surface at (X, Y), then the two knobs.
    void PaintTo(QImage &surface, int X, int Y) const;
    // Every part in its normal state.
    void DrawImages();
    void SetActivePart(TGrabberControlPart APart);
    TGrabberControlPart ActivePart() const { return FActivePart; }
    TGrabberControlPart DragPart() const { return FDragPart; }
    const TMemoryGraphic &Image() const { return FImage; }

    static QRect PartRect(TGrabberControlPart APart);

    TNotifyEvent OnChange;
    TNotifyEvent OnGrabberEnter;
    TNotifyEvent OnGrabberExit;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseLeave() override;
    bool hitTest(QPoint pos) const override;
    bool event(QEvent *ev) override;

  private:
    void DrawPart(TGrabberControlPart APart, bool Active);
    void Invalidate();
    void UpdateHint(int X, int Y);
    void DragTo(int X, int Y, bool adjust);

    TMemoryGraphic FImage;
    float FScale = 1.0f;
    float FRotation = 0.0f;
    bool FIsReverse = false;
    QPoint FLastPos;
    TGrabberControlPart FActivePart = gcNone;
    TGrabberControlPart FDragPart = gcNone;
    TGrabberControlPart FHintPart = gcNone;
};

// The dial's angle snapped to 15 degrees, halves away from zero (so the same both sides of 0).
float snapGrabberAngle(float degrees);
// The zoom factor under the slider's position t (0..1): 1/16 at 0, 1 in the middle, 16 at 1.
float grabberSliderScale(float t);
// s moved to the nearer of the two zoom presets around it.
float snapGrabberScale(float s);
