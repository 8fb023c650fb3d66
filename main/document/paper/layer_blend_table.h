// The layer blend table of the document: one row per layer mode with its display name, its
// colours, its two puts and its mixing flags, and the tables the layer merges choose their pixel
// functions from (the merge of each mode, and the pairs of modes that merge by a function of
// their own). The pixel functions and colours are those of the core's per-mode table
// (core/pixel/blend_modes.h); the background colour of a mode is the core's getLayerModeBgColor.
#pragma once

#include "core/pixel/blend_modes.h"
#include "core/pixel/layer_mix.h"
#include "core/tiles/layer_composite.h"

#include <QString>

#include <cstdint>

class TMTC;

struct SLayerParam
{
    TLayerMode mode;
    QString name;             // the display name
    sBGRA bg;                 // the fill and clear colour of a layer of this mode
    fptrPixelPut4core fnPutA; // the blend weighted by the source pixel's alpha
    fptrPixelPut4core fnPut;  // the blend that changes colour only, destination alpha kept
    sBGRA c0;                 // the neutral colour of the mode
    bsMixTypeFlag flags;      // TMixTypeFlag bits
};

// The row of mode & 0x7F, or nullptr when that is above 21.
const SLayerParam *getLayerParam(uint32_t mode);
inline const SLayerParam *getLayerParam(TLayerMode mode)
{
    return getLayerParam(uint32_t(mode));
}

// The display name of a mode; a mode outside the table leaves name as it is. It has the form of
// the lookup the blend-mode names of the painting library wait for (installLayerModeNameProc).
void getLayerModeName(TLayerMode mode, QString &name);
QString getLayerModeName(TLayerMode mode);

// Sets the colour bytes of every pixel of tc to the mode's background colour, keeping each alpha.
// Nothing happens for a mode outside the table.
void fillModeBgColor(TMTC &tc, TLayerMode mode);

// The pair of the level-1 layer blit: multiply, add and subtract have their own, every other mode
// the normal pair.
SOldBltProcs getOldBltProcs(TLayerMode mode);

// The merge function of the upper layer's mode when a layer is merged into the one below it;
// nullptr for a mode outside the table.
fptrPixelPut4core getLayerMergeProc(TLayerMode mode);

// How many rows of the special-pair table a merge version (the low 16 bits of ver) searches:
// 2, 2, 4 and 6 for the versions 0 to 3; -1 for any other version.
int32_t specialPairRowCount(uint32_t ver);
// The function of the first special pair (lower, upper) among the rows version ver searches;
// nullptr when there is none (or the version is unknown).
fptrPixelPut4core findSpecialMergeProc(TLayerMode lower, TLayerMode upper, uint32_t ver);

// The mix parameters of merging a layer of mode upper into one of mode lower: the larger neutral
// colour of the two rows, the upper row's flags (plus mtfNopSrcTP with nopSrcTP), the lower row's
// put as the plain one and the upper row's as the blend. False for a mode outside the table.
bool makeLayerMixParam(TLayerMode lower, TLayerMode upper, bool nopSrcTP, sTCMixParam &mix);
