#include "platform/system/environment.h"
#include "platform/scoped_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

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
