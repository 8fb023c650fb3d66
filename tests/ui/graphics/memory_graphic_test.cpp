#include "ui/graphics/appearance.h"
#include "ui/graphics/memory_graphic.h"

#include "core/image/display_canvas.h"
#include "ui/ui_test_support.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cstring>

namespace {

constexpr TColor32 kA = makeColor32(10, 20, 30, 255);
constexpr TColor32 kB = makeColor32(200, 150, 100, 255);
constexpr TColor32 kBack = makeColor32(1, 2, 3, 4);

// Each pixel numbered: b = x, g = y, r = 7, a = 9.
void number(TMemoryGraphic &g)
{
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x)
            g.SetPixel(x, y, makeColor32(uint8_t(x), uint8_t(y), 7, 9));
}

bool allPixels(const TMemoryGraphic &g, TColor32 c)
{
    for (int y = 0; y < g.Height(); ++y)
        for (int x = 0; x < g.Width(); ++x)
            if (!(*g.Seek(x, y) == c))
                return false;
    return true;
}

} // namespace

TEST(GraphicsMemory, SizesAndPreparedState)
{
    TMemoryGraphic none;
    EXPECT_FALSE(none.Prepared());
    EXPECT_EQ(none.Color(), clWhiteNone32);
    EXPECT_EQ(none.GetPixel(0, 0).bgra, 0u);
    EXPECT_FALSE(none.FillRectangle({0, 0, 1, 1}, kA, blendCopy, blendCopy));

    TMemoryGraphic g(kBack);
    EXPECT_TRUE(g.SetSize(0, -5));
    EXPECT_EQ(g.Width(), 1);
    EXPECT_EQ(g.Height(), 1);
    EXPECT_EQ(g.GetPixel(0, 0), kBack); // cleared to the background

    // The same size keeps the pixels; a new size clears them whatever ImageCopy says.
    g.SetPixel(0, 0, kA);
    EXPECT_TRUE(g.SetSize(1, 1));
    EXPECT_EQ(g.GetPixel(0, 0), kA);
    EXPECT_TRUE(g.SetSize(3, 2, true));
    EXPECT_TRUE(allPixels(g, kBack));

    // Sides the platform bitmap could not have leave the picture unusable, not half-made.
    TMemoryGraphic big;
    EXPECT_FALSE(big.SetSize(40000, 2));
    EXPECT_FALSE(big.Prepared());
    EXPECT_FALSE(big.SetPixel(0, 0, kA));
    EXPECT_EQ(big.GetScanLine(0), nullptr);
    EXPECT_TRUE(big.SetSize(2, 2));
    EXPECT_TRUE(big.Prepared());
}

TEST(GraphicsMemory, PixelAccessClampsReadsAndRefusesOutsideWrites)
{
    TMemoryGraphic g(10, 10);
    number(g);
    EXPECT_EQ(px(g.GetPixel(-3, 500)), "0,9,7,9");
    EXPECT_EQ(px(g.GetPixel(12, -1)), "9,0,7,9");
    EXPECT_FALSE(g.SetPixel(-1, 3, kA));
    EXPECT_FALSE(g.SetPixel(3, 10, kA));
    EXPECT_EQ(px(g.GetPixel(0, 3)), "0,3,7,9");
    EXPECT_EQ(g.GetScanLine(10), nullptr);
    EXPECT_EQ(g.GetScanLine(4), g.Seek(0, 4));
}

