// The window of one open document. TDrawWindow is a plain class: it owns the document, the
// off-screen buffer the view is composed in and the screen surface its widget shows, and runs
// with no widget at all (render mode, tests, tools). CDrawWindowWidget (draw_window_widget.h)
// is the thin Qt face that forwards events to it and copies the surface to the screen.
//
// Members are defined in files by family: draw_window.cpp (life cycle, state and gates),
// view_render.cpp (buffer, painting, scroll bars, margins, sizing, view cache),
// view_navigation.cpp (zoom, scrolling, rotation, mirroring); commands.cpp (document and layer
// commands), clipboard_commands.cpp, replay_driving.cpp (replays and filling a window),
// render_end.cpp (the end of a render), saving.cpp (saving and export).
#pragma once

#include "core/base/geometry.h"
#include "core/image/canvas.h"
#include "core/pixel/pixel.h"
#include "core/profile/tool_kinds.h"
#include "document/events/event_recorder_types.h"
#include "document/paper/paper_host.h"
#include "document/view/composition.h"
#include "windows/docwin/figure_geometry.h"
#include "windows/docwin/input_dispatch.h"
#include "windows/docwin/print_layout.h"

#include <QPolygon>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CLayerData;
// ---- printing (printing.cpp)
class QObject;
class QPainter;
class TMemoryGraphic;
struct TPrinterInfo;
// ---- end of printing
class TEventPacket;
class TFlowImage;
class TPaper;
class TStroke;
enum class TLayerMode : uint8_t;

// ---- document commands block: the commands' values
// The whole-canvas and active-layer commands (the Ex ones act on the layer only).
enum class ePaperCmd : uint8_t
{
    cmdFlipTB,
    cmdFlipLR,
    cmdRot90,
    cmdRot180,
    cmdRot270,
    cmdNeg,
    cmdFlipTBEx,
    cmdFlipLREx,
    cmdRot180Ex,
};
// What a replay plays: a version-1.1 stream or an event file of versions 2.2 to 5.
enum class eEventType : uint8_t
{
    evtWPE,
    evtQES,
};
// ---- end of the document commands block
struct TMessage;
enum class ePaintLevel : uint8_t;

// The states of drawState.
enum class BDrawStateBit : uint16_t
{
    stLBtn = 1 << 0,
    stRBtn = 1 << 1,
    stMBtn = 1 << 2,
    stFirst = 1 << 3,
    stDirty = 1 << 4,
    stIgnore = 1 << 5,
    stMultiSelect = 1 << 6,
    stKeyOnly = 1 << 7,
    stForceEnd = 1 << 8,
    stHookSysMode = 1 << 9,
    stShowGlyph = 1 << 10,
    stSnap = 1 << 11,
};

struct BDrawState
{
    uint16_t bits = 0;
    bool has(BDrawStateBit b) const { return (bits & uint16_t(b)) != 0; }
    void set(BDrawStateBit b) { bits = uint16_t(bits | uint16_t(b)); }
    void clear(BDrawStateBit b) { bits = uint16_t(bits & ~uint16_t(b)); }
};


// A scroll bar as the window keeps it; the widget mirrors it in a QScrollBar whose range is
// 0 .. Max - PageSize.
struct CScrollBarModel
{
    int32_t Position = 0;
    int32_t Max = 0;
    int32_t PageSize = 0;
    int32_t LargeChange = 1;
    int32_t SmallChange = 1;
    sRect bounds;
    bool Visible = false;
    // The bar's thickness in pixels (the style's; 16 with no widget).
    int32_t thickness = 16;
    // Counts the changes, so that the widget knows when to follow.
    uint32_t changes = 0;
    void setPosition(int32_t p);
};

// The scroll codes of a scroll-bar action.
enum class TScrollCode : uint8_t
{
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll,
};

// A timer the widget drives by a QTimer; tests fire it.
struct CWindowTimer
{
    bool Enabled = false;
    int32_t Interval = 100;
    std::function<void()> OnTimer;
    void fire()
    {
        if (Enabled && OnTimer)
            OnTimer();
    }
};

enum class eWindowState : uint8_t
{
    wsNormal,
    wsMinimized,
    wsMaximized,
};

// Where the window stands in the main window's client area (outer bounds, frame included).
struct SWindowPlacement
{
    sRect bounds;
    eWindowState state = eWindowState::wsNormal;
};

// The view cache of partial redraws during a layer drag.
struct SViewCache
{
    int32_t idx = -1;
    sBox box;
    std::unique_ptr<TMTC> tc;
    bool started = false;
    bool cached = false;
    // The group table as composing left it at idx, so that the layers above continue from it.
    tblLyrGrpAttr ltbl{};
};

class TDrawWindow : public IPaperOwner
{
  public:
    // Makes a window and its document (FormCreate); nullptr when the document cannot be made.
    static std::unique_ptr<TDrawWindow> Create();
    // FormDestroy.
    ~TDrawWindow() override;
    TDrawWindow(const TDrawWindow &) = delete;
    TDrawWindow &operator=(const TDrawWindow &) = delete;

