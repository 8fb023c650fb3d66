#include "document/paper/layer_data.h"

#include "core/image/canvas.h"
#include "core/pixel/layer_mix.h"
#include "document/paper/layer_blend_table.h"
#include "support/fixed_clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

using enum TLayerMode;

std::unique_ptr<CLayerData> makeLayer(int32_t w, int32_t h, TLayerMode lm,
                                      const std::vector<uint32_t> &pixels = {})
{
    auto ld = std::make_unique<CLayerData>(0, false);
    EXPECT_TRUE(ld->createLayer(w, h, lm));
    for (size_t i = 0; i < pixels.size(); ++i)
        ld->imageTC->setPixel(int32_t(i) % w, int32_t(i) / w, pixels[i]);
    return ld;
}

std::vector<uint32_t> pixelsOf(const CLayerData &ld)
{
    std::vector<uint32_t> v;
    for (int32_t y = 0; y < ld.imageTC->height(); ++y)
        for (int32_t x = 0; x < ld.imageTC->width(); ++x)
            v.push_back(ld.imageTC->getColor(x, y));
    return v;
}

TEST(LayerData, NewLayersTakeConsecutiveIdentifiersThatAttributesNeverCarry)
{
    ScopedFixedClock clock(1234);
    CLayerData a(0, false), b(1, false);
    EXPECT_EQ(b.uniqueID, a.uniqueID + 1);
    EXPECT_NE(a.uniqueID, 0);
    EXPECT_EQ(a.dizRand.seed, 1234u); // the dither is seeded from the clock
    EXPECT_EQ(a.dizRand.range.min, 0);
    EXPECT_EQ(a.dizRand.range.max, 255);
    EXPECT_FALSE(a.visible);
    EXPECT_EQ(a.trans, 255);
    EXPECT_EQ(a.dither, 255);

    a.title = QStringLiteral("線画");
    a.visible = true;
    a.trans = 77;
    a.mode = LM_SCR;
    a.groupLevel = 3;
    a.linkIndex = 2;
    a.underLyrClip = true;
    a.ditherEnable = true;
    a.setDitherState(99);
    a.viewPos = {5, 6};
    b.copyAttr(a);
    EXPECT_EQ(b.title, a.title);
    EXPECT_TRUE(b.visible);
    EXPECT_EQ(b.trans, 77);
    EXPECT_EQ(b.mode, LM_SCR);
    EXPECT_EQ(b.groupLevel, 3);
    EXPECT_EQ(b.linkIndex, 2);
    EXPECT_TRUE(b.underLyrClip);
    EXPECT_TRUE(b.ditherEnable);
    EXPECT_EQ(b.dizRand.seed, 99u);
    EXPECT_EQ(b.uniqueID, a.uniqueID + 1);
    EXPECT_EQ(b.index, 1);
    EXPECT_EQ(b.viewPos, (sPos{0, 0}));
}

TEST(LayerData, GroupLevelStaysWithinZeroTo250)
{
    CLayerData ld(0, false);
    EXPECT_EQ(ld.setGroupLevel(300), 250);
    EXPECT_EQ(ld.addGroupLevel(1), 250);
    EXPECT_EQ(ld.setGroupLevel(-4), 0);
    EXPECT_EQ(ld.addGroupLevel(-1), 0);
    EXPECT_EQ(ld.setGroupLevel(7), 7);
}

TEST(LayerData, NewLayersAreFilledWithTheirModesBackground)
{
    struct Case
    {
        TLayerMode mode;
        uint32_t fill;
    };
    for (const Case c :
         {Case{LM_MUL, 0x00FFFFFF}, Case{LM_SCR, 0x00000000}, Case{LM_OVLY, 0x007F7F7F}}) {
        auto ld = makeLayer(40, 3, c.mode);
        EXPECT_EQ(ld->imageTC->getColor(0, 0), c.fill);
        EXPECT_EQ(ld->imageTC->getColor(39, 2), c.fill);
        EXPECT_TRUE(ld->visible);
        EXPECT_EQ(ld->viewSize, (sSize{40, 3}));
    }
    CLayerData bad(0, false);
    EXPECT_FALSE(bad.createLayer(0, 5, LM_STD));
    EXPECT_EQ(bad.imageTC, nullptr);
}

TEST(LayerData, PreviewKeepsThePaperAspectWithSidesOfAtLeastOne)
{
    auto wide = makeLayer(1000, 10, LM_STD);
    ASSERT_TRUE(wide->resizePreview(64, 64));
    EXPECT_EQ(wide->previewTC->FPSZ(), (sSize{64, 1}));
    auto tall = makeLayer(10, 40, LM_STD);
    ASSERT_TRUE(tall->resizePreview(64, 64));
    EXPECT_EQ(tall->previewTC->FPSZ(), (sSize{16, 64}));
    // A paper without size would divide by zero: its thumbnail is one pixel.
    tall->viewSize = {0, 0};
    ASSERT_TRUE(tall->resizePreview(64, 64));
    EXPECT_EQ(tall->previewTC->FPSZ(), (sSize{1, 1}));
}

