// The document's calls to the tool window's transform fields and option view go to the tool
// window the main window answers.
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

void TDrawWindow::setTransPopup(const sSize &size)
{
    mainForm().toolForm().setTransPopup(size);
}

void TDrawWindow::setTransDat(float dx, float dy)
{
    mainForm().toolForm().setTransDat(dx, dy);
}

void TDrawWindow::setTransScale(float w, float h)
{
    mainForm().toolForm().setTransScale(w, h);
}

void TDrawWindow::setTransAngle(float angle)
{
    mainForm().toolForm().setTransAngle(angle);
}

void TDrawWindow::UpdateOptionView(bool redraw)
{
    mainForm().toolForm().UpdateOptionView(redraw);
}
