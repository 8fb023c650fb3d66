// Merging the visible layers of a headless 2048 x 2048 document of 8 normal-mode layers
// (opacities 255 and 128 in turn, varied alpha over an opaque bottom layer) into one opaque layer
// (eventBindLayerAll with type 0, undo off); the document is made again, untimed, before each
// merge. In the same run pixman chains OVER of the same 8 images, premultiplied, with a solid mask
// for opacity 128, then puts the result OVER a display buffer once: the merge also recomposes the
// display. Our core step alone (the 8 layers composed into a fresh layer image with layerBlt) is set
// against pixman's chain alone. pixman runs on one thread: our side runs on one and on all threads.
// The last line compares the whole merge on all threads.
#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "core/tiles/work_threads.h"
#include "document/edit/layer_merge.h"
#include "document/paper/document_init.h"
#include "document/paper/headless.h"
#include "document/paper/headless_owner.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kSide = 2048, kLayers = 8;
constexpr size_t kPixels = size_t(kSide) * kSide;

uint8_t layerOpacity(int32_t i)
{
    return i % 2 == 0 ? 255 : 128;
}

// The layers' pixels, straight and premultiplied.
struct Sources
{
    std::vector<std::unique_ptr<TMTC>> straight;
    std::vector<std::vector<uint32_t>> premultiplied;

    Sources()
    {
        uint32_t seed = 2463534242u;
        for (int32_t i = 0; i < kLayers; ++i) {
            auto src = std::make_unique<TMTC>(kSide, kSide);
            std::vector<uint32_t> pm(kPixels);
            for (int32_t y = 0; y < kSide; ++y) {
                sBGRA *row = src->seek32(0, y);
                for (int32_t x = 0; x < kSide; ++x) {
                    sBGRA s{.all = xorshift(seed)};
                    const uint32_t pick = s.A & 3;
                    s.A = i == 0 || pick == 0 ? 255 : pick == 1 ? 0 : s.A;
                    row[x] = s;
                    sBGRA p;
                    p.B = uint8_t(mul255(s.B, s.A)), p.G = uint8_t(mul255(s.G, s.A));
                    p.R = uint8_t(mul255(s.R, s.A)), p.A = s.A;
                    pm[size_t(y) * kSide + size_t(x)] = p.all;
                }
            }
            straight.push_back(std::move(src));
            premultiplied.push_back(std::move(pm));
        }
    }
};

Sources &sources()
{
    static Sources s;
    return s;
}

struct Document
{
    CHeadlessPaperOwner owner;
    std::unique_ptr<TPaper> paper;

    Document()
    {
        paper = TPaper::Create(&owner);
        if (!paper)
            std::abort();
        owner.attach(*paper);
        if (!setupHeadlessPaper(*paper, {kSide, kSide}, 0xFFFFFF, kLayers))
            std::abort();
        for (int32_t i = 0; i < kLayers; ++i) {
            CLayerData &ld = *paper->getLayerData(i);
            if (!ld.imageTC->bltFrom(*sources().straight[size_t(i)], 0, 0, 255))
                std::abort();
            ld.trans = layerOpacity(i);
        }
    }
    ~Document()
    {
        owner.detach();
        paper.reset();
    }
};

struct Threads
{
    explicit Threads(int64_t n) { setWorkThreads(int(n)); }
    ~Threads() { setWorkThreads(0); }
};

