#include "ui/fields/mouse_gates.h"

#include "ui/base/graphic_control.h"

#include <QApplication>
#include <QWidget>

namespace {

bool acceptsMouse(QWidget *c)
{
    if (!c || !c->isVisible() || !c->isEnabled())
        return false;
    const auto *g = dynamic_cast<const TGraphicControl *>(c);
    return !(g && g->noStdEvents());
}

bool mouseCaptured()
{
    return QWidget::mouseGrabber() != nullptr || QApplication::mouseButtons() != Qt::NoButton;
}

} // namespace

bool acceptMouseEnter(QWidget *Control)
{
    if (!acceptsMouse(Control) || mouseCaptured())
        return false;
    sendMouseLeaveToSiblings(Control);
    return true;
}

bool acceptMouseLeave(QWidget *Control)
{
    return acceptsMouse(Control) && !mouseCaptured();
}

bool acceptMouseMove(QWidget *Control)
{
    if (!acceptsMouse(Control))
        return false;
    sendMouseLeaveToSiblings(Control);
    return true;
}

bool acceptMouseDown(QWidget *Control)
{
    return acceptsMouse(Control);
}

void sendMouseLeaveToSiblings(QWidget *Control)
{
    QWidget *parent = Control ? Control->parentWidget() : nullptr;
    if (!parent)
        return;
    const QObjectList children = parent->children();
    for (qsizetype i = children.size() - 1; i >= 0; --i) {
        QObject *o = children[i];
        if (o == Control || !o->isWidgetType())
            continue;
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(o, &leave);
    }
}
