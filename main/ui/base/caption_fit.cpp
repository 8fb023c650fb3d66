#include "ui/base/caption_fit.h"

#include "ui/base/graphic_control.h"

#include <QAbstractButton>
#include <QLabel>

namespace {

bool isCaptionControl(const QWidget *w)
{
    if (qobject_cast<const QAbstractButton *>(w))
        return true;
    const auto *label = qobject_cast<const QLabel *>(w);
    return label && !label->wordWrap() && !label->text().isEmpty();
}

} // namespace

int fitCaptionWidth(QWidget *control)
{
    const int need = control->sizeHint().width();
    const QRect r = control->geometry();
    if (r.width() >= need)
        return r.width();
    const auto *label = qobject_cast<const QLabel *>(control);
    // A label aligned right shows its text against its right edge: it grows to the left.
    const int left =
        label && (label->alignment() & Qt::AlignRight) ? r.right() + 1 - need : r.left();
    // An owner-drawn control resizes its picture in SetBounds; Qt tells a hidden one only later.
    if (auto *drawn = dynamic_cast<TGraphicControl *>(control))
        drawn->SetBounds(left, r.top(), need, r.height());
    else
        control->setGeometry(left, r.top(), need, r.height());
    return need;
}

void fitCaptions(QWidget *form)
{
    for (QWidget *w : form->findChildren<QWidget *>())
        if (isCaptionControl(w))
            fitCaptionWidth(w);
}
