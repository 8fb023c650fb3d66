#include "document/selection/selection_ops.h"

#include "core/image/channel.h"
#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_record_guard.h"
#include "document/edit/masked_area.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/mask_preview.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/keys.h"

#include <new>

namespace {

using enum udCmdName;

CEventMngr &ev(TPaper &paper)
{
    return paper.eventMngr();
}

void invalidateView(TPaper &paper)
{
    if (IPaperOwner *o = paper.owner())
        o->invalidate(false);
}

int32_t idAt(const CMaskMngr &mm, int32_t midx)
{
    const CMaskData *md = mm.getMask(midx);
    return md ? md->uniqueID : -1;
}

// A record without object; when it cannot be kept all undo goes with it.
void pushMaskValues(TPaper &paper, udCmdName cn, int32_t n0, int32_t n1, int32_t n2, int32_t n3,
                    SUndoExtras &&extras = {})
{
    if (!pushUndo(paper, CUndoObj(), cn, n0, n1, n2, n3, std::move(extras)))
        disposeUndoAll(paper);
}

// A record that takes a mask; the mask is freed with all undo when it cannot be kept.
void pushMaskObject(TPaper &paper, std::unique_ptr<CMaskData> md, udCmdName cn, int32_t n0,
                    int32_t n1, int32_t n2, int32_t n3)
{
    if (md && pushUndo(paper, CUndoObj(md.get()), cn, n0, n1, n2, n3)) {
        md.release(); // the record owns it now
        return;
    }
    disposeUndoAll(paper);
}

// The state kept by the mask-state record: visible in the low half, enabled in the high half.
int32_t maskState(const TPaper &paper)
{
    return (paper.bVisMask ? 1 : 0) + (paper.bEnbMask ? 65536 : 0);
}

// The mask index an operation names: negative means the current mask.
int32_t maskOrCurrent(const TPaper &paper, int32_t midx)
{
    return midx < 0 ? paper.getActiveMaskIndex() : midx;
}

bool maskAddTypeOk(eMaskAddType mat)
{
    return uint8_t(mat) < kMaskAddTypeCount;
}

// A copy of the mask at midx grown or shrunk by one pixel into an image of size sz, the old one
// placed at (dx, dy) in it.
std::unique_ptr<CMaskData> makeInflatedMask(const CMaskData &md, bool inf, bool wide,
                                            int32_t dx, int32_t dy, const sSize &sz)
{
    auto nm = std::make_unique<CMaskData>(md.index, sz.x, sz.y);
    if (!nm->maskTC || !nm->maskTC->isEnable())
        return nullptr;
    const CBlockVCH *src = md.maskTC.get();
    std::unique_ptr<CBlockVCH> big;
    if (dx != 0 || dy != 0 || sz.x != src->width() || sz.y != src->height()) {
        big = std::make_unique<CBlockVCH>(sz.x, sz.y);
        if (!big->isEnable() || !big->copyArea(*src, dx, dy))
            return nullptr;
        src = big.get();
    }
    bool ok;
    if (!inf)
        ok = nm->maskTC->makeDeflateFast(*src);
    else
        ok = wide ? nm->maskTC->makeInflateFast(*src) : nm->maskTC->makeInflateFast_Old(*src);
    if (!ok)
        return nullptr;
    nm->maskTC->shrinkMemory();
    nm->viewPos = {md.viewPos.x + dx, md.viewPos.y + dy};
    nm->title = md.title;
    return nm;
}

bool inflateCore(TPaper &paper, int32_t idx, int32_t midx, bool inf, bool undo, bool second)
{
    CMaskMngr &mm = paper.maskMngr();
    midx = maskOrCurrent(paper, midx);
    const CMaskData *md = mm.getMask(midx);
    if (!isIndexValid(paper, idx) || !CMaskData::hasMask(md) ||
        (!second && !hasActiveMaskImage(paper)))
        return false;
    WaitCursor hourglass;
    int32_t l = 0, t = 0, r = 0, b = 0;
    if (second) {
        sRect R;
        if (!md->maskTC->findRect(R))
            return false;
        // Sides the selection touches get one more pixel, so growth is not cut off there.
        l = R.x0 == 0, t = R.y0 == 0;
        r = R.x1 == md->maskTC->width(), b = R.y1 == md->maskTC->height();
    }
    std::unique_ptr<CMaskData> nm;
    try {
        nm = makeInflatedMask(*md, inf, second, l, t,
                              {md->maskTC->width() + l + r, md->maskTC->height() + t + b});
        if (nm)
            nm->makePreview(paper.m_paperSize.x, paper.m_paperSize.y);
    } catch (const std::bad_alloc &) {
        nm.reset();
    }
    if (!nm)
        return false;
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] {
            return ev(paper).pushEventSelectCmdData2(idx, midx, inf ? 1 : 0, second ? 1 : 0, 10);
        }) ||
        !mm.replaceMask(midx, nm))
        return false;
    guard.commit();
    if (undo)
        pushMaskReplace(paper, idx, midx, std::move(nm));
    updateSelectWindow(paper, midx);
    updateAnts(paper, true, true);
    return true;
}

} // namespace

