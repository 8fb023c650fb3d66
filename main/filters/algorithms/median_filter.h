// The median filter: each destination pixel takes the medians of the (2r + 1) x (2r + 1) window
// of the flow canvas around it (positions clamped into the layer). Alpha is the median of every
// pixel's alpha; B, G and R are the medians over the window's pixels with alpha > 0 (0 when there
// are none). A median is found by searching from both ends of its histogram at once.
//
// The fast form walks the destination in a serpentine (down one column, up the next) and slides
// four 256-bin histograms by one row or column per step; a row or column that runs past the
// layer edge is added once per distinct pixel with its multiplicity, so a large radius on a small
// layer costs no more than the layer. Each pixel's medians depend only on its window.
#pragma once

#include "filters/core/filter_core.h"

#include <cstdint>

// sFltObj2: byte 0 the radius r, byte 1 keep-alpha (put with pixelPutAlpha when set or when the
// layer protects its transparency, otherwise with pixelPutWithAlpha).
bool fltMedian(sFlt4Params &p, const void *argp, int32_t args);
// The same pixels from a fresh window histogram for every pixel: the oracle of the fast form.
bool medianFilterReference(sFlt4Params &p, int32_t radius, bool keepAlpha);
