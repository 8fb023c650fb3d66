// What the document windows need of the main window and of the tool window. The application
// installs its main window at start-up; until then (render mode, tests, tools) mainForm() answers a
// headless main window that records what it is told and answers settable values. Every member of
// the tool window lives on IToolForm, reached through IMainForm::toolForm().
#pragma once

#include "core/base/geometry.h"
#include "core/profile/tool_kinds.h"
#include "ui/colour/colour_model.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CGradMngr;
class CPenMethodMngr;
class CPenShapeMngr;
class CToneMngr;
class TDrawWindow;
class TGrabberControl;
class TPaintParam;
class TPaper;
class TStroke;
class TSwatchMngr;
class TWinTab32;
enum class TPresetKind : uint8_t;
enum class ePaintLevel : uint8_t;

// The status bar's panels the document window writes.
enum class eStatusItem : uint8_t
{
    stiZoom,
    stiRot,
    stiReso,
    stiHint,
};

// Cursor numbers of the program's cursor table; -1 hides the cursor.
constexpr int32_t kCursorHidden = -1;
constexpr int32_t kCursorSelect = 5; // "CR_SELECT"

// The main window's client area in which document windows live, and the platform metrics the
// window sizing uses.
struct SWorkspace
{
    sSize client{1600, 1000};
    // The status bar's top in client pixels, or -1 while it is hidden.
    int32_t statusBarTop = -1;
    int32_t statusBarHeight = 0;
    int32_t cxFrame = 4, cyFrame = 4, cyCaption = 18, cxEdge = 2, cyEdge = 2;
    int32_t fullScreenWidth = 1920;
};

// The tool window's gradient controls whose hints the gradient popup copies to its controls of
// the same role, in the tool window's order.
enum TGradientHintRole : int
{
    ghrLblGradRep,
    ghrEdtGradRep,
    ghrBtnGradInf,
    ghrBtnGradLine,
    ghrBtnGradRad,
    ghrBtnGradCir,
    ghrBtnGradRet,
    ghrBtnGradRemind,
};

// What the information view shows with a position.
enum class TInfomationUpdateOption : uint8_t
{
    iuoNone,
    iuoStandard,
    iuoSelectStart,
    iuoSelectEnd,
    iuoOffsetUV,
    iuoOffsetAD,
};

class IToolForm
{
  public:
    virtual ~IToolForm() = default;
    // The document window the tool window shows (nullptr: none).
    virtual TDrawWindow *Window() const = 0;
    virtual void setWindow(TDrawWindow *w) = 0;
    virtual TToolSubKind FToolSubMode() const = 0;
    virtual TToolKind FToolMode() const = 0;
    virtual TToolDetail FToolDetail() const = 0;
    // The sub-kind a held modifier key selects for the moment, when one does.
    virtual std::optional<TToolSubKind> temporarySubKind() const = 0;
    // The brush engine of the current tool detail, when the detail has one.
    virtual std::optional<int32_t> brushEngine() const = 0;
    virtual int32_t ToolCursors(TToolSubKind kind) const = 0;
    virtual int32_t BrushCursors(int32_t engine) const = 0;
    // The navigator control (nullptr when there is none).
    virtual TGrabberControl *FGrbCtrl() const = 0;
    // Half the brush size in client pixels.
    virtual sSize FGhostSize() const = 0;
    virtual int32_t width() const = 0;
    virtual void SetDisplaySize(const sSize &size) = 0;
    virtual void SetClientSize(const sSize &size) = 0;
    virtual void SetDisplayCenter(int32_t x, int32_t y) = 0;
    virtual void SetDisplayScale(float scale) = 0;
    // Radians; reversed: the view is mirrored.
    virtual void SetDisplayRotation(float rad, bool reversed) = 0;
    virtual void UpdateLayerView() = 0;
    virtual void UpdateMaskView() = 0;
    virtual void UpdateNavigatorView() = 0;
    virtual void FPreviewMakeImage() = 0;
    virtual void clearInformationView() = 0;
    // The preset sets the tool window holds (nullptr when missing).
    virtual CPenMethodMngr *penMethodSet() const = 0;
    virtual CPenShapeMngr *penNibSet() const = 0;
    virtual TSwatchMngr *swatchSet() const = 0;
    virtual CGradMngr *gradientSet() const = 0;
    virtual CToneMngr *toneSet() const = 0;
    // The brush setting being painted with (the method list's alias).
    virtual TPaintParam *currentPaintParam() const = 0;
    virtual TColorPickerValue ForegroundColor() const = 0;
    virtual TColorPickerValue BackgroundColor() const = 0;
    // The hint of the gradient control of a role (TGradientHintRole).
    virtual QString gradientHint(int role) const = 0;
    // A set of this kind was loaded (appended or replacing): its list is refreshed.
    virtual void presetSetLoaded(TPresetKind kind, bool append) = 0;

