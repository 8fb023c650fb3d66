#include "document/transform/transform_mapping.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/pixel/pixel.h"
#include "core/scale/view_render.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Round half to even, as every rounding of the mapping does.
int64_t roundEven(double v)
{
    return int64_t(std::nearbyint(v));
}

bool inUnit(double t)
{
    return t >= 0.0 && t <= 1.0;
}

int32_t clampToInt32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

// The loop range of a bounding rectangle in an image of size n: [max(lo, 0), min(hi, n - 1)].
bool clampRange(int64_t lo, int64_t hi, int32_t n, int32_t &from, int32_t &to)
{
    const int64_t f = std::max<int64_t>(lo, 0), t = std::min<int64_t>(hi, int64_t(n) - 1);
    if (f >= t) // empty, or a single column or row: nothing is mapped
        return false;
    from = int32_t(f), to = int32_t(t);
    return true;
}

} // namespace

SQuadBounds quadBounds(const sFPos *c)
{
    float minX = c[0].x, maxX = c[0].x, minY = c[0].y, maxY = c[0].y;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, c[i].x), maxX = std::max(maxX, c[i].x);
        minY = std::min(minY, c[i].y), maxY = std::max(maxY, c[i].y);
    }
    return {roundEven(minX), roundEven(minY), roundEven(maxX), roundEven(maxY)};
}

sBox quadBox(const sFPos *corners)
{
    const SQuadBounds b = quadBounds(corners);
    const int32_t x0 = clampToInt32(b.x0), y0 = clampToInt32(b.y0);
    return {x0, y0, clampToInt32(b.x1 - x0), clampToInt32(b.y1 - y0)};
}

// ---------------------------------------------------------------------------------------------
// The solver

CInverseBilinear::CInverseBilinear(const sFPos *c)
{
    const auto r = [](float v) { return roundEven(v); };
    Ax = r(c[1].x - c[0].x), Ay = r(c[1].y - c[0].y);
    Bx = r(c[3].x - c[0].x), By = r(c[3].y - c[0].y);
    Cx = r(c[2].x - c[1].x - c[3].x + c[0].x), Cy = r(c[2].y - c[1].y - c[3].y + c[0].y);
    D1x = r(c[2].x - c[1].x), D1y = r(c[2].y - c[1].y);
    D3x = r(c[2].x - c[3].x), D3y = r(c[2].y - c[3].y);
    P0x = c[0].x, P0y = c[0].y;
    // The solutions lie inside the hull of the rounded corners as the solver sees them; P0 may
    // count one pixel either way by the rounding of the offset, which rowSpan's margin covers.
    const double x0 = std::nearbyint(double(P0x)), y0 = std::nearbyint(double(P0y));
    hullX[0] = x0, hullY[0] = y0;
    hullX[1] = x0 + double(Ax), hullY[1] = y0 + double(Ay);
    hullX[3] = x0 + double(Bx), hullY[3] = y0 + double(By);
    hullX[2] = x0 + double(Ax + Bx + Cx), hullY[2] = y0 + double(Ay + By + Cy);
}

bool CInverseBilinear::rowSpan(int64_t Y, int64_t &xs, int64_t &xe) const
{
    // The rounding of the pixel's offset may shift the hull by up to one pixel on each axis: the
    // hull's part within a band of rows around Y, widened sideways by the same.
    constexpr double margin = 1.5;
    const double b0 = double(Y) - margin, b1 = double(Y) + margin;
    double lo = std::numeric_limits<double>::infinity(), hi = -lo;
    const auto take = [&](double x) { lo = std::min(lo, x), hi = std::max(hi, x); };
    for (int i = 0; i < 4; ++i) {
        if (hullY[i] >= b0 && hullY[i] <= b1)
            take(hullX[i]);
        for (int j = i + 1; j < 4; ++j) {
            const double ya = hullY[i], yb = hullY[j];
            if (ya == yb)
                continue;
            for (const double y : {b0, b1}) {
                if ((ya - y) * (yb - y) > 0)
                    continue;
                take(hullX[i] + (y - ya) / (yb - ya) * (hullX[j] - hullX[i]));
            }
        }
    }
    if (!(lo <= hi))
        return false;
    xs = int64_t(std::floor(lo - margin)), xe = int64_t(std::ceil(hi + margin));
    return true;
}

