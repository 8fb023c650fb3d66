// TDrawWindow: replaying a recorded drawing process, one step at a time (event files of versions
// 2.2 to 5 through the recorder, version-1.1 streams through the document's analyser), with the
// pacing, the per-operation counts, ten progress thumbnails, pause and stop, and the end that
// turns the document into a normal recording one; and the two ways a window is filled from a
// file or an image (attachFile, afterLoadFile).
#include "windows/docwin/replay_driving.h"

#include "core/image/canvas.h"
#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/edit/pasting.h"
#include "document/events/event_codes.h"
#include "document/events/event_manager.h"
#include "document/events/legacy_event_stream.h"
#include "document/events/legacy_replay.h"
#include "document/files/clipboard.h"
#include "document/files/new_document.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_blend_table.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "format/layer_header.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"
#include "platform/system/clock.h"
#include "ui/dialogs/event_report.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/render_end.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <QFileInfo>
#include <QImage>

#include <algorithm>

namespace {

CAppProfile &profile()
{
    return *gAppProfile;
}

// The largest side a window is filled from.
constexpr int32_t kMaxAttachSide = 10000;
// The side of a progress thumbnail.
constexpr int32_t kIndexImageSide = 96;
// Version-1.1 replays step every 8 ms when paced.
constexpr uint32_t kWpeWait = 8;

// A render (not a viewer) plays as fast as it can: the same pixels and counts, no step held
// back for a display nobody watches.
bool replayPaced()
{
    return !(gRenderMode && !gViewerMode) && profile().eventWait > 0;
}

} // namespace

// ---- the driver

CReplayDriver::CReplayDriver(TDrawWindow &window, QObject *parent)
    : CReplayDriver(window, Step{}, parent)
{
}

CReplayDriver::CReplayDriver(TDrawWindow &window, Step step, QObject *parent)
    : QObject(parent), m_window(window), m_step(std::move(step))
{
    m_timer.setSingleShot(true);
    QObject::connect(&m_timer, &QTimer::timeout, this, [this] { tick(); });
}

void CReplayDriver::start()
{
    m_running = true;
    m_timer.start(0);
}

void CReplayDriver::stop()
{
    m_running = false;
    m_timer.stop();
}

void CReplayDriver::tick()
{
    if (!m_running)
        return;
    eEvPlayStat r = eEvPlayStat::epsEnd;
    if (m_window.m_eventPlaying) {
        ++m_steps;
        if (m_step)
            r = m_step();
        else
            r = m_window.eventType == eEventType::evtWPE ? m_window.playEventWPE()
                                                          : m_window.playEventQES();
    }
    if (!m_window.m_eventPlaying) {
        stop();
        if (onFinished)
            onFinished();
        return;
    }
    uint32_t delay = m_window.nextReplayDelay(timeGetTime());
    if (r == eEvPlayStat::epsWait && delay == 0)
        delay = kIdleRetryMs;
    m_timer.start(int(delay));
}

// ---- pacing and state

bool TDrawWindow::checkEventPlayWait(uint32_t time)
{
    if (!replayPaced())
        return false;
    const uint32_t wait =
        eventType == eEventType::evtWPE ? kWpeWait : uint32_t(profile().eventWait);
    // Unsigned differences: the comparison holds across the clock's wrap.
    if (time - m_eventThen >= wait) {
        m_eventThen = time;
        return false;
    }
    return true;
}

uint32_t TDrawWindow::nextReplayDelay(uint32_t now) const
{
    if (!replayPaced())
        return 0;
    const uint32_t wait =
        eventType == eEventType::evtWPE ? kWpeWait : uint32_t(profile().eventWait);
    const uint32_t gone = now - m_eventThen;
    return gone >= wait ? 0 : wait - gone;
}

float TDrawWindow::getEventPlayProgress() const
{
    if (eventType == eEventType::evtQES)
        return paper->eventMngr().getPlayProgress();
    return eventPacket ? eventPacket->Progress() : 0.0f;
}

bool TDrawWindow::supportEventPlayPause() const
{
    return eventType == eEventType::evtQES;
}

