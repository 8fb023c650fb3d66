#include "ui/views/navigator_preview.h"

#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>

// ---- geometry

bool previewLayout(sSize control, sSize display, bool useForce, sSize forceSize,
                   float displayScale, TPreviewLayout &layout)
{
    if (display.x <= 0 || display.y <= 0)
        return false;
    int32_t width = control.x, height = control.y;
    if (useForce) {
        int32_t w, h;
        if (display.x < display.y) {
            w = int32_t(std::trunc(double(display.x) * forceSize.x / display.y + 0.5));
            h = forceSize.y;
        } else {
            h = int32_t(std::trunc(double(forceSize.y) * display.y / display.x + 0.5));
            w = forceSize.x;
        }
        w += 4;
        h += 4;
        // A control smaller than the forced size shows the thumbnail at its own size.
        if (control.x >= w && control.y >= h) {
            width = w;
            height = h;
        }
    }
    width = width < 6 ? 5 : width;
    height = height < 6 ? 5 : height;
    const float a = float(width - 4) / float(display.x);
    const float c = float(height - 4) / float(display.y);
    if (a >= c) {
        layout.Rate = c;
        width = std::max(int32_t(std::trunc(float(display.x) * c)) + 4, 5);
    } else {
        layout.Rate = a;
        height = std::max(int32_t(std::trunc(a * float(display.y))) + 4, 5);
    }
    layout.BorderRate = layout.Rate / displayScale;
    const int32_t left = (control.x - width) / 2, top = (control.y - height) / 2;
    layout.PreviewRect = sRect{left, top, left + width, top + height};
    return true;
}

std::array<TPointSingle, 4> previewBorder(const sRect &inner, sSize client, sPos centre,
                                          float rate, float borderRate, float cosR, float sinR)
{
    const float hx = float(client.x - 1) / 2, hy = float(client.y - 1) / 2;
    const float mx = float(inner.x0) + float(centre.x) * rate;
    const float my = float(inner.y0) + float(centre.y) * rate;
    const TPointSingle corners[4] = {{-hx, -hy}, {hx, -hy}, {hx, hy}, {-hx, hy}};
    std::array<TPointSingle, 4> out;
    for (int i = 0; i < 4; ++i) {
        const float sx = corners[i].x, sy = corners[i].y;
        out[size_t(i)] = {(cosR * sx - sinR * sy) * borderRate + mx,
                          (sx * sinR + sy * cosR) * borderRate + my};
    }
    return out;
}

sPos previewImagePoint(int32_t x, int32_t y, const sRect &inner, bool reverse,
                       const std::array<TPointSingle, 4> &border, float rate)
{
    const int32_t iw = inner.x1 - inner.x0, ih = inner.y1 - inner.y0;
    float a = float(x - inner.x0), b = float(y - inner.y0);
    if (reverse) {
        a = float(iw) - a;
        b = float(ih) - b;
    }
    const float lx = std::fabs(std::fabs(border[2].x - border[0].x) - float(iw)) / 2;
    const float ly = std::fabs(std::fabs(border[2].y - border[0].y) - float(ih)) / 2;
    a = std::clamp(a, -lx, float(iw) + lx);
    b = std::clamp(b, -ly, float(ih) + ly);
    return {int32_t(std::trunc(a / rate)), int32_t(std::trunc(b / rate))};
}

float previewPointerAngle(int32_t x, int32_t y, sPos centre, bool counterRotate)
{
    const float angle = std::atan2(float(x - centre.x), float(y - centre.y));
    return counterRotate ? -angle : angle;
}

// ---- the control

TPreviewControl::TPreviewControl(QWidget *parent)
    : TGraphicControl(parent), FImage(true), FBorderColor(clHighlight32())
{
}

TPreviewControl::~TPreviewControl() = default;

sRect TPreviewControl::InnerRect() const
{
    return {FPreviewRect.x0 + 2, FPreviewRect.y0 + 2, FPreviewRect.x1 - 2, FPreviewRect.y1 - 2};
}

sPos TPreviewControl::PreviewCentre() const
{
    return {(FPreviewRect.x0 + FPreviewRect.x1) / 2, (FPreviewRect.y0 + FPreviewRect.y1) / 2};
}

