// Version-5 dabs through a capturing put: golden dabs of every rasteriser, the symmetries a dab
// must keep, coverage sums against the footprint's area, the saturated core, anti-aliasing off,
// faint dabs and clipping.
#include "core/pixel/blend_modes.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "paint/dab_test_support.h"
#include "paint/brush/grade_map.h"
#include "paint/presets/pen_presets.h"
#include "paint/render/pen_render5.h"
#include "paint/stroke/stroke.h"
#include "paint/canvas/stroke_canvas.h"
#include "paint/stroke/stroke_placement.h"

#include "core/pixel/each_simd_level.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

struct DabSpec
{
    float r;
    int32_t flatRate, degree; // thousandths, tenths of a degree
    int32_t gradeFlat;        // fall-off flat rate, thousandths
    float x, y, p;
};

// A renderer set up for one standard nib.
struct Dab5
{
    CPenRender5 render{nullptr};
    TMTC canvas{64, 64};
    TChannel channel{64, 64};

    explicit Dab5(const DabSpec &d, bool antiOff = false)
    {
        SPenParam prm;
        initPenParam(prm, d.r);
        prm.flatRate = d.flatRate;
        prm.degree = d.degree;
        render.changePenParam(prm);
        SPenAttr attr;
        penAttrSetAntiOff(attr, antiOff);
        render.changePenAttr(attr);
        SGradeMapParam grade;
        grade.flatRate = d.gradeFlat;
        render.changeGradeParam(grade);
    }
};

std::map<std::pair<int, int>, int> paint(const DabSpec &d, bool antiOff = false)
{
    PutCapture cap;
    Dab5 dab(d, antiOff);
    dab.render.render4chPen(dab.canvas, {d.x, d.y, d.p}, d.r, 0xFF000000);
    return alphaMap(cap.canvas);
}

} // namespace

TEST(Dab5Golden, RowsColumnsSmallAndImage)
{
    // Round nib of radius 3 on a pixel, linear fall-off: no table entry reaches 255, so even the
    // centre is looked up (254).
    EXPECT_EQ(alphaGrid(paint({3, 1000, 0, 0, 10, 10, 1}), 6, 6, 14, 14),
              (std::vector<int>{
                  -1, -1, -1, -1,  -1,  -1,  -1, -1, -1, //
                  -1, -1, 1,  3,   12,  3,   1,  -1, -1, //
                  -1, 1,  12, 66,  86,  66,  12, 1,  -1, //
                  -1, 4,  66, 135, 170, 135, 66, 4,  -1, //
                  -1, 12, 86, 170, 254, 170, 86, 12, -1, //
                  -1, 4,  66, 135, 170, 135, 66, 4,  -1, //
                  -1, 1,  12, 66,  86,  66,  12, 1,  -1, //
                  -1, -1, 1,  3,   12,  3,   1,  -1, -1, //
                  -1, -1, -1, -1,  -1,  -1,  -1, -1, -1, //
              }));
    // Flat 50 % turned by 20 degrees: columns, sheared; half the fall-off flat, so the core is
    // filled at 255.
    EXPECT_EQ(alphaGrid(paint({4, 500, 200, 500, 10.3f, 10.6f, 1}), 6, 8, 13, 12),
              (std::vector<int>{
                  -1, 1,  7,   14,  8,   -1,  -1,  -1,  //
                  -1, 42, 138, 185, 169, 97,  22,  -1,  //
                  -1, 56, 201, 255, 255, 255, 191, 43,  //
                  -1, 3,  94,  234, 255, 255, 255, 146, //
                  -1, -1, 1,   39,  116, 169, 162, 98,  //
              }));
    EXPECT_EQ(paint({4, 500, 200, 500, 10.3f, 10.6f, 1}).at({14, 11}), 15);
    // Flat 40 % at 120 degrees, half opacity: rows sheared the other way; faint edge pixels are
    // put with alpha 0.
    EXPECT_EQ(alphaGrid(paint({4, 400, 1200, 300, 10, 10, 0.5f}), 8, 7, 13, 13),
              (std::vector<int>{
                  -1, -1, 0,   14,  23, 0,  //
                  -1, -1, 27,  78,  48, 1,  //
                  -1, 15, 96,  122, 40, -1, //
                  1,  58, 128, 104, 18, -1, //
                  11, 88, 126, 48,  0,  -1, //
                  18, 75, 58,  3,   -1, -1, //
                  6,  28, 2,   -1,  -1, -1, //
              }));
    // A dab under one pixel across, tested point by point.
    EXPECT_EQ(alphaGrid(paint({0.7f, 600, 0, 0, 10.2f, 10.4f, 1}), 9, 9, 12, 12),
              (std::vector<int>{
                  -1, -1, -1, -1, //
                  -1, 66, 9, -1,  //
                  -1, 22, 2, -1,  //
                  -1, -1, -1, -1, //
              }));
}

