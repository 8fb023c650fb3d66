#include "paint/fill/figure_fill.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"
#include "paint/tone/tone_manager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Grid = std::vector<std::vector<int>>;

constexpr uint32_t kDrawColor = 0x00336699;
constexpr uint32_t kMaskValue = 200;

// The image the recording puts expect to be handed pixels of.
const CDibCore *gTarget = nullptr;

// Puts that record the alpha each pixel receives: in the pixel's blue byte, with its alpha byte
// marking the pixel as visited (so that a put of alpha 0 shows); in a channel, the byte itself.
// They check that they are handed the pixel at (x, y) and the drawing colour or mask value.
void recordCanvasPut(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour)
{
    EXPECT_EQ(static_cast<void *>(pixel), gTarget->seek(x, y));
    EXPECT_EQ(colour, kDrawColor);
    pixel->B = uint8_t(alpha);
    pixel->A = 1;
}

void recordChannelPut(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value)
{
    EXPECT_EQ(static_cast<void *>(pixel), gTarget->seek(x, y));
    EXPECT_EQ(value, kMaskValue);
    *pixel = uint8_t(alpha);
}

// A stroke of the given opacity drawing in kDrawColor.
struct FillStroke : TStroke
{
    explicit FillStroke(float opaque = 1.0f, bool tone = false) : TStroke(0)
    {
        setOpaque(opaque);
        SetDrawColor(kDrawColor);
        switchScreenTone(tone, false);
    }
};

// Installs the recording puts in the stroke context for the life of a test.
class FigureFill : public testing::Test
{
  protected:
    FigureFill()
    {
        initStrokePixelProcs();
        gCanvasPutAt = recordCanvasPut;
        gChannelPutAt = recordChannelPut;
    }
    ~FigureFill() override
    {
        initStrokePixelProcs();
        gTarget = nullptr;
    }

    const FillStroke pen;
};

struct Canvas : TMTC
{
    Canvas(int32_t w, int32_t h) : TMTC(w, h)
    {
        PixelFill(0);
        gTarget = this;
    }

    // The recorded alphas; -1 where nothing was put.
    Grid alphas() const
    {
        Grid g(static_cast<size_t>(height()));
        for (int32_t y = 0; y < height(); ++y)
            for (int32_t x = 0; x < width(); ++x)
                g[size_t(y)].push_back(seek32(x, y)->A ? seek32(x, y)->B : -1);
        return g;
    }
};

struct Mask : TChannel
{
    Mask(int32_t w, int32_t h) : TChannel(w, h)
    {
        PixelFill(0);
        gTarget = this;
    }
    Grid values() const
    {
        Grid g(static_cast<size_t>(height()));
        for (int32_t y = 0; y < height(); ++y)
            for (int32_t x = 0; x < width(); ++x)
                g[size_t(y)].push_back(getColor(x, y));
        return g;
    }
};

// Where nothing was put, 0: the alpha grid as a channel would hold it.
Grid asValues(Grid g)
{
    for (auto &row : g)
        for (int &v : row)
            v = std::max(v, 0);
    return g;
}

} // namespace

TEST_F(FigureFill, BoxCoversFractionalEdgesOfTheRectangle)
{
    // Between (0.5, 0.5) and (2.5, 0.5): x 0.5 to 3.5, y 0.5 to 1.5. Rows 0 and 1 are half
    // covered, and so are the end pixels 0 and 3: 255 / 4 and 255 / 2.
    Canvas tc(6, 3);
    CFillMngr fill(tc.FPSZ(), pen);
    ASSERT_TRUE(fill.initBoxFill({0.5f, 0.5f}, {2.5f, 0.5f}));
    sBox box;
    fill.getUpdateBox(box);
    EXPECT_EQ(box, (sBox{0, 0, 4, 2}));
    EXPECT_EQ(fill.boxFill(tc), 2);
    const Grid expected{
        {63, 127, 127, 63, -1, -1}, {63, 127, 127, 63, -1, -1}, {-1, -1, -1, -1, -1, -1}};
    EXPECT_EQ(tc.alphas(), expected);

    // The same in alpha mode, into a channel.
    Mask mask(6, 3);
    CFillMngr alpha(mask.FPSZ(), pen);
    alpha.setAlphaMode(kMaskValue);
    ASSERT_TRUE(alpha.initBoxFill({2.5f, 0.5f}, {0.5f, 0.5f}));
    EXPECT_EQ(alpha.boxFill(mask), 2);
    EXPECT_EQ(mask.values(), asValues(expected));
}

