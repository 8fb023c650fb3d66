#include "document/edit/layer_move.h"

#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/edit/geometry_layers.h"
#include "document/edit/layer_geometry.h"
#include "document/edit/layer_group_ops.h"
#include "document/events/event_record_guard.h"
#include "document/files/new_document.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/undo/undo_structure.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <limits>
#include <new>

namespace {

using enum udCmdName;

bool fitsInt(int64_t v)
{
    return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

// One axis of the growth table.
bool growAxis(bool set, int64_t offset, int32_t &pos, int32_t &size, int32_t &placed)
{
    int64_t p = pos, s = size, at = 0;
    if (!set)
        p -= offset;
    else if (offset < 0) {
        p -= offset;
        s -= offset;
    } else {
        s += offset;
        at = offset;
    }
    if (!fitsInt(p) || s <= 0 || s > std::max<int64_t>(size, kMaxLayerSide) || !fitsInt(at))
        return false;
    pos = int32_t(p);
    size = int32_t(s);
    placed = int32_t(at);
    return true;
}

// The grown moved copy of ld for state t; nullptr when it cannot be made.
std::unique_ptr<CLayerData> makeGrownLayer(TPaper &paper, const CLayerData &ld, int32_t t,
                                           const sPos &ofs)
{
    sPos pos;
    sSize size;
    sBox box;
    if (!ld.imageTC || !layerMoveGeometry(ld, pos, size, ofs.y, ofs.x, t, box))
        return nullptr;
    return makeMovedLayer(ld, size, paper.layerMngr().getPreviewSize(), 1, {box.x, box.y}, pos,
                          paper.m_paperSize);
}

void warnMemory(bool undo)
{
    if (undo)
        showWarning(QString::fromUtf16(kEditMemoryMessage));
}

// A plain move by ofs stays inside 32 bits.
bool canShift(const CLayerData &ld, const sPos &ofs)
{
    return fitsInt(int64_t(ld.viewPos.x) - ofs.x) && fitsInt(int64_t(ld.viewPos.y) - ofs.y);
}

void afterMove(TPaper &paper, TFlowImage *flow, int32_t idx)
{
    paper.setModified(true);
    if (TFlowImage *f = flowOrOwner(paper, flow))
        paper.setFlow(*f, paper.ActiveLayer(), true);
    UpdateVRAM(paper, true, true);
    PreviewRefresh(paper, false, idx, paper.m_paperSize);
    if (IPaperOwner *o = paper.owner())
        o->updateLayerView();
}

// Mask midx as the moves see it: refused (-1) when the index is bad, 0 without a selection, 1
// with one.
int32_t selectionState(TPaper &paper, int32_t midx)
{
    CMaskMngr &mm = paper.maskMngr();
    if (!mm.chkIndex(midx))
        return -1;
    return CMaskData::hasMask(mm.getMask(midx)) ? 1 : 0;
}

// A record that keeps a list: the record takes it on success, else all undo goes.
void pushList(TPaper &paper, std::unique_ptr<TUndoLayerList> &list, udCmdName cn, int32_t n0,
              int32_t n1, int32_t n2, int32_t n3, const sPos &ofs)
{
    SUndoExtras extras;
    extras.offset = ofs;
    if (pushUndo(paper, CUndoObj(list.get()), cn, n0, n1, n2, n3, std::move(extras)))
        static_cast<void>(list.release());
    else
        disposeUndoAll(paper);
}

// Entry i of the list stands for the layer at base + i: a copy is exchanged with it (the list
// takes the replaced layer), otherwise the layer moves by ofs when moves(i) says so.
template <class Moves>
void applyMoveList(CLayerMngr &lm, TUndoLayerList &list, int32_t base, const sPos &ofs, Moves moves)
{
    for (size_t i = 0; i < list.size(); ++i) {
        const int32_t at = base + int32_t(i);
        std::unique_ptr<CLayerData> &e = list[i];
        if (e) {
            std::unique_ptr<CLayerData> old = lm.replaceLayerData(at, e);
            e = std::move(old);
        } else if (moves(at)) {
            lm.getLayer(at)->moveParallel(ofs);
        }
    }
}

} // namespace

// ---- geometry

int32_t calcLayerMoveState(const TPaper &paper, const CLayerData &ld, int32_t dx, int32_t dy)
{
    const sRect r = ld.getLayerRect();
    const int64_t x0 = int64_t(r.x0) + dx, x1 = int64_t(r.x1) + dx;
    const int64_t y0 = int64_t(r.y0) + dy, y1 = int64_t(r.y1) + dy;
    int32_t state = 0;
    if (x0 > 0 || x1 < paper.m_paperSize.x)
        state |= 1;
    if (y0 > 0 || y1 < paper.m_paperSize.y)
        state |= 2;
    return state;
}

bool layerMoveGeometry(const CLayerData &layer, sPos &pos, sSize &size, int32_t dy, int32_t dx,
                       int32_t state, sBox &box)
{
    if (!layer.imageTC)
        return false;
    pos = layer.viewPos;
    size = {layer.imageTC->width(), layer.imageTC->height()};
    box = {0, 0, size.x, size.y};
    return growAxis((state & 1) != 0, dx, pos.x, size.x, box.x) &&
           growAxis((state & 2) != 0, dy, pos.y, size.y, box.y);
}

// ---- lists of group and link moves

std::unique_ptr<TUndoLayerList> createLayerGroupMoveObj(TPaper &paper, int32_t idx, int32_t cnt,
                                                        const sPos &ofs)
{
    if (cnt <= 0 || idx < 0 || int64_t(idx) + cnt > paper.getLayerCount())
        return nullptr;
    try {
        auto list = std::make_unique<TUndoLayerList>(size_t(cnt));
        for (int32_t i = 0; i < cnt; ++i) {
            const CLayerData &ld = *paper.getLayerData(idx + i);
            const int32_t t = calcLayerMoveState(paper, ld, ofs.x, ofs.y);
            if (t == 0) {
                if (!canShift(ld, ofs))
                    return nullptr;
                continue;
            }
            if (!((*list)[size_t(i)] = makeGrownLayer(paper, ld, t, ofs)))
                return nullptr;
        }
        return list;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool moveLayerGroupObjList(TPaper &paper, int32_t idx, int32_t cnt, const sPos &ofs,
                           TUndoLayerList &list)
{
    if (list.size() != size_t(cnt) || idx < 0 || int64_t(idx) + cnt > paper.getLayerCount())
        return false;
    applyMoveList(paper.layerMngr(), list, idx, ofs, [](int32_t) { return true; });
    return true;
}

std::unique_ptr<TUndoLayerList> createLayerLinkMoveObj(TPaper &paper, int32_t idx, const sPos &ofs)
{
    const CLayerMngr &lm = paper.layerMngr();
    if (!lm.chkIndex(idx))
        return nullptr;
    try {
        auto list = std::make_unique<TUndoLayerList>(size_t(paper.getLayerCount()));
        for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
            if (i != idx && !lm.isLinked(idx, i))
                continue;
            const CLayerData &ld = *lm.getLayer(i);
            const int32_t t = calcLayerMoveState(paper, ld, ofs.x, ofs.y);
            if (t == 0) {
                if (!canShift(ld, ofs))
                    return nullptr;
                continue;
            }
            if (!((*list)[size_t(i)] = makeGrownLayer(paper, ld, t, ofs)))
                return nullptr;
        }
        return list;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool movelayerLinkObjList(TPaper &paper, int32_t idx, const sPos &ofs, TUndoLayerList &list)
{
    CLayerMngr &lm = paper.layerMngr();
    if (list.size() != size_t(paper.getLayerCount()) || !lm.chkIndex(idx))
        return false;
    applyMoveList(lm, list, 0, ofs, [&](int32_t i) { return i == idx || lm.isLinked(idx, i); });
    return true;
}

// ---- one layer

bool eventLayerMove(TPaper &paper, TFlowImage *flow, int32_t index, int32_t dx, int32_t dy,
                    bool undo)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld || (dx == 0 && dy == 0))
        return ld != nullptr;
    const sPos ofs{dx, dy};
    const int32_t members = paper.layerMngr().countGroupMember(index, true);
    if (members >= 1)
        return eventLayerGroupMove(paper, flow, index, members + 1, ofs, undo);
    if (isLinked(paper, index))
        return eventLayerLinkMove(paper, flow, index, ofs, undo);
    if (const int32_t t = calcLayerMoveState(paper, *ld, dx, dy); t > 0)
        return eventLayerMoveEx(paper, flow, index, t, dx, dy, 1, undo);
    if (!canShift(*ld, ofs))
        return false;
    const sPos old = ld->viewPos;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerMove(index, dx, dy); }))
        return false;
    guard.commit();
    if (undo && !pushUndo(paper, *ld, old.x, old.y, udcnValueLayerPos))
        disposeUndoAll(paper);
    const bool ok = ld->moveParallel(ofs);
    afterMove(paper, flow, index);
    return ok;
}

