#include "document/selection/figure_fill_ops.h"

#include "core/image/channel.h"
#include "document/edit/edit_ops.h"
#include "document/edit/geometry_layers.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_record_guard.h"
#include "document/events/event_replay.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_stock.h"
#include "paint/fill/figure_fill.h"
#include "paint/render/stroke_context.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/cursor.h"

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <vector>

namespace {

using enum udCmdName;

// One figure: how to make its filler and prepare it, and how to fill with it.
struct SFigure
{
    std::function<std::unique_ptr<CFillMngr>(const sSize &, const TStroke &)> make;
    std::function<bool(CFillMngr &)> init;
    std::function<int32_t(CFillMngr &, CDibCore &)> fill;
};

SFigure boxFigure(const sFPos &p0, const sFPos &p1)
{
    return {[](const sSize &sz, const TStroke &st) { return std::make_unique<CFillMngr>(sz, st); },
            [=](CFillMngr &f) { return f.initBoxFill(p0, p1); },
            [](CFillMngr &f, CDibCore &tc) { return f.boxFill(tc); }};
}

SFigure polygonFigure(std::span<const sFPos> plist)
{
    return {[](const sSize &sz, const TStroke &st) {
                return std::unique_ptr<CFillMngr>(std::make_unique<CPolygonFiller>(sz, st));
            },
            [=](CFillMngr &f) {
                return static_cast<CPolygonFiller &>(f).initPolygonFill(plist,
                                                                        int32_t(plist.size()));
            },
            [](CFillMngr &f, CDibCore &tc) {
                return static_cast<CPolygonFiller &>(f).polygonFill(tc);
            }};
}

SFigure ellipseFigure(int32_t ver, const sFPos &p0, const sFPos &p1)
{
    return {[=](const sSize &sz, const TStroke &st) {
                return std::unique_ptr<CFillMngr>(std::make_unique<CEllipseFiller>(sz, st, ver));
            },
            [=](CFillMngr &f) { return static_cast<CEllipseFiller &>(f).initEllipseFill(p0, p1); },
            [](CFillMngr &f, CDibCore &tc) {
                return static_cast<CEllipseFiller &>(f).ellipseFill(tc);
            }};
}

bool pointsFinite(std::span<const sFPos> pts)
{
    for (const sFPos &p : pts)
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return false;
    return true;
}

// Paints the figure with the active stroke into the work image bound to layer idx; box gets the
// painted box. False when the figure is empty or nothing was painted.
bool fillCore(TPaper &paper, TFlowImage &flow, int32_t idx, const SFigure &fig, sBox &box)
{
    CLayerData *ld = paper.getLayerData(idx);
    TStroke *stroke = paper.getActiveStroke();
    if (!ld || !ld->imageTC || !stroke)
        return false;
    try {
        const sSize sz{ld->imageTC->width(), ld->imageTC->height()};
        std::unique_ptr<CFillMngr> filler = fig.make(sz, *stroke);
        if (!fig.init(*filler))
            return false;
        filler->getUpdateBox(box);
        // Reloaded, so that the box copied back holds the layer's pixels and the paint only.
        paper.setFlow(flow, idx, true);
        if (flow.layerIdx() != idx || flow.image().width() < sz.x ||
            flow.image().height() < sz.y)
            return false;
        filler->dispatchMode();
        prepareStrokeForPaper(*stroke, &paper);
        return fig.fill(*filler, flow.image()) > 0;
    } catch (const std::bad_alloc &) {
        err_memHandler();
        return false;
    } catch (const std::exception &e) {
        err_stdHandler(&e);
        return false;
    }
}

// The common ending of the fills: the packet, the undo stock of the layer as it still is, then
// the painted box copied into the layer. A packet that cannot be written withdraws the paint.
bool finishFill(TPaper &paper, TFlowImage &flow, int32_t idx, sBox box, bool undo, bool rec,
                const std::function<bool()> &push)
{
    // The layer's blocks under the box are had before the packet is written, so that the copy
    // from the work image cannot stop for memory after the fill was recorded.
    CLayerData *ld = paper.getLayerData(idx);
    CEventRecordGuard guard(paper.eventMngr());
    if (!ld || !commitLayerArea(*ld->imageTC, box) || !recordEvent(paper.eventMngr(), rec, push)) {
        const sRect r = boxToRect(box);
        RefreshFlow(paper, &flow, idx, &r, false);
        return false;
    }
    guard.commit();
    sBox stock = box;
    if (undo && isUndoEnable(paper) && !undoStockPart(paper, idx, stock, udcnImageBox))
        disposeUndoAll(paper);
    refreshView(paper, &flow, idx, box, true);
    return true;
}

bool fillFigure(TPaper &paper, TFlowImage *flow, int32_t idx, const SFigure &fig, bool undo,
                bool rec, const std::function<bool()> &push)
{
    TFlowImage *f = flowOrOwner(paper, flow);
    if (!f || !isIndexValid(paper, idx))
        return false;
    sBox box;
    if (!fillCore(paper, *f, idx, fig, box)) {
        // Whatever was painted into the work image goes.
        paper.setFlow(*f, idx, true);
        return false;
    }
    return finishFill(paper, *f, idx, box, undo, rec, push);
}

// The stroke's drawing colour, opacity or gradient switch given back on every way out.
template <class T> class CRestore
{
  public:
    CRestore(T &slot, T value) : m_slot(slot), m_old(slot) { slot = value; }
    ~CRestore() { m_slot = m_old; }
    CRestore(const CRestore &) = delete;
    CRestore &operator=(const CRestore &) = delete;

  private:
    T &m_slot;
    T m_old;
};

} // namespace

