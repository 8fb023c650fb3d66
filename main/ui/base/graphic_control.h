// The base of the owner-drawn controls: a child widget without a window of its own whose picture
// is its screen surface. A control draws into its picture whenever its state changes and asks
// for a repaint (update()); paintEvent only copies the picture (Paint). Geometry is absolute and
// SetBounds is its one entry: Qt's own moves and resizes are routed into it, so a control resizes
// its picture in one place. The mouse is captured by Qt's implicit grab while a button is held.
#pragma once

#include "ui/base/app_hooks.h"

#include <QString>
#include <QWidget>

class QPainter;

class TGraphicControl : public QWidget
{
  public:
    explicit TGraphicControl(QWidget *parent = nullptr);

    // Places the control; derived controls extend it to follow their size.
    virtual void SetBounds(int left, int top, int width, int height);
    // Enabling and disabling; derived controls extend it to change their picture.
    virtual void SetEnabled(bool value);

    // "short|long": the tool tip and the status-bar text (a hint without a bar gives both).
    void setHint(const QString &hint);
    QString hint() const { return m_hint; }

    // With csNoStdEvents the control receives no mouse handlers (MouseDown and the others).
    bool noStdEvents() const { return m_noStdEvents; }
    void setNoStdEvents(bool on) { m_noStdEvents = on; }

    // The control's hit test: a mouse event at a point it refuses is passed on to the parent.
    virtual bool hitTest(QPoint pos) const;

    // The mouse came over the control or left it; callable by siblings that hand over the mouse.
    virtual void MouseEnter();
    virtual void MouseLeave();

    // Dropping (delivered by the drag manager): DragOver sets accept when the source may drop.
    virtual void DragOver(QObject *source, QPoint pos, bool &accept);
    virtual void DragDrop(QObject *source, QPoint pos);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    std::function<void(QObject *sender, QObject *source, QPoint pos, bool &accept)> OnDragOver;
    std::function<void(QObject *sender, QObject *source, QPoint pos)> OnDragDrop;

  protected:
    // Copies the picture to the screen; the painter is on the control at (0, 0).
    virtual void Paint(QPainter &painter);
    // Mouse handlers in the control's coordinates. double is set on the press of a double-click.
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                           bool dbl);
    virtual void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    virtual void DblClick();

    void paintEvent(QPaintEvent *ev) override;
    void resizeEvent(QResizeEvent *ev) override;
    void moveEvent(QMoveEvent *ev) override;
    bool event(QEvent *ev) override;
    void mousePressEvent(QMouseEvent *ev) override;
    void mouseMoveEvent(QMouseEvent *ev) override;
    void mouseReleaseEvent(QMouseEvent *ev) override;
    void mouseDoubleClickEvent(QMouseEvent *ev) override;
    void enterEvent(QEnterEvent *ev) override;
    void leaveEvent(QEvent *ev) override;

  private:
    void followQtGeometry();

    QString m_hint;
    bool m_noStdEvents = false;
    bool m_inSetBounds = false;
    Qt::MouseButtons m_held; // buttons pressed on the control and not yet released
};
