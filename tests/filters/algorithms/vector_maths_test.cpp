// The plane and space vectors and the rotation matrix of the second generation.
#include "filters/algorithms/vector_maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

TEST(VectorMaths, PlaneRotationTurnsCounterClockwiseInItsAxes)
{
    TVector2 v(1, 0);
    v.Rotate(float(kPi / 2));
    EXPECT_NEAR(v.x, 0, 1e-7);
    EXPECT_NEAR(v.y, 1, 1e-7);
    TVector2 w(0, 1); // x' = x cos - y sin
    w.Rotate(float(kPi / 2));
    EXPECT_NEAR(w.x, -1, 1e-7);
    EXPECT_NEAR(w.y, 0, 1e-7);
    w.Mul(3);
    EXPECT_NEAR(w.Size(), 3, 1e-6);
}

// Down (0, 0, -1) tilted by phi around Y, then turned by theta around Z: the light's axis.
TEST(VectorMaths, RotationsGiveTheTiltedAxis)
{
    for (const double phi : {0.0, 0.3, 1.2})
        for (const double theta : {0.0, 0.7, -2.0}) {
            TVector3 v(0, 0, -1);
            v.RotateArroundY(phi);
            v.RotateArroundZ(theta);
            EXPECT_NEAR(v.x, std::cos(theta) * std::sin(phi), 1e-6);
            EXPECT_NEAR(v.y, std::sin(theta) * std::sin(phi), 1e-6);
            EXPECT_NEAR(v.z, -std::cos(phi), 1e-6);
        }
    TVector3 x(0, 1, 0);
    x.RotateArroundX(kPi / 2);
    EXPECT_NEAR(x.y, 0, 1e-7);
    EXPECT_NEAR(x.z, -1, 1e-7);
}

TEST(VectorMaths, SizesDistancesAndProducts)
{
    TVector3 v(3, 4, 12);
    EXPECT_FLOAT_EQ(v.Size(), 13);
    v.SetSize(26);
    EXPECT_FLOAT_EQ(v.z, 24);
    v.SetSize(-13);
    EXPECT_FLOAT_EQ(v.x, -3);
    TVector3 zero;
    zero.SetSize(5);
    EXPECT_EQ(zero.Size(), 0);
    EXPECT_EQ(zero.Distance(zero), 0);
    EXPECT_DOUBLE_EQ(TVector3(1, 2, 3).DotProduct(TVector3(4, -5, 6)), 12);
    EXPECT_DOUBLE_EQ(TVector3(1, 1, 1).Distance(TVector3(4, 5, 1)), 5);
    TVector3 a(5, 5, 5);
    a.Sub(TVector3(1, 2, 3));
    EXPECT_EQ(a.x, 4);
    EXPECT_EQ(a.z, 2);
}

} // namespace
