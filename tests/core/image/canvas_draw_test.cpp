#include "core/image/canvas_draw.h"

#include "core/image_test_support.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include <cmath>
#include <numbers>

using Rows = std::vector<std::string>;

namespace {
// The red channel of a canvas as channel rows (drawing white on black shows the opacities).
Rows redRows(const TMTC &tc)
{
    TChannel ch(tc.width(), tc.height());
    for (int y = 0; y < tc.height(); ++y)
        for (int x = 0; x < tc.width(); ++x)
            *ch.seek8(x, y) = tc.seek32(x, y)->R;
    return channelRows(ch);
}

// A put that records the opacity in the pixel: R = 1 + number of puts, A = the last opacity.
void recordPut(sBGRA *d, uint32_t col, uint32_t a)
{
    d->R = uint8_t(d->R + 1);
    d->B = uint8_t(col);
    d->A = uint8_t(a);
}

void black(TMTC &tc, int w, int h)
{
    tc.Resize(w, h);
    tc.fillAll(0xFF000000);
}
} // namespace

TEST(CanvasLines, OpacityRampAndClipping)
{
    TMTC tc(5, 3);
    tc.fillAll(0);
    tc.drawLine(0, 0, 0, 4, 2, 200, 7, recordPut);
    // x = e, y = e * 2 div 4, opacity 200 * e div 4.
    const std::pair<sPos, int> want[] = {
        {{0, 0}, 0}, {{1, 0}, 50}, {{2, 1}, 100}, {{3, 1}, 150}, {{4, 2}, 200}};
    for (const auto &[p, a] : want) {
        const sBGRA px = *tc.seek32(p.x, p.y);
        EXPECT_EQ(px.R, 1) << p.x;
        EXPECT_EQ(px.A, a) << p.x;
        EXPECT_EQ(px.B, 7);
    }

    tc.fillAll(0);
    tc.drawLine(2, 2, 33, 2, 2, 99, 0, recordPut); // both ends equal: one pixel at a0
    EXPECT_EQ(tc.getColor(2, 2), 0x21010000u);
    tc.fillAll(0);
    tc.drawLine(-3, 1, 255, 7, 1, 255, 0, recordPut); // only the inside pixels
    for (int x = 0; x < 5; ++x)
        EXPECT_EQ(tc.seek32(x, 1)->R, 1);
    EXPECT_EQ(tc.seek32(0, 0)->R, 0);
}

TEST(CanvasLines, FrameBoxPutsEachBorderPixelOnce)
{
    TMTC tc(5, 5);
    tc.fillAll(0);
    tc.frameBox({1, 1, 1, 1}, 0x11, 0x22, 255, recordPut);
    EXPECT_EQ(tc.getColor(1, 1), 0xFF010011u);
    EXPECT_EQ(tc.getColor(2, 1), 0u);

    tc.fillAll(0);
    tc.frameBox({1, 1, 2, 2}, 0x11, 0x22, 9, recordPut);
    EXPECT_EQ(tc.getColor(1, 1), 0x09010011u); // top-left: colTL
    EXPECT_EQ(tc.getColor(1, 2), 0x09010011u); // bottom-left: colTL
    EXPECT_EQ(tc.getColor(2, 1), 0x09010022u); // top-right: colBR
    EXPECT_EQ(tc.getColor(2, 2), 0x09010022u); // bottom-right: colBR

    tc.fillAll(0);
    tc.frameBox({0, 0, 4, 3}, 0x11, 0x22, 255, recordPut);
    EXPECT_EQ(redRows(tc), (Rows{"01 01 01 01 ..", "01 .. .. 01 ..", "01 01 01 01 ..",
                                 ".. .. .. .. ..", ".. .. .. .. .."}));
    EXPECT_EQ(tc.seek32(3, 0)->B, 0x22); // the right edge starts at the top-right corner
    EXPECT_EQ(tc.seek32(0, 2)->B, 0x11); // the left edge starts at the bottom-left corner

    tc.drawTextBox({3, 3, 4, 4}, 0xFF0000FF, 0xFFFFFFFF, 255);
    EXPECT_EQ(tc.getColor(4, 4), 0xFFFFFFFFu); // the clipped box is framed
    EXPECT_EQ(tc.getColor(3, 3), 0xFFFFFFFFu);
}

