#include "app/shortcuts/shortcut_file.h"

#include "app/shortcuts/shortcut_manager.h"
#include "core/profile/app_profile.h"
#include "platform/desktop/keys.h"
#include "platform/scoped_env.h"
#include "shortcut_test_support.h"
#include "support/captured_messages.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using enum TShortCutMainType;
using enum TShortCutSubType;

namespace {

class ShortCutFile : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        mngr.shortCutPath = path("keyConfig.qsl");
        defaults.initShortCutAll();
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    // A file of the given ShortCut elements.
    QString fileOf(const QByteArray &elements, const QString &name = "test.qsl")
    {
        const QString p = path(name);
        writeBytes(p, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ShortCuts>\n" + elements +
                          "</ShortCuts>\n");
        return p;
    }

    static void expectSameEntries(const CShortCutMngr &a, const CShortCutMngr &b)
    {
        ASSERT_EQ(a.count(), b.count());
        for (int i = 0; i < a.count(); ++i) {
            const CShortCutObj &x = *a.getObj(i), &y = *b.getObj(i);
            EXPECT_EQ(x.FCommand, y.FCommand) << i;
            EXPECT_EQ(x.FKey, y.FKey) << i;
            EXPECT_EQ(std::tuple(x.FShift, x.FCtrl, x.FAlt), std::tuple(y.FShift, y.FCtrl, y.FAlt));
            EXPECT_EQ(x.FMainType, y.FMainType) << i;
            EXPECT_EQ(x.FSubType, y.FSubType) << i;
        }
    }

    QTemporaryDir dir;
    CShortCutMngr mngr;
    CShortCutMngr defaults;
    CapturedMessages messages;
};

} // namespace

