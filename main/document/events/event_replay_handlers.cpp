// The replay rows of the player's own families: status, information, the document's control
// packets (begin, end, the object maps) and the layer attributes written straight into the layer.
#include "core/image/canvas.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/events/image_packet.h"
#include "format/layer_header.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "paint/gradient/gradation.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"

#include <cmath>
#include <cstring>

namespace {

// A recorded Single inside the range its setter keeps (NaN is outside every range).
bool inRange(float v, float lo, float hi)
{
    return v >= lo && v <= hi;
}

uint32_t rgbOf(sBGR c)
{
    return uint32_t(c.R) << 16 | uint32_t(c.G) << 8 | uint32_t(c.B);
}

// A status whose operation is not built yet: refused, naming it.
bool refuseMissing(CEventMngr &mngr, const char *op)
{
    mngr.playError = QStringLiteral("%1 is not built yet").arg(QString::fromLatin1(op));
    return false;
}

template <class T> bool storeStatus(CEventMngr &mngr, uint8_t code, const T &rec)
{
    bEvEnbF e;
    if (statusElementOf(code, e) != eStatusKind::element)
        return false;
    mngr.storeStatusValue(e, &rec, sizeof rec);
    mngr.evEnbStat.add(e);
    return true;
}

bool playAppStat(CEventMngr &mngr, std::span<const uint8_t> body)
{
    SEvAppStat st;
    if (!readEventRecord(body, st))
        return false;
    if (st.extFlags != 0) {
        showWarning(QStringLiteral("eventMngr::readAppStat: extFlags version error!"));
        return false;
    }
    return storeStatus(mngr, 0, st);
}

bool playPaperColor(CEventMngr &mngr, TPaper &paper, std::span<const uint8_t> body)
{
    SEvPaperColor pc;
    if (!readEventRecord(body, pc))
        return false;
    const uint32_t col = rgbOf(pc.color);
    if ((paper.m_canvascolor & 0xFFFFFF) != col) {
        if (!eventReplayOps().editPC)
            return refuseMissing(mngr, "EventEditPC");
        if (!eventReplayOps().editPC(paper, col))
            return false;
    }
    return storeStatus(mngr, 2, pc);
}

bool playBgColor(CEventMngr &mngr, TPaper &paper, std::span<const uint8_t> body)
{
    SEvBgColor bg;
    if (!readEventRecord(body, bg))
        return false;
    mngr.playStroke->m_bgCol = rgbOf(bg.color);
    paper.switchVisCanvasColor(!(bg.flags & 1), (bg.flags & 2) != 0, true);
    return storeStatus(mngr, 3, bg);
}

bool playGradPos(CEventMngr &mngr, TPaper &paper, std::span<const uint8_t> body)
{
    SEvGradPos gp;
    if (!readEventRecord(body, gp))
        return false;
    setGradationFX(paper, sFXPos{gp.fxpos0.x, gp.fxpos0.y}, sFXPos{gp.fxpos1.x, gp.fxpos1.y});
    return storeStatus(mngr, 4, gp);
}

bool playGradType(CEventMngr &mngr, TPaper &paper, std::span<const uint8_t> body)
{
    SEvGradType gt;
    if (!readEventRecord(body, gt))
        return false;
    // A type out of range (a recording without a gradient) leaves the gradient as it is.
    setGradType(paper, gt.kind, gt.map, gt.rep, gt.repCnt);
    return storeStatus(mngr, 5, gt);
}

bool playTarget(CEventMngr &mngr, TPaper &paper, std::span<const uint8_t> body)
{
    SEvTrgtObj to;
    if (!readEventRecord(body, to))
        return false;
    const int32_t active = paper.ActiveLayer();
    const int32_t activeMask = paper.getActiveMaskIndex();
    const int32_t layer = to.layer == 0xFFFF ? active : to.layer;
    const int32_t mask = to.select == 0xFFFF ? activeMask : to.select;
    if (!paper.getLayerData(layer) ||
        (mask != activeMask && (mask < 0 || mask > paper.maskMngr().getMaxIndex())))
        return false;
    const bool onlyLayer = mngr.evEnbStat.has(enbTrgtObj);
    const bool layerChange = layer != active;
    const bool maskChange = !onlyLayer && mask != activeMask;
    if (layerChange && !eventReplayOps().layerActive)
        return refuseMissing(mngr, "EventLayerActive");
    if (maskChange && !eventReplayOps().selectActivate)
        return refuseMissing(mngr, "eventSelectActivate");
    if (layerChange) {
        if (!eventReplayOps().layerActive(paper, layer))
            return false;
        mngr.playUpdt |= updtLayerWin;
    }
    if (maskChange) {
        if (!eventReplayOps().selectActivate(paper, mask))
            return false;
        mngr.playUpdt |= updtSelectWin;
    }
    TStroke &st = *mngr.playStroke;
    const bool prot = paper.getLayerData(layer)->maskProtected;
    if (st.m_bProtectMask != prot) {
        st.m_bProtectMask = prot;
        mngr.playUpdt |= updtLayerWin;
    }
    st.m_drawLayer = layer;
    return storeStatus(mngr, 8, to);
}

bool playFlags(CEventMngr &mngr, TPaper &paper, std::span<const uint8_t> body)
{
    SEvFlags fl;
    if (!readEventRecord(body, fl))
        return false;
    const bool enable = (fl.flags & 1) != 0;
    if (enable != paper.bEnbMask) {
        if (!eventReplayOps().maskEnable)
            return refuseMissing(mngr, "eventMaskEnable");
        if (!eventReplayOps().maskEnable(paper, enable))
            return false;
    }
    TStroke &st = *mngr.playStroke;
    st.m_bUseTone = (fl.flags & 2) != 0;
    st.m_bUseGradation = (fl.flags & 8) != 0;
    if (mngr.getRecordedVersion() < 206) {
        const bool prot = (fl.flags & 4) != 0;
        st.m_bProtectMask = prot;
        if (CLayerData *ld = paper.getActiveLayerData())
            ld->maskProtected = prot;
    }
    return storeStatus(mngr, 12, fl);
}

bool playPenFlags(CEventMngr &mngr, std::span<const uint8_t> body)
{
    SEvPenFlags pf;
    if (!readEventRecord(body, pf))
        return false;
    TStroke &st = *mngr.playStroke;
    st.SetPenIfSize((pf.flags & 1) != 0);
    st.SetPenIfTrans((pf.flags & 2) != 0);
    st.SetPenIfEdge((pf.flags & 4) != 0);
    return storeStatus(mngr, 13, pf);
}

bool playPenAttr1(CEventMngr &mngr, std::span<const uint8_t> body)
{
    SEvPenAttr pa;
    if (!readEventRecord(body, pa) || pa.mode >= uint8_t(TDrawMode::DM_MAX_NUM) ||
        !std::isfinite(float(pa.opaque)))
        return false;
    TStroke &st = *mngr.playStroke;
    st.SetDrawColor(rgbOf(pa.color));
    st.SetDrawMode(TDrawMode(pa.mode));
    st.m_opaque = pa.opaque;
    return storeStatus(mngr, 16, pa);
}

bool playPenSize(CEventMngr &mngr, std::span<const uint8_t> body)
{
    SEvPenSize sz;
    if (!readEventRecord(body, sz) || !std::isfinite(float(sz.size)) || !inRange(sz.min, 0, 100))
        return false;
    mngr.playStroke->SetPenWidth(sz.size);
    mngr.playStroke->SetPenMin(sz.min);
    return storeStatus(mngr, 17, sz);
}

bool playPenEffect(CEventMngr &mngr, std::span<const uint8_t> body)
{
    SEvPenEffect ef;
    if (!readEventRecord(body, ef) || ef.gradmap >= uint8_t(eAirMap::ABMAP_MAX_NUM) ||
        !inRange(ef.effect, 0, 100) || !inRange(ef.env, 0, 100) || !inRange(ef.speed, 0, 100) ||
        !std::isfinite(float(ef.gamma)) || !inRange(ef.space, 0, 2))
        return false;
    TStroke &st = *mngr.playStroke;
    st.SetPenEffect(ef.effect);
    st.SetPenEnv(ef.env);
    st.SetPenSpeed(ef.speed);
    st.SetPenGamma(ef.gamma);
    st.m_penSpacing = ef.space;
    st.m_abMap = eAirMap(ef.gradmap);
    return storeStatus(mngr, 18, ef);
}

bool playStoredOnly(CEventMngr &mngr, uint8_t code, std::span<const uint8_t> body)
{
    bEvEnbF e;
    if (statusElementOf(code, e) != eStatusKind::element)
        return false;
    if (code == 33) {
        // UTF-16 text after its 4-byte length.
        const size_t chars = body.size() > 4 ? (body.size() - 4) / 2 : 0;
        QString text(qsizetype(chars), Qt::Uninitialized);
        std::memcpy(text.data(), body.data() + 4, chars * 2);
        const qsizetype end = text.indexOf(QChar(0));
        mngr.fontText = end >= 0 ? text.left(end) : text;
    }
    mngr.storeStatusValue(e, body.data(), uint32_t(body.size()));
    mngr.evEnbStat.add(e);
    return true;
}

bool playTexture(CEventMngr &mngr, uint8_t code, std::span<const uint8_t> body)
{
    SEvImagePacket pk;
    if (!readImagePacket(body, pk))
        return false;
    (code == 128 ? mngr.playTC0 : mngr.playTC1) = std::move(pk.image);
    return true;
}

} // namespace

