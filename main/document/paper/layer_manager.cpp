#include "document/paper/layer_manager.h"

#include "core/pixel/pixel.h"
#include "document/undo/undo_manager.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

const QString kBadIndexMessage = QStringLiteral(u"不正なレイヤインデックスです!");
const QString kInitFailedMessage = QStringLiteral(u"レイヤの初期化に失敗しました!");
const QString kAddFailedMessage = QStringLiteral(u"レイヤの追加に失敗しました!");
const QString kMoveFailedMessage = QStringLiteral(u"レイヤ移動に失敗しました！");
const QString kUndoFailedMessage =
    QStringLiteral(u"アンドゥに失敗しました!\rすべてのアンドゥはクリアされます!");
const QString kBindResizeFailedMessage =
    QStringLiteral(u"レイヤのサイズ変更失敗により、レイヤ結合ができませんでした！");

constexpr int32_t kMaxGroupLevel = 250;

void putPair(std::vector<uint8_t> &bk, int32_t slot, int32_t index, int32_t link)
{
    const size_t at = size_t(slot) * 4;
    bk[at] = uint8_t(index);
    bk[at + 1] = uint8_t(uint32_t(index) >> 8);
    bk[at + 2] = uint8_t(link);
    bk[at + 3] = uint8_t(uint32_t(link) >> 8);
}

} // namespace

CLayerMngr::CLayerMngr(int32_t limit)
{
    m_list.reserve(size_t(std::max(limit, 0)));
    const int32_t edge = getLayerPreviewMax();
    prevSize = {edge, edge};
}

CLayerMngr::~CLayerMngr() = default;

// ---- list and index

CLayerData *CLayerMngr::getLayer(int32_t idx) const
{
    return chkIndex(idx) ? m_list[size_t(idx)].get() : nullptr;
}

int32_t CLayerMngr::setCurIndex(int32_t idx)
{
    if (chkIndex(idx))
        curIndex = idx;
    return curIndex;
}

void CLayerMngr::chkCurIndex()
{
    if (curIndex >= getLayerCount())
        curIndex = getLayerCount() - 1;
}

void CLayerMngr::fixCurIndexAfterInsert()
{
    if (curIndex < 0 && !m_list.empty())
        curIndex = 0;
    chkCurIndex();
}

void CLayerMngr::renumberIndex()
{
    for (size_t i = 0; i < m_list.size(); ++i)
        m_list[i]->setIndex(int32_t(i));
}

// ---- captions

QString CLayerMngr::makeDefaultCaption(int32_t d) const
{
    return QStringLiteral(u"レイヤ") + QString::number(totalNum + d);
}

bool CLayerMngr::setDefaultCaption(int32_t idx, int32_t d)
{
    if (!chkIndex(idx))
        return false;
    totalNum += d;
    m_list[size_t(idx)]->title = makeDefaultCaption(0);
    return true;
}

bool CLayerMngr::copyCaption(int32_t dst, int32_t src)
{
    if (!chkIndex(dst) || !chkIndex(src))
        return false;
    m_list[size_t(dst)]->title = m_list[size_t(src)]->title;
    return true;
}

// ---- insertion and removal

int32_t CLayerMngr::insertAt(int32_t idx, std::unique_ptr<CLayerData> &ld)
{
    if (!ld)
        return -1;
    try {
        if (!chkIndex(idx))
            idx = getLayerCount();
        m_list.insert(m_list.begin() + idx, std::move(ld));
        return idx;
    } catch (const std::bad_alloc &) {
        return -1;
    }
}

int32_t CLayerMngr::insertLayer(int32_t idx, int32_t w, int32_t h, TLayerMode lm, bool undo,
                                uint8_t trans, bool vis)
{
    if (idx < 0) {
        showWarning(kBadIndexMessage);
        return -1;
    }
    try {
        auto ld = std::make_unique<CLayerData>(idx, undo);
        if (!ld->createLayer(w, h, lm)) {
            showWarning(kInitFailedMessage);
            return -1;
        }
        const int32_t pos = insertAt(idx, ld);
        if (pos < 0) {
            showWarning(kAddFailedMessage);
            return -1;
        }
        CLayerData &nl = *m_list[size_t(pos)];
        nl.trans = trans;
        nl.visible = vis;
        nl.viewSize = wholeSize;
        // A layer put into a clipping group joins it.
        nl.underLyrClip = isClippingOfUpperLayer(pos);
        fixCurIndexAfterInsert();
        renumberIndex();
        return pos;
    } catch (const std::exception &) {
        showWarning(kAddFailedMessage);
        return -1;
    }
}

