#include "paint/render/pen_render5.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/stroke_context.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288L;
constexpr int32_t kMapEntries = 1024; // the version-5 fall-off table

// The row footprint of an oblique nib: t the tangent of the turned axis, g the flatness.
struct Oblique
{
    float t, q, u, v, w;
    Oblique(long double tangent, float g)
    {
        t = float(tangent);
        q = float(std::sqrt((long double)t * t + (long double)g * g));
        u = float((long double)g / q);
        v = float((long double)t / q);
        w = float((long double)t * v - q);
    }
};

int32_t clampByte(int32_t v)
{
    return std::clamp(v, 0, 255);
}

} // namespace

SDabFootprint5 calcFootprint5(const SPenParam &prm, float r)
{
    SDabFootprint5 fp;
    const int32_t flat = prm.flatRate / 10;
    int32_t deg = prm.degree / 10;
    if (deg > 180)
        deg -= 360;
    const int32_t adeg = std::abs(deg);
    fp.cols = !((44 < adeg && adeg < 136) || flat > 99);
    if (!(r > 0))
        return fp; // no dab: every length 0
    const float f = float(flat) * r / 100.0f;
    if (deg % 90 == 0 || flat == 100) {
        fp.A = deg % 180 == 0 ? r : f;
        fp.B = deg % 180 == 0 ? f : r;
        return fp;
    }
    const float g = f / r;
    const long double th = deg * kPi / 180.0L;
    const long double sn = std::sin(th), cs = std::cos(th);
    if (!fp.cols) {
        const Oblique o(std::tan(-th), g);
        const float big = float(std::fabs(sn * o.v + cs * o.w));
        float s = float((cs * o.v - sn * o.w) / big);
        if (adeg < 91)
            s = -s;
        fp.s = s;
        fp.A = float(std::fabs(cs * o.u - sn * ((long double)o.u * o.t)) * r);
        fp.B = float((long double)big * r);
    } else {
        const Oblique o(std::tan(kPi / 2 - th), g);
        const float big = float(std::fabs(cs * o.v - sn * o.w));
        float s = float((sn * o.v + cs * o.w) / big);
        if (deg < 1)
            s = -s;
        fp.s = s;
        fp.A = float((long double)big * r);
        fp.B = float(std::fabs(sn * o.u + cs * ((long double)o.u * o.t)) * r);
    }
    return fp;
}

sFSize footprintHalfExtents(const SDabFootprint5 &fp)
{
    if (fp.cols)
        return {fp.A, fp.B + std::fabs(fp.s) * fp.A};
    return {fp.A + std::fabs(fp.s) * fp.B, fp.B};
}

// ---- construction and settings --------------------------------------------------------------

CPenRender5::CPenRender5(IPenRenderStroke *stroke)
    : FStroke(stroke), FMapObj(std::make_unique<CGradeMapObj5>(kMapEntries)),
      FBitmapShape(std::make_unique<CPenBitmapShape5>(FMapObj.get())),
      FDistanceTable(makeDistanceTable()), FAlphaCache(std::make_unique<CDabAlphaCache5>())
{
    initPenRenderAttr(FRenderAttr);
}

CPenRender5::~CPenRender5() = default;

IPenRenderPaper *CPenRender5::setPaper(IPenRenderPaper *paper)
{
    IPenRenderPaper *old = FPaper;
    FPaper = paper;
    return old;
}

IPenRenderStroke *CPenRender5::setStroke(IPenRenderStroke *stroke)
{
    IPenRenderStroke *old = FStroke;
    FStroke = stroke;
    return old;
}

void CPenRender5::setPenShapeObj(CPenShapeObj *obj, bool map, bool prm, bool atr)
{
    if (obj && obj->hasImage()) {
        FShapeObj = obj;
        FUseBitmap = true;
        FBitmapShape->buildImage(obj, true);
    } else {
        FShapeObj = nullptr;
        FUseBitmap = false;
        FBitmapZoom = 0;
    }
    if (!obj)
        return;
    if (prm)
        changePenParam(obj->penParam);
    if (atr)
        changePenAttr(obj->penAttr);
    if (map)
        changeGradeParam(obj->gradMap);
}

bool CPenRender5::changePenParam(const SPenParam &prm)
{
    if (penParamEqual(prm, FPenParam))
        return false;
    FPenParam = prm;
    return true;
}

bool CPenRender5::changePenAttr(const SPenAttr &prm)
{
    if (penAttrEqual(prm, FPenAttr))
        return false;
    FPenAttr = prm;
    return true;
}

bool CPenRender5::changeGradeParam(const SGradeMapParam &prm)
{
    return FMapObj->setParam(prm);
}

