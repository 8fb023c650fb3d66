// A version-5 stroke of 2000 samples along an S-curve across a 1024 x 1024 layer, drawn with the
// normal method (round nib, default stroke parameters: smoothing 1, B-spline, spacing a tenth of
// the radius) at radius 8 and 64, in strokes per second; in the same run libmypaint draws the same
// samples at the same radius and spacing (ten dabs per radius) onto a fixed tiled surface of the
// same size, with one OpenMP thread as the stroke engine has. The last line gives the time of a
// radius-8 stroke here divided by libmypaint's (below 1: faster here).
#include "paint/stroke/stroke.h"
#include "paint/brush/pen_records.h"
#include "paint/render/pen_render5.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke_placement.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include "mypaint_peer.h"

#include <mypaint-brush.h>
#include <mypaint-fixed-tiled-surface.h>
#include <omp.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 1024;
constexpr int kSamples = 2000;

// An S-curve with a gentle pressure swell, one sample every ~0.6 px.
const std::vector<SStrokeData> &samples()
{
    static const std::vector<SStrokeData> pts = [] {
        std::vector<SStrokeData> v;
        for (int i = 0; i < kSamples; ++i) {
            const float t = float(i) / (kSamples - 1);
            v.push_back({96 + 832 * t, 512 + 320 * std::sin(t * 6.2831853f),
                         0.75f + 0.25f * std::sin(t * 3.1415926f)});
        }
        return v;
    }();
    return pts;
}

void bmStroke(benchmark::State &state, float radius)
{
    initStrokePixelProcs();
    TStroke stroke(5);
    stroke.SetDrawColor(0xFF1E3C78);
    CPenRender5 render(&stroke);
    SPenParam prm;
    initPenParam(prm, radius);
    render.changePenParam(prm);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    attr.renderType = kRenderTypeVersion5;
    render.changeRenderAttr(attr, 7);
    CStrokeMngr5 mngr(&stroke, &render);
    CStrokeCanvas canvas(kSide, kSide, 0x00FFFFFF);
    int64_t dabs = 0;
    mngr.setDabObserver([&dabs](const SStrokeData &, float) { ++dabs; });
    for (auto _ : state) {
        if (!canvas.drawStroke(mngr, stroke, samples()))
            state.SkipWithError("stroke did not start");
        benchmark::ClobberMemory();
    }
    state.counters["strokes/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["dabs"] = double(dabs) / double(state.iterations());
}

void bmMyPaint(benchmark::State &state, float radius)
{
    omp_set_num_threads(1);
    MyPaintFixedTiledSurface *fixed = mypaint_fixed_tiled_surface_new(kSide, kSide);
    MyPaintSurface *surface = mypaint_fixed_tiled_surface_interface(fixed);
    MyPaintBrush *brush = newPeerBrush(radius);
    for (auto _ : state) {
        mypaint_brush_reset(brush);
        mypaint_brush_new_stroke(brush);
        mypaint_surface_begin_atomic(surface);
        for (const SStrokeData &sd : samples())
            mypaint_brush_stroke_to(brush, surface, sd.x, sd.y, sd.p, 0, 0, 0.005);
        mypaint_brush_stroke_to(brush, surface, samples().back().x, samples().back().y, 0, 0, 0,
                                0.005);
        MyPaintRectangle roi;
        mypaint_surface_end_atomic(surface, &roi);
        benchmark::ClobberMemory();
    }
    state.counters["strokes/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    mypaint_brush_unref(brush);
    mypaint_surface_unref(surface);
}

} // namespace

int main(int argc, char **argv)
{
    benchmark::RegisterBenchmark("stroke/r8", bmStroke, 8.0f)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("stroke/r64", bmStroke, 64.0f)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libmypaint/r8", bmMyPaint, 8.0f)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("libmypaint/r64", bmMyPaint, 64.0f)->Unit(benchmark::kMillisecond);

    auto t = runBenchmarks(argc, argv);
    for (const char *n : {"stroke/r8", "stroke/r64", "libmypaint/r8", "libmypaint/r64"})
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    // Dabs are drawn in order on one thread, so there is no all-thread figure of ours to give.
    std::printf("threads: one (the stroke engine runs on one; libmypaint held to one)\n");
    std::printf("stroke r64 vs libmypaint: %.2f\n", t["stroke/r64"] / t["libmypaint/r64"]);
    std::printf("stroke r8 vs libmypaint: %.2f\n", t["stroke/r8"] / t["libmypaint/r8"]);
    return 0;
}
