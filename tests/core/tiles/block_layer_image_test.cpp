#include "core/block_test_support.h"

#include "core/tiles/block_layer_image.h"
#include "core/image/channel.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace blocktest;

namespace {

constexpr uint32_t kWhiteClear = CBlockVMTC::kInitColor;
constexpr uint32_t kRed = 0xFFFF0000;

// An image of w x h whose pixel (x, y) is a distinct opaque colour.
void paintIndexed(CBlockVMTC &img)
{
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            ASSERT_TRUE(img.setPixel(x, y, 0xFF000000u | uint32_t(y) << 12 | uint32_t(x)));
}

} // namespace

TEST(LayerImage, NewImageIsUniformTransparentWhite)
{
    CBlockVMTC img(100, 100);
    EXPECT_EQ(img.getColor(0, 0), kWhiteClear);
    EXPECT_EQ(img.getColor(99, 99), kWhiteClear);
    EXPECT_EQ(img.PixelGet(-5, 500), kWhiteClear);
    EXPECT_EQ(img.getColor2(100, 0), kWhiteClear);
    EXPECT_EQ(img.getColor(-1, 0), 0u); // no block
    EXPECT_EQ(img.PixelGetY(5, 5), 255);
    EXPECT_EQ(img.getImageDataBytes(), 0u);
    EXPECT_EQ(img.setupTraceRect(), 0);
}

TEST(LayerImage, CommitAndShrinkCountBytes)
{
    CBlockVMTC img(100, 100);
    ASSERT_TRUE(img.setPixel(0, 0, kRed));
    EXPECT_EQ(img.getImageDataBytes(), 4096u);
    EXPECT_EQ(img.getColor(0, 0), kRed);
    EXPECT_EQ(img.getColor(31, 31), kWhiteClear);
    EXPECT_EQ(img.shrinkMemory(), 0);

    ASSERT_TRUE(img.setPixel(0, 0, kWhiteClear));
    EXPECT_EQ(img.shrinkMemory(), 1);
    EXPECT_EQ(img.getImageDataBytes(), 0u);
    EXPECT_EQ(img.getColor(0, 0), kWhiteClear);

    // A block holding one colour throughout shrinks to that colour; the edge block counts the
    // pixels past the image edge, which commit filled with the old colour.
    ASSERT_TRUE(img.fillImage({0, 0, 31, 32}, 0x123456));
    ASSERT_TRUE(img.setPixel(31, 0, 0x00123456));
    for (int32_t y = 1; y < 32; ++y)
        ASSERT_TRUE(img.setPixel(31, y, 0x00123456));
    ASSERT_TRUE(img.fillImage({96, 96, 3, 4}, 0x654321));
    EXPECT_EQ(img.getImageDataBytes(), 2u * 4096);
    EXPECT_EQ(img.shrinkMemory(), 1);
    EXPECT_FALSE(img.seekBlock(0, 0, false)->commit);
    EXPECT_EQ(img.seekBlock(0, 0, false)->bgCol.all, 0x00123456u);
    EXPECT_TRUE(img.seekBlock(99, 99, false)->commit);

    // Outside the image nothing is written or committed.
    EXPECT_FALSE(img.setPixel(100, 0, kRed));
    EXPECT_FALSE(img.setPixel(0, -1, kRed));
    EXPECT_EQ(img.getImageDataBytes(), 4096u);
    ASSERT_NE(img.seekPixel(-3, 200), nullptr); // clamped to (0, 99)
    EXPECT_TRUE(img.seekBlock(0, 99, false)->commit);
}

