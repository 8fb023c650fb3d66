// The filters that move pixels: wave (three versions), twirl, polar coordinates (two generations),
// rotate and scale (two generations each, plus the method of older records), the flips and the
// half turn. Each destination pixel takes a source position in flowTC and samples it there; all
// geometry comes from the effect rectangle, so that a preview of a part equals the whole.
//
// Records (byte offsets within the record):
//   wave      sFltObj2: 0 horizontal count, 1 vertical count, 2 horizontal amplitude,
//             3 vertical amplitude, data1 phase (Single, radians)
//   twirl     sFltObj2: 0-1 angle in degrees (signed), 2 sampler (0 wrapping, else saturating)
//   polar     sFltObj2: 0 direction (0 or 1), 1 protection state when recorded
//   rotate    sFltObj2: data0 angle in degrees (Single), 4 protection state, 5 method
//             (0: the method of older records)
//   scale     sFltObj4: data0 new width, data1 new height (negative mirrors), 8 protection
//             state, 9 method (0: the method of older records)
//   flips     no record
#pragma once

#include "filters/core/filter_core.h"

#include <cstdint>

// version 0, 1 or 2 (wrap sizes and packing differ; see the source).
bool fltWaveCore(sFlt4Params &p, const void *argp, int32_t args, int32_t version);
bool fltWave(sFlt4Params &p, const void *argp, int32_t args);
bool fltWave2(sFlt4Params &p, const void *argp, int32_t args);
bool fltWave3(sFlt4Params &p, const void *argp, int32_t args);

bool fltTwirl(sFlt4Params &p, const void *argp, int32_t args);

// The first generation samples with sampleSquare, the current one with sampleSquare2.
bool fltPolarCoordinates(sFlt4Params &p, const void *argp, int32_t args);
bool fltPolarCoordinates2(sFlt4Params &p, const void *argp, int32_t args);

// The first generation averages plainly, the current one by alpha.
bool fltRotate(sFlt4Params &p, const void *argp, int32_t args);
bool fltRotate2(sFlt4Params &p, const void *argp, int32_t args);
bool fltScale(sFlt4Params &p, const void *argp, int32_t args);
bool fltScale2(sFlt4Params &p, const void *argp, int32_t args);

// The serial walks that the wave, twirl and polar coordinates run in bands: their oracles.
bool fltWaveReference(sFlt4Params &p, const void *argp, int32_t args, int32_t version);
bool fltTwirlReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltPolarCoordinatesReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltPolarCoordinates2Reference(sFlt4Params &p, const void *argp, int32_t args);

// The plain forms of rotate and scale: every destination pixel averages its footprint through
// the resampler's own source lookup. The functions above read the same looked-up pixels from a
// canvas filled once per call; these are the oracle the tests hold them to.
bool fltRotateReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltRotate2Reference(sFlt4Params &p, const void *argp, int32_t args);
bool fltScaleReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltScale2Reference(sFlt4Params &p, const void *argp, int32_t args);

// Mirrored within the effect rectangle; every source pixel is first faded by the selection at
// its own place, then put at the destination's weight.
bool fltFlipHorizontal(sFlt4Params &p, const void *argp, int32_t args);
bool fltFlipVertical(sFlt4Params &p, const void *argp, int32_t args);
bool fltRotate180(sFlt4Params &p, const void *argp, int32_t args);
