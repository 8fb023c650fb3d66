// The segment walk of the paint levels 1 and 2 (TStroke::DrawLine): steps, density and counting
// by draw mode, and segments against small goldens.
#include "paint/older_paint_test_support.h"

#include "paint/stroke/stroke.h"

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>

#include <string>

namespace {

// One character per byte of the channel, in sixteenths: ' ' for 0, then 1..9, a..f ('f' also for
// 240 and above).
std::string channelGrid(const TChannel &ch)
{
    QStringList rows;
    for (int32_t y = 0; y < ch.height(); ++y) {
        QString row;
        for (int32_t x = 0; x < ch.width(); ++x) {
            const int v = ch.getColor(x, y);
            row += v == 0 ? QChar(' ') : QString::number(std::max(v / 16, 1), 16);
        }
        rows << row;
    }
    return rows.join('\n').toStdString();
}

// The same of one colour channel of a canvas (0 red, 1 green, 2 blue, 3 alpha).
std::string canvasGrid(const TMTC &tc, int channel)
{
    QStringList rows;
    for (int32_t y = 0; y < tc.height(); ++y) {
        QString row;
        for (int32_t x = 0; x < tc.width(); ++x) {
            const sBGRA p = *tc.seek32(x, y);
            const int v = channel == 0 ? p.R : channel == 1 ? p.G : channel == 2 ? p.B : p.A;
            row += v == 0 ? QChar(' ') : QString::number(std::max(v / 16, 1), 16);
        }
        rows << row;
    }
    return rows.join('\n').toStdString();
}

std::string lines(std::initializer_list<const char *> rows)
{
    std::string s;
    for (const char *r : rows)
        s += std::string(r) + '\n';
    s.pop_back();
    return s;
}

bool allOpaque(const TMTC &tc)
{
    for (int32_t y = 0; y < tc.height(); ++y)
        for (int32_t x = 0; x < tc.width(); ++x)
            if (tc.seek32(x, y)->A != 255)
                return false;
    return true;
}

// A stroke in a draw mode over a w × h flow image, channel and layer.
struct Segment
{
    Segment(TDrawMode mode, float width, int32_t w = 16, int32_t h = 10,
            uint32_t fill = bgra(0, 0, 0, 255))
        : layer(w, h)
    {
        initStrokePixelProcs();
        stroke.SetDrawMode(mode);
        stroke.SetPenWidth(width);
        fillCanvas(image, w, h, [fill](int, int) { return fill; });
        fillChannel(alpha, w, h, [](int, int) { return uint8_t(0); });
        fillLayer(layer, [fill](int, int) { return fill; });
    }
    void draw(float x1, float y1, float p1, float x2, float y2, float p2)
    {
        stroke.InitBeginStrokeOld(nullptr, x1, y1, p1, image);
        stroke.setStrokePos(x1, y1, p1, x2, y2, p2);
        stroke.DrawLine(x1, y1, p1, x2, y2, p2, image, alpha, layer, TLayerMode::LM_STD);
    }

    TStroke stroke{1};
    TMTC image;
    TChannel alpha;
    CBlockVMTC layer;
};

} // namespace

TEST(DrawLine, StepsByMajorAxisAndDensity)
{
    struct Case
    {
        TDrawMode mode;
        float width;
        float x1, y1, x2, y2;
        int32_t steps;
    };
    const Case cases[] = {
        {TDrawMode::DM_PEN, 2, 5, 5, 5, 5, 1},       // identical end points: one step
        {TDrawMode::DM_PEN, 2, 0, 0, 3, 3, 4},       // y-major on a tie
        {TDrawMode::DM_PEN, 2, 0, 0, 10, 4, 11},     // x-major
        {TDrawMode::DM_PEN, 1.5f, 0, 0, 10, 4, 22},  // a thin pen walks half steps
        {TDrawMode::DM_ERASE, 2.5f, 0, 0, 4, 9, 20}, // so does a thin eraser
        {TDrawMode::DM_ERASE, 3, 0, 0, 4, 9, 10},
        {TDrawMode::DM_AIRBRUSH, 1, 9, 9, 0, 0, 10}, // drawn by the document: only counted
    };
    for (const Case &c : cases) {
        Segment s(c.mode, c.width);
        s.draw(c.x1, c.y1, 1, c.x2, c.y2, 1);
        EXPECT_EQ(s.stroke.m_penCount, c.steps) << int(c.mode) << " " << c.width;
    }
}

TEST(DrawLine, AirbrushOnlyCountsStepsAndProgress)
{
    Segment s(TDrawMode::DM_AIRBRUSH, 4);
    s.draw(0, 0, 0.5f, 10, 0, 0.5f);
    EXPECT_EQ(s.stroke.m_penCount, 11);
    // Each step: 10 / 11 × 4 at pressure 0.5.
    EXPECT_NEAR(s.stroke.m_penProgress, 20.0f, 1e-4f);
    EXPECT_EQ(channelGrid(s.alpha).find_first_not_of(" \n"), std::string::npos);
    EXPECT_EQ(canvasGrid(s.image, 0).find_first_not_of(" \n"), std::string::npos);
}

TEST(DrawLine, TouchedAreaOfTheSegment)
{
    Segment s(TDrawMode::DM_PEN, 3);
    s.draw(2, 3, 1, 12, 5, 1);
    // Half side width + 2 around both ends.
    EXPECT_EQ(s.stroke.updtRange, (SUpdateRange{-3, 17, -2, 10}));
}