TEST(Dab5Golden, ImageNib)
{
    auto tip = std::make_unique<TChannel>(6, 4);
    tip->PixelFill(255);
    sBox ink{1, 1, 4, 2};
    tip->fillBox(ink, 0);
    CPenShapeObj nib;
    nib.setData(nullptr, nullptr, nullptr);
    ASSERT_TRUE(nib.attachImage(std::move(tip), true));
    PutCapture cap;
    CPenRender5 render(nullptr);
    render.setPenShapeObj(&nib, true, true, true);
    TMTC canvas(32, 32);
    ASSERT_TRUE(render.render4chPen(canvas, {10.25f, 10.5f, 0.8f}, 150, 0xFF000000));
    EXPECT_EQ(nib.zoomRate, 150);
    EXPECT_EQ(alphaGrid(alphaMap(cap.canvas), 6, 7, 14, 11),
              (std::vector<int>{
                  -1, -1, -1,  -1,  -1,  -1,  -1,  -1, -1, //
                  -1, 66, 115, 135, 140, 127, 102, 18, -1, //
                  -1, 76, 135, 165, 175, 151, 119, 21, -1, //
                  -1, 79, 140, 175, 191, 158, 123, 22, -1, //
                  -1, -1, -1,  -1,  -1,  -1,  -1,  -1, -1, //
              }));
    EXPECT_EQ(cap.canvas.size(), 21u);
}

TEST(Dab5, RoundDabsAreSymmetric)
{
    // Mirrored left to right and top to bottom (rows and columns are sampled differently, so a
    // round dab is not its own transpose). Radii whose chords end on a pixel edge are left out:
    // spans are cut a sixth short of the rectangle's right edge, which shades the last column
    // differently.
    for (float r : {1.0f, 2.7f, 6.0f, 11.0f}) {
        const auto m = paint({r, 1000, 0, 300, 30, 30, 1});
        for (const auto &[pos, a] : m) {
            const auto [x, y] = pos;
            ASSERT_EQ(m.at({60 - x, y}), a) << r << " mirror " << x << ", " << y;
            ASSERT_EQ(m.at({x, 60 - y}), a) << r << " flip " << x << ", " << y;
        }
    }
}

TEST(Dab5, ColumnsAreRowsTransposed)
{
    // Flat 50 % at 0 degrees is rasterised by columns, at 90 by rows: the same dab turned.
    for (float r : {2.0f, 5.5f, 14.0f}) {
        const auto cols = paint({r, 500, 0, 200, 20.3f, 25.6f, 0.9f});
        const auto rows = paint({r, 500, 900, 200, 25.6f, 20.3f, 0.9f});
        ASSERT_EQ(cols.size(), rows.size()) << r;
        for (const auto &[pos, a] : cols)
            ASSERT_EQ(rows.at({pos.second, pos.first}), a) << r << " at " << pos.first;
    }
    // Oblique nibs: 30 degrees by columns is 60 degrees by rows mirrored across the diagonal.
    const auto c30 = paint({6, 500, 300, 0, 20, 20, 1});
    const auto r60 = paint({6, 500, 600, 0, 20, 20, 1});
    ASSERT_EQ(c30.size(), r60.size());
    for (const auto &[pos, a] : c30)
        EXPECT_NEAR(r60.at({pos.second, pos.first}), a, 1) << pos.first << ", " << pos.second;
}

