// The histogram's counting and view, and the levels bars' hit test and positions.
#include "core/mask/mask_manager.h"
#include "filters/dialogs/dialog_test_support.h"
#include "filters/dialogs/histogram.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace dialogtest;

namespace {

// A 4 x 2 canvas: (R, G, B, A) per pixel, row by row.
void fillCanvas(TMTC &tc, std::initializer_list<uint32_t> px)
{
    tc.Resize(4, 2);
    int i = 0;
    for (uint32_t c : px) {
        tc.seek32(i % 4, i / 4)->all = c;
        ++i;
    }
}

} // namespace

TEST(Histogram, PixelsCountByTheirAlphaAndSelectionWeight)
{
    TMTC tc;
    fillCanvas(tc, {0xFF640A00u, 0xFF640A00u, 0x80C80000u, 0x00FFFFFFu, //
                    0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u});
    CMaskData none(0);
    SHistogramTables t;
    t.Calculate(tc, {0, 0}, &none, {0, 0, 4, 1});
    EXPECT_FLOAT_EQ(t.HistogramTable[kHistRed][100], 2.0f);
    EXPECT_FLOAT_EQ(t.HistogramTable[kHistRed][200], 128.0f / 255.0f);
    EXPECT_EQ(t.HistogramTable[kHistRed][255], 0.0f) << "a transparent pixel counts nothing";
    EXPECT_FLOAT_EQ(t.FSum, 2.0f + 128.0f / 255.0f);
    EXPECT_EQ(t.FMinColor[kHistRed], 100);
    EXPECT_EQ(t.FMaxColor[kHistRed], 200);
    EXPECT_EQ(t.FLevels[kHistRed], 2);
    EXPECT_EQ(t.FLevels[kHistBlue], 1);
    // Luminance of (100, 10, 0).
    EXPECT_FLOAT_EQ(t.HistogramTable[kHistLuminance][(100 * 19595 + 10 * 38469) >> 16], 2.0f);

    // A selection weights: half the first pixel, none of the rest.
    CMaskData mask(0, 4, 2);
    sRect first{0, 0, 1, 1};
    mask.maskTC->fillArea(first, 51);
    t.Calculate(tc, {0, 0}, &mask, {0, 0, 4, 2});
    EXPECT_FLOAT_EQ(t.FSum, 51.0f * 255.0f / 65025.0f);
    EXPECT_EQ(t.FLevels[kHistRed], 1);
}

TEST(Histogram, AnEmptyRegionLeavesEmptyTablesAndAWhitePlot)
{
    TMTC tc;
    fillCanvas(tc, {0, 0, 0, 0, 0, 0, 0, 0});
    CMaskData none(0);
    CHistogram h;
    EXPECT_TRUE(h.SetParams(&tc, {0, 0}, &none, {0, 0, 4, 2}));
    for (int t = 0; t < 4; ++t) {
        EXPECT_EQ(h.tables().FMinColor[size_t(t)], 255);
        EXPECT_EQ(h.tables().FMaxColor[size_t(t)], 0);
        EXPECT_EQ(h.tables().FLevels[size_t(t)], 0);
    }
    for (int x = 1; x < 257; x += 17)
        EXPECT_EQ(h.ViewTC().getColor(x, 50), 0xFFFFFFFFu) << x;
    // An empty rectangle counts nothing.
    EXPECT_FALSE(h.SetParams(&tc, {0, 0}, &none, {2, 0, 2, 2}));
}

TEST(Histogram, TheTallestBinReachesTheTopInItsChannelColour)
{
    // Red 100 everywhere, green and blue 0.
    TMTC tc(8, 8);
    tc.PixelFill(0xFF640000u);
    CMaskData none(0);
    CHistogram h;
    ASSERT_TRUE(h.SetParams(&tc, {0, 0}, &none, {0, 0, 8, 8}));
    h.SetHistogramType(HISTOGRAM_R);
    const TMTC &v = h.ViewTC();
    EXPECT_EQ(v.width(), 258);
    EXPECT_EQ(v.height(), 102);
    // White multiplied by 0xCC5555 from the top of the plot to its bottom at x = 100 + 1.
    EXPECT_EQ(v.getColor(101, 1) & 0xFFFFFFu, 0xCC5555u);
    EXPECT_EQ(v.getColor(101, 100) & 0xFFFFFFu, 0xCC5555u);
    EXPECT_EQ(v.getColor(100, 50), 0xFFFFFFFFu);
    h.SetHistogramType(HISTOGRAM_Y);
    EXPECT_EQ(v.getColor(101, 50), 0xFFFFFFFFu);
    const int y = (100 * 19595) >> 16;
    EXPECT_EQ(v.getColor(y + 1, 50) & 0xFFFFFFu, 0u) << "luminance in black";
}

TEST(Histogram, LevelsBarHitTestGivesTheMidtoneEveryTie)
{
    TLevelsTrackbar bar;
    bar.SetBounds(0, 0, 206, 12); // inner width 200 from x = 3
    bar.SetPosition(ltpMin, 0.2f);
    bar.SetPosition(ltpMax, 0.8f);
    bar.SetPosition(ltpMid, 0.5f); // at 0.5 absolute: x = 103
    struct Case
    {
        int x;
        TLevelsTrackbarPart part;
    };
    const Case cases[] = {
        {43, ltpMin},  {73, ltpMid}, // exactly between min (43) and midtone (103)
        {103, ltpMid}, {133, ltpMid}, {134, ltpMax}, {190, ltpMax},
    };
    for (const Case &c : cases)
        EXPECT_EQ(bar.PartAt(c.x), c.part) << c.x;
    bar.setTrackbarType(ltOutput);
    EXPECT_EQ(bar.PartAt(103), ltpMax) << "max wins the tie between min and max";
    EXPECT_EQ(bar.PartAt(102), ltpMin);
}

TEST(Histogram, LevelsBarPositionsStayOnTheBar)
{
    TLevelsTrackbar bar;
    bar.SetBounds(0, 0, 206, 12);
    int changes = 0;
    bar.OnChange = [&](QObject *) { ++changes; };
    bar.SetPosition(ltpMax, 0.6f);
    bar.SetPosition(ltpMin, std::nanf(""));
    EXPECT_EQ(bar.PositionMin(), 0.0f);
    bar.SetPosition(ltpMin, -2);
    bar.SetPosition(ltpMid, 7);
    EXPECT_EQ(bar.PositionMid(), 1.0f);
    EXPECT_EQ(bar.ChangePart(), ltpMid);
    EXPECT_EQ(changes, 2) << "only real changes fire";
    // The min handle dragged past the max stops at the max; the max dragged below the min
    // stays at the min; the midtone is relative to both.
    EXPECT_EQ(bar.PositionAt(ltpMin, 3 + 180), 0.6f);
    EXPECT_EQ(bar.PositionAt(ltpMax, 3 - 10), 0.0f);
    EXPECT_FLOAT_EQ(bar.PositionAt(ltpMid, 3 + 60), 0.5f);
}
