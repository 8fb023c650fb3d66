// Feeds outside bytes as parameter records to every pixel function of the filter catalogue, as a
// replayed event would. Byte 0 picks the function, bytes 1-4 seed a 32 x 24 layer with random
// pixels, a random selection, effect rectangle and destination; byte 5 holds the protection and
// the choices of selection and destination; the rest is the record. One more value of byte 0 hands
// the rest to the lighting family's own driver, which also runs the generation-2 algorithms with
// their textures and lights built from the bytes. Besides running clean under
// the sanitizers, the call must keep the contract: a refusal changes nothing, only destination
// pixels change, a protected layer keeps its alpha, and the flow image is left as it was.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "filter_records_lighting.h"
#include "filters/algorithms/filter_catalogue.h"
#include "filters/core/filter_core.h"
#include "filters/core/pixel_mechanics.h"
#include "paint/gradient/gradient_stops.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int32_t kW = 32, kH = 24;

struct Fixed
{
    std::vector<SFilterCatalogueEntry> entries = filterCatalogue();
    CColorSlotGroup stops;
    TMTC textures[2];

    Fixed()
    {
        initialiseFilters();
        stops.setColor(0, sRGBA{.all = 0xFF102030u}, 0x10000, 255);
        stops.setColor(1, sRGBA{.all = 0x80F0E0D0u}, 0x8000, 128);
        stops.setColor(2, sRGBA{.all = 0xFF00FF00u}, 0x10000, 255);
        stops.refresh();
        for (TMTC &t : textures) {
            t.Resize(256, 256);
            for (int32_t y = 0; y < 256; ++y)
                for (int32_t x = 0; x < 256; ++x)
                    t.seek32(x, y)->all = ((x ^ y) & 16) ? 0xFFE0E0E0u : 0x80404080u;
        }
    }
};

sRect randomRect(std::mt19937 &rng, const sRect &r)
{
    sRect s;
    s.x0 = r.x0 + int32_t(rng() % uint32_t(r.x1 - r.x0));
    s.x1 = s.x0 + 1 + int32_t(rng() % uint32_t(r.x1 - s.x0));
    s.y0 = r.y0 + int32_t(rng() % uint32_t(r.y1 - r.y0));
    s.y1 = s.y0 + 1 + int32_t(rng() % uint32_t(r.y1 - s.y0));
    return s;
}

bool inside(const sRect &r, int32_t x, int32_t y)
{
    return x >= r.x0 && x < r.x1 && y >= r.y0 && y < r.y1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixed fixed;
    if (size < 6 || fixed.entries.empty())
        return 0;
    const size_t pick = data[0] % (fixed.entries.size() + 1);
    if (pick == fixed.entries.size()) {
        fuzzLightingFamily(data + 1, size - 1);
        return 0;
    }
    const SFilterCatalogueEntry &e = fixed.entries[pick];
    uint32_t seed;
    std::memcpy(&seed, data + 1, 4);
    const uint8_t flags = data[5];
    const uint8_t *rec = data + 6;
    const size_t recLen = size - 6;

    std::mt19937 rng(seed);
    CBlockVMTC layer(kW, kH);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            const uint32_t c = rng();
            layer.setPixel(x, y, rng() % 3 == 0 ? c | 0xFF000000u : (rng() % 2 ? c & 0x00FFFFFFu : c));
        }
    CMaskData noMask(0), mask(0, kW, kH);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x)
            mask.maskTC->setPixel(x, y, rng() % 3 == 0 ? 0 : rng() % 256);
    const CBlockVMTC original(layer);
    CBlockVMTC backup(layer);
    TMTC flow(kW, kH);
    layer.bltTo(flow, {0, 0}, sBox{0, 0, kW, kH}, 255, false);
    const TMTC flowBefore(flow);
    TChannel flowCh;
    flowCh.Resize(kW, kH);

    sFlt4Params p;
    p.layerTC = &layer;
    p.layerPrt = (flags & 1) != 0;
    p.bkupTC = &backup;
    p.flowTC = &flow;
    p.flowCh = &flowCh;
    p.maskRect = (flags & 4) ? randomRect(rng, sRect{0, 0, kW, kH}) : sRect{0, 0, kW, kH};
    p.dstRect = (flags & 8) ? randomRect(rng, p.maskRect) : p.maskRect;
    if (flags & 2) {
        p.maskData = &mask;
        p.fnEffectMask = effectMaskOnLayer;
    } else {
        p.maskData = &noMask;
        p.fnEffectMask = effectMaskNone;
    }

    // The record as the function's own type.
    std::vector<uint8_t> bytes(rec, rec + recLen);
    const void *argp = nullptr;
    sFltObjGradientMap gm;
    sFltObjComplex complex{};
    SFltFloor floor;
    if (e.recordSize == kFltObjGradientMapSize) {
        initFltObjGradientMap(gm);
        gm.crsg = &fixed.stops;
        gm.reverse = recLen > 0 && rec[0] != 0;
        gm.protect = recLen > 1 && rec[1] != 0;
        argp = &gm;
    } else if (e.recordSize == kFltObjComplexSize) {
        const size_t head = sizeof(sFltObjComplexHead);
        bytes.resize(std::max(bytes.size(), head), 0);
        std::memcpy(static_cast<sFltObjComplexHead *>(&complex), bytes.data(), head);
        complex.data = std::span<const uint8_t>(bytes.data() + head, bytes.size() - head);
        argp = &complex;
    } else if (e.recordSize == kFltFloorSize) {
        initFltFloor(floor);
        bytes.resize(std::max(bytes.size(), sizeof floor.sfloor), 0);
        std::memcpy(&floor.sfloor, bytes.data(), sizeof floor.sfloor);
        for (int i = 0; i < 2; ++i) {
            floor.stex[size_t(i)].tc = &fixed.textures[i];
            floor.stex[size_t(i)].dpi = 72;
        }
        argp = &floor;
    } else if (e.recordSize > 0) {
        bytes.resize(std::max(bytes.size(), size_t(e.recordSize)), 0);
        argp = bytes.data();
    }

    const bool ok = e.fn(p, argp, e.recordSize);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            const uint32_t was = original.getColor(x, y), now = layer.getColor(x, y);
            if ((!ok || !inside(p.dstRect, x, y)) && was != now)
                abort();
            if (p.layerPrt && (was >> 24) != (now >> 24))
                abort();
            if (flow.getColor(x, y) != flowBefore.getColor(x, y))
                abort();
        }
    return 0;
}
