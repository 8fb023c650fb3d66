#include "document/paper/headless_owner.h"

#include "document/paper/flow_image.h"

CHeadlessPaperOwner::CHeadlessPaperOwner() = default;

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
