// Nib alpha maps: radius steps, map sizes and supersampling, the disc coverage rule, golden maps
// of round, flat and rotated nibs, exact maps of one dab and the image nibs of both generations.
#include "core/image/channel.h"
#include "paint/brush/grade_map.h"
#include "paint/brush/nib_maps.h"
#include "paint/presets/pen_presets.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kOne = 0x10000;

int32_t fx(double v)
{
    return int32_t(std::lrint(v * 65536));
}

// The alpha bytes a renderer reads for the pixels at whole-pixel offsets −n..n from the centre.
std::vector<int> sampleMap(const CPenShape &s, int n)
{
    std::vector<int> out;
    for (int y = -n; y <= n; ++y)
        for (int x = -n; x <= n; ++x)
            out.push_back(s.getValueCenter(x << 16, y << 16) >> 16);
    return out;
}

double coverageSum(const CPenShape &s)
{
    double sum = 0;
    for (int k = 0; k < s.areaAry.num; ++k)
        sum += s.areaAry.items<int32_t>()[k] / 65536.0;
    return sum / (s.rate * s.rate);
}

// A nib whose image is a white w × h tile with a black box inside.
std::unique_ptr<CPenShapeObj> imageNib(int w, int h, sBox black)
{
    auto ch = std::make_unique<TChannel>(w, h);
    ch->PixelFill(255);
    ch->fillBox(black, 0);
    auto obj = std::make_unique<CPenShapeObj>();
    obj->setData(nullptr, nullptr, nullptr);
    EXPECT_TRUE(obj->attachImage(std::move(ch), true));
    return obj;
}

struct NibMapsTest : ::testing::Test
{
    CGradeMapObj grade{2048};
    CPenShape shape{&grade};
};

} // namespace

TEST_F(NibMapsTest, RadiusSteps)
{
    const struct
    {
        double asked, built;
    } cases[] = {{3.1, 3.0},  {10.3, 10.0}, {0.01, 1.0 / 16}, {2.9, 2.875},
                 {5.3, 5.25}, {10.0, 10.0}, {0.2, 0.125},     {511.7, 511.5}};
    for (const auto &c : cases) {
        EXPECT_EQ(quantiseNibRadius(fx(c.asked)), fx(c.built)) << c.asked;
        ASSERT_TRUE(shape.buildRound(fx(c.asked))) << c.asked;
        EXPECT_EQ(shape.radius, fx(c.built)) << c.asked;
    }
    // The constructor's radius of 10 units is raised to 1/16 pixel.
    CPenShape fresh(&grade);
    EXPECT_TRUE(fresh.enable);
    EXPECT_EQ(fresh.radius, kOne / 16);
    // Above 512 pixels: refused, the maps left as they were.
    EXPECT_FALSE(shape.buildRound((512 << 16) + 1));
    EXPECT_FALSE(shape.buildEllipse((600 << 16), 50, 0));
    EXPECT_TRUE(shape.enable);
    EXPECT_EQ(shape.radius, fx(511.5));
}

TEST_F(NibMapsTest, MapSizesAndSupersampling)
{
    const struct
    {
        double r;
        int side, rate;
    } cases[] = {{2, 5, 5},   {30, 61, 1}, {3, 7, 4},   {0.5, 1, 2}, {1, 3, 3},
                 {10, 21, 2}, {24, 49, 1}, {12, 25, 2}, {25, 51, 1}, {0.25, 1, 2}};
    for (const auto &c : cases) {
        ASSERT_TRUE(shape.buildRound(fx(c.r))) << c.r;
        EXPECT_EQ(shape.isize, (sSize{c.side, c.side})) << c.r;
        EXPECT_EQ(shape.rate, c.rate) << c.r;
        EXPECT_EQ(shape.zsize, (sSize{c.side * c.rate, c.side * c.rate})) << c.r;
        EXPECT_EQ(shape.center.x, (c.side << 15)) << "centred in the map, r " << c.r;
    }
}

