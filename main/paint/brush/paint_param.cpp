#include "paint/brush/paint_param.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/presets/method_icons.h"
#include "paint/presets/pen_presets.h"
#include "paint/stroke/stroke.h"

#include <algorithm>
#include <new>

namespace {

// Trunc(v × scale), each step rounded to Single as the stored values always were.
int32_t truncScaled(float v, float scale)
{
    const float scaled = v * scale;
    return truncSingle(scaled);
}

int32_t truncRounded(float v)
{
    return truncSingle(v + 0.5f);
}

// An effect value as the 16-bit word of the render attributes.
uint16_t effectWord(float v)
{
    const int32_t t = truncRounded(v);
    return uint16_t(std::clamp(t, 0, 0xFFFF));
}

TInterpolateType toInterpolateType(eInterpolateType t)
{
    return t == eInterpolateType::iptLinear ? TInterpolateType::itLinear
                                            : TInterpolateType::itBSpline;
}

eInterpolateType toStrokeInterpolateType(TInterpolateType t)
{
    return t == TInterpolateType::itLinear ? eInterpolateType::iptLinear
                                           : eInterpolateType::iptBSpline;
}

// Whether a curve has a code of its own in the nib's vocabulary (pamFlat and pamNo have not).
bool isNibCurve(TPaintAirMap m)
{
    const uint8_t i = uint8_t(m) & 127;
    return i < uint8_t(TPaintAirMap::pamNo) && i != uint8_t(TPaintAirMap::pamFlat);
}

} // namespace

TPaintParamR getPaintParamDefaults(TPaintMode mode)
{
    using enum TPaintMode;
    TPaintParamR r;
    r.ItemName = getPaintModeDefaultName(mode);
    switch (TPaintMode(uint8_t(mode) & 127)) {
    case pmPencil1:
    case pmEraser1:
    case pmWaterColor1:
    case pmBlur2:
        r.AirMap = TPaintAirMap::pamNo;
        break;
    case pmFingerTip1:
    case pmBurn1:
    case pmDodge1:
        r.AirMap = TPaintAirMap::pamRoundTop;
        break;
    case pmPencil5:
    case pmEraser5:
    case pmWaterColor5:
    case pmAirBrush5:
        r.InterpolateType = TInterpolateType::itBSpline;
        r.SmoothLevel = 2;
        break;
    default: // pmAirBrush1, pmBlur1 and the nine version-4 modes
        break;
    }
    return r;
}

TPaintParam::TPaintParam(TPaintMode mode)
{
    FShapeId = -1;
    SetDefaultParam(mode);
}

TPaintParam::TPaintParam(const TPaintParam &src) : TPaintParam(src.FMode)
{
    Read(src);
}

TPaintParam::TPaintParam(const SPenParamQZ2 &param, TPaintMode mode, bool &result)
    : TPaintParam(mode)
{
    result = Read(param);
}

TPaintParam::TPaintParam(const TStroke &stroke, bool &result)
{
    result = Read(stroke);
}

TPaintParam::TPaintParam(const CPenMethodObj *method, bool &result)
{
    TPaintMode mode{};
    result = method && getPenMethodPaintMode(mode, *method);
    if (!result)
        return;
    FShapeId = -1;
    SetDefaultParam(mode);
    result = Read(method);
}

TPaintParam::~TPaintParam() = default;

void TPaintParam::clearAll()
{
    FIconImage.reset();
    FUserIcon = false;
    FShapeImage.clear();
    FShapeImage.shrink_to_fit();
    FUseShapeImage = false;
    FShapeImageSize = {};
}