    // ---- input
    // Sets the sub-kind: the bound window's table is re-installed (its forced end first with
    // forceEnd), the sub-kind stored, the controls updated and the new table installed. True
    // when the sub-kind changed.
    virtual bool ChangeToolSubMode(TToolSubKind kind, bool forceEnd) = 0;
    // The information view shows a window position (x, y client pixels).
    virtual void UpdateInfomationView(TDrawWindow *w, float x, float y,
                                      TInfomationUpdateOption option) = 0;
    // The loupe around a canvas point; fix: live mode (a stroke runs or Caps Lock is on).
    virtual void UpdateLoupeView(TPaper *paper, int32_t x, int32_t y, bool fix) = 0;
    virtual bool loupeVisible() const = 0;
    // ---- end of input
};

class IMainForm
{
  public:
    virtual ~IMainForm() = default;
    // The active document window (the MDI frame's active child); nullptr when none.
    virtual TDrawWindow *activeWindow() const = 0;
    // Every document window, in creation order.
    virtual std::vector<TDrawWindow *> documentWindows() const = 0;
    virtual IToolForm &toolForm() = 0;
    virtual bool isModalLoop() const = 0;
    virtual bool isDestroying() const = 0;
    // The commands that need a document follow (enabled or not).
    virtual void UpdateEnable(bool hasDocument) = 0;
    virtual void outputStatusText(eStatusItem item, const QString &text) = 0;
    virtual void outputStatusZoom(float scale) = 0;
    virtual void outputStatusRot(float degree) = 0;
    virtual void outputStatus() = 0;
    virtual TStroke *Stroke() const = 0;
    virtual ePaintLevel paintLevel() const = 0;
    virtual SWorkspace workspace() const = 0;
    // Sets the mouse cursor of the document windows (kCursorHidden: none).
    virtual void cursor(int32_t n) = 0;
    // The wheel reaches the main window first; it hands the step back to the active window.
    virtual void forwardMouseWheel(int32_t delta, bool leftButton) = 0;
    // The active window's document; nullptr when none.
    virtual TPaper *activePaper() const = 0;

    // ---- input
    // The main window's timer (stopped from a press to its release).
    virtual void setMainTimerEnabled(bool enabled) = 0;
    // The last corrected pointer position (integer canvas pixels) and the time of the last
    // stroke begin or end (milliseconds).
    virtual sPos &csrPos() = 0;
    virtual uint32_t &m_lastStroke() = 0;
    // The process's tablet object; nullptr when there is none.
    virtual TWinTab32 *tablet() const = 0;
    // The shortcut command of a key with its modifiers; false when the key has none.
    virtual bool getCommandFromKey(uint32_t vkey, bool shift, int32_t &command, bool alt,
                                   bool ctrl) const = 0;
    // Repeats the last filter.
    virtual void repeatFilter() = 0;
    // Activates the previous / next document window.
    virtual void mdiPrevious() = 0;
    virtual void mdiNext() = 0;
    // Asks the main window to close (the whole application).
    virtual void postClose() = 0;
    // ---- end of input
};

// Installs the main window and answers the previous one (nullptr restores the headless one).
IMainForm *installMainForm(IMainForm *form);
// Never null: the installed main window, else the process's headless one.
IMainForm &mainForm();

// The tool window with no window: it records the calls it gets, in order, and answers its fields.
class CHeadlessToolForm : public IToolForm
{
  public:
    TDrawWindow *Window() const override { return window; }
    void setWindow(TDrawWindow *w) override;
    TToolSubKind FToolSubMode() const override { return subKind; }
    TToolKind FToolMode() const override { return toolKind; }
    TToolDetail FToolDetail() const override { return detail; }
    std::optional<TToolSubKind> temporarySubKind() const override { return tempSubKind; }
    std::optional<int32_t> brushEngine() const override { return engine; }
    int32_t ToolCursors(TToolSubKind kind) const override { return 100 + int32_t(kind); }
    int32_t BrushCursors(int32_t e) const override { return 200 + e; }
    TGrabberControl *FGrbCtrl() const override { return grabber; }
    sSize FGhostSize() const override { return ghostSize; }
    int32_t width() const override { return formWidth; }
    void SetDisplaySize(const sSize &size) override;
    void SetClientSize(const sSize &size) override;
    void SetDisplayCenter(int32_t x, int32_t y) override;
    void SetDisplayScale(float scale) override;
    void SetDisplayRotation(float rad, bool reversed) override;
    void UpdateLayerView() override { calls.push_back("UpdateLayerView"); }
    void UpdateMaskView() override { calls.push_back("UpdateMaskView"); }
    void UpdateNavigatorView() override { calls.push_back("UpdateNavigatorView"); }
    void FPreviewMakeImage() override { calls.push_back("FPreviewMakeImage"); }
    void clearInformationView() override { calls.push_back("clearInformationView"); }
    CPenMethodMngr *penMethodSet() const override { return penMethods; }
    CPenShapeMngr *penNibSet() const override { return penNibs; }
    TSwatchMngr *swatchSet() const override { return swatches; }
    CGradMngr *gradientSet() const override { return gradients; }
    CToneMngr *toneSet() const override { return tones; }
    TPaintParam *currentPaintParam() const override { return paintParam; }
    TColorPickerValue ForegroundColor() const override { return foreground; }
    TColorPickerValue BackgroundColor() const override { return background; }
    QString gradientHint(int role) const override;
    void presetSetLoaded(TPresetKind kind, bool append) override;
    // ---- input
    bool ChangeToolSubMode(TToolSubKind kind, bool forceEnd) override;
    void UpdateInfomationView(TDrawWindow *w, float x, float y,
                              TInfomationUpdateOption option) override;
    void UpdateLoupeView(TPaper *paper, int32_t x, int32_t y, bool fix) override;
    bool loupeVisible() const override { return loupeShown; }
    bool changingToolMode = false;
    bool loupeShown = false;
    // The last information and loupe updates.
    sFPos infoPos;
    TInfomationUpdateOption infoOption = TInfomationUpdateOption::iuoNone;
    int32_t infoCount = 0;
    sPos loupeCentre;
    bool loupeFix = false;
    int32_t loupeCount = 0;
    // ---- end of input

