// Colour-space conversions of the colour fields and the colour pickers, and the air-brush
// density profile of the nib previews. Hues are radians (2 pi one turn; in the byte conversions
// one turn is 1536 steps, six sectors of 256); S, V, L and Single channels are 0..1.
#pragma once

#include "ui/graphics/colour32.h"

#include <cstdint>

void rgbToHSVSingle(float R, float G, float B, float &H, float &S, float &V);
void rgbToHSLSingle(float R, float G, float B, float &H, float &S, float &L);
void hsvToRGBBytes(float H, float S, float V, uint8_t &R, uint8_t &G, uint8_t &B);
void hsvToRGBSingle(float H, float S, float V, float &R, float &G, float &B);
void hslToRGBBytes(float H, float S, float L, uint8_t &R, uint8_t &G, uint8_t &B);
void hslToRGBSingle(float H, float S, float L, float &R, float &G, float &B);
// One HSL channel at hue position a (steps) between the bounds q (high) and p (low).
uint8_t hslChannelByte(int32_t a, float q, float p);
float hslChannelSingle(int32_t a, float q, float p);

// The density 0..1 of a profile curve at T (distance from the centre as a fraction of the
// radius), flattened by AFlat and lifted by AAdd; a null Map counts as the flat curve.
float evalAirMap(TMapProc Map, float AFlat, float AAdd, float T);
