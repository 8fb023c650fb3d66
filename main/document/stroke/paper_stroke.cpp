#include "document/stroke/paper_stroke.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/events/event_manager.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper_host.h"
#include "document/selection/select_mng.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "document/view/zoom_cache.h"
#include "paint/gradient/gradation.h"
#include "paint/gradient/gradient_manager.h"
#include "paint/render/legacy_blur.h"
#include "paint/render/legacy_dabs.h"
#include "paint/render/pen_render4.h"
#include "paint/render/pen_render5.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"

#include <algorithm>
#include <exception>
#include <new>

namespace {

// ---- the stroke in progress

void setStroking(TPaper &paper, bool sw)
{
    if (IPaperOwner *o = paper.owner()) {
        o->setNowStroking(sw);
        if (sw)
            o->setCntStroking(0);
    }
}

void countPoint(TPaper &paper)
{
    if (IPaperOwner *o = paper.owner())
        o->setCntStroking(o->cntStroking() + 1);
}

// Any stroke left open is dropped (its packets withdrawn), then the new one starts unrecorded.
void dropOpenStroke(TPaper &paper)
{
    paper.m_strokeRecord.reset();
    paper.m_strokeLive = false;
}

// Holds the stroke's packets from here to its end (only while recording with undo).
void holdStrokePackets(TPaper &paper, bool undo)
{
    if (!undo)
        return;
    try {
        paper.m_strokeRecord = std::make_unique<CEventRecordGuard>(paper.eventMngr());
    } catch (const std::bad_alloc &) {
        paper.m_strokeRecord.reset();
    }
}

// Loads the stroke's layer into the flow image; false when the index is bad or the image could
// not take the layer.
bool loadStrokeFlow(TPaper &paper, TFlowImage &flow, int32_t idx)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    paper.setFlow(flow, idx, false);
    return flow.layerIdx() == idx && flow.imageType() == eFlowImageType::fitActiveLayer &&
           flow.image().width() >= ld->imageTC->width() &&
           flow.image().height() >= ld->imageTC->height();
}

// A paper box moved into layer idx's coordinates and clipped to its image; false when empty.
bool toLayerBox(const TPaper &paper, int32_t idx, sBox &box)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    box.x += ld->viewPos.x;
    box.y += ld->viewPos.y;
    return boxClipToSize(box, {ld->imageTC->width(), ld->imageTC->height()});
}

// What the end of every level shares: the undo stock, the copy into the layer, the end packet.
// False, with the stroke's packets withdrawn and its undo record dropped, when the copy fails.
bool finishStroke(TPaper &paper, TFlowImage &flow, const sBox &box, sBox &lbox, bool &hasBox,
                  bool undo)
{
    const int32_t idx = flow.layerIdx();
    lbox = box;
    hasBox = toLayerBox(paper, idx, lbox);
    bool stocked = false;
    if (undo && hasBox) {
        sBox stockBox = lbox;
        stocked = undoStockPart(paper, idx, stockBox, udCmdName::udcnImageStroke);
    }
    if (hasBox && !bltToLayer(paper, idx, flow.image(), lbox.pos(), lbox, 255)) {
        if (stocked && isUsingNewUndo(paper))
            paper.undoMngrEx()->popUndo();
        paper.m_strokeRecord.reset(); // withdraws the stroke
        return false;
    }
    // A stroke that changed no pixel of its layer stocked no undo: recorded, it would pair the
    // next undo with the wrong event, so it is withdrawn like a failed one.
    if (undo && paper.m_strokeRecord && hasBox) {
        paper.eventMngr().pushEventStrokeEnd();
        paper.m_strokeRecord->commit();
    }
    paper.m_strokeRecord.reset();
    return true;
}

// Clears the stroke state however the end is left.
struct SStrokeEndScope
{
    TPaper &paper;
    ~SStrokeEndScope()
    {
        paper.m_strokeLive = false;
        paper.m_strokeRecord.reset();
        setStroking(paper, false);
    }
};

