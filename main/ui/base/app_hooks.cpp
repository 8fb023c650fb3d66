#include "ui/base/app_hooks.h"

#include "platform/desktop/keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcutEvent>
#include <QWidget>

#include <utility>

namespace {

struct Slots
{
    TMessageEvent onMessage;
    TShortCutEvent onShortCut;
    TNotifyEvent onDeactivate;
};

Slots &hookSlots()
{
    static Slots s;
    return s;
}

uint32_t mouseMessage(QEvent::Type type, Qt::MouseButton button)
{
    const int column = type == QEvent::MouseButtonRelease    ? 1
                       : type == QEvent::MouseButtonDblClick ? 2
                                                             : 0;
    switch (button) {
    case Qt::LeftButton:
        return WM_LBUTTONDOWN + column;
    case Qt::RightButton:
        return WM_RBUTTONDOWN + column;
    case Qt::MiddleButton:
        return WM_MBUTTONDOWN + column;
    default:
        return 0;
    }
}

bool isAncestor(const QObject *older, const QObject *younger)
{
    for (const QObject *o = younger ? younger->parent() : nullptr; o; o = o->parent())
        if (o == older)
            return true;
    return false;
}

// Qt hands an ignored mouse or key event on to the parent widget, and the application's filter
// sees every step; a message is one message however far it travels.
class HookFilter : public QObject
{
  public:
    bool eventFilter(QObject *watched, QEvent *ev) override
    {
        switch (ev->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return mouse(watched, static_cast<QMouseEvent *>(ev));
        case QEvent::KeyPress:
            return key(watched, static_cast<QKeyEvent *>(ev));
        case QEvent::Shortcut:
            return shortcut(watched, static_cast<QShortcutEvent *>(ev));
        case QEvent::ApplicationDeactivate:
            if (watched == qApp && hookSlots().onDeactivate) {
                const TNotifyEvent handler = hookSlots().onDeactivate; // it may replace itself
                handler(qApp);
            }
            return false;
        default:
            return false;
        }
    }

  private:
    bool mouse(QObject *watched, QMouseEvent *me)
    {
        if (!watched->isWidgetType() || !hookSlots().onMessage)
            return false;
        const QPoint global = me->globalPosition().toPoint();
        if (isRepeat(watched, me, me->type(), global, 0, me->timestamp()))
            return false;
        TMsg msg{mouseMessage(me->type(), me->button()), 0, global, watched, me};
        return deliver(msg);
    }

    bool key(QObject *watched, QKeyEvent *ke)
    {
        if (!watched->isWidgetType() || !hookSlots().onMessage)
            return false;
        const int vk = vkFromQtKey(ke->key(), ke->modifiers());
        if (isRepeat(watched, ke, ke->type(), QPoint(), vk, ke->timestamp()))
            return false;
        const uint32_t m = (ke->modifiers() & Qt::AltModifier) ? WM_SYSKEYDOWN : WM_KEYDOWN;
        TMsg msg{m, vk, QCursor::pos(), watched, ke};
        return deliver(msg);
    }

    bool shortcut(QObject *watched, QShortcutEvent *se)
    {
        if (!hookSlots().onShortCut)
            return false;
        const QKeyCombination k = se->key().isEmpty() ? QKeyCombination() : se->key()[0];
        TMsg msg{WM_KEYDOWN, vkFromQtKey(k.key(), k.keyboardModifiers()), QCursor::pos(), watched,
                 se};
        bool handled = false;
        const TShortCutEvent handler = hookSlots().onShortCut;
        handler(msg, handled);
        return handled;
    }

    bool deliver(TMsg &msg)
    {
        bool handled = false;
        const TMessageEvent handler = hookSlots().onMessage; // a handler may replace itself
        handler(msg, handled);
        return handled;
    }

    bool isRepeat(QObject *watched, QEvent *ev, QEvent::Type type, QPoint global, int key,
                  quint64 timestamp)
    {
        const bool same = m_type == type && m_global == global && m_key == key &&
                          m_timestamp == timestamp && m_receiver &&
                          (m_event == ev || isAncestor(watched, m_receiver));
        const bool propagated = same && isAncestor(watched, m_receiver);
        m_type = type;
        m_global = global;
        m_key = key;
        m_timestamp = timestamp;
        m_event = ev;
        m_receiver = watched;
        return propagated;
    }

    QEvent::Type m_type = QEvent::None;
    QPoint m_global;
    int m_key = 0;
    quint64 m_timestamp = 0;
    const QEvent *m_event = nullptr;
    QPointer<QObject> m_receiver;
};

} // namespace

void installApplicationHooks()
{
    static HookFilter *filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new HookFilter;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

TMessageEvent setApplicationOnMessage(TMessageEvent handler)
{
    installApplicationHooks();
    return std::exchange(hookSlots().onMessage, std::move(handler));
}

TShortCutEvent setApplicationOnShortCut(TShortCutEvent handler)
{
    installApplicationHooks();
    return std::exchange(hookSlots().onShortCut, std::move(handler));
}

TNotifyEvent setApplicationOnDeactivate(TNotifyEvent handler)
{
    installApplicationHooks();
    return std::exchange(hookSlots().onDeactivate, std::move(handler));
}

const TMessageEvent &applicationOnMessage()
{
    return hookSlots().onMessage;
}

const TShortCutEvent &applicationOnShortCut()
{
    return hookSlots().onShortCut;
}

const TNotifyEvent &applicationOnDeactivate()
{
    return hookSlots().onDeactivate;
}
