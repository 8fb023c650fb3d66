#include "filters/algorithms/texture_filters.h"

#include "core/base/numeric.h"
#include "core/scale/scale_image.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;

} // namespace

// ---------------------------------------------------------------------------------------------
// Noise

namespace {

// The walk of the random filters: draw(seed) takes drawsPerPixel steps of the generator it is
// given; makeF() gives a band its f.
template <class Draw, class MakeF>
bool walkDrawing(eWalk walk, sFlt4Params &p, uint32_t drawsPerPixel, Draw draw, MakeF makeF)
{
    if (walk == eWalk::Fast)
        return walkDstRectDrawingBands(p, drawsPerPixel, draw, makeF);
    return walkDstRectDrawing(
        p, [&] { return draw(gRandSeed); }, makeF());
}

// The noise draws of drawGreyNoise / drawColourNoise on a generator of the caller's own.
SNoiseDraw drawNoise(uint32_t &seed, uint32_t n, bool grey)
{
    SNoiseDraw d;
    d.v0 = int32_t(randomBelowFrom(seed, n));
    if (grey) {
        d.v1 = d.v2 = d.v0;
    } else {
        d.v1 = int32_t(randomBelowFrom(seed, n));
        d.v2 = int32_t(randomBelowFrom(seed, n));
    }
    return d;
}

bool noiseFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
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
    const auto apply = [a](int32_t, int32_t, sBGRA &px, int32_t m, const SNoiseDraw &d) {
        sBGRA c = px;
        c.R = clampByte(px.R + d.v0 - a);
        c.G = clampByte(px.G + d.v1 - a);
        c.B = clampByte(px.B + d.v2 - a);
        pixelPutAlpha(&px, c.all, uint32_t(m));
    };
    return walkDrawing(
        walk, p, grey ? 1u : 3u, [n, grey](uint32_t &seed) { return drawNoise(seed, n, grey); },
        [&] { return apply; });
}

} // namespace

bool fltNoise(sFlt4Params &p, const void *argp, int32_t args)
{
    return noiseFilter(p, argp, args, eWalk::Fast);
}

bool fltNoiseReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return noiseFilter(p, argp, args, eWalk::Plain);
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

namespace {

struct SDiffuseDraw
{
    uint32_t a, b;
};


bool diffuseFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
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

    if (rec.data3.b0 == 0) { // normal: an offset of up to r on each axis
        const uint32_t n = uint32_t(r) * 2u + 1u;
        return walkDrawing(
            walk, p, 2u,
            [n](uint32_t &seed) {
                const uint32_t dx = randomBelowFrom(seed, n);
                return SDiffuseDraw{dx, randomBelowFrom(seed, n)};
            },
            [&] {
                return [&](int32_t x, int32_t y, sBGRA &px, int32_t m, const SDiffuseDraw &d) {
                    // Integer sums wrap as the recorded program's do; the clamp keeps them in.
                    const int32_t sx = clampInt(int32_t(uint32_t(x) + d.a - uint32_t(r)), 0, w - 1);
                    const int32_t sy = clampInt(int32_t(uint32_t(y) + d.b - uint32_t(r)), 0, h - 1);
                    put(&px, mode(flow.getColor(sx, sy), px.all), uint32_t(m));
                };
            });
    }

    // Directional: a 16.16 distance of up to r in one of 360 directions; each band samples
    // through a scaler of its own. The direction's sine and cosine come from a table of the 360
    // values the draw can give, each the expression the pixel would evaluate.
    const sRect box{0, 0, (w - 1) << 16, (h - 1) << 16};
    const uint32_t n = (uint32_t(r) << 16) + 1u;
    std::array<long double, 360> cosT, sinT;
    for (uint32_t b = 0; b < 360; ++b) {
        const float phi = float(b * kPi / 180);
        cosT[b] = std::cos((long double)phi);
        sinT[b] = std::sin((long double)phi);
    }
    return walkDrawing(
        walk, p, 2u,
        [n](uint32_t &seed) {
            const uint32_t d = randomBelowFrom(seed, n);
            return SDiffuseDraw{d, randomBelowFrom(seed, 360)};
        },
        [&] {
            return [&, scaler = CScaleImageTMTC(p.flowTC, nullptr)](
                       int32_t x, int32_t y, sBGRA &px, int32_t m, const SDiffuseDraw &d) mutable {
                const long double dist = (long double)int32_t(d.a);
                const int32_t dx = int32_t(std::trunc(cosT[d.b] * dist));
                const int32_t dy = int32_t(std::trunc(sinT[d.b] * dist));
                const sFXPos pos{(x << 16) + 0x8000 + dx, (y << 16) + 0x8000 + dy};
                sBGRA col;
                sampleSquare(col, scaler, mixColour, box, pos);
                put(&px, mode(col.all, px.all), uint32_t(m));
            };
        });
}

} // namespace

