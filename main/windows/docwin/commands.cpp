// TDrawWindow: the whole-canvas and layer commands of the menus, the list views and the keys.
// Each asks the edit gate where it must, runs its dialog, calls the recorded document operation
// with undo and refreshes the window and the tool window's panels.
#include "windows/docwin/draw_window.h"

#include "core/mask/mask_manager.h"
#include "core/profile/app_profile.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/edit_ops.h"
#include "document/edit/image_commands.h"
#include "document/edit/layer_attr.h"
#include "document/edit/layer_delete.h"
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/edit/layer_merge.h"
#include "document/edit/layer_move.h"
#include "document/events/event_manager.h"
#include "document/events/event_record_guard.h"
#include "document/files/new_document.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/select_delete.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/cursor.h"
#include "windows/shell_host.h"

#include <algorithm>
#include <array>

namespace {

// Names longer than this are cut before they are recorded (the name packet's limit).
constexpr int kMaxNameLength = 32766;

// The canvas size dialog numbers its anchors row by row; the document's anchors run column by
// column.
constexpr std::array<pgType, 9> kAnchorOfDialog = {
    pgType::pgtTL, pgType::pgtT, pgType::pgtTR, pgType::pgtL, pgType::pgtC,
    pgType::pgtR,  pgType::pgtBL, pgType::pgtB, pgType::pgtBR,
};

pgType anchorOfDialog(int32_t anchor)
{
    return anchor >= 0 && anchor < 9 ? kAnchorOfDialog[size_t(anchor)] : pgType::pgtC;
}

} // namespace

void TDrawWindow::changePaperColor(uint32_t cc)
{
    EventEditPC(*paper, cc, true);
    refreshAfterEvent(false, true, true);
}

// After a canvas size or resolution change: the caption, the fit or the window size, the whole
// display and the panels.
static void afterCanvasChange(TDrawWindow &w)
{
    w.updateCaption(false);
    if (w.CheckZoomAuto())
        w.ZoomAuto(false, (gAppProfile->EnbAutoSize & 4) == 0);
    else
        w.formSizeCorrect(false);
    w.UpdateAll();
    IToolForm &tool = mainForm().toolForm();
    tool.SetDisplaySize(w.paper->m_paperSize);
    tool.UpdateNavigatorView();
    tool.UpdateLayerView();
    tool.UpdateMaskView();
}

bool TDrawWindow::resizePaper()
{
    SImageSizeValue v{paper->m_paperSize.x, paper->m_paperSize.y, 4};
    if (!mainForm().showImageSizeDialog(v, paper->m_paperDPI))
        return false;
    invalidate(false);
    updateNow();
    {
        WaitCursor hourglass;
        eventEditResize(*paper, flowImage.get(), v.Width, v.Height,
                        int32_t(anchorOfDialog(v.Anchor)), 1, true);
    }
    afterCanvasChange(*this);
    return true;
}

bool TDrawWindow::changeReso()
{
    SResolutionValue v{paper->m_paperSize.x, paper->m_paperSize.y, paper->m_paperDPI};
    if (!mainForm().showResolutionDialog(v, 0))
        return false;
    if (v.Width == paper->m_paperSize.x && v.Height == paper->m_paperSize.y) {
        // No packet holds a resolution: nothing is recorded, but the document has changed and a
        // close must ask before it is lost.
        if (v.DPI != paper->m_paperDPI) {
            paper->m_paperDPI = v.DPI;
            setModifiedFlag(true);
        }
        return true;
    }
    invalidate(false);
    updateNow();
    {
        WaitCursor hourglass;
        eventEditResolutionHQ2(*paper, flowImage.get(), v.Width, v.Height, 1, true);
    }
    afterCanvasChange(*this);
    return true;
}

bool TDrawWindow::createLayer(TLayerMode lm)
{
    if (!CanLayerAdd(*paper, -1))
        return false;
    if (!eventLayerAdd(*paper, flowImage.get(), lm, true))
        return false;
    if (TStroke *stroke = paper->getActiveStroke())
        prepareStrokeForPaper(*stroke, paper.get());
    refreshAfterEvent(false, true, true);
    return true;
}

