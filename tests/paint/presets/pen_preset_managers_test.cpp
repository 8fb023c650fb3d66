#include "paint/presets/pen_preset_managers.h"

#include "paint/brush/paint_param.h"
#include "paint/paint_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <set>

using enum TPaintMode;

namespace {

// Installs fake set files and dialogs and records the warnings; restores everything after.
class PresetManagerTest : public ::testing::Test
{
  protected:
    void SetUp() override { previousProcs = installPenPresetFileProcs({}); }
    void TearDown() override { installPenPresetFileProcs(previousProcs); }

    MessageRecorder messages;
    QStringList &warnings = messages.warnings;

  private:
    SPenPresetFileProcs previousProcs;
};

std::unique_ptr<CPenShapeObj> nibOfRadius(float r)
{
    SPenShapeData data;
    initPenParam(data.param, r);
    return std::make_unique<CPenShapeObj>(data);
}

TPaintMode modeOf(const CPenMethodObj &m)
{
    TPaintMode mode{};
    EXPECT_TRUE(getPenMethodPaintMode(mode, m));
    return mode;
}

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

} // namespace

TEST_F(PresetManagerTest, CurrentItemModifiedFlagAndNotifications)
{
    CPenShapeMngr mngr;
    int notified = 0;
    mngr.OnChange = [&](CPenShapeMngr &sender) {
        EXPECT_EQ(&sender, &mngr);
        ++notified;
    };
    EXPECT_EQ(mngr.curIndex(), -1);
    EXPECT_EQ(mngr.getCurObj(), nullptr);

    EXPECT_EQ(mngr.appendShape(nibOfRadius(1)), 0);
    EXPECT_EQ(mngr.appendShape(nibOfRadius(2)), 1);
    EXPECT_EQ(mngr.insertShape(0, nibOfRadius(3)), 0);
    EXPECT_EQ(mngr.insertShape(5, nibOfRadius(4)), -1) << "beyond the end";
    EXPECT_EQ(mngr.insertShape(0, nullptr), -1);
    EXPECT_EQ(mngr.count(), 3);
    EXPECT_TRUE(mngr.Modified());
    EXPECT_EQ(notified, 3);
    EXPECT_EQ(+mngr.getObj(0)->penParam.radius, 300);

    mngr.setModified(false);
    notified = 0;
    EXPECT_TRUE(mngr.setCurIndex(2));
    EXPECT_FALSE(mngr.setCurIndex(3));
    EXPECT_EQ(mngr.curIndex(), 2) << "an invalid index keeps the current one";
    EXPECT_EQ(notified, 2) << "notified in any case";
    mngr.setLastPath(QStringLiteral("/a.psh"));
    mngr.setLastPath(QStringLiteral("/a.psh"));
    EXPECT_EQ(notified, 3) << "an unchanged path does not notify";
    EXPECT_FALSE(mngr.Modified());

    // Deleting the current, last item moves the current index to the new last item.
    EXPECT_TRUE(mngr.deleteShape(2));
    EXPECT_EQ(mngr.curIndex(), 1);
    EXPECT_TRUE(mngr.Modified());
    EXPECT_FALSE(mngr.deleteShape(2));
    EXPECT_TRUE(mngr.deleteShape(0));
    EXPECT_TRUE(mngr.deleteShape(0));
    EXPECT_EQ(mngr.curIndex(), -1) << "deleting the only item leaves none";

    ASSERT_EQ(mngr.appendShapeDup(CPenShapeObj()), -1) << "a nib that holds nothing";
    SPenShapeData data;
    initPenParam(data.param, 7);
    EXPECT_EQ(mngr.appendShape(data), 0);
    EXPECT_EQ(mngr.appendShapeDup(*mngr.getObj(0)), 1);
    SPenShapeData out;
    EXPECT_TRUE(mngr.getData(1, out));
    EXPECT_EQ(+out.param.radius, 700);
    EXPECT_FALSE(mngr.getCurData(out));
    EXPECT_EQ(mngr.reset(), 2);
    EXPECT_EQ(mngr.count(), 0);
}

