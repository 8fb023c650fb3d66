#include "platform/desktop/messages.h"

#include <cstdio>

namespace kavrin {
namespace {

MessageHandlers &handlers()
{
    static MessageHandlers h;
    return h;
}

void toStderr(const char *kind, const QString &text)
{
    std::fprintf(stderr, "%s: %s\n", kind, text.toLocal8Bit().constData());
}

} // namespace

MessageHandlers installMessageHandlers(MessageHandlers next)
{
    MessageHandlers previous = handlers();
    handlers() = std::move(next);
    return previous;
}

} // namespace kavrin

using kavrin::handlers;

void showWarning(const QString &text)
{
    if (handlers().warning)
        handlers().warning(text);
    else
        kavrin::toStderr("warning", text);
}

void showWarningEx(const QString &text, void *owner, const QString &caption)
{
    if (handlers().warningEx)
        handlers().warningEx(text, owner, caption);
    else
        showWarning(text);
}

void showInformation(const QString &text)
{
    if (handlers().information)
        handlers().information(text);
    else
        kavrin::toStderr("information", text);
}

int showConfirm(const QString &text, int buttons)
{
    if (handlers().confirm)
        return handlers().confirm(text, buttons);
    if (buttons & kavrin::cbYes)
        return kavrin::mrYes;
    if (buttons & kavrin::cbOk)
        return kavrin::mrOk;
    return kavrin::mrCancel;
}

int showYesNoCancel(const QString &text)
{
    if (handlers().yesNoCancel)
        return handlers().yesNoCancel(text);
    return kavrin::mrCancel;
}

int showQuestionEx(const QString &text, const QString &caption, const QString &yesText,
                   const QString &noText, int focused)
{
    const int answer = handlers().questionEx
                           ? handlers().questionEx(text, caption, yesText, noText, focused)
                           : focused;
    // A box closed any other way (or a bad focus) is a Cancel: it changes nothing.
    return answer == kavrin::mrYes || answer == kavrin::mrNo ? answer : kavrin::mrCancel;
}