// ---- queries

bool hasActiveMask(const TPaper &paper)
{
    return paper.maskMngr().hasActiveMask();
}

bool hasActiveMaskImage(const TPaper &paper)
{
    return CMaskData::hasMask(paper.getActiveMaskData());
}

bool isActiveMaskExtend(const TPaper &paper)
{
    return hasActiveMaskImage(paper) && paper.maskMngr().hasExtendSize(-1);
}

CMaskData *getMaskData(const TPaper &paper, int32_t idx)
{
    return paper.maskMngr().getMask(idx);
}

int32_t getMaskCount(const TPaper &paper)
{
    return paper.maskMngr().getMaskCount();
}

int32_t getViewMaskValue(const TPaper &paper, const sPos &canvasPos)
{
    const CMaskData *md = paper.getActiveMaskData();
    if (!CMaskData::hasMask(md))
        return -1;
    return md->getMaskValue(canvasPos.x, canvasPos.y);
}

eMaskAddType maskAddTypeForKeys(bool shift, bool ctrl, bool alt, bool oldShortcuts)
{
    using enum eMaskAddType;
    if (shift) {
        if (oldShortcuts)
            return ctrl ? matAnd : matAdd;
        return alt ? matAnd : matAdd;
    }
    if (alt)
        return oldShortcuts ? matNew : matSub;
    if (ctrl)
        return oldShortcuts ? matSub : matNew;
    return matNew;
}

eMaskAddType getMaskAddType(const TPaper &paper)
{
    if (!hasActiveMaskImage(paper))
        return eMaskAddType::matNew;
    const bool old = gAppProfile && gAppProfile->UseOldShortCut;
    return maskAddTypeForKeys(isKeyDown(VK_SHIFT), isKeyDown(VK_CONTROL), isKeyDown(VK_MENU), old);
}

// ---- ants and panels

bool createAnts(TPaper &paper, const sSize *psz)
{
    if (psz)
        return paper.maskMngr().createAnts(*psz, -1);
    return paper.maskMngr().createAntsEx(paper.getActiveMaskIndex());
}

void setAntsOfs(TPaper &paper, const sPos &ofs)
{
    paper.maskMngr().setAntsOfs(ofs);
}

sPos getAntsOfs(const TPaper &paper)
{
    sPos ofs;
    paper.maskMngr().getAntsOfs(ofs);
    return ofs;
}

bool showAnts(TPaper &paper, IPixelSink *dc, const sSize &sz)
{
    return paper.bVisMask && paper.maskMngr().showAnts(dc, sz);
}

void walkAnts(TPaper &paper)
{
    paper.maskMngr().walkAnts();
}

