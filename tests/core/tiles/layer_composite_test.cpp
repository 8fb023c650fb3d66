#include "core/block_test_support.h"

#include "core/tiles/block_layer_image.h"
#include "core/tiles/layer_composite.h"
#include "core/tiles/work_threads.h"

#include "core/pixel/each_simd_level.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace blocktest;
using enum TLayerMode;

namespace {

constexpr uint32_t kClear = CBlockVMTC::kInitColor;

// A 100 x 70 layer: random pixels (any alpha) in a committed patch, a visible uniform area, a
// committed block with transparent pixels only, the rest uniform transparent.
void makeMixedLayer(CBlockVMTC &img, std::mt19937 &rng)
{
    scribble(img, {20, 10, 30, 30}, rng);
    ASSERT_TRUE(img.fillImage({64, 32, 36, 38}, 0x3366CC));
    ASSERT_TRUE(img.setAlpha({64, 32, 36, 38}, 0xA0));
    ASSERT_TRUE(img.setPixel(5, 60, 0x00000000));
}

// The canvas after putting every layer pixel of box at dpos with put and opacity a.
std::vector<uint32_t> expectedCanvas(const TMTC &before, const CBlockVMTC &layer, sPos dpos,
                                     sBox box, fptrPixelPut4core put, uint32_t a)
{
    TMTC tc(before);
    for (int32_t y = 0; y < box.h; ++y)
        for (int32_t x = 0; x < box.w; ++x) {
            const int32_t sx = box.x + x, sy = box.y + y, dx = dpos.x + x, dy = dpos.y + y;
            if (ptInSize(sx, sy, layer.width(), layer.height()) &&
                ptInSize(dx, dy, tc.width(), tc.height()))
                put(tc.seek32(dx, dy), layer.getColor(sx, sy), a);
        }
    return pixels(tc);
}

} // namespace

TEST(LayerBltTo, ZeroOpacityDrawsNothing)
{
    std::mt19937 rng(1);
    CBlockVMTC img(100, 70);
    makeMixedLayer(img, rng);
    TMTC tc(100, 70);
    fillCanvas(tc, rng);
    const std::vector<uint32_t> before = pixels(tc);
    FakeLayer layer;
    layer.trans = 0;
    EXPECT_FALSE(img.layerBltTo(tc, layer, {0, 0}, {0, 0, 100, 70}, false));
    EXPECT_EQ(pixels(tc), before);
}

TEST(LayerBltTo, EveryModeMatchesItsPutPixelByPixel)
{
    std::mt19937 rng(2);
    CBlockVMTC img(100, 70);
    makeMixedLayer(img, rng);
    TMTC base(90, 80);
    fillCanvas(base, rng);
    const sPos dpos{-5, 7};
    const sBox box{3, 0, 97, 70};
    for (int m = 0; m < int(LM_MAX_NUM); ++m) {
        for (uint8_t a : {uint8_t(255), uint8_t(128)}) {
            SCOPED_TRACE(testing::Message() << "mode " << m << " opacity " << int(a));
            FakeLayer layer;
            layer.mode = TLayerMode(m);
            layer.trans = a;
            TMTC tc(base);
            ASSERT_TRUE(img.layerBltTo(tc, layer, dpos, box, false));
            EXPECT_EQ(pixels(tc),
                      expectedCanvas(base, img, dpos, box, getBlendModeRow(layer.mode)->fnPutA, a));
        }
    }
}

// Compositing spreads bands of blocks over the work threads and runs the rows of the vector
// level in use: at every level, on one thread and on several, every mode gives the bytes of its
// put pixel by pixel. The layer is several block rows high and wide, with committed, uniform and
// transparent blocks, and the box starts inside a block.
class LayerBltToAtLevel : public EachSimdLevel
{
  protected:
    void TearDown() override
    {
        setWorkThreads(0);
        EachSimdLevel::TearDown();
    }
};
INSTANTIATE_EACH_SIMD_LEVEL(LayerBltToAtLevel);

