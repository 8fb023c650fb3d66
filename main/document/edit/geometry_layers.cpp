#include "document/edit/geometry_layers.h"

#include "core/image/dib_core.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"

#include <new>

std::unique_ptr<CLayerData> newGeometryLayer(const CLayerData &src, int64_t w, int64_t h)
{
    if (w <= 0 || h <= 0 || w > kMaxLayerSide || h > kMaxLayerSide)
        return nullptr;
    try {
        auto ld = std::make_unique<CLayerData>(src.index, false);
        if (!ld->createLayer(int32_t(w), int32_t(h), src.mode))
            return nullptr;
        return ld;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool finishGeometryLayer(CLayerData &ld, const CLayerData &src, const sSize &paperSize,
                         bool copyAttr, const sSize &previewSize)
{
    if (copyAttr)
        ld.copyAttr(src);
    else
        ld.title = src.title;
    ld.viewSize = paperSize;
    ld.imageTC->shrinkMemory();
    const bool sized = previewSize.x > 0 && previewSize.y > 0
                           ? ld.resizePreview(previewSize.x, previewSize.y)
                           : ld.resizePreview();
    if (!sized)
        return false;
    ld.updatePreview();
    return true;
}

bool copyLayerImage(CBlockVMTC &dst, const CBlockVMTC &src, sPos dpos, sBox box)
{
    sPos p = dpos;
    sBox b = box;
    if (!clipBlt(dst.FPSZ(), src.FPSZ(), p, b))
        return true;
    return dst.copyArea(src, dpos, box);
}

QString memoryFailureMessage(const QString &what)
{
    return QStringLiteral("メモリ不足により%1の実行に失敗しました！").arg(what);
}

QString exceptionFailureMessage(const QString &what)
{
    return QStringLiteral("予期しない例外により%1の実行に失敗しました！").arg(what);
}

bool commitLayerArea(CBlockVMTC &img, const sBox &box)
{
    sBox b = box;
    if (!img.clipping(b))
        return true;
    return splitBoxAtBlocks(b, img.blockShift(), [&](const sBox &piece) {
        return img.seekPixelAddr(piece.x, piece.y, true) != nullptr;
    });
}
