// One input sample of a stroke: a position in canvas pixels and the pen pressure 0..1. For a
// dab it is the dab's position and opacity factor.
#pragma once

#include <type_traits>

struct SStrokeData
{
    float x = 0, y = 0, p = 0;
};

using PStrokeData = const SStrokeData *;

static_assert(sizeof(SStrokeData) == 12 && std::is_trivially_copyable_v<SStrokeData>);
