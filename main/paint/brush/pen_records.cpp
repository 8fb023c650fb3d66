#include "paint/brush/pen_records.h"

#include "core/base/numeric.h"

#include <array>
#include <cmath>

namespace {

// Trunc(v × scale + 0.5), each step rounded to Single.
int32_t scaleSingle(float v, float scale)
{
    const float scaled = v * scale;
    return truncSingle(scaled + 0.5f);
}

int32_t clampRate(int32_t v)
{
    return v < 0 ? 0 : (v > 1000 ? 1000 : v);
}

} // namespace

void initPenParam(SPenParam &p, float r)
{
    p = SPenParam{};
    const float scaled = r * 100.0f;
    // Round half to even, as the radius was always rounded here.
    p.radius = truncSingle(std::nearbyint(scaled));
    p.flatRate = 1000;
    p.radiusMin = 1000;
    p.degree = 0;
}

bool penParamEqual(const SPenParam &a, const SPenParam &b)
{
    return a.radius == b.radius && a.flatRate == b.flatRate && a.degree == b.degree &&
           a.radiusMin == b.radiusMin;
}

float penParamGetRadius(const SPenParam &p)
{
    return float(p.radius) / 100.0f;
}

int32_t penParamGetRadiusInt(const SPenParam &p)
{
    return p.radius / 100;
}

int32_t penParamGetRadiusRaw(const SPenParam &p)
{
    return p.radius;
}

int32_t penParamExchangeRadiusRaw(SPenParam &p, int32_t radius)
{
    const int32_t old = p.radius;
    p.radius = radius;
    return old;
}

float penParamSetRadius(SPenParam &p, float v)
{
    const float old = penParamGetRadius(p);
    p.radius = scaleSingle(v, 100.0f);
    return old;
}

float penParamGetMinRate(const SPenParam &p)
{
    return float(p.radiusMin) / 1000.0f;
}

int32_t penParamGetMinPercent(const SPenParam &p)
{
    return p.radiusMin / 10;
}

float penParamSetMinRate(SPenParam &p, float v)
{
    const float old = penParamGetMinRate(p);
    p.radiusMin = scaleSingle(v, 1000.0f);
    return old;
}

int32_t penParamGetFlatPercent(const SPenParam &p)
{
    return p.flatRate / 10;
}

float penParamGetFlatRate(const SPenParam &p)
{
    return float(p.flatRate) / 1000.0f;
}

float penParamSetFlatRate(SPenParam &p, float v)
{
    const float old = penParamGetFlatRate(p);
    p.flatRate = clampRate(scaleSingle(v, 1000.0f));
    return old;
}

int32_t penParamGetDegreeInt(const SPenParam &p)
{
    return p.degree / 10;
}

float penParamGetDegree(const SPenParam &p)
{
    return float(p.degree) / 10.0f;
}

float penParamSetDegree(SPenParam &p, float v)
{
    const float old = penParamGetDegree(p);
    // A 64-bit truncation, so that any angle wraps instead of overflowing.
    const float scaled = v * 10.0f + 0.5f;
    int64_t t = 0;
    if (std::isfinite(scaled))
        t = std::fabs(scaled) < 9.0e18f ? int64_t(scaled) : 0;
    int64_t d = t % 3600;
    if (d < 0)
        d += 3600;
    p.degree = int32_t(d);
    return old;
}

void penAttrClear(SPenAttr &a)
{
    a.antiOff = 0;
}

bool penAttrEqual(const SPenAttr &a, const SPenAttr &b)
{
    return a.antiOff == b.antiOff;
}

bool penAttrIsAntiOff(const SPenAttr &a)
{
    return a.antiOff != 0;
}

bool penAttrSetAntiOff(SPenAttr &a, bool flag)
{
    const bool old = penAttrIsAntiOff(a);
    a.antiOff = flag ? 1 : 0;
    return old;
}

void initGradeMapParam(SGradeMapParam &m)
{
    m.mapType = eGradeMap::GMAP_LINEAR;
    m.flatRate = 0;
    m.addRate = 0;
}

bool gradeMapParamEqual(const SGradeMapParam &a, const SGradeMapParam &b)
{
    return a.mapType == b.mapType && a.flatRate == b.flatRate && a.addRate == b.addRate;
}

