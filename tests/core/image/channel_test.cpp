#include "core/image/channel.h"

#include "core/image_test_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using Rows = std::vector<std::string>;

TEST(ChannelStorage, RowsRunBottomUp)
{
    TChannel ch(3, 2);
    ASSERT_TRUE(ch.isEnable());
    EXPECT_EQ(ch.seek(0, 1), ch.buffer()); // the last row starts the block
    EXPECT_EQ(ch.seek8(0, 0), ch.buffer() + 3);
    EXPECT_EQ(ch.getSkipLineSize(), -3);
    EXPECT_FALSE(ch.isTopDown());
    EXPECT_EQ(ch.getImageDataBytes(), 6u);
    EXPECT_EQ(tcdSeek8(ch.FTCDS(), 2, 0), ch.buffer() + 5);

    TChannel none(0, 0);
    EXPECT_FALSE(none.isEnable());
    EXPECT_EQ(none.PixelGet(0, 0), 0);
    TChannel bad(-1, 3);
    EXPECT_FALSE(bad.isEnable());
    EXPECT_EQ(bad.FPSZ(), (sSize{0, 0}));
}

TEST(ChannelStorage, CopyConstructionAndClampedReads)
{
    TChannel a;
    drawMask(a, {"#1.", "..9"});
    TChannel b(a);
    EXPECT_EQ(channelRows(b), channelRows(a));
    EXPECT_EQ(b.PixelGet(-4, -4), 255);
    EXPECT_EQ(b.PixelGet(8, 8), 252);
    EXPECT_TRUE(b.setColor(1, 0, 0, 255));
    EXPECT_FALSE(b.setColor(3, 0, 0, 255));
    EXPECT_EQ(b.getColor(1, 0), 0);
}

TEST(ClipBlt, BoxAndPositionClipEachOther)
{
    struct Case
    {
        sPos dpos;
        sBox box;
        bool ok;
        sPos wantPos;
        sBox wantBox;
    };
    // Destination 4 x 3, source 5 x 5.
    const Case cases[] = {
        {{0, 0}, {0, 0, 5, 5}, true, {0, 0}, {0, 0, 4, 3}},
        {{-2, 0}, {0, 0, 5, 5}, true, {0, 0}, {2, 0, 3, 3}},   // cut at the destination's left
        {{1, 0}, {-1, -2, 3, 4}, true, {2, 2}, {0, 0, 2, 1}},  // source origin outside
        {{0, 0}, {5, 0, 2, 2}, false, {}, {}},                 // past the source
        {{0, 0}, {-2, 0, 2, 2}, false, {}, {}},                // ends before the source
        {{4, 0}, {0, 0, 2, 2}, false, {}, {}},                 // past the destination
        {{-2, 0}, {0, 0, 2, 2}, false, {}, {}},                // left of the destination
        {{0, 0}, {0, 0, 0, 2}, false, {}, {}},                 // nothing to copy
        {{2147483000, 0}, {-2000, 0, 2100, 1}, false, {}, {}}, // no wrap-around
    };
    for (const Case &c : cases) {
        sPos p = c.dpos;
        sBox b = c.box;
        const bool ok = clipBlt({4, 3}, {5, 5}, p, b);
        EXPECT_EQ(ok, c.ok) << c.box.x << "," << c.box.y;
        if (ok && c.ok) {
            EXPECT_EQ(p, c.wantPos);
            EXPECT_EQ(b, c.wantBox);
        }
    }
}

TEST(ChannelCopy, BltPartCopiesTheClippedColumns)
{
    TChannel src, dst(5, 5);
    drawMask(src, {"12345", "12345", "12345", "12345", "12345"});
    dst.PixelFill(0);
    EXPECT_TRUE(src.BltPart(dst, {-2, 0}, {0, 0, 5, 5}));
    EXPECT_EQ(channelRows(dst)[0], "54 70 8C .. ..");
    EXPECT_FALSE(src.BltPart(dst, {5, 0}, {0, 0, 5, 5}));

    static int calls;
    calls = 0;
    EXPECT_TRUE(dst.bltEx(src, {4, 4}, {0, 0, 5, 5}, [](uint8_t *d, uint8_t a) {
        ++calls;
        bytePutMax(d, a);
    }));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dst.getColor(4, 4), 28);
}

