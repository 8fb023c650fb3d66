// The brush settings of the older engines' stroke to and from TPaintParam.
#include "paint/brush/paint_param.h"

#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"

#include <gtest/gtest.h>

using enum TPaintMode;
using enum TPaintAirMap;

TEST(PaintParamStroke, WrittenToAStrokeAndReadBack)
{
    TPaintParam src(pmWaterColor1);
    src.setDensity(0.5f);
    src.setEffect1(10);
    src.setEffect2(20);
    src.setEffect3(30);
    src.setPrsGamma(1.5f);
    src.setSmoothEdge(true);
    src.setPrsRadius(true);
    src.setPrsDensity(false);
    src.setRadius(12);
    src.setMinRadius(0.25f);
    src.setSpace(0.3f);

    TStroke stroke(1);
    ASSERT_TRUE(src.Write(stroke));
    EXPECT_EQ(stroke.m_drawMode, TDrawMode::DM_WC);
    EXPECT_FLOAT_EQ(stroke.getOpaque(), 0.5f);
    EXPECT_FLOAT_EQ(stroke.m_penEffect, 10);
    EXPECT_FLOAT_EQ(stroke.m_penEnv, 20);
    EXPECT_FLOAT_EQ(stroke.m_penSpeed, 30);
    EXPECT_FLOAT_EQ(stroke.m_penGamma, 1.5f);
    EXPECT_TRUE(stroke.m_penIfEdge);
    EXPECT_TRUE(stroke.m_penIfSize);
    EXPECT_FALSE(stroke.m_penIfTrans);
    EXPECT_FLOAT_EQ(stroke.m_penWidth, 12);
    EXPECT_FLOAT_EQ(stroke.m_penMin, 25); // a percentage in the stroke
    EXPECT_FLOAT_EQ(stroke.m_penSpacing, 0.3f);

    bool ok = false;
    const TPaintParam back(stroke, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(back.Mode(), pmWaterColor1);
    EXPECT_FLOAT_EQ(back.Density(), 0.5f);
    EXPECT_FLOAT_EQ(back.Effect1(), 10);
    EXPECT_FLOAT_EQ(back.Effect2(), 20);
    EXPECT_FLOAT_EQ(back.Effect3(), 30);
    EXPECT_FLOAT_EQ(back.PrsGamma(), 1.5f);
    EXPECT_TRUE(back.SmoothEdge());
    EXPECT_TRUE(back.PrsRadius());
    EXPECT_FALSE(back.PrsDensity());
    EXPECT_FLOAT_EQ(back.Radius(), 12);
    EXPECT_FLOAT_EQ(back.MinRadius(), 0.25f);
    // Watercolour has a fixed spacing in the older engines: 1/12 comes back, not 0.3.
    EXPECT_FLOAT_EQ(back.Space(), 1.0f / 12);
    EXPECT_EQ(back.ShapeId(), 0);
}

TEST(PaintParamStroke, AirMapToneAndGradationWhereTheModeHasThem)
{
    initStrokePixelProcs();
    TPaintParam air(pmAirBrush1);
    air.setAirMap(pamCircle);
    air.setUseTone(true);
    air.setUseGradient(true);
    air.setSpace(0.5f);
    TStroke stroke(1);
    ASSERT_TRUE(air.Write(stroke));
    EXPECT_EQ(stroke.m_drawMode, TDrawMode::DM_AIRBRUSH);
    EXPECT_EQ(stroke.m_abMap, eAirMap::ABMAP_CIRCLE);
    EXPECT_TRUE(stroke.m_bUseTone);
    EXPECT_TRUE(stroke.m_bUseGradation);
    EXPECT_FLOAT_EQ(stroke.getPenSpacing(), 0.5f); // the airbrush keeps its own spacing

    // A curve the older engines do not have leaves the stroke's air map.
    air.setAirMap(pamNo);
    ASSERT_TRUE(air.Write(stroke));
    EXPECT_EQ(stroke.m_abMap, eAirMap::ABMAP_CIRCLE);

    // The blur supports neither: the switches stay as they were; the width is clamped by the
    // stroke's setter.
    TPaintParam blur(pmBlur1);
    blur.setUseGradient(false);
    blur.setUseTone(false);
    blur.setRadius(1000);
    ASSERT_TRUE(blur.Write(stroke));
    EXPECT_EQ(stroke.m_drawMode, TDrawMode::DM_BLUR);
    EXPECT_TRUE(stroke.m_bUseGradation);
    EXPECT_FLOAT_EQ(stroke.m_penWidth, 500);
}

TEST(PaintParamStroke, UnknownDrawModeKeepsTheMode)
{
    TStroke stroke(1);
    stroke.m_drawMode = TDrawMode(12);
    stroke.SetPenWidth(7);
    TPaintParam p(pmBurn1);
    ASSERT_TRUE(p.Read(stroke));
    EXPECT_EQ(p.Mode(), pmBurn1);
    EXPECT_FLOAT_EQ(p.Radius(), 7);
    stroke.m_drawMode = TDrawMode::DM_RUBPEN;
    ASSERT_TRUE(p.Read(stroke));
    EXPECT_EQ(p.Mode(), pmFingerTip1);
}
