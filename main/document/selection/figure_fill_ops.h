// Filling a figure of a layer with the active stroke's paint: the whole layer, a rectangle, a
// polygon, an ellipse, and the whole layer with the document gradient; and drawing the same
// figures into the current selection mask. The figure fillers of the painting engine paint
// through the stroke's per-pixel procedures into the work image (or its coverage channel); the
// operations keep undo, record the figure and copy the painted box into the layer.
//
// Points are in the layer's coordinates. Operations follow document/edit/edit_ops.h; they answer
// false, changing nothing, for an invalid layer or an empty figure.
#pragma once

#include "core/base/geometry.h"
#include "core/mask/mask_manager.h"

#include <cstdint>
#include <span>

class TFlowImage;
class TPaper;

// ---- fills (record with rec for rectangle and whole layer, with undo for the others)
bool eventFillAll(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t color, bool undo,
                  bool rec);
bool eventFillRect(TPaper &paper, TFlowImage *flow, int32_t idx, const sFPos &p0, const sFPos &p1,
                   bool undo, bool rec);
bool eventFillPolygon(TPaper &paper, TFlowImage *flow, int32_t idx, std::span<const sFPos> plist,
                      bool undo);
// ver 0 is the older ellipse geometry (recorded with its own code).
bool eventFillEllipse(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t ver, const sFPos &p0,
                      const sFPos &p1, bool undo);
// Sets the document's gradient line; unless setonly the whole layer is filled with it.
bool eventLayerGradation(TPaper &paper, TFlowImage *flow, int32_t idx, const sFPos &p0,
                         const sFPos &p1, bool setonly, bool undo);

// ---- selection figures: the current mask rebuilt from the figure combined by mat
bool eventSelectRect(TPaper &paper, TFlowImage *flow, int32_t idx, const sFPos &p0,
                     const sFPos &p1, eMaskAddType mat, bool undo);
bool eventSelectPolygon(TPaper &paper, TFlowImage *flow, int32_t idx,
                        std::span<const sFPos> plist, eMaskAddType mat, bool undo);
bool eventSelectEllipse(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t ver,
                        const sFPos &p0, const sFPos &p1, eMaskAddType mat, bool undo);

void registerFigureReplayRows();