TEST_F(FigureFill, BoxClipsToTheLayer)
{
    struct Case
    {
        const char *name;
        sFPos p0, p1;
        float opaque;
        int32_t rows;
        Grid expected;
    } const cases[] = {
        {"whole pixels", {1, 0}, {2, 1}, 1, 2, {{-1, 255, 255, -1}, {-1, 255, 255, -1}}},
        {"half opaque", {1, 0}, {2, 0}, 0.5f, 1, {{-1, 127, 127, -1}, {-1, -1, -1, -1}}},
        // x from -2.5 to 2.5: the layer's edge cuts the left end, the right end stays half.
        {"left cut", {-2.5f, 1}, {1.5f, 1}, 1, 1, {{-1, -1, -1, -1}, {255, 255, 127, -1}}},
        // x from 1.5 to 6.5 and y from -0.5 to 0.5: the right end is cut, row 0 half covered.
        {"right and top cut",
         {1.5f, -0.5f},
         {5.5f, -0.5f},
         1,
         1,
         {{-1, 63, 127, 127}, {-1, -1, -1, -1}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Canvas tc(4, 2);
        const FillStroke stroke(c.opaque);
        CFillMngr fill(tc.FPSZ(), stroke);
        ASSERT_TRUE(fill.initBoxFill(c.p0, c.p1));
        EXPECT_EQ(fill.boxFill(tc), c.rows);
        EXPECT_EQ(tc.alphas(), c.expected);
    }
}

TEST_F(FigureFill, BoxNothingOutsideTheLayerOrIntoTheWrongTarget)
{
    Canvas tc(4, 2);
    CFillMngr fill(tc.FPSZ(), pen);
    EXPECT_FALSE(fill.initBoxFill({4, 0}, {6, 1}));
    EXPECT_FALSE(fill.initBoxFill({-3, -3}, {-1.5f, 1}));
    EXPECT_EQ(fill.boxFill(tc), 0); // not prepared

    ASSERT_TRUE(fill.initBoxFill({0, 0}, {3, 1}));
    Mask mask(4, 2);
    EXPECT_EQ(fill.boxFill(mask), 0); // colour mode writes 32-bit images only
    EXPECT_EQ(mask.values(), (Grid{{0, 0, 0, 0}, {0, 0, 0, 0}}));

    // A target smaller than the layer is written only where it has pixels.
    Canvas small(2, 1);
    CFillMngr onSmall(tc.FPSZ(), pen);
    ASSERT_TRUE(onSmall.initBoxFill({0, 0}, {3, 1}));
    EXPECT_EQ(onSmall.boxFill(small), 2);
    EXPECT_EQ(small.alphas(), (Grid{{255, 255}}));
}

TEST_F(FigureFill, PolygonSteepEdgesEndInFractionsShallowEdgesRamp)
{
    struct Case
    {
        const char *name;
        std::vector<sFPos> points;
        int32_t rows;
        Grid expected;
    } const cases[] = {
        {"square",
         {{1, 1}, {5, 1}, {5, 4}, {1, 4}},
         3,
         {{0, 0, 0, 0, 0, 0, 0, 0},
          {0, 255, 255, 255, 255, 0, 0, 0},
          {0, 255, 255, 255, 255, 0, 0, 0},
          {0, 255, 255, 255, 255, 0, 0, 0}}},
        // Edges moving half a pixel per row: the row centres cross at 1.25 .. 5.25 and
        // 1.75 .. 5.75, so the end pixels take 3/4 and 1/4.
        {"parallelogram",
         {{1, 0}, {5, 0}, {6, 2}, {2, 2}},
         2,
         {{0, 191, 255, 255, 255, 63, 0, 0},
          {0, 63, 255, 255, 255, 191, 0, 0},
          {0, 0, 0, 0, 0, 0, 0, 0},
          {0, 0, 0, 0, 0, 0, 0, 0}}},
        // The hypotenuse moves four pixels per row: its coverage ramps over four pixels
        // (7/8, 5/8, 3/8, 1/8 of 255) inwards from the span's right end.
        {"shallow triangle",
         {{0, 0}, {8, 2}, {0, 2}},
         2,
         {{159, 95, 0, 0, 0, 0, 0, 0},
          {255, 255, 255, 223, 159, 95, 0, 0},
          {0, 0, 0, 0, 0, 0, 0, 0},
          {0, 0, 0, 0, 0, 0, 0, 0}}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Canvas tc(8, 4);
        CPolygonFiller fill(tc.FPSZ(), pen);
        ASSERT_TRUE(fill.initPolygonFill(c.points, int32_t(c.points.size())));
        EXPECT_EQ(fill.polygonFill(tc), c.rows);
        EXPECT_EQ(asValues(tc.alphas()), c.expected);

        Mask mask(8, 4);
        CPolygonFiller alpha(mask.FPSZ(), pen);
        alpha.setAlphaMode(kMaskValue);
        ASSERT_TRUE(alpha.initPolygonFill(c.points, int32_t(c.points.size())));
        EXPECT_EQ(alpha.polygonFill(mask), c.rows);
        EXPECT_EQ(mask.values(), c.expected);
    }
}

TEST_F(FigureFill, PolygonEvenOddAndRefusals)
{
    // A square with a square inside, both walked the same way round: even-odd leaves the inner
    // square empty although the outline winds twice around it.
    Canvas tc(9, 9);
    CPolygonFiller fill(tc.FPSZ(), pen);
    const std::vector<sFPos> twice{{0, 0}, {8, 0}, {8, 8}, {0, 8}, {0, 0},
                                   {2, 2}, {6, 2}, {6, 6}, {2, 6}, {2, 2}};
    ASSERT_TRUE(fill.initPolygonFill(twice, 10));
    EXPECT_EQ(fill.polygonFill(tc), 8);
    const Grid g = asValues(tc.alphas());
    for (int32_t y = 2; y <= 5; ++y) {
        EXPECT_EQ(g[y], (std::vector<int>{255, 255, 0, 0, 0, 0, 255, 255, 0})) << y;
    }
    for (int32_t y = 6; y <= 7; ++y) {
        EXPECT_EQ(g[y], (std::vector<int>{255, 255, 255, 255, 255, 255, 255, 255, 0})) << y;
    }

    CPolygonFiller none(tc.FPSZ(), pen);
    EXPECT_FALSE(none.initPolygonFill(twice, 2));
    EXPECT_FALSE(none.initPolygonFill(std::span(twice).first(3), 4)); // more points than given
    const std::vector<sFPos> outside{{10, 0}, {20, 0}, {15, 3}};
    EXPECT_FALSE(none.initPolygonFill(outside, 3));
    EXPECT_EQ(none.polygonFill(tc), 0);
}

TEST_F(FigureFill, EllipseInscribedInTheRectangleOfItsPoints)
{
    // The rectangle (1, 1) - (8, 5) holds an ellipse of half-axes 3.5 and 2.5 about (4.5, 3.5).
    Canvas tc(10, 7);
    CEllipseFiller fill(tc.FPSZ(), pen, 1);
    ASSERT_TRUE(fill.initEllipseFill({1, 1}, {7, 5}));
    EXPECT_EQ(fill.re.o1, (sFPos{4.5f, 3.5f}));
    EXPECT_EQ(fill.re.rngFY, (sFRange{1, 6}));
    EXPECT_EQ(fill.dots, 10); // rows 1 and 6 touch the ellipse at one point
    sBox box;
    fill.getUpdateBox(box);
    EXPECT_EQ(box, (sBox{1, 1, 7, 5}));
    EXPECT_EQ(fill.ellipseFill(tc), 6);
    // Each row spans the ellipse's chord at the row's top edge (row 2: x 1.7 to 7.3). The edge
    // ramps (the edge moves 1.05 pixels per row there) start at the span's first pixel on the
    // left but at the pixel past its end on the right, so the two sides are shaded unlike: pixel 1
    // takes 0.3 x 0.476 of 255, pixel 7 0.3 x 0.9985.
    // clang-format off
    const Grid expected{
        {0,   0,   0,   0,   0,   0,   0,   0, 0, 0},
        {0,   0,   0,   0,   5,   0,   0,   0, 0, 0},
        {0,  36, 254, 255, 255, 255, 255,  76, 0, 0},
        {0, 236, 255, 255, 255, 255, 255, 236, 0, 0},
        {0, 236, 255, 255, 255, 255, 255, 236, 0, 0},
        {0,  36, 254, 255, 255, 255, 255,  76, 0, 0},
        {0,   0,   0,   0,   5,   0,   0,   0, 0, 0},
    };
    // clang-format on
    EXPECT_EQ(asValues(tc.alphas()), expected);

    // In alpha mode the same coverage goes into the channel.
    Mask mask(10, 7);
    CEllipseFiller alpha(mask.FPSZ(), pen, 1);
    alpha.setAlphaMode(kMaskValue);
    ASSERT_TRUE(alpha.initEllipseFill({7, 5}, {1, 1}));
    EXPECT_EQ(alpha.ellipseFill(mask), 6);
    EXPECT_EQ(mask.values(), expected);
}

TEST_F(FigureFill, EllipseVersionZeroTakesTheSlopesFromTheClippedBox)
{
    auto paint = [this](sFPos p0, sFPos p1, int32_t version) {
        Canvas tc(12, 8);
        CEllipseFiller fill(tc.FPSZ(), pen, version);
        EXPECT_TRUE(fill.initEllipseFill(p0, p1));
        fill.ellipseFill(tc);
        return asValues(tc.alphas());
    };
    // Inside the layer both versions agree; cut by its edge they differ.
    EXPECT_EQ(paint({1, 1}, {10, 6}, 0), paint({1, 1}, {10, 6}, 1));
    EXPECT_NE(paint({-6, 1}, {10, 6}, 0), paint({-6, 1}, {10, 6}, 1));

    Canvas tc(12, 8);
    CEllipseFiller outside(tc.FPSZ(), pen, 1);
    EXPECT_FALSE(outside.initEllipseFill({20, 20}, {30, 30}));
    EXPECT_EQ(outside.ellipseFill(tc), 0);
}

TEST_F(FigureFill, DispatchModeReturnsToColourWithTheStrokesTone)
{
    CToneMngr tones;
    ASSERT_EQ(tones.appendPattern(8, 8, 4, 1.5f), 0);
    tones.setCurPat(0);
    ASSERT_NE(tones.getActiveTone(), nullptr);
    gCurrentToneMngr = &tones;

    for (bool useTone : {false, true}) {
        SCOPED_TRACE(useTone);
        Canvas tc(3, 1);
        const FillStroke s(1.0f, useTone);
        CFillMngr fill(tc.FPSZ(), s);
        fill.setAlphaMode(kMaskValue);
        ASSERT_TRUE(fill.initBoxFill({0, 0}, {1, 0}));
        EXPECT_EQ(fill.boxFill(tc), 0); // alpha mode writes channels only
        fill.dispatchMode();
        EXPECT_EQ(fill.pat, useTone ? tones.getActiveTone() : nullptr);
        EXPECT_EQ(fill.boxFill(tc), 1);
        EXPECT_EQ(tc.alphas(), (Grid{{255, 255, -1}}));
    }
    gCurrentToneMngr = nullptr;
}
