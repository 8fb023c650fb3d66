#include "core/pixel/blend_modes.h"
#include "core/base/numeric.h"

#include "core/pixel/each_simd_level.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>

using enum TLayerMode;

namespace {

sBGRA px(uint8_t b, uint8_t g, uint8_t r, uint8_t a)
{
    sBGRA p;
    p.B = b, p.G = g, p.R = r, p.A = a;
    return p;
}

const SBlendModeRow &rowOf(int m)
{
    return *getBlendModeRow(TLayerMode(m));
}

using BGR = std::array<int, 3>;

BGR bgr(sBGRA p)
{
    return {p.B, p.G, p.R};
}

// The fnPut results of every mode for two (destination, source) pairs at opacities 255 and 100,
// worked out from the mode formulas. The pairs take both branches of every two-sided blend.
struct ModeCase
{
    TLayerMode mode;
    BGR full1, part1, full2, part2;
};
const ModeCase kModeCases[] = {
    {LM_MUL, {23, 50, 51}, {27, 97, 154}, {9, 4, 45}, {155, 4, 72}},
    {LM_ADD, {230, 228, 255}, {108, 167, 243}, {255, 245, 218}, {253, 99, 140}},
    {LM_SUB, {0, 28, 160}, {0, 89, 197}, {240, 0, 0}, {247, 0, 40}},
    {LM_STD, {200, 100, 60}, {96, 117, 157}, {10, 240, 128}, {155, 97, 104}},
    {LM_SCR, {207, 178, 229}, {99, 147, 223}, {251, 241, 173}, {250, 97, 122}},
    {LM_OVLY, {47, 100, 201}, {36, 117, 212}, {245, 9, 90}, {248, 6, 90}},
    {LM_HARDLIGHT, {157, 100, 103}, {79, 117, 174}, {19, 225, 90}, {159, 91, 90}},
    {LM_SOFTLIGHT, {60, 114, 204}, {41, 122, 213}, {246, 16, 90}, {248, 9, 90}},
    {LM_DIF, {170, 28, 160}, {84, 88, 196}, {240, 235, 38}, {246, 95, 69}},
    {LM_EXCLUSION, {184, 128, 178}, {90, 128, 203}, {242, 237, 128}, {246, 95, 104}},
    {LM_DARK, {30, 100, 60}, {30, 117, 157}, {10, 5, 90}, {155, 5, 90}},
    {LM_LIGHT, {200, 128, 220}, {96, 128, 220}, {250, 240, 128}, {250, 97, 104}},
    {LM_BURN, {0, 0, 107}, {18, 77, 175}, {128, 0, 0}, {202, 3, 54}},
    {LM_DODGE, {139, 210, 255}, {72, 160, 233}, {255, 85, 180}, {251, 36, 125}},
    {LM_HUE, {248, 144, 103}, {115, 134, 174}, {0, 78, 40}, {151, 33, 70}},
    {LM_SATURATION, {75, 134, 190}, {47, 130, 208}, {236, 9, 87}, {244, 6, 88}},
    {LM_COLOR, {214, 144, 117}, {102, 134, 179}, {0, 78, 40}, {151, 33, 70}},
    {LM_LUMINOSITY, {0, 85, 165}, {18, 111, 198}, {254, 160, 192}, {251, 65, 130}},
    {LM_SUBNEG, {0, 0, 25}, {9, 68, 144}, {5, 0, 0}, {154, 0, 41}},
    {LM_LINEARLIGHT, {174, 72, 84}, {86, 106, 166}, {14, 229, 90}, {157, 92, 90}},
    {LM_VIVIDLIGHT, {69, 94, 181}, {45, 114, 204}, {192, 42, 90}, {227, 19, 90}},
    {LM_PINLIGHT, {145, 128, 120}, {75, 128, 180}, {20, 225, 90}, {159, 91, 90}},
};

} // namespace

TEST(BlendModes, EveryModesPutOnChosenPixels)
{
    ASSERT_EQ(std::size(kModeCases), size_t(LM_MAX_NUM));
    const sBGRA d1 = px(30, 128, 220, 77), d2 = px(250, 5, 90, 200);
    const uint32_t s1 = px(200, 100, 60, 0).all, s2 = px(10, 240, 128, 33).all;
    for (const ModeCase &c : kModeCases) {
        const SBlendModeRow &row = *getBlendModeRow(c.mode);
        SCOPED_TRACE(int(c.mode));
        const struct
        {
            sBGRA d;
            uint32_t s, a;
            BGR expected;
        } puts[] = {{d1, s1, 255, c.full1},
                    {d1, s1, 100, c.part1},
                    {d2, s2, 255, c.full2},
                    {d2, s2, 100, c.part2}};
        for (const auto &p : puts) {
            sBGRA d = p.d;
            row.fnPut(&d, p.s, p.a);
            EXPECT_EQ(bgr(d), p.expected) << "opacity " << p.a;
            EXPECT_EQ(d.A, p.d.A); // the destination keeps its alpha; the source alpha is ignored
            // fnPutA scales the opacity by the source alpha: at alpha 255 it is fnPut.
            sBGRA da = p.d;
            row.fnPutA(&da, p.s | 0xFF000000u, p.a);
            EXPECT_EQ(da.all, d.all);
        }
    }
}

