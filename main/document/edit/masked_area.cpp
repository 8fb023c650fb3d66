#include "document/edit/masked_area.h"

#include "core/image/canvas.h"
#include "core/image/dib_core.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"

#include <array>
#include <new>

namespace {

bool hasSelection(const CLayerData &layer, const CMaskData *mask)
{
    return layer.imageTC && layer.imageTC->isEnable() && CMaskData::hasMask(mask);
}

// Mask position of a layer pixel minus the layer pixel.
sPos maskShift(const CLayerData &layer, const CMaskData &mask)
{
    return {mask.viewPos.x - layer.viewPos.x, mask.viewPos.y - layer.viewPos.y};
}

// The mask image's rectangle in layer coordinates, cut to the layer image.
bool maskRectOnLayer(const CLayerData &layer, const CMaskData &mask, sRect &r)
{
    const sPos d = maskShift(layer, mask);
    r = {-d.x, -d.y, mask.maskTC->width() - d.x, mask.maskTC->height() - d.y};
    return rectClipToSize(r, layer.imageTC->FPSZ());
}

// Sets the alpha of the layer pixel, committing its block only when the value changes.
bool storeAlpha(CBlockVMTC &img, int32_t x, int32_t y, uint32_t alpha)
{
    sBGRA c{.all = img.getColor(x, y)};
    if (c.A == alpha)
        return true;
    c.A = uint8_t(alpha);
    return img.setPixel(x, y, c.all);
}

uint32_t erasedAlpha(uint32_t a, uint32_t m, int32_t mode)
{
    if (m == 255)
        return 0;
    if (mode == 1)
        return a * (255 - m) / 255;
    // Mode 0 jumps at an opaque pixel; recordings depend on it.
    if (a == 255)
        return 255 - m;
    return (255 - m) * a * 255 / (65025 - a * m);
}

bool pasteThrough(CLayerData &layer, const TMTC &tc, const sPos &pos, const CMaskData *mask,
                  const sBox &box, bool keepAlpha)
{
    if (!hasSelection(layer, mask) || !tc.isEnable())
        return false;
    CBlockVMTC &img = *layer.imageTC;
    sPos dpos = pos;
    sBox b = box;
    if (!clipBlt(img.FPSZ(), tc.FPSZ(), dpos, b))
        return false;
    const sPos d = maskShift(layer, *mask);
    for (int32_t j = 0; j < b.h; ++j) {
        const sBGRA *src = tc.seek32(b.x, b.y + j);
        for (int32_t i = 0; i < b.w; ++i) {
            const int32_t lx = dpos.x + i, ly = dpos.y + j;
            const uint32_t m = mask->maskTC->pixelGet2(lx + d.x, ly + d.y);
            if (m == 0)
                continue;
            sBGRA *p = img.seekPixelNC(lx, ly);
            if (!p)
                return false;
            pixelPutAlpha(p, src[i].all, m);
            if (!keepAlpha)
                p->A = uint8_t(mul255(m, src[i].A));
        }
    }
    layer.updatePreview();
    return true;
}

} // namespace

bool eraseMaskedArea(CLayerData &layer, const CMaskData *mask, int32_t mode)
{
    sRect r;
    if (!hasSelection(layer, mask) || (mode != 0 && mode != 1) ||
        !maskRectOnLayer(layer, *mask, r))
        return false;
    CBlockVMTC &img = *layer.imageTC;
    const sPos d = maskShift(layer, *mask);
    for (int32_t y = r.y0; y < r.y1; ++y) {
        for (int32_t x = r.x0; x < r.x1; ++x) {
            const uint32_t m = mask->maskTC->getColor(x + d.x, y + d.y);
            if (m == 0)
                continue;
            const uint32_t a = sBGRA{.all = img.getColor(x, y)}.A;
            if (!storeAlpha(img, x, y, erasedAlpha(a, m, mode)))
                return false;
        }
    }
    layer.updatePreview();
    return true;
}

bool keepMaskedArea(CLayerData &layer, const CMaskData *mask)
{
    sRect keep;
    if (!hasSelection(layer, mask) || !mask->getMaskEnbBlkRect(keep))
        return false;
    CBlockVMTC &img = *layer.imageTC;
    rectOffset(keep, layer.viewPos.x, layer.viewPos.y);
    // Overlap first: a selection beside the layer leaves it as it was.
    const sRect whole = rectFromSize(img.FPSZ());
    sRect inside = keep;
    if (!rectIntersect(inside, whole))
        return false;
    std::array<sRect, 4> outside;
    const int32_t n = rectSubtract(whole, inside, outside);
    for (int32_t k = 0; k < n; ++k)
        if (!img.setAlpha(rectToBox(outside[size_t(k)]), 0))
            return false;
    const sPos d = maskShift(layer, *mask);
    for (int32_t y = inside.y0; y < inside.y1; ++y) {
        for (int32_t x = inside.x0; x < inside.x1; ++x) {
            const uint32_t m = mask->maskTC->pixelGet2(x + d.x, y + d.y);
            const uint32_t a = sBGRA{.all = img.getColor(x, y)}.A;
            if (!storeAlpha(img, x, y, gMulTable[a * 256 + m]))
                return false;
        }
    }
    layer.updatePreview();
    return true;
}

std::unique_ptr<CLayerData> createMaskedLayerCopy(const CLayerData &layer, const CMaskData *mask)
{
    try {
        auto ld = std::make_unique<CLayerData>(layer.index, false);
        if (!ld->createLayer(layer) || !keepMaskedArea(*ld, mask))
            return nullptr;
        return ld;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool pasteThroughMask(CLayerData &layer, const TMTC &tc, const sPos &pos, const CMaskData *mask,
                      const sBox &box)
{
    return pasteThrough(layer, tc, pos, mask, box, false);
}

bool pasteThroughMaskKeepAlpha(CLayerData &layer, const TMTC &tc, const sPos &pos,
                               const CMaskData *mask, const sBox &box)
{
    return pasteThrough(layer, tc, pos, mask, box, true);
}