TEST(GraphicsMemory, RectanglesOffThePictureChangeNothing)
{
    TMemoryGraphic g(8, 8, kBack);
    const sRect outside[] = {
        {-5, 0, 0, 8}, {0, -4, 8, 0}, {8, 0, 12, 8}, {0, 8, 8, 9}, {3, 3, 3, 6}};
    for (const sRect &r : outside) {
        EXPECT_FALSE(g.FillRectangle(r, kA, blendCopy, blendCopy));
        EXPECT_FALSE(g.FillRectangle(r, kA, kB, adLeftRight, blendCopy, blendCopy));
        EXPECT_FALSE(g.DrawRectangle(r, 1, kA, blendCopy, blendCopy));
        EXPECT_FALSE(g.FillCheckBoard(r, {1, 1}, kA, kB, blendCopy, blendCopy));
    }
    EXPECT_TRUE(allPixels(g, kBack));
    // Overlapping the edge draws only inside.
    EXPECT_TRUE(g.FillRectangle({-2, -2, 2, 2}, kA, blendCopy, blendCopy));
    EXPECT_EQ(g.GetPixel(1, 1), kA);
    EXPECT_EQ(g.GetPixel(2, 1), kBack);
    EXPECT_EQ(g.GetPixel(1, 2), kBack);
}

TEST(GraphicsMemory, BlendProceduresChooseWhatChanges)
{
    const TColor32 half = makeColor32(200, 100, 50, 128);
    struct Case
    {
        TBlendProc rgb, a;
        const char *expected;
    } cases[] = {
        {blendCopy, blendCopy, "200,100,50,128"}, // bytes exactly, alpha included
        {blendCopy, blendKeep, "200,100,50,4"},   // alpha stays
        {blendKeep, blendCopy, "1,2,3,128"},      // colour stays
        // colour weight 128/255 toward the colour, alpha weight 1
        {blendNormal, blendNormal, "100,51,26,128"},
    };
    for (const Case &c : cases) {
        TMemoryGraphic g(2, 2, kBack);
        EXPECT_TRUE(g.FillRectangle({0, 0, 2, 2}, half, c.rgb, c.a));
        EXPECT_EQ(px(g.GetPixel(1, 1)), c.expected);
    }
    EXPECT_EQ(blendNormal(200, 100, 0.5f), 150); // truncation of a negative difference
    EXPECT_EQ(blendNormal(0, 255, 1.0f), 255);
    EXPECT_EQ(blendNormal(10, 0, 0.15f), 9);
    EXPECT_EQ(blendMultiply(200, 128, 1.0f), mulDiv255(200, 128));
    EXPECT_EQ(mulDiv255(255, 255), 255);
    EXPECT_EQ(mulDiv255(128, 255), 128);
    EXPECT_EQ(byteWeight(255), 1.0f);
    EXPECT_EQ(colorToColor32(0x00112233, 7).bgra, 0x07332211u);
    EXPECT_EQ(color32ToColor(makeColor32(0x11, 0x22, 0x33, 0x44)), 0x00112233u);
}

TEST(GraphicsMemory, TwoColourGradientsOfOneAndTwoPixels)
{
    struct Case
    {
        TAppearanceDirection dir;
        sRect rect;
        TColor32 first, second; // at the top or left, then at the bottom or right
    } cases[] = {
        {adTopBottom, {0, 0, 3, 2}, kA, kB},
        {adBottomTop, {0, 0, 3, 2}, kB, kA},
        {adLeftRight, {0, 0, 2, 3}, kA, kB},
        {adRightLeft, {0, 0, 2, 3}, kB, kA},
    };
    for (const Case &c : cases) {
        TMemoryGraphic g(3, 3, kBack);
        EXPECT_TRUE(g.FillRectangle(c.rect, kA, kB, c.dir, blendCopy, blendCopy));
        const bool vertical = c.dir == adTopBottom || c.dir == adBottomTop;
        EXPECT_EQ(g.GetPixel(0, 0), c.first) << int(c.dir);
        EXPECT_EQ(vertical ? g.GetPixel(2, 1) : g.GetPixel(1, 2), c.second) << int(c.dir);

        // One pixel along the axis: the first colour of the direction.
        TMemoryGraphic one(3, 3, kBack);
        const sRect thin = vertical ? sRect{0, 0, 3, 1} : sRect{0, 0, 1, 3};
        EXPECT_TRUE(one.FillRectangle(thin, kA, kB, c.dir, blendCopy, blendCopy));
        EXPECT_EQ(one.GetPixel(0, 0), c.dir == adTopBottom || c.dir == adLeftRight ? kA : kB);
    }
}

