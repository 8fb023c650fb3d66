// A small three-layer document the view pictures are made of: a warm gradient, a half-opaque
// disc multiplied over it, and blue stripes on top.
#pragma once

#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/view/composition.h"

inline void paintThreeLayers(TPaper &paper)
{
    const sSize size = paper.m_paperSize;
    CLayerData &base = *paper.getLayerData(0);
    CLayerData &disc = *paper.getLayerData(1);
    CLayerData &top = *paper.getLayerData(2);
    for (int32_t y = 0; y < size.y; ++y)
        for (int32_t x = 0; x < size.x; ++x) {
            const uint32_t r = uint32_t(255 * x / std::max(1, size.x - 1));
            const uint32_t g = uint32_t(255 * y / std::max(1, size.y - 1));
            base.imageTC->setPixel(x, y, 0xFF000000 | (r << 16) | (g << 8) | 0x40);
            const int32_t dx = x - size.x / 2, dy = y - size.y / 2;
            if (dx * dx + dy * dy < (size.y / 3) * (size.y / 3))
                disc.imageTC->setPixel(x, y, 0xC0208020);
            if ((x / 6) % 3 == 0 && y > size.y / 4)
                top.imageTC->setPixel(x, y, 0xFF2040E0);
        }
    disc.mode = TLayerMode::LM_MUL;
    for (CLayerData *ld : {&base, &disc, &top})
        ld->imageTC->setupTraceRect();
    UpdateVRAM(paper, true, true);
}
