#include "ui/colour/colour_picking.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

int32_t width(const sRect &r)
{
    return r.x1 - r.x0;
}

int32_t height(const sRect &r)
{
    return r.y1 - r.y0;
}

float clamp01(double v)
{
    return float(v >= 0 ? std::min(v, 1.0) : 0.0); // a NaN becomes 0
}

int32_t truncInt(double v)
{
    return int32_t(std::trunc(v));
}

int32_t wrapInto(int32_t v, int32_t w)
{
    if (v < 0)
        return v + w;
    if (v > w)
        return v - w;
    return v;
}

} // namespace

TSpaceAxes spaceAxes(TColorPickerSpace Space)
{
    switch (Space) {
    case cpRGB:
    case cpHSV:
    case cpHSL:
        return {0, 1, 2};
    case cpGRB:
        return {1, 0, 2};
    case cpBRG:
        return {2, 0, 1};
    case cpSHV:
    case cpSHL:
        return {1, 0, 2};
    case cpVHS:
    case cpLHS:
        return {2, 0, 1};
    }
    return {};
}

float axisPick(int32_t P, int32_t Start, int32_t N, bool Hue)
{
    if (N < 2)
        return 0;
    if (Hue) {
        const double h = double(P - Start) * kTwoPi / (N - 1);
        return float(std::clamp(h, 0.0, kTwoPi));
    }
    return clamp01(double(P - Start) / (N - 1));
}

int32_t markerOffset(float Q, int32_t W, bool Reverse)
{
    const double q = Q;
    return wrapInto(truncInt(Reverse ? W - q * W + 0.5 : q * W + 0.5), W);
}

bool squareBarLayout(int32_t W, int32_t H, int32_t MarkerWidth, TSquareBarLayout &L)
{
    L = {};
    L.A = std::min(W, H + 18);
    if (L.A <= 0)
        return false;
    const int32_t ph = L.A - 18, m = MarkerWidth / 2, side = ph - 2 * m;
    L.margin = {(W - L.A) / 2, (H - ph) / 2};
    L.square = {m, m, m + side, m + side};
    L.bar = {L.A - 15, m, L.A - 15 + 11, m + side};
    return true;
}

void squarePick(const sRect &Square, int32_t X, int32_t Y, bool HueAcross, float &Across, float &Up)
{
    Across = axisPick(X, Square.x0, width(Square), HueAcross);
    Up = height(Square) < 2 ? 0 : clamp01(1 - double(Y - Square.y0) / (height(Square) - 1));
}

float barPick(const sRect &Bar, int32_t Y, bool Hue)
{
    if (height(Bar) < 2)
        return 0;
    const double t = double(Y - Bar.y0) / (height(Bar) - 1);
    if (Hue)
        return float(std::clamp(kTwoPi - t * kTwoPi, 0.0, kTwoPi));
    return clamp01(1 - t);
}

bool triangleLayout(int32_t W, int32_t H, int32_t MarkerWidth, bool HSV, TTriangleLayout &L)
{
    L = {};
    const int32_t s = std::min(W, H);
    L.s = s;
    if (s <= 0)
        return false;
    L.margin = {(W - s) / 2, (H - s) / 2};
    L.E = s / 8;
    L.R = s - s / 4 - MarkerWidth - 1;
    const double R = L.R;
    if (HSV) {
        const double c = std::cos(3 * std::numbers::pi / 4),
                     sn = std::sin(3 * std::numbers::pi / 4);
        L.area = {int32_t(std::ceil(s + R * c)) / 2, int32_t(std::ceil(s - R * sn)) / 2,
                  int32_t(std::floor(s - R * c)) / 2, int32_t(std::floor(s + R * sn)) / 2};
    } else {
        const double c = std::cos(2 * std::numbers::pi / 3),
                     sn = std::sin(2 * std::numbers::pi / 3);
        L.area = {int32_t(std::ceil(s + R * c)) / 2, int32_t(std::ceil(s - R * sn)) / 2,
                  (L.R + s) / 2, int32_t(std::floor(s + R * sn)) / 2};
    }
    return true;
}

TTriangleColorPickerPart trianglePartAt(int32_t s, int32_t x, int32_t y)
{
    const double dx = 2.0 * x - s, dy = 2.0 * y - s;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d < s - s / 4 - 1)
        return tcpArea;
    if (d <= s)
        return tcpCircle;
    return tcpNone;
}

float triangleHuePick(int32_t s, int32_t x, int32_t y)
{
    return float(std::atan2(double(s - 2 * y), double(2 * x - s)));
}

void triangleSquarePick(const sRect &Area, int32_t x, int32_t y, float &S, float &V)
{
    const int32_t Wd = width(Area) - 1, Hh = height(Area) - 1;
    const double a = x - Area.x0, c = Area.y1 - y - 1;
    S = Wd > 0 ? clamp01(a / Wd) : 0;
    V = Hh > 0 ? clamp01(c / Hh) : 0;
}

