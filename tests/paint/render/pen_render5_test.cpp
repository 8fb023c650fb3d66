// The version-5 dab renderer: footprints, render parameters, render modes (normal, watercolour,
// eraser), image nibs and the settings the stroke manager reads back.
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "paint/dab_test_support.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render5.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

SPenParam nibParam(float r, int32_t flatRate, int32_t degree)
{
    SPenParam p;
    initPenParam(p, r);
    p.flatRate = flatRate;
    p.degree = degree;
    return p;
}

SPenRenderAttr modeAttr(ePenRenderMode mode, uint16_t e1 = 0, uint16_t e2 = 0, uint16_t e3 = 0)
{
    SPenRenderAttr a;
    initPenRenderAttr(a);
    a.renderMode = mode;
    penRenderAttrSetEffect(a, 0, e1);
    penRenderAttrSetEffect(a, 1, e2);
    penRenderAttrSetEffect(a, 2, e3);
    return a;
}

// An image nib whose tip is black inside a white one-pixel border.
std::unique_ptr<CPenShapeObj> imageNib(int w, int h)
{
    auto tip = std::make_unique<TChannel>(w, h);
    tip->PixelFill(255);
    sBox ink{1, 1, w - 2, h - 2};
    tip->fillBox(ink, 0);
    auto nib = std::make_unique<CPenShapeObj>();
    nib->setData(nullptr, nullptr, nullptr);
    EXPECT_TRUE(nib->attachImage(std::move(tip), true));
    return nib;
}

struct Render5Test : ::testing::Test
{
    FakeStroke stroke;
    FakePaper paper;
    CPenRender5 render{&stroke};
    TMTC canvas{40, 40};

    Render5Test()
    {
        render.setPaper(&paper);
        render.changePenParam(nibParam(4, 1000, 0));
        canvas.fillAll(0xFF808080);
    }
};

} // namespace

TEST(Footprint5, WorkedValues)
{
    const struct
    {
        float r;
        int32_t flat, degree;
        bool cols;
        float A, B, s, hx, hy;
    } cases[] = {
        {10, 1000, 0, false, 10, 10, 0, 10, 10},
        {10, 1000, 370, false, 10, 10, 0, 10, 10}, // round at any angle: rows
        {10, 500, 0, true, 10, 5, 0, 10, 5},
        {10, 500, 1800, true, 10, 5, 0, 10, 5},
        {10, 500, 900, false, 5, 10, 0, 5, 10},
        {10, 500, 2700, false, 5, 10, 0, 5, 10}, // 270 is handled as −90
        {10, 500, 600, false, 5.547f, 9.014f, 0.3997f, 5.547f + 0.3997f * 9.014f, 9.014f},
        {10, 500, 3000, false, 5.547f, 9.014f, -0.3997f, 5.547f + 0.3997f * 9.014f, 9.014f},
        {10, 500, 300, true, 9.014f, 5.547f, 0.3997f, 9.014f, 5.547f + 0.3997f * 9.014f},
        {10, 500, 1500, true, 9.014f, 5.547f, -0.3997f, 9.014f, 5.547f + 0.3997f * 9.014f},
        {10, 500, 450, false, 6.325f, 7.906f, 0.6f, 6.325f + 0.6f * 7.906f, 7.906f},
    };
    for (const auto &c : cases) {
        const SDabFootprint5 fp = calcFootprint5(nibParam(c.r, c.flat, c.degree), c.r);
        const std::string what =
            "flat " + std::to_string(c.flat) + " angle " + std::to_string(c.degree / 10);
        EXPECT_EQ(fp.cols, c.cols) << what;
        EXPECT_NEAR(fp.A, c.A, 1e-3) << what;
        EXPECT_NEAR(fp.B, c.B, 1e-3) << what;
        EXPECT_NEAR(fp.s, c.s, 1e-4) << what;
        const sFSize ext = footprintHalfExtents(fp);
        EXPECT_NEAR(ext.x, c.hx, 2e-3) << what;
        EXPECT_NEAR(ext.y, c.hy, 2e-3) << what;
    }
    // The footprint's half height is the ellipse's: sqrt(R² sin² + f² cos²).
    const SDabFootprint5 fp = calcFootprint5(nibParam(12, 300, 700), 12);
    const double th = 70 * M_PI / 180;
    EXPECT_NEAR(
        fp.B,
        std::sqrt(144 * std::sin(th) * std::sin(th) + 3.6 * 3.6 * std::cos(th) * std::cos(th)),
        1e-4);
    const SDabFootprint5 none = calcFootprint5(nibParam(3, 500, 300), 0);
    EXPECT_EQ(none.A, 0.0f);
    EXPECT_EQ(none.B, 0.0f);
}

