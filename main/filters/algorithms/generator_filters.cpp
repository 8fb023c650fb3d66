#include "filters/algorithms/generator_filters.h"

#include "core/base/numeric.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "filters/algorithms/plasma.h"
#include "filters/core/gauss_kernels.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <algorithm>
#include <cmath>
#include <vector>

// ---------------------------------------------------------------------------------------------
// The blend tables

namespace {

BlendPutTable makeBlendPuts(bool layerPrt)
{
    BlendPutTable t{};
    for (int i = 0; i < kBlendModeCount; ++i) {
        const SBlendModeRow *row = getBlendModeRow(blendModeToLayerMode(TBlendMode(i)));
        t[size_t(i)] = row ? row->fnPut : pixelPutAlpha;
    }
    t[size_t(TBlendMode::bmStandard)] = layerPrt ? pixelPutAlpha : pixelMergeStd;
    // The generators' table pairs linear burn with the subtracting put and its negative with
    // the negative subtraction, the other way round from the layer modes.
    t[size_t(TBlendMode::bmBurnLinear)] = pixelPutSub;
    t[size_t(TBlendMode::bmBurnLinearNega)] = putSubNeg;
    return t;
}

} // namespace

const BlendPutTable &generatorBlendPuts(bool layerPrt)
{
    static const BlendPutTable kPrt = makeBlendPuts(true), kFree = makeBlendPuts(false);
    return layerPrt ? kPrt : kFree;
}

// ---------------------------------------------------------------------------------------------
// Clouds and plasma

namespace {

// Each destination pixel at weight mul255(mask, opacity) > 0 gets colour(t) of the noise at its
// place in the effect rectangle through the blend put.
template <class Colour>
bool putNoise(eWalk walk, sFlt4Params &p, fptrPixelPut4core put, uint32_t opacity, Colour colour)
{
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t weight) {
            const uint32_t m = mul255(uint32_t(weight), opacity);
            if (m > 0)
                put(&px, colour(x - p.maskRect.x0, y - p.maskRect.y0), m);
        };
    });
}

bool clouds(eWalk walk, sFlt4Params &p, uint32_t colour1, uint32_t colour2, uint32_t seed,
            uint32_t contrast, uint32_t mode, uint32_t opacity)
{
    // Modes past the table have no put: refused.
    if (mode >= uint32_t(kBlendModeCount))
        return false;
    const fptrPixelPut4core put = generatorBlendPuts(p.layerPrt)[mode];
    const sRect &mr = p.maskRect;
    TPlasma plasma;
    if (!plasma.Generate(mr.x1 - mr.x0, mr.y1 - mr.y0, seed, float(contrast / 256.0L)))
        return false;
    const TChannel &ch = plasma.channel1();
    return putNoise(walk, p, put, opacity, [&](int32_t u, int32_t v) {
        sBGRA c{.all = colour1};
        pixelPutAlpha(&c, colour2, ch.getColor(u, v));
        return c.all;
    });
}

} // namespace

namespace {

bool cloudsFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    return clouds(walk, p, uint32_t(rec.data0.all), uint32_t(rec.data1.all),
                  uint32_t(rec.data2.all), rec.data3.w0, rec.data3.b2 & 0x7Fu, rec.data3.b3);
}

} // namespace

bool fltClouds(sFlt4Params &p, const void *argp, int32_t args)
{
    return cloudsFilter(p, argp, args, eWalk::Fast);
}

bool fltCloudsReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return cloudsFilter(p, argp, args, eWalk::Plain);
}

namespace {

bool plasmaFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    const uint32_t seed = uint32_t(rec.data0.all), contrast = rec.data1.w1;
    const uint32_t mode = rec.data2.b0, opacity = rec.data2.b1;
    if (rec.data1.b0 != 0)
        return clouds(walk, p, 0xFF000000u, 0xFFFFFFFFu, seed, contrast, mode & 0x7Fu, opacity);
    if (mode >= uint32_t(kBlendModeCount))
        return false;
    const fptrPixelPut4core put = generatorBlendPuts(p.layerPrt)[mode];
    const sRect &mr = p.maskRect;
    TPlasma3 plasma;
    if (!plasma.Generate(mr.x1 - mr.x0, mr.y1 - mr.y0, seed, float(contrast / 256.0L)))
        return false;
    const TChannel &b = plasma.channel1(), &g = plasma.channel2(), &r = plasma.channel3();
    return putNoise(walk, p, put, opacity, [&](int32_t u, int32_t v) {
        return 0xFF000000u | uint32_t(r.getColor(u, v)) << 16 | uint32_t(g.getColor(u, v)) << 8 |
               b.getColor(u, v);
    });
}

} // namespace

