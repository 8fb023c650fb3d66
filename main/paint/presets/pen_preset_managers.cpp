#include "paint/presets/pen_preset_managers.h"

#include "core/profile/app_profile.h"
#include "paint/brush/paint_param.h"
#include "platform/desktop/messages.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <set>

namespace {

SPenPresetFileProcs &fileProcs()
{
    static SPenPresetFileProcs procs;
    return procs;
}

constexpr int kCannotCreate = 5;
constexpr int kCannotOpen = 6;

void warnLoadFailed(const QString &setName, int code)
{
    showWarning(QStringLiteral("%1の読み込みに失敗しました! (err=%2)").arg(setName).arg(code));
}

void warnSaveFailed(const QString &setName, int code)
{
    showWarning(QStringLiteral("%1の保存に失敗しました! (err=%2)").arg(setName).arg(code));
}

// The built-in nibs: curve, map flat, map add, radius (1/100 px), flat rate, angle, minimum.
struct BuiltInNib
{
    eGradeMap curve;
    int32_t mapFlat, mapAdd, radius, flatRate, degree, radiusMin;
};

constexpr std::array<BuiltInNib, 7> kBuiltInNibs = {{
    {eGradeMap::GMAP_LINEAR, 1000, 0, 100, 1000, 0, 750},
    {eGradeMap::GMAP_LINEAR, 1000, 0, 1600, 1000, 0, 333},
    {eGradeMap::GMAP_LINEAR, 1000, 0, 1200, 1000, 0, 1000},
    {eGradeMap::GMAP_LINEAR, 0, 0, 1200, 1000, 0, 1000},
    {eGradeMap::GMAP_LINEAR, 0, 0, 3000, 1000, 0, 600},
    {eGradeMap::GMAP_LINEAR, 0, 0, 1500, 1000, 0, 600},
    {eGradeMap::GMAP_CIRCLE, 0, 0, 2500, 1000, 0, 600},
}};

// The default-set search: the profile's file, then fileName in the pen folder, then in the
// preset folder's and the application folder's "preset" folder. The profile's pen folder and
// file follow the search, so that they name where it ended. Returns whether the file exists.
bool findDefaultSet(QString CAppProfile::*file, const QString &fileName)
{
    CAppProfile &profile = *gAppProfile;
    if (!(profile.*file).isEmpty() && QFileInfo(profile.*file).isFile())
        return true;
    const QString folders[] = {profile.penPath,
                               QDir(profile.presetPath).filePath(QStringLiteral("preset")),
                               QDir(profile.appPath).filePath(QStringLiteral("preset"))};
    for (const QString &folder : folders) {
        profile.penPath = folder;
        profile.*file = QDir(folder).filePath(fileName);
        if (QFileInfo(profile.*file).isFile())
            return true;
    }
    return false;
}

} // namespace

SPenPresetFileProcs installPenPresetFileProcs(SPenPresetFileProcs procs)
{
    SPenPresetFileProcs previous = std::move(fileProcs());
    fileProcs() = std::move(procs);
    return previous;
}

// ---- CPenShapeMngr

const QString &CPenShapeMngr::setName()
{
    static const QString name = QStringLiteral("ペン先集");
    return name;
}

int32_t CPenShapeMngr::insertShape(int32_t idx, std::unique_ptr<CPenShapeObj> obj)
{
    return insertItem(idx, std::move(obj));
}

int32_t CPenShapeMngr::appendShape(std::unique_ptr<CPenShapeObj> obj)
{
    return insertItem(count(), std::move(obj));
}

int32_t CPenShapeMngr::appendShape(const SPenShapeData &data)
{
    return appendShape(std::make_unique<CPenShapeObj>(data));
}

int32_t CPenShapeMngr::appendShapeDup(const CPenShapeObj &src)
{
    auto copy = std::make_unique<CPenShapeObj>();
    if (!copy->copy(src))
        return -1;
    return appendShape(std::move(copy));
}

bool CPenShapeMngr::deleteShape(int32_t idx)
{
    return deleteItem(idx);
}

bool CPenShapeMngr::getCurData(SPenShapeData &data) const
{
    return getData(m_curIndex, data);
}

bool CPenShapeMngr::getData(int32_t idx, SPenShapeData &data) const
{
    const CPenShapeObj *nib = getObj(idx);
    if (!nib)
        return false;
    data.map = nib->gradMap;
    data.param = nib->penParam;
    data.attr = nib->penAttr;
    return true;
}

