// The pixel side of the free transform: lifting the selection and the layer pixels into work
// buffers, and mapping them back through the frame after every drag and at the commit.
#include "document/transform/select_transform.h"

#include "core/image/channel.h"
#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/pixel/pixel.h"
#include "core/tiles/block_channel.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "document/selection/selection_ops.h"
#include "document/transform/transform_mapping.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace {

bool cornersFinite(const TTransPoints &v)
{
    for (int i = 0; i < 4; ++i)
        if (!std::isfinite(v[size_t(i)].x) || !std::isfinite(v[size_t(i)].y))
            return false;
    return true;
}

// The four view corners in the coordinates of a layer at view position vp.
std::array<sFPos, 4> layerCorners(const TTransPoints &v, const sPos &vp)
{
    std::array<sFPos, 4> c;
    for (int i = 0; i < 4; ++i)
        c[size_t(i)] = {v[size_t(i)].x + float(vp.x), v[size_t(i)].y + float(vp.y)};
    return c;
}

// The box of the four corners as the image mapping writes it (its far column and row included).
sBox writtenBox(const sFPos *corners)
{
    sBox b = quadBox(corners);
    b.w = int32_t(std::min<int64_t>(int64_t(b.w) + 1, INT32_MAX));
    b.h = int32_t(std::min<int64_t>(int64_t(b.h) + 1, INT32_MAX));
    return b;
}

} // namespace

bool TSelectTransform::setTransMask()
{
    FModify = false;
    CMaskData *md = m_paper.getActiveMaskData();
    if (!md)
        return true;
    const sPos viewPos = md->viewPos;
    try {
        FTrnsMaskViewPos = viewPos;
        FBaseMask = std::make_unique<CMaskData>(*md);
        md->viewPos = {0, 0};
        sRect r;
        if (md->maskTC && md->maskTC->isEnable() && md->maskTC->findRect(r)) {
            const int32_t w = r.x1 - r.x0, h = r.y1 - r.y0;
            FBeforeMaskRect = r;
            FTrnsMaskRect = {0, 0, w, h};
            FTrnsMaskPos = r.p0();
            FTrnsChannel = std::make_unique<TChannel>(w, h);
            FTrnsResultChannel =
                std::make_unique<TChannel>(md->maskTC->width(), md->maskTC->height());
            if (FTrnsChannel->width() != w || FTrnsResultChannel->width() != md->maskTC->width())
                throw std::bad_alloc();
            FTrnsChannel->PixelFill(0);
            FTrnsResultChannel->PixelFill(0);
            md->maskTC->copyTo(*FTrnsChannel, sPos{0, 0}, sBox{r.x0, r.y0, w, h}, true);
            FIsTransformSelect = true;
        }
    } catch (const std::bad_alloc &) {
        md->viewPos = viewPos;
        FTrnsChannel.reset();
        FTrnsResultChannel.reset();
        FBaseMask.reset();
        FIsTransformSelect = false;
        return false;
    }
    return true;
}

