#include "core/block_test_support.h"

#include "core/tiles/block_image.h"
#include "core/tiles/block_layer_image.h"

#include <gtest/gtest.h>

#include <vector>

using namespace blocktest;

namespace {

// A bare descendant with 64 x 64 blocks of one byte, as the mask image has.
class ByteBlocks : public CBlockImage
{
  public:
    ByteBlocks(int32_t w, int32_t h) : CBlockImage(w, h, 1, 6) { enable = buildBlocks(); }

  private:
    bool initBlock(SBlockPack &) override { return true; }
};

struct Piece
{
    sPos dpos;
    sBox sbox;
    friend bool operator==(const Piece &, const Piece &) = default;
};

std::ostream &operator<<(std::ostream &os, const Piece &p)
{
    return os << "(" << p.dpos.x << "," << p.dpos.y << " <- " << p.sbox.x << "," << p.sbox.y << " "
              << p.sbox.w << "x" << p.sbox.h << ")";
}

} // namespace

TEST(BlockGrid, CountsAndEdgeBoxes)
{
    struct Case
    {
        int32_t w, h;
        sSize rep;
        sBox last; // the box of the last block
    };
    const Case cases[] = {
        {33, 1, {2, 1}, {32, 0, 1, 1}},     {32, 32, {1, 1}, {0, 0, 32, 32}},
        {100, 100, {4, 4}, {96, 96, 4, 4}}, {64, 65, {2, 3}, {32, 64, 32, 1}},
        {1, 1, {1, 1}, {0, 0, 1, 1}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h);
        CBlockVMTC img(c.w, c.h);
        ASSERT_TRUE(img.isEnable());
        EXPECT_EQ(img.getRepSize(), c.rep);
        ASSERT_EQ(img.blockCount(), c.rep.x * c.rep.y);
        const SBlockPack &last = img.blockAt(img.blockCount() - 1);
        EXPECT_EQ(last.box, c.last);
        EXPECT_EQ(last.bpos, (sPos{c.rep.x - 1, c.rep.y - 1}));
        // Every block, the cut ones too, takes a whole 32 x 32 block of memory.
        EXPECT_EQ(last.vLength, 4096u);
        EXPECT_EQ(last.size, (sSize{32, 32}));
        EXPECT_EQ(img.getImageDataBytes(), 0u);
    }

    ByteBlocks mask(130, 10);
    EXPECT_EQ(mask.getRepSize(), (sSize{3, 1}));
    EXPECT_EQ(mask.getUnitBytes(), 4096u);
    EXPECT_EQ(mask.blockAt(2).box, (sBox{128, 0, 2, 10}));
}

TEST(BlockGrid, EmptyOrImpossibleSizesAreNotEnabled)
{
    for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 5}}) {
        CBlockVMTC img(w, h);
        EXPECT_FALSE(img.isEnable());
        EXPECT_EQ(img.blockCount(), 0);
        sBox box{0, 0, 10, 10};
        EXPECT_FALSE(img.filterArea(box, [](const sBox &) { return true; }));
        EXPECT_EQ(img.getColor(0, 0), 0u);
    }
}

TEST(BlockGrid, ResizeDiscardsThePixels)
{
    CBlockVMTC img(40, 40);
    ASSERT_TRUE(img.setPixel(35, 35, 0xFF102030));
    ASSERT_TRUE(img.Resize(70, 10));
    EXPECT_EQ(img.getRepSize(), (sSize{3, 1}));
    EXPECT_EQ(img.getImageDataBytes(), 0u);
    EXPECT_EQ(img.getColor(35, 5), CBlockVMTC::kInitColor);
}

TEST(BlockGrid, ValidateBlockBoundsTheCommittedBlocks)
{
    CBlockVMTC img(200, 200);
    EXPECT_EQ(img.getValidateBlock(), (sRect{7, 7, 0, 0}));
    ASSERT_TRUE(img.setPixel(2 * 32 + 5, 3 * 32 + 1, 0xFF000000));
    EXPECT_EQ(img.getValidateBlock(), (sRect{2, 3, 3, 4}));
    ASSERT_TRUE(img.setPixel(199, 0, 0xFF000000));
    EXPECT_EQ(img.getValidateBlock(), (sRect{2, 0, 7, 4}));
    EXPECT_EQ(img.getImageDataBytes(), 2u * 4096);
}

