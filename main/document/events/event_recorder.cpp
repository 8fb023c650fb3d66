// The recorder part of CEventMngr: lifecycle, packet writing with rollback, event boundaries,
// status values and their sets, information packets, strokes, event undo and redo, the end
// packet, continuing a recording, and the withdraw guard.
#include "document/events/event_manager.h"

#include "document/events/event_record_guard.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "paint/gradient/gradation.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"

#include <algorithm>
#include <new>

namespace {

const char16_t kRecordFailedText[] =
    u"イベント記録中に例外が発生しました!\r以降のイベント記録は停止します...";

sBGR toBGR(uint32_t c)
{
    return sBGR{uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)};
}

uint16_t index16(int32_t i)
{
    return uint16_t(uint32_t(i));
}

enum eStatusSet
{
    kSetNone = 0,
    kSetControl = 1,
    kSetBasic = 2,
    kSetAll = 3,
};

// The map's entries (the maps hold only a few ids: tones and nibs of one recording).
std::vector<std::pair<uint32_t, uint32_t>> mapEntries(CMapDD &m)
{
    std::vector<std::pair<uint32_t, uint32_t>> out;
    uint32_t pos = m.getStartPosition();
    while (pos != 0) {
        uint32_t k = 0, v = 0;
        if (!m.getNextAssoc(pos, k, v))
            break;
        out.emplace_back(k, v);
    }
    return out;
}

void setMapEntries(CMapDD &m, const std::vector<std::pair<uint32_t, uint32_t>> &entries)
{
    m.removeAll();
    for (const auto &[k, v] : entries)
        m.setAt(k, v);
}

} // namespace

namespace {

// The status codes that record a value, with the element of each.
struct SStatusElement
{
    uint8_t code;
    bEvEnbF element;
};
constexpr SStatusElement kStatusElements[] = {
    {0, enbAppStat},          {2, enbPaperColor},       {3, enbBgColor},
    {4, enbGradPos},          {5, enbGradType},         {8, enbTrgtObj},
    {12, enbEvFlags},         {13, enbPenFlags},        {16, enbPenAttr},
    {17, enbPenSize},         {18, enbPenEffect},       {32, enbFontAttr},
    {33, enbFontText},        {34, enbFontAttr},        {36, enbToneObj},
    {37, enbToneObj},         {40, enbGradGroup},       {44, enbPen4ShapeID},
    {45, enbPen4ShapeID},     {48, enbPen4Map},         {50, enbPen4Color},
    {52, enbPen4Param},       {53, enbPen4Attr},        {56, enbPen4RenderMode},
    {57, enbPen4RenderParam}, {58, enbPen4RenderOpt},   {60, enbPen4StrokeParam},
    {64, enbPen5Map},         {65, enbPen5Color},       {66, enbPen5Param},
    {67, enbPen5Attr},        {68, enbPen5RenderMode},  {69, enbPen5RenderParam},
    {70, enbPen5RenderOpt},   {71, enbPen5StrokeParam}, {74, enbPen5ShapeID},
    {75, enbPen5ShapeID},
};

} // namespace

eStatusKind statusElementOf(uint8_t code, bEvEnbF &e)
{
    for (const SStatusElement &row : kStatusElements) {
        if (row.code == code) {
            e = row.element;
            return eStatusKind::element;
        }
    }
    // Data for the next packet (textures, colour range): no recorded value.
    if (code == 128 || code == 129 || code == 136)
        return eStatusKind::noElement;
    return eStatusKind::unknown;
}

// ---- Lifecycle ----

bool CEventMngr::isActive() const
{
    return isInitOK() && evTopTable.isValid() && limitLen > 0 && !segments.empty();
}

bool CEventMngr::start(TStroke *strk, CToneMngr *tone, int32_t bk, int32_t fr)
{
    if (!isInitOK())
        return false;
    stopRecording();
    if (!evTopTable.alloc(bk, fr))
        return false;
    ownerStroke = strk;
    ownerToneMngr = tone;
    updateStrokeMngr();
    return restart();
}