void TPaintParam::SetDefaultParam(TPaintMode mode)
{
    FMode = mode;
    FPaintLevel = paintModeToLevel(mode);
    FSupportParams = getSupportParams(mode);
    FSupportAirMaps = getSupportAirMaps(mode);
    clearAll();
    FItemName.clear();
    const TPaintParamR r = getPaintParamDefaults(mode);
    FDensity = r.Density;
    FSpace = r.Space;
    FEffect1 = r.Effect1;
    FEffect2 = r.Effect2;
    FEffect3 = r.Effect3;
    FPrsGamma = r.PrsGamma;
    FPrsDensity = r.PrsDensity;
    FPrsRadius = r.PrsRadius;
    FUseGradient = r.UseGradient;
    FUseTone = r.UseTone;
    FInterpolateType = r.InterpolateType;
    FSmoothLevel = r.SmoothLevel;
    FRadius = r.Radius;
    FMinRadius = r.MinRadius;
    FWholeDrawRadius = r.WholeDrawRadius;
    FHiDensityRadius = r.HiDensityRadius;
    FAspect = r.Aspect;
    FRotation = r.Rotation;
    FAirMap = r.AirMap;
    FFlat = r.Flat;
    FAdd = r.Add;
    FShapeImageScale = r.ShapeImageScale;
    FSmoothEdge = r.SmoothEdge;
    FDigitize = r.Digitize;
    FItemName = r.ItemName;
}

void TPaintParam::copyIcon(const TPaintParam &src)
{
    SetIconImage(src.FUserIcon ? src.FIconImage.get() : nullptr);
}

bool TPaintParam::Read(const TPaintParam &src)
{
    if (&src == this)
        return true;
    SetDefaultParam(src.FMode);
    FItemName = src.FItemName;
    FDensity = src.FDensity;
    FSpace = src.FSpace;
    FEffect1 = src.FEffect1;
    FEffect2 = src.FEffect2;
    FEffect3 = src.FEffect3;
    FPrsGamma = src.FPrsGamma;
    FPrsDensity = src.FPrsDensity;
    FPrsRadius = src.FPrsRadius;
    FUseGradient = src.FUseGradient;
    FUseTone = src.FUseTone;
    FRadius = src.FRadius;
    FMinRadius = src.FMinRadius;
    FWholeDrawRadius = src.FWholeDrawRadius;
    FHiDensityRadius = src.FHiDensityRadius;
    FAspect = src.FAspect;
    FRotation = src.FRotation;
    FAirMap = src.FAirMap;
    FFlat = src.FFlat;
    FAdd = src.FAdd;
    FSmoothEdge = src.FSmoothEdge;
    FDigitize = src.FDigitize;
    FSmoothLevel = src.FSmoothLevel;
    FInterpolateType = src.FInterpolateType;
    copyIcon(src);
    if (src.FUseShapeImage) {
        SetShapeImage(src.ShapeImage(), src.FShapeImageSize);
        FShapeImageScale = src.FShapeImageScale;
    } else {
        SetShapeImage(static_cast<const TChannel *>(nullptr));
        FShapeImageScale = 1.0f;
    }
    FShapeId = src.FShapeId;
    return true;
}

bool TPaintParam::Read(const CPenMethodObj *method)
{
    TPaintMode mode{};
    if (!method || !getPenMethodPaintMode(mode, *method))
        return false;
    SetDefaultParam(mode);
    FItemName = method->methodName;
    const SPenMethodData &d = method->methodData;
    const SStrokeParam &s = d.strokeParam;
    FUseGradient = d.renderOpt.enbGrad;
    FUseTone = d.renderOpt.enbTone;
    FPrsRadius = s.enbPrsRadius;
    FPrsDensity = s.enbPrsOpaque;
    FWholeDrawRadius = float(s.everyFreqR);
    FHiDensityRadius = float(s.highDensityR);
    FSmoothLevel = s.smooth;
    FInterpolateType = toInterpolateType(s.interpolateType);
    FDensity = float(s.opaque) / 1000.0f;
    FSpace = float(s.spacing) / 1000.0f;
    FPrsGamma = float(s.prsGamma) / 100.0f;
    FEffect1 = penRenderAttrGetEffect(d.renderAttr, 0);
    FEffect2 = penRenderAttrGetEffect(d.renderAttr, 1);
    FEffect3 = penRenderAttrGetEffect(d.renderAttr, 2);
    SetIconImage(method->hasIcon() ? method->orgIconTC.get() : nullptr);
    return Read(method->shapeObj.get());
}

