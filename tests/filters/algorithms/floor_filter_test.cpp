// The floor filter: far distance, refused records, the horizon row, clear mode, texture wrapping,
// previews of a part against the whole, and the fast rows against the plain form.
#include "filters/algorithms/floor_filter.h"

#include "filters/filter_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

using filtertest::DirectParams;
using filtertest::firstDifference;

namespace {

// A floor record over up to two textures; slot 0 the ceiling, slot 1 the floor.
SFltFloor floorRecord(TMTC *ceiling, TMTC *floor)
{
    SFltFloor rec;
    initFltFloor(rec);
    SFltFloorParam &f = rec.sfloor;
    f.version = 3;
    f.y = 10;
    f.skyheight = 20;
    f.eye2scr = 50;
    f.alpha = 100;
    f.farcol.all = 0xFF808080;
    f.maxfar = 30;
    f.drawfar = 1;
    f.texEnbFlag = uint8_t((ceiling ? 1 : 0) | (floor ? 2 : 0));
    f.tex0w = f.tex0h = f.tex1w = f.tex1h = 64;
    rec.stex[0].tc = ceiling;
    rec.stex[1].tc = floor;
    return rec;
}

std::unique_ptr<TMTC> uniformTexture(int32_t w, int32_t h, uint32_t colour)
{
    auto t = std::make_unique<TMTC>(w, h);
    t->PixelFill(colour);
    return t;
}

std::unique_ptr<TMTC> randomTexture(int32_t w, int32_t h, std::mt19937 &rng, bool opaque)
{
    auto tp = std::make_unique<TMTC>(w, h);
    TMTC &t = *tp;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            t.seek32(x, y)->all = opaque ? (rng() | 0xFF000000u) : filtertest::randomPixel(rng);
    return tp;
}

// A layer of random pixels.
struct RandomLayer : CBlockVMTC
{
    RandomLayer(int32_t w, int32_t h, uint32_t seed) : CBlockVMTC(w, h)
    {
        std::mt19937 rng(seed);
        filtertest::fillRandom(*this, rng);
    }
};

void fill(CMaskData &m, sRect r, uint8_t v)
{
    m.maskTC->fillArea(r, v);
}

TEST(FloorFilter, FarDistanceFromMaxfar)
{
    struct Case
    {
        int32_t maxfar, nearDist, far;
    };
    for (const Case &c : {Case{0, 100, 100}, Case{30, 100, 3369}, Case{50, 100, 7135},
                          Case{100, 100, 20000}, Case{100, 0, 1}, Case{30, 0, 1}})
        EXPECT_EQ(floorFarDistance(c.maxfar, c.nearDist), c.far) << c.maxfar << " " << c.nearDist;
}

TEST(FloorFilter, RefusedRecordsChangeNothing)
{
    auto texp = uniformTexture(16, 16, 0xFF102030);
    TMTC &tex = *texp;
    RandomLayer layer(24, 20, 3);
    const CBlockVMTC before(layer);
    std::vector<SFltFloor> bad;
    bad.push_back(floorRecord(nullptr, nullptr)); // both slots disabled
    bad.push_back(floorRecord(&tex, &tex));
    bad.back().sfloor.texEnbFlag = 0; // disabled though images exist
    bad.push_back(floorRecord(&tex, nullptr));
    bad.back().sfloor.texEnbFlag = 3; // enabled slot 1 without an image
    bad.push_back(floorRecord(&tex, &tex));
    bad.back().sfloor.tex0w = 0;
    bad.push_back(floorRecord(&tex, &tex));
    bad.back().sfloor.tex1h = 0;
    bad.push_back(floorRecord(&tex, &tex));
    bad.back().sfloor.pitch = std::nanf("");
    for (const SFltFloor &rec : bad) {
        DirectParams d(layer);
        EXPECT_FALSE(fltFloor(d.p, &rec, kFltFloorSize));
        EXPECT_FALSE(fltFloor2(d.p, &rec, kFltFloorSize));
    }
    DirectParams d(layer);
    const SFltFloor good = floorRecord(&tex, &tex);
    EXPECT_FALSE(fltFloor(d.p, &good, kFltFloorSize - 1));
    EXPECT_EQ(firstDifference(layer, before), "");
}

// Pitch 0 and an odd height: the ray of the centre row is level, and that row shows the mean of
// the two textures' far samples (clear mode: no fog over them).
TEST(FloorFilter, HorizonRowAtTheCentreShowsTheMeanOfBothTextures)
{
    auto redp = uniformTexture(16, 16, 0xFFFF0000), bluep = uniformTexture(16, 16, 0xFF0000FF);
    TMTC &red = *redp, &blue = *bluep;
    SFltFloor rec = floorRecord(&red, &blue);
    rec.sfloor.clear = 1;
    RandomLayer layer(40, 41, 5);
    DirectParams d(layer);
    ASSERT_TRUE(fltFloor2(d.p, &rec, kFltFloorSize));
    for (int x = 0; x < 40; ++x) {
        ASSERT_EQ(layer.getColor(x, 20), 0xFF7F007Fu) << x;
        // Above it the rays rise to the ceiling, below they fall to the floor.
        ASSERT_EQ(layer.getColor(x, 19) & 0x00FF00FFu, 0x00FF0000u) << x;
        ASSERT_EQ(layer.getColor(x, 21) & 0x00FF00FFu, 0x000000FFu) << x;
    }
}

TEST(FloorFilter, ClearModeMakesRowsMeetingNoPlaneTransparent)
{
    auto bluep = uniformTexture(16, 16, 0xFF0000FF);
    TMTC &blue = *bluep;
    for (const bool newest : {false, true}) {
        SFltFloor rec = floorRecord(nullptr, &blue);
        rec.sfloor.clear = 1;
        RandomLayer layer(30, 31, 9);
        DirectParams d(layer);
        ASSERT_TRUE((newest ? fltFloor2 : fltFloor)(d.p, &rec, kFltFloorSize));
        for (int y = 0; y < 15; ++y)
            for (int x = 0; x < 30; ++x)
                ASSERT_EQ(layer.getColor(x, y), 0x00FFFFFFu) << x << "," << y;
        EXPECT_EQ(layer.getColor(3, 29) & 0x00FFFFFFu, 0x000000FFu);
    }
}

// A texture of 8 x 4 repeated twice each way is the same picture when each repetition covers
// twice the size: U wraps at 8 and V at 4, each at its own side.
TEST(FloorFilter, NonSquareTexturesWrapEachCoordinateAtItsOwnSide)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    auto smallp = randomTexture(8, 4, rng, true);
    TMTC &small = *smallp, tiled(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            tiled.seek32(x, y)->all = small.getColor(x % 8, y % 4);
    SFltFloor a = floorRecord(&small, &small), b = floorRecord(&tiled, &tiled);
    a.sfloor.head = b.sfloor.head = 0.4f;
    a.sfloor.pitch = b.sfloor.pitch = 0.2f;
    a.sfloor.tex0w = a.sfloor.tex1w = 6;
    a.sfloor.tex0h = a.sfloor.tex1h = 5;
    b.sfloor.tex0w = b.sfloor.tex1w = 12;
    b.sfloor.tex0h = b.sfloor.tex1h = 10;
    RandomLayer la(48, 40, seed), lb(la);
    DirectParams da(la), db(lb);
    ASSERT_TRUE(fltFloor(da.p, &a, kFltFloorSize));
    ASSERT_TRUE(fltFloor(db.p, &b, kFltFloorSize));
    // The 16.16 positions of the two may round apart by a unit: a channel by one at most.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 48; ++x) {
            const sBGRA p{.all = la.getColor(x, y)}, q{.all = lb.getColor(x, y)};
            for (int c = 0; c < 4; ++c)
                ASSERT_LE(std::abs(int((p.all >> (8 * c)) & 0xFF) - int((q.all >> (8 * c)) & 0xFF)),
                          1)
                    << x << "," << y;
        }
}

