#include "paint/gradient/gradation.h"

#include "core/image/canvas.h"

#include "paint/gradient_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int32_t px(int32_t v)
{
    return v << 16;
}

sFXPos fxAt(int32_t x, int32_t y)
{
    return {px(x), px(y)};
}

// A gradation of the given type, repeat and map, set before the points as the document does.
CGradation gradationOf(const CColorSlotGroup &g, int gt, sFXPos p0, sFXPos p1, int gr = grTimes,
                       int rep = 1, int gm = gmNormal)
{
    CGradation grad(&g);
    EXPECT_TRUE(grad.setGradType(gt, gm, gr, rep));
    grad.setPos(p0, p1);
    return grad;
}

struct TCase
{
    float x, y;
    float t; // expected stage value
};

void expectStages(const CGradation &g, std::initializer_list<TCase> cases)
{
    for (const TCase &c : cases) {
        SCOPED_TRACE(testing::Message() << "(" << c.x << ", " << c.y << ")");
        EXPECT_NEAR(g.evalPosition({c.x, c.y}), c.t, 1e-5);
    }
}

// The red byte of a black-to-white gradient tells the stop position.
int redAt(const CGradation &g, int x, int y)
{
    return g.getColor(sPos{x, y}).R;
}

// One canvas row as text: "R,G,B,A R,G,B,A ...".
std::string rowText(const TMTC &tc, int32_t y)
{
    std::string s;
    for (int32_t x = 0; x < tc.width(); ++x) {
        const sBGRA p = *tc.seek32(x, y);
        s += (x ? " " : "") + std::to_string(p.R) + "," + std::to_string(p.G) + "," +
             std::to_string(p.B) + "," + std::to_string(p.A);
    }
    return s;
}

// Red rising, blue falling, opacity falling: shows that R and B land in their own bytes.
CColorSlotGroup redToBlue()
{
    return groupOf(
        {{rgbaOf(0, 10, 255, 255), 0x10000, 255}, {rgbaOf(255, 10, 0, 255), 0x10000, 0}});
}

} // namespace

TEST(Gradation, LinearRunsFromStartToEndAndHoldsBeyond)
{
    const CColorSlotGroup bw = blackToWhite();
    const CGradation g = gradationOf(bw, gtLinear, fxAt(10, 10), fxAt(110, 10));
    expectStages(
        g,
        {{10, 10, 0}, {60, 10, 0.5f}, {60, 99, 0.5f}, {110, 10, 1}, {0, 10, -0.1f}, {210, 10, 2}});
    EXPECT_EQ(redAt(g, 10, 10), 0);
    EXPECT_EQ(redAt(g, 60, 10), 127);
    EXPECT_EQ(redAt(g, 110, 10), 255);
    EXPECT_EQ(redAt(g, -500, 10), 0) << "before the start the first colour holds";
    EXPECT_EQ(redAt(g, 900, 10), 255) << "beyond the end the last colour holds";
}

TEST(Gradation, RadialIsAnEllipseThroughTheEndPointsDistances)
{
    const CColorSlotGroup bw = blackToWhite();
    // Type first, then points: half-axes 20 (horizontal) and 10 (vertical).
    const CGradation g = gradationOf(bw, gtGrade, fxAt(50, 50), fxAt(70, 60));
    EXPECT_EQ(g.unitSz, (sFSize{20, 10}));
    expectStages(
        g, {{50, 50, 0}, {60, 50, 0.5f}, {70, 50, 1}, {50, 60, 1}, {50, 45, 0.5f}, {90, 50, 2}});
    EXPECT_EQ(redAt(g, 50, 50), 0);
    EXPECT_EQ(redAt(g, 90, 50), 255);

    // init sets the points before the type, so the unit size is the one of the type before:
    // a circle of radius max(20, 10).
    CGradation circle(&bw);
    ASSERT_TRUE(circle.init(gtGrade, fxAt(50, 50), fxAt(70, 60), &bw));
    EXPECT_EQ(circle.unitSz, (sFSize{20, 20}));
    expectStages(circle, {{50, 60, 0.5f}, {70, 50, 1}});
    circle.setPos(fxAt(50, 50), fxAt(70, 60));
    EXPECT_EQ(circle.unitSz, (sFSize{20, 10})) << "the next setPos makes it elliptical";

    // An end point straight below the start: both half-axes are the vertical distance.
    const CGradation below = gradationOf(bw, gtGrade, fxAt(0, 0), fxAt(0, 8));
    EXPECT_EQ(below.unitSz, (sFSize{8, 8}));
}

