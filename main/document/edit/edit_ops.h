// What every edit operation of a document shares: the state of its undo, the error boxes, the
// refresh of the work image and the view after a change, the active layer, and the queries on
// indices and layer rectangles.
//
// Every edit operation (document/edit/layer_list_ops.h, layer_attr.h, ...) takes the document
// first, then the work image where it touches pixels or the active layer (nullptr: the owner
// window's), the layer index, its operands and last undo. With undo it records its event through
// a CEventRecordGuard and pushes its undo record; the guard withdraws the packet unless the
// change succeeded, so a failed operation leaves document, stream and both histories as they
// were. Without undo (replay, internal calls) nothing is recorded or pushed.
#pragma once

#include "core/base/geometry.h"
#include "document/events/event_manager.h"

#include <cstdint>
#include <exception>

class TFlowImage;
class TPaper;

// The message of an operation that could not make its layer or keep its undo copy.
extern const char16_t *const kEditMemoryMessage;

// ---- undo state
// With the document-wide manager its canUndo / canRedo, else the layer's own history.
bool CanLayerUndo(const TPaper &paper, int32_t index);
bool canLayerRedo(const TPaper &paper, int32_t idx);
// Every undo and redo record of the manager and, while recording, the recorder's event undo.
void disposeUndoAll(TPaper &paper);
// Every layer's own history, then disposeUndoAll.
void EventEditUndoDispose(TPaper &paper);
// The places of the recorder's event ring for an undo limit: undoMax + 34, at least 8.
int32_t eventUndoDepth(int32_t undoMax);
// Applies the preference undoMax: the event ring re-sized to eventUndoDepth for undo and redo,
// then the manager's limits set to undoMax. On failure the warning "アンドゥ回数の変更に失敗しました!".
// False, nothing done, without a document-wide manager.
bool dispatchUndoCount(TPaper &paper);
// Bytes held by undo: the manager's, or the layers' own histories.
uint64_t calcUndoMemSize(const TPaper &paper);
// The document's bytes: display image width x height x 9, the layers (also into layer), the
// rotation and mixing images, the masks, and undo (also into undo).
uint64_t UsedMemory(const TPaper &paper, uint64_t &layer, uint64_t &undo);

// ---- error boxes, called from the operations' exception handlers
// "メモリ不足のため実行できませんでした！"; nothing else changes.
void err_memHandler();
// "例外発生のため実行できません！", then, with an exception, a second box with its text.
void err_stdHandler(const std::exception *e);

// ---- work image and view
// With f2l the whole work image goes into layer index (opacity 255), else the layer into the work
// image; then the work image's coverage channel is cleared.
void RefreshFlow(TPaper &paper, TFlowImage *flow, int32_t index, bool f2l);
// The same for r (layer coordinates; nullptr: the whole image) clipped to the work image; into
// the layer also drops uniform blocks.
void RefreshFlow(TPaper &paper, TFlowImage *flow, int32_t index, const sRect *r, bool f2l);
// Makes a valid layer current, sets the active stroke's protection from it and binds the work
// image to it (reloaded when it did not hold the layer, or always with force). False for an
// invalid index.
bool setActiveLayer(TPaper &paper, TFlowImage *flow, int32_t idx, bool force = false);
// setActiveLayer, then the tool window's layer and mask panels. Records nothing.
bool EventLayerActive(TPaper &paper, TFlowImage *flow, int32_t index, bool force = false);
// After a change of a box of layer idx (layer coordinates; the whole image for the first form):
// RefreshFlow in the direction f2l, the box recomposed and previewed in paper coordinates, the
// view invalidated, the panels refreshed.
void refreshView(TPaper &paper, TFlowImage *flow, int32_t idx, bool f2l);
void refreshView(TPaper &paper, TFlowImage *flow, int32_t idx, const sBox &box, bool f2l);
// After a change of canvas size: the work image re-sized and reloaded from layer idx, the whole
// display recomposed, the window's scroll bars reset (repos) and the window refreshed
// (refreshAfterEvent(repos, true, true)), the caption updated.
void dispatchCanvasSize(TPaper &paper, TFlowImage *flow, int32_t idx, bool repos);

// ---- queries
// 0 <= idx <= MaxLayer.
bool isIndexValid(const TPaper &paper, int32_t idx);
// ar := the paper rectangle grown to hold the rectangle of every valid layer of idx .. idx + cnt -
// 1 (all layers for the second form); answers the number of layers taken.
int32_t findMaxRect(const TPaper &paper, int32_t idx, int32_t cnt, sRect &ar);
int32_t findMaxRect(const TPaper &paper, sRect &ar);
// The same over the layers whose visibility is vis.
int32_t findMaxVisRect(const TPaper &paper, int32_t idx, int32_t cnt, sRect &ar, bool vis);
int32_t findMaxVisRect(const TPaper &paper, sRect &ar, bool vis);
// The square of the display image a turned view draws to cover sbox: half side s = round(sqrt(2)
// x m x z / 2) + 1 for zoom z >= 1, round(sqrt(2) x m / z) + 1 below (m the larger side), about
// the centre (round(x + w / 2), round(y + h / 2)); rounding half to even.
sBox calcViewBox(const TPaper &paper, const sBox &sbox);

// ---- recording (for the operations of this family)
// Records with rec() when undo is on and the recorder records; true when nothing had to be
// recorded, else rec()'s answer.
template <class F> bool recordEvent(CEventMngr &ev, bool undo, F &&rec)
{
    return !undo || !ev.isRecording() || rec();
}
// The flow given, or the owner window's work image.
TFlowImage *flowOrOwner(TPaper &paper, TFlowImage *flow);
