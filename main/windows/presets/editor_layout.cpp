#include "windows/presets/editor_layout.h"

#include "ui/fields/edit_boxes.h"

#include <QLabel>

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

} // namespace editor_layout
