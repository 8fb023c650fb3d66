// The nib as the previews and the nib editor see it, the fall-off curves as the user interface
// draws them, and the scale range of an image nib.
#pragma once

#include "core/base/geometry.h"
#include "paint/brush/paint_modes.h"

#include <cstdint>
#include <memory>
#include <vector>

class TChannel;
class CPenShapeObj;

// Radius in pixels, MinRadius and Aspect as fractions 0..1, Rotation in degrees, Flat and Add
// 0..1. ShapeImage points at ShapeImageSize.x × .y bytes, rows top first, 255 = full paint. It is
// either borrowed (TPaintParam::GetShapeImageParam) or points into ShapeImageCopy, which the record
// then owns (shapeObjToShapeImageParam).
struct TShapeImageParam
{
    float Radius = 1.0f;
    float MinRadius = 1.0f;
    float Aspect = 1.0f;
    float Rotation = 0.0f;
    TPaintAirMap AirMap = TPaintAirMap::pamLinear;
    float Flat = 0.0f;
    float Add = 0.0f;
    bool UseShapeImage = false;
    const uint8_t *ShapeImage = nullptr;
    sSize ShapeImageSize;
    float ShapeImageScale = 1.0f;
    bool Digitize = false;
    std::shared_ptr<const std::vector<uint8_t>> ShapeImageCopy;
};

// Radius, MinRadius, Aspect and ShapeImageScale 1.0, everything else zero, nil or False.
void initShapeImageParam(TShapeImageParam &p);
// Drops the image (and the copy the record owns): no image, scale 1.0, size 0.
void freeShapeImageParam(TShapeImageParam &p);
// The nib's shape; an image nib gives an inverted copy of its image owned by p. Nothing for nil.
void shapeObjToShapeImageParam(const CPenShapeObj *nib, TShapeImageParam &p);

// Byte (x, y) of the result = 255 - channel value at (x, y), rows from y = 0, no padding. Empty
// for a channel that is not usable.
std::vector<uint8_t> copyChannelInverted(const TChannel &ch);

// The zoom range of an image nib of the given size: it may shrink to 4 pixels on its shorter side
// and grow to 512 on its longer side, within 1 % .. 500 %.
void getShapeImageScaleRange(float &min, float &max, const sSize &size);

// A fall-off curve: value 0..1 at t, the distance from the centre as a fraction of the radius.
using TAirMapCurveFunc = float (*)(float t);
TAirMapCurveFunc getAirMapCurve(TPaintAirMap airMap);
