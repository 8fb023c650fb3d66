#include "core/block_test_support.h"

#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace blocktest;

namespace {

std::vector<uint8_t> bytesOf(const CBlockVCH &img)
{
    std::vector<uint8_t> v;
    for (int32_t y = 0; y < img.height(); ++y)
        for (int32_t x = 0; x < img.width(); ++x)
            v.push_back(img.getColor(x, y));
    return v;
}

std::vector<uint8_t> bytesOf(const TChannel &ch)
{
    std::vector<uint8_t> v;
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            v.push_back(ch.getColor(x, y));
    return v;
}

// A channel whose byte (x, y) is (x + 3 * y) mod 256.
void fillIndexed(TChannel &ch)
{
    for (int32_t y = 0; y < ch.height(); ++y)
        for (int32_t x = 0; x < ch.width(); ++x)
            *ch.seek8(x, y) = uint8_t(x + 3 * y);
}

// A soft selection: a few rectangles of random values, some noisy, some uniform.
void randomShapes(CBlockVCH &img, std::mt19937 &rng)
{
    std::uniform_int_distribution<int32_t> px(-10, img.width()), py(-10, img.height());
    std::uniform_int_distribution<int32_t> len(1, 70), val(0, 255), coin(0, 1);
    for (int k = 0; k < 6; ++k) {
        const sBox b{px(rng), py(rng), len(rng), len(rng)};
        if (coin(rng)) {
            sBox c = b;
            img.fillArea(c, uint8_t(val(rng)));
            continue;
        }
        for (int32_t y = b.y; y < b.y + b.h; ++y) {
            for (int32_t x = b.x; x < b.x + b.w; ++x) {
                if (ptInSize(x, y, img.width(), img.height())) {
                    ASSERT_TRUE(img.setPixel(x, y, uint32_t(val(rng))));
                }
            }
        }
    }
}

} // namespace

TEST(MaskImage, NewImageReadsZeroAndHoldsNoMemory)
{
    for (const sSize sz : {sSize{1, 1}, sSize{64, 64}, sSize{200, 130}}) {
        CBlockVCH img(sz.x, sz.y);
        ASSERT_TRUE(img.isEnable());
        EXPECT_EQ(committedBlocks(img), 0);
        EXPECT_EQ(img.getImageDataBytes(), 0u);
        EXPECT_EQ(img.getColor(sz.x - 1, sz.y - 1), 0);
        sRect r;
        EXPECT_FALSE(img.findBlockRect(r));
        EXPECT_FALSE(img.findRect(r));
    }
    EXPECT_FALSE(CBlockVCH(0, 5).isEnable());
    EXPECT_FALSE(CBlockVCH(5, 0).isEnable());
}

TEST(MaskImage, TileGeometryAndAddressing)
{
    CBlockVCH img(130, 70);
    EXPECT_EQ(img.getUnitSize(), (sSize{64, 64}));
    EXPECT_EQ(img.getRepSize(), (sSize{3, 2}));
    ASSERT_TRUE(img.setPixel(65, 3, 0x1234)); // the low byte is stored
    EXPECT_EQ(img.getImageDataBytes(), 4096u);
    const SBlockPack *pack = img.seekBlock(65, 3);
    ASSERT_TRUE(pack && pack->commit);
    EXPECT_EQ(pack->bpos, (sPos{1, 0}));
    EXPECT_EQ(static_cast<const uint8_t *>(pack->vAddr.get())[3 * 64 + 1], 0x34);
    EXPECT_EQ(CBlockVCH::view(*pack).getSkipLineSize(), 64);
    EXPECT_EQ(*CBlockVCH::view(*pack).seek8(1, 3), 0x34);
    EXPECT_EQ(img.seekBlock(-1, 0), nullptr); // negative coordinates find no tile
    sPos bp;
    CBlockVCH::getBlockPos({129, 64}, bp);
    EXPECT_EQ(bp, (sPos{2, 1}));

    // Reading outside: pixelGet2 answers 0, PixelGet repeats the edge.
    ASSERT_TRUE(img.setPixel(0, 0, 77));
    EXPECT_EQ(img.pixelGet2(-1, 0), 0);
    EXPECT_EQ(img.PixelGet(-1, 0), 77);
    EXPECT_EQ(img.PixelGet(-9, -9), 77);
    EXPECT_FALSE(img.setPixel(130, 0, 1));
    EXPECT_EQ(img.seekPixelNC(0, 70), nullptr);
    ASSERT_NE(img.seekPixel(500, -4), nullptr); // clamped to (129, 0)
    EXPECT_EQ(img.getImageDataBytes(), 3u * 4096);
}

