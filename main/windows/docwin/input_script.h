// Input scripts: pointer, tablet, key and view input for a document window, one step a line, so
// that tests, tools and benchmarks drive a window exactly as the widget does and a recording made
// that way can be replayed and compared.
//
//   # a comment; blank lines are skipped
//   press|release L|R|M X Y [MODS]   a button at client pixel (X, Y)
//   move X Y [MODS]                  the pointer to client pixel (X, Y)
//        MODS: any of shift ctrl alt space double (double: the press is a double click)
//   tablet X Y PRESSURE [eraser]     a pen packet at screen position (X, Y), fractions kept;
//                                    PRESSURE 0..1, 0 lifts the pen
//   proximity in|out                 the pen enters or leaves the tablet's range
//   key down|up VK [repeat]          a key by number (65, 0x2E) or name (A, Delete, F6, Space)
//   tool SUBKIND                     the tool sub-kind by number or name (DrawLocus, tskSeedFill)
//   level 1|2|4|5                    the document's paint level
//   tick                             one tick of the window's timers
//   zoom N:D   rotate DEG   mirror   scroll DX DY
//   undo   redo   activate   deactivate
//   hscroll|vscroll CODE POS         a scroll-bar action: CODE lineup linedown pageup pagedown
//                                    position track top bottom endscroll, POS the bar's position
//   grid SIZE|off                    the document's grid shown with cells of SIZE, or hidden
//   snap on|off                      the window's snap switch
//   client W H                       the window's client size
//   transform select|layer           starts the free transform of the selection / with the layer
//   text X Y "TEXT" "FACE" SIZE [bold] [italic] [vertical] [spacing N] [leading N] [mask]
//                                    a click with the text tool (the selection text with mask)
//                                    at client pixel (X, Y) whose window is answered with these
//                                    values and OK; in a quoted word \n starts a new line and
//                                    \" and \\ stand for a quote and a backslash
//
// The modifiers of a pointer step are held for that step only, on top of the keys a `key down`
// step holds. A headless window's client origin is the screen's (0, 0).
#pragma once

#include "core/profile/tool_kinds.h"

#include <QObject>
#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <vector>

class TDrawWindow;
enum class ePaintLevel : uint8_t;

enum class eInputStepKind : uint8_t
{
    Press,
    Release,
    Move,
    Tablet,
    Proximity,
    Key,
    Tool,
    Level,
    Tick,
    Zoom,
    Rotate,
    Mirror,
    Scroll,
    Undo,
    Redo,
    Activate,
    Deactivate,
    HScrollBar,
    VScrollBar,
    Grid,
    Snap,
    Client,
    // ---- free transform (free_transform.cpp): on: the selection alone
    Transform,
    // ---- end of free transform
    // ---- text tool (text_tool.cpp)
    Text,
    // ---- end of text tool
    // ---- tool window (toolform/palette_steps.cpp): num the operation (ePaletteStep)
    Palette,
    // ---- end of tool window
};

// ---- text tool (text_tool.cpp): what a text step answers the text window with
struct SInputTextStep
{
    QString text;
    QString face;
    int32_t size = 12;
    int32_t spacing = 0;
    int32_t leading = 0;
    bool bold = false;
    bool italic = false;
    bool vertical = false;
    bool mask = false;
};
// ---- end of text tool

enum class eInputButton : uint8_t
{
    Left,
    Right,
    Middle,
};

// The modifiers of a pointer step.
enum eInputModifier : uint8_t
{
    imShift = 1,
    imCtrl = 2,
    imAlt = 4,
    imSpace = 8,
    imDouble = 16,
};

struct SInputStep
{
    eInputStepKind kind = eInputStepKind::Tick;
    // The line of the script it came from (1 for the first).
    int32_t line = 0;
    eInputButton button = eInputButton::Left;
    // Pointer steps: client pixels. Tablet steps: screen pixels with fraction, kept as written
    // (a pen's position reaches the tablet as a double).
    double x = 0, y = 0;
    double pressure = 0;
    uint8_t mods = 0;
    // Tablet: the eraser end. Proximity: in. Key: down.
    bool on = false;
    bool repeat = false;
    int32_t vk = 0;
    TToolSubKind subKind = TToolSubKind::tskDrawLocus;
    ePaintLevel level{};
    int32_t num = 1, den = 1;
    float degrees = 0;
    int32_t dx = 0, dy = 0;
    // Scroll-bar steps: the scroll code (TScrollCode's number) and the position, in dx.
    uint8_t scrollCode = 0;
    // ---- text tool (text_tool.cpp)
    SInputTextStep textStep;
    // ---- end of text tool
    // ---- tool window (toolform/palette_steps.cpp): a detail, model or control name; the value
    // goes in degrees
    QString name;
    // ---- end of tool window
};

// One line of a script: a step, or nothing for a blank or comment line. On a bad line the
// answer is false and error says what is wrong, prefixed by "line N: ".
bool parseInputStep(QStringView text, int32_t line, std::optional<SInputStep> &step,
                    QString &error);
// Every step of a script, or false at its first bad line (error as above).
bool parseInputScript(const QString &text, std::vector<SInputStep> &steps, QString &error);

// The tool sub-kind of a name ("DrawLocus" or "tskDrawLocus", any case) or number.
std::optional<TToolSubKind> toolSubKindFromName(QStringView name);
// The virtual key of a number (decimal or 0x hex, 1..254) or key name (spaces left out, any case).
std::optional<int32_t> virtualKeyFromName(QStringView name);

// Applies one step to the window as its widget and the main window would. False when the step
// could not be applied (a level the document refuses, nothing to undo, a tablet step with no
// tablet context open); input the window ignores is not a failure.
//
// Pointer steps note their button in the key state (as the key recorder does) and pass the
// held buttons and modifiers in the shift state. Tablet and proximity steps are pen events: they
// go through the process's tablet (platform/tablet) to the open context's window, which must
// hand its messages on, as the main window does and CHeadlessTabletTarget does headless.
bool applyInputStep(TDrawWindow &window, const SInputStep &step);
// ---- text tool (text_tool.cpp)
// The text step: the text tool chosen, a left click at the step's point, and the text window
// that opens answered with the step's values and OK through the headless main window. False when
// the window did not open or does not offer the face (or its vertical face).
bool applyTextStep(TDrawWindow &window, const SInputStep &step);
// ---- end of text tool

// The window a headless tablet context is opened for: it hands the context's packet and
// proximity messages to the main window's active document window (tabletMessage), as the main
// window's message handler does.
class CHeadlessTabletTarget : public QObject
{
  public:
    using QObject::QObject;
    // Opens the main window's tablet context for this object; false without a tablet.
    bool open();

  protected:
    bool event(QEvent *e) override;
};
