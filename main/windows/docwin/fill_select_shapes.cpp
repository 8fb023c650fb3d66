// TDrawWindow: the figure fills (group 7) on the active layer and the selection shapes (group 8)
// into its selection: their handlers, guides, option keys, cursors and executors.
#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "document/selection/selection_ops.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/figure_input.h"
#include "windows/shell_host.h"

#include <cmath>

namespace {

using Bit = BDrawStateBit;

// The shapes of both groups: rectangle 0, polygon 1, ellipse 2, lasso 3.
enum eShape : int
{
    shapeRect = 0,
    shapePolygon = 1,
    shapeEllipse = 2,
    shapeLasso = 3,
};

int currentShape()
{
    const TToolSubKind kind = mainForm().toolForm().FToolSubMode();
    int index = shapeRect;
    if (!figureFillIndex(index, kind))
        selectShapeIndex(index, kind);
    return index;
}

bool oldShortcuts()
{
    return gAppProfile && gAppProfile->UseOldShortCut;
}

// The key that subtracts from a selection (intersects with Shift).
bool switchKeyDown()
{
    return isKeyDown(oldShortcuts() ? VK_CONTROL : VK_MENU);
}

void report(TDrawWindow &w, const sPos &pos, TInfomationUpdateOption option)
{
    mainForm().toolForm().UpdateInfomationView(&w, float(pos.x), float(pos.y), option);
}

// The rectangle's two corners in layer pixels for a selection dragged from p0 to p1: the larger
// x and y lowered by one, then squared, then from the centre around the press.
std::array<sPos, 2> selectCorners(sPos s, sPos e, bool square, bool centre)
{
    const sPos s0 = s;
    (s.x > e.x ? s.x : e.x) -= 1;
    (s.y > e.y ? s.y : e.y) -= 1;
    if (square)
        makeSquare(s, e);
    if (centre)
        s = {s0.x - (e.x - s0.x) - 1, s0.y - (e.y - s0.y) - 1};
    return {s, e};
}

sFPos toF(const sPos &p)
{
    return {float(p.x), float(p.y)};
}

} // namespace

void TDrawWindow::convToCanvasPosEx(sFPos &dst, const sPos &src) const
{
    convToCanvasPos(dst, src);
    convVramPosToLayerPos(*paper, paper->ActiveLayer(), dst.x, dst.y);
}

void TDrawWindow::convToCanvasPosEx(sPos &dst, const sPos &src) const
{
    sFPos f;
    convToCanvasPosEx(f, src);
    dst = {int32_t(std::lrint(f.x)), int32_t(std::lrint(f.y))};
}

bool TDrawWindow::isFillAspect() const
{
    return isAspectKeyDown() || (gAppProfile && gAppProfile->fillAspectRock);
}

bool TDrawWindow::isFillCenter() const
{
    return isCenterKeyDown() || (gAppProfile && gAppProfile->fillCenter);
}

bool TDrawWindow::fillRectExecute(const sPos &p0, const sPos &p1)
{
    sPos s, e;
    convToCanvasPosEx(s, p0);
    convToCanvasPosEx(e, p1);
    const auto corners = fillRectCorners(s, e, isFillAspect(), isFillCenter());
    if (!corners)
        return false;
    return eventFillRect(*paper, flowImage.get(), paper->ActiveLayer(), toF((*corners)[0]),
                         toF((*corners)[1]), true, true);
}

bool TDrawWindow::fillEllipseExecute(const sPos &p0, const sPos &p1)
{
    if (p0 == p1)
        return false;
    sPos s, e;
    convToCanvasPosEx(s, p0);
    convToCanvasPosEx(e, p1);
    const auto corners = fillRectCorners(s, e, isFillAspect(), isFillCenter());
    if (!corners)
        return false;
    return eventFillEllipse(*paper, flowImage.get(), paper->ActiveLayer(), 1, toF((*corners)[0]),
                            toF((*corners)[1]), true);
}

bool TDrawWindow::fillPolygonExecute(const sPos &, const sPos &p1)
{
    std::vector<sFPos> list;
    if (!getFigurePolygon(list, p1))
        return false;
    return eventFillPolygon(*paper, flowImage.get(), paper->ActiveLayer(), list, true);
}

bool TDrawWindow::isSelectAspect() const
{
    return (isAspectKeyDown() && !hasActiveMaskImage(*paper)) ||
           (gAppProfile && gAppProfile->selectAspectRock);
}

bool TDrawWindow::isSelectCenter() const
{
    return (isCenterKeyDown() && !hasActiveMaskImage(*paper)) ||
           (gAppProfile && gAppProfile->selectCenter);
}