bool fltDiffuse(sFlt4Params &p, const void *argp, int32_t args)
{
    return diffuseFilter(p, argp, args, eWalk::Fast);
}

bool fltDiffuseReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return diffuseFilter(p, argp, args, eWalk::Plain);
}

// ---------------------------------------------------------------------------------------------
// Mosaic

namespace {

bool mosaicFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
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
    if (dr.x1 <= dr.x0 || dr.y1 <= dr.y0)
        return true;
    // A cell's right (lower) edge stops at the effect rectangle, its left (upper) edge does not:
    // the cells are aligned to multiples of b in layer coordinates. 64 bits: b may be anything.
    const auto cellEnd = [b](int64_t i, int64_t limit) {
        const int64_t e = b * (i + 1);
        return e < b ? b : (e > limit ? limit : e);
    };
    const int64_t i0 = dr.x0 / b, i1 = (dr.x1 - 1) / b, j0 = dr.y0 / b, j1 = (dr.y1 - 1) / b;
    const auto cellRect = [&](int64_t i, int64_t j) {
        return sRect{int32_t(b * i), int32_t(b * j), int32_t(cellEnd(i, mr.x1)),
                     int32_t(cellEnd(j, mr.y1))};
    };
    // The cell's pixels inside the destination, each of weight m > 0 put at col; false when a
    // layer block cannot be had.
    const auto putCell = [&](const sFlt4Params &q, const sRect &c, sBGRA col) {
        for (int32_t y = std::max(c.y0, dr.y0); y < std::min(c.y1, dr.y1); ++y)
            for (int32_t x = std::max(c.x0, dr.x0); x < std::min(c.x1, dr.x1); ++x) {
                const int32_t m = q.maskWeight(x, y);
                if (m <= 0)
                    continue;
                sBGRA *px = q.layerTC->seekPixelNC(x, y);
                if (!px)
                    return false;
                put(px, col.all, uint32_t(m));
            }
        return true;
    };
    if (walk == eWalk::Plain) {
        for (int64_t j = j0; j <= j1; ++j)
            for (int64_t i = i0; i <= i1; ++i) {
                const sRect c = cellRect(i, j);
                sBGRA col;
                averageRect(col, *p.flowTC, c);
                if (!putCell(p, c, col))
                    return false;
            }
        return true;
    }
    // The fast form first commits, on this thread and in the plain walk's order (cells, then
    // rows, then columns), every layer block the puts will write, as the plain walk would
    // (committing adds to the layer's trace). Then each row of cells is averaged and put on the
    // work threads: rows of cells cover rows of pixels of their own.
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    for (int64_t j = j0; j <= j1; ++j)
        for (int64_t i = i0; i <= i1; ++i) {
            const sRect c = cellRect(i, j);
            const int32_t xa = std::max(c.x0, dr.x0), xb = std::min(c.x1, dr.x1);
            for (int32_t y = std::max(c.y0, dr.y0); y < std::min(c.y1, dr.y1); ++y)
                for (int32_t x0 = xa; x0 < xb;) {
                    const int32_t n = std::min(xb, (x0 & ~(kUnit - 1)) + kUnit) - x0;
                    const SBlockPack *pack = p.layerTC->seekBlock(x0, y);
                    if (!pack || !pack->commit)
                        for (int32_t k = 0; k < n; ++k)
                            if (p.maskWeight(x0 + k, y) > 0) {
                                if (!p.layerTC->seekPixelNC(x0 + k, y))
                                    return false;
                                break;
                            }
                    x0 += n;
                }
        }
    std::atomic<bool> ok{true};
    parallelRanges(int32_t(j1 - j0 + 1), 1, [&](int32_t r0, int32_t r1) {
        const sFlt4Params band = p;
        for (int64_t j = j0 + r0; j < j0 + r1; ++j)
            for (int64_t i = i0; i <= i1; ++i) {
                const sRect c = cellRect(i, j);
                sBGRA col;
                averageRect(col, *p.flowTC, c);
                if (!putCell(band, c, col))
                    ok = false;
            }
    });
    return ok;
}

} // namespace

bool fltMosaic(sFlt4Params &p, const void *argp, int32_t args)
{
    return mosaicFilter(p, argp, args, eWalk::Fast);
}

bool fltMosaicReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return mosaicFilter(p, argp, args, eWalk::Plain);
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
