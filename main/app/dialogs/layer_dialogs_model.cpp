#include "app/dialogs/layer_dialogs_model.h"

#include "core/image/canvas.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_blend_table.h"
#include "ui/graphics/appearance.h"

#include <algorithm>
#include <cmath>
#include <new>

float byteToPercent(int32_t value)
{
    return float((long double)value * 100 / 255);
}

int32_t percentToByte(float percent)
{
    return int32_t(std::trunc((long double)percent * 2.55L + 0.5L));
}

int32_t roundAwayFromZero(float v)
{
    const long double x = v;
    return int32_t(std::trunc(x >= 0 ? x + 0.5L : x - 0.5L));
}

uint32_t newLayerColor(int item, bool transparent)
{
    uint32_t rgb = 0xFFFFFF;
    if (item == nlcBlack)
        rgb = 0x000000;
    else if (item == nlcGray)
        rgb = 0x7F7F7F;
    return transparent ? rgb : rgb | 0xFF000000u;
}

int neutralColorItem(TLayerMode mode)
{
    const SLayerParam *row = getLayerParam(mode);
    if (!row || !(row->flags & mtfNeutral))
        return -1;
    const uint32_t rgb = row->bg.all & 0xFFFFFF;
    if (rgb == 0)
        return nlcBlack;
    return rgb == 0xFFFFFF ? nlcWhite : nlcGray;
}

void layerPositionRange(int32_t side, int32_t current, float &min, float &max)
{
    const int32_t a = std::min(side, 10000 - side);
    min = float(std::min(current, -a));
    max = float(std::max(current, a));
}

namespace {

// Trunc(v + 0.5) of the preview sizes, in extended precision.
int32_t roundHalfUp(long double v)
{
    return int32_t(std::trunc(v + 0.5L));
}

} // namespace

bool layerPreviewGeometry(int32_t w, int32_t h, int32_t s, SLayerPreviewGeometry &g)
{
    if (w <= 0 || h <= 0 || s <= 0)
        return false;
    g = SLayerPreviewGeometry{};
    if (h < w) {
        g.tw = s;
        g.th = std::max(1, roundHalfUp((long double)h * s / w));
        g.oy = (s - g.th) / 2;
        g.f = (long double)s / w;
    } else if (w < h) {
        g.tw = std::max(1, roundHalfUp((long double)w * s / h));
        g.th = s;
        g.ox = (s - g.tw) / 2;
        g.f = (long double)s / h;
    } else {
        g.tw = g.th = s;
        g.f = (long double)s / h;
    }
    return true;
}

namespace {

// The thumbnail's rectangle in the preview: the geometry's offset plus the two frame pixels.
sRect thumbRect(const SLayerPreviewGeometry &g)
{
    return {g.ox + 2, g.oy + 2, g.ox + 2 + g.tw, g.oy + 2 + g.th};
}

sRect grown(const sRect &r, int32_t by)
{
    return {r.x0 - by, r.y0 - by, r.x1 + by, r.y1 + by};
}

// The canvas rectangle (pos, canvas) scaled into the thumbnail: Trunc(edge * f + 0.5) per edge.
sRect scaledCanvas(const SLayerPreviewGeometry &g, sPos pos, sSize canvas)
{
    auto edge = [&](int64_t e) { return int32_t(std::trunc((long double)e * g.f + 0.5L)); };
    return {edge(pos.x), edge(pos.y), edge(int64_t(pos.x) + canvas.x),
            edge(int64_t(pos.y) + canvas.y)};
}

sRect offset(const sRect &r, int32_t dx, int32_t dy)
{
    return {r.x0 + dx, r.y0 + dy, r.x1 + dx, r.y1 + dy};
}

// The window-frame frame one pixel out of the thumbnail, and the sunken edge one further.
void drawThumbFrame(TMemoryGraphic &image, const sRect &thumb)
{
    image.DrawRectangle(grown(thumb, 1), 1, clWindowFrame32(), blendNormal, blendNormal);
    image.DrawRectangle(grown(thumb, 2), 1, clBtnShadow32(), clBtnHighlight32(), blendNormal,
                        blendNormal);
}

// A tw x th canvas, or false when its memory cannot be had.
bool makeThumb(TMTC &thumb, const SLayerPreviewGeometry &g)
{
    try {
        return thumb.Resize(g.tw, g.th);
    } catch (const std::bad_alloc &) {
        return false;
    }
}

const TColor32 *pixels(const TMTC &tc)
{
    return reinterpret_cast<const TColor32 *>(tc.seek32(0, 0));
}

bool drawMaskBox(TMemoryGraphic &image, sSize canvas)
{
    if (canvas.x <= 0 || canvas.y <= 0)
        return false;
    const int32_t s = image.Width();
    sRect box{0, 0, s, s};
    if (canvas.y < canvas.x) {
        const int32_t bh = std::max(1, roundHalfUp((long double)canvas.y * s / canvas.x));
        box = offset({0, 0, s, bh}, 0, (s - bh) / 2);
    } else if (canvas.x < canvas.y) {
        const int32_t bw = std::max(1, roundHalfUp((long double)canvas.x * s / canvas.y));
        box = offset({0, 0, bw, s}, (s - bw) / 2, 0);
    }
    image.DrawRectangle(box, 1, clBtnShadow32(), clBtnHighlight32(), blendNormal, blendNormal);
    image.DrawRectangle(grown(box, -1), 1, cl3DDkShadow32(), blendNormal, blendNormal);
    image.FillRectangle(grown(box, -2), clGrayText32(), blendNormal, blendNormal);
    return true;
}

} // namespace

