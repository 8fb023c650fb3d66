#include "document/edit/canvas_ops.h"

#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/canvas_geometry.h"
#include "document/edit/edit_ops.h"
#include "document/edit/geometry_layers.h"
#include "document/edit/scale_layer_image.h"
#include "document/events/event_record_guard.h"
#include "document/files/new_document.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/mask_preview.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <new>
#include <vector>

namespace {

using enum udCmdName;

bool sideOk(int32_t v)
{
    return v >= 1 && v <= kMaxPaperSide;
}

// The undo question when a new list cannot be had: OK goes on in place without undo.
bool askGoOnWithoutUndo(TPaper &paper)
{
    QString text = QStringLiteral("メモリ不足のため%1は実行できませんがよろしいですか?")
                       .arg(QStringLiteral("アンドゥ"));
    if (paper.owner() && paper.owner()->isModified())
        text = QStringLiteral("%1\r%2").arg(
            text, QStringLiteral("* 実行前にファイルを保存しておくことをおすすめします *"));
    return showConfirm(text, kavrin::cbOk | kavrin::cbCancel) == kavrin::mrOk;
}

// The tail every paper change shares: modified, recomposed, the tool window told, the active
// layer activated again (with the work image reloaded).
void afterPaperChange(TPaper &paper, TFlowImage *flow)
{
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    if (IPaperOwner *o = paper.owner()) {
        o->setDisplaySize(paper.m_paperSize);
        o->updateNavigatorImage();
    }
    EventLayerActive(paper, flow, paper.ActiveLayer(), true);
}

// A push of a record that keeps a whole old list; when it cannot be kept every undo goes and the
// list is freed with the answer.
template <class T>
void pushListRecord(TPaper &paper, std::unique_ptr<T> &old, udCmdName cn, int32_t n0, int32_t n1,
                    int32_t n2, int32_t n3, SUndoExtras &&extras = {})
{
    if (pushUndo(paper, CUndoObj(old.get()), cn, n0, n1, n2, n3, std::move(extras)))
        static_cast<void>(old.release());
    else if (paper.undoMngrEx())
        paper.undoMngrEx()->cleanAll();
}

uint32_t modeClearColor(TLayerMode lm)
{
    return getLayerModeBgColor(lm).value_or(CBlockVMTC::kInitColor);
}

// A w x h layer image of the mode's neutral colour; nullptr when it cannot be had.
std::unique_ptr<CBlockVMTC> newModeImage(int64_t w, int64_t h, TLayerMode lm)
{
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
        return nullptr;
    auto img = std::make_unique<CBlockVMTC>(int32_t(w), int32_t(h));
    if (!img->isEnable() || !img->PixelFill(modeClearColor(lm)))
        return nullptr;
    return img;
}

// ---- canvas size in place

struct SResized
{
    CLayerData *ld;
    sPos oldViewPos;
    sSize oldViewSize;
    sPos restore; // the old paper's origin in the new image
};

bool resizeLayerInPlace(CLayerData &ld, const sPos &off, const sSize &size, SResized &done)
{
    const sRect rect = ld.getLayerRect();
    // The new paper in old paper coordinates, and the layer grown to hold it, in 64 bits.
    const int64_t cx0 = -int64_t(off.x), cy0 = -int64_t(off.y);
    const int64_t ux0 = std::min<int64_t>(rect.x0, cx0), uy0 = std::min<int64_t>(rect.y0, cy0);
    const int64_t ux1 = std::max<int64_t>(rect.x1, cx0 + size.x);
    const int64_t uy1 = std::max<int64_t>(rect.y1, cy0 + size.y);
    std::unique_ptr<CBlockVMTC> img = newModeImage(ux1 - ux0, uy1 - uy0, ld.mode);
    if (!img || !copyLayerImage(*img, *ld.imageTC, {int32_t(rect.x0 - ux0), int32_t(rect.y0 - uy0)},
                                ld.imageBox()))
        return false;
    img->shrinkMemory();
    done = {&ld, ld.viewPos, ld.viewSize, {int32_t(-ux0), int32_t(-uy0)}};
    ld.replaceImage(std::move(img));
    ld.viewPos = {int32_t(cx0 - ux0), int32_t(cy0 - uy0)};
    ld.viewSize = size;
    ld.resizePreview();
    return true;
}

// ---- resolution

enum class eResample
{
    smallenHQ, // CBlockVMTC::FilterSmallenHQ
    averageHQ, // area average
    averageHQ2 // area average weighted by alpha
};

bool resampleInto(const CBlockVMTC &src, CBlockVMTC &dst, eResample kind)
{
    if (kind == eResample::smallenHQ)
        return src.FilterSmallenHQ(dst);
    CScaleLayerImage scaler(&src, &dst);
    const sBox from = boxFromSize(src.FPSZ()), to = boxFromSize(dst.FPSZ());
    const bool ok = kind == eResample::averageHQ2 ? scaler.scale2(from, to)
                                                  : scaler.scale(from, to);
    return ok && scaler.allStored();
}

bool changeResolutionInPlace(TPaper &paper, TFlowImage *flow, const sSize &size, eResample kind)
{
    if (!sideOk(size.x) || !sideOk(size.y))
        return false;
    std::vector<CLayerData *> converted;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        CLayerData &ld = *paper.getLayerData(i);
        sSize ns;
        sPos vp;
        bool ok = zoomedLayerGeometry(ld.imageTC->FPSZ(), ld.viewPos, ld.viewSize, size, ns, vp);
        std::unique_ptr<CBlockVMTC> img;
        try {
            img = ok ? newModeImage(ns.x, ns.y, ld.mode) : nullptr;
            ok = img && resampleInto(*ld.imageTC, *img, kind);
        } catch (const std::bad_alloc &) {
            ok = false;
        }
        if (!ok) {
            // Pixels already resampled cannot be taken back; the view sizes stay the paper's.
            showWarning(memoryFailureMessage(QStringLiteral("解像度の変更")));
            return false;
        }
        img->shrinkMemory();
        ld.replaceImage(std::move(img));
        ld.viewPos = vp;
        converted.push_back(&ld);
    }
    for (CLayerData *ld : converted) {
        ld->viewSize = size;
        ld->resizePreview();
    }
    changePaperSize(paper, flow, size.x, size.y);
    updatePreviewAll(paper);
    remakeAnts(paper);
    afterPaperChange(paper, flow);
    return true;
}

