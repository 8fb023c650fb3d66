// The operations that combine layers into one: every visible layer, a layer into the one below,
// a group, and a clipping group. The merged-away layers are not freed while undo can bring them
// back: the record holds them.
//
// Each merge makes its result completely before the first layer leaves the document, so a merge
// that runs out of memory leaves the document, the stream and both histories as they were.
#pragma once

#include <cstdint>

class TFlowImage;
class TPaper;

// top := the lowest visible index (-1 for none). At least two layers visible and the lowest is
// layer 0; with tp 0 the bottom layer's mode must also fit the merge (ver non-zero: multiply or
// normal only; ver 0: anything but add and subtract).
bool canBindLayerAll(TPaper &paper, int32_t &top, int32_t tp, uint32_t ver);
// Merges every visible layer into a new bottom layer covering the paper and them all. tp non-zero
// keeps transparency (the layers are mixed by merge version ver); 0 makes an opaque layer
// composed by the blend modes. Hidden layers stay, with the layers clipped to them.
bool eventBindLayerAll(TPaper &paper, TFlowImage *flow, int32_t tp, uint32_t ver, bool undo);
bool CanLayerCombLower(TPaper &paper, int32_t index);
// Merges layer index into the layer below.
bool EventLayerCombLower(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
// The same with merge version ver (its low 16 bits 0..3).
bool eventLayerBindBelow(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t ver, bool undo);
bool canLayerGroupBind(TPaper &paper, int32_t idx);
// Merges the group of cnt layers at idx (cnt must be its count) into one layer at idx; the
// opacities of enclosing groups do not act on it.
bool eventLayerGroupBind(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t cnt, bool undo);
// Merges the clipping group idx belongs to into one layer at its base.
bool eventBindClippingGroup(TPaper &paper, int32_t idx, bool undo);