TEST_F(NibMapsTest, SameRoundNibIsBuiltOnce)
{
    ASSERT_TRUE(shape.buildRound(fx(4)));
    int32_t *cell = shape.dataAry.items<int32_t>();
    cell[0] = 12345;                        // a rebuild would overwrite it
    EXPECT_TRUE(shape.buildRound(fx(4.1))); // same step
    EXPECT_EQ(shape.dataAry.items<int32_t>()[0], 12345);
    EXPECT_TRUE(shape.switchAreaMap(true));
    EXPECT_FALSE(shape.enable);
    EXPECT_TRUE(shape.buildRound(fx(4)));
    EXPECT_NE(shape.dataAry.items<int32_t>()[0], 12345);
    EXPECT_FALSE(shape.switchAreaMap(true));
}

TEST(DiscCoverage, RimInsideOutsideAndCuts)
{
    const struct
    {
        double dx, dy, r, expected;
    } cases[] = {
        {20, 0, 20, 0.5},      // centre exactly on the rim
        {19.5, 0, 20, 1.0},    // half a pixel inside
        {20.5, 0, 20, 0.0},    // half a pixel outside
        {0, -20.25, 20, 0.25}, // a quarter of the cell inside, along an axis
        {14.142136, 14.142136, 20, 0.5},
        {3, 3, 3 * M_SQRT2 - 0.2071068, 0.25}, // a triangle at the near corner
        {3, 3, 3 * M_SQRT2 + 0.2071068, 0.75}, // the same cut from the other side
        {300, 400, 500, 0.5},                  // far cells are scaled down first
        {2, 1, 0.5, 0.0},
        {0.3, 0.2, 10, 1.0},
    };
    for (const auto &c : cases) {
        const int32_t dx = fx(c.dx), dy = fx(c.dy);
        const int32_t d = fx(std::hypot(c.dx, c.dy));
        EXPECT_NEAR(discCellCoverage(dx, dy, d, fx(c.r)) / 65536.0, c.expected, 2e-4)
            << c.dx << ", " << c.dy << " r " << c.r;
    }
}

TEST_F(NibMapsTest, GoldenMapsOfRoundFlatAndRotatedNibs)
{
    shape.switchAreaMap(true);
    // Round, radius 2, linear fall-off (rate 5: the samples sit on cell centres).
    ASSERT_TRUE(shape.buildRound(fx(2)));
    const std::vector<int> round = {
        0, 0, 0,   0,   0,   0, 0, //
        0, 0, 0,   0,   0,   0, 0, //
        0, 0, 73,  127, 73,  0, 0, //
        0, 0, 127, 255, 127, 0, 0, //
        0, 0, 73,  127, 73,  0, 0, //
        0, 0, 0,   0,   0,   0, 0, //
        0, 0, 0,   0,   0,   0, 0, //
    };
    EXPECT_EQ(sampleMap(shape, 3), round);
    // Radius 3, flat 50 %, angle 0 (rate 2: samples a quarter pixel right of and below each
    // offset, so the lower rows are fainter than the upper ones).
    ASSERT_TRUE(shape.buildEllipse(fx(3), 50, 0));
    const std::vector<int> flat = {
        0, 0,  0,   0,   0,   0,   0,  0, 0, //
        0, 0,  0,   0,   0,   0,   0,  0, 0, //
        0, 0,  0,   0,   0,   0,   0,  0, 0, //
        0, 0,  59,  112, 125, 89,  20, 0, 0, //
        0, 12, 100, 178, 207, 140, 59, 0, 0, //
        0, 0,  0,   29,  40,  12,  0,  0, 0, //
        0, 0,  0,   0,   0,   0,   0,  0, 0, //
        0, 0,  0,   0,   0,   0,   0,  0, 0, //
        0, 0,  0,   0,   0,   0,   0,  0, 0, //
    };
    EXPECT_EQ(sampleMap(shape, 4), flat);
    // The same nib turned by 30 degrees: the long axis rises to the right.
    ASSERT_TRUE(shape.buildEllipse(fx(3), 50, 30));
    const std::vector<int> rotated = {
        0, 0, 0,  0,   0,   0,   0,  0, 0, //
        0, 0, 0,  0,   0,   0,   0,  0, 0, //
        0, 0, 0,  0,   0,   26,  3,  0, 0, //
        0, 0, 0,  79,  152, 131, 40, 0, 0, //
        0, 0, 76, 183, 196, 90,  0,  0, 0, //
        0, 0, 69, 93,  46,  0,   0,  0, 0, //
        0, 0, 0,  0,   0,   0,   0,  0, 0, //
        0, 0, 0,  0,   0,   0,   0,  0, 0, //
        0, 0, 0,  0,   0,   0,   0,  0, 0, //
    };
    EXPECT_EQ(sampleMap(shape, 4), rotated);
}

