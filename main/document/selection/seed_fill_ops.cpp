#include "document/selection/seed_fill_ops.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/profile/app_profile.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_record_guard.h"
#include "document/events/event_replay.h"
#include "document/files/new_document.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_stock.h"
#include "paint/fill/flood_fill.h"
#include "paint/fill/seed_fill.h"
#include "platform/codec/block_compress.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <functional>
#include <cstring>
#include <new>

namespace {

using enum udCmdName;

constexpr uint32_t kMergeVersion = 0x30003;

const CAppProfile &prefs()
{
    static const CAppProfile fallback{};
    return gAppProfile ? *gAppProfile : fallback;
}

wandOptTarget targetOf(int32_t v)
{
    return v == 1 ? wandOptTarget::wotVram : wandOptTarget::wotLayer;
}

bool pastLeftOrTop(const CLayerData &ld)
{
    return ld.viewPos.x > 0 || ld.viewPos.y > 0;
}

// The work image bound anew to layer idx (its coverage cleared); false when it cannot hold it.
bool bindFlow(TPaper &paper, TFlowImage &flow, int32_t idx)
{
    const CLayerData *ld = paper.getLayerData(idx);
    paper.setFlow(flow, idx, true);
    return ld && flow.layerIdx() == idx && flow.alpha().width() >= ld->imageTC->width() &&
           flow.alpha().height() >= ld->imageTC->height() &&
           flow.alpha().width() >= paper.m_paperSize.x &&
           flow.alpha().height() >= paper.m_paperSize.y;
}

// The coverage marked in paper coordinates moved to the layer's: pixel p goes to p + viewPos.
bool markToLayer(TChannel &alpha, const CLayerData &ld, const sSize &paperSize)
{
    TChannel tmp;
    if (!tmp.Resize(ld.imageTC->width(), ld.imageTC->height()))
        return false;
    tmp.PixelFill(0);
    alpha.BltPart(tmp, ld.viewPos, {0, 0, paperSize.x, paperSize.y});
    alpha.PixelFill(0);
    tmp.Blt(alpha, 0, 0);
    return true;
}

// Marks the area around the paper position in the work image's coverage channel. False when the
// point fails, the stack overflowed (with the message) or the target cannot be made.
bool markArea(TPaper &paper, TFlowImage &flow, int32_t idx, const sPos &paperPos, bool anti,
              wandOptTarget target, int32_t limit, const CMaskData *limitMask)
{
    std::unique_ptr<TMTC> img = makeViewImage(paper, idx, target);
    if (!img)
        return false;
    TChannel &alpha = flow.alpha();
    alpha.PixelFill(0);
    const sRect area{0, 0, paper.m_paperSize.x, paper.m_paperSize.y};
    std::unique_ptr<CSeedFillTC> filler;
    if (CMaskData::hasMask(limitMask))
        filler = std::make_unique<CSeedFillTCWithMask>(SEED_FILL_MAX_SEEDS, *img, alpha, area,
                                                       limitMask->viewPos, *limitMask->maskTC);
    else
        filler = std::make_unique<CSeedFillTCWithAlpha>(SEED_FILL_MAX_SEEDS, *img, alpha, area);
    filler->useAntiAlias = anti;
    if (!filler->start(paperPos, wandDistanceLimit(limit))) {
        alpha.PixelFill(0);
        return false;
    }
    if (filler->overflow) {
        // Too complex: nothing may be painted, recorded or pushed.
        alpha.PixelFill(0);
        showWarning(seedFillTooComplexMessage());
        return false;
    }
    if (!anti)
        alpha.modifyEdge({0, 0, alpha.width(), alpha.height()}, fillInteriorPixel);
    return true;
}

void paintMark(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &box, bool erase)
{
    if (erase)
        flowBltAlphaEraseMask(paper, flow, stroke, box);
    else
        flowBltAlphaStd(paper, flow, stroke, box);
}

// Rebinds the work image with force on every way out (which clears its coverage).
struct SRebind
{
    TPaper &paper;
    TFlowImage &flow;
    int32_t idx;
    ~SRebind() { paper.setFlow(flow, idx, true); }
};

} // namespace

int32_t wandDistanceLimit(int32_t t)
{
    return 2 * t * t;
}

