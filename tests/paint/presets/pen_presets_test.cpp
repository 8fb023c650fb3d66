#include "paint/presets/pen_presets.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/presets/method_icons.h"

#include <gtest/gtest.h>

#include <set>

namespace {

std::unique_ptr<TChannel> channel(int w, int h, uint8_t v = 200)
{
    auto ch = std::make_unique<TChannel>(w, h);
    ch->PixelFill(v);
    return ch;
}

} // namespace

TEST(PenShapeObj, FreshNibAndIds)
{
    CPenShapeObj a, b;
    EXPECT_FALSE(a.enable);
    EXPECT_NE(a.id(), b.id());
    EXPECT_EQ(a.shapeType, ePenShapeType::pstStd);
    EXPECT_EQ(+a.penParam.radius, 1000);
    EXPECT_EQ(+a.penParam.flatRate, 1000);
    EXPECT_EQ(a.gradMap.mapType, eGradeMap::GMAP_LINEAR);
    EXPECT_FALSE(a.hasImage());
    EXPECT_EQ(a.zoomRng, (sRange{100, 100}));
    SPenShapeData data;
    EXPECT_FALSE(a.getData(data)) << "not enabled";

    const int32_t old = a.id();
    EXPECT_EQ(a.setNewID(), old);
    EXPECT_NE(a.id(), old);
    const int32_t before = a.id();
    EXPECT_EQ(a.setID(77), before);
    EXPECT_EQ(a.id(), 77);

    EXPECT_TRUE(a.setRadiusSingle(2.5f));
    EXPECT_FALSE(a.setRadiusSingle(2.5f));
    EXPECT_EQ(a.getRadiusIntX100(), 250);
    EXPECT_TRUE(a.setAntiOff(true));
    EXPECT_FALSE(a.setAntiOff(true));
    EXPECT_TRUE(a.setGradeMapType(eGradeMap::GMAP_PINTOP));
    EXPECT_FALSE(a.setGradeMapType(eGradeMap::GMAP_PINTOP));
}

// The zoom range keeps the shorter side at 4 pixels or more and the longer at 512 or less.
TEST(PenShapeObj, ImageNibZoomRange)
{
    struct Case
    {
        int w, h;
        sRange range;
        int zoom;
    } cases[] = {
        {20, 1000, {20, 51}, 51},
        {64, 64, {6, 500}, 100},
        {1, 1, {400, 500}, 400},
        {2000, 1000, {1, 25}, 25},
    };
    for (const Case &c : cases) {
        CPenShapeObj nib;
        const int32_t id = nib.id();
        ASSERT_TRUE(nib.attachImage(channel(c.w, c.h), false));
        EXPECT_EQ(nib.shapeType, ePenShapeType::pstImage);
        EXPECT_EQ(nib.zoomRng, c.range) << c.w << "x" << c.h;
        EXPECT_EQ(nib.zoomRate, c.zoom);
        EXPECT_EQ(+nib.penParam.radius, c.zoom * 100);
        EXPECT_EQ(nib.imageRadius, std::max(c.w, c.h));
        EXPECT_NE(nib.id(), id) << "a new image is a new nib";
        EXPECT_FLOAT_EQ(nib.RealRadius(), float(c.zoom) / 100 * float(std::max(c.w, c.h)) / 2);
    }

    CPenShapeObj nib;
    ASSERT_TRUE(nib.attachImage(channel(64, 64), false));
    EXPECT_FALSE(nib.changeZoom(100)) << "unchanged";
    EXPECT_FALSE(nib.changeZoom(5)) << "below the range";
    EXPECT_FALSE(nib.changeZoom(501));
    EXPECT_TRUE(nib.changeZoom(250));
    EXPECT_EQ(+nib.penParam.radius, 25000);
    EXPECT_FLOAT_EQ(nib.getImageScale(), 2.5f);

    nib.clearImage();
    EXPECT_FALSE(nib.hasImage());
    EXPECT_EQ(nib.shapeType, ePenShapeType::pstStd);
    EXPECT_EQ(+nib.penParam.radius, 1000);
    EXPECT_FALSE(nib.changeZoom(200)) << "a parameter nib has no zoom";
}

// An empty tip would divide the zoom range by zero: it is refused and the nib stays as it was.
TEST(PenShapeObj, EmptyTipIsRefused)
{
    CPenShapeObj nib;
    nib.setData(SPenShapeData{});
    EXPECT_FALSE(nib.attachImage(std::make_unique<TChannel>(), true));
    EXPECT_FALSE(nib.attachImage(nullptr, true));
    EXPECT_FALSE(nib.setImage(TChannel(), false));
    EXPECT_EQ(nib.shapeType, ePenShapeType::pstStd);
    EXPECT_FALSE(nib.hasImage());
}

