// The version-4 dab renderer: its render parameters as numbers, the plain dab and the
// anti-alias rule, the one-channel dab drawn twice for small radii, and the render modes that
// swap the colour put (eraser, burn and dodge, blur) or take their colour from the canvas
// (watercolour, spread, finger tip).
#include "paint/older_paint_test_support.h"

#include "core/base/numeric.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render4.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_base_puts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using Puts = std::vector<SCapturedPut>;

std::set<std::pair<int32_t, int32_t>> positions(const Puts &puts)
{
    std::set<std::pair<int32_t, int32_t>> s;
    for (const SCapturedPut &p : puts)
        s.insert({p.x, p.y});
    return s;
}

const SCapturedPut *putAt(const Puts &puts, int32_t x, int32_t y)
{
    const auto it = std::find_if(puts.begin(), puts.end(),
                                 [&](const SCapturedPut &p) { return p.x == x && p.y == y; });
    return it == puts.end() ? nullptr : &*it;
}

// A fall-off with a flat core of half the radius: dab centres are fully covered.
void setFlatCore(CPenRender &pr)
{
    SGradeMapParam g;
    g.mapType = eGradeMap::GMAP_LINEAR;
    g.flatRate = 500;
    pr.changeGradeParam(g);
}

// A renderer of one render mode for a stroke, effect words as given.
void setMode(CPenRender &pr, ePenRenderMode mode, uint16_t e1 = 0, uint16_t e2 = 0, uint16_t e3 = 0,
             uint8_t sub = 0)
{
    SPenRenderAttr attr{};
    attr.renderMode = mode;
    attr.subRenderMode = sub;
    penRenderAttrSetEffect(attr, 0, e1);
    penRenderAttrSetEffect(attr, 1, e2);
    penRenderAttrSetEffect(attr, 2, e3);
    pr.changeRenderAttr(attr, 7);
}

} // namespace

TEST(PenRender4, RenderParametersAsNumbers)
{
    CPenRender pr(nullptr);
    TMTC tc(100, 100);
    ASSERT_TRUE(pr.setRenderParam(tc, {10.25f, 5.5f, 0.5f}, 0x123456, 2.5f, 2.5f));
    const SPenRenderParam &rp = pr.getRenderParam();
    EXPECT_EQ(rp.pos, (sFXPos{0xA4000, 0x58000}));
    EXPECT_EQ(rp.sizeR, (sFXSize{0x28000, 0x28000}));
    EXPECT_EQ(rp.pres, 0x8000);
    EXPECT_EQ(rp.rect, (sRect{7, 3, 13, 8}));
    EXPECT_EQ(rp.ofs, (sPos{0, 0}));
    EXPECT_EQ(rp.color.all, 0x123456u);

    // Half sizes below 0.1 pixel are taken as 0.1; the clip moves the origin.
    ASSERT_TRUE(pr.setRenderParam(tc, {1.0f, 1.0f, 1.0f}, 0, 3.0f, 0.04f));
    EXPECT_EQ(pr.getRenderParam().sizeR, (sFXSize{floatToFix(0.1f), 0x30000}));
    EXPECT_EQ(pr.getRenderParam().rect, (sRect{0, 0, 2, 4}));
    EXPECT_EQ(pr.getRenderParam().ofs, (sPos{0, 2}));

    EXPECT_FALSE(pr.setRenderParam(tc, {10, 10, 0}, 0, 2, 2));
    EXPECT_FALSE(pr.setRenderParam(tc, {-50, -50, 1}, 0, 10, 10));
}

TEST(PenRender4, ZeroPressureDabIsNotPainted)
{
    CPenRender pr(nullptr);
    TMTC tc(40, 40);
    TChannel ch(40, 40);
    PutCapture cap;
    EXPECT_FALSE(pr.render(tc, {20, 20, 0}, 5, 0xFF));
    EXPECT_FALSE(pr.render1(ch, {20, 20, 0}, 5, 255));
    EXPECT_FALSE(pr.renderPen1(ch, {20, 20, 0}, 2, 255));
    EXPECT_TRUE(cap.canvas.empty());
    EXPECT_TRUE(cap.channel.empty());
}

