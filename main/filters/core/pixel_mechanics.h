// What every pixel function of the current generation has in common: the frame that walks the
// destination rectangle with the selection's weights, the pixel put and the protection refusal,
// the process-wide random generator with the draw discipline that makes a preview of a part
// equal the final result, the positive floating remainder, the untrusted-record checks, and the
// cosine interpolation table built by initialiseFilters.
#pragma once

#include "core/base/numeric.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "filters/core/filter_core.h"
#include "paint/render/stroke_base_puts.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>

// ---------------------------------------------------------------------------------------------
// Start-up

// Builds the process-wide tables of the filters (gCosInterp); start-up and tests call it, and a
// second call does nothing.
void initialiseFilters();

// entry i = (1 - cos(i pi / 256)) / 2, evaluated in extended precision and stored as a Single.
extern std::array<float, 256> gCosInterp;
// Fills gCosInterp once (guarded by the initialisation counter).
void initCosInterpTable();

// ---------------------------------------------------------------------------------------------
// The random generator

// The process-wide state, shared by everything that calls randomBelow.
extern uint32_t gRandSeed;

// gRandSeed := gRandSeed x 134775813 + 1 (32-bit wrap); the high 32 bits of gRandSeed x n, a value
// in [0, n) for n > 0.
inline uint32_t randomBelow(uint32_t n) noexcept
{
    gRandSeed = randStep(gRandSeed);
    return mulHigh32(gRandSeed, n);
}

// ---------------------------------------------------------------------------------------------
// Floating helpers and record checks

// r = v - m Int(v / m) (Int toward zero); r >= m gives r - m; r < 0 gives r + m, once more when
// still negative. Evaluated in extended precision. A zero or non-finite modulus, or a non-finite
// v, gives 0.
long double fmodPositive(long double m, long double v) noexcept;

// The frame's first step: the check of the filter core and the record's size.
inline bool checkFilterFrame(const sFlt4Params &p, int32_t args, int32_t recordSize)
{
    return args == recordSize && checkFlt4Params(p);
}

// Every Single of a record is a finite number (the untrusted-record rule).
template <class... F> bool allFinite(F... v)
{
    return (std::isfinite(v) && ...);
}

// ---------------------------------------------------------------------------------------------
// The pixel put

// A filter that can change transparency keeps the layer's alpha when the layer protects it.
inline fptrPixelPut4core filterPut(const sFlt4Params &p)
{
    return p.layerPrt ? pixelPutAlpha : pixelPutWithAlpha;
}

// put(px + i, colour[i], weight[i]) for the pixels of weight above 0. The two filter puts at full
// weight are done in place, the same bytes without a call: pixelPutAlpha copies B, G, R;
// pixelPutWithAlpha copies the colour, or only the alpha of 0 when that is the colour's.
inline void putRun(fptrPixelPut4core put, sBGRA *px, const uint32_t *colour, const int32_t *weight,
                   int32_t n)
{
    const int kind = put == pixelPutAlpha ? 1 : (put == pixelPutWithAlpha ? 2 : 0);
    for (int32_t i = 0; i < n; ++i) {
        const int32_t m = weight[i];
        if (m <= 0)
            continue;
        const uint32_t c = colour[i];
        if (m >= 255 && kind == 1)
            px[i].all = (px[i].all & 0xFF000000u) | (c & 0x00FFFFFFu);
        else if (m >= 255 && kind == 2)
            px[i].all = (c >> 24) != 0 ? c : (px[i].all & 0x00FFFFFFu);
        else
            put(px + i, c, uint32_t(m));
    }
}

// Filters that carry the protection state current when they were recorded refuse to run when it
// differs from the layer's: recordedByte is the record's byte (any non-zero value is true).
inline bool protectionMatches(const sFlt4Params &p, uint32_t recordedByte)
{
    return (recordedByte != 0) == p.layerPrt;
}

// ---------------------------------------------------------------------------------------------
// Walking the destination rectangle (rows outer, columns inner, both ascending)

// The plain frame: for each pixel of dstRect with weight m > 0, f(x, y, pixel, m) with the
// layer pixel's address. False when a layer block cannot be had (the walk stops there).
template <class F> bool walkDstRectPlain(sFlt4Params &p, F f)
{
    const sRect &r = p.dstRect;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const int32_t m = p.maskWeight(x, y);
            if (m <= 0)
                continue;
            sBGRA *px = p.layerTC->seekPixelNC(x, y);
            if (!px)
                return false;
            f(x, y, *px, m);
        }
    return true;
}

