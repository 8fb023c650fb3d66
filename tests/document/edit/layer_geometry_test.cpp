#include "document/edit/layer_geometry.h"

#include "document/edit/scale_layer_image.h"
#include "support/block_memory.h"
#include "support/captured_messages.h"
#include "geometry_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct STurnCase
{
    bool right;
    sPos paperPoint; // where source paper pixel (0, 0) lands
};

// A quarter turn of a W x H layer covering a W x H paper (W > H): a W x W image with the paper
// at (0, W div 2 - H div 2), the content turned about the paper's centre.
TEST(LayerGeometry, QuarterTurnOfAWideLayerIsSquareAndCentredOnThePaper)
{
    for (const STurnCase &c : {STurnCase{true, {5, -2}}, STurnCase{false, {2, 5}}}) {
        SCOPED_TRACE(c.right);
        auto src = geoLayer(8, 4);
        src->imageTC->setPixel(0, 0, 0xFF112233);
        const auto before = pixelsOf(*src->imageTC);
        auto ld = makeRotated90Layer({8, 4}, *src, c.right);
        ASSERT_NE(ld, nullptr);
        EXPECT_EQ(ld->imageTC->FPSZ(), (sSize{8, 8}));
        EXPECT_EQ(ld->viewPos, (sPos{0, 2}));
        EXPECT_EQ(ld->viewSize, (sSize{8, 4}));
        EXPECT_EQ(ld->imageTC->getColor(c.paperPoint.x + 0, c.paperPoint.y + 2), 0xFF112233u);
        EXPECT_EQ(pixelsOf(*src->imageTC), before); // the source stays as it was
    }
}

TEST(LayerGeometry, QuarterTurnOfASquareLayerKeepsItsSizeAndPlace)
{
    auto src = geoLayer(40, 40);
    fillRandom(*src->imageTC, 7);
    src->title = QStringLiteral("線画");
    src->trans = 90;
    auto ld = makeRotated90Layer({40, 40}, *src, true);
    ASSERT_NE(ld, nullptr);
    EXPECT_EQ(ld->imageTC->FPSZ(), (sSize{40, 40}));
    EXPECT_EQ(ld->viewPos, (sPos{0, 0}));
    EXPECT_EQ(ld->imageTC->getColor(39, 0), src->imageTC->getColor(0, 0));
    EXPECT_EQ(ld->imageTC->getColor(0, 0), src->imageTC->getColor(0, 39));
    EXPECT_EQ(ld->title, src->title);
    EXPECT_EQ(ld->trans, 90);
    EXPECT_EQ(ld->index, src->index);
    EXPECT_FALSE(ld->hasUndo());
    EXPECT_NE(ld->uniqueID, src->uniqueID);
}

// On a square paper the free rotation at the quarter angles is exactly the quarter turns.
TEST(LayerGeometry, FreeRotationAtQuarterAnglesEqualsTheExactTurns)
{
    auto src = geoLayer(12, 12);
    fillRandom(*src->imageTC, 11, true);
    auto turned180 = std::make_unique<CBlockVMTC>(*src->imageTC);
    ASSERT_TRUE(turned180->rot180(boxFromSize(turned180->FPSZ())));
    const std::vector<std::pair<float, std::vector<uint32_t>>> cases = {
        {0.0f, pixelsOf(*src->imageTC)},
        {90.0f, pixelsOf(*makeRotated90Layer({12, 12}, *src, true)->imageTC)},
        {180.0f, pixelsOf(*turned180)},
        {270.0f, pixelsOf(*makeRotated90Layer({12, 12}, *src, false)->imageTC)},
    };
    for (const auto &[deg, expected] : cases) {
        SCOPED_TRACE(deg);
        for (auto build : {makeRotatedLayer, makeRotatedLayer2}) {
            auto ld = build({12, 12}, *src, deg);
            ASSERT_NE(ld, nullptr);
            EXPECT_EQ(ld->imageTC->FPSZ(), (sSize{12, 12}));
            EXPECT_EQ(ld->viewPos, (sPos{0, 0}));
            EXPECT_EQ(pixelsOf(*ld->imageTC), expected);
        }
    }
}

