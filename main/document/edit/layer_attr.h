// The operations that change a layer's attributes without touching its pixels: visibility (one
// layer, a group, all layers, only one, all inverted), opacity, dithering and blend mode; and the
// partial recomposition they end with, over the blocks a layer (or group) has written.
//
// They follow the pattern of document/edit/edit_ops.h and never reload the work image.
#pragma once

#include "core/pixel/blend_modes.h"

#include <cstdint>

class TPaper;

// Visibility of layer index; an unchanged visibility answers true and records nothing.
bool EventLayerVisible(TPaper &paper, int32_t index, bool vis, bool undo);
// A group head shows or hides its whole group, any other layer itself.
bool doLayerVisible(TPaper &paper, int32_t idx, bool vis, bool undo);
// Visibility of cnt layers from idx (cut at the list end); true without change when layer idx
// already has it; refused for cnt <= 0.
bool eventLayerGroupVisible(TPaper &paper, int32_t idx, int32_t cnt, bool vis, bool undo);
// Opacity of layer index; an unchanged value is recorded too. A group head's record counts its
// members.
bool EventLayerTrans(TPaper &paper, int32_t index, uint8_t alpha, bool undo);
// The opacity only: no record, no refresh.
void SetLayerTrans(TPaper &paper, int32_t index, uint8_t alpha);
// Dithering of layer idx: enabled and density; the layer's generator state is recorded with it.
bool eventLayerDither(TPaper &paper, int32_t idx, bool enb, uint8_t diz, bool undo);
// Blend mode of layer index; a mode outside 0..21 is refused.
bool EventLayerMode(TPaper &paper, int32_t index, TLayerMode mode, bool undo);
// The three operations on all layers refuse an invalid idx (the layer their record names).
// Only layer idx stays visible; refused when at most one layer is visible and the active layer is.
bool eventLayerVisOnly(TPaper &paper, int32_t idx, bool undo);
// Every layer shown (vis) or hidden; refused when nothing would change (for shows in streams older
// than version 37: unless fewer layers are visible than the highest index).
bool eventLayerVisAll(TPaper &paper, int32_t idx, bool vis, bool undo);
// Every layer's visibility inverted.
void eventLayerVisFlip(TPaper &paper, int32_t idx, bool undo);
int32_t getVisibleLayerCount(const TPaper &paper);

// Recomposes (and with prv previews) the parts of the display that layer idx's written blocks
// cover, those of its whole group for a group head; true when some part was recomposed.
bool dispatchLayerView(TPaper &paper, int32_t idx, bool prv);
bool dispatchSingleLayerView(TPaper &paper, int32_t idx, bool prv);
