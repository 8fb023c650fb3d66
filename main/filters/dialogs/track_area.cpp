#include "filters/dialogs/track_area.h"

#include "ui/graphics/appearance.h"

#include <algorithm>
#include <cmath>

TTrackArea::TTrackArea(QWidget *parent) : TGraphicControl(parent)
{
    FImage.SetSize(4, 4);
}

void TTrackArea::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    FImage.SetSize(std::max(width, 4), std::max(height, 4));
    UpdateImage();
}

void TTrackArea::SetPosition(float X, float Y)
{
    if (X == FPosition.x && Y == FPosition.y)
        return;
    FPosition = {X, Y};
    Change();
    UpdateImage();
}

TPointSingle TTrackArea::PositionAt(int x, int y) const
{
    const int w = width(), h = height();
    return {w < 5 ? 0.5f : float(x - 2) / float(w - 4), h < 5 ? 0.5f : float(y - 2) / float(h - 4)};
}

void TTrackArea::Change()
{
    if (OnChange)
        OnChange(this);
}

void TTrackArea::UpdateImage()
{
    if (!FImage.Prepared())
        return;
    FImage.Clear();
    const int w = width(), h = height();
    const TColor32 grid = clBtnShadow32();
    for (int i = 1; i <= FGrid.x(); ++i) {
        const int x = i * (w - 5) / (FGrid.x() + 1) + 2;
        FImage.FillRectangle({x, 0, x + 1, h}, grid, blendCopy, blendCopy);
    }
    for (int i = 1; i <= FGrid.y(); ++i) {
        const int y = i * (h - 5) / (FGrid.y() + 1) + 2;
        FImage.FillRectangle({0, y, w, y + 1}, grid, blendCopy, blendCopy);
    }
    if (const TMemoryGraphic *g = gAppearanceManager ? gAppearanceManager->GetPosImage(0) : nullptr;
        g && g->Prepared()) {
        const int gx = int(std::trunc(float(w - 5) * FPosition.x - float(g->Width()) / 2 + 2.5f));
        const int gy = int(std::trunc(float(h - 5) * FPosition.y - float(g->Height()) / 2 + 2.5f));
        FImage.BlendImage(gx, gy, g->Width(), g->Height(), *g, 0, 0, blendNormal, blendNormal);
    }
    FImage.DrawRectangle({0, 0, w, h}, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy,
                         blendCopy);
    FImage.DrawRectangle({1, 1, w - 1, h - 1}, 1, clBtnFace32(), blendCopy, blendCopy);
    update();
}

void TTrackArea::Paint(QPainter &painter)
{
    if (FImage.Prepared() && parentWidget())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TTrackArea::trackTo(int x, int y)
{
    const TPointSingle p = PositionAt(x, y);
    FPosition = {std::clamp(p.x, 0.0f, 1.0f), std::clamp(p.y, 0.0f, 1.0f)};
    UpdateImage();
    Change();
}

void TTrackArea::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y, bool)
{
    if (button != Qt::LeftButton || !isVisible() || !isEnabled())
        return;
    FDown = true;
    if (FFocusControl)
        FFocusControl->setFocus();
    trackTo(x, y);
}

void TTrackArea::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDown && isVisible() && isEnabled())
        trackTo(x, y);
}

void TTrackArea::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDown = false;
}
