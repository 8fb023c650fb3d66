// Window messages between the program's windows: a message number with two parameters and a
// result, sent synchronously to an object (the receiver answers in result) or posted to arrive
// after the current event. Both travel as one custom event type; a receiver handles them in its
// event() by checking for TWindowMessageEvent::eventType().
#pragma once

#include <QEvent>

#include <cstdint>

class QObject;

struct TMessage
{
    uint32_t msg = 0;
    intptr_t wParam = 0;
    intptr_t lParam = 0;
    intptr_t result = 0;
};

class TWindowMessageEvent : public QEvent
{
  public:
    explicit TWindowMessageEvent(const TMessage &message);
    // The one event type of window messages, registered with Qt on first use.
    static QEvent::Type eventType();

    TMessage &message() { return m_message; }
    const TMessage &message() const { return m_message; }

  private:
    TMessage m_message;
};

// Delivers the message at once; the receiver's answer comes back in message.result (and is
// also returned). A null receiver answers nothing and leaves result as it was.
intptr_t sendWindowMessage(QObject *receiver, TMessage &message);
// Queues the message for the receiver; it arrives once, after the event being handled.
// False for a null receiver.
bool postWindowMessage(QObject *receiver, uint32_t msg, intptr_t wParam, intptr_t lParam);
