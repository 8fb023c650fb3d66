// The list of selection masks of a document (CMaskMngr). One mask is in mask_data.cpp.
#include "core/mask/mask_manager.h"

#include "core/image/channel.h"
#include "core/base/numeric.h"
#include "platform/desktop/cursor.h"
#include "platform/system/debug_output.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <exception>
#include <new>

namespace {

// The default title: "マスク" followed by the running number.
QString defaultTitle(int32_t n)
{
    return QStringLiteral(u"マスク") + QString::number(n);
}

// dst := min(dst, a): with an inverted shape, what subtraction keeps.
void bytePutMin(uint8_t *dst, uint8_t a) noexcept
{
    if (a < *dst)
        *dst = a;
}

sRect rectOfSize(const sPos &origin, const sSize &sz)
{
    return {origin.x, origin.y, origin.x + sz.x, origin.y + sz.y};
}

bool rectInside(const sRect &r, const sSize &paper)
{
    return r.x0 >= 0 && r.y0 >= 0 && r.x1 <= paper.x && r.y1 <= paper.y;
}

// A new mask of the given index and size (all 0); nullptr when it cannot be had.
std::unique_ptr<CMaskData> blankMask(int32_t idx, const sSize &sz)
{
    auto md = std::make_unique<CMaskData>(idx);
    if (!md->createMask(sz.x, sz.y))
        return nullptr;
    return md;
}

// The area (0, 0, sz) of src into img with its origin at dpos. True when done, also when the two
// do not overlap (nothing to copy); false when memory is short.
bool placeShape(CBlockVCH &img, const TChannel &src, const sSize &sz, const sPos &dpos)
{
    sPos dp = dpos;
    sBox box{0, 0, sz.x, sz.y};
    if (!src.isEnable())
        return false;
    if (!clipBlt(img.FPSZ(), src.FPSZ(), dp, box))
        return true;
    return img.copy(src, dpos, {0, 0, sz.x, sz.y});
}

// All of src combined into img at dpos through fnPut; true also when they do not overlap.
bool placeMask(CBlockVCH &img, const CBlockVCH &src, const sPos &dpos, fptrMixPixel1 fnPut)
{
    sPos dp = dpos;
    sBox box = boxFromSize(src.FPSZ());
    if (!clipBlt(img.FPSZ(), src.FPSZ(), dp, box))
        return true;
    return img.copyArea(src, dpos, boxFromSize(src.FPSZ()), fnPut);
}

// A mask of index idx and size sz holding all of old's image, whose document rectangle is r, with
// view position viewPos (so the image lands at r moved by viewPos); old's title is kept. nullptr
// when memory is short.
std::unique_ptr<CMaskData> movedMask(int32_t idx, const CMaskData &old, const sRect &r,
                                     const sSize &sz, const sPos &viewPos)
{
    std::unique_ptr<CMaskData> md = blankMask(idx, sz);
    if (!md ||
        !placeMask(*md->maskTC, *old.maskTC, {r.x0 + viewPos.x, r.y0 + viewPos.y}, bytePutCopy))
        return nullptr;
    md->maskTC->shrinkMemory();
    md->viewPos = viewPos;
    md->title = old.title;
    return md;
}

// A mask of index idx covering the union of the new shape's rectangle and old's: the shape placed,
// then old's image combined over it through fnPut. oldAt is where old's image landed. The caller
// ends with shrinkMemory. nullptr when memory is short.
std::unique_ptr<CMaskData> unionMask(int32_t idx, const CMaskData &old, const TChannel &src,
                                     const sSize &sz, const sPos &ofs, fptrMixPixel1 fnPut,
                                     sPos &oldAt)
{
    const sRect shape = rectOfSize({-ofs.x, -ofs.y}, sz);
    sRect oldRect, u = shape;
    old.getMaskRect(oldRect);
    rectAddRect(u, oldRect);
    std::unique_ptr<CMaskData> md = blankMask(idx, rectSize(u));
    oldAt = {oldRect.x0 - u.x0, oldRect.y0 - u.y0};
    if (!md || !placeShape(*md->maskTC, src, sz, {shape.x0 - u.x0, shape.y0 - u.y0}) ||
        !placeMask(*md->maskTC, *old.maskTC, oldAt, fnPut))
        return nullptr;
    md->viewPos = {-u.x0, -u.y0};
    return md;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Life, list and indices

CMaskMngr::CMaskMngr(IMaskOwner *obj, int32_t cap) : ownerObj(obj)
{
    m_list.reserve(size_t(std::max(cap, 1)));
    m_list.push_back(std::make_unique<CMaskData>(0));
    curIndex = 0;
    setDefaultCaption(0, 1);
    // The view is taken from the owner at each drawing, not here: the owner may still be under
    // construction.
    curAnts = std::make_unique<CAntPoints>(nullptr, 0xCC);
}

CMaskMngr::~CMaskMngr() = default;

sSize CMaskMngr::paperSize() const
{
    return ownerObj ? ownerObj->maskPaperSize() : sSize{};
}

bool CMaskMngr::setDefaultCaption(int32_t idx, int32_t d)
{
    if (!chkIndex(idx))
        return false;
    totalNum += d;
    m_list[size_t(idx)]->title = defaultTitle(totalNum);
    return true;
}

int32_t CMaskMngr::resetTotalNum(int32_t n)
{
    const int32_t old = totalNum;
    totalNum = n;
    return old;
}

bool CMaskMngr::chkIndex(int32_t idx) const
{
    return idx >= 0 && idx < getMaskCount();
}

int32_t CMaskMngr::setCurIndex(int32_t idx)
{
    if (idx == getMaskCount())
        m_list.push_back(std::make_unique<CMaskData>(idx));
    if (chkIndex(idx))
        curIndex = idx;
    return curIndex;
}

void CMaskMngr::chkCurIndex()
{
    if (curIndex >= getMaskCount())
        curIndex = getMaskCount() - 1;
}

CMaskData *CMaskMngr::getMask(int32_t idx) const
{
    return chkIndex(idx) ? m_list[size_t(idx)].get() : nullptr;
}

int32_t CMaskMngr::findLastIndexMaskImage() const
{
    for (int32_t i = getMaxIndex(); i >= 0; --i)
        if (m_list[size_t(i)]->hasMask())
            return i;
    return -1;
}

bool CMaskMngr::hasExtendSize(int32_t idx) const
{
    const CMaskData *md = getMask(currentIfNegative(idx));
    if (!CMaskData::hasMask(md))
        return false;
    const sSize paper = paperSize();
    return md->maskTC->width() > paper.x || md->maskTC->height() > paper.y;
}

uint32_t CMaskMngr::calcMemSize() const
{
    uint32_t n = 0;
    for (const auto &md : m_list)
        n += md->calcMemSize();
    return n;
}

void CMaskMngr::renumberIndex()
{
    for (int32_t i = 0; i < getMaskCount(); ++i)
        m_list[size_t(i)]->setIndex(i);
}

bool CMaskMngr::reserve(int32_t extra)
{
    try {
        m_list.reserve(m_list.size() + size_t(std::max(extra, 0)));
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

std::unique_ptr<CMaskData> CMaskMngr::removeAt(int32_t idx)
{
    if (!chkIndex(idx))
        return nullptr;
    std::unique_ptr<CMaskData> md = std::move(m_list[size_t(idx)]);
    m_list.erase(m_list.begin() + idx);
    return md;
}

void CMaskMngr::deleteAt(int32_t idx)
{
    removeAt(idx);
}

int32_t CMaskMngr::deleteAll()
{
    const int32_t n = getMaskCount();
    m_list.clear();
    curIndex = -1;
    return n;
}

int32_t CMaskMngr::insertAt(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    if (!md || idx < 0 || idx > getMaskCount())
        return -1;
    m_list.insert(m_list.begin() + idx, std::move(md));
    return idx;
}

std::unique_ptr<CMaskData> CMaskMngr::replaceAt(int32_t idx, std::unique_ptr<CMaskData> md)
{
    if (!md)
        return nullptr;
    if (!chkIndex(idx)) {
        m_list.push_back(std::move(md));
        return nullptr;
    }
    std::swap(m_list[size_t(idx)], md);
    return md;
}

std::unique_ptr<CMaskData> CMaskMngr::swapInMask(int32_t idx, std::unique_ptr<CMaskData> md)
{
    std::unique_ptr<CMaskData> old = replaceAt(idx, std::move(md));
    renumberIndex();
    return old;
}

// ---------------------------------------------------------------------------------------------
// Building and combining

std::unique_ptr<CMaskData> CMaskMngr::createNewMask(int32_t idx, const TChannel &src,
                                                    const sSize &sz, const sPos &ofs) const
{
    std::unique_ptr<CMaskData> md = blankMask(idx, sz);
    if (!md || !placeShape(*md->maskTC, src, sz, {0, 0}))
        return nullptr;
    md->viewPos = ofs;
    md->maskTC->shrinkMemory();
    return md;
}

std::unique_ptr<CMaskData> CMaskMngr::createAddMask(int32_t idx, const TChannel &src,
                                                    const sSize &sz, const sPos &ofs) const
{
    const CMaskData *old = getMask(idx);
    if (!CMaskData::hasMask(old))
        return createNewMask(idx, src, sz, ofs);
    sPos oldAt;
    std::unique_ptr<CMaskData> md = unionMask(idx, *old, src, sz, ofs, bytePutMax, oldAt);
    if (!md)
        return nullptr;
    md->maskTC->shrinkMemory();
    return md;
}

std::unique_ptr<CMaskData> CMaskMngr::createSubMask(int32_t idx, const TChannel &src,
                                                    const sSize &sz, const sPos &ofs) const
{
    const CMaskData *old = getMask(idx);
    if (!CMaskData::hasMask(old))
        return nullptr;
    // value = min(old, 255 - new), where 255 - new is 255 wherever the shape does not reach: the
    // inverted shape over the old mask's area, then the old mask through the minimum. The old
    // mask is only read.
    std::unique_ptr<CMaskData> md = blankMask(idx, old->maskTC->FPSZ());
    if (!md || !placeShape(*md->maskTC, src, sz, {old->viewPos.x - ofs.x, old->viewPos.y - ofs.y}))
        return nullptr;
    md->maskTC->FilterXor(255);
    if (!placeMask(*md->maskTC, *old->maskTC, {0, 0}, bytePutMin))
        return nullptr;
    md->viewPos = old->viewPos;
    md->maskTC->shrinkMemory();
    return md;
}

std::unique_ptr<CMaskData> CMaskMngr::createAndMask(int32_t idx, const TChannel &src,
                                                    const sSize &sz, const sPos &ofs) const
{
    const CMaskData *old = getMask(idx);
    if (!CMaskData::hasMask(old))
        return nullptr;
    sPos oldAt;
    std::unique_ptr<CMaskData> md = unionMask(idx, *old, src, sz, ofs, bytePutMul, oldAt);
    if (!md)
        return nullptr;
    // Where only the new shape lies, nothing is common.
    md->maskTC->fillOutside(rectOfSize(oldAt, old->maskTC->FPSZ()), 0);
    md->maskTC->shrinkMemory();
    return md;
}

std::unique_ptr<CMaskData> CMaskMngr::createMask(int32_t idx, const TChannel &src, const sSize &sz,
                                                 const sPos &ofs, eMaskAddType mat)
{
    if (sz.x <= 0 || sz.y <= 0 || !src.isEnable())
        return nullptr;
    std::unique_ptr<CMaskData> md;
    switch (mat) {
    case eMaskAddType::matNew:
        md = createNewMask(idx, src, sz, ofs);
        break;
    case eMaskAddType::matAdd:
        md = createAddMask(idx, src, sz, ofs);
        break;
    case eMaskAddType::matSub:
        md = createSubMask(idx, src, sz, ofs);
        break;
    case eMaskAddType::matAnd:
        md = createAndMask(idx, src, sz, ofs);
        break;
    }
    if (md)
        updatePreview(md.get());
    return md;
}

int32_t CMaskMngr::insertMask(int32_t idx)
{
    idx = currentIfNegative(idx);
    auto md = std::make_unique<CMaskData>(idx);
    if (insertAt(idx, md) < 0)
        return -1;
    setDefaultCaption(idx, 1);
    renumberIndex();
    return idx;
}

int32_t CMaskMngr::insertMask(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    if (insertAt(currentIfNegative(idx), md) < 0)
        return -1;
    renumberIndex();
    return currentIfNegative(idx);
}

bool CMaskMngr::insertMask(int32_t idx, const TChannel &src, const sSize &sz, const sPos &ofs,
                           eMaskAddType mat)
{
    idx = currentIfNegative(idx);
    std::unique_ptr<CMaskData> md = createMask(idx, src, sz, ofs, mat);
    // A mask that cannot be inserted is freed here with md.
    return md && insertMask(idx, md) >= 0;
}

int32_t CMaskMngr::duplicateMask(int32_t idx)
{
    idx = currentIfNegative(idx);
    const CMaskData *src = getMask(idx);
    if (!src)
        return -1;
    auto copy = std::make_unique<CMaskData>(*src);
    if (insertAt(idx, copy) < 0)
        return -1;
    renumberIndex();
    return idx;
}

int32_t CMaskMngr::moveMask(int32_t dst, int32_t src)
{
    if (!chkIndex(dst) || !chkIndex(src) || dst == src)
        return -1;
    std::unique_ptr<CMaskData> md = removeAt(src);
    insertAt(dst, md);
    renumberIndex();
    return dst;
}

bool CMaskMngr::replaceMask(int32_t idx, const TChannel &src, const sSize &sz, const sPos &ofs,
                            std::unique_ptr<CMaskData> &mask, eMaskAddType mat)
{
    mask.reset();
    std::unique_ptr<CMaskData> md = createMask(idx, src, sz, ofs, mat);
    if (!md)
        return false;
    if (const CMaskData *old = getMask(idx))
        md->title = old->title;
    mask = swapInMask(idx, std::move(md));
    if (mat == eMaskAddType::matAdd)
        shrinkSize(idx);
    return true;
}

bool CMaskMngr::replaceMask(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    if (!chkIndex(idx) || !md)
        return false;
    std::swap(m_list[size_t(idx)], md);
    chkCurIndex();
    renumberIndex();
    return true;
}

bool CMaskMngr::deleteMask(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    if (!chkIndex(idx))
        return false;
    auto empty = std::make_unique<CMaskData>(idx);
    empty->title = m_list[size_t(idx)]->title;
    md = swapInMask(idx, std::move(empty));
    return true;
}

bool CMaskMngr::removeMask(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    if (!chkIndex(idx))
        return false;
    md = removeAt(idx);
    chkCurIndex();
    renumberIndex();
    return true;
}

bool CMaskMngr::copyMask(int32_t dst, int32_t src, std::unique_ptr<CMaskData> &md)
{
    if (!chkIndex(dst) || !chkIndex(src))
        return false;
    std::unique_ptr<CMaskData> copy;
    try {
        copy = std::make_unique<CMaskData>(*m_list[size_t(src)]);
    } catch (const std::exception &) {
        return false;
    }
    copy->title = m_list[size_t(dst)]->title;
    md = swapInMask(dst, std::move(copy));
    return true;
}

bool CMaskMngr::bindMask(int32_t dst, int32_t src, std::unique_ptr<CMaskData> &md, eMaskAddType mat)
{
    const CMaskData *from = getMask(src);
    const CMaskData *into = getMask(dst);
    if (!CMaskData::hasMask(from) || !into)
        return false;
    if (mat != eMaskAddType::matNew && into->hasMask()) {
        TChannel ch;
        if (!ch.Resize(from->maskTC->FPSZ()) || !from->maskTC->copyTo(ch, 0, 0, false))
            return false;
        std::unique_ptr<CMaskData> nmd = createMask(dst, ch, ch.FPSZ(), from->viewPos, mat);
        if (!nmd)
            return false;
        nmd->title = into->title;
        md = swapInMask(dst, std::move(nmd));
        return true;
    }
    if (mat == eMaskAddType::matSub || mat == eMaskAddType::matAnd)
        return false;
    return copyMask(dst, src, md); // copyMask keeps dst's title
}

// ---------------------------------------------------------------------------------------------
// The paper's edges

bool CMaskMngr::getMaskRect(const CMaskData *md, sRect &r) const
{
    return CMaskData::hasMask(md) && md->getMaskRect(r) && rectInside(r, paperSize());
}

int32_t CMaskMngr::findMaxRect(sRect &ar) const
{
    int32_t n = 0;
    for (const auto &md : m_list) {
        sRect r;
        if (md->getMaskRect(r)) {
            rectUnion(ar, r);
            ++n;
        }
    }
    return n;
}

bool CMaskMngr::makeExtendMask(const CMaskData &md, std::unique_ptr<CMaskData> &nmd) const
{
    sRect r;
    if (!md.getMaskRect(r))
        return false;
    try {
        sRect u = rectFromSize(paperSize());
        rectUnion(u, r);
        std::unique_ptr<CMaskData> ext = movedMask(md.index, md, r, rectSize(u), {-u.x0, -u.y0});
        if (!ext)
            return false;
        nmd = std::move(ext);
        return true;
    } catch (const std::bad_alloc &) {
        showWarning(QStringLiteral("makeExtendMask: exception!"));
        return false;
    }
}

bool CMaskMngr::invertMask(int32_t idx)
{
    CMaskData *md = getMask(idx);
    if (!CMaskData::hasMask(md) || !md->maskTC->FilterXor(255))
        return false;
    md->maskTC->shrinkMemory();
    return true;
}

bool CMaskMngr::invertMaskEx(int32_t idx, std::unique_ptr<CMaskData> &omd)
{
    CMaskData *md = getMask(idx);
    sRect r;
    if (!CMaskData::hasMask(md))
        return false;
    if (getMaskRect(md, r))
        return invertMask(idx);
    std::unique_ptr<CMaskData> ext;
    if (!makeExtendMask(*md, ext) || !ext->maskTC->FilterXor(255))
        return false;
    ext->maskTC->shrinkMemory();
    omd = swapInMask(idx, std::move(ext));
    return true;
}

bool CMaskMngr::cutOutside(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    const CMaskData *old = getMask(idx);
    sRect r;
    if (!CMaskData::hasMask(old) || getMaskRect(old, r))
        return false;
    std::unique_ptr<CMaskData> cut = movedMask(idx, *old, r, paperSize(), {0, 0});
    if (!cut)
        return false;
    updatePreview(cut.get());
    md = swapInMask(idx, std::move(cut));
    return true;
}

bool CMaskMngr::cutOutside(int32_t idx)
{
    std::unique_ptr<CMaskData> old;
    return cutOutside(idx, old);
}

bool CMaskMngr::shrinkSize(int32_t idx, std::unique_ptr<CMaskData> &md)
{
    const CMaskData *old = getMask(idx);
    sRect r, content;
    if (!CMaskData::hasMask(old) || getMaskRect(old, r))
        return false;
    if (!old->getMaskEnbRect(content))
        return cutOutside(idx, md);
    const sSize paper = paperSize();
    const sSize sz{std::max(content.x1 - content.x0, paper.x),
                   std::max(content.y1 - content.y0, paper.y)};
    std::unique_ptr<CMaskData> trim = movedMask(idx, *old, r, sz, {-content.x0, -content.y0});
    if (!trim)
        return false;
    updatePreview(trim.get());
    md = swapInMask(idx, std::move(trim));
    return true;
}

bool CMaskMngr::shrinkSize(int32_t idx)
{
    std::unique_ptr<CMaskData> old;
    return shrinkSize(idx, old);
}

// ---------------------------------------------------------------------------------------------
// Thumbnails

bool CMaskMngr::updatePreview(CMaskData *md)
{
    const sSize paper = paperSize();
    return md && md->makePreview(paper.x, paper.y);
}

bool CMaskMngr::updatePreview()
{
    return updatePreview(getActiveMask());
}

void CMaskMngr::updatePreviewAll()
{
    for (const auto &md : m_list)
        updatePreview(md.get());
}

// ---------------------------------------------------------------------------------------------
// Resolution change

std::unique_ptr<CMaskData> CMaskMngr::makeResizeMask(int32_t idx, const sSize &size, bool hq) const
{
    const CMaskData *old = getMask(idx);
    const sSize paper = paperSize();
    if (!old || paper.x <= 0 || paper.y <= 0 || size.x <= 0 || size.y <= 0)
        return nullptr;
    auto md = std::make_unique<CMaskData>(idx);
    md->title = old->title;
    if (!old->hasMask())
        return md;
    const int32_t fx = fixDiv(size.x, paper.x), fy = fixDiv(size.y, paper.y);
    // A mask is kept at least one pixel wide and high, whatever the factor.
    const int32_t w = int32_t(std::max<int64_t>((int64_t(fx) * old->maskTC->width()) >> 16, 1));
    const int32_t h = int32_t(std::max<int64_t>((int64_t(fy) * old->maskTC->height()) >> 16, 1));
    if (!md->createMask(w, h))
        return nullptr;
    if (hq) {
        CScaleMaskImage scaler(old->maskTC.get(), md->maskTC.get());
        if (!scaler.scale(boxFromSize(old->maskTC->FPSZ()), boxFromSize(md->maskTC->FPSZ())) ||
            !scaler.allStored())
            return nullptr;
        md->maskTC->shrinkMemory();
    } else if (!old->maskTC->FilterSmallenHQ(*md->maskTC)) {
        return nullptr;
    }
    md->viewPos = {fixMul(old->viewPos.x, fx), fixMul(old->viewPos.y, fy)};
    md->makePreview(size.x, size.y);
    return md;
}

std::unique_ptr<CMaskData> CMaskMngr::makeResizeMaskOld(int32_t idx, const sSize &size) const
{
    return makeResizeMask(idx, size, false);
}

std::unique_ptr<CMaskData> CMaskMngr::makeResizeMaskHQ(int32_t idx, const sSize &size) const
{
    return makeResizeMask(idx, size, true);
}

bool CMaskMngr::changeResolution(const sSize &size, bool hq)
{
    // Every copy is made before any mask is replaced, so that a failure leaves all masks at one
    // resolution.
    std::vector<std::unique_ptr<CMaskData>> resized;
    resized.reserve(m_list.size());
    for (int32_t i = 0; i < getMaskCount(); ++i) {
        resized.push_back(makeResizeMask(i, size, hq));
        if (!resized.back())
            return false;
    }
    m_list.swap(resized);
    return true;
}

bool CMaskMngr::changeResolutionOld(const sSize &size)
{
    return changeResolution(size, false);
}

bool CMaskMngr::changeResolutionHQ(const sSize &size)
{
    return changeResolution(size, true);
}

std::unique_ptr<CMaskMngr> CMaskMngr::makeResizeMngr(const sSize &size, bool hq) const
{
    const WaitCursor wait;
    try {
        auto mngr = std::make_unique<CMaskMngr>(ownerObj, 16);
        mngr->deleteAt(0); // its running title number stays 1
        for (int32_t i = 0; i < getMaskCount(); ++i) {
            std::unique_ptr<CMaskData> md = makeResizeMask(i, size, hq);
            if (!md)
                return nullptr;
            mngr->m_list.push_back(std::move(md));
        }
        mngr->curIndex = curIndex;
        return mngr;
    } catch (const std::exception &) {
        debugOut(QStringLiteral("makeZoomMask: Exception!"));
        return nullptr;
    }
}

std::unique_ptr<CMaskMngr> CMaskMngr::makeResizeMngrOld(const sSize &size) const
{
    return makeResizeMngr(size, false);
}

std::unique_ptr<CMaskMngr> CMaskMngr::makeResizeMngrHQ(const sSize &size) const
{
    return makeResizeMngr(size, true);
}

// ---------------------------------------------------------------------------------------------
// The marching ants

bool CMaskMngr::createAnts(const sSize &sz, int32_t idx)
{
    idx = currentIfNegative(idx);
    const CMaskData *md = getMask(idx);
    if (!md)
        return false;
    if (!md->hasMask()) {
        deleteAnts();
        return true;
    }
    TChannel ch;
    if (!ch.Resize(sz) || !ch.isEnable())
        return false;
    ch.PixelFill(0);
    if (!md->maskTC->copyTo(ch, {-md->viewPos.x, -md->viewPos.y}, boxFromSize(md->maskTC->FPSZ()),
                            false)) {
        curAnts->clear();
        return false;
    }
    const bool ok = curAnts->findEdge(ch, false);
    if (ok)
        idxAnts = idx;
    return ok;
}

bool CMaskMngr::createAntsEx(int32_t idx)
{
    idx = currentIfNegative(idx);
    const CMaskData *md = getMask(idx);
    if (!md)
        return false;
    if (!md->hasMask()) {
        deleteAnts();
        return true;
    }
    TChannel ch;
    if (!ch.Resize(md->maskTC->FPSZ()) || !md->maskTC->copyTo(ch, 0, 0, false))
        return false;
    const bool ok = curAnts->findEdge(ch, false);
    curAnts->setViewOfs({-md->viewPos.x, -md->viewPos.y});
    if (ok)
        idxAnts = idx;
    return ok;
}

bool CMaskMngr::hasAnts() const
{
    return curAnts->hasPoint();
}

bool CMaskMngr::deleteAnts()
{
    const bool had = curAnts->hasPoint();
    curAnts->clear();
    return had;
}

void CMaskMngr::setAntsOfs(const sPos &ofs)
{
    curAnts->setViewOfs(ofs);
}

void CMaskMngr::getAntsOfs(sPos &ofs) const
{
    ofs = curAnts->getViewOfs();
}

bool CMaskMngr::showAnts(IPixelSink *dc, const sSize &sz)
{
    if (!dc)
        return false;
    // The window's view is read at each drawing: the window may change it at any time.
    curAnts->setView(ownerObj ? ownerObj->maskView() : nullptr);
    return curAnts->showAnts(*dc, {0, 0, sz.x, sz.y});
}

void CMaskMngr::walkAnts()
{
    if (curAnts->hasPoint())
        curAnts->nextPattern();
}
