#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/pixel/layer_mix.h"

#include "core/image_test_support.h"
#include "platform/system/debug_output.h"

#include <gtest/gtest.h>

TEST(CanvasStorage, RowsRunTopDownThroughTheRowTable)
{
    TMTC tc(3, 2);
    ASSERT_TRUE(tc.isEnable());
    EXPECT_TRUE(tc.isTopDown());
    EXPECT_EQ(tc.getSkipLineSize(), 3);
    EXPECT_EQ(tc.getImageDataBytes(), 24u);
    EXPECT_EQ(tc.seek(0, 0), tc.buffer());
    EXPECT_EQ(static_cast<uint8_t *>(tc.seek(1, 1)), tc.buffer() + 12 + 4);
    EXPECT_EQ(tc.seekInside(-5, 9), tc.seek(0, 1));
}

TEST(CanvasStorage, ResizeKeepsABlockOfTheSameByteSize)
{
    TMTC tc;
    numberCanvas(tc, 4, 8);
    const uint8_t *block = tc.buffer();
    const std::vector<uint32_t> before = canvasPixels(tc);
    ASSERT_TRUE(tc.Resize(8, 4));
    EXPECT_EQ(tc.buffer(), block);
    EXPECT_EQ(canvasPixels(tc), before); // the same bytes read in the new layout
    ASSERT_TRUE(tc.Resize(8, 4));        // same size: kept as it is
    EXPECT_EQ(canvasPixels(tc), before);
}

TEST(CanvasStorage, EmptyAndImpossibleSizes)
{
    TMTC empty;
    EXPECT_FALSE(empty.isEnable());
    EXPECT_FALSE(dibIsEnable(&empty));
    EXPECT_FALSE(dibIsEnable(nullptr));
    EXPECT_EQ(empty.PixelGet(3, 3), 0u);
    sBox box{0, 0, 5, 5};
    EXPECT_FALSE(empty.fillBox(box, 0xFFFFFFFF));

    TMTC tc(2, 2);
    EXPECT_TRUE(tc.Resize(0, 0));
    EXPECT_FALSE(tc.isEnable());
    // A size whose bytes do not fit the row table, or a negative one, fails and leaves the
    // canvas empty rather than half-made.
    QStringList lines;
    const DebugSink old = setDebugSink([&lines](const QString &t) { lines << t; });
    for (auto [w, h] : {std::pair{-1, 4}, {4, -1}, {50000, 50000}}) {
        TMTC t(2, 2);
        EXPECT_FALSE(t.Resize(w, h)) << w << " x " << h;
        EXPECT_FALSE(t.isEnable());
        EXPECT_EQ(t.FPSZ(), (sSize{0, 0}));
    }
    TChannel ch;
    EXPECT_FALSE(ch.Resize(70000, 70000));
    setDebugSink(old);
    EXPECT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.front(), "TMTC::Resize: caught an exception!\n");
    EXPECT_EQ(lines.back(), "TChannel::Resize: caught an exception!\n");
}

TEST(CanvasAccess, ClampedReadsAndSums)
{
    TMTC tc;
    fillCanvas(tc, 2, 1, {0xFF0A141E, 0x80C86432});
    EXPECT_EQ(tc.PixelGet(-3, 7), 0xFF0A141Eu);
    EXPECT_EQ(tc.PixelGet(9, 0), 0x80C86432u);
    EXPECT_EQ(tc.PixelGetY(1, 0), (200 * 19595u + 100 * 38469u + 50 * 7472u) >> 16);
    sdRGBA sum{};
    tc.sumPixel(0, 0, sum);
    tc.sumPixel(5, 5, sum);
    EXPECT_EQ(sum.r, 10u + 200u);
    EXPECT_EQ(sum.b, 30u + 50u);
    EXPECT_EQ(sum.a, 0u);
    // Flattened onto white by the pixel's alpha 128: (255 * 127 + 200 * 128) div 255.
    sdRGBA flat{};
    tc.sumAlphaPixel(1, 0, sBGRA{.all = 0xFFFFFFFF}, flat);
    EXPECT_EQ(flat.r, (255u * 127 + 200u * 128) / 255);
    EXPECT_FALSE(tc.setColor(2, 0, 0, 255));
    EXPECT_TRUE(tc.setColor(0, 0, 0x000000FF, 255));
    EXPECT_EQ(tc.getColor(0, 0), 0xFF0000FFu); // colour put, alpha kept
}

