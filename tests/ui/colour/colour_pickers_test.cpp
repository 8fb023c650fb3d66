#include "ui/colour/colour_pickers.h"

#include "ui/base/popup_menu.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <numbers>

namespace {

constexpr float kTwoPi = float(2 * std::numbers::pi);

TColorPickerValue rgbValue(float r, float g, float b)
{
    TColorPickerValue v;
    rgbToColorPickerValue({r, g, b}, v);
    return v;
}

// A shown window holding the picker under test.
class PickerTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window.resize(320, 320);
        window.show();
    }
    void TearDown() override
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    template <class T> T *make(int w, int h)
    {
        auto *p = new T(&window);
        p->SetBounds(0, 0, w, h);
        p->show();
        p->OnChange = [this](QObject *) { ++changes; };
        return p;
    }
    void press(QWidget *w, int x, int y) { QTest::mousePress(w, Qt::LeftButton, {}, QPoint(x, y)); }
    void release(QWidget *w, int x, int y)
    {
        QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(x, y));
    }

    QWidget window;
    int changes = 0;
};

} // namespace

using ColourSquareBarPicker = PickerTest;

TEST_F(ColourSquareBarPicker, HSVPressesAndDrags)
{
    auto *p = make<TColorPicker>(200, 182);
    EXPECT_EQ(p->ColorSpace(), cpHSV);
    EXPECT_EQ(p->SupportSpaces(), 511);
    EXPECT_EQ(p->DisplayImage().size(), QSize(200, 182));
    EXPECT_EQ(p->SquareRect(), (sRect{5, 5, 177, 177}));
    EXPECT_EQ(p->BarRect(), (sRect{185, 5, 196, 177}));

    press(p, 176, 5);
    EXPECT_EQ(float(p->Colors().hsv.s), 1);
    EXPECT_EQ(float(p->Colors().hsv.v), 1);
    EXPECT_EQ(changes, 1);
    // The drag goes on beyond the square, clamped.
    QTest::mouseMove(p, QPoint(-30, 250));
    EXPECT_EQ(float(p->Colors().hsv.s), 0);
    EXPECT_EQ(float(p->Colors().hsv.v), 0);
    release(p, -30, 250);
    const int afterDrag = changes;
    QTest::mouseMove(p, QPoint(100, 100));
    EXPECT_EQ(changes, afterDrag);

    // Every pick announces, even one that changes nothing.
    press(p, 190, 5);
    EXPECT_FLOAT_EQ(float(p->Colors().hsv.h), kTwoPi);
    EXPECT_FLOAT_EQ(float(p->Colors().hsl.h), kTwoPi);
    release(p, 190, 5);
    press(p, 190, 5);
    EXPECT_EQ(changes, afterDrag + 2);
    release(p, 190, 5);
    // Outside both areas nothing is picked.
    press(p, 181, 90);
    EXPECT_EQ(changes, afterDrag + 2);
}

TEST_F(ColourSquareBarPicker, RGBSpacesAxes)
{
    struct Case
    {
        TColorPickerSpace space;
        TRGBSingle expected;
    } cases[] = {
        {cpRGB, {0.2f, 1, 0}},
        {cpGRB, {1, 0.4f, 0}},
        {cpBRG, {1, 0, 0.6f}},
    };
    for (const Case &c : cases) {
        auto *p = make<TColorPicker>(200, 182);
        p->setColorSpace(c.space);
        p->setColors(rgbValue(0.2f, 0.4f, 0.6f));
        // The square's right edge and bottom edge: across 1, up 0; the bar's quantity kept.
        press(p, 176, 176);
        release(p, 176, 176);
        const TRGBSingle got = p->Colors().rgb;
        EXPECT_FLOAT_EQ(float(got.r), float(c.expected.r)) << int(c.space);
        EXPECT_FLOAT_EQ(float(got.g), float(c.expected.g)) << int(c.space);
        EXPECT_FLOAT_EQ(float(got.b), float(c.expected.b)) << int(c.space);
        delete p;
    }
}

TEST_F(ColourSquareBarPicker, ColorsAndSpaceWrites)
{
    auto *p = make<TColorPicker>(200, 182);
    const TColorPickerValue red = rgbValue(1, 0, 0);
    p->setColors(red);
    // The base write and the two applications each announce.
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(compareColorPickerValues(p->Colors(), red), 0);
    EXPECT_EQ(p->ColorSpace(), cpHSV);

    changes = 0;
    p->setColorSpace(cpSHL);
    EXPECT_EQ(p->ColorSpace(), cpSHL);
    EXPECT_EQ(p->Colors().space, cpSHL);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(compareColorPickerValues(p->Colors(), red), 1);

    // A detached manager leaves a picker that does nothing.
    std::unique_ptr<TColorManager> m = p->DetachManager();
    ASSERT_TRUE(m);
    p->setColors(rgbValue(0, 1, 0));
    press(p, 100, 100);
    EXPECT_EQ(float(p->Colors().rgb.g), 0);
    p->AttachManager(std::move(m));
    EXPECT_EQ(float(p->Colors().rgb.r), 1);
}

