#include "paint/fill/ellipse_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>

namespace {

// The crossings list grouped by row: row -> x values, left first.
std::map<int, std::vector<float>> crossingRows(const sFPos &a, const sFPos &b, const sFPos &c)
{
    std::vector<sFPos> pts;
    int32_t n = -1;
    EXPECT_TRUE(makeEllipsePolygon(pts, a, b, c, n, false));
    EXPECT_EQ(n, int32_t(pts.size()));
    std::map<int, std::vector<float>> rows;
    for (const sFPos &p : pts)
        rows[int(p.y)].push_back(p.x);
    return rows;
}

} // namespace

TEST(EllipseGeometry, CircleCrossesEveryRowOfItsExtent)
{
    SRotEllipse re;
    ASSERT_TRUE(rotEllipseInit(re, {10, 20}, {30, 20}, {20, 10}));
    EXPECT_EQ(re.o1, (sFPos{20, 20}));
    EXPECT_EQ(re.det, 100.0f);
    EXPECT_EQ(re.k1, 10.0f);
    EXPECT_EQ(re.rngFY, (sFRange{10, 30}));
    EXPECT_EQ(re.rngY, (sRange{10, 30}));
    EXPECT_EQ(re.L, 100.0f);
    EXPECT_EQ(re.M, 0.0f);
    EXPECT_EQ(re.P, 1e6f);
    EXPECT_EQ(re.Q, 1e4f);

    const auto rows = crossingRows({10, 20}, {30, 20}, {20, 10});
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows.at(10), (std::vector<float>{20})); // the top is a single point
    EXPECT_EQ(rows.at(30), (std::vector<float>{20}));
    EXPECT_EQ(rows.at(20), (std::vector<float>{10, 30}));
    EXPECT_EQ(rows.at(26), (std::vector<float>{12, 28})); // 6, 8, 10
    EXPECT_EQ(rows.at(14), (std::vector<float>{12, 28}));
    int points = 0;
    for (const auto &[y, xs] : rows)
        points += int(xs.size());
    EXPECT_EQ(points, 40);
}

TEST(EllipseGeometry, WideEllipseTakesItsHeightFromTheThirdPoint)
{
    // Half-axes 10 and 5; the third point is the top. Rows 3 and 4 from the centre cross at
    // 10 * sqrt(1 - 9/25) = 8 and 10 * sqrt(1 - 16/25) = 6.
    const auto rows = crossingRows({0, 0}, {20, 0}, {10, -5});
    ASSERT_EQ(rows.size(), 11u);
    EXPECT_EQ(rows.at(-5), (std::vector<float>{10}));
    EXPECT_EQ(rows.at(3), (std::vector<float>{2, 18}));
    EXPECT_EQ(rows.at(-4), (std::vector<float>{4, 16}));

    // A third point off the vertical axis still lies on the ellipse, whose axis stays a-b.
    const auto through = crossingRows({0, 0}, {20, 0}, {16, -4});
    EXPECT_NEAR(through.at(-4).at(1), 16, 1e-4);
    EXPECT_NEAR(through.at(-4).at(0), 4, 1e-4);
    EXPECT_NEAR(through.at(0).at(0), 0, 1e-4);
}