int32_t gradeMapGetFlatPercent(const SGradeMapParam &m)
{
    return m.flatRate / 10;
}

int32_t gradeMapGetAddPercent(const SGradeMapParam &m)
{
    return m.addRate / 10;
}

float gradeMapGetFlatRate(const SGradeMapParam &m)
{
    return float(m.flatRate) / 1000.0f;
}

float gradeMapGetAddRate(const SGradeMapParam &m)
{
    return float(m.addRate) / 1000.0f;
}

float gradeMapSetFlatRate(SGradeMapParam &m, float v)
{
    const float old = gradeMapGetFlatRate(m);
    m.flatRate = clampRate(scaleSingle(v, 1000.0f));
    return old;
}

float gradeMapSetAddRate(SGradeMapParam &m, float v)
{
    const float old = gradeMapGetAddRate(m);
    m.addRate = clampRate(scaleSingle(v, 1000.0f));
    return old;
}

void initPenRenderAttr(SPenRenderAttr &a)
{
    a = SPenRenderAttr{};
}

uint16_t penRenderAttrGetEffect(const SPenRenderAttr &a, int kind)
{
    switch (kind) {
    case 0:
        return a.param1.w0;
    case 1:
        return a.param1.w1;
    case 2:
        return a.param2.w0;
    }
    return 0;
}

void penRenderAttrSetEffect(SPenRenderAttr &a, int kind, uint16_t value)
{
    switch (kind) {
    case 0:
        a.param1.w0 = value;
        break;
    case 1:
        a.param1.w1 = value;
        break;
    case 2:
        a.param2.w0 = value;
        break;
    }
}

bool penRenderAttrSetMode(SPenRenderAttr &a, uint8_t ren, uint8_t shp, int32_t sub, uint8_t rentype)
{
    const SPenRenderAttr old = a;
    if (ren != 255)
        a.renderMode = ePenRenderMode(ren);
    if (sub >= 0)
        a.subRenderMode = uint8_t(sub);
    a.renderType = rentype;
    if (shp != 255)
        a.shapeMode = ePenShapeMode(shp);
    return old.renderMode != a.renderMode || old.subRenderMode != a.subRenderMode ||
           old.renderType != a.renderType || old.shapeMode != a.shapeMode;
}

bool penRenderAttrSetParams(SPenRenderAttr &a, const SPenRenderAttr &src, int32_t f)
{
    bool changed = false;
    auto store = [&changed](LDATA &dst, const LDATA &from) {
        changed |= dst.all != from.all;
        dst = from;
    };
    if (f & 1)
        store(a.param1, src.param1);
    if (f & 2)
        store(a.param2, src.param2);
    if (f & 4)
        store(a.param3, src.param3);
    return changed;
}

namespace {

struct CurveCodes
{
    eGradeMap gradeMap;
    eAirMap airMap;
};

// In TPaintAirMap order; pamNo has no curve in either vocabulary.
constexpr std::array<CurveCodes, 8> kCurveCodes = {{
    {eGradeMap::GMAP_LINEAR, eAirMap::ABMAP_LINEAR},
    {eGradeMap::GMAP_GAMMA, eAirMap::ABMAP_FLAT90},
    {eGradeMap::GMAP_CIRCLE, eAirMap::ABMAP_FLAT90},
    {eGradeMap::GMAP_CIRCLE, eAirMap::ABMAP_CIRCLE},
    {eGradeMap::GMAP_SQUARE, eAirMap::ABMAP_FLAT90},
    {eGradeMap::GMAP_ROUNDTOP, eAirMap::ABMAP_ROUNDTOP},
    {eGradeMap::GMAP_PINTOP, eAirMap::ABMAP_PINTOP},
    {eGradeMap(kNoEnumValue), eAirMap(kNoEnumValue)},
}};

} // namespace

eGradeMap paintAirMapToGradeMap(TPaintAirMap m)
{
    const uint8_t i = uint8_t(m) & 127;
    return i < kCurveCodes.size() ? kCurveCodes[i].gradeMap : eGradeMap(kNoEnumValue);
}