TEST(LayerData, PreviewOfThePaperArea)
{
    auto ld = makeLayer(4, 4, LM_STD, std::vector<uint32_t>(16, 0xFF0000FF));
    ld->viewSize = {2, 2};
    ASSERT_TRUE(ld->resizePreview(2, 2));
    ld->updatePreview();
    EXPECT_EQ(ld->previewTC->getColor(1, 1), 0xFF0000FFu);
    ld->initPreview(false);
    EXPECT_EQ(ld->previewTC->getColor(0, 0), 0xFFFFFFFFu);
}

TEST(LayerData, MoveParallelPastTheEdgeAnswersFalseAndKeepsThePosition)
{
    auto ld = makeLayer(4, 4, LM_STD);
    ld->viewSize = {2, 2};
    ld->viewPos = {1, 1};
    EXPECT_TRUE(ld->hasExtendSize());
    EXPECT_TRUE(ld->moveParallel({1, 1}));
    EXPECT_EQ(ld->viewPos, (sPos{0, 0}));
    EXPECT_FALSE(ld->moveParallel({1, -3}));
    EXPECT_EQ(ld->viewPos, (sPos{-1, 3}));
    EXPECT_EQ(ld->getLayerRect(), (sRect{1, -3, 5, 1}));
    EXPECT_FALSE(ld->checkViewPos(true));
    EXPECT_EQ(ld->viewPos, (sPos{0, 2}));
    EXPECT_TRUE(ld->checkViewPos(false));
}

TEST(LayerData, CreateResizeLayerPlacesTheImageAndTakesOnlyTheMode)
{
    auto ld = makeLayer(2, 2, LM_SCR, {0xFF010203, 0xFF040506, 0x80070809, 0xFF0A0B0C});
    ld->index = 4;
    ld->viewPos = {1, 0};
    ld->viewSize = {2, 2};
    ld->title = QStringLiteral("a");
    ld->trans = 9;
    std::unique_ptr<CLayerData> big = ld->createResizeLayer({5, 3}, {2, 1});
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->imageTC->FPSZ(), (sSize{5, 3}));
    EXPECT_EQ(big->viewPos, (sPos{3, 1}));
    EXPECT_EQ(big->viewSize, (sSize{2, 2}));
    EXPECT_EQ(big->mode, LM_SCR);
    EXPECT_EQ(big->index, 4);
    EXPECT_NE(big->uniqueID, ld->uniqueID);
    EXPECT_TRUE(big->title.isEmpty());
    EXPECT_EQ(big->trans, 255);
    EXPECT_EQ(big->imageTC->getColor(2, 1), 0xFF010203u);
    EXPECT_EQ(big->imageTC->getColor(3, 2), 0xFF0A0B0Cu);
    EXPECT_EQ(big->imageTC->getColor(0, 0), 0x00000000u); // the mode's background
    EXPECT_EQ(ld->createResizeLayer({0, 0}, {0, 0}), nullptr);
}

TEST(LayerData, AlphaFillAndInversion)
{
    auto ld = makeLayer(2, 1, LM_STD, {0x40112233, 0x00445566});
    ASSERT_TRUE(ld->notAlpha());
    EXPECT_EQ(pixelsOf(*ld), (std::vector<uint32_t>{0xBF112233, 0xFF445566}));
    ASSERT_TRUE(ld->fillAlpha(0x10));
    EXPECT_EQ(pixelsOf(*ld), (std::vector<uint32_t>{0x10112233, 0x10445566}));
}

// The expected result of merging upper into lower pixel by pixel: the lower alpha faded by its
// opacity, then put.
std::vector<uint32_t> mergedByPut(const std::vector<uint32_t> &lower, uint8_t lowerTrans,
                                  const std::vector<uint32_t> &upper, uint8_t upperTrans,
                                  fptrPixelPut4core put)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < lower.size(); ++i) {
        sBGRA d{.all = lower[i]};
        d.A = uint8_t(mul255(d.A, lowerTrans));
        put(&d, upper[i], upperTrans);
        out.push_back(d.all);
    }
    return out;
}

std::vector<uint32_t> mergedByMix(const std::vector<uint32_t> &lower, uint8_t lowerTrans,
                                  const std::vector<uint32_t> &upper, uint8_t upperTrans,
                                  const sTCMixParam &mix)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < lower.size(); ++i) {
        sBGRA d{.all = lower[i]};
        d.A = uint8_t(mul255(d.A, lowerTrans));
        mixPixelEx(&d, upper[i], upperTrans, mix);
        out.push_back(d.all);
    }
    return out;
}