// The weights of the n pixels of row y from x0 on; true when one of them is above 0. Without a
// selection every weight is 255, and the mask function is not called for each pixel.
inline bool maskWeights(const sFlt4Params &p, int32_t x0, int32_t y, int32_t n, int32_t *weight)
{
    if (p.fnEffectMask == effectMaskNone) {
        std::fill(weight, weight + n, 255);
        return n > 0;
    }
    bool any = false;
    for (int32_t i = 0; i < n; ++i) {
        weight[i] = p.maskWeight(x0 + i, y);
        any = any || weight[i] > 0;
    }
    return any;
}

// The pixels of walkDstRect a run at a time: f(x0, y, n, px, weight) for every run of a row
// inside one layer block that has a pixel of weight above 0, px the run's n layer pixels and
// weight their weights (a pixel of weight 0 or below is to be left as it is). Runs come in the
// order of walkDstRect's pixels, and the same blocks are committed.
template <class F> bool walkDstRuns(sFlt4Params &p, F f)
{
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    const sRect &r = p.dstRect;
    std::array<int32_t, kUnit> weight;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x0 = r.x0; x0 < r.x1;) {
            const int32_t n = std::min(r.x1, (x0 & ~(kUnit - 1)) + kUnit) - x0;
            if (maskWeights(p, x0, y, n, weight.data())) {
                sBGRA *px = p.layerTC->seekPixelNC(x0, y);
                if (!px)
                    return false;
                f(x0, y, n, px, static_cast<const int32_t *>(weight.data()));
            }
            x0 += n;
        }
    return true;
}

// The same pixels in the same order, reached one run inside a layer block at a time: the block
// is looked up once per run, and a run that the selection leaves out is not touched at all.
template <class F> bool walkDstRect(sFlt4Params &p, F f)
{
    return walkDstRuns(p, [&](int32_t x0, int32_t y, int32_t n, sBGRA *px, const int32_t *weight) {
        for (int32_t i = 0; i < n; ++i)
            if (weight[i] > 0)
                f(x0 + i, y, px[i], weight[i]);
    });
}

// Commits, on the calling thread, the layer blocks that walkDstRect would commit, in the order it
// would (committing adds to the layer's trace, which is not for several threads at once): the
// block of each run of a row that has a pixel of weight above 0. False when one cannot be had.
inline bool commitDstBlocks(sFlt4Params &p)
{
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    const sRect &r = p.dstRect;
    const CBlockVMTC &layer = *p.layerTC;
    for (int32_t y = r.y0; y < r.y1; ++y)
        for (int32_t x0 = r.x0; x0 < r.x1;) {
            const int32_t n = std::min(r.x1, (x0 & ~(kUnit - 1)) + kUnit) - x0;
            const SBlockPack *pack = layer.seekBlock(x0, y);
            if (!pack || !pack->commit)
                for (int32_t i = 0; i < n; ++i)
                    if (p.maskWeight(x0 + i, y) > 0) {
                        if (!p.layerTC->seekPixelNC(x0, y))
                            return false;
                        break;
                    }
            x0 += n;
        }
    return true;
}

// walk(band) for bands of whole block rows of dstRect on the work threads (band a copy of p with
// the band's rows as dstRect), once the blocks are committed.
template <class Walk> bool walkDstBands(sFlt4Params &p, Walk walk)
{
    constexpr int32_t kUnit = CBlockVMTC::kUnit;
    const sRect r = p.dstRect;
    if (r.y1 <= r.y0 || r.x1 <= r.x0)
        return true;
    if (!commitDstBlocks(p))
        return false;
    const int32_t first = r.y0 / kUnit, last = (r.y1 - 1) / kUnit;
    std::atomic<bool> ok{true};
    parallelRanges(last - first + 1, 1, [&](int32_t b0, int32_t b1) {
        sFlt4Params band = p;
        band.dstRect.y0 = std::max(r.y0, (first + b0) * kUnit);
        band.dstRect.y1 = std::min(r.y1, (first + b1) * kUnit);
        if (!walk(band))
            ok = false;
    });
    return ok;
}

// walkDstRect spread over the work threads in bands of whole block rows, once the blocks are
// committed. makeBand() is called once per band and gives the band's f (so that state such as
// cached rows is not shared); every f must only read what other bands may read at the same time.
// The pixels and their results are those of walkDstRect; only a block that cannot be had differs
// (nothing is written then).
template <class MakeBand> bool walkDstRectBands(sFlt4Params &p, MakeBand makeBand)
{
    return walkDstBands(p, [&](sFlt4Params &band) { return walkDstRect(band, makeBand()); });
}

// walkDstRuns in the bands of walkDstRectBands; makeBand() gives each band its f.
template <class MakeBand> bool walkDstRunsBands(sFlt4Params &p, MakeBand makeBand)
{
    return walkDstBands(p, [&](sFlt4Params &band) { return walkDstRuns(band, makeBand()); });
}