TEST(MaskImage, WholeTileShortcutsCommitNothing)
{
    CBlockVCH img(150, 100); // tiles cut at both edges
    ASSERT_TRUE(img.FilterXor(255));
    EXPECT_EQ(committedBlocks(img), 0);
    for (int32_t i = 0; i < img.blockCount(); ++i)
        EXPECT_EQ(CBlockVCH::uniformOf(img.blockAt(i)), 255);
    sRect r;
    ASSERT_TRUE(img.findRect(r));
    EXPECT_EQ(r, (sRect{0, 0, 150, 100}));

    // A fill over whole tiles keeps them uncommitted; the partly covered ones commit.
    CBlockVCH fill(150, 100);
    sBox box{0, 0, 128, 64};
    ASSERT_TRUE(fill.fillArea(box, 9));
    EXPECT_EQ(committedBlocks(fill), 0);
    ASSERT_TRUE(fill.findBlockRect(r));
    EXPECT_EQ(r, (sRect{0, 0, 128, 64}));
    sBox part{10, 64, 20, 5};
    ASSERT_TRUE(fill.fillArea(part, 3));
    EXPECT_EQ(committedBlocks(fill), 1);
    EXPECT_EQ(fill.getColor(10, 64), 3);
    EXPECT_EQ(fill.getColor(9, 64), 0);
    sBox outside{140, 90, 50, 50}; // clipped in place
    ASSERT_TRUE(fill.fillArea(outside, 1));
    EXPECT_EQ(outside, (sBox{140, 90, 10, 10}));

    // XOR over a part of a tile touches only the part.
    ASSERT_TRUE(fill.effectXor({0, 0, 2, 1}, 0x0F));
    EXPECT_EQ(fill.getColor(1, 0), 9 ^ 0x0F);
    EXPECT_EQ(fill.getColor(2, 0), 9);
}

TEST(MaskImage, CopyAreaMixesUniformTilesWithoutCommitting)
{
    CBlockVCH src(128, 128), dst(128, 128);
    sBox all{0, 0, 128, 128};
    ASSERT_TRUE(src.fillArea(all, 100));
    ASSERT_TRUE(src.setPixel(70, 70, 250)); // one committed source tile
    sBox d{0, 0, 128, 128};
    ASSERT_TRUE(dst.fillArea(d, 160));

    ASSERT_TRUE(dst.copyArea(src, {0, 0}, {0, 0, 128, 128}, bytePutMax));
    EXPECT_EQ(committedBlocks(dst), 1); // only under the committed source tile
    EXPECT_EQ(dst.getColor(0, 0), 160);
    EXPECT_EQ(dst.getColor(70, 70), 250);
    EXPECT_EQ(dst.getColor(71, 70), 160);

    // A piece that covers only part of an uncommitted tile commits it and mixes the piece.
    CBlockVCH part(128, 128);
    ASSERT_TRUE(part.copyArea(src, {10, 0}, {0, 0, 20, 20}, bytePutCopy));
    EXPECT_EQ(committedBlocks(part), 1);
    EXPECT_EQ(part.getColor(10, 0), 100);
    EXPECT_EQ(part.getColor(9, 0), 0);
    EXPECT_EQ(part.getColor(30, 0), 0);

    // Into itself, through a copy of the source.
    CBlockVCH self(64, 1);
    for (int32_t x = 0; x < 64; ++x)
        ASSERT_TRUE(self.setPixel(x, 0, uint32_t(x)));
    ASSERT_TRUE(self.copyArea(self, {1, 0}, {0, 0, 63, 1}));
    EXPECT_EQ(self.getColor(1, 0), 0);
    EXPECT_EQ(self.getColor(63, 0), 62);
}

TEST(MaskImage, ChannelRoundTripAndFastCopyTo)
{
    TChannel ch(100, 70);
    fillIndexed(ch);
    CBlockVCH img(100, 70);
    ASSERT_TRUE(img.copy(ch, 0, 0));
    EXPECT_EQ(bytesOf(img), bytesOf(ch));

    // A box placed at an offset, clipped at the image edge.
    CBlockVCH shifted(100, 70);
    ASSERT_TRUE(shifted.copy(ch, {90, 60}, {5, 5, 20, 20}));
    EXPECT_EQ(shifted.getColor(90, 60), ch.getColor(5, 5));
    EXPECT_EQ(shifted.getColor(99, 69), ch.getColor(14, 14));
    EXPECT_EQ(shifted.getColor(89, 60), 0);

    // fast: tiles of uniform 0 leave the destination alone, other uniform tiles are written.
    CBlockVCH mask(128, 64);
    sBox right{64, 0, 64, 64};
    ASSERT_TRUE(mask.fillArea(right, 200));
    TChannel out(128, 64);
    out.PixelFill(7);
    ASSERT_TRUE(mask.copyTo(out, 0, 0, true));
    EXPECT_EQ(out.getColor(0, 0), 7);
    EXPECT_EQ(out.getColor(64, 0), 200);
    ASSERT_TRUE(mask.copyTo(out, 0, 0, false));
    EXPECT_EQ(out.getColor(0, 0), 0);
    EXPECT_EQ(committedBlocks(mask), 0);

    // Nothing overlapping: false.
    EXPECT_FALSE(mask.copyTo(out, {200, 0}, {0, 0, 10, 10}, false));
}

