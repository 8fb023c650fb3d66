#include "paint/gradient/gradient_stops.h"

#include "core/base/numeric.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

constexpr int32_t kFixOne = 0x10000;

// The colour as the evaluator sees it: R, G, B and the stop's opacity in place of the kind byte.
sRGBA stopColor(const sCRSlot &s)
{
    sRGBA c = s.col;
    c.A = s.opaque;
    return c;
}

// c0 + floor(a * (c1 - c0) / 65536) for one byte; a is a 16.16 fraction in 0..1.
uint8_t blendByte(uint8_t c0, uint8_t c1, int32_t a)
{
    // The signed product shifted arithmetically is the floor the blend asks for.
    return uint8_t(int64_t(c0) + ((int64_t(a) * (int32_t(c1) - int32_t(c0))) >> 16));
}

int32_t gGradObjIdCounter = 0;

} // namespace

void initGradAttr(SGradAttr &attr)
{
    attr = SGradAttr{};
}

sCRSlot emptyCrSlot(int32_t idx)
{
    sCRSlot s;
    s.union_ = 1;
    s.opaque = 255;
    s.id = idx;
    s.col.all = 0;
    s.col.A = kCrsKindOwn;
    return s;
}

// ---------------------------------------------------------------------------------------------
// CColorSlotGroup

CColorSlotGroup::CColorSlotGroup(int32_t gr)
{
    growNum = std::max(gr, 4);
    reset(0);
}

void CColorSlotGroup::reset(int32_t gr)
{
    if (gr > 0) {
        growNum = std::max(gr, 4);
    }
    slotList.clear();
    slotList.shrink_to_fit();
    slotMaxIdx = -1;
    widthSum = 0;
    topIdx = endIdx = -1;
    enbNum = 0;
    name = QStringLiteral("untitled");
    reserveSlots(growNum);
}

bool CColorSlotGroup::reserveSlots(int32_t count)
{
    const int32_t old = capacity();
    if (count <= old) {
        return true;
    }
    if (count > kCrsMaxSlots) {
        return false;
    }
    const int32_t steps = (count + growNum - 1) / growNum;
    const int32_t newCap = std::min(steps * growNum, kCrsMaxSlots);
    try {
        slotList.reserve(size_t(newCap));
    } catch (const std::bad_alloc &) {
        return false;
    }
    for (int32_t i = old; i < newCap; ++i) {
        slotList.push_back(emptyCrSlot(i));
    }
    return true;
}

bool CColorSlotGroup::setColor(int32_t idx, const sCRSlot &s)
{
    if (idx < 0 || idx + 1 > kCrsMaxSlots || !reserveSlots(idx + 1)) {
        return false;
    }
    slot(idx) = s;
    slotMaxIdx = std::max(slotMaxIdx, idx);
    return true;
}

bool CColorSlotGroup::setColor(int32_t idx, sRGBA c, int32_t w, uint8_t a)
{
    sCRSlot s;
    s.enable = 1;
    s.used = 1;
    s.union_ = 1; // defined bytes for the files: as an empty slot has them
    s.opaque = a;
    s.id = idx;
    s.col = c;
    s.width = w;
    return setColor(idx, s);
}

bool CColorSlotGroup::setColors(sRGBA f, sRGBA b)
{
    if (slotMaxIdx + 1 < 2) {
        return false;
    }
    for (int32_t i = 0; i <= slotMaxIdx; ++i) {
        sCRSlot &s = slot(i);
        const sRGBA *from = s.col.A == kCrsKindForeground   ? &f
                            : s.col.A == kCrsKindBackground ? &b
                                                            : nullptr;
        if (from) {
            s.col.R = from->R;
            s.col.G = from->G;
            s.col.B = from->B;
        }
    }
    refresh();
    return true;
}

bool CColorSlotGroup::getSlotImage(const uint8_t *&data, int32_t &bytes) const
{
    if (slotMaxIdx < 0) {
        data = nullptr;
        bytes = 0;
        return false;
    }
    data = reinterpret_cast<const uint8_t *>(slotList.data());
    bytes = (slotMaxIdx + 1) * int32_t(sizeof(sCRSlot));
    return true;
}

