#include "paint/stroke/stroke_placement.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_host.h"

#include <algorithm>
#include <cmath>

// Expressions are evaluated in extended precision and rounded to Single when stored, as the
// recorded strokes were computed: the same samples must give the same dabs.
using ext = long double;

namespace {

// A segment shorter than this draws one dab and walks nothing.
constexpr float kMinDistance = 1.0f / 128;

// Samples are held within this many pixels of the origin: far beyond any image (at most 10000
// pixels a side), near enough that a walk to them ends in reasonable time.
constexpr float kMaxCoordinate = 65536;

// sd with its position held within the coordinate range (NaN stays NaN and is never drawn).
SStrokeData heldSample(const SStrokeData &sd)
{
    const auto hold = [](float v) {
        return v > kMaxCoordinate ? kMaxCoordinate : (v < -kMaxCoordinate ? -kMaxCoordinate : v);
    };
    return {hold(sd.x), hold(sd.y), sd.p};
}

bool usableSample(const SStrokeData &sd)
{
    return std::isfinite(sd.x) && std::isfinite(sd.y) && std::isfinite(sd.p);
}

// roundSingle without the extended-precision call: the Single's value rounded half to even and
// wrapped to 32 bits, 0 at or beyond 2^63 in size and for NaN. The Single is exact as a double;
// below 2^51 in size adding and taking away 2^52 + 2^51 rounds it in the default mode (nearest,
// ties to even) as nearbyint does, and a larger Single is whole already. Checked against
// roundSingle on every Single.
int32_t roundSingleEven(float f)
{
    constexpr double kShift = 6755399441055744.0, kWhole = 2251799813685248.0; // 2^52 + 2^51, 2^51
    const double v = f;
    if (!(std::fabs(v) < 9223372036854775808.0))
        return 0;
    const double r = std::fabs(v) < kWhole ? (v + kShift) - kShift : v;
    return int32_t(uint32_t(uint64_t(int64_t(r))));
}

sPos roundPos(float x, float y)
{
    return {roundSingleEven(x), roundSingleEven(y)};
}

} // namespace

sRect dabUpdateRect(const sPos &pos, const sSize &size)
{
    return {pos.x - size.x - 2, pos.y - size.y - 2, pos.x + size.x + 2, pos.y + size.y + 2};
}

sBox evenUpdateBox(const sRect &r)
{
    const auto even = [](int32_t v) { return int32_t(uint32_t(v) & ~1u); };
    sBox box;
    box.x = even(r.x0);
    box.w = even(int32_t(uint32_t(r.x1) + 1)) - box.x;
    box.y = even(r.y0);
    box.h = even(int32_t(uint32_t(r.y1) + 1)) - box.y;
    return box;
}

float pressurePow(float p, float g)
{
    const ext base = std::clamp<ext>(p == p ? p : 0, 0, 1);
    const ext r = std::pow(base, ext(g));
    return r == r ? float(std::min<ext>(r, 1)) : 0.0f;
}

void addStrokeUpdateRect(sRect &updt, sRect &updtAll, const sRect &r, bool noDabYet,
                         bool firstOfCall)
{
    if (noDabYet) {
        updt = updtAll = r;
        return;
    }
    if (firstOfCall) {
        updt = r;
    } else {
        rectUnion(updt, r);
    }
    rectUnion(updtAll, r);
}

int32_t resetLayerIndex(const IStrokePaper *pa, int32_t idx, int32_t current)
{
    if (idx < 0) {
        return pa ? pa->ActiveLayer() : current;
    }
    return !pa || idx <= pa->MaxLayer() ? idx : current;
}

CStrokeMngr5::CStrokeMngr5(TStroke *strk, CPenRender5 *pr) : Fstroke(strk), FPenRender(pr)
{
    strokeParamInit(strokeParam);
}

void CStrokeMngr5::setObject(TStroke *strk, bool)
{
    Fstroke = strk;
    if (FPenRender) {
        FPenRender->setStroke(strk);
    }
}

void CStrokeMngr5::setRender(CPenRender5 *pr)
{
    FPenRender = pr;
}

void CStrokeMngr5::setTarget(IStrokeFlow *flw, IStrokePaper *pa)
{
    Fflow = flw;
    Fpaper = pa;
    if (FPenRender) {
        FPenRender->setPaper(pa);
    }
}

