// Merging the visible layers of a headless 2048 x 2048 document of 8 normal-mode layers
// (opacities 255 and 128 in turn, varied alpha over an opaque bottom layer) into one opaque layer
// (eventBindLayerAll with type 0, undo off); the document is made again, untimed, before each
// merge. In the same run pixman chains OVER of the same 8 images, premultiplied, with a solid mask
// for opacity 128. The last line compares the two.
#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
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
#include <vector>

namespace {

constexpr int32_t kSide = 2048, kLayers = 8;
constexpr size_t kPixels = size_t(kSide) * kSide;

uint32_t xorshift(uint32_t &s)
{
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
}

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

void bmMerge(benchmark::State &state)
{
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

void bmPixman(benchmark::State &state)
{
    Sources &s = sources();
    std::vector<uint32_t> canvas(kPixels);
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
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kPixels) * kLayers);
    for (pixman_image_t *img : layers)
        pixman_image_unref(img);
    for (pixman_image_t *img : masks)
        if (img)
            pixman_image_unref(img);
    pixman_image_unref(dst);
}

} // namespace

int main(int argc, char **argv)
{
    initialiseDocument();
    benchmark::RegisterBenchmark("merge/visible", bmMerge)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("pixman/over-chain", bmPixman)->Unit(benchmark::kMillisecond);
    std::map<std::string, double> t = runBenchmarks(argc, argv);
    if (t["merge/visible"] <= 0 || t["pixman/over-chain"] <= 0)
        return 1;
    std::printf("merge visible vs pixman: %.2f\n", t["merge/visible"] / t["pixman/over-chain"]);
    return 0;
}
