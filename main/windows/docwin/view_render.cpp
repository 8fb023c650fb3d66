// TDrawWindow: the off-screen buffer and the screen surface, painting, the scroll bars and
// margins of an unrotated view, the visible canvas rectangle and outline, the brush outline,
// window sizing and cascading, and the view cache of layer drags.
#include "windows/docwin/draw_window.h"

#include "core/profile/app_profile.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/view/composition.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "ui/base/system_colours.h"
#include "ui/views/navigator.h"
#include "windows/shell_host.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// The brush of every margin: 0xCCCCCC, opaque on the surface.
constexpr uint32_t kMarginColor = 0xFFCCCCCC;
// The brush outline's pen: not-XOR with this colour.
constexpr uint32_t kGhostPen = 0x555555;
constexpr int32_t kCascadeStep = 24;
constexpr int32_t kCascadeWindows = 6;

sBox boxOf(const sRect &r)
{
    return {r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0};
}

bool isEmpty(const sRect &r)
{
    return r.x1 <= r.x0 || r.y1 <= r.y0;
}

// The pixel order of a COLORREF (red in the low byte) as a surface pixel.
uint32_t surfaceColor(uint32_t colorref)
{
    return 0xFF000000 | ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

// The selection outline drawn on the surface, only inside the canvas outline.
class CClippedSink : public IPixelSink
{
  public:
    CClippedSink(TMTC &dc, const QPolygon *clip) : m_dc(dc), m_clip(clip) {}
    void SetPixel(int32_t x, int32_t y, uint32_t color) override
    {
        if (x < 0 || y < 0 || x >= m_dc.width() || y >= m_dc.height())
            return;
        if (m_clip && !m_clip->containsPoint(QPoint(x, y), Qt::WindingFill))
            return;
        m_dc.seek32(x, y)->all = 0xFF000000 | ((color & 0xFF) << 16) | (color & 0xFF00) |
                                 ((color >> 16) & 0xFF);
    }

  private:
    TMTC &m_dc;
    const QPolygon *m_clip;
};

CAppProfile &profile()
{
    return *gAppProfile;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Buffer and painting

TMTC *TDrawWindow::viewSurface()
{
    return m_surface.isEnable() ? &m_surface : nullptr;
}

void TDrawWindow::FormResize(const sSize &client)
{
    if (!paper || placement.state == eWindowState::wsMinimized)
        return;
    clnSize = {std::max(client.x, 0), std::max(client.y, 0)};
    // A failed allocation leaves the images empty: painting then copies nothing.
    if (!dwBuffer.Resize(clnSize.x, clnSize.y) || !m_surface.Resize(clnSize.x, clnSize.y)) {
        dwBuffer.Resize(0, 0);
        m_surface.Resize(0, 0);
    }
    updateViewNow(isNeedToUpdateRotVram(), nullptr);
    IToolForm &tool = mainForm().toolForm();
    tool.SetClientSize(clnSize);
    int32_t mx = 0, my = 0;
    GetViewCenter(*paper, clnSize.x, clnSize.y, mx, my);
    tool.SetDisplayCenter(mx, my);
    if (grabberShown()) {
        TGrabberControl *grb = tool.FGrbCtrl();
        grb->move((clnSize.x - grb->width()) / 2, (clnSize.y - grb->height()) / 2);
    }
}

bool TDrawWindow::grabberShown() const
{
    TGrabberControl *grb = mainForm().toolForm().FGrbCtrl();
    return grb && !grb->isHidden();
}

void TDrawWindow::invalidate(bool)
{
    m_dirty = true;
    if (onInvalidate)
        onInvalidate();
}

void TDrawWindow::FormPaint()
{
    if (!m_dirty)
        return;
    paintView();
}

void TDrawWindow::surfacePainted(const sRect &r)
{
    if (onSurfacePainted)
        onSurfacePainted(r);
}

void TDrawWindow::updateNow()
{
    paintView();
    surfacePainted({0, 0, clnSize.x, clnSize.y});
}

void TDrawWindow::paintView()
{
    m_dirty = false;
    if (!dwBuffer.isEnable() || !m_surface.isEnable())
        return;
    for (const sRect &r : bgRects)
        if (!isEmpty(r))
            fillBG(dwBuffer, &r);
    blitVRAM(*paper, &dwBuffer);
    if (grabberShown() && isActive() && !m_eventPlaying) {
        TGrabberControl *grb = mainForm().toolForm().FGrbCtrl();
        QImage view = dwBuffer.imageView();
        grb->PaintTo(view, grb->x(), grb->y());
    }
    m_surface.copyImage(dwBuffer);
    showGrid(m_surface);
    showAnts(m_surface);
    // The figure guide of the running tool over the grid and the ants.
    showGlyph(m_surface);
    if (profile().showScrollBar && !isViewTurned(*paper)) {
        const sRect corner{clnSize.x - ScrollBar2.thickness, clnSize.y - ScrollBar1.thickness,
                           clnSize.x, clnSize.y};
        m_surface.fillBoxC(boxOf(corner), surfaceColor(getSysColor(COLOR_BTNFACE)));
    }
    // The copy removed the old outline: draw it again without erasing.
    if (FGhostVis)
        xorEllipse(FGhostRect);
}

void TDrawWindow::fillBG(TMTC &dc, const sRect *r)
{
    const sRect all{0, 0, clnSize.x, clnSize.y};
    sBox b = boxOf(r ? *r : all);
    dc.fillBox(b, kMarginColor);
}

bool TDrawWindow::showAnts(TMTC &dc)
{
    if (!paper->bVisMask)
        return false;
    CClippedSink sink(dc, hasViewRgn ? &viewRgn : nullptr);
    ::showAnts(*paper, &sink, clnSize);
    return true;
}

void TDrawWindow::Timer1Timer()
{
    if (!paper->bVisMask || !m_surface.isEnable())
        return;
    walkAnts(*paper);
    CClippedSink sink(m_surface, nullptr);
    ::showAnts(*paper, &sink, clnSize);
    surfacePainted({0, 0, clnSize.x, clnSize.y});
}

void TDrawWindow::UpdateAll()
{
    UpdateVRAM(*paper, true, true);
    ::UpdateView(*paper, this, true);
}

void TDrawWindow::UpdateAllPart(const sBox &box)
{
    UpdateVRAMPart(*paper, box, true, true);
    ::UpdateView(*paper, this, true);
}

void TDrawWindow::updateViewNow(bool mk, const sPos *barpos)
{
    resetScrollBars(barpos);
    if (mk)
        makeRotVRAM2(*paper);
    paintView();
    surfacePainted({0, 0, clnSize.x, clnSize.y});
}

bool TDrawWindow::isNeedToUpdateRotVram() const
{
    return !paper->bVisCanvasCol || !isZoomSimple(*paper) || isViewTurned(*paper);
}

// ---------------------------------------------------------------------------------------------
// Scroll bars and margins

void TDrawWindow::resetScrollBars(const sPos *barpos)
{
    if (isViewTurned(*paper)) {
        updateViewRect();
        return;
    }
    layoutScrollBars();
    if (barpos) {
        ScrollBar1.setPosition(barpos->x);
        ScrollBar2.setPosition(barpos->y);
    }
    scrollViewTo(ScrollBar1.Position, ScrollBar2.Position);
}

void TDrawWindow::initScrollPos()
{
    ScrollBar1.setPosition(paper->m_paperSize.x);
    ScrollBar2.setPosition(paper->m_paperSize.y);
}

void TDrawWindow::showScrollBars(bool show)
{
    if (ScrollBar1.Visible != show || ScrollBar2.Visible != show) {
        ScrollBar1.Visible = ScrollBar2.Visible = show;
        ++ScrollBar1.changes;
        ++ScrollBar2.changes;
    }
    if (onScrollBarsChanged)
        onScrollBarsChanged();
}

void TDrawWindow::layoutScrollBars()
{
    if (isViewTurned(*paper)) {
        showScrollBars(false);
        return;
    }
    const float s = paper->GetZoomScale();
    const bool show = profile().showScrollBar;
    const int32_t vw = ScrollBar2.thickness, hh = ScrollBar1.thickness;
    const auto lay = [s](CScrollBarModel &bar, const sRect &bounds, int32_t client, int32_t canvas,
                         int32_t margin) {
        bar.bounds = bounds;
        bar.LargeChange = int32_t(float(client - 16) / s);
        bar.Max = int32_t(float(canvas) * s) + 2 * margin;
        bar.PageSize = client;
        bar.SmallChange = int32_t(s * 10);
        bar.Position = std::clamp(bar.Position, 0, std::max(bar.Max, 0));
        ++bar.changes;
    };
    lay(ScrollBar1, {0, clnSize.y - hh, clnSize.x - vw, clnSize.y}, clnSize.x,
        paper->m_paperSize.x, marginSize.x);
    lay(ScrollBar2, {clnSize.x - vw, 0, clnSize.x, clnSize.y - hh}, clnSize.y,
        paper->m_paperSize.y, marginSize.y);
    showScrollBars(show);
}

void TDrawWindow::scrollViewTo(int32_t x, int32_t y)
{
    if (isViewTurned(*paper))
        return;
    const float s = paper->GetZoomScale();
    const int32_t W = clnSize.x, H = clnSize.y;
    const sSize M = marginSize;
    const TFraction f = paper->FDisplayFraction;
    const bool fill = f.Numerator >= f.Denominator;
    bgRects.fill(sRect{});

    // One axis: the position clamped to the bar's end, the draw offset where the margin before
    // the canvas shows, the view position inside it, and the spans of margin before and after
    // (along the axis: from, to) that a filled view paints.
    struct SAxis
    {
        int32_t draw = 0, view = 0;
        bool before = false, after = false;
        int32_t beforeEnd = 0, afterStart = 0;
    };
    const auto axis = [&](int32_t &pos, int32_t canvas, int32_t margin, int32_t client,
                          CScrollBarModel &bar) {
        SAxis a;
        const int32_t maxPos = int32_t(float(canvas) * s) + 2 * margin - client;
        if (pos > maxPos) {
            bar.setPosition(maxPos);
            pos = maxPos;
        }
        if (pos < margin) {
            a.draw = margin - pos;
            a.before = fill;
            a.beforeEnd = a.draw;
        } else {
            a.view = int32_t(float(pos - margin) / s);
        }
        if (pos + margin + client >= bar.Max && fill) {
            a.after = true;
            a.afterStart = client - (pos + margin + client - bar.Max);
        }
        return a;
    };
    const SAxis ax = axis(x, paper->m_paperSize.x, M.x, W, ScrollBar1);
    const SAxis ay = axis(y, paper->m_paperSize.y, M.y, H, ScrollBar2);
    if (ax.before)
        bgRects[0] = {0, 0, ax.beforeEnd, H};
    if (ax.after)
        bgRects[1] = {ax.afterStart, 0, ax.afterStart + W, H};
    if (ay.before)
        bgRects[2] = {0, 0, W, ay.beforeEnd};
    if (ay.after)
        bgRects[3] = {0, ay.afterStart, W, ay.afterStart + H};
    const int32_t dx = ax.draw, dy = ay.draw, vx = ax.view, vy = ay.view;

    SetDrawPoint(*paper, dx, dy);
    SetViewPoint(*paper, vx, vy);
    SetViewRot(*paper, 0);
    int32_t mx = 0, my = 0;
    GetViewCenter(*paper, W, H, mx, my);
    SetViewRotPoint(*paper, float(mx), float(my));
    updateViewRect();
}

int32_t TDrawWindow::getTrueClientSize(int32_t &w, int32_t &h) const
{
    w = clnSize.x;
    h = clnSize.y;
    int32_t r = 0;
    if (ScrollBar2.Visible) {
        w -= ScrollBar2.thickness;
        r |= 1;
    }
    if (ScrollBar1.Visible) {
        h -= ScrollBar1.thickness;
        r |= 2;
    }
    return r;
}

void TDrawWindow::updateViewRect()
{
    int32_t w = 0, h = 0;
    getTrueClientSize(w, h);
    float minx = 0, miny = 0, maxx = 0, maxy = 0;
    const sPos corners[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    for (int i = 0; i < 4; ++i) {
        float x = float(corners[i].x), y = float(corners[i].y);
        CursorCorrection(*paper, clnSize.x, clnSize.y, x, y);
        if (i == 0 || x < minx)
            minx = x;
        if (i == 0 || x > maxx)
            maxx = x;
        if (i == 0 || y < miny)
            miny = y;
        if (i == 0 || y > maxy)
            maxy = y;
    }
    const sSize size = paper->m_paperSize;
    viewRect = {std::max(0, int32_t(std::floor(minx))), std::max(0, int32_t(std::floor(miny))),
                std::min(size.x, int32_t(std::floor(maxx)) + 1),
                std::min(size.y, int32_t(std::floor(maxy)) + 1)};
    if (viewRect.x1 < viewRect.x0)
        viewRect.x1 = viewRect.x0;
    if (viewRect.y1 < viewRect.y0)
        viewRect.y1 = viewRect.y0;
}

void TDrawWindow::makeViewRgn()
{
    const sSize size = paper->m_paperSize;
    const sPos corners[4] = {{0, 0}, {size.x, 0}, {size.x, size.y}, {0, size.y}};
    viewRgn.clear();
    for (const sPos &c : corners) {
        const sPos v = convToViewPos(*paper, c);
        viewRgn << QPoint(v.x, v.y);
    }
    hasViewRgn = true;
}

void TDrawWindow::refreshViewRgn()
{
    if (hasViewRgn)
        makeViewRgn();
}

void TDrawWindow::freeViewRgn()
{
    viewRgn.clear();
    hasViewRgn = false;
}

// ---------------------------------------------------------------------------------------------
// The brush outline

void TDrawWindow::xorEllipse(const sRect &r)
{
    const int32_t w = r.x1 - r.x0, h = r.y1 - r.y0;
    if (w <= 0 || h <= 0 || !m_surface.isEnable())
        return;
    // The aliased ellipse's pixels as a mask, so that each is inverted once.
    QImage mask(w, h, QImage::Format_ARGB32);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::black, 0));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(0, 0, w - 1, h - 1));
    }
    for (int32_t y = 0; y < h; ++y) {
        const int32_t sy = r.y0 + y;
        if (sy < 0 || sy >= m_surface.height())
            continue;
        const auto *row = reinterpret_cast<const uint32_t *>(mask.constScanLine(y));
        for (int32_t x = 0; x < w; ++x) {
            const int32_t sx = r.x0 + x;
            if (row[x] == 0 || sx < 0 || sx >= m_surface.width())
                continue;
            uint32_t &d = m_surface.seek32(sx, sy)->all;
            d = (d & 0xFF000000) | (~(kGhostPen ^ d) & 0x00FFFFFF);
        }
    }
    surfacePainted(r);
}