TEST_F(Render5Test, RenderParameters)
{
    TMTC target(100, 100);
    EXPECT_TRUE(render.setRenderParam(target, {20.5f, 30.25f, 0.7f}, 0xFF0000FF, 0.05f, 0.04f));
    const SPenRenderParam5 &rp = render.renderParam();
    EXPECT_EQ(rp.size, (sFSize{0.1f, 0.1f}));
    EXPECT_EQ(rp.pos, (sFPos{20.5f, 30.25f}));
    EXPECT_FLOAT_EQ(rp.pres, 0.7f);
    EXPECT_EQ(rp.rect, (sRect{20, 30, 21, 31}));
    EXPECT_EQ(rp.color.all, 0xFF0000FFu);
    EXPECT_EQ(rp.ofs, (sPos{0, 0}));
    // Partly off the target: clipped, and the offset says by how much.
    EXPECT_TRUE(render.setRenderParam(target, {2, 3, 1}, 0, 5, 4));
    EXPECT_EQ(rp.rect, (sRect{0, 0, 6, 8}));
    EXPECT_EQ(rp.ofs, (sPos{2, 2}));
    // Wholly off, or of factor 0: false.
    EXPECT_FALSE(render.setRenderParam(target, {-50, -50, 1}, 0, 10, 10));
    EXPECT_FALSE(render.setRenderParam(target, {50, 50, 0}, 0x123, 10, 10));
    EXPECT_NE(rp.color.all, 0x123u);
}

TEST_F(Render5Test, NormalDabPaintsThroughThePipeline)
{
    render.changeRenderMode(modeAttr(ePenRenderMode::PRMODE_Std));
    ASSERT_TRUE(render.render4chPen(canvas, {20, 20, 1}, 4, 0xFF0000FF));
    // The default pipeline ends in pixelPutAlpha: the centre becomes the colour, alpha kept.
    EXPECT_EQ(canvas.getColor(20, 20), 0xFF0000FEu); // linear fall-off: 254 at the centre
    EXPECT_EQ(canvas.getColor(30, 20), 0xFF808080u);
    EXPECT_EQ(render.getRenderSizeWidth(), 4.0f);
    sSize reach;
    render.getRenderingSize(reach);
    EXPECT_EQ(reach, (sSize{4, 4}));
    // Modes of the version-4 engine paint nothing here.
    PutCapture cap;
    render.changeRenderMode(modeAttr(ePenRenderMode::PRMODE_Blur));
    EXPECT_FALSE(render.render4chPen(canvas, {20, 20, 1}, 4, 0xFF0000FF));
    EXPECT_TRUE(cap.canvas.empty());
    // The one-channel dab ignores the render mode.
    EXPECT_TRUE(render.render1chPen(*std::make_unique<TChannel>(40, 40), {20, 20, 1}, 4, 255));
    EXPECT_FALSE(cap.channel.empty());
}

TEST_F(Render5Test, FarOrBrokenPositionsPaintNothing)
{
    PutCapture cap;
    TChannel ch(40, 40);
    for (const SStrokeData &at : {SStrokeData{1e30f, 20, 1}, SStrokeData{20, -3e9f, 1},
                                  SStrokeData{std::nanf(""), 20, 1}}) {
        for (float r : {0.5f, 1.5f, 6.0f}) {
            EXPECT_FALSE(render.setRenderParam(canvas, at, 0, r, r));
            render.render4chPen(canvas, at, r, 0xFF000000);
            render.render1chPen(ch, at, r, 255);
        }
    }
    render.changePenParam(nibParam(4, 10, 450));
    render.render4chPen(canvas, {20, 20, 1}, 3e12f, 0xFF000000);
    EXPECT_TRUE(cap.canvas.empty());
    EXPECT_TRUE(cap.channel.empty());
}

