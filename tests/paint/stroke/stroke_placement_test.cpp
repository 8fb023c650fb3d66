#include "paint/stroke/stroke_placement.h"

#include "paint/brush/pen_records.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/render/stroke_context.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Dab
{
    float x, y, p, r;
};

// A stroke, a version-5 renderer with a round nib and a manager wired together, listing every
// dab placed. Linear interpolation and no smoothing unless a test asks for them.
struct Rig
{
    explicit Rig(float radius, float minRate = 1, uint8_t renderType = 0)
    {
        initStrokePixelProcs();
        SPenParam prm;
        initPenParam(prm, radius);
        penParamSetMinRate(prm, minRate);
        render.changePenParam(prm);
        SPenRenderAttr attr;
        initPenRenderAttr(attr);
        attr.renderType = renderType;
        render.changeRenderAttr(attr, 7);
        param.smooth = 0;
        param.interpolateType = eInterpolateType::iptLinear;
        mngr.setParam(param);
        stroke.SetDrawColor(0xFF203040);
        mngr.setDabObserver([this](const SStrokeData &sd, float r) {
            dabs.push_back({sd.x, sd.y, sd.p, r});
        });
    }
    ~Rig() { initStrokePixelProcs(); }

    void setParam(void (*change)(SStrokeParam &))
    {
        change(param);
        mngr.setParam(param);
    }

    TStroke stroke{5};
    CPenRender5 render{&stroke};
    CStrokeMngr5 mngr{&stroke, &render};
    SStrokeParam param;
    std::vector<Dab> dabs;
};

bool sameBytes(const TMTC &a, const TMTC &b)
{
    if (a.width() != b.width() || a.height() != b.height()) {
        return false;
    }
    for (int32_t y = 0; y < a.height(); ++y) {
        if (std::memcmp(a.seek32(0, y), b.seek32(0, y), size_t(a.width()) * 4) != 0) {
            return false;
        }
    }
    return true;
}

int changedPixels(const TMTC &img, uint32_t fill)
{
    int n = 0;
    for (int32_t y = 0; y < img.height(); ++y) {
        for (int32_t x = 0; x < img.width(); ++x) {
            n += img.seek32(x, y)->all != fill;
        }
    }
    return n;
}

// A pressure ramp along an S-curve.
std::vector<SStrokeData> sCurve()
{
    std::vector<SStrokeData> pts;
    for (int i = 0; i <= 40; ++i) {
        const float t = float(i) / 40;
        pts.push_back({10 + 100 * t, 60 + 35 * std::sin(t * 6.2831853f), 0.1f + 0.9f * t});
    }
    return pts;
}

} // namespace

TEST(StrokeUpdateBox, EvenOriginAndEvenFarEdge)
{
    EXPECT_EQ(evenUpdateBox({-3, 5, 8, 9}), (sBox{-4, 4, 12, 6}));
    EXPECT_EQ(evenUpdateBox({2, 2, 3, 3}), (sBox{2, 2, 2, 2}));
    EXPECT_EQ(dabUpdateRect({10, 10}, {4, 3}), (sRect{4, 5, 16, 15}));
}

// Spacing 1.5 px over 1-px segments: dabs at walked distances 0, 1.5, 3, 4.5 along the whole
// path, the distance left over carried from each segment into the next.
TEST(StrokePlacement, ResidueIsCarriedAcrossSegments)
{
    Rig rig(15); // spacing 0.1 x 15
    CStrokeCanvas canvas(64, 32, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {0, 10, 1}));
    const float residues[] = {0.5f, 1.0f, 0.0f, 0.5f, 1.0f, 0.0f};
    for (int i = 1; i <= 6; ++i) {
        canvas.strokeAdd(rig.mngr, rig.stroke, {float(i), 10, 1});
        EXPECT_FLOAT_EQ(rig.mngr.getResidueDist(), residues[i - 1]) << i;
    }
    ASSERT_EQ(rig.dabs.size(), 4u);
    const float xs[] = {0, 1.5f, 3, 4.5f};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(rig.dabs[i].x, xs[i]);
        EXPECT_FLOAT_EQ(rig.dabs[i].y, 10);
        EXPECT_FLOAT_EQ(rig.dabs[i].p, 1);
        EXPECT_FLOAT_EQ(rig.dabs[i].r, 15);
    }
    EXPECT_EQ(rig.mngr.getPenPutCount(), 4);
    EXPECT_FLOAT_EQ(rig.stroke.m_penProgress, 6); // four dabs, four steps of 1.5
}

