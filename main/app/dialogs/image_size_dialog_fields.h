// The field rows the canvas size and resolution dialogs share: a caption, a number edit bound to
// a value model, the unit lists, and the colour conversions of the anchor grid.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "ui/base/units.h"

#include <QRect>
#include <QString>

#include <cstdint>

class QComboBox;
class QGroupBox;
class QLabel;
class QWidget;
class TNumEdit;
class TNumMngr;

namespace sizedlg {

inline QString u8(const char *s)
{
    return QString::fromUtf8(s);
}

QLabel *addLabel(QWidget *parent, const QString &text, const QRect &r);

// A caption at the row's left and a right-aligned edit bound to num, showing it through format.
struct SSizeRow
{
    QLabel *label;
    TNumEdit *edit;
};
SSizeRow addSizeRow(QWidget *parent, int y, const QString &caption, TNumMngr &num,
                    const char *format);

// A unit list with "%", "inch", "cm", "mm", on "%".
QComboBox *addUnitList(QWidget *parent, const QRect &r);
// The unit of a unit list's item (percent for an index outside the list).
TUnitType sizeListUnit(int index);

class CSizeFields;

// The pixel group (captioned pixelCaption) and the size group with its unit lists, both dialogs'
// upper half. The rows are bound to the fields' numbers, the lists set the fields' list units,
// and the tab order runs pixels, width, its list, height, its list.
struct SSizeGroups
{
    QGroupBox *pixel;
    SSizeRow pixelW, pixelH;
    QGroupBox *image;
    SSizeRow width, height;
    QComboBox *widthList, *heightList;
};
SSizeGroups addSizeGroups(QWidget *form, const QString &pixelCaption, CSizeFields &fields);

// A colour of the interface as the frame helpers take it (0x00BBGGRR).
inline uint32_t colorRefOf(TColor32 c)
{
    return uint32_t(c.r) | uint32_t(c.g) << 8 | uint32_t(c.b) << 16;
}
inline QRect qRectOf(const sRect &r)
{
    return QRect(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0);
}

} // namespace sizedlg