TEST_P(LayerBltToAtLevel, SameBytesOnAnyNumberOfThreads)
{
    std::mt19937 rng(4);
    CBlockVMTC img(300, 230);
    scribble(img, {10, 5, 250, 170}, rng);
    ASSERT_TRUE(img.fillImage({0, 180, 300, 50}, 0x3366CC));
    ASSERT_TRUE(img.setAlpha({0, 180, 300, 50}, 0xA0));
    TMTC base(280, 240);
    fillCanvas(base, rng);
    const sPos dpos{-7, 9};
    const sBox box{5, 3, 290, 227};
    for (TLayerMode mode : {LM_STD, LM_MUL, LM_SCR, LM_HUE})
        for (uint8_t a : {uint8_t(255), uint8_t(77)}) {
            const std::vector<uint32_t> expected =
                expectedCanvas(base, img, dpos, box, getBlendModeRow(mode)->fnPutA, a);
            for (int threads : {1, 3, 8}) {
                SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " opacity " << int(a)
                                                << " threads " << threads);
                setWorkThreads(threads);
                ASSERT_EQ(workThreads() == 1, threads == 1);
                FakeLayer layer;
                layer.mode = mode;
                layer.trans = a;
                TMTC tc(base);
                ASSERT_TRUE(img.layerBltTo(tc, layer, dpos, box, false));
                ASSERT_EQ(pixels(tc), expected);
            }
        }
}

TEST(LayerBltTo, OnlyTheTraceIsVisitedAndTheDitherRepeats)
{
    std::mt19937 rng(3);
    CBlockVMTC img(100, 70);
    makeMixedLayer(img, rng);
    TMTC base(100, 70);
    fillCanvas(base, rng);

    // The dither draws once per visited pixel from a copy of the layer's generator: the same
    // picture at every redraw, and different from the undithered one.
    FakeLayer layer;
    layer.ditherEnable = true;
    layer.dither = 128;
    layer.dizRand.seed = layer.dizRand.val = 12345;
    layer.dizRand.range = {0, 255};
    TMTC first(base), second(base), plain(base);
    ASSERT_TRUE(img.layerBltTo(first, layer, {0, 0}, {0, 0, 100, 70}, true));
    ASSERT_TRUE(img.layerBltTo(second, layer, {0, 0}, {0, 0, 100, 70}, false));
    EXPECT_EQ(pixels(first), pixels(second));
    EXPECT_EQ(layer.dizRand.val, 12345u);
    layer.ditherEnable = false;
    ASSERT_TRUE(img.layerBltTo(plain, layer, {0, 0}, {0, 0, 100, 70}, false));
    EXPECT_NE(pixels(first), pixels(plain));
    EXPECT_NE(pixels(first), pixels(base));

    // With the draws counted: one per pixel of the committed and visible blocks; the uniform
    // transparent blocks are not visited.
    layer.ditherEnable = true;
    ASSERT_TRUE(img.layerBltTo(first, layer, {0, 0}, {0, 0, 100, 70}, false));
    uint32_t visited = 0;
    for (int32_t i = 0; i < img.blockCount(); ++i) {
        const SBlockPack &b = img.blockAt(i);
        if (b.commit || b.bgCol.A != 0)
            visited += uint32_t(b.box.w * b.box.h);
    }
    EXPECT_LT(visited, 100u * 70);
    EXPECT_EQ(randomPutState().cnt - layer.dizRand.cnt, visited);

    // An image with nothing traced answers true and touches nothing.
    CBlockVMTC empty(100, 70);
    TMTC untouched(base);
    EXPECT_TRUE(empty.layerBltTo(untouched, layer, {0, 0}, {0, 0, 100, 70}, false));
    EXPECT_EQ(pixels(untouched), pixels(base));
}

