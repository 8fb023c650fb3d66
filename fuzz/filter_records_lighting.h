// The record fuzzer's part for the lighting family: arbitrary SFltLight and SFltFloor bytes
// through fltLighting, fltFloor and fltFloor2, and arbitrary values through every generation-2
// algorithm (see runLightingFamilyOnBytes). Included by the record fuzzer, which hands it the
// inputs whose first byte picks this family.
#pragma once

#include "filters/algorithms/lighting_fuzz_support.h"

#include <cstddef>
#include <cstdint>

inline void fuzzLightingFamily(const uint8_t *data, size_t size)
{
    runLightingFamilyOnBytes(data, size);
}
