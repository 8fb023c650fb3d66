#include "core/containers/rect_tracer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<sRect> stored(const SRectTracer &t)
{
    return std::vector<sRect>(t.rects.begin(), t.rects.begin() + t.cnt);
}

class Tracer100 : public ::testing::Test
{
  protected:
    void SetUp() override { rectTracerInit(t, {100, 100}); }
    SRectTracer t;
};

} // namespace

TEST_F(Tracer100, TouchingRectanglesMerge)
{
    EXPECT_TRUE(rectTracerAdd(t, {0, 0, 10, 10}));
    EXPECT_TRUE(rectTracerAdd(t, {10, 0, 20, 10}));
    EXPECT_EQ(stored(t), (std::vector<sRect>{{0, 0, 20, 10}}));
    // Corner contact counts as touching.
    EXPECT_TRUE(rectTracerAdd(t, {20, 10, 30, 20}));
    EXPECT_EQ(stored(t), (std::vector<sRect>{{0, 0, 30, 20}}));
}

TEST_F(Tracer100, RectanglesAreClippedAndEmptyOnesRefused)
{
    EXPECT_TRUE(rectTracerAdd(t, {90, -5, 120, 5}));
    EXPECT_EQ(stored(t), (std::vector<sRect>{{90, 0, 100, 5}}));
    EXPECT_FALSE(rectTracerAdd(t, {100, 0, 110, 10}));
    EXPECT_FALSE(rectTracerAdd(t, {-20, -20, -10, -10}));
    EXPECT_FALSE(rectTracerAdd(t, {5, 5, 5, 9}));
    EXPECT_EQ(t.cnt, 1);
}

TEST_F(Tracer100, AFifthFarRectangleJoinsItsNearest)
{
    rectTracerAdd(t, {0, 0, 5, 5});
    rectTracerAdd(t, {50, 0, 55, 5});
    rectTracerAdd(t, {0, 50, 5, 55});
    rectTracerAdd(t, {90, 90, 95, 95});
    ASSERT_EQ(t.cnt, 4);
    EXPECT_TRUE(rectTracerAdd(t, {60, 10, 62, 12}));
    EXPECT_EQ(stored(t), (std::vector<sRect>{
                             {0, 0, 5, 5}, {50, 0, 62, 12}, {0, 50, 5, 55}, {90, 90, 95, 95}}));
}

TEST_F(Tracer100, EqualGapsGoToTheSmallerRectangleAndThenTheFirst)
{
    rectTracerAdd(t, {0, 0, 10, 10});   // area 100
    rectTracerAdd(t, {30, 0, 32, 2});   // area 4
    rectTracerAdd(t, {30, 40, 32, 42}); // far
    rectTracerAdd(t, {80, 80, 90, 90}); // far
    ASSERT_EQ(t.cnt, 4);
    EXPECT_TRUE(rectTracerAdd(t, {19, 0, 21, 2})); // gap 9 to both of the first two
    EXPECT_EQ(t.rects[0], (sRect{0, 0, 10, 10}));
    EXPECT_EQ(t.rects[1], (sRect{19, 0, 32, 2}));

    SRectTracer tie;
    rectTracerInit(tie, {100, 100});
    rectTracerAdd(tie, {0, 0, 2, 2});
    rectTracerAdd(tie, {20, 0, 22, 2});
    rectTracerAdd(tie, {50, 50, 52, 52});
    rectTracerAdd(tie, {80, 80, 82, 82});
    EXPECT_TRUE(rectTracerAdd(tie, {10, 0, 12, 2})); // gap 8 to both, equal areas
    EXPECT_EQ(tie.rects[0], (sRect{0, 0, 12, 2}));
    EXPECT_EQ(tie.rects[1], (sRect{20, 0, 22, 2}));
}

TEST_F(Tracer100, AGrownRectangleSwallowsTheOnesItNowTouches)
{
    rectTracerAdd(t, {0, 0, 10, 10});
    rectTracerAdd(t, {40, 0, 50, 10});
    rectTracerAdd(t, {80, 0, 90, 10});
    ASSERT_EQ(t.cnt, 3);
    // Touches the first; the union reaches the second, whose union reaches the third.
    EXPECT_TRUE(rectTracerAdd(t, {5, 0, 45, 5}));
    EXPECT_EQ(stored(t), (std::vector<sRect>{{0, 0, 50, 10}, {80, 0, 90, 10}}));
    EXPECT_TRUE(rectTracerAdd(t, {50, 5, 80, 6}));
    EXPECT_EQ(stored(t), (std::vector<sRect>{{0, 0, 90, 10}}));

    rectTracerClear(t);
    EXPECT_EQ(t.cnt, 0);
    EXPECT_EQ(t.allSize, (sSize{0, 0}));
}