CLayerData *flowLayer(TPaper &paper, const TFlowImage &flow)
{
    CLayerData *ld = paper.getLayerData(flow.layerIdx());
    return ld && ld->imageTC ? ld : nullptr;
}

// The flow image's layer box := the layer's pixels (false without a layer).
bool reloadFlowBox(TPaper &paper, TFlowImage &flow, const sBox &lbox)
{
    CLayerData *ld = flowLayer(paper, flow);
    if (!ld)
        return false;
    ld->imageTC->bltTo(flow.image(), lbox.pos(), lbox, 255, false);
    return true;
}

// The begin shared by levels 4 and 5 once the manager is known.
template <class Mngr>
bool beginManaged(TPaper &paper, TFlowImage &flow, TStroke &stroke, Mngr *mngr, float x, float y,
                  float p, bool undo)
{
    dropOpenStroke(paper);
    if (!mngr || !loadStrokeFlow(paper, flow, stroke.m_drawLayer))
        return false;
    mngr->reset(stroke.m_drawLayer, &flow, &paper, &stroke);
    if (!mngr->start(SStrokeData{x, y, p}))
        return false;
    paper.m_bDirWold = -1;
    prepareStrokeForPaper(stroke, &paper);
    if (undo && paper.eventMngr().isRecording()) {
        holdStrokePackets(paper, undo);
        paper.eventMngr().pushEventStrokeBegin(x, y, p);
    }
    paper.m_strokeLive = true;
    setStroking(paper, true);
    return true;
}

// One added point of a managed stroke: the point, the draw procedure, the step shown.
template <class Mngr>
void stepManaged(TPaper &paper, TFlowImage &flow, TStroke &stroke, Mngr &mngr,
                 const SStrokeData &sd, IPaperOwner *handle)
{
    mngr.add(sd);
    drawInstalledProc(paper, flow, stroke);
    sBox box;
    mngr.getUpdateBox(box);
    showStrokePart(paper, flow, handle, box, stroke);
}

template <class Mngr>
bool endManaged(TPaper &paper, TFlowImage &flow, TStroke &stroke, Mngr *mngr, IPaperOwner *handle,
                sBox &box, bool undo)
{
    SStrokeEndScope scope{paper};
    if (!paper.m_strokeLive || !mngr)
        return false;
    mngr->getUpdateAllBox(box);
    sBox lbox;
    bool hasBox = false;
    const bool ok = finishStroke(paper, flow, box, lbox, hasBox, undo);
    if (hasBox)
        mngr->clearFlowAlpha(&lbox, false);
    mngr->endStroke();
    if (ok && paper.m_paperMode == TPaperMode::PM_NETWORK)
        showStrokePart(paper, flow, handle, box, stroke);
    return ok;
}

bool beginOlder(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                bool undo, bool old)
{
    dropOpenStroke(paper);
    if (!loadStrokeFlow(paper, flow, stroke.m_drawLayer))
        return false;
    if (old)
        stroke.InitBeginStrokeOld(&paper, x, y, p, flow.image());
    else
        stroke.initBeginStroke(&paper, flow.image(), flow.viewPos, x, y, p);
    paper.m_bDirWold = -1;
    prepareStrokeForPaper(stroke, &paper);
    // Recorded once the begin succeeded; nothing it changed is in the status packets.
    if (undo && paper.eventMngr().isRecording()) {
        holdStrokePackets(paper, undo);
        paper.eventMngr().pushEventStrokeBegin(x, y, p);
    }
    paper.m_strokeLive = true;
    setStroking(paper, true);
    return true;
}

// The renderer that decides alpha painting at levels 4 and 5.
bool managerPaintsCoverage(const TPaper &paper)
{
    if (paper.m_fnDraw == eDrawProc::Draw4) {
        const CStrokeMngr *m = paper.strokeMngr4();
        return m && m->getRender() && m->getRender()->isEnbRender1();
    }
    const CStrokeMngr5 *m = paper.strokeMngr5();
    return m && m->getRender() && m->getRender()->isEnbRender1();
}

} // namespace