bool playStatusPacket(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    if (!mngr.playStroke)
        return false;
    switch (code) {
    case 0:
        return playAppStat(mngr, body);
    case 2:
        return playPaperColor(mngr, paper, body);
    case 3:
        return playBgColor(mngr, paper, body);
    case 4:
        return playGradPos(mngr, paper, body);
    case 5:
        return playGradType(mngr, paper, body);
    case 8:
        return playTarget(mngr, paper, body);
    case 12:
        return playFlags(mngr, paper, body);
    case 13:
        return playPenFlags(mngr, body);
    case 16:
        return playPenAttr1(mngr, body);
    case 17:
        return playPenSize(mngr, body);
    case 18:
        return playPenEffect(mngr, body);
    case 32:
    case 33:
    case 34:
        return playStoredOnly(mngr, code, body);
    case 128:
    case 129:
        return playTexture(mngr, code, body);
    case 136:
        mngr.playColorRange.assign(body.begin(), body.end());
        return true;
    default:
        if (code == 36 || code == 37 || code == 40 || (code >= 44 && code <= 75))
            return mngr.playPaintParamStatus(code, body);
        return false;
    }
}

bool playInfoPacket(CEventMngr &mngr, TPaper &, uint8_t code, std::span<const uint8_t> body)
{
    uint32_t len = 0;
    if (!readEventU32(body, 0, len))
        return false;
    if (code == 17 && len == sizeof(SSystemTime) && body.size() >= 4 + sizeof(SSystemTime))
        std::memcpy(&mngr.infoSysTime, body.data() + 4, sizeof(SSystemTime));
    return true;
}

