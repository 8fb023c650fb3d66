// TDrawWindow: the mouse and key entry points, the press state, the handler tables, temporary
// tools and the forced end of a running operation.
#include "windows/docwin/input_dispatch.h"

#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/transform/select_transform.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/figure_input.h"
#include "windows/shell_host.h"

#include <cmath>

namespace {

using Bit = BDrawStateBit;

constexpr uint32_t kRepeatBit = 1u << 30;

// The program's own rows. Groups 5 to 9 get their handlers with the tools that own them; until
// then they do nothing, and their forced end is the default one.
constexpr SEventProcs kNullProcs = {
    nullMouseProc, nullMouseProc, nullMouseProc, nullMouseProc, nullMouseProc,
    nullMouseProc, nullMouseProc, nullMouseProc, nullMouseProc, nullKeyProc,
    nullShowProc,  nullExecProc,  defaultForceEnd,
};

constexpr SEventProcs kFreehandProcs = {
    freehandLDown, freehandLHold, freehandLUp,    resetNavigatorScale, nullMouseProc,
    nullMouseProc, nullMouseProc, nullMouseProc,  trackMouseMove,      nullKeyProc,
    nullShowProc,  nullExecProc,  defaultForceEnd,
};

// ---- tools (tools.cpp): the rows of groups 1 to 4, and the right button's colour pick of the
// groups that take it
constexpr SEventProcs withRightPick(SEventProcs p)
{
    p.onRDown = TDrawWindow::rightButtonPick;
    return p;
}

constexpr SEventProcs zoomProcs()
{
    SEventProcs p = kNullProcs;
    p.onLDown = p.onRDown = TDrawWindow::zoomLDown;
    p.onLDblClk = resetNavigatorScale;
    p.onMouseMove = trackMouseMove;
    return p;
}

constexpr SEventProcs pickerProcs()
{
    SEventProcs p = kNullProcs;
    p.onLDown = p.onRDown = TDrawWindow::pickerDown;
    p.onLDblClk = resetNavigatorScale;
    p.onMouseMove = TDrawWindow::pickerMove;
    return p;
}

constexpr SEventProcs grabberProcs()
{
    SEventProcs p = kNullProcs;
    p.onLDown = p.onRDown = TDrawWindow::grabberDown;
    p.onLHold = p.onRHold = TDrawWindow::grabberHold;
    p.onLUp = p.onRUp = TDrawWindow::grabberUp;
    p.onLDblClk = resetNavigatorScale;
    p.onMouseMove = trackMouseMove;
    p.onKeyDown = TDrawWindow::grabberKeyDown;
    return p;
}

constexpr SEventProcs seedProcs()
{
    SEventProcs p = withRightPick(kNullProcs);
    p.onLDown = TDrawWindow::seedFillDown;
    p.onLDblClk = resetNavigatorScale;
    p.onMouseMove = TDrawWindow::seedMouseMove;
    return p;
}
// ---- end of tools

// A group with no tool yet: navigator reset on double click, pointer tracking where the group's
// tools track the pointer (1, 3, 9), and the default forced end.
constexpr SEventProcs pendingGroup(bool tracks, bool resetsNavigator)
{
    SEventProcs p = kNullProcs;
    if (tracks)
        p.onMouseMove = trackMouseMove;
    if (resetsNavigator)
        p.onLDblClk = resetNavigatorScale;
    return p;
}

// ---- text tool (text_tool.cpp)
constexpr SEventProcs textProcs()
{
    SEventProcs p = withRightPick(pendingGroup(true, true));
    p.onLDown = TDrawWindow::textToolDown;
    return p;
}
// ---- end of text tool

// ---- move tool (move_tool.cpp)
constexpr SEventProcs kMoveToolProcs = {
    TDrawWindow::moveToolDown,      TDrawWindow::moveToolHold,    TDrawWindow::moveToolUp,
    resetNavigatorScale,            TDrawWindow::moveToolRDown,   nullMouseProc,
    nullMouseProc,                  nullMouseProc,                TDrawWindow::moveToolMouseMove,
    TDrawWindow::moveToolKeyDown,   TDrawWindow::moveToolShow,    nullExecProc,
    TDrawWindow::moveToolForceEnd,
};
// ---- end of move tool

constexpr std::array<SEventProcs, kEventProcGroups> kProgramTables = {{
    withRightPick(kFreehandProcs),
    zoomProcs(),                // 1 zoom
    pickerProcs(),              // 2 colour pick
    grabberProcs(),             // 3 grabber, pen size
    seedProcs(),                // 4 seed fill, magic wand
    kMoveToolProcs,             // 5 moves, transforms, gradient, trim
    kFigureProcs, // 6 figures (figure_input.cpp)
    kFillProcs,   // 7 figure fills (fill_select_shapes.cpp)
    kSelectProcs, // 8 selection shapes (fill_select_shapes.cpp)
    textProcs(),  // 9 text (text_tool.cpp)
}};

int currentGroup()
{
    return toolSubKindGroup(mainForm().toolForm().FToolSubMode());
}

bool isRepeat(uint32_t data)
{
    return (data & kRepeatBit) != 0;
}

} // namespace

