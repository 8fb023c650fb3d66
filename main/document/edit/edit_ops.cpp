#include "document/edit/edit_ops.h"

#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "core/profile/app_profile.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <cmath>

const char16_t *const kEditMemoryMessage = u"メモリ不足により正常に実行できませんでした！";

namespace {

void ownerDo(TPaper &paper, void (IPaperOwner::*fn)())
{
    if (IPaperOwner *o = paper.owner())
        (o->*fn)();
}

// The rectangle of the paper grown by the layers of idx .. idx + cnt - 1 that pass take.
template <class F>
int32_t growByLayers(const TPaper &paper, int32_t idx, int32_t cnt, sRect &ar, F take)
{
    ar = {0, 0, paper.m_paperSize.x, paper.m_paperSize.y};
    int32_t n = 0;
    for (int32_t i = std::max(idx, 0); i < paper.getLayerCount() && i - idx < cnt; ++i) {
        const CLayerData *ld = paper.getLayerData(i);
        if (!ld || !take(*ld))
            continue;
        const sRect r = ld->getLayerRect();
        ar = {std::min(ar.x0, r.x0), std::min(ar.y0, r.y0), std::max(ar.x1, r.x1),
              std::max(ar.y1, r.y1)};
        ++n;
    }
    return n;
}

} // namespace

// ---- undo state

bool CanLayerUndo(const TPaper &paper, int32_t index)
{
    if (const CUndoMngrEx *um = paper.undoMngrEx())
        return um->canUndo();
    const CLayerData *ld = paper.getLayerData(index);
    return ld && ld->canUndo();
}

bool canLayerRedo(const TPaper &paper, int32_t idx)
{
    if (const CUndoMngrEx *um = paper.undoMngrEx())
        return um->canRedo();
    const CLayerData *ld = paper.getLayerData(idx);
    return ld && ld->canRedo();
}

void disposeUndoAll(TPaper &paper)
{
    if (CUndoMngrEx *um = paper.undoMngrEx())
        um->cleanAll();
    if (paper.eventMngr().isRecording())
        paper.eventMngr().clearUndo();
}

void EventEditUndoDispose(TPaper &paper)
{
    for (int32_t i = 0; i < paper.getLayerCount(); ++i)
        paper.getLayerData(i)->disposeUndo();
    if (isUsingNewUndo(paper))
        disposeUndoAll(paper);
}

int32_t eventUndoDepth(int32_t undoMax)
{
    return std::max(undoMax + 34, 8);
}

bool dispatchUndoCount(TPaper &paper)
{
    CUndoMngrEx *um = paper.undoMngrEx();
    if (!um)
        return false;
    const int32_t undoMax = gAppProfile ? gAppProfile->undoMax : 0;
    const int32_t depth = eventUndoDepth(undoMax);
    if (!paper.eventMngr().changeBufSize(depth, depth)) {
        showWarning(QStringLiteral("アンドゥ回数の変更に失敗しました!"));
        return false;
    }
    um->changeLimit(undoMax, undoMax);
    return true;
}

uint64_t calcUndoMemSize(const TPaper &paper)
{
    if (const CUndoMngrEx *um = paper.undoMngrEx())
        return um->getUsedMemSize();
    return paper.layerMngr().calcUndoMemSize();
}

uint64_t UsedMemory(const TPaper &paper, uint64_t &layer, uint64_t &undo)
{
    const TTC &vram = paper.vram();
    const auto bytesOf = [](const CDibCore &c) { return uint64_t(c.width()) * c.height() * 4; };
    layer = paper.layerMngr().calcMemSize();
    undo = calcUndoMemSize(paper);
    return uint64_t(vram.width()) * vram.height() * 9 + layer + bytesOf(paper.rotation()) +
           bytesOf(paper.mixTC()) + paper.maskMngr().calcMemSize() + undo;
}

// ---- error boxes

void err_memHandler()
{
    showWarning(QStringLiteral("メモリ不足のため実行できませんでした！"));
}

void err_stdHandler(const std::exception *e)
{
    showWarning(QStringLiteral("例外発生のため実行できません！"));
    if (e)
        showWarning(QString::fromLocal8Bit(e->what()));
}

// ---- work image and view

TFlowImage *flowOrOwner(TPaper &paper, TFlowImage *flow)
{
    return flow ? flow : paper.getActiveFlow();
}

void RefreshFlow(TPaper &paper, TFlowImage *flow, int32_t index, bool f2l)
{
    RefreshFlow(paper, flow, index, nullptr, f2l);
}

