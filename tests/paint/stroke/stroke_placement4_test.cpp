// The version-4 input correction and dab placement: the correction queue on short sample lists,
// the pixel-step walk with its spacing, density and pressure rules, dab positions and sizes as
// numbers, and the update rectangles.
#include "paint/older_paint_test_support.h"

#include "paint/brush/pen_records.h"
#include "paint/render/pen_render4.h"
#include "paint/stroke/stroke.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

struct Dab
{
    float x, y, p, r;
};

// A stroke, a version-4 renderer with a round nib of the given radius and a manager wired
// together on a 64 × 64 canvas, listing every dab placed.
struct Rig
{
    explicit Rig(float radius, eCorrectType correction = eCorrectType::corRaw)
    {
        initStrokePixelProcs();
        SPenParam prm;
        initPenParam(prm, radius);
        render.changePenParam(prm);
        mngr.setCorrection(correction);
        mngr.setDabObserver([this](const SStrokeData &sd, float r) {
            dabs.push_back({sd.x, sd.y, sd.p, r});
        });
    }
    ~Rig() { initStrokePixelProcs(); }

    void setParam(const std::function<void(SStrokeParam &)> &change)
    {
        SStrokeParam p;
        mngr.getParam(p);
        change(p);
        mngr.setParam(p);
    }
    bool begin(const SStrokeData &sd, IStrokePaper *paper = nullptr)
    {
        IStrokePaper *pa = paper ? paper : &canvas;
        mngr.reset(0, &canvas, pa, &stroke);
        return mngr.start(sd);
    }
    int32_t add(const SStrokeData &sd)
    {
        mngr.add(sd);
        return mngr.stroker();
    }

    TStroke stroke{4};
    CPenRender render{&stroke};
    CStrokeMngr mngr{&stroke, &render};
    CStrokeCanvas canvas{64, 64, 0xFFFFFFFF};
    std::vector<Dab> dabs;
};

void expectDabs(const std::vector<Dab> &got, const std::vector<Dab> &want)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_FLOAT_EQ(got[i].x, want[i].x) << i;
        EXPECT_FLOAT_EQ(got[i].y, want[i].y) << i;
        EXPECT_FLOAT_EQ(got[i].p, want[i].p) << i;
        EXPECT_FLOAT_EQ(got[i].r, want[i].r) << i;
    }
}

// A canvas that replays an event file of a given version and hands out a layer image.
class ReplayCanvas : public CStrokeCanvas, public IStrokePaper4
{
  public:
    ReplayCanvas(int32_t version, const CBlockVMTC *img)
        : CStrokeCanvas(64, 64, 0xFFFFFFFF), m_version(version), m_img(img)
    {
        setEventPlaying(true);
    }
    const CBlockVMTC *layerImage(int32_t) const override { return m_img; }
    int32_t playEventFileVersion() const override { return m_version; }

  private:
    int32_t m_version;
    const CBlockVMTC *m_img;
};

} // namespace

TEST(Correction, ShortSampleLists)
{
    struct Case
    {
        eCorrectType type;
        std::vector<SStrokeData> samples;
        SStrokeData p0, p1;
    };
    const Case cases[] = {
        // The first sample fills the queue with pressure 0: a segment of length 0.
        {eCorrectType::corAvr, {{10, 10, 0.8f}}, {10, 10, 0}, {10, 10, 0}},
        // The second draws from the first to the midpoint, pressure rising to half the second's.
        {eCorrectType::corAvr, {{10, 10, 0.8f}, {20, 14, 0.6f}}, {10, 10, 0}, {15, 12, 0.3f}},
        // The third from that midpoint to the mean of the third sample and it.
        {eCorrectType::corAvr,
         {{10, 10, 0.8f}, {20, 14, 0.6f}, {25, 20, 1.0f}},
         {15, 12, 0.3f},
         {20, 16, 0.65f}},
        // Raw: always the previous sample to the newest.
        {eCorrectType::corRaw, {{10, 10, 0.8f}, {20, 14, 0.6f}}, {10, 10, 0}, {20, 14, 0.6f}},
        {eCorrectType::corRaw,
         {{10, 10, 0.8f}, {20, 14, 0.6f}, {25, 20, 1.0f}},
         {20, 14, 0.6f},
         {25, 20, 1.0f}},
    };
    for (const Case &c : cases) {
        CCorrect q;
        q.setType(c.type);
        ASSERT_TRUE(q.start());
        for (const SStrokeData &sd : c.samples)
            q.add(sd);
        SStrokeData p0, p1, last;
        ASSERT_TRUE(q.getP0(p0) && q.getP1(p1) && q.getLast(last));
        EXPECT_FLOAT_EQ(p0.x, c.p0.x);
        EXPECT_FLOAT_EQ(p0.y, c.p0.y);
        EXPECT_FLOAT_EQ(p0.p, c.p0.p);
        EXPECT_FLOAT_EQ(p1.x, c.p1.x);
        EXPECT_FLOAT_EQ(p1.y, c.p1.y);
        EXPECT_FLOAT_EQ(p1.p, c.p1.p) << c.samples.size();
        EXPECT_FLOAT_EQ(last.x, c.samples.size() == 1 ? 10 : c.samples.back().x);
        EXPECT_EQ(q.getCount(), int32_t(c.samples.size()));
    }
}

