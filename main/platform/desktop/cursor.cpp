#include "platform/desktop/cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace {

bool haveGuiApp()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance());
}

} // namespace

SavedCursor setStdCursor(Qt::CursorShape shape)
{
    if (!haveGuiApp())
        return std::nullopt;
    if (const QCursor *current = QGuiApplication::overrideCursor()) {
        const Qt::CursorShape previous = current->shape();
        QGuiApplication::changeOverrideCursor(QCursor(shape));
        return previous;
    }
    QGuiApplication::setOverrideCursor(QCursor(shape));
    return std::nullopt;
}

SavedCursor setWaitCursor()
{
    return setStdCursor(Qt::WaitCursor);
}

void restoreCursor(const SavedCursor &previous)
{
    if (!haveGuiApp())
        return;
    if (previous) {
        if (QGuiApplication::overrideCursor())
            QGuiApplication::changeOverrideCursor(QCursor(*previous));
        else
            QGuiApplication::setOverrideCursor(QCursor(*previous));
    } else if (QGuiApplication::overrideCursor()) {
        QGuiApplication::restoreOverrideCursor();
    }
}
