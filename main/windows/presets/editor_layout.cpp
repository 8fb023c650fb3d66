#include "windows/presets/editor_layout.h"

#include "ui/fields/edit_boxes.h"
#include "ui/fields/num_mngr.h"

#include <QLabel>

#include <utility>

namespace editor_layout {

QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

QLabel *label(QWidget *parent, const char *text, int x, int y, int w)
{
    auto *l = new QLabel(u8(text), parent);
    l->setGeometry(x, y, w, 16);
    return l;
}

TNumEdit *field(QWidget *parent, TNumMngr *num, const char *format, int x, int y, int w)
{
    auto *e = new TNumEdit(parent);
    e->setGeometry(x, y, w, 20);
    e->setAlignment(taRightJustify);
    e->setFormatString(QString::fromLatin1(format));
    e->setAssociate(num);
    return e;
}

TNumMngr *number(QObject *owner, float lo, float hi, float value, TNotifyEvent onChange)
{
    auto *n = new TNumMngr(owner);
    n->beginLoading();
    n->setValueMin(lo);
    n->setValueMax(hi);
    n->setValueDefault(value);
    n->setValue(value);
    n->endLoading();
    n->Amount = n->AmountLow = n->AmountHigh = 1;
    n->OnChange = std::move(onChange);
    return n;
}

} // namespace editor_layout
