// The geometric distortions: whole turns and half turns, quarter turns about the effect centre,
// the identity and mirror sizes of both scale methods, the wave versions, the twirl's untouched
// pixels, the polar refusal, the flips in soft selections, previews of parts, and the looked-up
// resampling against the plain one.
#include "filters/algorithms/distortion_filters.h"

#include "filters/algorithms/algorithm_test_support.h"
#include "filters/core/bilinear_samplers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

using namespace algotest;
using filtertest::firstDifference;

namespace {

FilterRun rotateRun(fptrFilter4 fn, float degrees, uint8_t method)
{
    return [=](sFlt4Params &p) {
        sFltObj2 r = obj2(0, 0, 0, 0);
        r.data0._float = degrees;
        r.data1.b0 = p.layerPrt, r.data1.b1 = method;
        return fn(p, &r, kFltObj2Size);
    };
}

FilterRun scaleRun(fptrFilter4 fn, int32_t width, int32_t height, uint8_t method)
{
    return [=](sFlt4Params &p) {
        sFltObj4 r = obj4(width, height, 0, 0);
        r.data2.b0 = p.layerPrt, r.data2.b1 = method;
        return fn(p, &r, kFltObj4Size);
    };
}

FilterRun plainRun(fptrFilter4 fn)
{
    return [=](sFlt4Params &p) { return fn(p, nullptr, 0); };
}

FilterRun waveRun(fptrFilter4 fn, sFltObj2 r)
{
    return [=](sFlt4Params &p) { return fn(p, &r, kFltObj2Size); };
}

struct Fixture
{
    std::mt19937 rng;
    std::unique_ptr<CBlockVMTC> src;
    std::unique_ptr<CMaskData> mask;
    explicit Fixture(uint32_t seed, int32_t w = 31, int32_t h = 23) : rng(seed)
    {
        src = randomLayer(w, h, rng);
        mask = softMask(w, h, rng);
    }
};

TEST(DistortionFilters, RotateByWholeTurnsCopiesAndChangesNothing)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed);
    for (fptrFilter4 fn : {fltRotate, fltRotate2})
        for (float deg : {0.0f, 360.0f, -720.0f, 1080.0f}) {
            SRunSetup s{{3, 2, 25, 20}, std::nullopt, f.mask.get()};
            // The copy comes before the protection check: a mismatch does not matter.
            const SRunResult r = runFilter(*f.src, s, [&](sFlt4Params &p) {
                sFltObj2 rec = obj2(0, 0, 0, 0);
                rec.data0._float = deg;
                rec.data1.b0 = 1;
                return fn(p, &rec, kFltObj2Size);
            });
            EXPECT_TRUE(r.ok && r.unchanged) << deg;
            EXPECT_EQ(firstDifference(*r.image, *f.src), "") << deg;
        }
}

TEST(DistortionFilters, HalfTurnIsTheRotate180)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed);
    const SRunSetup s{{4, 1, 27, 22}, sRect{6, 5, 20, 15}, f.mask.get(), true};
    const SRunResult want = runFilter(*f.src, s, plainRun(fltRotate180));
    ASSERT_TRUE(want.ok);
    for (fptrFilter4 fn : {fltRotate, fltRotate2})
        for (float deg : {180.0f, -180.0f, 540.0f})
            for (uint8_t method : {0, 1}) {
                const SRunResult r = runFilter(*f.src, s, rotateRun(fn, deg, method));
                EXPECT_TRUE(r.ok && !r.unchanged);
                EXPECT_EQ(firstDifference(*r.image, *want.image), "") << deg << " " << int(method);
            }
}

TEST(DistortionFilters, QuarterTurnAboutTheEffectCentre)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    auto src = randomLayer(24, 24, rng);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 24; ++x)
            src->setPixel(x, y, src->getColor(x, y) | 0xFF000000u);
    // An 11 x 11 effect centred on (10.5, 12.5): destination (x, y) reads (y - 2, 22 - x).
    const SRunSetup s{{5, 7, 16, 18}};
    const SRunResult r = runFilter(*src, s, rotateRun(fltRotate, 90, 0));
    ASSERT_TRUE(r.ok);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            const bool inside = rectContainsPoint(s.effect, {x, y});
            ASSERT_EQ(r.image->getColor(x, y), inside ? src->getColor(y - 2, 22 - x) : src->getColor(x, y))
                << x << "," << y;
        }
}

