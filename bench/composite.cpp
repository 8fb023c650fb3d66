// Compositing a fully committed 4096 x 4096 normal-mode layer onto a canvas (layerBltTo) at
// opacity 255 and 128, on one thread and on all ("/all-threads"); in the same run a memcpy of the
// same bytes and pixman's OVER of the same pixels (premultiplied for pixman; at 128 through a
// solid mask of that alpha), both single-threaded. The last line compares the compositing on one
// thread, averaged over the two opacities, with the memcpy and with pixman's OVER averaged
// likewise; the line before it the compositing on all threads.
#include "core/tiles/block_layer_image.h"
#include "core/tiles/layer_composite.h"
#include "core/tiles/work_threads.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 4096;
constexpr size_t kPixels = size_t(kSide) * kSide;

struct NormalLayer : ILayerBlendAttr
{
    uint8_t trans = 255;
    SRand rand{};
    uint8_t layerTrans() const override { return trans; }
    TLayerMode layerMode() const override { return TLayerMode::LM_STD; }
    bool layerDitherEnable() const override { return false; }
    uint8_t layerDither() const override { return 0; }
    const SRand &layerDizRand() const override { return rand; }
    SOldBltProcs layerOldBltProcs() const override { return {}; }
};

struct Images
{
    std::unique_ptr<CBlockVMTC> layer;
    TMTC canvas{kSide, kSide};
    TMTC start{kSide, kSide};
    std::vector<uint32_t> srcPremultiplied, copyFrom, copyTo;

    Images() : srcPremultiplied(kPixels), copyFrom(kPixels), copyTo(kPixels)
    {
        std::mt19937 rng(1);
        TMTC src(kSide, kSide);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const sBGRA s{.all = uint32_t(rng())};
                src.seek32(x, y)->all = s.all;
                start.seek32(x, y)->all = uint32_t(rng()) | 0xFF000000u;
                sBGRA p;
                p.B = uint8_t(mul255(s.B, s.A)), p.G = uint8_t(mul255(s.G, s.A));
                p.R = uint8_t(mul255(s.R, s.A)), p.A = s.A;
                srcPremultiplied[size_t(y) * kSide + size_t(x)] = p.all;
                copyFrom[size_t(y) * kSide + size_t(x)] = s.all;
            }
        layer = std::make_unique<CBlockVMTC>(kSide, kSide);
        if (!layer->bltFrom(src, 0, 0, 255) || layer->getImageDataBytes() != kPixels * 4)
            std::abort();
        reset();
    }
    void reset() { canvas.copyImage(start); }
};

Images &images()
{
    static Images i;
    return i;
}

void bmLayerBltTo(benchmark::State &state, uint8_t opacity, int threads)
{
    setWorkThreads(threads);
    Images &im = images();
    NormalLayer layer;
    layer.trans = opacity;
    for (auto _ : state) {
        state.PauseTiming();
        im.reset();
        state.ResumeTiming();
        im.layer->layerBltTo(im.canvas, layer, {0, 0}, {0, 0, kSide, kSide}, false);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
    setWorkThreads(1);
}

void bmMemcpy(benchmark::State &state)
{
    Images &im = images();
    for (auto _ : state) {
        std::memcpy(im.copyTo.data(), im.copyFrom.data(), kPixels * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
}

void bmPixmanOver(benchmark::State &state, uint8_t opacity)
{
    Images &im = images();
    pixman_image_t *src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide,
                                                   im.srcPremultiplied.data(), kSide * 4);
    pixman_image_t *dst = pixman_image_create_bits(
        PIXMAN_a8r8g8b8, kSide, kSide, reinterpret_cast<uint32_t *>(im.canvas.buffer()), kSide * 4);
    const pixman_color_t maskColour{0, 0, 0, uint16_t(opacity * 257)};
    pixman_image_t *mask = opacity == 255 ? nullptr : pixman_image_create_solid_fill(&maskColour);
    for (auto _ : state) {
        state.PauseTiming();
        im.reset();
        state.ResumeTiming();
        pixman_image_composite32(PIXMAN_OP_OVER, src, mask, dst, 0, 0, 0, 0, 0, 0, kSide, kSide);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
    if (mask)
        pixman_image_unref(mask);
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

} // namespace

int main(int argc, char **argv)
{
    setWorkThreads(1);
    benchmark::RegisterBenchmark("layerBltTo/255", bmLayerBltTo, uint8_t(255), 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("layerBltTo/128", bmLayerBltTo, uint8_t(128), 1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("layerBltTo/255/all-threads", bmLayerBltTo, uint8_t(255), 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("layerBltTo/128/all-threads", bmLayerBltTo, uint8_t(128), 0)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("memcpy", bmMemcpy)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over/255", bmPixmanOver, uint8_t(255))
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over/128", bmPixmanOver, uint8_t(128))
        ->Unit(benchmark::kMillisecond);

    std::map<std::string, double> t = runBenchmarks(argc, argv);
    const char *names[] = {"layerBltTo/255", "layerBltTo/128", "memcpy", "pixman/over/255",
                           "pixman/over/128"};
    for (const char *n : names)
        if (t.find(n) == t.end() || t[n] <= 0)
            return 1;
    std::printf("opacity 255: composite vs memcpy %.2f, vs pixman %.2f\n",
                t["layerBltTo/255"] / t["memcpy"], t["layerBltTo/255"] / t["pixman/over/255"]);
    std::printf("opacity 128: composite vs memcpy %.2f, vs pixman %.2f\n",
                t["layerBltTo/128"] / t["memcpy"], t["layerBltTo/128"] / t["pixman/over/128"]);
    const double ours = (t["layerBltTo/255"] + t["layerBltTo/128"]) / 2;
    const double pixman = (t["pixman/over/255"] + t["pixman/over/128"]) / 2;
    if (t["layerBltTo/255/all-threads"] > 0 && t["layerBltTo/128/all-threads"] > 0) {
        setWorkThreads(0);
        const double all = (t["layerBltTo/255/all-threads"] + t["layerBltTo/128/all-threads"]) / 2;
        std::printf("on %d threads: composite vs memcpy %.2f, vs pixman on one thread %.2f\n",
                    workThreads(), all / t["memcpy"], all / pixman);
    }
    std::printf("composite vs memcpy: %.2f, vs pixman: %.2f\n", ours / t["memcpy"], ours / pixman);
    return 0;
}
