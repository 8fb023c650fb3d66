#include "app/dialogs/image_size_dialog_fields.h"

#include "app/dialogs/image_size_dialog_model.h"
#include "ui/fields/edit_boxes.h"

#include <QComboBox>
#include <QGroupBox>
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

SSizeGroups addSizeGroups(QWidget *form, const QString &pixelCaption, CSizeFields &fields)
{
    SSizeGroups g{};
    g.pixel = new QGroupBox(pixelCaption, form);
    g.pixel->setGeometry(8, 40, 264, 80);
    g.pixelW = addSizeRow(g.pixel, 22, u8("幅(&W)"), fields.NumPixelW, "%1.0f");
    g.pixelH = addSizeRow(g.pixel, 50, u8("高さ(&H)"), fields.NumPixelH, "%1.0f");
    addLabel(g.pixel, QStringLiteral("pixel"), QRect(164, 24, 60, 16));
    addLabel(g.pixel, QStringLiteral("pixel"), QRect(164, 52, 60, 16));

    g.image = new QGroupBox(u8("画像サイズ"), form);
    g.image->setGeometry(8, 128, 264, 80);
    g.width = addSizeRow(g.image, 22, u8("幅(&I)"), fields.NumWidth, "%1.5g");
    g.height = addSizeRow(g.image, 50, u8("高さ(&E)"), fields.NumHeight, "%1.5g");
    g.widthList = addUnitList(g.image, QRect(164, 20, 80, 22));
    g.heightList = addUnitList(g.image, QRect(164, 48, 80, 22));

    QObject::connect(g.widthList, &QComboBox::currentIndexChanged, form,
                     [&fields](int i) { fields.setWidthListUnit(sizeListUnit(i)); });
    QObject::connect(g.heightList, &QComboBox::currentIndexChanged, form,
                     [&fields](int i) { fields.setHeightListUnit(sizeListUnit(i)); });

    QWidget::setTabOrder(g.pixelW.edit, g.pixelH.edit);
    QWidget::setTabOrder(g.pixelH.edit, g.width.edit);
    QWidget::setTabOrder(g.width.edit, g.widthList);
    QWidget::setTabOrder(g.widthList, g.height.edit);
    QWidget::setTabOrder(g.height.edit, g.heightList);
    return g;
}

} // namespace sizedlg
