#include "document/edit/layer_undo.h"

#include "core/mask/mask_manager.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
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
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"

using F = udUpdateFlag;

namespace {

const char16_t *const kEventMismatch = u"イベント記録に問題が検出されました!";

// While recording, the recorder must hold at least as many undoable (redoable) events as the
// manager holds records, or a step would move one history without the other. Undo trims the
// manager to its limit first, as records past it may be what the recorder's ring lost.
bool historiesInStep(TPaper &paper, bool redo)
{
    CEventMngr &ev = paper.eventMngr();
    CUndoMngrEx *um = paper.undoMngrEx();
    if (!ev.isRecording() || !um)
        return true;
    if (!redo && ev.getUndoCnt() < um->getUndoCnt()) {
        showWarning(QStringLiteral("イベント状態の問題を修正しました!"));
        um->cleanUndoLimit();
    }
    const bool ok =
        redo ? ev.getRedoCnt() >= um->getRedoCnt() : ev.getUndoCnt() >= um->getUndoCnt();
    if (!ok) {
        showWarning(QString::fromUtf16(kEventMismatch));
        disposeUndoAll(paper);
    }
    return ok;
}

// One step of both histories; the refresh follows whatever the event step answered.
bool stepHistories(TPaper &paper, TFlowImage *flow, int32_t &index, sRect &rect, bool redo)
{
    const WaitCursor wait;
    if (!historiesInStep(paper, redo))
        return false;
    CUndoMngrEx *um = paper.undoMngrEx();
    CUndoData *top = nullptr;
    const bool added = (redo ? um->getTopRedo(top) : um->getTopUndo(top)) &&
                       (top->cmdName == udCmdName::udcnComplexAddLayer ||
                        top->cmdName == udCmdName::udcnComplexPasteLayer);
    udUpdateType ut;
    index = paper.ActiveLayer();
    const bool applied = redo ? paper.layerMngr().doRedo(*um, index, rect, ut)
                              : paper.layerMngr().doUndo(*um, index, rect, ut);
    if (!applied)
        return false;
    if (added) {
        // An added or pasted layer took the next default name: its undo gives the number back,
        // so that the next layer is named as the stream without the undone step names it.
        CLayerMngr &lm = paper.layerMngr();
        lm.setTotalNum(lm.getTotalNum() + (redo ? 1 : -1));
    }
    CEventMngr &ev = paper.eventMngr();
    if (ev.isRecording()) {
        if (!(redo ? ev.redoEvent() : ev.undoEvent())) {
            // The layer list already changed: keep it, but neither history may step over it.
            showWarning(redo ? QStringLiteral("failed to redo event!")
                             : QStringLiteral("failed to undo event!"));
            disposeUndoAll(paper);
        }
        if (!redo)
            ev.disableEnbStat(true);
    }
    refreshAfterUndo(paper, flow, index, rect, ut, redo);
    return true;
}

void refreshCanvas(TPaper &paper, TFlowImage *flow, int32_t index, udUpdateType ut)
{
    dispatchCanvasSize(paper, flow, index, ut.has(F::udutRepos));
    if (ut.has(F::udutAnts)) {
        invalidateView(paper, false);
        paper.maskMngr().createAnts(paper.m_paperSize, -1);
    }
}

} // namespace

void refreshAfterUndo(TPaper &paper, TFlowImage *flow, int32_t index, sRect &rect, udUpdateType ut,
                      bool redo)
{
    flow = flowOrOwner(paper, flow);
    if (ut.has(F::udutCanvas)) {
        refreshCanvas(paper, flow, index, ut);
        return;
    }
    // A structural step leaves other layers at the indices the work image knew: reload it.
    const bool structural = ut.has(F::udutLayer) || ut.has(F::udutAll);
    if (index != paper.ActiveLayer() && !ut.has(F::udutNoActiveLayer))
        EventLayerActive(paper, flow, index, structural);
    else if (structural && flow)
        paper.setFlow(*flow, paper.ActiveLayer(), true);
    if (ut.has(F::udutActSize)) {
        if (const CLayerData *ld = paper.getActiveLayerData())
            rect = {0, 0, ld->imageBox().w, ld->imageBox().h};
    }
    const bool reload = redo || index == paper.ActiveLayer();
    if (reload && !ut.has(F::udutNoRefreshFlow))
        RefreshFlow(paper, flow, paper.ActiveLayer(), &rect, false);
    if (ut.has(F::udutMask)) {
        if (ut.has(F::udutAnts))
            paper.maskMngr().createAnts(paper.m_paperSize, -1);
        if (ut.has(F::udutLayer))
            ut.exclude(F::udutMask);
        else
            invalidateView(paper, false);
        if (IPaperOwner *o = paper.owner())
            o->updateMaskView();
    }
    if (!ut.has(F::udutMask)) {
        if (ut.has(F::udutChgLayerView)) {
            if (!ut.has(F::udutNoChgView))
                dispatchViewFast(paper, index, nullptr, true);
        } else if (!ut.has(F::udutNoChgView) && paper.getLayerData(index)) {
            const sPos ofs = getLayerOfs(paper, index);
            const sRect r{rect.x0 - ofs.x, rect.y0 - ofs.y, rect.x1 - ofs.x, rect.y1 - ofs.y};
            dispatchView(paper, index, r);
        }
        if (ut.has(F::udutAll))
            ut.include(F::udutLayer);
    }
    if (ut.has(F::udutLayer)) {
        if (IPaperOwner *o = paper.owner())
            o->updateLayerView();
    }
}

bool eventLayerUndo(TPaper &paper, TFlowImage *flow, int32_t &index, sRect &rect)
{
    if (!CanLayerUndo(paper, index))
        return false;
    if (!isUsingNewUndo(paper))
        return orgEventLayerUndo(paper, flow, index, rect);
    return stepHistories(paper, flow, index, rect, false);
}

bool eventLayerRedo(TPaper &paper, TFlowImage *flow, int32_t &index, sRect &rect)
{
    if (!isUsingNewUndo(paper) || !canLayerRedo(paper, index))
        return false;
    return stepHistories(paper, flow, index, rect, true);
}

bool orgEventLayerUndo(TPaper &paper, TFlowImage *flow, int32_t index, sRect &rect)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld || !CanLayerUndo(paper, index))
        return false;
    const WaitCursor wait;
    flow = flowOrOwner(paper, flow);
    if (flow)
        paper.setFlow(*flow, index, false);
    if (!ld->doUndo(flow ? &flow->image() : nullptr, rect))
        return false;
    dispatchView(paper, index, rect);
    if (flow)
        paper.setFlow(*flow, index, true);
    return true;
}
