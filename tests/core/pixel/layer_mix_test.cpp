#include "core/pixel/blend_modes.h"
#include "core/pixel/layer_mix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using enum TLayerMode;

namespace {

sBGRA px(uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    sBGRA p;
    p.B = b, p.G = g, p.R = r, p.A = a;
    return p;
}

int maxChannelDiff(sBGRA p, sBGRA q)
{
    return std::max({std::abs(p.B - q.B), std::abs(p.G - q.G), std::abs(p.R - q.R)});
}

// (source alpha, opacity) pairs giving effective source alphas from 1 to 255.
const std::pair<uint32_t, uint32_t> kCoverages[] = {{255, 255}, {128, 255}, {255, 128},
                                                    {200, 90},  {1, 255},   {255, 3}};

} // namespace

TEST(OntoTransparent, SourceAloneOntoNothingAndTheModesPutOntoOpaque)
{
    const unsigned seed = 20240601;
    std::mt19937 rng(seed);
    SCOPED_TRACE(seed);
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        const SBlendModeRow &row = *getBlendModeRow(TLayerMode(m));
        SCOPED_TRACE(m);
        for (const auto &[alpha, a] : kCoverages)
            for (int i = 0; i < 40; ++i) {
                const uint32_t e = mul255(alpha, a);
                const uint32_t s = (uint32_t(rng()) & 0x00FFFFFF) | alpha << 24;
                const uint32_t colour = uint32_t(rng()) & 0x00FFFFFF;

                // f = 0: the source colour with alpha e, whatever colour the empty pixel held.
                sBGRA d{.all = colour};
                row.fnPutOnTP(&d, s, a);
                ASSERT_EQ(d.all, (s & 0x00FFFFFF) | e << 24) << "onto transparent, e " << e;

                // f = 255: the mode's own put at opacity e.
                sBGRA onto{.all = colour | 0xFF000000};
                sBGRA put = onto;
                row.fnPutOnTP(&onto, s, a);
                if (m == int(LM_SUB))
                    pixelPutAdd(&put, s, e); // the subtract merge adds the amounts
                else
                    row.fnPut(&put, s, e);
                ASSERT_EQ(onto.A, 255);
                // The multiply merge rounds its product once, the table put twice.
                ASSERT_LE(maxChannelDiff(onto, put), m == int(LM_MUL) ? 1 : 0)
                    << std::hex << "onto opaque " << colour << " by " << s << " at " << a;
            }
    }
}

TEST(OntoTransparent, AlphaBecomesTheUnionOfBothCoverages)
{
    std::mt19937 rng(3);
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        const SBlendModeRow &row = *getBlendModeRow(TLayerMode(m));
        for (uint32_t f : {0u, 1u, 77u, 128u, 254u})
            for (const auto &[alpha, a] : kCoverages) {
                sBGRA d{.all = (uint32_t(rng()) & 0x00FFFFFF) | f << 24};
                row.fnPutOnTP(&d, (uint32_t(rng()) & 0x00FFFFFF) | alpha << 24, a);
                const uint32_t e = mul255(alpha, a);
                uint32_t u = f + e - mul255(f, e);
                if ((m == int(LM_ADD) || m == int(LM_SUB)) && f > 0 && e > 0)
                    u = 255; // the add merge makes any covered pixel opaque
                else if (m == int(LM_STD))
                    u = f + mul255(e, 255 - f); // source-over rounds the other way

                ASSERT_EQ(d.A, u) << m << " f " << f << " e " << e;
            }
    }
}

TEST(OntoTransparent, DarkenCountsNoWhiteWhereTheDestinationIsEmpty)
{
    // A half-covered source onto an empty pixel is its own colour, not white.
    sBGRA d = px(9, 9, 9, 0);
    putDarkenOnTP(&d, px(3, 127, 200, 128).all, 255);
    EXPECT_EQ(d.all, px(3, 127, 200, 128).all);
    // Half over half: the blend sees the destination over white; u = 128 + 128 - 64 = 192.
    d = px(100, 50, 250, 128);
    putDarkenOnTP(&d, px(200, 127, 3, 128).all, 255);
    EXPECT_EQ(d.all, px(151, 101, 85, 192).all);
}

TEST(OntoTransparent, GenericCompositeAgreesWithTheExactScreenFormula)
{
    // Screen's closed formula is the exact composite (source over the empty share, the screen
    // where both lie, the destination alone elsewhere). The generic path builds the same from
    // putScreen and must agree to rounding wherever both coverages are substantial (at small
    // coverages the closed formula's own truncations dominate).
    const unsigned seed = 99;
    std::mt19937 rng(seed);
    SCOPED_TRACE(seed);
    const sTCMixParam mix{sBGRA{.all = 0}, 0, pixelPutAlpha, putScreen};
    int worst = 0;
    for (int i = 0; i < 20000; ++i) {
        const sBGRA d0{.all = uint32_t(rng()) | 0x40000000u};
        const uint32_t s = uint32_t(rng()) | 0x80000000u, a = 128 + (rng() & 0x7F);
        sBGRA closed = d0, generic = d0;
        putScreenOnTP(&closed, s, a);
        mixPixelEx(&generic, s, a, mix);
        ASSERT_EQ(closed.A, generic.A);
        worst = std::max(worst, maxChannelDiff(closed, generic));
    }
    EXPECT_LE(worst, 3);
}

TEST(MixPixelEx, TransparentAndOpaqueEnds)
{
    const sTCMixParam normal{sBGRA{.all = 0}, 0, pixelPutAlpha, pixelPutAlpha};
    // An opaque source onto an empty pixel at full opacity: the source, opaque.
    sBGRA d = px(1, 2, 3, 0);
    mixPixelEx(&d, px(10, 20, 30, 255).all, 255, normal);
    EXPECT_EQ(d.all, px(10, 20, 30, 255).all);
    // Both transparent: the colour stays, alpha 0.
    d = px(1, 2, 3, 0);
    mixPixelEx(&d, px(10, 20, 30, 0).all, 255, normal);
    EXPECT_EQ(d.all, px(1, 2, 3, 0).all);
    // sA = 0 is a transparent source: a half-covered destination keeps colour and alpha.
    d = px(40, 50, 60, 128);
    mixPixelEx(&d, px(10, 20, 30, 255).all, 0, normal);
    EXPECT_EQ(d.all, px(40, 50, 60, 128).all);
    // Half over half, u = 192: where both lie the normal put at 128 gives (99, 100, 100); the
    // source alone covers 127 * 128 / 192 = 84 of 255 of the result.
    d = px(200, 0, 100, 128);
    mixPixelEx(&d, px(0, 200, 100, 128).all, 255, normal);
    EXPECT_EQ(d.all, px(66, 132, 100, 192).all);
}

TEST(MixPixelEx, NoOpOnTransparentSourceFlag)
{
    const sTCMixParam mix{sBGRA{.all = 0xFFFFFF}, mtfNopSrcTP, pixelPutAlpha, putBurn};
    sBGRA d = px(40, 50, 60, 0);
    mixPixelEx(&d, px(10, 20, 30, 0).all, 255, mix);
    EXPECT_EQ(d.all, px(40, 50, 60, 0).all);
    mixPixelEx(&d, px(10, 20, 30, 255).all, 255, mix);
    EXPECT_EQ(d.all, px(10, 20, 30, 255).all);
}