TEST_F(Render5Test, EraserSwapsTheBasePutForOneDab)
{
    render.changeRenderMode(modeAttr(ePenRenderMode::PRMODE_Erase));
    paper.mode = TLayerMode::LM_MUL;
    {
        PutCapture cap;
        ASSERT_TRUE(render.render4chPen(canvas, {20, 20, 1}, 4, 0xFF0000FF));
        ASSERT_FALSE(cap.canvas.empty());
        for (const CapturedPut &p : cap.canvas) {
            ASSERT_EQ(p.base, &pixelEraseAlpha);
            ASSERT_EQ(p.colour, *getLayerModeBgColor(TLayerMode::LM_MUL));
        }
        EXPECT_EQ(gStrokeColorPut, &pixelPutAlpha);
        // Restored also when the dab paints nothing.
        gStrokeColorPut = pixelPutAdd;
        render.render4chPen(canvas, {-100, -100, 1}, 4, 0);
        render.render4chPen(canvas, {20, 20, 0}, 4, 0);
        EXPECT_EQ(gStrokeColorPut, &pixelPutAdd);
        // Transparency kept: the base put stays, the mode's neutral colour is painted.
        stroke.protect = true;
        cap.clear();
        render.render4chPen(canvas, {20, 20, 1}, 4, 0xFF0000FF);
        ASSERT_FALSE(cap.canvas.empty());
        for (const CapturedPut &p : cap.canvas)
            ASSERT_EQ(p.base, &pixelPutAdd);
    }
    // Through the real chain the eraser lowers alpha and keeps the colour.
    stroke.protect = false;
    render.render4chPen(canvas, {20, 20, 1}, 4, 0xFF0000FF);
    EXPECT_EQ(canvas.getColor(20, 20), 0x00808080u | (uint32_t(255 - mul255(255, 254)) << 24));
    EXPECT_EQ(canvas.getColor(30, 30), 0xFF808080u);
}

