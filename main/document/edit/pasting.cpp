#include "document/edit/pasting.h"

#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"

#include <algorithm>
#include <cstdint>

void applyLayerAttr(CLayerData &layer, const SOlyHeader &hdr, const QString *title)
{
    layer.mode = TLayerMode(std::min<uint8_t>(hdr.mode, uint8_t(TLayerMode::LM_PINLIGHT)));
    layer.trans = hdr.trans;
    layer.viewPos = hdr.viewPos;
    if (layer.imageTC)
        layer.imageTC->setInitColor(hdr.bgCol);
    layer.visible = (hdr.flags & kOlyVisible) != 0;
    layer.maskProtected = (hdr.flags & kOlyProtected) != 0;
    if (title)
        layer.title = *title;
    layer.checkViewPos(true);
}

namespace {

// One side of the pasted layer.
int64_t pasteSide(int64_t image, int64_t paper, const SOlyHeader *hdr, int64_t hdrImage,
                  int64_t hdrView)
{
    int64_t side = std::max(image, paper);
    if (!hdr)
        return side;
    const int64_t view = std::max<int64_t>(hdrView, 0);
    if (hdr->flags & kOlyClipboardSize)
        return std::max(side, std::max(hdrImage, view + paper));
    return view + side;
}

} // namespace

bool pasteLayerSize(const sSize &image, const sSize &paper, const SOlyHeader *hdr, sSize &size)
{
    const int64_t w = pasteSide(image.x, paper.x, hdr, hdr ? hdr->imgSize.x : 0,
                                hdr ? hdr->viewPos.x : 0);
    const int64_t h = pasteSide(image.y, paper.y, hdr, hdr ? hdr->imgSize.y : 0,
                                hdr ? hdr->viewPos.y : 0);
    if (w <= 0 || h <= 0 || w > INT32_MAX || h > INT32_MAX)
        return false;
    size = {int32_t(w), int32_t(h)};
    return true;
}
