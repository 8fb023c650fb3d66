#include "document/edit/layer_merge.h"

#include "core/tiles/block_layer_image.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_group_ops.h"
#include "document/events/event_record_guard.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/cursor.h"
#include "platform/desktop/messages.h"

#include <memory>
#include <new>

namespace {

using enum udCmdName;

const char16_t *const kInitFailed = u"レイヤの初期化に失敗しました!";

// A layer's opacity for one composition, given back however the composition ends.
class ScopedOpacity
{
  public:
    ScopedOpacity(CLayerData &ld, uint8_t trans) : m_ld(ld), m_old(ld.trans) { ld.trans = trans; }
    ~ScopedOpacity() { m_ld.trans = m_old; }
    ScopedOpacity(const ScopedOpacity &) = delete;
    ScopedOpacity &operator=(const ScopedOpacity &) = delete;

  private:
    CLayerData &m_ld;
    uint8_t m_old;
};

// A new layer of the area's size on the paper: normal mode, opaque, visible, its colour the
// neutral one of mode bg. nullptr when it cannot be made.
std::unique_ptr<CLayerData> makeAreaLayer(const TPaper &paper, const sRect &area, int32_t index,
                                          TLayerMode bg)
{
    try {
        auto ld = std::make_unique<CLayerData>(index, false);
        if (!ld->createLayer(area.x1 - area.x0, area.y1 - area.y0, TLayerMode::LM_STD) ||
            !ld->imageTC->clearImage(bg))
            return nullptr;
        ld->viewPos = {-area.x0, -area.y0};
        ld->viewSize = paper.m_paperSize;
        return ld;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

// Where layer ld's image origin lies in an image whose origin is the area's.
sPos offsetIn(const CLayerData &ld, const sRect &area)
{
    const sRect r = ld.getLayerRect();
    return {r.x0 - area.x0, r.y0 - area.y0};
}

// A working copy of base with its visible clipped layers composed into it, through its pixels
// only; nullptr when it cannot be made.
std::unique_ptr<CLayerData> makeClippedCopy(const TPaper &paper, int32_t base, int32_t clip)
{
    const CLayerData &b = *paper.getLayerData(base);
    std::unique_ptr<CLayerData> copy;
    try {
        copy = std::make_unique<CLayerData>(base, false);
        if (!copy->createLayer(b.imageTC->width(), b.imageTC->height(), b.mode) || !copy->copy(b))
            return nullptr;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
    for (int32_t k = 1; k <= clip; ++k) {
        const CLayerData &m = *paper.getLayerData(base + k);
        if (!m.visible || !m.imageTC)
            continue;
        const sPos d{b.viewPos.x - m.viewPos.x, b.viewPos.y - m.viewPos.y};
        if (!copy->imageTC->clipBltBlkTCToLyr(*m.imageTC, m, d, m.imageBox(), false))
            return nullptr;
    }
    return copy;
}

enum class ComposeResult { Done, NoCopy, Failed };

// Steps 4-5 of merging all: every visible layer from top composed into merged.
ComposeResult composeVisible(TPaper &paper, CLayerData &merged, const sRect &area, int32_t top,
                             int32_t tp, uint32_t ver)
{
    CLayerMngr &lm = paper.layerMngr();
    lm.renumberIndex();
    tblLyrGrpAttr table{};
    for (int32_t i = top; i < paper.getLayerCount();) {
        const int32_t clip = lm.countClipMember(i);
        const uint8_t eff = updtGrpLyrTbl(paper, i, table);
        CLayerData &ld = *paper.getLayerData(i);
        if (eff > 0 && ld.visible) {
            std::unique_ptr<CLayerData> copy;
            if (clip > 0 && !(copy = makeClippedCopy(paper, i, clip)))
                return ComposeResult::NoCopy;
            CLayerData &src = copy ? *copy : ld;
            const ScopedOpacity opacity(src, eff);
            const sPos at = offsetIn(ld, area);
            const bool ok = tp != 0 ? merged.mixWithEx(src, at, src.imageBox(), ver)
                                    : merged.imageTC->layerBlt(*src.imageTC, src, at,
                                                               src.imageBox());
            if (!ok)
                return ComposeResult::Failed;
        }
        i += clip + 1;
    }
    return ComposeResult::Done;
}

// Step 6 of merging all: the visible layers above top leave the document for saved, keeping the
// indices they had; hidden layers stay with the layers clipped to them.
void collectMerged(CLayerMngr &lm, CLayerMngr &saved, int32_t top)
{
    for (int32_t j = top + 1; j < lm.getLayerCount();) {
        if (lm.getLayer(j)->visible) {
            std::unique_ptr<CLayerData> ld = lm.popAt(j);
            saved.insertAt(saved.getLayerCount(), ld); // room reserved
        } else {
            j += lm.countClipMember(j) + 1;
        }
    }
}

void warn(const char16_t *text)
{
    showWarning(QString::fromUtf16(text));
}

// Takes cnt layers from first out of the list into a new owning list, in their order, and puts
// layer in at first. The list has its room beforehand, so nothing here can fail.
void replaceRun(CLayerMngr &lm, int32_t first, int32_t cnt, std::unique_ptr<CLayerData> &layer,
                TUndoLayerList &list)
{
    for (int32_t k = first + cnt - 1; k >= first; --k)
        list.insert(list.begin(), lm.popAt(k));
    lm.insertAt(first, layer);
    lm.chkCurIndex();
    lm.renumberIndex();
}

void afterMerge(TPaper &paper, TFlowImage *flow, int32_t act)
{
    paper.setModified(true);
    EventLayerActive(paper, flow, act, true);
    PreviewRefresh(paper, false, act, paper.m_paperSize);
    UpdateVRAM(paper, true, true);
}

} // namespace

// ---- merging every visible layer

bool canBindLayerAll(TPaper &paper, int32_t &top, int32_t tp, uint32_t ver)
{
    const CLayerMngr &lm = paper.layerMngr();
    top = lm.getFirstVisIndex();
    if (lm.getVisibleCount() < 2 || top != 0)
        return false;
    if (tp != 0)
        return true;
    const TLayerMode m = lm.getLayer(0)->mode;
    if (ver != 0)
        return m == TLayerMode::LM_MUL || m == TLayerMode::LM_STD;
    return m != TLayerMode::LM_ADD && m != TLayerMode::LM_SUB;
}

bool eventBindLayerAll(TPaper &paper, TFlowImage *flow, int32_t tp, uint32_t ver, bool undo)
{
    int32_t top = -1;
    // The packet keeps the type in one byte: any non-zero type keeps transparency.
    tp = tp != 0 ? 1 : 0;
    // The version picks one of the four special-pair cuts.
    if ((ver & 0xFFFF) > 3 || !canBindLayerAll(paper, top, tp, ver))
        return false;
    const WaitCursor wait;
    CLayerMngr &lm = paper.layerMngr();
    const int32_t active = paper.ActiveLayer();
    sRect area;
    findMaxVisRect(paper, area, true);
    const CLayerData &bottom = *lm.getLayer(top);
    std::unique_ptr<CLayerMngr> saved;
    std::unique_ptr<CLayerData> merged;
    try {
        saved = std::make_unique<CLayerMngr>(paper.getLayerCount());
        saved->setPaperSize(paper.m_paperSize.x, paper.m_paperSize.y);
        merged = makeAreaLayer(paper, area, top, bottom.mode);
    } catch (const std::bad_alloc &) {
        merged.reset();
    }
    if (!merged) {
        warn(kEditMemoryMessage);
        return false;
    }
    merged->title = bottom.title;
    switch (composeVisible(paper, *merged, area, top, tp, ver)) {
    case ComposeResult::NoCopy:
        warn(kInitFailed);
        return false;
    case ComposeResult::Failed:
        warn(kEditMemoryMessage);
        return false;
    case ComposeResult::Done:
        break;
    }
    if (tp == 0 && !merged->imageTC->maskImage(merged->imageBox(), 0xFF000000u, 0xFF000000u)) {
        warn(kEditMemoryMessage);
        return false;
    }
    merged->imageTC->shrinkMemory();
    merged->resizePreview(lm.getPreviewSize().x, lm.getPreviewSize().y);
    merged->updatePreview();
    const int32_t mergedId = merged->uniqueID;

    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventGlobalData2(
                10, active, uint16_t(top), uint32_t(tp) + ver * 256u, 0);
        }))
        return false;
    guard.commit();
    // From here nothing can fail: the saved list has room for every layer.
    collectMerged(lm, *saved, top);
    saved->insertAt(0, merged);
    lm.swapLayer(top, *saved, 0, false);
    lm.chkCurIndex();
    lm.renumberIndex();
    lm.initGroupAry(true);
    if (undo) {
        if (pushUndo(paper, CUndoObj(saved.get()), udcnComplexBindAllLayers, top, mergedId, 0, 0))
            static_cast<void>(saved.release());
        else
            disposeUndoAll(paper);
    }
    afterMerge(paper, flow, top);
    return true;
}

