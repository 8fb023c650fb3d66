#include "platform/system/registry.h"
#include "platform/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <limits>

namespace {

const QString kSection = kRegistryRoot + QStringLiteral("\\fileIO");

QString confIn(const QTemporaryDir &dir)
{
    return dir.filePath(QStringLiteral("Kavrin5.conf"));
}

void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(RegistryPath, ConfigDirOverridesTheXdgFolder)
{
    QTemporaryDir dir;
    {
        ScopedEnv config("KAVRIN_CONFIG_DIR", dir.path().toUtf8());
        EXPECT_EQ(registryFilePath(), dir.filePath(QStringLiteral("Kavrin5.conf")));
    }
    ScopedEnv config("KAVRIN_CONFIG_DIR", std::nullopt);
    ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().toUtf8());
    EXPECT_EQ(registryFilePath(), dir.filePath(QStringLiteral("Trevolt/Kavrin5.conf")));
}

// Every type written in one run is read back the same from the file by a store that never saw
// the writes (a copy of the file at another path, so nothing is shared in memory).
TEST(Registry, TypedValuesSurviveTheFile)
{
    QTemporaryDir dir;
    const QString path = confIn(dir);
    const QString text = QStringLiteral("C:\\絵\\a, b=@x;\"q\" ");
    {
        CRegistry store(path);
        std::optional<CRegKey> key = store.openKey(kSection, true);
        ASSERT_TRUE(key);
        EXPECT_TRUE(key->writeInt(QStringLiteral("neg"), std::numeric_limits<int32_t>::min()));
        EXPECT_TRUE(key->writeCardinal(QStringLiteral("card"), 0xFFFFFFFFu));
        EXPECT_TRUE(key->writeBool(QStringLiteral("yes"), true));
        EXPECT_TRUE(key->writeSingle(QStringLiteral("tenth"), 0.1f));
        EXPECT_TRUE(key->writeDouble(QStringLiteral("third"), 1.0 / 3.0));
        EXPECT_TRUE(key->writeString(QStringLiteral("text"), text));
        EXPECT_TRUE(key->writeString(QStringLiteral("empty"), QString()));
        EXPECT_TRUE(store.flush());
    }
    const QByteArray file = readText(path);
    EXPECT_TRUE(file.contains("[fileIO]")) << file.constData();
    EXPECT_TRUE(file.contains("card=4294967295")) << file.constData();
    EXPECT_TRUE(file.contains("yes=1")) << file.constData();

    QTemporaryDir other;
    ASSERT_TRUE(QFile::copy(path, confIn(other)));
    CRegistry store(confIn(other));
    std::optional<CRegKey> key = store.openKey(kSection, false);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->readInt(QStringLiteral("neg")), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(key->readCardinal(QStringLiteral("card")), 0xFFFFFFFFu);
    EXPECT_EQ(key->readInt(QStringLiteral("card")), -1);
    EXPECT_EQ(key->readBool(QStringLiteral("yes")), true);
    EXPECT_EQ(key->readSingle(QStringLiteral("tenth")), 0.1f);
    EXPECT_EQ(key->readDouble(QStringLiteral("third")), 1.0 / 3.0);
    EXPECT_EQ(key->readString(QStringLiteral("text")), text);
    EXPECT_EQ(key->readString(QStringLiteral("empty")), QString());
    EXPECT_EQ(key->readInt(QStringLiteral("missing")), std::nullopt);
}

