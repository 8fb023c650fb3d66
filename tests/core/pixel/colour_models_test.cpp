#include "core/pixel/colour_models.h"

#include <gtest/gtest.h>

#include <array>

namespace {

sBGRA px(uint8_t b, uint8_t g, uint8_t r)
{
    sBGRA p;
    p.B = b, p.G = g, p.R = r, p.A = 0x5A;
    return p;
}

std::array<uint8_t, 3> rgb(const uint8_t *p)
{
    return {p[0], p[1], p[2]};
}

} // namespace

TEST(ColourModels, PixelToHslOfGreyAndPrimaries)
{
    sFixHSL hsl;
    pixelToHSL(px(128, 128, 128), hsl);
    EXPECT_EQ(hsl.h, 0);
    EXPECT_EQ(hsl.s, 0);
    EXPECT_EQ(hsl.l, 0x800000);

    pixelToHSL(px(0, 0, 255), hsl); // red
    EXPECT_EQ(hsl.h, 0);
    EXPECT_EQ(hsl.s, 0xFF0000);
    EXPECT_EQ(hsl.l, 255 * 0x8000);

    pixelToHSL(px(0, 255, 0), hsl);
    EXPECT_EQ(hsl.h, 0x780000); // 120 degrees
    pixelToHSL(px(255, 0, 0), hsl);
    EXPECT_EQ(hsl.h, 0xF00000); // blue: 240 degrees
    pixelToHSL(px(255, 0, 255), hsl);
    EXPECT_EQ(hsl.h, 0x12C0000); // magenta: 300 degrees, a negative hue brought into range
}

TEST(ColourModels, HslRoundTripsOfPrimariesAndSecondaries)
{
    for (uint32_t c : {0x0000FFu, 0x00FF00u, 0xFF0000u, 0x00FFFFu, 0xFFFF00u, 0xFF00FFu, 0xFFFFFFu,
                       0x000000u, 0x808080u}) {
        const sBGRA in{.all = c | 0x5A000000u};
        sFixHSL hsl;
        pixelToHSL(in, hsl);
        sBGRA out{.all = 0x5A000000};
        hslToPixel(hsl, &out);
        EXPECT_EQ(out.all, in.all) << std::hex << c; // the alpha byte is left untouched

        // The red-first pair: R in byte 0.
        const uint32_t redFirst = colorSwapRB(c);
        rgbToHSL(redFirst, hsl);
        uint8_t bytes[3];
        hslToRGB(hsl, bytes);
        EXPECT_EQ(bytes[0] | bytes[1] << 8 | bytes[2] << 16, redFirst) << std::hex << c;
    }
}

TEST(ColourModels, HslOfArbitraryColoursComesBackWithinOneStep)
{
    int worst = 0;
    for (uint32_t c = 0; c < 0x1000000; c += 997) {
        const sBGRA in{.all = c};
        sFixHSL hsl;
        pixelToHSL(in, hsl);
        ASSERT_GE(hsl.h, 0);
        ASSERT_LT(hsl.h, 0x1680000);
        sBGRA out{.all = 0};
        hslToPixel(hsl, &out);
        worst = std::max(
            {worst, std::abs(out.B - in.B), std::abs(out.G - in.G), std::abs(out.R - in.R)});
    }
    EXPECT_LE(worst, 1);
}

TEST(ColourModels, HsvSectorsGreyAndFullTurn)
{
    uint8_t out[3];
    hsvToRGB({0x500000, 0, 0x7F8000}, out);
    EXPECT_EQ(rgb(out), (std::array<uint8_t, 3>{0x7F, 0x7F, 0x7F}));

    struct Case
    {
        int32_t h;
        std::array<uint8_t, 3> rgb;
    };
    const Case cases[] = {
        {0, {255, 0, 0}},          {0x3C0000, {255, 255, 0}}, {0x780000, {0, 255, 0}},
        {0xB40000, {0, 255, 255}}, {0xF00000, {0, 0, 255}},   {0x12C0000, {255, 0, 255}},
        {0x1680000, {255, 0, 0}},  {-0x780000, {0, 0, 255}},  {0x1E0000, {255, 127, 0}},
    };
    for (const Case &c : cases) {
        hsvToRGB({c.h, 0xFF0000, 0xFF0000}, out);
        EXPECT_EQ(rgb(out), c.rgb) << std::hex << c.h;
    }
    // Half saturation, full value, red: the other two channels at half.
    hsvToRGB({0, 0x7F8000, 0xFF0000}, out);
    EXPECT_EQ(rgb(out), (std::array<uint8_t, 3>{255, 127, 127}));
}

TEST(ColourModels, CmykToRgbRoundsAndSaturates)
{
    uint8_t out[3];
    cmykToRGB({0, 0, 0, 0}, out);
    EXPECT_EQ(rgb(out), (std::array<uint8_t, 3>{255, 255, 255}));
    cmykToRGB({0, 0x400000, 0, 0xFF0000}, out);
    EXPECT_EQ(rgb(out), (std::array<uint8_t, 3>{0, 0, 0}));
    cmykToRGB({0xFF0000, 0x7F8000, 0, 0}, out); // 127.5 rounds up
    EXPECT_EQ(rgb(out), (std::array<uint8_t, 3>{0, 128, 255}));
}