bool CStrokeMngr5::reset(int32_t idx, IStrokeFlow *flw, IStrokePaper *pa, TStroke *strk)
{
    setTarget(flw, pa);
    const bool ok = reset(idx);
    setObject(strk, true);
    return ok;
}

bool CStrokeMngr5::reset(int32_t idx)
{
    penCount = 0;
    penPutCount = 0;
    bDirWold = -1;
    updtRect = {};
    updtRectAll = {};
    FResidueDist = 0;
    FInterpolater.reset();
    m_spanPending = false;
    layerIdx = resetLayerIndex(Fpaper, idx, layerIdx);
    return true;
}

bool CStrokeMngr5::start(const SStrokeData &input)
{
    const SStrokeData sd = heldSample(input);
    if (!usableSample(sd)) {
        FInterpolater.reset();
        return false;
    }
    FSmoother.setSampleCount(strokeParam.smooth);
    FInterpolater.setType(strokeParam.interpolateType);
    if (!FSmoother.start(sd)) {
        FInterpolater.reset();
        return false;
    }
    FInterpolater.start(sd);
    m_spanPending = false;
    if (Fstroke) {
        Fstroke->setPenProgress(0);
    }
    syncStroke();
    if (!FPenRender) {
        return true;
    }
    if (Fpaper && Fpaper->isEventPlaying()) {
        FPenRender->setPenShapeObj(Fpaper->GetActivePenShapeObj(), false, false, false);
    }
    if (Fflow) {
        const sPos v = Fflow->flowViewPos();
        FPenRender->startRender(Fflow->flowImage(), sd.x + float(v.x), sd.y + float(v.y), sd.p);
    }
    return true;
}

void CStrokeMngr5::add(const SStrokeData &sd)
{
    if (usableSample(sd) && FSmoother.add(heldSample(sd))) {
        FInterpolater.add(FSmoother.getSmoothData());
        m_spanPending = true;
    }
}

void CStrokeMngr5::stroker()
{
    // Only a span that a sample brought is drawn: an ignored sample does not repeat the last one.
    if (!m_spanPending || !FSmoother.isUsable() || !FPenRender || !Fflow) {
        return;
    }
    m_spanPending = false;
    const std::span<const SStrokeData> points = FInterpolater.getInterpolatePoints();
    if (points.empty()) {
        return;
    }
    isFirst = true;
    for (size_t i = 1; i < points.size(); ++i) {
        drawSegment(points[i - 1], points[i]);
    }
}

void CStrokeMngr5::addUpdateRect(const sRect &r)
{
    addStrokeUpdateRect(updtRect, updtRectAll, r, penPutCount == 0, isFirst);
}

float CStrokeMngr5::dabRadius(float p, float r, float rmin) const
{
    return std::max(0.1f, float(ext(rmin) + (ext(r) - rmin) * p));
}

float CStrokeMngr5::dabSpacing(float radius) const
{
    float space = FPenRender->calcPenSpace(radius, strokeParamGetSpacing(strokeParam));
    if (radius <= 1) {
        space = std::max(radius / 2, space);
    }
    // A spacing of zero or less (or none at all) would walk forever on the spot.
    return space >= kMinDistance ? space : kMinDistance;
}

void CStrokeMngr5::drawDab(const SWalkPoint &at, float radius)
{
    const float factor = strokeParam.enbPrsOpaque ? at.p : 1.0f;
    const SStrokeData locus{at.x, at.y, float(ext(strokeParamGetOpaque(strokeParam)) * factor)};
    const bool waterColor = FPenRender->renderAttr().renderMode == ePenRenderMode::PRMODE_WC;
    const bool savedIfTrans = Fstroke ? Fstroke->m_penIfTrans : false;
    if (waterColor && Fstroke) {
        Fstroke->m_penIfTrans = strokeParam.enbPrsOpaque;
    }
    if (m_dabObserver) {
        m_dabObserver(locus, radius);
    }
    FPenRender->setPaper(Fpaper);
    if (FPenRender->isEnbRender1()) {
        if (TChannel *alpha = Fflow->flowAlpha()) {
            FPenRender->render1chPen(*alpha, locus, radius, 255);
        }
    } else {
        FPenRender->render4chPen(Fflow->flowImage(), locus, radius,
                                 FPenRender->penColor().fgCol.all);
    }
    if (waterColor && Fstroke) {
        Fstroke->m_penIfTrans = savedIfTrans;
    }

    sPos pos = roundPos(at.x, at.y);
    if (Fpaper) {
        Fpaper->convLayerPosToVramPos(layerIdx, pos);
    }
    sSize reach;
    FPenRender->getRenderingSize(reach);
    addUpdateRect(dabUpdateRect(pos, reach));
    isFirst = false;
    penPutCount = penPutCount < INT32_MAX ? penPutCount + 1 : penPutCount;
}