void updateSelectWindow(TPaper &paper, int32_t midx)
{
    CMaskMngr &mm = paper.maskMngr();
    if (CMaskData *md = mm.getMask(maskOrCurrent(paper, midx)))
        mm.updatePreview(md);
    if (IPaperOwner *o = paper.owner())
        o->updateMaskView();
}

void updateSelectWindowAll(TPaper &paper)
{
    if (IPaperOwner *o = paper.owner())
        o->updateMaskView();
}

void updateAnts(TPaper &paper, bool enb, bool vis)
{
    paper.bEnbMask = enb;
    paper.bVisMask = vis;
    paper.maskMngr().createAnts(paper.m_paperSize, -1);
    invalidateView(paper);
}

void pushMaskReplace(TPaper &paper, int32_t idx, int32_t midx, std::unique_ptr<CMaskData> old)
{
    pushMaskObject(paper, std::move(old), udcnMaskReplace, idx, midx,
                   idAt(paper.maskMngr(), midx), 0);
}

// ---- the list commands

bool eventSelectAll(TPaper &paper, TFlowImage *, int32_t idx, bool undo)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC || !hasActiveMask(paper))
        return false;
    WaitCursor hourglass;
    CMaskMngr &mm = paper.maskMngr();
    const int32_t cur = mm.getCurIndex();
    // The whole layer image, which covers the paper and may reach past it.
    const sSize sz{ld->imageTC->width(), ld->imageTC->height()};
    TChannel all;
    if (!all.Resize(sz.x, sz.y))
        return false;
    all.PixelFill(255);
    CEventRecordGuard guard(ev(paper));
    std::unique_ptr<CMaskData> old;
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, cur, 20); }) ||
        !mm.replaceMask(cur, all, sz, ld->viewPos, old, eMaskAddType::matNew))
        return false;
    guard.commit();
    if (undo)
        pushMaskReplace(paper, idx, cur, std::move(old));
    updateAnts(paper, true, true);
    updateSelectWindow(paper, cur);
    return true;
}

bool eventSelectDelete(TPaper &paper, TFlowImage *, int32_t idx, bool undo)
{
    if (!isIndexValid(paper, idx) || !hasActiveMaskImage(paper))
        return false;
    CMaskMngr &mm = paper.maskMngr();
    const int32_t cur = mm.getCurIndex();
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, cur, 1); }))
        return false;
    std::unique_ptr<CMaskData> old;
    const bool ok = mm.deleteMask(cur, old);
    if (ok) {
        guard.commit();
        if (undo)
            pushMaskReplace(paper, idx, cur, std::move(old));
        else
            // A change made without a record: no history may step back over it.
            disposeUndoAll(paper);
    }
    mm.deleteAnts();
    invalidateView(paper);
    updateSelectWindow(paper, cur);
    return ok;
}

bool eventSelectInvert(TPaper &paper, TFlowImage *, int32_t idx, bool undo)
{
    if (!isIndexValid(paper, idx) || !hasActiveMaskImage(paper))
        return false;
    WaitCursor hourglass;
    CMaskMngr &mm = paper.maskMngr();
    const int32_t cur = mm.getCurIndex();
    CEventRecordGuard guard(ev(paper));
    std::unique_ptr<CMaskData> old;
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, cur, 3); }) ||
        !mm.invertMaskEx(cur, old))
        return false;
    guard.commit();
    if (undo) {
        if (old)
            pushMaskReplace(paper, idx, cur, std::move(old));
        else
            pushMaskValues(paper, udcnMaskInvert, idx, cur, idAt(mm, cur), 0);
    }
    updateMaskPreview(paper);
    mm.createAnts(paper.m_paperSize, -1);
    invalidateView(paper);
    updateSelectWindow(paper, cur);
    return true;
}

