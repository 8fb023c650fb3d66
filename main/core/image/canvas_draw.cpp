// Drawing, checkerboards, flips and turns, rotated views, reductions and stretching of the
// 32-bit canvas, and the pen-tip canvas.
#include "core/image/canvas_draw.h"

#include "core/base/numeric.h"
#include "core/image/channel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
void defaultCanvasPut(TMTC &tc, int32_t x, int32_t y, uint32_t col, int32_t a)
{
    tc.setColor(x, y, col, uint32_t(a));
}

fptrCanvasPut gCanvasPut = defaultCanvasPut;

// The pixel range trunc(c - r) .. trunc(c + r) cut to [0, limit): every put skips pixels outside
// the canvas, so the cut changes nothing visible and keeps absurd radii from looping.
bool discRange(double c, double r, int32_t limit, int32_t &lo, int32_t &hi)
{
    const double a = std::trunc(c - r), b = std::trunc(c + r);
    if (!(a <= b) || b < 0 || a >= limit)
        return false;
    lo = int32_t(std::max(a, 0.0));
    hi = int32_t(std::min(b, double(limit - 1)));
    return true;
}

inline int64_t sq(int64_t x, int64_t y)
{
    return x * x + y * y;
}

// One disc pixel's opacity on the quarter-pixel grid, or -1 when no corner is inside.
int32_t discOpacity(int64_t u, int64_t v, int64_t g, int32_t full, bool antialias, bool smooth)
{
    const int inside =
        (sq(u, v) < g) + (sq(u + 4, v) < g) + (sq(u, v + 4) < g) + (sq(u + 4, v + 4) < g);
    if (inside == 0)
        return -1;
    const int64_t s = smooth ? std::max<int64_t>(0, 255 - sq(u, v) * 255 / g) : 0;
    if (inside == 4)
        return int32_t(smooth ? full * s >> 8 : full);
    if (!antialias)
        return full;
    int64_t k = 0;
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            k += sq(u + i, v + j) < g;
    return int32_t(smooth ? full * s * k >> 12 : full * k / 16);
}

// Walks the disc of exDrawCircle and qz11_DrawCircle, calling put(x, y, opacity).
template <class Put>
void walkDisc(const TMTC &tc, float mx, float my, float r, float alpha, bool antialias,
              bool doSmooth, Put put)
{
    int32_t x0, x1, y0, y1;
    if (!(r > 0) || !tc.isEnable() || !discRange(mx, r, tc.width(), x0, x1) ||
        !discRange(my, r, tc.height(), y0, y1))
        return;
    // Products of Singles by 4 are exact in double, as they were in extended precision.
    const int64_t r4 = int64_t(std::trunc(double(r) * 4));
    const int64_t g = r4 * r4;
    const int64_t cx = int64_t(std::trunc(double(mx) * 4)),
                  cy = int64_t(std::trunc(double(my) * 4));
    // An opacity far outside 0..1 (from a damaged recording) must not overflow the conversion.
    const int32_t full =
        int32_t(std::clamp(std::trunc(double(alpha) * 255), -2147483648.0, 2147483647.0));
    const bool smooth = doSmooth && r >= 3;
    if (g == 0)
        return; // no corner can be inside
    for (int32_t y = y0; y <= y1; ++y)
        for (int32_t x = x0; x <= x1; ++x) {
            const int32_t a =
                discOpacity(4 * int64_t(x) - cx, 4 * int64_t(y) - cy, g, full, antialias, smooth);
            if (a >= 0)
                put(x, y, a);
        }
}

// The stepping shared by DrawLine and DrawALine: the major axis runs from the end with the
// smaller major coordinate.
struct LineWalk
{
    bool alongX;
    float majorStart, majorEnd, minorStart, minorEnd;
    bool fromSecond; // the walk starts at (x2, y2)
};

LineWalk lineWalk(float x1, float y1, float x2, float y2)
{
    if (std::fabs(x1 - x2) > std::fabs(y1 - y2)) {
        const bool second = x2 < x1;
        return second ? LineWalk{true, x2, x1, y2, y1, true}
                      : LineWalk{true, x1, x2, y1, y2, false};
    }
    const bool second = y2 <= y1;
    return second ? LineWalk{false, y2, y1, x2, x1, true} : LineWalk{false, y1, y2, x1, x2, false};
}

