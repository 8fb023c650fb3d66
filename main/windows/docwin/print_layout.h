// Where the copies of a printed canvas go on the page: the resolution the canvas counts as, the
// size of one copy and the top-left of the block of copies, all in printer pixels. No widget and
// no printer: tests give the printer's facts by hand.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

struct TPrinterInfo;

// Print settings of the window: copies across and down, fitted or not, centred or at (Left,
// Top) in millimetres, and the print scale when not fitted.
#pragma pack(push, 1)
struct TPrintValue
{
    int32_t RepeatX = 1;
    int32_t RepeatY = 1;
    bool Auto = false;
    bool Center = true;
    float Left = 0;
    float Top = 0;
    float Scale = 1.0f;
};
#pragma pack(pop)
static_assert(sizeof(TPrintValue) == 22);

struct SPrintLayout
{
    // The document's resolution limited to 72 .. 600.
    int32_t dpi = 72;
    // One copy.
    sSize cell;
    // The block's top-left, from the page's physical corner.
    sPos origin;
};

// The document's resolution as printing counts it.
int32_t printResolution(int32_t documentDpi);

// The layout of value's copies of a canvas of the given size. Fitted copies share the printable
// area and keep the canvas's aspect; otherwise a copy is the canvas at its resolution times
// value.Scale. Centred blocks are centred on the whole page, others start at (Left, Top)
// millimetres. An empty canvas, or a printer without a resolution, gives empty cells.
SPrintLayout printLayout(const TPrintValue &value, const sSize &canvas, int32_t documentDpi,
                         const TPrinterInfo &info);