int32_t floodTolerance(int32_t t)
{
    return std::min(t, 255);
}

std::unique_ptr<TMTC> makeViewImage(TPaper &paper, int32_t idx, wandOptTarget target)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return nullptr;
    try {
        auto tc = std::make_unique<TMTC>(paper.m_paperSize);
        if (tc->width() != paper.m_paperSize.x || tc->height() != paper.m_paperSize.y)
            return nullptr;
        if (target == wandOptTarget::wotLayer) {
            tc->PixelFill(0);
            ld->imageTC->bltTo(*tc, {-ld->viewPos.x, -ld->viewPos.y}, ld->imageBox(), 255, false);
            return tc;
        }
        const uint32_t alpha = paper.bVisCanvasCol ? 0xFF000000u : 0;
        tc->PixelFill((paper.m_canvascolor & 0xFFFFFF) | alpha);
        for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
            const CLayerData *l = paper.getLayerData(i);
            if (!l || !l->imageTC || !l->visible)
                continue;
            const sPos at{-l->viewPos.x, -l->viewPos.y};
            if (paper.bVisCanvasCol)
                l->imageTC->layerBltTo(*tc, *l, at, l->imageBox(), false);
            else
                l->mixToEx(*tc, at, l->imageBox(), kMergeVersion);
        }
        return tc;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

std::unique_ptr<TMTC> makeViewImage2(TPaper &paper, int32_t idx, wandOptTarget target)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return nullptr;
    try {
        auto tc = std::make_unique<TMTC>(paper.m_paperSize);
        if (tc->width() != paper.m_paperSize.x || tc->height() != paper.m_paperSize.y)
            return nullptr;
        tc->PixelFill(0x000000FF);
        for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
            const CLayerData *l = paper.getLayerData(i);
            const bool take = target == wandOptTarget::wotLayer ? i == idx : l && l->visible;
            if (take && l && l->imageTC)
                l->mixToEx(*tc, {-l->viewPos.x, -l->viewPos.y}, l->imageBox(), kMergeVersion);
        }
        return tc;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

// ---- seed fill

bool eventSeedFill(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos, bool anti,
                   bool erase, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    TFlowImage *f = flowOrOwner(paper, flow);
    if (!ld || !ld->imageTC || !f || !bindFlow(paper, *f, idx))
        return false;
    WaitCursor hourglass;
    const sPos pp{pos.x - ld->viewPos.x, pos.y - ld->viewPos.y};
    if (!markArea(paper, *f, idx, pp, anti, targetOf(prefs().fillTarget), prefs().fillLimit,
                  paper.getActiveMaskData()))
        return false;
    if (!pastLeftOrTop(*ld)) {
        // The layer's pixels are the paper's: the mark already lies in layer coordinates.
        return eventSeedFill_Old(paper, f, idx, pos, anti, erase, undo);
    }
    if (!markToLayer(f->alpha(), *ld, paper.m_paperSize)) {
        f->alpha().PixelFill(0);
        return false;
    }
    return eventSeedFillEx(paper, f, idx, pos, ld->viewPos,
                           {ld->imageTC->width(), ld->imageTC->height()}, anti, erase, undo);
}

bool eventSeedFill_Old(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos, bool anti,
                      bool erase, bool undo)
{
    TFlowImage *f = flowOrOwner(paper, flow);
    TStroke *stroke = paper.getActiveStroke();
    if (!f || !stroke || !isIndexValid(paper, idx))
        return false;
    SRebind rebind{paper, *f, idx};
    selectStrokePutProcs(*stroke);
    sRect r;
    if (!f->alpha().findRect(r))
        return false;
    const sBox box{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventAlpha(
                idx, paper.getActiveMaskIndex(), f->alpha(), pos, uint8_t(eMaskAddType::matNew),
                uint8_t(prefs().fillTarget), uint16_t(prefs().fillLimit), anti ? 1 : 0,
                erase ? 4 : 0);
        }))
        return false;
    guard.commit();
    sBox stock = box;
    if (undo && isUndoEnable(paper) && !undoStockPart(paper, idx, stock, udcnImageBox))
        disposeUndoAll(paper);
    paintMark(paper, *f, *stroke, box, erase);
    refreshView(paper, f, idx, box, true);
    return true;
}