bool eventSelectActivate(TPaper &paper, TFlowImage *, int32_t idx, int32_t midx, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    if (midx < 0 || midx > mm.getMaskCount())
        return false;
    const int32_t old = mm.getCurIndex();
    const bool appended = midx == mm.getMaskCount();
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, midx, 5); }))
        return false;
    mm.setCurIndex(midx);
    const bool ok = mm.getCurIndex() == midx;
    if (ok) {
        guard.commit();
        // Making the index past the list current appends a mask: undo must take it out again,
        // which the insert record does and the activation record would not.
        if (undo && appended)
            pushMaskValues(paper, udcnMaskInsert, idx, midx, idAt(mm, midx),
                           int32_t((uint32_t(midx) << 16) | (uint32_t(old) & 0xFFFF)));
        else if (undo)
            pushMaskValues(paper, udcnMaskActivate, idx, midx, idAt(mm, midx), old);
    }
    mm.createAnts(paper.m_paperSize, -1);
    invalidateView(paper);
    updateSelectWindowAll(paper);
    return ok;
}

bool eventSelectName(TPaper &paper, TFlowImage *, int32_t idx, int32_t midx, const QString &name,
                     bool undo)
{
    CMaskData *md = paper.maskMngr().getMask(midx);
    if (!md)
        return false;
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectName(midx, name); }))
        return false;
    guard.commit();
    if (undo) {
        SUndoExtras extras;
        extras.text = {md->title, name};
        pushMaskValues(paper, udcnMaskName, idx, midx, 0, 0, std::move(extras));
    }
    md->title = name;
    updateSelectWindow(paper, midx);
    return true;
}

bool eventSelectInsert(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    if (midx < 0)
        midx = mm.getCurIndex() + 1;
    if (midx > mm.getMaskCount())
        return false;
    const int32_t old = mm.getCurIndex();
    // The new mask takes the next default title: its undo gives the number back.
    SUndoExtras extras;
    extras.maskTitleNum = mm.getTotalNum();
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, midx, 0); }))
        return false;
    int32_t nw;
    try {
        nw = mm.insertMask(midx);
    } catch (const std::bad_alloc &) {
        nw = -1;
    }
    if (nw < 0)
        return false;
    guard.commit();
    if (undo)
        pushMaskValues(paper, udcnMaskInsert, idx, nw, idAt(mm, nw),
                       int32_t((uint32_t(nw) << 16) | (uint32_t(old) & 0xFFFF)),
                       std::move(extras));
    eventSelectActivate(paper, flow, idx, nw, false);
    return true;
}

bool eventSelectDuplicate(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    midx = maskOrCurrent(paper, midx);
    if (!mm.chkIndex(midx))
        return false;
    const int32_t old = mm.getCurIndex();
    CEventRecordGuard guard(ev(paper));
    // The copy goes in before its original, at the same index.
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, midx, 4); }))
        return false;
    int32_t nw;
    try {
        nw = mm.duplicateMask(midx);
    } catch (const std::bad_alloc &) {
        nw = -1;
    }
    if (nw < 0)
        return false;
    guard.commit();
    if (undo)
        pushMaskValues(paper, udcnMaskInsert, idx, nw, idAt(mm, nw),
                       int32_t((uint32_t(nw) << 16) | (uint32_t(old) & 0xFFFF)));
    eventSelectActivate(paper, flow, idx, nw, false);
    return true;
}

bool eventSelectRemove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    midx = maskOrCurrent(paper, midx);
    if (mm.getMaskCount() <= 1 || !mm.chkIndex(midx))
        return false;
    const int32_t old = mm.getCurIndex();
    CEventRecordGuard guard(ev(paper));
    std::unique_ptr<CMaskData> md;
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, midx, 2); }) ||
        !mm.removeMask(midx, md))
        return false;
    guard.commit();
    if (undo) {
        const int32_t id = md->uniqueID;
        pushMaskObject(paper, std::move(md), udcnMaskRemove, idx, midx, id,
                       int32_t((uint32_t(old) & 0xFFFF) | (uint32_t(mm.getCurIndex()) << 16)));
    }
    eventSelectActivate(paper, flow, idx, mm.getCurIndex(), false);
    return true;
}

