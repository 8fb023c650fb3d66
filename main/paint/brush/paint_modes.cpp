#include "paint/brush/paint_modes.h"

#include <array>

namespace {

using enum TPaintParamType;

constexpr TPaintParamTypes params(std::initializer_list<TPaintParamType> list)
{
    TPaintParamTypes set;
    for (TPaintParamType t : list)
        set = set | t;
    return set;
}

// The settings shared by every version-4 and version-5 brush.
constexpr TPaintParamTypes kLevel4Params =
    params({ppItemName, ppUserIcon, ppDensity, ppSpace, ppPrsGamma, ppPrsDensity, ppPrsRadius,
            ppUseGradient, ppUseTone, ppRadius, ppMinRadius, ppAspect, ppRotation, ppAirMap, ppFlat,
            ppAdd, ppShapeImage, ppDigitize});
constexpr TPaintParamTypes kLevel4Effect1 = kLevel4Params | ppEffect1;
constexpr TPaintParamTypes kLevel4Effects = kLevel4Effect1 | ppEffect2 | ppEffect3;
constexpr TPaintParamTypes kLevel5Params = kLevel4Params | ppInterpolateType | ppSmoothLevel;
constexpr TPaintParamTypes kLevel5Effects = kLevel5Params | ppEffect1 | ppEffect2 | ppEffect3;
constexpr TPaintParamTypes kBurnDodge1 =
    params({ppDensity, ppSpace, ppEffect1, ppPrsGamma, ppPrsDensity, ppPrsRadius, ppUseTone,
            ppRadius, ppMinRadius, ppAirMap});

struct ModeRow
{
    TPaintMode mode;
    TPaintLevel level;
    TPaintAirMapType airMaps;
    TPaintParamTypes params;
    const char16_t *name;
    TDrawMode drawMode;
};

using L = TPaintLevel;
using A = TPaintAirMapType;
using D = TDrawMode;
using enum TPaintMode;

constexpr std::array<ModeRow, kPaintModeCount> kModes = {{
    {pmPencil1, L::pl2, A::pamtNo,
     params({ppDensity, ppPrsGamma, ppPrsDensity, ppPrsRadius, ppUseGradient, ppUseTone, ppRadius,
             ppMinRadius}),
     u"鉛筆", D::DM_PEN},
    {pmEraser1, L::pl2, A::pamtNo,
     params(
         {ppDensity, ppPrsGamma, ppPrsDensity, ppPrsRadius, ppRadius, ppMinRadius, ppSmoothEdge}),
     u"消しゴム", D::DM_ERASE},
    {pmWaterColor1, L::pl2, A::pamtNo,
     params({ppDensity, ppEffect1, ppEffect2, ppEffect3, ppPrsGamma, ppPrsDensity, ppPrsRadius,
             ppUseGradient, ppUseTone, ppRadius, ppMinRadius, ppSmoothEdge}),
     u"透明水彩", D::DM_WC},
    {pmAirBrush1, L::pl2, A::pamt2,
     params({ppDensity, ppSpace, ppPrsGamma, ppPrsDensity, ppPrsRadius, ppUseGradient, ppUseTone,
             ppRadius, ppMinRadius, ppAirMap}),
     u"エアーブラシ", D::DM_AIRBRUSH},
    {pmBlur1, L::pl2, A::pamtNo,
     params({ppDensity, ppEffect1, ppPrsGamma, ppPrsRadius, ppUseTone, ppRadius, ppMinRadius}),
     u"ぼかし", D::DM_BLUR},
    {pmBlur2, L::pl1, A::pamtNo,
     params({ppDensity, ppEffect1, ppPrsGamma, ppPrsRadius, ppRadius, ppMinRadius}), u"ぼかし",
     D::DM_BLUR2},
    {pmFingerTip1, L::pl2, A::pamt2,
     params({ppDensity, ppSpace, ppPrsGamma, ppPrsDensity, ppPrsRadius, ppUseTone, ppRadius,
             ppMinRadius, ppAirMap}),
     u"指先", D::DM_RUBPEN},
    {pmBurn1, L::pl2, A::pamt2, kBurnDodge1, u"焼き込み", D::DM_DARKEN},
    {pmDodge1, L::pl2, A::pamt2, kBurnDodge1, u"覆い焼き", D::DM_LIGHTEN},
    {pmPencil4, L::pl4, A::pamt4, kLevel4Params, u"鉛筆", D::DM_PEN},
    {pmEraser4, L::pl4, A::pamt4, kLevel4Params, u"消しゴム", D::DM_ERASE},
    {pmWaterColor4, L::pl4, A::pamt4, kLevel4Effects, u"透明水彩", D::DM_WC},
    {pmAirBrush4, L::pl4, A::pamt4, kLevel4Params, u"エアーブラシ", D::DM_AIRBRUSH},
    {pmBlur4, L::pl4, A::pamt4, kLevel4Effect1, u"ぼかし", D::DM_BLUR},
    {pmFingerTip4, L::pl4, A::pamt4, kLevel4Params, u"指先", D::DM_RUBPEN},
    {pmSpread4, L::pl4, A::pamt4, kLevel4Params, u"のばし", D::DM_RUBPEN},
    {pmBurn4, L::pl4, A::pamt4, kLevel4Effect1, u"焼き込み", D::DM_DARKEN},
    {pmDodge4, L::pl4, A::pamt4, kLevel4Effect1, u"覆い焼き", D::DM_LIGHTEN},
    {pmPencil5, L::pl5, A::pamt4, kLevel5Params, u"鉛筆", D::DM_PEN},
    {pmEraser5, L::pl5, A::pamt4, kLevel5Params, u"消しゴム", D::DM_ERASE},
    {pmWaterColor5, L::pl5, A::pamt4, kLevel5Effects, u"透明水彩", D::DM_WC},
    {pmAirBrush5, L::pl5, A::pamt4, kLevel5Params, u"エアーブラシ", D::DM_AIRBRUSH},
}};

constexpr bool rowsInEnumerationOrder()
{
    for (size_t i = 0; i < kModes.size(); ++i)
        if (size_t(kModes[i].mode) != i)
            return false;
    return true;
}
static_assert(rowsInEnumerationOrder());

// The level-1 mode of each legacy pen kind, in TPenParamQZ2Type order.
constexpr std::array<TPaintMode, kPenParamQZ2TypeCount> kPenParamTypeModes = {
    pmPencil1, pmEraser1, pmWaterColor1, pmAirBrush1, pmBlur1, pmFingerTip1, pmBurn1, pmDodge1};

// The two paint-level enumerations side by side, in TPaintLevel order.
constexpr std::array<ePaintLevel, 4> kPaintLevelMap = {
    ePaintLevel::PAINT_LEVEL_qZ1, ePaintLevel::PAINT_LEVEL_qZ2, ePaintLevel::PAINT_LEVEL_qZ4,
    ePaintLevel::PAINT_LEVEL_qZ5};

// The row of a mode, or null outside the 22 modes.
const ModeRow *row(TPaintMode mode)
{
    const uint8_t i = uint8_t(mode) & 127;
    return i < kModes.size() ? &kModes[i] : nullptr;
}

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

} // namespace

