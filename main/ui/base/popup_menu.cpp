#include "ui/base/popup_menu.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

#include <utility>

namespace {

TPopupMenuRunner &runnerSlot()
{
    static TPopupMenuRunner runner;
    return runner;
}

// The menu's top-left: kept on the screen, and moved below or above exclude when it would
// cover it.
QPoint placeAvoiding(QPoint pos, QSize size, const QRect &exclude)
{
    QScreen *screen = QGuiApplication::screenAt(pos);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    QRect r(pos, size);
    if (!r.intersects(exclude))
        return pos;
    r.moveTop(exclude.bottom() + 1);
    if (r.bottom() > area.bottom())
        r.moveBottom(exclude.top() - 1);
    return r.topLeft();
}

} // namespace

TPopupMenuRunner installPopupMenuRunner(TPopupMenuRunner runner)
{
    return std::exchange(runnerSlot(), std::move(runner));
}

QAction *execPopupMenu(QMenu &menu, QPoint pos)
{
    if (const TPopupMenuRunner runner = runnerSlot())
        return runner(menu, pos);
    return menu.exec(pos);
}

int trackPopupMenu(const std::vector<TPopupMenuEntry> &entries, QPoint pos, const QRect *exclude,
                   QWidget *owner)
{
    QMenu menu(owner);
    for (const TPopupMenuEntry &e : entries) {
        if (e.separator) {
            menu.addSeparator();
            continue;
        }
        QAction *a = menu.addAction(e.caption);
        a->setData(e.id);
        a->setEnabled(e.enabled);
        if (e.checked) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    }
    if (exclude)
        pos = placeAvoiding(pos, menu.sizeHint(), *exclude);
    QAction *chosen = execPopupMenu(menu, pos);
    return chosen ? chosen->data().toInt() : 0;
}