TEST_F(NibMapsTest, QuarterTurnIsTheTranspose)
{
    shape.switchAreaMap(true);
    ASSERT_TRUE(shape.buildEllipse(fx(5), 40, 0));
    const std::vector<int> flat = sampleMap(shape, 7);
    ASSERT_TRUE(shape.buildEllipse(fx(5), 40, 90));
    const std::vector<int> turned = sampleMap(shape, 7);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 15; ++x)
            ASSERT_EQ(turned[y * 15 + x], flat[x * 15 + y]) << x << ", " << y;
}

TEST_F(NibMapsTest, CoverageSumsMatchTheArea)
{
    shape.switchAreaMap(true);
    for (double r : {1.0, 2.0, 3.5, 12.0, 40.0}) {
        ASSERT_TRUE(shape.buildRound(fx(r)));
        EXPECT_NEAR(coverageSum(shape), M_PI * r * r, 0.03 * M_PI * r * r + 0.3) << r;
    }
    for (int deg : {0, 30, 45, 100}) {
        ASSERT_TRUE(shape.buildEllipse(fx(8), 50, deg));
        EXPECT_NEAR(coverageSum(shape), M_PI * 8 * 4, 0.02 * M_PI * 32) << deg;
    }
}

TEST_F(NibMapsTest, AlphaIsFallOffTimesCoverage)
{
    ASSERT_TRUE(shape.buildRound(fx(30)));
    // Area map off (the default): every cell's alpha is the fall-off value alone.
    const int32_t *table = grade.getMapTable();
    const int32_t *dist = shape.shapeAry.items<int32_t>();
    const int32_t *data = shape.dataAry.items<int32_t>();
    for (int k = 0; k < shape.dataAry.num; ++k) {
        const int32_t want =
            dist[k] > 0xFFFF ? table[2047] : table[(2047 * int64_t(dist[k])) >> 16];
        ASSERT_EQ(data[k], want) << k;
    }
    // Radius map off: coverage × 255; grade map off: full strength on the whole disc (one
    // cell per pixel at this size, so the samples sit on cell centres).
    shape.switchAreaMap(true);
    shape.switchRadiusMap(false);
    ASSERT_TRUE(shape.buildRound(fx(30)));
    EXPECT_EQ(shape.getValueCenter(0, 0), 255 * kOne);
    EXPECT_EQ(shape.getValueCenter(fx(30), 0), 255 * kOne / 2);
    shape.switchRadiusMap(true);
    shape.switchGradeMap(false);
    ASSERT_TRUE(shape.buildRound(fx(30)));
    EXPECT_EQ(shape.getValueCenter(fx(15), 0), 0xFF0000);
    // A new fall-off reaches the maps through updateGradeMap.
    shape.switchGradeMap(true);
    ASSERT_TRUE(shape.buildRound(fx(30)));
    SGradeMapParam flat;
    flat.flatRate = 1000;
    grade.setParam(flat);
    ASSERT_TRUE(shape.updateGradeMap());
    EXPECT_EQ(shape.getValueCenter(fx(25), 0), 0xFF0000);
}

TEST_F(NibMapsTest, OutsideTheMapIsNothing)
{
    ASSERT_TRUE(shape.buildRound(fx(3)));
    EXPECT_EQ(shape.getValueCenter(fx(10), 0), 0);
    EXPECT_EQ(shape.getValueCenter(0, fx(-10)), 0);
    EXPECT_EQ(shape.getValueCenter(INT32_MAX / 2, INT32_MIN / 2), 0);
    EXPECT_GT(shape.getValueCenter(0, 0), 0);
    CPenShape empty(&grade);
    empty.switchAreaMap(true); // invalidated, not rebuilt
    EXPECT_EQ(empty.getValueCenter(0, 0), 0);
}

