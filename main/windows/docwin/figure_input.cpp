// TDrawWindow: the figure input the figure, fill and selection tools share (the point list, the
// several-point figures, adding and removing points, finishing and cancelling) and the handlers
// of the figure tools (group 6).
#include "windows/docwin/figure_input.h"

#include "core/profile/tool_kinds.h"
#include "document/paper/paper.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "ui/views/navigator.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

#include <cmath>
#include <exception>
#include <new>

namespace {

using Bit = BDrawStateBit;

IToolForm &toolForm()
{
    return mainForm().toolForm();
}

// The figure of the current drawing tool; a box for a sub-kind outside group 6.
eDRAWMODE currentFigure()
{
    int index = 0;
    figureDrawIndex(index, toolForm().FToolSubMode());
    switch (index) {
    case 1:
        return eDRAWMODE::DRAWMODE_POLYGON;
    case 2:
        return eDRAWMODE::DRAWMODE_ELLIPSE;
    case 3:
        return eDRAWMODE::DRAWMODE_LINE;
    case 4:
        return eDRAWMODE::DRAWMODE_POLYLINE;
    case 5:
        return eDRAWMODE::DRAWMODE_CURVE;
    default:
        return eDRAWMODE::DRAWMODE_BOX;
    }
}

bool currentIsCurve()
{
    return toolForm().FToolSubMode() == TToolSubKind::tskDrawCurve;
}

void report(TDrawWindow &w, const sPos &pos, TInfomationUpdateOption option)
{
    toolForm().UpdateInfomationView(&w, float(pos.x), float(pos.y), option);
}

sPos scrollBarPositions(const TDrawWindow &w)
{
    return {w.ScrollBar1.Position, w.ScrollBar2.Position};
}

// The moving point of a line (or of a curve before its ends are set): after the first point,
// snapped to 15 degrees while the aspect key is held.
void placeLineEnd(TDrawWindow &w, const sPos &pos)
{
    if (w.posNum < 1)
        return;
    sPos end = pos;
    w.correctLinePos(w.posList[0], end);
    w.growPosList(w.posNum + 1);
    w.posList[size_t(w.posNum)] = end;
}

} // namespace

// The handlers' failures: the press ends with a warning and no flag left behind.
void stopOnOutOfMemory(TDrawWindow &w)
{
    showWarning(QStringLiteral("メモリ不足のため実行できませんでした！"));
    w.endFigurePress();
}

void stopOnException(TDrawWindow &w, const std::exception &e)
{
    showWarning(QString::fromLocal8Bit(e.what()));
    w.endFigurePress();
}

// ---------------------------------------------------------------------------------------------
// The shared figure input

bool TDrawWindow::isMultiSelect() const
{
    switch (mainForm().toolForm().FToolSubMode()) {
    case TToolSubKind::tskDrawPolygon:
    case TToolSubKind::tskDrawMultiLine:
    case TToolSubKind::tskDrawCurve:
    case TToolSubKind::tskFillPolygon:
    case TToolSubKind::tskSelectPolygon:
        return true;
    default:
        return false;
    }
}

void TDrawWindow::growPosList(int32_t n)
{
    if (n < 0 || size_t(n) <= posList.size())
        return;
    size_t size = posList.size();
    while (size < size_t(n))
        size += 10;
    if (size > posListLimit)
        throw std::bad_alloc();
    posList.resize(size);
}

void TDrawWindow::addFigurePoint(const sPos &pos)
{
    growPosList(posNum + 2);
    if (currentIsCurve()) {
        if (bIsCurveMode) {
            bIsCurveMode = false;
            endFigurePress();
            return;
        }
        curvePos1 = pos;
        growPosList(3);
        posList[2] = pos;
        ++posNum;
        bIsCurveMode = true;
    } else {
        firstPos = lastPos = pos;
        posList[size_t(posNum)] = pos;
        ++posNum;
        // The entry after the last point closes the guide back to the first one.
        posList[size_t(posNum)] = posList[0];
    }
    report(*this, pos, TInfomationUpdateOption::iuoSelectStart);
}

void TDrawWindow::removeFigurePoint(const sPos &pos)
{
    if (currentIsCurve() || posNum <= 1) {
        bIsCurveMode = false;
        endFigurePress();
        return;
    }
    --posNum;
    posList[size_t(posNum)] = pos;
    growPosList(posNum + 2);
    posList[size_t(posNum) + 1] = posList[0];
    firstPos = posList[size_t(posNum) - 1];
    lastPos = pos;
    UpdateView(false);
    report(*this, firstPos, TInfomationUpdateOption::iuoSelectStart);
}

