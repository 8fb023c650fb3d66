// The one-dimensional kernels of the separable Gaussian blurs: one for the horizontal pass and one
// for the vertical. The fixed-point builder serves the current blur and clouds and rocks, the
// floating builder the older generation; both give the same weights and radii, because recorded
// events replay through them.
//
// Per kernel of length n (centre c = n div 2): w[i] = exp(-((i - c)^2) / (2 sigma^2)) with an
// integer square and an extended quotient, stored as a Single; the Singles summed in a Double;
// then in index order w[i] := w[i] / sum (a Single), and the radius := |i - c| + 1 for the last i
// whose weight reaches 0.01 (0 when none does). The fixed kernel then holds
// trunc(w[i] x 65536 + 0.5) in each cell. Callers take the 2 radius + 1 taps around c.
#pragma once

#include <cstdint>
#include <span>

// Fills hn cells of hk and vn cells of vk and gives each kernel's radius. False, nothing written,
// when a count is negative or exceeds its array, or sigma is not a positive finite number.
bool makeGaussKernels(std::span<int32_t> hk, std::span<int32_t> vk, int32_t hn, double sigma,
                      int32_t vn, int32_t &hr, int32_t &vr);
// The same kernels with the normalised Single weights.
bool makeGaussKernelsF(std::span<float> hk, std::span<float> vk, int32_t hn, double sigma,
                       int32_t vn, int32_t &hr, int32_t &vr);