TEST(ChannelEffects, FillsXorAndBoundingRect)
{
    TChannel ch(8, 10);
    ch.PixelFill(0);
    sRect r{};
    EXPECT_FALSE(ch.findRect(r));
    *ch.seek8(4, 7) = 1;
    ASSERT_TRUE(ch.findRect(r));
    EXPECT_EQ(r, (sRect{4, 7, 5, 8}));

    sBox box{6, 8, 5, 5};
    EXPECT_TRUE(ch.fillBox(box, 9));
    EXPECT_EQ(box, (sBox{6, 8, 2, 2}));
    ASSERT_TRUE(ch.findRect(r));
    EXPECT_EQ(r, (sRect{4, 7, 8, 10}));
    EXPECT_FALSE(ch.fillBox(8, 0, 1, 1, 9));

    TChannel copy(ch);
    ch.effectXorAll(255);
    EXPECT_EQ(ch.getColor(0, 0), 255);
    ch.effectXorAll(255);
    EXPECT_EQ(channelRows(ch), channelRows(copy));
    sBox part{-1, -1, 2, 2};
    EXPECT_TRUE(ch.effectXor(part, 0x0F));
    EXPECT_EQ(ch.getColor(0, 0), 0x0F);
    EXPECT_EQ(ch.getColor(1, 0), 0);
}

TEST(ChannelEffects, ModifyEdgeMakesTheInsideOpaque)
{
    TChannel ch;
    drawMask(ch, {"......", ".1111.", ".1111.", ".1111.", "......"});
    ch.modifyEdge({0, 0, 6, 5}, fillInteriorPixel);
    EXPECT_EQ(channelRows(ch), (Rows{".. .. .. .. .. ..", ".. 1C 1C 1C 1C ..", ".. 1C ## ## 1C ..",
                                     ".. 1C 1C 1C 1C ..", ".. .. .. .. .. .."}));
    // Pixels on the image border are edges even with no zero neighbour.
    drawMask(ch, {"11", "11"});
    ch.modifyEdge({0, 0, 2, 2}, fillInteriorPixel);
    EXPECT_EQ(channelRows(ch), (Rows{"1C 1C", "1C 1C"}));
}

TEST(ChannelGrowth, InflateGrowsOnePixelInEightDirections)
{
    TChannel ch;
    drawMask(ch, {".....", ".....", "..1..", ".....", "....."});
    ch.makeInflate(255, 128);
    EXPECT_EQ(channelRows(ch), (Rows{".. .. .. .. ..", ".. 80 80 80 ..", ".. 80 ## 80 ..",
                                     ".. 80 80 80 ..", ".. .. .. .. .."}));

    // The anti-aliased rim rises by 42 per direction that touches the shape.
    drawMask(ch, {"......", "......", "..##..", "......", "......"});
    ch.makeInflateAA(255);
    EXPECT_EQ(channelRows(ch), (Rows{".. .. .. .. .. ..", ".. 2A 54 54 2A ..", ".. 54 ## ## 54 ..",
                                     ".. 2A 54 54 2A ..", ".. .. .. .. .. .."}));

    drawMask(ch, {"1.", ".3"});
    ch.makeInflateNA(200);
    EXPECT_EQ(channelRows(ch), (Rows{"C8 ..", ".. C8"}));
}

