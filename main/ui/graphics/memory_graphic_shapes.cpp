// Anti-aliased shapes of the memory graphic. Each shape evaluates a coverage per pixel of its
// clipped box; pixels are sampled at their integer coordinates.
#include "ui/graphics/colour_space.h"
#include "ui/graphics/memory_graphic.h"

#include <algorithm>
#include <cmath>

namespace {

// An ellipse by its long radius a (along the angle) and short radius b, with its foci.
struct EllipseFrame
{
    double cx, cy, a, b, cosR, sinR, f1x, f1y, f2x, f2y;

    EllipseFrame(double centreX, double centreY, double rx, double ry, double radian)
        : cx(centreX), cy(centreY), a(std::max(rx, ry)), b(std::min(rx, ry)),
          cosR(std::cos(radian)), sinR(std::sin(radian))
    {
        const double f = std::sqrt(std::max(a * a - b * b, 0.0));
        f1x = cx + f * cosR;
        f1y = cy + f * sinR;
        f2x = cx - f * cosR;
        f2y = cy - f * sinR;
    }
    // At least 1 inside, falling to 0 about one pixel outside the rim.
    double cover(double x, double y) const
    {
        const double d1 = std::hypot(x - f1x, y - f1y);
        const double d2 = std::hypot(x - f2x, y - f2y);
        return (2 * a - d1 - d2) * (a / b) / 2 + 1;
    }
    // Along the long axis and across it.
    double along(double x, double y) const { return (x - cx) * cosR + (y - cy) * sinR; }
    double across(double x, double y) const { return -(x - cx) * sinR + (y - cy) * cosR; }
};

} // namespace

namespace {
// The clipped box of an ellipse of long radius a around the centre.
bool ellipseBox(const TMemoryGraphic &g, double cx, double cy, double a, int32_t &DX, int32_t &DY,
                int32_t &DW, int32_t &DH)
{
    // Far beyond any picture (or not a number): nothing to draw, and no integer overflow.
    if (!(std::fabs(cx) < 1e7) || !(std::fabs(cy) < 1e7) || !(a < 1e6))
        return false;
    const int32_t side = int32_t(std::ceil(2 * a)) + 2;
    return g.CalcDrawRect(DX, DY, DW, DH, int32_t(std::floor(cx - a - 0.5)),
                          int32_t(std::floor(cy - a - 0.5)), side, side);
}
} // namespace

void TMemoryGraphic::PutCoverage(int32_t X, int32_t Y, TColor32 C, double t, TBlendProc BlendRGB,
                                 TBlendProc BlendA)
{
    if (!(t > 0))
        return;
    if (t >= 1)
        PutPixel(X, Y, C, byteWeight(C.a), 1.0f, BlendRGB, BlendA);
    else
        PutPixel(X, Y, C, float(t * double(byteWeight(C.a))), float(t), BlendRGB, BlendA);
}

bool TMemoryGraphic::squareBox(sPos Pos, int32_t Diameter, int32_t &DX, int32_t &DY,
                               int32_t &n) const
{
    int32_t DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, Pos.x, Pos.y, Diameter, Diameter))
        return false;
    n = std::min(DW, DH);
    return true;
}

bool TMemoryGraphic::FillCircle(TPointSingle Center, float Radius, TColor32 AColor,
                                TBlendProc BlendRGB, TBlendProc BlendA)
{
    const double R = Radius;
    int32_t DX, DY, DW, DH;
    if (!ellipseBox(*this, Center.x, Center.y, R, DX, DY, DW, DH))
        return false;
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = DX; x < DX + DW; ++x)
            PutCoverage(x, y, AColor, R - std::hypot(x - Center.x, y - Center.y) + 1, BlendRGB,
                        BlendA);
    return true;
}

