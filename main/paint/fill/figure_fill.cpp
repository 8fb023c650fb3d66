#include "paint/fill/figure_fill.h"

#include "core/image/dib_core.h"
#include "paint/tone/pattern_tiles.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"
#include "paint/tone/tone_manager.h"

#include <algorithm>
#include <cmath>
#include <limits>

// Expressions are evaluated in extended precision and rounded to Single where a field stores them.
using Ext = long double;

namespace {

int32_t saturatedInt(Ext v)
{
    if (!(v > Ext(INT32_MIN)))
        return INT32_MIN;
    if (v >= Ext(INT32_MAX))
        return INT32_MAX;
    return int32_t(v);
}

int32_t floorInt(float v)
{
    return saturatedInt(std::floor(Ext(v)));
}

int32_t ceilInt(float v)
{
    return saturatedInt(std::ceil(Ext(v)));
}

// trunc(v) as an opacity 0..255.
uint32_t alphaOf(Ext v)
{
    return uint32_t(std::clamp<Ext>(std::trunc(v), 0, 255));
}

// The average height over pixel j of an edge rising e per pixel, capped at 1; -1 beyond the end
// of the ramp, or when the edge is steep (one pixel or less per row) and has no ramp.
float rampValue(float dy, int32_t j)
{
    const float e = dy == 0 ? 1000.0f : float(1 / std::fabs(Ext(dy)));
    if (!(e < 1) || j < 0)
        return -1;
    const float h = float(Ext(j) * e);
    if (h >= 1)
        return -1;
    const float g = float(Ext(h) + e);
    float m = float(Ext(h) + g);
    if (g > 1)
        m = float(m - (Ext(g) - 1) * (Ext(g) - 1) / e);
    return std::clamp(float(Ext(m) / 2), 0.0f, 1.0f);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// CFillMngr

CFillMngr::CFillMngr(const sSize &layerSize, const TStroke &strk) : stroke(&strk)
{
    clipBox = {0, 0, std::max(layerSize.x, 0), std::max(layerSize.y, 0)};
    clipRect = boxToRect(clipBox);
    clipFRect = boxToFRect(clipBox);
}

void CFillMngr::setPattern(CPatObj *pt)
{
    pat = pt;
    fillScanLine = &CFillMngr::colorScanLine;
}

void CFillMngr::dispatchMode()
{
    if (stroke->m_bUseTone && gCurrentToneMngr)
        setPattern(gCurrentToneMngr->getActiveTone());
    fillScanLine = &CFillMngr::colorScanLine;
}

void CFillMngr::setAlphaMode(uint32_t cc)
{
    color = cc;
    fillScanLine = &CFillMngr::alphaScanLine;
}

bool CFillMngr::clipFill()
{
    initOk = false;
    fillBox = {};
    if (!fRectIntersect(fillFRect, clipFRect))
        return false;
    fillBox = fRectToBox(fillFRect);
    initOk = true;
    return true;
}

bool CFillMngr::beginFill(CDibCore &tc)
{
    const uint32_t bytes = fillScanLine == &CFillMngr::alphaScanLine ? 1 : 4;
    if (!initOk || !tc.isEnable() || tc.getPixelBytes() != bytes)
        return false;
    imageTC = &tc;
    return true;
}

float CFillMngr::rowCoverage(int32_t y, int32_t firstRow, int32_t lastRow, float top, float bottom)
{
    // The first row loses what lies above the top, the last what lies below the bottom; a figure
    // of one row loses both.
    Ext fa = 1;
    if (y == firstRow)
        fa = Ext(firstRow) + 1 - top;
    if (y == lastRow)
        fa -= std::ceil(Ext(bottom)) - bottom;
    return float(fa);
}

float CFillMngr::spanCoverage(int32_t j, int32_t last) const
{
    // The right ramp is laid over the left one where a short span has both.
    const float right = rampValue(scanDY1, last - j);
    if (right >= 0)
        return right;
    const float left = rampValue(scanDY0, j);
    return left >= 0 ? left : 1.0f;
}

bool CFillMngr::spanPixels(SpanPixels &sp) const
{
    if (!(scanFA > 0) || scanIY < clipRect.y0 || scanIY >= clipRect.y1)
        return false;
    sp.a = floorInt(scanFX0);
    sp.b = ceilInt(scanFX1);
    if (sp.b < clipRect.x0 || sp.a >= clipRect.x1)
        return false;
    sp.from = std::max(sp.a, clipRect.x0);
    sp.to = std::min(sp.b, clipRect.x1);
    // The end pixels are covered by the fraction of them inside the span, unless the layer's
    // edge cuts the span there.
    sp.f = sp.a < clipRect.x0 ? 1.0f : float(Ext(sp.a) + 1 - scanFX0);
    sp.g = sp.b > clipRect.x1 ? 1.0f : float(1 - (Ext(sp.b) - scanFX1));
    return sp.from < sp.to;
}

void CFillMngr::colorScanLine()
{
    SpanPixels sp;
    if (!spanPixels(sp) || scanIY >= imageTC->height())
        return;
    const float c = float(Ext(stroke->getOpaque()) * scanFA);
    const int32_t last = sp.b - sp.a;
    for (int32_t x = sp.from; x < sp.to && x < imageTC->width(); ++x) {
        const float k = spanCoverage(x - sp.a, last);
        Ext a;
        if (x == sp.from)
            a = Ext(c) * sp.f * k * 255;
        else if (x == sp.to - 1)
            a = Ext(k) * c * sp.g * 255;
        else
            a = Ext(k) * c * 255;
        gCanvasPutAt(static_cast<sBGRA *>(imageTC->seek(x, scanIY)), x, scanIY, alphaOf(a),
                     stroke->m_drawColor);
    }
}

void CFillMngr::alphaScanLine()
{
    SpanPixels sp;
    if (!spanPixels(sp) || scanIY >= imageTC->height())
        return;
    const float c = float(Ext(stroke->getOpaque()) * scanFA);
    const Ext full = std::trunc(Ext(c) * 255);
    const int32_t last = sp.b - sp.a;
    for (int32_t x = sp.from; x < sp.to && x < imageTC->width(); ++x) {
        const float k = spanCoverage(x - sp.a, last);
        Ext a;
        if (x == sp.from)
            a = Ext(c) * sp.f * k * 255;
        else if (x == sp.to - 1)
            a = Ext(k) * c * sp.g * 255;
        else
            a = k * full;
        gChannelPutAt(static_cast<uint8_t *>(imageTC->seek(x, scanIY)), x, scanIY, alphaOf(a),
                      color);
    }
}

bool CFillMngr::initBoxFill(const sFPos &p0, const sFPos &p1)
{
    fRectFromPoints(fillFRect, p0, p1);
    return clipFill();
}

int32_t CFillMngr::boxFill(CDibCore &tc)
{
    if (!beginFill(tc))
        return 0;
    // Steep edges: only the ends of each span are fractional.
    scanDY0 = scanDY1 = 0.01f;
    const int32_t firstRow = fillBox.y, lastRow = fillBox.y + fillBox.h - 1;
    for (int32_t y = firstRow; y <= lastRow; ++y) {
        scanIY = y;
        scanFX0 = fillFRect.x0;
        scanFX1 = fillFRect.x1;
        scanFA = rowCoverage(y, firstRow, lastRow, fillFRect.y0, fillFRect.y1);
        (this->*fillScanLine)();
    }
    return fillBox.h;
}

// ---------------------------------------------------------------------------------------------
// CEllipseFiller

CEllipseFiller::CEllipseFiller(const sSize &layerSize, const TStroke &strk, int32_t ver)
    : CFillMngr(layerSize, strk), version(ver)
{
}

bool CEllipseFiller::initEllipseFill(const sFPos &p0, const sFPos &p1)
{
    initOk = false;
    fillBox = {};
    sFRect r;
    fRectFromPoints(r, p0, p1);
    const float midX = float((Ext(r.x0) + r.x1) / 2), midY = float((Ext(r.y0) + r.y1) / 2);
    pos0 = {r.x0, midY};
    pos1 = {r.x1, midY};
    pos2 = {midX, r.y0};
    if (!rotEllipseInit(re, pos0, pos1, pos2) || !makeEllipsePolygon(fposArray, re, dots, false) ||
        dots == 0)
        return false;

    rngX = {fposArray[0].x, fposArray[0].x};
    for (const sFPos &p : fposArray) {
        rngX.min = std::min(rngX.min, p.x);
        rngX.max = std::max(rngX.max, p.x);
    }
    fillFRect = {rngX.min, re.rngFY.min, rngX.max, re.rngFY.max};
    fillBoxNC = fRectToBox(fillFRect);
    if (!clipFill())
        return false;
    if (version == 0)
        fillBoxNC = fillBox;
    return true;
}

void CEllipseFiller::setEdgeSlopes(int32_t row)
{
    // The slope dx/dy of the ellipse inscribed in fillBoxNC at this row.
    const Ext w = fillBoxNC.w, h = fillBoxNC.h;
    const Ext hb = h / 2;
    const Ext t = Ext(row) - fillBoxNC.y - hb;
    const Ext gg = hb * hb - t * t;
    const Ext g = gg > 0 ? std::sqrt(gg) : 0.1L;
    Ext s = hb * g != 0 ? t * (w / 2) / (hb * g) : 0;
    if (s == 0)
        s = 0.1L;
    scanDY0 = float(-s);
    scanDY1 = float(s);
}

int32_t CEllipseFiller::ellipseFill(CDibCore &tc)
{
    if (!beginFill(tc))
        return 0;
    int32_t rows = 0;
    for (size_t i = 0; i < fposArray.size();) {
        // One or two crossings per row; a row with one is a span of one point.
        const sFPos &left = fposArray[i];
        const bool pair = i + 1 < fposArray.size() && fposArray[i + 1].y == left.y;
        const sFPos &right = pair ? fposArray[i + 1] : left;
        i += pair ? 2 : 1;
        scanIY = int32_t(left.y);
        scanFX0 = left.x;
        scanFX1 = right.x;
        scanFA = rowCoverage(scanIY, re.rngY.min, re.rngY.max, re.rngFY.min, re.rngFY.max);
        setEdgeSlopes(scanIY);
        (this->*fillScanLine)();
        ++rows;
    }
    return rows;
}

// ---------------------------------------------------------------------------------------------
// CPolygonFiller

CPolygonFiller::CPolygonFiller(const sSize &layerSize, const TStroke &strk)
    : CFillMngr(layerSize, strk)
{
}

bool CPolygonFiller::initPolygonFill(std::span<const sFPos> plist, int32_t n)
{
    initOk = false;
    fillBox = {};
    if (n < 3 || size_t(n) > plist.size())
        return false;
    fPosArray.assign(plist.begin(), plist.begin() + n);
    nump = n;
    sFRect r{fPosArray[0].x, fPosArray[0].y, fPosArray[0].x, fPosArray[0].y};
    for (const sFPos &p : fPosArray) {
        r.x0 = std::min(r.x0, p.x);
        r.y0 = std::min(r.y0, p.y);
        r.x1 = std::max(r.x1, p.x);
        r.y1 = std::max(r.y1, p.y);
    }
    fillFRect = {r.x0, r.y0, r.x1 + 1.0f, r.y1 + 1.0f};
    xRng = {floorInt(fillFRect.x0), ceilInt(fillFRect.x1)};
    return clipFill();
}

void CPolygonFiller::handleVertex(int32_t v, int32_t row)
{
    const sFPos &pv = fPosArray[size_t(v)];
    const int32_t prev = v == 0 ? nump - 1 : v - 1, next = v == nump - 1 ? 0 : v + 1;
    for (const int32_t u : {prev, next}) {
        const sFPos &pu = fPosArray[size_t(u)];
        const int32_t id = u == prev ? prev : v; // an edge is named by its first vertex
        if (Ext(row) - 0.5L >= pu.y) {
            // The edge ended above this row centre.
            std::erase_if(edgeArray, [id](const SEdge &e) { return e.first == id; });
        } else if (Ext(row) + 0.5L < pu.y) {
            // The edge runs on below: its x at this row centre, from its upper end.
            SEdge e;
            e.dxdy = float((Ext(pu.x) - pv.x) / (Ext(pu.y) - pv.y));
            e.x = float(pv.x + (Ext(row) + 0.5L - pv.y) * e.dxdy);
            e.first = id;
            edgeArray.push_back(e);
        }
    }
    nact = int32_t(edgeArray.size());
}

int32_t CPolygonFiller::polygonFill(CDibCore &tc)
{
    if (!beginFill(tc))
        return 0;
    idxYArray.resize(size_t(nump));
    for (int32_t i = 0; i < nump; ++i)
        idxYArray[size_t(i)] = i;
    std::stable_sort(idxYArray.begin(), idxYArray.end(), [this](int32_t p, int32_t q) {
        return fPosArray[size_t(p)].y < fPosArray[size_t(q)].y;
    });
    const float minY = fPosArray[size_t(idxYArray.front())].y;
    const float maxY = fPosArray[size_t(idxYArray.back())].y;
    const int32_t firstRow = std::max(ceilInt(float(Ext(minY) - 0.5L)), clipRect.y0);
    const int32_t lastRow = std::min(floorInt(float(Ext(maxY) - 0.5L)), clipRect.y1 - 1);

    edgeArray.clear();
    nact = 0;
    size_t next = 0;
    int32_t rows = 0;
    for (int32_t y = firstRow; y <= lastRow; ++y) {
        while (next < idxYArray.size() &&
               Ext(fPosArray[size_t(idxYArray[next])].y) <= Ext(y) + 0.5L)
            handleVertex(idxYArray[next++], y);
        std::stable_sort(edgeArray.begin(), edgeArray.end(),
                         [](const SEdge &p, const SEdge &q) { return p.x < q.x; });
        // Even-odd: the active edges pair up from the left.
        for (size_t k = 0; k + 1 < edgeArray.size(); k += 2) {
            const SEdge &l = edgeArray[k], &r = edgeArray[k + 1];
            if (!(l.x < r.x))
                continue;
            scanIY = y;
            scanFX0 = l.x;
            scanFX1 = r.x;
            scanFA = 1;
            scanDY0 = l.dxdy;
            scanDY1 = r.dxdy;
            (this->*fillScanLine)();
        }
        for (SEdge &e : edgeArray)
            e.x = float(Ext(e.x) + e.dxdy);
        ++rows;
    }
    return rows;
}
