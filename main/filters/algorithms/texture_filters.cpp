#include "filters/algorithms/texture_filters.h"

#include "core/base/numeric.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

} // namespace

// ---------------------------------------------------------------------------------------------
// Noise

bool fltNoise(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    const int32_t a = rec.data0.all;
    if (a == 0) { // every draw would be randomBelow(0) = 0
        p.unchanged = true;
        return true;
    }
    const bool grey = rec.data1.all != 0;
    gRandSeed = uint32_t(rec.data2.all);
    const uint32_t n = uint32_t(a) * 2u;
    return walkDstRectDrawing(
        p,
        [&] {
            SNoiseDraw d;
            if (grey)
                drawGreyNoise(d, n);
            else
                drawColourNoise(d, n);
            return d;
        },
        [&](int32_t, int32_t, sBGRA &px, int32_t m, const SNoiseDraw &d) {
            sBGRA c = px;
            c.R = clampByte(px.R + d.v0 - a);
            c.G = clampByte(px.G + d.v1 - a);
            c.B = clampByte(px.B + d.v2 - a);
            pixelPutAlpha(&px, c.all, uint32_t(m));
        });
}

// ---------------------------------------------------------------------------------------------
// Diffuse

uint32_t diffuseModeNone(uint32_t colour, uint32_t)
{
    return colour;
}

uint32_t diffuseModeDarken(uint32_t colour, uint32_t pixel)
{
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8)
        out |= std::min((colour >> s) & 0xFFu, (pixel >> s) & 0xFFu) << s;
    return out;
}

uint32_t diffuseModeLighten(uint32_t colour, uint32_t pixel)
{
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8)
        out |= std::max((colour >> s) & 0xFFu, (pixel >> s) & 0xFFu) << s;
    return out;
}

const std::array<fptrDiffuseMode, 3> kDiffuseModes = {diffuseModeNone, diffuseModeDarken,
                                                      diffuseModeLighten};

bool fltDiffuse(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    if (!protectionMatches(p, rec.data3.b2))
        return false;
    const uint32_t modeIndex = uint32_t(rec.data1.all);
    if (modeIndex > 2)
        return false;
    const fptrDiffuseMode mode = kDiffuseModes[modeIndex];
    const int32_t r = rec.data0.all;
    gRandSeed = uint32_t(rec.data2.all);
    const fptrPixelPut4core put = filterPut(p);
    const TMTC &flow = *p.flowTC;
    const int32_t w = p.layerTC->width(), h = p.layerTC->height();
    struct SDraw
    {
        uint32_t a, b;
    };

    if (rec.data3.b0 == 0) { // normal: an offset of up to r on each axis
        const uint32_t n = uint32_t(r) * 2u + 1u;
        return walkDstRectDrawing(
            p,
            [&] {
                const uint32_t dx = randomBelow(n);
                return SDraw{dx, randomBelow(n)};
            },
            [&](int32_t x, int32_t y, sBGRA &px, int32_t m, const SDraw &d) {
                // Integer sums wrap as the recorded program's do; the clamp keeps them inside.
                const int32_t sx = clampInt(int32_t(uint32_t(x) + d.a - uint32_t(r)), 0, w - 1);
                const int32_t sy = clampInt(int32_t(uint32_t(y) + d.b - uint32_t(r)), 0, h - 1);
                put(&px, mode(flow.getColor(sx, sy), px.all), uint32_t(m));
            });
    }

    // Directional: a 16.16 distance of up to r in one of 360 directions.
    CScaleImageTMTC scaler(p.flowTC, nullptr);
    const sRect box{0, 0, (w - 1) << 16, (h - 1) << 16};
    const uint32_t n = (uint32_t(r) << 16) + 1u;
    return walkDstRectDrawing(
        p,
        [&] {
            const uint32_t d = randomBelow(n);
            return SDraw{d, randomBelow(360)};
        },
        [&](int32_t x, int32_t y, sBGRA &px, int32_t m, const SDraw &d) {
            const float phi = float(d.b * kPi / 180);
            const long double dist = (long double)int32_t(d.a);
            const int32_t dx = int32_t(std::trunc(std::cos((long double)phi) * dist));
            const int32_t dy = int32_t(std::trunc(std::sin((long double)phi) * dist));
            const sFXPos pos{(x << 16) + 0x8000 + dx, (y << 16) + 0x8000 + dy};
            sBGRA col;
            sampleSquare(col, scaler, mixColour, box, pos);
            put(&px, mode(col.all, px.all), uint32_t(m));
        });
}