TEST(DistortionFilters, ScaleIdentityClearAndMirrorSizes)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed, 30, 20);
    const sRect effect{4, 3, 24, 17}; // 20 x 14 of a 30 x 20 layer
    const SRunSetup s{effect, std::nullopt, f.mask.get()};

    // The current method's identity is the effect size, the older one's the layer size.
    SRunResult r = runFilter(*f.src, s, scaleRun(fltScale2, 20, 14, 1));
    EXPECT_TRUE(r.ok && r.unchanged);
    EXPECT_EQ(firstDifference(*r.image, *f.src), "");
    r = runFilter(*f.src, s, scaleRun(fltScale, 20, 14, 0));
    EXPECT_TRUE(r.ok && !r.unchanged);
    EXPECT_NE(firstDifference(*r.image, *f.src), "") << "the older method resamples";
    r = runFilter(*f.src, s, scaleRun(fltScale, 30, 20, 0));
    EXPECT_TRUE(r.ok && r.unchanged);
    EXPECT_EQ(firstDifference(*r.image, *f.src), "");

    // A zero size clears what the selection reaches.
    for (auto [w, h] : {std::pair{0, 14}, std::pair{20, 0}}) {
        r = runFilter(*f.src, s, scaleRun(fltScale2, w, h, 1));
        ASSERT_TRUE(r.ok);
        for (int32_t y = effect.y0; y < effect.y1; ++y)
            for (int32_t x = effect.x0; x < effect.x1; ++x)
                if (f.mask->getMaskValue(x, y) == 255) {
                    ASSERT_EQ(r.image->getColor(x, y) >> 24, 0u) << x << "," << y;
                }
    }

    // On a protected layer a zero size keeps every alpha and shows the neutral colour.
    const SRunSetup prt{effect, std::nullopt, f.mask.get(), true};
    for (uint8_t method : {0, 1}) {
        r = runFilter(*f.src, prt, scaleRun(method ? fltScale2 : fltScale, 0, 14, method));
        ASSERT_TRUE(r.ok);
        for (int32_t y = 0; y < 20; ++y)
            for (int32_t x = 0; x < 30; ++x) {
                ASSERT_EQ(r.image->getColor(x, y) >> 24, f.src->getColor(x, y) >> 24)
                    << x << "," << y;
                if (f.mask->getMaskValue(x, y) == 255 && x >= effect.x0 && x < effect.x1 &&
                    y >= effect.y0 && y < effect.y1) {
                    ASSERT_EQ(r.image->getColor(x, y) & 0xFFFFFFu, 0xFFFFFFu) << x << "," << y;
                }
            }
    }

    // Negative sizes equal to the reference mirror exactly.
    const struct
    {
        int32_t w, h;
        fptrFilter4 flip;
    } mirrors[] = {{-20, 14, fltFlipHorizontal}, {20, -14, fltFlipVertical}, {-20, -14, fltRotate180}};
    for (const auto &m : mirrors) {
        const SRunResult want = runFilter(*f.src, s, plainRun(m.flip));
        EXPECT_EQ(firstDifference(*runFilter(*f.src, s, scaleRun(fltScale2, m.w, m.h, 1)).image,
                                  *want.image),
                  "")
            << m.w << " x " << m.h;
        const int32_t lw = m.w < 0 ? -30 : 30, lh = m.h < 0 ? -20 : 20;
        EXPECT_EQ(firstDifference(*runFilter(*f.src, s, scaleRun(fltScale, lw, lh, 0)).image,
                                  *want.image),
                  "")
            << "older " << lw << " x " << lh;
    }
}