// ---- IStrokePaper and IStrokePaper4 of the document

bool TPaper::isPaintLevel5() const
{
    return actPaintLevel == ePaintLevel::PAINT_LEVEL_qZ5;
}

TLayerMode TPaper::strokeLayerMode() const
{
    const TStroke *stroke = getActiveStroke();
    return stroke ? getStrokeLM(*this, *stroke) : TLayerMode::LM_STD;
}

uint32_t TPaper::selectionAlpha(int32_t x, int32_t y, uint32_t a) const
{
    const CMaskData *mask = bEnbMask ? getActiveMaskData() : nullptr;
    if (!CMaskData::hasMask(mask))
        return a;
    const CLayerData *ld = getActiveLayerData();
    const sPos lv = ld ? ld->viewPos : sPos{0, 0};
    return mask->effectMask(x + mask->viewPos.x - lv.x, y + mask->viewPos.y - lv.y, a);
}

sPos TPaper::layerViewPos(int32_t idx) const
{
    const CLayerData *ld = getLayerData(idx);
    return ld ? ld->viewPos : sPos{0, 0};
}

const CBlockVMTC *TPaper::layerImage(int32_t idx) const
{
    const CLayerData *ld = getLayerData(idx);
    return ld ? ld->imageTC.get() : nullptr;
}

int32_t TPaper::playEventFileVersion() const
{
    return m_ownerDW ? m_ownerDW->playEventFileVersion() : 0;
}

// ---- levels 1 and 2

bool eventStrokeBegin(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                      bool undo)
{
    return beginOlder(paper, flow, stroke, x, y, p, undo, false);
}

bool EventStrokeBeginOld(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y,
                         float p, bool undo)
{
    return beginOlder(paper, flow, stroke, x, y, p, undo, true);
}

void EventStrokeAdd(TPaper &paper, TFlowImage &flow, TStroke &stroke, float mx, float my,
                    float Press, IPaperOwner *handle, bool undo)
{
    if (!paper.m_strokeLive)
        return;
    if (undo && paper.m_strokeRecord)
        paper.eventMngr().pushEventStrokeAdd(mx, my, Press);
    countPoint(paper);
    stroke.AddStroke(mx, my, Press);
    drawInstalledProc(paper, flow, stroke);
    sBox box;
    stroke.GetMinimumMoveRange(box);
    showStrokePart(paper, flow, handle, box, stroke);
}

bool EventStrokeEnd(TPaper &paper, TFlowImage &flow, TStroke &stroke, IPaperOwner *handle,
                    sBox &box, bool undo)
{
    SStrokeEndScope scope{paper};
    if (!paper.m_strokeLive)
        return false;
    stroke.GetMinimumStrokeRange(box);
    sBox lbox;
    bool hasBox = false;
    const bool ok = finishStroke(paper, flow, box, lbox, hasBox, undo);
    if (hasBox && isUsingAlphaPaint(paper, stroke))
        flow.alpha().fillBox(lbox, 0);
    if (ok && paper.m_paperMode == TPaperMode::PM_NETWORK)
        showStrokePart(paper, flow, handle, box, stroke);
    return ok;
}

// ---- level 4

bool eventStrokeBegin4(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                       bool undo)
{
    return beginManaged(paper, flow, stroke, paper.strokeMngr4(), x, y, p, undo);
}

void eventStrokeAdd4(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                     IPaperOwner *handle, bool undo)
{
    CStrokeMngr *mngr = paper.strokeMngr4();
    if (!paper.m_strokeLive || !mngr)
        return;
    if (undo && paper.m_strokeRecord)
        paper.eventMngr().pushEventStrokeAdd(x, y, p);
    countPoint(paper);
    stepManaged(paper, flow, stroke, *mngr, SStrokeData{x, y, p}, handle);
}

bool eventStrokeEnd4(TPaper &paper, TFlowImage &flow, TStroke &stroke, IPaperOwner *handle,
                     sBox &box, bool undo)
{
    return endManaged(paper, flow, stroke, paper.strokeMngr4(), handle, box, undo);
}

