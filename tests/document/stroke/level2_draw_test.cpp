// The level-2 draw procedure: which dabs it puts along a segment (procedure, position, size,
// alpha) and what each dab procedure does to the pixels of a small document.
#include "stroke_rig.h"

#include "core/image/channel.h"
#include "paint/render/legacy_dabs.h"
#include "paint/render/stroke_base_puts.h"
#include "paint/stroke/stroke_tables.h"

#include <gtest/gtest.h>

#include <QImage>

#include <limits>

namespace {

using namespace stroke_test;

struct Dab
{
    TDrawMode mode;
    float x, y, size, alpha;
};

// A level-2 document of 48 x 32 whose layer is opaque mid grey, and a dab list.
struct Level2 : StrokeDoc
{
    explicit Level2(uint32_t fill = 0xFF808080) : StrokeDoc({48, 32})
    {
        switchPaintLevel(paper(), ePaintLevel::PAINT_LEVEL_qZ2);
        paper().getLayerData(0)->imageTC->fillImageAll(fill);
        paper().getLayerData(0)->fillAlpha(uint8_t(fill >> 24));
        paper().setFlow(flow(), 0, true);
        stroke.m_bRawPoint = true;
        stroke.SetPenWidth(6);
        previous = setDraw2DabObserver([this](TDrawMode m, float x, float y, float s, float a) {
            dabs.push_back({m, x, y, s, a});
        });
        prepareStrokeForPaper(stroke, &paper());
    }
    ~Level2() { setDraw2DabObserver(previous); }

    // One segment from (x1, y1, p1) to (x2, y2, p2), paper coordinates.
    void segment(float x1, float y1, float p1, float x2, float y2, float p2)
    {
        stroke.setStrokePos(x1, y1, p1, x2, y2, p2);
        Draw2(paper(), flow(), stroke);
    }

    std::vector<Dab> dabs;
    Draw2DabObserver previous;
};

TEST(Level2Draw, AWidthSixPenDabsEveryStepAndHalvesOnlyBelowSizeTwo)
{
    {
        Level2 d;
        d.segment(10, 10, 1, 20, 10, 1);
        ASSERT_EQ(d.dabs.size(), 10u); // spacing 1 (size below 8), no halving
        for (size_t i = 0; i < d.dabs.size(); ++i) {
            EXPECT_EQ(d.dabs[i].mode, TDrawMode::DM_PEN);
            EXPECT_FLOAT_EQ(d.dabs[i].x, 10.5f + float(i));
            EXPECT_FLOAT_EQ(d.dabs[i].y, 10.5f);
            EXPECT_FLOAT_EQ(d.dabs[i].size, 6);
            EXPECT_FLOAT_EQ(d.dabs[i].alpha, 1);
        }
        EXPECT_EQ(d.stroke.m_penPutCount, 10u);
        EXPECT_TRUE(d.paper().m_bDirW);
    }
    {
        // Size from pressure with a 10 % minimum: 0.6 + 5.4 × 0.1 is below 2, so half steps.
        Level2 d;
        d.stroke.SetPenIfSize(true);
        d.stroke.SetPenMin(10);
        d.stroke.SetPenIfTrans(true);
        d.segment(10, 10, 0.1f, 10, 20, 1);
        ASSERT_EQ(d.dabs.size(), 20u);
        EXPECT_FLOAT_EQ(d.dabs[1].y, 11.0f);
        EXPECT_NEAR(d.dabs[0].size, 1.14f, 1e-5);
        EXPECT_NEAR(d.dabs[0].alpha, 0.1f, 1e-6);
        EXPECT_FALSE(d.paper().m_bDirW);
    }
}

TEST(Level2Draw, TwoIdenticalPointsDrawNothing)
{
    Level2 d;
    d.segment(10, 10, 1, 10, 10, 1);
    EXPECT_TRUE(d.dabs.empty());
}

TEST(Level2Draw, WildSamplesDrawNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    Level2 d;
    d.segment(10, 10, 1, nan, 10, 1);
    d.segment(10, 10, 1, 10, inf, 1);
    d.segment(10, 10, nan, 12, 10, 1);
    d.segment(0, 0, 1, 1e30f, 0, 1);
    d.segment(0, 0, 1, 2e7f, 0, 1);
    EXPECT_TRUE(d.dabs.empty());
}

TEST(Level2Draw, MinimumFactorsOfTheTable)
{
    TStroke s(0); // no version: the table decides
    s.SetPenMin(20);
    const float kTable[] = {0.2f, 0.333f, 1, 1, 1, 0.2f, 0.2f, 0.2f, 0.2f};
    for (int m = 0; m < 9; ++m)
        EXPECT_FLOAT_EQ(draw2MinimumFactor(TDrawMode(m), s), kTable[m]) << m;
    s.m_versionID = 1;
    for (int m = 0; m < 9; ++m)
        EXPECT_FLOAT_EQ(draw2MinimumFactor(TDrawMode(m), s), 0.2f) << m;
}

// A thin pen puts row and column spans; after four dabs only the spans across the walk.
TEST(Level2Draw, ThinPenSpansFollowTheDirection)
{
    Level2 d;
    d.stroke.SetPenWidth(2);
    d.segment(4, 10, 1, 14, 10, 1);
    ASSERT_EQ(d.dabs.size(), 10u);
    TChannel expected(48, 32);
    expected.PixelFill(0);
    for (size_t i = 0; i < d.dabs.size(); ++i) {
        const Dab &b = d.dabs[i];
        if (i <= 4)
            drawAntiDiscRows(expected, 255, false, b.x, b.y, b.size, b.alpha);
        drawAntiDiscColumns(expected, 255, false, b.x, b.y, b.size, b.alpha);
    }
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 48; ++x)
            ASSERT_EQ(d.flow().alpha().getColor(x, y), expected.getColor(x, y)) << x << "," << y;
}

