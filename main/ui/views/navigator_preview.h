// The navigator panel: a thumbnail of the active document with the part its window shows drawn
// over it as a rectangle, turned with the view. Dragging in the thumbnail moves the view's
// centre; dragging with Alt or the right button turns the view; a click in that mode without a
// drag resets the rotation. The owner draws the thumbnail and passes the reported centre and
// rotation on to the document window.
//
// The geometry (placement and scale of the thumbnail, the view rectangle, the image point under
// the pointer) is a set of pure functions, so it is tested without a widget.
#pragma once

#include "core/base/geometry.h"
#include "core/image/display_canvas.h"
#include "ui/base/graphic_control.h"
#include "ui/graphics/colour32.h"

#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>

class TMTC;

enum TPreviewState : uint8_t
{
    psModifyImage,  // the thumbnail must be redrawn
    psModifyBorder, // only the view rectangle changed
};

class TPreviewStatus
{
  public:
    constexpr TPreviewStatus() = default;
    constexpr TPreviewStatus(std::initializer_list<TPreviewState> s)
    {
        for (TPreviewState v : s)
            FBits |= uint8_t(1u << v);
    }
    constexpr bool contains(TPreviewState v) const { return FBits & (1u << v); }
    constexpr bool empty() const { return FBits == 0; }

  private:
    uint8_t FBits = 0;
};

// Where the thumbnail goes in a control and at what scale.
struct TPreviewLayout
{
    sRect PreviewRect{0, 0, 0, 0}; // the thumbnail with its 2-pixel frame
    float Rate = 1;                // control pixels per image pixel
    float BorderRate = 1;          // control pixels per view pixel
};

// The layout of a display (document) size in a control; false (layout untouched) while either
// display side is 0 or below. A forced size is fitted to the document's aspect unless the
// control is smaller than it.
bool previewLayout(sSize control, sSize display, bool useForce, sSize forceSize,
                   float displayScale, TPreviewLayout &layout);

// The corners of the view rectangle in control coordinates (top-left, top-right, bottom-right,
// bottom-left of the view) for a view of client pixels centred on an image point.
std::array<TPointSingle, 4> previewBorder(const sRect &inner, sSize client, sPos centre,
                                          float rate, float borderRate, float cosR, float sinR);

// The image point under a control point. Beyond the thumbnail's edge it is held to half of what
// the view rectangle overhangs the thumbnail.
sPos previewImagePoint(int32_t x, int32_t y, const sRect &inner, bool reverse,
                       const std::array<TPointSingle, 4> &border, float rate);

// The pointer's angle about the thumbnail's centre: 0 straight below, growing toward the right;
// negated when counterRotate.
float previewPointerAngle(int32_t x, int32_t y, sPos centre, bool counterRotate);

class TPreviewControl : public TGraphicControl
{
  public:
    explicit TPreviewControl(QWidget *parent = nullptr);
    ~TPreviewControl() override;

    void SetBounds(int left, int top, int width, int height) override;

    TMTC &Preview() { return FPreview; }
    const TTC &Image() const { return FImage; }
    QWidget *Window() const { return FWindow; }
    void SetWindow(QWidget *Value);
    sSize ClientSize() const { return FClientSize; }
    void SetClientSize(sSize Value);
    sSize DisplaySize() const { return FDisplaySize; }
    void SetDisplaySize(sSize Value);
    sPos DisplayCenter() const { return FDisplayCenter; }
    void SetDisplayCenter(sPos Value);
    float DisplayScale() const { return FDisplayScale; }
    void SetDisplayScale(float Value);
    float DisplayRotation() const { return FDisplayRotation; }
    void SetDisplayRotation(float Value);
    bool ReverseMove() const { return FReverseMove; }
    void SetReverseMove(bool Value) { FReverseMove = Value; }
    bool CounterRotate() const { return FCounterRotate; }
    void SetCounterRotate(bool Value) { FCounterRotate = Value; }
    bool UseForce() const { return FUseForce; }
    void SetUseForce(bool Value);
    sSize ForceSize() const { return FForceSize; }
    void SetForceSize(sSize Value);
    TColor32 BorderColor() const { return FBorderColor; }

    sRect PreviewRect() const { return FPreviewRect; }
    sRect InnerRect() const;
    int InnerWidth() const { return FPreviewRect.x1 - FPreviewRect.x0 - 4; }
    int InnerHeight() const { return FPreviewRect.y1 - FPreviewRect.y0 - 4; }
    float Rate() const { return FRate; }
    const std::array<TPointSingle, 4> &BorderPos() const { return FBorderPos; }

    void UpdatePreview(TPreviewStatus AState);
    // Places the thumbnail; true when its rectangle moved.
    bool UpdateLayout();
    void UpdateBorder();
    void Rebuild();
    void DrawBorder();
    void DrawFrame();

    std::function<void(QObject *sender, TMTC &AImage, int width, int height)> OnDrawImage;
    std::function<void(QObject *sender, int X, int Y)> OnDisplayCenterChange;
    std::function<void(QObject *sender, float AValue)> OnDisplayRotationChange;
    std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                       int X, int Y)>
        OnMouseDown;
    std::function<void(QObject *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                       int X, int Y)>
        OnMouseUp;
    // The control's size or what it shows changed: the owner usually redraws the thumbnail.
    TNotifyEvent OnResize;

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y) override;
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) override;
    bool hitTest(QPoint pos) const override;

  private:
    void Resize();
    // After a layout change: the thumbnail canvas takes the inner size.
    void LayoutChanged();
    bool InsideInner(int x, int y) const;
    sPos PreviewCentre() const;
    sPos ImagePoint(int x, int y) const;
    float PointerAngle(int x, int y) const;

    QPointer<QWidget> FWindow;
    TTC FImage;
    TMTC FPreview;
    TColor32 FBorderColor;
    sSize FClientSize{0, 0};
    sSize FDisplaySize{0, 0};
    sPos FDisplayCenter{0, 0};
    float FDisplayScale = 1;
    float FDisplayRotation = 0, FDisplayCos = 1, FDisplaySin = 0;
    sRect FPreviewRect{0, 0, 0, 0};
    float FBorderRate = 1;
    float FRate = 1;
    TPreviewStatus FState;
    std::array<TPointSingle, 4> FBorderPos{};
    bool FReverseMove = false;
    bool FCounterRotate = true;
    bool FDragMove = false, FDragRotate = false, FDraged = false;
    sPos FLastPosition{0, 0};
    float FLastRotation = 0;
    bool FUseForce = false;
    sSize FForceSize{32, 32};
};
