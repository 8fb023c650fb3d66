// TDrawWindow: pointer and tablet positions into the document's stroke events. Both inputs end in
// doPaint (begin or add a point) and chkStrokeEnd; the freehand handlers of group 0, the pointer
// tracking, the automatic scrolling during a drag and the tablet step live here too.
#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/paper/flow_image.h"
#include "document/paper/paper.h"
#include "document/stroke/paper_stroke.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement4.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/window_message.h"
#include "platform/system/clock.h"
#include "platform/tablet/wintab.h"
#include "ui/views/navigator.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"
#include "windows/tablet/wintab32.h"

#include <algorithm>
#include <cmath>

namespace {

// A stroke ends at the first point that arrives once it holds this many.
constexpr uint32_t kStrokePointLimit = 60001;
// The auto-scroll margin inside the client edges, and the largest distance counted past it.
constexpr int32_t kScrollMargin = 16;
constexpr int32_t kScrollReach = 16;
constexpr int32_t kScrollFactor = 4;

bool modifierHeld()
{
    return isKeyDown(VK_SHIFT) || isKeyDown(VK_SPACE) || isKeyDown(VK_CONTROL) ||
           isKeyDown(VK_MENU);
}

// The pen is in range of an enabled tablet: the mouse then does not draw.
bool penInRange()
{
    const TWinTab32 *tab = mainForm().tablet();
    return tab && tab->isEnable() && tab->m_recognition;
}

// The step of one axis: 4 × how far the pointer is past the margin, at most 16 before the
// multiplication, toward the pointer.
int32_t scrollStep(int32_t p, int32_t lo, int32_t hi)
{
    const int32_t clamped = std::clamp(p, lo, std::max(lo, hi));
    return kScrollFactor * std::clamp(clamped - p, -kScrollReach, kScrollReach);
}

} // namespace

bool TDrawWindow::switchPaintLevel(ePaintLevel level)
{
    if (isStrokingNow() || m_eventPlaying)
        return false;
    return ::switchPaintLevel(*paper, level);
}

sPos TDrawWindow::clientScreenOrigin() const
{
    return onScreenOrigin ? onScreenOrigin() : sPos{0, 0};
}

void TDrawWindow::correctPosition(float &x, float &y, bool tablet)
{
    if (tablet) {
        // A screen position keeps its fraction as it becomes a client one.
        const sPos origin = clientScreenOrigin();
        x -= float(origin.x);
        y -= float(origin.y);
        // ---- figures: a pen position snaps like a mouse one; a brush chooses its line only
        // when its stroke begins
        if (canSnapWithBrush() || canSnapWithTool()) {
            sPos p{int32_t(x), int32_t(y)};
            if (!isStrokingNow() || canSnapWithTool())
                getNearGrid(p);
            setSnapPos(p, p);
            x = float(p.x);
            y = float(p.y);
        }
        // ---- end of figures
    }
    // A snapped brush position is a canvas position already.
    if (!canSnapWithBrush())
        CursorCorrection(*paper, clnSize.x, clnSize.y, x, y);
}

bool TDrawWindow::dispatchStrokeBegin(TFlowImage &flow, TStroke &stroke, bool undo, float x,
                                      float y, float pressure)
{
    switch (paper->actPaintLevel) {
    case ePaintLevel::PAINT_LEVEL_qZ4:
        return eventStrokeBegin4(*paper, flow, stroke, x, y, pressure, undo);
    case ePaintLevel::PAINT_LEVEL_qZ5:
        return eventStrokeBegin5(*paper, flow, stroke, x, y, pressure, undo);
    default:
        return eventStrokeBegin(*paper, flow, stroke, x, y, pressure, undo);
    }
}

void TDrawWindow::dispatchStrokeAdd(TFlowImage &flow, TStroke &stroke, bool undo,
                                    IPaperOwner *handle, float x, float y, float pressure)
{
    switch (paper->actPaintLevel) {
    case ePaintLevel::PAINT_LEVEL_qZ4:
        eventStrokeAdd4(*paper, flow, stroke, x, y, pressure, handle, undo);
        break;
    case ePaintLevel::PAINT_LEVEL_qZ5:
        eventStrokeAdd5(*paper, flow, stroke, x, y, pressure, handle, undo);
        break;
    default:
        EventStrokeAdd(*paper, flow, stroke, x, y, pressure, handle, undo);
        break;
    }
}

