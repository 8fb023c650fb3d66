// Fixtures of the algorithm tests: running a pixel function on a copy of a layer with a chosen
// effect rectangle, destination, selection and protection; random soft selections; and the check
// that filtering a random part of the effect rectangle gives there exactly what the whole gives.
#pragma once

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace algotest {

// A pixel function with its record made for the parameters it is given (protection bytes follow
// p.layerPrt, so that the filters that compare them run).
using FilterRun = std::function<bool(sFlt4Params &p)>;

struct SRunResult
{
    bool ok = false;
    bool unchanged = false;
    std::unique_ptr<CBlockVMTC> image;
};

struct SRunSetup
{
    SRunSetup(sRect e = {}, std::optional<sRect> d = std::nullopt, const CMaskData *m = nullptr,
              bool p = false)
        : effect(e), dst(d), mask(m), prt(p)
    {
    }
    sRect effect;
    std::optional<sRect> dst; // the effect rectangle when absent
    const CMaskData *mask = nullptr;
    bool prt = false;
    TLayerMode mode = TLayerMode::LM_STD;
};

inline SRunResult runFilter(const CBlockVMTC &src, const SRunSetup &s, const FilterRun &f)
{
    SRunResult r;
    r.image = std::make_unique<CBlockVMTC>(src);
    filtertest::DirectParams d(*r.image, &s.effect);
    if (s.dst)
        d.p.dstRect = *s.dst;
    d.p.layerPrt = s.prt;
    d.p.layerMode = s.mode;
    if (s.mask)
        d.useMask(*const_cast<CMaskData *>(s.mask));
    r.ok = f(d.p);
    r.unchanged = d.p.unchanged;
    return r;
}

inline std::unique_ptr<CBlockVMTC> randomLayer(int32_t w, int32_t h, std::mt19937 &rng)
{
    auto img = std::make_unique<CBlockVMTC>(w, h);
    filtertest::fillRandom(*img, rng);
    return img;
}

// A layer of one colour.
inline std::unique_ptr<CBlockVMTC> flatLayer(int32_t w, int32_t h, uint32_t colour)
{
    auto img = std::make_unique<CBlockVMTC>(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            img->setPixel(x, y, colour);
    return img;
}

// A selection of the layer's size (mask coordinates = layer coordinates): a quarter of it 0, the
// rest any weight.
inline std::unique_ptr<CMaskData> softMask(int32_t w, int32_t h, std::mt19937 &rng)
{
    auto mask = std::make_unique<CMaskData>(0, w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            mask->maskTC->setPixel(x, y, rng() % 4 == 0 ? 0 : rng() % 256);
    return mask;
}

inline sRect randomSubRect(const sRect &r, std::mt19937 &rng)
{
    const int32_t x0 = r.x0 + int32_t(rng() % uint32_t(r.x1 - r.x0));
    const int32_t y0 = r.y0 + int32_t(rng() % uint32_t(r.y1 - r.y0));
    return {x0, y0, x0 + 1 + int32_t(rng() % uint32_t(r.x1 - x0)),
            y0 + 1 + int32_t(rng() % uint32_t(r.y1 - y0))};
}

struct SNamedRun
{
    std::string name;
    FilterRun run;
};

// For every case, several random layers, effect rectangles, soft selections, protections and
// destination parts: the part run changes exactly the destination, to the pixels of the whole
// run there.
inline void expectPartEqualsWhole(const std::vector<SNamedRun> &cases, int rounds = 6)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    initialiseFilters();
    for (const SNamedRun &c : cases)
        for (int round = 0; round < rounds; ++round) {
            SCOPED_TRACE(c.name + " round " + std::to_string(round));
            const int32_t w = 24 + int32_t(rng() % 30), h = 20 + int32_t(rng() % 25);
            const auto src = randomLayer(w, h, rng);
            const auto mask = softMask(w, h, rng);
            SRunSetup s;
            s.effect = randomSubRect({0, 0, w, h}, rng);
            s.mask = round % 3 == 2 ? nullptr : mask.get();
            s.prt = round % 2 == 1;
            s.mode = TLayerMode(rng() % 22);
            const SRunResult whole = runFilter(*src, s, c.run);
            ASSERT_TRUE(whole.ok);
            for (int part = 0; part < 3; ++part) {
                s.dst = randomSubRect(s.effect, rng);
                const SRunResult r = runFilter(*src, s, c.run);
                ASSERT_TRUE(r.ok);
                for (int32_t y = 0; y < h; ++y)
                    for (int32_t x = 0; x < w; ++x) {
                        const bool inside = rectContainsPoint(*s.dst, {x, y});
                        ASSERT_EQ(r.image->getColor(x, y),
                                  (inside ? *whole.image : *src).getColor(x, y))
                            << "pixel " << x << "," << y << (inside ? " inside" : " outside");
                    }
                s.dst.reset();
            }
        }
}

inline sFltObj2 obj2(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3, int32_t d1 = 0)
{
    sFltObj2 r;
    initFltObj2(r);
    r.data0.b0 = b0, r.data0.b1 = b1, r.data0.b2 = b2, r.data0.b3 = b3;
    r.data1.all = d1;
    return r;
}

inline sFltObj4 obj4(int32_t d0, int32_t d1, int32_t d2, int32_t d3)
{
    sFltObj4 r;
    r.data0.all = d0, r.data1.all = d1, r.data2.all = d2, r.data3.all = d3;
    return r;
}

inline int32_t floatBits(float f)
{
    LDATA d;
    d._float = f;
    return d.all;
}

} // namespace algotest
