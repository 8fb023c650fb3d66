#include "core/base/numeric.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

TEST(FixedPoint, WorkedValues)
{
    struct Case
    {
        const char *what;
        int32_t got, expected;
    } cases[] = {
        {"fixMul 1.5 * 2", fixMul(0x18000, 0x20000), 0x30000},
        {"fixMul -1.5 * 2", fixMul(-0x18000, 0x20000), -0x30000},
        {"fixMul floors", fixMul(-1, 1), -1},
        {"fixMul keeps bits 16..47", fixMul(0x7FFFFFFF, 0x7FFFFFFF), int32_t(0xFFFF0000u)},
        {"fixDiv 1 / 3", fixDiv(0x10000, 0x30000), 0x5555},
        {"fixDiv 2 / 3 rounds up", fixDiv(0x20000, 0x30000), 0xAAAB},
        {"fixDiv negative", fixDiv(-0x10000, 0x30000), -0x5555},
        {"fixDiv tie to even (0.5)", fixDiv(1, 0x20000), 0},
        {"fixDiv tie to even (1.5)", fixDiv(3, 0x20000), 2},
        {"fixSqrt 4", fixSqrt(0x40000), 0x20000},
        {"fixSqrt 2", fixSqrt(0x20000), 92682},
        {"fixHypot 3 4", fixHypot(0x30000, -0x40000), 0x50000},
        {"fixCeil 1 + 2^-16", fixCeil(0x10001), 2},
        {"fixCeil 1", fixCeil(0x10000), 1},
        {"fixCeil -0.5", fixCeil(-0x8000), 0},
        {"fixCeil -1 keeps its sign", fixCeil(-0x10000), -1},
        {"fixCeil largest true ceiling", fixCeil(0x7FFF0000), 0x7FFF},
        {"fixCeilFix", fixCeilFix(0x10001), 0x20000},
        {"fixFloor -0.5", fixFloor(-0x8000), -1},
        {"fixToInt 2.99", fixToInt(0x2FFFF), 2},
        {"floatToFix 0.5", floatToFix(0.5f), 0x8000},
        {"floatToFix tie to even", floatToFix(2.5f / 65536), 2},
        {"floatToFix negative tie", floatToFix(-1.5f / 65536), -2},
        {"roundSingle 2.5", roundSingle(2.5f), 2},
        {"roundSingle 3.5", roundSingle(3.5f), 4},
        {"roundSingle -2.5", roundSingle(-2.5f), -2},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
    EXPECT_EQ(fixToFloat(-0x8000), -0.5);
}

// The divisor of fixDiv may be zero (an empty box, white equal to black): the quotient's limit,
// saturated, instead of a floating-point trap.
TEST(FixedPoint, GuardedAgainstZeroDivisorAndNegativeRoots)
{
    EXPECT_EQ(fixDiv(5, 0), INT32_MAX);
    EXPECT_EQ(fixDiv(-5, 0), INT32_MIN);
    EXPECT_EQ(fixDiv(0, 0), 0);
    EXPECT_EQ(fixSqrt(-0x10000), 0);
    EXPECT_EQ(roundSingle(std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(RandomGenerator, FirstDrawFromZeroIsZero)
{
    SRand r;
    randInit(r, 0, 0, 256);
    EXPECT_EQ(randNext(r), 0);
    EXPECT_EQ(r.cnt, 1u);
    EXPECT_EQ(r.val, 1u);
    EXPECT_EQ(r.seed, 0u);
}

// Recorded events and layer dithering replay only if these sequences never change.
TEST(RandomGenerator, SequencesWrapIn32Bits)
{
    struct Case
    {
        uint32_t seed;
        int32_t min, max;
        std::vector<int32_t> draws;
    } cases[] = {
        {1, 0, 100, {3, 86, 20, 27, 67, 31}},
        {12345, -10, 10, {-3, -5, -9, 1, 2, -4}},
        {7, 5, 5, {5, 5, 5}},
        {0, INT32_MIN, INT32_MAX, {INT32_MIN}},
    };
    for (const Case &c : cases) {
        SRand r;
        randInit(r, c.seed, c.min, c.max);
        std::vector<int32_t> got;
        for (size_t i = 0; i < c.draws.size(); ++i)
            got.push_back(randNext(r));
        EXPECT_EQ(got, c.draws) << "seed " << c.seed;
        EXPECT_EQ(r.cnt, c.draws.size());
    }
    SRand r;
    randInit(r, 12345, -10, 10);
    for (int i = 0; i < 6; ++i)
        randNext(r);
    EXPECT_EQ(r.val, 1467157059u);
    EXPECT_EQ(randStep(0xFFFFFFFFu), uint32_t(-134775813 + 1));
    EXPECT_EQ(mulHigh32(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFEu);
}

TEST(Numeric, ClampsRangesAndSwaps)
{
    EXPECT_EQ(clampInt(5, 10, 0), 10); // min above max
    EXPECT_EQ(clampInt(-5, 10, 0), 10);
    EXPECT_EQ(clampInt(5, 0, 10), 5);
    EXPECT_EQ(clampSingle(2.5f, 0, 1), 1.0f);

    struct Case
    {
        int32_t a, b, c, lo, hi;
    } cases[] = {
        {1, 2, 3, 1, 3}, {3, 2, 1, 1, 3}, {2, 3, 1, 1, 3}, {5, 1, 3, 1, 5}, {4, 4, 4, 4, 4}};
    for (const Case &c : cases) {
        int32_t lo = c.a, hi = c.b;
        minMax3(lo, hi, c.c);
        EXPECT_EQ(lo, c.lo) << c.a << " " << c.b << " " << c.c;
        EXPECT_EQ(hi, c.hi) << c.a << " " << c.b << " " << c.c;
    }

    sRange r;
    rangeSet(r, 9, -2);
    EXPECT_EQ(r, (sRange{-2, 9}));
    rangeExtend(r, 12);
    EXPECT_TRUE(rangeContains(r, 12));
    EXPECT_FALSE(rangeContains(r, -3));

    uint16_t w = 0x1234;
    swapWordBytes(w);
    EXPECT_EQ(w, 0x3412);
    EXPECT_EQ(wordToInt(0xFFFF), 65535);
}

TEST(Numeric, Fractions)
{
    EXPECT_EQ(gcdInt(12, -18), 6);
    EXPECT_EQ(gcdInt(0, -7), 7);
    EXPECT_EQ(gcdInt(0, 0), 0);
    EXPECT_TRUE(fractionEquals({2, 4}, 3, 6));
    EXPECT_FALSE(fractionEquals({2, 4}, 2, 3));
    EXPECT_TRUE(fractionEquals({0, 0}, 0, 0)); // no gcd to divide by
    EXPECT_TRUE(fractionIsWhole({6, 3}));
    EXPECT_FALSE(fractionIsWhole({7, 3}));
    EXPECT_FALSE(fractionIsWhole({7, 0}));
    EXPECT_TRUE(fractionIsOne({4, 4}));
    EXPECT_TRUE(fractionAtLeastOne({5, 4}));
    EXPECT_FALSE(fractionAtLeastOne({3, 4}));
}