TEST(LayerImage, FillsChangeOnlyTheColourOfWholeUncommittedBlocks)
{
    CBlockVMTC img(100, 100);
    // Blocks (0, 0) and (1, 0) are covered whole; the band y 32..39 covers (0, 1) and (1, 1)
    // partly.
    ASSERT_TRUE(img.fillImage({0, 0, 64, 40}, 0xFF0000FF));
    EXPECT_EQ(committedBlocks(img), 2);
    EXPECT_FALSE(img.seekBlock(0, 0, false)->commit);
    EXPECT_EQ(img.getColor(10, 10), 0x000000FFu); // alpha kept
    EXPECT_EQ(img.getColor(10, 39), 0x000000FFu);
    EXPECT_EQ(img.getColor(10, 40), kWhiteClear);
    EXPECT_EQ(img.setupTraceRect(), 1); // the two committed blocks

    // The whole-image forms touch no memory at all on a new image.
    CBlockVMTC clean(100, 100);
    ASSERT_TRUE(clean.fillImageAll(0x00FF00));
    ASSERT_TRUE(clean.FilterXor(0xFF000000));
    EXPECT_EQ(clean.getColor(50, 50), 0xFF00FF00u);
    ASSERT_TRUE(clean.setAlphaAll(0x80));
    EXPECT_EQ(clean.getColor(99, 0), 0x8000FF00u);
    ASSERT_TRUE(clean.clearImage(TLayerMode::LM_MUL));
    EXPECT_EQ(clean.getColor(1, 1), 0x80FFFFFFu);
    EXPECT_EQ(clean.getImageDataBytes(), 0u);
    EXPECT_EQ(clean.setupTraceRect(), 1); // visible uniform blocks are traced
    EXPECT_EQ(clean.getTrace().rects[0], (sRect{0, 0, 100, 100}));

    // fillImageAll keeps alpha, so a new image stays invisible.
    CBlockVMTC fresh(100, 100);
    ASSERT_TRUE(fresh.fillImageAll(0x000000));
    EXPECT_EQ(fresh.setupTraceRect(), 0);

    // A committed block stays committed through PixelFill until shrinkMemory.
    ASSERT_TRUE(img.PixelFill(0x11223344));
    EXPECT_EQ(committedBlocks(img), 2);
    EXPECT_EQ(pixels(img), std::vector<uint32_t>(100 * 100, 0x11223344u));
    EXPECT_EQ(img.shrinkMemory(), 2);
}

TEST(LayerImage, TraceRectanglesFollowCommitsAndVisibleBlocks)
{
    CBlockVMTC img(128, 128);
    ASSERT_TRUE(img.setPixel(1, 1, kRed));
    ASSERT_TRUE(img.setPixel(127, 127, 0x00000000));
    const SRectTracer &t = img.getTrace();
    ASSERT_EQ(t.cnt, 2); // committing adds at once
    EXPECT_EQ(t.rects[0], (sRect{0, 0, 32, 32}));
    EXPECT_EQ(t.rects[1], (sRect{96, 96, 128, 128}));

    // shrinkMemory releases the transparent one and rebuilds.
    ASSERT_TRUE(img.fillImage({96, 96, 32, 32}, 0)); // still alpha 0, still committed
    EXPECT_EQ(img.shrinkMemory(), 1);
    EXPECT_EQ(img.setupTraceRect(), 1);

    sPos dpos{10, 20};
    sBox box{-8, 16, 40, 40};
    ASSERT_TRUE(img.intersectTraceRect(0, dpos, box));
    EXPECT_EQ(box, (sBox{0, 16, 32, 16}));
    EXPECT_EQ(dpos, (sPos{18, 20}));
    sBox away{40, 40, 5, 5};
    EXPECT_FALSE(img.intersectTraceRect(0, dpos, away));
    EXPECT_FALSE(img.intersectTraceRect(1, dpos, box));
}

TEST(LayerImage, ChannelLines)
{
    CBlockVMTC img(70, 3);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    // Crosses the block border at 32; cut at the right edge.
    EXPECT_EQ(img.copyLine(30, 1, 3, bytes, 4), 4);
    EXPECT_EQ(img.copyLine(67, 1, 0, bytes, 6), 3);
    EXPECT_EQ(img.copyLine(0, 3, 0, bytes, 6), 0);
    EXPECT_EQ(img.copyLine(0, 0, 4, bytes, 6), 0);
    EXPECT_EQ(img.copyLine(-2, 2, 1, bytes, 4), 2); // the part left of the image is skipped
    EXPECT_EQ(img.getColor(31, 1), 0x02FFFFFFu);
    EXPECT_EQ(img.getColor(33, 1), 0x04FFFFFFu);
    EXPECT_EQ(img.getColor(69, 1), 0x00FFFF03u);
    EXPECT_EQ(img.getColor(0, 2), 0x00FF03FFu);

    uint8_t back[6] = {};
    EXPECT_EQ(img.getLine(29, 1, 3, back, 6), 6);
    EXPECT_EQ(std::vector<uint8_t>(back, back + 6), (std::vector<uint8_t>{0, 1, 2, 3, 4, 0}));

    // Reading a uniform block answers its colour and commits nothing.
    const uint32_t before = img.getImageDataBytes();
    uint8_t alpha[3] = {9, 9, 9};
    EXPECT_EQ(img.getLine(0, 0, 3, alpha, 3), 3);
    EXPECT_EQ(alpha[0], 0);
    EXPECT_EQ(img.getImageDataBytes(), before);
}

