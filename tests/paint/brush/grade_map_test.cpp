// Fall-off tables of both nib generations: the worked entries, the curve shapes and the
// profile picture.
#include "core/image/canvas.h"
#include "paint/brush/grade_map.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

SGradeMapParam curve(eGradeMap type, int32_t flat, int32_t add)
{
    SGradeMapParam p;
    p.mapType = type;
    p.flatRate = flat;
    p.addRate = add;
    return p;
}

const eGradeMap kCurves[] = {eGradeMap::GMAP_CIRCLE,   eGradeMap::GMAP_SQUARE,
                             eGradeMap::GMAP_ROUNDTOP, eGradeMap::GMAP_LINEAR,
                             eGradeMap::GMAP_GAMMA,    eGradeMap::GMAP_PINTOP};

} // namespace

TEST(GradeMap4, LinearWorkedEntriesAreSinglePerStep)
{
    CGradeMapObj g(2048);
    ASSERT_TRUE(g.enable);
    EXPECT_EQ(g.mapMaxIdx, 2047);
    const int32_t *t = g.getMapTable();
    EXPECT_EQ(t[0], 0xFF0000);
    EXPECT_EQ(t[2047], 0);
    // Trunc((1 − 1023/2047) × 65536 × 255) rounded to Single at each step; double arithmetic
    // would give 8359921.
    EXPECT_EQ(t[1023], 8359922);
    // The squared table reads the curve at the square root of the index.
    EXPECT_EQ(g.getSqMapTable()[0], 0xFF0000);
    EXPECT_EQ(g.getSqMapTable()[2047], 0);
    EXPECT_NEAR(g.getSqMapTable()[512] / 65536.0, 255 * (1 - std::sqrt(512.0 / 2047)), 0.01);
}

TEST(GradeMap4, FullFlatOrFullAddIsSolidEverywhere)
{
    for (const SGradeMapParam &p :
         {curve(eGradeMap::GMAP_LINEAR, 1000, 0), curve(eGradeMap::GMAP_PINTOP, 0, 1000),
          curve(eGradeMap::GMAP_CIRCLE, 1000, 1000)}) {
        CGradeMapObj g(2048);
        g.setParam(p);
        for (int i = 0; i < 2048; ++i) {
            ASSERT_EQ(g.getMapTable()[i], 0xFF0000) << i;
            ASSERT_EQ(g.getSqMapTable()[i], 0xFF0000) << i;
        }
    }
}

TEST(GradeMap4, CurvesFallFromFullToNothing)
{
    for (eGradeMap type : kCurves) {
        CGradeMapObj g(2048);
        g.setParam(curve(type, 0, 0));
        const int32_t *t = g.getMapTable();
        EXPECT_EQ(t[0], 0xFF0000) << int(type);
        EXPECT_EQ(t[2047], 0) << int(type);
        for (int i = 1; i < 2048; ++i)
            ASSERT_LE(t[i], t[i - 1]) << int(type) << " at " << i;
    }
    // The gamma curve passes 0.3 at half the radius.
    EXPECT_NEAR(gradeCurve4(eGradeMap::GMAP_GAMMA, 0.5f), 0.3f, 1e-6);
    EXPECT_FLOAT_EQ(gradeCurve4(eGradeMap::GMAP_ROUNDTOP, 0.5f), 0.5f);
    EXPECT_FLOAT_EQ(gradeCurve4(eGradeMap(0x80 | 3), 0.25f), 0.75f); // masked to linear
}

TEST(GradeMap4, FlatCoreAndAddedFloor)
{
    CGradeMapObj g(2048);
    EXPECT_TRUE(g.setParam(curve(eGradeMap::GMAP_LINEAR, 500, 200)));
    EXPECT_FALSE(g.setParam(curve(eGradeMap::GMAP_LINEAR, 500, 200)));
    const int32_t *t = g.getMapTable();
    EXPECT_EQ(t[1023], 0xFF0000); // inside the flat half
    // The rim keeps the added 20 %.
    EXPECT_NEAR(t[2047] / 65536.0, 0.2 * 255, 0.01);
    // Half way through the fall-off: 0.2 + 0.5 × 0.8.
    EXPECT_NEAR(t[1535] / 65536.0, 0.6 * 255, 0.2);
}

TEST(GradeMap4, RefusesAnEmptyTable)
{
    CGradeMapObj g(0);
    EXPECT_FALSE(g.enable);
    EXPECT_EQ(g.getMapTable(), nullptr);
    EXPECT_FALSE(g.buildMap());
    CGradeMapObj one(1);
    ASSERT_TRUE(one.enable);
    EXPECT_EQ(one.getMapTable()[0], 0xFF0000);
}

