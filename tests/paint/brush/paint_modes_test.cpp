#include "paint/brush/paint_modes.h"
#include "paint/brush/user_blend_modes.h"

#include <gtest/gtest.h>

#include <set>

using enum TPaintMode;

TEST(PaintModes, LevelsAndTheParallelDocumentLevels)
{
    const TPaintLevel expected[kPaintModeCount] = {
        TPaintLevel::pl2, TPaintLevel::pl2, TPaintLevel::pl2, TPaintLevel::pl2, TPaintLevel::pl2,
        TPaintLevel::pl1, TPaintLevel::pl2, TPaintLevel::pl2, TPaintLevel::pl2, TPaintLevel::pl4,
        TPaintLevel::pl4, TPaintLevel::pl4, TPaintLevel::pl4, TPaintLevel::pl4, TPaintLevel::pl4,
        TPaintLevel::pl4, TPaintLevel::pl4, TPaintLevel::pl4, TPaintLevel::pl5, TPaintLevel::pl5,
        TPaintLevel::pl5, TPaintLevel::pl5};
    for (int i = 0; i < kPaintModeCount; ++i)
        EXPECT_EQ(paintModeToLevel(TPaintMode(i)), expected[i]) << i;
    EXPECT_FALSE(isValidPaintMode(TPaintMode(22)));
    EXPECT_TRUE(isLegacyPaintLevel(TPaintLevel::pl1));
    EXPECT_TRUE(isLegacyPaintLevel(TPaintLevel::pl2));
    EXPECT_FALSE(isLegacyPaintLevel(TPaintLevel::pl4));

    const ePaintLevel doc[] = {ePaintLevel::PAINT_LEVEL_qZ1, ePaintLevel::PAINT_LEVEL_qZ2,
                               ePaintLevel::PAINT_LEVEL_qZ4, ePaintLevel::PAINT_LEVEL_qZ5};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(paintLevelToEPaintLevel(TPaintLevel(i)), doc[i]);
        TPaintLevel back{};
        ASSERT_TRUE(ePaintLevelToPaintLevel(doc[i], back));
        EXPECT_EQ(back, TPaintLevel(i));
    }
    TPaintLevel untouched = TPaintLevel::pl4;
    EXPECT_FALSE(ePaintLevelToPaintLevel(ePaintLevel(4), untouched));
    EXPECT_EQ(untouched, TPaintLevel::pl4);
}