void RefreshFlow(TPaper &paper, TFlowImage *flow, int32_t index, const sRect *r, bool f2l)
{
    flow = flowOrOwner(paper, flow);
    CLayerData *ld = paper.getLayerData(index);
    if (!flow || !ld || !ld->imageTC || !flow->image().isEnable())
        return;
    sBox box{0, 0, flow->image().width(), flow->image().height()};
    if (r) {
        sBox want{r->x0, r->y0, r->x1 - r->x0, r->y1 - r->y0};
        if (!boxClipToSize(want, box.size()))
            return;
        box = want;
    }
    if (f2l) {
        bltToLayer(paper, index, flow->image(), box.pos(), box, 255);
        ld->imageTC->shrinkMemory();
    } else {
        bltFromLayer(paper, flow->image(), index, box.pos(), box, 255, false);
    }
    flow->clearAlpha();
}

bool setActiveLayer(TPaper &paper, TFlowImage *flow, int32_t idx, bool force)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    paper.layerMngr().setCurIndex(idx);
    if (TStroke *st = paper.getActiveStroke())
        st->m_bProtectMask = ld->maskProtected;
    if (flow)
        paper.setFlow(*flow, idx, force);
    return true;
}

bool EventLayerActive(TPaper &paper, TFlowImage *flow, int32_t index, bool force)
{
    if (!setActiveLayer(paper, flow, index, force))
        return false;
    ownerDo(paper, &IPaperOwner::updateLayerView);
    ownerDo(paper, &IPaperOwner::updateMaskView);
    return true;
}

void refreshView(TPaper &paper, TFlowImage *flow, int32_t idx, bool f2l)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (ld)
        refreshView(paper, flow, idx, ld->imageBox(), f2l);
}

void refreshView(TPaper &paper, TFlowImage *flow, int32_t idx, const sBox &box, bool f2l)
{
    const sRect r{box.x, box.y, box.x + box.w, box.y + box.h};
    RefreshFlow(paper, flow, idx, &r, f2l);
    const sPos p = convLayerPosToVramPos(paper, idx, box.pos());
    const sBox vbox{p.x, p.y, box.w, box.h};
    UpdateVRAMPart(paper, vbox, true, true);
    PreviewRefresh(paper, false, idx, vbox);
    invalidateView(paper, false);
    ownerDo(paper, &IPaperOwner::updateLayerView);
    ownerDo(paper, &IPaperOwner::updateMaskView);
}

void dispatchCanvasSize(TPaper &paper, TFlowImage *flow, int32_t idx, bool repos)
{
    if ((flow = flowOrOwner(paper, flow))) {
        flow->changeSize(true);
        paper.setFlow(*flow, idx, true);
    }
    UpdateVRAM(paper, true, true);
    if (IPaperOwner *o = paper.owner()) {
        if (repos)
            o->resetScrollBars();
        o->refreshAfterEvent(repos, true, true);
        o->updateCaption(false);
    }
}

// ---- queries

bool isIndexValid(const TPaper &paper, int32_t idx)
{
    return idx >= 0 && idx <= paper.MaxLayer();
}

int32_t findMaxRect(const TPaper &paper, int32_t idx, int32_t cnt, sRect &ar)
{
    return growByLayers(paper, idx, cnt, ar, [](const CLayerData &) { return true; });
}

int32_t findMaxRect(const TPaper &paper, sRect &ar)
{
    return findMaxRect(paper, 0, paper.getLayerCount(), ar);
}

int32_t findMaxVisRect(const TPaper &paper, int32_t idx, int32_t cnt, sRect &ar, bool vis)
{
    return growByLayers(paper, idx, cnt, ar,
                        [vis](const CLayerData &ld) { return ld.visible == vis; });
}

int32_t findMaxVisRect(const TPaper &paper, sRect &ar, bool vis)
{
    return findMaxVisRect(paper, 0, paper.getLayerCount(), ar, vis);
}

sBox calcViewBox(const TPaper &paper, const sBox &sbox)
{
    const float z = paper.GetZoomScale();
    const int32_t m = std::max(sbox.w, sbox.h);
    // The original rounds in extended precision; sqrt(2) x m x z stays exact enough in long
    // double for every size a document can have.
    const long double root2 = std::sqrt(2.0L);
    const long double v = z >= 1.0f ? root2 * m * z / 2 : root2 * m / z;
    const int32_t s = int32_t(std::nearbyint(v)) + 1;
    // The centre is computed in Single, as the original stores it.
    const float cxf = float(sbox.x) + float(sbox.w) / 2.0f;
    const float cyf = float(sbox.y) + float(sbox.h) / 2.0f;
    const int32_t cx = int32_t(std::nearbyint(cxf));
    const int32_t cy = int32_t(std::nearbyint(cyf));
    return {cx - s, cy - s, 2 * s, 2 * s};
}
