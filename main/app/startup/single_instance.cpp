#include "app/startup/single_instance.h"

#include "windows/render_settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLockFile>
#include <QMetaObject>

#include <QtEndian>

#include <cstdio>
#include <deque>

std::unique_ptr<instance::CInstanceServer> gInstanceServer;

namespace {

// How long a start waits for another start's check to finish.
constexpr int kLockWaitMs = 10000;

struct SInstanceHost
{
    std::function<void(const QString &)> openPath;
    std::function<void()> toFront;
    bool installed = false;
};

SInstanceHost &host()
{
    static SInstanceHost h;
    return h;
}

std::deque<std::function<void()>> &pending()
{
    static std::deque<std::function<void()>> q;
    return q;
}

void runPending()
{
    while (!pending().empty()) {
        std::function<void()> f = std::move(pending().front());
        pending().pop_front();
        f();
    }
}

void enqueue(std::function<void()> f)
{
    // Without an application there is no loop to run them in.
    if (!QCoreApplication::instance())
        return;
    const bool idle = pending().empty();
    pending().push_back(std::move(f));
    if (idle)
        QMetaObject::invokeMethod(QCoreApplication::instance(), runPending, Qt::QueuedConnection);
}

// Hands the files over and calls the instance to the front; false when it stopped answering.
bool handOver(instance::CInstanceClient &client, const QStringList &files)
{
    for (const QString &file : files) {
        const QString path = QFileInfo(file).absoluteFilePath();
        const QByteArray payload = pathPayload(path);
        if (payload.size() > qsizetype(instance::kMaxPayload)) {
            std::fprintf(stderr, "kavrin: the path is too long to hand over: %s\n",
                         path.toLocal8Bit().constData());
            continue;
        }
        if (!client.request({kInstanceOpen, 0, payload}))
            return false;
    }
    return client.request({kInstanceToFront, 0, {}}).has_value();
}

} // namespace

void installInstanceHost(std::function<void(const QString &)> openPath,
                         std::function<void()> toFront)
{
    host() = SInstanceHost{std::move(openPath), std::move(toFront), true};
}

void removeInstanceHost()
{
    host() = SInstanceHost{};
}

uint32_t answerQuery(uint32_t wParam)
{
    if (wParam != 0 || !host().installed)
        return 0;
    if (gViewerMode)
        return kAnswerViewer;
    if (gRenderMode)
        return kAnswerRender;
    return kAnswerNormal;
}

uint32_t handleInstanceRequest(const instance::SInstanceFrame &frame)
{
    switch (frame.msg) {
    case kInstanceQuery:
        return answerQuery(frame.wParam);
    case kInstanceOpen: {
        const QString path = pathOfPayload(frame.payload);
        if (!path.isEmpty())
            enqueue([path] {
                if (host().openPath)
                    host().openPath(path);
            });
        return 1;
    }
    case kInstanceToFront:
        enqueue([] {
            if (host().toFront)
                host().toFront();
        });
        return 1;
    default:
        return 0;
    }
}

QByteArray pathPayload(const QString &path)
{
    QByteArray bytes(path.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(path.utf16(), path.size(), bytes.data());
    return bytes;
}

QString pathOfPayload(const QByteArray &payload)
{
    QString text(payload.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(payload.constData(), text.size(), text.data());
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

int32_t checkSingleInstance(const QStringList &files, const QString &name)
{
    QLockFile lock(instance::instanceSocketPath(name) + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs))
        return kInstanceNoServer;
    {
        instance::CInstanceClient client;
        if (client.connectTo(name)) {
            const std::optional<uint32_t> answer = client.request({kInstanceQuery, 0, {}});
            if (!answer || *answer != kAnswerNormal)
                return kInstanceNoAnswer;
            return handOver(client, files) ? kInstanceHandedOver : kInstanceNoAnswer;
        }
    }
    auto server = std::make_unique<instance::CInstanceServer>(handleInstanceRequest);
    if (!server->listen(name))
        return kInstanceNoServer;
    gInstanceServer = std::move(server);
    return kInstanceFirst;
}

void releaseInstanceMutex()
{
    gInstanceServer.reset();
}
