// One open document: its layers and selection masks, its event recorder, the stroke engines it
// paints with, and what is needed to show it in its window (display image, rotated view, zoom
// caches, previews). Exactly one exists per document window, which creates it, owns it and is its
// owner (IPaperOwner).
//
// TPaper is the document's state and the members of the object itself: what it owns, its
// lifecycle, the accessors every other part uses, the modified and ready notifications, the
// caption, the canvas colour switches and the grid. The operations on a document are free
// functions in their family's header (document/edit, document/view, ...), taking the document
// first.
#pragma once

#include "core/base/geometry.h"
#include "core/image/canvas.h"
#include "core/image/display_canvas.h"
#include "core/mask/mask_manager.h"
#include "core/mask/view_surface.h"
#include "core/pixel/blend_modes.h"
#include "paint/brush/paint_modes.h"
#include "paint/stroke/stroke_host.h"
#include "paint/stroke/stroke_placement4.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

class CColorSlotGroup;
class CEventMngr;
class CEventRecordGuard;
class CGradation;
class CLayerData;
class CLayerMngr;
class CPenRender;
class CPenRender5;
class CPenShapeObj;
class CScaleImageTMTC;
class CStrokeMngr;
class CStrokeMngr5;
class IPaperOwner;
class IPaperPlayback;
class TFlowImage;
class TPaper;
class TSelectMng;
class TSelectTransform;
class TStroke;
class CUndoMngrEx;

enum class TPaperMode : uint8_t
{
    PM_NORMAL,
    PM_NETWORK,
    PM_SHUTDOWN,
};

// The draw procedure of the active paint level, named by its level: Draw (level 1), Draw2, Draw4
// and Draw5. The procedures themselves belong to the stroke family.
enum class eDrawProc : uint8_t
{
    Draw1 = 1,
    Draw2 = 2,
    Draw4 = 4,
    Draw5 = 5,
};

// Which of the two stroke managers is the active one.
enum class eActiveStrokeMngr : uint8_t
{
    none,
    mngr4,
    mngr5,
};

// Fired when the document's readiness changes.
using TPaperChangeReadyState = std::function<void(TPaper &sender, bool ready)>;

// The parts of a document whose creation can fail: failing any of them fails the document.
enum class ePaperPart : uint8_t
{
    maskMngr,
    eventMngr,
    undoMngrEx,
};
// Tests make a part fail to be made: while fault(part) answers true, making that part fails as if
// memory had run out. An empty function restores normal creation; the previous one is returned.
using PaperPartFault = std::function<bool(ePaperPart part)>;
PaperPartFault setPaperPartFault(PaperPartFault fault);

class TPaper : public IMaskOwner, public IViewTransform, public IStrokePaper, public IStrokePaper4
{
  public:
    static constexpr int32_t kZoomCacheCount = 8;

    // A new document without layers, size or readiness, owned by dw. nullptr, after a debugger
    // line naming the part, when the mask list, the undo manager or the event recorder cannot be
    // made: no document with a missing manager is ever handed out.
    static std::unique_ptr<TPaper> Create(IPaperOwner *dw);
    // Clears readiness (firing the ready handler while every layer still exists), then frees
    // everything it owns.
    ~TPaper() override;
    TPaper(const TPaper &) = delete;
    TPaper &operator=(const TPaper &) = delete;

    void setOwner(IPaperOwner *dw) { m_ownerDW = dw; }
    IPaperOwner *owner() const { return m_ownerDW; }

    // ---- owned parts
    CLayerMngr &layerMngr() const { return *m_layerMngr; }
    CMaskMngr &maskMngr() const { return *m_maskMngr; }
    // Puts another layer or mask list in place and hands back the previous one (the canvas
    // commands build new lists beside the old and keep the old for undo). A nullptr changes
    // nothing and is answered back.
    std::unique_ptr<CLayerMngr> swapLayerMngr(std::unique_ptr<CLayerMngr> mngr);
    std::unique_ptr<CMaskMngr> swapMaskMngr(std::unique_ptr<CMaskMngr> mngr);
    CEventMngr &eventMngr() const { return *m_eventMngr; }
    CGradation *grad() const { return m_grad.get(); }
    // Binds a copy of group to the gradient: the sets and the player that own the groups may free
    // or replace them while the document goes on drawing with the last one bound.
    void holdGradGroup(const CColorSlotGroup &group);
    TTC &vram() const { return *m_vram; }
    TTC &rotation() const { return *m_rotation; }
    TTC &mixTC() const { return *m_mixTC; }
    TMTC &preview() const { return *m_preview; }
    TMTC &clipTempTC() const { return *m_clipTempTC; }
    CScaleImageTMTC &rotScaler() const { return *m_rotScaler; }
    TMTC &zoomCache(int32_t i) const { return *m_zoomCaches[size_t(i)]; }
    CStrokeMngr *strokeMngr4() const { return m_strokeMngr4.get(); }
    CStrokeMngr5 *strokeMngr5() const { return m_strokeMngr5.get(); }
    void setStrokeMngr4(std::unique_ptr<CStrokeMngr> mngr);
    void setStrokeMngr5(std::unique_ptr<CStrokeMngr5> mngr);