bool CEventMngr::startRecording(TStroke *strk, CToneMngr *tone, int32_t bk, int32_t fr)
{
    if (!start(strk, tone, bk, fr))
        return false;
    curStatus = eEvStat::esRecording;
    return writeControlStatus();
}

void CEventMngr::stopRecording()
{
    freeSegments();
    curLength = 0;
    topEventPos = 0;
    eventCnt = 0;
    playTopPos = playEventTop = playEventCnt = 0;
    evTopTable.restart();
    evEnbStat.clear();
    for (auto &v : statusValues)
        v.clear();
    fontText.clear();
    mapToneObj.removeAll();
    mapPenShapeObj.removeAll();
    curGradGroup.reset(16);
    strokeCnt = strokeTotalCnt = strokePacketCnt = 0;
    curStatus = eEvStat::esNothing;
}

SEvEnbSet CEventMngr::disableEnbStat(bool)
{
    const SEvEnbSet current = evEnbStat;
    evEnbStat.remove(enbTrgtObj);
    return current;
}

void CEventMngr::updateStrokeMngr()
{
    ownerStrokeMngr = m_owner ? int(m_owner->strokeMngr) : 0;
}

bool CEventMngr::changeBufSize(int32_t bk, int32_t fr)
{
    return evTopTable.realloc(bk, fr);
}

// ---- Packets ----

bool CEventMngr::recordingFailed()
{
    // Later events would replay on a state this one never reached: recording stops for real.
    curStatus = eEvStat::esNothing;
    showWarning(QString::fromUtf16(kRecordFailedText));
    return false;
}

bool CEventMngr::appendBytes(const void *src, uint32_t len)
{
    return len == 0 || writeDataEx(src, len) == len;
}

bool CEventMngr::writePacketWith(SEventHdr hdr, const std::function<bool()> &body)
{
    if (!canRecord())
        return true;
    const uint32_t saved = curLength;
    bool ok = false;
    try {
        ok = appendBytes(&hdr, sizeof hdr) && body();
    } catch (const std::exception &) {
        ok = false;
    }
    if (ok)
        return true;
    curLength = saved;
    return recordingFailed();
}

bool CEventMngr::writePacket(SEventHdr hdr, const void *body, uint32_t bodyLen, const void *extra,
                             uint32_t extraLen)
{
    return writePacketWith(hdr, [&] {
        return appendBytes(body, bodyLen) && (!extra || appendBytes(extra, extraLen));
    });
}

bool CEventMngr::endEvent()
{
    // A new event ends what could be redone; the first one (after everything was undone, too)
    // takes the current place.
    if (eventCnt == 0)
        evTopTable.clearForeCnt();
    const bool ok =
        eventCnt == 0 ? evTopTable.setValue(topEventPos) : evTopTable.addValue(topEventPos);
    if (!ok)
        return false;
    ++eventCnt;
    topEventPos = curLength;
    return true;
}

// ---- Status values ----

void CEventMngr::storeStatusValue(bEvEnbF e, const void *src, uint32_t size)
{
    auto &v = statusValues[size_t(e)];
    const auto *b = static_cast<const uint8_t *>(src);
    v.assign(b, b + size);
    evEnbStat.add(e);
}

int CEventMngr::writeStatusIfChanged(uint8_t code, const void *record, uint32_t size, bEvEnbF e)
{
    if (!canRecord())
        return 0;
    const auto &v = statusValues[size_t(e)];
    if (evEnbStat.has(e) && v.size() == size && std::memcmp(v.data(), record, size) == 0)
        return 0;
    // The value counts as recorded only once its packet is in the stream.
    if (!writePacket({0, code}, record, size))
        return 2;
    storeStatusValue(e, record, size);
    return 1;
}