// Values edited by hand (or left by another version) that do not parse as the requested type
// read as absent; numbers outside 32 bits too.
TEST(Registry, ValuesOfTheWrongTypeReadAsAbsent)
{
    QTemporaryDir dir;
    writeText(confIn(dir), "[fileIO]\n"
                           "word=high\n"
                           "blank=\n"
                           "big=4294967296\n"
                           "small=-2147483649\n"
                           "frac=2.5\n"
                           "flag=true\n"
                           "list=a, b\n"
                           "spaced= 42 \n");
    CRegistry store(confIn(dir));
    std::optional<CRegKey> key = store.openKey(kSection, false);
    ASSERT_TRUE(key);
    struct Case
    {
        const char *name;
        std::optional<int32_t> asInt;
        std::optional<bool> asBool;
        std::optional<double> asDouble;
    };
    const Case cases[] = {
        {"word", std::nullopt, std::nullopt, std::nullopt},
        {"blank", std::nullopt, std::nullopt, std::nullopt},
        {"big", std::nullopt, std::nullopt, 4294967296.0},
        {"small", std::nullopt, std::nullopt, -2147483649.0},
        {"frac", std::nullopt, std::nullopt, 2.5},
        {"flag", std::nullopt, true, std::nullopt},
        {"spaced", 42, true, 42.0},
    };
    for (const Case &c : cases) {
        const QString name = QString::fromLatin1(c.name);
        EXPECT_EQ(key->readInt(name), c.asInt) << c.name;
        EXPECT_EQ(key->readBool(name), c.asBool) << c.name;
        EXPECT_EQ(key->readDouble(name), c.asDouble) << c.name;
    }
    EXPECT_EQ(key->readString(QStringLiteral("list")), QStringLiteral("a, b"));
    EXPECT_EQ(key->readString(QStringLiteral("word")), QStringLiteral("high"));
}

TEST(Registry, KeysAreCreatedOnDemandAndKeptInTheFile)
{
    QTemporaryDir dir;
    const QString slot = kRegistryRoot + QStringLiteral("\\penSetting\\airbrush3");
    const QString outside = QStringLiteral("Software\\Other\\Kavrin5\\fileIO");
    {
        CRegistry store(confIn(dir));
        EXPECT_FALSE(store.keyExists(kSection));
        EXPECT_FALSE(store.openKey(kSection, false));
        EXPECT_TRUE(store.openKey(kSection, true));
        EXPECT_TRUE(store.openKey(slot, true));
        EXPECT_FALSE(store.openKey(outside, true));
        EXPECT_FALSE(store.keyExists(outside));
    }
    CRegistry store(confIn(dir));
    EXPECT_TRUE(store.keyExists(kSection));
    EXPECT_TRUE(store.keyExists(slot));
    EXPECT_TRUE(store.keyExists(kRegistryRoot + QStringLiteral("\\penSetting")));
    // The system registry ignores the case of key names.
    EXPECT_TRUE(store.keyExists(QStringLiteral("software\\TREVOLT\\kavrin5\\fileIO")));
    std::optional<CRegKey> key = store.openKey(kSection, false);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->valueNames().isEmpty()) << "the mark of an empty key is not a value";
}

TEST(Registry, ValueNamesDeletionAndRefusedNames)
{
    QTemporaryDir dir;
    CRegistry store(confIn(dir));
    std::optional<CRegKey> key = store.openKey(kSection, true);
    ASSERT_TRUE(key);
    EXPECT_TRUE(key->writeInt(QStringLiteral("b"), 1));
    EXPECT_TRUE(key->writeInt(QStringLiteral("a"), 2));
    EXPECT_EQ(key->valueNames(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_TRUE(key->deleteValue(QStringLiteral("a")));
    EXPECT_FALSE(key->deleteValue(QStringLiteral("a")));
    EXPECT_FALSE(key->valueExists(QStringLiteral("a")));
    EXPECT_EQ(key->valueNames(), QStringList{QStringLiteral("b")});
    // A separator in a value name would reach into another key.
    EXPECT_FALSE(key->writeInt(QStringLiteral("x/y"), 1));
    EXPECT_FALSE(key->writeInt(QStringLiteral("x\\y"), 1));
    EXPECT_FALSE(key->writeInt(QString(), 1));
    EXPECT_FALSE(store.keyExists(kSection + QStringLiteral("\\x")));
}

// When the file cannot be written (here its name is taken by a folder), keys cannot be created,
// writes are refused and flushing reports the failure.
TEST(Registry, AnUnwritableStoreReportsFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Kavrin5.conf")));
    CRegistry store(confIn(dir));
    EXPECT_FALSE(store.isWritable());
    EXPECT_FALSE(store.openKey(kSection, true));
    EXPECT_FALSE(store.flush());
}