TEST(ChannelDraw, DiscGoldenMasks)
{
    TChannel ch(10, 10);
    ch.PixelFill(0);
    ch.exDrawCircle8(5, 5, 3.5f, 255, 1.0f, true, false);
    // Coverage is counted on the 5 x 5 points from each pixel's top-left corner.
    EXPECT_EQ(channelRows(ch), (Rows{
                                   ".. .. .. .. .. .. .. .. .. ..",
                                   ".. .. .. .. 33 33 0A .. .. ..",
                                   ".. .. 28 D6 ## ## EA 47 .. ..",
                                   ".. .. D6 ## ## ## ## F4 14 ..",
                                   ".. 33 ## ## ## ## ## ## 66 ..",
                                   ".. 33 ## ## ## ## ## ## 66 ..",
                                   ".. 0A EA ## ## ## ## ## 28 ..",
                                   ".. .. 47 F4 ## ## ## 70 .. ..",
                                   ".. .. .. 14 66 66 28 .. .. ..",
                                   ".. .. .. .. .. .. .. .. .. ..",
                               }));

    // Discs of radius 3 or less count every pixel as partly covered.
    ch.PixelFill(0);
    ch.exDrawCircle8(4.5f, 4.5f, 2.0f, 255, 1.0f, true, false);
    EXPECT_EQ(channelRows(ch)[2], ".. .. .. 33 66 33 .. .. .. ..");
    EXPECT_EQ(channelRows(ch)[4], ".. .. 66 ## ## ## 66 .. .. ..");

    // The oldest engine's smooth disc fades from the centre (255 * 255 div 256 there).
    ch.PixelFill(0);
    ch.qz11_DrawCircle(5, 5, 4, 255, 1.0f, false, true);
    EXPECT_EQ(channelRows(ch)[5], ".. .. 6F BF EF FE EF BF 6E ..");
}

TEST(ChannelDraw, DiscEdgeCasesAndThePutProcedure)
{
    TChannel ch(6, 6);
    ch.PixelFill(0);
    ch.exDrawCircle8(3, 3, 0, 255, 1.0f, true, false);
    ch.qz11_DrawCircle(3, 3, -1, 255, 1.0f, false, false);
    EXPECT_EQ(channelRows(ch), channelRows(TChannel(ch)));
    sRect r;
    EXPECT_FALSE(ch.findRect(r));

    // Only raising: a disc never lowers a pixel (its rim, raised to the coverage, may pass
    // the inside value).
    ch.PixelFill(200);
    ch.exDrawCircle8(3, 3, 2.5f, 100, 1.0f, true, true);
    ch.qz11_DrawCircle(3, 3, 2.5f, 100, 1.0f, true, false);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_GE(ch.getColor(x, y), 200) << x << "," << y;

    // Discs reaching outside the channel write only inside it, through the installed put.
    static int puts;
    puts = 0;
    const fptrChannelPut old =
        setChannelPutProc([](TChannel &c, int32_t x, int32_t y, int32_t v, int32_t a) {
            ++puts;
            c.setColor(x, y, v, a);
        });
    ch.PixelFill(0);
    ch.exDrawCircle8(0, 0, 4.0f, 255, 1.0f, false, false);
    setChannelPutProc(old);
    EXPECT_EQ(puts, 15); // the quarter inside the channel, (3, 3) lying wholly outside
    EXPECT_EQ(ch.getColor(0, 0), 255);
    ch.exDrawCircle8(1e9f, 3, 5, 255, 1.0f, true, false); // far away: nothing, quickly
}

