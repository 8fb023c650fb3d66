// TDrawWindow: the handlers of tool groups 1 to 4 (zoom, colour picker, grabber and pen size,
// seed fill, seed erase and magic wand), the colour pick they and the right button share, and
// the magic wand's cursor. The view tools only change the view or the tool window; the seed
// tools reach the document through its recording operations.
#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/seed_fill_ops.h"
#include "document/selection/selection_ops.h"
#include "document/view/view_geometry.h"
#include "paint/stroke/stroke.h"
#include "platform/desktop/keys.h"
#include "ui/colour/colour_model.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

namespace {

using Bit = BDrawStateBit;

// The first of the four wand cursors (none, add, subtract, intersect) of each set.
constexpr int32_t kCursorMagicWand = 22; // "CR_MAGICWAND"
constexpr int32_t kCursorDetail = 34;    // "CR_DETAIL"

constexpr uint32_t kEscape = 27;
constexpr uint32_t kRgbMask = 0x00FFFFFFu;

// Positions of group 3.
enum eGrabberIndex : int
{
    giPosition = 0,
    giRotation = 1,
    giPenSize = 2,
};

IToolForm &tools()
{
    return mainForm().toolForm();
}

int grabberIndex()
{
    return toolSubKindIndex(tools().FToolSubMode());
}

bool anyButtonHeld(const BDrawState &st)
{
    return st.has(Bit::stLBtn) || st.has(Bit::stRBtn) || st.has(Bit::stMBtn);
}

// A grabber drag turns the view: the rotation grabber, or the position grabber's right button.
bool isRotatingDrag(const TDrawWindow &w, int index)
{
    return index == giRotation || (index == giPosition && w.drawState.has(Bit::stRBtn));
}

bool insideBox(const sPos &p, const sPos &origin, const sSize &size)
{
    return p.x >= origin.x && p.y >= origin.y && p.x - origin.x < size.x && p.y - origin.y < size.y;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Zoom

void TDrawWindow::zoomLDown(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos)
        return;
    const bool zoomInTool = tools().FToolSubMode() == TToolSubKind::tskZoomIn;
    bool zin = w.drawState.has(Bit::stRBtn) != zoomInTool;
    // A borrowed zoom tool was chosen by these very keys: they must not turn it round again.
    if (!w.drawState.has(Bit::stHookSysMode)) {
        const bool invert = gAppProfile->UseOldShortCut ? shift.has(TShiftState::ssCtrl)
                                                        : shift.has(TShiftState::ssAlt);
        if (invert)
            zin = !zin;
    }
    sPos p = *pos;
    if (w.paper->bVisReverse)
        p.x += w.paper->m_paperSize.x / 2;
    w.doZoom(p, zin, false);
}

// ---------------------------------------------------------------------------------------------
// Colour picker

bool TDrawWindow::pickUpColor(const sPos &pos, TShiftState shift, uint32_t &color) const
{
    sPos cp;
    convToCanvasPos(cp, pos);
    if (!insideBox(cp, {0, 0}, paper->m_paperSize))
        return false;
    if (shift.has(TShiftState::ssCtrl)) {
        // The layer's own pixel under the point: a moved layer is read where it is shown.
        const int32_t idx = paper->ActiveLayer();
        const CLayerData *ld = paper->getLayerData(idx);
        if (!ld || !ld->imageTC)
            return false;
        const sPos lp = convVramPosToLayerPos(*paper, idx, cp);
        if (!insideBox(lp, {0, 0}, ld->imageTC->FPSZ()))
            return false;
        color = ld->imageTC->getColor(lp.x, lp.y);
        return true;
    }
    const TTC &view = paper->vram();
    if (!view.isEnable() || !insideBox(cp, {0, 0}, view.FPSZ()))
        return false;
    color = view.getColor(cp.x, cp.y);
    return true;
}

void TDrawWindow::doColorPicker(const sPos &pos, TShiftState shift)
{
    if (isStrokingNow())
        return;
    uint32_t picked = 0;
    if (!pickUpColor(pos, shift, picked))
        return;
    const uint32_t rgb = picked & kRgbMask;
    TColor32 c;
    c.bgra = rgb | 0xFF000000u;
    TColorPickerValue value;
    color32ToColorPickerValue(c, value);
    // A colour equal in red, green and blue leaves the tool window's colour object alone.
    const TStroke *stroke = mainForm().Stroke();
    if (shift.has(TShiftState::ssRight)) {
        if (!stroke || (stroke->m_bgCol & kRgbMask) != rgb)
            tools().setBackgroundColor(value);
    } else if (!stroke || (stroke->m_drawColor & kRgbMask) != rgb) {
        tools().setForegroundColor(value);
    }
}

void TDrawWindow::pickerDown(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (pos)
        w.doColorPicker(*pos, shift);
}

void TDrawWindow::pickerMove(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    trackMouseMove(w, shift, pos);
}

void TDrawWindow::rightButtonPick(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    if (!pos || !gAppProfile->useRBtnPicker)
        return;
    // The right button picks the foreground colour; with Shift it keeps picking the background.
    if (!shift.has(TShiftState::ssShift))
        shift = shift.without(TShiftState::ssRight).with(TShiftState::ssLeft);
    w.doColorPicker(*pos, shift);
}

// ---------------------------------------------------------------------------------------------
// Grabber and pen size

void TDrawWindow::grabberDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    switch (grabberIndex()) {
    case giPosition:
        w.disableSmoothZoom();
        w.bUnUpdateFlg = false;
        if (w.drawState.has(Bit::stRBtn))
            w.tmpSingle = w.paper->m_vr;
        break;
    case giRotation:
        w.disableSmoothZoom();
        w.bUnUpdateFlg = false;
        w.tmpSingle = w.paper->m_vr;
        break;
    case giPenSize:
        w.tmpSingle = tools().SelectNibRadius();
        break;
    default:
        break;
    }
    w.lastPos = *pos;
}