int32_t CLayerMngr::insertLayer(int32_t idx, std::unique_ptr<CLayerData> &ld)
{
    if (idx < 0) {
        showWarning(kBadIndexMessage);
        return -1;
    }
    const int32_t pos = insertAt(idx, ld);
    if (pos < 0)
        return -1;
    fixCurIndexAfterInsert();
    renumberIndex();
    return pos;
}

bool CLayerMngr::reserve(int32_t extra)
{
    try {
        m_list.reserve(m_list.size() + size_t(std::max(extra, 0)));
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

bool CLayerMngr::deleteLayer(int32_t idx)
{
    if (!deleteAt(idx))
        return false;
    chkCurIndex();
    renumberIndex();
    return true;
}

bool CLayerMngr::deleteAt(int32_t idx)
{
    if (!chkIndex(idx))
        return false;
    m_list.erase(m_list.begin() + idx);
    return true;
}

int32_t CLayerMngr::deleteAll()
{
    const int32_t n = getLayerCount();
    m_list.clear();
    chkCurIndex();
    return n;
}

std::unique_ptr<CLayerData> CLayerMngr::popAt(int32_t idx)
{
    if (!chkIndex(idx))
        return nullptr;
    std::unique_ptr<CLayerData> ld = std::move(m_list[size_t(idx)]);
    m_list.erase(m_list.begin() + idx);
    return ld;
}

std::unique_ptr<CLayerData> CLayerMngr::removeAt(int32_t idx)
{
    std::unique_ptr<CLayerData> ld = popAt(idx);
    if (ld) {
        chkCurIndex();
        renumberIndex();
    }
    return ld;
}

std::unique_ptr<CLayerData> CLayerMngr::replaceLayerData(int32_t idx,
                                                         std::unique_ptr<CLayerData> &ld)
{
    if (!chkIndex(idx) || !ld)
        return nullptr;
    std::unique_ptr<CLayerData> old = std::move(m_list[size_t(idx)]);
    m_list[size_t(idx)] = std::move(ld);
    renumberIndex();
    return old;
}

bool CLayerMngr::swapLayer(int32_t idx0, CLayerMngr &mngr, int32_t idx1, bool renum)
{
    if (!chkIndex(idx0) || !mngr.chkIndex(idx1))
        return false;
    std::swap(m_list[size_t(idx0)], mngr.m_list[size_t(idx1)]);
    renumberIndex();
    if (renum)
        mngr.renumberIndex();
    return true;
}

bool CLayerMngr::copyLayer(int32_t dst, int32_t src)
{
    if (!chkIndex(dst) || !chkIndex(src))
        return false;
    return m_list[size_t(dst)]->copy(*m_list[size_t(src)]);
}

int32_t CLayerMngr::moveLayer(int32_t dst, int32_t src)
{
    if (dst == src || !chkIndex(src))
        return -1;
    dst = std::clamp(dst, 0, getMaxIndex());
    // Rotating the range moves one layer without reallocating.
    if (src < dst)
        std::rotate(m_list.begin() + src, m_list.begin() + src + 1, m_list.begin() + dst + 1);
    else
        std::rotate(m_list.begin() + dst, m_list.begin() + src, m_list.begin() + src + 1);
    renumberIndex();
    return dst;
}

bool CLayerMngr::resizeLayerPreview(int32_t idx)
{
    return resizeLayerPreview(idx, prevSize.x, prevSize.y);
}

bool CLayerMngr::resizeLayerPreview(int32_t idx, int32_t w, int32_t h)
{
    CLayerData *ld = getLayer(idx);
    return ld && ld->resizePreview(w, h);
}

int32_t CLayerMngr::updatePreviewAll()
{
    for (auto &ld : m_list)
        ld->updatePreview();
    return getLayerCount();
}

// ---- visibility

int32_t CLayerMngr::getVisibleCount() const
{
    return int32_t(
        std::count_if(m_list.begin(), m_list.end(), [](const auto &ld) { return ld->visible; }));
}

int32_t CLayerMngr::getFirstVisIndex() const
{
    for (size_t i = 0; i < m_list.size(); ++i)
        if (m_list[i]->visible)
            return int32_t(i);
    return -1;
}

bool CLayerMngr::makeVisBackup(std::vector<uint8_t> &bk) const
{
    if (m_list.empty())
        return false;
    try {
        bk.assign(m_list.size(), 0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    for (size_t i = 0; i < m_list.size(); ++i)
        bk[i] = m_list[i]->visible ? 1 : 0;
    return true;
}

bool CLayerMngr::visFlip()
{
    for (auto &ld : m_list)
        ld->visible = !ld->visible;
    return !m_list.empty();
}

bool CLayerMngr::visAll(bool vis)
{
    for (auto &ld : m_list)
        ld->visible = vis;
    return !m_list.empty();
}

bool CLayerMngr::visOnly(int32_t idx)
{
    if (!chkIndex(idx))
        return false;
    for (size_t i = 0; i < m_list.size(); ++i)
        m_list[i]->visible = int32_t(i) == idx;
    return true;
}

int32_t CLayerMngr::changeVis(int32_t idx, int32_t cnt, bool vis)
{
    if (!chkIndex(idx) || cnt <= 0)
        return 0;
    cnt = std::min(cnt, getLayerCount() - idx);
    for (int32_t i = 0; i < cnt; ++i)
        m_list[size_t(idx + i)]->visible = vis;
    return cnt;
}

// ---- layer groups

bool CLayerMngr::initGroupAry(bool mk)
{
    if (!mk)
        return groupAryBuilt && groupAry.size() == m_list.size();
    try {
        groupAry.resize(m_list.size());
    } catch (const std::bad_alloc &) {
        groupAryBuilt = false;
        return false;
    }
    for (size_t i = 0; i < m_list.size(); ++i)
        groupAry[i] = uint8_t(std::clamp(m_list[i]->groupLevel, 0, kMaxGroupLevel));
    groupAryBuilt = true;
    return true;
}

bool CLayerMngr::groupAryReady(bool mk)
{
    // An array built for another number of layers is as good as none: it would be read past its
    // end or describe other layers.
    return initGroupAry(mk);
}

int32_t CLayerMngr::getMaxGroupLevel()
{
    if (!initGroupAry(true) || groupAry.empty())
        return -1;
    return *std::max_element(groupAry.begin(), groupAry.end());
}

int32_t CLayerMngr::countGroupMember(int32_t idx, bool mk)
{
    if (!chkIndex(idx) || !groupAryReady(mk))
        return -1;
    const uint8_t lv = groupAry[size_t(idx)];
    int32_t n = 0;
    for (size_t i = size_t(idx) + 1; i < groupAry.size() && groupAry[i] > lv; ++i)
        ++n;
    return n;
}

int32_t CLayerMngr::findGroupParent(int32_t idx, int32_t *lvlmax, bool mk)
{
    if (!chkIndex(idx) || !groupAryReady(mk))
        return -1;
    const uint8_t lv = groupAry[size_t(idx)];
    for (int32_t i = idx - 1; i >= 0; --i) {
        if (groupAry[size_t(i)] < lv) {
            if (lvlmax) {
                int32_t m = 0;
                for (int32_t k = i + 1; k <= idx; ++k)
                    m = std::max<int32_t>(m, groupAry[size_t(k)]);
                *lvlmax = m;
            }
            return i;
        }
    }
    return -1;
}

bool CLayerMngr::canGroupIn(int32_t idx, bool mk)
{
    if (!chkIndex(idx) || idx == 0 || !groupAryReady(mk))
        return false;
    const uint8_t maxLevel = *std::max_element(groupAry.begin(), groupAry.end());
    return maxLevel < 249 && groupAry[size_t(idx - 1)] >= groupAry[size_t(idx)];
}

bool CLayerMngr::canGroupOut(int32_t idx, bool mk)
{
    if (!chkIndex(idx) || idx == 0 || !groupAryReady(mk))
        return false;
    return groupAry[size_t(idx)] > 0;
}

bool CLayerMngr::doGroup(int32_t idx, bool in, bool mk)
{
    if (!(in ? canGroupIn(idx, mk) : canGroupOut(idx, mk)))
        return false;
    const int32_t members = countGroupMember(idx, false);
    return modifyGroup(idx, members + 1, in ? 1 : -1, false) > 0;
}

int32_t CLayerMngr::modifyGroup(int32_t idx, int32_t cnt, int32_t d, bool mk)
{
    if (!chkIndex(idx) || cnt <= 0)
        return 0;
    cnt = std::min(cnt, getLayerCount() - idx);
    for (int32_t i = 0; i < cnt; ++i)
        m_list[size_t(idx + i)]->addGroupLevel(d);
    if (mk)
        initGroupAry(true);
    return cnt;
}

bool CLayerMngr::changeGroupLevel(const std::vector<uint8_t> &tbl, int32_t idx, int32_t cnt)
{
    if (!chkIndex(idx) || cnt <= 0 || idx + cnt > getLayerCount() ||
        size_t(idx) + size_t(cnt) > tbl.size())
        return false;
    for (int32_t i = idx; i < idx + cnt; ++i)
        m_list[size_t(i)]->setGroupLevel(tbl[size_t(i)]);
    return true;
}

int32_t CLayerMngr::findGroupVisibleParent(int32_t idx, bool mk)
{
    int32_t p = findGroupParent(idx, nullptr, mk);
    while (p >= 0) {
        if (m_list[size_t(p)]->visible)
            return p;
        p = findGroupParent(p, nullptr, false);
    }
    return -1;
}

bool CLayerMngr::isTopParentVis(int32_t idx, bool mk)
{
    if (idx == 0)
        return false;
    int32_t p = findGroupParent(idx, nullptr, mk);
    if (p < 0)
        return false;
    while (p >= 0) {
        if (!m_list[size_t(p)]->visible)
            return false;
        if (groupAry[size_t(p)] == 0)
            return true;
        p = findGroupParent(p, nullptr, false);
    }
    return false;
}

bool CLayerMngr::canBindBelow(int32_t idx)
{
    if (idx < 1 || idx > getMaxIndex())
        return false;
    if (countGroupMember(idx, true) != 0)
        return false;
    const int32_t lv = levelOf(idx), below = levelOf(idx - 1);
    return below == lv || below == lv - 1;
}

bool CLayerMngr::canMoveLayers(int32_t dst, int32_t src, int32_t cnt, bool mk)
{
    if (!chkIndex(src) || dst < 0 || dst > getLayerCount())
        return false;
    const int32_t members = countGroupMember(src, mk);
    if (members < 0 || cnt != members + 1)
        return false;
    return dst < src || dst > src + cnt;
}

int32_t CLayerMngr::moveLayers(int32_t dst, int32_t src, int32_t cnt)
{
    if (!canMoveLayers(dst, src, cnt, true))
        return -1;
    try {
        // Every step below takes a layer out before it inserts one, so with this room no
        // insertion can fail half-way through the move.
        m_list.reserve(m_list.size() + 1);
        int32_t target = 0;
        if (dst > 0) {
            target = levelOf(dst - 1);
            if (countGroupMember(dst - 1, false) > 0)
                ++target; // right above a head: the group goes inside it
        }
        const int32_t delta = target - levelOf(src);
        int32_t result;
        if (src < dst) {
            for (int32_t k = 0; k < cnt; ++k) {
                std::unique_ptr<CLayerData> ld = std::move(m_list[size_t(src)]);
                m_list.erase(m_list.begin() + src);
                ld->addGroupLevel(delta);
                m_list.insert(m_list.begin() + (dst - 1), std::move(ld));
            }
            result = dst - cnt;
        } else {
            for (int32_t k = 0; k < cnt; ++k) {
                std::unique_ptr<CLayerData> ld = std::move(m_list[size_t(src + k)]);
                m_list.erase(m_list.begin() + src + k);
                ld->addGroupLevel(delta);
                m_list.insert(m_list.begin() + dst + k, std::move(ld));
            }
            result = dst;
        }
        renumberIndex();
        initGroupAry(true);
        return result;
    } catch (const std::exception &) {
        showWarning(kMoveFailedMessage);
        return -1;
    }
}

// ---- link groups

bool CLayerMngr::setLinkIndex(int32_t idx, int32_t index)
{
    if (!chkIndex(idx) || index < 0)
        return false;
    m_list[size_t(idx)]->setLinkIndex(index);
    return true;
}

int32_t CLayerMngr::freeLinkNumber() const
{
    for (int32_t n = 1;; ++n) {
        const bool used = std::any_of(m_list.begin(), m_list.end(),
                                      [n](const auto &ld) { return ld->linkIndex == n; });
        if (!used)
            return n;
    }
}

bool CLayerMngr::linkLayer(int32_t primary, int32_t secondary)
{
    if (!chkIndex(primary) || !chkIndex(secondary) || primary == secondary)
        return false;
    CLayerData &p = *m_list[size_t(primary)];
    if (!isLinked(primary))
        p.linkIndex = freeLinkNumber();
    m_list[size_t(secondary)]->linkIndex = p.linkIndex;
    return true;
}

bool CLayerMngr::unlinkLayer(int32_t primary, int32_t secondary)
{
    if (!isLinked(primary, secondary))
        return false;
    m_list[size_t(secondary)]->unlink();
    if (!isLinked(primary))
        m_list[size_t(primary)]->unlink();
    return true;
}

int32_t CLayerMngr::countLinkLayers(int32_t idx) const
{
    if (!chkIndex(idx))
        return 0;
    const int32_t n = m_list[size_t(idx)]->linkIndex;
    if (n == 0)
        return 0;
    int32_t c = 0;
    for (size_t i = 0; i < m_list.size(); ++i)
        if (int32_t(i) != idx && m_list[i]->linkIndex == n)
            ++c;
    return c;
}

bool CLayerMngr::isLinked(int32_t idx1, int32_t idx2) const
{
    if (!chkIndex(idx1) || !chkIndex(idx2) || idx1 == idx2)
        return false;
    const int32_t n = m_list[size_t(idx1)]->linkIndex;
    return n != 0 && m_list[size_t(idx2)]->linkIndex == n;
}

bool CLayerMngr::makeLinkBackup(int32_t primary, int32_t secondary, std::vector<uint8_t> &bk,
                                int32_t &changeLayerCount) const
{
    if (!chkIndex(primary) || !chkIndex(secondary))
        return false;
    try {
        bk.assign(12, 0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    int32_t n = 0;
    const CLayerData &s = *m_list[size_t(secondary)];
    putPair(bk, n++, secondary, s.linkIndex);
    // When secondary leaves a group of two, the member left behind is alone afterwards.
    if (s.linkIndex != 0 && countLinkLayers(secondary) == 1) {
        for (size_t i = 0; i < m_list.size(); ++i) {
            if (int32_t(i) != secondary && m_list[i]->linkIndex == s.linkIndex) {
                putPair(bk, n++, int32_t(i), m_list[i]->linkIndex);
                break;
            }
        }
    }
    if (!isLinked(primary) && n < 3)
        putPair(bk, n++, primary, m_list[size_t(primary)]->linkIndex);
    changeLayerCount = n;
    return true;
}

bool CLayerMngr::makeUnlinkBackup(int32_t primary, int32_t secondary, std::vector<uint8_t> &bk,
                                  int32_t &changeLayerCount) const
{
    if (!chkIndex(primary) || !chkIndex(secondary))
        return false;
    try {
        bk.assign(8, 0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    int32_t n = 0;
    putPair(bk, n++, secondary, m_list[size_t(secondary)]->linkIndex);
    if (isLinked(primary, secondary) && countLinkLayers(primary) == 1)
        putPair(bk, n++, primary, m_list[size_t(primary)]->linkIndex);
    changeLayerCount = n;
    return true;
}

// ---- clipping groups

int32_t CLayerMngr::countClipMember(int32_t idx) const
{
    if (!chkIndex(idx) || m_list[size_t(idx)]->underLyrClip)
        return 0;
    int32_t n = 0;
    for (size_t i = size_t(idx) + 1; i < m_list.size() && m_list[i]->underLyrClip; ++i)
        ++n;
    return n;
}

int32_t CLayerMngr::getClipParent(int32_t idx) const
{
    if (!chkIndex(idx))
        return -1;
    for (int32_t i = idx; i >= 0; --i)
        if (!m_list[size_t(i)]->underLyrClip)
            return i;
    return 0;
}

bool CLayerMngr::isUnderLayerClip(int32_t idx) const
{
    return chkIndex(idx) && m_list[size_t(idx)]->underLyrClip;
}

bool CLayerMngr::isClippingOfUpperLayer(int32_t idx) const
{
    return isUnderLayerClip(idx + 1);
}

bool CLayerMngr::isClippingGroup(int32_t idx) const
{
    const int32_t base = getClipParent(idx);
    return base >= 0 && !m_list[size_t(base)]->underLyrClip && countClipMember(base) > 0;
}

bool CLayerMngr::releaseClipGroup(int32_t idx)
{
    const int32_t base = getClipParent(idx);
    const int32_t n = countClipMember(base);
    for (int32_t i = 1; i <= n; ++i)
        m_list[size_t(base + i)]->underLyrClip = false;
    return n > 0;
}

std::unique_ptr<CLayerData> CLayerMngr::bindClipGroup(int32_t idx)
{
    const int32_t base = getClipParent(idx);
    if (base < 0) {
        showWarning(kInitFailedMessage);
        return nullptr;
    }
    const CLayerData &bl = *m_list[size_t(base)];
    std::unique_ptr<CLayerData> nl;
    try {
        nl = std::make_unique<CLayerData>(base, false);
        if (!nl->createLayer(bl)) {
            showWarning(kInitFailedMessage);
            return nullptr;
        }
    } catch (const std::exception &) {
        showWarning(kInitFailedMessage);
        return nullptr;
    }
    const int32_t n = countClipMember(base);
    for (int32_t i = 1; i <= n; ++i) {
        const CLayerData &m = *m_list[size_t(base + i)];
        if (!m.visible || !m.imageTC)
            continue;
        // Member pixel p lies at paper p - m.viewPos, the new layer's pixel p - m.viewPos +
        // viewPos.
        nl->imageTC->clipBltBlkTCToLyr(*m.imageTC, m,
                                       {nl->viewPos.x - m.viewPos.x, nl->viewPos.y - m.viewPos.y},
                                       m.imageBox(), false);
    }
    nl->imageTC->shrinkMemory();
    nl->updatePreview();
    return nl;
}

// ---- merging

bool CLayerMngr::bindLayer(int32_t dst, int32_t src, uint32_t ver, bool undo,
                           std::unique_ptr<CLayerData> *oldDst)
{
    // Everything is checked, and the merge done in the copy, before the list changes.
    const uint32_t v = ver & 0xFFFF;
    if (v > 3 || !chkIndex(dst) || !chkIndex(src) || dst == src)
        return false;
    CLayerData &d = *m_list[size_t(dst)];
    CLayerData &s = *m_list[size_t(src)];
    if (!d.imageTC || !s.imageTC)
        return false;
    const sRect rd = d.getLayerRect(), rs = s.getLayerRect();
    const sRect u{std::min(rd.x0, rs.x0), std::min(rd.y0, rs.y0), std::max(rd.x1, rs.x1),
                  std::max(rd.y1, rs.y1)};
    std::unique_ptr<CLayerData> nl =
        d.createResizeLayer({u.x1 - u.x0, u.y1 - u.y0}, {rd.x0 - u.x0, rd.y0 - u.y0});
    if (!nl) {
        showWarning(kBindResizeFailedMessage);
        return false;
    }
    nl->resizePreview(prevSize.x, prevSize.y);
    nl->setUniqueID(d.uniqueID);
    if (ver & 0x20000) {
        nl->copyAttr(d);
    } else {
        nl->title = d.title;
        nl->trans = d.trans;
    }

    // A member of dst's group is seen through dst's opacity.
    const uint8_t srcTrans = s.trans;
    if (nl->groupLevel < s.groupLevel)
        s.trans = uint8_t(mul255(s.trans, nl->trans));
    bool ok;
    if (s.underLyrClip && !nl->underLyrClip) {
        ok = s.trans == 0 ||
             nl->imageTC->clipBltBlkTCToLyr(
                 *s.imageTC, s, {nl->viewPos.x - s.viewPos.x, nl->viewPos.y - s.viewPos.y},
                 s.imageBox(), false);
    } else if (v == 0) {
        ok = nl->mixWith(s);
    } else {
        ok = nl->mixWithEx(s, {nl->viewPos.x - s.viewPos.x, nl->viewPos.y - s.viewPos.y},
                           s.imageBox(), ver);
    }
    s.trans = srcTrans;
    if (!ok)
        return false;

    nl->imageTC->shrinkMemory();
    nl->updatePreview();
    std::unique_ptr<CLayerData> old = replaceLayerData(dst, nl);
    if (undo && oldDst)
        *oldDst = std::move(old);
    return true;
}

// ---- document-wide undo dispatch

bool CLayerMngr::applyUndo(bool redo, CUndoMngrEx &um, int32_t &idx, sRect &rect, udUpdateType &ut)
{
    CUndoData *top = nullptr;
    if (!(redo ? um.getTopRedo(top) : um.getTopUndo(top)))
        return false;
    ut = top->getUpdateType();
    CLayerData *ld = nullptr;
    findLayer(top->layerID, idx, ld);
    if (top->dataType != udDataType::uddtComplex && !ld) {
        // The layer the record belongs to is gone: the record cannot be applied.
        redo ? um.popRedo() : um.popUndo();
        return false;
    }
    sBox box;
    const bool ok = redo ? um.popRedo(idx, ld, box) : um.popUndo(idx, ld, box);
    if (!ok) {
        if (!redo)
            showWarning(kUndoFailedMessage);
        um.cleanAll();
        return false;
    }
    rect = {box.x, box.y, box.x + box.w, box.y + box.h};
    return true;
}

bool CLayerMngr::doUndo(CUndoMngrEx &um, int32_t &idx, sRect &rect, udUpdateType &ut)
{
    return applyUndo(false, um, idx, rect, ut);
}

bool CLayerMngr::doRedo(CUndoMngrEx &um, int32_t &idx, sRect &rect, udUpdateType &ut)
{
    return applyUndo(true, um, idx, rect, ut);
}

bool CLayerMngr::hasUndoMngr() const
{
    return std::any_of(m_list.begin(), m_list.end(), [](const auto &ld) { return ld->hasUndo(); });
}

void CLayerMngr::freeUndoMngrAll()
{
    for (auto &ld : m_list)
        ld->freeUndo();
}

uint64_t CLayerMngr::calcUndoMemSize() const
{
    uint64_t n = 0;
    for (const auto &ld : m_list)
        n += ld->calcUndoMemSize();
    return n;
}

uint32_t CLayerMngr::calcMemSize() const
{
    uint32_t n = 0;
    for (const auto &ld : m_list)
        n += ld->calcMemSize();
    return n;
}

int32_t CLayerMngr::index2id(int32_t idx) const
{
    return chkIndex(idx) ? m_list[size_t(idx)]->uniqueID : -1;
}

int32_t CLayerMngr::findLayer(int32_t id) const
{
    for (size_t i = 0; i < m_list.size(); ++i)
        if (m_list[i]->uniqueID == id)
            return int32_t(i);
    return -1;
}

bool CLayerMngr::findLayer(int32_t id, int32_t &idx, CLayerData *&ld) const
{
    idx = findLayer(id);
    ld = getLayer(idx);
    return ld != nullptr;
}
