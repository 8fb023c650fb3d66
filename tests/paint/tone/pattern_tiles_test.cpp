#include "paint/tone/pattern_tiles.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"

#include <gtest/gtest.h>

namespace {

// A w x h pattern whose byte at (x, y) is 16 y + x.
std::unique_ptr<CPat8> rampPattern(int32_t w, int32_t h)
{
    auto pat = std::make_unique<CPat8>(w, h, kPatFlagAlpha);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            *pat->memCH->seek8(x, y) = uint8_t(16 * y + x);
        }
    }
    pat->setEnable(true);
    return pat;
}

SToneAttr toneAttrOf(int32_t shape, float dpi, float line, float percent, float degree,
                     int32_t band)
{
    SToneAttr a;
    initToneAttr(a);
    a.pattern = shape;
    a.dpi = dpi;
    a.line = line;
    a.percent = percent;
    a.degree = degree;
    a.band = band;
    return a;
}

} // namespace

TEST(PatternTile, ValuesWrapAroundThePatternWithItsOffset)
{
    auto pat = rampPattern(4, 3);
    EXPECT_EQ(pat->getValue(1, 2), 33);
    EXPECT_EQ(pat->getValue(-1, -1), 16 * 2 + 3); // the far side
    EXPECT_EQ(pat->getValue(5, 7), 16 * 1 + 1);
    pat->ofs = {1, -1};
    EXPECT_EQ(pat->getValue(0, 0), 16 * 2 + 1); // (0 + 1, 0 - 1) wrapped
    pat->ofs = {-2147483647, 2147483647};       // offsets from a file: no overflow
    EXPECT_EQ(pat->getValue(0, 0), pat->getValue(4, 3));
    pat->Fnega = true;
    pat->ofs = {};
    EXPECT_EQ(pat->getValue(1, 2), 255 - 33);
}

TEST(PatternTile, IdentityEnableAndCopies)
{
    CPat8 empty(0, 0, 0);
    EXPECT_FALSE(empty.setEnable(true)); // no image: stays disabled
    EXPECT_FALSE(empty.enable);
    EXPECT_EQ(empty.getValue(3, 3), 0);
    EXPECT_EQ(empty.getZoomRange(), (sRange{100, 100}));

    auto pat = rampPattern(64, 32);
    pat->zoom = 50;
    pat->Fnega = true;
    pat->setName("dots");
    EXPECT_TRUE(pat->enable);
    EXPECT_EQ(pat->getZoomRange(), (sRange{31, 200})); // 1000 div 32
    const int32_t id = pat->id();
    EXPECT_EQ(pat->setNewID(), id);
    EXPECT_GT(pat->id(), id);

    CPat8 copy(*pat);
    EXPECT_NE(copy.id(), pat->id());
    EXPECT_EQ(copy.name(), "dots");
    EXPECT_EQ(copy.zoom, 50);
    EXPECT_TRUE(copy.Fnega);
    EXPECT_EQ(copy.getValue(5, 9), pat->getValue(5, 9));
    EXPECT_NE(copy.channel(), pat->channel());
}

TEST(PatternTile, UpdateTakesTheChannelsSize)
{
    CPat8 pat(8, 8, 0);
    TChannel ch(3, 5);
    ch.PixelFill(200);
    EXPECT_TRUE(pat.update(ch));
    EXPECT_EQ(pat.size, (sSize{3, 5}));
    EXPECT_EQ(pat.getValue(-1, 9), 200);
}

TEST(PatternTile, NextScreenToneWrapsAtThePatternWidth)
{
    auto pat = rampPattern(3, 2);
    auto *p = static_cast<uint8_t *>(pat->seekPattern(1, 1));
    int32_t x = 1;
    const uint8_t expected[] = {17, 18, 16, 17, 18, 16};
    for (const uint8_t e : expected) {
        EXPECT_EQ(*p, e);
        pat->nextScreenTone(p, x);
    }
}

