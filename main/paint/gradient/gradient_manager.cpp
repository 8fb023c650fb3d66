#include "paint/gradient/gradient_manager.h"

#include "core/profile/app_profile.h"
#include "core/base/numeric.h"
#include "format/chunk.h"
#include "paint/gradient/gradient_set_file.h"
#include "platform/desktop/messages.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <new>

namespace {

constexpr int32_t kFixOne = 0x10000;

std::unique_ptr<CGradObj> gradientOfStops(std::initializer_list<sRGBA> colours,
                                          std::initializer_list<int32_t> widths)
{
    auto grad = std::make_unique<CGradObj>();
    auto w = widths.begin();
    int32_t i = 0;
    for (const sRGBA &c : colours) {
        grad->crsg->setColor(i++, c, w != widths.end() ? *w++ : 0, 255);
    }
    grad->refresh();
    return grad;
}

QString setMessage(const char *format, int32_t code)
{
    return QString::fromUtf8(format).arg(CGradMngr::setName()).arg(code);
}

} // namespace

sRGBA profileForeStopColor()
{
    if (!gAppProfile) {
        return makeRGBA(0, 0, 0, kCrsKindForeground);
    }
    const sBGRA c = gAppProfile->colorFG;
    return makeRGBA(c.R, c.G, c.B, kCrsKindForeground);
}

sRGBA profileBackStopColor()
{
    if (!gAppProfile) {
        return makeRGBA(255, 255, 255, kCrsKindBackground);
    }
    const sBGRA c = gAppProfile->colorBG;
    return makeRGBA(c.R, c.G, c.B, kCrsKindBackground);
}

SGradAttr profileGradAttr()
{
    SGradAttr a;
    initGradAttr(a);
    if (gAppProfile) {
        a.gradType = uint8_t(clampInt(gAppProfile->gradType, 0, gtMaxNum - 1));
        a.gradMap = uint8_t(clampInt(gAppProfile->gradMap, 0, gmMaxNum - 1));
        a.gradRep = uint8_t(clampInt(gAppProfile->gradRep, 0, grMaxNum - 1));
        a.gradRepCnt = std::max(gAppProfile->gradRepCnt, 1);
    }
    return a;
}

QString CGradMngr::setName()
{
    return QStringLiteral("グラデーション集");
}

QString CGradMngr::specialName()
{
    return QStringLiteral("** 2色固定 **");
}

CGradMngr::CGradMngr(bool sp)
{
    initGradAttr(comAttr);
    useSpecialIndex(sp);
    setCommonAttr(profileGradAttr());
}

CGradMngr::~CGradMngr()
{
    OnChange = nullptr;
}

void CGradMngr::notify()
{
    if (OnChange) {
        OnChange(*this);
    }
}

bool CGradMngr::useSpecialIndex(bool sw)
{
    if (!sw) {
        if (hasSpecialGrad()) {
            m_items.erase(m_items.begin() + specialIdx);
            if (gradIdx > specialIdx || gradIdx >= count()) {
                --gradIdx;
            }
            specialIdx = -1;
        }
        return true;
    }
    if (hasSpecialGrad()) {
        return true;
    }
    auto grad = std::make_unique<CGradObj>(makeRGBA(0, 0, 0, kCrsKindForeground),
                                           makeRGBA(255, 255, 255, kCrsKindOwn), specialName());
    SGradAttr a = profileGradAttr();
    a.enbAttr = false;
    grad->copyGradAttr(a);
    m_items.insert(m_items.begin(), std::move(grad));
    specialIdx = 0;
    if (gradIdx >= 0) {
        ++gradIdx; // the current gradient moved up with the list
    }
    return true;
}

SGradAttr CGradMngr::CommonAttr() const
{
    if (const CGradObj *special = getSpecialGrad()) {
        return special->attr;
    }
    return comAttr;
}

void CGradMngr::setCommonAttr(const SGradAttr &a)
{
    if (!hasSpecialGrad()) {
        comAttr = a;
    }
    SGradAttr common = a;
    common.enbAttr = false;
    for (auto &grad : m_items) {
        if (!grad->attr.enbAttr) {
            grad->copyGradAttr(common);
        }
    }
    saveProfile();
}

void CGradMngr::saveProfile() const
{
    if (!gAppProfile) {
        return;
    }
    const SGradAttr a = CommonAttr();
    gAppProfile->gradType = a.gradType;
    gAppProfile->gradMap = a.gradMap;
    gAppProfile->gradRep = a.gradRep;
    gAppProfile->gradRepCnt = a.gradRepCnt;
}

bool CGradMngr::setColors(sRGBA fore, sRGBA back)
{
    if (m_items.empty()) {
        return false;
    }
    for (auto &grad : m_items) {
        grad->crsg->setColors(fore, back);
    }
    makeModifiedGrad();
    return true;
}