TEST_F(ColourSquareBarPicker, SwitchingKinds)
{
    TCustomColorPicker *p = make<TColorPicker>(200, 182);
    p->SetBounds(10, 20, 200, 182);
    int clicks = 0;
    p->OnClick = [&](QObject *) { ++clicks; };
    p->setSliderColorChange(false);
    p->setColors(rgbValue(0, 0, 1));
    TCustomColorPicker *same = p;
    EXPECT_TRUE(switchColorPickerKind(p, 0, cpRGB));
    EXPECT_EQ(p, same);
    EXPECT_EQ(p->ColorSpace(), cpHSV);
    EXPECT_FALSE(switchColorPickerKind(p, 7, cpRGB));
    EXPECT_EQ(p, same);
    EXPECT_TRUE(p->isVisible());

    QPointer<TCustomColorPicker> old = p;
    ASSERT_TRUE(switchColorPickerKind(p, 3, cpSHV));
    EXPECT_NE(p, same);
    EXPECT_EQ(GetPickerKind(p), 3);
    EXPECT_EQ(p->parentWidget(), &window);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->geometry(), QRect(10, 20, 200, 182));
    EXPECT_EQ(p->ColorSpace(), cpSHV);
    EXPECT_FALSE(p->SliderColorChange());
    EXPECT_EQ(float(p->Colors().rgb.b), 1);
    ASSERT_TRUE(old);
    EXPECT_EQ(old->parentWidget(), nullptr);
    EXPECT_FALSE(old->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(old);

    // The new control fires the old one's handlers.
    changes = 0;
    QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(81, 71));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);

    // A space the new kind cannot show leaves its default.
    const TColorPickerValue picked = p->Colors();
    ASSERT_TRUE(switchColorPickerKind(p, 2, cpRGB));
    EXPECT_EQ(p->ColorSpace(), cpHSL);
    ASSERT_TRUE(switchColorPickerKind(p, 1, cpHSV));
    EXPECT_EQ(GetPickerKind(p), 1);
    EXPECT_EQ(p->ColorSpace(), cpHSV);
    EXPECT_EQ(float(p->Colors().rgb.b), float(picked.rgb.b));
    EXPECT_EQ(float(p->Colors().hsv.v), float(picked.hsv.v));
}

TEST_F(ColourSquareBarPicker, Pictures)
{
    auto *p = make<TColorPicker>(200, 182);
    p->setColors(rgbValue(0.8f, 0.3f, 0.2f));
    const QImage hsv = p->DisplayImage();
    p->setColorSpace(cpRGB);
    const QImage rgb = p->DisplayImage();
    EXPECT_GOLDEN(sideBySide({hsv, rgb}), "colour-square-bar");
}

using ColourRingPickers = PickerTest;

TEST_F(ColourRingPickers, TriangleHSL)
{
    auto *p = make<TTriangleColorPicker>(160, 160);
    EXPECT_EQ(p->ColorSpace(), cpHSL);
    p->setColors(rgbValue(0.25f, 0.5f, 0.25f));
    changes = 0;
    const TColorPickerValue before = p->Colors();

    // The middle of the ring's band, on the right: only the hue changes, to 0.
    press(p, 150, 80);
    release(p, 150, 80);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(float(p->Colors().hsl.h), 0);
    EXPECT_EQ(float(p->Colors().hsl.s), float(before.hsl.s));
    EXPECT_EQ(float(p->Colors().hsl.l), float(before.hsl.l));
    // The same press again changes nothing and announces nothing.
    press(p, 150, 80);
    release(p, 150, 80);
    EXPECT_EQ(changes, 1);

    press(p, 138, 79); // beyond the apex
    EXPECT_EQ(float(p->Colors().hsl.s), 1);
    EXPECT_EQ(float(p->Colors().hsl.l), 0.5f);
    release(p, 138, 79);
    press(p, 50, 60); // left of the base
    EXPECT_EQ(float(p->Colors().hsl.s), 0);
    release(p, 50, 60);
    // Outside the ring nothing happens.
    changes = 0;
    press(p, 2, 2);
    EXPECT_EQ(changes, 0);

    // Spaces it cannot show change nothing.
    p->setColorSpace(cpRGB);
    p->setColorSpace(cpLHS);
    EXPECT_EQ(p->ColorSpace(), cpHSL);
}

