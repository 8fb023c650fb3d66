// TDrawWindow: the free transform. The window starts the document's transform, lends the tool
// window's transform sub-kinds to it so that group 5's handlers drive it, turns pointer and arrow
// input into the transformer's drags, shows the cursor of the handle under the pointer, and ends
// the transform with or without applying it.
#include "core/base/arrow_key.h"
#include "core/profile/tool_kinds.h"
#include "document/paper/paper.h"
#include "document/transform/select_transform.h"
#include "document/transform/transform_driving.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "platform/system/environment.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/figure_geometry.h"
#include "windows/shell_host.h"

#include <cmath>
#include <new>
#include <stdexcept>

namespace {

using Bit = BDrawStateBit;

constexpr double kDegreesPerRadian = 57.295779513082320876798154814105;

bool isTransformKind(TToolSubKind kind)
{
    return kind == TToolSubKind::tskTransformSelection || kind == TToolSubKind::tskTransformLayer ||
           kind == TToolSubKind::tskTransformSelectionWithLayer;
}

bool buttonHeld(const BDrawState &st)
{
    return st.has(Bit::stLBtn) || st.has(Bit::stMBtn) || st.has(Bit::stRBtn);
}

// The direction from a to b on the screen in degrees, upward positive, in [0, 360); false when the
// points coincide or are not finite.
bool screenAngle(const sFPos &a, const sFPos &b, double &deg)
{
    const double dx = double(b.x) - a.x, dy = double(a.y) - b.y;
    if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0 && dy == 0))
        return false;
    deg = std::atan2(dy, dx) * kDegreesPerRadian;
    if (deg < 0)
        deg += 360;
    if (deg >= 360)
        deg -= 360;
    return true;
}

// Sectors of 45 degrees centred on 0, 45, 90, ...: the number of the sector deg lies in.
int32_t sectorOf(double deg)
{
    return int32_t(std::floor((deg + 22.5) / 45.0));
}

// A resize cursor serves a handle and its opposite alike: four directions.
int32_t resizeCursor(double deg)
{
    return kCursorTransformScale0 + sectorOf(deg) % 4;
}

