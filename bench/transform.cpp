// The free transform on a fully committed 2000 x 2000 layer whose whole content is lifted, the
// frame turned 30 degrees and scaled to 0.8 about its centre: one drag step (the hole put back and
// the nearest-pixel mapping, transformImage(false)) and the commit's mapping (the area average,
// transformImage(true)). In the same run pixman's transformed OVER of the same pixels with the same
// matrix, with its nearest and its bilinear filter. pixman works on one thread; ours runs on one
// and on all threads, each line saying which. The last line compares the commit (all threads)
// with pixman's bilinear (one thread).
#include "core/image/display_canvas.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_app.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/transform/select_transform.h"

#include "bench_support.h"

#include <QTransform>

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 2000;

// The document, its lifted layer and the turned frame, made once.
struct Scene
{
    Scene()
    {
        initialiseDocument();
        paper = TPaper::Create(&owner);
        owner.client = {64, 64};
        owner.attach(*paper);
        setupHeadlessPaper(*paper, {kSide, kSide}, 0xFFFFFF, 1);
        CBlockVMTC &img = *paper->getLayerData(0)->imageTC;
        std::mt19937 rng(5);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x)
                img.setPixel(x, y, uint32_t(rng()) | 0xFF000000u);
        t = std::make_unique<TSelectTransform>(*paper);
        ok = t->createFreeTransform() && t->setTransMask() && t->setTransImage();
        const float a = std::numbers::pi_v<float> / 6;
        const sFPos c{kSide / 2.0f, kSide / 2.0f};
        sFPos p[4];
        for (int i = 0; i < 4; ++i)
            p[i] = transformRotatePoint(t->FViewPoints[size_t(i)], c, a, 0.8f, 0.8f);
        t->setTransformPoints(p[0], p[1], p[2], p[3]);
        t->FIsSimpleMove = false;
        t->FMarkerTypeNow = kMarkerNone;
        for (int i = 0; i < 4; ++i)
            corners[i] = p[i];
    }
    ~Scene()
    {
        t.reset();
        owner.detach();
        paper.reset();
    }

    CHeadlessPaperApp hooks;
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
    std::unique_ptr<TSelectTransform> t;
    sFPos corners[4];
    bool ok = false;
};

Scene &scene()
{
    static Scene s;
    return s;
}

void bmTransform(benchmark::State &state, bool aa)
{
    setWorkThreads(int(state.range(0)));
    Scene &s = scene();
    if (!s.ok) {
        state.SkipWithError("the transform could not start");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(s.t->transformImage(aa));
    setWorkThreads(0);
}

void bmPixman(benchmark::State &state, pixman_filter_t filter)
{
    Scene &s = scene();
    if (!s.ok) {
        state.SkipWithError("the transform could not start");
        return;
    }
    const TMTC &lifted = *s.t->FTrnsImage;
    const int sw = lifted.width(), sh = lifted.height();
    // The lifted pixels, premultiplied (they are opaque), top-down.
    std::vector<uint32_t> srcBits(size_t(sw) * size_t(sh));
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x)
            srcBits[size_t(y) * size_t(sw) + size_t(x)] = lifted.seek32(x, y)->all;
    std::vector<uint32_t> dstBits(size_t(kSide) * kSide, 0);
    pixman_image_t *src = pixman_image_create_bits(PIXMAN_a8r8g8b8, sw, sh, srcBits.data(), sw * 4);
    pixman_image_t *dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, dstBits.data(),
                                                   kSide * 4);
    // Source pixel (1 + w u, 1 + h v) lands on P0 + u A + v B: the same affine frame, inverted
    // (pixman maps destination to source).
    const sFPos *P = s.corners;
    const double w = sw - 2, h = sh - 2;
    const QTransform forward = QTransform::fromTranslate(-1, -1) *
                               QTransform(1 / w, 0, 0, 1 / h, 0, 0) *
                               QTransform(P[1].x - P[0].x, P[1].y - P[0].y, P[3].x - P[0].x,
                                          P[3].y - P[0].y, P[0].x, P[0].y);
    const QTransform inv = forward.inverted();
    pixman_transform_t m;
    pixman_transform_init_identity(&m);
    m.matrix[0][0] = pixman_double_to_fixed(inv.m11());
    m.matrix[0][1] = pixman_double_to_fixed(inv.m21());
    m.matrix[0][2] = pixman_double_to_fixed(inv.dx());
    m.matrix[1][0] = pixman_double_to_fixed(inv.m12());
    m.matrix[1][1] = pixman_double_to_fixed(inv.m22());
    m.matrix[1][2] = pixman_double_to_fixed(inv.dy());
    pixman_image_set_transform(src, &m);
    pixman_image_set_filter(src, filter, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kSide, kSide);
        benchmark::DoNotOptimize(dstBits.data());
    }
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

} // namespace

int main(int argc, char **argv)
{
    const int all = workThreads();
    benchmark::RegisterBenchmark("transform/drag", bmTransform, false)
        ->Arg(1)
        ->Arg(all)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("transform/commit", bmTransform, true)
        ->Arg(1)
        ->Arg(all)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/nearest", bmPixman, PIXMAN_FILTER_NEAREST)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/bilinear", bmPixman, PIXMAN_FILTER_BILINEAR)
        ->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    const std::string one = "/1", many = "/" + std::to_string(all);
    for (const std::string &n : {"transform/drag" + one, "transform/drag" + many,
                                 "transform/commit" + one, "transform/commit" + many,
                                 std::string("pixman/nearest"), std::string("pixman/bilinear")})
        if (t[n] <= 0)
            return 1;
    std::printf("(all = %d threads; pixman runs on 1 thread in every line)\n", all);
    std::printf("drag step, 1 thread vs pixman nearest, 1 thread: %.2f\n",
                t["transform/drag" + one] / t["pixman/nearest"]);
    std::printf("drag step, all threads vs pixman nearest, 1 thread: %.2f\n",
                t["transform/drag" + many] / t["pixman/nearest"]);
    std::printf("commit, 1 thread vs pixman bilinear, 1 thread: %.2f\n",
                t["transform/commit" + one] / t["pixman/bilinear"]);
    std::printf("commit, all threads vs pixman bilinear, 1 thread: %.2f\n",
                t["transform/commit" + many] / t["pixman/bilinear"]);
    return 0;
}