void CStrokeMngr5::drawSegment(const SStrokeData &a, const SStrokeData &b)
{
    addUpdateRect(dabUpdateRect(roundPos(a.x, a.y), {8, 8}));
    float ax = a.x, ay = a.y, bx = b.x, by = b.y;
    if (Fpaper) {
        Fpaper->convVramPosToLayerPos(layerIdx, ax, ay);
        Fpaper->convVramPosToLayerPos(layerIdx, bx, by);
    }
    const float g = strokeParamGetPrsGamma(strokeParam);
    const float pA = pressurePow(a.p, g), pB = pressurePow(b.p, g);
    const float dx = float(ext(bx) - ax), dy = float(ext(by) - ay), dp = float(ext(pB) - pA);
    const float d = float(std::sqrt(ext(dx) * dx + ext(dy) * dy));

    const float r = FPenRender->getRadius();
    const float rmin = strokeParam.enbPrsRadius ? FPenRender->getMinRadius() : r;
    if (!(d >= kMinDistance)) {
        if (r > 0) {
            drawDab({ax, ay, pA}, dabRadius(pA, r, rmin));
        }
        return;
    }
    const float ux = float(ext(dx) / d), uy = float(ext(dy) / d), up = float(ext(dp) / d);
    bDirW = std::fabs(dx) >= std::fabs(dy);
    bDirWold = bDirW ? 1 : 0;
    if (FResidueDist > d) {
        FResidueDist = float(ext(FResidueDist) - d);
        return;
    }
    SWalkPoint at{ax, ay, pA};
    if (FResidueDist > kMinDistance) {
        at = {float(ax + ext(ux) * FResidueDist), float(ay + ext(uy) * FResidueDist),
              float(pA + ext(up) * FResidueDist)};
    }
    float w = FResidueDist;
    if (!(r > 0)) {
        return;
    }
    while (d > w) {
        const float radius = dabRadius(at.p, r, rmin);
        const float space = dabSpacing(radius);
        drawDab(at, radius);
        const float next = float(ext(w) + space);
        if (!(next > w)) {
            // The step no longer moves a Single this large: the rest of the segment is done.
            w = d;
            break;
        }
        w = next;
        at.x = float(at.x + ext(ux) * space);
        at.y = float(at.y + ext(uy) * space);
        at.p = std::clamp(float(at.p + ext(up) * space), 0.0f, 1.0f);
        if (Fstroke) {
            Fstroke->AddPenProgress(space);
        }
        penCount = penCount < INT32_MAX ? penCount + 1 : penCount;
    }
    lastPos = {at.x, at.y};
    FResidueDist = float(ext(w) - d);
}

void CStrokeMngr5::clearFlowAlpha(const sBox *box, bool force)
{
    TChannel *alpha = Fflow ? Fflow->flowAlpha() : nullptr;
    if (!alpha || !alpha->isEnable()) {
        return;
    }
    if (!force && !(FPenRender && FPenRender->isEnbRender1())) {
        return;
    }
    if (box) {
        sBox b = *box;
        alpha->fillBox(b, 0);
    } else {
        alpha->PixelFill(0);
    }
}

void CStrokeMngr5::endStroke()
{
    if (FPenRender) {
        FPenRender->endRender();
    }
}

void CStrokeMngr5::syncStroke()
{
    if (Fstroke) {
        strokeParamSetOpaque(strokeParam, Fstroke->getOpaque());
    }
    if (FPenRender) {
        FPenRender->updatePenColor();
    }
}

bool CStrokeMngr5::getLast(SStrokeData &sd) const
{
    if (!FSmoother.isUsable()) {
        return false;
    }
    sd = FSmoother.getLastData();
    return true;
}

bool CStrokeMngr5::setSmoothLevel(int32_t l)
{
    if (l < 0 || l == strokeParam.smooth) {
        return false;
    }
    strokeParam.smooth = l;
    return true;
}

bool CStrokeMngr5::setInterpolateType(eInterpolateType t)
{
    if (t == strokeParam.interpolateType) {
        return false;
    }
    strokeParam.interpolateType = t;
    return true;
}
