// Every filter with a fast path against its plain reference: the same bytes on random pictures
// (mixed, opaque and transparent), with and without a soft selection, with protected
// transparency, random records across their whole ranges and at the dialogs' extremes, odd sizes
// (1 x 1, 1 x N, N x 1, sizes that are no multiple of a vector or a block), destinations at the
// edges of the effect rectangle, on 1, 3 and all threads, at every vector level of the processor.
#include "filters/algorithms/adjustment_filters.h"
#include "filters/algorithms/blur_filters.h"
#include "filters/algorithms/distortion_filters.h"
#include "filters/algorithms/floor_filter.h"
#include "filters/algorithms/gen1_filters.h"
#include "filters/algorithms/generator_filters.h"
#include "filters/algorithms/lighting_filter.h"
#include "filters/algorithms/median_filter.h"
#include "filters/algorithms/sharpen_filters.h"
#include "filters/algorithms/texture_filters.h"

#include "core/pixel/each_simd_level.h"
#include "core/tiles/work_threads.h"
#include "filters/algorithms/algorithm_test_support.h"
#include "filters/core/pixel_mechanics.h"
#include "filters/core/pixel_toolkit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace algotest;

namespace {

// A record made from the generator: the fast run and the reference run of the same record, and
// its description for the failure message.
struct SFastCase
{
    std::string what;
    FilterRun fast, reference;
};
using CaseMaker = std::function<SFastCase(std::mt19937 &rng, int round)>;

enum class PictureKind
{
    mixed,
    opaque,
    transparent,
    sparse // a few pixels in the first block, the other blocks never committed
};

std::unique_ptr<CBlockVMTC> picture(int32_t w, int32_t h, PictureKind kind, std::mt19937 &rng)
{
    if (kind == PictureKind::sparse) {
        auto img = std::make_unique<CBlockVMTC>(w, h);
        for (int i = 0; i < 5; ++i)
            img->setPixel(int32_t(rng() % uint32_t(std::min(w, 32))),
                          int32_t(rng() % uint32_t(std::min(h, 32))), rng());
        return img;
    }
    auto img = randomLayer(w, h, rng);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t c = img->getColor(x, y);
            if (kind == PictureKind::opaque)
                img->setPixel(x, y, c | 0xFF000000u);
            else if (kind == PictureKind::transparent)
                img->setPixel(x, y, c & 0x00FFFFFFu);
        }
    return img;
}

// A destination inside the effect rectangle touching one or two of its edges (or all of it).
sRect edgeDestination(const sRect &e, std::mt19937 &rng)
{
    sRect d = randomSubRect(e, rng);
    switch (rng() % 5) {
    case 0:
        return e;
    case 1:
        d.x0 = e.x0;
        break;
    case 2:
        d.x1 = e.x1;
        break;
    case 3:
        d.y0 = e.y0;
        break;
    default:
        d.y1 = e.y1, d.x1 = e.x1;
        break;
    }
    return d;
}

class FastEqualsReference : public EachSimdLevel
{
  protected:
    void TearDown() override
    {
        setWorkThreads(0);
        EachSimdLevel::TearDown();
    }

    // Every size, thread count and setup for rounds records of make.
    void expectSameBytes(const CaseMaker &make, int rounds = 4)
    {
        const uint32_t seed = filtertest::testSeed();
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        initialiseFilters();
        static const sSize sizes[] = {{1, 1}, {1, 13}, {11, 1}, {37, 45}, {70, 97}};
        for (const sSize size : sizes)
            for (const int threads : {1, 3, 0})
                for (int round = 0; round < rounds; ++round) {
                    setWorkThreads(threads);
                    const SFastCase c = make(rng, round);
                    const auto kind = PictureKind(round % 4);
                    const auto src = picture(size.x, size.y, kind, rng);
                    const auto mask = softMask(size.x, size.y, rng);
                    SRunSetup s;
                    s.effect = round == 0 ? sRect{0, 0, size.x, size.y}
                                          : randomSubRect({0, 0, size.x, size.y}, rng);
                    s.dst = edgeDestination(s.effect, rng);
                    s.mask = round % 2 == 1 ? mask.get() : nullptr;
                    s.prt = round % 4 >= 2;
                    SCOPED_TRACE(c.what + " size " + std::to_string(size.x) + "x" +
                                 std::to_string(size.y) + " threads " + std::to_string(threads) +
                                 " round " + std::to_string(round));
                    const SRunResult fast = runFilter(*src, s, c.fast);
                    const SRunResult ref = runFilter(*src, s, c.reference);
                    ASSERT_EQ(fast.ok, ref.ok);
                    ASSERT_EQ(fast.unchanged, ref.unchanged);
                    ASSERT_EQ(filtertest::firstDifference(*fast.image, *ref.image), "");
                    // The same blocks committed in the same order leave the same trace.
                    const SRectTracer &tf = fast.image->getTrace(), &tr = ref.image->getTrace();
                    ASSERT_EQ(tf.cnt, tr.cnt);
                    for (int32_t i = 0; i < tf.cnt; ++i)
                        ASSERT_EQ(tf.rects[size_t(i)], tr.rects[size_t(i)]) << "trace " << i;
                }
    }
};

