// The document's choice of per-pixel puts for a stroke (selection mask, screentone, gradient),
// the puts themselves, and the shared tables and interpolation helpers.
#include "stroke_rig.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_channel.h"
#include "paint/gradient/gradation.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/stroke/stroke_tables.h"
#include "paint/tone/tone_manager.h"

#include <gtest/gtest.h>

namespace {

using namespace stroke_test;

// A stroke document whose window has a screentone set (the default disc grids) and a gradient
// set with a red-to-blue working gradient.
struct PutDoc : StrokeDoc
{
    PutDoc()
    {
        tones.makeDefault();
        grads.appendGrad(sRGBA{{255, 0, 0, kCrsKindOwn}}, sRGBA{{0, 0, 255, kCrsKindOwn}});
        grads.setCurGrad(0);
        SPaperAppHooks h = installPaperAppHooks({});
        previous = h;
        h.mainToneMngrFor = [this](const TPaper *) { return &tones; };
        h.mainGradMngr = [this] { return &grads; };
        installPaperAppHooks(h);
        dispatchGradType(paper());
        setGradation(paper(), sPos{0, 0}, sPos{64, 0});
        refreshMaskGlobals();
    }
    ~PutDoc() { installPaperAppHooks(previous); }

    // A selection of value v over the mask box, the mask placed at view position maskView.
    void select(const sBox &box, uint8_t v, sPos maskView)
    {
        CMaskMngr &mm = paper().maskMngr();
        mm.setCurIndex(mm.getMaskCount());
        CMaskData *md = mm.getActiveMask();
        ASSERT_NE(md, nullptr);
        ASSERT_TRUE(md->createMask(paper().m_paperSize.x + 16, paper().m_paperSize.y + 16));
        sBox b = box;
        md->maskTC->fillArea(b, v);
        md->viewPos = maskView;
        paper().bEnbMask = true;
        refreshMaskGlobals();
    }

