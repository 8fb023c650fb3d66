// TDrawWindow: zoom, scrolling, rotation and mirroring of the view. The document keeps the view
// state; the window changes it, keeps the point of interest in place and brings the scroll bars,
// the navigator and the status bar along.
#include "windows/docwin/draw_window.h"

#include "core/profile/app_profile.h"
#include "document/edit/edit_ops.h"
#include "document/paper/paper.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "windows/shell_host.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

CAppProfile &profile()
{
    return *gAppProfile;
}

// The room the fit leaves around the canvas, per axis.
constexpr int32_t kFitMargin = 80;

} // namespace

sPos TDrawWindow::canvasPointAtCentre() const
{
    sPos c;
    GetViewCenter(*paper, clnSize.x, clnSize.y, c.x, c.y);
    return c;
}

// ---------------------------------------------------------------------------------------------
// Zoom

void TDrawWindow::ZoomIn(bool alt, int32_t cx, int32_t cy)
{
    const sPos c = canvasPointAtCentre();
    const float s0 = paper->GetZoomScale();
    ::ZoomIn(*paper);
    const float s1 = paper->GetZoomScale();
    applyZoom(alt, {cx + int32_t(float(c.x - cx) * s0 / s1), cy + int32_t(float(c.y - cy) * s0 / s1)});
}

void TDrawWindow::ZoomOut(bool alt, int32_t cx, int32_t cy)
{
    const sPos c = canvasPointAtCentre();
    const float s0 = paper->GetZoomScale();
    ::ZoomOut(*paper);
    const float s1 = paper->GetZoomScale();
    applyZoom(alt, {cx + int32_t(float(c.x - cx) * s0 / s1), cy + int32_t(float(c.y - cy) * s0 / s1)});
}

void TDrawWindow::ZoomReset(bool alt, int32_t cx, int32_t cy)
{
    ::ZoomReset(*paper);
    applyZoom(alt, {cx, cy});
}

void TDrawWindow::ZoomReset(bool alt)
{
    ZoomReset(alt, paper->m_paperSize.x / 2, paper->m_paperSize.y / 2);
}

float TDrawWindow::changeZoom(int32_t Numerator, int32_t Denominator, bool alt, const sPos *pos)
{
    const float s = SetZoomFraction(*paper, Numerator, Denominator);
    applyZoom(alt, pos ? *pos : sPos{paper->m_paperSize.x / 2, paper->m_paperSize.y / 2});
    return s;
}

float TDrawWindow::changeZoom(int32_t Numerator, int32_t Denominator, bool alt)
{
    return changeZoom(Numerator, Denominator, alt, nullptr);
}

void TDrawWindow::applyZoom(bool alt, sPos centre)
{
    if (alt && placement.state == eWindowState::wsNormal)
        formSizeCorrect(false);
    const sSize size = paper->m_paperSize;
    centre.x = std::clamp(centre.x, 0, std::max(size.x, 0));
    centre.y = std::clamp(centre.y, 0, std::max(size.y, 0));
    layoutScrollBars();
    const float s = paper->GetZoomScale();
    const bool bars = profile().showScrollBar;
    int32_t x = int32_t(float(centre.x) * s - float(clnSize.x) / 2 + 0.5f) + marginSize.x;
    int32_t y = int32_t(float(centre.y) * s - float(clnSize.y) / 2 + 0.5f) + marginSize.y;
    if (bars) {
        x += ScrollBar2.thickness / 2;
        y += ScrollBar1.thickness / 2;
    }
    if (isViewTurned(*paper))
        SetViewRotPoint(*paper, float(centre.x), float(centre.y));
    ScrollBar1.setPosition(x);
    ScrollBar2.setPosition(y);
    updateCaption(false);
    const bool ghost = FGhostVis;
    EraseBrushGhost();
    UpdateView(isNeedToUpdateRotVram());
    IToolForm &tool = mainForm().toolForm();
    const sPos c = canvasPointAtCentre();
    tool.SetDisplayCenter(c.x, c.y);
    tool.SetDisplayScale(s);
    if (ghost)
        DrawBrushGhost(cursorPos.x, cursorPos.y, false);
}

