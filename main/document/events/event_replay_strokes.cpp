// Replay of strokes: the begin packets of every stroke version and shape, the point packets, and
// the point-by-point stepping of the player.
#include "document/events/event_manager.h"
#include "document/events/event_replay.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"

#include <cmath>
#include <cstring>

namespace {

// Far outside any paper (sides are at most 10000), yet exact in a Single.
constexpr float kMaxPointCoord = 1.0e6f;

bool isShapeGroup(uint8_t g)
{
    return g == 20 || g == 22 || g == 24 || g == 49 || g == 81;
}

int32_t versionOfGroup(uint8_t g)
{
    switch (g) {
    case 16:
    case 20:
        return 0;
    case 21:
    case 22:
        return 1;
    case 23:
    case 24:
        return 2;
    case 48:
    case 49:
        return 4;
    default:
        return 5;
    }
}

ePaintLevel levelOfVersion(int32_t ver)
{
    return ver >= 5   ? ePaintLevel::PAINT_LEVEL_qZ5
           : ver == 4 ? ePaintLevel::PAINT_LEVEL_qZ4
                      : ePaintLevel::PAINT_LEVEL_qZ2;
}

// Shape strokes draw through the raw points with straight interpolation.
void setShapeManagers(TPaper &paper, bool level5)
{
    if (level5) {
        if (CStrokeMngr5 *m = paper.strokeMngr5()) {
            m->setInterpolateType(eInterpolateType::iptLinear);
            m->setSmoothLevel(0);
        }
    } else if (CStrokeMngr *m = paper.strokeMngr4()) {
        m->setCorrection(eCorrectType::corRaw);
    }
}

bool playBeginRow(CEventMngr &mngr, uint8_t grp, uint8_t code, std::span<const uint8_t> body)
{
    SEvStrokeTarget t;
    if (code != 0 || !readEventRecord(body, t))
        return false;
    return mngr.playStrokeBegin(grp, t.layer);
}

} // namespace

bool CEventMngr::playStrokeBegin(uint8_t grp, int32_t layer)
{
    TPaper &paper = *m_owner;
    if (!playStroke || !paper.getLayerData(layer))
        return false;
    if (evEnbStat.has(enbPlayStroke) && !playStrokeEnd())
        return false;
    const int32_t ver = versionOfGroup(grp);
    if (isShapeGroup(grp)) {
        const ePaintLevel lv = grp == 49   ? ePaintLevel::PAINT_LEVEL_qZ4
                               : grp == 81 ? ePaintLevel::PAINT_LEVEL_qZ5
                                           : ePaintLevel::PAINT_LEVEL_qZ2;
        if (!switchPaintLevel(paper, lv))
            return false;
        evEnbStat.add(enbPlayShape);
        playStroke->m_bRawPoint = true;
        playStroke->m_bDrawShape = true;
        setShapeManagers(paper, lv == ePaintLevel::PAINT_LEVEL_qZ5);
    }
    playPointCnt = playPointNext = 0;
    playStrokeVer = ver;
    playStroke->m_versionID = ver;
    playStroke->m_drawLayer = layer;
    evEnbStat.add(enbPlayStroke);
    evEnbStat.remove(enbPlayStrokeEnd);
    evEnbStat.has(enbPlayWait) ? evEnbStat.add(enbPlayStrokeWait)
                               : evEnbStat.remove(enbPlayStrokeWait);
    return true;
}

bool CEventMngr::playStrokePoint(const SEvStrokePoint &pt)
{
    TPaper &paper = *m_owner;
    TFlowImage *flow = paper.getActiveFlow();
    if (!flow || !playStroke)
        return false;
    TStroke &st = *playStroke;
    if (!evEnbStat.has(enbStroking)) {
        const ePaintLevel lv = levelOfVersion(playStrokeVer);
        if (!switchPaintLevel(paper, lv))
            return false;
        bool ok;
        if (playStrokeVer >= 5)
            ok = eventStrokeBegin5(paper, *flow, st, pt.x, pt.y, pt.p, false);
        else if (playStrokeVer == 4)
            ok = eventStrokeBegin4(paper, *flow, st, pt.x, pt.y, pt.p, false);
        else if (playStrokeVer < 2 || getRecordedVersion() <= 222)
            ok = EventStrokeBeginOld(paper, *flow, st, pt.x, pt.y, pt.p, false);
        else
            ok = eventStrokeBegin(paper, *flow, st, pt.x, pt.y, pt.p, false);
        if (!ok)
            return false;
        evEnbStat.add(enbStroking);
        return true;
    }
    if (playStrokeVer >= 5)
        eventStrokeAdd5(paper, *flow, st, pt.x, pt.y, pt.p, paper.owner(), false);
    else if (playStrokeVer == 4)
        eventStrokeAdd4(paper, *flow, st, pt.x, pt.y, pt.p, paper.owner(), false);
    else
        EventStrokeAdd(paper, *flow, st, pt.x, pt.y, pt.p, paper.owner(), false);
    return true;
}

