// The platform's system colours by their COLOR_ numbers, as 0x00BBGGRR values. They come from the
// application palette (the mapping is in system_colours.cpp), or from a fixed table that tests and
// the widget shots install so that pictures do not depend on the desktop's colour scheme.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int kSysColorCount = 31;

using TSysColorTable = std::array<uint32_t, kSysColorCount>;

// The colour of a COLOR_ number as 0x00BBGGRR; 0 for a number outside 0..30.
uint32_t getSysColor(int index);

// The fixed table of the tests and the widget shots: a light scheme of distinct colours.
const TSysColorTable &fixedSysColorTable();
// Makes getSysColor answer from table (nothing: from the palette again); returns what was
// installed before.
std::optional<TSysColorTable> installSysColorTable(std::optional<TSysColorTable> table);