// A record run through a pixel function.
template <class R> FilterRun withRecord(fptrFilter4 fn, R rec, int32_t size)
{
    return [fn, rec, size](sFlt4Params &p) { return fn(p, &rec, size); };
}

int32_t pick(std::mt19937 &rng, std::initializer_list<int32_t> extremes, int32_t lo, int32_t hi)
{
    if (rng() % 3 == 0)
        return *(extremes.begin() + rng() % extremes.size());
    return lo + int32_t(rng() % uint32_t(hi - lo + 1));
}

float pickF(std::mt19937 &rng, std::initializer_list<float> extremes, float lo, float hi)
{
    if (rng() % 3 == 0)
        return *(extremes.begin() + rng() % extremes.size());
    return std::uniform_real_distribution<float>(lo, hi)(rng);
}

} // namespace

TEST_P(FastEqualsReference, Emboss)
{
    expectSameBytes(
        [](std::mt19937 &rng, int) {
            // Angles past a turn, heights the dialog allows and beyond (whole and half pixels
            // too), amounts from nothing to past the dialog's 500 %.
            const int32_t angle = pick(rng, {0, 45, 90, -90, 180, -180, 360}, -720, 720);
            const float height = pickF(rng, {0.1f, 1.0f, 2.0f, 0.5f, 3.5f, 100.0f, -7.0f, 0.0f},
                                       -120.0f, 120.0f);
            const int32_t amount = pick(rng, {1, 100, 500, 0, -300}, -600, 600);
            const sFltObj4 rec = obj4(angle, floatBits(height), amount, 0);
            return SFastCase{"emboss " + std::to_string(angle) + " " + std::to_string(height) +
                                 " " + std::to_string(amount),
                             withRecord(fltEmboss, rec, kFltObj4Size),
                             withRecord(fltEmbossReference, rec, kFltObj4Size)};
        },
        8);
}

TEST_P(FastEqualsReference, Gaussian)
{
    expectSameBytes([](std::mt19937 &rng, int) {
        // From nothing (no change) through the dialog's range to kernels wider than the picture.
        const float sigma = pickF(rng, {0.0f, -1.0f, 0.1f, 0.5f, 1.0f, 2.5f, 60.0f, 250.0f}, 0.0f, 40.0f);
        sFltObj2 rec{};
        rec.data0._float = sigma;
        return SFastCase{"gaussian " + std::to_string(sigma), withRecord(fltGaussianBlur, rec, kFltObj2Size),
                         [sigma](sFlt4Params &p) {
                             // The record's form says "unchanged" for a deviation of 0 or less.
                             p.unchanged = std::isfinite(sigma) && sigma <= 0;
                             return gaussianBlurReference(p, sigma);
                         }};
    });
}

