// The operations that move layers on the paper by an offset: one layer, a layer with a selection
// mask, a group (its head and members) and a link group, each with and without the selection.
// A layer's image always covers the whole paper: a move that would uncover part of it makes a
// larger copy of the layer instead of only shifting it.
//
// Coordinates: image pixel (x, y) lies on the paper at (x - viewPos.x, y - viewPos.y); moving by
// (dx, dy) lowers viewPos by (dx, dy). Positions and grown sizes are worked out in 64 bits; a
// move whose result a layer image cannot hold is refused like one that runs out of memory.
#pragma once

#include "core/base/geometry.h"
#include "document/undo/undo_data.h"

#include <cstdint>
#include <memory>

class CLayerData;
class TFlowImage;
class TPaper;

// Bit 0: the layer's rectangle moved by (dx, dy) would no longer cover the paper across; bit 1:
// down. 0 allows a plain move.
int32_t calcLayerMoveState(const TPaper &paper, const CLayerData &ld, int32_t dx, int32_t dy);
// The grown layer's view position, image size and the place of the old image in it (box.x,
// box.y; box.w, box.h the old image's size) for a move of the given state. False when the
// result does not fit a layer image.
bool layerMoveGeometry(const CLayerData &layer, sPos &pos, sSize &size, int32_t dy, int32_t dx,
                       int32_t state, sBox &box);

// The list of a group move: one entry per group layer, a grown moved copy where the layer needs
// one, nullptr where it moves in place. nullptr when any copy cannot be made.
std::unique_ptr<TUndoLayerList> createLayerGroupMoveObj(TPaper &paper, int32_t idx, int32_t cnt,
                                                        const sPos &ofs);
// Each copy replaces its layer (the list takes the replaced one), every other layer moves by ofs.
bool moveLayerGroupObjList(TPaper &paper, int32_t idx, int32_t cnt, const sPos &ofs,
                           TUndoLayerList &list);
// The same for the link group of idx: one entry per layer of the document.
std::unique_ptr<TUndoLayerList> createLayerLinkMoveObj(TPaper &paper, int32_t idx,
                                                       const sPos &ofs);
bool movelayerLinkObjList(TPaper &paper, int32_t idx, const sPos &ofs, TUndoLayerList &list);

// Moves layer index by (dx, dy): a group head with its members, a linked layer with its link
// group, a layer that would uncover the paper by a grown copy. A zero offset does nothing and
// answers whether the index is valid.
bool eventLayerMove(TPaper &paper, TFlowImage *flow, int32_t index, int32_t dx, int32_t dy,
                    bool undo);
// The move by a grown copy for move state t (0..3); ver is recorded.
bool eventLayerMoveEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t t, int32_t dx,
                      int32_t dy, uint8_t ver, bool undo);
// The level-1 move: the pixels shift by (x, y) inside an image of the display's size.
void orgEventLayerMove(TPaper &paper, TFlowImage *flow, int32_t index, int32_t x, int32_t y);
// Lowers mask midx's view position by ofs and redraws its preview; with updt the marching ants
// and the mask panel follow. Always true.
bool moveSelect(TPaper &paper, int32_t midx, const sPos &ofs, bool updt);
// The moves above with mask midx moving along; a mask without a selection moves nothing and the
// layer moves alone. An invalid mask index is refused.
bool eventLayerSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                          const sPos &ofs, bool undo);
bool eventLayerSelectMoveEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, int32_t t,
                            const sPos &ofs, bool undo);
// The group of cnt layers at idx (cnt must be its count) moved by ofs.
bool eventLayerGroupMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t cnt,
                         const sPos &ofs, bool undo);
bool eventLayerGroupSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                               int32_t cnt, const sPos &ofs, bool undo);
// Layer idx and every layer linked with it moved by ofs.
bool eventLayerLinkMove(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &ofs, bool undo);
bool eventLayerLinkSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                              const sPos &ofs, bool undo);