TEST(ChannelDraw, AntiAliasedPolygonsAndSpans)
{
    TChannel ch(10, 9);
    ch.PixelFill(0);
    const sPos tri[] = {{1, 1}, {8, 2}, {3, 8}};
    ch.DrawPolygon(tri);
    EXPECT_EQ(channelRows(ch), (Rows{
                                   ".. .. .. .. .. .. .. .. .. ..",
                                   ".. .. C7 A3 7F 5B 37 13 .. ..",
                                   ".. 97 ## ## ## ## ## AB .. ..",
                                   ".. 4B ## ## ## ## D7 .. .. ..",
                                   ".. 03 ## ## ## ## .. .. .. ..",
                                   ".. .. BB ## ## 2F .. .. .. ..",
                                   ".. .. 73 ## 57 .. .. .. .. ..",
                                   ".. .. 2B 7F .. .. .. .. .. ..",
                                   ".. .. .. .. .. .. .. .. .. ..",
                               }));

    // Two distinct corners (and repeated points) make no polygon.
    TChannel empty(10, 9);
    empty.PixelFill(0);
    const sPos line[] = {{1, 1}, {1, 1}, {8, 8}, {8, 8}};
    empty.DrawPolygon(line);
    sRect r;
    EXPECT_FALSE(empty.findRect(r));

    // A wide line is the polygon of its four corners, always filled with 255.
    ch.PixelFill(0);
    ch.DrawNLine(1, 4, 8, 4, 2, 7);
    EXPECT_EQ(channelRows(ch)[3], ".. FB ## ## ## ## ## ## .. ..");
    EXPECT_EQ(channelRows(ch)[4], ".. ## ## ## ## ## ## ## .. ..");
    EXPECT_EQ(channelRows(ch)[5], ".. .. .. .. .. .. .. .. .. ..");

    // A span in 1/64 pixel: 1.3 .. 6.6 on row 2.
    ch.PixelFill(0);
    ch.qz61DrawAntiXLine(1.3f, 6.6f, 2, 255, 1.0f, false);
    EXPECT_EQ(channelRows(ch)[2], ".. AF ## ## ## ## 93 .. .. ..");
    ch.qz61DrawAntiYLine(-5, 50, 9, 255, 0.5f, false);
    EXPECT_EQ(ch.getColor(9, 0), 127);
    EXPECT_EQ(ch.getColor(9, 8), 127);
}

TEST(ChannelDraw, PatternOfDiscs)
{
    TChannel ch(9, 9);
    ch.PixelFill(0);
    ch.drawPattern(2, 2, 100, 100, 4, 4, 1.0f);
    EXPECT_GT(ch.getColor(2, 2), 0);
    EXPECT_GT(ch.getColor(6, 6), 0);
    EXPECT_EQ(ch.getColor(4, 4), 0);
    ch.drawPattern(0, 0, 9, 9, 0, 4, 1.0f); // a zero step draws nothing and ends
}

TEST(ChannelPuts, DifferencePutsOfTheOldestEngine)
{
    // Row i, column k: i * 2 * k div 255 as a signed byte; negative differences truncate
    // towards zero. The puts add modulo 256, so entries beyond a signed byte wrap harmlessly.
    EXPECT_EQ(gSignedProductTable[128][100], 128 * 2 * 100 / 255);
    EXPECT_EQ(gSignedProductTable[200][255], 200 * 2 * -1 / 255);
    EXPECT_EQ(gSignedProductTable[128][128], 128 * 2 * -128 / 255);
    EXPECT_EQ(gSignedProductTable[1][255], 0);
    EXPECT_EQ(uint8_t(gSignedProductTable[255][127]), uint8_t(254));
    EXPECT_EQ(uint8_t(gSignedProductTable[255][128]), uint8_t(-256));

    const struct
    {
        uint8_t pixel;
        int32_t color, opacity;
        uint8_t want;
    } cases[] = {
        {0, 200, 128, 100}, {37, 200, 255, 200},     {37, 200, 0, 37},
        {200, 0, 128, 100}, {250, 10, 64, 250 - 60},
    };
    for (const auto &c : cases) {
        uint8_t p = c.pixel;
        channelPutDiff(p, c.color, c.opacity);
        EXPECT_EQ(p, c.want) << int(c.pixel) << " to " << c.color << " at " << c.opacity;
    }

    sBGRA px{.all = 0x7F000000};
    pixelPutDiff(&px, 0x00C8C8C8, 128);
    EXPECT_EQ(px.all, 0x7F646464u);
    pixelPutDiff(&px, 0x00010203, 255);
    EXPECT_EQ(px.all, 0x7F010203u);

    TChannel ch(2, 1);
    ch.PixelFill(0);
    ch.qz11_PixelPut(0, 0, 200, 128);
    ch.qz11_PixelPut(2, 0, 200, 128);
    EXPECT_EQ(ch.getColor(0, 0), 100);
}

