// The geometry of the colour pickers, without widgets: where each picker puts its field, bar or
// sliders for a control size, which colour quantity a point gives, and where a quantity puts
// its marker. All positions are in picture coordinates unless a function says otherwise.
#pragma once

#include "core/base/geometry.h"
#include "ui/colour/colour_model.h"

#include <cstdint>

// Which component of the family's fixed order (0..2) a space puts on the bar (or slider) and
// along the field's horizontal and vertical axes.
struct TSpaceAxes
{
    int bar = 0, across = 1, up = 2;
};
TSpaceAxes spaceAxes(TColorPickerSpace Space);
// Component 0 of the HSV and HSL families is a hue.
inline bool isHueComponent(TColorPickerSpace Space, int Index)
{
    return Index == 0 && spaceFamily(Space) != cfRGB;
}

// ---- shared steps
// A quantity along n pixels from start, growing with P: (P - start) / (n - 1) clamped into 0..1,
// or for a hue (P - start) * 2pi / (n - 1) clamped into 0..2pi. A span of one pixel gives 0.
float axisPick(int32_t P, int32_t Start, int32_t N, bool Hue);
// A marker offset along w + 1 pixels for the quantity q (0..1; a hue as h / 2pi):
// Trunc(q * w + 0.5), or with Reverse Trunc(w - q * w + 0.5); below 0 w is added, above w
// subtracted (hue positions wrap).
int32_t markerOffset(float Q, int32_t W, bool Reverse);
// A hue as a fraction of a turn.
inline float hueFraction(float H)
{
    return float(H / (2 * 3.14159265358979323846));
}

// ---- square and bar
struct TSquareBarLayout
{
    int32_t A = 0; // picture width; the height is A - 18
    sPos margin;   // where the picture sits in the control
    sRect square, bar;
};
// False when the control leaves no picture (A <= 0).
bool squareBarLayout(int32_t W, int32_t H, int32_t MarkerWidth, TSquareBarLayout &L);
// The (across, up) quantities of a square point; clamped; a hue axis across runs 0..2pi.
void squarePick(const sRect &Square, int32_t X, int32_t Y, bool HueAcross, float &Across,
                float &Up);
// The bar quantity at Y: 1 - t clamped, or for a hue 2pi - t * 2pi clamped.
float barPick(const sRect &Bar, int32_t Y, bool Hue);

// ---- hue ring with square or triangle
struct TTriangleLayout
{
    int32_t s = 0; // the picture is s x s
    sPos margin;
    int32_t E = 0; // ring width
    int32_t R = 0; // circumscribed diameter of the inner figure
    sRect area;
};
bool triangleLayout(int32_t W, int32_t H, int32_t MarkerWidth, bool HSV, TTriangleLayout &L);
enum TTriangleColorPickerPart : uint8_t
{
    tcpNone,
    tcpCircle,
    tcpArea,
};
TTriangleColorPickerPart trianglePartAt(int32_t s, int32_t x, int32_t y);
float triangleHuePick(int32_t s, int32_t x, int32_t y);
// HSV: saturation across, value up, clamped.
void triangleSquarePick(const sRect &Area, int32_t x, int32_t y, float &S, float &V);
// HSL: inside the triangle directly, outside by the wedges and the projection on the nearer
// slanted edge. Always a number in 0..1 (a 0 / 0 gives saturation 0).
void triangleHSLPick(const sRect &Area, int32_t x, int32_t y, float &S, float &L);
sPos triangleHueMarker(int32_t s, float H, int32_t MarkerW, int32_t MarkerH);
sPos triangleAreaMarker(const sRect &Area, bool HSV, float S, float VL, int32_t m);

// ---- colour wheel with bar
struct TCircleLayout
{
    int32_t A = 0; // picture A x (A - 18)
    sPos margin;
    sRect circle, bar;
};
bool circleLayout(int32_t W, int32_t H, int32_t MarkerWidth, TCircleLayout &L);
// Radius quantity (0..1) and hue (-pi..pi) of a wheel point; Hp is the picture height.
void circleWheelPick(int32_t Hp, int32_t MarkerWidth, int32_t x, int32_t y, float &Radius,
                     float &Hue);
float circleBarPick(const sRect &Bar, int32_t Y);
sPos circleWheelMarker(int32_t Hp, int32_t m, float Q, float H, int32_t MarkerW, int32_t MarkerH);
sPos circleBarMarker(int32_t Hp, int32_t m, float Q);

// ---- three sliders
constexpr int32_t kSliderBarSpacing = 19;
struct TSliderLayout
{
    int32_t w = 0, h = 0; // picture size
    sPos margin;
    sRect bars[3];
    sRect area;
};
void sliderLayout(int32_t W, int32_t H, int32_t MarkerW, int32_t Spacing, TSliderLayout &L);
// The slider whose rows [top - 2, bottom] hold Y, else 3 when (X, Y) lies in the field, else -1.
int sliderPartAt(const TSliderLayout &L, int32_t X, int32_t Y);
// Slider ramp: the slider's rectangle less the marker's height and two pixels at the bottom.
sRect sliderRamp(const sRect &Bar, int32_t MarkerH);
sPos sliderMarker(const sRect &Bar, float Q, bool Hue, int32_t m, int32_t MarkerH);
