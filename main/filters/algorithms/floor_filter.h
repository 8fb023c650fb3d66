// The floor filter: a textured ceiling (texture slot 0) and floor (slot 1) seen from a camera
// with heading and pitch, fading into fog towards a far distance. One ray per destination row,
// stepped in 16.16 from the bottom row up; along a row the texture position steps by a constant.
//
// fltFloor serves records of versions 1 and 2, fltFloor2 version 3 and later; they differ only in
// the near and far sampler when clear is off. Both also serve the older plane renderer's puts.
#pragma once

#include "core/pixel/pixel.h"
#include "filters/core/filter_core.h"

#include <cstdint>

class TMTC;

// The record is an SFltFloor (kFltFloorSize). False, nothing changed, when no slot is enabled, an
// enabled slot has no image, an image side of 0 or of 32768 and more (its 16.16 width would
// overflow), or a zero tex0w/tex0h/tex1w/tex1h, or a Single of the camera is not finite.
bool fltFloor(sFlt4Params &p, const void *argp, int32_t args);
bool fltFloor2(sFlt4Params &p, const void *argp, int32_t args);

// The plain form: the same pixels, each looked up through the selection and the layer one by one.
// The oracle of the two above.
bool fltFloorReference(sFlt4Params &p, const SFltFloor &rec, bool newest);

// ---------------------------------------------------------------------------------------------
// Samplers and puts

// (texture, U, V in 16.16, fog amount, fog colour) -> colour.
using fptrFloorSampler = uint32_t (*)(const TMTC &tex, int32_t u, int32_t v, uint32_t fog,
                                      uint32_t fogCol);

struct SFloorSamplers
{
    fptrFloorSampler nearSampler; // hits nearer than far
    fptrFloorSampler farSampler;  // hits beyond far, and the horizon row
};

// The sampler pair of a mode: clear on or off, the newest version or not, drawfar on or off.
SFloorSamplers floorSamplers(bool clear, bool newest, bool drawfar);

// The put of a mode: clear on or off; the layer keeps its transparency (prt), else the picture
// is kept under the planes (useOrgPic), else the pixel is replaced.
fptrPixelPut4core floorPut(bool clear, bool prt, bool useOrgPic);

// far = Trunc((maxfar / 100)^(3/2) x near x 199 + near), at least 1 (a tiny effect rectangle has
// near 0, and the fog divides by far).
int32_t floorFarDistance(int32_t maxfar, int32_t nearDist);
