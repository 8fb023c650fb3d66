// The Gaussian kernel builders: worked kernels, the radius rule, agreement of the two builders.
#include "filters/core/gauss_kernels.h"

#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

namespace {

TEST(GaussKernels, WorkedKernels)
{
    std::vector<int32_t> h(7), v(5);
    int32_t hr = -1, vr = -1;
    ASSERT_TRUE(makeGaussKernels(h, v, 7, 1.0, 5, hr, vr));
    EXPECT_EQ(h, (std::vector<int32_t>{291, 3539, 15862, 26152, 15862, 3539, 291}));
    EXPECT_EQ(hr, 3);
    EXPECT_EQ(std::accumulate(h.begin(), h.end(), 0), 65536);
    EXPECT_EQ(v, (std::vector<int32_t>{3571, 16004, 26386, 16004, 3571}));
    EXPECT_EQ(vr, 3);
}

TEST(GaussKernels, RadiusOfAVeryWideKernel)
{
    struct Case
    {
        int32_t n, radius;
    } cases[] = {{99, 50}, {101, 0}, {1, 1}, {0, 0}};
    for (const Case &c : cases) {
        std::vector<int32_t> h(static_cast<size_t>(c.n)), v(1);
        int32_t hr = -1, vr = -1;
        ASSERT_TRUE(makeGaussKernels(h, v, c.n, 1e6, 1, hr, vr));
        EXPECT_EQ(hr, c.radius) << c.n;
        EXPECT_EQ(vr, 1);
    }
}

TEST(GaussKernels, RefusesWhatItCannotBuild)
{
    std::vector<int32_t> h(4), v(4);
    int32_t hr = 9, vr = 9;
    EXPECT_FALSE(makeGaussKernels(h, v, 5, 1.0, 4, hr, vr)) << "more cells than the array";
    EXPECT_FALSE(makeGaussKernels(h, v, -1, 1.0, 4, hr, vr));
    EXPECT_FALSE(makeGaussKernels(h, v, 4, 0.0, 4, hr, vr));
    EXPECT_FALSE(makeGaussKernels(h, v, 4, -2.0, 4, hr, vr));
    EXPECT_FALSE(makeGaussKernels(h, v, 4, std::numeric_limits<double>::quiet_NaN(), 4, hr, vr));
    std::vector<float> hf(4), vf(4);
    EXPECT_FALSE(makeGaussKernelsF(hf, vf, 4, std::numeric_limits<double>::infinity(), 4, hr, vr));
    EXPECT_EQ(hr, 9);
}

TEST(GaussKernels, BothBuildersAgree)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 200; ++round) {
        const int32_t hn = 1 + int32_t(rng() % 400), vn = 1 + int32_t(rng() % 400);
        const double sigma = std::ldexp(double(1 + rng() % 100000), -int(rng() % 16));
        std::vector<int32_t> h(static_cast<size_t>(hn)), v(static_cast<size_t>(vn));
        std::vector<float> hf(static_cast<size_t>(hn)), vf(static_cast<size_t>(vn));
        int32_t hr, vr, hrf, vrf;
        ASSERT_TRUE(makeGaussKernels(h, v, hn, sigma, vn, hr, vr));
        ASSERT_TRUE(makeGaussKernelsF(hf, vf, hn, sigma, vn, hrf, vrf));
        ASSERT_EQ(hr, hrf) << sigma;
        ASSERT_EQ(vr, vrf) << sigma;
        for (int32_t i = 0; i < hn; ++i)
            ASSERT_EQ(h[size_t(i)], int32_t(std::trunc((long double)hf[size_t(i)] * 65536 + 0.5L)));
        ASSERT_LE(hr, hn / 2 + 1);
    }
}

} // namespace