    // ---- the document-wide undo (nullptr while the document paints at level 1, whose layers
    // keep their own history)
    CUndoMngrEx *undoMngrEx() const { return m_undoMngrEx.get(); }
    // Makes the manager with both limits at the preference undoMax and an extension of 32, then
    // frees every layer's own history. False, after the debugger line "failed to create
    // undoMngrEx!", when it cannot be made.
    bool createUndoMngrEx();
    // Frees the manager and every record it holds.
    void freeUndoMngrEx();

    // ---- accessors (none records anything)
    // The active layer's index; -1 without layers.
    int32_t ActiveLayer() const override;
    int32_t MaxLayer() const override;
    int32_t getLayerCount() const;
    // nullptr for an index outside 0..MaxLayer.
    CLayerData *getLayerData(int32_t idx) const;
    CLayerData *getActiveLayerData() const;
    int32_t getActiveMaskIndex() const;
    CMaskData *getActiveMaskData() const;
    // The largest image width and the largest image height over all layers; false, size
    // untouched, without layers.
    bool getMaxSize(sSize &size) const;
    // The owner window's flow image.
    TFlowImage *getActiveFlow() const;
    // Loads layer index into flow (TFlowImage::SetFlow with the layer's image); false for a bad
    // index.
    bool setFlow(TFlowImage &flow, int32_t index, bool force);
    // The owner window replays events.
    bool isEventPlaying() const override;
    // While the owner replays events: what the player lent (setPlayback); otherwise the main
    // window's stroke and renderers and the tool window's nib and colour group.
    CPenShapeObj *GetActivePenShapeObj() const override;
    CPenRender *getActivePenRender() const;
    CPenRender5 *getActivePenRender5() const;
    TStroke *getActiveStroke() const;
    const CColorSlotGroup *getActiveColorSlotGroup() const;
    // The event player lends its objects while the window replays; nullptr takes them back.
    void setPlayback(IPaperPlayback *playback) { m_playback = playback; }
    IPaperPlayback *playback() const { return m_playback; }

    // ---- modified state and readiness
    // Forwards to the owner window; the document keeps no modified flag.
    void setModified(bool sw);
    // Calls the ready handler, when one is installed.
    void changeReadyState(bool ready);
    void setOnChangeReadyState(TPaperChangeReadyState handler)
    {
        FOnChangeReadyState = std::move(handler);
    }

    // The window caption: the file name (the full path with the preference titleFullpath), in
    // network mode followed by "( ネットワーク  )".
    QString GetCaption() const;

    // ---- canvas colour display (only while the canvas colour is white)
    // Stores sw and bg when either differs; answers whether something changed. With updt the
    // whole view is recomposed and repainted for the active layer.
    bool switchVisCanvasColor(bool sw, bool bg, bool updt);
    bool switchVisCanvasColor(bool sw) { return switchVisCanvasColor(sw, bVisBGPat, true); }
    bool switchVisBGPattern(bool bg) { return switchVisCanvasColor(bVisCanvasCol, bg, true); }

    // ---- grid
    // Stores vis; a width or height below 3 becomes 2; invalidates the owner's view. mk has no
    // effect.
    void SetGrid(bool vis, int32_t w, int32_t h, bool mk);
    // SetGrid with the current visibility and the preference gridSize.
    void dispatchGridSize(bool mk);
    // The overlay hook of the recomposition paths; the window draws the grid on the screen, so
    // it draws nothing.
    void drawOptionalImage(const sBox &box);
    // The hook over the whole paper, then the view is invalidated.
    void drawOptionalImage();
    bool isVramDirty() const { return m_visGrid; }

    // ---- old mask mode (paint-level-1 documents)
    // For the modes multiply, add and subtract the layer's alpha becomes 255.
    void setOldMaskMode(int32_t idx, TLayerMode lm);
    // With the level-1 draw procedure: setOldMaskMode and true; otherwise false.
    bool chkOldMaskMode(int32_t idx, TLayerMode lm);

