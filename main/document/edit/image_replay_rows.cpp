// The replay rows of pasting, the image commands and the paper changes: each checks its operands
// against the document and calls the operation with undo off.
#include "core/image/canvas.h"
#include "core/mask/mask_manager.h"
#include "document/edit/canvas_ops.h"
#include "document/edit/image_commands.h"
#include "document/edit/pasting.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_list_ops.h"
#include "document/events/event_manager.h"
#include "document/events/event_packets.h"
#include "document/events/event_replay.h"
#include "document/events/image_packet.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"

#include <bit>
#include <cstring>

namespace {

using enum udCmdName;

bool changed(CEventMngr &mngr, bool ok, uint16_t updt = updtRefresh | updtLayerWin)
{
    if (ok)
        mngr.playUpdt |= updt;
    return ok;
}

constexpr uint16_t kPaperChanged = updtRefresh | updtLayerWin | updtSize | updtPreview |
                                   updtSelectWin | updtCaption;

// The one-layer kinds by the last two bits of a code: left-right, top-bottom, half turn, invert.
udCmdName kindOfCode(uint8_t code)
{
    static constexpr udCmdName kKinds[4] = {udcnCmdFlipLR, udcnCmdFlipTB, udcnCmdRot180,
                                            udcnCmdNot};
    return kKinds[code & 3];
}

// ---- group 2

bool playResize(CEventMngr &mngr, TPaper &paper, uint8_t, std::span<const uint8_t> body)
{
    SEvCanvasSize c;
    if (!readEventRecord(body, c))
        return false;
    return changed(mngr, eventEditResize(paper, nullptr, c.w, c.h, c.place, c.ver, false),
                   kPaperChanged);
}

bool playResolution(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvCanvasResolution c;
    if (!readEventRecord(body, c))
        return false;
    bool ok;
    if (code == 3)
        ok = eventEditResolutionOld(paper, nullptr, c.w, c.h, c.ver, false);
    else if (code == 9)
        ok = eventEditResolutionHQ(paper, nullptr, c.w, c.h, c.ver, false);
    else
        ok = eventEditResolutionHQ2(paper, nullptr, c.w, c.h, c.ver, false);
    return changed(mngr, ok, kPaperChanged);
}

bool playRotateAll(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t>)
{
    return changed(mngr, paper.getLayerCount() > 0 &&
                             EventEditRotate(paper, nullptr, code == 4, false),
                   kPaperChanged);
}

bool playCrop(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    bool ok;
    if (code == 6) {
        SEvCanvasCrop c;
        ok = readEventRecord(body, c) && eventEditCrop(paper, nullptr, c.idx, c.box, false, 0);
    } else {
        SEvCanvasCropEx c;
        ok = readEventRecord(body, c) &&
             eventEditCrop(paper, nullptr, c.idx, c.box, false, c.ver);
    }
    return changed(mngr, ok, kPaperChanged);
}

bool playSeveralLayers(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t>)
{
    // 16-19 the visible layers, 32-35 all; the several-layer kind is the one-layer kind + 5.
    const udCmdName cn = udCmdName(int(kindOfCode(code)) + 5);
    return changed(mngr, code < 32 ? eventVisLayerCmd(paper, nullptr, cn, false)
                                   : eventAllLayerCmd(paper, nullptr, cn, false));
}

// ---- group 4

bool playLayerGeometry(CEventMngr &mngr, TPaper &paper, uint8_t code,
                       std::span<const uint8_t> body)
{
    SEvIdxPair p;
    if (!readEventRecord(body, p) || !paper.getLayerData(p.idx0))
        return false;
    bool ok;
    if (code == 8)
        ok = eventLayerCutOutside(paper, nullptr, p.idx0, false);
    else if (code == 36 || code == 37)
        ok = eventLayerRotate90(paper, nullptr, p.idx0, code == 36, false);
    else
        ok = eventLayerCmd(paper, nullptr, p.idx0, kindOfCode(code), false);
    return changed(mngr, ok);
}

bool playLayerTransform(CEventMngr &mngr, TPaper &paper, uint8_t code,
                        std::span<const uint8_t> body)
{
    SEvIdxData d;
    if (!readEventRecord(body, d) || !paper.getLayerData(d.idx))
        return false;
    bool ok;
    switch (code) {
    case 38:
        ok = eventLayerRotate(paper, nullptr, d.idx, std::bit_cast<float>(d.d1), false);
        break;
    case 40:
        ok = eventLayerRotate2(paper, nullptr, d.idx, std::bit_cast<float>(d.d1), false);
        break;
    case 39:
        ok = eventLayerZoom(paper, nullptr, d.idx, int32_t(d.d1), int32_t(d.d2), false);
        break;
    default:
        ok = eventLayerZoom2(paper, nullptr, d.idx, int32_t(d.d1), int32_t(d.d2), false);
        break;
    }
    return changed(mngr, ok);
}

bool playLayerCmdInSelection(CEventMngr &mngr, TPaper &paper, uint8_t code,
                             std::span<const uint8_t> body)
{
    SEvIdxData d;
    if (!readEventRecord(body, d) || !paper.getLayerData(d.idx))
        return false;
    // The mask as recorded: 0xFFFF is the current one, anything else must exist.
    const int32_t midx = d.d0 == 0xFFFF ? -1 : int32_t(d.d0);
    if (midx >= 0 && !paper.maskMngr().chkIndex(midx))
        return false;
    return changed(mngr, eventLayerCmdEx(paper, nullptr, d.idx, midx, kindOfCode(code), d.d1 != 0,
                                         false));
}

// ---- group 12

QString wideName(const QByteArray &bytes)
{
    QString s(qsizetype(bytes.size() / 2), Qt::Uninitialized);
    std::memcpy(s.data(), bytes.constData(), size_t(s.size()) * 2);
    if (const qsizetype end = s.indexOf(QChar(0)); end >= 0)
        s.truncate(end);
    return s;
}

// 2 and 5 start a document from an image: a layer of the image's size takes the place of layer
// idx's size when they differ.
bool fitFirstLayer(TPaper &paper, int32_t idx, const TMTC &img)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (ld && ld->imageTC->FPSZ() == img.FPSZ())
        return true;
    if (CreateLayer(paper, 0, img.width(), img.height(), TLayerMode::LM_STD, 255, true) < 0)
        return false;
    return paper.layerMngr().deleteAt(1) || paper.getLayerCount() == 1;
}

