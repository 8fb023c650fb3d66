// Fixtures shared by the painting-engine tests: recorded message boxes, a fresh profile, a
// simulated full disk, and file helpers.
#pragma once

#include "core/app_profile.h"
#include "platform/messages.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <csignal>
#include <sys/resource.h>

// Records every warning and answers every question with `answer` while it lives.
class MessageRecorder
{
  public:
    explicit MessageRecorder(int answer = kavrin::mrYes)
    {
        kavrin::MessageHandlers h;
        h.warning = [this](const QString &t) { warnings << t; };
        h.warningEx = [this](const QString &t, void *, const QString &) { warnings << t; };
        h.information = [this](const QString &t) { warnings << t; };
        h.confirm = [this, answer](const QString &t, int) {
            questions << t;
            return answer;
        };
        m_previous = kavrin::installMessageHandlers(h);
    }
    ~MessageRecorder() { kavrin::installMessageHandlers(m_previous); }
    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    QStringList warnings;
    QStringList questions;

  private:
    kavrin::MessageHandlers m_previous;
};

// A fresh, empty profile for the life of the object.
class ProfileScope
{
  public:
    ProfileScope() { initialiseAppProfile(); }
    ~ProfileScope() { finaliseAppProfile(); }
    CAppProfile &operator*() const { return *gAppProfile; }
    CAppProfile *operator->() const { return gAppProfile.get(); }
};

// Writes beyond `bytes` into any file fail, as on a full disk, while the object lives.
class FullDiskScope
{
  public:
    explicit FullDiskScope(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FullDiskScope()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FullDiskScope(const FullDiskScope &) = delete;
    FullDiskScope &operator=(const FullDiskScope &) = delete;

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

inline QByteArray readFileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeFileBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
