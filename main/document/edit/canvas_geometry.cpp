#include "document/edit/canvas_geometry.h"

#include "core/tiles/block_layer_image.h"
#include "document/edit/geometry_layers.h"
#include "document/edit/scale_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/layer_manager.h"
#include "document/paper/paper_host.h"
#include "platform/system/debug_output.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <functional>

namespace {

constexpr int32_t kNewListCapacity = 24;

// Builds one new layer per old one with make(old layer) and appends it; the list or nullptr.
// Exceptions are caught and reported to the debugger under name.
std::unique_ptr<CLayerMngr>
buildList(const CLayerMngr &mngr, const sSize &S, const char *name,
          const std::function<std::unique_ptr<CLayerData>(const CLayerData &, int32_t)> &make)
{
    try {
        auto out = std::make_unique<CLayerMngr>(kNewListCapacity);
        out->setPaperSize(S.x, S.y);
        for (int32_t i = 0; i < mngr.getLayerCount(); ++i) {
            auto ld = make(*mngr.getLayer(i), i);
            if (!ld || out->insertAt(i, ld) != i)
                return nullptr;
        }
        out->setCurIndex(mngr.getCurIndex());
        return out;
    } catch (const std::exception &) {
        debugOut(QStringLiteral("%1: Exception!").arg(QLatin1String(name)));
        return nullptr;
    }
}

// A new layer of w x h for src; without copyAttr it keeps src's visibility and opacity (the mode
// is the new image's).
std::unique_ptr<CLayerData> listLayer(const CLayerData &src, int64_t w, int64_t h, bool copyAttr)
{
    auto ld = newGeometryLayer(src, w, h);
    if (ld && !copyAttr) {
        ld->visible = src.visible;
        ld->trans = src.trans;
    }
    return ld;
}

int64_t floorHalfUp(float v)
{
    // Single per step: the product and the half are each rounded to a Single.
    const float r = v + 0.5f;
    if (!std::isfinite(r) || std::fabs(r) > 4.0e18f)
        return INT64_MIN;
    return int64_t(std::floor(r));
}

std::unique_ptr<CLayerMngr> zoomLayerList(const CLayerMngr &mngr, const sSize &S, int32_t method,
                                          bool copyAttr, bool alphaWeighted)
{
    if (method != 1 && method != 2)
        return nullptr;
    auto progress = appOpenProgress(mngr.getLayerCount(), QStringLiteral("解像度を変更しています"),
                                    QString());
    auto out = buildList(mngr, S, "makeZoomLayer", [&](const CLayerData &src, int32_t) {
        std::unique_ptr<CLayerData> none;
        if (progress)
            progress->setMessage(QStringLiteral("%1を処理中...").arg(src.title));
        sSize size;
        sPos vp;
        if (!src.imageTC ||
            !zoomedLayerGeometry(src.imageTC->FPSZ(), src.viewPos, src.viewSize, S, size, vp))
            return none;
        auto ld = listLayer(src, size.x, size.y, copyAttr);
        if (!ld)
            return none;
        if (method == 1) {
            if (!src.imageTC->FilterSmallenHQ(*ld->imageTC))
                return none;
        } else {
            CScaleLayerImage scaler(src.imageTC.get(), ld->imageTC.get());
            const sBox from = boxFromSize(src.imageTC->FPSZ()), to = boxFromSize(size);
            const bool done = alphaWeighted ? scaler.scale2(from, to) : scaler.scale(from, to);
            if (!done || !scaler.allStored())
                return none;
        }
        ld->viewPos = vp;
        if (!finishGeometryLayer(*ld, src, S, copyAttr, mngr.getPreviewSize()))
            return none;
        if (progress)
            progress->step(1);
        return ld;
    });
    if (out)
        out->setTotalNum(mngr.getTotalNum());
    return out;
}

} // namespace

