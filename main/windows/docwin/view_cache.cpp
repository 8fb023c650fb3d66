// TDrawWindow: the view cache of a layer drag. The layers below the dragged one are composed
// once into the cache; each movement then redraws only the layers from the dragged one up.
#include "windows/docwin/draw_window.h"

#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/transform/select_transform.h"
#include "document/view/zoom_cache.h"
#include "document/view/view_present.h"

#include <QLoggingCategory>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcViewCache, "kavrin.viewcache", QtWarningMsg)

// The merge version the display composition mixes with while the canvas colour is hidden.
constexpr uint32_t kComposeVersion = 0x30003;

sBox toLayerBox(const sBox &box, const CLayerData &ld)
{
    return {box.x + ld.viewPos.x, box.y + ld.viewPos.y, box.w, box.h};
}

} // namespace

void TDrawWindow::releaseViewCache()
{
    vramCache.idx = -1;
    vramCache.box = {};
    vramCache.tc.reset();
    vramCache.started = false;
    vramCache.cached = false;
    vramCache.ltbl = {};
}

int32_t TDrawWindow::viewCacheBase() const
{
    const auto clippingParent = [this](int32_t i) {
        while (i > 0 && paper->getLayerData(i) && paper->getLayerData(i)->underLyrClip)
            --i;
        return i;
    };
    int32_t base = clippingParent(paper->ActiveLayer());
    const CLayerData *ld = paper->getLayerData(base);
    if (ld && ld->linkIndex != 0)
        for (int32_t i = 0; i < base; ++i)
            if (paper->getLayerData(i)->linkIndex == ld->linkIndex)
                base = std::min(base, clippingParent(i));
    return base;
}

bool TDrawWindow::composeLayerRange(TMTC &dst, const sPos &origin, const sBox &b, int32_t from,
                                    int32_t to, tblLyrGrpAttr &ltbl)
{
    const sPos dpos{b.x - origin.x, b.y - origin.y};
    const bool shown = paper->bVisCanvasCol;
    const bool newer = paper->isDrawProcNew();
    int32_t i = from;
    while (i < to) {
        const CLayerData &ld = *paper->getLayerData(i);
        const int32_t n = getClippingLayerCount(*paper, i);
        if (i + n >= to)
            return false;
        const uint8_t e = updtGrpLyrTbl(*paper, i, ltbl);
        if (e != 0 && ld.imageTC) {
            const CLayerBlendView view(ld, e, false);
            const bool clip = n > 0 && updateClippingImage(*paper, i, b);
            if (clip && shown)
                bltLayerImage(dst, paper->clipTempTC(), dpos, true, view, b);
            else if (clip)
                mixLayerImage(dst, paper->clipTempTC(), view, kComposeVersion, b, dpos);
            else if (!shown)
                ld.mixToEx(dst, dpos, toLayerBox(b, ld), kComposeVersion, e);
            else if (newer)
                ld.imageTC->layerBltTo(dst, view, dpos, toLayerBox(b, ld), true);
            else
                ld.imageTC->layerOldBltTo(dst, view, dpos, toLayerBox(b, ld));
        }
        i += n + 1;
    }
    return true;
}

bool TDrawWindow::buildViewCache()
{
    const int32_t base = viewCacheBase();
    int32_t firstVisible = -1;
    for (int32_t i = 0; i <= paper->MaxLayer() && firstVisible < 0; ++i)
        if (paper->getLayerData(i)->visible)
            firstVisible = i;
    if (base <= 0 || firstVisible < 0 || firstVisible >= base) {
        releaseViewCache();
        return false;
    }
    const sBox area = paper->FFreeTransformer
                          ? sBox{0, 0, paper->m_paperSize.x, paper->m_paperSize.y}
                          : sBox{viewRect.x0, viewRect.y0, viewRect.x1 - viewRect.x0,
                                 viewRect.y1 - viewRect.y0};
    if (!vramCache.tc || vramCache.tc->width() != area.w || vramCache.tc->height() != area.h)
        vramCache.tc = std::make_unique<TMTC>();
    vramCache.ltbl = {};
    vramCache.box = area;
    vramCache.idx = base;
    vramCache.cached = false;
    vramCache.started = vramCache.tc->Resize(area.w, area.h) && area.w > 0 && area.h > 0;
    if (!vramCache.started)
        return false;
    // The canvas colour keeps the alpha under it: start from the display image, as its own
    // composition does.
    TMTC &vram = paper->vram();
    for (int32_t y = 0; y < area.h; ++y)
        std::copy_n(vram.seek32(area.x, area.y + y), area.w, vramCache.tc->seek32(0, y));
    fillCanvasColor(*paper, *vramCache.tc, {0, 0, area.w, area.h});
    vramCache.cached =
        composeLayerRange(*vramCache.tc, area.pos(), area, 0, base, vramCache.ltbl);
    return vramCache.cached;
}

bool TDrawWindow::drawFromViewCache(const sBox &box, bool overlay)
{
    if (!vramCache.cached)
        return false;
    const sBox &area = vramCache.box;
    const int32_t x0 = std::max(box.x, area.x), y0 = std::max(box.y, area.y);
    const int32_t x1 = std::min(box.x + box.w, area.x + area.w);
    const int32_t y1 = std::min(box.y + box.h, area.y + area.h);
    if (x1 <= x0 || y1 <= y0)
        return true;
    const sBox b{x0, y0, x1 - x0, y1 - y0};
    TMTC &vram = paper->vram();
    for (int32_t y = 0; y < b.h; ++y)
        std::copy_n(vramCache.tc->seek32(b.x - area.x, b.y - area.y + y), b.w,
                    vram.seek32(b.x, b.y + y));
    tblLyrGrpAttr ltbl = vramCache.ltbl;
    composeLayerRange(vram, {0, 0}, b, vramCache.idx, paper->MaxLayer() + 1, ltbl);
    qCDebug(lcViewCache, "%d,%d,%d,%d", b.x, b.y, b.w, b.h);
    if (overlay)
        paper->drawOptionalImage(b);
    return true;
}

void TDrawWindow::UpdateAllPartWithVramCache(const sBox &box)
{
    if (vramCache.cached && drawFromViewCache(box)) {
        updateZoomCache(*paper, box);
        updateViewPart(*paper, this, {box.x, box.y, box.x + box.w, box.y + box.h});
        return;
    }
    UpdateAllPart(box);
}