TEST_F(NibMapsTest, ExactMapsFollowTheDabPosition)
{
    shape.switchAreaMap(true);
    const int32_t x = fx(10.25), y = fx(7.5);
    ASSERT_TRUE(shape.makeCircleMap(x, y, fx(3), true));
    EXPECT_EQ(shape.rate, 1);
    // Pixel (i, j) reads the value of its own cell: dx from the pixel centre to the dab.
    auto at = [&](int i, int j) {
        return shape.getValueCenter((i << 16) - x + 0x8000, (j << 16) - y + 0x8000) >> 16;
    };
    EXPECT_GT(at(10, 7), at(9, 7));
    EXPECT_GT(at(10, 7), at(11, 7));
    EXPECT_EQ(at(10, 6), at(10, 8)); // the centre lies on row 7's middle
    EXPECT_EQ(at(14, 7), 0);
    EXPECT_EQ(at(6, 7), 0);
    // Rows whose middle misses the circle get nothing, so the sum is a little short.
    EXPECT_NEAR(coverageSum(shape), M_PI * 9, 0.1 * M_PI * 9);
    // By columns the picture is the same one turned, for a dab centred on a pixel.
    ASSERT_TRUE(shape.makeCircleMap(fx(20.5), fx(20.5), fx(4), true));
    std::vector<int> rows;
    for (int j = 14; j <= 26; ++j)
        for (int i = 14; i <= 26; ++i)
            rows.push_back(
                shape.getValueCenter((i << 16) - fx(20.5) + 0x8000, (j << 16) - fx(20.5) + 0x8000));
    ASSERT_TRUE(shape.makeCircleMap(fx(20.5), fx(20.5), fx(4), false));
    for (int j = 14; j <= 26; ++j)
        for (int i = 14; i <= 26; ++i)
            ASSERT_EQ(
                shape.getValueCenter((j << 16) - fx(20.5) + 0x8000, (i << 16) - fx(20.5) + 0x8000),
                rows[(j - 14) * 13 + (i - 14)]);
    // An exact map is not mistaken for the cached nib of the same radius.
    shape.dataAry.items<int32_t>()[0] = 777;
    ASSERT_TRUE(shape.buildRound(fx(4)));
    EXPECT_NE(shape.dataAry.items<int32_t>()[0], 777);
}

TEST_F(NibMapsTest, ExactEllipseMap)
{
    shape.switchAreaMap(true);
    for (bool dirX : {true, false}) {
        ASSERT_TRUE(shape.makeEllipseMap(fx(30.3), fx(20.7), fx(6), 50, 30, dirX));
        EXPECT_NEAR(coverageSum(shape), M_PI * 18, 0.08 * M_PI * 18) << dirX;
        // Strongest at the pixel holding the centre.
        const int centre =
            shape.getValueCenter(fx(30) - fx(30.3) + 0x8000, fx(20) - fx(20.7) + 0x8000);
        for (int dj = -6; dj <= 6; ++dj)
            for (int di = -7; di <= 7; ++di)
                ASSERT_LE(shape.getValueCenter(fx(30 + di) - fx(30.3) + 0x8000,
                                               fx(20 + dj) - fx(20.7) + 0x8000),
                          centre);
    }
    // A sliver thinner than half a pixel is one line at half weight.
    ASSERT_TRUE(shape.makeEllipseMap(fx(10.5), fx(10.5), fx(4), 5, 0, true));
    EXPECT_NEAR(coverageSum(shape), 4.0, 1e-3);
    // A flat of 0 is taken as 1 % rather than dividing by zero.
    EXPECT_TRUE(shape.makeEllipseMap(fx(10.5), fx(10.5), fx(4), 0, 45, false));
}