// The dab spacing is the spacing fraction of the dab radius, at least half the radius for radii
// up to one pixel.
TEST(StrokePlacement, SpacingAtSeveralSizes)
{
    struct Case
    {
        float radius;
        int32_t spacing; // thousandths
        float step;
    };
    const Case cases[] = {
        {0.5f, 100, 0.25f}, {1, 100, 0.5f}, {1.5f, 100, 0.15f},
        {8, 100, 0.8f},     {8, 250, 2.0f}, {64, 100, 6.4f},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "radius " << c.radius << " spacing " << c.spacing);
        Rig rig(c.radius);
        rig.param.spacing = c.spacing;
        rig.mngr.setParam(rig.param);
        CStrokeCanvas canvas(48, 16, 0);
        ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {2, 8, 1}));
        canvas.strokeAdd(rig.mngr, rig.stroke, {22, 8, 1});
        ASSERT_GE(rig.dabs.size(), 2u);
        for (size_t i = 0; i < rig.dabs.size(); ++i) {
            EXPECT_NEAR(rig.dabs[i].x, 2 + float(i) * c.step, 1e-4f);
            EXPECT_FLOAT_EQ(rig.dabs[i].r, c.radius);
        }
        // The walk stops within one step of the segment's end.
        EXPECT_GT(rig.dabs.back().x, 22 - c.step - 1e-4f);
        EXPECT_LT(rig.dabs.back().x, 22.0f);
        EXPECT_NEAR(rig.mngr.getResidueDist(), float(rig.dabs.size()) * c.step - 20, 1e-3f);
    }
}

// Pressure through the gamma (200: squared), the radius between the minimum and the full radius,
// the opacity factor the pressure; the spacing follows the growing radius.
TEST(StrokePlacement, PressureSetsRadiusOpacityAndSpacing)
{
    Rig rig(10, 0.5f);
    rig.setParam([](SStrokeParam &p) {
        p.enbPrsRadius = true;
        p.enbPrsOpaque = true;
        p.prsGamma = 200;
    });
    CStrokeCanvas canvas(64, 16, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {0, 8, 0.5f}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {30, 8, 1});
    ASSERT_GE(rig.dabs.size(), 3u);
    const Dab want[] = {
        {0, 8, 0.25f, 6.25f},
        {0.625f, 8, 0.265625f, 6.328125f},
        {1.2578125f, 8, 0.2814453125f, 6.4072265625f},
    };
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(rig.dabs[i].x, want[i].x, 1e-5f) << i;
        EXPECT_NEAR(rig.dabs[i].p, want[i].p, 1e-6f) << i;
        EXPECT_NEAR(rig.dabs[i].r, want[i].r, 1e-5f) << i;
    }
    // The opacity factor is scaled by the method's opacity.
    Rig half(10);
    half.setParam([](SStrokeParam &p) { p.enbPrsOpaque = true; });
    half.stroke.setOpaque(0.5f); // taken into the parameters when the stroke starts
    ASSERT_TRUE(canvas.strokeBegin(half.mngr, half.stroke, {0, 8, 0.8f}));
    canvas.strokeAdd(half.mngr, half.stroke, {0, 8, 0.8f});
    ASSERT_EQ(half.dabs.size(), 1u);
    EXPECT_FLOAT_EQ(half.dabs[0].p, 0.4f);
}

// A radius that would shrink below 0.1 is drawn at 0.1 (and spaced at half of it).
TEST(StrokePlacement, RadiusFloorsAtOneTenth)
{
    Rig rig(4, 0);
    rig.setParam([](SStrokeParam &p) { p.enbPrsRadius = true; });
    CStrokeCanvas canvas(16, 16, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {2, 2, 0}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {2.2f, 2, 0});
    ASSERT_GE(rig.dabs.size(), 2u);
    EXPECT_FLOAT_EQ(rig.dabs[0].r, 0.1f);
    EXPECT_FLOAT_EQ(rig.dabs[1].x, 2.05f);
}

// A segment shorter than 1/128 px is one dab at its start, without walking.
TEST(StrokePlacement, StandingStillPutsOneDabPerSample)
{
    Rig rig(3);
    CStrokeCanvas canvas(16, 16, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {5, 5, 1}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {5.3f, 5, 1});
    const float residue = rig.mngr.getResidueDist();
    const size_t before = rig.dabs.size();
    canvas.strokeAdd(rig.mngr, rig.stroke, {5.3f, 5.004f, 1});
    ASSERT_EQ(rig.dabs.size(), before + 1);
    EXPECT_FLOAT_EQ(rig.dabs.back().x, 5.3f);
    EXPECT_FLOAT_EQ(rig.dabs.back().y, 5);
    EXPECT_EQ(rig.mngr.getResidueDist(), residue);
}

