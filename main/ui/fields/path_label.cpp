#include "ui/fields/path_label.h"

#include "core/image/display_canvas.h"

TPathLabel::TPathLabel(QWidget *parent) : TCustomLabelBase(parent) {}

void TPathLabel::setPath(const QString &path)
{
    FPath = path;
    setCaption(FModified ? path + u'*' : path);
}

void TPathLabel::setModified(bool on)
{
    if (on == FModified)
        return;
    FModified = on;
    setPath(FPath);
}

uint32_t TPathLabel::TextFlags() const
{
    return TCustomLabelBase::TextFlags() | DT_PATH_ELLIPSIS;
}