void TDrawWindow::grabberHold(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    const int index = grabberIndex();
    if (index == giPenSize) {
        const float s = w.paper->GetZoomScale();
        const int32_t a = int32_t(float(pos->x - w.lastPos.x) * 100.0f / s);
        IToolForm &tool = tools();
        // A brush whose radius cannot change has no range to divide by.
        const float range = tool.SelectNibRealRadiusMax() - tool.SelectNibRealRadiusMin();
        if (a == 0 || !(range > 0))
            return;
        tool.SetPenRadius(float(a) / range + w.tmpSingle);
        w.drawState.set(Bit::stDirty);
        return;
    }
    if (isRotatingDrag(w, index))
        w.rotateDrag(*pos);
    else if (index == giPosition)
        w.panDrag(*pos);
}

void TDrawWindow::grabberUp(TDrawWindow &w, TShiftState, const sPos *pos)
{
    const int index = grabberIndex();
    if (!pos || index == giPenSize || index < 0 || w.bUnUpdateFlg)
        return;
    w.bUnUpdateFlg = true;
    TPaper &p = *w.paper;
    w.restoreSmoothZoom();
    if (!isRotatingDrag(w, index)) {
        if (nowSmoothZoom(p))
            w.UpdateView(true);
        return;
    }
    w.UpdateView(true);
    if (!w.drawState.has(Bit::stDirty)) {
        // A click that did not turn the view puts it upright.
        w.RotToNormal();
        w.UpdateView(true);
        tools().SetDisplayRotation(p.m_vr, p.bVisReverse);
    } else if (nowSmoothZoom(p)) {
        w.UpdateView(true);
    }
}

void TDrawWindow::grabberKeyDown(TDrawWindow &w, uint32_t key, uint32_t)
{
    if (key != kEscape || !anyButtonHeld(w.drawState))
        return;
    TPaper &p = *w.paper;
    const int index = grabberIndex();
    // The release will not run: the view gets back the anti-aliasing the press suspended.
    w.restoreSmoothZoom();
    if (isRotatingDrag(w, index) && p.m_vr != w.tmpSingle) {
        if (w.tmpSingle == 0) {
            w.RotToNormal();
        } else {
            SetViewRot(p, w.tmpSingle);
            w.updateViewRect();
            mainForm().outputStatusRot(p.m_degree);
        }
        w.UpdateView(true);
        tools().SetDisplayRotation(p.m_vr, p.bVisReverse);
    } else if (index == giPosition && nowSmoothZoom(p)) {
        w.UpdateView(true);
    }
    // Ends the press without its release handler.
    w.stopCurrentEvent();
    w.drawState.clear(Bit::stDirty);
}

// ---------------------------------------------------------------------------------------------
// Seed fill, seed erase and magic wand

void TDrawWindow::seedFillDown(TDrawWindow &w, TShiftState, const sPos *pos)
{
    if (!pos)
        return;
    TPaper &p = *w.paper;
    const int32_t idx = p.ActiveLayer();
    const CLayerData *ld = p.getLayerData(idx);
    if (!ld)
        return;
    sPos lp;
    w.convToCanvasPosEx(lp, *pos);
    // Only the part of the layer that covers the paper can be clicked.
    if (!insideBox(lp, ld->viewPos, ld->viewSize))
        return;
    const CAppProfile &prof = *gAppProfile;
    bool done = false;
    switch (tools().FToolSubMode()) {
    case TToolSubKind::tskSeedFill:
        done = eventSeedFill(p, w.flowImage.get(), idx, lp, prof.fillAntiAlias, false, true);
        break;
    case TToolSubKind::tskSeedErase:
        done = eventSeedFill(p, w.flowImage.get(), idx, lp, prof.fillAntiAlias, true, true);
        break;
    case TToolSubKind::tskMagicWand:
        done = eventMagicWand(p, w.flowImage.get(), idx, lp, getMaskAddType(p), prof.wandAntiAlias,
                              true);
        break;
    default:
        return;
    }
    // A click that changed nothing leaves the document unmodified.
    if (done)
        w.setModified(true);
    w.UpdateView(true);
    w.drawState.set(Bit::stDirty);
}

void TDrawWindow::seedMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos)
{
    trackMouseMove(w, shift, pos);
    w.wandCursor();
}

void TDrawWindow::wandCursor()
{
    if (drawState.has(Bit::stHookSysMode) || tools().FToolSubMode() != TToolSubKind::tskMagicWand)
        return;
    int group = 0, index = 0;
    if (getHookTool(group, index, false))
        return;
    if (!hasActiveMaskImage(*paper)) {
        setCursor(kCursorMagicWand);
        return;
    }
    const bool add = isKeyDown(VK_SHIFT);
    const bool subtract = gAppProfile->UseOldShortCut ? isKeyDown(VK_CONTROL) : isKeyDown(VK_MENU);
    const int32_t base = gAppProfile->OtherToolCursor ? kCursorDetail : kCursorMagicWand;
    setCursor(base + (add ? 1 : 0) + (subtract ? 2 : 0));
}