TEST_F(ColourRingPickers, TriangleHSVSquareCorners)
{
    auto *p = make<TTriangleColorPicker>(160, 160);
    p->setColorSpace(cpHSV);
    ASSERT_EQ(p->ColorSpace(), cpHSV);
    EXPECT_EQ(p->AreaRect(), (sRect{42, 42, 118, 118}));
    struct Case
    {
        int x, y;
        float s, v;
    } cases[] = {{42, 42, 0, 1}, {117, 42, 1, 1}, {117, 117, 1, 0}, {42, 117, 0, 0}};
    for (const Case &c : cases) {
        press(p, c.x, c.y);
        release(p, c.x, c.y);
        EXPECT_EQ(float(p->Colors().hsv.s), c.s) << c.x << "," << c.y;
        EXPECT_EQ(float(p->Colors().hsv.v), c.v) << c.x << "," << c.y;
    }
}

TEST_F(ColourRingPickers, CircleLHS)
{
    auto *p = make<TCircleColorPicker>(160, 142);
    EXPECT_EQ(p->ColorSpace(), cpLHS);
    p->setColors(rgbValue(0.2f, 0.4f, 0.6f));
    const float l = p->Colors().hsl.l;
    press(p, 137, 71); // the rim, at hue 0
    release(p, 137, 71);
    EXPECT_EQ(float(p->Colors().hsl.s), 1);
    EXPECT_EQ(float(p->Colors().hsl.h), 0);
    EXPECT_EQ(float(p->Colors().hsl.l), l);
    press(p, 71, 30);
    release(p, 71, 30);
    EXPECT_FLOAT_EQ(float(p->Colors().hsl.h), float(std::numbers::pi / 2));
    press(p, 71, 71); // the exact centre
    release(p, 71, 71);
    EXPECT_EQ(float(p->Colors().hsl.s), 0);
    EXPECT_EQ(float(p->Colors().hsl.h), 0);
    // The bar: lightness.
    press(p, 150, 5);
    release(p, 150, 5);
    EXPECT_EQ(float(p->Colors().hsl.l), 1);

    p->setColorSpace(cpHSV);
    EXPECT_EQ(p->ColorSpace(), cpLHS);
}

TEST_F(ColourRingPickers, CirclePressesBesideThePictureAreIgnored)
{
    // 200 x 142: the picture (160 x 142) sits 20 pixels in.
    auto *p = make<TCircleColorPicker>(200, 142);
    ASSERT_EQ(p->Margin(), (sPos{20, 0}));
    p->setColors(rgbValue(0.2f, 0.4f, 0.6f));
    changes = 0;
    press(p, 5, 71);
    release(p, 5, 71);
    EXPECT_EQ(changes, 0);
    // A transparent pixel of the picture is not the picker's either.
    p->Work().SetPixel(91 - 20 + 20, 71, clNone32);
    press(p, 91 + 20, 71);
    release(p, 91 + 20, 71);
    EXPECT_EQ(changes, 0);
    press(p, 91 + 20 + 1, 71);
    EXPECT_EQ(changes, 1);
}

TEST_F(ColourRingPickers, Pictures)
{
    auto *t = make<TTriangleColorPicker>(160, 160);
    t->setColors(rgbValue(0.8f, 0.3f, 0.2f));
    const QImage hsl = t->DisplayImage();
    t->setColorSpace(cpHSV);
    const QImage hsv = t->DisplayImage();
    auto *c = make<TCircleColorPicker>(160, 142);
    c->setColors(rgbValue(0.8f, 0.3f, 0.2f));
    const QImage lhs = c->DisplayImage();
    c->setColorSpace(cpSHV);
    const QImage shv = c->DisplayImage();
    EXPECT_GOLDEN(sideBySide({hsv, hsl, lhs, shv}), "colour-ring-pickers");
}

using ColourSliderPicker = PickerTest;