bool eventSeedFillEx(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                     const sPos &ofs, const sSize &sz, bool anti, bool erase, bool undo)
{
    TFlowImage *f = flowOrOwner(paper, flow);
    TStroke *stroke = paper.getActiveStroke();
    CLayerData *ld = paper.getLayerData(idx);
    if (!f || !stroke || !ld || sz.x < 1 || sz.y < 1 || sz.x > kMaxPaperSide ||
        sz.y > kMaxPaperSide)
        return false;
    sRect r;
    if (!f->alpha().findRect(r)) {
        paper.setFlow(*f, idx, true);
        return false;
    }
    const sBox box{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    // The coverage is kept aside while the work image is bound to the copy.
    TChannel mark(f->alpha());
    std::unique_ptr<CLayerData> nl;
    try {
        nl = ld->createResizeLayer(sz, {ofs.x - ld->viewPos.x, ofs.y - ld->viewPos.y});
        if (nl)
            nl->copyAttr(*ld);
    } catch (const std::bad_alloc &) {
        nl.reset();
    }
    if (!nl || mark.width() != f->alpha().width()) {
        paper.setFlow(*f, idx, true);
        return false;
    }
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventAlphaEx(
                idx, paper.getActiveMaskIndex(), mark, pos, ofs, sz,
                uint8_t(eMaskAddType::matNew), uint8_t(prefs().fillTarget),
                uint16_t(prefs().fillLimit), anti ? 1 : 0, erase ? 5 : 2);
        })) {
        paper.setFlow(*f, idx, true);
        return false;
    }
    CLayerMngr &lmg = paper.layerMngr();
    std::unique_ptr<CLayerData> old = lmg.replaceLayerData(idx, nl);
    if (!old) {
        paper.setFlow(*f, idx, true);
        return false;
    }
    guard.commit();
    if (undo) {
        // n2 stands for the document: the record only needs it to be there.
        if (pushUndo(paper, CUndoObj(old.get()), udcnComplexReplaceLayer, idx, lmg.index2id(idx),
                     1, 0))
            static_cast<void>(old.release());
        else
            disposeUndoAll(paper);
    }
    SRebind rebind{paper, *f, idx};
    paper.setFlow(*f, idx, true);
    mark.Blt(f->alpha(), 0, 0);
    selectStrokePutProcs(*stroke);
    paintMark(paper, *f, *stroke, box, erase);
    refreshView(paper, f, idx, box, true);
    return true;
}

// ---- magic wand

bool eventMagicWand(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                    eMaskAddType mat, bool anti, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    TFlowImage *f = flowOrOwner(paper, flow);
    if (!ld || !ld->imageTC || !f || uint8_t(mat) >= kMaskAddTypeCount ||
        !paper.maskMngr().hasActiveMask() || !bindFlow(paper, *f, idx))
        return false;
    WaitCursor hourglass;
    const sPos pp{pos.x - ld->viewPos.x, pos.y - ld->viewPos.y};
    // The wand is not limited by the selection.
    if (!markArea(paper, *f, idx, pp, anti, targetOf(prefs().wandTarget), prefs().wandLimit,
                  nullptr))
        return false;
    if (pastLeftOrTop(*ld))
        return eventMagicWandEx(paper, f, idx, pos, {0, 0}, paper.m_paperSize, mat, anti, undo);
    return eventMagicWand_Old(paper, f, idx, pos, mat, anti, undo);
}

