#include "paint/brush/paint_param.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/presets/method_icons.h"
#include "paint/presets/pen_presets.h"

#include <gtest/gtest.h>

#include <cstring>

using enum TPaintMode;
using enum TPaintAirMap;

namespace {

// A channel whose byte at (x, y) is x * 16 + y, so that any mirroring or inversion shows.
std::unique_ptr<TChannel> rampChannel(int w, int h)
{
    auto ch = std::make_unique<TChannel>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *ch->seek8(x, y) = uint8_t(x * 16 + y);
    return ch;
}

bool sameChannel(const TChannel &a, const TChannel &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.seek8(0, y), b.seek8(0, y), size_t(a.width())) != 0)
            return false;
    return true;
}

} // namespace

TEST(PaintParam, DefaultsPerMode)
{
    struct Case
    {
        TPaintMode mode;
        TInterpolateType interpolate;
        int smooth;
        TPaintAirMap airMap;
        TPaintLevel level;
    } cases[] = {
        {pmPencil1, TInterpolateType::itLinear, 0, pamNo, TPaintLevel::pl2},
        {pmBlur2, TInterpolateType::itLinear, 0, pamNo, TPaintLevel::pl1},
        {pmAirBrush1, TInterpolateType::itLinear, 0, pamLinear, TPaintLevel::pl2},
        {pmDodge1, TInterpolateType::itLinear, 0, pamRoundTop, TPaintLevel::pl2},
        {pmSpread4, TInterpolateType::itLinear, 0, pamLinear, TPaintLevel::pl4},
        {pmWaterColor5, TInterpolateType::itBSpline, 2, pamLinear, TPaintLevel::pl5},
    };
    for (const Case &c : cases) {
        const TPaintParam p(c.mode);
        EXPECT_EQ(p.Mode(), c.mode);
        EXPECT_EQ(p.PaintLevel(), c.level);
        EXPECT_EQ(p.SupportParams(), getSupportParams(c.mode));
        EXPECT_EQ(p.InterpolateType(), c.interpolate) << int(c.mode);
        EXPECT_EQ(p.SmoothLevel(), c.smooth);
        EXPECT_EQ(p.AirMap(), c.airMap);
        EXPECT_EQ(p.ItemName(), getPaintModeDefaultName(c.mode));
        EXPECT_FLOAT_EQ(p.Density(), 1.0f);
        EXPECT_FLOAT_EQ(p.Space(), 0.1f);
        EXPECT_FLOAT_EQ(p.PrsGamma(), 1.0f);
        EXPECT_FLOAT_EQ(p.Radius(), 1.0f);
        EXPECT_FLOAT_EQ(p.MinRadius(), 0.0f);
        EXPECT_FLOAT_EQ(p.Aspect(), 1.0f);
        EXPECT_FLOAT_EQ(p.ShapeImageScale(), 1.0f);
        EXPECT_FALSE(p.UseTone() || p.UseGradient() || p.PrsDensity() || p.PrsRadius());
        EXPECT_FALSE(p.UseShapeImage() || p.UserIcon() || p.SmoothEdge() || p.Digitize());
        EXPECT_EQ(p.ShapeId(), -1);
    }
}

