// The texture filters: noise and diffuse draw from the process-wide generator with the effect
// rectangle's draw discipline, so that a preview of a part equals the whole; mosaic averages
// cells aligned in layer coordinates; colour halftone draws a rotated dot screen per channel; the
// custom filter convolves with a 5 x 5 kernel of the user's.
//
// Records:
//   noise     sFltObj4: data0 amount (0-255), data1 monochrome (non-zero), data2 seed
//   diffuse   sFltObj4: data0 radius, data1 mode (0 normal, 1 darken only, 2 lighten only),
//             data2 seed, byte 12 directional, byte 14 protection state when recorded
//   mosaic    sFltObj2: data0 cell size, data1 keep alpha (non-zero)
//   halftone  sFltObj4: data0 largest dot radius, data1..data3 screen angles (degrees) of red,
//             green and blue
//   custom    sFltObjComplex whose block holds one SFltCustom
#pragma once

#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "filters/core/filter_core.h"

#include <array>
#include <cstdint>

bool fltNoise(sFlt4Params &p, const void *argp, int32_t args);
// The serial walk with the process-wide generator: the oracle of fltNoise's bands.
bool fltNoiseReference(sFlt4Params &p, const void *argp, int32_t args);

// (colour, layer pixel) -> colour: none, darken only (the smaller of each byte), lighten only.
using fptrDiffuseMode = uint32_t (*)(uint32_t colour, uint32_t pixel);
uint32_t diffuseModeNone(uint32_t colour, uint32_t pixel);
uint32_t diffuseModeDarken(uint32_t colour, uint32_t pixel);
uint32_t diffuseModeLighten(uint32_t colour, uint32_t pixel);
extern const std::array<fptrDiffuseMode, 3> kDiffuseModes;
bool fltDiffuse(sFlt4Params &p, const void *argp, int32_t args);
// The serial walk with the process-wide generator: the oracle of fltDiffuse's bands.
bool fltDiffuseReference(sFlt4Params &p, const void *argp, int32_t args);

bool fltMosaic(sFlt4Params &p, const void *argp, int32_t args);
// Every cell averaged where it is put: the oracle of fltMosaic, which averages first.
bool fltMosaicReference(sFlt4Params &p, const void *argp, int32_t args);

bool fltColorHalftone(sFlt4Params &p, const void *argp, int32_t args);
// How the halftone makes its intermediate canvas (w x h): false when it cannot, and the dots are
// then drawn straight into the layer. Returns the previous maker; nullptr restores the default.
using fptrHalftoneCanvasMaker = bool (*)(TMTC &tc, int32_t w, int32_t h);
fptrHalftoneCanvasMaker setHalftoneCanvasMaker(fptrHalftoneCanvasMaker maker);

bool fltCustom(sFlt4Params &p, const void *argp, int32_t args);
