#include "paint/stroke/stroke_placement4.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/render/pen_render4.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_host.h"
#include "paint/stroke/stroke_placement.h"

#include <algorithm>
#include <cmath>

// Expressions are evaluated in extended precision and rounded to Single when stored, as the
// recorded strokes were computed: the same samples must give the same dabs.
using ext = long double;

namespace {

// A segment longer than this lies far outside any image (10000 pixels at most); it is not
// walked, so that a wild sample cannot stall the stroke.
constexpr float kMaxSegment = 1.0e7f;

float mean(float a, float b)
{
    return float((ext(a) + b) / 2);
}

} // namespace

// ---- CCorrect -------------------------------------------------------------------------------

bool CCorrect::setType(eCorrectType t)
{
    if (t == genType)
        return false;
    genType = t;
    return true;
}

bool CCorrect::start()
{
    dataAry.fill({});
    count = 0;
    started = true;
    return true;
}

bool CCorrect::isEnable() const
{
    return started && (genType == eCorrectType::corRaw || genType == eCorrectType::corAvr);
}

void CCorrect::add(const SStrokeData &sd)
{
    if (!isEnable())
        return;
    if (count == 0) {
        dataAry.fill({sd.x, sd.y, 0});
    } else {
        dataAry[2] = dataAry[1];
        dataAry[1] = dataAry[0];
        dataAry[0] = sd;
        if (genType == eCorrectType::corAvr) {
            const SStrokeData &a = dataAry[0], &b = dataAry[2];
            dataAry[1] = {mean(a.x, b.x), mean(a.y, b.y), mean(a.p, b.p)};
        }
    }
    count = count < INT32_MAX ? count + 1 : count;
}

bool CCorrect::getLast(SStrokeData &sd) const
{
    if (!isEnable())
        return false;
    sd = dataAry[0];
    return true;
}

bool CCorrect::getP1(SStrokeData &sd) const
{
    if (!isEnable())
        return false;
    sd = dataAry[genType == eCorrectType::corRaw ? 0 : 1];
    return true;
}

bool CCorrect::getP0(SStrokeData &sd) const
{
    if (!isEnable())
        return false;
    sd = dataAry[genType == eCorrectType::corRaw ? 1 : 2];
    return true;
}

// ---- CStrokeMngr ----------------------------------------------------------------------------

CStrokeMngr::CStrokeMngr(TStroke *strk, CPenRender *pr) : Fstroke(strk), penRender(pr)
{
    strokeParamInit(strokeParam);
}

void CStrokeMngr::setObject(TStroke *strk, bool)
{
    Fstroke = strk;
    if (penRender)
        penRender->setStroke(strk);
}

void CStrokeMngr::setRender(CPenRender *pr)
{
    penRender = pr;
}

void CStrokeMngr::setTarget(IStrokeFlow *flw, IStrokePaper *pa)
{
    Fflow = flw;
    Fpaper = pa;
    Fpaper4 = dynamic_cast<const IStrokePaper4 *>(pa);
    if (penRender)
        penRender->setPaper(pa);
}

bool CStrokeMngr::reset(int32_t idx, IStrokeFlow *flw, IStrokePaper *pa, TStroke *strk)
{
    setTarget(flw, pa);
    const bool ok = reset(idx);
    setObject(strk, true);
    return ok;
}

bool CStrokeMngr::reset(int32_t idx)
{
    penCount = 0;
    penPutCount = 0;
    bDirWold = -1;
    updtRect = {};
    updtRectAll = {};
    layerIdx = resetLayerIndex(Fpaper, idx, layerIdx);
    return true;
}

bool CStrokeMngr::start(const SStrokeData &sd)
{
    if (!correcter.start())
        return false;
    correcter.add(sd);
    if (Fstroke)
        Fstroke->setPenProgress(0);
    syncStroke();
    if (!penRender)
        return true;
    if (Fpaper && Fpaper->isEventPlaying())
        penRender->setPenShapeObj(Fpaper->GetActivePenShapeObj(), false, false, false);
    if (Fflow) {
        const sPos v = Fflow->flowViewPos();
        penRender->startRender(Fflow->flowImage(), sd.x + float(v.x), sd.y + float(v.y), sd.p);
    }
    return true;
}

void CStrokeMngr::addUpdateRect(const sRect &r)
{
    addStrokeUpdateRect(updtRect, updtRectAll, r, penPutCount == 0, isFirst);
}