TEST(PaintModes, SupportedSettingsPerMode)
{
    using enum TPaintParamType;
    struct Case
    {
        TPaintMode mode;
        TPaintParamType param;
        bool supported;
    } cases[] = {
        {pmPencil1, ppUseGradient, true},     {pmPencil1, ppSpace, false},
        {pmEraser1, ppSmoothEdge, true},      {pmEraser1, ppUseTone, false},
        {pmAirBrush1, ppAirMap, true},        {pmBlur1, ppUseTone, true},
        {pmBlur2, ppUseTone, false},          {pmBlur2, ppEffect1, true},
        {pmFingerTip1, ppEffect1, false},     {pmBurn1, ppEffect1, true},
        {pmDodge1, ppAirMap, true},           {pmPencil4, ppItemName, true},
        {pmPencil4, ppEffect1, false},        {pmPencil4, ppSmoothLevel, false},
        {pmWaterColor4, ppEffect3, true},     {pmBlur4, ppEffect2, false},
        {pmBurn4, ppEffect1, true},           {pmSpread4, ppShapeImage, true},
        {pmPencil5, ppInterpolateType, true}, {pmPencil5, ppEffect1, false},
        {pmWaterColor5, ppEffect2, true},     {pmWaterColor5, ppSmoothEdge, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(getSupportParams(c.mode).contains(c.param), c.supported)
            << int(c.mode) << " " << int(c.param);
    // Bit n of the set is value n.
    EXPECT_EQ(getSupportParams(pmBlur2).bits,
              (1u << 2) | (1u << 4) | (1u << 7) | (1u << 9) | (1u << 14) | (1u << 15));

    EXPECT_EQ(getSupportAirMaps(pmPencil1), TPaintAirMapType::pamtNo);
    EXPECT_EQ(getSupportAirMaps(pmBurn1), TPaintAirMapType::pamt2);
    EXPECT_EQ(getSupportAirMaps(pmAirBrush5), TPaintAirMapType::pamt4);
    EXPECT_EQ(getPaintModeDefaultName(pmSpread4), QStringLiteral("のばし"));
    EXPECT_EQ(getPaintModeDefaultName(pmBlur2), QStringLiteral("ぼかし"));
    EXPECT_EQ(getPaintModeDefaultName(pmAirBrush5), QStringLiteral("エアーブラシ"));
}

TEST(PaintModes, ToolKindLookups)
{
    using enum TPenMethodType;
    using enum TPenParamQZ2Type;
    EXPECT_EQ(getPaintMode(TPaintLevel::pl5, pmtAirBrush5, pp2Pencil), pmAirBrush5);
    EXPECT_EQ(getPaintMode(TPaintLevel::pl1, pmtPencil, pp2Dodge), pmDodge1);
    EXPECT_EQ(getPaintMode(TPaintLevel::pl4, pmtSpread, pp2Pencil), pmSpread4);
    // Another level hands the third argument back.
    EXPECT_EQ(getPaintMode(TPaintLevel(7), pmtPencil, pp2Burn), TPaintMode(6));

    // The method kinds and the version-4/5 modes are each other's inverse.
    std::set<int> kinds;
    for (int i = 0; i < kPaintModeCount; ++i) {
        const TPaintMode mode = TPaintMode(i);
        const TPenMethodType kind = paintModeToMethodType(mode);
        if (i < int(pmPencil4)) {
            EXPECT_EQ(uint8_t(kind), kNoEnumValue);
            continue;
        }
        kinds.insert(int(kind));
        EXPECT_EQ(getPaintMode(paintModeToLevel(mode), kind, pp2Pencil), mode);
    }
    EXPECT_EQ(kinds.size(), size_t(kPenMethodTypeCount));

    // The legacy pen kinds and the level-1 modes, pmBlur2 sharing the blur slots.
    for (int k = 0; k < kPenParamQZ2TypeCount; ++k) {
        const TPenParamQZ2Type type = TPenParamQZ2Type(k);
        EXPECT_EQ(paintModeToPenParamType(penParamTypeToPaintMode(type)), type);
    }
    EXPECT_EQ(paintModeToPenParamType(pmBlur2), pp2Blur);
    EXPECT_EQ(uint8_t(paintModeToPenParamType(pmPencil5)), kNoEnumValue);
    EXPECT_EQ(penParamTypeToDrawMode(pp2FingerTip), TDrawMode::DM_RUBPEN);
    EXPECT_EQ(penParamTypeToDrawMode(pp2Eraser), TDrawMode::DM_ERASE);
}

TEST(PaintModes, DrawModesBothWays)
{
    using enum TDrawMode;
    const TDrawMode expected[kPaintModeCount] = {
        DM_PEN, DM_ERASE, DM_WC, DM_AIRBRUSH, DM_BLUR, DM_BLUR2,  DM_RUBPEN, DM_DARKEN, DM_LIGHTEN,
        DM_PEN, DM_ERASE, DM_WC, DM_AIRBRUSH, DM_BLUR, DM_RUBPEN, DM_RUBPEN, DM_DARKEN, DM_LIGHTEN,
        DM_PEN, DM_ERASE, DM_WC, DM_AIRBRUSH};
    for (int i = 0; i < kPaintModeCount; ++i)
        EXPECT_EQ(paintModeToDrawMode(TPaintMode(i)), expected[i]) << i;

    // Each draw mode comes back to the level-1 mode that paints like it.
    for (int d = 0; d < int(DM_MAX_NUM); ++d) {
        TPaintMode mode = pmAirBrush5;
        ASSERT_TRUE(drawModeToPaintMode(TDrawMode(d), mode));
        EXPECT_TRUE(isLegacyPaintLevel(paintModeToLevel(mode)));
        EXPECT_EQ(paintModeToDrawMode(mode), TDrawMode(d));
    }
    TPaintMode kept = pmSpread4;
    EXPECT_FALSE(drawModeToPaintMode(DM_MAX_NUM, kept));
    EXPECT_EQ(kept, pmSpread4);
}

TEST(PaintModes, EffectCaptions)
{
    struct Case
    {
        TPaintMode mode;
        int kind;
        const char *label;
        const char *name;
    } cases[] = {
        {pmWaterColor5, 0, "のばし効果", "のばし効果"},
        {pmWaterColor1, 1, "ぼかし効果", "ぼかし効果"},
        {pmWaterColor4, 2, "影響距離", "効果の影響距離"},
        {pmWaterColor5, 3, "効果", "効果"},
        {pmBlur2, 0, "ぼかし強度", "ぼかし強度"},
        {pmBlur4, 2, "ぼかし", "ぼかし"},
        {pmDodge4, 0, "露出量", "露出量"},
        {pmBurn1, 1, "焼き込み", "焼き込み"},
        {pmDodge1, 2, "覆い焼き", "覆い焼き"},
        {pmPencil5, 0, "効果", "効果"},
        {pmSpread4, 1, "効果", "効果"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(getEffectLabel(c.mode, c.kind), QString::fromUtf8(c.label))
            << int(c.mode) << " " << c.kind;
        EXPECT_EQ(getEffectName(c.mode, c.kind), QString::fromUtf8(c.name));
    }
}

TEST(BlendModes, UserOrderMapsToStoredOrder)
{
    using enum TBlendMode;
    using enum TLayerMode;
    struct Case
    {
        TBlendMode bm;
        TLayerMode lm;
    } cases[] = {
        {bmStandard, LM_STD},
        {bmLighten, LM_LIGHT},
        {bmScreen, LM_SCR},
        {bmDodge, LM_DODGE},
        {bmDodgeLinear, LM_ADD},
        {bmDarken, LM_DARK},
        {bmMultiple, LM_MUL},
        {bmBurn, LM_BURN},
        {bmBurnLinear, LM_SUBNEG},
        {bmBurnLinearNega, LM_SUB},
        {bmOverlay, LM_OVLY},
        {bmSoftlight, LM_SOFTLIGHT},
        {bmHardlight, LM_HARDLIGHT},
        {bmVividlight, LM_VIVIDLIGHT},
        {bmLinearlight, LM_LINEARLIGHT},
        {bmPinlight, LM_PINLIGHT},
        {bmDifference, LM_DIF},
        {bmExclusion, LM_EXCLUSION},
        {bmHue, LM_HUE},
        {bmSaturation, LM_SATURATION},
        {bmColor, LM_COLOR},
        {bmLuminosity, LM_LUMINOSITY},
    };
    ASSERT_EQ(std::size(cases), size_t(kBlendModeCount));
    for (const Case &c : cases) {
        EXPECT_EQ(blendModeToLayerMode(c.bm), c.lm) << int(c.bm);
        EXPECT_EQ(layerModeToBlendMode(c.lm), c.bm) << int(c.lm);
        EXPECT_EQ(layerModeToBlendMode(blendModeToLayerMode(c.bm)), c.bm);
    }
    EXPECT_EQ(layerModeToBlendMode(LM_MAX_NUM), bmStandard);
    EXPECT_EQ(layerModeToBlendMode(TLayerMode(200)), bmStandard);
    EXPECT_EQ(blendModeToLayerMode(TBlendMode(0x80 | uint8_t(bmHue))), LM_HUE);
}

// The display name is the layer mode's, from the lookup the document installs.
TEST(BlendModes, NameComesFromTheLayerModeTable)
{
    QString name = QStringLiteral("kept");
    const fptrLayerModeName previous = installLayerModeNameProc(nullptr);
    getBlendModeName(TBlendMode::bmHue, name);
    EXPECT_EQ(name, QStringLiteral("kept"));
    installLayerModeNameProc(
        [](TLayerMode mode, QString &out) { out = QStringLiteral("mode %1").arg(int(mode)); });
    getBlendModeName(TBlendMode::bmDodgeLinear, name);
    EXPECT_EQ(name, QStringLiteral("mode 1"));
    getBlendModeName(TBlendMode::bmBurnLinear, name);
    EXPECT_EQ(name, QStringLiteral("mode 18"));
    installLayerModeNameProc(previous);
}
