#include "platform/widgets/window_fit.h"

#include "platform/desktop/screen_fit.h"

#include <QWidget>

bool fitWindowToScreen(const QWidget *wnd, QPoint &topLeft)
{
    if (!wnd)
        return false;
    return fitTopLeftToScreen(wnd->frameGeometry(), virtualScreenRect(), topLeft);
}

bool fitFormToScreen(QWidget *form)
{
    QPoint topLeft;
    if (!fitWindowToScreen(form, topLeft))
        return false;
    form->move(topLeft);
    return true;
}
