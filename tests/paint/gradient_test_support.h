// Small builders for gradient tests.
#pragma once

#include "paint/gradient/gradient_stops.h"

#include <initializer_list>

inline sRGBA rgbaOf(int r, int g, int b, int fourth)
{
    sRGBA c;
    c.R = uint8_t(r);
    c.G = uint8_t(g);
    c.B = uint8_t(b);
    c.A = uint8_t(fourth);
    return c;
}

struct StopSpec
{
    sRGBA col; // R, G, B and the kind byte
    int32_t width;
    uint8_t opaque = 255;
};

// A refreshed group of enabled stops in slots 0, 1, ...
inline CColorSlotGroup groupOf(std::initializer_list<StopSpec> stops)
{
    CColorSlotGroup g(16);
    int32_t i = 0;
    for (const StopSpec &s : stops) {
        g.setColor(i++, s.col, s.width, s.opaque);
    }
    g.refresh();
    return g;
}

// Black to white, own colours, one width each.
inline CColorSlotGroup blackToWhite()
{
    return groupOf({{rgbaOf(0, 0, 0, 255), 0x10000}, {rgbaOf(255, 255, 255, 255), 0x10000}});
}

inline bool sameColour(sRGBA a, sRGBA b)
{
    return a.all == b.all;
}