    // The installed draw procedure is one of the newer engines' (level 2 and above).
    bool isDrawProcNew() const { return m_fnDraw != eDrawProc::Draw1; }

    // ---- IMaskOwner
    sSize maskPaperSize() const override { return m_paperSize; }
    const IViewTransform *maskView() const override { return this; }

    // ---- IViewTransform (the view geometry, document/view/view_geometry.cpp)
    // Numerator / Denominator of the zoom.
    float GetZoomScale() const override;
    float viewSin() const override { return m_sin; }
    float viewCos() const override { return m_cos; }
    bool viewReversed() const override { return bVisReverse; }
    // A paper position in client pixels, each coordinate truncated after adding 0.01.
    sPos convToViewPos(const sPos &paperPos) const override;

    // ---- IStrokePaper and IStrokePaper4 (document/stroke/paper_stroke.cpp)
    // The active paint level is PAINT_LEVEL_qZ5.
    bool isPaintLevel5() const override;
    // The blend mode of the stroke's layer (getStrokeLM of the active stroke).
    TLayerMode strokeLayerMode() const override;
    // a scaled by the active selection mask at layer pixel (x, y) of the active layer.
    uint32_t selectionAlpha(int32_t x, int32_t y, uint32_t a) const override;
    sPos layerViewPos(int32_t idx) const override;
    const CBlockVMTC *layerImage(int32_t idx) const override;
    int32_t playEventFileVersion() const override;

    // ---- state
    QString m_filename;
    eDrawProc m_fnDraw = eDrawProc::Draw2;
    ePaintLevel maxPaintLevel = ePaintLevel::PAINT_LEVEL_qZ2;
    ePaintLevel actPaintLevel = ePaintLevel::PAINT_LEVEL_qZ2;
    bool bVisCanvasCol = true;
    bool bVisBGPat = false;
    uint32_t m_canvascolor = 0xFFFFFF;
    TPaperMode m_paperMode = TPaperMode::PM_NORMAL;
    int32_t m_paperDPI = 0;
    sSize m_paperSize;
    bool bVisMask = false;
    bool bEnbMask = false;
    bool m_noEventAddMode = false;
    bool m_ready = false;
    bool m_visGrid = false;
    sSize m_gridSize{25, 25};
    int32_t m_netID = 0;
    int32_t m_netConnect = 0;
    int32_t m_dx = 0, m_dy = 0;
    int32_t m_vx = 0, m_vy = 0;
    TFraction FDisplayFraction{1, 1};
    float m_vr = 0;
    float m_vrX = 0, m_vrY = 0;
    float m_degree = 0;
    float m_sin = 0, m_cos = 1;
    bool bVisReverse = false;
    eActiveStrokeMngr strokeMngr = eActiveStrokeMngr::none;
    bool m_bDirW = false;
    int32_t m_bDirWold = -1;
    sFPos m_lastPos;
    // The stroke in progress began well (adds and the end draw only then), and the withdraw guard
    // that holds its packets until its end has copied the pixels into the layer.
    bool m_strokeLive = false;
    std::unique_ptr<CEventRecordGuard> m_strokeRecord;
    // The selection store of a document started by the level-1 creation; nullptr otherwise.
    std::unique_ptr<TSelectMng> m_select;
    // The free transform running in the document; nullptr when none runs.
    std::unique_ptr<TSelectTransform> FFreeTransformer;

  private:
    explicit TPaper(IPaperOwner *dw);
    // The creation steps; false when a manager cannot be made.
    bool construct();

    IPaperOwner *m_ownerDW;
    IPaperPlayback *m_playback = nullptr;
    TPaperChangeReadyState FOnChangeReadyState;
    std::unique_ptr<CGradation> m_grad;
    std::unique_ptr<CColorSlotGroup> m_gradGroup; // the copy the gradient draws from
    std::unique_ptr<TTC> m_vram;
    std::unique_ptr<TTC> m_rotation;
    std::unique_ptr<TTC> m_mixTC;
    std::unique_ptr<CScaleImageTMTC> m_rotScaler;
    std::unique_ptr<TMTC> m_preview;
    std::unique_ptr<TMTC> m_clipTempTC;
    std::array<std::unique_ptr<TMTC>, kZoomCacheCount> m_zoomCaches;
    std::unique_ptr<CLayerMngr> m_layerMngr;
    std::unique_ptr<CMaskMngr> m_maskMngr;
    std::unique_ptr<CUndoMngrEx> m_undoMngrEx;
    std::unique_ptr<CEventMngr> m_eventMngr;
    std::unique_ptr<CStrokeMngr> m_strokeMngr4;
    std::unique_ptr<CStrokeMngr5> m_strokeMngr5;
};
