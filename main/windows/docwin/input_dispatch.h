// The document window's pointer and key vocabulary and its tool handler tables. The tool window's
// current sub-kind selects one of ten handler tables (one per palette group); the window keeps a
// pointer to it (TDrawWindow::eventProcs) and sends every press, hold, release, double click,
// move, key, guide drawing, execution and forced end through it. No slot of a table is ever null:
// empty slots hold the do-nothing procedures below.
#pragma once

#include "core/base/geometry.h"

#include <array>
#include <cstdint>

class TDrawWindow;
class TMTC;

// The mouse button of a press or release.
enum class TMouseButton : uint8_t
{
    mbLeft,
    mbRight,
    mbMiddle,
};

// Modifier keys and buttons held with a pointer event; ssDouble marks a double click.
struct TShiftState
{
    enum Flag : uint8_t
    {
        ssShift = 1 << 0,
        ssAlt = 1 << 1,
        ssCtrl = 1 << 2,
        ssLeft = 1 << 3,
        ssRight = 1 << 4,
        ssMiddle = 1 << 5,
        ssDouble = 1 << 6,
    };
    uint8_t bits = 0;

    constexpr TShiftState() = default;
    constexpr TShiftState(uint8_t b) : bits(b) {}
    constexpr bool has(Flag f) const { return (bits & f) != 0; }
    constexpr TShiftState with(Flag f) const { return TShiftState(uint8_t(bits | f)); }
    constexpr TShiftState without(Flag f) const { return TShiftState(uint8_t(bits & ~f)); }
    friend constexpr bool operator==(TShiftState, TShiftState) = default;
};

// Handler signatures: the window first. Positions are client pixels; a null position (forced
// end, stop) means "no position": the handler must not execute anything.
using TMouseProc = void (*)(TDrawWindow &w, TShiftState shift, const sPos *pos);
using TKeyProc = void (*)(TDrawWindow &w, uint32_t key, uint32_t data);
using TShowProc = void (*)(TDrawWindow &w, TMTC &dc);
using TExecProc = bool (*)(TDrawWindow &w, const sPos &p0, const sPos &p1);
using TForceEndProc = void (*)(TDrawWindow &w, const sPos *pos);

struct SEventProcs
{
    TMouseProc onLDown;
    TMouseProc onLHold;
    TMouseProc onLUp;
    TMouseProc onLDblClk;
    TMouseProc onRDown;
    TMouseProc onRHold;
    TMouseProc onRUp;
    TMouseProc onRDblClk;
    TMouseProc onMouseMove;
    TKeyProc onKeyDown;
    TShowProc showProc;
    TExecProc exeProc;
    TForceEndProc forceEnd;
};

// The do-nothing procedures of empty slots (nullExecProc answers false).
void nullMouseProc(TDrawWindow &w, TShiftState shift, const sPos *pos);
void nullKeyProc(TDrawWindow &w, uint32_t key, uint32_t data);
void nullShowProc(TDrawWindow &w, TMTC &dc);
bool nullExecProc(TDrawWindow &w, const sPos &p0, const sPos &p1);

// Ends whatever press runs: the first held button's release handler (with a position), the
// borrowed tool given back, the press flags cleared, auto-scroll ended, controls updated.
void defaultForceEnd(TDrawWindow &w, const sPos *pos);

// The handlers of group 0 (freehand drawing) and the ones several groups share.
void freehandLDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
void freehandLHold(TDrawWindow &w, TShiftState shift, const sPos *pos);
void freehandLUp(TDrawWindow &w, TShiftState shift, const sPos *pos);
// The navigator's scale back to 1 when that control is visible.
void resetNavigatorScale(TDrawWindow &w, TShiftState shift, const sPos *pos);
// Pointer tracking when the document is ready.
void trackMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos);

inline constexpr int kEventProcGroups = 10;

// The handler table of a palette group (0..9). The rows are the process's current ones: a test
// may replace a row with recording handlers and must put it back (resetEventProcTables).
SEventProcs &eventProcTable(int group);
// All rows back to the program's own.
void resetEventProcTables();
// A table of do-nothing entries only: installed when the window must ignore all input.
const SEventProcs &nullEventProcs();

// The tool the middle button borrows for the profile's mouseMBtnFunc (0..10): group and index.
struct SToolPlace
{
    int group;
    int index;
};
inline constexpr std::array<SToolPlace, 11> kMiddleButtonTools = {{
    {3, 0}, // view move
    {3, 1}, // view rotation
    {3, 2}, // pen size
    {5, 0}, // layer move
    {5, 3}, // gradient
    {7, 0}, // rectangle fill
    {7, 3}, // lasso fill
    {4, 2}, // seed fill
    {8, 0}, // rectangle selection
    {8, 3}, // lasso selection
    {4, 3}, // magic wand
}};
