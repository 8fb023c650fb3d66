// Rotated and mirrored views by inverse mapping: every destination pixel is the area average of
// the axis-aligned source square or rectangle that maps onto it (the rotation moves the square's
// centre only).
#pragma once

#include "core/geometry.h"

#include <cstdint>

// Renders the byte buffer src (rows of srcSize.x bytes) into dst (rows of dstSize.x bytes),
// scaled by scaleX and scaleY and rotated by angle (radians) about the source position centre,
// which lands on the middle of dst. Destination pixels whose rectangle lies wholly outside the
// source get outside; so do all of them when a scale is not positive or too small to map.
void renderRotatedBytes(uint8_t *dst, const uint8_t *src, const sSize &dstSize, uint8_t outside,
                        float scaleY, float scaleX, float angle, const sPos &centre,
                        const sSize &srcSize);
