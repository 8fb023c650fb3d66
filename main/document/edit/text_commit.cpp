#include "document/edit/text_commit.h"

#include "core/image/channel.h"
#include "document/edit/edit_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/undo/undo_manager.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "paint/stroke/stroke.h"
#include "platform/codec/block_compress.h"

#include <cstring>
#include <new>
#include <vector>

bool dispatchFontAlpha(TPaper &paper, TFlowImage &flow, int32_t idx, TStroke &stroke,
                       const sBox &box, bool undo)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC || flow.layerIdx() != idx || box.w <= 0 || box.h <= 0)
        return false;
    bool stocked = false;
    if (undo && isUndoEnable(paper)) {
        sBox stock = box;
        if (!undoStockPart(paper, idx, stock, udCmdName::udcnImageFont))
            return false;
        stocked = true;
    }
    flowBltAlphaStd(paper, flow, stroke, box);
    if (!bltToLayer(paper, idx, flow.image(), box.pos(), box, 255)) {
        if (stocked && isUsingNewUndo(paper))
            paper.undoMngrEx()->popUndo();
        return false;
    }
    const sPos p = convLayerPosToVramPos(paper, idx, box.pos());
    UpdateVRAMPart(paper, {p.x, p.y, box.w, box.h}, true, true);
    UpdateView(paper, paper.owner(), true);
    return true;
}

void clearFlowAlpha(TFlowImage &flow, uint8_t cc)
{
    flow.alpha().PixelFill(cc);
}

bool doFontDraw(TPaper &paper, TFlowImage &flow, TStroke &stroke, const sBox &box, bool trgtMask,
                bool undo)
{
    prepareStrokeForPaper(stroke, &paper);
    const int32_t idx = stroke.m_drawLayer;
    bool ok = true;
    if (trgtMask) {
        ok = eventSelectText(paper, &flow, idx, &box, undo);
    } else {
        ok = dispatchFontAlpha(paper, flow, idx, stroke, box, undo);
        if (ok) {
            const sPos p = convLayerPosToVramPos(paper, idx, box.pos());
            PreviewRefresh(paper, false, idx, sBox{p.x, p.y, box.w, box.h});
        }
        clearFlowAlpha(flow, 0);
    }
    if (IPaperOwner *owner = paper.owner())
        owner->invalidate(false);
    return ok;
}

// ---- replay

namespace {

// The packet's coverage into the channel of the flow image bound anew to layer idx.
bool loadTextCoverage(TPaper &paper, TFlowImage &flow, const SEvAlpha &a,
                      std::span<const uint8_t> body)
{
    const CLayerData *ld = paper.getLayerData(a.idx);
    paper.setFlow(flow, a.idx, true);
    if (!ld || !ld->imageTC || flow.layerIdx() != a.idx)
        return false;
    TChannel &alpha = flow.alpha();
    const sBox b = a.box;
    if (b.x < 0 || b.y < 0 || b.w <= 0 || b.h <= 0 || b.w > alpha.width() - b.x ||
        b.h > alpha.height() - b.y || uint64_t(b.w) * uint64_t(b.h) != a.bytes ||
        a.packed > a.padded || sizeof a + size_t(a.padded) != body.size())
        return false;
    std::vector<uint8_t> raw;
    try {
        raw.resize(a.bytes);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (codec::codecDecompress(body.subspan(sizeof a, a.packed), raw) !=
        codec::CodecStatus::Nothing)
        return false;
    for (int32_t y = 0; y < b.h; ++y)
        std::memcpy(alpha.seek8(b.x, b.y + y), raw.data() + size_t(y) * size_t(b.w),
                    size_t(b.w));
    return true;
}

// 13/16 and 13/17: the play stroke draws on the recorded layer, made the active one, and the
// recorded coverage is committed as the window committed it.
bool playFontAlpha(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvAlpha a;
    TFlowImage *f = paper.getActiveFlow();
    TStroke *stroke = paper.getActiveStroke();
    if (!readEventRecord(body, a) || !f || !stroke || !isIndexValid(paper, a.idx))
        return false;
    const int32_t idx = a.idx;
    if (a.midx != 0xFFFF && int32_t(a.midx) != paper.getActiveMaskIndex())
        return false;
    if (paper.ActiveLayer() != idx && !EventLayerActive(paper, f, idx))
        return false;
    if (!loadTextCoverage(paper, *f, a, body)) {
        paper.setFlow(*f, idx, true);
        return false;
    }
    stroke->m_drawLayer = idx;
    const sBox box = a.box;
    const bool mask = code == 17;
    if (!doFontDraw(paper, *f, *stroke, box, mask, false)) {
        paper.setFlow(*f, idx, true);
        return false;
    }
    paper.setFlow(*f, idx, true);
    mngr.playUpdt |= uint32_t(updtRefresh) | uint32_t(mask ? updtSelectWin : updtLayerWin);
    return true;
}

} // namespace

void registerTextReplayRows()
{
    registerEventReplay(13, 16, QStringLiteral("text on a layer"), playFontAlpha);
    registerEventReplay(13, 17, QStringLiteral("text selection"), playFontAlpha);
}
