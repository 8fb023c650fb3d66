// Keeping windows on the screen. The screen is the virtual screen: the union of all monitors.
#pragma once

#include <QPoint>
#include <QRect>

// The virtual screen; the primary screen's own rectangle when the virtual one reads empty; an
// empty rectangle without a screen (or without a GUI application).
QRect virtualScreenRect();

// The top-left that keeps a window with frame rectangle `window` inside `screen`: each axis is
// clamped into [screen left, screen right - window width], so a window may end flush with the
// right or bottom edge. A window larger than the screen on either axis, or an empty screen, is
// not moved. topLeft receives the result; true when it differs from the window's own.
bool fitTopLeftToScreen(const QRect &window, const QRect &screen, QPoint &topLeft);
