#include "ui/base/system_colours.h"

#include <QGuiApplication>
#include <QPalette>

#include <utility>

namespace {

std::optional<TSysColorTable> &installedTable()
{
    static std::optional<TSysColorTable> table;
    return table;
}

uint32_t toColorRef(const QColor &c)
{
    return uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
}

struct PaletteRole
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

// Which palette colour stands for each system colour.
constexpr PaletteRole kPaletteRoles[kSysColorCount] = {
    {QPalette::Active, QPalette::Button},          // SCROLLBAR
    {QPalette::Active, QPalette::Dark},            // BACKGROUND
    {QPalette::Active, QPalette::Highlight},       // ACTIVECAPTION
    {QPalette::Inactive, QPalette::Mid},           // INACTIVECAPTION
    {QPalette::Active, QPalette::Window},          // MENU
    {QPalette::Active, QPalette::Base},            // WINDOW
    {QPalette::Active, QPalette::Shadow},          // WINDOWFRAME
    {QPalette::Active, QPalette::WindowText},      // MENUTEXT
    {QPalette::Active, QPalette::Text},            // WINDOWTEXT
    {QPalette::Active, QPalette::HighlightedText}, // CAPTIONTEXT
    {QPalette::Active, QPalette::Button},          // ACTIVEBORDER
    {QPalette::Inactive, QPalette::Button},        // INACTIVEBORDER
    {QPalette::Active, QPalette::Mid},             // APPWORKSPACE
    {QPalette::Active, QPalette::Highlight},       // HIGHLIGHT
    {QPalette::Active, QPalette::HighlightedText}, // HIGHLIGHTTEXT
    {QPalette::Active, QPalette::Button},          // BTNFACE
    {QPalette::Active, QPalette::Dark},            // BTNSHADOW
    {QPalette::Disabled, QPalette::Text},          // GRAYTEXT
    {QPalette::Active, QPalette::ButtonText},      // BTNTEXT
    {QPalette::Inactive, QPalette::WindowText},    // INACTIVECAPTIONTEXT
    {QPalette::Active, QPalette::Light},           // BTNHIGHLIGHT
    {QPalette::Active, QPalette::Shadow},          // 3DDKSHADOW
    {QPalette::Active, QPalette::Midlight},        // 3DLIGHT
    {QPalette::Active, QPalette::ToolTipText},     // INFOTEXT
    {QPalette::Active, QPalette::ToolTipBase},     // INFOBK
    {QPalette::Active, QPalette::Button},          // (25, unused)
    {QPalette::Active, QPalette::Link},            // HOTLIGHT
    {QPalette::Active, QPalette::Highlight},       // GRADIENTACTIVECAPTION
    {QPalette::Inactive, QPalette::Midlight},      // GRADIENTINACTIVECAPTION
    {QPalette::Active, QPalette::Highlight},       // MENUHILIGHT
    {QPalette::Active, QPalette::Window},          // MENUBAR
};

} // namespace

uint32_t getSysColor(int index)
{
    if (index < 0 || index >= kSysColorCount)
        return 0;
    if (installedTable())
        return (*installedTable())[index];
    const PaletteRole r = kPaletteRoles[index];
    const QPalette pal = qGuiApp ? QGuiApplication::palette() : QPalette();
    return toColorRef(pal.color(r.group, r.role));
}

const TSysColorTable &fixedSysColorTable()
{
    // 0x00BBGGRR; every colour the interface draws with is distinct, so that a test can tell
    // which one landed where.
    static const TSysColorTable table = {
        0x00C8C8C8, // SCROLLBAR
        0x00808000, // BACKGROUND
        0x00D1B499, // ACTIVECAPTION
        0x00DBCDBF, // INACTIVECAPTION
        0x00F0F0F0, // MENU
        0x00FFFFFF, // WINDOW
        0x00202020, // WINDOWFRAME
        0x00000000, // MENUTEXT
        0x00100800, // WINDOWTEXT
        0x00000000, // CAPTIONTEXT
        0x00B4B4B4, // ACTIVEBORDER
        0x00FCF7F4, // INACTIVEBORDER
        0x00ABABAB, // APPWORKSPACE
        0x00D77800, // HIGHLIGHT
        0x00FFFFFE, // HIGHLIGHTTEXT
        0x00E0DCD8, // BTNFACE
        0x00A09C98, // BTNSHADOW
        0x006D6D6D, // GRAYTEXT
        0x00000010, // BTNTEXT
        0x00544E43, // INACTIVECAPTIONTEXT
        0x00FCFCFC, // BTNHIGHLIGHT
        0x00404040, // 3DDKSHADOW
        0x00E8E8E8, // 3DLIGHT
        0x00000000, // INFOTEXT
        0x00E1FFFF, // INFOBK
        0x00000000, // (25, unused)
        0x00CC6600, // HOTLIGHT
        0x00EAD1B9, // GRADIENTACTIVECAPTION
        0x00F2E4D7, // GRADIENTINACTIVECAPTION
        0x00FF9933, // MENUHILIGHT
        0x00F0F0F0, // MENUBAR
    };
    return table;
}

std::optional<TSysColorTable> installSysColorTable(std::optional<TSysColorTable> table)
{
    return std::exchange(installedTable(), std::move(table));
}