int32_t CGradMngr::reset()
{
    const int32_t old = count();
    m_items.clear();
    specialIdx = -1;
    gradIdx = -1;
    modGrad.reset();
    return old;
}

int32_t CGradMngr::setCurGrad(int32_t n)
{
    if (m_items.empty()) {
        gradIdx = -1;
        modGrad.reset();
        return -1;
    }
    gradIdx = clampInt(n, 0, count() - 1);
    makeModifiedGrad();
    notify();
    return gradIdx;
}

int32_t CGradMngr::appendGrad(sRGBA c0, sRGBA c1)
{
    return appendGrad(std::make_unique<CGradObj>(c0, c1, QString()));
}

int32_t CGradMngr::appendGrad(std::unique_ptr<CGradObj> grad)
{
    if (!grad) {
        return -1;
    }
    try {
        m_items.push_back(std::move(grad));
    } catch (const std::bad_alloc &) {
        return -1;
    }
    setModified(true);
    return count() - 1;
}

int32_t CGradMngr::insertGrad(int32_t idx, std::unique_ptr<CGradObj> grad)
{
    if (!grad || idx <= specialIdx || idx < 0 || idx > count()) {
        return -1;
    }
    try {
        m_items.insert(m_items.begin() + idx, std::move(grad));
    } catch (const std::bad_alloc &) {
        return -1;
    }
    if (gradIdx >= idx) {
        ++gradIdx; // the same gradient, one place higher
    }
    setModified(true);
    return idx;
}

bool CGradMngr::deleteGrad(int32_t idx)
{
    if (!isValidIndex(idx)) {
        return false;
    }
    m_items.erase(m_items.begin() + idx);
    if (idx == specialIdx) {
        specialIdx = -1;
    }
    // The current gradient keeps being current when it stays; a removed current one hands over
    // to the gradient that takes its place, or to the one before it at the end of the list.
    if (gradIdx == idx) {
        gradIdx = std::min(idx, count() - 1);
    } else if (gradIdx > idx) {
        --gradIdx;
    }
    setModified(true);
    return true;
}

int32_t CGradMngr::duplicateGrad(int32_t idx)
{
    const CGradObj *src = getGrad(idx);
    if (!src) {
        return -1;
    }
    return appendGrad(std::make_unique<CGradObj>(*src));
}

CGradObj *CGradMngr::makeModifiedGrad()
{
    if (!modGrad) {
        modGrad = std::make_unique<CGradObj>();
    }
    if (const CGradObj *cur = getActiveGrad()) {
        modGrad->copy(*cur);
    }
    return modGrad.get();
}

bool CGradMngr::changeGradAttr(int32_t idx, const SGradAttr &attr, bool newid)
{
    CGradObj *grad = getGrad(idx);
    if (!grad) {
        return false;
    }
    grad->copyGradAttr(attr);
    if (newid) {
        grad->setNewID();
    }
    if (attr.enbAttr) {
        setModified(true);
    }
    return true;
}

bool CGradMngr::changeModGradAttr(const SGradAttr &attr, bool newid)
{
    if (!modGrad) {
        return false;
    }
    modGrad->copyGradAttr(attr);
    if (newid) {
        modGrad->setNewID();
    }
    return true;
}

bool CGradMngr::changeGradCrsg(int32_t idx, const CColorSlotGroup &crsg, bool newid)
{
    CGradObj *grad = getGrad(idx);
    if (!grad) {
        return false;
    }
    const bool copied = crsg.CopyAll(*grad->crsg);
    if (newid) {
        grad->setNewID();
    }
    setModified(true);
    return copied;
}

void CGradMngr::makeDefault()
{
    const sRGBA black = makeRGBA(0, 0, 0, kCrsKindOwn);
    const sRGBA white = makeRGBA(255, 255, 255, kCrsKindOwn);
    const sRGBA yellow = makeRGBA(255, 255, 0, kCrsKindOwn);
    const sRGBA blue = makeRGBA(0, 0, 255, kCrsKindOwn);
    const sRGBA green = makeRGBA(0, 255, 0, kCrsKindOwn);
    const sRGBA red = makeRGBA(255, 0, 0, kCrsKindOwn);

    std::unique_ptr<CGradObj> defaults[] = {
        gradientOfStops({black, white}, {kFixOne, kFixOne}),
        gradientOfStops({black, yellow}, {kFixOne, kFixOne}),
        gradientOfStops({blue, green, red}, {0x8000, 0x8000, 0x8000}),
        // Three solid bands: zero-width stops give hard edges.
        gradientOfStops({blue, blue, green, green, red, red}, {21845, 0, 21845, 0, 21846, 0}),
    };
    int32_t n = 1;
    for (auto &grad : defaults) {
        grad->setDefaultName(n++);
        appendGrad(std::move(grad));
    }
    if (!isValidIndex(gradIdx)) {
        setCurGrad(0);
    }
}