TEST(Dab5, CoverageSumsMatchTheFootprint)
{
    // With the whole fall-off flat every covered pixel is strength × coverage, so the dab's
    // alphas add up to 255 × the ellipse's area.
    const struct
    {
        float r;
        int32_t flat, degree;
    } cases[] = {{1.5f, 1000, 0},  {3, 1000, 0},     {7.5f, 1000, 0}, {20, 1000, 0},
                 {7.5f, 500, 300}, {7.5f, 500, 600}, {12, 300, 1350}, {12, 700, 2700},
                 {20, 250, 450},   {5, 800, 100}};
    for (const auto &c : cases) {
        const auto m = paint({c.r, c.flat, c.degree, 1000, 30.3f, 31.7f, 1});
        const double area = M_PI * c.r * c.r * c.flat / 1000.0;
        EXPECT_NEAR(alphaSum(m) / 255, area, 0.05 * area + 1.0)
            << "r " << c.r << " flat " << c.flat << " angle " << c.degree / 10;
    }
}

TEST(Dab5, CoreFillAndFallOff)
{
    // Linear fall-off from the centre: no entry is 255, so nothing is put at 255.
    const auto soft = paint({10, 1000, 0, 0, 30, 30, 1});
    for (const auto &[pos, a] : soft)
        ASSERT_LT(a, 255);
    EXPECT_EQ(soft.at({30, 30}), 254);
    // Half of it flat: the inner half is the saturated core.
    const auto core = paint({10, 1000, 0, 500, 30, 30, 1});
    int full = 0;
    for (const auto &[pos, a] : core) {
        const double d = std::hypot(pos.first + 0.5 - 30.5, pos.second + 0.5 - 30.5);
        if (d < 4.5) {
            ASSERT_EQ(a, 255) << d;
        } else if (d > 5.5) {
            ASSERT_LT(a, 255) << d;
        }
        full += a == 255;
    }
    EXPECT_GT(full, 55);
    // A faint dab: the core rounds to 1, edges may round to 0 and are still put.
    const auto faint = paint({10, 1000, 0, 1000, 30, 30, 0.002f});
    EXPECT_EQ(faint.at({30, 30}), 1);
    int zeros = 0;
    for (const auto &[pos, a] : faint) {
        ASSERT_LE(a, 1);
        zeros += a == 0;
    }
    EXPECT_GT(zeros, 0);
}

TEST(Dab5, AntiAliasingOffPutsTheSameAlphaEverywhere)
{
    for (const DabSpec &d :
         {DabSpec{6, 1000, 0, 0, 20.4f, 20.2f, 0.6f}, DabSpec{6, 500, 300, 0, 20, 20, 0.6f},
          DabSpec{6, 400, 1100, 0, 20, 20, 0.6f}, DabSpec{0.8f, 1000, 0, 0, 20, 20, 0.6f}}) {
        const auto m = paint(d, true);
        ASSERT_FALSE(m.empty());
        for (const auto &[pos, a] : m)
            ASSERT_EQ(a, 153) << "Round(0.6 × 255), angle " << d.degree;
        // Every pixel the anti-aliased dab touches, and no other.
        const auto aa = paint(d, false);
        EXPECT_EQ(m.size(), aa.size());
    }
}

