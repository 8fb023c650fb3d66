#include "document/edit/layer_group_ops.h"

#include "core/pixel/pixel.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_attr.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/undo/undo_structure.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/messages.h"

#include <array>
#include <memory>
#include <new>
#include <vector>

namespace {

using enum udCmdName;

int32_t idOf(const TPaper &paper, int32_t idx)
{
    const CLayerData *ld = paper.getLayerData(idx);
    return ld ? ld->uniqueID : 0;
}

// A record that cannot be kept takes all undo with it: neither history may step over the change.
void keepOrDiscard(TPaper &paper, bool pushed)
{
    if (!pushed)
        disposeUndoAll(paper);
}

// The group table as it stands, copied into a vector allocated beforehand.
bool copyGroupTable(CLayerMngr &lm, std::vector<uint8_t> &out)
{
    const std::vector<uint8_t> &ary = lm.getGroupAry();
    if (out.size() != ary.size())
        return false;
    std::copy(ary.begin(), ary.end(), out.begin());
    return true;
}

} // namespace

// ---- queries

bool canGroup(TPaper &paper, int32_t idx, bool in, bool mk)
{
    CLayerMngr &lm = paper.layerMngr();
    return in ? lm.canGroupIn(idx, mk) : lm.canGroupOut(idx, mk);
}

bool canGroup(TPaper &paper, bool in, bool mk)
{
    return canGroup(paper, paper.ActiveLayer(), in, mk);
}

bool hasLayerGroup(TPaper &paper)
{
    return paper.layerMngr().getMaxGroupLevel() > 0;
}

int32_t getLayerGroupCount(TPaper &paper, int32_t idx)
{
    const int32_t members = paper.layerMngr().countGroupMember(idx, true);
    return members < 0 ? 0 : members + 1;
}

int32_t getActiveLayerGroupCount(TPaper &paper)
{
    return getLayerGroupCount(paper, paper.ActiveLayer());
}

bool canGroupDelLayers(TPaper &paper, int32_t idx)
{
    const int32_t n = getActiveLayerGroupCount(paper);
    return isIndexValid(paper, idx) && n > 1 && n < paper.getLayerCount();
}

bool isLinked(const TPaper &paper, int32_t idx)
{
    return paper.layerMngr().isLinked(idx);
}

bool isLinked(const TPaper &paper, int32_t idx1, int32_t idx2)
{
    return paper.layerMngr().isLinked(idx1, idx2);
}

// ---- groups

bool eventLayerGroup(TPaper &paper, TFlowImage *flow, int32_t idx, bool in, bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    if (!lm.initGroupAry(true) || !canGroup(paper, idx, in, false))
        return false;
    // Both tables are had before anything changes, so that the change is always recorded.
    std::vector<uint8_t> before, after;
    SUndoExtras extras;
    if (undo) {
        try {
            before = lm.getGroupAry();
            after.resize(before.size());
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    if (TFlowImage *f = flowOrOwner(paper, flow))
        paper.setFlow(*f, idx, false);
    if (!lm.doGroup(idx, in, false))
        return false;
    lm.initGroupAry(true);
    CEventRecordGuard guard(paper.eventMngr());
    if (undo) {
        const int32_t cnt = int32_t(before.size());
        if (!copyGroupTable(lm, after) ||
            !recordEvent(paper.eventMngr(), true, [&] {
                return paper.eventMngr().pushEventGroupIn(idx, in, cnt, before.data(),
                                                          after.data());
            })) {
            // Not recorded: the levels go back.
            lm.changeGroupLevel(before, 0, cnt);
            lm.initGroupAry(true);
            return false;
        }
        extras.tables = {std::move(before), std::move(after)};
        keepOrDiscard(paper, pushUndo(paper, CUndoObj(), udcnComplexLayerGroup, idx,
                                      idOf(paper, idx), 0, 0, std::move(extras)));
    }
    guard.commit();
    paper.setModified(true);
    dispatchLayerView(paper, idx, true);
    return true;
}

bool eventLayerGroupInsert(TPaper &paper, TFlowImage *flow, int32_t src, int32_t cnt, int32_t dst,
                           bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    if (!lm.canMoveLayers(dst, src, cnt, true))
        return false;
    const CLayerData &head = *lm.getLayer(src);
    const int32_t headId = head.uniqueID, oldLevel = head.groupLevel;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventGroupData2(
                11, src, uint16_t(dst), uint32_t(cnt) + uint32_t(oldLevel) * 65536u, 0);
        }))
        return false;
    const int32_t at = lm.moveLayers(dst, src, cnt);
    if (at < 0) {
        if (undo) {
            showWarning(QString::fromUtf16(kEditMemoryMessage));
            disposeUndoAll(paper);
        }
        return false;
    }
    guard.commit();
    if (undo) {
        const int32_t newLevel = lm.getLayer(at)->groupLevel;
        keepOrDiscard(paper, pushUndo(paper, CUndoObj(), udcnComplexMoveLayerGroup,
                                      undoPackHalves(src, dst), undoPackHalves(oldLevel, newLevel),
                                      undoPackHalves(headId, cnt), at));
    }
    paper.setModified(true);
    EventLayerActive(paper, flow, at, true);
    UpdateVRAM(paper, true, true);
    return true;
}