// ---- merging down

bool CanLayerCombLower(TPaper &paper, int32_t index)
{
    if (!paper.isDrawProcNew())
        return index > 0 && index <= paper.MaxLayer();
    return paper.layerMngr().canBindBelow(index);
}

namespace {

// The merge of layer index into index - 1 by the layer list, its record pushed with the lower
// layer as it was. The merge is made whole before the record, which then takes the old lower
// layer; the upper layer leaves the list (kept by the record) or is freed.
bool mergeDown(TPaper &paper, TFlowImage *flow, int32_t index, uint32_t ver, bool undo,
               CEventRecordGuard &guard)
{
    CLayerMngr &lm = paper.layerMngr();
    const int32_t upperId = lm.getLayer(index)->uniqueID;
    std::unique_ptr<CLayerData> oldLower;
    if (!lm.bindLayer(index - 1, index, ver, true, &oldLower))
        return false;
    guard.commit();
    bool kept = false;
    if (undo) {
        // The record is made while the old lower layer is in place.
        std::unique_ptr<CLayerData> merged = lm.replaceLayerData(index - 1, oldLower);
        kept = pushUndo(paper, CUndoObj(), udcnComplexBindLayer, index, index - 1, upperId,
                        int32_t(ver));
        oldLower = lm.replaceLayerData(index - 1, merged);
        if (kept)
            static_cast<void>(oldLower.release()); // the record's now
        else
            disposeUndoAll(paper);
    }
    if (kept)
        static_cast<void>(lm.removeAt(index).release());
    else
        lm.deleteLayer(index);
    lm.renumberIndex();
    lm.initGroupAry(true);
    static_cast<void>(flow);
    return true;
}

} // namespace

