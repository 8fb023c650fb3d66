#include "ui/base/graphic_control.h"

#include <QMouseEvent>
#include <QPainter>

TGraphicControl::TGraphicControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

void TGraphicControl::SetBounds(int left, int top, int width, int height)
{
    m_inSetBounds = true;
    if (geometry() != QRect(left, top, width, height))
        setGeometry(left, top, width, height);
    m_inSetBounds = false;
}

void TGraphicControl::SetEnabled(bool value)
{
    setEnabled(value);
    update();
}

void TGraphicControl::setHint(const QString &hint)
{
    m_hint = hint;
    const qsizetype bar = hint.indexOf(u'|');
    setToolTip(bar < 0 ? hint : hint.left(bar));
    setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

bool TGraphicControl::hitTest(QPoint pos) const
{
    return rect().contains(pos);
}

void TGraphicControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TGraphicControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TGraphicControl::DragOver(QObject *source, QPoint pos, bool &accept)
{
    accept = false;
    if (OnDragOver)
        OnDragOver(this, source, pos, accept);
}

void TGraphicControl::DragDrop(QObject *source, QPoint pos)
{
    if (OnDragDrop)
        OnDragDrop(this, source, pos);
}

void TGraphicControl::Paint(QPainter &) {}

void TGraphicControl::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int, bool) {}

void TGraphicControl::MouseMove(Qt::MouseButtons, Qt::KeyboardModifiers, int, int) {}

void TGraphicControl::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

void TGraphicControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TGraphicControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    Paint(painter);
}

void TGraphicControl::followQtGeometry()
{
    if (!m_inSetBounds) {
        const QRect g = geometry();
        SetBounds(g.x(), g.y(), g.width(), g.height());
    }
}

void TGraphicControl::resizeEvent(QResizeEvent *)
{
    followQtGeometry();
}

void TGraphicControl::moveEvent(QMoveEvent *)
{
    followQtGeometry();
}

bool TGraphicControl::event(QEvent *ev)
{
    switch (ev->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(ev);
        // A refused point belongs to whatever lies under the control: the parent gets the event.
        // While a button is held the control keeps the mouse it captured.
        const bool press =
            ev->type() == QEvent::MouseButtonPress || ev->type() == QEvent::MouseButtonDblClick;
        const Qt::MouseButtons asked = ev->type() == QEvent::MouseButtonRelease
                                           ? Qt::MouseButtons(me->button())
                                           : me->buttons();
        const bool captured = !press && (m_held & asked);
        if (!captured && !hitTest(me->position().toPoint())) {
            ev->ignore();
            return false;
        }
        if (press)
            m_held |= me->button();
        else if (ev->type() == QEvent::MouseButtonRelease)
            m_held &= ~me->button();
        break;
    }
    default:
        break;
    }
    return QWidget::event(ev);
}

void TGraphicControl::mousePressEvent(QMouseEvent *ev)
{
    if (!m_noStdEvents) {
        const QPoint p = ev->position().toPoint();
        MouseDown(ev->button(), ev->modifiers(), p.x(), p.y(), false);
    }
}

void TGraphicControl::mouseMoveEvent(QMouseEvent *ev)
{
    if (!m_noStdEvents) {
        const QPoint p = ev->position().toPoint();
        MouseMove(ev->buttons(), ev->modifiers(), p.x(), p.y());
    }
}

void TGraphicControl::mouseReleaseEvent(QMouseEvent *ev)
{
    if (m_noStdEvents)
        return;
    const QPoint p = ev->position().toPoint();
    const bool inside = rect().contains(p);
    MouseUp(ev->button(), ev->modifiers(), p.x(), p.y());
    if (inside && ev->button() == Qt::LeftButton && OnClick)
        OnClick(this);
}

void TGraphicControl::mouseDoubleClickEvent(QMouseEvent *ev)
{
    if (m_noStdEvents)
        return;
    const QPoint p = ev->position().toPoint();
    DblClick();
    MouseDown(ev->button(), ev->modifiers(), p.x(), p.y(), true);
}

void TGraphicControl::enterEvent(QEnterEvent *)
{
    MouseEnter();
}

void TGraphicControl::leaveEvent(QEvent *)
{
    MouseLeave();
}
