// The handlers of the figure tools (group 6), the figure fills (group 7) and the selection
// shapes (group 8). They share the figure input: the press begins a figure, holds and moves
// place its points and guide, the release (or a double click, Space, a curve's third press)
// executes it, and Esc, a right press or a forced end cancel it.
#pragma once

#include "windows/docwin/input_dispatch.h"

#include <exception>

// A handler's failure: a warning ("メモリ不足のため実行できませんでした！" or the exception's
// text) and the press ended with no flag left.
void stopOnOutOfMemory(TDrawWindow &w);
void stopOnException(TDrawWindow &w, const std::exception &e);

// Group 6.
void figureLDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
void figureLHold(TDrawWindow &w, TShiftState shift, const sPos *pos);
void figureMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos);
void showFigureGuide(TDrawWindow &w, TMTC &dc);
bool figureExecute(TDrawWindow &w, const sPos &p0, const sPos &p1);
// Shared by groups 6 to 8 (figureKeyDown by 6 and 7).
void figureLUp(TDrawWindow &w, TShiftState shift, const sPos *pos);
void figureLDblClk(TDrawWindow &w, TShiftState shift, const sPos *pos);
void figureRDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
void figureKeyDown(TDrawWindow &w, uint32_t key, uint32_t data);
// The forced end of the three groups: a curve's bend dropped, then the default end.
void figureForceEnd(TDrawWindow &w, const sPos *pos);

// Group 7.
void fillLDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
void fillLHold(TDrawWindow &w, TShiftState shift, const sPos *pos);
void fillMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos);
void showFillGuide(TDrawWindow &w, TMTC &dc);
bool fillExecute(TDrawWindow &w, const sPos &p0, const sPos &p1);

// Group 8.
void selectLDown(TDrawWindow &w, TShiftState shift, const sPos *pos);
void selectLHold(TDrawWindow &w, TShiftState shift, const sPos *pos);
void selectLUp(TDrawWindow &w, TShiftState shift, const sPos *pos);
void selectMouseMove(TDrawWindow &w, TShiftState shift, const sPos *pos);
void selectKeyDown(TDrawWindow &w, uint32_t key, uint32_t data);
void showSelectGuide(TDrawWindow &w, TMTC &dc);
bool selectExecute(TDrawWindow &w, const sPos &p0, const sPos &p1);

// The handler rows of groups 6, 7 and 8.
inline constexpr SEventProcs kFigureProcs = {
    figureLDown,     figureLHold,   figureLUp,     figureLDblClk,  figureRDown,
    nullMouseProc,   nullMouseProc, nullMouseProc, figureMouseMove, figureKeyDown,
    showFigureGuide, figureExecute, figureForceEnd,
};
inline constexpr SEventProcs kFillProcs = {
    fillLDown,     fillLHold,     figureLUp,     figureLDblClk, figureRDown,
    nullMouseProc, nullMouseProc, nullMouseProc, fillMouseMove, figureKeyDown,
    showFillGuide, fillExecute,   figureForceEnd,
};
inline constexpr SEventProcs kSelectProcs = {
    selectLDown,     selectLHold,   selectLUp,     figureLDblClk,   figureRDown,
    nullMouseProc,   nullMouseProc, nullMouseProc, selectMouseMove, selectKeyDown,
    showSelectGuide, selectExecute, figureForceEnd,
};