bool TDrawWindow::selectRectExecute(const sPos &p0, const sPos &p1)
{
    if (p0.x == p1.x || p0.y == p1.y)
        return false;
    sPos q1 = p1;
    calcViewBound(q1, false);
    sPos s, e;
    convToCanvasPosEx(s, p0);
    convToCanvasPosEx(e, q1);
    const auto c = selectCorners(s, e, isSelectAspect(), isSelectCenter());
    return eventSelectRect(*paper, flowImage.get(), paper->ActiveLayer(), toF(c[0]), toF(c[1]),
                           getMaskAddType(*paper), true);
}

bool TDrawWindow::selectEllipseExecute(const sPos &p0, const sPos &p1)
{
    if (p0 == p1)
        return false;
    sPos q1 = p1;
    calcViewBound(q1, false);
    sPos s, e;
    convToCanvasPosEx(s, p0);
    convToCanvasPosEx(e, q1);
    const auto c = selectCorners(s, e, isSelectAspect(), isSelectCenter());
    return eventSelectEllipse(*paper, flowImage.get(), paper->ActiveLayer(), 1, toF(c[0]),
                              toF(c[1]), getMaskAddType(*paper), true);
}

bool TDrawWindow::selectPolygonExecute(const sPos &, const sPos &p1)
{
    sPos q1 = p1;
    calcViewBound(q1, false);
    std::vector<sFPos> list;
    if (!getFigurePolygon(list, q1))
        return false;
    return eventSelectPolygon(*paper, flowImage.get(), paper->ActiveLayer(), list,
                              getMaskAddType(*paper), true);
}

bool TDrawWindow::getFigurePolygon(std::vector<sFPos> &list, const sPos &pos)
{
    list.clear();
    const int32_t held = std::min(posNum, int32_t(posList.size()));
    if (held < 2)
        return false;
    std::vector<sPos> pts(posList.begin(), posList.begin() + held);
    if (!(pts.back() == pos))
        pts.push_back(pos);
    if (pts.size() < 3)
        return false;
    list.reserve(pts.size());
    for (const sPos &p : pts) {
        sFPos f;
        convToCanvasPosEx(f, p);
        list.push_back(f);
    }
    return true;
}

bool TDrawWindow::canDragSelection() const
{
    if (!hasActiveMaskImage(*paper) || isKeyDown(VK_SHIFT) || switchKeyDown())
        return false;
    sPos c;
    convToCanvasPos(c, cursorClientPos());
    return getViewMaskValue(*paper, c) > 0;
}

void TDrawWindow::updateSelectCursor(const sPos &pos)
{
    // A borrowed tool shows its own cursor; only the middle button's leaves this one.
    if (drawState.has(Bit::stHookSysMode) && !drawState.has(Bit::stMBtn))
        return;
    if (toolSubKindGroup(mainForm().toolForm().FToolSubMode()) != 8)
        return;
    int group = 0, index = 0;
    if (getHookTool(group, index, true))
        return;
    int32_t n = 5;
    if (hasActiveMaskImage(*paper)) {
        const bool shift = isKeyDown(VK_SHIFT), sw = switchKeyDown();
        sPos c;
        convToCanvasPos(c, pos);
        if (shift && sw)
            n = 8;
        else if (sw)
            n = 7;
        else if (shift)
            n = 6;
        else if (getViewMaskValue(*paper, c) > 0)
            n = 9;
    }
    if (n <= 8 && gAppProfile && gAppProfile->OtherToolCursor)
        n += 29;
    setCursor(n);
}

// ---------------------------------------------------------------------------------------------
// Groups 7 and 8

namespace {

// The press of both groups at pos (for selections already on the zoom's pixel grid).
void beginShape(TDrawWindow &w, const sPos &pos)
{
    if (w.drawState.has(Bit::stMultiSelect))
        return;
    w.scrPos = {w.ScrollBar1.Position, w.ScrollBar2.Position};
    const int shape = currentShape();
    if (!w.beginFigure(pos, shape == shapePolygon))
        return;
    w.drawState.clear(Bit::stFirst);
    if (shape == shapeLasso) {
        w.posList[0] = w.posList[1] = pos;
        w.posNum = 1;
    } else {
        report(w, pos, TInfomationUpdateOption::iuoSelectStart);
    }
}

// A hold of both groups; square and centre are the group's options.
void holdShape(TDrawWindow &w, const sPos &pos, bool square, bool centre)
{
    if (pos == w.lastPos)
        return;
    try {
        switch (currentShape()) {
        case shapeRect:
            w.setBoxPoints(w.firstPos, pos, centre, square);
            report(w, pos, TInfomationUpdateOption::iuoSelectEnd);
            break;
        case shapeEllipse:
            w.setEllipsePoints(w.firstPos, pos, centre, square);
            break;
        case shapeLasso:
            w.appendLassoPoint(pos);
            break;
        default:
            if (w.drawState.has(Bit::stMultiSelect)) {
                w.growPosList(w.posNum + 1);
                w.posList[size_t(w.posNum)] = pos;
            }
            break;
        }
        w.lastPos = pos;
        w.markGuideDirty();
        w.TimerAutoScroll.Enabled = true;
    } catch (const std::bad_alloc &) {
        stopOnOutOfMemory(w);
    } catch (const std::exception &e) {
        stopOnException(w, e);
    }
}

sPos alignedToZoom(const TDrawWindow &w, sPos pos)
{
    w.calcViewBound(pos, false);
    return pos;
}

} // namespace

void fillLDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (pos)
        beginShape(w, *pos);
}

void fillLHold(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (pos)
        holdShape(w, *pos, w.isFillAspect(), w.isFillCenter());
}

void fillMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    if (w.drawState.has(Bit::stMultiSelect))
        fillLHold(w, shift, pos);
    else
        w.updateMousePos(*pos);
}

// The guide of the current shape; a fill's ellipse shows once it has more than its two points.
void showShapeGuide(TDrawWindow &w, bool ellipseNeedsPoints)
{
    switch (currentShape()) {
    case shapeRect:
        w.drawBandQuad();
        break;
    case shapePolygon:
        w.drawBandPolygonPlus();
        break;
    case shapeEllipse:
        if (!ellipseNeedsPoints || w.posNum > 2)
            w.drawBandPolygon();
        break;
    default:
        w.drawBandPolyline();
        break;
    }
}

using ShapeExecutor = bool (TDrawWindow::*)(const sPos &, const sPos &);

// Runs the current shape's executor of a family (rectangle, ellipse, polygon and lasso) and
// marks the document when it changed.
bool executeShape(TDrawWindow &w, const sPos &p0, const sPos &p1, ShapeExecutor rect,
                  ShapeExecutor ellipse, ShapeExecutor polygon)
{
    const int shape = currentShape();
    const ShapeExecutor run = shape == shapeRect ? rect : shape == shapeEllipse ? ellipse : polygon;
    const bool done = (w.*run)(p0, p1);
    if (done)
        w.setModified(true);
    return done;
}

void showFillGuide(TDrawWindow &w, TMTC &)
{
    showShapeGuide(w, true);
}

bool fillExecute(TDrawWindow &w, const sPos &p0, const sPos &p1)
{
    return executeShape(w, p0, p1, &TDrawWindow::fillRectExecute, &TDrawWindow::fillEllipseExecute,
                        &TDrawWindow::fillPolygonExecute);
}

void selectLDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos || w.drawState.has(Bit::stMultiSelect))
        return;
    const sPos p = alignedToZoom(w, *pos);
    w.firstPos = p;
    beginShape(w, p);
}

void selectLHold(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (pos)
        holdShape(w, alignedToZoom(w, *pos), w.isSelectAspect(), w.isSelectCenter());
}

void selectLUp(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    w.restoreSmoothZoom();
    const sPos p = alignedToZoom(w, *pos);
    if (!w.drawState.has(Bit::stDirty) && p == w.firstPos && !isKeyDown(VK_SHIFT) &&
        !switchKeyDown()) {
        sPos c;
        w.convToCanvasPos(c, p);
        // A click outside the selection clears it; the document changed, so it is marked.
        if (getViewMaskValue(*w.paper, c) <= 0 &&
            eventSelectDelete(*w.paper, w.flow(), w.paper->ActiveLayer(), true))
            w.setModified(true);
    }
    figureLUp(w, shift, &p);
}

void selectMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    if (w.drawState.has(Bit::stMultiSelect)) {
        selectLHold(w, shift, pos);
        return;
    }
    w.updateMousePos(*pos);
    w.updateSelectCursor(*pos);
}

void selectKeyDown(TDrawWindow &w, uint32_t key, uint32_t data)
{
    const BDrawState &st = w.drawState;
    const bool idle = !st.has(Bit::stLBtn) && !st.has(Bit::stRBtn) && !st.has(Bit::stMBtn) &&
                      !st.has(Bit::stMultiSelect) && !st.has(Bit::stKeyOnly);
    const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
    // The selection (the move tool's kind 1) moves by the arrow keys.
    if (idle && arrow)
        w.enterKeyMoveMode(1, key, data);
    else
        figureKeyDown(w, key, data);
}

void showSelectGuide(TDrawWindow &w, TMTC &)
{
    showShapeGuide(w, false);
}

bool selectExecute(TDrawWindow &w, const sPos &p0, const sPos &p1)
{
    return executeShape(w, p0, p1, &TDrawWindow::selectRectExecute,
                        &TDrawWindow::selectEllipseExecute, &TDrawWindow::selectPolygonExecute);
}
