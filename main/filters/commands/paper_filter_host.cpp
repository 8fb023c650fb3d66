#include "filters/commands/paper_filter_host.h"

#include "core/tiles/block_layer_image.h"
#include "document/events/event_codes.h"
#include "document/events/event_manager.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/undo/undo_stock.h"
#include "document/view/composition.h"

#include <cstring>

namespace {
// The packed record's cells as an aligned array for the recorder.
template <class Rec, size_t N> std::array<LDATA, N> cellsOf(const Rec &rec)
{
    static_assert(sizeof(Rec) == N * sizeof(LDATA));
    std::array<LDATA, N> d{};
    std::memcpy(d.data(), &rec, sizeof(Rec));
    return d;
}
} // namespace

PaperFilterHost::PaperFilterHost(TPaper &paper, TFlowImage &flow, IFilterView *view)
    : m_paper(paper), m_flow(flow), m_view(view)
{
}

std::optional<SFilterLayerView> PaperFilterHost::layer(int32_t idx)
{
    CLayerData *ld = m_paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return std::nullopt;
    SFilterLayerView v;
    v.image = ld->imageTC.get();
    v.mode = ld->mode;
    v.viewPos = ld->viewPos;
    v.maskProtected = ld->maskProtected;
    v.uniqueID = ld->uniqueID;
    return v;
}

CMaskData *PaperFilterHost::activeMask()
{
    return m_paper.getActiveMaskData();
}

int32_t PaperFilterHost::activeMaskIndex()
{
    return m_paper.getActiveMaskIndex();
}

TMTC *PaperFilterHost::flowCanvas()
{
    return &m_flow.image();
}

TChannel *PaperFilterHost::flowAlpha()
{
    return &m_flow.alpha();
}

bool PaperFilterHost::pushUndo(std::unique_ptr<CBlockVMTC> &backup, int32_t idx, int32_t uid)
{
    CLayerData *ld = m_paper.getLayerData(idx);
    if (!ld || !backup)
        return false;
    SUndoExtras extras;
    extras.image = std::move(backup);
    const bool ok = ::pushUndo(m_paper, CUndoObj(ld), udCmdName::udcnImageFilter, idx, uid, 0, 0,
                               std::move(extras));
    // A refused push leaves the image with the caller.
    if (!ok && extras.image)
        backup = std::move(extras.image);
    return ok && !backup;
}

void PaperFilterHost::pushEventFilter0(int32_t idx, int32_t midx, uint8_t code)
{
    m_paper.eventMngr().pushEventFilter0(idx, midx, code);
}

void PaperFilterHost::pushEventFilter2(int32_t idx, int32_t midx, uint8_t code, const sFltObj2 &rec)
{
    const auto d = cellsOf<sFltObj2, 2>(rec);
    m_paper.eventMngr().pushEventFilter2(idx, midx, d[0], d[1], code);
}

void PaperFilterHost::pushEventFilter4(int32_t idx, int32_t midx, uint8_t code, const sFltObj4 &rec)
{
    const auto d = cellsOf<sFltObj4, 4>(rec);
    m_paper.eventMngr().pushEventFilter4(idx, midx, d.data(), code);
}

void PaperFilterHost::pushEventFilter6(int32_t idx, int32_t midx, uint8_t code, const sFltObj6 &rec)
{
    const auto d = cellsOf<sFltObj6, 6>(rec);
    m_paper.eventMngr().pushEventFilter6(idx, midx, d.data(), code);
}

void PaperFilterHost::pushEventFilterComplex(int32_t idx, int32_t midx, uint8_t code,
                                             const sFltObjComplex &rec)
{
    SEvFilterComplex fc;
    initFilterComplex(fc, uint16_t(idx), uint16_t(midx), rec.eachLen, rec.count);
    fc.data0.all = rec.data0.all;
    fc.data1.all = rec.data1.all;
    fc.data2.all = rec.data2.all;
    fc.data3.all = rec.data3.all;
    fc.data4.all = rec.data4.all;
    fc.data5.all = rec.data5.all;
    fc.data6.all = rec.data6.all;
    fc.data7.all = rec.data7.all;
    // The head counts exactly the bytes that follow it.
    std::span<const uint8_t> data = rec.data.first(std::min<size_t>(rec.data.size(), fc.allLen));
    m_paper.eventMngr().pushEventFilterComplex(code, fc, data);
}

void PaperFilterHost::pushEventFilterFloor(int32_t idx, int32_t midx, const SFltFloor &rec)
{
    // The recorder writes its first texture as status image 128 with the low half of data0:
    // that is slot 0 (the ceiling), its second 129 and slot 1. A file texture travels with the
    // event; the older floor (version 0) replays both slots from what the event carries, so
    // both go with it.
    const auto *p = reinterpret_cast<const uint8_t *>(&rec.sfloor);
    const SFltTexture &slot0 = rec.stex[kFloorSlotCeiling];
    const SFltTexture &slot1 = rec.stex[kFloorSlotFloor];
    const bool older = rec.sfloor.version == 0;
    const bool carry0 = older || isFloorSlotFile(rec.sfloor, kFloorSlotCeiling);
    const bool carry1 = older || isFloorSlotFile(rec.sfloor, kFloorSlotFloor);
    m_paper.eventMngr().pushEventFilterFloor(
        idx, midx, std::span<const uint8_t>(p, sizeof(SFltFloorParam)), carry0 ? slot0.tc : nullptr,
        slot0.path, uint16_t(slot0.dpi), carry1 ? slot1.tc : nullptr, slot1.path,
        uint16_t(slot1.dpi));
}

void PaperFilterHost::updatePreview(int32_t idx)
{
    if (CLayerData *ld = m_paper.getLayerData(idx))
        ld->updatePreview();
}

void PaperFilterHost::refreshFlow(int32_t idx)
{
    m_paper.setFlow(m_flow, idx, true);
}

void PaperFilterHost::dispatchViewFast(int32_t idx, const sRect *r, bool prv)
{
    ::dispatchViewFast(m_paper, idx, r, prv);
}

bool PaperFilterHost::viewRect(sRect &r)
{
    return m_view && m_view->viewRect(r);
}

void PaperFilterHost::setModified(bool modified)
{
    if (m_view)
        m_view->setModified(modified);
}

void PaperFilterHost::updateToolViews()
{
    if (m_view)
        m_view->updateToolViews();
}
