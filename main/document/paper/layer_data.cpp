#include "document/paper/layer_data.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "document/paper/layer_blend_table.h"
#include "document/undo/undo_manager.h"
#include "platform/system/clock.h"

#include <algorithm>
#include <new>

namespace {

int32_t gLayerPreviewMax = 25;
int32_t gLayerUniqueCounter = 0;

constexpr int32_t kMaxGroupLevel = 250;

uint32_t modeBgColor(TLayerMode lm)
{
    return getLayerModeBgColor(lm).value_or(CBlockVMTC::kInitColor);
}

} // namespace

int32_t setLayerPreviewMax(int32_t edge)
{
    const int32_t old = gLayerPreviewMax;
    gLayerPreviewMax = edge;
    return old;
}

int32_t getLayerPreviewMax()
{
    return gLayerPreviewMax;
}

int32_t resetLayerUniqueID(int32_t counter)
{
    const int32_t old = gLayerUniqueCounter;
    gLayerUniqueCounter = counter;
    return old;
}

namespace {

constexpr int32_t kLayerUndoSteps = 8;

} // namespace

CLayerData::CLayerData(int32_t idx, bool undo) : index(idx)
{
    uniqueID = ++gLayerUniqueCounter;
    randInit(dizRand, timeGetTime(), 0, 255);
    if (undo)
        undoMngr = std::make_unique<CUndoMngr>(kLayerUndoSteps, kLayerUndoSteps);
}

CLayerData::~CLayerData()
{
    destroyLayer();
    undoMngr.reset();
}

void CLayerData::destroyLayer()
{
    visible = false;
    imageTC.reset();
    previewTC.reset();
    disposeUndo();
}

bool CLayerData::createLayer(int32_t w, int32_t h, TLayerMode lm)
{
    std::unique_ptr<CBlockVMTC> img;
    try {
        img = std::make_unique<CBlockVMTC>(w, h);
        if (!img->isEnable() || !img->PixelFill(modeBgColor(lm)))
            return false;
    } catch (const std::exception &) {
        return false;
    }
    imageTC = std::move(img);
    viewPos = {0, 0};
    viewSize = {w, h};
    visible = true;
    maskProtected = false;
    trans = 255;
    mode = lm;
    underLyrClip = false;
    previewTC = std::make_unique<TMTC>();
    resizePreview();
    return true;
}

bool CLayerData::createLayer(const CLayerData &ld)
{
    if (!ld.imageTC)
        return false;
    return createLayer(ld.imageTC->width(), ld.imageTC->height(), ld.mode) && copy(ld);
}

std::unique_ptr<CLayerData> CLayerData::createResizeLayer(const sSize &size, const sPos &pos) const
{
    if (!imageTC)
        return nullptr;
    try {
        auto ld = std::make_unique<CLayerData>(index, hasUndo());
        if (!ld->createLayer(size.x, size.y, mode))
            return nullptr;
        ld->viewPos = {viewPos.x + pos.x, viewPos.y + pos.y};
        ld->viewSize = viewSize;
        if (!ld->imageTC->copyArea(*imageTC, pos, imageBox()))
            return nullptr;
        return ld;
    } catch (const std::exception &) {
        return nullptr;
    }
}

std::unique_ptr<CBlockVMTC> CLayerData::replaceImage(std::unique_ptr<CBlockVMTC> tc)
{
    std::swap(imageTC, tc);
    return tc;
}

bool CLayerData::clearImage()
{
    return imageTC && imageTC->clearImage(mode);
}

bool CLayerData::fillAlpha(uint8_t cc)
{
    return imageTC && imageTC->setAlphaAll(cc);
}

bool CLayerData::notAlpha()
{
    return imageTC && imageTC->FilterXor(0xFF000000);
}

// ---- preview

bool CLayerData::resizePreview()
{
    return resizePreview(gLayerPreviewMax, gLayerPreviewMax);
}