TEST_P(FastEqualsReference, KernelFilters)
{
    // The blurs and sharpens are the alpha-weighted convolution with their kernels.
    static const std::vector<int32_t> ones5(25, 1);
    static const struct
    {
        const char *name;
        fptrFilter4 fn;
        std::vector<int32_t> k;
    } kernels[] = {
        {"blur", fltBlur, {1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {"blur2", fltBlur2, {0, 1, 0, 1, 4, 1, 0, 1, 0}},
        {"blur more", fltBlurMore, ones5},
        {"blur more2", fltBlurMore2, {1, 2, 1, 2, 2, 2, 1, 2, 1}},
        {"sharpen", fltSharpen, {0, -1, 0, -1, 8, -1, 0, -1, 0}},
        {"sharpen more", fltSharpenMore, {-1, -1, -1, -1, 12, -1, -1, -1, -1}},
    };
    expectSameBytes([](std::mt19937 &, int) {
        return SFastCase{"find edges", [](sFlt4Params &p) { return fltFindEdges(p, nullptr, 0); },
                         [](sFlt4Params &p) { return fltFindEdgesReference(p, nullptr, 0); }};
    }, 3);
    for (const auto &c : kernels) {
        const int32_t side = c.k.size() == 25 ? 5 : 3;
        const sBox box{-(side / 2), -(side / 2), side, side};
        expectSameBytes([&](std::mt19937 &, int) {
            return SFastCase{c.name, [&c](sFlt4Params &p) { return c.fn(p, nullptr, 0); },
                             [&c, box](sFlt4Params &p) { return convolveKernelReference(p, c.k, box, 0); }};
        }, 3);
    }
}

TEST_P(FastEqualsReference, CustomSharpen)
{
    expectSameBytes([](std::mt19937 &rng, int) {
        // Amounts from none (no change) to strengths that wrap the sums, and one refused.
        const float amount = pickF(rng, {0.0f, 0.001f, 1.0f, 100.0f, 1e6f, -1.0f}, 0.0f, 5.0f);
        sFltObj2 rec{};
        rec.data0._float = amount;
        return SFastCase{"custom sharpen " + std::to_string(amount),
                         withRecord(fltSharpenCustom, rec, kFltObj2Size), [amount](sFlt4Params &p) {
                             int32_t k = 0;
                             if (!customSharpenStrength(amount, k))
                                 return false;
                             p.unchanged = k == 0;
                             const std::vector<int32_t> w = {0, -k, 0, -k, 999, -k, 0, -k, 0};
                             return k == 0 || convolveKernelReference(p, w, {-1, -1, 3, 3}, 0);
                         }};
    });
}

TEST_P(FastEqualsReference, AlphaWeightedConvolution)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        // Kernels of ones (summed across first), mixed signs whose weights sum to 0, weights that
        // wrap the sums, offsets, and boxes placed beside the pixel so that some pixels' kernels
        // miss the picture.
        const int32_t side = round % 2 ? 5 : 3;
        std::vector<int32_t> k(size_t(side * side), 1);
        const int kind = int(rng() % 4);
        if (kind == 1)
            for (int32_t &v : k)
                v = rng() % 3 == 0 ? 0 : pick(rng, {1, -1, 2}, -9, 9);
        else if (kind == 2)
            for (size_t i = 0; i < k.size(); ++i)
                k[i] = i % 2 ? 1 : -1;
        else if (kind == 3)
            for (int32_t &v : k)
                v = pick(rng, {0x7FFFFFF, -0x7FFFFFF, 999}, -100000, 100000);
        const int32_t offset = pick(rng, {0, 255, -255}, -100, 100);
        const sBox box = rng() % 3 ? sBox{-(side / 2), -(side / 2), side, side}
                                   : sBox{pick(rng, {-40, 30}, -8, 8), pick(rng, {-50, 40}, -8, 8), side, side};
        return SFastCase{"alpha-weighted convolution kind " + std::to_string(kind) + " offset " +
                             std::to_string(offset) + " at " + std::to_string(box.x) + "," +
                             std::to_string(box.y),
                         [=](sFlt4Params &p) { return convolveKernel(p, k, box, offset); },
                         [=](sFlt4Params &p) { return convolveKernelReference(p, k, box, offset); }};
    });
}

TEST_P(FastEqualsReference, PlainConvolution)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        // The custom filter's 5 x 5 matrix, scale and offset, some weights zero, sums that wrap.
        std::vector<int32_t> k(25);
        for (int32_t &v : k)
            v = rng() % 3 == 0 ? 0 : pick(rng, {1, -1, 999, -999, 0x7FFFFFF}, -50, 50);
        const int32_t scale = pick(rng, {1, -1, 0, 9999}, -300, 300);
        const int32_t offset = pick(rng, {0, 255, -255}, -100, 100);
        const sBox box = round % 2 ? sBox{-2, -2, 5, 5} : sBox{-4, 1, 5, 5};
        return SFastCase{"plain convolution scale " + std::to_string(scale),
                         [=](sFlt4Params &p) { return convolvePlain(p, k, box, scale, offset); },
                         [=](sFlt4Params &p) { return convolvePlainReference(p, k, box, scale, offset); }};
    });
}