TEST(MaskImage, CopyFromChannelOutOfMemoryLeavesTheMask)
{
    TChannel ch(130, 10);
    fillIndexed(ch);
    CBlockVCH img(130, 10);
    ASSERT_TRUE(img.setPixel(0, 0, 1));
    {
        OutOfMemory oom(1); // one more tile may be had, three are needed
        EXPECT_FALSE(img.copy(ch, 0, 0));
        EXPECT_EQ(oom.warnings, 1);
    }
    EXPECT_EQ(img.getColor(0, 0), 1);
    EXPECT_EQ(img.getColor(1, 0), 0);
    EXPECT_EQ(img.getColor(100, 5), 0);
}

TEST(MaskImage, LinesAreCutToTheImageAndSplitAtTiles)
{
    CBlockVCH img(150, 3);
    std::vector<uint8_t> line(600);
    for (size_t i = 0; i < line.size(); ++i)
        line[i] = uint8_t(i + 1);

    struct Case
    {
        int32_t x, len, written, firstX;
    };
    // x outside the image on either side is cut, not written through.
    for (const Case c : {Case{60, 10, 10, 60}, Case{-5, 10, 5, 0}, Case{140, 50, 10, 140},
                         Case{150, 5, 0, 0}, Case{1000, 5, 0, 0}, Case{-400, 500, 100, 0}}) {
        CBlockVCH row(150, 3);
        EXPECT_EQ(row.copyLine(c.x, 1, line.data(), c.len), c.written) << c.x;
        if (c.written > 0) {
            EXPECT_EQ(row.getColor(c.firstX, 1), line[size_t(c.firstX - c.x)]) << c.x;
        }
    }
    EXPECT_EQ(img.copyLine(0, 3, line.data(), 10), 0);
    EXPECT_EQ(img.copyLine(0, -1, line.data(), 10), 0);

    // Across two tile borders, then read back the same way without committing.
    ASSERT_EQ(img.copyLine(10, 2, line.data(), 140), 140);
    EXPECT_EQ(img.getColor(63, 2), line[53]);
    EXPECT_EQ(img.getColor(64, 2), line[54]);
    EXPECT_EQ(img.getColor(149, 2), line[139]);
    CBlockVCH empty(150, 3);
    std::vector<uint8_t> back(200, 9);
    EXPECT_EQ(empty.getLine(-10, 0, back.data(), 200), 150);
    EXPECT_EQ(back[10], 0);
    EXPECT_EQ(back[9], 9); // the part left of the image is untouched
    EXPECT_EQ(committedBlocks(empty), 0);
    EXPECT_EQ(img.getLine(200, 2, back.data(), 5), 0);
    ASSERT_EQ(img.getLine(10, 2, back.data(), 140), 140);
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 140, line.begin()));
}

TEST(MaskImage, ShrinkMemoryCountsBytesPastTheEdge)
{
    CBlockVCH img(70, 64);               // the right tile shows 6 columns
    ASSERT_TRUE(img.setPixel(64, 0, 5)); // committed with 0 everywhere else
    sBox vis{64, 0, 6, 64};
    ASSERT_TRUE(img.fillArea(vis, 5));
    EXPECT_EQ(img.shrinkMemory(), 0); // the bytes past the edge still hold 0
    EXPECT_EQ(committedBlocks(img), 1);

    ASSERT_TRUE(img.setPixel(3, 3, 8));
    ASSERT_TRUE(img.setPixel(3, 3, 0));
    EXPECT_EQ(img.shrinkMemory(), 1);
    EXPECT_FALSE(img.seekBlock(0, 0)->commit);
    EXPECT_EQ(CBlockVCH::uniformOf(*img.seekBlock(0, 0)), 0);
}

