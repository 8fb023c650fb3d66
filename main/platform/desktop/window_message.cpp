#include "platform/desktop/window_message.h"

#include <QCoreApplication>

TWindowMessageEvent::TWindowMessageEvent(const TMessage &message)
    : QEvent(eventType()), m_message(message)
{
}

QEvent::Type TWindowMessageEvent::eventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

intptr_t sendWindowMessage(QObject *receiver, TMessage &message)
{
    if (!receiver)
        return message.result;
    TWindowMessageEvent ev(message);
    QCoreApplication::sendEvent(receiver, &ev);
    message.result = ev.message().result;
    return message.result;
}

bool postWindowMessage(QObject *receiver, uint32_t msg, intptr_t wParam, intptr_t lParam)
{
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new TWindowMessageEvent({msg, wParam, lParam, 0}));
    return true;
}