TEST_F(NibMapsTest, ImageNibOfVersion4)
{
    auto nib = imageNib(12, 6, {2, 1, 8, 4});
    shape.switchAreaMap(true);
    ASSERT_TRUE(shape.buildImage(nib.get(), true));
    EXPECT_EQ(shape.radius, 100 << 16);
    EXPECT_EQ(shape.isize, (sSize{13, 7}));
    // Black is ink: strong inside the box, nothing over the white border or off the image.
    EXPECT_GT(shape.getValueCenter(0, 0) >> 16, 200);
    EXPECT_EQ(shape.getValueCenter(fx(-5.5), 0), 0);
    EXPECT_EQ(shape.getValueCenter(0, fx(-3.2)), 0);
    EXPECT_EQ(shape.getValueCenter(fx(7), 0), 0);
    // Kept when nothing changed, rebuilt for init.
    shape.dataAry.items<int32_t>()[0] = 4321;
    EXPECT_TRUE(shape.buildImage(nib.get(), false));
    EXPECT_EQ(shape.dataAry.items<int32_t>()[0], 4321);
    EXPECT_TRUE(shape.buildImage(nib.get(), true));
    EXPECT_NE(shape.dataAry.items<int32_t>()[0], 4321);
    // A turned nib is kept too (its angle is stored negated and compared so).
    nib->penParam.degree = 450;
    ASSERT_TRUE(shape.buildImage(nib.get(), false));
    EXPECT_EQ(shape.degree, -45);
    shape.dataAry.items<int32_t>()[0] = 4321;
    EXPECT_TRUE(shape.buildImage(nib.get(), false));
    EXPECT_EQ(shape.dataAry.items<int32_t>()[0], 4321);
    CPenShapeObj plain;
    EXPECT_FALSE(shape.buildImage(&plain, true));
    EXPECT_FALSE(shape.buildImage(nullptr, true));
}

TEST(BitmapShape5, MapFollowsZoomAndAngle)
{
    CGradeMapObj5 grade(1024);
    CPenBitmapShape5 shape(&grade);
    auto nib = imageNib(12, 6, {2, 1, 8, 4});
    ASSERT_TRUE(shape.buildImage(nib.get(), true));
    EXPECT_EQ(shape.FRotateSize, (sSize{13, 7}));
    EXPECT_EQ(shape.FRate, 2);
    EXPECT_GT(shape.getCenterValue(0, 0), 0xE000);
    EXPECT_EQ(shape.getCenterValue(fx(-5.5), 0), 0);
    EXPECT_EQ(shape.getCenterValue(fx(20), fx(20)), 0);
    // Twice the zoom: twice the size; turned by 90 degrees: width and height exchange.
    nib->changeZoom(200);
    ASSERT_TRUE(shape.makeShape());
    EXPECT_EQ(shape.FRotateSize, (sSize{25, 13}));
    EXPECT_EQ(shape.FRate, 1);
    EXPECT_GT(shape.getCenterValue(fx(6), 0), 0x8000);
    nib->penParam.degree = 900;
    ASSERT_TRUE(shape.makeShape());
    EXPECT_EQ(shape.FRotateSize, (sSize{13, 25}));
    EXPECT_GT(shape.getCenterValue(0, fx(6)), 0x8000);
    EXPECT_EQ(shape.getCenterValue(fx(6), 0), 0);
    // The fall-off fades the corners of the turned box.
    SGradeMapParam steep;
    steep.mapType = eGradeMap::GMAP_PINTOP;
    grade.setParam(steep);
    ASSERT_TRUE(shape.makeShape());
    EXPECT_LT(shape.getCenterValue(0, fx(7)), shape.getCenterValue(0, 0) / 2);
}

TEST(BitmapShape5, RateTable)
{
    CGradeMapObj5 grade(1024);
    CPenBitmapShape5 shape(&grade);
    const struct
    {
        int side, rate;
    } cases[] = {{1, 2}, {2, 2},  {3, 3},  {4, 5},  {6, 5}, {7, 4},
                 {8, 2}, {15, 2}, {16, 1}, {29, 1}, {30, 1}};
    for (const auto &c : cases) {
        shape.FRotateSize = {c.side, 1};
        EXPECT_EQ(shape.calcRate(), c.rate) << c.side;
    }
}
