// The one route upward from the document: what a document asks of its window, of the main and
// tool windows, and of the event player while it replays. The libraries above install the real
// answers; tests, tools and benchmarks use CHeadlessPaperOwner (document/paper/headless_owner.h)
// and fake hooks.
#pragma once

#include "core/base/geometry.h"
#include "paint/brush/paint_modes.h"
#include "paint/brush/pen_records.h"
#include "paint/brush/stroke_param.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class CColorSlotGroup;
class TMTC;
class CGradMngr;
class CToneMngr;
class TPaper;
class CPenRender;
class CPenRender5;
class CPenShapeObj;
class TFlowImage;
class TStroke;

// The window that owns a document (one per document).
class IPaperOwner
{
  public:
    virtual ~IPaperOwner() = default;
    // The document changed (or was saved); the window keeps the flag and shows it.
    virtual void setModified(bool sw) = 0;
    // The window replays recorded events now.
    virtual bool isEventPlaying() const = 0;
    // The window's flow image; nullptr before the window made it.
    virtual TFlowImage *flow() = 0;
    // The window's view must be repainted (with erase: its background first).
    virtual void invalidate(bool erase) = 0;

    // ---- the view the document draws into
    // The client area's size in pixels.
    virtual sSize clientSize() const = 0;
    // The window's smooth-zoom setting.
    virtual bool isSmoothZoom() const = 0;
    // The window's client-sized 32-bit top-down screen surface (its "device context"); its paint
    // event only shows it. nullptr while the window has none.
    virtual TMTC *viewSurface() = 0;
    // The document drew the rectangle of the surface (client coordinates).
    virtual void surfacePainted(const sRect &r) = 0;
    // Paints the window at once (during event playback).
    virtual void updateNow() = 0;
    // Removes the brush outline from the surface before the document draws over it.
    virtual void eraseBrushGhost() = 0;
    // Draws the grid over the paper box of the view, or over the whole view for nullptr.
    virtual void showGrid(const sBox *box) = 0;
    // The colour of the view outside the paper (also the window background).
    virtual uint32_t viewBackColor() const = 0;

    // ---- strokes
    // A stroke runs from its begin to its end call; the count of points added since the begin.
    virtual bool nowStroking() const = 0;
    virtual void setNowStroking(bool sw) = 0;
    virtual int32_t cntStroking() const = 0;
    virtual void setCntStroking(int32_t n) = 0;
    // The version of the event file the window replays (read while it replays).
    virtual int32_t playEventFileVersion() const = 0;
    // Sets the alpha of every pixel of the window's flow image to 255.
    virtual void clearFlowAlphaOfImage() = 0;

    // ---- the window and the tool window after a document change
    // The refresh after an edit: the view (re-laid out to the document's size with formsize),
    // the stroke pipeline prepared (prev), the navigator image and the panels rebuilt (mk).
    virtual void refreshAfterEvent(bool formsize, bool prev, bool mk) = 0;
    // Lays the scroll bars out again for the document's size.
    virtual void resetScrollBars() = 0;
    // Shows the document's caption (clr: the modified mark cleared first).
    virtual void updateCaption(bool clr) = 0;
    // The tool window's layer panel, mask panel and navigator image follow the document.
    virtual void updateLayerView() = 0;
    virtual void updateMaskView() = 0;
    virtual void updateNavigatorImage() = 0;
    // The tool window shows the document's new pixel size (canvas size, crop, resolution).
    virtual void setDisplaySize(const sSize &) {}
    // The window holds changes not yet saved (the low-memory question then advises saving).
    virtual bool isModified() const { return false; }
    // Copies the part of layer idx selected by mask midx (negative: the current one) to the
    // clipboard; false when the clipboard cannot take it.
    virtual bool copyLayerToClipboardWithMask(int32_t, int32_t) { return false; }
    // Whether an editing command may start now (netOK: also in network mode; playOK: also while
    // events replay; needPause: a running replay is paused first). A window that refuses says
    // nothing; the command just does not start.
    virtual bool canAcceptEditCmd(bool, bool, bool) { return true; }

