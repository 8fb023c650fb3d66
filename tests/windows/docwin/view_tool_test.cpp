#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int code = -1;
    QString out;
};

ToolRun runView(const QStringList &args)
{
    const QString tool = QStringLiteral(KAVRIN_TOOLS_DIR "/kavrin-view");
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(e);
    p.start(tool, args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput())};
}

TEST(DocWindowViewTool, WritesTheSurfaceAndAnswersItsPixels)
{
    if (!QFileInfo::exists(QStringLiteral(KAVRIN_TOOLS_DIR "/kavrin-view")))
        GTEST_SKIP() << "kavrin-view is not built";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("view.png"));
    const ToolRun r = runView({QStringLiteral("--blank"), QStringLiteral("200x100"),
                           QStringLiteral("--client"), QStringLiteral("400x300"),
                           QStringLiteral("--pixel"), QStringLiteral("5,5"),
                           QStringLiteral("--pixel"), QStringLiteral("200,150"),
                           QStringLiteral("--geometry"), QStringLiteral("-o"), out});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("5,5 #CCCCCC\n200,150 #FFFFFF\n"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("viewRect 0,0,200,100"))) << r.out.toStdString();
    const QImage img(out);
    EXPECT_EQ(img.size(), QSize(400, 300));
}

TEST(DocWindowViewTool, ExitCodes)
{
    if (!QFileInfo::exists(QStringLiteral(KAVRIN_TOOLS_DIR "/kavrin-view")))
        GTEST_SKIP() << "kavrin-view is not built";
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("v.png"));
    EXPECT_EQ(runView({QStringLiteral("--blank"), QStringLiteral("0x4"), QStringLiteral("--client"),
                       QStringLiteral("10x10"), QStringLiteral("-o"), out})
                  .code,
              1);
    EXPECT_EQ(runView({QStringLiteral("--blank"), QStringLiteral("4x4"), QStringLiteral("-o"), out})
                  .code,
              1);
    EXPECT_EQ(runView({dir.filePath(QStringLiteral("missing.qzi")), QStringLiteral("--client"),
                       QStringLiteral("10x10"), QStringLiteral("-o"), out})
                  .code,
              2);
    EXPECT_EQ(runView({QStringLiteral("--blank"), QStringLiteral("4x4"), QStringLiteral("--client"),
                       QStringLiteral("10x10"), QStringLiteral("-o"),
                       dir.filePath(QStringLiteral("no/such/dir/v.png"))})
                  .code,
              3);
}

} // namespace