TEST(CanvasFill, BoxesAreClippedInPlace)
{
    TMTC tc(4, 4);
    tc.fillAll(0);
    sBox partly{2, -1, 5, 2};
    EXPECT_TRUE(tc.fillBox(partly, 0x11223344));
    EXPECT_EQ(partly, (sBox{2, 0, 2, 1}));
    EXPECT_EQ(tc.getColor(3, 0), 0x11223344u);
    EXPECT_EQ(tc.getColor(2, 1), 0u);

    const std::vector<uint32_t> before = canvasPixels(tc);
    sBox outside{4, 0, 3, 3};
    EXPECT_FALSE(tc.fillBox(outside, 0xFFFFFFFF));
    sBox outside2{-5, 0, 5, 3};
    EXPECT_FALSE(tc.fillBox(outside2, 0xFFFFFFFF, 255));
    EXPECT_FALSE(tc.fillBoxC({0, 4, 4, 4}, 0xFFFFFFFF));
    EXPECT_EQ(canvasPixels(tc), before);
}

TEST(CanvasFill, MasksAlphaAndFlattening)
{
    TMTC tc;
    fillCanvas(tc, 3, 1, {0xFF102030, 0x8064C800, 0x00FFFFFF});
    tc.fillImageAll(0x00ABCDEF);
    EXPECT_EQ(canvasPixels(tc), (std::vector<uint32_t>{0xFFABCDEF, 0x80ABCDEF, 0x00ABCDEF}));

    fillCanvas(tc, 3, 1, {0xFF102030, 0x80C86400, 0x00FFFFFF});
    tc.convert32to24(0x00649600);
    // Opaque pixels stay bit for bit; c := bg + (c - bg) * a div 255, truncating towards zero.
    EXPECT_EQ(tc.getColor(0, 0), 0xFF102030u);
    const sBGRA half{.all = tc.getColor(1, 0)};
    EXPECT_EQ(half.R, 0x64 + (0xC8 - 0x64) * 0x80 / 255);
    EXPECT_EQ(half.G, 0x96 + (0x64 - 0x96) * 0x80 / 255); // a negative step truncates up
    EXPECT_EQ(half.A, 255);
    EXPECT_EQ(tc.getColor(2, 0), 0xFF649600u);

    tc.setAlphaAll(7);
    EXPECT_EQ(tc.getColor(0, 0), 0x07102030u);
    tc.AlphaClear();
    tc.FilterNot();
    EXPECT_EQ(tc.getColor(0, 0), 0x00EFDFCFu);
}

TEST(CanvasFill, MixInvFillPutsThePixelOverTheColour)
{
    TMTC tc;
    fillCanvas(tc, 2, 1, {0xFF0000FF, 0x800000FF});
    sRect r{-1, -1, 9, 9};
    EXPECT_TRUE(tc.mixInvFill(r, 0x40FF0000));
    EXPECT_EQ(r, (sRect{0, 0, 2, 1}));
    EXPECT_EQ(tc.getColor(0, 0), 0xFF0000FFu);
    const sBGRA p{.all = tc.getColor(1, 0)};
    EXPECT_EQ(p.A, 0x40); // the colour's alpha
    EXPECT_EQ(p.B, mix255(255, 0, 128));
    EXPECT_EQ(p.R, mix255(0, 255, 128));
}

TEST(CanvasBlit, BltExAtOpacityZeroHalfAndFull)
{
    TMTC src, dst;
    fillCanvas(src, 1, 1, {0x32006496}); // alpha 0x32
    for (uint32_t a : {0u, 128u, 255u}) {
        fillCanvas(dst, 1, 1, {0xFFC86400});
        const bool wrote = src.bltEx(dst, 0, 0, a);
        const sBGRA d{.all = dst.getColor(0, 0)};
        if (a == 0) {
            EXPECT_FALSE(wrote);
            EXPECT_EQ(d.all, 0xFFC86400u);
        } else if (a == 255) {
            EXPECT_EQ(d.all, 0x32006496u); // a plain copy, alpha included
        } else {
            EXPECT_EQ(d.A, 0xFF); // destination alpha kept
            EXPECT_EQ(d.B, mix255(0x96, 0x00, 128));
            EXPECT_EQ(d.G, mix255(0x64, 0x64, 128));
            EXPECT_EQ(d.R, mix255(0x00, 0xC8, 128));
        }
    }
}

