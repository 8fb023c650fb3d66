#include "document/view/view_geometry.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/view_present.h"
#include "document/view/zoom_cache.h"
#include "paint/stroke/stroke.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

const std::array<TFraction, 17> kZoomPresets = {{
    {1, 16},
    {1, 12},
    {1, 8},
    {1, 6},
    {1, 4},
    {1, 3},
    {1, 2},
    {2, 3},
    {1, 1},
    {3, 2},
    {2, 1},
    {3, 1},
    {4, 1},
    {6, 1},
    {8, 1},
    {12, 1},
    {16, 1},
}};

namespace {

constexpr float kMinZoom = 0.0625f;
constexpr float kMaxZoom = 16.0f;
constexpr int32_t kSimpleZoomLimit = 32768;
// Past this size an angle is reduced by the remainder instead of whole turns one by one.
constexpr float kLoopedAngleLimit = 1.0e6f;

float presetValue(const TFraction &p)
{
    return float(p.Numerator) / float(p.Denominator);
}

float zoomOf(const TFraction &f)
{
    return float(f.Numerator) / float(f.Denominator);
}

void setSinCos(TPaper &paper)
{
    paper.m_sin = std::sin(paper.m_vr);
    paper.m_cos = std::cos(paper.m_vr);
}

} // namespace

float TPaper::GetZoomScale() const
{
    return zoomOf(FDisplayFraction);
}

sPos TPaper::convToViewPos(const sPos &paperPos) const
{
    return ::convToViewPos(*this, paperPos);
}

// ---------------------------------------------------------------------------------------------
// Zoom

float SetZoomFraction(TPaper &paper, int32_t numerator, int32_t denominator)
{
    if (numerator <= 0 || denominator <= 0)
        return paper.GetZoomScale();
    TFraction f{numerator, denominator};
    const float z = zoomOf(f);
    if (z < kMinZoom)
        f = kZoomPresets.front();
    else if (z > kMaxZoom)
        f = kZoomPresets.back();
    paper.FDisplayFraction = f;
    return paper.GetZoomScale();
}

bool CanZoomIn(const TPaper &paper)
{
    return paper.GetZoomScale() < kMaxZoom;
}

bool CanZoomOut(const TPaper &paper)
{
    return paper.GetZoomScale() > kMinZoom;
}

TFraction zoomFractionUp(const TFraction &f)
{
    for (const TFraction &p : kZoomPresets) {
        const double v = std::floor(double(presetValue(p)) * 10000.0);
        if (v * f.Denominator > double(f.Numerator) * 10000.0)
            return p;
    }
    return kZoomPresets.back();
}

TFraction zoomFractionDown(const TFraction &f)
{
    for (auto it = kZoomPresets.rbegin(); it != kZoomPresets.rend(); ++it) {
        const double v = std::ceil(double(presetValue(*it)) * 10000.0);
        if (v * f.Denominator < double(f.Numerator) * 10000.0)
            return *it;
    }
    return kZoomPresets.front();
}

void ZoomIn(TPaper &paper)
{
    if (CanZoomIn(paper))
        paper.FDisplayFraction = zoomFractionUp(paper.FDisplayFraction);
}

void ZoomOut(TPaper &paper)
{
    if (CanZoomOut(paper))
        paper.FDisplayFraction = zoomFractionDown(paper.FDisplayFraction);
}

void ZoomReset(TPaper &paper)
{
    paper.FDisplayFraction = {1, 1};
}

bool isZoomSimple(const TPaper &paper)
{
    const TFraction &f = paper.FDisplayFraction;
    if (f.Denominator <= 0 || f.Numerator % f.Denominator != 0)
        return false;
    const int64_t side = std::max(paper.m_paperSize.x, paper.m_paperSize.y);
    return side * f.Numerator < int64_t(kSimpleZoomLimit) * f.Denominator;
}

bool isRotSimple(const TPaper &paper)
{
    const float d = std::fabs(paper.m_degree);
    return d == 0 || d == 90 || d == 180 || d == 270;
}

namespace {

bool isWholeZoom(const TPaper &paper)
{
    const TFraction &f = paper.FDisplayFraction;
    return f.Denominator > 0 && f.Numerator % f.Denominator == 0;
}

bool smoothZoomOn(const TPaper &paper)
{
    return paper.owner() && paper.owner()->isSmoothZoom();
}

} // namespace

