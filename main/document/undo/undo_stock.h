// Undo stocking of a document: the pushes every editing operation makes before or after its
// change, and the questions whether the document keeps undo at all.
//
// A document that paints at the newer levels keeps one document-wide manager (isUsingNewUndo);
// a level-1 document keeps a history in each layer instead. The five pushUndo forms need the
// document-wide manager and answer false (nothing pushed, nothing taken) without it; the stock
// operations fall back to the layer's own history.
//
// Boxes are in layer-image coordinates and are widened to whole 32-pixel blocks in place for the
// image records, as the manager keeps them.
#pragma once

#include "core/base/geometry.h"
#include "document/undo/undo_manager.h"

#include <cstdint>

class CLayerData;
class TPaper;

// The document-wide undo manager exists.
bool isUsingNewUndo(const TPaper &paper);
// It exists and its undo limit is above 0.
bool isUndoEnable(const TPaper &paper);

// The whole image of layer idx (false for an invalid index).
bool pushUndo(TPaper &paper, int32_t idx, udCmdName cn);
// The whole image box (0, 0, width, height) of the layer.
bool pushUndo(TPaper &paper, CLayerData &ld, udCmdName cn);
// A box of the layer's image (or its alpha, or a pixel command, by the command's kind).
bool pushUndo(TPaper &paper, CLayerData &ld, sBox &box, udCmdName cn, SUndoExtras &&extras = {});
// A value record of the layer.
bool pushUndo(TPaper &paper, CLayerData &ld, int32_t v1, int32_t v2, udCmdName cn,
              SUndoExtras &&extras = {});
// A record of any kind with an object handed over and four operands.
bool pushUndo(TPaper &paper, const CUndoObj &obj, udCmdName cn, int32_t n0, int32_t n1, int32_t n2,
              int32_t n3, SUndoExtras &&extras = {});

// Stocks the whole layer index: with the new undo pushUndo(layer, udcn), else the layer's own
// pushImageAll.
bool UndoStock(TPaper &paper, int32_t index, udCmdName udcn);
// Stocks a box: with the new undo pushUndo(layer, box, udcn), else the layer's pushImagePart.
bool undoStockPart(TPaper &paper, int32_t index, sBox &box, udCmdName udcn);
bool UndoStockPart(TPaper &paper, int32_t index, int32_t x, int32_t y, int32_t w, int32_t h,
                   udCmdName udcn);
// The same with udcnImageBox.
bool orgUndoStock(TPaper &paper, int32_t index);
bool orgUndoStockPart(TPaper &paper, int32_t index, int32_t x, int32_t y, int32_t w, int32_t h);
