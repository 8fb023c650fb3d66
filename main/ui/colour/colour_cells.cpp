#include "ui/colour/colour_cells.h"

#include "ui/graphics/appearance.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace {

TColorDialogRunner &dialogRunner()
{
    static TColorDialogRunner runner;
    return runner;
}

sRect shrunk(const sRect &r, int32_t n)
{
    return {r.x0 + n, r.y0 + n, r.x1 - n, r.y1 - n};
}

bool contains(const sRect &r, QPoint p)
{
    return p.x() >= r.x0 && p.x() < r.x1 && p.y() >= r.y0 && p.y() < r.y1;
}

} // namespace

TColorDialogRunner installColorDialogRunner(TColorDialogRunner runner)
{
    return std::exchange(dialogRunner(), std::move(runner));
}

bool runColorDialog(TColorPickerValue &Value)
{
    return dialogRunner() ? dialogRunner()(Value) : executeColorPickerDialog(Value);
}

// ---- TCustomColorCell

TCustomColorCell::TCustomColorCell(QWidget *parent)
    : TGraphicControl(parent), FSelectColor(new TColorManager(this))
{
}

TCustomColorCell::~TCustomColorCell()
{
    OnChange = nullptr;
}

void TCustomColorCell::SetBounds(int left, int top, int width, int height)
{
    TGraphicControl::SetBounds(left, top, width, height);
    RebuildImage();
}

bool TCustomColorCell::RebuildImage()
{
    return parentWidget() != nullptr;
}

TColorPickerValue TCustomColorCell::SelectColor() const
{
    return FSelectColor->Colors();
}

void TCustomColorCell::setSelectColor(const TColorPickerValue &Value)
{
    if (compareColorPickerValues(Value, FSelectColor->Colors()) == 0)
        return;
    FSelectColor->setColors(Value);
    Change();
    RebuildImage();
    PaintNow();
}

void TCustomColorCell::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomColorCell::PaintNow()
{
    if (parentWidget() && isVisible())
        repaint();
}

void TCustomColorCell::DoMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                                   int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

// ---- TPickerColorCell

TPickerColorCell::TPickerColorCell(QWidget *parent)
    : TCustomColorCell(parent), FInitialColor(new TColorManager(this)), FImage(clBlack32)
{
}

void TPickerColorCell::SetEnabled(bool value)
{
    TCustomColorCell::SetEnabled(value);
    RebuildImage();
    update();
}

TColorPickerValue TPickerColorCell::InitialColor() const
{
    return FInitialColor->Colors();
}

void TPickerColorCell::setInitialColor(const TColorPickerValue &Value)
{
    if (compareColorPickerValues(Value, FInitialColor->Colors()) == 0)
        return;
    FInitialColor->setColors(Value);
    RebuildImage();
    PaintNow();
}

void TPickerColorCell::setDrawInitialColor(bool on)
{
    if (on == FDrawInitialColor)
        return;
    FDrawInitialColor = on;
    RebuildImage();
    PaintNow();
}

bool TPickerColorCell::RebuildImage()
{
    const int32_t w = std::max(width(), 6), h = std::max(height(), 6);
    if (!FImage.SetSize(w, h))
        return false;
    FImage.DrawRectangle({0, 0, w, h}, 1, clBtnShadow32(), clBtnHighlight32(), blendCopy,
                         blendCopy);
    FImage.DrawRectangle({1, 1, w - 1, h - 1}, 1, clWindowFrame32(), blendCopy, blendCopy);
    const sRect inner{2, 2, w - 2, h - 2};
    if (FDrawInitialColor) {
        const int32_t split = inner.y1 - (h - 4) / 2;
        FImage.FillRectangle({inner.x0, inner.y0, inner.x1, split}, FInitialColor->Color32(),
                             blendCopy, blendCopy);
        FImage.FillRectangle({inner.x0, split, inner.x1, inner.y1}, FSelectColor->Color32(),
                             blendCopy, blendCopy);
    } else {
        FImage.FillRectangle(inner, FSelectColor->Color32(), blendCopy, blendCopy);
    }
    if (!isEnabled())
        FImage.FillRectangle({0, 0, w, h}, clBtnFaceTwoThirds32(), blendNormal, blendCopy);
    return true;
}

TPickerColorCellPart TPickerColorCell::GetPartFromPoint(QPoint Pos) const
{
    const int X = Pos.x(), Y = Pos.y();
    if (X <= 1 || X > width() - 2 || Y <= 1 || Y > height() - 2)
        return pccNonClient;
    if (FDrawInitialColor && Y < height() / 2)
        return pccInitialColor;
    return pccSelectColor;
}

void TPickerColorCell::Paint(QPainter &painter)
{
    if (isVisible() && parentWidget())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TPickerColorCell::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                                 bool dbl)
{
    DoMouseDown(button, shift, x, y);
    if (button != Qt::LeftButton || dbl)
        return;
    TColorPickerValue value = SelectColor();
    if (FCallPickerDialog && GetPartFromPoint({x, y}) != pccNonClient && runColorDialog(value))
        setSelectColor(value);
}

