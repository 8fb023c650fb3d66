// The small packed records through which brush settings travel between the nib and method
// presets, the stroke managers, the dab renderers, set files and events, with their accessors, and
// the code tables between the curve and render-mode vocabularies.
//
// Units: SPenParam.radius is in hundredths of a pixel, flatRate and radiusMin in thousandths
// (0..1000), degree in tenths of a degree (0..3599). SGradeMapParam rates are thousandths.
// The setters take user units (pixels, fractions, degrees) and store Trunc(v × scale + 0.5)
// computed in Single per step, as the stored values always were.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/stroke_param.h"

#include <cstdint>
#include <type_traits>

// Nib fall-off curve (one byte; readers mask it with 127; 255 stands for "no curve").
enum class eGradeMap : uint8_t
{
    GMAP_CIRCLE = 0,
    GMAP_SQUARE = 1,
    GMAP_ROUNDTOP = 2,
    GMAP_LINEAR = 3,
    GMAP_GAMMA = 4,
    GMAP_PINTOP = 5,
    GMAP_MAX_NUM = 6,
};

// How a dab is rendered (one byte).
enum class ePenRenderMode : uint8_t
{
    PRMODE_Std = 0,
    PRMODE_WC = 1,
    PRMODE_Blur = 2,
    PRMODE_Erase = 3,
    PRMODE_RubSingle = 4,
    PRMODE_RubDouble = 5,
    PRMODE_GammaL = 6,
};

enum class ePenShapeMode : uint8_t
{
    PSMODE_Std = 0,
    PSMODE_RealTimeXY = 1,
};

// Bits of SPenRenderAttr.renderType.
inline constexpr uint8_t kRenderTypeOneChannel = 0x01; // paints the flow alpha, not colour
inline constexpr uint8_t kRenderTypeVersion5 = 0x10;   // a version-5 method

#pragma pack(push, 1)
// The nib geometry, 16 bytes.
struct SPenParam
{
    int32_t radius = 0;    // hundredths of a pixel; for an image nib the zoom rate × 100
    int32_t flatRate = 0;  // thousandths: minor axis / major axis (1000 = round)
    int32_t degree = 0;    // tenths of a degree, 0..3599
    int32_t radiusMin = 0; // thousandths: radius at zero pressure / radius
};

// 4 bytes: antiOff 1 switches anti-aliasing off.
struct SPenAttr
{
    int32_t antiOff = 0;
};

// The fall-off of a nib, 9 bytes.
struct SGradeMapParam
{
    eGradeMap mapType = eGradeMap::GMAP_LINEAR;
    int32_t flatRate = 0; // thousandths of the radius kept at full strength
    int32_t addRate = 0;  // thousandths added under the curve
};

// How a method renders, 16 bytes. Effect 1 is param1's low word, effect 2 its high word,
// effect 3 param2's low word.
struct SPenRenderAttr
{
    ePenRenderMode renderMode = ePenRenderMode::PRMODE_Std;
    uint8_t subRenderMode = 0;
    ePenShapeMode shapeMode = ePenShapeMode::PSMODE_Std;
    uint8_t renderType = 0;
    LDATA param1{0};
    LDATA param2{0};
    LDATA param3{0};
};

// The renderer's colours, 8 bytes.
struct SPenColor
{
    sBGRA fgCol{};
    sBGRA bgCol{};
};

// A nib, 29 bytes.
struct SPenShapeData
{
    SGradeMapParam map;
    SPenParam param;
    SPenAttr attr;
};

// 2 bytes: the method paints with the gradient colour, through the screentone.
struct SPenRenderOpt
{
    bool enbGrad = false;
    bool enbTone = false;
};

// What a brush method preset stores besides its name, icon and nib, 57 bytes.
struct SPenMethodData
{
    SPenRenderAttr renderAttr;
    SPenRenderOpt renderOpt;
    SStrokeParam strokeParam;
};
#pragma pack(pop)

