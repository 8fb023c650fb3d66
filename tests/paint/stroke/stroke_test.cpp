#include "paint/stroke/stroke.h"

#include "core/pixel/blend_modes.h"
#include "core/image/channel.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke_tables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A paper that only answers the blend mode of the layer under the stroke.
class ModePaper : public IPenRenderPaper
{
  public:
    explicit ModePaper(TLayerMode lm) : m_lm(lm) {}
    bool isPaintLevel5() const override { return true; }
    TLayerMode strokeLayerMode() const override { return m_lm; }
    uint32_t selectionAlpha(int32_t, int32_t, uint32_t a) const override { return a; }

  private:
    TLayerMode m_lm;
};

// Fresh stroke context and no document hooks for every test.
class StrokeTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        initStrokePixelProcs();
        m_saved = installStrokeDocumentHooks({});
    }
    void TearDown() override
    {
        installStrokeDocumentHooks(m_saved);
        initStrokePixelProcs();
    }

    SStrokeDocumentHooks m_saved;
};

uint32_t bgr(int r, int g, int b)
{
    sBGRA c{};
    c.R = uint8_t(r);
    c.G = uint8_t(g);
    c.B = uint8_t(b);
    return c.all;
}

} // namespace

TEST_F(StrokeTest, CreationDefaults)
{
    TStroke s(5);
    EXPECT_EQ(s.m_versionID, 5);
    EXPECT_EQ(s.m_drawMode, TDrawMode::DM_PEN);
    EXPECT_EQ(s.m_abMap, eAirMap::ABMAP_LINEAR);
    EXPECT_EQ(s.m_drawColor, 0u);
    EXPECT_EQ(s.m_bgCol, 0x00FFFFFFu);
    EXPECT_EQ(s.getOpaque(), 1.0f);
    EXPECT_EQ(s.m_penGamma, 1.0f);
    EXPECT_EQ(s.actPenTC, -1);
    EXPECT_EQ(s.getLastPenTC(), nullptr);
    EXPECT_FALSE(s.m_changed);
    EXPECT_FALSE(s.m_bUseTone || s.m_bUseGradation || s.m_bProtectMask || s.m_penIfSize);
}

TEST_F(StrokeTest, SettersClampToTheirRanges)
{
    TStroke s(0);
    s.SetPenWidth(0);
    EXPECT_EQ(s.m_penWidth, 0.1f);
    s.SetPenWidth(1000);
    EXPECT_EQ(s.m_penWidth, 500.0f);
    s.setOpaque(0);
    EXPECT_EQ(s.getOpaque(), 0.01f);
    s.setOpaque(3);
    EXPECT_EQ(s.getOpaque(), 1.0f);
    s.SetPenGamma(10);
    EXPECT_EQ(s.m_penGamma, 6.0f);
    s.SetPenGamma(0);
    EXPECT_EQ(s.m_penGamma, 0.01f);
    s.setPenSpacing(5);
    EXPECT_EQ(s.m_penSpacing, 2.0f);
    s.SetPenMin(50);
    s.SetPenMinAdd(80);
    EXPECT_EQ(s.m_penMin, 100.0f);
    s.SetPenEffectAdd(-5);
    EXPECT_EQ(s.m_penEffect, 0.0f);
    s.SetPenWidthAdd(-1000);
    EXPECT_EQ(s.m_penWidth, 0.1f);
}

// Which setters raise the changed flag.
TEST_F(StrokeTest, ChangedFlag)
{
    struct Case
    {
        const char *name;
        void (*change)(TStroke &);
        bool flags;
    };
    const Case cases[] = {
        {"draw colour", [](TStroke &s) { s.SetDrawColor(0x123456); }, true},
        {"same draw colour", [](TStroke &s) { s.SetDrawColor(0); }, false},
        {"fg colour", [](TStroke &s) { s.setFgCol(0x123456); }, false},
        {"pen min", [](TStroke &s) { s.SetPenMin(10); }, true},
        {"pen min add", [](TStroke &s) { s.SetPenMinAdd(10); }, false},
        {"width", [](TStroke &s) { s.SetPenWidth(3); }, true},
        {"gamma", [](TStroke &s) { s.SetPenGamma(2); }, true},
        {"same gamma", [](TStroke &s) { s.SetPenGamma(1); }, false},
        {"draw mode", [](TStroke &s) { s.SetDrawMode(TDrawMode::DM_WC); }, true},
        {"if size", [](TStroke &s) { s.SetPenIfSize(true); }, true},
        {"tone", [](TStroke &s) { s.switchScreenTone(true, false); }, true},
        {"gradation", [](TStroke &s) { s.switchGradation(true, false); }, true},
        {"mask protection", [](TStroke &s) { s.switchMaskProtection(true, false); }, false},
        {"opacity", [](TStroke &s) { s.setOpaque(0.5f); }, false},
    };
    for (const Case &c : cases) {
        TStroke s(0);
        c.change(s);
        EXPECT_EQ(s.m_changed, c.flags) << c.name;
    }
}

