// The undo records whose restores call the selection operations: the layer-and-mask transform
// (31) exchanges a layer's pixels and a mask and rebuilds the ants; the selection state (69)
// enables and shows the selection as it was. The undo manager hands them to these functions.
#pragma once

#include "document/undo/undo_data.h"

#include <cstdint>
#include <memory>

class TPaper;

bool isSelectionUndoCommand(udCmdName cn);

// 31: obj the mask before, n0 the layer, n1 the mask index; the record copies the layer's whole
// image. 69: n0 the active layer, n1 the mask index, n2 the state to go back to (enabled in the
// high half, visible in the low half), n3 the new state. nullptr when an object or index is not
// there or the command is not one of them. Throws std::bad_alloc.
std::unique_ptr<CUndoData> makeSelectionRecord(TPaper &paper, const CUndoObj &obj, udCmdName cn,
                                               int32_t n0, int32_t n1, int32_t n2, int32_t n3);
// Undoes or redoes the record; idx is left as it came, box receives the area to refresh. False,
// nothing changed, when the record does not fit the document.
bool restoreSelectionRecord(CUndoData &rec, TPaper &paper, int32_t &idx, sBox &box);
