// The stroke context: start values, the value puts of the chain, the swap guard and the shared
// fall-off table.
#include "paint/render/stroke_context.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

void markPut(sBGRA *dst, uint32_t, uint32_t)
{
    dst->all = 0x12345678;
}

} // namespace

TEST(StrokeContext, StartValuesAndPlainChain)
{
    gCanvasPutAt = nullptr;
    gStrokeColorPut = markPut;
    gStrokeProcsLocked = true;
    gMaskOffset = {3, 4};
    initStrokePixelProcs();
    EXPECT_EQ(gCanvasPutAt, &pixelPutPlain);
    EXPECT_EQ(gChannelPutAt, &channelPutPlain);
    EXPECT_EQ(gChannelValuePut, &channelPutMax);
    EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
    EXPECT_FALSE(gStrokeProcsLocked);
    EXPECT_EQ(gMaskOffset, (sPos{0, 0}));
    EXPECT_EQ(gCurrentMask, nullptr);
    EXPECT_EQ(gCurrentAirMap, eAirMap::ABMAP_LINEAR);
    EXPECT_EQ(gAirMapTable[0], 0xFF0000);

    // The plain puts end in the value puts.
    sBGRA px{.all = 0x80000000};
    gCanvasPutAt(&px, 0, 0, 255, 0xFF102030);
    EXPECT_EQ(px.all, 0x80102030u); // pixelPutAlpha keeps the destination's alpha
    uint8_t byte = 10;
    gChannelPutAt(&byte, 0, 0, 128, 255);
    EXPECT_EQ(byte, 128);
}

TEST(StrokeContext, SwapGuardRestoresOnEveryPath)
{
    initStrokePixelProcs();
    {
        StrokeColorPutSwap swap(pixelEraseAlpha);
        EXPECT_EQ(gStrokeColorPut, &pixelEraseAlpha);
        {
            StrokeColorPutSwap inner(markPut);
            EXPECT_EQ(gStrokeColorPut, &markPut);
        }
        EXPECT_EQ(gStrokeColorPut, &pixelEraseAlpha);
    }
    EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
    try {
        StrokeColorPutSwap swap(markPut);
        throw std::runtime_error("dab failed");
    } catch (const std::runtime_error &) {
    }
    EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
}

TEST(StrokeContext, ValuePuts)
{
    // channelPutMax: value × opacity / 255, and never lowers a byte.
    const struct
    {
        uint8_t before;
        uint32_t value, opacity;
        uint8_t after;
    } maxCases[] = {{0, 255, 255, 255}, {0, 255, 128, 128},    {200, 255, 128, 200},
                    {0, 100, 51, 20},   {50, 0x1FF, 255, 255}, {7, 255, 0, 7},
                    {0, 255, 400, 255}};
    for (const auto &c : maxCases) {
        uint8_t b = c.before;
        channelPutMax(&b, c.value, c.opacity);
        EXPECT_EQ(b, c.after) << int(c.before) << " " << c.value << " " << c.opacity;
    }
    // pixelEraseAlpha: alpha − alpha × opacity / 255, colour untouched.
    const struct
    {
        uint8_t alpha;
        uint32_t opacity;
        uint8_t after;
    } eraseCases[] = {{255, 255, 0}, {255, 0, 255}, {200, 128, 100}, {1, 254, 1}, {90, 300, 0}};
    for (const auto &c : eraseCases) {
        sBGRA px{};
        px.B = 1, px.G = 2, px.R = 3, px.A = c.alpha;
        pixelEraseAlpha(&px, 0xFFFFFFFF, c.opacity);
        EXPECT_EQ(px.A, c.after) << int(c.alpha) << " " << c.opacity;
        EXPECT_EQ(px.all & 0xFFFFFF, 0x030201u);
    }
}

TEST(StrokeContext, AirMapTables)
{
    AAirMapTable t{};
    buildAirMap(eAirMap::ABMAP_LINEAR, t);
    EXPECT_EQ(t[0], 0xFF0000);
    EXPECT_EQ(t[2046], 8164); // MulDiv rounds up; a floor would give 8163
    EXPECT_EQ(t[2047], 0);
    buildAirMap(eAirMap::ABMAP_FLAT90, t);
    EXPECT_EQ(t[1843], 0xFF0000);
    EXPECT_EQ(t[1845], 16629356); // half away from zero
    EXPECT_EQ(t[2047], 0);
    for (eAirMap m : {eAirMap::ABMAP_CIRCLE, eAirMap::ABMAP_ROUNDTOP, eAirMap::ABMAP_PINTOP}) {
        buildAirMap(m, t);
        EXPECT_EQ(t[0], 0xFF0000) << int(m);
        EXPECT_EQ(t[2047], 0) << int(m);
        for (int i = 1; i < 2048; ++i)
            ASSERT_LE(t[i], t[i - 1]) << int(m) << " at " << i;
    }
    // The round top passes half strength at half the radius (x = 1023 / 2047, just below 0.5).
    buildAirMap(eAirMap::ABMAP_ROUNDTOP, t);
    EXPECT_NEAR(t[1023] / 65536.0, 127.5, 0.2);
    t.fill(7);
    buildAirMap(eAirMap(9), t);
    EXPECT_EQ(t[100], 7);
}
