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

// Flushes the file's buffer, then renames it over its target. QSaveFile::commit alone can rename
// a file whose last buffered bytes never reached the disk (a short write on a full disk passes
// unnoticed there), so the flush is checked first. On any failure the temporary file is dropped,
// the old file stays as it was, and the answer is false.
bool commitSaveFile(QSaveFile &file);
