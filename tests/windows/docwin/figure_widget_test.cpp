// The figure guides as a person sees them: QTest input on the document window's widget, and the
// widget grabbed from the screen.
#include "docwin_fixture.h"

#include "document/paper/headless_app.h"
#include "document/selection/selection_ops.h"
#include "document/view/view_geometry.h"
#include "windows/docwin/draw_window_widget.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>

namespace {

struct FigureWidget : DocWinFixture
{
    FigureWidget()
    {
        area.resize(700, 500);
        area.show();
        // A canvas smaller than the widget: the margin lies around it.
        auto w = makeWindow({200, 150}, 1, {100, 100});
        w->changeZoom(1, 1, false);
        widget = CDrawWindowWidget::openIn(area, std::move(w));
        area.setActiveSubWindow(widget->subWindow());
        widget->subWindow()->resize(420, 340);
        QCoreApplication::processEvents();
        tool().setWindow(&window());
        window().FormActivate();
        window().changeZoom(1, 1, false);
        QCoreApplication::processEvents();
    }
    ~FigureWidget() override { tool().setWindow(nullptr); }
    TDrawWindow &window() { return widget->window(); }
    QPoint at(int32_t x, int32_t y)
    {
        const sPos p = convToViewPos(*window().paper, sPos{x, y});
        return {p.x, p.y};
    }
    QImage shown()
    {
        QCoreApplication::processEvents();
        return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static uint32_t rgb(const QImage &img, QPoint p) { return img.pixel(p) & 0xFFFFFFu; }

    // The painting objects (the stroke the selection operations draw with).
    CHeadlessPaperApp app;
    QMdiArea area;
    CDrawWindowWidget *widget = nullptr;
};

TEST_F(FigureWidget, RectangleSelectionDragShowsADottedGuideInsideTheCanvas)
{
    tool().ChangeToolSubMode(TToolSubKind::tskSelectRectangle, true);
    const QImage before = shown();
    // Dragged from inside the canvas to past its right edge.
    QTest::mousePress(widget, Qt::LeftButton, {}, at(20, 20));
    QTest::mouseMove(widget, at(100, 60));
    QTest::mouseMove(widget, at(230, 90));
    const QImage guide = shown();
    // KAVRIN_FIGURE_SHOT=path keeps the grab for a person to look at.
    if (const QByteArray shot = qgetenv("KAVRIN_FIGURE_SHOT"); !shot.isEmpty())
        guide.save(QString::fromLocal8Bit(shot));
    ASSERT_EQ(window().paper->GetZoomScale(), 1.0f);
    ASSERT_TRUE(guide.rect().contains(at(230, 90))) << guide.width() << "x" << guide.height();
    int32_t black = 0, white = 0;
    for (int32_t x = 20; x < 199; ++x) {
        const uint32_t c = rgb(guide, at(x, 20)), next = rgb(guide, at(x + 1, 20));
        ASSERT_TRUE(c == 0 || c == 0xFFFFFF) << x << " " << std::hex << c;
        EXPECT_NE(c, next) << x;
        (c == 0 ? black : white)++;
    }
    EXPECT_GT(black, 80);
    EXPECT_GT(white, 80);
    // The left edge of the guide is dotted too.
    EXPECT_NE(rgb(guide, at(20, 40)), rgb(guide, at(20, 41)));
    // Past the canvas outline the margin stays as it was.
    for (int32_t x = 201; x < 230; ++x)
        EXPECT_EQ(rgb(guide, at(x, 20)), rgb(before, at(x, 20))) << x;
    QTest::mouseRelease(widget, Qt::LeftButton, {}, at(230, 90));
    ASSERT_TRUE(hasActiveMaskImage(*window().paper));
    EXPECT_GT(getViewMaskValue(*window().paper, {100, 50}), 0);
    EXPECT_LE(getViewMaskValue(*window().paper, {100, 100}), 0);
}

TEST_F(FigureWidget, EscDuringAPolygonRemovesTheGuideAndDrawsNothing)
{
    tool().ChangeToolSubMode(TToolSubKind::tskDrawPolygon, true);
    const QString doc = dumpPaperState(*window().paper);
    const QImage before = shown();
    QTest::mouseClick(widget, Qt::LeftButton, {}, at(30, 30));
    QTest::mouseClick(widget, Qt::LeftButton, {}, at(150, 40));
    QTest::mouseMove(widget, at(120, 120));
    const QImage guide = shown();
    EXPECT_NE(guide, before) << "no guide was shown";
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_Escape);
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(dumpPaperState(*window().paper), doc);
    EXPECT_FALSE(window().drawState.has(BDrawStateBit::stMultiSelect));
}

} // namespace
