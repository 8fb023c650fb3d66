// Colour fields of the colour pickers: hue, saturation and value (or lightness) along the axes
// of a rectangle, or by angle and radius in a circle.
#include "ui/graphics/colour_space.h"
#include "ui/graphics/memory_graphic.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace {

enum FieldKind
{
    fkHue,
    fkSaturation,
    fkValue,
    fkHueValue,
    fkHueSaturation,
    fkSaturationValue,
};

bool isHorizontal(TAppearanceDirection d)
{
    return d == adLeftRight || d == adRightLeft;
}

bool isReversed(TAppearanceDirection d)
{
    return d == adRightLeft || d == adBottomTop;
}

// Pixel i of an n-pixel hue axis.
float hueAt(float H, int32_t i, int32_t n, TAppearanceDirection d)
{
    const double step = 2 * std::numbers::pi / n;
    return float(H + i * (isReversed(d) ? -step : step));
}

// Pixel i of an n-pixel 0..1 axis; a one-pixel axis holds its start value.
float rampAt(int32_t i, int32_t n, TAppearanceDirection d)
{
    const double f = n < 2 ? 0.0 : double(i) / (n - 1);
    return float(isReversed(d) ? 1 - f : f);
}

TColor32 fieldColour(float H, float S, float V, bool HSV, uint8_t alpha)
{
    uint8_t r, g, b;
    if (HSV)
        hsvToRGBBytes(H, S, V, r, g, b);
    else
        hslToRGBBytes(H, S, V, r, g, b);
    return makeColor32(b, g, r, alpha);
}

uint8_t opacityByte(float D)
{
    return uint8_t(std::clamp(int32_t(std::trunc(double(D) * 255 + 0.5)), 0, 255));
}

} // namespace

bool TMemoryGraphic::fillField(const sRect &ARect, TAppearanceDirection DirA,
                               TAppearanceDirection DirB, int kind, float H, float S, float V,
                               float D, TBlendProc BlendRGB, TBlendProc BlendA, bool HSV)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const uint8_t alpha = opacityByte(D);
    auto colourAt = [&](int32_t col, int32_t row) {
        const int32_t ia = isHorizontal(DirA) ? col : row, na = isHorizontal(DirA) ? DW : DH;
        const int32_t ib = isHorizontal(DirB) ? col : row, nb = isHorizontal(DirB) ? DW : DH;
        float h = H, s = S, v = V;
        switch (kind) {
        case fkHue:
            h = hueAt(H, ia, na, DirA);
            break;
        case fkSaturation:
            s = rampAt(ia, na, DirA);
            break;
        case fkValue:
            v = rampAt(ia, na, DirA);
            break;
        case fkHueValue:
            h = hueAt(H, ia, na, DirA), v = rampAt(ib, nb, DirB);
            break;
        case fkHueSaturation:
            h = hueAt(H, ia, na, DirA), s = rampAt(ib, nb, DirB);
            break;
        default:
            s = rampAt(ia, na, DirA), v = rampAt(ib, nb, DirB);
            break;
        }
        return fieldColour(h, s, v, HSV, alpha);
    };
    if (kind <= fkValue && isHorizontal(DirA)) {
        // One row of colours serves every row.
        std::vector<TColor32> row;
        try {
            row.resize(size_t(DW));
        } catch (const std::bad_alloc &) {
            return false;
        }
        for (int32_t x = 0; x < DW; ++x)
            row[size_t(x)] = colourAt(x, 0);
        for (int32_t y = 0; y < DH; ++y)
            for (int32_t x = 0; x < DW; ++x)
                PutPixel(DX + x, DY + y, row[size_t(x)], D, 1.0f, BlendRGB, BlendA);
        return true;
    }
    for (int32_t y = 0; y < DH; ++y)
        for (int32_t x = 0; x < DW; ++x)
            PutPixel(DX + x, DY + y, colourAt(x, y), D, 1.0f, BlendRGB, BlendA);
    return true;
}

