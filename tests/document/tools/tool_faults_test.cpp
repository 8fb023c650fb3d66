// The developer tools run as programs of their own: a failure is a non-zero exit with one line on
// stderr that names the file, --help works without a display, an output's extension picks its
// format or is refused, and a failed write leaves no partial file and an old target unchanged.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QString kData = QStringLiteral(KAVRIN_TEST_DATA);

QString toolPath(const QString &tool)
{
    return QStringLiteral(KAVRIN_TOOLS_DIR "/") + tool;
}

struct ToolRun
{
    int exit = -1; // -1: the tool did not end by itself (a signal, a crash, a time-out)
    QString out, err;
    // The lines of stderr but Qt's own notes on the environment (no runtime folder set).
    QStringList errLines() const
    {
        QStringList lines = err.split(u'\n', Qt::SkipEmptyParts);
        lines.removeIf(
            [](const QString &l) { return l.startsWith(QLatin1String("QStandardPaths: ")); });
        return lines;
    }
};

enum class Env
{
    Offscreen, // the test program's own (QT_QPA_PLATFORM=offscreen)
    NoDisplay, // no display and no platform chosen: what a shell on a server has
};

// The tool under sh with the file-size limit in 512-byte blocks (0: none), from dir.
ToolRun runTool(const QString &tool, const QStringList &args, const QString &dir,
                Env env = Env::Offscreen, int sizeLimit = 0)
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    if (env == Env::NoDisplay) {
        e.remove(QStringLiteral("DISPLAY"));
        e.remove(QStringLiteral("WAYLAND_DISPLAY"));
        e.remove(QStringLiteral("QT_QPA_PLATFORM"));
    } else {
        e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    p.setProcessEnvironment(e);
    p.setWorkingDirectory(dir);
    if (sizeLimit > 0) {
        // Qt's PNG writer keeps its row buffer when libpng gives up on a failed write; under the
        // leak checker of a sanitized build that would turn the tool's own exit code into the
        // checker's.
        const QString asan = e.value(QStringLiteral("ASAN_OPTIONS"));
        if (!asan.isEmpty())
            e.insert(QStringLiteral("ASAN_OPTIONS"), asan + QStringLiteral(":detect_leaks=0"));
        p.setProcessEnvironment(e);
        QStringList shArgs{QStringLiteral("-c"),
                           QStringLiteral("ulimit -f %1; exec \"$0\" \"$@\"").arg(sizeLimit),
                           toolPath(tool)};
        p.start(QStringLiteral("/bin/sh"), shArgs + args);
    } else {
        p.start(toolPath(tool), args);
    }
    ToolRun r;
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
    r.err = QString::fromLocal8Bit(p.readAllStandardError());
    if (p.exitStatus() == QProcess::NormalExit)
        r.exit = p.exitCode();
    return r;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A folder of inputs for the tools: the fixtures, a cut and a garbled layered file, a PSD whose
// merged picture cannot be read, and a regular file that outputs are asked to go under.
class NewUserFaultsTools : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        const QStringList tools{"kavrin-qzi",         "kavrin-psd",      "kavrin-replay",
                                "kavrin-filterlab",   "kavrin-clip",     "kavrin-transformlab",
                                "kavrin-widgetshots", "kavrin-strokelab"};
        for (const QString &t : tools)
            if (!QFileInfo(toolPath(t)).isExecutable())
                GTEST_SKIP() << qPrintable(t) << " is not built";
        ASSERT_TRUE(dir.isValid());
        sample = kData + QStringLiteral("/native/sample.qzi");
        picture = kData + QStringLiteral("/transform/content-64.png");
        psd = kData + QStringLiteral("/psd/pt-layers.psd");
        events = kData + QStringLiteral("/events/strokes.qe5");
        ASSERT_TRUE(writeAll(path("blocker"), "a file, not a folder"));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("layers")));
        ASSERT_TRUE(writeAll(path("cut.qzi"), readAll(sample).left(1500)));
        QByteArray noise(3000, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) >> 3);
        ASSERT_TRUE(writeAll(path("noise.qzi"), noise));
        ASSERT_TRUE(writeAll(path("bad-merged.psd"), damagedMergedPicture()));
        // A picture whose PNG is far larger than the file-size limit of the cases.
        QImage busy(128, 128, QImage::Format_ARGB32);
        for (int y = 0; y < busy.height(); ++y)
            for (int x = 0; x < busy.width(); ++x)
                busy.setPixel(x, y, 0xFF000000u | uint32_t(x * 2654435761u ^ y * 40503u));
        ASSERT_TRUE(busy.save(path("busy.png")));
    }

    // pt-nolayers.psd with two bytes of its merged picture changed: the first row's first packed
    // run now says 128 bytes follow, more than the row holds. The file opens; that picture does not
    // unpack.
    static QByteArray damagedMergedPicture()
    {
        QByteArray b = readAll(kData + QStringLiteral("/psd/pt-nolayers.psd"));
        if (b.size() < 26)
            return b; // the fixture is missing: the cases that use it fail on their own
        const int channels = qFromBigEndian<uint16_t>(b.constData() + 12);
        const int rows = int(qFromBigEndian<uint32_t>(b.constData() + 14));
        qsizetype at = 26; // the colour table, resources, and layers sections follow the header
        for (int section = 0; section < 3 && at + 4 <= b.size(); ++section)
            at += 4 + qFromBigEndian<uint32_t>(b.constData() + at);
        // The compression (2 bytes, packed), the rows' byte counts, then the rows.
        at += 2 + qsizetype(rows) * channels * 2;
        if (at + 2 <= b.size())
            b[at] = char(0x7F), b[at + 1] = char(0x7F);
        return b;
    }

    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }
    // No file of the folder but the ones named: no temporary files, no partial outputs.
    QStringList filesBut(const QStringList &inputs) const
    {
        QStringList extra;
        for (const QString &f :
             QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            if (!inputs.contains(f))
                extra << f;
        return extra;
    }

    QTemporaryDir dir;
    QString sample, picture, psd, events;
    const QStringList inputs{"blocker",   "layers",         "cut.qzi",
                             "noise.qzi", "bad-merged.psd", "busy.png"};
};

