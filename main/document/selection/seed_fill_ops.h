// The bucket fill and the magic wand: the connected area around a clicked point of a target image
// (the layer alone or the visible composite) is marked in the work image's coverage channel by
// the seed filler of the painting engine, then painted (or erased) through it, or made the
// current selection. The recorded packets carry the whole coverage, so a replay paints the same
// area without filling again.
//
// Positions are in the layer's image coordinates and must lie on the part of the layer that covers
// the paper. A layer that reaches past the paper's left or top edge goes through the Ex variants.
#pragma once

#include "core/base/geometry.h"
#include "core/mask/mask_manager.h"

#include <cstdint>
#include <memory>

class TFlowImage;
class TMTC;
class TPaper;

enum class wandOptTarget : uint8_t
{
    wotLayer = 0, // the active layer alone
    wotVram = 1,  // the visible composite
};

// The squared colour-distance limit of tolerance t: 2 t^2.
int32_t wandDistanceLimit(int32_t t);
// The flood filler's tolerance: t capped at 255.
int32_t floodTolerance(int32_t t);

// A paper-sized target: the layer alone (cleared, then the layer at minus its view position), or
// the canvas colour (alpha 255 while it is shown, else 0) with every visible layer composed on
// it. nullptr when it cannot be made.
std::unique_ptr<TMTC> makeViewImage(TPaper &paper, int32_t idx, wandOptTarget target);
// The flood fill's target: 0x000000FF with the layer (or every visible layer) mixed onto it.
std::unique_ptr<TMTC> makeViewImage2(TPaper &paper, int32_t idx, wandOptTarget target);

// Fills (or erases) the area around pos with the active stroke, limited by the selection.
// False when the point fails or nothing is marked; a span stack that overflows shows
// "領域が複雑すぎます！" and changes nothing.
bool eventSeedFill(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos, bool anti,
                   bool erase, bool undo);
// Paints the work image's coverage channel (layer coordinates) into the layer.
bool eventSeedFill_Old(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos, bool anti,
                      bool erase, bool undo);
// The same after replacing the layer by a copy of size sz at origin ofs minus its view position;
// undo keeps the whole old layer.
bool eventSeedFillEx(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                     const sPos &ofs, const sSize &sz, bool anti, bool erase, bool undo);

// Makes the area around pos the current selection, combined by mat.
bool eventMagicWand(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                    eMaskAddType mat, bool anti, bool undo);
// The current mask rebuilt from the coverage channel (paper coordinates moved into the layer's).
bool eventMagicWand_Old(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                       eMaskAddType mat, bool anti, bool undo);
// The same with the coverage placed at ofs with size sz.
bool eventMagicWandEx(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                      const sPos &ofs, const sSize &sz, eMaskAddType mat, bool anti, bool undo);

// The flood fill of the streams recorded with it: target or limit below 0 means the preference.
// With a selection the seed must lie on it. The packet carries the seed and the options only, so
// a replay fills again.
bool eventFloodFill(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos, bool anti,
                    bool erase, bool undo, int32_t target, int32_t limit);
// The flood-fill wand: the current mask rebuilt from the area combined by mat.
bool eventMagicWand2(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                     eMaskAddType mat, bool anti, bool undo, int32_t target, int32_t limit);

// The replay rows of the coverage packets of fills and the wand (13/0-5) and of the flood fills
// (6/7-9).
void registerSeedFillReplayRows();
