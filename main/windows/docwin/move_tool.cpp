// TDrawWindow: tool group 5. Layer and selection moves by drag and by arrow keys, the gradient
// line, trimming, and the hand-over of presses, drags and keys to the free transform.
//
// A drag shows its result live and records nothing: a layer move lowers the moved layers' view
// positions and redraws from the view cache, a selection move shifts the outline. Only the
// release, or the end of a key move, puts the positions back and records one document event, so
// that undo and replay see one step.
#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_move.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/transform/transform_driving.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "document/view/zoom_cache.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

#include <algorithm>
#include <cstdlib>
#include <new>

namespace {

using Bit = BDrawStateBit;

// The sub-kinds' indices in group 5.
enum : int32_t
{
    kLayerDrag = 0,
    kSelectDrag = 1,
    kLayerSelectDrag = 2,
    kGradient = 3,
    kTrim = 4,
    kLayerKey = 6,
    kSelectKey = 7,
    kLayerSelectKey = 8,
    kTransformFirst = 9,
    kTransformLast = 11,
};

bool isKeyMoveKind(int32_t k)
{
    return k >= kLayerKey && k <= kLayerSelectKey;
}

bool isTransformKind(int32_t k)
{
    return k >= kTransformFirst && k <= kTransformLast;
}

// The drag behind a key-move sub-kind (0 layer, 1 selection, 2 both).
int32_t dragOf(int32_t k)
{
    return isKeyMoveKind(k) ? k - kLayerKey : k;
}

bool movesLayer(int32_t drag)
{
    return drag == kLayerDrag || drag == kLayerSelectDrag;
}

bool movesSelection(int32_t drag)
{
    return drag == kSelectDrag || drag == kLayerSelectDrag;
}

bool oldShortcuts()
{
    return gAppProfile && gAppProfile->UseOldShortCut;
}

bool isZero(const sPos &p)
{
    return p.x == 0 && p.y == 0;
}

// One canvas pixel for an arrow key; (0, 0) for any other key.
sPos arrowStep(uint32_t key)
{
    switch (int32_t(key)) {
    case VK_LEFT:
        return {-1, 0};
    case VK_RIGHT:
        return {1, 0};
    case VK_UP:
        return {0, -1};
    case VK_DOWN:
        return {0, 1};
    default:
        return {0, 0};
    }
}

bool isArrowKey(uint32_t key)
{
    return !isZero(arrowStep(key));
}

IToolForm &toolForm()
{
    return mainForm().toolForm();
}

void showInfo(TDrawWindow &w, float x, float y, TInfomationUpdateOption option)
{
    toolForm().UpdateInfomationView(&w, x, y, option);
}

void showInfo(TDrawWindow &w, const sPos &p, TInfomationUpdateOption option)
{
    showInfo(w, float(p.x), float(p.y), option);
}

// The layer drag's start (and a key move's): anti-aliasing off while the layers move, the layers
// below composed once into the view cache, the linked layers noted.
void startLayerMove(TDrawWindow &w)
{
    w.disableSmoothZoom();
    w.buildViewCache();
    w.recordLinkedLayers();
}

// The selection drag's start: the outline of the whole mask (not only its part on the canvas, so
// that a part moved in from outside shows), its offset noted.
void startSelectionMove(TDrawWindow &w)
{
    w.makeViewRgn();
    createAnts(*w.paper, nullptr);
    w.antsStartOfs = getAntsOfs(*w.paper);
    setAntsOfs(*w.paper, w.antsStartOfs);
    w.convToCanvasScale(w.tmpPos, w.antsStartOfs);
}

// The outline back to the canvas's part of the mask at its recorded place.
void resetAnts(TDrawWindow &w)
{
    createAnts(*w.paper, &w.paper->m_paperSize);
}

// Where a layer-moving drag keeps the active layer's start position.
sPos layerStart(const TDrawWindow &w, int32_t drag)
{
    return drag == kLayerSelectDrag ? w.tmpPos2 : w.tmpPos;
}

// The gradient's and trim's rubber band.
void startBand(TDrawWindow &w, const sPos &pos)
{
    w.beginFigure(pos, false);
    if (!w.hasPosList())
        return;
    w.posList[0] = pos;
    w.posNum = 1;
}

void endBand(TDrawWindow &w)
{
    w.clearPosList();
    w.posNum = 0;
    w.freeViewRgn();
}

// The layer moves and the view cache are over.
void endLayerMove(TDrawWindow &w)
{
    w.releaseViewCache();
    w.layerLinkPosList.clear();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Helpers

int32_t TDrawWindow::moveToolKind() const
{
    const TToolSubKind kind = toolForm().FToolSubMode();
    return toolSubKindGroup(kind) == 5 ? toolSubKindIndex(kind) : -1;
}

bool TDrawWindow::isSetOnlyKeyDown() const
{
    return isKeyDown(oldShortcuts() ? VK_SHIFT : VK_MENU);
}

sPos TDrawWindow::moveDistance(const sPos &pos, bool constrain) const
{
    sPos d;
    convFromCanvasScale(d, {pos.x - firstPos.x, pos.y - firstPos.y});
    if (constrain) {
        if (std::abs(d.x) >= std::abs(d.y))
            d.y = 0;
        else
            d.x = 0;
    }
    return d;
}

bool TDrawWindow::recordLinkedLayers()
{
    layerLinkPosList.clear();
    const int32_t active = paper->ActiveLayer();
    if (!paper->getLayerData(active) || !isLinked(*paper, active))
        return false;
    try {
        for (int32_t i = 0; i <= paper->MaxLayer(); ++i)
            if (i == active || isLinked(*paper, active, i))
                layerLinkPosList.push_back({i, paper->getLayerData(i)->viewPos});
    } catch (const std::bad_alloc &) {
        // Without the list only the active layer moves live; the recorded move still takes the
        // whole link group.
        layerLinkPosList.clear();
        return false;
    }
    return true;
}

void TDrawWindow::moveLayersLive(const sPos &start, const sPos &d)
{
    if (layerLinkPosList.empty()) {
        if (CLayerData *ld = paper->getLayerData(paper->ActiveLayer()))
            ld->viewPos = {start.x - d.x, start.y - d.y};
    } else {
        for (const SLayerLinkMoveInfo &e : layerLinkPosList)
            if (CLayerData *ld = paper->getLayerData(e.idx))
                ld->viewPos = {e.viewPos.x - d.x, e.viewPos.y - d.y};
    }
    const sBox box{viewRect.x0, viewRect.y0, viewRect.x1 - viewRect.x0, viewRect.y1 - viewRect.y0};
    if (box.w <= 0 || box.h <= 0)
        return;
    if (vramCache.cached && drawFromViewCache(box, true)) {
        updateZoomCache(*paper, box);
        updateViewPart(*paper, this, viewRect);
    } else {
        UpdateAllPart(box);
    }
    invalidate(false);
    updateNow();
}

void TDrawWindow::moveSelectionLive(const sPos &d)
{
    setAntsOfs(*paper, {antsStartOfs.x + d.x, antsStartOfs.y + d.y});
    invalidateView(true, false);
}

void TDrawWindow::restoreLayerPositions(const sPos &start)
{
    if (layerLinkPosList.empty()) {
        if (CLayerData *ld = paper->getLayerData(paper->ActiveLayer()))
            ld->viewPos = start;
        return;
    }
    for (const SLayerLinkMoveInfo &e : layerLinkPosList)
        if (CLayerData *ld = paper->getLayerData(e.idx))
            ld->viewPos = e.viewPos;
}

bool TDrawWindow::recordMove(int32_t drag, const sPos &d)
{
    const int32_t layer = paper->ActiveLayer();
    bool ok = false;
    {
        WaitCursor hourglass;
        if (drag == kLayerDrag)
            ok = eventLayerMove(*paper, flowImage.get(), layer, d.x, d.y, true);
        else if (drag == kSelectDrag)
            ok = eventMoveActiveMask(*paper, d, true);
        else
            ok = eventLayerSelectMove(*paper, flowImage.get(), layer,
                                      paper->getActiveMaskIndex(), d, true);
    }
    if (ok)
        return true;
    // Refused: the layers are at their start already, the display and outline follow them.
    if (movesLayer(drag)) {
        showWarning(QStringLiteral("レイヤ移動に失敗しました！"));
        UpdateAll();
    }
    if (movesSelection(drag))
        resetAnts(*this);
    return false;
}

void TDrawWindow::cancelMove(int32_t drag, bool moved)
{
    restoreSmoothZoom();
    if (moved && movesLayer(drag)) {
        restoreLayerPositions(layerStart(*this, drag));
        UpdateAll();
    }
    if (moved && movesSelection(drag))
        resetAnts(*this);
    endLayerMove(*this);
    endBand(*this);
    if (drawState.has(Bit::stLBtn))
        releaseButton(TMouseButton::mbLeft, TShiftState::ssLeft, nullptr);
    else if (drawState.has(Bit::stMBtn))
        releaseButton(TMouseButton::mbMiddle, TShiftState::ssMiddle, nullptr);
    else if (drawState.has(Bit::stRBtn))
        releaseButton(TMouseButton::mbRight, TShiftState::ssRight, nullptr);
    drawState.clear(Bit::stShowGlyph);
    drawState.clear(Bit::stDirty);
    UpdateView(false);
}

sBox TDrawWindow::trimBox(const sPos &pos, bool extend) const
{
    // The corners as the band shows them: both points on the zoom's pixel grid, in canvas
    // pixels, squared and centred by the keys held.
    const int32_t n = std::max(1, int32_t(std::floor(paper->GetZoomScale())));
    const auto toCanvas = [&](const sPos &p) {
        sPos c;
        convToCanvasPos(c, {n * (p.x / n), n * (p.y / n)});
        return c;
    };
    const std::array<sPos, 4> c =
        boxCorners(toCanvas(firstPos), toCanvas(pos), isCenterKeyDown(), isAspectKeyDown());
    int32_t x0 = std::min(c[0].x, c[2].x), x1 = std::max(c[0].x, c[2].x);
    int32_t y0 = std::min(c[0].y, c[2].y), y1 = std::max(c[0].y, c[2].y);
    if (!extend) {
        x0 = std::max(x0, 0);
        y0 = std::max(y0, 0);
        x1 = std::min(x1, paper->m_paperSize.x);
        y1 = std::min(y1, paper->m_paperSize.y);
    }
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

// ---------------------------------------------------------------------------------------------
// Key moves

bool TDrawWindow::enterKeyMoveMode(int32_t kind, uint32_t key, uint32_t data)
{
    if (isTransformKind(kind)) {
        if (!isArrowKey(key))
            return false;
        transformKeyMove(key);
        return true;
    }
    if (kind < kLayerDrag || kind > kLayerSelectDrag || !isArrowKey(key) ||
        drawState.has(Bit::stHookSysMode))
        return false;
    lastPos = {0, 0};
    firstPos = {0, 0};
    if (!hookTool(5, kLayerKey + kind))
        return false;
    drawState.set(Bit::stKeyOnly);
    if (movesLayer(kind)) {
        startLayerMove(*this);
        const CLayerData *ld = paper->getLayerData(paper->ActiveLayer());
        (kind == kLayerSelectDrag ? tmpPos2 : tmpPos) = ld ? ld->viewPos : sPos{};
    }
    if (movesSelection(kind))
        startSelectionMove(*this);
    moveToolKeyDown(*this, key, data);
    mainForm().outputStatusText(eStatusItem::stiHint,
                                QStringLiteral("カーソルキー移動モードに入りました"));
    toolForm().enableMoveOK(true);
    return true;
}

void TDrawWindow::endKeyMove(bool apply)
{
    const int32_t drag = dragOf(moveToolKind());
    const sPos d = lastPos;
    bool recorded = false;
    if (apply && !isZero(d) && drag >= kLayerDrag && drag <= kLayerSelectDrag) {
        if (movesLayer(drag))
            restoreLayerPositions(layerStart(*this, drag));
        recorded = recordMove(drag, d);
        restoreSmoothZoom();
        endLayerMove(*this);
    } else {
        cancelMove(drag, !isZero(d));
    }
    lastPos = {0, 0};
    // The mode ends before the borrowed sub-kind goes back, so that the forced end that comes
    // with the change finds nothing left to end.
    drawState.clear(Bit::stKeyOnly);
    const bool forcing = drawState.has(Bit::stForceEnd);
    drawState.set(Bit::stForceEnd);
    defaultForceEnd(*this, nullptr);
    if (!forcing)
        drawState.clear(Bit::stForceEnd);
    if (recorded) {
        setModifiedFlag(true);
        invalidateView(true, false);
    }
    mainForm().outputStatusText(eStatusItem::stiHint,
                                QStringLiteral("カーソルキー移動モードを終了しました"));
    toolForm().enableMoveOK(false);
}

// ---------------------------------------------------------------------------------------------
// The handlers

void TDrawWindow::moveToolDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    const int32_t k = w.moveToolKind();
    w.lastPos = *pos;
    switch (k) {
    case kLayerDrag:
    case kLayerSelectDrag: {
        startLayerMove(w);
        const CLayerData *ld = w.paper->getLayerData(w.paper->ActiveLayer());
        (k == kLayerDrag ? w.tmpPos : w.tmpPos2) = ld ? ld->viewPos : sPos{};
        if (k == kLayerDrag) {
            showInfo(w, 0, 0, TInfomationUpdateOption::iuoOffsetUV);
            break;
        }
        [[fallthrough]];
    }
    case kSelectDrag:
        startSelectionMove(w);
        w.calcViewBound(w.firstPos, true);
        w.drawState.set(Bit::stDirty);
        showInfo(w, 0, 0, TInfomationUpdateOption::iuoOffsetUV);
        break;
    case kGradient:
        startBand(w, *pos);
        w.convToCanvasPosEx(w.tmpFPos, *pos);
        w.tmpFPos2 = w.tmpFPos;
        showInfo(w, w.tmpFPos.x, w.tmpFPos.y, TInfomationUpdateOption::iuoSelectStart);
        break;
    case kTrim:
        startBand(w, *pos);
        w.convToCanvasPos(w.tmpPos, *pos);
        w.tmpPos2 = w.tmpPos;
        showInfo(w, w.tmpPos, TInfomationUpdateOption::iuoSelectStart);
        break;
    case kLayerKey:
    case kSelectKey:
    case kLayerSelectKey:
        if (w.drawState.has(Bit::stKeyOnly))
            w.endKeyMove(false);
        break;
    default:
        if (isTransformKind(k)) {
            w.transformDragStart(*pos);
            w.lastPos = *pos;
            w.convToCanvasPos(w.tmpPos, *pos);
            showInfo(w, w.tmpPos, TInfomationUpdateOption::iuoSelectStart);
        }
        break;
    }
}

void TDrawWindow::moveToolHold(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos || *pos == w.lastPos)
        return;
    const int32_t k = w.moveToolKind();
    const bool constrain = shift.has(TShiftState::ssShift);
    switch (k) {
    case kLayerDrag: {
        const sPos d = w.moveDistance(*pos, constrain);
        w.moveLayersLive(w.tmpPos, d);
        w.lastPos = *pos;
        w.drawState.set(Bit::stDirty);
        showInfo(w, d, TInfomationUpdateOption::iuoOffsetUV);
        break;
    }
    case kSelectDrag:
    case kLayerSelectDrag: {
        // Both parts move by the distance on the zoom's pixel grid, so that the layer and the
        // outline stay together.
        sPos p = *pos;
        w.calcViewBound(p, true);
        const sPos d = w.moveDistance(p, constrain);
        if (k == kLayerSelectDrag)
            w.moveLayersLive(w.tmpPos2, d);
        w.moveSelectionLive(d);
        w.lastPos = *pos;
        w.drawState.set(Bit::stDirty);
        showInfo(w, d, TInfomationUpdateOption::iuoOffsetUV);
        break;
    }
    case kGradient: {
        if (!w.hasPosList() || w.posNum < 1)
            break;
        sPos p1 = *pos;
        w.correctLinePos(w.posList[0], p1);
        w.posList[1] = p1;
        w.posNum = 2;
        w.lastPos = *pos;
        w.markGuideDirty();
        w.convToCanvasPosEx(w.tmpFPos2, p1);
        showInfo(w, w.tmpFPos2.x - w.tmpFPos.x, w.tmpFPos2.y - w.tmpFPos.y,
                 TInfomationUpdateOption::iuoSelectEnd);
        break;
    }
    case kTrim:
        if (!w.hasPosList())
            break;
        w.setBoxPoints(w.firstPos, *pos, w.isCenterKeyDown(), w.isAspectKeyDown());
        w.lastPos = *pos;
        w.markGuideDirty();
        trackMouseMove(w, shift, pos);
        w.convToCanvasPos(w.tmpPos2, *pos);
        showInfo(w, {w.tmpPos2.x - w.tmpPos.x, w.tmpPos2.y - w.tmpPos.y},
                 TInfomationUpdateOption::iuoSelectEnd);
        break;
    default:
        if (!isTransformKind(k))
            return;
        w.transformDrag(shift, *pos);
        trackMouseMove(w, shift, pos);
        w.convToCanvasPos(w.tmpPos2, *pos);
        showInfo(w, {w.tmpPos2.x - w.tmpPos.x, w.tmpPos2.y - w.tmpPos.y},
                 TInfomationUpdateOption::iuoSelectEnd);
        break;
    }
    w.TimerAutoScroll.Enabled = true;
}

void TDrawWindow::moveToolUp(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    const int32_t k = w.moveToolKind();
    if (!pos || isKeyMoveKind(k))
        return;
    bool rebuild = w.drawState.has(Bit::stDirty);
    w.restoreSmoothZoom();
    const bool constrain = shift.has(TShiftState::ssShift);
    const bool still = *pos == w.firstPos;
    bool recorded = false, fitted = false;
    switch (k) {
    case kLayerDrag:
    case kLayerSelectDrag:
    case kSelectDrag: {
        sPos p = *pos;
        if (k != kLayerDrag)
            w.calcViewBound(p, true);
        const sPos d = still ? sPos{} : w.moveDistance(p, constrain);
        if (movesLayer(k))
            w.restoreLayerPositions(layerStart(w, k));
        if (!isZero(d))
            recorded = w.recordMove(k, d);
        else if (movesLayer(k) && rebuild)
            w.UpdateAll();
        if (!recorded && movesSelection(k) && isZero(d))
            resetAnts(w);
        // A selection move changes no pixel: the display is not rebuilt.
        if (k == kSelectDrag)
            rebuild = false;
        endLayerMove(w);
        break;
    }
    case kGradient:
        if (!still) {
            sPos p1 = *pos;
            w.correctLinePos(w.firstPos, p1);
            sFPos c1;
            w.convToCanvasPosEx(c1, p1);
            dispatchGradType(*w.paper);
            // Setting the line only records nothing and leaves the document's mark alone.
            const bool setOnly = w.isSetOnlyKeyDown();
            recorded = eventLayerGradation(*w.paper, w.flowImage.get(), w.paper->ActiveLayer(),
                                           w.tmpFPos, c1, setOnly, true) &&
                       !setOnly;
        }
        endBand(w);
        break;
    case kTrim:
        if (!still) {
            const sBox box = w.trimBox(*pos, w.isSetOnlyKeyDown());
            if (box.w != 0 && box.h != 0)
                recorded = eventEditCrop(*w.paper, w.flowImage.get(), w.paper->ActiveLayer(),
                                         box, true, 1);
        }
        endBand(w);
        if (recorded && w.CheckZoomAuto()) {
            w.ZoomAuto(false, (gAppProfile->EnbAutoSize & 4) == 0);
            fitted = true;
        }
        break;
    default:
        // The transformer ends the drag it started, even one that did not move.
        if (isTransformKind(k))
            w.transformDragEnd();
        break;
    }
    if (!fitted)
        w.UpdateView(rebuild);
    // Only what was recorded changes the document.
    if (recorded)
        w.setModifiedFlag(true);
    w.drawState.clear(Bit::stDirty);
    w.drawState.clear(Bit::stShowGlyph);
    w.invalidateView(true, false);
}

void TDrawWindow::moveToolRDown(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    if (!isKeyMoveKind(w.moveToolKind())) {
        rightButtonPick(w, shift, pos);
        return;
    }
    if (w.drawState.has(Bit::stKeyOnly)) {
        if (!isZero(w.lastPos))
            w.drawState.set(Bit::stDirty);
        w.endKeyMove(false);
    }
}

void TDrawWindow::moveToolMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    if (isTransformKind(w.moveToolKind()))
        w.transformMouseMove(*pos);
    else
        trackMouseMove(w, shift, pos);
}