bool CGradMngr::load(const QString &path, bool append)
{
    const uint8_t code = readGradSetFile(path, *this, append);
    if (code != 0) {
        showWarning(setMessage("%1の読み込みに失敗しました! (err=%2)", code));
    }
    return code == 0;
}

bool CGradMngr::loadDefault(bool make)
{
    CAppProfile *profile = gAppProfile.get();
    QString file = profile ? profile->gradFile : QString();
    bool found = !file.isEmpty() && QFile::exists(file);
    if (!found && profile) {
        const QString folders[] = {
            profile->gradPath,
            QDir(profile->presetPath).filePath(QStringLiteral("preset")),
            QDir(profile->appPath).filePath(QStringLiteral("preset")),
        };
        for (int i = 0; i < 3 && !found; ++i) {
            if (folders[i].isEmpty()) {
                continue;
            }
            profile->gradPath = folders[i];
            profile->gradFile = QDir(folders[i]).filePath(QStringLiteral("default.qgs"));
            found = QFile::exists(profile->gradFile);
        }
        file = profile->gradFile;
    }
    if (found && load(file, false)) {
        return true;
    }
    if (make) {
        makeDefault();
    }
    if (profile) {
        profile->gradFile.clear();
    }
    setLastPath(QString());
    return count() > 0 && make;
}

bool CGradMngr::save(const QString &path)
{
    const uint8_t code = writeGradSetFile(path, *this);
    if (code != 0) {
        showWarning(setMessage("%1の保存に失敗しました! (err=%2)", code));
    }
    return code == 0;
}

void CGradMngr::setModified(bool v)
{
    FModified = v;
    notify();
}

void CGradMngr::setLastPath(const QString &path)
{
    if (path != FLastPath) {
        FLastPath = path;
        notify();
    }
}

SGradSetItems gradSetItems(const CGradMngr &mngr)
{
    SGradSetItems set;
    for (int32_t i = 0; i < mngr.count(); ++i) {
        if (!mngr.isSpecialIdx(i)) {
            set.grads.push_back(mngr.getGrad(i));
        }
    }
    set.hasFixed = mngr.hasSpecialGrad();
    set.fixedCurrent = mngr.isUsingSpecialGrad();
    set.current = std::max(mngr.getGradIdx(), 0);
    if (set.fixedCurrent) {
        set.current = 0;
    } else if (set.hasFixed && set.current > 0) {
        set.current -= 1; // the fixed gradient is not stored, so the others move down one
    }
    return set;
}

uint8_t readGradSetFile(const QString &path, CGradMngr &mngr, bool append)
{
    SGradSetContents set;
    if (const uint8_t code = readGradSetFile(path, set); code != CS_OK) {
        return code;
    }

    const sRGBA fore = profileForeStopColor();
    const sRGBA back = profileBackStopColor();
    if (!append) {
        mngr.reset();
        if (set.version == 1) {
            mngr.appendGrad(fore, back);
        }
    }
    int32_t added = 0;
    for (auto &grad : set.grads) {
        if (mngr.appendGrad(std::move(grad)) >= 0) {
            ++added;
        }
    }
    if (!append) {
        // Version 2 stores the current index among the stored gradients (the fixed gradient is
        // never stored, and a loaded set has none); older versions count one lower.
        int32_t current = 0;
        if (set.version >= 2) {
            current = (set.flags & 1) ? 0 : set.current;
        } else {
            current = (set.flags & 1) ? 0 : set.current + 1;
        }
        mngr.setCurGrad(std::clamp(current, 0, std::max(mngr.count() - 1, 0)));
        mngr.setLastPath(path);
    }
    mngr.setColors(fore, back);
    mngr.setCommonAttr(mngr.CommonAttr());
    mngr.setModified(append);

    const int32_t lost = int32_t(set.announced) - added;
    if (lost > 0) {
        showWarningEx(
            QStringLiteral("%1個の%2が読み込めませんでした！").arg(lost).arg(CGradMngr::setName()),
            nullptr, QString());
    }
    return added > 0 ? CS_OK : CS_ITEM_NOT_ADDED;
}

uint8_t writeGradSetFile(const QString &path, CGradMngr &mngr)
{
    const uint8_t code = writeGradSetFile(path, gradSetItems(mngr));
    if (code == CS_OK) {
        mngr.setLastPath(path);
        mngr.setModified(false);
    }
    return code;
}