bool TPaintParam::Read(const SGradeMapParam *gradeMap, const CPenShapeObj *shape,
                       const SPenRenderAttr &attr, const SStrokeParam &param)
{
    TPaintMode mode{};
    if (!gradeMap || !shape || !renderAttrToPaintMode(attr, mode))
        return false;
    SetDefaultParam(mode);
    FPrsRadius = param.enbPrsRadius;
    FPrsDensity = param.enbPrsOpaque;
    FWholeDrawRadius = float(param.everyFreqR);
    FHiDensityRadius = float(param.highDensityR);
    FDensity = float(param.opaque) / 1000.0f;
    FSpace = float(param.spacing) / 1000.0f;
    FPrsGamma = float(param.prsGamma) / 100.0f;
    FEffect1 = penRenderAttrGetEffect(attr, 0);
    FEffect2 = penRenderAttrGetEffect(attr, 1);
    FEffect3 = penRenderAttrGetEffect(attr, 2);
    const bool result = Read(shape);
    // The renderer's curve overrides the nib's.
    FAirMap = gradeMapToPaintAirMap(gradeMap->mapType);
    FFlat = gradeMapGetFlatRate(*gradeMap);
    FAdd = gradeMapGetAddRate(*gradeMap);
    return result;
}

bool TPaintParam::Read(const CPenShapeObj *shape)
{
    if (!shape)
        return false;
    FDigitize = penAttrIsAntiOff(shape->penAttr);
    FMinRadius = penParamGetMinRate(shape->penParam);
    FAspect = penParamGetFlatRate(shape->penParam);
    FRotation = penParamGetDegree(shape->penParam);
    FAirMap = gradeMapToPaintAirMap(shape->gradMap.mapType);
    FFlat = gradeMapGetFlatRate(shape->gradMap);
    FAdd = gradeMapGetAddRate(shape->gradMap);
    FSmoothEdge = false;
    if (shape->hasImage()) {
        SetShapeImage(shape->shapeCH.get());
        FShapeImageScale = float(shape->zoomRate) / 100.0f;
    } else {
        FRadius = penParamGetRadius(shape->penParam);
        SetShapeImage(static_cast<const TChannel *>(nullptr));
        FShapeImageScale = 1.0f;
    }
    FShapeId = shape->id();
    return true;
}

bool TPaintParam::Read(const SPenParamQZ2 &param)
{
    SetDefaultParam(FMode);
    FDensity = param.opaque;
    FSpace = param.spacing;
    FEffect1 = param.effect;
    FEffect2 = param.env;
    FEffect3 = param.speed;
    FPrsGamma = param.gamma;
    FPrsDensity = param.ifTrans;
    FPrsRadius = param.ifSize;
    FUseGradient = param.useGrad;
    FUseTone = param.useTone;
    FRadius = param.width;
    FMinRadius = param.min / 100.0f;
    if (supports(TPaintParamType::ppAirMap))
        FAirMap = airMapToPaintAirMap(eAirMap(uint8_t(param.airMap)));
    else if (supports(TPaintParamType::ppSmoothEdge))
        FSmoothEdge = param.ifEdge;
    return true;
}

