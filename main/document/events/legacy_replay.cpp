#include "document/events/legacy_replay.h"

#include "core/image/canvas.h"
#include "core/pixel/blend_modes.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/edit_ops.h"
#include "document/edit/image_commands.h"
#include "document/edit/layer_attr.h"
#include "document/edit/layer_list_ops.h"
#include "document/edit/layer_merge.h"
#include "document/edit/layer_move.h"
#include "document/edit/layer_undo.h"
#include "document/events/legacy_event_stream.h"
#include "document/files/new_document.h"
#include "document/paper/layer_data.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/select_mng.h"
#include "document/stroke/paper_stroke.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "paint/brush/legacy_pen_records.h"
#include "paint/render/legacy_dabs.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

namespace {

using namespace legacy_event;

bool validLayer(const TPaper &paper, int32_t idx)
{
    return idx >= 0 && idx < paper.getLayerCount();
}

bool sideOk(int32_t v)
{
    return v >= 1 && v <= kMaxPaperSide;
}

uint32_t neutralColor(TLayerMode mode)
{
    return getLayerModeBgColor(mode).value_or(CBlockVMTC::kInitColor) & 0x00FFFFFF;
}

// One step's shared state: the document, where the record began and how long it is.
struct SStep
{
    TPaper &paper;
    TFlowImage *flow;
    TEventPacket &event;
    TStroke &stroke;
    IPaperOwner *handle;
    bool &refresh;
    bool network;
};

void invalidate(TPaper &paper)
{
    if (IPaperOwner *o = paper.owner())
        o->invalidate(false);
}

// 295, 296: the box of a layer below 24 set to the neutral colour (opaque) or given colour bytes.
bool rectEdit(SStep &s, bool fill)
{
    int32_t idx, x, y, w, h;
    uint32_t color = 0;
    if (fill)
        s.event.PopEventLayerRectFill(idx, x, y, w, h, color);
    else
        s.event.PopEventLayerRectCut(idx, x, y, w, h);
    if (!validLayer(s.paper, idx))
        return false;
    orgUndoStockPart(s.paper, idx, x, y, w, h);
    CLayerData &ld = *s.paper.getLayerData(idx);
    if (idx < kLegacyCutLayers && ld.imageTC) {
        const sBox box{x + ld.viewPos.x, y + ld.viewPos.y, w, h};
        if (fill)
            ld.imageTC->fillImage(box, color);
        else
            ld.imageTC->maskImage(box, 0xFFFFFFFFu, 0xFF000000u | neutralColor(ld.mode));
        if (s.flow)
            s.paper.setFlow(*s.flow, idx, true);
        ld.updatePreview();
    }
    UpdateVRAM(s.paper, false, false);
    invalidate(s.paper);
    s.refresh = false;
    return true;
}

// Installs the plain per-pixel puts for one operation and restores what was installed: a stroke
// replayed before may have left its own.
struct SPlainPuts
{
    fptrStrokePutTC canvas = gCanvasPutAt;
    StrokeColorPutSwap color{pixelPutAlpha};
    SPlainPuts() { gCanvasPutAt = pixelPutPlain; }
    ~SPlainPuts() { gCanvasPutAt = canvas; }
    SPlainPuts(const SPlainPuts &) = delete;
    SPlainPuts &operator=(const SPlainPuts &) = delete;
};

// The points' bounding box grown by 2 on every side (paper coordinates), cut to the layer; false
// without points or when nothing of it lies on the layer. Points may lie anywhere in 16 bits.
bool polygonBox(const CLayerData &ld, std::span<const sPos> pts, sBox &box)
{
    if (pts.empty())
        return false;
    int64_t x0 = pts[0].x, y0 = pts[0].y, x1 = x0, y1 = y0;
    for (const sPos &p : pts) {
        x0 = std::min<int64_t>(x0, p.x);
        x1 = std::max<int64_t>(x1, p.x);
        y0 = std::min<int64_t>(y0, p.y);
        y1 = std::max<int64_t>(y1, p.y);
    }
    const sRect lr = ld.getLayerRect(); // right and bottom exclusive
    const int64_t bx0 = std::max<int64_t>(x0 - 2, lr.x0), by0 = std::max<int64_t>(y0 - 2, lr.y0);
    const int64_t bx1 = std::min<int64_t>(x1 + 2, lr.x1), by1 = std::min<int64_t>(y1 + 2, lr.y1);
    if (bx0 >= bx1 || by0 >= by1)
        return false;
    box = {int32_t(bx0), int32_t(by0), int32_t(bx1 - bx0), int32_t(by1 - by0)};
    return true;
}

// The colour painted through the polygon into layer idx over box (paper coordinates): the
// polygon goes into the active slot of the selection store, the flow image takes the layer's
// pixels, the colour goes through the slot's channel at full strength (alpha kept), and the
// result goes back into the layer. The slot is disabled again afterwards. A document without a
// store (its stream did not create it) and a polygon that covers no area (fewer than 3 points)
// change no pixel.
void paintPolygon(SStep &s, int32_t idx, std::span<const sPos> pts, uint32_t colour,
                  const sBox &box)
{
    TSelectMng *sel = s.paper.m_select.get();
    CLayerData &ld = *s.paper.getLayerData(idx);
    if (!sel || !ld.imageTC)
        return;
    std::optional<TFlowImage> own;
    TFlowImage *flow = s.flow;
    if (!flow)
        flow = &own.emplace(&s.paper);
    if (sel->EventSelectPoly(sel->activeSelect(), pts, TBoolMode::BM_EQL)) {
        const TSelect slot = sel->Select();
        s.paper.setFlow(*flow, idx, false);
        sBox lb{box.x + ld.viewPos.x, box.y + ld.viewPos.y, box.w, box.h};
        if (!slot.disabled && slot.image && flow->layerIdx() == idx &&
            boxClipToSize(lb, ld.imageTC->FPSZ()) && boxClipToSize(lb, flow->image().FPSZ())) {
            ld.imageTC->bltTo(flow->image(), lb.pos(), lb, 255, false);
            const sBox chBox{lb.x - ld.viewPos.x, lb.y - ld.viewPos.y, lb.w, lb.h};
            SPlainPuts puts;
            if (drawColorThroughChannel(flow->image(), *slot.image, lb.pos(), chBox, colour, 255,
                                        false))
                bltToLayer(s.paper, idx, flow->image(), lb.pos(), lb, 255);
            s.paper.setFlow(*flow, idx, true);
            ld.updatePreview();
        }
    }
    sel->EventSelectDisabled(0);
}

// 297, 304: the points' box grown by 2 is stocked for undo; on layers below 24 the colour (the
// blend mode's neutral colour for a cut) is painted through the polygon.
bool polyEdit(SStep &s, bool fill)
{
    int32_t idx, count;
    uint32_t color = 0;
    std::vector<int32_t> raw;
    if (fill)
        s.event.PopEventLayerPolyFill(idx, color, count, raw);
    else
        s.event.PopEventLayerPolyCut(idx, count, raw);
    if (count < 0 || !validLayer(s.paper, idx))
        return false;
    // One position more than the points: room for closing the polygon.
    std::vector<sPos> pts;
    pts.reserve(size_t(count) + 1);
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        pts.push_back({raw[i], raw[i + 1]});
    CLayerData &ld = *s.paper.getLayerData(idx);
    sBox box;
    if (polygonBox(ld, pts, box)) {
        orgUndoStockPart(s.paper, idx, box.x, box.y, box.w, box.h);
        if (idx < kLegacyCutLayers)
            paintPolygon(s, idx, pts, fill ? color : neutralColor(ld.mode), box);
    }
    UpdateVRAM(s.paper, false, false);
    invalidate(s.paper);
    s.refresh = false;
    return true;
}

TFlowImage *flowOf(SStep &s)
{
    return s.flow;
}

bool strokeBegin(SStep &s, uint16_t code)
{
    SLegacyStrokeParam prm;
    int32_t x, y;
    float p;
    s.event.PopEventStrokeBegin(prm, x, y, p);
    if (!validLayer(s.paper, prm.layer) || !s.flow)
        return false;
    prm.applyTo(s.stroke);
    s.stroke.SetDrawMode(TDrawMode(code));
    s.refresh = false;
    const bool begun = EventStrokeBeginOld(s.paper, *s.flow, s.stroke, float(x), float(y), p, true);
    if (!s.event.isStroking()) {
        // No point follows: the stroke ends where it began.
        sBox box;
        if (begun)
            EventStrokeEnd(s.paper, *s.flow, s.stroke, s.handle, box, true);
    }
    return true;
}

void strokePoint(SStep &s)
{
    int32_t x = 0, y = 0;
    float p = 0;
    const bool last = s.event.PopEventStroke(x, y, p);
    s.refresh = false;
    if (!s.flow)
        return;
    EventStrokeAdd(s.paper, *s.flow, s.stroke, float(x), float(y), p, s.handle, true);
    if (!last)
        return;
    sBox box;
    EventStrokeEnd(s.paper, *s.flow, s.stroke, s.handle, box, true);
    if (CLayerData *ld = s.paper.getLayerData(s.stroke.m_drawLayer))
        ld->updatePreview();
}

// 305: a straight stroke from the first point to the second at full pressure.
bool straightStroke(SStep &s)
{
    SLegacyStrokeParam prm;
    int32_t dm = -1, x1, y1, x2, y2;
    s.event.PopEventLayerLine(prm, dm, x1, y1, x2, y2);
    if (!validLayer(s.paper, prm.layer) || !s.flow)
        return false;
    prm.applyTo(s.stroke);
    if (dm >= 0)
        s.stroke.SetDrawMode(TDrawMode(dm));
    if (EventStrokeBeginOld(s.paper, *s.flow, s.stroke, float(x1), float(y1), 1.0f, true)) {
        EventStrokeAdd(s.paper, *s.flow, s.stroke, float(x2), float(y2), 1.0f, s.handle, true);
        sBox box;
        EventStrokeEnd(s.paper, *s.flow, s.stroke, s.handle, box, true);
    }
    invalidate(s.paper);
    s.refresh = false;
    return true;
}

// A one-layer instruction: the index checked, then the action unless the document plays a
// network stream and the action changes the structure.
template <typename F> bool onLayer(SStep &s, bool structural, F &&action)
{
    const int32_t idx = s.event.memory().ReadBYTE();
    if (!validLayer(s.paper, idx))
        return false;
    if (!(structural && s.network))
        action(idx);
    return true;
}

// Layer instructions: 256..305.
bool layerInstruction(SStep &s, uint16_t code)
{
    TPaper &paper = s.paper;
    TFlowImage *flow = flowOf(s);
    TMyMemory &m = s.event.memory();
    switch (code) {
    case kLayerAdd: {
        const int32_t lm = m.ReadBYTE();
        if (lm > 3)
            return false;
        if (!s.network)
            orgEventLayerAdd(paper, flow, TLayerMode(lm));
        return true;
    }
    case kLayerDelete:
        return onLayer(s, true, [&](int32_t i) { orgEventLayerDelete(paper, flow, i); });
    case kLayerMerge:
        if (!s.network)
            EventLayerCombine(paper, flow);
        return true;
    case kLayerCopy:
        return onLayer(s, true, [&](int32_t i) { orgEventLayerCopy(paper, flow, i); });
    case kLayerInsert: {
        int32_t src, dst;
        s.event.PopEventLayerInsert(src, dst);
        if (!validLayer(paper, src) || !validLayer(paper, dst))
            return false;
        if (!s.network)
            EventLayerInsert(paper, flow, src, dst, false);
        return true;
    }
    case kLayerCombLower:
        return onLayer(s, true, [&](int32_t i) { EventLayerCombLower(paper, flow, i, false); });
    case kLayerUndo:
        s.refresh = false;
        return onLayer(s, false, [&](int32_t i) {
            sRect r;
            orgEventLayerUndo(paper, flow, i, r);
        });
    case kLayerActive:
        s.refresh = false;
        return onLayer(s, false, [&](int32_t i) {
            if (paper.m_paperMode == TPaperMode::PM_NORMAL)
                EventLayerActive(paper, flow, i);
            else if (flow)
                paper.setFlow(*flow, i, false);
        });
    case kLayerVisible: {
        int32_t idx;
        bool vis;
        s.event.PopEventLayerVisible(idx, vis);
        if (!validLayer(paper, idx))
            return false;
        EventLayerVisible(paper, idx, vis, false);
        return true;
    }
    case kLayerTrans: {
        int32_t idx, trans;
        s.event.PopEventLayerTrans(idx, trans);
        if (!validLayer(paper, idx))
            return false;
        EventLayerTrans(paper, idx, uint8_t(trans), false);
        return true;
    }
    case kLayerMode: {
        int32_t idx, mode;
        s.event.PopEventLayerMode(idx, mode);
        if (!validLayer(paper, idx) || mode > 21)
            return false;
        EventLayerMode(paper, idx, TLayerMode(mode), false);
        return true;
    }
    case kLayerVisibleFlip:
        return onLayer(s, false, [&](int32_t i) { orgEventLayerVisibleFlip(paper, i); });
    case kLayerUpsideDown:
    case kLayerMirror:
    case kLayer180:
    case kLayerNegaposi:
    case kLayerClear:
        return onLayer(s, false, [&](int32_t i) {
            orgUndoStock(paper, i);
            if (code == kLayerUpsideDown)
                orgEventLayerUpsideDown(paper, flow, i, false);
            else if (code == kLayerMirror)
                orgEventLayerMirror(paper, flow, i, false);
            else if (code == kLayer180)
                orgEventLayer180(paper, flow, i, false);
            else if (code == kLayerNegaposi)
                orgEventLayerNegaposi(paper, flow, i, false);
            else
                EventLayerClear(paper, flow, i, false);
        });
    case kLayerFill: {
        int32_t idx;
        uint32_t color;
        s.event.PopEventLayerFill(idx, color);
        if (!validLayer(paper, idx))
            return false;
        orgUndoStock(paper, idx);
        orgEventLayerFill(paper, flow, idx, color);
        return true;
    }
    case kLayerMove: {
        int32_t idx, x, y;
        s.event.PopEventLayerMove(idx, x, y);
        if (!validLayer(paper, idx))
            return false;
        orgUndoStock(paper, idx);
        orgEventLayerMove(paper, flow, idx, x, y);
        return true;
    }
    case kLayerRectCut:
    case kLayerRectFill:
        return rectEdit(s, code == kLayerRectFill);
    case kLayerPolyCut:
    case kLayerPolyFill:
        return polyEdit(s, code == kLayerPolyFill);
    case kLayerLine:
        return straightStroke(s);
    default:
        return false;
    }
}

// Canvas instructions: 512..531.
bool editInstruction(SStep &s, uint16_t code)
{
    TPaper &paper = s.paper;
    TFlowImage *flow = flowOf(s);
    switch (code) {
    case kEditCreate: {
        int32_t w, h;
        s.event.PopEventEditCreate(w, h);
        if (!sideOk(w) || !sideOk(h))
            return false;
        if (!s.network)
            LayerCreate(paper, QString(), flow, w, h);
        return true;
    }
    case kEditPC: {
        uint32_t color;
        s.event.PopEventEditPC(color);
        if (!s.network)
            EventEditPC(paper, color, false);
        return true;
    }
    case kEditResize: {
        int32_t w, h, a;
        s.event.PopEventEditResize(w, h, a);
        if (!sideOk(w) || !sideOk(h) || a > 8)
            return false;
        if (!s.network)
            orgEventEditResize(paper, flow, w, h, legacyAnchorToPgType(uint8_t(a)));
        return true;
    }
    case kEditReso: {
        int32_t w, h;
        s.event.PopEventEditReso(w, h);
        if (!sideOk(w) || !sideOk(h))
            return false;
        if (!s.network)
            orgEventEditResolution(paper, flow, w, h);
        return true;
    }
    case kEditRotRight:
    case kEditRotLeft:
        if (!s.network)
            EventEditRotate(paper, flow, code == kEditRotRight, false);
        return true;
    case kEditUndoDispose:
        if (!s.network)
            EventEditUndoDispose(paper);
        return true;
    case kEditUndoDisposeIndex:
        return onLayer(s, false, [&](int32_t i) { paper.getLayerData(i)->disposeUndo(); });
    case kEditUpsideDown:
        if (!s.network)
            EventEditUpsideDown(paper, flow, false);
        return true;
    case kEditMirror:
        if (!s.network)
            EventEditMirror(paper, flow, false);
        return true;
    case kEdit180:
        if (!s.network)
            EventEdit180(paper, flow, false);
        return true;
    case kEditNegaposi:
        if (!s.network)
            EventEditNegaPosi(paper, flow, false);
        return true;
    default:
        return false; // 520 and the end code among them
    }
}

// A polygon record whose count has arrived and is negative has no length of its own: its head
// (code, layer, colour, count) is played, refused and read past, so the replay does not wait on
// it for ever. -1 for any other record.
int32_t negativePolygonHead(const uint8_t *p, int64_t remain)
{
    if (remain < 2)
        return -1;
    const uint16_t code = uint16_t(p[0] | p[1] << 8);
    if (code != kLayerPolyCut && code != kLayerPolyFill)
        return -1;
    const int32_t head = code == kLayerPolyCut ? 5 : 8;
    if (remain < head || int16_t(uint16_t(p[head - 2] | p[head - 1] << 8)) >= 0)
        return -1;
    return head;
}

} // namespace