int32_t CStrokeMngr::stroker()
{
    SStrokeData P0, P1;
    if (!penRender || !Fflow || !correcter.getP1(P1) || !correcter.getP0(P0))
        return 0;
    if (!std::isfinite(P0.x) || !std::isfinite(P0.y) || !std::isfinite(P1.x) ||
        !std::isfinite(P1.y))
        return 0;
    isFirst = true;
    addUpdateRect(dabUpdateRect({roundSingle(P0.x), roundSingle(P0.y)}, {8, 8}));
    if (Fpaper) {
        Fpaper->convVramPosToLayerPos(layerIdx, P0.x, P0.y);
        Fpaper->convVramPosToLayerPos(layerIdx, P1.x, P1.y);
    }
    const float g = strokeParamGetPrsGamma(strokeParam);
    const float p0 = pressurePow(P0.p, g), p1 = pressurePow(P1.p, g);
    const float dx = float(ext(P1.x) - P0.x), dy = float(ext(P1.y) - P0.y);
    const float dp = float(ext(p1) - p0);
    const float ax = std::fabs(dx), ay = std::fabs(dy);
    const float m = ax > ay ? ax : ay;
    if (!(m > 0) || m > kMaxSegment)
        return 0;

    // One step moves one pixel along the major axis (the whole delta when shorter than that).
    float sx = dx, sy = dy, sp = dp;
    if (m < 1) {
        bDirW = ax >= ay;
    } else {
        bDirW = ax >= ay;
        const float major = bDirW ? ax : ay;
        sx = float(ext(dx) / major), sy = float(ext(dy) / major), sp = float(ext(dp) / major);
    }
    int32_t n = int32_t(std::ceil(m));

    const float R = penRender->getPenRadius();
    const float rmin = strokeParam.enbPrsRadius ? penRender->getPenMinRadius(R) : R;
    auto radiusAt = [R, rmin](float p) { return float(rmin + (ext(R) - rmin) * p); };
    const float r0 = radiusAt(p0), r1 = radiusAt(p1);

    // A Single spacing: 0.1 × 20 is 2 exactly, so a dab every second step.
    const float spacing = penRender->calcPenSpacing(R, strokeParamGetSpacing(strokeParam));
    int32_t every = int32_t(std::clamp(std::ceil(spacing), 1.0f, float(INT32_MAX / 2)));
    if (r1 < float(strokeParam.everyFreqR) || r0 < float(strokeParam.everyFreqR))
        every = 1;
    if (r1 < float(strokeParam.highDensityR) || r0 < float(strokeParam.highDensityR)) {
        const int32_t k = std::min(r0, r1) <= 0.7f ? 3 : 2;
        sx = float(ext(sx) / k), sy = float(ext(sy) / k), sp = float(ext(sp) / k);
        n *= k;
    }
    const float progress = float(std::sqrt(ext(dx) * dx + ext(dy) * dy) / m * 4);

    float x = float(ext(P0.x) + 0.25), y = float(ext(P0.y) + 0.25), p = p0;
    int32_t drawn = 0;
    for (int32_t i = 0; i < n; ++i) {
        const float factor = strokeParam.enbPrsOpaque ? p : 1.0f;
        if (penCount % every == 0) {
            drawDab(x, y, radiusAt(p), factor);
            ++drawn;
        }
        x = float(ext(x) + sx);
        y = float(ext(y) + sy);
        p = float(ext(p) + sp);
        bDirWold = bDirW ? 1 : 0;
        lastPos = {x, y};
        p = std::clamp(p, 0.0f, 1.0f);
        if (Fstroke)
            Fstroke->AddPenProgress(float(ext(progress) * p));
        penCount = penCount < INT32_MAX ? penCount + 1 : 0;
    }
    return drawn;
}

bool CStrokeMngr::replaysOldWaterColor() const
{
    return Fpaper && Fpaper->isEventPlaying() && Fpaper4 &&
           Fpaper4->playEventFileVersion() <= kOldWaterColorEventVersion;
}

void CStrokeMngr::drawDab(float x, float y, float radius, float factor)
{
    const SStrokeData locus{x, y, float(ext(strokeParamGetOpaque(strokeParam)) * factor)};
    if (m_dabObserver)
        m_dabObserver(locus, radius);
    const ePenRenderMode mode = penRender->getRenderAttrRef().renderMode;
    // Watercolour takes the method's pressure-to-opacity switch for the dab, except in replays
    // of old event files, which keep the stroke's own.
    const bool swapIfTrans =
        mode == ePenRenderMode::PRMODE_WC && Fstroke && !replaysOldWaterColor();
    const bool savedIfTrans = Fstroke ? Fstroke->m_penIfTrans : false;
    if (swapIfTrans)
        Fstroke->m_penIfTrans = strokeParam.enbPrsOpaque;
    if (mode == ePenRenderMode::PRMODE_Blur)
        penRender->setBlurParam(Fpaper4 ? Fpaper4->layerImage(layerIdx) : nullptr, radius);
    penRender->setPaper(Fpaper);
    penRender->bShapeDirX = !bDirW;
    if (penRender->isEnbRender1()) {
        if (TChannel *alpha = Fflow->flowAlpha())
            penRender->renderPen1(*alpha, locus, radius, 255);
    } else {
        penRender->render(Fflow->flowImage(), locus, radius, penRender->getPenColorRef().fgCol.all);
    }
    if (swapIfTrans)
        Fstroke->m_penIfTrans = savedIfTrans;

    sPos pos{roundSingle(x), roundSingle(y)};
    if (Fpaper)
        Fpaper->convLayerPosToVramPos(layerIdx, pos);
    sSize reach;
    penRender->calcEffectivePenSize(radius, reach);
    addUpdateRect(dabUpdateRect(pos, reach));
    isFirst = false;
    penPutCount = penPutCount < INT32_MAX ? penPutCount + 1 : penPutCount;
}

void CStrokeMngr::getUpdateBox(sBox &box) const
{
    box = evenUpdateBox(updtRect);
}

void CStrokeMngr::getUpdateAllBox(sBox &box) const
{
    box = evenUpdateBox(updtRectAll);
}

void CStrokeMngr::clearFlowAlpha(const sBox *box, bool force)
{
    TChannel *alpha = Fflow ? Fflow->flowAlpha() : nullptr;
    if (!alpha || !alpha->isEnable())
        return;
    if (!force && !(penRender && penRender->isEnbRender1()))
        return;
    if (box) {
        sBox b = *box;
        alpha->fillBox(b, 0);
    } else {
        alpha->PixelFill(0);
    }
}

void CStrokeMngr::endStroke()
{
    if (penRender)
        penRender->endRender();
}

void CStrokeMngr::syncStroke()
{
    if (Fstroke)
        strokeParamSetOpaque(strokeParam, Fstroke->getOpaque());
    if (penRender && Fstroke)
        penRender->updatePenColor();
}