TEST(PatternTile, DrawingWritesInvertedGreyAndKeepsAlpha)
{
    auto pat = rampPattern(4, 3);
    TMTC tc(10, 7);
    tc.PixelFill(0x7F000000);
    pat->drawImage(tc, {8, 5, 4, 3}); // clipped to 2 x 2 at the canvas corner
    EXPECT_EQ(tc.getColor(8, 5), 0x7FFFFFFFu);
    EXPECT_EQ(tc.getColor(9, 6), 0x7F000000u | (255u - 17) * 0x010101u);
    EXPECT_EQ(tc.getColor(7, 5), 0x7F000000u);

    tc.PixelFill(0x7F000000);
    pat->drawImageRepeat(tc, {1, 1, 9, 6});
    for (int32_t y = 1; y < 7; ++y) {
        for (int32_t x = 1; x < 10; ++x) {
            const uint32_t v = 16 * ((y - 1) % 3) + (x - 1) % 4;
            ASSERT_EQ(tc.getColor(x, y), 0x7F000000u | (255 - v) * 0x010101u) << x << ", " << y;
        }
    }
    EXPECT_EQ(tc.getColor(0, 0), 0x7F000000u);
}

TEST(ToneTile, CreationAndZoomRange)
{
    CPat8Tone tone;
    EXPECT_EQ(tone.objType, potTone);
    EXPECT_EQ(tone.flags, 18);
    EXPECT_EQ(tone.size, (sSize{64, 64}));
    EXPECT_FALSE(tone.enable);
    EXPECT_EQ(tone.getOfsSize(), (sSize{64, 64}));
    EXPECT_EQ(tone.getValue(0, 0), 0); // no maker

    // Pitch 5 (300 dpi at 60 lines): zooms 70..2550 keep the pitch within 3.5..127.5 pixels.
    tone.toneAttr = toneAttrOf(tptRound, 300, 60, 30, 0, 0);
    EXPECT_EQ(tone.getZoomRange(), (sRange{70, 2550}));
    tone.toneAttr.line = 0; // no tone: no division by it either
    EXPECT_EQ(tone.getZoomRange(), (sRange{100, 100}));
}

TEST(ToneTile, BuildWithTheMakerFillsTheStoredTile)
{
    auto maker = std::make_shared<CToneMaker>();
    CPat8Tone tone;
    const SToneAttr attr = toneAttrOf(tptRound, 320, 40, 30, 15, 5); // pitch 8
    ASSERT_TRUE(tone.build(&attr, maker, true, nullptr));
    EXPECT_TRUE(tone.enable);
    EXPECT_FALSE(tone.ownMaker);
    EXPECT_EQ(tone.toneAttr, attr);
    EXPECT_NEAR(maker->d, 8, 0.01); // fitted at 15 degrees
    EXPECT_EQ(tone.getOfsSize(), (sSize{100, 100}));
    for (int32_t y = 0; y < 64; y += 7) {
        for (int32_t x = 0; x < 64; x += 5) {
            EXPECT_EQ(tone.channel()->getColor(x, y), maker->getTone(x, y));
        }
    }
    tone.ofs = {3, 2};
    EXPECT_EQ(tone.getValue(10, 10), maker->getTone(7, 8));
    tone.Fnega = true;
    EXPECT_EQ(tone.getValue(10, 10), 255 - maker->getTone(7, 8));

    EXPECT_FALSE(tone.build(nullptr, maker, true, nullptr));
    SToneAttr bad = attr;
    bad.dpi = 0;
    EXPECT_FALSE(tone.build(&bad, maker, true, nullptr));
    bad = attr;
    bad.line = 100; // pitch 3.2 fits; 2 does not
    bad.dpi = 200;
    EXPECT_FALSE(tone.build(&bad, maker, true, nullptr));
}