bool fltPlasma(sFlt4Params &p, const void *argp, int32_t args)
{
    return plasmaFilter(p, argp, args, eWalk::Fast);
}

bool fltPlasmaReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return plasmaFilter(p, argp, args, eWalk::Plain);
}

// ---------------------------------------------------------------------------------------------
// Clouds and rocks

namespace {

// The 16.16 step of an upsampled axis: trunc((s << 16) / t).
inline int32_t octaveStep(int32_t s, int32_t t)
{
    return int32_t((int64_t(s) << 16) / t);
}

inline long double easedLerp(uint8_t a, uint8_t b, long double w)
{
    return a * (1 - w) + b * w;
}

} // namespace

void addCloudOctaveReference(std::span<uint8_t> acc, int32_t tw, int32_t th,
                             std::span<const uint8_t> grid, int32_t sw, int32_t sh, long double f)
{
    const int32_t stepX = octaveStep(sw, tw), stepY = octaveStep(sh, th);
    for (int32_t y = 0, v = 0; y < th; ++y, v += stepY)
        for (int32_t x = 0, u = 0; x < tw; ++x, u += stepX) {
            const int32_t i0 = u >> 16, j0 = v >> 16;
            const int32_t i1 = i0 + 1 < sw ? i0 + 1 : 0, j1 = j0 + 1 < sh ? j0 + 1 : 0;
            const long double wx = gCosInterp[size_t((u >> 8) & 0xFF)];
            const long double wy = gCosInterp[size_t((v >> 8) & 0xFF)];
            const auto g = [&](int32_t i, int32_t j) { return grid[size_t(j) * size_t(sw) + size_t(i)]; };
            const long double top = easedLerp(g(i0, j0), g(i1, j0), wx);
            const long double bottom = easedLerp(g(i0, j1), g(i1, j1), wx);
            const long double blend = top * (1 - wy) + bottom * wy;
            uint8_t &px = acc[size_t(y) * size_t(tw) + size_t(x)];
            px = clampByte(f * (blend - 128) + px + 0.5L);
        }
}

void addCloudOctave(std::span<uint8_t> acc, int32_t tw, int32_t th, std::span<const uint8_t> grid,
                    int32_t sw, int32_t sh, long double f)
{
    const int32_t stepX = octaveStep(sw, tw), stepY = octaveStep(sh, th);
    // The columns' grid indices and weights, once.
    const size_t n = static_cast<size_t>(tw);
    std::vector<int32_t> i0(n), i1(n);
    std::vector<long double> wx(n);
    for (int32_t x = 0, u = 0; x < tw; ++x, u += stepX) {
        i0[size_t(x)] = u >> 16;
        i1[size_t(x)] = (u >> 16) + 1 < sw ? (u >> 16) + 1 : 0;
        wx[size_t(x)] = gCosInterp[size_t((u >> 8) & 0xFF)];
    }
    // A grid row blended across, kept while the accumulator rows fall on the same grid rows.
    std::vector<long double> top(n), bottom(n);
    const auto across = [&](int32_t j, std::vector<long double> &out) {
        const uint8_t *g = grid.data() + size_t(j) * size_t(sw);
        for (int32_t x = 0; x < tw; ++x)
            out[size_t(x)] = easedLerp(g[i0[size_t(x)]], g[i1[size_t(x)]], wx[size_t(x)]);
    };
    int32_t rowsOf = -1;
    for (int32_t y = 0, v = 0; y < th; ++y, v += stepY) {
        const int32_t j0 = v >> 16, j1 = j0 + 1 < sh ? j0 + 1 : 0;
        if (j0 != rowsOf) {
            across(j0, top);
            across(j1, bottom);
            rowsOf = j0;
        }
        const long double wy = gCosInterp[size_t((v >> 8) & 0xFF)];
        uint8_t *row = acc.data() + size_t(y) * size_t(tw);
        for (int32_t x = 0; x < tw; ++x) {
            const long double blend = top[size_t(x)] * (1 - wy) + bottom[size_t(x)] * wy;
            row[x] = clampByte(f * (blend - 128) + row[x] + 0.5L);
        }
    }
}

