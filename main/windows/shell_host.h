// What the document windows need of the main window and of the tool window. The application
// installs its main window at start-up; until then (render mode, tests, tools) mainForm() answers a
// headless main window that records what it is told and answers settable values. Every member of
// the tool window lives on IToolForm, reached through IMainForm::toolForm().
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/blend_modes.h"
#include "core/profile/glyph_types.h"
#include "core/profile/tool_kinds.h"
#include "document/events/event_codes.h"
#include "document/files/file_types.h"
#include "ui/colour/colour_model.h"
#include "windows/docwin/print_layout.h"

#include <QPageSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CBlockVCH;
class CBlockVMTC;
class CGradMngr;
class QObject;
class QPrinter;
class TMemoryGraphic;
class CPenMethodMngr;
class QDialog;
class CPenShapeMngr;
class CToneMngr;
class TDrawWindow;
class TGrabberControl;
class TPaintParam;
class TPaper;
class TStroke;
class TSwatchMngr;
class TMRUFileList;
struct TEventReportParam;
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
// ---- free transform (free_transform.cpp): "CR_TRANSFORMRECT" … "CR_TRANSFORMCTRL"
constexpr int32_t kCursorTransformRect = 39;   // inside the frame: move
constexpr int32_t kCursorTransformScale0 = 40; // 40-43: resize at 0, 45, 90 and 135 degrees
constexpr int32_t kCursorTransformRot0 = 44;   // 44-51: rotate, at 0, 45, ... 315 degrees
constexpr int32_t kCursorTransformAnchor = 52; // the centre marker
constexpr int32_t kCursorTransformCtrl = 53;   // a handle with Ctrl: distort
// ---- end of free transform

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

