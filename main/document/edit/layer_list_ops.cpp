#include "document/edit/layer_list_ops.h"

#include "document/edit/edit_ops.h"
#include "document/edit/layer_attr.h"
#include "document/events/event_record_guard.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"

#include <memory>
#include <new>

namespace {

constexpr int32_t kModeCount = int32_t(TLayerMode::LM_MAX_NUM);

void warnMemory(bool undo)
{
    if (undo)
        showWarning(QString::fromUtf16(kEditMemoryMessage));
}

int32_t idOf(const TPaper &paper, int32_t idx)
{
    return paper.layerMngr().index2id(idx);
}

// A complex record with no object; a record that cannot be kept takes all undo with it, so that
// neither history can step back over the change.
void pushComplex(TPaper &paper, udCmdName cn, int32_t n0, int32_t n1, int32_t n2, int32_t n3)
{
    if (!pushUndo(paper, CUndoObj(), cn, n0, n1, n2, n3))
        disposeUndoAll(paper);
}

// The whole image of a new layer: cleared to its mode's neutral colour, alpha 0 with the newer
// procedures (255 with the level-1 one), its preview reset.
void clearNewLayer(TPaper &paper, CLayerData &ld)
{
    const bool tp = paper.isDrawProcNew();
    ld.imageTC->clearImage(ld.mode);
    ld.imageTC->setAlphaAll(tp ? 0 : 255);
    ld.initPreview(tp);
}

// The copy of layer src as a layer of its own, complete before it goes into any list; nullptr
// when memory does not allow it.
std::unique_ptr<CLayerData> makeLayerCopy(TPaper &paper, const CLayerData &src)
{
    try {
        auto ld = std::make_unique<CLayerData>(src.index + 1, !paper.isDrawProcNew());
        if (!ld->createLayer(src.imageTC->width(), src.imageTC->height(), src.mode) ||
            !ld->copy(src))
            return nullptr;
        ld->title = src.title;
        ld->resizePreview();
        ld->updatePreview();
        return ld;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

// ---- queries and building blocks

bool CanLayerAdd(const TPaper &paper, int32_t chklm)
{
    return paper.layerMngr().canAddLayer() && chklm < kModeCount;
}

bool CanLayerDelete(const TPaper &paper)
{
    return paper.MaxLayer() > 0;
}

int32_t CreateLayer(TPaper &paper, int32_t idx, int32_t w, int32_t h, TLayerMode lm, int32_t trans,
                    bool vis)
{
    CLayerMngr &lmg = paper.layerMngr();
    int32_t level = 0;
    if (idx > 0) {
        const CLayerData *below = lmg.getLayer(idx - 1);
        if (!below)
            below = lmg.getLayer(lmg.getMaxIndex());
        level = below ? below->groupLevel : 0;
    }
    const int32_t r = lmg.insertLayer(idx, w, h, lm, !paper.isDrawProcNew(), uint8_t(trans), vis);
    if (r >= 0) {
        paper.chkOldMaskMode(r, lm);
        lmg.getLayer(r)->setGroupLevel(level);
    }
    return r;
}

int32_t CreateLayer(TPaper &paper, int32_t idx, TLayerMode lm, int32_t trans, bool vis)
{
    return CreateLayer(paper, idx, paper.m_paperSize.x, paper.m_paperSize.y, lm, trans, vis);
}

bool chgGroupLevelOnInsertLayer(TPaper &paper, int32_t idx)
{
    CLayerData *below = paper.getLayerData(idx - 1);
    CLayerData *above = paper.getLayerData(idx + 1);
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !below || !above || below->groupLevel >= above->groupLevel)
        return false;
    ld->setGroupLevel(above->groupLevel);
    return true;
}

void DeleteLayer(TPaper &paper, int32_t index)
{
    paper.layerMngr().deleteLayer(index);
}

bool CopyLayer(TPaper &paper, int32_t src, int32_t dest)
{
    return paper.layerMngr().copyLayer(dest, src) && paper.layerMngr().copyCaption(dest, src);
}

void fillLayerMask(TPaper &paper, int32_t idx, uint8_t val)
{
    if (CLayerData *ld = paper.getLayerData(idx))
        ld->imageTC->setAlphaAll(val);
}

bool ResizePreview(TPaper &paper, int32_t index)
{
    CLayerData *ld = paper.getLayerData(index);
    return ld && ld->resizePreview();
}

bool isLayerMaskProtected(const TPaper &paper, int32_t idx)
{
    const CLayerData *ld = paper.getLayerData(idx);
    return ld && ld->maskProtected;
}

// ---- adding

namespace {

// What both adds share once the packet is recorded: the layer made, titled, put into its group,
// its record pushed, made active. Answers its index, or -1 (with the message for undo).
int32_t addRecordedLayer(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                         TLayerMode lm, int32_t trans, bool vis, bool undo)
{
    // The record must name the layer active before, as it will be again after an undo.
    const int32_t act = paper.ActiveLayer();
    const int32_t actId = idOf(paper, act);
    const int32_t index = CreateLayer(paper, idx, w, h, lm, trans, vis);
    if (!paper.getLayerData(index)) {
        warnMemory(undo);
        return -1;
    }
    paper.layerMngr().setDefaultCaption(index, 1);
    chgGroupLevelOnInsertLayer(paper, index);
    if (undo)
        pushComplex(paper, udCmdName::udcnComplexAddLayer, index, idOf(paper, index), act, actId);
    EventLayerActive(paper, flow, index, true);
    return index;
}

} // namespace

bool eventLayerAdd(TPaper &paper, TFlowImage *flow, TLayerMode lm, bool undo)
{
    return eventLayerAdd(paper, flow, paper.ActiveLayer() + 1, paper.m_paperSize.x,
                         paper.m_paperSize.y, lm, 255, true, undo);
}

bool eventLayerAdd(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                   TLayerMode lm, int32_t trans, bool vis, bool undo)
{
    if (!CanLayerAdd(paper, -1) || int32_t(lm) >= kModeCount || idx < 0)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerCreate(idx, w, h, uint8_t(lm), uint8_t(trans),
                                                          vis, false);
        }))
        return false;
    const int32_t index = addRecordedLayer(paper, flow, idx, w, h, lm, trans, vis, undo);
    if (index < 0)
        return false;
    guard.commit();
    CLayerData &ld = *paper.getLayerData(index);
    clearNewLayer(paper, ld);
    if (TFlowImage *f = flowOrOwner(paper, flow))
        paper.setFlow(*f, index, true);
    dispatchLayerView(paper, index, true);
    return true;
}

