// A document owner without a window: it owns the flow image a window would own and records what a
// window would be asked, so that tests, tools and benchmarks run documents with no display.
#pragma once

#include "document/paper/paper_host.h"

#include <cstdint>
#include <memory>
#include <vector>

class TPaper;

class CHeadlessPaperOwner : public IPaperOwner
{
  public:
    CHeadlessPaperOwner();
    ~CHeadlessPaperOwner() override;

    // Makes the flow image for paper (as a window does right after making its document).
    void attach(TPaper &paper);
    // Frees the flow image (before the document goes).
    void detach();

    // ---- IPaperOwner
    void setModified(bool sw) override;
    bool isEventPlaying() const override { return eventPlaying; }
    TFlowImage *flow() override { return m_flow.get(); }
    void invalidate(bool erase) override;

    // What a window would have been asked.
    bool modified = false;
    std::vector<bool> modifiedCalls;
    int32_t invalidateCount = 0;
    int32_t eraseCount = 0;
    // Set by a test to make the document believe that events replay.
    bool eventPlaying = false;

  private:
    std::unique_ptr<TFlowImage> m_flow;
};