TEST(LayerImage, OneBitLinesStartAtTheByteOfX)
{
    CBlockVMTC img(36, 2);
    const uint8_t bits[] = {0x80, 0xFF, 0x00, 0x01, 0xF0, 0xAA};
    // x = 3 starts at pixel 0; 36 pixels need 5 bytes, so the sixth is not consumed.
    EXPECT_EQ(img.copyLine1(3, 0, bits, 6), 5);
    EXPECT_EQ(img.getColor(0, 0), 0x00000000u);
    EXPECT_EQ(img.getColor(1, 0), 0x00FFFFFFu);
    EXPECT_EQ(img.getColor(8, 0), 0x00000000u);
    EXPECT_EQ(img.getColor(16, 0), 0x00FFFFFFu);
    EXPECT_EQ(img.getColor(31, 0), 0x00000000u);
    EXPECT_EQ(img.getColor(32, 0), 0x00000000u);
    EXPECT_EQ(img.getColor(35, 0), 0x00000000u);
    // From x = 16 the byte count is cut at 5 - 2.
    EXPECT_EQ(img.copyLine1(17, 1, bits, 6), 3);
    EXPECT_EQ(img.getColor(16, 1), 0x00000000u);
    EXPECT_EQ(img.copyLine1(0, 2, bits, 6), 0);
}

TEST(LayerImage, BltToWritesUniformBlocksUnblended)
{
    CBlockVMTC img(64, 32);
    ASSERT_TRUE(img.setPixel(0, 0, 0xFF0000FF)); // block (0, 0) committed
    ASSERT_TRUE(img.fillImage({32, 0, 32, 32}, 0x00FF00));

    TMTC tc(64, 32);
    tc.PixelFill(0x80FFFFFF);
    ASSERT_TRUE(img.bltTo(tc, 0, 0, 128, false));
    // Committed: blended with pixelPutAlpha, destination alpha kept.
    EXPECT_EQ(tc.getColor(0, 0), 0x807F7FFFu);
    EXPECT_EQ(tc.getColor(1, 0), 0x80FFFFFFu);
    // Uniform: all four bytes of bgCol, whatever the opacity.
    EXPECT_EQ(tc.getColor(40, 5), 0x0000FF00u);

    tc.PixelFill(0xFF000000);
    ASSERT_TRUE(img.bltTo(tc, 0, 0, 128, true)); // fast: transparent uniform blocks skipped
    EXPECT_EQ(tc.getColor(40, 5), 0xFF000000u);

    // Clipped at both images; nothing left answers false.
    tc.PixelFill(0);
    ASSERT_TRUE(img.bltTo(tc, {-30, 10}, {0, 0, 64, 32}, 255, false));
    EXPECT_EQ(tc.getColor(2, 10), 0x0000FF00u);
    EXPECT_EQ(tc.getColor(1, 10), 0x00FFFFFFu);
    EXPECT_EQ(tc.getColor(0, 9), 0u);
    EXPECT_FALSE(img.bltTo(tc, {64, 0}, {0, 0, 64, 32}, 255, false));
}

TEST(LayerImage, BltFromAndChannelCommitTheTouchedBlocks)
{
    CBlockVMTC img(100, 40);
    TMTC tc(10, 10);
    tc.PixelFill(0xFF336699);
    ASSERT_TRUE(img.bltFrom(tc, 28, 30, 255));
    EXPECT_EQ(committedBlocks(img), 4);
    EXPECT_EQ(img.getColor(28, 30), 0xFF336699u);
    EXPECT_EQ(img.getColor(37, 39), 0xFF336699u);
    EXPECT_EQ(img.getColor(27, 30), kWhiteClear);
    EXPECT_EQ(img.setupTraceRect(), 1);

    TChannel ch(4, 1);
    for (int32_t i = 0; i < 4; ++i)
        *ch.seek8(i, 0) = uint8_t(i * 85);
    ASSERT_TRUE(img.bltFromCH(ch, {60, 0}, {0, 0, 4, 1}, 0xFF000000, pixelPutAlpha));
    EXPECT_EQ(img.getColor(60, 0), kWhiteClear);
    EXPECT_EQ(img.getColor(63, 0), 0x00000000u);
    EXPECT_EQ(img.getColor(61, 0), 0x00AAAAAAu);

    {
        OutOfMemory oom(0);
        EXPECT_FALSE(img.bltFrom(tc, 80, 0, 255));
        EXPECT_EQ(oom.warnings, 1);
    }
    EXPECT_EQ(img.getColor(80, 0), kWhiteClear);
}

