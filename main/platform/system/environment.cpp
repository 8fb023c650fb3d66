#include "platform/system/environment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QSysInfo>
#include <QVersionNumber>

#include <chrono>

#include <sys/stat.h>
#include <unistd.h>

QString gAppTitle = QStringLiteral("Kavrin");

namespace {

bool isTraditionalChinese(const QLocale &locale)
{
    return locale.script() == QLocale::TraditionalChineseScript;
}

int32_t kernelVersion()
{
    const QVersionNumber v = QVersionNumber::fromString(QSysInfo::kernelVersion());
    return v.majorVersion() * 100 + v.minorVersion();
}

// The kernel's maximum frequency of the first processor (kHz), else the "cpu MHz" line of
// /proc/cpuinfo; 0 when neither is readable.
double processorClockMHz()
{
    QFile freq(QStringLiteral("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq"));
    if (freq.open(QIODevice::ReadOnly)) {
        bool ok = false;
        const double kHz = freq.readAll().trimmed().toDouble(&ok);
        if (ok && kHz > 0)
            return kHz / 1000.0;
    }
    QFile info(QStringLiteral("/proc/cpuinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return 0;
    while (!info.atEnd()) {
        const QByteArray line = info.readLine();
        if (!line.startsWith("cpu MHz"))
            continue;
        bool ok = false;
        const double mhz = line.mid(line.indexOf(':') + 1).trimmed().toDouble(&ok);
        return ok ? mhz : 0;
    }
    return 0;
}

QString programFile()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

void readScreens(SStartupEnvironment &env)
{
    env.monitorNum = 1;
    env.screenWidth = kDefaultScreenWidth;
    env.screenHeight = kDefaultScreenHeight;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    const QList<QScreen *> screens = QGuiApplication::screens();
    const QScreen *primary = QGuiApplication::primaryScreen();
    if (screens.isEmpty() || !primary)
        return;
    env.monitorNum = static_cast<int32_t>(screens.size());
    env.screenWidth = primary->size().width();
    env.screenHeight = primary->size().height();
}

} // namespace

uint32_t localeIdOf(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Japanese:
        return 0x0411;
    case QLocale::Korean:
        return 0x0412;
    case QLocale::Chinese:
        return isTraditionalChinese(locale) ? 0x0404 : 0x0804;
    case QLocale::English:
    case QLocale::C:
        return 0x0409;
    default:
        return 0x0C00;
    }
}

uint32_t ansiCodePageOf(const QLocale &locale)
{
    switch (locale.language()) {
    case QLocale::Japanese:
        return 932;
    case QLocale::Korean:
        return 949;
    case QLocale::Chinese:
        return isTraditionalChinese(locale) ? 950 : 936;
    default:
        return 1252;
    }
}

QString presetFolder()
{
    const QString overridden = qEnvironmentVariable("KAVRIN_DATA_DIR");
    if (!overridden.isEmpty())
        return QDir::cleanPath(overridden);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("Trevolt/Kavrin5e"));
}

SStartupEnvironment readStartupEnvironment()
{
    SStartupEnvironment env;
    const QLocale locale = QLocale::system();
    env.localeID = localeIdOf(locale);
    env.codePage = ansiCodePageOf(locale);
    env.platformNT = true;
    env.osVersion = kernelVersion();
    using Clock = std::chrono::steady_clock;
    env.rtcFreq = static_cast<double>(Clock::period::den) / Clock::period::num;
    env.cpuClock = processorClockMHz();
    readScreens(env);
    const QFileInfo program(programFile());
    env.appPath = program.absolutePath();
    env.appName = program.fileName();
    env.tmpPath = QDir::tempPath();
    env.presetPath = presetFolder();
    return env;
}

void ensureRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    QByteArray base = qgetenv("TMPDIR");
    if (base.isEmpty())
        base = "/tmp";
    const QByteArray dir = base + "/kavrin-runtime-" + QByteArray::number(uint(getuid()));
    ::mkdir(dir.constData(), 0700);
    struct stat st = {};
    // A folder someone else made or opened up is never taken: Qt would then warn as before.
    if (::lstat(dir.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 0077) != 0)
        return;
    qputenv("XDG_RUNTIME_DIR", dir);
}
