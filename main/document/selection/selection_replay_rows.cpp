// The replay rows of the selection operations: each checks the recorded operands against the
// document and calls the operation with undo off.
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/paper/paper.h"
#include "document/selection/selection_grow.h"
#include "document/selection/selection_ops.h"

#include <QStringDecoder>

#include <cstring>

namespace {

// A 16-bit mask index as the packets carry it: 0xFFFF is -1 (the current mask).
int32_t maskIndex16(uint16_t v)
{
    return int32_t(int16_t(v));
}

bool layerOk(const TPaper &paper, int32_t idx)
{
    return idx >= 0 && idx <= paper.MaxLayer();
}

// -1 or an existing mask.
bool maskOk(const TPaper &paper, int32_t midx)
{
    return midx == -1 || paper.maskMngr().chkIndex(midx);
}

bool masksChanged(CEventMngr &mngr, bool ok)
{
    if (ok)
        mngr.playUpdt |= updtRefresh | updtSelectWin;
    return ok;
}

bool playSelectCmd(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxPair p;
    if (!readEventRecord(body, p))
        return false;
    const int32_t idx = p.idx0, midx = maskIndex16(p.idx1);
    const int32_t count = paper.maskMngr().getMaskCount();
    // Insert and make-current may name the index one past the list.
    const bool past = code == 0 || code == 5;
    if (!layerOk(paper, idx) || !(maskOk(paper, midx) || (past && midx == count)))
        return false;
    bool ok = false;
    switch (code) {
    case 0:
        ok = eventSelectInsert(paper, nullptr, idx, midx, false);
        break;
    case 1:
        ok = eventSelectDelete(paper, nullptr, idx, false);
        break;
    case 2:
        ok = eventSelectRemove(paper, nullptr, idx, midx, false);
        break;
    case 3:
        ok = eventSelectInvert(paper, nullptr, idx, false);
        break;
    case 4:
        ok = eventSelectDuplicate(paper, nullptr, idx, midx, false);
        break;
    case 5:
        ok = midx >= 0 && eventSelectActivate(paper, nullptr, idx, midx, false);
        break;
    case 6:
        ok = eventSelectCutOutside(paper, nullptr, idx, midx, false);
        break;
    case 11:
        ok = eventSelectSplitLayer(paper, nullptr, idx, midx, 0, false, false);
        if (ok)
            mngr.playUpdt |= updtLayerWin;
        break;
    case 20:
        ok = eventSelectAll(paper, nullptr, idx, false);
        break;
    case 21:
        ok = eventSelectCopyLayerMask(paper, nullptr, idx, midx, false);
        break;
    default:
        return false;
    }
    return masksChanged(mngr, ok);
}

bool playSelectData(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxData d;
    if (!readEventRecord(body, d))
        return false;
    const int32_t idx = d.idx, midx = maskIndex16(d.d0);
    if (!layerOk(paper, idx) || !maskOk(paper, midx))
        return false;
    bool ok = false;
    switch (code) {
    case 7:
        ok = eventSelectMove(paper, nullptr, idx, int32_t(d.d1), midx, false);
        break;
    case 8:
        ok = eventMoveActiveMask(paper, {int32_t(d.d1), int32_t(d.d2)}, false);
        break;
    case 9:
        ok = d.d2 < kMaskAddTypeCount &&
             eventSelectBind(paper, nullptr, idx, int32_t(d.d1), midx, eMaskAddType(d.d2), false);
        break;
    case 10:
        if (d.d1 > 1 || d.d2 > 1)
            return false;
        ok = d.d2 == 0 ? eventSelectInflate(paper, nullptr, idx, midx, d.d1 != 0, false)
                       : eventSelectInflate2(paper, nullptr, idx, midx, d.d1 != 0, false);
        break;
    case 13:
    case 14: {
        // The state carries visible in the low half and enabled in the high half.
        const uint32_t to = d.d2;
        if ((to & 0xFFFF) > 1 || (to >> 16) > 1)
            return false;
        if (code == 13)
            eventMaskVisible(paper, (to & 0xFFFF) != 0, false);
        else
            eventMaskEnable(paper, (to >> 16) != 0, false);
        ok = true;
        break;
    }
    case 22:
        ok = d.d1 <= 1 && eventSelectFromLayer(paper, nullptr, idx, midx, eMaskLayerConv(d.d1),
                                               eMaskAddType::matNew, false);
        break;
    case 24: {
        // Version in the low half, copy in byte 2.
        const uint32_t ver = d.d1 & 0xFFFF;
        if (ver > 1 || d.d2 != 0)
            return false;
        ok = eventSelectSplitLayer(paper, nullptr, idx, midx, int32_t(ver), (d.d1 >> 16) != 0,
                                   false);
        if (ok)
            mngr.playUpdt |= updtLayerWin;
        break;
    }
    case 25:
    case 26: {
        const int32_t n = int32_t(d.d1 & 0xFFFF), variant = int32_t(d.d1 >> 16);
        ok = code == 25 ? growSelection(paper, idx, midx, n, variant, false)
                        : shrinkSelection(paper, idx, midx, n, variant, false);
        break;
    }
    default:
        return false;
    }
    return masksChanged(mngr, ok);
}

// 4/9: the selected part of a layer cut (the clipboard is not touched in a replay).
bool playCutLayer(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvIdxPair p;
    if (!readEventRecord(body, p))
        return false;
    const int32_t idx = p.idx0, midx = maskIndex16(p.idx1);
    if (!layerOk(paper, idx) || !maskOk(paper, midx))
        return false;
    return masksChanged(mngr, eventEditCutLayer(paper, nullptr, idx, midx, false));
}

bool playSelectName(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvNameHead h;
    // 15 carries UTF-16, the older 12 8-bit Shift_JIS.
    const bool wide = code == 15;
    if (!readEventRecord(body, h) || (wide && h.len % 2 != 0) || h.len > body.size() - sizeof h)
        return false;
    QString name;
    if (wide) {
        name = QString(qsizetype(h.len / 2), Qt::Uninitialized);
        std::memcpy(name.data(), body.data() + sizeof h, h.len);
    } else {
        QStringDecoder dec("Shift_JIS");
        name = dec(QByteArrayView(reinterpret_cast<const char *>(body.data() + sizeof h),
                                  qsizetype(h.len)));
    }
    if (const qsizetype end = name.indexOf(QChar(0)); end >= 0)
        name.truncate(end);
    return masksChanged(mngr, eventSelectName(paper, nullptr, paper.ActiveLayer(), h.idx, name,
                                              false));
}

} // namespace

void registerSelectionReplayRows()
{
    for (uint8_t c : {0, 1, 2, 3, 4, 5, 6, 11, 20, 21})
        registerEventReplay(10, c, QStringLiteral("selection command %1").arg(c), playSelectCmd);
    for (uint8_t c : {7, 8, 9, 10, 13, 14, 22, 24, 25, 26})
        registerEventReplay(10, c, QStringLiteral("selection command %1").arg(c), playSelectData);
    for (uint8_t c : {12, 15})
        registerEventReplay(10, c, QStringLiteral("selection name %1").arg(c), playSelectName);
    registerEventReplay(4, 9, QStringLiteral("cut the selected part"), playCutLayer);

    SEvReplayOps &ops = eventReplayOps();
    ops.selectActivate = [](TPaper &paper, int32_t mask) {
        return eventSelectActivate(paper, nullptr, paper.ActiveLayer(), mask, false);
    };
    ops.maskEnable = [](TPaper &paper, bool enable) {
        eventMaskEnable(paper, enable, false);
        return paper.bEnbMask == enable || !paper.maskMngr().hasActiveMask();
    };
}
