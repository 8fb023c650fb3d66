#include "paint/brush/pen_records.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

// The records travel byte for byte through set files and events: field offsets matter as much
// as the sizes.
TEST(PenRecords, PackedLayoutsMatchTheStoredRecords)
{
    EXPECT_EQ(sizeof(SPenParam), 16u);
    EXPECT_EQ(sizeof(SPenAttr), 4u);
    EXPECT_EQ(sizeof(SGradeMapParam), 9u);
    EXPECT_EQ(sizeof(SPenRenderAttr), 16u);
    EXPECT_EQ(sizeof(SPenColor), 8u);
    EXPECT_EQ(sizeof(SPenShapeData), 29u);
    EXPECT_EQ(sizeof(SPenRenderOpt), 2u);
    EXPECT_EQ(sizeof(SStrokeParam), 39u);
    EXPECT_EQ(sizeof(SPenMethodData), 57u);
    EXPECT_EQ(sizeof(SPenParamQZ2), 41u);

    EXPECT_EQ(offsetof(SGradeMapParam, flatRate), 1u);
    EXPECT_EQ(offsetof(SGradeMapParam, addRate), 5u);
    EXPECT_EQ(offsetof(SPenShapeData, param), 9u);
    EXPECT_EQ(offsetof(SPenShapeData, attr), 25u);
    EXPECT_EQ(offsetof(SPenRenderAttr, param1), 4u);
    EXPECT_EQ(offsetof(SPenMethodData, renderOpt), 16u);
    EXPECT_EQ(offsetof(SPenMethodData, strokeParam), 18u);
    EXPECT_EQ(offsetof(SStrokeParam, opaque), 2u);
    EXPECT_EQ(offsetof(SStrokeParam, prsGamma), 6u);
    EXPECT_EQ(offsetof(SStrokeParam, spacing), 10u);
    EXPECT_EQ(offsetof(SStrokeParam, smooth), 22u);
    EXPECT_EQ(offsetof(SStrokeParam, interpolateType), 26u);
    EXPECT_EQ(offsetof(SStrokeParam, startDist), 27u);
    EXPECT_EQ(offsetof(SStrokeParam, strokeVersion), 35u);
    EXPECT_EQ(offsetof(SPenParamQZ2, ifSize), 24u);
    EXPECT_EQ(offsetof(SPenParamQZ2, opaque), 29u);
    EXPECT_EQ(offsetof(SPenParamQZ2, airMap), 37u);
}

TEST(PenRecords, StrokeParamDefaults)
{
    SStrokeParam p;
    p.opaque = 5;
    p.enbPrsRadius = true;
    strokeParamInit(p);
    EXPECT_FALSE(p.enbPrsRadius);
    EXPECT_FALSE(p.enbPrsOpaque);
    EXPECT_EQ(+p.opaque, 1000);
    EXPECT_EQ(+p.prsGamma, 100);
    EXPECT_EQ(+p.spacing, 100);
    EXPECT_EQ(+p.everyFreqR, 0);
    EXPECT_EQ(+p.highDensityR, 0);
    EXPECT_EQ(+p.smooth, 1);
    EXPECT_EQ(p.interpolateType, eInterpolateType::iptBSpline);
    EXPECT_EQ(+p.startDist, 10);
    EXPECT_EQ(+p.endDist, 10);
    EXPECT_EQ(+p.strokeVersion, 0);
}

// The effect words are the low and high word of param1 and the low word of param2.
TEST(PenRecords, RenderAttrEffectWordsAndClearing)
{
    SPenRenderAttr a;
    std::memset(static_cast<void *>(&a), 0xAB, sizeof a);
    initPenRenderAttr(a);
    const unsigned char zero[16] = {};
    EXPECT_EQ(std::memcmp(&a, zero, 16), 0);
    penRenderAttrSetEffect(a, 0, 65);
    penRenderAttrSetEffect(a, 1, 40);
    penRenderAttrSetEffect(a, 2, 30);
    EXPECT_EQ(uint32_t(+a.param1.all), (40u << 16) | 65u);
    EXPECT_EQ(+a.param2.all, 30);
    EXPECT_EQ(+a.param3.all, 0);
    EXPECT_EQ(penRenderAttrGetEffect(a, 1), 40);
}