void TDrawWindow::doZoom(const sPos &pos, bool zin, bool alt)
{
    if (!canChangeView())
        return;
    const float s = paper->GetZoomScale();
    const auto axis = [s](int32_t p, int32_t offset, int32_t view) {
        return offset <= 0 ? int32_t(float(p) / s + float(view))
                           : int32_t(float(p) / s - float(offset) / s);
    };
    const int32_t cx = axis(pos.x, paper->m_dx, paper->m_vx);
    const int32_t cy = axis(pos.y, paper->m_dy, paper->m_vy);
    // Space held means a temporary zoom: the window keeps its size.
    const bool a = alt && !spaceHeld;
    if (zin && CanZoomIn(*paper))
        ZoomIn(a, cx, cy);
    else if (!zin && CanZoomOut(*paper))
        ZoomOut(a, cx, cy);
    updateViewRect();
}

void TDrawWindow::doZoom(bool zin)
{
    doZoom({clnSize.x / 2, clnSize.y / 2}, zin, false);
}

namespace {

// The fit fraction for a client of W x H and the canvas turned by the view angle; false for an
// empty canvas. An axis of 80 pixels or less fits as if one pixel were left.
bool fitFraction(const TPaper &paper, const sSize &client, TFraction &f)
{
    const int32_t w = paper.m_paperSize.x, h = paper.m_paperSize.y;
    if (w <= 0 || h <= 0)
        return false;
    const int32_t W = std::max(client.x - kFitMargin, 1);
    const int32_t H = std::max(client.y - kFitMargin, 1);
    const float c = std::fabs(paper.m_cos), n = std::fabs(paper.m_sin);
    const float bw = float(w) * c + float(h) * n;
    const float bh = float(w) * n + float(h) * c;
    if (float(H) * bw > float(W) * bh)
        f = {W, std::max(int32_t(bw + 0.5f), 1)};
    else
        f = {H, std::max(int32_t(bh + 0.5f), 1)};
    return true;
}

} // namespace

float TDrawWindow::GetZoomAutoSingle() const
{
    TFraction f;
    if (!fitFraction(*paper, clnSize, f))
        return 1.0f;
    return float(f.Numerator) / float(f.Denominator);
}

bool TDrawWindow::CheckZoomAuto() const
{
    const uint32_t e = profile().EnbAutoSize;
    return (e & 1) != 0 && ((e & 2) == 0 || m_eventPlaying);
}

bool TDrawWindow::CanZoomAuto() const
{
    TFraction f;
    if (!canChangeView() || !fitFraction(*paper, clnSize, f))
        return false;
    const TFraction z = paper->FDisplayFraction;
    return int64_t(f.Numerator) * z.Denominator != int64_t(z.Numerator) * f.Denominator;
}

bool TDrawWindow::ZoomAuto(bool alt, int32_t cx, int32_t cy, bool zin)
{
    TFraction f;
    if (!fitFraction(*paper, clnSize, f))
        return false;
    if (!zin && f.Numerator > f.Denominator)
        f = {1, 1};
    const sPos c{cx, cy};
    changeZoom(f.Numerator, f.Denominator, alt, &c);
    return true;
}

bool TDrawWindow::ZoomAuto(bool alt, bool zin)
{
    return ZoomAuto(alt, paper->m_paperSize.x / 2, paper->m_paperSize.y / 2, zin);
}

bool TDrawWindow::switchSmoothZoom(bool sw)
{
    const bool old = m_bSmoothZoom;
    if (sw == m_bSmoothZoom && sw == m_bMasterSmoothZoom)
        return old;
    m_bSmoothZoom = m_bMasterSmoothZoom = sw;
    if (sw)
        updateViewNow(isNeedToUpdateRotVram(), nullptr);
    mainForm().outputStatusText(eStatusItem::stiHint,
                                QStringLiteral("%1 %2").arg(QStringLiteral("アンチエイリアス表示"),
                                                            sw ? QStringLiteral("有効")
                                                               : QStringLiteral("無効")));
    return old;
}

bool TDrawWindow::restoreSmoothZoom()
{
    m_bSmoothZoom = m_bMasterSmoothZoom;
    return m_bMasterSmoothZoom;
}

// ---------------------------------------------------------------------------------------------
// Scrolling