void TDrawWindow::endFigurePress()
{
    const bool glyph = drawState.has(Bit::stShowGlyph);
    if (!drawState.has(Bit::stLBtn) && !drawState.has(Bit::stMBtn) &&
        !drawState.has(Bit::stRBtn)) {
        // A figure of several points between its clicks holds no button: end it as a left press.
        drawState.set(Bit::stLBtn);
    }
    stopCurrentEvent();
    bIsCurveMode = false;
    drawState.clear(Bit::stMultiSelect);
    drawState.clear(Bit::stShowGlyph);
    drawState.clear(Bit::stDirty);
    if (glyph)
        UpdateView(false);
}

void TDrawWindow::cancelFigure()
{
    drawState.clear(Bit::stMultiSelect);
    restoreSmoothZoom();
    bIsCurveMode = false;
    if (drawState.has(Bit::stDirty) || drawState.has(Bit::stShowGlyph))
        endFigurePress();
}

void TDrawWindow::executeFigure(const sPos &pos)
{
    restoreSmoothZoom();
    if (!drawState.has(Bit::stIgnore))
        callExecProc(firstPos, pos, eventProcs->exeProc);
    drawState.clear(Bit::stShowGlyph);
    drawState.clear(Bit::stDirty);
    const int group = toolSubKindGroup(mainForm().toolForm().FToolSubMode());
    UpdateView(group == 7 || m_bAutoScrolled);
}

void TDrawWindow::appendLassoPoint(const sPos &pos)
{
    growPosList(posNum + 2);
    posList[size_t(posNum)] = pos;
    ++posNum;
    posList[size_t(posNum)] = pos;
}

void TDrawWindow::setEllipsePoints(const sPos &p0, const sPos &p1, bool centre, bool aspect)
{
    posNum = 0;
    if (!ellipseGuideShown(p0, p1))
        return;
    sFPos s, e;
    convToCanvasPos(s, p0);
    convToCanvasPos(e, p1);
    const std::vector<sFPos> poly = ellipseFigurePolygon(s, e, centre, aspect);
    growPosList(int32_t(poly.size()) + 1);
    for (const sFPos &c : poly) {
        const sFPos v = convToViewPos(*paper, c);
        posList[size_t(posNum++)] = {int32_t(std::floor(v.x)), int32_t(std::floor(v.y))};
    }
}

void TDrawWindow::calcCurvePoints(const sPos &pos)
{
    sFPos c0, c1, b;
    convToCanvasPos(c0, curvePos0);
    convToCanvasPos(c1, curvePos1);
    convToCanvasPos(b, pos);
    const std::vector<sFPos> pts = flattenCurve(c0, c1, b);
    growPosList(int32_t(pts.size()) + 1);
    for (size_t i = 0; i < pts.size(); ++i)
        posList[i] = truncNudged(convToViewPos(*paper, pts[i]));
    posNum = int32_t(pts.size()) - 1;
}

void TDrawWindow::followScroll(int32_t x, int32_t y)
{
    offsetPosList(scrPos.x - x, scrPos.y - y);
    scrPos = {x, y};
}

bool TDrawWindow::playDrawing(eDRAWMODE dm, const sPos &p0, const sPos &p1, int32_t cnt)
{
    posNum = std::clamp(cnt, 0, int32_t(posList.size()));
    firstPos = p0;
    return eventDrawExecute(p0, p1, dm, false);
}

// ---------------------------------------------------------------------------------------------
// Group 6 and the shared handlers

void figureLDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    w.makeViewRgn();
    w.scrPos = scrollBarPositions(w);
    if (w.bIsCurveMode) {
        // The third press of a curve draws it with the press point as its bend.
        w.callExecProc(w.firstPos, *pos, w.eventProcs->exeProc);
        w.bIsCurveMode = false;
        w.endFigurePress();
        return;
    }
    if (w.drawState.has(BDrawStateBit::stMultiSelect))
        return;
    if (!w.beginFigure(*pos, w.isMultiSelect()))
        return;
    w.drawState.clear(BDrawStateBit::stFirst);
    switch (currentFigure()) {
    case eDRAWMODE::DRAWMODE_LINE:
        w.posList[0] = *pos;
        w.posNum = 1;
        break;
    case eDRAWMODE::DRAWMODE_CURVE:
        w.curvePos0 = *pos;
        break;
    default:
        break;
    }
    w.convToCanvasPos(w.tmpFPos, *pos);
    report(w, *pos, TInfomationUpdateOption::iuoSelectStart);
}