ePaintLevel paintLevelToEPaintLevel(TPaintLevel level)
{
    const uint8_t i = uint8_t(level) & 127;
    return i < kPaintLevelMap.size() ? kPaintLevelMap[i] : ePaintLevel(kNoEnumValue);
}

bool ePaintLevelToPaintLevel(ePaintLevel level, TPaintLevel &result)
{
    for (size_t i = 0; i < kPaintLevelMap.size(); ++i)
        if (kPaintLevelMap[i] == level) {
            result = TPaintLevel(i);
            return true;
        }
    return false;
}

bool isValidPaintMode(TPaintMode mode)
{
    return row(mode) != nullptr;
}

TPaintLevel paintModeToLevel(TPaintMode mode)
{
    const ModeRow *r = row(mode);
    return r ? r->level : TPaintLevel(kNoEnumValue);
}

bool isLegacyPaintLevel(TPaintLevel level)
{
    return level == TPaintLevel::pl1 || level == TPaintLevel::pl2;
}

TPaintParamTypes getSupportParams(TPaintMode mode)
{
    const ModeRow *r = row(mode);
    return r ? r->params : TPaintParamTypes{};
}

TPaintAirMapType getSupportAirMaps(TPaintMode mode)
{
    const ModeRow *r = row(mode);
    return r ? r->airMaps : TPaintAirMapType::pamtNo;
}

QString getPaintModeDefaultName(TPaintMode mode)
{
    const ModeRow *r = row(mode);
    return r ? text(r->name) : QString();
}

