#include "ui/controls/nib_shape_editor.h"

#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"
#include "ui/ui_test_support.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ControlsAspectRotation : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        window.setGeometry(50, 50, 300, 200);
        c = new TAspectRotation(&window);
        c->SetBounds(10, 10, 86, 88);
        c->OnChange = [this](QObject *) { ++changes; };
        window.show();
    }
    QPoint at(int which) const
    {
        const TPointSingle h = c->handle(which);
        return QPoint(int(std::trunc(h.x + 0.5f)), int(std::trunc(h.y + 0.5f)));
    }
    void drag(QPoint from, QPoint to, Qt::KeyboardModifiers m = Qt::NoModifier)
    {
        QTest::mousePress(c, Qt::LeftButton, m, from);
        QMouseEvent ev(QEvent::MouseMove, QPointF(to), c->mapToGlobal(QPointF(to)), Qt::NoButton,
                       Qt::LeftButton, m);
        QApplication::sendEvent(c, &ev);
        QTest::mouseRelease(c, Qt::LeftButton, m, to);
    }

    QWidget window;
    TAspectRotation *c = nullptr;
    int changes = 0;
};

} // namespace

TEST_F(ControlsAspectRotation, SetParamsClamps)
{
    c->SetParams(800, 0, 120, 180, -5, 300, true);
    EXPECT_FLOAT_EQ(c->Radius(), 500); // the ceiling before MaxRadius is set
    EXPECT_FLOAT_EQ(c->MinRadius(), 1);
    EXPECT_FLOAT_EQ(c->Aspect(), 99);
    EXPECT_FLOAT_EQ(c->Rotation(), -180);
    EXPECT_FLOAT_EQ(c->Flat(), 0);
    EXPECT_FLOAT_EQ(c->Add(), 100);
    EXPECT_EQ(changes, 1);
    c->setRadius(0.01f);
    EXPECT_FLOAT_EQ(c->Radius(), 0.1f);
    c->setMaxRadius(20);
    c->setRadius(30);
    EXPECT_FLOAT_EQ(c->Radius(), 20);
    c->setRotation(540);
    EXPECT_FLOAT_EQ(c->Rotation(), -180);
    c->setRotation(-181);
    EXPECT_FLOAT_EQ(c->Rotation(), 179);
    changes = 0;
    c->setRotation(179); // unchanged: no event
    EXPECT_EQ(changes, 0);
}

TEST(ControlsAspectRotationMaths, Dial)
{
    double aspect = 0, rot = 0;
    aspectRotationDial(0, -10, 40, false, aspect, rot); // straight up
    EXPECT_DOUBLE_EQ(rot, 180);
    EXPECT_DOUBLE_EQ(aspect, 75);
    QWidget window;
    auto *c = new TAspectRotation(&window);
    c->SetBounds(0, 0, 86, 88);
    c->setRotation(float(rot));
    EXPECT_FLOAT_EQ(c->Rotation(), -180);
    aspectRotationDial(0, 10, 40, false, aspect, rot); // straight down
    EXPECT_DOUBLE_EQ(rot, 0);
    aspectRotationDial(7, 0, 40, false, aspect, rot); // right: a quarter turn back
    EXPECT_DOUBLE_EQ(rot, -90);
    EXPECT_DOUBLE_EQ(aspect, 82.5);
    aspectRotationDial(7, 10, 40, true, aspect, rot); // steps of 5 and 15
    EXPECT_DOUBLE_EQ(aspect, 65);
    EXPECT_DOUBLE_EQ(rot, -30);
    aspectRotationDial(0, 0, 40, false, aspect, rot);
    EXPECT_DOUBLE_EQ(aspect, 99);
}

TEST(ControlsAspectRotationMaths, HandleSquareAndSteps)
{
    const TPointSingle h{40.2f, 30.6f}; // rounds to (40, 31)
    struct Case
    {
        QPoint p;
        bool hit;
    } cases[] = {
        {{35, 31}, false}, {{45, 31}, false}, {{36, 31}, true}, {{44, 31}, true},
        {{40, 26}, false}, {{40, 36}, false}, {{40, 27}, true}, {{40, 35}, true},
    };
    for (const Case &k : cases)
        EXPECT_EQ(aspectRotationHandleHit(h, k.p), k.hit) << k.p.x() << "," << k.p.y();
    struct Step
    {
        float r;
        int dx;
        float to;
    } steps[] = {{1, 10, 2}, {3, 10, 5}, {6, 10, 11}, {12, 3, 15}, {30, 3, 36}, {60, 3, 75}};
    for (const Step &s : steps)
        EXPECT_FLOAT_EQ(aspectRotationRadiusStep(s.r, s.dx), s.to) << s.r;
    EXPECT_FLOAT_EQ(aspectRotationScaleStep(80, 2), 90);
    EXPECT_FLOAT_EQ(aspectRotationScaleStep(120, 2), 140);
}

