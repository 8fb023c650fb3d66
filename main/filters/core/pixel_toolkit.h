// The building blocks the pixel functions share: lookup-table applications, destination clears
// and copies, kernel convolutions, area averages, square and rectangle samplers in 16.16 fixed
// point with their fraction handlers, the noise draws; the older helpers of the second
// generation and the plane (positive modulo, bounds tests, an 8-bit-weight bilinear sampler,
// 3 x 3 kernels); and the dialogs' rounding. All are plain procedures without state.
//
// Where a loop is made fast, its plain per-pixel form stays beside it (…Reference) as the oracle
// the tests hold it to.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "filters/core/filter_core.h"

#include <array>
#include <cstdint>
#include <span>

class CBlockVMTC;
class CScaleImageTMTC;
class TMTC;

// Entry i gives in its B byte the new blue for old blue i, and so on for G, R and alpha.
using ChannelTable = std::array<sBGRA, 256>;
// 32-bit colours indexed by a pixel's luminance.
using LumaTable = std::array<uint32_t, 256>;

// ---------------------------------------------------------------------------------------------
// Table applications: each pixel of dstRect with weight m > 0 is read, mapped and put back at m,
// with pixelPutAlpha when putKeepsAlpha is set, else pixelPutWithAlpha. False, nothing changed,
// unless checkFlt4Params passes.

// (T[B].B, T[G].G, T[R].R, T[A].A).
bool applyChannelTables(sFlt4Params &p, const ChannelTable &t, bool putKeepsAlpha);
// The entry at the pixel's luminance.
bool applyLumaTable(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha);
// B, G, R of the entry at the pixel's luminance; alpha the alpha byte of the entry at its alpha.
bool applyLumaColourTable(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha);
// The same three on the calling thread alone (the fast forms run bands of rows on the work
// threads).
bool applyChannelTablesReference(sFlt4Params &p, const ChannelTable &t, bool putKeepsAlpha);
bool applyLumaTableReference(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha);
bool applyLumaColourTableReference(sFlt4Params &p, const LumaTable &t, bool putKeepsAlpha);

// ---------------------------------------------------------------------------------------------
// Destination helpers, pixel functions without a record (args must be 0).

// Every pixel of dstRect with m > 0 gets transparent black through pixelPutWithAlpha at m.
bool clearDstRect(sFlt4Params &p, const void *argp, int32_t args);
// Every pixel of dstRect gets the flow pixel at its place through pixelPutWithAlpha at m.
bool copyDstRect(sFlt4Params &p, const void *argp, int32_t args);

// ---------------------------------------------------------------------------------------------
// Convolutions over flowTC. A weight kernel is Integers row by row over box (x, y, w, h) placed
// relative to the pixel; zero weights are skipped; at most kMaxKernelWeights weights, placed no
// farther than kMaxKernelReach from the pixel (otherwise, or for an empty box or fewer weights
// than w x h, false). Taps outside the layer image repeat its edge pixels. False unless
// checkFlt4Params passes.
inline constexpr int32_t kMaxKernelWeights = 65536;
inline constexpr int32_t kMaxKernelReach = 1 << 24;

// The alpha-weighted convolution: a = w x alpha per tap, each channel offset + sum(a C) div
// sum(a) and alpha offset + sum(a) div sum(w), clamped; with sum(a) or sum(w) 0 the pixel itself
// plus offset on each byte. The kernel is first trimmed to its non-zero weights (all zero: true,
// nothing done); a pixel whose trimmed kernel meets no pixel of the image is left as it is. Put
// with pixelPutAlpha when layerPrt is set, else pixelPutWithAlpha. Sums wrap in 32 bits.
bool convolveKernel(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                    int32_t offset);
bool convolveKernelReference(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                             int32_t offset);
// The colour-only convolution: each of B, G, R offset + sum(w C) div scale, clamped, put with
// pixelPutAlpha (the layer's alpha stays). False also for scale 0.
bool convolvePlain(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                   int32_t scale, int32_t offset);
bool convolvePlainReference(sFlt4Params &p, std::span<const int32_t> weights, const sBox &box,
                            int32_t scale, int32_t offset);

// ---------------------------------------------------------------------------------------------
// Area helpers

