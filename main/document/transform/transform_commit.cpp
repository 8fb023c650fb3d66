// Typed values from the tool window, the tool window's feedback, and the end of a free transform:
// the commit with its event and undo record, the cancel, and the replayed frame.
#include "document/transform/select_transform.h"

#include "core/image/channel.h"
#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/selection_ops.h"
#include "document/transform/transform_driving.h"
#include "document/transform/transform_mapping.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

constexpr double kDegreesPerRadian = 57.295779513082320877;

bool finiteValue(float v)
{
    return std::isfinite(v);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Typed values and feedback

void TSelectTransform::changeTransformParam(int32_t activeType, float dx, float dy, float angle)
{
    FMoveDx = FMoveDy = 0;
    FRotateAngle = 0;
    saveTransStartPoints();
    computeVanishingPoints();
    const bool centreOnly = activeType == kTransDatum;
    if (centreOnly)
        drawCentreWnd();
    else
        drawWnd();
    switch (activeType) {
    case kTransHandle: {
        FIsSimpleMove = false;
        const float fx = dx / FScaleW, fy = dy / FScaleH;
        if (!finiteValue(fx) || !finiteValue(fy) || FScaleW == 0 || FScaleH == 0)
            break;
        const sFPos anchor = anchorInFrame();
        for (int i = 0; i < 4; ++i)
            FTransPoints[size_t(i)] = transformRotatePoint(FTransPoints[size_t(i)], anchor, 0, fx, fy);
        updateMidPoints(FTransPoints);
        FLastDatumPos = FTransPoints[9];
        FScaleW = dx, FScaleH = dy;
        break;
    }
    case kTransRotate:
        if (!finiteValue(angle))
            break;
        FRotateAngle = wrapTransformAngle(angle - FLastOptAngle);
        FLastOptAngle = angle;
        FIsSimpleMove = false;
        break;
    case kTransShear:
        // The shear values are not applied (the tool window keeps its shear fields disabled):
        // the frame is only rebuilt from the drag-start points.
        FIsSimpleMove = false;
        break;
    case kTransDatum: {
        if (!finiteValue(dx) || !finiteValue(dy))
            break;
        // Through the window: the marker lands on a position a window pixel shows.
        const sFPos w = convToViewPos(m_paper, sFPos{dx, dy});
        if (!std::isfinite(w.x) || !std::isfinite(w.y))
            break;
        const sPos wp{int32_t(std::clamp(std::nearbyint(w.x), -1.0e8f, 1.0e8f)),
                      int32_t(std::clamp(std::nearbyint(w.y), -1.0e8f, 1.0e8f))};
        placeCentreMarker(toCanvas(wp));
        break;
    }
    default:
        break;
    }
    if (activeType >= kTransHandle && activeType <= kTransDatum)
        FTransformType = activeType;
    rebuildViewPoints();
    if (centreOnly)
        drawCentreWnd();
    else
        drawWnd();
    releaseSequence();
}

void TSelectTransform::releaseSequence()
{
    // A typed value moves no pointer: the mapping follows the frame.
    FMarkerTypeNow = kMarkerNone;
    transformMask();
    if (transformImage(false))
        repaintUpdateBox();
    dragEnd();
}

void TSelectTransform::repaintUpdateBox()
{
    sBox box = FLastUdtBox;
    if (!boxClipToSize(box, m_paper.m_paperSize))
        return;
    UpdateVRAMPart(m_paper, box, true, true);
    if (IPaperOwner *o = m_paper.owner())
        o->UpdateAllPartWithVramCache(box);
}

void TSelectTransform::setOptionFormValue(float, float)
{
    IPaperOwner *o = m_paper.owner();
    switch (FTransformType) {
    case kTransMove:
    case kTransDatum:
        if (o)
            o->setTransDat(FViewPoints[8].x, FViewPoints[8].y);
        break;
    case kTransHandle:
    case kTransAnchorScale: {
        float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        for (int i = 0; i < 4; ++i) {
            const sFPos p = transformRotatePoint(FViewPoints[size_t(i)], FViewPoints[8], -FFrameAngle);
            x0 = i ? std::min(x0, p.x) : p.x, x1 = i ? std::max(x1, p.x) : p.x;
            y0 = i ? std::min(y0, p.y) : p.y, y1 = i ? std::max(y1, p.y) : p.y;
        }
        const float w = x1 - x0, h = y1 - y0;
        if (FFirstWidth <= 0 || FFirstHeight <= 0 ||
            (w == float(FFirstWidth) && h == float(FFirstHeight)))
            break;
        FScaleW = float(std::nearbyint(w / float(FFirstWidth) * 1000.0f)) * 0.1f;
        FScaleH = float(std::nearbyint(h / float(FFirstHeight) * 1000.0f)) * 0.1f;
        if (o)
            o->setTransScale(FScaleW, FScaleH);
        break;
    }
    case kTransRotate: {
        const float a = FFrameAngle + FRotateAngle;
        if (o)
            o->setTransAngle(float(double(a) * kDegreesPerRadian));
        FLastOptAngle = a;
        break;
    }
    default:
        break;
    }
}

void TSelectTransform::setTransformPoints(const sFPos &topLeft, const sFPos &topRight,
                                          const sFPos &bottomRight, const sFPos &bottomLeft)
{
    TTransPoints &v = FViewPoints;
    v[0] = topLeft, v[1] = topRight, v[2] = bottomRight, v[3] = bottomLeft;
    updateMidPoints(v);
    if (!FIsMovedAnchor)
        v[8] = v[9];
    FTransPoints = v;
    FDatumPos = FLastDatumPos = v[9];
    FIsFreeTransform = true;
}

// ---------------------------------------------------------------------------------------------
// Commit and cancel

void TSelectTransform::restoreFromBase()
{
    if (FBaseMask) {
        if (CMaskData *md = m_paper.getActiveMaskData()) {
            if (FIsTransformSelect && FBaseMask->maskTC)
                md->maskTC = std::move(FBaseMask->maskTC);
            md->viewPos = FBaseMask->viewPos;
        }
        updateAnts(m_paper, m_paper.bEnbMask, m_paper.bVisMask);
    }
    if (FIsTransformImage && FBaseLayer && FBaseLayer->imageTC) {
        if (CLayerData *ld = m_paper.getActiveLayerData()) {
            ld->replaceImage(std::move(FBaseLayer->imageTC));
            ld->copyAttr(*FBaseLayer);
            ld->viewPos = FBaseLayer->viewPos;
            ld->viewSize = FBaseLayer->viewSize;
            ld->trans = uint8_t(FLyrTrans);
            if (TFlowImage *flow = m_paper.getActiveFlow())
                m_paper.setFlow(*flow, m_paper.ActiveLayer(), true);
            refreshView(m_paper, nullptr, m_paper.ActiveLayer(), false);
        }
    }
}

void TSelectTransform::freeWorkObjects()
{
    FTrnsChannel.reset();
    FTrnsResultChannel.reset();
    FBaseMask.reset();
    FTrnsImage.reset();
    FDelLayer.reset();
    FBaseLayer.reset();
}

void TSelectTransform::finishTransform()
{
    FIsFreeTransform = FIsTransformSelect = FIsTransformImage = false;
    if (IPaperOwner *o = m_paper.owner())
        o->UpdateOptionView(true);
    freeWorkObjects();
}

void TSelectTransform::abandon()
{
    restoreFromBase();
    finishTransform();
}

void TSelectTransform::transformCancel()
{
    drawWnd();
    restoreFromBase();
    if (IPaperOwner *o = m_paper.owner())
        o->invalidate(false);
    finishTransform();
}

bool TSelectTransform::transformApply(bool undo)
{
    if (undo)
        drawWnd();
    // The final mapping follows the frame, whatever the pointer pressed last.
    FMarkerTypeNow = kMarkerNone;
    bool ok;
    if (FIsTransformImage)
        ok = commitImage(undo);
    else if (FIsTransformSelect)
        ok = commitSelectionOnly(undo);
    else {
        restoreFromBase();
        ok = false;
    }
    finishTransform();
    return ok;
}

bool TSelectTransform::commitSelectionOnly(bool undo)
{
    CMaskMngr &mm = m_paper.maskMngr();
    const int32_t midx = m_paper.getActiveMaskIndex();
    CMaskData *md = mm.getMask(midx);
    if (!md || !FBaseMask || !transformMask()) {
        restoreFromBase();
        return false;
    }
    std::unique_ptr<CMaskData> moving;
    try {
        moving = std::make_unique<CMaskData>(*md);
    } catch (const std::bad_alloc &) {
        restoreFromBase();
        err_memHandler();
        return false;
    }
    // The live object gets its former image back and leaves the list for the record.
    md->maskTC = std::move(FBaseMask->maskTC);
    md->viewPos = FBaseMask->viewPos;
    mm.updatePreview(moving.get());
    const int32_t resultId = moving->uniqueID;
    mm.replaceMask(midx, moving); // moving now holds the former mask
    CEventMngr &ev = m_paper.eventMngr();
    CEventRecordGuard guard(ev);
    const TTransPoints &v = FViewPoints;
    if (!recordEvent(ev, undo, [&] {
            return ev.pushEventSelectFreeTransform(v[0], v[1], v[2], v[3], FIsSimpleMove, 32);
        })) {
        mm.replaceMask(midx, moving);
        updateAnts(m_paper, m_paper.bEnbMask, m_paper.bVisMask);
        return false;
    }
    guard.commit();
    if (undo)
        pushUndoFreeMaskTrans(m_paper, std::move(moving), m_paper.ActiveLayer(), midx, resultId);
    updateAnts(m_paper, m_paper.bEnbMask, m_paper.bVisMask);
    updateSelectWindow(m_paper, midx);
    m_paper.setModified(true);
    return true;
}

bool TSelectTransform::commitImage(bool undo)
{
    CMaskMngr &mm = m_paper.maskMngr();
    const int32_t idx = m_paper.ActiveLayer(), midx = m_paper.getActiveMaskIndex();
    CLayerData *ld = m_paper.getActiveLayerData();
    CMaskData *md = mm.getMask(midx);
    const bool withMask = FIsTransformSelect && md && FBaseMask;
    if (!ld || !ld->imageTC || !FBaseLayer || !FBaseLayer->imageTC ||
        (withMask && !transformMask())) {
        restoreFromBase();
        return false;
    }
    std::unique_ptr<CMaskData> moving;
    if (withMask) {
        try {
            moving = std::make_unique<CMaskData>(*md);
        } catch (const std::bad_alloc &) {
            restoreFromBase();
            err_memHandler();
            return false;
        }
    }
    // The final mapping, averaged.
    ld->viewPos = FTrnsImageViewPos;
    if (!transformImage(true)) {
        restoreFromBase();
        err_memHandler();
        return false;
    }
    ld->imageTC->shrinkMemory();
    // The former pixels go back for the record; the transformed ones wait aside.
    std::unique_ptr<CBlockVMTC> transformed = ld->replaceImage(std::move(FBaseLayer->imageTC));
    if (withMask) {
        md->maskTC = std::move(FBaseMask->maskTC);
        md->viewPos = FBaseMask->viewPos;
        mm.updatePreview(moving.get());
        mm.replaceMask(midx, moving); // moving now holds the former mask
    } else if (FBaseMask && md) {
        md->viewPos = FBaseMask->viewPos;
    }
    const uint8_t code = withMask ? 57 : 56;
    CEventMngr &ev = m_paper.eventMngr();
    CEventRecordGuard guard(ev);
    const TTransPoints &v = FViewPoints;
    if (!recordEvent(ev, undo, [&] {
            return ev.pushEventLayerFreeTransform(v[0], v[1], v[2], v[3], FIsSimpleMove, code);
        })) {
        if (withMask)
            mm.replaceMask(midx, moving);
        updateAnts(m_paper, m_paper.bEnbMask, m_paper.bVisMask);
        refreshView(m_paper, nullptr, idx, false);
        return false;
    }
    guard.commit();
    if (undo) {
        if (withMask)
            pushUndoFreeLyrAndMaskTrans(m_paper, idx, midx, std::move(moving));
        else
            pushUndoFreeLyrTrans(m_paper, idx, ld->imageBox());
    }
    ld->replaceImage(std::move(transformed));
    if (TFlowImage *flow = m_paper.getActiveFlow())
        m_paper.setFlow(*flow, idx, true);
    refreshView(m_paper, nullptr, idx, false);
    if (withMask) {
        updateAnts(m_paper, m_paper.bEnbMask, m_paper.bVisMask);
        updateSelectWindow(m_paper, midx);
    }
    m_paper.setModified(true);
    return true;
}
