#include "paint/tone/tone_manager.h"

#include "core/profile/app_profile.h"
#include "core/image/channel.h"
#include "core/pixel/pixel.h"
#include "core/scale/scale_image.h"
#include "format/chunk.h"
#include "paint/tone/tone_set_file.h"
#include "platform/desktop/messages.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

// The side of the work channel in which dot patterns are drawn.
constexpr int32_t kPatWorkSide = 256;
// Working copies are at most this many pixels on a side.
constexpr int64_t kMaxWorkingSide = 10000;
// The square root of 2 as the Single constant the dot grid starts from.
const float kSqrt2 = std::sqrt(2.0f);

QString setMessage(const char *format, uint8_t code)
{
    return QString::fromUtf8(format).arg(CToneMngr::setName()).arg(code);
}

int32_t zoomedSide(int32_t side, int32_t zoom)
{
    return int32_t(std::clamp<int64_t>(int64_t(zoom) * side / 100, 1, kMaxWorkingSide));
}

} // namespace

// ---- CPatMngrBase

CPatMngrBase::CPatMngrBase() = default;

CPatMngrBase::~CPatMngrBase()
{
    OnChange = nullptr;
    m_items.clear();
    modPat.reset();
}

bool CPatMngrBase::hasCurPat() const
{
    return count() > 0 && isValidIndex(patIdx);
}

CPatObj *CPatMngrBase::getPattern(int32_t idx) const
{
    return isValidIndex(idx) ? m_items[size_t(idx)].get() : nullptr;
}

int32_t CPatMngrBase::reset()
{
    const int32_t old = count();
    m_items.clear();
    patIdx = -1;
    curPat = nullptr;
    notify();
    return old;
}

bool CPatMngrBase::changeName(int32_t idx, const QString &str)
{
    CPatObj *pat = getPattern(idx);
    if (!pat) {
        return false;
    }
    pat->setName(str);
    if (idx == patIdx && modPat) {
        modPat->setName(str);
    }
    setModified(true);
    return true;
}

int32_t CPatMngrBase::setCurPat(int32_t n)
{
    if (m_items.empty()) {
        curPat = nullptr;
        patIdx = -1;
        freeModifiedPattern();
        return -1;
    }
    patIdx = std::clamp(n, 0, count() - 1);
    curPat = m_items[size_t(patIdx)].get();
    makeModifiedPattern();
    return patIdx;
}

int32_t CPatMngrBase::appendPattern(std::unique_ptr<CPatObj> pat)
{
    if (!pat) {
        return -1;
    }
    m_items.push_back(std::move(pat));
    setModified(true);
    return count() - 1;
}

int32_t CPatMngrBase::insertPattern(int32_t idx, std::unique_ptr<CPatObj> pat)
{
    if (!pat || idx < 0 || idx > count()) {
        return -1;
    }
    m_items.insert(m_items.begin() + idx, std::move(pat));
    if (patIdx >= idx) {
        ++patIdx; // the same pattern, one place higher
    }
    setModified(true);
    return idx;
}

bool CPatMngrBase::deletePattern(int32_t idx)
{
    if (!isValidIndex(idx)) {
        return false;
    }
    m_items.erase(m_items.begin() + idx);
    if (patIdx == idx) {
        curPat = nullptr;
        setCurPat(std::min(idx, count() - 1));
    } else if (patIdx > idx) {
        --patIdx; // the same pattern, one place lower
    }
    setModified(true);
    return true;
}

void CPatMngrBase::freeModifiedPattern()
{
    modPat.reset();
    notify();
}

CPatObj *CPatMngrBase::updateModifiedPatParam()
{
    if (modPat && curPat) {
        modPat->setName(curPat->name());
        modPat->ofs = curPat->ofs;
        modPat->zoom = 100;
    }
    notify();
    return modPat.get();
}

void CPatMngrBase::setModified(bool v)
{
    FModified = v;
    notify();
}

void CPatMngrBase::setLastPath(const QString &path)
{
    if (path != FLastPath) {
        FLastPath = path;
        notify();
    }
}

void CPatMngrBase::notify()
{
    if (OnChange) {
        OnChange(*this);
    }
}

// ---- CToneMngr

CToneMngr::CToneMngr()
    : toneMaker(std::make_shared<CToneMaker>()),
      patWork(std::make_unique<TChannel>(kPatWorkSide, kPatWorkSide))
{
}

CToneMngr::~CToneMngr() = default;

QString CToneMngr::setName()
{
    return QStringLiteral("トーン集");
}

CPat8 *CToneMngr::getActiveTone() const
{
    return dynamic_cast<CPat8 *>(curPat);
}

