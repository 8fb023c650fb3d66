#include "ui/lists/preset_previews.h"

#include "core/image/channel.h"
#include "paint/tone/pattern_tiles.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QImage>

#include <cmath>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An 8 x 8 pattern whose columns step through 0, 32, ... 224 (pairs of equal columns), at the zoom
// and offset.
std::unique_ptr<CPat8> columnPattern(int zoom, sPos ofs)
{
    TChannel ch(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            *ch.seek8(x, y) = uint8_t(x / 2 * 64);
    auto pat = makePatternOfTile(ch, zoom, &ofs);
    return pat;
}

} // namespace

TEST(ListsPreviews, SmallControlsDrawTheirFramesOnly)
{
    struct Case
    {
        int w, h;
        bool inner;
    } cases[] = {{4, 10, false}, {10, 4, false}, {3, 3, false}, {5, 5, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        TSwatchPreview p;
        p.SetColor(makeColor32(0, 0, 255, 7));
        EXPECT_EQ(p.Color().a, 255);
        p.SetBounds(0, 0, c.w, c.h);
        const QImage img = pictureOf(p.Image());
        bool red = false;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                red |= img.pixel(x, y) == 0xFFFF0000u;
        EXPECT_EQ(red, c.inner);
        EXPECT_EQ(px(p.Image().GetPixel(0, 0)), px(clBtnShadow32()));
    }

    TSwatchPreview p;
    p.SetBounds(0, 0, 20, 20);
    const int drawn = p.DrawCount();
    p.SetBounds(0, 0, 20, 20);
    EXPECT_EQ(p.DrawCount(), drawn) << "the same bounds draw nothing";
    p.SetBounds(0, 0, 21, 20);
    EXPECT_EQ(p.DrawCount(), drawn + 1);
}

TEST(ListsPreviews, EmptyGradientAndToneShowCheckerAndWhite)
{
    TGradientPreview g;
    g.SetBounds(0, 0, 20, 20);
    const TMemoryGraphic &gi = g.Image();
    EXPECT_EQ(px(gi.GetPixel(2, 2)), px(makeColor32(255, 255, 255, 255)));
    EXPECT_EQ(px(gi.GetPixel(6, 2)), px(makeColor32(204, 204, 204, 255)));
    EXPECT_EQ(px(gi.GetPixel(6, 6)), px(makeColor32(255, 255, 255, 255)));

    TTonePreview t;
    t.SetBounds(0, 0, 20, 20);
    for (int y = 2; y < 18; y += 3)
        for (int x = 2; x < 18; x += 3)
            ASSERT_EQ(px(t.Image().GetPixel(x, y)), px(clWindow32())) << x << "," << y;
}

TEST(ListsPreviews, PatternTileAtItsZoomAndOffset)
{
    TTonePreview t;
    t.SetBounds(0, 0, 20, 12);
    auto pat = columnPattern(50, {3, 0}); // 4 x 4 after zoom: columns 0, 64, 128, 192
    t.SetTone(pat.get());
    const TColor32 window = clWindow32();
    for (int x = 0; x < 16; ++x) {
        SCOPED_TRACE(x);
        const int v = ((x - 3) % 4 + 4) % 4 * 64;
        const int g = 255 - v;
        const TColor32 c = t.Image().GetPixel(2 + x, 2 + 3);
        EXPECT_EQ(int(c.r), blendMultiply(window.r, uint8_t(g), 1.0f));
    }

    // A zoom that leaves no pixel shows white.
    auto tiny = columnPattern(1, {0, 0});
    t.SetTone(tiny.get());
    EXPECT_EQ(px(t.Image().GetPixel(5, 5)), px(clWindow32()));
}

// A screen tone whose ruling is not above 0 has no pitch: it previews white.
TEST(ListsPreviews, ToneWithoutARulingShowsWhite)
{
    SToneAttr attr;
    initToneAttr(attr);
    attr.dpi = 300;
    attr.line = 60;
    attr.percent = 40;
    CPat8Tone tone;
    ASSERT_TRUE(tone.build(&attr, nullptr, true, nullptr));
    TTonePreview t;
    t.SetBounds(0, 0, 24, 24);
    const auto whiteInside = [&] {
        for (int y = 2; y < 22; ++y)
            for (int x = 2; x < 22; ++x)
                if (px(t.Image().GetPixel(x, y)) != px(clWindow32()))
                    return false;
        return true;
    };
    t.SetTone(&tone);
    EXPECT_FALSE(whiteInside()) << "a tone of 40 % shows dots";
    for (float line : {0.0f, -60.0f, std::nanf("")}) {
        SCOPED_TRACE(line);
        CPat8Tone bad(tone);
        bad.toneAttr.line = line;
        t.SetTone(&bad);
        EXPECT_TRUE(whiteInside());
    }
}

TEST(ListsPreviews, PreviewsOutliveTheirSources)
{
    // Gradient.
    TGradientPreview g;
    g.SetBounds(0, 0, 30, 12);
    auto grad = std::make_unique<CGradObj>(makeRGBA(255, 0, 0, 255), makeRGBA(0, 0, 255, 255),
                                           QStringLiteral("g"));
    SGradAttr attr;
    initGradAttr(attr);
    g.SetGradient(grad.get(), attr);
    const QImage shown = pictureOf(g.Image());
    EXPECT_NE(shown.pixel(3, 5), shown.pixel(25, 5));
    grad.reset();
    g.SetBounds(0, 0, 30, 13);
    g.SetBounds(0, 0, 30, 12);
    EXPECT_EQ(pictureOf(g.Image()), shown);

    // Tone.
    TTonePreview t;
    t.SetBounds(0, 0, 20, 12);
    auto pat = columnPattern(100, {0, 0});
    t.SetTone(pat.get());
    const QImage tile = pictureOf(t.Image());
    pat.reset();
    t.SetBounds(0, 0, 20, 13);
    t.SetBounds(0, 0, 20, 12);
    EXPECT_EQ(pictureOf(t.Image()), tile);

    // Nib image.
    TPenNibPreview n;
    n.SetBounds(0, 0, 24, 24);
    auto bytes = std::make_unique<std::vector<uint8_t>>(10 * 10, uint8_t(255));
    TShapeImageParam p;
    initShapeImageParam(p);
    p.UseShapeImage = true;
    p.ShapeImage = bytes->data();
    p.ShapeImageSize = {10, 10};
    p.Digitize = true;
    n.SetShapeImageParam(p);
    const QImage nib = pictureOf(n.Image());
    EXPECT_NE(nib.pixel(12, 12), nib.pixel(3, 3)) << "the nib image is drawn";
    std::fill(bytes->begin(), bytes->end(), uint8_t(0));
    bytes.reset();
    n.SetBounds(0, 0, 24, 25);
    n.SetBounds(0, 0, 24, 24);
    EXPECT_EQ(pictureOf(n.Image()), nib);
}
