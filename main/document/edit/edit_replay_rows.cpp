// The replay rows of the document's creation, the layer-list operations and the layer attributes
// that need an operation: each checks its operands against the document and calls the operation
// with undo off. The status operations of the canvas colour and the active layer are installed
// here too.
#include "document/edit/edit_ops.h"
#include "document/edit/layer_attr.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/files/new_document.h"
#include "document/paper/paper.h"

#include <QStringDecoder>

#include <cstring>

namespace {

constexpr uint8_t kModeCount = uint8_t(TLayerMode::LM_MAX_NUM);

// The name after a fixed part of size fixed: len bytes, UTF-16 (wide) or Shift_JIS, cut at its
// terminator. False when the name does not lie inside the body.
bool readName(std::span<const uint8_t> body, size_t fixed, size_t len, bool wide, QString &name)
{
    if (fixed > body.size() || len > body.size() - fixed || (wide && len % 2 != 0))
        return false;
    const uint8_t *p = body.data() + fixed;
    if (wide) {
        QString s(qsizetype(len / 2), Qt::Uninitialized);
        std::memcpy(s.data(), p, len);
        name = s;
    } else {
        QStringDecoder dec("Shift_JIS");
        name = dec(QByteArrayView(reinterpret_cast<const char *>(p), qsizetype(len)));
    }
    if (const qsizetype end = name.indexOf(QChar(0)); end >= 0)
        name.truncate(end);
    return true;
}

bool sideOk(int32_t v)
{
    return v >= 1 && v <= kMaxPaperSide;
}

// What every row that changed the layer list asks of the window after the step.
bool layersChanged(CEventMngr &mngr, bool ok)
{
    if (ok)
        mngr.playUpdt |= updtRefresh | updtLayerWin;
    return ok;
}

bool playCreation(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    // A creation only starts a document: one that has layers is not made again.
    if (paper.getLayerCount() > 0)
        return false;
    bool ok;
    if (code == 0) {
        SEvCanvasCreate c;
        if (!readEventRecord(body, c))
            return false;
        // The older creation packet carries no flags: the canvas colour shows and the layer is
        // opaque, as documents were made then.
        ok = eventEditCreate(paper, paper.m_filename, nullptr, c.pw, c.ph, c.lw, c.lh,
                             paper.m_paperDPI, false, false);
    } else {
        SEvCanvasCreate2 c;
        if (!readEventRecord(body, c))
            return false;
        ok = eventEditCreate(paper, paper.m_filename, nullptr, c.pw, c.ph, c.lw, c.lh, c.dpi,
                             canvasFlagSet(c.ctp), canvasFlagSet(c.ltp));
    }
    if (ok)
        mngr.playUpdt |= updtRefresh | updtLayerWin | updtSize | updtCaption | updtPreview;
    return ok;
}

bool playPaperColor(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvCanvasColor c;
    if (!readEventRecord(body, c) || !EventEditPC(paper, c.color, false))
        return false;
    mngr.playUpdt |= updtRefresh;
    return true;
}

// 2/24-26: the visibility of all layers. A show or hide that finds nothing to do (a version-36
// stream's older rule) plays as nothing, as it did when it was recorded.
bool playGlobalVis(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxPair p;
    if (!readEventRecord(body, p) || !paper.getLayerData(p.idx0))
        return false;
    if (code == 24)
        eventLayerVisAll(paper, p.idx0, p.idx1 != 0, false);
    else if (code == 25)
        eventLayerVisOnly(paper, p.idx0, false);
    else
        eventLayerVisFlip(paper, p.idx0, false);
    return layersChanged(mngr, true);
}

bool playLayerCreate(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvLayerCreate c;
    if (!readEventRecord(body, c) || !sideOk(c.w) || !sideOk(c.h) || c.lm >= kModeCount)
        return false;
    return layersChanged(mngr, eventLayerAdd(paper, nullptr, c.idx, c.w, c.h, TLayerMode(c.lm),
                                             c.trn, (c.flags & 1) != 0, false));
}

bool playLayerCreateEx(CEventMngr &mngr, TPaper &paper, uint8_t code,
                       std::span<const uint8_t> body)
{
    SEvLayerCreateEx c;
    QString name;
    if (!readEventRecord(body, c) || !sideOk(c.w) || !sideOk(c.h) || c.lm >= kModeCount ||
        !readName(body, sizeof c, c.nameLen, code == 14, name))
        return false;
    return layersChanged(mngr, eventLayerAddEx(paper, nullptr, c.idx, c.w, c.h, TLayerMode(c.lm),
                                               c.trn, c.col, name, (c.flags & 1) != 0, false));
}

bool playLayerCmd(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvIdxPair p;
    if (!readEventRecord(body, p) || !paper.getLayerData(p.idx0))
        return false;
    switch (code) {
    case 1:
        return layersChanged(mngr, EventLayerDelete(paper, nullptr, p.idx0, false));
    case 2:
        return layersChanged(mngr, EventLayerClear(paper, nullptr, p.idx0, false));
    case 3:
        return layersChanged(mngr, eventLayerCopy(paper, nullptr, p.idx0, false));
    case 4:
        return layersChanged(mngr, EventLayerInsert(paper, nullptr, p.idx0, p.idx1, false));
    case 24:
        return layersChanged(mngr, eventLayerMaskFill(paper, nullptr, p.idx0, p.idx1, false));
    case 25:
        return layersChanged(mngr, eventLayerMaskNega(paper, nullptr, p.idx0, false));
    default:
        return false;
    }
}

bool playLayerName(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvNameHead h;
    QString name;
    if (!readEventRecord(body, h) || !readName(body, sizeof h, h.len, code == 26, name))
        return false;
    return layersChanged(mngr, eventLayerName(paper, nullptr, h.idx, name, false));
}

bool playMaskProtected(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvLayerAttr a;
    if (!readEventRecord(body, a) || !paper.getLayerData(a.idx))
        return false;
    return layersChanged(mngr, eventLayerMaskProtected(paper, a.idx, (a.flags & 2) ? 1 : 0, false));
}

bool playGroupVisible(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvIdxData d;
    if (!readEventRecord(body, d))
        return false;
    const int32_t cnt = int32_t(d.d1 >> 16);
    return layersChanged(mngr, eventLayerGroupVisible(paper, d.idx, cnt, (d.d1 & 0xFFFF) != 0,
                                                      false));
}

} // namespace

