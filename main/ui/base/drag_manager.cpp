#include "ui/base/drag_manager.h"

#include "ui/base/graphic_control.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

TDragManager &TDragManager::instance()
{
    static TDragManager manager;
    return manager;
}

void TDragManager::registerTarget(TGraphicControl *target)
{
    unregisterTarget(target);
    m_targets.emplace_back(target);
}

void TDragManager::unregisterTarget(TGraphicControl *target)
{
    std::erase_if(m_targets, [target](const QPointer<TGraphicControl> &p) { return p.isNull() || p == target; });
}

bool TDragManager::beginDrag(TGraphicControl *source)
{
    if (dragging() || !source)
        return false;
    m_source = source;
    m_over = nullptr;
    m_accepted = false;
    qApp->installEventFilter(this);
    return true;
}

TGraphicControl *TDragManager::targetAt(QPoint global) const
{
    for (auto it = m_targets.rbegin(); it != m_targets.rend(); ++it) {
        TGraphicControl *t = *it;
        if (t && t->isVisible() && QRect(t->mapToGlobal(QPoint(0, 0)), t->size()).contains(global))
            return t;
    }
    return nullptr;
}

void TDragManager::leaveTarget()
{
    if (!m_over)
        return;
    TGraphicControl *old = m_over;
    m_over = nullptr;
    bool accept = false;
    m_state = dsDragLeave;
    old->DragOver(m_source, old->mapFromGlobal(QCursor::pos()), accept);
    m_state = dsDragMove;
}

void TDragManager::moveTo(QPoint global)
{
    if (!dragging())
        return;
    TGraphicControl *target = targetAt(global);
    if (target != m_over)
        leaveTarget();
    if (!target) {
        m_accepted = false;
        return;
    }
    m_state = m_over ? dsDragMove : dsDragEnter;
    m_over = target;
    bool accept = false;
    target->DragOver(m_source, target->mapFromGlobal(global), accept);
    m_accepted = accept;
    m_state = dsDragMove;
}

void TDragManager::drop(QPoint global)
{
    if (!dragging())
        return;
    moveTo(global);
    TGraphicControl *target = m_accepted ? m_over.data() : nullptr;
    if (target)
        target->DragDrop(m_source, target->mapFromGlobal(global));
    else
        leaveTarget();
    finish(target);
}

void TDragManager::cancel()
{
    if (!dragging())
        return;
    leaveTarget();
    finish(nullptr);
}

void TDragManager::finish(TGraphicControl *target)
{
    qApp->removeEventFilter(this);
    TGraphicControl *source = m_source;
    m_source = nullptr;
    m_over = nullptr;
    m_accepted = false;
    if (OnEndDrag)
        OnEndDrag(source, target);
}

bool TDragManager::eventFilter(QObject *watched, QEvent *event)
{
    if (!dragging())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == m_source.data()) {
            moveTo(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
            return false;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == m_source.data() && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            drop(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            cancel();
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}