bool nowSmoothZoom(const TPaper &paper)
{
    return smoothZoomOn(paper) && !(isWholeZoom(paper) && paper.m_degree == 0);
}

bool NeedAntiAliasing(const TPaper &paper)
{
    return smoothZoomOn(paper) && !(isWholeZoom(paper) && isRotSimple(paper));
}

bool isViewTurned(const TPaper &paper)
{
    return paper.m_degree != 0 || paper.bVisReverse;
}

// ---------------------------------------------------------------------------------------------
// Scroll position and rotation

void SetDrawPoint(TPaper &paper, int32_t dx, int32_t dy)
{
    paper.m_dx = dx;
    paper.m_dy = dy;
}

void SetViewPoint(TPaper &paper, int32_t vx, int32_t vy)
{
    paper.m_vx = vx;
    paper.m_vy = vy;
}

void SetViewRotPoint(TPaper &paper, float x, float y)
{
    paper.m_vrX = x;
    paper.m_vrY = y;
}

void SetViewDegree(TPaper &paper, float deg)
{
    if (!std::isfinite(deg))
        return;
    if (std::fabs(deg) >= kLoopedAngleLimit)
        deg = std::fmod(deg, 360.0f); // exact; then within one turn of the range
    while (deg > 0)
        deg -= 360;
    while (deg <= -360)
        deg += 360;
    if (deg == 0)
        deg = 0; // no negative zero
    paper.m_degree = deg;
    paper.m_vr = deg * std::numbers::pi_v<float> / 180.0f;
    if (deg == 0) {
        paper.m_sin = 0, paper.m_cos = 1;
    } else if (deg == -90) {
        paper.m_sin = -1, paper.m_cos = 0;
    } else if (deg == -180) {
        paper.m_sin = 0, paper.m_cos = -1;
    } else if (deg == -270) {
        paper.m_sin = 1, paper.m_cos = 0;
    } else {
        setSinCos(paper);
    }
}

void SetViewRot(TPaper &paper, float rot)
{
    paper.m_vr = rot;
    paper.m_degree = rot * 180.0f / std::numbers::pi_v<float>;
    setSinCos(paper);
}

void AddViewRotPoint(TPaper &paper, float x, float y)
{
    const float c = paper.m_cos, s = paper.m_sin;
    // nearbyint rounds half to even in the default rounding mode.
    paper.m_vrX = std::nearbyint(paper.m_vrX - (x * c - y * s));
    paper.m_vrY = std::nearbyint(paper.m_vrY - (x * s + y * c));
}

sFPos rotPos(const TPaper &paper, const sFPos &pos)
{
    const float c = paper.m_cos, s = paper.m_sin;
    return {c * pos.x - s * pos.y, s * pos.x + c * pos.y};
}

void rotPos(const TPaper &paper, sFPos &dst, const sFPos &src)
{
    dst = rotPos(paper, src);
}

void GetViewCenter(const TPaper &paper, int32_t cw, int32_t ch, int32_t &mx, int32_t &my)
{
    if (isViewTurned(paper)) {
        mx = truncSingle(paper.m_vrX);
        my = truncSingle(paper.m_vrY);
        return;
    }
    const float z = paper.GetZoomScale();
    const auto axis = [z](int32_t client, int32_t d, int32_t v) {
        const float half = float(client / 2) / z;
        return truncSingle(d <= 0 ? half + float(v) : half - float(d) / z);
    };
    mx = axis(cw, paper.m_dx, paper.m_vx);
    my = axis(ch, paper.m_dy, paper.m_vy);
}

// ---------------------------------------------------------------------------------------------
// Coordinates

void CursorCorrection(const TPaper &paper, int32_t clw, int32_t clh, float &mx, float &my)
{
    const TFraction &f = paper.FDisplayFraction;
    const float r = float(f.Denominator) / float(f.Numerator);
    if (isViewTurned(paper)) {
        float b = r * (mx - float(clw / 2));
        if (paper.bVisReverse)
            b = -b;
        const float a = r * (my - float(clh / 2));
        mx = paper.m_vrX + paper.m_cos * b - paper.m_sin * a;
        my = paper.m_vrY + paper.m_sin * b + paper.m_cos * a;
        return;
    }
    mx = r * (mx - float(paper.m_dx) + 0.5f) + float(paper.m_vx) - 0.5f;
    my = r * (my - float(paper.m_dy) + 0.5f) + float(paper.m_vy) - 0.5f;
}

