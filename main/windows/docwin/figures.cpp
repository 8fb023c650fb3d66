// TDrawWindow: figures drawn with the brush (rectangle, polygon, ellipse, line, polyline, curve).
#include "core/profile/app_profile.h"
#include "document/paper/paper.h"
#include "document/view/view_geometry.h"
#include "paint/brush/paint_modes.h"
#include "paint/stroke/stroke.h"
#include "paint/stroke/stroke_placement.h"
#include "paint/stroke/stroke_placement4.h"
#include "platform/desktop/keys.h"
#include "platform/desktop/messages.h"
#include "windows/docwin/draw_window.h"
#include "windows/shell_host.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>

namespace {

using Bit = BDrawStateBit;

bool oldShortcuts()
{
    return gAppProfile && gAppProfile->UseOldShortCut;
}

sFPos toF(const sPos &p)
{
    return {float(p.x), float(p.y)};
}

// Everything a shape stroke changes on the stroke and its manager, put back when it goes out of
// scope, so that an exception leaves the brush as the user set it.
class CShapeStrokeScope
{
  public:
    CShapeStrokeScope(TPaper &paper, TStroke &stroke) : m_stroke(stroke)
    {
        m_raw = stroke.m_bRawPoint;
        m_shape = stroke.m_bDrawShape;
        m_ifSize = stroke.m_penIfSize;
        m_ifTrans = stroke.m_penIfTrans;
        if (paper.actPaintLevel == ePaintLevel::PAINT_LEVEL_qZ5) {
            m_mngr5 = paper.strokeMngr5();
            if (m_mngr5) {
                m_mngr5->getParam(m_param5);
                m_mngr5->setInterpolateType(eInterpolateType::iptLinear);
                m_mngr5->setSmoothLevel(0);
            }
        } else {
            m_mngr4 = paper.strokeMngr4();
            if (m_mngr4) {
                m_mngr4->getParam(m_param4);
                m_correction = m_mngr4->getCorrection();
                m_mngr4->setCorrection(eCorrectType::corRaw);
            }
        }
        stroke.m_bRawPoint = true;
        stroke.m_bDrawShape = true;
        stroke.m_penIfSize = false;
        stroke.m_penIfTrans = false;
    }
    ~CShapeStrokeScope()
    {
        m_stroke.m_bRawPoint = m_raw;
        m_stroke.m_bDrawShape = m_shape;
        m_stroke.m_penIfSize = m_ifSize;
        m_stroke.m_penIfTrans = m_ifTrans;
        if (m_mngr5)
            m_mngr5->setParam(m_param5);
        if (m_mngr4) {
            m_mngr4->setParam(m_param4);
            m_mngr4->setCorrection(m_correction);
        }
    }
    CShapeStrokeScope(const CShapeStrokeScope &) = delete;
    CShapeStrokeScope &operator=(const CShapeStrokeScope &) = delete;

