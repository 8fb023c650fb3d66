// The Qt face of a document window: a widget inside a QMdiSubWindow that owns its TDrawWindow,
// forwards activation, pointer, key, wheel, resize and paint events to it, mirrors its scroll-bar
// models in QScrollBar children and copies its screen surface to the screen.
#pragma once

#include "windows/docwin/draw_window.h"

#include <QAction>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

class QMdiArea;
class QMdiSubWindow;
class QScrollBar;
class QSizeGrip;

class CDrawWindowWidget : public QWidget
{
  public:
    explicit CDrawWindowWidget(std::unique_ptr<TDrawWindow> window, QWidget *parent = nullptr);
    ~CDrawWindowWidget() override;

    // Puts a window into a new sub-window of area (placed as the window says) and shows it.
    static CDrawWindowWidget *openIn(QMdiArea &area, std::unique_ptr<TDrawWindow> window);

    TDrawWindow &window() const { return *m_window; }
    QMdiSubWindow *subWindow() const { return m_sub; }
    QScrollBar *horizontalBar() const { return m_hbar; }
    QScrollBar *verticalBar() const { return m_vbar; }
    QSizeGrip *sizeGrip() const { return m_grip; }
    // The surface as the screen shows it (alpha ignored).
    QImage surfaceImage() const;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void leaveEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  public:
    // The modifier keys and held buttons of a Qt event.
    static TShiftState shiftStateOf(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);

  private:
    void pressed(QMouseEvent *event, bool dbl);
    void attachTo(QMdiSubWindow *sub);
    void followScrollBars();
    void followPlacement();
    void followTimers();
    void barAction(bool horizontal, int action);
    bool ghostFollowsPointer() const;
    bool filterSubWindow(QEvent *event);
    void setActive(bool active);

    std::unique_ptr<TDrawWindow> m_window;
    QPointer<QMdiSubWindow> m_sub;
    QScrollBar *m_hbar = nullptr;
    QScrollBar *m_vbar = nullptr;
    QSizeGrip *m_grip = nullptr;
    QTimer m_autoScroll;
    bool m_syncing = false;
    bool m_active = false;
    bool m_frameDrag = false;
    // The system menu's entries disabled while the view may not change.
    QList<QPointer<QAction>> m_lockedActions;
};