TEST(CanvasBlit, TwoImageClippingMovesBothSides)
{
    TMTC src, dst(4, 4);
    numberCanvas(src, 5, 5);
    dst.fillAll(0);
    // Source box from (-1, 1): its first column does not exist, so the copy lands one to the
    // right; the destination cuts what passes its right edge.
    EXPECT_TRUE(dst.copyArea(src, {2, 0}, {-1, 1, 4, 2}));
    EXPECT_EQ(dst.getColor(2, 0), 0u);
    EXPECT_EQ(dst.getColor(3, 0), src.getColor(0, 1));
    EXPECT_EQ(dst.getColor(3, 1), src.getColor(0, 2));
    EXPECT_FALSE(dst.copyArea(src, {4, 0}, {0, 0, 5, 5}));
    EXPECT_FALSE(src.bltPartEx2(dst, {0, 0}, {5, 0, 1, 1}, 255, pixelPutAlpha));
}

TEST(CanvasBlit, CopyWithinOneCanvasKeepsOverlappingRows)
{
    TMTC tc, ref;
    numberCanvas(tc, 3, 4);
    numberCanvas(ref, 3, 4);
    EXPECT_TRUE(tc.copyArea(tc, {0, 1}, {0, 0, 3, 3}));
    for (int y = 1; y < 4; ++y)
        EXPECT_EQ(tc.getColor(1, y), ref.getColor(1, y - 1)) << y;
}

TEST(CanvasBlit, KeyColourAndLineBlits)
{
    TMTC src, dst(2, 1);
    fillCanvas(src, 2, 1, {0x00FF00FF, 0xFF123456});
    dst.fillAll(0xFF000000);
    EXPECT_TRUE(dst.bltWithKey(src, 0, 0, 0xAAFF00FF, 255)); // key compared without alpha
    EXPECT_EQ(canvasPixels(dst), (std::vector<uint32_t>{0xFF000000, 0xFF123456}));

    static int rows;
    rows = 0;
    auto line = [](sBGRA *d, const sBGRA *s, int32_t w, uint32_t) {
        ++rows;
        std::copy(s, s + w, d);
    };
    TMTC big(3, 3);
    EXPECT_TRUE(big.bltPartEx(dst, 0, 0, 3, 3, 1, 0, 255, line));
    EXPECT_EQ(rows, 1); // clipped to one row of one pixel
    EXPECT_FALSE(big.bltPartEx(dst, 0, 0, 3, 3, 0, 0, 0, line));
}

TEST(CanvasBlit, ChannelsAsGreyAndAsOpacity)
{
    TChannel ch;
    drawMask(ch, {".#5"});
    TMTC tc(3, 1);
    tc.fillAll(0x12345678);
    EXPECT_TRUE(tc.copyArea(ch, {0, 0}, {0, 0, 3, 1}));
    EXPECT_EQ(canvasPixels(tc), (std::vector<uint32_t>{0, 0xFFFFFFFF, 0xFF8C8C8C}));

    tc.fillAll(0xFF000000);
    EXPECT_TRUE(tc.copyArea(ch, {0, 0}, {0, 0, 3, 1}, 0x00FFFFFF, pixelPutAlpha));
    EXPECT_EQ(canvasPixels(tc), (std::vector<uint32_t>{0xFF000000, 0xFFFFFFFF, 0xFF8C8C8C}));

    TChannel grey(3, 1);
    fillCanvas(tc, 3, 1, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF});
    tc.makeGrayChannel(grey);
    EXPECT_EQ(channelRows(grey), (std::vector<std::string>{"4C 95 1D"})); // 76, 149, 29
}