TEST(MaskImage, FindRectTightensToTheNonZeroBytes)
{
    CBlockVCH img(200, 150);
    sRect r;
    ASSERT_TRUE(img.setPixel(70, 80, 0));
    EXPECT_TRUE(img.findBlockRect(r)); // a committed tile of zeros
    EXPECT_EQ(r, (sRect{64, 64, 128, 128}));
    EXPECT_FALSE(img.findRect(r));

    ASSERT_TRUE(img.setPixel(70, 80, 1));
    ASSERT_TRUE(img.setPixel(199, 149, 2));
    ASSERT_TRUE(img.setPixel(130, 66, 3));
    ASSERT_TRUE(img.findRect(r));
    EXPECT_EQ(r, (sRect{70, 66, 200, 150}));
    ASSERT_TRUE(img.findBlockRect(r)); // whole tiles, not clipped to the image
    EXPECT_EQ(r, (sRect{64, 64, 256, 192}));
    EXPECT_EQ(img.getValidateRect(), (sRect{64, 64, 200, 150}));
}

TEST(MaskImage, FillOutsideFillsTheFourBands)
{
    CBlockVCH img(10, 8);
    ASSERT_TRUE(img.fillOutside(sRect{2, 3, 7, 5}, 9));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 10; ++x)
            EXPECT_EQ(img.getColor(x, y), x >= 2 && x < 7 && y >= 3 && y < 5 ? 0 : 9)
                << x << "," << y;
    // A rectangle covering the image leaves no band.
    CBlockVCH none(10, 8);
    EXPECT_FALSE(none.fillOutside(sRect{-1, -1, 20, 20}, 9));
    EXPECT_EQ(committedBlocks(none), 0);
    EXPECT_TRUE(none.fillOutside(sBox{0, 0, 10, 7}, 4));
    EXPECT_EQ(none.getColor(0, 7), 4);
    EXPECT_EQ(none.getColor(0, 6), 0);
}

TEST(MaskImage, FastAndDirectGrowthAgreeOnRandomMasks)
{
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 rng(seed);
    for (int round = 0; round < 8; ++round) {
        CBlockVCH src(150 + round * 7, 130 - round * 5);
        randomShapes(src, rng);
        CBlockVCH fastIn(src.width(), src.height()), directIn(src.width(), src.height());
        CBlockVCH fastOut(src.width(), src.height()), directOut(src.width(), src.height());
        sRect blocks;
        const bool any = src.findBlockRect(blocks);
        EXPECT_EQ(fastIn.makeInflateFast(src), any);
        EXPECT_EQ(directIn.makeInflate(src), any);
        EXPECT_EQ(fastOut.makeDeflateFast(src), any);
        EXPECT_EQ(directOut.makeDeflate(src), any);
        EXPECT_EQ(bytesOf(fastIn), bytesOf(directIn)) << "round " << round;
        EXPECT_EQ(bytesOf(fastOut), bytesOf(directOut)) << "round " << round;
    }
}

TEST(MaskImage, GrowthAndShrinkingByOnePixel)
{
    // One pixel grows to 3 x 3; the old form cannot grow past the source's outer tiles.
    CBlockVCH dot(128, 128);
    ASSERT_TRUE(dot.setPixel(64, 10, 200));
    CBlockVCH grown(128, 128), old(128, 128);
    ASSERT_TRUE(grown.makeInflateFast(dot));
    ASSERT_TRUE(old.makeInflateFast_Old(dot));
    sRect r;
    ASSERT_TRUE(grown.findRect(r));
    EXPECT_EQ(r, (sRect{63, 9, 66, 12}));
    EXPECT_EQ(grown.getColor(63, 9), 200);
    ASSERT_TRUE(old.findRect(r));
    EXPECT_EQ(r, (sRect{64, 9, 66, 12}));

    // A fully selected image keeps its border when shrunk: outside neighbours repeat the edge.
    CBlockVCH full(100, 70);
    ASSERT_TRUE(full.FilterXor(255));
    CBlockVCH shrunk(100, 70);
    ASSERT_TRUE(shrunk.makeDeflateFast(full));
    EXPECT_EQ(shrunk.getColor(0, 0), 255);
    EXPECT_EQ(shrunk.getColor(99, 69), 255);

    // A 3 x 3 square shrinks to its centre.
    CBlockVCH square(20, 20), centre(20, 20);
    sBox sq{5, 5, 3, 3};
    ASSERT_TRUE(square.fillArea(sq, 255));
    ASSERT_TRUE(centre.makeDeflateFast(square));
    ASSERT_TRUE(centre.findRect(r));
    EXPECT_EQ(r, (sRect{6, 6, 7, 7}));

    // Nothing to read: false, nothing written.
    CBlockVCH empty(20, 20), out(20, 20);
    EXPECT_FALSE(out.makeInflateFast(empty));
    EXPECT_FALSE(out.makeDeflate(empty));
}

