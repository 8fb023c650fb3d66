#include "ui/fields/drop_down_menu.h"

#include "ui/base/popup_menu.h"
#include "ui/fields/mouse_gates.h"
#include "ui/graphics/appearance.h"

#include <QEvent>
#include <QMenu>
#include <QPainter>

TDropDownMenu::TDropDownMenu(QWidget *parent) : TGraphicControl(parent)
{
    SetBounds(x(), y(), 11, 11);
}

void TDropDownMenu::Popup()
{
    if (!PopupMenu)
        return;
    FDown = true;
    execPopupMenu(*PopupMenu, mapToGlobal(QPoint(0, height())));
    FDown = false;
    FGlyphState = gsNone;
    update();
}

void TDropDownMenu::Paint(QPainter &painter)
{
    TMemoryGraphic g(width(), height(), clBtnFace32());
    if (const TMemoryGraphic *arrow = gAppearanceManager->GetArrowImage(1, FGlyphState))
        g.BlendImage(0, 0, arrow->Width(), arrow->Height(), *arrow, 0, 0, blendNormal, blendKeep);
    g.Draw(painter, 0, 0, g.Width(), g.Height(), 0, 0);
}

void TDropDownMenu::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int, bool)
{
    if (button == Qt::LeftButton && acceptMouseDown(this))
        Popup();
}

void TDropDownMenu::MouseEnter()
{
    if (acceptMouseEnter(this)) {
        FGlyphState = gsActive;
        update();
    }
    TGraphicControl::MouseEnter();
}

void TDropDownMenu::MouseLeave()
{
    if (acceptMouseLeave(this)) {
        FGlyphState = gsNone;
        update();
    }
    TGraphicControl::MouseLeave();
}

void TDropDownMenu::changeEvent(QEvent *ev)
{
    if (ev->type() == QEvent::EnabledChange) {
        if (!isEnabled()) {
            FGlyphState = gsDisabled;
        } else {
            QPoint p;
            getCursorPosInControl(this, p);
            FGlyphState = rect().contains(p) ? gsActive : gsNone;
        }
        update();
    }
    TGraphicControl::changeEvent(ev);
}