bool CLayerData::resizePreview(int32_t w, int32_t h)
{
    // A paper without size has no aspect: its thumbnail is one pixel.
    if (viewSize.x <= 0 || viewSize.y <= 0) {
        w = 1;
        h = 1;
    } else if (viewSize.x > viewSize.y) {
        h = int32_t(int64_t(w) * viewSize.y / viewSize.x);
    } else {
        w = int32_t(int64_t(h) * viewSize.x / viewSize.y);
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (!previewTC)
        previewTC = std::make_unique<TMTC>();
    if (!previewTC->Resize(w, h))
        return false;
    previewTC->PixelFill(0x00FFFFFF);
    return true;
}

void CLayerData::updatePreview()
{
    if (!imageTC || !previewTC || !previewTC->isEnable())
        return;
    imageTC->FilterSmallenPart(*previewTC, 0, 0, previewTC->width(), previewTC->height(), viewPos.x,
                               viewPos.y, viewSize.x, viewSize.y);
}

void CLayerData::initPreview(bool tp)
{
    if (!previewTC || !previewTC->isEnable())
        return;
    previewTC->PixelFill(modeBgColor(mode) | (tp ? 0u : 0xFF000000u));
}

// ---- position

bool CLayerData::checkViewPos(bool correct)
{
    if (!imageTC)
        return false;
    const int32_t mx = imageTC->width() - viewSize.x, my = imageTC->height() - viewSize.y;
    const bool inside = viewPos.x >= 0 && viewPos.x <= mx && viewPos.y >= 0 && viewPos.y <= my;
    if (correct) {
        viewPos.x = std::max(0, std::min(viewPos.x, mx));
        viewPos.y = std::max(0, std::min(viewPos.y, my));
    }
    return inside;
}

bool CLayerData::moveParallel(const sPos &ofs)
{
    viewPos.x -= ofs.x;
    viewPos.y -= ofs.y;
    updatePreview();
    return checkViewPos(false);
}

bool CLayerData::hasExtendSize() const
{
    return imageTC && (imageTC->width() > viewSize.x || imageTC->height() > viewSize.y);
}

void CLayerData::getLayerRect(sRect &r) const
{
    const sBox b = imageBox();
    r = {-viewPos.x, -viewPos.y, b.w - viewPos.x, b.h - viewPos.y};
}

sRect CLayerData::getLayerRect() const
{
    sRect r;
    getLayerRect(r);
    return r;
}

sBox CLayerData::imageBox() const
{
    if (!imageTC)
        return {};
    return {0, 0, imageTC->width(), imageTC->height()};
}

// ---- attributes

void CLayerData::copyAttr(const CLayerData &src)
{
    title = src.title;
    visible = src.visible;
    trans = src.trans;
    maskProtected = src.maskProtected;
    mode = src.mode;
    groupLevel = src.groupLevel;
    dither = src.dither;
    ditherEnable = src.ditherEnable;
    dizRand = src.dizRand;
    underLyrClip = src.underLyrClip;
    linkIndex = src.linkIndex;
}

bool CLayerData::copy(const CLayerData &src)
{
    if (!imageTC || !src.imageTC || !imageTC->simpleCopy(*src.imageTC))
        return false;
    if (src.previewTC && src.previewTC->isEnable()) {
        if (!previewTC)
            previewTC = std::make_unique<TMTC>();
        if (previewTC->Resize(src.previewTC->width(), src.previewTC->height()))
            previewTC->copyImage(*src.previewTC);
    }
    copyAttr(src);
    viewPos = src.viewPos;
    viewSize = src.viewSize;
    if (undoMngr && src.undoMngr)
        undoMngr->copy(*src.undoMngr);
    return true;
}

int32_t CLayerData::setGroupLevel(int32_t v)
{
    groupLevel = std::clamp(v, 0, kMaxGroupLevel);
    return groupLevel;
}

void CLayerData::setDitherState(uint32_t val)
{
    randInit(dizRand, val, 0, 255);
}

bool CLayerData::ChangeUnderLyrClip(bool clip)
{
    const bool old = underLyrClip;
    underLyrClip = clip;
    return old;
}

uint32_t CLayerData::calcMemSize() const
{
    uint32_t n = imageTC ? imageTC->getImageDataBytes() : 0;
    if (previewTC)
        n += previewTC->getImageDataBytes();
    return n;
}

// ---- own undo history

bool CLayerData::canUndo() const
{
    return undoMngr && undoMngr->canUndo();
}

bool CLayerData::canRedo() const
{
    return undoMngr && undoMngr->canRedo();
}

void CLayerData::freeUndo()
{
    undoMngr.reset();
}

void CLayerData::disposeUndo()
{
    if (undoMngr)
        undoMngr->cleanAll();
}

uint64_t CLayerData::calcUndoMemSize() const
{
    return undoMngr ? undoMngr->getUsedMemSize() : 0;
}

bool CLayerData::pushImageAll()
{
    sBox box = imageBox();
    return pushImagePart(box);
}

bool CLayerData::pushImagePart(sBox &box)
{
    return undoMngr && imageTC && undoMngr->pushUndo(index, uniqueID, *imageTC, box);
}

bool CLayerData::restoreStep(bool redo, TMTC *view, sRect &r)
{
    if (!undoMngr || !imageTC)
        return false;
    sBox box;
    if (!(redo ? undoMngr->popRedo(*imageTC, box) : undoMngr->popUndo(*imageTC, box)))
        return false;
    if (view)
        imageTC->bltTo(*view, box.pos(), box, 255, false);
    r = {box.x, box.y, box.x + box.w, box.y + box.h};
    return true;
}

bool CLayerData::doUndo(TMTC *view, sRect &r)
{
    return restoreStep(false, view, r);
}

bool CLayerData::doRedo(TMTC *view, sRect &r)
{
    return restoreStep(true, view, r);
}

SOldBltProcs CLayerData::layerOldBltProcs() const
{
    return getOldBltProcs(mode);
}

// ---- output

bool CLayerData::copyTo(TMTC &dst) const
{
    return copyTo(dst, imageBox());
}

bool CLayerData::copyTo(TMTC &dst, const sBox &box) const
{
    return imageTC && imageTC->bltTo(dst, box.pos(), box, 255, false);
}

bool CLayerData::bltTo(TMTC &dst, int32_t x, int32_t y) const
{
    return imageTC && imageTC->layerBltTo(dst, *this, {x, y}, imageBox(), false);
}

bool CLayerData::bltPartTo(TMTC &dst, int32_t x, int32_t y, int32_t w, int32_t h) const
{
    return imageTC && imageTC->layerBltTo(dst, *this, {x, y}, {x, y, w, h}, true);
}

bool CLayerData::oldBltTo(TMTC &dst, int32_t x, int32_t y) const
{
    return imageTC && imageTC->layerOldBltTo(dst, *this, {x, y}, imageBox());
}

bool CLayerData::oldBltPartTo(TMTC &dst, int32_t x, int32_t y, int32_t w, int32_t h) const
{
    return imageTC && imageTC->layerOldBltTo(dst, *this, {x, y}, {x, y, w, h});
}

bool CLayerData::oldBltTo(CBlockVMTC &dst, int32_t x, int32_t y) const
{
    return imageTC && imageTC->oldBltTo(dst, *this, {x, y}, imageBox());
}

// ---- merging

bool CLayerData::mixToEx(TMTC &dst, const sPos &pos, const sBox &box, uint32_t ver) const
{
    return mixToEx(dst, pos, box, ver, trans);
}

bool CLayerData::mixToEx(TMTC &dst, const sPos &pos, const sBox &box, uint32_t ver,
                         uint8_t opacity) const
{
    if (!imageTC)
        return false;
    if (const fptrPixelPut4core fn = findSpecialMergeProc(TLayerMode::LM_STD, mode, ver))
        return imageTC->mixTo(dst, pos, box, 255, opacity, fn);
    sTCMixParam mix;
    if (!makeLayerMixParam(TLayerMode::LM_STD, mode, (ver >> 16) & 1, mix))
        return false;
    return imageTC->mixToEx(dst, pos, box, 255, opacity, mix);
}

bool CLayerData::mixWith(const CLayerData &ld)
{
    // ld's pixel p lies at paper p - ld.viewPos, which is this image's pixel p - ld.viewPos +
    // viewPos.
    return mixWith(ld, {viewPos.x - ld.viewPos.x, viewPos.y - ld.viewPos.y}, ld.imageBox());
}

bool CLayerData::mixWith(const CLayerData &ld, const sPos &pos, const sBox &box)
{
    const fptrPixelPut4core merge = getLayerMergeProc(ld.mode);
    if (!imageTC || !ld.imageTC || !merge)
        return false;
    const bool ok = imageTC->mixWith(*ld.imageTC, pos, box, trans, ld.trans, merge);
    trans = 255;
    return ok;
}

bool CLayerData::mixWithEx(const CLayerData &ld, const sPos &pos, const sBox &box, uint32_t ver)
{
    if (!imageTC || !ld.imageTC || specialPairRowCount(ver) < 0)
        return false;
    const SLayerParam *own = getLayerParam(mode);
    if (!own)
        return false;
    bool ok;
    if (const fptrPixelPut4core fn = findSpecialMergeProc(mode, ld.mode, ver)) {
        ok = imageTC->mixWith(*ld.imageTC, pos, box, trans, ld.trans, fn);
    } else {
        sTCMixParam mix;
        if (!makeLayerMixParam(mode, ld.mode, (ver >> 16) & 1, mix))
            return false;
        ok = imageTC->mixWithEx(*ld.imageTC, pos, box, trans, ld.trans, mix);
    }
    trans = 255;
    // A subtract layer stores what it removes; the merged result is turned back into that form.
    if (own->flags & mtfNega)
        imageTC->FilterXor(0x00FFFFFF);
    return ok;
}

bool CLayerData::clipBltToLayer(const CLayerData &src_ld)
{
    const fptrPixelPut4core put = armLayerPut(src_ld);
    if (!imageTC || !src_ld.imageTC || !put)
        return false;
    const sBox dstBox{viewPos.x, viewPos.y, imageTC->width(), imageTC->height()};
    const sBox srcBox{src_ld.viewPos.x, src_ld.viewPos.y, src_ld.imageTC->width(),
                      src_ld.imageTC->height()};
    return imageTC->clipBltTo(*src_ld.imageTC, dstBox, srcBox, src_ld.trans, put);
}
