#include "ui/fields/trackbar.h"

#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(FieldsTrackbar, PositionFromAPoint)
{
    struct Case
    {
        TGraphicTrackbarOrientation o;
        int w, h, x, y;
        float p;
    } cases[] = {
        {gtHorizontal, 109, 14, 3, 7, 0},
        {gtHorizontal, 109, 14, 53, 7, 0.5f},
        {gtHorizontal, 109, 14, 103, 7, 1},
        {gtHorizontal, 109, 14, -20, 7, 0},
        {gtHorizontal, 109, 14, 200, 7, 1},
        {gtHorizontal, 9, 14, 5, 7, 0},
        {gtVertical, 14, 109, 7, 3, 1},
        {gtVertical, 14, 109, 7, -5, 1},
        {gtVertical, 14, 109, 7, 105, 0},
        {gtVertical, 14, 109, 7, 54, 0.5f},
        {gtClockWise, 32, 32, 16, 30, 0.25f},
        {gtClockWise, 32, 32, 16, 2, 0.75f},
        {gtClockWise, 32, 32, 30, 16, 0.5f},
        {gtCounterClockWise, 32, 32, 16, 30, 0.75f},
        {gtCounterClockWise, 32, 32, 16, 2, 0.25f},
    };
    for (const Case &c : cases)
        EXPECT_FLOAT_EQ(trackbarPositionFromPoint(c.o, c.w, c.h, c.x, c.y), c.p)
            << int(c.o) << " " << c.x << "," << c.y;
    // Left of a dial's centre is 0 or 1.
    const float left = trackbarPositionFromPoint(gtClockWise, 32, 32, 2, 16);
    EXPECT_TRUE(left == 0 || left == 1) << left;
}

TEST(FieldsTrackbar, PositionWritesFiltersAndNotifications)
{
    TGraphicTrackbar bar;
    bar.SetBounds(0, 0, 109, 14);
    int changes = 0;
    bar.OnChange = [&](QObject *) { ++changes; };
    bar.setPosition(1.5f);
    EXPECT_EQ(bar.Position(), 1);
    bar.setPosition(0.25f);
    bar.setPosition(0.25f);
    EXPECT_EQ(changes, 2);
    bar.setPosition(-3);
    EXPECT_EQ(bar.Position(), 0);

    // The in-filter bends what is written (not clamped again), the out-filter what is read.
    bar.OnInFilter = [](QObject *, float &p) { p = p * p; };
    bar.OnOutFilter = [](QObject *, float &p) { p = p * 10; };
    bar.setPosition(0.5f);
    EXPECT_FLOAT_EQ(bar.StoredPosition(), 0.25f);
    EXPECT_FLOAT_EQ(bar.Position(), 2.5f);
}

TEST(FieldsTrackbar, PressesAndDrags)
{
    QWidget window;
    window.resize(200, 200);
    TGraphicTrackbar bar(&window);
    bar.SetBounds(10, 10, 109, 14);
    bar.OnInFilter = [](QObject *, float &p) { p = 0.9f; }; // a press bypasses it
    int changes = 0;
    bar.OnChange = [&](QObject *) { ++changes; };
    window.show();
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(53, 7));
    EXPECT_FLOAT_EQ(bar.Position(), 0.5f);
    EXPECT_TRUE(bar.Down());
    QTest::mouseMove(&bar, QPoint(103, 7));
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(103, 7));
    EXPECT_FALSE(bar.Down());
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 7));
    EXPECT_EQ(bar.Position(), 0);
    const int before = changes;
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(3, 7));
    EXPECT_EQ(changes, before + 1); // a press notifies even when nothing moved

    bar.setEnabled(false);
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(103, 7));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(changes, before + 1);
}

TEST(FieldsTrackbar, Pictures)
{
    QList<QImage> pictures;
    struct Case
    {
        TGraphicTrackbarOrientation o;
        int w, h;
        float p;
        bool centre, enabled;
    } cases[] = {
        {gtHorizontal, 109, 14, 0.3f, true, true},
        {gtVertical, 14, 109, 0.75f, true, true},
        {gtClockWise, 32, 32, 0.25f, false, true},
        {gtCounterClockWise, 32, 32, 0.25f, false, true},
        {gtHorizontal, 109, 14, 0.6f, false, false},
    };
    for (const Case &c : cases) {
        TGraphicTrackbar bar;
        bar.setOrientation(c.o);
        bar.SetBounds(0, 0, c.w, c.h);
        bar.setPosition(c.p);
        bar.setCenterLine(c.centre);
        bar.setEnabled(c.enabled);
        pictures << pictureOf(bar.Image());
    }
    EXPECT_GOLDEN(sideBySide(pictures, 2), "trackbars");
    EXPECT_EQ(trackbarInnerRect(gtHorizontal, 109, 14), (sRect{3, 0, 106, 8}));
    EXPECT_EQ(trackbarInnerRect(gtVertical, 14, 109), (sRect{3, 2, 11, 107}));
    EXPECT_EQ(trackbarInnerRect(gtClockWise, 40, 32), (sRect{1, 1, 31, 31}));
}
