#include "platform/desktop/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

QRect virtualScreenRect()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return {};
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const QRect all = screen->virtualGeometry();
    return all.isEmpty() ? screen->geometry() : all;
}

bool fitTopLeftToScreen(const QRect &window, const QRect &screen, QPoint &topLeft)
{
    topLeft = window.topLeft();
    if (screen.isEmpty() || window.width() > screen.width() || window.height() > screen.height())
        return false;
    // The last position that keeps the window whole is screen.x + screen.width - window.width:
    // flush with the right edge, not one pixel short of it.
    const int x = std::clamp(window.x(), screen.x(), screen.x() + screen.width() - window.width());
    const int y =
        std::clamp(window.y(), screen.y(), screen.y() + screen.height() - window.height());
    topLeft = QPoint(x, y);
    return topLeft != window.topLeft();
}