TEST(BlendModes, ZeroOpacityOrTransparentSourceLeavesThePixel)
{
    std::mt19937 rng(7);
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        const SBlendModeRow &row = rowOf(m);
        for (int i = 0; i < 50; ++i) {
            const sBGRA d{.all = uint32_t(rng())};
            const uint32_t s = uint32_t(rng());
            sBGRA p = d;
            row.fnPut(&p, s, 0);
            EXPECT_EQ(p.all, d.all) << m;
            row.fnPutA(&p, s & 0x00FFFFFFu, 255);
            EXPECT_EQ(p.all, d.all) << m;
        }
    }
}

TEST(BlendModes, FnPutAUsesTheSourceAlphaTimesTheOpacity)
{
    std::mt19937 rng(11);
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        const SBlendModeRow &row = rowOf(m);
        for (int i = 0; i < 200; ++i) {
            const sBGRA d{.all = uint32_t(rng())};
            const uint32_t s = uint32_t(rng()), a = rng() & 0xFF;
            sBGRA viaA = d, viaPut = d;
            row.fnPutA(&viaA, s, a);
            row.fnPut(&viaPut, s, a * (s >> 24) / 255);
            ASSERT_EQ(viaA.all, viaPut.all) << m;
        }
    }
}

TEST(BlendModes, NeutralSourcesLeaveTheDestination)
{
    // Black for Screen, Lighten, Dodge, Difference; white for Darken, Multiply, Burn, SubNeg.
    const struct
    {
        TLayerMode mode;
        uint32_t neutral;
    } cases[] = {{LM_SCR, 0},         {LM_LIGHT, 0},        {LM_DODGE, 0},       {LM_DIF, 0},
                 {LM_ADD, 0},         {LM_EXCLUSION, 0},    {LM_DARK, 0xFFFFFF}, {LM_MUL, 0xFFFFFF},
                 {LM_BURN, 0xFFFFFF}, {LM_SUBNEG, 0xFFFFFF}};
    for (const auto &c : cases)
        for (uint32_t v = 0; v < 256; ++v) {
            sBGRA d = px(uint8_t(v), uint8_t(255 - v), uint8_t(v / 2), 99);
            const sBGRA before = d;
            getBlendModeRow(c.mode)->fnPut(&d, c.neutral, 255);
            ASSERT_EQ(d.all, before.all) << int(c.mode) << " d " << v;
        }
}

TEST(BlendModes, NeutralColourOfEveryModeKeepsTheDestinationNearly)
{
    // c0 of each neutral mode changes no channel by more than 2 (Overlay and the grey modes lose
    // a step, LinearLight two). The subtract mode's c0 is the neutral of its negated form.
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        const SBlendModeRow &row = rowOf(m);
        if (!(row.flags & mtfNeutral) || (row.flags & mtfNega))
            continue;
        for (uint32_t v = 0; v < 256; ++v) {
            sBGRA d = px(uint8_t(v), uint8_t(v), uint8_t(v), 255);
            row.fnPut(&d, row.c0.all, 255);
            ASSERT_LE(std::abs(int(d.B) - int(v)), 2) << m << " d " << v;
        }
    }
}