// ---- level 5

bool eventStrokeBegin5(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                       bool undo)
{
    return beginManaged(paper, flow, stroke, paper.strokeMngr5(), x, y, p, undo);
}

void eventStrokeAdd5(TPaper &paper, TFlowImage &flow, TStroke &stroke, float x, float y, float p,
                     IPaperOwner *handle, bool undo)
{
    CStrokeMngr5 *mngr = paper.strokeMngr5();
    if (!paper.m_strokeLive || !mngr)
        return;
    if (undo && paper.m_strokeRecord)
        paper.eventMngr().pushEventStrokeAdd(x, y, p);
    countPoint(paper);
    // A lifted pen lets the smoothing catch up with the last point.
    const int32_t times = p != 0 ? 1 : mngr->getSmoothLevel() + 1;
    for (int32_t i = 0; i < times; ++i)
        stepManaged(paper, flow, stroke, *mngr, SStrokeData{x, y, p}, handle);
}

bool eventStrokeEnd5(TPaper &paper, TFlowImage &flow, TStroke &stroke, IPaperOwner *handle,
                     sBox &box, bool undo)
{
    return endManaged(paper, flow, stroke, paper.strokeMngr5(), handle, box, undo);
}

// ---- draw procedures

void Draw(TPaper &paper, TFlowImage &flow, TStroke &stroke)
{
    CLayerData *ld = flowLayer(paper, flow);
    if (!ld)
        return;
    SStrokeData p1, p2;
    stroke.getSD(p1, 1);
    stroke.getSD(p2, 2);
    const float g = stroke.m_penGamma;
    if (g != 0) {
        p1.p = pressurePow(p1.p, g);
        p2.p = pressurePow(p2.p, g);
    }
    const sPos v = ld->viewPos;
    stroke.DrawLine(p2.x + float(v.x), p2.y + float(v.y), p2.p, p1.x + float(v.x),
                    p1.y + float(v.y), p1.p, flow.image(), flow.alpha(), *ld->imageTC,
                    getStrokeLM(paper, stroke));
}

void Draw4(TPaper &paper, TFlowImage &flow, TStroke &stroke)
{
    CStrokeMngr *mngr = paper.strokeMngr4();
    if (!mngr)
        return;
    mngr->setTarget(&flow, &paper);
    mngr->setObject(&stroke, true);
    mngr->stroker();
}

void Draw5(TPaper &paper, TFlowImage &flow, TStroke &stroke)
{
    CStrokeMngr5 *mngr = paper.strokeMngr5();
    if (!mngr)
        return;
    mngr->setTarget(&flow, &paper);
    mngr->setObject(&stroke, true);
    mngr->stroker();
}

void drawInstalledProc(TPaper &paper, TFlowImage &flow, TStroke &stroke)
{
    switch (paper.m_fnDraw) {
    case eDrawProc::Draw1:
        Draw(paper, flow, stroke);
        break;
    case eDrawProc::Draw2:
        Draw2(paper, flow, stroke);
        break;
    case eDrawProc::Draw4:
        Draw4(paper, flow, stroke);
        break;
    case eDrawProc::Draw5:
        Draw5(paper, flow, stroke);
        break;
    }
}

// ---- showing and alpha painting

void showStrokePart(TPaper &paper, TFlowImage &flow, IPaperOwner *wnd, const sBox &box,
                    TStroke &stroke)
{
    effectAlphaPaint(paper, flow, stroke, box);
    sBox b = box;
    if (!paper.vram().isEnable() || !boxClipToSize(b, paper.vram().FPSZ()))
        return;
    if (paper.bVisCanvasCol)
        composeStrokeOpaque(paper, flow, b, flow.layerIdx());
    else
        composeStrokeTransparent(paper, flow, b, flow.layerIdx());
    updateZoomCache(paper, b);
    updateViewPart(paper, wnd, sRect{b.x, b.y, b.x + b.w, b.y + b.h});
}