  private:
    TStroke &m_stroke;
    bool m_raw, m_shape, m_ifSize, m_ifTrans;
    CStrokeMngr5 *m_mngr5 = nullptr;
    SStrokeParam m_param5{};
    CStrokeMngr *m_mngr4 = nullptr;
    SStrokeParam m_param4{};
    eCorrectType m_correction = eCorrectType::corRaw;
};

// The guide pen: one pixel, dotted black on white (the gaps white, not left through), on the
// surface inside the canvas outline. n points of the point list, closed or open.
void drawDottedPoints(TDrawWindow &w, int32_t n, bool closed)
{
    TMTC *dc = w.viewSurface();
    n = std::min(n, int32_t(w.posList.size()));
    if (!dc || n < 2)
        return;
    QImage view = dc->imageView();
    if (view.isNull())
        return;
    QPolygon poly;
    for (int32_t i = 0; i < n; ++i)
        poly << QPoint(w.posList[size_t(i)].x, w.posList[size_t(i)].y);
    {
        QPainter p(&view);
        if (w.hasViewRgn)
            p.setClipRegion(QRegion(w.viewRgn, Qt::WindingFill));
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.setBrush(Qt::NoBrush);
        // The white line first, then the black dots over it: an opaque dotted line.
        QPen pen(Qt::white, 1, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setCosmetic(true);
        for (const QColor &c : {QColor(Qt::white), QColor(Qt::black)}) {
            pen.setColor(c);
            if (c == QColor(Qt::black))
                pen.setDashPattern({1, 1});
            p.setPen(pen);
            if (closed)
                p.drawPolygon(poly);
            else
                p.drawPolyline(poly);
        }
    }
    const QRect r = poly.boundingRect().adjusted(-1, -1, 1, 1).intersected(view.rect());
    if (!r.isEmpty())
        w.surfacePainted({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
}

} // namespace

bool TDrawWindow::isAspectKeyDown() const
{
    return isKeyDown(oldShortcuts() ? VK_CONTROL : VK_SHIFT);
}

bool TDrawWindow::isCenterKeyDown() const
{
    return isKeyDown(oldShortcuts() ? VK_SHIFT : VK_CONTROL);
}

bool TDrawWindow::correctLinePos(const sPos &p0, sPos &p1) const
{
    if (!isAspectKeyDown())
        return false;
    sFPos c0, c1;
    convToCanvasPos(c0, p0);
    convToCanvasPos(c1, p1);
    if (c0 == c1)
        return true;
    p1 = truncNudged(convToViewPos(*paper, snapLineAngle(c0, c1)));
    return true;
}

std::vector<sFPos> TDrawWindow::figureStrokePoints(const sPos &p1, eDRAWMODE dm, bool &closed)
{
    std::vector<sFPos> pts;
    const int32_t held = std::min(posNum, int32_t(posList.size()));
    auto fixedWithEnd = [&](const sPos &end) {
        for (int32_t i = 0; i < held; ++i)
            pts.push_back(toF(posList[size_t(i)]));
        // The end point counts only when it differs from the last fixed point.
        if (pts.empty() || !(pts.back() == toF(end)))
            pts.push_back(toF(end));
    };
    closed = false;
    switch (dm) {
    case eDRAWMODE::DRAWMODE_BOX:
        closed = true;
        if (held >= 4)
            for (int32_t i = 0; i < 4; ++i)
                pts.push_back(toF(posList[size_t(i)]));
        break;
    case eDRAWMODE::DRAWMODE_POLYGON:
        closed = true;
        fixedWithEnd(p1);
        break;
    case eDRAWMODE::DRAWMODE_ELLIPSE: {
        closed = true;
        sFPos s, e;
        convToCanvasPos(s, firstPos);
        convToCanvasPos(e, p1);
        for (const sFPos &c : ellipseFigurePolygon(s, e, isCenterKeyDown(), isAspectKeyDown()))
            pts.push_back(convToViewPos(*paper, c));
        break;
    }
    case eDRAWMODE::DRAWMODE_LINE: {
        sPos end = p1;
        if (held >= 1)
            correctLinePos(posList[0], end);
        fixedWithEnd(end);
        break;
    }
    case eDRAWMODE::DRAWMODE_POLYLINE:
        fixedWithEnd(p1);
        break;
    case eDRAWMODE::DRAWMODE_CURVE: {
        sFPos c0, c1, b;
        convToCanvasPos(c0, curvePos0);
        convToCanvasPos(c1, curvePos1);
        convToCanvasPos(b, p1);
        for (const sFPos &c : flattenCurve(c0, c1, b))
            pts.push_back(convToViewPos(*paper, c));
        break;
    }
    }
    return pts;
}

void TDrawWindow::endBrokenStroke(TStroke &stroke, bool undo)
{
    // The part drawn so far ends as a stroke of its own, recorded as it is in the layer, so that
    // no stroke stays open for the next one to trip over.
    if (!isStrokingNow())
        return;
    try {
        sBox box;
        dispatchStrokeEnd(*flowImage, stroke, undo, box, this);
    } catch (...) {
        // Ending failed as well: the document keeps what it had; the next stroke starts anew.
    }
}

bool TDrawWindow::eventDrawExecute(const sPos &, const sPos &p1, eDRAWMODE dm, bool rec)
{
    TStroke *stroke = mainForm().Stroke();
    const ePaintLevel level = paper->actPaintLevel;
    // A level this window cannot draw with draws nothing, and says so.
    if (!stroke || level > ePaintLevel::PAINT_LEVEL_qZ5)
        return false;
    bool closed = false;
    bool drawn = false;
    try {
        const std::vector<sFPos> pts = figureStrokePoints(p1, dm, closed);
        if (pts.size() < 2)
            return false;
        const CShapeStrokeScope scope(*paper, *stroke);
        // Without rec the stroke keeps no undo, and so records nothing.
        const bool undo = m_strokeUndo;
        m_strokeUndo = rec;
        struct SRestoreUndo
        {
            bool &flag;
            bool value;
            ~SRestoreUndo() { flag = value; }
        } restoreUndo{m_strokeUndo, undo};
        const float prs = stroke->getOpaque();
        // Float points (ellipse, curve) are never added again at the end; whole points are
        // added again where the level needs a last sample to finish the segment.
        const bool floats = dm == eDRAWMODE::DRAWMODE_ELLIPSE || dm == eDRAWMODE::DRAWMODE_CURVE;
        for (const sFPos &p : pts)
            doPaint(p.x, p.y, prs, *stroke, false);
        if (closed && pts.size() > 2) {
            if (!(pts.back() == pts.front()))
                doPaint(pts.front().x, pts.front().y, prs, *stroke, false);
            chkStrokeEnd(pts.front().x, pts.front().y, *stroke, false,
                         level != ePaintLevel::PAINT_LEVEL_qZ5);
        } else {
            chkStrokeEnd(pts.back().x, pts.back().y, *stroke, false,
                         !floats && level == ePaintLevel::PAINT_LEVEL_qZ2);
        }
        drawn = true;
    } catch (const std::bad_alloc &) {
        endBrokenStroke(*stroke, rec);
        showWarning(QStringLiteral("メモリ不足のため実行できませんでした！"));
        stopCurrentEvent();
        return false;
    } catch (const std::exception &e) {
        endBrokenStroke(*stroke, rec);
        showWarning(QString::fromLocal8Bit(e.what()));
        stopCurrentEvent();
        return false;
    }
    if (drawn)
        setModified(true);
    return drawn;
}

bool TDrawWindow::beginFigure(const sPos &pos, bool multi)
{
    lastPos = pos;
    if (!setupPosList(10)) {
        stopCurrentEvent();
        return false;
    }
    makeViewRgn();
    posNum = 0;
    if (multi) {
        drawState.set(Bit::stMultiSelect);
        posNum = 1;
        posList[0] = pos;
    }
    return true;
}

void TDrawWindow::markGuideDirty()
{
    drawState.set(Bit::stShowGlyph);
    if (drawState.has(Bit::stDirty)) {
        invalidate(false);
        updateNow();
    }
    drawState.set(Bit::stDirty);
}

void TDrawWindow::makeSquare(const sPos &p0, sPos &p1)
{
    ::makeSquare(p0, p1);
}

void TDrawWindow::setBoxPoints(const sPos &p0, const sPos &p1, bool centre, bool aspect)
{
    if (posList.size() < 4)
        return;
    SFigureView view;
    view.zoomStep = std::max(1, int32_t(std::floor(paper->GetZoomScale())));
    view.toCanvas = [this](const sPos &c) {
        sPos d;
        convToCanvasPos(d, c);
        return d;
    };
    view.toClient = [this](const sPos &c) {
        return truncNudged(convToViewPos(*paper, sFPos{float(c.x), float(c.y)}));
    };
    const std::array<sPos, 4> pts = boxClientPoints(view, p0, p1, centre, aspect);
    std::copy(pts.begin(), pts.end(), posList.begin());
    posNum = 4;
}

void TDrawWindow::drawDottedPolyline(int32_t n)
{
    drawDottedPoints(*this, n, false);
}

void TDrawWindow::drawDottedPolygon(int32_t n)
{
    drawDottedPoints(*this, n, true);
}

void TDrawWindow::drawBandQuad()
{
    if (posNum > 3)
        drawDottedPolygon(4);
}

void TDrawWindow::drawBandPolygonPlus()
{
    if (posNum > 1)
        drawDottedPolygon(posNum + 1);
    else if (posNum == 1)
        drawDottedPolyline(2);
}

void TDrawWindow::drawBandPolyline()
{
    if (posNum > 0)
        drawDottedPolyline(posNum + 1);
}

void TDrawWindow::drawBandPolygon()
{
    if (posNum > 1)
        drawDottedPolygon(posNum);
}