TEST_F(NewUserFaultsTools, FailuresExitNonZeroWithOneLineNamingTheFile)
{
    struct Case
    {
        const char *tool;
        QStringList args;
        int exit;
        QString names; // the file the error line names
        QString words; // and what it says, in part
    };
    const QString under = path("blocker") + QStringLiteral("/out");
    const std::vector<Case> cases = {
        // Outputs under a regular file.
        {"kavrin-qzi", {"render", sample, under + ".png"}, 3, under + ".png", "cannot be written"},
        {"kavrin-qzi", {"resave", sample, under + ".qzi"}, 3, under + ".qzi", "cannot be written"},
        {"kavrin-psd", {"convert", sample, under + ".psd"}, 3, under + ".psd", "cannot be"},
        {"kavrin-psd", {"convert", psd, under + ".qzi"}, 3, under + ".qzi", "cannot be written"},
        {"kavrin-psd", {"layers", psd, under}, 3, under, "cannot be made"},
        {"kavrin-replay",
         {events, "-o", under + ".png", "--blank-start"},
         4,
         under + ".png",
         "cannot be written"},
        {"kavrin-filterlab",
         {picture, under + ".png", "--filter", "fltBlur"},
         2,
         under + ".png",
         "cannot be written"},
        {"kavrin-filterlab",
         {"--pattern", "32x32", under + ".png"},
         2,
         under + ".png",
         "cannot be written"},
        {"kavrin-transformlab",
         {picture, under + ".png", "--corners", "8,4,60,10,56,60,2,50"},
         2,
         under + ".png",
         "cannot be written"},
        {"kavrin-strokelab",
         {"-o", under + ".png", "--dab", "32,32,1", "--size", "64x64"},
         2,
         under + ".png",
         "cannot be written"},
        {"kavrin-widgetshots", {under, "colour"}, 1, under, "cannot be made"},
        // Damaged layered files: the load's warnings, then the refusal; nothing is written.
        {"kavrin-qzi",
         {"render", path("cut.qzi"), path("cut.png")},
         2,
         path("cut.qzi"),
         "past the end of the file (err=11)"},
        {"kavrin-qzi",
         {"resave", path("cut.qzi"), path("cut-again.qzi")},
         2,
         path("cut.qzi"),
         "(err=11)"},
        {"kavrin-psd",
         {"convert", path("cut.qzi"), path("cut.psd")},
         2,
         path("cut.qzi"),
         "(err=11)"},
        {"kavrin-qzi", {"dump", path("noise.qzi")}, 2, path("noise.qzi"), "(err=16)"},
        {"kavrin-qzi",
         {"render", path("noise.qzi"), path("noise.png")},
         2,
         path("noise.qzi"),
         "(err=16)"},
        // A merged picture that cannot be read is said, not skipped.
        {"kavrin-psd",
         {"layers", path("bad-merged.psd"), path("layers")},
         2,
         path("bad-merged.psd"),
         "merged picture"},
        // Output extensions that name no format, or the wrong one.
        {"kavrin-psd", {"convert", psd, path("x.png")}, 1, path("x.png"), ".qzi or .psd"},
        {"kavrin-qzi", {"render", sample, path("x.qzi")}, 1, path("x.qzi"), "extension"},
        {"kavrin-replay", {events, "-o", path("x.txt")}, 1, path("x.txt"), "extension"},
        {"kavrin-filterlab",
         {picture, path("x"), "--filter", "fltBlur"},
         2,
         path("x"),
         "extension"},
        {"kavrin-transformlab",
         {picture, path("x.qzi"), "--corners", "8,4,60,10,56,60,2,50"},
         2,
         path("x.qzi"),
         "extension"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.tool, c.args.join(u' ')).toStdString());
        const ToolRun r = runTool(c.tool, c.args, dir.path());
        EXPECT_EQ(r.exit, c.exit) << qPrintable(r.err);
        const QStringList lines = r.errLines();
        if (lines.isEmpty()) {
            ADD_FAILURE() << "nothing said";
            continue;
        }
        // The tool's own line comes last (after the load's warnings, when there were any).
        const QString last = lines.last();
        EXPECT_TRUE(last.startsWith(QStringLiteral("%1: %2: ").arg(c.tool, c.names)))
            << qPrintable(last);
        EXPECT_TRUE(last.contains(c.words)) << qPrintable(last);
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            EXPECT_TRUE(lines[i].startsWith(QLatin1String("warning: "))) << qPrintable(r.err);
        EXPECT_EQ(filesBut(inputs), QStringList()) << "something was written";
    }
}