void TPreviewControl::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    if (width >= 5 && height >= 5 && (width != FImage.width() || height != FImage.height())) {
        FImage.Resize(width, height);
        if (UpdateLayout())
            LayoutChanged();
    }
    Resize();
}

void TPreviewControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TPreviewControl::LayoutChanged()
{
    FPreview.Resize(std::max(InnerWidth(), 1), std::max(InnerHeight(), 1));
    // Never show what the memory held before the owner draws.
    FPreview.fillAll(clBtnFace32().bgra);
}

void TPreviewControl::SetWindow(QWidget *Value)
{
    if (Value == FWindow)
        return;
    FWindow = Value;
    Resize();
}

void TPreviewControl::SetClientSize(sSize Value)
{
    if (Value == FClientSize)
        return;
    FClientSize = Value;
    if (UpdateLayout()) {
        LayoutChanged();
        Resize();
    } else {
        UpdateBorder();
    }
}

void TPreviewControl::SetDisplaySize(sSize Value)
{
    if (Value == FDisplaySize)
        return;
    FDisplaySize = Value;
    if (UpdateLayout()) {
        LayoutChanged();
        Resize();
    }
}

void TPreviewControl::SetUseForce(bool Value)
{
    if (Value == FUseForce)
        return;
    FUseForce = Value;
    if (UpdateLayout()) {
        LayoutChanged();
        Resize();
    }
}

void TPreviewControl::SetForceSize(sSize Value)
{
    if (Value.x < 5 || Value.y < 5 || Value == FForceSize)
        return;
    FForceSize = Value;
    if (UpdateLayout()) {
        LayoutChanged();
        Resize();
    }
}

void TPreviewControl::SetDisplayCenter(sPos Value)
{
    if (Value == FDisplayCenter)
        return;
    FDisplayCenter = Value;
    UpdateBorder();
    UpdatePreview({psModifyBorder});
    if (OnDisplayCenterChange)
        OnDisplayCenterChange(this, Value.x, Value.y);
}

void TPreviewControl::SetDisplayScale(float Value)
{
    // A zoom of 0 or below has no view rectangle (and would divide by zero).
    if (Value == FDisplayScale || !(Value > 0))
        return;
    FDisplayScale = Value;
    FBorderRate = FRate / Value;
    UpdateBorder();
    UpdatePreview({psModifyBorder});
}

void TPreviewControl::SetDisplayRotation(float Value)
{
    if (Value == FDisplayRotation)
        return;
    FDisplayRotation = Value;
    FDisplayCos = std::cos(Value);
    FDisplaySin = std::sin(Value);
    UpdateBorder();
    UpdatePreview({psModifyBorder});
    if (OnDisplayRotationChange)
        OnDisplayRotationChange(this, Value);
}

bool TPreviewControl::UpdateLayout()
{
    TPreviewLayout layout{FPreviewRect, FRate, FBorderRate};
    if (!previewLayout({width(), height()}, FDisplaySize, FUseForce, FForceSize, FDisplayScale,
                       layout))
        return false;
    FRate = layout.Rate;
    FBorderRate = layout.BorderRate;
    if (layout.PreviewRect == FPreviewRect) {
        UpdateBorder();
        return false;
    }
    FPreviewRect = layout.PreviewRect;
    UpdateBorder();
    return true;
}

void TPreviewControl::UpdateBorder()
{
    FBorderPos = previewBorder(InnerRect(), FClientSize, FDisplayCenter, FRate, FBorderRate,
                               FDisplayCos, FDisplaySin);
}

void TPreviewControl::UpdatePreview(TPreviewStatus AState)
{
    FState = AState;
    Rebuild();
    update();
}

void TPreviewControl::Rebuild()
{
    if (!FImage.isEnable())
        return;
    if (!FWindow) {
        FImage.fillAll(clBtnFace32().bgra);
        return;
    }
    if (FState.empty())
        return;
    if (FState.contains(psModifyImage) && OnDrawImage)
        OnDrawImage(this, FPreview, InnerWidth(), InnerHeight());
    const bool copied = FPreview.isEnable();
    if (copied)
        FImage.copyArea(FPreview, sPos{FPreviewRect.x0 + 2, FPreviewRect.y0 + 2},
                        sBox{0, 0, FPreview.width(), FPreview.height()});
    // A copied thumbnail covers the old rectangle: draw it again whatever changed.
    if (copied || FState.contains(psModifyBorder))
        DrawBorder();
    DrawFrame();
    FState = {};
}

