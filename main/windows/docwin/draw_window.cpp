// TDrawWindow: creation and destruction, activation, the close question, the modified flag and
// untitled names, the gates every command asks, and the refresh after a document change.
#include "windows/docwin/draw_window.h"

#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/edit/layer_undo.h"
#include "document/events/event_manager.h"
#include "document/events/legacy_event_stream.h"
#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/stroke/paper_stroke.h"
#include "document/stroke/stroke_pixel_procs.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/messages.h"
#include "ui/views/navigator.h"
#include "windows/render_settings.h"
#include "windows/shell_host.h"

#include <algorithm>

namespace {

// The process-wide state of the document windows.
int32_t gUntitledCount = 0;
int32_t gCascadeCount = 0;
std::vector<TDrawWindow *> gDrawWindows;

// The colour of the margins' brush (0xCCCCCC); windows take the view background from it.
constexpr uint32_t kViewBackBrush = 0x00CCCCCC;

CAppProfile &profile()
{
    return *gAppProfile;
}

} // namespace

const std::vector<TDrawWindow *> &drawWindows()
{
    return gDrawWindows;
}

void CScrollBarModel::setPosition(int32_t p)
{
    p = std::clamp(p, 0, std::max(0, Max));
    if (p != Position) {
        Position = p;
        ++changes;
    }
}

void TDrawWindow::resetProcessState()
{
    gUntitledCount = 0;
    gCascadeCount = 0;
    gViewBackColor = 0x00808080;
}

int32_t TDrawWindow::untitledCount()
{
    return gUntitledCount;
}

int32_t TDrawWindow::cascadeCount()
{
    return gCascadeCount;
}

int32_t &TDrawWindow::cascadeCounter()
{
    return gCascadeCount;
}

TDrawWindow::TDrawWindow() = default;

std::unique_ptr<TDrawWindow> TDrawWindow::Create()
{
    std::unique_ptr<TDrawWindow> w(new TDrawWindow());
    if (!w->FormCreate())
        return nullptr;
    return w;
}

bool TDrawWindow::FormCreate()
{
    paper = TPaper::Create(this);
    if (!paper)
        return false;
    paper->setOnChangeReadyState([this](TPaper &, bool ready) { PaperChangeReadyState(ready); });
    flowImage = std::make_unique<TFlowImage>(paper.get());
    m_bMasterSmoothZoom = profile().useZoomAntialias;
    m_bSmoothZoom = m_bMasterSmoothZoom;
    // Half the full-screen width, both ways, as the margin of the scrolled view.
    const int32_t half = mainForm().workspace().fullScreenWidth / 2;
    marginSize = {half, half};
    TimerAutoScroll.Interval = 100;
    TimerAutoScroll.Enabled = false;
    TimerAutoScroll.OnTimer = [this] { TimerAutoScrollTimer(); };
    endAutoScroll();
    setupPosList(10);
    updateEventProcs(true);
    gViewBackColor = kViewBackBrush;
    gDrawWindows.push_back(this);
    updateViewRect();
    updateSelectWindowAll(*paper);
    formSizeCorrect(true);
    // The window made its own room in the cascade; the counter steps back by one.
    gCascadeCount = gCascadeCount > 0 ? gCascadeCount - 1 : 0;
    setCursor(kCursorSelect);
    return true;
}

TDrawWindow::~TDrawWindow()
{
    FormDestroy();
}

void TDrawWindow::FormDestroy()
{
    IMainForm &main = mainForm();
    // A transform still pending goes unapplied, and the tool window gets its former tool back.
    if (paper && paper->FFreeTransformer && !main.isDestroying())
        transformEnd(false);
    for (auto &img : FIndexImages)
        img.reset();
    freeViewRgn();
    main.outputStatusText(eStatusItem::stiZoom, QString());
    main.outputStatusText(eStatusItem::stiRot, QString());
    main.outputStatusText(eStatusItem::stiReso, QString());
    if (main.toolForm().Window() == this)
        main.toolForm().setWindow(nullptr);
    // The flow image goes before the document it belongs to.
    flowImage.reset();
    if (paper) {
        clearPosList();
        releaseViewCache();
        paper.reset();
        main.UpdateEnable(false);
    }
    if (!main.isDestroying() && currentDrawOwner() == this)
        setCurrentDrawWindow(nullptr);
    gDrawWindows.erase(std::remove(gDrawWindows.begin(), gDrawWindows.end(), this),
                       gDrawWindows.end());
}

