#include "windows/toolform/slider_curves.h"

#include "windows/presets/preset_kinds.h"

#include <algorithm>

namespace {

float clamp01(float p)
{
    return std::clamp(p, 0.0f, 1.0f);
}

struct SScaleCurve
{
    float m, M, k;
    bool bent;
};

SScaleCurve scaleCurve(float minPercent, float maxPercent)
{
    const float m = minPercent / 100.0f;
    const float M = maxPercent / 100.0f;
    // k is (M - 1) / (1 - m): without 1 strictly inside the range there is no middle to bend to.
    if (!(m < 1.0f && M > 1.0f))
        return {m, M, 1.0f, false};
    return {m, M, (M - 1.0f) / (1.0f - m), true};
}

} // namespace

float radiusInFilter(float position)
{
    return nibRadiusInFilter(position);
}

float radiusOutFilter(float position)
{
    return nibRadiusOutFilter(position);
}

float shapeScaleInFilter(float position, float minPercent, float maxPercent)
{
    const float p = clamp01(position);
    const SScaleCurve c = scaleCurve(minPercent, maxPercent);
    if (!c.bent)
        return p;
    const float s = c.m + (c.M - c.m) * p;
    return (c.k * s - c.k * c.m) / ((c.k - 1.0f) * s + c.M - c.k * c.m);
}

float shapeScaleOutFilter(float position, float minPercent, float maxPercent)
{
    const float p = clamp01(position);
    const SScaleCurve c = scaleCurve(minPercent, maxPercent);
    if (!c.bent || c.M <= c.m)
        return p;
    const float s = (c.k * c.m + (c.M - c.k * c.m) * p) / (c.k - (c.k - 1.0f) * p);
    return (s - c.m) / (c.M - c.m);
}

// The field holds 0..1600 %, so s = 16 p is the scale factor; the slider's travel is the zoom
// curve between 1/16 and 16 with 1 in the middle.
float transformScaleInFilter(float position)
{
    const float s = std::clamp(16.0f * clamp01(position), 0.0625f, 16.0f);
    return (16.0f * s - 1.0f) / (15.0f * s + 15.0f);
}

float transformScaleOutFilter(float position)
{
    const float p = clamp01(position);
    const float s = (15.0f * p + 1.0f) / (16.0f - 15.0f * p);
    return s / 16.0f;
}