bool TSelectTransform::setTransImage()
{
    FModify = false;
    CLayerData *ld = m_paper.getActiveLayerData();
    sRect cr;
    if (!ld || !ld->imageTC || !ld->imageTC->findRect(cr))
        return false;
    CBlockVMTC &img = *ld->imageTC;
    sRect content = cr;
    CMaskData *md = m_paper.getActiveMaskData();
    const bool select = FIsTransformSelect && md && FTrnsChannel;
    if (select) {
        // The lifting reads the mask at its own place; the mapping sets it to 0 again.
        md->viewPos = FTrnsMaskViewPos;
        content = FBeforeMaskRect;
        rectOffset(content, ld->viewPos.x - FTrnsMaskViewPos.x, ld->viewPos.y - FTrnsMaskViewPos.y);
        if (content.x1 <= content.x0 || content.y1 <= content.y0)
            return false;
    }
    const int32_t w = content.x1 - content.x0, h = content.y1 - content.y0;
    try {
        FDelLayer = std::make_unique<CLayerData>(-1, false);
        if (!FDelLayer->createLayer(*ld))
            throw std::bad_alloc();
        FTrnsImage = std::make_unique<TTC>(w + 2, h + 2, false);
        if (!FTrnsImage->isEnable() || FTrnsImage->width() != w + 2 || FTrnsImage->height() != h + 2)
            throw std::bad_alloc();
        CBlockVMTC &hole = *FDelLayer->imageTC;
        const int32_t ox = content.x0 - 1, oy = content.y0 - 1;
        if (select) {
            for (int32_t j = 0; j < h + 2; ++j)
                for (int32_t i = 0; i < w + 2; ++i) {
                    const int32_t X = ox + i, Y = oy + j;
                    sBGRA &t = *FTrnsImage->seek32(i, j);
                    if (i == 0 || j == 0 || i == w + 1 || j == h + 1 || X < cr.x0 || Y < cr.y0 ||
                        X >= cr.x1 || Y >= cr.y1) {
                        t.all = 0x00FFFFFF;
                        continue;
                    }
                    t.all = img.getColor(X, Y);
                    // Any coverage lifts the whole pixel.
                    if (FTrnsChannel->getColor(i - 1, j - 1) != 0) {
                        sBGRA *p = hole.seekPixelNC(X, Y);
                        if (!p)
                            throw std::bad_alloc();
                        p->A = 0;
                    } else {
                        t.A = 0;
                    }
                }
        } else {
            // Transparent white where the layer gives nothing (the ring, skipped empty blocks),
            // as the layer's own empty pixels read.
            for (int32_t j = 0; j < h + 2; ++j)
                std::fill_n(FTrnsImage->seek32(0, j), w + 2, sBGRA{.all = 0x00FFFFFFu});
            img.bltTo(*FTrnsImage, sPos{0, 0}, sBox{ox, oy, w + 2, h + 2}, 255, true);
            if (!hole.clearImage(TLayerMode::LM_STD) || !hole.setAlphaAll(0))
                throw std::bad_alloc();
        }
        FBaseLayer = std::make_unique<CLayerData>(ld->index, false);
        if (!FBaseLayer->createLayer(*ld))
            throw std::bad_alloc();
    } catch (const std::bad_alloc &) {
        FDelLayer.reset();
        FTrnsImage.reset();
        FBaseLayer.reset();
        return false;
    }
    FTrnsImageViewPos = ld->viewPos;
    FLastUdtBox = writtenBox(FViewPoints.data());
    FTrnsImagePos = FLastUdtBox.pos();
    FLyrTrans = ld->trans;
    FIsTransformImage = true;
    return true;
}

bool TSelectTransform::transformMask()
{
    if (FMarkerTypeNow == kMarkerCentre || !FIsTransformSelect || !FTrnsChannel ||
        !FTrnsResultChannel || !cornersFinite(FViewPoints))
        return false;
    CMaskData *md = m_paper.getActiveMaskData();
    if (!md || !md->maskTC || md->maskTC->width() != FTrnsResultChannel->width() ||
        md->maskTC->height() != FTrnsResultChannel->height())
        return false;
    FModify = true;
    FTrnsResultChannel->PixelFill(0);
    mapMaskContent(*FTrnsResultChannel, *FTrnsChannel, FViewPoints.data(), FIsSimpleMove);
    md->viewPos = {0, 0};
    md->maskTC->copy(*FTrnsResultChannel, 0, 0);
    updateAnts(m_paper, m_paper.bEnbMask, m_paper.bVisMask);
    return true;
}

bool TSelectTransform::transformImage(bool aa)
{
    if (FMarkerTypeNow == kMarkerCentre || !FIsTransformImage || !FTrnsImage || !FDelLayer ||
        !cornersFinite(FViewPoints))
        return false;
    CLayerData *ld = m_paper.getActiveLayerData();
    if (!ld || !ld->imageTC || !FDelLayer->imageTC)
        return false;
    CBlockVMTC &img = *ld->imageTC;
    FModify = true;
    const sPos vp = ld->viewPos;
    sBox nowBox = writtenBox(FViewPoints.data());
    if (aa)
        boxOffset(nowBox, FTrnsImageViewPos.x, FTrnsImageViewPos.y);
    const sBox upd = getUpdateBox(nowBox, FLastUdtBox);
    // The hole back under the update area, in document and in layer coordinates.
    for (sBox b : {upd, sBox{upd.x + vp.x, upd.y + vp.y, upd.w, upd.h}})
        if (boxClipToSize(b, {img.width(), img.height()}))
            img.simpleCopy(*FDelLayer->imageTC, b.pos(), b);
    bool ok;
    if (aa && FIsSimpleMove)
        ok = simpleMoveImage(img, *FTrnsImage);
    else
        ok = transformImage(img, *FTrnsImage, aa);
    FLastUdtBox = upd;
    return ok;
}

bool TSelectTransform::simpleMoveImage(CBlockVMTC &dst, const TMTC &src)
{
    const CLayerData *ld = m_paper.getActiveLayerData();
    const std::array<sFPos, 4> c = layerCorners(FViewPoints, ld ? ld->viewPos : sPos{});
    return simpleMoveContent(dst, src, c.data());
}

bool TSelectTransform::transformImage(CBlockVMTC &dst, const TMTC &src, bool aa)
{
    const CLayerData *ld = m_paper.getActiveLayerData();
    const std::array<sFPos, 4> c = layerCorners(FViewPoints, ld ? ld->viewPos : sPos{});
    return mapImageContent(dst, src, c.data(), aa);
}