bool EventAnalyze(TPaper &paper, TFlowImage *flow, TEventPacket &event, TStroke &stroke,
                  IPaperOwner *handle, bool &refresh, uint16_t &inst)
{
    if (!flow && paper.owner())
        flow = paper.owner()->flow();
    SStep s{paper, flow, event, stroke, handle, refresh,
            paper.m_paperMode == TPaperMode::PM_NETWORK};
    TMyMemory &m = event.memory();
    refresh = false;
    if (!event.isStroking()) {
        if (m.ReadRemain() < 2)
            return true;
        // A peek: the memory's reads at index 0 advance.
        const uint16_t code = uint16_t(m.PositionBuffer()[0] | m.PositionBuffer()[1] << 8);
        // Codes of the table wait until their whole record is there; others end the replay.
        int32_t len = legacyInstructionLength(m.PositionBuffer(), m.ReadRemain());
        if (len < 0)
            len = negativePolygonHead(m.PositionBuffer(), m.ReadRemain());
        if (len < 0 && isKnownCode(code))
            return true;
        refresh = true;
        inst = m.ReadWORD();
        if (len < 0)
            return false;
        const int32_t end = m.position() - 2 + len;
        bool ok;
        if (code <= kStrokeLast)
            ok = strokeBegin(s, code);
        else if (code < kEditCreate)
            ok = layerInstruction(s, code);
        else
            ok = editInstruction(s, code);
        if (!ok) {
            // A refused record is read past whole, its points included.
            event.endStroke();
            m.SetPosition(end);
        }
        return ok;
    }
    refresh = true;
    strokePoint(s);
    return true;
}

