// Strokes through a document: the version-5 stroke of bench/stroke (2000 samples along an
// S-curve, normal method, radius 8 and 64) drawn at paint level 5 through a headless one-layer
// 1024 x 1024 document, where every step is recomposed into the display image, the zoom caches
// are refreshed and the window surface is painted; in the same run through the document-free
// stand-in (CStrokeCanvas) and libmypaint (same radius and spacing, one OpenMP thread). Also a
// 4000 x 3000 document of 10 layers. libmypaint runs on one thread; the document on one and on all
// threads. A further peer adds to libmypaint's stroke pixman's OVER of each sample's dirty
// rectangle into a display image (one thread), as the document composes each step. The last lines
// give the document's radius-8 time divided by the stand-in's, by libmypaint's and by libmypaint's
// with the OVER, the last one thread to one.
#include "core/tiles/work_threads.h"
#include "document/paper/document_init.h"
#include "document/paper/flow_image.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/composition.h"
#include "paint/brush/pen_records.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"

#include "bench_support.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>
#include "mypaint_peer.h"

#include <mypaint-brush.h>
#include <mypaint-fixed-tiled-surface.h>
#include <omp.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSamples = 2000;

// bench/stroke's S-curve across a side x side area.
std::vector<SStrokeData> samples(int side)
{
    std::vector<SStrokeData> v;
    const float s = float(side) / 1024;
    for (int i = 0; i < kSamples; ++i) {
        const float t = float(i) / (kSamples - 1);
        v.push_back({(96 + 832 * t) * s, (512 + 320 * std::sin(t * 6.2831853f)) * s,
                     0.75f + 0.25f * std::sin(t * 3.1415926f)});
    }
    return v;
}

// The stroke, its renderers and a round nib of the radius, as the main window holds them.
struct Brush
{
    explicit Brush(float radius)
    {
        stroke.SetDrawColor(0xFF1E3C78);
        SPenParam prm;
        initPenParam(prm, radius);
        render5.changePenParam(prm);
        SPenRenderAttr attr;
        initPenRenderAttr(attr);
        attr.renderType = kRenderTypeVersion5;
        render5.changeRenderAttr(attr, 7);
    }
    TStroke stroke{5};
    CPenRender render4{&stroke};
    CPenRender5 render5{&stroke};
};

// A headless document of w x h with n layers painting with the brush at level 5; its window's
// client area shows the whole paper.
struct Document
{
    Document(Brush &b, int32_t w, int32_t h, int32_t n)
    {
        SPaperAppHooks hooks;
        hooks.mainStroke = [&b] { return &b.stroke; };
        hooks.mainPenRender = [&b] { return &b.render4; };
        hooks.mainPenRender5 = [&b] { return &b.render5; };
        installPaperAppHooks(hooks);
        initialiseDocument();
        owner.client = {w, h};
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!setupHeadlessPaper(*paper, {w, h}, 0xFFFFFF, n))
            std::abort();
        setCurrentDrawWindow(&owner);
        if (!startPaintModeQZ5(*paper))
            std::abort();
        UpdateVRAM(*paper, false, true);
        b.stroke.SetDrawLayer(paper->ActiveLayer());
    }
    ~Document()
    {
        setCurrentDrawWindow(nullptr);
        owner.detach();
        paper.reset();
        installPaperAppHooks({});
    }

    void draw(Brush &b, const std::vector<SStrokeData> &pts)
    {
        TPaper &pa = *paper;
        TFlowImage &flow = *owner.flow();
        // A window repaints what it is told and keeps no list: the owner's record starts afresh.
        owner.paintedRects.clear();
        if (!eventStrokeBegin5(pa, flow, b.stroke, pts[0].x, pts[0].y, pts[0].p, false))
            std::abort();
        for (size_t i = 1; i < pts.size(); ++i)
            eventStrokeAdd5(pa, flow, b.stroke, pts[i].x, pts[i].y, pts[i].p, &owner, false);
        eventStrokeAdd5(pa, flow, b.stroke, pts.back().x, pts.back().y, 0, &owner, false);
        sBox box;
        eventStrokeEnd5(pa, flow, b.stroke, &owner, box, false);
    }

    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
};

