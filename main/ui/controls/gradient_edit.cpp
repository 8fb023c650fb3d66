#include "ui/controls/gradient_edit.h"

#include "ui/graphics/appearance.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

TGradientEdit::TGradientEdit(QWidget *parent)
    : TGraphicControl(parent), FImage(clBtnFace32()), FWork(clBtnFace32())
{
    FStops.OnChanged = [this](bool notify) {
        UpdateGradient();
        UpdateImage();
        if (notify && OnChange)
            OnChange(this);
    };
}

TGradientEdit::~TGradientEdit() = default;

void TGradientEdit::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    const int w = std::max(this->width(), 32), h = std::max(this->height(), 17);
    FImage.SetSize(w, h);
    FWork.SetSize(w - 13, h);
    FInnerRect = {6, 0, 6 + FWork.Width(), FWork.Height()};
    UpdateGradient();
    UpdateImage();
}

int TGradientEdit::markerLeft(float p) const
{
    return int(std::trunc(barInside() * double(p) + 0.5));
}

void TGradientEdit::UpdateGradient()
{
    if (!FWork.Prepared())
        return;
    const int W = FWork.Width(), H = FWork.Height(), B = barInside();
    FWork.Clear();
    FWork.DrawRectangle({0, 0, W, H}, 1, clWindowFrame32(), blendCopy, blendCopy);
    FWork.FillCheckBoard({1, 1, W - 1, H - 1}, sSize{4, 4}, makeColor32(255, 255, 255, 255),
                         makeColor32(204, 204, 204, 255), blendCopy, blendCopy);
    const auto colour = [&](int i) {
        return colorPickerValueToColor32(
            FStops.shownColor(i), uint8_t(std::trunc(FStops.GetStop(i)->FOpaque * 255 + 0.5f)));
    };
    int x0 = 1;
    for (int i = 1; i < FStops.Count(); ++i) {
        const int x1 = int(std::trunc(B * double(FStops.GetStop(i)->FPosition) + 1.5));
        if (x1 > x0 && !FStops.GetStop(i - 1)->FUnionRight)
            FWork.FillRectangle({x0, 1, x1, H - 1}, colour(i - 1), colour(i), adLeftRight,
                                blendNormal, blendKeep);
        x0 = std::max(x0, x1);
    }
}

void TGradientEdit::drawMarker(int index, bool joined, bool selected)
{
    const TMemoryGraphic *m = gGradMarkerImages[joined][selected];
    if (!m)
        return;
    const int x = markerLeft(FStops.GetStop(index)->FPosition);
    const int y = (FWork.Height() - 15) / 2 + 1;
    FImage.BlendImage(x, y, 15, 15, *m, 0, 0, blendNormal, blendKeep);
}

bool TGradientEdit::UpdateImage()
{
    if (!FImage.Prepared())
        return false;
    FImage.Clear();
    FImage.BlendImage(6, 0, FWork.Width(), FWork.Height(), FWork, 0, 0, blendNormal, blendKeep);
    const int sel = FStops.SelectIndex();
    const bool selJoined = FStops.GetStop(sel) && FStops.GetStop(sel)->FUnionRight;
    if (FInvalid) {
        drawMarker(sel, selJoined, true);
        const int x = markerLeft(FStops.GetStop(sel)->FPosition);
        const int y = (FWork.Height() - 15) / 2 + 1;
        TColor32 c = FImage.Color();
        c.a = 192;
        FImage.FillRectangle({x, y, x + 15, y + 15}, c, blendNormal, blendKeep);
    }
    bool prevJoined = false;
    for (int i = 0; i < FStops.Count(); ++i) {
        const bool joined = FStops.GetStop(i)->FUnionRight;
        if (i != sel && !prevJoined)
            drawMarker(i, joined, false);
        prevJoined = joined;
    }
    if (!FInvalid)
        drawMarker(sel, selJoined, true);
    if (parentWidget())
        update();
    return true;
}

void TGradientEdit::Paint(QPainter &painter)
{
    FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

TGradientEditCommand TGradientEdit::GetCommandType(int X) const
{
    for (int i = 0; i < FStops.Count(); ++i)
        if (std::abs(X - (markerLeft(FStops.GetStop(i)->FPosition) + 7)) <= 7)
            return gecSelect;
    return gecAdd;
}

int TGradientEdit::GetNearestIndex(int X) const
{
    const int B = barInside();
    if (X < 8)
        return 0;
    if (X - 7 >= B)
        return FStops.Count() - 1;
    const double b = X - 7;
    for (int i = 0; i + 1 < FStops.Count(); ++i) {
        const double l = B * double(FStops.GetStop(i)->FPosition);
        const double r = B * double(FStops.GetStop(i + 1)->FPosition);
        if (l <= b && b <= r)
            return (b - l <= r - b) ? i : i + 1;
    }
    return FStops.Count() - 1;
}

void TGradientEdit::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                              bool dbl)
{
    if (button != Qt::LeftButton) {
        TGraphicControl::MouseDown(button, shift, x, y, dbl);
        return;
    }
    FDragging = false;
    FLastX = x;
    if (GetCommandType(x) == gecSelect)
        FStops.setSelectIndex(GetNearestIndex(x));
    else if (barInside() > 0)
        FStops.AddStop(true, float(x - 7) / float(barInside()));
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    FDragging = true;
}

void TGradientEdit::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (!FDragging || x == FLastX || barInside() <= 0)
        return;
    FLastX = x;
    // Only a stop that can move can be dragged off (and so be deleted).
    FInvalid = !rect().contains(x, y) && FStops.CanMove(FStops.SelectIndex());
    FStops.SetPosition(float(x - 7) / float(barInside()), FStops.SelectIndex());
    UpdateImage();
}

void TGradientEdit::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    if (button != Qt::LeftButton || !FDragging) {
        FDragging = false;
        TGraphicControl::MouseUp(button, shift, x, y);
        return;
    }
    FDragging = false;
    FInvalid = false;
    if (!rect().contains(x, y)) {
        FStops.DeleteStop(FStops.SelectIndex());
        UpdateImage();
        TGraphicControl::MouseUp(button, shift, x, y);
    }
}
