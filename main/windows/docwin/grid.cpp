// TDrawWindow: the grid over the view, snapping to it and the highlight of the nearest lines.
#include "core/profile/app_profile.h"
#include "core/profile/tool_kinds.h"
#include "document/edit/edit_ops.h"
#include "document/paper/paper.h"
#include "document/view/view_geometry.h"
#include "windows/docwin/draw_window.h"
#include "windows/docwin/figure_geometry.h"
#include "windows/shell_host.h"

#include <QPainter>

#include <algorithm>

namespace {

using Bit = BDrawStateBit;

CAppProfile &profile()
{
    return *gAppProfile;
}

int32_t currentToolGroup()
{
    return toolSubKindGroup(mainForm().toolForm().FToolSubMode());
}

// The lines the grid draws along one axis of a canvas box, and the thinning they were drawn
// with (0 when every line was drawn).
struct SGridAxis
{
    std::vector<int32_t> lines;
    int32_t cropping = 0;
};

SGridAxis gridAxis(int32_t from, int32_t length, int32_t cell, float zoom)
{
    SGridAxis a;
    const int32_t n = gridThinning(cell, zoom);
    a.lines = gridLinesIn(from, from + length - 1, cell, n);
    a.cropping = n > 1 ? n : 0;
    return a;
}

} // namespace

void TDrawWindow::showGrid()
{
    if (!m_surface.isEnable())
        return;
    showGrid(m_surface);
    surfacePainted({0, 0, clnSize.x, clnSize.y});
}

void TDrawWindow::showGrid(TMTC &dc)
{
    showGrid(dc, boxFromSize(paper->m_paperSize));
}

void TDrawWindow::showGrid(const sBox *box)
{
    if (!box) {
        showGrid();
        return;
    }
    if (!m_surface.isEnable())
        return;
    showGrid(m_surface, *box);
    surfacePainted({0, 0, clnSize.x, clnSize.y});
}

void TDrawWindow::showGrid(TMTC &dc, const sBox &box)
{
    if (!paper->m_visGrid || !dc.isEnable())
        return;
    const sBGRA colour = gridLineColor(profile().GridColor, false);
    const sBox canvas = boxFromSize(paper->m_paperSize);
    sBox b = box;
    const bool simple = isZoomSimple(*paper) && !isViewTurned(*paper);
    if (!simple && !(box == canvas))
        b = calcViewBox(*paper, box);
    sRect r = boxToRect(b);
    if (!rectIntersect(r, boxToRect(canvas)) || r.x1 <= r.x0 || r.y1 <= r.y0)
        return;
    const sSize cell = paper->m_gridSize;
    const float zoom = paper->GetZoomScale();
    // Thinning counts from the canvas origin, not from the box, so that a partial redraw draws
    // exactly the lines of the whole canvas (and the lines snapping uses).
    const SGridAxis cols = gridAxis(r.x0, r.x1 - r.x0, cell.x, zoom);
    const SGridAxis rows = gridAxis(r.y0, r.y1 - r.y0, cell.y, zoom);
    for (int32_t x : cols.lines)
        drawGrid(dc, convToViewPos(*paper, sPos{x, r.y0}), convToViewPos(*paper, sPos{x, r.y1}),
                 colour);
    for (int32_t y : rows.lines)
        drawGrid(dc, convToViewPos(*paper, sPos{r.x0, y}), convToViewPos(*paper, sPos{r.x1, y}),
                 colour);
    FCroppingXCnt = cols.cropping;
    FCroppingYCnt = rows.cropping;
}