TEST_F(ShortCutFile, TheDefaultsRoundTripByteForByte)
{
    int status = -1;
    ASSERT_TRUE(writeShortCutFile(path("a.qsl"), defaults, status));
    EXPECT_EQ(status, 0);
    const QByteArray first = fileBytes(path("a.qsl"));
    EXPECT_TRUE(first.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ShortCuts>\n"));
    EXPECT_TRUE(first.contains(
        "    <ShortCut Command=\"16\" Key=\"78\" Shift=\"false\" Ctrl=\"true\" Alt=\"false\"/>\n"));
    EXPECT_TRUE(first.contains(
        "<ShortCut Command=\"1364\" Key=\"78\" Shift=\"true\" Ctrl=\"true\" Alt=\"true\"/>"));
    EXPECT_EQ(first.count("<ShortCut "), defaults.count());

    CShortCutMngr read;
    ASSERT_TRUE(readShortCutFile(path("a.qsl"), read, status));
    EXPECT_EQ(status, 0);
    read.setType();
    expectSameEntries(read, defaults);
    ASSERT_TRUE(writeShortCutFile(path("b.qsl"), read, status));
    EXPECT_EQ(fileBytes(path("b.qsl")), first);
}

TEST_F(ShortCutFile, AMissingFileGivesTheDefaultsSilently)
{
    int status = -1;
    EXPECT_FALSE(readShortCutFile(path("none.qsl"), mngr, status));
    EXPECT_EQ(status, 4);
    EXPECT_TRUE(mngr.load());
    expectSameEntries(mngr, defaults);
    EXPECT_FALSE(mngr.load(path("none.qsl"), mngr));
    expectSameEntries(mngr, defaults);
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(ShortCutFile, BadFilesFailWithStatus9AndLoadTheDefaults)
{
    const QByteArray good = "<ShortCut Command=\"16\" Key=\"81\" Shift=\"false\" Ctrl=\"true\" "
                            "Alt=\"false\"/>\n";
    const struct
    {
        const char *what;
        QByteArray content;
    } cases[] = {
        {"third element without Alt",
         "<?xml version=\"1.0\"?><ShortCuts>" + good + good +
             "<ShortCut Command=\"18\" Key=\"79\" Shift=\"false\" Ctrl=\"true\"/></ShortCuts>"},
        {"a modifier that is no boolean",
         "<ShortCuts><ShortCut Command=\"16\" Key=\"81\" Shift=\"yes\" Ctrl=\"true\" "
         "Alt=\"false\"/></ShortCuts>"},
        {"a key that is no number",
         "<ShortCuts><ShortCut Command=\"16\" Key=\"Q\" Shift=\"false\" Ctrl=\"true\" "
         "Alt=\"false\"/></ShortCuts>"},
        {"an empty command",
         "<ShortCuts><ShortCut Command=\"\" Key=\"81\" Shift=\"false\" Ctrl=\"true\" "
         "Alt=\"false\"/></ShortCuts>"},
        {"not XML", "Command=16 Key=81"},
        {"not well-formed", "<ShortCuts>" + good},
        {"an empty file", ""},
        {"over 1 MiB", "<ShortCuts>" + QByteArray(1024 * 1024, ' ') + good + "</ShortCuts>"},
    };
    for (const auto &c : cases) {
        messages.clear();
        writeBytes(path("bad.qsl"), c.content);
        CShortCutMngr read;
        int status = -1;
        EXPECT_FALSE(readShortCutFile(path("bad.qsl"), read, status)) << c.what;
        EXPECT_EQ(status, 9) << c.what;

        CShortCutMngr loaded;
        EXPECT_FALSE(loaded.load(path("bad.qsl"), loaded)) << c.what;
        expectSameEntries(loaded, defaults);
        EXPECT_EQ(messages.warnings,
                  QStringList{"ショートカット集の読み込みに失敗しました! (err=9)"})
            << c.what;
    }
    // The same through the program's own file.
    messages.clear();
    writeBytes(mngr.shortCutPath, cases[0].content);
    EXPECT_FALSE(mngr.load());
    expectSameEntries(mngr, defaults);
    EXPECT_EQ(messages.warnings.size(), 1);
}

TEST_F(ShortCutFile, BindingsNoTableHoldsAreSkippedAndTheRestLoads)
{
    const QString p = fileOf(
        "<ShortCut Command=\"999\" Key=\"81\" Shift=\"false\" Ctrl=\"true\" Alt=\"false\"/>\n"
        "<ShortCut Command=\"16\" Key=\"81\" Shift=\"FALSE\" Ctrl=\"True\" Alt=\"0\"/>\n"
        "<ShortCut Command=\"0\" Key=\"82\" Shift=\"false\" Ctrl=\"true\" Alt=\"false\"/>\n"
        "<ShortCut Command=\"18\" Key=\"0\" Shift=\"false\" Ctrl=\"true\" Alt=\"false\"/>\n"
        "<ShortCut Command=\"18\" Key=\"300\" Shift=\"false\" Ctrl=\"true\" Alt=\"false\"/>\n"
        "<ShortCut Command=\"18\" Key=\"17\" Shift=\"false\" Ctrl=\"true\" Alt=\"false\"/>\n"
        "<Binding Command=\"512\" Key=\"66\" Shift=\"false\" Ctrl=\"false\" Alt=\"1\"/>\n");
    int status = -1;
    CShortCutMngr read;
    ASSERT_TRUE(readShortCutFile(p, read, status));
    EXPECT_EQ(status, 0);
    ASSERT_EQ(read.count(), 2);
    EXPECT_EQ(read.getCommand(0), 16);
    EXPECT_EQ(read.getKey(0), 'Q');
    EXPECT_EQ(read.getshiftState(0), Qt::ControlModifier);
    EXPECT_EQ(read.getObj(0)->FMainType, smOther); // setType gives the groups
    EXPECT_EQ(read.getCommand(1), 512);            // element names are not checked
    EXPECT_EQ(read.getshiftState(1), Qt::AltModifier);

    // Loading replaces what the list held.
    EXPECT_TRUE(mngr.load(p, defaults));
    EXPECT_EQ(defaults.count(), 2);
    EXPECT_TRUE(messages.warnings.isEmpty());
}

TEST_F(ShortCutFile, NeitherKeylessNorMarkedBindingsAreWritten)
{
    CShortCutMngr view;
    defaults.makeViewList(view);
    view.setDeleteFlag(0, true); // 16, Ctrl+N
    int status = -1;
    ASSERT_TRUE(writeShortCutFile(path("v.qsl"), view, status));
    const QByteArray bytes = fileBytes(path("v.qsl"));
    EXPECT_EQ(bytes.count("<ShortCut "), defaults.count() - 1);
    EXPECT_FALSE(bytes.contains("Command=\"16\""));
    EXPECT_FALSE(bytes.contains("Command=\"24\"")); // 復帰 has no key

    // Read back, the view list has one empty row for each keyless command again.
    CShortCutMngr read, again;
    ASSERT_TRUE(readShortCutFile(path("v.qsl"), read, status));
    read.makeViewList(again);
    EXPECT_EQ(again.count(), view.count());
    EXPECT_EQ(again.getCommand(0), 16);
    EXPECT_EQ(again.getKey(0), 0);
}

TEST_F(ShortCutFile, AFailedSaveWarnsAndKeepsTheOldFile)
{
    const QString folder = path("presets");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString target = QDir(folder).filePath("keyConfig.qsl");
    ASSERT_TRUE(writeBytes(target, "old"));
    bool saved = true;
    int status = -1;
    {
        ScopedUnwritableFolder unwritable(folder);
        EXPECT_FALSE(writeShortCutFile(target, defaults, status));
        saved = defaults.save(target, defaults);
    }
    EXPECT_EQ(status, 8);
    EXPECT_FALSE(saved);
    EXPECT_EQ(messages.warnings, QStringList{"ショートカット集の保存に失敗しました! (err=8)"});
    EXPECT_EQ(fileBytes(target), "old");
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"keyConfig.qsl"});
}