namespace {

// One separable pass of the value-weighted Gaussian over a w x h byte texture, along columns
// (down) or rows (across), wrapping around the texture and the kernel: each byte becomes
// sum(v^2 k) div sum(v k) over its 2r + 1 taps, 0 when every tap is 0.
void valueWeightedPass(const std::vector<uint8_t> &src, std::vector<uint8_t> &dst, int32_t w,
                       int32_t h, const std::vector<int32_t> &kernel, int32_t radius, bool down)
{
    const int32_t n = down ? h : w;
    const int32_t centre = n / 2;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint64_t num = 0, den = 0;
            const int32_t pos = down ? y : x;
            for (int32_t t = -radius; t <= radius; ++t) {
                const int32_t q = posMod(pos + t, n);
                const uint64_t v = down ? src[size_t(q) * size_t(w) + size_t(x)]
                                        : src[size_t(y) * size_t(w) + size_t(q)];
                const uint64_t k = uint32_t(kernel[size_t(posMod(centre + t, n))]);
                num += v * v * k;
                den += v * k;
            }
            dst[size_t(y) * size_t(w) + size_t(x)] = den == 0 ? 0 : uint8_t(std::min<uint64_t>(num / den, 255));
        }
}

} // namespace

namespace {

bool cloudsRocksFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj6Size))
        return false;
    const auto &rec = *static_cast<const sFltObj6 *>(argp);
    const int32_t tileW = rec.data3.w0, tileH = rec.data3.w1;
    const int32_t contrast = rec.data4.w0, softness = rec.data4.w1;
    if (tileW == 0 || tileH == 0)
        return false;
    if (contrast == 0) {
        p.unchanged = true;
        return true;
    }
    const int32_t tw = std::min(tileW, p.layerTC->width()), th = std::min(tileH, p.layerTC->height());
    const size_t area = size_t(tw) * size_t(th);

    SRand rand;
    randInit(rand, uint32_t(rec.data2.all), 0, 255);
    std::vector<uint8_t> acc(area, 128), grid;
    constexpr int32_t kGrid[6] = {64, 32, 16, 8, 3, 1}, kAmp[6] = {2, 3, 4, 8, 12, 8};
    const long double k = softness == 0 ? 0.01L : 0.005L;
    for (int i = 0; i < 6; ++i) {
        const int32_t sw = std::max(tw / kGrid[i], 1), sh = std::max(th / kGrid[i], 1);
        grid.resize(size_t(sw) * size_t(sh));
        for (uint8_t &g : grid)
            g = uint8_t(randNext(rand));
        const long double f = i < 5 ? k * contrast / kAmp[i] : 1.0L / 8;
        addCloudOctave(acc, tw, th, grid, sw, sh, f);
    }

    std::vector<int32_t> hk(static_cast<size_t>(tw)), vk(static_cast<size_t>(th));
    int32_t rx = 0, ry = 0;
    if (!makeGaussKernels(hk, vk, tw, 1.5, th, rx, ry))
        return false;
    std::vector<uint8_t> columns(area), texture(area);
    valueWeightedPass(acc, columns, tw, th, vk, ry, true);
    valueWeightedPass(columns, texture, tw, th, hk, rx, false);

    const uint32_t colour2 = uint32_t(rec.data0.all), colour1 = uint32_t(rec.data1.all);
    const fptrPixelPut4core put = p.layerPrt ? pixelPutAlpha : pixelPutOver;
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            const uint8_t t = texture[size_t(y % th) * size_t(tw) + size_t(x % tw)];
            uint32_t opacity = t;
            if (softness != 0) {
                const int32_t d = std::abs(int32_t(t) - 128);
                opacity =
                    2 * d >= softness ? 255u : uint32_t(std::trunc(d * 510.0L / softness + 0.5L));
            }
            sBGRA c{.all = colour1};
            pixelPutAlpha(&c, colour2, opacity);
            put(&px, c.all, uint32_t(m));
        };
    });
}

} // namespace

bool fltCloudsRocks(sFlt4Params &p, const void *argp, int32_t args)
{
    return cloudsRocksFilter(p, argp, args, eWalk::Fast);
}

bool fltCloudsRocksReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return cloudsRocksFilter(p, argp, args, eWalk::Plain);
}

// ---------------------------------------------------------------------------------------------
// Tiles