void TDrawWindow::moveToolKeyDown(TDrawWindow &w, uint32_t key, uint32_t data)
{
    const int32_t k = w.moveToolKind();
    BDrawState &st = w.drawState;
    const bool pressed = st.has(Bit::stLBtn) || st.has(Bit::stMBtn) || st.has(Bit::stRBtn);
    if (pressed) {
        if (int32_t(key) == VK_ESCAPE && k >= kLayerDrag && k <= kTrim)
            w.cancelMove(k, st.has(Bit::stDirty));
        return;
    }
    if (st.has(Bit::stKeyOnly)) {
        const int32_t drag = dragOf(k);
        if (const sPos step = arrowStep(key); !isZero(step)) {
            const int32_t n = isKeyDown(VK_SHIFT) ? 10 : 1;
            w.lastPos = {w.lastPos.x + n * step.x, w.lastPos.y + n * step.y};
            if (movesLayer(drag))
                w.moveLayersLive(layerStart(w, drag), w.lastPos);
            if (movesSelection(drag))
                w.moveSelectionLive(w.lastPos);
            showInfo(w, w.lastPos, TInfomationUpdateOption::iuoOffsetUV);
        } else if (int32_t(key) == VK_RETURN || int32_t(key) == VK_SPACE) {
            w.endKeyMove(true);
        } else if (int32_t(key) == VK_ESCAPE) {
            w.endKeyMove(false);
        }
        return;
    }
    if ((k >= kLayerDrag && k <= kLayerSelectDrag) || isTransformKind(k))
        w.enterKeyMoveMode(k, key, data);
}

void TDrawWindow::moveToolShow(TDrawWindow &w, TMTC &)
{
    if (!w.hasPosList())
        return;
    const int32_t k = w.moveToolKind();
    if (k == kGradient && w.posNum >= 2)
        w.drawDottedPolyline(2);
    else if (k == kTrim)
        w.drawBandQuad();
}

void TDrawWindow::moveToolForceEnd(TDrawWindow &w, const sPos *pos)
{
    // A key move ends applied; any other operation ends as every tool's does.
    if (w.drawState.has(Bit::stKeyOnly))
        w.endKeyMove(true);
    else
        defaultForceEnd(w, pos);
}