SFltFloor randomRecord(std::mt19937 &rng, TMTC &t0, TMTC &t1)
{
    std::uniform_real_distribution<float> angle(-1.2f, 1.2f);
    SFltFloor rec = floorRecord(&t0, &t1);
    SFltFloorParam &f = rec.sfloor;
    f.x = int32_t(rng() % 200) - 100;
    f.z = int32_t(rng() % 200) - 100;
    f.y = float(rng() % 40) - 5;
    f.head = angle(rng);
    f.pitch = angle(rng);
    f.eye2scr = int32_t(rng() % 100) + 1;
    f.skyheight = int32_t(rng() % 50);
    f.alpha = int32_t(rng() % 101);
    f.farcol.all = rng();
    f.useOrgPic = uint8_t(rng() % 2);
    f.clear = uint8_t(rng() % 2);
    f.drawfar = uint8_t(rng() % 2);
    f.maxfar = uint8_t(rng() % 101);
    f.texEnbFlag = uint8_t(1 + rng() % 3);
    f.tex0w = uint16_t(1 + rng() % 64);
    f.tex0h = uint16_t(1 + rng() % 64);
    f.tex1w = uint16_t(1 + rng() % 64);
    f.tex1h = uint16_t(1 + rng() % 64);
    return rec;
}