TEST(DistortionFilters, WaveVersionsDiffer)
{
    // Amplitudes beyond a 20 x 12 layer: version 0 wraps the column's vertical offset at the
    // width, versions 1 and 2 at the height.
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed, 20, 12);
    const SRunSetup s{{0, 0, 20, 12}};
    const sFltObj2 big = obj2(1, 1, 37, 29, floatBits(0.3f));
    const SRunResult v0 = runFilter(*f.src, s, waveRun(fltWave, big));
    const SRunResult v1 = runFilter(*f.src, s, waveRun(fltWave2, big));
    ASSERT_TRUE(v0.ok && v1.ok);
    EXPECT_NE(firstDifference(*v0.image, *v1.image), "");

    // Versions 1 and 2 differ in packing only: a lone opaque pixel among transparent ones gives
    // channel quotients above 255 next to it.
    auto lone = flatLayer(8, 8, 0);
    lone->setPixel(3, 3, 0xFF0A0A0A);
    const sFltObj2 shift = obj2(1, 0, 1, 0, floatBits(1.2f));
    const SRunSetup keep{{0, 0, 8, 8}, std::nullopt, nullptr, true}; // colour put at any alpha
    const SRunResult w1 = runFilter(*lone, keep, waveRun(fltWave2, shift));
    const SRunResult w2 = runFilter(*lone, keep, waveRun(fltWave3, shift));
    ASSERT_TRUE(w1.ok && w2.ok);
    bool wrapped = false, saturated = false;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 8; ++x) {
            const sBGRA a{.all = w1.image->getColor(x, y)}, b{.all = w2.image->getColor(x, y)};
            if (a.all != b.all) {
                wrapped = wrapped || a.R != 255;
                saturated = saturated || b.R == 255;
            }
        }
    EXPECT_TRUE(wrapped && saturated) << "version 1 keeps low bytes, version 2 saturates";

    // Each function is its version of the core.
    const fptrFilter4 byVersion[3] = {fltWave, fltWave2, fltWave3};
    for (int32_t v = 0; v < 3; ++v) {
        const SRunResult a = runFilter(*f.src, s, waveRun(byVersion[v], big));
        const SRunResult b = runFilter(*f.src, s, [&](sFlt4Params &p) {
            return fltWaveCore(p, &big, kFltObj2Size, v);
        });
        EXPECT_EQ(firstDifference(*a.image, *b.image), "") << "version " << v;
    }

    // Nothing to do: unchanged; a non-finite phase: refused.
    SRunResult r = runFilter(*f.src, s, waveRun(fltWave3, obj2(5, 0, 0, 9)));
    EXPECT_TRUE(r.ok && r.unchanged);
    r = runFilter(*f.src, s, waveRun(fltWave3, obj2(1, 1, 3, 3, floatBits(NAN))));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(firstDifference(*r.image, *f.src), "");
    // A one-pixel-wide effect rectangle has no phase step.
    r = runFilter(*f.src, SRunSetup{{5, 0, 6, 12}}, waveRun(fltWave3, obj2(2, 2, 4, 4)));
    EXPECT_TRUE(r.ok);
}

TEST(DistortionFilters, TwirlLeavesOutsideTheEllipseAndTheCentre)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed, 30, 24);
    const sRect effect{3, 4, 24, 19}; // 21 x 15: the centre pixel is (13, 11)
    for (uint8_t sampler : {0, 1}) {
        const SRunResult r = runFilter(*f.src, SRunSetup{effect}, [&](sFlt4Params &p) {
            sFltObj2 rec = obj2(0, 0, sampler, 0);
            rec.data0.s0 = 300;
            return fltTwirl(p, &rec, kFltObj2Size);
        });
        ASSERT_TRUE(r.ok);
        int changed = 0;
        for (int32_t y = 0; y < 24; ++y)
            for (int32_t x = 0; x < 30; ++x) {
                const double ex = (x - 13) / 10.5, ey = (y - 11) / 7.5;
                const double d = std::sqrt(ex * ex + ey * ey);
                const bool keep = d >= 1.02 || (x == 13 && y == 11);
                if (keep) {
                    ASSERT_EQ(r.image->getColor(x, y), f.src->getColor(x, y)) << x << "," << y;
                } else {
                    changed += r.image->getColor(x, y) != f.src->getColor(x, y);
                }
            }
        EXPECT_GT(changed, 50);
    }
    const SRunResult none = runFilter(*f.src, SRunSetup{effect}, [](sFlt4Params &p) {
        const sFltObj2 rec = obj2(0, 0, 0, 0);
        return fltTwirl(p, &rec, kFltObj2Size);
    });
    EXPECT_TRUE(none.ok && none.unchanged);
}