bool TDrawWindow::dispatchStrokeEnd(TFlowImage &flow, TStroke &stroke, bool undo, sBox &box,
                                    IPaperOwner *handle)
{
    switch (paper->actPaintLevel) {
    case ePaintLevel::PAINT_LEVEL_qZ4:
        return eventStrokeEnd4(*paper, flow, stroke, handle, box, undo);
    case ePaintLevel::PAINT_LEVEL_qZ5:
        return eventStrokeEnd5(*paper, flow, stroke, handle, box, undo);
    default:
        return EventStrokeEnd(*paper, flow, stroke, handle, box, undo);
    }
}

int32_t TDrawWindow::doPaint(float x, float y, float prs, TStroke &strk, bool tb)
{
    if (!strk.m_bDrawShape && (m_eventPlaying || modifierHeld()))
        return -1;
    IMainForm &main = mainForm();
    correctPosition(x, y, tb);
    main.csrPos() = {int32_t(x), int32_t(y)};
    if (!isStrokingNow()) {
        strk.SetDrawLayer(paper->ActiveLayer());
        dispatchStrokeBegin(*flowImage, strk, m_strokeUndo, x, y, prs);
        main.m_lastStroke() = timeGetTime();
        return -1;
    }
    if (getStrokingCount() >= kStrokePointLimit) {
        sBox box;
        dispatchStrokeEnd(*flowImage, strk, m_strokeUndo, box, this);
        bSnap = false;
        return -1;
    }
    setModified(true);
    const float s = paper->GetZoomScale();
    const ePaintLevel level = paper->actPaintLevel;
    if (level == ePaintLevel::PAINT_LEVEL_qZ5) {
        // The version-5 engine thins and smooths by itself.
        dispatchStrokeAdd(*flowImage, strk, m_strokeUndo, this, x, y, prs);
        return 1;
    }
    float threshold = 2.0f;
    SStrokeData ref;
    if (level == ePaintLevel::PAINT_LEVEL_qZ4) {
        threshold = s > 2.0f ? 4.0f / s : 1.0f;
        if (CStrokeMngr *mngr = paper->strokeMngr4())
            mngr->getLast(ref);
    } else {
        threshold = s == 0.25f ? 4.0f : s == 0.5f ? 3.0f : 2.0f;
        strk.getLastSD(ref);
    }
    const float dx = x - ref.x, dy = y - ref.y;
    const float d = std::sqrt(dx * dx + dy * dy);
    if (getStrokingCount() < 2 || d > threshold)
        dispatchStrokeAdd(*flowImage, strk, m_strokeUndo, this, x, y, prs);
    return 1;
}

void TDrawWindow::chkStrokeEnd(float x, float y, TStroke &strk, bool tb, bool add)
{
    if (!strk.m_bDrawShape && m_eventPlaying)
        return;
    IMainForm &main = mainForm();
    correctPosition(x, y, tb);
    main.csrPos() = {int32_t(x), int32_t(y)};
    if (!isStrokingNow())
        return;
    if (add)
        dispatchStrokeAdd(*flowImage, strk, m_strokeUndo, this, float(int32_t(x)),
                          float(int32_t(y)), 0);
    sBox box;
    dispatchStrokeEnd(*flowImage, strk, m_strokeUndo, box, this);
    PreviewRefresh(*paper, false, strk.m_drawLayer, box);
    main.m_lastStroke() = timeGetTime();
}

void TDrawWindow::updateMousePos(const sPos &pos)
{
    clientPos = pos;
    convToCanvasPos(vramPos, pos);
    IToolForm &tool = mainForm().toolForm();
    tool.UpdateInfomationView(this, float(pos.x), float(pos.y),
                              TInfomationUpdateOption::iuoStandard);
    if (tool.loupeVisible())
        tool.UpdateLoupeView(paper.get(), int32_t(std::lrint(vramPos.x)),
                             int32_t(std::lrint(vramPos.y)),
                             isStrokingNow() || isKeyToggled(VK_CAPITAL));
}

