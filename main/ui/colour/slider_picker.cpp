// The three-slider picker with its fixed hue-lightness field.
#include "ui/colour/colour_pickers.h"
#include "ui/graphics/appearance.h"

#include <numbers>

TSliderColorPicker::TSliderColorPicker(QWidget *parent) : TCustomColorPicker(parent)
{
    FType = cpRGB;
    if (gAppearanceManager)
        FPos = gAppearanceManager->GetPosImage(3);
}

void TSliderColorPicker::setSliderColorChange(bool Value)
{
    TCustomColorPicker::setSliderColorChange(Value);
    RebuildImage();
    PaintNow();
}

void TSliderColorPicker::RebuildImage()
{
    const int32_t mw = FPos ? FPos->Width() : 9, mh = FPos ? FPos->Height() : 7;
    sliderLayout(width(), height(), mw, FBarSpacing, FLayout);
    FMargin = FLayout.margin;
    if (!PreparePictures(FLayout.w, FLayout.h))
        return;
    const bool scc = FSliderColorChange;
    sRect ramps[3];
    for (int i = 0; i < 3; ++i)
        ramps[i] = sliderRamp(FLayout.bars[i], mh);
    if (spaceFamily(FType) == cfRGB) {
        const TColor32 c = FManager ? FManager->Color32() : clBlack32;
        const uint8_t R = c.r, G = c.g, B = c.b;
        const TColor32 from[3] = {scc ? makeColor32(B, G, 0, 255) : clBlack32,
                                  scc ? makeColor32(B, 0, R, 255) : clBlack32,
                                  scc ? makeColor32(0, G, R, 255) : clBlack32};
        const TColor32 to[3] = {scc ? makeColor32(B, G, 255, 255) : clRed32,
                                scc ? makeColor32(B, 255, R, 255) : clGreen32,
                                scc ? makeColor32(255, G, R, 255) : clBlue32};
        for (int i = 0; i < 3; ++i)
            FWork.FillRectangle(ramps[i], from[i], to[i], adLeftRight, blendCopy, blendKeep);
    } else {
        float c[3];
        Components(c);
        const bool hsv = spaceFamily(FType) == cfHSV;
        const float full = hsv ? 1.0f : 0.5f;
        FWork.FillHueRectangle(ramps[0], 0, scc ? c[1] : 1, scc ? c[2] : full, 1, adLeftRight,
                               blendCopy, blendKeep, hsv);
        FWork.FillSaturationRectangle(ramps[1], c[0], scc ? c[2] : full, 1, adLeftRight, blendCopy,
                                      blendKeep, hsv);
        FWork.FillValueRectangle(ramps[2], c[0], scc ? c[1] : 0, 1, adLeftRight, blendCopy,
                                 blendKeep, hsv);
    }
    for (const sRect &r : ramps)
        drawPickerFrames(FWork, r);
    const sRect &a = FLayout.area;
    if (a.y1 - a.y0 > 4) {
        drawPickerFrames(FWork, a);
        FWork.FillHueValueRectangle(a, 0, 1, 1, adLeftRight, adBottomTop, blendCopy, blendKeep,
                                    false);
    }
}

sPos TSliderColorPicker::SliderMarkerPos(int i) const
{
    float c[3];
    Components(c);
    const int32_t mw = FPos ? FPos->Width() : 9, mh = FPos ? FPos->Height() : 7;
    return sliderMarker(FLayout.bars[i], c[i], isHueComponent(FType, i), mw / 2, mh);
}

bool TSliderColorPicker::ComposeDisplay()
{
    if (!TCustomColorPicker::ComposeDisplay())
        return false;
    for (int i = 0; i < 3; ++i)
        BlendMarker(SliderMarkerPos(i));
    return true;
}

void TSliderColorPicker::setColors(const TColorPickerValue &Value)
{
    TCustomColorPicker::setColors(Value);
    float c[3];
    Components(c);
    if (ApplyComponents(c))
        Picked();
}

void TSliderColorPicker::PickAt(int index, int x, int y)
{
    if (!FManager)
        return;
    if (index == 3) {
        const TColor32 p = FWork.GetPixel(x, y);
        // Written as RGB whatever the picker shows; the picker keeps its space.
        FManager->SetValues(float(p.r / 255.0), float(p.g / 255.0), float(p.b / 255.0), cpRGB);
        Picked();
        return;
    }
    const sRect &bar = FLayout.bars[index];
    float t = axisPick(x, bar.x0, bar.x1 - bar.x0, false);
    if (isHueComponent(FType, index))
        t = float(t * (2 * std::numbers::pi));
    float c[3];
    Components(c);
    if (c[index] == t)
        return;
    c[index] = t;
    if (ApplyComponents(c))
        Picked();
}

void TSliderColorPicker::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y,
                                   bool)
{
    if (button != Qt::LeftButton)
        return;
    const int part = sliderPartAt(FLayout, x, y);
    if (part < 0)
        return;
    FDragIndex = part;
    PickAt(part, x, y);
}

void TSliderColorPicker::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int x, int y)
{
    if (FDragIndex < 0)
        return;
    if (FDragIndex == 3) {
        const sRect &a = FLayout.area;
        x = std::clamp(x, a.x0, a.x1 - 1);
        y = std::clamp(y, a.y0, a.y1 - 1);
    }
    PickAt(FDragIndex, x, y);
}

void TSliderColorPicker::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int, int)
{
    if (button == Qt::LeftButton)
        FDragIndex = -1;
}