CPat8Tone *CToneMngr::getToneObj(int32_t idx) const
{
    return dynamic_cast<CPat8Tone *>(getPattern(idx));
}

std::unique_ptr<CPat8> CToneMngr::createPattern(float w, float h, int32_t pit, float r)
{
    if (!(w >= 1 && h >= 1 && w <= kMaxWorkingSide && h <= kMaxWorkingSide)) {
        return nullptr;
    }
    auto pat = std::make_unique<CPat8>(int32_t(w), int32_t(h), kPatFlagAlpha);
    if (!patWork->isEnable() || !pat->channel()->isEnable()) {
        return nullptr;
    }
    patWork->PixelFill(0);
    const int32_t start = int32_t(std::trunc(pit * (long double)kSqrt2 / 2));
    patWork->drawPattern(start, start, pat->size.x, pat->size.y, pit, pit, r);
    pat->copyImage(*patWork);
    pat->setEnable(true);
    return pat;
}

std::unique_ptr<CPat8> CToneMngr::createPattern(const TChannel &ch, int32_t zoom,
                                                const sPos *ofs) const
{
    return makePatternOfTile(ch, zoom, ofs);
}

int32_t CToneMngr::appendPattern(float w, float h, int32_t pit, float r)
{
    return appendPattern(createPattern(w, h, pit, r));
}

int32_t CToneMngr::appendPattern(const TChannel &ch, int32_t zoom, const sPos *ofs)
{
    return appendPattern(createPattern(ch, zoom, ofs));
}

std::unique_ptr<CPat8Tone> CToneMngr::createTone(const SToneAttr &attr, bool mk,
                                                 const TChannel *ch) const
{
    return makeScreenTone(attr, toneMaker, mk, ch);
}

int32_t CToneMngr::appendTone(const SToneAttr &attr, bool mk, const TChannel *ch)
{
    return appendPattern(createTone(attr, mk, ch));
}

int32_t CToneMngr::duplicateTone(int32_t idx)
{
    const CPatObj *src = getPattern(idx);
    try {
        if (const auto *tone = dynamic_cast<const CPat8Tone *>(src)) {
            return appendPattern(std::make_unique<CPat8Tone>(*tone));
        }
        if (const auto *pat = dynamic_cast<const CPat8 *>(src)) {
            return appendPattern(std::make_unique<CPat8>(*pat));
        }
    } catch (...) {
    }
    return -1;
}

bool CToneMngr::changeToneAttr(int32_t idx, const SToneAttr &attr, bool newid)
{
    CPat8Tone *tone = getToneObj(idx);
    if (!tone || !tone->build(&attr, toneMaker, true, nullptr)) {
        return false;
    }
    tone->setName(attr.name);
    if (newid) {
        tone->setNewID();
    }
    setModified(true);
    return true;
}

uint8_t CToneMngr::effectScreenTone(int32_t x, int32_t y, uint8_t a) const
{
    if (!modPat) {
        return a;
    }
    const uint8_t v =
        modPat->getValue(int32_t(int64_t(x) + ofsPos.x), int32_t(int64_t(y) + ofsPos.y));
    return uint8_t(mul255(a, v));
}

CPatObj *CToneMngr::makeModifiedPattern()
{
    if (const auto *tone = dynamic_cast<const CPat8Tone *>(curPat)) {
        return makeModifiedScreenTone(*tone);
    }
    if (const auto *pat = dynamic_cast<const CPat8 *>(curPat)) {
        return makeModifiedPlain(*pat);
    }
    freeModifiedPattern();
    return nullptr;
}

CPatObj *CToneMngr::makeModifiedPlain(const CPat8 &cur)
{
    const TChannel &src = *cur.channel();
    if (!src.isEnable()) {
        freeModifiedPattern();
        return nullptr;
    }
    const sSize target{zoomedSide(cur.size.x, cur.zoom), zoomedSide(cur.size.y, cur.zoom)};
    auto *copy = dynamic_cast<CPat8 *>(modPat.get());
    if (!copy || copy->objType == potTone || copy->size != target) {
        modPat.reset();
        auto fresh = std::make_unique<CPat8>(target.x, target.y, kPatFlagAlpha);
        if (!fresh->channel()->isEnable()) {
            freeModifiedPattern();
            return nullptr;
        }
        copy = fresh.get();
        modPat = std::move(fresh);
    }
    if (target == src.FPSZ()) {
        copy->copy(cur);
    } else {
        CScaleImageCH scaler(&src, copy->memCH.get());
        scaler.scale(boxFromSize(src.FPSZ()), boxFromSize(target));
    }
    copy->setEnable(true);
    return updateModifiedPatParam();
}

