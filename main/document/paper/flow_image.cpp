#include "document/paper/flow_image.h"

#include "core/tiles/block_layer_image.h"
#include "document/paper/layer_data.h"
#include "document/paper/paper.h"
#include "paint/stroke/stroke.h"

#include <algorithm>
#include <new>

TFlowImage::TFlowImage(TPaper *paper)
    : m_paper(paper), m_image(std::make_unique<TMTC>()), m_alpha(std::make_unique<TChannel>())
{
}

TFlowImage::~TFlowImage() = default;

bool TFlowImage::makeBuffers(const sSize &sz, std::unique_ptr<TMTC> &img,
                             std::unique_ptr<TChannel> &ch)
{
    try {
        img = std::make_unique<TMTC>();
        ch = std::make_unique<TChannel>();
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (!img->Resize(sz.x, sz.y) || !img->isEnable() || !ch->Resize(sz.x, sz.y) || !ch->isEnable())
        return false;
    img->PixelFill(0x00FFFFFF);
    ch->PixelFill(0);
    return true;
}

sSize TFlowImage::paperSize() const
{
    return m_paper ? m_paper->m_paperSize : sSize{};
}

bool TFlowImage::SetFlow(int32_t idx, CBlockVMTC &blk, bool force)
{
    const sSize cur = m_image->FPSZ();
    const sSize target{std::max(cur.x, blk.width()), std::max(cur.y, blk.height())};
    const sBox whole{0, 0, blk.width(), blk.height()};
    bool loaded = false;
    if (!m_image->isEnable() || cur.x < target.x || cur.y < target.y) {
        // The new image and channel are made whole before either replaces the old ones, so a
        // failure leaves both as they were, with the same size.
        std::unique_ptr<TMTC> img;
        std::unique_ptr<TChannel> ch;
        if (!makeBuffers(target, img, ch))
            return false;
        blk.bltTo(*img, {0, 0}, whole, 255, false);
        m_image = std::move(img);
        m_alpha = std::move(ch);
        m_layerIdx = idx;
        loaded = true;
    } else if (force || idx != m_layerIdx || m_imageType != eFlowImageType::fitActiveLayer) {
        blk.shrinkMemory();
        blk.bltTo(*m_image, {0, 0}, whole, 255, false);
        m_alpha->PixelFill(0);
        m_layerIdx = idx;
        loaded = true;
    }
    if (loaded)
        m_imageType = eFlowImageType::fitActiveLayer;
    if (m_paper) {
        if (const CLayerData *ld = m_paper->getLayerData(idx))
            viewPos = ld->viewPos;
        viewSize = m_paper->m_paperSize;
        if (TStroke *stroke = m_paper->getActiveStroke())
            stroke->SetDrawLayer(idx);
    }
    return loaded;
}

bool TFlowImage::changeSize(bool shrink)
{
    if (!m_paper)
        return false;
    // A document without layers (one being made anew) is fitted to its paper: the image of
    // whatever the document held before must not live on at that size.
    sSize target = m_paper->m_paperSize;
    if (!m_paper->getMaxSize(target) && (target.x < 1 || target.y < 1))
        return false;
    const sSize cur = m_image->FPSZ();
    if (!shrink)
        target = {std::max(target.x, cur.x), std::max(target.y, cur.y)};
    if (m_image->isEnable() && target == cur)
        return false;
    std::unique_ptr<TMTC> img;
    std::unique_ptr<TChannel> ch;
    if (!makeBuffers(target, img, ch))
        return false;
    m_image = std::move(img);
    m_alpha = std::move(ch);
    m_imageType = eFlowImageType::fitEmpty;
    viewPos = {0, 0};
    viewSize = paperSize();
    return true;
}

void TFlowImage::clearAlpha()
{
    if (m_alpha->isEnable())
        m_alpha->PixelFill(0);
}