TEST(CanvasLines, SubPixelLinesStepAlongTheMajorAxis)
{
    TMTC tc;
    black(tc, 5, 5);
    tc.DrawLine(0, 0, 3, 3, 0xFFFFFFFF, true);
    // The minor step is dMinor / (dMajor + 1): 0, 0.75, 1.5, 2.25.
    EXPECT_EQ(redRows(tc), (Rows{"## .. .. .. ..", "3F C0 .. .. ..", ".. 7F 80 .. ..",
                                 ".. .. BF 40 ..", ".. .. .. .. .."}));

    black(tc, 5, 5);
    tc.DrawLine(3.5f, 1, 0.5f, 1, 0xFFFFFFFF, false);
    EXPECT_EQ(redRows(tc)[1], "## ## ## ## ..");

    // Stepping along y from the second end divides by dMajor: an exact diagonal. The opacity
    // goes from the start's 0 by 1 / (dMajor + 1) per step.
    black(tc, 5, 5);
    tc.DrawALine(3, 3, 1, 0, 0, 0, 0xFFFFFFFF, false);
    EXPECT_EQ(redRows(tc), (Rows{".. .. .. .. ..", ".. 3F .. .. ..", ".. .. 7F .. ..",
                                 ".. .. .. BF ..", ".. .. .. .. .."}));
    black(tc, 5, 5);
    tc.DrawALine(0, 0, 1, 4, 0, 1, 0xFFFFFFFF, true);
    EXPECT_EQ(redRows(tc)[0], "## ## ## ## ##");
}

TEST(CanvasDiscs, QuarterPixelGridGoldens)
{
    TMTC tc;
    black(tc, 7, 7);
    tc.exDrawCircle(3.5f, 3.5f, 2.5f, 0xFFFFFFFF, 1.0f, true, false);
    EXPECT_EQ(redRows(tc), (Rows{
                               ".. .. .. .. .. .. ..",
                               ".. 0F 8F BF AF 1F ..",
                               ".. 8F ## ## ## CF ..",
                               ".. BF ## ## ## ## ..",
                               ".. AF ## ## ## EF ..",
                               ".. 1F CF ## EF 3F ..",
                               ".. .. .. .. .. .. ..",
                           }));
    black(tc, 7, 7);
    tc.qz11_DrawCircle(3.5f, 3.5f, 3.0f, 0x00FFFFFF, 1.0f, true, true);
    EXPECT_EQ(redRows(tc)[3], ".. 45 B7 EF EF B7 22"); // the difference put falls short of 255

    // Without anti-aliasing every touched pixel gets the full opacity.
    black(tc, 7, 7);
    tc.exDrawCircle(3.5f, 3.5f, 2.5f, 0xFFFFFFFF, 0.5f, false, false);
    EXPECT_EQ(redRows(tc)[1], ".. 7F 7F 7F 7F 7F ..");
}

TEST(CanvasDiscs, NoRadiusNothingAndEdgesThroughTheDefaultPut)
{
    TMTC tc;
    black(tc, 4, 4);
    tc.exDrawCircle(2, 2, 0, 0xFFFFFFFF, 1.0f, true, false);
    tc.exDrawCircle(2, 2, 0.2f, 0xFFFFFFFF, 1.0f, true, false); // trunc(4r) = 0
    EXPECT_EQ(redRows(tc), (Rows{".. .. .. ..", ".. .. .. ..", ".. .. .. ..", ".. .. .. .."}));

    // The default put skips what lies outside; a put procedure installed later takes over.
    tc.exDrawCircle(0, 0, 3, 0xFFFFFFFF, 1.0f, true, false);
    EXPECT_EQ(tc.seek32(0, 0)->R, 255);
    static int calls;
    calls = 0;
    const fptrCanvasPut old =
        setCanvasPutProc([](TMTC &, int32_t, int32_t, uint32_t, int32_t) { ++calls; });
    tc.exDrawCircle(2, 2, 1, 0xFFFFFFFF, 1.0f, true, false);
    setCanvasPutProc(old);
    EXPECT_GT(calls, 0);
}