// ---------------------------------------------------------------------------------------------
// Mosaic

bool fltMosaic(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj2Size))
        return false;
    const auto &rec = *static_cast<const sFltObj2 *>(argp);
    const int64_t b = rec.data0.all;
    if (b < 1)
        return false;
    const fptrPixelPut4core put =
        rec.data1.all != 0 || p.layerPrt ? pixelPutAlpha : pixelPutWithAlpha;
    const sRect mr = p.maskRect, dr = p.dstRect;
    // A cell's right (lower) edge stops at the effect rectangle, its left (upper) edge does not:
    // the cells are aligned to multiples of b in layer coordinates. 64 bits: b may be anything.
    const auto cellEnd = [b](int64_t i, int64_t limit) {
        const int64_t e = b * (i + 1);
        return e < b ? b : (e > limit ? limit : e);
    };
    for (int64_t j = dr.y0 / b; j <= (dr.y1 - 1) / b; ++j) {
        const int32_t cy0 = int32_t(b * j), cy1 = int32_t(cellEnd(j, mr.y1));
        for (int64_t i = dr.x0 / b; i <= (dr.x1 - 1) / b; ++i) {
            const int32_t cx0 = int32_t(b * i), cx1 = int32_t(cellEnd(i, mr.x1));
            sBGRA col;
            averageRect(col, *p.flowTC, {cx0, cy0, cx1, cy1});
            for (int32_t y = std::max(cy0, dr.y0); y < std::min(cy1, dr.y1); ++y)
                for (int32_t x = std::max(cx0, dr.x0); x < std::min(cx1, dr.x1); ++x) {
                    const int32_t m = p.maskWeight(x, y);
                    if (m <= 0)
                        continue;
                    sBGRA *px = p.layerTC->seekPixelNC(x, y);
                    if (!px)
                        return false;
                    put(px, col.all, uint32_t(m));
                }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Colour halftone

namespace {

bool makeCanvas(TMTC &tc, int32_t w, int32_t h)
{
    return tc.Resize(w, h) && tc.isEnable() && tc.width() == w && tc.height() == h;
}

fptrHalftoneCanvasMaker gHalftoneCanvasMaker = makeCanvas;

} // namespace

fptrHalftoneCanvasMaker setHalftoneCanvasMaker(fptrHalftoneCanvasMaker maker)
{
    const fptrHalftoneCanvasMaker old = gHalftoneCanvasMaker;
    gHalftoneCanvasMaker = maker ? maker : makeCanvas;
    return old;
}

bool fltColorHalftone(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    const int32_t r = rec.data0.all;
    if (r < 1)
        return false;
    const sRect mr = p.maskRect, dr = p.dstRect;
    const int32_t w = mr.x1 - mr.x0, h = mr.y1 - mr.y0;

    // The ink is subtracted from white: in a canvas over the destination rectangle or, when that
    // cannot be had, in the layer itself (its colour is put back by the mask at the end).
    TMTC canvas;
    const bool direct = !gHalftoneCanvasMaker(canvas, dr.x1 - dr.x0, dr.y1 - dr.y0);
    if (direct) {
        for (int32_t y = dr.y0; y < dr.y1; ++y)
            for (int32_t x = dr.x0; x < dr.x1; ++x) {
                sBGRA *px = p.layerTC->seekPixelNC(x, y);
                if (!px)
                    return false;
                px->all |= 0x00FFFFFFu;
            }
    } else {
        canvas.PixelFill(0xFFFFFFFFu);
    }
    const auto ink = [&](int32_t x, int32_t y) -> sBGRA * {
        return direct ? p.layerTC->seekPixelNC(x, y) : canvas.seek32(x - dr.x0, y - dr.y0);
    };

    const int32_t degrees[3] = {rec.data3.all % 360, rec.data2.all % 360, rec.data1.all % 360};
    const float ox = float(mr.x0 + w * 0.5L), oy = float(mr.y0 + h * 0.5L);
    const long double pitch = 2.0L * r / std::sqrt(2.0L);
    const int64_t legs =
        int64_t(std::ceil(std::sqrt(2.0L) * std::sqrt((long double)w * w + (long double)h * h) / r)) + 1;
    for (int k = 0; k < 3; ++k) {
        const int32_t angle = degrees[k] < 0 ? degrees[k] + 90 : degrees[k];
        float stepX[4], stepY[4];
        for (int q = 0; q < 4; ++q) {
            const long double beta = (angle + 90.0L * q) * kPi / 180;
            stepX[q] = float(std::cos(beta) * pitch);
            stepY[q] = float(std::sin(beta) * pitch);
        }
        float cx = ox, cy = oy;
        const auto dot = [&] {
            const int64_t sx0 = int64_t(std::trunc((long double)cx - r));
            const int64_t sy0 = int64_t(std::trunc((long double)cy - r));
            const int64_t sx1 = int64_t(std::ceil((long double)cx + r));
            const int64_t sy1 = int64_t(std::ceil((long double)cy + r));
            // Clipped first: a huge dot costs only what it covers; one that misses the
            // destination changes nothing.
            if (sx1 <= mr.x0 || sy1 <= mr.y0 || sx0 >= mr.x1 || sy0 >= mr.y1 || sx1 <= dr.x0 ||
                sy1 <= dr.y0 || sx0 >= dr.x1 || sy0 >= dr.y1)
                return;
            sBGRA avg;
            averageRect(avg, *p.flowTC,
                        {int32_t(std::max<int64_t>(sx0, mr.x0)), int32_t(std::max<int64_t>(sy0, mr.y0)),
                         int32_t(std::min<int64_t>(sx1, mr.x1)), int32_t(std::min<int64_t>(sy1, mr.y1))});
            const uint8_t v = k == 0 ? avg.B : (k == 1 ? avg.G : avg.R);
            const int64_t inkAmount = int64_t(r) * (255 - v);
            for (int32_t y = int32_t(std::max<int64_t>(sy0, dr.y0)); y < std::min<int64_t>(sy1, dr.y1); ++y)
                for (int32_t x = int32_t(std::max<int64_t>(sx0, dr.x0)); x < std::min<int64_t>(sx1, dr.x1); ++x) {
                    const long double ex = std::fabs(x - (long double)cx) - 0.5L;
                    const long double ey = std::fabs(y - (long double)cy) - 0.5L;
                    const int64_t d = roundSingle(float(std::sqrt(ex * ex + ey * ey) * 255));
                    const int64_t sub = std::clamp<int64_t>(inkAmount - d, 0, 255);
                    if (sub == 0)
                        continue;
                    sBGRA *px = ink(x, y);
                    if (!px)
                        continue;
                    uint8_t &c = k == 0 ? px->B : (k == 1 ? px->G : px->R);
                    c = uint8_t(std::max<int64_t>(int64_t(c) - sub, 0));
                }
        };
        // A square spiral from the origin: leg D has D div 2 + 1 dots along step vector D mod 4.
        for (int64_t leg = 0; leg <= legs; ++leg) {
            const int q = int(leg % 4);
            for (int64_t i = 0; i <= leg / 2; ++i) {
                dot();
                cx += stepX[q];
                cy += stepY[q];
            }
        }
    }

    if (direct) {
        // The layer's own colour back by the part of the mask that does not take the ink: the
        // same blend as putting the ink at the mask's weight.
        for (int32_t y = dr.y0; y < dr.y1; ++y)
            for (int32_t x = dr.x0; x < dr.x1; ++x) {
                const int32_t m = std::clamp(p.maskWeight(x, y), 0, 255);
                pixelPutAlpha(p.layerTC->seekPixelNC(x, y), p.flowTC->getColor(x, y),
                              uint32_t(255 - m));
            }
        return true;
    }
    return walkDstRect(p, [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
        pixelPutAlpha(&px, canvas.seek32(x - dr.x0, y - dr.y0)->all, uint32_t(m));
    });
}

// ---------------------------------------------------------------------------------------------
// Custom kernel

bool fltCustom(sFlt4Params &p, const void *argp, int32_t args)
{
    if (!argp || !checkFilterFrame(p, args, kFltObjComplexSize))
        return false;
    const auto &rec = *static_cast<const sFltObjComplex *>(argp);
    SFltCustom custom;
    if (rec.data.size() < sizeof(custom) || !rec.data.data())
        return false;
    std::memcpy(&custom, rec.data.data(), sizeof(custom));
    if (custom.scale == 0)
        return false;
    return convolvePlain(p, custom.matrix, sBox{-2, -2, 5, 5}, custom.scale, custom.offset);
}
