#include "core/scale/scale_canvas.h"

#include "core/image/canvas.h"
#include "core/image/channel.h"
#include "core/scale/scale_image.h"

#include <new>

namespace {

sBox targetBox(const TMTC &dst, const sSize &srcSize, bool keepAspect)
{
    sBox box = boxFromSize(dst.FPSZ());
    if (keepAspect)
        boxCenterOrFit(box, dst.FPSZ(), srcSize);
    return box;
}

} // namespace

bool scaleCanvasInto(TMTC &dst, const TMTC &src, bool keepAspect, uint32_t color)
{
    if (!dst.isEnable() || !src.isEnable())
        return false;
    const sBox box = targetBox(dst, src.FPSZ(), keepAspect);
    dst.fillAll(color);
    CScaleImageTMTC scaler(&src, &dst);
    return scaler.scale(boxFromSize(src.FPSZ()), box);
}

bool scaleChannelIntoCanvas(TMTC &dst, const TChannel &src, bool keepAspect, uint32_t color)
{
    if (!dst.isEnable() || !src.isEnable())
        return false;
    const sBox box = targetBox(dst, src.FPSZ(), keepAspect);
    dst.fillAll(color);
    CScaleImageCH2TMTC scaler(&src, &dst);
    return scaler.scale(boxFromSize(src.FPSZ()), box);
}

std::unique_ptr<TMTC> makeScaledCanvas(const sSize &size, const TMTC &src, bool shrink,
                                       uint32_t color, bool fitAlways)
{
    if (!src.isEnable() || size.x <= 0 || size.y <= 0)
        return nullptr;
    sBox box;
    const bool fitted = fitAlways ? boxFitAspect(box, size, src.FPSZ())
                                  : boxCenterOrFit(box, size, src.FPSZ());
    if (!fitted)
        return nullptr;
    sSize canvasSize = size;
    if (shrink) {
        canvasSize = box.size();
        box.x = box.y = 0;
    }
    try {
        auto canvas = std::make_unique<TMTC>();
        if (!canvas->Resize(canvasSize))
            return nullptr;
        canvas->fillAll(color);
        CScaleImageTMTC scaler(&src, canvas.get());
        if (!scaler.scale(boxFromSize(src.FPSZ()), box))
            return nullptr;
        return canvas;
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
