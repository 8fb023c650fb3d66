// Fixtures shared by the painting-engine tests: recorded message boxes, a fresh profile, a
// simulated full disk, file helpers, and reading little-endian fields and chunks of saved bytes.
#pragma once

#include "core/profile/app_profile.h"
#include "platform/desktop/messages.h"

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>
#include <vector>

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

// Little-endian fields of saved bytes at a byte offset.
inline uint32_t u32At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint32_t>(b.constData() + at);
}

inline uint16_t u16At(const QByteArray &b, qsizetype at)
{
    return qFromLittleEndian<uint16_t>(b.constData() + at);
}

template <class T> void putAt(QByteArray &b, qsizetype at, T v)
{
    qToLittleEndian<T>(v, b.data() + at);
}

// A chunk of saved bytes: where its header starts, its tag and its size word.
struct Chunk
{
    qsizetype offset;
    QByteArray tag;
    uint32_t size;
    qsizetype end() const { return offset + 8 + qsizetype(size); }
};

// The chunks from byte `first` (behind a set's head) to the end.
inline std::vector<Chunk> chunksFrom(const QByteArray &b, qsizetype first)
{
    std::vector<Chunk> out;
    for (qsizetype at = first; at + 8 <= b.size();) {
        out.push_back({at, b.mid(at, 4), u32At(b, at + 4)});
        at = out.back().end();
    }
    return out;
}
