#include "filters/core/gauss_kernels.h"

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

bool validCount(int32_t n, size_t cells)
{
    return n >= 0 && size_t(n) <= cells;
}

// Steps 1 and 2 of one kernel of n cells, leaving the normalised Singles in w; the radius.
int32_t normalisedKernel(float *w, int32_t n, double sigma)
{
    const int32_t c = n / 2;
    const long double den = 2.0L * sigma * sigma;
    double sum = 0;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t d = i - c;
        const int32_t sq = int32_t(uint32_t(d) * uint32_t(d)); // an Integer product
        w[i] = float(std::exp(-(long double)sq / den));
        sum = double((long double)sum + w[i]);
    }
    int32_t radius = 0;
    for (int32_t i = 0; i < n; ++i) {
        w[i] = float((long double)w[i] / sum);
        if (!((long double)w[i] < 0.01L))
            radius = std::abs(i - c) + 1;
    }
    return radius;
}

// The fixed kernel: the normalised Singles, each then turned into its 16.16 cell.
int32_t fixedKernel(std::span<int32_t> k, int32_t n, double sigma)
{
    std::vector<float> w(static_cast<size_t>(n));
    const int32_t radius = normalisedKernel(w.data(), n, sigma);
    for (int32_t i = 0; i < n; ++i)
        k[size_t(i)] = int32_t(std::trunc((long double)w[size_t(i)] * 65536.0L + 0.5L));
    return radius;
}

} // namespace

bool makeGaussKernels(std::span<int32_t> hk, std::span<int32_t> vk, int32_t hn, double sigma,
                      int32_t vn, int32_t &hr, int32_t &vr)
{
    if (!validCount(hn, hk.size()) || !validCount(vn, vk.size()) || !(sigma > 0) ||
        !std::isfinite(sigma))
        return false;
    hr = fixedKernel(hk, hn, sigma);
    vr = fixedKernel(vk, vn, sigma);
    return true;
}

bool makeGaussKernelsF(std::span<float> hk, std::span<float> vk, int32_t hn, double sigma,
                       int32_t vn, int32_t &hr, int32_t &vr)
{
    if (!validCount(hn, hk.size()) || !validCount(vn, vk.size()) || !(sigma > 0) ||
        !std::isfinite(sigma))
        return false;
    hr = normalisedKernel(hk.data(), hn, sigma);
    vr = normalisedKernel(vk.data(), vn, sigma);
    return true;
}
