// The operations on how layers belong together: groups (a head and the deeper layers right above
// it), link groups (layers that move together) and clipping (a layer drawn only where the layer
// below it has pixels), with the dissolving of every group at once.
//
// They follow the pattern of document/edit/edit_ops.h: the packet is recorded through a
// CEventRecordGuard, the record pushed with whole ids, and a refused or failed call leaves the
// document, the stream and both histories as they were.
#pragma once

#include <cstdint>

class TFlowImage;
class TPaper;

// ---- queries
// Layer idx can go one group level in (_in) or out; the second form asks for the active layer.
bool canGroup(TPaper &paper, int32_t idx, bool in, bool mk);
bool canGroup(TPaper &paper, bool in, bool mk);
// Some layer lies in a group (the deepest level is above 0).
bool hasLayerGroup(TPaper &paper);
// The layers a group at idx spans, its head included (1 for a layer heading nothing, 0 for a bad
// index).
int32_t getLayerGroupCount(TPaper &paper, int32_t idx);
int32_t getActiveLayerGroupCount(TPaper &paper);
// idx valid, and the active layer heads a group that is more than itself and less than every
// layer.
bool canGroupDelLayers(TPaper &paper, int32_t idx);
bool isLinked(const TPaper &paper, int32_t idx);
bool isLinked(const TPaper &paper, int32_t idx1, int32_t idx2);

// ---- operations
// Layer idx and its members one group level in or out.
bool eventLayerGroup(TPaper &paper, TFlowImage *flow, int32_t idx, bool in, bool undo);
// Moves the group of cnt layers at src to dst, re-levelled for its new place, and makes its head
// active.
bool eventLayerGroupInsert(TPaper &paper, TFlowImage *flow, int32_t src, int32_t cnt, int32_t dst,
                           bool undo);
// Deletes a group head; its members stay, one level shallower. A layer heading nothing is
// deleted as any layer.
bool eventLayerGroupDelete(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
// Deletes the whole group at idx; cnt must be its count.
bool eventGroupDelLayers(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t cnt, bool undo);
// Links two layers, or unlinks them when they are linked. The document is not recomposed.
bool eventLayerLink(TPaper &paper, int32_t primary, int32_t secondary, bool undo);
// Toggles the clipping of layer idx to the layer below.
bool eventLayerClipping(TPaper &paper, int32_t idx, bool undo);
// Releases the clipping group idx belongs to: its members are no longer clipped. A bottom layer
// flagged as clipped loses its flag.
bool eventReleaseClippingGroup(TPaper &paper, int32_t idx, bool undo);
// Dissolves every group: each layer whose effective opacity differs from its own takes it, then
// every layer leaves its groups one level at a time. Each step is its own event and record.
void ungroupAllLayers(TPaper &paper, TFlowImage *flow);