    CToneMngr tones;
    CGradMngr grads;
    SPaperAppHooks previous;
};

TEST(StrokePutProcs, EachRowOfTheTable)
{
    struct Row
    {
        bool mask, tone, grad;
        fptrStrokePutCh ch;
        fptrStrokePutTC tc;
    };
    const Row kRows[] = {
        {false, false, false, channelPutPlain, pixelPutPlain},
        {false, false, true, channelPutPlain, pixelPutGradient},
        {false, true, false, channelPutToned, pixelPutToned},
        {false, true, true, channelPutToned, pixelPutTonedGradient},
        {true, false, false, channelPutMasked, pixelPutMasked},
        {true, false, true, channelPutMasked, pixelPutMaskedGradient},
        {true, true, false, channelPutMaskedToned, pixelPutMaskedToned},
        {true, true, true, channelPutMaskedToned, pixelPutMaskedTonedGradient},
    };
    for (const Row &r : kRows) {
        SCOPED_TRACE(testing::Message() << r.mask << r.tone << r.grad);
        PutDoc d;
        ASSERT_TRUE(d.ready);
        if (r.mask)
            d.select({4, 4, 8, 8}, 255, {0, 0});
        d.stroke.m_bUseTone = r.tone;
        d.stroke.m_bUseGradation = r.grad;
        selectStrokePutProcs(d.stroke);
        EXPECT_EQ(gChannelPutAt, r.ch);
        EXPECT_EQ(gCanvasPutAt, r.tc);
    }
}

TEST(StrokePutProcs, TheColourPutFollowsTransparencyProtection)
{
    PutDoc d;
    d.stroke.m_bProtectMask = true;
    selectStrokePutProcs(d.stroke);
    EXPECT_EQ(gStrokeColorPut, pixelPutAlpha);
    d.stroke.m_bProtectMask = false;
    selectStrokePutProcs(d.stroke);
    EXPECT_EQ(gStrokeColorPut, pixelPutOver);
    // The document decides: the active layer's protection is taken over.
    d.paper().getLayerData(0)->maskProtected = true;
    prepareStrokeForPaper(d.stroke, &d.paper());
    EXPECT_TRUE(d.stroke.m_bProtectMask);
    EXPECT_EQ(gStrokeColorPut, pixelPutAlpha);
}

TEST(StrokePutProcs, ALockKeepsTheInstalledPuts)
{
    PutDoc d;
    d.stroke.m_bUseTone = true;
    gCanvasPutAt = pixelPutMasked;
    gStrokeProcsLocked = true;
    selectStrokePutProcs(d.stroke);
    gStrokeProcsLocked = false;
    EXPECT_EQ(gCanvasPutAt, pixelPutMasked);
    selectStrokePutProcs(d.stroke);
    EXPECT_EQ(gCanvasPutAt, pixelPutToned);
}

// A stroke paints only inside the selection (read through the mask's offset); with masks
// disabled it paints everywhere.
TEST(StrokePutProcs, AStrokeOverASelectionPaintsOnlyInsideIt)
{
    for (bool enabled : {true, false}) {
        SCOPED_TRACE(enabled);
        PutDoc d;
        ASSERT_TRUE(d.ready);
        const sPos maskView{6, 2};
        d.select({30, 20, 24, 30}, 255, maskView);
        d.paper().bEnbMask = enabled;
        const std::vector<uint32_t> before = layerPixels(d.paper());
        ASSERT_TRUE(d.stroke5(std::vector<SStrokeData>{{4, 30, 1}, {90, 30, 1}}));
        const std::vector<uint32_t> after = layerPixels(d.paper());
        int inside = 0, outside = 0;
        for (int32_t y = 0; y < 80; ++y)
            for (int32_t x = 0; x < 96; ++x) {
                if (after[size_t(y * 96 + x)] == before[size_t(y * 96 + x)])
                    continue;
                const int32_t mx = x + maskView.x, my = y + maskView.y;
                const bool sel = mx >= 30 && mx < 54 && my >= 20 && my < 50;
                (sel ? inside : outside)++;
            }
        EXPECT_GT(inside, 50);
        if (enabled)
            EXPECT_EQ(outside, 0);
        else
            EXPECT_GT(outside, 50);
    }
}

// The toned and gradient puts pixel by pixel; the mask applies before the tone.
TEST(StrokePutProcs, TonedAndGradientPutsPixelByPixel)
{
    PutDoc d;
    ASSERT_TRUE(d.ready);
    d.select({0, 0, 8, 80}, 128, {0, 0}); // half strength over x < 8
    gStrokeColorPut = pixelPutAlpha;
    const uint32_t colour = 0xFF102030;
    auto put = [&](fptrStrokePutTC fn, int32_t x, int32_t y, uint32_t a) {
        sBGRA px{.all = 0xFF808080};
        fn(&px, x, y, a, colour);
        return px.all;
    };
    auto expected = [&](uint32_t col, uint32_t a) {
        sBGRA px{.all = 0xFF808080};
        pixelPutAlpha(&px, col, a);
        return px.all;
    };
    // The tone's disc grid: full at (5, 5), nothing at (1, 1).
    EXPECT_EQ(put(pixelPutToned, 5, 5, 200), expected(colour, 200));
    EXPECT_EQ(put(pixelPutToned, 1, 1, 200), 0xFF808080u);
    // The mask halves first, then the tone passes (5, 5) and stops (1, 1).
    EXPECT_EQ(put(pixelPutMaskedToned, 5, 5, 200), expected(colour, 200 * 128 / 255));
    EXPECT_EQ(put(pixelPutMaskedToned, 1, 1, 200), 0xFF808080u);
    EXPECT_EQ(put(pixelPutMasked, 20, 5, 200), 0xFF808080u);
    // The gradient colour in pixel order, its alpha on the opacity.
    for (int32_t x : {0, 16, 32, 63}) {
        const sRGBA g = calcGradColor(d.paper(), sPos{x, 3});
        const uint32_t pix = pixelSwapRB(g.all);
        EXPECT_EQ(put(pixelPutGradient, x, 3, 200), expected(pix, mul255(200, g.A))) << x;
        // The toned gradient leaves the colour's alpha out.
        EXPECT_EQ(put(pixelPutTonedGradient, x + 5 - x % 8, 5, 200),
                  expected(pixelSwapRB(calcGradColor(d.paper(), sPos{x + 5 - x % 8, 5}).all), 200));
    }
    // The channel puts: coverage rises through the mask.
    uint8_t b = 10;
    channelPutMasked(&b, 2, 2, 255, 255);
    EXPECT_EQ(b, 128);
    channelPutMasked(&b, 20, 2, 255, 255);
    EXPECT_EQ(b, 128);
}

TEST(StrokePutProcs, PercentTables)
{
    buildPercentTables();
    EXPECT_EQ(gByteToPercent[255], 100);
    EXPECT_EQ(gByteToPercent[128], 50);
    EXPECT_EQ(gByteToPercent[0], 0);
    EXPECT_EQ(gPercentToByte[100], 255);
    EXPECT_EQ(gPercentToByte[0], 2);
    EXPECT_EQ(gPercentToByte[50], 130);
}

TEST(StrokePutProcs, HermiteCubic)
{
    float a, b, c, d;
    hermiteCoefficients(a, b, c, d, 1, 2, 3, 4);
    EXPECT_FLOAT_EQ(a, 2);
    EXPECT_FLOAT_EQ(b, -2);
    EXPECT_FLOAT_EQ(c, 2);
    EXPECT_FLOAT_EQ(d, 1);
    EXPECT_FLOAT_EQ(evalCubic(0, a, b, c, d), 1);
    EXPECT_FLOAT_EQ(evalCubic(1, a, b, c, d), 3);
    EXPECT_FLOAT_EQ(evalCubic(0.5f, a, b, c, d), 1.75f);
}

} // namespace

namespace {

// The current window's masks and tone are read through its document; a document that goes stops
// being reachable, so later strokes read nothing of it.
TEST(StrokePutProcs, ADestroyedDocumentIsNoLongerCurrent)
{
    auto d = std::make_unique<StrokeDoc>();
    ASSERT_TRUE(d->ready);
    ASSERT_EQ(currentDrawPaper(), &d->paper());
    d->doc.paper.reset();
    EXPECT_EQ(currentDrawOwner(), nullptr);
    EXPECT_EQ(currentDrawPaper(), nullptr);
    EXPECT_EQ(gCurrentMask, nullptr);
}

} // namespace
