// The replay rows of groups, links and clipping, of the merges and of the moves: each reads its
// packet, checks the operands it can against the document and calls the operation with undo off;
// the operation itself refuses what does not fit.
#include "document/edit/layer_group_ops.h"
#include "document/edit/layer_merge.h"
#include "document/edit/layer_move.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/events/layer_group_events.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"

namespace {

bool changed(CEventMngr &mngr, bool ok, uint32_t more = 0)
{
    if (ok)
        mngr.playUpdt |= updtRefresh | updtLayerWin | more;
    return ok;
}

// 2/7 merges with type and version 0; 2/10 carries them in d1 (type in its low byte).
bool playBindAll(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    uint32_t tp = 0, ver = 0;
    if (code == 10) {
        SEvIdxData d;
        if (!readEventRecord(body, d))
            return false;
        tp = d.d1 & 0xFF;
        ver = d.d1 >> 8;
    }
    return changed(mngr, eventBindLayerAll(paper, nullptr, int32_t(tp), ver, false), updtPreview);
}

bool playLayerPair(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxPair p;
    if (!readEventRecord(body, p))
        return false;
    switch (code) {
    case 5:
        return changed(mngr, EventLayerCombLower(paper, nullptr, p.idx0, false), updtPreview);
    case 64:
    case 65:
        return changed(mngr, eventLayerLink(paper, p.idx0, p.idx1, false));
    default:
        return false;
    }
}

bool playLayerData(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxData d;
    if (!readEventRecord(body, d))
        return false;
    switch (code) {
    case 10:
        return changed(mngr, eventLayerBindBelow(paper, nullptr, d.idx, d.d1, false), updtPreview);
    case 54:
        // The release answers whether it freed members, but it is recorded either way (a bottom
        // layer may only lose its own flag): any layer of the document plays.
        if (!paper.getLayerData(d.idx))
            return false;
        eventReleaseClippingGroup(paper, d.idx, false);
        return changed(mngr, true);
    case 55:
        return changed(mngr, eventBindClippingGroup(paper, d.idx, false), updtPreview);
    default:
        return false;
    }
}

bool playMove(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    bool ok = false;
    if (code == 6 || code == 66) {
        SEvLayerMove m;
        if (!readEventRecord(body, m))
            return false;
        ok = code == 6 ? eventLayerMove(paper, nullptr, m.idx, m.ofs.x, m.ofs.y, false)
                       : eventLayerLinkMove(paper, nullptr, m.idx, m.ofs, false);
    } else if (code == 7) {
        SEvLayerMoveEx m;
        if (!readEventRecord(body, m))
            return false;
        ok = eventLayerMoveEx(paper, nullptr, m.idx, m.f, m.ofs.x, m.ofs.y, m.ver, false);
    } else if (code == 12 || code == 67) {
        SEvLayerMoveSel m;
        if (!readEventRecord(body, m))
            return false;
        ok = code == 12 ? eventLayerSelectMove(paper, nullptr, m.idx, m.midx, m.ofs, false)
                        : eventLayerLinkSelectMove(paper, nullptr, m.idx, m.midx, m.ofs, false);
    } else if (code == 13) {
        SEvLayerMoveSelEx m;
        if (!readEventRecord(body, m))
            return false;
        ok = eventLayerSelectMoveEx(paper, nullptr, m.idx, m.midx, m.t, m.ofs, false);
    }
    return changed(mngr, ok, updtPreview);
}

bool playGroupLevel(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SGroupLevelTables t;
    if (!decodeGroupLevelPacket(body, t))
        return false;
    return changed(mngr, eventLayerGroup(paper, nullptr, t.idx, code == 0, false), updtPreview);
}

bool playGroupData(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxData d;
    if (!readEventRecord(body, d))
        return false;
    bool ok = false;
    switch (code) {
    case 8:
        ok = eventLayerGroupDelete(paper, nullptr, d.idx, false);
        break;
    case 11:
        ok = eventLayerGroupInsert(paper, nullptr, d.idx, int32_t(d.d1 & 0xFFFF), d.d0, false);
        break;
    case 12:
        ok = eventLayerGroupBind(paper, nullptr, d.idx, d.d0, false);
        break;
    case 13:
        ok = eventGroupDelLayers(paper, nullptr, d.idx, d.d0, false);
        break;
    default:
        return false;
    }
    return changed(mngr, ok, updtPreview);
}

bool playGroupMove(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvGroupMove m;
    if (!readEventRecord(body, m) || m.d0 > 0xFFFF)
        return false;
    const int32_t cnt = int32_t(m.d0);
    const bool ok = code == 9
                        ? eventLayerGroupMove(paper, nullptr, m.idx, cnt, m.ofs, false)
                        : eventLayerGroupSelectMove(paper, nullptr, m.idx, m.midx, cnt, m.ofs,
                                                    false);
    return changed(mngr, ok, updtPreview);
}

} // namespace

void registerLayerStructureReplayRows()
{
    for (uint8_t c : {7, 10})
        registerEventReplay(2, c, QStringLiteral("merge visible layers %1").arg(c), playBindAll);
    for (uint8_t c : {5, 64, 65})
        registerEventReplay(4, c, QStringLiteral("layer pair %1").arg(c), playLayerPair);
    for (uint8_t c : {10, 54, 55})
        registerEventReplay(4, c, QStringLiteral("layer merge or clipping %1").arg(c),
                            playLayerData);
    for (uint8_t c : {6, 7, 12, 13, 66, 67})
        registerEventReplay(4, c, QStringLiteral("layer move %1").arg(c), playMove);
    for (uint8_t c : {0, 1})
        registerEventReplay(5, c, QStringLiteral("group level %1").arg(c), playGroupLevel);
    for (uint8_t c : {8, 11, 12, 13})
        registerEventReplay(5, c, QStringLiteral("group command %1").arg(c), playGroupData);
    for (uint8_t c : {9, 10})
        registerEventReplay(5, c, QStringLiteral("group move %1").arg(c), playGroupMove);
}