TEST(CanvasDiscs, AnOpacityFarOutsideTheRangeIsPutWithoutOverflow)
{
    // A damaged recording can ask for any opacity: the opacity handed to the put is the
    // conversion kept to the 32-bit range (the sanitizer build stops on an overflowing one).
    static std::vector<int32_t> seen;
    seen.clear();
    const fptrCanvasPut old =
        setCanvasPutProc([](TMTC &, int32_t, int32_t, uint32_t, int32_t a) { seen.push_back(a); });
    TMTC tc;
    black(tc, 4, 4);
    tc.exDrawCircle(2, 2, 1, 0xFFFFFFFF, 1e20f, false, false);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), INT32_MAX);
    // A negative opacity puts nothing.
    const size_t puts = seen.size();
    tc.exDrawCircle(2, 2, 1, 0xFFFFFFFF, -1e20f, false, false);
    setCanvasPutProc(old);
    EXPECT_EQ(seen.size(), puts);
}

TEST(CanvasCheckers, CellsFromTheBoxOrTheOrigin)
{
    TMTC tc(8, 2);
    tc.fillAll(0);
    sBox box{3, 0, 4, 1};
    ASSERT_TRUE(tc.fillCheckBoard(box, {2, 2}, 0xA, 0xB));
    EXPECT_EQ(canvasPixels(tc), (std::vector<uint32_t>{0, 0, 0, 0xA, 0xA, 0xB, 0xB, 0, //
                                                       0, 0, 0, 0, 0, 0, 0, 0}));
    box = {3, 0, 4, 2};
    ASSERT_TRUE(tc.fillCheckBoardEx(box, {2, 2}, 0xA, 0xB));
    EXPECT_EQ(canvasPixels(tc), (std::vector<uint32_t>{0, 0, 0, 0xB, 0xA, 0xA, 0xB, 0, //
                                                       0, 0, 0, 0xB, 0xA, 0xA, 0xB, 0}));
    box = {1, 1, 1, 1}; // narrower than a cell: only the box
    tc.fillAll(0);
    ASSERT_TRUE(tc.fillCheckBoardEx(box, {4, 4}, 0xA, 0xB));
    EXPECT_EQ(tc.getColor(1, 1), 0xAu);
    EXPECT_EQ(tc.getColor(0, 1), 0u);
    EXPECT_FALSE(tc.fillCheckBoard(box, {0, 4}, 0xA, 0xB));

    // Phase (1, 0): (x - 1) div 2 truncates towards zero, so columns 0..2 share a cell.
    fillCanvas(tc, 4, 1, {0x00000000, 0x00000000, 0x00000000, 0xFF123456});
    sRect r{0, 0, 4, 1};
    ASSERT_TRUE(tc.mixInvCheckBoard(r, {1, 0}, {2, 2}, 0xFF111111, 0xFF999999));
    EXPECT_EQ(canvasPixels(tc),
              (std::vector<uint32_t>{0xFF111111, 0xFF111111, 0xFF111111, 0xFF123456}));
}

TEST(CanvasTurns, FlipsAndHalfTurnInPlace)
{
    TMTC a, b;
    numberCanvas(a, 4, 3);
    numberCanvas(b, 4, 3);
    sBox box{1, 0, 3, 3};
    ASSERT_TRUE(a.rot180(box));
    for (int y = 0; y < 3; ++y)
        for (int x = 1; x < 4; ++x)
            EXPECT_EQ(a.getColor(x, y), b.getColor(4 - x, 2 - y)) << x << "," << y;
    EXPECT_EQ(a.getColor(0, 0), b.getColor(0, 0));
    ASSERT_TRUE(a.rot180(box));
    EXPECT_EQ(canvasPixels(a), canvasPixels(b));

    ASSERT_TRUE(a.flipTB());
    ASSERT_TRUE(a.flipLR());
    ASSERT_TRUE(b.rot180());
    EXPECT_EQ(canvasPixels(a), canvasPixels(b));
    sBox outside{9, 9, 2, 2};
    EXPECT_FALSE(a.flipTB(outside));
}

