#include "paint/canvas/stroke_canvas.h"

#include "core/pixel/blend_modes.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke_placement.h"

#include <algorithm>

CStrokeCanvas::CStrokeCanvas(int32_t w, int32_t h, uint32_t fill, sPos viewPos)
    : CStrokeCanvasBase(w, h, fill, viewPos)
{
}

bool CStrokeCanvas::strokeBegin(CStrokeMngr5 &mngr, TStroke &stroke, const SStrokeData &sd)
{
    if (m_flowStale) {
        m_flow.copyImage(m_layer);
        m_flowStale = false;
    }
    return startManagedStroke(mngr, stroke, sd);
}

void CStrokeCanvas::drawStep(CStrokeMngr5 &mngr, TStroke &stroke)
{
    drawManagedStep(mngr, stroke, [&](const sBox &box) { layCoverage(stroke, box); });
}

void CStrokeCanvas::strokeAdd(CStrokeMngr5 &mngr, TStroke &stroke, const SStrokeData &sd)
{
    const int32_t times = sd.p != 0 ? 1 : mngr.getSmoothLevel() + 1;
    for (int32_t i = 0; i < times; ++i) {
        mngr.add(sd);
        drawStep(mngr, stroke);
    }
}

sBox CStrokeCanvas::strokeEnd(CStrokeMngr5 &mngr, TStroke &)
{
    return endManagedStroke(mngr);
}

bool CStrokeCanvas::drawStroke(CStrokeMngr5 &mngr, TStroke &stroke,
                               std::span<const SStrokeData> samples)
{
    if (samples.empty() || !strokeBegin(mngr, stroke, samples.front())) {
        return false;
    }
    for (const SStrokeData &sd : samples.subspan(1)) {
        strokeAdd(mngr, stroke, sd);
    }
    const SStrokeData &last = samples.back();
    strokeAdd(mngr, stroke, {last.x, last.y, 0});
    strokeEnd(mngr, stroke);
    return true;
}

// The coverage of the box laid onto the layer's pixels in the stroke's colour: flow := layer, then
// the colour put at coverage x stroke opacity.
void CStrokeCanvas::layCoverage(const TStroke &stroke, const sBox &paperBox)
{
    sBox box = paperBox;
    if (!layerBox(box)) {
        return;
    }
    const uint32_t opacity = stroke.OpaqueDWORD();
    const uint32_t colour = stroke.m_drawColor;
    m_flow.copyArea(m_layer, box.pos(), box);
    for (int32_t y = box.y; y < box.y + box.h; ++y) {
        const uint8_t *cov = m_alpha.seek8(box.x, y);
        sBGRA *px = m_flow.seek32(box.x, y);
        for (int32_t x = 0; x < box.w; ++x) {
            if (cov[x] != 0) {
                gStrokeColorPut(px + x, colour, mul255(cov[x], opacity));
            }
        }
    }
}
