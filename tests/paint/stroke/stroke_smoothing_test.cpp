#include "paint/stroke/stroke_smoothing.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Expected
{
    float x, y, p;
};

void expectSample(const SStrokeData &got, const Expected &want)
{
    EXPECT_FLOAT_EQ(got.x, want.x);
    EXPECT_FLOAT_EQ(got.y, want.y);
    EXPECT_FLOAT_EQ(got.p, want.p);
}

// The smoothed output after each added sample.
std::vector<SStrokeData> smoothAll(int32_t level, const SStrokeData &first,
                                   const std::vector<SStrokeData> &samples)
{
    CSmoother s(level);
    EXPECT_TRUE(s.start(first));
    std::vector<SStrokeData> out;
    for (const SStrokeData &sd : samples) {
        EXPECT_TRUE(s.add(sd));
        out.push_back(s.getSmoothData());
    }
    return out;
}

} // namespace

TEST(StrokeSmoother, LevelZeroPassesSamplesThrough)
{
    const std::vector<SStrokeData> in = {{3, 4, 0.5f}, {7.25f, -1, 0.75f}, {100, 200, 1}};
    const std::vector<SStrokeData> out = smoothAll(0, {0, 0, 0.1f}, in);
    ASSERT_EQ(out.size(), in.size());
    for (size_t i = 0; i < in.size(); ++i) {
        expectSample(out[i], {in[i].x, in[i].y, in[i].p});
    }
}

// Level 1: each output is the mean of the newest raw sample and the previous smoothed one, one
// sample behind the input, with the pressure of the sample it stands for.
TEST(StrokeSmoother, LevelOneAveragesAndDelaysBySample)
{
    const std::vector<SStrokeData> out =
        smoothAll(1, {0, 0, 0.1f}, {{4, 2, 0.2f}, {8, 4, 0.3f}, {12, 6, 0.4f}});
    ASSERT_EQ(out.size(), 3u);
    expectSample(out[0], {2, 1, 0.1f});
    expectSample(out[1], {5, 2.5f, 0.2f});
    expectSample(out[2], {8.5f, 4.25f, 0.3f});
}

// Level 2: the first window sums four entries (the start sample three times and the new one);
// later ones carry the sums of the two newest raw and the two older smoothed entries.
TEST(StrokeSmoother, LevelTwoCarriesTheWindowSums)
{
    const std::vector<SStrokeData> out =
        smoothAll(2, {0, 0, 0.5f}, {{8, 0, 0.6f}, {16, 0, 0.7f}, {24, 0, 0.8f}, {32, 0, 0.9f}});
    ASSERT_EQ(out.size(), 4u);
    // Window after each add (newest first): the centre is entry 2.
    expectSample(out[0], {2, 0, 0.5f});         // (8 + 0 + 0 + 0) / 4
    expectSample(out[1], {6.5f, 0, 0.5f});      // (16 + 8 + 2 + 0) / 4
    expectSample(out[2], {12.125f, 0, 0.6f});   // (24 + 16 + 6.5 + 2) / 4
    expectSample(out[3], {18.65625f, 0, 0.7f}); // (32 + 24 + 12.125 + 6.5) / 4
}

// The repeated end samples of a lifted pen let the delayed samples out; the last one carries
// the lifted pen's pressure 0.
TEST(StrokeSmoother, RepeatedEndSamplesRunTheWindowOut)
{
    for (int32_t level : {1, 2, 3}) {
        SCOPED_TRACE(level);
        CSmoother s(level);
        ASSERT_TRUE(s.start({0, 0, 1}));
        for (int i = 1; i <= 6; ++i) {
            s.add({float(10 * i), 0, 1});
        }
        std::vector<float> pressures;
        for (int32_t i = 0; i <= level; ++i) {
            s.add({60, 0, 0});
            pressures.push_back(s.getSmoothData().p);
        }
        // Only the output of the last repetition stands for a lifted-pen sample.
        for (int32_t i = 0; i < level; ++i) {
            EXPECT_EQ(pressures[size_t(i)], 1.0f);
        }
        EXPECT_EQ(pressures.back(), 0.0f);
        expectSample(s.getLastData(), {60, 0, 0});
    }
}

TEST(StrokeSmoother, UnstartedOrRefusedWindowIgnoresSamples)
{
    CSmoother s(1);
    EXPECT_FALSE(s.isUsable());
    EXPECT_FALSE(s.add({1, 2, 3}));
    s.setSampleCount(-1);
    EXPECT_FALSE(s.start({0, 0, 0}));
    EXPECT_FALSE(s.isUsable());
    s.setSampleCount(CSmoother::kMaxSampleCount + 1);
    EXPECT_FALSE(s.start({0, 0, 0}));
    EXPECT_FALSE(s.add({1, 2, 3}));
    s.setSampleCount(2);
    EXPECT_TRUE(s.start({5, 5, 0}));
    EXPECT_TRUE(s.add({9, 5, 1}));
}