TEST(CanvasTurns, QuarterTurnsStayInsideTheDestination)
{
    TMTC src;
    numberCanvas(src, 3, 2);
    TMTC right(2, 3), left(2, 3), half(3, 2);
    ASSERT_TRUE(src.FilterRotateRight(right));
    ASSERT_TRUE(src.FilterRotateLeft(left));
    ASSERT_TRUE(src.FilterRotate180(half));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(right.getColor(x, y), src.getColor(y, 1 - x));
            EXPECT_EQ(left.getColor(x, y), src.getColor(2 - y, x));
        }
    EXPECT_EQ(half.getColor(0, 0), src.getColor(2, 1));

    // A destination too small gets what fits and nothing beyond it.
    TMTC small(1, 1);
    small.fillAll(0);
    ASSERT_TRUE(src.FilterRotateRight(small));
    EXPECT_EQ(small.getColor(0, 0), src.getColor(0, 1));
    ASSERT_TRUE(src.FilterRotate180(small));
    EXPECT_EQ(small.getColor(0, 0), src.getColor(2, 1));
    TMTC none;
    EXPECT_FALSE(src.FilterRotateLeft(none));
}

TEST(CanvasViews, IdentityRotationAndMirror)
{
    TMTC src;
    numberCanvas(src, 6, 5);
    const uint32_t back = gViewBackColor;
    gViewBackColor = 0x00ABCDEF;
    TMTC dest(4, 4);
    const sPos cp{2, 2};
    ASSERT_TRUE(src.BltRotation(dest, cp, 0, 1));
    // cp lands at (W div 2 - 1, H div 2 - 1), cp + (1, 1) at (W div 2, H div 2).
    EXPECT_EQ(dest.getColor(1, 1), src.getColor(2, 2));
    EXPECT_EQ(dest.getColor(2, 2), src.getColor(3, 3));
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dest.getColor(x, y), src.getColor(x + 1, y + 1));

    TMTC mirror(4, 4);
    ASSERT_TRUE(src.BltReverse(mirror, cp, 0, 1));
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(mirror.getColor(x, 0), src.getColor(4 - x, 1)) << x;

    // Samples outside the source: the view's background colour.
    ASSERT_TRUE(src.BltRotation(dest, {0, 0}, 0, 1));
    EXPECT_EQ(dest.getColor(0, 0), 0x00ABCDEFu);
    EXPECT_EQ(dest.getColor(1, 1), src.getColor(0, 0));

    // A half turn about cp: each destination pixel samples at its top-left corner, so the
    // source runs from cp + 1 backwards.
    ASSERT_TRUE(src.BltRotationPart(dest, cp, {0, 0, 4, 4}, std::numbers::pi_v<float>, 1));
    EXPECT_EQ(dest.getColor(1, 1), src.getColor(3, 3));
    EXPECT_EQ(dest.getColor(2, 2), src.getColor(2, 2));
    EXPECT_EQ(dest.getColor(3, 1), src.getColor(1, 3));
    EXPECT_FALSE(src.BltRotationPart(dest, cp, {4, 0, 2, 2}, 0, 1));
    gViewBackColor = back;
}