TEST(PaintParam, CopyKeepsEverythingAndSetDefaultKeepsTheNibId)
{
    TPaintParam src(pmWaterColor5);
    src.setItemName(QStringLiteral("にじみ"));
    src.setEffect2(40);
    src.setRadius(7.5f);
    src.setSmoothLevel(4);
    CPenShapeObj nib;
    nib.setData(SPenShapeData{});
    ASSERT_TRUE(src.Read(&nib)); // the preset's id comes with the nib
    src.setAirMap(pamPinTop);
    const auto tip = rampChannel(3, 2);
    src.SetShapeImage(tip.get());
    src.setShapeImageScale(2.0f);

    const TPaintParam copy(src);
    EXPECT_EQ(copy.ShapeId(), nib.id());
    EXPECT_EQ(copy.ItemName(), QStringLiteral("にじみ"));
    EXPECT_FLOAT_EQ(copy.Effect2(), 40);
    EXPECT_EQ(copy.SmoothLevel(), 4);
    EXPECT_EQ(copy.AirMap(), pamPinTop);
    ASSERT_TRUE(copy.UseShapeImage());
    EXPECT_EQ(copy.ShapeImageSize(), (sSize{3, 2}));
    EXPECT_NE(copy.ShapeImage(), src.ShapeImage()); // its own copy
    EXPECT_EQ(std::memcmp(copy.ShapeImage(), src.ShapeImage(), 6), 0);
    EXPECT_FLOAT_EQ(copy.ShapeImageScale(), 2.0f);
    EXPECT_FLOAT_EQ(copy.Radius(), 0.0f) << "an image nib reads no radius";
    EXPECT_FLOAT_EQ(copy.RealRadius(), 3.0f);

    TPaintParam p(src);
    p.SetDefaultParam(pmPencil4);
    EXPECT_EQ(p.ShapeId(), nib.id());
    EXPECT_FALSE(p.UseShapeImage());
    EXPECT_EQ(p.ItemName(), QStringLiteral("鉛筆"));
    EXPECT_FLOAT_EQ(p.Radius(), 1.0f);
}

TEST(PaintParam, WriteStrokeParam)
{
    TPaintParam p(pmPencil5);
    p.setSpace(0.123f);
    p.setDensity(0.9999f);
    p.setPrsGamma(0.7f);
    p.setWholeDrawRadius(2.5f);
    p.setHiDensityRadius(3.49f);
    p.setPrsRadius(true);
    p.setSmoothLevel(3);
    p.setInterpolateType(TInterpolateType::itLinear);
    SStrokeParam s;
    s.startDist = 99;
    ASSERT_TRUE(p.Write(s));
    EXPECT_EQ(+s.spacing, 120);
    EXPECT_EQ(+s.opaque, 999); // truncated, not rounded
    EXPECT_EQ(+s.prsGamma, 70);
    EXPECT_EQ(+s.everyFreqR, 3);
    EXPECT_EQ(+s.highDensityR, 3);
    EXPECT_TRUE(s.enbPrsRadius);
    EXPECT_FALSE(s.enbPrsOpaque);
    EXPECT_EQ(+s.smooth, 3);
    EXPECT_EQ(s.interpolateType, eInterpolateType::iptLinear);
    EXPECT_EQ(+s.startDist, 10) << "the record's defaults come first";
}

TEST(PaintParam, WriteGradeMapFallbacks)
{
    struct Case
    {
        TPaintMode mode;
        TPaintAirMap airMap;
        bool smoothEdge;
        bool result;
        eGradeMap type;
        int32_t flat;
    } cases[] = {
        {pmAirBrush1, pamFlat, false, false, eGradeMap::GMAP_LINEAR, 900},
        {pmAirBrush1, pamRoundTop, false, true, eGradeMap::GMAP_ROUNDTOP, 200},
        {pmAirBrush1, pamNo, false, false, eGradeMap(255), 200},
        {pmEraser1, pamNo, true, false, eGradeMap::GMAP_CIRCLE, 200},
        {pmEraser1, pamNo, false, false, eGradeMap::GMAP_LINEAR, 900},
        {pmPencil5, pamFlat, false, false, eGradeMap::GMAP_LINEAR, 200},
        {pmPencil5, pamSquare, false, true, eGradeMap::GMAP_SQUARE, 200},
    };
    for (const Case &c : cases) {
        TPaintParam p(c.mode);
        p.setAirMap(c.airMap);
        p.setSmoothEdge(c.smoothEdge);
        p.setFlat(0.2f);
        p.setAdd(0.05f);
        SGradeMapParam m;
        EXPECT_EQ(p.Write(m), c.result) << int(c.mode) << " " << int(c.airMap);
        EXPECT_EQ(m.mapType, c.type) << int(c.mode) << " " << int(c.airMap);
        EXPECT_EQ(+m.flatRate, c.flat);
        EXPECT_EQ(+m.addRate, 50);
    }
}