    // The process-wide state back to its start (initialiseWindows()).
    static void resetProcessState();
    static int32_t untitledCount();
    static int32_t cascadeCount();

    TPaper &document() const { return *paper; }

    // ---- state and gates (draw_window.cpp)
    // Sets m_bModified and answers the value it had.
    bool setModifiedFlag(bool sw);
    bool hasFileName() const { return !filePath.isEmpty(); }
    bool canSave() const;
    bool isInKeyOnly() const { return drawState.has(BDrawStateBit::stKeyOnly); }
    bool canChangeView() const { return !isInKeyOnly(); }
    bool isStrokingNow() const;
    uint32_t getStrokingCount() const;
    bool syncObjects();
    bool canUndo();
    bool canRedo();
    bool Undo();
    bool Redo();
    bool disposeUndoAll();
    void UpdateView(bool mk);
    void updateCaption(bool clr) override;
    void dispatchProfile(bool mk);
    void UpdateControls(int32_t X, int32_t Y);
    void UpdateControls();
    void invalidateView(bool bg, bool clr);
    void PaperChangeReadyState(bool ready);
    static void makeUntitledName(QString &name);
    bool setupPosList(int32_t n);
    bool hasPosList() const { return !posList.empty(); }
    void clearPosList();
    bool isEventRecording() const;
    bool canSaveEvent() const;
    bool isEventPlayPaused() const { return m_eventPlaying && m_eventPaused; }

    void FormActivate();
    void FormDeactivate();
    // The close question; true: the window may close.
    bool FormCloseQuery();

    // ---- view rendering (view_render.cpp)
    // Rebuilds the buffer and the surface for a client size (nothing while minimised).
    void FormResize(const sSize &client);
    // Paints when the window was invalidated (the widget's paint event asks first).
    void FormPaint();
    bool isDirty() const { return m_dirty; }
    void paintView();
    void UpdateAll();
    void UpdateAllPart(const sBox &box);
    void UpdateAllPartWithVramCache(const sBox &box) override;
    void updateViewNow(bool mk, const sPos *barpos);
    void resetScrollBars(const sPos *barpos);
    void initScrollPos();
    void fillBG(TMTC &dc, const sRect *r);
    int32_t getTrueClientSize(int32_t &w, int32_t &h) const;
    bool showAnts(TMTC &dc);
    void Timer1Timer();
    void DrawBrushGhost(int32_t X, int32_t Y, bool Erase);
    void EraseBrushGhost();
    void formSizeCorrect(bool mv);
    void moveInsideWorkspace();
    bool isNeedToUpdateRotVram() const;
    void layoutScrollBars();
    void scrollViewTo(int32_t x, int32_t y);
    void updateViewRect();
    void makeViewRgn();
    void refreshViewRgn();
    void freeViewRgn();
    bool buildViewCache();
    bool drawFromViewCache(const sBox &box, bool overlay = false);
    void releaseViewCache();

    // ---- zoom, scrolling, rotation, mirroring (view_navigation.cpp)
    void ZoomIn(bool alt, int32_t cx, int32_t cy);
    void ZoomOut(bool alt, int32_t cx, int32_t cy);
    void ZoomReset(bool alt, int32_t cx, int32_t cy);
    void ZoomReset(bool alt);
    float changeZoom(int32_t Numerator, int32_t Denominator, bool alt, const sPos *pos);
    float changeZoom(int32_t Numerator, int32_t Denominator, bool alt);
    void applyZoom(bool alt, sPos centre);
    void doZoom(const sPos &pos, bool zin, bool alt);
    void doZoom(bool zin);
    float GetZoomAutoSingle() const;
    bool CheckZoomAuto() const;
    bool CanZoomAuto() const;
    bool ZoomAuto(bool alt, int32_t cx, int32_t cy, bool zin);
    bool ZoomAuto(bool alt, bool zin);
    bool switchSmoothZoom(bool sw);
    bool restoreSmoothZoom();
    void disableSmoothZoom() { m_bSmoothZoom = false; }
    void ScrollBar1Scroll(TScrollCode code, int32_t pos);
    void ScrollBar2Scroll(TScrollCode code, int32_t pos);
    // The wheel step the main window hands back (delta < 0: toward the user).
    void mouseWheel(int32_t delta, bool leftButton);
    void SetDisplayCenter(int32_t dx, int32_t dy);
    void scrollViewBy(int32_t dx, int32_t dy);
    void calcViewBound(sPos &pos, bool left) const;
    void convFromCanvasScale(sPos &dst, const sPos &src) const;
    void convToCanvasScale(sPos &dst, const sPos &src) const;
    void dispatchRotate(float deg, bool first);
    void RotToNormal();
    void RevToNomal();
    void dispatchReverse(bool first);
    // The grabber's drags: pan by the pointer's movement since lastPos; rotate from lastPos (the
    // drag's start) to pos about the client centre, tmpSingle (radians) being the start angle.
    void panDrag(const sPos &pos);
    void rotateDrag(const sPos &pos);