namespace {

// Colour i of the record with its alpha taken out: (opaque colour, alpha).
struct STileColour
{
    sBGRA c;
    uint32_t alpha;
};

STileColour tileColour(uint32_t c)
{
    return {sBGRA{.all = c | 0xFF000000u}, c >> 24};
}

// The mean of two colours, channels and alpha alike.
uint32_t averageColour(uint32_t a, uint32_t b)
{
    const sBGRA x{.all = a}, y{.all = b};
    return uint32_t((x.A + y.A) / 2) << 24 | uint32_t((x.R + y.R) / 2) << 16 |
           uint32_t((x.G + y.G) / 2) << 8 | uint32_t((x.B + y.B) / 2);
}

} // namespace

namespace {

bool tilesFilter(sFlt4Params &p, const void *argp, int32_t args, eWalk walk)
{
    if (!argp || !checkFilterFrame(p, args, kFltObj4Size))
        return false;
    const auto &rec = *static_cast<const sFltObj4 *>(argp);
    const uint8_t shape = rec.data0.b0;
    const int32_t n = rec.data0.b1 + 2, b = rec.data0.w1;
    // The record holds three colours: a larger count would read past it.
    if (shape > 1 || n > 3 || b < 8)
        return false;
    const uint32_t colours[3] = {uint32_t(rec.data1.all), uint32_t(rec.data2.all),
                                 uint32_t(rec.data3.all)};
    const sRect mr = p.maskRect;
    const fptrPixelPut4core put = filterPut(p);

    if (shape == 1) { // squares
        return walkDstRectAs(walk, p, [&] {
            return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
                const int32_t cell = ((y - mr.y0) / b + (x - mr.x0) / b) % n;
                const STileColour t = tileColour(colours[cell]);
                put(&px, t.c.all, uint32_t(m) * t.alpha / 255);
            };
        });
    }

    // Triangles: rows of height rowH, each cell drawing colour B as a triangle between the side
    // colours A and C.
    const int32_t rowH = int32_t(std::trunc(b * 0.8660254L + 0.5L));
    const float fb = float(b), fh = float(rowH);
    return walkDstRectAs(walk, p, [&] {
        return [&](int32_t x, int32_t y, sBGRA &px, int32_t m) {
            const int32_t j = (y - mr.y0) / rowH, r = (y - mr.y0) - j * rowH;
            const int32_t k = (x - mr.x0) / b, g = (x - mr.x0) - k * b;
            const int32_t c = j % n + 2 * k;
            const uint32_t colA = colours[c % n], colB = colours[(c + 1) % n],
                           colC = colours[(c + 2) % n];
            const int32_t e = j % 2 == 0 ? r : rowH - r - 1;
            const float share =
                (float(e) + 0.5f) * 0.5f / fh + (std::fabs(fb / 2 - float(g)) + 0.5f) / fb;
            const float L = std::clamp(fb * (share - 0.5f), 0.0f, 1.0f);
            uint32_t colX = float(g) >= fb / 2 ? colC : colA;
            if (2 * g == b + 1)
                colX = averageColour(colA, colC);
            const sBGRA cb{.all = colB}, cx{.all = colX};
            const long double coverB = cb.A * (1.0L - L), coverX = cx.A * (long double)L;
            const float wB = float(coverB / 255), wX = float(coverX / 255);
            if (coverB + coverX == 0 || (long double)wB + wX == 0)
                return;
            const auto mix = [&](uint8_t vb, uint8_t vx) {
                return uint32_t(std::trunc(
                    (vb * (long double)wB + vx * (long double)wX) / ((long double)wB + wX) + 0.5L));
            };
            const uint32_t col = 0xFF000000u | std::min(mix(cb.R, cx.R), 255u) << 16 |
                                 std::min(mix(cb.G, cx.G), 255u) << 8 |
                                 std::min(mix(cb.B, cx.B), 255u);
            const uint32_t opacity = uint32_t(std::trunc(m * (coverB + coverX) / 255 + 0.5L));
            put(&px, col, std::min(opacity, 255u));
        };
    });
}

} // namespace

bool fltTiles(sFlt4Params &p, const void *argp, int32_t args)
{
    return tilesFilter(p, argp, args, eWalk::Fast);
}

bool fltTilesReference(sFlt4Params &p, const void *argp, int32_t args)
{
    return tilesFilter(p, argp, args, eWalk::Plain);
}
