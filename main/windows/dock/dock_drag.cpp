#include "windows/dock/dock_drag.h"

#include "windows/dock/dock_float.h"
#include "windows/dock/dock_view.h"

#include <QApplication>
#include <QKeyEvent>
#include <QRubberBand>

TDockDragObject::TDockDragObject(TCustomDockView *control, TDockViewManager *grabber,
                                 QPoint pressed)
    : FControl(control), FGrabber(grabber)
{
    FDockRect = QRect(control->mapToGlobal(QPoint(0, 0)), control->size());
    FAnchor = pressed - FDockRect.topLeft();
    FBand = std::make_unique<QRubberBand>(QRubberBand::Rectangle);
    if (grabber && grabber->isVisible())
        grabber->grabMouse();
    qApp->installEventFilter(this); // Esc and a lost grab end the drag
}

TDockDragObject::~TDockDragObject()
{
    Finish();
}

TDockFloatForm *TDockDragObject::FormAt(QPoint cursor) const
{
    TDockFloatManager *m = FControl ? FControl->DockFloatManager() : nullptr;
    if (!m)
        return nullptr;
    // The last window of the list is taken to be the topmost among those that overlap.
    for (int i = m->Count() - 1; i >= 0; --i) {
        TDockFloatForm *f = m->Form(i);
        if (f && f->isVisible() && f->geometry().contains(cursor))
            return f;
    }
    return nullptr;
}

void TDockDragObject::Move(QPoint cursor)
{
    if (FFinished || !FControl)
        return;
    FTarget = FormAt(cursor);
    bool accept = false;
    if (FTarget)
        FTarget->DockOver(*this, cursor, accept);
    if (!accept) {
        FTarget = nullptr;
        FControl->DockTrackNoTarget(*this, cursor);
    }
    FBand->setGeometry(FDockRect);
    FBand->show();
}

void TDockDragObject::Drop(QPoint cursor)
{
    if (FFinished)
        return;
    Move(cursor);
    QPointer<TCustomDockView> view = FControl;
    QPointer<TDockFloatForm> target = FTarget;
    Finish();
    if (!view)
        return;
    if (target) {
        target->DockDrop(*this, cursor);
        return;
    }
    // CM_FLOAT: a new palette window at the rectangle becomes the target and takes the view.
    view->CMFloat(*this);
    if (TDockFloatForm *form = FTarget) {
        view->DoEndDock(form, QPoint(0, 0));
        form->ShowMM();
    }
}

void TDockDragObject::Cancel()
{
    if (FFinished)
        return;
    Finish();
    if (FControl)
        FControl->DragCanceled();
}

void TDockDragObject::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    qApp->removeEventFilter(this);
    if (FGrabber && QWidget::mouseGrabber() == FGrabber)
        FGrabber->releaseMouse();
    if (FBand)
        FBand->hide();
}

bool TDockDragObject::eventFilter(QObject *watched, QEvent *ev)
{
    if (ev->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(ev)->key() == Qt::Key_Escape) {
        Cancel();
        return true;
    }
    if (ev->type() == QEvent::UngrabMouse && watched == FGrabber.data())
        Cancel();
    return false;
}
