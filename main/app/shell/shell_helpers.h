// Opening files and web pages through the desktop (QDesktopServices), and the help pages. Every
// call goes through one opener that tests replace.
#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// The online help's address (the build's KAVRIN_HELP_URL; empty when the build names none).
extern const QString kOnlineHelpUrl;

using UrlOpener = std::function<bool(const QUrl &url)>;
// Installs the opener (empty: QDesktopServices::openUrl) and answers the previous one.
UrlOpener installUrlOpener(UrlOpener opener);

// Opens a file with the desktop's application for it, or an address in the browser. A local file
// that does not exist fails without asking the desktop. True when the desktop took it.
bool shellOpenFile(const QString &pathOrUrl);
// Opens an address in the default browser; false for an empty or invalid address.
bool openUrlInBrowser(const QString &url);

// The program's folder (where its help pages lie beside it).
QString programFolder();
// Opens folder/help/index.html; when that fails, warns
// "ヘルプファイルの表示に失敗しました!\r   file = <path>". True when it opened.
bool openLocalHelp(const QString &folder = programFolder());
// Opens folder/index.html, else the online help in the browser; when neither works (no online
// address either) warns as openLocalHelp does, naming the local page.
bool openWebHelp(const QString &folder = programFolder(), const QString &onlineUrl = kOnlineHelpUrl);
