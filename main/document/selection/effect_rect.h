// The effect rectangle: the part of a layer that a filter (or the colour-range selection) may
// change, given the layer's image and view position and the active selection mask.
//
// Coordinates: layer pixel (x, y) lies at document position (x - L.x, y - L.y), where L is the
// layer's viewPos; mask pixel (u, v) corresponds to layer pixel (u + L.x - M.x, v + L.y - M.y),
// where M is the mask's viewPos.
#pragma once

#include "core/base/geometry.h"

class CBlockVMTC;
class CMaskData;

// Without selection content (no mask, or a mask without image): the whole layer image, true.
// With content: the bounding box of the mask's non-zero pixels moved into layer coordinates and
// clipped to the layer image; false when the mask is empty or the box misses the layer. False
// also without a layer image or for one without pixels. rect is written only on true.
bool getEffectRect(const CBlockVMTC *image, const sPos &layerViewPos, const CMaskData *mask,
                   sRect &rect);
// getEffectRect moved into document coordinates (by -L).
bool getEffectViewRect(const CBlockVMTC *image, const sPos &layerViewPos, const CMaskData *mask,
                       sRect &rect);
