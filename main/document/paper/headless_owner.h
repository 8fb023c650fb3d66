// A document owner without a window: it owns the flow image a window would own and records what a
// window would be asked, so that tests, tools and benchmarks run documents with no display.
#pragma once

#include "core/image/canvas.h"
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
    sSize clientSize() const override { return client; }
    bool isSmoothZoom() const override { return smoothZoom; }
    // The surface, sized to the client area on demand (nullptr for an empty client area).
    TMTC *viewSurface() override;
    void surfacePainted(const sRect &r) override { paintedRects.push_back(r); }
    void updateNow() override { ++updateNowCount; }
    void eraseBrushGhost() override { ++eraseGhostCount; }
    void showGrid(const sBox *box) override;
    uint32_t viewBackColor() const override { return kViewBackColor; }
    bool nowStroking() const override { return stroking; }
    void setNowStroking(bool sw) override { stroking = sw; }
    int32_t cntStroking() const override { return strokeCount; }
    void setCntStroking(int32_t n) override { strokeCount = n; }
    int32_t playEventFileVersion() const override { return eventFileVersion; }
    // Sets the alpha of the flow image's pixels to 255 (as the window does).
    void clearFlowAlphaOfImage() override;
    void refreshAfterEvent(bool formsize, bool prev, bool mk) override
    {
        refreshCalls.push_back({formsize, prev, mk});
    }
    void resetScrollBars() override { ++scrollResetCount; }
    void updateCaption(bool) override { ++captionCount; }
    void updateLayerView() override { ++layerViewCount; }
    void updateMaskView() override { ++maskViewCount; }
    // No clipboard here: the answer is clipboardWorks.
    bool copyLayerToClipboardWithMask(int32_t, int32_t) override { return clipboardWorks; }
    void updateNavigatorImage() override { ++navigatorCount; }
    bool canAcceptEditCmd(bool, bool, bool) override { return acceptsEditCmd; }
    void UpdateAllPartWithVramCache(const sBox &box) override { vramCacheBoxes.push_back(box); }
    void setTransPopup(const sSize &) override { ++transPopupCount; }
    void setTransDat(float x, float y) override { transDat = {x, y}; }
    void setTransScale(float w, float h) override { transScale = {w, h}; }
    void setTransAngle(float a) override { transAngle = a; }
    void UpdateOptionView(bool) override { ++optionViewCount; }

    // The background of the view outside the paper, as the window's brush gives it.
    static constexpr uint32_t kViewBackColor = 0x00CCCCCC;

    // What a window would have been asked.
    bool modified = false;
    std::vector<bool> modifiedCalls;
    int32_t invalidateCount = 0;
    int32_t eraseCount = 0;
    // Set by a test to make the document believe that events replay.
    bool eventPlaying = false;
    bool clipboardWorks = true;
    // Set by a test to make the window refuse edit commands (as while a drag runs).
    bool acceptsEditCmd = true;
    // The client area and the smooth-zoom setting a window would have.
    sSize client{640, 480};
    bool smoothZoom = false;
    std::vector<sRect> paintedRects;
    int32_t updateNowCount = 0;
    int32_t eraseGhostCount = 0;
    // The grid requests: the box, or (0, 0, -1, -1) for the whole view.
    std::vector<sBox> gridCalls;
    TMTC surface;
    // The stroke state a window keeps, and the version of the file it would replay.
    bool stroking = false;
    int32_t strokeCount = 0;
    int32_t eventFileVersion = 0;
    int32_t clearFlowAlphaCount = 0;
    // The refreshes after document changes: (formsize, prev, mk) per call, and the counts of the
    // scroll-bar, caption, panel and navigator requests.
    struct SRefreshCall
    {
        bool formsize, prev, mk;
    };
    std::vector<SRefreshCall> refreshCalls;
    int32_t scrollResetCount = 0;
    int32_t captionCount = 0;
    int32_t layerViewCount = 0;
    int32_t maskViewCount = 0;
    int32_t navigatorCount = 0;
    // The free transform's requests: repainted boxes and the tool window's transform fields.
    std::vector<sBox> vramCacheBoxes;
    int32_t transPopupCount = 0;
    sFPos transDat;
    sFPos transScale;
    float transAngle = 0;
    int32_t optionViewCount = 0;

  private:
    std::unique_ptr<TFlowImage> m_flow;
};