sFPos convToViewPos(const TPaper &paper, const sFPos &pos)
{
    const float z = paper.GetZoomScale();
    if (!isViewTurned(paper))
        return {z * (pos.x - float(paper.m_vx)) + float(paper.m_dx),
                z * (pos.y - float(paper.m_vy)) + float(paper.m_dy)};
    const sSize client = paper.owner() ? paper.owner()->clientSize() : sSize{};
    const float c = paper.m_cos, s = paper.m_sin;
    const float e = pos.x - paper.m_vrX - 0.5f, g = pos.y - paper.m_vrY - 0.5f;
    const float u = paper.bVisReverse ? -c * e - s * g : c * e + s * g;
    return {z * u + float(client.x / 2) + 0.5f, float(client.y / 2) + z * (-s * e + c * g) + 0.5f};
}

sPos convToViewPos(const TPaper &paper, const sPos &pos)
{
    const sFPos p = convToViewPos(paper, sFPos{float(pos.x), float(pos.y)});
    return {truncSingle(p.x + 0.01f), truncSingle(p.y + 0.01f)};
}

sPos getLayerOfs(const TPaper &paper, int32_t idx)
{
    const CLayerData *ld = paper.getLayerData(idx);
    return ld ? ld->viewPos : sPos{};
}

sPos convLayerPosToVramPos(const TPaper &paper, int32_t idx, const sPos &pos)
{
    const sPos o = getLayerOfs(paper, idx);
    return {pos.x - o.x, pos.y - o.y};
}

sPos convVramPosToLayerPos(const TPaper &paper, int32_t idx, const sPos &pos)
{
    const sPos o = getLayerOfs(paper, idx);
    return {pos.x + o.x, pos.y + o.y};
}

void convVramPosToLayerPos(const TPaper &paper, int32_t idx, float &x, float &y)
{
    const sPos o = getLayerOfs(paper, idx);
    x += float(o.x);
    y += float(o.y);
}

TLayerMode getStrokeLM(const TPaper &paper, const TStroke &stroke)
{
    const CLayerData *ld = paper.getLayerData(stroke.m_drawLayer);
    return ld ? ld->mode : TLayerMode::LM_STD;
}

// ---------------------------------------------------------------------------------------------
// Block copies

bool bltToLayer(TPaper &paper, int32_t idx, const TMTC &src, const sPos &dpos, const sBox &box,
                uint32_t alpha)
{
    CLayerData *ld = paper.getLayerData(idx);
    sBox b = box;
    sPos d = dpos;
    if (!ld || !ld->imageTC || !src.isEnable())
        return false;
    // The box cut to the source, the destination moving with it, then cut to the layer.
    const sBox before = b;
    if (!boxClipToSize(b, src.FPSZ()))
        return false;
    d.x += b.x - before.x, d.y += b.y - before.y;
    sBox target{d.x, d.y, b.w, b.h};
    const sBox t0 = target;
    if (!boxClipToSize(target, ld->imageTC->FPSZ()))
        return false;
    b = {b.x + target.x - t0.x, b.y + target.y - t0.y, target.w, target.h};
    return ld->imageTC->bltFrom(src, target.pos(), b, alpha);
}

bool bltToLayer(TPaper &paper, int32_t idx, const TMTC &src, int32_t dx, int32_t dy,
                uint32_t alpha)
{
    return bltToLayer(paper, idx, src, {dx, dy}, boxFromSize(src.FPSZ()), alpha);
}

bool bltFromLayer(const TPaper &paper, TMTC &dst, int32_t idx, const sPos &dpos, const sBox &box,
                  uint32_t alpha, bool fast)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return false;
    sBox b = box;
    const sBox before = b;
    if (!boxClipToSize(b, ld->imageTC->FPSZ()))
        return false;
    const sPos d{dpos.x + b.x - before.x, dpos.y + b.y - before.y};
    return ld->imageTC->bltTo(dst, d, b, alpha, fast);
}