TEST_F(NewUserFaultsTools, ADamagedLayeredFileNeverReplacesItself)
{
    const QByteArray cut = readAll(path("cut.qzi"));
    const ToolRun r =
        runTool("kavrin-qzi", {"resave", path("cut.qzi"), path("cut.qzi")}, dir.path());
    EXPECT_EQ(r.exit, 2);
    // The load's own warning stays.
    EXPECT_TRUE(r.err.contains(QStringLiteral("読み込み中にエラーが検出されました! (err=11)")))
        << qPrintable(r.err);
    EXPECT_EQ(readAll(path("cut.qzi")), cut);
}

TEST_F(NewUserFaultsTools, AWriteOverTheFileSizeLimitFailsAndKeepsTheOldTarget)
{
    struct Case
    {
        const char *tool;
        QStringList args;
        int exit;
        const char *target;
    };
    const std::vector<Case> cases = {
        {"kavrin-replay", {events, "-o", path("old.png"), "--blank-start"}, 4, "old.png"},
        {"kavrin-qzi", {"render", sample, path("old.png")}, 3, "old.png"},
        {"kavrin-qzi", {"resave", sample, path("old.qzi")}, 3, "old.qzi"},
        {"kavrin-psd", {"convert", sample, path("old.psd")}, 3, "old.psd"},
        // Its second layer's picture is the first over the limit.
        {"kavrin-psd", {"layers", psd, path("old")}, 3, "old/layer-1.png"},
        {"kavrin-filterlab", {"--pattern", "256x256", path("old.png")}, 2, "old.png"},
        {"kavrin-filterlab",
         {path("busy.png"), path("old.png"), "--filter", "fltBlur"},
         2,
         "old.png"},
        {"kavrin-transformlab",
         {picture, path("old.png"), "--corners", "8,4,60,10,56,60,2,50"},
         2,
         "old.png"},
    };
    // An old target larger than the limit (one block of 512 bytes), so that a write that went
    // straight onto it shows.
    QByteArray old(4000, 'k');
    for (const Case &c : cases) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.tool, c.args.join(u' ')).toStdString());
        QDir(dir.path()).mkpath(QStringLiteral("old"));
        ASSERT_TRUE(writeAll(path(c.target), old));
        const ToolRun r = runTool(c.tool, c.args, dir.path(), Env::Offscreen, 1);
        EXPECT_EQ(r.exit, c.exit) << qPrintable(r.err);
        const QStringList lines = r.errLines();
        EXPECT_FALSE(lines.isEmpty());
        EXPECT_TRUE(!lines.isEmpty() && lines.last().contains(QFileInfo(path(c.target)).fileName()))
            << qPrintable(r.err);
        EXPECT_EQ(readAll(path(c.target)), old);
        // No temporary file is left beside the target.
        const QFileInfo target(path(c.target));
        EXPECT_EQ(target.dir().entryList({target.fileName() + QStringLiteral("*")}, QDir::Files),
                  QStringList{target.fileName()});
        QFile::remove(target.filePath());
        EXPECT_EQ(filesBut(inputs + QStringList{"old"}), QStringList());
    }
}