// Calls put(major, minor, fraction byte) for every step of the walk with minor step `step`.
template <class Put> void walkLine(const LineWalk &w, int32_t step, Put put)
{
    int32_t v = int32_t(std::trunc(double(w.minorStart) * 65536));
    const int32_t m0 = int32_t(std::trunc(w.majorStart)), m1 = int32_t(std::trunc(w.majorEnd));
    for (int32_t m = m0; m <= m1; ++m) {
        put(m, v >> 16, (v >> 8) & 0xFF); // arithmetic shift: the floor of the 16.16 value
        v += step;
    }
}
} // namespace

fptrCanvasPut setCanvasPutProc(fptrCanvasPut proc)
{
    fptrCanvasPut old = gCanvasPut;
    gCanvasPut = proc ? proc : defaultCanvasPut;
    return old;
}

// ---- lines and frames ----------------------------------------------------------------------

void TMTC::drawLine(int32_t x0, int32_t y0, int32_t a0, int32_t x1, int32_t y1, int32_t a1,
                    uint32_t col, fptrPixelPut4core fnPut)
{
    if (!isEnable())
        return;
    const int64_t dx = int64_t(x1) - x0, dy = int64_t(y1) - y0;
    const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    auto put = [&](int64_t x, int64_t y, int64_t a) {
        if (x >= 0 && y >= 0 && x < width() && y < height())
            fnPut(seek32(int32_t(x), int32_t(y)), col, uint32_t(a));
    };
    if (n == 0) {
        put(x0, y0, a0);
        return;
    }
    for (int64_t e = 0; e <= n; ++e)
        put(x0 + e * dx / n, y0 + e * dy / n, a0 + (int64_t(a1) - a0) * e / n);
}

void TMTC::frameBox(const sBox &box, uint32_t colTL, uint32_t colBR, uint32_t a,
                    fptrPixelPut4core fnPut)
{
    if (box.w <= 0 || box.h <= 0)
        return;
    const int32_t x = box.x, y = box.y, r = box.x + box.w - 1, b = box.y + box.h - 1;
    const int32_t ai = int32_t(a);
    if (box.w == 1) {
        drawLine(x, y, ai, x, b, ai, colTL, fnPut);
    } else if (box.h == 1) {
        drawLine(x, y, ai, r, y, ai, colTL, fnPut);
    } else {
        // Each border pixel once: the corners go to the edge that starts there.
        drawLine(x, y, ai, r - 1, y, ai, colTL, fnPut);
        drawLine(r, y, ai, r, b - 1, ai, colBR, fnPut);
        drawLine(r, b, ai, x + 1, b, ai, colBR, fnPut);
        drawLine(x, b, ai, x, y + 1, ai, colTL, fnPut);
    }
}

void TMTC::frameBox(const sBox &box, uint32_t col, uint32_t a, fptrPixelPut4core fnPut)
{
    frameBox(box, col, col, a, fnPut);
}

void TMTC::drawBox(const sBox &box, uint32_t col, uint32_t a)
{
    frameBox(box, col, col, a, pixelPutAlpha);
}

void TMTC::drawBox(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t col, uint32_t a)
{
    drawBox(sBox{x, y, w, h}, col, a);
}

void TMTC::drawBox(const sBox &box, uint32_t colTL, uint32_t colBR, uint32_t a)
{
    frameBox(box, colTL, colBR, a, pixelPutAlpha);
}

void TMTC::drawEdge(uint32_t colTL, uint32_t colBR, uint32_t a)
{
    drawBox(sBox{0, 0, width(), height()}, colTL, colBR, a);
}

void TMTC::drawTextBox(const sBox &box, uint32_t bg, uint32_t edge, uint32_t a)
{
    sBox b = box;
    if (fillBox(b, bg))
        drawBox(b, edge, a);
}

void TMTC::DrawLine(float x1, float y1, float x2, float y2, uint32_t color, bool antialias)
{
    const LineWalk w = lineWalk(x1, y1, x2, y2);
    const double dMajor = double(w.majorEnd) - w.majorStart;
    const double dMinor = double(w.minorEnd) - w.minorStart;
    const int32_t step = dMajor == 0 ? 0 : int32_t(std::trunc(dMinor / (dMajor + 1) * 65536));
    walkLine(w, step, [&](int32_t major, int32_t minor, int32_t r) {
        const int32_t x = w.alongX ? major : minor, y = w.alongX ? minor : major;
        if (!antialias) {
            setColor(x, y, color, 255);
            return;
        }
        setColor(x, y, color, uint32_t(255 - r));
        if (w.alongX)
            setColor(x, y + 1, color, uint32_t(r));
        else
            setColor(x + 1, y, color, uint32_t(r));
    });
}