bool eventSelectCutOutside(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    midx = maskOrCurrent(paper, midx);
    if (!mm.chkIndex(midx))
        return false;
    CEventRecordGuard guard(ev(paper));
    std::unique_ptr<CMaskData> old;
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, midx, 6); }) ||
        !mm.cutOutside(midx, old))
        return false;
    guard.commit();
    if (undo)
        pushMaskReplace(paper, idx, midx, std::move(old));
    eventSelectActivate(paper, flow, idx, midx, false);
    return true;
}

bool eventSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midxDst,
                     int32_t midxSrc, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    if (!mm.chkIndex(midxDst) || !mm.chkIndex(midxSrc) || midxDst == midxSrc)
        return false;
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] {
            return ev(paper).pushEventSelectCmdData2(idx, midxSrc, uint32_t(midxDst), 0, 7);
        }))
        return false;
    const int32_t nw = mm.moveMask(midxDst, midxSrc);
    if (nw < 0)
        return false;
    guard.commit();
    if (undo)
        pushMaskValues(paper, udcnMaskMove, idx, midxSrc, nw, idAt(mm, nw));
    eventSelectActivate(paper, flow, idx, nw, false);
    return true;
}

bool eventSelectBind(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t dst, int32_t src,
                     eMaskAddType mat, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    if (!mm.chkIndex(dst) || !mm.chkIndex(src) || !maskAddTypeOk(mat))
        return false;
    WaitCursor hourglass;
    CEventRecordGuard guard(ev(paper));
    std::unique_ptr<CMaskData> old;
    if (!recordEvent(ev(paper), undo, [&] {
            return ev(paper).pushEventSelectCmdData2(idx, src, uint32_t(dst), uint32_t(mat), 9);
        }) ||
        !mm.bindMask(dst, src, old, mat))
        return false;
    guard.commit();
    if (undo)
        pushMaskObject(paper, std::move(old), udcnMaskBind, idx, src, dst, int32_t(mat));
    eventSelectActivate(paper, flow, idx, dst, false);
    return true;
}

bool eventSelectFromLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                          eMaskLayerConv mlc, eMaskAddType mad, bool undo)
{
    CMaskMngr &mm = paper.maskMngr();
    midx = maskOrCurrent(paper, midx);
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !mm.chkIndex(midx) || !maskAddTypeOk(mad) || uint8_t(mlc) > 1)
        return false;
    WaitCursor hourglass;
    std::unique_ptr<CMaskData> md;
    try {
        md = std::make_unique<CMaskData>(mm.getMaskCount());
        const bool ok = mlc == eMaskLayerConv::mlcValue ? md->createMaskFromValue(*ld, true)
                                                        : md->createMaskFromLayerMask(*ld);
        if (!ok || !mm.reserve(1))
            return false;
    } catch (const std::bad_alloc &) {
        return false;
    }
    const int32_t old = mm.getCurIndex();
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] {
            return ev(paper).pushEventSelectCmdData2(idx, midx, uint32_t(mlc), 0, 22);
        }))
        return false;
    CMaskData *raw = md.get();
    const int32_t pos = mm.insertMask(midx + 1, md);
    if (pos < 0)
        return false;
    guard.commit();
    if (undo && !pushUndo(paper, CUndoObj(raw), udcnMaskInsert2, idx, pos, raw->uniqueID,
                          int32_t((uint32_t(old) & 0xFFFF) | (uint32_t(pos) << 16))))
        disposeUndoAll(paper);
    eventSelectActivate(paper, flow, idx, pos, false);
    updateAnts(paper, true, true);
    return true;
}

bool eventSelectInflate(TPaper &paper, TFlowImage *, int32_t idx, int32_t midx, bool inf,
                        bool undo)
{
    return inflateCore(paper, idx, midx, inf, undo, false);
}