TEST(BlendModes, WorkedEdgesOfTheChannelBlends)
{
    auto put = [](TLayerMode m, uint8_t d, uint8_t s) {
        sBGRA p = px(d, d, d, 255);
        getBlendModeRow(m)->fnPut(&p, px(s, s, s, 255).all, 255);
        return int(p.B);
    };
    EXPECT_EQ(put(LM_OVLY, 0, 0x7F), 0);
    EXPECT_EQ(put(LM_OVLY, 255, 0x7F), 255);
    for (int d = 1; d <= 254; ++d)
        ASSERT_EQ(put(LM_OVLY, uint8_t(d), 0x7F), d - 1) << d;
    for (int d = 0; d < 256; ++d) {
        ASSERT_EQ(put(LM_LINEARLIGHT, uint8_t(d), 128), d);
        ASSERT_EQ(put(LM_LINEARLIGHT, uint8_t(d), 127), std::max(d - 2, 0));
        ASSERT_EQ(put(LM_BURN, uint8_t(d), 0), d == 255 ? 255 : 0);
        ASSERT_EQ(put(LM_DODGE, uint8_t(d), 255), d == 0 ? 0 : 255);
    }
    EXPECT_EQ(put(LM_PINLIGHT, 100, 200), 145);
    EXPECT_EQ(put(LM_VIVIDLIGHT, 0, 255), 255);
    EXPECT_EQ(put(LM_VIVIDLIGHT, 255, 0), 0);
    // A full-strength light gives the curve: sqrt(64 / 255) = 0.501 of 255, truncated twice.
    EXPECT_EQ(put(LM_SOFTLIGHT, 64, 255), 127);
}

TEST(BlendModes, SoftLightFollowsItsCurveUnderAFullLight)
{
    // At s = 255 SoftLight is its curve D(d): the square root above x = 0.25, the cubic below,
    // in 16.16 with the shared fixed-point helpers.
    for (int32_t d = 0; d < 256; ++d) {
        const int32_t x = d * 65536 / 255;
        const int32_t v =
            x > 0x4000 ? fixSqrt(x) : fixMul(fixMul(16 * x - 0xC0000, x) + 0x40000, x);
        sBGRA p = px(uint8_t(d), uint8_t(d), uint8_t(d), 255);
        putSoftLight(&p, 0xFFFFFFFF, 255);
        ASSERT_EQ(int32_t(p.B), (v * 255) >> 16) << d;
    }
}

TEST(BlendModes, WholeColourModes)
{
    // A grey source gives Hue a grey of the destination's luminance.
    sBGRA d = px(40, 200, 90, 255);
    putHue(&d, px(77, 77, 77, 255).all, 255);
    const int l = int(lumaOf(90, 200, 40));
    EXPECT_EQ(bgr(d), (BGR{l, l, l}));

    EXPECT_EQ(hslCompose(0x12345678, 10, 99) & 0xFF000000u, 0x12000000u); // keeps byte 3
    EXPECT_EQ(hslCompose(0x00808080, 200, 99), 0x00636363u);              // grey stays grey
    // Full spread and luminance of pure red keep pure red; blue with red's luminance is lifted.
    EXPECT_EQ(hslCompose(0x00FF0000, 255, 76), 0x00FF0000u);
    const sBGRA lifted{.all = hslCompose(0x000000FF, 255, 76)};
    EXPECT_EQ(pixelLuma(lifted), 76u);
    EXPECT_GT(lifted.B, lifted.R);
}

TEST(BlendModes, ModeLookupsRefuseValuesPastTheTable)
{
    EXPECT_EQ(getBlendModeRow(TLayerMode(22)), nullptr);
    EXPECT_EQ(getBlendModeRow(TLayerMode(127)), nullptr);
    EXPECT_FALSE(getLayerModeBgColor(TLayerMode(22)).has_value());
    EXPECT_FALSE(layerModeFromByte(0xFF).has_value());
    // Bit 7 is not part of the mode: 0x83 reads as the standard mode.
    ASSERT_NE(getBlendModeRow(TLayerMode(0x83)), nullptr);
    EXPECT_EQ(getBlendModeRow(TLayerMode(0x83))->mode, LM_STD);
    EXPECT_EQ(layerModeFromByte(0x95), LM_PINLIGHT);

    EXPECT_EQ(getLayerModeBgColor(LM_STD), 0xFFFFFFu);
    EXPECT_EQ(getLayerModeBgColor(LM_SUB), 0u);
    EXPECT_EQ(getLayerModeBgColor(LM_OVLY), 0x7F7F7Fu);
    EXPECT_EQ(getBlendModeRow(LM_HUE)->flags, mtfComplex | mtfInitSrc | mtfHLS);
    EXPECT_EQ(getBlendModeRow(LM_SUB)->flags, mtfNega | mtfNeutral);
    EXPECT_EQ(getBlendModeRow(LM_VIVIDLIGHT)->flags, mtfComplex);
}

