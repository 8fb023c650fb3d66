// The hue-ring pickers: the ring with a square or triangle inside, and the colour wheel.
#include "ui/colour/colour_pickers.h"
#include "ui/graphics/appearance.h"
#include "ui/graphics/colour_space.h"

namespace {

int32_t markerW(const TMemoryGraphic *pos)
{
    return pos ? pos->Width() : 11;
}

int32_t markerH(const TMemoryGraphic *pos)
{
    return pos ? pos->Height() : 11;
}

} // namespace

// ---- TTriangleColorPicker

TTriangleColorPicker::TTriangleColorPicker(QWidget *parent) : TCustomColorPicker(parent)
{
    FType = cpHSL;
}

void TTriangleColorPicker::setSliderColorChange(bool Value)
{
    TCustomColorPicker::setSliderColorChange(Value);
    RebuildImage();
    PaintNow();
}

void TTriangleColorPicker::RebuildImage()
{
    FHasPicture = false;
    const bool hsv = FType == cpHSV;
    if (!triangleLayout(width(), height(), markerW(FPos), hsv, FLayout))
        return;
    FMargin = FLayout.margin;
    const int32_t s = FLayout.s, E = FLayout.E;
    if (!PreparePictures(s, s))
        return;
    FHasPicture = true;
    FWork.DrawCircle({0, 0}, s - 2, 2, clBtnShadow32(), blendNormal, blendKeep);
    FWork.DrawCircle({2, 2}, s - 2, 2, clBtnHighlight32(), blendNormal, blendKeep);
    FWork.DrawCircle({1, 1}, s - 2, 2, clWindowFrame32(), blendNormal, blendKeep);
    FWork.DrawCircle({E + 1, E + 1}, (s - 2) - 2 * E, 2, clGray32, blendNormal, blendKeep);
    FWork.DrawHueCircle({2, 2}, s - 4, float(E), 0, 1, hsv ? 1.0f : 0.5f, 1, blendNormal, blendKeep,
                        hsv);
    float c[3];
    Components(c);
    const sRect &a = FLayout.area;
    if (hsv) {
        FWork.DrawRectangle({a.x0 - 1, a.y0 - 1, a.x1 + 1, a.y1 + 1}, 1, clGray32, blendCopy,
                            blendKeep);
        FWork.FillSaturationValueRectangle(a, c[0], 1, adLeftRight, adBottomTop, blendNormal,
                                           blendKeep, true);
    } else {
        // The outline: the box grown by one and shifted right as a grey triangle, and the column
        // just left of the grown box.
        const sRect outline{a.x0 - 1 + 1, a.y0 - 1, a.x1 + 1 + 1, a.y1 + 1};
        FWork.FillIsoscelesTriangle(outline, clGray32, adLeftRight, blendNormal, blendKeep);
        FWork.FillRectangle({a.x0 - 2, a.y0 - 1, a.x0 - 1, a.y1 + 1}, clGray32, blendNormal,
                            blendKeep);
        uint8_t r, g, b;
        hslToRGBBytes(c[0], 1, 0.5f, r, g, b);
        FWork.FillIsoscelesTriangle(a, clWhite32, makeColor32(b, g, r, 255), clBlack32, adLeftRight,
                                    blendNormal, blendKeep);
    }
}

bool TTriangleColorPicker::ComposeDisplay()
{
    if (!FHasPicture || !TCustomColorPicker::ComposeDisplay())
        return false;
    float c[3];
    Components(c);
    const int32_t mw = markerW(FPos), mh = markerH(FPos);
    BlendMarker(triangleHueMarker(FLayout.s, c[0], mw, mh));
    BlendMarker(triangleAreaMarker(FLayout.area, FType == cpHSV, c[1], c[2], mw / 2));
    return true;
}

void TTriangleColorPicker::setColors(const TColorPickerValue &Value)
{
    TCustomColorPicker::setColors(Value);
    // Applied again as picks: the stored values change nothing, so nothing more is announced.
    float c[3];
    Components(c);
    if (ApplyComponents(c))
        Picked();
}

void TTriangleColorPicker::HuePick(int x, int y)
{
    float c[3];
    Components(c);
    c[0] = triangleHuePick(FLayout.s, x, y);
    if (ApplyComponents(c))
        Picked();
}

void TTriangleColorPicker::AreaPick(int x, int y)
{
    float c[3];
    Components(c);
    if (FType == cpHSV)
        triangleSquarePick(FLayout.area, x, y, c[1], c[2]);
    else
        triangleHSLPick(FLayout.area, x, y, c[1], c[2]);
    // The picture does not depend on these two: a repaint moves the marker.
    if (ApplyComponents(c)) {
        Change();
        PaintNow();
    }
}

void TTriangleColorPicker::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y,
                                     bool)
{
    if (button != Qt::LeftButton || !FHasPicture)
        return;
    const int px = x - FMargin.x, py = y - FMargin.y;
    FDragPart = trianglePartAt(FLayout.s, px, py);
    if (FDragPart == tcpArea)
        AreaPick(px, py);
    else if (FDragPart == tcpCircle)
        HuePick(px, py);
}