namespace {

// The move by a grown copy, with mask midx moving along when it is not negative.
bool moveGrown(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, int32_t t,
               const sPos &ofs, uint8_t ver, bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    const CLayerData *ld = lm.getLayer(idx);
    if (!ld || t < 0 || t > 3)
        return false;
    const WaitCursor wait;
    std::unique_ptr<CLayerData> grown = makeGrownLayer(paper, *ld, t, ofs);
    if (!grown) {
        warnMemory(undo);
        return false;
    }
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return midx < 0
                       ? paper.eventMngr().pushEventLayerMoveEx(idx, uint8_t(t), ofs.x, ofs.y, ver)
                       : paper.eventMngr().pushEventLayerSelectMoveEx(idx, midx, uint16_t(t), ofs);
        }))
        return false;
    std::unique_ptr<CLayerData> old = lm.replaceLayerData(idx, grown);
    if (!old)
        return false;
    guard.commit();
    if (midx >= 0)
        moveSelect(paper, midx, ofs, true);
    if (undo) {
        const int32_t newId = lm.getLayer(idx)->uniqueID;
        bool kept;
        if (midx < 0) {
            // n2 stands for the document: the record only needs it to be there.
            kept = pushUndo(paper, CUndoObj(old.get()), udcnComplexMoveLayerPos, idx, newId, 1, 0);
        } else {
            const CMaskData *md = paper.maskMngr().getMask(midx);
            kept = pushUndo(paper, CUndoObj(old.get()), udcnComplexMoveLayerSelectPos,
                            undoPackHalves(idx, newId), undoPackHalves(midx, md->uniqueID), ofs.x,
                            ofs.y);
        }
        if (kept)
            static_cast<void>(old.release());
        else
            disposeUndoAll(paper);
    }
    afterMove(paper, flow, idx);
    return true;
}

} // namespace

