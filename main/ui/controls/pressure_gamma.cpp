#include "ui/controls/pressure_gamma.h"

#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

float pressureGammaDrag(float gamma, int d, bool shift)
{
    const int g = int(std::trunc(gamma * 100 + 0.5));
    if (g > 100 || (g == 100 && d > 0))
        d *= 5;
    if ((g < 100 && g + d > 100) || (g > 100 && g + d < 100))
        return 1.0f;
    int v = shift ? (int(std::trunc(g + 0.5)) / 5 + d) * 5 : g + d;
    v = std::clamp(v, 5, 600);
    return float(v) / 100;
}

TPressureGamma::TPressureGamma(QWidget *parent) : TGraphicControl(parent), FImage(clBtnFace32())
{
    setHint(QStringLiteral("筆圧補正|左・上方向にドラッグ: 筆圧補正を減少, 右・上方向にドラッグ: "
                           "筆圧補正を増大, Shift + ドラッグ: アジャスト, ダブルクリック: "
                           "筆圧補正をリセット"));
}

TPressureGamma::~TPressureGamma() = default;

void TPressureGamma::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    const int w = std::max(this->width(), 1), h = std::max(this->height(), 1);
    if (FImage.Prepared() && FImage.Width() == w && FImage.Height() == h)
        return;
    FImage.SetSize(w, h);
    FWork.Resize(std::max(4 * w - 16, 1), std::max(4 * h - 16, 1));
    DrawImages();
}

bool TPressureGamma::hitTest(QPoint pos) const
{
    return isEnabled() && TGraphicControl::hitTest(pos);
}

void TPressureGamma::setGamma(float value)
{
    if (!(value >= 0))
        value = 0;
    if (value == FGamma)
        return;
    FGamma = value;
    DoChange();
    DrawImages();
}

void TPressureGamma::setReadOnly(bool value)
{
    FReadOnly = value;
    setNoStdEvents(value);
}

void TPressureGamma::DoChange()
{
    if (OnChange)
        OnChange(this);
}

void TPressureGamma::DrawImages()
{
    if (!FImage.Prepared() || FWork.width() < 1)
        return;
    const int W = FImage.Width(), H = FImage.Height();
    FImage.Clear();
    FImage.DrawRectangle({0, 0, W, H}, 1, clGrayText32(), blendCopy, blendCopy);
    FImage.DrawRectangle({1, 1, W - 1, H - 1}, 1, clWindow32(), blendCopy, blendCopy);
    const int iw = W - 4, ih = H - 4; // the inner area at (2, 2)
    if (iw < 1 || ih < 1)
        return;

    // The area under the curve, 4 x 4 supersampled.
    const int ww = FWork.width(), wh = FWork.height();
    FWork.PixelFill(clBtnFace32().bgra);
    const uint32_t fill = clHighlight32().bgra;
    for (int x = 0; x < ww; ++x) {
        const double v = std::pow(double(x) / ww, double(FGamma));
        const int y = int(std::trunc(wh - v * wh + 0.5));
        if (y < wh)
            FWork.fillBox(x, y, 1, wh - y, fill, 128);
    }
    TMTC small(iw, ih);
    FWork.FilterSmallenHQ(small);
    for (int y = 0; y < ih; ++y)
        for (int x = 0; x < iw; ++x) {
            TColor32 c;
            c.bgra = small.getColor(x, y);
            c.a = 255;
            FImage.SetPixel(2 + x, 2 + y, c);
        }

    // A dotted cross through the middle.
    TColor32 ink = clWindowText32();
    ink.a = 51;
    const int left = 2, top = 2;
    const int y0 = top + (ih - 1) / 2, x0 = left + (iw - 1) / 2;
    for (int i = 0; i <= (iw - 1) / 4; ++i)
        for (int x : {left + 2 * i, left + iw - 1 - 2 * i})
            FImage.FillRectangle({x, y0, x + 1, y0 + 2}, ink, blendNormal, blendKeep);
    for (int i = 0; i <= (ih - 1) / 4; ++i)
        for (int y : {top + 2 * i, top + ih - 1 - 2 * i})
            FImage.FillRectangle({x0, y, x0 + 2, y + 1}, ink, blendNormal, blendKeep);
    if (parentWidget())
        update();
}

void TPressureGamma::Paint(QPainter &painter)
{
    FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
    const TColor32 c = clWindowFrame32();
    painter.setPen(QColor(c.r, c.g, c.b));
    painter.setFont(font());
    painter.drawText(rect().adjusted(2, 2, -2, -2), Qt::AlignRight | Qt::AlignBottom,
                     QString::asprintf("%0.2f", double(FGamma)));
}

void TPressureGamma::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                               bool dbl)
{
    TGraphicControl::MouseDown(button, shift, x, y, dbl);
    if (button != Qt::LeftButton)
        return;
    if (dbl) {
        if (!FReadOnly)
            setGamma(1);
        return;
    }
    if (!acceptMouseDown(this))
        return;
    FLastPos = QPoint(x, y);
    FDragging = true;
}

void TPressureGamma::MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseMove(buttons, shift, x, y);
    if (!FDragging || !acceptMouseMove(this))
        return;
    const int d = (x - FLastPos.x()) + (y - FLastPos.y());
    FLastPos = QPoint(x, y);
    setGamma(pressureGammaDrag(FGamma, d, shift & Qt::ShiftModifier));
}

void TPressureGamma::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (button == Qt::LeftButton && !FReadOnly)
        FDragging = false;
}