bool CPenRender5::changeMode(uint8_t ren, uint8_t shp, int32_t sub, uint8_t rentype)
{
    return penRenderAttrSetMode(FRenderAttr, ren, shp, sub, rentype);
}

bool CPenRender5::changeRenderMode(const SPenRenderAttr &attr)
{
    return changeMode(uint8_t(attr.renderMode), uint8_t(attr.shapeMode), attr.subRenderMode,
                      attr.renderType);
}

bool CPenRender5::changeRenderParam(const SPenRenderAttr &attr, int32_t f)
{
    return penRenderAttrSetParams(FRenderAttr, attr, f);
}

bool CPenRender5::changeRenderAttr(const SPenRenderAttr &attr, int32_t f)
{
    const bool mode = changeRenderMode(attr);
    const bool param = changeRenderParam(attr, f);
    return mode || param;
}

bool CPenRender5::updatePenColor()
{
    if (!FStroke)
        return false;
    FPenColor.fgCol.all = FStroke->strokeDrawColor();
    FPenColor.bgCol.all = FStroke->strokeBgColor();
    return true;
}

bool CPenRender5::isEnbRender1() const
{
    return (FRenderAttr.renderType & kRenderTypeOneChannel) != 0;
}

float CPenRender5::getRadius() const
{
    if (usesBitmap())
        return float(FBitmapZoom);
    return float(FPenParam.radius) / 100.0f;
}

float CPenRender5::getMinRadius() const
{
    if (usesBitmap()) {
        const int32_t lo = FShapeObj->zoomRng.min;
        return float(lo + (FPenParam.radiusMin / 10) * (FShapeObj->zoomRate - lo) / 100);
    }
    return (float(FPenParam.radius) / 100.0f) * (float(FPenParam.radiusMin) / 1000.0f);
}

float CPenRender5::calcPenSpace(float r, float space) const
{
    if (usesBitmap())
        return space * (float(FShapeObj->imageRadius * FShapeObj->zoomRate) / 100.0f);
    return space * r;
}

void CPenRender5::getRenderingSize(sSize &sz) const
{
    if (usesBitmap()) {
        sz = {fixCeil(FBitmapShape->FRotateRect.x), fixCeil(FBitmapShape->FRotateRect.y)};
        return;
    }
    sz = {int32_t(std::ceil(FRenderParam.size.x)), int32_t(std::ceil(FRenderParam.size.y))};
}

// ---- the stroke -----------------------------------------------------------------------------

void CPenRender5::startRender(TMTC &dst, float x, float y, float)
{
    if (FPaper && !FPaper->isPaintLevel5())
        return;
    FBitmapZoom = usesBitmap() ? FShapeObj->zoomRate : 0;
    if (FRenderAttr.renderMode == ePenRenderMode::PRMODE_WC)
        startWaterColor(dst, x, y);
}

void CPenRender5::endRender()
{
    if (usesBitmap())
        FShapeObj->changeZoom(FBitmapZoom);
}

bool CPenRender5::setRenderParam(const CDibCore &target, const SStrokeData &locus, uint32_t col,
                                 float hy, float hx)
{
    // Far positions (and lengths) would not fit the 32-bit rectangle: nothing is painted there.
    constexpr float kFar = 1 << 24;
    if (!(locus.p > 0) || !(std::fabs(locus.x) < kFar) || !(std::fabs(locus.y) < kFar) ||
        !(hx < kFar) || !(hy < kFar))
        return false;
    hx = std::max(hx, 0.1f);
    hy = std::max(hy, 0.1f);
    FRenderParam.pos = {locus.x, locus.y};
    FRenderParam.pres = locus.p;
    FRenderParam.size = {hx, hy};
    const sRect whole{int32_t(std::floor(locus.x - hx)), int32_t(std::floor(locus.y - hy)),
                      int32_t(std::ceil(locus.x + hx)), int32_t(std::ceil(locus.y + hy))};
    FRenderParam.rect = whole;
    FRenderParam.color.all = col;
    if (!target.clipping(FRenderParam.rect))
        return false;
    FRenderParam.ofs = {FRenderParam.rect.x0 - whole.x0, FRenderParam.rect.y0 - whole.y0};
    return true;
}

// ---- one dab --------------------------------------------------------------------------------

bool CPenRender5::prepareImageDab(const CDibCore &target, const SStrokeData &locus, float r,
                                  uint32_t col)
{
    FShapeObj->changeZoom(int32_t(std::trunc(r + 0.5f)));
    FBitmapShape->makeShape();
    return setRenderParam(target, locus, col, FBitmapShape->FRotateRect.y / 65536.0f,
                          FBitmapShape->FRotateRect.x / 65536.0f);
}

