// The dabs and fills of the older paint levels (1 and 2), also used for some shared steps of the
// newer ones: soft round dabs through the shared air-map table, dabs coloured from a finger-tip
// texture, anti-aliased discs built from spans on an 8-bit channel, a solid colour or a gradient
// laid through an 8-bit channel used as alpha, and blend-mode blits. The blur dabs are in
// paint/render/legacy_blur.h.
//
// None of them writes a pixel itself (the blits excepted): every pixel goes through the stroke
// context (paint/render/stroke_context.h), gCanvasPutAt for 32-bit canvases and gChannelPutAt for
// channels, so screentone, gradation, selection and transparency protection apply without the
// primitives knowing of them.
//
// Units: positions and radii are Singles in canvas pixels, pixel centres at integer + 0.5;
// opacities of the soft dabs, discs and spans are Singles 0..1, those of the channel fills and
// blits bytes 0..255; colours are sBGRA values.
#pragma once

#include "core/base/geometry.h"
#include "core/pixel/pixel.h"

#include <cstdint>

class CDibCore;
class CGradation;
class CPenTC;
class TChannel;
class TMTC;

// rect := (floor(cx - r), floor(cy - r), ceil(cx + r), ceil(cy + r)) intersected with the canvas;
// offset := how far the clipped origin lies inside the unclipped one. False when nothing is left.
bool dabClipRect(const CDibCore &canvas, sRect &rect, sPos &offset, float cx, float cy, float r);

// A soft round dab: every pixel of the clipped rectangle gets coverage
// (gAirMapTable[trunc(d × 2047 / r)] × round(opacity × 65536)) >> 16, d the distance of its
// centre from (cx, cy), 0 outside the disc (those pixels are put too, with coverage 0). Nothing
// when opacity <= 0 or the rectangle is empty; true when pixels were put.
bool drawRadialDab(TMTC &canvas, uint32_t colour, float cx, float cy, float r, float opacity);
// The same, each pixel's colour the matching pixel of the finger-tip texture when its alpha is not
// 0, else colour. Nothing when the texture cannot place a tip of radius r.
bool drawRadialDabTextured(TMTC &canvas, uint32_t colour, const CPenTC &texture, float cx, float cy,
                           float r, float opacity);

// One anti-aliased span [c - h, c + h] on a row (column) of the channel: the end pixels get
// trunc(opacity × covered part × 255), the inner ones trunc(opacity × 255); a span that starts
// left of the channel begins at 0 at the full value; pixels past the far edge are skipped. Each
// pixel goes to gChannelPutAt with value as its value. flag is passed by callers and not read.
void drawAntiSpanRow(TChannel &ch, uint32_t value, bool flag, float c, int32_t row, float h,
                     float opacity);
void drawAntiSpanColumn(TChannel &ch, uint32_t value, bool flag, float c, int32_t column, float h,
                        float opacity);

// An anti-aliased disc as spans along rows (columns): each row y from floor(cy - r) to
// ceil(cy + r) - 1 gets the span cx ± sqrt(r² - (y - cy)²), the first and last rows at the
// opacity scaled by the part of the row inside the disc's extent. A radius below 0.5 is one span
// of half length r at half the opacity. Nothing when opacity is not above 0.
void drawAntiDiscRows(TChannel &ch, uint32_t value, bool flag, float cx, float cy, float r,
                      float opacity);
void drawAntiDiscColumns(TChannel &ch, uint32_t value, bool flag, float cx, float cy, float r,
                         float opacity);

// colour through the channel as alpha: box of the channel goes to dpos of the canvas (both
// clipped as clipBlt does); each channel byte v puts colour with coverage mul255(v, opacity)
// through gCanvasPutAt, the position given in the channel's coordinates. With raiseAlpha, bytes 0
// are skipped and the destination's alpha is first raised to v when lower. False when nothing is
// left after clipping.
bool drawColorThroughChannel(TMTC &canvas, const TChannel &ch, sPos dpos, sBox box, uint32_t colour,
                             uint32_t opacity, bool raiseAlpha);
// The gradient's colour at each destination position (red and blue swapped into pixel order)
// through put, with coverage mul255(mul255(v, opacity), alpha of that colour), for each channel
// byte v > 0.
bool drawGradationThroughChannel(TMTC &canvas, const TChannel &ch, const CGradation &grad,
                                 fptrPixelPut4core put, sPos dpos, sBox box, uint32_t opacity);

// A part (sx, sy, w, h) of source blended onto target at (x, y) with opacity alpha: normal
// (pixelPutSrcAlpha), multiply, add and subtract. False when nothing is left after clipping.
bool bltPartNormal(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                   int32_t x, int32_t y, uint32_t alpha);
bool bltPartMul(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                int32_t x, int32_t y, uint32_t alpha);
bool bltPartAdd(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                int32_t x, int32_t y, uint32_t alpha);
bool bltPartSub(TMTC &target, const TMTC &source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                int32_t x, int32_t y, uint32_t alpha);