bool eventLayerGroupDelete(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    const int32_t members = lm.countGroupMember(idx, true);
    if (members <= 0)
        return EventLayerDelete(paper, flow, idx, undo);
    if (!CanLayerDelete(paper) || !isIndexValid(paper, idx))
        return false;
    SUndoExtras extras;
    if (undo) {
        try {
            extras.bytes = lm.getGroupAry();
        } catch (const std::bad_alloc &) {
            return false;
        }
    }
    CEventRecordGuard guard(paper.eventMngr());
    const int32_t count = paper.getLayerCount();
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventGroupData2(8, idx, uint16_t(members),
                                                         uint32_t(count), 0);
        }))
        return false;
    bool kept = false;
    if (undo) {
        kept = pushUndo(paper, CUndoObj(), udcnComplexDelLayerGroup, idx,
                        undoPackHalves(idOf(paper, idx), idOf(paper, paper.ActiveLayer())),
                        undoPackHalves(count, members), 0, std::move(extras));
        keepOrDiscard(paper, kept);
    }
    guard.commit();
    lm.modifyGroup(idx + 1, members, -1, false);
    if (kept)
        static_cast<void>(lm.removeAt(idx).release()); // the record holds it by its id
    else
        lm.deleteLayer(idx);
    lm.initGroupAry(true);
    paper.setModified(true);
    EventLayerActive(paper, flow, lm.getCurIndex(), true);
    UpdateVRAM(paper, true, true);
    return true;
}

bool eventGroupDelLayers(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t cnt, bool undo)
{
    // The count comes from outside on replay: it must be the group's own.
    if (!canGroupDelLayers(paper, idx) || cnt != getLayerGroupCount(paper, idx) ||
        cnt >= paper.getLayerCount())
        return false;
    CLayerMngr &lm = paper.layerMngr();
    auto list = std::make_unique<TUndoLayerList>();
    try {
        list->reserve(size_t(cnt));
    } catch (const std::bad_alloc &) {
        return false;
    }
    const int32_t level = lm.getLayer(idx)->groupLevel;
    const int32_t count = paper.getLayerCount();
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventGroupData2(
                13, idx, uint16_t(cnt), uint32_t(level) + uint32_t(count) * 65536u, 0);
        }))
        return false;
    guard.commit();
    // Nothing below can fail: the list has its room.
    for (int32_t k = 0; k < cnt; ++k)
        list->push_back(lm.popAt(idx));
    lm.chkCurIndex();
    lm.renumberIndex();
    lm.initGroupAry(true);
    const int32_t act = std::max(idx - 1, 0);
    EventLayerActive(paper, flow, act, true);
    if (undo) {
        const bool kept =
            pushUndo(paper, CUndoObj(list.get()), udcnComplexDelGroupLayers, idx, cnt,
                     paper.getLayerCount(), undoPackHalves(act, idOf(paper, act)));
        if (kept)
            static_cast<void>(list.release());
        keepOrDiscard(paper, kept);
    }
    paper.setModified(true);
    PreviewRefresh(paper, false, paper.ActiveLayer(), paper.m_paperSize);
    UpdateVRAM(paper, true, true);
    return true;
}