CPatObj *CToneMngr::makeModifiedScreenTone(const CPat8Tone &cur)
{
    if (!dynamic_cast<CPat8Tone *>(modPat.get())) {
        modPat = std::make_unique<CPat8Tone>();
    }
    auto *copy = static_cast<CPat8Tone *>(modPat.get());
    SToneAttr attr = cur.toneAttr;
    if (cur.zoom != 100) {
        attr.dpi = float((long double)attr.dpi * cur.zoom / 100); // the cells grow with the zoom
    }
    if (!copy->build(&attr, toneMaker, true, nullptr)) {
        // A stale copy would read a maker now holding another tone: strokes go without one.
        freeModifiedPattern();
        return nullptr;
    }
    return updateModifiedPatParam();
}

CPat8 *CToneMngr::makeModifiedTone()
{
    return dynamic_cast<CPat8 *>(makeModifiedPattern());
}

CPatObj *CToneMngr::updateModifiedPatParam()
{
    auto *copy = dynamic_cast<CPat8 *>(modPat.get());
    const auto *cur = dynamic_cast<const CPat8 *>(curPat);
    if (copy && cur) {
        copy->Fnega = cur->Fnega;
    }
    return CPatMngrBase::updateModifiedPatParam();
}

void CToneMngr::makeDefault()
{
    appendPattern(64.0f, 64.0f, 8, 2.0f);
    appendPattern(64.0f, 64.0f, 16, 3.0f);
    if (!isValidIndex(patIdx)) {
        setCurPat(0);
    }
}

bool CToneMngr::load(const QString &path, bool append)
{
    const uint8_t code = readToneSetFile(path, *this, append);
    if (code != 0) {
        showWarning(setMessage("%1の読み込みに失敗しました! (err=%2)", code));
    }
    return code == 0;
}

bool CToneMngr::loadDefault(bool make)
{
    CAppProfile *profile = gAppProfile.get();
    QString file = profile ? profile->toneFile : QString();
    bool found = !file.isEmpty() && QFile::exists(file);
    if (!found && profile) {
        const QString folders[] = {
            profile->tonePath,
            QDir(profile->presetPath).filePath(QStringLiteral("preset")),
            QDir(profile->appPath).filePath(QStringLiteral("preset")),
        };
        for (int i = 0; i < 3 && !found; ++i) {
            if (folders[i].isEmpty()) {
                continue;
            }
            profile->tonePath = folders[i];
            profile->toneFile = QDir(folders[i]).filePath(QStringLiteral("default.qts"));
            found = QFile::exists(profile->toneFile);
        }
        file = profile->toneFile;
    }
    if (found && load(file, false)) {
        return true;
    }
    if (make) {
        makeDefault();
    }
    if (profile) {
        profile->toneFile.clear();
    }
    setLastPath(QString());
    return count() > 0 && make;
}

bool CToneMngr::save(const QString &path)
{
    const uint8_t code = writeToneSetFile(path, *this);
    if (code != 0) {
        showWarning(setMessage("%1の保存に失敗しました! (err=%2)", code));
    }
    return code == 0;
}

SToneSetItems toneSetItems(const CPatMngrBase &mngr)
{
    SToneSetItems set;
    for (int32_t i = 0; i < mngr.count(); ++i) {
        set.patterns.push_back(mngr.getPattern(i));
    }
    set.current = mngr.getPatIdx();
    return set;
}

uint8_t readToneSetFile(const QString &path, CToneMngr &mngr, bool append)
{
    SToneSetContents set;
    if (const uint8_t code = readToneSetFile(path, mngr.getToneMaker(), set); code != CS_OK) {
        return code;
    }
    if (!append) {
        mngr.reset();
    }
    int32_t added = 0;
    for (auto &pat : set.patterns) {
        if (mngr.appendPattern(std::move(pat)) >= 0) {
            ++added;
        }
    }
    if (!append) {
        mngr.setCurPat(std::clamp<int32_t>(set.current, 0, std::max(mngr.count() - 1, 0)));
        mngr.setLastPath(path);
    }
    mngr.setModified(append);
    const int32_t lost = int32_t(set.announced) - added;
    if (lost > 0) {
        showWarningEx(
            QStringLiteral("%1個の%2が読み込めませんでした！").arg(lost).arg(CToneMngr::setName()),
            nullptr, QString());
    }
    return added > 0 ? CS_OK : CS_ITEM_NOT_ADDED;
}

uint8_t writeToneSetFile(const QString &path, CToneMngr &mngr)
{
    const uint8_t code = writeToneSetFile(path, toneSetItems(mngr));
    if (code == CS_OK) {
        mngr.setLastPath(path);
        mngr.setModified(false);
    }
    return code;
}
