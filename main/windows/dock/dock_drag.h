// The drag and dock of a view: started by a pane when its tab is dragged beyond the drag
// distance. Each move asks the palette window under the cursor (DockOver), else the view tracks
// where it would float; the rectangle shows as a rubber band. Release drops on the window
// (DockDrop) or floats the view in a new palette window; Esc or a lost grab cancels.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <memory>

class QRubberBand;
class TCustomDockView;
class TDockFloatForm;
class TDockViewManager;

class TDockDragObject : public QObject
{
  public:
    // The view's pane grabs the mouse; pressed is where the button went
    // down (screen), which fixes the cursor's offset in the dragged rectangle.
    TDockDragObject(TCustomDockView *control, TDockViewManager *grabber, QPoint pressed);
    ~TDockDragObject() override;

    TCustomDockView *Control() const { return FControl; }
    QRect DockRect() const { return FDockRect; }
    void setDockRect(const QRect &r) { FDockRect = r; }
    int FrameWidth() const { return 4; }
    // The window the drop goes to (set by DockOver, or the float window).
    TDockFloatForm *Target() const { return FTarget; }
    void setTarget(TDockFloatForm *t) { FTarget = t; }
    // The top-left of the view's rectangle for the cursor (the press offset kept).
    QPoint FloatTopLeft(QPoint cursor) const { return cursor - FAnchor; }
    bool Finished() const { return FFinished; }

    void Move(QPoint cursor);
    void Drop(QPoint cursor);
    void Cancel();

  protected:
    bool eventFilter(QObject *watched, QEvent *ev) override;

  private:
    TDockFloatForm *FormAt(QPoint cursor) const;
    void Finish();

    QPointer<TCustomDockView> FControl;
    QPointer<TDockViewManager> FGrabber;
    QRect FDockRect;
    QPoint FAnchor;
    QPointer<TDockFloatForm> FTarget;
    std::unique_ptr<QRubberBand> FBand;
    bool FFinished = false;
};
