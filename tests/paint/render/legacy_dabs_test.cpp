// The dabs, spans and channel fills of the older paint levels, observed through a capture of the
// stroke context's puts.
#include "paint/older_paint_test_support.h"

#include "core/image/canvas_draw.h"
#include "paint/gradient_test_support.h"
#include "paint/gradient/gradation.h"
#include "paint/render/legacy_dabs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using Puts = std::vector<SCapturedPut>;

// The alphas of a capture by position (along a row or column).
std::map<int32_t, uint32_t> alphasAlong(const Puts &puts, bool byX)
{
    std::map<int32_t, uint32_t> m;
    for (const SCapturedPut &p : puts)
        m[byX ? p.x : p.y] = p.alpha;
    return m;
}

} // namespace

TEST(LegacySpan, EndsCarryTheirCoveredPartAndTheInsideIsFull)
{
    TChannel ch(10, 10);
    struct Case
    {
        float c, h;
        std::map<int32_t, uint32_t> alphas;
    };
    const Case cases[] = {
        // One pixel: both ends are the same pixel, at 2h of the opacity.
        {10.5f, 0.2f, {}},
        {5.5f, 0.2f, {{5, 102}}},
        // [3.25, 7.25]: 0.75 and 0.25 at the ends.
        {5.25f, 2.0f, {{3, 191}, {4, 255}, {5, 255}, {6, 255}, {7, 63}}},
        // Starting left of the channel: the first pixel drawn takes the full value.
        {0.5f, 2.0f, {{0, 255}, {1, 255}, {2, 127}}},
        // Past the far edge: those pixels are skipped.
        {9.0f, 2.0f, {{7, 255}, {8, 255}, {9, 255}}},
    };
    for (const Case &c : cases) {
        PutCapture cap;
        drawAntiSpanRow(ch, 200, false, c.c, 4, c.h, 1.0f);
        EXPECT_EQ(alphasAlong(cap.channel, true), c.alphas) << "centre " << c.c;
        for (const SCapturedPut &p : cap.channel) {
            EXPECT_EQ(p.y, 4);
            EXPECT_EQ(p.value, 200u);
        }
    }
}

TEST(LegacySpan, HalfLengthPointTwoAtTenAndAHalfCoversOnePixelAtPointFour)
{
    TChannel ch(3, 20);
    PutCapture cap;
    drawAntiSpanColumn(ch, 77, false, 10.5f, 1, 0.2f, 0.5f);
    ASSERT_EQ(cap.channel.size(), 1u);
    // trunc(0.5 × 0.4 × 255)
    EXPECT_EQ(cap.channel[0], (SCapturedPut{1, 10, 51, 77}));
}

TEST(LegacySpan, NothingOutsideTheChannelOrAtOpacityZero)
{
    TChannel ch(10, 10);
    PutCapture cap;
    drawAntiSpanRow(ch, 255, false, 5, -1, 2, 1);
    drawAntiSpanRow(ch, 255, false, 5, 10, 2, 1);
    drawAntiSpanColumn(ch, 255, false, 5, 10, 2, 1);
    drawAntiSpanRow(ch, 255, false, 5, 3, 2, 0);
    drawAntiSpanRow(ch, 255, false, 50, 3, 2, 1);
    EXPECT_TRUE(cap.channel.empty());
}

TEST(LegacyDisc, RadiusBelowAHalfIsOneSpanAtHalfOpacity)
{
    TChannel ch(10, 10);
    PutCapture cap;
    drawAntiDiscRows(ch, 200, false, 5.5f, 3.5f, 0.4f, 1.0f);
    ASSERT_EQ(cap.channel.size(), 1u);
    // [5.1, 5.9] covers 0.8 of pixel 5 on row 3, at half the opacity.
    EXPECT_EQ(cap.channel[0], (SCapturedPut{5, 3, 102, 200}));
}