// A 4 x 4 layer on a 4 x 4 paper at 45 degrees, worked by hand: sin = cos = 46341 (181 after the
// shift), the turned corners span 5 pixels, so the new image is 5 x 5 at (0, 0). Destination
// (2, 2) reads source (2.207, 1.5): weights 25984 on (2, 1) and (2, 2), 6784 on (3, 1) and
// (3, 2). Destination (4, 4) reads beyond the image (outside colour 0x00FFFFFF). Destination
// (0, 0) reads at x = -0.62, truncated to column 0 with a negative fraction: (0, 1) and (0, 2)
// weigh 53120, (1, 1) and (1, 2) -20352.
TEST(LayerGeometry, FortyFiveDegreesMatchesPixelsWorkedByHand)
{
    auto src = geoLayer(4, 4);
    ASSERT_TRUE(src->imageTC->PixelFill(0xFF000000));
    src->imageTC->setPixel(2, 1, 0x00FFFFFF); // transparent white among opaque black
    struct SCase
    {
        sPos at;
        uint32_t plain, weighted;
    };
    const SCase cases[] = {
        {{2, 2}, 0x99656565, 0x99000000}, // 255 x 39552 >> 16 = 153 alpha, 101 colour
        {{4, 4}, 0x00FFFFFF, 0x00000000},
        {{0, 0}, 0xFF000000, 0xFF000000},
    };
    auto plain = makeRotatedLayer({4, 4}, *src, 45.0f);
    auto weighted = makeRotatedLayer2({4, 4}, *src, 45.0f);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(weighted, nullptr);
    EXPECT_EQ(plain->imageTC->FPSZ(), (sSize{5, 5}));
    EXPECT_EQ(plain->viewPos, (sPos{0, 0}));
    for (const SCase &c : cases) {
        SCOPED_TRACE(testing::Message() << c.at.x << "," << c.at.y);
        EXPECT_EQ(plain->imageTC->getColor(c.at.x, c.at.y), c.plain);
        EXPECT_EQ(weighted->imageTC->getColor(c.at.x, c.at.y), c.weighted);
    }
}

TEST(LayerGeometry, UntrustedAnglesAndZoomSizesAreRefused)
{
    auto src = geoLayer(8, 8);
    for (float deg : {std::numeric_limits<float>::quiet_NaN(),
                      std::numeric_limits<float>::infinity(),
                      -std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(makeRotatedLayer({8, 8}, *src, deg), nullptr);
        EXPECT_EQ(makeRotatedLayer2({8, 8}, *src, deg), nullptr);
    }
    for (const sSize &s : {sSize{0, 8}, sSize{8, 0}, sSize{-5, 8}, sSize{8, INT32_MIN}}) {
        EXPECT_EQ(makeZoomedLayer({8, 8}, *src, s.x, s.y), nullptr);
        EXPECT_EQ(makeZoomedLayer2({8, 8}, *src, s.x, s.y), nullptr);
    }
    // A layer placed so far away that the turned image would need more than 32 bits, or more
    // blocks than a layer image takes.
    src = geoLayer(700, 8);
    src->viewPos = {-2147483000, 0};
    EXPECT_EQ(makeRotated90Layer({8, 8}, *src, true), nullptr);
    EXPECT_EQ(makeRotatedLayer({8, 8}, *src, 30.0f), nullptr);
    // A small layer placed far off the paper and zoomed: its scaled place alone would ask for an
    // image 37.5 million pixels wide; refused as out of memory before anything is had.
    src = geoLayer(8, 8);
    src->viewPos = {30000, 0};
    EXPECT_EQ(makeZoomedLayer({8, 8}, *src, 10000, 10), nullptr);
    EXPECT_EQ(makeZoomedLayer2({8, 8}, *src, 10000, 10), nullptr);
}

// e = w * viewPos.x div iw, f likewise; the image is (e + max(w - e, paper)) wide.
TEST(LayerGeometry, ZoomKeepsTheScaledViewPositionAndCoversThePaper)
{
    auto src = geoLayer(20, 10, {4, 2}, {10, 5});
    ASSERT_TRUE(src->imageTC->PixelFill(0xFF204080));
    auto ld = makeZoomedLayer({10, 5}, *src, 10, 5);
    ASSERT_NE(ld, nullptr);
    EXPECT_EQ(ld->imageTC->FPSZ(), (sSize{12, 6}));
    EXPECT_EQ(ld->viewPos, (sPos{2, 1}));
    EXPECT_EQ(ld->imageTC->getColor(9, 4), 0xFF204080u);   // inside the scaled box
    EXPECT_EQ(ld->imageTC->getColor(11, 5), 0x00FFFFFFu);  // outside it: the clear colour
}

TEST(LayerGeometry, ZoomAveragesAndItsTwinIgnoresTransparentColour)
{
    auto src = geoLayer(2, 1);
    src->imageTC->setPixel(0, 0, 0xFF0000FF); // opaque blue
    src->imageTC->setPixel(1, 0, 0x00FF0000); // transparent red
    auto plain = makeZoomedLayer({1, 1}, *src, 1, 1);
    auto weighted = makeZoomedLayer2({1, 1}, *src, 1, 1);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(weighted, nullptr);
    EXPECT_EQ(plain->imageTC->getColor(0, 0), 0x7F7F007Fu);
    EXPECT_EQ(weighted->imageTC->getColor(0, 0), 0x7F0000FFu);
}

TEST(LayerGeometry, FittingKeepsALayerThatSpansItsBlocksAndTrimsOneThatDoesNot)
{
    bool ok = false;
    auto fits = geoLayer(64, 40);
    EXPECT_EQ(fitLayerToPaper({64, 40}, *fits, &ok), nullptr);
    EXPECT_TRUE(ok);

    // 100 x 100 image on a 50 x 50 paper, one visible pixel at (80, 10): the visible block spans
    // x 64..96, so the fitted layer is 96 x 50.
    auto wide = geoLayer(100, 100, {}, {50, 50});
    wide->imageTC->setPixel(80, 10, 0xFF00FF00);
    wide->groupLevel = 2;
    auto ld = fitLayerToPaper({50, 50}, *wide, &ok);
    ASSERT_NE(ld, nullptr);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ld->imageTC->FPSZ(), (sSize{96, 50}));
    EXPECT_EQ(ld->viewPos, (sPos{0, 0}));
    EXPECT_EQ(ld->imageTC->getColor(80, 10), 0xFF00FF00u);
    EXPECT_EQ(ld->groupLevel, 2);

    std::unique_ptr<CLayerData> held = std::move(wide);
    EXPECT_TRUE(replaceWithFittedLayer({50, 50}, held));
    EXPECT_EQ(held->imageTC->FPSZ(), (sSize{96, 50}));
    EXPECT_FALSE(replaceWithFittedLayer({50, 50}, held)); // now it fits
}