TEST(CanvasMix, SourceOpacityZeroAndTheDestinationFade)
{
    TMTC dst, src;
    fillCanvas(src, 1, 1, {0xFF0000FF});
    fillCanvas(dst, 1, 1, {0xFFFF0000});
    EXPECT_FALSE(dst.mixWith(src, {0, 0}, {0, 0, 1, 1}, 255, 0, pixelPutAlpha));
    EXPECT_EQ(dst.getColor(0, 0), 0xFFFF0000u);

    // The lower image's alpha is faded first (255 * 128 / 255), then the source is put.
    EXPECT_TRUE(dst.mixWith(src, {0, 0}, {0, 0, 1, 1}, 128, 255, pixelPutAlpha));
    EXPECT_EQ(dst.getColor(0, 0), 0x800000FFu);
    sBox box{0, 0, 1, 1};
    EXPECT_TRUE(dst.mixFill(box, 0xFF00FF00, 0, 255, pixelPutAlpha));
    EXPECT_EQ(dst.getColor(0, 0), 0x0000FF00u);

    const sTCMixParam normal{
        .c0 = {.all = 0}, .flags = 0, .fnPut1 = pixelPutAlpha, .fnPut2 = pixelPutAlpha};
    fillCanvas(dst, 1, 1, {0x00000000});
    EXPECT_TRUE(dst.mixWithEx(src, {0, 0}, {0, 0, 1, 1}, 255, 255, normal));
    EXPECT_EQ(dst.getColor(0, 0), 0xFF0000FFu);
    fillCanvas(dst, 1, 1, {0x00123456});
    fillCanvas(src, 1, 1, {0x00ABCDEF});
    EXPECT_TRUE(dst.mixWithEx(src, {0, 0}, {0, 0, 1, 1}, 255, 255, normal));
    EXPECT_EQ(dst.getColor(0, 0), 0x00123456u);
}

TEST(CanvasBounds, FindRectOfVisiblePixels)
{
    TMTC tc(6, 5);
    tc.fillAll(0x00FFFFFF);
    sRect r{1, 2, 3, 4};
    EXPECT_FALSE(tc.findRect(r));
    EXPECT_EQ(r, (sRect{1, 2, 3, 4}));
    tc.seek32(4, 3)->A = 1;
    ASSERT_TRUE(tc.findRect(r));
    EXPECT_EQ(r, (sRect{4, 3, 5, 4}));
    tc.seek32(1, 1)->A = 9;
    ASSERT_TRUE(tc.findRect(r));
    EXPECT_EQ(r, (sRect{1, 1, 5, 4}));
}

TEST(CanvasCopy, ImagesComeInWithTheirFourthByte)
{
    QImage img(3, 2, QImage::Format_ARGB32);
    img.fill(0x40102030);
    img.setPixel(2, 1, 0x80A0B0C0);
    TMTC fromImage(img); // construction makes every pixel opaque
    EXPECT_EQ(fromImage.FPSZ(), (sSize{3, 2}));
    EXPECT_EQ(fromImage.getColor(2, 1), 0xFFA0B0C0u);
    EXPECT_EQ(fromImage.getColor(0, 0), 0xFF102030u);

    TMTC tc(2, 2);
    tc.fillAll(0);
    EXPECT_TRUE(tc.copyArea(img, {-1, 0}, {0, 0, 3, 2})); // the bytes as they are
    EXPECT_EQ(tc.getColor(1, 1), 0x80A0B0C0u);
    EXPECT_EQ(tc.getColor(0, 0), 0x40102030u);
    EXPECT_FALSE(tc.copyArea(QImage(), {0, 0}, {0, 0, 1, 1}));
}

TEST(CanvasBlit, TheNamedBlendsAndTheVersionOneBlits)
{
    TMTC src, dst;
    fillCanvas(src, 1, 1, {0x00C86432});
    const auto once = [&](auto blit) {
        fillCanvas(dst, 1, 1, {0xFF646464});
        blit();
        return dst.getColor(0, 0);
    };
    auto expectPut = [&](fptrPixelPut4core put, uint32_t got) {
        sBGRA want{.all = 0xFF646464};
        put(&want, 0x00C86432, 200);
        EXPECT_EQ(got, want.all);
    };
    expectPut(pixelPutMul, once([&] { src.BltMul(dst, 0, 0, 200); }));
    expectPut(pixelPutAdd, once([&] { src.BltAdd(dst, 0, 0, 200); }));
    expectPut(pixelPutSub, once([&] { src.BltSub(dst, 0, 0, 200); }));
    expectPut(pixelPutDiff, once([&] { src.qz11_Blt(dst, 0, 0, 200); }));
    EXPECT_EQ(once([&] { src.qz11_Blt(dst, 0, 0, 255); }), 0x00C86432u); // a plain copy
    EXPECT_EQ(once([&] { src.qz11_Blt(dst, 0, 0, 0); }), 0xFF646464u);
    expectPut(pixelPutDiff, once([&] { dst.qz11_BltFill(-3, -3, 9, 9, 0x00C86432, 200); }));

    sBox box{0, 0, 1, 1};
    fillCanvas(dst, 1, 1, {0xFF646464});
    EXPECT_TRUE(dst.maskImage(box, 0x0000FF00, 0x12345678));
    EXPECT_EQ(dst.getColor(0, 0), 0xFF645664u);
}
