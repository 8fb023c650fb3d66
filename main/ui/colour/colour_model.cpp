#include "ui/colour/colour_model.h"

#include "ui/graphics/colour_space.h"

#include <algorithm>
#include <cmath>

namespace {

bool sameRGB(const TRGBSingle &a, const TRGBSingle &b)
{
    return a.r == b.r && a.g == b.g && a.b == b.b;
}

bool sameHSV(const THSVSingle &a, const THSVSingle &b)
{
    return a.h == b.h && a.s == b.s && a.v == b.v;
}

bool sameHSL(const THSLSingle &a, const THSLSingle &b)
{
    return a.h == b.h && a.s == b.s && a.l == b.l;
}

THSVSingle hsvOf(const TRGBSingle &c)
{
    float h, s, v;
    rgbToHSVSingle(c.r, c.g, c.b, h, s, v);
    return {h, s, v};
}

THSLSingle hslOf(const TRGBSingle &c)
{
    float h, s, l;
    rgbToHSLSingle(c.r, c.g, c.b, h, s, l);
    return {h, s, l};
}

} // namespace

void familyComponents(const TColorPickerValue &Value, TColorPickerFamily Family, float C[3])
{
    switch (Family) {
    case cfRGB:
        C[0] = Value.rgb.r, C[1] = Value.rgb.g, C[2] = Value.rgb.b;
        break;
    case cfHSV:
        C[0] = Value.hsv.h, C[1] = Value.hsv.s, C[2] = Value.hsv.v;
        break;
    case cfHSL:
        C[0] = Value.hsl.h, C[1] = Value.hsl.s, C[2] = Value.hsl.l;
        break;
    }
}

TColorManager::TColorManager(QObject *owner) : QObject(owner) {}

TColorManager::~TColorManager()
{
    OnChange = nullptr;
}

void TColorManager::setRGB(const TRGBSingle &Value)
{
    if (sameRGB(Value, FRGB))
        return;
    FRGB = Value;
    FHSV = hsvOf(FRGB);
    FHSL = hslOf(FRGB);
    Change();
}

void TColorManager::setHSV(const THSVSingle &Value)
{
    if (sameHSV(Value, FHSV))
        return;
    FHSV = Value;
    float r, g, b;
    hsvToRGBSingle(FHSV.h, FHSV.s, FHSV.v, r, g, b);
    FRGB = {r, g, b};
    FHSL = hslOf(FRGB);
    // A grey loses its hue through RGB: both hue triples keep the written one.
    FHSL.h = FHSV.h;
    Change();
}

void TColorManager::setHSL(const THSLSingle &Value)
{
    if (sameHSL(Value, FHSL))
        return;
    FHSL = Value;
    float r, g, b;
    hslToRGBSingle(FHSL.h, FHSL.s, FHSL.l, r, g, b);
    FRGB = {r, g, b};
    FHSV = hsvOf(FRGB);
    FHSV.h = FHSL.h;
    Change();
}

void TColorManager::SetValues(float AC0, float AC1, float AC2, TColorPickerSpace AType)
{
    switch (spaceFamily(AType)) {
    case cfRGB:
        setRGB({AC0, AC1, AC2});
        break;
    case cfHSV:
        setHSV({AC0, AC1, AC2});
        break;
    case cfHSL:
        setHSL({AC0, AC1, AC2});
        break;
    }
}

TColorPickerValue TColorManager::Colors() const
{
    TColorPickerValue v;
    v.space = FSpace;
    v.rgb = FRGB;
    v.hsv = FHSV;
    v.hsl = FHSL;
    return v;
}

void TColorManager::setColors(const TColorPickerValue &Value)
{
    switch (compareColorPickerValues(Value, Colors())) {
    case 0:
        return;
    case 1:
        FSpace = Value.space;
        return;
    default:
        FSpace = Value.space;
        FRGB = Value.rgb;
        FHSV = Value.hsv;
        FHSL = Value.hsl;
        return;
    }
}

TColor32 TColorManager::Color32() const
{
    return colorPickerValueToColor32(Colors(), 255);
}

void TColorManager::setColor32(TColor32 C)
{
    SetValues(float(C.r / 255.0), float(C.g / 255.0), float(C.b / 255.0), cpRGB);
}

void TColorManager::Change()
{
    if (OnChange)
        OnChange(this);
}

int compareColorPickerValues(const TColorPickerValue &A, const TColorPickerValue &B)
{
    if (!sameRGB(A.rgb, B.rgb) || !sameHSV(A.hsv, B.hsv) || !sameHSL(A.hsl, B.hsl))
        return 2;
    return A.space == B.space ? 0 : 1;
}

uint8_t colourChannelByte(float c)
{
    // Clamped first: a component just beyond 1 would otherwise wrap to a byte near black. A NaN
    // fails both comparisons and becomes 0.
    const double v = c >= 0 ? std::min(double(c), 1.0) : 0.0;
    return uint8_t(std::trunc(v * 255 + 0.5));
}

TColor32 colorPickerValueToColor32(const TColorPickerValue &Value, uint8_t Alpha)
{
    return makeColor32(colourChannelByte(Value.rgb.b), colourChannelByte(Value.rgb.g),
                       colourChannelByte(Value.rgb.r), Alpha);
}

void color32ToColorPickerValue(TColor32 Color, TColorPickerValue &Value)
{
    rgbToColorPickerValue({float(Color.r / 255.0), float(Color.g / 255.0), float(Color.b / 255.0)},
                          Value);
}

void rgbToColorPickerValue(const TRGBSingle &RGB, TColorPickerValue &Value)
{
    Value.space = cpRGB;
    Value.rgb = RGB;
    Value.hsv = hsvOf(RGB);
    Value.hsl = hslOf(RGB);
}