TEST(LayerBlt, UniformBlocksStayUncommitted)
{
    FakeLayer layer;
    layer.trans = 200;

    // An entirely uniform transparent layer changes and commits nothing.
    CBlockVMTC dst(96, 64), clear(96, 64);
    ASSERT_TRUE(dst.layerBlt(clear, layer, 0, 0));
    EXPECT_EQ(dst.getImageDataBytes(), 0u);
    EXPECT_EQ(pixels(dst), pixels(clear));

    // A uniform visible layer changes only the colour of the whole blocks it covers.
    CBlockVMTC red(96, 64);
    ASSERT_TRUE(red.fillImageAll(0xFF0000));
    ASSERT_TRUE(red.setAlphaAll(255));
    ASSERT_TRUE(dst.fillImageAll(0x0000FF));
    ASSERT_TRUE(dst.setAlphaAll(255));
    ASSERT_TRUE(dst.layerBlt(red, layer, 0, 0));
    EXPECT_EQ(dst.getImageDataBytes(), 0u);
    sBGRA expect{.all = 0xFF0000FF};
    pixelPutSrcAlpha(&expect, 0xFFFF0000, 200);
    EXPECT_EQ(dst.getColor(50, 50), expect.all);

    // Shifted by 16 pixels the pieces no longer cover whole destination blocks.
    CBlockVMTC shifted(96, 64);
    ASSERT_TRUE(shifted.layerBlt(red, layer, {16, 0}, {0, 0, 32, 32}));
    EXPECT_EQ(committedBlocks(shifted), 2);
    EXPECT_EQ(shifted.getColor(15, 0), kClear);
    sBGRA onClear{.all = kClear};
    pixelPutSrcAlpha(&onClear, 0xFFFF0000, 200);
    EXPECT_EQ(shifted.getColor(16, 0), onClear.all); // colour put, alpha kept
    EXPECT_EQ(shifted.getColor(47, 31) >> 24, 0u);
}

TEST(LayerBlt, CommittedSourcesArePutPixelByPixel)
{
    std::mt19937 rng(4);
    CBlockVMTC src(100, 70), dst(100, 70);
    makeMixedLayer(src, rng);
    scribble(dst, {0, 0, 100, 40}, rng);
    const CBlockVMTC before(dst);
    FakeLayer layer;
    layer.mode = LM_SCR;
    layer.trans = 170;
    ASSERT_TRUE(dst.layerBlt(src, layer, {10, -3}, {0, 0, 100, 70}));
    const fptrPixelPut4core put = getBlendModeRow(LM_SCR)->fnPutA;
    for (int32_t y = 0; y < 70; ++y)
        for (int32_t x = 0; x < 100; ++x) {
            sBGRA e{.all = before.getColor(x, y)};
            if (x >= 10 && y < 67)
                put(&e, src.getColor(x - 10, y + 3), 170);
            ASSERT_EQ(dst.getColor(x, y), e.all) << x << "," << y;
        }

    OutOfMemory oom(0);
    CBlockVMTC fresh(100, 70);
    EXPECT_FALSE(fresh.layerBlt(src, layer, 0, 0));
    EXPECT_EQ(oom.warnings, 1);
}

TEST(MixWith, FadeAndPutOnBlocksAndColours)
{
    // dA = 0 on uncommitted blocks: alpha 0, nothing committed.
    CBlockVMTC dst(64, 64), src(64, 64);
    ASSERT_TRUE(dst.setAlphaAll(255));
    ASSERT_TRUE(dst.mixWith(src, {0, 0}, {0, 0, 64, 64}, 0, 255, pixelMergeStd));
    EXPECT_EQ(dst.getImageDataBytes(), 0u);
    EXPECT_EQ(dst.getColor(10, 10), kClear);

    // A committed source: the canvas routine on the block views.
    std::mt19937 rng(5);
    scribble(src, {0, 0, 40, 40}, rng);
    CBlockVMTC lower(64, 64);
    scribble(lower, {0, 0, 64, 64}, rng);
    TMTC ref(64, 64), srcTc(64, 64);
    ASSERT_TRUE(lower.bltTo(ref, 0, 0, 255, false));
    ASSERT_TRUE(src.bltTo(srcTc, 0, 0, 255, false));
    ASSERT_TRUE(ref.mixWith(srcTc, {0, 0}, {0, 0, 64, 64}, 180, 90, pixelMergeStd));
    ASSERT_TRUE(lower.mixWith(src, {0, 0}, {0, 0, 64, 64}, 180, 90, pixelMergeStd));
    EXPECT_EQ(pixels(lower), pixels(ref));

    // The Ex form: the whole-block shortcut gives what mixPixelEx gives on one pixel.
    CBlockVMTC a(32, 32), b(32, 32);
    ASSERT_TRUE(a.fillImageAll(0x204080));
    ASSERT_TRUE(a.setAlphaAll(200));
    ASSERT_TRUE(b.fillImageAll(0xC0C0C0));
    ASSERT_TRUE(b.setAlphaAll(100));
    const SBlendModeRow &row = *getBlendModeRow(LM_OVLY);
    const sTCMixParam mix{row.c0, row.flags, pixelPutAlpha, row.fnPut};
    ASSERT_TRUE(a.mixWithEx(b, {0, 0}, {0, 0, 32, 32}, 128, 255, mix));
    sBGRA e{.all = 0xC8204080};
    e.A = gMulTable[200 * 256 + 128];
    mixPixelEx(&e, 0x64C0C0C0, 255, mix);
    EXPECT_EQ(a.getColor(7, 7), e.all);
    EXPECT_EQ(a.getImageDataBytes(), 0u);
}