bool TPaintParam::Read(const TStroke &stroke)
{
    TPaintMode mode = FMode;
    drawModeToPaintMode(stroke.m_drawMode, mode); // an unknown draw mode keeps the mode
    SetDefaultParam(mode);
    FDensity = stroke.getOpaque();
    FEffect1 = stroke.m_penEffect;
    FEffect2 = stroke.m_penEnv;
    FEffect3 = stroke.m_penSpeed;
    FPrsGamma = stroke.m_penGamma;
    FSmoothEdge = stroke.m_penIfEdge;
    FPrsRadius = stroke.m_penIfSize;
    FPrsDensity = stroke.m_penIfTrans;
    FRadius = stroke.m_penWidth;
    FMinRadius = stroke.m_penMin / 100.0f;
    FSpace = stroke.getPenSpacing();
    return true;
}

bool TPaintParam::Write(TStroke &stroke) const
{
    const TDrawMode dm = paintModeToDrawMode(FMode);
    if (uint8_t(dm) < uint8_t(TDrawMode::DM_MAX_NUM))
        stroke.SetDrawMode(dm);
    stroke.setOpaque(FDensity);
    stroke.SetPenEffect(FEffect1);
    stroke.SetPenEnv(FEffect2);
    stroke.SetPenGamma(FPrsGamma);
    stroke.SetPenIfEdge(FSmoothEdge);
    stroke.SetPenIfSize(FPrsRadius);
    stroke.SetPenIfTrans(FPrsDensity);
    stroke.SetPenMin(FMinRadius * 100.0f);
    stroke.setPenSpacing(FSpace);
    stroke.SetPenSpeed(FEffect3);
    stroke.SetPenWidth(Radius());
    if (supports(TPaintParamType::ppAirMap)) {
        // pamFlat and pamNo have no air map of the older engines: the stroke keeps its own.
        const eAirMap map = paintAirMapToAirMap(FAirMap);
        if (uint8_t(map) < uint8_t(eAirMap::ABMAP_MAX_NUM))
            stroke.m_abMap = map;
    } else if (supports(TPaintParamType::ppSmoothEdge)) {
        stroke.SetPenIfEdge(FSmoothEdge);
    }
    if (stroke.isGradationSupported())
        stroke.switchGradation(FUseGradient, true);
    if (stroke.isScreenToneSupported())
        stroke.switchScreenTone(FUseTone, true);
    return true;
}

bool TPaintParam::Write(SStrokeParam &param) const
{
    strokeParamInit(param);
    param.enbPrsOpaque = FPrsDensity;
    param.enbPrsRadius = FPrsRadius;
    param.opaque = truncScaled(FDensity, 1000.0f);
    param.spacing = 10 * truncSingle(FSpace * 100.0f + 0.5f);
    param.prsGamma = truncScaled(FPrsGamma, 100.0f);
    param.everyFreqR = truncRounded(FWholeDrawRadius);
    param.highDensityR = truncRounded(FHiDensityRadius);
    param.smooth = FSmoothLevel;
    param.interpolateType = toStrokeInterpolateType(FInterpolateType);
    return true;
}

bool TPaintParam::Write(SPenRenderAttr &attr) const
{
    if (!paintModeToRenderAttr(FMode, attr))
        return false;
    penRenderAttrSetEffect(attr, 0, effectWord(FEffect1));
    penRenderAttrSetEffect(attr, 1, effectWord(FEffect2));
    penRenderAttrSetEffect(attr, 2, effectWord(FEffect3));
    return true;
}

bool TPaintParam::Write(CPenMethodObj *method) const
{
    if (!method || !method->shapeObj)
        return false;
    // Every part is made and checked before the method or its nib changes.
    SPenRenderAttr attr;
    SStrokeParam stroke;
    SGradeMapParam map;
    if (!Write(attr) || !Write(stroke) || !Write(map))
        return false;
    if (!Write(method->shapeObj.get()))
        return false;
    const SPenRenderOpt opt{FUseGradient, FUseTone};
    if (!method->setData(&attr, &opt, &stroke))
        return false;
    method->setIcon(FUserIcon ? FIconImage.get() : nullptr);
    method->methodName = FItemName;
    return true;
}

