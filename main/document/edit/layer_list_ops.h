// The operations on the stack of layers as a list: adding, deleting, duplicating, moving a layer
// to another place, renaming, clearing and filling, and the operations on a layer's alpha and its
// transparency protection; with the queries and building blocks they share.
//
// They follow the pattern of document/edit/edit_ops.h. Adding, duplicating and moving are refused
// while the list holds its limit of layers. An operation that cannot make its layer shows
// kEditMemoryMessage (with undo) and leaves the document, the stream and both histories as they
// were; one that made its change but could not keep its undo record discards all undo.
#pragma once

#include "core/pixel/blend_modes.h"

#include <QString>

#include <cstdint>

class TFlowImage;
class TPaper;

// ---- queries and building blocks (no event, no undo)
// The list can take another layer and, for chklm >= 0, chklm is a blend mode (0..21).
bool CanLayerAdd(const TPaper &paper, int32_t chklm);
// More than one layer exists.
bool CanLayerDelete(const TPaper &paper);
// Inserts a new w x h layer at idx and answers its index (negative on failure): the group level
// of layer idx - 1 (of the top layer when idx - 1 is past it; 0 at the bottom), its own history
// with the level-1 procedure, adjusted to the level-1 mask mode. Its image is not cleared.
int32_t CreateLayer(TPaper &paper, int32_t idx, int32_t w, int32_t h, TLayerMode lm, int32_t trans,
                    bool vis);
// The same with the paper size.
int32_t CreateLayer(TPaper &paper, int32_t idx, TLayerMode lm, int32_t trans, bool vis);
// Layer idx joins the group above it when layer idx + 1 is deeper than layer idx - 1; whether it
// changed.
bool chgGroupLevelOnInsertLayer(TPaper &paper, int32_t idx);
// Frees layer index.
void DeleteLayer(TPaper &paper, int32_t index);
// Layer dest becomes a copy of layer src (image, preview, every attribute, position, own history)
// with its caption.
bool CopyLayer(TPaper &paper, int32_t src, int32_t dest);
// The alpha of the whole image of layer idx := val.
void fillLayerMask(TPaper &paper, int32_t idx, uint8_t val);
// The preview of layer index fitted to the layer list's preview edge.
bool ResizePreview(TPaper &paper, int32_t index);
bool isLayerMaskProtected(const TPaper &paper, int32_t idx);

// ---- operations
// A paper-sized, opaque, visible layer of mode lm above the active one.
bool eventLayerAdd(TPaper &paper, TFlowImage *flow, TLayerMode lm, bool undo);
// A w x h layer at idx, cleared to its mode's neutral colour (transparent with the newer
// procedures), given the default title and made active.
bool eventLayerAdd(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                   TLayerMode lm, int32_t trans, bool vis, bool undo);
// The same, filled with col (its top byte as alpha) and titled str when not empty; a blend mode
// outside 0..21 is refused.
bool eventLayerAddEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                     TLayerMode lm, int32_t trans, uint32_t col, const QString &str, bool vis,
                     bool undo);
// The level-1 add: an opaque layer on top, active and cleared.
void orgEventLayerAdd(TPaper &paper, TFlowImage *flow, TLayerMode lm);
// Deletes layer index (never the only one); with undo the record keeps the layer.
bool EventLayerDelete(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
void orgEventLayerDelete(TPaper &paper, TFlowImage *flow, int32_t index);
// A copy of layer index, made whole before it goes in right above it, made active.
bool eventLayerCopy(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
// The level-1 duplicate of the active layer, on top.
void orgEventLayerCopy(TPaper &paper, TFlowImage *flow, int32_t index);
// Moves layer src to dst (dst kept inside the list); refused for an invalid src and when dst is
// src.
bool EventLayerInsert(TPaper &paper, TFlowImage *flow, int32_t src, int32_t dst, bool undo);
// Renames layer idx.
bool eventLayerName(TPaper &paper, TFlowImage *flow, int32_t idx, const QString &name, bool undo);
// Clears layer index to its mode's neutral colour (alpha 0 with the newer procedures, else 255).
bool EventLayerClear(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
// The level-1 fill of layer index with color (opaque unless the stroke protects transparency).
void orgEventLayerFill(TPaper &paper, TFlowImage *flow, int32_t index, uint32_t color);
// Every alpha byte of layer idx := cc (its low byte); refused for an invalid index.
bool eventLayerMaskFill(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t cc, bool undo);
// Every alpha byte of layer idx inverted; refused for an invalid index.
bool eventLayerMaskNega(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
// Transparency protection of layer idx (negative: the active one): toggled for val < 0, else
// val > 0; the active stroke follows.
bool eventLayerMaskProtected(TPaper &paper, int32_t idx, int32_t val, bool undo);
