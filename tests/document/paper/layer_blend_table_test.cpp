#include "document/paper/document_init.h"
#include "document/paper/layer_blend_table.h"

#include "core/image/canvas.h"
#include "paint/brush/user_blend_modes.h"
#include "paint/render/legacy_dabs.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using enum TLayerMode;

struct Row
{
    TLayerMode mode;
    const char16_t *name;
    uint32_t bg;
    fptrPixelPut4core fnPutA;
    fptrPixelPut4core fnPut;
    uint32_t c0;
    uint8_t flags;
};

// The table as the program's documentation gives it.
const std::array<Row, 22> kRows = {{
    {LM_MUL, u"乗算", 0x00FFFFFF, pixelPutMulA, pixelPutMul, 0x00FFFFFF, 0x20},
    {LM_ADD, u"加算", 0x00000000, pixelPutAddA, pixelPutAdd, 0x00000000, 0x20},
    {LM_SUB, u"減算", 0x00000000, pixelPutSubA, pixelPutSub, 0x00FFFFFF, 0x21},
    {LM_STD, u"標準", 0x00FFFFFF, pixelPutSrcAlpha, pixelPutAlpha, 0x00000000, 0x00},
    {LM_SCR, u"スクリーン", 0x00000000, putScreenA, putScreen, 0x00000000, 0x22},
    {LM_OVLY, u"オーバーレイ", 0x007F7F7F, putOverlayA, putOverlay, 0x007F7F7F, 0x26},
    {LM_HARDLIGHT, u"ハードライト", 0x007F7F7F, putHardLightA, putHardLight, 0x007F7F7F, 0x26},
    {LM_SOFTLIGHT, u"ソフトライト", 0x007F7F7F, putSoftLightA, putSoftLight, 0x007F7F7F, 0x26},
    {LM_DIF, u"差の絶対値", 0x00000000, putDifferenceA, putDifference, 0x00000000, 0x22},
    {LM_EXCLUSION, u"除外", 0x00000000, putExclusionA, putExclusion, 0x00000000, 0x22},
    {LM_DARK, u"比較(暗)", 0x00FFFFFF, putDarkenA, putDarken, 0x00FFFFFF, 0x22},
    {LM_LIGHT, u"比較(明)", 0x00000000, putLightenA, putLighten, 0x00000000, 0x22},
    {LM_BURN, u"焼き込み", 0x00FFFFFF, putBurnA, putBurn, 0x00FFFFFF, 0x22},
    {LM_DODGE, u"覆い焼き", 0x00000000, putDodgeA, putDodge, 0x00000000, 0x22},
    {LM_HUE, u"色相", 0x00000000, putHueA, putHue, 0x00FFFFFF, 0x1A},
    {LM_SATURATION, u"彩度", 0x00000000, putSaturationA, putSaturation, 0x00FFFFFF, 0x1A},
    {LM_COLOR, u"カラー", 0x00000000, putColorA, putColor, 0x00FFFFFF, 0x1A},
    {LM_LUMINOSITY, u"輝度", 0x00000000, putLuminosityA, putLuminosity, 0x00FFFFFF, 0x1A},
    {LM_SUBNEG, u"減算(ネガ)", 0x00FFFFFF, putSubNegA, putSubNeg, 0x00FFFFFF, 0x20},
    {LM_LINEARLIGHT, u"リニアライト", 0x007F7F7F, putLinearLightA, putLinearLight, 0x007F7F7F,
     0x26},
    {LM_VIVIDLIGHT, u"ビビッドライト", 0x00FFFFFF, putVividLightA, putVividLight, 0x00FFFFFF, 0x02},
    {LM_PINLIGHT, u"ピンライト", 0x007F7F7F, putPinLightA, putPinLight, 0x007F7F7F, 0x26},
}};

TEST(LayerBlendTable, EveryRowMatchesTheDocumentedTable)
{
    for (const Row &r : kRows) {
        SCOPED_TRACE(int(r.mode));
        const SLayerParam *p = getLayerParam(r.mode);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->mode, r.mode);
        EXPECT_EQ(p->name, QString::fromUtf16(r.name));
        EXPECT_EQ(p->bg.all, r.bg);
        EXPECT_EQ(p->fnPutA, r.fnPutA);
        EXPECT_EQ(p->fnPut, r.fnPut);
        EXPECT_EQ(p->c0.all, r.c0);
        EXPECT_EQ(p->flags, r.flags);
        EXPECT_EQ(getLayerModeBgColor(r.mode), r.bg);
    }
}

TEST(LayerBlendTable, LookupMasksTheHighBitAndRefusesModesPastTheTable)
{
    EXPECT_EQ(getLayerParam(22u), nullptr);
    EXPECT_EQ(getLayerParam(0x7Fu), nullptr);
    EXPECT_EQ(getLayerParam(0x83u), getLayerParam(LM_STD));
    QString name = QStringLiteral("unchanged");
    getLayerModeName(TLayerMode(22), name);
    EXPECT_EQ(name, QStringLiteral("unchanged"));
}

