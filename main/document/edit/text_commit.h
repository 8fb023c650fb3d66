// The text tool's commit: a text the window laid into the flow image's coverage channel (layer
// coordinates) becomes pixels of the stroke's layer in the stroke's colour, or the selection. It
// lives in the document so that the event player replays a recorded text from the packet's
// coverage without any window.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

class TFlowImage;
class TPaper;
class TStroke;

// Commits the coverage held in flow's channel over box (layer coordinates of the stroke's
// layer). The stroke's pipeline is prepared first. With trgtMask the coverage becomes the
// selection (eventSelectText); otherwise it is put on the stroke's layer (dispatchFontAlpha), the
// layer's previews refreshed over the box and the coverage cleared. The owner's view is
// invalidated. False, the document as it was, when the selection or the layer could not take it.
bool doFontDraw(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &box, bool trgtMask,
                bool undo);
// Puts the coverage on layer idx: with undo the box is stocked (udcnImageFont) first, the
// stroke's colour is blended through the coverage into the flow image's box, which then goes into
// the layer at full opacity; the canvas part of the box is recomposed and the view rebuilt.
// False, the layer and undo history untouched, when the stock or the copy fails.
bool dispatchFontAlpha(TPaper &paper, TFlowImage &flow, int32_t idx, TStroke &stroke,
                       const sBox &box, bool undo);
// Every byte of the flow image's coverage channel := cc.
void clearFlowAlpha(TFlowImage &flow, uint8_t cc);

// The player's rows 13/16 (text on a layer) and 13/17 (text into the selection).
void registerTextReplayRows();
