// kavrin-inputscript: what it draws is what its recording replays to, its pointer positions are
// canvas pixels, and it fails with the exit code and line its usage names.
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ToolRun
{
    int code = -1;
    QString err;
};

ToolRun run(const QString &tool, const QStringList &args, bool display = true)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    if (display) {
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
        e.remove(QStringLiteral("DISPLAY"));
        e.remove(QStringLiteral("WAYLAND_DISPLAY"));
    }
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(KAVRIN_TOOLS_DIR "/") + tool, args);
    p.waitForFinished(120000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

QString writeScript(const QTemporaryDir &dir, const char *name, const char *text)
{
    const QString path = dir.filePath(QString::fromUtf8(name));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
    return path;
}

bool toolsBuilt()
{
    return QFileInfo::exists(QStringLiteral(KAVRIN_TOOLS_DIR "/kavrin-inputscript")) &&
           QFileInfo::exists(QStringLiteral(KAVRIN_TOOLS_DIR "/kavrin-replay"));
}

// A mouse stroke along row 100 and a pen stroke lower down, then a stroke taken back and put
// back again.
const char kDrawing[] = "# strokes\n"
                        "press L 50 100\nmove 80 100\nmove 100 100\nmove 150 100\n"
                        "release L 150 100\n"
                        "proximity in\n"
                        "tablet 60.5 200.25 0.3\ntablet 120.75 210.5 0.9\ntablet 200 220 0.5\n"
                        "tablet 200 220 0\n"
                        "proximity out\n"
                        "press L 300 40\nmove 320 80\nmove 340 60\nrelease L 340 60\n"
                        "undo\nredo\n";

TEST(WindowLiveReplayTool, TheRecordingReplaysToThePictureDrawn)
{
    if (!toolsBuilt())
        GTEST_SKIP() << "the tools are not built";
    QTemporaryDir dir;
    const QString script = writeScript(dir, "draw.txt", kDrawing);
    const QString events = dir.filePath(QStringLiteral("draw.qe5"));
    const QString drawn = dir.filePath(QStringLiteral("drawn.png"));
    const QString replayed = dir.filePath(QStringLiteral("replayed.png"));
    const ToolRun r = run(QStringLiteral("kavrin-inputscript"),
                          {script, QStringLiteral("--events"), events, QStringLiteral("-o"), drawn});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    ASSERT_EQ(run(QStringLiteral("kavrin-replay"), {events, QStringLiteral("-o"), replayed}).code, 0);
    const QImage a = QImage(drawn).convertToFormat(QImage::Format_ARGB32);
    const QImage b = QImage(replayed).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(a.size(), QSize(400, 300));
    EXPECT_EQ(a, b);
    // Client pixels are canvas pixels: the mouse stroke runs along row 100, black on white.
    EXPECT_EQ(a.pixel(100, 100), 0xFF000000u);
    EXPECT_EQ(a.pixel(100, 90), 0xFFFFFFFFu);
    EXPECT_EQ(a.pixel(100, 110), 0xFFFFFFFFu);
    // The pen stroke drew, and so did the stroke undone and redone.
    const auto dark = [&](const QRect &r) {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += qGray(a.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(dark(QRect(60, 190, 150, 40)), 50);
    EXPECT_GT(dark(QRect(295, 35, 50, 50)), 20);
}

TEST(WindowLiveReplayTool, FailuresExitWithTheirCodeAndNameTheLine)
{
    if (!toolsBuilt())
        GTEST_SKIP() << "the tools are not built";
    QTemporaryDir dir;
    const QString good = writeScript(dir, "good.txt", "press L 1 1\nrelease L 2 2\n");
    const QString bad = writeScript(dir, "bad.txt", "press L 1 1\n# fine so far\nmove 1\n");
    const QString refused = writeScript(dir, "refused.txt", "tick\nundo\n");
    const QString events = dir.filePath(QStringLiteral("e.qe5"));
    const QString png = dir.filePath(QStringLiteral("p.png"));
    const QString noDir = dir.filePath(QStringLiteral("no/such/dir/"));
    struct Case
    {
        const char *name;
        QStringList args;
        int code;
        const char *says;
    };
    const std::vector<Case> cases = {
        {"no script", {QStringLiteral("--events"), events, QStringLiteral("-o"), png}, 1, ""},
        {"no events", {good, QStringLiteral("-o"), png}, 1, "--events"},
        {"no picture", {good, QStringLiteral("--events"), events}, 1, "-o"},
        {"unknown picture format",
         {good, QStringLiteral("--events"), events, QStringLiteral("-o"), png + QStringLiteral(".xyz")},
         1, ""},
        {"unreadable script",
         {dir.filePath(QStringLiteral("missing.txt")), QStringLiteral("--events"), events,
          QStringLiteral("-o"), png},
         1, "missing.txt"},
        {"bad line", {bad, QStringLiteral("--events"), events, QStringLiteral("-o"), png}, 1,
         "line 3:"},
        {"refused line", {refused, QStringLiteral("--events"), events, QStringLiteral("-o"), png},
         1, "line 2:"},
        {"events not written",
         {good, QStringLiteral("--events"), noDir + QStringLiteral("e.qe5"), QStringLiteral("-o"),
          png},
         4, "e.qe5"},
        {"picture not written",
         {good, QStringLiteral("--events"), events, QStringLiteral("-o"),
          noDir + QStringLiteral("p.png")},
         4, "p.png"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun r = run(QStringLiteral("kavrin-inputscript"), c.args);
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(png)) << "a failed run wrote its picture";
    EXPECT_EQ(run(QStringLiteral("kavrin-inputscript"), {QStringLiteral("--help")}, false).code, 0);
    EXPECT_EQ(run(QStringLiteral("kavrin-inputscript"), {good, QStringLiteral("--events"), events,
                                                          QStringLiteral("-o"), png})
                  .code,
              0);
    EXPECT_TRUE(QFileInfo::exists(events) && QFileInfo::exists(png));
}

} // namespace