bool eventSelectInflate2(TPaper &paper, TFlowImage *, int32_t idx, int32_t midx, bool inf,
                         bool undo)
{
    return inflateCore(paper, idx, midx, inf, undo, true);
}

bool eventSelectCopyLayerMask(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                              bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    const CMaskData *md = paper.maskMngr().getMask(maskOrCurrent(paper, midx));
    if (!ld || !ld->imageTC || !md)
        return false;
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventSelectCmd(idx, midx, 21); }))
        return false;
    if (undo) {
        // The old alpha is kept before it changes; without it nothing may change.
        sBox box = ld->imageBox();
        if (isUndoEnable(paper) && !pushUndo(paper, *ld, box, udcnAlphaFill))
            return false;
    }
    guard.commit();
    md->copyTo(*ld);
    refreshView(paper, flow, idx, false);
    UpdateVRAM(paper, true, true);
    return true;
}

bool canSplitLayerWithMask(const TPaper &paper)
{
    const CLayerData *ld = paper.getActiveLayerData();
    return paper.bEnbMask && ld && ld->visible && hasActiveMaskImage(paper);
}

bool eventSelectSplitLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                           int32_t ver, bool copy, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    CLayerMngr &lm = paper.layerMngr();
    const CMaskData *md = paper.maskMngr().getMask(maskOrCurrent(paper, midx));
    if (!ld || !ld->imageTC || !CMaskData::hasMask(md) || !paper.bEnbMask || !ld->visible ||
        ver < 0 || ver > 1 || !lm.canAddLayer())
        return false;
    WaitCursor hourglass;
    SUndoExtras extras;
    std::unique_ptr<CLayerData> nl;
    try {
        // The source's alpha before the change, kept by the record.
        sByteImage alpha;
        sBox whole = ld->imageBox();
        if (undo && (!byteImageFromAlpha(alpha, *ld->imageTC, whole) || !alpha.data)) {
            err_memHandler();
            return false;
        }
        if (undo)
            extras.bytes.assign(alpha.data.get(),
                                alpha.data.get() + size_t(alpha.w) * size_t(alpha.h));
        nl = createMaskedLayerCopy(*ld, md);
        if (!nl || !lm.reserve(1))
            return false;
    } catch (const std::bad_alloc &) {
        err_memHandler();
        return false;
    }
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] {
            return ver == 0 ? ev(paper).pushEventSelectCmd(idx, midx, 11)
                            : ev(paper).pushEventSelectCmdData2(
                                  idx, midx, uint32_t(ver) | (copy ? 0x10000u : 0), 0, 24);
        }))
        return false;
    // The new layer goes in first: should that fail, the source has not been touched.
    const int32_t srcId = ld->uniqueID;
    CLayerData *added = nl.get();
    const int32_t at = lm.insertLayer(idx + 1, nl);
    if (at < 0)
        return false;
    guard.commit();
    if (!copy)
        eraseMaskedArea(*ld, md, ver);
    if (undo && !pushUndo(paper, CUndoObj(added), udcnComplexSplitWithMask, idx, srcId,
                          maskOrCurrent(paper, midx), 0, std::move(extras)))
        disposeUndoAll(paper);
    EventLayerActive(paper, flow, at, true);
    UpdateVRAM(paper, true, true);
    return true;
}

bool eventEditCutLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    const CMaskData *md = paper.maskMngr().getMask(maskOrCurrent(paper, midx));
    if (!ld || !ld->imageTC || !CMaskData::hasMask(md) || !paper.bEnbMask)
        return false;
    WaitCursor hourglass;
    if (undo) {
        IPaperOwner *o = paper.owner();
        if (!o || !o->copyLayerToClipboardWithMask(idx, midx))
            return false;
    }
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] { return ev(paper).pushEventLayerCmd(idx, midx, 9); }))
        return false;
    if (undo && isUndoEnable(paper)) {
        sBox box = ld->imageBox();
        if (!pushUndo(paper, *ld, box, udcnAlphaFill))
            return false;
    }
    guard.commit();
    eraseMaskedArea(*ld, md, 0);
    EventLayerActive(paper, flow, idx, true);
    UpdateVRAM(paper, true, true);
    return true;
}