TEST(EllipseGeometry, TiltedEllipsesPassThroughTheirPointsAboutTheCentre)
{
    // The diameter from (0, 0) to (8, 6) is the major axis (half 5) of an ellipse of half-minor
    // axis 3; both third points lie on that ellipse.
    const sFPos o{4, 3}, u{0.8f, 0.6f}, v{-0.6f, 0.8f};
    auto at = [&](double t) {
        return sFPos{float(o.x + 5 * std::cos(t) * u.x + 3 * std::sin(t) * v.x),
                     float(o.y + 5 * std::cos(t) * u.y + 3 * std::sin(t) * v.y)};
    };
    for (double t : {std::numbers::pi / 2, std::numbers::pi / 3, 2.5}) {
        SCOPED_TRACE(t);
        const auto rows = crossingRows({0, 0}, {8, 6}, at(t));
        ASSERT_FALSE(rows.empty());
        for (const auto &[y, xs] : rows) {
            for (float x : xs) {
                const double dx = x - o.x, dy = y - o.y;
                const double p = (dx * u.x + dy * u.y) / 5, q = (dx * v.x + dy * v.y) / 3;
                EXPECT_NEAR(p * p + q * q, 1.0, 2e-4) << x << "," << y;
            }
        }
    }

    // A third point farther out than the diameter's ends: the curve still runs through all three
    // points and is symmetric about the centre.
    SRotEllipse re;
    ASSERT_TRUE(rotEllipseInit(re, {-5, 0}, {5, 0}, {3, -8}));
    float l = 0, r = 0;
    ASSERT_EQ(rotEllipseCrossings(re, 0, l, r), 2);
    EXPECT_NEAR(l, -5, 1e-4);
    EXPECT_NEAR(r, 5, 1e-4);
    ASSERT_EQ(rotEllipseCrossings(re, -8, l, r), 2);
    EXPECT_NEAR(r, 3, 1e-4);
    for (int32_t d = 1; d <= 8; ++d) {
        float l2 = 0, r2 = 0;
        ASSERT_EQ(rotEllipseCrossings(re, d, l, r), rotEllipseCrossings(re, -d, l2, r2));
        EXPECT_NEAR(l, -r2, 1e-3);
        EXPECT_NEAR(r, -l2, 1e-3);
    }
}

TEST(EllipseGeometry, DegeneratePointsGiveNoEllipse)
{
    struct Case
    {
        sFPos a, b, c;
    } const cases[] = {
        {{0, 0}, {10, 0}, {4, 0}}, // c on the line through a and b
        {{0, 0}, {10, 10}, {20, 20}},
        {{5, 5}, {5, 5}, {5, 0}},  // a and b coincide
        {{0, 0}, {10, 0}, {5, 0}}, // c at the centre
    };
    for (const Case &c : cases) {
        SRotEllipse re;
        EXPECT_FALSE(rotEllipseInit(re, c.a, c.b, c.c));
        EXPECT_FALSE(re.enable);
        std::vector<sFPos> pts{{1, 1}};
        int32_t n = 7;
        EXPECT_FALSE(makeEllipsePolygon(pts, c.a, c.b, c.c, n, true));
        EXPECT_EQ(n, 0);
        EXPECT_TRUE(pts.empty());
    }
}

TEST(EllipseGeometry, OutlineOfACircleHasSixteenCorners)
{
    // Radius 10: halving the quarter twice leaves chords of pi/8, whose middle strays
    // 10 (1 - cos(pi/16)) = 0.19 pixel from the arc, under the quarter pixel.
    std::vector<sFPos> pts;
    int32_t n = 0;
    ASSERT_TRUE(makeEllipsePolygon(pts, {10, 20}, {30, 20}, {20, 10}, n, true));
    ASSERT_EQ(n, 16);
    for (int32_t k = 0; k < 16; ++k) {
        const double angle = k * std::numbers::pi / 8;
        EXPECT_NEAR(pts[k].x, 20 + 10 * std::cos(angle), 1e-4) << k;
        EXPECT_NEAR(pts[k].y, 20 - 10 * std::sin(angle), 1e-4) << k; // from the right, upwards
    }
}

TEST(EllipseGeometry, OutlineOfAnEllipseStaysOnItAndSymmetric)
{
    struct Case
    {
        float rx, ry;
        int32_t corners;
    } const cases[] = {{10, 5, 16}, {40, 10, 28}, {2, 1, 8}, {300, 200, 116}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.rx << " x " << c.ry);
        std::vector<sFPos> pts;
        int32_t n = 0;
        ASSERT_TRUE(makeEllipsePolygon(pts, {-c.rx, 0}, {c.rx, 0}, {0, -c.ry}, n, true));
        EXPECT_EQ(n, c.corners);
        ASSERT_EQ(n % 4, 0);
        for (int32_t k = 0; k < n; ++k) {
            const double p = pts[k].x / c.rx, q = pts[k].y / c.ry;
            EXPECT_NEAR(p * p + q * q, 1.0, 1e-4) << k;
            // Each point has its mirror image half-way round.
            EXPECT_NEAR(pts[(k + n / 2) % n].x, -pts[k].x, 1e-4) << k;
            EXPECT_NEAR(pts[(k + n / 2) % n].y, -pts[k].y, 1e-4) << k;
        }
    }
}