bool TMemoryGraphic::FillCircle(sPos Pos, int32_t Diameter, TColor32 AColor, TBlendProc BlendRGB,
                                TBlendProc BlendA)
{
    int32_t DX, DY, n;
    if (!squareBox(Pos, Diameter, DX, DY, n))
        return false;
    const double r = (n - 1) / 2.0;
    for (int32_t k = 0; k < n; ++k)
        for (int32_t j = 0; j < n; ++j)
            PutCoverage(DX + j, DY + k, AColor, r - std::hypot(j - r, k - r) + 1, BlendRGB, BlendA);
    return true;
}

namespace {
// The coverage of a ring of outer radius r and inner radius u at distance d (d >= u).
double ringCover(double r, double u, double d)
{
    if (d - u > 1)
        return r - d + 1;
    const double m = r - d + 1;
    return m > 1 ? d - u : m >= 0 ? (d - u) * m : 0;
}
} // namespace

bool TMemoryGraphic::DrawCircle(sPos Pos, int32_t Diameter, float EdgeWidth, TColor32 AColor,
                                TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, n;
    if (!squareBox(Pos, Diameter, DX, DY, n))
        return false;
    const double r = (n - 1) / 2.0;
    const double u = r - EdgeWidth;
    if (u <= 0)
        return FillCircle(Pos, Diameter, AColor, BlendRGB, BlendA);
    for (int32_t k = 0; k < n; ++k)
        for (int32_t j = 0; j < n; ++j) {
            const double d = std::hypot(j - r, k - r);
            if (d >= u)
                PutCoverage(DX + j, DY + k, AColor, ringCover(r, u, d), BlendRGB, BlendA);
        }
    return true;
}

bool TMemoryGraphic::FillEllipse(TPointSingle Center, TPointSingle Radius, float Radian,
                                 TColor32 AColor, TBlendProc BlendRGB, TBlendProc BlendA)
{
    const double a = std::max({double(Radius.x), double(Radius.y), 1.0});
    const double b = std::max(std::min(double(Radius.x), double(Radius.y)), 1.0);
    const EllipseFrame e(Center.x, Center.y, a, b, Radian);
    int32_t DX, DY, DW, DH;
    if (!ellipseBox(*this, e.cx, e.cy, e.a, DX, DY, DW, DH))
        return false;
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = DX; x < DX + DW; ++x)
            PutCoverage(x, y, AColor, e.cover(x, y), BlendRGB, BlendA);
    return true;
}

bool TMemoryGraphic::FillEllipse(TPointSingle Center, TPointSingle Radius, float MinRad,
                                 float Radian, TColor32 ACol1, TColor32 ACol2, TBlendProc BlendRGB,
                                 TBlendProc BlendA)
{
    const EllipseFrame outer(Center.x, Center.y, Radius.x, Radius.y, Radian);
    if (MinRad >= 1)
        return FillEllipse(Center, Radius, Radian, ACol1, BlendRGB, BlendA);
    if (!(MinRad * outer.b >= 1.0 / 255))
        return FillEllipse(Center, Radius, Radian, ACol2, BlendRGB, BlendA);
    const EllipseFrame inner(Center.x, Center.y, MinRad * outer.a, MinRad * outer.b, Radian);
    int32_t DX, DY, DW, DH;
    if (!ellipseBox(*this, outer.cx, outer.cy, outer.a, DX, DY, DW, DH))
        return false;
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = DX; x < DX + DW; ++x) {
            const double e = outer.cover(x, y);
            if (!(e > 0))
                continue;
            const double m = inner.cover(x, y);
            TColor32 c = ACol2;
            if (m >= 1) {
                c = ACol1;
            } else if (m > 0) {
                const float w = float(m);
                c = makeColor32(BlendRGB(ACol2.b, ACol1.b, w), BlendRGB(ACol2.g, ACol1.g, w),
                                BlendRGB(ACol2.r, ACol1.r, w), BlendA(ACol2.a, ACol1.a, w));
            }
            PutCoverage(x, y, c, e, BlendRGB, BlendA);
        }
    return true;
}

