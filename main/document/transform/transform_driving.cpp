#include "document/transform/transform_driving.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/transform/select_transform.h"
#include "document/undo/undo_stock.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"
#include "platform/system/environment.h"

#include <cmath>

namespace {

using enum udCmdName;

// Replayed corners: finite and within +-2^24 pixels.
constexpr float kCornerLimit = 16777216.0f;

bool cornerOk(const sFPos &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y) && std::fabs(p.x) <= kCornerLimit &&
           std::fabs(p.y) <= kCornerLimit;
}

// The kind of drag a pressed marker starts; kMarkerNone for no change.
int32_t dragKindOf(int32_t marker)
{
    if (marker == kMarkerCentre)
        return kTransDatum;
    if (marker >= 0 && marker < 8)
        return kTransHandle;
    if (marker == kMarkerInside)
        return kTransMove;
    if (marker == kMarkerNone)
        return kMarkerNone;
    return kTransRotate;
}

void startOptions(TPaper &paper, TSelectTransform &t)
{
    if (IPaperOwner *o = paper.owner())
        o->setTransPopup(paper.m_paperSize);
    t.initOptionFormValue();
    t.initParam();
}

// A record taking a mask; the mask is freed, and all undo with it, when the record cannot be kept.
bool pushMaskRecord(TPaper &paper, std::unique_ptr<CMaskData> md, udCmdName cn, int32_t n0,
                    int32_t n1, int32_t n2)
{
    if (!isUndoEnable(paper))
        return true;
    if (md && pushUndo(paper, CUndoObj(md.get()), cn, n0, n1, n2, 0)) {
        md.release(); // the record owns it now
        return true;
    }
    disposeUndoAll(paper);
    return false;
}

} // namespace

bool canLayerTransform(const TPaper &paper)
{
    const CLayerData *ld = paper.getActiveLayerData();
    sRect vis;
    if (!ld || !ld->imageTC || !ld->imageTC->findVisibleRect(vis))
        return false;
    const CMaskData *md = paper.getActiveMaskData();
    sRect sel;
    if (!CMaskData::hasMask(md) || !md->getMaskEnbRect(sel) || sel.x1 <= sel.x0 || sel.y1 <= sel.y0)
        return true;
    rectOffset(vis, -ld->viewPos.x, -ld->viewPos.y);
    // Touching edges count as overlap.
    return sel.x0 <= vis.x1 && vis.x0 <= sel.x1 && sel.y0 <= vis.y1 && vis.y0 <= sel.y1;
}

bool doSelectTransform(TPaper &paper)
{
    if (paper.FFreeTransformer)
        return false;
    auto t = std::make_unique<TSelectTransform>(paper);
    if (!t->createFreeTransform())
        return false;
    if (!t->setTransMask()) {
        t->drawWnd();
        t->abandon();
        return false;
    }
    startOptions(paper, *t);
    paper.FFreeTransformer = std::move(t);
    return true;
}

bool doLayerTransform(TPaper &paper)
{
    if (paper.FFreeTransformer)
        return false;
    bool ok = false;
    if (canLayerTransform(paper)) {
        auto t = std::make_unique<TSelectTransform>(paper);
        if (t->createFreeTransform()) {
            if (t->setTransMask() && t->setTransImage()) {
                startOptions(paper, *t);
                paper.FFreeTransformer = std::move(t);
                ok = true;
            } else {
                t->drawWnd();
                t->abandon();
            }
        }
    } else {
        ok = doSelectTransform(paper);
    }
    if (!ok) {
        cannotTransformDialog(paper);
        paper.FFreeTransformer.reset();
    }
    return ok;
}

bool doTransformEnd(TPaper &paper, bool apply)
{
    std::unique_ptr<TSelectTransform> &t = paper.FFreeTransformer;
    if (!t)
        return false;
    WaitCursor hourglass;
    bool applied = false;
    if (apply && t->FModify)
        applied = t->transformApply(true);
    else
        t->transformCancel();
    t.reset();
    return applied;
}

void doTransformDragStart(TPaper &paper, const sPos &pos)
{
    TSelectTransform *t = paper.FFreeTransformer.get();
    if (!t)
        return;
    t->setMarkerTypeInPos(t->toCanvas(pos));
    const int32_t marker = t->FMarkerTypeNow;
    const int32_t kind = dragKindOf(marker);
    if (kind != kMarkerNone) {
        t->FTransformType = kind;
        t->FLastPressMarker = marker;
    }
    t->dragStart(pos);
}

void doTransformDrag(TPaper &paper, const sPos &pos, int32_t dx, int32_t dy)
{
    if (TSelectTransform *t = paper.FFreeTransformer.get())
        t->transform(pos, dx, dy);
}