TEST(GraphicsMemory, FourCornerGradientHitsEachCorner)
{
    const TColor32 c0 = makeColor32(0, 0, 0, 255), c1 = makeColor32(255, 0, 0, 255);
    const TColor32 c2 = makeColor32(0, 255, 0, 255), c3 = makeColor32(0, 0, 255, 255);
    TMemoryGraphic g(5, 4, kBack);
    EXPECT_TRUE(g.FillRectangle({0, 0, 5, 4}, c0, c1, c2, c3, blendCopy, blendCopy));
    EXPECT_EQ(g.GetPixel(0, 0), c0);
    EXPECT_EQ(g.GetPixel(4, 0), c1);
    EXPECT_EQ(g.GetPixel(4, 3), c2);
    EXPECT_EQ(g.GetPixel(0, 3), c3);
    EXPECT_EQ(px(g.GetPixel(2, 0)), "127,0,0,255");
    // A one-pixel rectangle takes the top-left colour.
    TMemoryGraphic dot(1, 1, kBack);
    EXPECT_TRUE(dot.FillRectangle({0, 0, 1, 1}, c1, c0, c2, c3, blendCopy, blendCopy));
    EXPECT_EQ(dot.GetPixel(0, 0), c1);
}

TEST(GraphicsMemory, FramesDrawTheirSidesExactly)
{
    // Edge 2 on 10 x 6, one colour per side: L left, T top, R right, B bottom.
    const TColor32 L = makeColor32(1, 0, 0, 255), T = makeColor32(2, 0, 0, 255);
    const TColor32 R = makeColor32(3, 0, 0, 255), B = makeColor32(4, 0, 0, 255);
    TMemoryGraphic g(12, 8, clNone32);
    EXPECT_TRUE(g.DrawRectangle({1, 1, 11, 7}, 2, L, T, R, B, blendCopy, blendCopy));
    const char *expected[8] = {
        "............", //
        ".TTTTTTTTRR.", ".LLTTTTTTRR.", ".LL......RR.", ".LL......RR.",
        ".LLBBBBBBRR.", ".LLBBBBBBBB.", "............",
    };
    for (int y = 0; y < 8; ++y) {
        std::string row;
        for (int x = 0; x < 12; ++x)
            row += ".LTRB"[g.GetPixel(x, y).b];
        EXPECT_EQ(row, expected[y]) << "row " << y;
    }
    TMemoryGraphic small(5, 5, kBack);
    EXPECT_FALSE(small.DrawRectangle({0, 0, 5, 5}, 3, L, T, R, B, blendCopy, blendCopy));
    EXPECT_TRUE(allPixels(small, kBack));
    EXPECT_TRUE(small.DrawRectangle({0, 0, 5, 5}, 3, kA, blendCopy, blendCopy)); // needs only E
}

TEST(GraphicsMemory, CheckerBoardStartsWithTheFirstColourAtTheClippedCorner)
{
    TMemoryGraphic g(6, 6, kBack);
    EXPECT_TRUE(g.FillCheckBoard({-1, -1, 6, 6}, {2, 2}, kA, kB, blendCopy, blendCopy));
    EXPECT_EQ(g.GetPixel(0, 0), kA);
    EXPECT_EQ(g.GetPixel(1, 1), kA);
    EXPECT_EQ(g.GetPixel(2, 0), kB);
    EXPECT_EQ(g.GetPixel(0, 2), kB);
    EXPECT_EQ(g.GetPixel(2, 2), kA);
    EXPECT_EQ(g.GetPixel(4, 0), kA);
}