TEST(Correction, SamplesBeforeStartAreIgnored)
{
    CCorrect q;
    EXPECT_FALSE(q.isEnable());
    q.add({1, 2, 3});
    SStrokeData sd;
    EXPECT_FALSE(q.getLast(sd));
    EXPECT_FALSE(q.getP0(sd));
    EXPECT_EQ(q.getCount(), 0);
    EXPECT_TRUE(q.setType(eCorrectType::corRaw));
    EXPECT_FALSE(q.setType(eCorrectType::corRaw));
}

TEST(StrokePlacement4, ShortSegmentIsOneStepUnlessDensityRaisesIt)
{
    struct Case
    {
        float radius;
        int32_t highDensity;
        std::vector<float> xs;
    };
    const Case cases[] = {
        {10, 0, {10.25f}},
        {10, 20, {10.25f, 10.5f}},                    // below 20: halved steps
        {0.5f, 20, {10.25f, 10.416667f, 10.583334f}}, // 0.7 or less: thirds
    };
    for (const Case &c : cases) {
        Rig rig(c.radius);
        rig.setParam([&c](SStrokeParam &p) { p.highDensityR = c.highDensity; });
        ASSERT_TRUE(rig.begin({10, 10, 1}));
        EXPECT_EQ(rig.add({10.5f, 10, 1}), int32_t(c.xs.size()));
        ASSERT_EQ(rig.dabs.size(), c.xs.size()) << c.radius;
        for (size_t i = 0; i < c.xs.size(); ++i) {
            EXPECT_FLOAT_EQ(rig.dabs[i].x, c.xs[i]);
            EXPECT_FLOAT_EQ(rig.dabs[i].y, 10.25f);
            EXPECT_FLOAT_EQ(rig.dabs[i].r, c.radius);
        }
    }
}

TEST(StrokePlacement4, SpacingOfAPointOneAtRadiusTwentyIsEverySecondStep)
{
    struct Case
    {
        int32_t everyFreqR;
        size_t dabs;
    };
    for (const Case c : {Case{0, 5}, Case{30, 10}}) {
        Rig rig(20);
        rig.setParam([&c](SStrokeParam &p) { p.everyFreqR = c.everyFreqR; });
        ASSERT_TRUE(rig.begin({0, 5, 1}));
        rig.add({10, 5, 1});
        ASSERT_EQ(rig.dabs.size(), c.dabs);
        for (size_t i = 0; i < c.dabs; ++i)
            EXPECT_FLOAT_EQ(rig.dabs[i].x, 0.25f + float(i * (10 / c.dabs)));
        EXPECT_EQ(rig.mngr.getPenCount(), 10);
        EXPECT_EQ(rig.mngr.getPenPutCount(), int32_t(c.dabs));
    }
}

TEST(StrokePlacement4, PressureGivesRadiusAndOpacityAlongTheAveragedSegment)
{
    Rig rig(10, eCorrectType::corAvr);
    SPenParam prm;
    initPenParam(prm, 10);
    penParamSetMinRate(prm, 0.5f);
    rig.render.changePenParam(prm);
    rig.setParam([](SStrokeParam &p) {
        p.enbPrsRadius = true;
        p.enbPrsOpaque = true;
    });
    ASSERT_TRUE(rig.begin({0, 0, 1}));
    // corAvr: from (0, 0) at pressure 0 to the midpoint (4, 0) at pressure 0.5, four steps.
    EXPECT_EQ(rig.add({8, 0, 1}), 4);
    expectDabs(rig.dabs, {{0.25f, 0.25f, 0, 5},
                          {1.25f, 0.25f, 0.125f, 5.625f},
                          {2.25f, 0.25f, 0.25f, 6.25f},
                          {3.25f, 0.25f, 0.375f, 6.875f}});
    // Four per step times the pressure after the step: 4 × (0.125 + 0.25 + 0.375 + 0.5).
    EXPECT_FLOAT_EQ(rig.stroke.m_penProgress, 5.0f);
    EXPECT_FLOAT_EQ(rig.mngr.getLastPos().x, 4.25f);
}