TEST(PenRender4, PlainDabIsFullInTheMiddleAndFadesOut)
{
    CPenRender pr(nullptr);
    TMTC tc(40, 40);
    PutCapture cap;
    ASSERT_TRUE(pr.render(tc, {20.5f, 20.5f, 1.0f}, 6, 0xABCDEF));
    ASSERT_FALSE(cap.canvas.empty());
    for (const SCapturedPut &p : cap.canvas) {
        EXPECT_EQ(p.value, 0xABCDEFu);
        EXPECT_GE(p.alpha, 1u);
        // Inside the rectangle (floor(14.5), ceil(26.5)).
        EXPECT_TRUE(p.x >= 14 && p.x < 27 && p.y >= 14 && p.y < 27);
    }
    // The linear fall-off: nearly full in the middle, faint towards the rim.
    EXPECT_GE(putAt(cap.canvas, 20, 20)->alpha, 230u);
    EXPECT_LT(putAt(cap.canvas, 20, 25)->alpha, putAt(cap.canvas, 20, 23)->alpha);
    EXPECT_LT(putAt(cap.canvas, 20, 23)->alpha, putAt(cap.canvas, 20, 21)->alpha);
}

TEST(PenRender4, AntiAliasOffGivesFullPressureToEveryTouchedPixel)
{
    CPenRender pr(nullptr);
    TMTC tc(40, 40);
    Puts smooth, hard;
    {
        PutCapture cap;
        pr.render(tc, {10.3f, 10.6f, 0.1f}, 3, 0);
        smooth = cap.canvas;
    }
    SPenAttr off;
    penAttrSetAntiOff(off, true);
    pr.changePenAttr(off);
    {
        PutCapture cap;
        pr.render(tc, {10.3f, 10.6f, 0.1f}, 3, 0);
        hard = cap.canvas;
    }
    for (const SCapturedPut &p : hard)
        EXPECT_EQ(p.alpha, 25u); // 255 × 0.1, shifted down
    // Pixels the nib barely touches are painted too.
    const auto soft = positions(smooth), all = positions(hard);
    EXPECT_TRUE(std::includes(all.begin(), all.end(), soft.begin(), soft.end()));
    EXPECT_GT(all.size(), soft.size());
}

TEST(PenRender4, SmallOneChannelDabsAreDrawnTwice)
{
    CPenRender pr(nullptr);
    TChannel ch(40, 40);
    struct Case
    {
        float r;
        bool twice;
    };
    for (const Case c :
         {Case{2.0f, true}, Case{0.5f, true}, Case{3.0f, false}, Case{0.4f, false}}) {
        PutCapture cap;
        ASSERT_TRUE(pr.renderPen1(ch, {20.3f, 20.7f, 1.0f}, c.r, 255)) << c.r;
        const size_t distinct = positions(cap.channel).size();
        if (c.twice)
            EXPECT_GT(cap.channel.size(), distinct) << c.r;
        else
            EXPECT_EQ(cap.channel.size(), distinct) << c.r;
        for (const SCapturedPut &p : cap.channel)
            EXPECT_EQ(p.value, 255u);
        // The shape mode is only forced for the call.
        EXPECT_EQ(pr.getRenderAttrRef().shapeMode, ePenShapeMode::PSMODE_Std);
    }
}

