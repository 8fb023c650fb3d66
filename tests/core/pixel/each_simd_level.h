// Tests of the loops that have a form per vector instruction set run once per level the
// processor supports: a test fixture derived from EachSimdLevel selects its level for the test
// and restores the one in use after it.
#pragma once

#include "core/pixel/simd_level.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

class EachSimdLevel : public ::testing::TestWithParam<TSimdLevel>
{
  protected:
    void SetUp() override { ASSERT_TRUE(setSimdLevel(GetParam())); }
    void TearDown() override { setSimdLevel(was); }

  private:
    TSimdLevel was = simdLevel();
};

inline void PrintTo(TSimdLevel level, std::ostream *os)
{
    *os << (level == TSimdLevel::avx2 ? "avx2" : "sse2");
}

inline std::string simdLevelName(const ::testing::TestParamInfo<TSimdLevel> &info)
{
    return info.param == TSimdLevel::avx2 ? "avx2" : "sse2";
}

// Instantiates the TEST_P tests of fixture for every supported level (named sse2, avx2).
#define INSTANTIATE_EACH_SIMD_LEVEL(fixture)                                                       \
    INSTANTIATE_TEST_SUITE_P(Simd, fixture, ::testing::ValuesIn(supportedSimdLevels()),            \
                             simdLevelName)