bool TDrawWindow::createLayerDlg()
{
    if (!CanLayerAdd(*paper, -1))
        return false;
    TNewLayerValue v;
    v.Name = paper->layerMngr().getNextCaption();
    const QString proposed = v.Name;
    if (!mainForm().showNewLayerDialog(v))
        return false;
    // A name left as proposed lets the document name the layer itself.
    const QString name = v.Name == proposed ? QString() : v.Name;
    const bool ok = eventLayerAddEx(*paper, flowImage.get(), paper->ActiveLayer() + 1,
                                    paper->m_paperSize.x, paper->m_paperSize.y, v.LayerMode,
                                    v.Opaque, v.Color, name, true, true);
    if (ok) {
        UpdateVRAM(*paper, true, true);
        if (TStroke *stroke = paper->getActiveStroke())
            prepareStrokeForPaper(*stroke, paper.get());
        refreshAfterEvent(false, true, true);
    }
    return true;
}

bool TDrawWindow::deleteCurLayer()
{
    if (!canAcceptEditCmd(false, false, true) || !CanLayerDelete(*paper))
        return false;
    if (doLayerDelete(*paper, flowImage.get(), paper->ActiveLayer(), true))
        refreshAfterEvent(false, true, true);
    return true;
}

bool TDrawWindow::notLayerMask()
{
    if (!canAcceptEditCmd(true, false, true))
        return false;
    return eventLayerMaskNega(*paper, flowImage.get(), paper->ActiveLayer(), true);
}

bool TDrawWindow::fillLayerMask(uint32_t cc)
{
    if (!canAcceptEditCmd(true, false, true))
        return false;
    return eventLayerMaskFill(*paper, flowImage.get(), paper->ActiveLayer(), cc, true);
}

bool TDrawWindow::doPaperCmd(ePaperCmd cmd, bool refresh)
{
    switch (cmd) {
    case ePaperCmd::cmdFlipTBEx:
    case ePaperCmd::cmdFlipLREx:
    case ePaperCmd::cmdRot180Ex:
        return false;
    default:
        break;
    }
    if (!canAcceptEditCmd(false, false, true))
        return false;
    {
        WaitCursor hourglass;
        TFlowImage *flow = flowImage.get();
        switch (cmd) {
        case ePaperCmd::cmdFlipTB:
            EventEditUpsideDown(*paper, flow, true);
            break;
        case ePaperCmd::cmdFlipLR:
            EventEditMirror(*paper, flow, true);
            break;
        case ePaperCmd::cmdRot90:
            EventEditRotate(*paper, flow, true, true);
            updateCaption(false);
            break;
        case ePaperCmd::cmdRot180:
            EventEdit180(*paper, flow, true);
            break;
        case ePaperCmd::cmdRot270:
            EventEditRotate(*paper, flow, false, true);
            updateCaption(false);
            break;
        case ePaperCmd::cmdNeg:
            EventEditNegaPosi(*paper, flow, true);
            break;
        default:
            break;
        }
        if (!isUsingNewUndo(*paper))
            EventEditUndoDispose(*paper);
    }
    refreshAfterEvent(refresh, true, true);
    return true;
}

bool TDrawWindow::doLayerCmd(ePaperCmd cmd)
{
    if (cmd == ePaperCmd::cmdRot90 || cmd == ePaperCmd::cmdRot270)
        return false;
    if (!canAcceptEditCmd(true, false, true))
        return false;
    bool ok = false;
    {
        WaitCursor hourglass;
        TFlowImage *flow = flowImage.get();
        const int32_t idx = paper->ActiveLayer();
        switch (cmd) {
        case ePaperCmd::cmdFlipTB:
            ok = orgEventLayerUpsideDown(*paper, flow, idx, true);
            break;
        case ePaperCmd::cmdFlipLR:
            ok = orgEventLayerMirror(*paper, flow, idx, true);
            break;
        case ePaperCmd::cmdRot180:
            ok = orgEventLayer180(*paper, flow, idx, true);
            break;
        case ePaperCmd::cmdNeg:
            ok = eventLayerNega(*paper, flow, idx, true);
            break;
        case ePaperCmd::cmdFlipTBEx:
            ok = eventLayerFlipTB(*paper, flow, idx, true);
            break;
        case ePaperCmd::cmdFlipLREx:
            ok = eventLayerFlipLR(*paper, flow, idx, true);
            break;
        case ePaperCmd::cmdRot180Ex:
            ok = eventLayerRot180(*paper, flow, idx, true);
            break;
        default:
            break;
        }
    }
    IToolForm &tool = mainForm().toolForm();
    tool.UpdateNavigatorView();
    tool.UpdateLayerView();
    UpdateView(true);
    return ok;
}

