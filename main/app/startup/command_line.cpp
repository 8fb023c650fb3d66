#include "app/startup/command_line.h"

#include "platform/desktop/messages.h"
#include "windows/render_settings.h"

#include <cstdio>

#include <optional>

namespace {

bool startsWith(const QString &body, const char *word)
{
    return body.startsWith(QLatin1String(word), Qt::CaseInsensitive);
}

bool equals(const QString &body, const char *word)
{
    return body.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

// The body without its first n letters and then one ":" if there is one.
QString valueAfter(const QString &body, qsizetype n)
{
    QString rest = body.mid(n);
    if (rest.startsWith(QLatin1Char(':')))
        rest.remove(0, 1);
    return rest;
}

std::optional<int32_t> integerOf(const QString &text)
{
    bool ok = false;
    const int v = text.toInt(&ok, 10);
    return ok ? std::optional<int32_t>(v) : std::nullopt;
}

// The argument after i when it is there and no switch; consumed by moving i on.
QString takeNextValue(const QStringList &args, qsizetype &i)
{
    if (i + 1 >= args.size())
        return {};
    const QString &next = args[i + 1];
    QString body;
    if (next.isEmpty() || isSwitchArg(next, body))
        return {};
    ++i;
    return next;
}

// Applies one switch body; false when the switch is unknown or its value unusable.
bool applySwitch(SCommandLine &cmd, const QString &body, const QStringList &args, qsizetype &i)
{
    if (equals(body, "render")) {
        cmd.renderMode = true;
        cmd.viewerMode = false;
    } else if (equals(body, "viewer")) {
        cmd.renderMode = true;
        cmd.viewerMode = true;
    } else if (startsWith(body, "bmp")) {
        cmd.renderBmp = 1;
    } else if (startsWith(body, "jpg")) {
        const QString rest = valueAfter(body, 3);
        if (rest.isEmpty()) {
            cmd.renderJpeg = 1;
            return true;
        }
        const std::optional<int32_t> q = integerOf(rest);
        if (!q || *q < 1 || *q > 100)
            return false;
        cmd.renderJpeg = 1;
        cmd.renderJpegQuality = *q;
    } else if (startsWith(body, "png")) {
        cmd.renderPng = 1;
    } else if (startsWith(body, "txt")) {
        cmd.renderTxt = 1;
    } else if (startsWith(body, "o")) {
        QString dir = valueAfter(body, 1);
        if (dir.isEmpty())
            dir = takeNextValue(args, i);
        cmd.renderOutDir = dir;
    } else if (startsWith(body, "t")) {
        const QString rest = valueAfter(body, 1);
        const std::optional<int32_t> wait = rest.isEmpty() ? 10 : integerOf(rest);
        if (!wait)
            return false;
        cmd.viewerWait = *wait;
    } else if (startsWith(body, "w")) {
        QString name = valueAfter(body, 1);
        if (name.isEmpty())
            name = takeNextValue(args, i);
        if (name.isEmpty())
            return false;
        cmd.notifySocket = name;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool isSwitchArg(const QString &arg, QString &body)
{
    if (!arg.startsWith(QLatin1Char('-')))
        return false;
    body = arg.startsWith(QLatin1String("--")) ? arg.mid(2) : arg.mid(1);
    return true;
}

SCommandLine parseCommandLine(const QStringList &args)
{
    SCommandLine cmd;
    bool filesOnly = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg.isEmpty())
            continue;
        QString body;
        if (filesOnly || !isSwitchArg(arg, body)) {
            cmd.files << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            filesOnly = true;
            continue;
        }
        if (!applySwitch(cmd, body, args, i))
            cmd.unknown << arg;
    }
    return cmd;
}

QString unknownSwitchMessage(const QString &arg)
{
    return QStringLiteral("unknown command line switch!\r    arg = %1").arg(arg);
}

void applyRenderSettings(const SCommandLine &cmd)
{
    resetRenderSettings();
    gRenderMode = cmd.renderMode;
    gViewerMode = cmd.viewerMode;
    gRenderBmp = cmd.renderBmp > 0;
    gRenderJpeg = cmd.renderJpeg > 0;
    gRenderJpegQuality = cmd.renderJpegQuality;
    gRenderPng = cmd.renderPng > 0;
    gRenderTxt = cmd.renderTxt > 0;
    gRenderOutDir = cmd.renderOutDir;
    gViewerWait = cmd.viewerWait;
    gNotifySocket = cmd.notifySocket;
}

void reportUnknownSwitches(const SCommandLine &cmd)
{
    for (const QString &arg : cmd.unknown) {
        if (cmd.renderMode)
            std::fprintf(stderr, "kavrin: %s\n",
                         unknownSwitchMessage(arg).replace(QLatin1Char('\r'), QLatin1Char(' '))
                             .simplified()
                             .toLocal8Bit()
                             .constData());
        else
            showWarningEx(unknownSwitchMessage(arg), nullptr, QString());
    }
}