TEST(Dab5, ClippedDabsVisitOnlyTheTarget)
{
    // A round dab over the top-left corner puts exactly the in-target pixels of the same dab
    // painted whole elsewhere.
    const auto clipped = paint({5, 1000, 0, 300, 1.3f, 2.6f, 1});
    const auto whole = paint({5, 1000, 0, 300, 31.3f, 32.6f, 1});
    int inside = 0;
    for (const auto &[pos, a] : whole) {
        const int x = pos.first - 30, y = pos.second - 30;
        if (x < 0 || y < 0)
            continue;
        ++inside;
        ASSERT_EQ(clipped.at({x, y}), a) << x << ", " << y;
    }
    EXPECT_EQ(int(clipped.size()), inside);
    // Beyond the right and bottom edges nothing is put either.
    for (const auto &[pos, a] : paint({7, 500, 450, 0, 62.5f, 63, 1})) {
        ASSERT_LT(pos.first, 64);
        ASSERT_LT(pos.second, 64);
    }
    EXPECT_TRUE(paint({5, 1000, 0, 0, -20, 10, 1}).empty());
    EXPECT_TRUE(paint({5, 1000, 0, 0, 10, 80, 1}).empty());
}

TEST(Dab5, ChannelDabsMatchColourDabs)
{
    for (const DabSpec &d :
         {DabSpec{4, 1000, 0, 200, 10.2f, 11.7f, 0.7f}, DabSpec{7, 450, 300, 0, 20, 20, 1},
          DabSpec{7, 450, 1000, 0, 20, 20, 1}}) {
        PutCapture cap;
        Dab5 dab(d);
        dab.render.render4chPen(dab.canvas, {d.x, d.y, d.p}, d.r, 0xFF112233);
        dab.render.render1chPen(dab.channel, {d.x, d.y, d.p}, d.r, 255);
        EXPECT_EQ(alphaMap(cap.channel), alphaMap(cap.canvas)) << d.degree;
        for (const CapturedPut &p : cap.canvas)
            ASSERT_EQ(p.colour, 0xFF112233u);
        for (const CapturedPut &p : cap.channel)
            ASSERT_EQ(p.colour, 255u);
    }
}

TEST(Dab5, SmallDabThresholds)
{
    // One channel: below 2 pixels the small rasteriser; colour: only below 1 pixel.
    const DabSpec d{1.5f, 1000, 0, 300, 10.3f, 10.1f, 1};
    Dab5 dab(d);
    const SDabFootprint5 fp = calcFootprint5(dab.render.penParam(), d.r);
    SDabRaster5 raster;
    raster.x = d.x, raster.y = d.y, raster.pres = d.p, raster.color = 255, raster.fp = fp;
    raster.map = &dab.render.gradeMap();
    const auto table = makeDistanceTable();
    raster.distance = table.get();

    PutCapture cap;
    dab.render.render1chPen(dab.channel, {d.x, d.y, d.p}, d.r, 255);
    const auto viaRender1 = alphaMap(cap.channel);
    cap.clear();
    rasterDabSmall5(dab.channel, raster);
    EXPECT_EQ(viaRender1, alphaMap(cap.channel));
    cap.clear();
    rasterDabRows5(dab.channel, raster);
    EXPECT_NE(viaRender1, alphaMap(cap.channel));

    cap.clear();
    dab.render.render4chPen(dab.canvas, {d.x, d.y, d.p}, d.r, 255);
    const auto viaRender4 = alphaMap(cap.canvas);
    cap.clear();
    rasterDabRows5(dab.canvas, raster);
    EXPECT_EQ(viaRender4, alphaMap(cap.canvas));
    // Zero axes paint nothing.
    cap.clear();
    raster.fp.B = 0;
    rasterDabSmall5(dab.canvas, raster);
    rasterDabRows5(dab.canvas, raster);
    EXPECT_TRUE(cap.canvas.empty());
}

namespace {

// The plain chain written out as a put of its own, so the rasterisers take their general path.
void forwardCanvasPut(sBGRA *pixel, int32_t, int32_t, uint32_t alpha, uint32_t colour)
{
    gStrokeColorPut(pixel, colour, alpha);
}

void forwardChannelPut(uint8_t *pixel, int32_t, int32_t, uint32_t alpha, uint32_t value)
{
    gChannelValuePut(pixel, value, alpha);
}

} // namespace

