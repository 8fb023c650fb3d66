// The filter lab's support for the lighting family (the light as cells, the floor's textures from
// files) and the byte-driven runner of the record fuzzer on random bytes.
#include "filters/algorithms/lighting_lab_support.h"

#include "core/image/canvas.h"
#include "filters/algorithms/floor_filter.h"
#include "filters/algorithms/lighting_filter.h"
#include "filters/algorithms/lighting_fuzz_support.h"
#include "filters/filter_test_support.h"

#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

TEST(LightingSupport, LightFromCells)
{
    SFltLight l;
    std::string error;
    ASSERT_TRUE(parseLightCells("2, 150, 0xFF8040, 80, 0.25, 0.75, 30, 1.5, -0.5, 40", l, &error))
        << error;
    EXPECT_EQ(+l.kind, flkSpot);
    EXPECT_EQ(+l.power, 150);
    EXPECT_EQ(+l.color.R, 0xFF);
    EXPECT_EQ(+l.color.G, 0x80);
    EXPECT_EQ(+l.color.B, 0x40);
    EXPECT_EQ(+l.range, 80);
    EXPECT_FLOAT_EQ(+l.posx, 0.25f);
    EXPECT_FLOAT_EQ(+l.posy, 0.75f);
    EXPECT_EQ(+l.posz, 30);
    EXPECT_FLOAT_EQ(+l.theta, 1.5f);
    EXPECT_FLOAT_EQ(+l.phi, -0.5f);
    EXPECT_EQ(+l.wide, 40);
    ASSERT_TRUE(parseLightCells("0,100,16777215,50", l));
    EXPECT_EQ(+l.color.all, 0x00FFFFFFu);
    EXPECT_EQ(+l.wide, 0);
    EXPECT_FALSE(parseLightCells("0,abc", l, &error));
    EXPECT_NE(error.find("cell 2"), std::string::npos);
    EXPECT_FALSE(parseLightCells("0,1,2,3,4,5,6,7,8,9,10", l));

    SLightingLabRecord r;
    ASSERT_TRUE(parseLightCells("0,100,0xFFFFFF,50,0.5,0.5,0", l));
    makeLightingLabRecord(r, l, 0xFFFFFF, 100);
    CBlockVMTC layer(20, 20);
    layer.PixelFill(0xFF000000);
    filtertest::DirectParams d(layer);
    ASSERT_TRUE(fltLighting(d.p, &r.rec, kFltObjComplexSize));
    EXPECT_EQ(layer.getColor(10, 10), 0xFFFFFFFFu);
    EXPECT_EQ(layer.getColor(0, 0), 0xFF000000u);
}

TEST(LightingSupport, FloorTexturesFromFiles)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage a(40, 20, QImage::Format_ARGB32), b(16, 16, QImage::Format_ARGB32);
    a.fill(QColor(255, 0, 0));
    b.fill(QColor(0, 0, 255));
    const QString pa = dir.filePath("a.png"), pb = dir.filePath("b.png");
    ASSERT_TRUE(a.save(pa) && b.save(pb));
    SFloorLabTextures t;
    QString error;
    ASSERT_TRUE(loadFloorLabTextures(pa + "," + pb, t, &error)) << error.toStdString();
    ASSERT_TRUE(t.tex[0] && t.tex[1]);
    EXPECT_EQ(t.tex[0]->FPSZ(), (sSize{256, 256}));
    EXPECT_EQ(t.tex[0]->getColor(100, 100) & 0x00FFFFFFu, 0x00FF0000u);
    EXPECT_EQ(t.tex[1]->getColor(3, 3) & 0x00FFFFFFu, 0x000000FFu);
    SFltFloor rec;
    makeFloorLabRecord(rec, t);
    EXPECT_EQ(+rec.sfloor.tex0w, 40);
    EXPECT_EQ(+rec.sfloor.tex0h, 20);
    EXPECT_EQ(+rec.sfloor.tex1w, 16);
    EXPECT_EQ(rec.stex[1].tc, t.tex[1].get());
    CBlockVMTC layer(30, 30);
    filtertest::DirectParams d(layer);
    EXPECT_TRUE(fltFloor2(d.p, &rec, kFltFloorSize));

    SFloorLabTextures one;
    ASSERT_TRUE(loadFloorLabTextures(pa, one));
    EXPECT_EQ(one.size[1], (sSize{40, 20}));
    EXPECT_FALSE(loadFloorLabTextures(dir.filePath("missing.png"), one, &error));
    EXPECT_FALSE(loadFloorLabTextures(pa + "," + pb + "," + pa, one));
}

// Random bytes through every function of the family: nothing may crash, hang or read outside
// (the sanitizer build checks the last).
TEST(LightingSupport, RandomBytesThroughEveryFunction)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    std::vector<uint8_t> bytes;
    for (int round = 0; round < 1400; ++round) {
        bytes.resize(rng() % 400);
        for (uint8_t &b : bytes)
            b = uint8_t(rng());
        if (!bytes.empty())
            bytes[0] = uint8_t(round % kLightingFamilyFunctions);
        runLightingFamilyOnBytes(bytes.data(), bytes.size());
    }
}

} // namespace