TEST(Level2Draw, EraseTakesAlphaUnlessTheLayerIsProtected)
{
    for (bool protect : {false, true}) {
        SCOPED_TRACE(protect);
        Level2 d(0xFF336699);
        d.paper().getLayerData(0)->maskProtected = protect;
        d.stroke.SetDrawMode(TDrawMode::DM_ERASE);
        prepareStrokeForPaper(d.stroke, &d.paper());
        EXPECT_EQ(d.stroke.m_bProtectMask, protect);
        EXPECT_EQ(gStrokeColorPut == pixelPutAlpha, protect);
        d.segment(20, 16, 1, 21, 16, 1);
        const sBGRA c{.all = d.flow().image().getColor(20, 16)};
        if (protect) {
            EXPECT_EQ(c.A, 255); // the background colour is painted, alpha kept
            EXPECT_EQ(c.all & 0xFFFFFF, 0xFFFFFFu);
        } else {
            EXPECT_EQ(c.A, 0); // alpha erased, colour bytes left
            EXPECT_EQ(c.all & 0xFFFFFF, 0x336699u);
        }
    }
}

// The airbrush and the lightness brushes lay the shared fall-off dab; each dab procedure puts its
// colour put back.
TEST(Level2Draw, EveryModeDrawsAndRestoresTheColourPut)
{
    const TDrawMode kModes[] = {TDrawMode::DM_PEN,    TDrawMode::DM_WC,       TDrawMode::DM_BLUR,
                                TDrawMode::DM_ERASE,  TDrawMode::DM_AIRBRUSH, TDrawMode::DM_RUBPEN,
                                TDrawMode::DM_DARKEN, TDrawMode::DM_LIGHTEN};
    for (TDrawMode mode : kModes) {
        SCOPED_TRACE(int(mode));
        Level2 d;
        // A layer with detail, so that blur and finger tip change something.
        CBlockVMTC &img = *d.paper().getLayerData(0)->imageTC;
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 48; ++x)
                img.setPixel(x, y, ((x / 3 + y / 3) & 1) ? 0xFF404040 : 0xFFC0C0C0);
        d.paper().setFlow(d.flow(), 0, true);
        d.stroke.SetDrawMode(mode);
        d.stroke.SetPenEffect(50);
        d.stroke.SetPenEnv(50);
        d.stroke.SetPenSpeed(10);
        ASSERT_TRUE(eventStrokeBegin(d.paper(), d.flow(), d.stroke, 10, 12, 1, false));
        const fptrPixelPut4core put = gStrokeColorPut;
        const std::vector<uint32_t> before = imagePixels(d.flow().image());
        for (float x : {12.f, 16.f, 20.f, 24.f, 28.f})
            EventStrokeAdd(d.paper(), d.flow(), d.stroke, x, 12, 1, &d.doc.owner, false);
        EXPECT_EQ(gStrokeColorPut, put);
        EXPECT_FALSE(d.dabs.empty());
        if (mode != TDrawMode::DM_PEN) { // the pen paints coverage, laid on by the step's show
            EXPECT_NE(imagePixels(d.flow().image()), before);
        }
        sBox box;
        EXPECT_TRUE(EventStrokeEnd(d.paper(), d.flow(), d.stroke, &d.doc.owner, box, false));
        EXPECT_FALSE(d.doc.owner.nowStroking());
    }
}

TEST(Level2Draw, AirbrushLaysTheAirMapDab)
{
    Level2 d(0xFFFFFFFF);
    d.stroke.SetDrawMode(TDrawMode::DM_AIRBRUSH);
    d.stroke.SetDrawColor(0xFF0000FF);
    setStrokeAirMap(&d.stroke, eAirMap::ABMAP_CIRCLE, true);
    prepareStrokeForPaper(d.stroke, &d.paper());
    TMTC expected(48, 32);
    expected.copyImage(d.flow().image());
    d.segment(20, 16, 1, 21, 16, 1);
    ASSERT_EQ(d.dabs.size(), 1u);
    drawRadialDab(expected, 0xFF0000FF, d.dabs[0].x, d.dabs[0].y, d.dabs[0].size, 1);
    EXPECT_EQ(imagePixels(d.flow().image()), imagePixels(expected));
}

