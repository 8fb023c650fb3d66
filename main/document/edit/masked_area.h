// Operations between a layer and a selection mask: cutting or keeping the selected part of a
// layer, and pasting a canvas into a layer through the selection. Positions meet on the paper:
// layer pixel (x, y) lies at paper point (x - layer viewPos.x, y - layer viewPos.y), mask pixel
// (x, y) at (x - mask viewPos.x, y - mask viewPos.y).
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>

class CLayerData;
class CMaskData;
class TMTC;

// Over the pixels where the layer image and the mask meet, with m the mask value: m = 255 makes
// alpha 0; 0 < m < 255 gives, with mode 0, 255 - m for an opaque pixel and otherwise
// trunc((255 - m) * a * 255 / (65025 - a * m)), with mode 1 trunc(a * (255 - m) / 255). The
// preview is redrawn. False, nothing changed, without a selection, when they do not meet, for
// another mode or when a block cannot be committed part-way (pixels done so far stay done).
bool eraseMaskedArea(CLayerData &layer, const CMaskData *mask, int32_t mode);

// Alpha becomes 0 outside the rectangle of the mask's enabled blocks and alpha * m / 255 (the
// product table) inside it. False, nothing changed, without a selection or when that rectangle
// misses the layer image.
bool keepMaskedArea(CLayerData &layer, const CMaskData *mask);
// A copy of the layer (same index, no own history) with keepMaskedArea applied; nullptr when
// that fails or the copy cannot be made.
std::unique_ptr<CLayerData> createMaskedLayerCopy(const CLayerData &layer, const CMaskData *mask);

// The canvas box, put at pos in the layer image (both clipped against both images), wherever the
// mask value m at the layer pixel's paper position is above 0: the canvas colour put on the layer
// pixel at opacity m (pixelPutAlpha); pasteThroughMask then sets the pixel's alpha to
// mul255(m, canvas alpha), the KeepAlpha form leaves it. False without a selection, when nothing
// remains after clipping or when a block cannot be committed.
bool pasteThroughMask(CLayerData &layer, const TMTC &tc, const sPos &pos, const CMaskData *mask,
                      const sBox &box);
bool pasteThroughMaskKeepAlpha(CLayerData &layer, const TMTC &tc, const sPos &pos,
                               const CMaskData *mask, const sBox &box);
