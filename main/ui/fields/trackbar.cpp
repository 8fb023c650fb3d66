#include "ui/fields/trackbar.h"

#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

sRect trackbarInnerRect(TGraphicTrackbarOrientation o, int W, int H)
{
    switch (o) {
    case gtHorizontal:
        return {3, 0, 3 + (W - 6), 8};
    case gtVertical:
        return {(W - 8) / 2, 2, (W - 8) / 2 + 8, 2 + (H - 4)};
    default: {
        const int side = std::min(W, H) - 2;
        return {1, 1, 1 + side, 1 + side};
    }
    }
}

float trackbarPositionFromPoint(TGraphicTrackbarOrientation o, int W, int H, int X, int Y)
{
    switch (o) {
    case gtHorizontal: {
        const int x = X - 3, w = W - 9;
        if (w <= 0 || x <= 0)
            return 0;
        return x >= w ? 1.0f : float(x) / float(w);
    }
    case gtVertical: {
        const int y = Y - 3, h = H - 7;
        if (h <= 0 || y <= 0)
            return 1;
        return y >= h ? 0.0f : float(h - y) / float(h);
    }
    default: {
        const double dx = X - W / 2.0, dy = Y - H / 2.0;
        // Screen y grows downwards: clockwise measures the angle against it.
        double t =
            (o == gtClockWise ? std::atan2(-dy, dx) : std::atan2(dy, dx)) / (2 * std::numbers::pi) -
            0.5;
        while (t < 0)
            t += 1;
        while (t > 1)
            t -= 1;
        return float(t);
    }
    }
}

TGraphicTrackbar::TGraphicTrackbar(QWidget *parent) : TGraphicControl(parent), FImage(clBtnFace32())
{
    FImage.SetSize(4, 4);
    Layout();
    Redraw();
}

void TGraphicTrackbar::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    Layout();
    Redraw();
}

void TGraphicTrackbar::setOrientation(TGraphicTrackbarOrientation o)
{
    if (o == FOrientation)
        return;
    FOrientation = o;
    Layout();
    Redraw();
}

float TGraphicTrackbar::Position() const
{
    float p = FPosition;
    if (OnOutFilter)
        OnOutFilter(const_cast<TGraphicTrackbar *>(this), p);
    return p;
}

void TGraphicTrackbar::setPosition(float p)
{
    p = p <= 0 ? 0.0f : p >= 1 ? 1.0f : p;
    if (OnInFilter)
        OnInFilter(this, p);
    if (p == FPosition)
        return;
    FPosition = p;
    Redraw();
    Change();
}

void TGraphicTrackbar::setCenterLine(bool on)
{
    if (on == FCenterLine)
        return;
    FCenterLine = on;
    Redraw();
}

void TGraphicTrackbar::Change()
{
    if (OnChange)
        OnChange(this);
}

void TGraphicTrackbar::Layout()
{
    FInnerRect = trackbarInnerRect(FOrientation, width(), height());
    FImage.SetSize(std::max(width(), 4), std::max(height(), 4));
}

void TGraphicTrackbar::drawGroove()
{
    const sRect r = FInnerRect;
    FImage.DrawRectangle(r, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy, blendKeep);
    const sRect inner{r.x0 + 1, r.y0 + 1, r.x1 - 1, r.y1 - 1};
    FImage.DrawRectangle(inner, 1, clWindowFrame32(), blendCopy, blendKeep);
    const int W = FImage.Width(), H = FImage.Height();
    if (FOrientation == gtHorizontal) {
        if (FCenterLine) {
            const int x = r.x0 + (r.x1 - r.x0) / 2;
            FImage.FillRectangle({x, inner.y0, x + 1, inner.y1}, clWindowFrame32(), blendCopy,
                                 blendKeep);
        }
        if (const TMemoryGraphic *thumb = gAppearanceManager->GetPosImage(1)) {
            const int x = int(std::trunc((W - thumb->Width()) * FPosition + 0.5f));
            FImage.BlendImage(x, 2, thumb->Width(), thumb->Height(), *thumb, 0, 0, blendNormal,
                              blendKeep);
        }
    } else {
        if (FCenterLine) {
            const int y = r.y0 + (r.y1 - r.y0) / 2;
            FImage.FillRectangle({inner.x0, y, inner.x1, y + 1}, clWindowFrame32(), blendCopy,
                                 blendKeep);
        }
        if (const TMemoryGraphic *thumb = gAppearanceManager->GetPosImage(7)) {
            const int y = int(std::trunc((1 - FPosition) * (H - thumb->Height()) + 0.5f));
            FImage.BlendImage((W - 10) / 2, y, thumb->Width(), thumb->Height(), *thumb, 0, 0,
                              blendNormal, blendKeep);
        }
    }
}

void TGraphicTrackbar::drawDial()
{
    const sRect r = FInnerRect;
    const int d = std::min(r.x1 - r.x0, r.y1 - r.y0);
    FImage.DrawCircle({r.x0, r.y0}, d, 1.0f, clWindowFrame32(), blendNormal, blendKeep);
    const float cx = FImage.Width() / 2.0f, cy = FImage.Height() / 2.0f;
    const float radius = std::min(cx, cy) - 2;
    const double a = FPosition * 2 * std::numbers::pi;
    const float ex = cx - radius * float(std::cos(a));
    const float ey = FOrientation == gtClockWise ? cy + radius * float(std::sin(a))
                                                 : cy - radius * float(std::sin(a));
    FImage.DrawLine({cx, cy}, {ex, ey}, clWindowFrame32(), blendNormal, blendKeep);
}

void TGraphicTrackbar::Redraw()
{
    if (!FImage.Prepared())
        return;
    FImage.setColor(clBtnFace32());
    FImage.Clear();
    if (FOrientation == gtHorizontal || FOrientation == gtVertical)
        drawGroove();
    else
        drawDial();
    if (!isEnabled())
        FImage.FillRectangle({0, 0, width(), height()}, clBtnFaceTwoThirds32(), blendNormal,
                             blendKeep);
    update();
}

void TGraphicTrackbar::Paint(QPainter &painter)
{
    if (isVisible() && FImage.Prepared())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TGraphicTrackbar::takePoint(int X, int Y)
{
    // Straight into the field: a press does not pass the in-filter, and always notifies.
    FPosition =
        std::clamp(trackbarPositionFromPoint(FOrientation, width(), height(), X, Y), 0.0f, 1.0f);
    Redraw();
    Change();
}

void TGraphicTrackbar::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y, bool)
{
    if (button != Qt::LeftButton || !acceptMouseDown(this))
        return;
    FDown = true;
    if (FocusControl)
        FocusControl->setFocus();
    takePoint(x, y);
}

void TGraphicTrackbar::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (acceptMouseMove(this) && FDown)
        takePoint(x, y);
}

void TGraphicTrackbar::DragTo(int X, int Y)
{
    if (acceptMouseMove(this) && FDown)
        takePoint(X, Y);
}

void TGraphicTrackbar::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDown = false;
}

void TGraphicTrackbar::changeEvent(QEvent *ev)
{
    TGraphicControl::changeEvent(ev);
    if (ev->type() == QEvent::EnabledChange)
        Redraw();
}
