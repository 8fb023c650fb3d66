// Fixtures of the filter tests: a fake host (one document with layers, a selection, a flow image,
// an event log and an undo list), random layers and canvases with a printed seed, a parameter
// record for calling pixel functions directly, and pixel comparisons.
#pragma once

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/filter_core.h"
#include "filters/core/filter_host.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace filtertest {

// A seed for random inputs, printed with every failure of the scope that uses it.
inline uint32_t testSeed()
{
    static std::random_device rd;
    return rd();
}

// Random pixels: a third fully opaque, a third fully transparent, the rest anything.
inline uint32_t randomPixel(std::mt19937 &rng)
{
    const uint32_t c = rng();
    switch (rng() % 3) {
    case 0:
        return c | 0xFF000000u;
    case 1:
        return c & 0x00FFFFFFu;
    default:
        return c;
    }
}

inline void fillRandom(CBlockVMTC &img, std::mt19937 &rng)
{
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            img.setPixel(x, y, randomPixel(rng));
}

inline void fillRandom(TMTC &tc, std::mt19937 &rng)
{
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            tc.seek32(x, y)->all = randomPixel(rng);
}

// The first differing pixel, or an empty text.
inline std::string firstDifference(const CBlockVMTC &a, const CBlockVMTC &b)
{
    if (a.FPSZ() != b.FPSZ())
        return "sizes differ";
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.getColor(x, y) != b.getColor(x, y)) {
                std::ostringstream s;
                s << "pixel (" << x << ", " << y << "): " << std::hex << a.getColor(x, y)
                  << " vs " << b.getColor(x, y);
                return s.str();
            }
    return {};
}

inline void copyToCanvas(const CBlockVMTC &img, TMTC &tc)
{
    tc.Resize(img.width(), img.height());
    img.bltTo(tc, {0, 0}, boxFromSize(img.FPSZ()), 255, false);
}

// One document of layers of w x h with random pixels, a selection and a flow image.
class FakeFilterHost : public IFilterHost
{
  public:
    struct Layer
    {
        std::unique_ptr<CBlockVMTC> image;
        TLayerMode mode = TLayerMode::LM_STD;
        sPos viewPos;
        bool prt = false;
        int32_t uid = 0;
    };
    struct Event
    {
        int group; // 32, 33, 34, 35 or 38
        int code;
        int32_t idx, midx;
    };
    struct Undo
    {
        std::unique_ptr<CBlockVMTC> backup;
        int32_t idx, uid;
    };
    struct Dispatch
    {
        int32_t idx;
        std::optional<sRect> r;
        bool prv;
    };

    FakeFilterHost(int32_t w, int32_t h, uint32_t seed, int layerCount = 1)
    {
        std::mt19937 rng(seed);
        for (int i = 0; i < layerCount; ++i) {
            Layer l;
            l.image = std::make_unique<CBlockVMTC>(w, h);
            fillRandom(*l.image, rng);
            l.uid = 100 + i;
            layers.push_back(std::move(l));
        }
        mask = std::make_unique<CMaskData>(0);
        flowCh.Resize(w, h);
        refreshFlow(0);
    }

    // A selection of mw x mh at mask position M whose content is the given rectangle (mask
    // coordinates) at value v.
    void select(int32_t mw, int32_t mh, sPos viewPos, sRect content, uint8_t v = 255)
    {
        mask = std::make_unique<CMaskData>(0, mw, mh);
        mask->viewPos = viewPos;
        mask->maskTC->fillArea(content, v);
    }

    std::optional<SFilterLayerView> layer(int32_t idx) override
    {
        if (idx < 0 || idx >= int32_t(layers.size()))
            return std::nullopt;
        const Layer &l = layers[size_t(idx)];
        return SFilterLayerView{l.image.get(), l.mode, l.viewPos, l.prt, l.uid};
    }
    CMaskData *activeMask() override { return mask.get(); }
    int32_t activeMaskIndex() override { return maskIndex; }
    TMTC *flowCanvas() override { return &flow; }
    TChannel *flowAlpha() override { return &flowCh; }
    bool pushUndo(std::unique_ptr<CBlockVMTC> &backup, int32_t idx, int32_t uid) override
    {
        if (!undoEnabled)
            return false;
        undo.push_back({std::move(backup), idx, uid});
        return true;
    }
    void pushEventFilter0(int32_t idx, int32_t midx, uint8_t code) override
    {
        events.push_back({32, code, idx, midx});
    }
    void pushEventFilter2(int32_t idx, int32_t midx, uint8_t code, const sFltObj2 &) override
    {
        events.push_back({33, code, idx, midx});
    }
    void pushEventFilter4(int32_t idx, int32_t midx, uint8_t code, const sFltObj4 &) override
    {
        events.push_back({34, code, idx, midx});
    }
    void pushEventFilter6(int32_t idx, int32_t midx, uint8_t code, const sFltObj6 &) override
    {
        events.push_back({35, code, idx, midx});
    }
    void pushEventFilterComplex(int32_t idx, int32_t midx, uint8_t code,
                                const sFltObjComplex &) override
    {
        events.push_back({38, code, idx, midx});
    }
    void pushEventFilterFloor(int32_t idx, int32_t midx, const SFltFloor &) override
    {
        events.push_back({38, 99, idx, midx});
    }
    void updatePreview(int32_t) override { ++previews; }
    void refreshFlow(int32_t idx) override
    {
        copyToCanvas(*layers[size_t(idx)].image, flow);
        flowCh.PixelFill(0);
        ++flowRefreshes;
    }
    void dispatchViewFast(int32_t idx, const sRect *r, bool prv) override
    {
        dispatches.push_back({idx, r ? std::optional<sRect>(*r) : std::nullopt, prv});
    }
    bool viewRect(sRect &r) override
    {
        if (!view)
            return false;
        r = *view;
        return true;
    }
    void setModified(bool m) override { modified = m; }
    void updateToolViews() override { ++toolViews; }

    std::vector<Layer> layers;
    std::unique_ptr<CMaskData> mask;
    int32_t maskIndex = 0;
    TMTC flow;
    TChannel flowCh;
    bool undoEnabled = true;
    std::optional<sRect> view; // document coordinates; none: no window
    std::vector<Event> events;
    std::vector<Undo> undo;
    std::vector<Dispatch> dispatches;
    bool modified = false;
    int previews = 0, flowRefreshes = 0, toolViews = 0;
};

// A parameter record over a layer, its backup and flow canvas, for calling pixel functions
// directly: the effect rectangle is the whole layer unless given, no selection unless given.
struct DirectParams
{
    DirectParams(CBlockVMTC &layer, const sRect *maskRect = nullptr)
        : backup(layer), noMask(0)
    {
        copyToCanvas(layer, flow);
        flowCh.Resize(layer.width(), layer.height());
        p.layerTC = &layer;
        p.maskData = &noMask;
        p.maskRect = maskRect ? *maskRect : rectFromSize(layer.FPSZ());
        p.dstRect = p.maskRect;
        p.bkupTC = &backup;
        p.flowTC = &flow;
        p.flowCh = &flowCh;
        p.fnEffectMask = effectMaskNone;
    }
    // The selection (mask coordinates = layer coordinates) takes over the weights.
    void useMask(CMaskData &m)
    {
        p.maskData = &m;
        p.fnEffectMask = effectMaskOnLayer;
    }

    CBlockVMTC backup;
    CMaskData noMask;
    TMTC flow;
    TChannel flowCh;
    sFlt4Params p;
};

} // namespace filtertest
