#include "filters/algorithms/blur_filters.h"

#include "filters/algorithms/adjustment_test_support.h"
#include "core/base/numeric.h"
#include "filters/core/gauss_kernels.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"
#include "paint/render/stroke_base_puts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace filtertest;

namespace {

sFltObj2 gaussRec(float sigma)
{
    sFltObj2 r{};
    r.data0._float = sigma;
    return r;
}

sFltObj2 motionRec(uint8_t distance, uint8_t method, int16_t angle, float angle0 = 0)
{
    sFltObj2 r{};
    r.data0.b0 = distance;
    r.data0.b1 = method;
    r.data0.s1 = angle;
    r.data1._float = angle0;
    return r;
}

sFltObj2 radialRec(int16_t ox, int16_t oy, uint8_t amount, uint8_t sampler)
{
    sFltObj2 r{};
    r.data0.s0 = ox;
    r.data0.s1 = oy;
    r.data1.b0 = amount;
    r.data1.b2 = sampler;
    return r;
}

// A random layer with a transparent block, a random effect rectangle and destination and a soft
// selection half of the time.
struct RandomCase
{
    explicit RandomCase(uint32_t seed, int32_t w = 29, int32_t h = 23) : rng(seed), layer(w, h)
    {
        fillRandom(layer, rng);
        const sRect hole = randomSubRect(rng, rectFromSize(layer.FPSZ()));
        for (int32_t y = hole.y0; y < hole.y1; ++y)
            for (int32_t x = hole.x0; x < hole.x1; ++x)
                layer.setPixel(x, y, layer.getColor(x, y) & 0x00FFFFFFu);
        effect = randomSubRect(rng, rectFromSize(layer.FPSZ()));
        dst = randomSubRect(rng, effect);
        prt = rng() % 2 == 0;
        useMask = rng() % 2 == 0;
        mask = std::make_unique<CMaskData>(0, w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                mask->maskTC->setPixel(x, y, rng() % 4 == 0 ? 0 : rng() % 256);
    }
    // Parameters over layer (a copy of this case's layer).
    std::unique_ptr<DirectParams> params(CBlockVMTC &img)
    {
        auto d = std::make_unique<DirectParams>(img, &effect);
        d->p.dstRect = dst;
        d->p.layerPrt = prt;
        if (useMask)
            d->useMask(*mask);
        return d;
    }
    std::mt19937 rng;
    CBlockVMTC layer;
    sRect effect, dst;
    bool prt = false, useMask = false;
    std::unique_ptr<CMaskData> mask;
};

} // namespace

TEST(BlurFilters, ZeroAmountsChangeNothing)
{
    const struct
    {
        const char *name;
        fptrFilter4 fn;
        sFltObj2 rec;
    } cases[] = {
        {"gaussian 0", fltGaussianBlur, gaussRec(0)},
        {"gaussian -1", fltGaussianBlur, gaussRec(-1)},
        {"motion 0, method 0", fltMotionBlur, motionRec(0, 0, 0, 45)},
        {"motion 0, method 1", fltMotionBlur, motionRec(0, 1, 30)},
        {"radial 0", fltRadialBlur, radialRec(3, -2, 0, 1)},
    };
    std::mt19937 rng(11);
    CBlockVMTC layer(12, 9);
    fillRandom(layer, rng);
    const CBlockVMTC before(layer);
    for (const auto &c : cases) {
        bool unchanged = false;
        EXPECT_TRUE(runWhole(c.fn, layer, &c.rec, kFltObj2Size, false, &unchanged)) << c.name;
        EXPECT_TRUE(unchanged) << c.name;
        EXPECT_EQ(firstDifference(layer, before), "") << c.name;
    }
    sFltObj2 nan = gaussRec(std::numeric_limits<float>::infinity());
    EXPECT_FALSE(runWhole(fltGaussianBlur, layer, &nan, kFltObj2Size));
    sFltObj2 badAngle = motionRec(4, 0, 0, std::numeric_limits<float>::quiet_NaN());
    EXPECT_FALSE(runWhole(fltMotionBlur, layer, &badAngle, kFltObj2Size));
}

TEST(BlurFilters, KernelBlursMatchThePlainConvolution)
{
    static constexpr int32_t k3a[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    static constexpr int32_t k3b[9] = {0, 1, 0, 1, 4, 1, 0, 1, 0};
    static constexpr int32_t k3c[9] = {1, 2, 1, 2, 2, 2, 1, 2, 1};
    static int32_t k5[25];
    std::fill(std::begin(k5), std::end(k5), 1);
    const struct
    {
        const char *name;
        fptrFilter4 fn;
        std::span<const int32_t> k;
        sBox box;
    } cases[] = {
        {"fltBlur", fltBlur, k3a, {-1, -1, 3, 3}},
        {"fltBlur2", fltBlur2, k3b, {-1, -1, 3, 3}},
        {"fltBlurMore", fltBlurMore, k5, {-2, -2, 5, 5}},
        {"fltBlurMore2", fltBlurMore2, k3c, {-1, -1, 3, 3}},
    };
    const uint32_t seed = testSeed();
    for (const auto &c : cases)
        for (uint32_t i = 0; i < 4; ++i) {
            SCOPED_TRACE(std::string(c.name) + " seed " + std::to_string(seed + i));
            RandomCase rc(seed + i);
            CBlockVMTC a(rc.layer), b(rc.layer);
            auto pa = rc.params(a), pb = rc.params(b);
            ASSERT_TRUE(c.fn(pa->p, nullptr, 0));
            ASSERT_TRUE(convolveKernelReference(pb->p, c.k, c.box, 0));
            EXPECT_EQ(firstDifference(a, b), "");
        }
}

TEST(BlurFilters, GaussianMatchesThePlainPerPixelForm)
{
    const uint32_t seed = testSeed();
    for (const float sigma : {0.4f, 1.0f, 1.7f, 4.5f})
        for (uint32_t i = 0; i < 3; ++i) {
            SCOPED_TRACE("sigma " + std::to_string(sigma) + " seed " + std::to_string(seed + i));
            RandomCase rc(seed + i);
            CBlockVMTC a(rc.layer), b(rc.layer);
            auto pa = rc.params(a), pb = rc.params(b);
            const sFltObj2 rec = gaussRec(sigma);
            ASSERT_TRUE(fltGaussianBlur(pa->p, &rec, kFltObj2Size));
            ASSERT_TRUE(gaussianBlurReference(pb->p, sigma));
            EXPECT_EQ(firstDifference(a, b), "");
        }
}

TEST(BlurFilters, GaussianTopRowUsesItsOwnTruncatedKernel)
{
    // One column, blue 0 in the top row and 255 below, all opaque.
    auto layer = makeLayer(1, 9, [](int32_t, int32_t y) { return y == 0 ? 0xFF000000u : 0xFF0000FFu; });
    const sFltObj2 rec = gaussRec(1.0f);
    ASSERT_TRUE(runWhole(fltGaussianBlur, *layer, &rec, kFltObj2Size));
    int32_t kx[1], ky[9], rx = 0, ry = 0;
    ASSERT_TRUE(makeGaussKernels(kx, ky, 1, 1.0, 9, rx, ry));
    // Row 0 takes the taps at rows 0..ry with kernel cells 4..4 + ry: the part of the kernel
    // that exists below the row, not a kernel shifted to fill the missing taps.
    uint32_t num = 0, den = 0;
    for (int32_t o = 0; o <= ry; ++o) {
        const uint32_t q = 255u * uint32_t(ky[4 + o] >> 5);
        num += q * (o == 0 ? 0 : 255);
        den += q;
    }
    EXPECT_EQ(pixelAt(*layer, 0, 0).B, num / den);
    EXPECT_EQ(pixelAt(*layer, 0, 4).B, 255);
}

TEST(BlurFilters, TransparentNeighbourhoodStaysTransparent)
{
    // An opaque red block in the corner of a transparent layer whose hidden colour is white.
    const auto make = [] {
        return makeLayer(20, 20, [](int32_t x, int32_t y) {
            return x < 4 && y < 4 ? 0xFFFF0000u : 0x00FFFFFFu;
        });
    };
    const sFltObj2 g = gaussRec(1.0f);
    for (const fptrFilter4 fn : {fltBlur, fltBlur2, fltBlurMore, fltBlurMore2, fltGaussianBlur}) {
        auto layer = make();
        ASSERT_TRUE(runWhole(fn, *layer, fn == fltGaussianBlur ? &g : nullptr,
                             fn == fltGaussianBlur ? kFltObj2Size : 0));
        EXPECT_EQ(pixelAt(*layer, 15, 15).all, 0x00FFFFFFu) << "far from the block";
        // Next to the block the colour stays red, not darkened by the transparent pixels.
        const sBGRA edge = pixelAt(*layer, 4, 1);
        EXPECT_EQ(edge.R, 255);
        EXPECT_EQ(edge.G, 0);
        EXPECT_GT(edge.A, 0);
    }
}

namespace {

// The motion blur composed from its passes on two layer-sized canvases, put at full weight.
std::unique_ptr<CBlockVMTC> composedMotion(const CBlockVMTC &layer, const std::vector<float> &lengths,
                          long double theta, int method)
{
    TMTC a, b;
    copyToCanvas(layer, a);
    copyToCanvas(layer, b);
    const sRect all = rectFromSize(layer.FPSZ());
    TMTC *src = &a, *dst = &b;
    for (const float h : lengths) {
        const int32_t dx = floatToFix(float(h * std::cos(theta)));
        const int32_t dy = floatToFix(float(h * std::sin(theta)));
        if (method == 0) {
            motionPassArea(*src, *dst, all, dx, dy, false);
            src->copyArea(*dst, sPos{0, 0}, rectToBox(all));
        } else {
            motionPassPair(*src, *dst, all, dx, dy, false, method == 2);
            std::swap(src, dst);
        }
    }
    auto out = std::make_unique<CBlockVMTC>(layer);
    for (int32_t y = 0; y < out->height(); ++y)
        for (int32_t x = 0; x < out->width(); ++x)
            pixelPutWithAlpha(out->seekPixelNC(x, y), src->getColor(x, y), 255);
    return out;
}

} // namespace

TEST(BlurFilters, MotionBlurRunsItsHalvingPasses)
{
    std::mt19937 rng(testSeed());
    CBlockVMTC layer(16, 12);
    fillRandom(layer, rng);
    const long double pi = std::numbers::pi_v<long double>;
    const struct
    {
        uint8_t distance;
        std::vector<float> lengths;
    } schedules[] = {{1, {0.5f}}, {2, {1.0f, 0.5f}}, {7, {3.5f, 1.75f, 0.875f}}};
    for (const auto &s : schedules)
        for (const int method : {0, 1, 2}) {
            SCOPED_TRACE("distance " + std::to_string(s.distance) + " method " +
                         std::to_string(method));
            // Method 0 takes its angle in degrees from data1; the others from bytes 2-3, negated.
            const sFltObj2 rec = motionRec(s.distance, uint8_t(method), -30, 30.0f);
            CBlockVMTC got(layer);
            ASSERT_TRUE(runWhole(fltMotionBlur, got, &rec, kFltObj2Size));
            const auto want = composedMotion(layer, s.lengths, 30 * pi / 180, method);
            EXPECT_EQ(firstDifference(got, *want), "");
        }
}

TEST(BlurFilters, RadialCentreOutsideTheLayerSamplesInside)
{
    // A uniform opaque layer: every sample inside it gives its colour back.
    auto layer = makeLayer(13, 11, [](int32_t, int32_t) { return 0xFF3C78B4u; });
    for (const uint8_t sampler : {0, 1}) {
        const sFltObj2 rec = radialRec(30000, -30000, 200, sampler);
        ASSERT_TRUE(runWhole(fltRadialBlur, *layer, &rec, kFltObj2Size));
        for (int32_t y = 0; y < 11; ++y)
            for (int32_t x = 0; x < 13; ++x)
                ASSERT_EQ(pixelAt(*layer, x, y).all, 0xFF3C78B4u) << x << ", " << y;
    }
    // A real blur on a random layer changes it and keeps a protected layer's alpha.
    std::mt19937 rng(3);
    CBlockVMTC img(13, 11);
    fillRandom(img, rng);
    CBlockVMTC before(img);
    const sFltObj2 rec = radialRec(0, 0, 40, 1);
    ASSERT_TRUE(runWhole(fltRadialBlur, img, &rec, kFltObj2Size, true));
    EXPECT_NE(firstDifference(img, before), "");
    for (int32_t y = 0; y < 11; ++y)
        for (int32_t x = 0; x < 13; ++x)
            ASSERT_EQ(pixelAt(img, x, y).A, pixelAt(before, x, y).A);
}

TEST(BlurFilters, PartOfTheEffectRectangleMatchesTheWhole)
{
    const FilterCall calls[] = {
        noRecord("fltBlur", fltBlur),
        noRecord("fltBlur2", fltBlur2),
        noRecord("fltBlurMore", fltBlurMore),
        noRecord("fltBlurMore2", fltBlurMore2),
        callWith("fltGaussianBlur", fltGaussianBlur, gaussRec(1.3f), kFltObj2Size),
        callWith("fltGaussianBlur wide", fltGaussianBlur, gaussRec(6.0f), kFltObj2Size),
    };
    const uint32_t seed = testSeed();
    for (const FilterCall &c : calls)
        expectPartialMatchesFull(c, seed);
}