void nullMouseProc(TDrawWindow &, TShiftState, const sPos *) {}
void nullKeyProc(TDrawWindow &, uint32_t, uint32_t) {}
void nullShowProc(TDrawWindow &, TMTC &) {}
bool nullExecProc(TDrawWindow &, const sPos &, const sPos &)
{
    return false;
}

std::array<SEventProcs, kEventProcGroups> &eventProcTables()
{
    static std::array<SEventProcs, kEventProcGroups> t = kProgramTables;
    return t;
}

SEventProcs &eventProcTable(int group)
{
    return eventProcTables().at(size_t(group));
}

void resetEventProcTables()
{
    eventProcTables() = kProgramTables;
}

const SEventProcs &nullEventProcs()
{
    static const SEventProcs procs = kNullProcs;
    return procs;
}

// ---------------------------------------------------------------------------------------------
// Mouse

void TDrawWindow::FormMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    cursorPos = {X, Y};
    mainForm().setMainTimerEnabled(false);
    if (drawState.has(Bit::stIgnore))
        return;
    sPos pos{X, Y};
    const bool dbl = Shift.has(TShiftState::ssDouble);
    if (!dbl) {
        if (drawState.has(Bit::stLBtn) || drawState.has(Bit::stRBtn))
            return;
        if (drawState.has(Bit::stMBtn)) {
            // The middle release was lost: end that press and give its borrowed tool back, so
            // that it does not stay installed for good.
            drawState.clear(Bit::stMBtn);
            abortLeftOrRight(true, nullptr);
            unhookTool(false);
            beepRefused();
        }
    }
    const bool fresh = !drawState.has(Bit::stMultiSelect);
    switch (Button) {
    case TMouseButton::mbLeft:
        if (!dbl || Shift.has(TShiftState::ssCtrl)) {
            if (drawState.has(Bit::stRBtn))
                return;
            drawState.set(Bit::stLBtn);
            drawState.set(Bit::stFirst);
            drawState.clear(Bit::stDirty);
            if (fresh)
                firstPos = pos;
            hookToolByKeys(true, pos);
            // ---- figures: the press snaps to the grid
            if (snapPress(pos) && fresh)
                firstPos = pos;
            // ---- end of figures
            if (canToolActNow()) {
                callMouseProc(Shift, &pos, eventProcs->onLDown);
            } else {
                releaseButton(TMouseButton::mbLeft, Shift, nullptr);
                beepRefused();
            }
        } else if (canToolActNow()) {
            snapPress(pos); // ---- figures
            callMouseProc(Shift, &pos, eventProcs->onLDblClk);
        } else {
            beepRefused();
        }
        return;
    case TMouseButton::mbRight:
        if (dbl) {
            if (canToolActNow())
                callMouseProc(Shift, &pos, eventProcs->onRDblClk);
            else
                beepRefused();
            return;
        }
        if (drawState.has(Bit::stLBtn))
            return;
        drawState.set(Bit::stRBtn);
        drawState.set(Bit::stFirst);
        drawState.clear(Bit::stDirty);
        if (fresh)
            firstPos = pos;
        hookToolByKeys(false, pos);
        if (canToolActNow()) {
            callMouseProc(Shift, &pos, eventProcs->onRDown);
        } else {
            releaseButton(TMouseButton::mbRight, Shift, nullptr);
            beepRefused();
        }
        return;
    case TMouseButton::mbMiddle:
        if (drawState.has(Bit::stMBtn))
            return;
        drawState.set(Bit::stMBtn);
        drawState.set(Bit::stFirst);
        drawState.clear(Bit::stDirty);
        if (fresh)
            firstPos = pos;
        hookMiddleButtonTool(gAppProfile->mouseMBtnFunc);
        // The middle button drives the borrowed tool as a left button does.
        if (canToolActNow()) {
            callMouseProc(Shift, &pos, eventProcs->onLDown);
        } else {
            releaseButton(TMouseButton::mbMiddle, Shift, nullptr);
            beepRefused();
        }
        return;
    }
}