void TMTC::DrawALine(float x1, float y1, float a1, float x2, float y2, float a2, uint32_t color,
                     bool antialias)
{
    const LineWalk w = lineWalk(x1, y1, x2, y2);
    const double dMajor = double(w.majorEnd) - w.majorStart;
    const double dMinor = double(w.minorEnd) - w.minorStart;
    // Stepping along y from the second end divides by dMajor, not dMajor + 1.
    const double div = !w.alongX && w.fromSecond ? dMajor : dMajor + 1;
    const int32_t step = dMajor == 0 ? 0 : int32_t(std::trunc(dMinor / div * 65536));
    const float aStart = w.fromSecond ? a2 : a1, aEnd = w.fromSecond ? a1 : a2;
    float f = aStart;
    const float df = float((double(aEnd) - aStart) / (dMajor + 1));
    walkLine(w, step, [&](int32_t major, int32_t minor, int32_t r) {
        const int32_t x = w.alongX ? major : minor, y = w.alongX ? minor : major;
        if (!antialias) {
            setColor(x, y, color, uint32_t(std::trunc(double(f) * 255)));
        } else {
            // Products of a Single and a byte are exact in double, as in extended precision.
            setColor(x, y, color, uint32_t(std::trunc(double(f) * (255 - r))));
            if (w.alongX)
                setColor(x, y + 1, color, uint32_t(std::trunc(double(f) * r)));
            else
                setColor(x + 1, y, color, uint32_t(std::trunc(double(f) * r)));
        }
        f += df;
    });
}

// ---- discs ---------------------------------------------------------------------------------

void TMTC::exDrawCircle(float mx, float my, float r, uint32_t color, float alpha, bool antialias,
                        bool doSmooth)
{
    walkDisc(*this, mx, my, r, alpha, antialias, doSmooth,
             [&](int32_t x, int32_t y, int32_t a) { gCanvasPut(*this, x, y, color, a); });
}

void TMTC::qz11_DrawCircle(float mx, float my, float r, uint32_t color, float alpha, bool antialias,
                           bool doSmooth)
{
    walkDisc(*this, mx, my, r, alpha, antialias, doSmooth,
             [&](int32_t x, int32_t y, int32_t a) { qz11_PixelPut(x, y, color, uint32_t(a)); });
}

// ---- checkerboards -------------------------------------------------------------------------

bool TMTC::fillCheckBoard(sBox &box, const sSize &sz, uint32_t c0, uint32_t c1)
{
    if (sz.x <= 0 || sz.y <= 0 || !isEnable() || !clipping(box))
        return false;
    for (int32_t j = 0; j < box.h; ++j) {
        sBGRA *p = seek32(box.x, box.y + j);
        const int32_t row = j / sz.y;
        for (int32_t i = 0; i < box.w; ++i)
            p[i].all = ((i / sz.x + row) & 1) ? c1 : c0;
    }
    return true;
}

bool TMTC::fillCheckBoardEx(sBox &box, const sSize &sz, uint32_t c0, uint32_t c1)
{
    if (sz.x <= 0 || sz.y <= 0 || !isEnable() || !clipping(box))
        return false;
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        sBGRA *p = seek32(box.x, y);
        const int32_t row = y / sz.y;
        for (int32_t x = box.x; x < box.x + box.w; ++x, ++p)
            p->all = ((x / sz.x + row) & 1) ? c1 : c0;
    }
    return true;
}

bool TMTC::mixInvCheckBoard(sRect &r, const sPos &cp, const sSize &sz, uint32_t c0, uint32_t c1)
{
    if (sz.x <= 0 || sz.y <= 0 || !isEnable() || !clipping(r))
        return false;
    for (int32_t y = r.y0; y < r.y1; ++y) {
        sBGRA *p = seek32(r.x0, y);
        const int32_t row = (y - cp.y) / sz.y; // truncates towards zero
        for (int32_t x = r.x0; x < r.x1; ++x, ++p) {
            if (p->A == 255)
                continue;
            sBGRA c{.all = ((row + (x - cp.x) / sz.x) & 1) ? c1 : c0};
            pixelPutAlpha(&c, p->all, p->A);
            *p = c;
        }
    }
    return true;
}

// ---- flips and turns -----------------------------------------------------------------------

