// The player side of CEventMngr and the replay dispatch table.
#include "core/image/channel.h"
#include "document/events/event_codes.h"
#include "document/events/event_file.h"
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "format/chunk.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "paint/stroke/stroke.h"
#include "platform/system/debug_output.h"

#include <array>
#include <memory>
#include <mutex>
#include <vector>

namespace {

using TReplayTable = std::array<std::array<SEvReplayRow, 256>, 256>;

TReplayTable &replayTable()
{
    static auto *table = new TReplayTable();
    return *table;
}

bool isStatusOrInfo(SEventHdr hdr)
{
    return hdr.group <= 1;
}

bool isStrokeBegin(uint8_t g)
{
    return g == 16 || (g >= 20 && g <= 24) || g == 48 || g == 49 || g == 80 || g == 81;
}

bool isStrokePoints(uint8_t g)
{
    return g == 17 || g == 18;
}

} // namespace

void registerEventReplay(uint8_t group, uint8_t code, const QString &name, fptrEventReplay fn)
{
    SEvReplayRow &row = replayTable()[group][code];
    row.name = name;
    row.fn = std::move(fn);
}

void refuseEventReplay(uint8_t group, uint8_t code, const QString &why)
{
    SEvReplayRow &row = replayTable()[group][code];
    row.fn = nullptr;
    row.refusal = why;
}

const SEvReplayRow &eventReplayRow(SEventHdr hdr)
{
    return replayTable()[hdr.group][hdr.code];
}

SEvReplayOps &eventReplayOps()
{
    static SEvReplayOps ops;
    return ops;
}

void registerOwnReplayRows(); // event_replay_handlers.cpp

void initialiseEventReplay()
{
    static std::once_flag once;
    std::call_once(once, [] { registerOwnReplayRows(); });
}

// ---- Starting ----

QString CEventMngr::getPlayStartMessage(eEvStartStat stat)
{
    switch (stat) {
    case eEvStartStat::ersOK:
        return QStringLiteral("イベントファイル再生を開始します");
    case eEvStartStat::ersErrFile:
        return QStringLiteral("ファイルエラーによりイベント再生の開始に失敗しました!");
    case eEvStartStat::ersErrVersion:
        return QStringLiteral("バージョンエラーによりイベント再生の開始に失敗しました!");
    default:
        return QStringLiteral("何らかのエラーによりイベント再生の開始に失敗しました!");
    }
}

eEvStartStat CEventMngr::startPlaying(const QString &path)
{
    if (!m_owner)
        return eEvStartStat::ersErrOther;
    const uint8_t r = loadEventFile(path, *m_owner);
    if (r == CS_BAD_VERSION)
        return eEvStartStat::ersErrVersion;
    if (r != CS_OK)
        return eEvStartStat::ersErrFile;
    return beginPlaying(true);
}

eEvStartStat CEventMngr::beginPlaying(bool needCreation)
{
    initialiseEventReplay();
    if (!createPlayObjects())
        return eEvStartStat::ersErrOther;
    // The events played are counted in the ring, as recording would have.
    if (!evTopTable.isValid() && !evTopTable.alloc(256, 16))
        return eEvStartStat::ersErrOther;
    mapToneObj.removeAll();
    mapPenShapeObj.removeAll();
    playPenShapeList.clear();
    evEnbStat.clear();
    for (auto &v : statusValues)
        v.clear();
    playTopPos = playEventTop = playEventCnt = 0;
    playUpdt = 0;
    playError.clear();
    curStatus = eEvStat::esPlaying;
    if (m_owner) {
        // The document's stroke managers paint with the replay's stroke and renderers.
        m_owner->setPlayback(this);
        if (m_owner->isEventPlaying())
            setActiveObject(*m_owner);
    }
    if (needCreation) {
        SEventHdr hdr;
        do {
            if (!playPacket(hdr))
                return eEvStartStat::ersErrOther;
        } while (isStatusOrInfo(hdr));
        if (!(hdr.group == 2 && (hdr.code == 0 || hdr.code == 8)))
            return eEvStartStat::ersErrOther;
        if (!markPlayEvent())
            return eEvStartStat::ersErrOther;
    }
    evEnbStat.add(enbPlaying);
    return eEvStartStat::ersOK;
}

