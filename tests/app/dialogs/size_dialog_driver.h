// Runs a dialog's runner without a modal loop: the form is shown and handed to a script that
// types, clicks and presses OK or Cancel, as a user would.
#pragma once

#include "platform/desktop/messages.h"
#include "ui/fields/edit_boxes.h"
#include "ui/forms/base_forms.h"

#include <QString>
#include <QTest>

#include <functional>
#include <ostream>

// Texts in test failures as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace sizedlg_test {

template <class Form> class ScopedFormDriver
{
  public:
    explicit ScopedFormDriver(std::function<void(Form &)> drive)
    {
        m_previous = installModalRunner([this, drive](QDialog &d) {
            ++runs;
            d.show();
            auto &form = dynamic_cast<Form &>(d);
            title = form.windowTitle();
            clientSize = form.size();
            drive(form);
            return d.result() == 0 ? int(kavrin::mrCancel) : d.result();
        });
    }
    ~ScopedFormDriver() { installModalRunner(m_previous); }
    ScopedFormDriver(const ScopedFormDriver &) = delete;
    ScopedFormDriver &operator=(const ScopedFormDriver &) = delete;

    int runs = 0;
    QString title;
    QSize clientSize;

  private:
    ModalRunner m_previous;
};

// Replaces what the field holds by text, typed key by key.
inline void typeInto(TNumEdit &edit, const QString &text)
{
    edit.setFocus();
    edit.selectAll();
    QTest::keyClicks(&edit, text);
}

} // namespace sizedlg_test
