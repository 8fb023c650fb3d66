// Developer diagnostics: lines that nobody but a developer reads. By default they go to the Qt
// logging category "kavrin.debug", which is silent unless enabled
// (QT_LOGGING_RULES="kavrin.debug=true"); a sink can take them instead (tests).
#pragma once

#include <QString>

#include <functional>

// Writes one line of diagnostics.
void debugOut(const QString &text);

using DebugSink = std::function<void(const QString &text)>;
// Sends debugOut lines to sink (an empty sink restores the logging category); answers the
// previous sink.
DebugSink setDebugSink(DebugSink sink);

// Marks a condition that must hold (called with false on branches that cannot be reached). It has
// no effect, in every build.
inline void debugAssert(bool) {}
