#include "core/profile/app_profile.h"

#include "platform/system/environment.h"
#include "platform/system/registry.h"
#include "platform/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include "support/packed_value.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

SStartupEnvironment fixedEnvironment()
{
    SStartupEnvironment env;
    env.localeID = 0x0411;
    env.codePage = 932;
    env.osVersion = 601;
    env.rtcFreq = 1e9;
    env.monitorNum = 2;
    env.screenWidth = 1920;
    env.screenHeight = 1080;
    env.appPath = QStringLiteral("/opt/kavrin");
    env.appName = QStringLiteral("kavrin");
    env.tmpPath = QStringLiteral("/tmp");
    env.presetPath = QStringLiteral("/home/u/.local/share/Trevolt/Kavrin5e");
    return env;
}

QString sectionPath(const char *section)
{
    return kRegistryRoot + u'\\' + QLatin1String(section);
}

QByteArray readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Every test works on its own store file in a temporary folder, which is also where
// loadProfile() and saveProfile() look.
class AppProfile : public ::testing::Test
{
  protected:
    QString conf() const { return m_dir.filePath(QStringLiteral("Kavrin5.conf")); }

    CAppProfile loadFrom(const QString &file, bool *allKeys = nullptr)
    {
        CAppProfile p;
        p.loadEnvironment(fixedEnvironment());
        CRegistry store(file);
        const bool ok = p.loadSections(store);
        if (allKeys)
            *allKeys = ok;
        return p;
    }
    CAppProfile load() { return loadFrom(conf()); }

    bool save(CAppProfile &p, const QString &file)
    {
        CRegistry store(file);
        return p.saveSections(store);
    }
    bool save(CAppProfile &p) { return save(p, conf()); }

    // Writes values into one section of the store before a load.
    template <class Fn> void storeValues(const char *section, Fn fn)
    {
        CRegistry store(conf());
        std::optional<CRegKey> key = store.openKey(sectionPath(section), true);
        ASSERT_TRUE(key);
        fn(*key);
        ASSERT_TRUE(store.flush());
    }

    QStringList valueNames(const char *section)
    {
        CRegistry store(conf());
        std::optional<CRegKey> key = store.openKey(sectionPath(section), false);
        return key ? key->valueNames() : QStringList();
    }

    QTemporaryDir m_dir;
    ScopedEnv m_config{"KAVRIN_CONFIG_DIR", m_dir.path().toUtf8()};
};

} // namespace

TEST_F(AppProfile, EmptyStoreGivesTheDefaultsAndCreatesTheKeys)
{
    bool allKeys = false;
    const CAppProfile p = loadFrom(conf(), &allKeys);
    EXPECT_TRUE(allKeys);
    CRegistry store(conf());
    for (const char *section : {"fileIO", "config", "color", "paper", "window", "font"})
        EXPECT_TRUE(store.keyExists(sectionPath(section))) << section;

    EXPECT_EQ(p.langType, eLangType::ltJapanese);
    EXPECT_EQ(p.loadPath, QStringLiteral("/opt/kavrin"));
    EXPECT_EQ(p.gradPath, QStringLiteral("/home/u/.local/share/Trevolt/Kavrin5e/preset"));
    EXPECT_EQ(p.FileIODir, 1u);
    EXPECT_EQ(p.jpegQType, 1);
    EXPECT_EQ(p.jpegQuality, 90);
    EXPECT_EQ(p.psdSaveVer, 6);
    EXPECT_EQ(p.psdSaveFlags, 0);
    EXPECT_EQ(p.appVerID, 0);
    EXPECT_EQ(p.gridSize, (sSize{32, 32}));
    EXPECT_EQ(p.undoMax, 100);
    EXPECT_EQ(p.gradRepCnt, 1);
    EXPECT_EQ(p.opaqueLine, 1.0f);
    EXPECT_EQ(p.GridColor, 0x80000000u);
    EXPECT_EQ(p.EnbAutoSize, 7u);
    EXPECT_TRUE(p.UseLastFile);
    EXPECT_FALSE(p.UseOldShortCut);
    EXPECT_EQ(p.colorFG.all, 0u);
    EXPECT_EQ(p.colorBG.all, 0xFFFFFFu);
    for (const sPaperPreset &row : p.paperSizeTbl) {
        EXPECT_EQ(valueOf(row.unit), 0);
        EXPECT_EQ(valueOf(row.dpi), 72);
        EXPECT_EQ(valueOf(row.w), 640.0f);
        EXPECT_EQ(valueOf(row.h), 480.0f);
        EXPECT_FALSE(row.transparent);
    }
    EXPECT_EQ(p.mainWinPos, (sPos{-1, -1}));
    EXPECT_EQ(p.mainWinSize, (sSize{-1, -1}));
    EXPECT_TRUE(p.mainWinMax);
    EXPECT_EQ(p.FloatFormCount, 0);
    EXPECT_TRUE(p.ToolFormParam.Visible);
    EXPECT_EQ(valueOf(p.ToolFormParam.Width), -1);
    for (int i = 0; i < kDockViewCount; ++i) {
        const TDockFloatViewParam &v = p.viewParam(i);
        EXPECT_EQ(valueOf(v.ParentForm), -1) << i;
        EXPECT_EQ(valueOf(v.ViewIndex), -1) << i;
        EXPECT_TRUE(v.Visible) << i;
        EXPECT_EQ(valueOf(v.Height), -1) << i;
    }
    EXPECT_EQ(valueOf(p.NavigatorContains.cx), -1);
    EXPECT_EQ(valueOf(p.NavigatorContains.cy), -1);
    EXPECT_EQ(p.ColorSampler, 3);
    EXPECT_EQ(p.LoupeMagnification, 2);
    EXPECT_EQ(p.PopToneListSize, (sSize{-1, -1}));
    EXPECT_EQ(p.fontCharset, -1);
    EXPECT_TRUE(p.fontUseFont);
    EXPECT_TRUE(p.fontPreview);
    // Not stored: set by every load, or left as created.
    EXPECT_TRUE(p.EnbLblDrag);
    EXPECT_TRUE(p.EnbLblDblClk);
    EXPECT_FALSE(p.fillCenter);
    EXPECT_TRUE(p.fontText.isEmpty());
}

