// Clearing the selected part of a layer: the whole layer filled through a put that lowers each
// pixel's alpha by the selection's coverage, so a half-selected pixel keeps half its alpha and
// what lies outside the selection is not touched. The document window's Delete records it as the
// fill command 6/5 with the colour; its replay row clears the same pixels.
#pragma once

#include "core/pixel/pixel.h"

#include <cstdint>

class TFlowImage;
class TPaper;

// The clearing put (the colour put of the chain while a clear runs): the put in force before
// the clear at coverage a, then alpha := alpha x (255 - a) / 255; a pixel whose alpha was 0 keeps
// 0 and coverage 0 touches nothing.
void clearSelectionPut(sBGRA *dst, uint32_t col, uint32_t a) noexcept;

// Fills layer idx with color through the clearing put: the active stroke's procedures chosen with
// its screentone off, the colour put swapped for the clearing one and held while the fill runs;
// the stroke's put, tone and hold come back on every path. Records nothing (the caller records
// 6/5); undo as eventFillAll's. False when the fill refuses.
bool doSelectDelete(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t color, bool undo);

void registerSelectDeleteReplayRow();
