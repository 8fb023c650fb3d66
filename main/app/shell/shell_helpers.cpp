#include "app/shell/shell_helpers.h"

#include "platform/desktop/messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

#ifndef KAVRIN_HELP_URL
#define KAVRIN_HELP_URL ""
#endif

const QString kOnlineHelpUrl = QStringLiteral(KAVRIN_HELP_URL);

namespace {

UrlOpener &opener()
{
    static UrlOpener o;
    return o;
}

bool openWithDesktop(const QUrl &url)
{
    return opener() ? opener()(url) : QDesktopServices::openUrl(url);
}

// An address with a scheme of two letters or more ("https:", "file:"); anything else is a path
// (a single letter before ":" would be a drive, which a Linux path never has anyway).
bool looksLikeUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && url.scheme().size() > 1;
}

void warnHelpMissing(const QString &path)
{
    showWarning(QStringLiteral("ヘルプファイルの表示に失敗しました!\r   file = %1").arg(path));
}

} // namespace

UrlOpener installUrlOpener(UrlOpener next)
{
    UrlOpener previous = std::move(opener());
    opener() = std::move(next);
    return previous;
}

bool shellOpenFile(const QString &pathOrUrl)
{
    if (pathOrUrl.isEmpty())
        return false;
    // An existing file first: a file name may hold a ":" too.
    if (QFileInfo::exists(pathOrUrl))
        return openWithDesktop(QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath()));
    if (!looksLikeUrl(pathOrUrl))
        return false;
    const QUrl url(pathOrUrl);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return false;
    return openWithDesktop(url);
}

bool openUrlInBrowser(const QString &url)
{
    const QUrl u(url, QUrl::StrictMode);
    if (url.isEmpty() || !u.isValid() || u.scheme().isEmpty())
        return false;
    return openWithDesktop(u);
}

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

bool openLocalHelp(const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("help/index.html"));
    if (shellOpenFile(path))
        return true;
    warnHelpMissing(path);
    return false;
}

bool openWebHelp(const QString &folder, const QString &onlineUrl)
{
    const QString path = QDir(folder).filePath(QStringLiteral("index.html"));
    if (shellOpenFile(path) || openUrlInBrowser(onlineUrl))
        return true;
    warnHelpMissing(path);
    return false;
}