// The average of a canvas rectangle (clipped to the canvas): per row the alpha-weighted mean
// colour added to Single accumulators when the row has alpha; each channel the accumulator
// divided by the number of rows (rows without alpha count), alpha the alpha sum div the area.
// Transparent black when no pixel has alpha.
void averageRect(sBGRA &out, const TMTC &tc, const sRect &r);

// Called with (result, other colour, covered fraction) when a sample hangs over its box.
using fptrFractionHandler = void (*)(sBGRA &out, const sBGRA &other, float t);
// B, G, R := clamp(round(t out + (1 - t) other)), alpha untouched (rounding half to even).
void mixColour(sBGRA &out, const sBGRA &other, float t);
// alpha := clamp(round(alpha t)); the other colour ignored.
void scaleAlpha(sBGRA &out, const sBGRA &other, float t);

// The area average of the scaler's source over the 16.16 rectangle r clamped into the 16.16 box;
// the outside colour when less than one unit of area remains; the handler mixes by the covered
// part when some of r was cut away. The position forms use the position +- half a pixel.
void sampleRectMix(sBGRA &out, sBGRA outside, CScaleImageTMTC &scaler, fptrFractionHandler fn,
                   const sRect &box, const sRect &r);
void sampleRectMix(sBGRA &out, sBGRA outside, CScaleImageTMTC &scaler, fptrFractionHandler fn,
                   const sRect &box, const sFXPos &pos);
// r clamped with a half-pixel margin, averaged (sampleSquare2: alpha-weighted), the handler
// called with (result, result, covered part) when some of r was cut away.
void sampleSquare(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                  const sRect &r);
void sampleSquare(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                  const sFXPos &pos);
void sampleSquare2(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                   const sRect &r);
void sampleSquare2(sBGRA &out, CScaleImageTMTC &scaler, fptrFractionHandler fn, const sRect &box,
                   const sFXPos &pos);

// ---------------------------------------------------------------------------------------------
// Noise draws (randomBelow, in record order)

struct SNoiseDraw
{
    int32_t v0, v1, v2;
};
// Three successive draws below n.
void drawColourNoise(SNoiseDraw &d, uint32_t n);
// One draw below n stored in all three.
void drawGreyNoise(SNoiseDraw &d, uint32_t n);

// ---------------------------------------------------------------------------------------------
// Older helpers

// a >= 0: a mod b; otherwise b - (|a| mod b), or 0 when that remainder is 0. 0 for b <= 0.
int32_t posMod(int32_t a, int32_t b);
inline bool inSize(int32_t w, int32_t h, int32_t x, int32_t y)
{
    return x >= 0 && x < w && y >= 0 && y < h;
}
bool inBlockImage(const CBlockVMTC &img, int32_t x, int32_t y);
bool inCanvas(const TMTC &tc, int32_t x, int32_t y);

// The bilinear sample at 16.16 (x, y) with 8-bit weights: integer parts truncated toward zero,
// fractions bits 8..15 of the two's-complement coordinates; with wrap the indices are taken
// modulo the size, without it samples outside the image are skipped and the rest renormalised.
// 0 when no sample contributes.
uint32_t sampleBilinearBlock(const CBlockVMTC &img, int32_t x, int32_t y, bool wrap);
uint32_t sampleBilinearCanvas(const TMTC &tc, int32_t x, int32_t y, bool wrap);
// dst pixel (dx, dy) := sampleBilinearBlock(src, sx, sy, wrap), written with setPixel.
bool putBilinearWrap(const CBlockVMTC &src, CBlockVMTC &dst, int32_t dx, int32_t dy, int32_t sx,
                     int32_t sy);

using Kernel3 = std::array<double, 9>;
using PixelBlock3 = std::array<sBGRA, 9>;
void clearKernel3(Kernel3 &k);
// Each weight divided by the sum of the nine (by 1 when the sum is 0).
void normalizeKernel3(Kernel3 &out, const Kernel3 &k);
// Per byte (alpha too) the weighted sum in Double, clamped to 0..255 and truncated.
sBGRA applyKernel3(const Kernel3 &k, const PixelBlock3 &block);

// ---------------------------------------------------------------------------------------------
// The dialogs' rounding: trunc(x + 0.5) for x >= 0, trunc(x - 0.5) otherwise; saturated to the
// Integer range, 0 for NaN.
int32_t roundHalfAway(long double x);