bool CEventMngr::writeControlStatus()
{
    if (!canRecord())
        return true;
    SEvAppStat st;
    st.verMajor = 5;
    st.verMinor = 104;
    return writeStatusIfChanged(0, &st, sizeof st, enbAppStat) != 2;
}

bool CEventMngr::writeBasicStatus()
{
    if (!canRecord())
        return true;
    if (!writeControlStatus())
        return false;
    const TPaper *paper = m_owner;
    const TStroke *strk = ownerStroke;

    SEvPaperColor pc;
    pc.color = toBGR(paper ? paper->m_canvascolor : 0xFFFFFF);
    SEvBgColor bg;
    bg.color = toBGR(strk ? strk->m_bgCol : 0xFFFFFF);
    if (paper && !paper->bVisCanvasCol)
        bg.flags |= 1;
    if (paper && paper->bVisBGPat)
        bg.flags |= 2;
    SEvGradPos gp;
    SEvGradType gt;
    if (const CGradation *g = paper ? paper->grad() : nullptr) {
        gp.fxpos0 = sPos{g->fxpos0.x, g->fxpos0.y};
        gp.fxpos1 = sPos{g->fxpos1.x, g->fxpos1.y};
        gt.kind = g->gradAttr.gradType;
        gt.map = g->gradAttr.gradMap;
        gt.rep = g->gradAttr.gradRep;
        gt.repCnt = uint16_t(g->gradAttr.gradRepCnt);
    }
    if (writeStatusIfChanged(2, &pc, sizeof pc, enbPaperColor) == 2 ||
        writeStatusIfChanged(3, &bg, sizeof bg, enbBgColor) == 2 ||
        writeStatusIfChanged(4, &gp, sizeof gp, enbGradPos) == 2 ||
        writeStatusIfChanged(5, &gt, sizeof gt, enbGradType) == 2)
        return false;

    // The target is written with every basic set, changed or not.
    SEvTrgtObj to;
    to.layer = index16(paper ? paper->ActiveLayer() : 0);
    to.select = index16(paper ? paper->getActiveMaskIndex() : 0);
    if (!writePacket({0, 8}, &to, sizeof to))
        return false;
    storeStatusValue(enbTrgtObj, &to, sizeof to);

    SEvFlags fl;
    if (paper && paper->bEnbMask)
        fl.flags |= 1;
    if (strk && strk->m_bUseTone)
        fl.flags |= 2;
    if (strk && strk->m_bUseGradation)
        fl.flags |= 8;
    if (writeStatusIfChanged(12, &fl, sizeof fl, enbEvFlags) == 2)
        return false;
    if ((fl.flags & 2) && writeToneStatus() == 2)
        return false;
    if ((fl.flags & 8) && writeGradGroupStatus() == 2)
        return false;
    return true;
}

bool CEventMngr::writePen1Status()
{
    if (!canRecord())
        return true;
    const TStroke *s = ownerStroke;
    SEvPenFlags pf;
    SEvPenSize sz;
    SEvPenEffect ef;
    if (s) {
        pf.flags = uint16_t((s->m_penIfSize ? 1 : 0) | (s->m_penIfTrans ? 2 : 0) |
                            (s->m_penIfEdge ? 4 : 0));
        sz.size = s->m_penWidth;
        sz.min = s->m_penMin;
        ef.effect = s->m_penEffect;
        ef.env = s->m_penEnv;
        ef.speed = s->m_penSpeed;
        ef.gamma = s->m_penGamma;
        ef.space = s->m_penSpacing;
        ef.gradmap = uint8_t(s->m_abMap);
    }
    return writeStatusIfChanged(13, &pf, sizeof pf, enbPenFlags) != 2 && writePenAttrStatus() &&
           writeStatusIfChanged(17, &sz, sizeof sz, enbPenSize) != 2 &&
           writeStatusIfChanged(18, &ef, sizeof ef, enbPenEffect) != 2;
}