void TDrawWindow::FormMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)
{
    cursorPos = {X, Y};
    mainForm().setMainTimerEnabled(true);
    sPos pos{X, Y};
    // ---- figures: the release snaps, and the lines chosen are forgotten
    if (snapDrag(pos))
        clearSnap();
    // ---- end of figures
    releaseButton(Button, Shift, &pos);
}

void TDrawWindow::FormMouseMove(TShiftState Shift, int32_t X, int32_t Y)
{
    cursorPos = {X, Y};
    if (drawState.has(Bit::stIgnore))
        return;
    sPos pos{X, Y};
    // ---- figures: the nearest lines highlighted; a drag snaps
    if (canSnapWithBrush() || canSnapWithTool()) {
        if (pos == firstPos)
            return;
        drawNearGrid(pos);
        if (drawState.has(Bit::stLBtn))
            snapDrag(pos);
    }
    // ---- end of figures
    if (drawState.has(Bit::stRBtn)) {
        callMouseProc(Shift, &pos, eventProcs->onRHold);
    } else if (drawState.has(Bit::stLBtn)) {
        callMouseProc(Shift, &pos, eventProcs->onLHold);
    } else if (Shift.has(TShiftState::ssMiddle)) {
        // Only a borrowed tool follows the middle button.
        if (drawState.has(Bit::stMBtn) && drawState.has(Bit::stHookSysMode))
            callMouseProc(Shift, &pos, eventProcs->onLHold);
    } else if (!Shift.has(TShiftState::ssDouble)) {
        callMouseProc(Shift, &pos, eventProcs->onMouseMove);
    }
}

void TDrawWindow::releaseButton(TMouseButton button, TShiftState shift, const sPos *pos)
{
    // The flags go before the borrowed tool is given back: its table's forced end must find no
    // press left, or the release would run a second time.
    const auto release = [&](Bit flag, TMouseProc up) {
        if (!drawState.has(flag))
            return;
        if (pos)
            callMouseProc(shift, pos, up);
        drawState.clear(flag);
        drawState.clear(Bit::stFirst);
        drawState.clear(Bit::stIgnore);
        unhookTool(pos != nullptr);
    };
    switch (button) {
    case TMouseButton::mbLeft:
        release(Bit::stLBtn, eventProcs->onLUp);
        break;
    case TMouseButton::mbRight:
        release(Bit::stRBtn, eventProcs->onRUp);
        break;
    case TMouseButton::mbMiddle:
        release(Bit::stMBtn, eventProcs->onLUp);
        break;
    }
    endAutoScroll();
}

void TDrawWindow::abortButton(TMouseButton button, TShiftState shift, const sPos *pos)
{
    const bool glyph = drawState.has(Bit::stShowGlyph);
    releaseButton(button, shift, pos);
    drawState.clear(Bit::stIgnore);
    drawState.clear(Bit::stMultiSelect);
    drawState.clear(Bit::stShowGlyph);
    if (glyph)
        UpdateView(true);
}

void TDrawWindow::abortLeftOrRight(bool left, const sPos *pos)
{
    if (left)
        abortButton(TMouseButton::mbLeft, TShiftState::ssLeft, pos);
    else
        abortButton(TMouseButton::mbRight, TShiftState::ssRight, pos);
}

void defaultForceEnd(TDrawWindow &w, const sPos *pos)
{
    BDrawState &st = w.drawState;
    const bool glyph = st.has(Bit::stShowGlyph);
    const SEventProcs &procs = *w.eventProcs;
    if (st.has(Bit::stLBtn)) {
        if (pos)
            w.callMouseProc(TShiftState::ssLeft, pos, procs.onLUp);
        st.clear(Bit::stLBtn);
    } else if (st.has(Bit::stRBtn)) {
        if (pos)
            w.callMouseProc(TShiftState::ssRight, pos, procs.onRUp);
        st.clear(Bit::stRBtn);
    } else if (st.has(Bit::stMBtn)) {
        if (pos)
            w.callMouseProc(TShiftState::ssLeft, pos, procs.onLUp);
        st.clear(Bit::stMBtn);
    }
    w.unhookTool(false);
    for (Bit b : {Bit::stFirst, Bit::stDirty, Bit::stIgnore, Bit::stMultiSelect, Bit::stShowGlyph})
        st.clear(b);
    w.endAutoScroll();
    if (glyph)
        w.UpdateView(false);
    if (pos)
        w.UpdateControls(pos->x, pos->y);
    else
        w.UpdateControls();
}

