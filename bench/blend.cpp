// Per-pixel throughput of the 22 layer blend puts (each mode's fnPutA, the put of layer
// compositing) over a 4096 x 4096 pair of canvases: "put/" calls the put through its procedure
// variable once per pixel, "row/" runs the mode's row loop (rowPutFor) once per row. In the same
// run pixman's OVER on the same pixels. Everything runs on one thread at the best vector level,
// except "row/normal/<level>" (each level the processor has) and "row/normal/all-threads" (the
// rows spread over every core). The last line compares the normal mode's row loop on one thread
// with pixman's OVER (single-threaded); the lines before it the call per pixel and all threads.
#include "core/pixel/blend_modes.h"
#include "core/pixel/simd_level.h"
#include "core/tiles/work_threads.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 4096;
constexpr size_t kPixels = size_t(kSide) * kSide;

struct Canvases
{
    std::vector<sBGRA> dst, src, start;
    std::vector<uint32_t> srcPremultiplied; // the same source for pixman, which premultiplies

    Canvases() : dst(kPixels), src(kPixels), start(kPixels), srcPremultiplied(kPixels)
    {
        std::mt19937 rng(1);
        for (size_t i = 0; i < kPixels; ++i) {
            start[i].all = uint32_t(rng()) | 0xFF000000u; // an opaque lower image
            src[i].all = uint32_t(rng());
            const sBGRA s = src[i];
            sBGRA p;
            p.B = uint8_t(mul255(s.B, s.A)), p.G = uint8_t(mul255(s.G, s.A));
            p.R = uint8_t(mul255(s.R, s.A)), p.A = s.A;
            srcPremultiplied[i] = p.all;
        }
        dst = start;
    }
    void reset() { std::memcpy(dst.data(), start.data(), kPixels * sizeof(sBGRA)); }
};

Canvases &canvases()
{
    static Canvases c;
    return c;
}

const char *const kModeNames[] = {"mul",        "add",       "sub",        "normal", "screen",
                                  "overlay",    "hardlight", "softlight",  "dif",    "exclusion",
                                  "darken",     "lighten",   "burn",       "dodge",  "hue",
                                  "saturation", "color",     "luminosity", "subneg", "linearlight",
                                  "vividlight", "pinlight"};
static_assert(std::size(kModeNames) == size_t(TLayerMode::LM_MAX_NUM));

void putLoop(benchmark::State &state, fptrPixelPut4core put)
{
    Canvases &c = canvases();
    for (auto _ : state) {
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
        sBGRA *d = c.dst.data();
        const sBGRA *s = c.src.data();
        for (size_t i = 0; i < kPixels; ++i)
            put(d + i, s[i].all, 255);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
}

void rowLoop(benchmark::State &state, fptrPixelPut4core put)
{
    Canvases &c = canvases();
    const fptrPutRow row = rowPutFor(put);
    for (auto _ : state) {
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
        for (int y = 0; y < kSide; ++y) {
            const size_t at = size_t(y) * kSide;
            row(c.dst.data() + at, c.src.data() + at, kSide, 255, put);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
}

// The normal mode's row loop at a chosen vector level, or (threads) its rows spread over every
// work thread, as compositing spreads them.
void normalRows(benchmark::State &state, TSimdLevel level, bool threads)
{
    const TSimdLevel was = simdLevel();
    if (!setSimdLevel(level)) {
        state.SkipWithError("level not supported");
        return;
    }
    setWorkThreads(threads ? 0 : 1);
    Canvases &c = canvases();
    const fptrPixelPut4core put = getBlendModeRow(TLayerMode::LM_STD)->fnPutA;
    const fptrPutRow row = rowPutFor(put);
    for (auto _ : state) {
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
        parallelRanges(kSide, 16, [&](int32_t begin, int32_t end) {
            for (int y = begin; y < end; ++y) {
                const size_t at = size_t(y) * kSide;
                row(c.dst.data() + at, c.src.data() + at, kSide, 255, put);
            }
        });
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    setSimdLevel(was);
    setWorkThreads(1);
}

void bmPixmanOver(benchmark::State &state)
{
    Canvases &c = canvases();
    pixman_image_t *src = pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide,
                                                   c.srcPremultiplied.data(), kSide * 4);
    pixman_image_t *dst = pixman_image_create_bits(
        PIXMAN_a8r8g8b8, kSide, kSide, reinterpret_cast<uint32_t *>(c.dst.data()), kSide * 4);
    for (auto _ : state) {
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
        pixman_image_composite32(PIXMAN_OP_OVER, src, nullptr, dst, 0, 0, 0, 0, 0, 0, kSide, kSide);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
    pixman_image_unref(src);
    pixman_image_unref(dst);
}

} // namespace

int main(int argc, char **argv)
{
    setWorkThreads(1); // the figures are of one thread unless a name says otherwise
    for (int m = 0; m < int(TLayerMode::LM_MAX_NUM); ++m) {
        const SBlendModeRow *row = getBlendModeRow(TLayerMode(m));
        benchmark::RegisterBenchmark((std::string("put/") + kModeNames[m]).c_str(), putLoop,
                                     row->fnPutA)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("row/") + kModeNames[m]).c_str(), rowLoop,
                                     row->fnPutA)
            ->Unit(benchmark::kMillisecond);
    }
    for (TSimdLevel level : supportedSimdLevels())
        benchmark::RegisterBenchmark(
            (std::string("row/normal/") + (level == TSimdLevel::avx2 ? "avx2" : "sse2")).c_str(),
            normalRows, level, false)
            ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("row/normal/all-threads", normalRows, simdLevel(), true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over", bmPixmanOver)->Unit(benchmark::kMillisecond);

    const std::map<std::string, double> seconds = runBenchmarks(argc, argv);

    const auto perPixel = seconds.find("put/normal");
    const auto ours = seconds.find("row/normal");
    const auto pixman = seconds.find("pixman/over");
    if (perPixel == seconds.end() || ours == seconds.end() || pixman == seconds.end() ||
        pixman->second <= 0)
        return 1;
    std::printf("normal-over vs pixman, a call per pixel: %.2f\n",
                perPixel->second / pixman->second);
    const auto threaded = seconds.find("row/normal/all-threads");
    if (threaded != seconds.end()) {
        setWorkThreads(0);
        std::printf("normal-over on %d threads vs pixman on one: %.2f\n", workThreads(),
                    threaded->second / pixman->second);
    }
    std::printf("normal-over vs pixman: %.2f\n", ours->second / pixman->second);
    return 0;
}