bool eventLayerMoveEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t t, int32_t dx,
                      int32_t dy, uint8_t ver, bool undo)
{
    return moveGrown(paper, flow, idx, -1, t, {dx, dy}, ver, undo);
}

void orgEventLayerMove(TPaper &paper, TFlowImage *flow, int32_t index, int32_t x, int32_t y)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld || !ld->imageTC)
        return;
    try {
        auto img = std::make_unique<CBlockVMTC>(paper.m_paperSize.x, paper.m_paperSize.y);
        if (!img->isEnable() || !img->clearImage(ld->mode) ||
            !img->setAlphaAll(paper.isDrawProcNew() ? 0 : 255) ||
            !copyLayerImage(*img, *ld->imageTC, {x, y}, ld->imageBox()))
            return;
        img->shrinkMemory();
        ld->replaceImage(std::move(img));
    } catch (const std::bad_alloc &) {
        return;
    }
    ld->updatePreview();
    afterMove(paper, flow, index);
}

bool moveSelect(TPaper &paper, int32_t midx, const sPos &ofs, bool updt)
{
    CMaskMngr &mm = paper.maskMngr();
    if (CMaskData *md = mm.getMask(midx)) {
        md->viewPos.x -= ofs.x;
        md->viewPos.y -= ofs.y;
        mm.updatePreview(md);
    }
    if (updt) {
        mm.createAnts(paper.m_paperSize, -1);
        if (IPaperOwner *o = paper.owner())
            o->updateMaskView();
    }
    return true;
}

bool eventLayerSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                          const sPos &ofs, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || (ofs.x == 0 && ofs.y == 0))
        return ld != nullptr;
    const int32_t sel = selectionState(paper, midx);
    if (sel < 0)
        return false;
    if (sel == 0)
        return eventLayerMove(paper, flow, idx, ofs.x, ofs.y, undo);
    const int32_t members = paper.layerMngr().countGroupMember(idx, true);
    if (members >= 1)
        return eventLayerGroupSelectMove(paper, flow, idx, midx, members + 1, ofs, undo);
    if (isLinked(paper, idx))
        return eventLayerLinkSelectMove(paper, flow, idx, midx, ofs, undo);
    if (const int32_t t = calcLayerMoveState(paper, *ld, ofs.x, ofs.y); t > 0)
        return eventLayerSelectMoveEx(paper, flow, idx, midx, t, ofs, undo);
    if (!canShift(*ld, ofs))
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerSelectMove(idx, midx, ofs); }))
        return false;
    guard.commit();
    if (undo && !pushUndo(paper, *ld, ofs.x, ofs.y, udcnValueLayerSelectPos))
        disposeUndoAll(paper);
    const bool ok = moveSelect(paper, midx, ofs, true) && ld->moveParallel(ofs);
    afterMove(paper, flow, idx);
    return ok;
}