// Saving the defaults writes every stored value under its name and type: compared with a
// reviewed copy of the whole file.
TEST_F(AppProfile, SavedDefaultsMatchTheReferenceFile)
{
    CAppProfile p = load();
    ASSERT_TRUE(save(p));
    const QString golden = QStringLiteral(KAVRIN_TEST_DATA "/profile/defaults.conf");
    const QByteArray actual = readText(conf());
    const QByteArray expected = readText(golden);
    if (actual != expected) {
        QFile out(golden + QStringLiteral("_actual"));
        if (out.open(QIODevice::WriteOnly))
            out.write(actual);
    }
    EXPECT_EQ(actual.toStdString(), expected.toStdString());
}

TEST_F(AppProfile, LoadingClampsOutOfRangeValues)
{
    struct Case
    {
        const char *section, *name;
        int32_t stored;
        int32_t CAppProfile::*field;
        int32_t want;
    };
    const Case cases[] = {
        {"fileIO", "jpegQuality", 150, &CAppProfile::jpegQuality, 100},
        {"fileIO", "jpegQLow", -5, &CAppProfile::jpegQLow, 0},
        {"fileIO", "jpegValSmooth", 101, &CAppProfile::jpegValSmooth, 100},
        {"fileIO", "jpegQType", 9, &CAppProfile::jpegQType, 4},
        {"fileIO", "psdSaveVer", 1, &CAppProfile::psdSaveVer, 3},
        {"fileIO", "psdSaveVer", 8, &CAppProfile::psdSaveVer, 7},
        {"config", "mouseMBtnFunc", 12, &CAppProfile::mouseMBtnFunc, 10},
        {"config", "mouseMBtnFunc", -1, &CAppProfile::mouseMBtnFunc, 0},
        {"window", "FloatFormCount", 99, &CAppProfile::FloatFormCount, 16},
        {"window", "FloatFormCount", -3, &CAppProfile::FloatFormCount, 0},
    };
    for (const Case &c : cases) {
        storeValues(c.section,
                    [&](CRegKey &key) { key.writeInt(QString::fromLatin1(c.name), c.stored); });
        const CAppProfile p = load();
        EXPECT_EQ(p.*c.field, c.want) << c.name << " stored as " << c.stored;
    }
}

