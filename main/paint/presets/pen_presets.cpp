#include "paint/presets/pen_presets.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/scale/scale_canvas.h"

#include <algorithm>

namespace {

// The id counters of the two classes; ids only need to differ within a run.
int32_t gPenShapeIdCounter = 0;
int32_t gPenMethodIdCounter = 0;

constexpr int32_t kIconMax = 128;
constexpr int32_t kIconSmall = 32;

} // namespace

// ---- CPenShapeObj

CPenShapeObj::CPenShapeObj()
{
    reset();
}

CPenShapeObj::CPenShapeObj(const SGradeMapParam *map, const SPenParam *prm, const SPenAttr *atr)
{
    reset();
    setData(map, prm, atr);
}

CPenShapeObj::CPenShapeObj(const SPenShapeData &data)
{
    reset();
    setData(data);
}

CPenShapeObj::~CPenShapeObj() = default;

void CPenShapeObj::reset()
{
    enable = false;
    setNewID();
    shapeType = ePenShapeType::pstStd;
    initGradeMapParam(gradMap);
    initPenParam(penParam, 10.0f);
    penAttrClear(penAttr);
    releaseImage();
}

void CPenShapeObj::releaseImage()
{
    shapeCH.reset();
    zoomRng = {100, 100};
    zoomRate = 100;
    imageRadius = 0;
}

bool CPenShapeObj::setData(const SGradeMapParam *map, const SPenParam *prm, const SPenAttr *atr)
{
    enable = true;
    shapeType = ePenShapeType::pstStd;
    setDataOnly(map, prm, atr);
    return true;
}

bool CPenShapeObj::setData(const SPenShapeData &data)
{
    return setData(&data.map, &data.param, &data.attr);
}

void CPenShapeObj::setDataOnly(const SGradeMapParam *map, const SPenParam *prm, const SPenAttr *atr)
{
    if (map)
        gradMap = *map;
    if (prm)
        penParam = *prm;
    if (atr)
        penAttr = *atr;
}

bool CPenShapeObj::getData(SPenShapeData &data) const
{
    if (!enable)
        return false;
    data.map = gradMap;
    data.param = penParam;
    data.attr = penAttr;
    return true;
}

bool CPenShapeObj::copy(const CPenShapeObj &obj)
{
    if (&obj == this)
        return enable;
    if (!obj.enable)
        return false;
    switch (obj.shapeType) {
    case ePenShapeType::pstStd:
        releaseImage();
        return setData(&obj.gradMap, &obj.penParam, &obj.penAttr);
    case ePenShapeType::pstImage:
        setData(&obj.gradMap, &obj.penParam, &obj.penAttr);
        if (obj.shapeCH && !setImage(*obj.shapeCH, false))
            return false;
        changeZoom(obj.zoomRate);
        return true;
    }
    return false;
}

int32_t CPenShapeObj::setNewID()
{
    return setID(++gPenShapeIdCounter);
}

int32_t CPenShapeObj::setID(int32_t id)
{
    const int32_t old = Fid;
    Fid = id;
    return old;
}

bool CPenShapeObj::hasImage() const
{
    return shapeType == ePenShapeType::pstImage && shapeCH && shapeCH->isEnable();
}

bool CPenShapeObj::setGradeMapType(eGradeMap t)
{
    if (gradMap.mapType == t)
        return false;
    gradMap.mapType = t;
    return true;
}

bool CPenShapeObj::setRadiusSingle(float v)
{
    const int32_t old = penParam.radius;
    penParamSetRadius(penParam, v);
    return penParam.radius != old;
}

float CPenShapeObj::getRadiusSingle() const
{
    return penParamGetRadius(penParam);
}

int32_t CPenShapeObj::getRadiusIntX100() const
{
    return penParamGetRadiusRaw(penParam);
}

float CPenShapeObj::getRadiusMinSingle() const
{
    return penParamGetMinRate(penParam);
}

float CPenShapeObj::RealRadius() const
{
    if (hasImage())
        return float(zoomRate) / 100.0f * float(imageRadius) / 2.0f;
    return getRadiusSingle();
}

bool CPenShapeObj::isAntiOff() const
{
    return penAttrIsAntiOff(penAttr);
}

bool CPenShapeObj::setAntiOff(bool sw)
{
    return penAttrSetAntiOff(penAttr, sw) != sw;
}

void CPenShapeObj::clearImage()
{
    releaseImage();
    shapeType = ePenShapeType::pstStd;
    initPenParam(penParam, 10.0f);
}

bool CPenShapeObj::setImage(const TChannel &src, bool ini)
{
    if (!src.isEnable())
        return false;
    auto copy = std::make_unique<TChannel>(src);
    if (!copy->isEnable())
        return false;
    return attachImage(std::move(copy), ini);
}

bool CPenShapeObj::setImage(const TMTC &tc)
{
    if (!tc.isEnable())
        return false;
    auto grey = std::make_unique<TChannel>(tc.width(), tc.height());
    if (!grey->isEnable())
        return false;
    tc.makeGrayChannel(*grey);
    return attachImage(std::move(grey), false);
}

