// Two value puts of the stroke context that dab render modes swap in as gStrokeColorPut for the
// length of one dab (through StrokeColorPutSwap): the put that also carries the colour's alpha
// (blur, spread and finger tip on layers whose transparency is not protected) and the lightness
// curve of the burn and dodge brushes.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

// alpha := mix255(alpha of col, alpha of the pixel, opacity); when that alpha is not 0, B, G and R
// are put with pixelPutAlpha at the opacity. An opacity above 255 counts as 255.
void pixelPutWithAlpha(sBGRA *dst, uint32_t col, uint32_t opacity) noexcept;

// Maps the pixel's own HSL lightness L (16.16, 0..255) through gPowerCurveTable:
// L' = curve[(L >> 13) × 2047 div 2040] × 255; the colour rebuilt from the new HSL is put with
// pixelPutAlpha at the opacity. col is not read: the brush changes the lightness of what is there.
void pixelPutLightnessCurve(sBGRA *dst, uint32_t col, uint32_t opacity) noexcept;
