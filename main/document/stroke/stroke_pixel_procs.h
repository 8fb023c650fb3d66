// The document's side of the stroke context: which per-pixel puts a stroke paints through (plain,
// through the selection mask, the screentone, the document gradient, or combinations), the
// current window whose document they read, and the start-up of the shared tables.
//
// The painting primitives call the installed gChannelPutAt / gCanvasPutAt for every pixel; the
// puts here apply the mask, then the tone, then the gradient colour, and end in gChannelValuePut
// or gStrokeColorPut. Everything belongs to one stroke at a time on the user-interface thread.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <cstdint>

class IPaperOwner;
class TChannel;
class TMTC;
class TPaper;
class TStroke;

// Start-up (and tests): the stroke context's start values, the percent tables, and the stroke's
// hooks into the document (the put choice; whether the current window paints at level 1).
void initialiseDocumentStrokes();

// The window strokes go to (nullptr: none), then refreshMaskGlobals. gCurrentDrawWindow stays
// null here: the window type lives above the document library.
void setCurrentDrawWindow(IPaperOwner *window);
IPaperOwner *currentDrawOwner();
// The document of the current window (through its flow image); nullptr without one.
TPaper *currentDrawPaper();
// gCurrentToneMngr from the current window's document; gCurrentMask := its active mask while it
// has masks enabled (else nullptr), gMaskOffset := mask view position - active layer view
// position when the mask holds a selection, else (0, 0).
void refreshMaskGlobals();

// refreshMaskGlobals, the stroke's air map, and (unless gStrokeProcsLocked) the channel and canvas
// puts by mask, tone and gradient, installed into the drawing primitives, and the colour put by
// the stroke's transparency protection.
void selectStrokePutProcs(TStroke &stroke);
// selectStrokePutProcs; with a document that has layers the stroke takes the active layer's
// protection; while the owner replays a level-1 document the colour put is pixelPutAlpha.
void prepareStrokeForPaper(TStroke &stroke, TPaper *paper);
// The air-map table rebuilt for the stroke's map, then prepareStrokeForPaper(stroke, nullptr).
void resetStrokePipeline(TStroke &stroke);
// channelPutAt and pixelPutAt become the drawing primitives' channel and canvas puts.
void setPutProcs();

// ---- position puts: nothing outside the image, else the installed put on that pixel
void channelPutAt(TChannel &ch, int32_t x, int32_t y, uint32_t opacity, uint32_t value);
void pixelPutAt(TMTC &tc, int32_t x, int32_t y, uint32_t opacity, uint32_t colour);

// ---- the puts of the table (pixel, position in layer coordinates, opacity, value or colour)
void channelPutMasked(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value) noexcept;
void channelPutToned(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t value) noexcept;
void channelPutMaskedToned(uint8_t *pixel, int32_t x, int32_t y, uint32_t alpha,
                           uint32_t value) noexcept;
void pixelPutMasked(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) noexcept;
void pixelPutToned(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) noexcept;
// The colour is the current document's gradient at (x, y), the opacity scaled by its alpha.
void pixelPutGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha, uint32_t colour) noexcept;
// Tone on the opacity, then the gradient colour (its alpha not applied).
void pixelPutTonedGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                           uint32_t colour) noexcept;
void pixelPutMaskedGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                            uint32_t colour) noexcept;
void pixelPutMaskedToned(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                         uint32_t colour) noexcept;
void pixelPutMaskedTonedGradient(sBGRA *pixel, int32_t x, int32_t y, uint32_t alpha,
                                 uint32_t colour) noexcept;