bool TMTC::flipTB(sBox &box)
{
    if (!isEnable() || !clipping(box))
        return false;
    std::vector<sBGRA> tmp(size_t(box.w));
    const size_t bytes = size_t(box.w) * 4;
    for (int32_t j = 0; j < box.h / 2; ++j) {
        sBGRA *a = seek32(box.x, box.y + j), *b = seek32(box.x, box.y + box.h - 1 - j);
        std::memcpy(tmp.data(), a, bytes);
        std::memcpy(a, b, bytes);
        std::memcpy(b, tmp.data(), bytes);
    }
    return true;
}

bool TMTC::flipLR(sBox &box)
{
    if (!isEnable() || !clipping(box))
        return false;
    forBoxRows(box, [&](sBGRA *p) { std::reverse(p, p + box.w); });
    return true;
}

bool TMTC::rot180(sBox &box)
{
    if (!isEnable() || !clipping(box))
        return false;
    for (int32_t j = 0; j < box.h / 2; ++j) {
        sBGRA *a = seek32(box.x, box.y + j), *b = seek32(box.x, box.y + box.h - 1 - j);
        for (int32_t i = 0; i < box.w; ++i)
            std::swap(a[i], b[box.w - 1 - i]);
    }
    if (box.h & 1) {
        sBGRA *m = seek32(box.x, box.y + box.h / 2);
        std::reverse(m, m + box.w);
    }
    return true;
}

bool TMTC::flipTB()
{
    sBox box{0, 0, width(), height()};
    return flipTB(box);
}

bool TMTC::flipLR()
{
    sBox box{0, 0, width(), height()};
    return flipLR(box);
}

bool TMTC::rot180()
{
    sBox box{0, 0, width(), height()};
    return rot180(box);
}

bool TMTC::FilterRotate180(TMTC &dst) const
{
    if (!isEnable() || !dst.isEnable() || &dst == this)
        return false;
    const int32_t w = width(), h = height();
    const int32_t cw = std::min(w, dst.width()), ch = std::min(h, dst.height());
    for (int32_t y = 0; y < ch; ++y) {
        sBGRA *d = dst.seek32(0, y);
        const sBGRA *s = seek32(0, h - 1 - y);
        for (int32_t x = 0; x < cw; ++x)
            d[x] = s[w - 1 - x];
    }
    return true;
}

bool TMTC::FilterRotateRight(TMTC &dest) const
{
    if (!isEnable() || !dest.isEnable() || &dest == this)
        return false;
    const int32_t h = height();
    const int32_t cw = std::min(h, dest.width()), ch = std::min(width(), dest.height());
    for (int32_t y = 0; y < ch; ++y) {
        sBGRA *d = dest.seek32(0, y);
        for (int32_t x = 0; x < cw; ++x)
            d[x] = *seek32(y, h - 1 - x);
    }
    return true;
}

bool TMTC::FilterRotateLeft(TMTC &dest) const
{
    if (!isEnable() || !dest.isEnable() || &dest == this)
        return false;
    const int32_t w = width();
    const int32_t cw = std::min(height(), dest.width()), ch = std::min(w, dest.height());
    for (int32_t y = 0; y < ch; ++y) {
        sBGRA *d = dest.seek32(0, y);
        for (int32_t x = 0; x < cw; ++x)
            d[x] = *seek32(w - 1 - y, x);
    }
    return true;
}

// ---- rotated and mirrored views ------------------------------------------------------------