bool CEventMngr::writePenAttrStatus()
{
    if (!canRecord())
        return true;
    SEvPenAttr pa;
    if (const TStroke *s = ownerStroke) {
        pa.color = toBGR(s->m_drawColor);
        pa.mode = uint8_t(s->m_drawMode);
        pa.opaque = s->m_opaque;
    }
    return writeStatusIfChanged(16, &pa, sizeof pa, enbPenAttr) != 2;
}

bool CEventMngr::writeAllStatus()
{
    if (!canRecord())
        return true;
    return writeBasicStatus() && writePen1Status() && writePen4Status() && writePen5Status();
}

bool CEventMngr::writeStatusSet(int set)
{
    switch (set) {
    case kSetControl:
        return writeControlStatus();
    case kSetBasic:
        return writeBasicStatus();
    case kSetAll:
        return writeAllStatus();
    default:
        return true;
    }
}

bool CEventMngr::writeFontAttr(const LOGFONTW &lf, int32_t spac, int32_t lead)
{
    if (!canRecord())
        return true;
    SEvFontAttr fa;
    fa.lfont = lf;
    fa.spacing = uint16_t(spac);
    fa.leading = uint16_t(lead);
    // Written always: the text packet that follows reads it.
    if (!writePacket({0, 34}, &fa, sizeof fa))
        return false;
    storeStatusValue(enbFontAttr, &fa, sizeof fa);
    return true;
}

bool CEventMngr::writeFontText(const QString &text)
{
    if (!canRecord())
        return true;
    // UTF-16 with its terminator, the length rounded up to even (it always is).
    const uint32_t bytes = uint32_t(text.size() + 1) * 2;
    if (bytes > 0xFFFF)
        return false;
    std::vector<uint8_t> body(2 + bytes, 0);
    const uint16_t len = uint16_t(bytes);
    std::memcpy(body.data(), &len, 2);
    std::memcpy(body.data() + 2, text.utf16(), size_t(text.size()) * 2);
    if (!writePacket({0, 33}, body.data(), uint32_t(body.size())))
        return false;
    fontText = text;
    storeStatusValue(enbFontText, body.data() + 2, bytes);
    return true;
}

bool CEventMngr::writeInfoSysTime()
{
    if (!canRecord())
        return true;
    const SSystemTime now = getSystemTimeUtc();
    const uint32_t len = sizeof now;
    if (!writePacket({1, 17}, &len, sizeof len, &now, sizeof now))
        return false;
    infoSysTime = now;
    return true;
}

bool CEventMngr::writeInfoAll()
{
    return writeInfoSysTime();
}

// ---- Strokes ----

bool CEventMngr::pushEventStrokeBegin(float x, float y, float p)
{
    if (!canRecord() || !m_owner)
        return false;
    uint8_t grp = 0;
    bool ok = false;
    switch (m_owner->actPaintLevel) {
    case ePaintLevel::PAINT_LEVEL_qZ2:
        grp = 23;
        ok = writeBasicStatus() && writePen1Status();
        break;
    case ePaintLevel::PAINT_LEVEL_qZ4:
        grp = 48;
        ok = writeBasicStatus() && writePenAttrStatus() && writePen4Status();
        break;
    case ePaintLevel::PAINT_LEVEL_qZ5:
        grp = 80;
        ok = writeBasicStatus() && writePenAttrStatus() && writePen5Status();
        break;
    default:
        return false; // the oldest level is not recorded
    }
    if (!ok)
        return false;
    if (ownerStroke && ownerStroke->m_bDrawShape)
        grp = uint8_t(grp + 1);
    SEvStrokeTarget tg;
    tg.layer = index16(ownerStroke ? ownerStroke->m_drawLayer : m_owner->ActiveLayer());
    tg.select = index16(m_owner->getActiveMaskIndex());
    if (!writePacket({grp, 0}, &tg, sizeof tg))
        return false;
    strokeTarget = tg;
    strokeCnt = strokeTotalCnt = strokePacketCnt = 0;
    strokeList[0] = {x, y, p};
    strokeCnt = strokeTotalCnt = 1;
    evEnbStat.add(enbStroking);
    return true;
}

