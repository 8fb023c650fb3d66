#include "document/edit/scale_layer_image.h"

#include "core/tiles/block_layer_image.h"

#include <algorithm>

CScaleLayerImage::CScaleLayerImage(const CBlockVMTC *src, CBlockVMTC *dst)
    : srcImg(src), dstImg(dst)
{
    if (src)
        srcSize = src->FPSZ();
    if (dst)
        dstSize = dst->FPSZ();
}

const uint8_t *CScaleLayerImage::seekSrc(int32_t x, int32_t y)
{
    // A footprint row reads at most its whole pixels plus a partial one at each end.
    const int32_t run = std::max(std::min((rate.x >> 16) + 3, srcSize.x - x), 1);
    m_run.resize(size_t(run));
    for (int32_t i = 0; i < run; ++i)
        m_run[size_t(i)] = srcImg->PixelGet(x + i, y);
    return reinterpret_cast<const uint8_t *>(m_run.data());
}

uint8_t *CScaleLayerImage::seekDst(int32_t x, int32_t y)
{
    sBGRA *p = m_failed ? nullptr : dstImg->seekPixel(x, y);
    if (p)
        return reinterpret_cast<uint8_t *>(p);
    m_failed = true;
    return reinterpret_cast<uint8_t *>(&m_spare);
}