// The new lists of one generation; masks only when some mask holds a selection.
struct SResoLists
{
    std::unique_ptr<CLayerMngr> layers;
    std::unique_ptr<CMaskMngr> masks;
};

bool eventEditResolution(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                         bool undo, eResample kind)
{
    if (!sideOk(w) || !sideOk(h))
        return false;
    const sSize size{w, h};
    CMaskMngr &mm = paper.maskMngr();
    SResoLists lists;
    const bool withUndo = undo && isUndoEnable(paper);
    if (withUndo) {
        const bool copyAttr = ver != 0;
        const CLayerMngr &lm = paper.layerMngr();
        lists.layers = kind == eResample::smallenHQ ? makeZoomLayer(lm, size, 1, copyAttr)
                       : kind == eResample::averageHQ ? makeZoomLayer(lm, size, 2, copyAttr)
                                                      : makeZoomLayer2(lm, size, 2, copyAttr);
        if (lists.layers && mm.findLastIndexMaskImage() >= 0) {
            lists.masks = kind == eResample::smallenHQ ? mm.makeResizeMngrOld(size)
                                                       : mm.makeResizeMngrHQ(size);
            if (!lists.masks)
                lists.layers.reset();
        }
        if (!lists.layers && !askGoOnWithoutUndo(paper))
            return false;
    }
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            CEventMngr &ev = paper.eventMngr();
            return kind == eResample::smallenHQ ? ev.pushEventResolutionOld(w, h, ver)
                   : kind == eResample::averageHQ ? ev.pushEventResolutionHQ(w, h, ver)
                                                  : ev.pushEventResolutionHQ2(w, h, ver);
        }))
        return false;
    if (lists.layers) {
        std::unique_ptr<CLayerMngr> old = replaceLayerMngr(paper, w, h, std::move(lists.layers));
        std::unique_ptr<CMaskMngr> oldMasks;
        if (lists.masks)
            oldMasks = replaceMaskMngr(paper, w, h, std::move(lists.masks));
        guard.commit();
        SUndoExtras extras;
        extras.masks = oldMasks.get();
        if (pushUndo(paper, CUndoObj(old.get()), udcnComplexReso, paper.ActiveLayer(), w, h, 0,
                     std::move(extras))) {
            static_cast<void>(old.release());
            static_cast<void>(oldMasks.release());
        } else if (paper.undoMngrEx()) {
            paper.undoMngrEx()->cleanAll();
        }
        afterPaperChange(paper, flow);
    } else {
        // The masks change only when one holds a selection, as with a new list: a replay (in
        // place) must leave them as the recording did.
        const bool masksDone = mm.findLastIndexMaskImage() < 0 ||
                               (kind == eResample::smallenHQ ? mm.changeResolutionOld(size)
                                                             : mm.changeResolutionHQ(size));
        if (!masksDone || !changeResolutionInPlace(paper, flow, size, kind))
            return false;
        guard.commit();
        EventEditUndoDispose(paper);
    }
    if (IPaperOwner *o = paper.owner())
        o->updateMaskView();
    return true;
}

} // namespace

