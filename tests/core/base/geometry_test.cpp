#include "core/base/geometry.h"

#include <gtest/gtest.h>

#include <ostream>

static std::ostream &operator<<(std::ostream &os, const sRect &r)
{
    return os << "(" << r.x0 << ", " << r.y0 << ", " << r.x1 << ", " << r.y1 << ")";
}
static std::ostream &operator<<(std::ostream &os, const sBox &b)
{
    return os << "(" << b.x << ", " << b.y << ", " << b.w << ", " << b.h << ")";
}

TEST(Geometry, BoxNormalizeMovesTheOriginOfNegativeSizes)
{
    sBox b{10, 10, -4, -6};
    boxNormalize(b);
    EXPECT_EQ(b, (sBox{6, 4, 4, 6}));

    boxFromPoints(b, {5, 5}, {2, 9});
    EXPECT_EQ(b, (sBox{2, 5, 3, 4}));
}

TEST(Geometry, RectIntersectNeedsAPositiveOverlap)
{
    struct Case
    {
        sRect a, b;
        bool result;
        sRect expected; // checked only when the result is true
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, true, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, true, {2, 3, 4, 5}},
        {{2, 3, 4, 5}, {0, 0, 10, 10}, true, {2, 3, 4, 5}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false, {}}, // touching edges
        {{0, 0, 10, 10}, {0, 10, 10, 20}, false, {}},
        {{0, 0, 10, 10}, {30, 30, 40, 40}, false, {}},
        {{30, 30, 40, 40}, {0, 0, 10, 10}, false, {}},
        {{0, 0, 10, 10}, {4, 0, 4, 10}, false, {}}, // zero width
    };
    for (const Case &c : cases) {
        sRect r = c.a;
        EXPECT_EQ(rectIntersect(r, c.b), c.result) << c.a << " with " << c.b;
        if (c.result) {
            EXPECT_EQ(r, c.expected) << c.a << " with " << c.b;
        }
    }

    sFRect f{0, 0, 10, 10};
    EXPECT_FALSE(fRectIntersect(f, {10, 0, 20, 10}));
    f = {0, 0, 10, 10};
    EXPECT_TRUE(fRectIntersect(f, {2.5f, -1, 12, 3}));
    EXPECT_EQ(f, (sFRect{2.5f, 0, 10, 3}));
}

TEST(Geometry, BoxClipsWriteTheRectangleBackAsABox)
{
    sBox b{-5, 2, 10, 20};
    EXPECT_TRUE(boxClipToSize(b, {8, 8}));
    EXPECT_EQ(b, (sBox{0, 2, 5, 6}));
    b = {0, 0, 4, 4};
    EXPECT_FALSE(boxIntersect(b, {4, 0, 4, 4}));
    b = {0, 0, 4, 4};
    EXPECT_TRUE(boxIntersect(b, {3, 1, 4, 4}));
    EXPECT_EQ(b, (sBox{3, 1, 1, 3}));
}

TEST(Geometry, RectAddPointGrowsToContainThePixel)
{
    sRect r{0, 0, 10, 10};
    rectAddPoint(r, 10, 3);
    EXPECT_EQ(r, (sRect{0, 0, 11, 10}));
    r = {0, 0, 10, 10};
    rectAddPoint(r, -2, 3);
    EXPECT_EQ(r, (sRect{-2, 0, 10, 10}));

    r = {0, 0, 10, 10};
    rectAddRect(r, {5, -3, 15, 4});
    EXPECT_EQ(r, (sRect{0, -3, 15, 10}));

    sBox b{0, 0, 2, 2};
    boxUnion(b, {5, 6, 3, 1});
    EXPECT_EQ(b, (sBox{0, 0, 8, 7}));

    r = {0, 0, 2, 2};
    rectUnion(r, {-1, 1, 1, 5});
    EXPECT_EQ(r, (sRect{-1, 0, 2, 5}));
}

TEST(Geometry, PointTestsUseUnsignedCompares)
{
    EXPECT_FALSE(ptInSize(-1, 0, 10, 10));
    EXPECT_TRUE(ptInSize(9, 9, 10, 10));
    EXPECT_FALSE(ptInSize(10, 0, 10, 10));
    EXPECT_FALSE(ptInSize(0, 0, 0, 0));
    EXPECT_TRUE(ptInSizeIncl(10, 10, 10, 10));
    EXPECT_FALSE(ptInSizeIncl(-1, 0, 10, 10));

    EXPECT_TRUE(rectContainsPoint({0, 0, 10, 10}, {0, 9}));
    EXPECT_FALSE(rectContainsPoint({0, 0, 10, 10}, {10, 0}));
    EXPECT_TRUE(boxContainsPoint({5, 5, 2, 2}, {6, 6}));
    EXPECT_FALSE(boxContainsPoint({5, 5, 2, 2}, {7, 6}));
    EXPECT_TRUE(boxInsideSize({2, 2, 8, 8}, {10, 10}));
    EXPECT_FALSE(boxInsideSize({3, 2, 8, 8}, {10, 10}));
}

