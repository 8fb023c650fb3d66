#include "ui/views/navigator_preview.h"

#include "core/image/canvas.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

void send(QWidget *w, QEvent::Type type, QPoint at, Qt::MouseButton button,
          Qt::KeyboardModifiers mods = {})
{
    Qt::MouseButtons held = QApplication::mouseButtons();
    if (type == QEvent::MouseButtonPress)
        held = button;
    else if (type == QEvent::MouseButtonRelease)
        held = Qt::NoButton;
    QMouseEvent ev(type, QPointF(at), w->mapToGlobal(QPointF(at)),
                   type == QEvent::MouseMove ? Qt::NoButton : button, held, mods);
    QApplication::sendEvent(w, &ev);
}

void drag(QWidget *w, Qt::MouseButton button, Qt::KeyboardModifiers mods,
          std::initializer_list<QPoint> path)
{
    const QPoint *p = path.begin();
    send(w, QEvent::MouseButtonPress, *p, button, mods);
    for (++p; p != path.end(); ++p) {
        QMouseEvent ev(QEvent::MouseMove, QPointF(*p), w->mapToGlobal(QPointF(*p)), Qt::NoButton,
                       button, mods);
        QApplication::sendEvent(w, &ev);
    }
    send(w, QEvent::MouseButtonRelease, *(path.end() - 1), button, mods);
}

// A 1024 x 512 document in a 132 x 132 navigator: rate 1/8, preview (0, 32)-(132, 100), inner
// 128 x 64 from (2, 34). A 257 x 129 view at zoom 1/8 frames 256 x 128 control pixels.
struct NavigationPreview : ::testing::Test
{
    NavigationPreview()
    {
        parent.resize(140, 140);
        preview = new TPreviewControl(&parent);
        preview->SetBounds(0, 0, 132, 132);
        preview->SetWindow(&window);
        preview->SetDisplaySize({1024, 512});
        preview->SetClientSize({257, 129});
        preview->SetDisplayScale(0.125f);
        preview->OnDisplayCenterChange = [this](QObject *, int x, int y) {
            centres.push_back({x, y});
        };
        preview->OnDisplayRotationChange = [this](QObject *, float r) { rotations.push_back(r); };
        parent.show();
    }
    QWidget parent, window;
    TPreviewControl *preview;
    std::vector<sPos> centres;
    std::vector<float> rotations;
};

} // namespace

TEST(NavigationPreviewGeometry, Layout)
{
    struct Case
    {
        sSize control, display;
        bool force;
        sSize forceSize;
        sRect rect;
        float rate;
    } cases[] = {
        {{104, 104}, {1000, 500}, false, {32, 32}, {0, 25, 104, 79}, 0.1f},
        {{104, 104}, {500, 1000}, false, {32, 32}, {25, 0, 79, 104}, 0.1f},
        // A forced size fitted to the aspect, centred.
        {{104, 104}, {1024, 512}, true, {32, 32}, {34, 42, 70, 62}, 1.0f / 32},
        // A control smaller than the forced size uses its own.
        {{30, 30}, {1024, 512}, true, {32, 32}, {0, 6, 30, 23}, 26.0f / 1024},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.display.x << "x" << c.display.y << " " << c.force);
        TPreviewLayout l;
        ASSERT_TRUE(previewLayout(c.control, c.display, c.force, c.forceSize, 0.5f, l));
        EXPECT_EQ(l.PreviewRect, c.rect);
        EXPECT_FLOAT_EQ(l.Rate, c.rate);
        EXPECT_FLOAT_EQ(l.BorderRate, c.rate / 0.5f);
    }
    TPreviewLayout untouched;
    EXPECT_FALSE(previewLayout({104, 104}, {0, 500}, false, {32, 32}, 1, untouched));
}

TEST(NavigationPreviewGeometry, ViewRectangleTurnsAboutTheCentre)
{
    const sRect inner{2, 34, 130, 98};
    auto b = previewBorder(inner, {257, 129}, {512, 256}, 0.125f, 1.0f, 1, 0);
    EXPECT_FLOAT_EQ(b[0].x, -62);
    EXPECT_FLOAT_EQ(b[0].y, 2);
    EXPECT_FLOAT_EQ(b[2].x, 194);
    EXPECT_FLOAT_EQ(b[2].y, 130);
    // A quarter turn: the view's top-left corner goes to the top right.
    b = previewBorder(inner, {257, 129}, {512, 256}, 0.125f, 1.0f, 0, 1);
    EXPECT_FLOAT_EQ(b[0].x, 66 + 64);
    EXPECT_FLOAT_EQ(b[0].y, 66 - 128);
    EXPECT_FLOAT_EQ(previewPointerAngle(90, 66, {66, 66}, false),
                    float(std::numbers::pi / 2));
    EXPECT_FLOAT_EQ(previewPointerAngle(90, 66, {66, 66}, true),
                    -float(std::numbers::pi / 2));
}

TEST_F(NavigationPreview, DragReportsImagePointsHeldByHalfTheOverhang)
{
    ASSERT_EQ(preview->PreviewRect(), (sRect{0, 32, 132, 100}));
    drag(preview, Qt::LeftButton, {}, {QPoint(66, 66), QPoint(10, 40), QPoint(-200, 300)});
    // The view rectangle overhangs the 128 x 64 thumbnail by 128 x 64: held 64 and 32 beyond.
    ASSERT_EQ(centres.size(), 3u);
    EXPECT_EQ(centres[0], (sPos{512, 256}));
    EXPECT_EQ(centres[1], (sPos{64, 48}));
    EXPECT_EQ(centres[2], (sPos{-512, 768}));
    EXPECT_EQ(preview->DisplayCenter(), (sPos{-512, 768}));
    EXPECT_TRUE(rotations.empty());

    // Mirrored, the same point answers from the other corner.
    preview->SetReverseMove(true);
    drag(preview, Qt::LeftButton, {}, {QPoint(10, 40)});
    EXPECT_EQ(preview->DisplayCenter(), (sPos{(128 - 8) * 8, (64 - 6) * 8}));

    // Outside the thumbnail the press is not the control's.
    centres.clear();
    drag(preview, Qt::LeftButton, {}, {QPoint(66, 10), QPoint(66, 66)});
    EXPECT_TRUE(centres.empty());
}

