// Runs the built program as a user's shell would, with no display, a configuration folder of its
// own and the single-instance channel under a name of the test's. The test's event loop runs while
// the program runs, so servers of the test process answer it.
#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <string>

struct SProgramRun
{
    bool finished = false;
    int exitCode = -1;
    QByteArray err;
    std::string errText() const { return err.toStdString(); }
};

class CProgramRunner
{
  public:
    explicit CProgramRunner(const QString &instanceName) : m_instanceName(instanceName) {}

    // extraEnv: NAME=VALUE pairs set on top.
    SProgramRun run(const QStringList &args, const QString &cwd, const QStringList &extraEnv = {},
                    int timeoutMs = 120000)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        for (const QString &pair : extraEnv)
            env.insert(pair.section(QLatin1Char('='), 0, 0), pair.section(QLatin1Char('='), 1));
        env.insert(QStringLiteral("KAVRIN_CONFIG_DIR"), configDir());
        env.insert(QStringLiteral("KAVRIN_DATA_DIR"), m_home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("KAVRIN_INSTANCE_NAME"), m_instanceName);
        QProcess p;
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(cwd);
        p.setProcessChannelMode(QProcess::SeparateChannels);
        QEventLoop loop;
        QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        p.start(QStringLiteral(KAVRIN_PROGRAM_PATH), args);
        loop.exec();
        SProgramRun r;
        r.finished = p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit;
        if (!r.finished) {
            p.kill();
            p.waitForFinished(5000);
        }
        r.exitCode = p.exitCode();
        r.err = p.readAllStandardError();
        return r;
    }

    // The program's configuration folder (its profile store).
    QString configDir() const { return m_home.filePath(QStringLiteral("config")); }

  private:
    QString m_instanceName;
    QTemporaryDir m_home;
};

// Runs the event loop until done() holds or timeoutMs pass; answers done().
template <typename Pred> bool spinUntil(Pred done, int timeoutMs = 5000)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}