TEST(Dab5, ShortcutsOfThePlainChainMatchItsPuts)
{
    const unsigned seed = ::testing::UnitTest::GetInstance()->random_seed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::srand(seed);
    auto rnd = [](float lo, float hi) { return lo + (hi - lo) * float(std::rand()) / RAND_MAX; };
    for (fptrPixelPut4core base :
         {fptrPixelPut4core(pixelPutAlpha), fptrPixelPut4core(pixelPutOver)}) {
        Dab5 dab({1, 1000, 0, 0, 0, 0, 1});
        TMTC fast(64, 64), plain(64, 64);
        TChannel fastCh(64, 64), plainCh(64, 64);
        for (TMTC *c : {&fast, &plain})
            c->fillAll(0x80406080);
        for (TChannel *c : {&fastCh, &plainCh})
            c->PixelFill(30);
        for (int i = 0; i < 40; ++i) {
            const float r = i % 5 == 0 ? rnd(0.2f, 2) : rnd(1, 20);
            SPenParam prm;
            initPenParam(prm, r);
            prm.flatRate = int32_t(rnd(100, 1000));
            prm.degree = int32_t(rnd(0, 3599));
            dab.render.changePenParam(prm);
            SGradeMapParam grade;
            grade.flatRate = int32_t(rnd(0, 1000));
            dab.render.changeGradeParam(grade);
            const SStrokeData at{rnd(-5, 68), rnd(-5, 68), rnd(0.01f, 1)};
            const uint32_t colour = uint32_t(std::rand()) | 0xFF000000u;
            initStrokePixelProcs();
            gStrokeColorPut = base;
            dab.render.render4chPen(fast, at, r, colour);
            dab.render.render1chPen(fastCh, at, r, 255);
            gCanvasPutAt = forwardCanvasPut;
            gChannelPutAt = forwardChannelPut;
            dab.render.render4chPen(plain, at, r, colour);
            dab.render.render1chPen(plainCh, at, r, 255);
        }
        initStrokePixelProcs();
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                ASSERT_EQ(fast.getColor(x, y), plain.getColor(x, y)) << x << ", " << y;
                ASSERT_EQ(fastCh.getColor(x, y), plainCh.getColor(x, y)) << x << ", " << y;
            }
    }
}

namespace {

// A random standard-nib dab for the fast-path comparisons: radii from a pixel to 60, any flat
// rate and angle (axis-aligned and round ones often), any fall-off, faint to over-full opacity,
// anywhere on and around a 64 × 48 target.
struct RandomDab
{
    SDabRaster5 raster;
    SGradeMapParam grade;
};

template <class Target> void chords(Target &t, const SDabRaster5 &dab, bool columns)
{
    if (columns)
        rasterDabColumns5(t, dab);
    else
        rasterDabRows5(t, dab);
}

RandomDab randomDab(const std::function<float(float, float)> &rnd)
{
    RandomDab d;
    const int band = std::rand() % 3;
    const float r = band == 0 ? rnd(1, 3) : band == 1 ? rnd(3, 14) : rnd(14, 60);
    SPenParam prm;
    initPenParam(prm, r);
    prm.flatRate = std::rand() % 4 == 0 ? 1000 : int32_t(rnd(100, 1000));
    prm.degree = std::rand() % 4 == 0 ? 900 * (std::rand() % 4) : int32_t(rnd(0, 3599));
    d.raster.fp = calcFootprint5(prm, r);
    d.grade.mapType = eGradeMap(std::rand() % int(eGradeMap::GMAP_MAX_NUM));
    d.grade.flatRate = std::rand() % 4 == 0 ? 0 : int32_t(rnd(0, 1000));
    d.grade.addRate = std::rand() % 3 == 0 ? int32_t(rnd(0, 1000)) : 0;
    d.raster.x = rnd(-12, 76), d.raster.y = rnd(-12, 60);
    // Halves and quarters round odd alphas on ties; the tiny factors round nearly all to 0.
    const float exact[] = {1.0f, 0.5f, 0.25f, 0.75f, 1.0f / 1024, 3e-6f, 2e-38f};
    d.raster.pres = std::rand() % 4 == 0 ? exact[std::rand() % 7] : rnd(0.002f, 1.1f);
    d.raster.color = uint32_t(std::rand()) | 0xFF000000u;
    d.raster.antiOff = std::rand() % 8 == 0;
    return d;
}

} // namespace