bool eventSelectText(TPaper &paper, TFlowImage *flow, int32_t idx, const sBox *, bool undo)
{
    const CLayerData *ld = paper.getLayerData(idx);
    TFlowImage *f = flowOrOwner(paper, flow);
    CMaskMngr &mm = paper.maskMngr();
    if (!ld || !ld->imageTC || !f || !mm.hasActiveMask())
        return false;
    const sSize sz{ld->imageTC->width(), ld->imageTC->height()};
    if (f->alpha().width() < sz.x || f->alpha().height() < sz.y)
        return false;
    const int32_t cur = mm.getCurIndex();
    std::unique_ptr<CMaskData> old;
    const bool ok = mm.replaceMask(cur, f->alpha(), sz, ld->viewPos, old, getMaskAddType(paper));
    f->clearAlpha();
    if (!ok)
        return false;
    if (undo)
        pushMaskReplace(paper, idx, cur, std::move(old));
    updateAnts(paper, true, true);
    updateSelectWindow(paper, cur);
    return true;
}

// ---- state of the selection

namespace {

bool setMaskFlag(TPaper &paper, bool sw, bool undo, bool enable)
{
    CMaskMngr &mm = paper.maskMngr();
    bool &flag = enable ? paper.bEnbMask : paper.bVisMask;
    const int32_t before = maskState(paper);
    const bool now = mm.hasActiveMask() ? sw : flag;
    const int32_t bit = enable ? 65536 : 1;
    const int32_t after = (before & ~bit) | (now ? bit : 0);
    const int32_t layer = paper.ActiveLayer(), cur = mm.getCurIndex();
    if (undo) {
        // Recorded even when nothing changes, as the command was given; a packet that cannot be
        // written leaves the flag as it was.
        CEventRecordGuard guard(ev(paper));
        if (!recordEvent(ev(paper), undo, [&] {
                return ev(paper).pushEventSelectCmdData2(layer, cur, uint32_t(before),
                                                         uint32_t(after), enable ? 14 : 13);
            }))
            return flag;
        guard.commit();
    }
    flag = now;
    if (undo)
        pushMaskValues(paper, udcnMaskState, layer, cur, before, after);
    if (!enable)
        invalidateView(paper);
    return flag;
}

} // namespace

bool eventMaskVisible(TPaper &paper, bool sw, bool undo)
{
    return setMaskFlag(paper, sw, undo, false);
}

bool eventMaskEnable(TPaper &paper, bool sw, bool undo)
{
    return setMaskFlag(paper, sw, undo, true);
}

bool eventMoveActiveMask(TPaper &paper, const sPos &ofs, bool undo)
{
    CMaskData *md = paper.getActiveMaskData();
    if (!CMaskData::hasMask(md) || (ofs.x == 0 && ofs.y == 0))
        return false;
    const int32_t layer = paper.ActiveLayer(), cur = paper.getActiveMaskIndex();
    CEventRecordGuard guard(ev(paper));
    if (!recordEvent(ev(paper), undo, [&] {
            return ev(paper).pushEventSelectCmdData2(layer, cur, uint32_t(ofs.x), uint32_t(ofs.y),
                                                     8);
        }))
        return false;
    guard.commit();
    md->viewPos.x -= ofs.x;
    md->viewPos.y -= ofs.y;
    if (undo)
        pushMaskValues(paper, udcnMaskMovePos, layer, cur, ofs.x, ofs.y);
    updateMaskPreview(paper);
    paper.maskMngr().createAnts(paper.m_paperSize, -1);
    updateSelectWindow(paper, cur);
    invalidateView(paper);
    return true;
}