void TDrawWindow::stopCurrentEvent()
{
    if (drawState.has(Bit::stLBtn))
        abortButton(TMouseButton::mbLeft, TShiftState::ssLeft, nullptr);
    else if (drawState.has(Bit::stMBtn))
        abortButton(TMouseButton::mbMiddle, TShiftState::ssMiddle, nullptr);
    else if (drawState.has(Bit::stRBtn))
        abortButton(TMouseButton::mbRight, TShiftState::ssRight, nullptr);
    else if (drawState.has(Bit::stKeyOnly))
        callForceEnd(eventProcs->forceEnd, false);
}

// ---------------------------------------------------------------------------------------------
// Keys

void TDrawWindow::keyDownMessage(uint32_t key, uint32_t data)
{
    if (checkKeyboardAccelarator(key, data))
        return;
    if (!drawState.has(Bit::stForceEnd))
        callKeyProc(key, data, eventProcs->onKeyDown);
    UpdateControls();
}

void TDrawWindow::sysKeyDownMessage(uint32_t key, uint32_t data)
{
    if (isRepeat(data))
        return;
    // Without the main window's key routing the document window answers Alt+F4 itself.
    if (checkSysKeyAccelarator(key, data))
        return;
    UpdateControls();
}

void TDrawWindow::sysKeyUpMessage(uint32_t, uint32_t)
{
    UpdateControls();
}

void TDrawWindow::FormKeyUp(uint32_t, TShiftState)
{
    UpdateControls();
}

// ---------------------------------------------------------------------------------------------
// Tables and helpers

void TDrawWindow::updateEventProcs(bool forceEnd)
{
    if (forceEnd && eventProcs)
        callForceEnd(eventProcs->forceEnd, true);
    const int group = currentGroup();
    eventProcs = group >= 0 && group < kEventProcGroups ? &eventProcTable(group) : &nullEventProcs();
}

bool TDrawWindow::canRefreshView() const
{
    const int group = currentGroup();
    return !((group == 5 || group == 6 || group == 7) && drawState.has(Bit::stDirty));
}

bool TDrawWindow::showGlyph(TMTC &dc)
{
    if (!drawState.has(Bit::stShowGlyph) || posNum < 1 || !hasPosList())
        return false;
    callShowProc(dc, eventProcs->showProc);
    return true;
}

void TDrawWindow::TimerAutoScrollTimer()
{
    doAutoScroll(cursorClientPos());
}

void TDrawWindow::callMouseProc(TShiftState shift, const sPos *pos, TMouseProc proc)
{
    if (proc)
        proc(*this, shift, pos);
}

void TDrawWindow::callKeyProc(uint32_t key, uint32_t data, TKeyProc proc)
{
    if (proc)
        proc(*this, key, data);
}

void TDrawWindow::callShowProc(TMTC &dc, TShowProc proc)
{
    if (proc)
        proc(*this, dc);
}

bool TDrawWindow::callExecProc(const sPos &p0, const sPos &p1, TExecProc proc)
{
    if (!proc)
        return false;
    syncObjects();
    return proc(*this, p0, p1);
}

void TDrawWindow::callForceEnd(TForceEndProc proc, bool withPos)
{
    if (!proc)
        return;
    drawState.set(Bit::stForceEnd);
    const sPos pos = cursorClientPos();
    try {
        proc(*this, withPos ? &pos : nullptr);
    } catch (...) {
        drawState.clear(Bit::stForceEnd);
        throw;
    }
    drawState.clear(Bit::stForceEnd);
}

bool TDrawWindow::canToolActNow() const
{
    return !m_eventPlaying || !groupAltersDocument(currentGroup());
}

void TDrawWindow::beepRefused()
{
    ++refusedBeeps;
    if (onBeepRefused)
        onBeepRefused();
}

sPos TDrawWindow::cursorClientPos() const
{
    return onCursorClientPos ? onCursorClientPos() : cursorPos;
}

bool TDrawWindow::isFreeTransform() const
{
    return paper && paper->FFreeTransformer && paper->FFreeTransformer->FIsFreeTransform;
}

