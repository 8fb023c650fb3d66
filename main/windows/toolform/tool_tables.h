// The tool window's fixed tables, free of widgets: each tool detail with its button, glyph and
// whether the tool opacity applies; the sixteen tool buttons with their places and menus; which
// value a dragged glyph label drives; what each shortcut command does in the tool window; and
// the guard values of the palette handlers.
#pragma once

#include "core/base/geometry.h"
#include "core/profile/glyph_types.h"
#include "core/profile/tool_kinds.h"
#include "ui/graphics/glyph_manager.h" // toolDetailToGlyphType

#include <array>
#include <cstdint>
#include <span>

struct SToolDetailRow
{
    TToolDetail detail;
    TToolKind kind;
    TqZGlyphType glyph;
    bool opacity; // the tool-opacity field applies
};
const std::array<SToolDetailRow, kToolDetailCount> &toolDetailRows();
TToolKind toolDetailToToolKind(TToolDetail detail);
bool toolDetailHasOpacity(TToolDetail detail);
// The detail each button starts with.
std::array<TToolDetail, kToolKindCount> initialLastTools();

// ---- tool buttons and their menus

struct SToolMenuItem
{
    const char *caption; // "-": a separator
    TToolDetail detail;
};
struct SToolButtonRow
{
    TToolKind kind;
    sRect bounds; // left, top, right, bottom in the window's client
    TqZGlyphType glyph;
    const char *hint;
    std::span<const SToolMenuItem> menu; // empty: the button has none
    bool leftButtonMenu;                 // the painting tools' menus open on the left button
};
// In TToolKind order (buttonToolKind is the index).
const std::array<SToolButtonRow, kToolKindCount> &toolButtonRows();
bool isMenuSeparator(const SToolMenuItem &item);

// ---- dragged glyph labels: the value each one drives
enum class TGlyphLabelTarget : uint8_t
{
    ToolDensity,
    BrushSpace,
    BrushEffect1,
    BrushEffect2,
    BrushEffect3,
    NibRadius, // the nib-image scale while that field shows
    NibMinRadius,
    GradRepeat,
    DisplayScale,
    DisplayRotation,
    LayerDensity,
};

// ---- shortcut commands in the tool window
enum class TToolKeyAction : uint8_t
{
    None,
    SelectTool,      // kind: the tool button
    ExchangeColors,
    ToolDensity,     // value: the opacity in percent
    BrushStep,       // value: -1 previous, +1 next
    NibSizeNext,
    NibSizePrev,
    LayerUp,
    LayerDown,
    SelectLayerAbove,
    SelectLayerBelow,
};
struct SToolKeyCommand
{
    TToolKeyAction action = TToolKeyAction::None;
    TToolKind kind = TToolKind::tkPencil;
    int32_t value = 0;
};
SToolKeyCommand toolKeyCommand(int32_t command);

// ---- the guard values of the palette handlers, bit n for the n-th value
enum class TPaletteState : uint8_t
{
    psNone,
    psToolModeUpdate,
    psToolDensityUpdate,
    psSeedRangeUpdate,
    psToolAntiAliasUpdate,
    psPenSpaceUpdate,
    psBrushEffectUpdate,
    psPressureGammaUpdate,
    psNibShapeScaleUpdate,
    psNibRadiusUpdate,
    psNibMinRadiusUpdate,
    psNibAspectUpdate,
    psNibRotationUpdate,
    psNibAirMapUpdate,
    psNibFlatUpdate,
    psNibAddUpdate,
    psNibUsePressureScaleUpdate,
    psNibUsePressureDensityUpdate,
    psPaintParamChange,
    psOptionUpdate,
    psStylusSwitchUpdate,
    psGradientUpdate,
    psGradAttrUpdate,
    psToneUpdate,
    psDisplayCenterUpdate,
    psDisplayScaleUpdate,
    psDisplayRotationUpdate,
    psColorUpdate,
    psGrabberControlUpdate,
    psLayerBlendUpdate,
    psLayerDensityUpdate,
    psToolNameUpdate,
    psChangeToolMode,
};
inline constexpr int kPaletteStateCount = 33;

// ---- cursors: the standard rows of the cursor table
int32_t standardToolCursor(TToolSubKind kind);
int32_t standardBrushCursor(TPaintMode mode);
