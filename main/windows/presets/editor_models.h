// What the preset editors decide without a widget: the brush editor's kinds and the brush
// frame's type drop-downs, the stroke options' smoothing level, and the tone and gradient
// editors' arithmetic. The dialogs are thin layers over these.
#pragma once

#include "core/profile/tool_kinds.h"

#include <array>
#include <cstdint>

// Brush editor

// What the brush editor is opened for. The create kinds are edited exactly like the edit kinds:
// no procedure sets them, and a dialog without a list would have nothing to apply to.
enum class TBrushEditorType : uint8_t
{
    beCreatePenMtd,
    beCreatePenNib,
    beEditPenMtd,
    beEditPenNib,
};
// The nib kinds (a nib list, the nib frame alone); the others edit brushes.
bool isNibEditorType(TBrushEditorType type);

// The brush frame's two type drop-downs: the nine version-4 modes from pmPencil4 and the four
// version-5 modes from pmPencil5, in the modes' order.
enum class TBrushTypeList : uint8_t
{
    PM4,
    PM5,
};
inline constexpr int kPM4TypeCount = 9;
inline constexpr int kPM5TypeCount = 4;
// The mode an item of a drop-down names; false for an item outside the drop-down.
bool CurrentPaintMode(TBrushTypeList list, int item, TPaintMode &mode);
// The drop-down and item that show a mode; false for the modes of the older engines, which
// neither drop-down offers.
bool paintModeTypeItem(TPaintMode mode, TBrushTypeList &list, int &item);
// Whether the mode uses each of its three effect values.
std::array<bool, 3> supportedEffects(TPaintMode mode);
// The stroke options' smoothing level from its number field: rounded half to even (2.5 is 2,
// 3.5 is 4), as every rounding of a user value here.
int32_t smoothLevelFromNumber(float value);
