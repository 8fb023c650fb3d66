// Shared pieces of the docking tests: the interface state under the fixed colours, a main window
// with a document area, views of a chosen size, mouse events with explicit buttons, and golden
// pictures in tests/data/windows/ (KAVRIN_UPDATE_GOLDENS=1 rewrites them; a mismatch writes
// <name>_actual.png into windows-golden-failures/).
#pragma once

#include "windows/dock/dock_float.h"
#include "windows/dock/dock_view.h"

#include <QImage>
#include <QList>
#include <QMdiArea>
#include <QRect>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

// A document window's widget that answers every window message with a fixed value and counts.
class TFakeDocument : public QWidget
{
  public:
    intptr_t answer = 0;
    int received = 0;
    TMessage last;

  protected:
    bool event(QEvent *ev) override;
};

// A view that answers window messages with a fixed value and records them.
class TAnsweringView : public TCustomDockView
{
  public:
    intptr_t answer = 0;
    int received = 0;
    void WndProc(TMessage &message) override;
};

class DockFixture : public ::testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A view with a caption, its height and its minimum height.
    static TCustomDockView *makeView(const QString &caption, int height = 100, int minHeight = 20);
    // A shown palette window at (x, y) holding one pane per entry with that many views.
    TDockFloatForm *makeWindow(QPoint at, const std::vector<int> &viewsPerPane,
                               int viewHeight = 100);
    // Frees what was deleted later.
    static void flush();

    QWidget *main = nullptr;
    QMdiArea *area = nullptr;
    TDockFloatManager *manager = nullptr;
};

// Mouse events with the buttons given outright, at a point of the widget.
void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button,
               Qt::MouseButtons buttons);

std::string compareWithDockGolden(const QImage &actual, const QString &name,
                                  const QList<QRect> &masks = {});
