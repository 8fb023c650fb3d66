// The image menu's fixed-rule edits: mirror, flip, invert and half-turn one layer (whole, or inside
// the selection), every visible or every layer, turn one layer by a quarter or by an angle, scale
// one layer, and turn the whole image by a quarter. They follow the pattern of edit_ops.h: with
// undo they record their packet under the recorder's withdraw guard and push their undo record;
// a failure leaves document, stream and histories as they were.
#pragma once

#include "document/undo/undo_types.h"

#include <cstdint>

class TFlowImage;
class TPaper;

// The message of a pixel command that could not be applied.
extern const char16_t *const kLayerCommandFailedMessage;

// ---- one layer, whole image
// cn is one of udcnCmdFlipLR, FlipTB, Not, Rot180 (the several-layer kinds act as these). The
// record of a command undoes by applying it again, so it is taken after the change.
bool eventLayerCmd(TPaper &paper, TFlowImage *flow, int32_t index, udCmdName cn, bool undo);
bool orgEventLayerUpsideDown(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
bool orgEventLayerMirror(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
bool orgEventLayerNegaposi(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);
bool orgEventLayer180(TPaper &paper, TFlowImage *flow, int32_t index, bool undo);

// ---- one layer, inside the selection of mask midx (negative: the current mask)
// Without a selection (or with an empty one) the whole-layer command. The selection's bounding
// box (in layer coordinates) is transformed and written back through the mask: colours and alpha
// with noprt, colours only otherwise.
bool eventLayerCmdEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, udCmdName cn,
                     bool noprt, bool undo);
bool eventLayerFlipLR(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
bool eventLayerFlipTB(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
bool eventLayerNega(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
bool eventLayerRot180(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);

// ---- one layer replaced by a turned or scaled copy, fitted to its content and the paper
bool eventLayerRotate90(TPaper &paper, TFlowImage *flow, int32_t idx, bool right, bool undo);
// deg clockwise; non-finite angles are refused. The second form weights colours by alpha.
bool eventLayerRotate(TPaper &paper, TFlowImage *flow, int32_t idx, float deg, bool undo);
bool eventLayerRotate2(TPaper &paper, TFlowImage *flow, int32_t idx, float deg, bool undo);
// w, h >= 1.
bool eventLayerZoom(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h, bool undo);
bool eventLayerZoom2(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                     bool undo);

// ---- several layers: cn is one of udcnCmdVisFlipLR, VisFlipTB, VisNot, VisRot180 (any other
// kind is refused, with or without undo). The undo record keeps the ids of the layers changed.
bool eventVisLayerCmd(TPaper &paper, TFlowImage *flow, udCmdName cn, bool undo);
bool eventAllLayerCmd(TPaper &paper, TFlowImage *flow, udCmdName cn, bool undo);
bool EventEditUpsideDown(TPaper &paper, TFlowImage *flow, bool all);
bool EventEditMirror(TPaper &paper, TFlowImage *flow, bool all);
bool EventEditNegaPosi(TPaper &paper, TFlowImage *flow, bool all);
bool EventEdit180(TPaper &paper, TFlowImage *flow, bool all);

// ---- the whole image turned by a quarter (clockwise with right)
// Every layer is turned into a new image first; only when all are made are they swapped in, with
// view positions and sizes turned, and the paper becomes (height, width). On failure the message
// "メモリ不足により回転の実行に失敗しました！" and false, the document as it was.
bool doRot90(TPaper &paper, bool right);
bool EventEditRotate(TPaper &paper, TFlowImage *flow, bool right, bool undo);