bool eventFillRect(TPaper &paper, TFlowImage *flow, int32_t idx, const sFPos &p0, const sFPos &p1,
                   bool undo, bool rec)
{
    if (!pointsFinite(std::array{p0, p1}))
        return false;
    return fillFigure(paper, flow, idx, boxFigure(p0, p1), undo, rec,
                      [&] { return paper.eventMngr().pushEventFillCmd(idx, 0, p0, p1, 1); });
}

bool eventFillPolygon(TPaper &paper, TFlowImage *flow, int32_t idx, std::span<const sFPos> plist,
                      bool undo)
{
    if (plist.size() < 3 || plist.size() > 0xFFFF || !pointsFinite(plist))
        return false;
    return fillFigure(paper, flow, idx, polygonFigure(plist), undo, undo, [&] {
        return paper.eventMngr().pushEventFillPoly(idx, int32_t(plist.size()), plist.data());
    });
}

bool eventFillEllipse(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t ver, const sFPos &p0,
                      const sFPos &p1, bool undo)
{
    if (!pointsFinite(std::array{p0, p1}))
        return false;
    // The older geometry has a code of its own, so that the replay draws the same ellipse.
    const uint8_t code = ver == 0 ? 3 : 6;
    return fillFigure(paper, flow, idx, ellipseFigure(ver, p0, p1), undo, undo, [&] {
        return paper.eventMngr().pushEventFillCmd(idx, 0, p0, p1, code);
    });
}

bool eventFillAll(TPaper &paper, TFlowImage *flow, int32_t idx, uint32_t color, bool undo,
                  bool rec)
{
    CLayerData *ld = paper.getLayerData(idx);
    TStroke *stroke = paper.getActiveStroke();
    if (!ld || !ld->imageTC || !stroke)
        return false;
    WaitCursor hourglass;
    bool ok;
    {
        const CRestore<uint32_t> colour(stroke->m_drawColor, color);
        syncStroke(paper);
        const sFPos p1{float(ld->imageTC->width()), float(ld->imageTC->height())};
        CEventRecordGuard guard(paper.eventMngr());
        ok = eventFillRect(paper, flow, idx, {0, 0}, p1, undo, false) &&
             recordEvent(paper.eventMngr(), rec, [&] {
                 return paper.eventMngr().pushEventFillCmd(idx, color, {0, 0}, {0, 0}, 0);
             });
        if (ok)
            guard.commit();
    }
    syncStroke(paper);
    return ok;
}

bool eventLayerGradation(TPaper &paper, TFlowImage *flow, int32_t idx, const sFPos &p0,
                         const sFPos &p1, bool setonly, bool undo)
{
    if (!pointsFinite(std::array{p0, p1}))
        return false;
    setGradation(paper, p0, p1);
    if (setonly)
        return true;
    TStroke *stroke = paper.getActiveStroke();
    if (!stroke || !isIndexValid(paper, idx))
        return false;
    const CRestore<bool> gradient(stroke->m_bUseGradation, true);
    CEventRecordGuard guard(paper.eventMngr());
    const bool ok = eventFillAll(paper, flow, idx, stroke->m_drawColor, undo, false) &&
                    recordEvent(paper.eventMngr(), undo, [&] {
                        return paper.eventMngr().pushEventFillCmd(idx, 0, p0, p1, 2);
                    });
    if (ok)
        guard.commit();
    return ok;
}