bool isUsingAlphaPaint(const TPaper &paper, const TStroke &stroke)
{
    if (paper.m_fnDraw == eDrawProc::Draw1 || paper.m_fnDraw == eDrawProc::Draw2)
        return stroke.m_drawMode == TDrawMode::DM_PEN || stroke.m_drawMode == TDrawMode::DM_BLUR2;
    return managerPaintsCoverage(paper);
}

bool effectAlphaPaint(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &box)
{
    if (!isUsingAlphaPaint(paper, stroke))
        return false;
    sBox lbox = box;
    if (!toLayerBox(paper, flow.layerIdx(), lbox))
        return true;
    if (paper.isDrawProcNew() && paper.m_fnDraw != eDrawProc::Draw2)
        flowBltAlphaQZ4(paper, flow, stroke, lbox);
    else
        flowBltAlphaQZ2(paper, flow, stroke, lbox);
    return true;
}

void flowBltAlphaStd(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox)
{
    if (!reloadFlowBox(paper, flow, lbox))
        return;
    const uint32_t opacity = stroke.OpaqueDWORD();
    if (stroke.m_bUseGradation && paper.grad())
        drawGradationThroughChannel(flow.image(), flow.alpha(), *paper.grad(), gStrokeColorPut,
                                    lbox.pos(), lbox, opacity);
    else
        drawColorThroughChannel(flow.image(), flow.alpha(), lbox.pos(), lbox, stroke.m_drawColor,
                                opacity, false);
}

void flowBltAlphaQZ2(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox)
{
    if (stroke.m_drawMode == TDrawMode::DM_PEN)
        flowBltAlphaStd(paper, flow, stroke, lbox);
    else if (stroke.m_drawMode == TDrawMode::DM_BLUR2)
        flowBltAlphaBlur2(paper, flow, stroke, lbox);
}

void flowBltAlphaQZ4(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox)
{
    flowBltAlphaStd(paper, flow, stroke, lbox);
}

void flowBltAlphaEraseMask(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &lbox)
{
    if (!reloadFlowBox(paper, flow, lbox))
        return;
    const uint32_t bg = getLayerModeBgColor(getStrokeLM(paper, stroke)).value_or(0x00FFFFFF);
    StrokeColorPutSwap swap(stroke.m_bProtectMask ? gStrokeColorPut : pixelEraseAlpha);
    drawColorThroughChannel(flow.image(), flow.alpha(), lbox.pos(), lbox, bg, stroke.OpaqueDWORD(),
                            false);
}

void flowBltAlphaBlur2(TPaper &paper, TFlowImage &flow, TStroke &, const sBox &lbox)
{
    CLayerData *ld = flowLayer(paper, flow);
    if (ld)
        applyBlur2Box(flow.image(), *ld->imageTC, flow.alpha(), lbox, nullptr);
}

// ---- paint levels

void changeDrawProc(TPaper &paper, eDrawProc fn, ePaintLevel lv)
{
    // Level-1 layers keep their own histories.
    if (fn == eDrawProc::Draw1)
        paper.freeUndoMngrEx();
    paper.m_fnDraw = fn;
    paper.maxPaintLevel = std::max(paper.maxPaintLevel, lv);
    paper.actPaintLevel = lv;
}

void setDrawProcLevel1(TPaper &paper)
{
    changeDrawProc(paper, eDrawProc::Draw1, ePaintLevel::PAINT_LEVEL_qZ1);
}

void setDrawProcLevel2(TPaper &paper)
{
    changeDrawProc(paper, eDrawProc::Draw2, ePaintLevel::PAINT_LEVEL_qZ2);
}

void setDrawProcLevel4(TPaper &paper)
{
    changeDrawProc(paper, eDrawProc::Draw4, ePaintLevel::PAINT_LEVEL_qZ4);
}

void setDrawProcLevel5(TPaper &paper)
{
    changeDrawProc(paper, eDrawProc::Draw5, ePaintLevel::PAINT_LEVEL_qZ5);
}

