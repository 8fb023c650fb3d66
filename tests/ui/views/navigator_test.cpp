#include "ui/views/navigator.h"

#include "core/profile/app_profile.h"
#include "ui/graphics/appearance.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

// Remembers the presses that reached it.
class Owner : public QWidget
{
  public:
    QList<QPoint> presses;

  protected:
    void mousePressEvent(QMouseEvent *ev) override { presses << ev->position().toPoint(); }
};

void send(QWidget *w, QEvent::Type type, QPoint at, Qt::KeyboardModifiers mods = {})
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    QMouseEvent ev(type, QPointF(at), w->mapToGlobal(QPointF(at)), button, held, mods);
    QApplication::sendEvent(w, &ev);
}

void drag(QWidget *w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = {})
{
    send(w, QEvent::MouseButtonPress, from, mods);
    send(w, QEvent::MouseMove, to, mods);
    send(w, QEvent::MouseButtonRelease, to, mods);
}

void click(QWidget *w, QPoint at)
{
    drag(w, at, at);
}

QPoint centreOf(TGrabberControlPart p)
{
    return TGrabberControl::PartRect(p).center();
}

struct NavigationGrabber : ::testing::Test
{
    NavigationGrabber()
    {
        owner.resize(160, 160);
        grabber = new TGrabberControl(&owner);
        grabber->OnChange = [this](QObject *) { log << "change"; };
        grabber->OnGrabberEnter = [this](QObject *) { log << "enter"; };
        grabber->OnGrabberExit = [this](QObject *) { log << "exit"; };
        owner.show();
    }
    Owner owner;
    TGrabberControl *grabber;
    QStringList log;
};

} // namespace

TEST_F(NavigationGrabber, RotationWrapsAndOnlyChangesFire)
{
    EXPECT_EQ(grabber->size(), QSize(129, 146));
    grabber->SetBounds(5, 6, 40, 40);
    EXPECT_EQ(grabber->geometry(), QRect(5, 6, 129, 146));
    struct Case
    {
        float in, stored;
    } cases[] = {{190, -170}, {180, -180}, {-180, -180}, {-190, 170}, {540, -180}, {0, 0}};
    for (const Case &c : cases) {
        grabber->SetRotation(c.in);
        EXPECT_EQ(grabber->Rotation(), c.stored) << c.in;
    }
    log.clear();
    grabber->SetRotation(360);
    grabber->SetScale(1);
    EXPECT_TRUE(log.isEmpty());
    grabber->SetScale(2);
    EXPECT_EQ(log, QStringList{"change"});
}

TEST(NavigationGrabberSnap, AngleRoundsHalfAwayFromZero)
{
    struct Case
    {
        float in, out;
    } cases[] = {{20, 15}, {23, 30}, {-20, -15}, {-25, -30}, {7.4f, 0}, {7.5f, 15}, {-7.5f, -15},
                 {-179, -180}};
    for (const Case &c : cases)
        EXPECT_EQ(snapGrabberAngle(c.in), c.out) << c.in;
}

TEST_F(NavigationGrabber, DialDragWithAndWithoutAdjust)
{
    // (106, 49) lies on the ring at about -20.5 degrees.
    const QPoint at(106, 49);
    ASSERT_EQ(grabber->GetAreaType(at.x(), at.y()), gcRotation);
    drag(grabber, at, at);
    EXPECT_NEAR(grabber->Rotation(), -20.48f, 0.01f);
    EXPECT_EQ(log.first(), "enter");
    EXPECT_EQ(log.last(), "exit");

    drag(grabber, at, at, Qt::ShiftModifier);
    EXPECT_EQ(grabber->Rotation(), -15.0f);

    // The profile's setting inverts Shift.
    std::unique_ptr<CAppProfile> saved = std::move(gAppProfile);
    gAppProfile = std::make_unique<CAppProfile>();
    gAppProfile->ForceDispParam = true;
    grabber->SetRotation(0);
    drag(grabber, at, at);
    EXPECT_EQ(grabber->Rotation(), -15.0f);
    drag(grabber, at, at, Qt::ShiftModifier);
    EXPECT_NEAR(grabber->Rotation(), -20.48f, 0.01f);
    gAppProfile = std::move(saved);

    // Mirrored, the same point reads the mirrored angle.
    grabber->SetReverse(true);
    drag(grabber, at, at);
    EXPECT_NEAR(grabber->Rotation(), -159.52f, 0.01f);
}