void TDrawWindow::pauseEventPlay(bool sw)
{
    if (!supportEventPlayPause() || !m_eventPlaying)
        return;
    paper->eventMngr().setPlayPause(sw);
    m_eventPaused = sw;
    IToolForm &tool = mainForm().toolForm();
    tool.setOptionViewCaption(QStringLiteral("%1 - %2").arg(
        QStringLiteral("イベント"), sw ? QStringLiteral("一時停止") : QStringLiteral("再生")));
    tool.setPlayGlyph(sw ? ePlayGlyph::qgPlay : ePlayGlyph::qgPause);
}

bool TDrawWindow::eventStopRecording(bool msg)
{
    if (!isEventRecording())
        return true;
    if (msg) {
        if (showConfirm(QStringLiteral("イベント記録を終了します。\r一度終了すると、記録を再開"
                                       "することはできません!"),
                        kavrin::cbOk | kavrin::cbCancel) != kavrin::mrOk)
            return false;
        if (showConfirm(QStringLiteral("今までのイベントを保存しますか?"),
                        kavrin::cbYes | kavrin::cbNo) == kavrin::mrYes)
            exportEventDlg();
    }
    paper->eventMngr().stopRecording();
    return true;
}

// ---- opening

// The window sized and cascaded, or fitted when it is maximised and fitting applies.
static void sizeForReplay(TDrawWindow &w, bool alt)
{
    if (w.placement.state == eWindowState::wsMaximized && w.CheckZoomAuto()) {
        if (!w.ZoomAuto(alt, (gAppProfile->EnbAutoSize & 4) == 0))
            w.initScrollPos();
    } else {
        w.formSizeCorrect(true);
        w.initScrollPos();
    }
}

static void resetReplayState(TDrawWindow &w)
{
    w.m_info.fill(0);
    for (auto &img : w.FIndexImages)
        img.reset();
    w.FWpeCount = 0;
    w.m_eventStop = false;
    w.m_eventPaused = false;
    w.insideEventPlay = false;
}

bool TDrawWindow::openQES(const QString &fname)
{
    resetReplayState(*this);
    CEventMngr &ev = paper->eventMngr();
    // The creation plays into this window's document as a replay.
    m_eventPlaying = true;
    eventType = eEventType::evtQES;
    setCurrentDrawWindow(this);
    const eEvStartStat st = ev.startPlaying(fname);
    if (st != eEvStartStat::ersOK) {
        m_eventPlaying = false;
        if (gRenderMode) {
            renderQuit(fname, st == eEvStartStat::ersErrHasImage ? 12 : 10);
        } else {
            m_mouseIgnored = true;
            showWarningEx(CEventMngr::getPlayStartMessage(st), nullptr, QString());
        }
        return false;
    }
    eventPath = fname;
    if (gRenderOutDir.isEmpty())
        gRenderOutDir = QFileInfo(fname).absolutePath();
    paper->m_filename = QFileInfo(fname).completeBaseName();
    m_eventThen = timeGetTime();
    eventPlayStartTime = m_eventThen;
    if (profile().PlayAntiOff)
        switchSmoothZoom(false);
    sizeForReplay(*this, false);
    updateCaption(false);
    dispatchDefaultGradType(*paper);
    QString ext;
    if (ev.getPlayFileVersion(ext) >= 32)
        startPaintModeQZ5(*paper);
    UpdateView(true);
    mainForm().toolForm().SetPlayMode(true);
    m_bEnabled = true;
    return true;
}

bool TDrawWindow::openWPE(const QString &fname)
{
    resetReplayState(*this);
    eventPacket = std::make_unique<TEventPacket>();
    TEventChecker check;
    bool ok = eventPacket->LoadFromFile(fname, check);
    if (ok) {
        eventPath = fname;
        if (gRenderOutDir.isEmpty())
            gRenderOutDir = QFileInfo(fname).absolutePath();
        eventType = eEventType::evtWPE;
        eventStopRecording(false);
        m_eventPlaying = true;
        m_eventThen = timeGetTime();
        eventPlayStartTime = m_eventThen;
        setDrawProcLevel1(*paper);
        paper->m_filename = QFileInfo(fname).completeBaseName();
        if (!eventStroke)
            eventStroke = std::make_unique<TStroke>(1);
        setCurrentDrawWindow(this);
        eventPacket->memory().First();
        bool refresh = false;
        uint16_t inst = 0;
        ok = EventAnalyze(*paper, flowImage.get(), *eventPacket, *eventStroke, this, refresh,
                          inst) &&
             paper->getLayerCount() > 0;
    }
    if (!ok) {
        m_eventPlaying = false;
        if (gRenderMode)
            renderQuit(fname, 10);
        return false;
    }
    sizeForReplay(*this, true);
    UpdateView(true);
    updateCaption(false);
    mainForm().toolForm().SetPlayMode(true);
    m_bEnabled = true;
    return true;
}