int32_t CPenShapeMngr::appendDefaultShapes()
{
    int32_t added = 0;
    for (const BuiltInNib &n : kBuiltInNibs) {
        SPenShapeData data;
        data.map = {n.curve, n.mapFlat, n.mapAdd};
        data.param = {n.radius, n.flatRate, n.degree, n.radiusMin};
        penAttrClear(data.attr);
        if (appendShape(data) >= 0)
            ++added;
    }
    setCurIndex(0);
    return added;
}

bool CPenShapeMngr::makeDefault()
{
    const int32_t added = appendDefaultShapes();
    if (added > 0 && !isValid(m_curIndex))
        setCurIndex(0);
    return added > 0;
}

bool CPenShapeMngr::load(const QString &path, bool append)
{
    const auto &read = fileProcs().readNibSet;
    const int code = read ? read(path, *this, append) : kCannotOpen;
    if (code != 0)
        warnLoadFailed(setName(), code);
    return code == 0;
}

bool CPenShapeMngr::load(bool append)
{
    QString path = FLastPath;
    const auto &dialog = fileProcs().openDialog;
    if (!dialog || !dialog(kFileDialogOpenNibSet, path))
        return false;
    return load(path, append);
}

bool CPenShapeMngr::save(const QString &path)
{
    const auto &write = fileProcs().writeNibSet;
    const int code = write ? write(path, *this) : kCannotCreate;
    if (code != 0)
        warnSaveFailed(setName(), code);
    return code == 0;
}

bool CPenShapeMngr::save()
{
    QString path = FLastPath;
    const auto &dialog = fileProcs().saveDialog;
    if (!dialog || !dialog(kFileDialogSaveNibSet, path))
        return false;
    return save(path);
}

bool CPenShapeMngr::loadDefault(bool make)
{
    if (!gAppProfile)
        return make && makeDefault();
    const bool found = findDefaultSet(&CAppProfile::nibFile, QStringLiteral("default.psh"));
    if (found && load(gAppProfile->nibFile, false))
        return true;
    const bool made = make && makeDefault();
    gAppProfile->nibFile.clear();
    setLastPath(QString());
    return made;
}

// ---- CPenMethodMngr

const QString &CPenMethodMngr::setName()
{
    static const QString name = QStringLiteral("ブラシ集");
    return name;
}

int32_t CPenMethodMngr::reset()
{
    const int32_t n = CPresetListMngr::reset();
    m_subIndex = -1;
    return n;
}

int32_t CPenMethodMngr::insertMethod(int32_t idx, std::unique_ptr<CPenMethodObj> obj)
{
    return insertItem(idx, std::move(obj));
}

int32_t CPenMethodMngr::appendMethod(std::unique_ptr<CPenMethodObj> obj)
{
    return insertItem(count(), std::move(obj));
}

int32_t CPenMethodMngr::appendMethod(const SPenMethodData &mtd, const SPenShapeData *shp,
                                     const QString &name)
{
    auto method = std::make_unique<CPenMethodObj>(mtd);
    method->methodName = name;
    if (shp)
        method->setShape(*shp);
    return appendMethod(std::move(method));
}

int32_t CPenMethodMngr::appendMethodDup(const CPenMethodObj &src)
{
    auto copy = std::make_unique<CPenMethodObj>();
    if (!copy->copy(src))
        return -1;
    return appendMethod(std::move(copy));
}

bool CPenMethodMngr::deleteMethod(int32_t idx)
{
    return deleteItem(idx);
}

void CPenMethodMngr::itemInserted(int32_t idx)
{
    if (!m_bEnbShortcut)
        return;
    for (int32_t &slot : m_shortcutTbl)
        if (slot > idx)
            ++slot;
    clampShortcuts();
}

void CPenMethodMngr::itemDeleted(int32_t idx)
{
    if (!m_bEnbShortcut)
        return;
    for (int32_t &slot : m_shortcutTbl)
        if (slot > idx)
            --slot;
    clampShortcuts();
}

void CPenMethodMngr::clampShortcuts()
{
    const int32_t last = count() - 1;
    for (int32_t &slot : m_shortcutTbl)
        slot = slot > last ? last : slot;
    for (int32_t &slot : m_shortcutTbl)
        slot = slot < 0 ? 0 : slot;
}

bool CPenMethodMngr::setSubIndex(int32_t idx, bool need)
{
    if (isValid(idx)) {
        m_subIndex = idx;
        return true;
    }
    if (need)
        m_subIndex = count() == 0 ? -1 : (idx < 0 ? 0 : count() - 1);
    notify();
    return isSubIndexValid();
}