TEST(PaintParam, WriteNibRecords)
{
    TPaintParam p(pmAirBrush4);
    p.setRadius(12.34f);
    p.setMinRadius(0.6f);
    p.setAspect(0.5f);
    p.setRotation(-30.0f);
    p.setDigitize(true);
    SPenParam param;
    ASSERT_TRUE(p.Write(param));
    EXPECT_EQ(+param.radius, 1234);
    EXPECT_EQ(+param.radiusMin, 600);
    EXPECT_EQ(+param.flatRate, 500);
    EXPECT_EQ(+param.degree, 3301); // Trunc(-299.5) = -299, wrapped
    SPenAttr attr;
    ASSERT_TRUE(p.Write(attr));
    EXPECT_EQ(+attr.antiOff, 1);

    // An image nib stores its zoom as the radius.
    const auto tip = rampChannel(4, 4);
    p.SetShapeImage(tip.get());
    p.setShapeImageScale(1.5f);
    ASSERT_TRUE(p.Write(param));
    EXPECT_EQ(+param.radius, 15000);
}

TEST(PaintParam, WriteRenderAttributes)
{
    TPaintParam p(pmWaterColor4);
    p.setEffect1(65);
    p.setEffect2(39.5f);
    p.setEffect3(-3);
    SPenRenderAttr a;
    ASSERT_TRUE(p.Write(a));
    EXPECT_EQ(a.renderMode, ePenRenderMode::PRMODE_WC);
    EXPECT_EQ(penRenderAttrGetEffect(a, 0), 65);
    EXPECT_EQ(penRenderAttrGetEffect(a, 1), 40);
    EXPECT_EQ(penRenderAttrGetEffect(a, 2), 0) << "a negative effect is no effect";

    const TPaintParam legacy(pmWaterColor1);
    a.param1.all = 7;
    EXPECT_FALSE(legacy.Write(a));
    EXPECT_EQ(+a.param1.all, 0);
}

// The legacy pen slots: both ways for each legacy mode, with the curve or the soft edge.
TEST(PaintParam, LegacyPenSlotBothWays)
{
    for (int i = 0; i <= int(pmDodge1); ++i) {
        const TPaintMode mode = TPaintMode(i);
        SPenParamQZ2 slot;
        slot.min = 40;
        slot.width = 16;
        slot.gamma = 1.5f;
        slot.effect = 65;
        slot.env = 40;
        slot.speed = 30;
        slot.ifSize = true;
        slot.ifTrans = false;
        slot.ifEdge = true;
        slot.useTone = true;
        slot.useGrad = false;
        slot.opaque = 0.6f;
        slot.spacing = 0.15f;
        slot.airMap = int32_t(eAirMap::ABMAP_CIRCLE);

        bool ok = false;
        const TPaintParam p(slot, mode, ok);
        ASSERT_TRUE(ok);
        EXPECT_EQ(p.Mode(), mode);
        EXPECT_FLOAT_EQ(p.MinRadius(), 0.4f);
        EXPECT_FLOAT_EQ(p.Radius(), 16);
        EXPECT_FLOAT_EQ(p.Density(), 0.6f);
        EXPECT_FLOAT_EQ(p.Effect3(), 30);
        EXPECT_TRUE(p.PrsRadius());
        EXPECT_TRUE(p.UseTone());
        const bool airMap = p.supports(TPaintParamType::ppAirMap);
        const bool edge = !airMap && p.supports(TPaintParamType::ppSmoothEdge);
        EXPECT_EQ(p.AirMap(), airMap ? pamCircle : getPaintParamDefaults(mode).AirMap);
        EXPECT_EQ(p.SmoothEdge(), edge) << i;

        SPenParamQZ2 back;
        back.airMap = 77;
        back.ifEdge = false;
        ASSERT_TRUE(p.Write(back));
        EXPECT_FLOAT_EQ(back.min, 40);
        EXPECT_FLOAT_EQ(back.width, 16);
        EXPECT_FLOAT_EQ(back.gamma, 1.5f);
        EXPECT_FLOAT_EQ(back.opaque, 0.6f);
        EXPECT_FLOAT_EQ(back.spacing, 0.15f);
        EXPECT_EQ(back.ifSize, true);
        EXPECT_EQ(back.useTone, true);
        EXPECT_EQ(+back.airMap, airMap ? int32_t(eAirMap::ABMAP_CIRCLE) : 77) << i;
        EXPECT_EQ(back.ifEdge, edge) << i;
    }
}