namespace {

bool wandCommit(TPaper &paper, TFlowImage &f, int32_t idx, const sPos &pos, const sPos &ofs,
                const sSize &sz, eMaskAddType mat, bool anti, bool undo, bool ex)
{
    SRebind rebind{paper, f, idx};
    CMaskMngr &mm = paper.maskMngr();
    const int32_t cur = mm.getCurIndex();
    if (!mm.hasActiveMask() || uint8_t(mat) >= kMaskAddTypeCount || f.alpha().width() < sz.x ||
        f.alpha().height() < sz.y)
        return false;
    std::unique_ptr<CMaskData> old;
    {
        CEventRecordGuard guard(paper.eventMngr());
        if (!recordEvent(paper.eventMngr(), undo, [&] {
                CEventMngr &ev = paper.eventMngr();
                return ex ? ev.pushEventAlphaEx(idx, cur, f.alpha(), pos, ofs, sz, uint8_t(mat),
                                                uint8_t(prefs().wandTarget),
                                                uint16_t(prefs().wandLimit), anti ? 1 : 0, 3)
                          : ev.pushEventAlpha(idx, cur, f.alpha(), pos, uint8_t(mat),
                                              uint8_t(prefs().wandTarget),
                                              uint16_t(prefs().wandLimit), anti ? 1 : 0, 1);
            }) ||
            !mm.replaceMask(cur, f.alpha(), sz, ofs, old, mat))
            return false;
        guard.commit();
    }
    if (undo)
        pushMaskReplace(paper, idx, cur, std::move(old));
    updateAnts(paper, true, true);
    updateSelectWindow(paper, cur);
    return true;
}

} // namespace

bool eventMagicWand_Old(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                       eMaskAddType mat, bool anti, bool undo)
{
    TFlowImage *f = flowOrOwner(paper, flow);
    const CLayerData *ld = paper.getLayerData(idx);
    if (!f || !ld || !ld->imageTC)
        return false;
    return wandCommit(paper, *f, idx, pos, ld->viewPos,
                      {ld->imageTC->width(), ld->imageTC->height()}, mat, anti, undo, false);
}

bool eventMagicWandEx(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                      const sPos &ofs, const sSize &sz, eMaskAddType mat, bool anti, bool undo)
{
    TFlowImage *f = flowOrOwner(paper, flow);
    if (!f || !isIndexValid(paper, idx) || sz.x < 1 || sz.y < 1)
        return false;
    return wandCommit(paper, *f, idx, pos, ofs, sz, mat, anti, undo, true);
}

// ---- flood fill

namespace {

int32_t orPreference(int32_t v, int32_t pref)
{
    return v < 0 ? pref : v;
}

// Marks the flood area around pos (layer coordinates) in the work image's channel, in layer
// coordinates. The filler is made by make; its version comes back in ver.
bool floodMark(TPaper &paper, TFlowImage &f, int32_t idx, const sPos &pos, bool anti,
               wandOptTarget target, const std::function<std::unique_ptr<CAbstractFloodFiller>(
                                          const TMTC &, TChannel &)> &make,
               uint16_t &ver)
{
    const CLayerData *ld = paper.getLayerData(idx);
    std::unique_ptr<TMTC> img = makeViewImage2(paper, idx, target);
    if (!ld || !img)
        return false;
    f.alpha().PixelFill(0);
    try {
        std::unique_ptr<CAbstractFloodFiller> filler = make(*img, f.alpha());
        filler->FIsAntiAlias = anti;
        ver = filler->getVersion();
        if (!filler->FloodFill({pos.x - ld->viewPos.x, pos.y - ld->viewPos.y})) {
            f.alpha().PixelFill(0);
            return false;
        }
        return true;
    } catch (const std::bad_alloc &) {
        f.alpha().PixelFill(0);
        return false;
    }
}

} // namespace

