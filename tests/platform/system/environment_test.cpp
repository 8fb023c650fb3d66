#include "platform/system/environment.h"
#include "platform/scoped_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

TEST(Environment, LocaleIdentifiersAndCodePages)
{
    struct Case
    {
        const char *locale;
        uint32_t lcid;
        uint32_t codePage;
    };
    const Case cases[] = {
        {"ja_JP", 0x0411, 932},  {"ko_KR", 0x0412, 949},  {"zh_CN", 0x0804, 936},
        {"zh_TW", 0x0404, 950},  {"en_US", 0x0409, 1252}, {"C", 0x0409, 1252},
        {"de_DE", 0x0C00, 1252},
    };
    for (const Case &c : cases) {
        const QLocale locale(QString::fromLatin1(c.locale));
        EXPECT_EQ(localeIdOf(locale), c.lcid) << c.locale;
        EXPECT_EQ(ansiCodePageOf(locale), c.codePage) << c.locale;
    }
}

TEST(Environment, PresetFolderFollowsDataDirThenXdg)
{
    {
        ScopedEnv data("KAVRIN_DATA_DIR", "/srv/kavrin/presets/");
        EXPECT_EQ(presetFolder(), QStringLiteral("/srv/kavrin/presets"));
    }
    ScopedEnv data("KAVRIN_DATA_DIR", std::nullopt);
    ScopedEnv xdg("XDG_DATA_HOME", "/home/u/data");
    EXPECT_EQ(presetFolder(), QStringLiteral("/home/u/data/Trevolt/Kavrin5e"));
}

// The test program runs with a QGuiApplication on the offscreen platform: at least one screen.
TEST(Environment, StartUpValuesAreFilled)
{
    ScopedEnv data("KAVRIN_DATA_DIR", "/srv/presets");
    const SStartupEnvironment env = readStartupEnvironment();
    EXPECT_GE(env.monitorNum, 1);
    EXPECT_GT(env.screenWidth, 0);
    EXPECT_GT(env.screenHeight, 0);
    EXPECT_EQ(env.rtcFreq, 1e9);
    EXPECT_GE(env.cpuClock, 0.0);
    EXPECT_TRUE(env.platformNT);
    EXPECT_GT(env.osVersion, 0);
    EXPECT_EQ(env.localeID, localeIdOf(QLocale::system()));
    const QFileInfo program(QCoreApplication::applicationFilePath());
    EXPECT_EQ(env.appPath, program.absolutePath());
    EXPECT_EQ(env.appName, program.fileName());
    EXPECT_EQ(env.tmpPath, QDir::tempPath());
    EXPECT_EQ(env.presetPath, QStringLiteral("/srv/presets"));
}

TEST(Environment, PrivateRuntimeFolderOnlyWhenUnsetAndOnlyIfClosed)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QByteArray base = QFile::encodeName(tmp.path());
    const QByteArray expected = base + "/kavrin-runtime-" + QByteArray::number(uint(getuid()));
    ScopedEnv tmpdir("TMPDIR", base);
    {
        ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
        ensureRuntimeFolder();
        EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), expected);
        const QFileInfo info(QFile::decodeName(expected));
        EXPECT_TRUE(info.isDir());
        EXPECT_EQ(info.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther |
                                        QFileDevice::ExeGroup | QFileDevice::ExeOther),
                  QFileDevice::Permissions());
    }
    {
        // A folder another process opened to everyone is not taken.
        ASSERT_EQ(::chmod(expected.constData(), 0755), 0);
        ScopedEnv unset("XDG_RUNTIME_DIR", std::nullopt);
        ensureRuntimeFolder();
        EXPECT_FALSE(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"));
    }
    {
        // A folder the user already has is kept.
        ScopedEnv set("XDG_RUNTIME_DIR", "/somewhere/else");
        ensureRuntimeFolder();
        EXPECT_EQ(qgetenv("XDG_RUNTIME_DIR"), QByteArray("/somewhere/else"));
    }
}