bool TDrawWindow::isActive() const
{
    return mainForm().activeWindow() == this;
}

void TDrawWindow::setCursor(int32_t n)
{
    m_cursor = n;
    mainForm().cursor(n);
}

bool TDrawWindow::setModifiedFlag(bool sw)
{
    const bool old = m_bModified;
    m_bModified = sw;
    return old;
}

bool TDrawWindow::canSave() const
{
    return paper->m_paperMode == TPaperMode::PM_NORMAL && !m_eventPlaying && canChangeView();
}

bool TDrawWindow::isStrokingNow() const
{
    return m_nowStroking || paper->eventMngr().isStroking();
}

uint32_t TDrawWindow::getStrokingCount() const
{
    const CEventMngr &ev = paper->eventMngr();
    if (ev.isStroking())
        return uint32_t(ev.strokeTotalCnt);
    return uint32_t(m_cntStroking);
}

bool TDrawWindow::syncObjects()
{
    syncStroke(*paper);
    ++syncCount;
    return true;
}

bool TDrawWindow::canAcceptEditCmd(bool netOK, bool playOK, bool needPause)
{
    if (gRenderMode || !paper->isDrawProcNew() || isStrokingNow() || isInKeyOnly() ||
        mainForm().isModalLoop())
        return false;
    bool ok = true;
    if (!playOK)
        ok = !m_eventPlaying;
    else if (needPause && m_eventPlaying)
        ok = isEventPlayPaused();
    if (ok && !netOK)
        ok = paper->m_paperMode == TPaperMode::PM_NORMAL;
    if (ok)
        syncObjects();
    return ok;
}

bool TDrawWindow::canUndo()
{
    return canAcceptEditCmd(true, false, true) && CanLayerUndo(*paper, paper->ActiveLayer());
}

bool TDrawWindow::canRedo()
{
    return canAcceptEditCmd(true, false, true) && canLayerRedo(*paper, paper->ActiveLayer());
}

bool TDrawWindow::Undo()
{
    if (!canUndo() || isStrokingNow())
        return false;
    int32_t idx = paper->ActiveLayer();
    sRect r;
    return eventLayerUndo(*paper, flowImage.get(), idx, r);
}

bool TDrawWindow::Redo()
{
    if (!canRedo() || isStrokingNow())
        return false;
    int32_t idx = paper->ActiveLayer();
    sRect r;
    return eventLayerRedo(*paper, flowImage.get(), idx, r);
}

bool TDrawWindow::disposeUndoAll()
{
    if (isStrokingNow() || m_eventPlaying)
        return false;
    if (showConfirm(QStringLiteral("すべての 取り消し/やり直し を破棄してよろしいですか?"),
                    kavrin::cbYes | kavrin::cbNo) == kavrin::mrYes)
        ::disposeUndoAll(*paper);
    return true;
}

void TDrawWindow::UpdateView(bool mk)
{
    resetScrollBars(nullptr);
    ::UpdateView(*paper, this, mk);
    invalidateView(true, false);
    updateNow();
}

void TDrawWindow::refreshAfterEvent(bool formsize, bool prev, bool mk)
{
    IToolForm &tool = mainForm().toolForm();
    if (formsize) {
        if (CheckZoomAuto()) {
            ZoomAuto(false, (profile().EnbAutoSize & 4) == 0);
        } else if (placement.state == eWindowState::wsNormal) {
            formSizeCorrect(false);
            const float s = paper->GetZoomScale();
            ScrollBar1.setPosition(int32_t(float(paper->m_paperSize.x) * s) / 2);
            ScrollBar2.setPosition(int32_t(float(paper->m_paperSize.y) * s) / 2);
        }
    }
    UpdateView(mk);
    if (TStroke *stroke = paper->getActiveStroke())
        prepareStrokeForPaper(*stroke, paper.get());
    if (formsize) {
        tool.SetDisplaySize(paper->m_paperSize);
        tool.FPreviewMakeImage();
    } else if (prev) {
        tool.FPreviewMakeImage();
    } else {
        tool.UpdateNavigatorView();
    }
    tool.UpdateLayerView();
    tool.UpdateMaskView();
}

