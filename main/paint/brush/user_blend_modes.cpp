#include "paint/brush/user_blend_modes.h"

#include <array>

namespace {

using enum TLayerMode;

// The stored mode of each user-facing mode, in TBlendMode order.
constexpr std::array<TLayerMode, kBlendModeCount> kLayerModes = {
    LM_STD,       LM_LIGHT,      LM_SCR,         LM_DODGE,     LM_ADD,  LM_DARK,
    LM_MUL,       LM_BURN,       LM_SUBNEG,      LM_SUB,       LM_OVLY, LM_SOFTLIGHT,
    LM_HARDLIGHT, LM_VIVIDLIGHT, LM_LINEARLIGHT, LM_PINLIGHT,  LM_DIF,  LM_EXCLUSION,
    LM_HUE,       LM_SATURATION, LM_COLOR,       LM_LUMINOSITY};

static_assert(kBlendModeCount == int(LM_MAX_NUM));

// The inverse table, built from the one above so that the two can never disagree.
constexpr std::array<TBlendMode, kBlendModeCount> invert()
{
    std::array<TBlendMode, kBlendModeCount> back{};
    for (int i = 0; i < kBlendModeCount; ++i)
        back[size_t(kLayerModes[size_t(i)])] = TBlendMode(i);
    return back;
}
constexpr std::array<TBlendMode, kBlendModeCount> kBlendModes = invert();

constexpr bool isPermutation()
{
    std::array<bool, kBlendModeCount> seen{};
    for (TLayerMode m : kLayerModes) {
        if (size_t(m) >= seen.size() || seen[size_t(m)])
            return false;
        seen[size_t(m)] = true;
    }
    return true;
}
static_assert(isPermutation());

fptrLayerModeName gLayerModeName = nullptr;

} // namespace

fptrLayerModeName installLayerModeNameProc(fptrLayerModeName proc)
{
    const fptrLayerModeName previous = gLayerModeName;
    gLayerModeName = proc;
    return previous;
}

TLayerMode blendModeToLayerMode(TBlendMode bm)
{
    const uint8_t i = uint8_t(bm) & 127;
    return i < kLayerModes.size() ? kLayerModes[i] : LM_STD;
}

TBlendMode layerModeToBlendMode(TLayerMode lm)
{
    const uint8_t i = uint8_t(lm) & 127;
    return i < kBlendModes.size() ? kBlendModes[i] : TBlendMode::bmStandard;
}

void getBlendModeName(TBlendMode bm, QString &name)
{
    if (gLayerModeName)
        gLayerModeName(blendModeToLayerMode(bm), name);
}
