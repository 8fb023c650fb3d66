// Render and viewer mode end to end: the built program replays an event file with no display and
// leaves its pictures, counts, events, failure marker, notification and exit status.
#include "program_runner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QUuid>

#include <gtest/gtest.h>

namespace {

struct RenderMode : ::testing::Test
{
    RenderMode() : runner(QStringLiteral("kavrin-render-test-") + uid()) {}

    static QString uid() { return QUuid::createUuid().toString(QUuid::Id128); }
    QString path(const QString &rel) const { return QDir(dir.path()).filePath(rel); }
    static QString data(const char *rel)
    {
        return QStringLiteral(KAVRIN_TEST_DATA "/") + QString::fromLatin1(rel);
    }
    // A copy of a fixture in the test's folder (a render may write beside its file).
    QString fixture(const char *rel)
    {
        const QString dst = path(QFileInfo(data(rel)).fileName());
        QFile::copy(data(rel), dst);
        return dst;
    }
    SProgramRun render(const QStringList &args, const QStringList &env = {})
    {
        return runner.run(args, dir.path(), env);
    }

    static QImage rgb(const QString &file)
    {
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }
    // The files the folder holds, sorted.
    QStringList filesIn(const QString &folder) const
    {
        return QDir(folder).entryList(QDir::Files, QDir::Name);
    }

