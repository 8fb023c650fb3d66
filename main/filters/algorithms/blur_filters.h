// The smoothing filters: the fixed-kernel blurs (two generations each of Blur and Blur More)
// through the alpha-weighted convolution, the separable Gaussian blur, the motion blur (an area
// sampler or a bilinear pair sampler) and the radial (zoom) blur, both built in passes of halving
// length. All are pixel functions (fptrFilter4).
#pragma once

#include "core/base/geometry.h"
#include "filters/core/filter_core.h"

#include <cstdint>

class TMTC;

// 3 x 3 of 1.
bool fltBlur(sFlt4Params &p, const void *argp, int32_t args);
// 0 1 0 / 1 4 1 / 0 1 0.
bool fltBlur2(sFlt4Params &p, const void *argp, int32_t args);
// 5 x 5 of 1.
bool fltBlurMore(sFlt4Params &p, const void *argp, int32_t args);
// 1 2 1 / 2 2 2 / 1 2 1.
bool fltBlurMore2(sFlt4Params &p, const void *argp, int32_t args);

// sFltObj2: data0 the standard deviation (Single); 0 or below changes nothing. Colour is the
// alpha-weighted Gaussian mean, alpha the plain mean of the taps; taps outside the layer or the
// kernel are dropped (the kernel is truncated, not shifted).
bool fltGaussianBlur(sFlt4Params &p, const void *argp, int32_t args);
// The same pixels computed one destination pixel at a time, every intermediate value from
// scratch: the oracle of the fast form.
bool gaussianBlurReference(sFlt4Params &p, float sigma);

// sFltObj2: byte 0 the distance 0..255; byte 1 the method: 0 area samples with data1 the angle
// in degrees (Single), 1 or 2 bilinear pairs (2 saturating) with bytes 2-3 the angle in degrees
// (signed). Passes of half-length distance / 2, halved while at least 0.5.
bool fltMotionBlur(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj2: bytes 0-1 and 2-3 the centre's offset from the effect rectangle's centre (signed),
// byte 4 the amount, byte 6 the sampler (1 saturating, otherwise wrapping).
bool fltRadialBlur(sFlt4Params &p, const void *argp, int32_t args);
// The passes and the put walked serially: the oracles of the two above, whose rows go in bands.
bool fltMotionBlurReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltRadialBlurReference(sFlt4Params &p, const void *argp, int32_t args);

// One pass of each motion method over region (layer coordinates, inside the canvases, which are
// the layer's size), from src into dst; keepAlpha leaves dst's alpha as it is. The passes are
// exposed so that the schedule of passes can be checked against them.
void motionPassArea(const TMTC &src, TMTC &dst, const sRect &region, int32_t dx, int32_t dy,
                    bool keepAlpha);
void motionPassPair(const TMTC &src, TMTC &dst, const sRect &region, int32_t dx, int32_t dy,
                    bool keepAlpha, bool saturating);