TEST(LayerImage, CopyAreaIsPixelExactAndKeepsUniformBlocksUncommitted)
{
    std::mt19937 rng(7);
    CBlockVMTC src(96, 64);
    scribble(src, {40, 10, 20, 20}, rng);
    ASSERT_TRUE(src.fillImage({0, 32, 96, 32}, 0x808080));
    ASSERT_TRUE(src.setAlpha({0, 32, 96, 32}, 255));

    CBlockVMTC dst(96, 64);
    ASSERT_TRUE(dst.copyArea(src));
    EXPECT_EQ(pixels(dst), pixels(src));
    EXPECT_EQ(committedBlocks(dst), committedBlocks(src));

    // A shifted copy: uniform source parts fill committed pieces with all four bytes.
    CBlockVMTC moved(96, 64);
    ASSERT_TRUE(moved.copyArea(src, {5, 3}, {0, 0, 96, 64}));
    for (int32_t y = 3; y < 64; ++y)
        for (int32_t x = 5; x < 96; ++x)
            ASSERT_EQ(moved.getColor(x, y), src.getColor(x - 5, y - 3)) << x << "," << y;
    EXPECT_EQ(moved.getColor(4, 10), kWhiteClear);

    // Within one image, overlapping: the result is the shifted original.
    ASSERT_TRUE(moved.copyArea(src));
    ASSERT_TRUE(moved.copyArea(moved, {5, 3}, {0, 0, 96, 64}));
    for (int32_t y = 3; y < 64; ++y)
        for (int32_t x = 5; x < 96; ++x)
            ASSERT_EQ(moved.getColor(x, y), src.getColor(x - 5, y - 3)) << x << "," << y;
}