// A stored size is kept between 200 pixels and the screen (1920 x 1080 here); -1 means none.
TEST_F(AppProfile, MainWindowSizeIsKeptOnTheScreen)
{
    struct Case
    {
        int32_t w, h;
        sSize want;
    };
    const Case cases[] = {
        {50, 10, {200, 200}},
        {-1, -1, {-1, -1}},
        {5000, 2000, {1920, 1080}},
        {800, -1, {800, -1}},
    };
    for (const Case &c : cases) {
        storeValues("window", [&](CRegKey &key) {
            key.writeInt(QStringLiteral("mainWinW"), c.w);
            key.writeInt(QStringLiteral("mainWinH"), c.h);
        });
        EXPECT_EQ(load().mainWinSize, c.want) << c.w << " x " << c.h;
    }
}

// A value left in the file by hand or by another version, that is not of the field's type, loads
// as the field's default.
TEST_F(AppProfile, ValuesOfTheWrongTypeLoadAsDefaults)
{
    QFile f(conf());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[config]\n"
            "undoMax=\n"
            "opaquePaint=opaque\n"
            "GridColor=4294967295\n"
            "ShortcutMode=yes\n"
            "[fileIO]\n"
            "jpegQuality=high\n"
            "loadPath=/pictures\n"
            "[color]\n"
            "fgCol=-16777216\n"
            "[window]\n"
            "NavigatorContains=99999999999\n"
            "mainWinMax=0\n");
    f.close();
    const CAppProfile p = load();
    EXPECT_EQ(p.undoMax, 100);
    EXPECT_EQ(p.opaquePaint, 1.0f);
    EXPECT_EQ(p.GridColor, 0xFFFFFFFFu);
    EXPECT_FALSE(p.UseOldShortCut);
    EXPECT_EQ(p.jpegQuality, 90);
    EXPECT_EQ(p.loadPath, QStringLiteral("/pictures"));
    EXPECT_EQ(p.colorFG.all, 0xFF000000u);
    EXPECT_EQ(valueOf(p.NavigatorContains.size), 0xFFFFFFFFu);
    EXPECT_FALSE(p.mainWinMax);
}

TEST_F(AppProfile, PalettePanesAreNumberedOnOverTheForms)
{
    storeValues("window", [](CRegKey &key) {
        key.writeInt(QStringLiteral("FloatFormCount"), 3);
        key.writeInt(QStringLiteral("FloatForm0PaneCount"), 2);
        key.writeInt(QStringLiteral("FloatForm0X"), 10);
        // Form 1 has no pane count: it keeps its values and has no panes.
        key.writeInt(QStringLiteral("FloatForm1X"), 11);
        key.writeInt(QStringLiteral("FloatForm2PaneCount"), 1);
        key.writeBool(QStringLiteral("FloatForm2Visible"), false);
        for (int n = 0; n < 3; ++n)
            key.writeInt(QStringLiteral("FloatPane%1ViewCount").arg(n), 100 + n);
        key.writeInt(QStringLiteral("FloatPane2ParentForm"), 2);
    });
    const CAppProfile p = load();
    ASSERT_EQ(p.FloatFormCount, 3);
    EXPECT_EQ(valueOf(p.FloatForms[0].PaneCount), 2);
    EXPECT_EQ(valueOf(p.FloatForms[0].X), 10);
    EXPECT_TRUE(p.FloatForms[0].Visible);
    EXPECT_EQ(valueOf(p.FloatForms[1].X), 0);
    EXPECT_EQ(valueOf(p.FloatForms[1].PaneCount), 0);
    EXPECT_EQ(valueOf(p.FloatForms[2].PaneCount), 1);
    EXPECT_FALSE(p.FloatForms[2].Visible);
    EXPECT_EQ(valueOf(p.FloatPanes[0].ViewCount), 100);
    EXPECT_EQ(valueOf(p.FloatPanes[1].ViewCount), 101);
    EXPECT_EQ(valueOf(p.FloatPanes[2].ViewCount), 102);
    EXPECT_EQ(valueOf(p.FloatPanes[2].ParentForm), 2);
    EXPECT_EQ(valueOf(p.FloatPanes[0].ActiveView), -1);
    EXPECT_EQ(valueOf(p.FloatPanes[3].ViewCount), 0) << "a pane not read keeps its value";
}