bool CEventMngr::pushStrokePoint(float x, float y, float p)
{
    if (strokeCnt < 0 || strokeCnt > 16)
        return false;
    if (strokeCnt == 16 && !flushStrokePoints())
        return false;
    strokeList[size_t(strokeCnt)] = {x, y, p};
    ++strokeCnt;
    ++strokeTotalCnt;
    return true;
}

bool CEventMngr::flushStrokePoints()
{
    if (strokeCnt < 1 || strokeCnt > 16)
        return false;
    if (!writePacket({17, uint8_t(strokeCnt)}, strokeList.data(),
                     uint32_t(strokeCnt) * sizeof(SEvStrokePoint)))
        return false;
    strokeCnt = 0;
    ++strokePacketCnt;
    return true;
}

bool CEventMngr::pushEventStrokeAdd(float x, float y, float p)
{
    if (!canRecord() || !isStroking())
        return false;
    return pushStrokePoint(x, y, p);
}

bool CEventMngr::pushEventStrokeEnd()
{
    if (!canRecord() || !isStroking() || strokeCnt < 1 || strokeCnt > 16)
        return false;
    if (!writePacket({18, uint8_t(strokeCnt)}, strokeList.data(),
                     uint32_t(strokeCnt) * sizeof(SEvStrokePoint)) ||
        !endEvent())
        return false;
    evEnbStat.remove(enbStroking);
    strokeCnt = strokeTotalCnt = strokePacketCnt = 0;
    return true;
}

// ---- Event undo and redo ----

bool CEventMngr::forgetStatusOfPackets(uint32_t from, uint32_t to)
{
    bool known = true;
    const SEventWalkResult r = walkPackets(from, to, [&](const SEventPacketInfo &pk) {
        if (pk.hdr.group != 0)
            return true;
        bEvEnbF e = enbAppStat;
        const eStatusKind kind = statusElementOf(pk.hdr.code, e);
        if (kind == eStatusKind::unknown) {
            known = false;
            return false;
        }
        if (kind == eStatusKind::element)
            evEnbStat.remove(e);
        uint32_t serial = 0;
        const uint8_t c = pk.hdr.code;
        if ((c == 36 || c == 44 || c == 74) && readRecordAt(pk.pos + 2, serial)) {
            // The definition is gone: the next use must define the object again.
            (c == 36 ? mapToneObj : mapPenShapeObj).removeKey(serial);
        }
        return true;
    });
    return known && r.end == TEventWalkEnd::Clean;
}

bool CEventMngr::isWalkable(uint32_t from, uint32_t to) const
{
    bool known = true;
    const SEventWalkResult r = walkPackets(from, to, [&](const SEventPacketInfo &pk) {
        bEvEnbF e = enbAppStat;
        known = pk.hdr.group != 0 || statusElementOf(pk.hdr.code, e) != eStatusKind::unknown;
        return known;
    });
    return known && r.end == TEventWalkEnd::Clean;
}

bool CEventMngr::undoEvent()
{
    if (eventCnt == 0 || evTopTable.backCnt <= 0)
        return false;
    // The current place is the start of the last event. Its packets are checked before the ring
    // moves, so that a failed undo leaves the history as it was.
    const uint32_t s = evTopTable.getTopValue();
    if (s > topEventPos || !isWalkable(s, topEventPos))
        return false;
    if (evTopTable.foreCnt == 0) {
        // Keep the end of the stream so that the event can be redone.
        if (!evTopTable.addValue(topEventPos) || !evTopTable.last())
            return false;
    }
    forgetStatusOfPackets(s, topEventPos);
    evTopTable.last();
    topEventPos = curLength = s;
    --eventCnt;
    return true;
}