void rates(benchmark::State &state)
{
    state.counters["strokes/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

void bmDocument(benchmark::State &state, float radius, int32_t w, int32_t h, int32_t layers)
{
    Brush b(radius);
    Document doc(b, w, h, layers);
    const std::vector<SStrokeData> pts = samples(std::min(w, h));
    for (auto _ : state) {
        doc.draw(b, pts);
        benchmark::ClobberMemory();
    }
    rates(state);
}

void bmStandIn(benchmark::State &state, float radius)
{
    initStrokePixelProcs();
    Brush b(radius);
    CStrokeMngr5 mngr(&b.stroke, &b.render5);
    CStrokeCanvas canvas(1024, 1024, 0x00FFFFFF);
    const std::vector<SStrokeData> pts = samples(1024);
    for (auto _ : state) {
        if (!canvas.drawStroke(mngr, b.stroke, pts))
            state.SkipWithError("stroke did not start");
        benchmark::ClobberMemory();
    }
    rates(state);
}

void bmMyPaint(benchmark::State &state, float radius)
{
    omp_set_num_threads(1);
    MyPaintFixedTiledSurface *fixed = mypaint_fixed_tiled_surface_new(1024, 1024);
    MyPaintSurface *surface = mypaint_fixed_tiled_surface_interface(fixed);
    MyPaintBrush *brush = newPeerBrush(radius);
    const std::vector<SStrokeData> pts = samples(1024);
    for (auto _ : state) {
        mypaint_brush_reset(brush);
        mypaint_brush_new_stroke(brush);
        mypaint_surface_begin_atomic(surface);
        for (const SStrokeData &sd : pts)
            mypaint_brush_stroke_to(brush, surface, sd.x, sd.y, sd.p, 0, 0, 0.005);
        mypaint_brush_stroke_to(brush, surface, pts.back().x, pts.back().y, 0, 0, 0, 0.005);
        MyPaintRectangle roi;
        mypaint_surface_end_atomic(surface, &roi);
        benchmark::ClobberMemory();
    }
    rates(state);
    mypaint_brush_unref(brush);
    mypaint_surface_unref(surface);
}

// libmypaint's stroke with, after every sample, pixman's OVER of the sample's dirty rectangle
// from a layer image into a display image: the nearest like of the document's stroke, which
// composes the dirty rectangle into the display at every step.
void bmMyPaintOver(benchmark::State &state, float radius)
{
    omp_set_num_threads(1);
    MyPaintFixedTiledSurface *fixed = mypaint_fixed_tiled_surface_new(1024, 1024);
    MyPaintSurface *surface = mypaint_fixed_tiled_surface_interface(fixed);
    MyPaintBrush *brush = newPeerBrush(radius);
    std::vector<uint32_t> layerPx(size_t(1024) * 1024, 0x80203040u), displayPx(size_t(1024) * 1024);
    pixman_image_t *layer =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, 1024, 1024, layerPx.data(), 1024 * 4);
    pixman_image_t *display =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, 1024, 1024, displayPx.data(), 1024 * 4);
    const std::vector<SStrokeData> pts = samples(1024);
    const auto step = [&](float x, float y, float p) {
        mypaint_surface_begin_atomic(surface);
        mypaint_brush_stroke_to(brush, surface, x, y, p, 0, 0, 0.005);
        MyPaintRectangle roi;
        mypaint_surface_end_atomic(surface, &roi);
        if (roi.width > 0 && roi.height > 0)
            pixman_image_composite32(PIXMAN_OP_OVER, layer, nullptr, display, roi.x, roi.y, 0, 0,
                                     roi.x, roi.y, roi.width, roi.height);
    };
    for (auto _ : state) {
        mypaint_brush_reset(brush);
        mypaint_brush_new_stroke(brush);
        for (const SStrokeData &sd : pts)
            step(sd.x, sd.y, sd.p);
        step(pts.back().x, pts.back().y, 0);
        benchmark::ClobberMemory();
    }
    rates(state);
    pixman_image_unref(layer);
    pixman_image_unref(display);
    mypaint_brush_unref(brush);
    mypaint_surface_unref(surface);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    auto reg = [](const char *name, auto fn, auto... args) {
        benchmark::RegisterBenchmark(name, fn, args...)->Unit(benchmark::kMillisecond);
    };
    reg("document-1-thread/r8", [](benchmark::State &st) {
        setWorkThreads(1);
        bmDocument(st, 8.0f, 1024, 1024, 1);
        setWorkThreads(0);
    });
    reg("document/r8", bmDocument, 8.0f, 1024, 1024, 1);
    reg("document/r64", bmDocument, 64.0f, 1024, 1024, 1);
    reg("strokeCanvas/r8", bmStandIn, 8.0f);
    reg("strokeCanvas/r64", bmStandIn, 64.0f);
    reg("libmypaint/r8", bmMyPaint, 8.0f);
    reg("libmypaint/r64", bmMyPaint, 64.0f);
    reg("libmypaint+pixman-over/r8", bmMyPaintOver, 8.0f);
    reg("document4000x3000x10/r8", bmDocument, 8.0f, 4000, 3000, 10);
    reg("document4000x3000x10/r64", bmDocument, 64.0f, 4000, 3000, 10);

    auto t = runBenchmarks(argc, argv);
    for (const char *n : {"document/r8", "document-1-thread/r8", "strokeCanvas/r8", "libmypaint/r8",
                          "libmypaint+pixman-over/r8"})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    std::printf("(all = %d threads; the stroke canvas and libmypaint run on 1 thread)\n",
                workThreads());
    std::printf("document stroke r8, all threads vs stroke canvas: %.2f\n",
                t["document/r8"] / t["strokeCanvas/r8"]);
    std::printf("document stroke r8, 1 thread vs libmypaint, 1 thread: %.2f\n",
                t["document-1-thread/r8"] / t["libmypaint/r8"]);
    std::printf("document stroke r8, all threads vs libmypaint, 1 thread: %.2f\n",
                t["document/r8"] / t["libmypaint/r8"]);
    std::printf("document stroke r8, all threads vs libmypaint + pixman OVER of its dirty "
                "rectangles, 1 thread: %.2f\n",
                t["document/r8"] / t["libmypaint+pixman-over/r8"]);
    std::printf("document stroke r8, 1 thread vs libmypaint + pixman OVER of its dirty "
                "rectangles, 1 thread: %.2f\n",
                t["document-1-thread/r8"] / t["libmypaint+pixman-over/r8"]);
    return 0;
}