// More forms and panes than the 16 slots: the surplus is ignored on loading and on saving.
TEST_F(AppProfile, PaletteLayoutIsBoundedByItsSlots)
{
    storeValues("window", [](CRegKey &key) {
        key.writeInt(QStringLiteral("FloatFormCount"), 40);
        for (int i = 0; i < 40; ++i)
            key.writeInt(QStringLiteral("FloatForm%1PaneCount").arg(i), 5);
        for (int n = 0; n < 200; ++n)
            key.writeInt(QStringLiteral("FloatPane%1ViewCount").arg(n), n);
    });
    CAppProfile p = load();
    EXPECT_EQ(p.FloatFormCount, 16);
    const int32_t want[] = {5, 5, 5, 1, 0, 0};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(valueOf(p.FloatForms[i].PaneCount), want[i]) << i;
    EXPECT_EQ(valueOf(p.FloatPanes[15].ViewCount), 15);

    p.FloatForms[0].PaneCount = 30;
    ASSERT_TRUE(save(p));
    const CAppProfile again = load();
    EXPECT_EQ(valueOf(again.FloatForms[0].PaneCount), 16);
    EXPECT_EQ(valueOf(again.FloatForms[1].PaneCount), 0);
}

TEST_F(AppProfile, SavingFewerFormsDeletesTheSurplus)
{
    CAppProfile p = load();
    p.FloatFormCount = 3;
    const int32_t panes[] = {2, 1, 2};
    for (int i = 0; i < 3; ++i)
        p.FloatForms[i].PaneCount = panes[i];
    ASSERT_TRUE(save(p));
    EXPECT_TRUE(valueNames("window").contains(QStringLiteral("FloatForm2Height")));
    EXPECT_TRUE(valueNames("window").contains(QStringLiteral("FloatPane4Collapse")));

    p.FloatFormCount = 1;
    ASSERT_TRUE(save(p));
    const QStringList names = valueNames("window");
    for (const QString &name : names) {
        const bool surplusForm = name.startsWith(QStringLiteral("FloatForm1")) ||
                                 name.startsWith(QStringLiteral("FloatForm2"));
        const bool surplusPane = name.startsWith(QStringLiteral("FloatPane")) &&
                                 !name.startsWith(QStringLiteral("FloatPane0")) &&
                                 !name.startsWith(QStringLiteral("FloatPane1"));
        EXPECT_FALSE(surplusForm || surplusPane) << name.toStdString();
    }
    EXPECT_TRUE(names.contains(QStringLiteral("FloatForm0PaneCount")));
    EXPECT_TRUE(names.contains(QStringLiteral("FloatPane1ActiveView")));
    EXPECT_EQ(load().FloatFormCount, 1);
}