void registerEditReplayRows()
{
    for (uint8_t c : {0, 8})
        registerEventReplay(2, c, QStringLiteral("canvas creation %1").arg(c), playCreation);
    registerEventReplay(2, 1, QStringLiteral("canvas colour"), playPaperColor);
    for (uint8_t c : {24, 25, 26})
        registerEventReplay(2, c, QStringLiteral("all layers' visibility %1").arg(c),
                            playGlobalVis);
    registerEventReplay(4, 0, QStringLiteral("layer add"), playLayerCreate);
    for (uint8_t c : {11, 14})
        registerEventReplay(4, c, QStringLiteral("layer add filled %1").arg(c), playLayerCreateEx);
    for (uint8_t c : {1, 2, 3, 4, 24, 25})
        registerEventReplay(4, c, QStringLiteral("layer command %1").arg(c), playLayerCmd);
    for (uint8_t c : {19, 26})
        registerEventReplay(4, c, QStringLiteral("layer name %1").arg(c), playLayerName);
    registerEventReplay(4, 20, QStringLiteral("layer protection"), playMaskProtected);
    registerEventReplay(5, 16, QStringLiteral("group visibility"), playGroupVisible);

    SEvReplayOps &ops = eventReplayOps();
    ops.editPC = [](TPaper &paper, uint32_t color) { return EventEditPC(paper, color, false); };
    ops.layerActive = [](TPaper &paper, int32_t layer) {
        return EventLayerActive(paper, nullptr, layer);
    };
}
