// The brush vocabulary shared by the brush settings, the presets, the tool palettes and the event
// player: engine generations, the kinds of legacy pen slots and of method presets, which settings
// each brush engine uses, the fall-off curves as the user picks them, and the pure table lookups
// between them. Every lookup masks its enumeration argument with 127 (the values often come from
// bytes of files and events) and answers kNoEnumValue (255) outside its domain.
#pragma once

#include "core/profile/tool_kinds.h"
#include "paint/brush/legacy_pen_records.h"

#include <QString>

#include <cstdint>

inline constexpr uint8_t kNoEnumValue = 255;

// The engine generation of a brush.
enum class TPaintLevel : uint8_t
{
    pl1 = 0,
    pl2 = 1,
    pl4 = 2,
    pl5 = 3,
};

// The engine generation a document paints with (stored as one byte).
enum class ePaintLevel : uint8_t
{
    PAINT_LEVEL_qZ1 = 0,
    PAINT_LEVEL_qZ2 = 1,
    PAINT_LEVEL_qZ4 = 2,
    PAINT_LEVEL_qZ5 = 3,
};

// The two paint-level enumerations are parallel; this is the one mapping between them.
ePaintLevel paintLevelToEPaintLevel(TPaintLevel level);
// Answers false for a value outside ePaintLevel.
bool ePaintLevelToPaintLevel(ePaintLevel level, TPaintLevel &result);

// The eight tools of the legacy pen slots and the five slots of each.
enum class TPenParamQZ2Type : uint8_t
{
    pp2Pencil,
    pp2Eraser,
    pp2WaterColor,
    pp2AirBrush,
    pp2Blur,
    pp2FingerTip,
    pp2Burn,
    pp2Dodge,
};
inline constexpr int kPenParamQZ2TypeCount = 8;

enum class TPenSlotQZ2Type : uint8_t
{
    ps2Slot1,
    ps2Slot2,
    ps2Slot3,
    ps2Slot4,
    ps2Slot5,
};
inline constexpr int kPenSlotQZ2Count = 5;

using TPenParamQZ2Array = SPenParamQZ2[kPenParamQZ2TypeCount][kPenSlotQZ2Count];
using PPenParamQZ2Array = TPenParamQZ2Array *;

// The method kinds of the version-4 and version-5 presets.
enum class TPenMethodType : uint8_t
{
    pmtPencil,
    pmtEraser,
    pmtWaterColor,
    pmtAirBrush,
    pmtBlur,
    pmtFingerTip,
    pmtSpread,
    pmtBurn,
    pmtDodge,
    pmtPencil5,
    pmtEraser5,
    pmtWaterColor5,
    pmtAirBrush5,
};
inline constexpr int kPenMethodTypeCount = 13;

// The settings a brush engine may use; bit n of TPaintParamTypes is value n.
enum class TPaintParamType : uint8_t
{
    ppItemName,
    ppUserIcon,
    ppDensity,
    ppSpace,
    ppEffect1,
    ppEffect2,
    ppEffect3,
    ppPrsGamma,
    ppPrsDensity,
    ppPrsRadius,
    ppUseGradient,
    ppUseTone,
    ppInterpolateType,
    ppSmoothLevel,
    ppRadius,
    ppMinRadius,
    ppAspect,
    ppRotation,
    ppAirMap,
    ppFlat,
    ppAdd,
    ppShapeImage,
    ppSmoothEdge,
    ppDigitize,
};
inline constexpr int kPaintParamTypeCount = 24;

// A 32-bit set of TPaintParamType.
struct TPaintParamTypes
{
    uint32_t bits = 0;

    constexpr bool contains(TPaintParamType t) const { return (bits >> uint8_t(t)) & 1u; }
    constexpr TPaintParamTypes operator|(TPaintParamType t) const
    {
        return {bits | (1u << uint8_t(t))};
    }
    friend constexpr bool operator==(TPaintParamTypes, TPaintParamTypes) = default;
};

// The fall-off curves as the user interface offers them.
enum class TPaintAirMap : uint8_t
{
    pamLinear,
    pamGamma,
    pamFlat,
    pamCircle,
    pamSquare,
    pamRoundTop,
    pamPinTop,
    pamNo,
};

// Which set of fall-off curves a brush engine offers.
enum class TPaintAirMapType : uint8_t
{
    pamtNo,
    pamt2,
    pamt4,
};

// Stroke interpolation as the brush settings hold it (same numbering as eInterpolateType).
enum class TInterpolateType : uint8_t
{
    itLinear,
    itBSpline,
};

// Whether a value is one of the 22 paint modes (after the 127 mask).
bool isValidPaintMode(TPaintMode mode);

// Per-mode tables of the brush settings.
TPaintLevel paintModeToLevel(TPaintMode mode);
bool isLegacyPaintLevel(TPaintLevel level);
TPaintParamTypes getSupportParams(TPaintMode mode);
TPaintAirMapType getSupportAirMaps(TPaintMode mode);
// The mode's default brush name ("鉛筆", "消しゴム", ...); empty for an invalid mode.
QString getPaintModeDefaultName(TPaintMode mode);

// The mode of a tool: for pl1 and pl2 the level-1 mode of the legacy pen kind, for pl4 and pl5
// the mode of the method kind; any other level returns the third argument as a mode.
TPaintMode getPaintMode(TPaintLevel level, TPenMethodType methodType,
                        TPenParamQZ2Type penParamType);
TPaintMode penParamTypeToPaintMode(TPenParamQZ2Type penParamType);
TPenParamQZ2Type paintModeToPenParamType(TPaintMode mode);
TDrawMode penParamTypeToDrawMode(TPenParamQZ2Type penParamType);
TPenMethodType paintModeToMethodType(TPaintMode mode);

// The draw mode of a stroke of the older engines that paints like the mode.
TDrawMode paintModeToDrawMode(TPaintMode mode);
// False (mode unchanged) for a value outside the nine draw modes.
bool drawModeToPaintMode(TDrawMode drawMode, TPaintMode &mode);

// The short caption of an effect slider (kind 0, 1, 2 for effect 1, 2, 3); "効果" by default.
QString getEffectLabel(TPaintMode mode, int kind);
// The long caption of an effect of a brush of the mode ("効果の影響距離" for the third watercolour
// effect, otherwise as the short one).
QString getEffectName(TPaintMode mode, int kind);