    QTemporaryDir dir;
    CProgramRunner runner;
};

TEST_F(RenderMode, ASessionRendersEveryOutputIntoANewFolderAndNotifies)
{
    const QString events = fixture("events/layer-session.qe5");
    const QString out = path("out/deeper");
    QLocalServer listener;
    const QString socketName = QStringLiteral("kavrin-notify-test-") + uid();
    ASSERT_TRUE(listener.listen(socketName));
    QByteArray notified;
    QObject::connect(&listener, &QLocalServer::newConnection, [&] {
        QLocalSocket *s = listener.nextPendingConnection();
        QObject::connect(s, &QLocalSocket::readyRead, [s, &notified] { notified += s->readAll(); });
    });

    const SProgramRun r = render({events, "-bmp", "-jpg:90", "-png", "-txt", "-o", out, "-w",
                                  socketName, "-render"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    spinUntil([&] { return notified.size() >= 4; }, 2000);
    EXPECT_EQ(notified, QByteArray("\x08\x00\x00\x00", 4));

    const QImage expected = rgb(data("events/layer-session.png"));
    ASSERT_FALSE(expected.isNull());
    EXPECT_EQ(rgb(QDir(out).filePath("layer-session.png")), expected);
    EXPECT_EQ(rgb(QDir(out).filePath("layer-session.bmp")), expected);
    EXPECT_EQ(QImage(QDir(out).filePath("layer-session.jpg")).size(), QSize(64, 48));

    QFile txt(QDir(out).filePath("layer-session.txt"));
    ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
    const QByteArray text = txt.readAll();
    ASSERT_FALSE(text.isEmpty());
    EXPECT_TRUE(text.endsWith("\r\n"));
    for (const QByteArray &line : text.chopped(1).split('\n'))
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[a-z.]+\\t[1-9][0-9]*\\r$"))
                        .match(QString::fromLatin1(line))
                        .hasMatch())
            << line.toStdString();

    // The events written beside the pictures replay to the same picture.
    const QString again = path("again");
    const SProgramRun r2 =
        render({"-render", QDir(out).filePath("layer-session.qe5"), "-png", "-o", again});
    EXPECT_EQ(r2.exitCode, 0) << r2.errText();
    EXPECT_EQ(rgb(QDir(again).filePath("layer-session.png")), expected);
    EXPECT_FALSE(QFile::exists(QDir(out).filePath("layer-session.bad")));
    EXPECT_FALSE(QFileInfo::exists(runner.configDir()));
}

TEST_F(RenderMode, AFileThatCannotBeReplayedEndsWithTenAndAnEmptyMarker)
{
    // A truncated copy of a session.
    QFile whole(data("events/layer-session.qe5"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(path("cut.qe5"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() * 2 / 3));
    cut.close();
    const QString native = fixture("native/sample.qzi");

    const struct
    {
        QString file;
        QString marker;
    } cases[] = {
        {path("cut.qe5"), path("out/cut.bad")},
        {path("missing.qe5"), path("out/missing.bad")},
        {native, path("out/sample.bad")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const SProgramRun r = render({"-render", c.file, "-png", "-bmp", "-o", path("out")});
        ASSERT_TRUE(r.finished);
        EXPECT_EQ(r.exitCode, 10) << r.errText();
        EXPECT_TRUE(QFile::exists(c.marker));
        EXPECT_EQ(QFileInfo(c.marker).size(), 0);
    }
    EXPECT_EQ(filesIn(path("out")), (QStringList{"cut.bad", "missing.bad", "sample.bad"}));
}

TEST_F(RenderMode, AVersionOneStreamRendersAndIsWrittenBack)
{
    const QString events = fixture("legacy/sample.wpe");
    const SProgramRun r = render({"-render", events, "-png", "-o", path("out")});
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    EXPECT_FALSE(QImage(path("out/sample.png")).isNull());
    EXPECT_GT(QFileInfo(path("out/sample.wpe")).size(), 0);
}

// The switch comes before the mode: a box would have held the render up. A display that cannot
// be reached does not end the job either: a render draws off screen.
TEST_F(RenderMode, AnUnknownSwitchIsReportedOnStandardErrorAndTheRenderFinishes)
{
    const QString events = fixture("events/layer-session.qe5");
    const SProgramRun r = render({"-x", "-render", events, "-png", "-o", path("out")},
                                 {"DISPLAY=:97.0"});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    EXPECT_NE(r.err.indexOf("unknown command line switch! arg = -x"), -1) << r.errText();
    EXPECT_TRUE(QFile::exists(path("out/layer-session.png")));
}

// An output that cannot be written ends the job with 9 and names the file; the others are still
// written.
TEST_F(RenderMode, AnOutputThatCannotBeWrittenIsNamedAndEndsWithNine)
{
    const QString events = fixture("events/layer-session.qe5");
    // A folder where the picture would go: nothing can write the picture there.
    ASSERT_TRUE(QDir().mkpath(path("out/layer-session.png")));
    const SProgramRun r = render({"-render", events, "-png", "-txt", "-o", path("out")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 9) << r.errText();
    EXPECT_NE(r.err.indexOf("layer-session.png: could not be written"), -1) << r.errText();
    EXPECT_GT(QFileInfo(path("out/layer-session.txt")).size(), 0);

    // An output folder that cannot be made (a file stands in its place).
    QFile blocker(path("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const SProgramRun b = render({"-render", events, "-png", "-o", path("blocked/out")});
    EXPECT_EQ(b.exitCode, 9) << b.errText();
    EXPECT_NE(b.err.indexOf("blocked/out: could not be written"), -1) << b.errText();
}

TEST_F(RenderMode, OneFilePerRunAndNoneIsAnError)
{
    const SProgramRun none = render({"-render", "-png"});
    EXPECT_EQ(none.exitCode, 10);
    EXPECT_NE(none.err.indexOf("usage:"), -1) << none.errText();

    const QString events = fixture("events/layer-session.qe5");
    const SProgramRun two = render({"-render", events, "other.qe5", "-png", "-o", path("out")});
    EXPECT_EQ(two.exitCode, 0) << two.errText();
    EXPECT_NE(two.err.indexOf("other.qe5"), -1) << two.errText();
    EXPECT_EQ(filesIn(path("out")), (QStringList{"layer-session.png", "layer-session.qe5"}));
}

TEST_F(RenderMode, TheViewerShowsTheReplayAndWritesNoEvents)
{
    const QString events = fixture("events/layer-session.qe5");
    const SProgramRun r = render({"-viewer", "-t0", "-png", events, "-o", path("out")});
    ASSERT_TRUE(r.finished);
    EXPECT_EQ(r.exitCode, 0) << r.errText();
    EXPECT_EQ(rgb(path("out/layer-session.png")), rgb(data("events/layer-session.png")));
    EXPECT_FALSE(QFile::exists(path("out/layer-session.qe5")));
    // Neither mode writes the profile: parallel renders would race on the store.
    EXPECT_FALSE(QFileInfo::exists(runner.configDir()));
}

} // namespace