bool switchPaintLevel(TPaper &paper, ePaintLevel level)
{
    if (level > paper.maxPaintLevel)
        return false;
    switch (level) {
    case ePaintLevel::PAINT_LEVEL_qZ2:
        paper.m_fnDraw = eDrawProc::Draw2;
        paper.strokeMngr = eActiveStrokeMngr::mngr4;
        break;
    case ePaintLevel::PAINT_LEVEL_qZ4:
        paper.m_fnDraw = eDrawProc::Draw4;
        paper.strokeMngr = eActiveStrokeMngr::mngr4;
        break;
    case ePaintLevel::PAINT_LEVEL_qZ5:
        paper.m_fnDraw = eDrawProc::Draw5;
        paper.strokeMngr = eActiveStrokeMngr::mngr5;
        break;
    default:
        return false;
    }
    dispatchStrokeMngr(paper, false);
    paper.actPaintLevel = level;
    return true;
}

bool startPaintModeQZ5(TPaper &paper)
{
    if (paper.maxPaintLevel == ePaintLevel::PAINT_LEVEL_qZ5)
        return true;
    TStroke *stroke = paper.getActiveStroke();
    try {
        paper.setStrokeMngr5(std::make_unique<CStrokeMngr5>(stroke, paper.getActivePenRender5()));
        paper.setStrokeMngr4(std::make_unique<CStrokeMngr>(stroke, paper.getActivePenRender()));
    } catch (const std::bad_alloc &) {
    }
    const bool both = paper.strokeMngr4() && paper.strokeMngr5();
    if (both)
        paper.maxPaintLevel = ePaintLevel::PAINT_LEVEL_qZ5;
    switchPaintLevel(paper, appMainPaintLevel());
    dispatchStrokeMngr(paper, true);
    if (paper.strokeMngr4())
        paper.strokeMngr4()->setObject(stroke, false);
    if (paper.strokeMngr5())
        paper.strokeMngr5()->setObject(stroke, false);
    return both;
}

void closePaintModeQZ5(TPaper &paper)
{
    if (paper.strokeMngr == eActiveStrokeMngr::none)
        return;
    paper.setStrokeMngr4(nullptr);
    paper.setStrokeMngr5(nullptr);
    paper.strokeMngr = eActiveStrokeMngr::none;
    paper.maxPaintLevel = ePaintLevel::PAINT_LEVEL_qZ2;
    paper.actPaintLevel = std::min(paper.actPaintLevel, ePaintLevel::PAINT_LEVEL_qZ2);
    // The managers' draw procedures have nothing left to draw with.
    if (paper.m_fnDraw == eDrawProc::Draw4 || paper.m_fnDraw == eDrawProc::Draw5)
        paper.m_fnDraw = eDrawProc::Draw2;
}

bool changePaintModeQZ1toQZ2(TPaper &paper)
{
    setDrawProcLevel2(paper);
    // The level-1 selection store has no use at the newer levels.
    paper.m_select.reset();
    if (!paper.undoMngrEx() && !paper.createUndoMngrEx())
        return false;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        if (CLayerData *ld = paper.getLayerData(i))
            ld->fillAlpha(255);
    }
    if (IPaperOwner *o = paper.owner())
        o->clearFlowAlphaOfImage();
    paper.maxPaintLevel = ePaintLevel::PAINT_LEVEL_qZ2;
    paper.actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ2;
    return startPaintModeQZ5(paper);
}

void dispatchStrokeMngr(TPaper &paper, bool act)
{
    paper.eventMngr().updateStrokeMngr();
    if (act && !paper.isEventPlaying())
        syncStroke(paper);
}

void syncStroke(TPaper &paper)
{
    if (paper.strokeMngr == eActiveStrokeMngr::none || paper.isEventPlaying())
        return;
    if (paper.strokeMngr4())
        paper.strokeMngr4()->syncStroke();
    if (paper.strokeMngr5())
        paper.strokeMngr5()->syncStroke();
}