// ---- TTwinColorCell

TTwinColorCell::TTwinColorCell(QWidget *parent)
    : TCustomColorCell(parent), FBackgroundColor(new TColorManager(this)), FImage(clBtnFace32())
{
    FBackgroundColor->SetValues(1, 1, 1, cpRGB);
}

TColorManager *TTwinColorCell::activeManager() const
{
    return FActivePart == tccBackgroundColor ? FBackgroundColor : FSelectColor;
}

TColorPickerValue TTwinColorCell::SelectColor() const
{
    return activeManager()->Colors();
}

void TTwinColorCell::setSelectColor(const TColorPickerValue &Value)
{
    if (FActivePart == tccBackgroundColor)
        setBackgroundColor(Value);
    else
        setForegroundColor(Value);
}

void TTwinColorCell::setBackgroundColor(const TColorPickerValue &Value)
{
    if (compareColorPickerValues(Value, FBackgroundColor->Colors()) == 0)
        return;
    FBackgroundColor->setColors(Value);
    Change();
    RebuildImage();
    PaintNow();
}

void TTwinColorCell::setActivate(bool Value)
{
    if (Value == FActivate)
        return;
    FActivate = Value;
    if (!Value)
        FActivePart = tccNonClient;
    else if (FActivePart == tccNonClient)
        setActivePart(tccForegroundColor);
}

void TTwinColorCell::setActivePart(TTwinColorCellPart Value)
{
    if (!FActivate || Value == FActivePart || Value == tccNonClient)
        return;
    FActivePart = Value;
    if (OnActivePartChange)
        OnActivePartChange(this);
    RebuildImage();
    PaintNow();
}

void TTwinColorCell::SetSelectColors(float A1, float A2, float A3, TColorPickerSpace ASpace)
{
    activeManager()->SetValues(A1, A2, A3, ASpace);
    Change();
    RebuildImage();
    PaintNow();
}

void TTwinColorCell::ExchangeColors()
{
    const TColorPickerValue fore = FSelectColor->Colors();
    FSelectColor->setColors(FBackgroundColor->Colors());
    FBackgroundColor->setColors(fore);
    Change();
    RebuildImage();
    PaintNow();
}

TTwinColorCellPart TTwinColorCell::GetPartFromPoint(QPoint Pos) const
{
    const int W = width(), H = height(), a = H / 3, b = W / 3;
    if (contains({0, 0, W - b, H - a}, Pos))
        return tccForegroundColor;
    if (contains({b, a, W, H}, Pos))
        return tccBackgroundColor;
    if (contains({W - b, 0, W, a}, Pos))
        return tccExchangeColor;
    return tccNonClient;
}

void TTwinColorCell::drawSquare(const sRect &r, bool active, TColor32 colour)
{
    FImage.DrawRectangle(r, 1, active ? clHighlight32() : clGrayText32(), blendCopy, blendKeep);
    FImage.DrawRectangle(shrunk(r, 1), 1, active ? clHighlightText32() : clBtnFace32(), blendCopy,
                         blendKeep);
    FImage.FillRectangle(shrunk(r, 2), colour, blendCopy, blendKeep);
}

bool TTwinColorCell::RebuildImage()
{
    if (!TCustomColorCell::RebuildImage())
        return false;
    const int32_t W = width(), H = height(), a = H / 3, b = W / 3;
    if (!FImage.SetSize(std::max(W, 8), std::max(H, 8)) || !FImage.Clear())
        return false;
    drawSquare({b, a, W, H}, FActivePart == tccBackgroundColor, FBackgroundColor->Color32());
    drawSquare({0, 0, W - b, H - a}, FActivePart == tccForegroundColor, FSelectColor->Color32());
    if (b > 10 && a > 10 && gAppearanceManager) {
        const TMemoryGraphic *arrow = gAppearanceManager->GetArrowImage(5, gsNone);
        FImage.BlendImage(FImage.Width() - arrow->Width(), 0, arrow->Width(), arrow->Height(),
                          *arrow, 0, 0, blendNormal, blendKeep);
    }
    return true;
}

void TTwinColorCell::Paint(QPainter &painter)
{
    if (isVisible() && parentWidget())
        FImage.Draw(painter, 0, 0, FImage.Width(), FImage.Height(), 0, 0);
}

void TTwinColorCell::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                               bool dbl)
{
    const TTwinColorCellPart part = GetPartFromPoint({x, y});
    if (button == Qt::LeftButton && !dbl) {
        if (part == tccForegroundColor || part == tccBackgroundColor)
            setActivePart(part);
        else if (part == tccExchangeColor)
            ExchangeColors();
    }
    DoMouseDown(button, shift, x, y);
    if (button == Qt::LeftButton && dbl && part == FActivePart) {
        TColorPickerValue value = SelectColor();
        if (runColorDialog(value))
            setSelectColor(value);
    }
}