TEST(PenRender4, EraserLowersAlphaOrPaintsTheNeutralColourAndRestoresThePut)
{
    TStroke stroke(4);
    CPenRender pr(&stroke);
    setMode(pr, ePenRenderMode::PRMODE_Erase);
    TMTC tc;
    for (bool protect : {false, true}) {
        stroke.m_bProtectMask = protect;
        fillCanvas(tc, 20, 20, [](int, int) { return bgra(10, 20, 30, 255); });
        PutCapture cap(true);
        ASSERT_TRUE(pr.render(tc, {10.5f, 10.5f, 1.0f}, 4, 0x000000FF));
        EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
        const SCapturedPut *c = putAt(cap.canvas, 10, 10);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->value, 0x00FFFFFFu); // the standard mode's neutral colour
        if (protect)
            EXPECT_EQ(tc.getColor(10, 10), mix255(255, 10, c->alpha) << 16 | 0xFF000000u |
                                               mix255(255, 20, c->alpha) << 8 |
                                               mix255(255, 30, c->alpha));
        else
            EXPECT_EQ(tc.getColor(10, 10), bgra(10, 20, 30, 255 - mul255(255, c->alpha)));
    }
}

TEST(PenRender4, BurnAndDodgeMapTheLightnessThroughThePowerCurve)
{
    TStroke stroke(4);
    CPenRender pr(&stroke);
    setFlatCore(pr);
    TMTC tc;
    struct Case
    {
        uint8_t sub;
        uint8_t expect; // grey 128 (index 1027 of 2048) through (i / 2047) ^ 2 or ^ 0.5
    };
    for (const Case c : {Case{0, 64}, Case{1, 180}}) {
        setMode(pr, ePenRenderMode::PRMODE_GammaL, 500, 0, 0, c.sub);
        fillCanvas(tc, 20, 20, [](int, int) { return bgra(128, 128, 128, 255); });
        PutCapture cap(true); // (resets the stroke context, the curve table included)
        pr.startRender(tc, 10, 10, 1);
        EXPECT_EQ(gPowerCurveTable[2047], 0x10000);
        ASSERT_TRUE(pr.render(tc, {10.5f, 10.5f, 1.0f}, 6, 0));
        EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
        ASSERT_EQ(putAt(cap.canvas, 10, 10)->alpha, 255u);
        const sBGRA centre{.all = tc.getColor(10, 10)};
        EXPECT_NEAR(centre.R, c.expect, 1) << int(c.sub);
        EXPECT_EQ(centre.R, centre.G);
        EXPECT_EQ(centre.A, 255);
    }
}

TEST(PenRender4, BlurOfLengthZeroUsesAThreeByThreeWindow)
{
    TStroke stroke(4);
    stroke.m_bProtectMask = true; // the colour box blur
    CPenRender pr(&stroke);
    setMode(pr, ePenRenderMode::PRMODE_Blur, 0);
    CBlockVMTC layer(30, 30);
    fillLayer(layer, [](int x, int y) {
        return x == 15 && y == 15 ? bgra(255, 0, 0, 200) : bgra(0, 0, 0, 200);
    });
    pr.setBlurParam(&layer, 10);
    EXPECT_EQ(pr.getBlurLen(), 0);
    TMTC tc(30, 30);
    pr.startRender(tc, 15, 15, 1);
    PutCapture cap;
    ASSERT_TRUE(pr.render(tc, {15.5f, 15.5f, 1.0f}, 5, 0));
    ASSERT_FALSE(cap.canvas.empty());
    for (const SCapturedPut &p : cap.canvas) {
        const bool near = std::abs(p.x - 15) <= 1 && std::abs(p.y - 15) <= 1;
        EXPECT_EQ(sBGRA{.all = p.value}.R, near ? 28 : 0) << p.x << "," << p.y; // 255 / 9
        EXPECT_EQ(sBGRA{.all = p.value}.A, 200);
    }
}