bool TMemoryGraphic::GradientEllipse(TPointSingle Center, TPointSingle Radius, float Radian,
                                     TColor32 AColor, TBlendProc BlendRGB, TBlendProc BlendA)
{
    const EllipseFrame e(Center.x, Center.y, Radius.x, Radius.y, Radian);
    int32_t DX, DY, DW, DH;
    if (!(e.a > 0) || !(e.b > 0) || !ellipseBox(*this, e.cx, e.cy, e.a, DX, DY, DW, DH))
        return false;
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = DX; x < DX + DW; ++x) {
            const double s = e.across(x, y) * e.a / e.b;
            const double D = std::hypot(e.along(x, y), s);
            PutCoverage(x, y, AColor, (e.a - D) / e.a, BlendRGB, BlendA);
        }
    return true;
}

bool TMemoryGraphic::GradientEllipse(TPointSingle Center, TPointSingle Radius, float Radian,
                                     TColor32 AColor, TMapProc Map, float AFlat, float AAdd,
                                     TBlendProc BlendRGB, TBlendProc BlendA)
{
    const EllipseFrame e(Center.x, Center.y, Radius.x, Radius.y, Radian);
    int32_t DX, DY, DW, DH;
    if (!(e.a > 0) || !(e.b > 0) || !ellipseBox(*this, e.cx, e.cy, e.a, DX, DY, DW, DH))
        return false;
    const bool profiled = AFlat < 1 && AAdd < 1;
    for (int32_t y = DY; y < DY + DH; ++y)
        for (int32_t x = DX; x < DX + DW; ++x) {
            double t = std::min(e.cover(x, y), 1.0);
            if (!(t > 0))
                continue;
            if (profiled) {
                const double s = e.across(x, y) * (e.a + 2) / (e.b + 2);
                const double J = std::hypot(e.along(x, y), s) / (e.a + 2);
                t *= evalAirMap(Map, AFlat, AAdd, float(J));
            }
            PutCoverage(x, y, AColor, t, BlendRGB, BlendA);
        }
    return true;
}

bool TMemoryGraphic::FillRightTriangle(sPos P0, sPos P1, TColor32 AColor, TBlendProc BlendRGB,
                                       TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, P0, P1))
        return false;
    // The empty corner is opposite the right angle: with P1 below-right of P0 the right angle is
    // bottom-left, so columns count from the right and rows from the top; with P1 above-right it
    // is bottom-right, counted from the top-left.
    const bool right = P1.x > P0.x;
    const bool below = P1.y > P0.y;
    const bool fromRight = below;
    const bool fromBottom = !right;
    const double W = DW, H = DH;
    for (int32_t k = 0; k < DH; ++k)
        for (int32_t j = 0; j < DW; ++j) {
            const double t = H < W ? ((2 * j + 1) * H / W + (2 * k + 1) + 2 - 2 * H) / 4
                                   : ((2 * j + 1) + (2 * k + 1) * W / H + 2 - 2 * W) / 4;
            const int32_t x = fromRight ? DX + DW - 1 - j : DX + j;
            const int32_t y = fromBottom ? DY + DH - 1 - k : DY + k;
            PutCoverage(x, y, AColor, t, BlendRGB, BlendA);
        }
    return true;
}

namespace {

// An isosceles triangle in its own frame: p runs along the axis from the apex (0) to the base
// (L - 1), a across it from the outer edge (0) to the middle; the far half mirrors the near one.
struct IsoFrame
{
    int32_t L, S, half;
    double h;
    bool across; // the up and down triangles break the tie of the two formulas the other way

