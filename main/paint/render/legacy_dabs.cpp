#include "paint/render/legacy_dabs.h"

#include "core/pixel/blend_modes.h"
#include "core/image/canvas_draw.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/gradient/gradation.h"
#include "paint/render/stroke_context.h"

#include <algorithm>
#include <cmath>

namespace {

// Expressions are evaluated in extended precision and only the named results are stored, as the
// older engines did; a coordinate far outside any image is held at a bound that still lies
// outside, so that no conversion overflows.
constexpr long double kFar = 1 << 30;

int32_t toInt(long double v)
{
    if (!(v > -kFar))
        return -(1 << 30);
    return int32_t(std::min(v, kFar));
}

int32_t floorInt(long double v)
{
    return toInt(std::floor(v));
}

int32_t ceilInt(long double v)
{
    return toInt(std::ceil(v));
}

uint32_t byteOf(long double v)
{
    const long double t = std::trunc(v);
    return t <= 0 ? 0u : (t >= 255 ? 255u : uint32_t(t));
}

// The soft dab's coverage of the pixel (x, y): the air map at the distance of its centre.
uint32_t radialCoverage(int32_t x, int32_t y, float cx, float cy, float r, int32_t opacity)
{
    const long double dx = x + 0.5L - cx, dy = y + 0.5L - cy;
    const float d = float(std::sqrt(dx * dx + dy * dy));
    int32_t m = 0;
    if (d < r)
        m = gAirMapTable[size_t(std::trunc((long double)d * (kAirMapTableSize - 1) / r))];
    const int32_t c = fixMul(m, opacity) >> 16;
    return uint32_t(std::clamp(c, 0, 255));
}

// Calls put(position, coverage value) for every pixel of the span [c - h, c + h] that lies in
// [0, limit).
template <class Put> void walkAntiSpan(float c, float h, int32_t limit, float opacity, Put put)
{
    const long double lo = (long double)c - h, hi = (long double)c + h;
    if (!(opacity > 0) || !std::isfinite(lo) || !std::isfinite(hi))
        return;
    int32_t l = floorInt(lo);
    int32_t n = ceilInt(hi) - l;
    if (n <= 0)
        return;
    const long double op = opacity;
    const uint32_t full = byteOf(op * 255);
    uint32_t first, last;
    if (n > 1) {
        first = byteOf(op * ((l + 1) - lo) * 255);
        last = byteOf(op * (1 - (std::ceil(hi) - hi)) * 255);
    } else {
        first = last = byteOf(op * (2 * (long double)h) * 255);
    }
    if (l < 0) {
        n += l;
        l = 0;
        first = full;
    }
    for (int32_t i = 0; i < n && l + i < limit; ++i)
        put(l + i, i == 0 ? first : (i == n - 1 ? last : full));
}

using SpanProc = void (*)(TChannel &, uint32_t, bool, float, int32_t, float, float);

void drawAntiDisc(TChannel &ch, uint32_t value, bool flag, float majorC, float minorC, float r,
                  float opacity, int32_t majorLimit, SpanProc span)
{
    if (!(opacity > 0))
        return;
    if (r < 0.5f) {
        span(ch, value, flag, minorC, floorInt(majorC), r, opacity / 2);
        return;
    }
    const long double top = (long double)majorC - r, bottom = (long double)majorC + r;
    const int32_t y0 = floorInt(top), y1 = ceilInt(bottom) - 1;
    for (int32_t y = std::max(y0, 0); y <= std::min(y1, majorLimit - 1); ++y) {
        const long double dy = y - (long double)majorC;
        const long double h2 = (long double)r * r - dy * dy;
        if (!(h2 > 0))
            continue;
        long double op = opacity;
        if (y == y0)
            op = opacity * ((y + 1) - top);
        else if (y == y1)
            op = opacity * (bottom - y);
        span(ch, value, flag, minorC, y, float(std::sqrt(h2)), float(op));
    }
}

} // namespace

bool dabClipRect(const CDibCore &canvas, sRect &rect, sPos &offset, float cx, float cy, float r)
{
    const sRect whole{floorInt((long double)cx - r), floorInt((long double)cy - r),
                      ceilInt((long double)cx + r), ceilInt((long double)cy + r)};
    rect = whole;
    if (whole.x0 >= whole.x1 || whole.y0 >= whole.y1 || !canvas.clipping(rect))
        return false;
    offset = {rect.x0 - whole.x0, rect.y0 - whole.y0};
    return true;
}

bool drawRadialDab(TMTC &canvas, uint32_t colour, float cx, float cy, float r, float opacity)
{
    sRect rc;
    sPos ofs;
    if (!(opacity > 0) || !dabClipRect(canvas, rc, ofs, cx, cy, r))
        return false;
    const int32_t op = floatToFix(opacity);
    for (int32_t y = rc.y0; y < rc.y1; ++y)
        for (int32_t x = rc.x0; x < rc.x1; ++x)
            gCanvasPutAt(canvas.seek32(x, y), x, y, radialCoverage(x, y, cx, cy, r, op), colour);
    return true;
}