// The watercolour reads the flow image around the dab; at the image's corners those samples are
// held inside the image.
TEST(Level2Draw, WatercolourAtTheCornersReadsInsideTheImage)
{
    Level2 d(0xFF2040A0);
    d.stroke.SetDrawMode(TDrawMode::DM_WC);
    d.stroke.SetPenWidth(8);
    d.stroke.SetPenEnv(100);
    ASSERT_TRUE(eventStrokeBegin(d.paper(), d.flow(), d.stroke, 0, 0, 1, false));
    EventStrokeAdd(d.paper(), d.flow(), d.stroke, 2, 0, 1, &d.doc.owner, false);
    EventStrokeAdd(d.paper(), d.flow(), d.stroke, 47, 31, 1, &d.doc.owner, false);
    EventStrokeAdd(d.paper(), d.flow(), d.stroke, 46, 31, 1, &d.doc.owner, false);
    EXPECT_FALSE(d.dabs.empty());
    // The picked-up colour is the layer's own colour: nothing outside the image was read.
    const SWaterColorWork &wc = d.stroke.m_wcWork;
    EXPECT_FLOAT_EQ(wc.penCol.r, 0x20);
    EXPECT_FLOAT_EQ(wc.penCol.g, 0x40);
    EXPECT_FLOAT_EQ(wc.penCol.b, 0xA0);
}

} // namespace

namespace {

// One reviewed image per draw mode: a pressure-ramped stroke over a grey checker, the layer
// written as a PNG. A mismatch writes <name>_actual.png and <name>_expected.png beside the golden.
TEST(Level2Draw, EachModeMatchesItsGolden)
{
    const struct
    {
        TDrawMode mode;
        const char *name;
    } kModes[] = {{TDrawMode::DM_PEN, "pen"},          {TDrawMode::DM_WC, "watercolour"},
                  {TDrawMode::DM_BLUR, "blur"},        {TDrawMode::DM_ERASE, "erase"},
                  {TDrawMode::DM_BLUR2, "blur2"},      {TDrawMode::DM_AIRBRUSH, "airbrush"},
                  {TDrawMode::DM_RUBPEN, "fingertip"}, {TDrawMode::DM_DARKEN, "darken"},
                  {TDrawMode::DM_LIGHTEN, "lighten"}};
    for (const auto &m : kModes) {
        SCOPED_TRACE(m.name);
        Level2 d;
        CBlockVMTC &img = *d.paper().getLayerData(0)->imageTC;
        for (int32_t y = 0; y < 32; ++y)
            for (int32_t x = 0; x < 48; ++x)
                img.setPixel(x, y, ((x / 4 + y / 4) & 1) ? 0xFF4060A0 : 0xFFD0C0A0);
        d.paper().setFlow(d.flow(), 0, true);
        d.stroke.SetDrawMode(m.mode);
        d.stroke.SetDrawColor(0xFFC02010);
        d.stroke.SetPenWidth(4);
        d.stroke.SetPenIfSize(true);
        d.stroke.SetPenIfTrans(true);
        d.stroke.SetPenMin(30);
        d.stroke.SetPenEffect(60);
        d.stroke.SetPenEnv(40);
        d.stroke.SetPenSpeed(20);
        d.stroke.setOpaque(0.9f);
        d.stroke.m_bRawPoint = false;
        ASSERT_TRUE(eventStrokeBegin(d.paper(), d.flow(), d.stroke, 4, 24, 0.2f, false));
        for (int i = 1; i <= 12; ++i) {
            const float t = float(i) / 12;
            EventStrokeAdd(d.paper(), d.flow(), d.stroke, 4 + 40 * t,
                           24 - 16 * std::sin(t * 3.1415926f), 0.2f + 0.8f * t, &d.doc.owner,
                           false);
        }
        sBox box;
        ASSERT_TRUE(EventStrokeEnd(d.paper(), d.flow(), d.stroke, &d.doc.owner, box, false));
        TMTC out(48, 32);
        img.bltTo(out, {0, 0}, {0, 0, 48, 32}, 255, false);
        const QImage actual = out.imageView().convertToFormat(QImage::Format_ARGB32);
        const QString golden =
            QStringLiteral(KAVRIN_TEST_DATA "/document/level2_%1.png").arg(QLatin1String(m.name));
        const QImage expected = QImage(golden).convertToFormat(QImage::Format_ARGB32);
        const bool same = actual == expected;
        if (!same) {
            QString base = golden;
            base.chop(4);
            actual.save(base + QStringLiteral("_actual.png"), "PNG");
            expected.save(base + QStringLiteral("_expected.png"), "PNG");
        }
        EXPECT_TRUE(same) << qPrintable(golden);
    }
}

} // namespace