TEST(LayerGeometry, MovedLayerCopiesTheImageAndModeChoosesTheAttributes)
{
    auto src = geoLayer(32, 32);
    src->imageTC->setPixel(1, 1, 0xFF334455);
    src->title = QStringLiteral("影");
    src->trans = 100;
    src->groupLevel = 3;
    src->maskProtected = true;
    auto plain = makeMovedLayer(*src, {64, 32}, {10, 10}, 0, {32, 0}, {32, 0}, {32, 32});
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->imageTC->FPSZ(), (sSize{64, 32}));
    EXPECT_EQ(plain->imageTC->getColor(33, 1), 0xFF334455u);
    EXPECT_EQ(plain->viewPos, (sPos{32, 0}));
    EXPECT_EQ(plain->title, src->title);
    EXPECT_EQ(plain->trans, 100);
    EXPECT_EQ(plain->groupLevel, 0);
    EXPECT_FALSE(plain->maskProtected);

    // Mode 1 copies every attribute and fits: the empty left half goes.
    auto fitted = makeMovedLayer(*src, {64, 32}, {10, 10}, 1, {32, 0}, {32, 0}, {32, 32});
    ASSERT_NE(fitted, nullptr);
    EXPECT_EQ(fitted->groupLevel, 3);
    EXPECT_TRUE(fitted->maskProtected);
    EXPECT_EQ(fitted->imageTC->FPSZ(), (sSize{32, 32}));
    EXPECT_EQ(fitted->imageTC->getColor(1, 1), 0xFF334455u);
}

// Each builder, with block memory for only n commits, either fails leaving the source as it was
// or succeeds with the pixels of an unlimited run.
TEST(LayerGeometry, OutOfMemoryLeavesTheSourceAndEndsInTheSameResult)
{
    CapturedMessages messages;
    auto src = geoLayer(70, 50, {10, 5}, {40, 40});
    fillRandom(*src->imageTC, 3);
    const auto before = pixelsOf(*src->imageTC);
    using Build = std::function<std::unique_ptr<CLayerData>()>;
    const std::vector<std::pair<const char *, Build>> builders = {
        {"turn90", [&] { return makeRotated90Layer({40, 40}, *src, true); }},
        {"rotate", [&] { return makeRotatedLayer({40, 40}, *src, 30.0f); }},
        {"rotate2", [&] { return makeRotatedLayer2({40, 40}, *src, -15.0f); }},
        {"zoom", [&] { return makeZoomedLayer({40, 40}, *src, 35, 80); }},
        {"zoom2", [&] { return makeZoomedLayer2({40, 40}, *src, 90, 20); }},
        {"moved", [&] { return makeMovedLayer(*src, {90, 60}, {8, 8}, 1, {5, 5}, {0, 0}, {40, 40}); }},
    };
    for (const auto &[name, build] : builders) {
        SCOPED_TRACE(name);
        const auto expected = build();
        ASSERT_NE(expected, nullptr);
        std::unique_ptr<CLayerData> got;
        int n = 0;
        for (; !got && n < 200; ++n) {
            ScopedBlockMemoryLimit limit(n);
            got = build();
            EXPECT_EQ(pixelsOf(*src->imageTC), before);
        }
        ASSERT_NE(got, nullptr);
        EXPECT_GT(n, 1); // the first attempts really ran out
        EXPECT_EQ(pixelsOf(*got->imageTC), pixelsOf(*expected->imageTC));
        EXPECT_EQ(got->viewPos, expected->viewPos);
    }
}

// The resampler reads and writes tiled images across block borders.
TEST(LayerGeometry, ScaleLayerImageHalvesAcrossBlockBorders)
{
    CBlockVMTC from(100, 70), to(50, 35);
    fillRandom(from, 21, true);
    CScaleLayerImage scaler(&from, &to);
    ASSERT_TRUE(scaler.scale(boxFromSize(from.FPSZ()), boxFromSize(to.FPSZ())));
    for (const sPos p : {sPos{0, 0}, sPos{15, 16}, sPos{16, 15}, sPos{49, 34}}) {
        unsigned sum = 0;
        for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i)
                sum += sBGRA{.all = from.getColor(2 * p.x + i, 2 * p.y + j)}.G;
        EXPECT_EQ(sBGRA{.all = to.getColor(p.x, p.y)}.G, unsigned((sum + 0.01f) / 4.0f));
    }
}

} // namespace
