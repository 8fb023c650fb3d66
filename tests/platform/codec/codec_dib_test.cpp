#include "platform/codec_test_support.h"

#include <gtest/gtest.h>

using namespace codec;
using namespace codec::test;

TEST(CodecDib, Conv32WritesTopDownRowsWithOpaqueAlphaFor24Bits)
{
    CodecImage img;
    ASSERT_EQ(makeDib(img, 2, 2, 24, 0, 0), CodecStatus::Nothing);
    const uint8_t bottom[] = {1, 2, 3, 4, 5, 6}, top[] = {7, 8, 9, 10, 11, 12};
    std::memcpy(img.bits.data(), bottom, 6); // stored first: the bottom row
    std::memcpy(img.bits.data() + 8, top, 6);
    std::vector<uint8_t> dst(16, 0xEE);
    ASSERT_EQ(bmpConv32(img.info, img.bits, 2, 2, dst), CodecStatus::Nothing);
    const std::vector<uint8_t> expected = {7, 8, 9, 255, 10, 11, 12, 255,
                                           1, 2, 3, 255, 4,  5,  6,  255};
    EXPECT_EQ(dst, expected);
}

TEST(CodecDib, Conv32RefusesSizesThatDoNotAgree)
{
    CodecImage img = patternDib(3, 2, 32);
    std::vector<uint8_t> dst(3 * 2 * 4);
    EXPECT_EQ(bmpConv32(img.info, img.bits, 2, 2, dst), CodecStatus::Param);
    EXPECT_EQ(bmpConv32(img.info, img.bits, 3, 2, std::span(dst).first(20)),
              CodecStatus::Param);
    EXPECT_EQ(bmpConv32(img.info, std::span(img.bits).first(12), 3, 2, dst), CodecStatus::Param);
    img.info.biBitCount = 16;
    EXPECT_EQ(bmpConv32(img.info, img.bits, 3, 2, dst), CodecStatus::Param);
}

TEST(CodecDib, MakeDibRefusesSidesOutsideTheLimit)
{
    CodecImage img;
    EXPECT_EQ(makeDib(img, 10001, 1, 24, 0, 0), CodecStatus::Range);
    EXPECT_EQ(makeDib(img, 1, 0, 24, 0, 0), CodecStatus::Range);
    EXPECT_EQ(makeDib(img, 10000, 1, 32, 0, 0), CodecStatus::Nothing);
    EXPECT_EQ(img.bits.size(), 40000u);
}

TEST(CodecDib, ResolutionConversionsRoundTripCommonFigures)
{
    EXPECT_EQ(dpiFromPelsPerMeter(2835), 72);
    EXPECT_EQ(dpiFromPelsPerMeter(3780), 96);
    EXPECT_EQ(pelsPerMeterFromDpi(72), 2835);
    EXPECT_EQ(pelsPerMeterFromDpi(96), 3780);
    for (int dpi : {1, 72, 96, 150, 300, 350, 600, 1200, 2400})
        EXPECT_EQ(dpiFromPelsPerMeter(pelsPerMeterFromDpi(dpi)), dpi);
    EXPECT_EQ(dpiFromPelsPerMeter(0), 0);
}
