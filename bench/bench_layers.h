// Painted layers for the benches that drive a whole document: random colours in diagonal bands,
// every third band transparent so that each layer shows through the next.
#pragma once

#include "bench_support.h"

#include "core/image/canvas.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

#include <cstdint>

struct SBenchLayerPattern
{
    uint32_t seed;
    // A pixel's band is (x + yWeight × y + layerShift × layer) / band.
    int32_t yWeight;
    int32_t layerShift;
    int32_t band;
};

// Paints layers 0..count-1 of a document of size w × h and marks what they cover.
inline void paintBenchLayers(TPaper &p, int32_t w, int32_t h, int32_t count,
                             const SBenchLayerPattern &pattern)
{
    TMTC picture(w, h);
    uint32_t seed = pattern.seed;
    for (int32_t i = 0; i < count; ++i) {
        for (int32_t y = 0; y < h; ++y) {
            sBGRA *row = picture.seek32(0, y);
            for (int32_t x = 0; x < w; ++x) {
                const uint32_t c = xorshift(seed);
                const int32_t band =
                    (x + pattern.yWeight * y + i * pattern.layerShift) / pattern.band;
                const uint32_t a = band % 3 == 0 ? 0 : (c >> 24) | 0x40;
                row[x].all = (a << 24) | (c & 0xFFFFFF);
            }
        }
        CLayerData &ld = *p.getLayerData(i);
        ld.imageTC->bltFrom(picture, {0, 0}, {0, 0, w, h}, 255);
        ld.imageTC->setupTraceRect();
    }
}
