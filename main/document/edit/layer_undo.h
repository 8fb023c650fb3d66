// Undo and redo of a document: one step back or forward in the document-wide undo history and,
// while the document records, in the recorder's event history, which must stay in step with it.
#pragma once

#include "core/base/geometry.h"
#include "document/undo/undo_types.h"

#include <cstdint>

class TFlowImage;
class TPaper;

// Undoes the newest record (its layer's index in index, the changed part of the layer in rect).
// While recording, a recorder that holds fewer undoable events than the manager holds records is
// first warned about ("イベント状態の問題を修正しました!") and the manager trimmed to its limit;
// when the counts still disagree the undo is refused ("イベント記録に問題が検出されました!"),
// every undo discarded and the answer false. After the layer list changed, a failed event undo
// warns "failed to undo event!" and discards all undo; the answer stays true.
bool eventLayerUndo(TPaper &paper, TFlowImage *flow, int32_t &index, sRect &rect);
// The same forward; needs the document-wide manager. A recorder holding fewer redoable events
// than the manager is refused like undo, without the trim.
bool eventLayerRedo(TPaper &paper, TFlowImage *flow, int32_t &index, sRect &rect);
// The per-layer undo of a level-1 document: the layer's own last step, recomposed.
bool orgEventLayerUndo(TPaper &paper, TFlowImage *flow, int32_t index, sRect &rect);

// The refresh after an undo or redo by its update set (rect in layer coordinates; it may become
// the active layer's whole image). redo reloads the work image from the active layer whenever
// udutNoRefreshFlow is absent.
void refreshAfterUndo(TPaper &paper, TFlowImage *flow, int32_t index, sRect &rect, udUpdateType ut,
                      bool redo);