void CPenMethodMngr::setShortcutIdx(int32_t sc0, int32_t sc1, int32_t sc2, int32_t sc3, int32_t sc4)
{
    m_shortcutTbl = {sc0, sc1, sc2, sc3, sc4};
    m_bEnbShortcut = true;
}

bool CPenMethodMngr::getShortcutIdx(int32_t &sc0, int32_t &sc1, int32_t &sc2, int32_t &sc3,
                                    int32_t &sc4) const
{
    sc0 = m_shortcutTbl[0];
    sc1 = m_shortcutTbl[1];
    sc2 = m_shortcutTbl[2];
    sc3 = m_shortcutTbl[3];
    sc4 = m_shortcutTbl[4];
    return m_bEnbShortcut;
}

int32_t CPenMethodMngr::findIndex(int32_t id) const
{
    for (int32_t i = 0; i < count(); ++i)
        if (m_items[size_t(i)]->id() == id)
            return i;
    return -1;
}

CPenMethodObj *CPenMethodMngr::getObjFromID(int32_t id, int32_t &idx) const
{
    idx = findIndex(id);
    return getObj(idx);
}

int32_t CPenMethodMngr::findDefaultEraser() const
{
    if (isSubIndexValid())
        return m_subIndex;
    for (int32_t i = 0; i < count(); ++i)
        if (m_items[size_t(i)]->methodData.renderAttr.renderMode == ePenRenderMode::PRMODE_Erase)
            return i;
    return -1;
}

namespace {

bool isEngineMode(TPaintMode mode)
{
    const TPaintLevel level = paintModeToLevel(mode);
    return level == TPaintLevel::pl4 || level == TPaintLevel::pl5;
}

constexpr size_t kEngineModeCount = 13;

} // namespace

bool CPenMethodMngr::check() const
{
    std::set<TPaintMode> modes;
    for (const auto &method : m_items) {
        TPaintMode mode{};
        if (getPenMethodPaintMode(mode, *method) && isEngineMode(mode))
            modes.insert(mode);
    }
    return modes.size() == kEngineModeCount;
}

bool CPenMethodMngr::makeDefault()
{
    std::set<TPaintMode> present;
    for (const auto &method : m_items) {
        TPaintMode mode{};
        if (getPenMethodPaintMode(mode, *method))
            present.insert(mode);
    }
    for (int i = 0; i < kPaintModeCount; ++i) {
        const TPaintMode mode = TPaintMode(i);
        if (!isEngineMode(mode) || present.count(mode))
            continue;
        const TPaintParam param(mode);
        auto method = std::make_unique<CPenMethodObj>();
        method->attachShape(std::make_unique<CPenShapeObj>());
        if (!param.Write(method.get()) || appendMethod(std::move(method)) < 0)
            return false;
    }
    const bool complete = check();
    if (complete && !isValid(m_curIndex))
        setCurIndex(0);
    return complete;
}

bool CPenMethodMngr::load(const QString &path, bool append)
{
    const auto &read = fileProcs().readMethodSet;
    const int code = read ? read(path, *this, append) : kCannotOpen;
    if (code != 0) {
        // Reported as a failure: the caller decides whether the built-in methods take over.
        warnLoadFailed(setName(), code);
        return false;
    }
    return check() || makeDefault();
}

bool CPenMethodMngr::load(bool append)
{
    QString path = FLastPath;
    const auto &dialog = fileProcs().openDialog;
    if (!dialog || !dialog(kFileDialogOpenMethodSet, path))
        return false;
    return load(path, append);
}

bool CPenMethodMngr::save(const QString &path)
{
    const auto &write = fileProcs().writeMethodSet;
    const int code = write ? write(path, *this) : kCannotCreate;
    if (code != 0)
        warnSaveFailed(setName(), code);
    return code == 0;
}

bool CPenMethodMngr::save()
{
    QString path = FLastPath;
    const auto &dialog = fileProcs().saveDialog;
    if (!dialog || !dialog(kFileDialogSaveMethodSet, path))
        return false;
    return save(path);
}

bool CPenMethodMngr::loadDefault(bool make)
{
    if (gAppProfile && findDefaultSet(&CAppProfile::brushFile, QStringLiteral("default.pmt")) &&
        load(gAppProfile->brushFile, false))
        return true;
    return make ? makeDefault() : check();
}