TEST_F(StrokeTest, SwitchesReportChangeAndReselectPutsOnlyWhenAsked)
{
    int selections = 0;
    SStrokeDocumentHooks hooks;
    hooks.selectStrokePutProcs = [&](TStroke &) { ++selections; };
    installStrokeDocumentHooks(hooks);
    TStroke s(0);
    EXPECT_TRUE(s.switchScreenTone(true, false));
    EXPECT_EQ(selections, 0);
    EXPECT_FALSE(s.switchScreenTone(true, true));
    EXPECT_EQ(selections, 1);
    EXPECT_TRUE(s.switchMaskProtection(true, true));
    EXPECT_EQ(selections, 2);
}

// A window painting with the oldest draw procedure paints every stroke fully opaque.
TEST_F(StrokeTest, OpacityUnderTheOldestDrawProcedure)
{
    bool oldProc = false;
    SStrokeDocumentHooks hooks;
    hooks.strokeWindowUsesOldDrawProc = [&] { return oldProc; };
    installStrokeDocumentHooks(hooks);
    TStroke s(0);
    s.setOpaque(0.5f);
    EXPECT_EQ(s.getOpaque(), 0.5f);
    EXPECT_EQ(s.OpaqueDWORD(), 127u);
    oldProc = true;
    EXPECT_EQ(s.getOpaque(), 1.0f);
    EXPECT_EQ(s.OpaqueDWORD(), 255u);
}

TEST_F(StrokeTest, PerModeSettingsAndSpacing)
{
    TStroke s(0);
    s.setPenSpacing(0.7f);
    EXPECT_FLOAT_EQ(s.getPenSpacing(), 1.0f / 6); // DM_PEN has its own spacing
    s.SetDrawMode(TDrawMode::DM_WC);
    EXPECT_FLOAT_EQ(s.getPenSpacing(), 1.0f / 12);
    EXPECT_TRUE(s.IfPenSpeedEnabled() && s.IfPenIfEdgeEnabled());
    s.SetDrawMode(TDrawMode::DM_AIRBRUSH);
    EXPECT_FLOAT_EQ(s.getPenSpacing(), 0.7f);
    s.m_penSpacing = 0.01f;
    EXPECT_FLOAT_EQ(s.getPenSpacing(), 0.02f);
    EXPECT_TRUE(s.isGradationSupported());
    s.SetDrawMode(TDrawMode::DM_RUBPEN);
    EXPECT_FALSE(s.isGradationSupported());
    EXPECT_TRUE(s.isScreenToneSupported());
    s.SetDrawMode(TDrawMode::DM_BLUR2);
    EXPECT_FALSE(s.IfPenMinEnabled() || s.IfPenIfSizeEnabled() || s.isScreenToneSupported());
    EXPECT_TRUE(s.IfPenWidthEnabled() && s.IfPenGammaEnabled());
}

TEST_F(StrokeTest, PenWidthFollowsPressureOnlyWhereTheModeTakesIt)
{
    TStroke s(0);
    s.SetPenWidth(20);
    s.SetPenMin(25);
    EXPECT_EQ(s.GetPenWidth(0.5f), 20.0f); // switch off
    s.SetPenIfSize(true);
    EXPECT_FLOAT_EQ(s.GetPenWidth(0), 5);
    EXPECT_FLOAT_EQ(s.GetPenWidth(0.5f), 12.5f);
    EXPECT_FLOAT_EQ(s.GetPenWidth(1), 20);
    s.SetDrawMode(TDrawMode::DM_BLUR2);
    EXPECT_EQ(s.GetPenWidth(0.5f), 20.0f);
}

TEST_F(StrokeTest, HistorySmoothsTheMiddleSampleUnlessRaw)
{
    TStroke s(0);
    s.AddStroke(0, 0, 0);
    s.AddStroke(4, 8, 0.5f);
    s.AddStroke(10, 2, 1);
    SStrokeData sd;
    s.getSD(sd, 1);
    // The mean of (10, 2, 1) and the entry two back, itself smoothed to (2, 4, 0.25).
    EXPECT_FLOAT_EQ(sd.x, 6);
    EXPECT_FLOAT_EQ(sd.y, 3);
    EXPECT_FLOAT_EQ(sd.p, 0.625f);
    s.getLastSD(sd);
    EXPECT_EQ(sd.x, 10.0f);

    TStroke raw(0);
    raw.m_bRawPoint = true;
    raw.AddStroke(0, 0, 0);
    raw.AddStroke(4, 8, 0.5f);
    raw.AddStroke(10, 2, 1);
    raw.getSD(sd, 1);
    EXPECT_EQ(sd.x, 4.0f);
    EXPECT_EQ(sd.y, 8.0f);
    EXPECT_EQ(sd.p, 0.5f);
}

