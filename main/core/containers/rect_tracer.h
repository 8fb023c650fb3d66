// SRectTracer: the changed areas of a layer image or a document between two screen updates, kept
// as at most four rectangles. A new rectangle is clipped to the traced area and merged into the
// first stored one it overlaps or touches; else it is appended; with four stored it is merged into
// the nearest one. After every add the stored rectangles are non-empty and pairwise not touching.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <cstdint>

struct SRectTracer
{
    sSize allSize;                // the area every rectangle is clipped to
    int32_t cnt = 0;              // 0..4
    std::array<sRect, 4> rects{}; // rects[0 .. cnt - 1]
};

// All fields zero (two names for one operation).
void rectTracerClear(SRectTracer &t);
void rectTracerReset(SRectTracer &t);
// Cleared, with allSize = size.
void rectTracerInit(SRectTracer &t, const sSize &size);
// Adds rect (clipped to allSize); false, with the tracer unchanged, when nothing is left of it.
bool rectTracerAdd(SRectTracer &t, const sRect &rect);
