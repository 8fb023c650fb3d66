#include "ui/graphics/brush_previews.h"

#include "core/image/canvas.h"
#include "core/scale/scale_canvas.h"
#include "core/scale/view_render.h"
#include "ui/graphics/colour_space.h"

#include <cmath>
#include <new>

std::vector<int32_t> airMapProfileColumns(int32_t W, int32_t H, TPaintAirMap airMap, float flat,
                                          float add)
{
    const TAirMapCurveFunc curve = getAirMapCurve(airMap);
    const float step = 1.0f / float(2 * W);
    std::vector<int32_t> cols(size_t(4 * W));
    for (int32_t i = 0; i < 4 * W; ++i) {
        const int32_t g = i <= 2 * W ? i : std::max(0, 4 * W - i - 1);
        const float h = std::max(0.0f, 1 - float(g) * step);
        const float v = evalAirMap(curve, flat, add, h);
        cols[size_t(i)] = int32_t(std::trunc(double(4 * H) * double(v) + 0.5));
    }
    return cols;
}

bool drawAirMapProfile(TMemoryGraphic &graphic, const sRect &rect, TPaintAirMap airMap, float flat,
                       float add, TColor32 colour)
{
    const int32_t W = rect.x1 - rect.x0, H = rect.y1 - rect.y0;
    if (!graphic.Prepared() || W <= 0 || H <= 0 || rect.x0 < 0 || rect.y0 < 0 ||
        rect.x1 > graphic.Width() || rect.y1 > graphic.Height())
        return false;
    std::vector<int32_t> cols;
    try {
        cols = airMapProfileColumns(W, H, airMap, flat, add);
    } catch (const std::bad_alloc &) {
        return true; // nothing drawn, as when the grid cannot be had
    }
    for (int32_t y = H - 1; y >= 0; --y) {
        // Sub-rows of this pixel row counted from the bottom of the grid.
        const int32_t low = 4 * (H - 1 - y), high = low + 4;
        for (int32_t x = 0; x < W; ++x) {
            int32_t set = 0;
            for (int32_t i = 4 * x; i < 4 * x + 4; ++i)
                set += std::clamp(cols[size_t(i)], low, high) - low;
            TColor32 &p = *graphic.Seek(rect.x0 + x, rect.y0 + y);
            const float a = float(set) / 16;
            p.r = blendNormal(p.r, colour.r, a);
            p.g = blendNormal(p.g, colour.g, a);
            p.b = blendNormal(p.b, colour.b, a);
            p.a = 255;
        }
    }
    return true;
}

bool drawBrushShape(TMemoryGraphic &graphic, const TShapeImageParam &p, TColor32 heavy,
                    TColor32 light, bool gradient, float scale)
{
    graphic.Clear();
    if (!graphic.Prepared())
        return false;
    const TBlendProc blend = p.Digitize ? blendCopy : blendNormal;
    const float angle = float(double(p.Rotation) * M_PI / 180);
    const TPointSingle centre{float(graphic.Width()) / 2 - 0.5f,
                              float(graphic.Height()) / 2 - 0.5f};
    const TAirMapCurveFunc curve = getAirMapCurve(p.AirMap);
    if (!p.UseShapeImage) {
        const float rx = scale * p.Radius;
        const TPointSingle radii{rx, rx * p.Aspect};
        if (gradient)
            return graphic.GradientEllipse(centre, radii, angle, heavy, curve, p.Flat, p.Add, blend,
                                           blendKeep);
        return graphic.FillEllipse(centre, radii, p.MinRadius, angle, heavy, light, blend,
                                   blendKeep);
    }
    const sSize size = p.ShapeImageSize;
    if (!p.Digitize) {
        // A halo the image is cut out of below.
        const float sx = float(M_SQRT2) * scale * (float(size.x) / 2 * p.ShapeImageScale);
        const float sy =
            float(M_SQRT2) * scale * (float(size.y) / 2 * p.ShapeImageScale) * p.Aspect;
        if (!graphic.GradientEllipse(centre, {sx, sy}, angle, heavy, blendNormal, blendKeep))
            return false;
    }
    if (!p.ShapeImage || int64_t(size.x) * size.y <= 0)
        return false;
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(size_t(graphic.Width()) * size_t(graphic.Height()));
    } catch (const std::bad_alloc &) {
        return false;
    }
    const float s = scale * p.ShapeImageScale;
    renderRotatedBytes(buffer.data(), p.ShapeImage, sSize{graphic.Width(), graphic.Height()}, 0,
                       s * p.Aspect, s, -angle, sPos{size.x / 2, size.y / 2}, size);
    const TColor32 colour = p.Digitize ? heavy : graphic.Color();
    for (int32_t y = 0; y < graphic.Height(); ++y)
        for (int32_t x = 0; x < graphic.Width(); ++x) {
            const uint8_t b = buffer[size_t(y) * size_t(graphic.Width()) + size_t(x)];
            const uint32_t v = p.Digitize ? b : 255u - b;
            if (v > 0)
                graphic.PutPixel(x, y, colour, byteWeight(v), 1.0f, blendNormal,
                                 [](uint8_t, uint8_t, float) -> uint8_t { return 255; });
        }
    return true;
}

bool DrawShape(const TPaintParam &param, TMemoryGraphic &graphic, TColor32 heavy, TColor32 light,
               bool gradient, float scale)
{
    return drawBrushShape(graphic, param.GetShapeImageParam(), heavy, light, gradient, scale);
}

bool DrawIcon(const TPaintParam &param, TMemoryGraphic &graphic, const sRect &rect)
{
    const int32_t w = rect.x1 - rect.x0, h = rect.y1 - rect.y0;
    if (w <= 0 || h <= 0)
        return false;
    TMTC temp(w, h);
    if (!temp.isEnable())
        return false;
    temp.fillAll(0);
    if (const TMTC *icon = param.IconImage())
        scaleCanvasInto(temp, *icon, false, 0);
    const bool copied = graphic.Copy(
        rect.x0, rect.y0, w, h, reinterpret_cast<const TColor32 *>(temp.seek32(0, 0)), 0, 0, w, h);
    graphic.FillRectangle(rect, graphic.Color(), blendKeep, blendCopy);
    return copied;
}
