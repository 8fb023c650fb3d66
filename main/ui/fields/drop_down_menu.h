// TDropDownMenu: an 11 x 11 arrow button that pops up its menu below its bottom-left corner;
// the call returns when the menu has closed. Down is true while the menu runs.
#pragma once

#include "ui/base/graphic_control.h"
#include "ui/graphics/memory_graphic.h"

class QMenu;

class TDropDownMenu : public TGraphicControl
{
  public:
    explicit TDropDownMenu(QWidget *parent = nullptr);

    TGlyphState GlyphState() const { return FGlyphState; }
    bool Down() const { return FDown; }
    // Not owned.
    QMenu *PopupMenu = nullptr;

    // Runs the menu (when there is one) through the interface's popup-menu runner.
    void Popup();

  protected:
    void Paint(QPainter &painter) override;
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y,
                   bool dbl) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void changeEvent(QEvent *ev) override;

  private:
    TGlyphState FGlyphState = gsNone;
    bool FDown = false;
};
