#include "document/edit/masked_area.h"

#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "support/block_memory.h"
#include "support/captured_messages.h"
#include "geometry_fixtures.h"

#include <gtest/gtest.h>

namespace {

uint8_t alphaAt(const CLayerData &ld, int32_t x, int32_t y)
{
    return sBGRA{.all = ld.imageTC->getColor(x, y)}.A;
}

TEST(LayerGeometryMasks, CuttingLowersAlphaByTheMaskValue)
{
    struct SCase
    {
        int32_t mode;
        uint8_t alpha, m, expected;
    };
    const SCase cases[] = {
        {0, 255, 128, 127}, // an opaque pixel jumps to 255 - m
        {0, 200, 128, 164}, // 127 * 200 * 255 / (65025 - 200 * 128)
        {1, 200, 128, 99},  // 200 * 127 / 255
        {0, 100, 255, 0},   {1, 100, 255, 0},
        {0, 77, 0, 77},     {1, 77, 0, 77},
    };
    for (const SCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << int(c.alpha) << " " << int(c.m));
        // The layer's pixel 5 and the mask's pixel 1 are both paper point 3.
        auto ld = geoLayer(8, 1, {2, 0}, {6, 1});
        ld->imageTC->setPixel(5, 0, uint32_t(c.alpha) << 24 | 0x123456);
        auto md = geoMask(4, 1, {-2, 0}, {{1, 0, c.m}});
        EXPECT_TRUE(eraseMaskedArea(*ld, md.get(), c.mode));
        EXPECT_EQ(ld->imageTC->getColor(5, 0), uint32_t(c.expected) << 24 | 0x123456);
    }
}

TEST(LayerGeometryMasks, CuttingAndKeepingRefuseWithoutASelectionThatMeetsTheLayer)
{
    auto ld = geoLayer(40, 40);
    fillRandom(*ld->imageTC, 5);
    const auto before = pixelsOf(*ld->imageTC);
    auto far = geoMask(10, 10, {-500, -500}, {{1, 1, 200}});
    auto near = geoMask(10, 10, {0, 0}, {{1, 1, 200}});
    CMaskData empty(0);
    EXPECT_FALSE(eraseMaskedArea(*ld, nullptr, 0));
    EXPECT_FALSE(eraseMaskedArea(*ld, &empty, 0));
    EXPECT_FALSE(eraseMaskedArea(*ld, far.get(), 1));
    EXPECT_FALSE(eraseMaskedArea(*ld, near.get(), 2)); // no such mode
    EXPECT_FALSE(keepMaskedArea(*ld, nullptr));
    EXPECT_FALSE(keepMaskedArea(*ld, far.get())); // overlap is tested before anything is erased
    EXPECT_EQ(createMaskedLayerCopy(*ld, far.get()), nullptr);
    EXPECT_EQ(pixelsOf(*ld->imageTC), before);
}

TEST(LayerGeometryMasks, KeepingClearsOutsideTheSelectedBlocksAndScalesInside)
{
    // Masks are tiled in 64-pixel blocks: a value at (70, 70) enables the block 64..99.
    auto ld = geoLayer(100, 100);
    ASSERT_TRUE(ld->imageTC->PixelFill(0xC8102030));
    auto md = geoMask(100, 100, {0, 0}, {{70, 70, 128}});
    auto copy = createMaskedLayerCopy(*ld, md.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->index, ld->index);
    EXPECT_FALSE(copy->hasUndo());
    EXPECT_EQ(alphaAt(*ld, 10, 10), 0xC8); // the source stays
    for (CLayerData *target : {copy.get(), ld.get()}) {
        if (target == ld.get()) {
            ASSERT_TRUE(keepMaskedArea(*ld, md.get()));
        }
        EXPECT_EQ(target->imageTC->getColor(70, 70), 0x64102030u); // 200 * 128 div 255 = 100
        EXPECT_EQ(alphaAt(*target, 65, 65), 0);                      // inside, unselected
        EXPECT_EQ(target->imageTC->getColor(10, 10), 0x00102030u);  // outside: colour kept
    }
}

TEST(LayerGeometryMasks, PastingThroughTheSelectionPutsByTheMaskValue)
{
    TMTC tc(4, 4);
    tc.fillAll(0x80102030);
    auto md = geoMask(4, 4, {0, 0}, {{0, 0, 255}, {1, 0, 128}, {3, 3, 255}});
    const sBGRA white{.all = 0x00FFFFFF};
    const uint32_t half = mix255(0x30, white.B, 128) | mix255(0x20, white.G, 128) << 8 |
                          mix255(0x10, white.R, 128) << 16;
    struct SCase
    {
        bool keepAlpha;
        uint32_t full, partial;
    };
    for (const SCase &c : {SCase{true, 0x00102030, half}, SCase{false, 0x80102030, half | 64u << 24}}) {
        SCOPED_TRACE(c.keepAlpha);
        auto ld = geoLayer(4, 4);
        const auto paste = c.keepAlpha ? pasteThroughMaskKeepAlpha : pasteThroughMask;
        ASSERT_TRUE(paste(*ld, tc, {0, 0}, md.get(), boxFromSize({4, 4})));
        EXPECT_EQ(ld->imageTC->getColor(0, 0), c.full);
        EXPECT_EQ(ld->imageTC->getColor(1, 0), c.partial);
        EXPECT_EQ(ld->imageTC->getColor(2, 0), 0x00FFFFFFu); // unselected

        // Clipped against both images: only the canvas pixel (0, 0) reaches layer pixel (3, 3).
        auto small = geoLayer(4, 4);
        ASSERT_TRUE(paste(*small, tc, {3, 3}, md.get(), boxFromSize({4, 4})));
        EXPECT_EQ(small->imageTC->getColor(3, 3), c.full);
        EXPECT_FALSE(paste(*small, tc, {9, 9}, md.get(), boxFromSize({4, 4})));
        EXPECT_FALSE(paste(*small, tc, {0, 0}, nullptr, boxFromSize({4, 4})));
    }
}

TEST(LayerGeometryMasks, OutOfMemoryStopsTheSelectedCopy)
{
    CapturedMessages messages;
    auto ld = geoLayer(100, 100);
    fillRandom(*ld->imageTC, 9);
    auto md = geoMask(100, 100, {0, 0}, {{70, 70, 128}});
    const auto before = pixelsOf(*ld->imageTC);
    ScopedBlockMemoryLimit limit(2);
    EXPECT_EQ(createMaskedLayerCopy(*ld, md.get()), nullptr);
    EXPECT_EQ(pixelsOf(*ld->imageTC), before);
}

} // namespace