void TDrawWindow::drawGrid(TMTC &dc, const sPos &sp, const sPos &ep, sBGRA c)
{
    QImage view = dc.imageView();
    if (view.isNull())
        return;
    QPainter p(&view);
    if (hasViewRgn)
        p.setClipRegion(QRegion(viewRgn, Qt::WindingFill));
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setPen(QPen(QColor(c.R, c.G, c.B), 1, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawLine(sp.x, sp.y, ep.x, ep.y);
}

void TDrawWindow::drawSnapGrid(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sBGRA c)
{
    if (!m_surface.isEnable())
        return;
    drawGrid(m_surface, convToViewPos(*paper, sPos{x0, y0}), convToViewPos(*paper, sPos{x1, y1}),
             c);
    surfacePainted({0, 0, clnSize.x, clnSize.y});
}

bool TDrawWindow::canSnap() const
{
    return drawState.has(Bit::stSnap) && paper->m_visGrid;
}

bool TDrawWindow::canSnapWithBrush() const
{
    return canSnap() && currentToolGroup() == 0;
}

bool TDrawWindow::canSnapWithTool() const
{
    const int32_t g = currentToolGroup();
    return canSnap() && g >= 6 && g <= 9;
}

void TDrawWindow::changeSnap()
{
    if (bSnap)
        resetGridColor();
    bSnap = !bSnap;
    if (bSnap)
        drawState.set(Bit::stSnap);
    else
        drawState.clear(Bit::stSnap);
}

void TDrawWindow::resetGridColor()
{
    if (!paper->m_visGrid)
        return;
    const sBGRA colour = gridLineColor(profile().GridColor, false);
    const sSize cell = paper->m_gridSize, size = paper->m_paperSize;
    if (FOldGridX >= 0)
        drawSnapGrid(cell.x * FOldGridX, 0, cell.x * FOldGridX, size.y, colour);
    if (FOldGridY >= 0)
        drawSnapGrid(0, cell.y * FOldGridY, size.x, cell.y * FOldGridY, colour);
    FOldGridX = FOldGridY = -1;
}

void TDrawWindow::clearSnap()
{
    FSnapX = FSnapY = 0;
    bHasSnapX = bHasSnapY = false;
}

void TDrawWindow::getNearGrid(const sPos &pos)
{
    if (!paper->m_visGrid)
        return;
    sPos c;
    convToCanvasPos(c, pos);
    const SGridSnap snap = chooseGridSnap(c, paper->m_gridSize, {FCroppingXCnt, FCroppingYCnt},
                                          !canSnapWithBrush());
    clearSnap();
    bHasSnapX = snap.x.has_value();
    bHasSnapY = snap.y.has_value();
    FSnapX = snap.x.value_or(0);
    FSnapY = snap.y.value_or(0);
}

void TDrawWindow::getPosNearGrid(sPos &dpos, const sPos &spos) const
{
    if (!paper->m_visGrid) {
        dpos = spos;
        return;
    }
    dpos = {bHasSnapX ? FSnapX : spos.x, bHasSnapY ? FSnapY : spos.y};
}

void TDrawWindow::setSnapPos(sPos &dpos, const sPos &srcpos)
{
    sPos s;
    convToCanvasPos(s, srcpos);
    getPosNearGrid(dpos, s);
    if (!canSnapWithBrush())
        dpos = convToViewPos(*paper, dpos);
}

bool TDrawWindow::getScaleNearGrid(int32_t &zx, int32_t &zy, bool &gridX, bool &gridY,
                                   const sPos &pos)
{
    sPos c;
    convToCanvasPos(c, pos);
    const sSize cell = paper->m_gridSize;
    zx = nearestGridIndex(c.x, cell.x);
    zy = nearestGridIndex(c.y, cell.y);
    // With thinning only the drawn lines highlight.
    if (FCroppingXCnt > 1 && zx % FCroppingXCnt != 0)
        zx = FOldGridX;
    if (FCroppingYCnt > 1 && zy % FCroppingYCnt != 0)
        zy = FOldGridY;
    if (zx == FOldGridX && zy == FOldGridY)
        return false;
    const int64_t dx = std::abs(int64_t(c.x) - int64_t(zx) * cell.x);
    const int64_t dy = std::abs(int64_t(c.y) - int64_t(zy) * cell.y);
    gridX = dx <= dy;
    gridY = !gridX;
    return true;
}

void TDrawWindow::drawNearGrid(const sPos &pos)
{
    if (!paper->m_visGrid)
        return;
    int32_t zx = 0, zy = 0;
    bool gridX = false, gridY = false;
    if (!getScaleNearGrid(zx, zy, gridX, gridY, pos))
        return;
    const sSize cell = paper->m_gridSize, size = paper->m_paperSize;
    if (cell.x <= 0 || cell.y <= 0)
        return;
    const sBGRA normal = gridLineColor(profile().GridColor, false);
    const sBGRA high = gridLineColor(profile().GridColor, true);
    auto column = [&](int32_t i, sBGRA c) { drawSnapGrid(cell.x * i, 0, cell.x * i, size.y, c); };
    auto row = [&](int32_t i, sBGRA c) { drawSnapGrid(0, cell.y * i, size.x, cell.y * i, c); };
    if (zx >= 0 && zx <= size.x / cell.x) {
        if (gridX) {
            if (FOldGridX >= 0)
                column(FOldGridX, normal);
            column(zx, high);
            FOldGridX = zx;
        } else if (zx == FOldGridX) {
            column(zx, normal);
            FOldGridX = -1;
        }
    }
    if (zy >= 0 && zy <= size.y / cell.y) {
        if (gridY) {
            if (FOldGridY >= 0)
                row(FOldGridY, normal);
            row(zy, high);
            FOldGridY = zy;
        } else if (zy == FOldGridY) {
            row(zy, normal);
            FOldGridY = -1;
        }
    }
}

bool TDrawWindow::snapPress(sPos &pos)
{
    if (!canSnapWithBrush() && !canSnapWithTool())
        return false;
    getNearGrid(pos);
    setSnapPos(pos, pos);
    return true;
}

bool TDrawWindow::snapDrag(sPos &pos)
{
    if (canSnapWithTool())
        getNearGrid(pos);
    else if (!canSnapWithBrush())
        return false;
    setSnapPos(pos, pos);
    return true;
}