void anchorOffset(const sSize &newSize, const sSize &oldSize, sPos &pos, int32_t place)
{
    const int32_t dx = newSize.x - oldSize.x, dy = newSize.y - oldSize.y;
    if (place < 0 || place > 8) {
        pos = {0, 0};
        return;
    }
    // Column by column: left, centre, right; in each top, middle, bottom.
    const int32_t col = place / 3, row = place % 3;
    const int32_t xs[3] = {0, dx / 2, dx}, ys[3] = {0, dy / 2, dy};
    pos = {xs[col], ys[row]};
}

std::unique_ptr<CLayerMngr> replaceLayerMngr(TPaper &paper, int32_t w, int32_t h,
                                             std::unique_ptr<CLayerMngr> mngr)
{
    if (!mngr)
        return nullptr;
    if (CUndoMngrEx *um = paper.undoMngrEx())
        um->replaceOwner(mngr.get());
    std::unique_ptr<CLayerMngr> old = paper.swapLayerMngr(std::move(mngr));
    changePaperSize(paper, nullptr, w, h);
    return old;
}

std::unique_ptr<CMaskMngr> replaceMaskMngr(TPaper &paper, int32_t w, int32_t h,
                                           std::unique_ptr<CMaskMngr> mngr)
{
    if (!mngr)
        return nullptr;
    std::unique_ptr<CMaskMngr> old = paper.swapMaskMngr(std::move(mngr));
    CMaskMngr &mm = paper.maskMngr();
    mm.updatePreviewAll();
    if (old->hasAnts())
        mm.createAnts({w, h}, old->getAntsIndex());
    old->deleteAnts();
    if (IPaperOwner *o = paper.owner())
        o->updateMaskView();
    return old;
}

bool moveMask(TPaper &paper, const sPos &pos)
{
    CMaskMngr &mm = paper.maskMngr();
    if (!mm.hasMask())
        return false;
    for (int32_t i = 0; i < mm.getMaskCount(); ++i) {
        CMaskData &md = *mm.getMask(i);
        md.viewPos = {md.viewPos.x - pos.x, md.viewPos.y - pos.y};
    }
    remakeAnts(paper);
    return true;
}

bool remakeAnts(TPaper &paper)
{
    CMaskMngr &mm = paper.maskMngr();
    if (!mm.hasAnts())
        return false;
    return mm.createAnts(paper.m_paperSize, mm.getAntsIndex());
}

// ---- canvas size

