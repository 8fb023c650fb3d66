// The frame of the free transform: creation, geometry, hit testing, the handle rules of every drag,
// the XOR drawing and the update areas.
#include "document/transform/select_transform.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/transform/transform_mapping.h"
#include "document/view/view_geometry.h"
#include "platform/desktop/keys.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Reach of the markers and of the centre marker's snapping, in screen pixels.
constexpr float kMarkerReach = 10;
constexpr float kSnapReach = 8;

sFPos add(const sFPos &a, const sFPos &b)
{
    return {a.x + b.x, a.y + b.y};
}
sFPos sub(const sFPos &a, const sFPos &b)
{
    return {a.x - b.x, a.y - b.y};
}
sFPos mid(const sFPos &a, const sFPos &b)
{
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
}

bool finite(const sFPos &p)
{
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// The corner's neighbour along the top or bottom edge, and along the left or right edge.
constexpr int32_t kHorizontalNeighbour[4] = {1, 0, 3, 2};
constexpr int32_t kVerticalNeighbour[4] = {3, 2, 1, 0};
// The corners of the edges 4-7 (first, second) and, for each, the corner across the side.
constexpr int32_t kEdgeCorners[4][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
constexpr int32_t kEdgeAcross[4][2] = {{3, 2}, {0, 3}, {1, 0}, {2, 1}};

// The point of the line a-b whose x (vertical: y) is that of target.
bool pointOnLineAt(const sFPos &a, const sFPos &b, const sFPos &target, bool vertical, sFPos &out)
{
    const sFPos dir = vertical ? sFPos{1, 0} : sFPos{0, 1};
    return transformLineCross(a, b, target, add(target, dir), out);
}

} // namespace

float wrapTransformAngle(float a)
{
    if (!std::isfinite(a))
        return 0;
    a = std::fmod(a, 2 * kPi);
    if (a > kPi)
        a -= 2 * kPi;
    else if (a <= -kPi)
        a += 2 * kPi;
    return a;
}

bool transformLineCross(const sFPos &A, const sFPos &D, const sFPos &B, const sFPos &C, sFPos &out)
{
    using L = long double;
    const auto cross = [](L ux, L uy, L vx, L vy) { return ux * vy - uy * vx; };
    const L bcx = L(B.x) - C.x, bcy = L(B.y) - C.y;
    const L f = cross(bcx, bcy, L(A.x) - C.x, L(A.y) - C.y) / 2;
    const L g = cross(bcx, bcy, L(C.x) - D.x, L(C.y) - D.y) / 2;
    if (f + g == 0)
        return false;
    const L t = f / (f + g);
    out = {float(A.x + t * (L(D.x) - A.x)), float(A.y + t * (L(D.y) - A.y))};
    return finite(out);
}

sFPos transformRotatePoint(const sFPos &p, const sFPos &pivot, float angle, float sx, float sy)
{
    const int32_t c = floatToFix(float(std::cos(double(angle))));
    const int32_t s = floatToFix(float(std::sin(double(angle))));
    const int32_t csx = fixMul(c, floatToFix(sx)), ssy = fixMul(s, floatToFix(sy));
    const int32_t ssx = fixMul(s, floatToFix(sx)), csy = fixMul(c, floatToFix(sy));
    const int32_t dx = floatToFix(p.x - pivot.x), dy = floatToFix(p.y - pivot.y);
    // The sums wrap in 32 bits as the fixed-point arithmetic does.
    const int32_t x = int32_t(uint32_t(fixMul(csx, dx)) - uint32_t(fixMul(ssy, dy)));
    const int32_t y = int32_t(uint32_t(fixMul(ssx, dx)) + uint32_t(fixMul(csy, dy)));
    return {pivot.x + float(fixToFloat(x)), pivot.y + float(fixToFloat(y))};
}

// ---------------------------------------------------------------------------------------------
// Life

TSelectTransform::TSelectTransform(TPaper &paper) : m_paper(paper) {}

TSelectTransform::~TSelectTransform() = default;

bool TSelectTransform::holdsWorkObjects() const
{
    return FTrnsChannel || FTrnsResultChannel || FBaseMask || FTrnsImage || FBaseLayer ||
           FDelLayer;
}

bool TSelectTransform::createFreeTransform()
{
    sRect r;
    const CMaskData *md = m_paper.getActiveMaskData();
    bool found = CMaskData::hasMask(md) && md->getMaskEnbRect(r);
    if (!found) {
        const CLayerData *ld = m_paper.getActiveLayerData();
        sRect vis;
        if (ld && ld->imageTC && ld->imageTC->findVisibleRect(vis) && ld->imageTC->findRect(r)) {
            rectOffset(r, -ld->viewPos.x, -ld->viewPos.y);
            found = true;
        }
    }
    if (!found || r.x1 <= r.x0 || r.y1 <= r.y0)
        return false;
    TTransPoints &v = FViewPoints;
    v[0] = {float(r.x0), float(r.y0)};
    v[1] = {float(r.x1), float(r.y0)};
    v[2] = {float(r.x1), float(r.y1)};
    v[3] = {float(r.x0), float(r.y1)};
    updateMidPoints(v);
    v[8] = v[9];
    saveTransStartPoints();
    drawWnd();
    FTransPoints = FFirstPoints = FViewPoints;
    FFirstWidth = r.x1 - r.x0;
    FFirstHeight = r.y1 - r.y0;
    FScaleW = FScaleH = 100;
    FFrameAngle = FLastOptAngle = 0;
    FDatumPos = FLastDatumPos = v[9];
    FIsFreeTransform = true;
    return true;
}

void TSelectTransform::initOptionFormValue()
{
    if (IPaperOwner *o = m_paper.owner()) {
        o->setTransDat(FViewPoints[8].x, FViewPoints[8].y);
        o->setTransScale(100, 100);
        o->setTransAngle(0);
    }
}

void TSelectTransform::initParam()
{
    FScaleW = FScaleH = 100;
    FRotateAngle = FLastOptAngle = 0;
    FDistortionH = 0;
}

// ---------------------------------------------------------------------------------------------
// Geometry

void TSelectTransform::updateMidPoints(TTransPoints &p)
{
    p[4] = mid(p[0], p[1]);
    p[5] = mid(p[1], p[2]);
    p[6] = mid(p[2], p[3]);
    p[7] = mid(p[3], p[0]);
    if (!transformLineCross(p[7], p[5], p[4], p[6], p[9]))
        p[9] = {(p[7].x + p[5].x) / 2, (p[6].y + p[4].y) / 2};
}

int32_t TSelectTransform::getSymmetricMarker(int32_t marker)
{
    switch (marker) {
    case 0: return 2;
    case 2: return 0;
    case 1: return 3;
    case 3: return 1;
    case 4: return 6;
    case 6: return 4;
    case 5: return 7;
    case 7: return 5;
    default: return kMarkerNone;
    }
}

bool TSelectTransform::getAngle(float &angle, const sFPos &pos1, const sFPos &pos2)
{
    const double a = std::atan2(double(pos1.y) - pos2.y, double(pos1.x) - pos2.x);
    if (!std::isfinite(a))
        return false;
    angle = float(a);
    return true;
}

bool TSelectTransform::getAngle(float &angle, const sFPos &pos) const
{
    return getAngle(angle, pos, FViewPoints[8]);
}

bool TSelectTransform::getCurAngle(int32_t m1, int32_t m2, float &angle) const
{
    if (m1 < 0 || m1 > 9 || m2 < 0 || m2 > 9)
        return false;
    float a;
    if (!getAngle(a, FViewPoints[size_t(m1)], FViewPoints[size_t(m2)]))
        return false;
    angle = -a;
    return true;
}

sFPos TSelectTransform::getMarkerPoints(int32_t markerType) const
{
    if (markerType < 0 || markerType > 9)
        return {};
    return FViewPoints[size_t(markerType)];
}

sFPos TSelectTransform::toCanvas(const sPos &pos) const
{
    const IPaperOwner *o = m_paper.owner();
    const sSize client = o ? o->clientSize() : sSize{};
    float x = float(pos.x), y = float(pos.y);
    CursorCorrection(m_paper, client.x, client.y, x, y);
    return {x, y};
}

bool TSelectTransform::isNear(const sFPos &pos, const sFPos &m, float n) const
{
    const float z = m_paper.GetZoomScale();
    const float t = z > 0 ? n / z : n;
    const auto r = [](float v) { return std::nearbyint(v); };
    const float px = r(pos.x), py = r(pos.y);
    return px >= r(m.x - t) && py >= r(m.y - t) && px < r(m.x + t) && py < r(m.y + t);
}

bool TSelectTransform::isInsideFrame(const sFPos &pos) const
{
    for (int i = 0; i < 4; ++i)
        if (!finite(FViewPoints[size_t(i)]))
            return false;
    if (!std::isfinite(pos.x) || !std::isfinite(pos.y))
        return false;
    const CInverseBilinear solver(FViewPoints.data());
    double u, v;
    return solver.solve(int64_t(std::nearbyint(double(pos.x))), int64_t(std::nearbyint(double(pos.y))), u, v);
}

void TSelectTransform::setMarkerTypeInPos(const sFPos &pos)
{
    if (isNear(pos, FViewPoints[8], kMarkerReach)) {
        FMarkerTypeNow = kMarkerCentre;
        return;
    }
    for (int32_t i = 0; i < 8; ++i)
        if (isNear(pos, FViewPoints[size_t(i)], kMarkerReach)) {
            FMarkerTypeNow = i;
            return;
        }
    FMarkerTypeNow = isInsideFrame(pos) ? kMarkerInside : kMarkerOutside;
}

void TSelectTransform::saveTransStartPoints()
{
    FDragStartTransPoints = FFrameAngle != 0 ? FTransPoints : FViewPoints;
}

void TSelectTransform::computeVanishingPoints()
{
    const TTransPoints &t = FTransPoints;
    const bool a = transformLineCross(t[0], t[1], t[3], t[2], FVanishingPoint1);
    const bool b = transformLineCross(t[1], t[2], t[0], t[3], FVanishingPoint2);
    FIsVanishingPoint = a && b;
}

sFPos TSelectTransform::anchorInFrame() const
{
    const TTransPoints &s = FDragStartTransPoints;
    if (!FIsMovedAnchor)
        return s[8];
    return transformRotatePoint(s[8], s[9], -FFrameAngle);
}

void TSelectTransform::rebuildViewPoints()
{
    TTransPoints &v = FViewPoints;
    if (FTransformType != kTransDatum) {
        const sFPos centre = v[8];
        v = FTransPoints;
        v[8] = centre;
        for (int i = 0; i < 4; ++i) {
            if (FFrameAngle != 0)
                v[size_t(i)] = transformRotatePoint(v[size_t(i)], FDatumPos, FFrameAngle);
            if (FTransformType == kTransRotate && FRotateAngle != 0)
                v[size_t(i)] = transformRotatePoint(v[size_t(i)], centre, FRotateAngle);
        }
        updateMidPoints(v);
    }
    const int32_t on = FMarkerTypeOnAnchor;
    if (on >= 0 && on < 8) {
        if (FTransformType != kTransAnchorScale && FTransformType != kTransRotate)
            v[8] = v[size_t(on)];
    } else if (on == kMarkerFrameCentre && !FIsMovedAnchor) {
        if (FTransformType != kTransRotate && FTransformType != kTransAnchorScale)
            v[8] = v[9];
    }
    FTransPoints[8] = v[8];
}

void TSelectTransform::placeCentreMarker(const sFPos &pos)
{
    sFPos at = pos;
    if (isNear(pos, FViewPoints[9], kSnapReach)) {
        at = FViewPoints[9];
        FMarkerTypeOnAnchor = kMarkerFrameCentre;
        FIsMovedAnchor = false;
    } else {
        FIsMovedAnchor = true;
        FMarkerTypeOnAnchor = kMarkerNone;
        for (int32_t i = 0; i < 8; ++i)
            if (isNear(pos, FViewPoints[size_t(i)], kSnapReach)) {
                at = FViewPoints[size_t(i)];
                FMarkerTypeOnAnchor = i;
                break;
            }
    }
    FViewPoints[8] = FTransPoints[8] = at;
}

// ---------------------------------------------------------------------------------------------
// The handle rules

bool TSelectTransform::applyCornerRule(int32_t k, sFPos d, bool shift, bool ctrl, bool alt,
                                       TTransPoints &n)
{
    const TTransPoints &s = FDragStartTransPoints;
    const int32_t o = (k + 2) % 4, h = kHorizontalNeighbour[k], v = kVerticalNeighbour[k];
    const sFPos sk = s[size_t(k)], so = s[size_t(o)];
    if (ctrl) {
        if (shift) {
            // Slide along one of the corner's edges: the vertical line through the target on the
            // edge towards the horizontal neighbour, or the horizontal line on the other one.
            const sFPos target = add(sk, d);
            sFPos a, b;
            const bool hasA = pointOnLineAt(sk, s[size_t(h)], target, false, a);
            const bool hasB = pointOnLineAt(sk, s[size_t(v)], target, true, b);
            const bool takeB = hasB && (!hasA || std::fabs(b.y - sk.y) > std::fabs(a.x - sk.x));
            if (!hasA && !hasB)
                return false;
            n[size_t(k)] = takeB ? b : a;
            if (alt) {
                const int32_t other = std::fabs(d.x) >= std::fabs(d.y) ? h : v;
                n[size_t(other)] = sub(s[size_t(other)], d);
            }
            return true;
        }
        n[size_t(k)] = add(sk, d);
        if (alt)
            n[size_t(o)] = sub(so, d);
        return true;
    }
    if (alt) {
        const sFPos anchor = anchorInFrame();
        if (shift) {
            const sFPos dir = sub(anchor, sk);
            const float len = dir.x * dir.x + dir.y * dir.y;
            if (len > 0) {
                const float t = (d.x * dir.x + d.y * dir.y) / len;
                d = {dir.x * t, dir.y * t};
            }
        }
        const sFPos nk = add(sk, d);
        // Old distances to 0.1 pixel; an axis without distance keeps its size.
        const auto factor = [](float now, float old) {
            const float o10 = std::nearbyint(old * 10) / 10;
            return o10 == 0 ? 1.0f : now / o10;
        };
        const float fx = factor(nk.x - anchor.x, sk.x - anchor.x);
        const float fy = factor(nk.y - anchor.y, sk.y - anchor.y);
        if (!std::isfinite(fx) || !std::isfinite(fy))
            return false;
        for (int i = 0; i < 4; ++i)
            n[size_t(i)] = transformRotatePoint(s[size_t(i)], anchor, 0, fx, fy);
        FTransformType = kTransAnchorScale;
        return true;
    }
    if (shift) {
        // Along the diagonal: the aspect ratio stays.
        const sFPos dir = sub(so, sk);
        const float len = dir.x * dir.x + dir.y * dir.y;
        if (len > 0) {
            const float t = (d.x * dir.x + d.y * dir.y) / len;
            d = {dir.x * t, dir.y * t};
        }
    }
    const sFPos p = add(sk, d);
    sFPos nh, nv;
    if (FIsVanishingPoint) {
        if (!transformLineCross(p, FVanishingPoint1, so, FVanishingPoint2, nh) ||
            !transformLineCross(p, FVanishingPoint2, so, FVanishingPoint1, nv))
            return false;
    } else {
        const sFPos sh = s[size_t(h)], sv = s[size_t(v)];
        // Each neighbour slides along its line to the opposite corner, to where the line
        // through the moved corner parallel to their shared edge meets it.
        if (!transformLineCross(p, add(p, sub(sv, sk)), sv, so, nv) ||
            !transformLineCross(p, add(p, sub(sh, sk)), sh, so, nh))
            return false;
    }
    n[size_t(k)] = p;
    n[size_t(h)] = nh;
    n[size_t(v)] = nv;
    return true;
}

bool TSelectTransform::applyEdgeRule(int32_t e, sFPos d, bool shift, bool ctrl, bool alt,
                                     TTransPoints &n)
{
    const TTransPoints &s = FDragStartTransPoints;
    const int32_t idx = e - 4;
    const bool horizontalEdge = idx == 0 || idx == 2;
    if (ctrl && shift) {
        // Along the edge's own direction.
        sFPos p;
        const sFPos target = add(s[size_t(e)], d);
        if (!pointOnLineAt(s[size_t(kEdgeCorners[idx][0])], s[size_t(kEdgeCorners[idx][1])], target,
                           !horizontalEdge, p))
            return false;
        d = sub(p, s[size_t(e)]);
    }
    // One edge moved by dd, its corners freely (ctrl) or along the sides as they were.
    const auto moveEdge = [&](int32_t edge, const sFPos &dd) {
        const int32_t i = edge - 4;
        const int32_t a = kEdgeCorners[i][0], b = kEdgeCorners[i][1];
        if (ctrl) {
            n[size_t(a)] = add(s[size_t(a)], dd);
            n[size_t(b)] = add(s[size_t(b)], dd);
            return true;
        }
        const sFPos m = add(s[size_t(edge)], dd);
        sFPos far = add(s[size_t(b)], dd), near = add(s[size_t(a)], dd);
        if (FIsVanishingPoint) {
            far = (i == 0 || i == 2) ? FVanishingPoint1 : FVanishingPoint2;
            near = m;
        }
        sFPos na, nb;
        if (!transformLineCross(near, far, s[size_t(a)], s[size_t(kEdgeAcross[i][0])], na) ||
            !transformLineCross(near, far, s[size_t(b)], s[size_t(kEdgeAcross[i][1])], nb))
            return false;
        n[size_t(a)] = na;
        n[size_t(b)] = nb;
        return true;
    };
    if (!moveEdge(e, d))
        return false;
    if (!alt)
        return true;
    const int32_t opp = getSymmetricMarker(e);
    const sFPos anchor = anchorInFrame();
    const float near = std::hypot(s[size_t(e)].x - anchor.x, s[size_t(e)].y - anchor.y);
    const float farLen = std::hypot(s[size_t(opp)].x - anchor.x, s[size_t(opp)].y - anchor.y);
    const float f = near > 0 ? farLen / near : 1;
    sFPos od;
    if (horizontalEdge) {
        od.x = ctrl ? -d.x * f : 0;
        od.y = shift ? 0 : -d.y * f;
    } else {
        od.x = shift ? 0 : -d.x * f;
        od.y = (ctrl && !shift) ? -d.y * f : 0;
    }
    return moveEdge(opp, od);
}

bool TSelectTransform::applyHandleRules(int32_t marker, bool shift, bool ctrl, bool alt)
{
    TTransPoints n = FDragStartTransPoints;
    const sFPos d{FMoveDx, FMoveDy};
    bool ok;
    if (marker >= 0 && marker < 4)
        ok = applyCornerRule(marker, d, shift, ctrl, alt, n);
    else if (marker >= 4 && marker < 8)
        ok = applyEdgeRule(marker, d, shift, ctrl, alt, n);
    else {
        for (int i = 0; i < 4; ++i)
            n[size_t(i)] = add(FDragStartTransPoints[size_t(i)], d);
        ok = true;
    }
    for (int i = 0; ok && i < 4; ++i)
        ok = finite(n[size_t(i)]);
    if (!ok) // the step stops; the frame stays as it was
        return false;
    for (int i = 0; i < 4; ++i)
        FTransPoints[size_t(i)] = n[size_t(i)];
    updateMidPoints(FTransPoints);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Dragging

void TSelectTransform::dragStart(const sPos &pos)
{
    float a;
    if (!getAngle(a, toCanvas(pos)))
        return;
    FLastAngle = a;
    FMoveDx = FMoveDy = 0;
    FRotateAngle = 0;
    saveTransStartPoints();
    computeVanishingPoints();
}

void TSelectTransform::transform(const sPos &pos, int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    sFPos step{float(dx), float(dy)};
    if (m_paper.bVisReverse)
        step.x = -step.x;
    const float z = m_paper.GetZoomScale();
    if (z > 0)
        step = {step.x / z, step.y / z};
    if (isViewTurned(m_paper) || m_paper.m_degree != 0)
        step = rotPos(m_paper, step);
    if (FTransformType == kTransHandle || FTransformType == kTransAnchorScale)
        step = transformRotatePoint(step, {0, 0}, -FFrameAngle);
    FMoveDx += step.x;
    FMoveDy += step.y;
    const bool centreOnly = FTransformType == kTransDatum;
    if (centreOnly)
        drawCentreWnd();
    else
        drawWnd();
    switch (FTransformType) {
    case kTransMove:
        if (applyHandleRules(kMarkerInside, false, false, false))
            FDatumPos = FLastDatumPos = FTransPoints[9];
        break;
    case kTransHandle:
    case kTransAnchorScale:
        if (applyHandleRules(FLastPressMarker, isKeyDown(VK_SHIFT), isKeyDown(VK_CONTROL),
                             isKeyDown(VK_MENU)))
            FLastDatumPos = FTransPoints[9];
        FIsSimpleMove = false;
        break;
    case kTransRotate: {
        float a;
        if (getAngle(a, toCanvas(pos))) {
            FRotateAngle = wrapTransformAngle(FRotateAngle + (a - FLastAngle));
            FLastAngle = a;
            FIsSimpleMove = false;
        }
        break;
    }
    case kTransDatum:
        placeCentreMarker(toCanvas(pos));
        break;
    default:
        break;
    }
    rebuildViewPoints();
    if (centreOnly)
        drawCentreWnd();
    else
        drawWnd();
    setOptionFormValue(float(dx), float(dy));
}

void TSelectTransform::dragEnd()
{
    FMoveDx = FMoveDy = 0;
    FLastUdtBox = quadBox(FViewPoints.data());
    // The mapping writes the far column and row too.
    FLastUdtBox.w += 1, FLastUdtBox.h += 1;
    FFrameAngle = wrapTransformAngle(FFrameAngle + FRotateAngle);
    FRotateAngle = 0;
    const bool attachedToCentre = FMarkerTypeOnAnchor == kMarkerFrameCentre && !FIsMovedAnchor;
    if (!attachedToCentre || FTransformType == kTransHandle ||
        FTransformType == kTransAnchorScale) {
        // Re-based: the shown frame stays and its pivot is again its centre.
        const sFPos delta = sub(FViewPoints[9], FLastDatumPos);
        FDatumPos = FViewPoints[9];
        for (int i = 0; i < 4; ++i)
            FTransPoints[size_t(i)] = add(FTransPoints[size_t(i)], delta);
        updateMidPoints(FTransPoints);
    }
    FLastDatumPos = FViewPoints[9];
}

void TSelectTransform::setTransformOfs(const sFPos &ofs)
{
    TTransPoints &v = FViewPoints;
    for (int i = 0; i < 4; ++i)
        v[size_t(i)] = add(v[size_t(i)], ofs);
    updateMidPoints(v);
    // The frame in its own axes and its pivot move along, so that the next drag starts from the
    // moved frame whatever the centre marker is attached to.
    for (int i = 0; i < 4; ++i)
        FTransPoints[size_t(i)] = add(FTransPoints[size_t(i)], ofs);
    updateMidPoints(FTransPoints);
    FDatumPos = add(FDatumPos, ofs);
    FLastDatumPos = add(FLastDatumPos, ofs);
    const int32_t on = FMarkerTypeOnAnchor;
    if (on >= 0 && on < 8)
        v[8] = v[size_t(on)];
    else if (on == kMarkerFrameCentre && !FIsMovedAnchor) // still at the frame centre
        v[8] = v[9];
    FTransPoints[8] = v[8];
}

// ---------------------------------------------------------------------------------------------
// Drawing

namespace {

// A QImage over the surface's pixels, top-down, and whether its rows had to be flipped.
struct SurfacePainter
{
    QImage image;
    bool flipped = false;
    int32_t height = 0;
};

bool surfaceImage(TMTC &dc, SurfacePainter &sp)
{
    if (!dc.isEnable() || dc.width() <= 0 || dc.height() <= 0)
        return false;
    const int32_t skip = dc.getSkipLineSize();
    sp.height = dc.height();
    // Premultiplied keeps the alpha byte through the XOR raster operation.
    if (skip > 0) {
        sp.image = QImage(reinterpret_cast<uchar *>(dc.seek32(0, 0)), dc.width(), dc.height(),
                          qsizetype(skip) * 4, QImage::Format_ARGB32_Premultiplied);
    } else {
        sp.image = QImage(reinterpret_cast<uchar *>(dc.seek32(0, dc.height() - 1)), dc.width(),
                          dc.height(), qsizetype(-skip) * 4, QImage::Format_ARGB32_Premultiplied);
        sp.flipped = true;
    }
    return !sp.image.isNull();
}

} // namespace

void TSelectTransform::drawDc(TMTC *dc)
{
    SurfacePainter sp;
    if (!dc || !surfaceImage(*dc, sp))
        return;
    sPos w[4];
    for (int i = 0; i < 4; ++i) {
        const sFPos p = convToViewPos(m_paper, FViewPoints[size_t(i)]);
        if (!finite(p))
            return;
        w[i] = {int32_t(std::clamp(std::nearbyint(p.x), -1.0e6f, 1.0e6f)),
                int32_t(std::clamp(std::nearbyint(p.y), -1.0e6f, 1.0e6f))};
    }
    const sFPos c8 = convToViewPos(m_paper, FViewPoints[8]);
    if (!finite(c8))
        return;
    const sPos centre{int32_t(std::clamp(std::nearbyint(c8.x), -1.0e6f, 1.0e6f)),
                      int32_t(std::clamp(std::nearbyint(c8.y), -1.0e6f, 1.0e6f))};
    const auto fy = [&](int32_t y) { return sp.flipped ? sp.height - 1 - y : y; };
    QPainter p(&sp.image);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(QColor(0xAA, 0xAA, 0xAA), 1));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    QPolygon frame;
    for (int i = 0; i < 4; ++i)
        frame << QPoint(w[i].x, fy(w[i].y));
    p.drawPolygon(frame);
    sPos marks[8];
    for (int i = 0; i < 4; ++i) {
        marks[i] = w[i];
        const sPos &a = w[i], &b = w[(i + 1) % 4];
        marks[4 + i] = {(a.x + b.x) / 2, (a.y + b.y) / 2};
    }
    for (const sPos &m : marks)
        p.drawRect(QRect(m.x - 5, fy(m.y) - 5, 10, 10));
    const int32_t cy = fy(centre.y);
    p.drawEllipse(QRect(centre.x - 5, cy - 5, 10, 10));
    p.drawLine(centre.x - 9, cy, centre.x + 9, cy);
    p.drawLine(centre.x, cy - 9, centre.x, cy + 9);
    p.end();
    if (IPaperOwner *o = m_paper.owner()) {
        int32_t x0 = centre.x - 9, y0 = centre.y - 9, x1 = centre.x + 10, y1 = centre.y + 10;
        for (const sPos &m : marks) {
            x0 = std::min(x0, m.x - 5), y0 = std::min(y0, m.y - 5);
            x1 = std::max(x1, m.x + 6), y1 = std::max(y1, m.y + 6);
        }
        sRect r{x0, y0, x1, y1};
        if (rectClipToSize(r, {dc->width(), dc->height()}))
            o->surfacePainted(r);
    }
}

void TSelectTransform::drawWnd()
{
    if (IPaperOwner *o = m_paper.owner())
        drawDc(o->viewSurface());
}

void TSelectTransform::drawCentreWnd()
{
    IPaperOwner *o = m_paper.owner();
    TMTC *dc = o ? o->viewSurface() : nullptr;
    SurfacePainter sp;
    if (!dc || !surfaceImage(*dc, sp))
        return;
    const sFPos c8 = convToViewPos(m_paper, FViewPoints[8]);
    if (!finite(c8))
        return;
    const int32_t cx = int32_t(std::clamp(std::nearbyint(c8.x), -1.0e6f, 1.0e6f));
    const int32_t cyDoc = int32_t(std::clamp(std::nearbyint(c8.y), -1.0e6f, 1.0e6f));
    const int32_t cy = sp.flipped ? sp.height - 1 - cyDoc : cyDoc;
    QPainter p(&sp.image);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(QColor(0xAA, 0xAA, 0xAA), 1));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawEllipse(QRect(cx - 5, cy - 5, 10, 10));
    p.drawLine(cx - 9, cy, cx + 9, cy);
    p.drawLine(cx, cy - 9, cx, cy + 9);
    p.end();
    sRect r{cx - 9, cyDoc - 9, cx + 10, cyDoc + 10};
    if (rectClipToSize(r, {dc->width(), dc->height()}))
        o->surfacePainted(r);
}