// ---- stepping

void TDrawWindow::makeIndexImage(int32_t k)
{
    if (k < 0 || k >= int32_t(FIndexImages.size()))
        return;
    const sSize ps = paper->m_paperSize;
    if (ps.x <= 0 || ps.y <= 0)
        return;
    const int32_t longer = std::max(ps.x, ps.y);
    const int32_t w = ps.x >= ps.y ? kIndexImageSide : ps.x * kIndexImageSide / longer;
    const int32_t h = ps.y >= ps.x ? kIndexImageSide : ps.y * kIndexImageSide / longer;
    if (paper->isVramDirty()) {
        UpdateVRAM(*paper, false, false);
    }
    QImage src = paper->vram().imageView();
    QImage small = src.scaled(std::max(w, 1), std::max(h, 1), Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_ARGB32);
    auto tc = std::make_unique<TMTC>(small);
    if (!paper->bVisCanvasCol)
        tc->convert32to24(paper->m_canvascolor);
    FIndexImages[size_t(k)] = std::move(tc);
    paper->drawOptionalImage();
}

// The replayed stroke and its colour shown in the tool window when they changed.
static void showPlayStroke(TDrawWindow &w, TStroke *stroke, bool changed)
{
    IMainForm &main = mainForm();
    if (!stroke)
        return;
    if (changed)
        main.toolForm().SetPlayStroke(*stroke);
    if (stroke->m_drawColor != main.m_thenColor) {
        main.toolForm().SetPlayColor(stroke->m_drawColor, stroke->m_bgCol);
        main.m_thenColor = stroke->m_drawColor;
    }
    (void)w;
}

