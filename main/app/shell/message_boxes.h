// The program's message boxes (QMessageBox) behind the entry points every library calls
// (platform/desktop/messages.h): the warning with its owner and caption, the information box and
// the questions. Render and viewer mode install only a warning that never opens a box: it writes
// the text on standard error and ends a render whose replay is playing.
#pragma once

#include <QString>

#include <memory>

class QMessageBox;
class QWidget;

// The window boxes belong to when the caller names none and no window is active (the main
// window, once there is one); nullptr: none.
void setMessageBoxMainWindow(QWidget *window);

// The warning's caption: the given one, else "警告 (<gAppTitle>)".
QString warningCaption(const QString &caption);

// The boxes, built but not shown: a warning with the warning icon and OK, owned by owner, else the
// active window, else the main window; a Yes/No/Cancel question; a question with the
// kavrin::ConfirmButtons given.
std::unique_ptr<QMessageBox> makeWarningBox(const QString &text, QWidget *owner,
                                            const QString &caption);
std::unique_ptr<QMessageBox> makeYesNoCancelBox(const QString &text);
std::unique_ptr<QMessageBox> makeConfirmBox(const QString &text, int buttons);
// A warning-type Yes/No/Cancel question with a caption (empty: the warning's), the Yes and No
// buttons labelled yesText and noText, and the button of the kavrin::ModalResult focused holding
// the focus and answering Enter.
std::unique_ptr<QMessageBox> makeQuestionExBox(const QString &text, const QString &caption,
                                               const QString &yesText, const QString &noText,
                                               int focused);
// Shows a question box and answers the kavrin::ModalResult of the button that closed it; Esc and
// the close box answer mrCancel (or the box's own escape button when it has no Cancel).
int execQuestionBox(QMessageBox &box);

// Installs every box of an ordinary start.
void installShellMessageBoxes();
// Installs the render and viewer mode's warning only; the other boxes keep their fallbacks (the
// text on standard error, the default answer). A warning while the active document window plays
// a replay ends the render with code 10 (its failure marker named after the window's event file,
// or jobPath while the window has none yet).
void installRenderMessageBoxes(const QString &jobPath);