TEST(OldBlt, WrittenAreasBecomeOpaque)
{
    FakeLayer layer;
    layer.trans = 128;
    CBlockVMTC src(64, 32), dst(64, 32);
    ASSERT_TRUE(src.fillImage({0, 0, 32, 32}, 0x808080));
    ASSERT_TRUE(src.setAlpha({0, 0, 32, 32}, 255));
    ASSERT_TRUE(src.setPixel(40, 0, 0xFF0000FF));
    ASSERT_TRUE(src.oldBltTo(dst, layer, {0, 0}, {0, 0, 64, 32}));
    // The uniform source block over a whole uncommitted block: colour put, alpha 255.
    EXPECT_FALSE(dst.seekBlock(0, 0, false)->commit);
    EXPECT_EQ(dst.getColor(0, 0), 0xFFBFBFBFu);
    // The committed block: every pixel of the piece opaque, the colour put only where the
    // source has alpha.
    EXPECT_EQ(dst.getColor(40, 0), 0xFF7F7FFFu);
    EXPECT_EQ(dst.getColor(41, 0), 0xFFFFFFFFu);

    // The multiply pair, into a canvas: no alpha change.
    layer.old = {oldBltMul, pixelPutMul};
    TMTC tc(64, 32);
    tc.PixelFill(0x10C0C0C0);
    ASSERT_TRUE(src.layerOldBltTo(tc, layer, {0, 0}, {0, 0, 64, 32}));
    sBGRA e{.all = 0x10C0C0C0};
    pixelPutMul(&e, 0xFF808080, 128);
    EXPECT_EQ(tc.getColor(3, 3), e.all);
    EXPECT_EQ(tc.getColor(63, 31), 0x10C0C0C0u); // transparent uniform block skipped
}

TEST(MixTo, WholeBoxOrTraceOnly)
{
    CBlockVMTC img(64, 64);
    ASSERT_TRUE(img.setPixel(0, 0, 0xFF00FF00));
    TMTC tc(64, 64);
    tc.PixelFill(0xFF808080);
    // mixTo fades the whole box, the empty block too.
    ASSERT_TRUE(img.mixTo(tc, {0, 0}, {0, 0, 64, 64}, 128, 255, pixelMergeStd));
    EXPECT_EQ(tc.getColor(50, 50) >> 24, 128u);
    EXPECT_EQ(tc.getColor(0, 0), 0xFF00FF00u);

    // mixToEx stays inside the trace.
    tc.PixelFill(0xFF808080);
    const SBlendModeRow &row = *getBlendModeRow(LM_STD);
    const sTCMixParam mix{row.c0, row.flags, pixelPutAlpha, row.fnPut};
    ASSERT_TRUE(img.mixToEx(tc, {0, 0}, {0, 0, 64, 64}, 128, 255, mix));
    EXPECT_EQ(tc.getColor(50, 50), 0xFF808080u);
    EXPECT_EQ(tc.getColor(31, 31) >> 24, 128u);
    CBlockVMTC empty(64, 64);
    EXPECT_TRUE(empty.mixToEx(tc, {0, 0}, {0, 0, 64, 64}, 0, 255, mix));
    EXPECT_EQ(tc.getColor(50, 50), 0xFF808080u);
}