TEST_F(NewUserFaultsTools, HelpPrintsUsageWithoutADisplay)
{
    for (const char *tool :
         {"kavrin-qzi", "kavrin-psd", "kavrin-replay", "kavrin-filterlab", "kavrin-clip",
          "kavrin-transformlab", "kavrin-widgetshots", "kavrin-strokelab"}) {
        SCOPED_TRACE(tool);
        const ToolRun r = runTool(tool, {"--help"}, dir.path(), Env::NoDisplay);
        EXPECT_EQ(r.exit, 0) << qPrintable(r.err);
        EXPECT_TRUE(r.out.contains(QStringLiteral("kavrin-")) &&
                    r.out.contains(QStringLiteral("sage")))
            << qPrintable(r.out);
        EXPECT_EQ(filesBut(inputs), QStringList()) << "--help made something";
    }
}

// Options Qt has of its own (-title, -display...) are the tool's.
TEST_F(NewUserFaultsTools, QtDoesNotTakeTheToolsOptions)
{
    const ToolRun r =
        runTool("kavrin-clip", {"copy", picture, "--title", "T", "--hold", "0"}, dir.path());
    EXPECT_EQ(r.exit, 0) << qPrintable(r.err);
    EXPECT_TRUE(r.out.contains(QStringLiteral("layer \"T\""))) << qPrintable(r.out);
}

TEST_F(NewUserFaultsTools, TransformFramesOfNoAreaAreRefused)
{
    for (const char *corners : {"10,10,10,10,10,10,10,10", "0,0,20,20,40,40,60,60"}) {
        SCOPED_TRACE(corners);
        const ToolRun r = runTool("kavrin-transformlab",
                                  {picture, path("t.png"), "--corners", corners}, dir.path());
        EXPECT_EQ(r.exit, 2) << qPrintable(r.err);
        EXPECT_TRUE(r.err.contains(QStringLiteral("no area"))) << qPrintable(r.err);
        EXPECT_FALSE(QFileInfo::exists(path("t.png")));
    }
    // A frame that twists over itself still has an area.
    const ToolRun twisted =
        runTool("kavrin-transformlab", {picture, path("t.png"), "--corners", "0,0,64,64,64,0,0,64"},
                dir.path());
    EXPECT_EQ(twisted.exit, 0) << qPrintable(twisted.err);
}

} // namespace
