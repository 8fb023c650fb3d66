// The message boxes every library may show. The libraries below the user interface cannot open a
// window, so they call these entry points; the application installs the real boxes at start-up
// (and, in render mode, boxes that end the render instead of waiting). Until then warnings and
// information go to standard error and questions take their default answer.
#pragma once

#include <QString>

#include <functional>

namespace kavrin {

// Modal results, numbered as the program stores and compares them.
enum ModalResult : int
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrYes = 6,
    mrNo = 7,
};

// Buttons of a confirmation question.
enum ConfirmButtons : int
{
    cbOk = 1,
    cbCancel = 2,
    cbYes = 4,
    cbNo = 8,
};

struct MessageHandlers
{
    std::function<void(const QString &text)> warning;
    std::function<void(const QString &text, void *owner, const QString &caption)> warningEx;
    std::function<void(const QString &text)> information;
    std::function<int(const QString &text, int buttons)> confirm;
    std::function<int(const QString &text)> yesNoCancel;
    // Yes, No and Cancel with the Yes and No buttons' own labels; focused is the result of the
    // button that has the focus.
    std::function<int(const QString &text, const QString &caption, const QString &yesText,
                      const QString &noText, int focused)>
        questionEx;
};

// Installs the handlers (empty members keep the fallbacks); returns the previous ones so that a
// test can restore them.
MessageHandlers installMessageHandlers(MessageHandlers handlers);

} // namespace kavrin

// A modal warning with the default caption.
void showWarning(const QString &text);
// A warning with an owner window (null: the active window) and a caption (empty: the default).
void showWarningEx(const QString &text, void *owner, const QString &caption);
// An information box with an OK button.
void showInformation(const QString &text);
// A question with the given kavrin::ConfirmButtons; returns a kavrin::ModalResult. Without an
// installed handler the answer is the first of Yes, OK offered (else Cancel).
int showConfirm(const QString &text, int buttons);
// Yes/No/Cancel; returns mrYes, mrNo or mrCancel (mrCancel without an installed handler).
int showYesNoCancel(const QString &text);
// A warning-type question with a caption and Yes, No and Cancel buttons, the first two labelled
// yesText and noText; focused (a kavrin::ModalResult) names the button with the focus. Returns
// mrYes, mrNo or mrCancel; without an installed handler the focused button's answer.
int showQuestionEx(const QString &text, const QString &caption, const QString &yesText,
                   const QString &noText, int focused);
