// Small layers, masks and lists for the geometry tests.
#pragma once

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

// A w x h standard layer at view position vp, shown on a paper of the given size (its own size
// when none is given).
inline std::unique_ptr<CLayerData> geoLayer(int32_t w, int32_t h, sPos vp = {},
                                            sSize paper = {})
{
    auto ld = std::make_unique<CLayerData>(2, false);
    if (!ld->createLayer(w, h, TLayerMode::LM_STD))
        return nullptr;
    ld->viewPos = vp;
    ld->viewSize = paper.x > 0 ? paper : sSize{w, h};
    return ld;
}

// Every pixel a random colour; with opaque every alpha 255.
inline void fillRandom(CBlockVMTC &img, uint32_t seed, bool opaque = false)
{
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            img.setPixel(x, y, uint32_t(rng()) | (opaque ? 0xFF000000u : 0u));
}

inline std::vector<uint32_t> pixelsOf(const CBlockVMTC &img)
{
    std::vector<uint32_t> v;
    v.reserve(size_t(img.width()) * size_t(img.height()));
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

// A mask of w x h at view position vp with value v at each listed pixel.
struct SMaskDot
{
    int32_t x, y;
    uint8_t v;
};
inline std::unique_ptr<CMaskData> geoMask(int32_t w, int32_t h, sPos vp,
                                          const std::vector<SMaskDot> &dots)
{
    auto md = std::make_unique<CMaskData>(0, w, h);
    md->viewPos = vp;
    for (const SMaskDot &d : dots)
        md->maskTC->setPixel(d.x, d.y, d.v);
    return md;
}