    TDrawWindow *window = nullptr;
    TToolSubKind subKind = TToolSubKind::tskDrawLocus;
    TToolKind toolKind = TToolKind(0);
    TToolDetail detail = TToolDetail(0);
    std::optional<TToolSubKind> tempSubKind;
    std::optional<int32_t> engine = 0;
    TGrabberControl *grabber = nullptr;
    sSize ghostSize{5, 5};
    int32_t formWidth = 200;
    // The calls by name ("SetDisplayCenter 10,20" with their values), in order.
    std::vector<std::string> calls;
    sPos displayCenter;
    float displayScale = 1;
    float displayRotation = 0;
    bool displayReversed = false;
    CPenMethodMngr *penMethods = nullptr;
    CPenShapeMngr *penNibs = nullptr;
    TSwatchMngr *swatches = nullptr;
    CGradMngr *gradients = nullptr;
    CToneMngr *tones = nullptr;
    TPaintParam *paintParam = nullptr;
    TColorPickerValue foreground, background;
    // The sets reported loaded: kind and append, in order.
    std::vector<std::pair<TPresetKind, bool>> loadedSets;
};

// The main window with no window: records what it is told; the workspace, the paint level and
// the modal loop are settable.
class CHeadlessMainForm : public IMainForm
{
  public:
    TDrawWindow *activeWindow() const override;
    // The windows made and not yet destroyed (drawWindows()).
    std::vector<TDrawWindow *> documentWindows() const override;
    IToolForm &toolForm() override { return tool; }
    bool isModalLoop() const override { return modalLoop; }
    bool isDestroying() const override { return destroying; }
    void UpdateEnable(bool hasDocument) override { enableCalls.push_back(hasDocument); }
    void outputStatusText(eStatusItem item, const QString &text) override;
    void outputStatusZoom(float scale) override;
    void outputStatusRot(float degree) override;
    void outputStatus() override { ++statusCount; }
    TStroke *Stroke() const override;
    ePaintLevel paintLevel() const override;
    SWorkspace workspace() const override { return space; }
    void cursor(int32_t n) override { cursors.push_back(n); }
    // Sends the wheel back to the active window, as the main window does.
    void forwardMouseWheel(int32_t delta, bool leftButton) override;
    // The stored document, else the active window's.
    TPaper *activePaper() const override;
    TPaper *paper = nullptr;
    // ---- input
    void setMainTimerEnabled(bool enabled) override { mainTimerEnabled = enabled; }
    sPos &csrPos() override { return cursorCanvasPos; }
    uint32_t &m_lastStroke() override { return lastStroke; }
    TWinTab32 *tablet() const override { return tab.get(); }
    // Looks the key up in commandKeys.
    bool getCommandFromKey(uint32_t vkey, bool shift, int32_t &command, bool alt,
                           bool ctrl) const override;
    void repeatFilter() override { shellCalls.push_back("repeatFilter"); }
    void mdiPrevious() override { shellCalls.push_back("mdiPrevious"); }
    void mdiNext() override { shellCalls.push_back("mdiNext"); }
    void postClose() override { shellCalls.push_back("postClose"); }
    struct SCommandKey
    {
        uint32_t vkey;
        bool shift, alt, ctrl;
        int32_t command;
    };
    // The shortcut table a test sets up.
    std::vector<SCommandKey> commandKeys;
    bool mainTimerEnabled = true;
    sPos cursorCanvasPos;
    uint32_t lastStroke = 0;
    std::shared_ptr<TWinTab32> tab;
    std::vector<std::string> shellCalls;
    // ---- end of input

    // The active window; nullptr: the last one made.
    TDrawWindow *active = nullptr;
    CHeadlessToolForm tool;
    bool modalLoop = false;
    bool destroying = false;
    SWorkspace space;
    std::vector<bool> enableCalls;
    QString statusText[4];
    int32_t statusCount = 0;
    std::vector<int32_t> cursors;
};

// Every document window alive, in creation order (each registers itself as it is made).
const std::vector<TDrawWindow *> &drawWindows();

// The headless main window the process falls back on (for a test to set values on).
CHeadlessMainForm &headlessMainForm();