bool playDocumentControl(CEventMngr &mngr, TPaper &, uint8_t code, std::span<const uint8_t>)
{
    if (code == 254) {
        mngr.mapToneObj.removeAll();
        mngr.mapPenShapeObj.removeAll();
        mngr.playPenShapeList.clear();
        return true;
    }
    if (code == 255) {
        mngr.evEnbStat.add(enbPlayEnding);
        return true;
    }
    return false;
}

bool playLayerAttr(CEventMngr &mngr, TPaper &paper, uint8_t code, std::span<const uint8_t> body)
{
    SEvLayerAttr a;
    SEvLayerDither d;
    if (code == 21) {
        if (!readEventRecord(body, d))
            return false;
        a = d.attr;
    } else if (!readEventRecord(body, a)) {
        return false;
    }
    CLayerData *ld = paper.getLayerData(a.idx);
    if (!ld || a.mode >= uint8_t(TLayerMode::LM_MAX_NUM))
        return false;
    ld->mode = TLayerMode(a.mode);
    ld->trans = a.trans;
    ld->visible = (a.flags & 1) != 0;
    ld->ChangeUnderLyrClip((a.flags & 4) != 0);
    if (code == 21) {
        ld->ditherEnable = (a.flags & 0x10) != 0;
        ld->dither = d.dither;
        ld->setDitherState(d.randState);
    }
    UpdateVRAM(paper, false, true);
    PreviewRefresh(paper, false, a.idx);
    mngr.playUpdt |= updtRefresh | updtLayerWin;
    return true;
}

void registerStrokeReplayRows(); // event_replay_strokes.cpp
void registerEditReplayRows();   // document/edit/edit_replay_rows.cpp
void registerImageReplayRows();  // document/edit/image_replay_rows.cpp
void registerLayerStructureReplayRows(); // document/edit/layer_structure_replay_rows.cpp
void registerSelectionReplayRows(); // document/selection/selection_replay_rows.cpp
void registerFigureReplayRows();    // document/selection/figure_fill_ops.cpp
void registerColourRangeReplayRows(); // document/selection/colour_range.cpp
void registerSeedFillReplayRows();    // document/selection/seed_fill_ops.cpp
void registerTransformReplayRows();   // document/transform/transform_driving.cpp
void registerSelectDeleteReplayRow(); // document/selection/select_delete.cpp
void registerTextReplayRows();        // document/edit/text_commit.cpp

void registerOwnReplayRows()
{
    for (int c = 0; c < 256; ++c) {
        registerEventReplay(0, uint8_t(c), QStringLiteral("status %1").arg(c), playStatusPacket);
        registerEventReplay(1, uint8_t(c), QStringLiteral("information %1").arg(c), playInfoPacket);
    }
    registerEventReplay(2, 254, QStringLiteral("begin"), playDocumentControl);
    registerEventReplay(2, 255, QStringLiteral("end"), playDocumentControl);
    for (uint8_t c : {16, 17, 18, 21, 52, 53})
        registerEventReplay(4, c, QStringLiteral("layer attribute %1").arg(c), playLayerAttr);
    registerStrokeReplayRows();
    registerEditReplayRows();
    registerImageReplayRows();
    registerLayerStructureReplayRows();
    registerSelectionReplayRows();
    registerFigureReplayRows();
    registerColourRangeReplayRows();
    registerSeedFillReplayRows();
    registerTransformReplayRows();
    registerSelectDeleteReplayRow();
    registerTextReplayRows();
    const QString filters = QStringLiteral("no filter replay entry is installed");
    for (uint8_t g : {32, 33, 34, 35, 38})
        for (int c = 0; c < 256; ++c)
            refuseEventReplay(g, uint8_t(c), filters);
}
