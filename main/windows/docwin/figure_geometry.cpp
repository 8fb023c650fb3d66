// The figure and grid maths of the document window.
#include "windows/docwin/figure_geometry.h"

#include "paint/fill/ellipse_geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

// ---- figures

sFPos snapLineAngle(const sFPos &p0, const sFPos &p1)
{
    const double dx = double(p1.x) - p0.x, dy = double(p1.y) - p0.y;
    if (dx == 0 && dy == 0)
        return p1;
    constexpr double step = std::numbers::pi / 12; // 15 degrees
    double angle = std::atan2(dy, dx);
    if (angle < 0)
        angle += 2 * std::numbers::pi;
    const double k = std::trunc((angle + step / 2) / step);
    const double len = std::hypot(dx, dy);
    return {float(p0.x + len * std::cos(k * step)), float(p0.y + len * std::sin(k * step))};
}

sPos truncNudged(const sFPos &p)
{
    // Rounded down, not toward zero: a point left of or above the client area (a scrolled
    // canvas) would otherwise land one pixel inside.
    return {int32_t(std::floor(double(p.x) + 0.01)), int32_t(std::floor(double(p.y) + 0.01))};
}

std::array<sPos, 4> boxCorners(sPos s, sPos e, bool centre, bool aspect)
{
    if (aspect)
        makeSquare(s, e);
    sPos c0 = s;
    if (centre)
        c0 = {2 * s.x - e.x, 2 * s.y - e.y};
    return {c0, sPos{e.x, c0.y}, e, sPos{c0.x, e.y}};
}

namespace {

sPos alignDown(const sPos &p, int32_t n)
{
    n = std::max(1, n);
    return {n * (p.x / n), n * (p.y / n)};
}

} // namespace

std::array<sPos, 4> boxClientPoints(const SFigureView &view, sPos p0, sPos p1, bool centre,
                                    bool aspect)
{
    const sPos s = view.toCanvas(alignDown(p0, view.zoomStep));
    const sPos e = view.toCanvas(alignDown(p1, view.zoomStep));
    std::array<sPos, 4> corners = boxCorners(s, e, centre, aspect);
    for (sPos &c : corners)
        c = view.toClient(c);
    return corners;
}

std::vector<sFPos> ellipseFigurePolygon(sFPos s, sFPos e, bool centre, bool aspect)
{
    if (aspect)
        makeSquare(s, e);
    if (centre)
        s = {2 * s.x - e.x, 2 * s.y - e.y};
    sFRect r;
    fRectFromPoints(r, s, e);
    const float my = (r.y0 + r.y1) / 2, mx = (r.x0 + r.x1) / 2;
    std::vector<sFPos> points;
    int32_t n = 0;
    if (!makeEllipsePolygon(points, sFPos{r.x0, my}, sFPos{r.x1, my}, sFPos{mx, r.y0}, n, true))
        return {};
    points.resize(size_t(std::clamp<int32_t>(n, 0, int32_t(points.size()))));
    return points;
}

bool ellipseGuideShown(const sPos &p0, const sPos &p1)
{
    const double d = std::hypot(double(p1.x) - p0.x, double(p1.y) - p0.y);
    return d >= kEllipseGuideMinDrag;
}

namespace {

struct SCurve
{
    sFPos c0, c1, b;
    sFPos at(double t) const
    {
        const double u = 1 - t;
        return {float(c0.x * t * t + b.x * 2 * t * u + c1.x * u * u),
                float(c0.y * t * t + b.y * 2 * t * u + c1.y * u * u)};
    }
};

// Inserts the points strictly between (t0, p0) and (t1, p1), in order. The interval widths are
// powers of two, so the 1/256 limit is met exactly and bounds the depth at 8.
void refineCurve(const SCurve &c, std::vector<sFPos> &out, double t0, sFPos p0, double t1,
                 sFPos p1)
{
    if (t1 - t0 <= 1.0 / 256)
        return;
    const double tm = (t0 + t1) / 2;
    const sFPos pm = c.at(tm);
    const double dx = double(pm.x) - (double(p0.x) + p1.x) / 2;
    const double dy = double(pm.y) - (double(p0.y) + p1.y) / 2;
    if (std::hypot(dx, dy) < 0.25)
        return;
    refineCurve(c, out, t0, p0, tm, pm);
    out.push_back(pm);
    refineCurve(c, out, tm, pm, t1, p1);
}

} // namespace