TEST_F(ColourSliderPicker, RGBSlidersAndField)
{
    auto *p = make<TSliderColorPicker>(160, 80);
    EXPECT_EQ(p->ColorSpace(), cpRGB);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(p->BarRect(i).y0, 5 + 19 * i);
        EXPECT_EQ(p->BarRect(i).y1 - p->BarRect(i).y0, 16);
    }
    EXPECT_EQ(p->AreaRect().y0, 62);
    EXPECT_EQ(p->AreaRect().y1 - p->AreaRect().y0, 14);

    p->setColors(rgbValue(0.2f, 0.4f, 0.6f));
    changes = 0;
    press(p, 60, 30);
    QTest::mouseMove(p, QPoint(400, 30));
    release(p, 400, 30);
    EXPECT_EQ(float(p->Colors().rgb.g), 1);
    EXPECT_EQ(float(p->Colors().rgb.r), 0.2f);
    EXPECT_EQ(float(p->Colors().rgb.b), 0.6f);
    EXPECT_EQ(changes, 2);
    // Two pixels above slider 0 still grab it.
    press(p, 4, 3);
    release(p, 4, 3);
    EXPECT_EQ(float(p->Colors().rgb.r), 0);
}

TEST_F(ColourSliderPicker, FieldPickIsRGBInAnySpace)
{
    // An odd field height puts lightness 0.5 on a row: pure red at the left.
    auto *p = make<TSliderColorPicker>(160, 81);
    p->setColorSpace(cpHSV);
    p->setColors(rgbValue(0.2f, 0.4f, 0.6f));
    const sRect a = p->AreaRect();
    ASSERT_EQ(a.y1 - a.y0, 15);
    const int y = a.y0 + 7;
    ASSERT_EQ(p->Work().GetPixel(a.x0, y).bgra, clRed32.bgra);
    press(p, a.x0, y);
    release(p, a.x0, y);
    EXPECT_EQ(p->ColorSpace(), cpHSV);
    EXPECT_EQ(float(p->Colors().rgb.r), 1);
    EXPECT_EQ(float(p->Colors().rgb.g), 0);
    EXPECT_EQ(float(p->Colors().rgb.b), 0);
    EXPECT_EQ(float(p->Colors().hsv.h), 0);
    EXPECT_EQ(float(p->Colors().hsv.s), 1);
    EXPECT_EQ(float(p->Colors().hsv.v), 1);
    // The markers: hue 0 at the left, saturation and value 1 at the right.
    EXPECT_EQ(p->SliderMarkerPos(0).x, a.x0 - 4);
    EXPECT_EQ(p->SliderMarkerPos(1).x, a.x1 - 1 - 4);
    EXPECT_EQ(p->SliderMarkerPos(2).x, a.x1 - 1 - 4);
}

TEST_F(ColourSliderPicker, Pictures)
{
    auto *p = make<TSliderColorPicker>(160, 80);
    p->setColors(rgbValue(0.8f, 0.3f, 0.2f));
    p->setColorSpace(cpHSV);
    const QImage hsv = p->DisplayImage();
    p->setColorSpace(cpRGB);
    const QImage rgb = p->DisplayImage();
    EXPECT_GOLDEN(sideBySide({hsv, rgb}), "colour-slider-picker");
}

TEST_F(ColourRingPickers, PaintShowsThePictureAtItsMargin)
{
    auto *p = make<TCircleColorPicker>(200, 142);
    p->setColors(rgbValue(0.8f, 0.3f, 0.2f));
    const QImage shown = p->grab().toImage();
    const QImage picture = p->DisplayImage();
    const TColor32 face = clBtnFace32();
    EXPECT_EQ(shown.pixel(5, 71) & 0xFFFFFF, qRgb(face.r, face.g, face.b) & 0xFFFFFFu);
    for (QPoint at : {QPoint(71, 71), QPoint(150, 20), QPoint(0, 0)})
        EXPECT_EQ(shown.pixel(at + QPoint(20, 0)) & 0xFFFFFF, picture.pixel(at) & 0xFFFFFF)
            << at.x();
}

TEST_F(ColourSquareBarPicker, ContextMenuFollowsASwitch)
{
    QMenu menu;
    int shown = 0;
    const TPopupMenuRunner previous = installPopupMenuRunner([&](QMenu &m, QPoint) {
        EXPECT_EQ(&m, &menu);
        ++shown;
        return nullptr;
    });
    TCustomColorPicker *p = make<TColorPicker>(200, 182);
    p->PopupMenu = &menu;
    bool handle = false;
    int asked = 0;
    p->OnContextPopup = [&](QObject *, QPoint, bool &handled) {
        ++asked;
        handled = handle;
    };
    ASSERT_TRUE(switchColorPickerKind(p, 1, cpRGB));
    QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(10, 10));
    QCoreApplication::sendEvent(p, &ev);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(shown, 1);
    handle = true;
    QCoreApplication::sendEvent(p, &ev);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(shown, 1);
    installPopupMenuRunner(previous);
}