const sCRSlot *CColorSlotGroup::getSlot(int32_t idx) const
{
    return idx >= 0 && idx <= slotMaxIdx ? &slot(idx) : nullptr;
}

int32_t CColorSlotGroup::findNext(int32_t idx) const
{
    if (idx < 0 || idx > slotMaxIdx) {
        return -1;
    }
    for (int32_t i = idx + 1; i <= slotMaxIdx; ++i) {
        if (isSlotEnabled(slot(i))) {
            return i;
        }
    }
    return -1;
}

int32_t CColorSlotGroup::findPrev(int32_t idx) const
{
    if (idx < 0 || idx > slotMaxIdx) {
        return -1;
    }
    for (int32_t i = idx - 1; i >= 0; --i) {
        if (isSlotEnabled(slot(i))) {
            return i;
        }
    }
    return -1;
}

void CColorSlotGroup::recomputeEnds()
{
    topIdx = endIdx = -1;
    for (int32_t i = 0; i <= slotMaxIdx; ++i) {
        if (isSlotEnabled(slot(i))) {
            if (topIdx < 0) {
                topIdx = i;
            }
            endIdx = i;
        }
    }
}

bool CColorSlotGroup::refresh()
{
    recomputeEnds();
    enbNum = 0;
    widthSum = 0;
    if (topIdx < 0) {
        return false;
    }
    if (topIdx == endIdx) {
        enbNum = 1;
        widthSum = kFixOne;
        slot(topIdx).left = 0;
        slot(topIdx).rate = kFixOne;
        return true;
    }
    int32_t count = 0;
    int64_t sum = 0;
    bool negative = false;
    for (int32_t i = topIdx; i < endIdx; i = findNext(i)) {
        ++count;
        sum += slot(i).width;
        negative |= slot(i).width < 0;
    }
    // A layout needs a positive total of widths that run forwards; a total that does not fit an
    // Integer has no 16.16 rates either. Such a group stays unrefreshed (enbNum 0), so the
    // evaluator and the writer refuse it.
    if (negative || sum <= 0 || sum > INT32_MAX) {
        return false;
    }
    enbNum = count + 1;
    widthSum = int32_t(sum);
    int32_t t = 0;
    for (int32_t i = topIdx; i < endIdx; i = findNext(i)) {
        sCRSlot &s = slot(i);
        s.left = t;
        s.rate = fixDiv(s.width, widthSum);
        t += s.rate;
    }
    slot(endIdx).left = kFixOne;
    slot(endIdx).rate = 0;
    return true;
}

bool CColorSlotGroup::isRefreshed() const
{
    return enbNum > 0 && topIdx >= 0 && topIdx <= slotMaxIdx && endIdx >= 0 && endIdx <= slotMaxIdx;
}

bool CColorSlotGroup::isPacked() const
{
    if (!isRefreshed()) {
        return false;
    }
    for (int32_t i = 0; i <= slotMaxIdx; ++i) {
        if (!isSlotEnabled(slot(i))) {
            return false;
        }
    }
    return true;
}

std::unique_ptr<CColorSlotGroup> CColorSlotGroup::makePacked() const
{
    CColorSlotGroup probe(*this);
    if (!probe.refresh()) {
        return nullptr;
    }
    auto packed = std::make_unique<CColorSlotGroup>(growNum);
    packed->name = name;
    int32_t n = 0;
    for (int32_t i = probe.topIdx; i >= 0; i = probe.findNext(i)) {
        if (!packed->setColor(n++, slot(i))) {
            return nullptr;
        }
    }
    packed->refresh();
    return packed;
}

bool CColorSlotGroup::compare(const CColorSlotGroup &obj) const
{
    if (!isRefreshed() || !obj.isRefreshed() || slotMaxIdx != obj.slotMaxIdx) {
        return false;
    }
    return std::memcmp(slotList.data(), obj.slotList.data(),
                       size_t(slotMaxIdx + 1) * sizeof(sCRSlot)) == 0;
}