TEST(PenRecords, PenParamStoresScaledIntegers)
{
    SPenParam p;
    initPenParam(p, 2.5f);
    EXPECT_EQ(+p.radius, 250);
    EXPECT_EQ(+p.flatRate, 1000);
    EXPECT_EQ(+p.radiusMin, 1000);
    EXPECT_EQ(+p.degree, 0);
    // Rounded half to even.
    initPenParam(p, 0.125f);
    EXPECT_EQ(+p.radius, 12);

    initPenParam(p, 10.0f);
    EXPECT_FLOAT_EQ(penParamSetRadius(p, 12.345f), 10.0f); // returns the previous value
    EXPECT_EQ(+p.radius, 1235);
    EXPECT_EQ(penParamGetRadiusInt(p), 12);
    EXPECT_EQ(penParamExchangeRadiusRaw(p, 99), 1235);
    EXPECT_EQ(penParamGetRadiusRaw(p), 99);
    penParamSetMinRate(p, 0.333f);
    EXPECT_EQ(+p.radiusMin, 333);
    EXPECT_EQ(penParamGetMinPercent(p), 33);
}

TEST(PenRecords, FlatRateAndDegreeSetters)
{
    struct Case
    {
        float v;
        int32_t flat;
    } flats[] = {{1.2f, 1000}, {-0.1f, 0}, {0.5f, 500}, {0.9996f, 1000}, {0.0004f, 0}};
    SPenParam p;
    for (const Case &c : flats) {
        initPenParam(p, 1.0f);
        penParamSetFlatRate(p, c.v);
        EXPECT_EQ(+p.flatRate, c.flat) << c.v;
    }

    // Trunc(v × 10 + 0.5) in Single, wrapped into 0..3599: -0.45 gives -4.0 and so 3596, while
    // -90 gives Trunc(-899.5) = -899 and so 2701.
    struct DegreeCase
    {
        float v;
        int32_t degree;
    } degrees[] = {{-0.45f, 3596}, {359.96f, 0},   {45.0f, 450},
                   {720.5f, 5},    {-90.0f, 2701}, {1e12f, 3568}};
    for (const DegreeCase &c : degrees) {
        initPenParam(p, 1.0f);
        penParamSetDegree(p, c.v);
        EXPECT_EQ(+p.degree, c.degree) << c.v;
        EXPECT_GE(+p.degree, 0);
        EXPECT_LT(+p.degree, 3600);
    }
}

TEST(PenRecords, GradeMapAndAttrSetters)
{
    SGradeMapParam m{eGradeMap::GMAP_PINTOP, 5, 5};
    initGradeMapParam(m);
    EXPECT_TRUE(gradeMapParamEqual(m, SGradeMapParam{}));
    gradeMapSetFlatRate(m, 1.5f);
    gradeMapSetAddRate(m, 0.25f);
    EXPECT_EQ(+m.flatRate, 1000);
    EXPECT_EQ(+m.addRate, 250);
    EXPECT_EQ(gradeMapGetAddPercent(m), 25);
    EXPECT_FLOAT_EQ(gradeMapSetAddRate(m, -1.0f), 0.25f);
    EXPECT_EQ(+m.addRate, 0);

    SPenAttr a;
    EXPECT_FALSE(penAttrSetAntiOff(a, true));
    EXPECT_TRUE(penAttrIsAntiOff(a));
    EXPECT_TRUE(penAttrSetAntiOff(a, false));
    EXPECT_EQ(+a.antiOff, 0);
}

