#include "platform/system/debug_output.h"

#include <QLoggingCategory>

#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcDebugOut, "kavrin.debug", QtWarningMsg)

DebugSink &currentSink()
{
    static DebugSink sink;
    return sink;
}

} // namespace

void debugOut(const QString &text)
{
    if (const DebugSink &sink = currentSink())
        sink(text);
    else
        qCDebug(lcDebugOut).noquote() << text;
}

DebugSink setDebugSink(DebugSink sink)
{
    return std::exchange(currentSink(), std::move(sink));
}