void TPreviewControl::DrawBorder()
{
    const uint32_t col = FBorderColor.bgra;
    const bool aa = FDisplayRotation != 0;
    for (size_t i = 0; i < 4; ++i) {
        const TPointSingle a = FBorderPos[i], b = FBorderPos[(i + 1) % 4];
        FImage.DrawLine(a.x, a.y, b.x, b.y, col, aa);
    }
    // A dot on the middle of the first edge marks the view's top.
    const float mx = (FBorderPos[0].x + FBorderPos[1].x) / 2;
    const float my = (FBorderPos[0].y + FBorderPos[1].y) / 2;
    FImage.exDrawCircle(mx, my, 2, col, 1.0f, true, false);
}

void TPreviewControl::DrawFrame()
{
    const uint32_t face = clBtnFace32().bgra;
    const int32_t w = FImage.width(), h = FImage.height();
    const sRect &r = FPreviewRect;
    FImage.fillBox(0, 0, w, r.y0, face, 255);
    FImage.fillBox(0, r.y1, w, h - r.y1, face, 255);
    FImage.fillBox(0, r.y0, r.x0, r.y1 - r.y0, face, 255);
    FImage.fillBox(r.x1, r.y0, w - r.x1, r.y1 - r.y0, face, 255);
    const sBox frame{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    FImage.drawBox(frame, clBtnShadow32().bgra, clBtnHighlight32().bgra, 255);
    FImage.drawBox(sBox{frame.x + 1, frame.y + 1, frame.w - 2, frame.h - 2},
                   clWindowFrame32().bgra, 255);
}

void TPreviewControl::Paint(QPainter &painter)
{
    if (isVisible() && parentWidget() && FWindow && FImage.isEnable())
        FImage.Flip2HDC(painter, 0, 0);
}

bool TPreviewControl::InsideInner(int x, int y) const
{
    const sRect r = InnerRect();
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

sPos TPreviewControl::ImagePoint(int x, int y) const
{
    return previewImagePoint(x, y, InnerRect(), FReverseMove, FBorderPos, FRate);
}

float TPreviewControl::PointerAngle(int x, int y) const
{
    return previewPointerAngle(x, y, PreviewCentre(), FCounterRotate);
}

bool TPreviewControl::hitTest(QPoint pos) const
{
    return !isEnabled() || InsideInner(pos.x(), pos.y());
}

void TPreviewControl::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                                bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    if (!acceptMouseDown(this) || FDragMove || FDragRotate)
        return;
    if (button == Qt::LeftButton) {
        FLastPosition = {x, y};
        if (!InsideInner(x, y))
            return;
        if (shift & Qt::AltModifier) {
            FDragRotate = true;
            FDraged = false;
            FLastRotation = PointerAngle(x, y);
        } else {
            FDragMove = true;
            SetDisplayCenter(ImagePoint(x, y));
        }
    } else if (button == Qt::RightButton && InsideInner(x, y)) {
        // Qt's implicit grab keeps the mouse with the control until the release.
        FLastPosition = {x, y};
        FDragRotate = true;
        FDraged = false;
        FLastRotation = PointerAngle(x, y);
    }
}

void TPreviewControl::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x,
                                int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (!acceptMouseMove(this))
        return;
    if (FDragMove) {
        SetDisplayCenter(ImagePoint(x, y));
        return;
    }
    if (!FDragRotate)
        return;
    if (!FDraged && ((shift & Qt::AltModifier) || (buttons & Qt::RightButton))) {
        const int threshold = QApplication::startDragDistance();
        FDraged = std::abs(x - FLastPosition.x) > threshold ||
                  std::abs(y - FLastPosition.y) > threshold;
    }
    if (FDraged)
        SetDisplayRotation(FLastRotation - PointerAngle(x, y));
}

void TPreviewControl::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    FDragMove = false;
    if (FDragRotate) {
        FDragRotate = false;
        if (FDraged)
            FDraged = false;
        else
            SetDisplayRotation(0);
    }
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}