bool CEventMngr::redoEvent()
{
    if (evTopTable.foreCnt < 2 || !evTopTable.next())
        return false;
    uint32_t end = 0;
    const uint32_t start = evTopTable.getTopValue();
    if (!evTopTable.getValue(1, end) || end > limitLen || start > end)
        return false;
    topEventPos = curLength = end;
    ++eventCnt;
    remapIdsDefinedIn(start, end);
    return true;
}

void CEventMngr::remapIdsDefinedIn(uint32_t from, uint32_t to)
{
    // The redone event holds its tone and nib definitions again: a later use must refer to them
    // rather than define the same id a second time, which a replay refuses.
    walkPackets(from, to, [&](const SEventPacketInfo &pk) {
        const uint8_t c = pk.hdr.code;
        uint32_t serial = 0;
        if (pk.hdr.group == 0 && (c == 36 || c == 44 || c == 74) &&
            readRecordAt(pk.pos + 2, serial))
            (c == 36 ? mapToneObj : mapPenShapeObj).setAt(serial, pk.pos);
        return true;
    });
}

bool CEventMngr::clearUndo()
{
    // No event can be undone (or, without its undo, redone) any more; the stream stays.
    const bool had = evTopTable.backCnt > 0 || evTopTable.foreCnt > 0;
    evTopTable.clearForeCnt();
    evTopTable.backCnt = 0;
    return had;
}

bool CEventMngr::clearRedo()
{
    return evTopTable.clearForeCnt() > 0;
}

// ---- The end packet and withdrawing ----

bool CEventMngr::pushEventFin()
{
    if (!canRecord())
        return false;
    if (!writePacket({2, 255}, nullptr, 0) || !endEvent())
        return false;
    curStatus = eEvStat::esEnd;
    return true;
}

bool CEventMngr::dropLastEvent(uint32_t start)
{
    // Statuses written after the event belong to the next one; they go with it.
    if (!forgetStatusOfPackets(start, std::max(curLength, topEventPos)))
        return false;
    topEventPos = curLength = start;
    evTopTable.delValue();
    --eventCnt;
    return true;
}

bool CEventMngr::removeEventFin()
{
    if (curStatus != eEvStat::esEnd || eventCnt == 0)
        return false;
    const uint32_t start = evTopTable.getTopValue();
    bool isFin = false;
    walkPackets(start, topEventPos, [&](const SEventPacketInfo &pk) {
        if (pk.hdr.group <= 1)
            return true;
        isFin = pk.hdr == SEventHdr{2, 255} && pk.pos + 2 == topEventPos;
        return false;
    });
    if (!isFin || !dropLastEvent(start))
        return false;
    curStatus = eEvStat::esRecording;
    return true;
}

bool CEventMngr::withdrawLastEvent()
{
    if (!canRecord() || eventCnt == 0 || evTopTable.backCnt <= 0)
        return false;
    const uint32_t start = evTopTable.getTopValue();
    return start <= topEventPos && dropLastEvent(start);
}

// ---- Continuing ----

bool CEventMngr::startRecordingContinue(bool load)
{
    if (load && curStatus == eEvStat::esNothing)
        curStatus = eEvStat::esEnd;
    if (curStatus != eEvStat::esPlaying && curStatus != eEvStat::esEnd)
        return false;
    const bool playing = curStatus == eEvStat::esPlaying;
    if (evEnbStat.has(enbPlaying)) {
        // Cut at the start of the event being played: the stream ends on an event boundary.
        curLength = topEventPos = std::min(playEventTop, curLength);
        eventCnt = playEventCnt;
    }
    if (playing)
        shrinkBuffer();
    evEnbStat.clear();
    for (auto &v : statusValues)
        v.clear();
    fileLoaded = true;
    mapToneObj.removeAll();
    mapPenShapeObj.removeAll();
    // The managers may still hold the replay's stroke and renderers, which go now.
    if (m_owner)
        resetStrokeManagers(*m_owner);
    freePlayObjects();
    updateStrokeMngr();
    if (!playing && !load) {
        curStatus = eEvStat::esEnd;
        if (!removeEventFin())
            return false;
    }
    curStatus = eEvStat::esRecording;
    return true;
}

