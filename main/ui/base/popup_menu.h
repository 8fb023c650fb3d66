// Every popup menu of the interface runs through here: a menu opens at a screen point and the
// call returns once it has closed. The runner that shows the menu is installable, so that
// tests choose an entry without a blocking loop.
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// Shows the menu at the screen point and answers the chosen action (null: none chosen), which
// it has triggered, as QMenu::exec does.
using TPopupMenuRunner = std::function<QAction *(QMenu &menu, QPoint pos)>;
// Installs a runner (empty: Qt's own QMenu::exec); answers the previous one.
TPopupMenuRunner installPopupMenuRunner(TPopupMenuRunner runner);

// Runs the menu at the screen point; returns after it closes with the chosen action or null.
QAction *execPopupMenu(QMenu &menu, QPoint pos);

// One entry of a menu built from a list; id 0 with separator set is a separator line.
struct TPopupMenuEntry
{
    int id = 0;
    QString caption;
    bool checked = false;
    bool enabled = true;
    bool separator = false;
};

// Builds the menu, runs it at the screen point, kept off exclude when given (screen
// coordinates), and answers the id of the chosen entry, or 0.
int trackPopupMenu(const std::vector<TPopupMenuEntry> &entries, QPoint pos, const QRect *exclude,
                   QWidget *owner);
