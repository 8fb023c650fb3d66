#include "document/view/composition.h"

#include "core/base/numeric.h"
#include "core/image/canvas.h"
#include "core/image/display_canvas.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/flow_image.h"
#include "document/paper/layer_blend_table.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper.h"
#include "document/paper/paper_host.h"
#include "document/view/view_geometry.h"
#include "document/view/view_present.h"
#include "document/view/zoom_cache.h"
#include "paint/render/legacy_dabs.h"
#include "platform/system/clock.h"

#include <algorithm>

namespace {

// The merge version of the display composition: all six special pairs, mtfNopSrcTP.
constexpr uint32_t kComposeVersion = 0x30003;
constexpr uint32_t kClearColor = 0x00FFFFFF;

sBox toLayerBox(const sBox &box, const CLayerData &ld)
{
    return {box.x + ld.viewPos.x, box.y + ld.viewPos.y, box.w, box.h};
}

bool isDrawn(const CLayerData *ld)
{
    return ld && ld->visible && ld->trans > 0 && ld->imageTC;
}

// The box cut to the display image; false when nothing is left.
bool clipToVram(const TPaper &paper, sBox &box)
{
    return paper.vram().isEnable() && boxClipToSize(box, paper.vram().FPSZ());
}

void clearBox(TMTC &tc, const sBox &box)
{
    sBox b = box;
    tc.fillBox(b, kClearColor);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Layer blends

CLayerBlendView::CLayerBlendView(const ILayerBlendAttr &layer, uint8_t trans, bool clockSeeded)
    : m_layer(layer), m_trans(trans), m_rand(layer.layerDizRand())
{
    if (clockSeeded)
        randInit(m_rand, timeGetTime(), 0, 255);
}

bool bltLayerImage(TMTC &target, const TMTC &src, const sPos &dpos, bool flag,
                   const ILayerBlendAttr &ld, const sBox &box)
{
    const CLayerBlendView view(ld, ld.layerTrans(), flag);
    const fptrPixelPut4core put = armLayerPut(view);
    if (!put || view.layerTrans() == 0)
        return false;
    return src.bltPartEx2(target, dpos, box, view.layerTrans(), put);
}

bool mixLayerImage(TMTC &dst, const TMTC &src, const ILayerBlendAttr &ld, uint32_t ver,
                   const sBox &box, const sPos &dpos)
{
    const TLayerMode mode = ld.layerMode();
    if (const fptrPixelPut4core fn = findSpecialMergeProc(TLayerMode::LM_STD, mode, ver))
        return dst.mixWith(src, dpos, box, 255, ld.layerTrans(), fn);
    sTCMixParam mix;
    if (!makeLayerMixParam(TLayerMode::LM_STD, mode, (ver >> 16) & 1, mix))
        return false;
    return dst.mixWithEx(src, dpos, box, 255, ld.layerTrans(), mix);
}

bool oldBlendPart(TMTC &dst, const TMTC &src, const sPos &dpos, uint32_t alpha, TLayerMode mode,
                  const sBox &box)
{
    switch (uint32_t(mode)) {
    case 0:
        return src.BltMulPart(dst, box.x, box.y, box.w, box.h, dpos.x, dpos.y, alpha);
    case 1:
        return src.BltAddPart(dst, box.x, box.y, box.w, box.h, dpos.x, dpos.y, alpha);
    case 2:
        return src.BltSubPart(dst, box.x, box.y, box.w, box.h, dpos.x, dpos.y, alpha);
    case 3:
        return bltPartNormal(dst, src, box.x, box.y, box.w, box.h, dpos.x, dpos.y, alpha);
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------
// Groups and clipping

uint8_t updtGrpLyrTbl(const TPaper &paper, int32_t idx, tblLyrGrpAttr &ltbl)
{
    const CLayerData *ld = paper.getLayerData(idx);
    if (!ld)
        return 0;
    const int32_t level = std::clamp(ld->groupLevel, 0, int32_t(ltbl.size()) - 1);
    ltbl[size_t(level)] = {idx, level, ld->trans};
    if (!ld->visible)
        return 0;
    uint32_t e = ld->trans;
    for (int32_t lv = level - 1; lv >= 0; --lv)
        e = mul255(e, ltbl[size_t(lv)].trans);
    return uint8_t(e);
}

int32_t getClippingLayerCount(const TPaper &paper, int32_t idx)
{
    return paper.layerMngr().countClipMember(idx);
}

bool isClippingLayer(const TPaper &paper, int32_t idx)
{
    return paper.layerMngr().isClippingLayer(idx);
}

bool isClippingGroup(const TPaper &paper, int32_t idx)
{
    return paper.layerMngr().isClippingGroup(idx);
}

bool resizeClippingImage(TPaper &paper, int32_t w, int32_t h)
{
    return paper.clipTempTC().Resize(w, h);
}

namespace {

// The members of the clipping group at idx that draw (visible, opacity above 0); 0 when the
// group has none or its base does not draw.
int32_t drawnMembers(const TPaper &paper, int32_t idx)
{
    const int32_t n = getClippingLayerCount(paper, idx);
    if (n <= 0 || !isDrawn(paper.getLayerData(idx)))
        return 0;
    int32_t drawn = 0;
    for (int32_t k = 1; k <= n; ++k)
        if (isDrawn(paper.getLayerData(idx + k)))
            ++drawn;
    return drawn > 0 ? n : 0;
}

// The clipping group at idx composed into the work image over box; the layer act (-1: none)
// comes from the flow image.
bool composeClipGroup(TPaper &paper, TFlowImage *flow, int32_t idx, int32_t act, const sBox &box,
                      bool reset)
{
    const int32_t n = drawnMembers(paper, idx);
    TMTC &clip = paper.clipTempTC();
    sBox b = box;
    if (n == 0 || !clip.isEnable() || !boxClipToSize(b, clip.FPSZ()))
        return false;
    if (reset)
        clearBox(clip, b);
    const CLayerData &base = *paper.getLayerData(idx);
    if (flow && idx == act)
        flow->image().bltEx(clip, b.pos(), toLayerBox(b, base), 255);
    else
        base.imageTC->bltTo(clip, b.pos(), toLayerBox(b, base), 255, false);
    for (int32_t k = 1; k <= n; ++k) {
        const CLayerData &m = *paper.getLayerData(idx + k);
        if (!isDrawn(&m))
            continue;
        const CLayerBlendView view(m, m.trans, true);
        if (flow && idx + k == act)
            bltLayerImage(clip, flow->image(), b.pos(), true, view, toLayerBox(b, m));
        else
            m.imageTC->layerBltTo(clip, view, b.pos(), toLayerBox(b, m), true);
    }
    return true;
}

} // namespace

bool updateClippingImage(TPaper &paper, int32_t idx, const sBox &box)
{
    return composeClipGroup(paper, nullptr, idx, -1, box, true);
}

bool updateClippingImage_inFlow(TPaper &paper, TFlowImage &flow, int32_t idx, int32_t act,
                                const sBox &box)
{
    return composeClipGroup(paper, &flow, idx, act, box, false);
}

// ---------------------------------------------------------------------------------------------
// The display image

void fillCanvasColor(TPaper &paper, TMTC &tc, const sBox &box)
{
    sBox b = box;
    if (paper.bVisCanvasCol)
        tc.maskImage(b, 0x00FFFFFF, paper.m_canvascolor);
    else
        tc.fillBox(b, kClearColor);
}

namespace {

// How the layer at the loop's position is drawn: from the flow image (the stroke's layer), from
// the clipping work image, or from its own tiles.
enum class eSource : uint8_t
{
    tiles,
    clip,
    flow,
};

// The loop shared by the four compositions: every layer entered in the group table, each drawn
// layer (with its clipping group) handed to draw with its effective opacity.
template <class Draw>
void composeLayers(TPaper &paper, TFlowImage *flow, int32_t act, const sBox &box, Draw draw)
{
    tblLyrGrpAttr ltbl{};
    int32_t i = 0;
    while (i <= paper.MaxLayer()) {
        const CLayerData &ld = *paper.getLayerData(i);
        const int32_t n = getClippingLayerCount(paper, i);
        const uint8_t e = updtGrpLyrTbl(paper, i, ltbl);
        if (e != 0 && ld.imageTC) {
            bool clip = false;
            if (n > 0)
                clip = flow ? updateClippingImage_inFlow(paper, *flow, i, act, box)
                            : updateClippingImage(paper, i, box);
            const eSource src = clip                      ? eSource::clip
                                : (flow && i == act)      ? eSource::flow
                                                          : eSource::tiles;
            draw(ld, e, src);
        }
        i += n + 1;
    }
}

} // namespace

void composeVramOpaque(TPaper &paper, const sBox &box, bool grid)
{
    sBox b = box;
    if (!clipToVram(paper, b))
        return;
    TMTC &vram = paper.vram();
    fillCanvasColor(paper, vram, b);
    const bool newer = paper.isDrawProcNew();
    composeLayers(paper, nullptr, -1, b, [&](const CLayerData &ld, uint8_t e, eSource src) {
        if (src == eSource::clip) {
            bltLayerImage(vram, paper.clipTempTC(), b.pos(), true, CLayerBlendView(ld, e, false),
                          b);
        } else if (newer) {
            ld.imageTC->layerBltTo(vram, CLayerBlendView(ld, e, false), b.pos(), toLayerBox(b, ld),
                                   true);
        } else {
            ld.imageTC->layerOldBltTo(vram, CLayerBlendView(ld, e, false), b.pos(),
                                      toLayerBox(b, ld));
        }
    });
    if (grid)
        paper.drawOptionalImage(b);
}

void composeVramTransparent(TPaper &paper, const sBox &box, bool grid)
{
    sBox b = box;
    if (!clipToVram(paper, b))
        return;
    TMTC &vram = paper.vram();
    clearBox(vram, b);
    composeLayers(paper, nullptr, -1, b, [&](const CLayerData &ld, uint8_t e, eSource src) {
        if (src == eSource::clip)
            mixLayerImage(vram, paper.clipTempTC(), CLayerBlendView(ld, e, false), kComposeVersion,
                          b, b.pos());
        else
            ld.mixToEx(vram, b.pos(), toLayerBox(b, ld), kComposeVersion, e);
    });
    if (grid)
        paper.drawOptionalImage(b);
}

void composeStrokeOpaque(TPaper &paper, TFlowImage &flow, const sBox &box, int32_t act)
{
    sBox b = box;
    if (!clipToVram(paper, b))
        return;
    TMTC &vram = paper.vram();
    fillCanvasColor(paper, vram, b);
    const bool newer = paper.isDrawProcNew();
    composeLayers(paper, &flow, act, b, [&](const CLayerData &ld, uint8_t e, eSource src) {
        const CLayerBlendView view(ld, e, true);
        if (src == eSource::tiles) {
            if (newer)
                ld.imageTC->layerBltTo(vram, view, b.pos(), toLayerBox(b, ld), true);
            else
                ld.imageTC->layerOldBltTo(vram, view, b.pos(), toLayerBox(b, ld));
            return;
        }
        const TMTC &from = src == eSource::clip ? paper.clipTempTC() : flow.image();
        const sBox fromBox = src == eSource::clip ? b : toLayerBox(b, ld);
        if (newer)
            bltLayerImage(vram, from, b.pos(), true, view, fromBox);
        else
            oldBlendPart(vram, from, b.pos(), e, ld.mode, fromBox);
    });
}

void composeStrokeTransparent(TPaper &paper, TFlowImage &flow, const sBox &box, int32_t act)
{
    sBox b = box;
    if (!clipToVram(paper, b))
        return;
    TMTC &vram = paper.vram();
    clearBox(vram, b);
    composeLayers(paper, &flow, act, b, [&](const CLayerData &ld, uint8_t e, eSource src) {
        const CLayerBlendView view(ld, e, false);
        if (src == eSource::clip)
            mixLayerImage(vram, paper.clipTempTC(), view, kComposeVersion, b, b.pos());
        else if (src == eSource::flow)
            mixLayerImage(vram, flow.image(), view, kComposeVersion, toLayerBox(b, ld), b.pos());
        else
            ld.mixToEx(vram, b.pos(), toLayerBox(b, ld), kComposeVersion, e);
    });
}

void UpdateVRAMPart(TPaper &paper, const sBox &box, bool grid, bool updateCache)
{
    if (paper.bVisCanvasCol)
        composeVramOpaque(paper, box, grid);
    else
        composeVramTransparent(paper, box, grid);
    if (updateCache)
        updateZoomCache(paper, box);
}

void UpdateVRAMPart(TPaper &paper, int32_t x, int32_t y, int32_t w, int32_t h, bool grid,
                    bool updateCache)
{
    UpdateVRAMPart(paper, sBox{x, y, w, h}, grid, updateCache);
}

void UpdateVRAM(TPaper &paper, bool grid, bool updateCache)
{
    UpdateVRAMPart(paper, boxFromSize(paper.vram().FPSZ()), grid, updateCache);
    if (IPaperOwner *owner = paper.owner())
        owner->invalidate(false);
}

// ---------------------------------------------------------------------------------------------
// Recompose, repaint and refresh

namespace {

void refreshRowUnlessActive(TPaper &paper, int32_t idx)
{
    if (idx != paper.ActiveLayer())
        appRefreshLayerRow(paper, idx);
}

// One rectangle of an edit: recomposed, repainted and, with prv, its thumbnails refreshed.
void dispatchRect(TPaper &paper, int32_t idx, const sRect &r, bool prv)
{
    UpdateVRAMPart(paper, rectToBox(r), true, true);
    updateViewPart(paper, paper.owner(), r);
    if (prv)
        PreviewRefresh(paper, false, idx, r);
}

} // namespace

void dispatchView(TPaper &paper, int32_t idx)
{
    if (!paper.bVisCanvasCol && paper.mixTC().isEnable()) {
        const uint32_t back = paper.owner() ? paper.owner()->viewBackColor() : gViewBackColor;
        paper.mixTC().PixelFill(back);
    }
    dispatchView(paper, idx, rectFromSize(paper.vram().FPSZ()));
}

void dispatchView(TPaper &paper, int32_t idx, const sRect &r)
{
    dispatchRect(paper, idx, r, true);
    refreshRowUnlessActive(paper, idx);
}

void dispatchViewFast(TPaper &paper, int32_t idx, const sRect *r, bool prv)
{
    CLayerData *ld = paper.getLayerData(idx);
    if (!ld || !ld->imageTC)
        return;
    ld->imageTC->setupTraceRect();
    const SRectTracer &trace = ld->imageTC->getTrace();
    const sRect whole = rectFromSize(paper.vram().FPSZ());
    for (int32_t k = 0; k < trace.cnt; ++k) {
        sRect t = trace.rects[size_t(k)];
        rectOffset(t, -ld->viewPos.x, -ld->viewPos.y);
        if (!rectIntersect(t, whole))
            continue;
        if (r && !rectIntersect(t, *r))
            continue;
        dispatchRect(paper, idx, t, prv);
    }
    refreshRowUnlessActive(paper, idx);
}