TEST_F(Render5Test, WaterColourPickUp)
{
    render.changeRenderAttr(modeAttr(ePenRenderMode::PRMODE_WC, 0), 7);
    stroke.drawColor = 0xFF0000FF; // blue (sBGRA)
    render.updatePenColor();
    canvas.fillAll(0xFF102030);
    // Effect 1 = 0: the base mixing colour is the pen colour.
    render.startRender(canvas, 20, 20, 1);
    EXPECT_EQ(stroke.wc.firstCol.all & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(stroke.wc.penCol.r, float(0x10));
    EXPECT_EQ(stroke.wc.penCol.b, float(0x30));
    EXPECT_EQ(stroke.wc.blendCol[0].all & 0xFFFFFF, 0x0000FFu);
    // Effect 1 = 100: the picked-up colour is kept.
    render.changeRenderParam(modeAttr(ePenRenderMode::PRMODE_WC, 100), 1);
    render.startRender(canvas, 20, 20, 1);
    EXPECT_EQ(stroke.wc.blendCol[0].all & 0xFFFFFF, 0x102030u);
    // Transparent pixels, or pixels outside the selection, give the pen colour; the window is
    // 11 × 11 pixels clamped into the canvas.
    paper.selection = 0;
    render.startRender(canvas, 20, 20, 1);
    EXPECT_EQ(stroke.wc.firstCol.all & 0xFFFFFF, 0x0000FFu);
    paper.selection = 255;
    canvas.fillAll(0x00102030);
    sBox corner{0, 0, 3, 3};
    canvas.fillBox(corner, 0xFFFFFFFF);
    render.startRender(canvas, 0, 0, 1);
    // Around the corner the clamped window reads column (row) 0 six times: the 3 × 3 opaque
    // white pixels give (6 + 1 + 1)² = 64 of the 121 samples, the transparent rest the pen colour.
    const uint32_t b = (64 * 255 + 57 * 255) / 121, r = (64 * 255) / 121;
    EXPECT_EQ(stroke.wc.firstCol.B, b);
    EXPECT_EQ(stroke.wc.firstCol.R, r);
    // A document at another paint level picks up nothing.
    paper.level5 = false;
    stroke.wc = {};
    render.startRender(canvas, 20, 20, 1);
    EXPECT_EQ(stroke.wc.firstCol.all, 0u);
}

TEST_F(Render5Test, WaterColourDab)
{
    // Effect 3 = 0 mixes the whole dab colour in at once; effect 2 = 0 does not drag the colour.
    render.changeRenderAttr(modeAttr(ePenRenderMode::PRMODE_WC, 50, 0, 0), 7);
    render.updatePenColor();
    render.startRender(canvas, 20, 20, 1);
    PutCapture cap;
    ASSERT_TRUE(render.render4chPen(canvas, {20, 20, 0.8f}, 4, 0xFF00FF00));
    const auto wc = alphaMap(cap.canvas);
    for (const CapturedPut &p : cap.canvas)
        ASSERT_EQ(p.colour & 0xFFFFFF, 0x00FF00u);
    // A standard nib keeps the sample's own factor: the same alphas as a normal dab at 0.8.
    cap.clear();
    render.changeRenderMode(modeAttr(ePenRenderMode::PRMODE_Std));
    render.render4chPen(canvas, {20, 20, 0.8f}, 4, 0xFF00FF00);
    EXPECT_EQ(alphaMap(cap.canvas), wc);
    // Effect 3 > 0: the dab colour comes in over that many diameters of pen progress.
    render.changeRenderAttr(modeAttr(ePenRenderMode::PRMODE_WC, 100, 0, 2), 7);
    canvas.fillAll(0xFF000000);
    render.startRender(canvas, 20, 20, 1); // base mixing colour: black
    stroke.progress = 4;                   // a quarter of 2 diameters of 8
    cap.clear();
    render.render4chPen(canvas, {20, 20, 1}, 4, 0xFFFFFFFF);
    EXPECT_EQ(stroke.wc.blendCol[1].R, 63); // 255 × 0.25, 16.16 truncated
    EXPECT_EQ(cap.canvas.front().colour & 0xFF, 63u);
    // Effect 2 drags the running colour towards what lies under the dab, 1/10 of it per dab.
    render.changeRenderAttr(modeAttr(ePenRenderMode::PRMODE_WC, 100, 50, 0), 7);
    render.startRender(canvas, 20, 20, 1); // penCol black
    canvas.fillAll(0xFFFFFFFF);
    render.render4chPen(canvas, {20, 20, 1}, 4, 0xFF000000);
    EXPECT_FLOAT_EQ(stroke.wc.penCol.g, 5.0f);
}

TEST_F(Render5Test, WaterColourImageNibOpacity)
{
    auto nib = imageNib(8, 8);
    render.setPenShapeObj(nib.get(), true, true, true);
    render.startRender(canvas, 20, 20, 1);
    render.changeRenderAttr(modeAttr(ePenRenderMode::PRMODE_WC, 100, 0, 0), 7);
    stroke.ifTrans = true;
    render.render4chPen(canvas, {20, 20, 0.8f}, 100, 0xFF000000);
    EXPECT_NEAR(render.renderParam().pres, 0.28f, 1e-4);
    stroke.ifTrans = false;
    stroke.opaque = 0.5f;
    render.render4chPen(canvas, {20, 20, 0.8f}, 100, 0xFF000000);
    EXPECT_NEAR(render.renderParam().pres, 0.175f, 1e-4);
    // The image rasteriser puts with that factor: the same as a normal dab at 0.175.
    PutCapture cap;
    render.render4chPen(canvas, {20, 20, 0.8f}, 100, 0xFF000000);
    const auto wc = alphaMap(cap.canvas);
    cap.clear();
    render.changeRenderMode(modeAttr(ePenRenderMode::PRMODE_Std));
    render.render4chPen(canvas, {20, 20, float(fixMul(floatToFix(0.5f), 22937) / 65536.0)}, 100,
                        0xFF000000);
    EXPECT_EQ(alphaMap(cap.canvas), wc);
}

TEST_F(Render5Test, ImageNibDabs)
{
    auto nib = imageNib(10, 6);
    render.setPenShapeObj(nib.get(), true, true, true);
    EXPECT_TRUE(render.usesBitmap());
    render.startRender(canvas, 20, 20, 1);
    EXPECT_EQ(render.getRadius(), 100.0f);
    // Each dab takes its radius as the zoom; the stroke's end puts the zoom back.
    PutCapture cap;
    ASSERT_TRUE(render.render4chPen(canvas, {20, 20, 1}, 200.4f, 0xFF000000));
    EXPECT_EQ(nib->zoomRate, 200);
    sSize reach;
    render.getRenderingSize(reach);
    EXPECT_EQ(reach, (sSize{10, 6}));
    for (const CapturedPut &p : cap.canvas) {
        ASSERT_GE(p.alpha, 1u);
        ASSERT_LE(std::abs(p.x - 20), 10);
        ASSERT_LE(std::abs(p.y - 20), 6);
    }
    render.endRender();
    EXPECT_EQ(nib->zoomRate, 100);
    // Anti-aliasing off: every non-zero map pixel at 255 × pres rounded down.
    SPenAttr off;
    penAttrSetAntiOff(off, true);
    render.changePenAttr(off);
    cap.clear();
    render.render4chPen(canvas, {20, 20, 0.5f}, 100, 0xFF000000);
    ASSERT_FALSE(cap.canvas.empty());
    for (const CapturedPut &p : cap.canvas)
        ASSERT_EQ(p.alpha, 127u);
    // Factor 0: not rasterised; a factor too small for one step puts nothing.
    cap.clear();
    EXPECT_FALSE(render.render4chPen(canvas, {20, 20, 0}, 100, 0xFF000000));
    EXPECT_TRUE(render.render4chPen(canvas, {20, 20, 0.001f}, 100, 0xFF000000));
    EXPECT_TRUE(cap.canvas.empty());
    // Off the target: the one-channel dab is not rasterised either.
    TChannel ch(40, 40);
    EXPECT_FALSE(render.render1chPen(ch, {-90, 20, 1}, 100, 255));
    EXPECT_TRUE(cap.channel.empty());
    // A nib without an image drops the image nib.
    CPenShapeObj plain(nullptr, nullptr, nullptr);
    render.setPenShapeObj(&plain, false, true, false);
    EXPECT_FALSE(render.usesBitmap());
}

TEST_F(Render5Test, SettingsAndSizes)
{
    SPenParam p = nibParam(8, 600, 300);
    p.radiusMin = 250;
    EXPECT_TRUE(render.changePenParam(p));
    EXPECT_FALSE(render.changePenParam(p));
    EXPECT_FLOAT_EQ(render.getRadius(), 8.0f);
    EXPECT_FLOAT_EQ(render.getMinRadius(), 2.0f);
    EXPECT_FLOAT_EQ(render.calcPenSpace(8, 0.25f), 2.0f);
    // Image nib: zoom percent, the zoom range's lower end plus radiusMin of the way up, and the
    // spacing over the image's longer side.
    auto nib = imageNib(40, 20); // zoom range 20..500 by the nib's rules
    nib->penParam.radiusMin = 500;
    render.setPenShapeObj(nib.get(), true, true, true);
    render.startRender(canvas, 0, 0, 1);
    const int32_t lo = nib->zoomRng.min;
    EXPECT_FLOAT_EQ(render.getMinRadius(), float(lo + 50 * (100 - lo) / 100));
    EXPECT_FLOAT_EQ(render.calcPenSpace(100, 0.5f), 0.5f * 40);

    // Render mode: 255 keeps, a negative sub mode keeps, the render type is always stored.
    EXPECT_TRUE(render.changeMode(uint8_t(ePenRenderMode::PRMODE_WC), 255, 3, 0x11));
    EXPECT_EQ(render.renderAttr().renderMode, ePenRenderMode::PRMODE_WC);
    EXPECT_EQ(render.renderAttr().subRenderMode, 3);
    EXPECT_TRUE(render.isEnbRender1());
    EXPECT_FALSE(render.changeMode(255, 255, -1, 0x11));
    EXPECT_TRUE(render.changeMode(255, uint8_t(ePenShapeMode::PSMODE_RealTimeXY), -1, 0x11));
    EXPECT_TRUE(render.changeMode(255, 255, -1, 0x10));
    EXPECT_FALSE(render.isEnbRender1());
    // Parameters by the bits of f.
    SPenRenderAttr a = modeAttr(ePenRenderMode::PRMODE_WC, 10, 20, 30);
    a.param3.all = 7;
    EXPECT_TRUE(render.changeRenderParam(a, 2));
    EXPECT_EQ(render.renderAttr().param2.all, a.param2.all);
    EXPECT_NE(render.renderAttr().param1.all, a.param1.all);
    EXPECT_FALSE(render.changeRenderParam(a, 2));
    EXPECT_TRUE(render.changeRenderAttr(a, 7));
    EXPECT_EQ(render.renderAttr().param3.all, 7);
    EXPECT_FALSE(render.changeRenderAttr(a, 7));
    // Colours come from the stroke.
    stroke.drawColor = 0xFF445566;
    EXPECT_TRUE(render.updatePenColor());
    EXPECT_EQ(render.penColor().fgCol.all, 0xFF445566u);
    render.setStroke(nullptr);
    EXPECT_FALSE(render.updatePenColor());
    SGradeMapParam g;
    g.mapType = eGradeMap::GMAP_CIRCLE;
    EXPECT_TRUE(render.changeGradeParam(g));
    EXPECT_FALSE(render.changeGradeParam(g));
}