bool CColorSlotGroup::CopyAll(CColorSlotGroup &dst) const
{
    if (!isPacked()) {
        return false;
    }
    if (&dst == this) {
        return true;
    }
    // The result is the one of deleting dst's inner stops and storing ours over them: dst holds
    // exactly our stops afterwards, in slots of its own capacity step.
    CColorSlotGroup copy(dst.growNum);
    copy.name = name;
    for (int32_t i = 0; i <= slotMaxIdx; ++i) {
        if (!copy.setColor(i, slot(i))) {
            return false;
        }
    }
    copy.refresh();
    dst = std::move(copy);
    return true;
}

sRGBA CColorSlotGroup::getColor(int32_t n) const
{
    if (enbNum > 1 && n > 0 && n < kFixOne) {
        const int32_t last = std::min(enbNum - 2, slotMaxIdx - 1);
        for (int32_t i = 0; i <= last; ++i) {
            const sCRSlot &s0 = slot(i);
            if (int64_t(s0.left) + s0.rate >= n) {
                const sCRSlot &s1 = slot(i + 1);
                const int32_t a = s0.rate > 0 ? fixDiv(n - s0.left, s0.rate) : kFixOne;
                sRGBA c;
                c.R = blendByte(s0.col.R, s1.col.R, a);
                c.G = blendByte(s0.col.G, s1.col.G, a);
                c.B = blendByte(s0.col.B, s1.col.B, a);
                c.A = blendByte(s0.opaque, s1.opaque, a);
                return c;
            }
        }
    }
    if (enbNum > 1 && n > 0 && endIdx >= 0) {
        return stopColor(slot(endIdx));
    }
    return stopColor(slot(0));
}

int32_t CColorSlotGroup::getWidth(int32_t idx) const
{
    return inStopRange(idx) ? slot(idx).width : 0;
}

int32_t CColorSlotGroup::getLeft(int32_t idx) const
{
    return inStopRange(idx) ? slot(idx).left : 0;
}

void CColorSlotGroup::setWidth(int32_t idx, int32_t w)
{
    if (inStopRange(idx)) {
        slot(idx).width = w;
    }
}

void CColorSlotGroup::setLeft(int32_t idx, int32_t fx)
{
    if (inStopRange(idx)) {
        slot(idx).left = fx;
    }
}

sRGBA CColorSlotGroup::getSlotColor(int32_t idx) const
{
    if (!inStopRange(idx)) {
        return sRGBA{};
    }
    return stopColor(slot(idx));
}

void CColorSlotGroup::setSlotColor(int32_t idx, sRGBA c, bool trans)
{
    if (!inStopRange(idx)) {
        return;
    }
    sCRSlot &s = slot(idx);
    s.opaque = trans ? c.A : 255;
    s.col = c;
    s.col.A = kCrsKindOwn;
}

void CColorSlotGroup::normaliseWidths()
{
    // The editing operations below set widths from 16.16 positions. A group whose widths are in
    // another unit (any unit is valid in a file) first takes its 16.16 rates as widths, so that
    // the widths it keeps and the ones an edit sets are in one unit.
    if (widthSum == kFixOne || !isRefreshed()) {
        return;
    }
    for (int32_t i = topIdx; i >= 0 && i < endIdx; i = findNext(i)) {
        slot(i).width = slot(i).rate;
    }
    refresh();
}

bool CColorSlotGroup::changeLeft(int32_t idx, int32_t fx)
{
    if (!inStopRange(idx) || !isSlotEnabled(slot(idx))) {
        return false;
    }
    const int32_t prev = findPrev(idx);
    const int32_t next = findNext(idx);
    if (prev < 0 || next < 0) {
        return false;
    }
    normaliseWidths();
    // A stop stays between its neighbours: a negative width would run the layout backwards.
    const int32_t lo = slot(prev).left;
    const int32_t hi = std::max(lo, slot(next).left);
    slot(idx).left = clampInt(fx, lo, hi);
    slot(prev).width = slot(idx).left - lo;
    slot(idx).width = slot(next).left - slot(idx).left;
    // Always recomputed: even when the two widths keep their sum, the rates of both segments
    // change with the stop.
    refresh();
    return true;
}

int32_t CColorSlotGroup::getPrevIdx_Pos(int32_t fx) const
{
    for (int32_t i = topIdx; i >= 0; i = findNext(i)) {
        if (slot(i).left >= fx) {
            return std::max(i - 1, 0);
        }
    }
    return topIdx;
}