bool TMemoryGraphic::FillHueRectangle(const sRect &ARect, float H, float S, float V, float D,
                                      TAppearanceDirection Dir, TBlendProc BlendRGB,
                                      TBlendProc BlendA, bool HSV)
{
    return fillField(ARect, Dir, Dir, fkHue, H, S, V, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillSaturationRectangle(const sRect &ARect, float H, float V, float D,
                                             TAppearanceDirection Dir, TBlendProc BlendRGB,
                                             TBlendProc BlendA, bool HSV)
{
    return fillField(ARect, Dir, Dir, fkSaturation, H, 0, V, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillValueRectangle(const sRect &ARect, float H, float S, float D,
                                        TAppearanceDirection Dir, TBlendProc BlendRGB,
                                        TBlendProc BlendA, bool HSV)
{
    return fillField(ARect, Dir, Dir, fkValue, H, S, 0, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillHueValueRectangle(const sRect &ARect, float H, float S, float D,
                                           TAppearanceDirection DirH, TAppearanceDirection DirV,
                                           TBlendProc BlendRGB, TBlendProc BlendA, bool HSV)
{
    return fillField(ARect, DirH, DirV, fkHueValue, H, S, 0, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillHueSaturationRectangle(const sRect &ARect, float H, float V, float D,
                                                TAppearanceDirection DirH,
                                                TAppearanceDirection DirS, TBlendProc BlendRGB,
                                                TBlendProc BlendA, bool HSV)
{
    return fillField(ARect, DirH, DirS, fkHueSaturation, H, 0, V, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillSaturationValueRectangle(const sRect &ARect, float H, float D,
                                                  TAppearanceDirection DirS,
                                                  TAppearanceDirection DirV, TBlendProc BlendRGB,
                                                  TBlendProc BlendA, bool HSV)
{
    return fillField(ARect, DirS, DirV, fkSaturationValue, H, 0, 0, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::fillCircleField(sPos Pos, int32_t Diameter, float EdgeWidth, int kind, float H,
                                     float S, float V, float D, TBlendProc BlendRGB,
                                     TBlendProc BlendA, bool HSV)
{
    int32_t DX, DY, n;
    if (!squareBox(Pos, Diameter, DX, DY, n))
        return false;
    if (kind == fkHueSaturation && n < 2)
        return false;
    const double r = (n - 1) / 2.0;
    const double u = r - EdgeWidth; // the hole of a ring; EdgeWidth < 0 means a full disc
    const bool ring = EdgeWidth >= 0 && u > 0;
    const uint8_t alpha = opacityByte(D);
    for (int32_t y = 0; y < n; ++y)
        for (int32_t x = 0; x < n; ++x) {
            const double d = std::hypot(x - r, y - r);
            if (ring && d < u)
                continue;
            const double t = ring ? [&] {
                if (d - u > 1)
                    return r - d + 1;
                const double m = r - d + 1;
                return m > 1 ? d - u : m >= 0 ? (d - u) * m : 0.0;
            }()
                                  : r - d + 1;
            if (!(t > 0))
                continue;
            const float hue = float(H + std::atan2(n / 2.0 - y, x - n / 2.0));
            const float radial = r > 0 ? float(std::min(d / r, 1.0)) : 0.0f;
            const TColor32 c = fieldColour(hue, kind == fkHueSaturation ? radial : S,
                                           kind == fkHueValue ? radial : V, HSV, alpha);
            if (t >= 1)
                PutPixel(DX + x, DY + y, c, D, 1.0f, BlendRGB, BlendA);
            else
                PutPixel(DX + x, DY + y, c, float(D * t), float(t), BlendRGB, BlendA);
        }
    return true;
}

bool TMemoryGraphic::FillHueCircle(sPos Pos, int32_t Diameter, float H, float S, float V, float D,
                                   TBlendProc BlendRGB, TBlendProc BlendA, bool HSV)
{
    return fillCircleField(Pos, Diameter, -1, fkHue, H, S, V, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillHueSaturationCircle(sPos Pos, int32_t Diameter, float H, float V, float D,
                                             TBlendProc BlendRGB, TBlendProc BlendA, bool HSV)
{
    return fillCircleField(Pos, Diameter, -1, fkHueSaturation, H, 0, V, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::FillHueValueCircle(sPos Pos, int32_t Diameter, float H, float S, float D,
                                        TBlendProc BlendRGB, TBlendProc BlendA, bool HSV)
{
    return fillCircleField(Pos, Diameter, -1, fkHueValue, H, S, 0, D, BlendRGB, BlendA, HSV);
}

bool TMemoryGraphic::DrawHueCircle(sPos Pos, int32_t Diameter, float EdgeWidth, float H, float S,
                                   float V, float D, TBlendProc BlendRGB, TBlendProc BlendA,
                                   bool HSV)
{
    return fillCircleField(Pos, Diameter, std::max(EdgeWidth, 0.0f), fkHue, H, S, V, D, BlendRGB,
                           BlendA, HSV);
}