eEvStartStat CEventMngr::beginPlayingBlank(
    const std::function<bool(int32_t pw, int32_t ph, bool transparent)> &setup)
{
    if (beginPlaying(false) != eEvStartStat::ersOK)
        return eEvStartStat::ersErrOther;
    evEnbStat.remove(enbPlaying);
    for (;;) {
        SEventHdr hdr;
        if (!readRecordAt(playTopPos, hdr))
            return eEvStartStat::ersErrOther;
        if (isStatusOrInfo(hdr)) {
            if (!playPacket(hdr))
                return eEvStartStat::ersErrOther;
            continue;
        }
        if (hdr.group != 2 || (hdr.code != 0 && hdr.code != 8))
            return eEvStartStat::ersErrOther;
        const int64_t len = packetBodyLength(hdr, playTopPos + 2);
        if (len < 0 || uint64_t(playTopPos) + 2 + uint64_t(len) > curLength)
            return eEvStartStat::ersErrOther;
        int32_t pw = 0, ph = 0;
        bool transparent = false;
        if (hdr.code == 8) {
            SEvCanvasCreate2 c;
            if (!readRecordAt(playTopPos + 2, c))
                return eEvStartStat::ersErrOther;
            pw = c.pw;
            ph = c.ph;
            transparent = canvasFlagSet(c.ltp);
        } else {
            SEvCanvasCreate c;
            if (!readRecordAt(playTopPos + 2, c))
                return eEvStartStat::ersErrOther;
            pw = c.pw;
            ph = c.ph;
            transparent = true;
        }
        if (pw < 1 || ph < 1 || pw > 10000 || ph > 10000 || !setup(pw, ph, transparent))
            return eEvStartStat::ersErrOther;
        playTopPos += 2 + uint32_t(len);
        playEventHdr = hdr;
        if (!markPlayEvent())
            return eEvStartStat::ersErrOther;
        evEnbStat.add(enbPlaying);
        return eEvStartStat::ersOK;
    }
}

// ---- Flags ----

void CEventMngr::setPlayPause(bool sw)
{
    sw ? evEnbStat.add(enbPlayPause) : evEnbStat.remove(enbPlayPause);
}

void CEventMngr::setPlayWait(bool sw)
{
    sw ? evEnbStat.add(enbPlayWait) : evEnbStat.remove(enbPlayWait);
}

bool CEventMngr::isStrokeChanged() const
{
    return playStroke && playStroke->m_changed;
}

bool CEventMngr::setStrokeChanged(bool sw)
{
    if (!playStroke)
        return false;
    const bool old = playStroke->m_changed;
    playStroke->SetChanged(sw);
    return old;
}

float CEventMngr::getPlayProgress() const
{
    // An empty stream has nothing left to play.
    if (eventCnt == 0)
        return 0;
    return float(playEventCnt) * 100.0f / float(eventCnt);
}

// ---- Stepping ----

bool CEventMngr::markPlayEvent()
{
    const bool ok =
        playEventCnt == 0 ? evTopTable.setValue(playEventTop) : evTopTable.addValue(playEventTop);
    if (!ok)
        return false;
    ++playEventCnt;
    playEventTop = playTopPos;
    return true;
}