SDabRaster5 CPenRender5::standardDab(const SStrokeData &locus, const SDabFootprint5 &fp) const
{
    SDabRaster5 dab;
    dab.x = locus.x, dab.y = locus.y, dab.pres = locus.p;
    dab.color = FRenderParam.color.all;
    dab.antiOff = penAttrIsAntiOff(FPenAttr);
    dab.fp = fp;
    dab.map = FMapObj.get();
    dab.distance = FDistanceTable.get();
    dab.alphas = FFastChords ? FAlphaCache.get() : nullptr;
    return dab;
}

SImageDab5 CPenRender5::imageDab(const SStrokeData &locus) const
{
    SImageDab5 dab;
    dab.x = locus.x, dab.y = locus.y, dab.pres = FRenderParam.pres;
    dab.color = FRenderParam.color.all;
    dab.antiOff = penAttrIsAntiOff(FPenAttr);
    dab.rect = FRenderParam.rect;
    dab.shape = FBitmapShape.get();
    return dab;
}

bool CPenRender5::render4chPen(TMTC &tc, const SStrokeData &locus, float r, uint32_t col)
{
    SDabFootprint5 fp;
    if (usesBitmap()) {
        if (!prepareImageDab(tc, locus, r, col))
            return false;
    } else {
        fp = calcFootprint5(FPenParam, r);
        const sFSize ext = footprintHalfExtents(fp);
        // A miss does not stop the dab: the rasterisers clip again.
        setRenderParam(tc, locus, col, ext.y, ext.x);
    }
    switch (FRenderAttr.renderMode) {
    case ePenRenderMode::PRMODE_Std:
        renderNormal4ch(tc, locus, r, fp);
        return true;
    case ePenRenderMode::PRMODE_WC:
        renderWaterColor4ch(tc, locus, r, fp);
        return true;
    case ePenRenderMode::PRMODE_Erase:
        renderErase4ch(tc, locus, r, fp);
        return true;
    default:
        return false; // the version-4 renderer's modes
    }
}

void CPenRender5::renderNormal4ch(TMTC &tc, const SStrokeData &locus, float r,
                                  const SDabFootprint5 &fp)
{
    if (usesBitmap())
        rasterDabImage5(tc, imageDab(locus));
    else if (r < 1)
        rasterDabSmall5(tc, standardDab(locus, fp));
    else if (fp.cols)
        rasterDabColumns5(tc, standardDab(locus, fp));
    else
        rasterDabRows5(tc, standardDab(locus, fp));
}

bool CPenRender5::render1chPen(TChannel &ch, const SStrokeData &locus, float r, uint32_t col)
{
    if (usesBitmap()) {
        if (!prepareImageDab(ch, locus, r, col))
            return false;
        rasterDabImage5(ch, imageDab(locus));
        return true;
    }
    const SDabFootprint5 fp = calcFootprint5(FPenParam, r);
    const sFSize ext = footprintHalfExtents(fp);
    setRenderParam(ch, locus, col, ext.y, ext.x);
    if (r < 2)
        rasterDabSmall5(ch, standardDab(locus, fp));
    else if (fp.cols)
        rasterDabColumns5(ch, standardDab(locus, fp));
    else
        rasterDabRows5(ch, standardDab(locus, fp));
    return true;
}

void CPenRender5::renderErase4ch(TMTC &tc, const SStrokeData &locus, float r,
                                 const SDabFootprint5 &fp)
{
    const TLayerMode mode = FPaper ? FPaper->strokeLayerMode() : TLayerMode::LM_STD;
    const bool keepAlpha = FStroke && FStroke->strokeProtectsTransparency();
    // Without transparency protection the eraser lowers alpha: the base put is swapped for this
    // dab only, and put back however the dab ends.
    std::optional<StrokeColorPutSwap> swap;
    if (!keepAlpha)
        swap.emplace(pixelEraseAlpha);
    FRenderParam.color.all = getLayerModeBgColor(mode).value_or(0);
    renderNormal4ch(tc, locus, r, fp);
}

// ---- watercolour ----------------------------------------------------------------------------

sBGRA CPenRender5::pickWaterColor(const TMTC &dst, int32_t x, int32_t y, sBGRA mix) const
{
    x = std::clamp(x, 0, dst.width() - 1);
    y = std::clamp(y, 0, dst.height() - 1);
    const sBGRA px = *dst.seek32(x, y);
    uint32_t a = px.A;
    if (FPaper)
        a = std::min(FPaper->selectionAlpha(x, y, a), 255u);
    auto channel = [a](uint32_t m, uint32_t p) { return uint8_t(((255 - a) * m + a * p) / 255); };
    sBGRA out{};
    out.B = channel(mix.B, px.B);
    out.G = channel(mix.G, px.G);
    out.R = channel(mix.R, px.R);
    out.A = px.A;
    return out;
}