void bmMerge(benchmark::State &state)
{
    const Threads threads(state.range(0));
    sources();
    for (auto _ : state) {
        state.PauseTiming();
        auto d = std::make_unique<Document>();
        state.ResumeTiming();
        if (!eventBindLayerAll(*d->paper, nullptr, 0, 0, false))
            std::abort();
        benchmark::ClobberMemory();
        state.PauseTiming();
        d.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
}

// The layers composed bottom up into a fresh layer image, as the merge composes them.
void bmLayerChain(benchmark::State &state)
{
    const Threads threads(state.range(0));
    sources();
    Document d;
    const sBox box{0, 0, kSide, kSide};
    for (auto _ : state) {
        CBlockVMTC merged(kSide, kSide);
        for (int32_t i = 0; i < kLayers; ++i) {
            const CLayerData &ld = *d.paper->getLayerData(i);
            if (!merged.layerBlt(*ld.imageTC, ld, {0, 0}, box))
                std::abort();
        }
        benchmark::DoNotOptimize(merged.blockAt(0).commit);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
}

// pixman's chain of OVER; with display, the result then put OVER a display buffer once.
void bmPixman(benchmark::State &state, bool display)
{
    Sources &s = sources();
    std::vector<uint32_t> canvas(kPixels), screen(kPixels, 0xFFFFFFFFu);
    pixman_image_t *view =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, screen.data(), kSide * 4);
    pixman_image_t *dst =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide, canvas.data(), kSide * 4);
    std::vector<pixman_image_t *> layers, masks;
    for (int32_t i = 0; i < kLayers; ++i) {
        layers.push_back(pixman_image_create_bits(PIXMAN_a8r8g8b8, kSide, kSide,
                                                  s.premultiplied[size_t(i)].data(), kSide * 4));
        const pixman_color_t m{0, 0, 0, uint16_t(layerOpacity(i) * 257)};
        masks.push_back(layerOpacity(i) == 255 ? nullptr : pixman_image_create_solid_fill(&m));
    }
    for (auto _ : state) {
        // The bottom layer is opaque: copying it starts the chain.
        pixman_image_composite32(PIXMAN_OP_SRC, layers[0], nullptr, dst, 0, 0, 0, 0, 0, 0, kSide,
                                 kSide);
        for (int32_t i = 1; i < kLayers; ++i)
            pixman_image_composite32(PIXMAN_OP_OVER, layers[size_t(i)], masks[size_t(i)], dst, 0, 0,
                                     0, 0, 0, 0, kSide, kSide);
        if (display)
            pixman_image_composite32(PIXMAN_OP_OVER, dst, nullptr, view, 0, 0, 0, 0, 0, 0, kSide,
                                     kSide);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
    for (pixman_image_t *img : layers)
        pixman_image_unref(img);
    for (pixman_image_t *img : masks)
        if (img)
            pixman_image_unref(img);
    pixman_image_unref(dst);
    pixman_image_unref(view);
}

} // namespace

int main(int argc, char **argv)
{
    initialiseDocument();
    const int all = workThreads();
    benchmark::RegisterBenchmark("merge/visible", bmMerge)
        ->Arg(1)
        ->Arg(all)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("layers/compose-chain", bmLayerChain)
        ->Arg(1)
        ->Arg(all)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over-chain", bmPixman, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over-chain+display", bmPixman, true)
        ->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    const std::string one = "/1", many = "/" + std::to_string(all);
    for (const std::string &n : {"merge/visible" + one, "merge/visible" + many,
                                 "layers/compose-chain" + one, "layers/compose-chain" + many,
                                 std::string("pixman/over-chain"),
                                 std::string("pixman/over-chain+display")})
        if (t[n] <= 0)
            return 1;
    std::printf("(all = %d threads; pixman runs on 1 thread in every line)\n", all);
    std::printf("layer chain, 1 thread vs pixman over-chain, 1 thread: %.2f\n",
                t["layers/compose-chain" + one] / t["pixman/over-chain"]);
    std::printf("layer chain, all threads vs pixman over-chain, 1 thread: %.2f\n",
                t["layers/compose-chain" + many] / t["pixman/over-chain"]);
    std::printf("merge visible, 1 thread vs pixman over-chain + display, 1 thread: %.2f\n",
                t["merge/visible" + one] / t["pixman/over-chain+display"]);
    std::printf("merge visible, all threads vs pixman over-chain + display, 1 thread: %.2f\n",
                t["merge/visible" + many] / t["pixman/over-chain+display"]);
    return 0;
}
