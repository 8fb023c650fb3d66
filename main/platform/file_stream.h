// Opening files without exceptions: a null pointer says the file could not be opened.
#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

#include <memory>

// path opened in mode; nullptr when it cannot be opened.
std::unique_ptr<QFile> tryCreateFileStream(const QString &path, QIODevice::OpenMode mode);
// A new version of path, written to a temporary file beside it that replaces path only on
// commit(); nullptr when it cannot be created. Every file the program saves goes this way, so a
// failed save leaves the old file as it was.
std::unique_ptr<QSaveFile> tryCreateSaveStream(const QString &path);