void TDrawWindow::updateCaption(bool clr)
{
    IMainForm &main = mainForm();
    if (clr) {
        main.outputStatusText(eStatusItem::stiZoom, QString());
        main.outputStatusText(eStatusItem::stiRot, QString());
        main.outputStatusText(eStatusItem::stiReso, QString());
        return;
    }
    const QString own = paper->GetCaption();
    Caption = own;
    int32_t n = 1;
    for (TDrawWindow *w : main.documentWindows()) {
        if (w == this || !w->paper || w->paper->GetCaption() != own)
            continue;
        w->Caption = QStringLiteral("%1 (%2)").arg(own).arg(++n);
        if (w->onPlacementChanged)
            w->onPlacementChanged();
    }
    if (n > 1)
        Caption += QStringLiteral(" (1)");
    if (onPlacementChanged)
        onPlacementChanged();
    statusZoomRot();
}

void TDrawWindow::statusZoomRot()
{
    IMainForm &main = mainForm();
    main.outputStatusZoom(paper->GetZoomScale() * 100);
    main.outputStatusRot(paper->m_degree);
    main.outputStatus();
}

void TDrawWindow::dispatchProfile(bool mk)
{
    paper->dispatchGridSize(mk);
    dispatchUndoCount(*paper);
    resetScrollBars(nullptr);
}

void TDrawWindow::UpdateControls()
{
    UpdateControls(cursorPos.x, cursorPos.y);
}

void TDrawWindow::UpdateControls(int32_t X, int32_t Y)
{
    IToolForm &tool = mainForm().toolForm();
    const TToolSubKind kind = tool.temporarySubKind().value_or(tool.FToolSubMode());
    const bool temporary = tool.temporarySubKind().has_value();
    if (kind != TToolSubKind::tskDrawLocus) {
        setCursor(tool.ToolCursors(kind));
        if (kind != TToolSubKind::tskChangePenSize)
            EraseBrushGhost();
    } else if (profile().BrushGhost && !profile().ShowGhostCenter) {
        setCursor(kCursorHidden);
    } else {
        const auto engine = tool.brushEngine();
        setCursor(engine ? tool.BrushCursors(*engine) : kCursorSelect);
    }
    // ---- tools (tools.cpp): the wand's cursor follows the held keys
    if (kind == TToolSubKind::tskMagicWand)
        wandCursor();
    // ---- end of tools
    TGrabberControl *grb = tool.FGrbCtrl();
    if (!grb)
        return;
    const bool want = kind == TToolSubKind::tskGrabberPosition && profile().UseGrabCtrl &&
                      !drawState.has(BDrawStateBit::stMBtn) && !m_eventPlaying;
    if (want == !grb->isHidden())
        return;
    if (!want) {
        grb->setVisible(false);
        FGhostVis = false;
        return;
    }
    if (!temporary && tool.FToolDetail() == TToolDetail::tdGrabberPosition)
        grb->move((clnSize.x - grb->width()) / 2, (clnSize.y - grb->height()) / 2);
    else
        grb->move(X - grb->width() / 2, Y - grb->width() / 2);
    grb->setVisible(true);
}

void TDrawWindow::invalidateView(bool bg, bool clr)
{
    if (bg)
        scrollViewTo(ScrollBar1.Position, ScrollBar2.Position);
    invalidate(clr);
}

void TDrawWindow::PaperChangeReadyState(bool ready)
{
    IToolForm &tool = mainForm().toolForm();
    if (ready)
        tool.setWindow(this);
    else if (tool.Window() == this)
        tool.setWindow(nullptr);
}

void TDrawWindow::makeUntitledName(QString &name)
{
    ++gUntitledCount;
    name = QStringLiteral("名称未設定 %1").arg(gUntitledCount);
}

