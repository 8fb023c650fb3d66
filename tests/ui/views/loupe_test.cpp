#include "ui/views/loupe.h"

#include "core/image/canvas.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <gtest/gtest.h>

#include <numbers>

namespace {

uint32_t rgb(const TTC &tc, int x, int y)
{
    return tc.getColor(x, y) & 0xFFFFFF;
}

// A canvas of one colour value with alpha a.
struct plain : TMTC
{
    plain(uint32_t colour, uint8_t a) : TMTC(32, 32) { fillAll(colour | uint32_t(a) << 24); }
};

struct NavigationLoupe : ::testing::Test
{
    NavigationLoupe()
    {
        parent.resize(100, 100);
        loupe = new TLoupeControl(&parent);
        loupe->SetBounds(0, 0, 20, 20);
    }
    QWidget parent;
    TLoupeControl *loupe;
};

} // namespace

TEST_F(NavigationLoupe, PictureFollowsTheBoundsWithAMinimum)
{
    loupe->SetBounds(0, 0, 3, 3);
    EXPECT_EQ(loupe->Image().width(), 4);
    EXPECT_EQ(loupe->Image().height(), 4);
    loupe->SetBounds(0, 0, 5, 30);
    EXPECT_EQ(loupe->Image().width(), 5);
    EXPECT_EQ(loupe->Image().height(), 30);
    loupe->SetBounds(0, 0, 12, 30);
    // The empty loupe: grey inside the sunken edge and the frame.
    EXPECT_EQ(rgb(loupe->Image(), 3, 5), 0xCCCCCCu);
    EXPECT_EQ(rgb(loupe->Image(), 1, 5), clWindowFrame32().bgra & 0xFFFFFF);
    EXPECT_EQ(rgb(loupe->Image(), 0, 5), clBtnShadow32().bgra & 0xFFFFFF);
    EXPECT_EQ(rgb(loupe->Image(), 11, 5), clBtnHighlight32().bgra & 0xFFFFFF);
}

TEST_F(NavigationLoupe, OnlyAChangedSettingClearsThePicture)
{
    const plain canvas(0x336699, 255);
    loupe->DrawImages(canvas, 16, 16, 0);
    ASSERT_EQ(rgb(loupe->Image(), 4, 6), 0x336699u);
    loupe->SetMagnification(1.0f);
    loupe->SetGrid(true);
    EXPECT_EQ(rgb(loupe->Image(), 4, 6), 0x336699u);
    loupe->SetMagnification(0.5f);
    EXPECT_EQ(rgb(loupe->Image(), 4, 6), 0xCCCCCCu);
    loupe->DrawImages(canvas, 16, 16, 0);
    loupe->SetGrid(false);
    EXPECT_EQ(rgb(loupe->Image(), 4, 6), 0xCCCCCCu);
}

TEST_F(NavigationLoupe, BackgroundUnderTransparentPixels)
{
    struct Case
    {
        bool canvasColour, checker;
        TLoupeBackground background;
        uint32_t at46, at124; // what (4, 6) and (12, 4) show over a transparent canvas
    } cases[] = {
        {true, true, lbCanvas, 0x336699, 0x336699},
        {false, true, lbTransparent, 0xC8C8C8, 0xE0E0E0},
        {false, false, lbNone, 0xFFFFFF, 0xFFFFFF},
    };
    const plain canvas(0x336699, 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.background));
        loupe->SetBGStatus(c.canvasColour, c.checker);
        EXPECT_EQ(loupe->Background(), c.background);
        loupe->DrawImages(canvas, 16, 16, 0);
        EXPECT_EQ(rgb(loupe->Image(), 4, 6), c.at46);
        EXPECT_EQ(rgb(loupe->Image(), 12, 4), c.at124);
    }
    // A half-transparent pixel is put over the background by its alpha.
    loupe->SetBGStatus(false, false);
    loupe->DrawImages(plain(0x000000, 128), 16, 16, 0);
    EXPECT_EQ(rgb(loupe->Image(), 4, 6), 0x7F7F7Fu);
}

TEST_F(NavigationLoupe, CrossFadesTowardTheCentre)
{
    loupe->DrawImages(plain(0xFFFFFF, 255), 16, 16, 0);
    const TTC &img = loupe->Image();
    // Half black at the inner edge, untouched at the centre pixel.
    EXPECT_EQ(rgb(img, 10, 2), 0x7F7F7Fu);
    EXPECT_EQ(rgb(img, 10, 10), 0xFFFFFFu);
    EXPECT_LT(rgb(img, 10, 4) & 0xFF, rgb(img, 10, 8) & 0xFF);
    loupe->SetGrid(false);
    loupe->DrawImages(plain(0xFFFFFF, 255), 16, 16, 0);
    EXPECT_EQ(rgb(img, 10, 2), 0xFFFFFFu);
}

TEST_F(NavigationLoupe, Golden)
{
    // A colour ramp with a transparent corner, turned by 30 degrees at 2x.
    TMTC canvas(24, 24);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x)
            canvas.seek32(x, y)->all =
                (x < 8 && y < 8) ? 0u : 0xFF000000u | uint32_t(x * 10) << 16 | uint32_t(y * 10);
    loupe->SetBounds(0, 0, 41, 37);
    loupe->SetMagnification(0.5f);
    loupe->SetBackground(lbTransparent);
    loupe->DrawImages(canvas, 8, 8, float(std::numbers::pi / 6));
    EXPECT_GOLDEN(loupe->Image().presentImage(), "navigation-loupe");
}
