// The edits that change the paper itself: canvas size with an anchor, crop, resolution in three
// generations of scalers, and trimming one layer to the paper. Each builds complete new lists
// beside the old ones and swaps them in, so that undo can swap the old ones back; when memory
// does not allow a new list the user may go on without undo and the change is made in place.
// Operands from outside (replay) are checked: sizes 1..kMaxPaperSide, anchors 0..8 (others give
// the offset (0, 0)), layer indices; a bad one answers false and changes nothing. With undo the
// low-memory question comes before anything is recorded: Cancel leaves document, stream and
// histories as they were.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>

class CLayerMngr;
class CMaskMngr;
class TFlowImage;
class TPaper;

// The anchor of a canvas resize, column by column: left, centre, right, each top, middle, bottom.
enum class pgType : uint8_t
{
    pgtTL = 0,
    pgtL = 1,
    pgtBL = 2,
    pgtT = 3,
    pgtC = 4,
    pgtB = 5,
    pgtTR = 6,
    pgtR = 7,
    pgtBR = 8,
};

// Where the old content lands in the new canvas: with dx = new width - old width, dy likewise,
// 0, dx / 2 or dx across and 0, dy / 2 or dy down by the anchor (halves truncated toward zero);
// any other place gives (0, 0).
void anchorOffset(const sSize &newSize, const sSize &oldSize, sPos &pos, int32_t place);

// ---- swapping whole lists
// Puts a new layer list in place and hands back the old one: the undo manager's owner becomes the
// new list and the paper becomes w x h (work, display, clipping and zoom images with it).
std::unique_ptr<CLayerMngr> replaceLayerMngr(TPaper &paper, int32_t w, int32_t h,
                                             std::unique_ptr<CLayerMngr> mngr);
// Puts a new mask list in place and hands back the old one: every mask preview and the mask panel
// rebuilt, the marching ants rebuilt in the new list for (w, h) when the old had them, the old
// list's ants dropped.
std::unique_ptr<CMaskMngr> replaceMaskMngr(TPaper &paper, int32_t w, int32_t h,
                                           std::unique_ptr<CMaskMngr> mngr);
// Every mask moves by pos on the paper (view positions lowered by pos); the ants follow. False
// without masks.
bool moveMask(TPaper &paper, const sPos &pos);
// Rebuilds the ants for the paper size when the mask list has them.
bool remakeAnts(TPaper &paper);

// ---- canvas size
// ver != 0 copies every layer attribute (0: titles only, as old streams did).
bool eventEditResize(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, int32_t place,
                     uint8_t ver, bool undo);
// The oldest form: every layer becomes width x height, cleared, with its paper area put back at
// the anchor.
bool orgEventEditResize(TPaper &paper, TFlowImage *flow, int32_t width, int32_t height,
                        int32_t place);
// In place, without undo: each layer's new image is made before the old one goes. Failing
// part-way, the layers already converted get back their view (their images still hold the old
// paper) and the answer is false with the document unchanged.
bool resizeCanvasInPlace(TPaper &paper, TFlowImage *flow, const sSize &size, int32_t place);

// ---- crop to box (in paper coordinates); idx names the active layer of the recording
bool eventEditCrop(TPaper &paper, TFlowImage *flow, int32_t idx, const sBox &box, bool undo,
                   uint16_t ver);

// ---- resolution: method 1 (averaged reduction), 2 (area average), 2 weighted by alpha
bool eventEditResolutionOld(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                            bool undo);
bool eventEditResolutionHQ(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                           bool undo);
bool eventEditResolutionHQ2(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                            bool undo);
// The oldest form: every layer reduced to width x height by averaging.
bool orgEventEditResolution(TPaper &paper, TFlowImage *flow, int32_t width, int32_t height);
// In place, without undo. Resampled pixels cannot be taken back: running out of memory stops at a
// layer (the memory message, false), each layer wholly converted or untouched, every view size
// still the paper's.
bool changeResolutionOldInPlace(TPaper &paper, TFlowImage *flow, const sSize &size);
bool changeResolutionHQInPlace(TPaper &paper, TFlowImage *flow, const sSize &size);
bool changeResolutionHQ2InPlace(TPaper &paper, TFlowImage *flow, const sSize &size);

// ---- trim: layer idx cut to the paper; false when its image does not reach past the paper
bool eventLayerCutOutside(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo);