eAirMap paintAirMapToAirMap(TPaintAirMap m)
{
    const uint8_t i = uint8_t(m) & 127;
    return i < kCurveCodes.size() ? kCurveCodes[i].airMap : eAirMap(kNoEnumValue);
}

TPaintAirMap gradeMapToPaintAirMap(eGradeMap m)
{
    using enum TPaintAirMap;
    static constexpr std::array<TPaintAirMap, size_t(eGradeMap::GMAP_MAX_NUM)> kBack = {
        pamCircle, pamSquare, pamRoundTop, pamLinear, pamGamma, pamPinTop};
    const uint8_t i = uint8_t(m) & 127;
    return i < kBack.size() ? kBack[i] : pamNo;
}

TPaintAirMap airMapToPaintAirMap(eAirMap m)
{
    using enum TPaintAirMap;
    static constexpr std::array<TPaintAirMap, size_t(eAirMap::ABMAP_MAX_NUM)> kBack = {
        pamFlat, pamCircle, pamRoundTop, pamLinear, pamPinTop};
    const uint8_t i = uint8_t(m) & 127;
    // ABMAP_MAX_NUM and anything beyond it (a slot written for pamNo holds 127) give pamNo.
    return i < kBack.size() ? kBack[i] : pamNo;
}

bool renderAttrToPaintMode(const SPenRenderAttr &attr, TPaintMode &mode)
{
    using enum TPaintMode;
    const bool v5 = attr.renderType & kRenderTypeVersion5;
    const bool oneChannel = attr.renderType & kRenderTypeOneChannel;
    switch (attr.renderMode) {
    case ePenRenderMode::PRMODE_Std:
        mode = oneChannel ? (v5 ? pmPencil5 : pmPencil4) : (v5 ? pmAirBrush5 : pmAirBrush4);
        return true;
    case ePenRenderMode::PRMODE_WC:
        mode = v5 ? pmWaterColor5 : pmWaterColor4;
        return true;
    case ePenRenderMode::PRMODE_Blur:
        mode = pmBlur4;
        return true;
    case ePenRenderMode::PRMODE_Erase:
        mode = v5 ? pmEraser5 : pmEraser4;
        return true;
    case ePenRenderMode::PRMODE_RubSingle:
        mode = pmSpread4;
        return true;
    case ePenRenderMode::PRMODE_RubDouble:
        mode = pmFingerTip4;
        return true;
    case ePenRenderMode::PRMODE_GammaL:
        mode = attr.subRenderMode != 0 ? pmDodge4 : pmBurn4;
        return true;
    }
    return false;
}

bool paintModeToRenderAttr(TPaintMode mode, SPenRenderAttr &attr)
{
    using enum TPaintMode;
    using enum ePenRenderMode;
    initPenRenderAttr(attr);
    const TPaintLevel level = paintModeToLevel(mode);
    if (level != TPaintLevel::pl4 && level != TPaintLevel::pl5)
        return false;
    attr.renderType = level == TPaintLevel::pl5 ? kRenderTypeVersion5 : 0;
    switch (TPaintMode(uint8_t(mode) & 127)) {
    case pmPencil4:
    case pmPencil5:
        attr.renderMode = PRMODE_Std;
        attr.renderType |= kRenderTypeOneChannel;
        break;
    case pmEraser4:
    case pmEraser5:
        attr.renderMode = PRMODE_Erase;
        break;
    case pmWaterColor4:
    case pmWaterColor5:
        attr.renderMode = PRMODE_WC;
        break;
    case pmAirBrush4:
    case pmAirBrush5:
        attr.renderMode = PRMODE_Std;
        break;
    case pmBlur4:
        attr.renderMode = PRMODE_Blur;
        break;
    case pmFingerTip4:
        attr.renderMode = PRMODE_RubDouble;
        break;
    case pmSpread4:
        attr.renderMode = PRMODE_RubSingle;
        break;
    case pmBurn4:
        attr.renderMode = PRMODE_GammaL;
        attr.subRenderMode = 0;
        break;
    case pmDodge4:
        attr.renderMode = PRMODE_GammaL;
        attr.subRenderMode = 1;
        break;
    default:
        break;
    }
    return true;
}