bool drawLayerPreview(TMemoryGraphic &image, const CBlockVMTC &layer, sPos pos, sSize canvas)
{
    SLayerPreviewGeometry g;
    if (!layerPreviewGeometry(layer.width(), layer.height(), image.Width() - 4, g))
        return false;
    TMTC thumb;
    if (!makeThumb(thumb, g))
        return false;
    layer.FilterSmallenPart(thumb, 0, 0, g.tw, g.th, 0, 0, layer.width(), layer.height());
    const sRect r = thumbRect(g);
    image.FillCheckBoard(r, sSize{4, 4}, makeColor32(0xFF, 0xFF, 0xFF, 0xFF),
                         makeColor32(0xCC, 0xCC, 0xCC, 0xFF), blendNormal, blendNormal);
    // The thumbnail by its own alpha over the checkerboard, which stays opaque.
    image.BlendImage(r.x0, r.y0, g.tw, g.th, pixels(thumb), 0, 0, g.tw, g.th, blendNormal,
                     blendKeep);
    drawThumbFrame(image, r);
    // Drawn last and not limited to the thumbnail: a canvas larger than the layer shows beyond it.
    image.DrawRectangle(offset(scaledCanvas(g, pos, canvas), r.x0, r.y0), 1, clHighlight32(),
                        blendNormal, blendNormal);
    return true;
}

bool drawMaskPreview(TMemoryGraphic &image, const CBlockVCH *mask, sPos pos, sSize canvas)
{
    if (!mask)
        return drawMaskBox(image, canvas);
    SLayerPreviewGeometry g;
    if (!layerPreviewGeometry(mask->width(), mask->height(), image.Width() - 4, g))
        return false;
    TMTC thumb;
    if (!makeThumb(thumb, g))
        return false;
    mask->FilterSmallenPart(thumb, 0, 0, g.tw, g.th, 0, 0, mask->width(), mask->height());
    // The reduction leaves alpha 0; the preview is a plain copy, shown opaque.
    for (int32_t y = 0; y < g.th; ++y)
        for (int32_t x = 0; x < g.tw; ++x)
            thumb.seek32(x, y)->A = 0xFF;
    const sRect r = thumbRect(g);
    image.Copy(r.x0, r.y0, g.tw, g.th, pixels(thumb), 0, 0, g.tw, g.th);
    sRect c = scaledCanvas(g, pos, canvas);
    c.x0 = std::clamp(c.x0, 0, g.tw);
    c.x1 = std::clamp(c.x1, 0, g.tw);
    c.y0 = std::clamp(c.y0, 0, g.th);
    c.y1 = std::clamp(c.y1, 0, g.th);
    image.DrawRectangle(offset(c, r.x0, r.y0), 1, clHighlight32(), blendNormal, blendNormal);
    drawThumbFrame(image, r);
    return true;
}