TEST(PenShapeObj, CopyAndGreyImage)
{
    CPenShapeObj src;
    EXPECT_FALSE(CPenShapeObj().copy(src)) << "the source is not enabled";
    SPenShapeData data;
    data.map = {eGradeMap::GMAP_GAMMA, 100, 200};
    initPenParam(data.param, 3.0f);
    data.attr.antiOff = 1;
    src.setData(data);
    TMTC tc(6, 3);
    tc.fillAll(0xFF808080);
    ASSERT_TRUE(src.setImage(tc));
    ASSERT_TRUE(src.hasImage());
    EXPECT_EQ(src.shapeCH->getColor(5, 2), 128);
    ASSERT_TRUE(src.changeZoom(300));

    CPenShapeObj dst;
    ASSERT_TRUE(dst.copy(src));
    EXPECT_TRUE(dst.enable);
    EXPECT_TRUE(dst.hasImage());
    EXPECT_NE(dst.shapeCH.get(), src.shapeCH.get());
    EXPECT_EQ(dst.zoomRate, 300);
    EXPECT_EQ(dst.gradMap.mapType, eGradeMap::GMAP_GAMMA);
    EXPECT_EQ(+dst.penAttr.antiOff, 1);
    EXPECT_NE(dst.id(), src.id());

    // A parameter source drops the image.
    CPenShapeObj plain(data);
    ASSERT_TRUE(dst.copy(plain));
    EXPECT_FALSE(dst.hasImage());
    EXPECT_EQ(+dst.penParam.radius, 300);
}

TEST(PenMethodObj, DataNibAndCopy)
{
    CPenMethodObj m;
    EXPECT_FALSE(m.enable);
    EXPECT_EQ(+m.methodData.strokeParam.opaque, 1000);
    EXPECT_FALSE(m.setData(nullptr, nullptr, nullptr));
    EXPECT_FALSE(m.enable);
    SPenRenderAttr attr;
    paintModeToRenderAttr(TPaintMode::pmEraser5, attr);
    const SPenRenderOpt opt{true, true};
    ASSERT_TRUE(m.setData(&attr, &opt, nullptr));
    EXPECT_TRUE(m.methodData.renderOpt.enbTone);
    EXPECT_EQ(+m.methodData.strokeParam.spacing, 100) << "no stroke parameters given";
    EXPECT_EQ(getPenMethodType(m), TPenMethodType::pmtEraser5);

    EXPECT_FALSE(m.hasShape());
    SPenShapeData shp;
    EXPECT_FALSE(m.getShape(shp));
    initPenParam(shp.param, 5.0f);
    ASSERT_TRUE(m.setShape(shp));
    ASSERT_TRUE(m.hasShape());
    m.methodName = QStringLiteral("消し");

    const CPenMethodObj copy(m);
    EXPECT_TRUE(copy.enable);
    EXPECT_NE(copy.id(), m.id());
    EXPECT_EQ(copy.methodName, QStringLiteral("消し"));
    ASSERT_TRUE(copy.hasShape());
    EXPECT_NE(copy.shapeObj.get(), m.shapeObj.get());
    EXPECT_EQ(+copy.shapeObj->penParam.radius, 500);

    CPenMethodObj withNib(copy);
    CPenMethodObj noNib;
    noNib.setData(&attr, nullptr, nullptr);
    ASSERT_TRUE(withNib.copy(noNib));
    EXPECT_FALSE(withNib.hasShape()) << "a copy of a method without a nib has none";
}

TEST(PenMethodObj, IconsAreFittedInto128And32)
{
    CPenMethodObj m;
    TMTC wide(256, 64);
    wide.fillAll(0xFF00FF00);
    ASSERT_TRUE(m.setIcon(&wide));
    ASSERT_TRUE(m.hasIcon());
    EXPECT_EQ(m.orgIconTC->FPSZ(), (sSize{128, 32}));
    EXPECT_EQ(m.curIconTC->FPSZ(), (sSize{32, 32}));

    TMTC small(20, 10);
    small.fillAll(0xFF0000FF);
    ASSERT_TRUE(m.setIcon(&small));
    EXPECT_EQ(m.orgIconTC->FPSZ(), (sSize{20, 10})) << "copied as it is";
    EXPECT_EQ(m.orgIconTC->getColor(19, 9), 0xFF0000FFu);
    EXPECT_EQ(m.curIconTC->FPSZ(), (sSize{32, 32}));

    // Its own icon as the source.
    ASSERT_TRUE(m.setIcon(m.orgIconTC.get()));
    EXPECT_EQ(m.orgIconTC->FPSZ(), (sSize{20, 10}));

    EXPECT_TRUE(m.setIcon(nullptr));
    EXPECT_FALSE(m.hasIcon());
    const TMTC empty;
    EXPECT_TRUE(m.setIcon(&empty));
    EXPECT_FALSE(m.hasIcon());
}

TEST(MethodIcons, StoreSlots)
{
    using enum TPaintMode;
    EXPECT_EQ(getPaintModeIcon(pmPencil5), nullptr) << "nothing before the store is filled";
    initialiseMethodIcons();
    std::set<const TMTC *> pictures;
    for (int i = 0; i < kPaintModeCount; ++i) {
        const TMTC *icon = getPaintModeIcon(TPaintMode(i));
        ASSERT_NE(icon, nullptr) << i;
        EXPECT_EQ(icon->FPSZ(), (sSize{32, 32})) << i;
        pictures.insert(icon);
    }
    EXPECT_EQ(pictures.size(), 9u) << "nine slots sharing one picture, and the spread picture";
    EXPECT_EQ(getPaintModeIcon(pmBlur2), getPaintModeIcon(pmBlur1));
    EXPECT_EQ(getPaintModeIcon(pmPencil1), getPaintModeIcon(pmPencil5));
    EXPECT_NE(getPaintModeIcon(pmSpread4), getPaintModeIcon(pmFingerTip4));
    EXPECT_EQ(getPaintModeIcon(TPaintMode(22)), nullptr);
    finaliseMethodIcons();
}