TEST(PenRecords, CurveCodeTables)
{
    using enum TPaintAirMap;
    struct Case
    {
        TPaintAirMap pam;
        eGradeMap grade;
        eAirMap air;
    } cases[] = {
        {pamLinear, eGradeMap::GMAP_LINEAR, eAirMap::ABMAP_LINEAR},
        {pamGamma, eGradeMap::GMAP_GAMMA, eAirMap::ABMAP_FLAT90},
        {pamFlat, eGradeMap::GMAP_CIRCLE, eAirMap::ABMAP_FLAT90},
        {pamCircle, eGradeMap::GMAP_CIRCLE, eAirMap::ABMAP_CIRCLE},
        {pamSquare, eGradeMap::GMAP_SQUARE, eAirMap::ABMAP_FLAT90},
        {pamRoundTop, eGradeMap::GMAP_ROUNDTOP, eAirMap::ABMAP_ROUNDTOP},
        {pamPinTop, eGradeMap::GMAP_PINTOP, eAirMap::ABMAP_PINTOP},
        {pamNo, eGradeMap(255), eAirMap(255)},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(paintAirMapToGradeMap(c.pam), c.grade) << int(c.pam);
        EXPECT_EQ(paintAirMapToAirMap(c.pam), c.air) << int(c.pam);
        // The lookups mask their argument with 127.
        EXPECT_EQ(paintAirMapToGradeMap(TPaintAirMap(uint8_t(c.pam) | 0x80)), c.grade);
    }

    // Back from the nib curves: each has its own user curve.
    for (int g = 0; g < int(eGradeMap::GMAP_MAX_NUM); ++g)
        EXPECT_EQ(paintAirMapToGradeMap(gradeMapToPaintAirMap(eGradeMap(g))), eGradeMap(g));
    EXPECT_EQ(gradeMapToPaintAirMap(eGradeMap(255)), pamNo);

    // Back from the older curves.
    EXPECT_EQ(airMapToPaintAirMap(eAirMap::ABMAP_FLAT90), pamFlat);
    EXPECT_EQ(airMapToPaintAirMap(eAirMap::ABMAP_CIRCLE), pamCircle);
    EXPECT_EQ(airMapToPaintAirMap(eAirMap::ABMAP_ROUNDTOP), pamRoundTop);
    EXPECT_EQ(airMapToPaintAirMap(eAirMap::ABMAP_LINEAR), pamLinear);
    EXPECT_EQ(airMapToPaintAirMap(eAirMap::ABMAP_PINTOP), pamPinTop);
    EXPECT_EQ(airMapToPaintAirMap(eAirMap::ABMAP_MAX_NUM), pamNo);
    // What a legacy slot written for pamNo holds (255 without bit 7).
    EXPECT_EQ(airMapToPaintAirMap(eAirMap(127)), pamNo);
}

TEST(PenRecords, RenderAttributesAndPaintModes)
{
    using enum TPaintMode;
    // Every version-4 and version-5 mode survives the trip through the render attributes.
    for (int i = 0; i < kPaintModeCount; ++i) {
        const TPaintMode mode = TPaintMode(i);
        SPenRenderAttr a;
        std::memset(static_cast<void *>(&a), 0x5A, sizeof a);
        const bool engine = i >= int(pmPencil4);
        ASSERT_EQ(paintModeToRenderAttr(mode, a), engine) << i;
        if (!engine) {
            const unsigned char zero[16] = {};
            EXPECT_EQ(std::memcmp(&a, zero, 16), 0) << "cleared for the older modes";
            continue;
        }
        TPaintMode back = pmPencil1;
        ASSERT_TRUE(renderAttrToPaintMode(a, back));
        EXPECT_EQ(back, mode);
        EXPECT_EQ(bool(a.renderType & kRenderTypeVersion5), i >= int(pmPencil5));
    }

    struct Case
    {
        ePenRenderMode rm;
        uint8_t sub, type;
        TPaintMode mode;
    } cases[] = {
        {ePenRenderMode::PRMODE_Std, 0, 0x00, pmAirBrush4},
        {ePenRenderMode::PRMODE_Std, 0, 0x01, pmPencil4},
        {ePenRenderMode::PRMODE_Std, 0, 0x11, pmPencil5},
        {ePenRenderMode::PRMODE_Blur, 0, 0x10, pmBlur4},
        {ePenRenderMode::PRMODE_RubSingle, 0, 0x10, pmSpread4},
        {ePenRenderMode::PRMODE_GammaL, 3, 0x10, pmDodge4},
        {ePenRenderMode::PRMODE_GammaL, 0, 0x00, pmBurn4},
    };
    for (const Case &c : cases) {
        SPenRenderAttr a;
        a.renderMode = c.rm;
        a.subRenderMode = c.sub;
        a.renderType = c.type;
        TPaintMode mode = pmPencil1;
        ASSERT_TRUE(renderAttrToPaintMode(a, mode));
        EXPECT_EQ(mode, c.mode);
    }

    SPenRenderAttr unknown;
    unknown.renderMode = ePenRenderMode(7);
    TPaintMode mode = pmDodge1;
    EXPECT_FALSE(renderAttrToPaintMode(unknown, mode));
    EXPECT_EQ(mode, pmDodge1);
}