void TTriangleColorPicker::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDragPart == tcpArea)
        AreaPick(x - FMargin.x, y - FMargin.y);
    else if (FDragPart == tcpCircle)
        HuePick(x - FMargin.x, y - FMargin.y);
}

void TTriangleColorPicker::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDragPart = tcpNone;
}

// ---- TCircleColorPicker

TCircleColorPicker::TCircleColorPicker(QWidget *parent) : TCustomColorPicker(parent)
{
    FType = cpLHS;
}

void TCircleColorPicker::setSliderColorChange(bool Value)
{
    TCustomColorPicker::setSliderColorChange(Value);
    RebuildImage();
    PaintNow();
}

void TCircleColorPicker::RebuildImage()
{
    FHasPicture = false;
    const int32_t mw = markerW(FPos), m = mw / 2;
    if (!circleLayout(width(), height(), mw, FLayout))
        return;
    FMargin = FLayout.margin;
    if (!PreparePictures(FLayout.A, FLayout.A - 18))
        return;
    FHasPicture = true;
    const int32_t d = FLayout.circle.x1 - FLayout.circle.x0, D = d + 3;
    FWork.DrawCircle({m - 2, m - 2}, D, 2, clBtnShadow32(), blendNormal, blendKeep);
    FWork.DrawCircle({m - 1, m - 1}, D, 2, clBtnHighlight32(), blendNormal, blendKeep);
    FWork.DrawCircle({m - 1, m - 1}, D - 1, 2, clWindowFrame32(), blendNormal, blendKeep);
    drawPickerFrames(FWork, FLayout.bar);

    float c[3];
    Components(c);
    const float h = c[0], s = c[1], v = c[2];
    const bool hsv = spaceFamily(FType) == cfHSV;
    const float full = hsv ? 1.0f : 0.5f;
    const bool scc = FSliderColorChange;
    const sPos at{m, m};
    if (FType == cpSHV || FType == cpSHL) {
        FWork.FillHueValueCircle(at, d, 0, s, 1, blendNormal, blendKeep, hsv);
        FWork.FillSaturationRectangle(FLayout.bar, h, scc ? v : full, 1, adBottomTop, blendCopy,
                                      blendKeep, hsv);
    } else {
        FWork.FillHueSaturationCircle(at, d, 0, v, 1, blendNormal, blendKeep, hsv);
        FWork.FillValueRectangle(FLayout.bar, h, scc ? s : 0, 1, adBottomTop, blendCopy, blendKeep,
                                 hsv);
    }
}

namespace {

// The wheel's radius quantity and the bar's quantity of a space's triple (h, s, v / h, s, l).
int wheelRadiusIndex(TColorPickerSpace t)
{
    return t == cpSHV || t == cpSHL ? 2 : 1;
}

int barIndex(TColorPickerSpace t)
{
    return t == cpSHV || t == cpSHL ? 1 : 2;
}

} // namespace

bool TCircleColorPicker::ComposeDisplay()
{
    if (!FHasPicture || !TCustomColorPicker::ComposeDisplay())
        return false;
    float c[3];
    Components(c);
    const int32_t mw = markerW(FPos), mh = markerH(FPos), Hp = FLayout.A - 18;
    BlendMarker(circleWheelMarker(Hp, mw / 2, c[wheelRadiusIndex(FType)], c[0], mw, mh));
    BlendMarker(circleBarMarker(Hp, mw / 2, c[barIndex(FType)]));
    return true;
}

void TCircleColorPicker::setColors(const TColorPickerValue &Value)
{
    TCustomColorPicker::setColors(Value);
    float c[3];
    Components(c);
    if (ApplyComponents(c))
        Picked();
}

void TCircleColorPicker::WheelPick(int x, int y)
{
    float c[3];
    Components(c);
    float radius, hue;
    circleWheelPick(FLayout.A - 18, markerW(FPos), x, y, radius, hue);
    c[wheelRadiusIndex(FType)] = radius;
    c[0] = hue;
    if (ApplyComponents(c))
        Picked();
}

void TCircleColorPicker::BarPick(int y)
{
    float c[3];
    Components(c);
    c[barIndex(FType)] = circleBarPick(FLayout.bar, y);
    if (ApplyComponents(c))
        Picked();
}

void TCircleColorPicker::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y,
                                   bool)
{
    if (button != Qt::LeftButton || !FHasPicture)
        return;
    const int px = x - FMargin.x, py = y - FMargin.y;
    // Presses beside the picture or on its transparent pixels are not the picker's.
    if (!FWork.GetContains(px, py) || FWork.GetPixel(px, py).a == 0)
        return;
    if (px > FLayout.A - 18) {
        FDragPart = ccpBar;
        BarPick(y - FMargin.y);
    } else {
        FDragPart = ccpCircle;
        WheelPick(px, py);
    }
}

void TCircleColorPicker::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDragPart == ccpCircle)
        WheelPick(x - FMargin.x, y - FMargin.y);
    else if (FDragPart == ccpBar)
        BarPick(y - FMargin.y);
}

void TCircleColorPicker::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDragPart = ccpNone;
}