TEST_F(NavigationPreview, RotationDragsAndResets)
{
    const float quarter = float(std::numbers::pi / 2);
    struct Case
    {
        Qt::MouseButton button;
        Qt::KeyboardModifiers mods;
    } cases[] = {{Qt::RightButton, {}}, {Qt::LeftButton, Qt::AltModifier}};
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.button));
        preview->SetDisplayRotation(0);
        rotations.clear();
        // From straight below the centre (66, 66) to its right: a quarter turn.
        drag(preview, c.button, c.mods, {QPoint(66, 90), QPoint(90, 66)});
        EXPECT_NEAR(preview->DisplayRotation(), quarter, 1e-6);
        ASSERT_FALSE(rotations.empty());
        EXPECT_NEAR(rotations.back(), quarter, 1e-6);
        EXPECT_TRUE(centres.empty());

        // A click, or a move within the drag threshold, resets to 0.
        drag(preview, c.button, c.mods,
             {QPoint(66, 90), QPoint(66 + QApplication::startDragDistance(), 90)});
        EXPECT_EQ(preview->DisplayRotation(), 0.0f);
    }
}

TEST_F(NavigationPreview, SettersIgnoreBadValues)
{
    preview->SetForceSize({4, 40});
    preview->SetForceSize({40, 4});
    EXPECT_EQ(preview->ForceSize(), (sSize{32, 32}));
    preview->SetForceSize({40, 40});
    EXPECT_EQ(preview->ForceSize(), (sSize{40, 40}));

    const auto before = preview->BorderPos();
    preview->SetDisplayScale(0);
    preview->SetDisplayScale(-1);
    EXPECT_EQ(preview->DisplayScale(), 0.125f);
    EXPECT_EQ(preview->BorderPos()[2].x, before[2].x);
    EXPECT_TRUE(std::isfinite(preview->BorderPos()[2].x));
}

TEST_F(NavigationPreview, WithoutAWindowOnlyTheFace)
{
    int draws = 0;
    preview->OnDrawImage = [&](QObject *, TMTC &, int, int) { ++draws; };
    preview->SetWindow(nullptr);
    preview->UpdatePreview({psModifyImage, psModifyBorder});
    EXPECT_EQ(draws, 0);
    const TTC &img = preview->Image();
    const uint32_t face = clBtnFace32().bgra & 0xFFFFFF;
    for (int y = 0; y < img.height(); y += 7)
        for (int x = 0; x < img.width(); x += 7)
            ASSERT_EQ(img.getColor(x, y) & 0xFFFFFF, face) << x << "," << y;
}

TEST_F(NavigationPreview, ImageRebuildKeepsTheViewRectangle)
{
    // A view of 33 x 17 at zoom 1: a 4 x 2 rectangle about (512, 256), (64, 65)-(68, 67).
    preview->SetClientSize({33, 17});
    preview->SetDisplayScale(1.0f);
    int draws = 0;
    preview->OnDrawImage = [&](QObject *, TMTC &img, int w, int h) {
        ++draws;
        EXPECT_EQ(w, 128);
        EXPECT_EQ(h, 64);
        img.fillAll(0xFF000000);
    };
    preview->SetDisplayCenter({512, 256});
    preview->UpdatePreview({psModifyImage});
    EXPECT_EQ(draws, 1);
    const TTC &img = preview->Image();
    const uint32_t border = preview->BorderColor().bgra & 0xFFFFFF;
    EXPECT_EQ(img.getColor(64, 66) & 0xFFFFFF, border);
    EXPECT_EQ(img.getColor(30, 50) & 0xFFFFFF, 0u);
    // The frame: sunken edge on the preview rectangle, window frame inside it.
    EXPECT_EQ(img.getColor(50, 32) & 0xFFFFFF, clBtnShadow32().bgra & 0xFFFFFF);
    EXPECT_EQ(img.getColor(50, 33) & 0xFFFFFF, clWindowFrame32().bgra & 0xFFFFFF);
    EXPECT_EQ(img.getColor(50, 10) & 0xFFFFFF, clBtnFace32().bgra & 0xFFFFFF);
}

TEST(NavigationPreviewGolden, UprightAndTurned)
{
    QWidget parent, window;
    parent.resize(80, 80);
    QList<QImage> shots;
    for (float rot : {0.0f, float(std::numbers::pi / 6)}) {
        auto *p = new TPreviewControl(&parent);
        p->SetBounds(0, 0, 68, 68);
        p->SetWindow(&window);
        p->SetDisplaySize({1024, 512});
        p->SetClientSize({129, 65});
        p->SetDisplayScale(0.25f);
        p->OnDrawImage = [](QObject *, TMTC &img, int w, int h) {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    img.seek32(x, y)->all =
                        0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 7) << 8 | 0x40;
        };
        p->SetDisplayCenter({512, 256});
        p->SetDisplayRotation(rot);
        p->UpdatePreview({psModifyImage});
        shots << p->Image().presentImage();
    }
    EXPECT_GOLDEN(sideBySide(shots), "navigation-preview");
}