bool CPenShapeObj::attachImage(std::unique_ptr<TChannel> ch, bool ini)
{
    // The zoom range divides by the sides: an empty tip cannot be a nib.
    if (!ch || !ch->isEnable() || ch->width() <= 0 || ch->height() <= 0)
        return false;
    const int32_t l = std::max(ch->width(), ch->height());
    const int32_t s = std::min(ch->width(), ch->height());
    releaseImage();
    shapeType = ePenShapeType::pstImage;
    shapeCH = std::move(ch);
    imageRadius = l;
    zoomRng.min = std::max(1, 400 / s);
    zoomRng.max = std::min(500, 51200 / l);
    // A very thin tip can have min above max; the lower bound then wins.
    zoomRate = 100 > zoomRng.max ? zoomRng.max : 100;
    zoomRate = zoomRate < zoomRng.min ? zoomRng.min : zoomRate;
    if (ini)
        initPenParam(penParam, float(zoomRate));
    else
        penParam.radius = zoomRate * 100;
    setNewID();
    return true;
}

bool CPenShapeObj::changeZoom(int32_t v)
{
    if (!hasImage() || v == zoomRate || v < zoomRng.min || v > zoomRng.max)
        return false;
    zoomRate = v;
    penParam.radius = v * 100;
    return true;
}

// ---- CPenMethodObj

CPenMethodObj::CPenMethodObj()
{
    reset();
}

CPenMethodObj::CPenMethodObj(const SPenRenderAttr *ratr, const SPenRenderOpt *ropt,
                             const SStrokeParam *sprm)
{
    reset();
    setData(ratr, ropt, sprm);
}

CPenMethodObj::CPenMethodObj(const SPenMethodData &data)
{
    reset();
    setData(data);
}

CPenMethodObj::CPenMethodObj(const CPenMethodObj &src)
{
    reset();
    copy(src);
}

CPenMethodObj::~CPenMethodObj() = default;

void CPenMethodObj::reset()
{
    enable = false;
    setNewID();
    initPenRenderAttr(methodData.renderAttr);
    methodData.renderOpt = SPenRenderOpt{};
    strokeParamInit(methodData.strokeParam);
    shapeObj.reset();
    orgIconTC.reset();
    curIconTC.reset();
}

bool CPenMethodObj::setData(const SPenRenderAttr *ratr, const SPenRenderOpt *ropt,
                            const SStrokeParam *sprm)
{
    if (!ratr) {
        enable = false;
        return false;
    }
    enable = true;
    methodData.renderAttr = *ratr;
    if (ropt)
        methodData.renderOpt = *ropt;
    if (sprm)
        methodData.strokeParam = *sprm;
    return true;
}

bool CPenMethodObj::setData(const SPenMethodData &data)
{
    return setData(&data.renderAttr, &data.renderOpt, &data.strokeParam);
}

bool CPenMethodObj::getData(SPenMethodData &data) const
{
    if (!enable)
        return false;
    data = methodData;
    return true;
}

bool CPenMethodObj::copy(const CPenMethodObj &obj)
{
    if (&obj == this)
        return enable;
    if (!obj.enable)
        return false;
    methodName = obj.methodName;
    setIcon(obj.orgIconTC.get());
    setData(obj.methodData);
    if (obj.shapeObj)
        return setShape(*obj.shapeObj);
    // A copy of a method without a nib has none either.
    shapeObj.reset();
    return true;
}

int32_t CPenMethodObj::setNewID()
{
    return setID(++gPenMethodIdCounter);
}

int32_t CPenMethodObj::setID(int32_t id)
{
    const int32_t old = Fid;
    Fid = id;
    return old;
}

bool CPenMethodObj::hasShape() const
{
    return shapeObj && shapeObj->enable;
}

bool CPenMethodObj::getShape(SPenShapeData &shp) const
{
    return hasShape() && shapeObj->getData(shp);
}

bool CPenMethodObj::attachShape(std::unique_ptr<CPenShapeObj> obj)
{
    shapeObj = std::move(obj);
    return true;
}

bool CPenMethodObj::setShape(const CPenShapeObj &obj)
{
    if (!shapeObj)
        shapeObj = std::make_unique<CPenShapeObj>();
    return shapeObj->copy(obj);
}

bool CPenMethodObj::setShape(const SPenShapeData &shp)
{
    if (!shapeObj)
        shapeObj = std::make_unique<CPenShapeObj>();
    return shapeObj->setData(shp);
}

bool CPenMethodObj::hasIcon() const
{
    return orgIconTC && orgIconTC->isEnable() && curIconTC && curIconTC->isEnable();
}

bool CPenMethodObj::setIcon(const TMTC *tc)
{
    // The source may be our own full-size icon: keep it alive until the copies are made.
    std::unique_ptr<TMTC> oldOrg = std::move(orgIconTC);
    curIconTC.reset();
    if (!tc || !tc->isEnable() || tc->width() <= 0 || tc->height() <= 0)
        return true;
    if (tc->width() <= kIconMax && tc->height() <= kIconMax) {
        orgIconTC = std::make_unique<TMTC>(*tc);
        if (!orgIconTC->isEnable())
            orgIconTC.reset();
    } else {
        const sSize fit{kIconMax, kIconMax};
        orgIconTC = makeScaledCanvas(fit, *tc, true, 0, false);
    }
    if (!orgIconTC)
        return false;
    const sSize small{kIconSmall, kIconSmall};
    curIconTC = makeScaledCanvas(small, *orgIconTC, false, 0, true);
    return curIconTC != nullptr;
}

bool getPenMethodPaintMode(TPaintMode &mode, const CPenMethodObj &method)
{
    return renderAttrToPaintMode(method.methodData.renderAttr, mode);
}

TPenMethodType getPenMethodType(const CPenMethodObj &method)
{
    TPaintMode mode{};
    if (!getPenMethodPaintMode(mode, method))
        return TPenMethodType(kNoEnumValue);
    return paintModeToMethodType(mode);
}