TEST_P(FastEqualsReference, RotateAndScale)
{
    expectSameBytes(
        [](std::mt19937 &rng, int round) {
            const uint8_t method = uint8_t(round % 2); // older records, then current ones
            if (rng() % 2) {
                const float angle = pickF(rng, {0.0f, 30.0f, 90.0f, 180.0f, -180.0f, 359.9f, 1e-3f},
                                          -720.0f, 720.0f);
                sFltObj2 rec{};
                rec.data0._float = angle;
                rec.data1.b1 = method;
                const auto run = [rec](fptrFilter4 fn) {
                    return [rec, fn](sFlt4Params &p) mutable {
                        rec.data1.b0 = p.layerPrt;
                        return fn(p, &rec, kFltObj2Size);
                    };
                };
                return method ? SFastCase{"rotate2 " + std::to_string(angle), run(fltRotate2),
                                          run(fltRotate2Reference)}
                              : SFastCase{"rotate " + std::to_string(angle), run(fltRotate),
                                          run(fltRotateReference)};
            }
            // Sizes from nothing and mirrors to enlargements past the picture.
            const int32_t c = pick(rng, {0, 1, -1, 37, -37, 500}, -120, 120);
            const int32_t e = pick(rng, {0, 1, -1, 45, -45, 500}, -120, 120);
            sFltObj4 rec = obj4(c, e, 0, 0);
            rec.data2.b1 = method;
            const auto run = [rec](fptrFilter4 fn) {
                return [rec, fn](sFlt4Params &p) mutable {
                    rec.data2.b0 = p.layerPrt;
                    return fn(p, &rec, kFltObj4Size);
                };
            };
            const std::string what = " " + std::to_string(c) + "x" + std::to_string(e);
            return method ? SFastCase{"scale2" + what, run(fltScale2), run(fltScale2Reference)}
                          : SFastCase{"scale" + what, run(fltScale), run(fltScaleReference)};
        },
        8);
}

TEST_P(FastEqualsReference, Median)
{
    expectSameBytes([](std::mt19937 &rng, int) {
        // Radii from none to windows far wider than the picture (the dialog's 100 included).
        const int32_t r = pick(rng, {0, 1, 2, 100}, 0, 12);
        const bool keepAlpha = rng() % 2;
        const sFltObj2 rec = obj2(uint8_t(r), keepAlpha, 0, 0);
        return SFastCase{"median " + std::to_string(r), withRecord(fltMedian, rec, kFltObj2Size),
                         [r, keepAlpha](sFlt4Params &p) { return medianFilterReference(p, r, keepAlpha); }};
    }, 3);
}

TEST_P(FastEqualsReference, TableApplications)
{
    // The tone and colour adjustments map each pixel through tables of these three kinds.
    expectSameBytes([](std::mt19937 &rng, int round) {
        ChannelTable ct;
        LumaTable lt;
        for (size_t i = 0; i < 256; ++i)
            ct[i].all = rng(), lt[i] = rng();
        const bool keep = rng() % 2;
        const auto run = [=](auto fn, const auto &table) {
            return [=](sFlt4Params &p) { return fn(p, table, keep); };
        };
        switch (round % 3) {
        case 0:
            return SFastCase{"channel tables", run(applyChannelTables, ct),
                             run(applyChannelTablesReference, ct)};
        case 1:
            return SFastCase{"luma table", run(applyLumaTable, lt), run(applyLumaTableReference, lt)};
        default:
            return SFastCase{"luma colour table", run(applyLumaColourTable, lt),
                             run(applyLumaColourTableReference, lt)};
        }
    }, 6);
}