void TDrawWindow::ScrollBar1Scroll(TScrollCode code, int32_t pos)
{
    refreshViewRgn();
    // The figure's points follow the canvas under them.
    followScroll(pos, scrPos.y);
    if (code == TScrollCode::scTrack)
        disableSmoothZoom();
    if (code == TScrollCode::scPosition) {
        restoreSmoothZoom();
        return;
    }
    ScrollBar1.setPosition(pos);
    mainForm().toolForm().UpdateNavigatorView();
    const sPos bar{ScrollBar1.Position, ScrollBar2.Position};
    updateViewNow(isNeedToUpdateRotVram(), &bar);
}

void TDrawWindow::ScrollBar2Scroll(TScrollCode code, int32_t pos)
{
    refreshViewRgn();
    followScroll(scrPos.x, pos);
    if (code == TScrollCode::scTrack)
        disableSmoothZoom();
    if (code == TScrollCode::scPosition) {
        restoreSmoothZoom();
        return;
    }
    ScrollBar2.setPosition(pos);
    mainForm().toolForm().UpdateNavigatorView();
    const sPos bar{ScrollBar1.Position, ScrollBar2.Position};
    updateViewNow(isNeedToUpdateRotVram(), &bar);
}

void TDrawWindow::mouseWheel(int32_t delta, bool leftButton)
{
    if (delta == 0)
        return;
    // Toward the user zooms in; the left button held reverses it. Modifier keys change nothing.
    bool zin = delta < 0;
    if (leftButton)
        zin = !zin;
    doZoom(zin);
    mainForm().toolForm().SetDisplayScale(paper->GetZoomScale());
}

void TDrawWindow::SetDisplayCenter(int32_t dx, int32_t dy)
{
    refreshViewRgn();
    SetViewRotPoint(*paper, float(dx), float(dy));
    if (!isViewTurned(*paper)) {
        const float s = paper->GetZoomScale();
        dx = std::clamp(dx, 0, std::max(paper->m_paperSize.x, 0));
        dy = std::clamp(dy, 0, std::max(paper->m_paperSize.y, 0));
        ScrollBar1.setPosition(int32_t(float(dx) * s) + marginSize.x - clnSize.x / 2);
        ScrollBar2.setPosition(int32_t(float(dy) * s) + marginSize.y - clnSize.y / 2);
    }
    updateViewNow(isNeedToUpdateRotVram(), nullptr);
    updateViewRect();
    drawState.set(BDrawStateBit::stDirty);
}

void TDrawWindow::scrollViewBy(int32_t dx, int32_t dy)
{
    refreshViewRgn();
    if (paper->bVisReverse)
        dx = -dx;
    if (!isViewTurned(*paper)) {
        ScrollBar1.setPosition(ScrollBar1.Position - dx);
        ScrollBar2.setPosition(ScrollBar2.Position - dy);
    } else {
        const float s = paper->GetZoomScale();
        AddViewRotPoint(*paper, float(dx) / s, float(dy) / s);
    }
    updateViewNow(isNeedToUpdateRotVram(), nullptr);
    updateViewRect();
    const sPos c = canvasPointAtCentre();
    mainForm().toolForm().SetDisplayCenter(c.x, c.y);
    drawState.set(BDrawStateBit::stDirty);
}

void TDrawWindow::calcViewBound(sPos &pos, bool) const
{
    const int32_t n = std::max(1, int32_t(std::floor(paper->GetZoomScale())));
    pos.x = n * (pos.x / n);
    pos.y = n * (pos.y / n);
}

void TDrawWindow::convFromCanvasScale(sPos &dst, const sPos &src) const
{
    const float s = paper->GetZoomScale();
    if (!isViewTurned(*paper)) {
        dst = {int32_t(float(src.x) / s), int32_t(float(src.y) / s)};
        return;
    }
    const float c = paper->m_cos, n = paper->m_sin;
    const float x = paper->bVisReverse ? -float(src.x) : float(src.x), y = float(src.y);
    dst = {int32_t((c * x - n * y) / s), int32_t((n * x + c * y) / s)};
}

void TDrawWindow::convToCanvasScale(sPos &dst, const sPos &src) const
{
    const float s = paper->GetZoomScale();
    if (!isViewTurned(*paper)) {
        dst = {int32_t(float(src.x) * s), int32_t(float(src.y) * s)};
        return;
    }
    const float c = paper->m_cos, n = paper->m_sin;
    const float x = float(src.x), y = float(src.y);
    int32_t cx = int32_t(s * (c * x + n * y));
    if (paper->bVisReverse)
        cx = -cx;
    dst = {cx, int32_t(s * (c * y - n * x))};
}