std::vector<sFPos> flattenCurve(const sFPos &c0, const sFPos &c1, const sFPos &b)
{
    const SCurve c{c0, c1, b};
    std::vector<sFPos> out;
    out.reserve(kCurveMaxPoints);
    out.push_back(c1);
    refineCurve(c, out, 0, c1, 1, c0);
    out.push_back(c0);
    return out;
}

std::optional<std::array<sPos, 2>> fillRectCorners(sPos p0, sPos p1, bool square, bool centre)
{
    if (p0 == p1)
        return std::nullopt;
    if (square)
        makeSquare(p0, p1);
    if (centre)
        p0 = {2 * p0.x - p1.x, 2 * p0.y - p1.y};
    (p0.x < p1.x ? p1.x : p0.x) -= (p0.x != p1.x) ? 1 : 0;
    (p0.y < p1.y ? p1.y : p0.y) -= (p0.y != p1.y) ? 1 : 0;
    return std::array<sPos, 2>{p0, p1};
}

// ---- grid

namespace {

uint8_t blendOverWhite(uint32_t c, long double a)
{
    return uint8_t(std::trunc(static_cast<long double>(c) * a + (1.0L - a) * 255.0L));
}

} // namespace

sBGRA gridLineColor(uint32_t gridColor, bool highlight)
{
    const long double a = static_cast<long double>(gridColor >> 24) / 255.0L;
    auto channel = [&](int shift) {
        const uint32_t c = (gridColor >> shift) & 0xFF;
        return blendOverWhite(highlight ? 255 - c : c, a);
    };
    sBGRA out;
    out.R = channel(0);
    out.G = channel(8);
    out.B = channel(16);
    out.A = 255;
    return out;
}

int32_t gridThinning(int32_t cell, float zoom)
{
    if (cell <= 0 || !(zoom > 0))
        return 1;
    // The loop ends: each step adds cell * zoom > 0 screen pixels; the cap guards a zoom so small
    // that no line spacing within the canvas ever reaches 4 pixels.
    for (int32_t n = 1; n < (1 << 20); ++n)
        if (std::trunc(double(n) * cell * zoom) >= 4)
            return n;
    return 1 << 20;
}

std::vector<int32_t> gridLinesIn(int32_t from, int32_t to, int32_t cell, int32_t thinning)
{
    std::vector<int32_t> lines;
    if (cell <= 0 || to < from)
        return lines;
    // The grid starts at the canvas origin; nothing lies before it.
    const int64_t step = int64_t(cell) * std::max(1, thinning);
    int64_t x = (std::max<int64_t>(0, from) + step - 1) / step * step;
    for (; x <= to; x += step)
        lines.push_back(int32_t(x));
    return lines;
}

std::optional<SGridCandidate> nearGridLine(int32_t v, int32_t cell, int32_t thinning)
{
    if (cell <= 0)
        return std::nullopt;
    const int32_t n = std::max(1, thinning);
    const int32_t k = v / cell;
    const int32_t lo = cell * (k - k % n), hi = lo + n * cell;
    const int32_t half = cell / 2;
    const int32_t dlo = std::abs(v - lo), dhi = std::abs(hi - v);
    const bool okLo = dlo <= half, okHi = dhi <= half;
    if (okHi && (!okLo || dhi <= dlo))
        return SGridCandidate{hi, dhi};
    if (okLo)
        return SGridCandidate{lo, dlo};
    return std::nullopt;
}

SGridSnap chooseGridSnap(const sPos &pos, const sSize &cell, const sSize &thinning, bool tool)
{
    const auto cx = nearGridLine(pos.x, cell.x, thinning.x);
    const auto cy = nearGridLine(pos.y, cell.y, thinning.y);
    SGridSnap snap;
    if (tool && cx && cy && cx->dist <= cell.x / 4 && cy->dist <= cell.y / 4) {
        snap.x = cx->line;
        snap.y = cy->line;
    } else if (cx && (!cy || cx->dist <= cy->dist)) {
        snap.x = cx->line;
    } else if (cy) {
        snap.y = cy->line;
    }
    return snap;
}

sPos applyGridSnap(const SGridSnap &snap, const sPos &pos)
{
    return {snap.x.value_or(pos.x), snap.y.value_or(pos.y)};
}

int32_t nearestGridIndex(int32_t v, int32_t cell)
{
    return cell <= 0 ? 0 : (v + cell / 2) / cell;
}