TEST(ByteImage, SavesAndRestoresChannelAreas)
{
    TChannel ch;
    drawMask(ch, {"123", "456", "789"});
    sByteImage img;
    ASSERT_TRUE(byteImageFromChannel(img, ch, {1, -1, 5, 3}));
    EXPECT_EQ(img.w, 2);
    EXPECT_EQ(img.h, 2);
    EXPECT_EQ(byteImageBytes(img), 4u);
    EXPECT_EQ(*byteImagePixel(img, 0, 1), 28 * 5); // rows top-down
    EXPECT_FALSE(byteImageFromChannel(img, ch, {3, 0, 1, 1}));

    TChannel blank(3, 3);
    blank.PixelFill(0);
    ASSERT_TRUE(byteImageToChannel(img, blank, {2, 2, 0, 0}));
    EXPECT_EQ(channelRows(blank), (Rows{".. .. ..", ".. .. ..", ".. .. 38"}));

    const uint8_t *data = img.data.get();
    EXPECT_TRUE(byteImageAlloc(img, 2, 2)); // same size: kept
    EXPECT_EQ(img.data.get(), data);
    std::unique_ptr<uint8_t[]> taken = byteImageDetach(img);
    EXPECT_FALSE(byteImageHasData(img));
    EXPECT_FALSE(byteImageToChannel(img, blank, {0, 0, 0, 0}));
    byteImageAttach(img, std::move(taken), {2, 2});
    EXPECT_EQ(img.data.get(), data);
    byteImageFree(img);
    EXPECT_EQ(byteImageBytes(img), 0u);
    EXPECT_FALSE(byteImageAlloc(img, -1, 2));
}

TEST(ChannelFile, GreyBitmapLayout)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ch.bmp");
    TChannel ch;
    drawMask(ch, {"#.9"});
    ASSERT_TRUE(ch.save(path, 96));
    const QByteArray b = readFileBytes(path);
    ASSERT_EQ(b.size(), 1082); // headers and palette, one row of 3 bytes and 1 padding byte
    EXPECT_EQ(le16(b, 0), 0x4D42);
    EXPECT_EQ(le32(b, 2), 1082u);
    EXPECT_EQ(le32(b, 10), 1078u);
    EXPECT_EQ(le32(b, 14), 40u);
    EXPECT_EQ(int32_t(le32(b, 22)), 1);
    EXPECT_EQ(le16(b, 28), 8);
    EXPECT_EQ(le32(b, 34), 4u);    // image size
    EXPECT_EQ(le32(b, 38), 3779u); // 96 dpi
    EXPECT_EQ(le32(b, 46), 256u);  // colours used
    EXPECT_EQ(le32(b, 54 + 4 * 200), 0x00C8C8C8u);
    EXPECT_EQ(b.mid(1078), QByteArray("\xFF\x00\xFC\x00", 4));

    TChannel two;
    drawMask(two, {"1", "2"});
    ASSERT_TRUE(two.save(path, 72));
    const QByteArray c = readFileBytes(path);
    ASSERT_EQ(c.size(), 1078 + 8);
    EXPECT_EQ(uint8_t(c[1078]), 56); // the bottom row first
    EXPECT_EQ(uint8_t(c[1082]), 28);
    EXPECT_FALSE(two.save(dir.filePath("no/such/dir.bmp"), 72));

    // A short write is a failure, and the file keeps its old contents.
    TChannel big(200, 200);
    big.PixelFill(7);
    bool saved = true;
    {
        FileSizeLimit limit(2048);
        saved = big.save(path, 72);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(readFileBytes(path), c);
}