bool CInverseBilinear::solve(int64_t X, int64_t Y, double &u, double &v) const
{
    const int64_t qx = roundEven(double(X) - double(P0x)), qy = roundEven(double(Y) - double(P0y));
    const int64_t a = Cx * Ay - Cy * Ax;
    const int64_t b = Cy * qx + Bx * Ay - By * Ax - Cx * qy;
    int64_t c = By * qx - Bx * qy;
    const auto vOf = [&](double uu, double &vv) {
        double d = double(Bx) + uu * double(Cx);
        if (d != 0) {
            vv = (double(qx) - uu * double(Ax)) / d;
            return true;
        }
        d = double(By) + uu * double(Cy);
        if (d != 0) {
            vv = (double(qy) - uu * double(Ay)) / d;
            return true;
        }
        return false;
    };
    if (a != 0) {
        const double disc = double(b) * double(b) - 4.0 * double(a) * double(c);
        if (disc < 0)
            return false;
        const double s = std::sqrt(disc);
        const double u1 = (s - double(b)) / (2.0 * double(a));
        const double u2 = (-double(b) - s) / (2.0 * double(a));
        double v1 = 0, v2 = 0;
        if (vOf(u1, v1) && inUnit(u1) && inUnit(v1)) {
            u = u1, v = v1;
            return true;
        }
        if (vOf(u2, v2) && inUnit(u2) && inUnit(v2)) {
            u = u2, v = v2;
            return true;
        }
        return false;
    }
    if (b == 0)
        return false;
    if (Bx == 0 && D1x == 0)
        c = qy * Ax - Ay * qx;
    double uu = -double(c) / double(b), vv = 0;
    const double d = double(Bx) + uu * double(Cx);
    if (d != 0) {
        vv = (double(qx) - uu * double(Ax)) / d;
    } else if (Ay != 0) {
        const double t = uu;
        uu = (double(qy) - t * double(D1y)) / double(Ay);
        vv = t;
    } else {
        if (Ax != 0)
            uu = double(qx) / double(Ax);
        else if (D3x != 0)
            uu = double(qx) / double(D3x);
        else
            return false;
        if (By != 0)
            vv = double(qy) / double(By);
        else if (D3y != 0)
            vv = double(qy) / double(D3y);
        else
            return false;
    }
    if (!inUnit(uu) || !inUnit(vv))
        return false;
    u = uu, v = vv;
    return true;
}

// ---------------------------------------------------------------------------------------------
// The loops

void transformOverPixel(sBGRA &d, const sBGRA &s)
{
    if (d.A == 0) {
        d = s;
        return;
    }
    const uint32_t a = s.A, na = 255 - a;
    const auto mix = [&](uint32_t dv, uint32_t sv) {
        return uint8_t(std::min<uint32_t>(dv * na / 255 + a * sv / 255, 255));
    };
    d.B = mix(d.B, s.B), d.G = mix(d.G, s.G), d.R = mix(d.R, s.R);
    d.A = uint8_t(std::min<uint32_t>(a + d.A * na / 255, 255));
}

