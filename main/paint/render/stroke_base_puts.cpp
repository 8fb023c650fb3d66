#include "paint/render/stroke_base_puts.h"

#include "core/pixel/colour_models.h"
#include "paint/render/stroke_context.h"

void pixelPutWithAlpha(sBGRA *dst, uint32_t col, uint32_t opacity) noexcept
{
    const uint32_t a = opacity > 255 ? 255 : opacity;
    const sBGRA c{.all = col};
    dst->A = uint8_t(mix255(c.A, dst->A, a));
    if (dst->A != 0)
        pixelPutAlpha(dst, col, a);
}

void pixelPutLightnessCurve(sBGRA *dst, uint32_t, uint32_t opacity) noexcept
{
    sFixHSL hsl;
    pixelToHSL(*dst, hsl);
    // 0xFF0000 >> 13 is 2040: the index runs over the whole table.
    const int32_t l = hsl.l < 0 ? 0 : (hsl.l > 0xFF0000 ? 0xFF0000 : hsl.l);
    const int32_t idx = (l >> 13) * (kAirMapTableSize - 1) / 2040;
    hsl.l = gPowerCurveTable[size_t(idx)] * 255;
    sBGRA mapped = *dst;
    hslToPixel(hsl, &mapped);
    pixelPutAlpha(dst, mapped.all, opacity > 255 ? 255 : opacity);
}
