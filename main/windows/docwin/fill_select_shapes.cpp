// TDrawWindow: the figure fills (rectangle, ellipse) executed on the active layer.
#include "core/profile/app_profile.h"
#include "document/paper/paper.h"
#include "document/selection/figure_fill_ops.h"
#include "document/view/view_geometry.h"
#include "windows/docwin/draw_window.h"

#include <cmath>

namespace {

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
