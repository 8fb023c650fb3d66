// The distortion group of the catalogue: every function is listed once with its record size,
// refuses other sizes and missing records without touching the layer, and survives random
// records (a refusal leaves the layer as it was).
#include "filters/algorithms/filter_catalogue.h"

#include "filters/algorithms/algorithm_test_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <string>

using namespace algotest;
using filtertest::firstDifference;

namespace {

TEST(FilterCatalogueDistortions, EveryFunctionOnceWithItsRecordSize)
{
    std::set<std::string> names;
    for (const SFilterCatalogueEntry &e : filterCatalogueDistortions()) {
        EXPECT_TRUE(names.insert(e.name).second) << e.name;
        EXPECT_EQ(findFilterEntry(e.name), &e);
    }
    EXPECT_EQ(names.size(), 22u);
    EXPECT_EQ(findFilterEntry("fltCustom")->recordSize, kFltObjComplexSize);
    EXPECT_EQ(findFilterEntry("fltCloudsRocks")->recordSize, kFltObj6Size);
    EXPECT_EQ(findFilterEntry("fltRotate180")->recordSize, 0);
}

TEST(FilterCatalogueDistortions, RandomRecordsRunOrRefuseCleanly)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    initialiseFilters();
    const auto src = randomLayer(23, 17, rng);
    const auto mask = softMask(23, 17, rng);
    for (const SFilterCatalogueEntry &e : filterCatalogueDistortions()) {
        SCOPED_TRACE(e.name);
        // Wrong sizes and missing records are refused before anything is written.
        for (int32_t args : {e.recordSize + 1, e.recordSize - 1}) {
            std::vector<uint8_t> bytes(128, 0);
            const SRunResult r = runFilter(*src, SRunSetup{{1, 1, 22, 16}}, [&](sFlt4Params &p) {
                return e.fn(p, bytes.data(), args);
            });
            EXPECT_FALSE(r.ok);
            EXPECT_EQ(firstDifference(*r.image, *src), "");
        }
        if (e.recordSize > 0) {
            const SRunResult r = runFilter(*src, SRunSetup{{1, 1, 22, 16}}, [&](sFlt4Params &p) {
                return e.fn(p, nullptr, e.recordSize);
            });
            EXPECT_FALSE(r.ok);
        }
        for (int round = 0; round < 60; ++round) {
            // Small values in most cells, anything in some: both reach the interesting paths.
            uint8_t bytes[24];
            for (uint8_t &b : bytes)
                b = uint8_t(rng() % 3 == 0 ? rng() : rng() % 12);
            SFltCustom custom;
            std::memcpy(&custom, bytes, sizeof(bytes));
            for (size_t i = 24; i < sizeof(custom); i += 4) {
                const int32_t v = int32_t(rng() % 9) - 4;
                std::memcpy(reinterpret_cast<uint8_t *>(&custom) + i, &v, 4);
            }
            sFltObjComplex complex;
            initFltObjComplex(complex, 1, 108);
            complex.data = std::span(reinterpret_cast<const uint8_t *>(&custom),
                                     rng() % 4 ? sizeof(custom) : size_t(rng() % 108));
            SRunSetup s(randomSubRect({0, 0, 23, 17}, rng), std::nullopt,
                        rng() % 2 ? mask.get() : nullptr, rng() % 2);
            if (rng() % 2)
                s.dst = randomSubRect(s.effect, rng);
            s.mode = TLayerMode(rng() % 22);
            const void *rec = e.recordSize == kFltObjComplexSize ? static_cast<const void *>(&complex)
                                                                 : bytes;
            const SRunResult r =
                runFilter(*src, s, [&](sFlt4Params &p) { return e.fn(p, rec, e.recordSize); });
            if (!r.ok) {
                ASSERT_EQ(firstDifference(*r.image, *src), "") << "a refusal changed the layer";
            } else if (r.unchanged) {
                ASSERT_EQ(firstDifference(*r.image, *src), "") << "unchanged, yet changed";
            }
            for (int32_t y = 0; y < 17; ++y)
                for (int32_t x = 0; x < 23; ++x)
                    if (!rectContainsPoint(s.dst.value_or(s.effect), {x, y})) {
                        ASSERT_EQ(r.image->getColor(x, y), src->getColor(x, y))
                            << "written outside the destination at " << x << "," << y;
                    }
        }
    }
}

} // namespace