void resetStrokeManagers(TPaper &paper)
{
    CStrokeMngr *m4 = paper.strokeMngr4();
    CStrokeMngr5 *m5 = paper.strokeMngr5();
    if (!m4 || !m5)
        return;
    m4->setRender(nullptr);
    m4->setObject(nullptr, false);
    m5->setRender(nullptr);
    m5->setObject(nullptr, false);
}

void setActiveObject(TPaper &paper)
{
    CStrokeMngr *m4 = paper.strokeMngr4();
    CStrokeMngr5 *m5 = paper.strokeMngr5();
    if (!m4 || !m5)
        return;
    m4->setRender(paper.getActivePenRender());
    m5->setRender(paper.getActivePenRender5());
    m4->setObject(paper.getActiveStroke(), false);
    m5->setObject(paper.getActiveStroke(), false);
}

// ---- the document gradient

void setGradation(TPaper &paper, sPos p0, sPos p1)
{
    setGradationFX(paper, sFXPos{int32_t(uint32_t(p0.x) << 16), int32_t(uint32_t(p0.y) << 16)},
                   sFXPos{int32_t(uint32_t(p1.x) << 16), int32_t(uint32_t(p1.y) << 16)});
}

void setGradation(TPaper &paper, sFPos p0, sFPos p1)
{
    setGradationFX(paper, sFXPos{floatToFix(p0.x), floatToFix(p0.y)},
                   sFXPos{floatToFix(p1.x), floatToFix(p1.y)});
}

void setGradationFX(TPaper &paper, sFXPos p0, sFXPos p1)
{
    if (CGradation *g = paper.grad())
        g->setPos(p0, p1);
}

void getGradationFX(const TPaper &paper, sFXPos &p0, sFXPos &p1)
{
    if (const CGradation *g = paper.grad())
        g->getPosFX(p0, p1);
}

void getGradType(const TPaper &paper, SGradAttr &attr)
{
    if (const CGradation *g = paper.grad())
        attr = g->gradAttr;
}

bool setGradType(TPaper &paper, int32_t gt, int32_t gm, int32_t gr, int32_t rep)
{
    CGradation *g = paper.grad();
    if (!g)
        return false;
    bindCurGradColorGroup(paper);
    return g->setGradType(gt, gm, gr, rep);
}

void bindCurGradColorGroup(TPaper &paper)
{
    CGradation *g = paper.grad();
    // Without a gradient set (headless, or none chosen yet) the evaluator keeps its group.
    const CColorSlotGroup *group = g ? getCurGradColorGroup(paper) : nullptr;
    if (!group)
        return;
    // The player's group lives as long as the document and its stops change as the replay reads
    // them; the set's working gradient can be freed under the document, so that one is copied.
    if (paper.isEventPlaying())
        g->setGradGroup(group);
    else
        paper.holdGradGroup(*group);
}

bool dispatchGradType(TPaper &paper)
{
    const CGradMngr *gm = appMainGradMngr();
    const CGradObj *grad = gm ? gm->getModGrad() : nullptr;
    if (!grad)
        return dispatchDefaultGradType(paper);
    const SGradAttr &a = grad->attr;
    return setGradType(paper, a.gradType, a.gradMap, a.gradRep, a.gradRepCnt);
}

bool dispatchDefaultGradType(TPaper &paper)
{
    const SGradAttr a;
    return setGradType(paper, a.gradType, a.gradMap, a.gradRep, a.gradRepCnt);
}

const CColorSlotGroup *getCurGradColorGroup(const TPaper &paper)
{
    if (paper.isEventPlaying())
        return paper.eventMngr().getPlayGradGroup();
    const CGradMngr *gm = appMainGradMngr();
    const CGradObj *grad = gm ? gm->getModGrad() : nullptr;
    return grad ? grad->crsg.get() : nullptr;
}

sRGBA calcGradColor(const TPaper &paper, sPos pos)
{
    const CGradation *g = paper.grad();
    return g ? g->getColor(pos) : sRGBA{.all = 0};
}