TEST(DrawLine, WaterColourWithSpeedZeroTakesTheDrawColourAtOnce)
{
    Segment s(TDrawMode::DM_WC, 4, 16, 10, bgra(0, 0, 255, 255));
    s.stroke.SetPenEffect(100); // keep the canvas colour as the base
    s.stroke.SetPenSpeed(0);
    s.stroke.SetPenEnv(0);
    s.stroke.SetDrawColor(bgra(255, 0, 0, 0));
    s.draw(5, 5, 1, 6, 5, 1);
    EXPECT_EQ(s.stroke.m_wcWork.blendCol[0].all & 0xFFFFFF, bgra(0, 0, 255, 0));
    EXPECT_EQ(s.stroke.m_wcWork.blendCol[1].all & 0xFFFFFF, bgra(255, 0, 0, 0));
}

TEST(DrawLine, LevelOnePenSegmentGolden)
{
    Segment s(TDrawMode::DM_PEN, 3);
    s.stroke.SetPenIfTrans(true);
    s.draw(2, 2, 0.4f, 13, 6, 1.0f);
    // Discs of radius 3 at opacity 0.4 rising to 1, only raising the coverage.
    EXPECT_EQ(channelGrid(s.alpha), lines({
                                        "46678851        ",
                                        "6678899a951     ",
                                        "678899abbcd95   ",
                                        "67889abbcdeeff5 ",
                                        "46889abcdeeffffa",
                                        " 2589abcdeffffff",
                                        "   127abdeffffff",
                                        "      16bdefffff",
                                        "         47dfffa",
                                        "            565 ",
                                    }));
}

TEST(DrawLine, LevelTwoEraserAndWaterColourSegmentGoldens)
{
    {
        Segment s(TDrawMode::DM_ERASE, 2);
        s.stroke.SetPenIfTrans(true);
        s.stroke.SetPenIfEdge(true);
        s.draw(2, 7, 0.5f, 13, 2, 1.0f);
        // The standard mode's neutral white, smoothed discs of radius 2 through the version-1 put.
        EXPECT_EQ(canvasGrid(s.image, 0), lines({
                                              "            4a81",
                                              "          7ffffe",
                                              "        6fffffff",
                                              "     1affffffffd",
                                              "   1afffffffff9 ",
                                              " 19ffffffffe3   ",
                                              "1aeffffffd3     ",
                                              "1befffe8        ",
                                              "19dee7          ",
                                              " 154            ",
                                          }));
        EXPECT_TRUE(allOpaque(s.image)); // the colour put of the older levels keeps alpha
    }
    Segment s(TDrawMode::DM_WC, 3, 16, 10, bgra(0, 0, 255, 255));
    s.stroke.SetPenEffect(50);
    s.stroke.SetPenSpeed(20);
    s.stroke.SetPenEnv(30);
    s.stroke.SetDrawColor(bgra(255, 0, 0, 0));
    s.draw(3, 4, 1, 12, 5, 1);
    // Red coming in over the blue canvas as the stroke runs, at 0.35 per disc.
    EXPECT_EQ(canvasGrid(s.image, 0), lines({
                                          "                ",
                                          "  11111         ",
                                          " 1234444433211  ",
                                          "123445555665541 ",
                                          "1234555566665431",
                                          "1234555566665431",
                                          " 123455566665431",
                                          "  11223445554321",
                                          "         111111 ",
                                          "                ",
                                      }));
}

TEST(DrawLine, BlurModesDrawFromTheLayerAndIntoTheCoverage)
{
    Segment blur(TDrawMode::DM_BLUR, 2);
    fillLayer(blur.layer,
              [](int x, int) { return x < 8 ? bgra(240, 0, 0, 255) : bgra(0, 0, 0, 255); });
    blur.stroke.SetPenEffect(50); // a box of 3 × 3
    blur.draw(6.5f, 4.5f, 1, 6.5f, 4.5f, 1);
    // The dab centred at (7, 5): the pixel there takes the box mean at full opacity, its left
    // neighbour the mean of red alone at 192 through the version-1 put, the right one nothing.
    EXPECT_EQ(blur.image.seek32(7, 5)->R, 160);
    EXPECT_EQ(blur.image.seek32(6, 5)->R, 180);
    EXPECT_EQ(blur.image.seek32(8, 5)->R, 0);

    Segment blur2(TDrawMode::DM_BLUR2, 3);
    blur2.draw(8, 5, 0.5f, 8, 5, 0.5f);
    // The strength trunc(0.5 × 32), smoothed towards the rim.
    const int centre = blur2.alpha.getColor(8, 5);
    EXPECT_GT(centre, 12);
    EXPECT_LE(centre, 16);
    EXPECT_LT(blur2.alpha.getColor(10, 5), centre);
    EXPECT_EQ(blur2.alpha.getColor(13, 5), 0);
}

TEST(DrawLine, NegativePressureStillWalksEveryStep)
{
    // A pen 10 pixels wide below nothing at pressure -0.25: trunc(-10 / 8) + 1 would be a dab
    // interval of 0; it is at least one step. A width below 2 walks half steps.
    Segment s(TDrawMode::DM_PEN, 40);
    s.stroke.SetPenIfSize(true);
    s.stroke.SetPenMin(0);
    s.draw(0, 0, -0.25f, 5, 0, -0.25f);
    EXPECT_EQ(s.stroke.m_penCount, 12);
}