// ---- The withdraw guard ----

CEventRecordGuard::CEventRecordGuard(CEventMngr &mngr) : m_mngr(mngr)
{
    if (!mngr.isRecording())
        return;
    m_armed = true;
    m_curLength = mngr.curLength;
    m_topEventPos = mngr.topEventPos;
    m_eventCnt = mngr.eventCnt;
    const CRingBufDWORD &ring = mngr.evTopTable;
    if (ring.bufPtr)
        m_ring.assign(ring.bufPtr.get(), ring.bufPtr.get() + ring.bufLen);
    m_backCnt = ring.backCnt;
    m_foreCnt = ring.foreCnt;
    m_top = ring.topPtr ? ring.topPtr - ring.bufPtr.get() : 0;
    // Undone events lie past the end of the stream until they are redone: what this operation
    // writes there must not cost them their bytes when it is withdrawn.
    uint32_t redoEnd = 0;
    if (ring.foreCnt >= 2 && ring.getValue(ring.foreCnt, redoEnd) && redoEnd > m_curLength &&
        redoEnd <= mngr.limitLen) {
        m_redoBytes.resize(redoEnd - m_curLength);
        mngr.curLength = redoEnd;
        if (mngr.readDataEx(m_curLength, m_redoBytes.data(), uint32_t(m_redoBytes.size())) !=
            m_redoBytes.size())
            m_redoBytes.clear();
        mngr.curLength = m_curLength;
    }
    m_enb = mngr.evEnbStat;
    m_values = mngr.statusValues;
    m_fontText = mngr.fontText;
    m_toneMap = mapEntries(mngr.mapToneObj);
    m_nibMap = mapEntries(mngr.mapPenShapeObj);
    m_gradGroup = mngr.curGradGroup;
    m_strokeTarget = mngr.strokeTarget;
    m_strokeList = mngr.strokeList;
    m_strokeCnt = mngr.strokeCnt;
    m_strokeTotalCnt = mngr.strokeTotalCnt;
    m_strokePacketCnt = mngr.strokePacketCnt;
}

CEventRecordGuard::~CEventRecordGuard()
{
    if (m_armed && !m_committed)
        restore();
}

void CEventRecordGuard::restore()
{
    CEventMngr &m = m_mngr;
    if (!m_redoBytes.empty())
        m.writeDataEx(m_curLength, m_redoBytes.data(), uint32_t(m_redoBytes.size()));
    m.curLength = std::min(m_curLength, m.limitLen);
    m.topEventPos = m_topEventPos;
    m.eventCnt = m_eventCnt;
    CRingBufDWORD &ring = m.evTopTable;
    if (ring.bufPtr && ring.bufLen == m_ring.size()) {
        std::memcpy(ring.bufPtr.get(), m_ring.data(), m_ring.size());
        ring.backCnt = m_backCnt;
        ring.foreCnt = m_foreCnt;
        ring.topPtr = ring.bufPtr.get() + m_top;
    }
    m.evEnbStat = m_enb;
    m.statusValues = m_values;
    m.fontText = m_fontText;
    setMapEntries(m.mapToneObj, m_toneMap);
    setMapEntries(m.mapPenShapeObj, m_nibMap);
    m.curGradGroup = m_gradGroup;
    m.strokeTarget = m_strokeTarget;
    m.strokeList = m_strokeList;
    m.strokeCnt = m_strokeCnt;
    m.strokeTotalCnt = m_strokeTotalCnt;
    m.strokePacketCnt = m_strokePacketCnt;
}