    double cover(int32_t p, int32_t a) const
    {
        const bool first = across ? !(L < half) : (half < L);
        return first ? ((2.0 * p + 1) * h / L + (2.0 * a + 1) + 2 - S) / 4
                     : ((2.0 * p + 1) + (2.0 * a + 1) * L / h + 2 - 2.0 * L) / 4;
    }
};

// Calls put(x, y, p, a, side) for every pixel of the triangle's box: side 0 the first half, 1 the
// mirrored half, 2 the middle line of an odd span.
template <typename Put>
void forEachIso(int32_t DX, int32_t DY, int32_t DW, int32_t DH, TAppearanceDirection Dir, Put put)
{
    const bool vertical = Dir == adTopBottom || Dir == adBottomTop;
    const int32_t L = vertical ? DH : DW;
    const int32_t S = vertical ? DW : DH;
    for (int32_t p = 0; p < L; ++p)
        for (int32_t q = 0; q < S; ++q) {
            const int32_t half = S / 2;
            const int side = q < half ? 0 : (S % 2 && q == half) ? 2 : 1;
            const int32_t a = side == 1 ? S - 1 - q : q;
            int32_t along = 0;
            switch (Dir) {
            case adLeftRight:
                along = DX + DW - 1 - p;
                break;
            case adRightLeft:
                along = DX + p;
                break;
            case adBottomTop:
                along = DY + p;
                break;
            case adTopBottom:
                along = DY + DH - 1 - p;
                break;
            }
            if (vertical)
                put(DX + q, along, p, a, side);
            else
                put(along, DY + q, p, a, side);
        }
}

IsoFrame isoFrame(int32_t DW, int32_t DH, TAppearanceDirection Dir)
{
    const bool vertical = Dir == adTopBottom || Dir == adBottomTop;
    const int32_t L = vertical ? DH : DW;
    const int32_t S = vertical ? DW : DH;
    return {L, S, S / 2, S / 2.0, vertical};
}

} // namespace

bool TMemoryGraphic::FillIsoscelesTriangle(const sRect &ARect, TColor32 AColor,
                                           TAppearanceDirection Direction, TBlendProc BlendRGB,
                                           TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const IsoFrame f = isoFrame(DW, DH, Direction);
    forEachIso(DX, DY, DW, DH, Direction, [&](int32_t x, int32_t y, int32_t p, int32_t a, int) {
        PutCoverage(x, y, AColor, f.cover(p, a), BlendRGB, BlendA);
    });
    return true;
}

bool TMemoryGraphic::FillIsoscelesTriangle(const sRect &ARect, TColor32 C0, TColor32 C1,
                                           TColor32 C2, TAppearanceDirection Direction,
                                           TBlendProc BlendRGB, TBlendProc BlendA)
{
    int32_t DX, DY, DW, DH;
    if (!CalcDrawRect(DX, DY, DW, DH, ARect))
        return false;
    const IsoFrame f = isoFrame(DW, DH, Direction);
    const int32_t L = f.L, S = f.S;
    forEachIso(
        DX, DY, DW, DH, Direction, [&](int32_t x, int32_t y, int32_t p, int32_t a, int side) {
            const double t = f.cover(p, a);
            if (!(t > 0))
                return;
            const int32_t fromBase = L - 1 - p;
            TColor32 base, edge;
            double B;
            if (side == 2) {
                base = lerpColor32(C0, C2, 0.5f);
                edge = C1;
                B = L > 1 ? double(fromBase) / (L - 1) : 0;
            } else {
                const float tk = S > 1 ? float(a * 2.0 / (S - 1)) : 0.0f;
                const TColor32 near = side == 0 ? C0 : C2;
                const TColor32 far = side == 0 ? C2 : C0;
                base = lerpColor32(near, far, tk / 2);
                edge = lerpColor32(near, C1, tk);
                B = a == 0 || L < 2 ? 0 : fromBase * f.h / (double(a) * (L - 1));
            }
            const TColor32 c = B >= 1 ? edge : B <= 0 ? base : lerpColor32(base, edge, float(B));
            PutCoverage(x, y, c, t, BlendRGB, BlendA);
        });
    return true;
}