// ---- document commands, replay and saving: the values the shell's dialogs edit
// The canvas size dialog: the size and the anchor of its 3 x 3 grid, numbered row by row.
struct SImageSizeValue
{
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Anchor = 4;
};
// The resolution dialog (mode 0 the canvas, 1 a layer).
struct SResolutionValue
{
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t DPI = 0;
};
struct TNewLayerValue
{
    QString Name;
    TLayerMode LayerMode = TLayerMode::LM_STD;
    int32_t Opaque = 255;
    uint32_t Color = 0; // sBGRA order, alpha in the top byte
};
struct TLayerOptionValue
{
    int32_t X = 0, Y = 0; // the view position
    bool Crop = false;
    QString Name;
    TLayerMode LayerMode = TLayerMode::LM_STD;
    int32_t Opaque = 255;
    bool Dither = false;
    int32_t DitherDensity = 0;
};
struct TMaskOptionValue
{
    int32_t X = 0, Y = 0;
    bool Crop = false;
    QString Name;
};
struct TJpegSaveOption
{
    int32_t QualityType = 0;
    int32_t Quality = 75;
    int32_t Smooth = 0;
    bool Grayscale = false;
    bool Progressive = false;
};
// The play button's two faces.
enum class ePlayGlyph : uint8_t
{
    qgPlay,
    qgPause,
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

// ---- printing (printing.cpp)
// The print dialog's preview painter: draws the canvas ARepeat.cx x ARepeat.cy times into ARect of
// AImage, with AQuality x AQuality samples per pixel (1 while the user drags, 4 otherwise).
using TFormPrintDrawEvent = std::function<void(QObject *Sender, TMemoryGraphic &AImage,
                                               const sRect &ARect, sSize ARepeat,
                                               int32_t AQuality)>;
// ---- end of printing

class IToolForm
{
  public:
    virtual ~IToolForm() = default;
    // ---- replay display (document commands block)
    // The tool window shows a replay (its panels follow the replayed stroke) or leaves it.
    virtual void SetPlayMode(bool sw) = 0;
    virtual void SetPlayStroke(const TStroke &stroke) = 0;
    virtual void SetPlayColor(uint32_t fore, uint32_t back) = 0;
    // pos of cnt events played, the replay started at start (ms).
    virtual void SetPlayProgress(uint32_t pos, uint32_t cnt, uint32_t start) = 0;
    virtual void appendEventList(TEventCode code) = 0;
    virtual void setOptionViewCaption(const QString &text) = 0;
    virtual void setPlayGlyph(ePlayGlyph glyph) = 0;
    // ---- end of the replay display
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
    // ---- tools (tools.cpp)
    // The tool colour cell's two colours (the colour synchronisation follows: the main stroke
    // takes them without alpha).
    virtual void setForegroundColor(const TColorPickerValue &value) = 0;
    virtual void setBackgroundColor(const TColorPickerValue &value) = 0;
    // The working brush's size as the option view edits it: its shape-image scale x 100 when it
    // uses a shape image, else its radius.
    virtual float SelectNibRadius() const = 0;
    // The working brush's real radius limits, in pixels.
    virtual float SelectNibRealRadiusMin() const = 0;
    virtual float SelectNibRealRadiusMax() const = 0;
    // Sets the working brush's size (the unit of SelectNibRadius).
    virtual void SetPenRadius(float value) = 0;
    // Re-lays the option view (redraw) or only dispatches the parameters.
    virtual void UpdateOptionView(bool redraw) = 0;
    // The key move's end button (BtnMoveOK) is enabled while a key move runs.
    virtual void enableMoveOK(bool enabled) = 0;
    // ---- end of tools
    // ---- tool window (toolform/transform_fields.cpp): the free transform's fields follow the
    // frame; none of these writes reaches the transformer again
    // The datum fields fitted to a document of this size.
    virtual void setTransPopup(const sSize &) {}
    // Percent, degrees, document pixels, shear degrees.
    virtual void setTransScale(float, float) {}
    virtual void setTransAngle(float) {}
    virtual void setTransDat(float, float) {}
    virtual void setTransDist(float, float) {}
    // ---- end of tool window
};

class IMainForm
{
  public:
    virtual ~IMainForm() = default;
    // ---- document commands, replay and saving (document commands block)
    // The shell's dialogs: true (OK) fills the value; Cancel answers false, the value untouched.
    virtual bool showImageSizeDialog(SImageSizeValue &value, int32_t dpi) = 0;
    virtual bool showResolutionDialog(SResolutionValue &value, int32_t mode) = 0;
    virtual bool showNewLayerDialog(TNewLayerValue &value) = 0;
    virtual bool showRotationDialog(float &degrees) = 0;
    // The layer's image and the mask's image (none for an empty mask) draw the dialog's preview.
    virtual bool showLayerOptionDialog(TLayerOptionValue &value, const CBlockVMTC &image,
                                       sSize canvas) = 0;
    virtual bool showMaskOptionDialog(TMaskOptionValue &value, const CBlockVCH *image,
                                      sSize canvas) = 0;
    virtual bool showJpegOptionDialog(TJpegSaveOption &value) = 0;
    // A save dialog of the kind proposing path (folder and name); OK puts the chosen path there.
    virtual bool execFileDialog(TOpenFilterType kind, QString &path) = 0;
    virtual bool execSaveEventDialog(QString &path) = 0;
    virtual bool showEventReport(const TEventReportParam &param) = 0;
    // The recent files (never null).
    virtual TMRUFileList *fileMRUList() = 0;
    // Passes the replay progress to the tool window at most once a second; true when it did.
    virtual bool updateEventPlayCaption(TDrawWindow *w, uint32_t time, uint32_t total,
                                        uint32_t played) = 0;
    // Closes the main window once the current event is handled (a render's end).
    virtual void closeMainWindow() = 0;
    // The last replay colour the tool window was shown.
    uint32_t m_thenColor = 0;
    // ---- end of the document commands block
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
    // ---- printing (printing.cpp)
    // The platform's print dialog on printer; true when the user chose to print (printer then
    // holds the choices).
    virtual bool execPrintDialog(QPrinter &printer) = 0;
    // The print preview dialog: the placement of copies of a canvas of size at ppi, previewed
    // through onDrawWork. Answers 1 print, 8 keep the placement without printing (value holds
    // it for both), 2 cancelled (value untouched).
    virtual int32_t runPrintDialog(TPrintValue &value, const sSize &size, int32_t ppi,
                                   const TFormPrintDrawEvent &onDrawWork) = 0;
    // ---- end of printing
    // ---- text tool (text_tool.cpp)
    // Runs a tool dialog in the main window's own modal loop, which keeps the document windows
    // painting and hands a left click on the active document to the text window (message
    // 0x1315 with the canvas position); answers the dialog's modal result.
    virtual int showModalWithHook(QDialog &dialog) = 0;
    // ---- end of text tool
    // ---- tool window (toolform/switching.cpp)
    // The paint level the painting tools switch to by the engine of their brush.
    virtual void switchPaintLevel(ePaintLevel level) = 0;
    // The shortcut key of a tool detail (a virtual key; 0: none) and the detail a repeated press
    // of it steps to.
    virtual uint32_t getKeyByToolDetail(TToolDetail detail) const = 0;
    virtual TToolDetail getNextTool(TToolKind kind, TToolDetail detail) const = 0;
    // ---- end of tool window
};

// Installs the main window and answers the previous one (nullptr restores the headless one).
IMainForm *installMainForm(IMainForm *form);
// Never null: the installed main window, else the process's headless one.
IMainForm &mainForm();

// The tool window with no window: it records the calls it gets, in order, and answers its fields.
class CHeadlessToolForm : public IToolForm
{
  public:
    // ---- replay display (document commands block): recorded in calls
    void SetPlayMode(bool sw) override;
    void SetPlayStroke(const TStroke &stroke) override;
    void SetPlayColor(uint32_t fore, uint32_t back) override;
    void SetPlayProgress(uint32_t pos, uint32_t cnt, uint32_t start) override;
    void appendEventList(TEventCode code) override { eventList.push_back(code); }
    void setOptionViewCaption(const QString &text) override { optionCaption = text; }
    void setPlayGlyph(ePlayGlyph glyph) override { playGlyph = glyph; }
    bool playMode = false;
    std::vector<TEventCode> eventList;
    QString optionCaption;
    ePlayGlyph playGlyph = ePlayGlyph::qgPlay;
    // ---- end of the replay display
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
    // ---- tools (tools.cpp): each call recorded in calls; the colours also go into the main
    // stroke, as the tool window's colour synchronisation does
    void setForegroundColor(const TColorPickerValue &value) override;
    void setBackgroundColor(const TColorPickerValue &value) override;
    float SelectNibRadius() const override { return nibRadius; }
    float SelectNibRealRadiusMin() const override { return nibRadiusMin; }
    float SelectNibRealRadiusMax() const override { return nibRadiusMax; }
    void SetPenRadius(float value) override;
    void UpdateOptionView(bool redraw) override;
    void enableMoveOK(bool enabled) override;
    float nibRadius = 10.0f;
    float nibRadiusMin = 0.1f, nibRadiusMax = 500.0f;
    bool moveOKEnabled = false;
    // ---- end of tools

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
    // ---- tool window (toolform/transform_fields.cpp): recorded in calls
    void setTransPopup(const sSize &size) override;
    void setTransScale(float w, float h) override;
    void setTransAngle(float angle) override;
    void setTransDat(float dx, float dy) override;
    void setTransDist(float h, float v) override;
    // ---- end of tool window
};

// The main window with no window: records what it is told; the workspace, the paint level and
// the modal loop are settable.
class CHeadlessMainForm : public IMainForm
{
  public:
    // ---- document commands, replay and saving (document commands block). Each dialog call is
    // recorded by name in dialogCalls with what it was proposed; a dialog answers the value the
    // test scripted for it (OK), else Cancel.
    bool showImageSizeDialog(SImageSizeValue &value, int32_t dpi) override;
    bool showResolutionDialog(SResolutionValue &value, int32_t mode) override;
    bool showNewLayerDialog(TNewLayerValue &value) override;
    bool showRotationDialog(float &degrees) override;
    bool showLayerOptionDialog(TLayerOptionValue &value, const CBlockVMTC &image,
                               sSize canvas) override;
    bool showMaskOptionDialog(TMaskOptionValue &value, const CBlockVCH *image,
                              sSize canvas) override;
    bool showJpegOptionDialog(TJpegSaveOption &value) override;
    bool execFileDialog(TOpenFilterType kind, QString &path) override;
    bool execSaveEventDialog(QString &path) override;
    bool showEventReport(const TEventReportParam &param) override;
    TMRUFileList *fileMRUList() override;
    bool updateEventPlayCaption(TDrawWindow *w, uint32_t time, uint32_t total,
                                uint32_t played) override;
    void closeMainWindow() override { ++closeCount; }
    std::vector<std::string> dialogCalls;
    // What was proposed to the last dialog of each kind.
    SImageSizeValue proposedSize;
    SResolutionValue proposedReso;
    int32_t proposedResoMode = -1;
    TNewLayerValue proposedNewLayer;
    TLayerOptionValue proposedLayerOption;
    TMaskOptionValue proposedMaskOption;
    QString proposedPath;
    TOpenFilterType proposedKind = TOpenFilterType(0);
    // The scripted answers (none: Cancel).
    std::optional<SImageSizeValue> sizeAnswer;
    std::optional<SResolutionValue> resoAnswer;
    std::optional<TNewLayerValue> newLayerAnswer;
    std::optional<float> rotationAnswer;
    std::optional<TLayerOptionValue> layerOptionAnswer;
    std::optional<TMaskOptionValue> maskOptionAnswer;
    std::optional<TJpegSaveOption> jpegAnswer;
    std::optional<QString> fileAnswer;
    std::optional<QString> eventFileAnswer;
    // The reports shown: reason, step and whether events can be appended.
    struct SReport
    {
        int reason = 0;
        uint32_t step = 0;
        bool cont = false;
        int images = 0;
    };
    std::vector<SReport> reports;
    std::shared_ptr<TMRUFileList> recentFiles;
    // updateEventPlayCaption's calls (played counts).
    std::vector<uint32_t> playCaptions;
    int32_t closeCount = 0;
    // ---- end of the document commands block
    TDrawWindow *activeWindow() const override;
    // The windows made and not yet destroyed (drawWindows()).
    std::vector<TDrawWindow *> documentWindows() const override;
    IToolForm &toolForm() override { return toolFormOverride ? *toolFormOverride : tool; }
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
    // ---- printing (printing.cpp): both calls recorded in dialogCalls
    // With printTarget the dialog answers OK and sets the printer up to write a PDF there, of
    // the page size and resolution below; without, it is cancelled.
    bool execPrintDialog(QPrinter &printer) override;
    // Answers printDialogResult; on 1 and 8 value becomes printPlacement when one is set. What
    // it was proposed is kept, the painter included.
    int32_t runPrintDialog(TPrintValue &value, const sSize &size, int32_t ppi,
                           const TFormPrintDrawEvent &onDrawWork) override;
    std::optional<QString> printTarget;
    QPageSize::PageSizeId printPageSize = QPageSize::A4;
    int32_t printResolutionDpi = 300;
    int32_t printDialogResult = 2;
    std::optional<TPrintValue> printPlacement;
    TPrintValue proposedPrintValue;
    sSize proposedPrintSize;
    int32_t proposedPrintPpi = 0;
    TFormPrintDrawEvent proposedPrintDraw;
    // ---- end of printing
    // ---- text tool (text_tool.cpp)
    // Runs modalScript on the dialog (it sets controls, posts messages, clicks OK or Cancel)
    // and answers the dialog's result; with no script, or when the script closed nothing, the
    // dialog is closed with Cancel. Each call is counted.
    int showModalWithHook(QDialog &dialog) override;
    std::function<void(QDialog &)> modalScript;
    int32_t hookedModalCount = 0;
    // ---- end of text tool

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
    // ---- tool window (toolform/switching.cpp)
    void switchPaintLevel(ePaintLevel level) override { switchedLevels.push_back(level); }
    // From toolKeys (none: key 0) and nextTools (none: the detail itself).
    uint32_t getKeyByToolDetail(TToolDetail detail) const override;
    TToolDetail getNextTool(TToolKind kind, TToolDetail detail) const override;
    // A tool window of the test's answers toolForm(), its stroke Stroke(); nullptr: the
    // headless ones again.
    void setToolForm(IToolForm *form, TStroke *stroke);
    std::vector<ePaintLevel> switchedLevels;
    std::vector<std::pair<TToolDetail, uint32_t>> toolKeys;
    std::vector<std::pair<TToolDetail, TToolDetail>> nextTools;
    IToolForm *toolFormOverride = nullptr;
    TStroke *strokeOverride = nullptr;
    // ---- end of tool window
};

// Every document window alive, in creation order (each registers itself as it is made).
const std::vector<TDrawWindow *> &drawWindows();

// The headless main window the process falls back on (for a test to set values on).
CHeadlessMainForm &headlessMainForm();
