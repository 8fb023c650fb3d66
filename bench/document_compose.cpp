// Composing a headless 4000 x 3000 document of 20 full normal-mode layers (varied alpha, opacities
// of 255 and below) into its display image with UpdateVRAMPart over the whole paper, without the
// zoom caches. In the same run: pixman compositing the same 20 layers, premultiplied, OVER the
// canvas colour with a solid mask for each opacity; the same stack with mixed modes, groups and
// clipping; and the refresh of the zoom caches. pixman runs on one thread; our composition on one
// and on all threads. The last line compares the composition on all threads with pixman.
#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"
#include "document/view/zoom_cache.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kW = 4000, kH = 3000, kLayers = 20;
constexpr size_t kPixels = size_t(kW) * kH;
constexpr uint32_t kCanvas = 0xFFFFFF;

uint8_t layerOpacity(int32_t i)
{
    return i % 3 == 0 ? 255 : uint8_t(120 + 6 * i);
}

struct Document
{
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;
    std::vector<std::vector<uint32_t>> premultiplied;

    Document()
    {
        initialiseDocument();
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!setupHeadlessPaper(*paper, {kW, kH}, kCanvas, kLayers))
            std::abort();
        TMTC src(kW, kH);
        uint32_t seed = 2463534242u;
        for (int32_t i = 0; i < kLayers; ++i) {
            std::vector<uint32_t> pm(kPixels);
            for (int32_t y = 0; y < kH; ++y) {
                sBGRA *row = src.seek32(0, y);
                for (int32_t x = 0; x < kW; ++x) {
                    sBGRA s{.all = xorshift(seed)};
                    // Varied alpha: opaque, transparent and in between.
                    const uint32_t pick = s.A & 3;
                    s.A = pick == 0 ? 255 : pick == 1 ? 0 : s.A;
                    row[x] = s;
                    sBGRA p;
                    p.B = uint8_t(mul255(s.B, s.A)), p.G = uint8_t(mul255(s.G, s.A));
                    p.R = uint8_t(mul255(s.R, s.A)), p.A = s.A;
                    pm[size_t(y) * kW + size_t(x)] = p.all;
                }
            }
            CLayerData &ld = *paper->getLayerData(i);
            if (!ld.imageTC->bltFrom(src, 0, 0, 255))
                std::abort();
            ld.imageTC->setupTraceRect();
            ld.trans = layerOpacity(i);
            premultiplied.push_back(std::move(pm));
        }
    }
    ~Document()
    {
        owner.detach();
        paper.reset();
    }
};

Document &document()
{
    static Document d;
    return d;
}

void bmCompose(benchmark::State &state)
{
    Document &d = document();
    for (auto _ : state) {
        UpdateVRAMPart(*d.paper, {0, 0, kW, kH}, false, false);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
}

void bmPixman(benchmark::State &state)
{
    Document &d = document();
    std::vector<uint32_t> canvas(kPixels);
    pixman_image_t *dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH, canvas.data(), kW * 4);
    const pixman_color_t white{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    pixman_image_t *back = pixman_image_create_solid_fill(&white);
    std::vector<pixman_image_t *> layers, masks;
    for (int32_t i = 0; i < kLayers; ++i) {
        layers.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, kW, kH,
                                                  d.premultiplied[size_t(i)].data(), kW * 4));
        const pixman_color_t m{0, 0, 0, uint16_t(layerOpacity(i) * 257)};
        masks.push_back(layerOpacity(i) == 255 ? nullptr : pixman_image_create_solid_fill(&m));
    }
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, back, nullptr, dst, 0, 0, 0, 0, 0, 0, kW, kH);
        for (int32_t i = 0; i < kLayers; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, layers[size_t(i)], masks[size_t(i)], dst, 0,
                                     0, 0, 0, 0, 0, kW, kH);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
    for (pixman_image_t *img : layers)
        pixman_image_unref(img);
    for (pixman_image_t *img : masks)
        if (img)
            pixman_image_unref(img);
    pixman_image_unref(back);
    pixman_image_unref(dst);
}

// The stack with every fourth layer in another mode, two groups (heads of opacity 128 and 255)
// and two clipping groups; the attributes are put back afterwards.
void bmComposeMixed(benchmark::State &state)
{
    Document &d = document();
    TPaper &p = *d.paper;
    for (int32_t i = 0; i < kLayers; ++i) {
        CLayerData &ld = *p.getLayerData(i);
        if (i % 4 == 1)
            ld.mode = TLayerMode(i % int32_t(TLayerMode::LM_MAX_NUM));
        ld.setGroupLevel(i >= 5 && i < 9 ? 1 : i >= 12 && i < 15 ? 1 : 0);
        ld.underLyrClip = i == 10 || i == 11 || i == 17;
    }
    p.getLayerData(4)->trans = 128;
    for (auto _ : state) {
        UpdateVRAMPart(p, {0, 0, kW, kH}, false, false);
        benchmark::ClobberMemory();
    }
    for (int32_t i = 0; i < kLayers; ++i) {
        CLayerData &ld = *p.getLayerData(i);
        ld.mode = TLayerMode::LM_STD;
        ld.setGroupLevel(0);
        ld.underLyrClip = false;
        ld.trans = layerOpacity(i);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
}

void bmZoomCache(benchmark::State &state)
{
    Document &d = document();
    UpdateVRAMPart(*d.paper, {0, 0, kW, kH}, false, false);
    for (auto _ : state) {
        updateZoomCache(*d.paper);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels));
}

} // namespace

int main(int argc, char **argv)
{
    const int all = workThreads();
    benchmark::RegisterBenchmark("compose/normal-1-thread", [](benchmark::State &st) {
        setWorkThreads(1);
        bmCompose(st);
        setWorkThreads(0);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compose/normal", bmCompose)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over", bmPixman)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("compose/mixed", bmComposeMixed)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("zoomCache/refresh", bmZoomCache)->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    if (t["compose/normal"] <= 0 || t["compose/normal-1-thread"] <= 0 || t["pixman/over"] <= 0)
        return 1;
    std::printf("compose 20 layers 4000x3000, 1 thread vs pixman, 1 thread: %.2f\n",
                t["compose/normal-1-thread"] / t["pixman/over"]);
    std::printf("compose 20 layers 4000x3000, all %d threads vs pixman, 1 thread: %.2f\n", all,
                t["compose/normal"] / t["pixman/over"]);
    return 0;
}
