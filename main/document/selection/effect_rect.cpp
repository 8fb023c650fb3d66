#include "document/selection/effect_rect.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"

bool getEffectRect(const CBlockVMTC *image, const sPos &layerViewPos, const CMaskData *mask,
                   sRect &rect)
{
    if (!image || image->width() <= 0 || image->height() <= 0)
        return false;
    const sRect whole = rectFromSize(image->FPSZ());
    if (!CMaskData::hasMask(mask)) {
        rect = whole;
        return true;
    }
    sRect box;
    if (!mask->maskTC->findRect(box))
        return false;
    rectOffset(box, layerViewPos.x - mask->viewPos.x, layerViewPos.y - mask->viewPos.y);
    if (!rectIntersect(box, whole))
        return false;
    rect = box;
    return true;
}

bool getEffectViewRect(const CBlockVMTC *image, const sPos &layerViewPos, const CMaskData *mask,
                       sRect &rect)
{
    sRect r;
    if (!getEffectRect(image, layerViewPos, mask, r))
        return false;
    rectOffset(r, -layerViewPos.x, -layerViewPos.y);
    rect = r;
    return true;
}