bool playImage(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvImagePacket pk;
    if (!readImagePacket(body, pk))
        return false;
    const SOlyHeader *hdr = pk.hasHeader ? &pk.header : nullptr;
    const int32_t idx = pk.desc.idx;
    const bool wide = code >= 3;
    const QString name = wide ? wideName(pk.name) : QString();
    const QString *nam = pk.name.isEmpty() ? nullptr : &name;
    const QByteArray *ansi = pk.name.isEmpty() ? nullptr : &pk.name;
    bool ok = false;
    switch (code) {
    case 2:
    case 5:
        if (!fitFirstLayer(paper, idx, *pk.image))
            return false;
        [[fallthrough]];
    case 0:
    case 3:
        if (!paper.getLayerData(idx))
            return false;
        ok = wide ? eventLayerPaste(paper, nullptr, idx, *pk.image, hdr, nam, false)
                  : eventLayerPasteA(paper, nullptr, idx, *pk.image, hdr, ansi, false);
        break;
    case 1:
        ok = eventPasteNewLayerA(paper, nullptr, *pk.image, hdr, ansi, false);
        break;
    default:
        ok = eventPasteNewLayer(paper, nullptr, *pk.image, hdr, nam, false);
        break;
    }
    return changed(mngr, ok, updtRefresh | updtPreview | updtLayerWin);
}

} // namespace

void registerImageReplayRows()
{
    registerEventReplay(2, 2, QStringLiteral("canvas size"), playResize);
    for (uint8_t c : {3, 9, 12})
        registerEventReplay(2, c, QStringLiteral("resolution %1").arg(c), playResolution);
    for (uint8_t c : {4, 5})
        registerEventReplay(2, c, QStringLiteral("image turn %1").arg(c), playRotateAll);
    for (uint8_t c : {6, 11})
        registerEventReplay(2, c, QStringLiteral("crop %1").arg(c), playCrop);
    for (uint8_t c : {16, 17, 18, 19, 32, 33, 34, 35})
        registerEventReplay(2, c, QStringLiteral("layers command %1").arg(c), playSeveralLayers);
    for (uint8_t c : {8, 32, 33, 34, 35, 36, 37})
        registerEventReplay(4, c, QStringLiteral("layer geometry %1").arg(c), playLayerGeometry);
    for (uint8_t c : {38, 39, 40, 41})
        registerEventReplay(4, c, QStringLiteral("layer transform %1").arg(c), playLayerTransform);
    for (uint8_t c : {48, 49, 50, 51})
        registerEventReplay(4, c, QStringLiteral("layer command in selection %1").arg(c),
                            playLayerCmdInSelection);
    for (uint8_t c = 0; c <= 5; ++c)
        registerEventReplay(12, c, QStringLiteral("image %1").arg(c), playImage);
}