TEST(LayerBlendTable, InitialisingTheDocumentGivesThePaintLibraryTheNames)
{
    initialiseDocument();
    QString name;
    getBlendModeName(layerModeToBlendMode(LM_OVLY), name);
    EXPECT_EQ(name, QStringLiteral(u"オーバーレイ"));
}

TEST(LayerBlendTable, SpecialPairsAreCutByVersion)
{
    EXPECT_EQ(specialPairRowCount(0), 2);
    EXPECT_EQ(specialPairRowCount(1), 2);
    EXPECT_EQ(specialPairRowCount(2), 4);
    EXPECT_EQ(specialPairRowCount(0x10003), 6); // the high word does not count
    EXPECT_EQ(specialPairRowCount(4), -1);

    struct Case
    {
        TLayerMode lower, upper;
        uint32_t ver;
        fptrPixelPut4core expected;
    };
    const Case cases[] = {
        {LM_MUL, LM_MUL, 0, pixelMergeMul}, {LM_SUB, LM_SUB, 1, pixelMergeAdd},
        {LM_STD, LM_MUL, 1, nullptr},       {LM_STD, LM_MUL, 2, pixelMergeMul},
        {LM_MUL, LM_STD, 2, pixelMergeStd}, {LM_STD, LM_STD, 2, nullptr},
        {LM_STD, LM_STD, 3, pixelMergeStd}, {LM_ADD, LM_ADD, 3, pixelMergeAdd},
        {LM_ADD, LM_ADD, 2, nullptr},       {LM_MUL, LM_ADD, 3, nullptr},
        {LM_MUL, LM_MUL, 7, nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.lower) << "/" << int(c.upper) << " v" << c.ver);
        EXPECT_EQ(findSpecialMergeProc(c.lower, c.upper, c.ver), c.expected);
    }
}

TEST(LayerBlendTable, MergeTableAndOldBlitPairs)
{
    EXPECT_EQ(getLayerMergeProc(LM_MUL), pixelMergeMul);
    EXPECT_EQ(getLayerMergeProc(LM_ADD), pixelMergeAdd);
    EXPECT_EQ(getLayerMergeProc(LM_SUB), pixelMergeAdd);
    EXPECT_EQ(getLayerMergeProc(LM_STD), pixelMergeStd);
    EXPECT_EQ(getLayerMergeProc(LM_SCR), putScreenOnTP);
    EXPECT_EQ(getLayerMergeProc(LM_PINLIGHT), putPinLightOnTP);

    EXPECT_EQ(getOldBltProcs(LM_MUL).blt, bltPartMul);
    EXPECT_EQ(getOldBltProcs(LM_MUL).put, pixelPutMulA);
    EXPECT_EQ(getOldBltProcs(LM_ADD).blt, bltPartAdd);
    EXPECT_EQ(getOldBltProcs(LM_ADD).put, pixelPutAddA);
    EXPECT_EQ(getOldBltProcs(LM_SUB).blt, bltPartSub);
    EXPECT_EQ(getOldBltProcs(LM_SUB).put, pixelPutSubA);
    for (TLayerMode m : {LM_STD, LM_SCR, LM_DARK}) {
        EXPECT_EQ(getOldBltProcs(m).blt, bltPartNormal);
        EXPECT_EQ(getOldBltProcs(m).put, pixelPutSrcAlpha);
    }
}

TEST(LayerBlendTable, FillModeBgColorKeepsEachAlpha)
{
    TMTC tc(2, 1);
    tc.seek32(0, 0)->all = 0x80123456;
    tc.seek32(1, 0)->all = 0x00ABCDEF;
    fillModeBgColor(tc, LM_OVLY);
    EXPECT_EQ(tc.getColor(0, 0), 0x807F7F7Fu);
    EXPECT_EQ(tc.getColor(1, 0), 0x007F7F7Fu);
    fillModeBgColor(tc, LM_MUL);
    EXPECT_EQ(tc.getColor(0, 0), 0x80FFFFFFu);
}

TEST(LayerBlendTable, MixParameterOfTwoModes)
{
    sTCMixParam mix;
    ASSERT_TRUE(makeLayerMixParam(LM_STD, LM_SCR, true, mix));
    EXPECT_EQ(mix.c0.all, 0u);
    EXPECT_EQ(mix.flags, 0x22 | mtfNopSrcTP);
    EXPECT_EQ(mix.fnPut1, pixelPutAlpha);
    EXPECT_EQ(mix.fnPut2, putScreen);
    ASSERT_TRUE(makeLayerMixParam(LM_MUL, LM_OVLY, false, mix));
    EXPECT_EQ(mix.c0.all, 0x00FFFFFFu); // the larger neutral colour
    EXPECT_EQ(mix.flags, 0x26);
    EXPECT_FALSE(makeLayerMixParam(TLayerMode(30), LM_STD, false, mix));
}

} // namespace