eEvPlayStat TDrawWindow::playEventQES()
{
    if (insideEventPlay)
        return eEvPlayStat::epsWait;
    struct Guard
    {
        bool &flag;
        explicit Guard(bool &f) : flag(f) { flag = true; }
        ~Guard() { flag = false; }
    } guard(insideEventPlay);

    const uint32_t now = timeGetTime();
    if (checkEventPlayWait(now))
        return eEvPlayStat::epsWait;
    CEventMngr &ev = paper->eventMngr();
    IMainForm &main = mainForm();
    IToolForm &tool = main.toolForm();
    const uint32_t step = ev.playEventCnt;
    ev.setPlayWait(replayPaced());
    eEvPlayStat r = ev.playEventSingle();
    if (r == eEvPlayStat::epsWait && !m_eventStop)
        return r;

    const TEventCode code = packetToEventCode(ev.playEventHdr);
    if (profile().EventCapacity > 0)
        tool.appendEventList(code);
    if (code != TEventCode::ecNop && size_t(code) < m_info.size())
        ++m_info[size_t(code)];

    if (r == eEvPlayStat::epsContinue) {
        main.updateEventPlayCaption(this, now, ev.eventCnt, ev.playEventCnt);
        if (ev.eventCnt > 0) {
            // 64 bits: the product of two event counts.
            const int64_t k =
                std::min<int64_t>((int64_t(ev.playEventCnt) + 1) * 100 / (int64_t(ev.eventCnt) * 10),
                                  10) -
                1;
            if (k >= 0 && !FIndexImages[size_t(k)])
                makeIndexImage(int32_t(k));
        }
    }

    const uint16_t updt = ev.playUpdt;
    ev.playUpdt = 0;
    if (updt & updtRefresh) {
        refreshAfterEvent((updt & updtSize) != 0, false, true);
    } else {
        if (updt & updtLayerWin)
            tool.UpdateLayerView();
        if (updt & updtSelectWin)
            tool.UpdateMaskView();
    }
    if (updt & updtPreview)
        tool.FPreviewMakeImage();
    if (updt & updtCaption)
        updateCaption(false);

    const bool changed = ev.isStrokeChanged();
    if (changed)
        ev.setStrokeChanged(false);
    showPlayStroke(*this, ev.playStroke.get(), changed);

    bool stopped = false;
    if (m_eventStop) {
        m_eventStop = false;
        if (showConfirm(QStringLiteral("イベント再生の途中ですが、再生を終了しますか?"),
                        kavrin::cbYes | kavrin::cbNo) == kavrin::mrYes) {
            r = ev.playStrokeToEnd();
            if (r == eEvPlayStat::epsContinue) {
                stopped = true;
                r = eEvPlayStat::epsEnd;
            }
        }
    }

    if (r != eEvPlayStat::epsEnd && r != eEvPlayStat::epsError)
        return r;

    // The end (or a failed event, which ends the replay there: stepping again would fail again).
    const TReportReason reason =
        r == eEvPlayStat::epsError ? rrError : stopped ? rrStop : rrEnd;
    main.updateEventPlayCaption(this, now, ev.eventCnt, ev.playEventCnt);
    tool.FPreviewMakeImage();
    TEventReportParam report;
    report.Reason = reason;
    report.FileName = paper->m_filename;
    report.Time = timeGetTime() - eventPlayStartTime;
    report.Step = step + 1;
    report.Continue = ev.startRecordingContinue(false);
    if (!report.Continue)
        showWarning(QStringLiteral("イベント追記モードに移行できませんでした!\r以降のイベントは"
                                   "記録されません..."));
    for (size_t i = 0; i < FIndexImages.size(); ++i)
        report.Image[i] = FIndexImages[i].get();
    switchSmoothZoom(profile().useZoomAntialias);
    if (reason == rrError) {
        if (gRenderMode)
            renderQuit(eventPath, 10);
    } else {
        renderEventEnd(true);
    }
    if (!gRenderMode)
        main.showEventReport(report);
    startPaintModeQZ5(*paper);
    eventBeginRecording(*paper);
    updatePreviewAll(*paper);
    m_eventPlaying = false;
    m_eventStop = false;
    m_eventPaused = false;
    if (TStroke *stroke = paper->getActiveStroke())
        prepareStrokeForPaper(*stroke, paper.get());
    setActiveObject(*paper);
    tool.UpdateNavigatorView();
    tool.UpdateLayerView();
    tool.UpdateMaskView();
    tool.SetPlayMode(false);
    return r == eEvPlayStat::epsError ? eEvPlayStat::epsError : eEvPlayStat::epsEnd;
}

eEvPlayStat TDrawWindow::playEventWPE()
{
    if (!eventPacket || !eventStroke || !m_eventPlaying)
        return eEvPlayStat::epsEnd;
    const uint32_t now = timeGetTime();
    if (checkEventPlayWait(now))
        return eEvPlayStat::epsWait;
    IMainForm &main = mainForm();
    IToolForm &tool = main.toolForm();
    if (!eventPacket->isStroking())
        ++FWpeCount;
    main.updateEventPlayCaption(this, now, uint32_t(eventPacket->eventNum()), uint32_t(FWpeCount));
    bool refresh = false;
    uint16_t inst = 0;
    m_eventPlaying =
        EventAnalyze(*paper, flowImage.get(), *eventPacket, *eventStroke, this, refresh, inst);
    const TEventCode code = oldEventToEventCode(int16_t(inst));
    if (profile().EventCapacity > 0)
        tool.appendEventList(code);
    if (code != TEventCode::ecNop && size_t(code) < m_info.size())
        ++m_info[size_t(code)];
    if (refresh)
        refreshAfterEvent(false, true, true);
    if (inst <= 3) {
        const bool changed = eventStroke->m_changed;
        if (changed)
            eventStroke->SetChanged(false);
        showPlayStroke(*this, eventStroke.get(), changed);
    }
    if (inst == 273)
        tool.UpdateLayerView();
    if (!m_eventPlaying) {
        eventPacket->AddModeProcedure();
        paper->m_paperMode = TPaperMode::PM_NORMAL;
        updatePreviewAll(*paper);
        changePaintModeQZ1toQZ2(*paper);
        main.UpdateEnable(true);
        renderEventEnd(false);
        if (!gRenderMode)
            showInformation(QStringLiteral("イベントの再生が終了しました"));
        tool.SetPlayMode(false);
        return eEvPlayStat::epsEnd;
    }
    if (m_eventStop && !eventPacket->isStroking()) {
        m_eventStop = false;
        TMyMemory &mem = eventPacket->memory();
        mem.SetWrited(mem.position());
        m_eventPlaying = false;
        changePaintModeQZ1toQZ2(*paper);
        main.UpdateEnable(true);
        showInformation(QStringLiteral("イベントの再生を中断しました"));
        tool.SetPlayMode(false);
        return eEvPlayStat::epsEnd;
    }
    return eEvPlayStat::epsContinue;
}

