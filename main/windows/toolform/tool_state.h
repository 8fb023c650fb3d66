// What the tool window remembers about tools, free of widgets: the current detail and sub-kind,
// the pen end, the last detail per button, per pen end and per shortcut letter, the detail a
// repeated press steps to, the opacity per button and the guard set of the palette handlers.
// The tool switch itself (TToolForm::changeToolDetail) runs its steps through here.
#pragma once

#include "windows/toolform/tool_tables.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

// A set of TPaletteState, bit n for the n-th value.
class TPaletteStatus
{
  public:
    bool has(TPaletteState s) const { return (FBits >> int(s)) & 1u; }
    void include(TPaletteState s) { FBits |= uint64_t(1) << int(s); }
    void exclude(TPaletteState s) { FBits &= ~(uint64_t(1) << int(s)); }
    bool empty() const { return FBits == 0; }
    uint64_t bits() const { return FBits; }

  private:
    uint64_t FBits = 0;
};

// Includes a state for its lifetime and excludes it on every way out, exceptions too.
class CPaletteGuard
{
  public:
    CPaletteGuard(TPaletteStatus &status, TPaletteState state) : FStatus(status), FState(state)
    {
        FStatus.include(FState);
    }
    ~CPaletteGuard() { FStatus.exclude(FState); }
    CPaletteGuard(const CPaletteGuard &) = delete;
    CPaletteGuard &operator=(const CPaletteGuard &) = delete;

  private:
    TPaletteStatus &FStatus;
    TPaletteState FState;
};

// The shortcut manager's answers: the virtual key of a detail (0: none) and the detail a repeated
// press of it steps to.
using TKeyOfDetail = std::function<uint32_t(TToolDetail)>;
using TNextOfDetail = std::function<TToolDetail(TToolKind, TToolDetail)>;

// The index of a letter key 'A'..'Z' (virtual keys 65..90); none for any other key.
std::optional<int> shortcutLetterIndex(uint32_t vkey);

class CToolState
{
  public:
    CToolState();

    // The current tool, tdPencil4 at first: the first leave of the replay display must see a
    // change when it selects the pencil.
    TToolDetail FToolMode = TToolDetail::tdPencil4;
    TToolSubKind FToolSubMode = TToolSubKind::tskDrawLocus;
    TStylusSwitch FStylus = TStylusSwitch::ssNib;
    std::array<TToolKind, 2> FLastTool{TToolKind::tkPencil, TToolKind::tkEraser};
    std::array<TToolDetail, kToolKindCount> FLastTools;
    // Index False (0): editing; True (1): the replay display.
    std::array<TToolKind, 2> FLastPlayTool{TToolKind::tkPencil, TToolKind::tkGrabber};
    std::array<float, kToolKindCount> FToolDensities;
    std::array<std::optional<TToolDetail>, 26> FLastToolsEx;
    std::array<TToolDetail, kToolDetailCount> FNextDetails;
    TPaletteStatus FPalStat;

    TToolKind currentKind() const { return FLastTool[size_t(FStylus)]; }
    // Step 1 of the switch: false when the detail is the current one or a switch runs.
    bool switchNeeded(TToolDetail detail) const;
    // Step 2: the kind being left keeps the current detail and the opacity shown (the other pen
    // end's kind while the pen end itself switches). Answers that kind.
    TToolKind leave(float opacity, const TKeyOfDetail &keyOf);
    // Step 5: the new detail becomes the current one of its kind, pen end and letter.
    void enter(TToolDetail detail, const TKeyOfDetail &keyOf);

    // The detail a tool button selects: its last one, or the next of it when cycling on the
    // current button outside a switch.
    TToolDetail detailForKind(TToolKind kind, bool cycle) const;
    // The same through a shortcut key: the letter's last detail (the button's when the key is
    // no letter or the letter chose nothing yet).
    TToolDetail detailForKey(uint32_t vkey, TToolKind kind, bool cycle) const;
    TToolDetail nextDetailOf(TToolDetail detail) const { return FNextDetails[size_t(detail)]; }

    // Every detail with a letter in order, then tdGrabberPosition, then the current detail, so
    // that these two win a shared letter.
    void setLastTools(const TKeyOfDetail &keyOf);
    void setNextDetails(const TNextOfDetail &nextOf);

  private:
    void remember(TToolDetail detail, const TKeyOfDetail &keyOf);
};