TEST(ClipGroup, NegativePositionsMoveTheSourceBox)
{
    CBlockVMTC base(64, 32);
    ASSERT_TRUE(base.setAlpha({0, 0, 32, 32}, 255)); // visible uniform block
    ASSERT_TRUE(base.setPixel(1, 0, 0x00FFFFFF));    // now committed, one pixel transparent
    CBlockVMTC src(64, 32);
    for (int32_t x = 0; x < 64; ++x)
        ASSERT_TRUE(src.setPixel(x, 0, 0xFF000000u | uint32_t(x)));

    ASSERT_TRUE(base.clipBltBlkTCFrom(src, {-10, 0}, {0, 0, 64, 1}, 255, pixelPutSrcAlpha));
    EXPECT_EQ(base.getColor(0, 0), 0xFF00000Au); // source x + 10 at column 0
    EXPECT_EQ(base.getColor(1, 0), 0x00FFFFFFu); // no content: left alone
    EXPECT_EQ(base.getColor(21, 0), 0xFF00001Fu);
    EXPECT_EQ(base.getColor(0, 1), 0xFFFFFFFFu); // only row 0 is in the box
    EXPECT_EQ(base.getColor(40, 0), kClear);     // transparent block: untouched, uncommitted
    EXPECT_FALSE(base.seekBlock(40, 0, false)->commit);

    // A canvas source is cut to the canvas, and a negative source origin moves the position.
    TMTC tc(8, 1);
    for (int32_t x = 0; x < 8; ++x)
        tc.seek32(x, 0)->all = 0xFF000100u | uint32_t(x);
    FakeLayer layer;
    ASSERT_TRUE(base.ClipBltTcToLyr(tc, layer, {2, 0}, {-2, 0, 100, 100}, false));
    EXPECT_EQ(base.getColor(3, 0), 0xFF00000Du);
    EXPECT_EQ(base.getColor(4, 0), 0xFF000100u);
    EXPECT_EQ(base.getColor(11, 0), 0xFF000107u);
    EXPECT_EQ(base.getColor(12, 0), 0xFF000016u);
    layer.trans = 0;
    EXPECT_FALSE(base.clipBltBlkTCToLyr(src, layer, {0, 0}, {0, 0, 64, 32}, false));
}

namespace {

// What clipBltTo gives destination pixel (x, y): the source pixel at (x + dx, y + dy), when the
// source image has one, put where the destination has content; a uniform visible source block
// puts its colour on every pixel.
uint32_t expectedClip(const CBlockVMTC &dst, const CBlockVMTC &src, int32_t x, int32_t y,
                      int32_t dx, int32_t dy, uint32_t alpha, fptrPixelPut4core put)
{
    sBGRA d{.all = dst.getColor(x, y)};
    const int32_t sx = x + dx, sy = y + dy;
    if (!ptInSize(sx, sy, src.width(), src.height()))
        return d.all;
    const SBlockPack &s = *src.seekBlock(sx, sy);
    if (s.commit ? d.A != 0 : s.bgCol.A != 0)
        put(&d, src.getColor(sx, sy), alpha);
    return d.all;
}

void expectClipEverywhere(const CBlockVMTC &before, const CBlockVMTC &after, const CBlockVMTC &src,
                          int32_t dx, int32_t dy, uint32_t alpha, fptrPixelPut4core put)
{
    for (int32_t y = 0; y < after.height(); ++y)
        for (int32_t x = 0; x < after.width(); ++x)
            ASSERT_EQ(after.getColor(x, y), expectedClip(before, src, x, y, dx, dy, alpha, put))
                << x << "," << y;
}

void opaqueUniform(CBlockVMTC &img, const sBox &box, uint32_t rgb)
{
    ASSERT_TRUE(img.fillImage(box, rgb));
    ASSERT_TRUE(img.setAlpha(box, 255));
}

} // namespace