// Coordinates are 32-bit Integers whose sums wrap; near the top of the range the far edge of a box
// wraps to a negative value and every test against it follows.
TEST(Geometry, EdgesWrapAtTheTopOfTheIntegerRange)
{
    constexpr int32_t top = 2147483642;
    EXPECT_FALSE(boxContainsPoint({top, 0, 10, 10}, {2147483646, 0}));
    EXPECT_EQ(boxToRect({top, 0, 10, 10}), (sRect{top, 0, -2147483644, 10}));
    EXPECT_EQ(rectFromPosSize({top, top}, {10, 6}), (sRect{top, top, -2147483644, -2147483648}));
    EXPECT_EQ(rectToBox({-2147483644, 0, top, 1}), (sBox{-2147483644, 0, -10, 1}));
    EXPECT_EQ(rectSize({-2147483644, 0, top, 1}), (sSize{-10, 1}));

    sRect r{0, 0, 10, 10};
    rectOffset(r, 2147483647, 0);
    EXPECT_EQ(r, (sRect{2147483647, 0, -2147483639, 10}));
    r = {top, 0, 2147483647, 1};
    rectInflate(r, 3);
    EXPECT_EQ(r, (sRect{2147483639, -3, -2147483646, 4}));
    r = {0, 0, 1, 1};
    rectAddPoint(r, 2147483647, 0);
    EXPECT_EQ(r.x1, -2147483647 - 1);

    sBox b{top, 0, 10, 10};
    boxDeflate(b, -3);
    EXPECT_EQ(b, (sBox{2147483639, -3, 16, 16}));
    b = {-2147483647 - 1, 0, -1, 1};
    boxNormalize(b);
    EXPECT_EQ(b, (sBox{2147483647, 0, 1, 1}));
    EXPECT_EQ(tRectToBox(boxToTRect({top, 0, 10, 10})), (sBox{top, 0, 10, 10}));
}

TEST(Geometry, ClampsToBoxesAndSizes)
{
    sPos p{-3, 50};
    posClampToSize(p, {10, 20});
    EXPECT_EQ(p, (sPos{0, 19}));
    p = {-3, 50};
    posClampToSizeIncl(p, {10, 20});
    EXPECT_EQ(p, (sPos{0, 20}));
    p = {7, 7};
    posClampToBox(p, {2, 3, 0, -1}); // empty box: its origin
    EXPECT_EQ(p, (sPos{2, 3}));

    // The container's last free column is cx + cw - w - 1: one short of flush.
    sBox b{95, -5, 10, 10};
    EXPECT_TRUE(boxMoveInside(b, {0, 0, 100, 50}));
    EXPECT_EQ(b, (sBox{89, 0, 10, 10}));
    b = {95, -5, 100, 10};
    EXPECT_TRUE(boxMoveInside(b, {0, 0, 100, 50}));
    EXPECT_EQ(b, (sBox{0, 0, 100, 10}));
    b = {3, 3, 101, 10};
    EXPECT_FALSE(boxMoveInside(b, {0, 0, 100, 50}));
    EXPECT_EQ(b, (sBox{3, 3, 101, 10}));
}

TEST(Geometry, RectSubtractListsTheBandsInOrder)
{
    std::array<sRect, 4> out{};
    const sRect outer{0, 0, 10, 10};
    EXPECT_EQ(rectSubtract(outer, outer, out), 0);

    ASSERT_EQ(rectSubtract(outer, {2, 3, 6, 7}, out), 4);
    EXPECT_EQ(out[0], (sRect{0, 0, 10, 3}));  // top band
    EXPECT_EQ(out[1], (sRect{0, 3, 2, 7}));   // left
    EXPECT_EQ(out[2], (sRect{6, 3, 10, 7}));  // right
    EXPECT_EQ(out[3], (sRect{0, 7, 10, 10})); // bottom band

    ASSERT_EQ(rectSubtract(outer, {0, 0, 4, 10}, out), 1);
    EXPECT_EQ(out[0], (sRect{4, 0, 10, 10}));

    // A hole reaching past the outer rectangle never yields pieces outside it.
    ASSERT_EQ(rectSubtract(outer, {-5, 8, 4, 20}, out), 2);
    EXPECT_EQ(out[0], (sRect{0, 0, 10, 8}));
    EXPECT_EQ(out[1], (sRect{4, 8, 10, 10}));
    ASSERT_EQ(rectSubtract(outer, {20, 20, 30, 30}, out), 1);
    EXPECT_EQ(out[0], outer);
}

