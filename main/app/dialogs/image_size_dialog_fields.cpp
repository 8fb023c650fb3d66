#include "app/dialogs/image_size_dialog_fields.h"

#include "app/dialogs/image_size_dialog_model.h"
#include "ui/fields/edit_boxes.h"

#include <QComboBox>
#include <QLabel>

namespace sizedlg {

QLabel *addLabel(QWidget *parent, const QString &text, const QRect &r)
{
    auto *label = new QLabel(text, parent);
    label->setGeometry(r);
    return label;
}

SSizeRow addSizeRow(QWidget *parent, int y, const QString &caption, TNumMngr &num,
                    const char *format)
{
    SSizeRow row{addLabel(parent, caption, QRect(12, y + 2, 64, 16)), new TNumEdit(parent)};
    row.edit->setGeometry(80, y, 76, 20);
    row.edit->setAlignment(taRightJustify);
    row.edit->setFormatString(QString::fromLatin1(format));
    row.edit->setAssociate(&num);
    row.label->setBuddy(row.edit);
    return row;
}

QComboBox *addUnitList(QWidget *parent, const QRect &r)
{
    auto *list = new QComboBox(parent);
    list->setGeometry(r);
    for (const char *name : kSizeListNames)
        list->addItem(QString::fromUtf8(name));
    list->setCurrentIndex(0);
    return list;
}

TUnitType sizeListUnit(int index)
{
    return index >= 0 && index < int(kSizeListUnits.size()) ? kSizeListUnits[size_t(index)]
                                                            : utpercent;
}

} // namespace sizedlg