// ---- filling a window

void TDrawWindow::attachFile(const QString &path, const TMTC &tc, int32_t dpi, bool lyr, bool clp)
{
    const int32_t w = std::min(tc.width(), kMaxAttachSide);
    const int32_t h = std::min(tc.height(), kMaxAttachSide);
    QString name = path;
    if (name.isEmpty())
        makeUntitledName(name);
    SOlyHeader hdr;
    QString title;
    bool found = lyr && getLayerAttrFromClipboard(hdr, title);
    if (!found) {
        hdr = SOlyHeader{};
        hdr.flags = kOlyVisible;
        hdr.mode = uint8_t(TLayerMode::LM_STD);
        hdr.trans = 255;
        hdr.imgSize = {w, h};
        hdr.viewSize = {w, h};
        hdr.viewPos = {0, 0};
        const SLayerParam *lp = getLayerParam(TLayerMode::LM_STD);
        hdr.bgCol = lp ? lp->c0.all : 0;
    }
    sSize canvas = found ? hdr.viewSize : sSize{w, h};
    sBox box;
    if (clp && getClipBoxFromClipboard(box)) {
        boxOffset(box, hdr.viewPos.x, hdr.viewPos.y);
        if (boxClipToSize(box, sSize{w, h})) {
            canvas = box.size();
            hdr.viewPos = box.pos();
            hdr.viewSize = box.size();
            found = true;
        }
    }
    // The image as it goes into the layer: at most kMaxAttachSide on each side.
    std::unique_ptr<TMTC> limited;
    const TMTC *src = &tc;
    if (w != tc.width() || h != tc.height()) {
        limited = std::make_unique<TMTC>(w, h);
        limited->copyArea(tc, sPos{0, 0}, sBox{0, 0, w, h});
        src = limited.get();
    }
    TFlowImage *flow = flowImage.get();
    if (!eventEditCreate(*paper, name, flow, canvas.x, canvas.y, w, h, dpi, false, true))
        return;
    const int32_t idx = paper->ActiveLayer();
    paper->eventMngr().pushEventImage(idx, *src, found ? &hdr : nullptr,
                                      found ? &title : nullptr, 5);
    bltToLayer(*paper, idx, *src, 0, 0, 255);
    EventLayerActive(*paper, flow, idx, true);
    if (found)
        if (CLayerData *ld = paper->getLayerData(idx))
            applyLayerAttr(*ld, hdr, title.isEmpty() ? nullptr : &title);
    UpdateVRAM(*paper, true, true);
    sizeForReplay(*this, false);
    UpdateView(true);
    m_bEnabled = true;
    PreviewRefresh(*paper, false, idx);
    refreshAfterEvent(false, true, true);
    if (!path.isEmpty()) {
        filePath = path;
        paper->m_filename = path;
    }
    updateCaption(false);
}

void TDrawWindow::afterLoadFile()
{
    invalidate(false);
    updateCaption(false);
    sizeForReplay(*this, false);
    UpdateAll();
    UpdateView(true);
    IToolForm &tool = mainForm().toolForm();
    tool.FPreviewMakeImage();
    tool.UpdateNavigatorView();
    tool.UpdateLayerView();
    tool.UpdateMaskView();
}