// ---------------------------------------------------------------------------------------------
// Update areas

sBox TSelectTransform::getUpdateBox(const sBox &nowBox, const sBox &lastBox)
{
    const int64_t x0 = std::min<int64_t>(nowBox.x, lastBox.x);
    const int64_t y0 = std::min<int64_t>(nowBox.y, lastBox.y);
    const int64_t x1 = std::max<int64_t>(int64_t(nowBox.x) + nowBox.w, int64_t(lastBox.x) + lastBox.w);
    const int64_t y1 = std::max<int64_t>(int64_t(nowBox.y) + nowBox.h, int64_t(lastBox.y) + lastBox.h);
    const auto c = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    return {c(x0), c(y0), c(x1 - x0), c(y1 - y0)};
}

void TSelectTransform::getTransformRect(sRect &r) const
{
    const sBox b = quadBox(FViewPoints.data());
    r = {b.x, b.y, int32_t(int64_t(b.x) + b.w), int32_t(int64_t(b.y) + b.h)};
}

sBox TSelectTransform::getTransformBox() const
{
    return getUpdateBox(quadBox(FFirstPoints.data()), FLastUdtBox);
}

void TSelectTransform::setLastUdtBox()
{
    const CLayerData *ld = m_paper.getActiveLayerData();
    sRect r;
    if (ld && ld->imageTC && ld->imageTC->findRect(r))
        FLastUdtBox = rectToBox(r);
}
