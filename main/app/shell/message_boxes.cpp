#include "app/shell/message_boxes.h"

#include "platform/desktop/messages.h"
#include "platform/system/environment.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <cstdio>

namespace {

QPointer<QWidget> &mainWindow()
{
    static QPointer<QWidget> w;
    return w;
}

QWidget *ownerOf(QWidget *given)
{
    if (given)
        return given;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return mainWindow().data();
}

struct SButtonResult
{
    QMessageBox::StandardButton button;
    int result;
};
constexpr SButtonResult kButtonResults[] = {
    {QMessageBox::Yes, kavrin::mrYes},
    {QMessageBox::No, kavrin::mrNo},
    {QMessageBox::Ok, kavrin::mrOk},
    {QMessageBox::Cancel, kavrin::mrCancel},
};

std::unique_ptr<QMessageBox> makeBox(QMessageBox::Icon icon, const QString &caption,
                                     const QString &text, QMessageBox::StandardButtons buttons,
                                     QWidget *owner = nullptr)
{
    auto box = std::make_unique<QMessageBox>(icon, caption, text, buttons, ownerOf(owner));
    // The program's texts break lines with "\r".
    box->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                     .replace(QLatin1Char('\r'), QLatin1Char('\n')));
    return box;
}

// Yes, else OK, is the button Enter presses.
void setDefaultButton(QMessageBox &box)
{
    for (QMessageBox::StandardButton b : {QMessageBox::Yes, QMessageBox::Ok})
        if (auto *p = qobject_cast<QPushButton *>(box.button(b))) {
            box.setDefaultButton(p);
            return;
        }
}

void warningToStderr(const QString &text)
{
    std::fprintf(stderr, "kavrin: warning: %s\n",
                 QString(text).replace(QLatin1Char('\r'), QLatin1Char(' ')).simplified()
                     .toLocal8Bit()
                     .constData());
}

void showWarningBox(const QString &text, void *owner, const QString &caption)
{
    makeWarningBox(text, static_cast<QWidget *>(owner), caption)->exec();
}

} // namespace

void setMessageBoxMainWindow(QWidget *window)
{
    mainWindow() = window;
}

QString warningCaption(const QString &caption)
{
    if (!caption.isEmpty())
        return caption;
    return QStringLiteral("%1 (%2)").arg(QStringLiteral("警告"), gAppTitle);
}

std::unique_ptr<QMessageBox> makeWarningBox(const QString &text, QWidget *owner,
                                            const QString &caption)
{
    return makeBox(QMessageBox::Warning, warningCaption(caption), text, QMessageBox::Ok, owner);
}

std::unique_ptr<QMessageBox> makeYesNoCancelBox(const QString &text)
{
    auto box = makeBox(QMessageBox::Question, gAppTitle, text,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    setDefaultButton(*box);
    box->setEscapeButton(QMessageBox::Cancel);
    return box;
}

std::unique_ptr<QMessageBox> makeConfirmBox(const QString &text, int buttons)
{
    QMessageBox::StandardButtons b;
    if (buttons & kavrin::cbYes)
        b |= QMessageBox::Yes;
    if (buttons & kavrin::cbNo)
        b |= QMessageBox::No;
    if (buttons & kavrin::cbOk)
        b |= QMessageBox::Ok;
    if (buttons & kavrin::cbCancel)
        b |= QMessageBox::Cancel;
    if (!b)
        b = QMessageBox::Ok;
    auto box = makeBox(QMessageBox::Question, gAppTitle, text, b);
    setDefaultButton(*box);
    return box;
}

std::unique_ptr<QMessageBox> makeQuestionExBox(const QString &text, const QString &caption,
                                               const QString &yesText, const QString &noText,
                                               int focused)
{
    auto box = makeBox(QMessageBox::Warning, warningCaption(caption), text,
                       QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box->button(QMessageBox::Yes)->setText(yesText);
    box->button(QMessageBox::No)->setText(noText);
    box->setEscapeButton(QMessageBox::Cancel);
    for (const SButtonResult &r : kButtonResults)
        if (r.result == focused)
            if (auto *p = qobject_cast<QPushButton *>(box->button(r.button))) {
                box->setDefaultButton(p);
                p->setFocus();
            }
    return box;
}

int execQuestionBox(QMessageBox &box)
{
    box.exec();
    QAbstractButton *clicked = box.clickedButton();
    for (const SButtonResult &r : kButtonResults)
        if (clicked && clicked == box.button(r.button))
            return r.result;
    return kavrin::mrCancel;
}

void installShellMessageBoxes()
{
    kavrin::MessageHandlers h;
    h.warning = [](const QString &text) { showWarningBox(text, nullptr, QString()); };
    h.warningEx = showWarningBox;
    h.information = [](const QString &text) {
        makeBox(QMessageBox::Information, gAppTitle, text, QMessageBox::Ok)->exec();
    };
    h.confirm = [](const QString &text, int buttons) {
        return execQuestionBox(*makeConfirmBox(text, buttons));
    };
    h.yesNoCancel = [](const QString &text) { return execQuestionBox(*makeYesNoCancelBox(text)); };
    h.questionEx = [](const QString &text, const QString &caption, const QString &yesText,
                      const QString &noText, int focused) {
        return execQuestionBox(*makeQuestionExBox(text, caption, yesText, noText, focused));
    };
    kavrin::installMessageHandlers(std::move(h));
}

void installRenderMessageBoxes(const QString &jobPath)
{
    auto warn = [jobPath](const QString &text) {
        warningToStderr(text);
        TDrawWindow *w = mainForm().activeWindow();
        if (w && w->m_eventPlaying)
            TDrawWindow::renderQuit(w->eventPath.isEmpty() ? jobPath : w->eventPath, 10);
    };
    kavrin::MessageHandlers h;
    h.warning = warn;
    h.warningEx = [warn](const QString &text, void *, const QString &) { warn(text); };
    kavrin::installMessageHandlers(std::move(h));
}
