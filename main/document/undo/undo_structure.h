// The records of layer-structure and selection-mask operations: how the document-wide manager
// makes them from a push and applies them on undo and redo.
//
// A record keeps the objects the operation took out of the document (layers, masks, lists of
// layers, a saved layer list) and the indices, ids and offsets needed to put them back. A restore
// exchanges objects between the record and the document, and by the rule of its command flips
// bNowRedo; the manager then passes the record to the other list. Which objects a record owns at
// any moment is undoOwnership (undo_data.h); every exchange here moves them across with it.
//
// Ids are whole unique ids. A restore first checks every id, index and object it will touch and
// reserves the room its insertions need; when anything is off it answers false and the document is
// as it was (the manager then drops the record).
//
// The records whose restore needs an operation that is not built (31, 69) are not made: their
// push answers nullptr and a record of them is refused by the restore. The moves that carry a
// selection along (40, 49, 52) also shift the mask, and are made and applied by the forms below
// that take the mask list. The
// whole-canvas records 57-60 work on the document and are made and applied by
// document/edit/canvas_undo.h.
#pragma once

#include "core/base/geometry.h"
#include "document/undo/undo_data.h"

#include <cstdint>
#include <memory>

class CLayerMngr;
class CMaskMngr;
struct SUndoExtras;

// The record of a complex command for the layer list lm, or nullptr when the command is not one
// of the table or an object, id or index it names is not there. Takes from extras what the
// record keeps (only when a record is answered). Throws std::bad_alloc.
std::unique_ptr<CUndoData> makeComplexRecord(CLayerMngr &lm, const CUndoObj &obj, udCmdName cn,
                                             int32_t n0, int32_t n1, int32_t n2, int32_t n3,
                                             SUndoExtras &extras);
// Applies a complex record (undo while bNowRedo is false, else redo). idx: in the caller's active
// index, out the layer to make active; box out the area to refresh.
bool restoreComplexRecord(CUndoData &rec, CLayerMngr &lm, int32_t &idx, sBox &box);

// The same for mask commands (61-71) on the masks mm of the document whose layers are lm.
std::unique_ptr<CUndoData> makeMaskRecord(CLayerMngr &lm, CMaskMngr &mm, const CUndoObj &obj,
                                          udCmdName cn, int32_t n0, int32_t n1, int32_t n2,
                                          int32_t n3, SUndoExtras &extras);
// idx is left as it came; box := the whole image of the layer at idx.
bool restoreMaskRecord(CUndoData &rec, CLayerMngr &lm, CMaskMngr &mm, int32_t idx, sBox &box);

// The moves of layers that carry a selection mask along (40, 49, 52). 40: obj the layer as it
// was, n0 index + low half of the new layer's id x 65536, n1 mask index + low half of the mask's
// id x 65536, n2 and n3 the offset. 49 and 52 as 48 and 51 with the mask index in n3 (49) or n2
// (52). The restore moves the mask back (undo) or again (redo) as the layers go.
bool isSelectMoveUndoCommand(udCmdName cn);
std::unique_ptr<CUndoData> makeSelectMoveRecord(CLayerMngr &lm, CMaskMngr &mm,
                                                const CUndoObj &obj, udCmdName cn, int32_t n0,
                                                int32_t n1, int32_t n2, int32_t n3,
                                                SUndoExtras &extras);
bool restoreSelectMoveRecord(CUndoData &rec, CLayerMngr &lm, CMaskMngr &mm, int32_t &idx,
                             sBox &box);

// The low and high halves of a cell as the operations pack them, and the packing.
int32_t undoLowHalf(int32_t v);
int32_t undoHighHalf(int32_t v);
int32_t undoPackHalves(int32_t low, int32_t high);