namespace {
// The inverse mapping of a rotated view. Per row the source position is evaluated in Single
// precision and turned into 16.16; per pixel it advances by the rounded 16.16 steps.
bool rotatedView(const TMTC &src, TMTC &dest, const sPos &cp, sBox box, float rot, float zoom,
                 bool mirror)
{
    if (!src.isEnable() || !dest.isEnable() || !dest.clipping(box))
        return false;
    const float c = std::cos(rot), s = std::sin(rot);
    const float hx = float(dest.width() / 2) - 0.5f, hy = float(dest.height() / 2) - 0.5f;
    const float zc = zoom * c, zs = zoom * s;
    const int32_t stepX = int32_t(std::lrintf(zc * 65536.0f)) * (mirror ? -1 : 1);
    const int32_t stepY = int32_t(std::lrintf(zs * 65536.0f)) * (mirror ? -1 : 1);
    const uint64_t limX = uint64_t(uint32_t(src.width())) << 16;
    const uint64_t limY = uint64_t(uint32_t(src.height())) << 16;
    const float ox = float(cp.x) + 0.5f, oy = float(cp.y) + 0.5f;
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        const float dx = float(box.x) - hx, dy = float(y) - hy;
        float fx, fy;
        if (!mirror) {
            fx = ox + zoom * (c * dx - s * dy);
            fy = oy + zoom * (s * dx + c * dy);
        } else {
            fx = ox - zoom * (c * dx + s * dy);
            fy = oy + zoom * (c * dy - s * dx);
        }
        int32_t X = int32_t(std::lrintf(fx * 65536.0f)), Y = int32_t(std::lrintf(fy * 65536.0f));
        sBGRA *d = dest.seek32(box.x, y);
        for (int32_t i = 0; i < box.w; ++i, X += stepX, Y += stepY) {
            // Taken as unsigned, a negative coordinate is as far outside as a large one.
            if (uint32_t(X) >= limX || uint32_t(Y) >= limY)
                d[i].all = gViewBackColor;
            else
                d[i] = *src.seek32(int32_t(uint32_t(X) >> 16), int32_t(uint32_t(Y) >> 16));
        }
    }
    return true;
}
} // namespace

bool TMTC::BltRotationPart(TMTC &dest, const sPos &cp, sBox box, float rot, float zoom) const
{
    return rotatedView(*this, dest, cp, box, rot, zoom, false);
}

bool TMTC::BltReversePart(TMTC &dest, const sPos &cp, sBox box, float rot, float zoom) const
{
    return rotatedView(*this, dest, cp, box, rot, zoom, true);
}

bool TMTC::BltRotation(TMTC &dest, const sPos &cp, float rot, float zoom) const
{
    return BltRotationPart(dest, cp, {0, 0, dest.width(), dest.height()}, rot, zoom);
}

bool TMTC::BltReverse(TMTC &dest, const sPos &cp, float rot, float zoom) const
{
    return BltReversePart(dest, cp, {0, 0, dest.width(), dest.height()}, rot, zoom);
}

// ---- reductions and stretching -------------------------------------------------------------

void TMTC::FilterSmallenHQ(TMTC &dest) const
{
    if (!isEnable() || !dest.isEnable() || &dest == this)
        return;
    const int64_t kx = int64_t(width()) * 1024 / dest.width();
    const int64_t ky = int64_t(height()) * 1024 / dest.height();
    for (int32_t y = 0; y < dest.height(); ++y) {
        sBGRA *d = dest.seek32(0, y);
        for (int32_t x = 0; x < dest.width(); ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < 4; ++j) {
                const int32_t sy =
                    clampInt(int32_t((ky * y + (ky / 4) * j) >> 10), 0, height() - 1);
                for (int i = 0; i < 4; ++i) {
                    const int32_t sx =
                        clampInt(int32_t((kx * x + (kx / 4) * i) >> 10), 0, width() - 1);
                    const sBGRA p = *seek32(sx, sy);
                    sum[0] += p.B, sum[1] += p.G, sum[2] += p.R, sum[3] += p.A;
                }
            }
            d[x] = sBGRA{{uint8_t(sum[0] >> 4), uint8_t(sum[1] >> 4), uint8_t(sum[2] >> 4),
                          uint8_t(sum[3] >> 4)}};
        }
    }
}

namespace {
void smallenRect(const TMTC &src, TMTC &dest, const sRect &r)
{
    const int64_t kx = int64_t(src.width()) * 1024 / dest.width();
    const int64_t ky = int64_t(src.height()) * 1024 / dest.height();
    const int32_t nx = src.width() / dest.width(), ny = src.height() / dest.height();
    const uint32_t count = uint32_t(nx + 1) * uint32_t(ny + 1);
    for (int32_t y = r.y0; y < r.y1; ++y) {
        sBGRA *d = dest.seek32(0, y);
        const int32_t y0 = int32_t((ky * y) >> 10);
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const int32_t x0 = int32_t((kx * x) >> 10);
            uint64_t sum[4] = {0, 0, 0, 0};
            for (int32_t j = 0; j <= ny; ++j) {
                const int32_t sy = clampInt(y0 + j, 0, src.height() - 1);
                for (int32_t i = 0; i <= nx; ++i) {
                    const sBGRA p = *src.seek32(clampInt(x0 + i, 0, src.width() - 1), sy);
                    sum[0] += p.B, sum[1] += p.G, sum[2] += p.R, sum[3] += p.A;
                }
            }
            d[x] = sBGRA{{uint8_t(sum[0] / count), uint8_t(sum[1] / count), uint8_t(sum[2] / count),
                          uint8_t(sum[3] / count)}};
        }
    }
}
} // namespace

