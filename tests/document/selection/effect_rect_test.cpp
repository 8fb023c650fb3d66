// The effect rectangle of filters over a layer image, its view position and the selection.
#include "document/selection/effect_rect.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

struct MaskSpec
{
    bool image;    // the mask has an image (of 130 x 100)
    sPos viewPos;  // M
    sRect content; // its non-zero pixels, mask coordinates (empty: none)
};

struct Case
{
    const char *name;
    std::optional<MaskSpec> mask;
    sPos layerPos; // L
    bool ok;
    sRect rect; // layer coordinates
};

TEST(EffectRect, TableOfSelections)
{
    const Case cases[] = {
        {"no mask", std::nullopt, {4, 4}, true, {0, 0, 100, 80}},
        {"mask without image", MaskSpec{false, {}, {}}, {0, 0}, true, {0, 0, 100, 80}},
        {"empty mask", MaskSpec{true, {}, {}}, {0, 0}, false, {}},
        {"same origin", MaskSpec{true, {0, 0}, {10, 10, 30, 20}}, {0, 0}, true, {10, 10, 30, 20}},
        {"moved by L - M", MaskSpec{true, {-2, 1}, {10, 10, 30, 20}}, {5, 3}, true,
         {17, 12, 37, 22}},
        {"clipped", MaskSpec{true, {0, 0}, {90, 70, 120, 90}}, {0, 0}, true, {90, 70, 100, 80}},
        {"clipped at the origin", MaskSpec{true, {6, 0}, {0, 0, 20, 20}}, {0, 0}, true,
         {0, 0, 14, 20}},
        {"outside", MaskSpec{true, {0, 0}, {110, 85, 120, 90}}, {0, 0}, false, {}},
        {"touching only", MaskSpec{true, {0, 0}, {100, 0, 120, 10}}, {0, 0}, false, {}},
    };
    const CBlockVMTC layer(100, 80);
    for (const Case &c : cases) {
        std::unique_ptr<CMaskData> mask;
        if (c.mask) {
            mask = c.mask->image ? std::make_unique<CMaskData>(0, 130, 100)
                                 : std::make_unique<CMaskData>(0);
            mask->viewPos = c.mask->viewPos;
            sRect fill = c.mask->content;
            if (fill.x1 > fill.x0)
                mask->maskTC->fillArea(fill, 200);
        }
        const sRect sentinel{-9, -9, -9, -9};
        sRect r = sentinel;
        EXPECT_EQ(getEffectRect(&layer, c.layerPos, mask.get(), r), c.ok) << c.name;
        EXPECT_EQ(r, c.ok ? c.rect : sentinel) << c.name;
        sRect v = sentinel;
        EXPECT_EQ(getEffectViewRect(&layer, c.layerPos, mask.get(), v), c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(v, (sRect{c.rect.x0 - c.layerPos.x, c.rect.y0 - c.layerPos.y,
                                c.rect.x1 - c.layerPos.x, c.rect.y1 - c.layerPos.y}))
                << c.name;
        }
    }
}

TEST(EffectRect, NoLayerImageHasNoEffectRectangle)
{
    sRect r;
    EXPECT_FALSE(getEffectRect(nullptr, {0, 0}, nullptr, r));
}

} // namespace
