// Version-5 dabs per second at radius 4, 32 and 256 into a 1024 × 1024 layer image through the
// stroke context's plain chain (pixelPutAlpha), and in the same run libmypaint's dabs of the same
// radius and hardness on its fixed tiled surface (one thread). Both get the same 64 dab positions
// per iteration and paint at opacity 0.8 with half the radius at full strength. The last line is
// the time per dab at radius 32, ours over libmypaint's (below 1: ours is faster).
#include "core/image/canvas.h"
#include "paint/brush/pen_records.h"
#include "paint/render/pen_render5.h"
#include "paint/render/stroke_context.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <mypaint-fixed-tiled-surface.h>
#include <mypaint-surface.h>
#include <omp.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 1024;
constexpr int kDabs = 64;
constexpr float kOpacity = 0.8f;
constexpr float kHardness = 0.5f;
const int kRadii[] = {4, 32, 256};

// kDabs centres scattered over the layer, each dab wholly inside it.
std::vector<sFPos> dabPositions(int r)
{
    std::vector<sFPos> pos;
    const int span = kSide - 2 * r - 2;
    for (int i = 0; i < kDabs; ++i)
        pos.push_back(
            {float(r + 1 + (i * 389) % span) + 0.3f, float(r + 1 + (i * 613) % span) + 0.6f});
    return pos;
}

void bmVersion5(benchmark::State &state, int r)
{
    initStrokePixelProcs();
    TMTC layer(kSide, kSide);
    layer.fillAll(0xFFFFFFFF);
    CPenRender5 render(nullptr);
    SPenParam prm;
    initPenParam(prm, float(r));
    render.changePenParam(prm);
    SGradeMapParam falloff;
    falloff.mapType = eGradeMap::GMAP_LINEAR;
    gradeMapSetFlatRate(falloff, kHardness);
    render.changeGradeParam(falloff);
    const std::vector<sFPos> pos = dabPositions(r);
    for (auto _ : state) {
        for (const sFPos &p : pos)
            render.render4chPen(layer, {p.x, p.y, kOpacity}, float(r), 0xFF2040C0);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kDabs);
}

void bmMyPaint(benchmark::State &state, int r)
{
    MyPaintFixedTiledSurface *fixed = mypaint_fixed_tiled_surface_new(kSide, kSide);
    MyPaintSurface *surface = mypaint_fixed_tiled_surface_interface(fixed);
    const std::vector<sFPos> pos = dabPositions(r);
    for (auto _ : state) {
        mypaint_surface_begin_atomic(surface);
        for (const sFPos &p : pos)
            mypaint_surface_draw_dab(surface, p.x, p.y, float(r), 0.75f, 0.25f, 0.125f, kOpacity,
                                     kHardness, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
        MyPaintRectangle roi;
        mypaint_surface_end_atomic(surface, &roi);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kDabs);
    mypaint_surface_unref(surface);
}

} // namespace

int main(int argc, char **argv)
{
    omp_set_num_threads(1);
    for (int r : kRadii) {
        benchmark::RegisterBenchmark(("dab5/r" + std::to_string(r)).c_str(), bmVersion5, r)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("libmypaint/r" + std::to_string(r)).c_str(), bmMyPaint, r)
            ->Unit(benchmark::kMicrosecond);
    }
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    for (int r : kRadii) {
        const std::string ours = "dab5/r" + std::to_string(r);
        const std::string theirs = "libmypaint/r" + std::to_string(r);
        if (t[ours] <= 0 || t[theirs] <= 0)
            return 1;
        std::printf("r%d: %.0f dabs/s, libmypaint %.0f dabs/s\n", r, kDabs / t[ours] * 1e6,
                    kDabs / t[theirs] * 1e6);
    }
    // Dabs are drawn in order on one thread, so there is no all-thread figure of ours to give.
    std::printf("threads: one (the dab engine runs on one; libmypaint held to one)\n");
    std::printf("dab r32 vs libmypaint: %.2f\n", t["dab5/r32"] / t["libmypaint/r32"]);
    return 0;
}
