#include "paint/brush/stroke_param.h"

#include "core/base/numeric.h"

#include <limits>

namespace {

bool store(int32_t &field, int32_t v)
{
    const bool changed = field != v;
    field = v;
    return changed;
}

} // namespace

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
    return store(p.opaque, truncSingle(scaled));
}

float strokeParamGetPrsGamma(const SStrokeParam &p)
{
    return float(p.prsGamma) / 100.0f;
}

bool strokeParamSetPrsGammaInt(SStrokeParam &p, int32_t n)
{
    return store(p.prsGamma, n);
}

bool strokeParamSetPrsGamma(SStrokeParam &p, float x)
{
    const float scaled = x * 100.0f;
    return store(p.prsGamma, truncSingle(scaled));
}

float strokeParamGetSpacing(const SStrokeParam &p)
{
    return float(p.spacing) / 1000.0f;
}

bool strokeParamSetSpacingInt(SStrokeParam &p, int32_t n)
{
    const int64_t v = int64_t(n) * 10;
    const int64_t lo = std::numeric_limits<int32_t>::min();
    const int64_t hi = std::numeric_limits<int32_t>::max();
    return store(p.spacing, int32_t(v < lo ? lo : (v > hi ? hi : v)));
}

bool strokeParamSetSpacing(SStrokeParam &p, float x)
{
    const float scaled = x * 100.0f + 0.5f;
    return strokeParamSetSpacingInt(p, truncSingle(scaled));
}
