#include "paint/canvas/stroke_canvas_older.h"

#include "core/pixel/blend_modes.h"
#include "paint/render/legacy_blur.h"
#include "paint/render/legacy_dabs.h"
#include "paint/render/pen_render4.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"

#include <algorithm>
#include <cmath>

namespace {

// The level-1 draw procedure's pressure curve: p ^ gamma held in 0..1 (a gamma of 0 leaves p).
float gammaPressure(float p, float gamma)
{
    if (gamma == 0)
        return p;
    const long double r = std::pow(std::clamp<long double>(p == p ? p : 0, 0, 1), gamma);
    return r == r ? float(std::clamp<long double>(r, 0, 1)) : 0.0f;
}

} // namespace

CStrokeCanvasOlder::CStrokeCanvasOlder(int32_t w, int32_t h, uint32_t fill, sPos viewPos)
    : CStrokeCanvasBase(w, h, fill, viewPos), m_layerImage(w, h)
{
}

void CStrokeCanvasOlder::beginFlow()
{
    m_flow.copyImage(m_layer);
    m_layerImage.bltFrom(m_layer, 0, 0, 255);
}

void CStrokeCanvasOlder::layCoverage(const TStroke &stroke, const sBox &paperBox, bool blur2)
{
    sBox box = paperBox;
    if (!layerBox(box))
        return;
    if (blur2) {
        applyBlur2Box(m_flow, m_layerImage, m_alpha, box, nullptr);
        return;
    }
    m_flow.copyArea(m_layer, box.pos(), box);
    drawColorThroughChannel(m_flow, m_alpha, box.pos(), box, stroke.m_drawColor,
                            stroke.OpaqueDWORD(), false);
}

void CStrokeCanvasOlder::endFlow(const sBox &paperBox, bool clearCoverage)
{
    sBox box = paperBox;
    if (!layerBox(box))
        return;
    m_layer.copyArea(m_flow, box.pos(), box);
    if (clearCoverage)
        m_alpha.fillBox(box, 0);
}

// ---- level 4 --------------------------------------------------------------------------------

bool CStrokeCanvasOlder::strokeBegin4(CStrokeMngr &mngr, TStroke &stroke, const SStrokeData &sd)
{
    beginFlow();
    return startManagedStroke(mngr, stroke, sd);
}

void CStrokeCanvasOlder::strokeAdd4(CStrokeMngr &mngr, TStroke &stroke, const SStrokeData &sd)
{
    mngr.add(sd);
    drawManagedStep(mngr, stroke, [&](const sBox &box) { layCoverage(stroke, box, false); });
}

sBox CStrokeCanvasOlder::strokeEnd4(CStrokeMngr &mngr, TStroke &)
{
    return endManagedStroke(mngr);
}

bool CStrokeCanvasOlder::drawStroke4(CStrokeMngr &mngr, TStroke &stroke,
                                     std::span<const SStrokeData> samples)
{
    if (samples.empty() || !strokeBegin4(mngr, stroke, samples.front()))
        return false;
    for (const SStrokeData &sd : samples.subspan(1))
        strokeAdd4(mngr, stroke, sd);
    strokeEnd4(mngr, stroke);
    return true;
}

// ---- level 1 --------------------------------------------------------------------------------

bool CStrokeCanvasOlder::usesCoverage1(const TStroke &stroke) const
{
    return stroke.m_drawMode == TDrawMode::DM_PEN || stroke.m_drawMode == TDrawMode::DM_BLUR2;
}

void CStrokeCanvasOlder::strokeBegin1(TStroke &stroke, const SStrokeData &sd)
{
    beginFlow();
    stroke.initBeginStroke(this, m_flow, m_viewPos, sd.x, sd.y, sd.p);
    preparePuts(stroke);
}

void CStrokeCanvasOlder::strokeAdd1(TStroke &stroke, const SStrokeData &sd)
{
    stroke.AddStroke(sd.x, sd.y, sd.p);
    SStrokeData p1, p2;
    stroke.getSD(p1, 1);
    stroke.getSD(p2, 2);
    const float g = stroke.m_penGamma;
    stroke.DrawLine(p2.x + float(m_viewPos.x), p2.y + float(m_viewPos.y), gammaPressure(p2.p, g),
                    p1.x + float(m_viewPos.x), p1.y + float(m_viewPos.y), gammaPressure(p1.p, g),
                    m_flow, m_alpha, m_layerImage, m_layerMode);
    if (usesCoverage1(stroke)) {
        sBox box;
        stroke.GetMinimumMoveRange(box);
        layCoverage(stroke, box, stroke.m_drawMode == TDrawMode::DM_BLUR2);
    }
}

sBox CStrokeCanvasOlder::strokeEnd1(TStroke &stroke)
{
    sBox box;
    stroke.GetMinimumStrokeRange(box);
    endFlow(box, usesCoverage1(stroke));
    return box;
}

bool CStrokeCanvasOlder::drawStroke1(TStroke &stroke, std::span<const SStrokeData> samples)
{
    if (samples.empty())
        return false;
    strokeBegin1(stroke, samples.front());
    for (const SStrokeData &sd : samples.subspan(1))
        strokeAdd1(stroke, sd);
    strokeEnd1(stroke);
    return true;
}