void triangleHSLPick(const sRect &Area, int32_t x, int32_t y, float &S, float &L)
{
    const double a = x - Area.x0, c = Area.y1 - y - 1;
    const double Hh = height(Area) - 1, Wd = width(Area) - 1;
    S = 0, L = 0;
    if (Hh <= 0 || Wd <= 0)
        return;
    const double g = c / Hh, o = 2 * Wd, r = a * Hh / o;
    // Divisions whose divisor vanishes give saturation 0, never a NaN.
    auto ratio = [](double n, double d) { return d != 0 ? n / d : 0.0; };
    double s, l;
    if (a >= 0 && r <= c && c <= Hh - r) {
        l = g;
        const double t = 0.5 - std::abs(0.5 - g);
        s = ratio(a, o * t);
    } else if (a < 1) {
        s = 0;
        l = g;
    } else {
        const double t = a * o / Hh, u = Wd * o / Hh;
        if (c <= -t) {
            s = 0, l = 0;
        } else if (c >= Hh + t) {
            s = 0, l = 1;
        } else if (std::abs(c - Hh / 2) <= t - u) {
            s = 1, l = 0.5;
        } else {
            const double v = c * Hh, w = o * o + Hh * Hh;
            if (c > Hh / 2) {
                l = (v + o * (o - a)) / w;
                s = ratio(a, o - o * l);
            } else {
                l = (a * o + v) / w;
                s = ratio(a, o * l);
            }
        }
    }
    S = clamp01(s);
    L = clamp01(l);
}

sPos triangleHueMarker(int32_t s, float H, int32_t MarkerW, int32_t MarkerH)
{
    const int32_t q = s - s / 8 - 4;
    return {(int32_t(std::ceil(q * std::cos(double(H)))) + s - MarkerW + 1) / 2,
            (s - MarkerH - int32_t(std::ceil(q * std::sin(double(H)))) + 1) / 2};
}

sPos triangleAreaMarker(const sRect &Area, bool HSV, float S, float VL, int32_t m)
{
    const int32_t Wd = width(Area) - 1, Hh = height(Area) - 1;
    const double across = HSV ? double(S) : 2.0 * std::min(double(VL), 1.0 - VL) * S;
    return {truncInt(Wd * across) + Area.x0 - m, Area.y1 - truncInt(Hh * double(VL)) - m - 1};
}

bool circleLayout(int32_t W, int32_t H, int32_t MarkerWidth, TCircleLayout &L)
{
    L = {};
    L.A = std::min(W, H + 18);
    if (L.A <= 0)
        return false;
    const int32_t ph = L.A - 18, m = MarkerWidth / 2, d = ph - 2 * m;
    L.margin = {(W - L.A) / 2, (H - ph) / 2};
    L.circle = {m, m, m + d, m + d};
    L.bar = {L.A - 15, m, L.A - 15 + 11, m + d};
    return true;
}

void circleWheelPick(int32_t Hp, int32_t MarkerWidth, int32_t x, int32_t y, float &Radius,
                     float &Hue)
{
    const double a = 2.0 * x - Hp, b = 2.0 * y - Hp, k = Hp - MarkerWidth;
    Radius = k > 0 ? clamp01(std::sqrt((a / k) * (a / k) + (b / k) * (b / k))) : 0;
    Hue = float(std::atan2(-b, a));
}

float circleBarPick(const sRect &Bar, int32_t Y)
{
    if (height(Bar) < 2)
        return 0;
    return clamp01(double(Bar.y1 - Y - 1) / (height(Bar) - 1));
}

sPos circleWheelMarker(int32_t Hp, int32_t m, float Q, float H, int32_t MarkerW, int32_t MarkerH)
{
    const double f = double(Q) * (Hp - 2 * m - 1), h = H;
    return {truncInt((Hp - MarkerW + std::cos(h) * f) / 2 + 0.5),
            truncInt((Hp - MarkerH - f * std::sin(h)) / 2 + 0.5)};
}

sPos circleBarMarker(int32_t Hp, int32_t m, float Q)
{
    return {Hp + 3, markerOffset(Q, Hp - 2 * m - 1, true)};
}

void sliderLayout(int32_t W, int32_t H, int32_t MarkerW, int32_t Spacing, TSliderLayout &L)
{
    L = {};
    L.w = std::max(W, MarkerW + 1);
    L.h = std::max(H, 3 * Spacing);
    L.margin = {(W - L.w) / 2, (H - L.h) / 2};
    const int32_t m = MarkerW / 2, bw = L.w - 2 * m;
    for (int i = 0; i < 3; ++i) {
        const int32_t top = 5 + i * Spacing;
        L.bars[i] = {m, top, m + bw, top + Spacing - 3};
    }
    const int32_t top = 3 * Spacing + 5;
    L.area = {m, top, m + bw, top + (L.h - 3 * Spacing - 9)};
}

int sliderPartAt(const TSliderLayout &L, int32_t X, int32_t Y)
{
    for (int i = 0; i < 3; ++i)
        if (Y >= L.bars[i].y0 - 2 && Y <= L.bars[i].y1)
            return i;
    if (X >= L.area.x0 && X < L.area.x1 && Y >= L.area.y0 && Y < L.area.y1)
        return 3;
    return -1;
}

sRect sliderRamp(const sRect &Bar, int32_t MarkerH)
{
    return {Bar.x0, Bar.y0, Bar.x1, Bar.y1 - (MarkerH + 2)};
}

sPos sliderMarker(const sRect &Bar, float Q, bool Hue, int32_t m, int32_t MarkerH)
{
    double q = Q;
    if (Hue) {
        q = hueFraction(Q);
        if (q < 0)
            q += 1;
        else if (q > 1)
            q -= 1;
    }
    return {Bar.x0 + truncInt((width(Bar) - 1) * q + 0.5) - m, Bar.y1 - MarkerH};
}