bool TPaintParam::Write(SPenParam &param) const
{
    initPenParam(param, 10.0f);
    if (FUseShapeImage)
        penParamSetRadius(param, FShapeImageScale * 100.0f);
    else
        penParamSetRadius(param, FRadius);
    penParamSetMinRate(param, FMinRadius);
    penParamSetFlatRate(param, FAspect);
    penParamSetDegree(param, FRotation);
    return true;
}

bool TPaintParam::Write(SGradeMapParam &map) const
{
    initGradeMapParam(map);
    gradeMapSetFlatRate(map, FFlat);
    gradeMapSetAddRate(map, FAdd);
    if (isNibCurve(FAirMap)) {
        map.mapType = paintAirMapToGradeMap(FAirMap);
        return true;
    }
    // pamFlat and pamNo have no nib curve: each engine has its own fallback.
    const bool flat = FAirMap == TPaintAirMap::pamFlat;
    switch (FSupportAirMaps) {
    case TPaintAirMapType::pamt2:
        if (flat) {
            map.mapType = eGradeMap::GMAP_LINEAR;
            map.flatRate = 900;
        } else {
            map.mapType = eGradeMap(kNoEnumValue);
        }
        break;
    case TPaintAirMapType::pamtNo:
        if (FSmoothEdge) {
            map.mapType = eGradeMap::GMAP_CIRCLE;
        } else {
            map.mapType = eGradeMap::GMAP_LINEAR;
            map.flatRate = 900;
        }
        break;
    default:
        map.mapType = eGradeMap::GMAP_LINEAR;
        break;
    }
    return false;
}

bool TPaintParam::Write(SPenAttr &attr) const
{
    penAttrClear(attr);
    attr.antiOff = FDigitize ? 1 : 0;
    return true;
}

bool TPaintParam::Write(CPenShapeObj *shape) const
{
    if (!shape)
        return false;
    // Everything that can fail is done first, so that a failed write leaves the nib as it was.
    SPenParam param;
    SPenAttr attr;
    SGradeMapParam map;
    if (!Write(param) || !Write(attr) || !Write(map))
        return false;
    std::unique_ptr<TChannel> tip;
    if (FUseShapeImage) {
        const sSize sz = FShapeImageSize;
        if (sz.x <= 0 || sz.y <= 0 || FShapeImage.size() < size_t(sz.x) * size_t(sz.y))
            return false;
        tip = std::make_unique<TChannel>(sz.x, sz.y);
        if (!tip->isEnable())
            return false;
        for (int32_t y = 0; y < sz.y; ++y) {
            const uint8_t *src = FShapeImage.data() + size_t(y) * size_t(sz.x);
            uint8_t *dst = tip->seek8(0, y);
            for (int32_t x = 0; x < sz.x; ++x)
                dst[x] = uint8_t(255 - src[x]);
        }
    }
    shape->clearImage();
    shape->setData(&map, &param, &attr);
    if (tip) {
        shape->attachImage(std::move(tip), false);
        shape->changeZoom(truncRounded(FShapeImageScale * 100.0f));
    }
    shape->setID(FShapeId);
    return true;
}

bool TPaintParam::Write(SPenParamQZ2 &param) const
{
    param.opaque = FDensity;
    param.spacing = FSpace;
    param.effect = FEffect1;
    param.env = FEffect2;
    param.speed = FEffect3;
    param.gamma = FPrsGamma;
    param.ifTrans = FPrsDensity;
    param.ifSize = FPrsRadius;
    param.useGrad = FUseGradient;
    param.useTone = FUseTone;
    param.width = Radius();
    param.min = FMinRadius * 100.0f;
    if (supports(TPaintParamType::ppAirMap))
        param.airMap = int32_t(uint8_t(paintAirMapToAirMap(FAirMap)) & 0x7F);
    else if (supports(TPaintParamType::ppSmoothEdge))
        param.ifEdge = FSmoothEdge;
    return true;
}