TEST(PenRender4, AlphaWeightedBlurIgnoresTransparentPixelsAndRestoresThePut)
{
    TStroke stroke(4);
    CPenRender pr(&stroke);
    setMode(pr, ePenRenderMode::PRMODE_Blur, 100); // blurLen = Round(100 × 2 / 100) = 2
    CBlockVMTC layer(30, 30);
    // Red where x is even, transparent elsewhere: the weighted mean stays pure red.
    fillLayer(layer, [](int x, int) { return x % 2 == 0 ? bgra(255, 0, 0, 255) : 0x00FFFFFFu; });
    pr.setBlurParam(&layer, 2);
    EXPECT_EQ(pr.getBlurLen(), 2);
    TMTC tc(30, 30);
    PutCapture cap;
    ASSERT_TRUE(pr.render(tc, {15.5f, 15.5f, 1.0f}, 4, 0));
    EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
    ASSERT_FALSE(cap.canvas.empty());
    for (const SCapturedPut &p : cap.canvas) {
        const sBGRA c{.all = p.value};
        EXPECT_EQ(c.R, 255);
        EXPECT_EQ(c.G, 0);
        // Two or three opaque columns of five.
        EXPECT_TRUE(c.A == 102 || c.A == 153) << int(c.A);
    }
}

TEST(PenRender4, WaterColourAtThirtyFivePercent)
{
    TStroke stroke(4);
    stroke.SetDrawColor(bgra(200, 0, 0, 0));
    CPenRender pr(&stroke);
    setFlatCore(pr);
    pr.updatePenColor();
    // No share of the canvas colour kept, no blur, the dab colour at once (effect 3 = 0).
    setMode(pr, ePenRenderMode::PRMODE_WC, 0, 0, 0);
    TMTC tc;
    fillCanvas(tc, 30, 30, [](int, int) { return bgra(100, 100, 100, 255); });
    pr.startRender(tc, 15, 15, 1);
    EXPECT_EQ(stroke.m_wcWork.firstCol.R, 100);
    EXPECT_EQ(stroke.m_wcWork.blendCol[0].all & 0xFFFFFF, bgra(200, 0, 0, 0));
    struct Case
    {
        bool ifTrans;
        float p;
        uint32_t alpha;
    };
    // 255 × 0.35 of the stroke opacity, or of the dab's own factor 0.8 when pressure changes
    // the opacity.
    for (const Case c : {Case{false, 0.8f, 89}, Case{true, 0.8f, 71}}) {
        stroke.m_penIfTrans = c.ifTrans;
        PutCapture cap;
        ASSERT_TRUE(pr.render(tc, {15.5f, 15.5f, c.p}, 5, bgra(0, 0, 255, 0)));
        const SCapturedPut *centre = putAt(cap.canvas, 15, 15);
        ASSERT_NE(centre, nullptr);
        EXPECT_EQ(centre->alpha, c.alpha);
        EXPECT_EQ(centre->value & 0xFFFFFF, bgra(0, 0, 255, 0));
    }
}

TEST(PenRender4, SpreadLaysTheStartTextureAndFingerTipTheOneBeforeTheNewest)
{
    TStroke stroke(4);
    CPenRender pr(&stroke);
    TMTC tc;
    // Each column its own red, so that a texture shows where it was picked up.
    fillCanvas(tc, 40, 40, [](int x, int) { return bgra(x * 6, 0, 0, 255); });

    setMode(pr, ePenRenderMode::PRMODE_RubSingle);
    pr.startRender(tc, 20, 20, 1);
    {
        PutCapture cap;
        ASSERT_TRUE(pr.render(tc, {20, 20, 1.0f}, 3, 0));
        ASSERT_FALSE(cap.canvas.empty());
        for (const SCapturedPut &p : cap.canvas)
            EXPECT_EQ(p.value, bgra(p.x * 6, 0, 0, 255));
        EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
    }

    setMode(pr, ePenRenderMode::PRMODE_RubDouble);
    pr.startRender(tc, 20, 20, 1);
    {
        // At the start position nothing new is picked up and there is nothing to lay yet.
        PutCapture cap;
        pr.render(tc, {20, 20, 1.0f}, 3, 0);
        EXPECT_TRUE(cap.canvas.empty());
    }
    PutCapture cap;
    ASSERT_TRUE(pr.render(tc, {24, 20, 1.0f}, 3, 0));
    ASSERT_FALSE(cap.canvas.empty());
    // The texture picked up at the start, laid four pixels further right.
    for (const SCapturedPut &p : cap.canvas)
        EXPECT_EQ(p.value, bgra((p.x - 4) * 6, 0, 0, 255)) << p.x;
}

