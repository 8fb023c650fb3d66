#include "paint/brush/stroke_param.h"

#include "core/base/numeric.h"

#include <limits>

// The record is packed, so its fields are compared and assigned in place, never bound to a
// reference. Each setter answers whether the value changed.

void strokeParamInit(SStrokeParam &p)
{
    p = SStrokeParam{};
}

float strokeParamGetOpaque(const SStrokeParam &p)
{
    return float(p.opaque) / 1000.0f;
}

int32_t strokeParamGetOpaqueInt(const SStrokeParam &p)
{
    return p.opaque;
}

bool strokeParamSetOpaque(SStrokeParam &p, float x)
{
    const float scaled = x * 1000.0f;
    const int32_t v = truncSingle(scaled);
    const bool changed = p.opaque != v;
    p.opaque = v;
    return changed;
}

float strokeParamGetPrsGamma(const SStrokeParam &p)
{
    return float(p.prsGamma) / 100.0f;
}

bool strokeParamSetPrsGammaInt(SStrokeParam &p, int32_t n)
{
    const bool changed = p.prsGamma != n;
    p.prsGamma = n;
    return changed;
}

bool strokeParamSetPrsGamma(SStrokeParam &p, float x)
{
    const float scaled = x * 100.0f;
    return strokeParamSetPrsGammaInt(p, truncSingle(scaled));
}

float strokeParamGetSpacing(const SStrokeParam &p)
{
    return float(p.spacing) / 1000.0f;
}

bool strokeParamSetSpacingInt(SStrokeParam &p, int32_t n)
{
    const int64_t wide = int64_t(n) * 10;
    const int64_t lo = std::numeric_limits<int32_t>::min();
    const int64_t hi = std::numeric_limits<int32_t>::max();
    const int32_t v = int32_t(wide < lo ? lo : (wide > hi ? hi : wide));
    const bool changed = p.spacing != v;
    p.spacing = v;
    return changed;
}

bool strokeParamSetSpacing(SStrokeParam &p, float x)
{
    const float scaled = x * 100.0f + 0.5f;
    return strokeParamSetSpacingInt(p, truncSingle(scaled));
}
