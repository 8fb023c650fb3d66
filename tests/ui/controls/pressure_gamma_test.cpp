#include "ui/controls/pressure_gamma.h"

#include "ui/ui_test_support.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(ControlsPressureGamma, DragRule)
{
    struct Case
    {
        float from;
        int d;
        bool shift;
        float to;
    } cases[] = {
        {0.95f, 10, false, 1.00f},   // crossing 1.00 stops there
        {1.30f, -100, false, 1.00f}, // from above too
        {1.00f, 2, false, 1.10f},    // above 1.00: five times faster
        {1.00f, -2, false, 0.98f},   {0.50f, 3, false, 0.53f},
        {0.52f, 1, true, 0.55f}, // Shift: steps of 0.05
        {0.52f, -1, true, 0.45f},    {1.20f, 1, true, 1.45f},
        {0.10f, -50, false, 0.05f}, // floor
        {5.90f, 100, false, 6.00f}, // ceiling
        {0.00f, -3, false, 0.05f},   {9.00f, 1, false, 6.00f},
    };
    for (const Case &c : cases)
        EXPECT_FLOAT_EQ(pressureGammaDrag(c.from, c.d, c.shift), c.to)
            << c.from << " " << c.d << " " << c.shift;
}

TEST(ControlsPressureGamma, DraggingAndResets)
{
    QWidget window;
    window.setGeometry(50, 50, 200, 200);
    auto *p = new TPressureGamma(&window);
    p->SetBounds(10, 10, 60, 60);
    int changes = 0;
    p->OnChange = [&](QObject *) { ++changes; };
    window.show();
    p->setGamma(0.95f);
    changes = 0;
    QTest::mousePress(p, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(p, QPoint(20, 10));
    EXPECT_FLOAT_EQ(p->Gamma(), 1.0f);
    QTest::mouseMove(p, QPoint(22, 10));
    EXPECT_FLOAT_EQ(p->Gamma(), 1.1f);
    QTest::mouseMove(p, QPoint(59, 59));
    QTest::mouseRelease(p, Qt::LeftButton, Qt::NoModifier, QPoint(59, 59));
    EXPECT_LE(p->Gamma(), 6.0f);
    EXPECT_GE(changes, 2);
    QTest::mouseDClick(p, Qt::LeftButton, Qt::NoModifier, QPoint(30, 30));
    EXPECT_FLOAT_EQ(p->Gamma(), 1.0f);
    p->setGamma(-1);
    EXPECT_FLOAT_EQ(p->Gamma(), 0.0f);
    p->setGamma(std::nanf(""));
    EXPECT_FLOAT_EQ(p->Gamma(), 0.0f);
    p->setGamma(8);
    EXPECT_FLOAT_EQ(p->Gamma(), 8.0f); // the owner may go beyond the drag range
    p->setReadOnly(true);
    QTest::mousePress(p, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(p, QPoint(5, 5));
    QTest::mouseRelease(p, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_FLOAT_EQ(p->Gamma(), 8.0f);
}

TEST(ControlsPressureGamma, Picture)
{
    QWidget window;
    auto *p = new TPressureGamma(&window);
    p->SetBounds(0, 0, 60, 60);
    p->setGamma(2.0f);
    EXPECT_GOLDEN(pictureOf(p->image()), "controls-pressure-gamma");
}