// Width 4: squares of half side 6 around entries 1 and 2; the boxes have even edges.
TEST_F(StrokeTest, AreaOfTheNewestSegment)
{
    TStroke s(0);
    s.SetPenWidth(4);
    s.InitBeginStrokeOld(nullptr, 0, 0, 1, TMTC(8, 8));
    s.setStrokePos(10.5f, 3, 1, 20, 7.25f, 1);
    s.MinimumRectUpdate();
    EXPECT_EQ(s.updtRange, (SUpdateRange{4.5f, 26, -3, 13.25f}));
    sBox box;
    s.GetMinimumMoveRange(box);
    EXPECT_EQ(box, (sBox{4, -4, 22, 18})); // far edges ceil(26) + 1 -> 26, ceil(13.25) + 1 -> 14
    s.setStrokePos(20, 7.25f, 1, 30, 7, 1);
    s.MinimumRectUpdate();
    EXPECT_EQ(s.updtRangeAll, (SUpdateRange{4.5f, 36, -3, 13.25f}));
    s.GetMinimumStrokeRange(box);
    EXPECT_EQ(box, (sBox{4, -4, 32, 18}));
}

TEST_F(StrokeTest, StartResetsCountersAndHistory)
{
    TStroke s(0);
    s.m_penPutCount = 9;
    s.m_penCount = 9;
    s.m_penProgress = 9;
    const ModePaper paper(TLayerMode::LM_MUL);
    TMTC flow(16, 16);
    flow.fillAll(0);
    s.initBeginStroke(&paper, flow, {2, 3}, 5, 6, 0.8f);
    EXPECT_EQ(s.m_penPutCount, 0u);
    EXPECT_EQ(s.m_penCount, 0);
    EXPECT_EQ(s.m_penProgress, 0.0f);
    EXPECT_EQ(s.curLayerBG.all, *getLayerModeBgColor(TLayerMode::LM_MUL));
    EXPECT_EQ(s.updtRangeAll, (SUpdateRange{65535, -65535, 65535, -65535}));
    for (int i = 0; i < 8; ++i) {
        SStrokeData sd;
        s.getSD(sd, i);
        EXPECT_EQ(sd.x, 5.0f);
        EXPECT_EQ(sd.y, 6.0f);
        EXPECT_EQ(sd.p, 0.0f);
    }
}

// The watercolour start averages the 11 x 11 pixels around the point (edges repeated where the
// area leaves the canvas) and mixes the base colour towards the draw colour by 1 - stretch.
TEST_F(StrokeTest, WaterColourStartPicksUpTheCanvasColour)
{
    TMTC canvas(20, 20);
    canvas.fillAll(bgr(100, 50, 10));
    for (int y = 0; y < 20; ++y) {
        for (int x = 10; x < 20; ++x) {
            canvas.seek32(x, y)->all = bgr(200, 150, 32);
        }
    }
    TStroke s(0);
    s.SetDrawMode(TDrawMode::DM_WC);
    s.SetDrawColor(bgr(0, 0, 255));
    s.SetPenEffect(65);
    // Around (9.7, 3): columns 4..14 (6 of 100, 5 of 200), rows clamped at the top edge.
    s.InitBeginStrokeOld(nullptr, 9.7f, 3, 1, canvas);
    const sBGRA first = s.m_wcWork.firstCol;
    EXPECT_EQ(first.R, (6 * 100 + 5 * 200) * 11 / 121);
    EXPECT_EQ(first.G, (6 * 50 + 5 * 150) * 11 / 121);
    EXPECT_EQ(first.B, (6 * 10 + 5 * 32) * 11 / 121);
    EXPECT_EQ(s.m_wcWork.penCol.r, float(first.R));
    sBGRA base = first;
    pixelPutDiff(&base, bgr(0, 0, 255), 255 - 165); // trunc(65 * 255 / 100) = 165
    EXPECT_EQ(s.m_wcWork.blendCol[0].all, base.all);
}

