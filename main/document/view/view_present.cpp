#include "document/view/view_present.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/image/display_canvas.h"
#include "core/pixel/pixel.h"
#include "core/scale/scale_image.h"
#include "core/scale/view_render.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/view_geometry.h"
#include "document/view/zoom_cache.h"

#include <algorithm>
#include <cmath>

uint32_t viewBackColor(const TPaper &paper)
{
    return paper.owner() ? paper.owner()->viewBackColor() : gViewBackColor;
}

namespace {

bool sameSize(const TMTC &tc, const sSize &s)
{
    return tc.isEnable() && tc.width() == s.x && tc.height() == s.y;
}

void reportPainted(TPaper &paper, const sBox &b)
{
    if (IPaperOwner *owner = paper.owner())
        owner->surfacePainted(boxToRect(b));
}

// Nearest-neighbour stretch of the source box onto the destination box: destination pixel
// (dbox.x + i, dbox.y + j) takes source pixel (sbox.x + i sbox.w div dbox.w, ...). Only the part
// of the destination box inside dst is written, each pixel from the source pixel it maps to.
bool stretchNearest(TMTC &dst, const TMTC &src, const sBox &dbox, const sBox &sbox)
{
    if (!dst.isEnable() || !src.isEnable() || dbox.w <= 0 || dbox.h <= 0 || sbox.w <= 0 ||
        sbox.h <= 0)
        return false;
    sBox d = dbox;
    if (!boxClipToSize(d, dst.FPSZ()))
        return false;
    for (int32_t y = d.y; y < d.y + d.h; ++y) {
        const int32_t sy = sbox.y + int32_t(int64_t(y - dbox.y) * sbox.h / dbox.h);
        if (sy < 0 || sy >= src.height())
            continue;
        sBGRA *out = dst.seek32(d.x, y);
        for (int32_t x = d.x; x < d.x + d.w; ++x) {
            const int32_t sx = sbox.x + int32_t(int64_t(x - dbox.x) * sbox.w / dbox.w);
            if (sx >= 0 && sx < src.width())
                out[x - d.x] = *src.seek32(sx, sy);
        }
    }
    return true;
}

// The box of src copied into dst at the same place, both clipped.
void copySame(TMTC &dst, const TMTC &src, const sBox &box)
{
    sBox b = box;
    if (!boxClipToSize(b, src.FPSZ()) || !boxClipToSize(b, dst.FPSZ()))
        return;
    dst.copyArea(src, b.pos(), b);
}

// Whether the angle is one of the quarter turns the direct rotation draws exactly.
bool isQuarterTurn(float deg)
{
    return deg == -90 || deg == -180 || deg == -270;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Painting a part of the window

void updateViewPart(TPaper &paper, const IPaperOwner *wnd, const sRect &r)
{
    IPaperOwner *owner = paper.owner();
    if (!owner || wnd != owner)
        return;
    owner->eraseBrushGhost();
    const bool simple = isZoomSimple(paper) && paper.m_degree == 0;
    sBox box = rectToBox(r);
    struct GridAfter
    {
        TPaper &paper;
        IPaperOwner &owner;
        bool simple;
        sBox box;
        ~GridAfter()
        {
            if (paper.m_visGrid)
                owner.showGrid(simple ? &box : nullptr);
        }
    } grid{paper, *owner, simple, box};
    if (!boxClipToSize(box, paper.m_paperSize))
        return;
    grid.box = box;
    TMTC *dc = owner->viewSurface();
    if (!dc)
        return;
    if (paper.bVisReverse)
        updateViewREV(paper, dc, paper.vram(), box);
    else if (!isZoomSimple(paper) || paper.m_degree != 0)
        updateViewROT(paper, dc, paper.vram(), box);
    else if (paper.bVisCanvasCol)
        updateViewSTD(paper, *dc, paper.vram(), box);
    else if (prepareMixView(paper))
        updateViewMixSTD(paper, dc, paper.mixTC(), paper.vram(), box);
}

void updateViewPart(TPaper &paper, const IPaperOwner *wnd, int32_t left, int32_t top,
                    int32_t right, int32_t bottom)
{
    updateViewPart(paper, wnd, sRect{left, top, right, bottom});
}

void updateViewSTD(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box)
{
    const TFraction &fr = paper.FDisplayFraction;
    if (fr.Denominator <= 0 || fr.Numerator % fr.Denominator != 0)
        return;
    const int32_t f = fr.Numerator / fr.Denominator;
    sBox b = box;
    if (!boxClipToSize(b, src.FPSZ()))
        return;
    sBox target;
    if (f == 1) {
        target = {b.x + paper.m_dx - paper.m_vx, b.y + paper.m_dy - paper.m_vy, b.w, b.h};
        // The copy clips both sides; the target moves with a source cut.
        sBox t = target;
        if (!boxClipToSize(t, dst.FPSZ()))
            return;
        dst.copyArea(src, t.pos(), {b.x + t.x - target.x, b.y + t.y - target.y, t.w, t.h});
        reportPainted(paper, t);
        return;
    }
    const float z = paper.GetZoomScale();
    target = {paper.m_dx + f * b.x - truncSingle(float(paper.m_vx) * z),
              paper.m_dy + f * b.y - truncSingle(float(paper.m_vy) * z), f * b.w, f * b.h};
    if (stretchNearest(dst, src, target, b)) {
        boxClipToSize(target, dst.FPSZ());
        reportPainted(paper, target);
    }
}

bool updateViewMixSTD(TPaper &paper, TMTC *dst, TMTC &viewTC, const TMTC &vramTC,
                      const sBox &box)
{
    const int64_t z = floatToFix(paper.GetZoomScale());
    // Scroll positions may be negative: arithmetic shifts (floor).
    const sPos o{paper.m_dx - int32_t((z * paper.m_vx) >> 16),
                 paper.m_dy - int32_t((z * paper.m_vy) >> 16)};
    sBox b = box;
    if (!boxClipToSize(b, vramTC.FPSZ()))
        return false;
    sBox target{o.x + int32_t((z * b.x) >> 16), o.y + int32_t((z * b.y) >> 16),
                int32_t((z * b.w) >> 16), int32_t((z * b.h) >> 16)};
    if (!stretchNearest(viewTC, vramTC, target, b))
        return false;
    const sBox onPaper{o.x, o.y, int32_t((z * vramTC.width()) >> 16),
                       int32_t((z * vramTC.height()) >> 16)};
    sBox mixBox = target;
    if (boxIntersect(mixBox, onPaper))
        mixViewBackground(paper, viewTC, boxToRect(mixBox), o);
    if (dst && boxClipToSize(target, viewTC.FPSZ())) {
        copySame(*dst, viewTC, target);
        reportPainted(paper, target);
    }
    return true;
}

bool prepareMixView(TPaper &paper)
{
    if (paper.bVisCanvasCol)
        return true;
    const sSize client = paper.owner() ? paper.owner()->clientSize() : sSize{};
    if (client.x <= 0 || client.y <= 0)
        return false;
    TTC &mix = paper.mixTC();
    if (sameSize(mix, client))
        return true;
    if (!mix.Resize(client.x, client.y))
        return false;
    mix.PixelFill(viewBackColor(paper));
    return true;
}

bool mixViewBackground(const TPaper &paper, TMTC &tc, sRect r, const sPos &phase)
{
    if (paper.bVisCanvasCol)
        return false;
    if (paper.bVisBGPat)
        tc.mixInvCheckBoard(r, phase, {kCheckerCell, kCheckerCell}, kCheckerEven, kCheckerOdd);
    else
        tc.mixInvFill(r, kPlainViewBack);
    return true;
}

void mixCheckerPixel(sBGRA *pixel, int32_t x, int32_t y, bool pattern)
{
    if (pixel->A == 255)
        return;
    uint32_t bg = kPlainViewBack;
    if (pattern)
        bg = ((x / kCheckerCell + y / kCheckerCell) & 1) ? kCheckerOdd : kCheckerEven;
    sBGRA c{.all = bg};
    pixelPutAlpha(&c, pixel->all, pixel->A);
    *pixel = c;
}

// ---------------------------------------------------------------------------------------------
// Rotated and mirrored views

namespace {

// The rotation image at the client size; false without a client area.
bool sizeRotation(TPaper &paper, sSize &client)
{
    client = paper.owner() ? paper.owner()->clientSize() : sSize{};
    if (client.x <= 0 || client.y <= 0)
        return false;
    return sameSize(paper.rotation(), client) || paper.rotation().Resize(client.x, client.y);
}

// The box of the rotation image drawn from src by the renderer of the view kind.
void renderTurned(TPaper &paper, const TMTC &src, const sBox &sq, const sPos &centre, bool mirror)
{
    TMTC &rot = paper.rotation();
    const float zoom = paper.GetZoomScale();
    const bool shown = paper.bVisCanvasCol;
    const bool direct = isQuarterTurn(paper.m_degree) && isZoomSimple(paper);
    if (!direct && nowSmoothZoom(paper)) {
        const uint32_t back = viewBackColor(paper);
        if (shown && !mirror)
            stretchZoomRot2(paper, rot, src, back, zoom, paper.m_vr, sq, centre);
        else if (shown)
            stretchZoomRotRev2(paper, rot, src, back, zoom, paper.m_vr, sq, centre);
        else if (!mirror)
            stretchZoomRotMix2(paper, rot, src, back, zoom, paper.m_vr, sq, centre);
        else
            stretchZoomRotRevMix2(paper, rot, src, back, zoom, paper.m_vr, sq, centre);
        return;
    }
    if (shown && !mirror)
        src.BltRotationPart(rot, centre, sq, paper.m_vr, 1.0f / zoom);
    else if (shown)
        src.BltReversePart(rot, centre, sq, paper.m_vr, 1.0f / zoom);
    else if (!mirror)
        bltRotationMix(paper, rot, src, sq, centre);
    else
        bltReverseMix(paper, rot, src, sq, centre);
}

void updateViewTurned(TPaper &paper, TMTC *dst, const TMTC &src, const sBox &box, bool mirror)
{
    sSize client;
    if (!sizeRotation(paper, client))
        return;
    const float zoom = paper.GetZoomScale();
    int32_t mx = 0, my = 0;
    GetViewCenter(paper, client.x, client.y, mx, my);
    const int32_t g =
        truncSingle(std::sqrt(2.0f) * float(std::max(box.w, box.h)) * zoom / 2.0f) + 1;
    const float dx = (float(box.x) + float(box.w) / 2.0f - float(mx)) * zoom;
    const float dy = (float(box.y) + float(box.h) / 2.0f - float(my)) * zoom;
    const float c = paper.m_cos, s = paper.m_sin;
    const int32_t wx =
        truncSingle(mirror ? -c * dx - s * dy : c * dx + s * dy) + client.x / 2;
    const int32_t wy = truncSingle(-s * dx + c * dy) + client.y / 2;
    // The square is cut to the rotation image: a box near the paper's edge may reach past it.
    sBox sq{wx - g, wy - g, 2 * g, 2 * g};
    if (!boxClipToSize(sq, paper.rotation().FPSZ()))
        return;
    renderTurned(paper, src, sq, {mx, my}, mirror);
    if (dst) {
        copySame(*dst, paper.rotation(), sq);
        reportPainted(paper, sq);
    }
}

} // namespace

void updateViewROT(TPaper &paper, TMTC *dst, const TMTC &src, const sBox &box)
{
    updateViewTurned(paper, dst, src, box, false);
}

void updateViewREV(TPaper &paper, TMTC *dst, const TMTC &src, const sBox &box)
{
    updateViewTurned(paper, dst, src, box, true);
}

void makeRotVRAM2(TPaper &paper)
{
    const bool simple = isZoomSimple(paper) && paper.m_degree == 0 && !paper.bVisReverse;
    if (!simple) {
        sSize client;
        if (!sizeRotation(paper, client))
            return;
        int32_t mx = 0, my = 0;
        GetViewCenter(paper, client.x, client.y, mx, my);
        const sBox all = boxFromSize(client);
        const TMTC &src = paper.vram();
        TMTC &rot = paper.rotation();
        const float zoom = paper.GetZoomScale();
        const bool mirror = paper.bVisReverse, shown = paper.bVisCanvasCol;
        if (NeedAntiAliasing(paper)) {
            const uint32_t back = viewBackColor(paper);
            if (shown && !mirror)
                stretchZoomRot2(paper, rot, src, back, zoom, paper.m_vr, all, {mx, my});
            else if (shown)
                stretchZoomRotRev2(paper, rot, src, back, zoom, paper.m_vr, all, {mx, my});
            else if (!mirror)
                stretchZoomRotMix2(paper, rot, src, back, zoom, paper.m_vr, all, {mx, my});
            else
                stretchZoomRotRevMix2(paper, rot, src, back, zoom, paper.m_vr, all, {mx, my});
        } else if (shown && !mirror) {
            src.BltRotation(rot, {mx, my}, paper.m_vr, 1.0f / zoom);
        } else if (shown) {
            src.BltReversePart(rot, {mx, my}, all, paper.m_vr, 1.0f / zoom);
        } else if (!mirror) {
            bltRotationMix(paper, rot, src, all, {mx, my});
        } else {
            bltReverseMix(paper, rot, src, all, {mx, my});
        }
        return;
    }
    if (paper.bVisCanvasCol || !prepareMixView(paper))
        return;
    paper.mixTC().PixelFill(viewBackColor(paper));
    updateViewMixSTD(paper, nullptr, paper.mixTC(), paper.vram(),
                     boxFromSize(paper.vram().FPSZ()));
}

void UpdateView(TPaper &paper, IPaperOwner *handle, bool mk)
{
    if (mk)
        makeRotVRAM2(paper);
    if (!handle)
        return;
    if (paper.isEventPlaying())
        handle->updateNow();
    else
        handle->invalidate(false);
}

void UpdateView(TPaper &paper)
{
    UpdateView(paper, paper.owner(), true);
}

void blitVRAM(TPaper &paper, TMTC *dc)
{
    if (!dc)
        return;
    const bool simple = isZoomSimple(paper) && paper.m_degree == 0 && !paper.bVisReverse;
    if (simple && !paper.bVisCanvasCol)
        copySame(*dc, paper.mixTC(), boxFromSize(paper.mixTC().FPSZ()));
    else if (simple)
        updateViewSTD(paper, *dc, paper.vram(), boxFromSize(paper.vram().FPSZ()));
    else
        copySame(*dc, paper.rotation(), boxFromSize(paper.rotation().FPSZ()));
}

void invalidateView(TPaper &paper, bool clr)
{
    if (IPaperOwner *owner = paper.owner())
        owner->invalidate(clr);
}

// ---------------------------------------------------------------------------------------------
// Renderers

namespace {

enum class eSmoothEnd : uint8_t
{
    plain,
    mirror,
    mix,
    mixMirror,
};

void stretchZoom(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom, float rot,
                 const sBox &bx, const sPos &srcO, eSmoothEnd end)
{
    sBox b = bx;
    if (!dst.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return;
    if (useZoomCache(paper, dst, src, zoom, rot, b, srcO))
        return;
    const TMTC *from = &src;
    float z = zoom;
    sPos o = srcO;
    const int32_t idx = getUseZoomCacheIndex(paper);
    if (idx >= 0) {
        from = &paper.zoomCache(idx);
        z = 1.0f;
        o = {truncSingle(float(srcO.x) * zoom), truncSingle(float(srcO.y) * zoom)};
    }
    switch (end) {
    case eSmoothEnd::plain:
        renderRotatedView(dst, *from, paper.rotScaler(), ocol, z, rot, b, o);
        break;
    case eSmoothEnd::mirror:
        renderRotatedViewMirror(dst, *from, paper.rotScaler(), ocol, z, rot, b, o);
        break;
    case eSmoothEnd::mix:
        bltRotationSmoothMix(paper, dst, *from, b, o);
        break;
    case eSmoothEnd::mixMirror:
        bltReverseSmoothMix(paper, dst, *from, b, o);
        break;
    }
}

// Nearest-neighbour rotation over the checker: per row the 16.16 source point, per pixel the
// 16.16 steps b cos and b sin (negated when mirrored).
void rotationMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box, const sPos &srcO,
                 bool mirror)
{
    sBox b = box;
    if (!dst.isEnable() || !src.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return;
    const float zb = 1.0f / paper.GetZoomScale();
    const float c = paper.m_cos, s = paper.m_sin;
    const float hx = float(dst.width() / 2) - 0.5f, hy = float(dst.height() / 2) - 0.5f;
    const int32_t stepX = floatToFix(zb * c) * (mirror ? -1 : 1);
    const int32_t stepY = floatToFix(zb * s) * (mirror ? -1 : 1);
    const int64_t limX = int64_t(src.width()) << 16, limY = int64_t(src.height()) << 16;
    const uint32_t back = viewBackColor(paper);
    const bool pattern = paper.bVisBGPat;
    for (int32_t j = b.y; j < b.y + b.h; ++j) {
        const float dx = float(b.x) - hx, dy = float(j) - hy;
        float fx, fy;
        if (!mirror) {
            fx = float(srcO.x) + 0.5f + zb * (c * dx - s * dy);
            fy = float(srcO.y) + 0.5f + zb * (s * dx + c * dy);
        } else {
            fx = float(srcO.x) + 0.5f - zb * (c * dx + s * dy);
            fy = float(srcO.y) + 0.5f + zb * (c * dy - s * dx);
        }
        int64_t X = floatToFix(fx), Y = floatToFix(fy);
        sBGRA *d = dst.seek32(b.x, j);
        for (int32_t i = 0; i < b.w; ++i, X += stepX, Y += stepY) {
            if (X < 0 || Y < 0 || X >= limX || Y >= limY) {
                d[i].all = back;
                continue;
            }
            d[i] = *src.seek32(int32_t(X >> 16), int32_t(Y >> 16));
            mixCheckerPixel(&d[i], b.x + i, j, pattern);
        }
    }
}

// Area-averaged rotation over the checker: the source square of side e about each pixel's
// mapped centre averaged by the document's scaler.
void rotationSmoothMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box,
                       const sPos &srcO, bool mirror)
{
    sBox b = box;
    if (!dst.isEnable() || !src.isEnable() || !boxClipToSize(b, dst.FPSZ()))
        return;
    const float zoom = paper.GetZoomScale();
    const float e = getUseZoomCacheIndex(paper) >= 0 ? 1.0f : 1.0f / zoom;
    const int32_t side = floatToFix(e);
    if (side <= 0)
        return;
    CScaleImageTMTC &scaler = paper.rotScaler();
    scaler.reset(&src, &dst);
    const float c = paper.m_cos, s = paper.m_sin;
    const float halfW = float(dst.width()) / 2.0f, halfH = float(dst.height()) / 2.0f;
    const uint32_t back = viewBackColor(paper);
    const bool pattern = paper.bVisBGPat;
    for (int32_t j = b.y; j < b.y + b.h; ++j) {
        const float ty = (float(j) + 0.5f - halfH) * e;
        sBGRA *d = dst.seek32(b.x, j);
        for (int32_t i = 0; i < b.w; ++i) {
            float tx = (float(b.x + i) + 0.5f - halfW) * e;
            if (mirror)
                tx = -tx;
            const float x0 = float(srcO.x) + 0.5f + tx * c - ty * s - e / 2.0f;
            const float y0 = float(srcO.y) + 0.5f + tx * s + ty * c - e / 2.0f;
            const int32_t fx = floatToFix(x0), fy = floatToFix(y0);
            sRect r{fx, fy, fx + side, fy + side};
            if (!scaler.calcSrcRect(reinterpret_cast<uint8_t *>(d + i), r)) {
                d[i].all = back;
                continue;
            }
            mixCheckerPixel(&d[i], b.x + i, j, pattern);
        }
    }
}

} // namespace

void stretchZoomRot2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                     float rot, const sBox &bx, const sPos &srcO)
{
    stretchZoom(paper, dst, src, ocol, zoom, rot, bx, srcO, eSmoothEnd::plain);
}

void stretchZoomRotRev2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                        float rot, const sBox &bx, const sPos &srcO)
{
    stretchZoom(paper, dst, src, ocol, zoom, rot, bx, srcO, eSmoothEnd::mirror);
}

void stretchZoomRotMix2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                        float rot, const sBox &bx, const sPos &srcO)
{
    stretchZoom(paper, dst, src, ocol, zoom, rot, bx, srcO, eSmoothEnd::mix);
}

void stretchZoomRotRevMix2(TPaper &paper, TMTC &dst, const TMTC &src, uint32_t ocol, float zoom,
                           float rot, const sBox &bx, const sPos &srcO)
{
    stretchZoom(paper, dst, src, ocol, zoom, rot, bx, srcO, eSmoothEnd::mixMirror);
}

void bltRotationMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box, const sPos &srcO)
{
    rotationMix(paper, dst, src, box, srcO, false);
}

void bltReverseMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box, const sPos &srcO)
{
    rotationMix(paper, dst, src, box, srcO, true);
}

void bltRotationSmoothMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box,
                          const sPos &srcO)
{
    rotationSmoothMix(paper, dst, src, box, srcO, false);
}

void bltReverseSmoothMix(TPaper &paper, TMTC &dst, const TMTC &src, const sBox &box,
                         const sPos &srcO)
{
    rotationSmoothMix(paper, dst, src, box, srcO, true);
}
