// Scaling whole canvases and channels into canvases: thumbnails, previews and icons.
#pragma once

#include "core/base/geometry.h"

#include <cstdint>
#include <memory>

class TMTC;
class TChannel;

// Fills dst with color (all four bytes) and scales the whole of src into it: into all of dst, or
// with keepAspect into boxCenterOrFit(dst size, src size) (src centred unscaled when it fits, else
// the largest centred box of its aspect). False when nothing could be scaled.
bool scaleCanvasInto(TMTC &dst, const TMTC &src, bool keepAspect, uint32_t color);
// The same for a grey channel (the result grey and opaque). dst may be a display canvas.
bool scaleChannelIntoCanvas(TMTC &dst, const TChannel &src, bool keepAspect, uint32_t color);

// A new canvas of size (or, with shrink, of the fitted box's own size) filled with color and with
// src scaled into the box boxFitAspect(size, src size) when fitAlways, else
// boxCenterOrFit(size, src size). Null when the canvas cannot be made or nothing scales.
std::unique_ptr<TMTC> makeScaledCanvas(const sSize &size, const TMTC &src, bool shrink,
                                       uint32_t color, bool fitAlways);