// pamNo has no older curve: it is written as 127 and read back as pamNo.
TEST(PaintParam, LegacySlotWithoutCurve)
{
    TPaintParam p(pmBurn1);
    p.setAirMap(pamNo);
    SPenParamQZ2 slot;
    ASSERT_TRUE(p.Write(slot));
    EXPECT_EQ(+slot.airMap, 127);
    p.setAirMap(pamLinear);
    ASSERT_TRUE(p.Read(slot));
    EXPECT_EQ(p.AirMap(), pamNo);
}

TEST(PaintParam, ReadImageNib)
{
    CPenShapeObj nib;
    nib.setData(SPenShapeData{});
    ASSERT_TRUE(nib.attachImage(rampChannel(40, 20), true));
    ASSERT_TRUE(nib.changeZoom(150));
    penParamSetFlatRate(nib.penParam, 0.5f);
    penParamSetDegree(nib.penParam, 90);
    nib.gradMap = {eGradeMap::GMAP_SQUARE, 100, 200};
    penAttrSetAntiOff(nib.penAttr, true);

    TPaintParam p(pmPencil5);
    p.setRadius(9);
    p.setDensity(0.3f);
    ASSERT_TRUE(p.Read(&nib));
    EXPECT_FLOAT_EQ(p.ShapeImageScale(), 1.5f);
    EXPECT_FLOAT_EQ(p.Radius(), 0.0f);
    EXPECT_FLOAT_EQ(p.RealRadius(), 1.5f * 40 / 2);
    EXPECT_FLOAT_EQ(p.Aspect(), 0.5f);
    EXPECT_FLOAT_EQ(p.Rotation(), 90);
    EXPECT_EQ(p.AirMap(), pamSquare);
    EXPECT_FLOAT_EQ(p.Add(), 0.2f);
    EXPECT_TRUE(p.Digitize());
    EXPECT_FLOAT_EQ(p.Density(), 0.3f) << "only the nib's settings change";
    EXPECT_EQ(p.ShapeId(), nib.id());
    ASSERT_TRUE(p.UseShapeImage());
    EXPECT_EQ(p.ShapeImage()[0], 255 - 0);
    EXPECT_EQ(p.ShapeImage()[1 * 40 + 3], 255 - (3 * 16 + 1));

    // Scale limits of a 40 × 20 image: 4 / 20 .. 512 / 40.
    EXPECT_FLOAT_EQ(p.ScaleMin(), 0.2f);
    EXPECT_FLOAT_EQ(p.ScaleMax(), 5.0f);
    EXPECT_FLOAT_EQ(p.RealRadiusMin(), 0.2f * 40 * 0.5f);

    p.setRadius(3);
    p.SetShapeImage(static_cast<const TChannel *>(nullptr));
    EXPECT_FLOAT_EQ(p.Radius(), 3);
    EXPECT_FLOAT_EQ(p.RealRadiusMax(), 500);
    EXPECT_FALSE(p.Read(static_cast<const CPenShapeObj *>(nullptr)));
}

