#include "document/files/new_document.h"

#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/mask_preview.h"
#include "document/stroke/paper_stroke.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_present.h"
#include "document/view/zoom_cache.h"
#include "platform/desktop/cursor.h"

namespace {

bool sideOk(int32_t v)
{
    return v >= 1 && v <= kMaxPaperSide;
}

// Layer 0 of a new document, cleared, its alpha and preview by the procedure and ltp.
bool makeFirstLayer(TPaper &paper, int32_t pw, int32_t ph, int32_t lw, int32_t lh, bool ltp)
{
    const bool fresh = paper.isDrawProcNew();
    const int32_t idx = fresh ? CreateLayer(paper, 0, lw, lh, TLayerMode::LM_STD, 255, true)
                              : CreateLayer(paper, 0, pw, ph, TLayerMode::LM_MUL, 255, true);
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    paper.layerMngr().setDefaultCaption(idx, 1);
    ld->imageTC->clearImage(ld->mode);
    const bool transparent = fresh && ltp;
    ld->imageTC->setAlphaAll(transparent ? 0 : 255);
    ld->imageTC->shrinkMemory();
    ld->initPreview(transparent);
    return true;
}

} // namespace

bool eventEditCreate(TPaper &paper, const QString &name, TFlowImage *flow, int32_t pw, int32_t ph,
                     int32_t lw, int32_t lh, int32_t dpi, bool ctp, bool ltp)
{
    if (!sideOk(pw) || !sideOk(ph) || !sideOk(lw) || !sideOk(lh) || dpi < 0)
        return false;
    const WaitCursor wait;
    CEventRecordGuard guard(paper.eventMngr());
    paper.m_filename = name;
    paper.m_paperDPI = dpi;
    paper.bVisCanvasCol = !ctp;
    flow = flowOrOwner(paper, flow);
    changePaperSize(paper, flow, pw, ph);
    clearZoomCache(paper);
    if (!makeFirstLayer(paper, pw, ph, lw, lh, ltp))
        return false;
    setActiveLayer(paper, flow, 0, true);
    UpdateVRAM(paper, false, false);
    setGradation(paper, sPos{0, 0}, sPos{pw, 0});
    CEventMngr &ev = paper.eventMngr();
    if (!ev.pushEventCreatePaperEx(pw, ph, lw, lh, dpi, ctp, ltp) || !ev.pushEventBegin())
        return false;
    guard.commit();
    // The creation has no undo record: the event history starts in step with the undo history.
    if (ev.isRecording())
        ev.clearUndo();
    paper.m_ready = true;
    paper.changeReadyState(true);
    invalidateView(paper, false);
    return true;
}

bool EventEditCreate(TPaper &paper, const QString &filename, TFlowImage *flow, int32_t x, int32_t y,
                     int32_t dpi, bool ctp, bool ltp)
{
    return eventEditCreate(paper, filename, flow, x, y, x, y, dpi, ctp, ltp);
}

bool LayerCreate(TPaper &paper, const QString &filename, TFlowImage *flow, int32_t width,
                 int32_t height)
{
    return EventEditCreate(paper, filename, flow, width, height, 0, false, true);
}

bool eventBeginRecording(TPaper &paper)
{
    return paper.eventMngr().pushEventBegin();
}

void changePaperSize(TPaper &paper, TFlowImage *flow, int32_t w, int32_t h)
{
    paper.m_paperSize = {w, h};
    paper.layerMngr().setPaperSize(w, h);
    updateMaskPreview(paper);
    if ((flow = flowOrOwner(paper, flow)))
        flow->changeSize(true);
    paper.vram().Resize(w, h);
    resizeClippingImage(paper, w, h);
    resizeZoomCache(paper, w, h);
    if (IPaperOwner *o = paper.owner())
        o->resetScrollBars();
}

void changePaperColor(TPaper &paper, uint32_t col)
{
    paper.m_canvascolor = col;
}

bool EventEditPC(TPaper &paper, uint32_t color, bool undo)
{
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventPaperColor(color); }))
        return false;
    guard.commit();
    // Pushed before the change: the record takes the old colour from the document.
    if (undo && !pushUndo(paper, CUndoObj(&paper), udCmdName::udcnValuePaperColor, int32_t(color),
                          0, 0, 0))
        disposeUndoAll(paper);
    changePaperColor(paper, color);
    UpdateVRAM(paper, true, true);
    return true;
}