TEST(Gradation, RotationalGoesByAngleFromTheEndPointsDirection)
{
    const CColorSlotGroup bw = blackToWhite();
    const CGradation g = gradationOf(bw, gtRot, fxAt(0, 0), fxAt(10, 0));
    expectStages(g, {{10, 0, 0},
                     {0, 10, 0.25f},
                     {-10, 0, 0.5f},
                     {0, -10, 0.75f},
                     {10, 10, 0.125f},
                     {10, -0.001f, 1.0f - 1.59e-5f}});
    // Turned: the end point straight below the start is where the turn begins.
    const CGradation turned = gradationOf(bw, gtRot, fxAt(0, 0), fxAt(0, 5));
    expectStages(turned, {{0, 7, 0}, {-3, 0, 0.25f}, {3, 0, 0.75f}});

    // Four repeats split the turn into four whatever the repeat mode.
    for (int gr : {grTimes, grEndless}) {
        SCOPED_TRACE(gr);
        const CGradation four = gradationOf(bw, gtRot, fxAt(0, 0), fxAt(10, 0), gr, 4);
        expectStages(
            four, {{10, 10, 0.5f}, {-10, 10, 0.5f}, {-10, -10, 0.5f}, {10, -10, 0.5f}, {0, 10, 0}});
    }
}

TEST(Gradation, AngleOfAVector)
{
    const struct
    {
        sFPos v;
        float a;
    } cases[] = {
        {{1, 0}, 0},      {{0, 1}, 0.25f}, {{0, 0}, 0.25f},
        {{0, -1}, 0.75f}, {{-1, 0}, 0.5f}, {{1, -1}, 0.875f},
    };
    for (const auto &c : cases) {
        EXPECT_NEAR(gradAngle(c.v), c.a, 1e-7) << c.v.x << ", " << c.v.y;
    }
}

TEST(Gradation, RepeatModesFoldThePosition)
{
    const CColorSlotGroup bw = blackToWhite();
    // Three times: three copies from the start to three lengths beyond, then the end holds;
    // before the start the first colour holds.
    const CGradation times = gradationOf(bw, gtLinear, fxAt(0, 0), fxAt(10, 0), grTimes, 3);
    expectStages(times,
                 {{5, 0, 0.5f}, {15, 0, 0.5f}, {25, 0, 0.5f}, {35, 0, 3.5f}, {-5, 0, -0.5f}});
    EXPECT_EQ(redAt(times, 25, 0), 127);
    EXPECT_EQ(redAt(times, 35, 0), 255);
    EXPECT_EQ(redAt(times, -5, 0), 0);

    // Endless: copies without end, mirrored in phase before the start.
    const CGradation endless = gradationOf(bw, gtLinear, fxAt(0, 0), fxAt(10, 0), grEndless, 1);
    expectStages(endless, {{35, 0, 0.5f}, {-5, 0, 0.5f}, {-2.5f, 0, 0.75f}, {-10, 0, 1}});
    EXPECT_EQ(redAt(endless, 1005, 0), 127);
}

TEST(Gradation, ReturnMappingGoesThereAndBack)
{
    const CColorSlotGroup bw = blackToWhite();
    const CGradation ret =
        gradationOf(bw, gtLinear, fxAt(0, 0), fxAt(100, 0), grTimes, 1, gmReturn);
    expectStages(ret, {{-10, 0, 0}, {25, 0, 0.5f}, {50, 0, 1}, {75, 0, 0.5f}, {150, 0, 0}});
    EXPECT_EQ(redAt(ret, 50, 0), 255);
    EXPECT_EQ(redAt(ret, 150, 0), 0) << "beyond the end the first colour comes back";

    const CGradation normal = gradationOf(bw, gtLinear, fxAt(0, 0), fxAt(100, 0));
    EXPECT_EQ(redAt(normal, 150, 0), 255);
}