TEST_P(FastEqualsReference, MotionAndRadialBlur)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        if (round % 2 == 0) {
            // Distances from none to the dialog's 255; the three methods; angles past a turn.
            const uint8_t distance = uint8_t(pick(rng, {0, 1, 2, 255}, 0, 40));
            const uint8_t method = uint8_t(rng() % 3);
            const int32_t degrees = pick(rng, {0, 90, -90, 180, 360, -32768}, -720, 720);
            sFltObj2 rec = obj2(distance, method, 0, 0, floatBits(float(degrees) + 0.25f));
            rec.data0.s1 = int16_t(degrees);
            return SFastCase{"motion " + std::to_string(distance) + " method " +
                                 std::to_string(method) + " " + std::to_string(degrees),
                             withRecord(fltMotionBlur, rec, kFltObj2Size),
                             withRecord(fltMotionBlurReference, rec, kFltObj2Size)};
        }
        // Centres inside, on the edge and far outside the effect rectangle; both samplers.
        sFltObj2 rec = obj2(0, 0, 0, 0);
        rec.data0.s0 = int16_t(pick(rng, {0, -32768, 32767}, -60, 60));
        rec.data0.s1 = int16_t(pick(rng, {0, -32768, 32767}, -60, 60));
        rec.data1.b0 = uint8_t(pick(rng, {0, 1, 100, 255}, 0, 100));
        rec.data1.b2 = uint8_t(rng() % 3);
        return SFastCase{"radial " + std::to_string(rec.data1.b0) + " at " +
                             std::to_string(rec.data0.s0) + "," + std::to_string(rec.data0.s1),
                         withRecord(fltRadialBlur, rec, kFltObj2Size),
                         withRecord(fltRadialBlurReference, rec, kFltObj2Size)};
    }, 6);
}

TEST_P(FastEqualsReference, NoiseDiffuseMosaic)
{
    // The random filters: the bands must give every pixel the numbers of the serial walk and
    // leave the process-wide generator where the serial walk leaves it.
    expectSameBytes([](std::mt19937 &rng, int round) {
        auto seedAfterFast = std::make_shared<uint32_t>(0);
        const auto run = [seedAfterFast](auto rec, fptrFilter4 fn, bool fast) {
            return [=](sFlt4Params &p) mutable {
                rec.data3.b2 = p.layerPrt; // the diffuse's recorded protection
                gRandSeed = 12345; // overwritten by the record's seed
                const bool ok = fn(p, &rec, kFltObj4Size);
                if (fast)
                    *seedAfterFast = gRandSeed;
                else
                    EXPECT_EQ(gRandSeed, *seedAfterFast) << "generator state after the walk";
                return ok;
            };
        };
        const int32_t seed = int32_t(rng());
        if (round % 2 == 0) {
            const int32_t amount = pick(rng, {0, 1, 255, 400, -3}, 0, 300);
            const bool grey = rng() % 2;
            sFltObj4 rec = obj4(amount, grey, seed, 0);
            return SFastCase{"noise " + std::to_string(amount) + (grey ? " grey" : " colour"),
                             run(rec, fltNoise, true), run(rec, fltNoiseReference, false)};
        }
        if (round % 4 == 3) {
            // Cells from a pixel to wider than the picture, and the refused sizes.
            sFltObj2 rec = obj2(0, 0, 0, 0, int32_t(rng() % 2));
            rec.data0.all = pick(rng, {0, -1, 1, 1000, 0x7FFFFFFF}, 1, 20);
            return SFastCase{"mosaic " + std::to_string(rec.data0.all),
                             withRecord(fltMosaic, rec, kFltObj2Size),
                             withRecord(fltMosaicReference, rec, kFltObj2Size)};
        }
        const int32_t radius = pick(rng, {0, 1, 100, 1000}, 0, 20);
        const int32_t mode = pick(rng, {0, 1, 2, 3}, 0, 2);
        sFltObj4 rec = obj4(radius, mode, seed, 0);
        rec.data3.b0 = uint8_t(rng() % 2); // normal or directional
        return SFastCase{"diffuse " + std::to_string(radius) + " mode " + std::to_string(mode) +
                             (rec.data3.b0 ? " directional" : " normal"),
                         run(rec, fltDiffuse, true), run(rec, fltDiffuseReference, false)};
    }, 8);
}