TEST(GraphicsMemory, TransfersClipBothBuffersTogether)
{
    // A 4 x 3 source numbered like `number`.
    TColor32 src[12];
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            src[y * 4 + x] = makeColor32(uint8_t(x), uint8_t(y), 7, 255);
    TMemoryGraphic g(5, 5, kBack);
    // The destination starts left of the picture: the source moves along.
    EXPECT_TRUE(g.Copy(-1, 3, 4, 3, src, 0, 0, 4, 3));
    EXPECT_EQ(px(g.GetPixel(0, 3)), "1,0,7,255");
    EXPECT_EQ(px(g.GetPixel(2, 4)), "3,1,7,255");
    EXPECT_EQ(g.GetPixel(3, 3), kBack);
    // A negative source position moves the destination.
    TMemoryGraphic h(5, 5, kBack);
    EXPECT_TRUE(h.Copy(0, 0, 3, 3, src, -2, -1, 4, 3));
    EXPECT_EQ(h.GetPixel(1, 0), kBack);
    EXPECT_EQ(px(h.GetPixel(2, 1)), "0,0,7,255");
    EXPECT_EQ(px(h.GetPixel(2, 2)), "0,1,7,255");
    EXPECT_EQ(h.GetPixel(3, 1), kBack);
    EXPECT_FALSE(h.Copy(0, 0, 3, 3, src, 4, 0, 4, 3));
    EXPECT_FALSE(h.Copy(5, 0, 3, 3, src, 0, 0, 4, 3));

    TColor32 out[4] = {};
    EXPECT_TRUE(g.CopyTo(out, 0, 0, 2, 2, 2, 2, -1, 3));
    EXPECT_EQ(px(out[1]), "1,0,7,255");
    EXPECT_EQ(out[0].bgra, 0u);

    // BlendImage puts each pixel by its own alpha.
    TMemoryGraphic top(2, 1, clNone32);
    top.SetPixel(0, 0, makeColor32(255, 255, 255, 255));
    top.SetPixel(1, 0, makeColor32(255, 255, 255, 0));
    TMemoryGraphic base(2, 1, makeColor32(0, 0, 0, 255));
    EXPECT_TRUE(base.BlendImage(0, 0, 2, 1, top, 0, 0, blendNormal, blendKeep));
    EXPECT_EQ(px(base.GetPixel(0, 0)), "255,255,255,255");
    EXPECT_EQ(px(base.GetPixel(1, 0)), "0,0,0,255");
}

TEST(GraphicsMemory, BlendingDrawOntoAnImage)
{
    TMemoryGraphic g(3, 1, clNone32);
    g.SetPixel(0, 0, makeColor32(0, 0, 255, 255));
    g.SetPixel(1, 0, makeColor32(0, 0, 255, 0));
    g.SetPixel(2, 0, makeColor32(0, 0, 255, 128));
    QImage dest(4, 2, QImage::Format_RGB32);
    dest.fill(QColor(0, 0, 0));
    EXPECT_TRUE(g.Draw(dest, 2, 1, 3, 1, 0, 0, blendNormal, blendKeep));
    EXPECT_EQ(dest.pixel(2, 1), qRgb(255, 0, 0));
    EXPECT_EQ(dest.pixel(3, 1), qRgb(0, 0, 0));
    EXPECT_EQ(dest.pixel(1, 1), qRgb(0, 0, 0));
    QImage argb(1, 1, QImage::Format_ARGB32);
    argb.fill(QColor(0, 0, 0, 255));
    EXPECT_TRUE(g.Draw(argb, 0, 0, 1, 1, 2, 0, blendNormal, blendKeep));
    EXPECT_EQ(argb.pixel(0, 0), qRgba(128, 0, 0, 255));
}

