// A plain per-pixel version of the free transform's pixel mapping, written straight from its
// description: every pixel of the bounding rectangle is solved, nothing is skipped early. The
// fast loops of document/transform/transform_mapping.h must agree with it byte for byte.
#pragma once

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/pixel/pixel.h"
#include "core/scale/view_render.h"
#include "core/tiles/block_layer_image.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace transform_reference {

inline double rnd(double v)
{
    return std::nearbyint(v);
}

struct Solver
{
    double Ax, Ay, Bx, By, Cx, Cy, D1x, D1y, D3x, D3y;
    float P0x, P0y;

    explicit Solver(const sFPos *P)
    {
        Ax = rnd(P[1].x - P[0].x), Ay = rnd(P[1].y - P[0].y);
        Bx = rnd(P[3].x - P[0].x), By = rnd(P[3].y - P[0].y);
        Cx = rnd(P[2].x - P[1].x - P[3].x + P[0].x), Cy = rnd(P[2].y - P[1].y - P[3].y + P[0].y);
        D1x = rnd(P[2].x - P[1].x), D1y = rnd(P[2].y - P[1].y);
        D3x = rnd(P[2].x - P[3].x), D3y = rnd(P[2].y - P[3].y);
        P0x = P[0].x, P0y = P[0].y;
    }

    static bool unit(double t) { return t >= 0 && t <= 1; }

    bool vFor(double u, double qx, double qy, double &v) const
    {
        if (Bx + u * Cx != 0) {
            v = (qx - u * Ax) / (Bx + u * Cx);
            return true;
        }
        if (By + u * Cy != 0) {
            v = (qy - u * Ay) / (By + u * Cy);
            return true;
        }
        return false;
    }

    bool solve(int64_t X, int64_t Y, double &u, double &v) const
    {
        const double qx = rnd(double(X) - P0x), qy = rnd(double(Y) - P0y);
        const double a = Cx * Ay - Cy * Ax;
        const double b = Cy * qx + Bx * Ay - By * Ax - Cx * qy;
        double c = By * qx - Bx * qy;
        if (a != 0) {
            const double disc = b * b - 4 * a * c;
            if (disc < 0)
                return false;
            const double u1 = (std::sqrt(disc) - b) / (2 * a);
            const double u2 = (-b - std::sqrt(disc)) / (2 * a);
            double v1, v2;
            if (vFor(u1, qx, qy, v1) && unit(u1) && unit(v1)) {
                u = u1, v = v1;
                return true;
            }
            if (vFor(u2, qx, qy, v2) && unit(u2) && unit(v2)) {
                u = u2, v = v2;
                return true;
            }
            return false;
        }
        if (b == 0)
            return false;
        if (Bx == 0 && D1x == 0)
            c = qy * Ax - Ay * qx;
        double uu = -c / b, vv;
        if (Bx + uu * Cx != 0) {
            vv = (qx - uu * Ax) / (Bx + uu * Cx);
        } else if (Ay != 0) {
            vv = uu;
            uu = (qy - vv * D1y) / Ay;
        } else {
            if (Ax != 0)
                uu = qx / Ax;
            else if (D3x != 0)
                uu = qx / D3x;
            else
                return false;
            if (By != 0)
                vv = qy / By;
            else if (D3y != 0)
                vv = qy / D3y;
            else
                return false;
        }
        if (!unit(uu) || !unit(vv))
            return false;
        u = uu, v = vv;
        return true;
    }
};

struct Bounds
{
    int64_t x0, y0, x1, y1;
};

inline Bounds bounds(const sFPos *P)
{
    float a = P[0].x, b = P[0].x, c = P[0].y, d = P[0].y;
    for (int i = 1; i < 4; ++i)
        a = std::min(a, P[i].x), b = std::max(b, P[i].x), c = std::min(c, P[i].y),
        d = std::max(d, P[i].y);
    return {int64_t(rnd(a)), int64_t(rnd(c)), int64_t(rnd(b)), int64_t(rnd(d))};
}

inline void over(sBGRA &d, const sBGRA &s)
{
    if (d.A == 0) {
        d = s;
        return;
    }
    const int a = s.A;
    const auto m = [&](int dv, int sv) { return uint8_t(std::min(dv * (255 - a) / 255 + a * sv / 255, 255)); };
    d.B = m(d.B, s.B), d.G = m(d.G, s.G), d.R = m(d.R, s.R);
    d.A = uint8_t(std::min(a + d.A * (255 - a) / 255, 255));
}

// The mask mapping (not a simple move).
inline void mapMask(TChannel &dst, const TChannel &content, const sFPos *P)
{
    const Bounds q = bounds(P);
    const int64_t lastX = q.x1 < 2 ? 0 : q.x1 - 1, lastY = q.y1 < 2 ? 0 : q.y1 - 1;
    const int64_t xs = std::max<int64_t>(q.x0, 0), xe = std::min<int64_t>(lastX, dst.width() - 1);
    const int64_t ys = std::max<int64_t>(q.y0, 0), ye = std::min<int64_t>(lastY, dst.height() - 1);
    if (xs >= xe || ys >= ye)
        return;
    const Solver s(P);
    const int w = content.width(), h = content.height();
    for (int64_t Y = ys; Y <= ye; ++Y)
        for (int64_t X = xs; X <= xe; ++X) {
            double u, v;
            if (!s.solve(X, Y, u, v))
                continue;
            const int sx = std::clamp(int(std::trunc(w * u + 0.5)), 0, w - 1);
            const int sy = std::clamp(int(std::trunc(h * v + 0.5)), 0, h - 1);
            *dst.seek8(int(X), int(Y)) = *content.seek8(sx, sy);
        }
}

// The image mapping, nearest (aa false) or area-averaged (aa true).
inline void mapImage(CBlockVMTC &dst, const TMTC &src, const sFPos *P, bool aa)
{
    const Bounds q = bounds(P);
    const int64_t xs = std::max<int64_t>(q.x0, 0), xe = std::min<int64_t>(q.x1, dst.width() - 1);
    const int64_t ys = std::max<int64_t>(q.y0, 0), ye = std::min<int64_t>(q.y1, dst.height() - 1);
    if (xs >= xe || ys >= ye)
        return;
    const int s0 = aa ? 0 : 1;
    const int sw = src.width(), sh = src.height();
    const auto step = [](int content, int64_t extent) {
        if (extent <= 0)
            return 1.0f;
        return float(std::max<int64_t>(int64_t(std::trunc(double(content) / double(extent) + 0.5)), 1));
    };
    const float stepX = step(sw - 2, q.x1 - q.x0), stepY = step(sh - 2, q.y1 - q.y0);
    const Solver s(P);
    for (int64_t Y = ys; Y <= ye; ++Y)
        for (int64_t X = xs; X <= xe; ++X) {
            double u, v;
            if (!s.solve(X, Y, u, v))
                continue;
            const double sx = s0 + (sw - 1 - s0) * u, sy = s0 + (sh - 1 - s0) * v;
            sBGRA *d = dst.seekPixel(int(X), int(Y));
            if (aa) {
                sFRect r{float(sx), float(sy), float(sx) + stepX, float(sy) + stepY};
                averageAreaF(d, src, r);
            } else {
                const int px = std::clamp(int(std::nearbyint(sx)), 0, sw - 1);
                const int py = std::clamp(int(std::nearbyint(sy)), 0, sh - 1);
                over(*d, *src.seek32(px, py));
            }
        }
}

} // namespace transform_reference