void TDrawWindow::DrawBrushGhost(int32_t X, int32_t Y, bool Erase)
{
    if (grabberShown())
        return;
    if (Erase && FGhostVis)
        xorEllipse(FGhostRect);
    const sSize g = mainForm().toolForm().FGhostSize();
    FGhostRect = {X - g.x, Y - g.y, X + g.x + 1, Y + g.y + 1};
    xorEllipse(FGhostRect);
    FGhostVis = true;
}

void TDrawWindow::EraseBrushGhost()
{
    if (FGhostVis)
        xorEllipse(FGhostRect);
    FGhostVis = false;
}

// ---------------------------------------------------------------------------------------------
// Sizing and cascading

void TDrawWindow::applyPlacement(const sRect &bounds)
{
    placement.bounds = bounds;
    if (onPlacementChanged)
        onPlacementChanged();
}

void TDrawWindow::formSizeCorrect(bool mv)
{
    int32_t &counter = cascadeCounter();
    // The counter runs 0..6; the seventh window starts over (see below), so 6 is never a place.
    const auto advance = [&counter] { counter = counter >= kCascadeWindows ? 0 : counter + 1; };
    if (placement.state != eWindowState::wsNormal) {
        invalidateView(true, false);
        advance();
        return;
    }
    IMainForm &main = mainForm();
    const SWorkspace ws = main.workspace();
    sRect b = placement.bounds;
    if (mv) {
        if (main.documentWindows().size() % kCascadeWindows == 1)
            counter = 0;
        b.x0 = main.toolForm().width() + kCascadeStep * counter;
        b.y0 = kCascadeStep * counter;
        advance();
    }
    const float s = paper->GetZoomScale();
    const int32_t top = ws.statusBarTop >= 0 ? ws.statusBarTop : ws.client.y;
    const int32_t w = std::min(ws.client.x - ws.cxFrame,
                               int32_t(float(paper->m_paperSize.x) * s) + 2 * ws.cxFrame + 80);
    const int32_t h = std::min(top - ws.cyFrame, int32_t(float(paper->m_paperSize.y) * s) +
                                                     ws.cyCaption + 2 * ws.cyFrame + 80);
    b.x1 = b.x0 + w;
    b.y1 = b.y0 + h;
    applyPlacement(b);
    moveInsideWorkspace();
}

void TDrawWindow::moveInsideWorkspace()
{
    const SWorkspace ws = mainForm().workspace();
    const int32_t right = ws.client.x - ws.cxEdge;
    const int32_t bottom =
        ws.client.y - ws.cyEdge - (ws.statusBarTop >= 0 ? ws.statusBarHeight : 0);
    sRect b = placement.bounds;
    const auto shift = [](int32_t &lo, int32_t &hi, int32_t limit) {
        if (hi > limit) {
            const int32_t d = std::min(hi - limit, std::max(lo, 0));
            lo -= d;
            hi -= d;
        }
        if (lo < 0) {
            hi -= lo;
            lo = 0;
        }
    };
    shift(b.x0, b.x1, right);
    shift(b.y0, b.y1, bottom);
    if (!(b == placement.bounds))
        applyPlacement(b);
}