void CPenRender5::startWaterColor(const TMTC &dst, float x, float y)
{
    if (!FStroke || !dst.isEnable())
        return;
    SWaterColorWork &wc = FStroke->strokeWaterColor();
    const int32_t x0 = int32_t(std::trunc(x)), y0 = int32_t(std::trunc(y));
    uint32_t sumB = 0, sumG = 0, sumR = 0;
    for (int32_t i = 0; i <= 10; ++i)
        for (int32_t j = 0; j <= 10; ++j) {
            const sBGRA s = pickWaterColor(dst, x0 + j - 5, y0 + i - 5, FPenColor.fgCol);
            sumB += s.B, sumG += s.G, sumR += s.R;
        }
    wc.firstCol.B = uint8_t(sumB / 121);
    wc.firstCol.G = uint8_t(sumG / 121);
    wc.firstCol.R = uint8_t(sumR / 121);
    wc.penCol.r = float(wc.firstCol.R);
    wc.penCol.g = float(wc.firstCol.G);
    wc.penCol.b = float(wc.firstCol.B);
    wc.blendCol[0] = wc.firstCol;
    // Effect 1 (the stretch) is the share of the picked-up colour kept at the start.
    const int32_t kept = clampByte(int32_t(effect(0)) * 255 / 100);
    pixelPutAlpha(&wc.blendCol[0], FPenColor.fgCol.all, uint32_t(255 - kept));
}

void CPenRender5::renderWaterColor4ch(TMTC &tc, const SStrokeData &locus, float r,
                                      const SDabFootprint5 &fp)
{
    if (!FStroke || !tc.isEnable()) {
        renderNormal4ch(tc, locus, r, fp);
        return;
    }
    SWaterColorWork &wc = FStroke->strokeWaterColor();
    // How far the dab colour has come in: over effect 3 diameters of the stroke.
    const float reach = float(effect(2)) * (float(FPenParam.radius) / 100.0f) * 2.0f;
    int32_t k = 0x10000;
    if (reach != 0)
        k = std::min(floatToFix(FStroke->strokePenProgress() / reach), 0x10000);
    wc.blendCol[1] = wc.blendCol[0];
    pixelPutAlpha(&wc.blendCol[1], FRenderParam.color.all, uint32_t(std::max(k, 0) * 255) >> 16);

    const float hx = FRenderParam.size.x, hy = FRenderParam.size.y;
    const sPos at[4] = {{roundSingle(locus.x), roundSingle(locus.y - hy + 1)},
                        {roundSingle(locus.x), roundSingle(locus.y + hy + 1)},
                        {roundSingle(locus.x - hx + 1), roundSingle(locus.y)},
                        {roundSingle(locus.x + hx + 1), roundSingle(locus.y)}};
    uint32_t sum[3] = {0, 0, 0};
    for (const sPos &p : at) {
        const sBGRA s = pickWaterColor(tc, p.x, p.y, wc.blendCol[1]);
        sum[0] += s.R, sum[1] += s.G, sum[2] += s.B;
    }
    // The running colour moves towards the samples by at most effect 2 / 10 per dab.
    const int32_t m = effect(1);
    const int32_t step = (m << 16) / 10;
    float *chan[3] = {&wc.penCol.r, &wc.penCol.g, &wc.penCol.b};
    for (int c = 0; c < 3; ++c) {
        const int32_t cur = floatToFix(*chan[c]), target = int32_t(sum[c] / 4) << 16;
        const int32_t next = std::abs(target - cur) <= step ? target
                             : target > cur                 ? cur + step
                                                            : cur - step;
        *chan[c] = float(next / 65536.0L);
    }
    sBGRA pen{};
    pen.R = uint8_t(clampByte(int32_t(wc.penCol.r)));
    pen.G = uint8_t(clampByte(int32_t(wc.penCol.g)));
    pen.B = uint8_t(clampByte(int32_t(wc.penCol.b)));
    const long double blur = std::trunc(m * 2.55L);
    pixelPutAlpha(&wc.blendCol[1], pen.all, uint32_t(std::min(blur, 255.0L)));

    // Image nibs take their opacity from the stroke, at 35 %.
    const float base = FStroke->strokePenIfTrans() ? locus.p : FStroke->strokeOpaque();
    FRenderParam.pres = float(fixMul(floatToFix(base), 22937) / 65536.0L);
    FRenderParam.color = wc.blendCol[1];
    renderNormal4ch(tc, locus, r, fp);
}
