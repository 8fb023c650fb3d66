// Layer groups (links) in the event stream: the three pushes of group 5 and the decoder of the
// level tables that the group-level packets carry.
#include "document/events/layer_group_events.h"
#include "document/events/event_manager.h"

#include <vector>

bool CEventMngr::pushEventGroupIn(int32_t idx, bool in, int32_t cnt, const uint8_t *tbl0,
                                  const uint8_t *tbl1)
{
    if (!canRecord() || cnt < 0 || cnt > 0xFFFF || (cnt > 0 && (!tbl0 || !tbl1)))
        return false;
    SEvLinkLevel b;
    b.idx = uint16_t(uint32_t(idx));
    b.cnt = uint16_t(cnt);
    b.elemSize = 1;
    b.tables = 2;
    b.total = uint32_t(cnt) * 2;
    std::vector<uint8_t> tables(size_t(cnt) * 2);
    if (cnt > 0) {
        std::memcpy(tables.data(), tbl0, size_t(cnt));
        std::memcpy(tables.data() + cnt, tbl1, size_t(cnt));
    }
    return pushCommand(5, in ? 0 : 1, &b, sizeof b, 2, false, tables.data(), b.total);
}

bool CEventMngr::pushEventGroupData2(uint8_t code, int32_t idx, uint16_t d0, uint32_t d1,
                                     uint32_t d2)
{
    if (code != 8 && code != 11 && code != 12 && code != 13 && code != 16)
        return false;
    const SEvIdxData b{uint16_t(uint32_t(idx)), d0, d1, d2};
    return pushCommand(5, code, &b, sizeof b, 2, false);
}

bool CEventMngr::pushEventGroupMovePos(uint8_t code, int32_t idx, int32_t midx, const sPos &ofs,
                                       uint32_t d0, uint32_t d1)
{
    if (code != 9 && code != 10)
        return false;
    SEvGroupMove b;
    b.idx = uint16_t(uint32_t(idx));
    b.midx = uint16_t(uint32_t(midx));
    b.ofs = ofs;
    b.d0 = d0;
    b.d1 = d1;
    return pushCommand(5, code, &b, sizeof b, 2, false);
}

bool decodeGroupLevelPacket(std::span<const uint8_t> body, SGroupLevelTables &out)
{
    SEvLinkLevel h;
    if (!readEventRecord(body, h))
        return false;
    // One byte per element, two tables of cnt bytes, all of them inside the body.
    if (h.elemSize != 1 || h.tables != 2 || (h.total & 1) != 0 ||
        uint64_t(h.total) != uint64_t(h.cnt) * 2 || body.size() - sizeof h < h.total)
        return false;
    out.idx = h.idx;
    out.in = false;
    const uint8_t *p = body.data() + sizeof h;
    out.before.assign(p, p + h.cnt);
    out.after.assign(p + h.cnt, p + 2 * size_t(h.cnt));
    return true;
}