// The brush holds the image inverted; writing it into a nib inverts it back.
TEST(PaintParam, ImageNibSurvivesTheRoundTrip)
{
    const auto tip = rampChannel(30, 12);
    TPaintParam p(pmAirBrush5);
    p.SetShapeImage(tip.get());
    p.setShapeImageScale(2.0f);
    p.setAspect(0.75f);
    CPenShapeObj nib;
    ASSERT_TRUE(p.Write(&nib));
    ASSERT_TRUE(nib.hasImage());
    EXPECT_TRUE(sameChannel(*nib.shapeCH, *tip));
    EXPECT_EQ(nib.zoomRate, 200);
    EXPECT_EQ(+nib.penParam.radius, 20000);
    EXPECT_EQ(+nib.penParam.flatRate, 750);
    EXPECT_EQ(nib.id(), -1) << "a brush without a nib preset gives its id -1";

    TPaintParam back(pmAirBrush5);
    ASSERT_TRUE(back.Read(&nib));
    EXPECT_EQ(std::memcmp(back.ShapeImage(), p.ShapeImage(), 30 * 12), 0);
    EXPECT_FLOAT_EQ(back.ShapeImageScale(), 2.0f);
}

// A curve that the nib cannot hold makes the write fail before the nib is touched.
TEST(PaintParam, FailedNibWriteLeavesTheNibAlone)
{
    CPenShapeObj nib;
    nib.setData(SPenShapeData{});
    ASSERT_TRUE(nib.attachImage(rampChannel(8, 8), true));
    const int32_t id = nib.id();
    const SPenParam before = nib.penParam;

    TPaintParam p(pmPencil5);
    p.setRadius(33);
    for (TPaintAirMap bad : {pamFlat, pamNo}) {
        p.setAirMap(bad);
        EXPECT_FALSE(p.Write(&nib));
        EXPECT_TRUE(nib.hasImage());
        EXPECT_EQ(nib.id(), id);
        EXPECT_TRUE(penParamEqual(nib.penParam, before));
    }
    EXPECT_FALSE(p.Write(static_cast<CPenShapeObj *>(nullptr)));
}

