#include "document/paper/headless_owner.h"

#include "document/paper/flow_image.h"

CHeadlessPaperOwner::CHeadlessPaperOwner()
{
    // The rotated views' outside colour follows the window background, as a window sets it.
    gViewBackColor = kViewBackColor;
}

CHeadlessPaperOwner::~CHeadlessPaperOwner() = default;

void CHeadlessPaperOwner::attach(TPaper &paper)
{
    m_flow = std::make_unique<TFlowImage>(&paper);
}

void CHeadlessPaperOwner::detach()
{
    m_flow.reset();
}

void CHeadlessPaperOwner::setModified(bool sw)
{
    modified = sw;
    modifiedCalls.push_back(sw);
}

void CHeadlessPaperOwner::invalidate(bool erase)
{
    ++invalidateCount;
    if (erase)
        ++eraseCount;
}

TMTC *CHeadlessPaperOwner::viewSurface()
{
    if (client.x <= 0 || client.y <= 0)
        return nullptr;
    if ((surface.width() != client.x || surface.height() != client.y) &&
        !surface.Resize(client.x, client.y))
        return nullptr;
    return &surface;
}

void CHeadlessPaperOwner::showGrid(const sBox *box)
{
    gridCalls.push_back(box ? *box : sBox{0, 0, -1, -1});
}

void CHeadlessPaperOwner::clearFlowAlphaOfImage()
{
    ++clearFlowAlphaCount;
    if (m_flow && m_flow->image().isEnable())
        m_flow->image().setAlphaAll(255);
}