TEST_F(PresetManagerTest, ShortcutSlotsFollowTheList)
{
    CPenMethodMngr mngr;
    for (int i = 0; i < 8; ++i)
        mngr.appendMethod(std::make_unique<CPenMethodObj>());
    int32_t s[5];
    EXPECT_FALSE(mngr.getShortcutIdx(s[0], s[1], s[2], s[3], s[4]));
    mngr.setShortcutIdx(2, 5, 5, 0, 7);

    mngr.insertMethod(5, std::make_unique<CPenMethodObj>());
    ASSERT_TRUE(mngr.getShortcutIdx(s[0], s[1], s[2], s[3], s[4]));
    EXPECT_EQ(std::vector<int32_t>(s, s + 5), (std::vector<int32_t>{2, 5, 5, 0, 8}));

    mngr.deleteMethod(0);
    mngr.getShortcutIdx(s[0], s[1], s[2], s[3], s[4]);
    EXPECT_EQ(std::vector<int32_t>(s, s + 5), (std::vector<int32_t>{1, 4, 4, 0, 7}));

    // Slots stay inside the list as it shrinks.
    for (int i = 0; i < 6; ++i)
        mngr.deleteMethod(mngr.count() - 1);
    mngr.getShortcutIdx(s[0], s[1], s[2], s[3], s[4]);
    EXPECT_EQ(std::vector<int32_t>(s, s + 5), (std::vector<int32_t>{1, 1, 1, 0, 1}));
}

TEST_F(PresetManagerTest, SubIndexAndDefaultEraser)
{
    CPenMethodMngr mngr;
    SPenRenderAttr eraser;
    paintModeToRenderAttr(pmEraser4, eraser);
    SPenRenderAttr pencil;
    paintModeToRenderAttr(pmPencil4, pencil);
    mngr.appendMethod(std::make_unique<CPenMethodObj>(&pencil, nullptr, nullptr));
    mngr.appendMethod(std::make_unique<CPenMethodObj>(&pencil, nullptr, nullptr));
    mngr.appendMethod(std::make_unique<CPenMethodObj>(&eraser, nullptr, nullptr));
    EXPECT_EQ(mngr.findDefaultEraser(), 2);

    int notified = 0;
    mngr.OnChange = [&](CPenMethodMngr &) { ++notified; };
    EXPECT_TRUE(mngr.setSubIndex(1, false));
    EXPECT_EQ(notified, 0) << "a valid index is taken silently";
    EXPECT_EQ(mngr.findDefaultEraser(), 1);
    EXPECT_TRUE(mngr.setSubIndex(9, false)) << "the sub index kept is still valid";
    EXPECT_EQ(mngr.subIndex(), 1);
    EXPECT_EQ(notified, 1);
    EXPECT_TRUE(mngr.setSubIndex(9, true));
    EXPECT_EQ(mngr.subIndex(), 2);
    EXPECT_TRUE(mngr.setSubIndex(-4, true));
    EXPECT_EQ(mngr.subIndex(), 0);

    const int32_t id = mngr.getObj(1)->id();
    int32_t idx = -5;
    EXPECT_EQ(mngr.getObjFromID(id, idx), mngr.getObj(1));
    EXPECT_EQ(idx, 1);
    EXPECT_EQ(mngr.findIndex(-12345), -1);

    mngr.reset();
    EXPECT_FALSE(mngr.isSubIndexValid());
    EXPECT_EQ(mngr.findDefaultEraser(), -1);
    EXPECT_FALSE(mngr.setSubIndex(3, true)) << "nothing to clamp into";
    EXPECT_EQ(mngr.subIndex(), -1);
}