TEST(LegacyDisc, RowsAreChordsAndTheEdgeRowsAreWeighted)
{
    TChannel ch(12, 12);
    PutCapture cap;
    drawAntiDiscRows(ch, 255, false, 5.5f, 5.25f, 1.5f, 1.0f);
    // Rows 3 .. 6: row 3 lies beyond the radius (y - cy = -2.25), row 6 is the last and counts
    // (cy + r) - 6 = 0.75 of the opacity.
    std::map<int32_t, uint32_t> maxByRow;
    for (const SCapturedPut &p : cap.channel)
        maxByRow[p.y] = std::max(maxByRow[p.y], p.alpha);
    EXPECT_EQ(maxByRow, (std::map<int32_t, uint32_t>{{4, 255}, {5, 255}, {6, 191}}));
    // Row 4: half chord sqrt(2.25 - 1.5625) = 0.829 around 5.5: 0.329 at both ends.
    std::map<int32_t, uint32_t> row4;
    for (const SCapturedPut &p : cap.channel)
        if (p.y == 4)
            row4[p.x] = p.alpha;
    EXPECT_EQ(row4, (std::map<int32_t, uint32_t>{{4, 83}, {5, 255}, {6, 83}}));
}

TEST(LegacyDisc, ColumnsAreTheRowsTransposed)
{
    TChannel ch(16, 16);
    Puts rows, cols;
    {
        PutCapture cap;
        drawAntiDiscRows(ch, 180, false, 6.3f, 8.7f, 3.6f, 0.8f);
        rows = cap.channel;
    }
    {
        PutCapture cap;
        drawAntiDiscColumns(ch, 180, false, 8.7f, 6.3f, 3.6f, 0.8f);
        cols = cap.channel;
    }
    ASSERT_FALSE(rows.empty());
    for (SCapturedPut &p : cols)
        std::swap(p.x, p.y);
    auto byPos = [](const SCapturedPut &a, const SCapturedPut &b) {
        return std::tie(a.y, a.x) < std::tie(b.y, b.x);
    };
    std::sort(rows.begin(), rows.end(), byPos);
    std::sort(cols.begin(), cols.end(), byPos);
    EXPECT_EQ(rows, cols);
}

TEST(LegacyRadialDab, ClippedRectanglePutsEveryPixelOutsideTheDiscWithZero)
{
    TMTC tc(10, 10);
    PutCapture cap;
    EXPECT_TRUE(drawRadialDab(tc, 0x00112233, 1.0f, 1.0f, 2.0f, 1.0f));
    // (floor(-1), floor(-1), 3, 3) clipped to (0, 0, 3, 3): nine puts.
    ASSERT_EQ(cap.canvas.size(), 9u);
    std::map<std::pair<int, int>, uint32_t> at;
    for (const SCapturedPut &p : cap.canvas) {
        EXPECT_EQ(p.value, 0x00112233u);
        at[{p.x, p.y}] = p.alpha;
    }
    // (0, 0): distance 0.7071 gives index 723 of the linear air map, 255 × 1324 / 2047.
    EXPECT_EQ(at[std::make_pair(0, 0)], 164u);
    // (2, 2): the centre (2.5, 2.5) lies 2.12 away, outside the disc.
    EXPECT_EQ(at[std::make_pair(2, 2)], 0u);
    // (1, 1): distance 0.7071 as well.
    EXPECT_EQ(at[std::make_pair(1, 1)], 164u);
}

TEST(LegacyRadialDab, OpacityScalesTheCoverageAndNothingAtZeroOrNegativeRadius)
{
    TMTC tc(10, 10);
    {
        PutCapture cap;
        drawRadialDab(tc, 0, 5.0f, 5.0f, 2.0f, 0.5f);
        const auto at = std::find_if(cap.canvas.begin(), cap.canvas.end(),
                                     [](const SCapturedPut &p) { return p.x == 4 && p.y == 4; });
        ASSERT_NE(at, cap.canvas.end());
        EXPECT_EQ(at->alpha, 82u); // 164.93 halved, truncated once
    }
    PutCapture cap;
    EXPECT_FALSE(drawRadialDab(tc, 0, 5.0f, 5.0f, 2.0f, 0.0f));
    EXPECT_FALSE(drawRadialDab(tc, 0, 5.0f, 5.0f, -1.0f, 1.0f));
    EXPECT_FALSE(drawRadialDab(tc, 0, -10.0f, 5.0f, 2.0f, 1.0f));
    EXPECT_TRUE(cap.canvas.empty());
}