bool eventFloodFill(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos, bool anti,
                    bool erase, bool undo, int32_t target, int32_t limit)
{
    CLayerData *ld = paper.getLayerData(idx);
    TFlowImage *f = flowOrOwner(paper, flow);
    TStroke *stroke = paper.getActiveStroke();
    const CMaskData *md = paper.getActiveMaskData();
    if (!ld || !ld->imageTC || !f || !stroke)
        return false;
    // With a selection the seed must lie on it.
    if (CMaskData::hasMask(md) && md->getMaskValue(pos.x - ld->viewPos.x, pos.y - ld->viewPos.y) <= 0)
        return false;
    if (!bindFlow(paper, *f, idx))
        return false;
    WaitCursor hourglass;
    SRebind rebind{paper, *f, idx};
    target = orPreference(target, prefs().fillTarget);
    const int32_t tol = floodTolerance(orPreference(limit, prefs().fillLimit));
    const sRect area{0, 0, paper.m_paperSize.x, paper.m_paperSize.y};
    uint16_t ver = 0;
    const bool marked = floodMark(
        paper, *f, idx, pos, anti, targetOf(target),
        [&](const TMTC &img, TChannel &ch) -> std::unique_ptr<CAbstractFloodFiller> {
            if (CMaskData::hasMask(md))
                return std::make_unique<CQLFloodFillerWithMask>(img, ch, ld->viewPos, md->viewPos,
                                                                area, uint8_t(tol), *md->maskTC);
            return std::make_unique<CQLFloodFiller>(img, ch, ld->viewPos, area, uint8_t(tol));
        },
        ver);
    sRect r;
    if (!marked || !f->alpha().findRect(r))
        return false;
    const sBox box{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventFillCmd(idx, pos, uint8_t(target), uint8_t(tol),
                                                      anti ? 1 : 0, 0, erase ? 8 : 7, ver);
        }))
        return false;
    guard.commit();
    sBox stock = box;
    if (undo && isUndoEnable(paper) && !undoStockPart(paper, idx, stock, udcnImageBox))
        disposeUndoAll(paper);
    selectStrokePutProcs(*stroke);
    paintMark(paper, *f, *stroke, box, erase);
    refreshView(paper, f, idx, box, true);
    return true;
}

bool eventMagicWand2(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &pos,
                     eMaskAddType mat, bool anti, bool undo, int32_t target, int32_t limit)
{
    CLayerData *ld = paper.getLayerData(idx);
    TFlowImage *f = flowOrOwner(paper, flow);
    CMaskMngr &mm = paper.maskMngr();
    if (!ld || !ld->imageTC || !f || uint8_t(mat) >= kMaskAddTypeCount || !mm.hasActiveMask() ||
        !bindFlow(paper, *f, idx))
        return false;
    WaitCursor hourglass;
    SRebind rebind{paper, *f, idx};
    target = orPreference(target, prefs().wandTarget);
    const int32_t tol = floodTolerance(orPreference(limit, prefs().wandLimit));
    const sSize sz{ld->imageTC->width(), ld->imageTC->height()};
    const sRect area{0, 0, sz.x, sz.y};
    uint16_t ver = 0;
    if (!floodMark(paper, *f, idx, pos, anti, targetOf(target),
                   [&](const TMTC &img, TChannel &ch) -> std::unique_ptr<CAbstractFloodFiller> {
                       return std::make_unique<CQLFloodFiller>(img, ch, ld->viewPos, area,
                                                               uint8_t(tol));
                   },
                   ver))
        return false;
    const int32_t cur = mm.getCurIndex();
    std::unique_ptr<CMaskData> old;
    {
        CEventRecordGuard guard(paper.eventMngr());
        if (!recordEvent(paper.eventMngr(), undo, [&] {
                return paper.eventMngr().pushEventFillCmd(idx, pos, uint8_t(target),
                                                          uint8_t(tol), anti ? 1 : 0,
                                                          uint8_t(mat), 9, ver);
            }) ||
            !mm.replaceMask(cur, f->alpha(), sz, ld->viewPos, old, mat))
            return false;
        guard.commit();
    }
    if (undo)
        pushMaskReplace(paper, idx, cur, std::move(old));
    updateAnts(paper, true, true);
    updateSelectWindow(paper, cur);
    return true;
}

// ---- replay of the coverage packets

