// The document's side of the free transform: starting a transform of the selection (and of the
// active layer's pixels inside it), passing drags and keyboard moves on, ending it with or without
// applying, replaying a recorded transform, and the three undo pushes the transform makes when it
// is applied. The running transform is TPaper::FFreeTransformer.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>

class CMaskData;
class TPaper;

// The active layer has visible pixels and, when the current mask holds a selection, its rectangle
// and the layer's visible rectangle overlap (touching edges count).
bool canLayerTransform(const TPaper &paper);
// A transform of the selection alone; false (no transform left) when no frame can be made.
bool doSelectTransform(TPaper &paper);
// A transform of the layer's pixels (inside the selection when one exists) and the selection;
// without visible layer pixels the selection alone. When neither can start the warning shows and
// no transform remains.
bool doLayerTransform(TPaper &paper);
// Applies (with apply, when a mapping was made) or cancels, then frees the transform. Answers
// whether the document holds the applied result.
bool doTransformEnd(TPaper &paper, bool apply);
// Window coordinates.
void doTransformDragStart(TPaper &paper, const sPos &pos);
void doTransformDrag(TPaper &paper, const sPos &pos, int32_t dx, int32_t dy);
void doTransformDragEnd(TPaper &paper);
// Document pixels.
void doTransformKeyMove(TPaper &paper, const sFPos &ofs);
// "レイヤー内に何も含まれていないため変形できません。", caption "警告 (<application title>)".
void cannotTransformDialog(TPaper &paper);

// The replay entry: the recorded corners (top-left, top-right, bottom-right, bottom-left) applied
// to the selection (code 32), the layer (56) or both (57) without undo. Any other code changes
// nothing. Corners must be finite and within +-2^24; false otherwise and when nothing could be
// applied. No transform remains afterwards.
bool eventFreeTransform(TPaper &paper, const sFPos &topLeft, const sFPos &topRight,
                        const sFPos &bottomRight, const sFPos &bottomLeft, bool simple,
                        uint8_t code);

// The undo pushes of an applied transform; each answers whether the record was kept. The masks
// handed in are out of the document's list (the result has replaced them) and go to the record,
// or are freed when it cannot take them.
bool pushUndoFreeLyrAndMaskTrans(TPaper &paper, int32_t lyrIdx, int32_t maskIdx,
                                 std::unique_ptr<CMaskData> formerMask);
bool pushUndoFreeLyrTrans(TPaper &paper, int32_t index, sBox box);
bool pushUndoFreeMaskTrans(TPaper &paper, std::unique_ptr<CMaskData> bkupMask, int32_t lyrIdx,
                           int32_t maskIdx, int32_t maskUniqueID);

// The replay rows 4/56, 4/57 and 10/32.
void registerTransformReplayRows();