TEST(PaintParam, MethodPresetBothWays)
{
    TPaintParam p(pmWaterColor5);
    p.setItemName(QStringLiteral("水彩A"));
    p.setDensity(0.8f);
    p.setSpace(0.25f);
    p.setPrsGamma(1.5f);
    p.setPrsDensity(true);
    p.setUseGradient(true);
    p.setEffect1(10);
    p.setEffect2(20);
    p.setEffect3(30);
    p.setSmoothLevel(5);
    p.setRadius(6.5f);
    p.setAirMap(pamCircle);
    p.setFlat(0.1f);

    CPenMethodObj method;
    EXPECT_FALSE(p.Write(&method)) << "a method without its own nib cannot take a brush";
    EXPECT_FALSE(method.enable);
    method.attachShape(std::make_unique<CPenShapeObj>());
    ASSERT_TRUE(p.Write(&method));
    EXPECT_TRUE(method.enable);
    EXPECT_EQ(method.methodName, QStringLiteral("水彩A"));
    EXPECT_EQ(getPenMethodType(method), TPenMethodType::pmtWaterColor5);
    EXPECT_TRUE(method.methodData.renderOpt.enbGrad);
    EXPECT_FALSE(method.methodData.renderOpt.enbTone);
    EXPECT_EQ(+method.methodData.strokeParam.opaque, 800);
    EXPECT_EQ(+method.methodData.strokeParam.spacing, 250);
    EXPECT_EQ(+method.shapeObj->penParam.radius, 650);
    EXPECT_EQ(method.shapeObj->gradMap.mapType, eGradeMap::GMAP_CIRCLE);

    bool ok = false;
    const TPaintParam back(&method, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(back.Mode(), pmWaterColor5);
    EXPECT_EQ(back.ItemName(), QStringLiteral("水彩A"));
    EXPECT_FLOAT_EQ(back.Density(), 0.8f);
    EXPECT_FLOAT_EQ(back.Space(), 0.25f);
    EXPECT_FLOAT_EQ(back.PrsGamma(), 1.5f);
    EXPECT_TRUE(back.PrsDensity());
    EXPECT_TRUE(back.UseGradient());
    EXPECT_FLOAT_EQ(back.Effect3(), 30);
    EXPECT_EQ(back.SmoothLevel(), 5);
    EXPECT_FLOAT_EQ(back.Radius(), 6.5f);
    EXPECT_EQ(back.AirMap(), pamCircle);
    EXPECT_FLOAT_EQ(back.Flat(), 0.1f);

    // A legacy brush has no render attributes: neither the method nor its nib changes.
    const SPenParam nibBefore = method.shapeObj->penParam;
    TPaintParam legacy(pmPencil1);
    legacy.setRadius(99);
    EXPECT_FALSE(legacy.Write(&method));
    EXPECT_TRUE(penParamEqual(method.shapeObj->penParam, nibBefore));
    EXPECT_EQ(method.methodName, QStringLiteral("水彩A"));

    // A method whose render mode is unknown gives no brush.
    method.methodData.renderAttr.renderMode = ePenRenderMode(9);
    bool failed = true;
    const TPaintParam none(&method, failed);
    EXPECT_FALSE(failed);
}

// A replayed brush: the renderer's curve overrides the nib's.
TEST(PaintParam, ReadReplayedBrush)
{
    CPenShapeObj nib;
    SPenShapeData data;
    data.map = {eGradeMap::GMAP_LINEAR, 0, 0};
    initPenParam(data.param, 4.0f);
    nib.setData(data);
    SPenRenderAttr attr;
    ASSERT_TRUE(paintModeToRenderAttr(pmBurn4, attr));
    penRenderAttrSetEffect(attr, 0, 50);
    SStrokeParam stroke;
    stroke.opaque = 200;
    stroke.spacing = 150;
    stroke.enbPrsOpaque = true;
    const SGradeMapParam grade{eGradeMap::GMAP_ROUNDTOP, 300, 100};

    TPaintParam p(pmPencil5);
    ASSERT_TRUE(p.Read(&grade, &nib, attr, stroke));
    EXPECT_EQ(p.Mode(), pmBurn4);
    EXPECT_FLOAT_EQ(p.Effect1(), 50);
    EXPECT_FLOAT_EQ(p.Density(), 0.2f);
    EXPECT_FLOAT_EQ(p.Space(), 0.15f);
    EXPECT_TRUE(p.PrsDensity());
    EXPECT_FLOAT_EQ(p.Radius(), 4.0f);
    EXPECT_EQ(p.AirMap(), pamRoundTop);
    EXPECT_FLOAT_EQ(p.Flat(), 0.3f);
    EXPECT_FLOAT_EQ(p.Add(), 0.1f);

    EXPECT_FALSE(p.Read(nullptr, &nib, attr, stroke));
    EXPECT_FALSE(p.Read(&grade, nullptr, attr, stroke));
}

TEST(PaintParam, EffectCaptionsOfTheBrush)
{
    const TPaintParam blur(pmBlur4);
    EXPECT_EQ(blur.GetEffectHint(0), QStringLiteral("ぼかし強度|ぼかし強度の変更"));
    const TPaintParam wc(pmWaterColor5);
    EXPECT_EQ(wc.GetEffectName(2), QStringLiteral("効果の影響距離"));
    EXPECT_EQ(wc.GetEffectHint(2), QStringLiteral("効果の影響距離|効果の影響距離の変更"));
}

TEST(PaintParam, IconIsTheUsersOrTheModes)
{
    initialiseMethodIcons();
    TPaintParam p(pmSpread4);
    EXPECT_EQ(p.IconImage(), getPaintModeIcon(pmSpread4));
    TMTC user(5, 5);
    user.fillAll(0xFF112233);
    p.SetIconImage(&user);
    ASSERT_TRUE(p.UserIcon());
    ASSERT_NE(p.IconImage(), &user) << "the brush keeps its own copy";
    EXPECT_EQ(p.IconImage()->getColor(4, 4), 0xFF112233u);
    p.SetIconImage(nullptr);
    EXPECT_FALSE(p.UserIcon());
    EXPECT_EQ(p.IconImage(), getPaintModeIcon(pmSpread4));
    finaliseMethodIcons();
    EXPECT_EQ(p.IconImage(), nullptr);
}