bool zoomedLayerGeometry(const sSize &imageSize, const sPos &viewPos, const sSize &viewSize,
                         const sSize &S, sSize &newSize, sPos &newViewPos)
{
    if (viewSize.x <= 0 || viewSize.y <= 0 || S.x <= 0 || S.y <= 0)
        return false;
    const float rx = float(S.x) / float(viewSize.x), ry = float(S.y) / float(viewSize.y);
    const int64_t w = floorHalfUp(float(imageSize.x) * rx);
    const int64_t h = floorHalfUp(float(imageSize.y) * ry);
    int64_t x = floorHalfUp(float(viewPos.x) * rx), y = floorHalfUp(float(viewPos.y) * ry);
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX || x == INT64_MIN || y == INT64_MIN)
        return false;
    if (x + S.x > w)
        x = w - S.x;
    if (y + S.y > h)
        y = h - S.y;
    if (x < INT32_MIN || x > INT32_MAX || y < INT32_MIN || y > INT32_MAX)
        return false;
    newSize = {int32_t(w), int32_t(h)};
    newViewPos = {int32_t(x), int32_t(y)};
    return true;
}

std::unique_ptr<CLayerMngr> makeResizeLayerEx(const CLayerMngr &mngr, const sPos &offset,
                                              const sSize &S, bool copyAttr)
{
    if (S.x <= 0 || S.y <= 0)
        return nullptr;
    auto out = buildList(mngr, S, "makeResizeLayerEx", [&](const CLayerData &src, int32_t) {
        std::unique_ptr<CLayerData> none;
        if (!src.imageTC)
            return none;
        // The new paper in old paper coordinates, and the layer grown to hold it; in 64 bits,
        // since an offset from outside can put either far from the other.
        const int64_t cx0 = -int64_t(offset.x), cy0 = -int64_t(offset.y);
        const int64_t cx1 = cx0 + S.x, cy1 = cy0 + S.y;
        const sRect rect = src.getLayerRect();
        const int64_t ux0 = std::min<int64_t>(rect.x0, cx0), uy0 = std::min<int64_t>(rect.y0, cy0);
        const int64_t ux1 = std::max<int64_t>(rect.x1, cx1), uy1 = std::max<int64_t>(rect.y1, cy1);
        auto ld = listLayer(src, ux1 - ux0, uy1 - uy0, copyAttr);
        if (!ld || !copyLayerImage(*ld->imageTC, *src.imageTC,
                                   {int32_t(rect.x0 - ux0), int32_t(rect.y0 - uy0)},
                                   src.imageBox()))
            return none;
        ld->viewPos = {int32_t(cx0 - ux0), int32_t(cy0 - uy0)};
        if (!finishGeometryLayer(*ld, src, S, copyAttr, mngr.getPreviewSize()))
            return none;
        return ld;
    });
    if (out)
        out->setTotalNum(mngr.getTotalNum());
    return out;
}

std::unique_ptr<CLayerMngr> makeResizeLayer(const CLayerMngr &mngr, const sPos &origin,
                                            const sSize &S, bool copyAttr)
{
    return buildList(mngr, S, "makeResizeLayer", [&](const CLayerData &src, int32_t) {
        std::unique_ptr<CLayerData> none;
        if (!src.imageTC)
            return none;
        auto ld = listLayer(src, S.x, S.y, copyAttr);
        const sPos at{-origin.x - src.viewPos.x, -origin.y - src.viewPos.y};
        if (!ld || !copyLayerImage(*ld->imageTC, *src.imageTC, at, src.imageBox()))
            return none;
        ld->viewPos = {0, 0};
        if (!finishGeometryLayer(*ld, src, S, copyAttr, mngr.getPreviewSize()))
            return none;
        return ld;
    });
}

std::unique_ptr<CLayerMngr> makeZoomLayer(const CLayerMngr &mngr, const sSize &S, int32_t method,
                                          bool copyAttr)
{
    return zoomLayerList(mngr, S, method, copyAttr, false);
}

std::unique_ptr<CLayerMngr> makeZoomLayer2(const CLayerMngr &mngr, const sSize &S, int32_t method,
                                           bool copyAttr)
{
    return zoomLayerList(mngr, S, method, copyAttr, true);
}