// From the centre through the midpoints of the older pairs to the oldest entry.
TEST(StrokeSmoother, LastDistanceCutsTheOlderCorners)
{
    CSmoother one(1);
    ASSERT_TRUE(one.start({0, 0, 0}));
    one.add({10, 0, 0});
    EXPECT_FLOAT_EQ(one.getLastDistance(), 5); // window 10, 5, 0: centre -> oldest

    CSmoother two(2);
    ASSERT_TRUE(two.start({0, 0, 0}));
    for (float x : {8.0f, 16.0f, 24.0f}) {
        two.add({x, 0, 0});
    }
    // Window 24, 16, 12.125, 6.5, 2: 12.125 -> (6.5 + 2) / 2 -> 2.
    EXPECT_FLOAT_EQ(two.getLastDistance(), 10.125f);
}

TEST(StrokeInterpolater, LinearGivesThePreviousAndNewestSample)
{
    CInterpolater ip(eInterpolateType::iptLinear);
    EXPECT_TRUE(ip.getInterpolatePoints().empty());
    ip.start({1, 2, 0.5f});
    ip.add({4, 6, 0.75f});
    const auto pts = ip.getInterpolatePoints();
    ASSERT_EQ(pts.size(), 2u);
    expectSample(pts[0], {1, 2, 0.5f});
    expectSample(pts[1], {4, 6, 0.75f});
}

TEST(StrokeInterpolater, BSplineWaitsForFourSamples)
{
    CInterpolater ip(eInterpolateType::iptBSpline);
    ip.start({0, 0, 1});
    EXPECT_TRUE(ip.getInterpolatePoints().empty());
    ip.add({10, 0, 1});
    EXPECT_TRUE(ip.getInterpolatePoints().empty());
    ip.add({20, 5, 1});
    EXPECT_TRUE(ip.getInterpolatePoints().empty());
    ip.add({30, 0, 1});
    EXPECT_FALSE(ip.getInterpolatePoints().empty());
    ip.reset();
    EXPECT_TRUE(ip.getInterpolatePoints().empty());
    ip.add({40, 0, 1}); // ignored until the next start
    EXPECT_EQ(ip.getDataCount(), 0);
}

// Control points 0, 0, 0, (60, 0): x(t) = 10 t^3 along a straight line. The middle of [0, 1] lies
// 3.75 px from the chord's middle, so it is split; [0.5, 1] is split again at 0.75; the other
// halves stay within half a pixel. The pressure runs linearly from entry 1 to entry 0.
TEST(StrokeInterpolater, BSplineSubdividesWhereTheSpanBends)
{
    CInterpolater ip(eInterpolateType::iptBSpline);
    ip.start({0, 0, 0.2f});
    ip.add({0, 0, 0.2f});
    ip.add({0, 0, 0.2f});
    ip.add({60, 0, 1.0f});
    const auto pts = ip.getInterpolatePoints();
    ASSERT_EQ(pts.size(), 4u);
    expectSample(pts[0], {0, 0, 0.2f});
    expectSample(pts[1], {1.25f, 0, 0.6f});
    expectSample(pts[2], {4.21875f, 0, 0.8f});
    expectSample(pts[3], {10, 0, 1.0f});
}

TEST(StrokeInterpolater, BSplineEndsAreTheWeightedControlPoints)
{
    CInterpolater ip(eInterpolateType::iptBSpline);
    ip.start({0, 0, 0});
    ip.add({6, 0, 0.25f});
    ip.add({6, 6, 0.5f});
    ip.add({12, 6, 1});
    const auto pts = ip.getInterpolatePoints();
    ASSERT_GE(pts.size(), 2u);
    // t = 0: (P3 + 4 P2 + P1) / 6; t = 1: (P2 + 4 P1 + P0) / 6.
    expectSample(pts.front(), {5, 1, 0.5f});
    expectSample(pts.back(), {7, 5, 1});
}

// A span far larger than a pixel is split down to the finest step, 1/32: 33 points, each the
// curve at k / 32.
TEST(StrokeInterpolater, FinestStepIsOneThirtySecond)
{
    CInterpolater ip(eInterpolateType::iptBSpline);
    ip.start({0, 0, 1});
    ip.add({100000, 0, 1});
    ip.add({100000, 100000, 1});
    ip.add({0, 100000, 1});
    const std::vector<SStrokeData> pts(ip.getInterpolatePoints().begin(),
                                       ip.getInterpolatePoints().end());
    ASSERT_EQ(pts.size(), 33u);
    for (int k = 0; k <= 32; ++k) {
        const SStrokeData want = ip.evalBSpline(float(k) / 32);
        EXPECT_EQ(pts[size_t(k)].x, want.x) << k;
        EXPECT_EQ(pts[size_t(k)].y, want.y) << k;
    }
}

TEST(StrokeInterpolater, StraightEvenSpanYieldsItsTwoEnds)
{
    CInterpolater ip(eInterpolateType::iptBSpline);
    ip.start({0, 0, 1});
    ip.add({100, 100, 1});
    ip.add({200, 200, 1});
    ip.add({300, 300, 1});
    EXPECT_EQ(ip.getInterpolatePoints().size(), 2u);
}
