// The modal runner of the dialog tests: the dialog is shown without a loop of its own and handed
// to drive, which types, picks and clicks; the runner answers the result the dialog ended with
// (Cancel when it was left open). Also the golden-picture check of the dialog tests.
#pragma once

#include "platform/desktop/messages.h"
#include "ui/forms/base_forms.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QTest>

#include <functional>
#include <string>

// Named apart from the other dialog tests' helpers of the same program.
namespace docdlg {

template <class Form> class ScopedDialogDriver
{
  public:
    explicit ScopedDialogDriver(std::function<void(Form &)> drive)
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            d.show();
            auto &f = dynamic_cast<Form &>(d);
            title = f.windowTitle();
            clientSize = f.size();
            if (drive)
                drive(f);
            return d.result() == 0 ? int(kavrin::mrCancel) : d.result();
        });
    }
    ~ScopedDialogDriver() { installModalRunner(m_previous); }
    ScopedDialogDriver(const ScopedDialogDriver &) = delete;
    ScopedDialogDriver &operator=(const ScopedDialogDriver &) = delete;

    int runs = 0;
    QString title;
    QSize clientSize;

  private:
    ModalRunner m_previous;
};

// Types text into a field as a user would, replacing what it holds; characters QTest has no key
// for (Japanese names) arrive as key events carrying only their text, as an input method sends.
inline void typeInto(QLineEdit &edit, const QString &text)
{
    edit.setFocus();
    edit.selectAll();
    for (QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(&edit, char(ch.unicode()));
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&edit, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&edit, &release);
    }
}

// A click on a check or radio button's own box (its middle may lie past the end of its text).
inline void clickCheck(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

// Compares a picture with tests/data/app/dialogs/<name>.png exactly; on a difference the actual
// picture is written beside the test as <name>_actual.png. KAVRIN_UPDATE_GOLDENS=1 writes the
// golden instead. Answers what went wrong, empty when they agree.
std::string compareWithDialogGolden(const QImage &actual, const QString &name);

} // namespace docdlg
