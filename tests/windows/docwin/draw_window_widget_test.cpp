#include "docwin_fixture.h"
#include "three_layers.h"

#include "support/captured_messages.h"
#include "windows/docwin/draw_window_widget.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScrollBar>
#include <QSizeGrip>
#include <QTest>
#include <QWheelEvent>

#include <vector>

namespace {

struct DocWindowWidget : DocWinFixture
{
    DocWindowWidget()
    {
        area.resize(1000, 800);
        area.show();
    }
    CDrawWindowWidget *open(sSize canvas = {600, 400})
    {
        auto w = makeWindow(canvas, 3, {100, 100});
        paintThreeLayers(*w->paper);
        w->changeZoom(1, 1, false);
        CDrawWindowWidget *widget = CDrawWindowWidget::openIn(area, std::move(w));
        area.setActiveSubWindow(widget->subWindow());
        QCoreApplication::processEvents();
        return widget;
    }
    // Pixels of the grab and the surface that differ.
    static int32_t differences(CDrawWindowWidget &widget)
    {
        const QImage shown = widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage surface = widget.surfaceImage();
        if (shown.size() != surface.size())
            return -1;
        int32_t n = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QPoint p(x, y);
                // The scroll bars and the grip are children over the surface.
                bool covered = false;
                for (QWidget *c : {static_cast<QWidget *>(widget.horizontalBar()),
                                   static_cast<QWidget *>(widget.verticalBar()),
                                   static_cast<QWidget *>(widget.sizeGrip())})
                    covered |= c->isVisible() && c->geometry().contains(p);
                n += !covered && (shown.pixel(p) & 0xFFFFFF) != (surface.pixel(p) & 0xFFFFFF);
            }
        return n;
    }
    QMdiArea area;
};

TEST_F(DocWindowWidget, ResizeRebuildsBothImagesAndMinimisedKeepsThem)
{
    CDrawWindowWidget *widget = open();
    widget->subWindow()->resize(500, 400);
    QCoreApplication::processEvents();
    TDrawWindow &w = widget->window();
    EXPECT_EQ(w.clnSize, (sSize{widget->width(), widget->height()}));
    EXPECT_EQ(w.dwBuffer.width(), widget->width());
    EXPECT_EQ(w.viewSurface()->height(), widget->height());
    const sSize kept = w.clnSize;
    widget->subWindow()->showMinimized();
    QCoreApplication::processEvents();
    EXPECT_EQ(w.clnSize, kept);
    EXPECT_EQ(w.dwBuffer.width(), kept.x);
    EXPECT_EQ(w.viewSurface()->width(), kept.x);
}

TEST_F(DocWindowWidget, TheScreenShowsTheSurface)
{
    prof().showScrollBar = true;
    CDrawWindowWidget *widget = open();
    widget->subWindow()->resize(420, 330);
    QCoreApplication::processEvents();
    EXPECT_TRUE(widget->horizontalBar()->isVisible());
    EXPECT_TRUE(widget->sizeGrip()->isVisible());
    EXPECT_EQ(differences(*widget), 0);
}

TEST_F(DocWindowWidget, BarDragScrollsAndPaintsAtOnce)
{
    prof().showScrollBar = true;
    CDrawWindowWidget *widget = open();
    widget->subWindow()->resize(420, 330);
    QCoreApplication::processEvents();
    TDrawWindow &w = widget->window();
    QScrollBar *bar = widget->horizontalBar();
    EXPECT_EQ(bar->maximum(), w.ScrollBar1.Max - w.ScrollBar1.PageSize);
    const QImage before = widget->surfaceImage().copy();
    const int32_t from = bar->value();
    bar->setSliderPosition(from + 60);
    EXPECT_EQ(w.ScrollBar1.Position, from + 60);
    const QImage after = widget->surfaceImage().copy();
    EXPECT_NE(before, after);
    // Without waiting for a paint event, the content moved left by 60 pixels.
    EXPECT_EQ(after.pixel(100, 150), before.pixel(160, 150));
    EXPECT_EQ(differences(*widget), 0);
}