// ---- selection figures

namespace {

bool selectFigure(TPaper &paper, TFlowImage *flow, int32_t idx, const SFigure &fig,
                  eMaskAddType mat, bool undo, const std::function<bool(int32_t midx)> &push)
{
    CLayerData *ld = paper.getLayerData(idx);
    TStroke *stroke = paper.getActiveStroke();
    CMaskMngr &mm = paper.maskMngr();
    if (!ld || !ld->imageTC || !stroke || uint8_t(mat) >= kMaskAddTypeCount ||
        !mm.hasActiveMask())
        return false;
    TFlowImage *f = flowOrOwner(paper, flow);
    if (f) {
        // The work image holds this layer, so that the refresh below copies back what is there.
        paper.setFlow(*f, idx, true);
        if (f->layerIdx() != idx)
            return false;
    }
    WaitCursor hourglass;
    const int32_t cur = mm.getCurIndex();
    const sSize sz{ld->imageTC->width(), ld->imageTC->height()};
    sBox box;
    std::unique_ptr<CMaskData> old;
    try {
        // Full strength, and written plainly: neither the selection in force nor a screentone
        // may shape the new selection.
        const CRestore<float> opacity(stroke->m_opaque, 1.0f);
        const CRestore<fptrStrokePutCh> put(gChannelPutAt, channelPutPlain);
        std::unique_ptr<CFillMngr> filler = fig.make(sz, *stroke);
        if (!fig.init(*filler))
            return false;
        filler->getUpdateBox(box);
        filler->setAlphaMode(255);
        TChannel ch(sz);
        if (ch.width() != sz.x || ch.height() != sz.y)
            throw std::bad_alloc();
        ch.PixelFill(0);
        if (fig.fill(*filler, ch) <= 0)
            return false;
        CEventRecordGuard guard(paper.eventMngr());
        if (!recordEvent(paper.eventMngr(), undo, [&] { return push(cur); }) ||
            !mm.replaceMask(cur, ch, sz, ld->viewPos, old, mat))
            return false;
        guard.commit();
    } catch (const std::bad_alloc &) {
        err_memHandler();
        return false;
    } catch (const std::exception &e) {
        err_stdHandler(&e);
        return false;
    }
    if (undo)
        pushMaskReplace(paper, idx, cur, std::move(old));
    updateAnts(paper, true, true);
    if (f)
        refreshView(paper, f, idx, box, true);
    updateSelectWindow(paper, cur);
    return true;
}

} // namespace

bool eventSelectRect(TPaper &paper, TFlowImage *flow, int32_t idx, const sFPos &p0,
                     const sFPos &p1, eMaskAddType mat, bool undo)
{
    if (!pointsFinite(std::array{p0, p1}))
        return false;
    return selectFigure(paper, flow, idx, boxFigure(p0, p1), mat, undo, [&](int32_t midx) {
        return paper.eventMngr().pushEventSelectDrawCmd(idx, midx, p0, p1, uint8_t(mat), 16);
    });
}

bool eventSelectPolygon(TPaper &paper, TFlowImage *flow, int32_t idx,
                        std::span<const sFPos> plist, eMaskAddType mat, bool undo)
{
    if (plist.size() < 3 || plist.size() > 0xFFFF || !pointsFinite(plist))
        return false;
    return selectFigure(paper, flow, idx, polygonFigure(plist), mat, undo, [&](int32_t midx) {
        return paper.eventMngr().pushEventSelectPoly(idx, midx, int32_t(plist.size()),
                                                     plist.data(), uint8_t(mat));
    });
}

bool eventSelectEllipse(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t ver,
                        const sFPos &p0, const sFPos &p1, eMaskAddType mat, bool undo)
{
    if (!pointsFinite(std::array{p0, p1}))
        return false;
    const uint8_t code = ver == 0 ? 17 : 19;
    return selectFigure(paper, flow, idx, ellipseFigure(ver, p0, p1), mat, undo,
                        [&](int32_t midx) {
                            return paper.eventMngr().pushEventSelectDrawCmd(idx, midx, p0, p1,
                                                                            uint8_t(mat), code);
                        });
}

