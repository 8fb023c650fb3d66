#include "filters/core/scale_image_filter.h"

#include "core/image/canvas.h"
#include "core/pixel/blend_modes.h"
#include "core/tiles/block_layer_image.h"
#include "filters/core/pixel_mechanics.h"

#include <algorithm>

CScaleImageFilter::CScaleImageFilter(const sFlt4Params &param, eEdgeType edgeType, bool useOutMask)
    : Param(param), m_valid(checkFlt4Params(param))
{
    const sSize layer = Param.layerTC ? Param.layerTC->FPSZ() : sSize{};
    srcSize = dstSize = {layer.x + 1, layer.y + 1};
    srcBox = dstBox = {};
    rate = {65536, 65536};
    setUseOutMask(useOutMask);
    setEdgeType(edgeType);
    fnPut = filterPut(Param);
    const uint32_t bg = getLayerModeBgColor(Param.layerMode)
                            .value_or(getLayerModeBgColor(TLayerMode::LM_STD).value_or(0));
    FUndefCol.all = (bg & 0x00FFFFFFu) | (Param.layerPrt ? 0xFF000000u : 0u);
}

sBGRA CScaleImageFilter::lookup(int32_t x, int32_t y) const
{
    sBGRA c = FUndefCol;
    if (m_valid && ptInSize(x, y, Param.layerTC->width(), Param.layerTC->height())) {
        const int32_t m = Param.maskWeight(x, y);
        fnPut(&c, Param.flowTC->getColor(x, y), uint32_t(std::clamp(m, 0, 255)));
    }
    return c;
}

const uint8_t *CScaleImageFilter::seekSrc(int32_t x, int32_t y)
{
    const int64_t left = int64_t(srcSize.x) - x;
    const int32_t n = int32_t(std::max<int64_t>(1, std::min<int64_t>(m_runMax, left)));
    m_run.resize(size_t(n));
    for (int32_t i = 0; i < n; ++i)
        m_run[size_t(i)] = lookup(x + i, y);
    SrcCol = m_run.back();
    return reinterpret_cast<const uint8_t *>(m_run.data());
}

uint8_t *CScaleImageFilter::seekDst(int32_t x, int32_t y)
{
    sBGRA *p = Param.layerTC ? Param.layerTC->seekPixelNC(x, y) : nullptr;
    return reinterpret_cast<uint8_t *>(p ? p : &m_spare);
}

void CScaleImageFilter::average(sBGRA &col, const sRect &rect, bool alphaWeighted)
{
    // An empty rectangle, or one that misses the layer, reads only the neutral colour (the walk
    // would cut a footprint past the source's far edge down to a sliver of it).
    const int64_t w = m_valid ? Param.layerTC->width() : 0;
    const int64_t h = m_valid ? Param.layerTC->height() : 0;
    if (rect.x1 <= rect.x0 || rect.y1 <= rect.y0 || rect.x1 <= 0 || rect.y1 <= 0 ||
        rect.x0 >= (w << 16) || rect.y0 >= (h << 16)) {
        col = FUndefCol;
        return;
    }
    // A footprint row reads its whole pixels plus a partial one at each end.
    m_runMax = int32_t(std::min<int64_t>(((int64_t(rect.x1) - rect.x0) >> 16) + 3,
                                         int64_t(srcSize.x) + 3));
    auto *dst = reinterpret_cast<uint8_t *>(&col);
    if (alphaWeighted)
        calcSrcRectNC2(dst, rect);
    else
        calcSrcRectNC(dst, rect);
}

void CScaleImageFilter::GetColorAA(sBGRA &col, const sRect &rect)
{
    average(col, rect, false);
}

void CScaleImageFilter::GetColorAA(sBGRA &col, const sFXPos &pos)
{
    average(col, {pos.x - 0x8000, pos.y - 0x8000, pos.x + 0x8001, pos.y + 0x8001}, false);
}

void CScaleImageFilter::GetColorAA2(sBGRA &col, const sRect &rect)
{
    average(col, rect, true);
}

void CScaleImageFilter::GetColorAA2(sBGRA &col, const sFXPos &pos)
{
    average(col, {pos.x - 0x8000, pos.y - 0x8000, pos.x + 0x8001, pos.y + 0x8001}, true);
}
