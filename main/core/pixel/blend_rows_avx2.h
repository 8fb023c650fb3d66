// The AVX2 forms of the normal mode's row loops (core/pixel/blend_modes.cpp calls them when
// simdUseAvx2()). Each does the same per-lane arithmetic as the SSE2 loop it stands for, eight
// pixels at a time, and answers how many pixels it did (a multiple of eight, the rest of the row
// left to the caller). Only to be called where the processor has AVX2.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

// dst[i] := the colour of src[i] with dst's alpha (pixelPutAlpha at 255).
int rowCopyColourAvx2(uint32_t *dst, const uint32_t *src, int n) noexcept;
// pixelPutAlpha at opacity t, 0 < t < 255.
int rowMixAvx2(uint32_t *dst, const uint32_t *src, int n, uint32_t t) noexcept;
// pixelPutSrcAlpha at opacity a (0..255).
int rowMixBySourceAlphaAvx2(uint32_t *dst, const uint32_t *src, int n, uint32_t a) noexcept;
// pixelPutOver of one colour at an opacity per pixel.
int rowPutOverAlphasAvx2(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept;
// pixelPutAlpha of one colour at an opacity per pixel.
int rowPutAlphaAlphasAvx2(sBGRA *dst, uint32_t col, const uint8_t *alpha, int n) noexcept;
