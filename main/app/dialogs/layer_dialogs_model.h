// The arithmetic of the layer dialogs (new layer, rotation, layer and mask properties), free of
// widgets: the percent fields over 0..255 values, the positions rounded half away from zero, the
// colour a new layer starts with, the neutral colour a blend mode marks in the colour list, the
// ranges of a layer's position and the thumbnail that shows a layer or mask against the canvas.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"
#include "ui/graphics/memory_graphic.h"

#include <cstdint>

class CBlockVCH;
class CBlockVMTC;

// A 0..255 value as the percent its field shows: value * 100 / 255.
float byteToPercent(int32_t value);
// A typed percent back to 0..255: Trunc(percent * 2.55 + 0.5) in extended precision, so that
// 50 % gives 128 and 90 % gives 230 (double arithmetic would give 127 and 229). The byte goes
// into recorded events, so the rounding must not drift.
int32_t percentToByte(float percent);
// Trunc(v + 0.5) for v >= 0, Trunc(v - 0.5) below: 2.5 gives 3, -2.5 gives -3.
int32_t roundAwayFromZero(float v);

// The items of the new layer's colour list, in list order.
enum TNewLayerColorItem : int
{
    nlcWhite = 0,
    nlcBlack = 1,
    nlcGray = 2,
};
inline constexpr int kNewLayerColorCount = 3;
// The colour a new layer starts with (sBGRA, alpha in the top byte): white 0xFFFFFF, black 0 or
// grey 0x7F7F7F, opaque unless transparent. An item outside the list reads as white.
uint32_t newLayerColor(int item, bool transparent);
// The colour item that a mode marks as its neutral colour (black for screen, white for multiply,
// grey for overlay, ...), or -1 when the mode has none (or lies outside the table).
int neutralColorItem(TLayerMode mode);

// The range of a position field for a layer side of side pixels: with a = min(side, 10000 -
// side), -a..a, widened to hold current.
void layerPositionRange(int32_t side, int32_t current, float &min, float &max);

// Where a w x h image's thumbnail lies in a preview of s x s pixels, and its scale.
struct SLayerPreviewGeometry
{
    int32_t tw = 0, th = 0; // the thumbnail's size
    int32_t ox = 0, oy = 0; // its offset, centring the shorter side
    long double f = 0;      // thumbnail pixels per image pixel
};
// The longer side becomes s, the shorter Trunc(side * s / longer + 0.5) (at least 1). False for
// an image or preview with a side of 0 or less.
bool layerPreviewGeometry(int32_t w, int32_t h, int32_t s, SLayerPreviewGeometry &g);

// The preview box's side in pixels; the thumbnail keeps two pixels of frame on every side.
inline constexpr int32_t kLayerPreviewBox = 112;

// Draws the layer preview into image (box-sized, cleared to the button face by the caller): the
// reduced layer over a checkerboard, its frame and sunken edge, then the canvas rectangle
// (canvas at pos in the layer, size canvas) in the highlight colour, unclipped against the
// thumbnail. False, image untouched, for an empty layer image or a canvas that cannot be had.
bool drawLayerPreview(TMemoryGraphic &image, const CBlockVMTC &layer, sPos pos, sSize canvas);
// The mask preview: with a mask image the reduced mask (grey, no checkerboard), the canvas
// rectangle kept inside the thumbnail, then the frame and edge; without one a grey box of the
// canvas's proportions across the whole box. False for an empty mask image or, without one, a
// canvas with an empty side.
bool drawMaskPreview(TMemoryGraphic &image, const CBlockVCH *mask, sPos pos, sSize canvas);