void doTransformDragEnd(TPaper &paper)
{
    TSelectTransform *t = paper.FFreeTransformer.get();
    if (!t)
        return;
    WaitCursor hourglass;
    if (t->FIsTransformSelect)
        t->transformMask();
    if (t->FIsTransformImage && t->transformImage(false) && t->FTransformType != kTransDatum)
        t->repaintUpdateBox();
    t->dragEnd();
    t->saveTransStartPoints();
}

void doTransformKeyMove(TPaper &paper, const sFPos &ofs)
{
    TSelectTransform *t = paper.FFreeTransformer.get();
    if (!t || !std::isfinite(ofs.x) || !std::isfinite(ofs.y))
        return;
    // Keys move no pointer: the pixels follow the frame even after the centre marker was pressed.
    t->FMarkerTypeNow = kMarkerNone;
    t->drawWnd();
    t->setTransformOfs(ofs);
    t->drawWnd();
    doTransformDragEnd(paper);
    t->FTransformType = kTransDatum;
    t->setOptionFormValue(ofs.x, ofs.y);
    t->FTransformType = kTransNone;
}

void cannotTransformDialog(TPaper &)
{
    showWarningEx(QStringLiteral("レイヤー内に何も含まれていないため変形できません。"), nullptr,
                  QStringLiteral("警告 (%1)").arg(gAppTitle));
}

bool eventFreeTransform(TPaper &paper, const sFPos &topLeft, const sFPos &topRight,
                        const sFPos &bottomRight, const sFPos &bottomLeft, bool simple,
                        uint8_t code)
{
    if (paper.FFreeTransformer || (code != 32 && code != 56 && code != 57) ||
        !cornerOk(topLeft) || !cornerOk(topRight) || !cornerOk(bottomRight) ||
        !cornerOk(bottomLeft))
        return false;
    IPaperOwner *o = paper.owner();
    paper.FFreeTransformer = std::make_unique<TSelectTransform>(paper);
    TSelectTransform &t = *paper.FFreeTransformer;
    WaitCursor hourglass;
    if (o)
        o->UpdateOptionView(true);
    t.setTransformPoints(topLeft, topRight, bottomRight, bottomLeft);
    t.FIsSimpleMove = simple;
    bool ready = false;
    switch (code) {
    case 32:
        ready = t.setTransMask() && t.FIsTransformSelect;
        break;
    case 56:
        ready = t.setTransImage();
        break;
    case 57:
        ready = t.setTransMask() && t.setTransImage();
        break;
    default:
        break;
    }
    if (ready) {
        if (code != 32)
            t.setLastUdtBox();
        t.initOptionFormValue();
    }
    const bool ok = ready && t.transformApply(false);
    if (!ready)
        t.abandon();
    if (o)
        o->UpdateOptionView(true);
    paper.FFreeTransformer.reset();
    return ok;
}

bool pushUndoFreeLyrAndMaskTrans(TPaper &paper, int32_t lyrIdx, int32_t maskIdx,
                                 std::unique_ptr<CMaskData> formerMask)
{
    return pushMaskRecord(paper, std::move(formerMask), udcnComplexLayerAndMaskFreeTransform,
                          lyrIdx, maskIdx, 0);
}

bool pushUndoFreeLyrTrans(TPaper &paper, int32_t index, sBox box)
{
    if (!isUndoEnable(paper) && isUsingNewUndo(paper))
        return true;
    if (undoStockPart(paper, index, box, udcnImageBox))
        return true;
    disposeUndoAll(paper);
    return false;
}

bool pushUndoFreeMaskTrans(TPaper &paper, std::unique_ptr<CMaskData> bkupMask, int32_t lyrIdx,
                           int32_t maskIdx, int32_t maskUniqueID)
{
    return pushMaskRecord(paper, std::move(bkupMask), udcnMaskReplace, lyrIdx, maskIdx,
                          maskUniqueID);
}

// ---------------------------------------------------------------------------------------------
// Replay rows

namespace {

bool playFreeTransform(CEventMngr &mngr, TPaper &paper, uint8_t code,
                       std::span<const uint8_t> body)
{
    SEvFreeTransform r;
    if (!readEventRecord(body, r))
        return false;
    // Copied out of the packed record: its members are not aligned.
    const sFPos tl = r.topLeft, tr = r.topRight, br = r.bottomRight, bl = r.bottomLeft;
    const bool ok = eventFreeTransform(paper, tl, tr, br, bl, r.simple != 0, code);
    if (ok)
        mngr.playUpdt |= updtRefresh | updtLayerWin | updtSelectWin;
    return ok;
}

} // namespace

void registerTransformReplayRows()
{
    registerEventReplay(4, 56, QStringLiteral("layer free transform"), playFreeTransform);
    registerEventReplay(4, 57, QStringLiteral("layer and selection free transform"),
                        playFreeTransform);
    registerEventReplay(10, 32, QStringLiteral("selection free transform"), playFreeTransform);
}