bool bltFromLayer(const TPaper &paper, TMTC &dst, int32_t idx, int32_t dx, int32_t dy,
                  uint32_t alpha, bool fast)
{
    const CLayerData *ld = paper.getLayerData(idx);
    return ld && bltFromLayer(paper, dst, idx, {dx, dy}, ld->imageBox(), alpha, fast);
}

// ---------------------------------------------------------------------------------------------
// Previews

void updatePreview(TPaper &paper, int32_t idx, int32_t dx, int32_t dy, int32_t dw, int32_t dh)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC || !ld->previewTC || !ld->previewTC->isEnable())
        return;
    ld->imageTC->FilterSmallenPart(*ld->previewTC, dx, dy, dw, dh, ld->viewPos.x, ld->viewPos.y,
                                   paper.m_paperSize.x, paper.m_paperSize.y);
}

void updatePreview(TPaper &paper, int32_t idx)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (ld && ld->previewTC)
        updatePreview(paper, idx, 0, 0, ld->previewTC->width(), ld->previewTC->height());
}

void updatePreviewAll(TPaper &paper)
{
    for (int32_t i = 0; i <= paper.MaxLayer(); ++i)
        updatePreview(paper, i);
}

namespace {

// The box scaled by to / from per axis, position and size truncated, the size one larger.
sBox scaleBox(const sBox &box, const sSize &to, const sSize &from)
{
    const float fx = float(to.x) / float(from.x), fy = float(to.y) / float(from.y);
    return {truncSingle(float(box.x) * fx), truncSingle(float(box.y) * fy),
            truncSingle(float(box.w) * fx) + 1, truncSingle(float(box.h) * fy) + 1};
}

} // namespace

void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, const sBox &box)
{
    const sSize paperSize = paper.m_paperSize;
    if (paperSize.x <= 0 || paperSize.y <= 0)
        return;
    if (!vramonly) {
        const CLayerData *ld = paper.getLayerData(layer);
        if (ld && ld->previewTC && ld->previewTC->isEnable()) {
            const sBox t = scaleBox(box, ld->previewTC->FPSZ(), paperSize);
            updatePreview(paper, layer, t.x, t.y, t.w, t.h);
        }
        if (!paper.isEventPlaying())
            appRefreshLayerRow(paper, layer);
    }
    const TMTC &vram = paper.vram();
    if (paper.preview().isEnable() && vram.isEnable())
        makePreviewImage(paper, scaleBox(box, paper.preview().FPSZ(), vram.FPSZ()));
}

void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer)
{
    PreviewRefresh(paper, vramonly, layer, boxFromSize(paper.vram().FPSZ()));
}

void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, const sSize &size)
{
    PreviewRefresh(paper, vramonly, layer, boxFromSize(size));
}

void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, const sRect &r)
{
    PreviewRefresh(paper, vramonly, layer, rectToBox(r));
}

void PreviewRefresh(TPaper &paper, bool vramonly, int32_t layer, int32_t x, int32_t y, int32_t w,
                    int32_t h)
{
    PreviewRefresh(paper, vramonly, layer, sBox{x, y, w, h});
}

void makePreviewImage(TPaper &paper, const sBox &box)
{
    TMTC &nav = paper.preview();
    if (!nav.isEnable() || !paper.vram().isEnable())
        return;
    const TMTC *src = &paper.vram();
    int32_t diff = std::abs(src->width() - nav.width());
    for (int32_t i = 0; i < TPaper::kZoomCacheCount; ++i) {
        const TMTC &cache = paper.zoomCache(i);
        if (!cache.isEnable())
            break; // a cache of no size is never chosen, nor any smaller one
        const int32_t d = std::abs(cache.width() - nav.width());
        if (d > diff)
            break;
        src = &cache;
        diff = d;
    }
    src->FilterSmallen(nav);
    if (paper.bVisCanvasCol)
        return;
    sRect r = boxToRect(box);
    if (paper.bVisBGPat)
        nav.mixInvCheckBoard(r, {0, 0}, {8, 8}, kCheckerEven, kCheckerOdd);
    else
        nav.mixInvFill(r, kPlainViewBack);
}