bool TDrawWindow::duplicateLayer()
{
    if (!canAcceptEditCmd(false, false, true))
        return false;
    eventLayerCopy(*paper, flowImage.get(), paper->ActiveLayer(), true);
    refreshAfterEvent(false, true, true);
    return true;
}

bool TDrawWindow::bindLayerLower(int32_t ver)
{
    const int32_t idx = paper->ActiveLayer();
    if (!canAcceptEditCmd(false, false, true) || !CanLayerCombLower(*paper, idx))
        return false;
    const bool ok = ver == 0
                        ? EventLayerCombLower(*paper, flowImage.get(), idx, true)
                        : eventLayerBindBelow(*paper, flowImage.get(), idx, uint32_t(ver), true);
    refreshAfterEvent(false, true, true);
    return ok;
}

bool TDrawWindow::doLayerVisAll(bool vis)
{
    if (!canAcceptEditCmd(false, false, true))
        return false;
    const bool ok = eventLayerVisAll(*paper, paper->ActiveLayer(), vis, true);
    if (ok)
        refreshAfterEvent(false, true, true);
    return ok;
}

bool TDrawWindow::doLayerRotate()
{
    if (!canAcceptEditCmd(true, false, true))
        return false;
    float degrees = 0;
    if (!mainForm().showRotationDialog(degrees))
        return false;
    WaitCursor hourglass;
    return eventLayerRotate2(*paper, flowImage.get(), paper->ActiveLayer(), degrees, true);
}

bool TDrawWindow::doLayerZoom()
{
    if (!canAcceptEditCmd(true, false, true))
        return false;
    const CLayerData *ld = paper->getActiveLayerData();
    if (!ld || !ld->imageTC)
        return false;
    SResolutionValue v{ld->imageTC->width(), ld->imageTC->height(), paper->m_paperDPI};
    if (!mainForm().showResolutionDialog(v, 1))
        return false;
    WaitCursor hourglass;
    return eventLayerZoom2(*paper, flowImage.get(), paper->ActiveLayer(), v.Width, v.Height,
                           true);
}

bool TDrawWindow::doLayerInfoWin()
{
    if (!canAcceptEditCmd(false, false, true))
        return false;
    const int32_t idx = paper->ActiveLayer();
    const CLayerData *ld = paper->getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    TLayerOptionValue v;
    v.X = ld->viewPos.x;
    v.Y = ld->viewPos.y;
    v.Crop = false;
    v.Name = ld->title;
    v.LayerMode = ld->layerMode();
    v.Opaque = ld->layerTrans();
    v.Dither = ld->layerDitherEnable();
    v.DitherDensity = ld->layerDither();
    const TLayerOptionValue old = v;
    if (!mainForm().showLayerOptionDialog(v, *ld->imageTC, paper->m_paperSize))
        return false;
    TFlowImage *flow = flowImage.get();
    // One event per change, in this order.
    const QString name = v.Name.left(kMaxNameLength);
    if (name != old.Name)
        eventLayerName(*paper, flow, idx, name, true);
    if (v.Opaque != old.Opaque)
        EventLayerTrans(*paper, idx, uint8_t(std::clamp(v.Opaque, 0, 255)), true);
    if (v.Dither != old.Dither || v.DitherDensity != old.DitherDensity)
        eventLayerDither(*paper, idx, v.Dither, uint8_t(std::clamp(v.DitherDensity, 0, 255)),
                         true);
    if (v.LayerMode != old.LayerMode)
        EventLayerMode(*paper, idx, v.LayerMode, true);
    if (v.Crop)
        eventLayerCutOutside(*paper, flow, idx, true);
    if (v.X != old.X || v.Y != old.Y)
        eventLayerMove(*paper, flow, idx, old.X - v.X, old.Y - v.Y, true);
    refreshAfterEvent(false, true, true);
    return true;
}