void TDrawWindow::convToCanvasPos(sFPos &dst, const sPos &src) const
{
    float x = float(src.x), y = float(src.y);
    CursorCorrection(*paper, clnSize.x, clnSize.y, x, y);
    dst = {x, y};
}

void TDrawWindow::convToCanvasPos(sPos &dst, const sPos &src) const
{
    sFPos f;
    convToCanvasPos(f, src);
    dst = {int32_t(std::lrint(f.x)), int32_t(std::lrint(f.y))};
}

void TDrawWindow::offsetPosList(int32_t dx, int32_t dy)
{
    if (posList.empty() || posNum <= 0 || (dx == 0 && dy == 0))
        return;
    const int32_t n = std::min(posNum, int32_t(posList.size()));
    for (int32_t i = 0; i < n; ++i) {
        posList[size_t(i)].x += dx;
        posList[size_t(i)].y += dy;
    }
}

// ---------------------------------------------------------------------------------------------
// Temporary tools

bool TDrawWindow::hookTool(int group, int index)
{
    if (drawState.has(Bit::stHookSysMode))
        return false;
    const TToolSubKind kind = toolSubKindAt(group, index);
    if (kind == TToolSubKind::tskNone)
        return false;
    if (m_eventPlaying && groupAltersDocument(group))
        return false;
    IToolForm &tool = mainForm().toolForm();
    FOldToolSubKind = tool.FToolSubMode();
    tool.ChangeToolSubMode(kind, false);
    drawState.set(Bit::stHookSysMode);
    return true;
}

void TDrawWindow::unhookTool(bool forceEnd)
{
    if (!drawState.has(Bit::stHookSysMode))
        return;
    mainForm().toolForm().ChangeToolSubMode(FOldToolSubKind, forceEnd);
    drawState.clear(Bit::stShowGlyph);
    drawState.clear(Bit::stHookSysMode);
}

bool TDrawWindow::hookMiddleButtonTool(int32_t func)
{
    // A setting outside the list borrows nothing (it is checked, not masked into the table).
    if (func < 0 || func >= int32_t(kMiddleButtonTools.size()))
        return false;
    const SToolPlace &place = kMiddleButtonTools[size_t(func)];
    return hookTool(place.group, place.index);
}

bool TDrawWindow::hookToolByKeys(bool anyTool, const sPos &)
{
    int group = 0, index = 0;
    if (getHookTool(group, index, false) && (anyTool || (group >= 1 && group <= 3)))
        hookTool(group, index);
    return false;
}

bool TDrawWindow::getHookTool(int &group, int &index, bool noSelectDrag) const
{
    const TToolSubKind kind = mainForm().toolForm().FToolSubMode();
    const int g = toolSubKindGroup(kind);
    const int i = toolSubKindIndex(kind);
    const bool alt = isKeyDown(VK_MENU), ctrl = isKeyDown(VK_CONTROL);
    const bool shift = isKeyDown(VK_SHIFT), space = isKeyDown(VK_SPACE);
    const bool guarded =
        (kind == TToolSubKind::tskMagicWand && hasActiveMask(*paper)) || g == 8;
    const bool transform = isFreeTransform();
    const bool penSize = ctrl && alt && !space && !guarded && !transform;
    const bool viewMove = space && !ctrl && !alt;
    bool viewRotation = false, picker = false, switchKey = false;
    if (!gAppProfile->UseOldShortCut) {
        viewRotation = alt && space && !ctrl;
        picker = alt && !ctrl && !space && !guarded && g != 1 && !transform;
        switchKey = alt;
    } else {
        viewRotation = alt && !ctrl && !shift && !space && !transform;
        picker = shift && !ctrl && !alt && !space && !guarded && g != 3 && g != 1 && !transform;
        switchKey = ctrl;
    }
    const auto answer = [&](int gr, int ix) {
        group = gr;
        index = ix;
        return true;
    };
    if (ctrl && space)
        return answer(1, alt ? 1 : 0);
    if (penSize)
        return answer(3, 2);
    if (viewMove)
        return answer(3, 0);
    if (viewRotation)
        return answer(3, 1);
    if (picker)
        return answer(2, 0);
    // The zoom tool with the switch key held zooms the other way.
    if (g == 1 && switchKey)
        return answer(1, 1 - i);
    // ---- figures: a press inside the selection of a selection-shape tool drags it (the move
    // tool's selection drag, group 5 index 1)
    if (g == 8 && !noSelectDrag && canDragSelection())
        return answer(5, 1);
    // ---- end of figures
    return false;
}
