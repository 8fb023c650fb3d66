// Outside bytes through every function of the lighting family: the lighting and floor pixel
// functions with arbitrary SFltLight and SFltFloor bytes, and each generation-2 algorithm with
// arbitrary values, over a small layer, selection and textures also made from the bytes. The
// record fuzzer calls it; the tests drive it with random bytes under the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>

// Byte 0 picks the function (kLightingFamilyFunctions of them); the rest make the layer (at most
// 48 x 48), the selection, the effect rectangle's part to write and the values. Never reads
// beyond size; missing bytes read as 0.
void runLightingFamilyOnBytes(const uint8_t *data, size_t size);
inline constexpr int kLightingFamilyFunctions = 14;