TEST(LayerImage, FlipsAndHalfTurnThroughACanvas)
{
    CBlockVMTC img(40, 35);
    paintIndexed(img);
    const CBlockVMTC orig(img);
    ASSERT_TRUE(img.flipLR({0, 0, 40, 35}));
    for (int32_t y = 0; y < 35; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(img.getColor(x, y), orig.getColor(39 - x, y));

    ASSERT_TRUE(img.copyArea(orig));
    ASSERT_TRUE(img.flipTB({0, 0, 40, 10})); // only the box
    EXPECT_EQ(img.getColor(3, 0), orig.getColor(3, 9));
    EXPECT_EQ(img.getColor(3, 10), orig.getColor(3, 10));

    ASSERT_TRUE(img.copyArea(orig));
    ASSERT_TRUE(img.rot180({0, 0, 40, 35}));
    EXPECT_EQ(img.getColor(0, 0), orig.getColor(39, 34));
    EXPECT_EQ(img.getColor(39, 1), orig.getColor(0, 33));

    // A uniform image stays uncommitted after the round trip through the canvas.
    CBlockVMTC plain(70, 70);
    ASSERT_TRUE(plain.flipLR({0, 0, 70, 70}));
    EXPECT_EQ(plain.getImageDataBytes(), 0u);
}

TEST(LayerImage, QuarterTurnsCheckTheirDestination)
{
    CBlockVMTC img(40, 35);
    paintIndexed(img);
    const int32_t w = 40, h = 35;
    TMTC right(h, w), left(h, w);
    ASSERT_TRUE(img.rot90(right, true));
    ASSERT_TRUE(img.rot90(left, false));
    for (int32_t y = 0; y < w; ++y)
        for (int32_t x = 0; x < h; ++x) {
            ASSERT_EQ(right.getColor(x, y), img.getColor(y, h - 1 - x));
            ASSERT_EQ(left.getColor(x, y), img.getColor(w - 1 - y, x));
        }
    // The top-left pixel goes to the top-right corner when turned clockwise.
    EXPECT_EQ(right.getColor(h - 1, 0), img.getColor(0, 0));

    TMTC small(h, w - 1);
    EXPECT_FALSE(img.rot90(small, true));

    CBlockVMTC layer(100, 100);
    EXPECT_FALSE(img.rot90({66, 0}, layer, true)); // 66 + 35 > 100
    EXPECT_FALSE(img.rot90({-1, 0}, layer, true));
    EXPECT_EQ(layer.getImageDataBytes(), 0u);
    ASSERT_TRUE(img.rot90({65, 60}, layer, true));
    for (int32_t y = 0; y < w; ++y)
        for (int32_t x = 0; x < h; ++x)
            ASSERT_EQ(layer.getColor(65 + x, 60 + y), right.getColor(x, y));
    EXPECT_EQ(layer.getColor(64, 60), kWhiteClear);

    // A uniform source leaves matching uniform destination blocks alone.
    CBlockVMTC blank(64, 64), target(64, 64);
    ASSERT_TRUE(blank.rot90({0, 0}, target, false));
    EXPECT_EQ(target.getImageDataBytes(), 0u);
}

TEST(LayerImage, BoundsAreFoundWithoutCommitting)
{
    CBlockVMTC img(200, 100);
    sRect r{};
    EXPECT_FALSE(img.findRect(r));
    EXPECT_FALSE(img.findBlockRect(r));

    // A committed block whose pixels all have alpha 0 holds nothing visible.
    ASSERT_TRUE(img.setPixel(5, 5, 0x00000000));
    EXPECT_FALSE(img.findRect(r));
    EXPECT_FALSE(img.findVisibleRect(r));
    ASSERT_TRUE(img.findBlockRect(r));
    EXPECT_EQ(r, (sRect{0, 0, 32, 32}));

    ASSERT_TRUE(img.setPixel(40, 50, 0x01000000));
    ASSERT_TRUE(img.setPixel(47, 70, 0x01000000));
    ASSERT_TRUE(img.findRect(r));
    EXPECT_EQ(r, (sRect{40, 50, 48, 71}));

    // A visible uniform block counts as a whole (cut at the image edge).
    ASSERT_TRUE(img.fillImage({192, 96, 8, 4}, 0));
    ASSERT_TRUE(img.setAlpha({192, 96, 8, 4}, 1));
    EXPECT_EQ(img.shrinkMemory(), 0); // the corner block was covered whole: never committed
    const uint32_t bytes = img.getImageDataBytes();
    ASSERT_TRUE(img.findRect(r));
    EXPECT_EQ(r, (sRect{40, 50, 200, 100}));
    EXPECT_EQ(img.getImageDataBytes(), bytes);
    ASSERT_TRUE(img.findVisibleRect(r));
    EXPECT_EQ(r, (sRect{32, 32, 224, 128}));
}

TEST(LayerImage, PreviewsSampleThroughClampedReads)
{
    CBlockVMTC img(40, 20);
    paintIndexed(img);
    TMTC tc(20, 10);
    tc.PixelFill(0);
    // Half size, starting 10 document pixels to the right: the image shifted left by 10.
    img.makePreview(tc, 0, 0, 20, 10, 10, 0, 40, 20);
    EXPECT_EQ(tc.getColor(0, 0), img.getColor(10, 0));
    EXPECT_EQ(tc.getColor(5, 3), img.getColor(20, 6));
    EXPECT_EQ(tc.getColor(19, 9), img.getColor(39, 18)); // 10 + 38 clamped to 39

    // Per-channel means, alpha included, of (nx + 1) x (ny + 1) clamped reads: halving 4 x 2 into
    // 2 x 1 takes 3 x 3 pixels, the third column from the next pair and the third row clamped.
    CBlockVMTC grid(4, 2);
    ASSERT_TRUE(grid.setPixel(0, 0, argb(255, 100, 0, 0)));
    ASSERT_TRUE(grid.setPixel(1, 0, argb(0, 0, 0, 0)));
    ASSERT_TRUE(grid.setPixel(0, 1, argb(255, 100, 0, 0)));
    ASSERT_TRUE(grid.setPixel(1, 1, argb(0, 0, 0, 4)));
    TMTC half(2, 1);
    grid.FilterSmallenPart(half, 0, 0, 2, 1, 0, 0, 4, 2);
    // A: 3 x 255 / 9; R: 3 x (100 + 255) / 9; G: 3 x 255 / 9; B: (255 + 2 x 259) / 9.
    EXPECT_EQ(half.getColor(0, 0), argb(85, 118, 85, 85));

    CBlockVMTC big(64, 64);
    ASSERT_TRUE(big.fillImage({0, 0, 64, 64}, 0x00204060));
    ASSERT_TRUE(big.setAlpha({0, 0, 64, 64}, 255));
    ASSERT_TRUE(big.setPixel(0, 0, 0xFFFFFFFF));
    CBlockVMTC small(16, 16);
    ASSERT_TRUE(big.FilterSmallenHQ(small));
    // One white sample of sixteen at the corner; the rest uniform and released again.
    const uint32_t expect =
        argb(255, (0x20 * 15 + 255) / 16, (0x40 * 15 + 255) / 16, (0x60 * 15 + 255) / 16);
    EXPECT_EQ(small.getColor(0, 0), expect);
    EXPECT_EQ(small.getColor(1, 0), 0xFF204060u);
    EXPECT_EQ(small.getImageDataBytes(), 4096u);
}

TEST(LayerImage, SavedBitmapsRoundTrip)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    CBlockVMTC img(40, 3);
    ASSERT_TRUE(img.fillImageAll(0x102030));
    ASSERT_TRUE(img.setPixel(35, 1, 0x80AABBCC));
    const uint32_t bytes = img.getImageDataBytes();

    ASSERT_TRUE(img.saveBmp(dir.filePath("c.bmp")));
    TMTC back;
    ASSERT_TRUE(back.loadBitmap(dir.filePath("c.bmp"), nullptr));
    ASSERT_TRUE(back.flipTB());
    EXPECT_EQ(back.getColor(35, 1) & 0xFFFFFF, 0xAABBCCu);
    EXPECT_EQ(back.getColor(2, 2) & 0xFFFFFF, 0x102030u);

    ASSERT_TRUE(img.saveBmpAlpha(dir.filePath("a.bmp")));
    EXPECT_EQ(img.getImageDataBytes(), bytes);
    QFile f(dir.filePath("a.bmp"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    // 8-bit grey rows of 40 bytes, bottom-up, after the 1078-byte header and palette.
    ASSERT_EQ(data.size(), 1078 + 3 * 40);
    EXPECT_EQ(uint8_t(data[1078 + 1 * 40 + 35]), 0x80);
    EXPECT_EQ(uint8_t(data[1078 + 1 * 40 + 34]), 0x00);
}

TEST(LayerImage, AlphaExchangesWithByteImages)
{
    CBlockVMTC img(40, 40);
    ASSERT_TRUE(img.fillImageAll(0x0000FF));
    ASSERT_TRUE(img.setPixel(35, 35, 0x7F00FF00));

    sByteImage alpha;
    sBox box{30, 30, 20, 20};
    ASSERT_TRUE(byteImageFromAlpha(alpha, img, box));
    EXPECT_EQ(box, (sBox{30, 30, 10, 10}));
    ASSERT_EQ(alpha.w, 10);
    EXPECT_EQ(*byteImagePixel(alpha, 5, 5), 0x7F);
    EXPECT_EQ(*byteImagePixel(alpha, 0, 0), 0);

    // Writing back at another place sets alpha only, colour kept.
    ASSERT_TRUE(byteImageToAlpha(alpha, img, {0, 0, 0, 0}));
    EXPECT_EQ(img.getColor(5, 5), 0x7F0000FFu);
    EXPECT_EQ(img.getColor(35, 35), 0x7F00FF00u);
    EXPECT_EQ(img.getImageDataBytes(), 2u * 4096);

    sByteImage whole;
    ASSERT_TRUE(byteImageAlloc(whole, 40, 40));
    std::fill_n(whole.data.get(), 40 * 40, uint8_t(0xFF));
    ASSERT_TRUE(byteImageSwapAlpha(whole, img));
    EXPECT_EQ(img.getColor(20, 20), 0xFF0000FFu);
    EXPECT_EQ(*byteImagePixel(whole, 35, 35), 0x7F);
    EXPECT_EQ(*byteImagePixel(whole, 5, 5), 0x7F);
    EXPECT_EQ(*byteImagePixel(whole, 20, 20), 0x00);

    sByteImage wrong;
    ASSERT_TRUE(byteImageAlloc(wrong, 39, 40));
    EXPECT_FALSE(byteImageSwapAlpha(wrong, img));
    {
        // Running out of memory leaves both images as they were.
        CBlockVMTC fresh(64, 64);
        sByteImage ones;
        ASSERT_TRUE(byteImageAlloc(ones, 64, 64));
        std::fill_n(ones.data.get(), 64 * 64, uint8_t(1));
        OutOfMemory oom(2);
        EXPECT_FALSE(byteImageSwapAlpha(ones, fresh));
        EXPECT_EQ(oom.warnings, 1);
        EXPECT_EQ(pixels(fresh), std::vector<uint32_t>(64 * 64, kWhiteClear));
        EXPECT_EQ(*byteImagePixel(ones, 63, 63), 1);
    }
}