bool EventLayerCombLower(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    if (!CanLayerCombLower(paper, index))
        return false;
    const WaitCursor wait;
    CLayerMngr &lm = paper.layerMngr();
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerCmd(index, index - 1, 5); }))
        return false;
    if (paper.isDrawProcNew()) {
        if (!mergeDown(paper, flow, index, 0, undo, guard))
            return false;
    } else {
        const CLayerData &up = *lm.getLayer(index);
        CLayerData &low = *lm.getLayer(index - 1);
        up.oldBltTo(*low.imageTC, low.viewPos.x - up.viewPos.x, low.viewPos.y - up.viewPos.y);
        guard.commit();
        lm.deleteLayer(index);
    }
    afterMerge(paper, flow, index - 1);
    return true;
}

bool eventLayerBindBelow(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t ver, bool undo)
{
    if ((ver & 0xFFFF) > 3 || !paper.isDrawProcNew() || !CanLayerCombLower(paper, idx))
        return false;
    const WaitCursor wait;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerCmdEx(idx, idx - 1, ver, 0, 10);
        }))
        return false;
    if (!mergeDown(paper, flow, idx, ver, undo, guard))
        return false;
    afterMerge(paper, flow, idx - 1);
    return true;
}

// ---- merging a group or a clipping group

bool canLayerGroupBind(TPaper &paper, int32_t idx)
{
    const CLayerData *ld = paper.getLayerData(idx);
    return ld && getActiveLayerGroupCount(paper) > 1 && ld->visible &&
           ld->mode == TLayerMode::LM_STD;
}