int32_t rotateCursor(double deg)
{
    return kCursorTransformRot0 + sectorOf(deg) % 8;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Start and end

namespace {

// A transform takes the whole window: not while a stroke, a keyboard move or a borrowed tool runs.
bool canStartTransform(const TDrawWindow &w)
{
    return !w.isStrokingNow() && !w.isInKeyOnly() && !w.isToolHooked() && !w.m_eventPlaying;
}

// The tool window lends the transform's sub-kind until the transform ends; the old table's
// forced end runs first.
void lendTransformTool(TDrawWindow &w, TToolSubKind kind)
{
    w.TimerAutoScroll.Enabled = true;
    IToolForm &tool = mainForm().toolForm();
    w.FLastToolSubKind = tool.FToolSubMode();
    tool.ChangeToolSubMode(kind, true);
    // The tool window may show another window: this one's table follows all the same.
    w.updateEventProcs(false);
}

} // namespace

bool TDrawWindow::transformSelect()
{
    if (!canStartTransform(*this) || !doSelectTransform(*paper))
        return false;
    lendTransformTool(*this, TToolSubKind::tskTransformSelection);
    return true;
}

bool TDrawWindow::transformLayer()
{
    if (!canStartTransform(*this) || !doLayerTransform(*paper))
        return false;
    // The layers below the transformed one are composed once for the whole canvas; each mapping
    // then redraws from the cache.
    buildViewCache();
    recordLinkedLayers();
    mainForm().toolForm().UpdateOptionView(true);
    lendTransformTool(*this, TToolSubKind::tskTransformSelectionWithLayer);
    return true;
}

bool TDrawWindow::transformEnd(bool apply)
{
    if (!paper->FFreeTransformer)
        return false;
    // A drag in progress ends first, so that what is applied is the frame the user sees and a
    // borrowed tool goes back to the transform's sub-kind before that is given back in turn.
    if (buttonHeld(drawState)) {
        const sPos pos = cursorClientPos();
        defaultForceEnd(*this, &pos);
    }
    const bool applied = doTransformEnd(*paper, apply);
    IToolForm &tool = mainForm().toolForm();
    if (isTransformKind(tool.FToolSubMode())) {
        tool.ChangeToolSubMode(FLastToolSubKind, true);
        updateEventProcs(false);
    }
    // The cache was composed for the transformed layer; it must not serve a later redraw.
    releaseViewCache();
    UpdateControls();
    return applied;
}

int32_t TDrawWindow::showTransformEndDialog()
{
    return showQuestionEx(QStringLiteral("変形を適用しますか？"),
                          QStringLiteral("%1 (%2)").arg(QStringLiteral("警告"), gAppTitle),
                          QStringLiteral("適用する"), QStringLiteral("適用しない"),
                          kavrin::mrCancel);
}

// ---------------------------------------------------------------------------------------------
// Pointer and keys

void TDrawWindow::transformDragStart(const sPos &pos)
{
    scrPos = {ScrollBar1.Position, ScrollBar2.Position};
    firstPos = pos;
    doTransformDragStart(*paper, pos);
    drawState.clear(Bit::stFirst);
}

void TDrawWindow::transformDrag(TShiftState, const sPos &pos)
{
    if (pos == lastPos)
        return;
    try {
        doTransformDrag(*paper, pos, pos.x - lastPos.x, pos.y - lastPos.y);
    } catch (const std::bad_alloc &) {
        showWarning(QStringLiteral("メモリ不足のため実行できませんでした！"));
        stopCurrentEvent();
        return;
    } catch (const std::exception &) {
        showWarning(QStringLiteral("例外発生のため実行できません！"));
        stopCurrentEvent();
        return;
    }
    lastPos = pos;
}

void TDrawWindow::transformDragEnd()
{
    doTransformDragEnd(*paper);
    drawState.clear(Bit::stFirst);
}

void TDrawWindow::transformKeyMove(uint32_t key)
{
    sPos d;
    // A key move maps the pixels at once; in the middle of a drag it would cut the drag short.
    if (!arrowKeyDelta(int32_t(key), &d) || buttonHeld(drawState))
        return;
    IMainForm &main = mainForm();
    main.setMainTimerEnabled(false);
    doTransformKeyMove(*paper, sFPos{float(d.x), float(d.y)});
    main.setMainTimerEnabled(true);
}

void TDrawWindow::transformMouseMove(const sPos &pos)
{
    // With Space held the view move is about to be borrowed: the cursor stays as it is.
    if (isKeyDown(VK_SPACE))
        return;
    updateTransformMarker(pos);
}

void TDrawWindow::updateTransformMarker(const sPos &pos)
{
    if (isToolHooked() && !drawState.has(Bit::stMBtn))
        return;
    TSelectTransform *t = paper->FFreeTransformer.get();
    if (!t || !t->FIsFreeTransform)
        return;
    sFPos canvas;
    convToCanvasPos(canvas, pos);
    t->setMarkerTypeInPos(canvas);
    updateTransformCursor(pos);
}

// Directions are measured on the screen (client pixels), so that a handle of a rotated frame, or
// of a frame in a turned or mirrored view, shows the cursor of the way it really points.
void TDrawWindow::updateTransformCursor(const sPos &pos)
{
    const TSelectTransform *t = paper->FFreeTransformer.get();
    if (!t)
        return;
    const int32_t m = t->FMarkerTypeNow;
    double deg = 0;
    if (m >= 0 && m < 8) {
        if (isKeyDown(VK_CONTROL) && !isKeyDown(VK_SHIFT) && !isKeyDown(VK_MENU)) {
            setCursor(kCursorTransformCtrl);
            return;
        }
        const sFPos handle = convToViewPos(*paper, t->getMarkerPoints(m));
        const sFPos opposite =
            convToViewPos(*paper, t->getMarkerPoints(TSelectTransform::getSymmetricMarker(m)));
        if (screenAngle(handle, opposite, deg))
            setCursor(resizeCursor(deg));
    } else if (m == kMarkerCentre) {
        setCursor(kCursorTransformAnchor);
    } else if (m == kMarkerInside) {
        setCursor(kCursorTransformRect);
    } else if (m == kMarkerOutside) {
        const sFPos centre = convToViewPos(*paper, t->getMarkerPoints(kMarkerCentre));
        if (screenAngle(centre, sFPos{float(pos.x), float(pos.y)}, deg))
            setCursor(rotateCursor(deg));
    }
}

void TDrawWindow::squarePoints(sPos &p0, sPos &p1)
{
    makeSquare(p0, p1);
}