TEST_F(DocWindowWidget, WheelZooms)
{
    CDrawWindowWidget *widget = open();
    const QPoint at(50, 50);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::ShiftModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
    EXPECT_GT(widget->window().paper->GetZoomScale(), 1.0f);
}

TEST_F(DocWindowWidget, CloseBoxAsks)
{
    CapturedMessages boxes;
    boxes.answer = kavrin::mrCancel;
    CDrawWindowWidget *widget = open();
    widget->window().paper->m_filename = QStringLiteral("b.qzi");
    widget->window().setModified(true);
    QPointer<QMdiSubWindow> sub = widget->subWindow();
    sub->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(sub);
    EXPECT_EQ(boxes.questions.size(), 1);
    boxes.answer = kavrin::mrNo;
    sub->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(sub);
}

TEST_F(DocWindowWidget, KeyOnlyStateKeepsTheWindowAsItIs)
{
    CDrawWindowWidget *widget = open();
    QPointer<QMdiSubWindow> sub = widget->subWindow();
    widget->window().drawState.set(BDrawStateBit::stKeyOnly);
    QMenu *menu = sub->systemMenu();
    ASSERT_TRUE(menu);
    for (QAction *a : menu->actions())
        EXPECT_NE(a->text().remove(QLatin1Char('&')), QStringLiteral("Size"));
    emit menu->aboutToShow();
    for (QAction *a : menu->actions())
        a->trigger();
    QCoreApplication::processEvents();
    ASSERT_TRUE(sub);
    EXPECT_FALSE(sub->isMaximized());
    EXPECT_FALSE(sub->isMinimized());
    EXPECT_FALSE(gAppProfile->childWinMax);
    sub->close();
    QCoreApplication::processEvents();
    ASSERT_TRUE(sub);
    EXPECT_TRUE(sub->isVisible());

    widget->window().drawState.clear(BDrawStateBit::stKeyOnly);
    emit menu->aboutToShow();
    sub->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(gAppProfile->childWinMax);
    sub->showNormal();
    QCoreApplication::processEvents();
    EXPECT_FALSE(gAppProfile->childWinMax);
}

TEST_F(DocWindowWidget, LeavingClearsTheInformationAndTheOutline)
{
    CDrawWindowWidget *widget = open();
    widget->window().DrawBrushGhost(40, 40, false);
    tool().calls.clear();
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
    EXPECT_FALSE(widget->window().FGhostVis);
    EXPECT_EQ(tool().calls, std::vector<std::string>{"clearInformationView"});
}

// ---- view pictures

struct GoldenCase
{
    const char *name;
    int32_t num, den;
    float deg;
    bool mirrored;
};

TEST_F(DocWindowWidget, ViewGoldens)
{
    const std::vector<GoldenCase> cases = {
        {"view_1x1", 1, 1, 0, false},
        {"view_1x2", 1, 2, 0, false},
        {"view_2x1_rot30", 2, 1, 30, false},
        {"view_1x1_mirrored", 1, 1, 0, true},
    };
    for (const GoldenCase &c : cases) {
        SCOPED_TRACE(c.name);
        auto w = makeWindow({96, 64}, 3, {160, 120});
        paintThreeLayers(*w->paper);
        w->changeZoom(c.num, c.den, false);
        if (c.deg != 0)
            w->dispatchRotate(c.deg, true);
        if (c.mirrored)
            w->dispatchReverse(true);
        w->updateViewNow(true, nullptr);
        const TMTC &s = *w->viewSurface();
        const QImage actual =
            QImage(reinterpret_cast<const uchar *>(s.seek32(0, 0)), s.width(), s.height(),
                   s.width() * 4, QImage::Format_RGB32)
                .copy();
        const QString path = QStringLiteral(KAVRIN_TEST_DATA "/windows/%1.png").arg(c.name);
        const QImage expected = QImage(path).convertToFormat(QImage::Format_RGB32);
        if (expected != actual) {
            actual.save(QStringLiteral("%1_actual.png").arg(c.name));
            ADD_FAILURE() << "differs from " << path.toStdString() << "; wrote " << c.name
                          << "_actual.png";
        }
    }
}

} // namespace
