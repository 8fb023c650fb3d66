// The single-instance channel: a local socket server per user through which a second start of the
// program asks the running one what it is and hands it files. Frames are little-endian:
// a request {u32 msg, u32 wParam, u32 n, n payload bytes}, an answer one u32. The server reads
// any number of requests per connection and answers each at once; a payload of an odd length or
// of more than 65534 bytes, or a request still incomplete 5 s after the previous one, drops that
// connection only.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace instance {

// The largest payload: 32767 UTF-16 units.
inline constexpr uint32_t kMaxPayload = 65534;
// How long a request may take to arrive whole, and the client waits for an answer.
inline constexpr int kFrameTimeoutMs = 5000;
// How long the client tries to connect.
inline constexpr int kConnectTimeoutMs = 1000;

struct SInstanceFrame
{
    uint32_t msg = 0;
    uint32_t wParam = 0;
    QByteArray payload;
};

// The request's bytes; empty when the payload is longer than kMaxPayload or of odd length.
QByteArray encodeFrame(const SInstanceFrame &frame);

enum class eFrameRead : uint8_t
{
    Complete,   // a request was taken off the buffer into frame
    Incomplete, // the buffer holds less than one request: wait for more
    Bad,        // the payload length is odd or too large: drop the connection
};
// Takes the first request off the front of buffer.
eFrameRead readFrame(QByteArray &buffer, SInstanceFrame &frame);

// "qZ5 Application-<uid>" in the user's private runtime folder ($XDG_RUNTIME_DIR, when set), so
// that no other user can put a socket of theirs where ours is looked for; $KAVRIN_INSTANCE_NAME
// as given when set. Read anew on every call.
QString instanceServerName();
// Where the server's socket file lies: the name itself when it is an absolute path, else the
// name in the temporary folder (as QLocalServer places it).
QString instanceSocketPath(const QString &name);

// Answers a request; called on the server's thread as the request arrives.
using FrameHandler = std::function<uint32_t(const SInstanceFrame &frame)>;

class CInstanceServer
{
  public:
    explicit CInstanceServer(FrameHandler handler);
    ~CInstanceServer();
    CInstanceServer(const CInstanceServer &) = delete;
    CInstanceServer &operator=(const CInstanceServer &) = delete;

    // Listens on name, readable and writable by this user only. A socket file left by an
    // instance that ended without closing is removed and listening tried again; the caller makes
    // sure nobody answers on it first. False when the server cannot listen.
    bool listen(const QString &name);
    // Stops listening; the socket file goes. Open connections are dropped.
    void close();
    bool isListening() const;
    // Connections open now, and accepted since listening began.
    int connectionCount() const;
    int acceptedCount() const { return m_accepted; }

  private:
    struct SConnection;
    void accept();
    void readFrom(SConnection &c);
    void drop(SConnection &c);

    FrameHandler m_handler;
    std::unique_ptr<QLocalServer> m_server;
    std::vector<std::unique_ptr<SConnection>> m_connections;
    int m_accepted = 0;
};

// The asking side: blocking calls with time limits, usable before any event loop runs.
class CInstanceClient
{
  public:
    CInstanceClient();
    ~CInstanceClient();
    CInstanceClient(const CInstanceClient &) = delete;
    CInstanceClient &operator=(const CInstanceClient &) = delete;

    // True when a server answered the connection within timeoutMs.
    bool connectTo(const QString &name, int timeoutMs = kConnectTimeoutMs);
    // Sends the request and waits for its answer; nothing when it cannot be sent (payload too
    // long or odd), the connection is lost or no answer comes in time.
    std::optional<uint32_t> request(const SInstanceFrame &frame, int timeoutMs = kFrameTimeoutMs);

  private:
    std::unique_ptr<QLocalSocket> m_socket;
};

} // namespace instance