// ---- links and clipping

bool eventLayerLink(TPaper &paper, int32_t primary, int32_t secondary, bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    // A layer cannot be linked with itself: refused before anything is recorded.
    if (!isIndexValid(paper, primary) || !isIndexValid(paper, secondary) || primary == secondary)
        return false;
    const bool linked = lm.isLinked(primary, secondary);
    CEventRecordGuard guard(paper.eventMngr());
    if (undo) {
        // The record comes first and keeps the link numbers as they were.
        const bool kept = pushUndo(paper, CUndoObj(), udcnComplexLinkLayer, primary,
                                   lm.getLayer(primary)->linkIndex, secondary,
                                   lm.getLayer(secondary)->linkIndex);
        if (!recordEvent(paper.eventMngr(), true, [&] {
                return paper.eventMngr().pushEventLayerLink(linked ? 65 : 64, primary, secondary);
            })) {
            if (kept)
                paper.undoMngrEx()->popUndo();
            return false;
        }
        keepOrDiscard(paper, kept);
    }
    const bool ok = linked ? lm.unlinkLayer(primary, secondary) : lm.linkLayer(primary, secondary);
    guard.commit();
    return ok;
}

bool eventLayerClipping(TPaper &paper, int32_t idx, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    const bool flag = !ld->getUnderLyrClip();
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerClipping(idx, flag); }))
        return false;
    guard.commit();
    if (undo)
        keepOrDiscard(paper, pushUndo(paper, *ld, flag ? 1 : 0, 0, udcnValueLayerClipping));
    ld->ChangeUnderLyrClip(flag);
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    return true;
}

bool eventReleaseClippingGroup(TPaper &paper, int32_t idx, bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    const int32_t parent = lm.getClipParent(idx);
    if (parent < 0)
        return false;
    int32_t members = lm.countClipMember(parent);
    const bool parentClip = lm.getLayer(parent)->getUnderLyrClip();
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerClippingGroupData(
                54, parent, uint16_t(members), uint32_t(paper.getLayerCount()), 0);
        }))
        return false;
    guard.commit();
    if (parent == 0 && members == 0) {
        // A bottom layer has nothing to clip to.
        lm.getLayer(0)->ChangeUnderLyrClip(false);
        members = lm.countClipMember(0);
    }
    if (undo)
        keepOrDiscard(paper, pushUndo(paper, CUndoObj(), udcnComplexLayerReleaseClippingGroup,
                                      parent, parentClip ? 1 : 0, members, 0));
    const bool ok = lm.releaseClipGroup(parent);
    paper.setModified(true);
    UpdateVRAM(paper, true, true);
    return ok;
}

// ---- dissolving every group

void ungroupAllLayers(TPaper &paper, TFlowImage *flow)
{
    // First every layer takes the opacity its groups gave it, from the opacities as they were.
    std::array<uint8_t, 256> levelTrans{};
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        const CLayerData &ld = *paper.getLayerData(i);
        const int32_t level = std::clamp(ld.groupLevel, 0, 255);
        levelTrans[size_t(level)] = ld.trans;
        uint32_t e = ld.trans;
        for (int32_t lv = level - 1; lv >= 0; --lv)
            e = mul255(e, levelTrans[size_t(lv)]);
        if (e != ld.trans)
            EventLayerTrans(paper, i, uint8_t(e), true);
    }
    // Then each layer leaves its groups one level at a time.
    for (int32_t i = 0; i < paper.getLayerCount(); ++i) {
        for (int32_t n = paper.getLayerData(i)->groupLevel; n > 0; --n)
            if (!eventLayerGroup(paper, flow, i, false, true))
                break;
    }
}
