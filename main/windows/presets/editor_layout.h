// The preset editors' hand-placed controls: the dialogs keep the pixel layout of their forms, so
// their labels and number fields are made at fixed places by these few builders.
#pragma once

#include "ui/base/app_hooks.h"

#include <QString>

class QLabel;
class QObject;
class QWidget;
class TNumEdit;
class TNumMngr;

namespace editor_layout {

// The dialogs' captions are written in the sources as UTF-8.
QString u8(const char *s);
// A one-line caption at (x, y), w wide.
QLabel *label(QWidget *parent, const char *text, int x, int y, int w = 80);
// A right-aligned number field bound to its number, showing it in the format.
TNumEdit *field(QWidget *parent, TNumMngr *num, const char *format, int x, int y, int w);

// A number from lo to hi starting at (and defaulting to) value, stepped by one, owned by owner,
// reporting its changes to onChange.
TNumMngr *number(QObject *owner, float lo, float hi, float value, TNotifyEvent onChange);

} // namespace editor_layout
