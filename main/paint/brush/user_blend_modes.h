// The layer blend modes as the user sees them: the same 22 modes as TLayerMode, in the order of the
// user interface (menus, the blend-mode drop-down), mapped to and from the stored order by table.
#pragma once

#include "core/pixel/blend_modes.h"

#include <QString>

#include <cstdint>

enum class TBlendMode : uint8_t
{
    bmStandard,
    bmLighten,
    bmScreen,
    bmDodge,
    bmDodgeLinear,
    bmDarken,
    bmMultiple,
    bmBurn,
    bmBurnLinear,
    bmBurnLinearNega,
    bmOverlay,
    bmSoftlight,
    bmHardlight,
    bmVividlight,
    bmLinearlight,
    bmPinlight,
    bmDifference,
    bmExclusion,
    bmHue,
    bmSaturation,
    bmColor,
    bmLuminosity,
};
inline constexpr int kBlendModeCount = 22;

// Both mask their argument with 127. A value outside the table (LM_MAX_NUM included) gives
// bmStandard one way and LM_STD the other.
TLayerMode blendModeToLayerMode(TBlendMode bm);
TBlendMode layerModeToBlendMode(TLayerMode lm);

// The display name of a layer mode comes from the document's layer-mode table, a library above
// this one, which installs its lookup at start-up (tests install a fake). Returns the previous
// lookup; without one the name is left unchanged.
using fptrLayerModeName = void (*)(TLayerMode mode, QString &name);
fptrLayerModeName installLayerModeNameProc(fptrLayerModeName proc);

// The display name of the layer mode the blend mode maps to.
void getBlendModeName(TBlendMode bm, QString &name);