bool eventLayerAddEx(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t w, int32_t h,
                     TLayerMode lm, int32_t trans, uint32_t col, const QString &str, bool vis,
                     bool undo)
{
    if (!CanLayerAdd(paper, int32_t(lm)) || idx < 0)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventLayerCreateEx(idx, w, h, uint8_t(lm), uint8_t(trans),
                                                            col, str, vis, false);
        }))
        return false;
    const int32_t index = addRecordedLayer(paper, flow, idx, w, h, lm, trans, vis, undo);
    if (index < 0)
        return false;
    guard.commit();
    CLayerData &ld = *paper.getLayerData(index);
    if (!str.isEmpty())
        ld.title = str;
    ld.imageTC->fillImageAll(col);
    ld.imageTC->setAlphaAll(uint8_t(col >> 24));
    ld.imageTC->shrinkMemory();
    if (ld.previewTC)
        ld.previewTC->PixelFill(col);
    if (TFlowImage *f = flowOrOwner(paper, flow))
        paper.setFlow(*f, index, true);
    dispatchLayerView(paper, index, true);
    EventLayerActive(paper, flow, index, true);
    return true;
}

void orgEventLayerAdd(TPaper &paper, TFlowImage *flow, TLayerMode lm)
{
    if (!CanLayerAdd(paper, -1))
        return;
    const int32_t index = CreateLayer(paper, paper.MaxLayer() + 1, lm, 255, true);
    if (!paper.getLayerData(index))
        return;
    paper.layerMngr().setDefaultCaption(index, 1);
    EventLayerActive(paper, flow, paper.MaxLayer(), true);
    EventLayerClear(paper, flow, paper.ActiveLayer(), false);
}

// ---- deleting

bool EventLayerDelete(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    if (!CanLayerDelete(paper) || !isIndexValid(paper, index))
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerCmd(index, index, 1); }))
        return false;
    CLayerMngr &lmg = paper.layerMngr();
    const bool kept =
        undo && pushUndo(paper, CUndoObj(), udCmdName::udcnComplexDelLayer, index,
                         idOf(paper, index), idOf(paper, paper.ActiveLayer()), 0);
    if (undo && !kept)
        disposeUndoAll(paper);
    if (kept) {
        // The record refers to the layer by its id and owns it from now on.
        std::unique_ptr<CLayerData> out = lmg.removeAt(index);
        static_cast<void>(out.release());
    } else {
        lmg.deleteLayer(index);
    }
    guard.commit();
    EventLayerActive(paper, flow, lmg.getCurIndex(), true);
    UpdateVRAM(paper, true, true);
    return true;
}

void orgEventLayerDelete(TPaper &paper, TFlowImage *flow, int32_t index)
{
    EventLayerDelete(paper, flow, index, false);
}

// ---- duplicating and moving

bool eventLayerCopy(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    const CLayerData *src = paper.getLayerData(index);
    if (!CanLayerAdd(paper, -1) || !src)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerCmd(index, index, 3); }))
        return false;
    std::unique_ptr<CLayerData> copy = makeLayerCopy(paper, *src);
    const int32_t srcId = src->uniqueID;
    const int32_t at = copy ? paper.layerMngr().insertLayer(index + 1, copy) : -1;
    if (at < 0) {
        warnMemory(undo);
        return false;
    }
    guard.commit();
    if (undo)
        pushComplex(paper, udCmdName::udcnComplexDupLayer, at, idOf(paper, at), index, srcId);
    UpdateVRAM(paper, true, true);
    PreviewRefresh(paper, false, at, paper.m_paperSize);
    EventLayerActive(paper, flow, at, true);
    return true;
}