bool drawRadialDabTextured(TMTC &canvas, uint32_t colour, const CPenTC &texture, float cx, float cy,
                           float r, float opacity)
{
    sRect rc;
    sPos ofs;
    sSize tofs;
    if (!(opacity > 0) || !texture.isEnable() || !texture.getOffset(tofs, r) ||
        !dabClipRect(canvas, rc, ofs, cx, cy, r))
        return false;
    const int32_t op = floatToFix(opacity);
    for (int32_t y = rc.y0; y < rc.y1; ++y) {
        const int32_t ty = tofs.y + ofs.y + (y - rc.y0);
        for (int32_t x = rc.x0; x < rc.x1; ++x) {
            const int32_t tx = tofs.x + ofs.x + (x - rc.x0);
            // A texel beyond the texture counts as transparent: the dab's own colour.
            uint32_t c = colour;
            if (ptInSize(tx, ty, texture.width(), texture.height())) {
                const sBGRA t = *texture.seek32(tx, ty);
                if (t.A != 0)
                    c = t.all;
            }
            gCanvasPutAt(canvas.seek32(x, y), x, y, radialCoverage(x, y, cx, cy, r, op), c);
        }
    }
    return true;
}

void drawAntiSpanRow(TChannel &ch, uint32_t value, bool, float c, int32_t row, float h,
                     float opacity)
{
    if (!ch.isEnable() || row < 0 || row >= ch.height())
        return;
    walkAntiSpan(c, h, ch.width(), opacity,
                 [&](int32_t x, uint32_t v) { gChannelPutAt(ch.seek8(x, row), x, row, v, value); });
}

void drawAntiSpanColumn(TChannel &ch, uint32_t value, bool, float c, int32_t column, float h,
                        float opacity)
{
    if (!ch.isEnable() || column < 0 || column >= ch.width())
        return;
    walkAntiSpan(c, h, ch.height(), opacity, [&](int32_t y, uint32_t v) {
        gChannelPutAt(ch.seek8(column, y), column, y, v, value);
    });
}

void drawAntiDiscRows(TChannel &ch, uint32_t value, bool flag, float cx, float cy, float r,
                      float opacity)
{
    drawAntiDisc(ch, value, flag, cy, cx, r, opacity, ch.height(), drawAntiSpanRow);
}

void drawAntiDiscColumns(TChannel &ch, uint32_t value, bool flag, float cx, float cy, float r,
                         float opacity)
{
    drawAntiDisc(ch, value, flag, cx, cy, r, opacity, ch.width(), drawAntiSpanColumn);
}

bool drawColorThroughChannel(TMTC &canvas, const TChannel &ch, sPos dpos, sBox box, uint32_t colour,
                             uint32_t opacity, bool raiseAlpha)
{
    if (!canvas.isEnable() || !ch.isEnable() || !clipBlt(canvas.FPSZ(), ch.FPSZ(), dpos, box))
        return false;
    const uint32_t op = std::min(opacity, 255u);
    for (int32_t j = 0; j < box.h; ++j) {
        for (int32_t i = 0; i < box.w; ++i) {
            const int32_t x = box.x + i, y = box.y + j;
            const uint8_t v = ch.getColor(x, y);
            sBGRA *dst = canvas.seek32(dpos.x + i, dpos.y + j);
            if (raiseAlpha) {
                if (v == 0)
                    continue;
                if (dst->A < v)
                    dst->A = v;
            }
            gCanvasPutAt(dst, x, y, mul255(v, op), colour);
        }
    }
    return true;
}

bool drawGradationThroughChannel(TMTC &canvas, const TChannel &ch, const CGradation &grad,
                                 fptrPixelPut4core put, sPos dpos, sBox box, uint32_t opacity)
{
    if (!put || !canvas.isEnable() || !ch.isEnable() ||
        !clipBlt(canvas.FPSZ(), ch.FPSZ(), dpos, box))
        return false;
    const uint32_t op = std::min(opacity, 255u);
    for (int32_t j = 0; j < box.h; ++j) {
        for (int32_t i = 0; i < box.w; ++i) {
            const uint8_t v = ch.getColor(box.x + i, box.y + j);
            if (v == 0)
                continue;
            const sPos at{dpos.x + i, dpos.y + j};
            const sBGRA c{.all = pixelSwapRB(grad.getColor(at).all)};
            put(canvas.seek32(at.x, at.y), c.all, mul255(mul255(v, op), c.A));
        }
    }
    return true;
}

bool bltPartNormal(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                   int32_t x, int32_t y, uint32_t alpha)
{
    return source.bltPartEx2(target, sx, sy, w, h, x, y, alpha, pixelPutSrcAlpha);
}

bool bltPartMul(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                int32_t x, int32_t y, uint32_t alpha)
{
    return source.BltMulPart(target, sx, sy, w, h, x, y, alpha);
}

bool bltPartAdd(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                int32_t x, int32_t y, uint32_t alpha)
{
    return source.BltAddPart(target, sx, sy, w, h, x, y, alpha);
}

bool bltPartSub(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                int32_t x, int32_t y, uint32_t alpha)
{
    return source.BltSubPart(target, sx, sy, w, h, x, y, alpha);
}
