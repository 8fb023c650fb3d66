#include "document/edit/layer_attr.h"

#include "core/containers/rect_tracer.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_record_guard.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"

#include <algorithm>
#include <functional>

namespace {

// A value record of the layer; one that cannot be kept takes all undo with it.
void pushValue(TPaper &paper, CLayerData &ld, int32_t v1, int32_t v2, udCmdName cn)
{
    if (!pushUndo(paper, ld, v1, v2, cn))
        disposeUndoAll(paper);
}

void pushComplex(TPaper &paper, udCmdName cn, int32_t n0, int32_t n1)
{
    if (!pushUndo(paper, CUndoObj(), cn, n0, n1, 0, 0))
        disposeUndoAll(paper);
}

// One layer's attribute: the packet, the value record, the change, the partial recomposition.
bool changeAttr(TPaper &paper, int32_t index, bool undo, const std::function<bool()> &record,
                int32_t v1, int32_t v2, udCmdName cn, const std::function<void(CLayerData &)> &set)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld)
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, record))
        return false;
    guard.commit();
    if (undo)
        pushValue(paper, *ld, v1, v2, cn);
    set(*ld);
    dispatchLayerView(paper, index, true);
    return true;
}

// The visibility operations on all layers: the packet, the record made before the change (it
// copies every layer's visibility), the change, all recomposed when anything changed.
bool changeAllVisibility(TPaper &paper, int32_t idx, bool undo, uint16_t dt, uint8_t code,
                         udCmdName cn, const std::function<bool()> &change)
{
    // The packet and the record name layer idx (the record by its id): it must exist.
    if (!paper.getLayerData(idx))
        return false;
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo,
                     [&] { return paper.eventMngr().pushEventGlobalVis(idx, dt, code); }))
        return false;
    guard.commit();
    if (undo)
        pushComplex(paper, cn, idx, dt);
    if (change())
        UpdateVRAM(paper, true, true);
    return true;
}

// A rectangle of the display recomposed and, with prv, previewed; false when nothing is left of
// it inside the display image.
bool recomposeRect(TPaper &paper, int32_t idx, const sRect &r, bool prv)
{
    sBox box{r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
    if (!boxClipToSize(box, paper.vram().FPSZ()))
        return false;
    UpdateVRAMPart(paper, box, true, true);
    if (prv)
        PreviewRefresh(paper, true, idx, box);
    return true;
}

sRect moved(const sRect &r, int32_t dx, int32_t dy)
{
    return {r.x0 + dx, r.y0 + dy, r.x1 + dx, r.y1 + dy};
}

} // namespace

bool EventLayerVisible(TPaper &paper, int32_t index, bool vis, bool undo)
{
    const CLayerData *ld = paper.getLayerData(index);
    if (!ld)
        return false;
    if (ld->visible == vis)
        return true;
    return changeAttr(
        paper, index, undo, [&] { return paper.eventMngr().pushEventLayerVisible(index, vis); },
        vis ? 1 : 0, 0, udCmdName::udcnValueLayerVisible, [vis](CLayerData &l) { l.visible = vis; });
}

bool doLayerVisible(TPaper &paper, int32_t idx, bool vis, bool undo)
{
    const int32_t members = paper.layerMngr().countGroupMember(idx, true);
    if (members > 0)
        return eventLayerGroupVisible(paper, idx, members + 1, vis, undo);
    return EventLayerVisible(paper, idx, vis, undo);
}

bool eventLayerGroupVisible(TPaper &paper, int32_t idx, int32_t cnt, bool vis, bool undo)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || cnt <= 0)
        return false;
    if (ld->visible == vis)
        return true;
    const int32_t count = std::min(cnt, paper.getLayerCount() - idx);
    const uint32_t packed = uint32_t(count) << 16 | (vis ? 1u : 0u);
    CEventRecordGuard guard(paper.eventMngr());
    if (!recordEvent(paper.eventMngr(), undo, [&] {
            return paper.eventMngr().pushEventGroupData2(16, idx, uint16_t(paper.getLayerCount()),
                                                         packed, 0);
        }))
        return false;
    guard.commit();
    if (undo)
        pushComplex(paper, udCmdName::udcnComplexVisLayerGroup, idx, int32_t(packed));
    paper.layerMngr().changeVis(idx, count, vis);
    paper.setModified(true);
    dispatchLayerView(paper, idx, true);
    return true;
}

bool EventLayerTrans(TPaper &paper, int32_t index, uint8_t alpha, bool undo)
{
    const int32_t members = paper.layerMngr().countGroupMember(index, true);
    const bool head = members > 0;
    return changeAttr(
        paper, index, undo, [&] { return paper.eventMngr().pushEventLayerTrans(index, alpha); },
        alpha, head ? members : 0,
        head ? udCmdName::udcnValueLayerGroupTrans : udCmdName::udcnValueLayerTrans,
        [alpha](CLayerData &l) { l.trans = alpha; });
}