bool CEventMngr::playStrokeEnd()
{
    TPaper &paper = *m_owner;
    const bool stroking = evEnbStat.has(enbStroking);
    if (evEnbStat.has(enbPlayShape) && playStroke) {
        playStroke->m_bRawPoint = false;
        playStroke->m_bDrawShape = false;
        if (paper.actPaintLevel < ePaintLevel::PAINT_LEVEL_qZ5)
            if (CStrokeMngr *m = paper.strokeMngr4())
                m->setCorrection(eCorrectType::corAvr);
    }
    evEnbStat.remove(enbStroking);
    evEnbStat.remove(enbPlayStroke);
    evEnbStat.remove(enbPlayStrokeWait);
    evEnbStat.remove(enbPlayStrokeEnd);
    playPointCnt = playPointNext = 0;
    if (!stroking)
        return true; // a stroke without points drew nothing
    TFlowImage *flow = paper.getActiveFlow();
    if (!flow || !playStroke)
        return false;
    sBox box;
    bool ok;
    if (playStrokeVer >= 5)
        ok = eventStrokeEnd5(paper, *flow, *playStroke, paper.owner(), box, false);
    else if (playStrokeVer == 4)
        ok = eventStrokeEnd4(paper, *flow, *playStroke, paper.owner(), box, false);
    else
        ok = EventStrokeEnd(paper, *flow, *playStroke, paper.owner(), box, false);
    if (ok)
        PreviewRefresh(paper, false, playStroke->m_drawLayer, box);
    playUpdt |= updtRefresh | updtPreview;
    return ok;
}

bool CEventMngr::playStrokePoints(uint8_t grp, uint8_t code, std::span<const uint8_t> body)
{
    if (code < 1 || code > 16 || body.size() != size_t(code) * sizeof(SEvStrokePoint))
        return false;
    // Positions and pressures come from the file: nothing that is not a finite number of a
    // sensible size reaches the stroke arithmetic.
    for (int i = 0; i < code; ++i) {
        SEvStrokePoint pt;
        std::memcpy(&pt, body.data() + size_t(i) * sizeof pt, sizeof pt);
        if (!std::isfinite(pt.x) || !std::isfinite(pt.y) || !std::isfinite(pt.p) ||
            std::fabs(pt.x) > kMaxPointCoord || std::fabs(pt.y) > kMaxPointCoord)
            return false;
    }
    if (!evEnbStat.has(enbPlayStroke)) {
        // Points without a begin: the open version, on the active layer.
        if (!m_owner->getLayerData(m_owner->ActiveLayer()))
            return false;
        playPointCnt = playPointNext = 0;
        playStroke->m_drawLayer = m_owner->ActiveLayer();
        evEnbStat.add(enbPlayStroke);
        evEnbStat.has(enbPlayWait) ? evEnbStat.add(enbPlayStrokeWait)
                                   : evEnbStat.remove(enbPlayStrokeWait);
    }
    std::memcpy(playPoints.data(), body.data(), body.size());
    playPointCnt = code;
    playPointNext = 0;
    if (evEnbStat.has(enbPlayStrokeWait)) {
        if (!playStrokePoint(playPoints[size_t(playPointNext++)]))
            return false;
        if (grp == 18) {
            if (playPointNext >= playPointCnt)
                return playStrokeEnd();
            evEnbStat.add(enbPlayStrokeEnd);
        }
        return true;
    }
    while (playPointNext < playPointCnt)
        if (!playStrokePoint(playPoints[size_t(playPointNext++)]))
            return false;
    return grp == 18 ? playStrokeEnd() : true;
}

eEvPlayStat CEventMngr::playStrokeStep()
{
    playUpdt = 0;
    if (playPointNext < playPointCnt) {
        if (!playStrokePoint(playPoints[size_t(playPointNext++)]))
            return eEvPlayStat::epsError;
        if (playPointNext >= playPointCnt && evEnbStat.has(enbPlayStrokeEnd)) {
            if (!playStrokeEnd() || !markPlayEvent())
                return eEvPlayStat::epsError;
        }
        return eEvPlayStat::epsContinue;
    }
    SEventHdr hdr;
    if (!readRecordAt(playTopPos, hdr))
        return eEvPlayStat::epsError;
    if (!playPacket(hdr))
        return eEvPlayStat::epsError;
    playEventHdr = hdr;
    const bool points = hdr.group == 17 || hdr.group == 18;
    if (evEnbStat.has(enbPlayEnding)) {
        evEnbStat.remove(enbPlayEnding);
        curStatus = eEvStat::esEnd;
        return eEvPlayStat::epsEnd;
    }
    // A step that closed the stroke, or played a command after it, ends an event.
    if (!evEnbStat.has(enbPlayStroke) && hdr.group > 1 && !markPlayEvent())
        return eEvPlayStat::epsError;
    (void)points;
    return eEvPlayStat::epsContinue;
}

void registerStrokeReplayRows()
{
    for (uint8_t g : {16, 20, 21, 22, 23, 24, 48, 49, 80, 81}) {
        for (int c = 0; c < 256; ++c)
            refuseEventReplay(g, uint8_t(c), QStringLiteral("a stroke begin has code 0"));
        registerEventReplay(
            g, 0, QStringLiteral("stroke begin %1").arg(g),
            [g](CEventMngr &m, TPaper &, uint8_t code, std::span<const uint8_t> body) {
                return playBeginRow(m, g, code, body);
            });
    }
    for (uint8_t g : {17, 18}) {
        for (int c = 1; c <= 16; ++c)
            registerEventReplay(
                g, uint8_t(c), QStringLiteral("stroke points %1").arg(g),
                [g](CEventMngr &m, TPaper &, uint8_t code, std::span<const uint8_t> body) {
                    return m.playStrokePoints(g, code, body);
                });
    }
}