TEST(Gradation, StartOnTheEndGivesTheFirstColour)
{
    const CColorSlotGroup g = groupOf({{rgbaOf(10, 20, 30, 255), 1}, {rgbaOf(200, 0, 0, 255), 1}});
    for (int gt : {gtLinear, gtGrade}) {
        for (int gr : {grTimes, grEndless}) {
            SCOPED_TRACE(testing::Message() << gt << " " << gr);
            const CGradation same = gradationOf(g, gt, fxAt(5, 5), fxAt(5, 5), gr, 2);
            for (const sPos p : {sPos{5, 5}, sPos{0, 0}, sPos{100, -40}}) {
                EXPECT_TRUE(sameColour(same.getColor(p), rgbaOf(10, 20, 30, 255)));
            }
        }
    }
}

TEST(Gradation, FarBeyondAShortGradientTheLastColourStillHolds)
{
    // One 16.16 step long: at one pixel t is 65536, whose 16.16 form does not fit an Integer.
    const CColorSlotGroup bw = blackToWhite();
    const CGradation tiny = gradationOf(bw, gtLinear, sFXPos{0, 0}, sFXPos{1, 0});
    EXPECT_EQ(redAt(tiny, 1, 0), 255);
    EXPECT_EQ(redAt(tiny, 9999, 0), 255);
    EXPECT_EQ(redAt(tiny, -9999, 0), 0);
}

TEST(Gradation, InvalidTypesChangeNothing)
{
    const CColorSlotGroup bw = blackToWhite();
    CGradation g = gradationOf(bw, gtGrade, fxAt(0, 0), fxAt(10, 0), grEndless, 2, gmReturn);
    const SGradAttr before = g.gradAttr;
    const float t = g.evalPosition({3, 4});
    EXPECT_FALSE(g.setGradType(3, 0, 0, 1));
    EXPECT_FALSE(g.setGradType(0, 2, 0, 1));
    EXPECT_FALSE(g.setGradType(0, 0, 2, 1));
    EXPECT_FALSE(g.setGradType(0, 0, 0, 0));
    EXPECT_FALSE(g.setGradType(-1, 0, 0, 1));
    EXPECT_EQ(g.gradAttr, before);
    EXPECT_EQ(g.evalPosition({3, 4}), t);
}

TEST(Gradation, PreviewPointsFitTheRepeatsIntoTheCanvas)
{
    const struct
    {
        uint8_t type, rep;
        int32_t count;
        sFXPos p0, p1;
    } cases[] = {
        {gtLinear, grTimes, 1, {0, 0}, {px(100), 0}},
        {gtLinear, grTimes, 4, {0, 0}, {px(25), 0}},
        {gtLinear, grTimes, 20, {0, 0}, {px(10), 0}},  // at most ten repeats
        {gtLinear, grEndless, 1, {0, 0}, {px(10), 0}}, // endless shows ten
        {gtRot, grTimes, 20, {px(50), px(25)}, {px(100), px(25)}},
        {gtGrade, grTimes, 2, {px(50), px(25)}, {px(75), px(25)}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.type) << " " << int(c.rep) << " " << c.count);
        SGradAttr a;
        a.gradType = c.type;
        a.gradRep = c.rep;
        a.gradRepCnt = c.count;
        sFXPos p0, p1;
        gradPreviewPoints(101, 51, a, p0, p1);
        EXPECT_EQ(p0, c.p0);
        EXPECT_EQ(p1, c.p1);
    }
    // One pixel wide: start and end coincide, which the evaluator takes without dividing.
    SGradAttr a;
    sFXPos p0, p1;
    gradPreviewPoints(1, 1, a, p0, p1);
    EXPECT_EQ(p0, p1);
}