bool eventEditResize(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, int32_t place,
                     uint8_t ver, bool undo)
{
    if (!sideOk(w) || !sideOk(h))
        return false;
    sPos offset;
    anchorOffset({w, h}, paper.m_paperSize, offset, place);
    std::unique_ptr<CLayerMngr> mngr;
    if (undo && isUndoEnable(paper)) {
        mngr = makeResizeLayerEx(paper.layerMngr(), offset, {w, h}, ver != 0);
        if (!mngr && !askGoOnWithoutUndo(paper))
            return false;
    }
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventResize(w, h, uint8_t(place), ver);
        }))
        return false;
    if (mngr) {
        std::unique_ptr<CLayerMngr> old = replaceLayerMngr(paper, w, h, std::move(mngr));
        moveMask(paper, offset);
        guard.commit();
        pushListRecord(paper, old, udcnComplexResize, paper.ActiveLayer(), w, h, place);
        afterPaperChange(paper, flow);
    } else {
        if (!resizeCanvasInPlace(paper, flow, {w, h}, place))
            return false;
        guard.commit();
        EventEditUndoDispose(paper);
    }
    updateMaskPreview(paper);
    return true;
}

bool orgEventEditResize(TPaper &paper, TFlowImage *flow, int32_t width, int32_t height,
                        int32_t place)
{
    if (!sideOk(width) || !sideOk(height))
        return false;
    const sSize canvas = paper.m_paperSize;
    sPos at;
    anchorOffset({width, height}, canvas, at, place);
    // Every new image first; the layers change only when all exist.
    std::vector<std::unique_ptr<CBlockVMTC>> images;
    const bool tp = paper.isDrawProcNew();
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        const CLayerData &ld = *paper.getLayerData(i);
        std::unique_ptr<CBlockVMTC> img = newModeImage(width, height, ld.mode);
        if (!img || !img->setAlphaAll(tp ? 0 : 255) ||
            !copyLayerImage(*img, *ld.imageTC, at,
                            {ld.viewPos.x, ld.viewPos.y, canvas.x, canvas.y})) {
            showWarning(memoryFailureMessage(QStringLiteral("サイズ変更")));
            return false;
        }
        img->shrinkMemory();
        images.push_back(std::move(img));
    }
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        CLayerData &ld = *paper.getLayerData(i);
        ld.replaceImage(std::move(images[size_t(i)]));
        ld.viewPos = {0, 0};
        ld.viewSize = {width, height};
        paper.chkOldMaskMode(i, ld.mode);
        ld.resizePreview();
    }
    changePaperSize(paper, flow, width, height);
    updatePreviewAll(paper);
    afterPaperChange(paper, flow);
    return true;
}

bool resizeCanvasInPlace(TPaper &paper, TFlowImage *flow, const sSize &size, int32_t place)
{
    if (!sideOk(size.x) || !sideOk(size.y))
        return false;
    sPos offset;
    anchorOffset(size, paper.m_paperSize, offset, place);
    std::vector<SResized> done;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        SResized r{};
        bool ok;
        try {
            ok = resizeLayerInPlace(*paper.getLayerData(i), offset, size, r);
        } catch (const std::bad_alloc &) {
            ok = false;
        }
        if (!ok) {
            // The converted images still hold the old paper: their old view comes back.
            for (const SResized &d : done) {
                d.ld->viewPos = d.restore;
                d.ld->viewSize = d.oldViewSize;
                d.ld->resizePreview();
                d.ld->updatePreview();
            }
            showWarning(memoryFailureMessage(QStringLiteral("サイズ変更")));
            return false;
        }
        done.push_back(r);
    }
    changePaperSize(paper, flow, size.x, size.y);
    updatePreviewAll(paper);
    moveMask(paper, offset);
    afterPaperChange(paper, flow);
    return true;
}

// ---- crop