void SetLayerTrans(TPaper &paper, int32_t index, uint8_t alpha)
{
    if (CLayerData *ld = paper.getLayerData(index))
        ld->trans = alpha;
}

bool eventLayerDither(TPaper &paper, int32_t idx, bool enb, uint8_t diz, bool undo)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return false;
    const uint32_t val = ld->dizRand.val;
    return changeAttr(
        paper, idx, undo,
        [&] { return paper.eventMngr().pushEventLayerDither(idx, enb, diz, val); },
        int32_t(diz) * 256 + (enb ? 1 : 0), int32_t(val), udCmdName::udcnValueLayerDither,
        [=](CLayerData &l) {
            l.ditherEnable = enb;
            l.dither = diz;
            // The replay seeds the generator with the recorded state: so does the live change,
            // so that both dither alike from here on.
            l.setDitherState(val);
        });
}

bool EventLayerMode(TPaper &paper, int32_t index, TLayerMode mode, bool undo)
{
    if (uint8_t(mode) >= uint8_t(TLayerMode::LM_MAX_NUM))
        return false;
    return changeAttr(
        paper, index, undo,
        [&] { return paper.eventMngr().pushEventLayerMode(index, uint8_t(mode)); }, int32_t(mode),
        0, udCmdName::udcnValueLayerMode, [mode](CLayerData &l) { l.mode = mode; });
}

bool eventLayerVisOnly(TPaper &paper, int32_t idx, bool undo)
{
    const CLayerData *act = paper.getActiveLayerData();
    if (getVisibleLayerCount(paper) <= 1 && act && act->visible)
        return false;
    return changeAllVisibility(paper, idx, undo, 0, 25, udCmdName::udcnComplexVisOnlyLayer,
                               [&] { return paper.layerMngr().visOnly(idx); });
}

bool eventLayerVisAll(TPaper &paper, int32_t idx, bool vis, bool undo)
{
    const int32_t visible = getVisibleLayerCount(paper);
    bool runs;
    if (vis)
        runs = paper.eventMngr().fileVersion < 37 ? visible < paper.MaxLayer()
                                                  : visible < paper.getLayerCount();
    else
        runs = visible > 0;
    if (!runs)
        return false;
    return changeAllVisibility(paper, idx, undo, vis ? 1 : 0, 24, udCmdName::udcnComplexVisAllLayer,
                               [&] { return paper.layerMngr().visAll(vis); });
}

void eventLayerVisFlip(TPaper &paper, int32_t idx, bool undo)
{
    changeAllVisibility(paper, idx, undo, 0, 26, udCmdName::udcnComplexVisFlipLayer,
                        [&] { return paper.layerMngr().visFlip(); });
}

int32_t getVisibleLayerCount(const TPaper &paper)
{
    return paper.layerMngr().getVisibleCount();
}

bool dispatchLayerView(TPaper &paper, int32_t idx, bool prv)
{
    const int32_t members = paper.layerMngr().countGroupMember(idx, true);
    if (members <= 0)
        return dispatchSingleLayerView(paper, idx, prv);
    sRect area;
    findMaxRect(paper, idx, members + 1, area);
    SRectTracer tracer;
    rectTracerInit(tracer, {area.x1 - area.x0, area.y1 - area.y0});
    for (int32_t i = idx; i <= idx + members; ++i) {
        CLayerData *ld = paper.getLayerData(i);
        if (!ld || !ld->imageTC)
            continue;
        ld->imageTC->setupTraceRect();
        const SRectTracer &t = ld->imageTC->getTrace();
        for (int32_t k = 0; k < t.cnt; ++k)
            rectTracerAdd(tracer, moved(t.rects[size_t(k)], -area.x0 - ld->viewPos.x,
                                        -area.y0 - ld->viewPos.y));
    }
    bool any = false;
    for (int32_t k = 0; k < tracer.cnt; ++k)
        any |= recomposeRect(paper, idx, moved(tracer.rects[size_t(k)], area.x0, area.y0), prv);
    return any;
}

bool dispatchSingleLayerView(TPaper &paper, int32_t idx, bool prv)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    ld->imageTC->setupTraceRect();
    const SRectTracer &t = ld->imageTC->getTrace();
    bool any = false;
    for (int32_t k = 0; k < t.cnt; ++k)
        any |= recomposeRect(paper, idx, moved(t.rects[size_t(k)], -ld->viewPos.x, -ld->viewPos.y),
                             prv);
    return any;
}
