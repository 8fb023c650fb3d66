// TGraphicTrackbar: a slider drawn into its own picture: a horizontal or vertical groove with a
// thumb, or a dial with a hand, turning clockwise or counter-clockwise. The stored position is
// 0..1; optional filters bend what is written through Position (OnInFilter) and what is read
// from it (OnOutFilter). A press moves the thumb to the pointer and fires OnChange even when
// the position stays; the drag follows the mouse while the button is held.
#pragma once

#include "core/base/geometry.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

#include <cstdint>
#include <functional>

enum TGraphicTrackbarOrientation : uint8_t
{
    gtHorizontal,
    gtVertical,
    gtClockWise,
    gtCounterClockWise,
};

// (Sender; var APosition): may change the position it is given.
using TPositionFilterEvent = std::function<void(QObject *Sender, float &APosition)>;

// The groove or dial rectangle of a W x H trackbar.
sRect trackbarInnerRect(TGraphicTrackbarOrientation o, int W, int H);
// The position under client point (X, Y), before clamping: on a dial, left is 0 (and 1).
float trackbarPositionFromPoint(TGraphicTrackbarOrientation o, int W, int H, int X, int Y);

class TGraphicTrackbar : public TGraphicControl
{
  public:
    explicit TGraphicTrackbar(QWidget *parent = nullptr);

    void SetBounds(int left, int top, int width, int height) override;

    TGraphicTrackbarOrientation Orientation() const { return FOrientation; }
    virtual void setOrientation(TGraphicTrackbarOrientation o);
    // Read through OnOutFilter; written clamped into 0..1, then through OnInFilter.
    virtual float Position() const;
    virtual void setPosition(float p);
    // The stored position, no filter.
    float StoredPosition() const { return FPosition; }
    bool CenterLine() const { return FCenterLine; }
    void setCenterLine(bool on);
    QWidget *FocusControl = nullptr;
    // Dragging: set by a press; a popup may set it so that a drag begun elsewhere continues.
    bool Down() const { return FDown; }
    void setDown(bool on) { FDown = on; }
    // What a move with the button held does: the thumb follows the client point.
    void DragTo(int X, int Y);
    const sRect &InnerRect() const { return FInnerRect; }
    const TMemoryGraphic &Image() const { return FImage; }

    TPositionFilterEvent OnInFilter;
    TPositionFilterEvent OnOutFilter;
    TNotifyEvent OnChange;

  protected:
    virtual void Change();
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    void changeEvent(QEvent *ev) override;

  private:
    void Layout();
    void Redraw();
    void drawGroove();
    void drawDial();
    void takePoint(int X, int Y);

    TGraphicTrackbarOrientation FOrientation = gtHorizontal;
    float FPosition = 0;
    bool FDown = false;
    sRect FInnerRect{3, 3, 3, 3};
    TMemoryGraphic FImage;
    bool FCenterLine = false;
};
