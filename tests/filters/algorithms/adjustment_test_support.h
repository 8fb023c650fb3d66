// What the algorithm tests share: layers built from a rule, calls of a pixel function over a
// layer with a chosen effect rectangle, destination and selection, and the check that filtering a
// part of the effect rectangle gives there exactly what filtering the whole gives.
#pragma once

#include "filters/filter_test_support.h"

#include "core/pixel/pixel.h"
#include "paint/gradient/gradient_stops.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace filtertest {

// A w x h layer whose pixel (x, y) is f(x, y).
inline std::unique_ptr<CBlockVMTC> makeLayer(int32_t w, int32_t h,
                                             const std::function<uint32_t(int32_t, int32_t)> &f)
{
    auto img = std::make_unique<CBlockVMTC>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            img->setPixel(x, y, f(x, y));
    return img;
}

// A 256 x 1 opaque grey ramp: pixel i is (i, i, i, 255).
inline std::unique_ptr<CBlockVMTC> greyRamp()
{
    return makeLayer(256, 1, [](int32_t x, int32_t) { return 0xFF000000u | uint32_t(x) * 0x010101u; });
}

inline sBGRA pixelAt(const CBlockVMTC &img, int32_t x, int32_t y)
{
    return sBGRA{.all = img.getColor(x, y)};
}

// Runs fn over the whole layer (no selection, effect rectangle the whole layer).
inline bool runWhole(fptrFilter4 fn, CBlockVMTC &layer, const void *rec, int32_t size,
                     bool prt = false, bool *unchanged = nullptr)
{
    DirectParams d(layer);
    d.p.layerPrt = prt;
    const bool ok = fn(d.p, rec, size);
    if (unchanged)
        *unchanged = d.p.unchanged;
    return ok;
}

// A random rectangle of at least one pixel inside r.
inline sRect randomSubRect(std::mt19937 &rng, const sRect &r)
{
    const auto pick = [&](int32_t lo, int32_t hi, int32_t &a, int32_t &b) {
        a = lo + int32_t(rng() % uint32_t(hi - lo));
        b = a + 1 + int32_t(rng() % uint32_t(hi - a));
    };
    sRect s;
    pick(r.x0, r.x1, s.x0, s.x1);
    pick(r.y0, r.y1, s.y0, s.y1);
    return s;
}

// A black-to-white gradient (opaque stops).
inline std::unique_ptr<CColorSlotGroup> blackToWhite()
{
    auto g = std::make_unique<CColorSlotGroup>();
    g->setColor(0, sRGBA{.all = 0xFF000000u}, 0x10000, 255);
    g->setColor(1, sRGBA{.all = 0xFFFFFFFFu}, 0x10000, 255);
    g->refresh();
    return g;
}

// A pixel function with its record, for tables of cases.
struct FilterCall
{
    const char *name;
    fptrFilter4 fn;
    std::vector<uint8_t> record; // the record's bytes (empty: none)
    const void *object = nullptr; // a record that is not bytes (the gradient map)
    int32_t size = 0;

    const void *argp() const { return object ? object : (record.empty() ? nullptr : record.data()); }
};

inline FilterCall noRecord(const char *name, fptrFilter4 fn)
{
    return FilterCall{name, fn, {}, nullptr, 0};
}

template <class R> FilterCall callWith(const char *name, fptrFilter4 fn, const R &rec, int32_t size)
{
    FilterCall c{name, fn, std::vector<uint8_t>(sizeof rec), nullptr, size};
    std::memcpy(c.record.data(), &rec, sizeof rec);
    return c;
}

// On a random 37 x 29 layer with a random effect rectangle, selection (soft or none) and
// protection: the call over a random destination inside the effect rectangle writes exactly the
// full run's pixels there and nothing outside. The seed goes into the failure message.
inline void expectPartialMatchesFull(const FilterCall &c, uint32_t seed)
{
    SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    CBlockVMTC original(37, 29);
    fillRandom(original, rng);
    const sRect effect = randomSubRect(rng, rectFromSize(original.FPSZ()));
    const sRect part = randomSubRect(rng, effect);
    const bool prt = rng() % 2 == 0;
    CMaskData mask(0, 37, 29);
    const bool useMask = rng() % 2 == 0;
    for (int32_t y = 0; y < 29; ++y)
        for (int32_t x = 0; x < 37; ++x)
            mask.maskTC->setPixel(x, y, rng() % 3 == 0 ? 0 : rng() % 256);

    CBlockVMTC full(original), partial(original);
    DirectParams a(full, &effect), b(partial, &effect);
    a.p.layerPrt = b.p.layerPrt = prt;
    if (useMask) {
        a.useMask(mask);
        b.useMask(mask);
    }
    b.p.dstRect = part;
    ASSERT_TRUE(c.fn(a.p, c.argp(), c.size));
    ASSERT_TRUE(c.fn(b.p, c.argp(), c.size));
    for (int32_t y = 0; y < 29; ++y)
        for (int32_t x = 0; x < 37; ++x) {
            const bool inside = x >= part.x0 && x < part.x1 && y >= part.y0 && y < part.y1;
            const uint32_t want = inside ? full.getColor(x, y) : original.getColor(x, y);
            ASSERT_EQ(partial.getColor(x, y), want) << "pixel (" << x << ", " << y << ")";
        }
}

} // namespace filtertest
