// Message boxes captured instead of shown, for the lifetime of the guard: every warning and
// information text is kept in order; questions take the answer the test sets. The previous
// handlers are put back afterwards.
#pragma once

#include "platform/desktop/messages.h"

#include <QString>
#include <QStringList>

#include <vector>

class CapturedMessages
{
  public:
    CapturedMessages()
    {
        kavrin::MessageHandlers h;
        h.warning = [this](const QString &t) { warnings << t; };
        h.warningEx = [this](const QString &t, void *, const QString &) { warnings << t; };
        h.information = [this](const QString &t) { informations << t; };
        h.confirm = [this](const QString &t, int) {
            questions << t;
            return answer;
        };
        h.yesNoCancel = [this](const QString &t) {
            questions << t;
            return answer;
        };
        h.questionEx = [this](const QString &t, const QString &caption, const QString &yes,
                              const QString &no, int focused) {
            questions << t;
            questionsEx.push_back({t, caption, yes, no, focused});
            return answer;
        };
        m_previous = kavrin::installMessageHandlers(h);
    }
    ~CapturedMessages() { kavrin::installMessageHandlers(m_previous); }
    CapturedMessages(const CapturedMessages &) = delete;
    CapturedMessages &operator=(const CapturedMessages &) = delete;

    void clear()
    {
        warnings.clear();
        informations.clear();
        questions.clear();
        questionsEx.clear();
    }

    // A question with its own caption and button labels (showQuestionEx).
    struct SQuestionEx
    {
        QString text, caption, yesText, noText;
        int focused = 0;
    };

    QStringList warnings;
    QStringList informations;
    QStringList questions;
    std::vector<SQuestionEx> questionsEx;
    int answer = kavrin::mrYes;

  private:
    kavrin::MessageHandlers m_previous;
};
