// The filters' host over a real document: the layer, the selection, the flow image, the undo
// manager and the event recorder of a TPaper, and (when there is one) the window that shows it.
// The window part is IFilterView, which the document window installs; a headless document has
// none, and then the window steps are skipped and the commands refuse.
#pragma once

#include "filters/core/filter_host.h"

#include <cstdint>

class QWidget;
class TFlowImage;
class TPaper;

// What the filters ask of the document window.
class IFilterView
{
  public:
    virtual ~IFilterView() = default;
    // Whether an editing command may start now (netOK: also in network mode; playOK: also while
    // events replay; needPause: a running replay is paused first).
    virtual bool canAcceptEditCmd(bool netOK, bool playOK, bool needPause) = 0;
    // The part of the document the window shows (document coordinates).
    virtual bool viewRect(sRect &r) = 0;
    virtual void setModified(bool modified) = 0;
    // The tool window's navigator and layer views.
    virtual void updateToolViews() = 0;
    // The window's smooth-zoom setting.
    virtual bool isSmoothZoom() const = 0;
    // The window that owns the filter dialogs; nullptr: they have no owner.
    virtual QWidget *dialogOwner() const { return nullptr; }
};

class PaperFilterHost : public IFilterHost
{
  public:
    // paper, flow and view are borrowed; view may be nullptr.
    PaperFilterHost(TPaper &paper, TFlowImage &flow, IFilterView *view);

    TPaper &paper() const { return m_paper; }
    TFlowImage &flow() const { return m_flow; }
    IFilterView *view() const { return m_view; }

    // ---- IFilterHost
    std::optional<SFilterLayerView> layer(int32_t idx) override;
    CMaskData *activeMask() override;
    int32_t activeMaskIndex() override;
    TMTC *flowCanvas() override;
    TChannel *flowAlpha() override;
    bool pushUndo(std::unique_ptr<CBlockVMTC> &backup, int32_t idx, int32_t uid) override;
    void pushEventFilter0(int32_t idx, int32_t midx, uint8_t code) override;
    void pushEventFilter2(int32_t idx, int32_t midx, uint8_t code, const sFltObj2 &rec) override;
    void pushEventFilter4(int32_t idx, int32_t midx, uint8_t code, const sFltObj4 &rec) override;
    void pushEventFilter6(int32_t idx, int32_t midx, uint8_t code, const sFltObj6 &rec) override;
    void pushEventFilterComplex(int32_t idx, int32_t midx, uint8_t code,
                                const sFltObjComplex &rec) override;
    void pushEventFilterFloor(int32_t idx, int32_t midx, const SFltFloor &rec) override;
    void updatePreview(int32_t idx) override;
    void refreshFlow(int32_t idx) override;
    void dispatchViewFast(int32_t idx, const sRect *r, bool prv) override;
    bool viewRect(sRect &r) override;
    void setModified(bool modified) override;
    void updateToolViews() override;

  private:
    TPaper &m_paper;
    TFlowImage &m_flow;
    IFilterView *m_view;
};