TEST(ClipBltTo, FourSourceBlocksAtSignedOffsets)
{
    std::mt19937 rng(6);
    const uint32_t c2 = 0x00406080;
    // Source 128 x 72 (the last block row cut to 8 rows).
    CBlockVMTC src(128, 72);
    opaqueUniform(src, {0, 0, 64, 72}, c2);
    scribble(src, {3, 5, 20, 20}, rng); // block (0, 0): committed, its bgCol still c2
    // Destination 96 x 64.
    CBlockVMTC dst(96, 64);
    scribble(dst, {32, 0, 32, 32}, rng); // block (1, 0): committed, random alpha
    opaqueUniform(dst, {64, 0, 32, 32}, 0x112233);
    opaqueUniform(dst, {64, 32, 32, 32}, 0x445566);
    const CBlockVMTC before(dst);

    // Destination pixel (x, y) meets source pixel (x - 40, y + 8): block j meets source blocks
    // j - 2 (from column 24) and j - 1 (columns 0 to 23, at destination column 8), each with the
    // row below.
    const sBox dstBox{0, 0, 96, 64}, srcBox{-40, 8, 128, 72};
    ASSERT_TRUE(dst.clipBltTo(src, dstBox, srcBox, 200, pixelPutSrcAlpha));
    expectClipEverywhere(before, dst, src, -40, 8, 200, pixelPutSrcAlpha);

    // Block (2, 1) meets four uniform source blocks of one colour: only its colour changed.
    // Block (2, 0) meets the committed block whose bgCol is that colour too: its strokes count.
    EXPECT_FALSE(dst.seekBlock(64, 32, false)->commit);
    EXPECT_TRUE(dst.seekBlock(64, 0, false)->commit);
    // No source for block column 0: untouched and uncommitted.
    EXPECT_FALSE(dst.seekBlock(0, 0, false)->commit);

    EXPECT_FALSE(dst.clipBltTo(CBlockVMTC(0, 0), dstBox, srcBox, 200, pixelPutSrcAlpha));
}

TEST(ClipBltTo, NarrowImagesAndOffsetsOfEitherSign)
{
    struct Case
    {
        int32_t w, h, dx, dy;
    };
    for (const Case &c :
         {Case{20, 20, 0, 0}, Case{20, 20, 3, -5}, Case{50, 40, -33, 31}, Case{70, 33, 32, -32}}) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " offset " << c.dx << "," << c.dy);
        std::mt19937 rng(uint32_t(c.w * 1000 + c.dx));
        CBlockVMTC src(c.w, c.h), dst(c.w, c.h);
        scribble(src, {0, 0, c.w, c.h}, rng);
        scribble(dst, {0, 0, c.w, c.h}, rng);
        const CBlockVMTC before(dst);
        const fptrPixelPut4core put = getBlendModeRow(LM_MUL)->fnPutA;
        ASSERT_TRUE(
            dst.clipBltTo(src, {10, 10, c.w, c.h}, {10 + c.dx, 10 + c.dy, c.w, c.h}, 255, put));
        expectClipEverywhere(before, dst, src, c.dx, c.dy, 255, put);
    }
}

TEST(ClipBltTo, BlockToBlockChecks)
{
    CBlockVMTC dst(64, 32), src(64, 32);
    SBlockPack &d0 = *dst.seekBlock(0, 0, false);
    SBlockPack &d1 = *dst.seekBlock(32, 0, false);
    const SBlockPack &s0 = *src.seekBlock(0, 0);
    EXPECT_FALSE(dst.clipBltBlkToBlkCheckAndBlt(d0, s0, {0, 0}, {0, 0, 32, 32}, 255,
                                                pixelPutSrcAlpha)); // both transparent

    opaqueUniform(src, {0, 0, 64, 32}, 0x0000FF);
    opaqueUniform(dst, {0, 0, 64, 32}, 0xFF0000);
    // Both uniform, whole block at offset 0: only the colour.
    EXPECT_TRUE(
        dst.clipBltBlkToBlkCheckAndBlt(d0, s0, {0, 0}, {0, 0, 32, 32}, 255, pixelPutSrcAlpha));
    EXPECT_FALSE(d0.commit);
    EXPECT_EQ(d0.bgCol.all, 0xFF0000FFu);
    // A part: committed, every pixel of the part.
    EXPECT_TRUE(
        dst.clipBltBlkToBlkCheckAndBlt(d1, s0, {30, 0}, {0, 0, 32, 32}, 255, pixelPutSrcAlpha));
    EXPECT_TRUE(d1.commit);
    EXPECT_EQ(dst.getColor(61, 5), 0xFFFF0000u);
    EXPECT_EQ(dst.getColor(62, 5), 0xFF0000FFu);
    EXPECT_EQ(dst.getColor(63, 31), 0xFF0000FFu);
}