TEST(Geometry, RectGapIsZeroForTouchingRectangles)
{
    EXPECT_EQ(rectGapSq({0, 0, 10, 10}, {10, 0, 20, 10}), 0);  // shared edge
    EXPECT_EQ(rectGapSq({0, 0, 10, 10}, {10, 10, 20, 20}), 0); // shared corner
    EXPECT_EQ(rectGapSq({0, 0, 10, 10}, {5, 5, 6, 6}), 0);
    EXPECT_EQ(rectGapSq({0, 0, 10, 10}, {13, 14, 20, 20}), 9 + 16);
    EXPECT_EQ(rectGapSq({13, 14, 20, 20}, {0, 0, 10, 10}), 9 + 16);
    EXPECT_EQ(rectArea({-2, 0, 3, 4}), 20);
}

TEST(Geometry, BoxFitAspectCentresTheLargestFittingBox)
{
    struct Case
    {
        sSize outer, inner;
        sBox fit, centerOrFit;
    } cases[] = {
        {{10, 10}, {100, 1}, {0, 4, 10, 1}, {0, 4, 10, 1}}, // height raised to 1
        {{10, 10}, {1, 100}, {4, 0, 1, 10}, {4, 0, 1, 10}},
        {{40, 20}, {20, 10}, {0, 0, 40, 20}, {10, 5, 20, 10}}, // equal aspect
        {{10, 10}, {3, 2}, {0, 2, 10, 6}, {3, 4, 3, 2}},
        {{10, 10}, {0, 5}, {4, 0, 1, 10}, {5, 2, 0, 5}}, // zero width: raised to 1, centred
        {{10, 0}, {3, 5}, {0, 0, 10, 0}, {0, 0, 10, 0}},  // no outer ratio: the whole outer box
        {{10, 10}, {3, 0}, {0, 0, 10, 10}, {3, 5, 3, 0}}, // no inner ratio
        {{-10, 10}, {0, 5}, {0, 0, -10, 10}, {0, 0, -10, 10}}, // would divide by the zero width
    };
    for (const Case &c : cases) {
        sBox b;
        EXPECT_TRUE(boxFitAspect(b, c.outer, c.inner));
        EXPECT_EQ(b, c.fit) << c.inner.x << "x" << c.inner.y;
        EXPECT_TRUE(boxCenterOrFit(b, c.outer, c.inner));
        EXPECT_EQ(b, c.centerOrFit) << c.inner.x << "x" << c.inner.y;
    }
}

TEST(Geometry, FloatingPositionsBecomeIntegersByFloorPlusAHundredth)
{
    EXPECT_EQ(fPosToPos({2.995f, -0.995f}), (sPos{3, -1}));
    EXPECT_EQ(fPosToPos({1.98f, -1.0f}), (sPos{1, -1}));
    EXPECT_EQ(fxPosToFPos({0x18000, -0x4000}), (sFPos{1.5f, -0.25f}));

    EXPECT_EQ(fRectToRect({-0.5f, 0.2f, 3.1f, 4.0f}), (sRect{-1, 0, 4, 4}));
    EXPECT_EQ(fRectToBox({-0.5f, 0.2f, 3.1f, 4.0f}), (sBox{-1, 0, 5, 4}));
    sFRect f;
    fRectFromPoints(f, {5, 1}, {2, 3.5f});
    EXPECT_EQ(f, (sFRect{2, 1, 6, 4.5f}));
}

TEST(Geometry, ConversionsBetweenRectanglesBoxesAndPlatformRectangles)
{
    EXPECT_EQ(boxToRect({1, 2, 3, 4}), (sRect{1, 2, 4, 6}));
    EXPECT_EQ(rectToBox({1, 2, 4, 6}), (sBox{1, 2, 3, 4}));
    EXPECT_EQ(boxToTRect({1, 2, 3, 4}), QRect(1, 2, 3, 4));
    EXPECT_EQ(tRectToBox(QRect(QPoint(1, 2), QPoint(3, 5))), (sBox{1, 2, 3, 4}));
    EXPECT_EQ(tRectFromSize({7, 8}).right(), 6);
    EXPECT_EQ(rectFromPosSize({1, 1}, {2, 3}), (sRect{1, 1, 3, 4}));
    sRect r{0, 0, 10, 10};
    rectDeflate(r, 2);
    EXPECT_EQ(r, (sRect{2, 2, 8, 8}));
    rectInflate(r, 3);
    rectOffset(r, 1, -1);
    EXPECT_EQ(r, (sRect{0, -2, 12, 10}));
    sBox b{0, 0, 10, 10};
    boxDeflate(b, 2);
    EXPECT_EQ(b, (sBox{2, 2, 6, 6}));
}

TEST(Geometry, LengthsAndAspects)
{
    EXPECT_EQ(vecLength(3, 4), 5.0f);
    EXPECT_EQ(sizeAspect(3, 0), 32767.0f);
    EXPECT_EQ(sizeAspect(TFraction{1, 4}), 0.25f);
    EXPECT_EQ(sizeAspect(sSize{1, 3}), 1.0f / 3.0f);
}
