// The command vocabulary of the keyboard shortcuts: the 245 rows of the command table (command
// number and display name), the group and category of every row, the tool details' commands and
// the tool kinds' categories, with the names of the three enumerations.
//
// Command numbers are grouped by value: menu commands below 512, each menu in a range beginning
// at a multiple of 16; tool commands 512..816, one block of 16 per tool with the variant in the
// low four bits; other commands from 1280. keyConfig.qsl stores these numbers, and the actions
// of the main window are tagged by them, so they never change. A row's group and category follow
// from its row number, never from its command number.
#pragma once

#include "core/profile/tool_kinds.h"

#include <QString>

#include <array>
#include <cstdint>

enum class TShortCutMainType : uint8_t
{
    smMenu,
    smTool,
    smEtc,
    smOther,
};

enum class TShortCutSubType : uint8_t
{
    sbFile,
    sbEdit,
    sbImage,
    sbLayer,
    sbSelect,
    sbFilter,
    sbView,
    sbWindow,
    sbHelp,
    sbPencil,
    sbEraser,
    sbWatorColor,
    sbAirBrush,
    sbBlur,
    sbBurn,
    sbFillRect,
    sbFill,
    sbSelectRect,
    sbMagicWand,
    sbMoveLayer,
    sbType,
    sbCrop,
    sbSpuit,
    sbHand,
    sbZoom,
    sbExchange,
    sbOther,
};
inline constexpr int kShortCutSubTypeCount = 27;

enum class TShortCutErrorType : uint8_t
{
    seNone,
    seNotUseKey,
    seNotMenuCombination,
    seNotToolCombination,
    seDuplication,
    seFixed,
    seSameGroup,
    seToolChange,
};

// One row of the command table. value is the display name; row kHelpOnlineRow has none of its
// own (shortCutCommandName composes it from the product's name).
struct SShortCutSet
{
    uint16_t command;
    const char16_t *value;
};

inline constexpr int kShortCutRowCount = 245;
inline constexpr int kFirstToolRow = 178;
inline constexpr int kFirstEtcRow = 220;
inline constexpr int kLastCommandRow = 244;
inline constexpr int kHelpOnlineRow = 176;

// Row 0 is empty (command 0); rows 1..244 are the commands in display order.
extern const std::array<SShortCutSet, kShortCutRowCount> gShortCutCommands;
// The command of every tool detail, in TToolDetail's order.
extern const std::array<uint16_t, kToolDetailCount> gToolDetailCommands;
// The category of every tool kind, in TToolKind's order.
extern const std::array<TShortCutSubType, kToolKindCount> gToolKindSubTypes;

// "メニュー", "ツール", "その他"; empty for smOther.
QString shortCutMainTypeName(TShortCutMainType type);
// "ファイル" … "前景色・背景色の切り替え"; empty for sbOther.
QString shortCutSubTypeName(TShortCutSubType type);

// The display name of a row; empty outside 0..244. Row 176 is gAppTitle + " Online".
QString shortCutCommandName(int row);
// Rows 0..177 are menus, 178..219 tools, 220..244 other commands; any other row is smOther.
TShortCutMainType shortCutMainTypeOfRow(int row);
// The category of a row: the menu or tool range it lies in; sbOther for row 0, the other
// commands and rows outside the table.
TShortCutSubType shortCutSubTypeOfRow(int row);
// The first and last row of a menu or tool category; false (and 0, 0) for sbOther.
bool shortCutRowsOfSubType(TShortCutSubType type, int &first, int &last);
// The row of a command among rows 1..244; -1 when it has none.
int shortCutRowOfCommand(int command);