bool TDrawWindow::setupPosList(int32_t n)
{
    posNum = 0;
    try {
        if (size_t(std::max(n, 4)) > posListLimit)
            throw std::bad_alloc();
        posList.assign(size_t(std::max(n, 4)), sPos{});
    } catch (const std::bad_alloc &) {
        showWarningEx(QStringLiteral("TDrawWindow::setupPosList: 例外のため続行できません！"),
                      nullptr, QString());
        return false;
    }
    return true;
}

void TDrawWindow::clearPosList()
{
    posNum = 0;
    posList.clear();
    posList.shrink_to_fit();
}

bool TDrawWindow::isEventRecording() const
{
    return !m_eventPlaying && paper->eventMngr().isRecording();
}

bool TDrawWindow::canSaveEvent() const
{
    return paper->eventMngr().isRecording() && canChangeView();
}

void TDrawWindow::FormActivate()
{
    IMainForm &main = mainForm();
    // Another window's pending transform ends unapplied: the transform's tool belongs to the
    // window it was lent for. (A window made since has already bound the tool window to itself,
    // so every other window is asked, not only the one the tool window shows.)
    for (TDrawWindow *other : std::vector<TDrawWindow *>(drawWindows()))
        if (other != this && other->isFreeTransform())
            other->transformEnd(false);
    main.UpdateEnable(true);
    updateEventProcs(true);
    dispatchProfile(false);
    setCurrentDrawWindow(this);
    if (TStroke *stroke = paper->getActiveStroke())
        prepareStrokeForPaper(*stroke, paper.get());
    switchPaintLevel(main.paintLevel());
    dispatchStrokeMngr(*paper, true);
    if (main.toolForm().Window() != this)
        PaperChangeReadyState(paper->m_ready);
    updateCaption(false);
    UpdateControls();
}

void TDrawWindow::FormDeactivate()
{
    // ---- move tool (move_tool.cpp): a key move ends applied, before another window takes
    // the tool window's sub-kind
    if (isInKeyOnly())
        callForceEnd(eventProcs->forceEnd, false);
    // ---- end of move tool
    if (TStroke *stroke = mainForm().Stroke(); stroke && isStrokingNow()) {
        const sPos p = cursorClientPos();
        chkStrokeEnd(float(p.x), float(p.y), *stroke, false, true);
    }
    dispatchStrokeMngr(*paper, false);
    EraseBrushGhost();
    bIsCurveMode = false;
}

bool TDrawWindow::FormCloseQuery()
{
    if (!canChangeView() || drawState.has(BDrawStateBit::stHookSysMode))
        return false;
    if (!m_bModified || gRenderMode) {
        transformEnd(false);
        return true;
    }
    // A pending transform is settled first: Cancel keeps the window and the transform.
    if (isFreeTransform()) {
        const int32_t answer = showTransformEndDialog();
        if (answer == kavrin::mrCancel)
            return false;
        transformEnd(answer == kavrin::mrYes);
    }
    const QString text = QStringLiteral("\"%1\" は変更されています。\r保存しますか？")
                             .arg(paper->m_filename);
    switch (showConfirm(text, kavrin::cbYes | kavrin::cbNo | kavrin::cbCancel)) {
    case kavrin::mrNo:
        return true;
    case kavrin::mrYes:
        // Saving belongs to the save commands; until they answer, Yes keeps the window.
        return false;
    default:
        return false;
    }
}

void TDrawWindow::clearFlowAlphaOfImage()
{
    if (flowImage && flowImage->image().isEnable())
        flowImage->image().setAlphaAll(255);
}

void TDrawWindow::updateLayerView()
{
    mainForm().toolForm().UpdateLayerView();
}

void TDrawWindow::updateMaskView()
{
    mainForm().toolForm().UpdateMaskView();
}

void TDrawWindow::updateNavigatorImage()
{
    mainForm().toolForm().FPreviewMakeImage();
}

void TDrawWindow::setDisplaySize(const sSize &size)
{
    mainForm().toolForm().SetDisplaySize(size);
}