TEST(DistortionFilters, PolarRefusesAnotherProtectionQuietly)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed);
    for (fptrFilter4 fn : {fltPolarCoordinates, fltPolarCoordinates2})
        for (bool prt : {false, true}) {
            SRunSetup s{{2, 2, 28, 20}, std::nullopt, nullptr, prt};
            const auto run = [&](uint8_t dir, uint8_t recorded) {
                return runFilter(*f.src, s, [=](sFlt4Params &p) {
                    const sFltObj2 rec = obj2(dir, recorded, 0, 0);
                    return fn(p, &rec, kFltObj2Size);
                });
            };
            for (const SRunResult &r : {run(0, !prt), run(1, prt ? 0 : 5), run(2, prt)}) {
                EXPECT_FALSE(r.ok);
                EXPECT_EQ(firstDifference(*r.image, *f.src), "");
            }
            for (uint8_t dir : {0, 1}) {
                const SRunResult r = run(dir, prt);
                EXPECT_TRUE(r.ok);
                EXPECT_NE(firstDifference(*r.image, *f.src), "");
            }
        }
}

TEST(DistortionFilters, FlipFadesBySelectionAtSourceAndDestination)
{
    auto src = flatLayer(8, 1, 0xFF000000);
    src->setPixel(0, 0, 0xFFFF0000); // red
    src->setPixel(7, 0, 0xFF0000FF); // blue
    CMaskData mask(0, 8, 1);
    for (int32_t x = 0; x < 8; ++x)
        mask.maskTC->setPixel(x, 0, 255);
    mask.maskTC->setPixel(7, 0, 128);
    const SRunResult r = runFilter(*src, SRunSetup{{0, 0, 8, 1}, std::nullopt, &mask},
                                   plainRun(fltFlipHorizontal));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.image->getColor(0, 0), 0x800000FFu) << "blue faded to 128 at its source";
    const uint32_t half = mix255(255, 0, 128);
    EXPECT_EQ(r.image->getColor(7, 0), 0xFF000000u | half << 16 | mix255(0, 255, 128))
        << "red put over blue at 128";
}

TEST(DistortionFilters, FlipPreviewOfTheLeftHalfEqualsTheWholeThere)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed, 32, 10);
    // The right quarter is outside the selection, yet it is the source of the left quarter.
    CMaskData mask(0, 32, 10);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 32; ++x)
            mask.maskTC->setPixel(x, y, x < 24 ? 200 : 0);
    for (fptrFilter4 fn : {fltFlipHorizontal, fltRotate180}) {
        const SRunResult whole =
            runFilter(*f.src, SRunSetup{{0, 0, 32, 10}, std::nullopt, &mask}, plainRun(fn));
        const SRunResult left =
            runFilter(*f.src, SRunSetup{{0, 0, 32, 10}, sRect{0, 0, 16, 10}, &mask}, plainRun(fn));
        ASSERT_TRUE(whole.ok && left.ok);
        for (int32_t y = 0; y < 10; ++y)
            for (int32_t x = 0; x < 16; ++x)
                ASSERT_EQ(left.image->getColor(x, y), whole.image->getColor(x, y)) << x << "," << y;
    }
}

TEST(DistortionFilters, PartOfTheEffectEqualsTheWholeThere)
{
    std::vector<SNamedRun> cases = {
        {"fltWave", waveRun(fltWave, obj2(2, 3, 9, 6, floatBits(0.4f)))},
        {"fltWave2", waveRun(fltWave2, obj2(2, 1, 40, 30, floatBits(-2.0f)))},
        {"fltWave3", waveRun(fltWave3, obj2(1, 2, 5, 7))},
        {"fltTwirl",
         [](sFlt4Params &p) {
             sFltObj2 r = obj2(0, 0, 1, 0);
             r.data0.s0 = -250;
             return fltTwirl(p, &r, kFltObj2Size);
         }},
        {"fltRotate old", rotateRun(fltRotate, 33.5f, 0)},
        {"fltRotate", rotateRun(fltRotate, -71, 1)},
        {"fltRotate2", rotateRun(fltRotate2, 130, 1)},
        {"fltScale old", scaleRun(fltScale, 17, -9, 0)},
        {"fltScale", scaleRun(fltScale, 40, 11, 1)},
        {"fltScale2", scaleRun(fltScale2, -9, 30, 1)},
        {"fltFlipHorizontal", plainRun(fltFlipHorizontal)},
        {"fltFlipVertical", plainRun(fltFlipVertical)},
        {"fltRotate180", plainRun(fltRotate180)},
    };
    for (fptrFilter4 fn : {fltPolarCoordinates, fltPolarCoordinates2})
        for (uint8_t dir : {0, 1})
            cases.push_back({"polar", [=](sFlt4Params &p) {
                                 const sFltObj2 r = obj2(dir, p.layerPrt, 0, 0);
                                 return fn(p, &r, kFltObj2Size);
                             }});
    expectPartEqualsWhole(cases);
}