TEST_F(NavigationGrabber, SliderDrag)
{
    struct Case
    {
        int x;
        bool adjust;
        float scale;
    } cases[] = {{20, false, 1.0f / 16}, {65, false, 1}, {110, false, 16}, {200, false, 16},
                 {70, true, 1}, {73, true, 1.5f}};
    for (const Case &c : cases) {
        log.clear();
        drag(grabber, QPoint(c.x < 115 ? c.x : 100, 138), QPoint(c.x, 138),
             c.adjust ? Qt::ShiftModifier : Qt::NoModifier);
        EXPECT_FLOAT_EQ(grabber->Scale(), c.scale) << c.x;
        EXPECT_EQ(log.first(), "enter");
        EXPECT_EQ(log.last(), "exit");
    }
}

TEST_F(NavigationGrabber, ButtonsActOnRelease)
{
    struct Case
    {
        TGrabberControlPart button;
        bool reverse;
        float rotation, scale, startScale;
    } cases[] = {
        {gcButton090, false, 90, 1, 1},      {gcButton270, false, -90, 1, 1},
        {gcButton000, false, 0, 1, 1},       {gcButton180, false, -180, 1, 1},
        {gcButton000, true, -180, 1, 1},     {gcButton180, true, 0, 1, 1},
        {gcButtonZoomIn, false, 45, 1.5f, 1}, {gcButtonZoomIn, false, 45, 16, 16},
        {gcButtonZoomOut, false, 45, 1.0f / 16, 1.0f / 16},
        {gcButtonZoomOut, false, 45, 2.0f / 3, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.button) << " " << c.reverse);
        grabber->SetReverse(c.reverse);
        grabber->SetRotation(45);
        grabber->SetScale(c.startScale);
        log.clear();
        click(grabber, centreOf(c.button));
        EXPECT_EQ(grabber->Rotation(), c.rotation);
        EXPECT_FLOAT_EQ(grabber->Scale(), c.scale);
        EXPECT_FALSE(log.contains("enter"));
    }
    // Pressed on a button, released elsewhere: the button still acts.
    grabber->SetReverse(false);
    drag(grabber, centreOf(gcButton090), QPoint(300, -40));
    EXPECT_EQ(grabber->Rotation(), 90);
    EXPECT_EQ(grabber->DragPart(), gcNone);
}

TEST_F(NavigationGrabber, HitTestAndHighlight)
{
    struct Case
    {
        QPoint at;
        TGrabberControlPart part;
    } cases[] = {
        {{64, 64}, gcNone},         {{64, 20}, gcRotation},     {{64, 14}, gcRotation},
        {{64, 27}, gcRotation},     {{64, 28}, gcNone},         {{5, 5}, gcNone},
        {{123, 64}, gcButton000},   {{64, 123}, gcButton090},   {{5, 64}, gcButton180},
        {{64, 5}, gcButton270},     {{123, 138}, gcButtonZoomIn}, {{5, 138}, gcButtonZoomOut},
        {{60, 138}, gcScale},
    };
    for (const Case &c : cases)
        EXPECT_EQ(grabber->GetAreaType(c.at.x(), c.at.y()), c.part) << c.at.x() << "," << c.at.y();

    // A press outside the parts reaches what lies below.
    send(grabber, QEvent::MouseButtonPress, QPoint(64, 64));
    send(grabber, QEvent::MouseButtonRelease, QPoint(64, 64));
    EXPECT_EQ(owner.presses, QList<QPoint>{QPoint(64, 64)});
    EXPECT_TRUE(log.isEmpty());

    // Hovering highlights the part and sets its hint; moving off clears both.
    QMouseEvent over(QEvent::MouseMove, QPointF(123, 64), grabber->mapToGlobal(QPointF(123, 64)),
                     Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(grabber, &over);
    EXPECT_EQ(grabber->ActivePart(), gcButton000);
    EXPECT_TRUE(grabber->hint().startsWith(QString::fromUtf8("角度をリセット|")));
    grabber->SetReverse(true);
    QMouseEvent off(QEvent::MouseMove, QPointF(64, 64), grabber->mapToGlobal(QPointF(64, 64)),
                    Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(grabber, &off);
    EXPECT_EQ(grabber->ActivePart(), gcNone);
    QApplication::sendEvent(grabber, &over);
    EXPECT_TRUE(grabber->hint().startsWith(QString::fromUtf8("180° 回転|")));
}

TEST_F(NavigationGrabber, PaintToGolden)
{
    grabber->SetScale(1);
    grabber->SetRotation(30);
    QImage surface(129, 146, QImage::Format_ARGB32);
    surface.fill(QColor(70, 110, 150));
    grabber->PaintTo(surface, 0, 0);
    EXPECT_GOLDEN(surface, "navigation-navigator");
}