// The draw discipline of the random filters: draw() is called once for every pixel of the
// effect rectangle in row order down to the last destination row, whether or not its result is
// used, so that every pixel receives the same numbers whatever part is being filtered. Pixels of
// dstRect get f(x, y, pixel, m, draw's result) when their weight m > 0 (the draw happens first).
// Rows below dstRect are not drawn. False when a layer block cannot be had.
template <class Draw, class F> bool walkDstRectDrawing(sFlt4Params &p, Draw draw, F f)
{
    const sRect &mr = p.maskRect, &dr = p.dstRect;
    const auto discard = [&](int32_t from, int32_t to) {
        for (int32_t x = from; x < to; ++x)
            (void)draw();
    };
    for (int32_t y = mr.y0; y < dr.y0; ++y)
        discard(mr.x0, mr.x1);
    for (int32_t y = dr.y0; y < dr.y1; ++y) {
        discard(mr.x0, dr.x0);
        for (int32_t x = dr.x0; x < dr.x1; ++x) {
            const auto value = draw();
            const int32_t m = p.maskWeight(x, y);
            if (m <= 0)
                continue;
            sBGRA *px = p.layerTC->seekPixelNC(x, y);
            if (!px)
                return false;
            f(x, y, *px, m, value);
        }
        discard(dr.x1, mr.x1);
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Fast and plain walks

// How a filter with a fast form walks: Fast in bands on the work threads, Plain in the one serial
// frame that the fast form is held to.
enum class eWalk
{
    Fast,
    Plain,
};

// walkDstRectBands for the fast form, walkDstRect with one band for the plain one. The per-pixel
// work must only read what the bands share.
template <class MakeBand> bool walkDstRectAs(eWalk walk, sFlt4Params &p, MakeBand makeBand)
{
    if (walk == eWalk::Fast)
        return walkDstRectBands(p, makeBand);
    return walkDstRect(p, makeBand());
}

// randomBelow on a generator of the caller's own.
inline uint32_t randomBelowFrom(uint32_t &seed, uint32_t n) noexcept
{
    seed = randStep(seed);
    return mulHigh32(seed, n);
}

// The generator's state n steps after seed, in as many squarings as n has bits: the steps are
// affine maps modulo 2^32, and composing them is exact.
uint32_t randSkip(uint32_t seed, uint64_t n) noexcept;

// walkDstRectDrawing in bands on the work threads. draw(seed) takes exactly drawsPerPixel steps
// of the generator it is given, so that each band starts its generator where the serial walk
// would be at its first pixel: every pixel receives the numbers it receives there, and the
// process-wide generator is left where the serial walk leaves it. makeF() gives each band its f
// (as walkDstRectBands' makeBand). A destination reaching out of the effect rectangle (or empty)
// takes the serial walk.
template <class Draw, class MakeF>
bool walkDstRectDrawingBands(sFlt4Params &p, uint32_t drawsPerPixel, Draw draw, MakeF makeF)
{
    const sRect mr = p.maskRect, dr = p.dstRect;
    if (dr.x1 <= dr.x0 || dr.y1 <= dr.y0 || dr.x0 < mr.x0 || dr.y0 < mr.y0 || dr.x1 > mr.x1 ||
        dr.y1 > mr.y1)
        return walkDstRectDrawing(
            p, [&] { return draw(gRandSeed); }, makeF());
    const uint32_t seed0 = gRandSeed;
    const int64_t mw = int64_t(mr.x1) - mr.x0;
    const auto stepsBefore = [&](int32_t x, int32_t y) {
        return uint64_t((int64_t(y) - mr.y0) * mw + (int64_t(x) - mr.x0)) * drawsPerPixel;
    };
    // Far gaps (a selection leaving much out) are jumped; near ones drawn through.
    constexpr int32_t kDrawThrough = 32;
    const bool ok = walkDstRectBands(p, [&] {
        return [&, f = makeF(), nextX = int32_t(0), row = int32_t(0), fresh = true,
                seed = uint32_t(0)](int32_t x, int32_t y, sBGRA &px, int32_t m) mutable {
            if (fresh || y != row || x < nextX || x - nextX > kDrawThrough) {
                seed = randSkip(seed0, stepsBefore(x, y));
                fresh = false;
            } else {
                for (; nextX < x; ++nextX)
                    (void)draw(seed);
            }
            row = y, nextX = x + 1;
            const auto value = draw(seed);
            f(x, y, px, m, value);
        };
    });
    gRandSeed = randSkip(seed0, stepsBefore(mr.x0, dr.y1));
    return ok;
}
