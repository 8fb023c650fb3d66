// Replay of the oldest generation's event stream (`.wpe`) on a document, one instruction per step,
// and the two operations only that stream uses: the solo visibility toggle and the merge of the
// visible layers.
//
// The stream comes from outside. Beyond the completeness test (a record not wholly there yet is
// left for a later step), every operand is checked before anything is applied: layer indices
// (a stroke's draw layer too) against the layer count, a blend mode of 0..3 for a new layer and
// 0..21 for a mode change, canvas sizes in 1..10000, an anchor of 0..8, polygon counts not
// negative. A record that fails answers false, changes nothing and is read past.
#pragma once

#include <array>
#include <cstdint>

class IPaperOwner;
class TEventPacket;
class TFlowImage;
class TPaper;
class TStroke;

// Version-1.1 documents have at most this many layers: the cut and fill instructions act only on
// layer indices below it.
inline constexpr int32_t kLegacyCutLayers = 24;

// The anchor of a version-1.1 canvas resize numbers the 3 x 3 grid row by row (0 top left, 1 top
// centre, 2 top right, 3 middle left ...); the program numbers it column by column (0 top left,
// 1 middle left, 2 bottom left, 3 top centre ...). An anchor outside 0..8 answers -1.
inline constexpr std::array<uint8_t, 9> kLegacyAnchorTable = {0, 3, 6, 1, 4, 7, 2, 5, 8};
constexpr int32_t legacyAnchorToPgType(uint8_t anchor)
{
    return anchor < kLegacyAnchorTable.size() ? kLegacyAnchorTable[anchor] : -1;
}

// One step. True: the replay goes on (also when the next record has not wholly arrived and nothing
// was done). False: the stream ended (end code, 520, a code outside the table) or the record was
// refused. refresh: the caller refreshes the view after this step. inst: the code read (kept
// while a stroke's points are replayed). flow nullptr: the owner's flow image.
bool EventAnalyze(TPaper &paper, TFlowImage *flow, TEventPacket &event, TStroke &stroke,
                  IPaperOwner *handle, bool &refresh, uint16_t &inst);

// Solo toggle: every other layer takes the visibility layer index had, the layer the opposite.
// False for an index outside the list.
bool orgEventLayerVisibleFlip(TPaper &paper, int32_t index);

// More than one layer is visible and all visible layers have the blend mode of the lowest one.
bool CanLayerCombine(const TPaper &paper);
// Merges the visible layers into the lowest visible one, pair by pair from the bottom, through a
// work image of the paper's size: its colour bytes the neutral colour of the lowest layer's mode,
// the lowest and then the next layer composed into it (alpha then 255 with the newer procedures),
// copied into the lowest layer at full strength, which becomes opaque-opacity (255); the other
// layer goes without undo. Then layer 0 is active. False, nothing changed, when CanLayerCombine
// says no or the work image cannot be had.
bool EventLayerCombine(TPaper &paper, TFlowImage *flow);
