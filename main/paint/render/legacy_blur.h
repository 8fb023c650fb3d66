// The blur dabs of the older paint levels and the blur of the newer ones' blur methods: box blurs
// of the layer image laid into the flow image inside a disc, and the second blur mode that
// blurs a box by the strength held in the flow alpha.
//
// The layer image is read with clamped coordinates (CBlockVMTC::PixelGet); canvas and layer
// image share coordinates (the flow image is bound to the layer). drawBlurDab and its variants
// write through the canvas put procedure (setCanvasPutProc, which the document points at the
// stroke context); drawBlurDabOld and applyBlur2Box write with TMTC::qz11_PixelPut.
// Distances are 16.16 fixed point, a pixel centre at (x << 16) + 0x8000.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>

class CBlockVMTC;
class TChannel;
class TMTC;

// Alpha-weighted box blur inside a disc: a = max(blurSize, 1); for each pixel whose centre lies
// at a distance d below r from (cx, cy) the (2a + 1)² pixels of the layer around it are averaged
// (each channel weighted by its pixel's alpha, the colour divided by the alpha sum S, the alpha
// S / (2a + 1)²) and put with coverage mul255(255 - d × 255 / r, trunc(opacity × 255)); nothing
// where S is 0. A row ends at the first pixel outside the disc after the disc was entered.
// Column sums slide along each row. False when the dab's rectangle misses the canvas.
bool drawBlurDab(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                 float r, float opacity);
// The same averaging R, G and B alone (the colour's alpha 0): for layers whose transparency is
// protected.
bool drawBlurDabColorOnly(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx,
                          float cy, float r, float opacity);
// The same results reading the whole box for every pixel (what the two above fall back to when
// the column memory cannot be had). The colour-only form gives its colour the alpha of the last
// box pixel read, the lower right one.
bool drawBlurDabDirect(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                       float r, float opacity);
bool drawBlurDabDirectColorOnly(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx,
                                float cy, float r, float opacity);

// The blur dab of the paint levels 1 and 2. On the quarter-pixel grid around
// (trunc(4 cx), trunc(4 cy)), the pixels from (trunc(cx - r), trunc(cy - r)) to
// (trunc(cx + r + 1), trunc(cy + r + 1)) whose four corners all lie inside the circle of radius
// trunc(4 r) get the plain mean of R, G, B over the (2a + 1)² box of the layer (a = blurSize,
// 0 counting as 1) at opacity max(0, 255 - D × 255 / trunc(4 r)²), D the squared distance of the
// pixel's top-left corner. False when no pixel of the range lies on the canvas.
bool drawBlurDabOld(TMTC &canvas, const CBlockVMTC &layer, int32_t blurSize, float cx, float cy,
                    float r);

// The second blur mode over box (clipped to the canvas and the flow alpha): a := the flow alpha,
// scaled by a mask byte b (a × b >> 8) where a mask is given and b is not 255. Where a < 2 the
// layer pixel is copied as it is; elsewhere R, G, B become the mean of the layer's 3 × 3
// neighbourhood with the centre weighted 32 - min(a, 31), the canvas alpha kept. The mask is read
// at the same position, clamped into it. False when the box misses the canvas.
bool applyBlur2Box(TMTC &canvas, const CBlockVMTC &layer, const TChannel &flowAlpha, sBox box,
                   const TChannel *mask);