TEST(CanvasReduce, AveragedReductions)
{
    TMTC src;
    fillCanvas(src, 4, 2,
               {0x00000000, 0x04040404, 0x10101010, 0x20202020, //
                0x08080808, 0x0C0C0C0C, 0x30303030, 0x40404040});
    TMTC dest(2, 1);
    src.FilterSmallenHQ(dest);
    // Each 2 x 2 block sampled four times, summed and shifted right by 4.
    EXPECT_EQ(dest.getColor(0, 0), 0x06060606u);
    EXPECT_EQ(dest.getColor(1, 0), 0x28282828u);

    // (nx + 1) x (ny + 1) = 3 x 3 pixels from 2x, clamped into the source, divided by 9.
    src.FilterSmallen(dest);
    EXPECT_EQ(dest.seek32(0, 0)->R, (0 + 4 + 16 + 8 + 12 + 48 + 8 + 12 + 48) / 9);
    TMTC part(2, 1);
    part.fillAll(0);
    ASSERT_TRUE(src.FilterSmallenPart(part, 1, 0, 5, 5));
    EXPECT_EQ(part.getColor(0, 0), 0u);
    EXPECT_EQ(part.getColor(1, 0), dest.getColor(1, 0));
    EXPECT_FALSE(src.FilterSmallenPart(part, 2, 0, 1, 1));
}

TEST(CanvasReduce, NearestNeighbourStretch)
{
    TMTC src, dest(5, 5);
    numberCanvas(src, 4, 4);
    dest.fillAll(0);
    ASSERT_TRUE(dest.stretchImage(src, {1, 1, 3, 3}, {2, 1, 1, 1}));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(dest.getColor(x, y),
                      x >= 1 && x <= 3 && y >= 1 && y <= 3 ? src.getColor(2, 1) : 0u);

    ASSERT_TRUE(dest.stretchImage(src, {0, 0, 2, 2}, {0, 0, 4, 4}));
    EXPECT_EQ(dest.getColor(1, 1), src.getColor(2, 2));
    EXPECT_FALSE(dest.stretchImage(src, {0, 0, 2, 2}, {4, 0, 1, 1}));
}

TEST(PenTip, InitCapturesTheAreaWithRepeatedEdges)
{
    TMTC tc;
    numberCanvas(tc, 20, 20);
    CPenTC tip;
    ASSERT_TRUE(tip.init(tc, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(tip.imgBox, (sBox{-4, -4, 9, 9}));
    EXPECT_EQ(tip.iszR, (sSize{4, 4}));
    EXPECT_EQ(tip.FPSZ(), (sSize{9, 9}));
    EXPECT_EQ(tip.fracOfs, (sFPos{0.5f, 0.5f}));
    for (int j = 0; j < 9; ++j)
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(tip.getColor(i, j), tc.getColor(std::max(i - 4, 0), std::max(j - 4, 0)));

    sSize ofs;
    ASSERT_TRUE(tip.getOffset(ofs, 1.0f));
    EXPECT_EQ(ofs, (sSize{3, 3})); // 4 - ceil(1 - 0.5)
    EXPECT_FALSE(tip.getOffset(ofs, 4.5f));
    ASSERT_TRUE(tip.getOffset(ofs, sFXSize{0x10000, 0x28000}));
    EXPECT_EQ(ofs, (sSize{3, 2}));
    EXPECT_FALSE(tip.getOffset(ofs, sFXSize{0x40001, 0}));

    // The far corner of the canvas repeats its last row and column.
    ASSERT_TRUE(tip.init(tc, 19.9f, 19.2f, 0.3f));
    EXPECT_EQ(tip.imgBox, (sBox{15, 15, 9, 9}));
    EXPECT_EQ(tip.getColor(8, 8), tc.getColor(19, 19));
    EXPECT_EQ(tip.getColor(0, 8), tc.getColor(15, 19));

    tip.clear();
    EXPECT_EQ(tip.iszR, (sSize{0, 0}));
    EXPECT_EQ(tip.imgBox, (sBox{15, 15, 9, 9}));
    EXPECT_FALSE(tip.init(tc, 1, 1, -2.0f));
    EXPECT_FALSE(tip.init(tc, 1, 1, NAN));
    EXPECT_FALSE(tip.init(TMTC(), 1, 1, 2.0f));
}