bool eventLayerGroupBind(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t cnt, bool undo)
{
    // The count comes from outside on replay: it must be the group's own.
    if (cnt <= 1 || cnt != getLayerGroupCount(paper, idx))
        return false;
    CLayerMngr &lm = paper.layerMngr();
    const CLayerData &head = *lm.getLayer(idx);
    const int32_t headId = head.uniqueID, headLevel = head.groupLevel;
    sRect area;
    findMaxVisRect(paper, idx, cnt, area, true);
    auto list = std::make_unique<TUndoLayerList>();
    std::unique_ptr<CLayerData> merged;
    try {
        list->reserve(size_t(cnt));
        merged = makeAreaLayer(paper, area, idx, head.mode);
    } catch (const std::bad_alloc &) {
        merged.reset();
    }
    if (!merged)
        return false;
    merged->title = head.title;
    merged->setGroupLevel(headLevel);

    tblLyrGrpAttr table{};
    for (int32_t i = 0; i < idx; ++i)
        updtGrpLyrTbl(paper, i, table);
    // The groups around the merged one do not act on it.
    for (int32_t lv = 0; lv <= headLevel && lv < int32_t(table.size()); ++lv)
        table[size_t(lv)].trans = 255;
    for (int32_t c = 0; c < cnt; ++c) {
        const uint8_t eff = updtGrpLyrTbl(paper, idx + c, table);
        CLayerData &ld = *lm.getLayer(idx + c);
        if (eff == 0 || !ld.visible)
            continue;
        const ScopedOpacity opacity(ld, eff);
        if (!merged->mixWithEx(ld, offsetIn(ld, area), ld.imageBox(), 0x30003)) {
            if (undo)
                warn(kEditMemoryMessage);
            return false;
        }
    }
    merged->imageTC->shrinkMemory();
    merged->resizePreview(lm.getPreviewSize().x, lm.getPreviewSize().y);
    merged->updatePreview();

    const int32_t count = paper.getLayerCount();
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventGroupData2(
                12, idx, uint16_t(cnt), uint32_t(headLevel) + uint32_t(count) * 65536u, 0);
        }))
        return false;
    guard.commit();
    replaceRun(lm, idx, cnt, merged, *list);
    lm.initGroupAry(true);
    if (undo) {
        if (pushUndo(paper, CUndoObj(list.get()), udcnComplexBindLayerGroup, idx, cnt,
                     paper.getLayerCount(), headId))
            static_cast<void>(list.release());
        else
            disposeUndoAll(paper);
    }
    afterMerge(paper, flow, idx);
    return true;
}

bool eventBindClippingGroup(TPaper &paper, int32_t idx, bool undo)
{
    CLayerMngr &lm = paper.layerMngr();
    const int32_t parent = lm.getClipParent(idx);
    const int32_t members = parent < 0 ? 0 : lm.countClipMember(parent);
    if (members <= 0)
        return false;
    auto list = std::make_unique<TUndoLayerList>();
    try {
        list->reserve(size_t(members) + 1);
    } catch (const std::bad_alloc &) {
        return false;
    }
    std::unique_ptr<CLayerData> merged = lm.bindClipGroup(parent);
    if (!merged)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerClippingGroupData(
                55, idx, uint16_t(members), uint32_t(paper.getLayerCount()), 0);
        }))
        return false;
    guard.commit();
    replaceRun(lm, parent, members + 1, merged, *list);
    lm.initGroupAry(true);
    if (undo) {
        if (pushUndo(paper, CUndoObj(list.get()), udcnComplexLayerBindClippingGroup, parent,
                     members + 1, paper.getLayerCount(), idx))
            static_cast<void>(list.release());
        else
            disposeUndoAll(paper);
    }
    afterMerge(paper, nullptr, parent);
    return true;
}
