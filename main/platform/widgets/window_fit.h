// Keeping a window or form inside the virtual screen.
#pragma once

#include <QPoint>

class QWidget;

// The top-left (of the window's frame) that keeps wnd inside the virtual screen; true when it
// differs from the current one. A window larger than the screen is not moved.
bool fitWindowToScreen(const QWidget *wnd, QPoint &topLeft);
// Moves form to that top-left; true when it was moved.
bool fitFormToScreen(QWidget *form);
