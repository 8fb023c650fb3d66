// The colour and tone adjustments: point operations, each output pixel depending only on the same
// pixel before the filter. Most build a 256-entry table once per call and hand it to a table
// application of the toolkit; hue and saturation go through HSL and back; luminance to alpha
// writes alpha. All are pixel functions (fptrFilter4) with the frame of the filter core.
#pragma once

#include "filters/core/filter_core.h"

#include <cstdint>

// The 16.16 conversions of the levels: a byte to a fraction of 255 (255 -> 65536), back, and a
// percentage (100 -> 65536).
int32_t to16(int32_t v);
int32_t to8(int32_t v);
int32_t pct16(int32_t v);

// sFltObj6: byte k of data0..data4 = input black, midtone percent, input white, output black,
// output white of channel k (0 master, 1 red, 2 green, 3 blue); data5 byte 0 = linear midtone.
bool fltLevels(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj4: data0 hue shift in degrees, data1 saturation, data2 lightness (-100..100), byte 12
// colourise, byte 13 method (set: lightness by a byte table, clear: by a curve; the curve
// refuses a lightness beyond -127..127).
bool fltHueSaturation(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj4: data0 brightness, data1 contrast, byte 8 linear.
bool fltBrightnessContrast(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj4: data0..data2 the gamma (Single) of red, green and blue.
bool fltColorBalance(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj2: data0 the number of levels, taken into 2..255.
bool fltPosterize(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj2: byte 0 the threshold (0 acts as 1), byte 1 the table variant (same pixels).
bool fltBinarize(sFlt4Params &p, const void *argp, int32_t args);
bool fltInvert(sFlt4Params &p, const void *argp, int32_t args);
bool fltGrayscale(sFlt4Params &p, const void *argp, int32_t args);
bool fltSolarize(sFlt4Params &p, const void *argp, int32_t args);
// sFltObjGradientMap: the luminance mapped through the gradient's colours.
bool fltGradientMap(sFlt4Params &p, const void *argp, int32_t args);
// sFltObj2: data0 the colour (B, G, R), data1 byte 0 keep-light. White becomes transparent.
bool fltAlphaViaDensity(sFlt4Params &p, const void *argp, int32_t args);

// The serial walks that the two above run in bands on the work threads: their oracles.
bool fltHueSaturationReference(sFlt4Params &p, const void *argp, int32_t args);
bool fltAlphaViaDensityReference(sFlt4Params &p, const void *argp, int32_t args);