TPaintMode getPaintMode(TPaintLevel level, TPenMethodType methodType, TPenParamQZ2Type penParamType)
{
    switch (TPaintLevel(uint8_t(level) & 127)) {
    case TPaintLevel::pl1:
    case TPaintLevel::pl2: {
        const uint8_t i = uint8_t(penParamType) & 127;
        return i < kPenParamTypeModes.size() ? kPenParamTypeModes[i] : TPaintMode(kNoEnumValue);
    }
    case TPaintLevel::pl4:
    case TPaintLevel::pl5: {
        // The method kinds follow the version-4 and version-5 modes in the same order.
        const uint8_t i = uint8_t(methodType) & 127;
        return i < kPenMethodTypeCount ? TPaintMode(uint8_t(pmPencil4) + i)
                                       : TPaintMode(kNoEnumValue);
    }
    }
    return TPaintMode(uint8_t(penParamType));
}

TPaintMode penParamTypeToPaintMode(TPenParamQZ2Type penParamType)
{
    return getPaintMode(TPaintLevel::pl2, TPenMethodType(kNoEnumValue), penParamType);
}

TPenParamQZ2Type paintModeToPenParamType(TPaintMode mode)
{
    using enum TPenParamQZ2Type;
    switch (TPaintMode(uint8_t(mode) & 127)) {
    case pmPencil1:
        return pp2Pencil;
    case pmEraser1:
        return pp2Eraser;
    case pmWaterColor1:
        return pp2WaterColor;
    case pmAirBrush1:
        return pp2AirBrush;
    case pmBlur1:
    case pmBlur2:
        return pp2Blur;
    case pmFingerTip1:
        return pp2FingerTip;
    case pmBurn1:
        return pp2Burn;
    case pmDodge1:
        return pp2Dodge;
    default:
        return TPenParamQZ2Type(kNoEnumValue);
    }
}

TDrawMode penParamTypeToDrawMode(TPenParamQZ2Type penParamType)
{
    return paintModeToDrawMode(penParamTypeToPaintMode(penParamType));
}

TPenMethodType paintModeToMethodType(TPaintMode mode)
{
    const uint8_t i = uint8_t(mode) & 127;
    if (i >= uint8_t(pmPencil4) && i <= uint8_t(pmAirBrush5))
        return TPenMethodType(i - uint8_t(pmPencil4));
    return TPenMethodType(kNoEnumValue);
}

TDrawMode paintModeToDrawMode(TPaintMode mode)
{
    const ModeRow *r = row(mode);
    return r ? r->drawMode : TDrawMode(kNoEnumValue);
}

bool drawModeToPaintMode(TDrawMode drawMode, TPaintMode &mode)
{
    // The older engines' draw modes map onto the level-1 modes.
    static constexpr std::array<TPaintMode, size_t(TDrawMode::DM_MAX_NUM)> kDrawModes = {
        pmPencil1,   pmWaterColor1, pmBlur1, pmEraser1, pmBlur2,
        pmAirBrush1, pmFingerTip1,  pmBurn1, pmDodge1};
    const uint8_t i = uint8_t(drawMode);
    if (i >= kDrawModes.size())
        return false;
    mode = kDrawModes[i];
    return true;
}

QString getEffectLabel(TPaintMode mode, int kind)
{
    switch (TPaintMode(uint8_t(mode) & 127)) {
    case pmWaterColor1:
    case pmWaterColor4:
    case pmWaterColor5:
        switch (kind) {
        case 0:
            return QStringLiteral("のばし効果");
        case 1:
            return QStringLiteral("ぼかし効果");
        case 2:
            return QStringLiteral("影響距離");
        }
        break;
    case pmBlur1:
    case pmBlur2:
    case pmBlur4:
        return kind == 0 ? QStringLiteral("ぼかし強度") : QStringLiteral("ぼかし");
    case pmBurn1:
    case pmBurn4:
        return kind == 0 ? QStringLiteral("露出量") : QStringLiteral("焼き込み");
    case pmDodge1:
    case pmDodge4:
        return kind == 0 ? QStringLiteral("露出量") : QStringLiteral("覆い焼き");
    default:
        break;
    }
    return QStringLiteral("効果");
}

QString getEffectName(TPaintMode mode, int kind)
{
    const TPaintMode m = TPaintMode(uint8_t(mode) & 127);
    const bool waterColor = m == pmWaterColor1 || m == pmWaterColor4 || m == pmWaterColor5;
    if (waterColor && kind == 2)
        return QStringLiteral("効果の影響距離");
    return getEffectLabel(mode, kind);
}