// Everything changed in one run comes back in the next one, through the file on disk (loaded
// from a copy at another path, so nothing is shared in memory), and saving it again writes the
// same file.
TEST_F(AppProfile, SaveAndLoadRoundTripThroughTheFile)
{
    CAppProfile p = load();
    p.appVerID = 20;
    p.loadPath = QStringLiteral("/home/u/絵");
    p.gradFile = QStringLiteral("/home/u/grad, old.qgs");
    p.jpegQuality = 77;
    p.jpegUseSmooth = true;
    p.gridSize = {16, 8};
    p.opaqueFont = 0.3f;
    p.GridColor = 0xFF00FF00u;
    p.ToolSubMode = 0x80000001u;
    p.colorFG.all = 0xFF102030u;
    p.paperSizeTbl[5] = {2, 350, 210.5f, 297.25f, true};
    p.mainWinPos = {-8, 12};
    p.mainWinSize = {1280, 1000};
    p.mainWinMax = false;
    p.FloatFormCount = 2;
    p.FloatForms[0] = {1, false, 5, 6, 7, 8};
    p.FloatForms[1] = {2, true, 50, 60, 70, 80};
    p.FloatPanes[0] = {0, 0, 3, 1, true};
    p.FloatPanes[2] = {1, 1, 2, 0, false};
    p.ToolFormParam = {99, false, 1, 2, 3, 4};
    p.LayerViewParam = {1, 0, 2, false, 200, 300};
    p.NavigatorContains.cx = 120;
    p.NavigatorContains.cy = -1;
    p.PopGradListSize = {321, 123};
    p.fontFace = QStringLiteral("MS UI Gothic");
    p.fontStrikeOut = true;
    ASSERT_TRUE(save(p));

    const QByteArray file = readText(conf());
    for (const char *line : {"[fileIO]", "jpegQuality=77", "[paper]", "w5=210.5", "transparent5=1",
                             "GridColor=4278255360", "appVerID=20"})
        EXPECT_TRUE(file.contains(line)) << line;

    QTemporaryDir other;
    const QString copy = other.filePath(QStringLiteral("Kavrin5.conf"));
    ASSERT_TRUE(QFile::copy(conf(), copy));
    CAppProfile q = loadFrom(copy);
    EXPECT_EQ(q.appVerID, 20);
    EXPECT_EQ(q.loadPath, p.loadPath);
    EXPECT_EQ(q.gradFile, p.gradFile);
    EXPECT_EQ(q.jpegQuality, 77);
    EXPECT_TRUE(q.jpegUseSmooth);
    EXPECT_EQ(q.gridSize, p.gridSize);
    EXPECT_EQ(q.opaqueFont, 0.3f);
    EXPECT_EQ(q.GridColor, p.GridColor);
    EXPECT_EQ(q.ToolSubMode, p.ToolSubMode);
    EXPECT_EQ(q.colorFG.all, p.colorFG.all);
    EXPECT_EQ(valueOf(q.paperSizeTbl[5].dpi), 350);
    EXPECT_EQ(valueOf(q.paperSizeTbl[5].h), 297.25f);
    EXPECT_TRUE(q.paperSizeTbl[5].transparent);
    EXPECT_EQ(q.mainWinPos, p.mainWinPos);
    EXPECT_EQ(q.mainWinSize, p.mainWinSize);
    EXPECT_FALSE(q.mainWinMax);
    EXPECT_EQ(q.FloatFormCount, 2);
    EXPECT_EQ(valueOf(q.FloatForms[1].Height), 80);
    EXPECT_FALSE(q.FloatForms[0].Visible);
    EXPECT_TRUE(q.FloatPanes[0].Collapse);
    EXPECT_EQ(valueOf(q.FloatPanes[2].ParentForm), 1);
    EXPECT_EQ(valueOf(q.ToolFormParam.PaneCount), 0) << "the tool window's pane count is not stored";
    EXPECT_EQ(valueOf(q.ToolFormParam.Height), 4);
    EXPECT_EQ(valueOf(q.LayerViewParam.Height), 300);
    EXPECT_FALSE(q.LayerViewParam.Visible);
    EXPECT_EQ(valueOf(q.NavigatorContains.cx), 120);
    EXPECT_EQ(valueOf(q.NavigatorContains.cy), -1);
    EXPECT_EQ(q.PopGradListSize, p.PopGradListSize);
    EXPECT_EQ(q.fontFace, p.fontFace);
    EXPECT_TRUE(q.fontStrikeOut);

    QTemporaryDir third;
    const QString again = third.filePath(QStringLiteral("Kavrin5.conf"));
    ASSERT_TRUE(save(q, again));
    EXPECT_EQ(readText(again).toStdString(), file.toStdString());
}

// psdSaveFlags is loaded but never written: it lasts only as long as the store keeps it.
TEST_F(AppProfile, ReadOnlyValuesAreNotWritten)
{
    storeValues("fileIO", [](CRegKey &key) { key.writeInt(QStringLiteral("psdSaveFlags"), 5); });
    CAppProfile p = load();
    EXPECT_EQ(p.psdSaveFlags, 5);
    p.psdSaveFlags = 9;
    ASSERT_TRUE(save(p));
    EXPECT_EQ(load().psdSaveFlags, 5);
    EXPECT_FALSE(valueNames("fileIO").contains(QStringLiteral("fontText")));
}

TEST_F(AppProfile, OpacityPerToolMode)
{
    using enum TToolMode;
    struct Case
    {
        TToolMode mode;
        float CAppProfile::*field; // nullptr: the mode has no opacity
    };
    const Case cases[] = {
        {TOOL_PEN, &CAppProfile::opaquePaint},
        {TOOL_FILL, &CAppProfile::opaqueSeedFill},
        {TOOL_DRAW, &CAppProfile::opaqueDraw},
        {TOOL_AREAFILL, &CAppProfile::opaqueAreaFill},
        {TOOL_FREELINE, &CAppProfile::opaqueAreaFill},
        {TOOL_LINE, &CAppProfile::opaqueLine},
        {TOOL_TEXT, &CAppProfile::opaqueFont},
        {TOOL_GRAD, &CAppProfile::opaqueGradate},
        {TOOL_ZOOMIN, nullptr},
        {TOOL_SELECT, nullptr},
        {TOOL_MAX_NUM, nullptr},
    };
    for (const Case &c : cases) {
        CAppProfile p = load();
        const CAppProfile before = p;
        p.saveToolOpaque(c.mode, 0.25f);
        if (!c.field) {
            EXPECT_EQ(p.loadToolOpaque(c.mode), 1.0f) << int(c.mode);
            for (const Case &other : cases) {
                if (other.field) {
                    EXPECT_EQ(p.*other.field, before.*other.field) << int(c.mode);
                }
            }
            continue;
        }
        EXPECT_EQ(p.*c.field, 0.25f) << int(c.mode);
        EXPECT_EQ(p.loadToolOpaque(c.mode), 0.25f) << int(c.mode);
    }
}

