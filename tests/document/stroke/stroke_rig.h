// A headless one-layer document set up for strokes: the main window's stroke and renderers
// installed, the document current for the stroke context, both stroke managers made, and the
// stand-in canvases' counterparts of the same settings.
#pragma once

#include "core/image/canvas.h"
#include "document/paper/layer_data.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_fixtures.h"
#include "paint/brush/pen_records.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "support/paper_fakes.h"

#include <cmath>
#include <cstring>
#include <span>
#include <vector>

namespace stroke_test {

inline std::vector<SStrokeData> sCurve(int n = 30)
{
    std::vector<SStrokeData> pts;
    for (int i = 0; i <= n; ++i) {
        const float t = float(i) / float(n);
        pts.push_back({8 + 80 * t, 40 + 20 * std::sin(t * 6.2831853f), 0.2f + 0.8f * t});
    }
    return pts;
}

// Every pixel of a layer image, and of a plain image.
inline std::vector<uint32_t> layerPixels(const TPaper &paper, int32_t idx = 0)
{
    return undo_test::pixelsOf(*paper.getLayerData(idx)->imageTC);
}
inline std::vector<uint32_t> imagePixels(const TMTC &img)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

struct StrokeDoc
{
    explicit StrokeDoc(sSize size = {96, 80}, int32_t layers = 1)
    {
        SPenParam prm;
        initPenParam(prm, 5);
        render4.changePenParam(prm);
        render5.changePenParam(prm);
        stroke.SetDrawColor(0xFF204080);
        if (!doc.paper || !setupHeadlessPaper(paper(), size, 0xFFFFFF, layers))
            return;
        setCurrentDrawWindow(&doc.owner);
        startPaintModeQZ5(paper());
        SStrokeParam sp;
        sp.smooth = 0;
        sp.interpolateType = eInterpolateType::iptLinear;
        paper().strokeMngr5()->setParam(sp);
        ready = true;
    }
    ~StrokeDoc()
    {
        setCurrentDrawWindow(nullptr);
        initStrokePixelProcs();
    }
    StrokeDoc(const StrokeDoc &) = delete;
    StrokeDoc &operator=(const StrokeDoc &) = delete;

    TPaper &paper() { return *doc.paper; }
    TFlowImage &flow() { return doc.flow(); }

    void setRenderMode(ePenRenderMode mode, uint8_t type = 0)
    {
        SPenRenderAttr attr;
        initPenRenderAttr(attr);
        attr.renderMode = mode;
        attr.renderType = type;
        render5.changeRenderAttr(attr, 7);
        render4.changeRenderAttr(attr, 7);
    }

    // The whole level-5 (or 4) sequence as the document window drives it.
    bool stroke5(std::span<const SStrokeData> pts, bool undo = true)
    {
        if (!eventStrokeBegin5(paper(), flow(), stroke, pts[0].x, pts[0].y, pts[0].p, undo))
            return false;
        for (const SStrokeData &sd : pts.subspan(1))
            eventStrokeAdd5(paper(), flow(), stroke, sd.x, sd.y, sd.p, &doc.owner, undo);
        eventStrokeAdd5(paper(), flow(), stroke, pts.back().x, pts.back().y, 0, &doc.owner, undo);
        sBox box;
        return eventStrokeEnd5(paper(), flow(), stroke, &doc.owner, box, undo);
    }
    bool stroke4(std::span<const SStrokeData> pts, bool undo = true)
    {
        if (!eventStrokeBegin4(paper(), flow(), stroke, pts[0].x, pts[0].y, pts[0].p, undo))
            return false;
        for (const SStrokeData &sd : pts.subspan(1))
            eventStrokeAdd4(paper(), flow(), stroke, sd.x, sd.y, sd.p, &doc.owner, undo);
        sBox box;
        return eventStrokeEnd4(paper(), flow(), stroke, &doc.owner, box, undo);
    }
    bool stroke12(std::span<const SStrokeData> pts, bool undo = true)
    {
        if (!eventStrokeBegin(paper(), flow(), stroke, pts[0].x, pts[0].y, pts[0].p, undo))
            return false;
        for (const SStrokeData &sd : pts.subspan(1))
            EventStrokeAdd(paper(), flow(), stroke, sd.x, sd.y, sd.p, &doc.owner, undo);
        sBox box;
        return EventStrokeEnd(paper(), flow(), stroke, &doc.owner, box, undo);
    }

    undo_test::ScopedUndoMax undoMax{100};
    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
    ScopedPaperAppHooks hooks{&stroke, &render4, &render5, nullptr, nullptr};
    HeadlessDocument doc;
    bool ready = false;
};

} // namespace stroke_test