void mapMaskContent(TChannel &dst, const TChannel &content, const sFPos *corners, bool simple)
{
    const SQuadBounds q = quadBounds(corners);
    // The last column is x1 - 1, taken as 0 when x1 < 2 (likewise the last row).
    const int64_t lastX = q.x1 < 2 ? 0 : q.x1 - 1, lastY = q.y1 < 2 ? 0 : q.y1 - 1;
    int32_t xs, xe, ys, ye;
    const int32_t w = content.width(), h = content.height();
    if (w <= 0 || h <= 0 || !clampRange(q.x0, lastX, dst.width(), xs, xe) ||
        !clampRange(q.y0, lastY, dst.height(), ys, ye))
        return;
    if (simple) {
        // Content (0, 0) lands on (x0, y0): the source starts where the destination's edge cuts.
        const int64_t sx0 = std::max<int64_t>(-q.x0, 0), sy0 = std::max<int64_t>(-q.y0, 0);
        if (sx0 >= w || sy0 >= h)
            return;
        const int32_t cols = int32_t(std::min<int64_t>(w - sx0, xe - xs + 1));
        const int32_t rows = int32_t(std::min<int64_t>(h - sy0, ye - ys + 1));
        for (int32_t j = 0; j < rows; ++j)
            std::copy_n(content.seek8(int32_t(sx0), int32_t(sy0) + j), cols, dst.seek8(xs, ys + j));
        return;
    }
    const CInverseBilinear solver(corners);
    for (int32_t y = ys; y <= ye; ++y) {
        int64_t rs, re;
        if (!solver.rowSpan(y, rs, re))
            continue;
        const int32_t x0 = int32_t(std::max<int64_t>(rs, xs)), x1 = int32_t(std::min<int64_t>(re, xe));
        uint8_t *row = dst.seek8(0, y);
        for (int32_t x = x0; x <= x1; ++x) {
            double u, v;
            if (!solver.solve(x, y, u, v))
                continue;
            const int32_t sx = std::clamp(int32_t(std::trunc(w * u + 0.5)), 0, w - 1);
            const int32_t sy = std::clamp(int32_t(std::trunc(h * v + 0.5)), 0, h - 1);
            row[x] = content.getColor(sx, sy);
        }
    }
}

namespace {

// What the image mapping works out before its loop; valid is false when src is unusable, empty
// when the frame maps nothing.
struct SImageMapping
{
    bool valid = false, empty = true;
    int32_t xs = 0, xe = 0, ys = 0, ye = 0, s0 = 0;
    double spanX = 0, spanY = 0;
    float stepX = 1, stepY = 1;
};

SImageMapping imageMapping(const CBlockVMTC &dst, const TMTC &src, const sFPos *corners, bool aa)
{
    SImageMapping m;
    const SQuadBounds q = quadBounds(corners);
    const int32_t sw = src.width(), sh = src.height();
    if (!src.isEnable() || sw < 3 || sh < 3)
        return m;
    m.valid = true;
    // A frame that leaves the image, or is one pixel thin, maps nothing.
    if (!clampRange(q.x0, q.x1, dst.width(), m.xs, m.xe) ||
        !clampRange(q.y0, q.y1, dst.height(), m.ys, m.ye))
        return m;
    m.empty = false;
    m.s0 = aa ? 0 : 1;
    m.spanX = double(sw - 1 - m.s0), m.spanY = double(sh - 1 - m.s0);
    // How many source pixels one destination pixel covers; an enlargement still averages one.
    const auto step = [](int32_t content, int64_t extent) {
        if (extent <= 0)
            return 1.0f;
        return float(std::max<int64_t>(int64_t(std::trunc(double(content) / double(extent) + 0.5)), 1));
    };
    m.stepX = step(sw - 2, q.x1 - q.x0), m.stepY = step(sh - 2, q.y1 - q.y0);
    return m;
}

// The columns of row y the loop visits; false when none.
bool rowColumns(const CInverseBilinear &solver, const SImageMapping &m, int32_t y, int32_t &x0,
                int32_t &x1)
{
    int64_t rs, re;
    if (!solver.rowSpan(y, rs, re))
        return false;
    x0 = int32_t(std::max<int64_t>(rs, m.xs)), x1 = int32_t(std::min<int64_t>(re, m.xe));
    return x0 <= x1;
}

// Maps one pixel of the frame into *d.
void mapImagePixel(sBGRA *d, const TMTC &src, const SImageMapping &m, double u, double v, bool aa)
{
    const double sx = m.s0 + m.spanX * u, sy = m.s0 + m.spanY * v;
    if (aa) {
        sFRect r{float(sx), float(sy), float(sx) + m.stepX, float(sy) + m.stepY};
        averageAreaF(d, src, r);
    } else {
        const int32_t px = std::clamp(int32_t(std::nearbyint(sx)), 0, src.width() - 1);
        const int32_t py = std::clamp(int32_t(std::nearbyint(sy)), 0, src.height() - 1);
        transformOverPixel(*d, *src.seek32(px, py));
    }
}

// Commits, in the order the pixel walk would, every block the walk writes into: the first
// pixel of each block that the frame covers. False when a block cannot be had.
bool commitMappedBlocks(CBlockVMTC &dst, const CInverseBilinear &solver, const SImageMapping &m)
{
    for (int32_t y = m.ys; y <= m.ye; ++y) {
        int32_t x0, x1;
        if (!rowColumns(solver, m, y, x0, x1))
            continue;
        for (int32_t x = x0; x <= x1; ++x) {
            const SBlockPack *pack = std::as_const(dst).seekBlock(x, y);
            if (pack && pack->commit) { // the rest of the block's row is had already
                x |= CBlockVMTC::kUnit - 1;
                continue;
            }
            double u, v;
            if (solver.solve(x, y, u, v) && !dst.seekPixel(x, y))
                return false;
        }
    }
    return true;
}

} // namespace