    // ---- move tool (move_tool.cpp)
    // Group 5 of the handler tables: layer and selection moves by drag and by arrow keys, the
    // gradient line, trimming, and the hand-over to the free transform. A drag shows its result
    // live and records nothing; the release (or the end of a key move) records one event.
    static void moveToolDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void moveToolHold(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void moveToolUp(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void moveToolRDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void moveToolMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void moveToolKeyDown(TDrawWindow &w, uint32_t key, uint32_t data);
    static void moveToolShow(TDrawWindow &w, TMTC &dc);
    static void moveToolForceEnd(TDrawWindow &w, const sPos *pos);
    // One moved layer and its view position when the move started.
    struct SLayerLinkMoveInfo
    {
        int32_t idx = 0;
        sPos viewPos;
    };
    // The active layer and the layers linked to it, in layer order; empty when it has no links
    // (or the list could not be made: only the active layer moves then).
    std::vector<SLayerLinkMoveInfo> layerLinkPosList;
    bool recordLinkedLayers();
    // An arrow key starts a key move of the layer (kind 0), the selection (1) or both (2); the
    // transforms (9 to 11) pass it to the transformer. False for any other key or kind.
    bool enterKeyMoveMode(int32_t kind, uint32_t key, uint32_t data);
    // The group index (0 .. 11) of the tool window's sub-kind, -1 outside group 5.
    int32_t moveToolKind() const;
    // The drag distance in canvas pixels from firstPos to pos (client pixels), on the axis of the
    // larger movement with constrain.
    sPos moveDistance(const sPos &pos, bool constrain) const;
    // Live steps: every recorded layer (or the active one from start) lowered by d and the view
    // redrawn; the outline shifted by d from its start offset.
    void moveLayersLive(const sPos &start, const sPos &d);
    void moveSelectionLive(const sPos &d);
    // Every moved layer back at its start view position (the active one at start without links).
    void restoreLayerPositions(const sPos &start);
    // The moves a release or a key move records: layer (0), selection (1), both (2); false when
    // the document refused (warned for the layer moves).
    bool recordMove(int32_t kind, const sPos &d);
    // Escape or a refused key move: the positions and outline back, the press released plainly.
    void cancelMove(int32_t kind, bool moved);
    // Ends a key move, applying the accumulated offset with apply.
    void endKeyMove(bool apply);
    // The trim box (paper coordinates) the band from firstPos to pos shows, clipped to the
    // canvas unless extend; empty when nothing is left.
    sBox trimBox(const sPos &pos, bool extend) const;
    // The modifier roles of trim and gradient under the shortcut scheme.
    bool isSetOnlyKeyDown() const;
    // The outline's offset (canvas pixels) when a selection move started.
    sPos antsStartOfs;
    // ---- end of move tool

    // ---- document commands, clipboard, replay, render end, saving (document commands block)
    // commands.cpp
    void changePaperColor(uint32_t cc);
    bool resizePaper();
    bool changeReso();
    bool createLayer(TLayerMode lm);
    bool createLayerDlg();
    bool deleteCurLayer();
    bool notLayerMask();
    bool fillLayerMask(uint32_t cc);
    bool doPaperCmd(ePaperCmd cmd, bool refresh);
    bool doLayerCmd(ePaperCmd cmd);
    bool duplicateLayer();
    bool bindLayerLower(int32_t ver);
    bool doLayerVisAll(bool vis);
    bool doLayerRotate();
    bool doLayerZoom();
    bool doLayerInfoWin();
    bool doLayerClipping();
    bool doReleaseClippingGroup();
    bool doBindClippingGroup();
    bool DoMaskInfoWin();
    bool doSelectFill(int32_t idx, uint32_t color, bool undo, bool rec);
    bool doSelectDelete(int32_t idx, uint32_t color, bool undo, bool rec);
    bool canDeleteWithSelect() const;
    // clipboard_commands.cpp
    bool isMaskEnable(int32_t midx) const;
    bool copyVramToClipboard();
    bool copyLayerToClipboard(int32_t idx);
    // newld: receives the masked copy when the copy was made (the caller owns it).
    bool copyLayerToClipboardWithMask(int32_t idx, int32_t midx,
                                      std::unique_ptr<CLayerData> *newld);
    bool pasteStd();
    // replay_driving.cpp
    bool openQES(const QString &fname);
    bool openWPE(const QString &fname);
    eEvPlayStat playEventQES();
    eEvPlayStat playEventWPE();
    // True: wait; false: a step is due now (m_eventThen then moves to time).
    bool checkEventPlayWait(uint32_t time);
    // Milliseconds until the next step is due (0: now).
    uint32_t nextReplayDelay(uint32_t now) const;
    float getEventPlayProgress() const;
    bool supportEventPlayPause() const;
    void pauseEventPlay(bool sw);
    bool eventStopRecording(bool msg);
    void attachFile(const QString &path, const TMTC &tc, int32_t dpi, bool lyr, bool clp);
    void afterLoadFile();
    void makeIndexImage(int32_t k);
    // render_end.cpp
    static void renderQuit(const QString &evpath, int32_t code);
    bool renderEventEnd(bool qes);
    // saving.cpp
    bool savePaper(const QString &path, bool dlg);
    bool doSaveAs();
    bool saveAutoBmp();
    bool saveLayer(int32_t idx);
    bool saveLayer(const QString &path, int32_t idx);
    bool exportEventDlg();
    bool saveNative(const QString &path);
    bool savePsd(const QString &path);
    bool savePng(const QString &path, const TMTC &image);
    // 0 saved, 1 failed, 2 cancelled.
    int32_t saveJpeg(const QString &path, const TMTC &image);
    // The native writer's flags: layers and thumbnail, masks and events when there are some.
    uint32_t nativeSaveFlags() const;
    // ---- end of the document commands block
    // ---- tools (tools.cpp)
    // The handlers of groups 1 to 4 (zoom, colour picker, grabber and pen size, seed fill and
    // magic wand) and the right-button colour pick that several groups share. Each takes the
    // window, the shift state of the event and the client position (nullptr: none, do nothing).
    static void zoomLDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void pickerDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void pickerMove(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void grabberDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void grabberHold(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void grabberUp(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void grabberKeyDown(TDrawWindow &w, uint32_t key, uint32_t data);
    static void seedFillDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    static void seedMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos);
    // With the profile's useRBtnPicker, a pick into the foreground colour (Shift held: the
    // background).
    static void rightButtonPick(TDrawWindow &w, TShiftState shift, const sPos *pos);
    // The magic wand's cursor for the held keys and the selection.
    void wandCursor();
    // The colour (blue in the low byte) at a client position: the composed view, or with Ctrl
    // the active layer's own pixel. False outside the paper.
    bool pickUpColor(const sPos &pos, TShiftState shift, uint32_t &color) const;
    // The picked colour into the tool window's foreground (right button: background) colour when
    // its red, green and blue differ from the main stroke's; nothing while a stroke runs.
    void doColorPicker(const sPos &pos, TShiftState shift);
    // The grabber's release has run for this drag.
    bool bUnUpdateFlg = false;
    // ---- end of tools

    // ---- input: dispatch (input_dispatch.cpp), strokes (stroke_input.cpp), keyboard
    // accelerators (key_accelerators.cpp). Positions are client pixels unless named otherwise.
    // The form's mouse events; a double click is a press whose Shift holds ssDouble.
    void FormMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    void FormMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    void FormMouseMove(TShiftState Shift, int32_t X, int32_t Y);
    // Key messages: key a virtual key, data the key data (bit 30: an auto-repeat).
    void keyDownMessage(uint32_t key, uint32_t data);
    // Alt combinations and F10.
    void sysKeyDownMessage(uint32_t key, uint32_t data);
    void sysKeyUpMessage(uint32_t key, uint32_t data);
    void FormKeyUp(uint32_t key, TShiftState Shift);
    // The window's own keys, before the tool's: true when the key was handled.
    bool checkKeyboardAccelarator(uint32_t vkey, uint32_t data);
    // Alt+F4 closes the application; true for it only.
    bool checkSysKeyAccelarator(uint32_t vkey, uint32_t data);
    // Installs the table of the tool window's current sub-kind; with forceEnd the old table's
    // forced end runs first, at the cursor.
    void updateEventProcs(bool forceEnd);
    // Ends the running press or keyboard operation without executing anything.
    void stopCurrentEvent();
    bool canRefreshView() const;
    bool showGlyph(TMTC &dc);
    void TimerAutoScrollTimer();
    void callMouseProc(TShiftState shift, const sPos *pos, TMouseProc proc);
    void callKeyProc(uint32_t key, uint32_t data, TKeyProc proc);
    void callShowProc(TMTC &dc, TShowProc proc);
    bool callExecProc(const sPos &p0, const sPos &p1, TExecProc proc);
    void callForceEnd(TForceEndProc proc, bool withPos);
    void releaseButton(TMouseButton button, TShiftState shift, const sPos *pos);
    void abortButton(TMouseButton button, TShiftState shift, const sPos *pos);
    void abortLeftOrRight(bool left, const sPos *pos);
    // Temporary tools: borrowed while modifier keys or the middle button are held.
    bool hookTool(int group, int index);
    void unhookTool(bool forceEnd);
    bool isToolHooked() const { return drawState.has(BDrawStateBit::stHookSysMode); }
    bool getHookTool(int &group, int &index, bool noSelectDrag) const;
    bool hookToolByKeys(bool anyTool, const sPos &pos);
    bool hookMiddleButtonTool(int32_t func);
    // A replay plays only with tools that leave the document alone.
    bool canToolActNow() const;
    // The refusal beep; counted, and the installed sound (onBeepRefused) played.
    void beepRefused();
    // The pointer in client pixels: the widget's cursor; headless, the last entry's position.
    sPos cursorClientPos() const;
    bool isFreeTransform() const;
    // A client point in canvas coordinates (zoom, scroll, rotation, mirror); the integer form
    // rounds half to even.
    void convToCanvasPos(sFPos &dst, const sPos &src) const;
    void convToCanvasPos(sPos &dst, const sPos &src) const;
    // The fixed figure points (not the moving one after them) move by the offset.
    void offsetPosList(int32_t dx, int32_t dy);

    // Strokes. Refused while a stroke runs or a replay plays.
    bool switchPaintLevel(ePaintLevel level);
    void correctPosition(float &x, float &y, bool tablet);
    bool dispatchStrokeBegin(TFlowImage &flow, TStroke &stroke, bool undo, float x, float y,
                             float pressure);
    void dispatchStrokeAdd(TFlowImage &flow, TStroke &stroke, bool undo, IPaperOwner *handle,
                           float x, float y, float pressure);
    bool dispatchStrokeEnd(TFlowImage &flow, TStroke &stroke, bool undo, sBox &box,
                           IPaperOwner *handle);
    // One input point; tb: (x, y) are screen pixels with fraction, else client pixels. -1 when
    // refused, when it began a stroke or ended one at the point limit; 1 otherwise.
    int32_t doPaint(float x, float y, float prs, TStroke &strk, bool tb);
    // Ends the running stroke at a position, with add first adding it as a last point.
    void chkStrokeEnd(float x, float y, TStroke &strk, bool tb, bool add);
    void updateMousePos(const sPos &pos);
    // One auto-scroll step at pos (screen: a screen position); true when the view scrolled.
    bool doAutoScroll(const sPos &pos, bool tablet, bool screen);
    bool doAutoScroll(const sPos &pos);
    void endAutoScroll();
    // The client origin in screen pixels (the widget's; (0, 0) with no widget).
    sPos clientScreenOrigin() const;

    // One tablet packet as the main window's handler feeds it: screen position with fraction,
    // pressure 0..1. Pressure above 0 paints (doPaint), 0 ends the stroke with a last point.
    // Without the profile's DrawToolMode the position is the whole pixel under the pen.
    // Ignored while the window is moved or sized. The answer is doPaint's, 0 when ignored.
    int32_t tabletStep(float screenX, float screenY, float pressure);
    // A tablet window message (WT_PACKET, WT_PROXIMITY) read through the main window's tablet
    // and fed to tabletStep; false when the message is not the tablet's.
    bool tabletMessage(const TMessage &msg);

    // The current handler table (never null once created).
    const SEventProcs *eventProcs = nullptr;
    // The window has the keyboard focus (the widget keeps it).
    bool m_hasFocus = false;
    // Refusal beeps so far, and the sound (none headless).
    int32_t refusedBeeps = 0;
    std::function<void()> onBeepRefused;
    // The widget answers the cursor and the client origin on the screen.
    std::function<sPos()> onCursorClientPos;
    std::function<sPos()> onScreenOrigin;
    // ---- end of input

    // ---- figures (figures.cpp). Figure points are client pixels.
    // The aspect (square) and centre keys of the shortcut scheme.
    bool isAspectKeyDown() const;
    bool isCenterKeyDown() const;
    // Draws the figure held in the point list with the active stroke as one raw-point shape
    // stroke; the stroke's switches and the manager's settings come back on every path. False
    // when nothing was drawn (no stroke, an unknown paint level, fewer than two points).
    bool eventDrawExecute(const sPos &p0, const sPos &p1, eDRAWMODE dm, bool rec);
    // The 15-degree snap of a line while the aspect key is held; true when it is held.
    bool correctLinePos(const sPos &p0, sPos &p1) const;
    // The figure's points as client floats (the polygon or polyline's end point stored after the
    // fixed points, the ellipse and curve computed); closed tells whether the stroke closes.
    std::vector<sFPos> figureStrokePoints(const sPos &p1, eDRAWMODE dm, bool &closed);
    sPos curvePos0, curvePos1;
    // Starts a figure at pos (client pixels): a point list of 10, the canvas outline rebuilt,
    // posNum 0; a figure of several points (multi) sets stMultiSelect and holds pos as its first
    // point. False when the point list could not be made: warned, and the press is ended.
    bool beginFigure(const sPos &pos, bool multi);
    // The guide changed: stShowGlyph set and, once the figure has been drawn before (stDirty),
    // the surface repainted at once from the display image with the guide over it.
    void markGuideDirty();
    // The rectangle's four corners as client points into the point list (posNum 4): both points
    // aligned to the zoom's pixel grid, cornered in canvas pixels, with the centre and aspect
    // options.
    void setBoxPoints(const sPos &p0, const sPos &p1, bool centre, bool aspect);
    // p1 moved so that p0-p1 is a square's diagonal (the longer extent wins).
    static void makeSquare(const sPos &p0, sPos &p1);
    // The guides: one-pixel dotted lines, black on white, on the screen surface and clipped to
    // the canvas outline (viewRgn), through the point list's first points.
    // Open through the first n points / closed back to the first.
    void drawDottedPolyline(int32_t n);
    void drawDottedPolygon(int32_t n);
    // Closed through four points once more than three are held.
    void drawBandQuad();
    // posNum > 1: closed through posNum + 1 points; posNum 1: the open line of two points.
    void drawBandPolygonPlus();
    // posNum > 0: open through posNum + 1 points.
    void drawBandPolyline();
    // posNum > 1: closed through posNum points.
    void drawBandPolygon();
    // The point list never grows past this many points: a growth beyond it fails as if memory
    // had run out.
    size_t posListLimit = size_t(1) << 20;
    // Makes room for n points, 10 at a time; std::bad_alloc past posListLimit or out of memory.
    void growPosList(int32_t n);
    // A released point of a figure of several points (for a curve: its second end, or a cancel
    // when the bend was being placed).
    void addFigurePoint(const sPos &pos);
    // The right press during a figure of several points: its last fixed point goes (the pointer
    // takes its place); on its only point, or for a curve, the figure is cancelled.
    void removeFigurePoint(const sPos &pos);
    // Esc: the figure dropped undrawn and its guide removed.
    void cancelFigure();
    // The release of a one-press figure: the tool's executor from firstPos to pos, the guide gone.
    void executeFigure(const sPos &pos);
    // Ends the running press (a left one when none is held) and every figure flag with it.
    void endFigurePress();
    // One more point of a lasso.
    void appendLassoPoint(const sPos &pos);
    // The ellipse guide's polygon for a drag from p0 to p1 (empty under 16 client pixels).
    void setEllipsePoints(const sPos &p0, const sPos &p1, bool centre, bool aspect);
    // The curve's guide points with pos as its bend.
    void calcCurvePoints(const sPos &pos);
    // A scroll bar moved to (x, y): the fixed points move with the canvas under them.
    void followScroll(int32_t x, int32_t y);
    // The current tool places a figure of several points (polygons, polyline, curve).
    bool isMultiSelect() const;
    // Draws a figure of cnt fixed points from p0 to p1 without recording it.
    bool playDrawing(eDRAWMODE dm, const sPos &p0, const sPos &p1, int32_t cnt);
    // A figure's stroke that an exception broke off is ended where it got to.
    void endBrokenStroke(TStroke &stroke, bool undo);
    // Strokes drawn through doPaint and chkStrokeEnd keep undo and are recorded; playDrawing
    // turns this off for its stroke.
    bool m_strokeUndo = true;
    // ---- end of figures

    // ---- figure fills and selection shapes (fill_select_shapes.cpp)
    // A client point in the active layer's coordinates; the integer form rounds half to even.
    void convToCanvasPosEx(sFPos &dst, const sPos &src) const;
    void convToCanvasPosEx(sPos &dst, const sPos &src) const;
    bool isFillAspect() const;
    bool isFillCenter() const;
    // Fill the rectangle or ellipse dragged from p0 to p1 (client pixels) on the active layer.
    bool fillRectExecute(const sPos &p0, const sPos &p1);
    bool fillEllipseExecute(const sPos &p0, const sPos &p1);
    // The polygon (or lasso) held in the point list, with p1 as its last point.
    bool fillPolygonExecute(const sPos &p0, const sPos &p1);
    // The selection shapes, combined with the selection by the keys held.
    bool isSelectAspect() const;
    bool isSelectCenter() const;
    bool selectRectExecute(const sPos &p0, const sPos &p1);
    bool selectEllipseExecute(const sPos &p0, const sPos &p1);
    bool selectPolygonExecute(const sPos &p0, const sPos &p1);
    // The point list's fixed points and pos (when it differs from the last one) in layer
    // coordinates; false with fewer than three points.
    bool getFigurePolygon(std::vector<sFPos> &list, const sPos &pos);
    // A press would drag the selection: there is one, under the pointer, and neither Shift nor
    // the switch key is held.
    bool canDragSelection() const;
    // The selection tools' cursor for the keys held and the pointer at pos (client pixels).
    void updateSelectCursor(const sPos &pos);
    // The cursor number the window set last.
    int32_t cursorNumber() const { return m_cursor; }
    // ---- end of figure fills and selection shapes

    // ---- grid and snapping (grid.cpp). Canvas boxes and lines in canvas pixels.
    // The grid over the whole canvas on the surface, on a given picture, or over a canvas box.
    void showGrid();
    void showGrid(TMTC &dc);
    void showGrid(TMTC &dc, const sBox &box);
    // One solid one-pixel line between two client points.
    void drawGrid(TMTC &dc, const sPos &sp, const sPos &ep, sBGRA c);
    // One line between two canvas points on the surface.
    void drawSnapGrid(int32_t x0, int32_t y0, int32_t x1, int32_t y1, sBGRA c);
    // Snapping is on and the grid shown; the brush (group 0) and the figure, fill, selection and
    // text tools (groups 6-9) snap.
    bool canSnap() const;
    bool canSnapWithBrush() const;
    bool canSnapWithTool() const;
    void changeSnap();
    void resetGridColor();
    // Chooses the grid line(s) the client position snaps to (FSnapX, FSnapY).
    void getNearGrid(const sPos &pos);
    bool getScaleNearGrid(int32_t &zx, int32_t &zy, bool &gridX, bool &gridY, const sPos &pos);
    void drawNearGrid(const sPos &pos);
    // spos a canvas position; dpos the snapped canvas position.
    void getPosNearGrid(sPos &dpos, const sPos &spos) const;
    // srcpos a client position; dpos snapped: client for tools, canvas for the brush.
    void setSnapPos(sPos &dpos, const sPos &srcpos);
    void clearSnap();
    // The mouse entry's snapping, when it applies (true then): a press chooses the lines
    // (getNearGrid) and moves pos onto them; a drag or release chooses again only for tools, so
    // that a brush stroke keeps the line of its press.
    bool snapPress(sPos &pos);
    bool snapDrag(sPos &pos);
    // The line chosen on each axis; the has-flags tell whether there is one (0 is the canvas's
    // left or top edge, a line like any other).
    int32_t FSnapX = 0, FSnapY = 0;
    bool bHasSnapX = false, bHasSnapY = false;
    int32_t FCroppingXCnt = 0, FCroppingYCnt = 0;
    // ---- end of grid

    // ---- printing (printing.cpp)
    // The platform's print dialog, then one print job of FPrintValue's copies of the composed
    // canvas; false when the dialog was cancelled, the printer tells nothing or the job failed
    // (it is then aborted). The canvas colour is printed without the background pattern; the
    // document's display settings come back on every path.
    bool PrintPaper();
    // The print preview dialog with FPrintValue, the canvas size, the resolution printing counts
    // and DrawPrintFormPreview; its placement is kept on print (1) and keep (8), and 1 prints.
    // False when cancelled or when the print failed.
    bool PrintPreview();
    // The preview painter: ARepeat copies of the display image into ARect of AImage (only the
    // part inside AImage), each pixel the mean of AQuality x AQuality samples, opaque.
    void DrawPrintFormPreview(QObject *Sender, TMemoryGraphic &AImage, const sRect &ARect,
                              sSize ARepeat, int32_t AQuality);
    // Draws FPrintValue's copies of the display image on a page whose physical corner is the
    // painter's origin, each copy stretched without smoothing into its cell.
    void printTo(QPainter &painter, const TPrinterInfo &info);
    // ---- end of printing
    // ---- text tool (text_tool.cpp)
    // Group 9's press: the text window is made for the clicked canvas position (a selection for
    // tskSelectText), run in the main window's modal loop and freed; the navigator, layer and
    // mask views are redrawn afterwards, also when the window could not be made.
    static void textToolDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
    // Commits the text held in the flow coverage over box (layer coordinates of the stroke's
    // layer) and repaints the view; false when the document refused it.
    bool doFontDraw(TStroke &strk, const sBox &box, bool trgtMask, bool undo);
    // ---- end of text tool

    // ---- IPaperOwner
    void setModified(bool sw) override { setModifiedFlag(sw); }
    bool isModified() const override { return m_bModified; }
    bool isEventPlaying() const override { return m_eventPlaying; }
    TFlowImage *flow() override { return flowImage.get(); }
    void invalidate(bool erase) override;
    sSize clientSize() const override { return clnSize; }
    bool isSmoothZoom() const override { return m_bSmoothZoom; }
    TMTC *viewSurface() override;
    void surfacePainted(const sRect &r) override;
    void updateNow() override;
    void eraseBrushGhost() override { EraseBrushGhost(); }
    void showGrid(const sBox *box) override;
    uint32_t viewBackColor() const override { return gViewBackColor; }
    bool nowStroking() const override { return m_nowStroking; }
    void setNowStroking(bool sw) override { m_nowStroking = sw; }
    int32_t cntStroking() const override { return m_cntStroking; }
    void setCntStroking(int32_t n) override { m_cntStroking = n; }
    int32_t playEventFileVersion() const override { return m_playEventFileVersion; }
    void clearFlowAlphaOfImage() override;
    void refreshAfterEvent(bool formsize, bool prev, bool mk) override;
    void resetScrollBars() override { resetScrollBars(nullptr); }
    void updateLayerView() override;
    void updateMaskView() override;
    void updateNavigatorImage() override;
    void setDisplaySize(const sSize &size) override;
    bool canAcceptEditCmd(bool netOK, bool playOK, bool needPause) override;
    // ---- tool window (toolform): the transform's fields and the option view follow the document
    void setTransPopup(const sSize &size) override;
    void setTransDat(float dx, float dy) override;
    void setTransScale(float w, float h) override;
    void setTransAngle(float angle) override;
    void UpdateOptionView(bool redraw) override;
    // ---- end of tool window

    // ---- free transform (free_transform.cpp)
    // Start the document's free transform of the selection, or of the selection with the layer
    // image inside it; the tool switches to the transform's sub-kind until transformEnd. False
    // (nothing changed) when the document could not start one.
    bool transformSelect();
    bool transformLayer();
    // Ends the running transform, applying it (recorded, undoable) or discarding it, and gives
    // back the tool in force before it started. True when the document holds the applied result.
    bool transformEnd(bool apply);
    // Asks whether the pending transform is applied: kavrin::mrYes, mrNo or mrCancel.
    int32_t showTransformEndDialog();
    // The pointer operations of group 5's transform sub-kinds; positions are client pixels.
    void transformDragStart(const sPos &pos);
    void transformDrag(TShiftState shift, const sPos &pos);
    void transformDragEnd();
    // An arrow key moves the frame by one canvas pixel; other keys do nothing.
    void transformKeyMove(uint32_t key);
    void transformMouseMove(const sPos &pos);
    // The handle under the pointer becomes the transformer's current one, and the cursor follows.
    void updateTransformMarker(const sPos &pos);
    void updateTransformCursor(const sPos &pos);
    // p1 moved so that p0-p1 spans a square (integer canvas points).
    static void squarePoints(sPos &p0, sPos &p1);
    // The sub-kind to return to when the transform ends.
    TToolSubKind FLastToolSubKind = TToolSubKind::tskDrawLocus;
    // ---- end of free transform

    // ---- the widget's hooks (empty with no widget)
    // The window wants repainting (invalidate) / a rectangle of the surface changed.
    std::function<void()> onInvalidate;
    std::function<void(const sRect &)> onSurfacePainted;
    // The placement or the scroll bars changed.
    std::function<void()> onPlacementChanged;
    std::function<void()> onScrollBarsChanged;

    // ---- fields
    std::unique_ptr<TPaper> paper;
    std::unique_ptr<TFlowImage> flowImage;
    // The off-screen buffer the view is composed in, and the screen surface the widget shows.
    TMTC dwBuffer;
    TMTC m_surface;
    QString filePath;
    QString eventPath;
    QString Caption;
    bool m_eventPlaying = false;
    bool m_eventPaused = false;
    bool m_eventStop = false;
    int32_t FWpeCount = 0;
    std::array<uint32_t, 153> m_info{};
    bool m_bEnabled = false;
    bool m_bModified = false;
    bool m_bSizeMove = false;
    bool m_bAutoScrolled = false;
    bool m_bMasterSmoothZoom = false;
    bool m_bSmoothZoom = false;
    SViewCache vramCache;
    sSize clnSize;
    sSize marginSize;
    BDrawState drawState;
    sPos clientPos;
    sFPos vramPos;
    sPos firstPos, lastPos, scrPos, tmpPos, tmpPos2;
    sFPos tmpFPos, tmpFPos2;
    float tmpSingle = 0;
    TToolSubKind FOldToolSubKind = TToolSubKind::tskDrawLocus;
    // The canvas outline in client pixels (winding fill); empty: no region.
    QPolygon viewRgn;
    bool hasViewRgn = false;
    sRect viewRect;
    std::array<sRect, 4> bgRects{};
    int32_t posNum = 0;
    std::vector<sPos> posList;
    bool bIsCurveMode = false;
    bool bSnap = false, bSnapGrid = true;
    // The highlighted grid column and row; -1: none.
    int32_t FOldGridX = -1, FOldGridY = -1;
    std::array<std::unique_ptr<TMTC>, 10> FIndexImages;
    // ---- replay fields (document commands block)
    eEventType eventType = eEventType::evtQES;
    uint32_t m_eventThen = 0;
    uint32_t eventPlayStartTime = 0;
    bool insideEventPlay = false;
    // The replay stroke and stream of a version-1.1 replay.
    std::unique_ptr<TStroke> eventStroke;
    std::unique_ptr<TEventPacket> eventPacket;
    // The window ignores the mouse (a replay that failed to open).
    bool m_mouseIgnored = false;
    // ---- end of the replay fields
    TPrintValue FPrintValue;
    bool FGhostVis = false;
    sRect FGhostRect;
    CScrollBarModel ScrollBar1; // horizontal
    CScrollBarModel ScrollBar2; // vertical
    CWindowTimer TimerAutoScroll;
    SWindowPlacement placement;
    // The cursor position in client pixels (the widget keeps it; headless: set by tests).
    sPos cursorPos;
    bool cursorInside = false;
    // Space is held (the key table's answer; the widget keeps it).
    bool spaceHeld = false;
    // How often syncObjects ran.
    int32_t syncCount = 0;

  private:
    TDrawWindow();
    bool FormCreate();
    // The cascade counter of new windows (0..6), process-wide.
    static int32_t &cascadeCounter();
    void FormDestroy();
    bool isActive() const;
    bool grabberShown() const;
    void setCursor(int32_t n);
    void applyPlacement(const sRect &bounds);
    void xorEllipse(const sRect &r);
    void statusZoomRot();
    // Composes layers from..to-1 over the paper box b into dst, whose pixel (0, 0) is paper point
    // origin, continuing ltbl; false when a clipping group reaches to or past to.
    bool composeLayerRange(TMTC &dst, const sPos &origin, const sBox &b, int32_t from, int32_t to,
                           tblLyrGrpAttr &ltbl);
    int32_t viewCacheBase() const;
    sPos canvasPointAtCentre() const;
    void showScrollBars(bool show);

    bool m_dirty = false;
    bool m_nowStroking = false;
    int32_t m_cntStroking = 0;
    int32_t m_playEventFileVersion = 0;
    int32_t m_cursor = kCursorNone;
    static constexpr int32_t kCursorNone = -2;
};