// The branch-free source-over against its plain form on every (colour byte, pixel byte, opacity),
// each with a pixel alpha that runs through all 256 values per opacity, and again onto a fully
// transparent and an opaque pixel; opacities past 255 count as 255 in both.
TEST(BlendModes, SourceOverMatchesItsPlainFormEverywhere)
{
    int64_t mismatches = 0;
    auto check = [&](sBGRA dst, uint32_t col, uint32_t a) {
        sBGRA fast = dst, plain = dst;
        pixelPutOver(&fast, col, a);
        pixelPutOverPlain(&plain, col, a);
        if (fast.all != plain.all && ++mismatches <= 5)
            ADD_FAILURE() << std::hex << "dst " << dst.all << " col " << col << " a " << std::dec
                          << a << ": " << std::hex << fast.all << " != " << plain.all;
    };
    for (uint32_t a = 0; a < 256; ++a)
        for (uint32_t c = 0; c < 256; ++c)
            for (uint32_t d = 0; d < 256; ++d) {
                const uint32_t col = c << 24 | (c ^ 0xA5) << 16 | (255 - c) << 8 | c;
                const auto b = uint8_t(d), g = uint8_t(255 - d), r = uint8_t(d ^ 0x3C);
                check(px(b, g, r, uint8_t(c + 7 * d)), col, a);
                check(px(b, g, r, 0), col, a);
                check(px(b, g, r, 255), col, a);
            }
    for (uint32_t a : {256u, 1000u, 0xFFFFFFFFu})
        for (uint32_t dA : {0u, 1u, 128u, 255u})
            check(px(10, 20, 30, uint8_t(dA)), 0x40506070u, a);
    EXPECT_EQ(mismatches, 0);
}

// The rows of per-pixel opacities (source-over and the standard put) at each vector level the
// processor has.
class AlphaRowAtLevel : public EachSimdLevel
{
};
INSTANTIATE_EACH_SIMD_LEVEL(AlphaRowAtLevel);

// Each row of per-pixel opacities against its plain put: every (colour byte, pixel byte,
// opacity) once per pixel-alpha pattern (varied, transparent, opaque), in rows of 256 whose
// opacities change from pixel to pixel; then rows of every short length for the tail.
TEST_P(AlphaRowAtLevel, MatchesThePlainPut)
{
    using Row = void (*)(sBGRA *, uint32_t, const uint8_t *, int) noexcept;
    const struct
    {
        const char *name;
        Row row;
        void (*put)(sBGRA *, uint32_t, uint32_t) noexcept;
    } rows[] = {{"source-over", rowPutOverAlphas, pixelPutOverPlain},
                {"standard", rowPutAlphaAlphas, pixelPutAlpha}};
    for (const auto &r : rows) {
        SCOPED_TRACE(r.name);
        int64_t mismatches = 0;
        std::array<sBGRA, 256> row{}, ref{};
        std::array<uint8_t, 256> alpha{};
        auto compare = [&](uint32_t col, int n) {
            for (int i = 0; i < n; ++i)
                r.put(&ref[size_t(i)], col, alpha[size_t(i)]);
            r.row(row.data(), col, alpha.data(), n);
            for (int i = 0; i < n; ++i)
                if (row[size_t(i)].all != ref[size_t(i)].all && ++mismatches <= 5)
                    ADD_FAILURE() << std::hex << "col " << col << " pixel " << std::dec << i
                                  << " a " << int(alpha[size_t(i)]) << ": " << std::hex
                                  << row[size_t(i)].all << " != " << ref[size_t(i)].all;
        };
        for (int pattern = 0; pattern < 3; ++pattern)
            for (uint32_t c = 0; c < 256; ++c)
                for (uint32_t a = 0; a < 256; ++a) {
                    const uint32_t col = (c * 3) << 24 | (c ^ 0xA5) << 16 | (255 - c) << 8 | c;
                    for (uint32_t d = 0; d < 256; ++d) {
                        const uint32_t dA = pattern == 0   ? (c + 7 * d) & 255
                                            : pattern == 1 ? 0
                                                           : 255;
                        row[d] = ref[d] =
                            px(uint8_t(d), uint8_t(255 - d), uint8_t(d ^ 0x3C), uint8_t(dA));
                        alpha[d] = uint8_t(a + 37 * d);
                    }
                    compare(col, 256);
                }
        const unsigned seed = ::testing::UnitTest::GetInstance()->random_seed();
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        for (int n = 0; n <= 19; ++n)
            for (int k = 0; k < 50; ++k) {
                for (int i = 0; i < 256; ++i) {
                    row[size_t(i)].all = ref[size_t(i)].all = uint32_t(rng());
                    alpha[size_t(i)] = uint8_t(rng());
                }
                compare(uint32_t(rng()), n);
                for (int i = n; i < 256; ++i) // nothing past the row is touched
                    ASSERT_EQ(row[size_t(i)].all, ref[size_t(i)].all) << "n " << n;
            }
        EXPECT_EQ(mismatches, 0);
    }
}