TEST_F(PresetManagerTest, BuiltInNibs)
{
    CPenShapeMngr mngr;
    ASSERT_TRUE(mngr.makeDefault());
    ASSERT_EQ(mngr.count(), 7);
    EXPECT_EQ(mngr.curIndex(), 0);
    struct Row
    {
        eGradeMap curve;
        int32_t flat, radius, min;
    } rows[] = {
        {eGradeMap::GMAP_LINEAR, 1000, 100, 750},   {eGradeMap::GMAP_LINEAR, 1000, 1600, 333},
        {eGradeMap::GMAP_LINEAR, 1000, 1200, 1000}, {eGradeMap::GMAP_LINEAR, 0, 1200, 1000},
        {eGradeMap::GMAP_LINEAR, 0, 3000, 600},     {eGradeMap::GMAP_LINEAR, 0, 1500, 600},
        {eGradeMap::GMAP_CIRCLE, 0, 2500, 600}};
    for (int i = 0; i < 7; ++i) {
        const CPenShapeObj *nib = mngr.getObj(i);
        EXPECT_TRUE(nib->enable);
        EXPECT_EQ(nib->gradMap.mapType, rows[i].curve) << i;
        EXPECT_EQ(+nib->gradMap.flatRate, rows[i].flat) << i;
        EXPECT_EQ(+nib->gradMap.addRate, 0);
        EXPECT_EQ(+nib->penParam.radius, rows[i].radius) << i;
        EXPECT_EQ(+nib->penParam.flatRate, 1000);
        EXPECT_EQ(+nib->penParam.degree, 0);
        EXPECT_EQ(+nib->penParam.radiusMin, rows[i].min) << i;
        EXPECT_FALSE(nib->isAntiOff());
    }
}

TEST_F(PresetManagerTest, BuiltInMethodsCoverTheThirteenModes)
{
    CPenMethodMngr mngr;
    EXPECT_FALSE(mngr.check());
    ASSERT_TRUE(mngr.makeDefault());
    ASSERT_EQ(mngr.count(), 13);
    EXPECT_EQ(mngr.curIndex(), 0);
    EXPECT_TRUE(mngr.check());
    for (int i = 0; i < 13; ++i) {
        const CPenMethodObj &m = *mngr.getObj(i);
        const TPaintMode mode = modeOf(m);
        EXPECT_EQ(mode, TPaintMode(int(pmPencil4) + i)) << "in enumeration order";
        EXPECT_EQ(m.methodName, getPaintModeDefaultName(mode));
        EXPECT_TRUE(m.enable);
        ASSERT_TRUE(m.hasShape());
        EXPECT_EQ(+m.shapeObj->penParam.radius, 100);
        EXPECT_EQ(+m.methodData.strokeParam.smooth, mode >= pmPencil5 ? 2 : 0);
    }
    EXPECT_TRUE(mngr.makeDefault());
    EXPECT_EQ(mngr.count(), 13) << "nothing more to add";

    // Several methods of one mode count once.
    mngr.reset();
    SPenRenderAttr blur;
    paintModeToRenderAttr(pmBlur4, blur);
    mngr.appendMethod(std::make_unique<CPenMethodObj>(&blur, nullptr, nullptr));
    mngr.appendMethod(std::make_unique<CPenMethodObj>(&blur, nullptr, nullptr));
    ASSERT_TRUE(mngr.makeDefault());
    EXPECT_EQ(mngr.count(), 14);
}

