// The application's three single-slot handlers: OnMessage (every mouse press, mouse release and
// key down of the application, before it reaches its window), OnShortCut (every keyboard
// shortcut before it fires) and OnDeactivate (the application lost the focus). One event filter
// on the application object calls them. Each slot holds one handler; whoever replaces a handler
// receives the previous one and puts it back when done (last in, first out), calling it on where
// it must.
#pragma once

#include <QPoint>

#include <cstdint>
#include <functional>

class QEvent;
class QObject;

// Message numbers of the messages the handlers see.
constexpr uint32_t WM_KEYDOWN = 0x0100;
constexpr uint32_t WM_SYSKEYDOWN = 0x0104;
constexpr uint32_t WM_LBUTTONDOWN = 0x0201;
constexpr uint32_t WM_LBUTTONUP = 0x0202;
constexpr uint32_t WM_LBUTTONDBLCLK = 0x0203;
constexpr uint32_t WM_RBUTTONDOWN = 0x0204;
constexpr uint32_t WM_RBUTTONUP = 0x0205;
constexpr uint32_t WM_RBUTTONDBLCLK = 0x0206;
constexpr uint32_t WM_MBUTTONDOWN = 0x0207;
constexpr uint32_t WM_MBUTTONUP = 0x0208;
constexpr uint32_t WM_MBUTTONDBLCLK = 0x0209;

// One message: its number, the virtual key of a key message (0 otherwise), the cursor position
// on the screen, the object it is on its way to and the Qt event it came from.
struct TMsg
{
    uint32_t message = 0;
    int32_t wParam = 0;
    QPoint pt;
    QObject *receiver = nullptr;
    QEvent *event = nullptr;
};

// A handler that sets handled swallows the message (its destination never sees it).
using TMessageEvent = std::function<void(TMsg &msg, bool &handled)>;
using TShortCutEvent = std::function<void(TMsg &msg, bool &handled)>;
using TNotifyEvent = std::function<void(QObject *sender)>;

// Installs the event filter on the application object (once; later calls do nothing). The
// setters below install it too.
void installApplicationHooks();

// Each setter puts a handler into its slot (an empty one clears it) and returns the previous.
TMessageEvent setApplicationOnMessage(TMessageEvent handler);
TShortCutEvent setApplicationOnShortCut(TShortCutEvent handler);
TNotifyEvent setApplicationOnDeactivate(TNotifyEvent handler);
const TMessageEvent &applicationOnMessage();
const TShortCutEvent &applicationOnShortCut();
const TNotifyEvent &applicationOnDeactivate();