TEST(StrokePlacement, BSplineDrawsNothingForTheFirstThreeSamples)
{
    Rig rig(2);
    rig.setParam([](SStrokeParam &p) { p.interpolateType = eInterpolateType::iptBSpline; });
    CStrokeCanvas canvas(64, 16, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {5, 8, 1}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {15, 8, 1});
    canvas.strokeAdd(rig.mngr, rig.stroke, {25, 8, 1});
    EXPECT_TRUE(rig.dabs.empty());
    canvas.strokeAdd(rig.mngr, rig.stroke, {35, 8, 1});
    ASSERT_FALSE(rig.dabs.empty());
    // The first span runs from (P3 + 4 P2 + P1) / 6 = 15 to (P2 + 4 P1 + P0) / 6 = 25.
    EXPECT_FLOAT_EQ(rig.dabs.front().x, 15);
    EXPECT_LT(rig.dabs.back().x, 25.001f);
}

// Begin, samples, and a lifted pen: the pressure-0 sample is drawn smooth + 1 times, so the
// smoothed stroke runs out towards the last position and its last sample has pressure 0.
TEST(StrokePlacement, LiftedPenEndsTheStroke)
{
    Rig rig(2);
    rig.setParam([](SStrokeParam &p) {
        p.smooth = 2;
        p.interpolateType = eInterpolateType::iptBSpline;
        p.enbPrsOpaque = true;
    });
    CStrokeCanvas canvas(128, 16, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {0, 8, 1}));
    for (int i = 1; i <= 10; ++i) {
        canvas.strokeAdd(rig.mngr, rig.stroke, {float(10 * i), 8, 1});
    }
    ASSERT_FALSE(rig.dabs.empty());
    const float reachedBefore = rig.dabs.back().x;
    const size_t before = rig.dabs.size();
    canvas.strokeAdd(rig.mngr, rig.stroke, {100, 8, 0});
    ASSERT_GT(rig.dabs.size(), before);
    EXPECT_GT(rig.dabs.back().x, reachedBefore + 15);
    EXPECT_LE(rig.dabs.back().x, 100);
    EXPECT_LT(rig.dabs.back().p, 0.5f); // fading towards the lifted pen
    SStrokeData last;
    ASSERT_TRUE(rig.mngr.getLast(last));
    EXPECT_EQ(last.p, 0.0f);
    const sBox all = canvas.strokeEnd(rig.mngr, rig.stroke);
    EXPECT_LE(all.x, 0);
    EXPECT_GE(all.x + all.w, int32_t(rig.dabs.back().x));
}

TEST(StrokePlacement, NegativeSmoothingNeverStarts)
{
    Rig rig(2);
    rig.setParam([](SStrokeParam &p) { p.smooth = -1; });
    CStrokeCanvas canvas(16, 16, 0);
    EXPECT_FALSE(canvas.strokeBegin(rig.mngr, rig.stroke, {0, 8, 1}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {10, 8, 1});
    canvas.strokeAdd(rig.mngr, rig.stroke, {10, 8, 0});
    EXPECT_TRUE(rig.dabs.empty());
    EXPECT_FALSE(rig.mngr.setSmoothLevel(-1));
    EXPECT_TRUE(rig.mngr.setSmoothLevel(3));
    EXPECT_FALSE(rig.mngr.setSmoothLevel(3));
}

// Dabs are placed in layer coordinates; the update rectangles are in paper coordinates. The first
// dab of a stroker call restarts updtRect, every dab grows updtRectAll; so does the start of each
// segment (reach 8).
TEST(StrokePlacement, UpdateRectanglesInPaperCoordinates)
{
    Rig rig(4);
    CStrokeCanvas canvas(64, 64, 0, {5, -3});
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {10, 10, 1}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {10, 10, 1});
    ASSERT_EQ(rig.dabs.size(), 1u);
    EXPECT_FLOAT_EQ(rig.dabs[0].x, 15);
    EXPECT_FLOAT_EQ(rig.dabs[0].y, 7);
    EXPECT_EQ(rig.mngr.getUpdateRect(), (sRect{4, 4, 16, 16})); // reach 4 + 2 around (10, 10)
    sBox box;
    rig.mngr.getUpdateBox(box);
    EXPECT_EQ(box, (sBox{4, 4, 12, 12}));

    canvas.strokeAdd(rig.mngr, rig.stroke, {30, 10, 1});
    canvas.strokeAdd(rig.mngr, rig.stroke, {30, 10, 1});
    EXPECT_EQ(rig.mngr.getUpdateRect(), (sRect{24, 4, 36, 16}));
    EXPECT_EQ(rig.mngr.getUpdateRectAll(),
              (sRect{0, 0, 40, 20})); // segments from (10, 10), (30, 10)
}

