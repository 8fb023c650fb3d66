// The undo records of the whole-canvas commands: the image turned by a quarter (57), canvas size
// (58), resolution (59) and crop (60). Their restores swap whole layer and mask lists and change
// the paper, so they work on the document; the undo manager hands them to these two functions.
#pragma once

#include "document/undo/undo_data.h"

#include <cstdint>
#include <memory>

class TPaper;
struct SUndoExtras;

bool isCanvasUndoCommand(udCmdName cn);

// 57: obj the document, n0 the active index, n1 1 for clockwise. 58: obj the old layer list, n0
// the active index, n1 x n2 the new size, n3 the anchor. 59: obj the old layer list, n0 the active
// index, n1 x n2 the new size, extras.masks the old mask list or nullptr. 60: obj the old layer
// list, n0 the layer index, n1 x n2 the box size, extras.offset its origin. nullptr when an object
// is missing or the command is not one of them. Throws std::bad_alloc.
std::unique_ptr<CUndoData> makeCanvasRecord(TPaper &paper, const CUndoObj &obj, udCmdName cn,
                                            int32_t n0, int32_t n1, int32_t n2, int32_t n3,
                                            SUndoExtras &extras);
// Undoes (bNowRedo false) or redoes the record, exchanging its lists with the document's; idx
// receives the layer to make active, box the area to refresh. False, the document as it was, when
// the record does not fit the document.
bool restoreCanvasRecord(CUndoData &rec, TPaper &paper, int32_t &idx, sBox &box);