void TMTC::FilterSmallen(TMTC &dest) const
{
    if (isEnable() && dest.isEnable() && &dest != this)
        smallenRect(*this, dest, {0, 0, dest.width(), dest.height()});
}

bool TMTC::FilterSmallenPart(TMTC &dest, int32_t dx, int32_t dy, int32_t dw, int32_t dh) const
{
    sRect r{dx, dy, dx + dw, dy + dh};
    if (!isEnable() || !dest.isEnable() || &dest == this || !dest.clipping(r))
        return false;
    smallenRect(*this, dest, r);
    return true;
}

bool TMTC::stretchImage(const TMTC &srcTC, const sBox &dbx, const sBox &sbx)
{
    sBox d = dbx, s = sbx;
    if (!isEnable() || !srcTC.isEnable() || !clipping(d) || !srcTC.clipping(s) || &srcTC == this)
        return false;
    const int64_t stepX = fixDiv(s.w, d.w), stepY = fixDiv(s.h, d.h);
    const int64_t endX = int64_t(s.x + s.w) << 16, endY = int64_t(s.y + s.h) << 16;
    int64_t fy = int64_t(s.y) << 16;
    int32_t j = 0;
    for (; j < d.h && fy < endY; ++j, fy += stepY) {
        sBGRA *dp = seek32(d.x, d.y + j);
        const sBGRA *sp = srcTC.seek32(0, int32_t(fy >> 16));
        int64_t fx = int64_t(s.x) << 16;
        for (int32_t i = 0; i < d.w && fx < endX; ++i, fx += stepX)
            dp[i] = sp[fx >> 16];
    }
    // Rows left over below the last row written repeat it.
    for (int32_t k = j; k < d.h && j > 0; ++k)
        std::memcpy(seek32(d.x, d.y + k), seek32(d.x, d.y + j - 1), size_t(d.w) * 4);
    return true;
}

// ---- pen-tip canvas ------------------------------------------------------------------------

void CPenTC::clear()
{
    iszR = {};
    fszR = {};
    center = {};
}

bool CPenTC::init(const TMTC &tc, float x, float y, float r)
{
    // A radius beyond any canvas would only ask for an impossible tip image.
    if (!(r >= 0 && r <= 100000) || !std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e9f ||
        std::fabs(y) > 1e9f)
        return false;
    fszR = {r, r};
    const int32_t half = int32_t(std::ceil(r)) + 3;
    iszR = {half, half};
    center = {x, y};
    imgBox = {int32_t(std::trunc(x)) - half, int32_t(std::trunc(y)) - half, 2 * half + 1,
              2 * half + 1};
    fracOfs = {x - std::floor(x), y - std::floor(y)};
    return capture(tc);
}

bool CPenTC::capture(const TMTC &tc)
{
    if (!tc.isEnable() || !Resize(imgBox.w, imgBox.h) || !isEnable())
        return false;
    for (int32_t j = 0; j < imgBox.h; ++j) {
        sBGRA *d = seek32(0, j);
        const sBGRA *row = tc.seek32(0, clampInt(imgBox.y + j, 0, tc.height() - 1));
        for (int32_t i = 0; i < imgBox.w; ++i)
            d[i] = row[clampInt(imgBox.x + i, 0, tc.width() - 1)];
    }
    return true;
}

bool CPenTC::getOffset(sSize &ofs, float r) const
{
    if (!(std::ceil(r) <= float(iszR.x)))
        return false;
    const int32_t o = std::max(0, iszR.x - int32_t(std::ceil(r - fracOfs.x)));
    ofs = {o, o};
    return true;
}

bool CPenTC::getOffset(sSize &ofs, const sFXSize &fsz) const
{
    if (iszR.x < fixCeil(fsz.x) || iszR.y < fixCeil(fsz.y))
        return false;
    ofs.x = std::max(0, iszR.x - fixCeil(fsz.x - int32_t(std::lrintf(fracOfs.x * 65536.0f))));
    ofs.y = std::max(0, iszR.y - fixCeil(fsz.y - int32_t(std::lrintf(fracOfs.y * 65536.0f))));
    return true;
}