TEST(BlockGrid, SeekBlockOutsideTheGridFindsNothing)
{
    CBlockVMTC img(64, 64);
    EXPECT_EQ(img.seekBlockBP(-1, 0, true), nullptr);
    EXPECT_EQ(img.seekBlockBP(2, 0, true), nullptr);
    EXPECT_EQ(img.seekBlock(-1, 5, true), nullptr); // negative pixels are not wrapped
    EXPECT_EQ(img.seekBlock(64, 0, true), nullptr);
    EXPECT_EQ(img.getImageDataBytes(), 0u);
    ASSERT_NE(img.seekBlock(63, 63, false), nullptr);
    EXPECT_EQ(img.seekBlock(63, 63, false)->bpos, (sPos{1, 1}));
}

TEST(BlockWalkers, FilterAreaPiecesStayInsideBlocksInBandOrder)
{
    CBlockVMTC img(100, 100);
    std::vector<sBox> pieces;
    sBox box{30, 0, 4, 40};
    ASSERT_TRUE(img.filterArea(box, [&](const sBox &p) {
        pieces.push_back(p);
        return true;
    }));
    EXPECT_EQ(pieces,
              (std::vector<sBox>{{30, 0, 2, 32}, {32, 0, 2, 32}, {30, 32, 2, 8}, {32, 32, 2, 8}}));

    // The box is clipped in place; an area outside the image walks nothing.
    pieces.clear();
    box = {90, -10, 20, 20};
    ASSERT_TRUE(img.filterArea(box, [&](const sBox &p) {
        pieces.push_back(p);
        return true;
    }));
    EXPECT_EQ(box, (sBox{90, 0, 10, 10}));
    EXPECT_EQ(pieces, (std::vector<sBox>{{90, 0, 6, 10}, {96, 0, 4, 10}}));
    box = {100, 0, 5, 5};
    EXPECT_FALSE(img.filterArea(box, [](const sBox &) {
        ADD_FAILURE();
        return true;
    }));

    // A false answer stops the walk.
    int calls = 0;
    box = {0, 0, 100, 100};
    EXPECT_FALSE(img.filterArea(box, [&](const sBox &) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
}

TEST(BlockWalkers, TwoImageWalksCutAtTheRightBorders)
{
    CBlockVMTC img(100, 100);
    TMTC canvas(50, 50);
    std::vector<Piece> pieces;
    auto record = [&](const sPos &d, const sBox &s) {
        pieces.push_back({d, s});
        return true;
    };

    // Source borders (x 32, y 64), after the two-image clip moved the box by the negative
    // position and cut it at the canvas bottom.
    ASSERT_TRUE(img.effectAreaTo(canvas, {-2, 45}, {28, 60, 8, 8}, record));
    EXPECT_EQ(pieces, (std::vector<Piece>{{{0, 45}, {30, 60, 2, 4}},
                                          {{2, 45}, {32, 60, 4, 4}},
                                          {{0, 49}, {30, 64, 2, 1}},
                                          {{2, 49}, {32, 64, 4, 1}}}));

    // Destination borders.
    pieces.clear();
    ASSERT_TRUE(img.effectAreaFrom(canvas, {30, 0}, {0, 0, 4, 1}, record));
    EXPECT_EQ(pieces, (std::vector<Piece>{{{30, 0}, {0, 0, 2, 1}}, {{32, 0}, {2, 0, 2, 1}}}));

    // Both images tiled: source borders first, each piece again at the destination's.
    pieces.clear();
    CBlockVMTC src(100, 100);
    ASSERT_TRUE(img.effectArea(src, {8, 0}, {16, 0, 32, 1}, record));
    EXPECT_EQ(pieces,
              (std::vector<Piece>{
                  {{8, 0}, {16, 0, 16, 1}}, {{24, 0}, {32, 0, 8, 1}}, {{32, 0}, {40, 0, 8, 1}}}));

    EXPECT_FALSE(img.effectAreaTo(canvas, {50, 0}, {0, 0, 10, 10}, record));
}

TEST(BlockCopies, SimpleCopyTakesTheCommonGridOnly)
{
    CBlockVMTC src(64, 64);
    ASSERT_TRUE(src.setPixel(1, 1, 0xFF0000FF));             // block (0, 0)
    ASSERT_TRUE(src.fillImage({32, 0, 32, 32}, 0x00123456)); // block (1, 0): colour only
    ASSERT_TRUE(src.setPixel(40, 40, 0xFF00FF00));           // block (1, 1): not in the common grid

    CBlockVMTC dst(96, 32);
    ASSERT_TRUE(dst.setPixel(70, 3, 0xFFABCDEF)); // block (2, 0): not in src
    ASSERT_TRUE(dst.setPixel(33, 3, 0xFF111111)); // block (1, 0): replaced by uniform
    ASSERT_TRUE(dst.simpleCopy(src));
    EXPECT_EQ(dst.getColor(1, 1), 0xFF0000FFu);
    EXPECT_EQ(dst.getColor(2, 2), CBlockVMTC::kInitColor);
    EXPECT_FALSE(dst.seekBlock(33, 3, false)->commit);
    EXPECT_EQ(dst.getColor(33, 3), 0x00123456u);
    EXPECT_EQ(dst.getColor(70, 3), 0xFFABCDEFu);
    EXPECT_EQ(dst.getImageDataBytes(), 2u * 4096);

    // The source's memory is copied, not shared.
    ASSERT_TRUE(src.setPixel(1, 1, 0));
    EXPECT_EQ(dst.getColor(1, 1), 0xFF0000FFu);

    CBlockVMTC copy(src);
    EXPECT_EQ(pixels(copy), pixels(src));
}

TEST(BlockCopies, SimpleCopyOfABoxMovesWholeBlocks)
{
    CBlockVMTC src(64, 64);
    ASSERT_TRUE(src.setPixel(40, 5, 0xFF0000FF)); // block (1, 0)
    CBlockVMTC dst(64, 64);
    // The box (35, 2, 2, 2) widens to block (1, 0), which lands on block (0, 1).
    ASSERT_TRUE(dst.simpleCopy(src, {0, 32}, {35, 2, 2, 2}));
    EXPECT_EQ(dst.getColor(8, 37), 0xFF0000FFu);
    EXPECT_EQ(committedBlocks(dst), 1);
    EXPECT_EQ(dst.getTrace().cnt, 1);
}

TEST(BlockCommit, OutOfMemoryWarnsOnceAndStopsTheOperation)
{
    CBlockVMTC img(128, 128);
    {
        OutOfMemory oom(0);
        EXPECT_FALSE(img.setPixel(0, 0, 0xFF0000FF));
        EXPECT_EQ(img.seekPixelNC(5, 5), nullptr);
        EXPECT_EQ(oom.warnings, 2);
        EXPECT_EQ(oom.lastText, QString::fromUtf16(kBlockCommitFailedMessage));
        EXPECT_EQ(img.getImageDataBytes(), 0u);
    }
    {
        // A fill over sixteen partly covered blocks: the first commit works, the second fails
        // and nothing after it is tried.
        OutOfMemory oom(1);
        EXPECT_FALSE(img.fillImage({1, 1, 126, 126}, 0x000000FF));
        EXPECT_EQ(oom.warnings, 1);
        EXPECT_EQ(committedBlocks(img), 1);
        EXPECT_EQ(img.getColor(100, 100), CBlockVMTC::kInitColor);
    }
    {
        // A copy never writes through a block it could not commit.
        CBlockVMTC src(128, 128);
        ASSERT_TRUE(src.setPixel(127, 127, 0xFF00FF00));
        OutOfMemory oom(0);
        EXPECT_FALSE(img.simpleCopy(src));
        EXPECT_EQ(oom.warnings, 1);
        EXPECT_EQ(img.getColor(127, 127), CBlockVMTC::kInitColor);
    }
}