TEST(GradationDrawing, StopPreviewRampsAcrossTheBoxAndRowsRepeat)
{
    const CColorSlotGroup g = redToBlue();
    TMTC tc(7, 3);
    tc.fillAll(0x11223344);
    // Column c of five shows c / 4: floor(255 * 1/4) = 63, floor(255 * 3/4) = 191.
    ASSERT_TRUE(g.drawPreview(tc, sBox{1, 1, 5, 5}));
    // The falling blue and opacity take the floor: 255 - 63.75 gives 191.
    const std::string ramp = "34,51,68,17 0,10,255,255 63,10,191,191 127,10,127,127 "
                             "191,10,63,63 255,10,0,0 34,51,68,17";
    EXPECT_EQ(rowText(tc, 1), ramp);
    EXPECT_EQ(rowText(tc, 2), ramp);
    EXPECT_EQ(tc.seek32(1, 0)->all, 0x11223344u) << "outside the box nothing changes";

    // One column wide: the start colour, no division.
    ASSERT_TRUE(g.drawPreview(tc, sBox{6, 0, 1, 3}));
    EXPECT_EQ(tc.seek32(6, 2)->all, (sBGRA{{255, 10, 0, 255}}).all);
    EXPECT_FALSE(g.drawPreview(tc, sBox{7, 0, 4, 3}));
}

TEST(GradationDrawing, GradationFillsTheClippedBox)
{
    const CColorSlotGroup g = redToBlue();
    const CGradation grad = gradationOf(g, gtLinear, fxAt(0, 0), fxAt(3, 0));
    TMTC tc(4, 2);
    tc.fillAll(0);
    sBox box{-2, 1, 10, 10};
    ASSERT_TRUE(grad.drawGradation(tc, &box));
    EXPECT_EQ(box, (sBox{0, 1, 4, 1})) << "the box is clipped in place";
    // t = 0, 1/3, 2/3, 1 as 16.16 positions 0, 21845, 43691, 65536.
    EXPECT_EQ(rowText(tc, 1), "0,10,255,255 84,10,170,170 170,10,84,84 255,10,0,0");
    EXPECT_EQ(rowText(tc, 0), "0,0,0,0 0,0,0,0 0,0,0,0 0,0,0,0");
    sBox outside{4, 0, 2, 2};
    EXPECT_FALSE(grad.drawGradation(tc, &outside));
}

TEST(GradationDrawing, PresetPreviewsUseTheGradientsOwnAttribute)
{
    CGradObj grad;
    grad.crsg = std::make_unique<CColorSlotGroup>(blackToWhite());
    TMTC tc(5, 1);

    // Linear, two repeats over the width: t = x / 2, folded.
    grad.attr.gradRepCnt = 2;
    ASSERT_TRUE(drawGradObjPreview(tc, grad, SGradAttr{}));
    EXPECT_EQ(rowText(tc, 0), "0,0,0,255 127,127,127,255 0,0,0,255 127,127,127,255 "
                              "255,255,255,255");

    // Radial around the centre, reaching the edge.
    grad.attr.gradType = gtGrade;
    grad.attr.gradRepCnt = 1;
    ASSERT_TRUE(drawGradObjPreview(tc, grad, SGradAttr{}));
    EXPECT_EQ(rowText(tc, 0), "255,255,255,255 127,127,127,255 0,0,0,255 127,127,127,255 "
                              "255,255,255,255");

    // One pixel: start and end coincide; the first colour, no division.
    TMTC one(1, 1);
    grad.attr.gradType = gtLinear;
    ASSERT_TRUE(drawGradObjPreview(one, grad, SGradAttr{}));
    EXPECT_EQ(rowText(one, 0), "0,0,0,255");

    grad.attr.gradRepCnt = 0;
    EXPECT_FALSE(drawGradObjPreview(tc, grad, SGradAttr{}));
    TMTC empty;
    grad.attr.gradRepCnt = 1;
    EXPECT_FALSE(drawGradObjPreview(empty, grad, SGradAttr{}));
}
