#include "platform/system/instance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <QtEndian>

#include <algorithm>
#include <unistd.h>

namespace instance {

namespace {

constexpr qsizetype kHeaderSize = 12;

void appendU32(QByteArray &bytes, uint32_t v)
{
    char b[4];
    qToLittleEndian(v, b);
    bytes.append(b, 4);
}

uint32_t u32At(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<uint32_t>(bytes.constData() + at);
}

} // namespace

QByteArray encodeFrame(const SInstanceFrame &frame)
{
    const qsizetype n = frame.payload.size();
    if (n > qsizetype(kMaxPayload) || n % 2 != 0)
        return {};
    QByteArray bytes;
    bytes.reserve(kHeaderSize + n);
    appendU32(bytes, frame.msg);
    appendU32(bytes, frame.wParam);
    appendU32(bytes, uint32_t(n));
    bytes.append(frame.payload);
    return bytes;
}

eFrameRead readFrame(QByteArray &buffer, SInstanceFrame &frame)
{
    if (buffer.size() < kHeaderSize)
        return eFrameRead::Incomplete;
    const uint32_t n = u32At(buffer, 8);
    if (n > kMaxPayload || n % 2 != 0)
        return eFrameRead::Bad;
    if (buffer.size() < kHeaderSize + qsizetype(n))
        return eFrameRead::Incomplete;
    frame = SInstanceFrame{u32At(buffer, 0), u32At(buffer, 4), buffer.mid(kHeaderSize, n)};
    buffer.remove(0, kHeaderSize + n);
    return eFrameRead::Complete;
}

QString instanceServerName()
{
    const QString given = qEnvironmentVariable("KAVRIN_INSTANCE_NAME");
    if (!given.isEmpty())
        return given;
    const QString name = QStringLiteral("qZ5 Application-%1").arg(uint32_t(::getuid()));
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return QDir::isAbsolutePath(runtime) ? QDir(runtime).filePath(name) : name;
}

QString instanceSocketPath(const QString &name)
{
    if (QDir::isAbsolutePath(name))
        return name;
    return QDir(QDir::tempPath()).filePath(name);
}

// ---- server

struct CInstanceServer::SConnection
{
    std::unique_ptr<QLocalSocket> socket;
    QByteArray buffer;
    QTimer deadline;

    // The socket is cut off from our handlers before it goes (closing it emits "disconnected"),
    // and deleted once the event that brought us here is handled: it may be its sender.
    ~SConnection()
    {
        deadline.stop();
        QLocalSocket *s = socket.release();
        QObject::disconnect(s, nullptr, nullptr, nullptr);
        s->abort();
        s->deleteLater();
    }
};

CInstanceServer::CInstanceServer(FrameHandler handler) : m_handler(std::move(handler)) {}

CInstanceServer::~CInstanceServer()
{
    close();
}

bool CInstanceServer::listen(const QString &name)
{
    close();
    auto server = std::make_unique<QLocalServer>();
    server->setSocketOptions(QLocalServer::UserAccessOption);
    bool ok = server->listen(name);
    if (!ok && server->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(name);
        ok = server->listen(name);
    }
    if (!ok)
        return false;
    m_accepted = 0;
    QObject::connect(server.get(), &QLocalServer::newConnection, server.get(),
                     [this] { accept(); });
    m_server = std::move(server);
    return true;
}

void CInstanceServer::close()
{
    std::vector<std::unique_ptr<SConnection>> open = std::move(m_connections);
    m_connections.clear();
    open.clear();
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
}

bool CInstanceServer::isListening() const
{
    return m_server && m_server->isListening();
}

int CInstanceServer::connectionCount() const
{
    return int(m_connections.size());
}

void CInstanceServer::accept()
{
    while (QLocalSocket *s = m_server->nextPendingConnection()) {
        ++m_accepted;
        auto c = std::make_unique<SConnection>();
        c->socket.reset(s);
        s->setParent(nullptr);
        SConnection *raw = c.get();
        c->deadline.setSingleShot(true);
        QObject::connect(&c->deadline, &QTimer::timeout, s, [this, raw] { drop(*raw); });
        QObject::connect(s, &QLocalSocket::readyRead, s, [this, raw] { readFrom(*raw); });
        QObject::connect(s, &QLocalSocket::disconnected, s, [this, raw] { drop(*raw); });
        c->deadline.start(kFrameTimeoutMs);
        m_connections.push_back(std::move(c));
        readFrom(*raw);
    }
}

void CInstanceServer::readFrom(SConnection &c)
{
    c.buffer += c.socket->readAll();
    for (;;) {
        SInstanceFrame frame;
        const eFrameRead r = readFrame(c.buffer, frame);
        if (r == eFrameRead::Bad)
            drop(c);
        if (r != eFrameRead::Complete)
            return;
        c.deadline.start(kFrameTimeoutMs);
        const uint32_t answer = m_handler ? m_handler(frame) : 0;
        QByteArray bytes;
        appendU32(bytes, answer);
        c.socket->write(bytes);
        c.socket->flush();
    }
}

void CInstanceServer::drop(SConnection &c)
{
    auto it = std::find_if(m_connections.begin(), m_connections.end(),
                           [&c](const auto &p) { return p.get() == &c; });
    if (it == m_connections.end())
        return;
    std::unique_ptr<SConnection> gone = std::move(*it);
    m_connections.erase(it);
}

// ---- client

CInstanceClient::CInstanceClient() : m_socket(std::make_unique<QLocalSocket>()) {}

CInstanceClient::~CInstanceClient()
{
    if (m_socket->state() != QLocalSocket::UnconnectedState) {
        m_socket->disconnectFromServer();
        if (m_socket->state() != QLocalSocket::UnconnectedState)
            m_socket->waitForDisconnected(kConnectTimeoutMs);
    }
}

bool CInstanceClient::connectTo(const QString &name, int timeoutMs)
{
    m_socket->connectToServer(name);
    return m_socket->waitForConnected(timeoutMs);
}

std::optional<uint32_t> CInstanceClient::request(const SInstanceFrame &frame, int timeoutMs)
{
    const QByteArray bytes = encodeFrame(frame);
    if (bytes.isEmpty() || m_socket->state() != QLocalSocket::ConnectedState)
        return std::nullopt;
    if (m_socket->write(bytes) != bytes.size())
        return std::nullopt;
    // Large payloads leave in several writes: the answer's wait starts once all is out.
    while (m_socket->bytesToWrite() > 0)
        if (!m_socket->waitForBytesWritten(timeoutMs))
            return std::nullopt;
    QByteArray answer;
    while (answer.size() < 4) {
        if (m_socket->bytesAvailable() == 0 && !m_socket->waitForReadyRead(timeoutMs))
            return std::nullopt;
        answer += m_socket->read(4 - answer.size());
    }
    return u32At(answer, 0);
}

} // namespace instance