bool CEventMngr::playPacket(SEventHdr &hdr)
{
    playError.clear();
    const uint32_t at = playTopPos;
    if (!readRecordAt(at, hdr)) {
        playError = QStringLiteral("offset %1: no packet header").arg(at);
        return false;
    }
    const int64_t len = packetBodyLength(hdr, at + 2);
    if (len < 0 || uint64_t(at) + 2 + uint64_t(len) > curLength) {
        playError = QStringLiteral("offset %1: packet %2/%3 invalid or cut")
                        .arg(at)
                        .arg(hdr.group)
                        .arg(hdr.code);
        debugOut(playError);
        return false;
    }
    // Any packet but statuses, information and points first ends an open stroke.
    if (evEnbStat.has(enbPlayStroke) && !isStatusOrInfo(hdr) && !isStrokePoints(hdr.group)) {
        if (!playStrokeEnd() || !markPlayEvent()) {
            playError = QStringLiteral("offset %1: the open stroke cannot be ended").arg(at);
            return false;
        }
    }
    const SEvReplayRow &row = eventReplayRow(hdr);
    if (!row.registered()) {
        playError =
            QStringLiteral("offset %1: packet %2/%3 (%4) not played: %5")
                .arg(at)
                .arg(hdr.group)
                .arg(hdr.code)
                .arg(QString::fromLatin1(getEventCodeDotName(packetToEventCode(hdr))))
                .arg(row.refusal.isEmpty() ? QStringLiteral("unknown packet") : row.refusal);
        debugOut(playError);
        return false;
    }
    std::vector<uint8_t> body;
    body.resize(size_t(len));
    if (len > 0 && readDataEx(at + 2, body.data(), uint32_t(len)) != uint32_t(len)) {
        playError = QStringLiteral("offset %1: body cannot be read").arg(at);
        return false;
    }
    playTopPos = at + 2 + uint32_t(len);
    if (!m_owner || !row.fn(*this, *m_owner, hdr.code, body)) {
        // A row that refuses for a missing operation has said which.
        const QString why = playError;
        playError = QStringLiteral("offset %1: packet %2/%3 (%4) failed")
                        .arg(at)
                        .arg(hdr.group)
                        .arg(hdr.code)
                        .arg(row.name);
        if (!why.isEmpty())
            playError += QStringLiteral(": ") + why;
        debugOut(playError);
        return false;
    }
    return true;
}

eEvPlayStat CEventMngr::playEventSingle()
{
    if (isPlayPaused())
        return eEvPlayStat::epsWait;
    if (!isPlaying())
        return eEvPlayStat::epsError;
    if (evEnbStat.has(enbPlayStroke))
        return playStrokeStep();
    // The shape setup of the last stroke was undone at its end.
    evEnbStat.remove(enbPlayShape);
    evEnbStat.remove(enbStroking);
    evEnbStat.remove(enbPlayStroke);
    playUpdt = 0;
    SEventHdr hdr;
    eEvPlayStat result = eEvPlayStat::epsContinue;
    for (;;) {
        do {
            if (!playPacket(hdr))
                return eEvPlayStat::epsError;
        } while (isStatusOrInfo(hdr));
        if (evEnbStat.has(enbPlayEnding)) {
            evEnbStat.remove(enbPlayEnding);
            result = eEvPlayStat::epsEnd;
        }
        if (result != eEvPlayStat::epsContinue || !evEnbStat.has(enbPlayStroke))
            break;
        if (isStrokeBegin(hdr.group) ||
            (isStrokePoints(hdr.group) && !evEnbStat.has(enbPlayStrokeWait)))
            continue;
        if (isStrokePoints(hdr.group))
            break;
        return eEvPlayStat::epsError;
    }
    playEventHdr = hdr;
    if (!evEnbStat.has(enbPlayStroke) && !markPlayEvent())
        return eEvPlayStat::epsError;
    if (result == eEvPlayStat::epsEnd)
        curStatus = eEvStat::esEnd;
    return result;
}

eEvPlayStat CEventMngr::playStrokeToEnd()
{
    eEvPlayStat r = eEvPlayStat::epsContinue;
    while (evEnbStat.has(enbPlayStroke) && r == eEvPlayStat::epsContinue)
        r = playEventSingle();
    return r;
}