const std::vector<uint32_t> kLower = {0xFF102030, 0x80405060, 0x00000000, 0xFFF0E0D0};
const std::vector<uint32_t> kUpper = {0xFF808080, 0x40C0C0C0, 0xFF204060, 0x00000000};

TEST(LayerData, MixWithMergesByTheUpperModeAndLeavesFullOpacity)
{
    for (TLayerMode upper : {LM_MUL, LM_ADD, LM_STD, LM_SCR, LM_HUE}) {
        SCOPED_TRACE(int(upper));
        auto lo = makeLayer(4, 1, LM_STD, kLower);
        auto up = makeLayer(4, 1, upper, kUpper);
        lo->trans = 200;
        up->trans = 150;
        ASSERT_TRUE(lo->mixWith(*up));
        EXPECT_EQ(pixelsOf(*lo), mergedByPut(kLower, 200, kUpper, 150, getLayerMergeProc(upper)));
        EXPECT_EQ(lo->trans, 255);
    }
}

TEST(LayerData, MixWithExUsesSpecialPairsOnlyInsideTheVersionsCut)
{
    struct Case
    {
        TLayerMode lower, upper;
        uint32_t ver;
        fptrPixelPut4core pair; // nullptr: the mix of both rows
    };
    const Case cases[] = {
        {LM_MUL, LM_MUL, 0, pixelMergeMul}, // row 1, inside every cut
        {LM_STD, LM_MUL, 1, nullptr},       // row 3, outside the cut of version 1
        {LM_STD, LM_MUL, 2, pixelMergeMul}, // inside from version 2
        {LM_STD, LM_STD, 2, nullptr},       // row 5, outside
        {LM_STD, LM_STD, 3, pixelMergeStd}, // inside at version 3
        {LM_ADD, LM_ADD, 3, pixelMergeAdd},
        {LM_STD, LM_SCR, 0x10003, nullptr}, // never a pair; the high word adds mtfNopSrcTP
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.lower) << "/" << int(c.upper) << " v" << c.ver);
        auto lo = makeLayer(4, 1, c.lower, kLower);
        auto up = makeLayer(4, 1, c.upper, kUpper);
        lo->trans = 220;
        up->trans = 180;
        ASSERT_TRUE(lo->mixWithEx(*up, {0, 0}, {0, 0, 4, 1}, c.ver));
        std::vector<uint32_t> expected;
        if (c.pair) {
            expected = mergedByPut(kLower, 220, kUpper, 180, c.pair);
        } else {
            sTCMixParam mix;
            ASSERT_TRUE(makeLayerMixParam(c.lower, c.upper, (c.ver >> 16) & 1, mix));
            expected = mergedByMix(kLower, 220, kUpper, 180, mix);
        }
        EXPECT_EQ(pixelsOf(*lo), expected);
        EXPECT_EQ(lo->trans, 255);
    }
}

TEST(LayerData, MixWithExInvertsASubtractResultAndRefusesUnknownVersions)
{
    auto lo = makeLayer(4, 1, LM_SUB, kLower);
    auto up = makeLayer(4, 1, LM_SUB, kUpper);
    ASSERT_TRUE(lo->mixWithEx(*up, {0, 0}, {0, 0, 4, 1}, 0));
    std::vector<uint32_t> expected = mergedByPut(kLower, 255, kUpper, 255, pixelMergeAdd);
    for (uint32_t &p : expected)
        p ^= 0x00FFFFFF;
    EXPECT_EQ(pixelsOf(*lo), expected);

    auto lo2 = makeLayer(4, 1, LM_STD, kLower);
    lo2->trans = 100;
    EXPECT_FALSE(lo2->mixWithEx(*up, {0, 0}, {0, 0, 4, 1}, 4));
    EXPECT_EQ(pixelsOf(*lo2), kLower);
    EXPECT_EQ(lo2->trans, 100);
}

TEST(LayerData, ClipBltToLayerPutsOnlyWhereTheBaseHasAlpha)
{
    // The base's paper pixel x meets the clipped layer's pixel x + 1.
    auto base = makeLayer(4, 1, LM_STD, {0xFF000000, 0x00000000, 0x80000000, 0xFF101010});
    auto clip =
        makeLayer(5, 1, LM_STD, {0xFF0000AA, 0xFF0000BB, 0xFF0000CC, 0xFF0000DD, 0x00FFFFFF});
    clip->viewPos = {1, 0};
    ASSERT_TRUE(base->clipBltToLayer(*clip));
    EXPECT_EQ(pixelsOf(*base),
              (std::vector<uint32_t>{0xFF0000BB, 0x00000000, 0x800000DD, 0xFF101010}));
}

} // namespace