TEST(MaskImage, BuildsFromALayerImage)
{
    CBlockVMTC layer(3, 1);
    ASSERT_TRUE(layer.setPixel(0, 0, argb(255, 255, 255, 255)));
    ASSERT_TRUE(layer.setPixel(1, 0, argb(128, 255, 255, 255)));
    ASSERT_TRUE(layer.setPixel(2, 0, argb(200, 0, 0, 0)));
    CBlockVCH value(5, 1), inverse(5, 1), alpha(5, 1);
    ASSERT_TRUE(value.makeFromValue(layer, false));
    ASSERT_TRUE(inverse.makeFromValue(layer, true));
    ASSERT_TRUE(alpha.makeFromMask(layer));
    // L * alpha / 255: white opaque 255, white half 128, black 0; inverted black 200.
    EXPECT_EQ(bytesOf(value), (std::vector<uint8_t>{255, 128, 0, 0, 0}));
    EXPECT_EQ(bytesOf(inverse), (std::vector<uint8_t>{0, 0, 200, 0, 0}));
    EXPECT_EQ(bytesOf(alpha), (std::vector<uint8_t>{255, 128, 200, 0, 0}));
}

TEST(MaskImage, ReducedPictures)
{
    // FilterSmallenHQ: a 4 x 4 average per pixel; a half-selected image halves exactly.
    CBlockVCH src(128, 64);
    sBox left{0, 0, 64, 64};
    ASSERT_TRUE(src.fillArea(left, 255));
    CBlockVCH half(64, 32);
    ASSERT_TRUE(src.FilterSmallenHQ(half));
    EXPECT_EQ(half.getColor(0, 0), 255);
    EXPECT_EQ(half.getColor(31, 31), 255);
    EXPECT_EQ(half.getColor(32, 0), 0);
    EXPECT_EQ(committedBlocks(half), 1); // the one tile holding both halves
    CBlockVCH twice(256, 128);
    ASSERT_TRUE(src.FilterSmallenHQ(twice));
    EXPECT_EQ(twice.getColor(127, 5), 255);
    EXPECT_EQ(twice.getColor(128, 5), 0);

    // FilterSmallenPart: grey as average * 0x010101 with alpha 0; only the given part written.
    TMTC tc(4, 4);
    tc.PixelFill(0xDEADBEEF);
    src.FilterSmallenPart(tc, 0, 0, 3, 4, 0, 0, 128, 64);
    EXPECT_EQ(tc.getColor(0, 0), 0x00FFFFFFu);
    EXPECT_EQ(tc.getColor(2, 3), 0u);
    EXPECT_EQ(tc.getColor(3, 0), 0xDEADBEEFu);

    // makePreviewImg: bilinear, opaque; the half step between 255 and 0 gives 127.
    CBlockVCH two(2, 1);
    ASSERT_TRUE(two.setPixel(0, 0, 255));
    TMTC pv(4, 1);
    pv.PixelFill(0);
    two.makePreviewImg(pv, {0, 0, 4, 1}, {0, 0, 2, 1});
    EXPECT_EQ(pv.getColor(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pv.getColor(1, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(pv.getColor(2, 0), 0xFF000000u);
    EXPECT_EQ(pv.getColor(3, 0), 0xFF000000u); // the last column repeats itself
    // Places outside the mask are not written.
    pv.PixelFill(0x11);
    two.makePreviewImg(pv, {0, 0, 4, 1}, {-2, 0, 4, 1});
    EXPECT_EQ(pv.getColor(0, 0), 0x11u);
    EXPECT_EQ(pv.getColor(2, 0), 0xFFFFFFFFu);
}

TEST(MaskImage, CopyConstructorAndBmp)
{
    CBlockVCH src(100, 80);
    ASSERT_TRUE(src.setPixel(99, 79, 42));
    sBox b{0, 0, 64, 64};
    ASSERT_TRUE(src.fillArea(b, 7));
    const CBlockVCH copy(src);
    EXPECT_EQ(bytesOf(copy), bytesOf(src));
    EXPECT_EQ(committedBlocks(copy), 1);

    QTemporaryDir dir;
    const QString path = dir.filePath("mask.bmp");
    ASSERT_TRUE(src.saveBmp(path));
    EXPECT_EQ(QFile(path).size(), 1078 + 100 * 80);
    EXPECT_FALSE(src.saveBmp(dir.filePath("missing/mask.bmp")));
}
