// The edit operations on a document's selection masks: the mask list commands (select all,
// delete, invert, make current, rename, insert, remove, duplicate, crop to the paper, move in the
// list, combine), a mask from a layer, growth and shrinking by one pixel, writing a mask into a
// layer's alpha, showing and enabling the selection and moving the current mask; with the queries
// and the marching-ants helpers they share.
//
// They follow the pattern of document/edit/edit_ops.h: the document first, the work image where
// pixels are touched (nullptr: the owner window's), the layer index, the operands, undo last.
// With undo the event is recorded under a withdraw guard and the undo record pushed after the
// change succeeded; a change that succeeded without its record discards all undo. Replayed
// operands are checked here: a bad one answers false and changes nothing.
#pragma once

#include "core/base/geometry.h"
#include "core/mask/mask_manager.h"

#include <QString>

#include <cstdint>
#include <memory>

class IPixelSink;
class TFlowImage;
class TPaper;

// How a mask is made from a layer.
enum class eMaskLayerConv : uint8_t
{
    mlcValue = 0, // from the pixel values, inverted
    mlcMask = 1,  // from the transparency
};

// ---- queries
bool hasActiveMask(const TPaper &paper);
// The current mask holds a selection.
bool hasActiveMaskImage(const TPaper &paper);
// The current mask is larger than the paper.
bool isActiveMaskExtend(const TPaper &paper);
CMaskData *getMaskData(const TPaper &paper, int32_t idx);
int32_t getMaskCount(const TPaper &paper);
// The current mask's value 0..255 at a canvas position (the window converts its own positions);
// -1 without a selection or outside the mask.
int32_t getViewMaskValue(const TPaper &paper, const sPos &canvasPos);
// The combination the modifier keys held now ask for; matNew while the current mask holds no
// selection. The old shortcut set (preference UseOldShortCut) reads them differently.
eMaskAddType getMaskAddType(const TPaper &paper);
// The same for given keys (the table both shortcut sets follow).
eMaskAddType maskAddTypeForKeys(bool shift, bool ctrl, bool alt, bool oldShortcuts);

// ---- the marching ants and the panels
// The outline of the current mask for psz (nullptr: the mask's own extent).
bool createAnts(TPaper &paper, const sSize *psz);
void setAntsOfs(TPaper &paper, const sPos &ofs);
sPos getAntsOfs(const TPaper &paper);
// Draws the ants only while the selection is shown.
bool showAnts(TPaper &paper, IPixelSink *dc, const sSize &sz);
void walkAnts(TPaper &paper);
// The mask panel's entry of mask midx (negative: the current one), or all of them.
void updateSelectWindow(TPaper &paper, int32_t midx);
void updateSelectWindowAll(TPaper &paper);
// bEnbMask := enb, bVisMask := vis, the ants rebuilt for the paper, the view invalidated.
void updateAnts(TPaper &paper, bool enb, bool vis);

// ---- undo helpers shared by the selection operations
// Pushes udcnMaskReplace with the old mask (n0 layer, n1 mask index, n2 the id now at the index);
// the record takes old. When it cannot be kept all undo goes.
void pushMaskReplace(TPaper &paper, int32_t idx, int32_t midx, std::unique_ptr<CMaskData> old);

// ---- operations (all answer whether they changed the document)
bool eventSelectAll(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
bool eventSelectDelete(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
bool eventSelectInvert(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
// Answers whether midx is now current (the mask count appends an empty mask).
bool eventSelectActivate(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo);
bool eventSelectName(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                     const QString &name, bool undo);
bool eventSelectInsert(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo);
bool eventSelectRemove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo);
bool eventSelectDuplicate(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo);
bool eventSelectCutOutside(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo);
bool eventSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midxDst,
                     int32_t midxSrc, bool undo);
bool eventSelectBind(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t dst, int32_t src,
                     eMaskAddType mat, bool undo);
// A new mask after midx from layer idx; mad > matAnd is refused, any other inserts the mask as
// built (there is nothing to combine with).
bool eventSelectFromLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                          eMaskLayerConv mlc, eMaskAddType mad, bool undo);
// Grows (inf) or shrinks the mask by one pixel; the first generation never grows past the mask
// image, the second enlarges the image on every side the selection touches.
bool eventSelectInflate(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool inf,
                        bool undo);
bool eventSelectInflate2(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool inf,
                         bool undo);
// The selected part of layer idx goes to a new layer above it (made active); unless copy, the
// source loses it (mask value 255 clears, other values by the rule of version ver, 0 or 1).
// Refused without a selection in mask midx, with the selection disabled or the layer hidden. The
// new layer is inserted before the source changes, so a failure leaves both as they were.
bool eventSelectSplitLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                           int32_t ver, bool copy, bool undo);
// Cuts the selected part of layer idx: with undo it is first copied to the clipboard (nothing
// happens when that fails), then the layer's alpha is lowered inside mask midx.
bool eventEditCutLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo);
// The selection is enabled, the active layer visible and the current mask holds a selection.
bool canSplitLayerWithMask(const TPaper &paper);
// The alpha of layer idx := the mask's values (0 outside it).
bool eventSelectCopyLayerMask(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                              bool undo);
// The current mask rebuilt from the text the caller rendered into the work image's coverage
// channel (layer coordinates), combined by the keys held (getMaskAddType); nothing is recorded
// here, the text tool records its own packet. The channel is cleared at the end.
bool eventSelectText(TPaper &paper, TFlowImage *flow, int32_t idx, const sBox *box, bool undo);
// Answer the flag's new value.
bool eventMaskVisible(TPaper &paper, bool sw, bool undo);
bool eventMaskEnable(TPaper &paper, bool sw, bool undo);
bool eventMoveActiveMask(TPaper &paper, const sPos &ofs, bool undo);

// The replay rows of these operations and the status operations of the current mask and the
// selection enabling.
void registerSelectionReplayRows();