TEST(StrokePlacement4, PressureGammaAndUpdateRectangles)
{
    Rig rig(10);
    rig.setParam([](SStrokeParam &p) {
        p.prsGamma = 200;
        p.spacing = 1000; // a dab every ten steps
    });
    ASSERT_TRUE(rig.begin({10, 10, 0.5f}));
    rig.add({30, 10, 0.5f});
    ASSERT_EQ(rig.dabs.size(), 2u);
    // The first dab of the stroke sets both rectangles: (10, 10) ± (10 + 2); the second grows
    // them.
    EXPECT_EQ(rig.mngr.getUpdateRectAll(), (sRect{-2, -2, 32, 22}));
    // 0.5 ^ 2 is carried as the dab's pressure, not its opacity.
    EXPECT_FLOAT_EQ(rig.dabs[0].p, 1.0f);
    EXPECT_FLOAT_EQ(rig.dabs[1].x, 20.25f);
    sBox box;
    rig.mngr.getUpdateBox(box);
    EXPECT_EQ(box, (sBox{-2, -2, 34, 24})); // (-2, -2, 32, 22) with even far edges
    // The step count runs on: step 20 is the first of the next segment and gets a dab, which
    // restarts the segment rectangle.
    rig.add({31, 10, 0.5f});
    ASSERT_EQ(rig.dabs.size(), 3u);
    EXPECT_FLOAT_EQ(rig.dabs[2].x, 30.25f);
    EXPECT_EQ(rig.mngr.getUpdateRect(), (sRect{18, -2, 42, 22}));
    rig.add({52, 10, 0.5f});
    ASSERT_EQ(rig.dabs.size(), 5u);
    EXPECT_FLOAT_EQ(rig.dabs[3].x, 40.25f);
    EXPECT_FLOAT_EQ(rig.dabs[4].x, 50.25f);
    EXPECT_EQ(rig.mngr.getUpdateRect(), (sRect{28, -2, 62, 22}));
    EXPECT_EQ(rig.mngr.getUpdateRectAll(), (sRect{-2, -2, 62, 22}));
}

TEST(StrokePlacement4, RepeatedSampleAndWildSamplesDrawNothing)
{
    Rig rig(5);
    ASSERT_TRUE(rig.begin({10, 10, 1}));
    EXPECT_EQ(rig.add({10, 10, 1}), 0);
    EXPECT_EQ(rig.add({1e30f, 10, 1}), 0);
    EXPECT_EQ(rig.add({std::nanf(""), 10, 1}), 0);
    EXPECT_TRUE(rig.dabs.empty());
}

TEST(StrokePlacement4, WaterColourTakesTheMethodsPressureSwitchExceptInOldReplays)
{
    struct Case
    {
        int32_t version;
        uint32_t centreAlpha;
    };
    // Pressure 0.6 at the dab: 255 × 0.35 × 0.6 with the method's switch; 255 × 0.35 of the
    // stroke's opacity where an old replay keeps the stroke's switch (off).
    for (const Case c : {Case{34, 53}, Case{33, 89}}) {
        Rig rig(4);
        SGradeMapParam flat;
        flat.flatRate = 500;
        rig.render.changeGradeParam(flat);
        SPenRenderAttr attr;
        initPenRenderAttr(attr);
        attr.renderMode = ePenRenderMode::PRMODE_WC;
        rig.render.changeRenderAttr(attr, 7);
        rig.setParam([](SStrokeParam &p) { p.enbPrsOpaque = true; });
        ReplayCanvas paper(c.version, nullptr);
        ASSERT_TRUE(rig.begin({20, 20, 0.6f}, &paper));
        rig.add({20.5f, 20, 0.6f}); // the first segment starts at pressure 0
        PutCapture cap;
        rig.add({21, 20, 0.6f});
        EXPECT_FALSE(rig.stroke.m_penIfTrans);
        const auto centre =
            std::find_if(cap.canvas.begin(), cap.canvas.end(),
                         [](const SCapturedPut &p) { return p.x == 20 && p.y == 20; });
        ASSERT_NE(centre, cap.canvas.end());
        EXPECT_EQ(centre->alpha, c.centreAlpha) << c.version;
    }
}

TEST(StrokePlacement4, BlurReadsTheLayerImageOfThePaper)
{
    Rig rig(4);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    attr.renderMode = ePenRenderMode::PRMODE_Blur;
    penRenderAttrSetEffect(attr, 0, 50);
    rig.render.changeRenderAttr(attr, 7);
    rig.stroke.m_bProtectMask = true;
    CBlockVMTC img(64, 64);
    fillLayer(img, [](int, int) { return bgra(40, 80, 120, 255); });
    ReplayCanvas paper(40, &img);
    ASSERT_TRUE(rig.begin({20, 20, 1}, &paper));
    rig.add({20.5f, 20, 1});
    PutCapture cap;
    rig.add({21, 20, 1});
    EXPECT_EQ(rig.render.getBlurLen(), 2); // Round(50 × 4 / 100)
    ASSERT_FALSE(cap.canvas.empty());
    for (const SCapturedPut &p : cap.canvas)
        EXPECT_EQ(p.value & 0xFFFFFF, bgra(40, 80, 120, 0));
}

TEST(StrokePlacement4, ZeroSpacingPutsADabEveryStep)
{
    // ceil(0 × r) would make every step's count divide by zero; at least every step is drawn.
    Rig rig(10);
    rig.setParam([](SStrokeParam &p) { p.spacing = 0; });
    ASSERT_TRUE(rig.begin({0, 5, 1}));
    EXPECT_EQ(rig.add({6, 5, 1}), 6);
}