TShapeImageParam TPaintParam::GetShapeImageParam() const
{
    TShapeImageParam p;
    p.Radius = FRadius;
    p.MinRadius = FMinRadius;
    p.Aspect = FAspect;
    p.Rotation = FRotation;
    p.AirMap = FAirMap;
    p.Flat = FFlat;
    p.Add = FAdd;
    p.UseShapeImage = FUseShapeImage;
    p.ShapeImage = ShapeImage();
    p.ShapeImageSize = FShapeImageSize;
    p.ShapeImageScale = FShapeImageScale;
    p.Digitize = FDigitize;
    return p;
}

void TPaintParam::SetIconImage(const TMTC *image)
{
    if (image == FIconImage.get() && image)
        return;
    FIconImage.reset();
    if (image && image->isEnable()) {
        FIconImage = std::make_unique<TMTC>(*image);
        if (!FIconImage->isEnable())
            FIconImage.reset();
    }
    FUserIcon = FIconImage != nullptr;
}

void TPaintParam::SetShapeImage(const TChannel *image)
{
    FShapeImage.clear();
    FShapeImage.shrink_to_fit();
    FUseShapeImage = false;
    FShapeImageSize = {};
    if (!image)
        return;
    FShapeImage = copyChannelInverted(*image);
    if (FShapeImage.empty())
        return;
    FShapeImageSize = image->FPSZ();
    FUseShapeImage = true;
}

void TPaintParam::SetShapeImage(const uint8_t *image, const sSize &size)
{
    if (image && image == ShapeImage() && size == FShapeImageSize)
        return;
    FShapeImage.clear();
    FShapeImage.shrink_to_fit();
    FUseShapeImage = false;
    FShapeImageSize = {};
    if (!image || size.x <= 0 || size.y <= 0)
        return;
    try {
        FShapeImage.assign(image, image + size_t(size.x) * size_t(size.y));
    } catch (const std::bad_alloc &) {
        return; // no copy: the brush is left without an image
    }
    FShapeImageSize = size;
    FUseShapeImage = true;
}

QString TPaintParam::GetEffectName(int kind) const
{
    return getEffectName(FMode, kind);
}

QString TPaintParam::GetEffectHint(int kind) const
{
    const QString name = GetEffectName(kind);
    return QStringLiteral("%1|%2の変更").arg(name, name);
}

const TMTC *TPaintParam::IconImage() const
{
    if (FUserIcon && FIconImage)
        return FIconImage.get();
    return getPaintModeIcon(FMode);
}

namespace {

int32_t longerSide(const sSize &sz)
{
    return std::max(sz.x, sz.y);
}

} // namespace

float TPaintParam::RealRadius() const
{
    if (FUseShapeImage)
        return FShapeImageScale * float(longerSide(FShapeImageSize)) * 0.5f;
    return FRadius;
}

float TPaintParam::RealRadiusMin() const
{
    if (!FUseShapeImage)
        return 0.1f;
    float min = 0, max = 0;
    getShapeImageScaleRange(min, max, FShapeImageSize);
    return min * float(longerSide(FShapeImageSize)) * 0.5f;
}

float TPaintParam::RealRadiusMax() const
{
    if (!FUseShapeImage)
        return 500.0f;
    float min = 0, max = 0;
    getShapeImageScaleRange(min, max, FShapeImageSize);
    return max * float(longerSide(FShapeImageSize)) * 0.5f;
}

float TPaintParam::ScaleMin() const
{
    if (!FUseShapeImage)
        return 0.01f;
    float min = 0, max = 0;
    getShapeImageScaleRange(min, max, FShapeImageSize);
    return min;
}

float TPaintParam::ScaleMax() const
{
    if (!FUseShapeImage)
        return 5.0f;
    float min = 0, max = 0;
    getShapeImageScaleRange(min, max, FShapeImageSize);
    return max;
}