// The editors keep no copy inside the manager: they edit a brush and write it back.
TEST_F(PresetManagerTest, EditsGoThroughABrushAndAreWrittenBack)
{
    CPenMethodMngr mngr;
    ASSERT_TRUE(mngr.makeDefault());
    mngr.setModified(false);
    ASSERT_TRUE(mngr.setCurIndex(4));
    bool ok = false;
    TPaintParam brush(mngr.getCurObj(), ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(brush.Mode(), pmBlur4);
    brush.setDensity(0.5f);
    brush.setRadius(20);
    EXPECT_EQ(+mngr.getCurObj()->methodData.strokeParam.opaque, 1000) << "untouched until written";

    ASSERT_TRUE(brush.Write(mngr.getCurObj()));
    mngr.setModified(true);
    EXPECT_EQ(+mngr.getCurObj()->methodData.strokeParam.opaque, 500);
    EXPECT_EQ(+mngr.getCurObj()->shapeObj->penParam.radius, 2000);
    EXPECT_TRUE(mngr.Modified());
}

TEST_F(PresetManagerTest, MethodSetMissingAModeIsCompleted)
{
    SPenPresetFileProcs procs;
    QString readPath;
    procs.readMethodSet = [&](const QString &path, CPenMethodMngr &m, bool append) {
        readPath = path;
        EXPECT_FALSE(append);
        m.reset();
        m.makeDefault();
        m.deleteMethod(6); // pmSpread4
        m.setModified(append);
        return 0;
    };
    installPenPresetFileProcs(procs);

    CPenMethodMngr mngr;
    ASSERT_TRUE(mngr.load(QStringLiteral("/sets/user.pmt"), false));
    EXPECT_EQ(readPath, QStringLiteral("/sets/user.pmt"));
    ASSERT_EQ(mngr.count(), 13);
    EXPECT_EQ(modeOf(*mngr.getObj(12)), pmSpread4) << "the missing mode comes last";
    EXPECT_TRUE(warnings.isEmpty());
}

// A failed read is a failure: warned, answered False, and no built-in set is slipped in.
TEST_F(PresetManagerTest, FailedLoadsAreReported)
{
    SPenPresetFileProcs procs;
    procs.readMethodSet = [](const QString &, CPenMethodMngr &m, bool) {
        m.appendMethod(std::make_unique<CPenMethodObj>());
        return 9;
    };
    procs.readNibSet = [](const QString &, CPenShapeMngr &, bool) { return 16; };
    procs.writeNibSet = [](const QString &, CPenShapeMngr &) { return 8; };
    installPenPresetFileProcs(procs);

    CPenMethodMngr methods;
    EXPECT_FALSE(methods.load(QStringLiteral("/bad.pmt"), false));
    EXPECT_EQ(methods.count(), 1) << "what the reader took stays; no defaults";
    CPenShapeMngr nibs;
    EXPECT_FALSE(nibs.load(QStringLiteral("/bad.psh"), true));
    EXPECT_FALSE(nibs.save(QStringLiteral("/full/disk.psh")));
    EXPECT_EQ(warnings, (QStringList{QStringLiteral("ブラシ集の読み込みに失敗しました! (err=9)"),
                                     QStringLiteral("ペン先集の読み込みに失敗しました! (err=16)"),
                                     QStringLiteral("ペン先集の保存に失敗しました! (err=8)")}));

    // Nothing installed: the files cannot be opened or created.
    installPenPresetFileProcs({});
    warnings.clear();
    EXPECT_FALSE(methods.save(QStringLiteral("/x.pmt")));
    EXPECT_EQ(warnings, QStringList{QStringLiteral("ブラシ集の保存に失敗しました! (err=5)")});
}

TEST_F(PresetManagerTest, DialogsStartAtTheLastPath)
{
    SPenPresetFileProcs procs;
    QList<int> types;
    procs.openDialog = [&](int type, QString &path) {
        types << type;
        if (path.isEmpty())
            return false; // cancelled
        path = QStringLiteral("/chosen.psh");
        return true;
    };
    procs.saveDialog = [&](int type, QString &path) {
        types << type;
        path += QStringLiteral(".new");
        return true;
    };
    QString read, written;
    procs.readNibSet = [&](const QString &p, CPenShapeMngr &, bool) {
        read = p;
        return 0;
    };
    procs.writeMethodSet = [&](const QString &p, CPenMethodMngr &) {
        written = p;
        return 0;
    };
    installPenPresetFileProcs(procs);

    CPenShapeMngr nibs;
    EXPECT_FALSE(nibs.load(false));
    EXPECT_TRUE(read.isEmpty());
    nibs.setLastPath(QStringLiteral("/last.psh"));
    EXPECT_TRUE(nibs.load(true));
    EXPECT_EQ(read, QStringLiteral("/chosen.psh"));
    CPenMethodMngr methods;
    methods.setLastPath(QStringLiteral("/m.pmt"));
    EXPECT_TRUE(methods.save());
    EXPECT_EQ(written, QStringLiteral("/m.pmt.new"));
    EXPECT_EQ(types, (QList<int>{4, 4, 12}));
}

// The default set is searched in the profile's file, the pen folder, then the preset folders;
// the profile follows the search.
TEST_F(PresetManagerTest, DefaultSetSearch)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ProfileScope scope;
    CAppProfile &profile = *scope;
    profile.presetPath = dir.filePath(QStringLiteral("data"));
    profile.appPath = dir.filePath(QStringLiteral("app"));
    profile.penPath = dir.filePath(QStringLiteral("pens"));
    profile.nibFile = dir.filePath(QStringLiteral("gone.psh"));
    const QString presetNibs = dir.filePath(QStringLiteral("data/preset/default.psh"));
    touch(presetNibs);

    QStringList reads;
    SPenPresetFileProcs procs;
    procs.readNibSet = [&](const QString &p, CPenShapeMngr &m, bool) {
        reads << p;
        m.appendShape(nibOfRadius(9));
        m.setLastPath(p);
        return 0;
    };
    procs.readMethodSet = [&](const QString &p, CPenMethodMngr &, bool) {
        reads << p;
        return 12;
    };
    installPenPresetFileProcs(procs);

    CPenShapeMngr nibs;
    ASSERT_TRUE(nibs.loadDefault(true));
    EXPECT_EQ(reads, QStringList{presetNibs});
    EXPECT_EQ(nibs.count(), 1) << "the file's nibs, not the built-in ones";
    EXPECT_EQ(QDir::cleanPath(profile.penPath), QDir::cleanPath(QFileInfo(presetNibs).path()));
    EXPECT_EQ(profile.nibFile, presetNibs);

    // The profile's own file comes first.
    const QString own = dir.filePath(QStringLiteral("own.psh"));
    touch(own);
    profile.nibFile = own;
    reads.clear();
    CPenShapeMngr again;
    ASSERT_TRUE(again.loadDefault(true));
    EXPECT_EQ(reads, QStringList{own});

    // No method file anywhere: the built-in methods, the brush file left where the search ended.
    CPenMethodMngr methods;
    ASSERT_TRUE(methods.loadDefault(true));
    EXPECT_EQ(methods.count(), 13);
    EXPECT_EQ(profile.brushFile, dir.filePath(QStringLiteral("app/preset/default.pmt")));

    // A method file that fails to load: warned, then the built-in set when asked to make one.
    const QString methodFile = dir.filePath(QStringLiteral("pens/default.pmt"));
    touch(methodFile);
    profile.penPath = dir.filePath(QStringLiteral("pens"));
    profile.brushFile.clear();
    CPenMethodMngr broken;
    EXPECT_FALSE(broken.loadDefault(false));
    EXPECT_EQ(broken.count(), 0);
    EXPECT_EQ(warnings.size(), 1);
    EXPECT_TRUE(broken.loadDefault(true));
    EXPECT_EQ(broken.count(), 13);
}

TEST_F(PresetManagerTest, NoNibFileGivesTheBuiltInSet)
{
    QTemporaryDir dir;
    ProfileScope profile;
    gAppProfile->presetPath = dir.filePath(QStringLiteral("data"));
    gAppProfile->appPath = dir.filePath(QStringLiteral("app"));
    gAppProfile->nibFile = QStringLiteral("/nowhere/x.psh");
    CPenShapeMngr nibs;
    nibs.setLastPath(QStringLiteral("/old.psh"));
    EXPECT_FALSE(nibs.loadDefault(false));
    EXPECT_EQ(nibs.count(), 0);
    ASSERT_TRUE(nibs.loadDefault(true));
    EXPECT_EQ(nibs.count(), 7);
    EXPECT_TRUE(gAppProfile->nibFile.isEmpty());
    EXPECT_TRUE(nibs.LastPath().isEmpty());
}