TEST_P(FastEqualsReference, Adjustments)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        if (round % 3 == 2) {
            sFltObj2 rec = obj2(0, 0, 0, 0, int32_t(rng() % 2));
            rec.data0.all = int32_t(rng());
            return SFastCase{"alpha via density", withRecord(fltAlphaViaDensity, rec, kFltObj2Size),
                             withRecord(fltAlphaViaDensityReference, rec, kFltObj2Size)};
        }
        // Shifts past a turn either way, the dialog's -100..100 and lightness the curve refuses.
        const int32_t h = pick(rng, {0, 180, -180, 359, 720}, -720, 720);
        const int32_t sat = pick(rng, {0, 100, -100}, -100, 100);
        const int32_t l = pick(rng, {0, 100, -100, 127, 128}, -100, 100);
        sFltObj4 rec = obj4(h, sat, l, 0);
        rec.data3.b0 = uint8_t(rng() % 2); // colourise
        rec.data3.b1 = uint8_t(round % 3);  // the method
        return SFastCase{"hue/saturation " + std::to_string(h) + " " + std::to_string(sat) + " " +
                             std::to_string(l),
                         withRecord(fltHueSaturation, rec, kFltObj4Size),
                         withRecord(fltHueSaturationReference, rec, kFltObj4Size)};
    }, 6);
}

TEST_P(FastEqualsReference, WaveTwirlPolar)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        switch (round % 3) {
        case 0: {
            // Counts and amplitudes from none to the byte's end; phases past a turn.
            const auto byte = [&] { return uint8_t(pick(rng, {0, 1, 255}, 0, 20)); };
            const float phase = pickF(rng, {0.0f, 6.2831853f, -100.0f}, -10.0f, 10.0f);
            const sFltObj2 rec = obj2(byte(), byte(), byte(), byte(), floatBits(phase));
            const int32_t version = int32_t(rng() % 3);
            return SFastCase{"wave version " + std::to_string(version),
                             [rec, version](sFlt4Params &p) {
                                 return fltWaveCore(p, &rec, kFltObj2Size, version);
                             },
                             [rec, version](sFlt4Params &p) {
                                 return fltWaveReference(p, &rec, kFltObj2Size, version);
                             }};
        }
        case 1: {
            sFltObj2 rec = obj2(0, 0, uint8_t(rng() % 2), 0);
            rec.data0.s0 = int16_t(pick(rng, {0, 999, -999, 32767}, -360, 360));
            return SFastCase{"twirl " + std::to_string(rec.data0.s0),
                             withRecord(fltTwirl, rec, kFltObj2Size),
                             withRecord(fltTwirlReference, rec, kFltObj2Size)};
        }
        default: {
            const uint8_t direction = uint8_t(pick(rng, {2}, 0, 1));
            const bool second = rng() % 2;
            const auto run = [direction](fptrFilter4 fn) {
                return [direction, fn](sFlt4Params &p) {
                    const sFltObj2 rec = obj2(direction, p.layerPrt, 0, 0);
                    return fn(p, &rec, kFltObj2Size);
                };
            };
            return second ? SFastCase{"polar2 " + std::to_string(direction), run(fltPolarCoordinates2),
                                      run(fltPolarCoordinates2Reference)}
                          : SFastCase{"polar " + std::to_string(direction), run(fltPolarCoordinates),
                                      run(fltPolarCoordinatesReference)};
        }
        }
    }, 6);
}