bool eventEditCrop(TPaper &paper, TFlowImage *flow, int32_t idx, const sBox &box, bool undo,
                   uint16_t ver)
{
    if (!sideOk(box.w) || !sideOk(box.h) || !isIndexValid(paper, idx))
        return false;
    std::unique_ptr<CLayerMngr> mngr =
        makeResizeLayer(paper.layerMngr(), box.pos(), {box.w, box.h}, ver != 0);
    if (!mngr) {
        showWarning(memoryFailureMessage(QStringLiteral("切り抜き")));
        return false;
    }
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventCropEx(idx, box, ver); }))
        return false;
    std::unique_ptr<CLayerMngr> old = replaceLayerMngr(paper, box.w, box.h, std::move(mngr));
    moveMask(paper, {-box.x, -box.y});
    guard.commit();
    if (undo) {
        SUndoExtras extras;
        extras.offset = box.pos();
        pushListRecord(paper, old, udcnComplexCrop, idx, box.w, box.h, 0, std::move(extras));
    }
    afterPaperChange(paper, flow);
    if (IPaperOwner *o = paper.owner())
        o->updateCaption(false);
    return true;
}

// ---- resolution

bool eventEditResolutionOld(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                            bool undo)
{
    return eventEditResolution(paper, flow, w, h, ver, undo, eResample::smallenHQ);
}

bool eventEditResolutionHQ(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                           bool undo)
{
    return eventEditResolution(paper, flow, w, h, ver, undo, eResample::averageHQ);
}

bool eventEditResolutionHQ2(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h, uint16_t ver,
                            bool undo)
{
    return eventEditResolution(paper, flow, w, h, ver, undo, eResample::averageHQ2);
}

bool orgEventEditResolution(TPaper &paper, TFlowImage *flow, int32_t width, int32_t height)
{
    if (!sideOk(width) || !sideOk(height))
        return false;
    std::vector<std::unique_ptr<CBlockVMTC>> images;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        const CLayerData &ld = *paper.getLayerData(i);
        std::unique_ptr<CBlockVMTC> img = newModeImage(width, height, ld.mode);
        if (!img || !ld.imageTC->FilterSmallenHQ(*img)) {
            showWarning(memoryFailureMessage(QStringLiteral("解像度の変更")));
            return false;
        }
        images.push_back(std::move(img));
    }
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        CLayerData &ld = *paper.getLayerData(i);
        ld.replaceImage(std::move(images[size_t(i)]));
        ld.viewPos = {0, 0};
        ld.viewSize = {width, height};
        paper.chkOldMaskMode(i, ld.mode);
        ld.resizePreview();
    }
    changePaperSize(paper, flow, width, height);
    updatePreviewAll(paper);
    afterPaperChange(paper, flow);
    if (IPaperOwner *o = paper.owner())
        o->updateMaskView();
    return true;
}

bool changeResolutionOldInPlace(TPaper &paper, TFlowImage *flow, const sSize &size)
{
    return changeResolutionInPlace(paper, flow, size, eResample::smallenHQ);
}

bool changeResolutionHQInPlace(TPaper &paper, TFlowImage *flow, const sSize &size)
{
    return changeResolutionInPlace(paper, flow, size, eResample::averageHQ);
}

bool changeResolutionHQ2InPlace(TPaper &paper, TFlowImage *flow, const sSize &size)
{
    return changeResolutionInPlace(paper, flow, size, eResample::averageHQ2);
}

// ---- trim

bool eventLayerCutOutside(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->hasExtendSize())
        return false;
    const sSize S = paper.m_paperSize;
    std::unique_ptr<CLayerData> nl = newGeometryLayer(*ld, S.x, S.y);
    if (!nl ||
        !copyLayerImage(*nl->imageTC, *ld->imageTC, {0, 0},
                        {ld->viewPos.x, ld->viewPos.y, ld->viewSize.x, ld->viewSize.y}) ||
        !finishGeometryLayer(*nl, *ld, S))
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerCmd(idx, idx, 8); }))
        return false;
    CLayerMngr &lmg = paper.layerMngr();
    std::unique_ptr<CLayerData> old = lmg.replaceLayerData(idx, nl);
    if (!old)
        return false;
    guard.commit();
    if (undo) {
        if (pushUndo(paper, CUndoObj(old.get()), udcnComplexReplaceLayer, idx, lmg.index2id(idx),
                     1, 0))
            static_cast<void>(old.release());
        else
            disposeUndoAll(paper);
    }
    paper.setModified(true);
    if ((flow = flowOrOwner(paper, flow)))
        paper.setFlow(*flow, idx, true);
    dispatchView(paper, idx);
    return true;
}