TEST(GradeMap4, ProfileImageIsHighInTheMiddle)
{
    CGradeMapObj g(2048);
    TMTC tc(8, 10);
    tc.fillAll(0xFFFFFFFF);
    ASSERT_TRUE(g.makeImage(tc, 0xFF000000));
    // Linear curve, width 8: e = 3, columns 0..3 read entries 2047, 1364, 682, 0 and are mirrored.
    const int heights[8] = {0, 3, 6, 10, 10, 6, 3, 0};
    for (int x = 0; x < 8; ++x) {
        int black = 0;
        for (int y = 0; y < 10; ++y)
            black += (tc.getColor(x, y) & 0xFFFFFF) == 0;
        EXPECT_EQ(black, heights[x]) << x;
        if (heights[x] > 0) {
            EXPECT_EQ(tc.getColor(x, 9) & 0xFFFFFF, 0u) << "columns stand on the bottom row";
        }
    }
    sBox narrow{0, 0, 2, 10};
    EXPECT_FALSE(g.makeImage(tc, narrow, 0));
    sBox outside{20, 0, 5, 5};
    EXPECT_FALSE(g.makeImage(tc, outside, 0));
    // A three-column box draws its one column from the centre value.
    TMTC three(3, 4);
    three.fillAll(0xFFFFFFFF);
    ASSERT_TRUE(g.makeImage(three, 0xFF000000));
    EXPECT_EQ(three.getColor(0, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(three.getColor(2, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(GradeMap4, TallProfilesDoNotOverflow)
{
    CGradeMapObj g(2048);
    TMTC tc(4, 400);
    tc.fillAll(0xFFFFFFFF);
    ASSERT_TRUE(g.makeImage(tc, 0xFF000000));
    // The centre column is the full 400 rows (a 32-bit product would wrap above 128 rows).
    EXPECT_EQ(tc.getColor(1, 0) & 0xFFFFFF, 0u);
    EXPECT_EQ(tc.getColor(1, 399) & 0xFFFFFF, 0u);
}

TEST(GradeMap5, LinearWorkedEntries)
{
    CGradeMapObj5 g(1024);
    ASSERT_EQ(g.maxIndex(), 1023);
    const int32_t *t = g.table();
    for (int i = 0; i <= 3; ++i)
        EXPECT_EQ(t[i], 254) << i; // level 1 reaches back over entry 0
    EXPECT_EQ(t[4], 253);
    EXPECT_EQ(t[512], 128);
    EXPECT_EQ(t[1023], 2);
}

TEST(GradeMap5, FlatAndAddWorkedEntries)
{
    CGradeMapObj5 g(1024);
    EXPECT_TRUE(g.setParam(curve(eGradeMap::GMAP_LINEAR, 500, 500)));
    const int32_t *t = g.table();
    for (int i = 0; i <= 510; ++i)
        ASSERT_EQ(t[i], 255) << i;
    EXPECT_EQ(t[511], 254);
    EXPECT_EQ(t[1023], 128);
    EXPECT_EQ(g.getFlatRate(), 50);
    EXPECT_EQ(g.getAddRate(), 50);
}

TEST(GradeMap5, EveryCurveFallsToTheRim)
{
    for (eGradeMap type : kCurves) {
        CGradeMapObj5 g(1024);
        g.setParam(curve(type, 0, 0));
        const int32_t *t = g.table();
        EXPECT_EQ(t[1023], 2) << int(type);
        for (int i = 1; i < 1024; ++i)
            ASSERT_LE(t[i], t[i - 1]) << int(type) << " at " << i;
    }
    // The curves differ where they should: at half the radius the pin top is lowest, the circle
    // highest.
    auto mid = [](eGradeMap type) {
        CGradeMapObj5 g(1024);
        g.setParam(curve(type, 0, 0));
        return g.table()[512];
    };
    EXPECT_LT(mid(eGradeMap::GMAP_PINTOP), mid(eGradeMap::GMAP_LINEAR));
    EXPECT_GT(mid(eGradeMap::GMAP_CIRCLE), mid(eGradeMap::GMAP_ROUNDTOP));
}

TEST(GradeMap5, GetAlphaRoundsHalfToEvenAndStaysInTheTable)
{
    CGradeMapObj5 g(1024);
    g.setParam(curve(eGradeMap::GMAP_LINEAR, 0, 300));
    const int32_t *t = g.table();
    EXPECT_EQ(g.getAlpha(1.0f), t[1023]);
    EXPECT_EQ(g.getAlpha(0.5f), t[512]); // 511.5 rounds to even
    EXPECT_EQ(g.getAlpha(0.0f), t[0]);
    EXPECT_EQ(g.getAlpha(1.0005f), t[1023]);
    EXPECT_EQ(g.getAlpha(1.4f), t[1023]);
    int32_t a = -1;
    g.getAlpha(a, 0.25f);
    EXPECT_EQ(a, t[256]); // 255.75
    CGradeMapObj5 percent(1024);
    percent.setParam(curve(eGradeMap::GMAP_LINEAR, 905, 0));
    EXPECT_EQ(percent.getFlatRate(), 90);
}