bool orgEventLayerVisibleFlip(TPaper &paper, int32_t index)
{
    CLayerData *ld = paper.getLayerData(index);
    if (!ld)
        return false;
    const bool v = ld->visible;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i)
        paper.getLayerData(i)->visible = i == index ? !v : v;
    UpdateVRAM(paper, false, false);
    for (int32_t i = 0; i < paper.getLayerCount(); ++i)
        paper.getLayerData(i)->updatePreview();
    return true;
}

namespace {

// The lowest visible layer, or -1.
int32_t lowestVisible(const TPaper &paper, int32_t from = 0)
{
    for (int32_t i = from; i < paper.getLayerCount(); ++i)
        if (paper.getLayerData(i)->visible)
            return i;
    return -1;
}

int32_t visibleCount(const TPaper &paper)
{
    int32_t n = 0;
    for (int32_t i = 0; i < paper.getLayerCount(); ++i)
        n += paper.getLayerData(i)->visible ? 1 : 0;
    return n;
}

// The colour bytes of every pixel := col, alpha kept.
void fillColorBytes(TMTC &img, uint32_t col)
{
    for (int32_t y = 0; y < img.height(); ++y) {
        auto *p = static_cast<uint32_t *>(img.seek(0, y));
        for (int32_t x = 0; x < img.width(); ++x)
            p[x] = (p[x] & 0xFF000000u) | col;
    }
}

void setAlphaAll(TMTC &img)
{
    for (int32_t y = 0; y < img.height(); ++y) {
        auto *p = static_cast<uint32_t *>(img.seek(0, y));
        for (int32_t x = 0; x < img.width(); ++x)
            p[x] |= 0xFF000000u;
    }
}

// The layer next above lo composed with lo into lo; the upper one deleted.
bool combinePair(TPaper &paper, TMTC &work, int32_t lo, int32_t up)
{
    CLayerData &low = *paper.getLayerData(lo);
    const CLayerData &high = *paper.getLayerData(up);
    fillColorBytes(work, neutralColor(low.mode));
    if (paper.isDrawProcNew()) {
        low.bltTo(work, -low.viewPos.x, -low.viewPos.y);
        high.bltTo(work, -high.viewPos.x, -high.viewPos.y);
        setAlphaAll(work);
    } else {
        low.oldBltTo(work, -low.viewPos.x, -low.viewPos.y);
        high.oldBltTo(work, -high.viewPos.x, -high.viewPos.y);
    }
    if (!low.imageTC->bltFrom(work, low.viewPos.x, low.viewPos.y, 255))
        return false;
    low.trans = 255;
    paper.chkOldMaskMode(lo, low.mode);
    DeleteLayer(paper, up);
    return true;
}

} // namespace

bool CanLayerCombine(const TPaper &paper)
{
    const int32_t lo = lowestVisible(paper);
    if (lo < 0 || visibleCount(paper) < 2)
        return false;
    const TLayerMode mode = paper.getLayerData(lo)->mode;
    for (int32_t i = lo + 1; i < paper.getLayerCount(); ++i) {
        const CLayerData *ld = paper.getLayerData(i);
        if (ld->visible && ld->mode != mode)
            return false;
    }
    return true;
}

bool EventLayerCombine(TPaper &paper, TFlowImage *flow)
{
    if (!CanLayerCombine(paper))
        return false;
    TMTC work(paper.m_paperSize.x, paper.m_paperSize.y);
    if (!work.isEnable())
        return false;
    const int32_t lo = lowestVisible(paper);
    while (visibleCount(paper) > 1) {
        const int32_t up = lowestVisible(paper, lo + 1);
        if (up < 0 || !combinePair(paper, work, lo, up))
            break;
    }
    paper.getLayerData(lo)->updatePreview();
    UpdateVRAM(paper, false, false);
    EventLayerActive(paper, flow, 0);
    return true;
}