TEST_P(FastEqualsReference, Generators)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        const auto colour = [&] { return int32_t(rng()); };
        switch (round % 4) {
        case 0: {
            // Modes past the blend table are refused.
            sFltObj4 rec = obj4(colour(), colour(), colour(), 0);
            rec.data3.w0 = uint16_t(pick(rng, {0, 256, 65535}, 0, 1024));
            rec.data3.b2 = uint8_t(pick(rng, {0, 21, 22, 0x80}, 0, 21));
            rec.data3.b3 = uint8_t(pick(rng, {0, 255}, 0, 255));
            return SFastCase{"clouds mode " + std::to_string(rec.data3.b2),
                             withRecord(fltClouds, rec, kFltObj4Size),
                             withRecord(fltCloudsReference, rec, kFltObj4Size)};
        }
        case 1: {
            sFltObj4 rec = obj4(colour(), 0, 0, 0);
            rec.data1.b0 = uint8_t(rng() % 2), rec.data1.w1 = uint16_t(pick(rng, {0, 65535}, 0, 1024));
            rec.data2.b0 = uint8_t(pick(rng, {21, 22}, 0, 21));
            rec.data2.b1 = uint8_t(pick(rng, {0, 255}, 0, 255));
            return SFastCase{"plasma mode " + std::to_string(rec.data2.b0),
                             withRecord(fltPlasma, rec, kFltObj4Size),
                             withRecord(fltPlasmaReference, rec, kFltObj4Size)};
        }
        case 2: {
            // Tiles smaller and larger than the picture; softness on and off.
            sFltObj6 rec{};
            rec.data0.all = colour(), rec.data1.all = colour(), rec.data2.all = colour();
            rec.data3.w0 = uint16_t(pick(rng, {0, 1, 1000}, 1, 80));
            rec.data3.w1 = uint16_t(pick(rng, {1, 1000}, 1, 80));
            rec.data4.w0 = uint16_t(pick(rng, {0, 1, 1000}, 0, 500));
            rec.data4.w1 = uint16_t(pick(rng, {0, 1, 255}, 0, 60));
            return SFastCase{"clouds and rocks " + std::to_string(rec.data3.w0) + "x" +
                                 std::to_string(rec.data3.w1),
                             withRecord(fltCloudsRocks, rec, kFltObj6Size),
                             withRecord(fltCloudsRocksReference, rec, kFltObj6Size)};
        }
        default: {
            sFltObj4 rec = obj4(0, colour(), colour(), colour());
            rec.data0.b0 = uint8_t(pick(rng, {2}, 0, 1));
            rec.data0.b1 = uint8_t(pick(rng, {2}, 0, 1));
            rec.data0.w1 = uint16_t(pick(rng, {7, 8, 9, 65535}, 8, 40));
            return SFastCase{"tiles shape " + std::to_string(rec.data0.b0) + " size " +
                                 std::to_string(rec.data0.w1),
                             withRecord(fltTiles, rec, kFltObj4Size),
                             withRecord(fltTilesReference, rec, kFltObj4Size)};
        }
        }
    }, 8);
}

TEST_P(FastEqualsReference, Lighting)
{
    expectSameBytes([](std::mt19937 &rng, int) {
        // The three kinds (and one refused), positions inside and beyond the area, powers and
        // ambient brightness from nothing to past the dialog's ends.
        SFltLight light;
        initFltLight(light);
        light.kind = pick(rng, {3}, 0, 2);
        light.power = pick(rng, {0, 100, 200, -50}, 0, 200);
        light.color.all = rng();
        light.range = pick(rng, {0, 1, 1000}, 1, 200);
        light.posx = pickF(rng, {0.0f, 1.0f, -3.0f}, -0.5f, 1.5f);
        light.posy = pickF(rng, {0.0f, 1.0f, 5.0f}, -0.5f, 1.5f);
        light.posz = pick(rng, {0, 100}, -20, 100);
        light.theta = pickF(rng, {0.0f, 90.0f}, -180.0f, 180.0f);
        light.phi = pickF(rng, {0.0f, 90.0f}, -90.0f, 90.0f);
        light.wide = pick(rng, {0, 90, 180}, 1, 90);
        auto block = std::make_shared<std::vector<uint8_t>>(sizeof light);
        std::memcpy(block->data(), &light, sizeof light);
        sFltObjComplex rec;
        initFltObjComplex(rec, 1, sizeof(SFltLight));
        rec.data0.all = int32_t(rng());
        rec.data1.all = pick(rng, {0, 100, 200}, 0, 200);
        rec.data = *block;
        const auto run = [rec, block](fptrFilter4 fn) {
            return [rec, block, fn](sFlt4Params &p) { return fn(p, &rec, kFltObjComplexSize); };
        };
        return SFastCase{"lighting kind " + std::to_string(light.kind) + " power " +
                             std::to_string(light.power),
                         run(fltLighting), run(fltLightingReference)};
    });
}