TEST(AppProfileLanguage, LanguageFromCodePageOrLocale)
{
    struct Case
    {
        uint32_t codePage, localeID;
        eLangType want;
    };
    const Case cases[] = {
        {932, 0x0409, eLangType::ltJapanese}, {1252, 1041, eLangType::ltJapanese},
        {949, 0x0409, eLangType::ltKorean},   {1252, 1042, eLangType::ltKorean},
        {932, 1042, eLangType::ltJapanese},   {1252, 0x0409, eLangType::ltEnglish},
        {936, 0x0804, eLangType::ltEnglish},
    };
    for (const Case &c : cases)
        EXPECT_EQ(langTypeOf(c.codePage, c.localeID), c.want) << c.codePage << " " << c.localeID;
}

// A store that cannot be written (its file name is taken by a folder): every section takes its
// defaults, and saving reports the failure.
TEST_F(AppProfile, AnUnusableStoreGivesDefaultsAndSavingFails)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("Kavrin5.conf")));
    bool allKeys = true;
    CAppProfile p = loadFrom(conf(), &allKeys);
    EXPECT_FALSE(allKeys);
    EXPECT_EQ(p.undoMax, 100);
    EXPECT_EQ(p.gridSize, (sSize{32, 32}));
    EXPECT_EQ(p.opaquePaint, 1.0f);
    EXPECT_EQ(valueOf(p.paperSizeTbl[0].dpi), 72);
    EXPECT_EQ(p.mainWinSize, (sSize{-1, -1}));
    EXPECT_FALSE(save(p));
}

// The process-wide profile: the windows store their state through the installed hooks, main
// window first, before anything is written; the migrated settings version is what is saved.
TEST_F(AppProfile, SaveProfileAsksTheWindowsFirst)
{
    ScopedEnv data("KAVRIN_DATA_DIR", "/srv/presets");
    finaliseAppProfile();
    EXPECT_FALSE(saveProfile());
    EXPECT_FALSE(loadProfile());
    initialiseAppProfile();
    ASSERT_TRUE(loadProfile());
    EXPECT_EQ(gAppProfile->appVerID, 0);
    EXPECT_EQ(gAppProfile->presetPath, QStringLiteral("/srv/presets"));
    EXPECT_EQ(gAppProfile->palPath, QStringLiteral("/srv/presets/preset"));
    gAppProfile->appVerID = 20;

    std::vector<std::string> calls;
    installProfileSaveHooks({
        [&](CAppProfile &p) {
            calls.push_back("main");
            p.mainWinMax = false;
            p.mainWinPos = {30, 40};
        },
        [&](CAppProfile &p) {
            calls.push_back("tool");
            p.FloatFormCount = 1;
            p.FloatForms[0].PaneCount = 1;
            p.brushFile = QStringLiteral("/srv/presets/mine.pmt");
        },
    });
    EXPECT_TRUE(saveProfile());
    installProfileSaveHooks({});
    EXPECT_EQ(calls, (std::vector<std::string>{"main", "tool"}));

    initialiseAppProfile();
    EXPECT_EQ(gAppProfile->appVerID, 0) << "a new profile starts empty";
    ASSERT_TRUE(loadProfile());
    EXPECT_EQ(gAppProfile->appVerID, 20);
    EXPECT_FALSE(gAppProfile->mainWinMax);
    EXPECT_EQ(gAppProfile->mainWinPos, (sPos{30, 40}));
    EXPECT_EQ(gAppProfile->FloatFormCount, 1);
    EXPECT_EQ(gAppProfile->brushFile, QStringLiteral("/srv/presets/mine.pmt"));
    finaliseAppProfile();
    EXPECT_FALSE(gAppProfile);
}
