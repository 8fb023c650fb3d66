// Whole strokes of the older engines on the document-free canvas: the same samples give the same
// pixels, a layer's view position moves the drawing, and the coverage is cleared at the end.
#include "paint/older_paint_test_support.h"

#include "paint/brush/pen_records.h"
#include "paint/render/pen_render4.h"
#include "paint/stroke/stroke.h"
#include "paint/canvas/stroke_canvas_older.h"
#include "paint/stroke/stroke_placement4.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A pressure ramp along an S-curve.
std::vector<SStrokeData> sCurve()
{
    std::vector<SStrokeData> pts;
    for (int i = 0; i <= 30; ++i) {
        const float t = float(i) / 30;
        pts.push_back({8 + 80 * t, 40 + 20 * std::sin(t * 6.2831853f), 0.2f + 0.8f * t});
    }
    return pts;
}

bool sameBytes(const TMTC &a, const TMTC &b, sPos shift = {})
{
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x) {
            const int32_t bx = x + shift.x, by = y + shift.y;
            if (bx < 0 || by < 0 || bx >= b.width() || by >= b.height())
                continue;
            if (a.getColor(x, y) != b.getColor(bx, by))
                return false;
        }
    return true;
}

int changedPixels(const TMTC &img, uint32_t fill)
{
    int n = 0;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            n += img.getColor(x, y) != fill;
    return n;
}

bool coverageClear(CStrokeCanvasOlder &c)
{
    const TChannel &ch = *c.flowAlpha();
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            if (ch.getColor(x, y) != 0)
                return false;
    return true;
}

// One level-4 stroke of a method on a fresh canvas.
void drawLevel4(CStrokeCanvasOlder &canvas, ePenRenderMode mode, uint8_t renderType)
{
    initStrokePixelProcs();
    TStroke stroke(4);
    stroke.SetDrawColor(0xFF2040C0);
    CPenRender render(&stroke);
    SPenParam prm;
    initPenParam(prm, 6);
    penParamSetMinRate(prm, 0.3f);
    render.changePenParam(prm);
    SPenRenderAttr attr;
    initPenRenderAttr(attr);
    attr.renderMode = mode;
    attr.renderType = renderType;
    penRenderAttrSetEffect(attr, 0, 40);
    penRenderAttrSetEffect(attr, 1, 30);
    penRenderAttrSetEffect(attr, 2, 5);
    render.changeRenderAttr(attr, 7);
    CStrokeMngr mngr(&stroke, &render);
    SStrokeParam sp;
    strokeParamInit(sp);
    sp.enbPrsRadius = true;
    sp.enbPrsOpaque = true;
    mngr.setParam(sp);
    const std::vector<SStrokeData> pts = sCurve();
    ASSERT_TRUE(canvas.drawStroke4(mngr, stroke, pts));
}

void drawLevel1(CStrokeCanvasOlder &canvas, TDrawMode mode)
{
    initStrokePixelProcs();
    TStroke stroke(1);
    stroke.SetDrawMode(mode);
    stroke.initPenSetting(mode);
    stroke.SetPenWidth(5);
    stroke.SetDrawColor(0xFF2040C0);
    const std::vector<SStrokeData> pts = sCurve();
    ASSERT_TRUE(canvas.drawStroke1(stroke, pts));
}

} // namespace

TEST(StrokeCanvasOlder, SameSamplesGiveSamePixelsAtLevelFour)
{
    const uint32_t fill = 0xFFF0E8D0;
    struct Case
    {
        ePenRenderMode mode;
        uint8_t renderType;
    };
    for (const Case c : {Case{ePenRenderMode::PRMODE_Std, 1}, Case{ePenRenderMode::PRMODE_Std, 0},
                         Case{ePenRenderMode::PRMODE_WC, 0}, Case{ePenRenderMode::PRMODE_Blur, 0},
                         Case{ePenRenderMode::PRMODE_RubDouble, 0}}) {
        CStrokeCanvasOlder a(100, 80, fill), b(100, 80, fill);
        drawLevel4(a, c.mode, c.renderType);
        drawLevel4(b, c.mode, c.renderType);
        EXPECT_TRUE(sameBytes(a.layer(), b.layer())) << int(c.mode);
        if (c.mode != ePenRenderMode::PRMODE_Blur && c.mode != ePenRenderMode::PRMODE_RubDouble) {
            EXPECT_GT(changedPixels(a.layer(), fill), 300) << int(c.mode);
        }
        EXPECT_TRUE(coverageClear(a));
    }
}

TEST(StrokeCanvasOlder, LayerViewPositionMovesTheDrawing)
{
    const uint32_t fill = 0xFFFFFFFF;
    CStrokeCanvasOlder a(100, 80, fill), b(100, 80, fill, {4, 2});
    drawLevel4(a, ePenRenderMode::PRMODE_Std, 1);
    drawLevel4(b, ePenRenderMode::PRMODE_Std, 1);
    EXPECT_TRUE(sameBytes(a.layer(), b.layer(), {4, 2}));
    CStrokeCanvasOlder c(100, 80, fill), d(100, 80, fill, {4, 2});
    drawLevel1(c, TDrawMode::DM_PEN);
    drawLevel1(d, TDrawMode::DM_PEN);
    EXPECT_TRUE(sameBytes(c.layer(), d.layer(), {4, 2}));
}

TEST(StrokeCanvasOlder, SameSamplesGiveSamePixelsAtLevelOne)
{
    const uint32_t fill = 0xFFF0E8D0;
    for (TDrawMode mode :
         {TDrawMode::DM_PEN, TDrawMode::DM_WC, TDrawMode::DM_ERASE, TDrawMode::DM_BLUR2}) {
        CStrokeCanvasOlder a(100, 80, fill), b(100, 80, fill);
        drawLevel1(a, mode);
        drawLevel1(b, mode);
        EXPECT_TRUE(sameBytes(a.layer(), b.layer())) << int(mode);
        if (mode != TDrawMode::DM_BLUR2) {
            EXPECT_GT(changedPixels(a.layer(), fill), 200) << int(mode);
        }
        EXPECT_TRUE(coverageClear(a));
    }
}