namespace {

// Unpacks the coverage of a packet into the work image's channel bound to layer idx.
bool loadCoverage(TPaper &paper, TFlowImage &f, int32_t idx, std::span<const uint8_t> body,
                  size_t head, sBox b, uint32_t padded, uint32_t bytes, uint32_t packed)
{
    if (!bindFlow(paper, f, idx))
        return false;
    TChannel &alpha = f.alpha();
    if (b.x < 0 || b.y < 0 || b.w <= 0 || b.h <= 0 || b.w > alpha.width() - b.x ||
        b.h > alpha.height() - b.y || uint64_t(b.w) * uint64_t(b.h) != bytes ||
        packed > padded || head + size_t(padded) != body.size())
        return false;
    std::vector<uint8_t> raw;
    try {
        raw.resize(bytes);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (codec::codecDecompress(body.subspan(head, packed), raw) != codec::CodecStatus::Nothing)
        return false;
    for (int32_t y = 0; y < b.h; ++y)
        std::memcpy(alpha.seek8(b.x, b.y + y), raw.data() + size_t(y) * size_t(b.w),
                    size_t(b.w));
    return true;
}

// The recorded mask must be the current one.
bool currentMask(const TPaper &paper, uint16_t midx)
{
    return midx == 0xFFFF || int32_t(midx) == paper.getActiveMaskIndex();
}

bool playCoverage(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    TFlowImage *f = paper.getActiveFlow();
    SEvAlpha a;
    // The packet's fields are packed: positions are copied out before they are passed on.
    if (!readEventRecord(body, a))
        return false;
    const sBox box = a.box;
    const sPos seed = a.seed;
    if (!f || !isIndexValid(paper, a.idx) || !currentMask(paper, a.midx) ||
        a.mt >= kMaskAddTypeCount ||
        !loadCoverage(paper, *f, a.idx, body, sizeof a, box, a.padded, a.bytes, a.packed)) {
        if (f && isIndexValid(paper, a.idx))
            paper.setFlow(*f, a.idx, true);
        return false;
    }
    const bool ok = code == 1 ? eventMagicWand_Old(paper, f, a.idx, seed, eMaskAddType(a.mt),
                                                  a.op2 != 0, false)
                              : eventSeedFill_Old(paper, f, a.idx, seed, a.op2 != 0, code == 4,
                                                 false);
    if (ok)
        mngr.playUpdt |= code == 1 ? (updtRefresh | updtSelectWin) : updtRefresh;
    return ok;
}

bool playCoverageEx(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    TFlowImage *f = paper.getActiveFlow();
    SEvAlphaEx a;
    if (!readEventRecord(body, a))
        return false;
    const sBox box = a.box;
    const sPos seed = a.seed, ofs = a.ofs;
    if (!f || !isIndexValid(paper, a.idx) || !currentMask(paper, a.midx) ||
        a.mt >= kMaskAddTypeCount || a.w < 1 || a.h < 1 || a.w > kMaxPaperSide ||
        a.h > kMaxPaperSide ||
        !loadCoverage(paper, *f, a.idx, body, sizeof a, box, a.padded, a.bytes, a.packed)) {
        if (f && isIndexValid(paper, a.idx))
            paper.setFlow(*f, a.idx, true);
        return false;
    }
    const bool ok = code == 3 ? eventMagicWandEx(paper, f, a.idx, seed, ofs, {a.w, a.h},
                                                 eMaskAddType(a.mt), a.op2 != 0, false)
                              : eventSeedFillEx(paper, f, a.idx, seed, ofs, {a.w, a.h},
                                                a.op2 != 0, code == 5, false);
    if (ok)
        mngr.playUpdt |= uint32_t(updtRefresh) | uint32_t(updtLayerWin) | (code == 3 ? uint32_t(updtSelectWin) : 0u);
    return ok;
}

// 6/7-9: the flood fills fill again from the recorded seed and options.
bool playFloodFill(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvFloodFill b;
    if (!readEventRecord(body, b) || !isIndexValid(paper, b.idx) || b.target > 1 || b.anti > 1 ||
        b.mat >= kMaskAddTypeCount)
        return false;
    const sPos seed = b.seed;
    const bool ok = code == 9 ? eventMagicWand2(paper, nullptr, b.idx, seed, eMaskAddType(b.mat),
                                                b.anti != 0, false, b.target, b.limit)
                              : eventFloodFill(paper, nullptr, b.idx, seed, b.anti != 0,
                                               code == 8, false, b.target, b.limit);
    if (ok)
        mngr.playUpdt |= code == 9 ? (updtRefresh | updtSelectWin) : updtRefresh;
    return ok;
}

} // namespace

void registerSeedFillReplayRows()
{
    for (uint8_t c : {7, 8, 9})
        registerEventReplay(6, c, QStringLiteral("flood fill %1").arg(c), playFloodFill);
    for (uint8_t c : {0, 1, 4})
        registerEventReplay(13, c, QStringLiteral("seed fill coverage %1").arg(c), playCoverage);
    for (uint8_t c : {2, 3, 5})
        registerEventReplay(13, c, QStringLiteral("seed fill coverage %1").arg(c),
                            playCoverageEx);
}
