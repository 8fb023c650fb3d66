#include "paint/brush/shape_image_param.h"

#include "core/image/channel.h"
#include "paint/presets/pen_presets.h"

#include <algorithm>
#include <cmath>
#include <new>

void initShapeImageParam(TShapeImageParam &p)
{
    p = TShapeImageParam{};
}

void freeShapeImageParam(TShapeImageParam &p)
{
    p.ShapeImageCopy.reset();
    p.ShapeImage = nullptr;
    p.UseShapeImage = false;
    p.ShapeImageScale = 1.0f;
    p.ShapeImageSize = {};
}

std::vector<uint8_t> copyChannelInverted(const TChannel &ch)
{
    std::vector<uint8_t> bytes;
    if (!ch.isEnable())
        return bytes;
    const int32_t w = ch.width(), h = ch.height();
    try {
        bytes.resize(size_t(w) * size_t(h));
    } catch (const std::bad_alloc &) {
        return {}; // no copy: the caller is left without an image
    }
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t *src = ch.seek8(0, y);
        uint8_t *dst = bytes.data() + size_t(y) * size_t(w);
        for (int32_t x = 0; x < w; ++x)
            dst[x] = uint8_t(255 - src[x]);
    }
    return bytes;
}

void shapeObjToShapeImageParam(const CPenShapeObj *nib, TShapeImageParam &p)
{
    if (!nib)
        return;
    freeShapeImageParam(p);
    p.Radius = nib->RealRadius();
    p.MinRadius = penParamGetMinRate(nib->penParam);
    p.Aspect = penParamGetFlatRate(nib->penParam);
    p.Rotation = penParamGetDegree(nib->penParam);
    p.AirMap = gradeMapToPaintAirMap(nib->gradMap.mapType);
    p.Flat = gradeMapGetFlatRate(nib->gradMap);
    p.Add = gradeMapGetAddRate(nib->gradMap);
    p.UseShapeImage = nib->hasImage();
    p.Digitize = nib->isAntiOff();
    if (p.UseShapeImage) {
        const TChannel &image = *nib->shapeCH;
        auto copy = std::make_shared<std::vector<uint8_t>>(copyChannelInverted(image));
        if (copy->empty()) {
            p.UseShapeImage = false;
            return;
        }
        p.ShapeImageSize = image.FPSZ();
        p.ShapeImageScale = float(nib->zoomRate) / 100.0f;
        p.ShapeImage = copy->data();
        p.ShapeImageCopy = std::move(copy);
    }
}

void getShapeImageScaleRange(float &min, float &max, const sSize &size)
{
    const int32_t s = std::min(size.x, size.y);
    const int32_t l = std::max(size.x, size.y);
    min = s > 0 ? std::max(4.0f / float(s), 0.01f) : 0.01f;
    max = l > 0 ? std::min(512.0f / float(l), 5.0f) : 5.0f;
}

namespace {

float curveOne(float)
{
    return 1.0f;
}

float curveLinear(float t)
{
    return 1.0f - t;
}

float curveGamma(float t)
{
    // The exponent makes the curve pass through 0.3 at the half radius.
    static const double kExponent = std::log(0.3) / std::log(0.5);
    return float(std::pow(1.0 - double(t), kExponent));
}

float curveCircle(float t)
{
    return float(std::sqrt(std::max(0.0, 1.0 - double(t) * double(t))));
}

float curveSquare(float t)
{
    return 1.0f - t * t;
}

float curveRoundTop(float t)
{
    return 2.0f * t * t * t - 3.0f * t * t + 1.0f;
}

float curvePinTop(float t)
{
    const double u = 1.0 - double(t);
    return float(1.0 - std::sqrt(std::max(0.0, 1.0 - u * u)));
}

} // namespace

TAirMapCurveFunc getAirMapCurve(TPaintAirMap airMap)
{
    switch (TPaintAirMap(uint8_t(airMap) & 127)) {
    case TPaintAirMap::pamLinear:
        return curveLinear;
    case TPaintAirMap::pamGamma:
        return curveGamma;
    case TPaintAirMap::pamCircle:
        return curveCircle;
    case TPaintAirMap::pamSquare:
        return curveSquare;
    case TPaintAirMap::pamRoundTop:
        return curveRoundTop;
    case TPaintAirMap::pamPinTop:
        return curvePinTop;
    default:
        return curveOne;
    }
}
