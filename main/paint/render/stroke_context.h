// The process-wide stroke context: the procedure slots through which every dab, fill and figure
// of a stroke reaches the pixels, and the state the document sets for the stroke in progress
// (current window, selection mask, screentone manager, shared fall-off tables).
//
// The painting primitives never write pixels themselves. A rasteriser calls gCanvasPutAt (32-bit
// pixels) or gChannelPutAt (8-bit coverage) for every pixel it touches; the document installs
// puts there that apply the selection mask, screentone and gradient and end in the value put of
// the chain: gStrokeColorPut for colours, gChannelValuePut for channel bytes. A render mode that
// needs another final put (the eraser) swaps gStrokeColorPut for one dab through
// StrokeColorPutSwap, which restores it on every path.
//
// Everything here belongs to one stroke at a time on the user-interface thread.
// initStrokePixelProcs() sets the start values; tests call it to reset the context.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"
#include "paint/brush/legacy_pen_records.h"

#include <array>
#include <cstdint>

class CMaskData;
class CToneMngr;
class TDrawWindow;

// Puts one 32-bit pixel of a stroke: the pixel's address, its position (x, y) in layer
// coordinates, the coverage alpha 0..255 and the colour (an sBGRA value).
using fptrStrokePutTC = void (*)(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                                 uint32_t colour);
// Puts one byte of an 8-bit coverage channel: address, position, alpha 0..255 and the value.
using fptrStrokePutCh = void (*)(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha,
                                 uint32_t value);
// How a coverage value lands in a channel byte at an opacity 0..255.
using fptrChannelValuePut = void (*)(uint8_t *pixel, uint32_t value, uint32_t opacity);

// The per-pixel slots (start values in brackets).
extern fptrStrokePutCh gChannelPutAt;        // [channelPutPlain]
extern fptrStrokePutTC gCanvasPutAt;         // [pixelPutPlain]
extern fptrChannelValuePut gChannelValuePut; // [channelPutMax]
extern fptrPixelPut4core gStrokeColorPut;    // [pixelPutAlpha]

// The document window strokes go to, the selection mask that limits them (nullptr when masks are
// off or no window is current), the mask's offset (mask view position minus active layer view
// position) and the screentone manager of that window. None is owned here.
extern TDrawWindow *gCurrentDrawWindow;
extern CMaskData *gCurrentMask;
extern sPos gMaskOffset;
extern CToneMngr *gCurrentToneMngr;
// Set while a selection fill of the document window runs: the put choice keeps what is installed.
extern bool gStrokeProcsLocked;

// The shared fall-off of the older brushes: 2048 entries of 16.16 alpha 0 .. 0xFF0000, index =
// distance × 2047 / radius; built for gCurrentAirMap.
inline constexpr int kAirMapTableSize = 2048;
using AAirMapTable = std::array<int32_t, kAirMapTableSize>;
extern AAirMapTable gAirMapTable;
extern eAirMap gCurrentAirMap;
// 16.16 values of (i / 2047) ^ exponent for the darken and lighten brushes.
extern AAirMapTable gPowerCurveTable;

// The start values above, and gAirMapTable built for ABMAP_LINEAR.
void initStrokePixelProcs();

// Fills a table with the fall-off of map, x = i / 2047 (Single):
// ABMAP_FLAT90 0xFF0000 below 1844, then 0xFF0000 - MulDiv(0xFF0000, i - 1844, 203);
// ABMAP_CIRCLE trunc(sqrt(1 - x²) × 0xFF0000); ABMAP_ROUNDTOP trunc((2x³ - 3x² + 1) × 0xFF0000);
// ABMAP_LINEAR MulDiv(0xFF0000, 2047 - i, 2047); ABMAP_PINTOP trunc((1 - sqrt(1 - (1-x)²)) ×
// 0xFF0000). MulDiv rounds half away from zero. A value outside eAirMap leaves the table as it is.
void buildAirMap(eAirMap map, AAirMapTable &table);

// ---- the puts of the chain

// gStrokeColorPut(pixel, colour, alpha).
void pixelPutPlain(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) noexcept;
// gChannelValuePut(pixel, value, alpha).
void channelPutPlain(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value) noexcept;
// v := (low byte of value) × opacity div 255; the byte becomes v only when it is below v, so
// coverage only rises. An opacity above 255 counts as 255.
void channelPutMax(uint8_t *pixel, uint32_t value, uint32_t opacity) noexcept;
// alpha := alpha - alpha × opacity div 255; the colour bytes are left. Opacity 0 changes
// nothing, 255 leaves alpha 0.
void pixelEraseAlpha(sBGRA *dst, uint32_t col, uint32_t opacity) noexcept;

// Installs put as gStrokeColorPut for its lifetime and puts the previous one back when it ends,
// however the scope is left.
class StrokeColorPutSwap
{
  public:
    explicit StrokeColorPutSwap(fptrPixelPut4core put) noexcept : m_saved(gStrokeColorPut)
    {
        gStrokeColorPut = put;
    }
    ~StrokeColorPutSwap() { gStrokeColorPut = m_saved; }
    StrokeColorPutSwap(const StrokeColorPutSwap &) = delete;
    StrokeColorPutSwap &operator=(const StrokeColorPutSwap &) = delete;

  private:
    fptrPixelPut4core m_saved;
};