TEST_F(ControlsAspectRotation, HandlesDrag)
{
    c->setRadius(30);
    EXPECT_EQ(c->GetAreaType(at(0)), arRadius);
    EXPECT_EQ(c->GetAreaType(at(1)), arMinRadius);
    EXPECT_EQ(c->GetAreaType(at(2)), arAspectRotation);
    drag(at(0), at(0) + QPoint(3, 0));
    EXPECT_FLOAT_EQ(c->Radius(), 36);
    drag(at(1), at(1) + QPoint(4, 0));
    EXPECT_FLOAT_EQ(c->MinRadius(), 54);
    drag(at(1), at(1) + QPoint(1, 0), Qt::ShiftModifier);
    EXPECT_FLOAT_EQ(c->MinRadius(), 55);

    // The third handle; Ctrl keeps the rotation, Alt the aspect.
    const QPoint centre(42, 36);
    c->SetAspectRotation(0, 0);
    drag(at(2), QPoint(centre.x() + 20, centre.y()));
    EXPECT_NEAR(c->Rotation(), -90, 2);
    EXPECT_GT(c->Aspect(), 0);
    c->SetAspectRotation(0, 0);
    drag(at(2), QPoint(centre.x(), centre.y() - 10), Qt::ControlModifier);
    EXPECT_FLOAT_EQ(c->Rotation(), 0);
    EXPECT_GT(c->Aspect(), 0);
    c->SetAspectRotation(0, 0);
    drag(at(2), QPoint(centre.x() + 30, centre.y() - 1), Qt::AltModifier);
    EXPECT_FLOAT_EQ(c->Aspect(), 0);
    EXPECT_NE(c->Rotation(), 0);
    c->SetAspectRotation(0, 0);
    drag(at(2), QPoint(centre.x() + 30, centre.y() - 3), Qt::AltModifier | Qt::ShiftModifier);
    EXPECT_EQ(int(c->Rotation()) % 15, 0);
}

TEST_F(ControlsAspectRotation, DoubleClickResetsAndThirdHandleFallsThrough)
{
    c->SetAspectRotation(40, 30);
    c->setSupportAspect(false);
    const QPoint h = at(2);
    EXPECT_EQ(c->GetAreaType(h), arPreview);
    QTest::mouseDClick(c, Qt::LeftButton, Qt::NoModifier, h);
    EXPECT_FLOAT_EQ(c->Aspect(), 0);
    EXPECT_FLOAT_EQ(c->Rotation(), 0);
}

TEST_F(ControlsAspectRotation, ShapeImageAndDropArrow)
{
    c->SetShapeImage(true, {100, 50}, 150);
    EXPECT_EQ(c->GetAreaType(at(0)), arShapeScale);
    c->SetShapeImage(false, {100, 50}, 150);
    EXPECT_EQ(c->ShapeSize(), (sSize{0, 0}));
    c->setShapeScale(9000);
    EXPECT_FLOAT_EQ(c->ShapeScale(), 500);
    c->setShapeScale(0);
    EXPECT_FLOAT_EQ(c->ShapeScale(), 1);

    int shows = 0;
    QPoint shownAt;
    c->OnShowPopupForm = [&](QObject *, int x, int y) {
        ++shows;
        shownAt = QPoint(x, y);
    };
    c->setSupportDrop(true);
    const QPoint arrow = c->DropArrowRect().center();
    EXPECT_EQ(c->GetAreaType(arrow), arDrop);
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, arrow);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(shownAt, c->mapToGlobal(QPoint(0, 88 - 16)));
    c->FPopupForm = reinterpret_cast<TPopupBaseForm *>(c); // any non-null marker
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, arrow);
    EXPECT_EQ(shows, 1);
    c->FPopupForm = nullptr;
}

TEST_F(ControlsAspectRotation, UnitsMoveTheRotationLabel)
{
    const int before = c->RotationLabelRect().left();
    c->setAspectUnit("percent");
    EXPECT_GT(c->RotationLabelRect().left(), before);
    EXPECT_EQ(c->GetAreaType(c->RotationLabelRect().center()), arRotationLabel);
    c->setAspectUnit("%");
    EXPECT_EQ(c->RotationLabelRect().left(), before);
}

TEST_F(ControlsAspectRotation, LabelEditorKeepsOrRestores)
{
    c->setAspect(20);
    const QPoint label = c->AspectLabelRect().center();
    ASSERT_EQ(c->GetAreaType(label), arAspectLabel);
    for (bool confirm : {true, false}) {
        QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, label);
        TCaptureNumEdit *e = c->Editor();
        ASSERT_NE(e, nullptr);
        e->setText(confirm ? "35" : "70");
        QTest::keyClick(e, confirm ? Qt::Key_Return : Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(c->Editor(), nullptr);
        EXPECT_FLOAT_EQ(c->Aspect(), 35) << confirm;
    }
}

TEST(ControlsAspectRotationPictures, Editor)
{
    QWidget window;
    auto *c = new TAspectRotation(&window);
    c->SetBounds(0, 0, 86, 88);
    c->SetAspectRotation(40, 30);
    c->setSupportDrop(true);
    window.show();
    c->MouseEnter();
    EXPECT_GOLDEN(pictureOf(c->image()), "controls-nib-shape-editor", {QRect(0, 88 - 16, 86, 16)});
}