int32_t CColorSlotGroup::getNextIdx_Pos(int32_t fx) const
{
    for (int32_t i = topIdx; i >= 0; i = findNext(i)) {
        if (slot(i).left >= fx) {
            return i;
        }
    }
    return endIdx;
}

int32_t CColorSlotGroup::getNearIdx_Pos(int32_t fx) const
{
    const int32_t p = getPrevIdx_Pos(fx);
    const int32_t q = findNext(p);
    if (q >= 0 && int64_t(fx) - getLeft(p) >= int64_t(getLeft(q)) - fx) {
        return q;
    }
    return p;
}

bool CColorSlotGroup::getIdxRange(int32_t fromFx, int32_t toFx, int32_t &fromIdx,
                                  int32_t &toIdx) const
{
    fromIdx = endIdx;
    toIdx = topIdx;
    for (int32_t i = topIdx; i >= 0; i = findNext(i)) {
        const int32_t left = slot(i).left;
        if (left >= fromFx && left <= toFx) {
            fromIdx = std::min(fromIdx, i);
            toIdx = std::max(toIdx, i);
        }
    }
    if (toIdx < fromIdx) {
        fromIdx = toIdx = -1;
        return false;
    }
    return true;
}

bool CColorSlotGroup::InsertSlot(int32_t idx, int32_t fx, sRGBA c, bool trans)
{
    if (!inStopRange(idx) || slotMaxIdx + 2 > kCrsMaxSlots || !reserveSlots(slotMaxIdx + 2)) {
        return false;
    }
    normaliseWidths();
    for (int32_t i = slotMaxIdx; i >= idx; --i) {
        slot(i + 1) = slot(i);
    }
    ++slotMaxIdx;
    sCRSlot s;
    s.enable = 1;
    s.used = 1;
    s.union_ = 1;
    s.id = idx;
    s.opaque = 255;
    slot(idx) = s;
    setSlotColor(idx, c, trans);
    recomputeEnds();
    changeLeft(idx, fx);
    refresh();
    return true;
}

bool CColorSlotGroup::DeleteSlot(int32_t idx)
{
    if (topIdx < 0 || idx <= topIdx || idx >= endIdx) {
        return false;
    }
    normaliseWidths();
    const int32_t a = getLeft(idx + 1);
    const int32_t b = getLeft(idx - 1);
    for (int32_t i = idx; i < slotMaxIdx; ++i) {
        slot(i) = slot(i + 1);
    }
    slot(slotMaxIdx) = emptyCrSlot(slotMaxIdx);
    --slotMaxIdx; // the freed slot is no longer in use, so a packed group stays packed
    recomputeEnds();
    setWidth(idx - 1, a - b);
    refresh();
    return true;
}

// ---------------------------------------------------------------------------------------------
// CGradObj

int32_t newGradObjId()
{
    return ++gGradObjIdCounter;
}

CGradObj::CGradObj() : Fid(newGradObjId()), crsg(std::make_unique<CColorSlotGroup>(16))
{
    initGradAttr(attr);
}

CGradObj::CGradObj(const CGradObj &src) : CGradObj()
{
    copy(src);
}

CGradObj::CGradObj(sRGBA c0, sRGBA c1, const QString &name) : CGradObj()
{
    crsg->setColor(0, c0, kFixOne, 255);
    crsg->setColor(1, c1, kFixOne, 255);
    crsg->setName(name);
    crsg->refresh();
}

void CGradObj::setDefaultName(int32_t idx)
{
    crsg->setName(QStringLiteral("untitled") + QString::number(idx));
}

void CGradObj::copyGradAttr(const SGradAttr &a)
{
    attr = a;
    if (attr.gradRepCnt <= 0) {
        attr.gradRepCnt = 1;
    }
}

void CGradObj::copy(const CGradObj &src)
{
    copyGradAttr(src.attr);
    src.crsg->CopyAll(*crsg);
}

int32_t CGradObj::setNewID()
{
    const int32_t old = Fid;
    Fid = newGradObjId();
    return old;
}

bool CGradObj::switchEnbGradAttr(bool sw)
{
    const bool old = attr.enbAttr;
    attr.enbAttr = sw;
    return old;
}
