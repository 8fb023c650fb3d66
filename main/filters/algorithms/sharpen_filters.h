// The edge-enhancing filters: Sharpen, Sharpen More and the custom sharpen through the
// alpha-weighted kernel convolution (transparent neighbours carry no colour, so edges get no dark
// fringe), Find Edges comparing each pixel with its eight neighbours, and Emboss taking the
// difference of two area samples on either side of the pixel. All are pixel functions.
#pragma once

#include "filters/core/filter_core.h"

#include <cstdint>

// Kernel 0 -1 0 / -1 8 -1 / 0 -1 0.
bool fltSharpen(sFlt4Params &p, const void *argp, int32_t args);
// Kernel -1 everywhere around 12.
bool fltSharpenMore(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj2: data0 the amount (Single); kernel 0 -k 0 / -k 999 -k / 0 -k 0.
bool fltSharpenCustom(sFlt4Params &p, const void *argp, int32_t args);
// k = Trunc((amount 240^(3/2) + 0.5)^(2/3)) in extended precision; false (k untouched) for an
// amount that is not finite, makes the base negative or k too large for the kernel's sums.
bool customSharpenStrength(float amount, int32_t &k);
bool fltFindEdges(sFlt4Params &p, const void *argp, int32_t args);
// The same bytes on the calling thread alone.
bool fltFindEdgesReference(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj4: data0 the angle in degrees, data1 the height in pixels (Single, below 65536 in
// magnitude), data2 the amount in percent.
bool fltEmboss(sFlt4Params &p, const void *argp, int32_t args);
// The same bytes, each pixel sampled through the scaler one at a time: the plain form the fast
// one is held to.
bool fltEmbossReference(sFlt4Params &p, const void *argp, int32_t args);