bool TDrawWindow::doLayerClipping()
{
    const bool ok = eventLayerClipping(*paper, paper->ActiveLayer(), true);
    if (ok)
        refreshAfterEvent(false, true, true);
    return ok;
}

bool TDrawWindow::doReleaseClippingGroup()
{
    const bool ok = eventReleaseClippingGroup(*paper, paper->ActiveLayer(), true);
    if (ok)
        refreshAfterEvent(false, true, true);
    return ok;
}

bool TDrawWindow::doBindClippingGroup()
{
    const bool ok = eventBindClippingGroup(*paper, paper->ActiveLayer(), true);
    if (ok)
        refreshAfterEvent(false, true, true);
    return ok;
}

bool TDrawWindow::DoMaskInfoWin()
{
    CMaskData *md = paper->getActiveMaskData();
    if (!md)
        return false;
    TMaskOptionValue v;
    v.X = md->viewPos.x;
    v.Y = md->viewPos.y;
    v.Name = md->title;
    const TMaskOptionValue old = v;
    if (!mainForm().showMaskOptionDialog(v, md->maskTC.get(), paper->m_paperSize))
        return false;
    TFlowImage *flow = flowImage.get();
    const int32_t idx = paper->ActiveLayer();
    const QString name = v.Name.left(kMaxNameLength);
    if (name != old.Name)
        eventSelectName(*paper, flow, idx, paper->getActiveMaskIndex(), name, true);
    if (CMaskData::hasMask(paper->getActiveMaskData())) {
        if (v.Crop)
            eventSelectCutOutside(*paper, flow, idx, -1, true);
        if (v.X != old.X || v.Y != old.Y) {
            eventMoveActiveMask(*paper, sPos{old.X - v.X, old.Y - v.Y}, true);
            invalidateView(false, false);
        }
    }
    return true;
}

bool TDrawWindow::doSelectFill(int32_t idx, uint32_t color, bool undo, bool rec)
{
    if (rec && !canAcceptEditCmd(true, false, true))
        return false;
    const bool ok = eventFillAll(*paper, flowImage.get(), idx, color, undo, rec);
    UpdateView(true);
    return ok;
}

bool TDrawWindow::canDeleteWithSelect() const
{
    return paper->maskMngr().hasActiveMask() && CMaskData::hasMask(paper->getActiveMaskData()) &&
           paper->bEnbMask && !isInKeyOnly();
}

bool TDrawWindow::doSelectDelete(int32_t idx, uint32_t color, bool undo, bool rec)
{
    if (!canDeleteWithSelect())
        return false;
    // A recorded clear is a user's edit and passes the gate like any other.
    if (rec && !canAcceptEditCmd(true, false, true))
        return false;
    CEventMngr &ev = paper->eventMngr();
    CEventRecordGuard guard(ev);
    bool ok = ::doSelectDelete(*paper, flowImage.get(), idx, color, undo);
    if (ok && rec && ev.isRecording()) {
        // The fill command carries the stroke's drawing colour: it is the clearing colour for the
        // recording and comes back afterwards.
        TStroke *stroke = paper->getActiveStroke();
        const uint32_t saved = stroke ? stroke->m_drawColor : 0;
        if (stroke)
            stroke->m_drawColor = color;
        syncObjects();
        ok = ev.pushEventFillCmd(idx, color, {0, 0}, {0, 0}, 5);
        if (stroke)
            stroke->m_drawColor = saved;
        syncObjects();
    }
    if (ok)
        guard.commit();
    UpdateView(true);
    return ok;
}
