// The lighting filter of the current generation: one light model and an ambient term added to
// the layer's pixels.
#pragma once

#include "filters/core/filter_core.h"

#include <cstdint>

// The record is an sFltObjComplex (kFltObjComplexSize): data0 bytes 0, 1, 2 the ambient colour
// (blue, green, red), data1 the ambient brightness in percent, the block's first SFltLight the
// light. Each channel becomes clamp(flow + light + ambient), put with pixelPutAlpha (the alpha
// stays); ambient = colour byte x brightness div 100 - 255. False, nothing changed, for an empty
// block, a light of another kind or one that cannot be modelled (isValidLight).
bool fltLighting(sFlt4Params &p, const void *argp, int32_t args);
// The serial walk that fltLighting runs in bands (each pixel's float sums stay its own, in their
// order): its oracle.
bool fltLightingReference(sFlt4Params &p, const void *argp, int32_t args);

// The ambient term of one colour byte.
int32_t lightingAmbient(uint8_t colourByte, int32_t brightness);