TEST(PenRender4, ModeNamesAndCaptions)
{
    EXPECT_EQ(penRender4ModeName(ePenRenderMode::PRMODE_WC, false), QStringLiteral("透明水彩"));
    EXPECT_EQ(penRender4ModeName(ePenRenderMode::PRMODE_GammaL, false), QStringLiteral("焼き込み"));
    EXPECT_EQ(penRender4ModeName(ePenRenderMode::PRMODE_Blur, true), QStringLiteral("鉛筆"));
    EXPECT_TRUE(penRender4ModeName(ePenRenderMode(7), false).isEmpty());
    EXPECT_EQ(penRender4EffectCaption(1, 2), QStringLiteral("影響距離"));
    EXPECT_EQ(penRender4EffectCaption(7, 0),
              QStringLiteral("露出量|値が大きいほど効果が強くなります"));
    EXPECT_TRUE(penRender4EffectCaption(4, 0).isEmpty());
    EXPECT_TRUE(penRender4EffectCaption(8, 0).isEmpty());
}

TEST(StrokeBasePuts, WithAlphaMixesAlphaFirstAndSkipsTheColourAtZero)
{
    sBGRA px{.all = bgra(10, 20, 30, 0)};
    pixelPutWithAlpha(&px, bgra(200, 100, 50, 255), 128);
    EXPECT_EQ(px.A, 128);
    EXPECT_EQ(px.R, mix255(200, 10, 128));
    sBGRA clear{.all = bgra(10, 20, 30, 0)};
    pixelPutWithAlpha(&clear, bgra(200, 100, 50, 0), 200);
    EXPECT_EQ(clear.all, bgra(10, 20, 30, 0));
}

TEST(PenRender4, ImageNibDabsAtTheirZoomAndTheZoomIsPutBack)
{
    TMTC tip;
    fillCanvas(tip, 10, 10, [](int, int) { return bgra(0, 0, 0, 255); }); // black paints
    SGradeMapParam map;
    SPenParam prm;
    initPenParam(prm, 1);
    SPenAttr attr;
    CPenShapeObj nib(&map, &prm, &attr);
    ASSERT_TRUE(nib.setImage(tip));
    CPenRender pr(nullptr);
    pr.setPenShapeObj(&nib, true, true, true);
    ASSERT_TRUE(pr.usesImageNib());
    TMTC tc(64, 64);
    pr.startRender(tc, 32, 32, 1);
    EXPECT_FLOAT_EQ(pr.getPenRadius(), 100.0f); // the zoom percent at the stroke start
    PutCapture cap;
    ASSERT_TRUE(pr.render(tc, {32, 32, 1.0f}, 50, 0xFF));
    EXPECT_EQ(nib.zoomRate, 50);
    ASSERT_FALSE(cap.canvas.empty());
    // The 10-pixel tip at half size: within 3 pixels of the dab position.
    for (const SCapturedPut &p : cap.canvas) {
        EXPECT_LE(std::abs(p.x + 0.5 - 32), 3.0) << p.x;
        EXPECT_LE(std::abs(p.y + 0.5 - 32), 3.0) << p.y;
    }
    // The nib's fall-off runs over the zoomed image's half diagonal: strongest in the middle.
    const SCapturedPut *mid = putAt(cap.canvas, 32, 32), *edge = putAt(cap.canvas, 33, 33);
    ASSERT_TRUE(mid && edge);
    EXPECT_GT(mid->alpha, edge->alpha);
    pr.endRender();
    EXPECT_EQ(nib.zoomRate, 100);
}