TEST(DistortionFilters, LookedUpResamplingEqualsThePlainWalk)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 40; ++round) {
        const int32_t w = 10 + int32_t(rng() % 40), h = 8 + int32_t(rng() % 30);
        const auto src = randomLayer(w, h, rng);
        const auto mask = softMask(w, h, rng);
        SRunSetup s;
        s.effect = randomSubRect({0, 0, w, h}, rng);
        if (round % 2)
            s.dst = randomSubRect(s.effect, rng);
        s.mask = round % 3 ? mask.get() : nullptr;
        s.prt = rng() % 2;
        s.mode = TLayerMode(rng() % 22);
        const float angle = float(int32_t(rng() % 2000) - 1000) / 7.0f;
        const int32_t sw = int32_t(rng() % 200) - 100, sh = int32_t(rng() % 200) - 100;
        const struct
        {
            FilterRun fast, plain;
        } pairs[] = {
            {rotateRun(fltRotate, angle, 1), rotateRun(fltRotateReference, angle, 1)},
            {rotateRun(fltRotate2, angle, 1), rotateRun(fltRotate2Reference, angle, 1)},
            {scaleRun(fltScale, sw, sh, 1), scaleRun(fltScaleReference, sw, sh, 1)},
            {scaleRun(fltScale2, sw, sh, 1), scaleRun(fltScale2Reference, sw, sh, 1)},
            {scaleRun(fltScale2, 1, 3, 1), scaleRun(fltScale2Reference, 1, 3, 1)},
            {scaleRun(fltScale2, 0x7FFFFFFF, -0x7FFFFFFF, 1),
             scaleRun(fltScale2Reference, 0x7FFFFFFF, -0x7FFFFFFF, 1)},
        };
        for (const auto &pr : pairs) {
            const SRunResult a = runFilter(*src, s, pr.fast), b = runFilter(*src, s, pr.plain);
            ASSERT_EQ(a.ok, b.ok);
            ASSERT_EQ(firstDifference(*a.image, *b.image), "")
                << "round " << round << " angle " << angle << " size " << sw << " x " << sh;
        }
    }
}

TEST(DistortionFilters, UntrustedRecords)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    Fixture f(seed);
    const SRunSetup s{{0, 0, 31, 23}};
    for (float bad : {NAN, INFINITY, -INFINITY})
        for (fptrFilter4 fn : {fltRotate, fltRotate2}) {
            const SRunResult r = runFilter(*f.src, s, rotateRun(fn, bad, 1));
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(firstDifference(*r.image, *f.src), "");
        }
    // Protection mismatches refuse rotate and scale.
    const SRunResult rot = runFilter(*f.src, s, [](sFlt4Params &p) {
        sFltObj2 r = obj2(0, 0, 0, 0);
        r.data0._float = 45;
        r.data1.b0 = 1;
        return fltRotate2(p, &r, kFltObj2Size);
    });
    EXPECT_FALSE(rot.ok);
    const SRunResult sc = runFilter(*f.src, s, [](sFlt4Params &p) {
        sFltObj4 r = obj4(10, 10, 0, 0);
        r.data2.b0 = 1, r.data2.b1 = 1;
        return fltScale2(p, &r, kFltObj4Size);
    });
    EXPECT_FALSE(sc.ok);
    // Extreme sizes run and stay inside the layer.
    for (auto [w, h] : {std::pair{INT32_MIN, INT32_MAX}, std::pair{1, -1}, std::pair{INT32_MAX, 2}})
        for (uint8_t method : {0, 1})
            EXPECT_TRUE(runFilter(*f.src, s, scaleRun(fltScale2, w, h, method)).ok);
    // Wrong sizes and missing records.
    EXPECT_FALSE(runFilter(*f.src, s, [](sFlt4Params &p) { return fltTwirl(p, nullptr, 8); }).ok);
    EXPECT_FALSE(runFilter(*f.src, s, [](sFlt4Params &p) {
                     const sFltObj2 r = obj2(1, 1, 1, 1);
                     return fltWave(p, &r, 16);
                 }).ok);
    EXPECT_FALSE(runFilter(*f.src, s, [](sFlt4Params &p) { return fltFlipVertical(p, nullptr, 8); }).ok);
}

} // namespace