void orgEventLayerCopy(TPaper &paper, TFlowImage *flow, int32_t index)
{
    static_cast<void>(index);
    const CLayerData *act = paper.getActiveLayerData();
    if (!CanLayerAdd(paper, -1) || !act)
        return;
    const int32_t top = CreateLayer(paper, paper.MaxLayer() + 1, act->mode, 255, true);
    if (!paper.getLayerData(top) || !CopyLayer(paper, paper.ActiveLayer(), top))
        return;
    UpdateVRAM(paper, true, true);
    PreviewRefresh(paper, false, top, paper.m_paperSize);
    EventLayerActive(paper, flow, top, true);
}

bool EventLayerInsert(TPaper &paper, TFlowImage *flow, int32_t src, int32_t dst, bool undo)
{
    if (!CanLayerAdd(paper, -1) || !isIndexValid(paper, src))
        return false;
    // The packet names the place the layer really goes to.
    dst = std::clamp(dst, 0, paper.MaxLayer());
    if (dst == src)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerCmd(src, dst, 4); }))
        return false;
    const int32_t id = idOf(paper, src);
    const int32_t at = paper.layerMngr().moveLayer(dst, src);
    if (at < 0) {
        warnMemory(undo);
        return false;
    }
    guard.commit();
    if (undo)
        pushComplex(paper, udCmdName::udcnComplexMoveLayer, src, at, id, 0);
    EventLayerActive(paper, flow, at, true);
    UpdateVRAM(paper, true, true);
    return true;
}

// ---- title, clearing and filling

bool eventLayerName(TPaper &paper, TFlowImage *flow, int32_t idx, const QString &name, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerName(idx, name); }))
        return false;
    guard.commit();
    if (undo) {
        SUndoExtras names;
        names.text = {ld->title, name};
        if (!pushUndo(paper, *ld, 0, 0, udCmdName::udcnValueLayerName, std::move(names)))
            disposeUndoAll(paper);
    }
    ld->title = name;
    EventLayerActive(paper, flow, idx);
    return true;
}

bool EventLayerClear(TPaper &paper, TFlowImage *flow, int32_t index, bool undo)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerCmd(index, index, 2); }))
        return false;
    guard.commit();
    if (undo && !UndoStock(paper, index, udCmdName::udcnImageAll))
        disposeUndoAll(paper);
    flow = flowOrOwner(paper, flow);
    clearNewLayer(paper, *ld);
    ld->imageTC->shrinkMemory();
    if (flow)
        paper.setFlow(*flow, index, true);
    UpdateVRAM(paper, true, true);
    return true;
}

void orgEventLayerFill(TPaper &paper, TFlowImage *flow, int32_t index, uint32_t color)
{
    CLayerData *ld = paper.getLayerData(index);
    flow = flowOrOwner(paper, flow);
    if (!ld || !flow)
        return;
    paper.setFlow(*flow, index, false);
    if (flow->layerIdx() != index)
        return;
    const TStroke *st = appMainStroke();
    const bool keep = paper.isDrawProcNew() && st && st->m_bProtectMask;
    flow->image().PixelFill(keep ? color : (color | 0xFF000000u));
    refreshView(paper, flow, index, true);
}

namespace {

// The alpha fill and invert: the packet, the alpha record of the whole image, the change.
bool alphaCommand(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t cc, bool nega, bool undo)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    flow = flowOrOwner(paper, flow);
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return nega ? paper.eventMngr().pushEventLayerCmd(idx, 0, 25)
                        : paper.eventMngr().pushEventLayerCmd(idx, int32_t(cc), 24);
        }))
        return false;
    guard.commit();
    if (undo) {
        sBox box = ld->imageBox();
        if (!pushUndo(paper, *ld, box, nega ? udCmdName::udcnCmdNotAlpha : udCmdName::udcnAlphaFill))
            disposeUndoAll(paper);
    }
    if (nega)
        ld->notAlpha();
    else
        ld->fillAlpha(uint8_t(cc));
    if (flow)
        paper.setFlow(*flow, idx, true);
    dispatchView(paper, idx);
    return true;
}

} // namespace

bool eventLayerMaskFill(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t cc, bool undo)
{
    return alphaCommand(paper, flow, idx, cc, false, undo);
}

bool eventLayerMaskNega(TPaper &paper, TFlowImage *flow, int32_t idx, bool undo)
{
    return alphaCommand(paper, flow, idx, 0, true, undo);
}

bool eventLayerMaskProtected(TPaper &paper, int32_t idx, int32_t val, bool undo)
{
    if (idx < 0)
        idx = paper.ActiveLayer();
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    const bool state = val < 0 ? !ld->maskProtected : val > 0;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventLayerMaskProtected(idx, state); }))
        return false;
    guard.commit();
    if (undo && !pushUndo(paper, *ld, state ? 1 : 0, 0, udCmdName::udcnValueLayerMaskProtected))
        disposeUndoAll(paper);
    ld->maskProtected = state;
    if (TStroke *st = paper.getActiveStroke())
        st->m_bProtectMask = state;
    if (IPaperOwner *o = paper.owner())
        o->updateLayerView();
    return true;
}