TEST(Dab5, FastChordsMatchTheReference)
{
    // The same dabs with the alpha cache (the fast path) and without (the reference read pixel by
    // pixel): every put, in order, alike. One cache serves all, as in a renderer whose fall-off
    // changes between dabs.
    const unsigned seed = ::testing::UnitTest::GetInstance()->random_seed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::srand(seed);
    auto rnd = [](float lo, float hi) { return lo + (hi - lo) * float(std::rand()) / RAND_MAX; };
    CGradeMapObj5 map(1024);
    const auto distance = makeDistanceTable();
    CDabAlphaCache5 cache;
    TMTC canvas(64, 48);
    TChannel channel(64, 48);
    PutCapture cap;
    for (int i = 0; i < 400; ++i) {
        RandomDab d = randomDab(rnd);
        map.setParam(d.grade);
        d.raster.map = &map;
        d.raster.distance = distance.get();
        for (bool columns : {false, true}) {
            const auto paint = [&](CDabAlphaCache5 *alphas) {
                d.raster.alphas = alphas;
                cap.clear();
                chords(canvas, d.raster, columns);
                chords(channel, d.raster, columns);
                return std::make_pair(cap.canvas, cap.channel);
            };
            const auto plain = paint(nullptr), fast = paint(&cache);
            ASSERT_EQ(fast.first.size(), plain.first.size()) << "dab " << i << " cols " << columns;
            ASSERT_EQ(fast.second.size(), plain.second.size()) << "dab " << i;
            for (size_t k = 0; k < plain.first.size(); ++k) {
                const CapturedPut &p = plain.first[k], &f = fast.first[k];
                ASSERT_TRUE(p.x == f.x && p.y == f.y && p.alpha == f.alpha && p.colour == f.colour)
                    << "dab " << i << " cols " << columns << " put " << k << " at " << p.x << ", "
                    << p.y << ": " << f.alpha << " for " << p.alpha;
                const CapturedPut &pc = plain.second[k], &fc = fast.second[k];
                ASSERT_TRUE(pc.x == fc.x && pc.y == fc.y && pc.alpha == fc.alpha)
                    << "channel, dab " << i << " put " << k;
            }
        }
    }
}

// The puts of the fast chords run the source-over row of the vector level in use: the pixel and
// stroke comparisons run at every level the processor has.
class FastChordsAtLevel : public EachSimdLevel
{
};
INSTANTIATE_EACH_SIMD_LEVEL(FastChordsAtLevel);

TEST_P(FastChordsAtLevel, PaintTheReferencePixels)
{
    // Through the plain chain's shortcuts (the value put inlined, the core through the put's row
    // loop) onto real pixels, over each other, for the puts strokes use and one without a
    // shortcut of its own.
    const unsigned seed = ::testing::UnitTest::GetInstance()->random_seed();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::srand(seed);
    auto rnd = [](float lo, float hi) { return lo + (hi - lo) * float(std::rand()) / RAND_MAX; };
    for (fptrPixelPut4core base :
         {fptrPixelPut4core(pixelPutAlpha), fptrPixelPut4core(pixelPutOver),
          fptrPixelPut4core(pixelPutMul), fptrPixelPut4core(pixelEraseAlpha)}) {
        CGradeMapObj5 map(1024);
        const auto distance = makeDistanceTable();
        CDabAlphaCache5 cache;
        TMTC fast(64, 48), plain(64, 48);
        TChannel fastCh(64, 48), plainCh(64, 48);
        for (TMTC *c : {&fast, &plain})
            c->fillAll(0x40C08020);
        for (TChannel *c : {&fastCh, &plainCh})
            c->PixelFill(30);
        initStrokePixelProcs();
        gStrokeColorPut = base;
        for (int i = 0; i < 150; ++i) {
            RandomDab d = randomDab(rnd);
            map.setParam(d.grade);
            d.raster.map = &map;
            d.raster.distance = distance.get();
            const bool columns = d.raster.fp.cols;
            d.raster.alphas = &cache;
            chords(fast, d.raster, columns);
            chords(fastCh, d.raster, columns);
            d.raster.alphas = nullptr;
            chords(plain, d.raster, columns);
            chords(plainCh, d.raster, columns);
        }
        initStrokePixelProcs();
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                ASSERT_EQ(fast.getColor(x, y), plain.getColor(x, y)) << x << ", " << y;
                ASSERT_EQ(fastCh.getColor(x, y), plainCh.getColor(x, y)) << x << ", " << y;
            }
    }
}