TEST_F(StrokeTest, DarkenAndLightenStartBuildTheLightnessCurve)
{
    TStroke s(0);
    s.SetPenEffect(50);
    s.SetDrawMode(TDrawMode::DM_DARKEN);
    s.InitBeginStrokeOld(nullptr, 0, 0, 1, TMTC(4, 4));
    EXPECT_EQ(gPowerCurveTable[0], 0);
    EXPECT_EQ(gPowerCurveTable[2047], 0x10000);
    const int32_t darken = gPowerCurveTable[1024];
    EXPECT_NEAR(darken, std::pow(1024.0 / 2047, 1.1) * 65536, 1.0); // exponent 1 + 0.002 * 50
    s.SetDrawMode(TDrawMode::DM_LIGHTEN);
    s.InitBeginStrokeOld(nullptr, 0, 0, 1, TMTC(4, 4));
    EXPECT_GT(gPowerCurveTable[1024], 1024 * 65536 / 2047);
    EXPECT_LT(darken, 1024 * 65536 / 2047);
}

// Finger tip: the texture laid down is the pick-up before the newest.
TEST_F(StrokeTest, FingerTipTexturesAlternate)
{
    TMTC canvas(32, 32);
    canvas.fillAll(bgr(1, 2, 3));
    TStroke s(0);
    s.initRubPen(canvas, 10.5f, 10.5f, 1, 3);
    EXPECT_EQ(s.actPenTC, 0);
    EXPECT_EQ(s.getLastPenTC(), nullptr);
    EXPECT_FALSE(s.nextDoubleRubPen(canvas, 10.9f, 10.1f, 3)); // same whole pixel
    ASSERT_TRUE(s.nextDoubleRubPen(canvas, 12, 10, 3));
    ASSERT_NE(s.getLastPenTC(), nullptr);
    EXPECT_EQ(s.getLastPenTC(), s.getPenTC(0));
    EXPECT_EQ(s.getLastPenTC()->center, (sFPos{10.5f, 10.5f}));
    ASSERT_TRUE(s.nextDoubleRubPen(canvas, 14, 10, 3));
    EXPECT_EQ(s.getLastPenTC(), s.getPenTC(1));
    EXPECT_EQ(s.getLastPenTC()->center, (sFPos{12, 10}));
    EXPECT_EQ(s.getPenTC(2), nullptr);

    ASSERT_TRUE(s.nextSingleRubPen(canvas, 20, 20, 3));
    EXPECT_EQ(s.actPenTC, 1);
    EXPECT_EQ(s.getLastPenTC(), s.getPenTC(0));
    EXPECT_EQ(s.getLastPenTC()->center, (sFPos{20, 20}));
}

TEST_F(StrokeTest, BuiltInSettingsOfADrawMode)
{
    TStroke s(0);
    s.SetPenEnv(77);
    s.switchScreenTone(true, false);
    s.initPenSetting(TDrawMode::DM_DARKEN);
    EXPECT_EQ(s.m_penMin, 60.0f);
    EXPECT_EQ(s.m_penWidth, 25.0f);
    EXPECT_EQ(s.m_penEffect, 50.0f);
    EXPECT_EQ(s.m_penEnv, 0.0f);
    EXPECT_FLOAT_EQ(s.m_penSpacing, 0.15f);
    EXPECT_FLOAT_EQ(s.getOpaque(), 0.2f);
    EXPECT_TRUE(s.m_penIfSize && s.m_penIfTrans);
    EXPECT_FALSE(s.m_bUseTone);
    EXPECT_EQ(s.m_abMap, eAirMap::ABMAP_CIRCLE);
    EXPECT_EQ(gCurrentAirMap, eAirMap::ABMAP_CIRCLE);

    s.initPenSetting(TDrawMode::DM_BLUR2);
    EXPECT_EQ(s.m_penWidth, 0.1f);
    EXPECT_EQ(s.m_penMin, 0.0f);
    EXPECT_FLOAT_EQ(s.m_penSpacing, 0.5f);
    EXPECT_EQ(s.getOpaque(), 1.0f);
}

TEST_F(StrokeTest, AirMapTableIsRebuiltOnlyForAChangeOrWhenForced)
{
    TStroke s(0);
    ASSERT_TRUE(setStrokeAirMap(&s, eAirMap::ABMAP_FLAT90, false));
    EXPECT_EQ(s.m_abMap, eAirMap::ABMAP_FLAT90);
    EXPECT_EQ(gAirMapTable[1843], 0xFF0000);
    EXPECT_EQ(gAirMapTable[2047], 0);
    gAirMapTable[0] = 7;
    setStrokeAirMap(&s, eAirMap::ABMAP_FLAT90, false);
    EXPECT_EQ(gAirMapTable[0], 7);
    setStrokeAirMap(nullptr, eAirMap::ABMAP_FLAT90, true);
    EXPECT_EQ(gAirMapTable[0], 0xFF0000);
    EXPECT_FALSE(setStrokeAirMap(&s, eAirMap(9), true));
    EXPECT_EQ(s.m_abMap, eAirMap::ABMAP_FLAT90);
    EXPECT_EQ(gCurrentAirMap, eAirMap::ABMAP_FLAT90);
}