void figureLHold(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos || *pos == w.lastPos)
        return;
    try {
        w.updateMousePos(*pos);
        const eDRAWMODE dm = currentFigure();
        if (w.drawState.has(BDrawStateBit::stMultiSelect)) {
            if (dm != eDRAWMODE::DRAWMODE_CURVE) {
                w.growPosList(w.posNum + 1);
                w.posList[size_t(w.posNum)] = *pos;
            } else if (w.bIsCurveMode) {
                w.calcCurvePoints(*pos);
            } else {
                placeLineEnd(w, *pos);
            }
        } else if (dm == eDRAWMODE::DRAWMODE_BOX) {
            w.setBoxPoints(w.firstPos, *pos, w.isCenterKeyDown(), w.isAspectKeyDown());
        } else if (dm == eDRAWMODE::DRAWMODE_ELLIPSE) {
            w.setEllipsePoints(w.firstPos, *pos, w.isCenterKeyDown(), w.isAspectKeyDown());
        } else if (dm == eDRAWMODE::DRAWMODE_LINE) {
            placeLineEnd(w, *pos);
        }
        w.convToCanvasPos(w.tmpFPos2, *pos);
        report(w, *pos, TInfomationUpdateOption::iuoSelectEnd);
        w.lastPos = *pos;
        w.markGuideDirty();
        w.TimerAutoScroll.Enabled = true;
    } catch (const std::bad_alloc &) {
        stopOnOutOfMemory(w);
    } catch (const std::exception &e) {
        stopOnException(w, e);
    }
}

void figureMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    if (w.drawState.has(BDrawStateBit::stMultiSelect))
        figureLHold(w, shift, pos);
    else
        w.updateMousePos(*pos);
}

void figureLUp(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    try {
        if (!w.drawState.has(BDrawStateBit::stMultiSelect)) {
            w.executeFigure(*pos);
        } else if (!(*pos == w.firstPos)) {
            w.addFigurePoint(*pos);
            w.drawState.set(BDrawStateBit::stDirty);
        } else if (currentIsCurve()) {
            // A curve released where it was pressed was never dragged: it is dropped.
            w.bIsCurveMode = false;
            w.endFigurePress();
        }
    } catch (const std::bad_alloc &) {
        stopOnOutOfMemory(w);
    } catch (const std::exception &e) {
        stopOnException(w, e);
    }
}

void figureLDblClk(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    TGrabberControl *grb = toolForm().FGrbCtrl();
    if (grb && grb->isVisible()) {
        resetNavigatorScale(w, shift, pos);
        return;
    }
    if (!w.drawState.has(BDrawStateBit::stMultiSelect))
        return;
    if (currentIsCurve())
        w.bIsCurveMode = false;
    else
        w.callExecProc(w.firstPos, *pos, w.eventProcs->exeProc);
    w.endFigurePress();
}

void figureRDown(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    // Outside a figure of several points the right press is the colour pick every tool shares.
    if (!w.drawState.has(BDrawStateBit::stMultiSelect)) {
        TDrawWindow::rightButtonPick(w, shift, pos);
        return;
    }
    try {
        w.removeFigurePoint(*pos);
    } catch (const std::bad_alloc &) {
        stopOnOutOfMemory(w);
    }
}

void figureKeyDown(TDrawWindow &w, uint32_t key, uint32_t)
{
    const BDrawState &st = w.drawState;
    const bool running = st.has(BDrawStateBit::stMultiSelect) || st.has(BDrawStateBit::stLBtn) ||
                         (st.has(BDrawStateBit::stMBtn) && st.has(BDrawStateBit::stHookSysMode));
    if (!running)
        return;
    if (key == VK_ESCAPE) {
        w.cancelFigure();
    } else if (key == VK_SPACE) {
        w.callExecProc(w.firstPos, w.lastPos, w.eventProcs->exeProc);
        w.endFigurePress();
    }
}

void figureForceEnd(TDrawWindow &w, const sPos *pos)
{
    w.bIsCurveMode = false;
    defaultForceEnd(w, pos);
    w.posNum = 0;
}

void showFigureGuide(TDrawWindow &w, TMTC &)
{
    switch (currentFigure()) {
    case eDRAWMODE::DRAWMODE_BOX:
        w.drawBandQuad();
        break;
    case eDRAWMODE::DRAWMODE_POLYGON:
        w.drawBandPolygonPlus();
        break;
    case eDRAWMODE::DRAWMODE_ELLIPSE:
        w.drawBandPolygon();
        break;
    default:
        w.drawBandPolyline();
        break;
    }
}

bool figureExecute(TDrawWindow &w, const sPos &p0, const sPos &p1)
{
    return w.eventDrawExecute(p0, p1, currentFigure(), true);
}