    // ---- the free transform
    // Repaints a document box of the view from the display image (the zoom caches follow).
    virtual void UpdateAllPartWithVramCache(const sBox &) {}
    // The tool window's transform fields: the datum ranges fitted to the paper size, the datum
    // (document pixels), the scale (percent), the angle (degrees), and the option panel re-laid.
    virtual void setTransPopup(const sSize &) {}
    virtual void setTransDat(float, float) {}
    virtual void setTransScale(float, float) {}
    virtual void setTransAngle(float) {}
    virtual void UpdateOptionView(bool) {}
};

// The progress window of a long file operation (loading and saving documents and event files).
class IPaperProgress
{
  public:
    virtual ~IPaperProgress() = default;
    virtual void setCaption(const QString &caption) = 0;
    virtual void setMessage(const QString &msg) = 0;
    // Starts over with steps steps, at 0.
    virtual void reset(int steps) = 0;
    virtual void step(int count) = 0;
};

// The progress window's line while a file's part what is saved or loaded; nothing without a
// window.
void setFileProgressMessage(IPaperProgress *progress, const QString &what, bool saving);
// One step on, when there is a window.
inline void stepProgress(IPaperProgress *progress)
{
    if (progress)
        progress->step(1);
}

// The process-wide objects of the main window and the tool window that documents paint with.
// An empty member answers nullptr.
struct SPaperAppHooks
{
    std::function<TStroke *()> mainStroke;
    std::function<CPenRender *()> mainPenRender;
    std::function<CPenRender5 *()> mainPenRender5;
    // The nib selected in the tool window.
    std::function<CPenShapeObj *()> selectedPenShape;
    // The colour-slot group selected in the tool window.
    std::function<const CColorSlotGroup *()> selectedColorSlotGroup;
    // Repaints the row of layer idx of paper in the tool window's layer list.
    std::function<void(TPaper &paper, int32_t idx)> refreshLayerRow;
    // The screentone set a document records and paints with (a replaying document: the replay's).
    std::function<CToneMngr *(const TPaper *)> mainToneMngrFor;
    // The tool window's gradient set; its current gradient is what the recorder writes.
    std::function<CGradMngr *()> mainGradMngr;
    // The paint level the main window paints with (ePaintLevel); empty: PAINT_LEVEL_qZ5.
    std::function<ePaintLevel()> mainPaintLevel;
    // Shows the replayed brush in the tool window.
    std::function<void(const struct SPlayPenMtd &)> setPlayPenMtd;
    // Opens a progress window of steps steps with a caption and a message; empty (or answering
    // nullptr): the work shows no window.
    std::function<std::unique_ptr<IPaperProgress>(int steps, const QString &caption,
                                                  const QString &msg)>
        openProgress;
};

// The replayed brush handed to the tool window.
struct SPlayPenMtd
{
    SGradeMapParam gradeMap;
    const CPenShapeObj *shape = nullptr;
    SPenRenderAttr renderAttr;
    SStrokeParam strokeParam;
    bool useGrad = false;
    bool useTone = false;
};

// Installs the hooks and returns the previous ones.
SPaperAppHooks installPaperAppHooks(SPaperAppHooks hooks);

// The answers of the installed hooks (nullptr for an empty member).
TStroke *appMainStroke();
CPenRender *appMainPenRender();
CPenRender5 *appMainPenRender5();
CPenShapeObj *appSelectedPenShape();
const CColorSlotGroup *appSelectedColorSlotGroup();
// Calls the installed refreshLayerRow (nothing without one).
void appRefreshLayerRow(TPaper &paper, int32_t idx);
CToneMngr *appMainToneMngrFor(const TPaper *paper);
CGradMngr *appMainGradMngr();
// The installed progress window; nullptr without one.
std::unique_ptr<IPaperProgress> appOpenProgress(int steps, const QString &caption,
                                                const QString &msg);
ePaintLevel appMainPaintLevel();
// Nothing when no hook is installed.
void appSetPlayPenMtd(const SPlayPenMtd &v);

// What the event player lends the document while its window replays events: the nib, renderers,
// stroke and colour group of the recording.
class IPaperPlayback
{
  public:
    virtual ~IPaperPlayback() = default;
    virtual CPenShapeObj *playedPenShape() const = 0;
    virtual CPenRender *playedPenRender() const = 0;
    virtual CPenRender5 *playedPenRender5() const = 0;
    virtual TStroke *playedStroke() const = 0;
    virtual const CColorSlotGroup *playedColorSlotGroup() const = 0;
};