TEST(ToneTile, BuildWithAChannelKeepsItAndLeavesTheMaker)
{
    auto maker = std::make_shared<CToneMaker>();
    TChannel ch(20, 12);
    ch.PixelFill(77);
    CPat8Tone tone;
    const SToneAttr attr = toneAttrOf(tptLine, 300, 50, 40, 0, 0);
    ASSERT_TRUE(tone.build(&attr, maker, false, &ch));
    EXPECT_FALSE(maker->hasTile()); // the file's tile is kept; the maker is not run
    EXPECT_EQ(tone.size, (sSize{20, 12}));
    EXPECT_EQ(tone.channel()->getColor(19, 11), 77);
    EXPECT_EQ(tone.toneAttr, attr);

    // Without a maker given, the tone makes its own.
    CPat8Tone own;
    ASSERT_TRUE(own.build(&attr, nullptr, true, nullptr));
    EXPECT_TRUE(own.ownMaker);
    EXPECT_NE(own.maker(), maker.get());
}

TEST(ToneTile, CopiesShareOrOwnTheMakerAsTheSourceDoes)
{
    auto shared = std::make_shared<CToneMaker>();
    const SToneAttr attr = toneAttrOf(tptCosDot, 360, 40, 50, 30, 0); // pitch 9
    CPat8Tone a;
    ASSERT_TRUE(a.build(&attr, shared, true, nullptr));
    CPat8Tone copyA(a);
    EXPECT_EQ(copyA.maker(), shared.get());
    EXPECT_FALSE(copyA.ownMaker);
    EXPECT_NE(copyA.id(), a.id());

    CPat8Tone b;
    ASSERT_TRUE(b.build(&attr, nullptr, true, nullptr));
    CPat8Tone copyB(b);
    EXPECT_TRUE(copyB.ownMaker);
    EXPECT_NE(copyB.maker(), b.maker());
    EXPECT_EQ(copyB.getValue(13, -4), b.getValue(13, -4)); // its maker is built alike
}

TEST(ToneTile, DrawingFromTheMakerAndThePreview)
{
    auto maker = std::make_shared<CToneMaker>();
    CPat8Tone tone;
    const SToneAttr attr = toneAttrOf(tptSquare, 240, 40, 50, 0, 0); // pitch 6
    ASSERT_TRUE(tone.build(&attr, maker, true, nullptr));

    TMTC tc(30, 20);
    tc.PixelFill(0x40000000);
    tone.drawImageRepeat(tc, {-5, 2, 50, 10});
    for (int32_t x = 0; x < 30; ++x) {
        EXPECT_EQ(tc.getColor(x, 5), 0x40000000u | (255 - maker->getTone(x, 5)) * 0x010101u);
    }
    EXPECT_EQ(tc.getColor(0, 0), 0x40000000u);
    tone.drawImageWithOffset(tc, {0, 0, 1, 1}, 100, 200);
    EXPECT_EQ(tc.getColor(0, 0), 0x40000000u | (255 - maker->getTone(100, 200)) * 0x010101u);

    // The preview tiles the stored 64 x 64 tile and inverts it.
    TChannel ch(2, 2);
    *ch.seek8(0, 0) = 0;
    *ch.seek8(1, 0) = 100;
    *ch.seek8(0, 1) = 200;
    *ch.seek8(1, 1) = 255;
    CPat8Tone stored;
    ASSERT_TRUE(stored.build(&attr, maker, false, &ch));
    TMTC pv(5, 3);
    pv.PixelFill(0x12345678);
    stored.drawPreview(pv, {0, 0, 5, 3});
    EXPECT_EQ(pv.getColor(0, 0), 0x00FFFFFFu); // 0 is copied as the empty pixel
    EXPECT_EQ(pv.getColor(1, 0), 0xFF000000u | 155u * 0x010101u);
    EXPECT_EQ(pv.getColor(2, 1), 0xFF000000u | 55u * 0x010101u);
    EXPECT_EQ(pv.getColor(3, 2), 0xFF000000u | 155u * 0x010101u);

    tone.enable = false; // a disabled tone draws nothing
    tc.PixelFill(0x40000000);
    tone.drawImage(tc, {0, 0, 30, 20});
    EXPECT_EQ(tc.getColor(4, 4), 0x40000000u);
}