// ---------------------------------------------------------------------------------------------
// Rotation and mirroring

void TDrawWindow::dispatchRotate(float deg, bool first)
{
    IMainForm &main = mainForm();
    IToolForm &tool = main.toolForm();
    main.outputStatusRot(deg);
    if (deg != 0 && deg != 360) {
        if (first && !isViewTurned(*paper)) {
            const sPos c = canvasPointAtCentre();
            SetViewRotPoint(*paper, float(c.x), float(c.y));
            tool.SetDisplayCenter(c.x, c.y);
        }
        showScrollBars(false);
        SetViewDegree(*paper, deg);
        updateViewRect();
        updateViewNow(true, nullptr);
        tool.SetDisplayRotation(paper->m_vr, paper->bVisReverse);
        return;
    }
    const bool rebuild = isNeedToUpdateRotVram();
    RotToNormal();
    UpdateView(rebuild);
    tool.SetDisplayRotation(paper->m_vr, paper->bVisReverse);
    if (paper->bVisReverse)
        showScrollBars(false);
}

namespace {

// Lays the bars out and puts them where the rotation centre is the client centre.
void barsOnRotationCentre(TDrawWindow &w, TPaper &paper)
{
    w.layoutScrollBars();
    const float s = paper.GetZoomScale();
    w.ScrollBar1.setPosition(int32_t(s * paper.m_vrX) + w.marginSize.x - w.clnSize.x / 2);
    w.ScrollBar2.setPosition(int32_t(s * paper.m_vrY) + w.marginSize.y - w.clnSize.y / 2);
}

} // namespace

void TDrawWindow::RotToNormal()
{
    if (!isViewTurned(*paper))
        return;
    RefreshFlow(*paper, flowImage.get(), paper->ActiveLayer(), false);
    const sPos c = canvasPointAtCentre();
    SetViewDegree(*paper, 0);
    SetViewRotPoint(*paper, float(c.x), float(c.y));
    barsOnRotationCentre(*this, *paper);
    showScrollBars(true);
    updateViewRect();
    mainForm().toolForm().SetDisplayRotation(0, paper->bVisReverse);
    mainForm().outputStatusRot(0);
}

void TDrawWindow::RevToNomal()
{
    RefreshFlow(*paper, flowImage.get(), paper->ActiveLayer(), false);
    const sPos c = canvasPointAtCentre();
    SetViewRotPoint(*paper, float(c.x), float(c.y));
    barsOnRotationCentre(*this, *paper);
    updateViewRect();
    mainForm().toolForm().SetDisplayRotation(paper->m_vr, paper->bVisReverse);
    mainForm().outputStatusRot(paper->m_degree);
}

void TDrawWindow::dispatchReverse(bool first)
{
    IToolForm &tool = mainForm().toolForm();
    if (paper->bVisReverse)
        RevToNomal();
    if (first) {
        const sPos c = canvasPointAtCentre();
        SetViewRotPoint(*paper, float(c.x), float(c.y));
        tool.SetDisplayCenter(c.x, c.y);
    }
    showScrollBars(false);
    paper->bVisReverse = !paper->bVisReverse;
    updateViewRect();
    updateViewNow(true, nullptr);
    tool.SetDisplayRotation(paper->m_vr, paper->bVisReverse);
}

void TDrawWindow::panDrag(const sPos &pos)
{
    scrollViewBy(pos.x - lastPos.x, pos.y - lastPos.y);
    lastPos = pos;
}

void TDrawWindow::rotateDrag(const sPos &pos)
{
    const float hx = float(clnSize.x / 2), hy = float(clnSize.y / 2);
    const float ux = float(lastPos.x) - hx, uy = float(lastPos.y) - hy;
    const float vx = float(pos.x) - hx, vy = float(pos.y) - hy;
    const float a = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
    const float turn = paper->bVisReverse ? a : -a;
    const float deg = (turn + tmpSingle) * 180.0f / std::numbers::pi_v<float>;
    dispatchRotate(deg, !drawState.has(BDrawStateBit::stDirty));
    drawState.set(BDrawStateBit::stDirty);
}