// The fast rows against the plain form, and a part of the effect rectangle against the whole.
TEST(FloorFilter, FastRowsAndPartsAgreeWithThePlainWholeRun)
{
    const uint32_t seed = filtertest::testSeed();
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    auto t0p = randomTexture(16, 16, rng, false), t1p = randomTexture(32, 8, rng, false);
    TMTC &t0 = *t0p, &t1 = *t1p;
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        const SFltFloor rec = randomRecord(rng, t0, t1);
        const bool newest = round % 2 == 1;
        RandomLayer layer(70, 50, seed + round);
        CBlockVMTC fast(layer), plain(layer), part(layer);
        const sRect mr{int32_t(rng() % 10), int32_t(rng() % 10), 60 + int32_t(rng() % 10),
                       40 + int32_t(rng() % 10)};
        CMaskData sel(0, 70, 50);
        fill(sel, mr, 200);
        fill(sel, {mr.x0 + 5, mr.y0 + 5, mr.x0 + 20, mr.y0 + 12}, 0);
        DirectParams df(fast, &mr), dp(plain, &mr), dq(part, &mr);
        for (DirectParams *d : {&df, &dp, &dq})
            d->useMask(sel);
        dp.p.layerPrt = df.p.layerPrt = dq.p.layerPrt = round % 3 == 0;
        ASSERT_TRUE((newest ? fltFloor2 : fltFloor)(df.p, &rec, kFltFloorSize));
        ASSERT_TRUE(fltFloorReference(dp.p, rec, newest));
        ASSERT_EQ(firstDifference(fast, plain), "");
        const int32_t x0 = mr.x0 + int32_t(rng() % 20), y0 = mr.y0 + int32_t(rng() % 15);
        dq.p.dstRect = {x0, y0, x0 + 1 + int32_t(rng() % uint32_t(mr.x1 - x0)),
                        y0 + 1 + int32_t(rng() % uint32_t(mr.y1 - y0))};
        ASSERT_TRUE((newest ? fltFloor2 : fltFloor)(dq.p, &rec, kFltFloorSize));
        for (int y = 0; y < 50; ++y)
            for (int x = 0; x < 70; ++x) {
                const bool in = x >= dq.p.dstRect.x0 && x < dq.p.dstRect.x1 &&
                                y >= dq.p.dstRect.y0 && y < dq.p.dstRect.y1;
                ASSERT_EQ(part.getColor(x, y), in ? fast.getColor(x, y) : layer.getColor(x, y))
                    << x << "," << y;
            }
    }
}

TEST(FloorFilter, PutTableByMode)
{
    // Clear off, replacing: the pixel becomes the colour at the opacity over transparent white.
    sBGRA px{.all = 0xFF123456};
    floorPut(false, false, false)(&px, 0xFF0000FF, 255);
    EXPECT_EQ(px.all, 0xFF0000FFu);
    px.all = 0xFF123456;
    floorPut(false, false, false)(&px, 0xFF0000FF, 0);
    EXPECT_EQ(px.all, 0x00FFFFFFu);
    // Keeping the picture: opacity 0 leaves it.
    px.all = 0xFF123456;
    floorPut(false, false, true)(&px, 0xFF0000FF, 0);
    EXPECT_EQ(px.all, 0xFF123456u);
    // A protected layer keeps its alpha.
    px.all = 0x40123456;
    floorPut(true, true, false)(&px, 0xFF0000FF, 255);
    EXPECT_EQ(px.all, 0x400000FFu);
    // Clear mode, replacing, opacity 0: cleared.
    px.all = 0xFF123456;
    floorPut(true, false, false)(&px, 0xFF808080, 0);
    EXPECT_EQ(px.all, 0x00FFFFFFu);
}

} // namespace
