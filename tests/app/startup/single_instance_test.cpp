// One instance per user: this test process is the running instance, with a recording host; the
// built program is the second start.
#include "app/startup/single_instance.h"
#include "windows/render_settings.h"

#include "program_runner.h"

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QUuid>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace {

QString uniqueName()
{
    return QStringLiteral("kavrin-instance-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

struct SingleInstance : ::testing::Test
{
    SingleInstance() : runner(name)
    {
        resetRenderSettings();
        installInstanceHost([this](const QString &p) { calls << QStringLiteral("open ") + p; },
                            [this] { calls << QStringLiteral("front"); });
    }
    ~SingleInstance() override
    {
        releaseInstanceMutex();
        removeInstanceHost();
        resetRenderSettings();
    }

    void becomeFirst() { ASSERT_EQ(checkSingleInstance({}, name), kInstanceFirst); }
    // The host's calls arrive from the event loop once the answers have gone.
    bool waitForFront() { return spinUntil([this] { return calls.contains("front"); }); }

    QString name = uniqueName();
    QTemporaryDir dir;
    CProgramRunner runner;
    QStringList calls;
};

TEST_F(SingleInstance, ASecondStartHandsOverItsFilesAsAbsolutePathsInOrderAndEnds)
{
    becomeFirst();
    const SProgramRun r = runner.run({"b.qe5", "-png", "sub/a.png"}, dir.path());
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    ASSERT_TRUE(waitForFront());
    EXPECT_EQ(calls, (QStringList{"open " + QDir(dir.path()).filePath("b.qe5"),
                                  "open " + QDir(dir.path()).filePath("sub/a.png"), "front"}));
}

TEST_F(SingleInstance, SwitchesOnlyBringTheInstanceToTheFront)
{
    becomeFirst();
    const SProgramRun r = runner.run({"-png"}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    ASSERT_TRUE(waitForFront());
    EXPECT_EQ(calls, QStringList{"front"});
}

TEST_F(SingleInstance, ALongPathArrivesWhole)
{
    becomeFirst();
    const QString rel = QString(120, QLatin1Char('a')) + "/" + QString(120, QLatin1Char('b')) +
                        "/" + QString(54, QLatin1Char('c')) + ".qe5";
    ASSERT_EQ(rel.size(), 300);
    const SProgramRun r = runner.run({rel}, dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    ASSERT_TRUE(waitForFront());
    ASSERT_EQ(calls.size(), 2);
    EXPECT_EQ(calls[0], "open " + QDir(dir.path()).filePath(rel));
}

TEST_F(SingleInstance, ARenderNeverAsksTheRunningInstance)
{
    becomeFirst();
    const SProgramRun r = runner.run({"-render", "missing.qe5"}, dir.path());
    EXPECT_EQ(r.exitCode, 10) << r.errText();
    EXPECT_EQ(gInstanceServer->acceptedCount(), 0);
    EXPECT_TRUE(calls.isEmpty());
}

// An instance whose main window has not installed itself answers 0: the second start goes on as
// an instance of its own (which, with no main window in this build, ends with 1).
TEST_F(SingleInstance, WithoutAHostTheSecondStartGoesOn)
{
    becomeFirst();
    removeInstanceHost();
    const SProgramRun r = runner.run({"a.qe5"}, dir.path());
    EXPECT_EQ(r.exitCode, 1) << r.errText();
    EXPECT_NE(r.err.indexOf("no main window"), -1) << r.errText();
    EXPECT_EQ(gInstanceServer->acceptedCount(), 1);
    spinUntil([] { return false; }, 50);
    EXPECT_TRUE(calls.isEmpty());
}

// A socket file left by an instance that crashed: nobody answers on it, so this start becomes the
// instance and listens in its place.
TEST_F(SingleInstance, AStaleSocketFileIsReplaced)
{
    const QString path = instance::instanceSocketPath(name);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    ASSERT_LT(size_t(p.size()), sizeof(addr.sun_path));
    std::memcpy(addr.sun_path, p.constData(), size_t(p.size()));
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof(addr)), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));

    EXPECT_EQ(checkSingleInstance({}, name), kInstanceFirst);
    ASSERT_TRUE(gInstanceServer && gInstanceServer->isListening());
    releaseInstanceMutex();
    EXPECT_FALSE(QFile::exists(path));
}

QByteArray header(uint32_t msg, uint32_t wParam, uint32_t n)
{
    QByteArray b;
    for (uint32_t v : {msg, wParam, n})
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

// A bad frame drops its own connection only: another connection is still answered.
TEST_F(SingleInstance, ABadFrameDropsOnlyItsConnection)
{
    becomeFirst();
    for (const uint32_t n : {65536u, 65535u, 3u}) {
        SCOPED_TRACE(n);
        QLocalSocket bad, good;
        bad.connectToServer(name);
        good.connectToServer(name);
        ASSERT_TRUE(bad.waitForConnected(1000));
        ASSERT_TRUE(good.waitForConnected(1000));
        bad.write(header(kInstanceOpen, 0, n) + QByteArray(4, 'x'));
        good.write(header(kInstanceQuery, 0, 0));
        EXPECT_TRUE(spinUntil([&] {
            return bad.state() == QLocalSocket::UnconnectedState && good.bytesAvailable() >= 4;
        }));
        EXPECT_EQ(good.read(4), QByteArray("QZ40", 4));
    }
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(SingleInstance, TheQueryAnswersByMode)
{
    EXPECT_EQ(answerQuery(0), 0x30345A51u);
    gRenderMode = true;
    EXPECT_EQ(answerQuery(0), 0x65525A51u);
    gViewerMode = true;
    EXPECT_EQ(answerQuery(0), 0x77565A51u);
    EXPECT_EQ(answerQuery(1), 0u);
    resetRenderSettings();
    removeInstanceHost();
    EXPECT_EQ(answerQuery(0), 0u);
}

// Another user cannot put a socket where this user's instance is looked for.
TEST(SingleInstanceName, TheChannelLiesInTheUsersRuntimeFolderUnlessNamed)
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray given = qgetenv("KAVRIN_INSTANCE_NAME");
    qunsetenv("KAVRIN_INSTANCE_NAME");
    qputenv("XDG_RUNTIME_DIR", "/run/user/test");
    const QString name = instance::instanceServerName();
    EXPECT_EQ(name, QStringLiteral("/run/user/test/qZ5 Application-%1").arg(::getuid()));
    EXPECT_EQ(instance::instanceSocketPath(name), name);
    qputenv("KAVRIN_INSTANCE_NAME", "mine");
    EXPECT_EQ(instance::instanceServerName(), "mine");
    qputenv("XDG_RUNTIME_DIR", runtime);
    if (given.isEmpty())
        qunsetenv("KAVRIN_INSTANCE_NAME");
    else
        qputenv("KAVRIN_INSTANCE_NAME", given);
}

TEST(SingleInstancePayload, PathsTravelAsUtf16AndEndAtANull)
{
    const QString path = QStringLiteral("/home/作品/a b.qe5");
    EXPECT_EQ(pathPayload(path).size(), path.size() * 2);
    EXPECT_EQ(pathOfPayload(pathPayload(path)), path);
    EXPECT_EQ(pathOfPayload(pathPayload(path) + QByteArray("\0\0x\0", 4)), path);
}

} // namespace