TEST_P(FastEqualsReference, Floor)
{
    expectSameBytes([](std::mt19937 &rng, int round) {
        // Textures of odd sizes; cameras turned and pitched either way, above and below the
        // planes; clear, far drawing and the original picture on and off; both samplers.
        auto textures = std::make_shared<std::array<std::unique_ptr<CBlockVMTC>, 2>>();
        std::array<std::unique_ptr<TMTC>, 2> canvases;
        auto tex = std::make_shared<std::array<TMTC, 2>>();
        for (TMTC &t : *tex) {
            const auto layer = randomLayer(1 + int32_t(rng() % 40), 1 + int32_t(rng() % 40), rng);
            t.Resize(layer->width(), layer->height());
            for (int32_t y = 0; y < layer->height(); ++y)
                for (int32_t x = 0; x < layer->width(); ++x)
                    t.seek32(x, y)->all = layer->getColor(x, y);
        }
        SFltFloor rec;
        initFltFloor(rec);
        SFltFloorParam &f = rec.sfloor;
        f.version = 3;
        f.x = pick(rng, {0, 10000}, -100, 100);
        f.z = pick(rng, {0, -10000}, -100, 100);
        f.y = pickF(rng, {0.0f, -5.0f}, -5.0f, 40.0f);
        f.head = pickF(rng, {0.0f, 3.14159f}, -1.2f, 1.2f);
        f.pitch = pickF(rng, {0.0f, 1.5f}, -1.2f, 1.2f);
        f.eye2scr = pick(rng, {1, 1000}, 1, 100);
        f.skyheight = pick(rng, {0, 100}, 0, 50);
        f.alpha = pick(rng, {0, 100}, 0, 100);
        f.farcol.all = rng();
        f.useOrgPic = uint8_t(rng() % 2);
        f.clear = uint8_t(rng() % 2);
        f.drawfar = uint8_t(rng() % 2);
        f.maxfar = uint8_t(pick(rng, {0, 100}, 0, 100));
        f.texEnbFlag = uint8_t(1 + rng() % 3);
        f.tex0w = uint16_t(1 + rng() % 64), f.tex0h = uint16_t(1 + rng() % 64);
        f.tex1w = uint16_t(1 + rng() % 64), f.tex1h = uint16_t(1 + rng() % 64);
        rec.stex[0].tc = &(*tex)[0];
        rec.stex[1].tc = &(*tex)[1];
        const bool newest = round % 2 == 1;
        return SFastCase{newest ? "floor2" : "floor",
                         [rec, tex, newest](sFlt4Params &p) {
                             return (newest ? fltFloor2 : fltFloor)(p, &rec, kFltFloorSize);
                         },
                         [rec, tex, newest](sFlt4Params &p) { return fltFloorReference(p, rec, newest); }};
    }, 6);
}

TEST_P(FastEqualsReference, OlderMotionAndRadialBlur)
{
    // The older commands read a copy of the layer taken before the filter and find their own
    // rectangle from the selection.
    using OlderRun =
        std::function<bool(const CBlockVMTC &, const SFilterLayerView &, const CMaskData *)>;
    const auto older = [](OlderRun run) {
        return [run](sFlt4Params &p) {
            const CBlockVMTC source(*p.layerTC);
            SFilterLayerView view;
            view.image = p.layerTC;
            return run(source, view, p.maskData);
        };
    };
    expectSameBytes(
        [&](std::mt19937 &rng, int round) {
            const bool protect = rng() % 2;
            if (round % 2 == 0) {
                const float distance = pickF(rng, {0.0f, 1.0f, 40000.0f}, 0.0f, 12.0f);
                const float angle = pickF(rng, {0.0f, 3.14159f, -1.5708f}, -7.0f, 7.0f);
                return SFastCase{
                    "older motion " + std::to_string(distance) + " " + std::to_string(angle),
                    older([=](const CBlockVMTC &s, const SFilterLayerView &l, const CMaskData *m) {
                        return orgFltMotionBlur(s, l, m, distance, angle, protect);
                    }),
                    older([=](const CBlockVMTC &s, const SFilterLayerView &l, const CMaskData *m) {
                        return orgFltMotionBlurReference(s, l, m, distance, angle, protect);
                    })};
            }
            const float amount = pickF(rng, {0.0f, 1.0f, 40000.0f}, 0.0f, 12.0f);
            const int32_t cx = pick(rng, {0, -1, 1 << 20, (1 << 20) + 1}, -10, 80);
            const int32_t cy = pick(rng, {0, 100000}, -10, 100);
            return SFastCase{
                "older radial " + std::to_string(amount) + " at " + std::to_string(cx) + "," +
                    std::to_string(cy),
                older([=](const CBlockVMTC &s, const SFilterLayerView &l, const CMaskData *m) {
                    return orgFltRadialBlur(s, l, m, amount, cx, cy, protect);
                }),
                older([=](const CBlockVMTC &s, const SFilterLayerView &l, const CMaskData *m) {
                    return orgFltRadialBlurReference(s, l, m, amount, cx, cy, protect);
                })};
        },
        6);
}

INSTANTIATE_EACH_SIMD_LEVEL(FastEqualsReference);