// The same samples give the same pixels: on fresh objects and on objects reused after a stroke.
TEST(StrokePlacement, IdenticalStrokesGiveIdenticalPixels)
{
    const std::vector<SStrokeData> pts = sCurve();
    for (uint8_t renderType : {uint8_t(0), kRenderTypeOneChannel}) {
        SCOPED_TRACE(int(renderType));
        auto configure = [](Rig &rig) {
            rig.setParam([](SStrokeParam &p) {
                p.smooth = 2;
                p.interpolateType = eInterpolateType::iptBSpline;
                p.enbPrsRadius = true;
                p.enbPrsOpaque = true;
            });
            rig.stroke.setOpaque(0.8f);
        };
        Rig first(6, 0.3f, renderType), second(6, 0.3f, renderType);
        configure(first);
        configure(second);
        CStrokeCanvas a(128, 128, 0x00FFFFFF), b(128, 128, 0x00FFFFFF), c(128, 128, 0x00FFFFFF);
        ASSERT_TRUE(a.drawStroke(first.mngr, first.stroke, pts));
        ASSERT_TRUE(b.drawStroke(second.mngr, second.stroke, pts));
        ASSERT_TRUE(c.drawStroke(first.mngr, first.stroke, pts)); // reused after a stroke
        EXPECT_GT(changedPixels(a.layer(), 0x00FFFFFF), 1000);
        EXPECT_TRUE(sameBytes(a.layer(), b.layer()));
        EXPECT_TRUE(sameBytes(a.layer(), c.layer()));
        EXPECT_EQ(first.dabs.size(), 2 * second.dabs.size());
    }
}

// The canvas copies only the touched box of the flow image into the layer, and the coverage of
// alpha painting is cleared at the end.
TEST(StrokeCanvas, EndCopiesTheStrokeAndClearsCoverage)
{
    Rig rig(3, 1, kRenderTypeOneChannel);
    CStrokeCanvas canvas(64, 64, 0x00FFFFFF);
    const std::vector<SStrokeData> pts = {{10, 10, 1}, {30, 12, 1}, {50, 20, 1}};
    ASSERT_TRUE(canvas.drawStroke(rig.mngr, rig.stroke, pts));
    const sBGRA centre = *canvas.layer().seek32(30, 12);
    EXPECT_EQ(centre.all & 0xFFFFFF, 0x203040u);
    EXPECT_GT(centre.A, 200);
    EXPECT_EQ(canvas.layer().seek32(30, 40)->all, 0x00FFFFFFu);
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 64; ++x) {
            ASSERT_EQ(*canvas.flowAlpha()->seek8(x, y), 0) << x << "," << y;
        }
    }
}

// A sample far outside any image is held 65536 px out, so the walk to it ends; a sample that is
// not a number is ignored.
TEST(StrokePlacement, WildSamplesStayBounded)
{
    Rig rig(64);
    CStrokeCanvas canvas(32, 32, 0);
    ASSERT_TRUE(canvas.strokeBegin(rig.mngr, rig.stroke, {0, 16, 1}));
    canvas.strokeAdd(rig.mngr, rig.stroke, {1e30f, 16, 1});
    ASSERT_FALSE(rig.dabs.empty());
    EXPECT_LE(rig.dabs.size(), size_t(65536 / 6.4f) + 2);
    EXPECT_LE(rig.dabs.back().x, 65536.0f);
    const size_t before = rig.dabs.size();
    canvas.strokeAdd(rig.mngr, rig.stroke, {std::nanf(""), 16, 1});
    canvas.strokeAdd(rig.mngr, rig.stroke, {std::nanf(""), 16, 0});
    EXPECT_EQ(rig.dabs.size(), before);
    SStrokeData last;
    ASSERT_TRUE(rig.mngr.getLast(last));
    EXPECT_EQ(last.x, 65536.0f);
    canvas.strokeEnd(rig.mngr, rig.stroke);
    EXPECT_FALSE(canvas.strokeBegin(rig.mngr, rig.stroke, {std::nanf(""), 0, 1}));
}