TEST_P(FastChordsAtLevel, PaintTheReferenceStroke)
{
    // Whole strokes, with the fall-off changed between them so that the alpha cache carries over
    // from one stroke to the next: the layer comes out byte for byte as the reference paints it.
    // Colour and alpha painting, round and oblique nibs, pressure on radius and opacity.
    std::vector<SStrokeData> pts;
    for (int i = 0; i < 120; ++i) {
        const float t = float(i) / 119;
        pts.push_back({10 + 100 * t, 60 + 35 * std::sin(t * 6.2831853f),
                       0.3f + 0.7f * std::sin(t * 3.1415926f)});
    }
    const struct
    {
        float r;
        int32_t flatRate, degree, gradeFlat;
        uint8_t renderType;
    } cases[] = {{8, 1000, 0, 0, 0},     {8, 1000, 0, 500, kRenderTypeOneChannel},
                 {14, 450, 300, 300, 0}, {14, 450, 1200, 700, kRenderTypeOneChannel},
                 {3, 600, 850, 900, 0},  {25, 1000, 0, 200, 0}};
    struct Side
    {
        TStroke stroke{5};
        CPenRender5 render{&stroke};
        CStrokeMngr5 mngr{&stroke, &render};
        CStrokeCanvas canvas{128, 128, 0x00FFFFFF};
    };
    Side fast, plain;
    plain.render.setFastChords(false);
    initStrokePixelProcs();
    for (const auto &c : cases) {
        SCOPED_TRACE("r " + std::to_string(c.r) + " degree " + std::to_string(c.degree));
        for (Side *side : {&fast, &plain}) {
            SPenParam prm;
            initPenParam(prm, c.r);
            prm.flatRate = c.flatRate;
            prm.degree = c.degree;
            side->render.changePenParam(prm);
            SPenRenderAttr attr;
            initPenRenderAttr(attr);
            attr.renderType = uint8_t(kRenderTypeVersion5 | c.renderType);
            side->render.changeRenderAttr(attr, 7);
            SGradeMapParam grade;
            grade.flatRate = c.gradeFlat;
            side->render.changeGradeParam(grade);
            SStrokeParam param;
            param.enbPrsRadius = true;
            param.enbPrsOpaque = true;
            side->mngr.setParam(param);
            side->stroke.SetDrawColor(0xFF000000u | uint32_t(c.degree * 7919 + c.flatRate));
            ASSERT_TRUE(side->canvas.drawStroke(side->mngr, side->stroke, pts));
        }
        int changed = 0;
        for (int y = 0; y < 128; ++y)
            for (int x = 0; x < 128; ++x) {
                ASSERT_EQ(fast.canvas.layer().getColor(x, y), plain.canvas.layer().getColor(x, y))
                    << x << ", " << y;
                changed += fast.canvas.layer().getColor(x, y) != 0x00FFFFFFu;
            }
        EXPECT_GT(changed, 1000);
    }
    initStrokePixelProcs();
}
