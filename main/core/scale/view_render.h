// Rotated and mirrored views by inverse mapping: every destination pixel is the area average of
// the axis-aligned source square or rectangle that maps onto it (the rotation moves the square's
// centre only).
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

class TMTC;
class CScaleImageTMTC;
union sBGRA;

// Renders the byte buffer src (rows of srcSize.x bytes) into dst (rows of dstSize.x bytes),
// scaled by scaleX and scaleY and rotated by angle (radians) about the source position centre,
// which lands on the middle of dst. Destination pixels whose rectangle lies wholly outside the
// source get outside; so do all of them when a scale is not positive or too small to map.
void renderRotatedBytes(uint8_t *dst, const uint8_t *src, const sSize &dstSize, uint8_t outside,
                        float scaleY, float scaleX, float angle, const sPos &centre,
                        const sSize &srcSize);

// The box of dst (a clipped copy; false when empty, or when zoom is not positive or too small to
// map) shows src scaled by zoom (destination pixels per source pixel) and turned by rot radians
// about the source position centre, which lands on the middle of dst. Each destination pixel is
// the area average of a source square of side 1 / zoom whose centre the rotation moves; a square
// wholly outside src gives the colour outside. The scaler is rebound to (src, dst). With rot 0 and
// zoom 1 an odd-sized dst shows src pixel for pixel; along an even side each pixel averages two
// neighbours half and half.
bool renderRotatedView(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler, uint32_t outside,
                       float zoom, float rot, const sBox &box, const sPos &centre);
// The same view mirrored left to right.
bool renderRotatedViewMirror(TMTC &dst, const TMTC &src, CScaleImageTMTC &scaler,
                             uint32_t outside, float zoom, float rot, const sBox &box,
                             const sPos &centre);

// The free transform's sampler: the alpha-weighted mean of src over the Single rectangle r
// (its far edges first cut to src, its near edges to 0, written back into r) composited over the
// pixel at dst. Nothing happens when the area holds no alpha.
void averageAreaF(sBGRA *dst, const TMTC &src, sFRect &r);
// The same average with every sum taken in extended precision, tap by tap: the reference the
// sampler above must match.
void averageAreaFByTap(sBGRA *dst, const TMTC &src, sFRect &r);

// The document view's zoom caches. Each pixel of box (clipped to dst) of dst averages source
// pixels of src; taps past src's right or bottom edge take the colour back. weighted averages the
// colours by alpha (a pixel whose taps are all transparent gets alpha 0 and keeps its colour).
// cacheHalve: the 2 x 2 pixels (2x, 2y) to (2x + 1, 2y + 1), each counting 1 of 4.
void cacheHalve(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back);
// cacheTwoThirds: (sx, sy) to (sx + 1, sy + 1) with sx = 3x div 2, sy = 3y div 2, weights 2 and 1
// per column (1 and 2 for odd x) and likewise per row, nine in all: every two destination
// pixels cover three source pixels evenly.
void cacheTwoThirds(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back);
// The same two reductions pixel by pixel through the tap walk, with no vector rows: the
// reference the rows above must match.
void cacheHalveByPixel(TMTC &dst, const TMTC &src, const sBox &box, bool weighted, uint32_t back);
void cacheTwoThirdsByPixel(TMTC &dst, const TMTC &src, const sBox &box, bool weighted,
                           uint32_t back);