bool mapImageContentByPixel(CBlockVMTC &dst, const TMTC &src, const sFPos *corners, bool aa)
{
    const SImageMapping m = imageMapping(dst, src, corners, aa);
    if (!m.valid || m.empty)
        return m.valid;
    const CInverseBilinear solver(corners);
    for (int32_t y = m.ys; y <= m.ye; ++y) {
        int32_t x0, x1;
        if (!rowColumns(solver, m, y, x0, x1))
            continue;
        for (int32_t x = x0; x <= x1; ++x) {
            double u, v;
            if (!solver.solve(x, y, u, v))
                continue;
            sBGRA *d = dst.seekPixel(x, y);
            if (!d)
                return false;
            mapImagePixel(d, src, m, u, v, aa);
        }
    }
    return true;
}

bool mapImageContent(CBlockVMTC &dst, const TMTC &src, const sFPos *corners, bool aa)
{
    const SImageMapping m = imageMapping(dst, src, corners, aa);
    if (!m.valid || m.empty)
        return m.valid;
    const CInverseBilinear solver(corners);
    // A block that cannot be had stops the walk where the pixel walk stops, with the pixels
    // before it written: that walk does it.
    if (!commitMappedBlocks(dst, solver, m))
        return mapImageContentByPixel(dst, src, corners, aa);
    // Every pixel is written once from the source alone: rows go to the work threads.
    parallelRanges(m.ye - m.ys + 1, 8, [&](int32_t begin, int32_t end) {
        for (int32_t y = m.ys + begin; y < m.ys + end; ++y) {
            int32_t x0, x1;
            if (!rowColumns(solver, m, y, x0, x1))
                continue;
            for (int32_t x = x0; x <= x1; ++x) {
                double u, v;
                if (solver.solve(x, y, u, v))
                    mapImagePixel(dst.seekPixelAddr(x, y, false), src, m, u, v, aa);
            }
        }
    });
    return true;
}

bool simpleMoveContent(CBlockVMTC &dst, const TMTC &src, const sFPos *corners)
{
    const SQuadBounds q = quadBounds(corners);
    int32_t xs, xe, ys, ye;
    if (!src.isEnable())
        return false;
    if (!clampRange(q.x0, q.x1, dst.width(), xs, xe) || !clampRange(q.y0, q.y1, dst.height(), ys, ye))
        return true;
    // The origin is the unclamped corner minimum: content moved past an edge is cut, not shifted.
    const int64_t ox = q.x0 - 1, oy = q.y0 - 1;
    const int64_t fx = std::max<int64_t>(xs, ox), tx = std::min<int64_t>(xe, ox + src.width() - 1);
    const int64_t fy = std::max<int64_t>(ys, oy), ty = std::min<int64_t>(ye, oy + src.height() - 1);
    for (int64_t y = fy; y <= ty; ++y)
        for (int64_t x = fx; x <= tx; ++x) {
            sBGRA *d = dst.seekPixel(int32_t(x), int32_t(y));
            if (!d)
                return false;
            transformOverPixel(*d, *src.seek32(int32_t(x - ox), int32_t(y - oy)));
        }
    return true;
}