bool eventLayerSelectMoveEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx, int32_t t,
                            const sPos &ofs, bool undo)
{
    const int32_t sel = selectionState(paper, midx);
    if (sel < 0)
        return false;
    if (sel == 0)
        return eventLayerMoveEx(paper, flow, idx, t, ofs.x, ofs.y, 1, undo);
    return moveGrown(paper, flow, idx, midx, t, ofs, 1, undo);
}

// ---- groups and link groups

namespace {

struct SListMove
{
    bool group; // else a link group
    int32_t idx;
    int32_t cnt;  // the group's layers
    int32_t midx; // -1: no mask moves along
};

bool moveByList(TPaper &paper, TFlowImage *flow, const SListMove &m, const sPos &ofs, bool undo)
{
    const WaitCursor wait;
    std::unique_ptr<TUndoLayerList> list = m.group
                                               ? createLayerGroupMoveObj(paper, m.idx, m.cnt, ofs)
                                               : createLayerLinkMoveObj(paper, m.idx, ofs);
    if (!list) {
        warnMemory(undo);
        return false;
    }
    CEventMngr &ev = paper.eventMngr();
    const int32_t count = paper.getLayerCount();
    const int32_t masks = paper.maskMngr().getMaskCount();
    CEventRecordGuard guard(ev);
    if (!recordEvent(ev, undo, [&] {
            if (m.group && m.midx < 0)
                return ev.pushEventGroupMovePos(9, m.idx, -1, ofs, uint32_t(m.cnt),
                                                uint32_t(count));
            if (m.group)
                return ev.pushEventGroupMovePos(10, m.idx, m.midx, ofs, uint32_t(m.cnt),
                                                uint32_t(count) + uint32_t(masks) * 65536u);
            return m.midx < 0 ? ev.pushEventLayerLinkMove(m.idx, ofs)
                              : ev.pushEventLayerLinkSelectMove(m.idx, m.midx, ofs);
        }))
        return false;
    guard.commit();
    if (m.group)
        moveLayerGroupObjList(paper, m.idx, m.cnt, ofs, *list);
    else
        movelayerLinkObjList(paper, m.idx, ofs, *list);
    bool ok = true;
    if (m.midx >= 0)
        ok = moveSelect(paper, m.midx, ofs, true);
    if (undo) {
        if (m.group)
            pushList(paper, list,
                     m.midx < 0 ? udcnComplexMoveLayerGroupPos : udcnComplexMoveLayerGroupSelPos,
                     m.idx, m.cnt, 0, m.midx < 0 ? 0 : m.midx, ofs);
        else
            pushList(paper, list,
                     m.midx < 0 ? udcnComplexMoveLayerLinkPos : udcnComplexMoveLayerLinkSelPos,
                     m.idx, 0, m.midx < 0 ? 0 : m.midx, 0, ofs);
    }
    afterMove(paper, flow, m.idx);
    return ok;
}

} // namespace

bool eventLayerGroupMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t cnt, const sPos &ofs,
                         bool undo)
{
    // The count comes from outside on replay: it must be the group's own.
    if (!isIndexValid(paper, idx) || cnt != getLayerGroupCount(paper, idx))
        return false;
    return moveByList(paper, flow, {true, idx, cnt, -1}, ofs, undo);
}

bool eventLayerGroupSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                               int32_t cnt, const sPos &ofs, bool undo)
{
    if (!isIndexValid(paper, idx) || cnt != getLayerGroupCount(paper, idx))
        return false;
    const int32_t sel = selectionState(paper, midx);
    if (sel < 0)
        return false;
    return moveByList(paper, flow, {true, idx, cnt, sel > 0 ? midx : -1}, ofs, undo);
}

bool eventLayerLinkMove(TPaper &paper, TFlowImage *flow, int32_t idx, const sPos &ofs, bool undo)
{
    if (!isIndexValid(paper, idx))
        return false;
    return moveByList(paper, flow, {false, idx, 0, -1}, ofs, undo);
}

bool eventLayerLinkSelectMove(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t midx,
                              const sPos &ofs, bool undo)
{
    if (!isIndexValid(paper, idx))
        return false;
    const int32_t sel = selectionState(paper, midx);
    if (sel < 0)
        return false;
    return moveByList(paper, flow, {false, idx, 0, sel > 0 ? midx : -1}, ofs, undo);
}
