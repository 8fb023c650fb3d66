// The bilinear samplers: weights, exact single samples, transparent neighbourhoods, packing,
// neighbours at the edge, and every sampler against the plain reference.
#include "filters/core/bilinear_samplers.h"

#include "core/image/canvas.h"
#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using Sampler = std::function<uint32_t(const TMTC &, int32_t, int32_t)>;

struct Named
{
    const char *name;
    Sampler fn;
    eBilinearNeighbour nb;
    eBilinearPacking pk;
};

std::vector<Named> singleSamplers()
{
    using N = eBilinearNeighbour;
    using P = eBilinearPacking;
    return {
        {"ClampWrapping", sampleBilinearClamp, N::Clamp, P::Wrapping},
        {"ClampSat", sampleBilinearClampSat, N::Clamp, P::Saturating},
        {"WrapWrapping", sampleBilinearWrap, N::Wrap, P::Wrapping},
        {"WrapSat", sampleBilinearWrapSat, N::Wrap, P::Saturating},
        {"MaskSat", sampleBilinearMaskSat, N::Mask, P::Saturating},
        {"MaskFloat", sampleBilinearMaskFloat, N::Mask, P::Float},
        {"PairClamp",
         [](const TMTC &tc, int32_t x, int32_t y) { return samplePairClamp(tc, x, y, x, y); },
         N::Clamp, P::Wrapping},
        {"PairClampSat",
         [](const TMTC &tc, int32_t x, int32_t y) { return samplePairClampSat(tc, x, y, x, y); },
         N::Clamp, P::Saturating},
    };
}

TEST(BilinearSamplers, IndexAndTwelveBitWeight)
{
    struct Case
    {
        int32_t p, i;
        uint32_t w;
    } cases[] = {{0x18000, 1, 2049}, {0x1FFFF, 1, 4096}, {0x10000, 1, 0},
                 {0x17FFF, 1, 2047}, {-0x8000, -1, 2049}, {0x7FF0, 0, 2047}};
    for (const Case &c : cases) {
        EXPECT_EQ(bilinearIndex(c.p), c.i) << std::hex << c.p;
        EXPECT_EQ(bilinearWeight(c.p), c.w) << std::hex << c.p;
    }
}

TEST(BilinearSamplers, OneOpaqueSampleIsExactAndNothingIsTransparentWhite)
{
    TMTC tc(4, 4);
    tc.fillAll(0x00123456);
    tc.seek32(1, 1)->all = 0xFF9A7B5C;
    for (const Named &s : singleSamplers()) {
        EXPECT_EQ(s.fn(tc, 0x10000, 0x10000), 0xFF9A7B5Cu) << s.name;
        EXPECT_EQ(s.fn(tc, 0x30000, 0x30000), 0x00FFFFFFu) << s.name << ": all transparent";
    }
}

TEST(BilinearSamplers, QuotientAbove255WrapsOrSaturates)
{
    // Only (0, 0) has alpha, with weight 4096 x 1: its quotient is 10 + 2048.
    TMTC tc(4, 4);
    tc.fillAll(0);
    tc.seek32(0, 0)->all = 0xFF0A0A0A;
    const int32_t x = 0xFFE0; // weight 4095 on the right neighbour
    EXPECT_EQ(sampleBilinearClamp(tc, x, 0) & 0xFFFFFF, 0x0A0A0Au) << "2058 keeps its low byte";
    EXPECT_EQ(sampleBilinearClampSat(tc, x, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(sampleBilinearClamp(tc, x, 0) >> 24, 0u);
}

TEST(BilinearSamplers, NeighbourOfTheLastColumn)
{
    TMTC tc(4, 1);
    tc.fillAll(0xFF000000);
    tc.seek32(3, 0)->all = 0xFF000010;
    tc.seek32(0, 0)->all = 0xFF0000F0;
    const int32_t x = 0x38000; // half way to the neighbour
    EXPECT_EQ(sampleBilinearClamp(tc, x, 0), 0xFF000010u) << "the last column used twice";
    const uint32_t wrapped = sampleBilinearWrap(tc, x, 0) & 0xFF;
    EXPECT_GT(wrapped, 0x70u) << "the first column as the right neighbour";
    EXPECT_LT(wrapped, 0x90u);
    EXPECT_EQ(sampleBilinearMaskSat(tc, x, 0), sampleBilinearWrapSat(tc, x, 0))
        << "4 is a power of two";
}

TEST(BilinearSamplers, MatchTheReferenceOnRandomCanvases)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 40; ++round) {
        const int32_t w = 1 << (rng() % 6), h = 1 + int32_t(rng() % 20);
        TMTC tc(w, h);
        filtertest::fillRandom(tc, rng);
        for (int k = 0; k < 200; ++k) {
            // Mostly inside, sometimes well outside (folded into the canvas).
            const int32_t range = k % 10 == 0 ? 4 : 1;
            const int32_t x = int32_t(rng() % uint32_t(w * range << 16)) - (k % 10 == 0 ? (w << 16) : 0);
            const int32_t y = int32_t(rng() % uint32_t(h * range << 16)) - (k % 10 == 0 ? (h << 16) : 0);
            for (const Named &s : singleSamplers()) {
                const bool pair = std::string(s.name).rfind("Pair", 0) == 0;
                const uint32_t want = pair ? samplePairReference(tc, x, y, x, y, s.pk)
                                           : sampleBilinearReference(tc, x, y, s.nb, s.pk);
                ASSERT_EQ(s.fn(tc, x, y), want) << s.name << " at " << x << "," << y;
            }
            const int32_t x2 = int32_t(rng() % uint32_t(w << 16)), y2 = int32_t(rng() % uint32_t(h << 16));
            ASSERT_EQ(samplePairClamp(tc, x, y, x2, y2),
                      samplePairReference(tc, x, y, x2, y2, eBilinearPacking::Wrapping));
            ASSERT_EQ(samplePairClampSat(tc, x, y, x2, y2),
                      samplePairReference(tc, x, y, x2, y2, eBilinearPacking::Saturating));
        }
    }
}

TEST(BilinearSamplers, EmptyCanvasReadsNothing)
{
    const TMTC tc;
    for (const Named &s : singleSamplers())
        EXPECT_EQ(s.fn(tc, 0, 0), 0x00FFFFFFu) << s.name;
}

} // namespace