bool TMemoryGraphic::DrawLine(TPointSingle Pos0, TPointSingle Pos1, TColor32 AColor,
                              TBlendProc BlendRGB, TBlendProc BlendA)
{
    if (!Prepared() || !std::isfinite(Pos0.x) || !std::isfinite(Pos0.y) || !std::isfinite(Pos1.x) ||
        !std::isfinite(Pos1.y))
        return false;
    const auto clampCoord = [](double v) { return std::clamp(v, -1e6, 1e6); };
    const int32_t bx0 = int32_t(std::floor(clampCoord(std::min(Pos0.x, Pos1.x))));
    const int32_t by0 = int32_t(std::floor(clampCoord(std::min(Pos0.y, Pos1.y))));
    const int32_t bx1 = int32_t(std::ceil(clampCoord(std::max(Pos0.x, Pos1.x))));
    const int32_t by1 = int32_t(std::ceil(clampCoord(std::max(Pos0.y, Pos1.y))));
    int32_t DX, DY, DW, DH;
    const bool clipped = CalcDrawRect(DX, DY, DW, DH, bx0, by0, bx1 - bx0, by1 - by0);
    if (DW < 0 || DH < 0 || !(clipped || DW > 1 || DH > 1))
        return false;
    // A line leaving the picture is bent onto its edge.
    const double x0 = std::clamp<double>(Pos0.x, DX, DX + DW);
    const double y0 = std::clamp<double>(Pos0.y, DY, DY + DH);
    const double x1 = std::clamp<double>(Pos1.x, DX, DX + DW);
    const double y1 = std::clamp<double>(Pos1.y, DY, DY + DH);
    const double dx = x1 - x0, dy = y1 - y0;
    const bool xMajor = std::fabs(dx) > std::fabs(dy);
    // In the frame of the major axis: u along it, w across it.
    double us = xMajor ? x0 : y0, ws = xMajor ? y0 : x0;
    double ue = xMajor ? x1 : y1, we = xMajor ? y1 : x1;
    if (us > ue) {
        std::swap(us, ue);
        std::swap(ws, we);
    }
    const double du = ue - us, dw = we - ws;
    const int32_t grad = du == 0 ? 0 : int32_t(std::trunc(dw / du * 65536 + 0.5));
    int32_t w = int32_t(std::trunc(ws * 65536 + 0.5));
    const int32_t uFirst = int32_t(std::trunc(us + 0.5)), uLast = int32_t(std::trunc(ue + 0.5));
    const int32_t acrossLimit = (xMajor ? FHeight : FWidth) - 1;
    const double scale = double(AColor.a) / (255.0 * 65535.0);
    auto put = [&](int32_t u, int32_t v, uint32_t g) {
        const int32_t x = xMajor ? u : v, y = xMajor ? v : u;
        if (GetContains(x, y)) {
            const float f = float(g * scale);
            PutPixel(x, y, AColor, f, f, BlendRGB, BlendA);
        }
    };
    for (int32_t u = uFirst; u <= uLast; ++u, w += grad) {
        const uint32_t frac = uint32_t(w) & 0xFFFF;
        const int32_t v = w >> 16; // arithmetic shift of the 16.16 position
        uint32_t g0 = 65535 - frac, g1 = frac;
        if (u == uLast) {
            g0 >>= 2;
            g1 >>= 2;
        }
        put(u, v, g0);
        if (v < acrossLimit)
            put(u, v + 1, g1);
    }
    return true;
}

bool TMemoryGraphic::DrawPolyLine(const TPointSingle *Pos, int32_t Count, TColor32 AColor,
                                  TBlendProc BlendRGB, TBlendProc BlendA)
{
    if (!Pos || Count < 2)
        return false;
    bool result = false;
    for (int32_t i = 1; i < Count; ++i) {
        result = DrawLine(Pos[i - 1], Pos[i], AColor, BlendRGB, BlendA);
        if (!result)
            break;
    }
    return result;
}