TEST(LegacyRadialDab, TexturedDabTakesTheTexturePixelUnlessItIsTransparent)
{
    TMTC src;
    // Left half opaque red, right half transparent.
    fillCanvas(src, 20, 20, [](int x, int) { return x < 10 ? bgra(255, 0, 0, 255) : 0u; });
    CPenTC tip;
    ASSERT_TRUE(tip.init(src, 10.0f, 10.0f, 3.0f));
    TMTC tc(20, 20);
    PutCapture cap;
    ASSERT_TRUE(drawRadialDabTextured(tc, 0x000000FF, tip, 10.0f, 10.0f, 3.0f, 1.0f));
    ASSERT_FALSE(cap.canvas.empty());
    for (const SCapturedPut &p : cap.canvas)
        EXPECT_EQ(p.value, p.x < 10 ? bgra(255, 0, 0, 255) : 0x000000FFu) << p.x;
}

TEST(LegacyChannelFill, ColourThroughTheChannelScalesByItsBytes)
{
    TChannel ch;
    fillChannel(ch, 3, 1, [](int x, int) { return uint8_t(x == 0 ? 0 : (x == 1 ? 128 : 255)); });
    TMTC tc;
    fillCanvas(tc, 5, 5, [](int, int) { return bgra(0, 0, 0, 50); });
    {
        PutCapture cap;
        ASSERT_TRUE(drawColorThroughChannel(tc, ch, {2, 3}, {0, 0, 3, 1}, 0xFF, 128, false));
        // Positions in the channel's coordinates; coverage mul255(v, 128).
        EXPECT_EQ(cap.canvas, (Puts{{0, 0, 0, 0xFF}, {1, 0, 64, 0xFF}, {2, 0, 128, 0xFF}}));
    }
    PutCapture cap;
    ASSERT_TRUE(drawColorThroughChannel(tc, ch, {2, 3}, {0, 0, 3, 1}, 0xFF, 255, true));
    // Bytes 0 are skipped, the destination alpha is raised first.
    EXPECT_EQ(cap.canvas, (Puts{{1, 0, 128, 0xFF}, {2, 0, 255, 0xFF}}));
    EXPECT_EQ(tc.seek32(2, 3)->A, 50);
    EXPECT_EQ(tc.seek32(3, 3)->A, 128);
    EXPECT_EQ(tc.seek32(4, 3)->A, 255);
    EXPECT_FALSE(drawColorThroughChannel(tc, ch, {5, 0}, {0, 0, 3, 1}, 0xFF, 255, false));
}

namespace {
std::vector<std::pair<uint32_t, uint32_t>> gGradPuts; // colour, opacity

void captureGradPut(sBGRA *, uint32_t col, uint32_t a)
{
    gGradPuts.emplace_back(col, a);
}
} // namespace

TEST(LegacyChannelFill, GradientThroughTheChannelSwapsToPixelOrderAndScalesByStopOpacity)
{
    const CColorSlotGroup one = groupOf({{rgbaOf(10, 20, 30, 255), 0x10000, 128}});
    CGradation grad(&one);
    TChannel ch;
    fillChannel(ch, 2, 1, [](int x, int) { return uint8_t(x == 0 ? 0 : 200); });
    TMTC tc(4, 4);
    gGradPuts.clear();
    ASSERT_TRUE(
        drawGradationThroughChannel(tc, ch, grad, captureGradPut, {1, 1}, {0, 0, 2, 1}, 255));
    ASSERT_EQ(gGradPuts.size(), 1u);
    EXPECT_EQ(gGradPuts[0].first, bgra(10, 20, 30, 128));
    EXPECT_EQ(gGradPuts[0].second, mul255(200, 128));
}

TEST(LegacyBlit, BlendModesOfTheOlderLayerBlit)
{
    TMTC src, dst;
    fillCanvas(src, 2, 1, [](int, int) { return bgra(100, 100, 100, 255); });
    struct Case
    {
        bool (*blt)(TMTC &, const TMTC &, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                    uint32_t);
        uint8_t expectR;
    };
    const Case cases[] = {
        {bltPartNormal, 100},
        {bltPartMul, 78}, // 200 × 100 / 255
        {bltPartAdd, 255},
        {bltPartSub, 100},
    };
    for (const Case &c : cases) {
        fillCanvas(dst, 3, 1, [](int, int) { return bgra(200, 200, 200, 255); });
        ASSERT_TRUE(c.blt(dst, src, 0, 0, 2, 1, 1, 0, 255));
        EXPECT_EQ(dst.seek32(0, 0)->R, 200);
        EXPECT_EQ(dst.seek32(1, 0)->R, c.expectR);
        EXPECT_FALSE(c.blt(dst, src, 0, 0, 2, 1, 3, 0, 255));
    }
}