TEST(GraphicsMemory, TextMeasuresWithoutDrawingAndOpaquesOnlyItsRectangle)
{
    QFont font;
    font.setPixelSize(12);
    TMemoryGraphic g(60, 20, clNone32);
    sRect r{2, 3, 3, 4};
    EXPECT_TRUE(g.DrawText("Hello", r, font, clBlack32, DT_CALCRECT | DT_SINGLELINE));
    EXPECT_EQ(r.x0, 2);
    EXPECT_EQ(r.y0, 3);
    EXPECT_GT(r.x1, 12);
    EXPECT_GT(r.y1, 10);
    EXPECT_TRUE(allPixels(g, clNone32));

    const TColor32 ink = makeColor32(0, 0, 200, 255);
    sRect box{5, 4, 45, 18};
    const sRect before = box;
    EXPECT_TRUE(g.DrawText("Hi", box, font, ink, DT_LEFT | DT_SINGLELINE));
    EXPECT_EQ(box, before);
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) {
            const TColor32 p = g.GetPixel(x, y);
            const bool inside = x >= 5 && x < 45 && y >= 4 && y < 18;
            EXPECT_EQ(p.a, inside ? 255 : 0) << x << "," << y;
            if (!inside) {
                EXPECT_EQ(p.bgra, 0u);
            }
            inked += p.r > 0;
        }
    EXPECT_GT(inked, 5);
}

TEST(GraphicsMemory, TabImageMeasureAndDrawing)
{
    TMemoryGraphic g(80, 18, clNone32);
    sRect r{5, 5, 6, 6};
    EXPECT_TRUE(g.DrawTabImage("Layers", r, DT_CALCRECT | DT_SINGLELINE, tsNone));
    EXPECT_EQ(r.x0, 0);
    EXPECT_EQ(r.y1, 18);
    sRect text{0, 0, 1, 1};
    QFont font;
    pickInterfaceFont(font, 128);
    g.DrawText("Layers", text, font, clWindowText32(), DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(r.x1, text.x1 + 21);

    sRect tab{0, 0, 60, 18};
    EXPECT_TRUE(g.DrawTabImage("A", tab, DT_SINGLELINE, tsNone));
    EXPECT_EQ(g.GetPixel(20, 0), clWindowFrame32());
    EXPECT_EQ(g.GetPixel(20, 17), clBtnHighlight32()); // the inactive tab's closing rows
    EXPECT_EQ(g.GetPixel(20, 16), clWindowFrame32());
    EXPECT_EQ(g.GetPixel(8, 0), clWindowFrame32()); // the left end from the tab picture
    TMemoryGraphic a(60, 18, clNone32);
    EXPECT_TRUE(a.DrawTabImage("A", tab, DT_SINGLELINE, tsActive));
    EXPECT_EQ(a.GetPixel(20, 1), clBtnHighlight32());
    EXPECT_EQ(a.GetPixel(20, 17), clBtnFace32()); // open at the bottom
}

TEST(GraphicsMemory, RoundRectangleCutsTheCorners)
{
    TMemoryGraphic g(8, 8, clNone32);
    EXPECT_TRUE(g.DrawRoundRectangle({0, 0, 8, 8}, 1, clWhite32, blendCopy, blendCopy));
    EXPECT_EQ(g.GetPixel(0, 0).bgra, 0u);
    EXPECT_EQ(px(g.GetPixel(2, 0)), "255,255,255,255");
    EXPECT_EQ(px(g.GetPixel(1, 1)), "255,255,255,255"); // corner pixels put at half weight
    EXPECT_EQ(g.GetPixel(3, 3).bgra, 0u);
}

TEST(GraphicsMemory, BitmapHeaderDescribesTopDownRows)
{
    tagBITMAPINFOHEADER bmi;
    EXPECT_TRUE(TMemoryGraphic::GetBitmapInfo(bmi, 7, 3));
    EXPECT_EQ(bmi.biSize, 40u);
    EXPECT_EQ(bmi.biHeight, -3);
    EXPECT_EQ(bmi.biBitCount, 32);
    EXPECT_EQ(bmi.biSizeImage, 84u);
    EXPECT_FALSE(TMemoryGraphic::GetBitmapInfo(bmi, 0, 3));
}
