// Blended mixing of one pixel into a pixel that has its own alpha: the per-pixel step of merging a
// layer into the one below and of composing a layer onto a canvas that keeps transparency.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

// The mixing flags of a layer mode, a one-byte set. Only mtfNopSrcTP is read by mixPixelEx; the
// others describe the mode to the layer code (mtfNega: the subtract mode, whose merged colours are
// inverted; mtfComplex: a blend of its own; mtfInitGray / mtfInitSrc: the neutral start of the
// mode; mtfHLS: a whole-colour mode; mtfNeutral: c0 leaves a destination unchanged).
enum TMixTypeFlag : uint8_t
{
    mtfNega = 0x01,
    mtfComplex = 0x02,
    mtfInitGray = 0x04,
    mtfInitSrc = 0x08,
    mtfHLS = 0x10,
    mtfNeutral = 0x20,
    mtfNopSrcTP = 0x40,
};
using bsMixTypeFlag = uint8_t;

// The parameters of blended mixing, filled from a layer mode's row by the layer code.
struct sTCMixParam
{
    sBGRA c0{.all = 0};                 // the mode's neutral colour
    bsMixTypeFlag flags = 0;            // TMixTypeFlag bits
    fptrPixelPut4core fnPut1 = nullptr; // the normal put (of the standard mode)
    fptrPixelPut4core fnPut2 = nullptr; // the mode's put (its fnPut)
};
using pTCMixParam = sTCMixParam *;

// Mixes source colour s (an sBGRA value whose alpha is the source coverage) into *d with opacity
// sA (0..255), by the blend of mix.fnPut2 where both are present:
//   e = mul255(alpha of s, sA), f = alpha of d, u = f + e - mul255(f, e) (the united coverage);
//   with mtfNopSrcTP and e = 0, d stays as it was; d's alpha becomes u; when u = 0 nothing more;
//   the colour is the blend fnPut2(d, s, e) where d covers, and the source alone (fnPut1 at
//   opacity (255 - f) * e div u) over the share d leaves uncovered.
// Onto a fully transparent d the result is s's colour with alpha e; onto an opaque d it is exactly
// fnPut2(d, s, e). fnPut1 and fnPut2 must be set. c0 and mtfInitSrc do not enter the result.
void mixPixelEx(sBGRA *d, uint32_t s, uint32_t sA, const sTCMixParam &mix) noexcept;
