// Shared pieces of the shortcut tests: the file dialog answered by the test, and a folder whose
// files cannot be written.
#pragma once

#include "app/shortcuts/shortcut_file.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <ostream>
#include <sys/resource.h>

// Texts in test failures as text.
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}

// Answers the shortcut file dialogs with path (an empty path cancels them) for the lifetime of
// the guard, noting what they were asked.
class ScopedShortCutFileDialog
{
  public:
    explicit ScopedShortCutFileDialog(QString answer);
    ~ScopedShortCutFileDialog();
    ScopedShortCutFileDialog(const ScopedShortCutFileDialog &) = delete;
    ScopedShortCutFileDialog &operator=(const ScopedShortCutFileDialog &) = delete;

    QString answer;
    QList<TOpenFilterType> kinds;
    QStringList defaultNames;

  private:
    ShortCutFileDialog m_previous;
};

// Makes writing into folder fail for the lifetime of the guard: the folder is made read-only,
// and where that does not stop this process (it runs as root) files cannot grow either.
class ScopedUnwritableFolder
{
  public:
    explicit ScopedUnwritableFolder(const QString &folder);
    ~ScopedUnwritableFolder();
    ScopedUnwritableFolder(const ScopedUnwritableFolder &) = delete;
    ScopedUnwritableFolder &operator=(const ScopedUnwritableFolder &) = delete;

  private:
    QString m_folder;
    bool m_limited = false;
    rlimit m_limit{};
    void (*m_oldHandler)(int) = nullptr;
};

// The defaults written and read back: the file's bytes.
QByteArray fileBytes(const QString &path);
bool writeBytes(const QString &path, const QByteArray &bytes);
