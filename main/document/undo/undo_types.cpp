#include "document/undo/undo_types.h"

#include <array>
#include <cstddef>

namespace {

using enum udDataType;
using enum udUpdateFlag;

struct SUndoCmdRow
{
    udDataType kind;
    udUpdateType update;
};

// Indexed by udCmdName.
constexpr std::array<SUndoCmdRow, kUndoCmdCount> kUndoCmdTable{{
    {uddtImage, {}},                                             // 0 nothing
    {uddtImage, {}},                                             // 1 image box
    {uddtImage, {}},                                             // 2 image all
    {uddtImage, {}},                                             // 3 stroke
    {uddtImage, {}},                                             // 4 font
    {uddtImage, {}},                                             // 5 paste
    {uddtImage, {}},                                             // 6 filter
    {uddtCmd, {}},                                               // 7 flip LR
    {uddtCmd, {}},                                               // 8 flip TB
    {uddtCmd, {}},                                               // 9 not
    {uddtCmd, {}},                                               // 10 rot 180
    {uddtCmd, {}},                                               // 11 not alpha
    {uddtCmd, {udutAll}},                                        // 12 vis flip LR
    {uddtCmd, {udutAll}},                                        // 13 vis flip TB
    {uddtCmd, {udutAll}},                                        // 14 vis not
    {uddtCmd, {udutAll}},                                        // 15 vis rot 180
    {uddtAlpha, {udutHeavy, udutPtr}},                           // 16 alpha fill
    {uddtValue, {udutAll}},                                      // 17 paper colour
    {uddtValue, {udutAll, udutNoRefreshFlow, udutChgLayerView}}, // 18 opacity
    {uddtValue, {udutAll, udutNoRefreshFlow}},                   // 19 group opacity
    {uddtValue, {udutAll, udutNoRefreshFlow, udutChgLayerView}}, // 20 dither
    {uddtValue, {udutAll, udutNoRefreshFlow, udutChgLayerView}}, // 21 mode
    {uddtValue, {udutAll, udutNoActiveLayer, udutNoRefreshFlow, udutChgLayerView}}, // 22
    {uddtValue, {udutAll}},                                                         // 23 position
    {uddtValue, {udutLayer, udutMask, udutAnts}},         // 24 position with selection
    {uddtValue, {udutLayer, udutNoChgView}},              // 25 name
    {uddtValue, {udutLayer}},                             // 26 protection
    {uddtValue, {udutAll, udutCanvas, udutChgLayerView}}, // 27 clipping
    {uddtComplex, {udutAll, udutCanvas, udutHeavy}},      // 28 bind clipping group
    {uddtComplex, {udutAll, udutPtr}},                    // 29 release clipping group
    {uddtImage, {}},                                      // 30 layer free transform
    {uddtComplex, {udutAll, udutCanvas, udutHeavy}},      // 31 layer and mask transform
    {uddtComplex, {udutAll, udutHeavy}},                  // 32 add
    {uddtComplex, {udutAll, udutHeavy}},                  // 33 delete
    {uddtComplex, {udutAll, udutHeavy}},                  // 34 duplicate
    {uddtComplex, {udutAll, udutHeavy}},                  // 35 paste layer
    {uddtComplex, {udutAll}},                             // 36 move layer
    {uddtComplex, {udutAll, udutActSize, udutHeavy}},     // 37 merge down
    {uddtComplex, {udutAll, udutHeavy}},                  // 38 merge all
    {uddtComplex, {udutAll, udutCanvas, udutHeavy}},      // 39 move position
    {uddtComplex, {udutAll, udutCanvas, udutHeavy, udutMask, udutAnts}}, // 40
    {uddtComplex, {udutAll, udutHeavy}},                                 // 41 replace layer
    {uddtComplex, {udutAll, udutHeavy, udutPtr}},                        // 42 split with mask
    {uddtComplex, {udutAll, udutHeavy, udutLayer}},                      // 43 make group
    {uddtComplex, {udutAll, udutHeavy, udutPtr}},                        // 44 delete group
    {uddtComplex, {udutAll, udutCanvas, udutHeavy}},                     // 45 bind group
    {uddtComplex, {udutAll, udutHeavy}},                                 // 46 delete group layers
    {uddtComplex, {udutAll, udutLayer}},                                 // 47 move group
    {uddtComplex, {udutAll, udutCanvas, udutHeavy}},                     // 48 move group position
    {uddtComplex, {udutAll, udutCanvas, udutHeavy, udutMask, udutAnts}}, // 49
    {uddtComplex, {udutLayer, udutNoChgView}},                           // 50 link
    {uddtComplex, {udutAll, udutCanvas, udutHeavy}},                     // 51 move linked
    {uddtComplex, {udutAll, udutCanvas, udutHeavy, udutMask, udutAnts}}, // 52
    {uddtComplex, {udutAll, udutPtr}},                                   // 53 show only one
    {uddtComplex, {udutAll, udutPtr}},                                   // 54 show all
    {uddtComplex, {udutAll, udutPtr}},                                   // 55 flip visibility
    {uddtComplex, {udutAll, udutPtr, udutNoActiveLayer, udutNoRefreshFlow}}, // 56
    {uddtComplex, {udutAll, udutCanvas}},                                    // 57 rotate 90
    {uddtComplex, {udutAll, udutCanvas, udutRepos, udutHeavy}},              // 58 canvas size
    {uddtComplex, {udutAll, udutCanvas, udutRepos, udutHeavy}},              // 59 resolution
    {uddtComplex, {udutAll, udutCanvas, udutRepos, udutHeavy}},              // 60 crop
    {uddtMask, {udutHeavy, udutMask, udutAnts}},                             // 61 insert mask
    {uddtMask, {udutHeavy, udutMask, udutAnts}},                             // 62 insert mask, kept
    {uddtMask, {udutHeavy, udutMask, udutAnts}},                             // 63 remove mask
    {uddtMask, {udutHeavy, udutMask, udutAnts}},                             // 64 replace mask
    {uddtMask, {udutMask, udutAnts}},                                        // 65 activate
    {uddtMask, {udutMask, udutAnts}},                                        // 66 move
    {uddtMask, {udutMask, udutAnts}},                                        // 67 invert
    {uddtMask, {udutMask, udutAnts}},                                        // 68 move position
    {uddtMask, {udutMask}},                                                  // 69 state
    {uddtMask, {udutHeavy, udutMask, udutAnts}},                             // 70 bind
    {uddtMask, {udutNoChgView}},                                             // 71 rename
}};

// A missing row would read as kind nothing.
static_assert([] {
    for (const SUndoCmdRow &row : kUndoCmdTable)
        if (row.kind == uddtNothing)
            return false;
    return true;
}());

} // namespace

udDataType getUndoCmdDataType(udCmdName cn)
{
    const auto i = size_t(cn);
    return i < kUndoCmdTable.size() ? kUndoCmdTable[i].kind : uddtNothing;
}

udUpdateType getUndoCmdUpdateType(udCmdName cn)
{
    const auto i = size_t(cn);
    return i < kUndoCmdTable.size() ? kUndoCmdTable[i].update : udUpdateType{};
}

bool toUndoCmd(int32_t n, udCmdName &cn)
{
    if (n < 0 || n >= kUndoCmdCount)
        return false;
    cn = udCmdName(n);
    return true;
}
