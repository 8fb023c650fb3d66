#include "core/scale/view_render.h"

#include "core/image/canvas.h"
#include "core/base/numeric.h"
#include "core/scale/scale_image.h"
#include "core/tiles/work_threads.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// The mapping works in 32-bit 16.16 values that wrap, as fixMul does.
inline int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
inline int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }

// The 16.16 offset of pixel i's centre from the middle of n pixels: (i shl 16) + $8000 - n x $8000.
inline int32_t centreOffset(int32_t i, int32_t n)
{
    return wrapSub(wrapAdd(int32_t(uint32_t(i) << 16), 0x8000), int32_t(uint32_t(n) * 0x8000u));
}

// round(65536 / scale); 0 when the scale cannot be mapped (not positive, or a side past 2^30).
int32_t sideOf(float scale)
{
    if (!(scale > 0))
        return 0;
    const long double side = 65536.0L / scale;
    return side > (1 << 30) ? 0 : roundToInt32(side);
}

} // namespace

void renderRotatedBytes(uint8_t *dst, const uint8_t *src, const sSize &dstSize, uint8_t outside,
                        float scaleY, float scaleX, float angle, const sPos &centre,
                        const sSize &srcSize)
{
    if (dstSize.x <= 0 || dstSize.y <= 0)
        return;
    const int32_t hx = sideOf(scaleX), hy = sideOf(scaleY);
    if (hx == 0 || hy == 0) {
        std::memset(dst, outside, size_t(dstSize.x) * size_t(dstSize.y));
        return;
    }
    const int32_t s = roundToInt32(std::sin((long double)angle) * 65536.0L);
    const int32_t c = roundToInt32(std::cos((long double)angle) * 65536.0L);
    const int32_t cx = wrapSub(int32_t(uint32_t(centre.x) << 16), hx / 2);
    const int32_t cy = wrapSub(int32_t(uint32_t(centre.y) << 16), hy / 2);
    CScaleImageBYTE scaler(src, nullptr, srcSize, {});
    for (int32_t y = 0; y < dstSize.y; ++y) {
        const int32_t py = centreOffset(y, dstSize.y);
        uint8_t *d = dst + size_t(y) * size_t(dstSize.x);
        for (int32_t x = 0; x < dstSize.x; ++x, ++d) {
            const int32_t px = centreOffset(x, dstSize.x);
            const int32_t x0 = wrapAdd(fixMul(wrapSub(fixMul(px, c), fixMul(py, s)), hx), cx);
            const int32_t y0 = wrapAdd(fixMul(wrapAdd(fixMul(px, s), fixMul(py, c)), hy), cy);
            sRect r = {x0, y0, wrapAdd(x0, hx), wrapAdd(y0, hy)};
            if (!scaler.calcSrcRect(d, r))
                *d = outside;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Rotated canvas views.

namespace {

bool renderView(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler, uint32_t outside, float zoom,
                float rot, const sBox &box, const sPos &centre, bool mirror)
{
    scaler.reset(&src, &dst);
    sBox b = box;
    if (!dst.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return false;
    const int32_t side = sideOf(zoom);
    if (side == 0)
        return false;
    const int32_t s = roundToInt32(std::sin((long double)rot) * 65536.0L);
    const int32_t c = roundToInt32(std::cos((long double)rot) * 65536.0L);
    // The square's origin: its centre less half its side, plus half a pixel.
    const int32_t half = side / 2;
    const int32_t cx = wrapAdd(wrapSub(int32_t(uint32_t(centre.x) << 16), half), 0x8000);
    const int32_t cy = wrapAdd(wrapSub(int32_t(uint32_t(centre.y) << 16), half), 0x8000);
    for (int32_t y = b.y; y < b.y + b.h; ++y) {
        const int32_t v = fixMul(centreOffset(y, dst.height()), side);
        for (int32_t x = b.x; x < b.x + b.w; ++x) {
            int32_t u = fixMul(centreOffset(x, dst.width()), side);
            if (mirror)
                u = wrapSub(0, u);
            const int32_t x0 = wrapAdd(wrapSub(fixMul(u, c), fixMul(v, s)), cx);
            const int32_t y0 = wrapAdd(wrapAdd(fixMul(u, s), fixMul(v, c)), cy);
            sRect r = {x0, y0, wrapAdd(x0, side), wrapAdd(y0, side)};
            sBGRA *p = dst.seek32(x, y);
            if (!scaler.calcSrcRect(reinterpret_cast<uint8_t *>(p), r))
                p->all = outside;
        }
    }
    return true;
}

} // namespace

bool renderRotatedView(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler, uint32_t outside,
                       float zoom, float rot, const sBox &box, const sPos &centre)
{
    return renderView(dst, src, scaler, outside, zoom, rot, box, centre, false);
}

bool renderRotatedViewMirror(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler,
                             uint32_t outside, float zoom, float rot, const sBox &box,
                             const sPos &centre)
{
    return renderView(dst, src, scaler, outside, zoom, rot, box, centre, true);
}

// ---------------------------------------------------------------------------------------------
// The free transform's sampler.

namespace {

inline void accumulate(float &sum, long double v) { sum = float((long double)sum + v); }

inline uint8_t clampTrunc(long double v)
{
    const long double t = std::trunc(v);
    return t <= 0 ? 0 : t >= 255 ? 255 : uint8_t(t);
}

// Composites the alpha-weighted sums S (R x A, G x A, B x A, A) of total coverage W over *dst.
void storeAverageOver(sBGRA *dst, const float *S, float W)
{
    const long double sa = S[3];
    if (sa <= 0)
        return;
    const long double a = W > 0 ? sa / W : sa;
    const auto part = [&](int k) { return W > 0 ? (long double)S[k] / W : (long double)S[k]; };
    uint8_t *d = reinterpret_cast<uint8_t *>(dst);
    if (dst->A == 0) {
        for (int k = 0; k < 3; ++k)
            d[2 - k] = clampTrunc(S[k] / sa + 0.001L);
        dst->A = clampTrunc(a + 0.001L);
        return;
    }
    for (int k = 0; k < 3; ++k)
        d[2 - k] = clampTrunc((255 - a) * d[2 - k] / 255 + part(k) / 255 + 0.001L);
    dst->A = clampTrunc((255 - a) * dst->A / 255 + a + 0.001L);
}

void addWeighted(float *S, const sBGRA &p, float weight)
{
    accumulate(S[0], (long double)p.R * weight);
    accumulate(S[1], (long double)p.G * weight);
    accumulate(S[2], (long double)p.B * weight);
    accumulate(S[3], weight);
}

} // namespace

void averageAreaF(sBGRA *dst, const TMTC &src, sFRect &r)
{
    r.x1 = std::min(r.x1, float(src.width()));
    r.y1 = std::min(r.y1, float(src.height()));
    // A rectangle reaching left of or above the source would read before its first pixel.
    r.x0 = std::max(r.x0, 0.0f);
    r.y0 = std::max(r.y0, 0.0f);
    if (!src.isEnable() || !(r.x0 < r.x1 && r.y0 < r.y1))
        return;
    const int32_t ix0 = int32_t(r.x0), iy0 = int32_t(r.y0);
    const int32_t ix1 = int32_t(std::ceil(r.x1)), iy1 = int32_t(std::ceil(r.y1));
    float S[4] = {}, W = 0;
    if (ix1 - ix0 == 1 && iy1 - iy0 == 1) { // inside one pixel: added unweighted, W stays 0
        const sBGRA &p = *src.seek32(ix0, iy0);
        S[0] = float(p.R * p.A), S[1] = float(p.G * p.A), S[2] = float(p.B * p.A), S[3] = p.A;
    } else {
        for (int32_t j = iy0; j < iy1; ++j) {
            const float cy = std::min(r.y1, float(j + 1)) - std::max(r.y0, float(j));
            for (int32_t i = ix0; i < ix1; ++i) {
                const float cx = std::min(r.x1, float(i + 1)) - std::max(r.x0, float(i));
                const float coverage = cx * cy;
                const sBGRA &p = *src.seek32(i, j);
                addWeighted(S, p, float(p.A * coverage));
                accumulate(W, coverage);
            }
        }
    }
    storeAverageOver(dst, S, W);
}

// ---------------------------------------------------------------------------------------------
// Zoom caches: integer arithmetic over a fixed set of taps.

namespace {

struct Tap
{
    const sBGRA *px;
    uint32_t weight;
};

// Mixes four weighted taps (weights adding up to total) into *d.
void mixTaps(sBGRA *d, const Tap (&taps)[4], uint32_t total, bool weighted)
{
    if (!weighted) {
        uint32_t b = 0, g = 0, r = 0, a = 0;
        for (const Tap &t : taps) {
            b += t.weight * t.px->B, g += t.weight * t.px->G;
            r += t.weight * t.px->R, a += t.weight * t.px->A;
        }
        d->B = uint8_t(b / total), d->G = uint8_t(g / total);
        d->R = uint8_t(r / total), d->A = uint8_t(a / total);
        return;
    }
    uint32_t sa = 0, b = 0, g = 0, r = 0;
    for (const Tap &t : taps) {
        const uint32_t wa = t.weight * t.px->A;
        sa += wa;
        b += wa * t.px->B, g += wa * t.px->G, r += wa * t.px->R;
    }
    if (sa == 0) { // nothing visible: only the alpha goes
        d->A = 0;
        return;
    }
    d->B = uint8_t(b / sa), d->G = uint8_t(g / sa), d->R = uint8_t(r / sa);
    d->A = uint8_t(sa / total);
}

template <class TapsOf>
void reduce(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back,
            uint32_t total, TapsOf tapsOf)
{
    sBox b = box;
    if (!dst.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return;
    sBGRA backPx;
    backPx.all = back;
    const auto at = [&](int32_t x, int32_t y) -> const sBGRA * {
        return ptInSize(x, y, src.width(), src.height()) ? src.seek32(x, y) : &backPx;
    };
    // Each destination row reads the source alone: bands of rows go to the work threads.
    parallelRanges(b.h, 16, [&](int32_t begin, int32_t end) {
        for (int32_t y = b.y + begin; y < b.y + end; ++y)
            for (int32_t x = b.x; x < b.x + b.w; ++x) {
                Tap taps[4];
                tapsOf(x, y, at, taps);
                mixTaps(dst.seek32(x, y), taps, total, weighted);
            }
    });
}

} // namespace

void cacheHalve(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back)
{
    reduce(dst, src, box, weighted, back, 4, [](int32_t x, int32_t y, auto at, Tap(&t)[4]) {
        t[0] = {at(2 * x, 2 * y), 1};
        t[1] = {at(2 * x + 1, 2 * y), 1};
        t[2] = {at(2 * x, 2 * y + 1), 1};
        t[3] = {at(2 * x + 1, 2 * y + 1), 1};
    });
}

void cacheTwoThirds(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back)
{
    reduce(dst, src, box, weighted, back, 9, [](int32_t x, int32_t y, auto at, Tap(&t)[4]) {
        const int32_t sx = 3 * x / 2, sy = 3 * y / 2;
        // Even positions weigh their first tap 2 and the next 1; odd positions the reverse.
        const uint32_t wx0 = x % 2 == 0 ? 2 : 1, wx1 = 3 - wx0;
        const uint32_t wy0 = y % 2 == 0 ? 2 : 1, wy1 = 3 - wy0;
        t[0] = {at(sx, sy), wx0 * wy0};
        t[1] = {at(sx + 1, sy), wx1 * wy0};
        t[2] = {at(sx, sy + 1), wx0 * wy1};
        t[3] = {at(sx + 1, sy + 1), wx1 * wy1};
    });
}
