// Rounding of the per-pixel loops without library calls (the baseline x86-64 target has no
// rounding instruction, so std::floor, std::ceil and std::nearbyint are calls). Each gives exactly
// what the standard function gives, for the values the loops pass: finite and far inside the
// 32-bit range.
#pragma once

#include <cstdint>

// Round half to even of a double: adding and taking away 2^52 + 2^51 leaves the value rounded in
// the processor's default rounding mode (nearest, ties to even), as std::nearbyint does. Exact
// for |v| < 2^51.
inline int32_t roundEven(double v) noexcept
{
    constexpr double kShift = 6755399441055744.0; // 2^52 + 2^51
    return int32_t((v + kShift) - kShift);
}

// Floor and ceiling of a Single as an integer.
inline int32_t floorInt(float v) noexcept
{
    const int32_t i = int32_t(v); // toward zero
    return float(i) > v ? i - 1 : i;
}

inline int32_t ceilInt(float v) noexcept
{
    const int32_t i = int32_t(v);
    return float(i) < v ? i + 1 : i;
}