TEST_F(ShortCutFile, TheFileLivesInThePresetFolder)
{
    std::unique_ptr<CAppProfile> saved = std::move(gAppProfile);
    const ScopedEnv data("KAVRIN_DATA_DIR", QFile::encodeName(path("data")));
    EXPECT_EQ(CShortCutMngr().shortCutPath, path("data/keyConfig.qsl")); // no profile yet
    gAppProfile = std::make_unique<CAppProfile>();
    EXPECT_EQ(CShortCutMngr().shortCutPath, path("data/keyConfig.qsl")); // not loaded yet
    gAppProfile->presetPath = path("presets");
    EXPECT_EQ(CShortCutMngr().shortCutPath, path("presets/keyConfig.qsl"));
    gAppProfile = std::move(saved);
}

TEST_F(ShortCutFile, SaveMakesThePresetFolder)
{
    mngr.shortCutPath = path("a/b/keyConfig.qsl");
    mngr.initShortCutAll();
    EXPECT_TRUE(mngr.save());
    CShortCutMngr read;
    read.shortCutPath = mngr.shortCutPath;
    EXPECT_TRUE(read.load());
    read.setType();
    expectSameEntries(read, defaults);
}

TEST_F(ShortCutFile, ImportAndExportGoThroughTheFileDialog)
{
    defaults.shortCutPath = mngr.shortCutPath;
    defaults.setDeleteFlag(0, true);
    {
        ScopedShortCutFileDialog dialog(path("export.qsl"));
        EXPECT_TRUE(defaults.doExport());
        EXPECT_EQ(dialog.kinds, QList<TOpenFilterType>{ofShortCutW});
        EXPECT_EQ(dialog.defaultNames, QStringList{mngr.shortCutPath});
    }
    EXPECT_FALSE(fileBytes(path("export.qsl")).contains("Command=\"16\""));
    {
        ScopedShortCutFileDialog dialog(path("export.qsl"));
        EXPECT_TRUE(mngr.doImport(mngr));
        EXPECT_EQ(dialog.kinds, QList<TOpenFilterType>{ofShortCutR});
    }
    EXPECT_EQ(mngr.count(), defaults.count() - 1);
    {
        ScopedShortCutFileDialog cancelled{QString()};
        EXPECT_FALSE(mngr.doImport(mngr));
        EXPECT_EQ(mngr.count(), 0);
        EXPECT_FALSE(defaults.doExport());
    }
    EXPECT_TRUE(messages.warnings.isEmpty());
}
