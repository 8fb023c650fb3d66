#include "paint/canvas/stroke_canvas_base.h"

#include "core/pixel/blend_modes.h"
#include "paint/stroke/stroke.h"
#include "paint/render/stroke_context.h"

CStrokeCanvasBase::CStrokeCanvasBase(int32_t w, int32_t h, uint32_t fill, sPos viewPos)
    : m_layer(w, h), m_flow(w, h), m_alpha(w, h), m_viewPos(viewPos)
{
    m_layer.fillAll(fill);
    m_flow.copyImage(m_layer);
    m_alpha.PixelFill(0);
}

bool CStrokeCanvasBase::layerBox(sBox &box) const
{
    box.x += m_viewPos.x;
    box.y += m_viewPos.y;
    return boxClipToSize(box, {m_layer.width(), m_layer.height()});
}

void CStrokeCanvasBase::preparePuts(const TStroke &stroke)
{
    gChannelPutAt = channelPutPlain;
    gCanvasPutAt = pixelPutPlain;
    gChannelValuePut = channelPutMax;
    gStrokeColorPut = stroke.m_bProtectMask ? pixelPutAlpha : pixelPutOver;
}