// ---- replay

namespace {

bool figureDone(CEventMngr &mngr, bool ok, uint32_t what)
{
    if (ok)
        mngr.playUpdt |= what;
    return ok;
}

bool readPoints(std::span<const uint8_t> body, size_t fixed, uint16_t cnt,
                std::vector<sFPos> &pts)
{
    if (fixed > body.size() || size_t(cnt) * sizeof(sFPos) != body.size() - fixed)
        return false;
    pts.resize(cnt);
    if (cnt > 0)
        std::memcpy(pts.data(), body.data() + fixed, size_t(cnt) * sizeof(sFPos));
    return true;
}

bool playFill(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvFillFigure b;
    if (!readEventRecord(body, b) || !isIndexValid(paper, b.idx))
        return false;
    // The packet's fields are packed: the points are copied out before they are passed on.
    const sFPos p0 = b.p0, p1 = b.p1;
    bool ok = false;
    switch (code) {
    case 0:
        ok = eventFillAll(paper, nullptr, b.idx, b.colour, false, false);
        break;
    case 1:
        ok = eventFillRect(paper, nullptr, b.idx, p0, p1, false, false);
        break;
    case 2:
        ok = eventLayerGradation(paper, nullptr, b.idx, p0, p1, false, false);
        break;
    case 3:
    case 6:
        ok = eventFillEllipse(paper, nullptr, b.idx, code == 3 ? 0 : 1, p0, p1, false);
        break;
    default:
        return false;
    }
    return figureDone(mngr, ok, updtRefresh);
}

bool playFillPoly(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvPolygonHead h;
    std::vector<sFPos> pts;
    if (!readEventRecord(body, h) || !isIndexValid(paper, h.idx) ||
        !readPoints(body, sizeof h, h.cnt, pts))
        return false;
    return figureDone(mngr, eventFillPolygon(paper, nullptr, h.idx, pts, false), updtRefresh);
}

// The recorded mask must be the current one (or -1 for it).
bool maskIsCurrent(const TPaper &paper, uint16_t midx)
{
    return midx == 0xFFFF || int32_t(midx) == paper.getActiveMaskIndex();
}

bool playSelectFigure(CEventMngr &mngr, TPaper &paper, uint8_t code,
                      std::span<const uint8_t> body)
{
    SEvMaskFigure b;
    if (!readEventRecord(body, b) || !isIndexValid(paper, b.idx) || b.mat >= kMaskAddTypeCount ||
        !maskIsCurrent(paper, b.midx))
        return false;
    const eMaskAddType mat = eMaskAddType(b.mat);
    const sFPos p0 = b.p0, p1 = b.p1;
    const bool ok = code == 16 ? eventSelectRect(paper, nullptr, b.idx, p0, p1, mat, false)
                               : eventSelectEllipse(paper, nullptr, b.idx, code == 17 ? 0 : 1, p0,
                                                    p1, mat, false);
    return figureDone(mngr, ok, updtRefresh | updtSelectWin);
}

bool playSelectPoly(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvMaskPolygonHead h;
    std::vector<sFPos> pts;
    if (!readEventRecord(body, h) || !isIndexValid(paper, h.idx) ||
        h.mat >= kMaskAddTypeCount || !maskIsCurrent(paper, h.midx) ||
        !readPoints(body, sizeof h, h.cnt, pts))
        return false;
    return figureDone(mngr,
                      eventSelectPolygon(paper, nullptr, h.idx, pts, eMaskAddType(h.mat), false),
                      updtRefresh | updtSelectWin);
}

} // namespace

void registerFigureReplayRows()
{
    for (uint8_t c : {0, 1, 2, 3, 6})
        registerEventReplay(6, c, QStringLiteral("fill figure %1").arg(c), playFill);
    registerEventReplay(6, 4, QStringLiteral("fill polygon"), playFillPoly);
    for (uint8_t c : {16, 17, 19})
        registerEventReplay(10, c, QStringLiteral("selection figure %1").arg(c),
                            playSelectFigure);
    registerEventReplay(10, 18, QStringLiteral("selection polygon"), playSelectPoly);
}