static_assert(sizeof(SPenParam) == 16 && sizeof(SPenAttr) == 4 && sizeof(SGradeMapParam) == 9);
static_assert(sizeof(SPenRenderAttr) == 16 && sizeof(SPenColor) == 8);
static_assert(sizeof(SPenShapeData) == 29 && sizeof(SPenRenderOpt) == 2);
static_assert(sizeof(SPenMethodData) == 57);
static_assert(std::is_trivially_copyable_v<SPenMethodData> &&
              std::is_trivially_copyable_v<SPenShapeData>);

// SPenParam. Set operations return the previous value in the unit they take.
void initPenParam(SPenParam &p, float r); // radius := round(r × 100), round, minimum 1000, 0°
bool penParamEqual(const SPenParam &a, const SPenParam &b);
float penParamGetRadius(const SPenParam &p);      // pixels
int32_t penParamGetRadiusInt(const SPenParam &p); // whole pixels, truncated
int32_t penParamGetRadiusRaw(const SPenParam &p); // hundredths
int32_t penParamExchangeRadiusRaw(SPenParam &p, int32_t radius);
float penParamSetRadius(SPenParam &p, float v);
float penParamGetMinRate(const SPenParam &p); // 0..1
int32_t penParamGetMinPercent(const SPenParam &p);
float penParamSetMinRate(SPenParam &p, float v);
int32_t penParamGetFlatPercent(const SPenParam &p);
float penParamGetFlatRate(const SPenParam &p);    // 0..1
float penParamSetFlatRate(SPenParam &p, float v); // clamped to 0..1000
int32_t penParamGetDegreeInt(const SPenParam &p); // whole degrees
float penParamGetDegree(const SPenParam &p);      // degrees
float penParamSetDegree(SPenParam &p, float v);   // wrapped into 0..3599

// SPenAttr.
void penAttrClear(SPenAttr &a);
bool penAttrEqual(const SPenAttr &a, const SPenAttr &b);
bool penAttrIsAntiOff(const SPenAttr &a);
bool penAttrSetAntiOff(SPenAttr &a, bool flag); // returns the previous switch

// SGradeMapParam.
void initGradeMapParam(SGradeMapParam &m);
bool gradeMapParamEqual(const SGradeMapParam &a, const SGradeMapParam &b);
int32_t gradeMapGetFlatPercent(const SGradeMapParam &m);
int32_t gradeMapGetAddPercent(const SGradeMapParam &m);
float gradeMapGetFlatRate(const SGradeMapParam &m);
float gradeMapGetAddRate(const SGradeMapParam &m);
float gradeMapSetFlatRate(SGradeMapParam &m, float v); // clamped to 0..1000
float gradeMapSetAddRate(SGradeMapParam &m, float v);  // clamped to 0..1000

// SPenRenderAttr: all sixteen bytes zero; the three effect words.
void initPenRenderAttr(SPenRenderAttr &a);
uint16_t penRenderAttrGetEffect(const SPenRenderAttr &a, int kind); // kind 0..2
void penRenderAttrSetEffect(SPenRenderAttr &a, int kind, uint16_t value);
// What both renderers do on a mode change: ren and shp 255 and sub below 0 keep the current value,
// the render type is always taken. True when any of the four changed.
bool penRenderAttrSetMode(SPenRenderAttr &a, uint8_t ren, uint8_t shp, int32_t sub,
                          uint8_t rentype);
// Copies src's param1, param2, param3 where bits 1, 2, 4 of f are set; true when any copied word
// differed.
bool penRenderAttrSetParams(SPenRenderAttr &a, const SPenRenderAttr &src, int32_t f);

// Curve codes; each lookup masks its argument with 127. pamNo gives 255.
eGradeMap paintAirMapToGradeMap(TPaintAirMap m);
eAirMap paintAirMapToAirMap(TPaintAirMap m);
// Curves outside the tables give pamNo.
TPaintAirMap gradeMapToPaintAirMap(eGradeMap m);
TPaintAirMap airMapToPaintAirMap(eAirMap m);

// The paint mode a renderer configuration belongs to; False for an unknown render mode.
bool renderAttrToPaintMode(const SPenRenderAttr &attr, TPaintMode &mode);
// The renderer configuration of a version-4 or version-5 mode; False (record cleared) for the
// older modes.
bool paintModeToRenderAttr(TPaintMode mode, SPenRenderAttr &attr);