bool TDrawWindow::doAutoScroll(const sPos &pos, bool, bool screen)
{
    sPos p = pos;
    if (screen) {
        const sPos origin = clientScreenOrigin();
        p = {p.x - origin.x, p.y - origin.y};
    }
    if (!gAppProfile->useAutoScroll)
        return false;
    int32_t w = 0, h = 0;
    getTrueClientSize(w, h);
    // The inner box: (16, 16) to the last pixel inside (w - 32, h - 32).
    const int32_t x0 = kScrollMargin, y0 = kScrollMargin;
    const int32_t x1 = x0 + (w - 2 * kScrollMargin) - 1, y1 = y0 + (h - 2 * kScrollMargin) - 1;
    const int32_t dx = scrollStep(p.x, x0, x1), dy = scrollStep(p.y, y0, y1);
    if (dx == 0 && dy == 0)
        return false;
    m_bSmoothZoom = false;
    m_bAutoScrolled = true;
    scrollViewBy(dx, dy);
    offsetPosList(dx, dy);
    firstPos = {firstPos.x + dx, firstPos.y + dy};
    refreshViewRgn();
    return true;
}

bool TDrawWindow::doAutoScroll(const sPos &pos)
{
    const TWinTab32 *tab = mainForm().tablet();
    return doAutoScroll(pos, tab && tab->m_recognition, false);
}

void TDrawWindow::endAutoScroll()
{
    if (m_bAutoScrolled && isNeedToUpdateRotVram())
        UpdateView(true);
    m_bAutoScrolled = false;
    TimerAutoScroll.Enabled = false;
    if (TWinTab32 *tab = mainForm().tablet()) {
        const QRect screen = wintabVirtualScreen();
        if (tab->m_osVer >= 410)
            tab->setSysOrg(screen.x(), screen.y());
        else
            tab->setSysOrg(0, 0);
    }
}

// ---------------------------------------------------------------------------------------------
// The handlers of group 0

void freehandLDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    TStroke *stroke = mainForm().Stroke();
    if (!pos || !stroke || penInRange())
        return;
    w.doPaint(float(pos->x), float(pos->y), 1.0f, *stroke, false);
}

void freehandLHold(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    w.updateMousePos(*pos);
    TStroke *stroke = mainForm().Stroke();
    if (!stroke || penInRange())
        return;
    w.doPaint(float(pos->x), float(pos->y), 1.0f, *stroke, false);
    w.TimerAutoScroll.Enabled = true;
}

void freehandLUp(TDrawWindow &w, TShiftState, const sPos *pos)
{
    TStroke *stroke = mainForm().Stroke();
    if (!pos || !stroke)
        return;
    w.chkStrokeEnd(float(pos->x), float(pos->y), *stroke, false, true);
    w.restoreSmoothZoom();
}

void resetNavigatorScale(TDrawWindow &, TShiftState, const sPos *)
{
    TGrabberControl *grb = mainForm().toolForm().FGrbCtrl();
    if (grb && grb->isVisible())
        grb->SetScale(1.0f);
}

void trackMouseMove(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (pos && w.paper->m_ready)
        w.updateMousePos(*pos);
}

// ---------------------------------------------------------------------------------------------
// The tablet

int32_t TDrawWindow::tabletStep(float screenX, float screenY, float pressure)
{
    if (m_bSizeMove)
        return 0;
    IMainForm &main = mainForm();
    TStroke *stroke = main.Stroke();
    if (!stroke)
        return 0;
    float x = screenX, y = screenY;
    if (!gAppProfile->DrawToolMode) {
        // The message's cursor point: the whole pixel under the pen.
        x = std::floor(x);
        y = std::floor(y);
    }
    const bool freehand = main.toolForm().FToolSubMode() == TToolSubKind::tskDrawLocus;
    if (pressure != 0) {
        if (!freehand)
            return 0;
        if (!isStrokingNow()) {
            // A stroke starts only on the window's client area.
            const sPos origin = clientScreenOrigin();
            const float cx = std::floor(x) - float(origin.x), cy = std::floor(y) - float(origin.y);
            if (cx < 0 || cy < 0 || cx >= float(clnSize.x) || cy >= float(clnSize.y))
                return 0;
        }
        const int32_t r = doPaint(x, y, pressure, *stroke, true);
        TimerAutoScroll.Enabled = true;
        return r;
    }
    if (freehand)
        chkStrokeEnd(x, y, *stroke, true, true);
    TimerAutoScroll.Enabled = false;
    return 0;
}

bool TDrawWindow::tabletMessage(const TMessage &msg)
{
    TWinTab32 *tab = mainForm().tablet();
    if (!tab || !tab->isOpened())
        return false;
    bool bget = false;
    if (!tab->GetPacket(msg, bget))
        return false;
    if (bget)
        tabletStep(tab->m_packet.X, tab->m_packet.Y, tab->Pressure());
    return true;
}
